#include "bacnet/asn_value_decode.h"

#include <cstring>

#include "bacnet/asn_check.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_schema.h"
#include "bacnet/asn_value_walk.h"

namespace {

// A date-time pair: application Date then application Time, 5 octets each.
constexpr uint8_t kDateTag = 0xA4;
constexpr uint8_t kTimeTag = 0xB4;
constexpr uint32_t kPairLength = 10;

// The row that decodes elements of the datatype, or null.
const AsnDatatype* ElementRow(int32_t datatype) {
  const AsnDatatype* row = AsnDatatypeFind(datatype);
  return row && row->decode ? row : nullptr;
}

bool InRange(uint8_t v, uint8_t lo, uint8_t hi) { return v == 255 || (v >= lo && v <= hi); }

uint32_t RawSize(uint32_t length) { return uint32_t(sizeof(VelmoraRawData)) + length; }

// The raw form: the record, then the octets right behind it.
void WriteRaw(uint8_t* block, const uint8_t* data, uint32_t length) {
  VelmoraRawData raw = {length, block + sizeof(VelmoraRawData)};
  std::memcpy(block, &raw, sizeof raw);
  if (length != 0) std::memcpy(block + sizeof raw, data, length);
}

// Exactly size bytes below the arena end: rounding the address down would
// reach below the budget measured for the block whenever the end is not
// aligned.
uint8_t* Carve(uint8_t** arenaEnd, uint32_t size) {
  *arenaEnd -= size;
  return *arenaEnd;
}

constexpr VelmoraAllocatorOps kBudgetOps = {AsnBudgetAlloc, AsnBudgetFree};

int WholeValueCheck(AsnPropertyCheck* check, int32_t* datatype) {
  return AsnCheckPropertyDatatype(check, datatype);
}

// The alternatives of a choice that an element's tag picks without the
// general walk: its application-tagged primitive rows, up to the first
// alternative of any other kind (a tag that none of these takes is left to
// the general check, which tries that one next).
struct PlainChoice {
  uint32_t count;
  uint8_t tags[4];
  uint16_t rows[4];
};

PlainChoice PlainAlternatives(const AsnSchemaType& choice) {
  PlainChoice c{};
  const auto* alts = static_cast<const AsnSchemaElement*>(choice.data);
  for (uint32_t i = 0; i < choice.bound && c.count < 4; ++i) {
    const AsnSchemaType& alt = AsnSchemaTable[alts[i].row];
    if (alts[i].contextTag >= 0 || alts[i].flags != 0 || (alt.tagKind & AsnKindMask) != 0) break;
    c.tags[c.count] = uint8_t(alt.tagKind & 0xF0);
    c.rows[c.count++] = alts[i].row;
  }
  return c;
}

// The octets the checker takes for an element of the primitive row at p,
// whose tag the row's is, in the forms read here: -1 when it refuses the
// element, 0 when the form is left to it. A one-octet tag holds the length.
int32_t PlainElement(const AsnSchemaType& row, const uint8_t* p, uint32_t room) {
  const uint8_t first = p[0];
  const uint32_t length = first & 0x07;
  switch (first >> 4) {
    case ASN_TAG_NULL:
      return first == 0x00 ? 1 : -1;
    case ASN_TAG_REAL:
      return first == 0x44 && room > 4 ? 5 : 0;
    case ASN_TAG_ENUMERATED: {
      if (length == 0 || length > 4 || length >= room) return 0;
      const uint32_t v = AsnUnpackUnsigned(length, p + 1);
      return row.bound != 0 && v >= row.bound ? -1 : int32_t(1 + length);
    }
    case ASN_TAG_OBJECT_ID:
      return first == 0xC4 && room > 4 && (row.tagKind & 0x03) != 1 ? 5 : 0;
    case ASN_TAG_BIT_STRING: {
      // Status flags and the like: four bits at least, in one tag octet.
      if (length < 2 || length > 4 || length >= room || p[1] > 7 || row.data) return 0;
      const uint32_t bits = (length - 1) * 8 - p[1];
      return row.bound == 0 || bits == row.bound ? int32_t(1 + length) : -1;
    }
    default:
      return 0;
  }
}

// One ANSI character string of a row that takes any text: its datatype
// is ANSI text when no zero octet lies in it, and it decodes to its octets
// and a terminator.
bool PlainText(const AsnSchemaType& row, const uint8_t* data, uint32_t length, AsnWalkValue* v) {
  if (row.data || row.bound != 0 || (row.tagKind & 0x03) != 0) return false;
  const uint8_t first = data[0];
  uint32_t header = 1;
  uint32_t text = first & 0x07;
  if (first == 0x75 && length >= 2) {
    header = 2;
    text = data[1];
    if (text < 5 || text >= 254) return false;
  } else if (first < 0x71 || first > 0x74) {
    return false;
  }
  if (uint64_t(header) + text != length || data[header] != VELMORA_CHARSET_ANSI) return false;
  if (std::memchr(data + header + 1, 0, text - 1)) return false;
  if (AsnSchemaRowOfDatatype(ASN_TYPE_TEXT_ANSI) != 0) return false;
  v->outcome = ASN_TYPED_BY_SCHEMA;
  v->datatype = ASN_TYPE_TEXT_ANSI;
  v->count = 1;
  v->decodeCount = 1;
  v->size = text;  // the octets after the character set, and a terminator
  return true;
}

// The common property values typed by their schema without the general
// walk: one element, or a whole array or list of elements, of a primitive
// row or of a choice of application-tagged primitive rows (a priority
// value). Each element is checked by the row the schema check would pick
// for it, so a value taken here gets the datatype, count and size that
// the general path gives; false leaves any other value, and every one
// these checks refuse, to it.
bool PlainMeasure(uint16_t code, int32_t arrayIndex, const uint8_t* data, uint32_t length,
                  AsnWalkValue* v) {
  const uint32_t rowIndex = AsnTypeCodeRow(code);
  if (arrayIndex != -1 || length == 0 || rowIndex >= AsnSchemaRowCount) return false;
  const bool many = (code & (kAsnPropArray | kAsnPropList)) != 0;
  // The general check takes a lone Null of a property that may be one first.
  if (!(code & kAsnPropArray) && (code & kAsnPropMayBeNull) && data[0] == 0x00) return false;
  const AsnSchemaType& row = AsnSchemaTable[rowIndex];
  const bool choice = (row.tagKind & 0xFF) == AsnConstructedChoice;
  if (!choice && (row.tagKind & AsnKindMask) != AsnKindPrimitive) return false;
  if (!choice && (row.tagKind >> 4) == ASN_TAG_CHAR_STRING)
    return !many && PlainText(row, data, length, v);
  const PlainChoice alts = choice ? PlainAlternatives(row) : PlainChoice{};
  const uint8_t* p = data;
  uint32_t room = length;
  uint32_t elements = 0;
  do {
    const uint8_t first = p[0];
    if ((first & 0x0F) == 0x0F) return false;  // a closing tag ends a list short
    uint32_t element = rowIndex;
    if (choice) {
      element = 0;  // no element row is row 0
      for (uint32_t k = 0; k < alts.count && element == 0; ++k)
        if ((first & 0xF8) == alts.tags[k]) element = alts.rows[k];
      if (element == 0) return false;
    } else if ((first & 0xF8) != (row.tagKind & 0xF0)) {
      return false;
    }
    int32_t n = PlainElement(AsnSchemaTable[element], p, room);
    if (n == 0) {
      AsnCheckReader reader;
      AsnCheckReaderInit(&reader, p, room);
      if (AsnCheckElement(&reader, element) != AsnCheckOk) return false;
      n = int32_t(room - reader.remaining);
    }
    if (n < 0) return false;
    p += n;
    room -= uint32_t(n);
    ++elements;
  } while (many && room > 0);
  if (room != 0) return false;

  int32_t datatype = row.datatype;
  if (datatype == ASN_TYPE_CHAR_STRING) {
    AsnCursor all = AsnCursorOverConst(data, length);
    const int32_t text = AsnCharStringDatatype(&all);
    if (text >= 0) datatype = text;
  }
  const AsnDatatype* element = ElementRow(datatype);
  if (!element) return false;
  AsnMeasured m{elements, elements * uint32_t(element->size)};
  if (element->decodedSize || element->size < 0 || AsnSchemaRowOfDatatype(datatype) != 0)
    m = AsnMeasureValues(element, data, length, many);
  v->outcome = ASN_TYPED_BY_SCHEMA;
  v->datatype = datatype;
  v->count = m.count;
  v->decodeCount = m.count;
  v->size = m.size;
  // A single value counts as one whatever its measure counted.
  if (!many) v->count = 1;
  return true;
}

// A property value as the decode takes it: classified, counted and, when
// sized, measured, into *v. Measuring a value through a walk keeps what it
// found there, and a value the walk holds is taken from it instead (the
// walk's own record is answered then).
const AsnWalkValue* Measure(const uint8_t* data, uint32_t length, AsnPropertyChecker check,
                            uint32_t objectType, uint32_t property, int32_t arrayIndex, bool sized,
                            AsnWalkValue* v) {
  *v = {data, check, length, objectType, property, arrayIndex, 0, 0, 0, 0, 0};
  AsnValueWalk* walk = AsnCurrentWalk();
  if (walk && sized)
    if (const AsnWalkValue* kept = AsnWalkFind(walk, *v)) return kept;
  if (sized && check == WholeValueCheck) {
    const uint16_t code = AsnPropertyTypeCode(objectType, property);
    if (code != 0 && PlainMeasure(code, arrayIndex, data, length, v)) {
      if (walk) AsnWalkKeep(walk, *v);
      return v;
    }
  }
  v->outcome = AsnClassifyPropertyValue(data, length, check, objectType, property, arrayIndex,
                                        &v->datatype, &v->count);
  const AsnDatatype* row = ElementRow(v->datatype);
  v->decodeCount = v->count;
  switch (v->outcome) {
    case ASN_TYPED_BY_SCHEMA: {
      // A list typed by its schema is counted before anything is decoded, so
      // that the caller learns the count whatever follows.
      const bool list = v->count == 0;
      if (row && sized) {
        const AsnMeasured m = AsnMeasureValues(row, data, length, list);
        v->size = m.size;
        v->decodeCount = m.count;
      } else if (list) {
        AsnCursor all = AsnCursorOverConst(data, length);
        v->decodeCount = AsnListCount(AsnDatatypeFind(v->datatype), &all);
      }
      if (list) v->count = v->decodeCount;
      break;
    }
    case ASN_TYPED_BY_TAGS:
      v->size = row && sized ? AsnDecodedSizeElements(data, length, row, v->count) : 0;
      break;
    default:
      v->size = RawSize(length);
  }
  if (walk && sized) AsnWalkKeep(walk, *v);
  return v;
}

// A value without a property context and the block it takes in its arena.
struct AnyValue {
  int32_t datatype;
  uint32_t count;
  const AsnDatatype* row;  // null: kept raw
  uint32_t block;
};

AnyValue ClassifyAnyValue(const uint8_t* data, uint32_t length) {
  AnyValue a{};
  a.datatype = AsnClassifyValue(data, length, &a.count);
  a.row = ElementRow(a.datatype);
  if (!a.row) {
    a.datatype = ASN_TYPE_RAW_STANDARD;
    a.count = 1;
  }
  uint32_t exact = a.row ? AsnDecodedSizeElements(data, length, a.row, a.count) : RawSize(length);
  a.block = AsnBlockSize(exact);
  return a;
}

// Obtains a block of size bytes as the record's buffer, or checks the
// record's own capacity.
int32_t Obtain(VelmoraAnyValue* value, VelmoraAllocator* allocator, uint32_t size) {
  if (!allocator) return value->capacity < size ? ASN_NO_SPACE : ASN_OK;
  void* block = size ? allocator->ops->alloc(allocator, size) : nullptr;
  if (size && !block) {
    value->buffer = nullptr;
    value->capacity = 0;
    return ASN_NO_MEMORY;
  }
  value->buffer = block;
  value->capacity = size;
  return ASN_OK;
}

uint32_t SizeFor(AsnPropertyChecker check, uint32_t objectType, uint32_t property,
                 int32_t arrayIndex, const uint8_t* data, uint32_t length) {
  return AsnDecodedSizeTypedValue(data, length, check, objectType, property, arrayIndex);
}

}  // namespace

