// The library against the in-process daemon core, where a test injects
// I-Ams, scripts answers and reads the frames: images move with their
// devices but not against the application's bindings, a wildcard read of a
// known device answers with its image, answers that do not echo the
// request are refused with the caller's storage given back, and what a
// device tells of its limits bounds later requests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype_code.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kObjectName = 77;
constexpr uint32_t kPresentValue = 85;
constexpr uint8_t kReadProperty = 12;

const VelmoraAddress kA = LocalMac({0xc0, 0xa8, 0x01, 0x0a, 0xba, 0xc0});
const VelmoraAddress kC = LocalMac({0xc0, 0xa8, 0x01, 0x0c, 0xba, 0xc0});
const VelmoraAddress kD = LocalMac({0xc0, 0xa8, 0x01, 0x0d, 0xba, 0xc0});
constexpr char kAText[] = "MAC: C0:A8:01:0A:BA:C0";
constexpr char kCText[] = "MAC: C0:A8:01:0C:BA:C0";

constexpr char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
[device 1001]
mac = c0:a8:01:0a:ba:c0
object-name = "One"
[object analog-input 1]
present-value = real 21.5
)";

// I-Am of device `instance`: its identifier, maximum APDU, segmentation
// and vendor, application-tagged.
Bytes IAm(uint32_t instance, uint16_t maxApdu = 1476, uint8_t segmentation = 0) {
  const uint32_t id = 0x02000000 | instance;
  return {0xC4,
          uint8_t(id >> 24),
          uint8_t(id >> 16),
          uint8_t(id >> 8),
          uint8_t(id),
          0x22,
          uint8_t(maxApdu >> 8),
          uint8_t(maxApdu),
          0x91,
          segmentation,
          0x21,
          0x05};
}

class ApilCoreTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartCore(kSite);
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }

  void SendIAm(const Bytes& iam, const VelmoraAddress& from) {
    VmdIncoming in = VmdIncomingDefaults(core_);
    in.params.service = 0;
    in.params.remote = LinkOf(from);
    in.payload = iam;
    ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
  }
  // I-Ams are handled in the order they come: once a later one is in, the
  // earlier ones are too.
  void SendIAmAndWait(const Bytes& iam, const VelmoraAddress& from) {
    static uint32_t marker = 3000000;
    SendIAm(iam, from);
    SendIAm(IAm(++marker), kD);
    ASSERT_TRUE(WaitUntil([] { return VelmoraFindDeviceByInstance(marker) != nullptr; }));
    VelmoraDeleteDeviceImage(VelmoraFindDeviceByInstance(marker));
  }

  uint32_t Requests() {
    uint32_t n = 0;
    for (const VmdFrame& f : VmdFrames(core_))
      n += f.inbound && f.kind == IPC_KIND_CONF_REQUEST;
    return n;
  }

  VelmoraObjectHandle Input(VelmoraDeviceHandle device, uint32_t instance = 1) {
    const VelmoraObjectId id{0, instance};
    VelmoraObjectHandle object = nullptr;
    VelmoraStatus status = VelmoraCreateObjectImage(device, &id, &object);
    EXPECT_TRUE(status == VELMORA_STATUS_OK || status == VELMORA_STATUS_ALREADY_EXISTS);
    return object;
  }

  // AI 1 of device 1001, found by Who-Is.
  VelmoraObjectHandle DiscoveredInput() {
    VelmoraDeviceHandle one = Discover(1001, kA);
    EXPECT_NE(one, nullptr);
    return one ? Input(one) : nullptr;
  }

  void Script(uint16_t outcome, const Bytes& answer) {
    VmdScriptRule rule;
    rule.service = kReadProperty;
    rule.outcome = outcome;
    rule.answer = answer;
    VmdScriptAdd(core_, rule);
  }
};

bool AddressIs(VelmoraDeviceHandle device, const VelmoraAddress& expected) {
  VelmoraAddress at{};
  return VelmoraGetDeviceAddress(device, &at) && at.mac_length == expected.mac_length &&
         std::memcmp(at.mac, expected.mac, at.mac_length) == 0;
}

