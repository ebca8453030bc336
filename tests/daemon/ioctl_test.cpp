// Ioctls at the daemon (0x0807) and at the simulated devices (inside a
// ConfirmedPrivateTransfer): every request code answered from the state it
// reports, byte for byte, the changes a request makes, and the refusals.
#include <unistd.h>

#include <fstream>
#include <thread>

#include "runtime/ioctl/tag_stream.h"
#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* kSite = R"(
[daemon]
apdu_timeout = 0
ptp_term_time = 61
default_term_time = 62
ptp_safety_time = 1003
find_dnet_time = 1004
ptp_connect_time = 1005
connect_ack_time = 1006
router_busy_time = 1007
router_broadcast_period = 308
[port 1]
type = physical
protocol = bip
network = 1
nic = "eth0"
info = "i"
label = "Plant"
networks = 5
bbmd = yes
bdt = C0A80001BAC0 FFFFFFFF
bdt = C0A80003BAC0 FFFFFF00
fdt = C0A80002BAC0 3600
[port 2]
type = ptp
protocol = ptp
nic = "ttyS0"
networks = 9
[port 3]
type = physical
protocol = mstp
network = 3
[port 4]
type = physical
protocol = bip
network = 4
[device 10]
mac = 0a
answers_ioctls = yes
[device 11]
mac = 0b
refuse_private_transfer = error
[device 12]
mac = 0c
[device 50]
mac = c0:a8:05:01:ba:c0
network = 5
answers_ioctls = yes
)";

// ---- octets by the BACnet encoding rules -------------------------------------

// A tag octet with contents of `n` octets: the length in the tag, or after it.
Bytes Header(uint8_t tag, size_t n) {
  if (n < 5) return {uint8_t(tag | n)};
  return {uint8_t(tag | 5), uint8_t(n)};  // the answers here stay below 254
}

Bytes Integer(uint8_t tag, uint32_t v) {
  Bytes contents;
  for (int shift = 24; shift >= 0; shift -= 8)
    if ((v >> shift) != 0 || shift == 0) contents.push_back(uint8_t(v >> shift));
  return Cat({Header(tag, contents.size()), contents});
}

Bytes U(uint32_t v) { return Integer(0x20, v); }
Bytes E(uint32_t v) { return Integer(0x90, v); }
Bytes Text(const std::string& t) {
  return Cat({Header(0x70, t.size() + 1), {0x00}, Bytes(t.begin(), t.end())});
}
Bytes Octets(const Bytes& b) { return Cat({Header(0x60, b.size()), b}); }

// Vendor 555, service 0xFFFFFFFF, the opening tag [2].
const Bytes kFrame = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E};
Bytes Body(uint32_t code, const Bytes& inputs = {}) {
  return Cat({kFrame, E(code), inputs, {0x2F}});
}
Bytes Answer(const Bytes& values) { return Cat({kFrame, {0x91, 0x00}, values, {0x2F}}); }
Bytes Status(uint8_t status) { return Cat({kFrame, {0x91, status, 0x2F}}); }

// Ioctl statuses.
constexpr uint8_t kInvalidNumArg = 2, kInvalidAppId = 3, kInvalidPortId = 4, kInvalidPortType = 5,
                  kInvalidParam = 6, kNotSupported = 7, kTooBig = 13, kNotFound = 14;

// The values of an answer (after its frame and status), read with the
// ioctl codec: the unsigned and enumerated ones as numbers.
std::vector<uint32_t> Numbers(const Bytes& answer) {
  std::vector<uint32_t> out;
  TagCursor c{answer.data() + kFrame.size() + 2, uint32_t(answer.size() - kFrame.size() - 3)};
  while (c.remaining > 0) {
    uint32_t v = 0;
    if (!TagCursorReadU32(&c, TAG_UNSIGNED, &v) && !TagCursorReadU32(&c, TAG_ENUMERATED, &v)) {
      ADD_FAILURE() << "not a number at " << c.remaining << " from the end";
      break;
    }
    out.push_back(v);
  }
  return out;
}

std::string Comm() {
  std::ifstream f("/proc/self/comm");
  std::string name;
  std::getline(f, name);
  return name;
}

