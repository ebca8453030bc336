// Lookups in the enumeration directory.
#include "text/enum_names.h"

#include <cstring>

namespace {

bool RowIsValid(int32_t row) { return row >= 0 && row < VELMORA_ENUM_ROWS; }

// Value classes and names treat a row outside the directory as the generic
// one, so a stray row number can never index past the directory.
const EnumNameTable& RowOrGeneric(int32_t row) {
  return VelmoraEnumNames[RowIsValid(row) ? row : VELMORA_ENUM_GENERIC];
}

bool HasName(const EnumNameTable& t, uint32_t value) {
  return value < t.count && t.names[value][0] != '\0';
}

}  // namespace

uint32_t VelmoraEnumNameCount(int32_t row) {
  return RowIsValid(row) ? VelmoraEnumNames[row].count : 0;
}

uint32_t VelmoraEnumFirstProprietary(int32_t row) {
  return RowIsValid(row) ? VelmoraEnumNames[row].first_proprietary : 0;
}

uint32_t VelmoraEnumLimit(int32_t row) { return RowIsValid(row) ? VelmoraEnumNames[row].limit : 0; }

uint32_t VelmoraEnumMaxValue(int32_t row) {
  if (!RowIsValid(row)) return 0;
  const EnumNameTable& t = VelmoraEnumNames[row];
  return t.limit ? t.limit - 1 : t.count - 1;
}

bool VelmoraEnumIsStandard(int32_t row, uint32_t value) {
  return HasName(RowOrGeneric(row), value);
}

bool VelmoraEnumIsReserved(int32_t row, uint32_t value) {
  const EnumNameTable& t = RowOrGeneric(row);
  return value < t.first_proprietary && !HasName(t, value);
}

bool VelmoraEnumIsProprietary(int32_t row, uint32_t value) {
  const EnumNameTable& t = RowOrGeneric(row);
  return t.first_proprietary && t.first_proprietary <= value && value < t.limit;
}

bool VelmoraEnumIsUnknown(int32_t row, uint32_t value) {
  const EnumNameTable& t = RowOrGeneric(row);
  return value >= (t.first_proprietary ? t.limit : t.count);
}

const char* VelmoraEnumValueName(int32_t row, uint32_t value) {
  const EnumNameTable& t = RowOrGeneric(row);
  if (HasName(t, value)) return t.names[value];
  if (t.first_proprietary) {
    if (value < t.first_proprietary) return t.names[t.count + 1];
    if (value < t.limit) return t.names[t.count + 2];
  }
  return t.names[t.count];
}

int32_t VelmoraEnumValueFromName(int32_t row, const char* text) {
  if (!RowIsValid(row) || !text) return -1;
  const EnumNameTable& t = VelmoraEnumNames[row];
  for (uint32_t v = 0; v < t.count; ++v)
    if (t.names[v][0] != '\0' && std::strcmp(t.names[v], text) == 0) return int32_t(v);
  return -1;
}
