// The datatype table and the generic list codec over it, checked against
// octets written by hand from the BACnet encoding rules.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/week_n_day.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/samples.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(DatatypeTable, EveryCodeHasOneRowAndNothingElseDoes) {
  std::set<int32_t> codes;
  for (const AsnDatatype& row : AsnDatatypeRows()) {
    EXPECT_TRUE(codes.insert(row.code).second) << row.code;
    EXPECT_EQ(AsnDatatypeFind(row.code), &row);
  }
  EXPECT_EQ(codes.size(), 59u);
  for (int32_t code = -5; code <= 55; ++code)
    EXPECT_EQ(AsnDatatypeFind(code) != nullptr, code >= 0 || code <= -3) << code;
  for (int32_t code : {56, -6, -1, -2, 1000, INT32_MIN})
    EXPECT_EQ(AsnDatatypeFind(code), nullptr);
  ASSERT_NE(AsnDatatypeFind(ASN_TYPE_RAW_PROPRIETARY), nullptr);
  EXPECT_EQ(AsnDatatypeFind(ASN_TYPE_RAW_PROPRIETARY)->size, int32_t(sizeof(VelmoraRawData)));
}

// Element sizes are those of the records the decoders write.
TEST(DatatypeTable, ElementSizesAreThoseOfTheRecords) {
  struct Case {
    int32_t code;
    size_t size;
  };
  const Case cases[] = {
      {ASN_TYPE_NULL, 0},
      {ASN_TYPE_BOOLEAN, sizeof(uint8_t)},
      {ASN_TYPE_UNSIGNED, sizeof(uint32_t)},
      {ASN_TYPE_SIGNED, sizeof(int32_t)},
      {ASN_TYPE_REAL, sizeof(float)},
      {ASN_TYPE_DOUBLE, sizeof(double)},
      {ASN_TYPE_OCTET_STRING, sizeof(VelmoraOctetString)},
      {ASN_TYPE_CHAR_STRING, sizeof(VelmoraCharString)},
      {ASN_TYPE_BIT_STRING, sizeof(VelmoraBitString)},
      {ASN_TYPE_ENUMERATED, sizeof(uint32_t)},
      {ASN_TYPE_DATE, sizeof(VelmoraDate)},
      {ASN_TYPE_TIME, sizeof(VelmoraTime)},
      {ASN_TYPE_OBJECT_ID, sizeof(VelmoraObjectId)},
      {ASN_TYPE_TEXT_DBCS, sizeof(VelmoraDbcsString)},
      {ASN_TYPE_PRIORITY_VALUE, sizeof(VelmoraPriorityValue)},
      {ASN_TYPE_ADDRESS, sizeof(VelmoraAddress)},
      {ASN_TYPE_DATE_TIME, sizeof(VelmoraDateTime)},
      {ASN_TYPE_WEEK_N_DAY, sizeof(VelmoraWeekNDay)},
      {ASN_TYPE_RAW_RESERVED, sizeof(VelmoraRawData)},
      {ASN_TYPE_RAW_STANDARD, sizeof(VelmoraRawData)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnDatatypeFind(c.code)->size, int32_t(c.size)) << c.code;
  for (int32_t code : {ASN_TYPE_TEXT_ANSI, ASN_TYPE_TEXT_JIS, ASN_TYPE_TEXT_UCS4,
                       ASN_TYPE_TEXT_UCS2, ASN_TYPE_TEXT_ISO8859})
    EXPECT_EQ(AsnDatatypeFind(code)->size, -1) << code;
}

// Every datatype has its decoder and encoder; the raw rows only encode, and
// only they answer "no decoder". The decoded-size function is there exactly
// for the datatypes whose decoded values have variable parts.
TEST(DatatypeTable, EveryDatatypeHasItsCodec) {
  const std::set<int32_t> variableParts = {6,  7,  13, 14, 15, 16, 17, 18, 27, 28, 29,
                                           33, 39, 40, 41, 42, 43, 46, 50, 54, 55};
  for (const AsnDatatype& row : AsnDatatypeRows()) {
    SCOPED_TRACE(row.code);
    EXPECT_NE(row.encode, nullptr);
    CountingAllocator a;
    VelmoraAnyValue v{};
    EXPECT_EQ(AsnDecodeValue(&row, nullptr, 0, &v, a.get()),
              row.code < 0 ? ASN_NO_DECODER : ASN_OK);
    // No octets are one value where every field is optional.
    VelmoraAnyValueFree(a.get(), &v);
    uint8_t out[4];
    AsnCursor cur = AsnCursorOver(out, sizeof out);
    const VelmoraAnyValue none = {row.code, nullptr, 0, 0};
    EXPECT_EQ(AsnEncodeTypedArray(&none, &cur), ASN_OK);
    if (row.code < 0) {
      EXPECT_EQ(row.decode, nullptr);
      continue;
    }
    EXPECT_NE(row.decode, nullptr);
    EXPECT_EQ(row.decodedSize != nullptr, variableParts.count(row.code) == 1);
  }
}

TEST(DatatypeTable, NextDatatypeFollowsTheApplicationTag) {
  struct Case {
    Bytes octets;
    int32_t datatype;
  };
  const Case cases[] = {
      {{0x00}, ASN_TYPE_NULL},
      {{0x21, 0x05}, ASN_TYPE_UNSIGNED},
      {{0x44, 0, 0, 0, 0}, ASN_TYPE_REAL},
      {{0x91, 0x01}, ASN_TYPE_ENUMERATED},
      {{0xC4, 0x02, 0x00, 0x00, 0x01}, ASN_TYPE_OBJECT_ID},
      {{0x73, 0x00, 'a', 'b'}, ASN_TYPE_TEXT_ANSI},
      {{0x73, 0x05, 'a', 'b'}, ASN_TYPE_TEXT_ISO8859},
      {{0x74, 0x00, 'a', 0x00, 'b'}, ASN_TYPE_CHAR_STRING},
      {{0x09, 0x01}, ASN_TYPE_NONE},  // context tag
      {{0xD1, 0x00}, ASN_TYPE_NONE},  // tag 13 is no datatype
      {{}, ASN_TYPE_NONE},
  };
  for (const auto& c : cases) {
    AsnCursor cur = AsnCursorOverConst(c.octets.data(), uint32_t(c.octets.size()));
    EXPECT_EQ(AsnNextDatatype(&cur), c.datatype) << testing::PrintToString(c.octets);
  }
}

const Bytes kThreeUnsigned = {0x21, 0x01, 0x21, 0x02, 0x21, 0x03};

TEST(DatatypeList, DecodesThreeUnsignedIntoTheCallersBuffer) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_UNSIGNED);
  alignas(8) uint8_t buf[16];
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf));
  EXPECT_EQ(AsnDecodedSizeList(row, kThreeUnsigned.data(), 6), 12u);
  ASSERT_EQ(AsnDecodeValueList(row, kThreeUnsigned.data(), 6, &v, nullptr), ASN_OK);
  EXPECT_EQ(v.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(AsnValueBufferSize(&v), 12u);
  uint32_t got[3];
  std::memcpy(got, buf, sizeof got);
  EXPECT_EQ(got[0], 1u);
  EXPECT_EQ(got[1], 2u);
  EXPECT_EQ(got[2], 3u);

  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, 8));
  EXPECT_EQ(AsnDecodeValueList(row, kThreeUnsigned.data(), 6, &v, nullptr), ASN_NO_SPACE);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(v.type, ASN_TYPE_UNSIGNED);
}

