// The any-value record: initialisers, typed setters and getters, copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "bacnet/any_value.h"
#include "bacnet/asn_datatype.h"
#include "tests/bacnet/support/counting_allocator.h"

namespace {

alignas(8) uint8_t scratch[64];

TEST(AnyValueInit, BufferAndCapacityGoTogetherExceptForNull) {
  VelmoraAnyValue v{};
  EXPECT_TRUE(VelmoraAnyValueInit(&v, ASN_TYPE_NULL, scratch, 0));
  EXPECT_EQ(v.count, 1u);
  EXPECT_FALSE(VelmoraAnyValueInit(&v, ASN_TYPE_UNSIGNED, scratch, 0));
  EXPECT_FALSE(VelmoraAnyValueInit(&v, ASN_TYPE_UNSIGNED, nullptr, 4));
  EXPECT_TRUE(VelmoraAnyValueInit(&v, ASN_TYPE_UNSIGNED, nullptr, 0));
  EXPECT_TRUE(VelmoraAnyValueInitCount(&v, ASN_TYPE_UNSIGNED, scratch, 0, 0));  // empty list
  EXPECT_FALSE(VelmoraAnyValueInitCount(&v, ASN_TYPE_UNSIGNED, scratch, 0, 3));
  EXPECT_FALSE(VelmoraAnyValueInitEmpty(&v, scratch, 0));
  EXPECT_TRUE(VelmoraAnyValueInitEmpty(&v, scratch, sizeof scratch));
  EXPECT_EQ(v.type, ASN_TYPE_NONE);
  EXPECT_EQ(v.count, 0u);
  EXPECT_FALSE(VelmoraAnyValueInit(nullptr, ASN_TYPE_NULL, nullptr, 0));
  EXPECT_FALSE(VelmoraAnyValueSetBuffer(&v, nullptr, 8));
}

TEST(AnyValueInit, MissingRecordGivesDefaults) {
  EXPECT_EQ(VelmoraAnyValueGetType(nullptr), -1);
  EXPECT_EQ(VelmoraAnyValueGetSize(nullptr), 0u);
  EXPECT_EQ(VelmoraAnyValueGetBuffer(nullptr), nullptr);
  EXPECT_EQ(VelmoraAnyValueGetCount(nullptr), 0u);
  EXPECT_TRUE(VelmoraAnyValueIsNull(nullptr));
  EXPECT_FALSE(VelmoraAnyValueIsEmpty(nullptr));
}

TEST(AnyValueFree, GivesBufferBackOnceAndResets) {
  CountingAllocator a;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  EXPECT_TRUE(VelmoraAnyValueFree(a.get(), &v));
  EXPECT_EQ(a.frees, 0);

  void* block = a.base.ops->alloc(a.get(), 8);
  ASSERT_TRUE(VelmoraAnyValueInit(&v, ASN_TYPE_UNSIGNED, block, 8));
  EXPECT_TRUE(VelmoraAnyValueFree(a.get(), &v));
  EXPECT_EQ(a.frees, 1);
  EXPECT_EQ(v.type, ASN_TYPE_NONE);
  EXPECT_EQ(v.buffer, nullptr);
  EXPECT_EQ(v.capacity, 0u);
  EXPECT_EQ(v.count, 0u);
  EXPECT_FALSE(VelmoraAnyValueFree(nullptr, &v));
}

// Each setter needs the capacity of its stored form: one byte less is
// refused and leaves the record as it was.
struct SetterCase {
  const char* name;
  uint32_t needs;
  int32_t code;
  bool (*set)(VelmoraAnyValue*);
};

const SetterCase kSetters[] = {
    {"Boolean", 1, 1, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetBoolean(v, true); }},
    {"Unsigned", 4, 2, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetUnsigned(v, 7); }},
    {"Signed", 4, 3, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetSigned(v, -7); }},
    {"Real", 4, 4, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetReal(v, 1.5f); }},
    {"Double", 8, 5, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetDouble(v, 2.5); }},
    {"Enumerated", 4, 9, [](VelmoraAnyValue* v) { return VelmoraAnyValueSetEnumerated(v, 3); }},
    {"BitString", sizeof(VelmoraBitString), 8,
     [](VelmoraAnyValue* v) { return VelmoraAnyValueInitBitString(v, 80); }},
    {"PriorityValueNull", sizeof(VelmoraPriorityValue), 19,
     [](VelmoraAnyValue* v) { return VelmoraAnyValueSetPriorityValueNull(v); }},
};

