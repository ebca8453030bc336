// Typed value text of site files against the octets the BACnet encoding
// rules give, and a clear message for every text that cannot be one.
#include <gtest/gtest.h>

#include "daemon/vmd_value.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Value, ElementsEncodeAsTheEncodingRulesSay) {
  struct Case {
    const char* text;
    Bytes octets;
  } cases[] = {
      {"null", {0x00}},
      {"true", {0x11}},
      {"boolean false", {0x10}},
      {"FALSE", {0x10}},
      {"unsigned 0", {0x21, 0x00}},
      {"unsigned 256", {0x22, 0x01, 0x00}},
      {"unsigned 0xFFFFFFFF", {0x24, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"signed -1", {0x31, 0xFF}},
      {"signed 128", {0x32, 0x00, 0x80}},
      {"signed -2147483648", {0x34, 0x80, 0x00, 0x00, 0x00}},
      {"enumerated 62", {0x91, 0x3E}},
      {"enum 256", {0x92, 0x01, 0x00}},
      {"real 21.5", {0x44, 0x41, 0xAC, 0x00, 0x00}},
      {"real -inf", {0x44, 0xFF, 0x80, 0x00, 0x00}},
      {"real nan", {0x44, 0x7F, 0xFF, 0xFF, 0xFF}},
      {"\"ABC\"", {0x74, 0x00, 0x41, 0x42, 0x43}},
      {"string \"\"", {0x71, 0x00}},
      {"\"a\\\"b\\\\\"", {0x75, 0x05, 0x00, 'a', '"', 'b', '\\'}},  // length 5: its own octet
      {"\"#\\x09\\xff\"", {0x74, 0x00, '#', 0x09, 0xFF}},
      {"bits 0100", {0x82, 0x04, 0x40}},
      {"bits", {0x81, 0x00}},
      {"bits 1111 1111 1", {0x83, 0x07, 0xFF, 0x80}},
      {"object analog-input 1", {0xC4, 0x00, 0x00, 0x00, 0x01}},
      {"object Device 1001", {0xC4, 0x02, 0x00, 0x03, 0xE9}},
      {"object 130 7", {0xC4, 0x20, 0x80, 0x00, 0x07}},
      {"date 2024-05-17", {0xA4, 0x7C, 0x05, 0x11, 0x05}},  // a Friday
      {"date 2024-05-17 *", {0xA4, 0x7C, 0x05, 0x11, 0xFF}},
      {"date 2024-05-17 sun", {0xA4, 0x7C, 0x05, 0x11, 0x07}},
      {"date *-*-*", {0xA4, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"date 2024-13-32", {0xA4, 0x7C, 0x0D, 0x20, 0xFF}},  // odd months, last day
      {"time 14:05:09.00", {0xB4, 0x0E, 0x05, 0x09, 0x00}},
      {"time 23:59", {0xB4, 0x17, 0x3B, 0x00, 0x00}},
      {"time *:*:*.*", {0xB4, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"hex 91 02", {0x91, 0x02}},
      {"HEX 0e0F", {0x0E, 0x0F}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    VmdValue v;
    std::string error;
    ASSERT_TRUE(VmdValueParse(k.text, &v, &error, nullptr)) << error;
    EXPECT_EQ(v.form, VmdValueForm::Single);
    ASSERT_EQ(v.elements.size(), 1u);
    EXPECT_EQ(v.elements[0], k.octets);
  }
}

TEST(Value, ArraysAndListsKeepTheirElements) {
  VmdValue v;
  std::string error;
  ASSERT_TRUE(VmdValueParse("array null * 2, real 1,\"x\"", &v, &error, nullptr)) << error;
  EXPECT_EQ(v.form, VmdValueForm::Array);
  ASSERT_EQ(v.elements.size(), 4u);
  EXPECT_EQ(v.elements[1], Bytes{0x00});
  EXPECT_EQ(v.elements[2], (Bytes{0x44, 0x3F, 0x80, 0x00, 0x00}));
  EXPECT_EQ(VmdValueOctets(v), (Bytes{0x00, 0x00, 0x44, 0x3F, 0x80, 0x00, 0x00, 0x72, 0x00, 'x'}));
  ASSERT_TRUE(VmdValueParse("list date 2024-05-17, time 06:30", &v, &error, nullptr)) << error;
  EXPECT_EQ(v.form, VmdValueForm::List);
  EXPECT_EQ(VmdValueOctets(v), (Bytes{0xA4, 0x7C, 0x05, 0x11, 0x05, 0xB4, 0x06, 0x1E, 0x00, 0x00}));
  ASSERT_TRUE(VmdValueParse("list", &v, &error, nullptr));
  EXPECT_EQ(v.form, VmdValueForm::List);
  EXPECT_TRUE(v.elements.empty());
  ASSERT_TRUE(VmdValueParse("array date 2024-05-17 * 2", &v, &error, nullptr)) << error;
  EXPECT_EQ(v.elements.size(), 2u) << "'* 2' after a date repeats it";
}

TEST(Value, BadTextSaysWhatWasExpectedAndWhere) {
  struct Case {
    const char* text;
    size_t at;
    const char* error;
  } cases[] = {
      {"", 0, "expected a value: null, true"},
      {"frob 1", 0, "expected a value: null, true"},
      {"real", 4, "expected a number (or nan, inf, -inf) after 'real'"},
      {"real 1.5x", 5, "expected a number"},
      {"real 1e39", 5, "'1e39' is out of range for a real"},
      {"real 1e999999", 5, "'1e999999' is out of range for a real"},
      {"real -1e999999", 5, "'-1e999999' is out of range for a real"},
      {"unsigned -1", 9, "expected a number from 0 to 4294967295 after 'unsigned'"},
      {"unsigned 4294967296", 9, "expected a number from 0 to 4294967295"},
      {"signed 2147483648", 7, "expected a number from -2147483648 to 2147483647"},
      {"signed 0x10", 7, "expected a number from -2147483648"},
      {"boolean maybe", 8, "expected true or false"},
      {"\"abc", 0, "text without its closing '\"'"},
      {"\"a\\qb\"", 2, "unknown escape"},
      {"bits 0102", 5, "expected the end of the value"},
      {"bits 11111111 11111111 11111111 11111111 11111111 11111111 11111111 11111111 "
       "11111111 11111111 1",
       5, "a bit string holds at most 80 bits"},
      {"hex 123", 4, "expected hex octets after 'hex'"},
      {"hex", 3, "expected hex octets"},
      {"object nosuch 1", 7, "expected an object type"},
      {"object analog-input", 19, "expected a number from 0 to 4294967295 after 'object "},
      {"object device 4194304", 7, "the object identifier cannot be encoded: not a valid object"},
      {"date 2155-01-01", 5, "the date cannot be encoded: a field is out of range"},
      {"date 2024-5", 5, "expected YEAR-MONTH-DAY after 'date'"},
      {"time 24:00", 5, "the time cannot be encoded: a field is out of range"},
      {"time 12", 5, "expected HOUR:MINUTE[:SECOND[.HUNDREDTHS]]"},
      {"time 12:00.5", 5, "expected HOUR:MINUTE"},
      {"null null", 5, "expected the end of the value"},
      {"null * 3", 5, "a repeat ('* COUNT') belongs in an array or a list"},
      {"array null,", 11, "expected a value after ','"},
      {"array null null", 11, "expected ',' or the end of the value"},
      {"array null * 0", 13, "expected a count from 1 to 10000 after '*'"},
      {"list null * 10000, null * 10000, null * 10000, null * 10000, null * 10000, "
       "null * 10000, null * 10000, null * 10000, null * 10000, null * 10000, null",
       149, "more than 100000 elements"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    VmdValue v;
    v.form = VmdValueForm::Array;
    std::string error;
    size_t at = 999;
    EXPECT_FALSE(VmdValueParse(k.text, &v, &error, &at));
    EXPECT_EQ(error.rfind(k.error, 0), 0u) << error;
    EXPECT_EQ(at, k.at) << error;
    EXPECT_EQ(v.form, VmdValueForm::Array) << "a failed parse leaves the value as it was";
  }
}

}  // namespace
