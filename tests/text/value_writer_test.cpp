// The value writer: array, list or single-element style from the property
// datatypes the library knows once it is started, the row of enumeration
// names from the property, and the values it refuses to read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_datatype_code.h"
#include "tests/text/support/property_query.h"
#include "tests/text/support/room_check.h"
#include "text/value_format.h"
#include "text/value_text.h"

namespace {

constexpr uint32_t kAnalogInput = 0, kBinaryInput = 3, kDevice = 8, kMultiStateInput = 13;
constexpr uint32_t kSchedule = 17;
constexpr uint32_t kObjectList = 76, kObjectName = 77, kPresentValue = 85, kAlarmValues = 7;
constexpr uint32_t kChangeOfStateTime = 16, kPriorityArray = 87;
constexpr uint32_t kUnknownProperty = 600;

// A value over its own buffer, elements copied in one after another.
struct Value {
  alignas(8) uint8_t storage[256] = {};
  VelmoraAnyValue v{};

  Value(int32_t type, const void* elements, uint32_t bytes, uint32_t count) {
    std::memcpy(storage, elements, bytes);
    v = {type, storage, sizeof storage, count};
  }
  template <class T>
  static Value Of(int32_t type, std::vector<T> elements) {
    return Value(type, elements.data(), uint32_t(elements.size() * sizeof(T)),
                 uint32_t(elements.size()));
  }
};

std::string Text(const VelmoraAnyValue* v, uint32_t objectType, uint32_t property,
                 int32_t index = -1, uint8_t show = 0) {
  char buffer[512];
  uint32_t n = VelmoraValueToStringEx(buffer, sizeof buffer, v, objectType, property, index, show);
  return n ? std::string(buffer, n) : std::string("<0>");
}

const VelmoraDateTime kDateTime{{2013, 10, 25, 5}, {14, 5, 9, 0}};
const std::vector<VelmoraObjectId> kThreeObjects = {{8, 1}, {0, 2}, {3, 3}};

class ValueWriterStarted : public PropertyQueryOpen {};

TEST(ValueWriter, WithoutMetadataSeveralElementsAreAnArray) {
  Value reals = Value::Of<float>(ASN_TYPE_REAL, {1, 2.5, -3});
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "{1.0,2.5,-3.0}");
  reals.v.count = 0;
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "{}");
  reals.v.count = 1;
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "1.0");
  // Not started, nothing is known of any property: a list prints bare.
  Value one = Value::Of<uint32_t>(ASN_TYPE_UNSIGNED, {3});
  EXPECT_EQ(Text(&one.v, kMultiStateInput, kAlarmValues), "3");
}

TEST_F(ValueWriterStarted, SeveralElementsOfAnUnknownPropertyAreAnArray) {
  Value reals = Value::Of<float>(ASN_TYPE_REAL, {1, 2.5, -3});
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "{1.0,2.5,-3.0}");
  CheckRooms(
      "array",
      [&](char* d, uint32_t r) {
        return VelmoraValueToString(d, r, &reals.v, kAnalogInput, kUnknownProperty, 0);
      },
      "{1.0,2.5,-3.0}");
  reals.v.count = 0;
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "{}");
  reals.v.count = 1;
  EXPECT_EQ(Text(&reals.v, kAnalogInput, kUnknownProperty), "1.0");
}

// A single Unsigned needs the room of "%lu" even where its text is shorter.
TEST(ValueWriter, ValueTextsKeepTheWriterContract) {
  Value five = Value::Of<uint32_t>(ASN_TYPE_UNSIGNED, {5});
  char buffer[16];
  EXPECT_EQ(VelmoraValueToString(buffer, 10, &five.v, kAnalogInput, kUnknownProperty, 0), 0u);
  ASSERT_EQ(VelmoraValueToString(buffer, 11, &five.v, kAnalogInput, kUnknownProperty, 0), 1u);
  EXPECT_EQ(std::string(buffer), "5");
  Value enums = Value::Of<uint32_t>(ASN_TYPE_ENUMERATED, {1, 0});
  Value texts(ASN_TYPE_TEXT_ANSI, "a\"\0b\0", 5, 2);
  for (const Value* v : {&five, &enums, &texts}) {
    std::string text = Text(&v->v, kBinaryInput, kPresentValue, -1, 1);
    CheckRooms(
        text.c_str(),
        [v](char* d, uint32_t r) {
          return VelmoraValueToString(d, r, &v->v, kBinaryInput, kPresentValue, 1);
        },
        text);
  }
  EXPECT_EQ(Text(&enums.v, kBinaryInput, kPresentValue, -1, 1), "{active (1),inactive (0)}");
}