int AsnCheckPropertyElements(AsnPropertyCheck* check, int32_t* datatype) {
  const uint8_t* data = check->data;
  uint32_t length = check->length;
  if ((check->typeCode & kAsnPropArray) && (check->arrayIndex == 0 || check->arrayIndex == -1)) {
    check->consumed = 0;
    return ASN_BAD_ARRAY_INDEX;  // an element walk needs one element of the array
  }
  uint32_t consumed = 0;
  int status = 0;
  do {
    check->data = data + consumed;
    check->length = length - consumed;
    status = AsnCheckListElement(check, datatype);
    if (status != 0 || check->consumed == 0) break;
    consumed += check->consumed;
  } while (consumed < length);
  check->data = data;
  check->length = length;
  check->consumed = consumed;
  return status;
}

uint32_t AsnPrimitiveLengths(const uint8_t* p, uint32_t available, uint32_t* header) {
  *header = 0;
  if (available == 0) return 0;
  uint8_t lvt = p[0] & ASN_LVT_MASK;
  if (p[0] < 0x20) {
    *header = 1;
    return 0;
  }
  if (lvt < ASN_LVT_EXTENDED) {
    *header = 1;
    return lvt;
  }
  if (available < 2) return 0;
  if (p[1] == 254) {
    if (available < 4) return 0;
    *header = 4;
    return AsnGetU16(p + 2);
  }
  if (p[1] == 255) {
    if (available < 6) return 0;
    *header = 6;
    return AsnGetU32(p + 2);
  }
  *header = 2;
  return p[1];
}