class Ioctl : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    VmdConfig config = BaseConfig();
    std::string error;
    ASSERT_TRUE(VmdSiteParse(&config.site, kSite, "ioctl.site", &error)) << error;
    before_ = time(nullptr);
    Start(config);
    Connect(&c_);
    Bytes r = Ask(&c_, RegistrationRequest(/*port_id=*/7, /*srv_pool=*/4, /*max_pids=*/3));
    ASSERT_EQ(r.size(), 28u);
    ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    user_ = IpcGet32(r, 24);
  }

  // The daemon's answer to a local ioctl.
  Bytes Local(const Bytes& body, RawClient* c = nullptr) {
    Bytes r = Ask(c ? c : &c_, Message(IPC_KIND_IOCTL, 0, body));
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_IOCTL);
    EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    EXPECT_EQ(r.size(), 68 + IpcGet32(r, 64));
    return r.size() >= 68 ? Bytes(r.begin() + 68, r.end()) : Bytes{};
  }

  // A ConfirmedPrivateTransfer to `to`: the confirmation's outcome and data.
  Bytes Remote(const LinkAddress& to, const Bytes& body, uint16_t* outcome) {
    ++id_;
    Bytes r = Ask(&c_, Confirmed(18, to, body, 3, id_));
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONF_REQUEST);
    EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    EXPECT_EQ(RawReadFrame(&c_, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
    EXPECT_EQ(IpcGet32(r, 8), id_);
    *outcome = IpcGet16(r, 12);
    return r.size() >= 68 ? Bytes(r.begin() + 68, r.end()) : Bytes{};
  }
  Bytes RemoteOk(const LinkAddress& to, const Bytes& body) {
    uint16_t outcome = 0xFFFF;
    Bytes a = Remote(to, body, &outcome);
    EXPECT_EQ(outcome, IPC_OUTCOME_OK);
    return a;
  }

  RawClient c_;
  uint32_t user_ = 0;
  uint32_t id_ = 0;
  time_t before_ = 0;
};

TEST_F(Ioctl, DaemonInfoNamesTheVersionTheBuildTheStartAndTheConnection) {
  Bytes a = Local(Body(0));
  std::string ipc =
      VmdSocketPath(server_) + ", tcp:127.0.0.1:" + std::to_string(VmdTcpPort(server_));
  Bytes want = Answer(Cat({U(6), U(2), Text("6.2.4"), Text("velmorad, compiler " __VERSION__),
                           U(uint32_t(VmdGetStats(server_).start_time)), Text(ipc)}));
  EXPECT_EQ(a, want);
  EXPECT_GE(VmdGetStats(server_).start_time, before_);
}

TEST_F(Ioctl, DaemonStatusCountsItsThreadsAndMemory) {
  RawClient other;
  ConnectRegistered(&other);
  std::vector<uint32_t> v = Numbers(Local(Body(1)));
  ASSERT_EQ(v.size(), 3u);
  EXPECT_LE(v[0], 60u) << "uptime in seconds";
  EXPECT_EQ(v[1], 1u + 2 * 2) << "the acceptor and two threads per link";
  EXPECT_GT(v[2], 0u) << "kilobytes in use";
}

