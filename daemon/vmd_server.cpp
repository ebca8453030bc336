// Listening sockets, the accept loop, and the start and stop of the daemon
// core.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "daemon/vmd_internal.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/link_names.h"

std::string VmdErrno(const std::string& what) { return what + ": " + strerror(errno); }

int VmdInetSocket(const char* kind, const std::string& host, uint16_t port, int type,
                  sockaddr_in* sa, std::string* error) {
  *sa = {};
  sa->sin_family = AF_INET;
  sa->sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &sa->sin_addr) != 1) {
    *error = std::string("bad ") + kind + " host '" + host + "' (expected a dotted IPv4 address)";
    return -1;
  }
  int fd = socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) *error = VmdErrno("socket");
  return fd;
}

namespace {

constexpr size_t kLogKeep = 4000;
constexpr size_t kFramesKeep = 4000;
constexpr size_t kFrameBytesKeep = 32u << 20;

// The kernel caps a listen backlog at this: asking for it gets the longest
// queue the system gives, so a burst of clients waits instead of being
// dropped and retried.
int ListenBacklog() {
  int n = 0;
  if (FILE* f = fopen("/proc/sys/net/core/somaxconn", "r")) {
    if (fscanf(f, "%d", &n) != 1) n = 0;
    fclose(f);
  }
  return n > 0 ? n : SOMAXCONN;
}

// Serialises the daemons of one directory over the live/stale check, the bind
// and the removal of a socket, so none removes a socket another one serves.
struct DirLock {
  int fd;
  explicit DirLock(const std::string& socket_path) {
    size_t slash = socket_path.rfind('/');
    std::string dir = slash == std::string::npos ? "."
                      : slash == 0               ? "/"
                                                 : socket_path.substr(0, slash);
    fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0 && flock(fd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      close(fd);  // unlocked, as before this lock existed
      fd = -1;
    }
  }
  ~DirLock() {
    if (fd >= 0) close(fd);
  }
};

bool FileIdentity(const std::string& path, dev_t* dev, ino_t* ino) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *dev = st.st_dev;
  *ino = st.st_ino;
  return true;
}

// Binds the Unix socket, refusing a path a live daemon answers on and
// removing a stale one; notes which file it made, to remove only that one.
int ListenUnix(VmdServer* s, const std::string& path, std::string* error) {
  sockaddr_un sa{};
  if (path.size() >= sizeof sa.sun_path) {
    *error = "socket path too long: " + path;
    return -1;
  }
  sa.sun_family = AF_UNIX;
  memcpy(sa.sun_path, path.c_str(), path.size() + 1);
  DirLock dir(path);
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      *error = path + " exists and is not a socket";
      return -1;
    }
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
      *error = VmdErrno("socket");
      return -1;
    }
    int rc = connect(probe, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    int err = errno;
    close(probe);
    if (rc == 0) {
      *error = path + " is in use by a running daemon";
      return -1;
    }
    if (err != ECONNREFUSED && err != ENOENT) {
      errno = err;
      *error = VmdErrno("cannot probe " + path);
      return -1;
    }
    unlink(path.c_str());  // stale: nobody listens any more
  }
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    *error = VmdErrno("socket");
    return -1;
  }
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      listen(fd, ListenBacklog()) != 0) {
    *error = VmdErrno("cannot listen on " + path);
    close(fd);
    return -1;
  }
  s->socket_owned = FileIdentity(path, &s->socket_dev, &s->socket_ino);
  return fd;
}

// Removes the socket file while it is still the one this server made (a
// daemon started after it was removed by hand keeps its own), then closes.
void CloseUnix(VmdServer* s) {
  if (s->unix_fd < 0) return;
  {
    DirLock dir(s->config.pipe_path);
    dev_t dev;
    ino_t ino;
    if (s->socket_owned && FileIdentity(s->config.pipe_path, &dev, &ino) && dev == s->socket_dev &&
        ino == s->socket_ino)
      unlink(s->config.pipe_path.c_str());
  }
  close(s->unix_fd);
  s->unix_fd = -1;
}

