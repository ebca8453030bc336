// The device-image table on its own: its capacity, the hashes of each
// device's objects, bindings and their moves, names by digest, what a
// device tells of its limits, and the selections of a delete.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/osa/osa.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

LinkAddress At(uint8_t mac, uint16_t net = 0) {
  LinkAddress a{};
  a.kind = 130;
  a.netPresent = net != 0;
  a.net = net;
  a.macLen = 1;
  a.mac[0] = mac;
  return a;
}

bool BoundTo(const DeviceImage* d, const LinkAddress& a) {
  const LinkAddress* bound = DeviceImageAddress(d);
  return bound && AddrEqual(bound, &a);
}

Bytes Packed(uint32_t type, uint32_t instance) {
  const uint32_t v = type << 22 | instance;
  return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

class ApilImageTest : public OsaTest {
 protected:
  void SetUp() override {
    OsaTest::SetUp();
    ASSERT_NE(OsaInit(), nullptr);
  }
  void TearDown() override {
    {
      ApilImageGuard g(ApilImageLock());
      DeviceImageTableFree();
    }
    OsaTest::TearDown();
  }
  void Table(uint32_t devices, uint32_t objects) {
    ApilImageGuard g(ApilImageLock());
    ASSERT_EQ(DeviceImageTableCreate(devices, objects), 0u);
  }
  DeviceImage* Bind(uint32_t instance, const LinkAddress& a, bool isStatic = false,
                    uint32_t expect = 0) {
    DeviceImage* d = nullptr;
    EXPECT_EQ(DeviceImageBind(&d, &a, instance, isStatic), expect) << instance;
    return d;
  }
  ApilImageGuard guard_{ApilImageLock()};
};

TEST_F(ApilImageTest, ATableOfTwoHoldsThree) {
  Table(2, 4);
  EXPECT_EQ(DeviceImageTableCreate(2, 4), APIL_TABLE_EXISTS);
  for (uint32_t i = 1; i <= 3; ++i)
    ASSERT_NE(Bind(i, At(uint8_t(i))), nullptr);
  DeviceImage* d = nullptr;
  const LinkAddress fourth = At(4);
  EXPECT_EQ(DeviceImageBind(&d, &fourth, 4, false), APIL_NO_FREE_DEVICE);
  EXPECT_EQ(ApilMapStatus(APIL_NO_FREE_DEVICE), VELMORA_STATUS_OUT_OF_RESOURCES);
  uint32_t total = 0;
  DeviceImage* list[2];
  DeviceImageList(list, 2, &total);
  EXPECT_EQ(total, 3u);
  // A released slot takes the next device.
  EXPECT_TRUE(DeviceImageRelease(list[0]));
  EXPECT_FALSE(DeviceImageRelease(list[0]));
  EXPECT_NE(Bind(4, fourth), nullptr);
}

TEST_F(ApilImageTest, BucketsFollowTheObjectCount) {
  for (auto [objects, mask] : {std::pair{20u, 63u}, {1u, 1u}, {32u, 63u}, {33u, 127u}}) {
    DeviceImageTableFree();
    Table(1, objects);
    DeviceImage* d = Bind(7, At(1));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->bucket_mask, mask) << objects;
  }
}

TEST_F(ApilImageTest, ObjectPoolsAndHandles) {
  Table(2, 3);
  DeviceImage* d = Bind(7, At(1));
  ObjectImage* device = DeviceImageFirstObject(d);
  EXPECT_EQ(ObjectImageGetId(device).type, 8u);
  EXPECT_EQ(ObjectImageGetId(device).instance, 7u);
  ObjectImage* a = nullptr;
  ObjectImage* again = nullptr;
  ObjectImage* b = nullptr;
  EXPECT_EQ(DeviceImageAddObject(d, &a, Packed(0, 1).data()), 0u);
  EXPECT_EQ(DeviceImageAddObject(d, &again, Packed(0, 1).data()), APIL_OBJECT_EXISTS);
  EXPECT_EQ(again, a);
  EXPECT_EQ(DeviceImageAddObject(d, &b, Packed(2, 9).data()), 0u);
  ObjectImage* c = nullptr;
  EXPECT_EQ(DeviceImageAddObject(d, &c, Packed(3, 1).data()), APIL_NO_FREE_OBJECT);
  EXPECT_EQ(DeviceImageFindObject(d, Packed(2, 9).data()), b);
  EXPECT_TRUE(ObjectImageRelease(a));
  EXPECT_FALSE(ObjectImageInUse(a));
  EXPECT_EQ(DeviceImageFindObject(d, Packed(0, 1).data()), nullptr);
  EXPECT_EQ(DeviceImageAddObject(d, &c, Packed(3, 1).data()), 0u);

  // Pointers that are not images are refused without being read.
  EXPECT_FALSE(ObjectImageInUse(reinterpret_cast<ObjectImage*>(reinterpret_cast<char*>(b) + 4)));
  EXPECT_FALSE(DeviceImageInUse(reinterpret_cast<DeviceImage*>(reinterpret_cast<char*>(d) + 1)));
  int local = 0;
  EXPECT_FALSE(DeviceImageInUse(reinterpret_cast<DeviceImage*>(&local)));
  EXPECT_FALSE(ObjectImageInUse(nullptr));
  DeviceImageRelease(d);
  EXPECT_FALSE(ObjectImageInUse(b));
}

