#include "runtime/ipc/ipc_link.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/runtime/support/ipc_support.h"
#include "tests/support/debug_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// What the handler saw: a message's bytes, or a lost link.
struct Event {
  bool lost;
  IpcBytes data;
};

struct Recorder {
  std::mutex m;
  std::condition_variable cv;
  std::vector<Event> events;

  bool WaitFor(size_t n, std::chrono::milliseconds deadline) {
    std::unique_lock lock(m);
    return cv.wait_for(lock, deadline, [&] { return events.size() >= n; });
  }
  std::vector<Event> Take() {
    std::lock_guard lock(m);
    return events;
  }
};

Recorder* g_recorder = nullptr;

// Messages the handler keeps instead of freeing (when set).
std::vector<IpcMsg*>* g_kept = nullptr;

void RecordingHandler(IpcConnection*, IpcMsg* msg) {
  Event e{msg == nullptr, {}};
  std::lock_guard lock(g_recorder->m);
  if (msg != nullptr) {
    std::span<uint8_t> d = IpcMsgData(msg);
    e.data.assign(d.begin(), d.end());
    if (g_kept != nullptr)
      g_kept->push_back(msg);
    else
      IpcMsgFree(msg);
  }
  g_recorder->events.push_back(std::move(e));
  g_recorder->cv.notify_all();
}

class IpcLink : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_NE(OsaInit(), nullptr);
    baseRefs_ = OsaRefCount();
    baseThreads_ = OsaStatGet(OSA_STAT_THREADS);
    g_recorder = &recorder_;
    listener_ = std::make_unique<IpcTestListener>(GetParam());
    ASSERT_TRUE(listener_->ok());
  }
  void TearDown() override {
    if (peer_ >= 0) close(peer_);
    listener_.reset();
    IpcSetCloseWait(IPC_CLOSE_WAIT_MS);
    EXPECT_EQ(IpcMsgPoolGetStats().users, 0u);
    EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
    EXPECT_EQ(OsaRefCount(), baseRefs_);
    EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), baseThreads_);
    g_recorder = nullptr;
    OsaTerm();
  }

  void Connect() {
    RunWithDeadline(
        10s, [&] { conn_ = VelmoraIpcConnect(listener_->ConnName().c_str(), RecordingHandler); });
    ASSERT_NE(conn_, nullptr);
    peer_ = listener_->Accept(10s);
    ASSERT_GE(peer_, 0);
  }

  // Close, with the peer answering the disconnect frame (or not).
  void Close(bool answer) {
    std::thread daemon([&] {
      disconnect_ = IpcTestReadExactly(peer_, 4, 20s);
      if (answer) IpcTestWriteAll(peer_, IpcBytes{0, 0, 0, 0});
    });
    RunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
    conn_ = nullptr;
    daemon.join();
  }

  void Send(const IpcBytes& wire) { ASSERT_TRUE(IpcTestWriteAll(peer_, wire)); }

  Recorder recorder_;
  std::unique_ptr<IpcTestListener> listener_;
  IpcConnection* conn_ = nullptr;
  int peer_ = -1;
  IpcBytes disconnect_;
  uint32_t baseRefs_ = 0;
  uint32_t baseThreads_ = 0;
  DebugCapture log_;  // the layer logs to the debug output: no log file in tests
};

INSTANTIATE_TEST_SUITE_P(Transports, IpcLink, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tcp" : "Socket"; });

IpcBytes GoodIndication() {
  IpcBytes m = IpcTestMessage(IPC_KIND_UNCONF_INDICATION, 72, 4);
  m[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] = 6;
  m[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
  return m;
}

TEST_P(IpcLink, FramesReachTheHandlerCheckedAndInOrder) {
  Connect();
  IpcBytes conf = IpcTestMessage(IPC_KIND_CONF_INDICATION, 70, 2);  // byte 52 = 0, segmentation 1
  IpcPut16(conf, IPC_OFF_SEGMENTATION, 1);
  IpcBytes ack = IpcTestMessage(IPC_KIND_CONF_REQUEST, 12);
  IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 568, 500);
  IpcBytes wire = IpcWireFrame(conf);
  for (const IpcBytes& m : {ack, big, GoodIndication()}) {
    IpcBytes f = IpcWireFrame(m);
    wire.insert(wire.end(), f.begin(), f.end());
  }
  Send(wire);
  ASSERT_TRUE(recorder_.WaitFor(4, 10s));
  std::vector<Event> e = recorder_.Take();
  for (const Event& ev : e)
    EXPECT_FALSE(ev.lost);
  IpcPut16(conf, IPC_OFF_SEGMENTATION, 3);  // as the check leaves it
  EXPECT_EQ(e[0].data, conf);
  EXPECT_EQ(e[1].data, ack);
  EXPECT_EQ(e[2].data, big);
  EXPECT_EQ(e[3].data, GoodIndication());
  Close(true);
  EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
  EXPECT_EQ(recorder_.Take().size(), 4u);  // the answer to the disconnect is not news
}

TEST_P(IpcLink, ByteByByteThroughTheLink) {
  Connect();
  IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 300, 232);
  IpcBytes wire = IpcWireFrame(big);
  IpcBytes tail = IpcWireFrame(GoodIndication());
  wire.insert(wire.end(), tail.begin(), tail.end());
  ASSERT_TRUE(IpcTestWriteBytewise(peer_, wire, 30s));
  ASSERT_TRUE(recorder_.WaitFor(2, 10s));
  std::vector<Event> e = recorder_.Take();
  EXPECT_EQ(e[0].data, big);
  EXPECT_EQ(e[1].data, GoodIndication());
  Close(true);
}

