// Event parameters (BACnetEventParameter) over event types 0-5 and 7-11,
// and the elements of the extended algorithm's parameter list. Only the
// time-delay, bitmask, deadband and value-count accessors look at the event
// type; every other accessor reads or writes its field in its own event
// type's alternative, whatever type the record holds. Complex event types
// (6) have no constructor.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_states.h"

// One parameter of the extended algorithm, by datatype code: 0 NULL,
// 1 BOOLEAN, 2 Unsigned, 4 REAL, 5 Double, 6 OCTET STRING, 8 BIT STRING,
// 9 ENUMERATED, 37 device-object-property reference. Setting an octet
// string and copying the element share its octets.
struct VelmoraExtParam {
  uint32_t type;
  union {
    uint8_t boolean;
    uint32_t unsigned_value;  // Unsigned and ENUMERATED
    float real;
    double double_value;
    VelmoraOctetString octet_string;
    VelmoraBitString bit_string;
    VelmoraDevObjPropRef reference;
  } value;
};

// Lists are the caller's arrays; setting them and copying the record share
// them.
struct VelmoraEventParam {
  uint32_t event_type;
  union {
    struct {
      uint32_t time_delay;
      VelmoraBitString bitmask;
      VelmoraBitString* values;
      uint32_t count;
    } change_of_bitstring;  // 0
    struct {
      uint32_t time_delay;
      VelmoraPropertyStates* values;
      uint32_t count;
    } change_of_state;  // 1
    struct {
      uint32_t time_delay;
      uint32_t criteria;  // 0 bitmask, 1 referenced-property increment
      union {
        VelmoraBitString bitmask;
        float increment;
      } by;
    } change_of_value;  // 2
    struct {
      uint32_t time_delay;
      VelmoraDevObjPropRef feedback_ref;
    } command_failure;  // 3
    struct {
      uint32_t time_delay;
      VelmoraDevObjPropRef setpoint_ref;
      float low_diff_limit;
      float high_diff_limit;
      float deadband;
    } floating_limit;  // 4
    struct {
      uint32_t time_delay;
      float low_limit;
      float high_limit;
      float deadband;
    } out_of_range;  // 5
    struct {
      uint32_t notification_threshold;
      uint32_t previous_count;
    } buffer_ready;  // 7 (earlier form) and 10
    struct {
      uint32_t time_delay;
      uint32_t* life_safety_alarm_values;
      uint32_t life_safety_alarm_count;
      uint32_t* alarm_values;
      uint32_t alarm_count;
      VelmoraDevObjPropRef mode_ref;
    } change_of_life_safety;  // 8
    struct {
      uint32_t vendor_id;
      uint32_t extended_event_type;
      VelmoraExtParam* parameters;
      uint32_t count;
    } extended;  // 9
    struct {
      uint32_t time_delay;
      uint32_t low_limit;
      uint32_t high_limit;
    } unsigned_range;  // 11
  } alt;
};

// Constructors.
bool VelmoraEventParamInitChangeOfBitstring(VelmoraEventParam* p, uint32_t time_delay,
                                            const VelmoraBitString* bitmask,
                                            VelmoraBitString* values, uint32_t count);
bool VelmoraEventParamInitChangeOfState(VelmoraEventParam* p, uint32_t time_delay,
                                        VelmoraPropertyStates* values, uint32_t count);
bool VelmoraEventParamInitChangeOfValueBitmask(VelmoraEventParam* p, uint32_t time_delay,
                                               const VelmoraBitString* bitmask);
bool VelmoraEventParamInitChangeOfValueIncrement(VelmoraEventParam* p, uint32_t time_delay,
                                                 float increment);
bool VelmoraEventParamInitCommandFailure(VelmoraEventParam* p, uint32_t time_delay,
                                         const VelmoraDevObjPropRef* feedback_ref);
bool VelmoraEventParamInitFloatingLimit(VelmoraEventParam* p, uint32_t time_delay,
                                        const VelmoraDevObjPropRef* setpoint_ref,
                                        float low_diff_limit, float high_diff_limit,
                                        float deadband);
bool VelmoraEventParamInitOutOfRange(VelmoraEventParam* p, uint32_t time_delay, float low_limit,
                                     float high_limit, float deadband);
bool VelmoraEventParamInitBufferReady7(VelmoraEventParam* p, uint32_t notification_threshold,
                                       uint32_t previous_count);
bool VelmoraEventParamInitBufferReady(VelmoraEventParam* p, uint32_t notification_threshold,
                                      uint32_t previous_count);