TEST(AnyValueSetters, NeedTheirCapacity) {
  for (const auto& c : kSetters) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> buf(c.needs, 0xEE);
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, c.needs > 1 ? buf.data() : nullptr, c.needs - 1));
    EXPECT_FALSE(c.set(&v));
    EXPECT_EQ(v.type, ASN_TYPE_NONE);
    EXPECT_EQ(v.count, 0u);
    EXPECT_EQ(buf[0], 0xEE);
    ASSERT_TRUE(VelmoraAnyValueSetBuffer(&v, buf.data(), c.needs));
    EXPECT_TRUE(c.set(&v));
    EXPECT_EQ(v.type, c.code);
    EXPECT_EQ(v.count, 1u);
    VelmoraAnyValue none{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&none, nullptr, 0));
    EXPECT_FALSE(c.set(&none));
    EXPECT_FALSE(c.set(nullptr));
  }
}

TEST(AnyValueSetters, StoredValuesReadBack) {
  alignas(8) uint8_t buf[32];
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf));
  ASSERT_TRUE(VelmoraAnyValueSetReal(&v, -2.25f));
  EXPECT_EQ(VelmoraAnyValueGetReal(&v), -2.25f);
  ASSERT_TRUE(VelmoraAnyValueSetDouble(&v, 1e300));
  EXPECT_EQ(VelmoraAnyValueGetDouble(&v), 1e300);
  ASSERT_TRUE(VelmoraAnyValueSetSigned(&v, -5));
  EXPECT_EQ(VelmoraAnyValueGetSigned(&v), -5);
  ASSERT_TRUE(VelmoraAnyValueSetBoolean(&v, true));
  EXPECT_TRUE(VelmoraAnyValueGetBoolean(&v));
  EXPECT_EQ(buf[0], 1);
  ASSERT_TRUE(VelmoraAnyValueInitBitString(&v, 80));
  const VelmoraBitString* bits = VelmoraAnyValueGetBitString(&v);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits->count, 80u);
  for (uint32_t n = 0; n < 80; ++n)
    EXPECT_FALSE(VelmoraBitStringGetBit(bits, n));
  EXPECT_FALSE(VelmoraAnyValueInitBitString(&v, 81));
  EXPECT_EQ(v.type, ASN_TYPE_BIT_STRING);  // unchanged from the 80-bit string

  VelmoraPriorityValue pv{};
  pv.type = ASN_TYPE_REAL;
  pv.value.real = 21.5f;
  ASSERT_TRUE(VelmoraAnyValueSetPriorityValue(&v, &pv));
  ASSERT_NE(VelmoraAnyValueGetPriorityValue(&v), nullptr);
  EXPECT_EQ(VelmoraAnyValueGetPriorityValue(&v)->value.real, 21.5f);
  ASSERT_TRUE(VelmoraAnyValueSetPriorityValueNull(&v));
  EXPECT_EQ(VelmoraAnyValueGetPriorityValue(&v)->type, 0u);
}

TEST(AnyValueSetters, NullNeedsNoBuffer) {
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  EXPECT_TRUE(VelmoraAnyValueSetNull(&v));
  EXPECT_EQ(v.type, ASN_TYPE_NULL);
  EXPECT_TRUE(VelmoraAnyValueIsNull(&v));
  EXPECT_TRUE(VelmoraAnyValueIsEmpty(&v));
}

