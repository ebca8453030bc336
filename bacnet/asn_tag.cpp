#include "bacnet/asn_tag.h"

#include <climits>
#include <cstring>

namespace {

constexpr bool IsExtendedNumber(uint8_t octet) { return (octet & 0xF0) == ASN_TAG_EXTENDED; }
constexpr bool IsContext(uint8_t octet) { return (octet & ASN_CLASS_CONTEXT) != 0; }
// Application Null and Boolean carry no value octets.
constexpr bool IsApplicationNullOrBoolean(uint8_t octet) { return (octet & 0xE8) == 0; }

// Length octets behind length bits 5, the first one (given) included.
uint32_t ExtendedLengthOctets(uint8_t first) {
  if (first < 254) return 1;
  return first == 254 ? 3 : 5;
}

uint32_t LengthFieldOctets(uint32_t n) {
  if (n <= 4) return 0;
  if (n <= 253) return 1;
  if (n <= 0xFFFF) return 3;
  return 5;
}

}  // namespace

int32_t AsnEncodeTagByte(AsnCursor* cursor, uint16_t tag) {
  uint32_t need = tag >= 256 ? 2 : 1;
  if (AsnCursorRoom(cursor) < need) return ASN_NO_ROOM;
  *cursor->current++ = uint8_t(tag);
  if (tag >= 256) *cursor->current++ = uint8_t(tag >> 8);
  return ASN_OK;
}

int32_t AsnEncodeTagHeader(AsnCursor* cursor, uint16_t tag, uint32_t length) {
  // The whole element is checked first so that a refused header leaves
  // the cursor and the octets after it untouched.
  uint64_t need = (tag >= 256 ? 2 : 1) + uint64_t(LengthFieldOctets(length)) + length;
  if (AsnCursorRoom(cursor) < need) return ASN_NO_ROOM;
  uint8_t* p = cursor->current;
  *p++ = uint8_t((tag & 0xF8) | (length <= 4 ? length : ASN_LVT_EXTENDED));
  if (tag >= 256) *p++ = uint8_t(tag >> 8);
  if (length > 4) {
    if (length <= 253) {
      *p++ = uint8_t(length);
    } else if (length <= 0xFFFF) {
      *p++ = 254;
      AsnPutU16(p, uint16_t(length));
      p += 2;
    } else {
      *p++ = 255;
      AsnPutU32(p, length);
      p += 4;
    }
  }
  cursor->current = p;
  return ASN_OK;
}

int32_t AsnEncodeTaggedBoolean(uint8_t value, AsnCursor* cursor, uint16_t tag) {
  int32_t status = AsnEncodeTagHeader(cursor, tag, 1);
  if (status != ASN_OK) return status;
  *cursor->current++ = value != 0 ? 1 : 0;
  return ASN_OK;
}

uint32_t AsnTagHeaderLength(const uint8_t* p) {
  uint32_t tag_octets = IsExtendedNumber(p[0]) ? 2 : 1;
  // Application Null and Boolean are one octet whatever their low bits,
  // as the skip walk counts them.
  if (IsApplicationNullOrBoolean(p[0]) || (p[0] & ASN_LVT_MASK) != ASN_LVT_EXTENDED)
    return tag_octets;
  return tag_octets + ExtendedLengthOctets(p[tag_octets]);
}

uint32_t AsnTagValueLength(const uint8_t* p) {
  if (IsApplicationNullOrBoolean(p[0])) return 0;
  uint8_t lvt = p[0] & ASN_LVT_MASK;
  // 6 and 7 mark opening and closing tags on context tags only; on an
  // application tag (never valid) they count as lengths, as the skip
  // walk takes them.
  if (lvt > ASN_LVT_EXTENDED) return IsContext(p[0]) ? 0 : lvt;
  if (lvt < ASN_LVT_EXTENDED) return lvt;
  const uint8_t* q = p + (IsExtendedNumber(p[0]) ? 2 : 1);
  if (q[0] < 254) return q[0];
  return q[0] == 254 ? AsnGetU16(q + 1) : AsnGetU32(q + 1);
}

uint32_t AsnTagElementLength(const uint8_t* p) {
  return AsnTagHeaderLength(p) + AsnTagValueLength(p);
}

