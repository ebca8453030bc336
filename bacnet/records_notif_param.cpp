#include "bacnet/records_notif_param.h"

#include "bacnet/record_accessors.h"

using NP = VelmoraNotifParam;
using BS = VelmoraBitString;
using AV = VelmoraAnyValue;
using Id = VelmoraObjectId;
using DT = VelmoraDateTime;

namespace {

// The status flags of the record's own event type, or null for the types
// that carry none (6, 7, 9, 10 and unknown ones).
template <typename P>
auto StatusFlagsOf(P* p) -> decltype(&p->alt.change_of_bitstring.status_flags) {
  switch (p->event_type) {
    case 0:
      return &p->alt.change_of_bitstring.status_flags;
    case 1:
      return &p->alt.change_of_state.status_flags;
    case 2:
      return &p->alt.change_of_value.status_flags;
    case 3:
      return &p->alt.command_failure.status_flags;
    case 4:
      return &p->alt.floating_limit.status_flags;
    case 5:
      return &p->alt.out_of_range.status_flags;
    case 8:
      return &p->alt.change_of_life_safety.status_flags;
    case 11:
      return &p->alt.unsigned_range.status_flags;
  }
  return nullptr;
}

}  // namespace

// Constructors. Every record argument is required.

bool VelmoraNotifParamInitChangeOfBitstring(NP* p, const BS* referenced_bitstring,
                                            const BS* status_flags) {
  if (!p || !referenced_bitstring || !status_flags) return false;
  p->event_type = 0;
  p->alt.change_of_bitstring = {*referenced_bitstring, *status_flags};
  return true;
}

bool VelmoraNotifParamInitChangeOfState(NP* p, const VelmoraPropertyStates* new_state,
                                        const BS* status_flags) {
  if (!p || !new_state || !status_flags) return false;
  p->event_type = 1;
  p->alt.change_of_state = {*new_state, *status_flags};
  return true;
}

bool VelmoraNotifParamInitChangeOfValueBits(NP* p, const BS* changed_bits, const BS* status_flags) {
  if (!p || !changed_bits || !status_flags) return false;
  p->event_type = 2;
  p->alt.change_of_value.choice = 0;
  p->alt.change_of_value.new_value.changed_bits = *changed_bits;
  p->alt.change_of_value.status_flags = *status_flags;
  return true;
}

bool VelmoraNotifParamInitChangeOfValueReal(NP* p, float changed_value, const BS* status_flags) {
  if (!p || !status_flags) return false;
  p->event_type = 2;
  p->alt.change_of_value.choice = 1;
  p->alt.change_of_value.new_value.changed_value = changed_value;
  p->alt.change_of_value.status_flags = *status_flags;
  return true;
}

bool VelmoraNotifParamInitCommandFailure(NP* p, const AV* command_value, const BS* status_flags,
                                         const AV* feedback_value) {
  if (!p || !command_value || !status_flags || !feedback_value) return false;
  p->event_type = 3;
  p->alt.command_failure = {*command_value, *status_flags, *feedback_value};
  return true;
}

bool VelmoraNotifParamInitFloatingLimit(NP* p, float reference_value, const BS* status_flags,
                                        float setpoint_value, float error_limit) {
  if (!p || !status_flags) return false;
  p->event_type = 4;
  p->alt.floating_limit = {reference_value, *status_flags, setpoint_value, error_limit};
  return true;
}

bool VelmoraNotifParamInitOutOfRange(NP* p, float exceeding_value, const BS* status_flags,
                                     float deadband, float exceeded_limit) {
  if (!p || !status_flags) return false;
  p->event_type = 5;
  p->alt.out_of_range = {exceeding_value, *status_flags, deadband, exceeded_limit};
  return true;
}

bool VelmoraNotifParamInitComplexEventType(NP* p, VelmoraPropertyValue* values, uint32_t count) {
  if (!p || !RecordListAccepts(RecordList::BothOrNeither, values, count)) return false;
  p->event_type = 6;
  p->alt.complex_event_type = {values, count};
  return true;
}

bool VelmoraNotifParamInitBufferReady7(NP* p, const Id* buffer_device, const Id* buffer_object,
                                       const DT* previous_notification,
                                       const DT* current_notification) {
  if (!p || !buffer_device || !buffer_object || !previous_notification || !current_notification)
    return false;
  p->event_type = 7;
  p->alt.buffer_ready7 = {*buffer_device, *buffer_object, *previous_notification,
                          *current_notification};
  return true;
}

bool VelmoraNotifParamInitChangeOfLifeSafety(NP* p, uint32_t new_state, uint32_t new_mode,
                                             const BS* status_flags, uint32_t operation_expected) {
  if (!p || !status_flags) return false;
  p->event_type = 8;
  p->alt.change_of_life_safety = {new_state, new_mode, *status_flags, operation_expected};
  return true;
}

