#include "bacnet/records_refs.h"

#include <type_traits>

#include "bacnet/record_accessors.h"

namespace {

template <typename R, typename T>
bool SetField(R* r, T R::*field, std::type_identity_t<T> value) {
  if (!r) return false;
  r->*field = value;
  return true;
}

// Copies a required source record into the field; false when it is missing.
template <typename R, typename T>
bool SetRecord(R* r, T R::*field, const T* value) {
  if (!r || !value) return false;
  r->*field = *value;
  return true;
}

template <typename R, typename T>
T GetField(const R* r, T R::*field, std::type_identity_t<T> fallback) {
  return r ? r->*field : fallback;
}

template <typename R, typename T>
T* FieldOf(R* r, T R::*field) {
  return r ? &(r->*field) : nullptr;
}
template <typename R, typename T>
const T* FieldOf(const R* r, T R::*field) {
  return r ? &(r->*field) : nullptr;
}

template <typename R>
const VelmoraObjectId* PresentDevice(const R* r) {
  return r && r->device_present ? &r->device_id : nullptr;
}

template <typename R>
bool SetDevice(R* r, const VelmoraObjectId* device) {
  if (!r || !device) return false;
  r->device_id = *device;
  r->device_present = 1;
  return true;
}

}  // namespace

// Read result.

bool VelmoraReadResultInitBuffer(VelmoraReadResult* r, void* buffer, uint32_t capacity) {
  if (!r) return false;
  r->property = UINT32_MAX;
  r->array_index = VELMORA_NO_INDEX;
  r->success = 1;
  r->value = {-1, buffer, capacity, 0};
  return true;
}
bool VelmoraReadResultSetProperty(VelmoraReadResult* r, uint32_t property) {
  return SetField(r, &VelmoraReadResult::property, property);
}
uint32_t VelmoraReadResultGetProperty(const VelmoraReadResult* r) {
  return GetField(r, &VelmoraReadResult::property, UINT32_MAX);
}
bool VelmoraReadResultSetArrayIndex(VelmoraReadResult* r, uint32_t index) {
  return SetField(r, &VelmoraReadResult::array_index, index);
}
uint32_t VelmoraReadResultGetArrayIndex(const VelmoraReadResult* r) {
  return GetField(r, &VelmoraReadResult::array_index, VELMORA_NO_INDEX);
}
bool VelmoraReadResultSetSuccess(VelmoraReadResult* r, uint8_t flag) {
  return SetField(r, &VelmoraReadResult::success, flag);
}
uint8_t VelmoraReadResultIsSuccess(const VelmoraReadResult* r) {
  return GetField(r, &VelmoraReadResult::success, 0);
}
bool VelmoraReadResultSetValue(VelmoraReadResult* r, const VelmoraAnyValue* value) {
  if (!r || !value) return false;
  r->success = 1;
  return VelmoraAnyValueCopy(&r->value, value);
}
VelmoraAnyValue* VelmoraReadResultGetValue(VelmoraReadResult* r) {
  return FieldOf(r, &VelmoraReadResult::value);
}
const VelmoraAnyValue* VelmoraReadResultGetValue(const VelmoraReadResult* r) {
  return FieldOf(r, &VelmoraReadResult::value);
}
VelmoraError* VelmoraReadResultGetError(VelmoraReadResult* r) {
  return FieldOf(r, &VelmoraReadResult::error);
}
const VelmoraError* VelmoraReadResultGetError(const VelmoraReadResult* r) {
  return FieldOf(r, &VelmoraReadResult::error);
}
bool VelmoraReadResultSetError(VelmoraReadResult* r, uint32_t error_class, uint32_t error_code) {
  if (!r) return false;
  r->success = 0;
  return VelmoraErrorInit(&r->error, error_class, error_code);
}
uint32_t VelmoraReadResultGetErrorClass(const VelmoraReadResult* r) {
  return r ? r->error.error_class : UINT32_MAX;
}
uint32_t VelmoraReadResultGetErrorCode(const VelmoraReadResult* r) {
  return r ? r->error.error_code : UINT32_MAX;
}
bool VelmoraReadResultCopy(VelmoraReadResult* dst, const VelmoraReadResult* src) {
  return CopyRecord(dst, src);
}

// Read-access result.

