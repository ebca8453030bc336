// Tag level: header forms, measuring, skipping and packing, checked
// against octets written out by hand from the BACnet encoding rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bacnet/asn_tag.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct HeaderCase {
  uint16_t tag;
  uint32_t length;
  Bytes header;
};

// Length forms: inline 0-4, one octet 5-253, 254 + 2 octets, 255 + 4 octets;
// tag numbers 15 and above in a second octet.
const HeaderCase kHeaders[] = {
    {0x1AF8, 2, {0xFA, 0x1A}},  // context tag 26
    {0x08, 0, {0x08}},
    {0x20, 4, {0x24}},
    {0x20, 5, {0x25, 0x05}},
    {0x60, 253, {0x65, 0xFD}},
    {0x60, 254, {0x65, 0xFE, 0x00, 0xFE}},
    {0x60, 65535, {0x65, 0xFE, 0xFF, 0xFF}},
    {0x60, 65536, {0x65, 0xFF, 0x00, 0x01, 0x00, 0x00}},
    {0x0FF8, 1, {0xF9, 0x0F}},                      // context tag 15
    {0xFEF8, 300, {0xFD, 0xFE, 0xFE, 0x01, 0x2C}},  // context tag 254
    {0x38, 7, {0x3D, 0x07}},
};

TEST(TagHeader, WritesShortestFormAndMeasuresBack) {
  for (const auto& c : kHeaders) {
    SCOPED_TRACE(testing::Message()
                 << "tag " << std::hex << c.tag << " length " << std::dec << c.length);
    Bytes buf(c.header.size() + c.length, 0xAA);
    AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(buf.size()));
    ASSERT_EQ(AsnEncodeTagHeader(&cur, c.tag, c.length), ASN_OK);
    EXPECT_EQ(size_t(cur.current - buf.data()), c.header.size());
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + long(c.header.size())), c.header);
    EXPECT_EQ(AsnTagHeaderLength(buf.data()), c.header.size());
    EXPECT_EQ(AsnTagValueLength(buf.data()), c.length);
    EXPECT_EQ(AsnTagElementLength(buf.data()), c.header.size() + c.length);
    EXPECT_EQ(AsnTagSkipElement(buf.data(), buf.data() + buf.size()), int32_t(buf.size()));
    EXPECT_EQ(AsnTagWord(buf.data()), c.tag);
  }
}

TEST(TagHeader, RefusesWhenHeaderOrValueWouldPassTheEnd) {
  for (const auto& c : kHeaders) {
    SCOPED_TRACE(testing::Message() << "length " << c.length);
    Bytes buf(c.header.size() + c.length, 0xAA);
    // One octet short of the value, and no room even for the header.
    for (size_t room : {buf.size() - 1, c.header.size() - 1}) {
      AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(room));
      EXPECT_EQ(AsnEncodeTagHeader(&cur, c.tag, c.length), ASN_NO_ROOM);
      EXPECT_EQ(cur.current, buf.data());
      EXPECT_EQ(buf[0], 0xAA);
    }
  }
}

TEST(TagByte, WritesOneOrTwoOctetsWithinRoom) {
  uint8_t buf[2] = {0, 0};
  AsnCursor cur = AsnCursorOver(buf, 2);
  ASSERT_EQ(AsnEncodeTagByte(&cur, 0x0E), ASN_OK);
  EXPECT_EQ(buf[0], 0x0E);
  EXPECT_EQ(AsnEncodeTagByte(&cur, 0x1AFE), ASN_NO_ROOM);  // needs two, one left
  EXPECT_EQ(cur.current, buf + 1);
  ASSERT_EQ(AsnEncodeTagByte(&cur, 0x3F), ASN_OK);
  EXPECT_EQ(AsnEncodeTagByte(&cur, 0x3F), ASN_NO_ROOM);
  cur = AsnCursorOver(buf, 2);
  ASSERT_EQ(AsnEncodeTagByte(&cur, 0x1AFE), ASN_OK);
  EXPECT_EQ(buf[0], 0xFE);
  EXPECT_EQ(buf[1], 0x1A);
}

TEST(TagHeader, OpeningAndClosingTagsHaveNoLength) {
  // The octet after the tag is content, never a length.
  const Bytes cases[] = {{0x0E, 0xFF}, {0x3F, 0xFE}, {0xFE, 0x1A, 0xFF}, {0xFF, 0x1A, 0x05}};
  for (const auto& b : cases) {
    size_t expect = (b[0] & 0xF0) == 0xF0 ? 2 : 1;
    EXPECT_EQ(AsnTagHeaderLength(b.data()), expect) << std::hex << int(b[0]);
    EXPECT_EQ(AsnTagValueLength(b.data()), 0u);
  }
  EXPECT_EQ(AsnOpeningTag(3), 0x3E);
  EXPECT_EQ(AsnClosingTag(26), 0x1AFF);
}

