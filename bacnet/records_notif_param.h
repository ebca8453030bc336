// Notification parameters (BACnetNotificationParameters): the event values
// of an event notification, over event types 0-11, and the elements of the
// extended event type's parameter list. Only the status-flags accessors
// look at the event type; every other accessor reads or writes its field in
// its own event type's alternative, whatever type the record holds.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_states.h"

// One parameter of an extended notification, by datatype code: 0 NULL,
// 1 BOOLEAN, 2 Unsigned, 4 REAL, 5 Double, 6 OCTET STRING, 8 BIT STRING,
// 9 ENUMERATED, 46 device-object-property value. Setting an octet string or
// a property value, and copying the element, share the octets and the
// value's buffer.
struct VelmoraNotifExtParam {
  uint32_t type;
  union {
    uint8_t boolean;
    uint32_t unsigned_value;  // Unsigned and ENUMERATED
    float real;
    double double_value;
    VelmoraOctetString octet_string;
    VelmoraBitString bit_string;
    VelmoraDevObjPropValue property_value;
  } value;
};

// Status flags are a bit string of in-alarm, fault, overridden and
// out-of-service. The lists (types 6 and 9) stay the caller's arrays and
// the command and feedback values (type 3) keep their buffers: setting them
// and copying the record share that storage.
struct VelmoraNotifParam {
  uint32_t event_type;
  union {
    struct {
      VelmoraBitString referenced_bitstring;
      VelmoraBitString status_flags;
    } change_of_bitstring;  // 0
    struct {
      VelmoraPropertyStates new_state;
      VelmoraBitString status_flags;
    } change_of_state;  // 1
    struct {
      uint32_t choice;  // 0 changed bits, 1 changed value
      union {
        VelmoraBitString changed_bits;
        float changed_value;
      } new_value;
      VelmoraBitString status_flags;
    } change_of_value;  // 2
    struct {
      VelmoraAnyValue command_value;
      VelmoraBitString status_flags;
      VelmoraAnyValue feedback_value;
    } command_failure;  // 3
    struct {
      float reference_value;
      VelmoraBitString status_flags;
      float setpoint_value;
      float error_limit;
    } floating_limit;  // 4
    struct {
      float exceeding_value;
      VelmoraBitString status_flags;
      float deadband;
      float exceeded_limit;
    } out_of_range;  // 5
    struct {
      VelmoraPropertyValue* values;
      uint32_t count;
    } complex_event_type;  // 6
    struct {
      VelmoraObjectId buffer_device;
      VelmoraObjectId buffer_object;
      VelmoraDateTime previous_notification;
      VelmoraDateTime current_notification;
    } buffer_ready7;  // 7, the earlier form
    struct {
      uint32_t new_state;
      uint32_t new_mode;
      VelmoraBitString status_flags;
      uint32_t operation_expected;
    } change_of_life_safety;  // 8
    struct {
      uint32_t vendor_id;
      uint32_t extended_event_type;
      VelmoraNotifExtParam* parameters;
      uint32_t count;
    } extended;  // 9
    struct {
      VelmoraDevObjPropRef buffer_property;
      uint32_t previous_count;
      uint32_t current_count;
    } buffer_ready;  // 10
    struct {
      uint32_t exceeding_value;
      VelmoraBitString status_flags;
      uint32_t exceeded_limit;
    } unsigned_range;  // 11
  } alt;
};

// Constructors.
bool VelmoraNotifParamInitChangeOfBitstring(VelmoraNotifParam* p,
                                            const VelmoraBitString* referenced_bitstring,
                                            const VelmoraBitString* status_flags);
bool VelmoraNotifParamInitChangeOfState(VelmoraNotifParam* p,
                                        const VelmoraPropertyStates* new_state,
                                        const VelmoraBitString* status_flags);
bool VelmoraNotifParamInitChangeOfValueBits(VelmoraNotifParam* p,
                                            const VelmoraBitString* changed_bits,
                                            const VelmoraBitString* status_flags);
bool VelmoraNotifParamInitChangeOfValueReal(VelmoraNotifParam* p, float changed_value,
                                            const VelmoraBitString* status_flags);
bool VelmoraNotifParamInitCommandFailure(VelmoraNotifParam* p, const VelmoraAnyValue* command_value,
                                         const VelmoraBitString* status_flags,
                                         const VelmoraAnyValue* feedback_value);
bool VelmoraNotifParamInitFloatingLimit(VelmoraNotifParam* p, float reference_value,
                                        const VelmoraBitString* status_flags, float setpoint_value,
                                        float error_limit);
bool VelmoraNotifParamInitOutOfRange(VelmoraNotifParam* p, float exceeding_value,
                                     const VelmoraBitString* status_flags, float deadband,
                                     float exceeded_limit);
