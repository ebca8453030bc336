// velmora-ping: registers with a stack daemon the way the library does,
// prints what the daemon answered, and disconnects. A quick check that a
// daemon is there and speaks the link.
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/ipc_name.h"

namespace {

constexpr int kTimeoutMs = 5000;

int Open(const IpcConnTarget& t) {
  if (t.kind == IpcNameKind::Pipe) {
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    snprintf(sa.sun_path, sizeof sa.sun_path, "%s", t.path);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return fd;
    if (fd >= 0) close(fd);
    return -1;
  }
  addrinfo hints{}, *res = nullptr;
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  char port[8];
  snprintf(port, sizeof port, "%u", unsigned(t.port));
  if (getaddrinfo(t.host, port, &hints, &res) != 0) return -1;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && connect(fd, res->ai_addr, res->ai_addrlen) != 0) {
    close(fd);
    fd = -1;
  }
  freeaddrinfo(res);
  return fd;
}

bool WriteAll(int fd, const std::vector<uint8_t>& b) {
  size_t done = 0;
  while (done < b.size()) {
    ssize_t k = send(fd, b.data() + done, b.size() - done, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += size_t(k);
  }
  return true;
}

bool ReadAll(int fd, uint8_t* p, size_t n) {
  while (n > 0) {
    pollfd pf{fd, POLLIN, 0};
    if (poll(&pf, 1, kTimeoutMs) <= 0) return false;
    ssize_t k = read(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= size_t(k);
  }
  return true;
}

// One frame's message; false on a timeout, a closed link or a length beyond the cap.
bool ReadFrame(int fd, std::vector<uint8_t>* m) {
  uint8_t word[4];
  if (!ReadAll(fd, word, 4)) return false;
  uint32_t len = IpcGet32(word, 0);
  if (len > IPC_MAX_FRAME) return false;
  m->resize(len);
  return len == 0 || ReadAll(fd, m->data(), len);
}

}  // namespace

int main(int argc, char** argv) {
  const char* name = argc > 1 ? argv[1] : IPC_DEFAULT_CONN_NAME;
  if (argc > 2 || (argc == 2 && (!strcmp(name, "--help") || !strcmp(name, "-h")))) {
    printf(
        "Usage: velmora-ping [CONNECTION-NAME]\n"
        "Registers with the daemon at CONNECTION-NAME (as Tsml\\ConnIPC names it;\n"
        "default \\\\.\\pipe\\velmora), prints its answer and disconnects.\n");
    return argc > 2 ? 2 : 0;
  }
  IpcConnTarget t;
  if (IpcNameParse(name, &t) != IpcNameError::Ok) {
    fprintf(stderr, "velmora-ping: bad connection name '%s'\n", name);
    return 2;
  }
  int fd = Open(t);
  if (fd < 0) {
    fprintf(stderr, "velmora-ping: no daemon at '%s': %s\n", name, strerror(errno));
    return 1;
  }
  IpcRegisterRequest rq;
  IpcRegisterRequestInit(&rq);
  rq.cliPoolSize = rq.srvPoolSize = 1;
  rq.apduTimeout = 6000;
  rq.numRetries = 3;
  rq.segWindowSize = 16;
  rq.maxSegAccepted = 32;
  rq.segTimeout = 5000;
  rq.maxProcessIds = 1;
  std::vector<uint8_t> frame(4 + IPC_REGISTER_LENGTH);
  IpcPut32(frame, 0, IPC_REGISTER_LENGTH);
  IpcRegisterRequestWrite(std::span<uint8_t>(frame).subspan(4), rq);
  std::vector<uint8_t> m;
  IpcRegisterReply rp{};
  if (!WriteAll(fd, frame) || !ReadFrame(fd, &m) || !IpcRegisterReplyRead(m, &rp)) {
    fprintf(stderr, "velmora-ping: no registration reply from '%s'\n", name);
    close(fd);
    return 1;
  }
  printf("daemon at %s: status %u, runtime %u.%u.%u, max APDU %u, user %u, local MAC", name,
         rp.status, rp.major, rp.minor, rp.third, rp.maxApdu, rp.userId);
  for (unsigned i = 0; i < rp.local.macLen && i < LINK_MAC_MAX; ++i)
    printf("%s%02x", i ? ":" : " ", rp.local.mac[i]);
  printf("\n");
  bool answered = WriteAll(fd, {0, 0, 0, 0}) && ReadFrame(fd, &m) && m.empty();
  close(fd);
  if (!answered) {
    fprintf(stderr, "velmora-ping: the disconnect was not answered\n");
    return 1;
  }
  printf("disconnect answered\n");
  return rp.status == IPC_DAEMON_OK ? 0 : 1;
}
