// ReadProperty acknowledgements as devices send them, decoded through the
// acknowledgement decoder into the typed records of their property: an
// analog output's Priority_Array, a trend log's Log_Buffer and a device's
// Object_List. Each is one block from the allocator, exactly its decoded
// size.
#include <gtest/gtest.h>

#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/priority_value.h"
#include "bacnet/records_log.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Decodes the acknowledgement with an allocator; checks the echo, the one
// block and its size.
struct Ack {
  Ack(const char* hex, uint32_t objectType, uint32_t property) : octets(Hex(hex)) {
    const auto n = uint32_t(octets.size());
    EXPECT_EQ(AsnCheckComplexAck(BACNET_SERVICE_READ_PROPERTY, octets.data(), n), 0u);
    AsnCursor cursor = AsnCursorOverConst(octets.data(), n);
    VelmoraObjPropRef echo;
    status = AsnDecodeReadPropertyAck(&cursor, &echo, &value, allocator.get());
    EXPECT_EQ(echo.object_id.type, objectType);
    EXPECT_EQ(echo.property, property);
    // The value: behind the identifier, the one-octet property and the
    // opening tag [3], up to its closing tag.
    const uint8_t* start = octets.data() + 8;
    EXPECT_EQ(allocator.sizes, std::vector<uint32_t>{
                                   AsnDecodedSizeProperty(objectType, property, -1, start, n - 9)});
  }
  ~Ack() {
    VelmoraAnyValueFree(allocator.get(), &value);
    EXPECT_TRUE(allocator.guardsIntact);
    EXPECT_EQ(allocator.live, 0);
  }
  const uint8_t* Block() const { return static_cast<const uint8_t*>(value.buffer); }
  bool Inside(const void* p, uint32_t bytes) const {
    auto* q = static_cast<const uint8_t*>(p);
    return q >= Block() && q + bytes <= Block() + value.capacity;
  }
  Bytes octets;
  CountingAllocator allocator;
  VelmoraAnyValue value{};
  int32_t status = -1;
};

TEST(ReadPropertyAck, AnalogOutputPriorityArray) {
  // Analog output 1: priority 8 holds 50.0, priority 16 holds 0.0, the rest
  // are NULL.
  Ack ack(
      "0C 00 40 00 01 19 57 3E "
      "00 00 00 00 00 00 00 44 42 48 00 00 00 00 00 00 00 00 00 44 00 00 00 00 3F",
      1, 87);
  ASSERT_EQ(ack.status, ASN_OK);
  ASSERT_EQ(ack.value.type, ASN_TYPE_PRIORITY_VALUE);
  ASSERT_EQ(ack.value.count, VELMORA_PRIORITY_SLOTS);
  const auto* slots = static_cast<const VelmoraPriorityValue*>(ack.value.buffer);
  for (uint32_t i = 0; i < VELMORA_PRIORITY_SLOTS; ++i) {
    SCOPED_TRACE(i + 1);
    if (i == 7 || i == 15) {
      EXPECT_EQ(slots[i].type, uint32_t(ASN_TYPE_REAL));
    } else {
      EXPECT_TRUE(VelmoraPriorityValueIsNull(&slots[i]));
    }
  }
  EXPECT_EQ(VelmoraPriorityValueGetReal(&slots[7]), 50.0f);
  EXPECT_EQ(VelmoraPriorityValueGetReal(&slots[15]), 0.0f);
  EXPECT_EQ(ack.value.capacity, VELMORA_PRIORITY_SLOTS * sizeof(VelmoraPriorityValue));
}

TEST(ReadPropertyAck, TrendLogBuffer) {
  // Trend log 1: two reals with their status flags, a log status, a text
  // any-value and a failure.
  Ack ack(
      "0C 05 00 00 01 19 83 3E "
      "0E A4 7C 05 11 05 B4 0C 00 00 00 0F 1E 2C 41 B4 00 00 1F 2A 04 00 "
      "0E A4 7C 05 11 05 B4 0C 0F 00 00 0F 1E 2C 41 B6 00 00 1F 2A 04 00 "
      "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F 1E 0A 05 80 1F "
      "0E A4 7C 05 11 05 B4 0C 2D 00 00 0F 1E AE 74 00 6F 66 66 AF 1F "
      "0E A4 7C 05 11 05 B4 0D 00 00 00 0F 1E 8E 91 02 91 20 8F 1F 3F",
      20, 131);
  ASSERT_EQ(ack.status, ASN_OK);
  ASSERT_EQ(ack.value.type, ASN_TYPE_LOG_RECORD);
  ASSERT_EQ(ack.value.count, 5u);
  const auto* r = static_cast<const VelmoraLogRecord*>(ack.value.buffer);
  EXPECT_EQ(r[0].timestamp.date.year, 2024);
  EXPECT_EQ(r[0].timestamp.time.hour, 12);
  EXPECT_EQ(r[0].datum_type, VELMORA_LOG_REAL);
  EXPECT_EQ(r[0].datum.real, 22.5f);
  EXPECT_EQ(r[0].has_status_flags, 1);
  EXPECT_EQ(r[1].datum.real, 22.75f);
  EXPECT_EQ(r[1].timestamp.time.minute, 15);
  EXPECT_EQ(r[2].datum_type, VELMORA_LOG_STATUS);
  EXPECT_EQ(r[2].datum.log_status.count, 3u);
  EXPECT_TRUE(VelmoraBitStringGetBit(&r[2].datum.log_status, 0));
  EXPECT_EQ(r[2].has_status_flags, 0);
  ASSERT_EQ(r[3].datum_type, VELMORA_LOG_ANY_VALUE);
  const VelmoraAnyValue& text = r[3].datum.any_value;
  EXPECT_EQ(text.type, ASN_TYPE_TEXT_ANSI);
  ASSERT_TRUE(ack.Inside(text.buffer, 4));
  EXPECT_STREQ(static_cast<const char*>(text.buffer), "off");
  EXPECT_EQ(r[4].datum_type, VELMORA_LOG_FAILURE);
  EXPECT_EQ(r[4].datum.failure.error_class, 2u);
  EXPECT_EQ(r[4].datum.failure.error_code, 32u);
  EXPECT_EQ(r[4].timestamp.time.hour, 13);
}

TEST(ReadPropertyAck, DeviceObjectList) {
  // Device 1001: itself, analog inputs 1 and 2, analog output 1, analog
  // value 1, binary input 1 and trend log 1.
  Ack ack(
      "0C 02 00 03 E9 19 4C 3E C4 02 00 03 E9 C4 00 00 00 01 C4 00 00 00 02 C4 00 40 00 01 "
      "C4 00 80 00 01 C4 00 C0 00 01 C4 05 00 00 01 3F",
      8, 76);
  ASSERT_EQ(ack.status, ASN_OK);
  ASSERT_EQ(ack.value.type, ASN_TYPE_OBJECT_ID);
  ASSERT_EQ(ack.value.count, 7u);
  const auto* ids = static_cast<const VelmoraObjectId*>(ack.value.buffer);
  const VelmoraObjectId want[] = {{8, 1001}, {0, 1}, {0, 2}, {1, 1}, {2, 1}, {3, 1}, {20, 1}};
  for (uint32_t i = 0; i < 7; ++i) {
    EXPECT_EQ(ids[i].type, want[i].type) << i;
    EXPECT_EQ(ids[i].instance, want[i].instance) << i;
  }
  EXPECT_EQ(ack.value.capacity, 7 * sizeof(VelmoraObjectId));
}

}  // namespace
