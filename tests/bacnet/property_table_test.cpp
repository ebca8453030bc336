// Property datatype lookup: the per-object-type tables, the type codes and
// kinds they give, and the property value checks.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_property.h"
#include "bacnet/asn_schema.h"
#include "tests/bacnet/support/schema_rows.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(PropertyTables, CoverTheStandardObjectTypesWithTheCommonProperties) {
  std::set<uint32_t> types;
  for (const AsnObjectTypeRow& t : AsnObjectTypeRows()) {
    SCOPED_TRACE(t.objectType);
    EXPECT_TRUE(types.insert(t.objectType).second);
    for (uint32_t i = 1; i < t.count; ++i)
      EXPECT_LT(t.entries[i - 1].property, t.entries[i].property);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 75), AsnRowObjectId << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 77), AsnRowCharString << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 79), AsnRowObjectType << 8);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 168), AsnRowCharString << 8 | kAsnPropOptional);
    EXPECT_EQ(AsnPropertyTypeCode(t.objectType, 28), AsnRowCharString << 8 | kAsnPropOptional);
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
  for (const NamedRowDatatype& c : kNamedRowDatatypes)
    EXPECT_EQ(AsnSchemaDatatype(uint32_t(c.row) << 8), c.datatype) << c.row;
  EXPECT_TRUE(AsnSchemaIsPrimitive(AsnRowReal));
  EXPECT_FALSE(AsnSchemaIsPrimitive(AsnRowDailySchedule));
  EXPECT_FALSE(AsnSchemaIsPrimitive(AsnRowAnyPrimitive));  // any primitive is its own kind
}

// The code of every object type and property, inside the index and past
// it, is the one its table's entry holds (the common three for a type
// without a table).
TEST(PropertyLookup, TypeCodesAreTheTablesEntries) {
  for (uint32_t type = 0; type < 300; type += type < 40 ? 1 : 37) {
    std::span<const AsnPropertyEntry> entries = AsnGenericProperties();
    for (const AsnObjectTypeRow& t : AsnObjectTypeRows())
      if (t.objectType == type) entries = {t.entries, t.count};
    for (uint32_t property = 0; property < 600; ++property) {
      uint16_t code = 0;
      for (const AsnPropertyEntry& e : entries)
        if (e.property == property) code = e.typeCode;
      ASSERT_EQ(AsnPropertyTypeCode(type, property), code) << type << "," << property;
    }
  }
}

TEST(PropertyLookup, TypeCodes) {
  struct Case {
    uint32_t objectType, property;
    uint16_t code;
  };
  const Case cases[] = {
      {0, 85, AsnRowReal << 8},                          // analog-input present-value
      {1, 87, AsnRowPriorityReal << 8 | kAsnPropArray},  // analog-output priority-array
      {26, 77, AsnRowCharString << 8},                   // no table: the three common properties
      {26, 85, 0},
      {200, 85, 0},
      {200, 79, AsnRowObjectType << 8},
      {8, 76, AsnRowObjectId << 8 | kAsnPropArray | kAsnPropList},
      {9, 101, AsnRowRecipient << 8 | kAsnPropOptional | kAsnPropMayBeNull},
      {0, 2, 0},  // not an analog-input property
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnPropertyTypeCode(c.objectType, c.property), c.code)
        << c.objectType << "," << c.property;
  uint8_t flags = 0xFF;
  EXPECT_EQ(AsnPropertySchemaRow(87, 1, &flags), AsnRowPriorityReal);
  EXPECT_EQ(flags, kAsnPropArray);
  EXPECT_EQ(AsnPropertySchemaRow(2, 0, &flags), -1);
}

