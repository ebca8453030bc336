#include "bacnet/asn_datatype.h"

#include <array>
#include <cstring>
#include <iterator>

#include "bacnet/asn_check.h"
#include "bacnet/asn_choices.h"
#include "bacnet/asn_commands.h"
#include "bacnet/asn_event_notif.h"
#include "bacnet/asn_event_params.h"
#include "bacnet/asn_logs.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_property.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_schedule.h"
#include "bacnet/asn_subscriptions.h"
#include "bacnet/asn_value_walk.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"
#include "bacnet/records_schedule.h"
#include "bacnet/records_session.h"

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

// Element sizes are those of the records the codecs read and write.
constexpr AsnDatatype kRows[] = {
    {ASN_TYPE_NULL, 0, AsnPlainDecode<AsnDecodeNull>, AsnEncodeNull, nullptr},
    {ASN_TYPE_BOOLEAN, sizeof(uint8_t), AsnPlainDecode<AsnDecodeBoolean>, AsnEncodeBoolean,
     nullptr},
    {ASN_TYPE_UNSIGNED, sizeof(uint32_t), AsnPlainDecode<AsnDecodeUnsigned>, AsnEncodeUnsigned,
     nullptr},
    {ASN_TYPE_SIGNED, sizeof(int32_t), AsnPlainDecode<AsnDecodeSigned>, AsnEncodeSigned, nullptr},
    {ASN_TYPE_REAL, sizeof(float), AsnPlainDecode<AsnDecodeReal>, AsnEncodeReal, nullptr},
    {ASN_TYPE_DOUBLE, sizeof(double), AsnPlainDecode<AsnDecodeDouble>, AsnEncodeDouble, nullptr},
    {ASN_TYPE_OCTET_STRING, sizeof(VelmoraOctetString), AsnArenaDecode<AsnDecodeOctetString>,
     AsnEncodeOctetString, AsnDecodedSizeOctetString},
    {ASN_TYPE_TEXT_ANSI, kVariable, AsnDecodeAnsiText, AsnEncodeAnsiText, AsnDecodedSizeAnsiText},
    {ASN_TYPE_TEXT_DBCS, sizeof(VelmoraDbcsString), AsnArenaDecode<AsnDecodeDbcsText>,
     AsnEncodeDbcsText, AsnDecodedSizeDbcsText},
    {ASN_TYPE_TEXT_JIS, kVariable, AsnDecodeJisText, AsnEncodeJisText, AsnDecodedSizeJisText},
    {ASN_TYPE_TEXT_UCS4, kVariable, AsnDecodeUcs4Text, AsnEncodeUcs4Text, AsnDecodedSizeUcs4Text},
    {ASN_TYPE_TEXT_UCS2, kVariable, AsnDecodeUcs2Text, AsnEncodeUcs2Text, AsnDecodedSizeUcs2Text},
    {ASN_TYPE_TEXT_ISO8859, kVariable, AsnDecodeIso8859Text, AsnEncodeIso8859Text,
     AsnDecodedSizeIso8859Text},
    {ASN_TYPE_CHAR_STRING, sizeof(VelmoraCharString), AsnArenaDecode<AsnDecodeCharString>,
     AsnEncodeCharString, AsnDecodedSizeCharString},
    {ASN_TYPE_BIT_STRING, sizeof(VelmoraBitString), AsnPlainDecode<AsnDecodeBitString>,
     AsnEncodeBitString, nullptr},
    {ASN_TYPE_ENUMERATED, sizeof(uint32_t), AsnPlainDecode<AsnDecodeEnumerated>,
     AsnEncodeEnumerated, nullptr},
    {ASN_TYPE_DATE, sizeof(VelmoraDate), AsnPlainDecode<AsnDecodeDate>, AsnEncodeDate, nullptr},
    {ASN_TYPE_TIME, sizeof(VelmoraTime), AsnPlainDecode<AsnDecodeTime>, AsnEncodeTime, nullptr},
    {ASN_TYPE_OBJECT_ID, sizeof(VelmoraObjectId), AsnPlainDecode<AsnDecodeObjectId>,
     AsnEncodeObjectId, nullptr},
    {ASN_TYPE_PRIORITY_VALUE, sizeof(VelmoraPriorityValue), AsnPlainDecode<AsnDecodePriorityValue>,
     AsnEncodePriorityValue, nullptr},
    {ASN_TYPE_ADDRESS, sizeof(VelmoraAddress), AsnPlainDecode<AsnDecodeAddress>, AsnEncodeAddress,
     nullptr},
    {ASN_TYPE_DATE_TIME, sizeof(VelmoraDateTime), AsnPlainDecode<AsnDecodeDateTime>,
     AsnEncodeDateTime, nullptr},
    {ASN_TYPE_OBJ_PROP_REF, sizeof(VelmoraObjPropRef), AsnPlainDecode<AsnDecodeObjPropRef>,
     AsnEncodeObjPropRef, nullptr},
    {ASN_TYPE_PROPERTY_STATES, sizeof(VelmoraPropertyStates),
     AsnPlainDecode<AsnDecodePropertyStates>, AsnEncodePropertyStates, nullptr},
    {ASN_TYPE_DATE_RANGE, sizeof(VelmoraDateRange), AsnPlainDecode<AsnDecodeDateRange>,
     AsnEncodeDateRange, nullptr},
    {ASN_TYPE_WEEK_N_DAY, sizeof(VelmoraWeekNDay), AsnPlainDecode<AsnDecodeWeekNDay>,
     AsnEncodeWeekNDay, nullptr},
    {ASN_TYPE_CALENDAR_ENTRY, sizeof(VelmoraCalendarEntry), AsnPlainDecode<AsnDecodeCalendarEntry>,
     AsnEncodeCalendarEntry, nullptr},
    {ASN_TYPE_TIME_VALUE, sizeof(VelmoraTimeValue), AsnArenaDecode<AsnDecodeTimeValue>,
     AsnEncodeTimeValue, AsnDecodedSizeTimeValue},
    {ASN_TYPE_SPECIAL_EVENT, sizeof(VelmoraSpecialEvent), AsnArenaDecode<AsnDecodeSpecialEvent>,
     AsnEncodeSpecialEvent, AsnDecodedSizeSpecialEvent},
    {ASN_TYPE_PROPERTY_VALUE, sizeof(VelmoraPropertyValue), AsnArenaDecode<AsnDecodePropertyValue>,
     AsnEncodePropertyValue, AsnDecodedSizePropertyValue},
    {ASN_TYPE_RECIPIENT, sizeof(VelmoraRecipient), AsnPlainDecode<AsnDecodeRecipient>,
     AsnEncodeRecipient, nullptr},
    {ASN_TYPE_SETPOINT_REF, sizeof(VelmoraSetpointRef), AsnPlainDecode<AsnDecodeSetpointRef>,
     AsnEncodeSetpointRef, nullptr},
    {ASN_TYPE_DESTINATION, sizeof(VelmoraDestination), AsnPlainDecode<AsnDecodeDestination>,
     AsnEncodeDestination, nullptr},
    {ASN_TYPE_DAILY_SCHEDULE, sizeof(VelmoraDailySchedule), AsnArenaDecode<AsnDecodeDailySchedule>,
     AsnEncodeDailySchedule, AsnDecodedSizeDailySchedule},
    {ASN_TYPE_TIME_STAMP, sizeof(VelmoraTimeStamp), AsnPlainDecode<AsnDecodeTimeStamp>,
     AsnEncodeTimeStamp, nullptr},
    {ASN_TYPE_PROPERTY_REF, sizeof(VelmoraPropRef), AsnPlainDecode<AsnDecodePropRef>,
     AsnEncodePropRef, nullptr},
    {ASN_TYPE_ADDRESS_BINDING, sizeof(VelmoraAddressBinding),
     AsnPlainDecode<AsnDecodeAddressBinding>, AsnEncodeAddressBinding, nullptr},
    {ASN_TYPE_DEV_OBJ_PROP_REF, sizeof(VelmoraDevObjPropRef),
     AsnPlainDecode<AsnDecodeDevObjPropRef>, AsnEncodeDevObjPropRef, nullptr},
    {ASN_TYPE_CLIENT_COV, sizeof(VelmoraClientCov), AsnPlainDecode<AsnDecodeClientCov>,
     AsnEncodeClientCov, nullptr},
    {ASN_TYPE_LOG_RECORD, sizeof(VelmoraLogRecord), AsnArenaDecode<AsnDecodeLogRecord>,
     AsnEncodeLogRecord, AsnDecodedSizeLogRecord},
    {ASN_TYPE_ACTION_LIST, sizeof(VelmoraActionList), AsnArenaDecode<AsnDecodeActionList>,
     AsnEncodeActionList, AsnDecodedSizeActionList},
    {ASN_TYPE_READ_ACCESS_SPEC, sizeof(VelmoraReadAccessSpec),
     AsnArenaDecode<AsnDecodeReadAccessSpec>, AsnEncodeReadAccessSpec,
     AsnDecodedSizeReadAccessSpec},
    {ASN_TYPE_READ_ACCESS_RESULT, sizeof(VelmoraReadAccessResult),
     AsnArenaDecode<AsnDecodeReadAccessResult>, AsnEncodeReadAccessResult,
     AsnDecodedSizeReadAccessResult},
    {ASN_TYPE_EVENT_PARAMETER, sizeof(VelmoraEventParam), AsnArenaDecode<AsnDecodeEventParam>,
     AsnEncodeEventParam, AsnDecodedSizeEventParam},
    {ASN_TYPE_COV_SUBSCRIPTION, sizeof(VelmoraCovSubscription),
     AsnPlainDecode<AsnDecodeCovSubscription>, AsnEncodeCovSubscription, nullptr},
    {ASN_TYPE_DEV_OBJ_REF, sizeof(VelmoraDevObjRef), AsnPlainDecode<AsnDecodeDevObjRef>,
     AsnEncodeDevObjRef, nullptr},
    {ASN_TYPE_DEV_OBJ_PROP_VALUE, sizeof(VelmoraDevObjPropValue),
     AsnArenaDecode<AsnDecodeDevObjPropValue>, AsnEncodeDevObjPropValue,
     AsnDecodedSizeDevObjPropValue},
    {ASN_TYPE_ACCUMULATOR_RECORD, sizeof(VelmoraAccumulatorRecord),
     AsnPlainDecode<AsnDecodeAccumulatorRecord>, AsnEncodeAccumulatorRecord, nullptr},
    {ASN_TYPE_PRESCALE, sizeof(VelmoraPrescale), AsnPlainDecode<AsnDecodePrescale>,
     AsnEncodePrescale, nullptr},
    {ASN_TYPE_SCALE, sizeof(VelmoraScale), AsnPlainDecode<AsnDecodeScale>, AsnEncodeScale, nullptr},
    {ASN_TYPE_ACTION_COMMAND, sizeof(VelmoraActionCommand), AsnArenaDecode<AsnDecodeActionCommand>,
     AsnEncodeActionCommand, AsnDecodedSizeActionCommand},
    {ASN_TYPE_SHED_LEVEL, sizeof(VelmoraShedLevel), AsnPlainDecode<AsnDecodeShedLevel>,
     AsnEncodeShedLevel, nullptr},
    {ASN_TYPE_VT_SESSION, sizeof(VelmoraVtSession), AsnPlainDecode<AsnDecodeVtSession>,
     AsnEncodeVtSession, nullptr},
    {ASN_TYPE_SESSION_KEY, sizeof(VelmoraSessionKey), AsnPlainDecode<AsnDecodeSessionKey>,
     AsnEncodeSessionKey, nullptr},
    {ASN_TYPE_EVENT_LOG_RECORD, sizeof(VelmoraEventLogRecord),
     AsnArenaDecode<AsnDecodeEventLogRecord>, AsnEncodeEventLogRecord,
     AsnDecodedSizeEventLogRecord},
    {ASN_TYPE_LOG_MULTIPLE_RECORD, sizeof(VelmoraLogMultipleRecord),
     AsnArenaDecode<AsnDecodeLogMultipleRecord>, AsnEncodeLogMultipleRecord,
     AsnDecodedSizeLogMultipleRecord},
    {ASN_TYPE_RAW_RESERVED, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
    {ASN_TYPE_RAW_PROPRIETARY, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
    {ASN_TYPE_RAW_STANDARD, sizeof(VelmoraRawData), nullptr, EncodeRaw, nullptr},
};
static_assert(std::size(kRows) == 59);

// Position of each code in kRows: the datatypes first, then the raw codes.
constexpr size_t IndexOf(int32_t code) {
  return size_t(code >= 0 ? code : ASN_TYPE_LAST + 1 + (code - ASN_TYPE_RAW_RESERVED));
}
constexpr auto kIndex = [] {
  std::array<int8_t, std::size(kRows)> index{};
  for (auto& i : index)
    i = -1;
  for (size_t r = 0; r < std::size(kRows); ++r)
    index[IndexOf(kRows[r].code)] = int8_t(r);
  return index;
}();

// Length of the element at p when one lies wholly before end and is not a
// closing tag; 0 otherwise.
uint32_t NextElement(const uint8_t* p, const uint8_t* end) {
  if (p >= end || AsnIsClosingTag(*p)) return 0;
  int32_t n = AsnTagSkipElement(p, end);
  return n > 0 ? uint32_t(n) : 0;
}

// Length of the value of the datatype whose schema row is given (0 for a
// datatype whose every value is one encoded element) at p, 0 when none
// lies wholly before end or a closing tag comes first. A constructed value
// spans all the elements its production holds; the schema gives its
// extent, so the count does not wait for the datatype's codec.
uint32_t NextValue(uint16_t schema, const uint8_t* p, const uint8_t* end) {
  if (schema == 0) return NextElement(p, end);
  if (p >= end || AsnIsClosingTag(*p)) return 0;
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, p, uint32_t(end - p));
  if (AsnCheckElement(&reader, schema) != AsnCheckOk) return 0;
  return uint32_t(end - p) - reader.remaining;
}

// Whether the datatype whose schema row is given has a whole value in no
// octets at p: a production whose fields are all optional (a setpoint
// reference without its reference) is one at the end of the range or at a
// closing tag, absent fields and all.
bool EmptyValue(uint16_t schema, const uint8_t* p, const uint8_t* end) {
  if (schema == 0 || (p < end && !AsnIsClosingTag(*p))) return false;
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, p, 0);
  return AsnCheckElement(&reader, schema) == AsnCheckOk;
}

