// The public operations on device and object images: each is a call of the
// interface, and each resolves its handles under the image lock.
#include <cstring>

#include "bacnet/asn_primitive.h"
#include "bacnet/asn_tag.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_status.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml.h"

namespace {

constexpr uint32_t kTypeLimit = 1024;

// An array and its length agree: none with 0, or one with a length.
bool Agree(const void* array, uint32_t length) { return (array == nullptr) == (length == 0); }

// A device handle for an operation that logs it when it is not one.
bool CheckDevice(DeviceImage* d, const char* operation) {
  if (DeviceImageInUse(d)) return true;
  ApilLogBadHandle("device", operation);
  return false;
}

// Instance range of the delete: -1, -1 or low <= high <= 0x3FFFFF.
bool RangeValid(int32_t low, int32_t high) {
  if (low == -1) return high == -1;
  return low >= 0 && high >= low && uint32_t(high) <= VELMORA_MAX_INSTANCE;
}

// A terminated name as an encoded CharacterString in the character set,
// in a block of the private heap; none for an unknown set or no memory.
uint8_t* EncodeName(uint32_t charset, const char* text) {
  if (!text || charset > 0xFF) return nullptr;
  VelmoraDbcsString dbcs{0, text};
  AsnTextSource source = charset == VELMORA_CHARSET_DBCS
                             ? AsnTextSource{reinterpret_cast<const uint8_t*>(&dbcs), sizeof dbcs}
                             : AsnTextSource{reinterpret_cast<const uint8_t*>(text), UINT32_MAX};
  int32_t length = AsnCharStringElementLength(uint8_t(charset), &source);
  if (length <= 0) return nullptr;
  auto* block = static_cast<uint8_t*>(OsaMemAlloc(uint32_t(length)));
  if (!block) return nullptr;
  AsnCursor cursor = AsnCursorOver(block, uint32_t(length));
  if (AsnEncodeCharsetText(uint8_t(charset), &source, &cursor) != 0) {
    OsaMemFree(block);
    return nullptr;
  }
  return block;
}

// An object handle for an operation that logs it when it is not one.
bool CheckObject(ObjectImage* o, const char* operation) {
  if (ObjectImageInUse(o)) return true;
  ApilLogBadHandle("object", operation);
  return false;
}

// The identifier of an object handle, for an operation of that name.
bool ObjectIdOf(ObjectImage* o, const char* operation, VelmoraObjectId* id) {
  ApilCall call;
  if (!call) return false;
  ApilImageGuard g(ApilImageLock());
  if (!CheckObject(o, operation)) return false;
  *id = ObjectImageGetId(o);
  return true;
}

}  // namespace

bool VelmoraIsDeviceHandleValid(VelmoraDeviceHandle device) {
  ApilImageGuard g(ApilImageLock());
  return DeviceImageInUse(device);
}

bool VelmoraIsObjectHandleValid(VelmoraObjectHandle object) {
  ApilImageGuard g(ApilImageLock());
  return ObjectImageInUse(object);
}

bool VelmoraGetDeviceList(VelmoraDeviceHandle* array, uint32_t length, uint32_t* total) {
  ApilCall call;
  if (!call || !total || !Agree(array, length)) return false;
  ApilImageGuard g(ApilImageLock());
  DeviceImageList(array, length, total);
  return true;
}

VelmoraDeviceHandle VelmoraFindDeviceByInstance(uint32_t instance) {
  ApilCall call;
  if (!call || instance > VELMORA_MAX_INSTANCE) return nullptr;
  ApilImageGuard g(ApilImageLock());
  return DeviceImageFindByInstance(instance);
}

VelmoraDeviceHandle VelmoraFindDeviceByAddress(const VelmoraAddress* address) {
  ApilCall call;
  LinkAddress link{};
  if (!call || !AddrFromPublic(address, &link) || link.macLen == 0) return nullptr;
  ApilImageGuard g(ApilImageLock());
  return DeviceImageFindByAddress(&link);
}

bool VelmoraGetDeviceAddress(VelmoraDeviceHandle device, VelmoraAddress* address) {
  ApilCall call;
  if (!call || !address) return false;
  LinkAddress link{};
  ApilImageGuard g(ApilImageLock());
  return DeviceImageResolve(device, "VelmoraGetDeviceAddress", &link, nullptr) == 0 &&
         AddrToPublic(&link, address);
}

VelmoraObjectHandle VelmoraGetDeviceObjectHandle(VelmoraDeviceHandle device) {
  ApilCall call;
  if (!call) return nullptr;
  ApilImageGuard g(ApilImageLock());
  if (!CheckDevice(device, "VelmoraGetDeviceObjectHandle")) return nullptr;
  return DeviceImageFirstObject(device);
}

bool VelmoraGetDeviceInstNum(VelmoraDeviceHandle device, uint32_t* instance) {
  ApilCall call;
  if (!call || !instance) return false;
  ApilImageGuard g(ApilImageLock());
  if (!CheckDevice(device, "VelmoraGetDeviceInstNum")) return false;
  *instance = ObjectImageGetId(DeviceImageFirstObject(device)).instance;
  return true;
}

VelmoraStatus VelmoraBindDevice(const VelmoraAddress* address, uint32_t instance,
                                VelmoraDeviceHandle* device) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  LinkAddress link{};
  if (!AddrFromPublic(address, &link) || link.macLen == 0) return VELMORA_STATUS_INVALID_ADDRESS;
  if (instance > VELMORA_MAX_INSTANCE || !device) return VELMORA_STATUS_INVALID_PARAMETER;
  ApilImageGuard g(ApilImageLock());
  uint32_t status = DeviceImageBind(device, &link, instance, true);
  return status == APIL_DEVICE_EXISTS ? VELMORA_STATUS_ALREADY_EXISTS : ApilMapStatus(status);
}

