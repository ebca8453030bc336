// Confirmed and unconfirmed requests through a real stand-in daemon: its
// scripted confirmations, identifiers, address checks and the lost link.
#include <algorithm>
#include <future>
#include <vector>

#include "bacnet/asn_status.h"
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
    ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
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

  auto sent = Inbound(IPC_KIND_CONF_REQUEST);
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
    ::testing::Values(
        OutcomeCase{IPC_OUTCOME_OK, kAck, IPC_STATUS_OK},
        // An ACK that ends inside its value fails its check.
        OutcomeCase{IPC_OUTCOME_OK, Bytes(kAck.begin(), kAck.end() - 3), IPC_STATUS_INVALID_PACKET},
        // class 2, code 32
        OutcomeCase{IPC_OUTCOME_ERROR, {0x91, 0x02, 0x91, 0x20}, IPC_STATUS_BACNET_ERROR},
        // no error code
        OutcomeCase{IPC_OUTCOME_ERROR, {0x91, 0x02}, IPC_STATUS_INVALID_PACKET},
        OutcomeCase{IPC_OUTCOME_REJECT, {0x09}, IPC_STATUS_BACNET_REJECT},
        OutcomeCase{IPC_OUTCOME_ABORT, {0x04}, IPC_STATUS_BACNET_ABORT},
        OutcomeCase{IPC_OUTCOME_NO_ANSWER, {}, IPC_STATUS_NO_ANSWER}));

TEST_F(TsmlClientTest, AsynchronousRequestCompletesOnItsQueue) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(IPC_OUTCOME_OK, kAck);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(
      TsmlRequestExecuteAsync(nullptr, &dest, 2, &kReadProperty, &kRequest, nullptr, nullptr, &t),
      IPC_STATUS_OK);
  CliTsm* done = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&done, 10000), IPC_STATUS_OK);
  EXPECT_EQ(done, t);
  TsmCliInfo info{};
  ASSERT_TRUE(TsmCliInfoGet(t, &info));
  EXPECT_EQ(info.outcome, IPC_STATUS_OK);
  EXPECT_EQ(Bytes(info.data, info.data + info.length), kAck);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmCliState(t), TSM_NOT_IN_USE);
}

TEST_F(TsmlClientTest, IdentifiersStartAtOneAndWrapPastZero) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(IPC_OUTCOME_OK, kAck);
  LinkAddress dest = Device(1);
  PduDesc out{};
  ASSERT_EQ(
      TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      IPC_STATUS_OK);
  PduDescFree(&out);
  {
    std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
    g_tsml.cliPool[0].identifier = 0xFFFFFFFEu;
  }
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(
        TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
        IPC_STATUS_OK);
    PduDescFree(&out);
  }
  auto sent = Inbound(IPC_KIND_CONF_REQUEST);
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
  Script(IPC_OUTCOME_OK, kAck);
  LinkAddress broadcast = Device(1, 0);
  PduDesc out{};
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &broadcast, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      IPC_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(TsmlUnconfirmedSend(nullptr, &broadcast, 0, EncodeBytes, 8, &kRequest, nullptr),
            IPC_STATUS_OK);
  auto sent = Inbound(IPC_KIND_UNCONF_REQUEST);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes[13], 8);
  EXPECT_EQ(sent[0].bytes[32], 0);
  EXPECT_TRUE(Inbound(IPC_KIND_CONF_REQUEST).empty());

  // The local MAC is 6 octets: a local destination of another length is
  // refused, one behind a router is not.
  LinkAddress shortMac = Device(1, 1);
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &shortMac, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      IPC_STATUS_INVALID_ADDRESS);
  shortMac.netPresent = 1;
  shortMac.net = 5;
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &shortMac, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      IPC_STATUS_OK);
  PduDescFree(&out);
}

int OutOfRoom(const void*, TsmlStream*) { return ASN_NO_ROOM; }
constexpr TsmlServiceDescriptor kTooLong{12, EncodedSize, OutOfRoom};

// An encoder out of room: 7 when the request may go segmented, else 74; the
// TSM goes back to the pool either way.
TEST_F(TsmlClientTest, RequestTooLongForItsSegmentation) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  LinkAddress dest = Device(1);
  constexpr uint32_t kTooLongFor[] = {IPC_STATUS_REQUEST_TOO_LONG, IPC_STATUS_REQUEST_TOO_LONG,
                                      IPC_STATUS_SEGMENTATION_NOT_SUPPORTED,
                                      IPC_STATUS_SEGMENTATION_NOT_SUPPORTED};
  for (uint32_t segmentation = 0; segmentation < 4; ++segmentation) {
    const uint32_t status = kTooLongFor[segmentation];
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
  Open([](VmdBehaviour* b) { VmdRule(b, IPC_KIND_CONF_REQUEST).status = IPC_DAEMON_BAD_ADDRESS; });
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, nullptr, nullptr}, false, 1, &t, nullptr),
            IPC_STATUS_OK);
  PduDesc d{};
  ASSERT_TRUE(PduDescAlloc(0, &d));
  EXPECT_EQ(TsmlSend(t, IPC_KIND_CONF_REQUEST, &d), IPC_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
}