TEST_F(Ioctl, ApplicationsAreTheRegisteredLinks) {
  RawClient other, unregistered;
  ConnectRegistered(&other);
  Connect(&unregistered);
  EXPECT_EQ(Local(Body(10)), Answer(Cat({U(2), U(user_), U(user_ + 1)})));

  Bytes info = Local(Body(11, U(user_)));
  // The connect time lies in the test's run: take it from its place.
  const size_t at = kFrame.size() + 2 + 4;  // status, major and minor
  ASSERT_GT(info.size(), at + 5);
  ASSERT_EQ(info[at], 0x24);
  uint32_t connected =
      uint32_t(info[at + 1]) << 24 | info[at + 2] << 16 | info[at + 3] << 8 | info[at + 4];
  EXPECT_GE(connected, uint32_t(before_));
  EXPECT_LE(connected, uint32_t(time(nullptr)));
  const Bytes services = {0x85, 0x06, 0x00, 0x60, 0x00, 0x00, 0x3E, 0x00};  // 40 bits
  EXPECT_EQ(info,
            Answer(Cat({U(6), U(2), U(connected), Text(Comm()), U(7), services, U(8), U(4)})));

  EXPECT_EQ(Local(Body(11, U(user_ + 5))), Status(kInvalidAppId));
  EXPECT_EQ(Local(Body(11, U(0))), Status(kInvalidAppId));
  EXPECT_EQ(Local(Body(11)), Status(kInvalidNumArg));
  EXPECT_EQ(Local(Body(11, Cat({U(user_), U(1)}))), Status(kInvalidNumArg));
  EXPECT_EQ(Local(Body(11, E(user_))), Status(kInvalidParam));

  // An application that leaves is no longer listed.
  RawClose(&other);
  ASSERT_TRUE(VmdWaitEnded(server_, 2, kWaitMs));
  EXPECT_EQ(Local(Body(10)), Answer(Cat({U(1), U(user_)})));
  EXPECT_EQ(Local(Body(13, U(user_ + 1))), Status(kInvalidAppId));
}

TEST_F(Ioctl, ProcessIdentifiersOfAnApplication) {
  EXPECT_EQ(Local(Body(13, U(user_))), Answer(U(0)));
  for (uint32_t pid : {5u, 300u}) {
    Bytes m = Message(IPC_KIND_ADD_PID, 8);
    IpcPut32(m, 4, pid);
    ASSERT_EQ(IpcGet16(Ask(&c_, m), 2), IPC_DAEMON_OK);
  }
  EXPECT_EQ(Local(Body(13, U(user_))), Answer(Cat({U(2), U(5), U(300)})));
}

// The client and server sides of an application's traffic.
TEST_F(Ioctl, ApplicationStatisticsCountItsTraffic) {
  const Bytes read = {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4B};  // device 10's identifier
  Bytes r = Ask(&c_, Confirmed(12, Mac({0x0a}), read, 1, 1));
  ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(IpcGet16(r, 12), IPC_OUTCOME_OK);
  const uint32_t answered = IpcGet32(r, 64);
  r = Ask(&c_, Confirmed(12, Mac({0x0d}), read, 2, 2));  // no device: time-out at once
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(IpcGet16(r, 12), IPC_OUTCOME_NO_ANSWER);

  VmdIncoming rq = VmdIncomingDefaults(server_);
  rq.payload = {0x01, 0x02, 0x03};
  uint32_t index = 0, identifier = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, rq, &index, &identifier));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  Bytes ack = Message(IPC_KIND_SERVER_ACK, 0, Bytes{0x20, 0x00, 0x0C, 0x00, 0x00});
  IpcPut32(ack, 4, index);
  IpcPut32(ack, 8, identifier);
  ASSERT_EQ(IpcGet16(Ask(&c_, ack), 2), IPC_DAEMON_OK);
  ASSERT_TRUE(VmdSendUnconfirmed(server_, 0, rq));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);

  const uint32_t want[] = {
      answered, 2 * uint32_t(read.size()),
      2,        2,
      2,        0,
      0,        1,
      0,        0,
      0,  // client side
      6,        5,
      2,        1,
      1,        0,
      0,        0,
      0,        0,  // server side
  };
  Bytes values;
  for (uint32_t v : want)
    values = Cat({values, U(v)});
  EXPECT_EQ(Local(Body(12, U(user_))), Answer(values));
}

TEST_F(Ioctl, TsmStatusShowsTheTransactionsUnderWay) {
  VmdScriptRule never;
  never.no_answer = true;
  VmdScriptAdd(server_, never);
  Bytes r = Ask(&c_, Confirmed(12, Mac({0x0a}), {0x0C, 0x02, 0x00, 0x00, 0x0A, 0x19, 0x4B}));
  ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
  uint32_t index = 0, identifier = 0;
  ASSERT_TRUE(VmdSendConfirmed(server_, 0, VmdIncomingDefaults(server_), &index, &identifier));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  // Client pool 8, one awaiting its confirmation; server pool 4, one awaiting the response.
  EXPECT_EQ(Local(Body(14, U(user_))), Answer(Cat({U(8), U(7), U(0), U(0), U(1), U(0),  //
                                                   U(4), U(3), U(0), U(0), U(1), U(0)})));
}