int32_t AsnValidatePrimitive(const uint8_t* p, uint32_t available) {
  if (available == 0 || (p[0] & ASN_CLASS_CONTEXT)) return -1;
  uint8_t tag = p[0] >> 4;
  uint8_t lvt = p[0] & ASN_LVT_MASK;
  if (tag > ASN_TAG_OBJECT_ID || lvt == ASN_LVT_OPENING || lvt == ASN_LVT_CLOSING) return -1;
  uint32_t header = 0;
  uint32_t len = AsnPrimitiveLengths(p, available, &header);
  if (header == 0 || uint64_t(header) + len > available) return -1;
  const uint8_t* v = p + header;
  bool ok = false;
  switch (tag) {
    case ASN_TAG_NULL:
      ok = p[0] == 0x00;
      break;
    case ASN_TAG_BOOLEAN:
      ok = lvt <= 1;
      break;
    case ASN_TAG_UNSIGNED:
    case ASN_TAG_ENUMERATED:
      ok = len >= 1 && len <= 4 && (len == 1 || v[0] != 0);
      break;
    case ASN_TAG_SIGNED:
      ok = len >= 1 && len <= 4 &&
           (len == 1 || !((v[0] == 0x00 && !(v[1] & 0x80)) || (v[0] == 0xFF && (v[1] & 0x80))));
      break;
    case ASN_TAG_REAL:
    case ASN_TAG_OBJECT_ID:
      ok = len == 4;
      break;
    case ASN_TAG_DOUBLE:
      ok = len == 8;
      break;
    case ASN_TAG_OCTET_STRING:
      ok = true;
      break;
    case ASN_TAG_CHAR_STRING:
      ok = len >= 1 && v[0] <= VELMORA_CHARSET_ISO8859 &&
           (v[0] != VELMORA_CHARSET_DBCS || len >= 3) &&
           (v[0] != VELMORA_CHARSET_UCS4 || (len - 1) % 4 == 0) &&
           (v[0] != VELMORA_CHARSET_UCS2 || (len - 1) % 2 == 0);
      break;
    case ASN_TAG_BIT_STRING:
      ok = len >= 1 && len <= 11 && v[0] <= 7 && (len > 1 || v[0] == 0);
      break;
    case ASN_TAG_DATE:
      ok = len == 4 && InRange(v[1], 1, 14) && InRange(v[2], 1, 32) && InRange(v[3], 1, 7);
      break;
    case ASN_TAG_TIME:
      ok = len == 4 && InRange(v[0], 0, 23) && InRange(v[1], 0, 59) && InRange(v[2], 0, 59) &&
           InRange(v[3], 0, 99);
      break;
  }
  return ok ? int32_t(header + len) : -1;
}

