// Codecs of a COV subscription and of the small records it and the event
// parameters share: property states, client COV increment, device object
// property reference and device object reference. None has a variable
// part; each is reached through the datatype table.
//
// Encoders take (record, cursor) and leave the cursor where it was when they
// refuse: 18 no room, 53 an unknown property-states choice, 2 a bad object
// identifier, 27 a negative array index other than -1. Decoders are
// positional, for octets the syntax checker accepted, yet never read past
// the cursor's end; a null output only moves the cursor over the element.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_refs.h"
#include "bacnet/records_states.h"

int32_t AsnEncodePropertyStates(const void* value, AsnCursor* cursor);
void AsnDecodePropertyStates(AsnCursor* cursor, void* out);
// Code 0 writes an application Null, any other code an application Real.
int32_t AsnEncodeClientCov(const void* value, AsnCursor* cursor);
void AsnDecodeClientCov(AsnCursor* cursor, void* out);
int32_t AsnEncodeDevObjPropRef(const void* value, AsnCursor* cursor);
void AsnDecodeDevObjPropRef(AsnCursor* cursor, void* out);
int32_t AsnEncodeDevObjRef(const void* value, AsnCursor* cursor);
void AsnDecodeDevObjRef(AsnCursor* cursor, void* out);
int32_t AsnEncodeCovSubscription(const void* value, AsnCursor* cursor);
void AsnDecodeCovSubscription(AsnCursor* cursor, void* out);
