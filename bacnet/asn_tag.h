// Bottom of the codec: the bounded cursor, BACnet tag headers, element
// measuring and skipping, integer and object identifier packing, and the
// common signatures of encoders, decoders and decoded-size functions.
//
// Encoders never write at or past the cursor's end. Decoders and the
// measuring routines (except AsnTagSkipElement, which is bounded) trust
// their input: they run on octets the APDU syntax checker accepted or that
// the library encoded itself.
#pragma once

#include <cstdint>

#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_status.h"
#include "bacnet/records.h"

// Application tag numbers.
inline constexpr uint8_t ASN_TAG_NULL = 0;
inline constexpr uint8_t ASN_TAG_BOOLEAN = 1;
inline constexpr uint8_t ASN_TAG_UNSIGNED = 2;
inline constexpr uint8_t ASN_TAG_SIGNED = 3;
inline constexpr uint8_t ASN_TAG_REAL = 4;
inline constexpr uint8_t ASN_TAG_DOUBLE = 5;
inline constexpr uint8_t ASN_TAG_OCTET_STRING = 6;
inline constexpr uint8_t ASN_TAG_CHAR_STRING = 7;
inline constexpr uint8_t ASN_TAG_BIT_STRING = 8;
inline constexpr uint8_t ASN_TAG_ENUMERATED = 9;
inline constexpr uint8_t ASN_TAG_DATE = 10;
inline constexpr uint8_t ASN_TAG_TIME = 11;
inline constexpr uint8_t ASN_TAG_OBJECT_ID = 12;

// First tag octet: bits 7-4 tag number (15: extended, number in the next
// octet), bit 3 context class, bits 2-0 length / value / type.
inline constexpr uint8_t ASN_CLASS_CONTEXT = 0x08;
inline constexpr uint8_t ASN_LVT_MASK = 0x07;
inline constexpr uint8_t ASN_LVT_EXTENDED = 5;
inline constexpr uint8_t ASN_LVT_OPENING = 6;
inline constexpr uint8_t ASN_LVT_CLOSING = 7;
inline constexpr uint8_t ASN_TAG_EXTENDED = 0xF0;

// A tag word is the first tag octet without its length bits in the low
// octet and, for tag numbers 15-254, the tag number in the high octet.
constexpr uint16_t AsnContextTag(uint8_t number) {
  return number < 15 ? uint16_t(number << 4 | ASN_CLASS_CONTEXT)
                     : uint16_t(number << 8 | ASN_TAG_EXTENDED | ASN_CLASS_CONTEXT);
}
constexpr uint16_t AsnApplicationTag(uint8_t number) { return uint16_t(number << 4); }
constexpr uint16_t AsnOpeningTag(uint8_t number) {
  return uint16_t(AsnContextTag(number) | ASN_LVT_OPENING);
}
constexpr uint16_t AsnClosingTag(uint8_t number) {
  return uint16_t(AsnContextTag(number) | ASN_LVT_CLOSING);
}
constexpr bool AsnIsOpeningTag(uint8_t octet) { return (octet & 0x0F) == 0x0E; }
constexpr bool AsnIsClosingTag(uint8_t octet) { return (octet & 0x0F) == 0x0F; }

// The codec cursor: next octet to write or read, and one past the last.
// Decoders read through the same record; they never write through it.
struct AsnCursor {
  uint8_t* current;
  uint8_t* end;
};

constexpr AsnCursor AsnCursorOver(uint8_t* data, uint32_t length) { return {data, data + length}; }
// For decoding octets the caller holds as const.
inline AsnCursor AsnCursorOverConst(const uint8_t* data, uint32_t length) {
  auto* p = const_cast<uint8_t*>(data);
  return {p, p + length};
}
inline uint32_t AsnCursorRoom(const AsnCursor* c) { return uint32_t(c->end - c->current); }

