// The scheduling and small choice codecs against octets written from the
// BACnet encoding rules: the choices' alternatives both ways, what a choice
// decoder does with a tag it does not know, and the sizes of what the
// schedule decoders carve.
#include <gtest/gtest.h>

#include <vector>

#include "bacnet/asn_choices.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_schedule.h"
#include "bacnet/asn_value_decode.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/record_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

int32_t EncodeStatus(int32_t (*encode)(const void*, AsnCursor*), const void* record,
                     Bytes* octets) {
  int32_t status;
  *octets = EncodeRecord(encode, record, &status);
  return status;
}

TEST(TimeStampCodec, SequenceNumberBelow65536) {
  Bytes octets;
  VelmoraTimeStamp ts{};
  ASSERT_TRUE(VelmoraTimeStampSetSequenceNumber(&ts, 65535));
  EXPECT_EQ(EncodeStatus(AsnEncodeTimeStamp, &ts, &octets), ASN_OK);
  EXPECT_EQ(octets, Hex("1A FF FF"));
  for (uint32_t n : {65536u, 0xFFFFFFFFu}) {
    ASSERT_TRUE(VelmoraTimeStampSetSequenceNumber(&ts, n));
    EXPECT_EQ(EncodeStatus(AsnEncodeTimeStamp, &ts, &octets), ASN_OUT_OF_RANGE) << n;
    EXPECT_TRUE(octets.empty());
  }
}

// A priority value takes its datatype from any application tag; the value
// is kept where its decoded form fits the record, and only the datatypes a
// priority array holds encode again.
TEST(PriorityValueCodec, DecodesAnyApplicationTag) {
  const struct {
    const char* octets;
    uint32_t type;
    uint32_t value;  // the record's value word
    int32_t encode;  // status of encoding the record again
  } cases[] = {
      {"00", ASN_TYPE_NULL, 0, ASN_OK},
      {"21 05", ASN_TYPE_UNSIGNED, 5, ASN_OK},
      {"91 01", ASN_TYPE_ENUMERATED, 1, ASN_OK},
      {"44 42 48 00 00", ASN_TYPE_REAL, 0x42480000, ASN_OK},
      {"31 FD", ASN_TYPE_SIGNED, 0xFFFFFFFD, ASN_UNKNOWN_CHOICE},
      {"11", ASN_TYPE_BOOLEAN, 1, ASN_UNKNOWN_CHOICE},
      {"B4 0C 1E 00 00", ASN_TYPE_TIME, 0x00001E0C, ASN_UNKNOWN_CHOICE},
      {"55 08 3F F0 00 00 00 00 00 00", ASN_TYPE_DOUBLE, 0, ASN_UNKNOWN_CHOICE},
      {"73 00 61 62", ASN_TYPE_TEXT_ANSI, 0, ASN_UNKNOWN_CHOICE},
      {"74 00 61 00 62", ASN_TYPE_CHAR_STRING, 0, ASN_UNKNOWN_CHOICE},
      {"A4 7C 05 11 05", ASN_TYPE_DATE, 0, ASN_UNKNOWN_CHOICE},
      {"C4 00 00 00 01", ASN_TYPE_OBJECT_ID, 0, ASN_UNKNOWN_CHOICE},
      {"0E 21 01 0F", uint32_t(ASN_TYPE_NONE), 0, ASN_UNKNOWN_CHOICE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.octets);
    const Bytes octets = Hex(c.octets);
    DecodedRecord d = DecodeRecord(AsnDecodePriorityValue, octets);
    EXPECT_EQ(d.consumed, octets.size());
    EXPECT_TRUE(d.WithinRecord(sizeof(VelmoraPriorityValue)));
    auto p = d.As<VelmoraPriorityValue>();
    EXPECT_EQ(p.type, c.type);
    EXPECT_EQ(p.value.u, c.value);
    Bytes again;
    EXPECT_EQ(EncodeStatus(AsnEncodePriorityValue, &p, &again), c.encode);
    if (c.encode == ASN_OK) {
      EXPECT_EQ(again, octets);
    }
  }
}

