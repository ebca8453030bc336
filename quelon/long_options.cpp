#include "quelon/long_options.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include "runtime/platform/plat_ascii.h"

#include "text/cmdline.h"
#include "text/hex_bytes.h"

namespace {

constexpr std::string_view kSpecDelimiters = " ,";

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool NameIsValid(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!IsAsciiAlnum(c) && c != '-' && c != '?' && c != '_') return false;
  return true;
}

bool StartsValue(const char* arg) { return arg && arg[0] != '/' && arg[0] != '-'; }

// The text after the option's prefix, or NULL when arg is no option of a
// name of this length: "--" before a long name, '-' before a letter, '/'
// before either.
const char* AfterPrefix(const char* arg, size_t nameLength) {
  if (arg[0] == '/') return arg + 1;
  if (arg[0] != '-') return nullptr;
  if (nameLength == 1) return arg + 1;
  return arg[1] == '-' ? arg + 2 : nullptr;
}

bool FindName(const char* const* argv, int argc, std::string_view name, const char** value) {
  if (!argv || !NameIsValid(name)) return false;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i]) continue;
    const char* p = AfterPrefix(argv[i], name.size());
    if (!p) continue;
    size_t k = 0;
    while (k < name.size() && p[k] != '\0' && PlatAsciiLower(p[k]) == PlatAsciiLower(name[k]))
      ++k;
    if (k < name.size()) continue;
    const char* rest = p + k;
    const char* found;
    if (*rest == '\0')
      found = i + 1 < argc && StartsValue(argv[i + 1]) ? argv[i + 1] : nullptr;
    else if (*rest == ':' || *rest == '=')
      found = rest + 1;
    else
      continue;  // a longer word: "-dx" is not "d"
    if (value) *value = found;
    return true;
  }
  return false;
}

// A value as OptionGetString reads it, into size bytes (size > 0); whether
// it was read whole: all of it fit, a quoted one ends in its closing quote,
// an unquoted one has nothing but letters, digits and '_'.
bool CopyValue(const char* v, char* out, size_t size) {
  size_t n = 0;
  const char* p = v;
  bool closed = true;
  if (*p == '"') {
    closed = false;
    for (++p; *p != '\0' && n + 1 < size; ++p) {
      if (*p == '"') {
        if (p[1] != '"') break;
        ++p;
      }
      out[n++] = *p;
    }
    if (*p == '"' && p[1] != '"') {
      closed = true;
      ++p;
    }
  } else {
    for (; (IsAsciiAlnum(*p) || *p == '_') && n + 1 < size; ++p)
      out[n++] = *p;
  }
  out[n] = '\0';
  return closed && *p == '\0';
}

// The option's value, or NULL when it is absent or has none.
const char* ValueOf(const char* const* argv, int argc, const char* spec) {
  const char* value = nullptr;
  return OptionSpecFind(spec, argc, &value, argv) ? value : nullptr;
}

}  // namespace

bool OptionNameIsValid(const char* name) { return name && NameIsValid(name); }

bool OptionFind(const char* const* argv, int argc, const char* name, const char** value) {
  if (value) *value = nullptr;
  return name && FindName(argv, argc, name, value);
}

bool OptionSpecFind(const char* spec, int argc, const char** value, const char* const* argv) {
  if (value) *value = nullptr;
  if (!spec) return false;
  std::string_view rest = spec;
  while (!rest.empty()) {
    size_t start = rest.find_first_not_of(kSpecDelimiters);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    size_t end = std::min(rest.find_first_of(kSpecDelimiters), rest.size());
    if (FindName(argv, argc, rest.substr(0, end), value)) return true;
    rest.remove_prefix(end);
  }
  return false;
}

bool OptionFindName(const char* const* argv, int argc, const char* name) {
  return OptionFind(argv, argc, name, nullptr);
}

bool OptionIsSet(const char* const* argv, int argc, const char* spec) {
  return OptionSpecFind(spec, argc, nullptr, argv);
}

bool OptionGetInt(const char* const* argv, int argc, const char* spec, int32_t* out) {
  if (!out) return false;
  *out = 0;
  const char* value = ValueOf(argv, argc, spec);
  int32_t n = 0;
  const char* end = nullptr;
  // A value with anything after its number ("abc", "8x") would silently
  // pick another target.
  if (!value || !CmdLineScanSigned(value, &n, &end) || *end != '\0') return false;
  *out = n;
  return true;
}

bool OptionGetString(const char* const* argv, int argc, const char* spec, char* buffer,
                     uint32_t size) {
  if (!buffer || size == 0) return false;
  const char* value = ValueOf(argv, argc, spec);
  if (!value) return false;
  CopyValue(value, buffer, size);
  return true;
}

bool OptionGetHex(const char* const* argv, int argc, const char* spec, uint8_t* buffer, uint32_t n,
                  uint32_t* count) {
  if (!buffer || n == 0 || !count) return false;
  const char* value = ValueOf(argv, argc, spec);
  if (!value) return false;
  // Room for 3n - 1 characters, never more than the value itself needs.
  std::string digits(std::min<size_t>(size_t(3) * n, std::strlen(value) + 1), '\0');
  CopyValue(value, digits.data(), digits.size());
  return VelmoraHexToBytes(digits.c_str(), buffer, n, count);
}

bool OptionValueIsWhole(const char* const* argv, int argc, const char* spec, uint32_t size) {
  const char* value = ValueOf(argv, argc, spec);
  if (!value || size == 0) return false;
  std::string copy(size, '\0');
  return CopyValue(value, copy.data(), copy.size());
}
