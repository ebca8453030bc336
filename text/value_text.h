// Property values as one line of text in the compact notation: the value
// writer, which picks array, list or single-element style from the
// property's metadata, and one writer per datatype. Every writer keeps the
// contract of text/text_buffer.h: (destination, room including the
// terminator, value, extras) -> characters written, or 0 when the text does
// not fit; a missing record, or one that cannot be read (no data where data
// is due), gives 0 as well. Pure functions: safe on any thread. The writers
// of the constructed records are in text/value_text_records.h.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/week_n_day.h"
#include "text/text_buffer.h"

// Stand for any object type and any property in values nested in records.
inline constexpr uint32_t VELMORA_ANY_OBJECT_TYPE = 1023;
inline constexpr uint32_t VELMORA_ANY_PROPERTY = 0x3FFFFF;

// The value read from property `property` of an object of type objectType;
// arrayIndex -1 when it is the whole property, else the index read. A
// non-zero showNumbers adds the numbers behind enumeration names.
uint32_t VelmoraValueToStringEx(char* destination, uint32_t room, const VelmoraAnyValue* value,
                                uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                uint8_t showNumbers);
uint32_t VelmoraValueToString(char* destination, uint32_t room, const VelmoraAnyValue* value,
                              uint32_t objectType, uint32_t property, uint8_t showNumbers);

// count elements of the datatype in "{" "}", separated by ","; the elements
// lie one after another in the datatype's in-memory form (the packed texts
// for the text codes). 0 for a datatype without a writer.
uint32_t VelmoraListToString(char* destination, uint32_t room, int32_t datatype,
                             const void* elements, uint32_t count, int32_t enumRow,
                             uint8_t showNumbers);

// The enumeration row (text/enum_names.h) naming the values of a property,
// and of an object type's present value; 41 (no names) when none does.
int32_t VelmoraEnumForProperty(uint32_t objectType, uint32_t property);
int32_t VelmoraEnumForObjectValue(uint32_t objectType);

// The value's name in the row, "-" and the number behind a value without a
// standard name, and " (number)" with showNumbers.
uint32_t VelmoraEnumToString(char* destination, uint32_t room, uint32_t value, int32_t enumRow,
                             uint8_t showNumbers);
uint32_t VelmoraObjectIdToString(char* destination, uint32_t room, const VelmoraObjectId* id);
uint32_t VelmoraAddressToString(char* destination, uint32_t room, const VelmoraAddress* address);

uint32_t VelmoraNullToString(char* destination, uint32_t room);
uint32_t VelmoraBooleanToString(char* destination, uint32_t room, uint8_t value);
uint32_t VelmoraUnsignedToString(char* destination, uint32_t room, uint32_t value);
uint32_t VelmoraSignedToString(char* destination, uint32_t room, int32_t value);
uint32_t VelmoraRealToString(char* destination, uint32_t room, double value);
uint32_t VelmoraArrayIndexToString(char* destination, uint32_t room, int32_t index);
uint32_t VelmoraOctetStringToString(char* destination, uint32_t room, const uint8_t* data,
                                    uint32_t length);
uint32_t VelmoraRawDataToString(char* destination, uint32_t room, const VelmoraRawData* raw);
// At most the first 80 bits; with showNumbers the names of the set bits in
// the row follow.
uint32_t VelmoraBitStringToString(char* destination, uint32_t room, const VelmoraBitString* bits,
                                  int32_t enumRow, uint8_t showNumbers);
uint32_t VelmoraDateToString(char* destination, uint32_t room, const VelmoraDate* date);
uint32_t VelmoraTimeToString(char* destination, uint32_t room, const VelmoraTime* time);
uint32_t VelmoraDateTimeToString(char* destination, uint32_t room, const VelmoraDateTime* dateTime);
uint32_t VelmoraWeekNDayToString(char* destination, uint32_t room, const VelmoraWeekNDay* weekNDay);

// Texts, quoted. Lengths are in characters (units), -1 up to the
// terminator; UCS-4 and UCS-2 text is host-order units at any alignment.
// A character set other than 0-5 gives "?".
uint32_t VelmoraCharStringToString(char* destination, uint32_t room, const VelmoraCharString* s);
uint32_t VelmoraAnsiStringToString(char* destination, uint32_t room, const char* text,
                                   int32_t length);
uint32_t VelmoraDbcsStringToString(char* destination, uint32_t room, uint16_t codePage,
                                   const char* text, int32_t length);
uint32_t VelmoraJisStringToString(char* destination, uint32_t room, const char* text,
                                  int32_t length);
uint32_t VelmoraUcs4StringToString(char* destination, uint32_t room, const void* text,
                                   int32_t length);
uint32_t VelmoraUcs2StringToString(char* destination, uint32_t room, const void* text,
                                   int32_t length);
uint32_t VelmoraIso8859StringToString(char* destination, uint32_t room, const char* text,
                                      int32_t length);
// count packed terminated texts, each in double quotes as it is, in "{" "}"
// separated by ",".
uint32_t QuotedTextListToString(char* destination, uint32_t room, const char* texts,
                                uint32_t count);

// One byte as "\xHH": needs a room of 5, writes 4 characters.
uint32_t VelmoraByteToEscape(char* destination, uint32_t room, uint8_t byte);
// Units before the zero unit of a UCS-4 or UCS-2 text.
uint32_t WideTextLength32(const void* text);
uint32_t WideTextLength16(const void* text);
