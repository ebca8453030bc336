// Character strings in double quotes, by character set. Every byte or unit
// that is not plainly printable is escaped by the set's own rule; nothing
// goes through the C library's locale-dependent conversions, so the text
// is the same whatever locale the program runs in.
#include <cstdint>
#include <cstring>

#include "text/value_format.h"
#include "text/value_text.h"

namespace {

enum class Charset : uint8_t {
  Ansi = VELMORA_CHARSET_ANSI,
  Dbcs = VELMORA_CHARSET_DBCS,
  Jis = VELMORA_CHARSET_JIS,
  Ucs4 = VELMORA_CHARSET_UCS4,
  Ucs2 = VELMORA_CHARSET_UCS2,
  Iso8859 = VELMORA_CHARSET_ISO8859,
};

// Index by Charset; what comes before the opening quote.
constexpr const char* kPrefix[] = {"",         "(DBCS) ",  "(JIS C 6226) ",
                                   "(UCS-4) ", "(UCS-2) ", "(ISO 8859-1) "};

// Escape, dollar sign, at sign: JIS double-byte mode; escape, opening
// parenthesis, B: back to single bytes.
constexpr uint8_t kJisToDouble[3] = {0x1B, 0x24, 0x40};
constexpr uint8_t kJisToSingle[3] = {0x1B, 0x28, 0x42};

constexpr size_t UnitSize(Charset set) {
  return set == Charset::Ucs4 ? 4 : set == Charset::Ucs2 ? 2 : 1;
}

uint32_t ReadUnit(const uint8_t* p, size_t unit) {
  if (unit == 4) {
    uint32_t u;
    std::memcpy(&u, p, 4);
    return u;
  }
  if (unit == 2) {
    uint16_t u;
    std::memcpy(&u, p, 2);
    return u;
  }
  return *p;
}

// Units before the first zero unit among at most `limit` units; `limit`
// when there is none.
size_t UnitsBeforeZero(const uint8_t* text, size_t unit, size_t limit) {
  size_t n = 0;
  while (n < limit && ReadUnit(text + n * unit, unit) != 0)
    ++n;
  return n;
}

void PutEscape(TextBuffer* b, uint8_t byte) { TextBufferPrintf(b, 0, "\\x%02X", unsigned(byte)); }

// ANSI and single-byte JIS: printable bytes as they are.
void PutSingleByte(TextBuffer* b, uint8_t c) {
  if (c == '"')
    TextBufferPut(b, "\\\"", 2);
  else if (c >= 0x20 && c <= 0x7E)
    TextBufferPutChar(b, char(c));
  else
    PutEscape(b, c);
}

// A DBCS byte stands for itself only when neither it nor the byte before it
// has the top bit set, so both bytes of a double-byte character are escaped.
void PutDbcs(TextBuffer* b, const uint8_t* text, size_t n) {
  bool afterLead = false;
  for (size_t i = 0; i < n && !b->failed; ++i) {
    uint8_t c = text[i];
    if (afterLead || (c & 0x80) || c == 0)
      PutEscape(b, c);
    else if (c == '"')
      TextBufferPut(b, "\\\"", 2);
    else
      TextBufferPutChar(b, char(c));
    afterLead = (c & 0x80) != 0;
  }
}

// Single-byte mode as ANSI; the switch sequences and everything in
// double-byte mode escaped.
void PutJis(TextBuffer* b, const uint8_t* text, size_t n) {
  bool doubleByte = false;
  for (size_t i = 0; i < n && !b->failed;) {
    const uint8_t* sw = doubleByte ? kJisToSingle : kJisToDouble;
    if (n - i >= 3 && std::memcmp(text + i, sw, 3) == 0) {
      for (int k = 0; k < 3; ++k)
        PutEscape(b, text[i + k]);
      doubleByte = !doubleByte;
      i += 3;
      continue;
    }
    if (doubleByte)
      PutEscape(b, text[i]);
    else
      PutSingleByte(b, text[i]);
    ++i;
  }
}

// A character up to 255 stands for itself as one byte, whatever it is; a
// zero unit and wider characters are escaped.
void PutWide(TextBuffer* b, const uint8_t* text, size_t n, size_t unit) {
  for (size_t i = 0; i < n && !b->failed; ++i) {
    uint32_t u = ReadUnit(text + i * unit, unit);
    if (u == '"')
      TextBufferPut(b, "\\\"", 2);
    else if (u == 0)
      PutEscape(b, 0);
    else if (u <= 0xFF)
      TextBufferPutChar(b, char(u));
    else if (u <= 0xFFFF)
      TextBufferPrintf(b, 0, "\\u%04X", u);
    else
      TextBufferPrintf(b, 0, "\\U%08X", u);
  }
}

void PutQuoted(TextBuffer* b, Charset set, const uint8_t* text, size_t n) {
  TextBufferPutChar(b, '"');
  switch (set) {
    case Charset::Ansi:
    case Charset::Iso8859:  // printable and below 0x80: the same bytes as ANSI
      for (size_t i = 0; i < n && !b->failed; ++i)
        PutSingleByte(b, text[i]);
      break;
    case Charset::Dbcs:
      PutDbcs(b, text, n);
      break;
    case Charset::Jis:
      PutJis(b, text, n);
      break;
    case Charset::Ucs4:
    case Charset::Ucs2:
      PutWide(b, text, n, UnitSize(set));
      break;
  }
  TextBufferPutChar(b, '"');
}

uint32_t WriteUnits(char* destination, uint32_t room, Charset set, const uint8_t* text, size_t n,
                    uint16_t codePage) {
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutText(&b, kPrefix[int(set)]);
  if (set == Charset::Dbcs) {
    TextBufferPutChar(&b, '(');
    TextBufferPrintf(&b, 0, "Code Page %u, ", unsigned(codePage));
  }
  PutQuoted(&b, set, text, n);
  if (set == Charset::Dbcs) TextBufferPutChar(&b, ')');
  return TextBufferClose(&b);
}

// length in units, -1 up to the zero unit; another negative length, or no
// text where there are characters, cannot be written.
uint32_t WriteText(char* destination, uint32_t room, Charset set, const void* text, int32_t length,
                   uint16_t codePage = 0) {
  if (length < -1 || (!text && length != 0)) return 0;
  auto* bytes = static_cast<const uint8_t*>(text);
  size_t n = length == -1 ? UnitsBeforeZero(bytes, UnitSize(set), SIZE_MAX) : size_t(length);
  return WriteUnits(destination, room, set, bytes, n, codePage);
}

// A packed text of the value's buffer: it must end within the bytes left.
uint32_t WritePackedText(char* destination, uint32_t room, Charset set, const ValueElement* e,
                         uint32_t* size) {
  size_t unit = UnitSize(set);
  size_t limit = e->available / unit;
  auto* bytes = static_cast<const uint8_t*>(e->data);
  size_t n = UnitsBeforeZero(bytes, unit, limit);
  if (n == limit) return 0;
  *size = uint32_t((n + 1) * unit);
  return WriteUnits(destination, room, set, bytes, n, 0);
}

}  // namespace