TEST_F(ApilImageTest, BindingsMoveButStaticOnesStay) {
  Table(4, 2);
  DeviceImage* five = Bind(5, At(1));
  EXPECT_EQ(Bind(5, At(2), false, APIL_DEVICE_EXISTS), five);
  EXPECT_TRUE(BoundTo(five, At(2)));
  // Another device at that address takes it over.
  DeviceImage* seven = Bind(7, At(2));
  EXPECT_EQ(DeviceImageAddress(five), nullptr);
  EXPECT_TRUE(BoundTo(seven, At(2)));

  DeviceImage* nine = Bind(9, At(3), true);
  EXPECT_EQ(Bind(9, At(4), false, APIL_DEVICE_EXISTS), nine);
  EXPECT_TRUE(BoundTo(nine, At(3)));
  EXPECT_EQ(Bind(9, At(4), true, APIL_DEVICE_EXISTS), nine);
  EXPECT_TRUE(BoundTo(nine, At(3)));
}

TEST_F(ApilImageTest, TheWildcardBecomesTheDeviceThatAnswers) {
  Table(4, 2);
  DeviceImage* wildcard = Bind(APIL_WILDCARD_INSTANCE, At(1), true);
  // The wildcard at a bound address is the image already there.
  EXPECT_EQ(Bind(APIL_WILDCARD_INSTANCE, At(1), true, APIL_DEVICE_EXISTS), wildcard);
  EXPECT_EQ(Bind(12, At(1), false, APIL_DEVICE_EXISTS), wildcard);
  EXPECT_EQ(ObjectImageGetId(DeviceImageFirstObject(wildcard)).instance, 12u);
  EXPECT_EQ(DeviceImageFindByInstance(12), wildcard);
  EXPECT_EQ(DeviceImageFindObject(wildcard, Packed(8, 12).data()),
            DeviceImageFirstObject(wildcard));
  EXPECT_EQ(DeviceImageFindObject(wildcard, Packed(8, APIL_WILDCARD_INSTANCE).data()), nullptr);
}

// The name key is the digest of the encoded CharacterString.
TEST_F(ApilImageTest, ObjectsAreFoundByName) {
  Table(2, 4);
  DeviceImage* d = Bind(7, At(1));
  ObjectImage* a = nullptr;
  ObjectImage* b = nullptr;
  DeviceImageAddObject(d, &a, Packed(0, 1).data());
  DeviceImageAddObject(d, &b, Packed(0, 2).data());
  const Bytes supply = {0x75, 0x07, 0x00, 'S', 'u', 'p', 'p', 'l', 'y'};
  const Bytes back = {0x74, 0x00, 'B', 'a', 'k'};
  DeviceImageCacheProperty(a, 77, supply.data(), uint32_t(supply.size()));
  DeviceImageCacheProperty(b, 77, back.data(), uint32_t(back.size()));
  EXPECT_EQ(DeviceImageFindObjectByName(d, supply.data()), a);
  EXPECT_EQ(DeviceImageFindObjectByName(d, back.data()), b);
  const Bytes other = {0x74, 0x00, 'B', 'a', 'x'};
  EXPECT_EQ(DeviceImageFindObjectByName(d, other.data()), nullptr);
  // A new name replaces the old one; a malformed one changes nothing.
  DeviceImageCacheProperty(b, 77, other.data(), uint32_t(other.size()));
  EXPECT_EQ(DeviceImageFindObjectByName(d, back.data()), nullptr);
  EXPECT_EQ(DeviceImageFindObjectByName(d, other.data()), b);
  DeviceImageCacheProperty(b, 77, back.data(), uint32_t(back.size() - 1));
  EXPECT_EQ(DeviceImageFindObjectByName(d, other.data()), b);
  ObjectImage* found[4];
  uint32_t total = 0;
  ObjectImageFindAcross(found, 4, nullptr, supply.data(), &total);
  EXPECT_EQ(total, 1u);
  EXPECT_EQ(found[0], a);
  ObjectImageFindAcross(nullptr, 0, nullptr, nullptr, &total);
  EXPECT_EQ(total, 3u);
  ObjectImageRelease(a);
  EXPECT_EQ(DeviceImageFindObjectByName(d, supply.data()), nullptr);
}

struct LimitCase {
  uint32_t property;
  Bytes octets;
  uint32_t CommParams::*field;
  uint32_t learnt;  // what the field holds afterwards
};

