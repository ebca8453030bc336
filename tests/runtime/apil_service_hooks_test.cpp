// The service hook interface: registration by hook id, the ids that share
// a service, the decoded request a registered handler receives, the
// answers a handler gives to a confirmed request it kept, and velmorad's
// I-Am answers to a Who-Is reaching the application's I-Am hook.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "bacnet/records_hooks.h"
#include "runtime/apil/apil_dispatch.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t First(void*, const VelmoraAddress*, const VelmoraAddress*, void*) { return 1; }
uint32_t Second(void*, const VelmoraAddress*, const VelmoraAddress*, void*) { return 1; }

class ServiceHookTest : public ApilTest {
 protected:
  void Start() {
    StartCore();
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
};

TEST_F(ServiceHookTest, RegistrationNeedsTheLibraryAndAnIdWithAService) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraServiceHook got = First;
  EXPECT_EQ(VelmoraSetServiceHook(8, First), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraGetServiceHook(8, &got), VELMORA_STATUS_NOT_INITIALIZED);
  Start();
  struct Case {
    uint32_t hook;
    VelmoraStatus status;
  };
  const Case cases[] = {
      {8, VELMORA_STATUS_OK},
      {9, VELMORA_STATUS_OK},
      {11, VELMORA_STATUS_OK},
      {12, VELMORA_STATUS_OK},
      {13, VELMORA_STATUS_OK},
      {14, VELMORA_STATUS_OK},
      {25, VELMORA_STATUS_OK},
      {35, VELMORA_STATUS_OK},
      {36, VELMORA_STATUS_OK},
      {0, VELMORA_STATUS_NOT_SUPPORTED},
      {10, VELMORA_STATUS_NOT_SUPPORTED},
      {34, VELMORA_STATUS_NOT_SUPPORTED},
      {37, VELMORA_STATUS_INVALID_PARAMETER},
      {0xFFFFFFFF, VELMORA_STATUS_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VelmoraSetServiceHook(c.hook, First), c.status) << c.hook;
    got = Second;
    EXPECT_EQ(VelmoraGetServiceHook(c.hook, &got), c.status) << c.hook;
    if (c.status == VELMORA_STATUS_OK && c.hook != 13 && c.hook != 14) {
      EXPECT_EQ(got, First) << c.hook;
    }
    if (c.status == VELMORA_STATUS_OK) {
      EXPECT_EQ(VelmoraSetServiceHook(c.hook, nullptr), VELMORA_STATUS_OK) << c.hook;
      EXPECT_EQ(VelmoraGetServiceHook(c.hook, &got), VELMORA_STATUS_OK) << c.hook;
      EXPECT_EQ(got, nullptr) << c.hook;
    }
  }
  EXPECT_EQ(VelmoraGetServiceHook(8, nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  // Shut-down clears every registration.
  ASSERT_EQ(VelmoraSetServiceHook(8, First), VELMORA_STATUS_OK);
  VelmoraTerminate();
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraGetServiceHook(8, &got), VELMORA_STATUS_OK);
  EXPECT_EQ(got, nullptr);
}

// Ids 13 and 35 (14 and 36) name one service: the later registration
// holds its row, and only the id it was made through reports it.
TEST_F(ServiceHookTest, TwoIdsOfOneServiceShareItsHandler) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  for (auto [earlier, later] : {std::pair{13u, 35u}, {35u, 13u}, {14u, 36u}, {36u, 14u}}) {
    ASSERT_EQ(VelmoraSetServiceHook(earlier, First), VELMORA_STATUS_OK);
    ASSERT_EQ(VelmoraSetServiceHook(later, Second), VELMORA_STATUS_OK);
    VelmoraServiceHook got = First;
    EXPECT_EQ(VelmoraGetServiceHook(earlier, &got), VELMORA_STATUS_OK);
    EXPECT_EQ(got, nullptr) << earlier;
    EXPECT_EQ(VelmoraGetServiceHook(later, &got), VELMORA_STATUS_OK);
    EXPECT_EQ(got, Second) << later;
    ASSERT_EQ(VelmoraSetServiceHook(later, nullptr), VELMORA_STATUS_OK);
  }
}

