// Notation of the primitive datatypes, enumerations, object identifiers,
// addresses, dates, times and bit strings.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "text/enum_names.h"
#include "text/value_text.h"

namespace {

constexpr uint8_t kAnyField = 255;  // an unspecified time field or day
constexpr uint8_t kLastDayOfMonth = 32;
constexpr uint16_t kAnyYear = 0xFFFF;
constexpr char kHexDigits[] = "0123456789abcdef";

// Name, "-" and the number when the value has no standard name, then
// " (number)" on request. Numbers are shown signed, so a value with the top
// bit set reads as the negative number it was most likely meant to be.
void PutEnum(TextBuffer* b, uint32_t value, int32_t row, bool showNumber) {
  TextBufferPutText(b, VelmoraEnumValueName(row, value));
  if (!VelmoraEnumIsStandard(row, value)) {
    TextBufferPutChar(b, '-');
    TextBufferPrintf(b, TEXT_WIDEST_SIGNED, "%d", int32_t(value));
  }
  if (showNumber) {
    TextBufferPut(b, " (", 2);
    TextBufferPrintf(b, TEXT_WIDEST_SIGNED, "%d", int32_t(value));
    TextBufferPutChar(b, ')');
  }
}

// X'..' with two lower-case digits per octet: needs 2n + 4 as a whole.
void PutOctets(TextBuffer* b, const uint8_t* data, uint32_t length) {
  if (!TextBufferPut(b, "X'", 2, 2 * size_t(length) + 4)) return;
  for (uint32_t i = 0; i < length; ++i) {
    char pair[2] = {kHexDigits[data[i] >> 4], kHexDigits[data[i] & 0xF]};
    TextBufferPut(b, pair, 2);
  }
  TextBufferPutChar(b, '\'');
}

// A time field or a day: "*" when unspecified, else "%02d".
void PutTimeField(TextBuffer* b, uint8_t field) {
  if (field == kAnyField)
    TextBufferPutChar(b, '*');
  else
    TextBufferPrintf(b, TEXT_WIDEST_TWO_DIGITS, "%02u", unsigned(field));
}

// A week-n-day field: "ff" when it is any, else "%02x" of all its 32 bits,
// so that a field out of range shows as it is.
void PutWeekNDayField(TextBuffer* b, uint32_t field, uint32_t any) {
  if (field == any)
    TextBufferPut(b, "ff", 2);
  else
    TextBufferPrintf(b, TEXT_WIDEST_TWO_DIGITS, "%02x", field);
}

}  // namespace

uint32_t VelmoraEnumToString(char* destination, uint32_t room, uint32_t value, int32_t enumRow,
                             uint8_t showNumbers) {
  TextBuffer b = TextBufferOpen(destination, room);
  PutEnum(&b, value, enumRow, showNumbers != 0);
  return TextBufferClose(&b);
}

uint32_t VelmoraObjectIdToString(char* destination, uint32_t room, const VelmoraObjectId* id) {
  if (!id) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '(');
  PutEnum(&b, id->type, VELMORA_ENUM_OBJECT_TYPE, false);
  TextBufferPutChar(&b, ',');
  TextBufferPrintf(&b, TEXT_WIDEST_UNSIGNED, "%u", id->instance);
  TextBufferPutChar(&b, ')');
  return TextBufferClose(&b);
}

