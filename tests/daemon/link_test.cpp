// Registration, acknowledgements, the disconnect exchange, the test hooks and
// the counters of the daemon, seen by a raw client.
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Link : public DaemonTest {};

class LinkTransport : public DaemonTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LinkTransport, RegistrationReplyIsLaidOutByteForByte) {
  RawClient c;
  if (GetParam())
    ASSERT_TRUE(RawConnectTcp(&c, VmdTcpPort(server_)));
  else
    Connect(&c);
  Bytes reply = Register(&c);
  // kind 0x0800, status 0, runtime 6.2.4, APDU 1476, the site's address
  // (kind 130, local, MAC 7f:00:00:01:ba:c0), user identifier 1.
  const Bytes want = {0x00, 0x08, 0x00, 0x00, 6,    2,    4,    0,    0xC4, 0x05,
                      0x00, 0x00, 0x82, 0x00, 0x00, 0x00, 0x06, 0x7f, 0x00, 0x00,
                      0x01, 0xba, 0xc0, 0x00, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(reply, want);
  VmdFrame f;
  ASSERT_TRUE(VmdWaitFrame(
      server_, [](const VmdFrame& x) { return x.inbound; }, kWaitMs, &f));
  EXPECT_EQ(f.kind, IPC_KIND_REGISTER);
  EXPECT_EQ(f.length, 52u);
  EXPECT_EQ(f.bytes, RegistrationRequest());
}

INSTANTIATE_TEST_SUITE_P(UnixAndTcp, LinkTransport, ::testing::Bool());

TEST_F(Link, EveryProcessGetsAFreshUserIdentifier) {
  RawClient a, b, c;
  ConnectRegistered(&a);
  ConnectRegistered(&b);
  RawClose(&a);
  ConnectRegistered(&c);
  std::vector<uint32_t> users;
  for (const VmdFrame& f : VmdFrames(server_))
    if (!f.inbound && f.kind == IPC_KIND_REGISTER) users.push_back(IpcGet32(f.bytes, 24));
  ASSERT_EQ(users.size(), 3u);
  EXPECT_NE(users[0], users[1]);
  EXPECT_NE(users[1], users[2]);
  EXPECT_NE(users[0], users[2]);
  for (uint32_t u : users)
    EXPECT_NE(u, 0u);
}

// One acknowledgement of the same kind, of the documented length, echoing
// the words at 4 and 8 where it reaches them; nothing more follows.
TEST_F(Link, EveryClientMessageGetsOneAcknowledgementOfItsKind) {
  RawClient c;
  ConnectRegistered(&c);
  // The library's vendor identifier (555), an ioctl code the daemon does not know.
  const Bytes body = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x63, 0x2F};
  struct Case {
    uint16_t kind;
    size_t fixed;  // 0: 68 + payload
    size_t reply_len;
    uint16_t status;
  } cases[] = {
      {IPC_KIND_SET_PARAMS, 32, 4, IPC_DAEMON_OK},
      {IPC_KIND_ADD_PID, 8, 4, IPC_DAEMON_OK},
      {IPC_KIND_REMOVE_PID, 8, 4, IPC_DAEMON_OK},
      {IPC_KIND_NEW_PID, 4, 8, IPC_DAEMON_OK},
      {IPC_KIND_SET_VALUE_ALL, 6, 4, IPC_DAEMON_OK},
      {IPC_KIND_GET_VALUE_ALL, 4, 6, IPC_DAEMON_OK},
      {IPC_KIND_SET_VALUE, 18, 4, IPC_DAEMON_OK},
      {IPC_KIND_GET_VALUE, 16, 6, IPC_DAEMON_OK},
      {IPC_KIND_IOCTL, 0, 68 + 12, IPC_DAEMON_OK},
      {IPC_KIND_CANCEL, 0, 12, IPC_DAEMON_BAD_PARAMETER},  // nothing to cancel
      {IPC_KIND_UNCONF_REQUEST, 0, 12, IPC_DAEMON_OK},
      {IPC_KIND_SERVER_DROP, 12, 12, IPC_DAEMON_BAD_PARAMETER},
      {IPC_KIND_SERVER_ACK, 0, 12, IPC_DAEMON_BAD_PARAMETER},  // no such server
                                                               // transaction
      {IPC_KIND_SERVER_ERROR, 0, 12, IPC_DAEMON_BAD_PARAMETER},
      {IPC_KIND_SERVER_REJECT, 0, 12, IPC_DAEMON_BAD_PARAMETER},
      {IPC_KIND_SERVER_ABORT, 0, 12, IPC_DAEMON_BAD_PARAMETER},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "kind 0x" << std::hex << k.kind);
    Bytes m = Message(
        k.kind, k.fixed,
        k.kind == IPC_KIND_IOCTL ? std::span<const uint8_t>(body) : std::span<const uint8_t>());
    if (k.reply_len == 12) {
      IpcPut32(m, 4, 0x11223344);
      IpcPut32(m, 8, 0x55667788);
    }
    if (k.kind == IPC_KIND_ADD_PID || k.kind == IPC_KIND_REMOVE_PID) IpcPut32(m, 4, 77);
    if (k.kind == IPC_KIND_REMOVE_PID) IpcPut32(m, 4, 99);  // not added: refused below
    if (k.kind == IPC_KIND_SET_VALUE || k.kind == IPC_KIND_GET_VALUE) m[4] = 130;
    ASSERT_TRUE(RawSendFrame(&c, m));
    Bytes r;
    ASSERT_EQ(RawReadFrame(&c, &r), 1);
    ASSERT_EQ(r.size(), k.reply_len);
    EXPECT_EQ(IpcGet16(r, 0), k.kind);
    EXPECT_EQ(IpcGet16(r, 2), k.kind == IPC_KIND_REMOVE_PID ? IPC_DAEMON_BAD_PARAMETER : k.status);
    if (k.reply_len == 12) {
      EXPECT_EQ(IpcGet32(r, 4), 0x11223344u);
      EXPECT_EQ(IpcGet32(r, 8), 0x55667788u);
    }
    EXPECT_TRUE(RawQuietFor(&c, 20));
  }
}