int32_t AsnClassifyValue(const uint8_t* data, uint32_t length, uint32_t* count) {
  *count = 1;
  if (length == 0 || (data[0] & ASN_CLASS_CONTEXT) || (data[0] >> 4) > ASN_TAG_OBJECT_ID)
    return ASN_TYPE_RAW_STANDARD;

  if (data[0] == kDateTag && length >= kPairLength && data[5] == kTimeTag) {
    uint32_t pairs = 0;
    for (uint32_t at = 0; at < length; at += kPairLength, ++pairs) {
      const uint8_t* p = data + at;
      if (length - at < kPairLength || p[0] != kDateTag || p[5] != kTimeTag ||
          AsnValidatePrimitive(p, 5) != 5 || AsnValidatePrimitive(p + 5, 5) != 5)
        return ASN_TYPE_RAW_STANDARD;
    }
    *count = pairs;
    return ASN_TYPE_DATE_TIME;
  }

  uint8_t tag = data[0] >> 4;
  uint32_t elements = 0;
  for (uint32_t at = 0; at < length; ++elements) {
    if ((data[at] >> 4) != tag) return ASN_TYPE_RAW_STANDARD;
    int32_t n = AsnValidatePrimitive(data + at, length - at);
    if (n < 0) return ASN_TYPE_RAW_STANDARD;
    at += uint32_t(n);
  }
  *count = elements;
  if (tag == ASN_TAG_CHAR_STRING) {
    AsnCursor all = AsnCursorOverConst(data, length);
    return AsnCharStringDatatype(&all);
  }
  return tag;
}

