// The ReadPropertyMultiple codecs: the request against octets written out
// from the BACnet encoding rules, and an acknowledgement the syntax checker
// accepts decoded into the caller's storage or an allocator's: what fits
// is stored and everything is counted, errors sit beside values, and a
// failure leaves nothing allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_read_multi.h"
#include "bacnet/asn_service.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Analog input 1: five results, the third an error (property, unknown
// property); then device 1234: its identifier.
const Bytes kAck = Cat({
    Hex("0C 00 00 00 01 1E"),
    Hex("29 55 4E 44 41 AC 00 00 4F"),                       // present-value 21.5
    Hex("29 6F 4E 82 04 00 4F"),                             // status-flags, four bits clear
    Hex("29 1C 5E 91 02 91 20 5F"),                          // description: error 2/32
    Hex("29 4D 4E 74 00 61 62 63 4F"),                       // object-name "abc"
    Hex("29 51 4E 10 4F 1F"),                                // out-of-service false
    Hex("0C 02 00 04 D2 1E 29 4B 4E C4 02 00 04 D2 4F 1F"),  // device 1234
});

struct Storage {
  float values[5][4] = {};
  VelmoraReadResult elements[5] = {};
  VelmoraReadResult device[1] = {};
  VelmoraObjectId deviceId[2] = {};
  VelmoraReadMultiResult results[2] = {};
  explicit Storage(uint32_t capacity) {
    for (uint32_t i = 0; i < 5; ++i)
      VelmoraReadResultInitBuffer(&elements[i], values[i], sizeof values[i]);
    VelmoraReadResultInitBuffer(&device[0], deviceId, sizeof deviceId);
    VelmoraReadMultiResultSetBuffer(&results[0], elements, capacity);
    VelmoraReadMultiResultSetBuffer(&results[1], device, 1);
  }
};

TEST(ReadMultiCodec, TheSampleAcknowledgementIsWellFormed) {
  EXPECT_EQ(
      AsnCheckComplexAck(BACNET_SERVICE_READ_PROPERTY_MULTIPLE, kAck.data(), uint32_t(kAck.size())),
      0u);
}

TEST(ReadMultiCodec, CallerArraysKeepWhatFitsAndCountAll) {
  Storage s(2);
  ASSERT_EQ(AsnDecodeReadMultiAck(kAck.data(), uint32_t(kAck.size()), s.results, 2, nullptr),
            ASN_OK);
  const VelmoraReadMultiResult& input = s.results[0];
  EXPECT_EQ(input.object_id.type, 0u);
  EXPECT_EQ(input.object_id.instance, 1u);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&input, VELMORA_RESULT_CAPACITY), 2u);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&input, VELMORA_RESULT_COUNT), 5u);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&input, VELMORA_RESULT_STORED), 2u);
  EXPECT_EQ(s.elements[0].property, 85u);
  EXPECT_EQ(s.elements[0].array_index, VELMORA_NO_INDEX);
  EXPECT_EQ(s.elements[0].success, 1);
  EXPECT_EQ(s.elements[0].value.type, ASN_TYPE_REAL);
  EXPECT_EQ(s.values[0][0], 21.5f);
  EXPECT_EQ(s.elements[1].property, 111u);
  EXPECT_EQ(s.elements[1].value.type, ASN_TYPE_BIT_STRING);
  // The rest of the list was not decoded.
  EXPECT_EQ(s.elements[2].property, UINT32_MAX);

  EXPECT_EQ(s.results[1].object_id.type, 8u);
  EXPECT_EQ(s.results[1].object_id.instance, 1234u);
  EXPECT_EQ(s.results[1].count, 1u);
  EXPECT_EQ(s.device[0].value.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(s.deviceId[0].type, 8u);
  EXPECT_EQ(s.deviceId[0].instance, 1234u);
}

TEST(ReadMultiCodec, AnErrorSitsBesideTheValues) {
  Storage s(5);
  ASSERT_EQ(AsnDecodeReadMultiAck(kAck.data(), uint32_t(kAck.size()), s.results, 2, nullptr),
            ASN_OK);
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&s.results[0], VELMORA_RESULT_STORED), 5u);
  const VelmoraReadResult& error = s.elements[2];
  EXPECT_EQ(error.property, 28u);
  EXPECT_EQ(error.success, 0);
  EXPECT_EQ(error.error.error_class, 2u);
  EXPECT_EQ(error.error.error_code, 32u);
  EXPECT_EQ(error.value.type, ASN_TYPE_NONE);
  EXPECT_EQ(s.elements[3].success, 1);
  EXPECT_EQ(s.elements[3].value.type, ASN_TYPE_TEXT_ANSI);
  EXPECT_STREQ(reinterpret_cast<const char*>(s.values[3]), "abc");
  EXPECT_EQ(s.elements[4].property, 81u);
  EXPECT_EQ(s.elements[4].value.type, ASN_TYPE_BOOLEAN);
}

TEST(ReadMultiCodec, AnAllocatorTakesEveryArrayAndValue) {
  CountingAllocator a;
  VelmoraReadMultiResult results[2] = {};
  ASSERT_EQ(AsnDecodeReadMultiAck(kAck.data(), uint32_t(kAck.size()), results, 2, a.get()), ASN_OK);
  EXPECT_EQ(results[0].capacity, 5u);
  EXPECT_EQ(results[0].count, 5u);
  ASSERT_NE(results[0].results, nullptr);
  EXPECT_EQ(results[0].results[2].value.buffer, nullptr) << "an error holds no value";
  EXPECT_STREQ(static_cast<const char*>(results[0].results[3].value.buffer), "abc");
  EXPECT_EQ(results[1].capacity, 1u);
  // Two arrays and five values.
  EXPECT_EQ(a.live, 7);
  EXPECT_TRUE(VelmoraReadMultiResultFreeAll(a.get(), results, 2));
  EXPECT_EQ(a.live, 0);
  EXPECT_TRUE(a.guardsIntact);
  EXPECT_EQ(results[0].results, nullptr);
  EXPECT_EQ(results[0].capacity, 0u);
  EXPECT_EQ(results[0].count, 0u);
  EXPECT_FALSE(VelmoraReadMultiResultFreeAll(nullptr, results, 2));
}

