// Every row of the datatype table that decodes, and the event notification
// parameters in their request form, on octets the syntax checker accepted
// and on raw octets.
//
// Input: octet 0 is the datatype code (as a signed octet), or 0x7F for the
// request form of event notification parameters; octet 1 the mode, the rest
// the value octets. Mode bit 0 clear: the octets are first checked against
// one of the datatype's schema rows (bits 2-4 pick which), the request form
// as the parameters of an UnconfirmedEventNotification; what the checker
// takes is decoded into a block of exactly its decoded size (one value, or
// with bit 1 a list through the list codec), which must be used whole, then
// encoded, decoded and encoded again: the two encodings are the same, and
// the checker takes them. Where the octets are in their one canonical form
// and the record holds all they say, the first encoding is the octets
// themselves. Mode bit 0 set: the octets go straight to the decoder of a
// constructed datatype or of the request form, whose reads must stay inside
// them and whose writes inside the block its decoded-size function asked
// for; the record is then encoded, which must not fault either. Every block
// is exactly its size, so the address sanitizer's red zones about it catch
// a step past it. Every decoded value is also written as text, into a room
// that holds it and into rooms that do not: nothing is written past the
// room, and the text either fits whole or is not written at all.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_event_notif.h"
#include "text/value_text.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Require(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "datatype_fuzz.cpp:%d: requirement not met\n", line);
  std::abort();
}

constexpr uint32_t kRoom = 1 << 13;

// Octet 0 of an input for the request form of event notification
// parameters: no datatype has this code.
constexpr uint8_t kEventNotifRequest = 0x7F;
constexpr uint32_t kUnconfirmedEventNotification = 3;

// Whether an Unsigned, Enumerated or Signed of these contents has an octet
// it does not need.
bool Padded(const uint8_t* v, uint32_t length, bool isSigned) {
  if (length < 2) return false;
  if (v[0] == 0x00) return !isSigned || (v[1] & 0x80) == 0;
  return isSigned && v[0] == 0xFF && (v[1] & 0x80) != 0;
}

// Whether a bit string's unused bits are all clear.
bool UnusedBitsClear(const uint8_t* v, uint32_t length) {
  return length < 2 || v[0] > 7 || (v[length - 1] & ((1u << v[0]) - 1)) == 0;
}

// Whether a character string's text, which the record holds up to its first
// zero unit, has none.
bool NoZeroUnit(const uint8_t* v, uint32_t length) {
  if (length < 1 || v[0] > 5) return true;
  const uint32_t skip = v[0] == 1 ? 3 : 1;  // set, and the code page of set 1
  const uint32_t unit = v[0] == 3 ? 4 : v[0] == 4 ? 2 : 1;
  for (uint32_t at = skip; at + unit <= length; at += unit) {
    uint32_t zeros = 0;
    while (zeros < unit && v[at + zeros] == 0)
      ++zeros;
    if (zeros == unit) return false;
  }
  return true;
}

// Whether a date's octets are held by its record, where month and weekday
// 0 stand for "any" (sent as 255): a received 0 comes back as 255.
bool DateHeld(const uint8_t* v, uint32_t length) { return length != 4 || (v[1] != 0 && v[3] != 0); }
// The same for a week-n-day's month and weekday.
bool WeekNDayHeld(const uint8_t* v, uint32_t length) {
  return length != 3 || (v[0] != 0 && v[2] != 0);
}

// Whether a REAL's or a Double's octets are held: every NaN is read as the
// one the codec writes.
bool NumberHeld(const uint8_t* v, uint32_t length) {
  if (length == 4) {
    const uint32_t bits = AsnGetU32(v);
    return (bits & 0x7FFFFFFF) <= 0x7F800000 || bits == 0x7FFFFFFF;
  }
  if (length == 8) {
    const uint64_t bits = uint64_t(AsnGetU32(v)) << 32 | AsnGetU32(v + 4);
    return (bits & 0x7FFFFFFFFFFFFFFF) <= 0x7FF0000000000000 || bits == 0x7FFFFFFFFFFFFFFF;
  }
  return true;
}