// The remote flag is not shown: the network number tells it. A MAC length
// beyond the record's seven octets shows the seven it holds.
uint32_t VelmoraAddressToString(char* destination, uint32_t room, const VelmoraAddress* address) {
  if (!address) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferPrintf(&b, TEXT_WIDEST_UNSIGNED, "%u", unsigned(address->network));
  TextBufferPutChar(&b, ',');
  PutOctets(&b, address->mac, std::min<uint32_t>(address->mac_length, VELMORA_MAC_MAX));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraNullToString(char* destination, uint32_t room) {
  return TextBufferCopy(destination, room, "NULL");
}

uint32_t VelmoraBooleanToString(char* destination, uint32_t room, uint8_t value) {
  return TextBufferCopy(destination, room, value ? "T" : "F");
}

uint32_t VelmoraUnsignedToString(char* destination, uint32_t room, uint32_t value) {
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPrintf(&b, TEXT_WIDEST_UNSIGNED, "%u", value);
  return TextBufferClose(&b);
}

uint32_t VelmoraSignedToString(char* destination, uint32_t room, int32_t value) {
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPrintf(&b, TEXT_WIDEST_SIGNED, "%d", value);
  return TextBufferClose(&b);
}

// "%g" in the C locale whatever the process's locale, with ".0" behind a
// text that has no point, so that a real never reads as an integer.
uint32_t VelmoraRealToString(char* destination, uint32_t room, double value) {
  char text[40];
  size_t length;
  if (std::isnan(value)) {
    length = 3;
    std::memcpy(text, "NAN", 3);
  } else if (std::isinf(value)) {
    length = value > 0 ? 3 : 4;
    std::memcpy(text, value > 0 ? "INF" : "-INF", length);
  } else {
    auto r = std::to_chars(text, text + sizeof text - 2, value, std::chars_format::general, 6);
    length = size_t(r.ptr - text);
    if (!std::memchr(text, '.', length)) {
      std::memcpy(text + length, ".0", 2);
      length += 2;
    }
  }
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPut(&b, text, length, TEXT_WIDEST_REAL);
  return TextBufferClose(&b);
}

uint32_t VelmoraArrayIndexToString(char* destination, uint32_t room, int32_t index) {
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPrintf(&b, TEXT_WIDEST_INDEX, "[%d]", index);
  return TextBufferClose(&b);
}

uint32_t VelmoraOctetStringToString(char* destination, uint32_t room, const uint8_t* data,
                                    uint32_t length) {
  if (!data && length) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutOctets(&b, data, length);
  return TextBufferClose(&b);
}

uint32_t VelmoraRawDataToString(char* destination, uint32_t room, const VelmoraRawData* raw) {
  if (!raw || (!raw->data && raw->length)) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutText(&b, "(ASN.1) ");
  PutOctets(&b, raw->data, raw->length);
  return TextBufferClose(&b);
}

uint32_t VelmoraBitStringToString(char* destination, uint32_t room, const VelmoraBitString* bits,
                                  int32_t enumRow, uint8_t showNumbers) {
  if (!bits) return 0;
  uint32_t count = std::min(bits->count, VELMORA_BIT_STRING_MAX_BITS);
  auto isSet = [bits](uint32_t n) { return (bits->bits[n / 8] & (0x80 >> (n % 8))) != 0; };
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '(');
  for (uint32_t n = 0; n < count; ++n) {
    if (n) TextBufferPutChar(&b, ',');
    TextBufferPutChar(&b, isSet(n) ? 'T' : 'F');
  }
  TextBufferPutChar(&b, ')');
  if (showNumbers) {
    TextBufferPut(&b, " (", 2);
    bool first = true;
    for (uint32_t n = 0; n < count; ++n) {
      if (!isSet(n)) continue;
      if (!first) TextBufferPutChar(&b, '|');
      first = false;
      PutEnum(&b, n, enumRow, false);
    }
    TextBufferPutChar(&b, ')');
  }
  return TextBufferClose(&b);
}

uint32_t VelmoraDateToString(char* destination, uint32_t room, const VelmoraDate* date) {
  if (!date) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '(');
  TextBufferPutText(&b, VelmoraEnumValueName(VELMORA_ENUM_DAY_OF_WEEK, date->day_of_week));
  TextBufferPutChar(&b, ',');
  if (date->day == kLastDayOfMonth)
    TextBufferPutText(&b, "last-day-of-month");
  else
    PutTimeField(&b, date->day);
  TextBufferPutChar(&b, '-');
  TextBufferPutText(&b, VelmoraEnumValueName(VELMORA_ENUM_MONTH, date->month));
  TextBufferPutChar(&b, '-');
  if (date->year == kAnyYear)
    TextBufferPutChar(&b, '*');
  else
    TextBufferPrintf(&b, TEXT_WIDEST_YEAR, "%u", unsigned(date->year));
  TextBufferPutChar(&b, ')');
  return TextBufferClose(&b);
}

uint32_t VelmoraTimeToString(char* destination, uint32_t room, const VelmoraTime* time) {
  if (!time) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutTimeField(&b, time->hour);
  TextBufferPutChar(&b, ':');
  PutTimeField(&b, time->minute);
  TextBufferPutChar(&b, ':');
  PutTimeField(&b, time->second);
  TextBufferPutChar(&b, '.');
  PutTimeField(&b, time->hundredths);
  return TextBufferClose(&b);
}

uint32_t VelmoraDateTimeToString(char* destination, uint32_t room,
                                 const VelmoraDateTime* dateTime) {
  if (!dateTime) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraDateToString, &dateTime->date);
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraTimeToString, &dateTime->time);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraWeekNDayToString(char* destination, uint32_t room,
                                 const VelmoraWeekNDay* weekNDay) {
  if (!weekNDay) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPut(&b, "X'", 2);
  PutWeekNDayField(&b, weekNDay->month, 0);
  PutWeekNDayField(&b, uint32_t(weekNDay->week_of_month), 0xFFFFFFFF);
  PutWeekNDayField(&b, weekNDay->day_of_week, 0);
  TextBufferPutChar(&b, '\'');
  return TextBufferClose(&b);
}