TEST_F(Ioctl, IpcFiguresOfTheDaemonAndOfOneApplication) {
  RawClient leaves, breaks, other;
  ConnectRegistered(&leaves);
  Bytes bye;
  ASSERT_TRUE(RawSendFrame(&leaves, bye));
  ASSERT_TRUE(RawWaitClosed(&leaves));
  Connect(&breaks);
  ASSERT_TRUE(RawSendFrame(&breaks, Bytes{0x34, 0x12}));  // shorter than a kind and status
  ASSERT_TRUE(RawWaitClosed(&breaks));
  ASSERT_TRUE(VmdWaitEnded(server_, 2, kWaitMs));
  ASSERT_TRUE(VmdWaitEnded(server_, 3, kWaitMs));
  ConnectRegistered(&other);
  // Incoming, accepted, registered, closed, lost, disconnected by the daemon.
  EXPECT_EQ(Local(Body(5)), Answer(Cat({U(4), U(4), U(3), U(1), U(1), U(1)})));
  // Two applications; each link's read buffer, nothing waiting to be written.
  EXPECT_EQ(Local(Body(6)), Answer(Cat({U(256), U(2), U(2 * 4096), U(2)})));

  // Written before this answer, then read: bytes, frames and system calls.
  Bytes a = Local(Body(7, U(user_)));
  std::vector<uint32_t> n = Numbers(a);
  ASSERT_EQ(n.size(), 6u);
  EXPECT_EQ(a, Answer(Cat({U(n[0]), U(n[1]), U(n[2]), U(n[3]), U(n[4]), U(n[5])})));
  const uint64_t frame = 4 + 68 + a.size();
  EXPECT_TRUE(WaitUntil([&] {
    VmdStats st = VmdGetStats(server_);
    if (st.apps.empty() || st.apps[0].user != user_) return false;
    const VmdAppStats& me = st.apps[0];
    return me.bytes_written == n[0] + frame && me.bytes_read == n[1] &&
           me.buffers_written == n[2] + 1u && me.buffers_read == n[3] &&
           me.calls_written == n[4] + 1u && me.calls_read == n[5];
  })) << "the daemon's own counters, once the answer is written";
  EXPECT_EQ(Local(Body(7, U(99))), Status(kInvalidAppId));
}

TEST_F(Ioctl, PduPoolCountsTheDaemonsMessageBuffers) {
  // The registration reply was the only buffer so far; each answer is one more.
  EXPECT_EQ(Local(Body(2)), Answer(Cat({U(1), U(0)})));
  EXPECT_EQ(Local(Body(3)), Answer(Cat({U(1), U(1)})));
  EXPECT_EQ(Local(Body(2)), Answer(Cat({U(3), U(0)})));
}

// Replies that never left when the daemon stops hold buffers of its pool:
// they go with their link, not after the daemon (the sanitizers watch).
TEST_F(Ioctl, StoppingWithRepliesStillWaitingFreesTheirBuffersFirst) {
  VmdBehaviour b = VmdGetBehaviour(server_);
  VmdRule(&b, IPC_KIND_GET_VALUE_ALL).withhold = true;
  VmdRule(&b, IPC_KIND_NEW_PID).delay_ms = 60000;
  VmdSetBehaviour(server_, b);
  ASSERT_TRUE(RawSendFrame(&c_, Message(IPC_KIND_GET_VALUE_ALL, 4)));
  ASSERT_TRUE(RawSendFrame(&c_, Message(IPC_KIND_NEW_PID, 4)));
  // Read after the two: both replies wait, neither buffer is free.
  EXPECT_EQ(Local(Body(3)), Answer(Cat({U(2), U(0)})));
  VmdStop(server_);
  server_ = nullptr;
}

TEST_F(Ioctl, NetworkLayerTimeoutsAreTheSites) {
  EXPECT_EQ(Local(Body(72)),
            Answer(Cat({U(61), U(62), U(1003), U(1004), U(1005), U(1006), U(1007), U(308)})));
}