bool VelmoraReadAccessResultInit(VelmoraReadAccessResult* r) {
  if (!r) return false;
  *r = {{UINT32_MAX, UINT32_MAX}, 0, nullptr};
  return true;
}
bool VelmoraReadAccessResultSetObjectId(VelmoraReadAccessResult* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraReadAccessResult::object_id, id);
}
VelmoraObjectId* VelmoraReadAccessResultGetObjectId(VelmoraReadAccessResult* r) {
  return FieldOf(r, &VelmoraReadAccessResult::object_id);
}
const VelmoraObjectId* VelmoraReadAccessResultGetObjectId(const VelmoraReadAccessResult* r) {
  return FieldOf(r, &VelmoraReadAccessResult::object_id);
}
bool VelmoraReadAccessResultSetResults(VelmoraReadAccessResult* r, VelmoraReadResult* results,
                                       uint32_t count) {
  if (!r || (count != 0 && !results)) return false;
  r->results = results;
  r->count = count;
  return true;
}
VelmoraReadResult* VelmoraReadAccessResultGetResult(const VelmoraReadAccessResult* r, uint32_t i) {
  return r ? RecordElement(r->results, i) : nullptr;
}
uint32_t VelmoraReadAccessResultGetCount(const VelmoraReadAccessResult* r) {
  return GetField(r, &VelmoraReadAccessResult::count, UINT32_MAX);
}
bool VelmoraReadAccessResultHasResults(const VelmoraReadAccessResult* r) { return r && r->results; }
bool VelmoraReadAccessResultCopy(VelmoraReadAccessResult* dst, const VelmoraReadAccessResult* src) {
  return CopyRecord(dst, src);
}

// Object property reference.

bool VelmoraObjPropRefInit(VelmoraObjPropRef* r, const VelmoraObjectId* id, uint32_t property) {
  if (!r || !id) return false;
  *r = {*id, property, VELMORA_NO_INDEX};
  return true;
}
bool VelmoraObjPropRefSetObjectId(VelmoraObjPropRef* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraObjPropRef::object_id, id);
}
VelmoraObjectId* VelmoraObjPropRefGetObjectId(VelmoraObjPropRef* r) {
  return FieldOf(r, &VelmoraObjPropRef::object_id);
}
const VelmoraObjectId* VelmoraObjPropRefGetObjectId(const VelmoraObjPropRef* r) {
  return FieldOf(r, &VelmoraObjPropRef::object_id);
}
bool VelmoraObjPropRefSetProperty(VelmoraObjPropRef* r, uint32_t property) {
  return SetField(r, &VelmoraObjPropRef::property, property);
}
uint32_t VelmoraObjPropRefGetProperty(const VelmoraObjPropRef* r) {
  return GetField(r, &VelmoraObjPropRef::property, UINT32_MAX);
}
bool VelmoraObjPropRefSetArrayIndex(VelmoraObjPropRef* r, uint32_t index) {
  return SetField(r, &VelmoraObjPropRef::array_index, index);
}
uint32_t VelmoraObjPropRefGetArrayIndex(const VelmoraObjPropRef* r) {
  return GetField(r, &VelmoraObjPropRef::array_index, 0);
}
bool VelmoraObjPropRefCopy(VelmoraObjPropRef* dst, const VelmoraObjPropRef* src) {
  return CopyRecord(dst, src);
}

// Device object property reference.