// Length of the value at p of octets a check accepted as a list of the
// row's values: the decoder steps over just what the check accepted,
// without checking it again.
uint32_t CheckedValue(const AsnDatatype* row, const uint8_t* p, const uint8_t* end) {
  if (p >= end || AsnIsClosingTag(*p)) return 0;
  if (AsnSchemaRowOfDatatype(row->code) == 0 || !row->decode) return NextElement(p, end);
  AsnCursor c = AsnCursorOverConst(p, uint32_t(end - p));
  uint32_t used = 0;
  row->decode(&c, nullptr, nullptr, &used);
  return uint32_t(c.current - p);
}

uint32_t ElementSize(const AsnDatatype* row, const uint8_t* p, const uint8_t* end) {
  return row->decodedSize ? row->decodedSize(p, uint32_t(end - p)) : uint32_t(row->size);
}

// Count and, when sized, decoded size of the first value or of all, in one
// walk.
AsnMeasured Measure(const AsnDatatype* row, const uint8_t* data, uint32_t length, bool list,
                    bool sized) {
  const uint8_t* end = data + length;
  const uint16_t schema = AsnSchemaRowOfDatatype(row->code);
  AsnMeasured m{0, 0};
  for (const uint8_t* p = data; uint32_t n = NextValue(schema, p, end); p += n) {
    ++m.count;
    if (sized) m.size += ElementSize(row, p, end);
    if (!list) break;
  }
  if (!list && m.count == 0 && EmptyValue(schema, data, end)) {
    m.count = 1;
    if (sized) m.size = ElementSize(row, data, end);
  }
  return m;
}

