// Codecs of the scheduling records: date-time, date range, calendar entry,
// time value, special event and daily schedule.
//
// Encoders have the (record, cursor) -> status form and leave the cursor
// where it was when they refuse: 18 no room, 16 a date or time out of
// range, 53 an unknown choice, 44 a list whose array is missing; a value's
// array encoder adds 13 and 44. Decoders are positional, on octets the
// syntax checker accepted, and read nothing outside the cursor whatever the
// octets; a null output only moves the cursor past the value. The lists of
// time values and their values are carved from the arena, exactly as much
// as the decoded-size function answers.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_schedule.h"

// Date, then time.
int32_t AsnEncodeDateTime(const void* value, AsnCursor* cursor);
void AsnDecodeDateTime(AsnCursor* cursor, void* out);
// The same inside [n]{ }, as time stamps and records of logs hold it.
int32_t AsnEncodeEnclosedDateTime(const VelmoraDateTime* value, AsnCursor* cursor, uint8_t number);
void AsnDecodeEnclosedDateTime(AsnCursor* cursor, VelmoraDateTime* out);

// Start date, then end date.
int32_t AsnEncodeDateRange(const void* value, AsnCursor* cursor);
void AsnDecodeDateRange(AsnCursor* cursor, void* out);

// [0] date, [1]{ date range } or [2] week-n-day. An unknown choice tag
// leaves the record as it was and is stepped over.
int32_t AsnEncodeCalendarEntry(const void* value, AsnCursor* cursor);
void AsnDecodeCalendarEntry(AsnCursor* cursor, void* out);

// Time, then one value of any application type.
int32_t AsnEncodeTimeValue(const void* value, AsnCursor* cursor);
void AsnDecodeTimeValue(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeTimeValue(const uint8_t* element, uint32_t available);

// [0]{ calendar entry } or [1] calendar, [2]{ time values }, [3] priority
// (its low octet, as the record holds it).
int32_t AsnEncodeSpecialEvent(const void* value, AsnCursor* cursor);
void AsnDecodeSpecialEvent(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeSpecialEvent(const uint8_t* element, uint32_t available);

// [0]{ time values }; none decodes to count 0 and no array.
int32_t AsnEncodeDailySchedule(const void* value, AsnCursor* cursor);
void AsnDecodeDailySchedule(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeDailySchedule(const uint8_t* element, uint32_t available);