const Bytes kBinding = Hex(kAddressBindingHex);
const Bytes kDestination = Hex(kDestinationHex);
const Bytes kReference = Hex(kReferenceHex);

// A list counts values of its datatype, each as many encoded elements as
// the datatype's production spans, up to the end or a closing tag.
TEST(DatatypeList, CountsValuesOfTheRow) {
  struct Case {
    const char* name;
    int32_t code;
    Bytes octets;
    uint32_t count;
  };
  const Case cases[] = {
      {"three unsigned", ASN_TYPE_UNSIGNED, kThreeUnsigned, 3},
      {"closing tag ends the list",
       ASN_TYPE_UNSIGNED,
       {0x21, 0x01, 0x21, 0x02, 0x3F, 0x21, 0x03},
       2},
      {"one destination", ASN_TYPE_DESTINATION, kDestination, 1},
      {"two destinations", ASN_TYPE_DESTINATION, Cat({kDestination, kDestination}), 2},
      {"one address binding", ASN_TYPE_ADDRESS_BINDING, kBinding, 1},
      {"binding then a closing tag", ASN_TYPE_ADDRESS_BINDING, Cat({kBinding, {0x3F}, kBinding}),
       1},
      {"binding cut short", ASN_TYPE_ADDRESS_BINDING,
       Cat({kBinding, {0xC4, 0x02, 0x00, 0x00, 0x02, 0x21, 0x00}}), 1},
      {"two references", ASN_TYPE_DEV_OBJ_PROP_REF, Cat({kReference, kReference}), 2},
      {"reference with index and device", ASN_TYPE_DEV_OBJ_PROP_REF,
       Cat({kReference, {0x29, 0x02, 0x3C, 0x02, 0x00, 0x00, 0x07}, kReference}), 2},
      {"date-times",
       ASN_TYPE_DATE_TIME,
       {0xA4, 0x7A, 0x0C, 0x18, 0x04, 0xB4, 0x0C, 0x1E, 0x00, 0x00},
       1},
      {"priority values of two types",
       ASN_TYPE_PRIORITY_VALUE,
       {0x00, 0x44, 0, 0, 0, 0, 0x91, 0x01},
       3},
      {"empty", ASN_TYPE_ADDRESS_BINDING, {}, 0},
  };
  for (const auto& c : cases) {
    AsnCursor cur = AsnCursorOverConst(c.octets.data(), uint32_t(c.octets.size()));
    EXPECT_EQ(AsnListCount(AsnDatatypeFind(c.code), &cur), c.count) << c.name;
  }
}

