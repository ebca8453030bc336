// Received services through the delivery threads: a confirmed request
// injected by the daemon reaches its handler on the "server receive"
// thread (ReadPropertyMultiple on "server multi-receive") and its outcome
// goes back as the response the handler's result names; unconfirmed
// services reach the application's handler and the library's own.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/apil/apil.h"
#include "runtime/apil/apil_dispatch.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/osa/osa.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ReadProperty of device 1001's Object_Name.
const Bytes kReadName = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4D};
// ReadPropertyMultiple of the same.
const Bytes kReadNames = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x1E, 0x09, 0x4D, 0x1F};
// A COV notification for process pid: device 1001, AI 1, Present_Value 21.5.
Bytes Notification(uint8_t pid) {
  return {0x09, pid,  0x1C, 0x02, 0x00, 0x03, 0xE9, 0x2C, 0x00, 0x00, 0x00, 0x01, 0x39,
          0x00, 0x4E, 0x09, 0x55, 0x2E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x2F, 0x4F};
}
const Bytes kIAm = {0xC4, 0x02, 0x00, 0x07, 0xD0, 0x22, 0x05, 0xC4, 0x91, 0x00, 0x21, 0x05};

// What the handler saw and what it answers.
struct Seen {
  std::mutex lock;
  std::atomic<int> calls{0};
  std::string thread;
  VelmoraAddress sender{};
  void* request = nullptr;
  void* transaction = nullptr;
  uint32_t result = 0;
};
Seen g_seen;

uint32_t Handler(void* transaction, const VelmoraAddress* sender, const VelmoraAddress*,
                 void* request) {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  std::lock_guard<std::mutex> g(g_seen.lock);
  g_seen.thread = name;
  g_seen.sender = *sender;
  g_seen.request = request;
  g_seen.transaction = transaction;
  ++g_seen.calls;
  return g_seen.result;
}

constexpr VelmoraHookDescriptor Row(uint8_t table, uint8_t service) {
  return {0, nullptr, nullptr, service, table};
}
constexpr VelmoraHookDescriptor kReadPropertyRow = Row(APIL_TABLE_CONFIRMED, 12);
constexpr VelmoraHookDescriptor kReadMultipleRow = Row(APIL_TABLE_CONFIRMED, 14);
constexpr VelmoraHookDescriptor kCovRow = Row(APIL_TABLE_CONFIRMED, 1);
constexpr VelmoraHookDescriptor kIAmRow = Row(APIL_TABLE_UNCONFIRMED, 0);
constexpr VelmoraHookDescriptor kUnconfirmedCovRow = Row(APIL_TABLE_UNCONFIRMED, 2);

class ApilDispatchTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartCore();
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
    std::lock_guard<std::mutex> g(g_seen.lock);
    g_seen.calls = 0;
    g_seen.result = 0;
    g_seen.thread.clear();
  }

  void Unconfirmed(uint8_t service, const Bytes& payload) {
    VmdIncoming in = VmdIncomingDefaults(core_);
    in.params.service = service;
    in.payload = payload;
    ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
  }

  // Unconfirmed services are taken in order: once a later I-Am has made
  // its image, the ones before have been dispatched.
  void Settle() {
    static uint32_t marker = 3000000;
    const uint32_t id = 0x02000000 | ++marker;
    Unconfirmed(0, {0xC4, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id), 0x22,
                    0x05, 0xC4, 0x91, 0x00, 0x21, 0x05});
    ASSERT_TRUE(WaitUntil([] { return VelmoraFindDeviceByInstance(marker) != nullptr; }));
    VelmoraDeleteDeviceImage(VelmoraFindDeviceByInstance(marker));
  }
};

Bytes Payload(const VmdFrame& f) {
  const uint32_t n = IpcGet32(f.bytes, IPC_OFF_PAYLOAD_LEN);
  return Bytes(f.bytes.begin() + IPC_OFF_PAYLOAD, f.bytes.begin() + IPC_OFF_PAYLOAD + n);
}

TEST_F(ApilDispatchTest, WithoutAHandlerARequestIsRejectedAsUnrecognised) {
  TestDeadline deadline(std::chrono::seconds(60));
  VmdFrame f = Serve(12, kReadName);
  EXPECT_EQ(f.kind, 0x0E04);
  EXPECT_EQ(Payload(f), Bytes{9});
}

struct ResultCase {
  const char* name;
  uint32_t result;
  uint16_t kind;
  Bytes data;
};