bool VelmoraEventParamInitChangeOfLifeSafety(VelmoraEventParam* p, uint32_t time_delay,
                                             uint32_t* life_safety_alarm_values,
                                             uint32_t life_safety_alarm_count,
                                             uint32_t* alarm_values, uint32_t alarm_count,
                                             const VelmoraDevObjPropRef* mode_ref);
bool VelmoraEventParamInitExtended(VelmoraEventParam* p, uint32_t vendor_id,
                                   uint32_t extended_event_type, VelmoraExtParam* parameters,
                                   uint32_t count);
bool VelmoraEventParamInitUnsignedRange(VelmoraEventParam* p, uint32_t time_delay,
                                        uint32_t low_limit, uint32_t high_limit);

// Accessors that look at the event type (and, for the bitmask of type 2,
// the criteria).
uint32_t VelmoraEventParamGetType(const VelmoraEventParam* p);
bool VelmoraEventParamSetTimeDelay(VelmoraEventParam* p, uint32_t time_delay);
uint32_t VelmoraEventParamGetTimeDelay(const VelmoraEventParam* p);  // -1 none, 0 missing
bool VelmoraEventParamSetBitmask(VelmoraEventParam* p, const VelmoraBitString* bitmask);
VelmoraBitString* VelmoraEventParamGetBitmask(VelmoraEventParam* p);
const VelmoraBitString* VelmoraEventParamGetBitmask(const VelmoraEventParam* p);
uint32_t VelmoraEventParamGetValueCount(const VelmoraEventParam* p);
bool VelmoraEventParamSetDeadband(VelmoraEventParam* p, float deadband);
float VelmoraEventParamGetDeadband(const VelmoraEventParam* p);

// Accessors of one alternative's fields.
bool VelmoraEventParamSetBitstringValues(VelmoraEventParam* p, VelmoraBitString* values,
                                         uint32_t count);
VelmoraBitString* VelmoraEventParamGetBitstringValue(const VelmoraEventParam* p, uint32_t i);
bool VelmoraEventParamSetStateValues(VelmoraEventParam* p, VelmoraPropertyStates* values,
                                     uint32_t count);
VelmoraPropertyStates* VelmoraEventParamGetStateValue(const VelmoraEventParam* p, uint32_t i);
uint32_t VelmoraEventParamGetCovCriteria(const VelmoraEventParam* p);
// Storing an increment also makes the criteria the increment's (1).
bool VelmoraEventParamSetCovIncrement(VelmoraEventParam* p, float increment);
float VelmoraEventParamGetCovIncrement(const VelmoraEventParam* p);
bool VelmoraEventParamSetFeedbackRef(VelmoraEventParam* p, const VelmoraDevObjPropRef* ref);
VelmoraDevObjPropRef* VelmoraEventParamGetFeedbackRef(VelmoraEventParam* p);
const VelmoraDevObjPropRef* VelmoraEventParamGetFeedbackRef(const VelmoraEventParam* p);
bool VelmoraEventParamSetSetpointRef(VelmoraEventParam* p, const VelmoraDevObjPropRef* ref);
VelmoraDevObjPropRef* VelmoraEventParamGetSetpointRef(VelmoraEventParam* p);
const VelmoraDevObjPropRef* VelmoraEventParamGetSetpointRef(const VelmoraEventParam* p);
bool VelmoraEventParamSetLowDiffLimit(VelmoraEventParam* p, float limit);
float VelmoraEventParamGetLowDiffLimit(const VelmoraEventParam* p);
bool VelmoraEventParamSetHighDiffLimit(VelmoraEventParam* p, float limit);
float VelmoraEventParamGetHighDiffLimit(const VelmoraEventParam* p);
bool VelmoraEventParamSetLowLimit(VelmoraEventParam* p, float limit);
float VelmoraEventParamGetLowLimit(const VelmoraEventParam* p);
bool VelmoraEventParamSetHighLimit(VelmoraEventParam* p, float limit);
float VelmoraEventParamGetHighLimit(const VelmoraEventParam* p);
bool VelmoraEventParamSetNotificationThreshold(VelmoraEventParam* p, uint32_t threshold);
uint32_t VelmoraEventParamGetNotificationThreshold(const VelmoraEventParam* p);
bool VelmoraEventParamSetPreviousCount(VelmoraEventParam* p, uint32_t count);
uint32_t VelmoraEventParamGetPreviousCount(const VelmoraEventParam* p);
bool VelmoraEventParamSetLifeSafetyAlarmValues(VelmoraEventParam* p, uint32_t* values,
                                               uint32_t count);