struct BadCase {
  const char* what;
  IpcBytes wire;
  const char* logged;   // the error line, or "" for none
  bool hangUp = false;  // the daemon ends the stream after the bytes
};

constexpr char kBadLength[] = "VELMORA ERROR: IPC: PipeRead: Invalid data length\n";

std::vector<BadCase> BadCases() {
  auto macTooLong = GoodIndication();
  macTooLong[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 8;
  auto confLocalMac = IpcTestMessage(IPC_KIND_CONF_INDICATION, 68, 0);
  confLocalMac[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] = 8;
  IpcBytes topBit = {0x14, 0x00, 0x00, 0x80};
  IpcBytes tooLong(4);
  IpcPut32(tooLong, 0, IPC_MAX_FRAME + 1);
  return {
      {"length with the top bit set", topBit, kBadLength},
      {"length above the cap", tooLong, kBadLength},
      {"0x0400 longer than 68 + P", IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 72, 3)),
       kBadLength},
      {"0x0400 shorter than 68 + P", IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 72, 5)),
       kBadLength},
      {"0x0600 of 70 bytes", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_ABORTED, 70, 2)),
       kBadLength},
      {"0x0600 with P 0", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_ABORTED, 69, 0)), kBadLength},
      {"0x0701 remote MAC length 8", IpcWireFrame(macTooLong),
       "VELMORA ERROR: IPC: PipeRead: MAC address is to long\n"},
      {"0x0700 local MAC length 8", IpcWireFrame(confLocalMac),
       "VELMORA ERROR: IPC: PipeRead: MAC address is to long\n"},
      {"kind 0x0E01", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_INVALID, 12)),
       "VELMORA ERROR: IPC: PipeRead: Invalid Low request 3585\n"},
      {"unknown kind", IpcWireFrame(IpcTestMessage(0x0100, 12)),
       "VELMORA ERROR: IPC: PipeRead: Invalid Low request 256\n"},
      {"length 2", IpcBytes{2, 0, 0, 0, 1, 8}, kBadLength},
      {"unasked zero-length frame", IpcBytes{0, 0, 0, 0},
       "VELMORA ERROR: IPC: the daemon closed the link\n"},
      {"the daemon goes away", IpcBytes{}, "", true},
      {"the daemon goes away inside a frame", IpcBytes{100, 0, 0, 0, 1, 4}, "", true},
  };
}

TEST_P(IpcLink, EveryBrokenFrameEndsTheLinkWithOneNotice) {
  for (const BadCase& c : BadCases()) {
    SCOPED_TRACE(c.what);
    recorder_.events.clear();
    log_.Take();
    Connect();
    IpcBytes wire = IpcWireFrame(GoodIndication());
    wire.insert(wire.end(), c.wire.begin(), c.wire.end());
    // Whatever follows a broken frame is never read.
    IpcBytes after = IpcWireFrame(GoodIndication());
    if (!c.hangUp) wire.insert(wire.end(), after.begin(), after.end());
    Send(wire);
    if (c.hangUp) shutdown(peer_, SHUT_WR);
    ASSERT_TRUE(recorder_.WaitFor(2, 10s));
    EXPECT_EQ(log_.Take(), c.logged);
    Close(false);
    close(peer_);
    peer_ = -1;
    std::vector<Event> e = recorder_.Take();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_FALSE(e[0].lost);
    EXPECT_EQ(e[0].data, GoodIndication());
    EXPECT_TRUE(e[1].lost);
  }
}

