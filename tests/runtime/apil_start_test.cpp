// Library start-up and shut-down against the velmorad program (and the
// in-process core where the registration reply must be bent): a failed
// start-up leaves the heap and the threads as they were, and the library
// can always be started again.
#include <gtest/gtest.h>

#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_property.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/velmora.h"
#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

constexpr char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
[device 17]
mac = 0a
)";

constexpr char kVersionLine[] = "APIL: Velmora version is older than required by appication";

class ApilStartTest : public ApilTest {};

TEST_F(ApilStartTest, StartsOnceStopsOnceAndStartsAgain) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartProgram(kVelmorad, kSite);
  const OsaCounters before = OsaCountersNow();
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  EXPECT_EQ(Init(), VELMORA_STATUS_REJECT);
  // The first start-up is intact.
  uint32_t total = 99;
  EXPECT_TRUE(VelmoraGetDeviceList(nullptr, 0, &total));
  EXPECT_EQ(total, 0u);
  VelmoraTerminate();
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_FALSE(VelmoraGetDeviceList(nullptr, 0, &total));
  VelmoraTerminate();
  EXPECT_EQ(OsaRefCount(), 1u);

  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  // The image lock is taken only while started, and left as it was taken;
  // the codec's datatype query (the text utilities') answers only then too.
  const bool taken = ApilLock();
  EXPECT_TRUE(taken);
  ApilUnlock(taken);
  EXPECT_EQ(AsnPropertyQuery(0, 85, nullptr), ASN_TYPE_REAL);
  VelmoraTerminate();
  EXPECT_FALSE(ApilLock());
  ApilUnlock(false);
  EXPECT_EQ(AsnPropertyQuery(0, 85, nullptr), -1);
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_EQ(OsaRefCount(), 1u);
}

TEST_F(ApilStartTest, TerminateWithoutStartDoesNothing) {
  VelmoraTerminate();
  EXPECT_EQ(OsaRefCount(), 1u);
  VelmoraAddress any = LocalBroadcast();
  EXPECT_EQ(VelmoraWhoIs(&any, -1, -1), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraGetPropertyType(0, 85, nullptr), -1);
  EXPECT_EQ(VelmoraGetDefaultApduLength(), -1);
}

struct BadStart {
  const char* name;
  uint8_t major = 6, minor = 2;
  uint32_t devices = 32, objects = 32, reserved = 0;
  bool noRecord = false;
  VelmoraStatus status;
  bool versionLine = false;
};

class ApilBadStartTest : public ApilTest, public ::testing::WithParamInterface<BadStart> {};

// Each failure undoes every step before it; a good start-up then works.
TEST_P(ApilBadStartTest, FailsLeavesNothingAndStartsAfter) {
  TestDeadline deadline(std::chrono::seconds(60));
  const BadStart& c = GetParam();
  StartProgram(kVelmorad, kSite);
  const OsaCounters before = OsaCountersNow();
  VelmoraInitParams p;
  VelmoraInitDefaults(&p, c.major, c.minor);
  VelmoraInitSetMaxDevices(&p, c.devices);
  VelmoraInitSetMaxObjects(&p, c.objects);
  EXPECT_EQ(VelmoraInit(c.noRecord ? nullptr : &p, c.reserved), c.status);
  EXPECT_EQ(debug_.Count(kVersionLine), c.versionLine ? 1u : 0u);
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_EQ(OsaRefCount(), 1u);
  uint32_t total = 0;
  EXPECT_FALSE(VelmoraGetDeviceList(nullptr, 0, &total));
  EXPECT_EQ(Init(), VELMORA_STATUS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ApilBadStartTest,
    ::testing::Values(BadStart{"Version61", 6, 1, 32, 32, 0, false, 85, true},
                      BadStart{"Version63", 6, 3, 32, 32, 0, false, 85, true},
                      BadStart{"Version52", 5, 2, 32, 32, 0, false, 85, true},
                      BadStart{"NoDevices", 6, 2, 0, 32, 0, false, 16},
                      BadStart{"TooManyDevices", 6, 2, 0x400000, 32, 0, false, 16},
                      BadStart{"NoObjects", 6, 2, 32, 0, 0, false, 16},
                      BadStart{"TooManyObjects", 6, 2, 32, 0x400000, 0, false, 16},
                      BadStart{"Reserved", 6, 2, 32, 32, 1, false, 16},
                      BadStart{"NoRecord", 6, 2, 32, 32, 0, true, 16}),
    [](const auto& info) { return std::string(info.param.name); });

// A daemon that gives no address of ours: 73, and nothing stays.
TEST_F(ApilStartTest, NoLocalAddressIsRefused) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartCore("", [](VmdBehaviour* b) { b->reg_mac_len = 0; });
  const OsaCounters before = OsaCountersNow();
  EXPECT_EQ(Init(), VELMORA_STATUS_CANNOT_BIND_PORT);
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_TRUE(VmdWaitEnded(core_, 1, 10000));
  VmdSetBehaviour(core_, VmdBehaviour{});
  EXPECT_EQ(Init(), VELMORA_STATUS_OK);
}

TEST_F(ApilStartTest, BadTransactionParametersAreRefused) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartProgram(kVelmorad, kSite);
  ASSERT_TRUE(SetCfgDword("Cli\\Seg_Window_Size", 128));
  const OsaCounters before = OsaCountersNow();
  EXPECT_EQ(Init(), VELMORA_STATUS_OUT_OF_RESOURCES);
  EXPECT_EQ(OsaCountersNow(), before);
  ASSERT_TRUE(SetCfgDword("Cli\\Seg_Window_Size", 127));
  EXPECT_EQ(Init(), VELMORA_STATUS_OK);
}

TEST_F(ApilStartTest, NoDaemonFailsAndLeavesNothing) {
  TestDeadline deadline(std::chrono::seconds(60));
  const OsaCounters before = OsaCountersNow();
  EXPECT_NE(Init(), VELMORA_STATUS_OK);
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_EQ(OsaRefCount(), 1u);
}

}  // namespace
