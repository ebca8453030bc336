// ReadProperty acknowledgements as devices send them, through the syntax
// checker and the acknowledgement decoder into typed records: one block
// from the allocator, of exactly the value's decoded size, whose records
// are aligned and which encodes back to the octets of the value.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_schedule.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/samples.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Aligned(const void* p) { return reinterpret_cast<uintptr_t>(p) % alignof(void*) == 0; }

float Real(const VelmoraAnyValue& v) {
  float f = 0;
  EXPECT_EQ(v.type, ASN_TYPE_REAL);
  if (v.buffer) std::memcpy(&f, v.buffer, sizeof f);
  return f;
}

bool TimeIs(const VelmoraTime& t, uint8_t hour, uint8_t minute) {
  return t.hour == hour && t.minute == minute && t.second == 0 && t.hundredths == 0;
}

// Monday to Friday: 21.0 from 06:00, relinquished at 22:00 (Friday at
// 16:30); Saturday and Sunday empty.
const std::string kWorkday = "0E B4 06 00 00 00 44 41 A8 00 00 B4 16 00 00 00 00 0F";
const std::string kWeeklySchedule =
    "0C 04 40 00 01 19 7B 3E " + Repeat(kWorkday, 4) +
    "0E B4 06 00 00 00 44 41 A8 00 00 B4 10 1E 00 00 00 0F 0E 0F 0E 0F 3F";

void CheckWeeklySchedule(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_DAILY_SCHEDULE);
  ASSERT_EQ(v.count, 7u);
  const auto* days = static_cast<const VelmoraDailySchedule*>(v.buffer);
  for (uint32_t d = 0; d < 5; ++d) {
    SCOPED_TRACE(d);
    ASSERT_EQ(days[d].count, 2u);
    ASSERT_TRUE(Aligned(days[d].items));
    EXPECT_TRUE(TimeIs(days[d].items[0].time, 6, 0));
    EXPECT_EQ(Real(days[d].items[0].value), 21.0f);
    EXPECT_TRUE(Aligned(days[d].items[0].value.buffer));
    EXPECT_TRUE(TimeIs(days[d].items[1].time, d == 4 ? 16 : 22, d == 4 ? 30 : 0));
    EXPECT_EQ(days[d].items[1].value.type, ASN_TYPE_NULL);
    EXPECT_EQ(days[d].items[1].value.count, 1u);
  }
  for (uint32_t d = 5; d < 7; ++d) {
    EXPECT_EQ(days[d].count, 0u);
    EXPECT_EQ(days[d].items, nullptr);
  }
}

// Christmas all day at 16.0, priority 16; calendar 1 at 20.0 from 08:00
// and relinquished at 17:00, priority 10.
const char* kExceptionSchedule =
    "0C 04 40 00 01 19 26 3E "
    "0E 0C 7C 0C 19 03 0F 2E B4 00 00 00 00 44 41 80 00 00 2F 39 10 "
    "1C 01 80 00 01 2E B4 08 00 00 00 44 41 A0 00 00 B4 11 00 00 00 00 2F 39 0A 3F";

void CheckExceptionSchedule(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_SPECIAL_EVENT);
  ASSERT_EQ(v.count, 2u);
  const auto* e = static_cast<const VelmoraSpecialEvent*>(v.buffer);
  EXPECT_EQ(e[0].period_choice, 0u);
  EXPECT_EQ(e[0].period.calendar_entry.choice, 0u);
  EXPECT_EQ(e[0].period.calendar_entry.value.date.year, 2024);
  EXPECT_EQ(e[0].period.calendar_entry.value.date.month, 12u);
  EXPECT_EQ(e[0].period.calendar_entry.value.date.day, 25);
  ASSERT_EQ(e[0].count, 1u);
  EXPECT_EQ(Real(e[0].time_values[0].value), 16.0f);
  EXPECT_EQ(e[0].priority, 16);
  EXPECT_EQ(e[1].period_choice, 1u);
  EXPECT_EQ(e[1].period.calendar_ref.type, 6u);
  EXPECT_EQ(e[1].period.calendar_ref.instance, 1u);
  ASSERT_EQ(e[1].count, 2u);
  EXPECT_TRUE(TimeIs(e[1].time_values[0].time, 8, 0));
  EXPECT_EQ(Real(e[1].time_values[0].value), 20.0f);
  EXPECT_EQ(e[1].time_values[1].value.type, ASN_TYPE_NULL);
  EXPECT_EQ(e[1].priority, 10);
}

// Slot 8 commanded to 50.0 and slot 16 to 0.0; the rest relinquished.
const std::string kPriorityArray = "0C 00 40 00 01 19 57 3E " + Repeat("00 ", 7) +
                                   "44 42 48 00 00 " + Repeat("00 ", 7) + "44 00 00 00 00 3F";

void CheckPriorityArray(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_PRIORITY_VALUE);
  ASSERT_EQ(v.count, VELMORA_PRIORITY_SLOTS);
  EXPECT_EQ(v.capacity, sizeof(VelmoraPriorityArray));
  const auto* a = static_cast<const VelmoraPriorityArray*>(v.buffer);
  for (uint32_t i = 0; i < VELMORA_PRIORITY_SLOTS; ++i) {
    SCOPED_TRACE(i + 1);
    bool commanded = i == 7 || i == 15;
    EXPECT_EQ(a->slots[i].type, commanded ? uint32_t(ASN_TYPE_REAL) : uint32_t(ASN_TYPE_NULL));
  }
  EXPECT_EQ(a->slots[7].value.real, 50.0f);
  EXPECT_EQ(a->slots[15].value.real, 0.0f);
}

