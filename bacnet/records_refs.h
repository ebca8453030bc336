// Reference records: object, property and device references, property
// values, read results and read-access records, setpoint references,
// address bindings and recipients. They follow the conventions of the basic
// records: caller memory, null-guarded accessors taking the record first,
// false from a refused setter (which then writes nothing), fixed defaults
// from getters, shallow copies. Lists are {caller-owned array, count}.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"

// Array index and priority sentinel: no index, no priority.
inline constexpr uint32_t VELMORA_NO_INDEX = 0xFFFFFFFF;
inline constexpr uint32_t VELMORA_NO_PRIORITY = 0xFFFFFFFF;

// Choices of a recipient.
inline constexpr uint32_t VELMORA_RECIPIENT_DEVICE = 0;
inline constexpr uint32_t VELMORA_RECIPIENT_ADDRESS = 1;

// One element of a read-access result: a value or an error, by the flag.
struct VelmoraReadResult {
  uint32_t property;
  uint32_t array_index;  // VELMORA_NO_INDEX: none
  uint8_t success;       // 1 value, 0 error
  VelmoraAnyValue value;
  VelmoraError error;
};

// Datatype code 42.
struct VelmoraReadAccessResult {
  VelmoraObjectId object_id;
  uint32_t count;
  VelmoraReadResult* results;  // null when there are none
};

// Datatype code 22.
struct VelmoraObjPropRef {
  VelmoraObjectId object_id;
  uint32_t property;
  uint32_t array_index;
};

// Datatype code 37.
struct VelmoraDevObjPropRef {
  VelmoraObjectId object_id;
  uint32_t property;
  uint32_t array_index;
  uint8_t device_present;
  VelmoraObjectId device_id;  // meaningful when present
};

// Datatype code 45.
struct VelmoraDevObjRef {
  VelmoraObjectId object_id;
  uint8_t device_present;
  VelmoraObjectId device_id;
};

// Datatype code 35.
struct VelmoraPropRef {
  uint32_t property;
  uint32_t array_index;
};

// Datatype code 29.
struct VelmoraPropertyValue {
  uint32_t property;
  uint32_t array_index;
  VelmoraAnyValue value;
  uint32_t priority;  // VELMORA_NO_PRIORITY, else 1-16
};

// Datatype code 31.
struct VelmoraSetpointRef {
  uint8_t present;
  VelmoraObjPropRef ref;  // meaningful when present
};

// Datatype code 46.
struct VelmoraDevObjPropValue {
  VelmoraObjectId device_id;
  VelmoraObjectId object_id;
  uint32_t property;
  uint32_t array_index;
  VelmoraAnyValue value;
};

// Datatype code 36.
struct VelmoraAddressBinding {
  VelmoraObjectId device_id;
  VelmoraAddress address;
};

// Datatype code 41.
struct VelmoraReadAccessSpec {
  VelmoraObjectId object_id;
  uint32_t count;
  VelmoraPropRef* refs;
};

// Datatype code 30: a device identifier or an address, by the choice.
struct VelmoraRecipient {
  uint32_t choice;  // VELMORA_RECIPIENT_*
  union {
    VelmoraObjectId device;
    VelmoraAddress address;
  };
};

struct VelmoraRecipientProcess {
  VelmoraRecipient recipient;
  uint32_t process_id;
};

static_assert(sizeof(VelmoraObjPropRef) == 16);
static_assert(sizeof(VelmoraPropRef) == 8);
static_assert(offsetof(VelmoraRecipient, device) == 4 && offsetof(VelmoraRecipient, address) == 4);

