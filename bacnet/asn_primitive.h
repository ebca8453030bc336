// Encoders, decoders and decoded-size functions of the BACnet application
// types, of the six text datatypes (a CharacterString held as plain text in
// one character set) and of the week-n-day.
//
// Decoded forms (datatype codes in bacnet/asn_datatype_code.h): Boolean one
// octet (0 or 1), Unsigned and Enumerated uint32_t, Signed int32_t, Real
// float, Double double, the rest their records; the ANSI, JIS and ISO 8859
// texts terminated bytes, UCS-4 and UCS-2 host-order units ended by a zero
// unit, DBCS a VelmoraDbcsString.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records.h"
#include "bacnet/week_n_day.h"

// Application-tagged encoders, (value record, cursor) -> status. The value
// points at the decoded form above; the text encoders 13 and 15-18 take an
// AsnTextSource, advance it, and only measure with a null cursor.
int32_t AsnEncodeNull(const void* value, AsnCursor* cursor);
int32_t AsnEncodeBoolean(const void* value, AsnCursor* cursor);
int32_t AsnEncodeUnsigned(const void* value, AsnCursor* cursor);
int32_t AsnEncodeSigned(const void* value, AsnCursor* cursor);
int32_t AsnEncodeReal(const void* value, AsnCursor* cursor);
int32_t AsnEncodeDouble(const void* value, AsnCursor* cursor);
int32_t AsnEncodeOctetString(const void* value, AsnCursor* cursor);
int32_t AsnEncodeCharString(const void* value, AsnCursor* cursor);
int32_t AsnEncodeBitString(const void* value, AsnCursor* cursor);
int32_t AsnEncodeEnumerated(const void* value, AsnCursor* cursor);
int32_t AsnEncodeDate(const void* value, AsnCursor* cursor);
int32_t AsnEncodeTime(const void* value, AsnCursor* cursor);
int32_t AsnEncodeObjectId(const void* value, AsnCursor* cursor);
int32_t AsnEncodeAnsiText(const void* source, AsnCursor* cursor);
int32_t AsnEncodeDbcsText(const void* value, AsnCursor* cursor);
int32_t AsnEncodeJisText(const void* source, AsnCursor* cursor);
int32_t AsnEncodeUcs4Text(const void* source, AsnCursor* cursor);
int32_t AsnEncodeUcs2Text(const void* source, AsnCursor* cursor);
int32_t AsnEncodeIso8859Text(const void* source, AsnCursor* cursor);
int32_t AsnEncodeWeekNDay(const void* value, AsnCursor* cursor);

