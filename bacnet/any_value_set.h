// Further any-value accessors: a getter and a setter for each text, date,
// time and constructed datatype, and initialisers that build such a record
// right in the value's buffer.
//
// Getters give the start of the buffer typed as the datatype's record or
// text, whatever the datatype code; null for a missing record, a buffer
// smaller than the record (a text: than its terminator), or one not aligned
// for it.
//
// Setters copy the source into the buffer (records shallowly: lists, texts
// and octets they point to stay shared with the source; the texts of
// datatypes 13, 15, 16, 17 and 18 are copied with their terminator) and
// set the datatype code and count 1, 16 for the priority array.
// Initialisers set them likewise and run the record's constructor on the
// buffer. Both refuse a missing record or source, a buffer that cannot
// hold the record or text, and arguments the constructor refuses, and then
// change nothing: neither the record nor its buffer.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/priority_value.h"
#include "bacnet/records.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_schedule.h"
#include "bacnet/records_states.h"
#include "bacnet/week_n_day.h"

VelmoraPriorityArray* VelmoraAnyValueGetPriorityArray(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetPriorityArray(VelmoraAnyValue* v, const VelmoraPriorityArray* source);
VelmoraObjectId* VelmoraAnyValueGetObjectId(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetObjectId(VelmoraAnyValue* v, const VelmoraObjectId* source);
char* VelmoraAnyValueGetAnsiText(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetAnsiText(VelmoraAnyValue* v, const char* text);
VelmoraDbcsString* VelmoraAnyValueGetDbcsString(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDbcsString(VelmoraAnyValue* v, const VelmoraDbcsString* source);
char* VelmoraAnyValueGetJisText(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetJisText(VelmoraAnyValue* v, const char* text);
uint32_t* VelmoraAnyValueGetUcs4Text(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetUcs4Text(VelmoraAnyValue* v, const uint32_t* text);
uint16_t* VelmoraAnyValueGetUcs2Text(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetUcs2Text(VelmoraAnyValue* v, const uint16_t* text);
char* VelmoraAnyValueGetIso8859Text(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetIso8859Text(VelmoraAnyValue* v, const char* text);
VelmoraCharString* VelmoraAnyValueGetCharString(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetCharString(VelmoraAnyValue* v, const VelmoraCharString* source);
VelmoraDate* VelmoraAnyValueGetDate(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDate(VelmoraAnyValue* v, const VelmoraDate* source);
VelmoraTime* VelmoraAnyValueGetTime(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetTime(VelmoraAnyValue* v, const VelmoraTime* source);
VelmoraDateTime* VelmoraAnyValueGetDateTime(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDateTime(VelmoraAnyValue* v, const VelmoraDateTime* source);
VelmoraOctetString* VelmoraAnyValueGetOctetString(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetOctetString(VelmoraAnyValue* v, const VelmoraOctetString* source);
VelmoraDateRange* VelmoraAnyValueGetDateRange(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDateRange(VelmoraAnyValue* v, const VelmoraDateRange* source);
VelmoraWeekNDay* VelmoraAnyValueGetWeekNDay(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetWeekNDay(VelmoraAnyValue* v, const VelmoraWeekNDay* source);
VelmoraCalendarEntry* VelmoraAnyValueGetCalendarEntry(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetCalendarEntry(VelmoraAnyValue* v, const VelmoraCalendarEntry* source);
VelmoraObjPropRef* VelmoraAnyValueGetObjPropRef(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetObjPropRef(VelmoraAnyValue* v, const VelmoraObjPropRef* source);
VelmoraDevObjPropRef* VelmoraAnyValueGetDevObjPropRef(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDevObjPropRef(VelmoraAnyValue* v, const VelmoraDevObjPropRef* source);
VelmoraDevObjRef* VelmoraAnyValueGetDevObjRef(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDevObjRef(VelmoraAnyValue* v, const VelmoraDevObjRef* source);
VelmoraPropertyStates* VelmoraAnyValueGetPropertyStates(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetPropertyStates(VelmoraAnyValue* v, const VelmoraPropertyStates* source);
VelmoraTimeValue* VelmoraAnyValueGetTimeValue(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetTimeValue(VelmoraAnyValue* v, const VelmoraTimeValue* source);
VelmoraSpecialEvent* VelmoraAnyValueGetSpecialEvent(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetSpecialEvent(VelmoraAnyValue* v, const VelmoraSpecialEvent* source);
VelmoraRecipient* VelmoraAnyValueGetRecipient(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetRecipient(VelmoraAnyValue* v, const VelmoraRecipient* source);
VelmoraSetpointRef* VelmoraAnyValueGetSetpointRef(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetSetpointRef(VelmoraAnyValue* v, const VelmoraSetpointRef* source);
VelmoraDestination* VelmoraAnyValueGetDestination(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDestination(VelmoraAnyValue* v, const VelmoraDestination* source);
VelmoraDailySchedule* VelmoraAnyValueGetDailySchedule(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetDailySchedule(VelmoraAnyValue* v, const VelmoraDailySchedule* source);
VelmoraPropertyValue* VelmoraAnyValueGetPropertyValue(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetPropertyValue(VelmoraAnyValue* v, const VelmoraPropertyValue* source);
VelmoraTimeStamp* VelmoraAnyValueGetTimeStamp(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetTimeStamp(VelmoraAnyValue* v, const VelmoraTimeStamp* source);
VelmoraPropRef* VelmoraAnyValueGetPropRef(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetPropRef(VelmoraAnyValue* v, const VelmoraPropRef* source);
VelmoraEventParam* VelmoraAnyValueGetEventParam(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetEventParam(VelmoraAnyValue* v, const VelmoraEventParam* source);
VelmoraActionList* VelmoraAnyValueGetActionList(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetActionList(VelmoraAnyValue* v, const VelmoraActionList* source);
VelmoraReadAccessSpec* VelmoraAnyValueGetReadAccessSpec(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetReadAccessSpec(VelmoraAnyValue* v, const VelmoraReadAccessSpec* source);
VelmoraReadAccessResult* VelmoraAnyValueGetReadAccessResult(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetReadAccessResult(VelmoraAnyValue* v, const VelmoraReadAccessResult* source);
VelmoraClientCov* VelmoraAnyValueGetClientCov(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetClientCov(VelmoraAnyValue* v, const VelmoraClientCov* source);
VelmoraRawData* VelmoraAnyValueGetRawData(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetRawData(VelmoraAnyValue* v, const VelmoraRawData* source);
VelmoraCovSubscription* VelmoraAnyValueGetCovSubscription(const VelmoraAnyValue* v);
bool VelmoraAnyValueSetCovSubscription(VelmoraAnyValue* v, const VelmoraCovSubscription* source);

// Initialisers: the constructor's arguments follow the record.
bool VelmoraAnyValueInitPriorityArray(VelmoraAnyValue* v);
bool VelmoraAnyValueInitObjectId(VelmoraAnyValue* v, uint32_t type, uint32_t instance);
bool VelmoraAnyValueInitAnsiText(VelmoraAnyValue* v);  // an empty text
bool VelmoraAnyValueInitDate(VelmoraAnyValue* v, uint16_t year, uint32_t month, uint8_t day);
bool VelmoraAnyValueInitTime(VelmoraAnyValue* v, uint8_t hour, uint8_t minute, uint8_t second,
                             uint8_t hundredths);
bool VelmoraAnyValueInitDateTime(VelmoraAnyValue* v);
bool VelmoraAnyValueInitOctetString(VelmoraAnyValue* v, uint8_t* data, uint32_t buffer_size,
                                    uint32_t length);
bool VelmoraAnyValueInitDateRange(VelmoraAnyValue* v);
bool VelmoraAnyValueInitWeekNDay(VelmoraAnyValue* v, uint32_t month, int32_t week_of_month,
                                 uint32_t day_of_week);
bool VelmoraAnyValueInitCalendarEntryDate(VelmoraAnyValue* v, const VelmoraDate* date);
bool VelmoraAnyValueInitCalendarEntryDateRange(VelmoraAnyValue* v, const VelmoraDateRange* range);
bool VelmoraAnyValueInitCalendarEntryWeekNDay(VelmoraAnyValue* v,
                                              const VelmoraWeekNDay* week_n_day);
bool VelmoraAnyValueInitObjPropRef(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                   uint32_t property);
bool VelmoraAnyValueInitDevObjPropRef(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                      uint32_t property);
bool VelmoraAnyValueInitDevObjRef(VelmoraAnyValue* v, const VelmoraObjectId* id);
bool VelmoraAnyValueInitPropertyStates(VelmoraAnyValue* v);
bool VelmoraAnyValueInitTimeValue(VelmoraAnyValue* v, const VelmoraTime* time,
                                  const VelmoraAnyValue* value);
bool VelmoraAnyValueInitSpecialEventCalendarEntry(VelmoraAnyValue* v,
                                                  const VelmoraCalendarEntry* entry,
                                                  VelmoraTimeValue* time_values, uint32_t count,
                                                  uint8_t priority);
bool VelmoraAnyValueInitSpecialEventCalendarRef(VelmoraAnyValue* v, const VelmoraObjectId* calendar,
                                                VelmoraTimeValue* time_values, uint32_t count,
                                                uint8_t priority);
bool VelmoraAnyValueInitRecipientDevice(VelmoraAnyValue* v, const VelmoraObjectId* device);
bool VelmoraAnyValueInitRecipientAddress(VelmoraAnyValue* v, const VelmoraAddress* address);
bool VelmoraAnyValueInitSetpointRef(VelmoraAnyValue* v);
bool VelmoraAnyValueInitDestination(VelmoraAnyValue* v, const VelmoraTime* from_time,
                                    const VelmoraTime* to_time, const VelmoraRecipient* recipient,
                                    uint32_t process_id, uint8_t issue_confirmed);
bool VelmoraAnyValueInitDailySchedule(VelmoraAnyValue* v);
bool VelmoraAnyValueInitPropertyValue(VelmoraAnyValue* v, uint32_t property,
                                      const VelmoraAnyValue* value);
bool VelmoraAnyValueInitTimeStampTime(VelmoraAnyValue* v, const VelmoraTime* time);
bool VelmoraAnyValueInitTimeStampSequenceNumber(VelmoraAnyValue* v, uint32_t sequence_number);
bool VelmoraAnyValueInitTimeStampDateTime(VelmoraAnyValue* v, const VelmoraDateTime* date_time);
bool VelmoraAnyValueInitPropRef(VelmoraAnyValue* v, uint32_t property);
bool VelmoraAnyValueInitEventParamChangeOfBitstring(VelmoraAnyValue* v, uint32_t time_delay,
                                                    const VelmoraBitString* bitmask,
                                                    VelmoraBitString* values, uint32_t count);
bool VelmoraAnyValueInitEventParamChangeOfState(VelmoraAnyValue* v, uint32_t time_delay,
                                                VelmoraPropertyStates* values, uint32_t count);
bool VelmoraAnyValueInitEventParamChangeOfValueBitmask(VelmoraAnyValue* v, uint32_t time_delay,
                                                       const VelmoraBitString* bitmask);
bool VelmoraAnyValueInitEventParamChangeOfValueIncrement(VelmoraAnyValue* v, uint32_t time_delay,
                                                         float increment);
bool VelmoraAnyValueInitEventParamCommandFailure(VelmoraAnyValue* v, uint32_t time_delay,
                                                 const VelmoraDevObjPropRef* feedback_ref);
bool VelmoraAnyValueInitEventParamFloatingLimit(VelmoraAnyValue* v, uint32_t time_delay,
                                                const VelmoraDevObjPropRef* setpoint_ref,
                                                float low_diff_limit, float high_diff_limit,
                                                float deadband);
bool VelmoraAnyValueInitEventParamOutOfRange(VelmoraAnyValue* v, uint32_t time_delay,
                                             float low_limit, float high_limit, float deadband);
bool VelmoraAnyValueInitEventParamBufferReady7(VelmoraAnyValue* v, uint32_t notification_threshold,
                                               uint32_t previous_count);
bool VelmoraAnyValueInitEventParamBufferReady(VelmoraAnyValue* v, uint32_t notification_threshold,
                                              uint32_t previous_count);
bool VelmoraAnyValueInitEventParamChangeOfLifeSafety(VelmoraAnyValue* v, uint32_t time_delay,
                                                     uint32_t* life_safety_alarm_values,
                                                     uint32_t life_safety_alarm_count,
                                                     uint32_t* alarm_values, uint32_t alarm_count,
                                                     const VelmoraDevObjPropRef* mode_ref);
bool VelmoraAnyValueInitActionList(VelmoraAnyValue* v, VelmoraActionCommand* items, uint32_t count);
bool VelmoraAnyValueInitReadAccessSpec(VelmoraAnyValue* v, const VelmoraObjectId* id,
                                       VelmoraPropRef* refs, uint32_t count);
bool VelmoraAnyValueInitReadAccessResult(VelmoraAnyValue* v);
bool VelmoraAnyValueInitClientCovRealIncrement(VelmoraAnyValue* v, float increment);
bool VelmoraAnyValueInitClientCovDefault(VelmoraAnyValue* v);
bool VelmoraAnyValueInitRawData(VelmoraAnyValue* v, const uint8_t* data, uint32_t length);
bool VelmoraAnyValueInitCovSubscription(VelmoraAnyValue* v,
                                        const VelmoraRecipientProcess* recipient,
                                        const VelmoraObjPropRef* monitored_ref,
                                        uint8_t issue_confirmed, uint32_t time_remaining);