int ListenTcp(const std::string& host, uint16_t port, uint16_t* bound, std::string* error) {
  sockaddr_in sa{};
  int fd = VmdInetSocket("TCP", host, port, SOCK_STREAM, &sa, error);
  if (fd < 0) return -1;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      listen(fd, ListenBacklog()) != 0) {
    *error = VmdErrno("cannot listen on TCP " + host + ":" + std::to_string(port));
    close(fd);
    return -1;
  }
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  *bound = ntohs(sa.sin_port);
  return fd;
}

// Joins the connections that have ended; the caller holds links->mu.
void Reap(VmdLinks* links, std::vector<std::shared_ptr<VmdConn>>* done) {
  for (auto it = links->conns.begin(); it != links->conns.end();) {
    if ((*it)->ended.load()) {
      done->push_back(*it);
      it = links->conns.erase(it);
    } else {
      ++it;
    }
  }
}

// Takes one connection off the listener's queue; false once the queue is
// empty (or accepting must pause).
bool AcceptOne(VmdServer* s, int lfd, bool tcp) {
  int fd = accept4(lfd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) {
    if (errno == EINTR || errno == ECONNABORTED) return true;
    if (errno != EAGAIN && errno != EWOULDBLOCK) VmdLog(s, "accept failed: %s", strerror(errno));
    // Out of descriptors the pending connection stays readable: pause
    // instead of spinning on it until links close.
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
      usleep(100 * 1000);
    return false;
  }
  s->links.incoming++;
  if (tcp) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  auto conn = std::make_shared<VmdConn>();
  conn->fd = fd;
  conn->tcp = tcp;
  conn->server = s;
  conn->frame_cap = IpcFrameCap(s->config.site.max_apdu, 1);
  std::vector<std::shared_ptr<VmdConn>> done;
  bool full;
  {
    std::lock_guard<std::mutex> lock(s->links.mu);
    Reap(&s->links, &done);
    full = s->links.conns.size() >= s->config.max_links;
    if (!full) {
      conn->id = s->links.next_conn++;
      s->links.conns.push_back(conn);
    }
  }
  for (auto& d : done)
    if (d->reader.joinable()) d->reader.join();
  if (full) {
    // Once per burst: a flood of refusals would drown the log.
    if (s->links.refused_at_cap++ == 0)
      VmdLog(s, "connection refused: %zu links are open (refusing until one ends)",
             s->config.max_links);
    close(fd);
    return true;
  }
  if (s->links.refused_at_cap > 0) {
    VmdLog(s, "accepting again: %llu connections were refused at the link cap",
           static_cast<unsigned long long>(s->links.refused_at_cap));
    s->links.refused_at_cap = 0;
  }
  s->links.accepted++;
  VmdLog(s, "connection %u accepted (%s)", conn->id, tcp ? "tcp" : "unix");
  if (!VmdConnStart(s, conn)) {
    close(fd);
    conn->fd = -1;
    s->links.lost++;
    std::lock_guard<std::mutex> lock(s->links.mu);
    conn->ended = true;
  }
  s->links.cv.notify_all();
  return true;
}

void AcceptLoop(VmdServer* s) {
  while (true) {
    pollfd p[3];
    nfds_t n = 0;
    p[n++] = {s->wake[0], POLLIN, 0};
    if (s->unix_fd >= 0) p[n++] = {s->unix_fd, POLLIN, 0};
    if (s->tcp_fd >= 0) p[n++] = {s->tcp_fd, POLLIN, 0};
    if (poll(p, n, -1) < 0) {
      if (errno == EINTR) continue;
      VmdLog(s, "poll failed: %s", strerror(errno));
      return;
    }
    if (p[0].revents) return;
    // The whole queue at each wake-up: a burst of clients is not served one
    // poll round at a time.
    for (nfds_t i = 1; i < n; ++i)
      if (p[i].revents & POLLIN)
        while (AcceptOne(s, p[i].fd, p[i].fd == s->tcp_fd)) {
        }
  }
}