TEST_F(Ioctl, PortsTheirInformationNetworksAndStatus) {
  EXPECT_EQ(Local(Body(64)), Answer(Cat({U(4), U(1), U(2), U(3), U(4)})));
  struct Case {
    uint32_t port;
    Bytes info, nets, status;
  } cases[] = {
      {1, Cat({{0x11}, E(0), U(1), E(1), Text("eth0"), Text("i"), Text("Plant")}),
       Cat({U(2), U(1), U(5)}), E(3)},
      {2, Cat({{0x11}, E(2), U(0), E(2), Text("ttyS0"), Text(""), Text("")}), Cat({U(1), U(9)}),
       E(0)},
      {3, Cat({{0x11}, E(0), U(3), E(4), Text(""), Text(""), Text("")}), Cat({U(1), U(3)}), E(3)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.port);
    EXPECT_EQ(Local(Body(66, U(k.port))), Answer(k.info));
    EXPECT_EQ(Local(Body(65, U(k.port))), Answer(k.nets));
    EXPECT_EQ(Local(Body(69, U(k.port))), Answer(k.status));
  }
  for (uint32_t code : {65u, 66u, 68u, 69u, 256u, 259u}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(Local(Body(code, U(9))), Status(kInvalidPortId));
    EXPECT_EQ(Local(Body(code)), Status(kInvalidNumArg));
  }
}

TEST_F(Ioctl, ConnectAndDisconnectAPtpPort) {
  EXPECT_EQ(Local(Body(70, Cat({U(2), U(20)}))), Status(0));
  EXPECT_EQ(Local(Body(69, U(2))), Answer(E(2)));
  EXPECT_TRUE(
      VmdWaitLog(server_, "(NL_PORT_CONNECT) answered with status 0: port 2 connected", kWaitMs));
  EXPECT_EQ(Local(Body(71, U(2))), Status(0));
  EXPECT_EQ(Local(Body(69, U(2))), Answer(E(0)));
  EXPECT_EQ(Local(Body(70, Cat({U(1), U(20)}))), Status(kInvalidPortType));
  EXPECT_EQ(Local(Body(71, U(3))), Status(kInvalidPortType));
  EXPECT_EQ(Local(Body(69, U(1))), Answer(E(3)));
  EXPECT_EQ(Local(Body(70, U(2))), Status(kInvalidNumArg)) << "no time-out";
  EXPECT_EQ(Local(Body(70, Cat({U(9), U(20)}))), Status(kInvalidPortId));
}

TEST_F(Ioctl, PacketCountsOfThePortsFollowTheTraffic) {
  EXPECT_EQ(Local(Body(68, U(1))), Answer(Cat({U(0), U(0)})));
  // A read of device 50 (network 5, through port 1) and its answer.
  Bytes r = Ask(&c_, Confirmed(12, Mac({0xc0, 0xa8, 0x05, 0x01, 0xba, 0xc0}, 5),
                               {0x0C, 0x02, 0x00, 0x00, 0x32, 0x19, 0x4B}));
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  ASSERT_EQ(IpcGet16(r, 12), IPC_OUTCOME_OK);
  EXPECT_EQ(Local(Body(68, U(1))), Answer(Cat({U(1), U(1)})));
  // A global Who-Is: one packet out of port 1, an I-Am back from each device.
  ASSERT_TRUE(RawSendFrame(&c_, Unconfirmed(8, Mac({}, 0xFFFF), {})));
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);  // the acknowledgement and four I-Ams
  EXPECT_EQ(Local(Body(68, U(1))), Answer(Cat({U(5), U(2)})));
  EXPECT_EQ(Local(Body(68, U(2))), Answer(Cat({U(0), U(0)})));
}

