// Codecs of the trend log records: BACnetLogRecord (datatype 39) and
// BACnetLogMultipleRecord (55), reached through the datatype table.
//
// Encoders leave the cursor where it was when they refuse: 18 no room, 53 an
// unknown log record datum, 2 an unknown log-multiple choice or datum, 26 an
// error pair above 0xFFFF, 44 a data list without its array, and the
// statuses of the value's array encoder. Decoders are positional, for octets
// the syntax checker accepted, yet never read past the cursor's end. An
// any-value datum goes to the arena; the decoded-size functions give exactly
// the storage the decoders take. A datum of a choice they do not know is
// skipped (a log record keeps its tag number as the datum type, a
// log-multiple datum becomes a null datum).
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"

int32_t AsnEncodeLogRecord(const void* value, AsnCursor* cursor);
void AsnDecodeLogRecord(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeLogRecord(const uint8_t* element, uint32_t available);

int32_t AsnEncodeLogMultipleRecord(const void* value, AsnCursor* cursor);
void AsnDecodeLogMultipleRecord(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeLogMultipleRecord(const uint8_t* element, uint32_t available);
