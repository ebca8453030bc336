// The simulated devices of a site, through the link as the library speaks
// it: Who-Is finds the devices it reaches, ReadProperty and
// ReadPropertyMultiple answer from their objects, a request nobody answers
// times out, the per-device switches, and the scripts and handlers that
// come first.
#include <chrono>
#include <set>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTimeoutMs = 400;

#define LONG_TEXT "a text too long for an APDU of fifty octets, which needs segments"
const char* kLongText = LONG_TEXT;

const char* kSite = R"(
[daemon]
apdu_timeout = 400
[device 10]
mac = 0a
vendor = 42
object-name = "Ten"
description = ")" LONG_TEXT R"("
[object analog-value 1]
present-value = real 21.5
priority-array = array null * 2, real 5
[device 11]
mac = 0b
max_apdu = 50
segmentation = no-segmentation
description = ")" LONG_TEXT R"("
[device 20]
network = 5
mac = 14
[device 21]
network = 5
mac = 15
[device 30]
network = 7
mac = c0:a8:07:0b:ba:c0
)";

// ReadProperty requests: object identifier, property, optional index.
Bytes ReadRequest(uint32_t type, uint32_t instance, uint8_t property, int index = -1) {
  uint32_t id = type << 22 | instance;
  Bytes r = {0x0C, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id),
             0x19, property};
  if (index >= 0) {
    r.push_back(0x29);
    r.push_back(uint8_t(index));
  }
  return r;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Devices : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    VmdConfig config = BaseConfig();
    std::string error;
    ASSERT_TRUE(VmdSiteParse(&config.site, kSite, "devices.site", &error)) << error;
    Start(config);
    ConnectRegistered(&c_);
  }

  // Sends a Who-Is and returns the instances of the I-Ams that come back,
  // checking each I-Am frame on the way.
  std::set<uint32_t> WhoIs(const LinkAddress& to, const Bytes& range = {}) {
    std::set<uint32_t> found;
    EXPECT_TRUE(RawSendFrame(&c_, Unconfirmed(8, to, range)));
    Bytes r;
    EXPECT_EQ(RawReadFrame(&c_, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_REQUEST);
    // Every I-Am is queued before the answer to a request sent after the Who-Is.
    EXPECT_TRUE(RawSendFrame(&c_, Message(IPC_KIND_GET_VALUE_ALL, 4)));
    while (RawReadFrame(&c_, &r) == 1 && IpcGet16(r, 0) != IPC_KIND_GET_VALUE_ALL) {
      EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_INDICATION);
      EXPECT_EQ(r[13], 0) << "I-Am";
      EXPECT_EQ(r.size(), 68 + IpcGet32(r, 64));
      LinkAddress from{};
      LinkAddressRead(r, 28, &from);
      Bytes iam(r.begin() + 68, r.end());
      if (iam.size() < 5 || iam[0] != 0xC4) {
        ADD_FAILURE() << "not an I-Am";
        continue;
      }
      uint32_t instance = IpcGet32(Bytes{iam[4], iam[3], iam[2], iam[1]}, 0) & 0x3FFFFF;
      const VmdDevice* d = VmdSiteFindDevice(site_, instance);
      if (!d) {
        ADD_FAILURE() << "I-Am of an unknown device " << instance;
        continue;
      }
      EXPECT_TRUE(VmdSameAddress(from, d->address)) << "from its own address: " << instance;
      EXPECT_EQ(iam, VmdDeviceIAm(*d));
      EXPECT_TRUE(found.insert(instance).second) << "one I-Am per device";
    }
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_GET_VALUE_ALL);
    return found;
  }

  // Sends a confirmed request and checks its acknowledgement.
  void Send(const Bytes& request, uint32_t id) {
    Bytes m = request;
    IpcPut32(m, IPC_OFF_TSM_ID, id);
    ASSERT_TRUE(RawSendFrame(&c_, m));
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_CONF_REQUEST);
    ASSERT_EQ(IpcGet16(r, 2), 0);
  }
  // The confirmation of request `id`: outcome and data.
  void ExpectConfirmation(uint32_t id, uint16_t outcome, const Bytes& answer) {
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
    EXPECT_EQ(IpcGet32(r, 8), id);
    EXPECT_EQ(IpcGet16(r, 12), outcome);
    EXPECT_EQ(Bytes(r.begin() + 68, r.end()), answer);
  }
  void Read(const LinkAddress& to, const Bytes& request, uint16_t outcome, const Bytes& answer,
            uint8_t service = 12) {
    ++id_;
    Send(Confirmed(service, to, request), id_);
    ExpectConfirmation(id_, outcome, answer);
  }
  void ReadMultiple(const LinkAddress& to, const Bytes& request, uint16_t outcome,
                    const Bytes& answer) {
    Read(to, request, outcome, answer, 14);
  }
  // Sends a request, checks its confirmation and returns the milliseconds
  // from before the send to the confirmation. The daemon's delay cannot
  // start before it has the request, so this is never less than the delay,
  // however late either side runs.
  int64_t TimedRead(const Bytes& request, uint16_t outcome, const Bytes& answer) {
    const auto sent = std::chrono::steady_clock::now();
    ++id_;
    Send(request, id_);
    ExpectConfirmation(id_, outcome, answer);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 sent)
        .count();
  }

  VmdSite site_ = [] {
    VmdSite s;
    VmdSiteParse(&s, kSite, "devices.site", nullptr);
    return s;
  }();
  RawClient c_;
  uint32_t id_ = 0;
};