TEST_P(IpcLink, WritesAreNormalisedFrames) {
  Connect();
  IpcMsg* m = IpcMsgAlloc(2);
  ASSERT_NE(m, nullptr);
  std::span<uint8_t> a = IpcMsgArea(m);
  IpcPut16(a, IPC_OFF_KIND, IPC_KIND_CONF_REQUEST);
  IpcPut16(a, IPC_OFF_STATUS, 9);
  IpcPut32(a, IPC_OFF_TSM_INDEX, 7);
  a[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
  a[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC + 3] = 0xEE;  // beyond the MAC length
  IpcPut16(a, IPC_OFF_SEGMENTATION, 3);
  IpcMsgSetPayloadLength(m, 2);
  IpcMsgGetPayload(m)[0] = 0x0C;
  IpcMsgGetPayload(m)[1] = 0x0D;
  ASSERT_TRUE(PipeWrite(conn_, m));
  IpcBytes got = IpcTestReadExactly(peer_, 74, 10s);
  ASSERT_EQ(got.size(), 74u);
  IpcBytes expected = IpcWireFrame(IpcTestMessage(IPC_KIND_CONF_REQUEST, 70, 2));
  IpcPut32(expected, 4 + IPC_OFF_TSM_INDEX, 7);
  expected[4 + IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
  IpcPut16(expected, 4 + IPC_OFF_SEGMENTATION, 3);
  expected[72] = 0x0C;
  expected[73] = 0x0D;
  EXPECT_EQ(got, expected);

  // A frame the daemon would refuse never goes out, and is consumed.
  IpcMsg* huge = IpcMsgAlloc(IPC_MAX_PAYLOAD + 1);
  ASSERT_NE(huge, nullptr);
  IpcMsgSetKind(huge, IPC_KIND_CONF_REQUEST);
  IpcMsgSetPayloadLength(huge, IPC_MAX_PAYLOAD + 1);
  IpcWriteError why = IpcWriteError::None;
  EXPECT_FALSE(PipeWrite(conn_, huge, &why));
  EXPECT_EQ(why, IpcWriteError::TooLong);
  // So is one that its own message cannot hold.
  IpcMsg* small = IpcMsgAlloc(4);
  ASSERT_NE(small, nullptr);
  IpcMsgSetKind(small, IPC_KIND_CONF_REQUEST);
  IpcMsgSetPayloadLength(small, 400);
  EXPECT_FALSE(PipeWrite(conn_, small, &why));
  EXPECT_EQ(why, IpcWriteError::Unframed);
  EXPECT_FALSE(PipeWrite(conn_, nullptr));
  Close(true);
}

// A write that fails on the wire ends the link: the peer will answer
// nothing more, so no one may be left waiting on a link that looks up.
TEST_P(IpcLink, WriteFailingOnTheWireEndsTheLink) {
  // Only a local socket refuses writes once its peer stops reading.
  if (GetParam()) GTEST_SKIP() << "TCP accepts writes after the peer's read shut-down";
  Connect();
  ASSERT_EQ(shutdown(peer_, SHUT_RD), 0);
  IpcMsg* m = IpcMsgAlloc(2);
  ASSERT_NE(m, nullptr);
  IpcMsgSetKind(m, IPC_KIND_CONF_REQUEST);
  IpcMsgSetPayloadLength(m, 2);
  IpcWriteError why = IpcWriteError::None;
  EXPECT_FALSE(PipeWrite(conn_, m, &why));
  EXPECT_EQ(why, IpcWriteError::Failed);
  ASSERT_TRUE(recorder_.WaitFor(1, 10s));
  std::vector<Event> e = recorder_.Take();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_TRUE(e[0].lost);
  RunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
  conn_ = nullptr;
}

// The owner sets the caps from its limits; a read cap raised while the
// reader waits for the next frame already counts for that frame.
TEST_P(IpcLink, FrameCapsAreTheOwners) {
  Connect();
  constexpr uint32_t kPayload = IPC_MAX_PAYLOAD + 100;
  IpcConnectionSetFrameCaps(conn_, IPC_MAX_FRAME, IPC_PAYLOAD_OFFSET + kPayload);
  IpcMsg* m = IpcMsgAlloc(kPayload);
  ASSERT_NE(m, nullptr);
  IpcMsgSetKind(m, IPC_KIND_UNCONF_REQUEST);
  IpcMsgSetPayloadLength(m, kPayload);
  IpcWriteError why = IpcWriteError::Failed;
  std::thread daemon([&] { disconnect_ = IpcTestReadExactly(peer_, 4 + 68 + kPayload, 20s); });
  EXPECT_TRUE(PipeWrite(conn_, m, &why));
  EXPECT_EQ(why, IpcWriteError::None);
  daemon.join();
  EXPECT_EQ(disconnect_.size(), 4 + 68 + kPayload);

  IpcConnectionRaiseReadCap(conn_, IPC_PAYLOAD_OFFSET + kPayload);
  IpcConnectionRaiseReadCap(conn_, IPC_MAX_FRAME);  // never lowered
  IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 68 + kPayload, kPayload);
  Send(IpcWireFrame(big));
  ASSERT_TRUE(recorder_.WaitFor(1, 10s));
  std::vector<Event> e = recorder_.Take();
  ASSERT_FALSE(e[0].lost);
  EXPECT_EQ(e[0].data, big);
  Close(true);
}

// Reads frames off the peer end until count have come or the stream ends.
std::vector<IpcBytes> ReadFrames(int fd, size_t count) {
  std::vector<IpcBytes> frames;
  while (frames.size() < count) {
    IpcBytes word = IpcTestReadExactly(fd, 4, 20s);
    if (word.size() != 4) break;
    uint32_t length = IpcGet32(word, 0);
    IpcBytes m = IpcTestReadExactly(fd, length, 20s);
    if (m.size() != length) break;
    frames.push_back(std::move(m));
  }
  return frames;
}

TEST_P(IpcLink, ConcurrentWritersKeepFramesWholeAndInOrder) {
  Connect();
  constexpr int kThreads = 4;
  constexpr uint32_t kEach = 250;
  std::vector<IpcBytes> frames;
  std::thread daemon([&] { frames = ReadFrames(peer_, kThreads * kEach); });
  RunWithDeadline(60s, [&] {
    std::vector<std::thread> writers;
    for (int w = 0; w < kThreads; ++w)
      writers.emplace_back([&, w] {
        for (uint32_t seq = 0; seq < kEach; ++seq) {
          uint32_t size = 5 + (seq * 37 + static_cast<uint32_t>(w) * 11) % 400;
          IpcMsg* m = IpcMsgAlloc(size);
          ASSERT_NE(m, nullptr);
          IpcMsgSetKind(m, IPC_KIND_UNCONF_REQUEST);
          IpcMsgSetPayloadLength(m, size);
          uint8_t* p = IpcMsgGetPayload(m);
          p[0] = static_cast<uint8_t>(w);
          IpcPut32({p + 1, 4}, 0, seq);
          for (uint32_t i = 5; i < size; ++i)
            p[i] = static_cast<uint8_t>(w * 31 + seq + i);
          ASSERT_TRUE(PipeWrite(conn_, m));
        }
      });
    for (std::thread& t : writers)
      t.join();
  });
  daemon.join();
  ASSERT_EQ(frames.size(), size_t{kThreads * kEach});
  uint32_t next[kThreads] = {};
  for (const IpcBytes& f : frames) {
    ASSERT_GE(f.size(), 73u);
    ASSERT_EQ(IpcGet16(f, IPC_OFF_KIND), IPC_KIND_UNCONF_REQUEST);
    ASSERT_EQ(f.size(), 68 + IpcGet32(f, IPC_OFF_PAYLOAD_LEN));
    uint8_t w = f[68];
    ASSERT_LT(w, kThreads);
    uint32_t seq = IpcGet32(f, 69);
    ASSERT_EQ(seq, next[w]++);
    for (size_t i = 5; i < f.size() - 68; ++i)
      ASSERT_EQ(f[68 + i], static_cast<uint8_t>(w * 31 + seq + i));
  }
  Close(true);
}

TEST_P(IpcLink, FramesAheadOfTheDisconnectAnswerAreAllDelivered) {
  Connect();
  constexpr size_t kFrames = 300;
  std::thread daemon([&] {
    IpcBytes wire = IpcWireFrame(GoodIndication());
    for (size_t i = 0; i < kFrames; ++i)
      IpcTestWriteAll(peer_, wire);
    disconnect_ = IpcTestReadExactly(peer_, 4, 20s);
    IpcTestWriteAll(peer_, IpcBytes{0, 0, 0, 0});
  });
  RunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
  conn_ = nullptr;
  daemon.join();
  EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
  std::vector<Event> e = recorder_.Take();
  ASSERT_EQ(e.size(), kFrames);
  for (const Event& ev : e)
    ASSERT_FALSE(ev.lost);
}

TEST_P(IpcLink, UnansweredDisconnectReturnsAfterTheCloseWait) {
  Connect();
  IpcSetCloseWait(200);
  Close(false);
  EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
  // The stream was shut down and the reader ended without a notice.
  EXPECT_TRUE(IpcTestWaitForEnd(peer_, 10s));
  EXPECT_TRUE(recorder_.Take().empty());
}

TEST_P(IpcLink, CloseAfterThePeerVanished) {
  Connect();
  close(peer_);
  peer_ = -1;
  ASSERT_TRUE(recorder_.WaitFor(1, 10s));
  RunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
  conn_ = nullptr;
  std::vector<Event> e = recorder_.Take();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_TRUE(e[0].lost);
}

TEST_P(IpcLink, MessagesHeldPastCloseStayValid) {
  std::vector<IpcMsg*> kept;
  g_kept = &kept;
  Connect();
  IpcBytes wire = IpcWireFrame(GoodIndication());
  IpcBytes big = IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 400, 332));
  wire.insert(wire.end(), big.begin(), big.end());
  Send(wire);
  ASSERT_TRUE(recorder_.WaitFor(2, 10s));
  Close(true);
  g_kept = nullptr;
  ASSERT_EQ(kept.size(), 2u);
  IpcMsgPoolStats s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.users, 0u);
  EXPECT_EQ(s.heldMsgs, 1u);
  EXPECT_GE(s.blocks, 1u);
  for (IpcMsg* m : kept) {
    std::span<uint8_t> area = IpcMsgArea(m);
    std::fill(area.begin(), area.end(), 0x42);  // the memory is still the message's
    IpcMsgFree(m);
  }
  EXPECT_EQ(IpcMsgPoolGetStats().blocks, 0u);
}