TEST_F(ApilCoreTest, AnIAmFromAnotherAddressMovesTheImage) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle one = Discover(1001, kA);
  ASSERT_NE(one, nullptr);
  SendIAmAndWait(IAm(1001), kC);
  EXPECT_TRUE(AddressIs(one, kC));
  EXPECT_EQ(debug_.Count(std::string("Device 1001: moved from ") + kAText + " to " + kCText), 1u);

  // Another device announcing itself there takes the address over.
  SendIAmAndWait(IAm(1500), kC);
  EXPECT_TRUE(AddressIs(VelmoraFindDeviceByInstance(1500), kC));
  VelmoraAddress at{};
  EXPECT_FALSE(VelmoraGetDeviceAddress(one, &at));
  EXPECT_EQ(debug_.Count(std::string("Device 1001 is replaced with device 1500 at ") + kCText), 1u);
}

TEST_F(ApilCoreTest, AStaticBindingStaysWhereTheApplicationPutIt) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle one = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kA, 1001, &one), VELMORA_STATUS_OK);
  SendIAmAndWait(IAm(1001), kC);
  EXPECT_TRUE(AddressIs(one, kA));
  EXPECT_EQ(debug_.Count("moved from"), 0u);
  VelmoraDeviceHandle again = nullptr;
  EXPECT_EQ(VelmoraBindDevice(&kC, 1001, &again), VELMORA_STATUS_ALREADY_EXISTS);
  EXPECT_EQ(again, one);
  EXPECT_TRUE(AddressIs(one, kA));
}