// Without a buffer large enough for the type every getter answers its
// default instead of reading.
TEST(AnyValueGetters, DefaultWithoutRoomForTheType) {
  alignas(8) uint8_t buf[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  VelmoraAnyValue none{}, small{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&none, nullptr, 0));
  ASSERT_TRUE(VelmoraAnyValueSetNull(&none));
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&small, buf, 3));
  for (const VelmoraAnyValue* v :
       {static_cast<const VelmoraAnyValue*>(nullptr), static_cast<const VelmoraAnyValue*>(&none),
        static_cast<const VelmoraAnyValue*>(&small)}) {
    EXPECT_EQ(VelmoraAnyValueGetUnsigned(v), 0xFFFFFFFFu);
    EXPECT_EQ(VelmoraAnyValueGetSigned(v), -1);
    EXPECT_EQ(VelmoraAnyValueGetEnumerated(v), 0xFFFFFFFFu);
    EXPECT_EQ(VelmoraAnyValueGetReal(v), 0.0f);
    EXPECT_EQ(VelmoraAnyValueGetDouble(v), 0.0);
    EXPECT_EQ(VelmoraAnyValueGetBitString(v), nullptr);
    EXPECT_EQ(VelmoraAnyValueGetPriorityValue(v), nullptr);
  }
  EXPECT_FALSE(VelmoraAnyValueGetBoolean(&none));
  EXPECT_TRUE(VelmoraAnyValueGetBoolean(&small));  // one octet fits
}

TEST(AnyValueObjectIdList, RefusesWhatDoesNotFit) {
  const VelmoraObjectId ids[3] = {{8, 1}, {0, 2}, {1, 0x3FFFFF}};
  alignas(8) uint8_t buf[3 * sizeof(VelmoraObjectId)];
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buf, sizeof buf - 1));
  EXPECT_FALSE(VelmoraAnyValueSetObjectIdList(&v, ids, 3));
  EXPECT_EQ(v.type, ASN_TYPE_NONE);
  ASSERT_TRUE(VelmoraAnyValueSetBuffer(&v, buf, sizeof buf));
  ASSERT_TRUE(VelmoraAnyValueSetObjectIdList(&v, ids, 3));
  EXPECT_EQ(v.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(v.count, 3u);
  EXPECT_EQ(VelmoraAnyValueGetSize(&v), sizeof buf);
  EXPECT_EQ(std::memcmp(buf, ids, sizeof buf), 0);
  EXPECT_FALSE(VelmoraAnyValueSetObjectIdList(&v, nullptr, 1));
}

TEST(AnyValueCopy, SharesTheBuffer) {
  VelmoraAnyValue a{}, b{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&a, scratch, sizeof scratch));
  ASSERT_TRUE(VelmoraAnyValueSetUnsigned(&a, 9));
  ASSERT_TRUE(VelmoraAnyValueCopy(&b, &a));
  EXPECT_EQ(b.buffer, a.buffer);
  EXPECT_EQ(VelmoraAnyValueGetUnsigned(&b), 9u);
  EXPECT_FALSE(VelmoraAnyValueCopy(&b, nullptr));
}

TEST(AnyValueCopyData, CopiesFixedElementsAndRefusesWhenShort) {
  const VelmoraObjectId ids[2] = {{3, 4}, {5, 6}};
  alignas(8) uint8_t from[16], to[16];
  VelmoraAnyValue src{}, dst{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&src, from, sizeof from));
  ASSERT_TRUE(VelmoraAnyValueSetObjectIdList(&src, ids, 2));
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&dst, to, 15));
  EXPECT_FALSE(VelmoraAnyValueCopyData(&dst, &src));
  EXPECT_EQ(dst.type, ASN_TYPE_NONE);
  ASSERT_TRUE(VelmoraAnyValueSetBuffer(&dst, to, 16));
  ASSERT_TRUE(VelmoraAnyValueCopyData(&dst, &src));
  EXPECT_EQ(dst.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(dst.count, 2u);
  EXPECT_EQ(dst.buffer, to);
  EXPECT_EQ(std::memcmp(to, ids, sizeof ids), 0);
  // The same buffer on both sides is refused rather than half-copied.
  EXPECT_FALSE(VelmoraAnyValueCopyData(&src, &src));
}