bool VelmoraNotifParamInitExtended(NP* p, uint32_t vendor_id, uint32_t extended_event_type,
                                   VelmoraNotifExtParam* parameters, uint32_t count) {
  if (!p || !RecordListAccepts(RecordList::BothOrNeither, parameters, count)) return false;
  p->event_type = 9;
  p->alt.extended = {vendor_id, extended_event_type, parameters, count};
  return true;
}

bool VelmoraNotifParamInitBufferReady(NP* p, const VelmoraDevObjPropRef* buffer_property,
                                      uint32_t previous_count, uint32_t current_count) {
  if (!p || !buffer_property) return false;
  p->event_type = 10;
  p->alt.buffer_ready = {*buffer_property, previous_count, current_count};
  return true;
}

bool VelmoraNotifParamInitUnsignedRange(NP* p, uint32_t exceeding_value, const BS* status_flags,
                                        uint32_t exceeded_limit) {
  if (!p || !status_flags) return false;
  p->event_type = 11;
  p->alt.unsigned_range = {exceeding_value, *status_flags, exceeded_limit};
  return true;
}

// Accessors.

RECORD_GET(uint32_t, VelmoraNotifParamGetType, NP, -1, r->event_type)
RECORD_PUT(VelmoraNotifParamSetBitstring, NP, BS,
           r->alt.change_of_bitstring.referenced_bitstring = *v)
RECORD_ADDRESS(BS, VelmoraNotifParamGetBitstring, NP,
               r->alt.change_of_bitstring.referenced_bitstring)

bool VelmoraNotifParamSetStatusFlags(NP* p, const BS* status_flags) {
  BS* field = p && status_flags ? StatusFlagsOf(p) : nullptr;
  if (!field) return false;
  *field = *status_flags;
  return true;
}
BS* VelmoraNotifParamGetStatusFlags(NP* p) { return p ? StatusFlagsOf(p) : nullptr; }
const BS* VelmoraNotifParamGetStatusFlags(const NP* p) { return p ? StatusFlagsOf(p) : nullptr; }

RECORD_PUT(VelmoraNotifParamSetNewState, NP, VelmoraPropertyStates,
           r->alt.change_of_state.new_state = *v)
RECORD_ADDRESS(VelmoraPropertyStates, VelmoraNotifParamGetNewState, NP,
               r->alt.change_of_state.new_state)
RECORD_GET(uint32_t, VelmoraNotifParamGetCovChoice, NP, -1, r->alt.change_of_value.choice)
RECORD_PUT(VelmoraNotifParamSetChangedBits, NP, BS, r->alt.change_of_value.choice = 0,
           r->alt.change_of_value.new_value.changed_bits = *v)
RECORD_ADDRESS(BS, VelmoraNotifParamGetChangedBits, NP,
               r->alt.change_of_value.new_value.changed_bits)
RECORD_SET(VelmoraNotifParamSetChangedValue, NP, float, r->alt.change_of_value.choice = 1,
           r->alt.change_of_value.new_value.changed_value = v)
RECORD_GET(float, VelmoraNotifParamGetChangedValue, NP, 0,
           r->alt.change_of_value.new_value.changed_value)
RECORD_PUT(VelmoraNotifParamSetCommandValue, NP, AV, r->alt.command_failure.command_value = *v)
RECORD_ADDRESS(AV, VelmoraNotifParamGetCommandValue, NP, r->alt.command_failure.command_value)
RECORD_PUT(VelmoraNotifParamSetFeedbackValue, NP, AV, r->alt.command_failure.feedback_value = *v)
RECORD_ADDRESS(AV, VelmoraNotifParamGetFeedbackValue, NP, r->alt.command_failure.feedback_value)
RECORD_SET(VelmoraNotifParamSetReferenceValue, NP, float, r->alt.floating_limit.reference_value = v)
RECORD_GET(float, VelmoraNotifParamGetReferenceValue, NP, 0, r->alt.floating_limit.reference_value)
RECORD_SET(VelmoraNotifParamSetSetpointValue, NP, float, r->alt.floating_limit.setpoint_value = v)
RECORD_GET(float, VelmoraNotifParamGetSetpointValue, NP, 0, r->alt.floating_limit.setpoint_value)
RECORD_SET(VelmoraNotifParamSetErrorLimit, NP, float, r->alt.floating_limit.error_limit = v)
RECORD_GET(float, VelmoraNotifParamGetErrorLimit, NP, 0, r->alt.floating_limit.error_limit)
RECORD_SET(VelmoraNotifParamSetExceedingValue, NP, float, r->alt.out_of_range.exceeding_value = v)
RECORD_GET(float, VelmoraNotifParamGetExceedingValue, NP, 0, r->alt.out_of_range.exceeding_value)
RECORD_SET(VelmoraNotifParamSetDeadband, NP, float, r->alt.out_of_range.deadband = v)
RECORD_GET(float, VelmoraNotifParamGetDeadband, NP, 0, r->alt.out_of_range.deadband)
RECORD_SET(VelmoraNotifParamSetExceededLimit, NP, float, r->alt.out_of_range.exceeded_limit = v)
RECORD_GET(float, VelmoraNotifParamGetExceededLimit, NP, 0, r->alt.out_of_range.exceeded_limit)
RECORD_PUT(VelmoraNotifParamSetBufferDevice, NP, Id, r->alt.buffer_ready7.buffer_device = *v)
RECORD_ADDRESS(Id, VelmoraNotifParamGetBufferDevice, NP, r->alt.buffer_ready7.buffer_device)
RECORD_PUT(VelmoraNotifParamSetBufferObject, NP, Id, r->alt.buffer_ready7.buffer_object = *v)
RECORD_ADDRESS(Id, VelmoraNotifParamGetBufferObject, NP, r->alt.buffer_ready7.buffer_object)
RECORD_PUT(VelmoraNotifParamSetPreviousTime, NP, DT,
           r->alt.buffer_ready7.previous_notification = *v)
