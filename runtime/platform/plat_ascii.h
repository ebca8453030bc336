// ASCII character helpers, free of the locale: hexadecimal digits and case
// folding, for names and numbers read from files, options and the wire.
#pragma once

#include <string_view>

// The value of a hexadecimal digit in either case; -1 for any other character.
constexpr int PlatHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An upper-case letter in lower case; any other character as it is.
constexpr char PlatAsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Equal but for the case of the letters.
constexpr bool PlatSameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (PlatAsciiLower(a[i]) != PlatAsciiLower(b[i])) return false;
  return true;
}
