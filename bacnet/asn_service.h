// Parameters of the services the library sends or answers by itself:
// ReadProperty and its acknowledgement, Who-Is, ConfirmedPrivateTransfer and
// its Error, the Error of the list-changing services, CreateObject.
//
// Encoders have the (parameters, cursor) -> status form and leave the cursor
// where it was when they refuse. Decoders run on service parameters the
// APDU syntax checker accepted and check no tags.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/asn_tag.h"
#include "bacnet/bacnet_enums.h"
#include "bacnet/records_refs.h"

// The most octets an encoded ReadProperty request takes.
inline constexpr uint32_t ASN_READ_PROPERTY_SIZE = 50;

// Who-Is range: low -1 and high 0xFFFFFFFF (-1) for none, else both
// instances with low <= high.
struct AsnWhoIsParams {
  int32_t low;
  uint32_t high;
};

struct VelmoraPrivateTransfer {
  uint32_t vendor_id;
  uint32_t service_number;
  uint8_t parameters_present;  // 0: no service parameters
  uint8_t* parameters;         // the encoded octets between the opening and closing tag
  uint32_t buffer_size;        // bytes available at parameters
  uint32_t length;             // bytes of parameters
};

// Choices of the object specifier.
inline constexpr uint32_t VELMORA_CREATE_BY_TYPE = 0;
inline constexpr uint32_t VELMORA_CREATE_BY_ID = 1;

struct VelmoraCreateObjectRequest {
  uint32_t choice;         // VELMORA_CREATE_BY_*
  VelmoraObjectId object;  // by type: only the type is used
  uint8_t values_present;
  const VelmoraPropertyValue* values;
  uint32_t count;
};

// ReadProperty request: a VelmoraObjPropRef.
int32_t AsnEncodeReadProperty(const void* request, AsnCursor* cursor);
uint32_t AsnSizeReadProperty(const void* request);
// The acknowledgement's reference to echo (may be null) and its value, typed
// by the property value layer into the value's buffer or a block of the
// allocator; the value layer's status.
int32_t AsnDecodeReadPropertyAck(AsnCursor* cursor, VelmoraObjPropRef* echo, VelmoraAnyValue* value,
                                 VelmoraAllocator* allocator);

// Nothing without a range; 16 for a range that is not one.
int32_t AsnEncodeWhoIs(const void* params, AsnCursor* cursor);

// 44 for parameters longer than their buffer or without data.
int32_t AsnEncodePrivateTransfer(const void* transfer, AsnCursor* cursor);
uint32_t AsnSizePrivateTransfer(const void* transfer);
int32_t AsnEncodePrivateTransferError(uint32_t errorClass, uint32_t errorCode,
                                      const VelmoraPrivateTransfer* transfer, AsnCursor* cursor);
// Parameters copied to the arena's top; the record's size plus theirs is
// what AsnDecodedSizePrivateTransfer answers.
int32_t AsnDecodePrivateTransferArena(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizePrivateTransfer(const uint8_t* data, uint32_t length);
// Parameters into a block of the allocator (4 when it gives none) or, without
// one, into the record's own buffer; 52 when that is missing or too small,
// with the length they need.
int32_t AsnDecodePrivateTransferAlloc(AsnCursor* cursor, VelmoraPrivateTransfer* out,
                                      VelmoraAllocator* allocator);
// The error pair (either output may be null), then the transfer as above.
int32_t AsnDecodePrivateTransferError(const uint8_t* data, uint32_t length, uint32_t* errorClass,
                                      uint32_t* errorCode, VelmoraPrivateTransfer* out,
                                      VelmoraAllocator* allocator);

// The error pair and the first failed element number; either may be null.
void AsnDecodeChangeListError(AsnCursor* cursor, VelmoraError* error, uint32_t* firstFailed);

// Initial values go through the property value codec of the datatype table;
// 13 while it has none, 53 for an unknown specifier choice.
int32_t AsnEncodeCreateObject(const void* request, AsnCursor* cursor);
