// The request and result records of ReadPropertyMultiple by object handle,
// with the conventions of the basic records: caller memory, null-guarded
// accessors taking the record first, false from a refused setter (which
// then writes nothing), shallow copies.
#include "bacnet/record_accessors.h"
#include "runtime/apil/velmora.h"

namespace {

// Reference i of a request, or none.
const VelmoraPropRef* RefAt(const VelmoraReadMultiHandleRequest* r, uint32_t i) {
  return r ? RecordElement(r->refs, i) : nullptr;
}

}  // namespace

bool VelmoraReadMultiHandleRequestInit(VelmoraReadMultiHandleRequest* r, VelmoraObjectHandle object,
                                       VelmoraPropRef* refs, uint32_t count) {
  if (!r || !refs) return false;
  *r = {object, count, refs};
  return true;
}
RECORD_SET(VelmoraReadMultiHandleRequestSetHandle, VelmoraReadMultiHandleRequest,
           VelmoraObjectHandle, r->object = v)
RECORD_GET(VelmoraObjectHandle, VelmoraReadMultiHandleRequestGetHandle,
           VelmoraReadMultiHandleRequest, nullptr, r->object)
RECORD_LIST(VelmoraReadMultiHandleRequestSetRefs, VelmoraReadMultiHandleRequest, VelmoraPropRef,
            RecordList::ArrayRequired, r->refs, r->count)
RECORD_GET(uint32_t, VelmoraReadMultiHandleRequestGetCount, VelmoraReadMultiHandleRequest,
           UINT32_MAX, r->count)
RECORD_ELEMENT(VelmoraPropRef, VelmoraReadMultiHandleRequestGetRef, VelmoraReadMultiHandleRequest,
               r->refs)
uint32_t VelmoraReadMultiHandleRequestGetRefProperty(const VelmoraReadMultiHandleRequest* r,
                                                     uint32_t i) {
  const VelmoraPropRef* ref = RefAt(r, i);
  return ref ? ref->property : UINT32_MAX;
}
uint32_t VelmoraReadMultiHandleRequestGetRefArrayIndex(const VelmoraReadMultiHandleRequest* r,
                                                       uint32_t i) {
  const VelmoraPropRef* ref = RefAt(r, i);
  return ref ? ref->array_index : UINT32_MAX;
}
RECORD_COPY(VelmoraReadMultiHandleRequestCopy, VelmoraReadMultiHandleRequest)

RECORD_LIST(VelmoraReadMultiHandleResultSetBuffer, VelmoraReadMultiHandleResult, VelmoraReadResult,
            RecordList::ArrayRequired, r->results, r->capacity)
RECORD_SET(VelmoraReadMultiHandleResultSetHandle, VelmoraReadMultiHandleResult, VelmoraObjectHandle,
           r->object = v)
RECORD_GET(VelmoraObjectHandle, VelmoraReadMultiHandleResultGetHandle, VelmoraReadMultiHandleResult,
           nullptr, r->object)
RECORD_ELEMENT(VelmoraReadResult, VelmoraReadMultiHandleResultGetResult,
               VelmoraReadMultiHandleResult, r->results)
uint32_t VelmoraReadMultiHandleResultGetCount(const VelmoraReadMultiHandleResult* r,
                                              uint32_t kind) {
  return RecordResultCount(r, kind);
}

bool VelmoraReadMultiHandleResultFreeAll(VelmoraAllocator* allocator,
                                         VelmoraReadMultiHandleResult* results, uint32_t n) {
  if (!allocator || !results) return false;
  for (uint32_t i = 0; i < n; ++i) {
    RecordResultFree(allocator, &results[i]);
    results[i].object = nullptr;
  }
  return true;
}
