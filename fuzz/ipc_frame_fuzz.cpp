// What a daemon sends, through the client's frame reader and frame check.
// The stream is written into a socket pair piece by piece (fuzz_pieces.h)
// and read frame by frame as the link's reader thread reads it. Each frame
// the reader returns must be exactly the next frame of the stream, a length
// word must be refused exactly when it has its top bit set or passes the
// cap, and a checked frame is then read as the transaction layer reads it.
//
// Input: octet 0 picks the read cap (low two bits: the default cap, 100,
// 232 or 300 bytes, around the pool message's 232), the rest is the pieces.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "fuzz/fuzz_pieces.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/ipc/ipc_transport.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_debug.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

constexpr uint32_t kCaps[] = {IPC_MAX_FRAME, 100, IPC_POOL_MSG_AREA, 300};

// The layer, the message pool and a quiet log, once for the process.
bool Setup() {
  setenv("VELMORA_REGISTRY", "/nonexistent/velmora-fuzz.reg", 1);
  PlatSetDebugSink([](void*, const char*) {}, nullptr);
  return OsaInit() != nullptr && IpcMsgPoolAcquire();
}

// Reads a checked frame the way the transaction layer does, by kind.
void Use(IpcMsg* msg) {
  std::span<uint8_t> m = IpcMsgData(msg);
  IpcMsgHeader h;
  Require(IpcHeaderRead(m, &h));
  IpcTxnParams p;
  IpcTxnParamsRead(m, &p);
  IpcRegisterReply r;
  if (h.kind == IPC_KIND_REGISTER) Require(IpcRegisterReplyRead(m, &r));
  std::span<const uint8_t> payload = IpcPayload(m);
  Require(payload.size() <= IpcPayloadLength(m));
  volatile uint8_t sum = 0;
  for (uint8_t b : payload)
    sum = uint8_t(sum + b);
  (void)IpcDaemonStatusMap(h.status);
  (void)IpcOutcomeMap(IpcGet16(m, IPC_OFF_OUTCOME));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = Setup();
  Require(ready);
  if (size < 1) return 0;
  std::atomic<uint32_t> cap{kCaps[data[0] & 3]};
  const auto pieces = FuzzPieces({data + 1, size - 1});
  const std::vector<uint8_t> stream = FuzzStream(pieces);

  int fds[2];
  Require(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (std::span<const uint8_t> piece : pieces) {
      if (done.load() || !FuzzSend(fds[1], piece)) break;
      while (!done.load() && !FuzzTaken(fds[1]))
        std::this_thread::yield();
    }
    shutdown(fds[1], SHUT_WR);
  });

  IpcReadCarry carry{};
  size_t at = 0;  // where the next frame starts in the stream
  for (;;) {
    IpcReadError error;
    IpcMsg* msg = IpcReadFrame(fds[0], &carry, &error, &cap);
    if (msg == nullptr) {
      // Refused exactly at a bad length word, else ended with the stream.
      if (error == IpcReadError::InvalidData) {
        Require(stream.size() - at >= 4);
        uint32_t length = IpcGet32({stream.data() + at, 4}, 0);
        Require((length & IPC_LENGTH_TOP_BIT) != 0 || length > cap.load());
      } else {
        Require(error == IpcReadError::Closed);
        if (stream.size() - at >= 4) {
          uint32_t length = IpcGet32({stream.data() + at, 4}, 0);
          Require(length <= cap.load() && stream.size() - at - 4 < length);
        }
      }
      break;
    }
    const uint32_t length = IpcMsgGetFrameLength(msg);
    Require(length <= msg->capacity && stream.size() - at >= 4 + size_t{length});
    Require(IpcGet32({stream.data() + at, 4}, 0) == length);
    Require(std::memcmp(IpcMsgGetHeader(msg), stream.data() + at + 4, length) == 0);
    at += 4 + size_t{length};
    // The reader thread ends at a zero-length frame or a refused one.
    bool go = length != 0 && IpcFrameCheck(msg);
    if (go) Use(msg);
    IpcMsgFree(msg);
    if (!go) break;
  }
  done = true;
  IpcMsgFree(carry.msg);
  shutdown(fds[0], SHUT_RDWR);
  writer.join();
  close(fds[0]);
  close(fds[1]);
  Require(IpcMsgPoolGetStats().heldMsgs == 0);
  return 0;
}