uint32_t VelmoraAnsiStringToString(char* destination, uint32_t room, const char* text,
                                   int32_t length) {
  return WriteText(destination, room, Charset::Ansi, text, length);
}

uint32_t VelmoraDbcsStringToString(char* destination, uint32_t room, uint16_t codePage,
                                   const char* text, int32_t length) {
  return WriteText(destination, room, Charset::Dbcs, text, length, codePage);
}

uint32_t VelmoraJisStringToString(char* destination, uint32_t room, const char* text,
                                  int32_t length) {
  return WriteText(destination, room, Charset::Jis, text, length);
}

uint32_t VelmoraUcs4StringToString(char* destination, uint32_t room, const void* text,
                                   int32_t length) {
  return WriteText(destination, room, Charset::Ucs4, text, length);
}

uint32_t VelmoraUcs2StringToString(char* destination, uint32_t room, const void* text,
                                   int32_t length) {
  return WriteText(destination, room, Charset::Ucs2, text, length);
}

uint32_t VelmoraIso8859StringToString(char* destination, uint32_t room, const char* text,
                                      int32_t length) {
  return WriteText(destination, room, Charset::Iso8859, text, length);
}

// The record's length is in bytes; UCS lengths become units.
uint32_t VelmoraCharStringToString(char* destination, uint32_t room, const VelmoraCharString* s) {
  if (!s) return 0;
  if (s->charset > VELMORA_CHARSET_ISO8859) return TextBufferCopy(destination, room, "?");
  auto set = Charset(s->charset);
  int32_t length = s->length < 0 ? s->length : s->length / int32_t(UnitSize(set));
  return WriteText(destination, room, set, s->text, length, s->code_page);
}

uint32_t QuotedTextListToString(char* destination, uint32_t room, const char* texts,
                                uint32_t count) {
  if (!texts && count) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  for (uint32_t i = 0; i < count && !b.failed; ++i) {
    if (i) TextBufferPutChar(&b, ',');
    size_t n = std::strlen(texts);
    TextBufferPutChar(&b, '"');
    TextBufferPut(&b, texts, n);
    TextBufferPutChar(&b, '"');
    texts += n + 1;
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraByteToEscape(char* destination, uint32_t room, uint8_t byte) {
  TextBuffer b = TextBufferOpen(destination, room);
  PutEscape(&b, byte);
  return TextBufferClose(&b);
}

uint32_t WideTextLength32(const void* text) {
  return text ? uint32_t(UnitsBeforeZero(static_cast<const uint8_t*>(text), 4, UINT32_MAX)) : 0;
}

uint32_t WideTextLength16(const void* text) {
  return text ? uint32_t(UnitsBeforeZero(static_cast<const uint8_t*>(text), 2, UINT32_MAX)) : 0;
}

template <uint8_t Set>
uint32_t ValuePackedTextElement(char* destination, uint32_t room, const ValueElement* element,
                                uint32_t* size) {
  return WritePackedText(destination, room, Charset(Set), element, size);
}

template uint32_t ValuePackedTextElement<VELMORA_CHARSET_ANSI>(char*, uint32_t, const ValueElement*,
                                                               uint32_t*);
template uint32_t ValuePackedTextElement<VELMORA_CHARSET_JIS>(char*, uint32_t, const ValueElement*,
                                                              uint32_t*);
template uint32_t ValuePackedTextElement<VELMORA_CHARSET_UCS4>(char*, uint32_t, const ValueElement*,
                                                               uint32_t*);
template uint32_t ValuePackedTextElement<VELMORA_CHARSET_UCS2>(char*, uint32_t, const ValueElement*,
                                                               uint32_t*);
template uint32_t ValuePackedTextElement<VELMORA_CHARSET_ISO8859>(char*, uint32_t,
                                                                  const ValueElement*, uint32_t*);
