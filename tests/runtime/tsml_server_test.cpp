// Incoming dispatch (server TSMs, the priority queues) and daemon control
// requests, through a real stand-in daemon.
#include <future>
#include <vector>

#include "runtime/tsml/tsml_internal.h"
#include "tests/runtime/tsml_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Payload(IpcMsg* m) {
  uint32_t n = IpcMsgGetPayloadLength(m);
  const uint8_t* p = IpcMsgGetPayload(m);
  return Bytes(p, p + n);
}

class TsmlServerTest : public TsmlDaemonTest {
 protected:
  void Open() {
    StartDaemon();
    ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  }

  // The reader handles frames in order: once this request is taken, every
  // frame the daemon sent before it has been placed.
  void Barrier() {
    VmdIncoming in = VmdIncomingDefaults(server_);
    in.params.service = 12;
    uint32_t index = 0, id = 0;
    ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
    SrvTsm* t = nullptr;
    ASSERT_EQ(TsmlSrvWait(&t, 10000), IPC_STATUS_OK);
    ASSERT_EQ(TsmlSrvDiscard(t), IPC_STATUS_OK);
  }

  // Sends an incoming request and takes it as the server delivery does.
  void Take(const VmdIncoming& in, SrvTsm** t, uint32_t* index = nullptr, uint32_t* id = nullptr) {
    uint32_t i = 0, d = 0;
    ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &i, &d));
    ASSERT_EQ(TsmlSrvWait(t, 10000), IPC_STATUS_OK);
    if (index) *index = i;
    if (id) *id = d;
  }

  bool AwaitNoOpenServerTransactions() {
    return WaitUntil([&] {
      VmdClientInfo info{};
      return VmdGetClient(server_, 0, &info) && info.open_server_transactions == 0;
    });
  }

  bool LinkIsDown() {
    LinkAddress dest{};
    dest.kind = 130;
    dest.macLen = 6;
    Bytes req{0x0C};
    PduDesc out{};
    int s = TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &req, &out, nullptr, nullptr);
    PduDescFree(&out);
    return s == IPC_STATUS_NO_LINK;
  }
};

TEST_F(TsmlServerTest, IncomingRequestIsTakenAndAnsweredFromItsOwnBuffer) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  in.params.service = 15;  // WriteProperty
  in.payload = {0x0C, 0x00, 0x00, 0x00, 0x05};
  uint32_t index = 0, id = 0;
  SrvTsm* t = nullptr;
  Take(in, &t, &index, &id);
  TsmSrvInfo info{};
  ASSERT_TRUE(TsmSrvInfoGet(t, &info));
  EXPECT_EQ(info.service, 15);
  EXPECT_EQ(Bytes(info.data, info.data + info.length), in.payload);
  EXPECT_EQ(TsmSrvState(t), SRV_TAKEN);

  PduDesc reply{};
  ASSERT_TRUE(TsmSrvBufTake(t, &reply));
  reply.data[0] = 0x0F;
  reply.length = 1;
  EXPECT_EQ(TsmlSend(t, IPC_KIND_SERVER_ACK, &reply), IPC_STATUS_OK);
  EXPECT_EQ(TsmSrvState(t), TSM_NOT_IN_USE);
  VmdFrame f;
  ASSERT_TRUE(VmdWaitFrame(
      server_, [](const VmdFrame& x) { return x.inbound && x.kind == IPC_KIND_SERVER_ACK; }, 5000,
      &f));
  EXPECT_EQ(f.index, index);
  EXPECT_EQ(f.identifier, id);
  ASSERT_EQ(f.bytes.size(), 69u);
  EXPECT_EQ(f.bytes[68], 0x0F);
  EXPECT_TRUE(AwaitNoOpenServerTransactions());
}

