// Codecs of commands and read access: BACnetActionCommand (datatype 50),
// BACnetActionList (40), ReadAccessSpecification (41) and ReadAccessResult
// (42), reached through the datatype table; the list of read access results
// of a ReadPropertyMultiple acknowledgement; and the decoder of a received
// WriteProperty request.
//
// Encoders leave the cursor where it was when they refuse: 18 no room, 16 an
// action command priority outside 1-16 that is not -1, 44 a list without its
// array, and the statuses of the primitive and value encoders. Decoders are
// positional, for octets the syntax checker accepted, yet never read past
// the cursor's end. Values are typed by their object's type and property
// and go to the arena with the lists' arrays; the decoded-size functions
// give exactly the storage the decoders take.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_schedule.h"

int32_t AsnEncodeActionCommand(const void* value, AsnCursor* cursor);
// One action command at the cursor, its value typed by its object type and
// property.
void AsnDecodeActionCommand(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeActionCommand(const uint8_t* element, uint32_t available);

int32_t AsnEncodeActionList(const void* value, AsnCursor* cursor);
void AsnDecodeActionList(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeActionList(const uint8_t* element, uint32_t available);

int32_t AsnEncodeReadAccessSpec(const void* value, AsnCursor* cursor);
void AsnDecodeReadAccessSpec(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeReadAccessSpec(const uint8_t* element, uint32_t available);

// Without a result array only the object identifier is written; an empty
// array gives an empty list. Decoding keeps the two apart: a present empty
// list has a non-null array (of no elements), an absent one a null array.
int32_t AsnEncodeReadAccessResult(const void* value, AsnCursor* cursor);
void AsnDecodeReadAccessResult(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeReadAccessResult(const uint8_t* element, uint32_t available);
// count results one after another, as a ReadPropertyMultiple
// acknowledgement holds them; the first refusal ends it and leaves the
// cursor where it was (2 for a count without an array).
int32_t AsnEncodeReadAccessResultList(const VelmoraReadAccessResult* results, uint32_t count,
                                      AsnCursor* cursor);

// A received WriteProperty request, pointing into the request's octets.
struct AsnWritePropertyRequest {
  const uint8_t* object_id;  // the 4 packed octets; null when the request has none
  uint32_t property;
  int32_t array_index;   // -1 none
  const uint8_t* value;  // the value element's contents; null when absent
  uint32_t value_length;
  int32_t priority;  // -1 none
};

// Fills the record from the service parameters at the cursor; a request
// that ends early leaves the value absent and the priority -1. 2 for a
// missing cursor or record.
int32_t AsnDecodeWritePropertyRequest(AsnCursor* cursor, AsnWritePropertyRequest* out);