int32_t AsnTagSkipElement(const uint8_t* p, const uint8_t* end) {
  if (p == nullptr || end == nullptr || end <= p) return -1;
  const uint8_t* q = p;
  uint32_t depth = 0;
  do {
    size_t room = size_t(end - q);
    if (room == 0) return -1;
    uint8_t first = q[0];
    size_t size = IsExtendedNumber(first) ? 2 : 1;
    if (size > room) return -1;
    uint8_t lvt = first & ASN_LVT_MASK;
    if (IsContext(first) && lvt == ASN_LVT_OPENING) {
      ++depth;
    } else if (IsContext(first) && lvt == ASN_LVT_CLOSING) {
      if (depth == 0) return -1;  // a closing tag is no element
      --depth;
    } else if (!IsApplicationNullOrBoolean(first)) {
      uint64_t value = lvt;
      if (lvt == ASN_LVT_EXTENDED) {
        if (size + 1 > room) return -1;
        uint8_t len = q[size];
        size += ExtendedLengthOctets(len);
        if (size > room) return -1;
        value = len < 254 ? len : len == 254 ? AsnGetU16(q + size - 2) : AsnGetU32(q + size - 4);
      }
      if (value > room - size) return -1;
      size += size_t(value);
    }
    q += size;
  } while (depth != 0);
  if (q - p > INT32_MAX) return -1;
  return int32_t(q - p);
}

uint16_t AsnTagWord(const uint8_t* p) {
  uint16_t word = p[0] & 0xF8;
  if (IsExtendedNumber(p[0])) word = uint16_t(word | p[1] << 8);
  return word;
}

uint32_t AsnUnpackUnsigned(uint32_t length, const uint8_t* p) {
  switch (length) {
    case 2:
      return AsnGetU16(p);
    case 3:
      return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    case 4:
      return AsnGetU32(p);
    default:
      return p[0];
  }
}

int32_t AsnUnpackSigned(uint32_t length, const uint8_t* p) {
  if (length == 0) return 0;
  if (length > 4) length = 4;
  uint32_t v = (p[0] & 0x80) ? 0xFFFFFFFFu : 0;
  for (uint32_t i = 0; i < length; ++i)
    v = v << 8 | p[i];
  return int32_t(v);
}

void AsnPackObjectId(const VelmoraObjectId* id, uint8_t* out) {
  out[0] = uint8_t(id->type >> 2);
  out[1] = uint8_t(id->type << 6 | ((id->instance >> 16) & 0x3F));
  out[2] = uint8_t(id->instance >> 8);
  out[3] = uint8_t(id->instance);
}

void AsnUnpackObjectId(VelmoraObjectId* id, const uint8_t* in) {
  id->type = AsnPackedObjectType(in);
  id->instance = AsnPackedObjectInstance(in);
}

uint32_t AsnPackedObjectType(const uint8_t* p) { return AsnObjectIdValueType(AsnGetU32(p)); }
uint32_t AsnPackedObjectInstance(const uint8_t* p) {
  return AsnObjectIdValueInstance(AsnGetU32(p));
}

namespace {

uint32_t DecodeUnsignedElement(AsnCursor* cursor) {
  const uint8_t* p = cursor->current;
  uint32_t header = AsnTagHeaderLength(p);
  uint32_t length = AsnTagValueLength(p);
  cursor->current += header + length;
  return length == 0 ? 0 : AsnUnpackUnsigned(length, p + header);
}

}  // namespace

void AsnDecodeUnsignedPair(AsnCursor* cursor, uint32_t* first, uint32_t* second) {
  uint32_t a = DecodeUnsignedElement(cursor);
  uint32_t b = DecodeUnsignedElement(cursor);
  if (first) *first = a;
  if (second) *second = b;
}

void AsnDecodeOptionalUnsigned(AsnCursor* cursor, int32_t* out, uint16_t expected_tag) {
  const uint8_t* p = cursor->current;
  bool present = p < cursor->end && !AsnIsClosingTag(p[0]) &&
                 (!IsExtendedNumber(p[0]) || cursor->end - p >= 2) && AsnTagWord(p) == expected_tag;
  int32_t value = present ? int32_t(DecodeUnsignedElement(cursor)) : -1;
  if (out) *out = value;
}

uint16_t AsnGetU16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t AsnGetU32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
void AsnPutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
void AsnPutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}
uint32_t AsnSwap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

uint32_t AsnDecodeUnsignedAt(const uint8_t* p, const uint8_t** next) {
  AsnCursor c = AsnCursorOverConst(p, AsnTagElementLength(p));
  uint32_t v = DecodeUnsignedElement(&c);
  if (next) *next = c.current;
  return v;
}

void AsnListPush(void** head, void* item) {
  std::memcpy(item, head, sizeof(void*));
  *head = item;
}

void* AsnListPop(void** head) {
  void* item = *head;
  if (item) std::memcpy(head, item, sizeof(void*));
  return item;
}