TEST_F(TsmlServerTest, MultiServicesGoToTheirOwnQueue) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  in.params.service = 14;  // ReadPropertyMultiple
  uint32_t index = 0, id = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
  SrvTsm* t = nullptr;
  ASSERT_EQ(TsmlSrvMultiWait(&t, 10000), IPC_STATUS_OK);
  EXPECT_EQ(TsmlSrvWait(&t, 10), IPC_STATUS_WAIT_TIMEOUT);
}

struct BadRequest {
  const char* name;
  uint8_t service;
  uint32_t maxApdu;
  uint32_t maxSegs;
  uint16_t localNet = 0;  // the network at which the request arrived
};

class TsmlBadRequestTest : public TsmlServerTest,
                           public ::testing::WithParamInterface<BadRequest> {};

TEST_P(TsmlBadRequestTest, EndsTheLink) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  in.params.service = GetParam().service;
  in.params.maxApdu = GetParam().maxApdu;
  in.params.maxSegs = GetParam().maxSegs;
  if (GetParam().localNet) {
    in.params.local.netPresent = 1;
    in.params.local.net = GetParam().localNet;
  }
  uint32_t index = 0, id = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
  EXPECT_TRUE(LinkIsDown());
  SrvTsm* t = nullptr;
  EXPECT_NE(TsmlSrvWait(&t, 10), IPC_STATUS_OK);
}

INSTANTIATE_TEST_SUITE_P(Limits, TsmlBadRequestTest,
                         ::testing::Values(BadRequest{"Service30", 30, 1476, 0xFFFFFFFF},
                                           BadRequest{"Apdu1477", 12, 1477, 0xFFFFFFFF},
                                           BadRequest{"Apdu49", 12, 49, 0xFFFFFFFF},
                                           BadRequest{"Segments65536", 12, 1476, 65536},
                                           BadRequest{"ArrivedOnNetwork5", 12, 1476, 0xFFFFFFFF,
                                                      5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TsmlServerTest, HigherPriorityFirstAndFifoWithinALevel) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  const uint8_t priorities[] = {0, 3, 0, 3, 1};
  for (uint8_t i = 0; i < 5; ++i) {
    VmdIncoming in = VmdIncomingDefaults(server_);
    in.params.service = 8;  // Who-Is
    in.params.priority = priorities[i];
    in.payload = {i};
    ASSERT_TRUE(VmdSendUnconfirmed(server_, 0, in));
  }
  Barrier();
  Bytes order;
  for (int i = 0; i < 5; ++i) {
    IpcMsg* m = nullptr;
    ASSERT_EQ(TsmlUnconfirmedWait(&m, 5000), IPC_STATUS_OK);
    Bytes p = Payload(m);
    ASSERT_EQ(p.size(), 1u);
    order.push_back(p[0]);
    IpcMsgFree(m);
  }
  EXPECT_EQ(order, (Bytes{1, 3, 4, 0, 2}));
  IpcMsg* m = nullptr;
  EXPECT_EQ(TsmlUnconfirmedWait(&m, 10), IPC_STATUS_WAIT_TIMEOUT);
}

TEST_F(TsmlServerTest, RequestAbortedWhileQueuedIsDroppedWhenTaken) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  uint32_t index = 0, id = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
  ASSERT_TRUE(VmdSendAbort(server_, 0, index, id));
  // Unconfirmed barrier: placed after the abort.
  in.params.service = 8;
  ASSERT_TRUE(VmdSendUnconfirmed(server_, 0, in));
  IpcMsg* m = nullptr;
  ASSERT_EQ(TsmlUnconfirmedWait(&m, 5000), IPC_STATUS_OK);
  IpcMsgFree(m);

  SrvTsm* t = nullptr;
  EXPECT_EQ(TsmlSrvWait(&t, 5000), IPC_STATUS_REQUEST_DROPPED);
  VmdFrame f;
  ASSERT_TRUE(VmdWaitFrame(
      server_, [](const VmdFrame& x) { return x.inbound && x.kind == IPC_KIND_SERVER_DROP; }, 5000,
      &f));
  EXPECT_EQ(f.index, index);
  EXPECT_EQ(f.identifier, id);
  EXPECT_TRUE(AwaitNoOpenServerTransactions());
}