TEST_F(ApilCoreTest, ObjectIdentifierIsAnsweredByTheImage) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraObjectHandle input = DiscoveredInput();
  ASSERT_NE(input, nullptr);
  const uint32_t before = Requests();

  VelmoraObjectId id{};
  VelmoraAnyValue value{-1, &id, sizeof id, 0};
  ASSERT_EQ(VelmoraReadProperty(input, 75, -1, &value, nullptr, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(value.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(value.count, 1u);
  EXPECT_EQ(id.type, 0u);
  EXPECT_EQ(id.instance, 1u);

  VelmoraAnyValue none{-1, nullptr, 0, 0};
  EXPECT_EQ(VelmoraReadProperty(input, 75, -1, &none, nullptr, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(none.type, ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(none.count, 1u);
  uint32_t small = 0;
  VelmoraAnyValue tight{-1, &small, sizeof small, 0};
  EXPECT_EQ(VelmoraReadProperty(input, 75, -1, &tight, nullptr, nullptr),
            VELMORA_STATUS_VALUE_OUT_OF_SPACE);
  EXPECT_EQ(VelmoraReadProperty(input, 75, 0, &value, nullptr, nullptr),
            VELMORA_STATUS_INVALID_BUFFER_SIZE);
  CountingAllocator counting;
  VelmoraAnyValue given{-1, nullptr, 0, 0};
  ASSERT_EQ(VelmoraReadProperty(input, 75, -1, &given, nullptr, &counting.base), VELMORA_STATUS_OK);
  EXPECT_EQ(given.capacity, 8u);
  EXPECT_EQ(static_cast<VelmoraObjectId*>(given.buffer)->instance, 1u);
  VelmoraAnyValueFree(&counting.base, &given);
  EXPECT_EQ(counting.live, 0);
  EXPECT_EQ(Requests(), before);
}

// Acknowledgements of AI 1's Present_Value that echo something else.
TEST_F(ApilCoreTest, AnAnswerThatDoesNotEchoTheRequestIsRefused) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraObjectHandle input = DiscoveredInput();
  ASSERT_NE(input, nullptr);
  const Bytes wrong[] = {
      {0x0C, 0x00, 0x80, 0x00, 0x01, 0x19, 0x55, 0x3E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x3F},  // AV 1
      {0x0C, 0x00, 0x00, 0x00, 0x02, 0x19, 0x55, 0x3E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x3F},  // AI 2
      {0x0C, 0x00, 0x00, 0x00, 0x01, 0x19, 0x55, 0x29, 0x01, 0x3E, 0x44, 0x41, 0xAC, 0x00, 0x00,
       0x3F},  // index 1
  };
  for (const Bytes& answer : wrong) {
    VmdScriptClear(core_);
    Script(0, answer);
    CountingAllocator counting;
    VelmoraAnyValue value{-1, nullptr, 0, 0};
    EXPECT_EQ(VelmoraReadProperty(input, kPresentValue, -1, &value, nullptr, &counting.base),
              VELMORA_STATUS_INVALID_PACKET);
    EXPECT_EQ(counting.taken, 1);
    EXPECT_EQ(counting.live, 0);
    EXPECT_EQ(value.buffer, nullptr);
  }
}

struct FailureCase {
  const char* name;
  uint16_t outcome;
  Bytes data;
  VelmoraStatus status;
  VelmoraFailure failure;
};

TEST_F(ApilCoreTest, FailedReadsReportWhatFailed) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraObjectHandle input = DiscoveredInput();
  ASSERT_NE(input, nullptr);
  const FailureCase cases[] = {
      {"error", IPC_OUTCOME_ERROR, {0x91, 0x02, 0x91, 0x20}, 64, {2, 2, 32}},
      {"reject", IPC_OUTCOME_REJECT, {0x09}, 65, {1, 9, 7}},
      {"abort", IPC_OUTCOME_ABORT, {0x04}, 66, {0, 4, 7}},
      {"time-out", IPC_OUTCOME_NO_ANSWER, {}, VELMORA_STATUS_TIMEOUT, {7, 7, 7}},
  };
  for (const FailureCase& c : cases) {
    VmdScriptClear(core_);
    Script(c.outcome, c.data);
    const OsaCounters before = OsaCountersNow();
    uint8_t buffer[16];
    VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
    VelmoraFailure failure{7, 7, 7};
    EXPECT_EQ(VelmoraReadProperty(input, kPresentValue, -1, &value, &failure, nullptr), c.status)
        << c.name;
    EXPECT_EQ(failure.kind, c.failure.kind) << c.name;
    EXPECT_EQ(failure.reason, c.failure.reason) << c.name;
    EXPECT_EQ(failure.error_code, c.failure.error_code) << c.name;
    EXPECT_EQ(OsaCountersNow(), before) << c.name;
  }
}

// The device behind the wildcard already has an image elsewhere: that
// image answers and the wildcard's goes.
TEST_F(ApilCoreTest, AWildcardReadOfAKnownDeviceAnswersWithItsImage) {
  TestDeadline deadline(std::chrono::seconds(60));
  SendIAmAndWait(IAm(1001), kC);
  VelmoraDeviceHandle known = VelmoraFindDeviceByInstance(1001);
  ASSERT_NE(known, nullptr);
  VelmoraDeviceHandle wildcard = nullptr;
  ASSERT_EQ(VelmoraBindDevice(&kA, 0x3FFFFF, &wildcard), VELMORA_STATUS_OK);
  ASSERT_NE(wildcard, known);
  const OsaCounters before = OsaCountersNow();
  char name[16];
  VelmoraAnyValue value{-1, name, sizeof name, 0};
  ASSERT_EQ(VelmoraReadProperty(VelmoraGetDeviceObjectHandle(wildcard), kObjectName, -1, &value,
                                nullptr, nullptr),
            VELMORA_STATUS_OK);
  EXPECT_STREQ(name, "One");
  EXPECT_FALSE(VelmoraIsDeviceHandleValid(wildcard));
  EXPECT_EQ(VelmoraFindDeviceByInstance(1001), known);
  EXPECT_TRUE(AddressIs(known, kA));
  EXPECT_EQ(DeviceInstances(), std::vector<uint32_t>{1001});
  EXPECT_LT(OsaCountersNow().blocks, before.blocks) << "the wildcard's objects went";
}

TEST_F(ApilCoreTest, ObjectListGivesItsListBackOnEveryPath) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle one = Discover(1001, kA);
  ASSERT_NE(one, nullptr);
  const Bytes otherDevice = {0x0C, 0x02, 0x00, 0x03, 0xEA, 0x19, 0x4C,
                             0x3E, 0xC4, 0x02, 0x00, 0x03, 0xEA, 0x3F};  // 1002's list
  const OsaCounters before = OsaCountersNow();
  VelmoraObjectId ids[4];
  uint32_t total = 0;
  EXPECT_EQ(VelmoraReadObjectList(one, ids, 4, &total, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(total, 2u);
  EXPECT_EQ(OsaCountersNow(), before);
  Script(0, otherDevice);
  EXPECT_EQ(VelmoraReadObjectList(one, ids, 4, &total, nullptr), VELMORA_STATUS_INVALID_PACKET);
  EXPECT_EQ(OsaCountersNow(), before);
  VmdScriptClear(core_);
  Script(IPC_OUTCOME_ERROR, {0x91, 0x02, 0x91, 0x20});
  VelmoraFailure failure{};
  EXPECT_EQ(VelmoraReadObjectList(one, ids, 4, &total, &failure), VELMORA_STATUS_BACNET_ERROR);
  EXPECT_EQ(failure.error_code, 32u);
  EXPECT_EQ(OsaCountersNow(), before);
}

struct LimitCase {
  uint16_t announced;
  uint32_t sent;  // the APDU length the next request carries
};

// A device's own Max_APDU_Length_Accepted bounds what is sent to it; one
// below BACnet's least is ignored, and the application's own value wins.
TEST_F(ApilCoreTest, WhatADeviceAnnouncesBoundsLaterRequests) {
  TestDeadline deadline(std::chrono::seconds(60));
  for (const LimitCase& c : {LimitCase{480, 480}, LimitCase{40, 480}, LimitCase{1024, 1024}}) {
    SendIAmAndWait(IAm(1001, c.announced), kA);
    VelmoraDeviceHandle one = VelmoraFindDeviceByInstance(1001);
    uint8_t buffer[16];
    VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
    VmdFrame sent;
    const uint64_t after = VmdFrames(core_).empty() ? 0 : VmdFrames(core_).back().seq;
    ASSERT_EQ(VelmoraReadProperty(Input(one), kPresentValue, -1, &value, nullptr, nullptr),
              VELMORA_STATUS_OK);
    ASSERT_TRUE(VmdWaitFrame(
        core_, [](const VmdFrame& f) { return f.inbound && f.kind == IPC_KIND_CONF_REQUEST; }, 5000,
        &sent, after));
    EXPECT_EQ(IpcGet32(sent.bytes, IPC_OFF_MAX_APDU), c.sent) << c.announced;
  }
}

TEST_F(ApilCoreTest, DefaultsProcessIdsAndTheDaemonParameter) {
  TestDeadline deadline(std::chrono::seconds(60));
  EXPECT_TRUE(VelmoraSetDefaultApduTimeout(4000));
  EXPECT_EQ(VelmoraGetDefaultApduTimeout(), 4000);
  EXPECT_TRUE(VelmoraSetDefaultRetries(2));
  EXPECT_EQ(VelmoraGetDefaultRetries(), 2);
  EXPECT_FALSE(VelmoraSetDefaultApduLength(49));
  EXPECT_TRUE(VelmoraSetDefaultApduLength(480));
  EXPECT_EQ(VelmoraGetDefaultApduLength(), 480);
  CommParams all{};
  ASSERT_TRUE(VelmoraGetDefaultCommParams(&all));
  EXPECT_EQ(all.mask, 0xFFu);
  EXPECT_EQ(all.apduTimeout, 4000u);
  VmdClientInfo info;
  ASSERT_TRUE(VmdGetClient(core_, 0, &info));
  EXPECT_EQ(info.param_apdu_timeout, 4000u);

  EXPECT_EQ(VelmoraProcessIdAdd(0), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraProcessIdAdd(7), VELMORA_STATUS_OK);
  uint32_t fresh = 0;
  EXPECT_EQ(VelmoraProcessIdNew(&fresh), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraProcessIdNew(nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  uint32_t ids[4] = {};
  uint32_t count = 0;
  EXPECT_EQ(VelmoraProcessIdList(ids, 4, &count), VELMORA_STATUS_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(ids[0], 7u);
  EXPECT_EQ(ids[1], fresh);
  EXPECT_EQ(VelmoraProcessIdList(nullptr, 4, &count), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraProcessIdRemove(7), VELMORA_STATUS_OK);
  ASSERT_TRUE(VmdGetClient(core_, 0, &info));
  EXPECT_EQ(info.process_ids, std::vector<uint32_t>{fresh});

  EXPECT_EQ(VelmoraSetDaemonParam(2), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraSetDaemonParam(300), VELMORA_STATUS_OK);
  uint32_t value = 0;
  EXPECT_EQ(VelmoraGetDaemonParam(&value), VELMORA_STATUS_OK);
  EXPECT_EQ(value, 300u);
}

// An I-Have names an object and its name; the name finds it again.
TEST_F(ApilCoreTest, ObjectsAreFoundByNameAndIdentifier) {
  TestDeadline deadline(std::chrono::seconds(60));
  const Bytes ihave = {0xC4, 0x02, 0x00, 0x03, 0xE9, 0xC4, 0x00, 0x00, 0x00,
                       0x05, 0x75, 0x06, 0x00, 'P',  'u',  'm',  'p',  's'};
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.params.service = 1;
  in.params.remote = LinkOf(kA);
  in.payload = ihave;
  ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
  ASSERT_TRUE(WaitUntil([] { return VelmoraFindDeviceByInstance(1001) != nullptr; }));
  const char* name = "Pumps";
  VelmoraObjectHandle found[2] = {};
  uint32_t total = 0;
  VelmoraObjectSearchKey byName{1, VELMORA_CHARSET_ANSI, &name};
  ASSERT_TRUE(
      WaitUntil([&] { return VelmoraFindObjects(found, 2, &byName, &total) && total == 1; }));
  const VelmoraObjectId id{0, 5};
  VelmoraObjectSearchKey byId{0, 0, &id};
  VelmoraObjectHandle same = nullptr;
  ASSERT_TRUE(VelmoraFindObjects(&same, 1, &byId, &total));
  EXPECT_EQ(total, 1u);
  EXPECT_EQ(same, found[0]);
  const char* other = "Pump";
  VelmoraObjectSearchKey byOther{1, VELMORA_CHARSET_ANSI, &other};
  ASSERT_TRUE(VelmoraFindObjects(nullptr, 0, &byOther, &total));
  EXPECT_EQ(total, 0u);
  ASSERT_TRUE(VelmoraFindObjects(nullptr, 0, nullptr, &total));
  EXPECT_EQ(total, 2u);  // the device object and the analog input
  VelmoraObjectSearchKey badSet{1, 9, &name};
  EXPECT_FALSE(VelmoraFindObjects(nullptr, 0, &badSet, &total));
  EXPECT_FALSE(VelmoraFindObjects(found, 0, nullptr, &total));
}

TEST_F(ApilCoreTest, HandlesAreCheckedBeforeUse) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraDeviceHandle one = Discover(1001, kA);
  ASSERT_NE(one, nullptr);
  VelmoraObjectHandle device = VelmoraGetDeviceObjectHandle(one);
  const VelmoraObjectId deviceId{8, 4};
  VelmoraObjectHandle got = nullptr;
  EXPECT_EQ(VelmoraCreateObjectImage(one, &deviceId, &got), VELMORA_STATUS_ALREADY_EXISTS);
  EXPECT_EQ(got, device);
  const VelmoraObjectId badType{1024, 1};
  EXPECT_EQ(VelmoraCreateObjectImage(one, &badType, &got), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_FALSE(VelmoraDeleteObjectImage(device));
  VelmoraObjectHandle input = Input(one);
  EXPECT_TRUE(VelmoraDeleteObjectImage(input));
  uint8_t buffer[16];
  VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
  EXPECT_EQ(VelmoraReadProperty(input, kPresentValue, -1, &value, nullptr, nullptr),
            VELMORA_STATUS_INVALID_OBJECT_HANDLE);
  EXPECT_EQ(debug_.Count("Velmora run-time error: invalid object handle passed to "
                         "VelmoraReadProperty()"),
            1u);
  EXPECT_FALSE(VelmoraDeleteObjectImage(input));
  EXPECT_EQ(debug_.Count("invalid object handle passed to VelmoraDeleteObjectImage()"), 1u);

  // A device another one has replaced at its address is not reachable.
  SendIAmAndWait(IAm(1500), kA);
  EXPECT_EQ(VelmoraReadProperty(device, kObjectName, -1, &value, nullptr, nullptr),
            VELMORA_STATUS_DEVICE_UNREACHABLE);
  EXPECT_TRUE(VelmoraDeleteDeviceImage(one));
  uint32_t total = 0;
  EXPECT_EQ(VelmoraReadObjectList(one, nullptr, 0, &total, nullptr),
            VELMORA_STATUS_INVALID_DEVICE_HANDLE);
  EXPECT_EQ(debug_.Count("invalid device handle passed to VelmoraReadObjectList()"), 1u);
  EXPECT_FALSE(VelmoraIsDeviceHandleValid(one));
  EXPECT_FALSE(VelmoraIsObjectHandleValid(device));
  EXPECT_EQ(VelmoraReadProperty(device, kObjectName, -1, nullptr, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  VelmoraAnyValue noBuffer{-1, nullptr, 8, 0};
  EXPECT_EQ(VelmoraReadProperty(device, kObjectName, -1, &noBuffer, nullptr, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
}

TEST_F(ApilCoreTest, PropertyTypesComeFromTheSchema) {
  int32_t kind = -1;
  EXPECT_EQ(VelmoraGetPropertyType(0, kPresentValue, &kind), ASN_TYPE_REAL);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(VelmoraGetPropertyType(8, 76, &kind), ASN_TYPE_OBJECT_ID);
  EXPECT_EQ(kind & 3, 1);  // an array
  EXPECT_EQ(VelmoraGetPropertyType(0, 9999, &kind), -1);
}

}  // namespace
