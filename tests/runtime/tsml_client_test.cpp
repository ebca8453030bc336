// Confirmed and unconfirmed requests through a real stand-in daemon: its
// scripted confirmations, identifiers, address checks and the lost link.
#include <future>
#include <vector>

#include "runtime/tsml/tsml_internal.h"
#include "tests/runtime/tsml_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

LinkAddress Device(uint8_t last, uint8_t macLen = 6) {
  LinkAddress a{};
  a.kind = 130;
  a.macLen = macLen;
  const uint8_t mac[] = {0x7f, 0x00, 0x00, 0x02, 0xba, last};
  std::memcpy(a.mac, mac, macLen < 6 ? macLen : 6);
  return a;
}

// A ReadProperty request for device 1, present value.
const Bytes kRequest = {0x0C, 0x02, 0x00, 0x00, 0x01, 0x19, 0x55};

// Its ReadProperty-ACK: the same object and property, the value 42.0.
const Bytes kAck = {0x0C, 0x02, 0x00, 0x00, 0x01, 0x19, 0x55,
                    0x3E, 0x44, 0x42, 0x28, 0x00, 0x00, 0x3F};

Bytes Data(const PduDesc& d) { return Bytes(d.data, d.data + d.length); }

class TsmlClientTest : public TsmlDaemonTest {
 protected:
  void Open(const std::function<void(VmdBehaviour*)>& tune = nullptr) {
    StartDaemon(tune);
    ASSERT_EQ(TsmlOpen(0), 0);
  }

  void Script(uint16_t outcome, Bytes answer, bool noAnswer = false) {
    VmdScriptRule r;
    r.service = 12;
    r.outcome = outcome;
    r.answer = std::move(answer);
    r.no_answer = noAnswer;
    VmdScriptAdd(server_, r);
  }

  // Waits until the daemon has seen `n` frames of `kind` from us.
  void AwaitInbound(uint16_t kind, size_t n) {
    ASSERT_TRUE(WaitUntil([&] { return Inbound(kind).size() >= n; }));
  }
};

struct OutcomeCase {
  uint16_t outcome;  // the daemon's confirmation outcome code
  Bytes answer;
  int status;  // what the caller sees
};

class TsmlOutcomeTest : public TsmlClientTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(TsmlOutcomeTest, SynchronousRequestReturnsTheConfirmationAndItsData) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  const Bytes& answer = GetParam().answer;
  Script(GetParam().outcome, answer);
  LinkAddress dest = Device(1);
  PduDesc out{};
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      GetParam().status);
  EXPECT_EQ(Data(out), answer);
  PduDescFree(&out);

  auto sent = Inbound(0x0D00);
  ASSERT_EQ(sent.size(), 1u);
  const Bytes& b = sent[0].bytes;
  ASSERT_EQ(b.size(), 68 + kRequest.size());
  EXPECT_EQ(b[13], 12);                                 // service choice
  EXPECT_EQ(Bytes(b.begin() + 68, b.end()), kRequest);  // payload
  EXPECT_EQ(b[32], 6);                                  // destination MAC length
  EXPECT_EQ(b[20], 6);                                  // source: the local address
  EXPECT_EQ(b[52], 1);                                  // segmentation 0: byte 52 is 1
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, TsmlOutcomeTest,
    ::testing::Values(OutcomeCase{0, kAck, 0},
                      // An ACK that ends inside its value fails its check.
                      OutcomeCase{0, Bytes(kAck.begin(), kAck.end() - 3), 65},
                      OutcomeCase{1, {0x91, 0x02, 0x91, 0x20}, 58},  // class 2, code 32
                      OutcomeCase{1, {0x91, 0x02}, 65},              // no error code
                      OutcomeCase{2, {0x09}, 59},                    // Reject
                      OutcomeCase{3, {0x04}, 60},                    // Abort
                      OutcomeCase{11, {}, 62}));

TEST_F(TsmlClientTest, AsynchronousRequestCompletesOnItsQueue) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(0, kAck);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(
      TsmlRequestExecuteAsync(nullptr, &dest, 2, &kReadProperty, &kRequest, nullptr, nullptr, &t),
      0);
  CliTsm* done = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&done, 10000), 0);
  EXPECT_EQ(done, t);
  TsmCliInfo info{};
  ASSERT_TRUE(TsmCliInfoGet(t, &info));
  EXPECT_EQ(info.outcome, 0u);
  EXPECT_EQ(Bytes(info.data, info.data + info.length), kAck);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmCliState(t), -1);
}