bool VelmoraNotifParamInitComplexEventType(VelmoraNotifParam* p, VelmoraPropertyValue* values,
                                           uint32_t count);
bool VelmoraNotifParamInitBufferReady7(VelmoraNotifParam* p, const VelmoraObjectId* buffer_device,
                                       const VelmoraObjectId* buffer_object,
                                       const VelmoraDateTime* previous_notification,
                                       const VelmoraDateTime* current_notification);
bool VelmoraNotifParamInitChangeOfLifeSafety(VelmoraNotifParam* p, uint32_t new_state,
                                             uint32_t new_mode,
                                             const VelmoraBitString* status_flags,
                                             uint32_t operation_expected);
bool VelmoraNotifParamInitExtended(VelmoraNotifParam* p, uint32_t vendor_id,
                                   uint32_t extended_event_type, VelmoraNotifExtParam* parameters,
                                   uint32_t count);
bool VelmoraNotifParamInitBufferReady(VelmoraNotifParam* p,
                                      const VelmoraDevObjPropRef* buffer_property,
                                      uint32_t previous_count, uint32_t current_count);
bool VelmoraNotifParamInitUnsignedRange(VelmoraNotifParam* p, uint32_t exceeding_value,
                                        const VelmoraBitString* status_flags,
                                        uint32_t exceeded_limit);