// Values with variable parts: the copy holds its own octets and texts, and
// survives the source's buffer being overwritten.
TEST(AnyValueCopyData, RelocatesVariablePartsIntoTheDestination) {
  struct Case {
    const char* name;
    std::vector<uint8_t> encoded;
    int32_t code;
  };
  const Case cases[] = {
      {"octet string", {0x65, 0x05, 1, 2, 3, 4, 5}, 6},
      {"octet strings", {0x62, 9, 8, 0x60, 0x61, 7}, 6},
      {"ansi text in a record", {0x73, 0x00, 'h', 'i'}, 7},
      {"ucs-2 text", {0x75, 0x05, 0x04, 0x00, 'a', 0x00, 'b'}, 7},
      {"ucs-4 text", {0x75, 0x05, 0x03, 0x00, 0x00, 0x00, 'z'}, 7},
      {"dbcs text", {0x75, 0x05, 0x01, 0x03, 0xA4, 0x41, 0x82}, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const AsnDatatype* row = AsnDatatypeFind(c.code);
    alignas(8) uint8_t from[128], to[128];
    VelmoraAnyValue src{}, dst{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&src, from, sizeof from));
    ASSERT_EQ(AsnDecodeValueList(row, c.encoded.data(), uint32_t(c.encoded.size()), &src, nullptr),
              0);

    // Exactly the room the decoder needed is enough; one byte less is not.
    uint32_t needed = AsnDecodedSizeList(row, c.encoded.data(), uint32_t(c.encoded.size()));
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&dst, to, needed - 1));
    EXPECT_FALSE(VelmoraAnyValueCopyData(&dst, &src)) << "needed " << needed;
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&dst, to, needed));
    ASSERT_TRUE(VelmoraAnyValueCopyData(&dst, &src));
    std::memset(from, 0xCC, sizeof from);

    std::vector<uint8_t> out(c.encoded.size() + 8);
    AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
    ASSERT_EQ(AsnEncodeTypedArray(&dst, &cur), ASN_OK);
    out.resize(size_t(cur.current - out.data()));
    EXPECT_EQ(out, c.encoded);
  }
}

TEST(AnyValueCopyData, RelocatesRawOctets) {
  const uint8_t octets[] = {0x0E, 0x21, 0x05, 0x0F};
  alignas(8) uint8_t from[32], to[32];
  VelmoraRawData raw = {sizeof octets, from + sizeof(VelmoraRawData)};
  std::memcpy(from, &raw, sizeof raw);
  std::memcpy(from + sizeof raw, octets, sizeof octets);
  VelmoraAnyValue src{}, dst{};
  ASSERT_TRUE(
      VelmoraAnyValueInit(&src, ASN_TYPE_RAW_PROPRIETARY, from, sizeof raw + sizeof octets));
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&dst, to, sizeof to));
  ASSERT_TRUE(VelmoraAnyValueCopyData(&dst, &src));
  std::memset(from, 0, sizeof from);
  VelmoraRawData copied;
  std::memcpy(&copied, to, sizeof copied);
  EXPECT_EQ(copied.length, sizeof octets);
  EXPECT_GE(copied.data, to);
  EXPECT_LT(copied.data, to + sizeof to);
  EXPECT_EQ(std::memcmp(copied.data, octets, sizeof octets), 0);
}

TEST(AnyValueCopyData, RefusesConstructedValuesWithVariableParts) {
  alignas(8) uint8_t from[64] = {}, to[64];
  VelmoraAnyValue src{}, dst{};
  ASSERT_TRUE(VelmoraAnyValueInit(&src, ASN_TYPE_TIME_VALUE, from,
                                  sizeof from));  // time-value holds an any-value
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&dst, to, sizeof to));
  EXPECT_FALSE(VelmoraAnyValueCopyData(&dst, &src));
  EXPECT_EQ(dst.type, ASN_TYPE_NONE);
}

}  // namespace
