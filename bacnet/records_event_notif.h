// Event notification parameters, the event log record and the destination
// of a notification class's recipient list.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "bacnet/records_notif_param.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_states.h"

// Notify types.
inline constexpr uint32_t VELMORA_NOTIFY_ALARM = 0;
inline constexpr uint32_t VELMORA_NOTIFY_EVENT = 1;
inline constexpr uint32_t VELMORA_NOTIFY_ACK = 2;

// Character set of an absent message text.
inline constexpr uint8_t VELMORA_CHARSET_ABSENT = 255;

// The fields BACnet sends for alarms and events only (ack required, from
// state, event values) are reached only while the notify type is alarm or
// event; an ack-notification keeps them as 0xFF bytes. A copy shares the
// message text and the lists and value buffers of the event values.
struct VelmoraEventNotif {
  uint32_t process_id;
  VelmoraObjectId initiating_device;
  VelmoraObjectId event_object;
  VelmoraTimeStamp time_stamp;
  uint32_t notification_class;
  uint8_t priority;
  uint32_t event_type;
  VelmoraCharString message_text;  // charset VELMORA_CHARSET_ABSENT: none
  uint32_t notify_type;            // VELMORA_NOTIFY_*
  uint8_t ack_required;
  uint32_t from_state;
  uint32_t to_state;
  VelmoraNotifParam event_values;
};

// A copy shares what a copy of its notification shares.
struct VelmoraEventLogRecord {
  VelmoraDateTime time_stamp;
  uint32_t choice;  // 0 log status, 1 notification, 2 time change
  union {
    VelmoraBitString log_status;
    VelmoraEventNotif notification;
    float time_change;
  } value;
};

struct VelmoraDestination {
  VelmoraBitString valid_days;  // 7 bits, Monday first
  VelmoraTime from_time;
  VelmoraTime to_time;
  VelmoraRecipient recipient;
  uint32_t process_id;
  uint8_t issue_confirmed;
  VelmoraBitString transitions;  // to-offnormal, to-fault, to-normal
};

// Event notification. The alarm and event constructors refuse event values
// of another event type, except complex-event-type values for a
// proprietary event type (64 and up); a refused call writes nothing.
bool VelmoraEventNotifInitAlarm(VelmoraEventNotif* n, uint32_t event_type, uint32_t from_state,
                                uint32_t to_state, const VelmoraNotifParam* event_values);
bool VelmoraEventNotifInitEvent(VelmoraEventNotif* n, uint32_t event_type, uint32_t from_state,
                                uint32_t to_state, const VelmoraNotifParam* event_values);
bool VelmoraEventNotifInitAckNotification(VelmoraEventNotif* n, uint32_t event_type,
                                          uint32_t to_state);
