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
#include "bacnet/asn_tag.h"
#include "bacnet/records_read.h"

// A VelmoraReadMultiRequest: its read-access specifications in order; the
// first refusal is returned and leaves the cursor where it was.
int32_t AsnEncodeReadMultiRequest(const void* request, AsnCursor* cursor);
// 12 octets a property reference and 10 a specification.
uint32_t AsnSizeReadMultiRequest(const void* request);

// The results of one list of results, from its opening tag [1] (at list,
// before end): their number, and the list's length with both tags to
// *length.
uint32_t AsnCountReadResults(const uint8_t* list, const uint8_t* end, uint32_t* length);

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

// The service data of a ReadPropertyMultiple-ACK into count results, one
// per read-access result, in order. 65 when the acknowledgement holds
// fewer or more read-access results; on any failure what the allocator
// gave in this call is given back (arrays, capacities and counts 0).
int32_t AsnDecodeReadMultiAck(const uint8_t* data, uint32_t length, VelmoraReadMultiResult* results,
                              uint32_t count, VelmoraAllocator* allocator);
