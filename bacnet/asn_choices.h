// Codecs of the small choices and small values: priority value, time
// stamp, accumulator record, prescale, scale and shed level.
//
// Encoders have the (record, cursor) -> status form and leave the cursor
// where it was when they refuse: 18 no room, 53 an unknown choice (a
// priority value of any datatype but NULL, Unsigned, REAL and
// ENUMERATED), 16 a time stamp sequence number of 65536 or more or a date
// or time out of range. Decoders are positional, on octets the syntax
// checker accepted, and read nothing outside the cursor whatever the
// octets; a null output only moves the cursor past the value. A choice
// decoder meeting a tag that is no choice steps over that element and
// leaves the record as it was.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/priority_value.h"
#include "bacnet/records_states.h"

// One application element. Decoding takes the datatype from its tag (a
// character string's from its character set); the value is kept when its
// decoded form fits the record (NULL, Boolean, Unsigned, Signed, REAL,
// ENUMERATED, Time), else it reads as zero.
int32_t AsnEncodePriorityValue(const void* value, AsnCursor* cursor);
void AsnDecodePriorityValue(AsnCursor* cursor, void* out);

// [0] time, [1] sequence number or [2]{ date-time }.
int32_t AsnEncodeTimeStamp(const void* value, AsnCursor* cursor);
void AsnDecodeTimeStamp(AsnCursor* cursor, void* out);

// [0]{ date-time }, [1] present value, [2] accumulated value, [3] status.
int32_t AsnEncodeAccumulatorRecord(const void* value, AsnCursor* cursor);
void AsnDecodeAccumulatorRecord(AsnCursor* cursor, void* out);

// [0] multiplier, [1] modulo divide.
int32_t AsnEncodePrescale(const void* value, AsnCursor* cursor);
void AsnDecodePrescale(AsnCursor* cursor, void* out);

// [0] REAL (choice code 4) or [1] INTEGER (choice code 3).
int32_t AsnEncodeScale(const void* value, AsnCursor* cursor);
void AsnDecodeScale(AsnCursor* cursor, void* out);

// [0] percent, [1] level or [2] amount.
int32_t AsnEncodeShedLevel(const void* value, AsnCursor* cursor);
void AsnDecodeShedLevel(AsnCursor* cursor, void* out);
