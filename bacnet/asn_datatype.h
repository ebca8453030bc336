// The datatype table: each datatype code's in-memory element size and its
// codec, and the generic decode, encode and measuring of values and lists
// of values held in a VelmoraAnyValue.
#pragma once

#include <cstdint>
#include <span>

#include "bacnet/any_value.h"
#include "bacnet/asn_tag.h"

// Every row decodes through one signature; the adapters below fit the
// plainer decoder forms to it. A null decode means the datatype has no
// decoder (the raw rows).
struct AsnDatatype {
  int32_t code;
  int32_t size;  // bytes of one element; -1 for a variable-size datatype
  AsnVariableDecoder decode;
  AsnEncoder encode;
  AsnDecodedSizeFn decodedSize;  // present where a decoded value has variable parts
};

template <AsnDecoder F>
void AsnPlainDecode(AsnCursor* cursor, void* out, uint8_t**, uint32_t*) {
  F(cursor, out);
}
template <AsnArenaDecoder F>
void AsnArenaDecode(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t*) {
  F(cursor, out, arena);
}

std::span<const AsnDatatype> AsnDatatypeRows();
const AsnDatatype* AsnDatatypeFind(int32_t code);

// Tag number of the next application element; a CharacterString gives the
// text datatype AsnCharStringDatatype picks.
int32_t AsnNextDatatype(const AsnCursor* cursor);
// Values of the row's datatype from the cursor up to its end or the first
// closing tag; a constructed value counts once, whatever number of encoded
// elements it spans. The sizes below walk the same values.
uint32_t AsnListCount(const AsnDatatype* row, const AsnCursor* cursor);
uint32_t AsnDecodedSizeList(const AsnDatatype* row, const uint8_t* data, uint32_t length);
// Bytes the first element takes decoded (0 when there is none).
uint32_t AsnDecodedSizeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length);
// One element, or every element up to the end or a closing tag, into the
// record: into its own buffer, or a block from the allocator when one is
// given; with neither only the datatype code and count are set.
int32_t AsnDecodeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                       VelmoraAnyValue* value, VelmoraAllocator* allocator);
int32_t AsnDecodeValueList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* value, VelmoraAllocator* allocator);

// The list codec's measure of one value or a list: the count it sets and
// the bytes it takes, found in one walk.
struct AsnMeasured {
  uint32_t count;
  uint32_t size;
};
AsnMeasured AsnMeasureValues(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                             bool list);
// The decode of what was measured so, as AsnDecodeValue or AsnDecodeValueList
// decode it, without measuring again.
int32_t AsnDecodeMeasured(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                          VelmoraAnyValue* value, VelmoraAllocator* allocator,
                          AsnMeasured measured);

// The same measure and decode of a list through a walk (asn_value_walk.h)
// the caller keeps from one to the other: the decode reuses what the
// measure found, and octets the walk notes as checked are not checked
// again. Results are those of the forms without a walk.
struct AsnValueWalk;
uint32_t AsnDecodedSizeList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                            AsnValueWalk* walk);
int32_t AsnDecodeValueList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* value, VelmoraAllocator* allocator, AsnValueWalk* walk);

// The row for the encoded value of the property, or null when the object
// type has no such property; sets the record's datatype code.
const AsnDatatype* AsnDatatypeForProperty(uint32_t property, int32_t arrayIndex,
                                          const AsnCursor* value, VelmoraAnyValue* record,
                                          uint32_t objectType, bool* list);
int32_t AsnDecodeByProperty(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                            const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                            VelmoraAllocator* allocator);

int32_t AsnEncodeTypedArray(const VelmoraAnyValue* value, AsnCursor* cursor);
// Bytes the elements take in the buffer (variable parts not counted); 0 for
// an unknown code, no buffer, or elements that do not fit the capacity.
uint32_t AsnValueBufferSize(const VelmoraAnyValue* value);
