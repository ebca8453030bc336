// Confirmed requests from the client and their confirmations, cancels, and
// the requests the daemon sends to the client (server transactions).
#include <thread>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kIndex = 3, kId = 0xFFFFFFFFu;

Bytes Cancel(uint32_t index = kIndex, uint32_t id = kId) {
  Bytes m = Message(IPC_KIND_CANCEL, 0);
  IpcPut32(m, IPC_OFF_TSM_INDEX, index);
  IpcPut32(m, IPC_OFF_TSM_ID, id);
  return m;
}

const LinkAddress kDevice = Mac({0x0a});
const Bytes kReadRequest = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4D};  // RP device 1001, name
const Bytes kComplexAck = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4D, 0x3E,
                           0x75, 0x04, 0x00, 0x41, 0x42, 0x43, 0x3F};

class Transactions : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    ConnectRegistered(&c_);
  }
  // The acknowledgement of the request just sent.
  void ExpectAck(uint16_t kind, uint16_t status, uint32_t index = kIndex, uint32_t id = kId) {
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(IpcGet16(r, 0), kind);
    EXPECT_EQ(IpcGet16(r, 2), status);
    EXPECT_EQ(IpcGet32(r, 4), index);
    EXPECT_EQ(IpcGet32(r, 8), id);
  }
  void ExpectConfirmation(uint16_t outcome, const Bytes& answer, uint32_t index = kIndex,
                          uint32_t id = kId, uint8_t priority = 2) {
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    ASSERT_EQ(r.size(), 68 + answer.size());
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
    EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    EXPECT_EQ(IpcGet32(r, 4), index);
    EXPECT_EQ(IpcGet32(r, 8), id);
    EXPECT_EQ(IpcGet16(r, 12), outcome);
    EXPECT_EQ(r[14] & 3, priority);
    EXPECT_EQ(IpcGet32(r, 64), answer.size());
    EXPECT_EQ(Bytes(r.begin() + 68, r.end()), answer);
  }
  RawClient c_;
};

TEST_F(Transactions, ScriptedOutcomesComeBackWithTheirData) {
  struct Case {
    const char* what;
    uint16_t outcome;
    Bytes answer;
  } cases[] = {
      {"ComplexACK", IPC_OUTCOME_OK, kComplexAck},
      {"SimpleACK", IPC_OUTCOME_OK, {}},
      {"Error unknown-object", IPC_OUTCOME_ERROR, {0x91, 0x01, 0x91, 0x1F}},
      {"Reject unrecognized-service", IPC_OUTCOME_REJECT, {0x09}},
      {"Abort segmentation-not-supported", IPC_OUTCOME_ABORT, {0x04}},
  };
  uint32_t id = 1;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    VmdScriptClear(server_);
    VmdScriptRule rule;
    rule.service = 12;
    rule.outcome = k.outcome;
    rule.answer = k.answer;
    VmdScriptAdd(server_, rule);
    ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest, kIndex, id)));
    ExpectAck(IPC_KIND_CONF_REQUEST, 0, kIndex, id);
    ExpectConfirmation(k.outcome, k.answer, kIndex, id);
    EXPECT_TRUE(RawQuietFor(&c_, 20)) << "exactly one confirmation";
    ++id;
  }
}