TEST_F(TsmlServerTest, ProcessIdentifierListRefusesWhenFull) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  TsmlConfigActive()->Max_Process_IDs = 2;
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  EXPECT_EQ(TsmlProcessIdAdd(11), IPC_STATUS_OK);
  uint32_t fresh = 0;
  EXPECT_EQ(TsmlProcessIdNew(&fresh), IPC_STATUS_OK);
  EXPECT_EQ(TsmlProcessIdAdd(13), IPC_STATUS_NO_RESOURCES);
  EXPECT_EQ(TsmlProcessIdNew(&fresh), IPC_STATUS_NO_RESOURCES);
  uint32_t ids[4] = {};
  uint32_t count = 0;
  ASSERT_EQ(TsmlProcessIdList(ids, 4, &count), IPC_STATUS_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(ids[0], 11u);
  EXPECT_TRUE(TsmlProcessIdKnown(ids[1]));
  EXPECT_FALSE(TsmlProcessIdKnown(13));
  VmdClientInfo info{};
  ASSERT_TRUE(VmdGetClient(server_, 0, &info));
  EXPECT_EQ(info.process_ids, (std::vector<uint32_t>{ids[0], ids[1]}));

  // Removing one the daemon does not know leaves the list as it was.
  EXPECT_NE(TsmlProcessIdRemove(99), IPC_STATUS_OK);
  ASSERT_EQ(TsmlProcessIdList(ids, 4, &count), IPC_STATUS_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(TsmlProcessIdRemove(11), IPC_STATUS_OK);
  ASSERT_EQ(TsmlProcessIdList(ids, 4, &count), IPC_STATUS_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(ids[0], fresh);
}

TEST_F(TsmlServerTest, PerAddressValuesUseThePerAddressKinds) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  LinkAddress a{};
  a.kind = 130;
  a.macLen = 6;
  a.mac[5] = 9;
  EXPECT_EQ(TsmlAddrParamSet(nullptr, 0x0042), IPC_STATUS_OK);
  EXPECT_EQ(TsmlAddrParamSet(&a, 0x1234), IPC_STATUS_OK);
  uint16_t v = 0;
  EXPECT_EQ(TsmlAddrParamGet(&a, &v), IPC_STATUS_OK);
  EXPECT_EQ(v, 0x1234);
  EXPECT_EQ(TsmlAddrParamGet(nullptr, &v), IPC_STATUS_OK);
  EXPECT_EQ(v, 0x0042);
  EXPECT_EQ(Inbound(IPC_KIND_SET_VALUE).size(), 1u);
  EXPECT_EQ(Inbound(IPC_KIND_SET_VALUE_ALL).size(), 1u);
  EXPECT_EQ(Inbound(IPC_KIND_GET_VALUE).size(), 1u);
  EXPECT_EQ(Inbound(IPC_KIND_GET_VALUE_ALL).size(), 1u);
}

TEST_F(TsmlServerTest, TransferDefaults) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  CommParams p = CommMask(COMM_MAX_SEGS_TO_SEND);
  p.maxSegsToSend = 7;
  EXPECT_TRUE(TsmlNetParamsSet(&p));
  EXPECT_TRUE(Inbound(IPC_KIND_SET_PARAMS).empty());
  p = CommMask(COMM_APDU_LENGTH);
  p.apduLength = 49;
  EXPECT_FALSE(TsmlNetParamsSet(&p));
  EXPECT_TRUE(Inbound(IPC_KIND_SET_PARAMS).empty());
  p = CommMask(COMM_APDU_LENGTH | COMM_RETRIES);
  p.apduLength = 600;
  p.retries = 9;
  EXPECT_TRUE(TsmlNetParamsSet(&p));
  auto sent = Inbound(IPC_KIND_SET_PARAMS);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes[4], COMM_APDU_LENGTH | COMM_RETRIES);
  EXPECT_EQ(sent[0].bytes[28], 9);
  CommParams q = CommMask(COMM_APDU_LENGTH | COMM_RETRIES | COMM_MAX_SEGS_TO_SEND);
  ASSERT_TRUE(TsmlNetParamsGet(&q));
  EXPECT_EQ(q.apduLength, 600u);
  EXPECT_EQ(q.retries, 9u);
  EXPECT_EQ(q.maxSegsToSend, 7u);
}

