// COV subscription, property states, client COV increment and the device
// object references: what the decoders make of the octets, and what the
// encoders refuse. Their round trips are rows of the round-trip table.
#include <gtest/gtest.h>

#include <vector>

#include "bacnet/asn_subscriptions.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/roundtrip.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <typename R>
const R& As(RoundTripDecoded& d) {
  return *static_cast<const R*>(d.record());
}

TEST(SubscriptionCodecs, DecodedFields) {
  RoundTripDecoded states = DecodeThroughRow(ASN_TYPE_PROPERTY_STATES, Hex("F9 0F 02"));
  EXPECT_EQ(As<VelmoraPropertyStates>(states).choice, 15u);
  EXPECT_EQ(As<VelmoraPropertyStates>(states).value.enumerated, 2u);
  // A choice past the last keeps only its number, and its element is
  // stepped over.
  RoundTripDecoded beyond = DecodeThroughRow(ASN_TYPE_PROPERTY_STATES, Hex("F9 10 02"));
  EXPECT_EQ(As<VelmoraPropertyStates>(beyond).choice, 16u);
  EXPECT_EQ(beyond.consumed, 3u);

  RoundTripDecoded cov = DecodeThroughRow(ASN_TYPE_CLIENT_COV, Hex("00"));
  EXPECT_EQ(As<VelmoraClientCov>(cov).choice, uint32_t(ASN_TYPE_NULL));
  EXPECT_EQ(cov.consumed, 1u);
  RoundTripDecoded real = DecodeThroughRow(ASN_TYPE_CLIENT_COV, Hex("44 3F 00 00 00"));
  EXPECT_EQ(As<VelmoraClientCov>(real).choice, uint32_t(ASN_TYPE_REAL));
  EXPECT_EQ(As<VelmoraClientCov>(real).increment, 0.5f);

  RoundTripDecoded ref =
      DecodeThroughRow(ASN_TYPE_DEV_OBJ_PROP_REF, Hex("0C 00 00 00 01 19 55 29 03 3C 02 00 04 D2"));
  EXPECT_EQ(As<VelmoraDevObjPropRef>(ref).array_index, 3u);
  EXPECT_EQ(As<VelmoraDevObjPropRef>(ref).device_present, 1);
  EXPECT_EQ(As<VelmoraDevObjPropRef>(ref).device_id.instance, 1234u);
  RoundTripDecoded bare = DecodeThroughRow(ASN_TYPE_DEV_OBJ_PROP_REF, Hex("0C 00 00 00 01 19 55"));
  EXPECT_EQ(As<VelmoraDevObjPropRef>(bare).array_index, VELMORA_NO_INDEX);
  EXPECT_EQ(As<VelmoraDevObjPropRef>(bare).device_present, 0);

  RoundTripDecoded object = DecodeThroughRow(ASN_TYPE_DEV_OBJ_REF, Hex("1C 00 00 00 01"));
  EXPECT_EQ(As<VelmoraDevObjRef>(object).device_present, 0);
  EXPECT_EQ(As<VelmoraDevObjRef>(object).object_id.instance, 1u);

  RoundTripDecoded sub = DecodeThroughRow(
      ASN_TYPE_COV_SUBSCRIPTION,
      Hex("0E 0E 1E 21 05 61 0A 1F 0F 19 07 0F 1E 0C 00 00 00 01 19 55 1F 29 00 39 3C 4C 3F 80 00 "
          "00"));
  const auto& s = As<VelmoraCovSubscription>(sub);
  EXPECT_EQ(s.recipient.recipient.choice, VELMORA_RECIPIENT_ADDRESS);
  EXPECT_EQ(s.recipient.recipient.address.network, 5);
  EXPECT_EQ(s.recipient.process_id, 7u);
  EXPECT_EQ(s.monitored_ref.property, 85u);
  EXPECT_EQ(s.issue_confirmed, 0);
  EXPECT_EQ(s.time_remaining, 60u);
  EXPECT_EQ(s.flags, VELMORA_COV_HAS_INCREMENT);
  EXPECT_EQ(s.increment, 1.0f);
}

TEST(SubscriptionCodecs, Refusals) {
  VelmoraPropertyStates states{};
  states.choice = 16;
  VelmoraDevObjPropRef badObject = {{1024, 1}, 85, VELMORA_NO_INDEX, 0, {}};
  VelmoraDevObjPropRef badIndex = {{0, 1}, 85, uint32_t(-2), 0, {}};
  VelmoraDevObjRef badDevice = {{0, 1}, 1, {8, 0x400000}};
  const struct {
    int32_t code;
    const void* record;
    int32_t status;
  } cases[] = {
      {ASN_TYPE_PROPERTY_STATES, &states, ASN_UNKNOWN_CHOICE},
      {ASN_TYPE_DEV_OBJ_PROP_REF, &badObject, ASN_INVALID_VALUE},
      {ASN_TYPE_DEV_OBJ_PROP_REF, &badIndex, ASN_BAD_OPTIONAL},
      {ASN_TYPE_DEV_OBJ_REF, &badDevice, ASN_INVALID_VALUE},
      {ASN_TYPE_COV_SUBSCRIPTION, nullptr, ASN_MISSING_RECORD},
  };
  for (const auto& c : cases) {
    Bytes out;
    EXPECT_EQ(EncodeThroughRow(c.code, c.record, &out), c.status) << c.code;
    EXPECT_TRUE(out.empty()) << c.code;
  }
}

}  // namespace