struct IAmSeen {
  std::mutex lock;
  std::atomic<int> calls{0};
  VelmoraIAmRequest request{};
  VelmoraAddress sender{};
};
IAmSeen g_iam;

uint32_t KeepIAm(void* transaction, const VelmoraAddress* sender, const VelmoraAddress*,
                 void* request) {
  std::lock_guard<std::mutex> g(g_iam.lock);
  if (!transaction && request)
    VelmoraIAmCopy(&g_iam.request, static_cast<VelmoraIAmRequest*>(request));
  g_iam.sender = *sender;
  ++g_iam.calls;
  return 0;
}

TEST_F(ServiceHookTest, AnIAmHandlerReceivesTheDecodedRequest) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_I_AM, KeepIAm), VELMORA_STATUS_OK);
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.params.service = 0;
  // Device (8,1234), max APDU 1476, segmentation 3, vendor 7.
  in.payload = {0xC4, 0x02, 0x00, 0x04, 0xD2, 0x22, 0x05, 0xC4, 0x91, 0x03, 0x21, 0x07};
  ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
  ASSERT_TRUE(WaitUntil([] { return g_iam.calls == 1; }));
  std::lock_guard<std::mutex> g(g_iam.lock);
  EXPECT_EQ(VelmoraIAmGetDeviceInstance(&g_iam.request), 1234u);
  EXPECT_EQ(VelmoraIAmGetMaxApdu(&g_iam.request), 1476u);
  EXPECT_EQ(VelmoraIAmGetSegmentation(&g_iam.request), 3u);
  EXPECT_EQ(VelmoraIAmGetVendorId(&g_iam.request), 7u);
  EXPECT_EQ(g_iam.sender.mac_length, 1);
  // Kept by the application: the library made no image of it.
  EXPECT_EQ(VelmoraFindDeviceByInstance(1234), nullptr);
}

struct Decoded {
  std::mutex lock;
  std::atomic<int> calls{0};
  std::string text;  // what the handler read from the request
};
Decoded g_decoded;

uint32_t ReadIHave(void*, const VelmoraAddress*, const VelmoraAddress*, void* request) {
  const auto* r = static_cast<const VelmoraIHaveRequest*>(request);
  std::lock_guard<std::mutex> g(g_decoded.lock);
  g_decoded.text = std::to_string(r->device_instance) + " " + std::to_string(r->object_id.type) +
                   "," + std::to_string(r->object_id.instance) + " " +
                   static_cast<const char*>(r->object_name);
  ++g_decoded.calls;
  return 1;
}

uint32_t ReadCov(void*, const VelmoraAddress*, const VelmoraAddress*, void* request) {
  const auto* r = static_cast<const VelmoraCovNotifRequest*>(request);
  std::lock_guard<std::mutex> g(g_decoded.lock);
  g_decoded.text = std::to_string(r->process_id) + " " +
                   std::to_string(r->initiating_device.instance) + " " +
                   std::to_string(r->monitored_object.instance) + " " +
                   std::to_string(r->time_remaining) + " " + std::to_string(r->count);
  for (uint32_t i = 0; i < r->count; ++i)
    g_decoded.text += " " + std::to_string(r->values[i].property);
  ++g_decoded.calls;
  return 1;
}