TEST_F(Ioctl, BroadcastDistributionTableReadWrittenAndSent) {
  const Bytes first = {0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF};
  const Bytes second = {0xC0, 0xA8, 0x00, 0x03, 0xBA, 0xC0, 0xFF, 0xFF, 0xFF, 0x00};
  const Bytes written = {0x0A, 0x00, 0x00, 0x07, 0xBA, 0xC1, 0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(Local(Body(256, U(1))), Answer(Cat({U(2), Octets(first), Octets(second)})));

  EXPECT_EQ(Local(Body(257, Cat({U(1), Octets(written)}))), Status(0));
  EXPECT_EQ(Local(Body(256, U(1))), Answer(Cat({U(1), Octets(written)})));
  EXPECT_TRUE(VmdWaitLog(server_, "BDT of port 1 written: 1 entries", kWaitMs));

  EXPECT_EQ(Local(Body(258, U(1))), Status(0));
  EXPECT_TRUE(
      VmdWaitLog(server_, "BDT of 1 entries (the port's) sent from port 1 to 1 BBMDs", kWaitMs));
  const Bytes mac = {0xC0, 0xA8, 0x00, 0x09, 0xBA, 0xC0};
  EXPECT_EQ(Local(Body(258, Cat({U(1), Octets(mac), U(2), Octets(first), Octets(second)}))),
            Status(0));
  EXPECT_TRUE(
      VmdWaitLog(server_, "BDT of 2 entries (given) sent from port 1 to C0A80009BAC0", kWaitMs));
  EXPECT_EQ(Local(Body(68, U(1))), Answer(Cat({U(0), U(2)}))) << "two packets sent";
  // The table is kept as written.
  EXPECT_EQ(Local(Body(256, U(1))), Answer(Cat({U(1), Octets(written)})));

  struct Case {
    const char* what;
    uint32_t code;
    Bytes inputs;
    uint8_t status;
  } cases[] = {
      {"an entry of 9 octets", 257, Cat({U(1), Octets(Bytes(9, 1))}), kInvalidParam},
      {"an unsigned for an entry", 257, Cat({U(1), U(5)}), kInvalidParam},
      {"more entries than the table holds", 257,
       Cat({U(1),
            [&] {
              Bytes all;
              for (int i = 0; i < 129; ++i)
                all = Cat({all, Octets(written)});
              return all;
            }()}),
       kTooBig},
      {"fewer entries than counted", 258, Cat({U(1), U(2), Octets(first)}), kInvalidNumArg},
      {"more entries than counted", 258, Cat({U(1), U(1), Octets(first), Octets(second)}),
       kInvalidNumArg},
      {"an MS/TP port", 256, U(3), kInvalidPortType},
      {"a PTP port", 257, U(2), kInvalidPortType},
      {"a B/IP port that is no BBMD", 256, U(4), kNotFound},
      {"its FDT", 259, U(4), kNotFound},
      {"writing its BDT", 257, Cat({U(4), Octets(written)}), kNotFound},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Local(Body(k.code, k.inputs)), Status(k.status));
  }
  EXPECT_EQ(Local(Body(256, U(1))), Answer(Cat({U(1), Octets(written)})))
      << "a refused write changes nothing";
  EXPECT_EQ(Local(Body(257, U(1))), Status(0)) << "no entries empties the table";
  EXPECT_EQ(Local(Body(256, U(1))), Answer(U(0)));
}

// The foreign device's remaining time counts down from its time to live
// (an hour here, so that it cannot start over during the test) and the 30
// seconds of grace.
TEST_F(Ioctl, ForeignDeviceTableCountsDown) {
  auto remaining = [&] {
    Bytes a = Local(Body(259, U(1)));
    const size_t at = kFrame.size() + 2 + 2 + 2 + 8;  // status, count, octet string header
    if (a.size() < at + 3) {
      ADD_FAILURE() << "short answer";
      return 0u;
    }
    unsigned left = a[at] << 8 | a[at + 1];
    EXPECT_EQ(a, Answer(Cat({U(1), Octets({0xC0, 0xA8, 0x00, 0x02, 0xBA, 0xC0, 0x0E, 0x10,
                                           uint8_t(left >> 8), uint8_t(left)})})));
    return left;
  };
  unsigned first = remaining();
  EXPECT_LE(first, 3600u + 30);
  EXPECT_GT(first, 3600u);
  // Only real time makes the count fall: past a second it has, however loaded the machine.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_LT(remaining(), first);
}

