// Bad clients: each gets a log line and loses its link; the daemon and its
// other clients go on.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(uint32_t length, const Bytes& message) {
  Bytes f(4);
  IpcPut32(f, 0, length);
  f.insert(f.end(), message.begin(), message.end());
  return f;
}

Bytes Framed(const Bytes& message) { return Frame(uint32_t(message.size()), message); }

Bytes WithByte(Bytes m, size_t at, uint8_t v) {
  m[at] = v;
  return m;
}

// Whether a thread of this process is blocked in a send, as the kernel
// tells: a blocking send waits only while the socket holds all it can.
bool AThreadWaitsInSend() {
  std::error_code ignored;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
    std::ifstream in(task.path() / "syscall");
    long number = -1;  // a running thread says "running"
    if (in >> number && number == SYS_sendto) return true;
  }
  return false;
}

class Robustness : public DaemonTest {};

TEST_F(Robustness, BadInputClosesOnlyThatClient) {
  const Bytes conf = Message(IPC_KIND_CONF_REQUEST, 0, Bytes{1, 2, 3});
  const Bytes reg = RegistrationRequest();
  Bytes conf_long = conf;
  conf_long.push_back(0);
  struct Case {
    const char* what;
    Bytes bytes;
    const char* log;
  } cases[] = {
      {"length with the top bit set", Frame(0x80000044u, Bytes(68)), "has the top bit set"},
      {"length above the cap", Frame(IPC_MAX_FRAME + 1, Bytes(16)), "longer than the limit"},
      {"largest length word", Frame(0x7FFFFFFFu, {}), "longer than the limit"},
      {"frame shorter than kind and status", Frame(3, Bytes{0, 8, 0}), "shorter than"},
      {"unknown kind", Framed(Message(0x1234, 4)), "unknown message kind 0x1234"},
      {"kind 0x0E01", Framed(Message(IPC_KIND_SERVER_INVALID, 12)), "unknown message kind 0x0E01"},
      {"daemon kind 0x0400", Framed(Message(IPC_KIND_CONFIRMATION, 0)),
       "unknown message kind 0x0400"},
      {"truncated registration", Framed(Bytes(reg.begin(), reg.end() - 1)),
       "kind 0x0800: length 51 where 52"},
      {"status set in a request", Framed(WithByte(Message(IPC_KIND_GET_VALUE_ALL, 4), 2, 1)),
       "with status 1"},
      {"payload length past the frame", Framed(WithByte(conf, 64, 4)), "does not match"},
      {"frame longer than 68 + P", Framed(conf_long), "does not match"},
      {"MAC length 8", Framed(WithByte(conf, 32, 8)), "MAC length 8"},
      {"MAC length 8 in a per-address value",
       Framed(WithByte(Message(IPC_KIND_SET_VALUE, 18), 8, 8)), "MAC length 8"},
      {"link ends inside a frame", Frame(52, Bytes(10)), "link ended inside a frame"},
  };
  RawClient good;
  ConnectRegistered(&good);
  uint64_t lost = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    RawClient bad;
    Connect(&bad);
    ASSERT_EQ(Register(&bad).size(), 28u);
    ASSERT_TRUE(RawSend(&bad, k.bytes));
    if (std::string(k.what) == "link ends inside a frame") shutdown(bad.fd, SHUT_WR);
    EXPECT_TRUE(RawWaitClosed(&bad));
    EXPECT_TRUE(VmdWaitLog(server_, k.log, kWaitMs));
    EXPECT_TRUE(VmdWaitEnded(server_, VmdGetStats(server_).accepted, kWaitMs));
    EXPECT_EQ(VmdGetStats(server_).lost, ++lost);
    // The other client is still served.
    ASSERT_TRUE(Answers(&good));
  }
}

