// The library against the velmorad program and a test site: Who-Is on the
// local network, a remote network and globally fills the device images
// with exactly the devices there; properties, Object_Lists and BACnet
// Errors come back through object and device handles; a read of the
// wildcard device learns which device answers. And every device of the
// demo site answers a read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype_code.h"
#include "runtime/apil/velmora.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

constexpr uint32_t kObjectName = 77;
constexpr uint32_t kPresentValue = 85;

// 1002 has its device object and 24 analog values: an Object_List of 25.
std::string TestSite() {
  std::string site = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
apdu_timeout = 100

[device 1001]
mac = c0:a8:01:0a:ba:c0
object-name = "Local One"
[object analog-input 1]
object-name = "Supply"
present-value = real 21.5

[device 1002]
mac = c0:a8:01:0b:ba:c0
object-name = "Local Two"
)";
  for (int i = 1; i <= 24; ++i)
    site += "[object analog-value " + std::to_string(i) + "]\npresent-value = real 1\n";
  site += R"(
[device 2001]
mac = 01
network = 5
object-name = "Remote Five"

[device 3001]
mac = 02
network = 7
object-name = "Remote Seven"
)";
  return site;
}

class ApilDiscoveryTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartProgram(kVelmorad, TestSite());
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
};

struct WhoIsCase {
  const char* name;
  VelmoraAddress to;
  std::vector<uint32_t> found;
};

TEST_F(ApilDiscoveryTest, WhoIsFindsTheDevicesItReaches) {
  TestDeadline deadline(std::chrono::seconds(60));
  const WhoIsCase cases[] = {
      {"local", LocalBroadcast(), {1001, 1002}},
      {"network 5", RemoteBroadcast(5), {2001}},
      {"one device", LocalMac({0xc0, 0xa8, 0x01, 0x0b, 0xba, 0xc0}), {1002}},
      {"global", GlobalBroadcast(), {1001, 1002, 2001, 3001}},
  };
  for (const WhoIsCase& c : cases) {
    EXPECT_EQ(VelmoraDeleteDeviceImages(VELMORA_DEVICES_ALL, -1, -1, nullptr),
              DeviceInstances().size());
    ASSERT_EQ(VelmoraWhoIs(&c.to, -1, -1), VELMORA_STATUS_OK) << c.name;
    EXPECT_TRUE(WaitDevices(uint32_t(c.found.size()))) << c.name;
    EXPECT_EQ(DeviceInstances(), c.found) << c.name;
  }
  // Each image is bound to the address its I-Am came from.
  VelmoraAddress at{};
  ASSERT_TRUE(VelmoraGetDeviceAddress(VelmoraFindDeviceByInstance(2001), &at));
  EXPECT_EQ(at.remote, 1);
  EXPECT_EQ(at.network, 5);
  EXPECT_EQ(at.mac_length, 1);
  EXPECT_EQ(at.mac[0], 0x01);
  const VelmoraAddress local = LocalMac({0xc0, 0xa8, 0x01, 0x0a, 0xba, 0xc0});
  EXPECT_EQ(VelmoraFindDeviceByAddress(&local), VelmoraFindDeviceByInstance(1001));
}

TEST_F(ApilDiscoveryTest, WhoIsRangeSelectsInstances) {
  TestDeadline deadline(std::chrono::seconds(60));
  const VelmoraAddress all = GlobalBroadcast();
  ASSERT_EQ(VelmoraWhoIs(&all, 1002, 2001), VELMORA_STATUS_OK);
  EXPECT_TRUE(WaitDevices(2));
  EXPECT_EQ(DeviceInstances(), (std::vector<uint32_t>{1002, 2001}));
  EXPECT_EQ(VelmoraWhoIs(&all, 5, 4), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraWhoIs(&all, -1, 7), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraWhoIs(&all, 0, 0x400000), VELMORA_STATUS_INVALID_PARAMETER);
  VelmoraAddress bad = RemoteBroadcast(VELMORA_GLOBAL_NETWORK);
  bad.mac_length = 1;
  EXPECT_EQ(VelmoraWhoIs(&bad, -1, -1), VELMORA_STATUS_INVALID_ADDRESS);
}

