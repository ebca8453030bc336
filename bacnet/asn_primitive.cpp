// Application types other than the character strings (asn_text.cpp).
#include "bacnet/asn_primitive.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t kTagNull = AsnApplicationTag(ASN_TAG_NULL);
constexpr uint16_t kTagBoolean = AsnApplicationTag(ASN_TAG_BOOLEAN);
constexpr uint16_t kTagUnsigned = AsnApplicationTag(ASN_TAG_UNSIGNED);
constexpr uint16_t kTagSigned = AsnApplicationTag(ASN_TAG_SIGNED);
constexpr uint16_t kTagReal = AsnApplicationTag(ASN_TAG_REAL);
constexpr uint16_t kTagDouble = AsnApplicationTag(ASN_TAG_DOUBLE);
constexpr uint16_t kTagOctetString = AsnApplicationTag(ASN_TAG_OCTET_STRING);
constexpr uint16_t kTagBitString = AsnApplicationTag(ASN_TAG_BIT_STRING);
constexpr uint16_t kTagEnumerated = AsnApplicationTag(ASN_TAG_ENUMERATED);
constexpr uint16_t kTagDate = AsnApplicationTag(ASN_TAG_DATE);
constexpr uint16_t kTagTime = AsnApplicationTag(ASN_TAG_TIME);
constexpr uint16_t kTagObjectId = AsnApplicationTag(ASN_TAG_OBJECT_ID);

constexpr uint8_t kAny = 255;  // wire wildcard

uint32_t UnsignedLength(uint32_t v) {
  if (v < 0x100) return 1;
  if (v < 0x10000) return 2;
  if (v < 0x1000000) return 3;
  return 4;
}

uint32_t SignedLength(int32_t v) {
  if (v >= -128 && v <= 127) return 1;
  if (v >= -32768 && v <= 32767) return 2;
  if (v >= -8388608 && v <= 8388607) return 3;
  return 4;
}

// Header, then the low `length` octets of v, most significant first.
int32_t EncodeInteger(uint32_t v, uint32_t length, AsnCursor* cursor, uint16_t tag) {
  int32_t status = AsnEncodeTagHeader(cursor, tag, length);
  if (status != ASN_OK) return status;
  for (uint32_t i = length; i-- > 0;)
    *cursor->current++ = uint8_t(v >> (8 * i));
  return ASN_OK;
}

// Header and a fixed run of value octets, all or nothing.
int32_t EncodeOctets(const uint8_t* octets, uint32_t length, AsnCursor* cursor, uint16_t tag) {
  int32_t status = AsnEncodeTagHeader(cursor, tag, length);
  if (status != ASN_OK) return status;
  if (length) std::memcpy(cursor->current, octets, length);
  cursor->current += length;
  return ASN_OK;
}

uint32_t FloatWireBits(float v) {
  if (std::isnan(v)) return 0x7FFFFFFF;
  return std::bit_cast<uint32_t>(v);  // infinities are already canonical
}

uint64_t DoubleWireBits(double v) {
  if (std::isnan(v)) return 0x7FFFFFFFFFFFFFFF;
  return std::bit_cast<uint64_t>(v);
}

// Value octets of one primitive element, and the cursor moved past it.
const uint8_t* TakeElement(AsnCursor* cursor, uint32_t* length) {
  const uint8_t* p = cursor->current;
  uint32_t header = AsnTagHeaderLength(p);
  *length = AsnTagValueLength(p);
  cursor->current += header + *length;
  return p + header;
}

template <typename T>
void Store(void* out, T value) {
  if (out) std::memcpy(out, &value, sizeof value);
}

template <typename T>
T Load(const void* value) {
  T v;
  std::memcpy(&v, value, sizeof v);
  return v;
}

