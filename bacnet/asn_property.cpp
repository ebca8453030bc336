#include "bacnet/asn_property.h"

#include <algorithm>
#include <array>

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

uint16_t SearchTypeCode(uint32_t objectType, uint32_t property) {
  const AsnPropertyEntry* e = FindEntry(EntriesOf(objectType), property);
  return e ? e->typeCode : 0;
}

// The standard object types and properties by index: every decoded value
// asks for its code, and the search of the tables costs more than the
// typing it leads to.
constexpr uint32_t kTypes = 32;
constexpr uint32_t kProperties = 256;
using CodeTable = std::array<std::array<uint16_t, kProperties>, kTypes>;

const CodeTable& Codes() {
  static const CodeTable table = [] {
    CodeTable t{};
    for (uint32_t type = 0; type < kTypes; ++type)
      for (const AsnPropertyEntry& e : EntriesOf(type))
        if (e.property < kProperties) t[type][e.property] = e.typeCode;
    return t;
  }();
  return table;
}

}  // namespace

uint16_t AsnPropertyTypeCode(uint32_t objectType, uint32_t property) {
  if (objectType < kTypes && property < kProperties) return Codes()[objectType][property];
  return SearchTypeCode(objectType, property);
}

int32_t AsnPropertySchemaRow(uint32_t property, uint32_t objectType, uint8_t* flags) {
  uint16_t code = AsnPropertyTypeCode(objectType, property);
  if (code == 0) return -1;
  if (flags) *flags = uint8_t(code & 0xFF);
  return int32_t(AsnTypeCodeRow(code));
}