TEST_F(TsmlClientTest, IdentifiersStartAtOneAndWrapPastZero) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(0, kAck);
  LinkAddress dest = Device(1);
  PduDesc out{};
  ASSERT_EQ(
      TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr), 0);
  PduDescFree(&out);
  {
    std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
    g_tsml.cliPool[0].identifier = 0xFFFFFFFEu;
  }
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(
        TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
        0);
    PduDescFree(&out);
  }
  auto sent = Inbound(0x0D00);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].index, 0u);
  EXPECT_EQ(sent[0].identifier, 1u);
  EXPECT_EQ(sent[1].identifier, 0xFFFFFFFFu);
  EXPECT_EQ(sent[2].index, 0u);
  EXPECT_EQ(sent[2].identifier, 1u);
}

TEST_F(TsmlClientTest, AddressRules) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(0, kAck);
  LinkAddress broadcast = Device(1, 0);
  PduDesc out{};
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &broadcast, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      45);
  EXPECT_EQ(TsmlUnconfirmedSend(nullptr, &broadcast, 0, EncodeBytes, 8, &kRequest, nullptr), 0);
  auto sent = Inbound(0x0D01);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes[13], 8);
  EXPECT_EQ(sent[0].bytes[32], 0);
  EXPECT_TRUE(Inbound(0x0D00).empty());

  // The local MAC is 6 octets: a local destination of another length is
  // refused, one behind a router is not.
  LinkAddress shortMac = Device(1, 1);
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &shortMac, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      45);
  shortMac.netPresent = 1;
  shortMac.net = 5;
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &shortMac, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      0);
  PduDescFree(&out);
}

int OutOfRoom(const void*, TsmlStream*) { return 18; }
constexpr TsmlServiceDescriptor kTooLong{12, EncodedSize, OutOfRoom};

// An encoder out of room: 7 when the request may go segmented, else 74; the
// TSM goes back to the pool either way.
TEST_F(TsmlClientTest, RequestTooLongForItsSegmentation) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  LinkAddress dest = Device(1);
  for (auto [segmentation, status] : {std::pair{0u, 7}, {1u, 7}, {2u, 74}, {3u, 74}}) {
    CommParams p = CommMask(COMM_SEGMENTATION);
    p.segmentation = segmentation;
    PduDesc out{};
    EXPECT_EQ(TsmlRequestExecute(nullptr, &dest, 0, &kTooLong, &kRequest, &out, &p, nullptr),
              status)
        << "segmentation " << segmentation;
  }
  std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
  EXPECT_EQ(g_tsml.cliFree, &g_tsml.cliPool[0]);
  EXPECT_EQ(g_tsml.cliPool[0].state, CLI_FREE);
}

TEST_F(TsmlClientTest, FailedAcknowledgementReturnsTheMappedStatus) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open([](VmdBehaviour* b) { VmdRule(b, 0x0D00).status = 769; });
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, nullptr, nullptr, false, 1, &t, nullptr),
            0);
  PduDesc d{};
  ASSERT_TRUE(PduDescAlloc(0, &d));
  EXPECT_EQ(TsmlSend(t, 0x0D00, &d), 45);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
}

TEST_F(TsmlClientTest, CancelBeforeTheConfirmationReturnsTheTsm) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(0, {}, /*noAnswer=*/true);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, nullptr, nullptr, false, 1, &t, &info), 0);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), 0);
  EXPECT_EQ(TsmCliState(t), CLI_AWAIT_CONF);
  EXPECT_EQ(TsmCliWait(t, 50), 63);
  EXPECT_EQ(TsmlSend(t, 0x0C00, nullptr), 0);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
}

TEST_F(TsmlClientTest, LostLinkReleasesEveryWaiterAndLaterRequestsFail) {
  TestDeadline deadline(std::chrono::seconds(60));
  Open();
  Script(0, {}, /*noAnswer=*/true);
  LinkAddress dest = Device(1);
  constexpr int kSync = 4, kAsync = 3;
  std::vector<std::future<int>> sync;
  for (int i = 0; i < kSync; ++i) {
    sync.push_back(std::async(std::launch::async, [dest] {
      PduDesc out{};
      int s =
          TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr);
      PduDescFree(&out);
      return s;
    }));
  }
  std::vector<CliTsm*> async(kAsync);
  for (auto& t : async)
    ASSERT_EQ(
        TsmlRequestExecuteAsync(nullptr, &dest, 1, &kReadProperty, &kRequest, nullptr, nullptr, &t),
        0);
  AwaitInbound(0x0D00, kSync + kAsync);
  // Nothing answers the requests: every waiter, of either kind, is released
  // by the loss and only then.
  for (auto& f : sync)
    ASSERT_EQ(f.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  CliTsm* early = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&early, 0), 63);
  ASSERT_TRUE(VmdDrop(server_, 0));
  for (auto& f : sync) {
    ASSERT_EQ(f.wait_for(kTestWait), std::future_status::ready);
    EXPECT_EQ(f.get(), 9);
  }
  for (int i = 0; i < kAsync; ++i) {
    CliTsm* t = nullptr;
    ASSERT_EQ(TsmlAsyncWait(&t, int32_t(kTestWait.count())), 0);
    TsmCliInfo info{};
    ASSERT_TRUE(TsmCliInfoGet(t, &info));
    EXPECT_EQ(info.outcome, 9u);
    EXPECT_TRUE(TsmCliRelease(t));
  }
  PduDesc out{};
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr), 9);
  EXPECT_EQ(TsmlProcessIdAdd(5), 9);
}