TEST(ReadMultiCodec, FailuresLeaveNothingAllocated) {
  const Bytes first(kAck.begin(), kAck.end() - 16);
  const struct {
    const char* what;
    Bytes ack;
    uint32_t count;
    int grant;
    int32_t status;
  } cases[] = {
      {"fewer read-access results than asked for", first, 2, -1, ASN_BAD_PDU},
      {"more read-access results than asked for", kAck, 1, -1, ASN_BAD_PDU},
      {"no block for the second result's array", kAck, 2, 5, ASN_NO_MEMORY},
      {"no block for a value", kAck, 2, 3, ASN_NO_MEMORY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountingAllocator a;
    a.grant = c.grant;
    VelmoraReadMultiResult results[2] = {};
    EXPECT_EQ(
        AsnDecodeReadMultiAck(c.ack.data(), uint32_t(c.ack.size()), results, c.count, a.get()),
        c.status);
    EXPECT_EQ(a.live, 0);
    for (const VelmoraReadMultiResult& r : results) {
      EXPECT_EQ(r.results, nullptr);
      EXPECT_EQ(r.capacity, 0u);
    }
  }
  // Without an allocator a value larger than its buffer does not fit.
  Storage s(5);
  s.elements[3].value.capacity = 2;
  EXPECT_EQ(AsnDecodeReadMultiAck(kAck.data(), uint32_t(kAck.size()), s.results, 2, nullptr),
            ASN_NO_SPACE);
}

TEST(ReadMultiCodec, AResultWithoutItsListHoldsNoResults) {
  const Bytes ack = Cat({Hex("0C 00 00 00 01"), Hex("0C 02 00 04 D2 1E 1F")});
  ASSERT_EQ(
      AsnCheckComplexAck(BACNET_SERVICE_READ_PROPERTY_MULTIPLE, ack.data(), uint32_t(ack.size())),
      0u);
  Storage s(5);
  ASSERT_EQ(AsnDecodeReadMultiAck(ack.data(), uint32_t(ack.size()), s.results, 2, nullptr), ASN_OK);
  EXPECT_EQ(s.results[0].count, 0u);
  EXPECT_EQ(s.results[1].object_id.instance, 1234u);
  EXPECT_EQ(s.results[1].count, 0u);
}

TEST(ReadMultiCodec, RequestEncoding) {
  VelmoraPropRef input[] = {{85, VELMORA_NO_INDEX}, {87, 2}};
  VelmoraPropRef all[] = {{8, VELMORA_NO_INDEX}};
  VelmoraReadAccessSpec specs[] = {{{0, 1}, 2, input}, {{8, 0x3FFFFF}, 1, all}};
  VelmoraReadMultiRequest request{};
  ASSERT_TRUE(VelmoraReadMultiRequestInit(&request, specs, 2));
  const Bytes expected = Hex("0C 00 00 00 01 1E 09 55 09 57 19 02 1F 0C 02 3F FF FF 1E 09 08 1F");
  ASSERT_EQ(AsnCheckConfirmedRequest(BACNET_SERVICE_READ_PROPERTY_MULTIPLE, expected.data(),
                                     uint32_t(expected.size())),
            0u);
  Bytes out(AsnSizeReadMultiRequest(&request));
  ASSERT_GE(out.size(), expected.size());
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  ASSERT_EQ(AsnEncodeReadMultiRequest(&request, &c), ASN_OK);
  EXPECT_EQ(Bytes(out.data(), c.current), expected);
  // Out of room in the second read-access specification: nothing is written.
  AsnCursor tight = AsnCursorOver(out.data(), uint32_t(expected.size() - 1));
  EXPECT_EQ(AsnEncodeReadMultiRequest(&request, &tight), ASN_NO_ROOM);
  EXPECT_EQ(tight.current, out.data());
}

TEST(ReadMultiCodec, RecordsRefuseMissingArrays) {
  VelmoraReadMultiRequest request{};
  EXPECT_FALSE(VelmoraReadMultiRequestInit(&request, nullptr, 1));
  EXPECT_EQ(VelmoraReadMultiRequestGetCount(nullptr), UINT32_MAX);
  EXPECT_EQ(VelmoraReadMultiRequestGetSpec(nullptr, 0), nullptr);
  VelmoraReadMultiResult result{};
  EXPECT_FALSE(VelmoraReadMultiResultSetBuffer(&result, nullptr, 0));
  EXPECT_EQ(VelmoraReadMultiResultGetCount(&result, 3), UINT32_MAX);
  VelmoraReadPropertyRequest read{};
  const VelmoraObjectId device{8, 0x3FFFFF};
  ASSERT_TRUE(VelmoraReadPropertyRequestInit(&read, &device, 77));
  EXPECT_EQ(VelmoraReadPropertyRequestGetArrayIndex(&read), -1);
  EXPECT_EQ(static_cast<void*>(VelmoraReadPropertyRequestGetObjectId(&read)),
            static_cast<void*>(&read));
  EXPECT_EQ(VelmoraReadPropertyRequestGetProperty(nullptr), UINT32_MAX);
  EXPECT_FALSE(VelmoraReadPropertyRequestInit(&read, nullptr, 77));
}

}  // namespace