TEST_P(IpcLink, SecondDisconnectFails) {
  Connect();
  std::thread daemon([&] {
    disconnect_ = IpcTestReadExactly(peer_, 4, 20s);
    IpcTestWriteAll(peer_, IpcBytes{0, 0, 0, 0});
  });
  EXPECT_TRUE(IpcSendDisconnect(conn_));
  daemon.join();
  EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
  EXPECT_FALSE(IpcSendDisconnect(conn_));
  log_.Take();
  RunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
  conn_ = nullptr;
  EXPECT_EQ(log_.Take(), "VELMORA ERROR: IPC: IpcDisconnect failed\n");
  EXPECT_TRUE(recorder_.Take().empty());
  // Nothing more was written after the one disconnect frame.
  EXPECT_TRUE(IpcTestReadExactly(peer_, 1, 10s).empty());
}

TEST_P(IpcLink, WritesWithoutALinkConsumeTheMessage) {
  Connect();
  uint32_t held = IpcMsgPoolGetStats().heldMsgs;
  IpcMsg* m = IpcMsgAlloc(0);
  IpcMsgSetKind(m, IPC_KIND_NEW_PID);
  EXPECT_FALSE(PipeWrite(nullptr, m));
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, held);
  Close(true);
}

TEST_P(IpcLink, UserValue) {
  Connect();
  EXPECT_EQ(IpcConnectionGetUser(conn_), 0u);
  IpcConnectionSetUser(conn_, 0xCAFE);
  EXPECT_EQ(IpcConnectionGetUser(conn_), 0xCAFEu);
  Close(true);
}

TEST(IpcLinkOpen, FailuresLeaveNothingBehind) {
  ASSERT_NE(OsaInit(), nullptr);
  uint32_t refs = OsaRefCount();
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  setenv("VELMORA_PIPE_DIR", dir.path().c_str(), 1);
  const char* names[] = {"\\\\.\\pipe\\nobody",
                         "/nonexistent/dir/sock",
                         "tcp:h:",
                         "tcp:h:0",
                         "tcp:h:65536",
                         "TCP:x",
                         "tcp:127.0.0.1:1",
                         ""};
  for (const char* name : names) {
    IpcConnection* c = nullptr;
    RunWithDeadline(20s, [&] { c = VelmoraIpcConnect(name, RecordingHandler); });
    EXPECT_EQ(c, nullptr) << name;
    EXPECT_EQ(IpcMsgPoolGetStats().users, 0u);
    EXPECT_EQ(OsaRefCount(), refs);
  }
  IpcConnection* noHandler = VelmoraIpcConnect("\\\\.\\pipe\\nobody", nullptr);
  EXPECT_EQ(noHandler, nullptr);
  unsetenv("VELMORA_PIPE_DIR");
  OsaTerm();
}

}  // namespace