int32_t AsnRawDatatype(uint32_t objectType, uint32_t property) {
  if (objectType <= 30 && property <= 235) return ASN_TYPE_RAW_STANDARD;
  if (objectType >= 128 || property >= 512) return ASN_TYPE_RAW_PROPRIETARY;
  return ASN_TYPE_RAW_RESERVED;
}

int32_t AsnClassifyPropertyValue(const uint8_t* data, uint32_t length, AsnPropertyChecker check,
                                 uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                 int32_t* datatype, uint32_t* count) {
  *count = 1;
  uint16_t code = AsnPropertyTypeCode(objectType, property);
  if (code == 0) {
    *datatype = AsnClassifyValue(data, length, count);
    if (*datatype != ASN_TYPE_RAW_STANDARD) return ASN_TYPED_BY_TAGS;
    *count = 1;
    *datatype = AsnRawDatatype(objectType, property);
    return ASN_KEPT_RAW;
  }
  AsnPropertyCheck request = {code, arrayIndex, data, length, 0};
  *datatype = ASN_TYPE_RAW_PROPRIETARY;
  if (check(&request, datatype) == 0) {
    if (request.consumed == length) {
      if (*datatype == ASN_TYPE_CHAR_STRING) {
        AsnCursor all = AsnCursorOverConst(data, length);
        int32_t text = AsnCharStringDatatype(&all);
        if (text >= 0) *datatype = text;
      }
      if (code & (kAsnPropArray | kAsnPropList)) *count = 0;
      return ASN_TYPED_BY_SCHEMA;
    }
  }
  int32_t byTags = AsnClassifyValue(data, length, count);
  if (byTags != ASN_TYPE_RAW_STANDARD) {
    *datatype = byTags;
    return ASN_TYPED_BY_TAGS;
  }
  *count = 1;
  *datatype = ASN_TYPE_RAW_PROPRIETARY;
  return ASN_KEPT_RAW;
}

uint32_t AsnDecodedSizeElements(const uint8_t* data, uint32_t length, const AsnDatatype* row,
                                uint32_t count) {
  if (!row->decodedSize) return count * uint32_t(row->size);
  return AsnDecodedSizeList(row, data, length);
}

uint32_t AsnDecodeElements(const uint8_t* data, uint32_t length, VelmoraAnyValue* value, bool carve,
                           const AsnDatatype* row) {
  auto* base = static_cast<uint8_t*>(value->buffer);
  uint8_t* top = base ? base + value->capacity : nullptr;
  uint8_t** arena = carve ? &top : nullptr;
  AsnCursor cursor = AsnCursorOverConst(data, length);
  uint32_t offset = 0;
  for (uint32_t i = 0; i < value->count && cursor.current < cursor.end; ++i) {
    uint32_t used = 0;
    row->decode(&cursor, base ? base + offset : nullptr, arena, &used);
    offset += row->size < 0 ? used : uint32_t(row->size);
  }
  return offset + uint32_t(base ? base + value->capacity - top : 0);
}

uint32_t AsnDecodedSizeAnyValue(const uint8_t* data, uint32_t length) {
  return ClassifyAnyValue(data, length).block;
}

void AsnDecodeAnyValue(const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                       uint8_t** arenaEnd) {
  AnyValue a = ClassifyAnyValue(data, length);
  *value = {a.datatype, a.block ? Carve(arenaEnd, a.block) : nullptr, a.block, a.count};
  if (!a.row) {
    WriteRaw(static_cast<uint8_t*>(value->buffer), data, length);
  } else if (a.block) {
    AsnDecodeElements(data, length, value, true, a.row);
  }
}

