#include "runtime/ipc/ipc_transport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>

#include "runtime/osa/osa.h"
#include "tests/runtime/support/ipc_support.h"
#include "tests/support/wait.h"

namespace {

using namespace std::chrono_literals;

// A socket pair: the test writes scripted bytes at one end, the transport
// reads frames at the other.
class IpcTransportRead : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(OsaInit(), nullptr);
    ASSERT_TRUE(IpcMsgPoolAcquire());
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    peer_ = fds[0];
    t_ = IpcTransportFromFd(fds[1], false);
    ASSERT_NE(t_, nullptr);
  }
  void TearDown() override {
    if (peer_ >= 0) close(peer_);
    IpcTransportClose(t_);
    IpcMsgPoolRelease();
    EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
    OsaTerm();
  }

  // The transport side fails a read instead of waiting for bytes (its
  // descriptor no longer names a socket): a frame that is returned anyway
  // was returned without a read.
  void ForbidReads() {
    int notASocket = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(notASocket, 0);
    ASSERT_EQ(dup2(notASocket, t_->fd), t_->fd);
    close(notASocket);
  }

  IpcMsg* Read(IpcReadError* error = nullptr) { return IpcReadFrameLocked(t_, error); }

  // Reads one frame and checks it is the message given, then frees it.
  void ExpectFrame(const IpcBytes& message, bool fromPool) {
    IpcReadError error = IpcReadError::Failed;
    IpcMsg* m = Read(&error);
    ASSERT_NE(m, nullptr) << static_cast<int>(error);
    EXPECT_EQ(error, IpcReadError::None);
    std::span<uint8_t> data = IpcMsgData(m);
    EXPECT_EQ(IpcBytes(data.begin(), data.end()), message);
    EXPECT_EQ(m->capacity == IPC_POOL_MSG_AREA, fromPool) << m->capacity;
    if (!fromPool) {
      EXPECT_EQ(m->capacity, message.size());
    }
    IpcMsgFree(m);
  }

  int peer_ = -1;
  IpcTransport* t_ = nullptr;
};

IpcBytes Concat(std::initializer_list<IpcBytes> parts) {
  IpcBytes out;
  for (const IpcBytes& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST_F(IpcTransportRead, TwoFramesInOneWriteAreSplitWithoutASecondRead) {
  IpcBytes a = IpcTestMessage(IPC_KIND_CONF_REQUEST, 20);
  IpcBytes b = IpcTestMessage(IPC_KIND_SERVER_DROP, 20);
  b[19] = 0xB0;
  ASSERT_TRUE(IpcTestWriteAll(peer_, Concat({IpcWireFrame(a), IpcWireFrame(b)})));
  ExpectFrame(a, true);
  ForbidReads();
  ExpectFrame(b, true);
  IpcReadError error;
  EXPECT_EQ(Read(&error), nullptr);
  EXPECT_EQ(error, IpcReadError::Failed);
}

TEST_F(IpcTransportRead, LargeFrameGetsAHeapMessageAndTheCarryGoesOn) {
  IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 300, 232);
  IpcBytes small = IpcTestMessage(IPC_KIND_CONFIRMATION, 70, 2);
  IpcBytes edge = IpcTestMessage(IPC_KIND_CONFIRMATION, IPC_POOL_MSG_AREA, 164);
  ASSERT_TRUE(
      IpcTestWriteAll(peer_, Concat({IpcWireFrame(big), IpcWireFrame(small), IpcWireFrame(edge)})));
  ExpectFrame(big, false);
  ExpectFrame(small, true);
  ExpectFrame(edge, true);
}

TEST_F(IpcTransportRead, SplitFrameIsJoinedInAPoolMessage) {
  IpcBytes m = IpcTestMessage(IPC_KIND_CONFIRMATION, 100, 32);
  IpcBytes wire = IpcWireFrame(m);
  std::thread writer([&] {
    IpcTestWriteAll(peer_, std::span(wire).first(2));  // inside the length word
    std::this_thread::sleep_for(5ms);
    IpcTestWriteAll(peer_, std::span(wire).subspan(2, 50));
    std::this_thread::sleep_for(5ms);
    IpcTestWriteAll(peer_, std::span(wire).subspan(52));
  });
  RunWithDeadline(10s, [&] { ExpectFrame(m, true); });
  writer.join();
}

TEST_F(IpcTransportRead, ByteByByteDeliveryArrivesWhole) {
  IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 300, 232);
  IpcBytes small = IpcTestMessage(IPC_KIND_SERVER_DROP, 12);
  IpcBytes wire = Concat({IpcWireFrame(small), IpcWireFrame(big), IpcWireFrame(small)});
  bool written = false;
  std::thread writer([&] { written = IpcTestWriteBytewise(peer_, wire, 20s); });
  RunWithDeadline(30s, [&] {
    ExpectFrame(small, true);
    ExpectFrame(big, false);
    ExpectFrame(small, true);
  });
  writer.join();
  EXPECT_TRUE(written);
}