TEST_F(TsmlServerTest, LostLinkReleasesAControlRequestAwaitingItsReply) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon([](VmdBehaviour* b) { VmdRule(b, IPC_KIND_ADD_PID).withhold = true; });
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  auto add = std::async(std::launch::async, [] { return TsmlProcessIdAdd(5); });
  ASSERT_TRUE(WaitUntil([&] { return !Inbound(IPC_KIND_ADD_PID).empty(); }));
  ASSERT_TRUE(VmdDrop(server_, 0));
  ASSERT_EQ(add.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(add.get(), IPC_STATUS_NO_LINK);
  EXPECT_FALSE(TsmlProcessIdKnown(5));
  EXPECT_EQ(TsmlAddrParamSet(nullptr, 1), IPC_STATUS_NO_LINK);
}

// Draining closes the layer and waits for the application's server
// transactions; one that is never answered makes it give up.
TEST_F(TsmlServerTest, DrainWaitsForServerTransactionsWithTheApplication) {
  TestDeadline deadline(std::chrono::seconds(60));
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  uint32_t index = 0, id = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
  SrvTsm* t = nullptr;
  ASSERT_EQ(TsmlSrvWait(&t, 5000), IPC_STATUS_OK);
  // The transaction is never answered, so the drain gives up after its
  // wait, whatever its length.
  const uint32_t drainWait = TsmlSetDrainWait(100);
  EXPECT_FALSE(TsmlDrain());
  TsmlSetDrainWait(drainWait);
  // Closed: waits end with 68 and a dropped request is only freed.
  EXPECT_EQ(TsmlSrvWait(&t, 10), IPC_STATUS_CLOSING);
  EXPECT_EQ(TsmlSrvDiscard(t), IPC_STATUS_NO_LINK);
  EXPECT_TRUE(TsmlDrain());
}

// Process-identifier calls beside TSM allocation and acknowledged requests:
// no lock cycle between the control exchange, the pools and the defaults.
TEST_F(TsmlServerTest, ControlRequestsBesideTransactionsDoNotDeadlock) {
  TestDeadline deadline(std::chrono::seconds(90));
  Open();
  VmdScriptRule r;
  r.service = 12;
  r.answer = {0x0C, 0x02, 0x00, 0x00, 0x01, 0x19, 0x55, 0x3E, 0x44, 0x42, 0x28, 0x00, 0x00, 0x3F};
  VmdScriptAdd(server_, r);
  constexpr int kIterations = 60;
  std::vector<std::future<int>> work;
  for (uint32_t base : {1000u, 2000u}) {
    work.push_back(std::async(std::launch::async, [base] {
      int bad = 0;
      for (int i = 0; i < kIterations; ++i) {
        bad += TsmlProcessIdAdd(base + i) != IPC_STATUS_OK;
        bad += TsmlProcessIdRemove(base + i) != IPC_STATUS_OK;
      }
      return bad;
    }));
  }
  for (int k = 0; k < 3; ++k) {
    work.push_back(std::async(std::launch::async, [] {
      LinkAddress dest{};
      dest.kind = 130;
      dest.macLen = 6;
      Bytes req{0x0C, 0x02};
      int bad = 0;
      for (int i = 0; i < kIterations; ++i) {
        PduDesc out{};
        bad += TsmlRequestExecute(nullptr, &dest, uint32_t(i & 3), &kReadProperty, &req, &out,
                                  nullptr, nullptr) != IPC_STATUS_OK;
        PduDescFree(&out);
        CommParams p = CommMask(COMM_APDU_LENGTH);
        bad += !TsmlNetParamsGet(&p);
      }
      return bad;
    }));
  }
  for (auto& f : work) {
    ASSERT_EQ(f.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(f.get(), 0);
  }
  uint32_t count = 99;
  ASSERT_EQ(TsmlProcessIdList(nullptr, 0, &count), IPC_STATUS_OK);
  EXPECT_EQ(count, 0u);
}

}  // namespace

