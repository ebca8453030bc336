#include "bacnet/asn_read_multi.h"

#include <algorithm>
#include <cstring>

#include "bacnet/asn_commands.h"
#include "bacnet/asn_construct.h"
#include "bacnet/asn_value_decode.h"

namespace {

constexpr uint8_t kObjectIdTag = 0x0C;  // [0], four octets
constexpr uint32_t kObjectIdLength = 5;
constexpr uint8_t kListOpen = 0x1E;  // [1]
constexpr uint8_t kListClose = 0x1F;
constexpr uint8_t kValueOpen = 0x4E;  // [4]; an error is [5]

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

// One result of a list: where its parts lie.
struct ResultParts {
  const uint8_t* property;
  const uint8_t* index;  // null: none
  const uint8_t* outcome;
  uint32_t outcomeLength;
  const uint8_t* next;
};

// The result at p, or false at the list's end (or at octets that are no
// result, which end the list as well).
bool NextResult(const uint8_t* p, const uint8_t* end, ResultParts* out) {
  if (p >= end || *p == kListClose) return false;
  uint32_t n = ElementAt(p, end);
  if (n == 0) return false;
  out->property = p;
  p += n;
  out->index = nullptr;
  if (IsContextPrimitive(p, end, 3)) {
    out->index = p;
    if ((n = ElementAt(p, end)) == 0) return false;
    p += n;
  }
  if ((n = ElementAt(p, end)) < 2) return false;
  out->outcome = p;
  out->outcomeLength = n;
  out->next = p + n;
  return true;
}

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

uint32_t AsnCountReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length) {
  const uint8_t* p = list + 1;
  uint32_t n = 0;
  for (ResultParts r{}; NextResult(p, end, &r); p = r.next)
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
  ResultParts r{};
  for (uint32_t i = 0; i < stored && NextResult(p, end, &r); ++i, p = r.next) {
    VelmoraReadResult& e = array[i];
    e.property = UnsignedAt(r.property);
    e.array_index = r.index ? UnsignedAt(r.index) : VELMORA_NO_INDEX;
    e.success = *r.outcome == kValueOpen;
    if (!e.success) {
      // An error holds no value; the caller's buffer stays the caller's.
      e.value.type = ASN_TYPE_NONE;
      e.value.count = 0;
      AsnCursor c = AsnCursorOverConst(r.outcome + 1, r.outcomeLength - 2);
      AsnDecodeUnsignedPair(&c, &e.error.error_class, &e.error.error_code);
      continue;
    }
    const int32_t status =
        AsnDecodePropertyAlloc(objectType, e.property, int32_t(e.array_index), r.outcome + 1,
                               r.outcomeLength - 2, &e.value, allocator);
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
  const uint8_t* p = data;
  const uint8_t* end = data + length;
  int32_t status = ASN_OK;
  uint32_t i = 0;
  for (; i < count && p < end; ++i) {
    VelmoraReadMultiResult& result = results[i];
    if (uint32_t(end - p) < kObjectIdLength || *p != kObjectIdTag) {
      status = ASN_BAD_PDU;
      break;
    }
    AsnUnpackObjectId(&result.object_id, p + 1);
    p += kObjectIdLength;
    if (p == end || *p != kListOpen) {
      // A read-access result may come without its list of results.
      result.count = 0;
      continue;
    }
    uint32_t listLength = 0;
    status = AsnDecodeReadResults(p, end, &listLength, result.object_id.type,
                                  {&result.results, &result.capacity, &result.count}, allocator);
    if (status != ASN_OK) break;
    p += listLength;
  }
  if (status == ASN_OK && (i < count || p != end)) status = ASN_BAD_PDU;
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