bool VelmoraDevObjPropRefInit(VelmoraDevObjPropRef* r, const VelmoraObjectId* id,
                              uint32_t property) {
  if (!r || !id) return false;
  r->object_id = *id;
  r->property = property;
  r->array_index = VELMORA_NO_INDEX;
  r->device_present = 0;
  return true;
}
bool VelmoraDevObjPropRefSetObjectId(VelmoraDevObjPropRef* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraDevObjPropRef::object_id, id);
}
VelmoraObjectId* VelmoraDevObjPropRefGetObjectId(VelmoraDevObjPropRef* r) {
  return FieldOf(r, &VelmoraDevObjPropRef::object_id);
}
const VelmoraObjectId* VelmoraDevObjPropRefGetObjectId(const VelmoraDevObjPropRef* r) {
  return FieldOf(r, &VelmoraDevObjPropRef::object_id);
}
bool VelmoraDevObjPropRefSetProperty(VelmoraDevObjPropRef* r, uint32_t property) {
  return SetField(r, &VelmoraDevObjPropRef::property, property);
}
uint32_t VelmoraDevObjPropRefGetProperty(const VelmoraDevObjPropRef* r) {
  return GetField(r, &VelmoraDevObjPropRef::property, UINT32_MAX);
}
bool VelmoraDevObjPropRefSetArrayIndex(VelmoraDevObjPropRef* r, uint32_t index) {
  return SetField(r, &VelmoraDevObjPropRef::array_index, index);
}
uint32_t VelmoraDevObjPropRefGetArrayIndex(const VelmoraDevObjPropRef* r) {
  return GetField(r, &VelmoraDevObjPropRef::array_index, 0);
}
uint8_t VelmoraDevObjPropRefHasDevice(const VelmoraDevObjPropRef* r) {
  return GetField(r, &VelmoraDevObjPropRef::device_present, 0);
}
VelmoraObjectId* VelmoraDevObjPropRefGetDevice(VelmoraDevObjPropRef* r) {
  return const_cast<VelmoraObjectId*>(PresentDevice(r));
}
const VelmoraObjectId* VelmoraDevObjPropRefGetDevice(const VelmoraDevObjPropRef* r) {
  return PresentDevice(r);
}
bool VelmoraDevObjPropRefSetDevice(VelmoraDevObjPropRef* r, const VelmoraObjectId* device) {
  return SetDevice(r, device);
}
bool VelmoraDevObjPropRefCopy(VelmoraDevObjPropRef* dst, const VelmoraDevObjPropRef* src) {
  return CopyRecord(dst, src);
}

// Device object reference.

bool VelmoraDevObjRefInit(VelmoraDevObjRef* r, const VelmoraObjectId* id) {
  if (!r || !id) return false;
  r->object_id = *id;
  r->device_present = 0;
  return true;
}
bool VelmoraDevObjRefSetObjectId(VelmoraDevObjRef* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraDevObjRef::object_id, id);
}
VelmoraObjectId* VelmoraDevObjRefGetObjectId(VelmoraDevObjRef* r) {
  return FieldOf(r, &VelmoraDevObjRef::object_id);
}
const VelmoraObjectId* VelmoraDevObjRefGetObjectId(const VelmoraDevObjRef* r) {
  return FieldOf(r, &VelmoraDevObjRef::object_id);
}
uint8_t VelmoraDevObjRefHasDevice(const VelmoraDevObjRef* r) {
  return GetField(r, &VelmoraDevObjRef::device_present, 0);
}
VelmoraObjectId* VelmoraDevObjRefGetDevice(VelmoraDevObjRef* r) {
  return const_cast<VelmoraObjectId*>(PresentDevice(r));
}
const VelmoraObjectId* VelmoraDevObjRefGetDevice(const VelmoraDevObjRef* r) {
  return PresentDevice(r);
}
bool VelmoraDevObjRefSetDevice(VelmoraDevObjRef* r, const VelmoraObjectId* device) {
  return SetDevice(r, device);
}
bool VelmoraDevObjRefCopy(VelmoraDevObjRef* dst, const VelmoraDevObjRef* src) {
  return CopyRecord(dst, src);
}

// Property reference.

bool VelmoraPropRefInit(VelmoraPropRef* r, uint32_t property) {
  if (!r) return false;
  *r = {property, VELMORA_NO_INDEX};
  return true;
}
bool VelmoraPropRefSetProperty(VelmoraPropRef* r, uint32_t property) {
  return SetField(r, &VelmoraPropRef::property, property);
}
uint32_t VelmoraPropRefGetProperty(const VelmoraPropRef* r) {
  return GetField(r, &VelmoraPropRef::property, UINT32_MAX);
}
bool VelmoraPropRefSetArrayIndex(VelmoraPropRef* r, uint32_t index) {
  return SetField(r, &VelmoraPropRef::array_index, index);
}
uint32_t VelmoraPropRefGetArrayIndex(const VelmoraPropRef* r) {
  return GetField(r, &VelmoraPropRef::array_index, 0);
}
bool VelmoraPropRefCopy(VelmoraPropRef* dst, const VelmoraPropRef* src) {
  return CopyRecord(dst, src);
}

// Property value.