TEST_F(ApilDispatchTest, TheHandlersResultIsTheAnswer) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kReadPropertyRow, Handler));
  const ResultCase cases[] = {
      {"error", ApilErrorResult(2, 32), 0x0E03, {0x91, 0x02, 0x91, 0x20}},
      {"error, wide code", ApilErrorResult(2, 300), 0x0E03, {0x91, 0x02, 0x92, 0x01, 0x2C}},
      {"reject", ApilRejectResult(2), 0x0E04, {0x02}},
      {"abort", ApilAbortResult(3), 0x0E05, {0x03}},
      {"the library's turn", 1, 0x0E04, {0x09}},
  };
  for (const ResultCase& c : cases) {
    g_seen.result = c.result;
    VmdFrame f = Serve(12, kReadName);
    EXPECT_EQ(f.kind, c.kind) << c.name;
    EXPECT_EQ(Payload(f), c.data) << c.name;
    std::lock_guard<std::mutex> g(g_seen.lock);
    EXPECT_EQ(g_seen.thread, "server receive") << c.name;
    EXPECT_EQ(g_seen.sender.mac_length, 1) << c.name;
    EXPECT_EQ(g_seen.sender.mac[0], 0x0a) << c.name;
    EXPECT_EQ(g_seen.request, nullptr) << c.name;
  }
  EXPECT_EQ(g_seen.calls, 5);
}

TEST_F(ApilDispatchTest, ReadPropertyMultipleIsServedOnItsOwnThread) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kReadMultipleRow, Handler));
  g_seen.result = ApilRejectResult(4);
  VmdFrame f = Serve(14, kReadNames);
  EXPECT_EQ(f.kind, 0x0E04);
  std::lock_guard<std::mutex> g(g_seen.lock);
  EXPECT_EQ(g_seen.thread, std::string(APIL_THREAD_SERVER_MULTI).substr(0, 15));
}

// A handler that keeps the request answers it later through the steps of
// the server transaction; a reply that cannot begin leaves it answerable.
TEST_F(ApilDispatchTest, AKeptRequestIsAnsweredLater) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kReadPropertyRow, Handler));
  g_seen.result = 0;
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.payload = kReadName;
  uint32_t index = 0, identifier = 0;
  ASSERT_TRUE(VmdSendConfirmed(core_, 0, in, &index, &identifier));
  ASSERT_TRUE(WaitUntil([] { return g_seen.calls == 1; }));
  auto* tsm = static_cast<SrvTsm*>(g_seen.transaction);
  EXPECT_EQ(ApilSrvReplyBegin(tsm, nullptr, APIL_REPLY_SHORT, nullptr),
            VELMORA_STATUS_OUT_OF_MEMORY);
  PduDesc reply{};
  TsmSrvInfo info{};
  ASSERT_EQ(ApilSrvReplyBegin(tsm, &info, APIL_REPLY_SHORT, &reply), 0);
  EXPECT_EQ(info.service, 12);
  EXPECT_EQ(ApilSrvReplyBegin(tsm, &info, APIL_REPLY_SHORT, &reply),
            VELMORA_STATUS_ILLEGAL_RESPONSE)
      << "begun once only";
  reply.data[0] = 5;
  reply.length = 1;
  VmdFrame f;
  EXPECT_EQ(ApilSrvReplyEnd(tsm, TsmlSend(tsm, 0x0E04, &reply), &reply), 0);
  ASSERT_TRUE(VmdWaitFrame(
      core_, [&](const VmdFrame& x) { return x.inbound && x.kind == 0x0E04 && x.index == index; },
      5000, &f));
  EXPECT_EQ(Payload(f), Bytes{5});
}

// A ReadPropertyMultiple handler that holds its thread on the first
// request until the test lets it go.
std::atomic<bool> g_letGo{false};
uint32_t HoldingHandler(void* transaction, const VelmoraAddress* sender,
                        const VelmoraAddress* destination, void* request) {
  const bool first = g_seen.calls == 0;
  const uint32_t result = Handler(transaction, sender, destination, request);
  if (first) WaitUntil([] { return g_letGo.load(); });
  return result;
}