bool DateOctets(const VelmoraDate* d, uint8_t out[4]) {
  if (d->year == 0xFFFF) {
    out[0] = kAny;
  } else if (d->year >= 1900 && d->year <= 1900 + 254) {
    out[0] = uint8_t(d->year - 1900);
  } else {
    return false;
  }
  if (d->month > 14) return false;
  out[1] = d->month == 0 ? kAny : uint8_t(d->month);
  if (d->day == 0 || (d->day > 32 && d->day != kAny)) return false;
  out[2] = d->day;
  if (d->day_of_week > 7) return false;
  out[3] = d->day_of_week == 0 ? kAny : uint8_t(d->day_of_week);
  return true;
}

bool TimeOctets(const VelmoraTime* t, uint8_t out[4]) {
  const uint8_t fields[4] = {t->hour, t->minute, t->second, t->hundredths};
  constexpr uint8_t kMax[4] = {23, 59, 59, 99};
  for (int i = 0; i < 4; ++i) {
    if (fields[i] > kMax[i] && fields[i] != kAny) return false;
    out[i] = fields[i];
  }
  return true;
}

bool WeekNDayOctets(const VelmoraWeekNDay* w, uint8_t out[3]) {
  if (w->month > 14) return false;
  out[0] = w->month == 0 ? kAny : uint8_t(w->month);
  if (w->week_of_month == -1) {
    out[1] = kAny;
  } else if (w->week_of_month >= 1 && w->week_of_month <= 6) {
    out[1] = uint8_t(w->week_of_month);
  } else {
    return false;
  }
  if (w->day_of_week > 7) return false;
  out[2] = w->day_of_week == 0 ? kAny : uint8_t(w->day_of_week);
  return true;
}

}  // namespace

// Application-tagged encoders.

int32_t AsnEncodeNull(const void*, AsnCursor* cursor) {
  return AsnEncodeTagHeader(cursor, kTagNull, 0);
}

int32_t AsnEncodeBoolean(const void* value, AsnCursor* cursor) {
  // Any non-zero octet is true; the tag carries exactly 0 or 1.
  uint8_t b = *static_cast<const uint8_t*>(value) != 0 ? 1 : 0;
  return AsnEncodeTagByte(cursor, uint16_t(kTagBoolean | b));
}

int32_t AsnEncodeUnsigned(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedUnsigned(Load<uint32_t>(value), cursor, kTagUnsigned);
}

int32_t AsnEncodeSigned(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedSigned(Load<int32_t>(value), cursor, kTagSigned);
}

int32_t AsnEncodeReal(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedReal(Load<float>(value), cursor, kTagReal);
}

int32_t AsnEncodeDouble(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedDouble(Load<double>(value), cursor, kTagDouble);
}

int32_t AsnEncodeOctetString(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedOctetString(static_cast<const VelmoraOctetString*>(value), cursor,
                                    kTagOctetString);
}

int32_t AsnEncodeBitString(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedBitString(static_cast<const VelmoraBitString*>(value), cursor,
                                  kTagBitString);
}

int32_t AsnEncodeEnumerated(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedEnumerated(Load<uint32_t>(value), cursor, kTagEnumerated);
}

int32_t AsnEncodeDate(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedDate(static_cast<const VelmoraDate*>(value), cursor, kTagDate);
}

int32_t AsnEncodeTime(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedTime(static_cast<const VelmoraTime*>(value), cursor, kTagTime);
}

int32_t AsnEncodeObjectId(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedObjectId(static_cast<const VelmoraObjectId*>(value), cursor, kTagObjectId);
}

int32_t AsnEncodeWeekNDay(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedWeekNDay(static_cast<const VelmoraWeekNDay*>(value), cursor,
                                 kTagOctetString);
}

// Tagged encoders.

int32_t AsnEncodeTaggedUnsigned(uint32_t value, AsnCursor* cursor, uint16_t tag) {
  return EncodeInteger(value, UnsignedLength(value), cursor, tag);
}

