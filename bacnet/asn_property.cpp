#include "bacnet/asn_property.h"

#include <algorithm>

namespace {

const AsnPropertyEntry* FindEntry(std::span<const AsnPropertyEntry> entries, uint32_t property) {
  auto it = std::lower_bound(entries.begin(), entries.end(), property,
                             [](const AsnPropertyEntry& e, uint32_t p) { return e.property < p; });
  return it != entries.end() && it->property == property ? &*it : nullptr;
}

std::span<const AsnPropertyEntry> EntriesOf(uint32_t objectType) {
  for (const AsnObjectTypeRow& row : AsnObjectTypeRows())
    if (row.objectType == objectType) return {row.entries, row.count};
  return AsnGenericProperties();
}

}  // namespace

uint16_t AsnPropertyTypeCode(uint32_t objectType, uint32_t property) {
  const AsnPropertyEntry* e = FindEntry(EntriesOf(objectType), property);
  return e ? e->typeCode : 0;
}

int32_t AsnPropertySchemaRow(uint32_t property, uint32_t objectType, uint8_t* flags) {
  uint16_t code = AsnPropertyTypeCode(objectType, property);
  if (code == 0) return -1;
  if (flags) *flags = uint8_t(code & 0xFF);
  return int32_t(AsnTypeCodeRow(code));
}