bool Measuring(const VelmoraAnyValue* value, const VelmoraAllocator* allocator) {
  return allocator || value->buffer;
}

bool Known(const AsnValueWalk* walk, const AsnDatatype* row, const uint8_t* data, uint32_t length) {
  return walk->list == data && walk->listLength == length && walk->listCode == row->code;
}

// Checked octets of a list of the row's values: a value's extent is what
// its decoded-size walk took, noted in the walk, or else what its decoder
// steps over.
AsnMeasured MeasureChecked(const AsnDatatype* row, const uint8_t* data, uint32_t length, bool sized,
                           AsnValueWalk* walk) {
  const uint8_t* end = data + length;
  AsnMeasured m{0, 0};
  for (const uint8_t* p = data; p < end && !AsnIsClosingTag(*p);) {
    uint32_t size = 0;
    uint32_t n = 0;
    if (sized) {
      walk->measuredAt = nullptr;
      size = ElementSize(row, p, end);
      if (walk->measuredAt == p) n = walk->measuredLength;
    }
    if (n == 0) n = CheckedValue(row, p, end);
    if (n == 0) break;
    ++m.count;
    m.size += size;
    p += n;
  }
  return m;
}

// The list measured through the walk, or what the walk already holds of it.
AsnMeasured MeasureList(const AsnDatatype* row, const uint8_t* data, uint32_t length, bool sized,
                        AsnValueWalk* walk) {
  if (Known(walk, row, data, length)) return walk->listMeasured;
  const AsnMeasured m = AsnWalkChecked(walk, row, data, length)
                            ? MeasureChecked(row, data, length, sized, walk)
                            : Measure(row, data, length, true, sized);
  if (sized) {
    walk->list = data;
    walk->listLength = length;
    walk->listCode = row->code;
    walk->listMeasured = m;
  }
  return m;
}