// The source's identifiers, time stamp, class, priority, event type, text
// and to state, as an ack-notification.
bool VelmoraEventNotifMakeAckNotification(VelmoraEventNotif* n, const VelmoraEventNotif* source);
bool VelmoraEventNotifSetProcessId(VelmoraEventNotif* n, uint32_t process_id);
uint32_t VelmoraEventNotifGetProcessId(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetDeviceInstance(VelmoraEventNotif* n, uint32_t instance);
uint32_t VelmoraEventNotifGetDeviceInstance(const VelmoraEventNotif* n);  // 0x3FFFFF missing
bool VelmoraEventNotifSetEventObject(VelmoraEventNotif* n, const VelmoraObjectId* event_object);
VelmoraObjectId* VelmoraEventNotifGetEventObject(VelmoraEventNotif* n);
const VelmoraObjectId* VelmoraEventNotifGetEventObject(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetTimeStamp(VelmoraEventNotif* n, const VelmoraTimeStamp* time_stamp);
VelmoraTimeStamp* VelmoraEventNotifGetTimeStamp(VelmoraEventNotif* n);
const VelmoraTimeStamp* VelmoraEventNotifGetTimeStamp(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetNotificationClass(VelmoraEventNotif* n, uint32_t notification_class);
uint32_t VelmoraEventNotifGetNotificationClass(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetPriority(VelmoraEventNotif* n, uint8_t priority);
uint8_t VelmoraEventNotifGetPriority(const VelmoraEventNotif* n);  // 0 missing
bool VelmoraEventNotifSetEventType(VelmoraEventNotif* n, uint32_t event_type);
uint32_t VelmoraEventNotifGetEventType(const VelmoraEventNotif* n);
// Shares the text; a null text makes the message text absent.
bool VelmoraEventNotifSetMessageText(VelmoraEventNotif* n, const VelmoraCharString* text);
VelmoraCharString* VelmoraEventNotifGetMessageText(VelmoraEventNotif* n);
const VelmoraCharString* VelmoraEventNotifGetMessageText(const VelmoraEventNotif* n);
// Changes the type alone: an ack-notification switched to alarm or event
// carries event values of 0xFF bytes (event type 0xFFFFFFFF, which no event
// codec knows).
bool VelmoraEventNotifSetNotifyType(VelmoraEventNotif* n, uint32_t notify_type);
uint32_t VelmoraEventNotifGetNotifyType(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetAckRequired(VelmoraEventNotif* n, uint8_t ack_required);
uint8_t VelmoraEventNotifGetAckRequired(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetFromState(VelmoraEventNotif* n, uint32_t from_state);
uint32_t VelmoraEventNotifGetFromState(const VelmoraEventNotif* n);
bool VelmoraEventNotifSetToState(VelmoraEventNotif* n, uint32_t to_state);
uint32_t VelmoraEventNotifGetToState(const VelmoraEventNotif* n);
// Not compared with the record's event type.
bool VelmoraEventNotifSetEventValues(VelmoraEventNotif* n, const VelmoraNotifParam* event_values);
VelmoraNotifParam* VelmoraEventNotifGetEventValues(VelmoraEventNotif* n);
const VelmoraNotifParam* VelmoraEventNotifGetEventValues(const VelmoraEventNotif* n);
bool VelmoraEventNotifCopy(VelmoraEventNotif* dst, const VelmoraEventNotif* src);

// Event log record. The getters answer the alternative whatever the choice.
bool VelmoraEventLogRecordInitLogStatus(VelmoraEventLogRecord* e, const VelmoraDateTime* time_stamp,
                                        const VelmoraBitString* log_status);
bool VelmoraEventLogRecordInitNotification(VelmoraEventLogRecord* e,
                                           const VelmoraDateTime* time_stamp,
                                           const VelmoraEventNotif* notification);
bool VelmoraEventLogRecordInitTimeChange(VelmoraEventLogRecord* e,
                                         const VelmoraDateTime* time_stamp, float time_change);
bool VelmoraEventLogRecordSetTimeStamp(VelmoraEventLogRecord* e, const VelmoraDateTime* time_stamp);
VelmoraDateTime* VelmoraEventLogRecordGetTimeStamp(VelmoraEventLogRecord* e);
const VelmoraDateTime* VelmoraEventLogRecordGetTimeStamp(const VelmoraEventLogRecord* e);
uint32_t VelmoraEventLogRecordGetChoice(const VelmoraEventLogRecord* e);
bool VelmoraEventLogRecordSetLogStatus(VelmoraEventLogRecord* e,
                                       const VelmoraBitString* log_status);
VelmoraBitString* VelmoraEventLogRecordGetLogStatus(VelmoraEventLogRecord* e);
const VelmoraBitString* VelmoraEventLogRecordGetLogStatus(const VelmoraEventLogRecord* e);
bool VelmoraEventLogRecordSetTimeChange(VelmoraEventLogRecord* e, float time_change);
float VelmoraEventLogRecordGetTimeChange(const VelmoraEventLogRecord* e);
bool VelmoraEventLogRecordSetNotification(VelmoraEventLogRecord* e,
                                          const VelmoraEventNotif* notification);
VelmoraEventNotif* VelmoraEventLogRecordGetNotification(VelmoraEventLogRecord* e);
const VelmoraEventNotif* VelmoraEventLogRecordGetNotification(const VelmoraEventLogRecord* e);
bool VelmoraEventLogRecordCopy(VelmoraEventLogRecord* dst, const VelmoraEventLogRecord* src);

// Destination. Init sets all seven valid days and clears the three
// transitions; their setters do not check the bit counts.
bool VelmoraDestinationInit(VelmoraDestination* d, const VelmoraTime* from_time,
                            const VelmoraTime* to_time, const VelmoraRecipient* recipient,
                            uint32_t process_id, uint8_t issue_confirmed);
bool VelmoraDestinationSetValidDays(VelmoraDestination* d, const VelmoraBitString* valid_days);
VelmoraBitString* VelmoraDestinationGetValidDays(VelmoraDestination* d);
const VelmoraBitString* VelmoraDestinationGetValidDays(const VelmoraDestination* d);
bool VelmoraDestinationSetFromTime(VelmoraDestination* d, const VelmoraTime* time);
VelmoraTime* VelmoraDestinationGetFromTime(VelmoraDestination* d);
const VelmoraTime* VelmoraDestinationGetFromTime(const VelmoraDestination* d);
bool VelmoraDestinationSetToTime(VelmoraDestination* d, const VelmoraTime* time);
VelmoraTime* VelmoraDestinationGetToTime(VelmoraDestination* d);
const VelmoraTime* VelmoraDestinationGetToTime(const VelmoraDestination* d);
bool VelmoraDestinationSetRecipient(VelmoraDestination* d, const VelmoraRecipient* recipient);
VelmoraRecipient* VelmoraDestinationGetRecipient(VelmoraDestination* d);
const VelmoraRecipient* VelmoraDestinationGetRecipient(const VelmoraDestination* d);
bool VelmoraDestinationSetProcessId(VelmoraDestination* d, uint32_t process_id);
uint32_t VelmoraDestinationGetProcessId(const VelmoraDestination* d);
bool VelmoraDestinationSetConfirmed(VelmoraDestination* d, uint8_t issue_confirmed);
uint8_t VelmoraDestinationGetConfirmed(const VelmoraDestination* d);
bool VelmoraDestinationSetTransitions(VelmoraDestination* d, const VelmoraBitString* transitions);
VelmoraBitString* VelmoraDestinationGetTransitions(VelmoraDestination* d);
const VelmoraBitString* VelmoraDestinationGetTransitions(const VelmoraDestination* d);
bool VelmoraDestinationCopy(VelmoraDestination* dst, const VelmoraDestination* src);
