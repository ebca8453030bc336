#include "bacnet/records_read.h"

#include "bacnet/record_accessors.h"

// ReadProperty request.

bool VelmoraReadPropertyRequestInit(VelmoraReadPropertyRequest* r, const VelmoraObjectId* id,
                                    uint32_t property) {
  if (!r || !id) return false;
  *r = {*id, property, -1};
  return true;
}
RECORD_PUT(VelmoraReadPropertyRequestSetObjectId, VelmoraReadPropertyRequest, VelmoraObjectId,
           r->object_id = *v)
RECORD_ADDRESS(VelmoraObjectId, VelmoraReadPropertyRequestGetObjectId, VelmoraReadPropertyRequest,
               r->object_id)
RECORD_SET(VelmoraReadPropertyRequestSetProperty, VelmoraReadPropertyRequest, uint32_t,
           r->property = v)
RECORD_GET(uint32_t, VelmoraReadPropertyRequestGetProperty, VelmoraReadPropertyRequest, UINT32_MAX,
           r->property)
RECORD_SET(VelmoraReadPropertyRequestSetArrayIndex, VelmoraReadPropertyRequest, int32_t,
           r->array_index = v)
RECORD_GET(int32_t, VelmoraReadPropertyRequestGetArrayIndex, VelmoraReadPropertyRequest, -1,
           r->array_index)
RECORD_COPY(VelmoraReadPropertyRequestCopy, VelmoraReadPropertyRequest)

// ReadPropertyMultiple request list.

bool VelmoraReadMultiRequestInit(VelmoraReadMultiRequest* r, VelmoraReadAccessSpec* specs,
                                 uint32_t count) {
  if (!r || !specs) return false;
  *r = {count, specs};
  return true;
}
RECORD_GET(uint32_t, VelmoraReadMultiRequestGetCount, VelmoraReadMultiRequest, UINT32_MAX, r->count)
RECORD_ELEMENT(VelmoraReadAccessSpec, VelmoraReadMultiRequestGetSpec, VelmoraReadMultiRequest,
               r->specs)
RECORD_COPY(VelmoraReadMultiRequestCopy, VelmoraReadMultiRequest)

// ReadPropertyMultiple result.

RECORD_LIST(VelmoraReadMultiResultSetBuffer, VelmoraReadMultiResult, VelmoraReadResult,
            RecordList::ArrayRequired, r->results, r->capacity)
RECORD_PUT(VelmoraReadMultiResultSetObjectId, VelmoraReadMultiResult, VelmoraObjectId,
           r->object_id = *v)
RECORD_ADDRESS(VelmoraObjectId, VelmoraReadMultiResultGetObjectId, VelmoraReadMultiResult,
               r->object_id)
RECORD_ELEMENT(VelmoraReadResult, VelmoraReadMultiResultGetResult, VelmoraReadMultiResult,
               r->results)
uint32_t VelmoraReadMultiResultGetCount(const VelmoraReadMultiResult* r, uint32_t kind) {
  return RecordResultCount(r, kind);
}
RECORD_COPY(VelmoraReadMultiResultCopy, VelmoraReadMultiResult)

bool VelmoraReadMultiResultFreeAll(VelmoraAllocator* allocator, VelmoraReadMultiResult* results,
                                   uint32_t n) {
  if (!allocator || !results) return false;
  for (uint32_t i = 0; i < n; ++i)
    RecordResultFree(allocator, &results[i]);
  return true;
}