void CloseListeners(VmdServer* s) {
  CloseUnix(s);
  if (s->tcp_fd >= 0) {
    close(s->tcp_fd);
    s->tcp_fd = -1;
  }
  for (int& fd : s->wake) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  if (s->log.file) fclose(s->log.file);
  s->log.file = nullptr;
}

}  // namespace

std::string VmdPipeDir() {
  const char* dir = getenv(IPC_PIPE_DIR_ENV);
  return dir && *dir ? dir : IPC_PIPE_DIR_DEFAULT;
}

std::string VmdPipePathFor(const std::string& name, const std::string& dir) {
  std::string rest = name.substr(IpcPipePrefixLength(name));
  if (rest.find('/') != std::string::npos) return rest;
  return (dir.empty() ? VmdPipeDir() : dir) + "/" + rest;
}

VmdServer* VmdStart(const VmdConfig& config, std::string* error) {
  auto s = std::make_unique<VmdServer>();
  s->config = config;
  s->start_time = time(nullptr);
  s->log.quiet = config.log_quiet;
  std::string err;
  if (config.pipe_path.empty() && !config.tcp) err = "nothing to listen on";
  if (err.empty() && !config.log_path.empty()) {
    s->log.file = fopen(config.log_path.c_str(), "a");
    if (!s->log.file) err = VmdErrno("cannot open log file " + config.log_path);
  }
  if (err.empty() && pipe2(s->wake, O_CLOEXEC) != 0) err = VmdErrno("pipe");
  if (err.empty() && !config.pipe_path.empty())
    s->unix_fd = ListenUnix(s.get(), config.pipe_path, &err);
  if (err.empty() && config.tcp)
    s->tcp_fd = ListenTcp(config.tcp_host, config.tcp_port, &s->tcp_port, &err);
  if (err.empty() && config.bip) VmdBipOpen(s.get(), &err);
  if (!err.empty()) {
    VmdBipClose(s.get());
    CloseListeners(s.get());
    if (error) *error = err;
    return nullptr;
  }
  if (!config.pipe_path.empty()) VmdLog(s.get(), "listening on %s", config.pipe_path.c_str());
  if (config.tcp)
    VmdLog(s.get(), "listening on tcp %s:%u", config.tcp_host.c_str(), unsigned(s->tcp_port));
  VmdServer* raw = s.release();
  raw->acceptor = std::thread(AcceptLoop, raw);
  return raw;
}

void VmdStop(VmdServer* s) {
  if (!s) return;
  {
    std::lock_guard<std::mutex> lock(s->links.mu);
    s->links.stopping = true;
  }
  char c = 1;
  while (write(s->wake[1], &c, 1) < 0 && errno == EINTR) {
  }
  s->acceptor.join();
  // Nobody accepts any more: a client now finds no socket rather than one
  // that never answers.
  CloseUnix(s);
  if (s->tcp_fd >= 0) close(s->tcp_fd);
  s->tcp_fd = -1;
  std::vector<std::shared_ptr<VmdConn>> conns;
  {
    std::lock_guard<std::mutex> lock(s->links.mu);
    conns.swap(s->links.conns);
  }
  for (auto& c : conns)
    VmdConnShutdown(c.get());
  for (auto& c : conns)
    if (c->reader.joinable()) c->reader.join();
  // Only now: the links' readers send through the port.
  VmdBipClose(s);
  VmdLog(s, "stopped");
  CloseListeners(s);
  delete s;
}

uint16_t VmdTcpPort(const VmdServer* s) { return s->tcp_port; }

uint64_t VmdUptimeSeconds(const VmdServer* s) {
  return uint64_t(
      std::chrono::duration_cast<std::chrono::seconds>(VmdClock::now() - s->started).count());
}
const std::string& VmdSocketPath(const VmdServer* s) { return s->config.pipe_path; }
