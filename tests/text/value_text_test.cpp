// The compact notation of primitive values, enumerations, object
// identifiers, addresses, dates, times, bit strings and character strings,
// and the writer contract: every text into every room, with a canary behind
// the room.
#include "text/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/text/support/text_examples.h"

namespace {

using Writer = TextWriter;

using Example = TextExample;

Writer BitsOf(const char* pattern, int32_t row, uint8_t show) {
  VelmoraBitString b = Bits(pattern);
  return
      [b, row, show](char* d, uint32_t r) { return VelmoraBitStringToString(d, r, &b, row, show); };
}

VelmoraDate Date(uint16_t year, uint32_t month, uint8_t day, uint32_t weekday) {
  return VelmoraDate{year, month, day, weekday};
}

VelmoraAddress Address(uint16_t network, std::vector<uint8_t> mac, uint8_t length) {
  VelmoraAddress a{};
  a.remote = network != 0;
  a.network = network;
  if (!mac.empty()) std::memcpy(a.mac, mac.data(), std::min<size_t>(mac.size(), sizeof a.mac));
  a.mac_length = length;
  return a;
}

template <class Record, class Fn>
Writer Of(Record r, Fn fn) {
  return [r, fn](char* d, uint32_t room) { return fn(d, room, &r); };
}

const uint8_t kTenOctets[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0xff};
const uint8_t kRaw[2] = {0x91, 0x02};
const VelmoraRawData kRawData{2, kRaw};

std::vector<Example> Examples() {
  return {
      {"unsigned", [](char* d, uint32_t r) { return VelmoraUnsignedToString(d, r, 5); }, "5"},
      {"unsigned max",
       [](char* d, uint32_t r) { return VelmoraUnsignedToString(d, r, 4294967295u); },
       "4294967295"},
      {"signed", [](char* d, uint32_t r) { return VelmoraSignedToString(d, r, -60); }, "-60"},
      {"signed min", [](char* d, uint32_t r) { return VelmoraSignedToString(d, r, INT32_MIN); },
       "-2147483648"},
      {"null", [](char* d, uint32_t r) { return VelmoraNullToString(d, r); }, "NULL"},
      {"true", [](char* d, uint32_t r) { return VelmoraBooleanToString(d, r, 2); }, "T"},
      {"false", [](char* d, uint32_t r) { return VelmoraBooleanToString(d, r, 0); }, "F"},
      {"index", [](char* d, uint32_t r) { return VelmoraArrayIndexToString(d, r, 7); }, "[7]"},
      {"index min", [](char* d, uint32_t r) { return VelmoraArrayIndexToString(d, r, INT32_MIN); },
       "[-2147483648]"},
      {"enum active", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 1, 6, 0); },
       "active"},
      {"enum numbered", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 1, 6, 1); },
       "active (1)"},
      {"enum inactive", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 0, 6, 7); },
       "inactive (0)"},
      {"enum generic", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 1, 41, 0); },
       "enumeration-1"},
      {"enum proprietary", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 130, 3, 0); },
       "proprietary-object-130"},
      {"enum unknown",
       [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 4294967295u, 21, 0); },
       "unknown-engineering-units--1"},
      {"enum unknown numbered",
       [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 4294967295u, 21, 1); },
       "unknown-engineering-units--1 (-1)"},
      {"enum stray row", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 3, 99, 0); },
       "enumeration-3"},
      {"nan",
       [](char* d, uint32_t r) {
         return VelmoraRealToString(d, r, std::numeric_limits<double>::quiet_NaN());
       },
       "NAN"},
      {"-nan",
       [](char* d, uint32_t r) {
         return VelmoraRealToString(d, r, -std::numeric_limits<double>::quiet_NaN());
       },
       "NAN"},
      {"inf", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, HUGE_VAL); }, "INF"},
      {"-inf", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, -HUGE_VAL); }, "-INF"},
      {"exponent", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, 1e10); }, "1e+10.0"},
      {"half", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, -0.5); }, "-0.5"},
      {"one", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, 1); }, "1.0"},
      {"widest real", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, -1.234567e-300); },
       "-1.23457e-300"},
      {"object", Of(VelmoraObjectId{0, 1}, VelmoraObjectIdToString), "(analog-input,1)"},
      {"device", Of(VelmoraObjectId{8, 4194303}, VelmoraObjectIdToString), "(device,4194303)"},
      {"proprietary object", Of(VelmoraObjectId{1023, 4194303}, VelmoraObjectIdToString),
       "(proprietary-object-1023,4194303)"},
      {"reserved object", Of(VelmoraObjectId{26, 0}, VelmoraObjectIdToString),
       "(reserved-object-26,0)"},
      {"unknown object", Of(VelmoraObjectId{0xFFFFFFFF, 0xFFFFFFFF}, VelmoraObjectIdToString),
       "(unknown-object--1,4294967295)"},
      {"address", Of(Address(0, {0xc0, 0xa8, 1, 10, 0xba, 0xc0}, 6), VelmoraAddressToString),
       "{0,X'c0a8010abac0'}"},
      {"broadcast", Of(Address(5, {}, 0), VelmoraAddressToString), "{5,X''}"},
      {"global", Of(Address(0xFFFF, {}, 0), VelmoraAddressToString), "{65535,X''}"},
      {"mac length past the record",
       Of(Address(7, {1, 2, 3, 4, 5, 6, 7}, 200), VelmoraAddressToString), "{7,X'01020304050607'}"},
      {"date", Of(Date(2013, 10, 25, 5), VelmoraDateToString), "(Friday,25-October-2013)"},
      {"date wildcards", Of(Date(0xFFFF, 13, 32, 0), VelmoraDateToString),
       "(*,last-day-of-month-odd-months-*)"},
      {"date any day", Of(Date(1900, 14, 255, 7), VelmoraDateToString),
       "(Sunday,*-even-months-1900)"},
      {"date day 200", Of(Date(2013, 10, 200, 5), VelmoraDateToString),
       "(Friday,200-October-2013)"},
      {"date year 10000", Of(Date(10000, 1, 1, 0), VelmoraDateToString), "(*,01-January-10000)"},
      {"date out of range names", Of(Date(2013, 4000000000u, 1, 9), VelmoraDateToString),
       "(unknown-day-of-week,01-unknown-month-2013)"},
      {"time", Of(VelmoraTime{14, 5, 9, 0}, VelmoraTimeToString), "14:05:09.00"},
      {"time wildcards", Of(VelmoraTime{255, 255, 255, 255}, VelmoraTimeToString), "*:*:*.*"},
      {"time out of range", Of(VelmoraTime{200, 254, 100, 99}, VelmoraTimeToString),
       "200:254:100.99"},
      {"date-time",
       Of(VelmoraDateTime{Date(2013, 10, 25, 5), {14, 5, 9, 0}}, VelmoraDateTimeToString),
       "{(Friday,25-October-2013),14:05:09.00}"},
      {"week-n-day", Of(VelmoraWeekNDay{12, 1, 0}, VelmoraWeekNDayToString), "X'0c01ff'"},
      {"week-n-day any", Of(VelmoraWeekNDay{0, -1, 0}, VelmoraWeekNDayToString), "X'ffffff'"},
      {"week-n-day wide fields",
       Of(VelmoraWeekNDay{0x12345678, -2, 0xFFFFFFFF}, VelmoraWeekNDayToString),
       "X'12345678fffffffeffffffff'"},
      {"bits", BitsOf("0100", 20, 0), "(F,T,F,F)"},
      {"bits named", BitsOf("0100", 20, 1), "(F,T,F,F) (fault)"},
      {"bits named several", BitsOf("100001", 20, 1),
       "(T,F,F,F,F,T) (in-alarm|unknown-status-flag-5)"},
      {"bits none set", BitsOf("00", 20, 1), "(F,F) ()"},
      {"no bits", BitsOf("", 20, 0), "()"},
      {"octets",
       [](char* d, uint32_t r) { return VelmoraOctetStringToString(d, r, kTenOctets, 10); },
       "X'000102030405060708ff'"},
      {"no octets",
       [](char* d, uint32_t r) { return VelmoraOctetStringToString(d, r, nullptr, 0); }, "X''"},
      {"raw", [](char* d, uint32_t r) { return VelmoraRawDataToString(d, r, &kRawData); },
       "(ASN.1) X'9102'"},
      {"escape", [](char* d, uint32_t r) { return VelmoraByteToEscape(d, r, 0xab); }, "\\xAB"},
      {"copy", [](char* d, uint32_t r) { return TextBufferCopy(d, r, "abc"); }, "abc"},
      {"copy n", [](char* d, uint32_t r) { return TextBufferCopyN(d, r, "abcdef", 4); }, "abcd"},
      {"charset 9",
       [](char* d, uint32_t r) {
         VelmoraCharString s{"abc", 3, 0, 9};
         return VelmoraCharStringToString(d, r, &s);
       },
       "?"},
  };
}