// Random bytes, random frame lengths and random kinds on many links: the
// daemon neither crashes nor stops answering (the sanitizer builds make
// this a memory check too).
TEST_F(Robustness, GarbageNeverHurtsTheDaemon) {
  std::mt19937 rng(20261210);
  for (int round = 0; round < 150; ++round) {
    RawClient c;
    Connect(&c);
    Bytes junk(rng() % 200);
    for (uint8_t& b : junk)
      b = uint8_t(rng());
    if (round % 3 == 0 && junk.size() >= 8) {
      // a plausible frame head: a small length and a known kind
      IpcPut32(junk, 0, uint32_t(junk.size() - 4 - rng() % 3));
      IpcPut16(junk, 4, kVmdClientKinds[rng() % kVmdClientKindCount]);
      junk[6] = junk[7] = 0;
    }
    ASSERT_TRUE(RawSend(&c, junk) || junk.empty());
    RawClose(&c);
  }
  RawClient good;
  ConnectRegistered(&good);
  EXPECT_TRUE(Answers(&good));
}

TEST_F(Robustness, ManyFramesInOneWriteAndOneFrameInManyWrites) {
  RawClient c;
  ConnectRegistered(&c);
  Bytes burst;
  for (int i = 0; i < 50; ++i) {
    Bytes f = Framed(Message(IPC_KIND_GET_VALUE_ALL, 4));
    burst.insert(burst.end(), f.begin(), f.end());
  }
  ASSERT_TRUE(RawSend(&c, burst));
  Bytes r;
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(RawReadFrame(&c, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_GET_VALUE_ALL);
  }
  // A large frame, written one byte at a time.
  Bytes big = Framed(Message(IPC_KIND_UNCONF_REQUEST, 0, Bytes(5000, 0x55)));
  for (uint8_t b : big)
    ASSERT_TRUE(RawSend(&c, Bytes{b}));
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_REQUEST);
  EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
}

}  // namespace

namespace {

// A client that sends without reading: the daemon stops reading it once its
// replies pile up, and loses none of them.
TEST_F(Robustness, AClientThatDoesNotReadIsHeldBackNotBuffered) {
  VmdSetIoctlHandler(server_, [](uint32_t, std::span<const uint8_t>, Bytes* answer) {
    answer->assign(256 * 1024, 0x5A);
    return uint16_t(0);
  });
  RawClient c;
  ConnectRegistered(&c);
  constexpr int kRequests = 64;  // 16 MB of replies
  Bytes burst;
  for (int i = 0; i < kRequests; ++i) {
    Bytes f = Framed(Message(IPC_KIND_IOCTL, 0, Bytes{uint8_t(i)}));
    burst.insert(burst.end(), f.begin(), f.end());
  }
  ASSERT_TRUE(RawSend(&c, burst));
  auto handled = [&] {
    size_t n = 0;
    for (const VmdFrame& f : VmdFrames(server_))
      n += f.inbound && f.kind == IPC_KIND_IOCTL;
    return n;
  };
  EXPECT_FALSE(WaitUntil([&] { return handled() == kRequests; }, std::chrono::milliseconds(300)));
  EXPECT_LT(handled(), size_t(kRequests));
  Bytes r;
  for (int i = 0; i < kRequests; ++i) {
    ASSERT_EQ(RawReadFrame(&c, &r), 1) << i;
    ASSERT_EQ(r.size(), 68u + 256 * 1024);
  }
}

// Stopping the daemon ends a link whose client never reads, on either
// transport, while its replies are stuck in a full socket.
TEST_F(Robustness, StopEndsALinkWhoseClientNeverReads) {
  for (bool tcp : {false, true}) {
    SCOPED_TRACE(tcp ? "tcp" : "unix");
    Start(BaseConfig());
    VmdSetIoctlHandler(server_, [](uint32_t, std::span<const uint8_t>, Bytes* answer) {
      answer->assign(256 * 1024, 0x5A);
      return uint16_t(0);
    });
    RawClient c;
    if (tcp)
      ASSERT_TRUE(RawConnectTcp(&c, VmdTcpPort(server_)));
    else
      Connect(&c);
    ASSERT_EQ(Register(&c).size(), 28u);
    Bytes burst;
    for (int i = 0; i < 64; ++i) {
      Bytes f = Framed(Message(IPC_KIND_IOCTL, 0, Bytes{uint8_t(i)}));
      burst.insert(burst.end(), f.begin(), f.end());
    }
    ASSERT_TRUE(RawSend(&c, burst));
    // Replies are stuck once the daemon's writer waits in its send.
    ASSERT_TRUE(WaitUntil([&] {
      VmdStats st = VmdGetStats(server_);
      return st.apps.size() == 1 && st.apps[0].bytes_written != 0 && AThreadWaitsInSend();
    }));
    RunWithDeadline(kTestWait, [&] { VmdStop(server_); });
    server_ = nullptr;
    EXPECT_TRUE(RawWaitClosed(&c));
  }
}

}  // namespace

