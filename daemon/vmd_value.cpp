// Typed value text of the site file, encoded element by element through the
// codec's application-tag encoders.
#include "daemon/vmd_value.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "bacnet/asn_primitive.h"
#include "daemon/vmd_names.h"

namespace {

// Bounds that keep a mistyped repeat from eating the machine.
constexpr uint64_t kMaxRepeat = 10000;
constexpr size_t kMaxElements = 100000;

constexpr const char* kElementForms =
    "null, true, false, \"text\", real, unsigned, signed, enumerated, boolean, string, bits, "
    "object, date, time or hex";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBreak(char c) { return IsBlank(c) || c == ',' || c == '"'; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string StatusText(int32_t status) {
  switch (status) {
    case ASN_OUT_OF_RANGE:
      return "a field is out of range";
    case ASN_INVALID_VALUE:
      return "not a valid object identifier";
    case ASN_NO_ROOM:
      return "too long";
    default:
      return "codec status " + std::to_string(status);
  }
}

struct Reader {
  std::string_view text;
  size_t pos = 0;
  std::string error;
  size_t at = 0;

  void Skip() {
    while (pos < text.size() && IsBlank(text[pos]))
      ++pos;
  }
  bool AtEnd() {
    Skip();
    return pos >= text.size();
  }
  // The next word (up to a blank, a comma or a quote); empty when none.
  std::string_view Word() {
    Skip();
    size_t b = pos;
    while (pos < text.size() && !IsBreak(text[pos]))
      ++pos;
    return text.substr(b, pos - b);
  }
  std::string_view PeekWord() {
    size_t keep = pos;
    std::string_view w = Word();
    pos = keep;
    return w;
  }
  bool Fail(size_t where, const std::string& message) {
    at = where;
    error = message;
    return false;
  }
  // The word's offset, for messages about it.
  size_t Offset(std::string_view word) const { return size_t(word.data() - text.data()); }
};

// Encodes one application element of `value` with `encode` into `out`.
template <typename T>
bool Encode(Reader* r, size_t where, std::string_view what, AsnEncoder encode, const T& value,
            std::vector<uint8_t>* out, size_t room = 16) {
  out->assign(room, 0);
  AsnCursor c = AsnCursorOver(out->data(), uint32_t(room));
  int32_t status = encode(&value, &c);
  if (status != ASN_OK)
    return r->Fail(where, std::string(what) + " cannot be encoded: " + StatusText(status));
  out->resize(size_t(c.current - out->data()));
  return true;
}

bool Number(Reader* r, std::string_view type, uint64_t max, uint64_t* out) {
  std::string_view w = r->Word();
  if (VmdParseUnsigned(w, max, out)) return true;
  return r->Fail(r->Offset(w), "expected a number from 0 to " + std::to_string(max) + " after '" +
                                   std::string(type) + "'");
}

bool Signed(Reader* r, int32_t* out) {
  std::string_view w = r->Word();
  bool negative = !w.empty() && w[0] == '-';
  std::string_view digits = !w.empty() && (w[0] == '-' || w[0] == '+') ? w.substr(1) : w;
  bool decimal =
      !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
  uint64_t n = 0;
  if (decimal && VmdParseUnsigned(digits, negative ? 2147483648u : 2147483647u, &n)) {
    *out = negative ? int32_t(-int64_t(n)) : int32_t(n);
    return true;
  }
  return r->Fail(r->Offset(w), "expected a number from -2147483648 to 2147483647 after 'signed'");
}

bool Real(Reader* r, float* out) {
  std::string_view w = r->Word();
  std::string s(w);
  char* end = nullptr;
  errno = 0;
  double d = s.empty() ? 0 : strtod(s.c_str(), &end);
  bool whole = !s.empty() && end == s.c_str() + s.size();
  // Too large for a double is too large for a real, though strtod gives inf
  // for it as for "inf" itself.
  bool overflow = std::isfinite(d) ? std::fabs(d) > FLT_MAX : errno == ERANGE;
  if (whole && overflow) return r->Fail(r->Offset(w), "'" + s + "' is out of range for a real");
  if (!whole) return r->Fail(r->Offset(w), "expected a number (or nan, inf, -inf) after 'real'");
  *out = float(d);
  return true;
}

bool Boolean(Reader* r, std::string_view word, uint8_t* out) {
  if (SameWord(word, "true")) {
    *out = 1;
    return true;
  }
  if (SameWord(word, "false")) {
    *out = 0;
    return true;
  }
  return r->Fail(r->Offset(word), "expected true or false");
}

// A double-quoted text at the reader: \" and \\ stand for themselves, \xHH
// for any octet.
bool Quoted(Reader* r, std::string* out) {
  r->Skip();
  size_t start = r->pos;
  if (r->pos >= r->text.size() || r->text[r->pos] != '"')
    return r->Fail(start, "expected a text in double quotes");
  ++r->pos;
  while (r->pos < r->text.size()) {
    char c = r->text[r->pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (r->pos >= r->text.size()) break;
    char e = r->text[r->pos++];
    if (e == '"' || e == '\\') {
      out->push_back(e);
    } else if (e == 'x' && r->pos + 2 <= r->text.size() && HexDigit(r->text[r->pos]) >= 0 &&
               HexDigit(r->text[r->pos + 1]) >= 0) {
      out->push_back(char(HexDigit(r->text[r->pos]) << 4 | HexDigit(r->text[r->pos + 1])));
      r->pos += 2;
    } else {
      return r->Fail(r->pos - 2, "unknown escape in a text (expected \\\", \\\\ or \\xHH)");
    }
  }
  return r->Fail(start, "text without its closing '\"'");
}

bool CharString(Reader* r, std::vector<uint8_t>* out) {
  size_t where = r->pos;
  std::string text;
  if (!Quoted(r, &text)) return false;
  VelmoraCharString s{text.data(), int32_t(text.size()), 0, VELMORA_CHARSET_ANSI};
  return Encode(r, where, "the text", AsnEncodeCharString, s, out, text.size() + 16);
}

// Words made only of the given characters, joined; stops before any other.
std::string Run(Reader* r, bool (*accept)(char)) {
  std::string joined;
  while (true) {
    size_t keep = r->pos;
    std::string_view w = r->Word();
    bool ok = !w.empty();
    for (char c : w)
      ok = ok && accept(c);
    if (!ok) {
      r->pos = keep;
      return joined;
    }
    joined += w;
  }
}

bool Bits(Reader* r, std::vector<uint8_t>* out) {
  r->Skip();
  size_t where = r->pos;
  std::string bits = Run(r, [](char c) { return c == '0' || c == '1'; });
  if (bits.size() > VELMORA_BIT_STRING_MAX_BITS)
    return r->Fail(where, "a bit string holds at most 80 bits");
  VelmoraBitString bs{};
  bs.count = uint32_t(bits.size());
  for (size_t i = 0; i < bits.size(); ++i)
    if (bits[i] == '1') bs.bits[i / 8] |= uint8_t(0x80 >> (i % 8));
  return Encode(r, where, "the bit string", AsnEncodeBitString, bs, out);
}

bool Hex(Reader* r, std::vector<uint8_t>* out) {
  r->Skip();
  size_t where = r->pos;
  std::string digits = Run(r, [](char c) { return HexDigit(c) >= 0; });
  if (digits.empty() || digits.size() % 2 != 0)
    return r->Fail(where,
                   "expected hex octets after 'hex' (two digits each, blanks between "
                   "octets allowed)");
  out->clear();
  for (size_t i = 0; i < digits.size(); i += 2)
    out->push_back(uint8_t(HexDigit(digits[i]) << 4 | HexDigit(digits[i + 1])));
  return true;
}

bool ObjectId(Reader* r, std::vector<uint8_t>* out) {
  std::string_view type = r->Word();
  int32_t t = VmdObjectTypeFromName(type);
  if (t < 0)
    return r->Fail(r->Offset(type),
                   "expected an object type (a name such as analog-input, or 0 to 1023) after "
                   "'object'");
  uint64_t instance = 0;
  size_t where = r->Offset(type);
  if (!Number(r, "object " + std::string(type), 0xFFFFFFFF, &instance)) return false;
  VelmoraObjectId id{uint32_t(t), uint32_t(instance)};
  return Encode(r, where, "the object identifier", AsnEncodeObjectId, id, out);
}

// One field of a date or time: '*' (unspecified) or a number up to max.
bool Field(std::string_view text, uint64_t max, uint64_t any, uint64_t* out) {
  if (text == "*") {
    *out = any;
    return true;
  }
  return VmdParseUnsigned(text, max, out);
}

// 1 Monday to 7 Sunday, for a Gregorian date.
uint32_t Weekday(uint32_t y, uint32_t m, uint32_t d) {
  static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  uint32_t sunday0 = (y + y / 4 - y / 100 + y / 400 + uint32_t(kOffsets[m - 1]) + d) % 7;
  return sunday0 == 0 ? 7 : sunday0;
}

bool Date(Reader* r, std::vector<uint8_t>* out) {
  std::string_view w = r->Word();
  size_t where = r->Offset(w);
  size_t d1 = w.find('-'), d2 = d1 == std::string_view::npos ? d1 : w.find('-', d1 + 1);
  uint64_t y = 0, m = 0, d = 0;
  if (d2 == std::string_view::npos || !Field(w.substr(0, d1), 65534, 0xFFFF, &y) ||
      !Field(w.substr(d1 + 1, d2 - d1 - 1), 255, 0, &m) || !Field(w.substr(d2 + 1), 255, 255, &d))
    return r->Fail(where, "expected YEAR-MONTH-DAY after 'date' (each a number or '*')");
  VelmoraDate date{uint16_t(y), uint32_t(m), uint8_t(d), 0};
  // A weekday may follow; '*' followed by a number is a repeat, not a weekday.
  size_t keep = r->pos;
  std::string_view wd = r->Word();
  int32_t day = VmdWeekdayFromName(wd);
  uint64_t n = 0;
  if (day > 0) {
    date.day_of_week = uint32_t(day);
  } else if (wd.size() == 1 && wd[0] >= '1' && wd[0] <= '7') {
    date.day_of_week = uint32_t(wd[0] - '0');
  } else if (wd == "*" && !VmdParseUnsigned(r->PeekWord(), kMaxRepeat, &n)) {
    date.day_of_week = 0;
  } else {
    r->pos = keep;
    if (y != 0xFFFF && m >= 1 && m <= 12 && d >= 1 && d <= 31)
      date.day_of_week = Weekday(uint32_t(y), uint32_t(m), uint32_t(d));
  }
  return Encode(r, where, "the date", AsnEncodeDate, date, out);
}

bool Time(Reader* r, std::vector<uint8_t>* out) {
  std::string_view w = r->Word();
  size_t where = r->Offset(w);
  uint64_t f[4] = {0, 0, 0, 0};
  std::string_view rest = w;
  size_t dot = rest.find('.');
  std::string_view hundredths = dot == std::string_view::npos ? "" : rest.substr(dot + 1);
  rest = rest.substr(0, dot);
  size_t fields = 0;
  bool ok = !rest.empty();
  while (ok && fields < 3) {
    size_t colon = rest.find(':');
    ok = Field(rest.substr(0, colon), 255, 255, &f[fields++]);
    if (colon == std::string_view::npos) break;
    rest = rest.substr(colon + 1);
    ok = ok && fields < 3;
  }
  ok = ok && fields >= 2 && (dot == std::string_view::npos || fields == 3);
  if (ok && dot != std::string_view::npos) ok = Field(hundredths, 255, 255, &f[3]);
  if (!ok)
    return r->Fail(where,
                   "expected HOUR:MINUTE[:SECOND[.HUNDREDTHS]] after 'time' (each a number or "
                   "'*')");
  VelmoraTime t{uint8_t(f[0]), uint8_t(f[1]), uint8_t(f[2]), uint8_t(f[3])};
  return Encode(r, where, "the time", AsnEncodeTime, t, out);
}

// One element, by its leading word.
bool Element(Reader* r, std::vector<uint8_t>* out) {
  r->Skip();
  if (r->pos < r->text.size() && r->text[r->pos] == '"') return CharString(r, out);
  std::string_view w = r->Word();
  size_t where = r->Offset(w);
  uint64_t n = 0;
  if (SameWord(w, "null")) return Encode(r, where, "null", AsnEncodeNull, 0, out);
  if (SameWord(w, "true") || SameWord(w, "false") || SameWord(w, "boolean")) {
    std::string_view b = SameWord(w, "boolean") ? r->Word() : w;
    uint8_t v = 0;
    return Boolean(r, b, &v) && Encode(r, where, "the boolean", AsnEncodeBoolean, v, out);
  }
  if (SameWord(w, "unsigned"))
    return Number(r, w, 0xFFFFFFFF, &n) &&
           Encode(r, where, "the unsigned", AsnEncodeUnsigned, uint32_t(n), out);
  if (SameWord(w, "enumerated") || SameWord(w, "enum"))
    return Number(r, w, 0xFFFFFFFF, &n) &&
           Encode(r, where, "the enumerated", AsnEncodeEnumerated, uint32_t(n), out);
  if (SameWord(w, "signed")) {
    int32_t v = 0;
    return Signed(r, &v) && Encode(r, where, "the signed", AsnEncodeSigned, v, out);
  }
  if (SameWord(w, "real")) {
    float v = 0;
    return Real(r, &v) && Encode(r, where, "the real", AsnEncodeReal, v, out);
  }
  if (SameWord(w, "string")) return CharString(r, out);
  if (SameWord(w, "bits")) return Bits(r, out);
  if (SameWord(w, "object")) return ObjectId(r, out);
  if (SameWord(w, "date")) return Date(r, out);
  if (SameWord(w, "time")) return Time(r, out);
  if (SameWord(w, "hex")) return Hex(r, out);
  return r->Fail(where, std::string("expected a value: ") + kElementForms);
}

bool Items(Reader* r, VmdValue* value) {
  if (r->AtEnd()) return true;
  while (true) {
    std::vector<uint8_t> element;
    if (!Element(r, &element)) return false;
    uint64_t count = 1;
    size_t keep = r->pos;
    std::string_view star = r->Word();
    if (star == "*") {
      std::string_view w = r->Word();
      if (!VmdParseUnsigned(w, kMaxRepeat, &count) || count == 0)
        return r->Fail(r->Offset(w),
                       "expected a count from 1 to " + std::to_string(kMaxRepeat) + " after '*'");
    } else {
      r->pos = keep;
    }
    if (value->elements.size() + count > kMaxElements)
      return r->Fail(keep, "more than " + std::to_string(kMaxElements) + " elements");
    value->elements.insert(value->elements.end(), count, element);
    if (r->AtEnd()) return true;
    if (r->text[r->pos] != ',') return r->Fail(r->pos, "expected ',' or the end of the value");
    ++r->pos;
    if (r->AtEnd()) return r->Fail(r->pos, "expected a value after ','");
  }
}

}  // namespace

bool VmdValueParse(std::string_view text, VmdValue* value, std::string* error, size_t* at) {
  Reader r;
  r.text = text;
  VmdValue v;
  std::string_view first = r.PeekWord();
  bool ok;
  if (SameWord(first, "array") || SameWord(first, "list")) {
    v.form = SameWord(first, "array") ? VmdValueForm::Array : VmdValueForm::List;
    r.Word();
    ok = Items(&r, &v);
  } else if (r.AtEnd()) {
    ok = r.Fail(r.pos, std::string("expected a value: ") + kElementForms + ", or array or list");
  } else {
    v.elements.emplace_back();
    ok = Element(&r, &v.elements.back());
    if (ok && !r.AtEnd())
      ok = r.PeekWord() == "*" ? r.Fail(r.pos, "a repeat ('* COUNT') belongs in an array or a list")
                               : r.Fail(r.pos, "expected the end of the value");
  }
  if (!ok) {
    if (error) *error = r.error;
    if (at) *at = r.at;
    return false;
  }
  *value = std::move(v);
  return true;
}

bool VmdTextParse(std::string_view text, std::string* out, std::string* error) {
  Reader r;
  r.text = text;
  std::string t;
  if (!Quoted(&r, &t) || (!r.AtEnd() && !r.Fail(r.pos, "expected the end of the text"))) {
    if (error) *error = r.error;
    return false;
  }
  *out = std::move(t);
  return true;
}

std::vector<uint8_t> VmdValueOctets(const VmdValue& value) {
  std::vector<uint8_t> out;
  for (const std::vector<uint8_t>& e : value.elements)
    out.insert(out.end(), e.begin(), e.end());
  return out;
}
