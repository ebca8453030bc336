#include "runtime/ipc/ipc_transport.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <thread>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include "runtime/ipc/ipc_name.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_socket.h"

namespace {

enum class ConnectStep {
  Done,
  Socket,
  Connect
};

// A blocking stream socket connected to addr, or -1 with the step that
// failed in *failed (errno tells why).
int ConnectStream(int family, const sockaddr* addr, socklen_t size, ConnectStep* failed) {
  int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *failed = ConnectStep::Socket;
    return -1;
  }
  int rc;
  do
    rc = connect(fd, addr, size);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int error = errno;
    close(fd);
    errno = error;
    *failed = ConnectStep::Connect;
    return -1;
  }
  *failed = ConnectStep::Done;
  return fd;
}

int ConnectTcp(const IpcConnTarget& t) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(t.host, nullptr, &hints, &found) != 0 || found == nullptr) {
    OsaLog(OSA_LOG_ERROR, "gethostbyname() failed.");
    OsaLog(OSA_LOG_ERROR, "IPC: cannot resolve the host of tcp:%s:%u", t.host, t.port);
    return -1;
  }
  sockaddr_in addr{};
  std::memcpy(&addr, found->ai_addr, sizeof addr);
  freeaddrinfo(found);
  addr.sin_port = htons(t.port);

  ConnectStep failed;
  int fd = ConnectStream(AF_INET, reinterpret_cast<sockaddr*>(&addr), sizeof addr, &failed);
  if (fd < 0) {
    int error = errno;
    OsaLog(OSA_LOG_ERROR, failed == ConnectStep::Socket ? "Cannot create IPC socket"
                                                        : "Cannot connect IPC socket");
    if (failed == ConnectStep::Connect)
      OsaLog(OSA_LOG_ERROR, "IPC: cannot connect to tcp:%s:%u: %s", t.host, t.port,
             std::strerror(error));
    return -1;
  }
  int one = 1;
  if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0)
    OsaLog(OSA_LOG_ERROR, "IPC: set TCP_NODELAY failed");
  return fd;
}

int ConnectPipe(const IpcConnTarget& t) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  static_assert(sizeof addr.sun_path >= IPC_PATH_MAX);
  std::memcpy(addr.sun_path, t.path, std::strlen(t.path) + 1);
  // A blocking connect waits while the listener's queue is full (a busy
  // pipe) and fails at once when nobody listens there.
  ConnectStep failed;
  int fd = ConnectStream(AF_UNIX, reinterpret_cast<sockaddr*>(&addr), sizeof addr, &failed);
  if (fd < 0 && failed == ConnectStep::Socket)
    OsaLog(OSA_LOG_ERROR, "Cannot create IPC socket");
  else if (fd < 0)
    OsaLog(OSA_LOG_ERROR, "IPC: cannot open %s: %s", t.path, std::strerror(errno));
  return fd;
}

// Writes the frames of a chain in as few calls as the system allows.
bool WriteChain(int fd, IpcMsg* chain) {
  constexpr int kMaxParts = 64;
  iovec parts[kMaxParts];
  while (chain != nullptr) {
    int n = 0;
    for (; chain != nullptr && n < kMaxParts; chain = chain->next, ++n)
      parts[n] = {IpcMsgFrame(chain), IPC_LENGTH_WORD + IpcMsgGetFrameLength(chain)};
    iovec* part = parts;
    while (n > 0) {
      msghdr h{};
      h.msg_iov = part;
      h.msg_iovlen = static_cast<size_t>(n);
      ssize_t w = sendmsg(fd, &h, MSG_NOSIGNAL);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      auto done = static_cast<size_t>(w);
      while (n > 0 && done >= part->iov_len) {
        done -= part->iov_len;
        ++part;
        --n;
      }
      if (n > 0) {
        part->iov_base = static_cast<uint8_t*>(part->iov_base) + done;
        part->iov_len -= done;
      }
    }
  }
  return true;
}

void SetError(IpcReadError* error, IpcReadError value) {
  if (error != nullptr) *error = value;
}

}  // namespace

IpcTransport* IpcTransportFromFd(int fd, bool isTcp) {
  void* raw = OsaMemAlloc(sizeof(IpcTransport));
  if (raw == nullptr) return nullptr;
  auto* t = new (raw) IpcTransport{};
  t->fd = fd;
  t->isTcp = isTcp;
  PlatLockInit(&t->readLock);
  PlatLockInit(&t->writeLock);
  return t;
}

IpcTransport* IpcTransportOpen(const char* name) {
  IpcConnTarget target;
  switch (IpcNameParse(name, &target)) {
    case IpcNameError::Ok:
      break;
    case IpcNameError::BadPort: {
      const char* port = std::strchr(name + std::strlen(IPC_TCP_PREFIX), ':');
      OsaLog(OSA_LOG_ERROR, "IPC: invalid port number: %s", port + 1);
      return nullptr;
    }
    case IpcNameError::BadHost:
      OsaLog(OSA_LOG_ERROR, "gethostbyname() failed.");
      return nullptr;
    case IpcNameError::BadPath:
      OsaLog(OSA_LOG_ERROR, "IPC: invalid pipe name: %s", name != nullptr ? name : "");
      return nullptr;
  }
  bool isTcp = target.kind == IpcNameKind::Tcp;
  int fd = isTcp ? ConnectTcp(target) : ConnectPipe(target);
  if (fd < 0) return nullptr;
  IpcTransport* t = IpcTransportFromFd(fd, isTcp);
  if (t == nullptr) {
    OsaLog(OSA_LOG_ERROR, "IPC: not enough memory");
    close(fd);
  }
  return t;
}

