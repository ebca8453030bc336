#include "text/hex_bytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HexBytes, RightAlignedOctets) {
  struct Case {
    const char* text;
    uint32_t size;
    bool ok;
    uint32_t count;
    std::vector<uint8_t> octets;  // the buffer after the call (4 bytes)
  };
  const Case kCases[] = {
      {"123", 2, true, 2, {0x01, 0x23, 0xEE, 0xEE}},
      {"123", 1, false, 2, {0xEE, 0xEE, 0xEE, 0xEE}},
      {"c0A8", 4, true, 2, {0xC0, 0xA8, 0xEE, 0xEE}},
      {"f", 4, true, 1, {0x0F, 0xEE, 0xEE, 0xEE}},
      {"", 0, true, 0, {0xEE, 0xEE, 0xEE, 0xEE}},
      {"12g4", 4, false, 2, {0xEE, 0xEE, 0xEE, 0xEE}},
      {"0x12", 4, false, 2, {0xEE, 0xEE, 0xEE, 0xEE}},  // no prefix here
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    std::vector<uint8_t> buffer(4, 0xEE);
    uint32_t count = 99;
    EXPECT_EQ(VelmoraHexToBytes(c.text, buffer.data(), c.size, &count), c.ok);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(buffer, c.octets);
  }
  uint8_t b[2];
  uint32_t count;
  EXPECT_FALSE(VelmoraHexToBytes(nullptr, b, 2, &count));
  EXPECT_FALSE(VelmoraHexToBytes("12", b, 2, nullptr));
}

TEST(HexBytes, DigitValues) {
  const char* digits = "0123456789abcdefABCDEF";
  const int values[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                        11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
  for (int i = 0; digits[i]; ++i)
    EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
  for (char c : {'g', 'G', 'x', ' ', '\0', '/', ':', '@', '`'})
    EXPECT_EQ(HexDigitValue(c), -1) << int(c);
}

}  // namespace