// A codec for a constructed datatype decodes one whole value per call; the
// list decode calls it once per value and never past the end of the data.
int gStubCalls = 0;
int gStubCallsAtEnd = 0;
void DecodeBindingStub(AsnCursor* cursor, void*, uint8_t**, uint32_t*) {
  ++gStubCalls;
  if (cursor->current >= cursor->end) {
    ++gStubCallsAtEnd;
    return;
  }
  for (int element = 0; element < 3; ++element) {
    const int32_t n = AsnTagSkipElement(cursor->current, cursor->end);
    if (n <= 0) return;
    cursor->current += n;
  }
}

TEST(DatatypeList, DecodeCallsTheCodecOncePerValue) {
  const AsnDatatype stub = {ASN_TYPE_ADDRESS_BINDING, 20, DecodeBindingStub, nullptr, nullptr};
  const Bytes lists[] = {kBinding, Cat({kBinding, kBinding}),
                         Cat({kBinding, {0xC4, 0x02, 0x00, 0x00, 0x02, 0x21, 0x00}})};
  const uint32_t counts[] = {1, 2, 1};
  for (size_t i = 0; i < std::size(lists); ++i) {
    SCOPED_TRACE(i);
    const auto n = uint32_t(lists[i].size());
    EXPECT_EQ(AsnDecodedSizeList(&stub, lists[i].data(), n), 20 * counts[i]);
    alignas(8) uint8_t buf[64];
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf));
    gStubCalls = gStubCallsAtEnd = 0;
    ASSERT_EQ(AsnDecodeValueList(&stub, lists[i].data(), n, &v, nullptr), ASN_OK);
    EXPECT_EQ(v.count, counts[i]);
    EXPECT_EQ(gStubCalls, int(counts[i]));
    EXPECT_EQ(gStubCallsAtEnd, 0);
  }
}