int32_t Decode(const AsnDatatype* row, const uint8_t* data, uint32_t length, VelmoraAnyValue* value,
               VelmoraAllocator* allocator, bool list) {
  if (!row || !value || (!data && length != 0)) return ASN_MISSING_RECORD;
  const bool sized = Measuring(value, allocator) && row->decode;
  return AsnDecodeMeasured(row, data, length, value, allocator,
                           Measure(row, data, length, list, sized));
}

// An outermost decode of values that may hold property values gets a walk
// of its own, so that each of them is typed once, when measured.
[[gnu::noinline]] int32_t DecodeWithWalk(const AsnDatatype* row, const uint8_t* data,
                                         uint32_t length, VelmoraAnyValue* value,
                                         VelmoraAllocator* allocator, bool list) {
  AsnValueWalk walk;
  AsnValueWalkInit(&walk);
  AsnWalkScope scope(&walk);
  return Decode(row, data, length, value, allocator, list);
}

int32_t DecodeOwn(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                  VelmoraAnyValue* value, VelmoraAllocator* allocator, bool list) {
  if (row && row->decodedSize && value && Measuring(value, allocator) && !AsnCurrentWalk())
    return DecodeWithWalk(row, data, length, value, allocator, list);
  return Decode(row, data, length, value, allocator, list);
}

}  // namespace

