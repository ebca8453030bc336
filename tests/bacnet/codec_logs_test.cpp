// Trend log records and log-multiple records: what the decoders make of the
// data and of a datum of a choice they do not know, and what the encoders
// refuse. Their round trips are rows of the round-trip table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_logs.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/roundtrip.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 2024-05-17 (a Friday) 12:30:00.00, as [0]{ app Date, app Time }.
const std::string kStamp = "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F ";

template <typename R>
const R& As(RoundTripDecoded& d) {
  return *static_cast<const R*>(d.record());
}

// A datum past the last choice is stepped over and the record goes on: the
// datum type keeps the tag number and the status flags are still read.
TEST(LogRecordCodec, UnknownDatumIsSteppedOver) {
  const Bytes record = Hex(kStamp + "1E B9 01 1F 2A 04 40");
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_LOG_RECORD, record);
  const auto& r = As<VelmoraLogRecord>(d);
  EXPECT_EQ(r.datum_type, 11u);
  EXPECT_EQ(r.has_status_flags, 1);
  EXPECT_TRUE(VelmoraBitStringGetBit(&r.status_flags, 1));
  EXPECT_EQ(d.consumed, record.size());
  EXPECT_EQ(d.used, d.size);

  // Two such records one after another: the second is read whole.
  const Bytes two = Cat({record, Hex(kStamp + "1E 19 01 1F")});
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_LOG_RECORD);
  AsnCursor all = AsnCursorOverConst(two.data(), uint32_t(two.size()));
  VelmoraLogRecord out[2];
  row->decode(&all, &out[0], nullptr, nullptr);
  row->decode(&all, &out[1], nullptr, nullptr);
  EXPECT_EQ(all.current, all.end);
  EXPECT_EQ(out[1].datum_type, VELMORA_LOG_BOOLEAN);
  EXPECT_EQ(out[1].datum.boolean, 1);

  Bytes octets;
  VelmoraLogRecord eleven = r;
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_LOG_RECORD, &eleven, &octets), ASN_UNKNOWN_CHOICE);
}

TEST(LogMultipleCodec, DecodedData) {
  const Bytes octets = Hex(kStamp +
                           "1E 1E 09 01 1C 41 B4 00 00 29 03 39 05 49 FE 5A 04 60 68 7E 91 02 91 "
                           "20 7F 8E 21 05 8F 1F 1F");
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, octets);
  const auto& r = As<VelmoraLogMultipleRecord>(d);
  ASSERT_EQ(r.choice, 1);
  ASSERT_EQ(r.value.log_data.count, 9u);
  const VelmoraLogDatum* got = r.value.log_data.datums;
  const auto* block = static_cast<const uint8_t*>(d.record());
  ASSERT_TRUE(reinterpret_cast<const uint8_t*>(got) >= block + sizeof r &&
              reinterpret_cast<const uint8_t*>(got + 9) <= block + d.size);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(got) % alignof(VelmoraLogDatum), 0u);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(got[i].choice, i);
  EXPECT_EQ(got[1].value.real, 22.5f);
  EXPECT_EQ(got[4].value.signed_value, -2);
  EXPECT_EQ(got[7].value.failure.error_code, 32u);
  EXPECT_EQ(got[8].value.any_value.type, ASN_TYPE_UNSIGNED);
  EXPECT_EQ(VelmoraAnyValueGetUnsigned(&got[8].value.any_value), 5u);

  RoundTripDecoded empty =
      DecodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, Hex(kStamp + "1E 1E 1F 1F"));
  EXPECT_EQ(As<VelmoraLogMultipleRecord>(empty).value.log_data.count, 0u);
  EXPECT_EQ(As<VelmoraLogMultipleRecord>(empty).value.log_data.datums, nullptr);
  EXPECT_EQ(empty.size, sizeof(VelmoraLogMultipleRecord));
}

TEST(LogMultipleCodec, RefusalsAndUnknownData) {
  Bytes out;
  const VelmoraDateTime stamp = {{2024, 5, 17, 5}, {12, 30, 0, 0}};
  VelmoraLogMultipleRecord three{};
  three.time_stamp = stamp;
  three.choice = 3;
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, &three, &out), ASN_INVALID_VALUE);
  VelmoraLogDatum nine{};
  nine.choice = 9;
  VelmoraLogMultipleRecord bad{};
  bad.time_stamp = stamp;
  bad.choice = 1;
  bad.value.log_data = {1, &nine};
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, &bad, &out), ASN_INVALID_VALUE);
  bad.value.log_data = {1, nullptr};
  EXPECT_EQ(EncodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, &bad, &out), ASN_BAD_BUFFER);

  // A datum of tag 9 becomes a null datum, and the list goes on after it.
  const Bytes octets = Hex(kStamp + "1E 1E 99 01 09 01 1F 1F");
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, octets);
  const auto& r = As<VelmoraLogMultipleRecord>(d);
  ASSERT_EQ(r.value.log_data.count, 2u);
  EXPECT_EQ(r.value.log_data.datums[0].choice, 6);
  EXPECT_EQ(r.value.log_data.datums[1].choice, 0);
  EXPECT_EQ(r.value.log_data.datums[1].value.boolean, 1);
  EXPECT_EQ(d.consumed, octets.size());
  EXPECT_EQ(d.used, d.size);

  // An any-value datum that is no constructed element holds no value; the
  // list moves on past it.
  const Bytes primitive = Hex(kStamp + "1E 1E 89 01 09 01 1F 1F");
  RoundTripDecoded p = DecodeThroughRow(ASN_TYPE_LOG_MULTIPLE_RECORD, primitive);
  const auto& q = As<VelmoraLogMultipleRecord>(p);
  ASSERT_EQ(q.value.log_data.count, 2u);
  EXPECT_EQ(q.value.log_data.datums[0].choice, 8);
  EXPECT_EQ(q.value.log_data.datums[0].value.any_value.type, ASN_TYPE_NONE);
  EXPECT_EQ(q.value.log_data.datums[1].value.boolean, 1);
  EXPECT_EQ(p.consumed, primitive.size());
}

}  // namespace