TEST_F(IpcTransportRead, RandomFramesInRandomChunks) {
  std::mt19937 rng(20261210);
  std::vector<IpcBytes> frames;
  IpcBytes wire;
  for (int i = 0; i < 300; ++i) {
    size_t size = std::uniform_int_distribution<size_t>(0, 700)(rng);
    if (i % 7 == 0) size = std::uniform_int_distribution<size_t>(1, 8)(rng);
    IpcBytes m(size);
    for (auto& b : m)
      b = static_cast<uint8_t>(rng());
    frames.push_back(m);
    IpcBytes f = IpcWireFrame(m);
    wire.insert(wire.end(), f.begin(), f.end());
  }
  std::vector<size_t> chunks;
  for (size_t at = 0; at < wire.size();) {
    size_t n = std::min(wire.size() - at, std::uniform_int_distribution<size_t>(1, 500)(rng));
    chunks.push_back(n);
    at += n;
  }
  std::thread writer([&] {
    size_t at = 0;
    for (size_t n : chunks) {
      IpcTestWriteAll(peer_, std::span(wire).subspan(at, n));
      at += n;
      std::this_thread::yield();
    }
  });
  RunWithDeadline(30s, [&] {
    for (const IpcBytes& m : frames) {
      IpcMsg* got = Read();
      ASSERT_NE(got, nullptr);
      std::span<uint8_t> data = IpcMsgData(got);
      ASSERT_EQ(IpcBytes(data.begin(), data.end()), m);
      IpcMsgFree(got);
    }
  });
  writer.join();
}

TEST_F(IpcTransportRead, RefusedLengthWords) {
  const uint32_t lengths[] = {0x80000000u, 0xFFFFFFFFu, 0x80000014u, IPC_MAX_FRAME + 1,
                              0x7FFFFFFFu};
  for (uint32_t length : lengths) {
    IpcBytes word(4);
    IpcPut32(word, 0, length);
    ASSERT_TRUE(IpcTestWriteAll(peer_, word));
    IpcReadError error;
    EXPECT_EQ(Read(&error), nullptr);
    EXPECT_EQ(error, IpcReadError::InvalidData) << std::hex << length;
    // The refused word stays in the carry: start the next case clean.
    IpcMsgFree(t_->carry.msg);
    t_->carry = {};
  }
}

TEST_F(IpcTransportRead, LargestFrameIsAccepted) {
  IpcBytes m = IpcTestMessage(IPC_KIND_CONFIRMATION, IPC_MAX_FRAME, IPC_MAX_PAYLOAD);
  IpcBytes wire = IpcWireFrame(m);
  std::thread writer([&] { IpcTestWriteAll(peer_, wire); });
  RunWithDeadline(30s, [&] { ExpectFrame(m, false); });
  writer.join();
}

TEST_F(IpcTransportRead, EndOfStream) {
  // Inside the length word, inside a small frame, inside a large frame.
  const size_t cuts[] = {0, 2, 30, 200};
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    IpcBytes wire = IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 300, 232));
    ASSERT_TRUE(IpcTestWriteAll(peer_, std::span(wire).first(cut)));
    shutdown(peer_, SHUT_WR);
    IpcReadError error;
    EXPECT_EQ(Read(&error), nullptr);
    EXPECT_EQ(error, IpcReadError::Closed);
    // A fresh pair for the next cut.
    close(peer_);
    IpcTransportClose(t_);
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    peer_ = fds[0];
    t_ = IpcTransportFromFd(fds[1], false);
    ASSERT_NE(t_, nullptr);
  }
}