bool ApplicationCanonical(uint32_t tag, const uint8_t* v, uint32_t length) {
  switch (tag) {
    case ASN_TAG_REAL:
    case ASN_TAG_DOUBLE:
      return NumberHeld(v, length);
    case ASN_TAG_DATE:
      return DateHeld(v, length);
    case ASN_TAG_OCTET_STRING:
      return WeekNDayHeld(v, length);
    case ASN_TAG_UNSIGNED:
    case ASN_TAG_ENUMERATED:
      return !Padded(v, length, false);
    case ASN_TAG_SIGNED:
      return !Padded(v, length, true);
    case ASN_TAG_CHAR_STRING:
      return NoZeroUnit(v, length);
    case ASN_TAG_BIT_STRING:
      return UnusedBitsClear(v, length);
    default:
      return true;
  }
}

// The context primitives a datatype's values can hold besides integers,
// identifiers, times and REALs: the octets do not tell a context
// primitive's type, so it must be canonical as every type it could be.
enum : uint8_t {
  kContextBits = 1,
  kContextText = 2,
  kContextDate = 4,
  kContextWeekNDay = 8,
  kContextAny = 15,
};
struct ContextKinds {
  int32_t code;
  uint8_t kinds;
};
// Datatypes not listed (those holding any-values, whose contents may be of
// any constructed type, among them) may hold every kind.
constexpr ContextKinds kContextKinds[] = {
    {ASN_TYPE_DATE_TIME, 0},
    {ASN_TYPE_OBJ_PROP_REF, 0},
    {ASN_TYPE_PROPERTY_STATES, kContextBits},
    {ASN_TYPE_DATE_RANGE, 0},
    {ASN_TYPE_CALENDAR_ENTRY, kContextDate | kContextWeekNDay},
    {ASN_TYPE_SPECIAL_EVENT, kContextDate | kContextWeekNDay},
    {ASN_TYPE_RECIPIENT, 0},
    {ASN_TYPE_SETPOINT_REF, 0},
    {ASN_TYPE_DESTINATION, 0},
    {ASN_TYPE_DAILY_SCHEDULE, 0},
    {ASN_TYPE_TIME_STAMP, 0},
    {ASN_TYPE_PROPERTY_REF, 0},
    {ASN_TYPE_ADDRESS_BINDING, 0},
    {ASN_TYPE_DEV_OBJ_PROP_REF, 0},
    {ASN_TYPE_CLIENT_COV, 0},
    {ASN_TYPE_READ_ACCESS_SPEC, 0},
    {ASN_TYPE_COV_SUBSCRIPTION, 0},
    {ASN_TYPE_DEV_OBJ_REF, 0},
    {ASN_TYPE_ACCUMULATOR_RECORD, 0},
    {ASN_TYPE_PRESCALE, 0},
    {ASN_TYPE_SCALE, 0},
    {ASN_TYPE_SHED_LEVEL, 0},
    {ASN_TYPE_VT_SESSION, 0},
    {ASN_TYPE_SESSION_KEY, 0},
};
uint8_t ContextKindsOf(int32_t code) {
  for (const ContextKinds& k : kContextKinds)
    if (k.code == code) return k.kinds;
  return kContextAny;
}

bool ContextCanonical(const uint8_t* v, uint32_t length, uint8_t kinds) {
  return !Padded(v, length, false) && !Padded(v, length, true) && NumberHeld(v, length) &&
         (!(kinds & kContextBits) || UnusedBitsClear(v, length)) &&
         (!(kinds & kContextText) || NoZeroUnit(v, length)) &&
         (!(kinds & kContextDate) || DateHeld(v, length)) &&
         (!(kinds & kContextWeekNDay) || WeekNDayHeld(v, length));
}

