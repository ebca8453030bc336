// The records of the reads by address: one ReadProperty request, and a
// ReadPropertyMultiple request list with the caller's result for each of
// its read-access specifications. They follow the conventions of the basic
// records: caller memory, null-guarded accessors taking the record first,
// false from a refused setter (which then writes nothing), shallow copies.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/records_refs.h"

struct VelmoraReadPropertyRequest {
  VelmoraObjectId object_id;
  uint32_t property;
  int32_t array_index;  // -1: none
};

struct VelmoraReadMultiRequest {
  uint32_t count;  // read-access specifications
  VelmoraReadAccessSpec* specs;
};

// The answer for one read-access specification. count is what the
// acknowledgement carried and may exceed the capacity: only the first
// capacity elements are stored.
struct VelmoraReadMultiResult {
  VelmoraObjectId object_id;  // as the device echoed it
  uint32_t capacity;          // elements of results
  uint32_t count;
  VelmoraReadResult* results;
};

// Kinds of VelmoraReadMultiResultGetCount.
inline constexpr uint32_t VELMORA_RESULT_CAPACITY = 0;
inline constexpr uint32_t VELMORA_RESULT_COUNT = 1;
inline constexpr uint32_t VELMORA_RESULT_STORED = 2;

// ReadProperty request. Init sets no array index. GetObjectId gives the
// identifier's address, which is the record's own; the getters answer -1
// (all ones) for a missing record.
bool VelmoraReadPropertyRequestInit(VelmoraReadPropertyRequest* r, const VelmoraObjectId* id,
                                    uint32_t property);
bool VelmoraReadPropertyRequestSetObjectId(VelmoraReadPropertyRequest* r,
                                           const VelmoraObjectId* id);
VelmoraObjectId* VelmoraReadPropertyRequestGetObjectId(VelmoraReadPropertyRequest* r);
const VelmoraObjectId* VelmoraReadPropertyRequestGetObjectId(const VelmoraReadPropertyRequest* r);
bool VelmoraReadPropertyRequestSetProperty(VelmoraReadPropertyRequest* r, uint32_t property);
uint32_t VelmoraReadPropertyRequestGetProperty(const VelmoraReadPropertyRequest* r);
bool VelmoraReadPropertyRequestSetArrayIndex(VelmoraReadPropertyRequest* r, int32_t index);
int32_t VelmoraReadPropertyRequestGetArrayIndex(const VelmoraReadPropertyRequest* r);
bool VelmoraReadPropertyRequestCopy(VelmoraReadPropertyRequest* dst,
                                    const VelmoraReadPropertyRequest* src);

// ReadPropertyMultiple request list: the read-access array is required.
bool VelmoraReadMultiRequestInit(VelmoraReadMultiRequest* r, VelmoraReadAccessSpec* specs,
                                 uint32_t count);
uint32_t VelmoraReadMultiRequestGetCount(const VelmoraReadMultiRequest* r);
VelmoraReadAccessSpec* VelmoraReadMultiRequestGetSpec(const VelmoraReadMultiRequest* r, uint32_t i);
bool VelmoraReadMultiRequestCopy(VelmoraReadMultiRequest* dst, const VelmoraReadMultiRequest* src);

// ReadPropertyMultiple result: the element array is required. GetCount
// answers the capacity, the count, or the elements stored (the smaller of
// both) by kind, -1 (all ones) for another kind or a missing record.
bool VelmoraReadMultiResultSetBuffer(VelmoraReadMultiResult* r, VelmoraReadResult* results,
                                     uint32_t capacity);
bool VelmoraReadMultiResultSetObjectId(VelmoraReadMultiResult* r, const VelmoraObjectId* id);
VelmoraObjectId* VelmoraReadMultiResultGetObjectId(VelmoraReadMultiResult* r);
const VelmoraObjectId* VelmoraReadMultiResultGetObjectId(const VelmoraReadMultiResult* r);
VelmoraReadResult* VelmoraReadMultiResultGetResult(const VelmoraReadMultiResult* r, uint32_t i);
uint32_t VelmoraReadMultiResultGetCount(const VelmoraReadMultiResult* r, uint32_t kind);
bool VelmoraReadMultiResultCopy(VelmoraReadMultiResult* dst, const VelmoraReadMultiResult* src);
// Gives back through the allocator what a read stored there: of each of
// the n results with an array, every element's value buffer that is set,
// then the array; array, capacity and count become 0. False without an
// allocator or a result array.
bool VelmoraReadMultiResultFreeAll(VelmoraAllocator* allocator, VelmoraReadMultiResult* results,
                                   uint32_t n);
