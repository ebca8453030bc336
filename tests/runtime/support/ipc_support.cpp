#include "tests/runtime/support/ipc_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "runtime/ipc/ipc_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point end) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFd(int fd, short events, Clock::time_point end) {
  pollfd p{fd, events, 0};
  int rc;
  do
    rc = poll(&p, 1, Remaining(end));
  while (rc < 0 && errno == EINTR);
  return rc > 0;
}

}  // namespace

IpcBytes IpcWireFrame(std::span<const uint8_t> message) {
  IpcBytes out(IPC_LENGTH_WORD + message.size());
  IpcPut32(out, 0, static_cast<uint32_t>(message.size()));
  std::memcpy(out.data() + IPC_LENGTH_WORD, message.data(), message.size());
  return out;
}

IpcBytes IpcTestMessage(uint16_t kind, size_t size, uint32_t payloadLen) {
  IpcBytes m(size, 0);
  IpcPut16(m, IPC_OFF_KIND, kind);
  IpcPut32(m, IPC_OFF_PAYLOAD_LEN, payloadLen);
  for (size_t i = IPC_OFF_PAYLOAD; i < size; ++i)
    m[i] = static_cast<uint8_t>(i * 7);
  return m;
}

bool IpcTestWriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

bool IpcTestWriteBytewise(int fd, std::span<const uint8_t> bytes,
                          std::chrono::milliseconds deadline) {
  auto end = Clock::now() + deadline;
  for (uint8_t b : bytes) {
    if (!IpcTestWriteAll(fd, {&b, 1})) return false;
    // Our send queue empties only once the reader has taken the byte.
    for (;;) {
      int queued = 0;
      if (ioctl(fd, TIOCOUTQ, &queued) != 0) return false;
      if (queued == 0) break;
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  }
  return true;
}

IpcBytes IpcTestReadExactly(int fd, size_t n, std::chrono::milliseconds deadline) {
  auto end = Clock::now() + deadline;
  IpcBytes out;
  uint8_t buf[4096];
  while (out.size() < n && WaitFd(fd, POLLIN, end)) {
    ssize_t r = recv(fd, buf, std::min(sizeof buf, n - out.size()), 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    out.insert(out.end(), buf, buf + r);
  }
  return out;
}

bool IpcTestWaitForEnd(int fd, std::chrono::milliseconds deadline) {
  auto end = Clock::now() + deadline;
  uint8_t buf[256];
  while (WaitFd(fd, POLLIN, end)) {
    ssize_t r = recv(fd, buf, sizeof buf, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return true;
  }
  return false;
}

IpcTestListener::IpcTestListener() : IpcTestListener(false) {}

IpcTestListener::IpcTestListener(bool tcp) {
  if (tcp) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(fd_, 4) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      if (fd_ >= 0) close(fd_);
      fd_ = -1;
      return;
    }
    connName_ = "tcp:127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
    return;
  }
  if (dir_.path().empty()) return;
  path_ = dir_.File("link");
  setenv("VELMORA_PIPE_DIR", dir_.path().c_str(), 1);
  connName_ = "\\\\.\\pipe\\link";
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path_.c_str());
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(fd_, 4) != 0) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
}

IpcTestListener::~IpcTestListener() {
  if (fd_ >= 0) close(fd_);
  if (!path_.empty()) unsetenv("VELMORA_PIPE_DIR");
}

int IpcTestListener::Accept(std::chrono::milliseconds deadline) {
  if (fd_ < 0 || !WaitFd(fd_, POLLIN, Clock::now() + deadline)) return -1;
  return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}
