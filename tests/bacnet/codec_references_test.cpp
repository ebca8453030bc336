// The address and reference codecs against octets written from the BACnet
// encoding rules: what the decoders make of each form, and what the
// encoders refuse.
#include <gtest/gtest.h>

#include <vector>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_value_decode.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/record_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The network number is kept in 16 bits, and the remote flag set exactly
// when they are not 0; a MAC longer than the record's 7 octets keeps its
// first 7.
TEST(AddressCodec, DecodeKeepsSixteenBitsAndSevenOctets) {
  const struct {
    const char* name;
    const char* octets;
    uint8_t remote;
    uint16_t network;
    Bytes mac;
  } cases[] = {
      {"network 0", "21 00 61 0A", 0, 0, {0x0A}},
      {"network 5", "21 05 61 0A", 1, 5, {0x0A}},
      {"global broadcast", "22 FF FF 60", 1, 0xFFFF, {}},
      {"network 65536", "23 01 00 00 61 0A", 0, 0, {0x0A}},
      {"network 65541", "23 01 00 05 61 0A", 1, 5, {0x0A}},
      {"MAC of 9 octets", "21 00 65 09 01 02 03 04 05 06 07 08 09", 0, 0, {1, 2, 3, 4, 5, 6, 7}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes octets = Hex(c.octets);
    DecodedRecord d = DecodeRecord(AsnDecodeAddress, octets);
    EXPECT_EQ(d.consumed, octets.size());
    EXPECT_TRUE(d.WithinRecord(sizeof(VelmoraAddress)));
    auto a = d.As<VelmoraAddress>();
    EXPECT_EQ(a.remote, c.remote);
    EXPECT_EQ(a.network, c.network);
    EXPECT_EQ(Bytes(a.mac, a.mac + a.mac_length), c.mac);
  }
}

TEST(AddressCodec, EncodeWritesNetworkZeroUnlessRemote) {
  VelmoraAddress a{};
  a.network = 9;  // not remote: the number is not sent
  a.mac[0] = 0x0A;
  a.mac_length = 1;
  int32_t status;
  EXPECT_EQ(EncodeRecord(AsnEncodeAddress, &a, &status), Hex("21 00 61 0A"));
  EXPECT_EQ(status, ASN_OK);
  a.remote = 1;
  EXPECT_EQ(EncodeRecord(AsnEncodeAddress, &a, &status), Hex("21 09 61 0A"));
  a.mac_length = 8;
  EXPECT_EQ(EncodeRecord(AsnEncodeAddress, &a, &status), Bytes());
  EXPECT_EQ(status, ASN_BAD_BUFFER);
}

TEST(SetpointRefCodec, AbsentIsNoOctetsAtAll) {
  VelmoraSetpointRef absent{};
  int32_t status;
  EXPECT_EQ(EncodeRecord(AsnEncodeSetpointRef, &absent, &status), Bytes());
  EXPECT_EQ(status, ASN_OK);
  for (const char* octets : {"", "0F", "1F 0C 00 00 00 01"}) {
    SCOPED_TRACE(octets);
    DecodedRecord d = DecodeRecord(AsnDecodeSetpointRef, Hex(octets));
    EXPECT_EQ(d.consumed, 0u);
    EXPECT_EQ(d.As<VelmoraSetpointRef>().present, 0);
  }
  DecodedRecord d = DecodeRecord(AsnDecodeSetpointRef, Hex("0E 0C 00 80 00 03 19 55 29 02 0F"));
  EXPECT_EQ(d.consumed, 11u);
  auto s = d.As<VelmoraSetpointRef>();
  EXPECT_EQ(s.present, 1);
  EXPECT_EQ(s.ref.object_id.type, 2u);
  EXPECT_EQ(s.ref.property, 85u);
  EXPECT_EQ(s.ref.array_index, 2u);
}

TEST(PropertyValueCodec, PriorityIsOneToSixteenOrNone) {
  const float real = 1.0f;
  for (uint32_t priority : {0u, 17u, 0xFFFFFFFEu}) {
    SCOPED_TRACE(priority);
    VelmoraPropertyValue v = {
        85, VELMORA_NO_INDEX, {ASN_TYPE_REAL, const_cast<float*>(&real), 4, 1}, priority};
    int32_t status;
    EXPECT_EQ(EncodeRecord(AsnEncodePropertyValue, &v, &status), Bytes());
    EXPECT_EQ(status, ASN_OUT_OF_RANGE);
  }
}

// One property value and what it takes: its record, and its value typed by
// the object type given, carved from a buffer of exactly the decoded size.
struct PropertyValueDecode {
  uint32_t size;
  uint32_t encodedLength;
  GuardedBuffer buffer;  // the record's value points into it
  VelmoraPropertyValue record;
  bool exact;  // the whole buffer taken, the guards intact, the element consumed
};

PropertyValueDecode DecodePropertyValue(uint32_t objectType, const Bytes& octets) {
  const auto n = uint32_t(octets.size());
  uint32_t length = 0;
  const uint32_t size = AsnDecodedSizePropertyValueForType(objectType, octets.data(), n, &length);
  PropertyValueDecode r{size, length, GuardedBuffer(size), {}, false};
  uint8_t* top = r.buffer.data() + size;
  AsnCursor c = AsnCursorOverConst(octets.data(), n);
  AsnDecodePropertyValueForType(objectType, &c, r.buffer.data(), &top);
  std::memcpy(&r.record, r.buffer.data(), sizeof r.record);
  r.exact = top == r.buffer.data() + sizeof(VelmoraPropertyValue) && r.buffer.guardsIntact() &&
            c.current == c.end;
  return r;
}

TEST(PropertyValueCodec, ValueTypedByTheObjectTypeGiven) {
  // Priority_Array slots 1 and 2: of an analog output they are priority
  // values; with no object known they are elements of two types, kept raw.
  const Bytes octets = Hex("09 57 2E 00 44 42 48 00 00 2F 3A 00 08");
  PropertyValueDecode output = DecodePropertyValue(1, octets);
  EXPECT_TRUE(output.exact);
  EXPECT_EQ(output.encodedLength, octets.size());
  EXPECT_EQ(output.record.property, 87u);
  EXPECT_EQ(output.record.value.type, ASN_TYPE_PRIORITY_VALUE);
  EXPECT_EQ(output.record.value.count, 2u);
  EXPECT_EQ(output.record.priority, 8u);  // a priority of two octets is read whole

  PropertyValueDecode any = DecodePropertyValue(ASN_ANY_OBJECT_TYPE, octets);
  EXPECT_TRUE(any.exact);
  EXPECT_EQ(any.record.value.type, ASN_TYPE_RAW_PROPRIETARY);
  EXPECT_EQ(any.record.value.count, 1u);
  EXPECT_EQ(any.size, AsnDecodedSizePropertyValue(octets.data(), uint32_t(octets.size())));
}

TEST(DevObjPropValueCodec, ValueTypedByTheObjectsType) {
  const Bytes octets = Hex("0C 02 00 00 01 1C 00 40 00 01 29 57 4E 00 44 42 48 00 00 4F 21 07");
  uint32_t length = 0;
  const uint32_t size =
      AsnDecodedSizeDevObjPropValueLength(octets.data(), uint32_t(octets.size()), &length);
  EXPECT_EQ(length, octets.size() - 2);  // the element ends at its closing tag
  EXPECT_EQ(size, AsnDecodedSizeDevObjPropValue(octets.data(), uint32_t(octets.size())));
  GuardedBuffer buffer(size);
  uint8_t* top = buffer.data() + size;
  AsnCursor c = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
  AsnDecodeDevObjPropValue(&c, buffer.data(), &top);
  EXPECT_EQ(c.current, octets.data() + length);
  EXPECT_EQ(top, buffer.data() + sizeof(VelmoraDevObjPropValue));
  EXPECT_TRUE(buffer.guardsIntact());
  VelmoraDevObjPropValue v;
  std::memcpy(&v, buffer.data(), sizeof v);
  EXPECT_EQ(v.object_id.type, 1u);
  EXPECT_EQ(v.array_index, VELMORA_NO_INDEX);
  EXPECT_EQ(v.value.type, ASN_TYPE_PRIORITY_VALUE);
  EXPECT_EQ(v.value.count, 2u);
}

TEST(CreateObjectCodec, InitialValuesGoThroughThePropertyValueCodec) {
  const float real = 21.5f;
  VelmoraPropertyValue values[] = {
      {85, VELMORA_NO_INDEX, {ASN_TYPE_REAL, const_cast<float*>(&real), 4, 1}, VELMORA_NO_PRIORITY},
      {87, 8, {ASN_TYPE_REAL, const_cast<float*>(&real), 4, 1}, 16}};
  VelmoraCreateObjectRequest r = {VELMORA_CREATE_BY_TYPE, {2, 0}, 1, values, 2};
  int32_t status;
  EXPECT_EQ(EncodeRecord(AsnEncodeCreateObject, &r, &status),
            Hex("0E 09 02 0F 1E 09 55 2E 44 41 AC 00 00 2F 09 57 19 08 2E 44 41 AC 00 00 2F 39 10 "
                "1F"));
  EXPECT_EQ(status, ASN_OK);
  values[1].priority = 17;
  EXPECT_EQ(EncodeRecord(AsnEncodeCreateObject, &r, &status), Bytes());
  EXPECT_EQ(status, ASN_OUT_OF_RANGE);
}

// A destination whose recipient is of no known choice still reads the
// fields behind it.
TEST(DestinationCodec, UnknownRecipientIsSteppedOver) {
  const Bytes octets = Hex("82 01 FE B4 00 00 00 00 B4 17 3B 3B 63 2E 21 01 2F 21 01 11 82 05 E0");
  DecodedRecord d = DecodeRecord(AsnDecodeDestination, octets);
  EXPECT_EQ(d.consumed, octets.size());
  auto dest = d.As<VelmoraDestination>();
  EXPECT_EQ(dest.recipient.choice, 0u);
  EXPECT_EQ(dest.recipient.device.instance, 0u);
  EXPECT_EQ(dest.process_id, 1u);
  EXPECT_EQ(dest.issue_confirmed, 1);
  EXPECT_EQ(dest.transitions.count, 3u);
}

}  // namespace
