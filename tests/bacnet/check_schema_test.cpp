// The schema table's shape, the rows that property lookups name, and the
// primitive rules of the checker applied to single values.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_schema.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/schema_rows.h"

namespace {

TEST(CheckSchema, ConstructedRowsReferToRealRows) {
  for (uint32_t i = 0; i < AsnSchemaRowCount; ++i) {
    const AsnSchemaType& row = AsnSchemaTable[i];
    const uint8_t tk = static_cast<uint8_t>(row.tagKind);
    if ((tk & AsnKindMask) != AsnKindConstructed) continue;
    if (tk == AsnConstructedSequence || tk == AsnConstructedChoice) {
      ASSERT_TRUE(row.bound == 0 || row.data != nullptr) << i;
      if (tk == AsnConstructedChoice) {
        EXPECT_GT(row.bound, 0u) << i;
      }
    }
    if (tk != AsnConstructedSequence && tk != AsnConstructedChoice) continue;
    const auto* e = static_cast<const AsnSchemaElement*>(row.data);
    for (uint32_t k = 0; k < row.bound; ++k) {
      EXPECT_GT(e[k].row, 0u) << i << "/" << k;
      EXPECT_LT(e[k].row, AsnSchemaRowCount) << i << "/" << k;
      EXPECT_GE(e[k].contextTag, -1) << i << "/" << k;
      EXPECT_NE(static_cast<uint8_t>(AsnSchemaTable[e[k].row].tagKind), AsnConstructedUnsupported)
          << i << "/" << k;
    }
  }
}

// Rows whose numbers other code uses, with the datatype their values take.
TEST(CheckSchema, NamedRowsCarryTheirDatatype) {
  for (const NamedRowDatatype& c : kNamedRowDatatypes)
    EXPECT_EQ(AsnSchemaTable[c.row].datatype, c.datatype) << c.row;
}

TEST(CheckSchema, ListWrappersAndPlainRows) {
  // BACnetDailySchedule holds a list of BACnetTimeValue, BACnetActionList one
  // of BACnetActionCommand; a plain ObjectIdentifier or a choice is no wrapper.
  const std::pair<uint32_t, uint16_t> kWrappers[] = {{89, 88}, {94, 93}, {196, 141}, {35, 0},
                                                     {137, 0}, {0, 0},   {240, 0}};
  for (const auto& [row, element] : kWrappers)
    EXPECT_EQ(AsnSchemaSeqOfRow(row), element) << row;
  EXPECT_EQ(AsnSchemaSeqOfElement(&AsnSchemaTable[89]), &AsnSchemaTable[88]);
  EXPECT_EQ(AsnSchemaSeqOfElement(nullptr), nullptr);

  const std::pair<uint32_t, bool> kPlain[] = {{3, true},   {17, true},  {77, true},  {80, true},
                                              {143, true}, {78, false}, {87, false}, {137, false},
                                              {0, false},  {240, false}};
  for (const auto& [row, plain] : kPlain)
    EXPECT_EQ(AsnSchemaIsPlain(row), plain) << row;
}

// A value of a constructed datatype is walked by its one row; datatypes
// whose every value is one encoded element have none.
TEST(CheckSchema, ConstructedDatatypesHaveOneRow) {
  for (uint32_t i = 0; i < AsnSchemaRowCount; ++i) {
    const int16_t datatype = AsnSchemaTable[i].datatype;
    if (datatype >= 0 && !AsnSchemaIsPlain(i)) {
      EXPECT_EQ(AsnSchemaRowOfDatatype(datatype), i) << "row " << i;
    }
  }
  const std::pair<int32_t, uint16_t> kNamed[] = {{32, 98},  {36, 96}, {37, 101}, {22, 102},
                                                 {46, 103}, {21, 87}, {2, 0},    {19, 0},
                                                 {23, 0},   {-3, 0},  {56, 0}};
  for (const auto& [datatype, row] : kNamed)
    EXPECT_EQ(AsnSchemaRowOfDatatype(datatype), row) << datatype;
}

struct ValueCase {
  uint32_t row;
  std::string octets;
  uint32_t result;
  uint32_t consumed;  // on success
};

const ValueCase kValues[] = {
    // Null and Boolean
    {1, "00", AsnCheckOk, 1},
    {1, "01", AsnCheckBadEncoding, 0},
    {2, "10", AsnCheckOk, 1},
    {2, "11", AsnCheckOk, 1},
    {2, "12", AsnCheckBadEncoding, 0},
    {2, "15 05", AsnCheckBadEncoding, 0},
    {2, "17", AsnCheckBadEncoding, 0},
    {2, "21 01", AsnCheckWrongTag, 0},
    // Unsigned: lengths, octet bounds, ranges
    {3, "21 00", AsnCheckOk, 2},
    {3, "24 FF FF FF FF", AsnCheckOk, 5},
    {3, "20", AsnCheckBadEncoding, 0},
    {3, "25 05 01 02 03 04 05", AsnCheckOutOfRange, 0},
    {7, "22 01 00", AsnCheckOutOfRange, 0},
    {6, "22 FF FF", AsnCheckOk, 3},
    {9, "21 00", AsnCheckOutOfRange, 0},
    {9, "21 10", AsnCheckOk, 2},
    {9, "21 11", AsnCheckOutOfRange, 0},
    {8, "24 80 00 00 00", AsnCheckOutOfRange, 0},
    {13, "21 7F", AsnCheckOk, 2},
    {13, "21 80", AsnCheckOutOfRange, 0},
    {3, "", AsnCheckMissing, 0},
    // Signed, Real, Double, Date, Time
    {14, "30", AsnCheckBadEncoding, 0},
    {14, "34 80 00 00 00", AsnCheckOk, 5},
    {14, "35 05 00 00 00 00 00", AsnCheckOutOfRange, 0},
    {15, "43 00 00 00", AsnCheckBadEncoding, 0},
    {16, "55 08 FF F0 00 00 00 00 00 00", AsnCheckOk, 10},
    {16, "54 00 00 00 00", AsnCheckBadEncoding, 0},
    {38, "B4 17 3B 3B 63", AsnCheckOk, 5},
    // Object identifiers
    {35, "C4 00 00 00 01", AsnCheckOk, 5},
    {35, "C3 00 00 00", AsnCheckBadEncoding, 0},
    {163, "C4 02 3F FF FF", AsnCheckOk, 5},
    {163, "C4 00 00 00 01", AsnCheckInconsistent, 0},
    // Octet strings and their variants
    {26, "60", AsnCheckOk, 1},
    {24, "65 07 01 02 03 04 05 06 07", AsnCheckOk, 9},
    {24, "65 08 01 02 03 04 05 06 07 08", AsnCheckOutOfRange, 0},
    {25, "65 08 01 02 03 04 05 06 07 08", AsnCheckOk, 10},
    {25, "64 01 02 03 04", AsnCheckOutOfRange, 0},
    {40, "63 01 02 03", AsnCheckOk, 4},
    {40, "64 01 02 03 04", AsnCheckBadEncoding, 0},
    // Extended lengths must use their shortest form and fit
    {26, "65 05 01 02 03 04 05", AsnCheckOk, 7},
    {26, "65 04 01 02 03 04", AsnCheckBadEncoding, 0},
    {26, "65 FE 00 05 01 02 03 04 05", AsnCheckBadEncoding, 0},
    {26, "65 FE 00 FE " + Repeat("00 ", 254), AsnCheckOk, 258},
    {26, "65 FF 00 00 00 FE " + Repeat("00 ", 254), AsnCheckBadEncoding, 0},
    {26, "65 FE 00", AsnCheckBadEncoding, 0},
    {26, "65 06 01 02 03 04 05", AsnCheckBadEncoding, 0},
    {26, "66", AsnCheckBadEncoding, 0},
    // Character strings by set
    {17, "70", AsnCheckBadEncoding, 0},
    {17, "71 00", AsnCheckOk, 2},
    {17, "72 00 00", AsnCheckOk, 3},
    {17, "71 06", AsnCheckCharset, 0},
    {17, "72 01 03", AsnCheckBadEncoding, 0},
    {17, "74 01 03 B5 41", AsnCheckOk, 5},
    {17, "75 06 03 00 00 00 41", AsnCheckBadEncoding, 0},
    {17, "75 05 03 00 00 00 41", AsnCheckOk, 7},
    {17, "73 04 00 41", AsnCheckOk, 4},
    {17, "72 04 41", AsnCheckBadEncoding, 0},
    {18, "72 00 41", AsnCheckOk, 3},
    {18, "73 00 41 00", AsnCheckOutOfRange, 0},
    {18, "73 04 00 41", AsnCheckWrongTag, 0},
    {18, "71 06", AsnCheckWrongTag, 0},
    {22, "75 05 04 00 41 00 00", AsnCheckOutOfRange, 0},
    {22, "75 05 04 00 41 00 42", AsnCheckOk, 7},
    {21, "75 09 03 00 00 00 41 00 00 00 00", AsnCheckOutOfRange, 0},
    {19, "74 01 03 B5 00", AsnCheckOutOfRange, 0},
    // Bit strings: unused bits, the 80-bit limit, bit counts
    {29, "81 00", AsnCheckOk, 2},
    {29, "81 01", AsnCheckBadEncoding, 0},
    {29, "82 08 00", AsnCheckBadEncoding, 0},
    {29, "80", AsnCheckBadEncoding, 0},
    {29, "85 0B 00 " + Repeat("FF ", 10), AsnCheckOk, 13},
    {29, "85 0C 00 " + Repeat("FF ", 11), AsnCheckOutOfRange, 0},
    {32, "82 04 00", AsnCheckOk, 3},
    {32, "82 05 00", AsnCheckBadEncoding, 0},
    {27, "82 01 FE", AsnCheckOk, 3},
    {31, "81 00", AsnCheckOk, 2},
    {31, "85 06 00 00 00 00 00 00", AsnCheckOk, 8},
    {31, "85 07 07 00 00 00 00 00 00", AsnCheckBadEncoding, 0},
    // Enumerations below their bounds
    {44, "91 01", AsnCheckOk, 2},
    {44, "91 02", AsnCheckEnumeration, 0},
    {42, "92 03 FF", AsnCheckOk, 3},
    {42, "92 04 00", AsnCheckEnumeration, 0},
    {39, "94 FF FF FF FF", AsnCheckOk, 5},
    {39, "90", AsnCheckBadEncoding, 0},
    {39, "95 05 00 00 00 00 01", AsnCheckOutOfRange, 0},
    // Any primitive, any value, the rest of a PDU, unsupported rows
    {77, "44 00 00 00 00", AsnCheckOk, 5},
    {77, "0E 0F", AsnCheckWrongTag, 0},
    {77, "D1 00", AsnCheckBadEncoding, 0},
    {77, "F1 0F 00", AsnCheckBadEncoding, 0},
    {77, "", AsnCheckMissing, 0},
    {78, "0E 21 01 0F 0F", AsnCheckOk, 4},
    {78, "21 01", AsnCheckMissing, 0},
    {78, "15 0F", AsnCheckBadEncoding, 0},
    {78, "03 0F", AsnCheckBadEncoding, 0},
    {78, "FE 14 FF 14 0F", AsnCheckOk, 4},
    {78, "FE 14 FF 15 0F", AsnCheckBadEncoding, 0},
    {164, "01 02 03", AsnCheckOk, 2},
    {0, "00", AsnCheckUnsupported, 0},
    {95, "00", AsnCheckUnsupported, 0},
    // Constructed values: a choice, a sequence, their tags
    {137, "19 05", AsnCheckOk, 2},
    {104, "F9 0F 01", AsnCheckOk, 3},
    {104, "F9 14 01", AsnCheckWrongTag, 0},
    {104, "F9", AsnCheckWrongTag, 0},
    {137, "2E A4 7A 0C 0A 04 B4 0C 00 00 00 2F", AsnCheckOk, 12},
    {137, "39 05", AsnCheckWrongTag, 0},
    {137, "", AsnCheckMissing, 0},
    {87, "A4 7A 0C 0A 04 B4 0C 00 00 00", AsnCheckOk, 10},
    {87, "A4 7A 0C 0A 04", AsnCheckMissing, 0},
    {102, "0C 00 00 00 01 19 55 29 02", AsnCheckOk, 9},
    // A record count announces the list that follows
    {182, "31 00 21 02 61 41 61 42", AsnCheckOk, 8},
    {182, "31 00 21 02 61 41", AsnCheckInconsistent, 0},
    {182, "31 00 21 02 21 05", AsnCheckInconsistent, 0},
    {182, "31 00 21 00", AsnCheckOk, 4},
    {102, "0C 00 00 00 01 1E 0F", AsnCheckBadEncoding, 0},
};

TEST(CheckValue, RowRulesTable) {
  for (const ValueCase& c : kValues) {
    const std::vector<uint8_t> octets = Hex(c.octets);
    AsnCheckReader reader;
    AsnCheckReaderInit(&reader, octets.data(), static_cast<uint32_t>(octets.size()));
    EXPECT_EQ(AsnCheckElement(&reader, c.row), c.result) << "row " << c.row << ": " << c.octets;
    if (c.result == AsnCheckOk) {
      EXPECT_EQ(octets.size() - reader.remaining, c.consumed)
          << "row " << c.row << ": " << c.octets;
    }
  }
}

TEST(CheckValue, ArrayIndexSelectsTheCheck) {
  // Three object identifiers: the whole array, its length, one element.
  const std::vector<uint8_t> list = Hex("C4 00 00 00 01 C4 00 00 00 02 C4 00 80 00 01");
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, list.data(), static_cast<uint32_t>(list.size()));
  EXPECT_EQ(AsnCheckType(&reader, AsnRowObjectId, -1), AsnCheckOk);
  EXPECT_EQ(reader.remaining, 0u);

