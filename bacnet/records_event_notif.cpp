#include "bacnet/records_event_notif.h"

#include <cstring>

#include "bacnet/record_accessors.h"

using EN = VelmoraEventNotif;
using NP = VelmoraNotifParam;

namespace {

constexpr VelmoraCharString kAbsentText = {nullptr, -1, 0, VELMORA_CHARSET_ABSENT};
constexpr uint32_t kComplexEventType = 6;
constexpr uint32_t kFirstProprietaryEventType = 64;

// What every constructor writes first.
void StoreDefaults(EN* n) {
  n->process_id = 0;
  n->initiating_device = {8, VELMORA_MAX_INSTANCE};
  n->event_object = {1023, VELMORA_MAX_INSTANCE};
  n->time_stamp.choice = 0;
  n->time_stamp.value.time = {255, 255, 255, 255};
  n->notification_class = 0;
  n->priority = 255;
  n->message_text = kAbsentText;
}

// Ack-notifications keep the alarm and event fields as 0xFF bytes.
void ClearAlarmFields(EN* n) {
  n->ack_required = 0xFF;
  n->from_state = UINT32_MAX;
  std::memset(&n->event_values, 0xFF, sizeof n->event_values);
}

bool AlarmOrEvent(const EN* n) {
  return n->notify_type == VELMORA_NOTIFY_ALARM || n->notify_type == VELMORA_NOTIFY_EVENT;
}

template <typename N>
auto TextOf(N* n) -> decltype(&n->message_text) {
  return n && n->message_text.charset != VELMORA_CHARSET_ABSENT ? &n->message_text : nullptr;
}

template <typename N>
auto EventValuesOf(N* n) -> decltype(&n->event_values) {
  return n && AlarmOrEvent(n) ? &n->event_values : nullptr;
}

bool InitAlarmOrEvent(EN* n, uint32_t notify_type, uint32_t event_type, uint32_t from_state,
                      uint32_t to_state, const NP* event_values) {
  if (!n || !event_values) return false;
  bool fits =
      event_type == event_values->event_type ||
      (event_type >= kFirstProprietaryEventType && event_values->event_type == kComplexEventType);
  if (!fits) return false;
  StoreDefaults(n);
  n->event_type = event_type;
  n->notify_type = notify_type;
  n->ack_required = 0;
  n->from_state = from_state;
  n->to_state = to_state;
  n->event_values = *event_values;
  return true;
}

}  // namespace

// Event notification.

bool VelmoraEventNotifInitAlarm(EN* n, uint32_t event_type, uint32_t from_state, uint32_t to_state,
                                const NP* event_values) {
  return InitAlarmOrEvent(n, VELMORA_NOTIFY_ALARM, event_type, from_state, to_state, event_values);
}

bool VelmoraEventNotifInitEvent(EN* n, uint32_t event_type, uint32_t from_state, uint32_t to_state,
                                const NP* event_values) {
  return InitAlarmOrEvent(n, VELMORA_NOTIFY_EVENT, event_type, from_state, to_state, event_values);
}

bool VelmoraEventNotifInitAckNotification(EN* n, uint32_t event_type, uint32_t to_state) {
  if (!n) return false;
  std::memset(n, 0xFF, sizeof *n);
  StoreDefaults(n);
  n->event_type = event_type;
  n->notify_type = VELMORA_NOTIFY_ACK;
  n->to_state = to_state;
  return true;
}

bool VelmoraEventNotifMakeAckNotification(EN* n, const EN* source) {
  if (!n || !source) return false;
  *n = *source;
  n->notify_type = VELMORA_NOTIFY_ACK;
  ClearAlarmFields(n);
  return true;
}

RECORD_SET(VelmoraEventNotifSetProcessId, EN, uint32_t, r->process_id = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetProcessId, EN, 0, r->process_id)
RECORD_SET(VelmoraEventNotifSetDeviceInstance, EN, uint32_t, r->initiating_device.instance = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetDeviceInstance, EN, VELMORA_MAX_INSTANCE,
           r->initiating_device.instance)
