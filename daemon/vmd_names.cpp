#include "daemon/vmd_names.h"

#include "text/enum_names.h"

namespace {

char Fold(char c) {
  if (c == '_') return '-';
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
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
    unsigned d = c >= '0' && c <= '9'   ? unsigned(c - '0')
                 : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
                 : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                        : 99;
    if (d >= base) return false;
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

std::string VmdObjectTypeText(uint32_t type) { return Text(VELMORA_ENUM_OBJECT_TYPE, type); }

std::string VmdPropertyText(uint32_t property) { return Text(VELMORA_ENUM_PROPERTY, property); }