TEST_F(Transactions, ScriptsMatchServiceDestinationAndRequestInOrder) {
  VmdScriptRule by_request;
  by_request.match_request = true;
  by_request.request = kReadRequest;
  by_request.answer = {1};
  by_request.uses = 1;
  VmdScriptAdd(server_, by_request);
  VmdScriptRule by_dest;
  by_dest.match_destination = true;
  by_dest.destination = Mac({0x14, 0xEE}, 5);
  by_dest.destination.macLen = 1;  // bytes past the length do not count
  by_dest.answer = {2};
  VmdScriptAdd(server_, by_dest);
  VmdScriptRule by_service;
  by_service.service = 14;
  by_service.answer = {3};
  VmdScriptAdd(server_, by_service);

  struct Case {
    uint8_t service;
    LinkAddress to;
    Bytes request;
    uint16_t outcome;
    Bytes answer;
  } cases[] = {
      {12, kDevice, kReadRequest, 0, {1}},         // the request rule, once
      {12, kDevice, kReadRequest, 11, {}},         // spent: nothing answers
      {12, Mac({0x14}, 5), kReadRequest, 0, {2}},  // the destination rule
      {12, Mac({0x14}, 6), kReadRequest, 11, {}},  // another network
      {14, Mac({0x14}, 5), {}, 0, {2}},            // first rule that holds wins
      {14, kDevice, {}, 0, {3}},
  };
  uint32_t id = 10;
  for (const Case& k : cases) {
    SCOPED_TRACE(id);
    ASSERT_TRUE(RawSendFrame(&c_, Confirmed(k.service, k.to, k.request, kIndex, id)));
    ExpectAck(IPC_KIND_CONF_REQUEST, 0, kIndex, id);
    ExpectConfirmation(k.outcome, k.answer, kIndex, id);
    ++id;
  }
}

TEST_F(Transactions, HandlerAnswersWhatNoScriptMatched) {
  VmdSetConfirmedHandler(server_, [](const VmdConfirmed& rq, VmdAnswer* a) {
    if (rq.params.service != 15) return false;
    a->outcome = IPC_OUTCOME_OK;
    a->answer.assign(rq.request.begin(), rq.request.end());
    return true;
  });
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(15, kDevice, {9, 8, 7})));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0);
  ExpectConfirmation(0, {9, 8, 7});
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, {9, 8, 7}, 4, 1)));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0, 4, 1);
  ExpectConfirmation(IPC_OUTCOME_NO_ANSWER, {}, 4, 1);
}

TEST_F(Transactions, RequestsThatAreNotAcknowledgedWithZeroAreNotConfirmed) {
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, Mac({}), kReadRequest)));  // MAC length 0
  ExpectAck(IPC_KIND_CONF_REQUEST, 769);
  EXPECT_TRUE(RawQuietFor(&c_, 50));
  VmdBehaviour b{};
  VmdRule(&b, IPC_KIND_CONF_REQUEST).status = 6;
  VmdSetBehaviour(server_, b);
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest)));
  ExpectAck(IPC_KIND_CONF_REQUEST, 6);
  EXPECT_TRUE(RawQuietFor(&c_, 50));
}

TEST_F(Transactions, CancelBeforeTheConfirmationTakesItBack) {
  VmdScriptRule slow;
  slow.delay_ms = 300;
  slow.answer = {1};
  VmdScriptAdd(server_, slow);
  ASSERT_TRUE(RawSendFrames(&c_, {Confirmed(12, kDevice, kReadRequest), Cancel()}));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0);
  ExpectAck(IPC_KIND_CANCEL, 0);
  EXPECT_TRUE(RawQuietFor(&c_, 450)) << "no confirmation after an accepted cancel";
  ASSERT_TRUE(RawSendFrame(&c_, Cancel()));
  ExpectAck(IPC_KIND_CANCEL, 4);
}

TEST_F(Transactions, CancelOfAnUnansweredRequest) {
  VmdScriptRule never;
  never.no_answer = true;
  VmdScriptAdd(server_, never);
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest)));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0);
  EXPECT_TRUE(RawQuietFor(&c_, 50));
  ASSERT_TRUE(RawSendFrame(&c_, Cancel(kIndex, kId - 1)));  // another transaction
  ExpectAck(IPC_KIND_CANCEL, 4, kIndex, kId - 1);
  ASSERT_TRUE(RawSendFrame(&c_, Cancel()));
  ExpectAck(IPC_KIND_CANCEL, 0);
  // A TSM index carries one transaction: a new request on it ends the old one.
  for (uint32_t id : {1u, 2u}) {
    ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest, kIndex, id)));
    ExpectAck(IPC_KIND_CONF_REQUEST, 0, kIndex, id);
  }
  ASSERT_TRUE(RawSendFrame(&c_, Cancel(kIndex, 1)));
  ExpectAck(IPC_KIND_CANCEL, 4, kIndex, 1);
  ASSERT_TRUE(RawSendFrame(&c_, Cancel(kIndex, 2)));
  ExpectAck(IPC_KIND_CANCEL, 0, kIndex, 2);
}