int32_t AsnEncodeTaggedEnumerated(uint32_t value, AsnCursor* cursor, uint16_t tag) {
  return EncodeInteger(value, UnsignedLength(value), cursor, tag);
}

int32_t AsnEncodeTaggedSigned(int32_t value, AsnCursor* cursor, uint16_t tag) {
  return EncodeInteger(uint32_t(value), SignedLength(value), cursor, tag);
}

int32_t AsnEncodeTaggedReal(float value, AsnCursor* cursor, uint16_t tag) {
  uint8_t octets[4];
  AsnPutU32(octets, FloatWireBits(value));
  return EncodeOctets(octets, 4, cursor, tag);
}

int32_t AsnEncodeTaggedDouble(double value, AsnCursor* cursor, uint16_t tag) {
  uint64_t bits = DoubleWireBits(value);
  uint8_t octets[8];
  AsnPutU32(octets, uint32_t(bits >> 32));
  AsnPutU32(octets + 4, uint32_t(bits));
  return EncodeOctets(octets, 8, cursor, tag);
}

int32_t AsnEncodeTaggedDate(const VelmoraDate* value, AsnCursor* cursor, uint16_t tag) {
  if (!value) return ASN_INVALID_VALUE;
  uint8_t octets[4];
  if (!DateOctets(value, octets)) return ASN_OUT_OF_RANGE;
  return EncodeOctets(octets, 4, cursor, tag);
}

int32_t AsnEncodeTaggedTime(const VelmoraTime* value, AsnCursor* cursor, uint16_t tag) {
  if (!value) return ASN_INVALID_VALUE;
  uint8_t octets[4];
  if (!TimeOctets(value, octets)) return ASN_OUT_OF_RANGE;
  return EncodeOctets(octets, 4, cursor, tag);
}

int32_t AsnEncodeTaggedObjectId(const VelmoraObjectId* value, AsnCursor* cursor, uint16_t tag) {
  if (!value || value->type >= 1024 || value->instance > VELMORA_MAX_INSTANCE)
    return ASN_INVALID_VALUE;
  uint8_t octets[4];
  AsnPackObjectId(value, octets);
  return EncodeOctets(octets, 4, cursor, tag);
}

int32_t AsnEncodeTaggedBitString(const VelmoraBitString* value, AsnCursor* cursor, uint16_t tag) {
  if (!value) return ASN_INVALID_VALUE;
  if (value->count > VELMORA_BIT_STRING_MAX_BITS) return ASN_OUT_OF_RANGE;
  uint32_t bytes = (value->count + 7) / 8;
  uint8_t octets[1 + VELMORA_BIT_STRING_BYTES];
  octets[0] = uint8_t((8 - value->count % 8) % 8);
  std::memcpy(octets + 1, value->bits, bytes);
  // Bits past the count are no part of the value: send them clear.
  if (bytes) octets[bytes] &= uint8_t(0xFF << octets[0]);
  return EncodeOctets(octets, 1 + bytes, cursor, tag);
}

int32_t AsnEncodeTaggedOctetString(const VelmoraOctetString* value, AsnCursor* cursor,
                                   uint16_t tag) {
  if (!value) return ASN_INVALID_VALUE;
  if ((!value->data && value->length) || value->length > value->buffer_size) return ASN_BAD_BUFFER;
  return EncodeOctets(value->data, value->length, cursor, tag);
}

int32_t AsnEncodeTaggedWeekNDay(const VelmoraWeekNDay* value, AsnCursor* cursor, uint16_t tag) {
  if (!value) return ASN_INVALID_VALUE;
  uint8_t octets[3];
  if (!WeekNDayOctets(value, octets)) return ASN_OUT_OF_RANGE;
  return EncodeOctets(octets, 3, cursor, tag);
}