// An abandoned wait leaves the slot parked until the daemon's confirmation
// arrives, then the slot is free again.
TEST_F(TsmlClientTest, ReleaseWhileAwaitingTheConfirmationFreesTheSlotOnArrival) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  VmdScriptRule r;
  r.service = 12;
  r.delay_ms = 200;
  VmdScriptAdd(server_, r);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, nullptr, nullptr, false, 1, &t, &info), 0);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), 0);
  EXPECT_EQ(TsmCliWait(t, 1), 63);
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmCliState(t), -1);
  auto slotFree = [t] {
    std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
    return t->state == CLI_FREE && g_tsml.cliFree == t;
  };
  EXPECT_TRUE(WaitUntil(slotFree));
}

}  // namespace

namespace {

class TsmlCancelLostTest : public TsmlClientTest, public ::testing::WithParamInterface<bool> {};

// A cancel whose acknowledgement never comes is released by the lost link,
// and the transaction ends with outcome 9 on its own road (the TSM's waiter
// or the async queue).
TEST_P(TsmlCancelLostTest, LostLinkEndsAnOutstandingCancel) {
  TestDeadline deadline(std::chrono::seconds(30));
  const bool async = GetParam();
  Open([](VmdBehaviour* b) { VmdRule(b, 0x0C00).withhold = true; });
  Script(0, {}, /*noAnswer=*/true);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, nullptr, nullptr, async, 1, &t, &info), 0);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), 0);
  auto cancel = std::async(std::launch::async, [t] { return TsmlSend(t, 0x0C00, nullptr); });
  AwaitInbound(0x0C00, 1);
  EXPECT_EQ(TsmCliState(t), CLI_CANCEL_SENT);
  ASSERT_TRUE(VmdDrop(server_, 0));
  ASSERT_EQ(cancel.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(cancel.get(), 9);
  if (async) {
    CliTsm* done = nullptr;
    ASSERT_EQ(TsmlAsyncWait(&done, 5000), 0);
    EXPECT_EQ(done, t);
  } else {
    EXPECT_EQ(TsmCliWait(t, 5000), 0);
  }
  ASSERT_TRUE(TsmCliInfoGet(t, &info));
  EXPECT_EQ(info.outcome, 9u);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
}

INSTANTIATE_TEST_SUITE_P(SyncAndAsync, TsmlCancelLostTest, ::testing::Bool());

// An acknowledgement of a response is the pending one only when both its
// TSM index and its identifier are the expected ones.
TEST(TsmlReqAckMatch, ResponseAcknowledgementNeedsIndexAndIdentifier) {
  struct Case {
    uint32_t index, id;
    bool accepted;
  } cases[] = {{3, 70, true}, {3, 71, false}, {4, 70, false}, {4, 71, false}};
  for (const Case& c : cases) {
    {
      std::lock_guard<std::mutex> g(g_tsml.controlLock);
      g_tsml.pendingKind = 0x0E02;
      g_tsml.expectedIndex = 3;
      g_tsml.expectedId = 70;
      g_tsml.pendingReply = nullptr;
    }
    uint8_t h[64] = {};
    Wr16(h, 0, 0x0E02);
    Wr32(h, 4, c.index);
    Wr32(h, 8, c.id);
    IpcMsg* marker = reinterpret_cast<IpcMsg*>(h);  // only stored, never read
    EXPECT_EQ(TsmlReqAckMatch(h, marker), c.accepted) << c.index << "/" << c.id;
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    EXPECT_EQ(g_tsml.pendingReply == marker, c.accepted);
    EXPECT_EQ(g_tsml.pendingKind, c.accepted ? 0 : 0x0E02);
    g_tsml.pendingKind = 0;
    g_tsml.pendingReply = nullptr;
  }
}

}  // namespace

