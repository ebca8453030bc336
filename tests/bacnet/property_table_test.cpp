// Property datatype lookup: the per-object-type tables, the type codes and
// kinds they give, and the property value checks.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_property.h"
#include "bacnet/asn_schema.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(PropertyTables, CoverTheStandardObjectTypesWithTheCommonProperties) {
  std::set<uint32_t> types;
  for (const AsnObjectTypeRow& t : AsnObjectTypeRows()) {
    SCOPED_TRACE(t.objectType);
    EXPECT_TRUE(types.insert(t.objectType).second);
    for (uint32_t i = 1; i < t.count; ++i)
      EXPECT_LT(t.entries[i - 1].property, t.entries[i].property);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 75), 35 << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 77), 17 << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 79), 42 << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 168), 17 << 8 | kAsnPropOptional);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 28), 17 << 8 | kAsnPropOptional);
  }
  for (uint32_t type = 0; type <= 30; ++type)
    EXPECT_EQ(types.count(type), type == 26 ? 0u : 1u);
}

// Every entry names a schema row whose datatype has a row in the datatype
// table (or stands for any primitive).
TEST(PropertyTables, EveryEntryNamesARowWithADatatype) {
  for (const AsnObjectTypeRow& t : AsnObjectTypeRows()) {
    for (uint32_t i = 0; i < t.count; ++i) {
      const AsnPropertyEntry& e = t.entries[i];
      SCOPED_TRACE(testing::Message() << t.objectType << ":" << e.property);
      uint32_t row = AsnTypeCodeRow(e.typeCode);
      ASSERT_LT(row, AsnSchemaRowCount);
      int16_t datatype = AsnSchemaDatatype(e.typeCode);
      EXPECT_TRUE(datatype == ASN_TYPE_ANY || AsnDatatypeFind(datatype) != nullptr) << datatype;
      EXPECT_EQ(e.typeCode & 0xE8, 0);  // only the four flags
    }
  }
}

// The datatypes of the rows the tables use, as the BACnet types they stand
// for.
TEST(PropertyTables, RowsCarryTheirDatatypes) {
  struct Case {
    uint32_t row;
    int16_t datatype;
  };
  const Case cases[] = {
      {2, 1},    {3, 2},    {4, 2},    {5, 2},    {6, 2},    {7, 2},    {11, 2},   {12, 2},
      {13, 2},   {14, 3},   {15, 4},   {17, 7},   {28, 8},   {29, 8},   {30, 8},   {31, 8},
      {32, 8},   {35, 12},  {37, 10},  {38, 11},  {42, 9},   {44, 9},   {45, 9},   {48, 9},
      {51, 9},   {60, 9},   {63, 9},   {67, 9},   {70, 9},   {73, 9},   {75, 9},   {76, 9},
      {77, -2},  {80, 19},  {81, 19},  {82, 19},  {83, 19},  {85, 24},  {86, 26},  {87, 21},
      {89, 33},  {90, 47},  {91, 48},  {92, 49},  {94, 40},  {96, 36},  {97, 30},  {98, 32},
      {101, 37}, {102, 22}, {116, 43}, {133, 31}, {134, 51}, {136, 28}, {137, 34}, {140, 42},
      {141, 41}, {143, 38}, {144, 44}, {145, 45}, {147, 39}, {148, 52}, {149, 53}, {152, 54},
      {155, 55},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnSchemaDatatype(c.row << 8), c.datatype) << c.row;
  EXPECT_TRUE(AsnSchemaIsPrimitive(15));
  EXPECT_FALSE(AsnSchemaIsPrimitive(89));
  EXPECT_FALSE(AsnSchemaIsPrimitive(77));  // any primitive is its own kind
}

TEST(PropertyLookup, TypeCodes) {
  struct Case {
    uint32_t objectType, property;
    uint16_t code;
  };
  const Case cases[] = {
      {0, 85, 0x0F00},   // analog-input present-value: Real
      {1, 87, 0x5002},   // analog-output priority-array
      {26, 77, 0x1100},  // no table: the three common properties
      {26, 85, 0},
      {200, 85, 0},
      {200, 79, 0x2A00},
      {8, 76, 35 << 8 | 0x03},
      {9, 101, 97 << 8 | 0x14},  // optional, may be NULL
      {0, 2, 0},                 // not an analog-input property
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnPropertyTypeCode(c.objectType, c.property), c.code)
        << c.objectType << "," << c.property;
  uint8_t flags = 0xFF;
  EXPECT_EQ(AsnPropertySchemaRow(87, 1, &flags), 80);
  EXPECT_EQ(flags, 0x02);
  EXPECT_EQ(AsnPropertySchemaRow(2, 0, &flags), -1);
}