TEST(ValueText, EveryExampleInEveryRoom) {
  for (const Example& e : Examples())
    CheckRooms(e.what, e.write, e.text);
}

// A numeric piece needs the room of its format's widest text whatever the
// number, so whether a text fits does not depend on its value.
TEST(ValueText, NumbersNeedTheRoomOfTheirWidestText) {
  struct Case {
    const char* what;
    Writer write;
    uint32_t room;  // smallest room that fits
  };
  VelmoraDate date = Date(5, 10, 25, 5);
  const Case cases[] = {
      {"unsigned", [](char* d, uint32_t r) { return VelmoraUnsignedToString(d, r, 5); }, 11},
      {"signed", [](char* d, uint32_t r) { return VelmoraSignedToString(d, r, 5); }, 12},
      {"index", [](char* d, uint32_t r) { return VelmoraArrayIndexToString(d, r, 1); }, 14},
      {"real", [](char* d, uint32_t r) { return VelmoraRealToString(d, r, 1); }, 14},
      {"nan",
       [](char* d, uint32_t r) {
         return VelmoraRealToString(d, r, std::numeric_limits<double>::quiet_NaN());
       },
       14},
      {"ten octets",
       [](char* d, uint32_t r) { return VelmoraOctetStringToString(d, r, kTenOctets, 10); }, 24},
      {"raw", [](char* d, uint32_t r) { return VelmoraRawDataToString(d, r, &kRawData); }, 16},
      // "(Friday,25-October-" and room for a year of 4 digits.
      {"date", [date](char* d, uint32_t r) { return VelmoraDateToString(d, r, &date); }, 19 + 5},
      // "active (" and room for "%ld".
      {"enum numbered", [](char* d, uint32_t r) { return VelmoraEnumToString(d, r, 1, 6, 1); },
       8 + 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[64];
    EXPECT_EQ(c.write(buffer, c.room - 1), 0u);
    EXPECT_NE(c.write(buffer, c.room), 0u);
  }
}

TEST(ValueText, MissingRecordsAndDataWriteNothing) {
  char buffer[32] = "untouched";
  EXPECT_EQ(VelmoraObjectIdToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraAddressToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraDateToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraTimeToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraBitStringToString(buffer, sizeof buffer, nullptr, 20, 1), 0u);
  EXPECT_EQ(VelmoraCharStringToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraOctetStringToString(buffer, sizeof buffer, nullptr, 3), 0u);
  VelmoraRawData raw{3, nullptr};
  EXPECT_EQ(VelmoraRawDataToString(buffer, sizeof buffer, &raw), 0u);
  EXPECT_EQ(VelmoraAnsiStringToString(buffer, sizeof buffer, nullptr, -1), 0u);
  EXPECT_EQ(VelmoraAnsiStringToString(buffer, sizeof buffer, "abc", -2), 0u);
  EXPECT_EQ(VelmoraUnsignedToString(nullptr, 100, 5), 0u);
  EXPECT_EQ(std::string(buffer), "untouched");
}

// A bit string shows at most the 80 bits its record can hold.
TEST(ValueText, BitStringShowsAtMostEightyBits) {
  VelmoraBitString b{};
  b.count = 100;
  std::memset(b.bits, 0xFF, sizeof b.bits);
  char buffer[256];
  uint32_t n = VelmoraBitStringToString(buffer, sizeof buffer, &b, 41, 0);
  std::string expected = "(T";
  for (int i = 1; i < 80; ++i)
    expected += ",T";
  expected += ")";
  EXPECT_EQ(n, expected.size());
  EXPECT_EQ(std::string(buffer), expected);
}

struct TextCase {
  const char* what;
  Writer write;
  std::string text;
};

std::vector<TextCase> TextCases() {
  return {
      {"ansi quote and tab",
       [](char* d, uint32_t r) { return VelmoraAnsiStringToString(d, r, "a\"\tb", -1); },
       R"("a\"\x09b")"},
      {"ansi backslash",
       [](char* d, uint32_t r) { return VelmoraAnsiStringToString(d, r, "a\\b", -1); }, R"("a\b")"},
      {"ansi counted with zero and high bytes",
       [](char* d, uint32_t r) { return VelmoraAnsiStringToString(d, r, "a\0\xe9z", 3); },
       R"("a\x00\xE9")"},
      {"ansi empty", [](char* d, uint32_t r) { return VelmoraAnsiStringToString(d, r, "", -1); },
       R"("")"},
      {"dbcs lead and trail bytes escaped",
       [](char* d, uint32_t r) {
         return VelmoraDbcsStringToString(d, r, 932,
                                          "A\x82\x40"
                                          "B\"",
                                          -1);
       },
       R"((DBCS) (Code Page 932, "A\x82\x40B\""))"},
      {"dbcs byte after a trail with the top bit",
       [](char* d, uint32_t r) { return VelmoraDbcsStringToString(d, r, 936, "\xb0\xa1z", -1); },
       R"((DBCS) (Code Page 936, "\xB0\xA1\x7A"))"},
      {"jis mode switching",
       [](char* d, uint32_t r) {
         return VelmoraJisStringToString(d, r, "a\x1b$@0!\"\x1b(Bb\"", -1);
       },
       R"((JIS C 6226) "a\x1B\x24\x40\x30\x21\x22\x1B\x28\x42b\"")"},
      {"jis switch back in single-byte mode is plain text",
       [](char* d, uint32_t r) { return VelmoraJisStringToString(d, r, "\x1b(B", -1); },
       R"((JIS C 6226) "\x1B(B")"},
      {"iso 8859-1",
       [](char* d, uint32_t r) { return VelmoraIso8859StringToString(d, r, "caf\xe9", -1); },
       R"((ISO 8859-1) "caf\xE9")"},
  };
}

TEST(ValueText, ByteTextsEscapeByTheirCharacterSet) {
  for (const TextCase& c : TextCases()) {
    SCOPED_TRACE(c.what);
    char buffer[256];
    uint32_t n = c.write(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n), c.text);
    CheckRooms(c.what, c.write, c.text);
  }
}

