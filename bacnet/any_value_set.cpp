#include "bacnet/any_value_set.h"

#include <cstddef>
#include <cstring>

#include "bacnet/any_value_store.h"
#include "bacnet/asn_datatype_code.h"

namespace {

// A text of Unit-sized characters, its zero unit included; the source is
// read no further than the buffer could hold, so a text without a
// terminator within that reach is refused rather than searched for.
template <typename Unit>
bool StoreText(VelmoraAnyValue* v, int32_t type, const Unit* text) {
  if (!v || !text || !v->buffer) return false;
  const size_t room = v->capacity / sizeof(Unit);
  size_t n = 0;
  while (n < room && text[n] != 0)
    ++n;
  if (n == room) return false;
  std::memmove(v->buffer, text, (n + 1) * sizeof(Unit));
  v->type = type;
  v->count = 1;
  return true;
}

}  // namespace

#define ANY_VALUE_RECORD(Name, Record, code, count)                         \
  Record* VelmoraAnyValueGet##Name(const VelmoraAnyValue* v) {              \
    return AnyValueRecordAt<Record>(v);                                     \
  }                                                                         \
  bool VelmoraAnyValueSet##Name(VelmoraAnyValue* v, const Record* source) { \
    return source && AnyValueStore(v, code, *source, count);                \
  }

#define ANY_VALUE_TEXT(Name, Unit, code)                                                         \
  Unit* VelmoraAnyValueGet##Name(const VelmoraAnyValue* v) { return AnyValueRecordAt<Unit>(v); } \
  bool VelmoraAnyValueSet##Name(VelmoraAnyValue* v, const Unit* text) {                          \
    return StoreText(v, code, text);                                                             \
  }

ANY_VALUE_RECORD(PriorityArray, VelmoraPriorityArray, ASN_TYPE_PRIORITY_VALUE,
                 VELMORA_PRIORITY_SLOTS)