uint32_t AsnDecodedSizeTypedValue(const uint8_t* data, uint32_t length, AsnPropertyChecker check,
                                  uint32_t objectType, uint32_t property, int32_t arrayIndex) {
  AsnWalkValue v;
  return Measure(data, length, check, objectType, property, arrayIndex, true, &v)->size;
}

int32_t AsnDecodeTypedValue(VelmoraAnyValue* value, VelmoraAllocator* allocator,
                            AsnPropertyChecker check, uint32_t objectType, uint32_t property,
                            int32_t arrayIndex, const uint8_t* data, uint32_t length) {
  if (!value || (!data && length != 0)) return ASN_MISSING_RECORD;
  const bool sized = allocator || value->buffer;
  AsnWalkValue measured;
  const AsnWalkValue& v =
      *Measure(data, length, check, objectType, property, arrayIndex, sized, &measured);
  value->type = v.datatype;
  value->count = v.count;
  // The caller learns datatype and count only.
  if (!sized) return ASN_OK;
  const AsnDatatype* row = ElementRow(v.datatype);

  switch (v.outcome) {
    case ASN_TYPED_BY_SCHEMA:
      if (!row) return ASN_NO_DECODER;
      return AsnDecodeMeasured(row, data, length, value, allocator, {v.decodeCount, v.size});
    case ASN_TYPED_BY_TAGS: {
      if (!row) return ASN_NO_DECODER;
      if (int32_t status = Obtain(value, allocator, v.size)) return status;
      bool carve = row->size >= 0 && v.size != v.count * uint32_t(row->size);
      if (value->buffer) AsnDecodeElements(data, length, value, carve, row);
      return ASN_OK;
    }
    case ASN_KEPT_RAW: {
      if (int32_t status = Obtain(value, allocator, v.size)) return status;
      WriteRaw(static_cast<uint8_t*>(value->buffer), data, length);
      return ASN_OK;
    }
  }
  return ASN_NO_DECODER;
}

uint32_t AsnDecodedSizeProperty(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                const uint8_t* data, uint32_t length) {
  return SizeFor(WholeValueCheck, objectType, property, arrayIndex, data, length);
}

int32_t AsnDecodePropertyAlloc(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                               const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                               VelmoraAllocator* allocator) {
  return AsnDecodeTypedValue(value, allocator, WholeValueCheck, objectType, property, arrayIndex,
                             data, length);
}

int32_t AsnDecodePropertyBudget(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                                uint8_t** arenaEnd) {
  AsnBudgetAllocator budget;
  AsnBudgetAllocatorInit(&budget, arenaEnd);
  return AsnDecodeTypedValue(value, &budget.base, WholeValueCheck, objectType, property, arrayIndex,
                             data, length);
}

uint32_t AsnDecodedSizePropertyElements(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                        const uint8_t* data, uint32_t length) {
  return SizeFor(AsnCheckPropertyElements, objectType, property, arrayIndex, data, length);
}

int32_t AsnDecodePropertyElementsAlloc(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                       const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
                                       VelmoraAllocator* allocator) {
  return AsnDecodeTypedValue(value, allocator, AsnCheckPropertyElements, objectType, property,
                             arrayIndex, data, length);
}

int32_t AsnDecodePropertyElementsBudget(uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                        const uint8_t* data, uint32_t length,
                                        VelmoraAnyValue* value, uint8_t** arenaEnd) {
  AsnBudgetAllocator budget;
  AsnBudgetAllocatorInit(&budget, arenaEnd);
  return AsnDecodeTypedValue(value, &budget.base, AsnCheckPropertyElements, objectType, property,
                             arrayIndex, data, length);
}

void AsnBudgetAllocatorInit(AsnBudgetAllocator* budget, uint8_t** arenaEnd) {
  budget->base.ops = &kBudgetOps;
  budget->arenaEnd = arenaEnd;
}

void* AsnBudgetAlloc(VelmoraAllocator* allocator, uint32_t size) {
  if (size == 0) return nullptr;
  auto* budget = reinterpret_cast<AsnBudgetAllocator*>(allocator);
  return Carve(budget->arenaEnd, size);
}

void AsnBudgetFree(VelmoraAllocator*, void*) {}
