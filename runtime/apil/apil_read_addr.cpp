// ReadProperty and ReadPropertyMultiple to a device named by its address:
// waited for on the caller's thread, or completed on the "confimed async
// receive" thread through the caller's callback.
#include "bacnet/asn_read_multi.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_async.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_read.h"
#include "runtime/apil/apil_services.h"
#include "runtime/apil/velmora.h"

namespace {

VelmoraObjPropRef Reference(const VelmoraReadPropertyRequest& r) {
  return {r.object_id, r.property, uint32_t(r.array_index)};
}

// The echo names what was asked for; the device object's wildcard instance
// is answered by any device.
VelmoraStatus EchoCheck(const VelmoraObjPropRef& request, const VelmoraObjPropRef& echo) {
  const bool wildcard = request.object_id.type == APIL_OBJECT_DEVICE &&
                        request.object_id.instance == APIL_WILDCARD_INSTANCE;
  if (!ApilEchoesRequest(request, echo) ||
      (echo.object_id.instance != request.object_id.instance && !wildcard))
    return VELMORA_STATUS_INVALID_PACKET;
  return VELMORA_STATUS_OK;
}

// A ReadProperty's outcome once its failure, if any, has been read.
VelmoraStatus ReadPropertyOutcome(VelmoraStatus status, const PduDesc& answer,
                                  const VelmoraReadPropertyRequest& request, VelmoraAnyValue* value,
                                  VelmoraAllocator* allocator) {
  if (status != VELMORA_STATUS_OK) return status;
  const VelmoraObjPropRef asked = Reference(request);
  return ApilReadPropertyAck(answer, value, allocator,
                             [&](const VelmoraObjPropRef& echo) { return EchoCheck(asked, echo); });
}

VelmoraStatus ReadMultiOutcome(VelmoraStatus status, const PduDesc& answer,
                               VelmoraReadMultiResult* results, uint32_t count,
                               VelmoraAllocator* allocator) {
  if (status != VELMORA_STATUS_OK) return status;
  return ApilMapStatus(
      uint32_t(AsnDecodeReadMultiAck(answer.data, answer.length, results, count, allocator)));
}

void ReadPropertyDelivered(ApilCompletion* done) {
  const ApilContextWords& w = done->words;
  const auto* request = static_cast<const VelmoraReadPropertyRequest*>(w.word[APIL_WORD_RECORD]);
  auto* value = static_cast<VelmoraAnyValue*>(w.word[APIL_WORD_VALUE]);
  auto* allocator = static_cast<VelmoraAllocator*>(w.word[APIL_WORD_ALLOCATOR]);
  const VelmoraStatus status =
      ReadPropertyOutcome(done->status, done->answer, *request, value, allocator);
  auto callback = reinterpret_cast<VelmoraReadPropertyCallback>(w.word[APIL_WORD_CALLBACK]);
  callback(done->handle, &done->remote, &done->local, status, request, value,
           static_cast<VelmoraFailure*>(w.word[APIL_WORD_USER]));
}

void ReadPropertyByAddressDone(CliTsm* tsm, int outcome, const TsmCliInfo* info) {
  ApilAsyncCompletion(tsm, outcome, info, ReadPropertyDelivered);
}

void ReadMultiDelivered(ApilCompletion* done) {
  const ApilContextWords& w = done->words;
  auto* results = static_cast<VelmoraReadMultiResult*>(w.word[APIL_WORD_RECORD]);
  const auto count = uint32_t(reinterpret_cast<uintptr_t>(w.word[APIL_WORD_VALUE]));
  auto* allocator = static_cast<VelmoraAllocator*>(w.word[APIL_WORD_ALLOCATOR]);
  const VelmoraStatus status =
      ReadMultiOutcome(done->status, done->answer, results, count, allocator);
  auto callback = reinterpret_cast<VelmoraReadPropertyMultipleCallback>(w.word[APIL_WORD_CALLBACK]);
  callback(done->handle, &done->remote, &done->local, status, results, count,
           static_cast<VelmoraFailure*>(w.word[APIL_WORD_USER]));
}

void ReadPropertyMultipleByAddressDone(CliTsm* tsm, int outcome, const TsmCliInfo* info) {
  ApilAsyncCompletion(tsm, outcome, info, ReadMultiDelivered);
}

// Every read-access specification names properties; without an allocator every result
// has the storage it claims.
bool ReadMultiArgumentsUsable(const VelmoraReadMultiRequest& request,
                              const VelmoraReadMultiResult* results,
                              const VelmoraAllocator* allocator) {
  if (request.count == 0 || !request.specs || !results) return false;
  for (uint32_t i = 0; i < request.count; ++i)
    if (!request.specs[i].refs || request.specs[i].count == 0) return false;
  if (allocator) return true;
  for (uint32_t i = 0; i < request.count; ++i)
    if (!ApilResultsUsable(results[i].results, results[i].capacity)) return false;
  return true;
}

template <typename Callback>
void* CallbackWord(Callback callback) {
  return reinterpret_cast<void*>(callback);
}

}  // namespace

