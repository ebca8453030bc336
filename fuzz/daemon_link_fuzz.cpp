// What a client sends, through the daemon's side of a link: an in-process
// daemon core takes the stream from a local socket, piece by piece
// (fuzz_pieces.h), splits it into frames and handles each request. Whatever
// comes, the link ends within the deadline once the client stops sending,
// and every few inputs a well-behaved client must still be served.
//
// Input: the pieces.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "daemon/vmd_core.h"
#include "fuzz/fuzz_pieces.h"
#include "runtime/ipc/ipc_frame.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(20);

VmdServer* g_server = nullptr;
std::string g_path;
uint32_t g_links = 0;  // links made so far: the daemon numbers them alike

void Setup() {
  char dir[] = "/tmp/velmora-fuzz.XXXXXX";
  Require(mkdtemp(dir) != nullptr);
  g_path = std::string(dir) + "/velmora";
  VmdConfig c;
  c.pipe_path = g_path;
  c.log_quiet = true;
  VmdSiteDefaults(&c.site);
  std::string error;
  g_server = VmdStart(c, &error);
  Require(g_server != nullptr);
}

int Connect() {
  sockaddr_un sa{};
  sa.sun_family = AF_UNIX;
  std::memcpy(sa.sun_path, g_path.c_str(), g_path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  Require(fd >= 0);
  Require(connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0);
  ++g_links;
  return fd;
}

// Takes what the daemon sent; false once it has ended the link.
bool Drain(int fd, std::vector<uint8_t>* got = nullptr) {
  uint8_t buf[65536];
  for (;;) {
    ssize_t r = recv(fd, buf, sizeof buf, 0);
    if (r > 0) {
      if (got) got->insert(got->end(), buf, buf + r);
      continue;
    }
    if (r == 0) return false;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
    return false;  // reset
  }
}

// Lets the daemon's threads run: a short spin first (they are usually
// about to), then a wait for its next reply.
void Wait(int fd, int* spins) {
  if ((*spins)++ < 1000) {
    std::this_thread::yield();
    return;
  }
  pollfd p{fd, POLLIN, 0};
  poll(&p, 1, 1);
}

// A client that registers and reads a value gets both answers.
void Served() {
  int fd = Connect();
  const uint32_t link = g_links;
  IpcRegisterRequest rq;
  IpcRegisterRequestInit(&rq);
  rq.srvPoolSize = 4;
  rq.maxSegAccepted = 32;
  std::vector<uint8_t> out(4 + IPC_REGISTER_LENGTH + 4 + 4);
  IpcPut32(out, 0, IPC_REGISTER_LENGTH);
  IpcRegisterRequestWrite(std::span<uint8_t>(out).subspan(4, IPC_REGISTER_LENGTH), rq);
  IpcPut32(out, 4 + IPC_REGISTER_LENGTH, 4);
  IpcPut16(out, 8 + IPC_REGISTER_LENGTH, IPC_KIND_GET_VALUE_ALL);
  Require(FuzzSend(fd, out));
  std::vector<uint8_t> got;
  const size_t want = 4 + IPC_REGISTER_REPLY_MIN + 4 + 6;
  int spins = 0;
  for (auto end = Clock::now() + kDeadline; got.size() < want;) {
    Require(Drain(fd, &got) && Clock::now() < end);
    Wait(fd, &spins);
  }
  Require(IpcGet16(got, 6) == 0);  // registered
  Require(IpcGet16(got, 4 + IPC_REGISTER_REPLY_MIN + 4) == IPC_KIND_GET_VALUE_ALL);
  close(fd);
  // Nothing of it may still run during the next input (the leak check
  // counts every thread's allocations).
  Require(VmdWaitEnded(g_server, link, 20000));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_server == nullptr) Setup();
  const auto pieces = FuzzPieces({data, size});
  int fd = Connect();
  const uint32_t link = g_links;
  const auto end = Clock::now() + kDeadline;
  bool open = true;
  for (std::span<const uint8_t> piece : pieces) {
    // The daemon stops reading a client that does not read its replies:
    // take them while the piece goes out and until the daemon has read it.
    int spins = 0;
    for (size_t done = 0; open && done < piece.size();) {
      ssize_t w = send(fd, piece.data() + done, piece.size() - done, MSG_NOSIGNAL);
      if (w > 0) done += size_t(w);
      if (w < 0 && errno != EAGAIN && errno != EINTR) open = false;
      open = open && Drain(fd);
      Require(Clock::now() < end);
      if (w <= 0) Wait(fd, &spins);
    }
    while (open && !FuzzTaken(fd)) {
      open = Drain(fd);
      Require(Clock::now() < end);
      Wait(fd, &spins);
    }
    if (!open) break;
  }
  // Once the client stops, the link ends: at the end of the stream if
  // nothing ended it before.
  shutdown(fd, SHUT_WR);
  int spins = 0;
  while (Drain(fd)) {
    Require(Clock::now() < end);
    Wait(fd, &spins);
  }
  close(fd);
  Require(VmdWaitEnded(g_server, link, 20000));
  if (link % 64 == 0) Served();
  return 0;
}