bool IpcTransportClose(IpcTransport* t) {
  if (t == nullptr) return false;
  // A thread may still be leaving IpcWriteFrame after sending what others
  // queued, the closing thread's disconnect among them: it goes first, and
  // a write that still waits for the peer fails now.
  for (bool shut = false;; std::this_thread::yield()) {
    PlatLockGuard guard(&t->writeLock);
    if (!t->writing) break;
    if (!shut) IpcTransportShutdown(t);
    shut = true;
  }
  bool closed = close(t->fd) == 0;
  PlatLockDelete(&t->readLock);
  PlatLockDelete(&t->writeLock);
  IpcMsgFree(t->carry.msg);
  IpcMsgFreeChain(t->queued);
  t->~IpcTransport();
  OsaMemFree(t);
  return closed;
}

void IpcTransportShutdown(IpcTransport* t) {
  if (t != nullptr) shutdown(t->fd, SHUT_RDWR);
}

bool IpcTransportWaitReadable(IpcTransport* t, uint32_t ms) {
  if (t == nullptr) return false;
  pollfd p{t->fd, POLLIN, 0};
  int rc;
  do
    rc = poll(&p, 1, static_cast<int>(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms));
  while (rc < 0 && errno == EINTR);
  return rc > 0;
}

bool IpcWriteFrame(IpcTransport* t, IpcMsg* msg) {
  if (msg == nullptr) return false;
  if (t == nullptr) {
    IpcMsgFree(msg);
    return false;
  }
  {
    // A thread that finds another writing leaves its frame to it rather
    // than sleep until the write is over and wake it for its own.
    PlatLockGuard guard(&t->writeLock);
    if (t->writing) {
      msg->next = nullptr;
      (t->queued != nullptr ? t->queuedLast->next : t->queued) = msg;
      t->queuedLast = msg;
      return true;
    }
    t->writing = true;
  }
  // A frame cut short leaves the stream unframed, and a peer that stopped
  // reading answers nothing more: end the link, so that the reader fails
  // every waiter instead of leaving them on a link that only looks up.
  msg->next = nullptr;
  const bool ok = WriteChain(t->fd, msg);
  if (!ok) IpcTransportShutdown(t);
  IpcMsgFree(msg);
  bool writable = ok;
  for (;;) {
    IpcMsg* batch;
    {
      PlatLockGuard guard(&t->writeLock);
      batch = t->queued;
      t->queued = t->queuedLast = nullptr;
      if (batch == nullptr) {
        t->writing = false;
        break;
      }
    }
    if (writable && !WriteChain(t->fd, batch)) {
      writable = false;
      IpcTransportShutdown(t);
    }
    IpcMsgFreeChain(batch);
  }
  return ok;
}

IpcMsg* IpcReadFrame(int fd, IpcReadCarry* carry, IpcReadError* error,
                     const std::atomic<uint32_t>* maxFrame) {
  SetError(error, IpcReadError::None);
  if (carry->msg == nullptr) {
    carry->msg = IpcMsgPoolGet();
    carry->count = 0;
    if (carry->msg == nullptr) {
      SetError(error, IpcReadError::NoMemory);
      return nullptr;
    }
  }
  IpcMsg* k = carry->msg;
  uint8_t* held = IpcMsgFrame(k);
  const uint32_t room = IPC_LENGTH_WORD + k->capacity;
  for (;;) {
    uint32_t& n = carry->count;
    if (n >= IPC_LENGTH_WORD) {
      uint32_t length = IpcGet32({held, IPC_LENGTH_WORD}, 0);
      const uint32_t cap = maxFrame != nullptr ? maxFrame->load() : IPC_MAX_FRAME;
      if (IpcLengthWordCheck(length, cap) != IpcLengthCheck::Ok) {
        SetError(error, IpcReadError::InvalidData);
        return nullptr;
      }
      const uint32_t total = IPC_LENGTH_WORD + length;
      if (n == total) {
        carry->msg = nullptr;
        n = 0;
        return k;
      }
      if (n > total || total > room) {
        // Split this frame off, or give a large one its own message
        // and read the rest of it straight into that.
        IpcMsg* m = IpcMsgAllocFrame(length);
        if (m == nullptr) {
          SetError(error, IpcReadError::NoMemory);
          return nullptr;
        }
        uint8_t* into = IpcMsgFrame(m);
        uint32_t got = n < total ? n : total;
        std::memcpy(into, held, got);
        std::memmove(held, held + got, n - got);
        n -= got;
        while (got < total) {
          ssize_t r = PlatSocketRead(fd, into + got, total - got);
          if (r <= 0) {
            IpcMsgFree(m);
            SetError(error, r == 0 ? IpcReadError::Closed : IpcReadError::Failed);
            return nullptr;
          }
          got += static_cast<uint32_t>(r);
        }
        return m;
      }
    }
    // The frame fits the carry: read on into it; the read may bring the
    // start of the next frames too.
    ssize_t r = PlatSocketRead(fd, held + n, room - n);
    if (r <= 0) {
      SetError(error, r == 0 ? IpcReadError::Closed : IpcReadError::Failed);
      return nullptr;
    }
    n += static_cast<uint32_t>(r);
  }
}

bool IpcCarryHoldsFrame(const IpcReadCarry& carry, uint32_t cap) {
  return carry.msg != nullptr && IpcWholeFrameAt({IpcMsgFrame(carry.msg), carry.count}, cap);
}

IpcMsg* IpcReadFrameLocked(IpcTransport* t, IpcReadError* error,
                           const std::atomic<uint32_t>* maxFrame) {
  if (t == nullptr) {
    SetError(error, IpcReadError::Failed);
    return nullptr;
  }
  PlatLockGuard guard(&t->readLock);
  return IpcReadFrame(t->fd, &t->carry, error, maxFrame);
}