TEST_F(ApilDiscoveryTest, ReadsPropertiesThroughObjectHandles) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle device = Discover(1001, LocalBroadcast());
  ASSERT_NE(device, nullptr);
  const VelmoraObjectId input{0, 1};
  VelmoraObjectHandle object = nullptr;
  ASSERT_EQ(VelmoraCreateObjectImage(device, &input, &object), VELMORA_STATUS_OK);

  // The value layer counts in blocks of eight bytes.
  float real[2] = {};
  VelmoraAnyValue value{-1, real, sizeof real, 0};
  ASSERT_EQ(VelmoraReadProperty(object, kPresentValue, -1, &value, nullptr, nullptr),
            VELMORA_STATUS_OK);
  EXPECT_EQ(value.type, ASN_TYPE_REAL);
  EXPECT_EQ(value.count, 1u);
  EXPECT_EQ(real[0], 21.5f);

  // Through an allocator the storage is the caller's.
  CountingAllocator counting;
  VelmoraAnyValue name{-1, nullptr, 0, 0};
  ASSERT_EQ(VelmoraReadProperty(object, kObjectName, -1, &name, nullptr, &counting.base),
            VELMORA_STATUS_OK);
  EXPECT_EQ(counting.live, 1);
  ASSERT_NE(name.buffer, nullptr);
  EXPECT_STREQ(static_cast<const char*>(name.buffer), "Supply");
  VelmoraAnyValueFree(&counting.base, &name);
  EXPECT_EQ(counting.live, 0);

  // A value larger than the caller's buffer does not fit.
  char small[2];
  VelmoraAnyValue tight{-1, small, sizeof small, 0};
  EXPECT_EQ(VelmoraReadProperty(object, kObjectName, -1, &tight, nullptr, nullptr),
            VELMORA_STATUS_VALUE_OUT_OF_SPACE);
}

struct ErrorCase {
  VelmoraObjectId object;
  uint32_t property;
  int32_t index;
  uint32_t errorClass, errorCode;
};

TEST_F(ApilDiscoveryTest, BacnetErrorsComeBackWithTheirDetail) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle device = Discover(1001, LocalBroadcast());
  ASSERT_NE(device, nullptr);
  const ErrorCase cases[] = {
      {{0, 1}, 9999, -1, 2, 32},           // unknown property
      {{0, 7}, kPresentValue, -1, 1, 31},  // unknown object
      {{8, 1001}, 76, 9, 2, 42},           // Object_List has 2 elements
  };
  for (const ErrorCase& c : cases) {
    VelmoraObjectHandle object = nullptr;
    VelmoraStatus created = VelmoraCreateObjectImage(device, &c.object, &object);
    ASSERT_TRUE(created == VELMORA_STATUS_OK || created == VELMORA_STATUS_ALREADY_EXISTS);
    uint8_t buffer[64];
    VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
    VelmoraFailure failure{};
    EXPECT_EQ(VelmoraReadProperty(object, c.property, c.index, &value, &failure, nullptr),
              VELMORA_STATUS_BACNET_ERROR);
    EXPECT_EQ(failure.kind, VELMORA_FAILURE_ERROR);
    EXPECT_EQ(failure.reason, c.errorClass);
    EXPECT_EQ(failure.error_code, c.errorCode);
  }
}

