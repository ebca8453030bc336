// Action commands and lists, read access specifications and results, and the
// WriteProperty request decoder: what the decoders make of the octets, the
// storage their lists and values take, and what the encoders refuse. Their
// round trips are rows of the round-trip table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bacnet/asn_commands.h"
#include "bacnet/asn_datatype.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/roundtrip.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kNone = VELMORA_NO_INDEX;

template <typename R>
const R& As(RoundTripDecoded& d) {
  return *static_cast<const R*>(d.record());
}

bool Inside(RoundTripDecoded& d, const void* p, uint32_t bytes) {
  auto* q = static_cast<const uint8_t*>(p);
  return q >= d.buffer.data() && q + bytes <= d.buffer.data() + d.size;
}

template <typename T>
bool Aligned(const T* p) {
  return reinterpret_cast<uintptr_t>(p) % alignof(T) == 0;
}

// Analog value 3, present value 21.0 (a REAL).
const std::string kCommandHead = "1C 00 80 00 03 29 55 4E 44 41 A8 00 00 4F ";

TEST(ActionCommandCodec, PriorityAndBooleans) {
  float value = 21.0f;
  const struct {
    uint32_t priority;
    uint8_t quit, written;
    int32_t status;
    const char* tail;  // what follows the value
  } cases[] = {
      {16, 0, 1, ASN_OK, "59 10 79 00 89 01"}, {1, 1, 0, ASN_OK, "59 01 79 01 89 00"},
      {kNone, 0, 0, ASN_OK, "79 00 89 00"},    {kNone, 1, 1, ASN_OK, "79 01 89 01"},
      {0, 0, 0, ASN_OUT_OF_RANGE, ""},         {17, 0, 0, ASN_OUT_OF_RANGE, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "priority " << int32_t(c.priority));
    VelmoraActionCommand a{};
    a.object_id = {2, 3};
    a.property = 85;
    a.array_index = kNone;
    a.value = {ASN_TYPE_REAL, &value, sizeof value, 1};
    a.priority = c.priority;
    a.quit_on_failure = c.quit;
    a.write_successful = c.written;
    Bytes out;
    EXPECT_EQ(EncodeThroughRow(ASN_TYPE_ACTION_COMMAND, &a, &out), c.status);
    if (c.status != ASN_OK) continue;
    const Bytes want = Hex(kCommandHead + c.tail);
    EXPECT_EQ(out, want);
    RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_ACTION_COMMAND, want);
    const auto& back = As<VelmoraActionCommand>(d);
    EXPECT_EQ(back.priority, c.priority);
    EXPECT_EQ(back.quit_on_failure, c.quit);
    EXPECT_EQ(back.write_successful, c.written);
    EXPECT_EQ(back.flags, 0u);
    EXPECT_EQ(back.value.type, ASN_TYPE_REAL);  // an analog value's present value
    EXPECT_EQ(VelmoraAnyValueGetReal(&back.value), 21.0f);
  }
}

TEST(ActionListCodec, CommandsAndValuesInOneBlock) {
  const Bytes octets =
      Hex("0E 1C 00 80 00 03 29 55 4E 44 41 A8 00 00 4F 59 10 79 00 89 01 "
          "0C 02 00 00 01 1C 01 00 00 01 29 55 4E 91 01 4F 69 1E 79 01 89 00 "
          "1C 03 80 00 01 29 6E 39 02 4E 73 00 4F 6E 4F 79 00 89 00 0F");
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_ACTION_LIST, octets);
  const auto& l = As<VelmoraActionList>(d);
  ASSERT_EQ(l.count, 3u);
  ASSERT_TRUE(Inside(d, l.items, 3 * sizeof *l.items));
  EXPECT_TRUE(Aligned(l.items));
  EXPECT_EQ(l.items[1].flags, VELMORA_ACTION_HAS_DEVICE | VELMORA_ACTION_HAS_POST_DELAY);
  EXPECT_EQ(l.items[1].post_delay, 30u);
  EXPECT_EQ(l.items[1].priority, kNone);
  // Each value typed by its own object and property: a binary output's
  // present value is ENUMERATED, a multi-state output's state text a text.
  EXPECT_EQ(l.items[0].value.type, ASN_TYPE_REAL);
  EXPECT_EQ(l.items[1].value.type, ASN_TYPE_ENUMERATED);
  EXPECT_EQ(l.items[2].array_index, 2u);
  EXPECT_EQ(l.items[2].value.type, ASN_TYPE_TEXT_ANSI);
  EXPECT_STREQ(static_cast<const char*>(l.items[2].value.buffer), "On");
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(Inside(d, l.items[i].value.buffer, l.items[i].value.capacity)) << i;

  Bytes out;
  VelmoraActionList missing = {nullptr, 1};
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_ACTION_LIST, &missing, &out), ASN_BAD_BUFFER);
}

