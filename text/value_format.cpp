// The table of element writers by datatype code, and the writers of several
// elements of one datatype.
#include "text/value_format.h"

#include <array>

#include "bacnet/asn_datatype_code.h"
#include "text/enum_names.h"
#include "text/value_text.h"
#include "text/value_text_records.h"

namespace {

template <class T, auto Writer>
uint32_t ScalarElement(char* destination, uint32_t room, const ValueElement* e, uint32_t*) {
  T value;
  std::memcpy(&value, e->data, sizeof value);
  return Writer(destination, room, value);
}

uint32_t NullElement(char* destination, uint32_t room, const ValueElement*, uint32_t*) {
  return VelmoraNullToString(destination, room);
}

uint32_t EnumeratedElement(char* destination, uint32_t room, const ValueElement* e, uint32_t*) {
  uint32_t value;
  std::memcpy(&value, e->data, sizeof value);
  return VelmoraEnumToString(destination, room, value, e->enum_row, e->show_numbers);
}

// An octet string whose length passes its buffer, or without data, is not
// one that can be read.
uint32_t OctetStringRecordToString(char* destination, uint32_t room, const VelmoraOctetString* s) {
  if (s->length > s->buffer_size) return 0;
  return VelmoraOctetStringToString(destination, room, s->data, s->length);
}

uint32_t DbcsRecordToString(char* destination, uint32_t room, const VelmoraDbcsString* s) {
  return VelmoraDbcsStringToString(destination, room, s->code_page, s->text, -1);
}

template <class T, auto Writer>
constexpr ValueFormatDescriptor ScalarRow() {
  return {ValueFormatKind::Plain, ScalarElement<T, Writer>, sizeof(T)};
}

constexpr ValueFormatDescriptor VariableRow(ValueElementWriter writer) {
  return {ValueFormatKind::Variable, writer, 0};
}

struct CodeRow {
  int32_t code;
  ValueFormatDescriptor descriptor;
};

constexpr ValueFormatDescriptor kRawRow = ValuePlainRow<VelmoraRawData, VelmoraRawDataToString>();

// Every datatype code but none (-1) and any (-2), which no value holds.
constexpr CodeRow kCodeRows[] = {
    {ASN_TYPE_NULL, {ValueFormatKind::Plain, NullElement, 0}},
    {ASN_TYPE_BOOLEAN, ScalarRow<uint8_t, VelmoraBooleanToString>()},
    {ASN_TYPE_UNSIGNED, ScalarRow<uint32_t, VelmoraUnsignedToString>()},
    {ASN_TYPE_SIGNED, ScalarRow<int32_t, VelmoraSignedToString>()},
    {ASN_TYPE_REAL, ScalarRow<float, VelmoraRealToString>()},
    {ASN_TYPE_DOUBLE, ScalarRow<double, VelmoraRealToString>()},
    {ASN_TYPE_OCTET_STRING, ValuePlainRow<VelmoraOctetString, OctetStringRecordToString>()},
    {ASN_TYPE_CHAR_STRING, ValuePlainRow<VelmoraCharString, VelmoraCharStringToString>()},
    {ASN_TYPE_BIT_STRING, ValueEnumRow<VelmoraBitString, VelmoraBitStringToString>()},
    {ASN_TYPE_ENUMERATED, {ValueFormatKind::EnumAware, EnumeratedElement, sizeof(uint32_t)}},
    {ASN_TYPE_DATE, ValuePlainRow<VelmoraDate, VelmoraDateToString>()},
    {ASN_TYPE_TIME, ValuePlainRow<VelmoraTime, VelmoraTimeToString>()},
    {ASN_TYPE_OBJECT_ID, ValuePlainRow<VelmoraObjectId, VelmoraObjectIdToString>()},
    {ASN_TYPE_TEXT_ANSI, VariableRow(ValuePackedTextElement<VELMORA_CHARSET_ANSI>)},
    {ASN_TYPE_TEXT_DBCS, ValuePlainRow<VelmoraDbcsString, DbcsRecordToString>()},
    {ASN_TYPE_TEXT_JIS, VariableRow(ValuePackedTextElement<VELMORA_CHARSET_JIS>)},
    {ASN_TYPE_TEXT_UCS4, VariableRow(ValuePackedTextElement<VELMORA_CHARSET_UCS4>)},
    {ASN_TYPE_TEXT_UCS2, VariableRow(ValuePackedTextElement<VELMORA_CHARSET_UCS2>)},
    {ASN_TYPE_TEXT_ISO8859, VariableRow(ValuePackedTextElement<VELMORA_CHARSET_ISO8859>)},
    {ASN_TYPE_PRIORITY_VALUE, ValueEnumRow<VelmoraPriorityValue, VelmoraPriorityValueToString>()},
    {ASN_TYPE_ADDRESS, ValuePlainRow<VelmoraAddress, VelmoraAddressToString>()},
    {ASN_TYPE_DATE_TIME, ValuePlainRow<VelmoraDateTime, VelmoraDateTimeToString>()},
    {ASN_TYPE_OBJ_PROP_REF, ValueNumberedRow<VelmoraObjPropRef, VelmoraObjPropRefToString>()},
    {ASN_TYPE_PROPERTY_STATES,
     ValueNumberedRow<VelmoraPropertyStates, VelmoraPropertyStatesToString>()},
    {ASN_TYPE_DATE_RANGE, ValuePlainRow<VelmoraDateRange, VelmoraDateRangeToString>()},
    {ASN_TYPE_WEEK_N_DAY, ValuePlainRow<VelmoraWeekNDay, VelmoraWeekNDayToString>()},
    {ASN_TYPE_CALENDAR_ENTRY, ValuePlainRow<VelmoraCalendarEntry, VelmoraCalendarEntryToString>()},
    {ASN_TYPE_TIME_VALUE, ValueNumberedRow<VelmoraTimeValue, VelmoraTimeValueToString>()},
    {ASN_TYPE_SPECIAL_EVENT, ValueNumberedRow<VelmoraSpecialEvent, VelmoraSpecialEventToString>()},
    {ASN_TYPE_PROPERTY_VALUE,
     ValueNumberedRow<VelmoraPropertyValue, VelmoraPropertyValueToString>()},
    {ASN_TYPE_RECIPIENT, ValuePlainRow<VelmoraRecipient, VelmoraRecipientToString>()},
    {ASN_TYPE_SETPOINT_REF, ValueNumberedRow<VelmoraSetpointRef, VelmoraSetpointRefToString>()},
    {ASN_TYPE_DESTINATION, ValueNumberedRow<VelmoraDestination, VelmoraDestinationToString>()},
    {ASN_TYPE_DAILY_SCHEDULE,
     ValueNumberedRow<VelmoraDailySchedule, VelmoraDailyScheduleToString>()},
    {ASN_TYPE_TIME_STAMP, ValuePlainRow<VelmoraTimeStamp, VelmoraTimeStampToString>()},
    {ASN_TYPE_PROPERTY_REF, ValueNumberedRow<VelmoraPropRef, VelmoraPropRefToString>()},
    {ASN_TYPE_ADDRESS_BINDING,
     ValuePlainRow<VelmoraAddressBinding, VelmoraAddressBindingToString>()},
    {ASN_TYPE_DEV_OBJ_PROP_REF,
     ValueNumberedRow<VelmoraDevObjPropRef, VelmoraDevObjPropRefToString>()},
    {ASN_TYPE_CLIENT_COV, ValuePlainRow<VelmoraClientCov, VelmoraClientCovToString>()},
    {ASN_TYPE_LOG_RECORD, ValueNumberedRow<VelmoraLogRecord, VelmoraLogRecordToString>()},
    {ASN_TYPE_ACTION_LIST, ValueNumberedRow<VelmoraActionList, VelmoraActionListToString>()},
    {ASN_TYPE_READ_ACCESS_SPEC,
     ValueNumberedRow<VelmoraReadAccessSpec, VelmoraReadAccessSpecToString>()},
    {ASN_TYPE_READ_ACCESS_RESULT,
     ValueNumberedRow<VelmoraReadAccessResult, VelmoraReadAccessResultToString>()},
    {ASN_TYPE_EVENT_PARAMETER, ValueNumberedRow<VelmoraEventParam, VelmoraEventParamToString>()},
    {ASN_TYPE_COV_SUBSCRIPTION,
     ValueNumberedRow<VelmoraCovSubscription, VelmoraCovSubscriptionToString>()},
    {ASN_TYPE_DEV_OBJ_REF, ValuePlainRow<VelmoraDevObjRef, VelmoraDevObjRefToString>()},
    {ASN_TYPE_DEV_OBJ_PROP_VALUE,
     ValueNumberedRow<VelmoraDevObjPropValue, VelmoraDevObjPropValueToString>()},
    {ASN_TYPE_ACCUMULATOR_RECORD,
     ValueNumberedRow<VelmoraAccumulatorRecord, VelmoraAccumulatorRecordToString>()},
    {ASN_TYPE_PRESCALE, ValuePlainRow<VelmoraPrescale, VelmoraPrescaleToString>()},
    {ASN_TYPE_SCALE, ValuePlainRow<VelmoraScale, VelmoraScaleToString>()},
    {ASN_TYPE_ACTION_COMMAND,
     ValueNumberedRow<VelmoraActionCommand, VelmoraActionCommandToString>()},
    {ASN_TYPE_SHED_LEVEL, ValuePlainRow<VelmoraShedLevel, VelmoraShedLevelToString>()},
    {ASN_TYPE_VT_SESSION, ValuePlainRow<VelmoraVtSession, VelmoraVtSessionToString>()},
    {ASN_TYPE_SESSION_KEY, ValuePlainRow<VelmoraSessionKey, VelmoraSessionKeyToString>()},
    {ASN_TYPE_EVENT_LOG_RECORD,
     ValueNumberedRow<VelmoraEventLogRecord, VelmoraEventLogRecordToString>()},
    {ASN_TYPE_LOG_MULTIPLE_RECORD,
     ValueNumberedRow<VelmoraLogMultipleRecord, VelmoraLogMultipleRecordToString>()},
    {ASN_TYPE_RAW_RESERVED, kRawRow},
    {ASN_TYPE_RAW_PROPRIETARY, kRawRow},
    {ASN_TYPE_RAW_STANDARD, kRawRow},
};

constexpr int32_t kFirstCode = ASN_TYPE_RAW_RESERVED;
constexpr int32_t kLastCode = ASN_TYPE_LOG_MULTIPLE_RECORD;

constexpr auto kDescriptors = [] {
  std::array<ValueFormatDescriptor, kLastCode - kFirstCode + 1> table{};
  for (const CodeRow& r : kCodeRows)
    table[size_t(r.code - kFirstCode)] = r.descriptor;
  return table;
}();

}  // namespace