// Each unconfirmed hook's handler gets its request in its decoded form.
TEST_F(ServiceHookTest, UnconfirmedHandlersReceiveTheirDecodedForms) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  ASSERT_EQ(VelmoraProcessIdAdd(7), VELMORA_STATUS_OK);
  struct Case {
    uint32_t hook;
    uint8_t service;
    VelmoraServiceHook handler;
    Bytes request;
    std::string seen;
  };
  const Case cases[] = {
      {VELMORA_HOOK_I_HAVE,
       1,
       ReadIHave,
       {0xC4, 0x02, 0x00, 0x04, 0xD2, 0xC4, 0x00, 0x00, 0x00, 0x01, 0x75, 0x05, 0x00, 0x41, 0x49,
        0x2D, 0x31},
       "1234 0,1 AI-1"},
      {VELMORA_HOOK_UNCONFIRMED_COV_NOTIF,
       2,
       ReadCov,
       {0x09, 0x07, 0x1C, 0x02, 0x00, 0x03, 0xE9, 0x2C, 0x00, 0x00, 0x00,
        0x01, 0x39, 0x3C, 0x4E, 0x09, 0x55, 0x2E, 0x44, 0x41, 0xAC, 0x00,
        0x00, 0x2F, 0x09, 0x6F, 0x2E, 0x82, 0x04, 0x40, 0x2F, 0x4F},
       "7 1001 1 60 2 85 111"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(VelmoraSetServiceHook(c.hook, c.handler), VELMORA_STATUS_OK);
    const int before = g_decoded.calls;
    VmdIncoming in = VmdIncomingDefaults(core_);
    in.params.service = c.service;
    in.payload = c.request;
    ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
    ASSERT_TRUE(WaitUntil([&] { return g_decoded.calls == before + 1; })) << c.hook;
    std::lock_guard<std::mutex> g(g_decoded.lock);
    EXPECT_EQ(g_decoded.text, c.seen) << c.hook;
  }
}

// ---- a kept confirmed request and its answers -----------------------------

// Process 7, device (8,1001), analog-input 1, Present_Value 21.5.
const Bytes kCovNotification = {0x09, 0x07, 0x1C, 0x02, 0x00, 0x03, 0xE9, 0x2C, 0x00,
                                0x00, 0x00, 0x01, 0x39, 0x00, 0x4E, 0x09, 0x55, 0x2E,
                                0x44, 0x41, 0xAC, 0x00, 0x00, 0x2F, 0x4F};
// ReadProperty of device 1001's Object_Name.
const Bytes kReadName = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4D};

struct Kept {
  std::mutex lock;
  std::atomic<int> calls{0};
  void* transaction = nullptr;
  uint32_t process = 0, count = 0, property = 0;
  float value = 0;
};
Kept g_kept;

uint32_t KeepRequest(void* transaction, const VelmoraAddress*, const VelmoraAddress*,
                     void* request) {
  std::lock_guard<std::mutex> g(g_kept.lock);
  g_kept.transaction = transaction;
  if (auto* cov = static_cast<VelmoraCovNotifRequest*>(request)) {
    g_kept.process = cov->process_id;
    g_kept.count = cov->count;
    if (cov->count > 0) {
      g_kept.property = cov->values[0].property;
      std::memcpy(&g_kept.value, cov->values[0].value.buffer, sizeof g_kept.value);
    }
  }
  ++g_kept.calls;
  return 0;
}

class KeptRequestTest : public ServiceHookTest {
 protected:
  void SetUp() override {
    ServiceHookTest::SetUp();
    Start();
    ASSERT_EQ(VelmoraProcessIdAdd(7), VELMORA_STATUS_OK);
    g_kept.calls = 0;
  }

  // Injects the request and waits until the handler has kept it.
  void* Keep(uint8_t service, const Bytes& request) {
    const int before = g_kept.calls;
    after_ = Inject(service, request, &index_, &identifier_);
    EXPECT_TRUE(WaitUntil([&] { return g_kept.calls == before + 1; }));
    std::lock_guard<std::mutex> g(g_kept.lock);
    return g_kept.transaction;
  }
  VmdFrame Answer() { return WaitAnswer(index_, identifier_, after_); }

  uint32_t index_ = 0, identifier_ = 0;
  uint64_t after_ = 0;
};

Bytes PayloadOf(const VmdFrame& f) {
  const uint32_t n = IpcGet32(f.bytes, IPC_OFF_PAYLOAD_LEN);
  return Bytes(f.bytes.begin() + IPC_OFF_PAYLOAD, f.bytes.begin() + IPC_OFF_PAYLOAD + n);
}

struct ReplyCase {
  const char* name;
  VelmoraStatus (*reply)(void* transaction);
  uint16_t kind;
  Bytes data;
};