int32_t AsnEncodeOptionalUnsigned(int32_t value, AsnCursor* cursor, uint16_t tag) {
  if (value == -1) return ASN_OK;
  if (value < 0) return ASN_BAD_OPTIONAL;
  return AsnEncodeTaggedUnsigned(uint32_t(value), cursor, tag);
}

int32_t AsnEncodeErrorPair(const VelmoraError* value, AsnCursor* cursor) {
  if (!value) return ASN_INVALID_VALUE;
  if (value->error_class > 0xFFFF || value->error_code > 0xFFFF) return ASN_BAD_ERROR_PAIR;
  int32_t status = AsnEncodeTaggedEnumerated(value->error_class, cursor, kTagEnumerated);
  if (status != ASN_OK) return status;
  return AsnEncodeTaggedEnumerated(value->error_code, cursor, kTagEnumerated);
}

// Decoders.

void AsnDecodeNull(AsnCursor* cursor, void*) {
  cursor->current += AsnTagHeaderLength(cursor->current);
}

void AsnDecodeBoolean(AsnCursor* cursor, void* out) {
  const uint8_t* p = cursor->current;
  uint8_t carrier;
  if (p[0] & ASN_CLASS_CONTEXT) {
    uint32_t length;
    const uint8_t* v = TakeElement(cursor, &length);
    carrier = length ? v[0] : 0;
  } else {
    carrier = p[0];
    cursor->current += AsnTagHeaderLength(p);
  }
  Store<uint8_t>(out, (carrier & 0x0F) != 0 ? 1 : 0);
}

void AsnDecodeUnsigned(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  Store<uint32_t>(out, length ? AsnUnpackUnsigned(std::min(length, 4u), v) : 0);
}

void AsnDecodeEnumerated(AsnCursor* cursor, void* out) { AsnDecodeUnsigned(cursor, out); }

void AsnDecodeSigned(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  Store<int32_t>(out, AsnUnpackSigned(length, v));
}

void AsnDecodeReal(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  float f = std::bit_cast<float>(AsnGetU32(v));
  if (std::isnan(f)) f = std::bit_cast<float>(uint32_t(0x7FFFFFFF));
  Store<float>(out, f);
}

void AsnDecodeDouble(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  uint64_t bits = uint64_t(AsnGetU32(v)) << 32 | AsnGetU32(v + 4);
  double d = std::bit_cast<double>(bits);
  if (std::isnan(d)) d = std::bit_cast<double>(uint64_t(0x7FFFFFFFFFFFFFFF));
  Store<double>(out, d);
}

void AsnDecodeOctetString(AsnCursor* cursor, void* out, uint8_t** arena) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  if (!out) return;
  VelmoraOctetString s{nullptr, length, length};
  if (length) {
    s.data = AsnArenaTake(arena, length);
    std::memcpy(s.data, v, length);
  }
  Store(out, s);
}

void AsnDecodeBitString(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  if (!out) return;
  VelmoraBitString bs{};
  if (length) {
    uint32_t bytes = std::min(length - 1, VELMORA_BIT_STRING_BYTES);
    uint32_t unused = v[0] & 7;
    bs.count = bytes * 8 > unused ? bytes * 8 - unused : 0;
    std::memcpy(bs.bits, v + 1, bytes);
  }
  Store(out, bs);
}

void AsnDecodeDate(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  VelmoraDate d{};
  d.year = v[0] == kAny ? 0xFFFF : uint16_t(1900 + v[0]);
  d.month = v[1] == kAny ? 0 : v[1];
  d.day = v[2];
  d.day_of_week = v[3] == kAny ? 0 : v[3];
  Store(out, d);
}

void AsnDecodeTime(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  Store(out, VelmoraTime{v[0], v[1], v[2], v[3]});
}

void AsnDecodeObjectId(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  VelmoraObjectId id;
  AsnUnpackObjectId(&id, v);
  Store(out, id);
}