TEST_F(ApilImageTest, ADeviceTellsItsLimits) {
  Table(1, 2);
  DeviceImage* d = Bind(7, At(1));
  ObjectImage* device = DeviceImageFirstObject(d);
  EXPECT_EQ(d->comm.apduLength, APIL_UNKNOWN_LIMIT);
  const LimitCase cases[] = {
      {62, {0x22, 0x01, 0xE0}, &CommParams::apduLength, 480},
      {62, {0x21, 0x28}, &CommParams::apduLength, 480},              // 40: below BACnet's least
      {62, {0x91, 0x32}, &CommParams::apduLength, 480},              // not an Unsigned
      {62, {0x22, 0x01, 0xE0, 0x00}, &CommParams::apduLength, 480},  // not one element
      {107, {0x91, 0x03}, &CommParams::segmentation, 3},
      {107, {0x91, 0x04}, &CommParams::segmentation, 3},
      {167, {0x21, 0x10}, &CommParams::maxSegsToSend, 16},
      {167, {0x21, 0x01}, &CommParams::maxSegsToSend, 16},
  };
  for (const LimitCase& c : cases) {
    DeviceImageCacheProperty(device, c.property, c.octets.data(), uint32_t(c.octets.size()));
    EXPECT_EQ(d->comm.*c.field, c.learnt) << c.property << " " << c.octets.size();
  }
  // What the application set stays.
  CommParams p{};
  p.mask = COMM_SEGMENTATION;
  p.segmentation = 1;
  ASSERT_TRUE(DeviceImageSetCommParams(d, &p));
  const Bytes none = {0x91, 0x03};
  DeviceImageCacheProperty(device, 107, none.data(), 2);
  EXPECT_EQ(d->comm.segmentation, 1u);
  p.mask = COMM_WINDOW_SIZE;
  p.windowSize = 128;
  EXPECT_FALSE(DeviceImageSetCommParams(d, &p));
  // Only a device object tells them.
  ObjectImage* input = nullptr;
  DeviceImageAddObject(d, &input, Packed(0, 1).data());
  const Bytes small = {0x22, 0x00, 0x80};
  DeviceImageCacheProperty(input, 62, small.data(), 3);
  EXPECT_EQ(d->comm.apduLength, 480u);
}

// An I-Have whose object does not fit leaves no image it made.
TEST_F(ApilImageTest, AnIHaveThatCannotAddItsObjectLeavesNothing) {
  Table(2, 1);
  uint8_t header[IPC_HEADER_SIZE] = {};
  LinkAddressWrite({header, sizeof header}, IPC_OFF_REMOTE_ADDR, At(3));
  const Bytes ihave = {0xC4, 0x02, 0x00, 0x00, 0x07, 0xC4, 0x00,
                       0x00, 0x00, 0x01, 0x73, 0x00, 'A',  'B'};
  ApilOnIHave(header, ihave.data(), uint32_t(ihave.size()));
  EXPECT_EQ(DeviceImageFindByInstance(7), nullptr);
  // With room the object and its name are learnt.
  DeviceImageTableFree();
  Table(2, 2);
  ApilOnIHave(header, ihave.data(), uint32_t(ihave.size()));
  DeviceImage* d = DeviceImageFindByInstance(7);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(DeviceImageFindObjectByName(d, ihave.data() + 10),
            DeviceImageFindObject(d, ihave.data() + 6));
}

struct DeleteCase {
  const char* name;
  uint32_t kind;
  int32_t low, high;
  bool withAddress;
  LinkAddress address;
  std::vector<uint32_t> left;
};

TEST_F(ApilImageTest, DeleteSelectsByKindRangeAndAddress) {
  const DeleteCase cases[] = {
      {"all", VELMORA_DEVICES_ALL, -1, -1, false, {}, {}},
      {"learnt", VELMORA_DEVICES_LEARNT, -1, -1, false, {}, {1, 20}},
      {"static", VELMORA_DEVICES_STATIC, -1, -1, false, {}, {2, 30}},
      {"range", VELMORA_DEVICES_ALL, 2, 20, false, {}, {1, 30}},
      {"one, any kind", VELMORA_DEVICES_LEARNT, 2, 2, false, {}, {1, 20, 30}},
      {"one at another address", VELMORA_DEVICES_ALL, 2, 2, true, At(9), {1, 2, 20, 30}},
      {"network 5", VELMORA_DEVICES_ALL, -1, -1, true, At(0, 5), {1, 2}},
      {"one address", VELMORA_DEVICES_ALL, -1, -1, true, At(0x21, 5), {1, 2, 30}},
      {"global is anywhere", VELMORA_DEVICES_ALL, -1, -1, true, At(0, 0xFFFF), {}},
  };
  for (const DeleteCase& c : cases) {
    DeviceImageTableFree();
    Table(8, 2);
    Bind(1, At(1), true);
    Bind(2, At(2));
    Bind(20, At(0x21, 5), true);
    Bind(30, At(0x22, 5));
    LinkAddress a = c.address;
    if (c.withAddress && a.net == 0xFFFF) a.macLen = 0;
    if (c.withAddress && c.address.mac[0] == 0) a.macLen = 0;
    DeviceImageDeleteMatching(c.kind, c.low, c.high, c.withAddress ? &a : nullptr);
    std::vector<uint32_t> left;
    for (uint32_t i : {1u, 2u, 20u, 30u})
      if (DeviceImageFindByInstance(i)) left.push_back(i);
    EXPECT_EQ(left, c.left) << c.name;
  }
}

}  // namespace