// Read result. The array-index getter answers -1 for a missing record.
bool VelmoraReadResultInitBuffer(VelmoraReadResult* r, void* buffer, uint32_t capacity);
bool VelmoraReadResultSetProperty(VelmoraReadResult* r, uint32_t property);
uint32_t VelmoraReadResultGetProperty(const VelmoraReadResult* r);
bool VelmoraReadResultSetArrayIndex(VelmoraReadResult* r, uint32_t index);
uint32_t VelmoraReadResultGetArrayIndex(const VelmoraReadResult* r);
bool VelmoraReadResultSetSuccess(VelmoraReadResult* r, uint8_t flag);
uint8_t VelmoraReadResultIsSuccess(const VelmoraReadResult* r);
// Keeps the error pair as it was.
bool VelmoraReadResultSetValue(VelmoraReadResult* r, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraReadResultGetValue(VelmoraReadResult* r);
const VelmoraAnyValue* VelmoraReadResultGetValue(const VelmoraReadResult* r);
VelmoraError* VelmoraReadResultGetError(VelmoraReadResult* r);
const VelmoraError* VelmoraReadResultGetError(const VelmoraReadResult* r);
bool VelmoraReadResultSetError(VelmoraReadResult* r, uint32_t error_class, uint32_t error_code);
uint32_t VelmoraReadResultGetErrorClass(const VelmoraReadResult* r);
uint32_t VelmoraReadResultGetErrorCode(const VelmoraReadResult* r);
bool VelmoraReadResultCopy(VelmoraReadResult* dst, const VelmoraReadResult* src);

// Read-access result. Init leaves type and instance all ones, outside what
// VelmoraObjectIdInit accepts, until the identifier is set.
bool VelmoraReadAccessResultInit(VelmoraReadAccessResult* r);
bool VelmoraReadAccessResultSetObjectId(VelmoraReadAccessResult* r, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraReadAccessResultGetObjectId(VelmoraReadAccessResult* r);
const VelmoraObjectId* VelmoraReadAccessResultGetObjectId(const VelmoraReadAccessResult* r);
// Count-needs-array.
bool VelmoraReadAccessResultSetResults(VelmoraReadAccessResult* r, VelmoraReadResult* results,
                                       uint32_t count);
VelmoraReadResult* VelmoraReadAccessResultGetResult(const VelmoraReadAccessResult* r, uint32_t i);
uint32_t VelmoraReadAccessResultGetCount(const VelmoraReadAccessResult* r);
bool VelmoraReadAccessResultHasResults(const VelmoraReadAccessResult* r);
// The result array is shared.
bool VelmoraReadAccessResultCopy(VelmoraReadAccessResult* dst, const VelmoraReadAccessResult* src);

// Object property reference. The array-index getter answers 0 for a
// missing record.
bool VelmoraObjPropRefInit(VelmoraObjPropRef* r, const VelmoraObjectId* id, uint32_t property);
bool VelmoraObjPropRefSetObjectId(VelmoraObjPropRef* r, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraObjPropRefGetObjectId(VelmoraObjPropRef* r);
const VelmoraObjectId* VelmoraObjPropRefGetObjectId(const VelmoraObjPropRef* r);
bool VelmoraObjPropRefSetProperty(VelmoraObjPropRef* r, uint32_t property);
uint32_t VelmoraObjPropRefGetProperty(const VelmoraObjPropRef* r);
bool VelmoraObjPropRefSetArrayIndex(VelmoraObjPropRef* r, uint32_t index);
uint32_t VelmoraObjPropRefGetArrayIndex(const VelmoraObjPropRef* r);
bool VelmoraObjPropRefCopy(VelmoraObjPropRef* dst, const VelmoraObjPropRef* src);

// Device object property reference. The array-index getter answers 0 for
// a missing record; the device getter null until a device is set.
bool VelmoraDevObjPropRefInit(VelmoraDevObjPropRef* r, const VelmoraObjectId* id,
                              uint32_t property);
bool VelmoraDevObjPropRefSetObjectId(VelmoraDevObjPropRef* r, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraDevObjPropRefGetObjectId(VelmoraDevObjPropRef* r);
const VelmoraObjectId* VelmoraDevObjPropRefGetObjectId(const VelmoraDevObjPropRef* r);
bool VelmoraDevObjPropRefSetProperty(VelmoraDevObjPropRef* r, uint32_t property);
uint32_t VelmoraDevObjPropRefGetProperty(const VelmoraDevObjPropRef* r);
bool VelmoraDevObjPropRefSetArrayIndex(VelmoraDevObjPropRef* r, uint32_t index);
uint32_t VelmoraDevObjPropRefGetArrayIndex(const VelmoraDevObjPropRef* r);
uint8_t VelmoraDevObjPropRefHasDevice(const VelmoraDevObjPropRef* r);
VelmoraObjectId* VelmoraDevObjPropRefGetDevice(VelmoraDevObjPropRef* r);
const VelmoraObjectId* VelmoraDevObjPropRefGetDevice(const VelmoraDevObjPropRef* r);
bool VelmoraDevObjPropRefSetDevice(VelmoraDevObjPropRef* r, const VelmoraObjectId* device);
bool VelmoraDevObjPropRefCopy(VelmoraDevObjPropRef* dst, const VelmoraDevObjPropRef* src);

// Device object reference.
bool VelmoraDevObjRefInit(VelmoraDevObjRef* r, const VelmoraObjectId* id);
bool VelmoraDevObjRefSetObjectId(VelmoraDevObjRef* r, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraDevObjRefGetObjectId(VelmoraDevObjRef* r);
const VelmoraObjectId* VelmoraDevObjRefGetObjectId(const VelmoraDevObjRef* r);
uint8_t VelmoraDevObjRefHasDevice(const VelmoraDevObjRef* r);
VelmoraObjectId* VelmoraDevObjRefGetDevice(VelmoraDevObjRef* r);
const VelmoraObjectId* VelmoraDevObjRefGetDevice(const VelmoraDevObjRef* r);
bool VelmoraDevObjRefSetDevice(VelmoraDevObjRef* r, const VelmoraObjectId* device);
bool VelmoraDevObjRefCopy(VelmoraDevObjRef* dst, const VelmoraDevObjRef* src);

// Property reference. The array-index getter answers 0 for a missing
// record.
bool VelmoraPropRefInit(VelmoraPropRef* r, uint32_t property);
bool VelmoraPropRefSetProperty(VelmoraPropRef* r, uint32_t property);
uint32_t VelmoraPropRefGetProperty(const VelmoraPropRef* r);
bool VelmoraPropRefSetArrayIndex(VelmoraPropRef* r, uint32_t index);
uint32_t VelmoraPropRefGetArrayIndex(const VelmoraPropRef* r);
bool VelmoraPropRefCopy(VelmoraPropRef* dst, const VelmoraPropRef* src);

// Property value. The array-index getter answers -1, the priority getter 0
// for a missing record; the priority setter does not check 1-16 (the
// encoder does). The value buffer is shared by copies.
bool VelmoraPropertyValueInit(VelmoraPropertyValue* r, uint32_t property,
                              const VelmoraAnyValue* value);
bool VelmoraPropertyValueSetProperty(VelmoraPropertyValue* r, uint32_t property);
uint32_t VelmoraPropertyValueGetProperty(const VelmoraPropertyValue* r);
bool VelmoraPropertyValueSetArrayIndex(VelmoraPropertyValue* r, uint32_t index);
uint32_t VelmoraPropertyValueGetArrayIndex(const VelmoraPropertyValue* r);
bool VelmoraPropertyValueSetValue(VelmoraPropertyValue* r, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraPropertyValueGetValue(VelmoraPropertyValue* r);
const VelmoraAnyValue* VelmoraPropertyValueGetValue(const VelmoraPropertyValue* r);
bool VelmoraPropertyValueSetPriority(VelmoraPropertyValue* r, uint32_t priority);
uint32_t VelmoraPropertyValueGetPriority(const VelmoraPropertyValue* r);
bool VelmoraPropertyValueCopy(VelmoraPropertyValue* dst, const VelmoraPropertyValue* src);

// Setpoint reference. Empty also for a missing record.
bool VelmoraSetpointRefInit(VelmoraSetpointRef* r);
bool VelmoraSetpointRefIsEmpty(const VelmoraSetpointRef* r);
bool VelmoraSetpointRefSet(VelmoraSetpointRef* r, const VelmoraObjPropRef* ref);
VelmoraObjPropRef* VelmoraSetpointRefGet(VelmoraSetpointRef* r);
const VelmoraObjPropRef* VelmoraSetpointRefGet(const VelmoraSetpointRef* r);
bool VelmoraSetpointRefCopy(VelmoraSetpointRef* dst, const VelmoraSetpointRef* src);

// Device object property value. Property and array index answer 0 for a
// missing record.
bool VelmoraDevObjPropValueInit(VelmoraDevObjPropValue* r, const VelmoraObjectId* device,
                                const VelmoraObjectId* id, uint32_t property,
                                const VelmoraAnyValue* value);
bool VelmoraDevObjPropValueSetDevice(VelmoraDevObjPropValue* r, const VelmoraObjectId* device);
bool VelmoraDevObjPropValueSetObjectId(VelmoraDevObjPropValue* r, const VelmoraObjectId* id);
bool VelmoraDevObjPropValueSetProperty(VelmoraDevObjPropValue* r, uint32_t property);
bool VelmoraDevObjPropValueSetArrayIndex(VelmoraDevObjPropValue* r, uint32_t index);
bool VelmoraDevObjPropValueSetValue(VelmoraDevObjPropValue* r, const VelmoraAnyValue* value);
VelmoraObjectId* VelmoraDevObjPropValueGetDevice(VelmoraDevObjPropValue* r);
const VelmoraObjectId* VelmoraDevObjPropValueGetDevice(const VelmoraDevObjPropValue* r);
VelmoraObjectId* VelmoraDevObjPropValueGetObjectId(VelmoraDevObjPropValue* r);
const VelmoraObjectId* VelmoraDevObjPropValueGetObjectId(const VelmoraDevObjPropValue* r);
uint32_t VelmoraDevObjPropValueGetProperty(const VelmoraDevObjPropValue* r);
uint32_t VelmoraDevObjPropValueGetArrayIndex(const VelmoraDevObjPropValue* r);
VelmoraAnyValue* VelmoraDevObjPropValueGetValue(VelmoraDevObjPropValue* r);
const VelmoraAnyValue* VelmoraDevObjPropValueGetValue(const VelmoraDevObjPropValue* r);
bool VelmoraDevObjPropValueCopy(VelmoraDevObjPropValue* dst, const VelmoraDevObjPropValue* src);

// Address binding.
bool VelmoraAddressBindingInit(VelmoraAddressBinding* r, const VelmoraObjectId* device,
                               const VelmoraAddress* address);
bool VelmoraAddressBindingSetDevice(VelmoraAddressBinding* r, const VelmoraObjectId* device);
bool VelmoraAddressBindingSetAddress(VelmoraAddressBinding* r, const VelmoraAddress* address);
VelmoraObjectId* VelmoraAddressBindingGetDevice(VelmoraAddressBinding* r);
const VelmoraObjectId* VelmoraAddressBindingGetDevice(const VelmoraAddressBinding* r);
VelmoraAddress* VelmoraAddressBindingGetAddress(VelmoraAddressBinding* r);
const VelmoraAddress* VelmoraAddressBindingGetAddress(const VelmoraAddressBinding* r);
bool VelmoraAddressBindingCopy(VelmoraAddressBinding* dst, const VelmoraAddressBinding* src);

// Read-access specification. Init takes the list count-needs-array, the
// list setter array-required. Element getters answer -1 for a missing
// record (or list).
bool VelmoraReadAccessSpecInit(VelmoraReadAccessSpec* r, const VelmoraObjectId* id,
                               VelmoraPropRef* refs, uint32_t count);
VelmoraObjectId* VelmoraReadAccessSpecGetObjectId(VelmoraReadAccessSpec* r);
const VelmoraObjectId* VelmoraReadAccessSpecGetObjectId(const VelmoraReadAccessSpec* r);
bool VelmoraReadAccessSpecSetObjectId(VelmoraReadAccessSpec* r, const VelmoraObjectId* id);
bool VelmoraReadAccessSpecSetProperties(VelmoraReadAccessSpec* r, VelmoraPropRef* refs,
                                        uint32_t count);
VelmoraPropRef* VelmoraReadAccessSpecGetProperty(const VelmoraReadAccessSpec* r, uint32_t i);
uint32_t VelmoraReadAccessSpecGetPropertyId(const VelmoraReadAccessSpec* r, uint32_t i);
uint32_t VelmoraReadAccessSpecGetPropertyIndex(const VelmoraReadAccessSpec* r, uint32_t i);
uint32_t VelmoraReadAccessSpecGetCount(const VelmoraReadAccessSpec* r);
// The reference array is shared.
bool VelmoraReadAccessSpecCopy(VelmoraReadAccessSpec* dst, const VelmoraReadAccessSpec* src);

// Recipient. The getters return the alternative's address whatever the
// choice.
bool VelmoraRecipientSetDevice(VelmoraRecipient* r, const VelmoraObjectId* device);
bool VelmoraRecipientSetAddress(VelmoraRecipient* r, const VelmoraAddress* address);
uint32_t VelmoraRecipientGetChoice(const VelmoraRecipient* r);
VelmoraObjectId* VelmoraRecipientGetDevice(VelmoraRecipient* r);
const VelmoraObjectId* VelmoraRecipientGetDevice(const VelmoraRecipient* r);
VelmoraAddress* VelmoraRecipientGetAddress(VelmoraRecipient* r);
const VelmoraAddress* VelmoraRecipientGetAddress(const VelmoraRecipient* r);
bool VelmoraRecipientCopy(VelmoraRecipient* dst, const VelmoraRecipient* src);

// Recipient process.
bool VelmoraRecipientProcessInit(VelmoraRecipientProcess* r, const VelmoraRecipient* recipient,
                                 uint32_t process_id);
bool VelmoraRecipientProcessSetRecipient(VelmoraRecipientProcess* r,
                                         const VelmoraRecipient* recipient);
VelmoraRecipient* VelmoraRecipientProcessGetRecipient(VelmoraRecipientProcess* r);
const VelmoraRecipient* VelmoraRecipientProcessGetRecipient(const VelmoraRecipientProcess* r);
bool VelmoraRecipientProcessSetProcessId(VelmoraRecipientProcess* r, uint32_t process_id);
uint32_t VelmoraRecipientProcessGetProcessId(const VelmoraRecipientProcess* r);
bool VelmoraRecipientProcessCopy(VelmoraRecipientProcess* dst, const VelmoraRecipientProcess* src);
