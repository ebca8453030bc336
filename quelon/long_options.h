// quelon's options: long and short names with aliases, values after ':' or
// '=' or in the next argument, looked up on demand in the argument vector.
// An alias list names one option by its aliases separated by blanks or
// commas ("d,daemon,f,full"); the first alias present wins, in the list's order.
// A one-letter name takes '-' or '/' ("-h", "/h"), a longer one "--" or '/'
// ("--help", "/help"); names compare without regard to case.
#pragma once

#include <cstdint>

// Non-empty, only letters, digits, '-', '?' and '_'; other names are never found.
bool OptionNameIsValid(const char* name);

// True when the name is present; *value (when given) gets its value or NULL.
// A value in the next argument is taken unless that begins with '/' or '-'.
bool OptionFind(const char* const* argv, int argc, const char* name, const char** value);
bool OptionSpecFind(const char* spec, int argc, const char** value, const char* const* argv);
bool OptionFindName(const char* const* argv, int argc, const char* name);
bool OptionIsSet(const char* const* argv, int argc, const char* spec);

// Present with a value that is a whole number in the "%i" forms (decimal,
// 0x hexadecimal, leading 0 octal) within 32 bits. *out is 0 otherwise.
bool OptionGetInt(const char* const* argv, int argc, const char* spec, int32_t* out);
// Present with a value. A value in double quotes runs to the next lone
// double quote ("" gives one); an unquoted one while it has letters, digits
// or '_'. At most size - 1 characters, always terminated; size 0 fails.
bool OptionGetString(const char* const* argv, int argc, const char* spec, char* buffer,
                     uint32_t size);
// Present with hex digits (as a string of at most 3n - 1 characters) that
// fill at most n bytes, right-aligned; *count gets the byte count.
bool OptionGetHex(const char* const* argv, int argc, const char* spec, uint8_t* buffer, uint32_t n,
                  uint32_t* count);
// Present with a value that OptionGetString with this size (or
// OptionGetHex of n bytes, size 3n) reads whole: a quoted value up to its
// closing quote and nothing after it, an unquoted one of letters, digits
// and '_' alone, and all of it fitting.
bool OptionValueIsWhole(const char* const* argv, int argc, const char* spec, uint32_t size);
