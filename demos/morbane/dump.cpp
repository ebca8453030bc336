// The dump of a device: its Object_List, then every property of each
// object, by ReadPropertyMultiple of all or, when the device cannot answer
// that, by ReadProperty over the object type's property list.
#include <cstdio>
#include <cstdlib>

#include "bacnet/asn_datatype_code.h"
#include "bacnet/bacnet_enums.h"
#include "bacnet/records_read.h"
#include "demos/common/demo_common.h"
#include "demos/morbane/morbane.h"
#include "demos/morbane/property_lists.h"
#include "runtime/apil/velmora.h"
#include "text/enum_names.h"
#include "text/status_text.h"
#include "text/value_text.h"

namespace {

constexpr uint32_t kFirstCapacity = 100;
// The value record counts its buffer's bytes in 32 bits.
constexpr uint32_t kLargestCapacity = UINT32_MAX / sizeof(VelmoraObjectId);
constexpr uint32_t kNameRoom = 0x8000;

char propertyName[kNameRoom];

// "      NAME : " of a property.
void PrintPropertyLead(uint32_t property) {
  VelmoraEnumToString(propertyName, kNameRoom, property, VELMORA_ENUM_PROPERTY, 0);
  std::printf("      %s : ", propertyName);
}

// Properties an object does not have are left out of its dump.
bool IsMissingProperty(uint32_t errorCode) {
  return errorCode == BACNET_ERROR_CODE_UNKNOWN_PROPERTY ||
         errorCode == BACNET_ERROR_CODE_UNSUPPORTED_OBJECT_TYPE;
}

VelmoraStatus ReadElementByElement(const DeviceRecord* record,
                                   const VelmoraReadPropertyRequest* whole, uint32_t length,
                                   VelmoraObjectId* buffer, VelmoraFailure* failure) {
  VelmoraReadPropertyRequest request = *whole;
  for (uint32_t i = 1; i <= length; ++i) {
    VelmoraAnyValue value;
    VelmoraAnyValueInit(&value, ASN_TYPE_OBJECT_ID, &buffer[i - 1], sizeof(VelmoraObjectId));
    VelmoraReadPropertyRequestSetArrayIndex(&request, int32_t(i));
    VelmoraStatus status = VelmoraReadPropertyByAddress(0, &record->address, &request, nullptr,
                                                        nullptr, nullptr, &value, failure, nullptr);
    if (status == VELMORA_STATUS_VALUE_OUT_OF_SPACE) return VELMORA_STATUS_INVALID_DATA_TYPE;
    if (status != VELMORA_STATUS_OK) return status;
    if (VelmoraAnyValueGetType(&value) != ASN_TYPE_OBJECT_ID)
      return VELMORA_STATUS_INVALID_DATA_TYPE;
  }
  return VELMORA_STATUS_OK;
}

}  // namespace

VelmoraStatus ReadObjectListLength(uint32_t instance, const VelmoraAddress* address,
                                   uint32_t* length, VelmoraFailure* failure) {
  *length = 0;
  VelmoraObjectId device;
  VelmoraReadPropertyRequest request;
  if (!VelmoraObjectIdInit(&device, BACNET_OBJ_DEVICE, instance) ||
      !VelmoraReadPropertyRequestInit(&request, &device, BACNET_PROP_OBJECT_LIST) ||
      !VelmoraReadPropertyRequestSetArrayIndex(&request, 0))
    return VELMORA_STATUS_UNKNOWN_ERROR;
  uint32_t number = 0;
  VelmoraAnyValue value;
  VelmoraAnyValueInit(&value, ASN_TYPE_UNSIGNED, &number, sizeof number);
  VelmoraStatus status = VelmoraReadPropertyByAddress(0, address, &request, nullptr, nullptr,
                                                      nullptr, &value, failure, nullptr);
  if (status == VELMORA_STATUS_VALUE_OUT_OF_SPACE) return VELMORA_STATUS_INVALID_DATA_TYPE;
  if (status != VELMORA_STATUS_OK) return status;
  if (VelmoraAnyValueGetType(&value) != ASN_TYPE_UNSIGNED) return VELMORA_STATUS_INVALID_DATA_TYPE;
  *length = number;
  return VELMORA_STATUS_OK;
}

VelmoraStatus ReadDeviceObjectList(const DeviceRecord* record, uint32_t* count,
                                   VelmoraObjectId* buffer, uint32_t capacity,
                                   VelmoraFailure* failure) {
  VelmoraObjectId device;
  VelmoraReadPropertyRequest request;
  if (!VelmoraObjectIdInit(&device, BACNET_OBJ_DEVICE, record->instance) ||
      !VelmoraReadPropertyRequestInit(&request, &device, BACNET_PROP_OBJECT_LIST))
    return VELMORA_STATUS_UNKNOWN_ERROR;
  VelmoraAnyValue value;
  VelmoraAnyValueInitCount(&value, ASN_TYPE_OBJECT_ID, buffer,
                           uint32_t(capacity * sizeof(VelmoraObjectId)), *count);
  VelmoraStatus status = VelmoraReadPropertyByAddress(0, &record->address, &request, nullptr,
                                                      nullptr, nullptr, &value, failure, nullptr);
  if (status == VELMORA_STATUS_OK) {
    if (VelmoraAnyValueGetType(&value) != ASN_TYPE_OBJECT_ID)
      return VELMORA_STATUS_INVALID_DATA_TYPE;
    *count = VelmoraAnyValueGetCount(&value);
    return VELMORA_STATUS_OK;
  }
  const bool refused = status == VELMORA_STATUS_BACNET_ERROR ||
                       status == VELMORA_STATUS_BACNET_REJECT ||
                       status == VELMORA_STATUS_BACNET_ABORT;
  if (status != VELMORA_STATUS_VALUE_OUT_OF_SPACE && !refused) return status;
  uint32_t length = 0;
  VelmoraStatus lengthStatus =
      ReadObjectListLength(record->instance, &record->address, &length, failure);
  if (lengthStatus != VELMORA_STATUS_OK) return lengthStatus;
  *count = length;
  if (status == VELMORA_STATUS_VALUE_OUT_OF_SPACE || length > capacity)
    return VELMORA_STATUS_VALUE_OUT_OF_SPACE;
  return ReadElementByElement(record, &request, length, buffer, failure);
}