std::span<const AsnDatatype> AsnDatatypeRows() { return kRows; }

const AsnDatatype* AsnDatatypeFind(int32_t code) {
  if (code < ASN_TYPE_RAW_RESERVED || code > ASN_TYPE_LAST || code == ASN_TYPE_NONE ||
      code == ASN_TYPE_ANY)
    return nullptr;
  int8_t r = kIndex[IndexOf(code)];
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
  return Measure(row, cursor->current, AsnCursorRoom(cursor), true, false).count;
}

uint32_t AsnDecodedSizeList(const AsnDatatype* row, const uint8_t* data, uint32_t length) {
  return Measure(row, data, length, true, true).size;
}

uint32_t AsnDecodedSizeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length) {
  return Measure(row, data, length, false, true).size;
}

int32_t AsnDecodeValue(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                       VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  return DecodeOwn(row, data, length, value, allocator, false);
}

int32_t AsnDecodeValueList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  return DecodeOwn(row, data, length, value, allocator, true);
}

AsnMeasured AsnMeasureValues(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                             bool list) {
  return Measure(row, data, length, list, true);
}

int32_t AsnDecodeMeasured(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                          VelmoraAnyValue* value, VelmoraAllocator* allocator,
                          AsnMeasured measured) {
  value->type = row->code;
  value->count = measured.count;
  if (!allocator && !value->buffer) return ASN_OK;
  if (!row->decode) return ASN_NO_DECODER;

  const uint32_t needed = measured.size;
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

  // The value takes the first needed bytes of the buffer: its variable
  // parts, whole alignment units, are carved down from there, so they stay
  // aligned whatever room the caller's buffer has beyond them.
  auto* base = static_cast<uint8_t*>(value->buffer);
  uint8_t* top = base ? base + needed : nullptr;
  uint8_t** arena = needed > fixed ? &top : nullptr;
  AsnCursor cursor = AsnCursorOverConst(data, length);
  uint32_t offset = 0;
  // A single value may take no octets; the elements of a list take some each.
  for (uint32_t i = 0; i < value->count && (i == 0 || cursor.current < cursor.end); ++i) {
    uint32_t used = 0;
    row->decode(&cursor, base ? base + offset : nullptr, arena, &used);
    offset += row->size == kVariable ? used : uint32_t(row->size);
  }
  return ASN_OK;
}