TEST_F(Transactions, CancelAfterTheConfirmationIsRefused) {
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest)));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0);
  ExpectConfirmation(IPC_OUTCOME_NO_ANSWER, {});
  ASSERT_TRUE(RawSendFrame(&c_, Cancel()));
  ExpectAck(IPC_KIND_CANCEL, 4);
}

TEST_F(Transactions, AConfirmationKnownAtOnceLeavesInOneWriteWithItsAcknowledgement) {
  // The client's reader then wakes once for the two frames.
  struct Case {
    const char* what;
    int delay_ms;
    bool no_answer;
    uint64_t frames, writes;
  } cases[] = {
      {"answered at once", 0, false, 2, 1},
      {"answered later", 30, false, 2, 2},
      {"never answered", 0, true, 1, 1},
  };
  // The registration reply is counted once its write has returned.
  ASSERT_TRUE(WaitUntil([&] { return VmdGetStats(server_).apps.at(0).buffers_written == 1; }));
  uint32_t id = 1;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    VmdScriptClear(server_);
    VmdScriptRule rule;
    rule.answer = {1};
    rule.delay_ms = k.delay_ms;
    rule.no_answer = k.no_answer;
    VmdScriptAdd(server_, rule);
    const VmdAppStats before = VmdGetStats(server_).apps.at(0);
    ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest, kIndex, id)));
    ExpectAck(IPC_KIND_CONF_REQUEST, 0, kIndex, id);
    if (!k.no_answer) ExpectConfirmation(0, {1}, kIndex, id);
    VmdAppStats after{};
    EXPECT_TRUE(WaitUntil([&] {
      after = VmdGetStats(server_).apps.at(0);
      return after.buffers_written == before.buffers_written + k.frames;
    }));
    EXPECT_EQ(after.calls_written, before.calls_written + k.writes);
    ++id;
  }
}

