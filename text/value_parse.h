// Property values from text in the compact value notation that the value
// writer writes (text/value_text.h): NULL, T and F, numbers, X'..' octet
// strings, quoted character strings and enumeration names. Pure functions
// of their arguments and of the property metadata: safe on any thread.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"

// The datatype code a text denotes, by its first characters: 0 NULL (a
// text beginning with "NULL", and the empty text), 1 BOOLEAN (beginning
// with "T" or "F"), 2 Unsigned (a digit), 3 Signed ("+" or "-"), 4 REAL (a
// digit or sign followed, among digits only, by ".", an exponent or exactly
// "INF"; or the whole text "NAN" or "INF"), 6 OctetString (X' or x'), 13
// character string (a double quote, single quote or backquote), 9
// Enumerated (anything else). It only classifies: 12AB is Unsigned.
int32_t DetectValueKind(const char* text);

// Stores the value the text denotes in value's buffer (which it must have,
// but for NULL). The datatype is the text's kind, or with usePropertyType
// the datatype of the property (objectType, property) as the library knows
// it (NULL for a text beginning with "NULL"; a property of any primitive
// type takes the text's kind). By datatype:
// - NULL and BOOLEAN: only a leading "T" is true; a boolean property
//   takes a text beginning with "T" or "F" only.
// - Unsigned, Signed, REAL: the whole text is the number, within the
//   datatype's range (TextToUnsigned, TextToSigned, TextToReal).
// - OctetString: a VelmoraOctetString at the start of the buffer, its
//   octets right behind it (TextToOctetString).
// - character strings: one quoted text, stored as an ANSI text (datatype
//   13) without its quotes; \" (\' or \` in a text in single quotes) stands
//   for the quote, \xHH for the byte HH, and any other backslash for itself.
// - Enumerated: a name of the property's enumeration row, or the writer's
//   form of a value without a standard name (enumeration-5,
//   proprietary-object-130).
// - any other datatype, and any while the datatype is unknown (the library
//   is not started): the whole text as it is, as an ANSI text.
// False, with the record and its buffer unchanged, for a text that does
// not read as the datatype, a value that does not fit the buffer, and a
// missing text or record.
bool ParseValueText(const char* text, VelmoraAnyValue* value, uint32_t objectType,
                    uint32_t property, uint8_t usePropertyType);

// Readers of one datatype: the whole text, or false with *value unchanged.
// Decimal digits after an optional "+" (TextToSigned: or "-"), within 32 bits.
bool TextToUnsigned(const char* text, uint32_t* value);
bool TextToSigned(const char* text, int32_t* value);
// A decimal number with an optional sign, point and exponent, finite as a
// REAL (a number with an exponent may end in the writer's ".0"), or NAN or
// INF in any letter case after an optional sign.
bool TextToReal(const char* text, float* value);
// Hex digits, two an octet (a last odd digit is an octet of its own value),
// after an optional 0x, in X'..' or bare; X'' is the empty string. Into the
// record's data, which must hold them all: the length is set, the data
// pointer and buffer size stay.
bool TextToOctetString(const char* text, VelmoraOctetString* octets);