TEST_F(Link, RequestsBeforeRegistrationAreRefusedWithStatusOne) {
  RawClient c;
  Connect(&c);
  Bytes r = Ask(&c, Message(IPC_KIND_NEW_PID, 4));
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_NEW_PID);
  EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_BUSY);
  // and a second registration of one process is refused
  ASSERT_EQ(IpcGet16(Register(&c), 2), 0);
  EXPECT_EQ(IpcGet16(Register(&c), 2), 8);
}

TEST_F(Link, DisconnectIsAnsweredWithAZeroLengthFrameThenTheLinkCloses) {
  RawClient c;
  ConnectRegistered(&c);
  ASSERT_TRUE(RawSend(&c, Bytes{0, 0, 0, 0}));
  Bytes r = {1};
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_TRUE(r.empty());
  EXPECT_TRUE(RawWaitClosed(&c));
  ASSERT_TRUE(VmdWaitEnded(server_, 1, kWaitMs));
  VmdStats st = VmdGetStats(server_);
  EXPECT_EQ(st.accepted, 1u);
  EXPECT_EQ(st.closed, 1u);
  EXPECT_EQ(st.lost, 0u);
  EXPECT_TRUE(st.apps.empty());
}

TEST_F(Link, RegistrationReplyOverrides) {
  struct Case {
    const char* what;
    void (*set)(VmdBehaviour*);
    size_t length;
    uint16_t status;
    uint8_t minor;
    uint8_t mac_len;
  } cases[] = {
      {"status", [](VmdBehaviour* b) { VmdRule(b, IPC_KIND_REGISTER).status = 6; }, 28, 6, 2, 6},
      {"version 6.1",
       [](VmdBehaviour* b) {
         b->reg_version_override = true;
         b->reg_version[1] = 1;
       },
       28, 0, 1, 6},
      {"27 bytes", [](VmdBehaviour* b) { b->reg_length = 27; }, 27, 0, 2, 6},
      {"MAC length 0", [](VmdBehaviour* b) { b->reg_mac_len = 0; }, 28, 0, 2, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    VmdBehaviour b{};
    k.set(&b);
    VmdSetBehaviour(server_, b);
    RawClient c;
    Connect(&c);
    Bytes r = Register(&c);
    ASSERT_EQ(r.size(), k.length);
    EXPECT_EQ(IpcGet16(r, 2), k.status);
    EXPECT_EQ(r[5], k.minor);
    EXPECT_EQ(r[16], k.mac_len);
    if (k.mac_len == 0) {
      EXPECT_EQ(r[17], 0) << "MAC bytes past the length are cleared";
    }
  }
}

TEST_F(Link, AcknowledgementStatusDelayAndWithholding) {
  RawClient c;
  ConnectRegistered(&c);
  VmdBehaviour b = VmdGetBehaviour(server_);
  VmdRule(&b, IPC_KIND_SET_VALUE_ALL).status = 264;
  VmdRule(&b, IPC_KIND_GET_VALUE_ALL).delay_ms = 150;
  VmdRule(&b, IPC_KIND_NEW_PID).withhold = true;
  VmdSetBehaviour(server_, b);

  Bytes r;
  ASSERT_TRUE(RawSendFrame(&c, Message(IPC_KIND_SET_VALUE_ALL, 6)));
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(IpcGet16(r, 2), 264);

  // The delayed reply lets a later one overtake it.
  ASSERT_TRUE(
      RawSendFrames(&c, {Message(IPC_KIND_GET_VALUE_ALL, 4), Message(IPC_KIND_SET_PARAMS, 32)}));
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_SET_PARAMS);
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_GET_VALUE_ALL);

  ASSERT_TRUE(RawSendFrame(&c, Message(IPC_KIND_NEW_PID, 4)));
  EXPECT_TRUE(RawQuietFor(&c, 100));
  ASSERT_TRUE(VmdReleaseWithheld(server_, 0));
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_NEW_PID);
  EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
}

