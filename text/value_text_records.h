// Notation of the constructed records: one writer per record, under the
// contract of text/text_buffer.h, composed of the writers of its fields and
// failing as a whole when one of them fails. A record is read through its
// accessors; a list whose array is missing while its count is not 0 cannot
// be read and gives 0, an unknown CHOICE writes "?" after its number. Values
// nested in a record are written by VelmoraValueToStringEx for the object
// type and property their record names (any of either where it names none).
// With showNumbers, enumeration names and property identifiers carry their
// numbers and bit strings the names of their set bits. Pure functions.
#pragma once

#include <cstdint>

#include "bacnet/priority_value.h"
#include "bacnet/records.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"
#include "bacnet/records_notif_param.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_schedule.h"
#include "bacnet/records_session.h"
#include "bacnet/records_states.h"
#include "text/value_text.h"

// "{" class name "," code name "}", the names of the status texts.
uint32_t VelmoraErrorToString(char* destination, uint32_t room, const VelmoraError* error);

// References, property values and read-access records.
uint32_t VelmoraObjPropRefToString(char* destination, uint32_t room, const VelmoraObjPropRef* ref,
                                   uint8_t showNumbers);
uint32_t VelmoraDevObjPropRefToString(char* destination, uint32_t room,
                                      const VelmoraDevObjPropRef* ref, uint8_t showNumbers);
uint32_t VelmoraDevObjRefToString(char* destination, uint32_t room, const VelmoraDevObjRef* ref);
uint32_t VelmoraPropRefToString(char* destination, uint32_t room, const VelmoraPropRef* ref,
                                uint8_t showNumbers);
uint32_t VelmoraSetpointRefToString(char* destination, uint32_t room, const VelmoraSetpointRef* ref,
                                    uint8_t showNumbers);
// The value as of any object type, the record's property and its index.
uint32_t VelmoraPropertyValueToString(char* destination, uint32_t room,
                                      const VelmoraPropertyValue* value, uint8_t showNumbers);
uint32_t VelmoraDevObjPropValueToString(char* destination, uint32_t room,
                                        const VelmoraDevObjPropValue* value, uint8_t showNumbers);
uint32_t VelmoraAddressBindingToString(char* destination, uint32_t room,
                                       const VelmoraAddressBinding* binding);
uint32_t VelmoraRecipientToString(char* destination, uint32_t room,
                                  const VelmoraRecipient* recipient);
uint32_t VelmoraRecipientProcessToString(char* destination, uint32_t room,
                                         const VelmoraRecipientProcess* recipient);
uint32_t VelmoraDestinationToString(char* destination, uint32_t room,
                                    const VelmoraDestination* record, uint8_t showNumbers);
uint32_t VelmoraReadAccessSpecToString(char* destination, uint32_t room,
                                       const VelmoraReadAccessSpec* spec, uint8_t showNumbers);
// One element of a read-access result for an object of type objectType.
uint32_t VelmoraReadResultToString(char* destination, uint32_t room,
                                   const VelmoraReadResult* result, uint32_t objectType,
                                   uint8_t showNumbers);
uint32_t VelmoraReadAccessResultToString(char* destination, uint32_t room,
                                         const VelmoraReadAccessResult* result,
                                         uint8_t showNumbers);
uint32_t VelmoraCovSubscriptionToString(char* destination, uint32_t room,
                                        const VelmoraCovSubscription* subscription,
                                        uint8_t showNumbers);

// Scheduling and commanding records.
uint32_t VelmoraDateRangeToString(char* destination, uint32_t room, const VelmoraDateRange* range);
uint32_t VelmoraCalendarEntryToString(char* destination, uint32_t room,
                                      const VelmoraCalendarEntry* entry);
uint32_t VelmoraTimeValueToString(char* destination, uint32_t room,
                                  const VelmoraTimeValue* timeValue, uint8_t showNumbers);
uint32_t VelmoraDailyScheduleToString(char* destination, uint32_t room,
                                      const VelmoraDailySchedule* schedule, uint8_t showNumbers);
uint32_t VelmoraSpecialEventToString(char* destination, uint32_t room,
                                     const VelmoraSpecialEvent* event, uint8_t showNumbers);
uint32_t VelmoraActionCommandToString(char* destination, uint32_t room,
                                      const VelmoraActionCommand* command, uint8_t showNumbers);
uint32_t VelmoraActionListToString(char* destination, uint32_t room, const VelmoraActionList* list,
                                   uint8_t showNumbers);

// Choices and small value records.
uint32_t VelmoraPriorityValueToString(char* destination, uint32_t room,
                                      const VelmoraPriorityValue* value, int32_t enumRow,
                                      uint8_t showNumbers);
uint32_t VelmoraPropertyStatesToString(char* destination, uint32_t room,
                                       const VelmoraPropertyStates* states, uint8_t showNumbers);
uint32_t VelmoraTimeStampToString(char* destination, uint32_t room,
                                  const VelmoraTimeStamp* timeStamp);
uint32_t VelmoraClientCovToString(char* destination, uint32_t room, const VelmoraClientCov* cov);
uint32_t VelmoraAccumulatorRecordToString(char* destination, uint32_t room,
                                          const VelmoraAccumulatorRecord* record,
                                          uint8_t showNumbers);
uint32_t VelmoraPrescaleToString(char* destination, uint32_t room, const VelmoraPrescale* prescale);
uint32_t VelmoraScaleToString(char* destination, uint32_t room, const VelmoraScale* scale);
uint32_t VelmoraShedLevelToString(char* destination, uint32_t room, const VelmoraShedLevel* level);
uint32_t VelmoraVtSessionToString(char* destination, uint32_t room,
                                  const VelmoraVtSession* session);
uint32_t VelmoraSessionKeyToString(char* destination, uint32_t room, const VelmoraSessionKey* key);

// Event parameters, notifications and log records.
uint32_t VelmoraEventParamToString(char* destination, uint32_t room, const VelmoraEventParam* param,
                                   uint8_t showNumbers);
uint32_t VelmoraExtParamToString(char* destination, uint32_t room, const VelmoraExtParam* param,
                                 uint8_t showNumbers);
uint32_t VelmoraNotifParamToString(char* destination, uint32_t room, const VelmoraNotifParam* param,
                                   uint8_t showNumbers);
uint32_t VelmoraNotifExtParamToString(char* destination, uint32_t room,
                                      const VelmoraNotifExtParam* param, uint8_t showNumbers);
uint32_t VelmoraEventNotifToString(char* destination, uint32_t room,
                                   const VelmoraEventNotif* notification, uint8_t showNumbers);
uint32_t VelmoraEventLogRecordToString(char* destination, uint32_t room,
                                       const VelmoraEventLogRecord* record, uint8_t showNumbers);
uint32_t VelmoraLogRecordToString(char* destination, uint32_t room, const VelmoraLogRecord* record,
                                  uint8_t showNumbers);
uint32_t VelmoraLogMultipleRecordToString(char* destination, uint32_t room,
                                          const VelmoraLogMultipleRecord* record,
                                          uint8_t showNumbers);
uint32_t VelmoraLogDatumToString(char* destination, uint32_t room, const VelmoraLogDatum* datum,
                                 uint8_t showNumbers);