namespace {

// Links coming and going while the hooks poke at them from another thread:
// every link is counted once as closed or lost, and the daemon still serves.
TEST_F(Robustness, HooksRaceWithLinksComingAndGoing) {
  std::atomic<bool> done{false};
  std::vector<std::thread> clients;
  for (int t = 0; t < 4; ++t) {
    clients.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        RawClient c;
        if (!RawConnectUnix(&c, VmdSocketPath(server_))) continue;
        if (Register(&c).size() != 28) continue;
        RawSendFrame(&c, Message(IPC_KIND_UNCONF_REQUEST, 0, Bytes{uint8_t(i)}));
        Bytes r;
        RawReadFrame(&c, &r, 500);
        if ((i + t) % 3) {
          RawSend(&c, Bytes{0, 0, 0, 0});
          RawWaitClosed(&c, 500);
        }
      }
    });
  }
  std::thread poker([&] {
    uint32_t n = 0;
    while (!done.load()) {
      VmdIncoming rq = VmdIncomingDefaults(server_);
      uint32_t index, id;
      VmdSendConfirmed(server_, 0, rq, &index, &id);
      VmdSendFrame(server_, 0, Message(IPC_KIND_UNCONF_INDICATION, 0));
      VmdGetStats(server_);
      VmdFrames(server_);
      VmdBehaviour b{};
      b.byte_at_a_time = (++n % 7) == 0;
      VmdSetBehaviour(server_, b);
      if (n % 11 == 0) VmdDrop(server_, 0);
      std::this_thread::yield();
    }
  });
  for (auto& th : clients)
    th.join();
  done = true;
  poker.join();
  VmdSetBehaviour(server_, VmdBehaviour{});
  uint32_t accepted = uint32_t(VmdGetStats(server_).accepted);
  for (uint32_t id = 1; id <= accepted; ++id)
    ASSERT_TRUE(VmdWaitEnded(server_, id, kWaitMs)) << id;
  VmdStats st = VmdGetStats(server_);
  EXPECT_EQ(st.accepted, st.closed + st.lost);
  EXPECT_TRUE(st.apps.empty());
  RawClient good;
  ConnectRegistered(&good);
}

}  // namespace