TEST_F(Transactions, TheRepliesToTheFramesOfOneReadLeaveTogether) {
  // The client's reader then wakes once for all of them. A frame whose end
  // has not arrived holds none of them back, and the order stays the
  // requests' order, with a later confirmation after the rest.
  const Bytes kSilent = {0x0C, 0x02, 0x00, 0x03, 0xEA, 0x19, 0x4D};  // RP device 1002
  const Bytes kSlow = {0x0C, 0x02, 0x00, 0x03, 0xEB, 0x19, 0x4D};    // RP device 1003
  VmdScriptRule silent, slow, rest;
  silent.match_request = slow.match_request = true;
  silent.request = kSilent;
  silent.no_answer = true;
  slow.request = kSlow;
  slow.delay_ms = 30;
  slow.answer = {2};
  rest.answer = {1};
  for (const VmdScriptRule& r : {silent, slow, rest})
    VmdScriptAdd(server_, r);
  struct Case {
    const char* what;
    std::vector<const Bytes*> requests;  // in one write, indexes 1, 2, ...
    bool last_cut;                       // the last frame's end comes in a second write
    std::vector<uint32_t> replies;       // index; top bit set: its confirmation
    int64_t writes;                      // -1: not counted
  } cases[] = {
      {"three answered at once",
       {&kReadRequest, &kReadRequest, &kReadRequest},
       false,
       {1, 1u << 31 | 1, 2, 1u << 31 | 2, 3, 1u << 31 | 3},
       1},
      {"one never answered among them",
       {&kReadRequest, &kSilent, &kReadRequest},
       false,
       {1, 1u << 31 | 1, 2, 3, 1u << 31 | 3},
       1},
      {"the last one's end later",
       {&kReadRequest, &kReadRequest, &kReadRequest},
       true,
       {1, 1u << 31 | 1, 2, 1u << 31 | 2, 3, 1u << 31 | 3},
       2},
      {"one answered later",
       {&kReadRequest, &kSlow, &kReadRequest},
       false,
       {1, 1u << 31 | 1, 2, 3, 1u << 31 | 3, 1u << 31 | 2},
       -1},
  };
  ASSERT_TRUE(WaitUntil([&] { return VmdGetStats(server_).apps.at(0).buffers_written == 1; }));
  uint32_t id = 100;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const VmdAppStats before = VmdGetStats(server_).apps.at(0);
    Bytes bytes;
    for (uint32_t i = 0; i < k.requests.size(); ++i) {
      const Bytes m = Confirmed(12, kDevice, *k.requests[i], i + 1, id + i);
      const size_t at = bytes.size();
      bytes.resize(at + 4 + m.size());
      IpcPut32(bytes, at, uint32_t(m.size()));
      std::copy(m.begin(), m.end(), bytes.begin() + ptrdiff_t(at) + 4);
    }
    size_t cut = k.last_cut ? bytes.size() - 5 : bytes.size();
    ASSERT_TRUE(RawSend(&c_, std::span<const uint8_t>(bytes).first(cut)));
    const uint32_t last = uint32_t(k.requests.size());
    for (uint32_t r : k.replies) {
      const uint32_t index = r & ~(1u << 31);
      if (index == last && cut < bytes.size()) {
        ASSERT_TRUE(RawSend(&c_, std::span<const uint8_t>(bytes).subspan(cut)));
        cut = bytes.size();
      }
      const Bytes& request = *k.requests[index - 1];
      if (r & 1u << 31)
        ExpectConfirmation(0, {&request == &kSlow ? uint8_t(2) : uint8_t(1)}, index,
                           id + index - 1);
      else
        ExpectAck(IPC_KIND_CONF_REQUEST, 0, index, id + index - 1);
    }
    VmdAppStats after{};
    EXPECT_TRUE(WaitUntil([&] {
      after = VmdGetStats(server_).apps.at(0);
      return after.buffers_written == before.buffers_written + k.replies.size();
    }));
    if (k.writes >= 0) {
      EXPECT_EQ(after.calls_written, before.calls_written + uint64_t(k.writes));
    }
    id += 10;
  }
}

TEST_F(Transactions, AWithheldAcknowledgementHoldsItsConfirmationBack) {
  VmdBehaviour b{};
  VmdRule(&b, IPC_KIND_CONF_REQUEST).withhold = true;
  VmdSetBehaviour(server_, b);
  ASSERT_TRUE(RawSendFrame(&c_, Confirmed(12, kDevice, kReadRequest)));
  EXPECT_TRUE(RawQuietFor(&c_, 50));
  ASSERT_TRUE(VmdReleaseWithheld(server_, 0));
  ExpectAck(IPC_KIND_CONF_REQUEST, 0);
  ExpectConfirmation(IPC_OUTCOME_NO_ANSWER, {});
}

TEST_F(Transactions, ManyClientsAtOnce) {
  VmdScriptRule rule;
  rule.answer = kComplexAck;
  VmdScriptAdd(server_, rule);
  constexpr int kClients = 6, kRequests = 40;
  std::vector<std::thread> threads;
  std::atomic<int> good{0};
  for (int t = 0; t < kClients; ++t) {
    threads.emplace_back([&, t] {
      RawClient c;
      if (!RawConnectUnix(&c, VmdSocketPath(server_)) || Register(&c).size() != 28) return;
      for (int i = 0; i < kRequests; ++i) {
        uint32_t id = uint32_t(t * 1000 + i + 1);
        if (!RawSendFrame(&c, Confirmed(12, kDevice, kReadRequest, uint32_t(i % 8), id))) return;
        Bytes ack, conf;
        if (RawReadFrame(&c, &ack) != 1 || RawReadFrame(&c, &conf) != 1) return;
        if (IpcGet16(ack, 0) != IPC_KIND_CONF_REQUEST || IpcGet32(ack, 8) != id) return;
        if (IpcGet16(conf, 0) != IPC_KIND_CONFIRMATION || IpcGet32(conf, 8) != id ||
            Bytes(conf.begin() + 68, conf.end()) != kComplexAck)
          return;
        if (t % 2 == 0 && i == kRequests / 2) VmdGetStats(server_);  // readers meanwhile
      }
      Bytes bye = {1};
      if (RawSend(&c, Bytes{0, 0, 0, 0}) && RawReadFrame(&c, &bye) == 1 && bye.empty()) ++good;
    });
  }
  for (auto& th : threads)
    th.join();
  EXPECT_EQ(good.load(), kClients);
}