TEST_F(KeptRequestTest, AKeptNotificationIsAnsweredByEachReply) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_CONFIRMED_COV_NOTIF, KeepRequest),
            VELMORA_STATUS_OK);
  const ReplyCase cases[] = {
      {"SimpleACK", VelmoraServiceSendSimpleAck, IPC_KIND_SERVER_ACK, {}},
      {"Error",
       [](void* t) { return VelmoraServiceSendError(t, 2, 32); },
       IPC_KIND_SERVER_ERROR,
       {0x91, 0x02, 0x91, 0x20}},
      {"Error, two-octet code",
       [](void* t) { return VelmoraServiceSendError(t, 5, 300); },
       IPC_KIND_SERVER_ERROR,
       {0x91, 0x05, 0x92, 0x01, 0x2C}},
      {"Reject",
       [](void* t) { return VelmoraServiceSendReject(t, 4); },
       IPC_KIND_SERVER_REJECT,
       {0x04}},
      {"Abort",
       [](void* t) { return VelmoraServiceSendAbort(t, 3); },
       IPC_KIND_SERVER_ABORT,
       {0x03}},
      {"Discard", VelmoraServiceDiscard, IPC_KIND_SERVER_DROP, {}},
  };
  for (const ReplyCase& c : cases) {
    void* tsm = Keep(1, kCovNotification);
    ASSERT_NE(tsm, nullptr) << c.name;
    {
      std::lock_guard<std::mutex> g(g_kept.lock);
      EXPECT_EQ(g_kept.process, 7u) << c.name;
      EXPECT_EQ(g_kept.count, 1u) << c.name;
      EXPECT_EQ(g_kept.property, 85u) << c.name;
      EXPECT_EQ(g_kept.value, 21.5f) << c.name;
    }
    EXPECT_EQ(c.reply(tsm), VELMORA_STATUS_OK) << c.name;
    const VmdFrame f = Answer();
    EXPECT_EQ(f.kind, c.kind) << c.name;
    if (c.kind != IPC_KIND_SERVER_DROP) {
      EXPECT_EQ(PayloadOf(f), c.data) << c.name;
    }
  }
}

// An answer the service does not have, or cannot carry, is refused and
// sends nothing: the request stays with the handler, which answers it.
TEST_F(KeptRequestTest, AnAnswerTheServiceLacksLeavesTheRequestKept) {
  TestDeadline deadline(std::chrono::seconds(60));
  constexpr VelmoraHookDescriptor kReadPropertyRow = {0, nullptr, nullptr, 12,
                                                      APIL_TABLE_CONFIRMED};
  constexpr VelmoraHookDescriptor kWriteMultipleRow = {0, nullptr, nullptr, 16,
                                                       APIL_TABLE_CONFIRMED};
  ASSERT_TRUE(ApilHandlerSet(&kReadPropertyRow, KeepRequest));
  ASSERT_TRUE(ApilHandlerSet(&kWriteMultipleRow, KeepRequest));
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_CONFIRMED_COV_NOTIF, KeepRequest),
            VELMORA_STATUS_OK);

  void* tsm = Keep(12, kReadName);
  EXPECT_EQ(VelmoraServiceSendSimpleAck(tsm), VELMORA_STATUS_ILLEGAL_RESPONSE);
  EXPECT_EQ(VelmoraServiceSendReject(tsm, 9), VELMORA_STATUS_OK);
  VmdFrame f = Answer();
  EXPECT_EQ(f.kind, IPC_KIND_SERVER_REJECT);
  EXPECT_EQ(PayloadOf(f), Bytes{9});

  // WritePropertyMultiple answers failures with its own error.
  const Bytes writeName = {0x0C, 0x00, 0x00, 0x00, 0x01, 0x1E, 0x09, 0x55,
                           0x2E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x2F, 0x1F};
  tsm = Keep(16, writeName);
  EXPECT_EQ(VelmoraServiceSendError(tsm, 2, 40), VELMORA_STATUS_ILLEGAL_RESPONSE);
  EXPECT_EQ(VelmoraServiceSendSimpleAck(tsm), VELMORA_STATUS_OK);
  EXPECT_EQ(Answer().kind, IPC_KIND_SERVER_ACK);

  tsm = Keep(1, kCovNotification);
  EXPECT_EQ(VelmoraServiceSendError(tsm, 0x10000, 0), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraServiceSendError(tsm, 2, 0x10000), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraServiceDiscard(tsm), VELMORA_STATUS_OK);
  EXPECT_EQ(Answer().kind, IPC_KIND_SERVER_DROP);
}