namespace {

// A client's frames may be as large as its registered segments of the
// site's APDU make a message, and no larger; before registration as large
// as an ioctl body.
TEST_F(Robustness, FrameCapFollowsTheRegisteredSegments) {
  struct Case {
    const char* what;
    uint32_t segments;  // registered Max_Seg_Accepted; 0: not registered
    size_t payload;
    bool served;
  } cases[] = {
      {"1000 segments: a 1.1 MB request", 1000, 1100000, true},
      {"1000 segments: one above 1476000 bytes", 1000, 1476000 + 1, false},
      {"32 segments: one above an ioctl body", 32, IPC_MAX_PAYLOAD + 1, false},
      {"unregistered: an ioctl body", 0, IPC_MAX_PAYLOAD, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    RawClient c;
    Connect(&c);
    if (k.segments) {
      Bytes reg = RegistrationRequest();
      IpcPut32(reg, 40, k.segments);
      ASSERT_EQ(Ask(&c, reg).size(), 28u);
    }
    // A frame above the cap ends the link at its length word, maybe before
    // the rest of it is written.
    bool sent = RawSendFrame(&c, Message(0x0D01, 0, Bytes(k.payload, 0x33)));
    if (k.served) {
      ASSERT_TRUE(sent);
      Bytes r;
      ASSERT_EQ(RawReadFrame(&c, &r), 1);
      EXPECT_EQ(IpcGet16(r, IPC_OFF_KIND), 0x0D01);
      EXPECT_EQ(IpcGet16(r, IPC_OFF_STATUS), k.segments ? 0 : 1);
      EXPECT_TRUE(Answers(&c));
    } else {
      EXPECT_TRUE(RawWaitClosed(&c));
      EXPECT_TRUE(VmdWaitLog(server_, "longer than the limit of", kWaitMs));
    }
  }
}

}  // namespace

namespace {

size_t LogCount(VmdServer* s, const std::string& fragment) {
  size_t n = 0;
  for (const std::string& l : VmdLogLines(s))
    n += l.find(fragment) != std::string::npos;
  return n;
}

// Connections that never register cannot lock others out: each is closed
// once the registration time is up, and a burst of refusals at the link
// cap is logged once.
TEST_F(Robustness, IdleLinksAreClosedAndTheCapIsLoggedOncePerBurst) {
  VmdConfig config = BaseConfig();
  config.register_wait_ms = 1500;
  config.max_links = 3;
  Start(config);
  RawClient registered;
  ConnectRegistered(&registered);
  RawClient idle[2], refused[3];
  for (RawClient& c : idle)
    Connect(&c);
  ASSERT_TRUE(VmdWaitAccepted(server_, 3, kWaitMs));
  for (RawClient& c : refused) {
    Connect(&c);
    EXPECT_TRUE(RawWaitClosed(&c));
  }
  EXPECT_EQ(LogCount(server_, "connection refused: 3 links are open"), 1u);
  for (RawClient& c : idle)
    EXPECT_TRUE(RawWaitClosed(&c));
  EXPECT_EQ(LogCount(server_, "not registered within 1500 ms"), 2u);
  // The registered link stays; a new client is served again.
  EXPECT_TRUE(Answers(&registered));
  RawClient late;
  ConnectRegistered(&late);
  EXPECT_TRUE(Answers(&late));
  EXPECT_EQ(LogCount(server_, "accepting again: 3 connections were refused"), 1u);
}

// The daemon listens with the longest queue the system gives (the kernel
// reports a TCP listener's backlog in tcpi_sacked), and a burst of clients
// connecting at once is served.
TEST_F(Robustness, ListensWithTheSystemBacklogAndServesABurst) {
  int somaxconn = 0;
  if (FILE* f = fopen("/proc/sys/net/core/somaxconn", "r")) {
    ASSERT_EQ(fscanf(f, "%d", &somaxconn), 1);
    fclose(f);
  }
  ASSERT_GT(somaxconn, 0);
  int listener = -1;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    int fd = std::stoi(e.path().filename().string());
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    int accepting = 0;
    socklen_t alen = sizeof accepting;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) == 0 && sa.sin_family == AF_INET &&
        ntohs(sa.sin_port) == VmdTcpPort(server_) &&
        getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &alen) == 0 && accepting)
      listener = fd;
  }
  ASSERT_GE(listener, 0);
  tcp_info info{};
  socklen_t ilen = sizeof info;
  ASSERT_EQ(getsockopt(listener, IPPROTO_TCP, TCP_INFO, &info, &ilen), 0);
  EXPECT_EQ(info.tcpi_sacked, uint32_t(somaxconn));

  constexpr int kClients = 100;
  std::vector<RawClient> clients(kClients);
  for (RawClient& c : clients)
    ASSERT_TRUE(RawConnectTcp(&c, VmdTcpPort(server_)));
  for (RawClient& c : clients)
    ASSERT_EQ(Register(&c).size(), 28u);
}

// The frame log is kept only when the configuration asks for it.
TEST_F(Robustness, FrameLogOnlyWhenAskedFor) {
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "kept" : "not kept");
    VmdConfig config = BaseConfig();
    config.frame_log = keep;
    Start(config);
    RawClient c;
    ConnectRegistered(&c);
    EXPECT_TRUE(Answers(&c));
    EXPECT_EQ(VmdFrames(server_).size(), keep ? 4u : 0u);
  }
}

}  // namespace