TEST_F(TsmlClientTest, CancelBeforeTheConfirmationReturnsTheTsm) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  Script(IPC_OUTCOME_OK, {}, /*noAnswer=*/true);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, nullptr, nullptr}, false, 1, &t, &info),
            IPC_STATUS_OK);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), IPC_STATUS_OK);
  EXPECT_EQ(TsmCliState(t), CLI_AWAIT_CONF);
  EXPECT_EQ(TsmCliWait(t, 50), IPC_STATUS_WAIT_TIMEOUT);
  EXPECT_EQ(TsmlSend(t, IPC_KIND_CANCEL, nullptr), IPC_STATUS_OK);
  EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
  EXPECT_TRUE(TsmCliRelease(t));
}

TEST_F(TsmlClientTest, LostLinkReleasesEveryWaiterAndLaterRequestsFail) {
  TestDeadline deadline(std::chrono::seconds(60));
  Open();
  Script(IPC_OUTCOME_OK, {}, /*noAnswer=*/true);
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
        IPC_STATUS_OK);
  AwaitInbound(IPC_KIND_CONF_REQUEST, kSync + kAsync);
  // Nothing answers the requests: every waiter, of either kind, is released
  // by the loss and only then.
  for (auto& f : sync)
    ASSERT_EQ(f.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  CliTsm* early = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&early, 0), IPC_STATUS_WAIT_TIMEOUT);
  ASSERT_TRUE(VmdDrop(server_, 0));
  for (auto& f : sync) {
    ASSERT_EQ(f.wait_for(kTestWait), std::future_status::ready);
    EXPECT_EQ(f.get(), IPC_STATUS_NO_LINK);
  }
  for (int i = 0; i < kAsync; ++i) {
    CliTsm* t = nullptr;
    ASSERT_EQ(TsmlAsyncWait(&t, int32_t(kTestWait.count())), IPC_STATUS_OK);
    TsmCliInfo info{};
    ASSERT_TRUE(TsmCliInfoGet(t, &info));
    EXPECT_EQ(info.outcome, IPC_STATUS_NO_LINK);
    EXPECT_TRUE(TsmCliRelease(t));
  }
  PduDesc out{};
  EXPECT_EQ(
      TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr),
      IPC_STATUS_NO_LINK);
  EXPECT_EQ(TsmlProcessIdAdd(5), IPC_STATUS_NO_LINK);
}

