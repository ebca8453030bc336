// Texts the writers are expected to write, and the records they are made
// from, for the tests of the value notation.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/records.h"
#include "tests/text/support/room_check.h"
#include "text/value_text.h"

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

// The value of the datatype code that the octets encode, decoded into its
// own buffer and written as a value nested in a record is.
inline std::string DecodedText(int32_t code, const std::vector<uint8_t>& octets) {
  alignas(8) uint8_t storage[1024];
  VelmoraAnyValue v{};
  VelmoraAnyValueInitEmpty(&v, storage, sizeof storage);
  if (AsnDecodeValue(AsnDatatypeFind(code), octets.data(), uint32_t(octets.size()), &v, nullptr))
    return "<not decoded>";
  return WrittenText([&v](char* d, uint32_t room) {
    return VelmoraValueToString(d, room, &v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY, 0);
  });
}
