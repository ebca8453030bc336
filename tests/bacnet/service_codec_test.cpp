// Service parameter codecs: encodings against octets written out from the
// BACnet encoding rules, each accepted by the syntax checker, and round
// trips whose decoders run only on what the checker accepted.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_status.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum class Pdu {
  None,
  Confirmed,
  Unconfirmed,
  Error
};

bool Accepted(Pdu pdu, uint8_t service, const Bytes& octets) {
  auto n = uint32_t(octets.size());
  switch (pdu) {
    case Pdu::Confirmed:
      return AsnCheckConfirmedRequest(service, octets.data(), n) == 0;
    case Pdu::Unconfirmed:
      return AsnCheckUnconfirmedRequest(service, octets.data(), n);
    case Pdu::Error:
      return AsnCheckErrorPdu(service, octets.data(), n);
    case Pdu::None:
      break;
  }
  return true;
}

uint8_t kParams[] = {0x21, 0x05, 0x73, 0x00, 'o', 'k'};

VelmoraPrivateTransfer Transfer(uint8_t present, uint8_t* data, uint32_t size, uint32_t length) {
  return {7, 1, present, data, size, length};
}

TEST(ServiceCodec, Encodings) {
  using Encode = std::function<int32_t(AsnCursor*)>;
  auto readProperty = [](VelmoraObjPropRef r) {
    return Encode([r](AsnCursor* c) { return AsnEncodeReadProperty(&r, c); });
  };
  auto whoIs = [](int32_t low, uint32_t high) {
    return Encode([=](AsnCursor* c) {
      AsnWhoIsParams w = {low, high};
      return AsnEncodeWhoIs(&w, c);
    });
  };
  auto transfer = [](VelmoraPrivateTransfer t) {
    return Encode([t](AsnCursor* c) { return AsnEncodePrivateTransfer(&t, c); });
  };
  auto transferError = [](uint32_t cls, uint32_t code, VelmoraPrivateTransfer t) {
    return Encode([=](AsnCursor* c) { return AsnEncodePrivateTransferError(cls, code, &t, c); });
  };
  auto create = [](VelmoraCreateObjectRequest r) {
    return Encode([r](AsnCursor* c) { return AsnEncodeCreateObject(&r, c); });
  };
  const uint32_t none = VELMORA_NO_INDEX;
  const struct {
    const char* name;
    Encode encode;
    int32_t status;
    const char* octets;
    Pdu pdu;
    uint8_t service;
  } cases[] = {
      {"read property", readProperty({{8, 123}, 77, none}), ASN_OK, "0C 02 00 00 7B 19 4D",
       Pdu::Confirmed, 12},
      {"read property index 0", readProperty({{8, 123}, 77, 0}), ASN_OK,
       "0C 02 00 00 7B 19 4D 29 00", Pdu::Confirmed, 12},
      {"read property index -2", readProperty({{8, 123}, 77, uint32_t(-2)}), ASN_BAD_OPTIONAL, "",
       Pdu::None, 0},
      {"read property instance too big", readProperty({{8, 0x400000}, 77, none}), ASN_INVALID_VALUE,
       "", Pdu::None, 0},
      {"read property large", readProperty({{1023, 0x3FFFFF}, 0x3FFFFF, 0x7FFFFFFF}), ASN_OK,
       "0C FF FF FF FF 1B 3F FF FF 2C 7F FF FF FF", Pdu::Confirmed, 12},
      {"who-is everyone", whoIs(-1, 0xFFFFFFFF), ASN_OK, "", Pdu::Unconfirmed, 8},
      {"who-is whole range", whoIs(0, 4194303), ASN_OK, "09 00 1B 3F FF FF", Pdu::Unconfirmed, 8},
      {"who-is one device", whoIs(123, 123), ASN_OK, "09 7B 19 7B", Pdu::Unconfirmed, 8},
      {"who-is low below -1", whoIs(-2, 5), ASN_OUT_OF_RANGE, "", Pdu::None, 0},
      {"who-is high below low", whoIs(5, 4), ASN_OUT_OF_RANGE, "", Pdu::None, 0},
      {"who-is high past the instances", whoIs(0, 4194304), ASN_OUT_OF_RANGE, "", Pdu::None, 0},
      {"who-is low past the instances", whoIs(4194304, 4194304), ASN_OUT_OF_RANGE, "", Pdu::None,
       0},
      {"who-is half a range", whoIs(-1, 7), ASN_OUT_OF_RANGE, "", Pdu::None, 0},
      {"who-is other half", whoIs(7, 0xFFFFFFFF), ASN_OUT_OF_RANGE, "", Pdu::None, 0},
      {"transfer without parameters", transfer(Transfer(0, nullptr, 0, 0)), ASN_OK, "09 07 19 01",
       Pdu::Confirmed, 18},
      {"transfer with empty parameters", transfer(Transfer(1, nullptr, 0, 0)), ASN_OK,
       "09 07 19 01 2E 2F", Pdu::Confirmed, 18},
      {"transfer with parameters", transfer(Transfer(1, kParams, sizeof kParams, sizeof kParams)),
       0, "09 07 19 01 2E 21 05 73 00 6F 6B 2F", Pdu::Confirmed, 18},
      {"transfer longer than its buffer", transfer(Transfer(1, kParams, 2, 3)), ASN_BAD_BUFFER, "",
       Pdu::None, 0},
      {"transfer without data", transfer(Transfer(1, nullptr, 4, 2)), ASN_BAD_BUFFER, "", Pdu::None,
       0},
      {"transfer error", transferError(2, 300, Transfer(1, kParams, 2, 2)), ASN_OK,
       "0E 91 02 92 01 2C 0F 19 07 29 01 3E 21 05 3F", Pdu::Error, 18},
      {"transfer error bare", transferError(5, 0, Transfer(0, nullptr, 0, 0)), ASN_OK,
       "0E 91 05 91 00 0F 19 07 29 01", Pdu::Error, 18},
      {"create by type", create({VELMORA_CREATE_BY_TYPE, {2, 99}, 0, nullptr, 0}), ASN_OK,
       "0E 09 02 0F", Pdu::Confirmed, 10},
      {"create by identifier", create({VELMORA_CREATE_BY_ID, {2, 5}, 0, nullptr, 0}), ASN_OK,
       "0E 1C 00 80 00 05 0F", Pdu::Confirmed, 10},
      {"create with no initial values", create({VELMORA_CREATE_BY_TYPE, {2, 0}, 1, nullptr, 0}),
       ASN_OK, "0E 09 02 0F 1E 1F", Pdu::Confirmed, 10},
      {"create by unknown choice", create({2, {2, 0}, 0, nullptr, 0}), ASN_UNKNOWN_CHOICE, "",
       Pdu::None, 0},
      {"create values without array", create({VELMORA_CREATE_BY_TYPE, {2, 0}, 1, nullptr, 1}),
       ASN_BAD_BUFFER, "", Pdu::None, 0},
  };
  for (const auto& c : cases) {
    uint8_t out[64];
    std::memset(out, 0xEE, sizeof out);
    AsnCursor cursor = AsnCursorOver(out, sizeof out);
    ASSERT_EQ(c.encode(&cursor), c.status) << c.name;
    Bytes got(out, cursor.current);
    EXPECT_EQ(got, Hex(c.octets)) << c.name;
    EXPECT_TRUE(Accepted(c.pdu, c.service, got)) << c.name;
    if (c.status == 0 && !got.empty()) {  // one octet short: 18, nothing moves
      AsnCursor tight = AsnCursorOver(out, uint32_t(got.size() - 1));
      EXPECT_EQ(c.encode(&tight), ASN_NO_ROOM) << c.name;
      EXPECT_EQ(tight.current, out) << c.name;
    }
  }
  EXPECT_EQ(AsnSizeReadProperty(nullptr), 50u);
  VelmoraPrivateTransfer bare = Transfer(0, nullptr, 0, 0);
  VelmoraPrivateTransfer full = Transfer(1, kParams, sizeof kParams, sizeof kParams);
  EXPECT_EQ(AsnSizePrivateTransfer(&bare), 12u);
  EXPECT_EQ(AsnSizePrivateTransfer(&full), sizeof kParams + 16);
}