// Units at an odd address, as packed texts lie in a value's buffer.
template <class Unit>
std::vector<uint8_t> Unaligned(std::initializer_list<Unit> units) {
  std::vector<uint8_t> bytes(1 + units.size() * sizeof(Unit));
  size_t at = 1;
  for (Unit u : units) {
    std::memcpy(bytes.data() + at, &u, sizeof u);
    at += sizeof u;
  }
  return bytes;
}

TEST(ValueText, WideTextsWriteSmallCharactersAsBytesAndEscapeTheRest) {
  auto ucs4 = Unaligned<uint32_t>({'A', 0xE9, '"', 0x263A, 0x1F600, 0});
  auto ucs2 = Unaligned<uint16_t>({'A', 0x263A, 0, 'b', 0});
  const char* u4 = reinterpret_cast<const char*>(ucs4.data() + 1);
  const char* u2 = reinterpret_cast<const char*>(ucs2.data() + 1);
  EXPECT_EQ(WideTextLength32(u4), 5u);
  EXPECT_EQ(WideTextLength16(u2), 2u);
  const TextCase cases[] = {
      {"ucs-4", [u4](char* d, uint32_t r) { return VelmoraUcs4StringToString(d, r, u4, -1); },
       "(UCS-4) \"A\xe9\\\"\\u263A\\U0001F600\""},
      {"ucs-2 counted past a zero unit",
       [u2](char* d, uint32_t r) { return VelmoraUcs2StringToString(d, r, u2, 4); },
       R"((UCS-2) "A\u263A\x00b")"},
      {"ucs-4 record, length in bytes",
       [u4](char* d, uint32_t r) {
         VelmoraCharString s{u4, 8, 0, VELMORA_CHARSET_UCS4};
         return VelmoraCharStringToString(d, r, &s);
       },
       "(UCS-4) \"A\xe9\""},
      {"ucs-2 record, terminated",
       [u2](char* d, uint32_t r) {
         VelmoraCharString s{u2, -1, 0, VELMORA_CHARSET_UCS2};
         return VelmoraCharStringToString(d, r, &s);
       },
       R"((UCS-2) "A\u263A")"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[256];
    uint32_t n = c.write(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n), c.text);
    CheckRooms(c.what, c.write, c.text);
  }
}