ANY_VALUE_RECORD(ObjectId, VelmoraObjectId, ASN_TYPE_OBJECT_ID, 1)
ANY_VALUE_TEXT(AnsiText, char, ASN_TYPE_TEXT_ANSI)
ANY_VALUE_RECORD(DbcsString, VelmoraDbcsString, ASN_TYPE_TEXT_DBCS, 1)
ANY_VALUE_TEXT(JisText, char, ASN_TYPE_TEXT_JIS)
ANY_VALUE_TEXT(Ucs4Text, uint32_t, ASN_TYPE_TEXT_UCS4)
ANY_VALUE_TEXT(Ucs2Text, uint16_t, ASN_TYPE_TEXT_UCS2)
ANY_VALUE_TEXT(Iso8859Text, char, ASN_TYPE_TEXT_ISO8859)
ANY_VALUE_RECORD(CharString, VelmoraCharString, ASN_TYPE_CHAR_STRING, 1)
ANY_VALUE_RECORD(Date, VelmoraDate, ASN_TYPE_DATE, 1)
ANY_VALUE_RECORD(Time, VelmoraTime, ASN_TYPE_TIME, 1)
ANY_VALUE_RECORD(DateTime, VelmoraDateTime, ASN_TYPE_DATE_TIME, 1)
ANY_VALUE_RECORD(OctetString, VelmoraOctetString, ASN_TYPE_OCTET_STRING, 1)
ANY_VALUE_RECORD(DateRange, VelmoraDateRange, ASN_TYPE_DATE_RANGE, 1)
ANY_VALUE_RECORD(WeekNDay, VelmoraWeekNDay, ASN_TYPE_WEEK_N_DAY, 1)
ANY_VALUE_RECORD(CalendarEntry, VelmoraCalendarEntry, ASN_TYPE_CALENDAR_ENTRY, 1)
ANY_VALUE_RECORD(ObjPropRef, VelmoraObjPropRef, ASN_TYPE_OBJ_PROP_REF, 1)
ANY_VALUE_RECORD(DevObjPropRef, VelmoraDevObjPropRef, ASN_TYPE_DEV_OBJ_PROP_REF, 1)
ANY_VALUE_RECORD(DevObjRef, VelmoraDevObjRef, ASN_TYPE_DEV_OBJ_REF, 1)
ANY_VALUE_RECORD(PropertyStates, VelmoraPropertyStates, ASN_TYPE_PROPERTY_STATES, 1)
ANY_VALUE_RECORD(TimeValue, VelmoraTimeValue, ASN_TYPE_TIME_VALUE, 1)
ANY_VALUE_RECORD(SpecialEvent, VelmoraSpecialEvent, ASN_TYPE_SPECIAL_EVENT, 1)
ANY_VALUE_RECORD(Recipient, VelmoraRecipient, ASN_TYPE_RECIPIENT, 1)
ANY_VALUE_RECORD(SetpointRef, VelmoraSetpointRef, ASN_TYPE_SETPOINT_REF, 1)
ANY_VALUE_RECORD(Destination, VelmoraDestination, ASN_TYPE_DESTINATION, 1)
ANY_VALUE_RECORD(DailySchedule, VelmoraDailySchedule, ASN_TYPE_DAILY_SCHEDULE, 1)
ANY_VALUE_RECORD(PropertyValue, VelmoraPropertyValue, ASN_TYPE_PROPERTY_VALUE, 1)
ANY_VALUE_RECORD(TimeStamp, VelmoraTimeStamp, ASN_TYPE_TIME_STAMP, 1)
ANY_VALUE_RECORD(PropRef, VelmoraPropRef, ASN_TYPE_PROPERTY_REF, 1)
ANY_VALUE_RECORD(EventParam, VelmoraEventParam, ASN_TYPE_EVENT_PARAMETER, 1)
ANY_VALUE_RECORD(ActionList, VelmoraActionList, ASN_TYPE_ACTION_LIST, 1)
ANY_VALUE_RECORD(ReadAccessSpec, VelmoraReadAccessSpec, ASN_TYPE_READ_ACCESS_SPEC, 1)
ANY_VALUE_RECORD(ReadAccessResult, VelmoraReadAccessResult, ASN_TYPE_READ_ACCESS_RESULT, 1)
ANY_VALUE_RECORD(ClientCov, VelmoraClientCov, ASN_TYPE_CLIENT_COV, 1)
ANY_VALUE_RECORD(RawData, VelmoraRawData, ASN_TYPE_RAW_PROPRIETARY, 1)
ANY_VALUE_RECORD(CovSubscription, VelmoraCovSubscription, ASN_TYPE_COV_SUBSCRIPTION, 1)