// Confirmations read together wake every caller waiting for one (the first
// woken wakes the others), each with its own answer.
TEST_F(TsmlClientTest, ConfirmationsReadTogetherWakeEveryWaitingCaller) {
  TestDeadline deadline(std::chrono::seconds(60));
  Open([](VmdBehaviour* b) { VmdRule(b, IPC_KIND_CONF_REQUEST).withhold = true; });
  Script(IPC_OUTCOME_OK, kAck);
  LinkAddress dest = Device(1);
  constexpr int kCallers = 6;
  std::vector<std::future<std::pair<int, Bytes>>> callers;
  for (int i = 0; i < kCallers; ++i) {
    callers.push_back(std::async(std::launch::async, [dest] {
      PduDesc out{};
      int s =
          TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr);
      Bytes data = s == IPC_STATUS_OK ? Data(out) : Bytes{};
      PduDescFree(&out);
      return std::make_pair(s, data);
    }));
  }
  AwaitInbound(IPC_KIND_CONF_REQUEST, kCallers);
  // What the daemon holds back goes out together.
  ASSERT_TRUE(WaitUntil([&] {
    VmdReleaseWithheld(server_, 0);
    return std::all_of(callers.begin(), callers.end(), [](auto& f) {
      return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
  }));
  for (auto& f : callers) {
    auto [status, data] = f.get();
    EXPECT_EQ(status, IPC_STATUS_OK);
    EXPECT_EQ(data, kAck);
  }
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
  ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, nullptr, nullptr}, false, 1, &t, &info),
            IPC_STATUS_OK);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), IPC_STATUS_OK);
  EXPECT_EQ(TsmCliWait(t, 1), IPC_STATUS_WAIT_TIMEOUT);
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmCliState(t), TSM_NOT_IN_USE);
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
  Open([](VmdBehaviour* b) { VmdRule(b, IPC_KIND_CANCEL).withhold = true; });
  Script(IPC_OUTCOME_OK, {}, /*noAnswer=*/true);
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, nullptr, nullptr}, async, 1, &t, &info),
            IPC_STATUS_OK);
  ASSERT_EQ(TsmlEncodeAndSend(&kReadProperty, &kRequest, t, &info), IPC_STATUS_OK);
  auto cancel =
      std::async(std::launch::async, [t] { return TsmlSend(t, IPC_KIND_CANCEL, nullptr); });
  AwaitInbound(IPC_KIND_CANCEL, 1);
  EXPECT_EQ(TsmCliState(t), CLI_CANCEL_SENT);
  ASSERT_TRUE(VmdDrop(server_, 0));
  ASSERT_EQ(cancel.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(cancel.get(), IPC_STATUS_NO_LINK);
  if (async) {
    CliTsm* done = nullptr;
    ASSERT_EQ(TsmlAsyncWait(&done, 5000), IPC_STATUS_OK);
    EXPECT_EQ(done, t);
  } else {
    EXPECT_EQ(TsmCliWait(t, 5000), IPC_STATUS_OK);
  }
  ASSERT_TRUE(TsmCliInfoGet(t, &info));
  EXPECT_EQ(info.outcome, IPC_STATUS_NO_LINK);
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
      g_tsml.pendingKind = IPC_KIND_SERVER_ACK;
      g_tsml.expectedIndex = 3;
      g_tsml.expectedId = 70;
      g_tsml.pendingReply = nullptr;
    }
    uint8_t h[64] = {};
    IpcPut16(h, 0, IPC_KIND_SERVER_ACK);
    IpcPut32(h, 4, c.index);
    IpcPut32(h, 8, c.id);
    IpcMsg* marker = reinterpret_cast<IpcMsg*>(h);  // only stored, never read
    EXPECT_EQ(TsmlReqAckMatch(h, marker), c.accepted) << c.index << "/" << c.id;
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    EXPECT_EQ(g_tsml.pendingReply == marker, c.accepted);
    EXPECT_EQ(g_tsml.pendingKind, c.accepted ? 0 : IPC_KIND_SERVER_ACK);
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
  Script(IPC_OUTCOME_ERROR, {0x91, 0x02, 0x91, 0x20});  // an Error: class 2, code 32
  auto* context = static_cast<TsmlRequestContext*>(TsmlConfParamAlloc());
  ASSERT_NE(context, nullptr);
  context->completion = RecordCompletion;
  LinkAddress dest = Device(1);
  CliTsm* t = nullptr;
  ASSERT_EQ(
      TsmlRequestExecuteAsync(nullptr, &dest, 0, &kReadProperty, &kRequest, nullptr, context, &t),
      IPC_STATUS_OK);
  CliTsm* done = nullptr;
  ASSERT_EQ(TsmlAsyncWait(&done, 10000), IPC_STATUS_OK);
  ASSERT_EQ(done, t);
  TsmlHookAsync(0, done);
  EXPECT_EQ(g_completed.tsm, t);
  EXPECT_EQ(g_completed.status, IPC_STATUS_BACNET_ERROR);
  EXPECT_EQ(g_completed.data, (Bytes{0x91, 0x02, 0x91, 0x20}));
  EXPECT_EQ(g_completed.stateDuringCall, CLI_ALLOCATED);
  EXPECT_EQ(TsmCliState(t), TSM_NOT_IN_USE);
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
  Script(IPC_OUTCOME_OK, Bytes(k.answer, 0x55));
  LinkAddress dest = Device(1);
  CommParams p = CommMask(k.requestSegs ? uint32_t(COMM_MAX_SEGS_ACCEPTED) : 0u);
  p.maxSegsAccepted = k.requestSegs;
  CliTsm* t = nullptr;
  ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, &p, nullptr}, false, 1, &t, nullptr),
            IPC_STATUS_OK);
  PduDesc d{};
  ASSERT_TRUE(PduDescAlloc(k.request, &d));
  std::memset(d.data, 0x0C, k.request);
  d.length = k.request;
  EXPECT_EQ(TsmlSend(t, IPC_KIND_CONF_REQUEST, &d), k.status);
  if (k.status == IPC_STATUS_OK) {
    ASSERT_EQ(TsmCliWait(t, -1), IPC_STATUS_OK);
    TsmCliInfo info{};
    ASSERT_TRUE(TsmCliInfoGet(t, &info));
    EXPECT_EQ(info.outcome, IPC_STATUS_OK);
    EXPECT_EQ(info.length, k.answer);
    auto sent = Inbound(IPC_KIND_CONF_REQUEST);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].length, 68 + k.request);
  } else {
    EXPECT_EQ(TsmCliState(t), CLI_ALLOCATED);
    EXPECT_TRUE(Inbound(IPC_KIND_CONF_REQUEST).empty());
  }
  EXPECT_TRUE(TsmCliRelease(t));
  EXPECT_EQ(TsmlProcessIdAdd(1), IPC_STATUS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TsmlFrameCapTest,
    ::testing::Values(
        CapCase{"LargeRequestAndConfirmation", 1000, 0, 1100000, 1200000, IPC_STATUS_OK},
        CapCase{"RequestsOwnSegmentsAdmitTheirConfirmation", 32, 1000, 10, 1200000, IPC_STATUS_OK},
        CapCase{"RequestAboveTheDefaultCap", 32, 0, IPC_MAX_PAYLOAD + 1, 1,
                IPC_STATUS_REQUEST_TOO_LONG},
        CapCase{"RequestAboveTheConfiguredCap", 1000, 0, 1476 * 1000 + 1, 1,
                IPC_STATUS_REQUEST_TOO_LONG}),
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
    ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, &p, nullptr}, false, 1, &t, &info),
              IPC_STATUS_OK);
    EXPECT_EQ(info.maxPayload, IPC_MAX_PAYLOAD) << segs;
    EXPECT_TRUE(TsmCliRelease(t));
  }
}

}  // namespace
