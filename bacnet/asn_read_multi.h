// The ReadPropertyMultiple request encoder and its size estimate (the
// service's descriptor row), and the decoders of its acknowledgement into
// the caller's results: values typed by the object type each read-access
// result names, in the caller's buffers or in blocks of an allocator.
//
// The decoders run on octets the APDU syntax checker accepted, yet never
// read past the end they are given.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/asn_status.h"
#include "bacnet/asn_tag.h"
#include "bacnet/records_read.h"

// A VelmoraReadMultiRequest: its read-access specifications in order; the
// first refusal is returned and leaves the cursor where it was.
int32_t AsnEncodeReadMultiRequest(const void* request, AsnCursor* cursor);
// 12 octets a property reference and 10 a read-access specification.
uint32_t AsnSizeReadMultiRequest(const void* request);

// The results of one list of results, from its opening tag [1] (at list,
// before end): their number, and the list's length with both tags to
// *length.
uint32_t AsnCountReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length);

// One result of a list of results, where its parts lie.
struct AsnReadResultParts {
  uint32_t property;
  uint32_t array_index;    // VELMORA_NO_INDEX: none
  const uint8_t* outcome;  // its value [4] or its error [5], with both tags
  uint32_t outcome_length;
  const uint8_t* next;
};
// The result at p (after the list's opening tag, or after the result
// before), or false at the list's closing tag, at its end, or at octets
// that are no result.
bool AsnNextReadResult(const uint8_t* p, const uint8_t* end, AsnReadResultParts* out);
// A value (opening tag [4]) rather than a property access error.
inline bool AsnReadResultIsValue(const AsnReadResultParts& r) { return *r.outcome == 0x4E; }

// Where the results of one read-access result go: an array of *capacity
// elements (with an allocator, one of as many elements as the list holds,
// zero-filled, is allocated there) and the number the list holds.
struct AsnReadResultSlots {
  VelmoraReadResult** results;
  uint32_t* capacity;
  uint32_t* count;
};

// Decodes the list at `list` (its opening tag [1]) for objects of
// objectType: each stored element gets its property, array index, and its
// value (success 1) or error (success 0); without an allocator only the
// first *capacity are stored. The list's length to *length. A value
// decoder's status on failure (4 no block, 52 a buffer too small), after
// giving back through the allocator what this call took there.
int32_t AsnDecodeReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length,
                             uint32_t objectType, AsnReadResultSlots slots,
                             VelmoraAllocator* allocator);

// Visits the read-access results of a ReadPropertyMultiple-ACK's service
// data in order: visit(i, object identifier, list, list end) with the list
// of results from its opening tag [1] to past its closing tag (list null
// when the result came without one). A status other than 0 from visit ends
// the walk with it; 65 unless the data holds exactly count results.
template <typename Visit>
int32_t AsnWalkReadAccessResults(const uint8_t* data, uint32_t length, uint32_t count,
                                 Visit visit) {
  constexpr uint8_t kObjectIdTag = 0x0C;  // [0], four octets
  constexpr uint32_t kObjectIdLength = 5;
  constexpr uint8_t kListOpen = 0x1E;  // [1]
  const uint8_t* p = data;
  const uint8_t* end = data + length;
  uint32_t i = 0;
  for (; i < count && p < end; ++i) {
    if (uint32_t(end - p) < kObjectIdLength || *p != kObjectIdTag) return ASN_BAD_PDU;
    VelmoraObjectId id{};
    AsnUnpackObjectId(&id, p + 1);
    p += kObjectIdLength;
    const uint8_t* list = nullptr;
    uint32_t listLength = 0;
    // A read-access result may come without its list of results.
    if (p < end && *p == kListOpen) {
      list = p;
      AsnCountReadResults(list, end, &listLength);
    }
    if (const int32_t status = visit(i, id, list, list ? list + listLength : nullptr))
      return status;
    p += listLength;
  }
  return i == count && p == end ? ASN_OK : ASN_BAD_PDU;
}

// Decodes the read-access results of an acknowledgement: place(i, object
// identifier, &slots) says where result i goes (or gives a status that
// ends the decode), and its values are typed by the object type it names.
// What the allocator gave is the caller's to give back after a failure.
template <typename Place>
int32_t AsnDecodeReadAccessResults(const uint8_t* data, uint32_t length, uint32_t count,
                                   VelmoraAllocator* allocator, Place place) {
  return AsnWalkReadAccessResults(data, length, count,
                                  [&](uint32_t i, const VelmoraObjectId& id, const uint8_t* list,
                                      const uint8_t* listEnd) -> int32_t {
                                    AsnReadResultSlots slots{};
                                    if (const int32_t status = place(i, id, &slots)) return status;
                                    if (!list) {
                                      *slots.count = 0;
                                      return ASN_OK;
                                    }
                                    uint32_t listLength = 0;
                                    return AsnDecodeReadResults(list, listEnd, &listLength, id.type,
                                                                slots, allocator);
                                  });
}

// The service data of a ReadPropertyMultiple-ACK into count results, one
// per read-access result, in order. 65 when the acknowledgement holds
// fewer or more read-access results; on any failure what the allocator
// gave in this call is given back (arrays, capacities and counts 0).
int32_t AsnDecodeReadMultiAck(const uint8_t* data, uint32_t length, VelmoraReadMultiResult* results,
                              uint32_t count, VelmoraAllocator* allocator);
