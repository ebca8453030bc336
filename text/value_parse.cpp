#include "text/value_parse.h"

#include <charconv>
#include <cstring>

#include "bacnet/any_value_set.h"
#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_property.h"
#include "runtime/platform/plat_ascii.h"
#include "text/enum_names.h"
#include "text/hex_bytes.h"
#include "text/value_text.h"

namespace {

// Classes of AsnFloatSpecialBits.
constexpr int32_t kPositiveInfinity = 0;
constexpr int32_t kNegativeInfinity = 1;
constexpr int32_t kNotANumber = 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

bool TextIsNull(const char* text) { return std::strncmp(text, "NULL", 4) == 0; }
bool TextIsBoolean(const char* text) { return text[0] == 'T' || text[0] == 'F'; }
bool TextToBoolean(const char* text) { return text[0] == 'T'; }
bool TextIsOctetString(const char* text) {
  return (text[0] == 'X' || text[0] == 'x') && text[1] == '\'';
}

// e or E, an optional sign and a digit: the value writer writes large and
// small reals so (1e+10.0).
bool IsExponent(const char* text) {
  if (text[0] != 'e' && text[0] != 'E') return false;
  const char* p = text + 1;
  if (*p == '+' || *p == '-') ++p;
  return IsDigit(*p);
}

const char* SkipDigits(const char* p) {
  while (IsDigit(*p))
    ++p;
  return p;
}

// End of a decimal number without sign (digits, point, exponent) at text,
// or null when there is none; *exponent tells whether it has one.
const char* DecimalEnd(const char* text, bool* exponent) {
  const char* p = SkipDigits(text);
  bool digits = p != text;
  if (*p == '.') {
    const char* fraction = p + 1;
    p = SkipDigits(fraction);
    digits = digits || p != fraction;
  }
  if (!digits) return nullptr;
  *exponent = IsExponent(p);
  if (*exponent) p = SkipDigits(p + 2 + (p[1] == '+' || p[1] == '-'));
  return p;
}

// Octets of an octet string text into out (counted only, with out null);
// -1 when the text is not one. Each octet is two digits, or a last single
// digit alone.
int64_t ReadOctets(const char* text, uint8_t* out) {
  const char* p = text;
  const bool quoted = TextIsOctetString(p);
  if (quoted) p += 2;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
  int64_t n = 0;
  for (int high; (high = HexDigitValue(*p)) >= 0; ++n) {
    int low = HexDigitValue(*++p);
    if (low >= 0) ++p;
    if (out) out[n] = uint8_t(low >= 0 ? high << 4 | low : high);
  }
  if (quoted && *p++ != '\'') return -1;
  if (*p != 0 || (n == 0 && !quoted)) return -1;
  return n;
}

// The characters of one quoted text into out (counted only, with out
// null); -1 when the text is not one: no quote to open or close it,
// characters behind the closing quote, or a zero byte, which a terminated
// text cannot hold. The escapes are the value writer's (\" and \xHH); it
// writes a backslash as it is, so one before anything else is itself.
int64_t ReadQuoted(const char* text, char* out) {
  const char open = text[0];
  if (!IsQuote(open)) return -1;
  auto closes = [open](char c) { return open == '"' ? c == '"' : c == '\'' || c == '`'; };
  int64_t n = 0;
  const char* p = text + 1;
  for (; *p && !closes(*p); ++n) {
    char c = *p++;
    if (c == '\\' && closes(*p)) {
      c = *p++;
    } else if (c == '\\' && p[0] == 'x' && HexDigitValue(p[1]) >= 0 && HexDigitValue(p[2]) >= 0) {
      c = char(HexDigitValue(p[1]) << 4 | HexDigitValue(p[2]));
      p += 3;
      if (c == 0) return -1;
    }
    if (out) out[n] = c;
  }
  if (*p == 0 || p[1] != 0) return -1;
  return n;
}

bool StoreQuotedText(const char* text, VelmoraAnyValue* value) {
  const int64_t n = ReadQuoted(text, nullptr);
  if (n < 0 || !value->buffer || n >= int64_t(value->capacity)) return false;
  auto* out = static_cast<char*>(value->buffer);
  ReadQuoted(text, out);
  out[n] = 0;
  return VelmoraAnyValueSetType(value, ASN_TYPE_TEXT_ANSI) && VelmoraAnyValueSetCount(value, 1);
}

// The record at the start of the buffer, its octets right behind it.
bool StoreOctetString(const char* text, VelmoraAnyValue* value) {
  constexpr uint32_t kRecord = sizeof(VelmoraOctetString);
  if (!value->buffer || value->capacity < kRecord) return false;
  VelmoraOctetString octets;
  VelmoraOctetStringInit(&octets, static_cast<uint8_t*>(value->buffer) + kRecord,
                         value->capacity - kRecord, 0);
  return TextToOctetString(text, &octets) && VelmoraAnyValueSetOctetString(value, &octets);
}

// A name of the row, or the value writer's text for a value without a
// standard name: the row's text for its class, "-" and the value as a
// signed number (unknown-engineering-units--1 is 4294967295).
bool TextToEnumerated(const char* text, int32_t row, uint32_t* value) {
  const int32_t named = VelmoraEnumValueFromName(row, text);
  if (named >= 0) {
    *value = uint32_t(named);
    return true;
  }
  for (const char* dash = std::strchr(text, '-'); dash; dash = std::strchr(dash + 1, '-')) {
    int32_t number;
    const char* digits = dash + 1;
    const char* end = digits + std::strlen(digits);
    auto [stop, error] = std::from_chars(digits, end, number);
    if (error != std::errc() || stop != end) continue;
    char shown[16];
    *std::to_chars(shown, shown + sizeof shown - 1, number).ptr = 0;
    const uint32_t candidate = uint32_t(number);
    const char* name = VelmoraEnumValueName(row, candidate);
    const size_t prefix = size_t(dash - text);
    if (std::strcmp(shown, digits) == 0 && !VelmoraEnumIsStandard(row, candidate) &&
        std::strlen(name) == prefix && std::strncmp(name, text, prefix) == 0) {
      *value = candidate;
      return true;
    }
  }
  return false;
}

template <typename Int>
bool WholeInteger(const char* digits, Int* value) {
  const char* end = digits + std::strlen(digits);
  Int number;
  auto [stop, error] = std::from_chars(digits, end, number);
  if (error != std::errc() || stop != end) return false;
  *value = number;
  return true;
}

}  // namespace

