// Expected syntax of each standard property of each standard object type.
#pragma once

#include <cstdint>
#include <span>

// Property type code: schema row << 8 | flags; 0 means no such property.
constexpr uint16_t kAsnPropOptional = 0x10;
constexpr uint16_t kAsnPropMayBeNull = 0x04;
constexpr uint16_t kAsnPropArray = 0x02;
constexpr uint16_t kAsnPropList = 0x01;

struct AsnPropertyEntry {
  uint16_t property;
  uint16_t typeCode;
};

struct AsnObjectTypeRow {
  uint32_t objectType;
  const AsnPropertyEntry* entries;  // sorted by property identifier
  uint32_t count;
};

// The per-object-type tables, and the few properties every other type knows.
std::span<const AsnObjectTypeRow> AsnObjectTypeRows();
std::span<const AsnPropertyEntry> AsnGenericProperties();

constexpr uint32_t AsnTypeCodeRow(uint32_t typeCode) { return typeCode >> 8; }

uint16_t AsnPropertyTypeCode(uint32_t objectType, uint32_t property);
// Schema row of the property (-1 when unknown); its flag octet to *flags.
int32_t AsnPropertySchemaRow(uint32_t property, uint32_t objectType, uint8_t* flags);
// Datatype code of the type code's schema row; -1 when it has none.
int16_t AsnSchemaDatatype(uint32_t typeCode);
bool AsnSchemaIsPrimitive(uint32_t row);
// Datatype code of the property (-1 unknown). Kind: 1 array, 3 array of
// lists, 2 list, 0 single value; plus 4 when the property is optional.
int32_t AsnPropertyDatatype(uint32_t objectType, uint32_t property, int32_t* kind);
// AsnPropertyDatatype while the library is started, else -1: the library's
// start and shut-down open and close it (the users' query).
int32_t AsnPropertyQuery(uint32_t objectType, uint32_t property, int32_t* kind);
void AsnPropertyQueryOpen(bool open);

// A request to validate or measure an encoded property value.
struct AsnPropertyCheck {
  uint32_t typeCode;
  int32_t arrayIndex;  // -1 none
  const uint8_t* data;
  uint32_t length;
  uint32_t consumed;  // out
};

int AsnCheckPropertyValue(AsnPropertyCheck* check, int32_t* datatype);
int AsnCheckPropertyDatatype(AsnPropertyCheck* check, int32_t* datatype);
int AsnCheckListElement(AsnPropertyCheck* check, int32_t* datatype);
uint32_t AsnListElementLength(AsnPropertyCheck* check);