const LinkAddress kTen = Mac({0x0a});

TEST_F(Devices, WhoIsFindsEveryDeviceItReachesAndNoOther) {
  const Bytes kRange11To21 = {0x09, 0x0B, 0x19, 0x15};
  struct Case {
    const char* what;
    LinkAddress to;
    Bytes range;
    std::set<uint32_t> found;
  } cases[] = {
      {"local broadcast", Mac({}), {}, {10, 11}},
      {"network 5 broadcast", Mac({}, 5), {}, {20, 21}},
      {"network 7 broadcast", Mac({}, 7), {}, {30}},
      {"global broadcast", Mac({}, 0xFFFF), {}, {10, 11, 20, 21, 30}},
      {"global broadcast, 11 to 21", Mac({}, 0xFFFF), kRange11To21, {11, 20, 21}},
      {"network 5, 11 to 21", Mac({}, 5), kRange11To21, {20, 21}},
      {"one device's address", Mac({0x14}, 5), {}, {20}},
      {"that MAC on another network", Mac({0x14}), {}, {}},
      {"a network without devices", Mac({}, 9), {}, {}},
      {"a range without devices", Mac({}, 0xFFFF), {0x09, 0x0C, 0x19, 0x0C}, {}},
      {"only a low limit", Mac({}, 0xFFFF), {0x09, 0x0C}, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(WhoIs(k.to, k.range), k.found);
  }
  EXPECT_TRUE(VmdWaitLog(server_, "answered by 5 devices", kWaitMs));
}

TEST_F(Devices, ReadPropertyAnswersValuesElementsAndErrors) {
  const Bytes kAv1 = {0x0C, 0x00, 0x80, 0x00, 0x01};
  const Bytes kDev10 = {0x0C, 0x02, 0x00, 0x00, 0x0A};
  struct Case {
    const char* what;
    Bytes request;
    uint16_t outcome;
    Bytes answer;
  } cases[] = {
      {"a text", ReadRequest(8, 10, 77), 0,
       Concat(kDev10, {0x19, 0x4D, 0x3E, 0x74, 0x00, 'T', 'e', 'n', 0x3F})},
      {"the wildcard instance answers as the device", ReadRequest(8, 0x3FFFFF, 75), 0,
       Concat(kDev10, {0x19, 0x4B, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0A, 0x3F})},
      {"a real", ReadRequest(2, 1, 85), 0,
       Concat(kAv1, {0x19, 0x55, 0x3E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x3F})},
      {"a whole array", ReadRequest(2, 1, 87), 0,
       Concat(kAv1, {0x19, 0x57, 0x3E, 0x00, 0x00, 0x44, 0x40, 0xA0, 0x00, 0x00, 0x3F})},
      {"an array's length", ReadRequest(2, 1, 87, 0), 0,
       Concat(kAv1, {0x19, 0x57, 0x29, 0x00, 0x3E, 0x21, 0x03, 0x3F})},
      {"an element", ReadRequest(2, 1, 87, 3), 0,
       Concat(kAv1, {0x19, 0x57, 0x29, 0x03, 0x3E, 0x44, 0x40, 0xA0, 0x00, 0x00, 0x3F})},
      {"the object list", ReadRequest(8, 10, 76), 0,
       Concat(kDev10, {0x19, 0x4C, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0A, 0xC4, 0x00, 0x80, 0x00, 0x01,
                       0x3F})},
      {"past the array", ReadRequest(2, 1, 87, 4), 1, {0x91, 0x02, 0x91, 0x2A}},
      {"an index of a value that is no array",
       ReadRequest(8, 10, 77, 1),
       1,
       {0x91, 0x02, 0x91, 0x32}},
      {"no such property", ReadRequest(8, 10, 85), 1, {0x91, 0x02, 0x91, 0x20}},
      {"no such object", ReadRequest(0, 9, 85), 1, {0x91, 0x01, 0x91, 0x1F}},
      {"no property in the request", {0x0C, 0x02, 0x00, 0x00, 0x0A}, 2, {0x05}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Read(kTen, k.request, k.outcome, k.answer);
  }
  ++id_;
  Send(Confirmed(15, kTen, {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4D}), id_);
  ExpectConfirmation(id_, 2, {0x09});  // WriteProperty: Reject, unrecognized service
}

// ReadPropertyMultiple: a read-access specification and its read-access
// result as the standard encodes them.
Bytes Spec(uint32_t type, uint32_t instance, const Bytes& refs) {
  const uint32_t id = type << 22 | instance;
  Bytes s = {0x0C, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id), 0x1E};
  s.insert(s.end(), refs.begin(), refs.end());
  s.push_back(0x1F);
  return s;
}
// A read-access result has the same framing: [0] object identifier,
// [1]{ results }.
Bytes Results(uint32_t type, uint32_t instance, const Bytes& results) {
  return Spec(type, instance, results);
}
// [2] property, optional [3] index, [4]{ value } or [5]{ error }.
Bytes Value(uint8_t property, const Bytes& value, int index = -1) {
  Bytes r = {0x29, property};
  if (index >= 0) r.insert(r.end(), {0x39, uint8_t(index)});
  r.push_back(0x4E);
  r.insert(r.end(), value.begin(), value.end());
  r.push_back(0x4F);
  return r;
}
Bytes Failed(uint8_t property, uint8_t errorClass, uint8_t errorCode, int index = -1) {
  Bytes r = {0x29, property};
  if (index >= 0) r.insert(r.end(), {0x39, uint8_t(index)});
  r.insert(r.end(), {0x5E, 0x91, errorClass, 0x91, errorCode, 0x5F});
  return r;
}

const Bytes kReal215 = {0x44, 0x41, 0xAC, 0x00, 0x00};
const Bytes kPriorityArray = {0x00, 0x00, 0x44, 0x40, 0xA0, 0x00, 0x00};
const Bytes kAv1Id = {0xC4, 0x00, 0x80, 0x00, 0x01};
const Bytes kAv1Type = {0x91, 0x02};
const Bytes kTenName = {0x74, 0x00, 'T', 'e', 'n'};

TEST_F(Devices, ReadPropertyMultipleAnswersEverySpecificationWithValuesAndErrors) {
  const uint8_t kAll = 8, kOptional = 80, kRequired = 105;
  struct Case {
    const char* what;
    Bytes request;
    Bytes answer;
  } cases[] = {
      {"two objects, an element among them",
       Concat(Spec(2, 1, {0x09, 0x55, 0x09, 0x57, 0x19, 0x02}), Spec(8, 10, {0x09, 0x4D})),
       Concat(Results(2, 1, Concat(Value(0x55, kReal215), Value(0x57, {0x00}, 2))),
              Results(8, 10, Value(0x4D, kTenName)))},
      {"errors beside values",
       Concat(Spec(8, 10, {0x09, 0xC8, 0x09, 0x4D, 0x09, 0x4D, 0x19, 0x01, 0x09, 0x57, 0x19, 0x09}),
              Spec(0, 9, {0x09, 0x55})),
       Concat(Results(8, 10,
                      Concat(Concat(Failed(0xC8, 2, 32), Value(0x4D, kTenName)),
                             Concat(Failed(0x4D, 2, 50, 1), Failed(0x57, 2, 32, 9)))),
              Results(0, 9, Failed(0x55, 1, 31)))},
      {"all the properties of an object", Spec(2, 1, {0x09, kAll}),
       Results(2, 1,
               Concat(Concat(Value(0x4B, kAv1Id), Value(0x4F, kAv1Type)),
                      Concat(Value(0x55, kReal215), Value(0x57, kPriorityArray))))},
      // An analog value requires its present value; its priority array is
      // optional.
      {"the required ones", Spec(2, 1, {0x09, kRequired}),
       Results(2, 1,
               Concat(Concat(Value(0x4B, kAv1Id), Value(0x4F, kAv1Type)), Value(0x55, kReal215)))},
      {"the optional ones", Spec(2, 1, {0x09, kOptional}),
       Results(2, 1, Value(0x57, kPriorityArray))},
      {"all of an object that is not there", Spec(0, 9, {0x09, kAll}),
       Results(0, 9, Failed(kAll, 1, 31))},
      {"the wildcard instance answers as the device", Spec(8, 0x3FFFFF, {0x09, 0x4B}),
       Results(8, 10, Value(0x4B, {0xC4, 0x02, 0x00, 0x00, 0x0A}))},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ReadMultiple(kTen, k.request, 0, k.answer);
  }
  // A specification must name a property: the request is rejected, missing
  // a required parameter.
  ReadMultiple(kTen, Spec(8, 10, {}), 2, {0x05});
}

TEST_F(Devices, ReadPropertyMultipleLongerThanAnApduNeedsSegmentation) {
  // All of device 11 holds its long description: more than its APDU of 50.
  ReadMultiple(Mac({0x0b}), Spec(8, 11, {0x09, 0x08}), 3, {0x04});
  ReadMultiple(Mac({0x0b}), Spec(8, 11, {0x09, 0x4B}), 0,
               Results(8, 11, Value(0x4B, {0xC4, 0x02, 0x00, 0x00, 0x0B})));
  for (uint8_t takes_segments : {1, 0}) {
    SCOPED_TRACE(takes_segments ? "a requester that takes segments" : "one that does not");
    Bytes rq = Confirmed(14, kTen, Spec(8, 10, {0x09, 0x1C}));
    IpcPut32(rq, IPC_OFF_MAX_APDU, 50);
    rq[IPC_OFF_SEG_ACCEPTED] = takes_segments;
    ++id_;
    Send(rq, id_);
    if (takes_segments) {
      std::string text = kLongText;
      Bytes description = {0x75, uint8_t(text.size() + 1), 0x00};
      description.insert(description.end(), text.begin(), text.end());
      ExpectConfirmation(id_, 0, Results(8, 10, Value(0x1C, description)));
    } else {
      ExpectConfirmation(id_, 3, {0x04});
    }
  }
  // A device that refuses its whole Object_List refuses it inside a
  // ReadPropertyMultiple too, by name or among all; an element still reads.
  VmdDeviceSwitches s;
  s.refuse_whole_object_list = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 10, s));
  ReadMultiple(kTen, Spec(8, 10, {0x09, 0x4C}), 3, {0x04});
  ReadMultiple(kTen, Spec(8, 10, {0x09, 0x08}), 3, {0x04});
  ReadMultiple(kTen, Spec(8, 10, {0x09, 0x4C, 0x19, 0x02}), 0,
               Results(8, 10, Value(0x4C, kAv1Id, 2)));
}