TEST_F(ApilDiscoveryTest, ObjectListKeepsWhatFitsAndCountsAll) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle device = Discover(1002, LocalBroadcast());
  ASSERT_NE(device, nullptr);
  const OsaCounters before = OsaCountersNow();
  VelmoraObjectId ids[10] = {};
  uint32_t total = 0;
  ASSERT_EQ(VelmoraReadObjectList(device, ids, 10, &total, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(total, 25u);
  EXPECT_EQ(ids[0].type, 8u);
  EXPECT_EQ(ids[0].instance, 1002u);
  for (uint32_t i = 1; i < 10; ++i) {
    EXPECT_EQ(ids[i].type, 2u);
    EXPECT_EQ(ids[i].instance, i);
  }
  // Counting only; the library's temporary list went back to its heap.
  ASSERT_EQ(VelmoraReadObjectList(device, nullptr, 0, &total, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(total, 25u);
  EXPECT_EQ(OsaCountersNow().blocks, before.blocks);
  EXPECT_EQ(VelmoraReadObjectList(device, nullptr, 3, &total, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraReadObjectList(device, ids, 10, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
}

// A device bound to an address without knowing its instance: the first
// read through it tells.
TEST_F(ApilDiscoveryTest, WildcardReadLearnsTheInstance) {
  TestDeadline deadline(std::chrono::seconds(60));
  const VelmoraAddress at = RemoteMac(5, {0x01});
  VelmoraDeviceHandle device = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&at, 0x3FFFFF, &device), VELMORA_STATUS_OK);
  VelmoraObjectHandle object = VelmoraGetDeviceObjectHandle(device);
  char name[32];
  VelmoraAnyValue value{-1, name, sizeof name, 0};
  ASSERT_EQ(VelmoraReadProperty(object, kObjectName, -1, &value, nullptr, nullptr),
            VELMORA_STATUS_OK);
  EXPECT_STREQ(name, "Remote Five");
  uint32_t instance = 0;
  ASSERT_TRUE(VelmoraGetDeviceInstNum(device, &instance));
  EXPECT_EQ(instance, 2001u);
  EXPECT_EQ(VelmoraFindDeviceByInstance(2001), device);
  // Its identifier now comes from the image.
  VelmoraObjectId id{};
  VelmoraAnyValue idValue{-1, &id, sizeof id, 0};
  ASSERT_EQ(VelmoraReadProperty(object, 75, -1, &idValue, nullptr, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(id.type, 8u);
  EXPECT_EQ(id.instance, 2001u);
}

TEST_F(ApilDiscoveryTest, NoDeviceAtTheAddressTimesOut) {
  TestDeadline deadline(std::chrono::seconds(60));
  const VelmoraAddress nobody = LocalMac({0xc0, 0xa8, 0x01, 0x0e, 0xba, 0xc0});
  VelmoraDeviceHandle device = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&nobody, 4000, &device), VELMORA_STATUS_OK);
  uint8_t buffer[16];
  VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
  EXPECT_EQ(VelmoraReadProperty(VelmoraGetDeviceObjectHandle(device), kObjectName, -1, &value,
                                nullptr, nullptr),
            VELMORA_STATUS_TIMEOUT);
}

// Without --site velmorad serves its demo site: every device answers.
class ApilDemoSiteTest : public ApilTest {};

TEST_F(ApilDemoSiteTest, EveryDemoDeviceAnswersARead) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartProgram(kVelmorad, "");
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  const VelmoraAddress all = GlobalBroadcast();
  ASSERT_EQ(VelmoraWhoIs(&all, -1, -1), VELMORA_STATUS_OK);
  ASSERT_TRUE(WaitDevices(6));
  EXPECT_EQ(DeviceInstances(), (std::vector<uint32_t>{1001, 1002, 2002, 2003, 3001, 3002}));
  for (uint32_t instance : DeviceInstances()) {
    VelmoraObjectHandle object =
        VelmoraGetDeviceObjectHandle(VelmoraFindDeviceByInstance(instance));
    CountingAllocator counting;
    VelmoraAnyValue name{-1, nullptr, 0, 0};
    EXPECT_EQ(VelmoraReadProperty(object, kObjectName, -1, &name, nullptr, &counting.base),
              VELMORA_STATUS_OK)
        << instance;
    EXPECT_EQ(name.type, ASN_TYPE_TEXT_ANSI) << instance;
    EXPECT_NE(name.buffer, nullptr);
    VelmoraAnyValueFree(&counting.base, &name);
    uint32_t total = 0;
    EXPECT_EQ(
        VelmoraReadObjectList(VelmoraFindDeviceByInstance(instance), nullptr, 0, &total, nullptr),
        VELMORA_STATUS_OK)
        << instance;
    EXPECT_GT(total, 8u) << instance;
  }
}

}  // namespace
