#include "bacnet/asn_datatype.h"

#include <array>
#include <cstring>
#include <iterator>

#include "bacnet/asn_primitive.h"
#include "bacnet/asn_property.h"

namespace {

// Raw rows write their octets back as they were received.
int32_t EncodeRaw(const void* value, AsnCursor* cursor) {
  const auto* raw = static_cast<const VelmoraRawData*>(value);
  if (raw->length != 0 && !raw->data) return ASN_BAD_BUFFER;
  if (AsnCursorRoom(cursor) < raw->length) return ASN_NO_ROOM;
  if (raw->length != 0) std::memcpy(cursor->current, raw->data, raw->length);
  cursor->current += raw->length;
  return ASN_OK;
}

constexpr int32_t kVariable = -1;

// The element sizes of the constructed types are those of their 32-bit
// records until their codecs and records exist; rows whose record exists
// already use its size.
constexpr AsnDatatype kRows[] = {
    {0, 0, AsnPlainDecode<AsnDecodeNull>, AsnEncodeNull, nullptr},
    {1, sizeof(uint8_t), AsnPlainDecode<AsnDecodeBoolean>, AsnEncodeBoolean, nullptr},
    {2, sizeof(uint32_t), AsnPlainDecode<AsnDecodeUnsigned>, AsnEncodeUnsigned, nullptr},
    {3, sizeof(int32_t), AsnPlainDecode<AsnDecodeSigned>, AsnEncodeSigned, nullptr},
    {4, sizeof(float), AsnPlainDecode<AsnDecodeReal>, AsnEncodeReal, nullptr},
    {5, sizeof(double), AsnPlainDecode<AsnDecodeDouble>, AsnEncodeDouble, nullptr},
    {6, sizeof(VelmoraOctetString), AsnArenaDecode<AsnDecodeOctetString>, AsnEncodeOctetString,
     AsnDecodedSizeOctetString},
    {13, kVariable, AsnDecodeAnsiText, AsnEncodeAnsiText, AsnDecodedSizeAnsiText},
    {14, sizeof(VelmoraDbcsString), AsnArenaDecode<AsnDecodeDbcsText>, AsnEncodeDbcsText,
     AsnDecodedSizeDbcsText},
    {15, kVariable, AsnDecodeJisText, AsnEncodeJisText, AsnDecodedSizeJisText},
    {16, kVariable, AsnDecodeUcs4Text, AsnEncodeUcs4Text, AsnDecodedSizeUcs4Text},
    {17, kVariable, AsnDecodeUcs2Text, AsnEncodeUcs2Text, AsnDecodedSizeUcs2Text},
    {18, kVariable, AsnDecodeIso8859Text, AsnEncodeIso8859Text, AsnDecodedSizeIso8859Text},
    {7, sizeof(VelmoraCharString), AsnArenaDecode<AsnDecodeCharString>, AsnEncodeCharString,
     AsnDecodedSizeCharString},
    {8, sizeof(VelmoraBitString), AsnPlainDecode<AsnDecodeBitString>, AsnEncodeBitString, nullptr},
    {9, sizeof(uint32_t), AsnPlainDecode<AsnDecodeEnumerated>, AsnEncodeEnumerated, nullptr},
    {10, sizeof(VelmoraDate), AsnPlainDecode<AsnDecodeDate>, AsnEncodeDate, nullptr},
    {11, sizeof(VelmoraTime), AsnPlainDecode<AsnDecodeTime>, AsnEncodeTime, nullptr},
    {12, sizeof(VelmoraObjectId), AsnPlainDecode<AsnDecodeObjectId>, AsnEncodeObjectId, nullptr},
    {19, sizeof(VelmoraPriorityValue), nullptr, nullptr, nullptr},
    {20, sizeof(VelmoraAddress), nullptr, nullptr, nullptr},
    {21, sizeof(VelmoraDateTime), nullptr, nullptr, nullptr},
    {22, 16, nullptr, nullptr, nullptr},
    {23, 8, nullptr, nullptr, nullptr},
    {24, 32, nullptr, nullptr, nullptr},
    {25, sizeof(VelmoraWeekNDay), AsnPlainDecode<AsnDecodeWeekNDay>, AsnEncodeWeekNDay, nullptr},
    {26, 36, nullptr, nullptr, nullptr},
    {27, 20, nullptr, nullptr, nullptr},
    {28, 52, nullptr, nullptr, nullptr},
    {29, 28, nullptr, nullptr, nullptr},
    {30, 16, nullptr, nullptr, nullptr},
    {31, 20, nullptr, nullptr, nullptr},
    {32, 64, nullptr, nullptr, nullptr},
    {33, 8, nullptr, nullptr, nullptr},
    {34, 24, nullptr, nullptr, nullptr},
    {35, 8, nullptr, nullptr, nullptr},
    {36, 20, nullptr, nullptr, nullptr},
    {37, 28, nullptr, nullptr, nullptr},
    {38, 8, nullptr, nullptr, nullptr},
    {39, 60, nullptr, nullptr, nullptr},
    {40, 8, nullptr, nullptr, nullptr},
    {41, 16, nullptr, nullptr, nullptr},
    {42, 16, nullptr, nullptr, nullptr},
    {43, 52, nullptr, nullptr, nullptr},
    {44, 52, nullptr, nullptr, nullptr},
    {45, 20, nullptr, nullptr, nullptr},
    {46, 40, nullptr, nullptr, nullptr},
    {47, 32, nullptr, nullptr, nullptr},
    {48, 8, nullptr, nullptr, nullptr},
    {49, 8, nullptr, nullptr, nullptr},
    {50, 56, nullptr, nullptr, nullptr},
    {51, 8, nullptr, nullptr, nullptr},
    {52, 14, nullptr, nullptr, nullptr},
    {53, 20, nullptr, nullptr, nullptr},
    {54, 168, nullptr, nullptr, nullptr},
    {55, 40, nullptr, nullptr, nullptr},
    {-5, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
    {-4, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
    {-3, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
};
static_assert(std::size(kRows) == 59);

// Position of each code in kRows: codes 0-55 first, then -5 to -3.
constexpr auto kIndex = [] {
  std::array<int8_t, 59> index{};
  for (auto& i : index)
    i = -1;
  for (size_t r = 0; r < std::size(kRows); ++r) {
    int32_t code = kRows[r].code;
    index[size_t(code >= 0 ? code : 56 + (code + 5))] = int8_t(r);
  }
  return index;
}();

// Length of the element at p when one lies wholly before end and is not a
// closing tag; 0 otherwise.
uint32_t NextElement(const uint8_t* p, const uint8_t* end) {
  if (p >= end || AsnIsClosingTag(*p)) return 0;
  int32_t n = AsnTagSkipElement(p, end);
  return n > 0 ? uint32_t(n) : 0;
}

uint32_t ElementSize(const AsnDatatype* row, const uint8_t* p, const uint8_t* end) {
  return row->decodedSize ? row->decodedSize(p, uint32_t(end - p)) : uint32_t(row->size);
}

int32_t Decode(const AsnDatatype* row, const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
               VelmoraAllocator* allocator, bool list) {
  if (!row || !value || (!data && length != 0)) return ASN_MISSING_RECORD;
  const uint8_t* end = data + length;
  AsnCursor all = AsnCursorOverConst(data, length);
  value->type = row->code;
  value->count = list ? AsnListCount(row, &all) : (NextElement(data, end) ? 1 : 0);
  if (!allocator && !value->buffer) return ASN_OK;
  if (!row->decode) return ASN_NO_DECODER;

  uint32_t needed =
      list ? AsnDecodedSizeList(row, data, length) : AsnDecodedSizeValue(row, data, length);
  uint32_t fixed = row->size == kVariable ? needed : uint32_t(row->size) * value->count;
  if (allocator) {
    void* block = nullptr;
    if (needed != 0 && !(block = allocator->ops->alloc(allocator, needed))) {
      value->buffer = nullptr;
      value->capacity = 0;
      return ASN_NO_MEMORY;
    }
    value->buffer = block;
    value->capacity = needed;
  } else if (value->capacity < needed) {
    return ASN_NO_SPACE;
  }

  auto* base = static_cast<uint8_t*>(value->buffer);
  uint8_t* top = base ? base + value->capacity : nullptr;
  uint8_t** arena = needed > fixed ? &top : nullptr;
  AsnCursor cursor = all;
  uint32_t offset = 0;
  for (uint32_t i = 0; i < value->count; ++i) {
    uint32_t used = 0;
    row->decode(&cursor, base ? base + offset : nullptr, arena, &used);
    offset += row->size == kVariable ? used : uint32_t(row->size);
  }
  return ASN_OK;
}

}  // namespace

std::span<const AsnDatatype> AsnDatatypeRows() { return kRows; }

const AsnDatatype* AsnDatatypeFind(int32_t code) {
  if (code < -5 || code > 55 || code == -1 || code == -2) return nullptr;
  int8_t r = kIndex[size_t(code >= 0 ? code : 56 + (code + 5))];
  return r < 0 ? nullptr : &kRows[r];
}

int32_t AsnNextDatatype(const AsnCursor* cursor) {
  if (cursor->current >= cursor->end) return ASN_TYPE_NONE;
  uint8_t octet = *cursor->current;
  if (octet & ASN_CLASS_CONTEXT) return ASN_TYPE_NONE;
  int32_t tag = octet >> 4;
  if (tag > ASN_TAG_OBJECT_ID) return ASN_TYPE_NONE;
  if (tag == ASN_TAG_CHAR_STRING) {
    AsnCursor one = {cursor->current, cursor->current + NextElement(cursor->current, cursor->end)};
    return AsnCharStringDatatype(&one);
  }
  return tag;
}

uint32_t AsnListCount(const AsnDatatype* row, const AsnCursor* cursor) {
  (void)row;
  uint32_t count = 0;
  for (const uint8_t* p = cursor->current; uint32_t n = NextElement(p, cursor->end); p += n)
    ++count;
  return count;
}

uint32_t AsnDecodedSizeList(const AsnDatatype* row, const uint8_t* data, uint32_t length) {
  const uint8_t* end = data + length;
  uint32_t total = 0;
  for (const uint8_t* p = data; uint32_t n = NextElement(p, end); p += n)
    total += ElementSize(row, p, end);
  return total;
}

uint32_t AsnDecodedSizeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length) {
  const uint8_t* end = data + length;
  return NextElement(data, end) ? ElementSize(row, data, end) : 0;
}

int32_t AsnDecodeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                       VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  return Decode(row, data, length, value, allocator, false);
}

int32_t AsnDecodeValueList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  return Decode(row, data, length, value, allocator, true);
}