TEST_F(ValueWriterStarted, EnumerationsAreNamedByTheirProperty) {
  Value one = Value::Of<uint32_t>(ASN_TYPE_ENUMERATED, {1});
  EXPECT_EQ(Text(&one.v, kBinaryInput, kPresentValue), "active");
  EXPECT_EQ(Text(&one.v, kBinaryInput, kPresentValue, -1, 1), "active (1)");
  // An analog input's present value is a REAL: no names for an enumeration.
  EXPECT_EQ(Text(&one.v, kAnalogInput, kPresentValue), "enumeration-1");
  // The datatypes differ, so several elements are an array whatever the kind.
  Value three = Value::Of<uint32_t>(ASN_TYPE_ENUMERATED, {1, 0, 1});
  EXPECT_EQ(Text(&three.v, kAnalogInput, kPresentValue),
            "{enumeration-1,enumeration-0,enumeration-1}");
  VelmoraBitString statusFlags{4, {0x40}};
  Value flags(ASN_TYPE_BIT_STRING, &statusFlags, sizeof statusFlags, 1);
  EXPECT_EQ(Text(&flags.v, kAnalogInput, 111, -1, 1), "(F,T,F,F) (fault)");
}

// Array and list share one text; they differ for a single element, which
// prints in braces only when the property is a list (or, read whole, an
// array).
TEST_F(ValueWriterStarted, StyleFollowsThePropertyKindAndTheIndex) {
  Value three = Value::Of(ASN_TYPE_OBJECT_ID, kThreeObjects);
  const std::string list = "{(device,1),(analog-input,2),(binary-input,3)}";
  EXPECT_EQ(Text(&three.v, kDevice, kObjectList), list);
  EXPECT_EQ(Text(&three.v, kDevice, kObjectList, 2), list);
  Value one = Value::Of(ASN_TYPE_OBJECT_ID, std::vector<VelmoraObjectId>{{8, 1}});
  EXPECT_EQ(Text(&one.v, kDevice, kObjectList), "{(device,1)}");
  EXPECT_EQ(Text(&one.v, kDevice, kObjectList, 2), "(device,1)");

  Value alarm = Value::Of<uint32_t>(ASN_TYPE_UNSIGNED, {3});
  EXPECT_EQ(Text(&alarm.v, kMultiStateInput, kAlarmValues), "{3}");
  EXPECT_EQ(Text(&alarm.v, kMultiStateInput, kAlarmValues, 1), "{3}");
  EXPECT_EQ(Text(&alarm.v, kMultiStateInput, kPresentValue), "3");
  // Any primitive: no datatype to match, one element prints bare.
  Value real = Value::Of<float>(ASN_TYPE_REAL, {21.5});
  EXPECT_EQ(Text(&real.v, kSchedule, kPresentValue), "21.5");
}

// The property datatype lookup gives a date-time property no list kind, so
// it prints in the one pair of braces of its own notation.
TEST_F(ValueWriterStarted, DateTimePropertyPrintsInOnePairOfBraces) {
  Value stamp(ASN_TYPE_DATE_TIME, &kDateTime, sizeof kDateTime, 1);
  EXPECT_EQ(Text(&stamp.v, kBinaryInput, kChangeOfStateTime),
            "{(Friday,25-October-2013),14:05:09.00}");
  Value two = Value::Of(ASN_TYPE_DATE_TIME, std::vector<VelmoraDateTime>{kDateTime, kDateTime});
  EXPECT_EQ(Text(&two.v, kBinaryInput, kChangeOfStateTime),
            "{{(Friday,25-October-2013),14:05:09.00},{(Friday,25-October-2013),14:05:09.00}}");
}