// Whether checker-accepted octets are the one encoding of what they say:
// every tag number and length in its shortest header, and every primitive's
// contents in their shortest form and wholly held by a record. Beyond what
// these rules leave out, the checker bounds what a record keeps in fewer
// bits (a network number, a MAC, a priority), and an encoder refuses what
// its record holds but the octets cannot carry back (a sequence number
// above 65535, a priority value of another type): so the first encoding of
// canonical octets is the octets, for every row.
bool Canonical(const uint8_t* p, uint32_t n, uint8_t contextKinds) {
  uint32_t at = 0;
  while (at < n) {
    const uint8_t first = p[at];
    const bool context = (first & 0x08) != 0;
    uint32_t number = first >> 4;
    uint32_t header = 1;
    if (number == 15) {
      if (n - at < 2 || p[at + 1] < 15) return false;
      number = p[at + 1];
      header = 2;
    }
    const uint32_t lvt = first & 0x07;
    if ((context && lvt >= 6) || (!context && number <= 1)) {  // no contents
      at += header;
      continue;
    }
    uint32_t length = lvt;
    if (lvt == 5) {
      if (n - at < header + 1) return false;
      const uint8_t e = p[at + header];
      const uint32_t extra = e < 254 ? 0 : e == 254 ? 2 : 4;
      if (n - at < header + 1 + extra) return false;
      length = e < 254    ? e
               : e == 254 ? AsnGetU16(p + at + header + 1)
                          : AsnGetU32(p + at + header + 1);
      const uint32_t shortest = length < 5 ? 0 : length < 254 ? 1 : length < 65536 ? 3 : 5;
      if (1 + extra != shortest) return false;
      header += 1 + extra;
    }
    if (n - at - header < length) return false;
    const uint8_t* v = p + at + header;
    if (!(context ? ContextCanonical(v, length, contextKinds)
                  : ApplicationCanonical(number, v, length)))
      return false;
    at += header + length;
  }
  return true;
}

// Blocks of exactly the size asked for.
struct ExactAllocator {
  VelmoraAllocator base;
  std::vector<uint32_t> sizes;
};
void* ExactAlloc(VelmoraAllocator* self, uint32_t size) {
  reinterpret_cast<ExactAllocator*>(self)->sizes.push_back(size);
  return new uint8_t[size];
}
void ExactFree(VelmoraAllocator*, void* block) { delete[] static_cast<uint8_t*>(block); }
constexpr VelmoraAllocatorOps kExactOps = {ExactAlloc, ExactFree};

// The nth schema row of the datatype (of those whose values it has), or 0.
uint16_t SchemaRow(int32_t code, uint32_t nth) {
  std::vector<uint16_t> rows;
  for (uint32_t r = 0; r < AsnSchemaRowCount; ++r)
    if (AsnSchemaTable[r].datatype == code) rows.push_back(uint16_t(r));
  return rows.empty() ? 0 : rows[nth % rows.size()];
}

// Octets the checker takes as values of the row from the start: one, or as
// many as follow one another.
uint32_t Accepted(const uint8_t* data, uint32_t n, uint16_t schema, bool list) {
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, data, n);
  uint32_t taken = 0;
  // A row whose every element is optional takes nothing and ends the list.
  while (reader.remaining != 0 && AsnCheckElement(&reader, schema) == AsnCheckOk &&
         n - reader.remaining > taken) {
    taken = n - reader.remaining;
    if (!list) break;
  }
  return taken;
}

// An encoder's octets in out, cut to what it wrote.
template <typename Record>
int32_t EncodeWith(int32_t (*encode)(const Record*, AsnCursor*), const Record* record, Bytes* out) {
  out->assign(kRoom, 0);
  AsnCursor c = AsnCursorOver(out->data(), kRoom);
  int32_t status = encode(record, &c);
  out->resize(size_t(c.current - out->data()));
  return status;
}

int32_t EncodeValue(const VelmoraAnyValue* value, Bytes* out) {
  return EncodeWith(AsnEncodeTypedArray, value, out);
}

// The value's text in the whole room, then in rooms that hold it (its
// length and room for the widest piece of any format) and rooms that do not
// (its length, half of it).
void Written(const VelmoraAnyValue* value) {
  constexpr char kCanary = 0x5A;
  std::vector<char> text(kRoom, kCanary);
  const uint32_t length = VelmoraValueToStringEx(text.data(), kRoom, value, VELMORA_ANY_OBJECT_TYPE,
                                                 VELMORA_ANY_PROPERTY, -1, 1);
  Require(length < kRoom && (length == 0 || text[length] == '\0'));
  if (length == 0) return;
  for (uint32_t room : {length + uint32_t(TEXT_WIDEST_INDEX), length, length / 2}) {
    std::vector<char> part(size_t(room) + 8, kCanary);
    const uint32_t n = VelmoraValueToStringEx(part.data(), room, value, VELMORA_ANY_OBJECT_TYPE,
                                              VELMORA_ANY_PROPERTY, -1, 1);
    Require(n == (room > length ? length : 0));
    Require(n == 0 || std::memcmp(part.data(), text.data(), size_t(length) + 1) == 0);
    for (size_t i = room; i < part.size(); ++i)
      Require(part[i] == kCanary);
  }
}