TEST(FdtRemaining, StartsOverEachTimeToLive) {
  struct Case {
    uint16_t ttl;
    uint64_t seconds;
    uint16_t left;
  } cases[] = {{60, 0, 90},       {60, 59, 31},      {60, 60, 90}, {60, 61, 89},
               {65535, 0, 65535}, {65530, 1, 65534}, {1, 7, 31}};
  for (const Case& k : cases) {
    VmdFdtEntry e{{}, k.ttl};
    EXPECT_EQ(VmdFdtRemaining(e, k.seconds), k.left) << k.ttl << " " << k.seconds;
  }
}

TEST_F(Ioctl, WhatIsNoRequestOfAKnownCode) {
  struct Case {
    const char* what;
    Bytes body;
    Bytes answer;
  } cases[] = {
      {"an unknown code", Body(4), Status(kNotSupported)},
      {"an unknown code of two octets", Body(300, U(1)), Status(kNotSupported)},
      {"an empty block", Cat({kFrame, {0x2F}}), Status(kInvalidNumArg)},
      {"a code that is no enumerated value", Cat({kFrame, U(10), {0x2F}}), Status(kInvalidParam)},
      {"an input where none is taken", Body(10, U(1)), Status(kInvalidNumArg)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Local(k.body), k.answer);
  }
}

// A device that answers ioctls is a node of its own.
TEST_F(Ioctl, ADeviceAnswersIoctlsWithItsOwnValues) {
  const LinkAddress ten = Mac({0x0a});
  EXPECT_EQ(RemoteOk(ten, Body(0)),
            Answer(Cat({U(6), U(2), Text("6.2.4"), Text("velmorad simulated device 10"),
                        U(uint32_t(VmdGetStats(server_).start_time)), Text("")})));
  EXPECT_EQ(RemoteOk(ten, Body(10)), Answer(U(0))) << "no applications";
  EXPECT_EQ(RemoteOk(ten, Body(11, U(user_))), Status(kInvalidAppId));
  EXPECT_EQ(RemoteOk(ten, Body(5)), Answer(Cat({U(0), U(0), U(0), U(0), U(0), U(0)})));
  EXPECT_EQ(RemoteOk(ten, Body(72)),
            Answer(Cat({U(61), U(62), U(1003), U(1004), U(1005), U(1006), U(1007), U(308)})));
  EXPECT_EQ(RemoteOk(ten, Body(64)), Answer(Cat({U(1), U(1)})));
  // One MS/TP port on the local network (port 1's network 1).
  EXPECT_EQ(RemoteOk(ten, Body(66, U(1))),
            Answer(Cat({{0x11}, E(0), U(1), E(4), Text(""), Text("0A"), Text("device 10")})));
  EXPECT_EQ(RemoteOk(ten, Body(69, U(1))), Answer(E(3)));
  EXPECT_EQ(RemoteOk(ten, Body(256, U(1))), Status(kInvalidPortType));
  EXPECT_EQ(RemoteOk(ten, Body(70, Cat({U(1), U(20)}))), Status(kInvalidPortType));
  // Ten requests reached it before this one, and it answered each.
  EXPECT_EQ(RemoteOk(ten, Body(68, U(1))), Answer(Cat({U(11), U(10)})));
  EXPECT_EQ(RemoteOk(ten, Body(4)), Status(kNotSupported));

  const LinkAddress fifty = Mac({0xc0, 0xa8, 0x05, 0x01, 0xba, 0xc0}, 5);
  EXPECT_EQ(
      RemoteOk(fifty, Body(66, U(1))),
      Answer(Cat({{0x11}, E(0), U(5), E(1), Text(""), Text("C0A80501BAC0"), Text("device 50")})));
}