// ---- server transactions -------------------------------------------------

class ServerTransactions : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    ConnectRegistered(&c_, /*srv_pool=*/2);
  }
  Bytes Answer(uint16_t kind, uint32_t index, uint32_t id) {
    Bytes m = kind == IPC_KIND_SERVER_DROP ? Message(kind, 12) : Message(kind, 0, Bytes{0x20});
    IpcPut32(m, IPC_OFF_TSM_INDEX, index);
    IpcPut32(m, IPC_OFF_TSM_ID, id);
    return m;
  }
  void SendAndExpectAck(const Bytes& m, uint16_t status) {
    ASSERT_TRUE(RawSendFrame(&c_, m));
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(IpcGet16(r, 0), IpcGet16(m, 0));
    EXPECT_EQ(IpcGet16(r, 2), status);
    EXPECT_EQ(IpcGet32(r, 4), IpcGet32(m, 4));
    EXPECT_EQ(IpcGet32(r, 8), IpcGet32(m, 8));
  }
  RawClient c_;
};

TEST_F(ServerTransactions, IncomingConfirmedRequestIsLaidOutAsSent) {
  VmdIncoming rq = VmdIncomingDefaults(server_);
  rq.params.priority = 3;
  rq.params.service = 14;
  rq.params.maxApdu = 480;
  rq.params.segAccepted = 0;
  rq.params.segmentation = 1;
  rq.params.maxSegs = 16;
  rq.payload = {0xAB, 0xCD};
  uint32_t index = 99, id = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &index, &id));
  EXPECT_EQ(index, 0u);
  EXPECT_NE(id, 0u);
  Bytes r;
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(r.size(), 70u);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONF_INDICATION);
  EXPECT_EQ(IpcGet32(r, 4), index);
  EXPECT_EQ(IpcGet32(r, 8), id);
  EXPECT_EQ(r[12], 3);
  EXPECT_EQ(r[13], 14);
  EXPECT_EQ(r[16], 130);
  EXPECT_EQ(r[20], 6);  // local MAC length: the site's
  EXPECT_EQ(r[32], 1);  // remote MAC length
  EXPECT_EQ(r[33], 0x0a);
  EXPECT_EQ(IpcGet32(r, 48), 480u);
  EXPECT_EQ(r[52], 0);
  EXPECT_EQ(IpcGet16(r, 54), 1);  // sent as given; the client applies its rule
  EXPECT_EQ(IpcGet32(r, 56), 16u);
  EXPECT_EQ(IpcGet32(r, 64), 2u);
  EXPECT_EQ(r[68], 0xAB);
}