const ValueFormatDescriptor* ValueFormatDescriptorOf(int32_t datatype) {
  if (datatype < kFirstCode || datatype > kLastCode) return nullptr;
  const ValueFormatDescriptor* d = &kDescriptors[size_t(datatype - kFirstCode)];
  return d->write ? d : nullptr;
}

uint32_t ValueFormatElement(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                            const ValueElement* element, uint32_t* size) {
  bool variable = d->kind == ValueFormatKind::Variable;
  if (!variable && element->available < d->element_size) return 0;
  uint32_t reported = 0;
  uint32_t written = d->write(destination, room, element, &reported);
  *size = variable ? reported : d->element_size;
  return written;
}

int32_t ValueFormatSelectEnum(const ValueFormatDescriptor* d, uint32_t objectType,
                              uint32_t property) {
  return d->kind == ValueFormatKind::EnumAware ? VelmoraEnumForProperty(objectType, property)
                                               : VELMORA_ENUM_GENERIC;
}

uint32_t FormatElements(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                        ValueElement elements, uint32_t count) {
  TextBuffer b = TextBufferOpen(destination, room);
  ValueElement e = elements;
  TextBufferPutEach(&b, count, [&](uint32_t) {
    uint32_t size = 0;
    if (!TextBufferWrite(&b, ValueFormatElement, d, &e, &size)) return;
    e.data = static_cast<const uint8_t*>(e.data) + size;
    e.available -= size;
  });
  return TextBufferClose(&b);
}

uint32_t FormatArray(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                     ValueElement elements, uint32_t count) {
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  if (count) TextBufferWrite(&b, FormatElements, d, elements, count);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t FormatList(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                    ValueElement elements, uint32_t count) {
  return FormatArray(destination, room, d, elements, count);
}

// The caller vouches for the elements: they are not bounded by a buffer.
uint32_t VelmoraListToString(char* destination, uint32_t room, int32_t datatype,
                             const void* elements, uint32_t count, int32_t enumRow,
                             uint8_t showNumbers) {
  const ValueFormatDescriptor* d = ValueFormatDescriptorOf(datatype);
  if (!d || (!elements && count && datatype != ASN_TYPE_NULL)) return 0;
  ValueElement e{elements, UINT32_MAX, enumRow, showNumbers};
  return FormatList(destination, room, d, e, count);
}