RECORD_PUT(VelmoraEventNotifSetEventObject, EN, VelmoraObjectId, r->event_object = *v)
RECORD_ADDRESS(VelmoraObjectId, VelmoraEventNotifGetEventObject, EN, r->event_object)
RECORD_PUT(VelmoraEventNotifSetTimeStamp, EN, VelmoraTimeStamp, r->time_stamp = *v)
RECORD_ADDRESS(VelmoraTimeStamp, VelmoraEventNotifGetTimeStamp, EN, r->time_stamp)
RECORD_SET(VelmoraEventNotifSetNotificationClass, EN, uint32_t, r->notification_class = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetNotificationClass, EN, 0, r->notification_class)
RECORD_SET(VelmoraEventNotifSetPriority, EN, uint8_t, r->priority = v)
RECORD_GET(uint8_t, VelmoraEventNotifGetPriority, EN, 0, r->priority)
RECORD_SET(VelmoraEventNotifSetEventType, EN, uint32_t, r->event_type = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetEventType, EN, -1, r->event_type)
RECORD_SET(VelmoraEventNotifSetMessageText, EN, const VelmoraCharString*,
           r->message_text = v ? *v : kAbsentText)
VelmoraCharString* VelmoraEventNotifGetMessageText(EN* n) { return TextOf(n); }
const VelmoraCharString* VelmoraEventNotifGetMessageText(const EN* n) { return TextOf(n); }
RECORD_SET(VelmoraEventNotifSetNotifyType, EN, uint32_t, r->notify_type = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetNotifyType, EN, -1, r->notify_type)

// The alarm and event fields.

bool VelmoraEventNotifSetAckRequired(EN* n, uint8_t ack_required) {
  if (!n || !AlarmOrEvent(n)) return false;
  n->ack_required = ack_required;
  return true;
}
uint8_t VelmoraEventNotifGetAckRequired(const EN* n) {
  return n && AlarmOrEvent(n) ? n->ack_required : 0;
}
bool VelmoraEventNotifSetFromState(EN* n, uint32_t from_state) {
  if (!n || !AlarmOrEvent(n)) return false;
  n->from_state = from_state;
  return true;
}
uint32_t VelmoraEventNotifGetFromState(const EN* n) {
  return n && AlarmOrEvent(n) ? n->from_state : UINT32_MAX;
}
RECORD_SET(VelmoraEventNotifSetToState, EN, uint32_t, r->to_state = v)
RECORD_GET(uint32_t, VelmoraEventNotifGetToState, EN, -1, r->to_state)
bool VelmoraEventNotifSetEventValues(EN* n, const NP* event_values) {
  if (!n || !event_values || !AlarmOrEvent(n)) return false;
  n->event_values = *event_values;
  return true;
}
NP* VelmoraEventNotifGetEventValues(EN* n) { return EventValuesOf(n); }
const NP* VelmoraEventNotifGetEventValues(const EN* n) { return EventValuesOf(n); }
RECORD_COPY(VelmoraEventNotifCopy, EN)

// Event log record.

using EL = VelmoraEventLogRecord;
using DT = VelmoraDateTime;

RECORD_PUT(VelmoraEventLogRecordSetTimeStamp, EL, DT, r->time_stamp = *v)
RECORD_ADDRESS(DT, VelmoraEventLogRecordGetTimeStamp, EL, r->time_stamp)
RECORD_GET(uint32_t, VelmoraEventLogRecordGetChoice, EL, -1, r->choice)
RECORD_PUT(VelmoraEventLogRecordSetLogStatus, EL, VelmoraBitString, r->choice = 0,
           r->value.log_status = *v)