TEST_F(ServerTransactions, AnIndexIsReusedOnlyAfterItsAnswerOrDrop) {
  VmdIncoming rq = VmdIncomingDefaults(server_);
  uint32_t i0, id0, i1, id1, ix, idx;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &i0, &id0));
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &i1, &id1));
  EXPECT_EQ(i0, 0u);
  EXPECT_EQ(i1, 1u);
  EXPECT_NE(id0, id1);
  EXPECT_FALSE(VmdSendConfirmed(server_, 0, rq, &ix, &idx)) << "pool of 2 in use";
  Bytes r;
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);

  SendAndExpectAck(Answer(IPC_KIND_SERVER_ACK, i0, id0 + 1),
                   4);  // wrong identifier: refused, still open
  EXPECT_FALSE(VmdSendConfirmed(server_, 0, rq, &ix, &idx));
  VmdBehaviour b{};
  VmdRule(&b, IPC_KIND_SERVER_ERROR).status = 263;
  VmdSetBehaviour(server_, b);
  SendAndExpectAck(Answer(IPC_KIND_SERVER_ERROR, i0, id0), 263);  // failed answer: stays open
  EXPECT_FALSE(VmdSendConfirmed(server_, 0, rq, &ix, &idx));
  VmdSetBehaviour(server_, VmdBehaviour{});

  SendAndExpectAck(Answer(IPC_KIND_SERVER_ACK, i0, id0), 0);
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &ix, &idx));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  EXPECT_EQ(IpcGet32(r, 8), idx);
  EXPECT_EQ(ix, i0);
  EXPECT_NE(idx, id0);
  SendAndExpectAck(Answer(IPC_KIND_SERVER_DROP, i1, id1), 0);  // dropped
  VmdClientInfo info;
  ASSERT_TRUE(VmdGetClient(server_, 0, &info));
  EXPECT_EQ(info.open_server_transactions, 1u);
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &ix, &idx));
  EXPECT_EQ(ix, i1);
  EXPECT_TRUE(VmdWaitLog(server_, "answered with 0x0E02", kWaitMs));
  EXPECT_TRUE(VmdWaitLog(server_, "dropped", kWaitMs));
}

TEST_F(ServerTransactions, EveryAnswerKindIsAcknowledged) {
  VmdIncoming rq = VmdIncomingDefaults(server_);
  for (uint16_t kind : {IPC_KIND_SERVER_ACK, IPC_KIND_SERVER_ERROR, IPC_KIND_SERVER_REJECT,
                        IPC_KIND_SERVER_ABORT, IPC_KIND_SERVER_DROP}) {
    SCOPED_TRACE(kind);
    uint32_t i, id;
    ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &i, &id));
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    SendAndExpectAck(Answer(kind, i, id), 0);
  }
}

TEST_F(ServerTransactions, UnconfirmedRequestAndAbortFrames) {
  VmdIncoming rq = VmdIncomingDefaults(server_);
  rq.params.service = 0;  // I-Am
  rq.payload = {0xC4, 0x02, 0x00, 0x03, 0xE9};
  ASSERT_TRUE(VmdSendUnconfirmed(server_, 0, rq));
  Bytes r;
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(r.size(), 68u + 5u);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_INDICATION);
  EXPECT_EQ(r[13], 0);
  EXPECT_EQ(r[32], 1);
  for (size_t i = 40; i < 64; ++i)
    EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(IpcGet32(r, 64), 5u);

  uint32_t i, id;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, VmdIncomingDefaults(server_), &i, &id));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_TRUE(VmdSendAbort(server_, 0, i, id));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(r.size(), 69u);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_SERVER_ABORTED);
  EXPECT_EQ(IpcGet32(r, 4), i);
  EXPECT_EQ(IpcGet32(r, 8), id);
  EXPECT_EQ(IpcGet32(r, 64), 1u);
}

}  // namespace

namespace {

TEST_F(ServerTransactions, UnconfirmedRequestsReachTheirHandler) {
  // A Who-Is answered with an I-Am from the handler, after the acknowledgement.
  VmdServer* s = server_;
  VmdSetUnconfirmedHandler(s, [s](const VmdUnconfirmed& rq) {
    if (rq.params.service != 8) return;
    VmdIncoming iam = VmdIncomingDefaults(s);
    iam.params.service = 0;
    iam.payload = {0xC4, 0x02, 0x00, 0x03, 0xE9};
    VmdSendUnconfirmed(s, rq.conn, iam);
  });
  Bytes whois = Message(IPC_KIND_UNCONF_REQUEST, 0, Bytes{});
  whois[13] = 8;
  whois[28] = 130;
  ASSERT_TRUE(RawSendFrame(&c_, whois));
  Bytes r;
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_REQUEST);
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_INDICATION);
  EXPECT_EQ(r.size(), 73u);
}

}  // namespace