// A choice decoder on a tag that is none of its alternatives steps over
// that element, primitive or constructed, and leaves the record as it was.
TEST(ChoiceCodecs, UnknownTagIsSteppedOverAndTheRecordLeft) {
  const struct {
    const char* name;
    void (*decode)(AsnCursor*, void*);
    const char* octets;
  } cases[] = {
      {"time stamp [3]", AsnDecodeTimeStamp, "3C 00 00 00 01"},
      {"time stamp [4]{ }", AsnDecodeTimeStamp, "4E 21 01 4F"},
      {"recipient [2]", AsnDecodeRecipient, "2C 02 00 00 01"},
      {"recipient [15]", AsnDecodeRecipient, "F9 0F 01"},
      {"scale [2]", AsnDecodeScale, "2C 3F 80 00 00"},
      {"shed level [3]", AsnDecodeShedLevel, "39 01"},
      {"calendar entry [3]", AsnDecodeCalendarEntry, "3C 7C 0C 19 03"},
      {"calendar entry [4]{ }", AsnDecodeCalendarEntry, "4E A4 7C 0C 19 03 4F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes octets = Hex(c.octets);
    DecodedRecord d = DecodeRecord(c.decode, Cat({octets, Hex("0C 08 00 00 00")}));
    EXPECT_EQ(d.consumed, octets.size());
    EXPECT_TRUE(d.Untouched());
  }
}

TEST(ChoiceCodecs, AlternativesByTheirTags) {
  DecodedRecord scale = DecodeRecord(AsnDecodeScale, Hex("19 FD"));
  EXPECT_EQ(scale.As<VelmoraScale>().choice, uint32_t(ASN_TYPE_SIGNED));
  EXPECT_EQ(scale.As<VelmoraScale>().value.integer, -3);
  DecodedRecord shed = DecodeRecord(AsnDecodeShedLevel, Hex("19 02"));
  EXPECT_EQ(shed.As<VelmoraShedLevel>().choice, 1u);
  EXPECT_EQ(shed.As<VelmoraShedLevel>().value.level, 2u);
  DecodedRecord stamp =
      DecodeRecord(AsnDecodeTimeStamp, Hex("2E A4 7C 05 11 05 B4 06 1E 00 00 2F"));
  EXPECT_EQ(stamp.consumed, 12u);
  auto ts = stamp.As<VelmoraTimeStamp>();
  EXPECT_EQ(ts.choice, 2u);
  EXPECT_EQ(ts.value.date_time.date.year, 2024);
  EXPECT_EQ(ts.value.date_time.time.minute, 30);
}

// One decode of a schedule record into a buffer of exactly its decoded
// size, the arena at its end.
struct Carved {
  uint32_t size;
  GuardedBuffer buffer;
  uint8_t* top;
  size_t consumed;
};

Carved Decode(void (*decode)(AsnCursor*, void*, uint8_t**),
              uint32_t (*measure)(const uint8_t*, uint32_t), const Bytes& octets) {
  const uint32_t size = measure(octets.data(), uint32_t(octets.size()));
  Carved r{size, GuardedBuffer(size), nullptr, 0};
  r.top = r.buffer.data() + size;
  AsnCursor c = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
  decode(&c, r.buffer.data(), &r.top);
  r.consumed = size_t(c.current - octets.data());
  return r;
}

TEST(DailyScheduleCodec, EmptyCarvesNothing) {
  const Bytes octets = Hex("0E 0F");
  Carved r = Decode(AsnDecodeDailySchedule, AsnDecodedSizeDailySchedule, octets);
  EXPECT_EQ(r.size, sizeof(VelmoraDailySchedule));
  EXPECT_EQ(r.top, r.buffer.data() + r.size);
  EXPECT_EQ(r.consumed, 2u);
  VelmoraDailySchedule d;
  std::memcpy(&d, r.buffer.data(), sizeof d);
  EXPECT_EQ(d.count, 0u);
  EXPECT_EQ(d.items, nullptr);
  EXPECT_TRUE(r.buffer.guardsIntact());
}

// A time value takes its record and its value's block; the list of a daily
// schedule adds the array of records.
TEST(DailyScheduleCodec, TakesTheArrayAndEachValuesBlock) {
  const Bytes real = Hex("44 41 AC 00 00");
  const Bytes text = Hex("74 00 6F 66 66");  // "off"
  const Bytes raw = Hex("09 01");            // context-tagged: kept as octets
  uint32_t blocks = 0;
  Bytes list = Hex("0E");
  for (const Bytes& value : {real, text, raw}) {
    const Bytes timeValue = Cat({Hex("B4 08 00 00 00"), value});
    const uint32_t block = AsnDecodedSizeAnyValue(value.data(), uint32_t(value.size()));
    EXPECT_EQ(block % ASN_BLOCK_ALIGN, 0u);
    EXPECT_EQ(AsnDecodedSizeTimeValue(timeValue.data(), uint32_t(timeValue.size())),
              sizeof(VelmoraTimeValue) + block);
    blocks += block;
    list = Cat({list, timeValue});
  }
  list = Cat({list, Hex("0F")});
  Carved r = Decode(AsnDecodeDailySchedule, AsnDecodedSizeDailySchedule, list);
  EXPECT_EQ(r.size, sizeof(VelmoraDailySchedule) + 3 * sizeof(VelmoraTimeValue) + blocks);
  EXPECT_EQ(r.top, r.buffer.data() + sizeof(VelmoraDailySchedule));
  EXPECT_EQ(r.consumed, list.size());
  EXPECT_TRUE(r.buffer.guardsIntact());
  VelmoraDailySchedule d;
  std::memcpy(&d, r.buffer.data(), sizeof d);
  ASSERT_EQ(d.count, 3u);
  EXPECT_EQ(d.items[0].value.type, ASN_TYPE_REAL);
  EXPECT_EQ(d.items[1].value.type, ASN_TYPE_TEXT_ANSI);
  EXPECT_EQ(d.items[2].value.type, ASN_TYPE_RAW_STANDARD);
  for (uint32_t i = 0; i < 3; ++i)
    EXPECT_EQ(reinterpret_cast<uintptr_t>(d.items[i].value.buffer) % ASN_BLOCK_ALIGN, 0u) << i;
}

TEST(SpecialEventCodec, PeriodOfNoKnownChoice) {
  // A period tagged [2] is kept as its choice, which encodes no more; the
  // time values and the priority behind it are still read.
  const Bytes unknown = Hex("2C 00 00 00 00 2E B4 08 00 00 00 91 01 2F 39 05");
  Carved r = Decode(AsnDecodeSpecialEvent, AsnDecodedSizeSpecialEvent, unknown);
  EXPECT_EQ(r.consumed, unknown.size());
  EXPECT_EQ(r.top, r.buffer.data() + sizeof(VelmoraSpecialEvent));
  VelmoraSpecialEvent e;
  std::memcpy(&e, r.buffer.data(), sizeof e);
  EXPECT_EQ(e.period_choice, 2u);
  EXPECT_EQ(e.count, 1u);
  EXPECT_EQ(e.priority, 5);
  Bytes again;
  EXPECT_EQ(EncodeStatus(AsnEncodeSpecialEvent, &e, &again), ASN_UNKNOWN_CHOICE);

  // A calendar entry of no known choice inside [0] leaves the entry empty.
  const Bytes entry = Hex("0E 3C 00 00 00 00 0F 2E 2F 39 05");
  Carved s = Decode(AsnDecodeSpecialEvent, AsnDecodedSizeSpecialEvent, entry);
  EXPECT_EQ(s.consumed, entry.size());
  std::memcpy(&e, s.buffer.data(), sizeof e);
  EXPECT_EQ(e.period_choice, 0u);
  EXPECT_EQ(e.period.calendar_entry.choice, 0u);
  EXPECT_EQ(e.period.calendar_entry.value.date.year, 0);
  EXPECT_EQ(e.count, 0u);
  EXPECT_EQ(e.priority, 5);
}

}  // namespace