RECORD_ADDRESS(VelmoraBitString, VelmoraEventLogRecordGetLogStatus, EL, r->value.log_status)
RECORD_SET(VelmoraEventLogRecordSetTimeChange, EL, float, r->choice = 2, r->value.time_change = v)
RECORD_GET(float, VelmoraEventLogRecordGetTimeChange, EL, 0, r->value.time_change)
RECORD_PUT(VelmoraEventLogRecordSetNotification, EL, EN, r->choice = 1, r->value.notification = *v)
RECORD_ADDRESS(EN, VelmoraEventLogRecordGetNotification, EL, r->value.notification)
RECORD_COPY(VelmoraEventLogRecordCopy, EL)

// The constructors are the time stamp's setter and their alternative's; a
// missing record argument is refused before anything is written.
bool VelmoraEventLogRecordInitLogStatus(EL* e, const DT* time_stamp,
                                        const VelmoraBitString* log_status) {
  return log_status && VelmoraEventLogRecordSetTimeStamp(e, time_stamp) &&
         VelmoraEventLogRecordSetLogStatus(e, log_status);
}
bool VelmoraEventLogRecordInitNotification(EL* e, const DT* time_stamp, const EN* notification) {
  return notification && VelmoraEventLogRecordSetTimeStamp(e, time_stamp) &&
         VelmoraEventLogRecordSetNotification(e, notification);
}
bool VelmoraEventLogRecordInitTimeChange(EL* e, const DT* time_stamp, float time_change) {
  return VelmoraEventLogRecordSetTimeStamp(e, time_stamp) &&
         VelmoraEventLogRecordSetTimeChange(e, time_change);
}

// Destination.

using DN = VelmoraDestination;
using BS = VelmoraBitString;

bool VelmoraDestinationInit(DN* d, const VelmoraTime* from_time, const VelmoraTime* to_time,
                            const VelmoraRecipient* recipient, uint32_t process_id,
                            uint8_t issue_confirmed) {
  if (!d || !from_time || !to_time || !recipient) return false;
  d->valid_days = {7, {0xFE}};
  d->from_time = *from_time;
  d->to_time = *to_time;
  d->recipient = *recipient;
  d->process_id = process_id;
  d->issue_confirmed = issue_confirmed;
  d->transitions = {3, {0x00}};
  return true;
}
RECORD_PUT(VelmoraDestinationSetValidDays, DN, BS, r->valid_days = *v)
RECORD_ADDRESS(BS, VelmoraDestinationGetValidDays, DN, r->valid_days)
RECORD_PUT(VelmoraDestinationSetFromTime, DN, VelmoraTime, r->from_time = *v)
RECORD_ADDRESS(VelmoraTime, VelmoraDestinationGetFromTime, DN, r->from_time)
RECORD_PUT(VelmoraDestinationSetToTime, DN, VelmoraTime, r->to_time = *v)
RECORD_ADDRESS(VelmoraTime, VelmoraDestinationGetToTime, DN, r->to_time)
RECORD_PUT(VelmoraDestinationSetRecipient, DN, VelmoraRecipient, r->recipient = *v)
RECORD_ADDRESS(VelmoraRecipient, VelmoraDestinationGetRecipient, DN, r->recipient)
RECORD_SET(VelmoraDestinationSetProcessId, DN, uint32_t, r->process_id = v)
RECORD_GET(uint32_t, VelmoraDestinationGetProcessId, DN, -1, r->process_id)
RECORD_SET(VelmoraDestinationSetConfirmed, DN, uint8_t, r->issue_confirmed = v)
RECORD_GET(uint8_t, VelmoraDestinationGetConfirmed, DN, 0, r->issue_confirmed)
RECORD_PUT(VelmoraDestinationSetTransitions, DN, BS, r->transitions = *v)
RECORD_ADDRESS(BS, VelmoraDestinationGetTransitions, DN, r->transitions)
RECORD_COPY(VelmoraDestinationCopy, DN)
