// Texts the writers are expected to write, and the records they are made
// from, for the tests of the value notation.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "bacnet/records.h"
#include "tests/text/support/room_check.h"

struct TextExample {
  const char* what;
  TextWriter write;
  std::string text;
};

// A bit string of '0' and '1' characters, bit 0 first.
inline VelmoraBitString Bits(const char* pattern) {
  VelmoraBitString b{};
  b.count = uint32_t(std::strlen(pattern));
  for (uint32_t n = 0; n < b.count && n < VELMORA_BIT_STRING_MAX_BITS; ++n)
    if (pattern[n] == '1') b.bits[n / 8] |= uint8_t(0x80 >> (n % 8));
  return b;
}

// What the writer writes into a large room; "<0>" for nothing.
inline std::string WrittenText(const TextWriter& write) {
  char buffer[2048];
  uint32_t n = write(buffer, sizeof buffer);
  return n ? std::string(buffer, n) : std::string("<0>");
}