RECORD_ADDRESS(DT, VelmoraNotifParamGetPreviousTime, NP, r->alt.buffer_ready7.previous_notification)
RECORD_PUT(VelmoraNotifParamSetCurrentTime, NP, DT, r->alt.buffer_ready7.current_notification = *v)
RECORD_ADDRESS(DT, VelmoraNotifParamGetCurrentTime, NP, r->alt.buffer_ready7.current_notification)
RECORD_SET(VelmoraNotifParamSetLifeSafetyState, NP, uint32_t,
           r->alt.change_of_life_safety.new_state = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetLifeSafetyState, NP, -1,
           r->alt.change_of_life_safety.new_state)
RECORD_SET(VelmoraNotifParamSetLifeSafetyMode, NP, uint32_t,
           r->alt.change_of_life_safety.new_mode = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetLifeSafetyMode, NP, -1,
           r->alt.change_of_life_safety.new_mode)
RECORD_SET(VelmoraNotifParamSetOperationExpected, NP, uint32_t,
           r->alt.change_of_life_safety.operation_expected = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetOperationExpected, NP, -1,
           r->alt.change_of_life_safety.operation_expected)
RECORD_SET(VelmoraNotifParamSetVendorId, NP, uint32_t, r->alt.extended.vendor_id = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetVendorId, NP, -1, r->alt.extended.vendor_id)
RECORD_SET(VelmoraNotifParamSetExtendedType, NP, uint32_t, r->alt.extended.extended_event_type = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetExtendedType, NP, -1, r->alt.extended.extended_event_type)
RECORD_LIST(VelmoraNotifParamSetParameters, NP, VelmoraNotifExtParam, RecordList::BothOrNeither,
            r->alt.extended.parameters, r->alt.extended.count)
RECORD_GET(VelmoraNotifExtParam*, VelmoraNotifParamGetParameters, NP, nullptr,
           r->alt.extended.parameters)
RECORD_GET(uint32_t, VelmoraNotifParamGetParameterCount, NP, -1, r->alt.extended.count)
RECORD_PUT(VelmoraNotifParamSetBufferProperty, NP, VelmoraDevObjPropRef,
           r->alt.buffer_ready.buffer_property = *v)
RECORD_ADDRESS(VelmoraDevObjPropRef, VelmoraNotifParamGetBufferProperty, NP,
               r->alt.buffer_ready.buffer_property)
RECORD_SET(VelmoraNotifParamSetPreviousCount, NP, uint32_t, r->alt.buffer_ready.previous_count = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetPreviousCount, NP, -1, r->alt.buffer_ready.previous_count)
RECORD_SET(VelmoraNotifParamSetCurrentCount, NP, uint32_t, r->alt.buffer_ready.current_count = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetCurrentCount, NP, -1, r->alt.buffer_ready.current_count)
RECORD_SET(VelmoraNotifParamSetUnsignedValue, NP, uint32_t,
           r->alt.unsigned_range.exceeding_value = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetUnsignedValue, NP, -1,
           r->alt.unsigned_range.exceeding_value)
RECORD_SET(VelmoraNotifParamSetUnsignedLimit, NP, uint32_t,
           r->alt.unsigned_range.exceeded_limit = v)
RECORD_GET(uint32_t, VelmoraNotifParamGetUnsignedLimit, NP, -1,
           r->alt.unsigned_range.exceeded_limit)
RECORD_LIST(VelmoraNotifParamSetPropertyValues, NP, VelmoraPropertyValue, RecordList::ArrayRequired,
            r->alt.complex_event_type.values, r->alt.complex_event_type.count)
RECORD_GET(VelmoraPropertyValue*, VelmoraNotifParamGetPropertyValues, NP, nullptr,
           r->alt.complex_event_type.values)
RECORD_GET(uint32_t, VelmoraNotifParamGetPropertyValueCount, NP, -1,
           r->alt.complex_event_type.count)
RECORD_COPY(VelmoraNotifParamCopy, NP)