TEST(PropertyLookup, DatatypeAndKindFollowTheRowsStructure) {
  struct Case {
    uint32_t objectType, property;
    int32_t datatype, kind;
  };
  const Case cases[] = {
      {8, 76, 12, 1},                     // object-list: an array, though also marked as a list
      {17, 123, 33, 7},                   // weekly-schedule: optional array of lists
      {15, 102, 32, 2},                   // recipient-list
      {0, 85, 4, 0},    {0, 130, 34, 5},  // optional array of time stamps
      {17, 38, 28, 5},                    // exception-schedule: optional array (marked a list too)
      {200, 1, -1, -1},
  };
  for (const auto& c : cases) {
    int32_t kind = -1;
    EXPECT_EQ(AsnPropertyDatatype(c.objectType, c.property, &kind), c.datatype) << c.property;
    EXPECT_EQ(kind, c.kind) << c.objectType << "," << c.property;
  }
  EXPECT_EQ(AsnPropertyDatatype(0, 85, nullptr), 4);
}

struct CheckCase {
  const char* name;
  uint32_t objectType, property;
  int32_t arrayIndex;
  Bytes value;
  int status;
  int32_t datatype;  // on success
  uint32_t consumed;
};

const CheckCase kValueChecks[] = {
    {"real present value", 0, 85, -1, {0x44, 0x42, 0x28, 0, 0}, 0, 4, 5},
    {"index on a non-array", 0, 85, 3, {0x44, 0x42, 0x28, 0, 0}, 28, 0, 0},
    {"null recipient", 9, 101, -1, {0x00}, 0, 0, 1},
    {"binary value out of range", 3, 85, -1, {0x91, 0x02}, 16, 0, 0},
    {"binary value", 3, 85, -1, {0x91, 0x01}, 0, 9, 2},
    {"wrong tag", 0, 85, -1, {0x21, 0x01}, 13, 0, 0},
    {"object list length", 8, 76, 0, {0x21, 0x02}, 0, 2, 2},
    {"object list",
     8,
     76,
     -1,
     {0xC4, 0x02, 0x00, 0x00, 0x01, 0xC4, 0x00, 0x00, 0x00, 0x05},
     0,
     12,
     10},
    {"object list element", 8, 76, 2, {0xC4, 0x00, 0x00, 0x00, 0x05}, 0, 12, 5},
    {"any primitive", 17, 85, -1, {0x91, 0x03}, 0, 9, 2},
    {"unsigned list", 13, 7, -1, {0x21, 0x01, 0x21, 0x02}, 0, 2, 4},
    {"status flags", 0, 111, -1, {0x82, 0x04, 0x00}, 0, 8, 3},
    {"status flags of 3 bits", 0, 111, -1, {0x82, 0x05, 0x00}, 13, 0, 0},
};

TEST(PropertyCheck, WholeValues) {
  for (const auto& c : kValueChecks) {
    SCOPED_TRACE(c.name);
    AsnPropertyCheck check = {AsnPropertyTypeCode(c.objectType, c.property), c.arrayIndex,
                              c.value.data(), uint32_t(c.value.size()), 99};
    int32_t datatype = 99;
    int status = AsnCheckPropertyDatatype(&check, &datatype);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(check.data, c.value.data());
    if (status == 0) {
      EXPECT_EQ(datatype, c.datatype);
      EXPECT_EQ(check.consumed, c.consumed);
    } else {
      EXPECT_EQ(datatype, -4);
    }
  }
}

TEST(PropertyCheck, AnyTypedValueKeepsTheRowsDatatypeInThePlainCheck) {
  const Bytes v = {0x91, 0x03};
  AsnPropertyCheck check = {AsnPropertyTypeCode(17, 85), -1, v.data(), 2, 0};
  int32_t datatype = 0;
  ASSERT_EQ(AsnCheckPropertyValue(&check, &datatype), 0);
  EXPECT_EQ(datatype, ASN_TYPE_ANY);
}

TEST(PropertyCheck, ListElements) {
  struct Case {
    const char* name;
    uint32_t objectType, property;
    int32_t arrayIndex;
    Bytes value;
    int status;
    int32_t datatype;
    uint32_t consumed;
  };
  const Case cases[] = {
      {"unsigned list element", 13, 7, -1, {0x21, 0x05, 0x21, 0x06}, 0, 2, 2},
      {"no data", 13, 7, -1, {}, 0, 2, 0},
      {"not a list", 0, 85, -1, {0x44, 0, 0, 0, 0}, 29, -4, 0},
      {"array of plain elements", 8, 76, 1, {0xC4, 0, 0, 0, 1}, 29, -4, 0},
      {"whole array", 17, 123, -1, {0x0E, 0x0F}, 27, -4, 0},
      {"array length", 17, 123, 0, {0x21, 0x07}, 27, -4, 0},
      {"wrong element", 13, 7, -1, {0x44, 0, 0, 0, 0}, 13, -4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AsnPropertyCheck check = {AsnPropertyTypeCode(c.objectType, c.property), c.arrayIndex,
                              c.value.data(), uint32_t(c.value.size()), 99};
    int32_t datatype = 99;
    EXPECT_EQ(AsnCheckListElement(&check, &datatype), c.status);
    EXPECT_EQ(datatype, c.datatype);
    EXPECT_EQ(check.consumed, c.consumed);
    EXPECT_EQ(AsnListElementLength(&check), c.status == 0 ? c.consumed : 0u);
  }
}

}  // namespace
