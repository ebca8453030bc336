// Text to value: the kind a text denotes, the values the value writer's
// notation reads back as (text -> value -> text), the property's datatype
// once the library is started, and texts and rooms that are refused without
// touching the record or its buffer.
#include "text/value_parse.h"
#include "tests/text/support/property_query.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "bacnet/any_value_set.h"
#include "bacnet/asn_datatype_code.h"
#include "text/value_text.h"

namespace {

constexpr uint32_t kAnalogInput = 0, kBinaryInput = 3, kDevice = 8, kSchedule = 17;
constexpr uint32_t kObjectName = 77, kObjectType = 79, kOutOfService = 81, kPresentValue = 85;
constexpr uint32_t kUnits = 117, kApduTimeout = 11, kUtcOffset = 119, kLocalDate = 56;
constexpr uint32_t kAny = VELMORA_ANY_OBJECT_TYPE;
constexpr uint8_t kCanary = 0xA5;

// A value record over caller memory with canaries behind its room.
struct Room {
  alignas(8) uint8_t bytes[128];
  VelmoraAnyValue v{};
  explicit Room(uint32_t capacity = 64) {
    std::memset(bytes, kCanary, sizeof bytes);
    VelmoraAnyValueInitEmpty(&v, capacity ? bytes : nullptr, capacity);
  }
  bool Unchanged() const {
    for (uint8_t b : bytes)
      if (b != kCanary) return false;
    return v.type == -1 && v.count == 0;
  }
  bool UntouchedFrom(size_t from) const {
    for (size_t i = from; i < sizeof bytes; ++i)
      if (bytes[i] != kCanary) return false;
    return true;
  }
};

std::string Written(const VelmoraAnyValue& v, uint32_t objectType, uint32_t property) {
  char text[256];
  uint32_t n = VelmoraValueToString(text, sizeof text, &v, objectType, property, 0);
  return n ? std::string(text, n) : std::string("<0>");
}

TEST(ValueKind, ClassifiesByTheFirstCharacters) {
  const std::vector<std::pair<const char*, int32_t>> cases = {
      {"NULL", 0},   {"NULLX", 0},   {"", 0},       {nullptr, 0},      {"T", 1},    {"True", 1},
      {"F00", 1},    {"false", 9},   {"42", 2},     {"12AB", 2},       {"-42", 3},  {"+7", 3},
      {"-", 3},      {"1.5", 4},     {"-0.5", 4},   {"-INF", 4},       {"+INF", 4}, {"NAN", 4},
      {"nan", 9},    {"-inf", 3},    {"5e3", 4},    {"1e+10.0", 4},    {"1E-5", 4}, {"1e", 2},
      {"INF", 4},    {"X'0A1B'", 6}, {"x'0a'", 6},  {"0x0A1B", 2},     {"X", 9},    {"\"abc\"", 13},
      {"'abc'", 13}, {"`abc'", 13},  {"active", 9}, {"(device,1)", 9},
  };
  for (const auto& [text, kind] : cases) {
    EXPECT_EQ(DetectValueKind(text), kind) << (text ? text : "(null)");
  }
}

// The notation of every kind reads back into the value that writes as the
// same text again.
struct RoundTrip {
  const char* text;
  int32_t type;
  uint32_t objectType = kAny;
  uint32_t property = 0x3FFFFF;
};

TEST(ValueParse, ReadsBackWhatTheWriterWrites) {
  const std::vector<RoundTrip> cases = {
      {"NULL", 0},
      {"T", 1},
      {"F", 1},
      {"0", 2},
      {"42", 2},
      {"4294967295", 2},
      {"-42", 3},
      {"-2147483648", 3},
      {"1.5", 4},
      {"-0.5", 4},
      {"-0.0", 4},
      {"1.0", 4},
      {"1e+10.0", 4},
      {"1.5e-05", 4},
      {"3.40282e+38", 4},
      {"INF", 4},
      {"-INF", 4},
      {"NAN", 4},
      {"X'0a1b'", 6},
      {"X''", 6},
      {"\"abc\"", 13},
      {"\"\"", 13},
      {"\"a\\\"b\\x09c\\d\"", 13},  // a quote, a tab and a backslash inside
      {"active", 9, kBinaryInput, kPresentValue},
      {"degrees-Celsius", 9, kAnalogInput, kUnits},
      {"unknown-engineering-units--1", 9, kAnalogInput, kUnits},
      {"proprietary-object-130", 9, kAnalogInput, kObjectType},
      {"enumeration-5", 9, kAnalogInput, kPresentValue},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.text);
    Room room;
    ASSERT_TRUE(ParseValueText(c.text, &room.v, c.objectType, c.property, 0));
    EXPECT_EQ(room.v.type, c.type);
    EXPECT_EQ(room.v.count, 1u);
    EXPECT_EQ(Written(room.v, c.objectType, c.property), c.text);
  }
}

