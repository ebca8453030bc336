// The property value decode layer: classification of encoded values, the
// raw form, and the storage modes of the typed decode.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/records_refs.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/samples.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kDate = {0xA4, 0x7A, 0x0C, 0x18, 0x04};
const Bytes kTime = {0xB4, 0x0C, 0x1E, 0x00, 0x00};

TEST(DecodeClassify, ByApplicationTags) {
  struct Case {
    const char* name;
    Bytes octets;
    int32_t datatype;
    uint32_t count;
  };
  const Case cases[] = {
      {"one date", kDate, 10, 1},
      {"a date-time pair", Cat({kDate, kTime}), 21, 1},
      {"two pairs", Cat({kDate, kTime, kDate, kTime}), 21, 2},
      {"pair then half", Cat({kDate, kTime, kDate}), -3, 1},
      {"time with hour 24", Cat({kDate, {0xB4, 0x18, 0x00, 0x00, 0x00}}), -3, 1},
      {"date with month 15", {0xA4, 0x7A, 0x0F, 0x01, 0x01}, -3, 1},
      {"wildcard date", {0xA4, 0xFF, 0xFF, 0xFF, 0xFF}, 10, 1},
      {"unsigned with a leading zero", {0x22, 0x00, 0x05}, -3, 1},
      {"signed not minimal", {0x32, 0xFF, 0x80}, -3, 1},
      {"signed minimal", {0x32, 0xFF, 0x7F}, 3, 1},
      {"unsigned then real", {0x21, 0x01, 0x44, 0, 0, 0, 0}, -3, 1},
      {"three enumerated", {0x91, 0x00, 0x91, 0x01, 0x92, 0x01, 0x00}, 9, 3},
      {"context tag", {0x09, 0x01}, -3, 1},
      {"opening tag", {0x0E, 0x21, 0x01, 0x0F}, -3, 1},
      {"tag 13", {0xD1, 0x00}, -3, 1},
      {"empty", {}, -3, 1},
      {"nulls", {0x00, 0x00}, 0, 2},
      {"boolean 2", {0x12}, -3, 1},
      {"element longer than the data", {0x24, 0x01, 0x02}, -3, 1},
      {"extended length past the end", {0x65, 0xFF, 0x00}, -3, 1},
      {"ansi texts", {0x72, 0x00, 'a', 0x71, 0x00}, 13, 2},
      {"latin-1 text", {0x72, 0x05, 0xE9}, 18, 1},
      {"text with a zero", {0x73, 0x00, 'a', 0x00}, 7, 1},
      {"charset 6", {0x72, 0x06, 'a'}, -3, 1},
      {"bit string 0 bits", {0x81, 0x00}, 8, 1},
      {"bit string of 88 bits", Cat({{0x85, 0x0C, 0x00}, Bytes(11, 0)}), -3, 1},
      {"double", {0x55, 0x08, 0, 0, 0, 0, 0, 0, 0, 0}, 5, 1},
      {"double too short", {0x55, 0x04, 0, 0, 0, 0}, -3, 1},
  };
  for (const auto& c : cases) {
    uint32_t count = 99;
    EXPECT_EQ(AsnClassifyValue(c.octets.data(), uint32_t(c.octets.size()), &count), c.datatype)
        << c.name;
    if (c.datatype != -3) {
      EXPECT_EQ(count, c.count) << c.name;
    }
  }
}