TEST(TagHeader, ApplicationNullAndBooleanHoldNoValueOctets) {
  // 0x15: a Boolean with stray length bits still counts as one octet.
  for (uint8_t octet : {0x00, 0x10, 0x11, 0x15}) {
    EXPECT_EQ(AsnTagHeaderLength(&octet), 1u);
    EXPECT_EQ(AsnTagValueLength(&octet), 0u);
    EXPECT_EQ(AsnTagSkipElement(&octet, &octet + 1), 1);
  }
  // A context tag 0 or 1 of length 1 does carry a value octet.
  const uint8_t ctx[] = {0x19, 0x01};
  EXPECT_EQ(AsnTagValueLength(ctx), 1u);
}

struct SkipCase {
  const char* what;
  Bytes data;
  int32_t expect;
};

const SkipCase kSkips[] = {
    {"primitive alone", {0x21, 0x05, 0x21, 0x06}, 2},
    {"extended length", {0x65, 0x06, 1, 2, 3, 4, 5, 6, 0x00}, 8},
    {"nested constructed",
     {0x3E, 0x0C, 0x02, 0x00, 0x00, 0x7B, 0x1E, 0x21, 0x01, 0x1F, 0x3F, 0x49, 0x01},
     11},
    {"extended tag numbers", {0xFE, 0x1A, 0xFE, 0x20, 0xFF, 0x20, 0xFF, 0x1A, 0x00}, 8},
    {"closing tag first", {0x3F, 0x00}, -1},
    {"unclosed", {0x3E, 0x21, 0x01}, -1},
    {"unclosed nested", {0x3E, 0x4E, 0x4F}, -1},
    {"value past end", {0x24, 0x01, 0x02}, -1},
    {"length octet missing", {0x25}, -1},
    {"two-octet length cut", {0x65, 0xFE, 0x01}, -1},
    {"four-octet length past end", {0x65, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, -1},
    {"tag number octet missing", {0xF9}, -1},
    {"empty", {}, -1},
};

TEST(TagSkip, MeasuresWholeElementsAndFailsAtTheEnd) {
  for (const auto& c : kSkips) {
    const uint8_t* p = c.data.data();
    EXPECT_EQ(AsnTagSkipElement(p, p + c.data.size()), c.expect) << c.what;
  }
}

TEST(TagSkip, NeverReadsPastTheEndOfAnyPrefix) {
  // Every cut of a valid constructed element is incomplete; the copy on
  // the heap lets ASan catch a read past it.
  const Bytes whole = {0x3E, 0x65, 0x05, 1, 2, 3, 4, 5, 0xFE, 0x1A, 0x10, 0xFF, 0x1A, 0x3F};
  ASSERT_EQ(AsnTagSkipElement(whole.data(), whole.data() + whole.size()), int32_t(whole.size()));
  for (size_t n = 0; n < whole.size(); ++n) {
    auto* cut = new uint8_t[n ? n : 1];
    std::memcpy(cut, whole.data(), n);
    EXPECT_EQ(AsnTagSkipElement(cut, cut + n), -1) << n;
    delete[] cut;
  }
}

TEST(TagPack, IntegersBigEndian) {
  const uint8_t b[] = {0x81, 0x02, 0x03, 0x04};
  EXPECT_EQ(AsnUnpackUnsigned(1, b), 0x81u);
  EXPECT_EQ(AsnUnpackUnsigned(2, b), 0x8102u);
  EXPECT_EQ(AsnUnpackUnsigned(3, b), 0x810203u);
  EXPECT_EQ(AsnUnpackUnsigned(4, b), 0x81020304u);
  EXPECT_EQ(AsnUnpackSigned(1, b), -127);
  EXPECT_EQ(AsnUnpackSigned(2, b), -32510);
  EXPECT_EQ(AsnUnpackSigned(3, b), int32_t(0xFF810203));
  EXPECT_EQ(AsnUnpackSigned(4, b), int32_t(0x81020304));
  EXPECT_EQ(AsnUnpackSigned(2, b + 1), 0x0203);
  uint8_t out[4];
  AsnPutU32(out, 0x01020304);
  EXPECT_EQ(AsnGetU32(out), 0x01020304u);
  EXPECT_EQ(out[0], 1);
  AsnPutU16(out, 0xBEEF);
  EXPECT_EQ(out[0], 0xBE);
  EXPECT_EQ(AsnGetU16(out), 0xBEEF);
  EXPECT_EQ(AsnSwap32(0x01020304), 0x04030201u);
}

struct ObjectIdCase {
  uint32_t type, instance;
  uint8_t packed[4];
};

const ObjectIdCase kObjectIds[] = {
    {8, 0x3FFFFF, {0x02, 0x3F, 0xFF, 0xFF}}, {0, 0, {0, 0, 0, 0}},
    {1023, 0, {0xFF, 0xC0, 0x00, 0x00}},     {2, 123, {0x00, 0x80, 0x00, 0x7B}},
    {8, 1234, {0x02, 0x00, 0x04, 0xD2}},
};

TEST(TagPack, ObjectIdentifierBothWays) {
  for (const auto& c : kObjectIds) {
    VelmoraObjectId id{c.type, c.instance};
    uint8_t out[4];
    AsnPackObjectId(&id, out);
    EXPECT_EQ(0, std::memcmp(out, c.packed, 4)) << c.type << "," << c.instance;
    VelmoraObjectId back{};
    AsnUnpackObjectId(&back, c.packed);
    EXPECT_EQ(back.type, c.type);
    EXPECT_EQ(back.instance, c.instance);
    EXPECT_EQ(AsnPackedObjectType(c.packed), c.type);
    EXPECT_EQ(AsnPackedObjectInstance(c.packed), c.instance);
    uint32_t value = AsnGetU32(c.packed);
    EXPECT_EQ(AsnObjectIdValueType(value), c.type);
    EXPECT_EQ(AsnObjectIdValueInstance(value), c.instance);
  }
}

TEST(TagDecode, UnsignedPairAndUnsignedAt) {
  const uint8_t pair[] = {0x91, 0x02, 0x92, 0x01, 0x2C, 0x21, 0x07};
  AsnCursor cur = AsnCursorOverConst(pair, sizeof pair);
  uint32_t a = 0, b = 0;
  AsnDecodeUnsignedPair(&cur, &a, &b);
  EXPECT_EQ(a, 2u);
  EXPECT_EQ(b, 300u);
  EXPECT_EQ(cur.current, pair + 5);
  const uint8_t* next = nullptr;
  EXPECT_EQ(AsnDecodeUnsignedAt(pair + 5, &next), 7u);
  EXPECT_EQ(next, pair + 7);
  cur = AsnCursorOverConst(pair, sizeof pair);
  AsnDecodeUnsignedPair(&cur, nullptr, nullptr);
  EXPECT_EQ(cur.current, pair + 5);
}

struct OptionalCase {
  const char* what;
  Bytes data;
  uint16_t expected_tag;
  int32_t value;
  size_t consumed;
};

const OptionalCase kOptionals[] = {
    {"present", {0x29, 0x05, 0x3F}, 0x28, 5, 2},
    {"two octets", {0x2A, 0x01, 0x00}, 0x28, 256, 3},
    {"extended tag", {0xF9, 0x1A, 0x07}, 0x1AF8, 7, 3},
    {"at end", {}, 0x28, -1, 0},
    {"closing tag", {0x2F}, 0x28, -1, 0},
    {"other context tag", {0x39, 0x05}, 0x28, -1, 0},
    {"application tag", {0x21, 0x05}, 0x28, -1, 0},
    {"other extended tag", {0xF9, 0x1B, 0x07}, 0x1AF8, -1, 0},
};

TEST(TagDecode, OptionalUnsignedOnlyWhenTagMatches) {
  for (const auto& c : kOptionals) {
    AsnCursor cur = AsnCursorOverConst(c.data.data(), uint32_t(c.data.size()));
    int32_t out = 1234;
    AsnDecodeOptionalUnsigned(&cur, &out, c.expected_tag);
    EXPECT_EQ(out, c.value) << c.what;
    EXPECT_EQ(size_t(cur.current - c.data.data()), c.consumed) << c.what;
  }
}

TEST(TagBoolean, ContextBooleanIsZeroOrOne) {
  const struct {
    uint8_t value;
    uint8_t octet;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {0xFF, 1}};
  for (const auto& c : cases) {
    uint8_t buf[2];
    AsnCursor cur = AsnCursorOver(buf, 2);
    ASSERT_EQ(AsnEncodeTaggedBoolean(c.value, &cur, 0x18), ASN_OK);
    EXPECT_EQ(buf[0], 0x19);
    EXPECT_EQ(buf[1], c.octet) << int(c.value);
    cur = AsnCursorOver(buf, 1);
    EXPECT_EQ(AsnEncodeTaggedBoolean(c.value, &cur, 0x18), ASN_NO_ROOM);
  }
}

TEST(TagList, PushAndPopAtTheHead) {
  struct Item {
    Item* next;
    int n;
  } a{nullptr, 1}, b{nullptr, 2};
  void* head = nullptr;
  AsnListPush(&head, &a);
  AsnListPush(&head, &b);
  EXPECT_EQ(AsnListPop(&head), &b);
  EXPECT_EQ(AsnListPop(&head), &a);
  EXPECT_EQ(AsnListPop(&head), nullptr);
}

}  // namespace