// For a nested value (any object type) the style comes from the object types
// that know the property, when they agree.
TEST_F(ValueWriterStarted, AnyObjectTypeTakesTheStyleAllTypesAgreeOn) {
  int32_t flags = -1;
  EXPECT_EQ(PropertyTypeForAnyObject(kObjectName, &flags), ASN_TYPE_CHAR_STRING);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(PropertyTypeForAnyObject(kObjectList, &flags), ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(flags, 1);
  // Optional in some types, required in others: the same array of
  // priority values.
  EXPECT_EQ(PropertyTypeForAnyObject(kPriorityArray, &flags), ASN_TYPE_PRIORITY_VALUE);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(PropertyTypeForAnyObject(kPresentValue, nullptr), ASN_TYPE_NONE);
  EXPECT_EQ(PropertyTypeForAnyObject(VELMORA_ANY_PROPERTY, nullptr), ASN_TYPE_NONE);

  Value one = Value::Of(ASN_TYPE_OBJECT_ID, std::vector<VelmoraObjectId>{{8, 1}});
  EXPECT_EQ(Text(&one.v, VELMORA_ANY_OBJECT_TYPE, kObjectList), "{(device,1)}");
  Value name(ASN_TYPE_TEXT_ANSI, "Boiler", 7, 1);
  EXPECT_EQ(Text(&name.v, VELMORA_ANY_OBJECT_TYPE, kObjectName), "\"Boiler\"");
  EXPECT_EQ(Text(&name.v, kDevice, kObjectName), "\"Boiler\"");
  Value real = Value::Of<float>(ASN_TYPE_REAL, {21.5});
  EXPECT_EQ(Text(&real.v, VELMORA_ANY_OBJECT_TYPE, kPresentValue), "21.5");
}

TEST(ValueWriter, PackedTextsAreElementsOfTheirOwnSize) {
  Value ansi(ASN_TYPE_TEXT_ANSI, "ab\0c\"\0", 6, 2);
  EXPECT_EQ(Text(&ansi.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY), R"({"ab","c\""})");
  const uint16_t ucs2[] = {'a', 0, 'b', 0x263A, 0};
  Value wide(ASN_TYPE_TEXT_UCS2, ucs2, sizeof ucs2, 2);
  EXPECT_EQ(Text(&wide.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY),
            R"({(UCS-2) "a",(UCS-2) "b\u263A"})");
  const uint32_t ucs4[] = {'x', 0, 0x1F600, 0};
  Value wide4(ASN_TYPE_TEXT_UCS4, ucs4, sizeof ucs4, 2);
  EXPECT_EQ(Text(&wide4.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY),
            R"({(UCS-4) "x",(UCS-4) "\U0001F600"})");
  Value jis(ASN_TYPE_TEXT_JIS, "j\0", 2, 1);
  EXPECT_EQ(Text(&jis.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY), R"((JIS C 6226) "j")");
  Value iso(ASN_TYPE_TEXT_ISO8859, "\xe9\0", 2, 1);
  EXPECT_EQ(Text(&iso.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY), R"((ISO 8859-1) "\xE9")");
  VelmoraDbcsString dbcs{932, "\x82\xa0"};
  Value d(ASN_TYPE_TEXT_DBCS, &dbcs, sizeof dbcs, 1);
  EXPECT_EQ(Text(&d.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY),
            R"((DBCS) (Code Page 932, "\x82\xA0"))");
}

TEST(ValueWriter, EveryPrimitiveDatatypeHasAWriter) {
  const uint8_t octets[] = {0xde, 0xad};
  VelmoraOctetString os{const_cast<uint8_t*>(octets), 2, 2};
  VelmoraCharString cs{"hi", -1, 0, VELMORA_CHARSET_ANSI};
  VelmoraRawData raw{2, octets};
  VelmoraAddress address{1, 5, {0x0a}, 1};
  VelmoraWeekNDay wnd{12, 1, 0};
  VelmoraDate date{2013, 10, 25, 5};
  VelmoraTime time{14, 5, 9, 0};
  VelmoraObjectId id{0, 1};
  double real = 0.25;
  const struct {
    int32_t type;
    const void* element;
    uint32_t size;
    const char* text;
  } cases[] = {
      {ASN_TYPE_NULL, nullptr, 0, "NULL"},
      {ASN_TYPE_BOOLEAN, "\x01", 1, "T"},
      {ASN_TYPE_SIGNED, "\xff\xff\xff\xff", 4, "-1"},
      {ASN_TYPE_DOUBLE, &real, 8, "0.25"},
      {ASN_TYPE_OCTET_STRING, &os, sizeof os, "X'dead'"},
      {ASN_TYPE_CHAR_STRING, &cs, sizeof cs, "\"hi\""},
      {ASN_TYPE_DATE, &date, sizeof date, "(Friday,25-October-2013)"},
      {ASN_TYPE_TIME, &time, sizeof time, "14:05:09.00"},
      {ASN_TYPE_OBJECT_ID, &id, sizeof id, "(analog-input,1)"},
      {ASN_TYPE_ADDRESS, &address, sizeof address, "{5,X'0a'}"},
      {ASN_TYPE_WEEK_N_DAY, &wnd, sizeof wnd, "X'0c01ff'"},
      {ASN_TYPE_RAW_RESERVED, &raw, sizeof raw, "(ASN.1) X'dead'"},
      {ASN_TYPE_RAW_PROPRIETARY, &raw, sizeof raw, "(ASN.1) X'dead'"},
      {ASN_TYPE_RAW_STANDARD, &raw, sizeof raw, "(ASN.1) X'dead'"},
  };
  for (const auto& c : cases) {
    Value v(c.type, c.element ? c.element : "", c.size, 1);
    EXPECT_EQ(Text(&v.v, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY), c.text) << c.type;
  }
}

