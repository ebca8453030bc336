// Decoders of the requests that reach a service hook's handler as I-Am,
// I-Have and COV notification records (bacnet/records_hooks.h). They run
// on octets the syntax checker accepted, yet read nothing outside the
// cursor whatever the octets; the decoded sizes give exactly the block the
// decoders fill, the record at its start and its variable parts carved
// down from its end.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_hooks.h"

// Device identifier (its instance), maximum APDU length, segmentation,
// vendor identifier, all application-tagged; a VelmoraIAmRequest of fixed
// size.
int32_t AsnDecodeIAm(AsnCursor* cursor, void* out);

// Device identifier (its instance), object identifier, object name.
int32_t AsnDecodeIHave(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeIHave(const uint8_t* data, uint32_t length);

// [0] process, [1] initiating device, [2] monitored object, [3] time
// remaining, [4]{ property values }, each value typed by the monitored
// object's type and property.
int32_t AsnDecodeCovNotif(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeCovNotif(const uint8_t* data, uint32_t length);