// Accessors.
uint32_t VelmoraNotifParamGetType(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetBitstring(VelmoraNotifParam* p, const VelmoraBitString* bitstring);
VelmoraBitString* VelmoraNotifParamGetBitstring(VelmoraNotifParam* p);
const VelmoraBitString* VelmoraNotifParamGetBitstring(const VelmoraNotifParam* p);
// The status flags of the record's own event type: none for 6, 7, 9, 10.
bool VelmoraNotifParamSetStatusFlags(VelmoraNotifParam* p, const VelmoraBitString* status_flags);
VelmoraBitString* VelmoraNotifParamGetStatusFlags(VelmoraNotifParam* p);
const VelmoraBitString* VelmoraNotifParamGetStatusFlags(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetNewState(VelmoraNotifParam* p, const VelmoraPropertyStates* new_state);
VelmoraPropertyStates* VelmoraNotifParamGetNewState(VelmoraNotifParam* p);
const VelmoraPropertyStates* VelmoraNotifParamGetNewState(const VelmoraNotifParam* p);
uint32_t VelmoraNotifParamGetCovChoice(const VelmoraNotifParam* p);
// Each stores its alternative of the new value and makes it the choice.
bool VelmoraNotifParamSetChangedBits(VelmoraNotifParam* p, const VelmoraBitString* changed_bits);
VelmoraBitString* VelmoraNotifParamGetChangedBits(VelmoraNotifParam* p);
const VelmoraBitString* VelmoraNotifParamGetChangedBits(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetChangedValue(VelmoraNotifParam* p, float changed_value);
float VelmoraNotifParamGetChangedValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetCommandValue(VelmoraNotifParam* p, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraNotifParamGetCommandValue(VelmoraNotifParam* p);
const VelmoraAnyValue* VelmoraNotifParamGetCommandValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetFeedbackValue(VelmoraNotifParam* p, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraNotifParamGetFeedbackValue(VelmoraNotifParam* p);
const VelmoraAnyValue* VelmoraNotifParamGetFeedbackValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetReferenceValue(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetReferenceValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetSetpointValue(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetSetpointValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetErrorLimit(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetErrorLimit(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetExceedingValue(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetExceedingValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetDeadband(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetDeadband(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetExceededLimit(VelmoraNotifParam* p, float value);
float VelmoraNotifParamGetExceededLimit(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetBufferDevice(VelmoraNotifParam* p, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraNotifParamGetBufferDevice(VelmoraNotifParam* p);
const VelmoraObjectId* VelmoraNotifParamGetBufferDevice(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetBufferObject(VelmoraNotifParam* p, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraNotifParamGetBufferObject(VelmoraNotifParam* p);
const VelmoraObjectId* VelmoraNotifParamGetBufferObject(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetPreviousTime(VelmoraNotifParam* p, const VelmoraDateTime* time);
VelmoraDateTime* VelmoraNotifParamGetPreviousTime(VelmoraNotifParam* p);
const VelmoraDateTime* VelmoraNotifParamGetPreviousTime(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetCurrentTime(VelmoraNotifParam* p, const VelmoraDateTime* time);
VelmoraDateTime* VelmoraNotifParamGetCurrentTime(VelmoraNotifParam* p);
const VelmoraDateTime* VelmoraNotifParamGetCurrentTime(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetLifeSafetyState(VelmoraNotifParam* p, uint32_t state);
uint32_t VelmoraNotifParamGetLifeSafetyState(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetLifeSafetyMode(VelmoraNotifParam* p, uint32_t mode);
uint32_t VelmoraNotifParamGetLifeSafetyMode(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetOperationExpected(VelmoraNotifParam* p, uint32_t operation);
uint32_t VelmoraNotifParamGetOperationExpected(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetVendorId(VelmoraNotifParam* p, uint32_t vendor_id);
uint32_t VelmoraNotifParamGetVendorId(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetExtendedType(VelmoraNotifParam* p, uint32_t extended_event_type);
uint32_t VelmoraNotifParamGetExtendedType(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetParameters(VelmoraNotifParam* p, VelmoraNotifExtParam* parameters,
                                    uint32_t count);
VelmoraNotifExtParam* VelmoraNotifParamGetParameters(const VelmoraNotifParam* p);
uint32_t VelmoraNotifParamGetParameterCount(const VelmoraNotifParam* p);  // -1 missing
bool VelmoraNotifParamSetBufferProperty(VelmoraNotifParam* p, const VelmoraDevObjPropRef* ref);
VelmoraDevObjPropRef* VelmoraNotifParamGetBufferProperty(VelmoraNotifParam* p);
const VelmoraDevObjPropRef* VelmoraNotifParamGetBufferProperty(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetPreviousCount(VelmoraNotifParam* p, uint32_t count);
uint32_t VelmoraNotifParamGetPreviousCount(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetCurrentCount(VelmoraNotifParam* p, uint32_t count);
uint32_t VelmoraNotifParamGetCurrentCount(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetUnsignedValue(VelmoraNotifParam* p, uint32_t value);
uint32_t VelmoraNotifParamGetUnsignedValue(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetUnsignedLimit(VelmoraNotifParam* p, uint32_t limit);
uint32_t VelmoraNotifParamGetUnsignedLimit(const VelmoraNotifParam* p);
bool VelmoraNotifParamSetPropertyValues(VelmoraNotifParam* p, VelmoraPropertyValue* values,
                                        uint32_t count);
VelmoraPropertyValue* VelmoraNotifParamGetPropertyValues(const VelmoraNotifParam* p);
uint32_t VelmoraNotifParamGetPropertyValueCount(const VelmoraNotifParam* p);  // -1 missing
bool VelmoraNotifParamCopy(VelmoraNotifParam* dst, const VelmoraNotifParam* src);

// Extended-parameter element; the getters do not look at the datatype code.
bool VelmoraNotifExtParamSetNull(VelmoraNotifExtParam* e);
bool VelmoraNotifExtParamSetReal(VelmoraNotifExtParam* e, float value);
bool VelmoraNotifExtParamSetUnsigned(VelmoraNotifExtParam* e, uint32_t value);
bool VelmoraNotifExtParamSetBoolean(VelmoraNotifExtParam* e, uint8_t value);
bool VelmoraNotifExtParamSetDouble(VelmoraNotifExtParam* e, double value);
bool VelmoraNotifExtParamSetOctetString(VelmoraNotifExtParam* e, const VelmoraOctetString* value);
bool VelmoraNotifExtParamSetBitString(VelmoraNotifExtParam* e, const VelmoraBitString* value);
bool VelmoraNotifExtParamSetEnumerated(VelmoraNotifExtParam* e, uint32_t value);
bool VelmoraNotifExtParamSetPropertyValue(VelmoraNotifExtParam* e,
                                          const VelmoraDevObjPropValue* value);
uint32_t VelmoraNotifExtParamGetType(const VelmoraNotifExtParam* e);
float VelmoraNotifExtParamGetReal(const VelmoraNotifExtParam* e);
uint32_t VelmoraNotifExtParamGetUnsigned(const VelmoraNotifExtParam* e);  // 0 missing
uint8_t VelmoraNotifExtParamGetBoolean(const VelmoraNotifExtParam* e);
double VelmoraNotifExtParamGetDouble(const VelmoraNotifExtParam* e);
VelmoraOctetString* VelmoraNotifExtParamGetOctetString(VelmoraNotifExtParam* e);
const VelmoraOctetString* VelmoraNotifExtParamGetOctetString(const VelmoraNotifExtParam* e);
VelmoraBitString* VelmoraNotifExtParamGetBitString(VelmoraNotifExtParam* e);
const VelmoraBitString* VelmoraNotifExtParamGetBitString(const VelmoraNotifExtParam* e);
uint32_t VelmoraNotifExtParamGetEnumerated(const VelmoraNotifExtParam* e);  // -1 missing
VelmoraDevObjPropValue* VelmoraNotifExtParamGetPropertyValue(VelmoraNotifExtParam* e);
const VelmoraDevObjPropValue* VelmoraNotifExtParamGetPropertyValue(const VelmoraNotifExtParam* e);