// A request its requester aborted while it was still queued is dropped
// when the thread takes it; the thread goes on serving the next one.
TEST_F(ApilDispatchTest, ServerMultiReceiveServesOnAfterADroppedRequest) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kReadMultipleRow, HoldingHandler));
  g_seen.result = ApilRejectResult(4);
  g_letGo = false;
  // Never leaves the thread held past the test, whatever fails.
  struct LetGo {
    ~LetGo() { g_letGo = true; }
  } letGo;
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.params.service = 14;
  in.payload = kReadNames;
  uint32_t held = 0, heldId = 0, aborted = 0, abortedId = 0;
  ASSERT_TRUE(VmdSendConfirmed(core_, 0, in, &held, &heldId));
  ASSERT_TRUE(WaitUntil([] { return g_seen.calls == 1; }));
  ASSERT_TRUE(VmdSendConfirmed(core_, 0, in, &aborted, &abortedId));
  ASSERT_TRUE(VmdSendAbort(core_, 0, aborted, abortedId));
  // The link is read in order: once a later I-Am is seen, the second
  // request and its abort have both arrived while the thread was busy.
  Settle();
  g_letGo = true;
  auto answered = [&](uint32_t index, uint16_t kind) {
    return VmdWaitFrame(
        core_, [&](const VmdFrame& x) { return x.inbound && x.kind == kind && x.index == index; },
        int(kTestWait.count()), nullptr);
  };
  EXPECT_TRUE(answered(held, 0x0E04));
  EXPECT_TRUE(answered(aborted, IPC_KIND_SERVER_DROP));
  VmdFrame f = Serve(14, kReadNames);
  EXPECT_EQ(f.kind, 0x0E04);
  EXPECT_EQ(Payload(f), Bytes{4});
  EXPECT_EQ(g_seen.calls, 2) << "the aborted request reached no handler";
}

struct PidCase {
  uint8_t pid;
  uint16_t kind;
  Bytes data;
  bool delivered;
};

TEST_F(ApilDispatchTest, NotificationsReachOnlyTheirProcess) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kCovRow, Handler));
  ASSERT_EQ(VelmoraProcessIdAdd(7), VELMORA_STATUS_OK);
  g_seen.result = ApilRejectResult(3);
  const PidCase cases[] = {
      {0, 0x0E04, {0x06}, false},                    // no process: parameter out of range
      {9, 0x0E03, {0x91, 0x05, 0x91, 0x00}, false},  // another process
      {7, 0x0E04, {0x03}, true},
  };
  for (const PidCase& c : cases) {
    const int before = g_seen.calls;
    VmdFrame f = Serve(1, Notification(c.pid));
    EXPECT_EQ(f.kind, c.kind) << int(c.pid);
    EXPECT_EQ(Payload(f), c.data) << int(c.pid);
    EXPECT_EQ(g_seen.calls - before, c.delivered ? 1 : 0) << int(c.pid);
  }
  // A request that does not parse is refused before any handler.
  VmdFrame f = Serve(1, {0x09, 0x07, 0x1C});
  EXPECT_EQ(f.kind, 0x0E04);
}

TEST_F(ApilDispatchTest, UnconfirmedNotificationsAreFilteredAlike) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_TRUE(ApilHandlerSet(&kUnconfirmedCovRow, Handler));
  ASSERT_EQ(VelmoraProcessIdAdd(7), VELMORA_STATUS_OK);
  for (uint8_t pid : {9, 0, 7})
    Unconfirmed(2, Notification(pid));
  Unconfirmed(2, {0x09, 0x07});  // cut short: dropped
  Settle();
  EXPECT_EQ(g_seen.calls, 2);
  std::lock_guard<std::mutex> g(g_seen.lock);
  EXPECT_EQ(g_seen.thread, std::string(APIL_THREAD_UNCONFIRMED).substr(0, 15));
}

struct IAmCase {
  const char* name;
  bool registered;
  uint32_t result;
  int calls;
  bool imaged;
};

TEST_F(ApilDispatchTest, AnIAmReachesTheApplicationAndTheLibrary) {
  TestDeadline deadline(std::chrono::seconds(60));
  const IAmCase cases[] = {
      {"no handler", false, 0, 0, true},
      {"handler passes it on", true, 1, 1, true},
      {"handler keeps it", true, 0, 1, false},
  };
  for (const IAmCase& c : cases) {
    VelmoraDeleteDeviceImages(VELMORA_DEVICES_ALL, -1, -1, nullptr);
    ApilHandlerSet(&kIAmRow, c.registered ? Handler : nullptr);
    g_seen.calls = 0;
    g_seen.result = c.result;
    Unconfirmed(0, kIAm);
    if (c.registered) {
      EXPECT_TRUE(WaitUntil([] { return g_seen.calls == 1; })) << c.name;
    }
    // The marker of Settle is for the library alone.
    ApilHandlerSet(&kIAmRow, nullptr);
    Settle();
    EXPECT_EQ(g_seen.calls, c.calls) << c.name;
    EXPECT_EQ(VelmoraFindDeviceByInstance(2000) != nullptr, c.imaged) << c.name;
  }
}

