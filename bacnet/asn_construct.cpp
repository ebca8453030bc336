#include "bacnet/asn_construct.h"

#include <algorithm>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_value_decode.h"

namespace {

constexpr bool IsExtendedNumber(uint8_t octet) { return (octet & 0xF0) == ASN_TAG_EXTENDED; }
constexpr bool IsConstructedTag(uint8_t octet) {
  return (octet & ASN_CLASS_CONTEXT) && (octet & ASN_LVT_MASK) >= ASN_LVT_OPENING;
}

// Octets of the tag number of the opening or closing tag at the cursor,
// within the cursor.
uint32_t TagOctets(const AsnCursor* c) {
  return IsExtendedNumber(c->current[0]) && c->end - c->current >= 2 ? 2 : 1;
}

// Moves past the element at the cursor and answers its value octets when
// it is a primitive element of at least need value octets; the value
// length to *length.
const uint8_t* TakePrimitive(AsnCursor* c, uint32_t need, uint32_t* length) {
  *length = 0;
  if (AsnAtListEnd(c)) return nullptr;
  const uint8_t* p = c->current;
  // Most fields are one tag octet with their length in it, which the skip
  // walk and the header length read as that many octets behind it; an
  // application Null or Boolean holds its value there instead.
  const uint8_t lvt = p[0] & ASN_LVT_MASK;
  if (lvt < ASN_LVT_EXTENDED && !IsExtendedNumber(p[0]) && (p[0] & 0xE8) != 0 &&
      uint32_t(c->end - p) > lvt) {
    c->current += 1 + lvt;
    *length = lvt;
    return lvt >= need ? p + 1 : nullptr;
  }
  int32_t n = AsnTagSkipElement(p, c->end);
  if (n <= 0) {
    c->current = c->end;
    return nullptr;
  }
  c->current += n;
  if (IsConstructedTag(p[0])) return nullptr;
  // The skip walk and the header length read one element alike, so the
  // value is what lies behind the header.
  uint32_t header = AsnTagHeaderLength(p);
  *length = uint32_t(n) - header;
  return *length >= need ? p + header : nullptr;
}

// Runs the trusting primitive decoder over a whole primitive element of at
// least need value octets; otherwise out keeps what it holds.
void TakeWith(AsnCursor* c, uint32_t need, AsnDecoder decode, void* out) {
  const uint8_t* start = c->current;
  uint32_t length;
  if (!TakePrimitive(c, need, &length)) return;
  AsnCursor one = {const_cast<uint8_t*>(start), c->current};
  decode(&one, out);
}

template <typename T, AsnDecoder Decode, uint32_t Need>
T Take(AsnCursor* c) {
  T v{};
  TakeWith(c, Need, Decode, &v);
  return v;
}

// Blocks of the value layer in whole alignment units below the arena end,
// each value at the bottom of its block, so that what is carved below
// stays aligned.
struct AlignedBudget {
  VelmoraAllocator base;
  uint8_t** arena;
  uint32_t taken;
};

void* AlignedBudgetAlloc(VelmoraAllocator* self, uint32_t size) {
  auto* budget = reinterpret_cast<AlignedBudget*>(self);
  if (size == 0 || !budget->arena) return nullptr;
  const uint32_t block = AsnBlockSize(size);
  budget->taken += block;
  *budget->arena -= block;
  return *budget->arena;
}

void AlignedBudgetFree(VelmoraAllocator*, void*) {}

constexpr VelmoraAllocatorOps kAlignedBudgetOps = {AlignedBudgetAlloc, AlignedBudgetFree};

}  // namespace

int32_t AsnEncodeOpening(AsnCursor* cursor, uint8_t number) {
  return AsnEncodeTagByte(cursor, AsnOpeningTag(number));
}

int32_t AsnEncodeClosing(AsnCursor* cursor, uint8_t number) {
  return AsnEncodeTagByte(cursor, AsnClosingTag(number));
}

bool AsnAtListEnd(const AsnCursor* cursor) {
  return cursor->current >= cursor->end || AsnIsClosingTag(cursor->current[0]);
}

