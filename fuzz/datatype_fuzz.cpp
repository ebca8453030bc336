// Every row of the datatype table that decodes, on octets the syntax
// checker accepted and on raw octets.
//
// Input: octet 0 is the datatype code (as a signed octet), octet 1 the mode,
// the rest the value octets. Mode bit 0 clear: the octets are first checked
// against one of the datatype's schema rows (bits 2-4 pick which); what the
// checker takes is decoded into a block of exactly its decoded size (one
// value, or with bit 1 a list through the list codec), which must be used
// whole, then encoded, decoded and encoded again: the two encodings are the
// same, and the checker takes them. Mode bit 0 set: the octets go straight
// to the decoder of a constructed datatype, whose reads must stay inside
// them and whose writes inside the block its decoded-size function asked
// for; the record is then encoded, which must not fault either. Every
// block is exactly its size, so the address sanitizer sees a step past it.
// Every decoded value is also written as text, into a room that holds it
// and into rooms that do not: nothing is written past the room, and the
// text either fits whole or is not written at all.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "text/value_text.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Require(bool ok) {
  if (!ok) std::abort();
}

constexpr uint32_t kRoom = 1 << 13;

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

int32_t EncodeValue(const VelmoraAnyValue* value, Bytes* out) {
  out->assign(kRoom, 0);
  AsnCursor c = AsnCursorOver(out->data(), kRoom);
  int32_t status = AsnEncodeTypedArray(value, &c);
  out->resize(size_t(c.current - out->data()));
  return status;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > kRoom / 4) return 0;
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