const AsnDatatype* AsnDatatypeForProperty(uint32_t property, int32_t arrayIndex,
                                          const AsnCursor* value, VelmoraAnyValue* record,
                                          uint32_t objectType, bool* list) {
  uint16_t code = AsnPropertyTypeCode(objectType, property);
  if (code == 0) return nullptr;
  bool isList = false;
  int32_t datatype;
  if (code & kAsnPropArray)
    isList = arrayIndex == -1;
  else
    isList = (code & kAsnPropList) != 0;

  bool empty = value->current >= value->end;
  if ((code & kAsnPropArray) && arrayIndex == 0) {
    datatype = ASN_TAG_UNSIGNED;
  } else {
    datatype = AsnSchemaDatatype(code);
    if (datatype == 7) {  // any character set: the text datatype the octets carry
      datatype = AsnCharStringDatatype(value);
      if (datatype < 0) datatype = 7;
    } else if (datatype == ASN_TYPE_ANY) {
      datatype = empty || AsnIsClosingTag(*value->current) ? 0 : AsnNextDatatype(value);
    } else if (!empty && *value->current == 0x00 &&
               (datatype == 2 || datatype == 4 || datatype == 5 || datatype == 9 ||
                datatype == 30)) {
      datatype = 0;
    }
  }
  if (list) *list = isList;
  if (record) record->type = datatype;
  return AsnDatatypeFind(datatype);
}