bool VelmoraPropertyValueInit(VelmoraPropertyValue* r, uint32_t property,
                              const VelmoraAnyValue* value) {
  if (!r || !value) return false;
  r->property = property;
  r->array_index = VELMORA_NO_INDEX;
  r->priority = VELMORA_NO_PRIORITY;
  return VelmoraAnyValueCopy(&r->value, value);
}
bool VelmoraPropertyValueSetProperty(VelmoraPropertyValue* r, uint32_t property) {
  return SetField(r, &VelmoraPropertyValue::property, property);
}
uint32_t VelmoraPropertyValueGetProperty(const VelmoraPropertyValue* r) {
  return GetField(r, &VelmoraPropertyValue::property, UINT32_MAX);
}
bool VelmoraPropertyValueSetArrayIndex(VelmoraPropertyValue* r, uint32_t index) {
  return SetField(r, &VelmoraPropertyValue::array_index, index);
}
uint32_t VelmoraPropertyValueGetArrayIndex(const VelmoraPropertyValue* r) {
  return GetField(r, &VelmoraPropertyValue::array_index, VELMORA_NO_INDEX);
}
bool VelmoraPropertyValueSetValue(VelmoraPropertyValue* r, const VelmoraAnyValue* value) {
  return r && VelmoraAnyValueCopy(&r->value, value);
}
VelmoraAnyValue* VelmoraPropertyValueGetValue(VelmoraPropertyValue* r) {
  return FieldOf(r, &VelmoraPropertyValue::value);
}
const VelmoraAnyValue* VelmoraPropertyValueGetValue(const VelmoraPropertyValue* r) {
  return FieldOf(r, &VelmoraPropertyValue::value);
}
bool VelmoraPropertyValueSetPriority(VelmoraPropertyValue* r, uint32_t priority) {
  return SetField(r, &VelmoraPropertyValue::priority, priority);
}
uint32_t VelmoraPropertyValueGetPriority(const VelmoraPropertyValue* r) {
  return GetField(r, &VelmoraPropertyValue::priority, 0);
}
bool VelmoraPropertyValueCopy(VelmoraPropertyValue* dst, const VelmoraPropertyValue* src) {
  return CopyRecord(dst, src);
}

// Setpoint reference.

bool VelmoraSetpointRefInit(VelmoraSetpointRef* r) {
  return SetField(r, &VelmoraSetpointRef::present, 0);
}
bool VelmoraSetpointRefIsEmpty(const VelmoraSetpointRef* r) { return !r || r->present == 0; }
bool VelmoraSetpointRefSet(VelmoraSetpointRef* r, const VelmoraObjPropRef* ref) {
  if (!SetRecord(r, &VelmoraSetpointRef::ref, ref)) return false;
  r->present = 1;
  return true;
}
VelmoraObjPropRef* VelmoraSetpointRefGet(VelmoraSetpointRef* r) {
  return r && r->present ? &r->ref : nullptr;
}
const VelmoraObjPropRef* VelmoraSetpointRefGet(const VelmoraSetpointRef* r) {
  return r && r->present ? &r->ref : nullptr;
}
bool VelmoraSetpointRefCopy(VelmoraSetpointRef* dst, const VelmoraSetpointRef* src) {
  return CopyRecord(dst, src);
}

// Device object property value.