// Tagged encoders (value, cursor, tag word) for context tags.
int32_t AsnEncodeTaggedUnsigned(uint32_t value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedEnumerated(uint32_t value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedSigned(int32_t value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedReal(float value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedDouble(double value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedDate(const VelmoraDate* value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedTime(const VelmoraTime* value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedObjectId(const VelmoraObjectId* value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedBitString(const VelmoraBitString* value, AsnCursor* cursor, uint16_t tag);
int32_t AsnEncodeTaggedOctetString(const VelmoraOctetString* value, AsnCursor* cursor,
                                   uint16_t tag);
int32_t AsnEncodeTaggedCharString(const VelmoraCharString* value, AsnCursor* cursor, uint16_t tag);
// Terminated text in character set 0, 2 or 5 (else 53); advances source.
int32_t AsnEncodeTaggedText(AsnTextSource* source, AsnCursor* cursor, uint16_t tag,
                            uint8_t charset);
int32_t AsnEncodeTaggedWeekNDay(const VelmoraWeekNDay* value, AsnCursor* cursor, uint16_t tag);
// -1 writes nothing; any other negative value is 27.
int32_t AsnEncodeOptionalUnsigned(int32_t value, AsnCursor* cursor, uint16_t tag);
// Class then code, each an application Enumerated; 26 above 0xFFFF.
int32_t AsnEncodeErrorPair(const VelmoraError* value, AsnCursor* cursor);
// Terminated text (a pair over VelmoraDbcsString records for DBCS) as an
// application CharacterString in the given set; 53 for a set above 5.
int32_t AsnEncodeCharsetText(uint8_t charset, AsnTextSource* source, AsnCursor* cursor);

// Decoders skip the tag without checking it; a null output only skips.
void AsnDecodeNull(AsnCursor* cursor, void* out);
void AsnDecodeBoolean(AsnCursor* cursor, void* out);
void AsnDecodeUnsigned(AsnCursor* cursor, void* out);
void AsnDecodeSigned(AsnCursor* cursor, void* out);
void AsnDecodeReal(AsnCursor* cursor, void* out);
void AsnDecodeDouble(AsnCursor* cursor, void* out);
void AsnDecodeOctetString(AsnCursor* cursor, void* out, uint8_t** arena);
void AsnDecodeCharString(AsnCursor* cursor, void* out, uint8_t** arena);
void AsnDecodeBitString(AsnCursor* cursor, void* out);
void AsnDecodeEnumerated(AsnCursor* cursor, void* out);
void AsnDecodeDate(AsnCursor* cursor, void* out);
void AsnDecodeTime(AsnCursor* cursor, void* out);
void AsnDecodeObjectId(AsnCursor* cursor, void* out);
void AsnDecodeAnsiText(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
void AsnDecodeDbcsText(AsnCursor* cursor, void* out, uint8_t** arena);
void AsnDecodeJisText(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
void AsnDecodeUcs4Text(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
void AsnDecodeUcs2Text(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
void AsnDecodeIso8859Text(AsnCursor* cursor, void* out, uint8_t** arena, uint32_t* used);
void AsnDecodeWeekNDay(AsnCursor* cursor, void* out);

// Decoded-size functions (encoded element, octets available) -> bytes.
uint32_t AsnDecodedSizeOctetString(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeCharString(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeAnsiText(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeDbcsText(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeJisText(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeUcs4Text(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeUcs2Text(const uint8_t* element, uint32_t available);
uint32_t AsnDecodedSizeIso8859Text(const uint8_t* element, uint32_t available);

// Bytes the decoded value of one application-tagged element needs.
uint32_t AsnDecodedSize(const uint8_t* element);
// Datatype code for the character strings from the cursor to its end: 13
// for none, -1 for a set above 5, 13 + set when all share the first one's
// set and no text holds a zero character, else 7. Does not move the cursor.
int32_t AsnCharStringDatatype(const AsnCursor* cursor);
// Encoded length of a terminated text as an application element, or -1 for
// an unknown set or a text without terminator within its bytes left.
int32_t AsnCharStringElementLength(uint8_t charset, const AsnTextSource* source);
// Length in bytes of the text alone (terminator not counted), or -1.
int32_t AsnCharStringLength(uint8_t charset, const AsnTextSource* source);
// Decoded size of the element's text as its text datatype, chosen by the
// character-set octet (for DBCS the record, room to align it, and the
// text); 0 for an unknown set.
uint32_t AsnCharStringTextLength(const uint8_t* element);
// Decodes the text of the element into out as the text datatype of its set.
void AsnDecodeCharStringData(AsnCursor* cursor, void* out, uint8_t** arena);
// Takes AsnCharStringTextLength from the arena, decodes the text there and
// stores the character set and the address of the text (for DBCS of its
// aligned VelmoraDbcsString record); null for an unknown set.
void AsnDecodeCharStringAlloc(AsnCursor* cursor, uint8_t* charset, void** out, uint8_t** arena);

// IEEE special values. Classes: 0 +inf, 1 -inf, 2 NaN, 3 finite.
inline constexpr int32_t ASN_DOUBLE_POS_INF = 0;
inline constexpr int32_t ASN_DOUBLE_NEG_INF = 1;
inline constexpr int32_t ASN_DOUBLE_NAN = 2;
inline constexpr int32_t ASN_DOUBLE_FINITE = 3;
int32_t AsnClassifyDouble(double value);
// Stores the canonical value of the class; false (after storing 0.0) for
// finite, false without storing for any other class.
bool AsnFloatSpecialBits(int32_t cls, float* out);
bool AsnDoubleSpecialBits(int32_t cls, double* out);