TEST(ValueText, CharStringRecordsWriteByTheirCharacterSet) {
  const struct {
    VelmoraCharString s;
    std::string text;
  } cases[] = {
      {{"ab\"c", -1, 0, VELMORA_CHARSET_ANSI}, R"("ab\"c")"},
      {{"abcdef", 2, 0, VELMORA_CHARSET_ANSI}, R"("ab")"},
      {{"\x82\xa0", -1, 932, VELMORA_CHARSET_DBCS}, R"((DBCS) (Code Page 932, "\x82\xA0"))"},
      {{"x", -1, 0, VELMORA_CHARSET_JIS}, R"((JIS C 6226) "x")"},
      {{"\xe9", -1, 0, VELMORA_CHARSET_ISO8859}, R"((ISO 8859-1) "\xE9")"},
      {{nullptr, 0, 0, VELMORA_CHARSET_ANSI}, R"("")"},
      {{"abc", 3, 0, 6}, "?"},
  };
  for (const auto& c : cases) {
    char buffer[128];
    uint32_t n = VelmoraCharStringToString(buffer, sizeof buffer, &c.s);
    EXPECT_EQ(std::string(buffer, n), c.text);
  }
}

TEST(ValueText, QuotedTextListQuotesEachTextAsItIs) {
  const char packed[] = "ab\0c\"\0";
  char buffer[64];
  uint32_t n = QuotedTextListToString(buffer, sizeof buffer, packed, 2);
  EXPECT_EQ(std::string(buffer, n), "{\"ab\",\"c\"\"}");
  n = QuotedTextListToString(buffer, sizeof buffer, nullptr, 0);
  EXPECT_EQ(std::string(buffer, n), "{}");
}

TEST(ValueText, EnumerationRowsOfProperties) {
  const struct {
    uint32_t objectType, property;
    int32_t row;
  } cases[] = {
      {0, 0, 9},    {8, 2, 5},     {3, 85, 6},   {4, 87, 6},    {5, 104, 6},  {0, 85, 41},
      {21, 85, 25}, {22, 166, 25}, {28, 85, 30}, {30, 85, 33},  {30, 7, 37},  {30, 39, 37},
      {13, 7, 41},  {3, 39, 6},    {0, 117, 21}, {8, 112, 7},   {0, 111, 20}, {8, 97, 19},
      {0, 78, 4},   {0, 79, 3},    {8, 96, 3},   {30, 235, 35}, {0, 236, 41}, {0, 0x3FFFFF, 41},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VelmoraEnumForProperty(c.objectType, c.property), c.row)
        << c.objectType << "/" << c.property;
  EXPECT_EQ(VelmoraEnumForObjectValue(1023), 41);
}

}  // namespace