namespace {

// A control message refused before it is written (above the link's cap, or
// longer than its own message) says why, and leaves the channel free: the
// next exchange works, the link stays up.
TEST_F(TsmlServerTest, ControlWriteRefusedLocallyLeavesTheChannelFree) {
  TestDeadline deadline(std::chrono::seconds(30));
  Open();
  struct {
    const char* what;
    uint32_t capacity, length;
    uint32_t status;
  } cases[] = {
      {"ioctl above the cap", IPC_MAX_PAYLOAD + 1, IPC_MAX_PAYLOAD + 1,
       IPC_STATUS_REQUEST_TOO_LONG},
      {"ioctl longer than its message", 16, 200, IPC_STATUS_INVALID_PARAMETER},
  };
  uint32_t pid = 1;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    PduDesc request{}, reply{};
    ASSERT_TRUE(PduDescAlloc(k.capacity, &request));
    request.length = k.length;
    EXPECT_EQ(TsmlIoctlLocal(&request, &reply), k.status);
    EXPECT_EQ(reply.msg, nullptr);
    EXPECT_EQ(TsmlProcessIdAdd(pid), IPC_STATUS_OK);
    EXPECT_TRUE(TsmlProcessIdKnown(pid++));
  }
  EXPECT_TRUE(Inbound(IPC_KIND_IOCTL).empty());

  // A response too long for the link leaves the request with the
  // application, which answers it again.
  SrvTsm* t = nullptr;
  Take(VmdIncomingDefaults(server_), &t);
  PduDesc big{};
  ASSERT_TRUE(PduDescAlloc(IPC_MAX_PAYLOAD + 1, &big));
  big.length = IPC_MAX_PAYLOAD + 1;
  EXPECT_EQ(TsmlSend(t, IPC_KIND_SERVER_ACK, &big), IPC_STATUS_REQUEST_TOO_LONG);
  EXPECT_EQ(TsmSrvState(t), SRV_TAKEN);
  PduDesc small{};
  ASSERT_TRUE(PduDescAlloc(1, &small));
  small.data[0] = 0x0F;
  small.length = 1;
  EXPECT_EQ(TsmlSend(t, IPC_KIND_SERVER_ACK, &small), IPC_STATUS_OK);
  EXPECT_EQ(Inbound(IPC_KIND_SERVER_ACK).size(), 1u);
  uint16_t value = 0;
  EXPECT_EQ(TsmlAddrParamGet(nullptr, &value), IPC_STATUS_OK);
}

// The room of a served request's answer is what the link sends at most,
// however many segments both sides would take.
TEST_F(TsmlServerTest, AnswerRoomIsBoundedByTheLink) {
  TestDeadline deadline(std::chrono::seconds(30));
  TsmlConfigActive()->Max_Seg_To_Send = 2000;
  Open();
  VmdIncoming in = VmdIncomingDefaults(server_);
  in.params.segmentation = 0;
  in.params.maxSegs = 65535;
  SrvTsm* t = nullptr;
  Take(in, &t);
  TsmSrvInfo info{};
  ASSERT_TRUE(TsmSrvInfoGet(t, &info));
  EXPECT_EQ(info.segmented, 1);
  EXPECT_EQ(info.maxPayload, IPC_MAX_PAYLOAD);
  EXPECT_EQ(TsmlSrvDiscard(t), IPC_STATUS_OK);
}

}  // namespace