TEST_F(Ioctl, DevicesThatDoNotServeIoctlsRefuseThem) {
  uint16_t outcome = 0;
  // ConfirmedPrivateTransfer-Error: services, optional functionality not
  // supported; vendor 555 and the service number echoed.
  EXPECT_EQ(
      Remote(Mac({0x0b}), Body(0), &outcome),
      (Bytes{0x0E, 0x91, 0x05, 0x91, 0x2D, 0x0F, 0x1A, 0x02, 0x2B, 0x2C, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(outcome, IPC_OUTCOME_ERROR);
  EXPECT_EQ(Remote(Mac({0x0c}), Body(0), &outcome), Bytes{9}) << "unrecognized service";
  EXPECT_EQ(outcome, IPC_OUTCOME_REJECT);
  // A transfer of another vendor is no ioctl, even for a device that serves them.
  const Bytes other = {0x09, 0x2A, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x00, 0x2F};
  EXPECT_EQ(Remote(Mac({0x0a}), other, &outcome), Bytes{9});
  EXPECT_EQ(outcome, IPC_OUTCOME_REJECT);
  // An input with a context tag is rejected as an invalid data type.
  EXPECT_EQ(Remote(Mac({0x0a}), Body(11, {0x09, 0x01}), &outcome), Bytes{3});
  EXPECT_EQ(outcome, IPC_OUTCOME_REJECT);

  // The switches change while the daemon runs.
  VmdDeviceSwitches sw{};
  ASSERT_TRUE(VmdGetDeviceSwitches(server_, 12, &sw));
  EXPECT_FALSE(sw.answers_ioctls);
  EXPECT_EQ(sw.refusal, VmdTransferRefusal::Reject);
  sw.answers_ioctls = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 12, sw));
  EXPECT_EQ(RemoteOk(Mac({0x0c}), Body(10)), Answer(U(0)));
}

// Devices scripted to answer private transfers as no node of this stack
// does: as a device of another vendor, with an acknowledgement of its own
// (its vendor identifier, service number 1 and a result block), or with an
// ioctl answer whose block holds a context-tagged value.
TEST_F(Ioctl, ScriptedDevicesAnswerAsAForeignOrABrokenOne) {
  const LinkAddress twelve = Mac({0x0c});
  const Bytes other = {0x09, 0x2A, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x00, 0x2F};
  VmdDeviceSwitches sw{};
  ASSERT_TRUE(VmdGetDeviceSwitches(server_, 12, &sw));
  EXPECT_FALSE(sw.foreign_private_transfer_ack);
  EXPECT_FALSE(sw.malformed_ioctl_answer);
  sw.foreign_private_transfer_ack = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 12, sw));
  const Bytes foreign = Cat({{0x09, 0x00, 0x19, 0x01, 0x2E}, E(0), Text("foreign"), {0x2F}});
  EXPECT_EQ(RemoteOk(twelve, Body(0)), foreign);
  EXPECT_EQ(RemoteOk(twelve, other), foreign);

  sw.foreign_private_transfer_ack = false;
  sw.malformed_ioctl_answer = true;
  ASSERT_TRUE(VmdSetDeviceSwitches(server_, 12, sw));
  EXPECT_EQ(RemoteOk(twelve, Body(0)), Cat({kFrame, {0x91, 0x00, 0x09, 0x01, 0x2F}}));
  uint16_t outcome = 0;
  EXPECT_EQ(Remote(twelve, other, &outcome), Bytes{9}) << "no ioctl: refused as before";
  EXPECT_EQ(outcome, IPC_OUTCOME_REJECT);

  // The site file's keys.
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteParse(&site,
                           "[device 1]\nmac = 01\nforeign_private_transfer_ack = yes\n"
                           "[device 2]\nmac = 02\nmalformed_ioctl_answer = yes\n",
                           "t", &error))
      << error;
  ASSERT_EQ(site.devices.size(), 2u);
  EXPECT_TRUE(site.devices[0].switches.foreign_private_transfer_ack);
  EXPECT_FALSE(site.devices[0].switches.malformed_ioctl_answer);
  EXPECT_FALSE(site.devices[1].switches.foreign_private_transfer_ack);
  EXPECT_TRUE(site.devices[1].switches.malformed_ioctl_answer);
  EXPECT_FALSE(
      VmdSiteParse(&site, "[device 1]\nmac = 01\nmalformed_ioctl_answer = 2\n", "t", &error));
  EXPECT_EQ(error, "t:3: bad malformed_ioctl_answer '2' (expected yes or no)");
}

}  // namespace