TEST_F(Link, ByteAtATimeDeliveryStillGivesWholeFrames) {
  VmdBehaviour b{};
  b.byte_at_a_time = true;
  VmdSetBehaviour(server_, b);
  RawClient c;
  Connect(&c);
  Bytes r = Register(&c);
  ASSERT_EQ(r.size(), 28u);
  VmdStats st;
  EXPECT_TRUE(WaitUntil([&] {
    st = VmdGetStats(server_);
    return st.apps.size() == 1 && st.apps[0].buffers_written == 1;
  }));
  ASSERT_EQ(st.apps.size(), 1u);
  EXPECT_EQ(st.apps[0].bytes_written, 32u);
  EXPECT_EQ(st.apps[0].calls_written, 32u);
  EXPECT_EQ(st.apps[0].buffers_written, 1u);
}

TEST_F(Link, IgnoredDisconnectLeavesTheLinkOpen) {
  VmdBehaviour b{};
  b.ignore_disconnect = true;
  VmdSetBehaviour(server_, b);
  RawClient c;
  ConnectRegistered(&c);
  ASSERT_TRUE(RawSend(&c, Bytes{0, 0, 0, 0}));
  EXPECT_TRUE(RawQuietFor(&c, 100));
  EXPECT_TRUE(Answers(&c));
}

TEST_F(Link, DroppedConnectionIsCountedLost) {
  RawClient c;
  ConnectRegistered(&c);
  ASSERT_TRUE(VmdDrop(server_, 0));
  EXPECT_TRUE(RawWaitClosed(&c));
  ASSERT_TRUE(VmdWaitEnded(server_, 1, kWaitMs));
  VmdStats st = VmdGetStats(server_);
  EXPECT_EQ(st.lost, 1u);
  EXPECT_EQ(st.closed, 0u);
  EXPECT_FALSE(VmdDrop(server_, 1));
}

TEST_F(Link, TestsCanSendAnyFrameOrRawBytes) {
  RawClient c;
  ConnectRegistered(&c);
  ASSERT_TRUE(VmdSendFrame(server_, 0, {}));  // an unasked zero-length frame
  const Bytes raw = {5, 0, 0, 0, 0xAA, 0xBB};
  ASSERT_TRUE(VmdSendRaw(server_, 0, raw));
  ASSERT_TRUE(VmdSendRaw(server_, 0, Bytes{0xCC, 0xDD, 0xEE}));
  Bytes r = {1};
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_TRUE(r.empty());
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(r, (Bytes{0xAA, 0xBB, 0xCC, 0xDD, 0xEE}));
  EXPECT_FALSE(VmdSendFrame(server_, 9, {}));  // no such connection
}

TEST_F(Link, CountersFollowTheTraffic) {
  RawClient c;
  ConnectRegistered(&c);
  ASSERT_TRUE(Answers(&c));
  VmdStats st;
  EXPECT_TRUE(WaitUntil([&] {
    st = VmdGetStats(server_);
    return st.apps.size() == 1 && st.apps[0].buffers_written == 2;
  }));
  ASSERT_EQ(st.apps.size(), 1u);
  const VmdAppStats& a = st.apps[0];
  EXPECT_EQ(a.conn, 1u);
  EXPECT_EQ(a.user, 1u);
  EXPECT_EQ(a.bytes_read, 56u + 8u);
  EXPECT_EQ(a.buffers_read, 2u);
  EXPECT_GE(a.calls_read, 2u);
  EXPECT_EQ(a.bytes_written, 32u + 10u);
  EXPECT_EQ(a.buffers_written, 2u);
  EXPECT_EQ(a.calls_written, 2u);
  EXPECT_EQ(st.accepted, 1u);
  EXPECT_LE(st.start_time, time(nullptr));
  EXPECT_GT(st.start_time, 0);
}

TEST_F(Link, SocketLivesAsLongAsTheDaemon) {
  struct stat st;
  EXPECT_EQ(lstat(VmdSocketPath(server_).c_str(), &st), 0);
  VmdStop(server_);
  server_ = nullptr;
  EXPECT_NE(lstat((dir_ + "/velmora").c_str(), &st), 0);
}

TEST_F(Link, StopClosesEveryClientLink) {
  RawClient a, b;
  ConnectRegistered(&a);
  ConnectRegistered(&b);
  VmdStop(server_);
  server_ = nullptr;
  EXPECT_TRUE(RawWaitClosed(&a));
  EXPECT_TRUE(RawWaitClosed(&b));
}

}  // namespace