VelmoraStatus VelmoraReadPropertyByAddress(uint32_t, const VelmoraAddress* address,
                                           const VelmoraReadPropertyRequest* request,
                                           VelmoraReadPropertyCallback callback,
                                           const CommParams* params, VelmoraRequestHandle* handle,
                                           VelmoraAnyValue* value, VelmoraFailure* failure,
                                           VelmoraAllocator* allocator) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  LinkAddress to{};
  if (!AddrFromPublic(address, &to)) return VELMORA_STATUS_INVALID_ADDRESS;
  if (!request || !ApilValueUsable(value, allocator)) return VELMORA_STATUS_INVALID_PARAMETER;
  if (handle) *handle = nullptr;
  const VelmoraObjPropRef asked = Reference(*request);
  if (callback) {
    const ApilContextWords words = {{failure, CallbackWord(callback),
                                     const_cast<VelmoraReadPropertyRequest*>(request), value,
                                     allocator}};
    return ApilAsyncExecute(&to, &APIL_READ_PROPERTY_SERVICE, &asked, params,
                            ReadPropertyByAddressDone, words, handle);
  }
  PduDesc answer{};
  VelmoraStatus status =
      ApilRequestWait(&to, &APIL_READ_PROPERTY_SERVICE, &asked, params, &answer, failure);
  status = ReadPropertyOutcome(status, answer, *request, value, allocator);
  PduDescFree(&answer);
  return status;
}

VelmoraStatus VelmoraReadPropertyMultipleByAddress(
    uint32_t, const VelmoraAddress* address, const VelmoraReadMultiRequest* request,
    VelmoraReadPropertyMultipleCallback callback, const CommParams* params,
    VelmoraRequestHandle* handle, VelmoraReadMultiResult* results, VelmoraFailure* failure,
    VelmoraAllocator* allocator) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!request) return VELMORA_STATUS_INVALID_PARAMETER;
  const VelmoraReadMultiRequest asked = *request;
  LinkAddress to{};
  if (!AddrFromPublic(address, &to)) return VELMORA_STATUS_INVALID_ADDRESS;
  if (!ReadMultiArgumentsUsable(asked, results, allocator)) return VELMORA_STATUS_INVALID_PARAMETER;
  if (handle) *handle = nullptr;
  if (callback) {
    const ApilContextWords words = {{failure, CallbackWord(callback), results,
                                     reinterpret_cast<void*>(uintptr_t(asked.count)), allocator}};
    return ApilAsyncExecute(&to, &APIL_READ_PROPERTY_MULTIPLE_SERVICE, &asked, params,
                            ReadPropertyMultipleByAddressDone, words, handle);
  }
  PduDesc answer{};
  VelmoraStatus status =
      ApilRequestWait(&to, &APIL_READ_PROPERTY_MULTIPLE_SERVICE, &asked, params, &answer, failure);
  status = ReadMultiOutcome(status, answer, results, asked.count, allocator);
  PduDescFree(&answer);
  return status;
}