TEST(PropertyLookup, DatatypeAndKindFollowTheRowsStructure) {
  struct Case {
    uint32_t objectType, property;
    int32_t datatype, kind;
  };
  const Case cases[] = {
      {8, 76, ASN_TYPE_OBJECT_ID, 1},         // object-list: an array, though also marked as a list
      {17, 123, ASN_TYPE_DAILY_SCHEDULE, 7},  // weekly-schedule: optional array of lists
      {15, 102, ASN_TYPE_DESTINATION, 2},     // recipient-list
      {0, 85, ASN_TYPE_REAL, 0},
      {0, 130, ASN_TYPE_TIME_STAMP, 5},  // optional array of time stamps
      {17, 38, ASN_TYPE_SPECIAL_EVENT,
       5},  // exception-schedule: optional array (marked a list too)
      {200, 1, ASN_TYPE_NONE, -1},
  };
  for (const auto& c : cases) {
    int32_t kind = -1;
    EXPECT_EQ(AsnPropertyDatatype(c.objectType, c.property, &kind), c.datatype) << c.property;
    EXPECT_EQ(kind, c.kind) << c.objectType << "," << c.property;
  }
  EXPECT_EQ(AsnPropertyDatatype(0, 85, nullptr), ASN_TYPE_REAL);
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
    {"real present value", 0, 85, -1, {0x44, 0x42, 0x28, 0, 0}, ASN_OK, ASN_TYPE_REAL, 5},
    {"index on a non-array", 0, 85, 3, {0x44, 0x42, 0x28, 0, 0}, ASN_NOT_AN_ARRAY, 0, 0},
    {"null recipient", 9, 101, -1, {0x00}, ASN_OK, ASN_TYPE_NULL, 1},
    {"binary value out of range", 3, 85, -1, {0x91, 0x02}, ASN_OUT_OF_RANGE, 0, 0},
    {"binary value", 3, 85, -1, {0x91, 0x01}, ASN_OK, ASN_TYPE_ENUMERATED, 2},
    {"wrong tag", 0, 85, -1, {0x21, 0x01}, ASN_BAD_DATATYPE, 0, 0},
    {"object list length", 8, 76, 0, {0x21, 0x02}, ASN_OK, ASN_TYPE_UNSIGNED, 2},
    {"object list",
     8,
     76,
     -1,
     {0xC4, 0x02, 0x00, 0x00, 0x01, 0xC4, 0x00, 0x00, 0x00, 0x05},
     ASN_OK,
     ASN_TYPE_OBJECT_ID,
     10},
    {"object list element",
     8,
     76,
     2,
     {0xC4, 0x00, 0x00, 0x00, 0x05},
     ASN_OK,
     ASN_TYPE_OBJECT_ID,
     5},
    {"any primitive", 17, 85, -1, {0x91, 0x03}, ASN_OK, ASN_TYPE_ENUMERATED, 2},
    {"unsigned list", 13, 7, -1, {0x21, 0x01, 0x21, 0x02}, ASN_OK, ASN_TYPE_UNSIGNED, 4},
    {"status flags", 0, 111, -1, {0x82, 0x04, 0x00}, ASN_OK, ASN_TYPE_BIT_STRING, 3},
    {"status flags of 3 bits", 0, 111, -1, {0x82, 0x05, 0x00}, ASN_BAD_DATATYPE, 0, 0},
    // Extended event parameters name a property by reference: analog-input 1,
    // present-value; the property value form belongs to notifications.
    {"extended event parameters",
     9,
     83,
     -1,
     {0x9E, 0x09, 0x05, 0x19, 0x01, 0x2E, 0x91, 0x02, 0x0E, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x19,
      0x55, 0x0F, 0x2F, 0x9F},
     ASN_OK,
     ASN_TYPE_EVENT_PARAMETER,
     19},
    // The earlier buffer-ready form: notification threshold 100, previous count 2.
    {"earlier buffer-ready event parameters",
     9,
     83,
     -1,
     {0x7E, 0x09, 0x64, 0x19, 0x02, 0x7F},
     ASN_OK,
     ASN_TYPE_EVENT_PARAMETER,
     6},
    {"extended event parameters with a property value",
     9,
     83,
     -1,
     {0x9E, 0x09, 0x05, 0x19, 0x01, 0x2E, 0x0E, 0x0C, 0x02, 0x00, 0x00, 0x01, 0x1C, 0x00, 0x00,
      0x00, 0x01, 0x29, 0x55, 0x4E, 0x44, 0x42, 0x28, 0x00, 0x00, 0x4F, 0x0F, 0x2F, 0x9F},
     ASN_BAD_DATATYPE,
     0,
     0},
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
      EXPECT_EQ(datatype, ASN_TYPE_RAW_PROPRIETARY);
    }
  }
}

TEST(PropertyCheck, AnyTypedValueKeepsTheRowsDatatypeInThePlainCheck) {
  const Bytes v = {0x91, 0x03};
  AsnPropertyCheck check = {AsnPropertyTypeCode(17, 85), -1, v.data(), 2, 0};
  int32_t datatype = 0;
  ASSERT_EQ(AsnCheckPropertyValue(&check, &datatype), ASN_OK);
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
      {"unsigned list element", 13, 7, -1, {0x21, 0x05, 0x21, 0x06}, ASN_OK, ASN_TYPE_UNSIGNED, 2},
      {"no data", 13, 7, -1, {}, ASN_OK, ASN_TYPE_UNSIGNED, 0},
      {"not a list", 0, 85, -1, {0x44, 0, 0, 0, 0}, ASN_NOT_A_LIST, ASN_TYPE_RAW_PROPRIETARY, 0},
      {"array of plain elements",
       8,
       76,
       1,
       {0xC4, 0, 0, 0, 1},
       ASN_NOT_A_LIST,
       ASN_TYPE_RAW_PROPRIETARY,
       0},
      {"whole array", 17, 123, -1, {0x0E, 0x0F}, ASN_BAD_ARRAY_INDEX, ASN_TYPE_RAW_PROPRIETARY, 0},
      {"array length", 17, 123, 0, {0x21, 0x07}, ASN_BAD_ARRAY_INDEX, ASN_TYPE_RAW_PROPRIETARY, 0},
      {"wrong element",
       13,
       7,
       -1,
       {0x44, 0, 0, 0, 0},
       ASN_BAD_DATATYPE,
       ASN_TYPE_RAW_PROPRIETARY,
       0},
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