TEST(ValueParse, StoresTheValueTheTextDenotes) {
  Room room;
  ASSERT_TRUE(ParseValueText("+7", &room.v, kAny, 0, 0));
  EXPECT_EQ(VelmoraAnyValueGetSigned(&room.v), 7);
  ASSERT_TRUE(ParseValueText("5e3", &room.v, kAny, 0, 0));
  EXPECT_EQ(VelmoraAnyValueGetReal(&room.v), 5000.0f);
  ASSERT_TRUE(ParseValueText("True", &room.v, kAny, 0, 0));
  EXPECT_TRUE(VelmoraAnyValueGetBoolean(&room.v));
  ASSERT_TRUE(ParseValueText("F00", &room.v, kAny, 0, 0));
  EXPECT_EQ(room.v.type, 1);
  EXPECT_FALSE(VelmoraAnyValueGetBoolean(&room.v));
  ASSERT_TRUE(ParseValueText("NULLX", &room.v, kAny, 0, 0));
  EXPECT_EQ(room.v.type, 0);
  ASSERT_TRUE(ParseValueText("active", &room.v, kBinaryInput, kPresentValue, 0));
  EXPECT_EQ(VelmoraAnyValueGetEnumerated(&room.v), 1u);

  // A last odd digit is an octet of its own; the record lies before its
  // octets in the buffer.
  ASSERT_TRUE(ParseValueText("X'ABC'", &room.v, kAny, 0, 0));
  const VelmoraOctetString* octets = VelmoraAnyValueGetOctetString(&room.v);
  ASSERT_NE(octets, nullptr);
  EXPECT_EQ(octets->data, room.bytes + sizeof(VelmoraOctetString));
  EXPECT_EQ(octets->buffer_size, 64 - sizeof(VelmoraOctetString));
  ASSERT_EQ(octets->length, 2u);
  EXPECT_EQ(octets->data[0], 0xAB);
  EXPECT_EQ(octets->data[1], 0x0C);

  // Texts in single quotes or backquotes close on either.
  ASSERT_TRUE(ParseValueText("`it\\'s'", &room.v, kAny, 0, 0));
  EXPECT_STREQ(static_cast<char*>(room.v.buffer), "it's");
}

TEST(ValueParse, RefusesTextThatIsNotItsKindsValue) {
  const std::vector<const char*> cases = {
      "12AB",
      "5e",
      "4294967296",
      "99999999999999999999",
      "-2147483649",
      "+",
      "-",
      "+-5",
      "1.5x",
      "1.2.3",
      "1e39",
      "1e+10.00",
      "-INFX",
      "-nan",
      "X'0AZZ'",
      "X'0A",
      "X'0A'B",
      "X'",
      "\"abc",
      "\"abc\"x",
      "'abc\"",
      "\"a\\x00b\"",
      "nan",
      "false",
      "nosuch",
      "inactive-1",
      "enumeration-5",
      "unknown-binary-PV-2x",
      "unknown-binary-PV-02",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    Room room;
    EXPECT_FALSE(ParseValueText(text, &room.v, kBinaryInput, kPresentValue, 0));
    EXPECT_TRUE(room.Unchanged());
  }
  Room room;
  EXPECT_FALSE(ParseValueText(nullptr, &room.v, kAny, 0, 0));
  EXPECT_FALSE(ParseValueText("1", nullptr, kAny, 0, 0));
  EXPECT_TRUE(room.Unchanged());
}

// A value the room cannot hold is refused whole: no octets or characters
// that fitted are left behind.
TEST(ValueParse, RefusesAValueTheRoomCannotHold) {
  constexpr uint32_t kRecord = sizeof(VelmoraOctetString);
  const std::vector<std::pair<const char*, uint32_t>> fits = {
      {"7", 4},       {"-7", 4},        {"1.5", 4},
      {"T", 1},       {"X''", kRecord}, {"X'0a1b'", kRecord + 2},
      {"\"abc\"", 4}, {"active", 4},
  };
  for (const auto& [text, needs] : fits) {
    SCOPED_TRACE(text);
    Room small{needs - 1};
    EXPECT_FALSE(ParseValueText(text, &small.v, kBinaryInput, kPresentValue, 0));
    EXPECT_TRUE(small.Unchanged());
    Room room{needs};
    EXPECT_TRUE(ParseValueText(text, &room.v, kBinaryInput, kPresentValue, 0));
    EXPECT_TRUE(room.UntouchedFrom(needs));
  }
  Room none{0};
  EXPECT_TRUE(ParseValueText("NULL", &none.v, kAny, 0, 0));  // needs no buffer
}

