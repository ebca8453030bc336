// The requests a service hook's handler receives: I-Am, I-Have and COV
// notifications decoded from the octets the BACnet encoding rules give,
// into a guarded block of exactly their decoded size; every shorter
// prefix is refused by the syntax checker and, decoded anyway, read
// nowhere outside it. The I-Am record's accessors.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_hook_requests.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_hooks.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kIAm = 0;
constexpr uint8_t kIHave = 1;
constexpr uint8_t kUnconfirmedCov = 2;
constexpr uint8_t kConfirmedCov = 1;

// Device (8,1234), max APDU 1476, segmentation 3 (none), vendor 7.
const char* const kIAmOctets = "C4 02 00 04 D2 22 05 C4 91 03 21 07";
// Device (8,1234) has analog-input 1, named "AI-1".
const char* const kIHaveOctets = "C4 02 00 04 D2 C4 00 00 00 01 75 05 00 41 49 2D 31";
// Process 7, device (8,1001), analog-input 1, 60 s left, Present_Value
// 21.5 and Status_Flags {false, true, false, false}.
const char* const kCovOctets =
    "09 07 1C 02 00 03 E9 2C 00 00 00 01 39 3C 4E 09 55 2E 44 41 AC 00 00 2F"
    " 09 6F 2E 82 04 40 2F 4F";

// A decoded block of the measured size between guards, its arena the
// block's end.
struct Block {
  explicit Block(uint32_t n) : buffer(n), size(n) { std::memset(buffer.data(), 0x5A, n); }
  GuardedBuffer buffer;
  uint32_t size;
  uint8_t* top = nullptr;
  size_t consumed = 0;
  template <typename R>
  const R& As() {
    return *reinterpret_cast<const R*>(buffer.data());
  }
  bool Inside(const void* p) const {
    auto* b = static_cast<const uint8_t*>(p);
    auto* start = const_cast<GuardedBuffer&>(buffer).data();
    return b >= start && b < start + size;
  }
};

using Measure = uint32_t (*)(const uint8_t*, uint32_t);
using Decode = int32_t (*)(AsnCursor*, void*, uint8_t**);

// The octets are copied to a heap block of their own length, so that a
// read past them is a sanitizer report.
std::unique_ptr<Block> DecodeInto(const Bytes& octets, uint32_t size, Decode decode) {
  auto input = std::make_unique<uint8_t[]>(octets.size() + 1);
  if (!octets.empty()) std::memcpy(input.get(), octets.data(), octets.size());
  auto b = std::make_unique<Block>(size);
  b->top = b->buffer.data() + size;
  AsnCursor c = AsnCursorOverConst(input.get(), uint32_t(octets.size()));
  EXPECT_EQ(decode(&c, b->buffer.data(), &b->top), 0);
  b->consumed = size_t(c.current - input.get());
  return b;
}

int32_t IAm(AsnCursor* c, void* out, uint8_t**) { return AsnDecodeIAm(c, out); }
uint32_t IAmSize(const uint8_t*, uint32_t) { return sizeof(VelmoraIAmRequest); }

TEST(HookRequests, IAmDecodesToItsFourFields) {
  struct Case {
    const char* name;
    const char* octets;
    VelmoraIAmRequest expected;
  };
  const Case cases[] = {
      {"one-octet values", kIAmOctets, {1234, 1476, 3, 7}},
      {"segmentation in two octets, vendor 260",
       "C4 02 00 04 D2 22 05 C4 92 00 01 22 01 04",
       {1234, 1476, 1, 260}},
      {"largest instance", "C4 02 3F FF FF 21 32 91 00 21 00", {0x3FFFFF, 50, 0, 0}},
  };
  for (const Case& c : cases) {
    const Bytes octets = Hex(c.octets);
    ASSERT_TRUE(AsnCheckUnconfirmedRequest(kIAm, octets.data(), uint32_t(octets.size()))) << c.name;
    auto b = DecodeInto(octets, sizeof(VelmoraIAmRequest), IAm);
    const auto& r = b->As<VelmoraIAmRequest>();
    EXPECT_EQ(r.device_instance, c.expected.device_instance) << c.name;
    EXPECT_EQ(r.max_apdu, c.expected.max_apdu) << c.name;
    EXPECT_EQ(r.segmentation, c.expected.segmentation) << c.name;
    EXPECT_EQ(r.vendor_id, c.expected.vendor_id) << c.name;
    EXPECT_EQ(b->consumed, octets.size()) << c.name;
    EXPECT_TRUE(b->buffer.guardsIntact()) << c.name;
  }
}