TEST(ServiceCodec, ObjPropRefRoundTrip) {
  const VelmoraObjPropRef refs[] = {
      {{8, 123}, 77, VELMORA_NO_INDEX},
      {{0, 1}, 85, 0},
      {{0, 0}, 0, 1},
      {{1023, 0x3FFFFF}, 0x3FFFFF, 0xFFFF},
      {{17, 4096}, 512, 0x7FFFFFFF},
  };
  for (const VelmoraObjPropRef& ref : refs) {
    uint8_t out[ASN_READ_PROPERTY_SIZE];
    AsnCursor c = AsnCursorOver(out, sizeof out);
    ASSERT_EQ(AsnEncodeObjPropRef(&ref, &c), ASN_OK);
    Bytes octets(out, c.current);
    ASSERT_TRUE(Accepted(Pdu::Confirmed, 12, octets)) << ref.property;
    AsnCursor in = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
    VelmoraObjPropRef back;
    std::memset(&back, 0xA5, sizeof back);
    AsnDecodeObjPropRef(&in, &back);
    EXPECT_EQ(in.current, in.end);
    EXPECT_EQ(back.object_id.type, ref.object_id.type);
    EXPECT_EQ(back.object_id.instance, ref.object_id.instance);
    EXPECT_EQ(back.property, ref.property);
    EXPECT_EQ(back.array_index, ref.array_index);
  }
}

