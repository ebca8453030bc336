// The request interface: ReadProperty on an object handle, a device's
// Object_List, Who-Is, the property datatype query, and the library-wide
// communication defaults, process identifiers and daemon parameter.
#include <cstring>

#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_property.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_service.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_read.h"
#include "runtime/apil/apil_services.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_status.h"
#include "runtime/tsml/tsml.h"

namespace {

// The value of Object_Identifier, which the image knows: no request.
VelmoraStatus ObjectIdentifierValue(const VelmoraObjectId& id, int32_t index,
                                    VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  if (index != -1) return VELMORA_STATUS_INVALID_BUFFER_SIZE;
  value->type = ASN_TYPE_OBJECT_ID;
  value->count = 1;
  if (allocator) {
    value->buffer = allocator->ops->alloc(allocator, sizeof id);
    if (!value->buffer) {
      value->capacity = 0;
      return VELMORA_STATUS_OUT_OF_MEMORY;
    }
    value->capacity = sizeof id;
  } else if (!value->buffer) {
    return VELMORA_STATUS_OK;
  } else if (value->capacity < sizeof id) {
    return VELMORA_STATUS_VALUE_OUT_OF_SPACE;
  }
  std::memcpy(value->buffer, &id, sizeof id);
  return VELMORA_STATUS_OK;
}

// The acknowledgement's value octets (between its opening and closing tag
// [3]) behind the echoed reference.
std::span<const uint8_t> ValueOctets(const PduDesc& answer) {
  AsnCursor c = AsnCursorOver(answer.data, answer.length);
  AsnDecodeObjPropRef(&c, nullptr);
  const uint8_t* start = c.current + 1;
  const uint8_t* stop = c.end - 1;
  return stop > start ? std::span<const uint8_t>(start, size_t(stop - start))
                      : std::span<const uint8_t>();
}

bool SameObject(const VelmoraObjectId& a, const VelmoraObjectId& b) {
  return a.type == b.type && a.instance == b.instance;
}

// After a good decode: the echo must match the request, a wildcard read
// learns which device answered, and what the device said of itself is
// kept.
VelmoraStatus Complete(ObjectImage* object, const VelmoraObjPropRef& request,
                       const VelmoraObjPropRef& echo, const LinkAddress& to,
                       const PduDesc& answer) {
  if (!ApilEchoesRequest(request, echo)) return VELMORA_STATUS_INVALID_PACKET;
  ApilImageGuard g(ApilImageLock());
  ObjectImage* target = object;
  if (echo.object_id.instance != request.object_id.instance) {
    const bool wildcard = request.object_id.type == APIL_OBJECT_DEVICE &&
                          request.object_id.instance == APIL_WILDCARD_INSTANCE;
    if (!wildcard) return VELMORA_STATUS_INVALID_PACKET;
    if (uint32_t status = DeviceImageLearnWildcard(object, &to, echo.object_id.instance, &target))
      return ApilMapStatus(status);
  }
  if (!ObjectImageInUse(target) || !SameObject(ObjectImageGetId(target), echo.object_id)) {
    ApilLogBadHandle("object", "VelmoraReadProperty");
    return ApilMapStatus(APIL_BAD_OBJECT_HANDLE);
  }
  const LinkAddress* bound = DeviceImageAddress(ObjectImageDevice(target));
  if (bound && AddrEqual(bound, &to) && echo.array_index == VELMORA_NO_INDEX) {
    std::span<const uint8_t> octets = ValueOctets(answer);
    DeviceImageCacheProperty(target, request.property, octets.data(), uint32_t(octets.size()));
  }
  return VELMORA_STATUS_OK;
}

bool SetDefault(uint32_t bit, uint32_t CommParams::*field, uint32_t value) {
  ApilCall call;
  if (!call) return false;
  CommParams p{};
  p.mask = bit;
  p.*field = value;
  return TsmlNetParamsSet(&p);
}

int32_t GetDefault(uint32_t bit, uint32_t CommParams::*field) {
  ApilCall call;
  CommParams p{};
  p.mask = bit;
  if (!call || !TsmlNetParamsGet(&p)) return -1;
  return int32_t(p.*field);
}

VelmoraStatus Mapped(uint32_t status) { return ApilMapStatus(ApilEnded(status)); }

}  // namespace

VelmoraStatus VelmoraReadProperty(VelmoraObjectHandle object, uint32_t property, int32_t index,
                                  VelmoraAnyValue* value, VelmoraFailure* failure,
                                  VelmoraAllocator* allocator) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!ApilValueUsable(value, allocator)) return VELMORA_STATUS_INVALID_PARAMETER;
  LinkAddress to{};
  VelmoraObjectId id{};
  CommParams params{};
  {
    ApilImageGuard g(ApilImageLock());
    if (uint32_t status = ObjectImageResolve(object, "VelmoraReadProperty", &to, &id, &params))
      return ApilMapStatus(status);
  }
  const bool wildcard = id.type == APIL_OBJECT_DEVICE && id.instance == APIL_WILDCARD_INSTANCE;
  if (property == BACNET_PROP_OBJECT_IDENTIFIER && !wildcard)
    return ObjectIdentifierValue(id, index, value, allocator);

  const VelmoraObjPropRef request{id, property, uint32_t(index)};
  PduDesc answer{};
  VelmoraStatus result =
      ApilRequestWait(&to, &APIL_READ_PROPERTY_SERVICE, &request, &params, &answer, failure);
  if (result == VELMORA_STATUS_OK)
    result = ApilReadPropertyAck(answer, value, allocator, [&](const VelmoraObjPropRef& echo) {
      return Complete(object, request, echo, to, answer);
    });
  PduDescFree(&answer);
  return result;
}