TEST(HookRequests, IHaveKeepsTheNameInItsBlock) {
  const Bytes octets = Hex(kIHaveOctets);
  ASSERT_TRUE(AsnCheckUnconfirmedRequest(kIHave, octets.data(), uint32_t(octets.size())));
  const uint32_t size = AsnDecodedSizeIHave(octets.data(), uint32_t(octets.size()));
  EXPECT_EQ(size, sizeof(VelmoraIHaveRequest) + 5);
  auto b = DecodeInto(octets, size, AsnDecodeIHave);
  const auto& r = b->As<VelmoraIHaveRequest>();
  EXPECT_EQ(r.device_instance, 1234u);
  EXPECT_EQ(r.object_id.type, 0u);
  EXPECT_EQ(r.object_id.instance, 1u);
  EXPECT_EQ(r.charset, VELMORA_CHARSET_ANSI);
  ASSERT_TRUE(b->Inside(r.object_name));
  EXPECT_STREQ(static_cast<const char*>(r.object_name), "AI-1");
  EXPECT_EQ(b->top, b->buffer.data() + sizeof(VelmoraIHaveRequest)) << "the block, exactly";
  EXPECT_EQ(b->consumed, octets.size());
  EXPECT_TRUE(b->buffer.guardsIntact());
}

TEST(HookRequests, IHaveNameInUcs2) {
  // "AB" as UCS-2: the text in host-order units up to a zero unit.
  const Bytes octets = Hex("C4 02 00 04 D2 C4 00 00 00 01 75 05 04 00 41 00 42");
  ASSERT_TRUE(AsnCheckUnconfirmedRequest(kIHave, octets.data(), uint32_t(octets.size())));
  const uint32_t size = AsnDecodedSizeIHave(octets.data(), uint32_t(octets.size()));
  EXPECT_EQ(size, sizeof(VelmoraIHaveRequest) + 6);
  auto b = DecodeInto(octets, size, AsnDecodeIHave);
  const auto& r = b->As<VelmoraIHaveRequest>();
  EXPECT_EQ(r.charset, 4u);
  ASSERT_TRUE(b->Inside(r.object_name));
  const auto* units = static_cast<const uint16_t*>(r.object_name);
  EXPECT_EQ(units[0], 'A');
  EXPECT_EQ(units[1], 'B');
  EXPECT_EQ(units[2], 0);
  EXPECT_TRUE(b->buffer.guardsIntact());
}

TEST(HookRequests, CovNotificationHoldsItsValuesInItsBlock) {
  const Bytes octets = Hex(kCovOctets);
  for (uint8_t service : {kConfirmedCov, kUnconfirmedCov}) {
    if (service == kConfirmedCov)
      ASSERT_EQ(AsnCheckConfirmedRequest(service, octets.data(), uint32_t(octets.size())), 0u);
    else
      ASSERT_TRUE(AsnCheckUnconfirmedRequest(service, octets.data(), uint32_t(octets.size())));
  }
  const uint32_t size = AsnDecodedSizeCovNotif(octets.data(), uint32_t(octets.size()));
  auto b = DecodeInto(octets, size, AsnDecodeCovNotif);
  const auto& r = b->As<VelmoraCovNotifRequest>();
  EXPECT_EQ(r.process_id, 7u);
  EXPECT_EQ(r.initiating_device.type, 8u);
  EXPECT_EQ(r.initiating_device.instance, 1001u);
  EXPECT_EQ(r.monitored_object.type, 0u);
  EXPECT_EQ(r.monitored_object.instance, 1u);
  EXPECT_EQ(r.time_remaining, 60u);
  ASSERT_EQ(r.count, 2u);
  ASSERT_TRUE(b->Inside(r.values));
  ASSERT_TRUE(b->Inside(r.values + 1));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(r.values) % alignof(VelmoraPropertyValue), 0u);
  const VelmoraPropertyValue& pv = r.values[0];
  EXPECT_EQ(pv.property, 85u);
  EXPECT_EQ(pv.array_index, 0xFFFFFFFFu);
  EXPECT_EQ(pv.value.type, 4);  // Real
  ASSERT_TRUE(b->Inside(pv.value.buffer));
  float real = 0;
  std::memcpy(&real, pv.value.buffer, sizeof real);
  EXPECT_EQ(real, 21.5f);
  const VelmoraPropertyValue& flags = r.values[1];
  EXPECT_EQ(flags.property, 111u);
  EXPECT_EQ(flags.value.type, 8);  // BitString
  ASSERT_TRUE(b->Inside(flags.value.buffer));
  EXPECT_GE(b->top, b->buffer.data() + sizeof(VelmoraCovNotifRequest));
  EXPECT_EQ(b->consumed, octets.size());
  EXPECT_TRUE(b->buffer.guardsIntact());
}