TEST(ReadAccessSpecCodec, References) {
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_READ_ACCESS_SPEC,
                                        Hex("0C 00 00 00 01 1E 09 55 09 6F 09 57 19 08 1F"));
  const auto& s = As<VelmoraReadAccessSpec>(d);
  ASSERT_EQ(s.count, 3u);
  ASSERT_TRUE(Inside(d, s.refs, 3 * sizeof *s.refs));
  EXPECT_EQ(s.refs[0].array_index, kNone);
  EXPECT_EQ(s.refs[2].property, 87u);
  EXPECT_EQ(s.refs[2].array_index, 8u);

  Bytes out;
  VelmoraReadAccessSpec missing = {{0, 1}, 2, nullptr};
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_READ_ACCESS_SPEC, &missing, &out), ASN_BAD_BUFFER);
}

// Analog input 1: its present value, its status flags, and an error for a
// property it does not have.
const char* kResultInput =
    "0C 00 00 00 01 1E 29 55 4E 44 41 AC 00 00 4F 29 6F 4E 82 04 00 4F 2A 0F 9F 5E 91 02 91 20 5F "
    "1F";
// Device 1: the first element of its object list.
const char* kResultDevice = "0C 02 00 00 01 1E 29 4C 39 01 4E C4 02 00 00 01 4F 1F";

TEST(ReadAccessResultCodec, ValuesTypedByTheResultsObject) {
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, Hex(kResultInput));
  const auto& r = As<VelmoraReadAccessResult>(d);
  ASSERT_EQ(r.count, 3u);
  ASSERT_TRUE(Inside(d, r.results, 3 * sizeof(VelmoraReadResult)));
  EXPECT_TRUE(Aligned(r.results));
  EXPECT_EQ(r.results[0].success, 1);
  EXPECT_EQ(r.results[0].value.type, ASN_TYPE_REAL);
  EXPECT_EQ(VelmoraAnyValueGetReal(&r.results[0].value), 21.5f);
  EXPECT_EQ(r.results[1].value.type, ASN_TYPE_BIT_STRING);
  EXPECT_EQ(r.results[2].success, 0);
  EXPECT_EQ(r.results[2].property, 3999u);
  EXPECT_EQ(r.results[2].error.error_class, 2u);
  EXPECT_EQ(r.results[2].error.error_code, 32u);
  EXPECT_EQ(r.results[2].value.buffer, nullptr);

  RoundTripDecoded dev = DecodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, Hex(kResultDevice));
  const VelmoraReadResult& element = As<VelmoraReadAccessResult>(dev).results[0];
  EXPECT_EQ(element.array_index, 1u);
  EXPECT_EQ(element.value.type, ASN_TYPE_OBJECT_ID);
}

// No result array encodes the object identifier alone, an empty one an
// empty list; decoding keeps the two apart.
TEST(ReadAccessResultCodec, AbsentAndEmptyListsStayApart) {
  VelmoraReadResult none[1] = {};
  VelmoraReadAccessResult absent = {{0, 1}, 2, nullptr};
  VelmoraReadAccessResult empty = {{0, 1}, 0, none};
  Bytes out;
  ASSERT_EQ(EncodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, &absent, &out), ASN_OK);
  EXPECT_EQ(out, Hex("0C 00 00 00 01"));
  ASSERT_EQ(EncodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, &empty, &out), ASN_OK);
  EXPECT_EQ(out, Hex("0C 00 00 00 01 1E 1F"));

  RoundTripDecoded e = DecodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, Hex("0C 00 00 00 01 1E 1F"));
  EXPECT_EQ(As<VelmoraReadAccessResult>(e).count, 0u);
  EXPECT_NE(As<VelmoraReadAccessResult>(e).results, nullptr);
  EXPECT_EQ(e.size, sizeof(VelmoraReadAccessResult));
  RoundTripDecoded a = DecodeThroughRow(ASN_TYPE_READ_ACCESS_RESULT, Hex("0C 00 00 00 01"));
  EXPECT_EQ(As<VelmoraReadAccessResult>(a).count, 0u);
  EXPECT_EQ(As<VelmoraReadAccessResult>(a).results, nullptr);
  EXPECT_EQ(a.size, sizeof(VelmoraReadAccessResult));
}

