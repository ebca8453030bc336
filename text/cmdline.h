// Single-letter command-line options behind a '+', '-' or '/' prefix,
// declared as rows and parsed in one call, and the program's usage text.
#pragma once

#include <cstdint>

#include "bacnet/records.h"

enum CmdLineOptionType : uint32_t {
  CMDLINE_OPTION_BOOLEAN = 0,   // uint8_t: 0 or 1
  CMDLINE_OPTION_OCTETS = 1,    // VelmoraOctetString with its buffer set, from "0x..." text
  CMDLINE_OPTION_REAL = 2,      // float
  CMDLINE_OPTION_SIGNED = 3,    // int32_t
  CMDLINE_OPTION_UNSIGNED = 4,  // uint32_t
  CMDLINE_OPTION_STRING = 5,    // char buffer of output_size bytes
};

// One option. Its output keeps its prior value when the option is absent.
struct CmdLineOption {
  CmdLineOptionType type;
  void* output;
  uint32_t output_size;
  char letter;  // case-sensitive
  const char* description;
};

// Types 0-4; a string option takes CmdLineStringOptionInit, which knows the
// buffer's size.
bool CmdLineOptionInit(CmdLineOption* row, CmdLineOptionType type, void* output, char letter,
                       const char* description);
bool CmdLineStringOptionInit(CmdLineOption* row, char* output, uint32_t size, char letter,
                             const char* description);

// Prints the usage text for a help request (and fails), converts every
// option that is present, and on any failed conversion prints
// "Invalid command line parameters." and fails.
bool CmdLineParse(int argc, const char* const* argv, CmdLineOption* rows, uint32_t n);

// The first option argument of the letter: its value is the rest of the
// argument, else the next argument unless there is none or it starts with a
// prefix, else the option argument itself ("-v" alone gives "-v"). NULL when
// absent.
const char* CmdLineFindOption(int argc, const char* const* argv, char letter);

bool CmdLineConvertValue(CmdLineOptionType type, void* output, uint32_t size, const char* text);
// '+', 'F', 'f' give 0; '-', '/', 'T', 't' give 1 (first character only).
bool CmdLineParseBoolean(uint8_t* out, const char* text);
bool CmdLineParseOctets(VelmoraOctetString* out, const char* text);
bool CmdLineParseReal(float* out, const char* text);
bool CmdLineParseSigned(int32_t* out, const char* text);
// The "%li" reading itself: a leading number in decimal, 0x hexadecimal or
// 0 octal within 32 bits; *end (when given) gets where it stopped.
bool CmdLineScanSigned(const char* text, int32_t* out, const char** end);
bool CmdLineParseUnsigned(uint32_t* out, const char* text);
// Copies at most size - 1 characters and terminates; size 0 fails.
bool CmdLineParseString(char* out, uint32_t size, const char* text);

bool CmdLineIsPrefix(char c);
// Prints the usage text for every "-h", "-?" (any prefix) argument; true
// when there was one.
bool CmdLineHelpRequested(int argc, const char* const* argv);

// The usage text need not be terminated: exactly length characters print.
void CmdLineSetUsage(const char* text, uint32_t length);
void CmdLineGetUsage(const char** text, uint32_t* length);
void CmdLinePrintUsage();
// "name: synopsis", then one line per option with an example of its type.
bool CmdLinePrintOptions(const char* name, const char* synopsis, const CmdLineOption* rows,
                         uint32_t n);