// One value of the row into a block of exactly its decoded size, set to
// fill first; answers the block and, as an any-value over it, the record.
struct Decoded {
  std::unique_ptr<uint8_t[]> block;
  VelmoraAnyValue value;
  const uint8_t* stop;  // where the decoder left the cursor
  bool exact;           // storage used equals the decoded size
};

Decoded DecodeOne(const AsnDatatype* row, const uint8_t* data, uint32_t n, uint8_t fill) {
  const uint32_t size = row->decodedSize ? row->decodedSize(data, n) : uint32_t(row->size);
  Decoded d{std::unique_ptr<uint8_t[]>(new uint8_t[size]), {}, nullptr, false};
  std::memset(d.block.get(), fill, size);
  uint8_t* top = d.block.get() + size;
  const bool variable = row->size < 0;
  uint8_t** arena = !variable && size > uint32_t(row->size) ? &top : nullptr;
  AsnCursor cursor = AsnCursorOverConst(data, n);
  uint32_t used = 0;
  row->decode(&cursor, d.block.get(), arena, &used);
  Require(cursor.current >= data && cursor.current <= data + n);
  const uint32_t fixed = variable ? used : uint32_t(row->size);
  Require(top >= d.block.get() + fixed && top <= d.block.get() + size);
  d.stop = cursor.current;
  d.exact = fixed + uint32_t(d.block.get() + size - top) == size;
  d.value = {row->code, d.block.get(), fixed, 1};
  return d;
}

// A value the checker took: decoded exactly, then encoded to a fixed point.
void CheckedOne(const AsnDatatype* row, const Bytes& value, uint16_t schema) {
  const auto n = uint32_t(value.size());
  Decoded d = DecodeOne(row, value.data(), n, 0xA5);
  Require(d.stop == value.data() + n && d.exact);
  Written(&d.value);
  AsnCursor skip = AsnCursorOverConst(value.data(), n);
  uint32_t used = 0;
  row->decode(&skip, nullptr, nullptr, &used);
  Require(skip.current == skip.end);

  Bytes first;
  if (EncodeValue(&d.value, &first) != ASN_OK) return;  // a value the encoder refuses
  if (Canonical(value.data(), n, ContextKindsOf(row->code))) Require(first == value);
  Require(Accepted(first.data(), uint32_t(first.size()), schema, false) == first.size());
  Decoded again = DecodeOne(row, first.data(), uint32_t(first.size()), 0x5A);
  Require(again.stop == first.data() + first.size() && again.exact);
  Bytes second;
  Require(EncodeValue(&again.value, &second) == ASN_OK && second == first);
}

void CheckedList(const AsnDatatype* row, const Bytes& values) {
  const auto n = uint32_t(values.size());
  ExactAllocator a{{&kExactOps}, {}};
  VelmoraAnyValue v = {ASN_TYPE_NONE, nullptr, 0, 0};
  Require(AsnDecodeValueList(row, values.data(), n, &v, &a.base) == ASN_OK);
  const uint32_t size = AsnDecodedSizeList(row, values.data(), n);
  Require(a.sizes.size() == (size ? 1u : 0u) && (size == 0 || a.sizes[0] == size));
  AsnCursor all = AsnCursorOverConst(values.data(), n);
  Require(v.count == AsnListCount(row, &all));
  Written(&v);
  Bytes first;
  if (EncodeValue(&v, &first) == ASN_OK) {
    if (Canonical(values.data(), n, ContextKindsOf(row->code))) Require(first == values);
    ExactAllocator b{{&kExactOps}, {}};
    VelmoraAnyValue w = {ASN_TYPE_NONE, nullptr, 0, 0};
    Require(AsnDecodeValueList(row, first.data(), uint32_t(first.size()), &w, &b.base) == ASN_OK);
    Require(w.count == v.count);
    Bytes second;
    Require(EncodeValue(&w, &second) == ASN_OK && second == first);
    VelmoraAnyValueFree(&b.base, &w);
  }
  VelmoraAnyValueFree(&a.base, &v);
}