bool VelmoraAnyValueInitPriorityArray(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_PRIORITY_VALUE, VELMORA_PRIORITY_SLOTS,
                           VelmoraPriorityArrayInit);
}
bool VelmoraAnyValueInitObjectId(VelmoraAnyValue* v, uint32_t type, uint32_t instance) {
  return AnyValueConstruct(v, ASN_TYPE_OBJECT_ID, 1, VelmoraObjectIdInit, type, instance);
}
bool VelmoraAnyValueInitAnsiText(VelmoraAnyValue* v) {
  return StoreText(v, ASN_TYPE_TEXT_ANSI, "");
}
bool VelmoraAnyValueInitDate(VelmoraAnyValue* v, uint16_t year, uint32_t month, uint8_t day) {
  return AnyValueConstruct(v, ASN_TYPE_DATE, 1, VelmoraDateInit, year, month, day);
}
bool VelmoraAnyValueInitTime(VelmoraAnyValue* v, uint8_t hour, uint8_t minute, uint8_t second,
                             uint8_t hundredths) {
  return AnyValueConstruct(v, ASN_TYPE_TIME, 1, VelmoraTimeInit, hour, minute, second, hundredths);
}
bool VelmoraAnyValueInitDateTime(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_DATE_TIME, 1, VelmoraDateTimeInit);
}
bool VelmoraAnyValueInitOctetString(VelmoraAnyValue* v, uint8_t* data, uint32_t buffer_size,
                                    uint32_t length) {
  return AnyValueConstruct(v, ASN_TYPE_OCTET_STRING, 1, VelmoraOctetStringInit, data, buffer_size,
                           length);
}
bool VelmoraAnyValueInitDateRange(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_DATE_RANGE, 1, VelmoraDateRangeInit);
}
bool VelmoraAnyValueInitWeekNDay(VelmoraAnyValue* v, uint32_t month, int32_t week_of_month,
                                 uint32_t day_of_week) {
  return AnyValueConstruct(v, ASN_TYPE_WEEK_N_DAY, 1, VelmoraWeekNDayInit, month, week_of_month,
                           day_of_week);
}
bool VelmoraAnyValueInitCalendarEntryDate(VelmoraAnyValue* v, const VelmoraDate* date) {
  return AnyValueConstruct(v, ASN_TYPE_CALENDAR_ENTRY, 1, VelmoraCalendarEntrySetDate, date);
}
bool VelmoraAnyValueInitCalendarEntryDateRange(VelmoraAnyValue* v, const VelmoraDateRange* range) {
  return AnyValueConstruct(v, ASN_TYPE_CALENDAR_ENTRY, 1, VelmoraCalendarEntrySetDateRange, range);
}
bool VelmoraAnyValueInitCalendarEntryWeekNDay(VelmoraAnyValue* v,
                                              const VelmoraWeekNDay* week_n_day) {
  return AnyValueConstruct(v, ASN_TYPE_CALENDAR_ENTRY, 1, VelmoraCalendarEntrySetWeekNDay,
                           week_n_day);
}
bool VelmoraAnyValueInitObjPropRef(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                   uint32_t property) {
  return AnyValueConstruct(v, ASN_TYPE_OBJ_PROP_REF, 1, VelmoraObjPropRefInit, id, property);
}
bool VelmoraAnyValueInitDevObjPropRef(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                      uint32_t property) {
  return AnyValueConstruct(v, ASN_TYPE_DEV_OBJ_PROP_REF, 1, VelmoraDevObjPropRefInit, id, property);
}
bool VelmoraAnyValueInitDevObjRef(VelmoraAnyValue* v, const VelmoraObjectId* id) {
  return AnyValueConstruct(v, ASN_TYPE_DEV_OBJ_REF, 1, VelmoraDevObjRefInit, id);
}
bool VelmoraAnyValueInitPropertyStates(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_PROPERTY_STATES, 1, VelmoraPropertyStatesInit);
}
bool VelmoraAnyValueInitTimeValue(VelmoraAnyValue* v, const VelmoraTime* time,
                                  const VelmoraAnyValue* value) {
  return AnyValueConstruct(v, ASN_TYPE_TIME_VALUE, 1, VelmoraTimeValueInit, time, value);
}
bool VelmoraAnyValueInitSpecialEventCalendarEntry(VelmoraAnyValue* v,
                                                  const VelmoraCalendarEntry* entry,
                                                  VelmoraTimeValue* time_values, uint32_t count,
                                                  uint8_t priority) {
  return AnyValueConstruct(v, ASN_TYPE_SPECIAL_EVENT, 1, VelmoraSpecialEventInitCalendarEntry,
                           entry, time_values, count, priority);
}
bool VelmoraAnyValueInitSpecialEventCalendarRef(VelmoraAnyValue* v, const VelmoraObjectId* calendar,
                                                VelmoraTimeValue* time_values, uint32_t count,
                                                uint8_t priority) {
  return AnyValueConstruct(v, ASN_TYPE_SPECIAL_EVENT, 1, VelmoraSpecialEventInitCalendarRef,
                           calendar, time_values, count, priority);
}
bool VelmoraAnyValueInitRecipientDevice(VelmoraAnyValue* v, const VelmoraObjectId* device) {
  return AnyValueConstruct(v, ASN_TYPE_RECIPIENT, 1, VelmoraRecipientSetDevice, device);
}
bool VelmoraAnyValueInitRecipientAddress(VelmoraAnyValue* v, const VelmoraAddress* address) {
  return AnyValueConstruct(v, ASN_TYPE_RECIPIENT, 1, VelmoraRecipientSetAddress, address);
}
bool VelmoraAnyValueInitSetpointRef(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_SETPOINT_REF, 1, VelmoraSetpointRefInit);
}
bool VelmoraAnyValueInitDestination(VelmoraAnyValue* v, const VelmoraTime* from_time,
                                    const VelmoraTime* to_time, const VelmoraRecipient* recipient,
                                    uint32_t process_id, uint8_t issue_confirmed) {
  return AnyValueConstruct(v, ASN_TYPE_DESTINATION, 1, VelmoraDestinationInit, from_time, to_time,
                           recipient, process_id, issue_confirmed);
}
bool VelmoraAnyValueInitDailySchedule(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_DAILY_SCHEDULE, 1, VelmoraDailyScheduleInit);
}
bool VelmoraAnyValueInitPropertyValue(VelmoraAnyValue* v, uint32_t property,
                                      const VelmoraAnyValue* value) {
  return AnyValueConstruct(v, ASN_TYPE_PROPERTY_VALUE, 1, VelmoraPropertyValueInit, property,
                           value);
}
bool VelmoraAnyValueInitTimeStampTime(VelmoraAnyValue* v, const VelmoraTime* time) {
  return AnyValueConstruct(v, ASN_TYPE_TIME_STAMP, 1, VelmoraTimeStampSetTime, time);
}
bool VelmoraAnyValueInitTimeStampSequenceNumber(VelmoraAnyValue* v, uint32_t sequence_number) {
  return AnyValueConstruct(v, ASN_TYPE_TIME_STAMP, 1, VelmoraTimeStampSetSequenceNumber,
                           sequence_number);
}
bool VelmoraAnyValueInitTimeStampDateTime(VelmoraAnyValue* v, const VelmoraDateTime* date_time) {
  return AnyValueConstruct(v, ASN_TYPE_TIME_STAMP, 1, VelmoraTimeStampSetDateTime, date_time);
}
bool VelmoraAnyValueInitPropRef(VelmoraAnyValue* v, uint32_t property) {
  return AnyValueConstruct(v, ASN_TYPE_PROPERTY_REF, 1, VelmoraPropRefInit, property);
}
bool VelmoraAnyValueInitEventParamChangeOfBitstring(VelmoraAnyValue* v, uint32_t time_delay,
                                                    const VelmoraBitString* bitmask,
                                                    VelmoraBitString* values, uint32_t count) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitChangeOfBitstring,
                           time_delay, bitmask, values, count);
}
bool VelmoraAnyValueInitEventParamChangeOfState(VelmoraAnyValue* v, uint32_t time_delay,
                                                VelmoraPropertyStates* values, uint32_t count) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitChangeOfState,
                           time_delay, values, count);
}
bool VelmoraAnyValueInitEventParamChangeOfValueBitmask(VelmoraAnyValue* v, uint32_t time_delay,
                                                       const VelmoraBitString* bitmask) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1,
                           VelmoraEventParamInitChangeOfValueBitmask, time_delay, bitmask);
}
bool VelmoraAnyValueInitEventParamChangeOfValueIncrement(VelmoraAnyValue* v, uint32_t time_delay,
                                                         float increment) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1,
                           VelmoraEventParamInitChangeOfValueIncrement, time_delay, increment);
}
bool VelmoraAnyValueInitEventParamCommandFailure(VelmoraAnyValue* v, uint32_t time_delay,
                                                 const VelmoraDevObjPropRef* feedback_ref) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitCommandFailure,
                           time_delay, feedback_ref);
}
bool VelmoraAnyValueInitEventParamFloatingLimit(VelmoraAnyValue* v, uint32_t time_delay,
                                                const VelmoraDevObjPropRef* setpoint_ref,
                                                float low_diff_limit, float high_diff_limit,
                                                float deadband) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitFloatingLimit,
                           time_delay, setpoint_ref, low_diff_limit, high_diff_limit, deadband);
}
bool VelmoraAnyValueInitEventParamOutOfRange(VelmoraAnyValue* v, uint32_t time_delay,
                                             float low_limit, float high_limit, float deadband) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitOutOfRange,
                           time_delay, low_limit, high_limit, deadband);
}
bool VelmoraAnyValueInitEventParamBufferReady7(VelmoraAnyValue* v, uint32_t notification_threshold,
                                               uint32_t previous_count) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitBufferReady7,
                           notification_threshold, previous_count);
}
bool VelmoraAnyValueInitEventParamBufferReady(VelmoraAnyValue* v, uint32_t notification_threshold,
                                              uint32_t previous_count) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitBufferReady,
                           notification_threshold, previous_count);
}
bool VelmoraAnyValueInitEventParamChangeOfLifeSafety(VelmoraAnyValue* v, uint32_t time_delay,
                                                     uint32_t* life_safety_alarm_values,
                                                     uint32_t life_safety_alarm_count,
                                                     uint32_t* alarm_values, uint32_t alarm_count,
                                                     const VelmoraDevObjPropRef* mode_ref) {
  return AnyValueConstruct(v, ASN_TYPE_EVENT_PARAMETER, 1, VelmoraEventParamInitChangeOfLifeSafety,
                           time_delay, life_safety_alarm_values, life_safety_alarm_count,
                           alarm_values, alarm_count, mode_ref);
}
bool VelmoraAnyValueInitActionList(VelmoraAnyValue* v, VelmoraActionCommand* items,
                                   uint32_t count) {
  return AnyValueConstruct(v, ASN_TYPE_ACTION_LIST, 1, VelmoraActionListSet, items, count);
}
bool VelmoraAnyValueInitReadAccessSpec(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                       VelmoraPropRef* refs, uint32_t count) {
  return AnyValueConstruct(v, ASN_TYPE_READ_ACCESS_SPEC, 1, VelmoraReadAccessSpecInit, id, refs,
                           count);
}
bool VelmoraAnyValueInitReadAccessResult(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_READ_ACCESS_RESULT, 1, VelmoraReadAccessResultInit);
}
bool VelmoraAnyValueInitClientCovRealIncrement(VelmoraAnyValue* v, float increment) {
  return AnyValueConstruct(v, ASN_TYPE_CLIENT_COV, 1, VelmoraClientCovSetRealIncrement, increment);
}
bool VelmoraAnyValueInitClientCovDefault(VelmoraAnyValue* v) {
  return AnyValueConstruct(v, ASN_TYPE_CLIENT_COV, 1, VelmoraClientCovSetDefault);
}
bool VelmoraAnyValueInitRawData(VelmoraAnyValue* v, const uint8_t* data, uint32_t length) {
  return AnyValueConstruct(v, ASN_TYPE_RAW_PROPRIETARY, 1, VelmoraRawDataInit, data, length);
}
bool VelmoraAnyValueInitCovSubscription(VelmoraAnyValue* v,
                                        const VelmoraRecipientProcess* recipient,
                                        const VelmoraObjPropRef* monitored_ref,
                                        uint8_t issue_confirmed, uint32_t time_remaining) {
  return AnyValueConstruct(v, ASN_TYPE_COV_SUBSCRIPTION, 1, VelmoraCovSubscriptionInit, recipient,
                           monitored_ref, issue_confirmed, time_remaining);
}