TEST(ValueParse, OctetStringsBareOrAfter0x) {
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"0A1B", {0x0A, 0x1B}},
      {"0x0A1B", {0x0A, 0x1B}},
      {"X'0x0a'", {0x0A}},
      {"ABC", {0xAB, 0x0C}},
      {"X''", {}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    uint8_t data[4] = {};
    VelmoraOctetString s{data, sizeof data, 99};
    ASSERT_TRUE(TextToOctetString(text, &s));
    EXPECT_EQ(std::vector<uint8_t>(data, data + s.length), expected);
    EXPECT_EQ(s.data, data);
  }
  for (const char* text : {"", "0x", "0A1G", "0A1B2C3D4E"}) {
    SCOPED_TRACE(text);
    uint8_t data[4] = {};
    VelmoraOctetString s{data, sizeof data, 99};
    EXPECT_FALSE(TextToOctetString(text, &s));
    EXPECT_EQ(s.length, 99u);
    EXPECT_EQ(std::vector<uint8_t>(data, data + 4), std::vector<uint8_t>(4, 0));
  }
}

TEST(ValueParse, RealsInAnyLetterCase) {
  float f = 0;
  ASSERT_TRUE(TextToReal("-inf", &f));
  EXPECT_TRUE(std::isinf(f) && f < 0);
  ASSERT_TRUE(TextToReal("Inf", &f));
  EXPECT_TRUE(std::isinf(f) && f > 0);
  ASSERT_TRUE(TextToReal("-nan", &f));
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  EXPECT_EQ(bits, 0x7FFFFFFFu);  // the canonical NaN, whatever the sign
  f = 3;
  EXPECT_FALSE(TextToReal("abc", &f));
  EXPECT_EQ(f, 3);
}

// Not started, the library knows no property's datatype: the text is kept
// as it is.
TEST(ValueParse, WithoutTheLibraryThePropertysTextIsKept) {
  Room room;
  ASSERT_TRUE(ParseValueText("21.5", &room.v, kAnalogInput, kPresentValue, 1));
  EXPECT_EQ(room.v.type, ASN_TYPE_TEXT_ANSI);
  EXPECT_STREQ(static_cast<char*>(room.v.buffer), "21.5");
  Room small{4};
  EXPECT_FALSE(ParseValueText("21.5", &small.v, kAnalogInput, kPresentValue, 1));
  EXPECT_TRUE(small.Unchanged());
}

class ValueParseStarted : public PropertyQueryOpen {};

// Through the property's datatype: the stored datatype, and the value as
// the writer prints it for that property; "-" for a refused text.
struct PropertyCase {
  const char* text;
  uint32_t objectType;
  uint32_t property;
  int32_t type;
  const char* written;
};

TEST_F(ValueParseStarted, TakesThePropertysDatatype) {
  const std::vector<PropertyCase> cases = {
      {"NULL", kAnalogInput, kPresentValue, 0, "NULL"},
      {"21", kAnalogInput, kPresentValue, 4, "21.0"},
      {"21.5", kAnalogInput, kPresentValue, 4, "21.5"},
      {"active", kAnalogInput, kPresentValue, -1, "-"},
      {"active", kBinaryInput, kPresentValue, 9, "active"},
      {"1", kBinaryInput, kPresentValue, -1, "-"},
      {"T", kAnalogInput, kOutOfService, 1, "T"},
      {"1", kAnalogInput, kOutOfService, -1, "-"},
      {"\"Boiler\"", kAnalogInput, kObjectName, 13, "\"Boiler\""},
      {"\"\"", kAnalogInput, kObjectName, 13, "\"\""},
      {"Boiler", kAnalogInput, kObjectName, -1, "-"},
      {"\"Boiler", kAnalogInput, kObjectName, -1, "-"},
      {"3000", kDevice, kApduTimeout, 2, "3000"},
      {"-5", kDevice, kApduTimeout, -1, "-"},
      {"-60", kDevice, kUtcOffset, 3, "-60"},
      {"60", kDevice, kUtcOffset, 3, "60"},
      {"21.5", kSchedule, kPresentValue, 4, "21.5"},  // any primitive: the text's kind
      {"7", kSchedule, kPresentValue, 2, "7"},
      // No reader for a date: the text as it is.
      {"(Friday,25-October-2013)", kDevice, kLocalDate, 13, "\"(Friday,25-October-2013)\""},
      {"21.5", 200, kPresentValue, 13, "\"21.5\""},  // an object type the library does not know
  };
  for (const PropertyCase& c : cases) {
    SCOPED_TRACE(c.text);
    SCOPED_TRACE(c.property);
    Room room;
    bool stored = ParseValueText(c.text, &room.v, c.objectType, c.property, 1);
    ASSERT_EQ(stored, c.type != -1);
    if (!stored) {
      EXPECT_TRUE(room.Unchanged());
      continue;
    }
    EXPECT_EQ(room.v.type, c.type);
    EXPECT_EQ(Written(room.v, c.objectType, c.property), c.written);
  }
}

}  // namespace