TEST(DatatypeList, OctetStringTakesOneBlockOfRecordAndOctets) {
  const Bytes octets = {0x65, 0x05, 0x10, 0x20, 0x30, 0x40, 0x50};
  CountingAllocator a;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodeValue(AsnDatatypeFind(ASN_TYPE_OCTET_STRING), octets.data(), 7, &v, a.get()),
            ASN_OK);
  ASSERT_EQ(a.sizes.size(), 1u);
  EXPECT_EQ(a.sizes[0], sizeof(VelmoraOctetString) + 5);
  EXPECT_EQ(v.capacity, sizeof(VelmoraOctetString) + 5);
  auto* s = static_cast<VelmoraOctetString*>(v.buffer);
  EXPECT_EQ(s->length, 5u);
  EXPECT_EQ(s->data, static_cast<uint8_t*>(v.buffer) + sizeof(VelmoraOctetString));
  EXPECT_EQ(std::memcmp(s->data, octets.data() + 2, 5), 0);
  EXPECT_TRUE(VelmoraAnyValueFree(a.get(), &v));
  EXPECT_TRUE(a.guardsIntact);
}

TEST(DatatypeList, AllocatorFailureKeepsTypeAndCount) {
  CountingAllocator a;
  a.refuse = true;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  EXPECT_EQ(
      AsnDecodeValueList(AsnDatatypeFind(ASN_TYPE_UNSIGNED), kThreeUnsigned.data(), 6, &v, a.get()),
      ASN_NO_MEMORY);
  EXPECT_EQ(v.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(v.buffer, nullptr);
}

TEST(DatatypeList, WithNeitherBufferNorAllocatorOnlyTypeAndCount) {
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(
      AsnDecodeValueList(AsnDatatypeFind(ASN_TYPE_UNSIGNED), kThreeUnsigned.data(), 6, &v, nullptr),
      ASN_OK);
  EXPECT_EQ(v.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(v.buffer, nullptr);
  EXPECT_EQ(v.capacity, 0u);
}

TEST(DatatypeList, TruncatedElementIsNotWalkedInto) {
  const Bytes octets = {0x21, 0x01, 0x24, 0x01};  // second element cut short
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodeValueList(AsnDatatypeFind(ASN_TYPE_UNSIGNED), octets.data(), 4, &v, nullptr),
            ASN_OK);
  EXPECT_EQ(v.count, 1u);
}

TEST(DatatypeEncode, ThreeRealsFromRoomForTwoWriteTwoThenFail) {
  const float reals[3] = {1.0f, 2.0f, 3.0f};
  alignas(8) uint8_t buf[sizeof reals];
  std::memcpy(buf, reals, sizeof reals);
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitCount(&v, ASN_TYPE_REAL, buf, 8, 3));
  uint8_t out[32];
  AsnCursor cur = AsnCursorOver(out, sizeof out);
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_BAD_BUFFER);
  const Bytes two = {0x44, 0x3F, 0x80, 0x00, 0x00, 0x44, 0x40, 0x00, 0x00, 0x00};
  EXPECT_EQ(Bytes(out, cur.current), two);
}

TEST(DatatypeEncode, Refusals) {
  uint8_t out[8];
  AsnCursor cur = AsnCursorOver(out, sizeof out);
  VelmoraAnyValue v{};
  EXPECT_EQ(AsnEncodeTypedArray(nullptr, &cur), ASN_MISSING_RECORD);
  v.type = 56;
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_NO_CODEC);
  ASSERT_TRUE(VelmoraAnyValueInitCount(&v, ASN_TYPE_UNSIGNED, nullptr, 0, 0));
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
  EXPECT_EQ(cur.current, out);
  v = {2, nullptr, 4, 1};
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_BAD_BUFFER);
}