namespace {

struct Completed {
  CliTsm* tsm = nullptr;
  int status = -1;
  Bytes data;
  int32_t stateDuringCall = -2;
};
Completed g_completed;

void RecordCompletion(CliTsm* tsm, int status, const TsmCliInfo* info) {
  g_completed.tsm = tsm;
  g_completed.status = status;
  g_completed.data.assign(info->data, info->data + info->length);
  g_completed.stateDuringCall = TsmCliState(tsm);
}

TEST_F(TsmlClientTest, AsyncHookCallsTheCompletionThenReleases) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(1, {0x91, 0x02, 0x91, 0x20});  // an Error: class 2, code 32
  auto* context = static_cast<TsmlRequestContext*>(TsmlConfParamAlloc());
  ASSERT_NE(context, nullptr);
  context->completion = RecordCompletion;
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(
      TsmlRequestExecuteAsync(nullptr, &dest, 0, &kReadProperty, &kRequest, nullptr, context, &t),
      0);
  CliTsm* done = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&done, 10000), 0);
  ASSERT_EQ(done, t);
  TsmlHookAsync(0, done);
  EXPECT_EQ(g_completed.tsm, t);
  EXPECT_EQ(g_completed.status, 58);
  EXPECT_EQ(g_completed.data, (Bytes{0x91, 0x02, 0x91, 0x20}));
  EXPECT_EQ(g_completed.stateDuringCall, CLI_ALLOCATED);
  EXPECT_EQ(TsmCliState(t), -1);
  TsmlConfParamFree(context);
}

}  // namespace

namespace {

struct CapCase {
  const char* name;
  uint32_t maxSegs;      // Cli\Max_Seg_Accepted
  uint32_t requestSegs;  // 0, or the request's own segments accepted
  uint32_t request;      // bytes of the request's payload
  uint32_t answer;       // bytes of the confirmation's payload
  int status;            // of the send
};

class TsmlFrameCapTest : public TsmlClientTest, public ::testing::WithParamInterface<CapCase> {};

// The link's frames are as large as the configuration admits, both ways: a
// request above that is refused unwritten with 7 (too long) and the link
// stays up.
TEST_P(TsmlFrameCapTest, FramesFollowTheConfiguredSegments) {
  TestDeadline deadline(std::chrono::seconds(60));
  const CapCase& k = GetParam();
  TsmlConfigActive()->Max_Seg_Accepted = k.maxSegs;
  Open();
  Script(0, Bytes(k.answer, 0x55));
  LinkAddress dest = Device(1);
  CommParams p = CommMask(k.requestSegs ? uint32_t(COMM_MAX_SEGS_ACCEPTED) : 0u);
  p.maxSegsAccepted = k.requestSegs;
  CliTsm* t = nullptr;
  ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, &p, nullptr, false, 1, &t, nullptr), 0);
  PduDesc d{};
  ASSERT_TRUE(PduDescAlloc(k.request, &d));
  std::memset(d.data, 0x0C, k.request);
  d.length = k.request;
  EXPECT_EQ(TsmlSend(t, 0x0D00, &d), k.status);
  if (k.status == 0) {
    ASSERT_EQ(TsmCliWait(t, -1), 0);
    TsmCliInfo info{};
    ASSERT_TRUE(TsmCliInfoGet(t, &info));
    EXPECT_EQ(info.outcome, 0u);
    EXPECT_EQ(info.length, k.answer);
    auto sent = Inbound(0x0D00);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].length, 68 + k.request);
  } else {
    EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
    EXPECT_TRUE(Inbound(0x0D00).empty());
  }
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmlProcessIdAdd(1), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TsmlFrameCapTest,
    ::testing::Values(CapCase{"LargeRequestAndConfirmation", 1000, 0, 1100000, 1200000, 0},
                      CapCase{"RequestsOwnSegmentsAdmitTheirConfirmation", 32, 1000, 10, 1200000,
                              0},
                      CapCase{"RequestAboveTheDefaultCap", 32, 0, IPC_MAX_PAYLOAD + 1, 1, 7},
                      CapCase{"RequestAboveTheConfiguredCap", 1000, 0, 1476 * 1000 + 1, 1, 7}),
    [](const auto& info) { return std::string(info.param.name); });

// A request's own segment count cannot wrap the room its payload has: the
// room never goes beyond what the link sends.
TEST_F(TsmlClientTest, PayloadRoomNeverWraps) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  LinkAddress dest = Device(1);
  // 1470 x 2921749 is 3734 past 2^32.
  for (uint32_t segs : {2921749u, 0xFFFFFFFFu}) {
    CommParams p = CommMask(COMM_MAX_SEGS_TO_SEND);
    p.maxSegsToSend = segs;
    CliTsm* t = nullptr;
    TsmCliInfo info{};
    ASSERT_EQ(TsmCliAllocConfirmed(nullptr, &dest, 0, 12, &p, nullptr, false, 1, &t, &info), 0);
    EXPECT_EQ(info.maxPayload, IPC_MAX_PAYLOAD) << segs;
    EXPECT_TRUE(TsmCliRelease(t));
  }
}

}  // namespace
