#include "text/hex_bytes.h"

#include <cstring>

#include "runtime/platform/plat_ascii.h"

int HexDigitValue(char c) { return PlatHexDigit(c); }

bool VelmoraHexToBytes(const char* text, uint8_t* buffer, uint32_t size, uint32_t* count) {
  if (!text || !count) return false;
  size_t digits = std::strlen(text);
  if (digits / 2 >= UINT32_MAX) return false;
  uint32_t n = uint32_t((digits + 1) / 2);
  *count = n;
  if (n > size || (n && !buffer)) return false;
  for (size_t i = 0; i < digits; ++i)
    if (HexDigitValue(text[i]) < 0) return false;
  // Pairs from the end; an odd leading digit stands alone in octet 0.
  size_t i = digits;
  for (uint32_t k = n; k-- > 0;) {
    int low = HexDigitValue(text[--i]);
    int high = i > 0 ? HexDigitValue(text[--i]) : 0;
    buffer[k] = uint8_t(high << 4 | low);
  }
  return true;
}