// Only a request a handler kept can be answered through these calls.
TEST_F(KeptRequestTest, OnlyAKeptRequestIsAnswered) {
  TestDeadline deadline(std::chrono::seconds(60));
  EXPECT_EQ(VelmoraServiceSendSimpleAck(nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraServiceSendAbort(nullptr, 1), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraServiceDiscard(nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_CONFIRMED_COV_NOTIF, KeepRequest),
            VELMORA_STATUS_OK);
  // After the shut-down a request once kept names freed transactions.
  void* tsm = Keep(1, kCovNotification);
  ASSERT_EQ(VelmoraServiceDiscard(tsm), VELMORA_STATUS_OK);
  EXPECT_EQ(Answer().kind, IPC_KIND_SERVER_DROP);
  VelmoraTerminate();
  EXPECT_EQ(VelmoraServiceSendSimpleAck(tsm), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraServiceSendError(tsm, 2, 32), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraServiceSendReject(tsm, 1), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraServiceSendAbort(tsm, 1), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraServiceDiscard(tsm), VELMORA_STATUS_NOT_INITIALIZED);
}

// ---- velmorad's I-Am answers to a Who-Is reach the application ------------

std::string IAmSite() {
  return R"([daemon]
mac = 7f:00:00:01:ba:c0

[device 1001]
mac = c0:a8:01:0a:ba:c0
vendor = 7

[device 2001]
mac = 01
network = 5
max_apdu = 50
segmentation = no-segmentation
vendor = 260
)";
}

struct Answers {
  std::mutex lock;
  std::vector<VelmoraIAmRequest> seen;
  std::vector<VelmoraAddress> from;
  size_t Size() {
    std::lock_guard<std::mutex> g(lock);
    return seen.size();
  }
};
Answers g_answers;

uint32_t CollectIAm(void*, const VelmoraAddress* sender, const VelmoraAddress*, void* request) {
  std::lock_guard<std::mutex> g(g_answers.lock);
  VelmoraIAmRequest r{};
  VelmoraIAmCopy(&r, static_cast<const VelmoraIAmRequest*>(request));
  g_answers.seen.push_back(r);
  g_answers.from.push_back(*sender);
  return 1;  // the library images the device as well
}

class IAmFromVelmoradTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartProgram(kVelmorad, IAmSite());
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
    std::lock_guard<std::mutex> g(g_answers.lock);
    g_answers.seen.clear();
    g_answers.from.clear();
  }
};

TEST_F(IAmFromVelmoradTest, TheIAmHookReceivesEveryAnswerToAWhoIs) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_I_AM, CollectIAm), VELMORA_STATUS_OK);
  const VelmoraAddress all = GlobalBroadcast();
  ASSERT_EQ(VelmoraWhoIs(&all, -1, -1), VELMORA_STATUS_OK);
  ASSERT_TRUE(WaitUntil([] { return g_answers.Size() == 2; }));
  EXPECT_TRUE(WaitDevices(2));
  std::lock_guard<std::mutex> g(g_answers.lock);
  for (size_t i = 0; i < g_answers.seen.size(); ++i) {
    const VelmoraIAmRequest& r = g_answers.seen[i];
    const VelmoraAddress& at = g_answers.from[i];
    if (VelmoraIAmGetDeviceInstance(&r) == 1001) {
      EXPECT_EQ(VelmoraIAmGetMaxApdu(&r), 1476u);
      EXPECT_EQ(VelmoraIAmGetSegmentation(&r), 0u);
      EXPECT_EQ(VelmoraIAmGetVendorId(&r), 7u);
      EXPECT_EQ(at.remote, 0);
      EXPECT_EQ(at.mac_length, 6);
    } else {
      EXPECT_EQ(VelmoraIAmGetDeviceInstance(&r), 2001u);
      EXPECT_EQ(VelmoraIAmGetMaxApdu(&r), 50u);
      EXPECT_EQ(VelmoraIAmGetSegmentation(&r), 3u);
      EXPECT_EQ(VelmoraIAmGetVendorId(&r), 260u);
      EXPECT_EQ(at.network, 5);
      EXPECT_EQ(at.mac_length, 1);
    }
  }
}

}  // namespace