TEST(DecodeClassify, RawCodesByObjectTypeAndProperty) {
  struct Case {
    uint32_t objectType, property;
    int32_t code;
  };
  const Case cases[] = {
      {0, 0, -3},  {30, 235, -3},  {8, 600, -4},   {40, 100, -5}, {0, 236, -5},  {30, 511, -5},
      {31, 0, -5}, {127, 511, -5}, {127, 512, -4}, {128, 0, -4},  {1023, 0, -4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnRawDatatype(c.objectType, c.property), c.code)
        << c.objectType << "," << c.property;
}

struct PropertyCase {
  const char* name;
  uint32_t objectType, property;
  int32_t arrayIndex;
  Bytes octets;
  int32_t outcome, datatype;
  uint32_t count;
  uint32_t size;  // decoded: the records and their variable parts, nothing more
};

const Bytes kContextValue = {0x0E, 0x09, 0x01, 0x0F};
constexpr uint32_t kRawSize = sizeof(VelmoraRawData) + 4;  // kContextValue kept raw

const PropertyCase kProperties[] = {
    {"real present value", 0, 85, -1, {0x44, 0x41, 0x20, 0, 0}, 0, 4, 1, 4},
    {"boolean out-of-service", 0, 81, -1, {0x11}, 0, 1, 1, 1},
    {"unsigned apdu timeout", 8, 11, -1, {0x22, 0x0B, 0xB8}, 0, 2, 1, 4},
    {"not as its schema, typed by tags", 0, 85, -1, {0x21, 0x05}, 1, 2, 1, 4},
    {"not as its schema, raw", 0, 85, -1, kContextValue, 2, -4, 1, kRawSize},
    {"proprietary property", 8, 600, -1, kContextValue, 2, -4, 1, kRawSize},
    {"reserved object type", 40, 100, -1, kContextValue, 2, -5, 1, kRawSize},
    {"standard property not in the table", 0, 2, -1, kContextValue, 2, -3, 1, kRawSize},
    {"unknown property typed by tags", 200, 600, -1, {0x21, 0x05, 0x21, 0x06}, 1, 2, 2, 8},
    {"object list",
     8,
     76,
     -1,
     {0xC4, 0x02, 0x00, 0x00, 0x01, 0xC4, 0x00, 0x00, 0x00, 0x05},
     0,
     12,
     0,
     2 * sizeof(VelmoraObjectId)},
    {"object list length", 8, 76, 0, {0x21, 0x02}, 0, 2, 0, 4},
    {"name in one character set", 8, 77, -1, {0x73, 0x00, 'a', 'b'}, 0, 13, 1, 3},
    {"name with a zero",
     8,
     77,
     -1,
     {0x73, 0x00, 'a', 0x00},
     0,
     7,
     1,
     sizeof(VelmoraCharString) + 3},
    {"null recipient", 9, 101, -1, {0x00}, 0, 0, 1, 0},
    // Its one field is optional: no octets are a whole value, the reference absent.
    {"empty setpoint reference",
     12,
     109,
     -1,
     {},
     0,
     ASN_TYPE_SETPOINT_REF,
     1,
     sizeof(VelmoraSetpointRef)},
    {"schema longer than one element", 0, 85, -1, {0x44, 0, 0, 0, 0, 0x44, 0, 0, 0, 0}, 1, 4, 2, 8},
};

TEST(DecodeClassify, PropertyValues) {
  for (const auto& c : kProperties) {
    int32_t datatype = 99;
    uint32_t count = 99;
    EXPECT_EQ(AsnClassifyPropertyValue(c.octets.data(), uint32_t(c.octets.size()),
                                       AsnCheckPropertyDatatype, c.objectType, c.property,
                                       c.arrayIndex, &datatype, &count),
              c.outcome)
        << c.name;
    EXPECT_EQ(datatype, c.datatype) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
  }
}

// The count a decode reports: a list typed by its schema is counted.
uint32_t DecodedCount(const PropertyCase& c) {
  if (c.count != 0) return c.count;
  return c.arrayIndex == 0 ? 1 : 2;
}

TEST(DecodeTyped, QueryFillsDatatypeAndCountOnly) {
  for (const auto& c : kProperties) {
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    EXPECT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, c.octets.data(),
                                     uint32_t(c.octets.size()), &v, nullptr),
              0)
        << c.name;
    EXPECT_EQ(v.type, c.datatype) << c.name;
    EXPECT_EQ(v.count, DecodedCount(c)) << c.name;
    EXPECT_EQ(v.buffer, nullptr);
  }
}

