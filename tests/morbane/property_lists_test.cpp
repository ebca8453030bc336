// The property lists morbane reads an object with when ReadPropertyMultiple
// fails: each type's length and its first and last identifiers as the
// lists are given, the types that fall back to the default list, and the
// copies that need room for the whole list.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "demos/morbane/property_lists.h"

namespace {

struct Row {
  uint32_t type, count, first, last;
};

// Every list starts with Object_Identifier, Object_Name, Object_Type (75,
// 77, 79); the lengths and last entries are the lists' own.
constexpr Row kRows[] = {
    {0, 27, 75, 168},  {1, 28, 75, 168},  {2, 24, 75, 168},  {3, 26, 75, 168},  {4, 30, 75, 168},
    {5, 28, 75, 168},  {6, 7, 75, 168},   {7, 10, 75, 168},  {8, 52, 75, 168},  {9, 18, 75, 168},
    {10, 12, 75, 168}, {11, 7, 75, 168},  {12, 38, 75, 168}, {13, 21, 75, 168}, {14, 22, 75, 168},
    {15, 9, 75, 168},  {16, 14, 75, 168}, {17, 15, 75, 168}, {18, 16, 75, 168}, {19, 22, 75, 168},
    {20, 35, 75, 103}, {21, 30, 75, 168}, {22, 28, 75, 168}, {23, 31, 75, 168}, {24, 30, 75, 168},
    {25, 24, 75, 168}, {27, 30, 75, 168}, {28, 26, 75, 168}, {29, 9, 75, 168},  {30, 31, 75, 168},
};

TEST(PropertyLists, EachTypeHasItsLengthAndEnds) {
  EXPECT_EQ(PropertyListTypeCount(), 31u);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.type);
    ASSERT_EQ(PropertyListCount(row.type), row.count);
    ASSERT_NE(PropertyList(row.type), nullptr);
    EXPECT_EQ(PropertyList(row.type)[0], row.first);
    EXPECT_EQ(PropertyListEntry(row.type, 1), 77u);
    EXPECT_EQ(PropertyListEntry(row.type, 2), 79u);
    EXPECT_EQ(PropertyListEntry(row.type, row.count - 1), row.last);
    EXPECT_EQ(PropertyListEntry(row.type, row.count), 0xFFFFFFFFu);
    EXPECT_EQ(PropertyListForType(row.type).size(), row.count);
  }
  EXPECT_EQ(PropertyListMaxCount(), 52u);  // the device's
}

TEST(PropertyLists, TheTrendLogReadsItsProperty168Twice) {
  const uint32_t* list = PropertyList(20);
  EXPECT_EQ(std::count(list, list + PropertyListCount(20), 168u), 2);
  // No other list names a property twice.
  for (uint32_t type = 0; type < PropertyListTypeCount(); ++type) {
    if (type == 20 || !PropertyList(type)) continue;
    std::vector<uint32_t> sorted(PropertyList(type), PropertyList(type) + PropertyListCount(type));
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << type;
  }
}

TEST(PropertyLists, TypesWithoutAListReadTheDefaultOne) {
  ASSERT_EQ(DefaultPropertyListCount(), 47u);
  EXPECT_EQ(DefaultPropertyList()[0], 75u);
  EXPECT_EQ(DefaultPropertyList()[46], 151u);
  for (uint32_t type : {26u, 31u, 130u, 1023u}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(PropertyListCount(type), 0u);
    EXPECT_EQ(PropertyList(type), nullptr);
    EXPECT_EQ(PropertyListEntry(type, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PropertyListForType(type).data(), DefaultPropertyList());
    EXPECT_EQ(PropertyListForType(type).size(), 47u);
  }
}

TEST(PropertyLists, ACopyNeedsRoomForTheWholeList) {
  uint32_t array[60];
  uint32_t count = 99;
  EXPECT_FALSE(PropertyListCopy(0, array, 26, &count));
  EXPECT_EQ(count, 0u);
  ASSERT_TRUE(PropertyListCopy(0, array, 27, &count));
  EXPECT_EQ(count, 27u);
  EXPECT_TRUE(std::equal(array, array + 27, PropertyList(0)));
  count = 99;
  EXPECT_FALSE(PropertyListCopy(26, array, 60, &count));  // no list of its own
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(PropertyListCopy(31, array, 60, &count));
  EXPECT_FALSE(PropertyListCopy(0, nullptr, 60, &count));
  EXPECT_FALSE(DefaultPropertyListCopy(array, 46, &count));
  EXPECT_EQ(count, 0u);
  ASSERT_TRUE(DefaultPropertyListCopy(array, 47, &count));
  EXPECT_EQ(count, 47u);
  EXPECT_TRUE(std::equal(array, array + 47, DefaultPropertyList()));
}

}  // namespace