bool VelmoraDeleteDeviceImage(VelmoraDeviceHandle device) {
  ApilCall call;
  if (!call) return false;
  ApilImageGuard g(ApilImageLock());
  return CheckDevice(device, "VelmoraDeleteDeviceImage") && DeviceImageRelease(device);
}

uint32_t VelmoraDeleteDeviceImages(uint32_t kind, int32_t low, int32_t high,
                                   const VelmoraAddress* address) {
  ApilCall call;
  if (!call || !RangeValid(low, high)) return 0;
  LinkAddress link{};
  if (address && !AddrFromPublic(address, &link)) return 0;
  ApilImageGuard g(ApilImageLock());
  return DeviceImageDeleteMatching(kind, low, high, address ? &link : nullptr);
}

VelmoraStatus VelmoraCreateObjectImage(VelmoraDeviceHandle device, const VelmoraObjectId* id,
                                       VelmoraObjectHandle* object) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!id || !object || id->type >= kTypeLimit || id->instance > VELMORA_MAX_INSTANCE)
    return VELMORA_STATUS_INVALID_PARAMETER;
  ApilImageGuard g(ApilImageLock());
  if (!CheckDevice(device, "VelmoraCreateObjectImage")) return VELMORA_STATUS_INVALID_DEVICE_HANDLE;
  // A device has one device object: its own.
  if (id->type == APIL_OBJECT_DEVICE) {
    *object = DeviceImageFirstObject(device);
    return VELMORA_STATUS_ALREADY_EXISTS;
  }
  uint8_t packed[4];
  AsnPackObjectId(id, packed);
  uint32_t status = DeviceImageAddObject(device, object, packed);
  if (status == APIL_OBJECT_EXISTS) return VELMORA_STATUS_ALREADY_EXISTS;
  if (status == APIL_NO_FREE_OBJECT) return VELMORA_STATUS_OUT_OF_RESOURCES;
  return ApilMapStatus(status);
}

bool VelmoraDeleteObjectImage(VelmoraObjectHandle object) {
  ApilCall call;
  if (!call) return false;
  ApilImageGuard g(ApilImageLock());
  if (!CheckObject(object, "VelmoraDeleteObjectImage")) return false;
  if (object == DeviceImageFirstObject(ObjectImageDevice(object))) return false;
  return ObjectImageRelease(object);
}

bool VelmoraFindObjects(VelmoraObjectHandle* array, uint32_t length,
                        const VelmoraObjectSearchKey* key, uint32_t* total) {
  ApilCall call;
  if (!call || !total || !Agree(array, length)) return false;
  uint8_t packed[4];
  uint8_t* name = nullptr;
  if (key && key->by_name) {
    if (!key->key) return false;
    name = EncodeName(key->charset, *static_cast<const char* const*>(key->key));
    if (!name) return false;
  } else if (key) {
    const auto* id = static_cast<const VelmoraObjectId*>(key->key);
    if (!id || id->type >= kTypeLimit || id->instance > VELMORA_MAX_INSTANCE) return false;
    AsnPackObjectId(id, packed);
  }
  {
    ApilImageGuard g(ApilImageLock());
    ObjectImageFindAcross(array, length, key && !key->by_name ? packed : nullptr, name, total);
  }
  OsaMemFree(name);
  return true;
}

bool VelmoraGetLocalAddress(VelmoraAddress* address) {
  ApilCall call;
  LinkAddress link{};
  return call && address && TsmlLocalAddressGet(&link) == 0 && AddrToPublic(&link, address);
}

VelmoraDeviceHandle VelmoraGetObjectDeviceHandle(VelmoraObjectHandle object) {
  ApilCall call;
  if (!call) return nullptr;
  ApilImageGuard g(ApilImageLock());
  return CheckObject(object, "VelmoraGetObjectDeviceHandle") ? ObjectImageDevice(object) : nullptr;
}

VelmoraObjectHandle VelmoraObjectIDToHandle(VelmoraDeviceHandle device, const VelmoraObjectId* id) {
  ApilCall call;
  if (!call || !id || id->type >= kTypeLimit || id->instance > VELMORA_MAX_INSTANCE) return nullptr;
  uint8_t packed[4];
  AsnPackObjectId(id, packed);
  ApilImageGuard g(ApilImageLock());
  return CheckDevice(device, "VelmoraObjectIDToHandle") ? DeviceImageFindObject(device, packed)
                                                        : nullptr;
}

VelmoraObjectHandle VelmoraObjectNameToHandle(VelmoraDeviceHandle device, const char* name) {
  ApilCall call;
  if (!call || !name) return nullptr;
  uint8_t* encoded = EncodeName(VELMORA_CHARSET_ANSI, name);
  if (!encoded) return nullptr;
  VelmoraObjectHandle found = nullptr;
  {
    ApilImageGuard g(ApilImageLock());
    if (CheckDevice(device, "VelmoraObjectNameToHandle"))
      found = DeviceImageFindObjectByName(device, encoded);
  }
  OsaMemFree(encoded);
  return found;
}

bool VelmoraGetObjectInstNum(VelmoraObjectHandle object, uint32_t* instance) {
  VelmoraObjectId id{};
  if (!instance || !ObjectIdOf(object, "VelmoraGetObjectInstNum", &id)) return false;
  *instance = id.instance;
  return true;
}

bool VelmoraGetObjectType(VelmoraObjectHandle object, uint32_t* type) {
  VelmoraObjectId id{};
  if (!type || !ObjectIdOf(object, "VelmoraGetObjectType", &id)) return false;
  *type = id.type;
  return true;
}
