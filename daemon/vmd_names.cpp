#include "daemon/vmd_names.h"

#include "runtime/platform/plat_ascii.h"
#include "text/enum_names.h"

namespace {

char Fold(char c) {
  if (c == '_') return '-';
  return PlatAsciiLower(c);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// The value of the row whose standard name it is, else the number (up to
// max), else -1.
int32_t Lookup(int32_t row, std::string_view name, uint64_t max) {
  for (uint32_t v = 0; v < VelmoraEnumNameCount(row); ++v)
    if (VelmoraEnumIsStandard(row, v) && SameName(VelmoraEnumValueName(row, v), name))
      return int32_t(v);
  uint64_t n = 0;
  return VmdParseUnsigned(name, max, &n) ? int32_t(n) : -1;
}

struct PortName {
  const char* name;
  int32_t value;
};

constexpr PortName kPortTypes[] = {{"physical", 0}, {"virtual", 1}, {"ptp", 2}};
constexpr PortName kPortProtocols[] = {
    {"ethernet", 0}, {"bip", 1}, {"ptp", 2},  {"arcnet", 3}, {"mstp", 4},
    {"lontalk", 5},  {"tip", 6}, {"null", 7}, {"bhttp", 8},  {"bhttp-ptp", 9},
};

template <size_t N>
int32_t PortLookup(const PortName (&table)[N], std::string_view name) {
  for (const PortName& n : table)
    if (SameName(n.name, name)) return n.value;
  uint64_t v = 0;
  return VmdParseUnsigned(name, 255, &v) ? int32_t(v) : -1;
}

template <size_t N>
std::string PortNames(const PortName (&table)[N]) {
  std::string t;
  for (size_t i = 0; i < N; ++i)
    t += std::string(i == 0 ? "" : i + 1 == N ? " or " : ", ") + table[i].name;
  return t;
}

std::string Text(int32_t row, uint32_t value) {
  return VelmoraEnumIsStandard(row, value) ? VelmoraEnumValueName(row, value)
                                           : std::to_string(value);
}

}  // namespace

bool VmdParseUnsigned(std::string_view text, uint64_t max, uint64_t* out) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return false;
  uint64_t v = 0;
  for (char c : text) {
    const int d = PlatHexDigit(c);
    if (d < 0 || unsigned(d) >= base) return false;
    v = v * base + d;
    if (v > max) return false;
  }
  *out = v;
  return true;
}

int32_t VmdObjectTypeFromName(std::string_view name) {
  return Lookup(VELMORA_ENUM_OBJECT_TYPE, name, 1023);
}

int32_t VmdPropertyFromName(std::string_view name) {
  return Lookup(VELMORA_ENUM_PROPERTY, name, 0x3FFFFF);
}

int32_t VmdSegmentationFromName(std::string_view name) {
  return Lookup(VELMORA_ENUM_SEGMENTATION, name, 3);
}

// Monday to Sunday, in full or by their first three letters.
int32_t VmdWeekdayFromName(std::string_view name) {
  for (uint32_t day = 1; day <= 7; ++day) {
    std::string_view full = VelmoraEnumValueName(VELMORA_ENUM_DAY_OF_WEEK, day);
    if (SameName(full, name) || (name.size() == 3 && SameName(full.substr(0, 3), name)))
      return int32_t(day);
  }
  return -1;
}

int32_t VmdPortTypeFromName(std::string_view name) { return PortLookup(kPortTypes, name); }

int32_t VmdPortProtocolFromName(std::string_view name) { return PortLookup(kPortProtocols, name); }

std::string VmdPortTypeNames() { return PortNames(kPortTypes); }
std::string VmdPortProtocolNames() { return PortNames(kPortProtocols); }

bool VmdParseHex(std::string_view text, uint8_t* out, size_t size) {
  if (text.size() != 2 * size) return false;
  for (size_t i = 0; i < 2 * size; ++i) {
    char c = text[i];
    const int d = PlatHexDigit(c);
    if (d < 0) return false;
    out[i / 2] = uint8_t(i % 2 ? out[i / 2] | d : d << 4);
  }
  return true;
}

std::string VmdHexText(const uint8_t* octets, size_t size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string t;
  for (size_t i = 0; i < size; ++i) {
    t += kDigits[octets[i] >> 4];
    t += kDigits[octets[i] & 15];
  }
  return t;
}

std::string VmdObjectTypeText(uint32_t type) { return Text(VELMORA_ENUM_OBJECT_TYPE, type); }

std::string VmdPropertyText(uint32_t property) { return Text(VELMORA_ENUM_PROPERTY, property); }