void AsnDecodeWeekNDay(AsnCursor* cursor, void* out) {
  uint32_t length;
  const uint8_t* v = TakeElement(cursor, &length);
  VelmoraWeekNDay w;
  w.month = v[0] == kAny ? 0 : v[0];
  w.week_of_month = v[1] == kAny ? -1 : v[1];
  w.day_of_week = v[2] == kAny ? 0 : v[2];
  Store(out, w);
}

uint32_t AsnDecodedSizeOctetString(const uint8_t* element, uint32_t) {
  return uint32_t(sizeof(VelmoraOctetString)) + AsnTagValueLength(element);
}

uint32_t AsnDecodedSize(const uint8_t* element) {
  switch (element[0] >> 4) {
    case ASN_TAG_NULL:
      return 0;
    case ASN_TAG_BOOLEAN:
      return 1;
    case ASN_TAG_UNSIGNED:
    case ASN_TAG_ENUMERATED:
      return sizeof(uint32_t);
    case ASN_TAG_SIGNED:
      return sizeof(int32_t);
    case ASN_TAG_REAL:
      return sizeof(float);
    case ASN_TAG_DOUBLE:
      return sizeof(double);
    case ASN_TAG_OCTET_STRING:
      return AsnDecodedSizeOctetString(element, 0);
    case ASN_TAG_CHAR_STRING: {
      AsnCursor one = AsnCursorOverConst(element, AsnTagElementLength(element));
      switch (AsnCharStringDatatype(&one)) {
        case ASN_TYPE_TEXT_ANSI:
          return AsnDecodedSizeAnsiText(element, 0);
        case ASN_TYPE_TEXT_DBCS:
          return AsnDecodedSizeDbcsText(element, 0);
        case ASN_TYPE_TEXT_JIS:
          return AsnDecodedSizeJisText(element, 0);
        case ASN_TYPE_TEXT_UCS4:
          return AsnDecodedSizeUcs4Text(element, 0);
        case ASN_TYPE_TEXT_UCS2:
          return AsnDecodedSizeUcs2Text(element, 0);
        case ASN_TYPE_TEXT_ISO8859:
          return AsnDecodedSizeIso8859Text(element, 0);
        default:
          return AsnDecodedSizeCharString(element, 0);
      }
    }
    case ASN_TAG_BIT_STRING:
      return sizeof(VelmoraBitString);
    case ASN_TAG_DATE:
      return sizeof(VelmoraDate);
    case ASN_TAG_TIME:
      return sizeof(VelmoraTime);
    case ASN_TAG_OBJECT_ID:
      return sizeof(VelmoraObjectId);
    default:
      return 0;
  }
}

// IEEE special values.

int32_t AsnClassifyDouble(double value) {
  if (std::isnan(value)) return ASN_DOUBLE_NAN;
  if (std::isinf(value)) return value < 0 ? ASN_DOUBLE_NEG_INF : ASN_DOUBLE_POS_INF;
  return ASN_DOUBLE_FINITE;
}

bool AsnFloatSpecialBits(int32_t cls, float* out) {
  constexpr uint32_t kBits[3] = {0x7F800000, 0xFF800000, 0x7FFFFFFF};
  if (!out) return false;
  if (cls == ASN_DOUBLE_FINITE) {
    *out = 0.0f;
    return false;
  }
  if (cls < 0 || cls > ASN_DOUBLE_NAN) return false;
  *out = std::bit_cast<float>(kBits[cls]);
  return true;
}

bool AsnDoubleSpecialBits(int32_t cls, double* out) {
  constexpr uint64_t kBits[3] = {0x7FF0000000000000, 0xFFF0000000000000, 0x7FFFFFFFFFFFFFFF};
  if (!out) return false;
  if (cls == ASN_DOUBLE_FINITE) {
    *out = 0.0;
    return false;
  }
  if (cls < 0 || cls > ASN_DOUBLE_NAN) return false;
  *out = std::bit_cast<double>(kBits[cls]);
  return true;
}