  AsnCheckReaderInit(&reader, list.data(), static_cast<uint32_t>(list.size()));
  EXPECT_EQ(AsnCheckType(&reader, AsnRowObjectId, 0), AsnCheckWrongTag);

  const std::vector<uint8_t> length = Hex("21 03");
  AsnCheckReaderInit(&reader, length.data(), static_cast<uint32_t>(length.size()));
  EXPECT_EQ(AsnCheckType(&reader, AsnRowObjectId, 0), AsnCheckOk);

  AsnCheckReaderInit(&reader, list.data(), static_cast<uint32_t>(list.size()));
  EXPECT_EQ(AsnCheckType(&reader, AsnRowObjectId, 2), AsnCheckOk);
  EXPECT_EQ(reader.remaining, 10u);
}

TEST(CheckValue, ListStopsAtClosingTagAndCountsMustAgree) {
  const std::vector<uint8_t> list = Hex("21 01 21 02 21 03 1F");
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, list.data(), static_cast<uint32_t>(list.size()));
  reader.expectedCount = 3;
  EXPECT_EQ(AsnCheckSequenceOf(&reader, AsnRowUnsigned), AsnCheckOk);
  EXPECT_EQ(reader.remaining, 1u);
  EXPECT_EQ(reader.expectedCount, -1);

  AsnCheckReaderInit(&reader, list.data(), static_cast<uint32_t>(list.size()));
  reader.expectedCount = 2;
  EXPECT_EQ(AsnCheckSequenceOf(&reader, AsnRowUnsigned), AsnCheckInconsistent);

  // A list of elements that may take no octet cannot spin on a stray octet.
  const std::vector<uint8_t> stray = Hex("44 00 00 00 00");
  AsnCheckReaderInit(&reader, stray.data(), static_cast<uint32_t>(stray.size()));
  EXPECT_EQ(AsnCheckSequenceOf(&reader, AsnRowSetpointReference), AsnCheckWrongTag);
}

}  // namespace