// In all three storage modes a value takes exactly its decoded size, which
// is the size of its records: a budget of that size suffices wherever it
// ends, and a buffer of that size is accepted.
TEST(DecodeTyped, StorageModesTakeTheDecodedSize) {
  for (const auto& c : kProperties) {
    SCOPED_TRACE(c.name);
    const uint8_t* data = c.octets.data();
    uint32_t length = uint32_t(c.octets.size());
    uint32_t size = AsnDecodedSizeProperty(c.objectType, c.property, c.arrayIndex, data, length);
    EXPECT_EQ(size, c.size);

    CountingAllocator a;
    VelmoraAnyValue byAlloc{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&byAlloc, nullptr, 0));
    ASSERT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, data, length, &byAlloc,
                                     a.get()),
              0);
    uint32_t taken = 0;
    for (uint32_t s : a.sizes)
      taken += s;
    EXPECT_EQ(taken, size);
    EXPECT_LE(a.sizes.size(), 1u);

    VelmoraAnyValue byBudget{};
    for (uint32_t endOffset = 0; endOffset < ASN_BLOCK_ALIGN; ++endOffset) {
      GuardedBuffer budget(size, endOffset);
      uint8_t* end = budget.data() + size;
      ASSERT_TRUE(VelmoraAnyValueInitEmpty(&byBudget, nullptr, 0));
      ASSERT_EQ(AsnDecodePropertyBudget(c.objectType, c.property, c.arrayIndex, data, length,
                                        &byBudget, &end),
                ASN_OK);
      EXPECT_EQ(end, budget.data()) << "end offset " << endOffset;
      EXPECT_TRUE(budget.guardsIntact()) << "end offset " << endOffset;
    }

    GuardedBuffer own(size);
    VelmoraAnyValue byBuffer{};
    if (size > 1) {  // a record with no room at all only asks
      ASSERT_TRUE(VelmoraAnyValueInitEmpty(&byBuffer, own.data(), size - 1));
      EXPECT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, data, length,
                                       &byBuffer, nullptr),
                ASN_NO_SPACE);
      EXPECT_EQ(byBuffer.type, c.datatype);
      EXPECT_EQ(byBuffer.count, DecodedCount(c));
    }
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&byBuffer, size ? own.data() : nullptr, size));
    ASSERT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, data, length,
                                     &byBuffer, nullptr),
              0);
    EXPECT_TRUE(own.guardsIntact());
    EXPECT_EQ(byBuffer.type, byAlloc.type);
    EXPECT_EQ(byBuffer.count, byAlloc.count);
    EXPECT_EQ(byBudget.count, byAlloc.count);
    VelmoraAnyValueFree(a.get(), &byAlloc);
    EXPECT_TRUE(a.guardsIntact);
  }
}

// No octets decode into a record that says so, and encode back to none.
TEST(DecodeTyped, EmptySetpointReferenceIsAnAbsentReference) {
  VelmoraSetpointRef ref;
  std::memset(&ref, 0xFF, sizeof ref);
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, &ref, sizeof ref));
  ASSERT_EQ(AsnDecodePropertyAlloc(12, 109, -1, nullptr, 0, &v, nullptr), ASN_OK);
  EXPECT_EQ(v.type, ASN_TYPE_SETPOINT_REF);
  EXPECT_EQ(v.count, 1u);
  EXPECT_TRUE(VelmoraSetpointRefIsEmpty(&ref));
  uint8_t out[8];
  AsnCursor cur = AsnCursorOver(out, sizeof out);
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
  EXPECT_EQ(cur.current, out);
}

TEST(DecodeTyped, RawValueHoldsItsOctetsInTheSameBlock) {
  CountingAllocator a;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodePropertyAlloc(8, 600, -1, kContextValue.data(), 4, &v, a.get()), ASN_OK);
  EXPECT_EQ(v.type, ASN_TYPE_RAW_PROPRIETARY);
  EXPECT_EQ(v.count, 1u);
  EXPECT_EQ(v.capacity, sizeof(VelmoraRawData) + 4);
  const auto* raw = static_cast<const VelmoraRawData*>(v.buffer);
  EXPECT_EQ(raw->length, 4u);
  EXPECT_EQ(raw->data, static_cast<const uint8_t*>(v.buffer) + sizeof(VelmoraRawData));
  EXPECT_EQ(Bytes(raw->data, raw->data + 4), kContextValue);
  VelmoraAnyValueFree(a.get(), &v);
}