uint32_t* VelmoraEventParamGetLifeSafetyAlarmValue(const VelmoraEventParam* p, uint32_t i);
uint32_t VelmoraEventParamGetLifeSafetyAlarmCount(const VelmoraEventParam* p);
bool VelmoraEventParamSetAlarmValues(VelmoraEventParam* p, uint32_t* values, uint32_t count);
uint32_t* VelmoraEventParamGetAlarmValue(const VelmoraEventParam* p, uint32_t i);
uint32_t VelmoraEventParamGetAlarmValueCount(const VelmoraEventParam* p);
bool VelmoraEventParamSetModeRef(VelmoraEventParam* p, const VelmoraDevObjPropRef* ref);
VelmoraDevObjPropRef* VelmoraEventParamGetModeRef(VelmoraEventParam* p);
const VelmoraDevObjPropRef* VelmoraEventParamGetModeRef(const VelmoraEventParam* p);
bool VelmoraEventParamSetVendorId(VelmoraEventParam* p, uint32_t vendor_id);
uint32_t VelmoraEventParamGetVendorId(const VelmoraEventParam* p);
bool VelmoraEventParamSetExtendedEventType(VelmoraEventParam* p, uint32_t extended_event_type);
uint32_t VelmoraEventParamGetExtendedEventType(const VelmoraEventParam* p);
bool VelmoraEventParamSetExtendedParameters(VelmoraEventParam* p, VelmoraExtParam* parameters,
                                            uint32_t count);
VelmoraExtParam* VelmoraEventParamGetExtendedParameter(const VelmoraEventParam* p, uint32_t i);
uint32_t VelmoraEventParamGetExtendedParameterCount(const VelmoraEventParam* p);
bool VelmoraEventParamSetUnsignedLowLimit(VelmoraEventParam* p, uint32_t limit);
uint32_t VelmoraEventParamGetUnsignedLowLimit(const VelmoraEventParam* p);
bool VelmoraEventParamSetUnsignedHighLimit(VelmoraEventParam* p, uint32_t limit);
uint32_t VelmoraEventParamGetUnsignedHighLimit(const VelmoraEventParam* p);
bool VelmoraEventParamCopy(VelmoraEventParam* dst, const VelmoraEventParam* src);

// Extended-parameter element; the getters do not look at the datatype code.
bool VelmoraExtParamSetNull(VelmoraExtParam* e);
bool VelmoraExtParamSetReal(VelmoraExtParam* e, float value);
bool VelmoraExtParamSetUnsigned(VelmoraExtParam* e, uint32_t value);
bool VelmoraExtParamSetBoolean(VelmoraExtParam* e, uint8_t value);
bool VelmoraExtParamSetDouble(VelmoraExtParam* e, double value);
bool VelmoraExtParamSetOctetString(VelmoraExtParam* e, const VelmoraOctetString* value);
bool VelmoraExtParamSetBitString(VelmoraExtParam* e, const VelmoraBitString* value);
bool VelmoraExtParamSetEnumerated(VelmoraExtParam* e, uint32_t value);
bool VelmoraExtParamSetReference(VelmoraExtParam* e, const VelmoraDevObjPropRef* value);
uint32_t VelmoraExtParamGetType(const VelmoraExtParam* e);
float VelmoraExtParamGetReal(const VelmoraExtParam* e);
uint32_t VelmoraExtParamGetUnsigned(const VelmoraExtParam* e);  // 0 missing
uint8_t VelmoraExtParamGetBoolean(const VelmoraExtParam* e);
double VelmoraExtParamGetDouble(const VelmoraExtParam* e);
VelmoraOctetString* VelmoraExtParamGetOctetString(VelmoraExtParam* e);
const VelmoraOctetString* VelmoraExtParamGetOctetString(const VelmoraExtParam* e);
VelmoraBitString* VelmoraExtParamGetBitString(VelmoraExtParam* e);
const VelmoraBitString* VelmoraExtParamGetBitString(const VelmoraExtParam* e);
uint32_t VelmoraExtParamGetEnumerated(const VelmoraExtParam* e);  // -1 missing
VelmoraDevObjPropRef* VelmoraExtParamGetReference(VelmoraExtParam* e);
const VelmoraDevObjPropRef* VelmoraExtParamGetReference(const VelmoraExtParam* e);
