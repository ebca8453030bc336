// Static schema of BACnet service parameters and constructed types: one
// table of rows and, for constructed rows, arrays of elements. The APDU
// syntax checker walks it; the property datatype lookup names its rows.
#pragma once

#include <array>
#include <cstdint>

#include "bacnet/asn_schema_rows.h"

// One element of a constructed row.
struct AsnSchemaElement {
  uint16_t row;       // index into AsnSchemaTable
  int8_t contextTag;  // -1 for an application-tagged element
  uint8_t flags;      // AsnElement* flags below
};

// Element flags.
inline constexpr uint8_t AsnElementSequenceOf = 0x80;
inline constexpr uint8_t AsnElementNotEmpty = 0x40;
inline constexpr uint8_t AsnElementSelector = 0x10;
inline constexpr uint8_t AsnElementOptionalOnAck = 0x02;  // optional while the last selector held 2
inline constexpr uint8_t AsnElementOptional = 0x01;

// One schema row. `data` depends on the kind: constructed rows point at
// their AsnSchemaElement array; Unsigned rows at a {minimum, maximum} pair
// of uint32_t; BitString rows at the minimum bit count (uint32_t); text rows
// at the required character set (uint32_t). Null when unused.
struct AsnSchemaType {
  const void* data;
  uint32_t bound;    // elements; octets; enumeration limit; bit count; text octets (0 any)
  int16_t datatype;  // datatype code of the values; -1 none, -2 any
  uint16_t tagKind;  // low octet: see the AsnKind* and AsnConstructed* values
};

// Tag-and-kind octet: bits 3-2 the kind.
inline constexpr uint8_t AsnKindMask = 0x0C;
inline constexpr uint8_t AsnKindPrimitive = 0x00;  // bits 7-4 tag, bits 1-0 variant
inline constexpr uint8_t AsnKindAnyPrimitive = 0x04;
inline constexpr uint8_t AsnKindConstructed = 0x08;  // bits 5-4 the sub-kind
inline constexpr uint8_t AsnKindAnyValue = 0x0C;
inline constexpr uint8_t AsnConstructedSequence = 0x08;
inline constexpr uint8_t AsnConstructedChoice = 0x18;
inline constexpr uint8_t AsnConstructedRest = 0x28;
inline constexpr uint8_t AsnConstructedUnsupported = 0x38;

inline constexpr uint32_t AsnSchemaRowCount = 240;
extern const std::array<AsnSchemaType, AsnSchemaRowCount> AsnSchemaTable;

// Row numbers by name: bacnet/asn_schema_rows.h. AsnRowUnsigned is the
// type of an array index 0 element.

// The element row of a list wrapper (a sequence row whose one element is a
// sequence-of); null otherwise.
const AsnSchemaType* AsnSchemaSeqOfElement(const AsnSchemaType* row);
// The same as a row index; 0 for none (row 0 is never an element row).
uint16_t AsnSchemaSeqOfRow(uint32_t row);
// True for a primitive or any-primitive row, or a choice of plain rows.
bool AsnSchemaIsPlain(uint32_t row);
// The row of the constructed values of a datatype, whose one value may span
// several encoded elements; 0 for a datatype whose every value is one
// encoded element (primitives, choices of plain rows) or that no row has.
uint16_t AsnSchemaRowOfDatatype(int32_t datatype);