TEST(DecodeTyped, AllocatorFailureIsStatus4WithTypeAndCount) {
  CountingAllocator a;
  a.refuse = true;
  for (const auto& c : kProperties) {
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    int32_t status = AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, c.octets.data(),
                                            uint32_t(c.octets.size()), &v, a.get());
    bool needsBlock = AsnDecodedSizeProperty(c.objectType, c.property, c.arrayIndex,
                                             c.octets.data(), uint32_t(c.octets.size())) != 0;
    EXPECT_EQ(status, needsBlock ? ASN_NO_MEMORY : 0) << c.name;
    EXPECT_EQ(v.type, c.datatype) << c.name;
    EXPECT_EQ(v.count, DecodedCount(c)) << c.name;
    EXPECT_EQ(v.buffer, nullptr) << c.name;
  }
}

// An out-of-range event parameter, and an event log record of a log status.
const Bytes kEventParameter = Hex("5E 09 0A 1C 00 00 00 00 2C 42 C8 00 00 3C 3F 80 00 00 5F");
const Bytes kEventLogRecord = Hex("0E A4 7A 0C 18 04 B4 0C 1E 00 00 0F 1E 0A 05 00 1F");

// Event parameters and event log records, typed by their properties: the
// values of the property's row are counted, decoded in every storage mode
// into exactly their decoded size, and encoded back to the same octets.
TEST(DecodeTyped, EventDatatypesByTheirProperties) {
  const struct {
    const char* name;
    uint32_t objectType, property;
    int32_t arrayIndex;
    Bytes value;
    int32_t datatype;
    uint32_t count;
  } cases[] = {
      {"one event parameter", 9, 83, -1, kEventParameter, ASN_TYPE_EVENT_PARAMETER, 1},
      {"two event log records", 25, 131, -1, Cat({kEventLogRecord, kEventLogRecord}),
       ASN_TYPE_EVENT_LOG_RECORD, 2},
      {"no event log record", 25, 131, -1, {}, ASN_TYPE_EVENT_LOG_RECORD, 0},
      {"two event log records", 25, 131, -1, Hex(Repeat(kEventLogRecordHex, 2)),
       ASN_TYPE_EVENT_LOG_RECORD, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto n = uint32_t(c.value.size());
    const uint32_t size =
        AsnDecodedSizeProperty(c.objectType, c.property, c.arrayIndex, c.value.data(), n);
    auto again = [](const VelmoraAnyValue& v) {
      Bytes out(256);
      AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
      EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
      out.resize(size_t(cur.current - out.data()));
      return out;
    };

    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    EXPECT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, c.value.data(), n, &v,
                                     nullptr),
              ASN_OK);
    EXPECT_EQ(v.type, c.datatype);
    EXPECT_EQ(v.count, c.count);

    CountingAllocator a;
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    ASSERT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, c.value.data(), n, &v,
                                     a.get()),
              ASN_OK);
    EXPECT_EQ(v.count, c.count);
    EXPECT_EQ(a.sizes, size ? std::vector<uint32_t>{size} : std::vector<uint32_t>{});
    EXPECT_EQ(again(v), c.value);
    VelmoraAnyValueFree(a.get(), &v);
    EXPECT_TRUE(a.guardsIntact);

    GuardedBuffer own(size);
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, size ? own.data() : nullptr, size));
    ASSERT_EQ(AsnDecodePropertyAlloc(c.objectType, c.property, c.arrayIndex, c.value.data(), n, &v,
                                     nullptr),
              ASN_OK);
    EXPECT_TRUE(own.guardsIntact());
    EXPECT_EQ(again(v), c.value);
  }
}

// A block takes exactly its size from the arena end, wherever that lies;
// size 0 takes nothing.
TEST(DecodeBudget, CarvesExactlyTheSizeFromAnyEnd) {
  for (uint32_t endOffset = 0; endOffset < ASN_BLOCK_ALIGN; ++endOffset) {
    for (uint32_t size : {0u, 1u, 3u, 4u, 8u, 13u}) {
      SCOPED_TRACE(testing::Message() << "end offset " << endOffset << ", size " << size);
      GuardedBuffer buf(size, endOffset);
      uint8_t* end = buf.data() + size;
      AsnBudgetAllocator budget;
      AsnBudgetAllocatorInit(&budget, &end);
      void* block = AsnBudgetAlloc(&budget.base, size);
      EXPECT_EQ(block, size ? buf.data() : nullptr);
      EXPECT_EQ(end, buf.data());
      if (block) std::memset(block, 0, size);
      EXPECT_TRUE(buf.guardsIntact());
    }
  }
}

