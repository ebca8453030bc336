// Hexadecimal text to octets.
#pragma once

#include <cstdint>

// '0'-'9', 'a'-'f' and 'A'-'F' give 0-15, anything else -1.
int HexDigitValue(char c);

// Digits without a prefix, right-aligned: with an odd count the first digit
// alone is octet 0. *count gets (digits + 1) / 2 first, even when the call
// fails; false when that exceeds size or a character is not a hex digit
// (then nothing is written to buffer).
bool VelmoraHexToBytes(const char* text, uint8_t* buffer, uint32_t size, uint32_t* count);