// An answer longer than one APDU of the device and the requester goes only
// in segments: the device must send them and the requester take them.
TEST_F(Devices, AnswersLongerThanAnApduNeedSegmentationOnBothSides) {
  Read(Mac({0x0b}), ReadRequest(8, 11, 28), 3, {0x04});  // Abort, segmentation not supported
  Read(Mac({0x0b}), ReadRequest(8, 11, 75), 0,
       {0x0C, 0x02, 0x00, 0x00, 0x0B, 0x19, 0x4B, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0B, 0x3F});

  std::string text = kLongText;
  Bytes description = {
      0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x1C, 0x3E, 0x75, uint8_t(text.size() + 1), 0x00};
  description.insert(description.end(), text.begin(), text.end());
  description.push_back(0x3F);
  for (uint8_t takes_segments : {1, 0}) {
    SCOPED_TRACE(takes_segments ? "a requester that takes segments" : "one that does not");
    Bytes rq = Confirmed(12, kTen, ReadRequest(8, 10, 28));
    IpcPut32(rq, IPC_OFF_MAX_APDU, 50);
    rq[IPC_OFF_SEG_ACCEPTED] = takes_segments;
    ++id_;
    Send(rq, id_);
    if (takes_segments)
      ExpectConfirmation(id_, 0, description);
    else
      ExpectConfirmation(id_, 3, {0x04});
  }
}

