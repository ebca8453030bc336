// Short-option rows, their conversions and the usage text store.
#include "text/cmdline.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/hex_bytes.h"

namespace {

// The usage text: set once by the program before it parses.
const char* gUsageText = nullptr;
uint32_t gUsageLength = 0;

// Output sizes by type; a string's size is its buffer's.
constexpr uint32_t kOutputSize[] = {sizeof(uint8_t), sizeof(VelmoraOctetString), sizeof(float),
                                    sizeof(int32_t), sizeof(uint32_t)};

// Value examples of the option list, by type.
constexpr const char* kExample[] = {" T       - ", " 0xabba  - ", " 3.14159 - ",
                                    " -5      - ", " 42      - ", " hello   - "};

const char* SkipBlanks(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
    ++p;
  return p;
}

}  // namespace

bool CmdLineOptionInit(CmdLineOption* row, CmdLineOptionType type, void* output, char letter,
                       const char* description) {
  // A string needs its buffer's size, which only the string initialiser takes.
  if (!row || !output || type >= CMDLINE_OPTION_STRING) return false;
  *row = {type, output, kOutputSize[type], letter, description};
  return true;
}

bool CmdLineStringOptionInit(CmdLineOption* row, char* output, uint32_t size, char letter,
                             const char* description) {
  if (!row || !output || size == 0) return false;
  *row = {CMDLINE_OPTION_STRING, output, size, letter, description};
  return true;
}

bool CmdLineIsPrefix(char c) { return c == '+' || c == '-' || c == '/'; }

const char* CmdLineFindOption(int argc, const char* const* argv, char letter) {
  if (!argv || letter == '\0') return nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg || !CmdLineIsPrefix(arg[0]) || arg[1] != letter) continue;
    if (arg[2] != '\0') return arg + 2;
    if (i + 1 < argc && argv[i + 1] && !CmdLineIsPrefix(argv[i + 1][0])) return argv[i + 1];
    return arg;
  }
  return nullptr;
}

bool CmdLineParseBoolean(uint8_t* out, const char* text) {
  if (!out || !text) return false;
  switch (text[0]) {
    case '+':
    case 'F':
    case 'f':
      *out = 0;
      return true;
    case '-':
    case '/':
    case 'T':
    case 't':
      *out = 1;
      return true;
  }
  return false;
}

bool CmdLineParseOctets(VelmoraOctetString* out, const char* text) {
  if (!out || !text || !out->data || out->buffer_size == 0) return false;
  if (text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  uint32_t count = 0;
  if (!VelmoraHexToBytes(text + 2, out->data, out->buffer_size, &count)) return false;
  out->length = count;
  return true;
}

bool CmdLineParseReal(float* out, const char* text) {
  if (!out || !text) return false;
  char* end = nullptr;
  float v = std::strtof(text, &end);
  if (end == text) return false;
  *out = v;
  return true;
}

bool CmdLineScanSigned(const char* text, int32_t* out, const char** end) {
  if (!out || !text) return false;
  char* stop = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &stop, 0);
  if (stop == text || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  *out = int32_t(v);
  if (end) *end = stop;
  return true;
}

// Trailing text is ignored, as "%li" does.
bool CmdLineParseSigned(int32_t* out, const char* text) {
  return CmdLineScanSigned(text, out, nullptr);
}

// As "%lu" with 32-bit longs: a leading decimal number, a minus sign negating
// it modulo 2^32; a magnitude beyond 32 bits fails.
bool CmdLineParseUnsigned(uint32_t* out, const char* text) {
  if (!out || !text) return false;
  const char* p = SkipBlanks(text);
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  errno = 0;
  unsigned long long v = std::strtoull(p, nullptr, 10);
  if (errno == ERANGE || v > UINT32_MAX) return false;
  *out = negative ? 0u - uint32_t(v) : uint32_t(v);
  return true;
}

bool CmdLineParseString(char* out, uint32_t size, const char* text) {
  if (!out || !text || size == 0) return false;
  size_t n = strnlen(text, size - 1);
  std::memcpy(out, text, n);
  out[n] = '\0';
  return true;
}

bool CmdLineConvertValue(CmdLineOptionType type, void* output, uint32_t size, const char* text) {
  if (!output || !text) return false;
  if (type < CMDLINE_OPTION_STRING && size < kOutputSize[type]) return false;
  switch (type) {
    case CMDLINE_OPTION_BOOLEAN:
      return CmdLineParseBoolean(static_cast<uint8_t*>(output), text);
    case CMDLINE_OPTION_OCTETS:
      return CmdLineParseOctets(static_cast<VelmoraOctetString*>(output), text);
    case CMDLINE_OPTION_REAL:
      return CmdLineParseReal(static_cast<float*>(output), text);
    case CMDLINE_OPTION_SIGNED:
      return CmdLineParseSigned(static_cast<int32_t*>(output), text);
    case CMDLINE_OPTION_UNSIGNED:
      return CmdLineParseUnsigned(static_cast<uint32_t*>(output), text);
    case CMDLINE_OPTION_STRING:
      return CmdLineParseString(static_cast<char*>(output), size, text);
  }
  return false;
}

bool CmdLineHelpRequested(int argc, const char* const* argv) {
  if (!argv) return false;
  bool asked = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg && CmdLineIsPrefix(arg[0]) && (arg[1] == 'h' || arg[1] == '?')) {
      CmdLinePrintUsage();
      asked = true;
    }
  }
  return asked;
}

bool CmdLineParse(int argc, const char* const* argv, CmdLineOption* rows, uint32_t n) {
  if (CmdLineHelpRequested(argc, argv)) return false;
  if (n == 0) return true;
  bool ok = rows != nullptr;
  // Every row is converted, even after a failure.
  for (uint32_t i = 0; rows && i < n; ++i) {
    const char* value = CmdLineFindOption(argc, argv, rows[i].letter);
    if (value && !CmdLineConvertValue(rows[i].type, rows[i].output, rows[i].output_size, value))
      ok = false;
  }
  if (!ok) std::printf("Invalid command line parameters.\n\n");
  return ok;
}

void CmdLineSetUsage(const char* text, uint32_t length) {
  gUsageText = text;
  gUsageLength = text ? length : 0;
}

void CmdLineGetUsage(const char** text, uint32_t* length) {
  if (text) *text = gUsageText;
  if (length) *length = gUsageLength;
}

void CmdLinePrintUsage() {
  if (gUsageText && gUsageLength) std::fwrite(gUsageText, 1, gUsageLength, stdout);
}

bool CmdLinePrintOptions(const char* name, const char* synopsis, const CmdLineOption* rows,
                         uint32_t n) {
  if (!name || !synopsis || !rows || n == 0) return false;
  std::printf("%s: %s", name, synopsis);
  for (uint32_t i = 0; i < n; ++i) {
    const CmdLineOption& row = rows[i];
    std::printf("\n      -%c%s%s", row.letter,
                row.type <= CMDLINE_OPTION_STRING ? kExample[row.type] : " ",
                row.description ? row.description : "");
  }
  std::printf("\n");
  return true;
}