void DumpDeviceObjects(const DeviceRecord* record) {
  uint32_t capacity = kFirstCapacity;
  uint32_t count = kFirstCapacity;
  VelmoraStatus status = VELMORA_STATUS_OUT_OF_RESOURCES;
  VelmoraObjectId* buffer = nullptr;
  VelmoraFailure failure{};
  bool grown = true;
  for (;;) {
    void* larger = capacity <= kLargestCapacity
                       ? std::realloc(buffer, capacity * sizeof(VelmoraObjectId))
                       : nullptr;
    if (!larger) {
      grown = false;
      break;
    }
    buffer = static_cast<VelmoraObjectId*>(larger);
    const uint32_t had = capacity;
    status = ReadDeviceObjectList(record, &count, buffer, capacity, &failure);
    capacity = count;
    // A list that does not fit a buffer of the length the device tells
    // would be read again and again.
    if (status != VELMORA_STATUS_VALUE_OUT_OF_SPACE || capacity <= had) break;
  }
  if (!grown && status == VELMORA_STATUS_VALUE_OUT_OF_SPACE) {
    VelmoraPrintStatus(VELMORA_STATUS_VALUE_OUT_OF_SPACE, &failure, "Not enough memory.");
    std::printf("Not enough space for %u objects in Object List\n", unsigned(capacity));
  }
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, &failure, "Couldn't Get Object List.");
    std::free(buffer);
    return;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (!DumpObjectByReadMulti(record, &buffer[i])) DumpObjectByReadProperty(record, &buffer[i]);
    if (i + 1 < count) std::printf(",\n");
    std::printf("\n");
  }
  std::free(buffer);
}

bool DumpObjectByReadMulti(const DeviceRecord* record, const VelmoraObjectId* object) {
  VelmoraPropRef all;
  VelmoraPropRefInit(&all, BACNET_PROP_ALL);
  VelmoraReadAccessSpec spec;
  VelmoraReadAccessSpecInit(&spec, object, &all, 1);
  VelmoraReadMultiRequest request;
  VelmoraReadMultiRequestInit(&request, &spec, 1);
  VelmoraReadMultiResult result{};
  VelmoraFailure failure{};
  VelmoraStatus status = VelmoraReadPropertyMultipleByAddress(
      0, &record->address, &request, nullptr, nullptr, nullptr, &result, &failure, &CrtAllocator);
  if (status != VELMORA_STATUS_OK) return false;
  const uint32_t type = VelmoraObjectIdGetType(object);
  std::printf("   {\n");
  const uint32_t stored = VelmoraReadMultiResultGetCount(&result, VELMORA_RESULT_STORED);
  for (uint32_t i = 0; i < stored; ++i) {
    const VelmoraReadResult* element = VelmoraReadMultiResultGetResult(&result, i);
    const uint32_t property = VelmoraReadResultGetProperty(element);
    if (VelmoraReadResultIsSuccess(element)) {
      PrintPropertyLead(property);
      PrintValue(VelmoraReadResultGetValue(element), type, property, 0);
      std::printf("\n");
    } else if (!IsMissingProperty(VelmoraReadResultGetErrorCode(element))) {
      PrintPropertyLead(property);
      VelmoraFailure error;
      VelmoraFailureInitError(&error, VelmoraReadResultGetErrorClass(element),
                              VelmoraReadResultGetErrorCode(element));
      VelmoraPrintStatus(VELMORA_STATUS_BACNET_ERROR, &error, "Couldn't Read Property.");
    }
  }
  std::printf("   }");
  VelmoraReadMultiResultFreeAll(&CrtAllocator, &result, 1);
  return true;
}

void DumpObjectByReadProperty(const DeviceRecord* record, const VelmoraObjectId* object) {
  const uint32_t type = VelmoraObjectIdGetType(object);
  std::printf("   {\n");
  for (uint32_t property : PropertyListForType(type)) {
    VelmoraReadPropertyRequest request;
    VelmoraReadPropertyRequestInit(&request, object, property);
    VelmoraAnyValue value;
    VelmoraAnyValueInitEmpty(&value, nullptr, 0);
    VelmoraFailure failure{};
    VelmoraStatus status = VelmoraReadPropertyByAddress(
        0, &record->address, &request, nullptr, nullptr, nullptr, &value, &failure, &CrtAllocator);
    if (status == VELMORA_STATUS_OK) {
      PrintPropertyLead(property);
      PrintValue(&value, type, property, 0);
      std::printf("\n");
      VelmoraAnyValueFree(&CrtAllocator, &value);
    } else if (status != VELMORA_STATUS_BACNET_ERROR ||
               !IsMissingProperty(VelmoraFailureGetErrorCode(&failure))) {
      PrintPropertyLead(property);
      VelmoraPrintStatus(status, &failure, "Couldn't Read Property.");
    }
  }
  std::printf("   }");
}
