#include "bacnet/asn_read_multi.h"

#include <algorithm>
#include <cstring>

#include "bacnet/asn_commands.h"
#include "bacnet/asn_construct.h"
#include "bacnet/asn_value_decode.h"

namespace {

constexpr uint8_t kListClose = 0x1F;  // [1]

// The element at p when it lies wholly before end, else 0.
uint32_t ElementAt(const uint8_t* p, const uint8_t* end) {
  const int32_t n = AsnTagSkipElement(p, end);
  return n > 0 ? uint32_t(n) : 0;
}

bool IsContextPrimitive(const uint8_t* p, const uint8_t* end, uint8_t number) {
  return p < end && (*p & 0xF8) == AsnContextTag(number) && !AsnIsOpeningTag(*p) &&
         !AsnIsClosingTag(*p);
}

// A primitive's unsigned value (property identifiers and array indexes
// take at most four octets).
uint32_t UnsignedAt(const uint8_t* p) { return AsnUnpackUnsigned(AsnTagValueLength(p), p + 1); }

int32_t EncodeRequest(const VelmoraReadMultiRequest* r, AsnCursor* c) {
  if (r->count != 0 && !r->specs) return ASN_MISSING_RECORD;
  int32_t status = ASN_OK;
  for (uint32_t i = 0; i < r->count && status == ASN_OK; ++i)
    status = AsnEncodeReadAccessSpec(&r->specs[i], c);
  return status;
}

void GiveBack(VelmoraAllocator* allocator, VelmoraReadResult* results, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i)
    if (results[i].value.buffer) allocator->ops->free(allocator, results[i].value.buffer);
  allocator->ops->free(allocator, results);
}

}  // namespace

bool AsnNextReadResult(const uint8_t* p, const uint8_t* end, AsnReadResultParts* out) {
  if (p >= end || *p == kListClose) return false;
  uint32_t n = ElementAt(p, end);
  if (n == 0) return false;
  out->property = UnsignedAt(p);
  p += n;
  out->array_index = VELMORA_NO_INDEX;
  if (IsContextPrimitive(p, end, 3)) {
    if ((n = ElementAt(p, end)) == 0) return false;
    out->array_index = UnsignedAt(p);
    p += n;
  }
  if ((n = ElementAt(p, end)) < 2) return false;
  out->outcome = p;
  out->outcome_length = n;
  out->next = p + n;
  return true;
}

uint32_t AsnCountReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length) {
  const uint8_t* p = list + 1;
  uint32_t n = 0;
  for (AsnReadResultParts r{}; AsnNextReadResult(p, end, &r); p = r.next)
    ++n;
  if (p < end && *p == kListClose) ++p;
  *length = uint32_t(p - list);
  return n;
}

int32_t AsnDecodeReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length,
                             uint32_t objectType, AsnReadResultSlots slots,
                             VelmoraAllocator* allocator) {
  const uint32_t n = AsnCountReadResults(list, end, length);
  *slots.count = n;
  if (allocator) {
    *slots.results = nullptr;
    *slots.capacity = 0;
    if (n != 0) {
      // Nothing is allocated for an empty list: an allocator may give no
      // block of no bytes.
      auto* array = static_cast<VelmoraReadResult*>(
          allocator->ops->alloc(allocator, n * sizeof(VelmoraReadResult)));
      if (!array) return ASN_NO_MEMORY;
      std::memset(static_cast<void*>(array), 0, n * sizeof(VelmoraReadResult));
      *slots.results = array;
      *slots.capacity = n;
    }
  }
  VelmoraReadResult* array = *slots.results;
  const uint32_t stored = array ? std::min(n, *slots.capacity) : 0;
  const uint8_t* p = list + 1;
  AsnReadResultParts r{};
  for (uint32_t i = 0; i < stored && AsnNextReadResult(p, end, &r); ++i, p = r.next) {
    VelmoraReadResult& e = array[i];
    e.property = r.property;
    e.array_index = r.array_index;
    e.success = AsnReadResultIsValue(r);
    if (!e.success) {
      // An error holds no value; the caller's buffer stays the caller's.
      e.value.type = ASN_TYPE_NONE;
      e.value.count = 0;
      AsnCursor c = AsnCursorOverConst(r.outcome + 1, r.outcome_length - 2);
      AsnDecodeUnsignedPair(&c, &e.error.error_class, &e.error.error_code);
      continue;
    }
    const int32_t status =
        AsnDecodePropertyAlloc(objectType, e.property, int32_t(e.array_index), r.outcome + 1,
                               r.outcome_length - 2, &e.value, allocator);
    if (status != ASN_OK) {
      if (allocator) {
        GiveBack(allocator, array, n);
        *slots.results = nullptr;
        *slots.capacity = 0;
      }
      return status;
    }
  }
  return ASN_OK;
}

int32_t AsnDecodeReadMultiAck(const uint8_t* data, uint32_t length, VelmoraReadMultiResult* results,
                              uint32_t count, VelmoraAllocator* allocator) {
  if (allocator)
    for (uint32_t i = 0; i < count; ++i) {
      results[i].results = nullptr;
      results[i].capacity = 0;
    }
  const int32_t status = AsnDecodeReadAccessResults(
      data, length, count, allocator,
      [&](uint32_t i, const VelmoraObjectId& id, AsnReadResultSlots* slots) {
        VelmoraReadMultiResult& result = results[i];
        result.object_id = id;
        *slots = {&result.results, &result.capacity, &result.count};
        return ASN_OK;
      });
  if (status != ASN_OK && allocator) VelmoraReadMultiResultFreeAll(allocator, results, count);
  return status;
}

int32_t AsnEncodeReadMultiRequest(const void* request, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraReadMultiRequest, EncodeRequest>(request, cursor);
}

uint32_t AsnSizeReadMultiRequest(const void* request) {
  const auto* r = static_cast<const VelmoraReadMultiRequest*>(request);
  uint64_t size = 0;
  for (uint32_t i = 0; r && r->specs && i < r->count; ++i)
    size += uint64_t(r->specs[i].count) * 12 + 10;
  return uint32_t(std::min<uint64_t>(size, UINT32_MAX));
}
