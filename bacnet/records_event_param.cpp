#include "bacnet/records_event_param.h"

#include "bacnet/record_accessors.h"

using EP = VelmoraEventParam;
using BS = VelmoraBitString;
using Ref = VelmoraDevObjPropRef;

namespace {

// The fields that depend on the event type: each answers the field's place
// in the record's own alternative, or null where that type has none.

template <typename P>
auto TimeDelayOf(P* p) -> decltype(&p->alt.change_of_state.time_delay) {
  switch (p->event_type) {
    case 0:
      return &p->alt.change_of_bitstring.time_delay;
    case 1:
      return &p->alt.change_of_state.time_delay;
    case 2:
      return &p->alt.change_of_value.time_delay;
    case 3:
      return &p->alt.command_failure.time_delay;
    case 4:
      return &p->alt.floating_limit.time_delay;
    case 5:
      return &p->alt.out_of_range.time_delay;
    case 8:
      return &p->alt.change_of_life_safety.time_delay;
    case 11:
      return &p->alt.unsigned_range.time_delay;
  }
  return nullptr;
}

template <typename P>
auto BitmaskOf(P* p) -> decltype(&p->alt.change_of_bitstring.bitmask) {
  if (p->event_type == 0) return &p->alt.change_of_bitstring.bitmask;
  if (p->event_type == 2 && p->alt.change_of_value.criteria == 0)
    return &p->alt.change_of_value.by.bitmask;
  return nullptr;
}

template <typename P>
auto DeadbandOf(P* p) -> decltype(&p->alt.out_of_range.deadband) {
  if (p->event_type == 4) return &p->alt.floating_limit.deadband;
  if (p->event_type == 5) return &p->alt.out_of_range.deadband;
  return nullptr;
}

template <typename T, typename V>
bool StoreAt(T* field, V value) {
  if (!field) return false;
  *field = value;
  return true;
}

template <typename T>
T ReadAt(const T* field, T none) {
  return field ? *field : none;
}

constexpr auto kCountNeedsArray = RecordList::CountNeedsArray;

}  // namespace

// Constructors.

bool VelmoraEventParamInitChangeOfBitstring(EP* p, uint32_t time_delay, const BS* bitmask,
                                            BS* values, uint32_t count) {
  if (!p || !bitmask || !RecordListAccepts(kCountNeedsArray, values, count)) return false;
  p->event_type = 0;
  p->alt.change_of_bitstring = {time_delay, *bitmask, values, count};
  return true;
}

bool VelmoraEventParamInitChangeOfState(EP* p, uint32_t time_delay, VelmoraPropertyStates* values,
                                        uint32_t count) {
  if (!p || !RecordListAccepts(kCountNeedsArray, values, count)) return false;
  p->event_type = 1;
  p->alt.change_of_state = {time_delay, values, count};
  return true;
}

bool VelmoraEventParamInitChangeOfValueBitmask(EP* p, uint32_t time_delay, const BS* bitmask) {
  if (!p || !bitmask) return false;
  p->event_type = 2;
  p->alt.change_of_value.time_delay = time_delay;
  p->alt.change_of_value.criteria = 0;
  p->alt.change_of_value.by.bitmask = *bitmask;
  return true;
}

bool VelmoraEventParamInitChangeOfValueIncrement(EP* p, uint32_t time_delay, float increment) {
  if (!p) return false;
  p->event_type = 2;
  p->alt.change_of_value.time_delay = time_delay;
  p->alt.change_of_value.criteria = 1;
  p->alt.change_of_value.by.increment = increment;
  return true;
}

bool VelmoraEventParamInitCommandFailure(EP* p, uint32_t time_delay, const Ref* feedback_ref) {
  if (!p || !feedback_ref) return false;
  p->event_type = 3;
  p->alt.command_failure = {time_delay, *feedback_ref};
  return true;
}

bool VelmoraEventParamInitFloatingLimit(EP* p, uint32_t time_delay, const Ref* setpoint_ref,
                                        float low_diff_limit, float high_diff_limit,
                                        float deadband) {
  if (!p || !setpoint_ref) return false;
  p->event_type = 4;
  p->alt.floating_limit = {time_delay, *setpoint_ref, low_diff_limit, high_diff_limit, deadband};
  return true;
}

bool VelmoraEventParamInitOutOfRange(EP* p, uint32_t time_delay, float low_limit, float high_limit,
                                     float deadband) {
  if (!p) return false;
  p->event_type = 5;
  p->alt.out_of_range = {time_delay, low_limit, high_limit, deadband};
  return true;
}

namespace {
bool InitBufferReady(EP* p, uint32_t type, uint32_t notification_threshold,
                     uint32_t previous_count) {
  if (!p) return false;
  p->event_type = type;
  p->alt.buffer_ready = {notification_threshold, previous_count};
  return true;
}
}  // namespace