// Common signatures, held by pointer in the datatype table.
// Encoder: (value record, cursor) -> status. The variable-size text
// encoders take an AsnTextSource (below) that they advance; for them a
// null cursor only measures.
using AsnEncoder = int32_t (*)(const void* value, AsnCursor* cursor);
// Decoder of a datatype with neither variable parts nor a size function.
using AsnDecoder = void (*)(AsnCursor* cursor, void* out);
// Decoder of a datatype whose variable parts go to the arena.
using AsnArenaDecoder = void (*)(AsnCursor* cursor, void* out, uint8_t** arena);
// Decoder of a variable-size datatype: also reports the bytes it used.
using AsnVariableDecoder = void (*)(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
// (encoded element, octets available) -> bytes the decoded value needs.
using AsnDecodedSizeFn = uint32_t (*)(const uint8_t* element, uint32_t available);

// Decode arena: *arena is the top of the free space of the caller's output
// buffer; a decoder takes n bytes by lowering it by n and writing there.
inline uint8_t* AsnArenaTake(uint8_t** arena, uint32_t n) {
  *arena -= n;
  return *arena;
}

// A packed terminated text and the bytes left from it; the text encoders
// advance it past the text and its terminator.
struct AsnTextSource {
  const uint8_t* data;
  uint32_t left;
};

// Writes the tag word's low octet (length bits or'ed in by the caller) and,
// for a word of 256 or more, its high octet.
int32_t AsnEncodeTagByte(AsnCursor* cursor, uint16_t tag);
// Tag octet(s) and the value length in its shortest form; 18 when the
// header or the value to follow does not fit.
int32_t AsnEncodeTagHeader(AsnCursor* cursor, uint16_t tag, uint32_t length);
// Context-tagged Boolean: header of length 1, then 0 or 1.
int32_t AsnEncodeTaggedBoolean(uint8_t value, AsnCursor* cursor, uint16_t tag);

// Octets of tag and length of the element at p (opening and closing tags
// have no length octets).
uint32_t AsnTagHeaderLength(const uint8_t* p);
// Value length: 0 for application Null and Boolean and for opening and
// closing tags.
uint32_t AsnTagValueLength(const uint8_t* p);
// Header plus value of one primitive element.
uint32_t AsnTagElementLength(const uint8_t* p);
// Length of one whole element from p (an opening tag up to and including
// its matching closing tag). -1 when the element does not end before end,
// or p is a closing tag.
int32_t AsnTagSkipElement(const uint8_t* p, const uint8_t* end);
// Tag word of the element at p (first octet without length bits, extended
// tag number in the high octet).
uint16_t AsnTagWord(const uint8_t* p);

// Big-endian integers. Unsigned: 2, 3 or 4 octets, any other length one.
uint32_t AsnUnpackUnsigned(uint32_t length, const uint8_t* p);
// Signed: 1-4 octets, sign-extended.
int32_t AsnUnpackSigned(uint32_t length, const uint8_t* p);

// Object identifier: type in the top 10 bits, instance in the low 22.
void AsnPackObjectId(const VelmoraObjectId* id, uint8_t* out);
void AsnUnpackObjectId(VelmoraObjectId* id, const uint8_t* in);
constexpr uint32_t AsnObjectIdValueType(uint32_t value) { return value >> 22; }
constexpr uint32_t AsnObjectIdValueInstance(uint32_t value) { return value & VELMORA_MAX_INSTANCE; }
uint32_t AsnPackedObjectType(const uint8_t* p);
uint32_t AsnPackedObjectInstance(const uint8_t* p);

// Two consecutive primitive elements as unsigned (error class, error code);
// either output may be null.
void AsnDecodeUnsignedPair(AsnCursor* cursor, uint32_t* first, uint32_t* second);
// Decodes the next element as unsigned when it carries the expected tag
// word (and is neither past the end nor a closing tag); otherwise stores -1
// and reads nothing.
void AsnDecodeOptionalUnsigned(AsnCursor* cursor, int32_t* out, uint16_t expected_tag);

// Mechanical helpers.
uint16_t AsnGetU16(const uint8_t* p);
uint32_t AsnGetU32(const uint8_t* p);
void AsnPutU16(uint8_t* p, uint16_t v);
void AsnPutU32(uint8_t* p, uint32_t v);
uint32_t AsnSwap32(uint32_t v);
// One application-tagged unsigned at p; *next is set past it.
uint32_t AsnDecodeUnsignedAt(const uint8_t* p, const uint8_t** next);
// Singly linked lists whose items begin with their link.
void AsnListPush(void** head, void* item);
void* AsnListPop(void** head);