// The device, an analog input, an analog output and a schedule.
const char* kObjectList =
    "0C 02 00 00 01 19 4C 3E C4 02 00 00 01 C4 00 00 00 01 C4 00 40 00 01 C4 04 40 00 01 3F";

void CheckObjectList(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_OBJECT_ID);
  ASSERT_EQ(v.count, 4u);
  const auto* ids = static_cast<const VelmoraObjectId*>(v.buffer);
  const VelmoraObjectId want[] = {{8, 1}, {0, 1}, {1, 1}, {17, 1}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ids[i].type, want[i].type);
    EXPECT_EQ(ids[i].instance, want[i].instance);
  }
}

// Device 1 by its identifier, and an address on network 5.
const std::string kRecipientList = std::string("0C 03 C0 00 01 19 66 3E ") + kDestinationHex +
                                   " 82 01 F8 B4 08 00 00 00 B4 12 00 00 00 "
                                   "1E 21 05 62 BA C0 1F 21 4D 10 82 05 A0 3F";

void CheckRecipientList(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_DESTINATION);
  ASSERT_EQ(v.count, 2u);
  const auto* d = static_cast<const VelmoraDestination*>(v.buffer);
  EXPECT_EQ(d[0].recipient.choice, VELMORA_RECIPIENT_DEVICE);
  EXPECT_EQ(d[0].recipient.device.instance, 1u);
  EXPECT_EQ(d[0].issue_confirmed, 1);
  EXPECT_EQ(d[1].valid_days.count, 7u);
  EXPECT_TRUE(VelmoraBitStringGetBit(&d[1].valid_days, 4));
  EXPECT_FALSE(VelmoraBitStringGetBit(&d[1].valid_days, 5));
  ASSERT_EQ(d[1].recipient.choice, VELMORA_RECIPIENT_ADDRESS);
  const VelmoraAddress& a = d[1].recipient.address;
  EXPECT_EQ(a.remote, 1);
  EXPECT_EQ(a.network, 5);
  ASSERT_EQ(a.mac_length, 2);
  EXPECT_EQ(a.mac[0], 0xBA);
  EXPECT_EQ(a.mac[1], 0xC0);
  EXPECT_EQ(d[1].process_id, 77u);
  EXPECT_EQ(d[1].issue_confirmed, 0);
}

// Device 7 at network 0, MAC 0a, and device 9 behind router on network 5.
const char* kAddressBindings =
    "0C 02 00 00 01 19 1E 3E C4 02 00 00 07 21 00 61 0A C4 02 00 00 09 21 05 62 BA C1 3F";

void CheckAddressBindings(const VelmoraAnyValue& v) {
  ASSERT_EQ(v.type, ASN_TYPE_ADDRESS_BINDING);
  ASSERT_EQ(v.count, 2u);
  const auto* b = static_cast<const VelmoraAddressBinding*>(v.buffer);
  EXPECT_EQ(b[0].device_id.instance, 7u);
  EXPECT_EQ(b[0].address.remote, 0);
  EXPECT_EQ(b[0].address.mac_length, 1);
  EXPECT_EQ(b[1].device_id.instance, 9u);
  EXPECT_EQ(b[1].address.remote, 1);
  EXPECT_EQ(b[1].address.network, 5);
  EXPECT_EQ(b[1].address.mac[1], 0xC1);
}

struct Capture {
  const char* name;
  std::string ack;
  std::function<void(const VelmoraAnyValue&)> check;
};

TEST(CapturedAck, DecodesIntoTypedRecords) {
  const Capture captures[] = {
      {"Weekly_Schedule", kWeeklySchedule, CheckWeeklySchedule},
      {"Exception_Schedule", kExceptionSchedule, CheckExceptionSchedule},
      {"Priority_Array", kPriorityArray, CheckPriorityArray},
      {"Object_List", kObjectList, CheckObjectList},
      {"Recipient_List", kRecipientList, CheckRecipientList},
      {"Device_Address_Binding", kAddressBindings, CheckAddressBindings},
  };
  for (const Capture& c : captures) {
    SCOPED_TRACE(c.name);
    const Bytes ack = Hex(c.ack);
    const auto n = uint32_t(ack.size());
    ASSERT_EQ(AsnCheckComplexAck(BACNET_SERVICE_READ_PROPERTY, ack.data(), n), 0u);

    CountingAllocator a;
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    VelmoraObjPropRef echo{};
    AsnCursor cursor = AsnCursorOverConst(ack.data(), n);
    ASSERT_EQ(AsnDecodeReadPropertyAck(&cursor, &echo, &v, a.get()), ASN_OK);
    c.check(v);

    // The value is the octets between the opening and closing tag [3].
    const uint8_t* value = ack.data() + 8;
    const uint32_t length = n - 9;
    ASSERT_EQ(ack[7], 0x3E);
    EXPECT_EQ(a.sizes, std::vector<uint32_t>{AsnDecodedSizeProperty(
                           echo.object_id.type, echo.property, -1, value, length)});
    Bytes again(length + 8);
    AsnCursor out = AsnCursorOver(again.data(), uint32_t(again.size()));
    ASSERT_EQ(AsnEncodeTypedArray(&v, &out), ASN_OK);
    again.resize(size_t(out.current - again.data()));
    EXPECT_EQ(again, Bytes(value, value + length));
    EXPECT_TRUE(VelmoraAnyValueFree(a.get(), &v));
    EXPECT_TRUE(a.guardsIntact);
  }
}

}  // namespace