bool VelmoraEventParamInitBufferReady7(EP* p, uint32_t notification_threshold,
                                       uint32_t previous_count) {
  return InitBufferReady(p, 7, notification_threshold, previous_count);
}

bool VelmoraEventParamInitBufferReady(EP* p, uint32_t notification_threshold,
                                      uint32_t previous_count) {
  return InitBufferReady(p, 10, notification_threshold, previous_count);
}

bool VelmoraEventParamInitChangeOfLifeSafety(EP* p, uint32_t time_delay,
                                             uint32_t* life_safety_alarm_values,
                                             uint32_t life_safety_alarm_count,
                                             uint32_t* alarm_values, uint32_t alarm_count,
                                             const Ref* mode_ref) {
  constexpr auto rule = RecordList::BothOrNeither;
  if (!p || !mode_ref ||
      !RecordListAccepts(rule, life_safety_alarm_values, life_safety_alarm_count) ||
      !RecordListAccepts(rule, alarm_values, alarm_count))
    return false;
  p->event_type = 8;
  p->alt.change_of_life_safety = {
      time_delay, life_safety_alarm_values, life_safety_alarm_count, alarm_values, alarm_count,
      *mode_ref};
  return true;
}

bool VelmoraEventParamInitExtended(EP* p, uint32_t vendor_id, uint32_t extended_event_type,
                                   VelmoraExtParam* parameters, uint32_t count) {
  if (!p || !RecordListAccepts(RecordList::BothOrNeither, parameters, count)) return false;
  p->event_type = 9;
  p->alt.extended = {vendor_id, extended_event_type, parameters, count};
  return true;
}

bool VelmoraEventParamInitUnsignedRange(EP* p, uint32_t time_delay, uint32_t low_limit,
                                        uint32_t high_limit) {
  if (!p) return false;
  p->event_type = 11;
  p->alt.unsigned_range = {time_delay, low_limit, high_limit};
  return true;
}

// Accessors that look at the event type.

RECORD_GET(uint32_t, VelmoraEventParamGetType, EP, -1, r->event_type)

bool VelmoraEventParamSetTimeDelay(EP* p, uint32_t time_delay) {
  return p && StoreAt(TimeDelayOf(p), time_delay);
}
uint32_t VelmoraEventParamGetTimeDelay(const EP* p) {
  return p ? ReadAt(TimeDelayOf(p), UINT32_MAX) : 0;
}

bool VelmoraEventParamSetBitmask(EP* p, const BS* bitmask) {
  return p && bitmask && StoreAt(BitmaskOf(p), *bitmask);
}
BS* VelmoraEventParamGetBitmask(EP* p) { return p ? BitmaskOf(p) : nullptr; }
const BS* VelmoraEventParamGetBitmask(const EP* p) { return p ? BitmaskOf(p) : nullptr; }

uint32_t VelmoraEventParamGetValueCount(const EP* p) {
  if (!p) return 0;
  if (p->event_type == 0) return p->alt.change_of_bitstring.count;
  if (p->event_type == 1) return p->alt.change_of_state.count;
  return 0;
}

bool VelmoraEventParamSetDeadband(EP* p, float deadband) {
  return p && StoreAt(DeadbandOf(p), deadband);
}
float VelmoraEventParamGetDeadband(const EP* p) { return p ? ReadAt(DeadbandOf(p), 0.0f) : 0.0f; }

// Accessors of one alternative's fields.

RECORD_LIST(VelmoraEventParamSetBitstringValues, EP, BS, kCountNeedsArray,
            r->alt.change_of_bitstring.values, r->alt.change_of_bitstring.count)
RECORD_ELEMENT(BS, VelmoraEventParamGetBitstringValue, EP, r->alt.change_of_bitstring.values)
RECORD_LIST(VelmoraEventParamSetStateValues, EP, VelmoraPropertyStates, kCountNeedsArray,
            r->alt.change_of_state.values, r->alt.change_of_state.count)
RECORD_ELEMENT(VelmoraPropertyStates, VelmoraEventParamGetStateValue, EP,
               r->alt.change_of_state.values)
RECORD_GET(uint32_t, VelmoraEventParamGetCovCriteria, EP, -1, r->alt.change_of_value.criteria)
RECORD_SET(VelmoraEventParamSetCovIncrement, EP, float, r->alt.change_of_value.criteria = 1,
           r->alt.change_of_value.by.increment = v)