int32_t DetectValueKind(const char* text) {
  if (!text || text[0] == 0 || TextIsNull(text)) return ASN_TYPE_NULL;
  if (TextIsBoolean(text)) return ASN_TYPE_BOOLEAN;
  const char first = text[0];
  if (IsDigit(first) || first == '+' || first == '-') {
    for (const char* p = text + 1; *p; ++p) {
      if (*p == '.' || IsExponent(p) || std::strcmp(p, "INF") == 0) return ASN_TYPE_REAL;
      if (!IsDigit(*p)) break;
    }
    return IsDigit(first) ? ASN_TYPE_UNSIGNED : ASN_TYPE_SIGNED;
  }
  if (IsQuote(first)) return ASN_TYPE_TEXT_ANSI;
  if (TextIsOctetString(text)) return ASN_TYPE_OCTET_STRING;
  // The value writer's words for a REAL that is no number.
  if (std::strcmp(text, "NAN") == 0 || std::strcmp(text, "INF") == 0) return ASN_TYPE_REAL;
  return ASN_TYPE_ENUMERATED;
}

bool TextToUnsigned(const char* text, uint32_t* value) {
  if (!text || !value) return false;
  const char* digits = text[0] == '+' ? text + 1 : text;
  return IsDigit(digits[0]) && WholeInteger(digits, value);
}

bool TextToSigned(const char* text, int32_t* value) {
  if (!text || !value) return false;
  const char* digits = text[0] == '+' ? text + 1 : text;
  const char* first = digits == text && digits[0] == '-' ? digits + 1 : digits;
  return IsDigit(first[0]) && WholeInteger(digits, value);
}

bool TextToReal(const char* text, float* value) {
  if (!text || !value) return false;
  const bool negative = text[0] == '-';
  const char* p = negative || text[0] == '+' ? text + 1 : text;
  if (PlatSameIgnoringCase(p, "NAN")) return AsnFloatSpecialBits(kNotANumber, value);
  if (PlatSameIgnoringCase(p, "INF"))
    return AsnFloatSpecialBits(negative ? kNegativeInfinity : kPositiveInfinity, value);
  bool exponent = false;
  const char* end = DecimalEnd(p, &exponent);
  if (!end || (*end != 0 && !(exponent && std::strcmp(end, ".0") == 0))) return false;
  float number;
  auto [stop, error] = std::from_chars(p, end, number);
  if (error != std::errc() || stop != end) return false;
  *value = negative ? -number : number;
  return true;
}

bool TextToOctetString(const char* text, VelmoraOctetString* octets) {
  if (!text || !octets) return false;
  const int64_t n = ReadOctets(text, nullptr);
  if (n < 0 || n > int64_t(octets->buffer_size) || (n != 0 && !octets->data)) return false;
  ReadOctets(text, octets->data);
  return VelmoraOctetStringSetLength(octets, uint32_t(n));
}

bool ParseValueText(const char* text, VelmoraAnyValue* value, uint32_t objectType,
                    uint32_t property, uint8_t usePropertyType) {
  if (!text || !value) return false;
  int32_t kind = ASN_TYPE_NULL;
  if (!usePropertyType)
    kind = DetectValueKind(text);
  else if (!TextIsNull(text))
    kind = AsnPropertyQuery(objectType, property, nullptr);
  if (kind == ASN_TYPE_ANY) kind = DetectValueKind(text);

  switch (kind) {
    case ASN_TYPE_NULL:
      return VelmoraAnyValueSetNull(value);
    case ASN_TYPE_BOOLEAN:
      return TextIsBoolean(text) && VelmoraAnyValueSetBoolean(value, TextToBoolean(text));
    case ASN_TYPE_UNSIGNED: {
      uint32_t number;
      return TextToUnsigned(text, &number) && VelmoraAnyValueSetUnsigned(value, number);
    }
    case ASN_TYPE_SIGNED: {
      int32_t number;
      return TextToSigned(text, &number) && VelmoraAnyValueSetSigned(value, number);
    }
    case ASN_TYPE_REAL: {
      float number;
      return TextToReal(text, &number) && VelmoraAnyValueSetReal(value, number);
    }
    case ASN_TYPE_OCTET_STRING:
      return StoreOctetString(text, value);
    case ASN_TYPE_CHAR_STRING:
    case ASN_TYPE_TEXT_ANSI:
      return StoreQuotedText(text, value);
    case ASN_TYPE_ENUMERATED: {
      uint32_t number;
      return TextToEnumerated(text, VelmoraEnumForProperty(objectType, property), &number) &&
             VelmoraAnyValueSetEnumerated(value, number);
    }
    default:
      return VelmoraAnyValueSetAnsiText(value, text);
  }
}
