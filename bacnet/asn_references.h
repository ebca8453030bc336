// Codecs of the address and reference records: network address, object
// property reference (also the whole of a ReadProperty request and the head
// of its acknowledgement), property value, recipient, setpoint reference,
// destination, property reference, address binding, device object property
// value, VT session and session key.
//
// Encoders have the (record, cursor) -> status form and leave the cursor
// where it was when they refuse: 18 no room, 2 a bad object identifier, 27
// a negative array index other than -1, 44 a MAC longer than 7 octets, 53
// an unknown choice, 16 a property value priority outside 1-16 and not -1;
// a value's array encoder adds 13 and 44. Decoders are positional, on
// octets the syntax checker accepted, and read nothing outside the cursor
// whatever the octets; a null output only moves the cursor past the value.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_session.h"

struct AsnCarver;

// The object type a property value has when nothing names its object.
inline constexpr uint32_t ASN_ANY_OBJECT_TYPE = 1023;

// Network number (0 unless remote), then the MAC. Decoding keeps the
// network number in 16 bits and sets the remote flag exactly when those 16
// bits are not 0; a MAC longer than 7 octets keeps its first 7.
int32_t AsnEncodeAddress(const void* value, AsnCursor* cursor);
void AsnDecodeAddress(AsnCursor* cursor, void* out);

// [0] object identifier, [1] property, [2] array index unless it is -1.
int32_t AsnEncodeObjPropRef(const void* value, AsnCursor* cursor);
void AsnDecodeObjPropRef(AsnCursor* cursor, void* out);

// [0] property, [1] array index unless it is -1.
int32_t AsnEncodePropRef(const void* value, AsnCursor* cursor);
void AsnDecodePropRef(AsnCursor* cursor, void* out);

// [0] property, [1] array index, [2]{ value }, [3] priority unless it is
// -1. The value is typed by the property of the object type given (the
// table's decoder knows none) and carved from the arena. The decoded size
// also reports the octets of the encoded element.
int32_t AsnEncodePropertyValue(const void* value, AsnCursor* cursor);
void AsnDecodePropertyValue(AsnCursor* cursor, void* out, uint8_t** arena);
void AsnDecodePropertyValueForType(uint32_t objectType, AsnCursor* cursor, void* out,
                                   uint8_t** arena);
uint32_t AsnDecodedSizePropertyValue(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizePropertyValueForType(uint32_t objectType, const uint8_t* element,
                                            uint32_t available, uint32_t* encodedLength);
// The decode and the measure as one walk of bacnet/asn_construct.h, for the
// codecs that hold property values in lists of their own; without a carver
// the value is only stepped over.
void AsnPropertyValueWalk(uint32_t objectType, AsnCursor* cursor, VelmoraPropertyValue* out,
                          AsnCarver* carver);

// [0] device identifier, or [1]{ address }. An unknown choice tag leaves
// the record as it was and is stepped over.
int32_t AsnEncodeRecipient(const void* value, AsnCursor* cursor);
void AsnDecodeRecipient(AsnCursor* cursor, void* out);

// [0]{ object property reference } when present, nothing at all when not.
int32_t AsnEncodeSetpointRef(const void* value, AsnCursor* cursor);
void AsnDecodeSetpointRef(AsnCursor* cursor, void* out);

// Valid days, from, to, recipient, process, issue-confirmed, transitions.
int32_t AsnEncodeDestination(const void* value, AsnCursor* cursor);
void AsnDecodeDestination(AsnCursor* cursor, void* out);

// Device identifier, then the address.
int32_t AsnEncodeAddressBinding(const void* value, AsnCursor* cursor);
void AsnDecodeAddressBinding(AsnCursor* cursor, void* out);

// [0] device, [1] object, [2] property, [3] array index, [4]{ value }
// typed by the object's type and the property.
int32_t AsnEncodeDevObjPropValue(const void* value, AsnCursor* cursor);
void AsnDecodeDevObjPropValue(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeDevObjPropValue(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeDevObjPropValueLength(const uint8_t* element, uint32_t available,
                                             uint32_t* encodedLength);

// Local and remote session identifiers (one-octet Unsigneds), the address.
int32_t AsnEncodeVtSession(const void* value, AsnCursor* cursor);
void AsnDecodeVtSession(AsnCursor* cursor, void* out);

// The eight key octets, then the peer address.
int32_t AsnEncodeSessionKey(const void* value, AsnCursor* cursor);
void AsnDecodeSessionKey(AsnCursor* cursor, void* out);