RECORD_GET(float, VelmoraEventParamGetCovIncrement, EP, 0, r->alt.change_of_value.by.increment)
RECORD_PUT(VelmoraEventParamSetFeedbackRef, EP, Ref, r->alt.command_failure.feedback_ref = *v)
RECORD_ADDRESS(Ref, VelmoraEventParamGetFeedbackRef, EP, r->alt.command_failure.feedback_ref)
RECORD_PUT(VelmoraEventParamSetSetpointRef, EP, Ref, r->alt.floating_limit.setpoint_ref = *v)
RECORD_ADDRESS(Ref, VelmoraEventParamGetSetpointRef, EP, r->alt.floating_limit.setpoint_ref)
RECORD_SET(VelmoraEventParamSetLowDiffLimit, EP, float, r->alt.floating_limit.low_diff_limit = v)
RECORD_GET(float, VelmoraEventParamGetLowDiffLimit, EP, 0, r->alt.floating_limit.low_diff_limit)
RECORD_SET(VelmoraEventParamSetHighDiffLimit, EP, float, r->alt.floating_limit.high_diff_limit = v)
RECORD_GET(float, VelmoraEventParamGetHighDiffLimit, EP, 0, r->alt.floating_limit.high_diff_limit)
RECORD_SET(VelmoraEventParamSetLowLimit, EP, float, r->alt.out_of_range.low_limit = v)
RECORD_GET(float, VelmoraEventParamGetLowLimit, EP, 0, r->alt.out_of_range.low_limit)
RECORD_SET(VelmoraEventParamSetHighLimit, EP, float, r->alt.out_of_range.high_limit = v)
RECORD_GET(float, VelmoraEventParamGetHighLimit, EP, 0, r->alt.out_of_range.high_limit)
RECORD_SET(VelmoraEventParamSetNotificationThreshold, EP, uint32_t,
           r->alt.buffer_ready.notification_threshold = v)
RECORD_GET(uint32_t, VelmoraEventParamGetNotificationThreshold, EP, 0,
           r->alt.buffer_ready.notification_threshold)
RECORD_SET(VelmoraEventParamSetPreviousCount, EP, uint32_t, r->alt.buffer_ready.previous_count = v)
RECORD_GET(uint32_t, VelmoraEventParamGetPreviousCount, EP, 0, r->alt.buffer_ready.previous_count)
RECORD_LIST(VelmoraEventParamSetLifeSafetyAlarmValues, EP, uint32_t, kCountNeedsArray,
            r->alt.change_of_life_safety.life_safety_alarm_values,
            r->alt.change_of_life_safety.life_safety_alarm_count)
RECORD_ELEMENT(uint32_t, VelmoraEventParamGetLifeSafetyAlarmValue, EP,
               r->alt.change_of_life_safety.life_safety_alarm_values)
RECORD_GET(uint32_t, VelmoraEventParamGetLifeSafetyAlarmCount, EP, 0,
           r->alt.change_of_life_safety.life_safety_alarm_count)
RECORD_LIST(VelmoraEventParamSetAlarmValues, EP, uint32_t, kCountNeedsArray,
            r->alt.change_of_life_safety.alarm_values, r->alt.change_of_life_safety.alarm_count)
RECORD_ELEMENT(uint32_t, VelmoraEventParamGetAlarmValue, EP,
               r->alt.change_of_life_safety.alarm_values)
RECORD_GET(uint32_t, VelmoraEventParamGetAlarmValueCount, EP, 0,
           r->alt.change_of_life_safety.alarm_count)
RECORD_PUT(VelmoraEventParamSetModeRef, EP, Ref, r->alt.change_of_life_safety.mode_ref = *v)
RECORD_ADDRESS(Ref, VelmoraEventParamGetModeRef, EP, r->alt.change_of_life_safety.mode_ref)
RECORD_SET(VelmoraEventParamSetVendorId, EP, uint32_t, r->alt.extended.vendor_id = v)
RECORD_GET(uint32_t, VelmoraEventParamGetVendorId, EP, -1, r->alt.extended.vendor_id)
RECORD_SET(VelmoraEventParamSetExtendedEventType, EP, uint32_t,
           r->alt.extended.extended_event_type = v)
RECORD_GET(uint32_t, VelmoraEventParamGetExtendedEventType, EP, -1,
           r->alt.extended.extended_event_type)
RECORD_LIST(VelmoraEventParamSetExtendedParameters, EP, VelmoraExtParam, RecordList::ArrayRequired,
            r->alt.extended.parameters, r->alt.extended.count)
RECORD_ELEMENT(VelmoraExtParam, VelmoraEventParamGetExtendedParameter, EP,
               r->alt.extended.parameters)
RECORD_GET(uint32_t, VelmoraEventParamGetExtendedParameterCount, EP, 0, r->alt.extended.count)
RECORD_SET(VelmoraEventParamSetUnsignedLowLimit, EP, uint32_t, r->alt.unsigned_range.low_limit = v)
RECORD_GET(uint32_t, VelmoraEventParamGetUnsignedLowLimit, EP, -1, r->alt.unsigned_range.low_limit)
RECORD_SET(VelmoraEventParamSetUnsignedHighLimit, EP, uint32_t,
           r->alt.unsigned_range.high_limit = v)
RECORD_GET(uint32_t, VelmoraEventParamGetUnsignedHighLimit, EP, -1,
           r->alt.unsigned_range.high_limit)
RECORD_COPY(VelmoraEventParamCopy, EP)