VelmoraStatus VelmoraReadObjectList(VelmoraDeviceHandle device, VelmoraObjectId* array,
                                    uint32_t length, uint32_t* total, VelmoraFailure* failure) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if ((array == nullptr) != (length == 0) || !total) return VELMORA_STATUS_INVALID_PARAMETER;
  // Held across the read: other image operations wait for the list.
  ApilImageGuard g(ApilImageLock());
  if (!DeviceImageInUse(device)) {
    ApilLogBadHandle("device", "VelmoraReadObjectList");
    return VELMORA_STATUS_INVALID_DEVICE_HANDLE;
  }
  VelmoraAnyValue list{-1, nullptr, 0, 0};
  VelmoraStatus status =
      VelmoraReadProperty(DeviceImageFirstObject(device), BACNET_PROP_OBJECT_LIST, -1, &list,
                          failure, &DefaultAllocator);
  if (status == VELMORA_STATUS_OK && list.type != ASN_TYPE_OBJECT_ID)
    status = VELMORA_STATUS_INVALID_DATA_TYPE;
  if (status == VELMORA_STATUS_OK) {
    *total = list.count;
    const uint32_t n = list.count < length ? list.count : length;
    if (n != 0) std::memcpy(array, list.buffer, n * sizeof(VelmoraObjectId));
  }
  // Whatever the outcome, the list read into the library's heap goes back.
  if (list.buffer) DefaultAllocator.ops->free(&DefaultAllocator, list.buffer);
  return status;
}

VelmoraStatus VelmoraWhoIs(const VelmoraAddress* address, int32_t low, int32_t high) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  LinkAddress to{};
  if (!AddrFromPublic(address, &to)) return VELMORA_STATUS_INVALID_ADDRESS;
  const bool none = low == -1 && high == -1;
  if (!none && (low < 0 || high < low || uint32_t(high) > VELMORA_MAX_INSTANCE))
    return VELMORA_STATUS_INVALID_PARAMETER;
  const AsnWhoIsParams range{low, uint32_t(high)};
  return Mapped(uint32_t(TsmlUnconfirmedSend(nullptr, &to, 0, ApilStreamEncode<AsnEncodeWhoIs>,
                                             BACNET_UNCONFIRMED_WHO_IS, &range, nullptr)));
}

int32_t VelmoraGetPropertyType(uint32_t objectType, uint32_t property, int32_t* kind) {
  ApilCall call;
  if (!call) return -1;
  return AsnPropertyDatatype(objectType, property, kind);
}

bool VelmoraSetDefaultApduLength(uint32_t value) {
  return SetDefault(COMM_APDU_LENGTH, &CommParams::apduLength, value);
}
bool VelmoraSetDefaultApduTimeout(uint32_t value) {
  return SetDefault(COMM_APDU_TIMEOUT, &CommParams::apduTimeout, value);
}
bool VelmoraSetDefaultRetries(uint32_t value) {
  return SetDefault(COMM_RETRIES, &CommParams::retries, value);
}
int32_t VelmoraGetDefaultApduLength() {
  return GetDefault(COMM_APDU_LENGTH, &CommParams::apduLength);
}
int32_t VelmoraGetDefaultApduTimeout() {
  return GetDefault(COMM_APDU_TIMEOUT, &CommParams::apduTimeout);
}
int32_t VelmoraGetDefaultRetries() { return GetDefault(COMM_RETRIES, &CommParams::retries); }

bool VelmoraSetDefaultCommParams(const CommParams* params) {
  ApilCall call;
  return call && params && TsmlNetParamsSet(params);
}

bool VelmoraGetDefaultCommParams(CommParams* params) {
  ApilCall call;
  if (!call || !params) return false;
  params->mask = 0xFF;
  return TsmlNetParamsGet(params);
}

VelmoraStatus VelmoraProcessIdAdd(uint32_t id) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (id == 0) return VELMORA_STATUS_INVALID_PARAMETER;
  return Mapped(uint32_t(TsmlProcessIdAdd(id)));
}

VelmoraStatus VelmoraProcessIdNew(uint32_t* id) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!id) return VELMORA_STATUS_INVALID_PARAMETER;
  return Mapped(uint32_t(TsmlProcessIdNew(id)));
}

VelmoraStatus VelmoraProcessIdRemove(uint32_t id) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  return Mapped(uint32_t(TsmlProcessIdRemove(id)));
}

VelmoraStatus VelmoraProcessIdList(uint32_t* array, uint32_t length, uint32_t* count) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if ((array == nullptr) != (length == 0) || !count) return VELMORA_STATUS_INVALID_PARAMETER;
  return Mapped(uint32_t(TsmlProcessIdList(array, length, count)));
}

VelmoraStatus VelmoraSetDaemonParam(uint32_t value) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (value < 3 || value > 0xFFFF) return VELMORA_STATUS_INVALID_PARAMETER;
  return Mapped(uint32_t(TsmlAddrParamSet(nullptr, uint16_t(value))));
}

VelmoraStatus VelmoraGetDaemonParam(uint32_t* value) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!value) return VELMORA_STATUS_INVALID_PARAMETER;
  uint16_t v = 0;
  uint32_t status = uint32_t(TsmlAddrParamGet(nullptr, &v));
  if (status == 0) *value = v;
  return Mapped(status);
}
