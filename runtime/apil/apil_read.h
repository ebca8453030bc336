// What every ReadProperty of the interface does with its answer, by object
// handle or by address, waited for or completed on the delivery thread.
#pragma once

#include "bacnet/any_value.h"
#include "bacnet/asn_service.h"
#include "bacnet/records_refs.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_msg.h"

// A value record the read may fill: with an allocator any, without one a
// buffer wherever a capacity is given.
inline bool ApilValueUsable(const VelmoraAnyValue* value, const VelmoraAllocator* allocator) {
  return value && (allocator || value->capacity == 0 || value->buffer);
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