TEST(DatatypeEncode, RawOctetsGoOutAsTheyCame) {
  const uint8_t octets[] = {0x0E, 0x21, 0x05, 0x0F};
  VelmoraRawData raw = {sizeof octets, octets};
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInit(&v, ASN_TYPE_RAW_PROPRIETARY, &raw, sizeof raw));
  uint8_t out[8];
  AsnCursor cur = AsnCursorOver(out, 3);
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_NO_ROOM);
  cur = AsnCursorOver(out, sizeof out);
  ASSERT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
  EXPECT_EQ(Bytes(out, cur.current), Bytes(octets, octets + 4));
}

TEST(DatatypeBufferSize, MeasuresPackedTexts) {
  char texts[] = "ab\0c";  // two ANSI texts with their terminators: 5 bytes
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitCount(&v, ASN_TYPE_TEXT_ANSI, texts, sizeof texts, 2));
  EXPECT_EQ(AsnValueBufferSize(&v), 5u);
  v.count = 3;  // a third text is not there
  EXPECT_EQ(AsnValueBufferSize(&v), 0u);
  ASSERT_TRUE(VelmoraAnyValueInitCount(&v, ASN_TYPE_UNSIGNED, texts, 4, 2));  // 8 bytes in 4
  EXPECT_EQ(AsnValueBufferSize(&v), 0u);
  v = {-1, texts, 5, 1};
  EXPECT_EQ(AsnValueBufferSize(&v), 0u);
}

}  // namespace

namespace {

struct ByPropertyCase {
  const char* name;
  uint32_t objectType, property;
  int32_t arrayIndex;
  Bytes octets;
  int32_t status, datatype;
  uint32_t count;
};

const ByPropertyCase kByProperty[] = {
    {"array length is Unsigned", 8, 76, 0, {0x21, 0x02}, 0, 2, 1},
    {"whole array as a list",
     8,
     76,
     -1,
     {0xC4, 0x02, 0x00, 0x00, 0x01, 0xC4, 0x00, 0x00, 0x00, 0x05},
     0,
     12,
     2},
    {"one array element", 8, 76, 2, {0xC4, 0x00, 0x00, 0x00, 0x05}, 0, 12, 1},
    {"Null for an Unsigned property", 8, 11, -1, {0x00}, 0, 0, 1},
    {"Null for a Real property", 0, 85, -1, {0x00}, 0, 0, 1},
    {"list property", 13, 7, -1, {0x21, 0x01, 0x21, 0x02, 0x21, 0x03}, 0, 2, 3},
    {"name in one character set", 8, 77, -1, {0x73, 0x05, 'a', 'b'}, 0, 18, 1},
    {"any primitive", 17, 85, -1, {0x91, 0x02}, 0, 9, 1},
    {"any primitive, empty", 17, 85, -1, {}, 0, 0, 0},
    {"unknown property", 0, 2, -1, {0x21, 0x01}, ASN_NO_PROPERTY_TYPE, -1, 0},
    {"one priority slot", 1, 87, 1, {0x44, 0x41, 0x20, 0, 0}, 0, 19, 1},
    {"event parameter",
     9,
     83,
     -1,
     {0x5E, 0x09, 0x0A, 0x1C, 0, 0, 0, 0, 0x2C, 0x42, 0xC8, 0, 0, 0x3C, 0x3F, 0x80, 0, 0, 0x5F},
     0,
     43,
     1},
};

TEST(DatatypeByProperty, ChoosesTheRowFromThePropertyAndItsOctets) {
  for (const auto& c : kByProperty) {
    SCOPED_TRACE(c.name);
    alignas(8) uint8_t buf[256];
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf));
    EXPECT_EQ(AsnDecodeByProperty(c.objectType, c.property, c.arrayIndex, c.octets.data(),
                                  uint32_t(c.octets.size()), &v, nullptr),
              c.status);
    EXPECT_EQ(v.type, c.datatype);
    if (c.status == 0) {
      EXPECT_EQ(v.count, c.count);
      Bytes out(c.octets.size() + 4);
      AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
      ASSERT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
      out.resize(size_t(cur.current - out.data()));
      EXPECT_EQ(out, c.octets);
    }
  }
}

}  // namespace
