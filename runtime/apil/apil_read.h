// What every read of the interface does with its request and its answer,
// by object handle or by address, waited for or completed on the delivery
// thread.
#pragma once

#include "bacnet/any_value.h"
#include "bacnet/asn_service.h"
#include "bacnet/records_refs.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/tsml/tsml.h"

// A value record the read may fill: with an allocator any, without one a
// buffer wherever a capacity is given.
inline bool ApilValueUsable(const VelmoraAnyValue* value, const VelmoraAllocator* allocator) {
  return value && (allocator || value->capacity == 0 || value->buffer);
}

// Without an allocator, a result's elements have the storage they claim.
inline bool ApilResultsUsable(const VelmoraReadResult* results, uint32_t capacity) {
  if (capacity != 0 && !results) return false;
  for (uint32_t i = 0; i < capacity; ++i)
    if (!ApilValueUsable(&results[i].value, nullptr)) return false;
  return true;
}

// Waits for a request's confirmation: the public status of its failure
// (its detail read into the failure record), with the data in `answer`,
// which the caller frees.
inline VelmoraStatus ApilRequestWait(const LinkAddress* to, const TsmlServiceDescriptor* row,
                                     const void* request, const CommParams* params, PduDesc* answer,
                                     VelmoraFailure* failure) {
  auto status = uint32_t(TsmlRequestExecute(nullptr, to, 0, row, request, answer, params, nullptr));
  return AsnDecodeFailureDetail(ApilEnded(status), {answer->data, answer->length}, failure);
}

// A value that is not the caller's after all: what the allocator gave goes
// back to it.
inline void ApilValueGiveBack(VelmoraAnyValue* value, VelmoraAllocator* allocator) {
  if (!allocator) return;
  if (value->buffer) allocator->ops->free(allocator, value->buffer);
  value->buffer = nullptr;
  value->capacity = 0;
}

// The echo names the object type, property and array index asked for.
inline bool ApilEchoesRequest(const VelmoraObjPropRef& request, const VelmoraObjPropRef& echo) {
  return echo.object_id.type == request.object_id.type && echo.property == request.property &&
         echo.array_index == request.array_index;
}

// Decodes a ReadProperty-ACK into value; check(echo) then judges the echo
// (a public status), and a value it refuses goes back to the allocator.
template <typename Check>
VelmoraStatus ApilReadPropertyAck(const PduDesc& answer, VelmoraAnyValue* value,
                                  VelmoraAllocator* allocator, Check check) {
  AsnCursor cursor = AsnCursorOver(answer.data, answer.length);
  VelmoraObjPropRef echo{};
  VelmoraStatus result =
      ApilMapStatus(uint32_t(AsnDecodeReadPropertyAck(&cursor, &echo, value, allocator)));
  if (result != VELMORA_STATUS_OK) return result;
  result = check(echo);
  if (result != VELMORA_STATUS_OK) ApilValueGiveBack(value, allocator);
  return result;
}
