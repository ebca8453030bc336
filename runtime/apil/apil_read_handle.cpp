// ReadPropertyMultiple of objects named by their handles: one request to
// the device their images belong to, each answer checked against the
// object asked for, and what the device said of its objects kept in their
// images.
#include <memory>

#include "bacnet/asn_read_multi.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_read.h"
#include "runtime/apil/apil_services.h"
#include "runtime/apil/velmora.h"
#include "runtime/osa/osa.h"

namespace {

constexpr char kOperation[] = "VelmoraReadPropertyMultiple";

struct HeapFree {
  void operator()(void* block) const { OsaMemFree(block); }
};
using SpecArray = std::unique_ptr<VelmoraReadAccessSpec[], HeapFree>;

bool IsWildcard(const VelmoraObjectId& id) {
  return id.type == APIL_OBJECT_DEVICE && id.instance == APIL_WILDCARD_INSTANCE;
}

bool SameObject(const VelmoraObjectId& a, const VelmoraObjectId& b) {
  return a.type == b.type && a.instance == b.instance;
}

// The read-access specification of each request, from its object image;
// under the image lock.
VelmoraStatus BuildSpecs(const DeviceImage* device, const VelmoraReadMultiHandleRequest* requests,
                         uint32_t count, VelmoraReadAccessSpec* specs) {
  for (uint32_t i = 0; i < count; ++i) {
    const VelmoraReadMultiHandleRequest& r = requests[i];
    if (!r.refs || r.count == 0) return VELMORA_STATUS_INVALID_PARAMETER;
    if (!ObjectImageInUse(r.object)) {
      ApilLogBadHandle("object", kOperation);
      return VELMORA_STATUS_INVALID_OBJECT_HANDLE;
    }
    // One request goes to one device.
    if (ObjectImageDevice(r.object) != device) return VELMORA_STATUS_INVALID_PARAMETER;
    specs[i] = {ObjectImageGetId(r.object), r.count, r.refs};
  }
  return VELMORA_STATUS_OK;
}

// The acknowledgement into the results: each answers for the object its
// request asked for, or for the wildcard device the device that answered,
// whose instance is then bound to the address.
int32_t AsnDecodeReadMultiHandleAck(const LinkAddress& to, const PduDesc& answer,
                                    const VelmoraReadMultiHandleRequest* requests,
                                    const VelmoraReadAccessSpec* specs,
                                    VelmoraReadMultiHandleResult* results, uint32_t count,
                                    VelmoraAllocator* allocator) {
  if (allocator)
    for (uint32_t i = 0; i < count; ++i) {
      results[i].results = nullptr;
      results[i].capacity = 0;
    }
  const int32_t status = AsnDecodeReadAccessResults(
      answer.data, answer.length, count, allocator,
      [&](uint32_t i, const VelmoraObjectId& id, AsnReadResultSlots* slots) -> int32_t {
        VelmoraReadMultiHandleResult& result = results[i];
        const VelmoraObjectId& asked = specs[i].object_id;
        if (id.type != asked.type) return ASN_BAD_PDU;
        if (id.instance == asked.instance) {
          result.object = requests[i].object;
        } else if (IsWildcard(asked)) {
          ApilImageGuard g(ApilImageLock());
          if (const uint32_t learnt =
                  DeviceImageLearnWildcard(requests[i].object, &to, id.instance, &result.object))
            return int32_t(learnt);
        } else {
          return ASN_BAD_PDU;
        }
        *slots = {&result.results, &result.capacity, &result.count};
        return ASN_OK;
      });
  if (status != ASN_OK && allocator) VelmoraReadMultiHandleResultFreeAll(allocator, results, count);
  return status;
}

// Offers every whole value of the answer to its object image, while the
// images are still those of the device at the address the request went
// to. 48 when a result's image is gone (or was given to another object)
// since.
uint32_t ReadMultiCacheValues(const LinkAddress& to, const VelmoraReadMultiHandleResult* results,
                              uint32_t count, const PduDesc& answer) {
  ApilImageGuard g(ApilImageLock());
  const DeviceImage* device = nullptr;
  bool keep = false;
  return uint32_t(AsnWalkReadAccessResults(
      answer.data, answer.length, count,
      [&](uint32_t i, const VelmoraObjectId& id, const uint8_t* list,
          const uint8_t* end) -> int32_t {
        ObjectImage* object = results[i].object;
        if (i == 0 && ObjectImageInUse(object)) {
          device = ObjectImageDevice(object);
          const LinkAddress* bound = DeviceImageAddress(device);
          keep = bound && AddrEqual(bound, &to);
        }
        if (!ObjectImageInUse(object) || ObjectImageDevice(object) != device ||
            !SameObject(ObjectImageGetId(object), id)) {
          ApilLogBadHandle("object", kOperation);
          return int32_t(APIL_BAD_OBJECT_HANDLE);
        }
        if (!keep || !list) return ASN_OK;
        AsnReadResultParts r{};
        for (const uint8_t* p = list + 1; AsnNextReadResult(p, end, &r); p = r.next)
          if (AsnReadResultIsValue(r) && r.array_index == VELMORA_NO_INDEX)
            DeviceImageCacheProperty(object, r.property, r.outcome + 1, r.outcome_length - 2);
        return ASN_OK;
      }));
}

}  // namespace

VelmoraStatus VelmoraReadPropertyMultiple(VelmoraDeviceHandle device,
                                          const VelmoraReadMultiHandleRequest* requests,
                                          VelmoraReadMultiHandleResult* results, uint32_t count,
                                          VelmoraFailure* failure, VelmoraAllocator* allocator) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (count == 0 || !requests || !results) return VELMORA_STATUS_INVALID_PARAMETER;
  LinkAddress to{};
  CommParams params{};
  SpecArray specs;
  {
    // The device and its objects are taken together: none of them can go
    // in between.
    ApilImageGuard g(ApilImageLock());
    if (const uint32_t status = DeviceImageResolve(device, kOperation, &to, &params))
      return ApilMapStatus(status);
    specs.reset(static_cast<VelmoraReadAccessSpec*>(
        OsaMemAlloc(size_t(count) * sizeof(VelmoraReadAccessSpec))));
    if (!specs) return VELMORA_STATUS_OUT_OF_MEMORY;
    if (const VelmoraStatus status = BuildSpecs(device, requests, count, specs.get()))
      return status;
  }
  if (!allocator)
    for (uint32_t i = 0; i < count; ++i)
      if (!ApilResultsUsable(results[i].results, results[i].capacity))
        return VELMORA_STATUS_INVALID_PARAMETER;

  const VelmoraReadMultiRequest asked{count, specs.get()};
  PduDesc answer{};
  VelmoraStatus status =
      ApilRequestWait(&to, &APIL_READ_PROPERTY_MULTIPLE_SERVICE, &asked, &params, &answer, failure);
  if (status == VELMORA_STATUS_OK) {
    uint32_t outcome = uint32_t(
        AsnDecodeReadMultiHandleAck(to, answer, requests, specs.get(), results, count, allocator));
    if (outcome == 0) {
      outcome = ReadMultiCacheValues(to, results, count, answer);
      // A read that fails leaves nothing allocated.
      if (outcome != 0 && allocator) VelmoraReadMultiHandleResultFreeAll(allocator, results, count);
    }
    status = ApilMapStatus(outcome);
  }
  PduDescFree(&answer);
  return status;
}