bool VelmoraDevObjPropValueInit(VelmoraDevObjPropValue* r, const VelmoraObjectId* device,
                                const VelmoraObjectId* id, uint32_t property,
                                const VelmoraAnyValue* value) {
  if (!r || !device || !id || !value) return false;
  *r = {*device, *id, property, VELMORA_NO_INDEX, *value};
  return true;
}
bool VelmoraDevObjPropValueSetDevice(VelmoraDevObjPropValue* r, const VelmoraObjectId* device) {
  return SetRecord(r, &VelmoraDevObjPropValue::device_id, device);
}
bool VelmoraDevObjPropValueSetObjectId(VelmoraDevObjPropValue* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraDevObjPropValue::object_id, id);
}
bool VelmoraDevObjPropValueSetProperty(VelmoraDevObjPropValue* r, uint32_t property) {
  return SetField(r, &VelmoraDevObjPropValue::property, property);
}
bool VelmoraDevObjPropValueSetArrayIndex(VelmoraDevObjPropValue* r, uint32_t index) {
  return SetField(r, &VelmoraDevObjPropValue::array_index, index);
}
bool VelmoraDevObjPropValueSetValue(VelmoraDevObjPropValue* r, const VelmoraAnyValue* value) {
  return r && VelmoraAnyValueCopy(&r->value, value);
}
VelmoraObjectId* VelmoraDevObjPropValueGetDevice(VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::device_id);
}
const VelmoraObjectId* VelmoraDevObjPropValueGetDevice(const VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::device_id);
}
VelmoraObjectId* VelmoraDevObjPropValueGetObjectId(VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::object_id);
}
const VelmoraObjectId* VelmoraDevObjPropValueGetObjectId(const VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::object_id);
}
uint32_t VelmoraDevObjPropValueGetProperty(const VelmoraDevObjPropValue* r) {
  return GetField(r, &VelmoraDevObjPropValue::property, 0);
}
uint32_t VelmoraDevObjPropValueGetArrayIndex(const VelmoraDevObjPropValue* r) {
  return GetField(r, &VelmoraDevObjPropValue::array_index, 0);
}
VelmoraAnyValue* VelmoraDevObjPropValueGetValue(VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::value);
}
const VelmoraAnyValue* VelmoraDevObjPropValueGetValue(const VelmoraDevObjPropValue* r) {
  return FieldOf(r, &VelmoraDevObjPropValue::value);
}
bool VelmoraDevObjPropValueCopy(VelmoraDevObjPropValue* dst, const VelmoraDevObjPropValue* src) {
  return CopyRecord(dst, src);
}

// Address binding.

bool VelmoraAddressBindingInit(VelmoraAddressBinding* r, const VelmoraObjectId* device,
                               const VelmoraAddress* address) {
  if (!r || !device || !address) return false;
  *r = {*device, *address};
  return true;
}
bool VelmoraAddressBindingSetDevice(VelmoraAddressBinding* r, const VelmoraObjectId* device) {
  return SetRecord(r, &VelmoraAddressBinding::device_id, device);
}
bool VelmoraAddressBindingSetAddress(VelmoraAddressBinding* r, const VelmoraAddress* address) {
  return SetRecord(r, &VelmoraAddressBinding::address, address);
}
VelmoraObjectId* VelmoraAddressBindingGetDevice(VelmoraAddressBinding* r) {
  return FieldOf(r, &VelmoraAddressBinding::device_id);
}
const VelmoraObjectId* VelmoraAddressBindingGetDevice(const VelmoraAddressBinding* r) {
  return FieldOf(r, &VelmoraAddressBinding::device_id);
}
VelmoraAddress* VelmoraAddressBindingGetAddress(VelmoraAddressBinding* r) {
  return FieldOf(r, &VelmoraAddressBinding::address);
}
const VelmoraAddress* VelmoraAddressBindingGetAddress(const VelmoraAddressBinding* r) {
  return FieldOf(r, &VelmoraAddressBinding::address);
}
bool VelmoraAddressBindingCopy(VelmoraAddressBinding* dst, const VelmoraAddressBinding* src) {
  return CopyRecord(dst, src);
}

// Read-access specification.

