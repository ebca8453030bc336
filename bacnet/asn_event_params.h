// Codecs of the two families of per-event-type values: the event parameters
// of an event enrollment (BACnetEventParameter, datatype 43, on
// VelmoraEventParam) and the event values of a notification
// (BACnetNotificationParameters, on VelmoraNotifParam). Each value is
// [event type]{ the alternative's elements }.
//
// Encoders leave the cursor where it was when they refuse: 18 no room, 53 an
// event type without an alternative in its family (event parameters: 6 and
// above 11; notification parameters: above 11), an unknown criteria or
// new-value choice, or an extended parameter of a datatype its family does not
// send; 44 a list without its array; the inner encoders' statuses pass
// through. The event type is checked before anything of the record is read.
//
// Decoders are positional, for octets the syntax checker accepted, yet never
// read past the cursor's end. An alternative they do not decode (event
// parameter type 6, tag numbers of 12 or more) leaves the record as it was;
// the cursor ends behind the whole element whatever it holds. Lists, texts,
// octets and values go to the arena; the decoded sizes give exactly the
// storage the decoders take, and never less than the record.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_notif_param.h"

struct AsnCarver;

int32_t AsnEncodeEventParam(const void* value, AsnCursor* cursor);
void AsnDecodeEventParam(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeEventParam(const uint8_t* element, uint32_t available);

// The property values of complex event types (6) are typed for the event
// object's type, that of the notification's event object identifier.
int32_t AsnEncodeNotifParam(const void* value, AsnCursor* cursor);
void AsnDecodeNotifParam(void* out, AsnCursor* cursor, uint8_t** arena, uint32_t objectType);
// Leaves the cursor behind what it measured.
uint32_t AsnDecodedSizeNotifParam(AsnCursor* cursor, uint32_t objectType);
// The decode and the measure as one walk of bacnet/asn_construct.h, for the
// codecs that hold event values.
void AsnNotifParamWalk(AsnCursor* cursor, VelmoraNotifParam* out, AsnCarver* carver,
                       uint32_t objectType);