// The acknowledgement's reference, and its value through the property value
// layer into the caller's buffer, an allocator's block, or neither.
TEST(ServiceCodec, ReadPropertyAck) {
  const Bytes ack = Hex("0C 00 00 00 01 19 55 3E 44 42 C8 00 00 3F");
  ASSERT_EQ(AsnCheckComplexAck(12, ack.data(), uint32_t(ack.size())), 0u);
  enum Mode {
    Buffer,
    Allocator,
    Neither
  };
  for (Mode mode : {Buffer, Allocator, Neither}) {
    double storage = 0;  // one block of the value layer
    CountingAllocator counting;
    VelmoraAnyValue value = {-1, mode == Buffer ? &storage : nullptr,
                             mode == Buffer ? uint32_t(sizeof storage) : 0u, 0};
    VelmoraObjPropRef echo;
    AsnCursor c = AsnCursorOverConst(ack.data(), uint32_t(ack.size()));
    ASSERT_EQ(
        AsnDecodeReadPropertyAck(&c, &echo, &value, mode == Allocator ? counting.get() : nullptr),
        ASN_OK);
    EXPECT_EQ(echo.object_id.type, 0u);  // analog-input 1
    EXPECT_EQ(echo.object_id.instance, 1u);
    EXPECT_EQ(echo.property, 85u);  // present-value
    EXPECT_EQ(echo.array_index, VELMORA_NO_INDEX);
    EXPECT_EQ(value.type, ASN_TYPE_REAL);
    EXPECT_EQ(value.count, 1u);
    if (mode != Neither) {
      EXPECT_EQ(VelmoraAnyValueGetReal(&value), 100.0f);
    }
    if (mode == Allocator) {
      EXPECT_TRUE(VelmoraAnyValueFree(counting.get(), &value));
      EXPECT_EQ(counting.live, 0);
    }
  }
  float tooSmall[1];
  VelmoraAnyValue value = {-1, tooSmall, 3, 0};
  AsnCursor c = AsnCursorOverConst(ack.data(), uint32_t(ack.size()));
  EXPECT_EQ(AsnDecodeReadPropertyAck(&c, nullptr, &value, nullptr), ASN_NO_SPACE);

  // An array element: the second entry of a device's object list.
  const Bytes element = Hex("0C 02 00 00 7B 19 4C 29 02 3E C4 00 00 00 01 3F");
  ASSERT_EQ(AsnCheckComplexAck(12, element.data(), uint32_t(element.size())), 0u);
  uint8_t buffer[16];
  value = {-1, buffer, sizeof buffer, 0};
  VelmoraObjPropRef echo;
  c = AsnCursorOverConst(element.data(), uint32_t(element.size()));
  ASSERT_EQ(AsnDecodeReadPropertyAck(&c, &echo, &value, nullptr), ASN_OK);
  EXPECT_EQ(echo.object_id.instance, 123u);
  EXPECT_EQ(echo.array_index, 2u);
  EXPECT_EQ(value.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(value.count, 1u);
  EXPECT_EQ(static_cast<VelmoraObjectId*>(value.buffer)->instance, 1u);
}

struct Decoded {
  VelmoraPrivateTransfer transfer;
  Bytes parameters;
};

TEST(ServiceCodec, PrivateTransferRoundTrip) {
  const VelmoraPrivateTransfer sent[] = {
      Transfer(0, nullptr, 0, 0),
      Transfer(1, nullptr, 0, 0),
      Transfer(1, kParams, sizeof kParams, sizeof kParams),
      {0xFFFF, 0xFFFFFFFF, 1, kParams, sizeof kParams, 2},
  };
  for (const VelmoraPrivateTransfer& t : sent) {
    uint8_t out[64];
    AsnCursor c = AsnCursorOver(out, sizeof out);
    ASSERT_EQ(AsnEncodePrivateTransfer(&t, &c), ASN_OK);
    const Bytes octets(out, c.current);
    ASSERT_TRUE(Accepted(Pdu::Confirmed, 18, octets));
    const Bytes params(t.parameters, t.parameters + t.length);
    auto n = uint32_t(octets.size());

    // Arena: the record at the front of the block, the octets at its top.
    uint32_t size = AsnDecodedSizePrivateTransfer(octets.data(), n);
    EXPECT_EQ(size, sizeof(VelmoraPrivateTransfer) + t.length);
    GuardedBuffer block(size);
    uint8_t* arena = block.data() + size;
    AsnCursor in = AsnCursorOverConst(octets.data(), n);
    ASSERT_EQ(AsnDecodePrivateTransferArena(&in, block.data(), &arena), ASN_OK);
    EXPECT_EQ(arena, block.data() + sizeof(VelmoraPrivateTransfer));
    EXPECT_TRUE(block.guardsIntact());
    VelmoraPrivateTransfer got;
    std::memcpy(&got, block.data(), sizeof got);
    EXPECT_EQ(got.vendor_id, t.vendor_id);
    EXPECT_EQ(got.service_number, t.service_number);
    EXPECT_EQ(got.parameters_present, t.parameters_present);
    EXPECT_EQ(got.length, t.length);
    EXPECT_EQ(got.buffer_size, t.length);
    EXPECT_EQ(got.parameters == nullptr, t.length == 0);
    if (got.parameters) {
      EXPECT_EQ(Bytes(got.parameters, got.parameters + got.length), params);
    }

    // Allocator: one block of the parameters' size.
    CountingAllocator counting;
    in = AsnCursorOverConst(octets.data(), n);
    got = {};
    ASSERT_EQ(AsnDecodePrivateTransferAlloc(&in, &got, counting.get()), ASN_OK);
    EXPECT_EQ(got.length, t.length);
    EXPECT_EQ(counting.live, t.length ? 1 : 0);
    if (got.parameters) {
      EXPECT_EQ(Bytes(got.parameters, got.parameters + got.length), params);
      counting.base.ops->free(counting.get(), got.parameters);
    }

    // The record's own buffer.
    uint8_t own[sizeof kParams];
    got = {0, 0, 0, own, sizeof own, 0};
    in = AsnCursorOverConst(octets.data(), n);
    ASSERT_EQ(AsnDecodePrivateTransferAlloc(&in, &got, nullptr), ASN_OK);
    EXPECT_EQ(got.parameters, own);
    EXPECT_EQ(Bytes(own, own + got.length), params);
  }
}

TEST(ServiceCodec, PrivateTransferWithoutRoom) {
  const Bytes octets = Hex("09 07 19 01 2E 21 05 73 00 6F 6B 2F");
  ASSERT_TRUE(Accepted(Pdu::Confirmed, 18, octets));
  auto n = uint32_t(octets.size());
  const struct {
    const char* name;
    uint32_t bufferSize;  // 0: no buffer
    bool refuse;          // an allocator that gives no block
    int32_t status;
  } cases[] = {
      // Neither an allocator nor a buffer: the parameters must not be
      // dropped with a success.
      {"neither", 0, false, ASN_NO_SPACE},
      {"buffer too small", 5, false, ASN_NO_SPACE},
      {"allocator refuses", 0, true, ASN_NO_MEMORY},
  };
  for (const auto& c : cases) {
    uint8_t own[8];
    CountingAllocator counting;
    counting.refuse = c.refuse;
    VelmoraPrivateTransfer got = {0, 0, 0, c.bufferSize ? own : nullptr, c.bufferSize, 0};
    AsnCursor in = AsnCursorOverConst(octets.data(), n);
    EXPECT_EQ(AsnDecodePrivateTransferAlloc(&in, &got, c.refuse ? counting.get() : nullptr),
              c.status)
        << c.name;
    EXPECT_EQ(got.parameters_present, 1) << c.name;
    EXPECT_EQ(got.length, c.refuse ? 0u : 6u) << c.name;  // what it would need
    EXPECT_EQ(counting.live, 0) << c.name;
  }
  // Present but empty parameters need no room at all.
  const Bytes empty = Hex("09 07 19 01 2E 2F");
  VelmoraPrivateTransfer got = {0, 0, 0, nullptr, 0, 5};
  AsnCursor in = AsnCursorOverConst(empty.data(), uint32_t(empty.size()));
  EXPECT_EQ(AsnDecodePrivateTransferAlloc(&in, &got, nullptr), ASN_OK);
  EXPECT_EQ(got.parameters_present, 1);
  EXPECT_EQ(got.length, 0u);
}

TEST(ServiceCodec, PrivateTransferErrorRoundTrip) {
  VelmoraPrivateTransfer t = Transfer(1, kParams, sizeof kParams, 2);
  uint8_t out[64];
  AsnCursor c = AsnCursorOver(out, sizeof out);
  ASSERT_EQ(AsnEncodePrivateTransferError(5, 1000, &t, &c), ASN_OK);
  const Bytes octets(out, c.current);
  ASSERT_TRUE(Accepted(Pdu::Error, 18, octets));
  CountingAllocator counting;
  uint32_t cls = 0, code = 0;
  VelmoraPrivateTransfer got{};
  ASSERT_EQ(AsnDecodePrivateTransferError(octets.data(), uint32_t(octets.size()), &cls, &code, &got,
                                          counting.get()),
            ASN_OK);
  EXPECT_EQ(cls, 5u);
  EXPECT_EQ(code, 1000u);
  EXPECT_EQ(got.vendor_id, 7u);
  EXPECT_EQ(got.service_number, 1u);
  EXPECT_EQ(got.parameters_present, 1);
  ASSERT_EQ(got.length, 2u);
  EXPECT_EQ(Bytes(got.parameters, got.parameters + 2), Bytes(kParams, kParams + 2));
  counting.base.ops->free(counting.get(), got.parameters);
  // Outputs are optional.
  got = {};
  EXPECT_EQ(AsnDecodePrivateTransferError(octets.data(), uint32_t(octets.size()), nullptr, nullptr,
                                          &got, counting.get()),
            ASN_OK);
  counting.base.ops->free(counting.get(), got.parameters);
  EXPECT_EQ(counting.live, 0);
}

TEST(ServiceCodec, ChangeListError) {
  const struct {
    const char* octets;
    uint8_t service;
    VelmoraError error;
    uint32_t element;
  } cases[] = {
      {"0E 91 02 91 25 0F 19 03", 8, {2, 37}, 3},                // AddListElement
      {"0E 91 05 92 01 2C 0F 1B 01 00 00", 9, {5, 300}, 65536},  // RemoveListElement
      {"0E 91 03 91 12 0F 19 00", 10, {3, 18}, 0},               // CreateObject
  };
  for (const auto& c : cases) {
    const Bytes octets = Hex(c.octets);
    ASSERT_TRUE(Accepted(Pdu::Error, c.service, octets)) << c.octets;
    AsnCursor in = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
    VelmoraError error{};
    uint32_t element = 77;
    AsnDecodeChangeListError(&in, &error, &element);
    EXPECT_EQ(in.current, in.end) << c.octets;
    EXPECT_EQ(error.error_class, c.error.error_class) << c.octets;
    EXPECT_EQ(error.error_code, c.error.error_code) << c.octets;
    EXPECT_EQ(element, c.element) << c.octets;
  }
}

}  // namespace