uint32_t AsnElementAt(const AsnCursor* cursor) {
  if (AsnAtListEnd(cursor)) return 0;
  // A tag octet with the length in it, read as the skip walk reads it.
  const uint8_t first = cursor->current[0];
  if ((first & ASN_LVT_MASK) < ASN_LVT_EXTENDED && !IsExtendedNumber(first)) {
    const uint32_t n = (first & 0xE8) == 0 ? 1 : 1 + (first & ASN_LVT_MASK);
    return n <= uint32_t(cursor->end - cursor->current) ? n : 0;
  }
  int32_t n = AsnTagSkipElement(cursor->current, cursor->end);
  return n > 0 ? uint32_t(n) : 0;
}

void AsnSkipElement(AsnCursor* cursor) {
  if (AsnAtListEnd(cursor)) return;
  uint32_t n = AsnElementAt(cursor);
  cursor->current = n ? cursor->current + n : cursor->end;
}

int32_t AsnPeekTagNumber(const AsnCursor* cursor) {
  return cursor->current < cursor->end ? cursor->current[0] >> 4 : -1;
}

bool AsnPickChoice(AsnCursor* cursor, uint32_t alternatives, uint32_t* choice) {
  if (AsnAtListEnd(cursor)) return false;
  *choice = uint32_t(AsnPeekTagNumber(cursor));
  if (*choice < alternatives) return true;
  AsnSkipElement(cursor);
  return false;
}

bool AsnHasContextTag(const AsnCursor* cursor, uint8_t n) {
  return !AsnAtListEnd(cursor) && (cursor->current[0] & 0xF8) == AsnContextTag(n);
}

void AsnEnterTag(AsnCursor* cursor) {
  if (cursor->current < cursor->end && AsnIsOpeningTag(cursor->current[0]))
    cursor->current += TagOctets(cursor);
}

void AsnLeaveTag(AsnCursor* cursor) {
  if (cursor->current < cursor->end && AsnIsClosingTag(cursor->current[0]))
    cursor->current += TagOctets(cursor);
}

// The unsigned decoder's reading of the element's value octets, without
// reading its header a second time.
uint32_t AsnTakeUnsigned(AsnCursor* cursor) {
  uint32_t length;
  const uint8_t* v = TakePrimitive(cursor, 0, &length);
  return v && length ? AsnUnpackUnsigned(std::min(length, 4u), v) : 0;
}
int32_t AsnTakeSigned(AsnCursor* cursor) { return Take<int32_t, AsnDecodeSigned, 0>(cursor); }
float AsnTakeReal(AsnCursor* cursor) { return Take<float, AsnDecodeReal, 4>(cursor); }
double AsnTakeDouble(AsnCursor* cursor) { return Take<double, AsnDecodeDouble, 8>(cursor); }
uint8_t AsnTakeBoolean(AsnCursor* cursor) { return Take<uint8_t, AsnDecodeBoolean, 0>(cursor); }
void AsnTakeDate(AsnCursor* cursor, VelmoraDate* out) { TakeWith(cursor, 4, AsnDecodeDate, out); }
void AsnTakeTime(AsnCursor* cursor, VelmoraTime* out) { TakeWith(cursor, 4, AsnDecodeTime, out); }
void AsnTakeObjectId(AsnCursor* cursor, VelmoraObjectId* out) {
  TakeWith(cursor, 4, AsnDecodeObjectId, out);
}
void AsnTakeBitString(AsnCursor* cursor, VelmoraBitString* out) {
  TakeWith(cursor, 0, AsnDecodeBitString, out);
}
void AsnTakeWeekNDay(AsnCursor* cursor, VelmoraWeekNDay* out) {
  TakeWith(cursor, 3, AsnDecodeWeekNDay, out);
}

const uint8_t* AsnTakeOctets(AsnCursor* cursor, uint32_t* length) {
  const uint8_t* v = TakePrimitive(cursor, 0, length);
  if (!v) *length = 0;
  return v;
}

int32_t AsnTakeOptionalUnsigned(AsnCursor* cursor, uint8_t n) {
  return AsnHasContextTag(cursor, n) ? int32_t(AsnTakeUnsigned(cursor)) : -1;
}