// The row's element size is the one the codec lays elements out by.
TEST(ValueWriter, ElementSizesAreTheDatatypeTable) {
  for (int32_t code = -6; code <= 56; ++code) {
    const ValueFormatDescriptor* d = ValueFormatDescriptorOf(code);
    if (!d || d->kind == ValueFormatKind::Variable) continue;
    const AsnDatatype* row = AsnDatatypeFind(code);
    ASSERT_NE(row, nullptr) << code;
    EXPECT_EQ(int32_t(d->element_size), row->size) << code;
  }
  for (int32_t code : {-6, -2, -1, 56})
    EXPECT_EQ(ValueFormatDescriptorOf(code), nullptr);
}

// Values the writer cannot read give 0 and write no text.
TEST(ValueWriter, UnreadableValuesGiveZero) {
  char buffer[64];
  EXPECT_EQ(VelmoraValueToString(buffer, sizeof buffer, nullptr, 0, 85, 0), 0u);
  for (int32_t type : {ASN_TYPE_NONE, ASN_TYPE_ANY, 56, -6}) {
    Value v = Value::Of<uint32_t>(type, {1});
    EXPECT_EQ(Text(&v.v, 0, 85), "<0>") << type;
  }
  // Neither buffer nor allocator: a read leaves only the datatype and count.
  VelmoraAnyValue bare{ASN_TYPE_UNSIGNED, nullptr, 0, 1};
  EXPECT_EQ(Text(&bare, 0, 85), "<0>");
  bare.type = ASN_TYPE_TEXT_ANSI;
  EXPECT_EQ(Text(&bare, 0, 77), "<0>");
  bare.count = 0;
  EXPECT_EQ(Text(&bare, 0, 77), "{}");
  // A NULL has nothing to read.
  VelmoraAnyValue null{ASN_TYPE_NULL, nullptr, 0, 1};
  EXPECT_EQ(Text(&null, 0, 85), "NULL");

  // Elements past the capacity, and a packed text without its terminator.
  uint32_t three[3] = {1, 2, 3};
  VelmoraAnyValue short_buffer{ASN_TYPE_UNSIGNED, three, 8, 3};
  EXPECT_EQ(Text(&short_buffer, 0, kUnknownProperty), "<0>");
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  VelmoraAnyValue text{ASN_TYPE_TEXT_ANSI, unterminated, 4, 1};
  EXPECT_EQ(Text(&text, 0, 77), "<0>");
  uint16_t odd[2] = {'a', 0};
  VelmoraAnyValue wide{ASN_TYPE_TEXT_UCS2, odd, 3, 1};
  EXPECT_EQ(Text(&wide, 0, 77), "<0>");
  // An octet string whose length passes its buffer, or without data.
  uint8_t octets[2] = {1, 2};
  VelmoraOctetString os{octets, 2, 5};
  Value over(ASN_TYPE_OCTET_STRING, &os, sizeof os, 1);
  EXPECT_EQ(Text(&over.v, 0, kUnknownProperty), "<0>");
  os = {nullptr, 0, 0};
  Value empty(ASN_TYPE_OCTET_STRING, &os, sizeof os, 1);
  EXPECT_EQ(Text(&empty.v, 0, kUnknownProperty), "X''");
}

TEST(ValueWriter, ListsOfAnyDatatype) {
  char buffer[64];
  const uint32_t values[] = {1, 0, 7};
  uint32_t n = VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_UNSIGNED, values, 3, 41, 0);
  EXPECT_EQ(std::string(buffer, n), "{1,0,7}");
  n = VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_ENUMERATED, values, 2, 6, 1);
  EXPECT_EQ(std::string(buffer, n), "{active (1),inactive (0)}");
  n = VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_TEXT_ANSI, "a\0bc\0", 2, 41, 0);
  EXPECT_EQ(std::string(buffer, n), R"({"a","bc"})");
  n = VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_NULL, nullptr, 2, 41, 0);
  EXPECT_EQ(std::string(buffer, n), "{NULL,NULL}");
  EXPECT_EQ(VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_UNSIGNED, nullptr, 1, 41, 0), 0u);
  EXPECT_EQ(VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_NONE, values, 1, 41, 0), 0u);
}

}  // namespace