// Nothing answers at an address without a device, nor a silent device, nor
// one slower than the time-out: the daemon confirms each after the site's
// time-out, never earlier, and never leaves one unconfirmed.
TEST_F(Devices, UnansweredRequestsTimeOutAfterTheSitesTimeOut) {
  VmdDeviceSwitches quiet;
  quiet.silent = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 11, quiet));
  VmdDeviceSwitches slow;
  slow.slow_ms = kTimeoutMs;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 20, slow));
  struct Case {
    const char* what;
    LinkAddress to;
  } cases[] = {
      {"no device there", Mac({0x99})},
      {"no device on that network", Mac({0x0a}, 9)},
      {"a silent device", Mac({0x0b})},
      {"a device slower than the time-out", Mac({0x14}, 5)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_GE(TimedRead(Confirmed(12, k.to, ReadRequest(8, 11, 75)), IPC_OUTCOME_NO_ANSWER, {}),
              int64_t{kTimeoutMs})
        << "not before the time-out";
  }
  EXPECT_EQ(WhoIs(Mac({})), (std::set<uint32_t>{10})) << "a silent device sends no I-Am";
  EXPECT_TRUE(VmdWaitLog(server_, "silent device at mac 0b: time-out in 400 ms", kWaitMs));

  // A cancel takes the time-out back like any other confirmation.
  Bytes request = Confirmed(12, Mac({0x99}), ReadRequest(8, 11, 75));
  IpcPut32(request, IPC_OFF_TSM_ID, 50);
  Bytes cancel = Message(IPC_KIND_CANCEL, 0);
  IpcPut32(cancel, IPC_OFF_TSM_INDEX, 3);
  IpcPut32(cancel, IPC_OFF_TSM_ID, 50);
  ASSERT_TRUE(RawSendFrames(&c_, {request, cancel}));
  Bytes r;
  for (uint16_t kind : {IPC_KIND_CONF_REQUEST, IPC_KIND_CANCEL}) {
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), kind);
    EXPECT_EQ(IpcGet16(r, 2), 0);
  }
  EXPECT_TRUE(RawQuietFor(&c_, kTimeoutMs + 100));
}