TEST(DecodeAnyValue, CarvesFromTheArenaAsMeasured) {
  const Bytes cases[] = {
      kContextValue,
      {0x21, 0x05, 0x21, 0x06},
      {0x63, 1, 2, 3, 0x62, 4, 5},
      {0x73, 0x00, 'a', 'b', 0x71, 0x00},
      Cat({kDate, kTime}),
      {},
      {0x00},
  };
  for (const Bytes& octets : cases) {
    SCOPED_TRACE(testing::PrintToString(octets));
    uint32_t size = AsnDecodedSizeAnyValue(octets.data(), uint32_t(octets.size()));
    for (uint32_t endOffset = 0; endOffset < ASN_BLOCK_ALIGN; ++endOffset) {
      SCOPED_TRACE(testing::Message() << "end offset " << endOffset);
      GuardedBuffer arena(size, endOffset);
      uint8_t* end = arena.data() + size;
      VelmoraAnyValue v{};
      AsnDecodeAnyValue(octets.data(), uint32_t(octets.size()), &v, &end);
      EXPECT_EQ(end, arena.data());
      EXPECT_TRUE(arena.guardsIntact());
      // The encoders read the records, which an aligned arena keeps aligned.
      if (endOffset == 0 && v.type >= 0 && v.type != 21) {
        Bytes out(octets.size() + 4);
        AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
        ASSERT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
        out.resize(size_t(cur.current - out.data()));
        EXPECT_EQ(out, octets);
      }
    }
  }
}

TEST(DecodeAnyValue, DateTimePairsDecodeIntoRecords) {
  Bytes octets = Cat({kDate, kTime, kDate, {0xB4, 0xFF, 0xFF, 0xFF, 0xFF}});
  uint32_t size = AsnDecodedSizeAnyValue(octets.data(), uint32_t(octets.size()));
  EXPECT_EQ(size, AsnBlockSize(2 * sizeof(VelmoraDateTime)));
  GuardedBuffer arena(size);
  uint8_t* end = arena.data() + size;
  VelmoraAnyValue v{};
  AsnDecodeAnyValue(octets.data(), uint32_t(octets.size()), &v, &end);
  ASSERT_EQ(v.type, ASN_TYPE_DATE_TIME);
  ASSERT_EQ(v.count, 2u);
  const auto* dt = static_cast<const VelmoraDateTime*>(v.buffer);
  EXPECT_EQ(dt[0].date.year, 2022);
  EXPECT_EQ(dt[0].date.month, 12u);
  EXPECT_EQ(dt[0].date.day, 24);
  EXPECT_EQ(dt[0].time.hour, 12);
  EXPECT_EQ(dt[0].time.minute, 30);
  EXPECT_EQ(dt[1].time.hour, 255);
}

// The element walk checks one list element at a time.
TEST(DecodeElements, WalkChecksElementByElement) {
  const Bytes value = {0x21, 0x01, 0x21, 0x02, 0x21, 0x03};
  AsnPropertyCheck check = {AsnPropertyTypeCode(13, 7), -1, value.data(), 6, 0};
  int32_t datatype = 0;
  EXPECT_EQ(AsnCheckPropertyElements(&check, &datatype), ASN_OK);
  EXPECT_EQ(check.consumed, 6u);
  EXPECT_EQ(check.data, value.data());
  EXPECT_EQ(check.length, 6u);
  EXPECT_EQ(datatype, 2);

  alignas(8) uint8_t buf[32];
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf));
  ASSERT_EQ(AsnDecodePropertyElementsAlloc(13, 7, -1, value.data(), 6, &v, nullptr), ASN_OK);
  EXPECT_EQ(v.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(AsnDecodedSizePropertyElements(13, 7, -1, value.data(), 6), 12u);
}

}  // namespace