uint32_t AsnDecodedSizeList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                            AsnValueWalk* walk) {
  if (!walk) return AsnDecodedSizeList(row, data, length);
  AsnWalkScope scope(walk);
  AsnWalkRewind(walk);
  return MeasureList(row, data, length, true, walk).size;
}

int32_t AsnDecodeValueList(const AsnDatatype* row, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* value, VelmoraAllocator* allocator,
                           AsnValueWalk* walk) {
  if (!walk) return AsnDecodeValueList(row, data, length, value, allocator);
  if (!row || !value || (!data && length != 0)) return ASN_MISSING_RECORD;
  AsnWalkScope scope(walk);
  AsnWalkRewind(walk);
  const bool sized = Measuring(value, allocator) && row->decode;
  return AsnDecodeMeasured(row, data, length, value, allocator,
                           MeasureList(row, data, length, sized, walk));
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
    datatype = ASN_TYPE_UNSIGNED;
  } else {
    datatype = AsnSchemaDatatype(code);
    if (datatype ==
        ASN_TYPE_CHAR_STRING) {  // any character set: the text datatype the octets carry
      datatype = AsnCharStringDatatype(value);
      if (datatype < 0) datatype = ASN_TYPE_CHAR_STRING;
    } else if (datatype == ASN_TYPE_ANY) {
      datatype = empty || AsnIsClosingTag(*value->current) ? ASN_TYPE_NULL : AsnNextDatatype(value);
    } else if (!empty && *value->current == 0x00 &&
               (datatype == ASN_TYPE_UNSIGNED || datatype == ASN_TYPE_REAL ||
                datatype == ASN_TYPE_DOUBLE || datatype == ASN_TYPE_ENUMERATED ||
                datatype == ASN_TYPE_RECIPIENT)) {
      datatype = ASN_TYPE_NULL;
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