TEST_F(Devices, SwitchesChangeWhileTheDaemonRuns) {
  VmdDeviceSwitches s;
  EXPECT_FALSE(VmdSetDeviceSwitches(server_, 12, s)) << "no device 12";
  EXPECT_FALSE(VmdGetDeviceSwitches(server_, 12, &s));

  s.slow_ms = kTimeoutMs / 2;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 10, s));
  VmdDeviceSwitches got;
  ASSERT_TRUE(VmdGetDeviceSwitches(server_, 10, &got));
  EXPECT_EQ(got.slow_ms, kTimeoutMs / 2);
  EXPECT_GE(TimedRead(Confirmed(12, kTen, ReadRequest(8, 10, 75)), 0,
                      {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4B, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0A,
                       0x3F}),
            int64_t{kTimeoutMs / 2})
      << "a slow device answers later";

  s = VmdDeviceSwitches{};
  s.refuse_whole_object_list = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 10, s));
  Read(kTen, ReadRequest(8, 10, 76), 3, {0x04});  // Abort, segmentation not supported
  Read(kTen, ReadRequest(8, 4194303, 76), 3, {0x04});
  Read(kTen, ReadRequest(8, 10, 76, 0), 0,
       {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4C, 0x29, 0x00, 0x3E, 0x21, 0x02, 0x3F});
  Read(kTen, ReadRequest(8, 10, 76, 2), 0,
       {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4C, 0x29, 0x02, 0x3E, 0xC4, 0x00, 0x80, 0x00, 0x01,
        0x3F});

  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 10, VmdDeviceSwitches{}));
  Read(kTen, ReadRequest(8, 10, 76), 0,
       {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4C, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0A, 0xC4, 0x00,
        0x80, 0x00, 0x01, 0x3F});
}

// Scripts come first, then the confirmed handler, then the devices; an
// unconfirmed handler takes every unconfirmed request from the devices.
TEST_F(Devices, ScriptsAndHandlersComeBeforeTheDevices) {
  const Bytes name = ReadRequest(8, 10, 77);
  const Bytes kName = {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4D,
                       0x3E, 0x74, 0x00, 'T',  'e',  'n',  0x3F};
  VmdScriptRule rule;
  rule.match_request = true;
  rule.request = name;
  rule.answer = {7};
  rule.uses = 1;
  VmdScriptAdd(server_, rule);
  Read(kTen, name, 0, {7});
  Read(kTen, name, 0, kName);

  VmdSetConfirmedHandler(server_, [](const VmdConfirmed& rq, VmdAnswer* a) {
    if (rq.request.size() < 7 || rq.request[6] != 0x4D) return false;
    a->answer = {8};
    return true;
  });
  Read(kTen, name, 0, {8});
  Read(kTen, ReadRequest(8, 10, 75), 0,
       {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4B, 0x3E, 0xC4, 0x02, 0x00, 0x00, 0x0A, 0x3F});

  int calls = 0;
  VmdSetUnconfirmedHandler(server_, [&calls](const VmdUnconfirmed&) { ++calls; });
  EXPECT_EQ(WhoIs(Mac({}, 0xFFFF)), std::set<uint32_t>{});
  EXPECT_EQ(calls, 1);
  VmdSetUnconfirmedHandler(server_, nullptr);
  EXPECT_EQ(WhoIs(Mac({})), (std::set<uint32_t>{10, 11}));
}

}  // namespace