TEST_F(IpcTransportRead, WriteSendsLengthWordAndMessage) {
  IpcMsg* m = IpcMsgAlloc(3);
  ASSERT_NE(m, nullptr);
  IpcMsgSetKind(m, IPC_KIND_UNCONF_REQUEST);
  IpcMsgSetPayloadLength(m, 3);
  std::memcpy(IpcMsgGetPayload(m), "\x10\x08\x00", 3);
  ASSERT_EQ(IpcFrameLength(m), 71u);
  ASSERT_TRUE(IpcWriteFrame(t_, m));
  IpcBytes got = IpcTestReadExactly(peer_, 75, 5s);
  ASSERT_EQ(got.size(), 75u);
  EXPECT_EQ(IpcBytes(got.begin(), got.begin() + 6), (IpcBytes{71, 0, 0, 0, 0x01, 0x0D}));
  EXPECT_EQ(IpcBytes(got.begin() + 68, got.end()), (IpcBytes{3, 0, 0, 0, 0x10, 0x08, 0x00}));

  // A write to a closed peer fails, and the message is still consumed.
  close(peer_);
  peer_ = -1;
  IpcMsg* again = IpcMsgAlloc(0);
  IpcMsgSetKind(again, IPC_KIND_GET_VALUE_ALL);
  IpcFrameLength(again);
  EXPECT_FALSE(IpcWriteFrame(t_, again));
}

// A frame larger than the socket holds: its write lasts until the peer
// reads, or ends with a failure when the peer goes.
constexpr uint32_t kLongWrite = 4u << 20;

IpcMsg* FilledMessage(uint32_t payload, uint8_t fill) {
  IpcMsg* m = IpcMsgAlloc(payload);
  if (m == nullptr) return nullptr;
  IpcMsgSetKind(m, IPC_KIND_UNCONF_REQUEST);
  IpcMsgSetPayloadLength(m, payload);
  std::memset(IpcMsgGetPayload(m), fill, payload);
  IpcFrameLength(m);
  return m;
}

class IpcTransportWrite : public IpcTransportRead {
 protected:
  // Starts a long write on another thread and returns once it is under way.
  void StartLongWrite() {
    writer_ = std::thread([this] { longOk_ = IpcWriteFrame(t_, FilledMessage(kLongWrite, 1)); });
    ASSERT_TRUE(WaitUntil([this] {
      PlatLockGuard guard(&t_->writeLock);
      return t_->writing;
    }));
  }
  void TearDown() override {
    if (writer_.joinable()) writer_.join();
    IpcTransportRead::TearDown();
  }
  std::thread writer_;
  bool longOk_ = false;
};

// Frames given during another thread's write leave after its frame, in the
// order given, and their threads do not wait for that write.
TEST_F(IpcTransportWrite, FramesGivenDuringAWriteGoOutBehindIt) {
  StartLongWrite();
  RunWithDeadline(20s, [&] {
    for (uint8_t fill : {2, 3})
      EXPECT_TRUE(IpcWriteFrame(t_, FilledMessage(10, fill)));
  });
  const size_t longFrame = 4 + 68 + kLongWrite, shortFrame = 4 + 68 + 10;
  IpcBytes got = IpcTestReadExactly(peer_, longFrame + 2 * shortFrame, 20s);
  writer_.join();
  EXPECT_TRUE(longOk_);
  ASSERT_EQ(got.size(), longFrame + 2 * shortFrame);
  size_t at = 0;
  for (uint8_t fill : {1, 2, 3}) {
    SCOPED_TRACE(fill);
    const uint32_t length = IpcGet32({got.data() + at, 4}, 0);
    ASSERT_EQ(length, fill == 1 ? 68 + kLongWrite : 68 + 10);
    const uint8_t* payload = got.data() + at + 4 + 68;
    EXPECT_TRUE(std::all_of(payload, payload + length - 68, [&](uint8_t b) { return b == fill; }));
    at += 4 + length;
  }
}

// A write that fails ends the link, and the frames queued behind it go
// unwritten (and are freed: the pool check of the fixture).
TEST_F(IpcTransportWrite, AFailedWriteDropsWhatWasQueuedBehindIt) {
  StartLongWrite();
  EXPECT_TRUE(IpcWriteFrame(t_, FilledMessage(10, 2)));
  close(peer_);
  peer_ = -1;
  writer_.join();
  EXPECT_FALSE(longOk_);
  EXPECT_FALSE(IpcWriteFrame(t_, FilledMessage(10, 3)));
}

}  // namespace