TEST(ReadAccessResultCodec, ResultListOfAnAcknowledgement) {
  Bytes both = Hex(kResultInput);
  const Bytes device = Hex(kResultDevice);
  both.insert(both.end(), device.begin(), device.end());
  CountingAllocator a;
  VelmoraAnyValue v{};
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  ASSERT_EQ(AsnDecodeValueList(row, both.data(), uint32_t(both.size()), &v, a.get()), ASN_OK);
  ASSERT_EQ(v.count, 2u);
  const auto* results = static_cast<const VelmoraReadAccessResult*>(v.buffer);
  Bytes out(both.size());
  AsnCursor cursor = AsnCursorOver(out.data(), uint32_t(out.size()));
  ASSERT_EQ(AsnEncodeReadAccessResultList(results, 2, &cursor), ASN_OK);
  EXPECT_EQ(out, both);
  cursor = AsnCursorOver(out.data(), uint32_t(out.size()) - 1);
  EXPECT_EQ(AsnEncodeReadAccessResultList(results, 2, &cursor), ASN_NO_ROOM);
  EXPECT_EQ(cursor.current, out.data());
  EXPECT_EQ(AsnEncodeReadAccessResultList(nullptr, 1, &cursor), ASN_MISSING_RECORD);
  EXPECT_EQ(AsnEncodeReadAccessResultList(nullptr, 0, &cursor), ASN_OK);
  EXPECT_EQ(AsnEncodeReadAccessResultList(results, 0, nullptr), ASN_MISSING_RECORD);
  VelmoraAnyValueFree(a.get(), &v);
  EXPECT_TRUE(a.guardsIntact);
}

// A caller's buffer larger than the value, of any length: the records
// carved for the lists and their values stay aligned for their types.
TEST(ReadAccessResultCodec, CallersBufferOfAnyLength) {
  const Bytes octets = Hex(kResultInput);
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  const uint32_t size = AsnDecodedSizeValue(row, octets.data(), uint32_t(octets.size()));
  for (uint32_t slack = 0; slack < 8; ++slack) {
    SCOPED_TRACE(testing::Message() << "slack " << slack);
    GuardedBuffer buffer(size + slack);
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, buffer.data(), size + slack));
    ASSERT_EQ(AsnDecodeValue(row, octets.data(), uint32_t(octets.size()), &v, nullptr), ASN_OK);
    const auto* r = static_cast<const VelmoraReadAccessResult*>(v.buffer);
    ASSERT_EQ(r->count, 3u);
    EXPECT_TRUE(Aligned(r->results));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(r->results[0].value.buffer) % alignof(float), 0u);
    EXPECT_TRUE(buffer.guardsIntact());
  }
}

TEST(WritePropertyRequest, DecodesInPlace) {
  const struct {
    const char* name;
    const char* octets;
    int32_t arrayIndex;
    int32_t valueAt;  // offset of the value's contents, -1 absent
    uint32_t valueLength;
    int32_t priority;
  } cases[] = {
      {"no priority", "0C 00 80 00 03 19 55 3E 44 41 A8 00 00 3F", -1, 8, 5, -1},
      {"priority 8", "0C 00 80 00 03 19 55 3E 44 41 A8 00 00 3F 49 08", -1, 8, 5, 8},
      {"array index", "0C 00 40 00 01 19 57 29 03 3E 00 3F 49 10", 3, 10, 1, 16},
      {"empty value", "0C 00 80 00 03 19 55 3E 3F", -1, 8, 0, -1},
      {"ends before the value", "0C 00 80 00 03 19 55", -1, -1, 0, -1},
      {"value cut short", "0C 00 80 00 03 19 55 3E 44 41 A8", -1, -1, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes octets = Hex(c.octets);
    AsnCursor cursor = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
    AsnWritePropertyRequest r;
    ASSERT_EQ(AsnDecodeWritePropertyRequest(&cursor, &r), ASN_OK);
    EXPECT_EQ(r.object_id, octets.data() + 1);
    EXPECT_EQ(r.property, octets[6]);
    EXPECT_EQ(r.array_index, c.arrayIndex);
    EXPECT_EQ(r.value, c.valueAt < 0 ? nullptr : octets.data() + c.valueAt);
    EXPECT_EQ(r.value_length, c.valueLength);
    EXPECT_EQ(r.priority, c.priority);
  }
  AsnCursor none = {nullptr, nullptr};
  AsnWritePropertyRequest r;
  ASSERT_EQ(AsnDecodeWritePropertyRequest(&none, &r), ASN_OK);
  EXPECT_EQ(r.object_id, nullptr);
  EXPECT_EQ(r.value, nullptr);
  EXPECT_EQ(r.priority, -1);
  EXPECT_EQ(AsnDecodeWritePropertyRequest(nullptr, &r), ASN_MISSING_RECORD);
  EXPECT_EQ(AsnDecodeWritePropertyRequest(&none, nullptr), ASN_MISSING_RECORD);
}

}  // namespace