int32_t AsnDecodeByProperty(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                            const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                            VelmoraAllocator* allocator) {
  if (!value || (!data && length != 0)) return ASN_MISSING_RECORD;
  AsnCursor cursor = AsnCursorOverConst(data, length);
  bool list = false;
  const AsnDatatype* row =
      AsnDatatypeForProperty(property, arrayIndex, &cursor, value, objectType, &list);
  if (!row) return ASN_NO_PROPERTY_TYPE;
  if (!row->decode) return ASN_NO_DECODER;
  return list ? AsnDecodeValueList(row, data, length, value, allocator)
              : AsnDecodeValue(row, data, length, value, allocator);
}

int32_t AsnEncodeTypedArray(const VelmoraAnyValue* value, AsnCursor* cursor) {
  if (!value || !cursor) return ASN_MISSING_RECORD;
  const AsnDatatype* row = AsnDatatypeFind(value->type);
  if (!row || !row->encode) return ASN_NO_CODEC;
  if (value->count == 0) return ASN_OK;
  if (value->capacity != 0 && !value->buffer) return ASN_BAD_BUFFER;
  const auto* p = static_cast<const uint8_t*>(value->buffer);
  if (row->size == kVariable) {
    AsnTextSource source = {p, value->capacity};
    for (uint32_t i = 0; i < value->count; ++i)
      if (int32_t status = row->encode(&source, cursor)) return status;
    return ASN_OK;
  }
  uint32_t left = value->capacity;
  for (uint32_t i = 0; i < value->count; ++i) {
    if (left < uint32_t(row->size)) return ASN_BAD_BUFFER;
    if (int32_t status = row->encode(p, cursor)) return status;
    p += row->size;
    left -= uint32_t(row->size);
  }
  return ASN_OK;
}

uint32_t AsnValueBufferSize(const VelmoraAnyValue* value) {
  if (!value || !value->buffer || value->capacity == 0) return 0;
  const AsnDatatype* row = AsnDatatypeFind(value->type);
  if (!row) return 0;
  if (row->size != kVariable) {
    uint64_t bytes = uint64_t(row->size) * value->count;
    return bytes <= value->capacity ? uint32_t(bytes) : 0;
  }
  AsnTextSource source = {static_cast<const uint8_t*>(value->buffer), value->capacity};
  for (uint32_t i = 0; i < value->count; ++i)
    if (row->encode(&source, nullptr) != ASN_OK) return 0;
  return value->capacity - source.left;
}