TEST(HookRequests, CovNotificationWithoutValues) {
  const Bytes octets = Hex("09 07 1C 02 00 03 E9 2C 00 00 00 01 39 00 4E 4F");
  ASSERT_TRUE(AsnCheckUnconfirmedRequest(kUnconfirmedCov, octets.data(), uint32_t(octets.size())));
  const uint32_t size = AsnDecodedSizeCovNotif(octets.data(), uint32_t(octets.size()));
  EXPECT_EQ(size, sizeof(VelmoraCovNotifRequest));
  auto b = DecodeInto(octets, size, AsnDecodeCovNotif);
  EXPECT_EQ(b->As<VelmoraCovNotifRequest>().count, 0u);
  EXPECT_EQ(b->As<VelmoraCovNotifRequest>().values, nullptr);
}

// Received octets reach a decoder only through the checker, which refuses
// every cut; the decoders, given a cut anyway, stay inside it and inside
// the block their size function measures.
TEST(HookRequests, TruncatedRequestsAreRefusedAndDecodedSafely) {
  struct Case {
    const char* name;
    uint8_t service;
    const char* octets;
    Measure measure;
    Decode decode;
  };
  const Case cases[] = {
      {"I-Am", kIAm, kIAmOctets, IAmSize, IAm},
      {"I-Have", kIHave, kIHaveOctets, AsnDecodedSizeIHave, AsnDecodeIHave},
      {"COV notification", kUnconfirmedCov, kCovOctets, AsnDecodedSizeCovNotif, AsnDecodeCovNotif},
  };
  for (const Case& c : cases) {
    const Bytes whole = Hex(c.octets);
    for (size_t n = 0; n < whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + long(n));
      const std::string what = std::string(c.name) + " cut to " + std::to_string(n);
      EXPECT_FALSE(AsnCheckUnconfirmedRequest(c.service, cut.data(), uint32_t(n))) << what;
      auto input = std::make_unique<uint8_t[]>(n + 1);
      if (n) std::memcpy(input.get(), cut.data(), n);
      const uint32_t size = c.measure(input.get(), uint32_t(n));
      auto b = DecodeInto(cut, size, c.decode);
      EXPECT_LE(b->consumed, n) << what;
      EXPECT_GE(b->top, b->buffer.data()) << what;
      EXPECT_TRUE(b->buffer.guardsIntact()) << what;
    }
  }
}

TEST(HookRequests, IAmAccessors) {
  VelmoraIAmRequest r{};
  EXPECT_TRUE(VelmoraIAmInit(&r, 1234, 1476, 3, 7));
  EXPECT_EQ(VelmoraIAmGetDeviceInstance(&r), 1234u);
  EXPECT_EQ(VelmoraIAmGetMaxApdu(&r), 1476u);
  EXPECT_EQ(VelmoraIAmGetSegmentation(&r), 3u);
  EXPECT_EQ(VelmoraIAmGetVendorId(&r), 7u);
  EXPECT_TRUE(VelmoraIAmSetDeviceInstance(&r, 5));
  EXPECT_TRUE(VelmoraIAmSetMaxApdu(&r, 480));
  EXPECT_TRUE(VelmoraIAmSetSegmentation(&r, 0));
  EXPECT_TRUE(VelmoraIAmSetVendorId(&r, 260));
  VelmoraIAmRequest copy{};
  EXPECT_TRUE(VelmoraIAmCopy(&copy, &r));
  EXPECT_EQ(VelmoraIAmGetDeviceInstance(&copy), 5u);
  EXPECT_EQ(VelmoraIAmGetMaxApdu(&copy), 480u);
  EXPECT_EQ(VelmoraIAmGetSegmentation(&copy), 0u);
  EXPECT_EQ(VelmoraIAmGetVendorId(&copy), 260u);

  EXPECT_FALSE(VelmoraIAmInit(nullptr, 1, 2, 3, 4));
  EXPECT_FALSE(VelmoraIAmSetDeviceInstance(nullptr, 1));
  EXPECT_FALSE(VelmoraIAmSetMaxApdu(nullptr, 1));
  EXPECT_FALSE(VelmoraIAmSetSegmentation(nullptr, 1));
  EXPECT_FALSE(VelmoraIAmSetVendorId(nullptr, 1));
  EXPECT_FALSE(VelmoraIAmCopy(nullptr, &r));
  EXPECT_FALSE(VelmoraIAmCopy(&copy, nullptr));
  EXPECT_EQ(VelmoraIAmGetDeviceInstance(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(VelmoraIAmGetMaxApdu(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(VelmoraIAmGetSegmentation(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(VelmoraIAmGetVendorId(nullptr), 0xFFFFFFFFu);
}

}  // namespace