bool VelmoraReadAccessSpecInit(VelmoraReadAccessSpec* r, const VelmoraObjectId* id,
                               VelmoraPropRef* refs, uint32_t count) {
  if (!r || !id || (count != 0 && !refs)) return false;
  *r = {*id, count, refs};
  return true;
}
VelmoraObjectId* VelmoraReadAccessSpecGetObjectId(VelmoraReadAccessSpec* r) {
  return FieldOf(r, &VelmoraReadAccessSpec::object_id);
}
const VelmoraObjectId* VelmoraReadAccessSpecGetObjectId(const VelmoraReadAccessSpec* r) {
  return FieldOf(r, &VelmoraReadAccessSpec::object_id);
}
bool VelmoraReadAccessSpecSetObjectId(VelmoraReadAccessSpec* r, const VelmoraObjectId* id) {
  return SetRecord(r, &VelmoraReadAccessSpec::object_id, id);
}
bool VelmoraReadAccessSpecSetProperties(VelmoraReadAccessSpec* r, VelmoraPropRef* refs,
                                        uint32_t count) {
  if (!r || !refs) return false;
  r->refs = refs;
  r->count = count;
  return true;
}
VelmoraPropRef* VelmoraReadAccessSpecGetProperty(const VelmoraReadAccessSpec* r, uint32_t i) {
  return r ? RecordElement(r->refs, i) : nullptr;
}
uint32_t VelmoraReadAccessSpecGetPropertyId(const VelmoraReadAccessSpec* r, uint32_t i) {
  const VelmoraPropRef* ref = VelmoraReadAccessSpecGetProperty(r, i);
  return ref ? ref->property : UINT32_MAX;
}
uint32_t VelmoraReadAccessSpecGetPropertyIndex(const VelmoraReadAccessSpec* r, uint32_t i) {
  const VelmoraPropRef* ref = VelmoraReadAccessSpecGetProperty(r, i);
  return ref ? ref->array_index : VELMORA_NO_INDEX;
}
uint32_t VelmoraReadAccessSpecGetCount(const VelmoraReadAccessSpec* r) {
  return GetField(r, &VelmoraReadAccessSpec::count, UINT32_MAX);
}
bool VelmoraReadAccessSpecCopy(VelmoraReadAccessSpec* dst, const VelmoraReadAccessSpec* src) {
  return CopyRecord(dst, src);
}

// Recipient.

bool VelmoraRecipientSetDevice(VelmoraRecipient* r, const VelmoraObjectId* device) {
  if (!SetRecord(r, &VelmoraRecipient::device, device)) return false;
  r->choice = VELMORA_RECIPIENT_DEVICE;
  return true;
}
bool VelmoraRecipientSetAddress(VelmoraRecipient* r, const VelmoraAddress* address) {
  if (!SetRecord(r, &VelmoraRecipient::address, address)) return false;
  r->choice = VELMORA_RECIPIENT_ADDRESS;
  return true;
}
uint32_t VelmoraRecipientGetChoice(const VelmoraRecipient* r) {
  return GetField(r, &VelmoraRecipient::choice, UINT32_MAX);
}
VelmoraObjectId* VelmoraRecipientGetDevice(VelmoraRecipient* r) {
  return FieldOf(r, &VelmoraRecipient::device);
}
const VelmoraObjectId* VelmoraRecipientGetDevice(const VelmoraRecipient* r) {
  return FieldOf(r, &VelmoraRecipient::device);
}
VelmoraAddress* VelmoraRecipientGetAddress(VelmoraRecipient* r) {
  return FieldOf(r, &VelmoraRecipient::address);
}
const VelmoraAddress* VelmoraRecipientGetAddress(const VelmoraRecipient* r) {
  return FieldOf(r, &VelmoraRecipient::address);
}
bool VelmoraRecipientCopy(VelmoraRecipient* dst, const VelmoraRecipient* src) {
  return CopyRecord(dst, src);
}

// Recipient process.

bool VelmoraRecipientProcessInit(VelmoraRecipientProcess* r, const VelmoraRecipient* recipient,
                                 uint32_t process_id) {
  if (!SetRecord(r, &VelmoraRecipientProcess::recipient, recipient)) return false;
  r->process_id = process_id;
  return true;
}
bool VelmoraRecipientProcessSetRecipient(VelmoraRecipientProcess* r,
                                         const VelmoraRecipient* recipient) {
  return SetRecord(r, &VelmoraRecipientProcess::recipient, recipient);
}
VelmoraRecipient* VelmoraRecipientProcessGetRecipient(VelmoraRecipientProcess* r) {
  return FieldOf(r, &VelmoraRecipientProcess::recipient);
}
const VelmoraRecipient* VelmoraRecipientProcessGetRecipient(const VelmoraRecipientProcess* r) {
  return FieldOf(r, &VelmoraRecipientProcess::recipient);
}
bool VelmoraRecipientProcessSetProcessId(VelmoraRecipientProcess* r, uint32_t process_id) {
  return SetField(r, &VelmoraRecipientProcess::process_id, process_id);
}
uint32_t VelmoraRecipientProcessGetProcessId(const VelmoraRecipientProcess* r) {
  return GetField(r, &VelmoraRecipientProcess::process_id, UINT32_MAX);
}
bool VelmoraRecipientProcessCopy(VelmoraRecipientProcess* dst, const VelmoraRecipientProcess* src) {
  return CopyRecord(dst, src);
}