void AsnTakeErrorPair(AsnCursor* cursor, VelmoraError* out) {
  out->error_class = AsnTakeUnsigned(cursor);
  out->error_code = AsnTakeUnsigned(cursor);
}

const uint8_t* AsnTakeContents(AsnCursor* cursor, uint32_t* length) {
  *length = 0;
  if (AsnAtListEnd(cursor) || !AsnIsOpeningTag(cursor->current[0])) return nullptr;
  const uint8_t* p = cursor->current;
  uint32_t tag = TagOctets(cursor);
  uint32_t n = AsnElementAt(cursor);
  if (n == 0) {
    cursor->current = cursor->end;
    return nullptr;
  }
  cursor->current += n;
  *length = n >= 2 * tag ? n - 2 * tag : 0;
  return p + tag;
}

void* AsnCarveRecords(AsnCarver* carver, uint32_t count, uint32_t size) {
  uint64_t bytes = uint64_t(count) * size;
  uint32_t block = AsnBlockSize(uint32_t(std::min<uint64_t>(bytes, UINT32_MAX - ASN_BLOCK_ALIGN)));
  carver->taken += block;
  if (!carver->decode || block == 0 || !carver->arena) return nullptr;
  *carver->arena -= block;
  return *carver->arena;
}

bool AsnTakeElement(AsnCursor* cursor, AsnCursor* one) {
  const uint32_t n = AsnElementAt(cursor);
  if (n == 0) {
    AsnSkipElement(cursor);
    return false;
  }
  *one = {cursor->current, cursor->current + n};
  cursor->current += n;
  return true;
}

void AsnCarveCharString(AsnCarver* carver, AsnCursor* cursor, VelmoraCharString* out) {
  AsnCursor one;
  if (!AsnTakeElement(cursor, &one)) return;
  // The text the code-7 decoder takes, in a block of its own.
  const uint32_t text = AsnDecodedSizeCharString(one.current, AsnCursorRoom(&one)) -
                        uint32_t(sizeof(VelmoraCharString));
  auto* block = static_cast<uint8_t*>(AsnCarveRecords(carver, 1, text));
  if (!carver->decode || (text != 0 && !block)) return;
  uint8_t* top = block ? block + text : nullptr;
  AsnDecodeCharString(&one, out, &top);
}

void AsnCarveAnyValue(AsnCarver* carver, const uint8_t* data, uint32_t length,
                      VelmoraAnyValue* out) {
  if (!carver->decode || !carver->arena) {
    uint32_t size = AsnDecodedSizeAnyValue(data, length);
    carver->taken += size;
    // A caller that measured nothing to carve gave no arena.
    if (carver->decode && size == 0) {
      uint8_t* none = nullptr;
      AsnDecodeAnyValue(data, length, out, &none);
    }
    return;
  }
  uint8_t* before = *carver->arena;
  AsnDecodeAnyValue(data, length, out, carver->arena);
  carver->taken += uint32_t(before - *carver->arena);
}

void AsnCarvePropertyValue(AsnCarver* carver, uint32_t objectType, uint32_t property,
                           int32_t arrayIndex, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* out) {
  if (!carver->decode) {
    carver->taken +=
        AsnBlockSize(AsnDecodedSizeProperty(objectType, property, arrayIndex, data, length));
    return;
  }
  // The value layer asks for its one block by its exact size, which is
  // then known without measuring it first. Without an arena (nothing was
  // measured to carve) a value that needs storage gets none.
  AlignedBudget budget = {{&kAlignedBudgetOps}, carver->arena, 0};
  *out = {ASN_TYPE_NONE, nullptr, 0, 0};
  AsnDecodePropertyAlloc(objectType, property, arrayIndex, data, length, out, &budget.base);
  carver->taken += budget.taken;
}

int32_t AsnEncodeEnclosedValue(const VelmoraAnyValue* value, AsnCursor* cursor, uint8_t number) {
  int32_t status = AsnEncodeOpening(cursor, number);
  if (status == ASN_OK) status = AsnEncodeTypedArray(value, cursor);
  if (status == ASN_OK) status = AsnEncodeClosing(cursor, number);
  return status;
}