// An unconfirmed message the daemon should never send ends the layer.
TEST_F(ApilDispatchTest, AnInvalidUnconfirmedMessageClosesTheLayer) {
  TestDeadline deadline(std::chrono::seconds(60));
  Unconfirmed(12, kReadName);
  ASSERT_TRUE(
      WaitUntil([&] { return debug_.Count("Invalid parameters of unconfirmed TSM") == 1; }));
  const VelmoraAddress all = GlobalBroadcast();
  EXPECT_TRUE(WaitUntil([&] { return VelmoraWhoIs(&all, -1, -1) != VELMORA_STATUS_OK; }));
  VelmoraTerminate();
  EXPECT_EQ(Init(), VELMORA_STATUS_OK);
}

TEST_F(ApilDispatchTest, HooksAreInstalledOnlyWhileStarted) {
  EXPECT_TRUE(ApilSetAsyncHooks(nullptr, nullptr));
  VelmoraTerminate();
  EXPECT_FALSE(ApilSetAsyncHooks(nullptr, nullptr));
  EXPECT_FALSE(ApilSetPrivateTransferHandler(nullptr, nullptr));
}

std::atomic<int> g_started{0};
void CountStart() { ++g_started; }
void NoUnconfirmed(IpcMsg*) {}
int32_t NoServer(int, SrvTsm*) { return -1; }
int NoServerMulti(int, SrvTsm*) { return 0; }
void NoAsync(int, CliTsm*) {}

// The names of the threads that ran the thread-start hook.
std::mutex g_startersLock;
std::vector<std::string> g_starters;
void NameStarter() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  std::lock_guard<std::mutex> g(g_startersLock);
  g_starters.push_back(name);
}
std::vector<std::string> Starters() {
  std::lock_guard<std::mutex> g(g_startersLock);
  std::vector<std::string> names = g_starters;
  std::sort(names.begin(), names.end());
  return names;
}

// One thread per hook given; the async-completion thread does not run the
// thread-start hook. (With the layer closed, each ends at once.)
class ApilHooksTest : public OsaTest {};

TEST_F(ApilHooksTest, OneThreadPerHookGiven) {
  ASSERT_NE(OsaInit(), nullptr);
  const uint32_t threads = OsaStatGet(OSA_STAT_THREADS);
  g_started = 0;
  ASSERT_TRUE(ApilInstallHooks(NoUnconfirmed, nullptr, nullptr, NoAsync, nullptr, CountStart));
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), threads + 2);
  EXPECT_TRUE(WaitUntil([] { return g_started == 1; }));
  EXPECT_TRUE(ApilSetAsyncHooks(nullptr, nullptr));
  EXPECT_FALSE(ApilSetPrivateTransferHandler(nullptr, nullptr));
  ApilRemoveHooks();
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), threads);
  EXPECT_EQ(g_started, 1);
  EXPECT_FALSE(ApilSetAsyncHooks(nullptr, nullptr));
}

// With all four hooks given, the thread-start hook runs once on each
// thread but the async-completion one (thread names are cut to 15 bytes).
TEST_F(ApilHooksTest, AllButTheAsyncThreadRunTheStartHook) {
  TestDeadline deadline(std::chrono::seconds(60));
  ASSERT_NE(OsaInit(), nullptr);
  {
    std::lock_guard<std::mutex> g(g_startersLock);
    g_starters.clear();
  }
  ASSERT_TRUE(
      ApilInstallHooks(NoUnconfirmed, NoServer, NoServerMulti, NoAsync, nullptr, NameStarter));
  const std::vector<std::string> expected = {"server multi-re", "server receive",
                                             "unconfirmed rec"};
  EXPECT_TRUE(WaitUntil([&] { return Starters().size() >= expected.size(); }));
  ApilRemoveHooks();
  // Every thread has ended: nothing can run the hook after this.
  EXPECT_EQ(Starters(), expected);
}

// The library's thread-start hook waits while a change of the images holds
// the image lock, and leaves the lock free behind it.
TEST_F(ApilDispatchTest, TheThreadStartHookWaitsForTheImageLock) {
  TestDeadline deadline(std::chrono::seconds(60));
  std::atomic<bool> returned{false};
  std::thread starter;
  {
    ApilImageGuard g(ApilImageLock());
    starter = std::thread([&] {
      ApilThreadStart();
      returned = true;
    });
    // glibc marks a mutex that a thread waits for with 2 in its lock word.
    int* word = &ApilImageLock().native_handle()->__data.__lock;
    EXPECT_TRUE(WaitUntil([word] { return __atomic_load_n(word, __ATOMIC_RELAXED) == 2; }));
    EXPECT_FALSE(returned);
  }
  starter.join();
  EXPECT_TRUE(returned);
  bool left = false;
  std::thread([&] {
    left = ApilImageLock().try_lock();
    if (left) ApilImageLock().unlock();
  }).join();
  EXPECT_TRUE(left) << "the hook left the image lock held";
}

}  // namespace