// Raw octets: only that nothing reads or writes out of bounds.
void Raw(const AsnDatatype* row, const Bytes& value) {
  Decoded d = DecodeOne(row, value.data(), uint32_t(value.size()), 0);
  Written(&d.value);
  AsnCursor skip = AsnCursorOverConst(value.data(), uint32_t(value.size()));
  uint32_t used = 0;
  row->decode(&skip, nullptr, nullptr, &used);
  Require(skip.current >= value.data() && skip.current <= skip.end);
  Bytes out;
  EncodeValue(&d.value, &out);
}

// Event notification parameters into a request block of exactly their
// decoded size, set to fill first; stop is where the decoder left the
// cursor, exact whether the block is used whole.
struct DecodedRequest {
  std::unique_ptr<uint8_t[]> block;
  const VelmoraEventNotifRequest* request;
  const uint8_t* stop;
  bool exact;
};

DecodedRequest DecodeRequest(const uint8_t* data, uint32_t n, uint8_t fill) {
  const uint32_t size = AsnDecodedSizeEventNotifRequest(data, n);
  Require(size >= sizeof(VelmoraEventNotifRequest));
  DecodedRequest d{std::unique_ptr<uint8_t[]>(new uint8_t[size]), nullptr, nullptr, false};
  std::memset(d.block.get(), fill, size);
  uint8_t* top = d.block.get() + size;
  AsnCursor cursor = AsnCursorOverConst(data, n);
  AsnDecodeEventNotifRequest(&cursor, d.block.get(), &top);
  Require(cursor.current >= data && cursor.current <= data + n);
  Require(top >= d.block.get() + sizeof(VelmoraEventNotifRequest) && top <= d.block.get() + size);
  d.request = reinterpret_cast<const VelmoraEventNotifRequest*>(d.block.get());
  d.stop = cursor.current;
  d.exact = top == d.block.get() + sizeof(VelmoraEventNotifRequest);
  return d;
}

int32_t EncodeRequest(const VelmoraEventNotifRequest* r, Bytes* out) {
  return EncodeWith<void>(AsnEncodeEventNotifRequest, r, out);
}

bool Notification(const Bytes& octets) {
  return AsnCheckUnconfirmedRequest(kUnconfirmedEventNotification, octets.data(),
                                    uint32_t(octets.size()));
}

// Parameters the checker took: decoded exactly, then encoded to a fixed
// point, which is the octets themselves where they are canonical.
void CheckedRequest(const Bytes& octets) {
  const auto n = uint32_t(octets.size());
  DecodedRequest d = DecodeRequest(octets.data(), n, 0xA5);
  Require(d.stop == octets.data() + n && d.exact);
  Bytes first;
  if (EncodeRequest(d.request, &first) != ASN_OK) return;  // a value the encoder refuses
  Require(Notification(first));
  if (Canonical(octets.data(), n, kContextAny)) Require(first == octets);
  DecodedRequest again = DecodeRequest(first.data(), uint32_t(first.size()), 0x5A);
  Require(again.stop == first.data() + first.size() && again.exact);
  Bytes second;
  Require(EncodeRequest(again.request, &second) == ASN_OK && second == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > kRoom / 4) return 0;
  if (data[0] == kEventNotifRequest) {
    const Bytes octets(data + 2, data + size);
    if (data[1] & 1) {
      DecodedRequest d = DecodeRequest(octets.data(), uint32_t(octets.size()), 0);
      Bytes out;
      EncodeRequest(d.request, &out);
    } else if (Notification(octets)) {
      CheckedRequest(octets);
    }
    return 0;
  }
  const AsnDatatype* row = AsnDatatypeFind(int8_t(data[0]));
  if (!row || !row->decode) return 0;
  const uint8_t mode = data[1];
  const Bytes value(data + 2, data + size);  // exactly the octets: a read past them is caught
  const auto n = uint32_t(value.size());

  if (mode & 1) {
    // The primitive decoders trust their element; the constructed ones
    // bound every read themselves.
    if (row->code >= ASN_TYPE_PRIORITY_VALUE && row->code != ASN_TYPE_WEEK_N_DAY) Raw(row, value);
    return 0;
  }
  const uint16_t schema = SchemaRow(row->code, mode >> 2);
  if (schema == 0) return 0;
  const bool list = (mode & 2) != 0;
  const uint32_t taken = Accepted(value.data(), n, schema, list);
  if (taken == 0) return 0;
  const Bytes accepted(value.begin(), value.begin() + taken);
  if (list)
    CheckedList(row, accepted);
  else
    CheckedOne(row, accepted, schema);
  return 0;
}
