// Listening sockets, the accept loop, the log and the frame log of the
// daemon core.
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
#include <cstdarg>
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

// Joins the connections that have ended; the caller holds server->mu.
void Reap(VmdServer* s, std::vector<std::shared_ptr<VmdConn>>* done) {
  for (auto it = s->conns.begin(); it != s->conns.end();) {
    if ((*it)->ended.load()) {
      done->push_back(*it);
      it = s->conns.erase(it);
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
  s->incoming++;
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
    std::lock_guard<std::mutex> lock(s->mu);
    Reap(s, &done);
    full = s->conns.size() >= s->config.max_links;
    if (!full) {
      conn->id = s->next_conn++;
      s->conns.push_back(conn);
    }
  }
  for (auto& d : done)
    if (d->reader.joinable()) d->reader.join();
  if (full) {
    // Once per burst: a flood of refusals would drown the log.
    if (s->refused_at_cap++ == 0)
      VmdLog(s, "connection refused: %zu links are open (refusing until one ends)",
             s->config.max_links);
    close(fd);
    return true;
  }
  if (s->refused_at_cap > 0) {
    VmdLog(s, "accepting again: %llu connections were refused at the link cap",
           static_cast<unsigned long long>(s->refused_at_cap));
    s->refused_at_cap = 0;
  }
  s->accepted++;
  VmdLog(s, "connection %u accepted (%s)", conn->id, tcp ? "tcp" : "unix");
  if (!VmdConnStart(s, conn)) {
    close(fd);
    conn->fd = -1;
    s->lost++;
    std::lock_guard<std::mutex> lock(s->mu);
    conn->ended = true;
  }
  s->cv.notify_all();
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
  if (s->log_file) fclose(s->log_file);
  s->log_file = nullptr;
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
  std::string err;
  if (config.pipe_path.empty() && !config.tcp) err = "nothing to listen on";
  if (err.empty() && !config.log_path.empty()) {
    s->log_file = fopen(config.log_path.c_str(), "a");
    if (!s->log_file) err = VmdErrno("cannot open log file " + config.log_path);
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
    std::lock_guard<std::mutex> lock(s->mu);
    s->stopping = true;
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
    std::lock_guard<std::mutex> lock(s->mu);
    conns.swap(s->conns);
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

void VmdLog(VmdServer* s, const char* fmt, ...) {
  char msg[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(msg, sizeof msg, fmt, ap);
  va_end(ap);
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t;
  localtime_r(&ts.tv_sec, &t);
  char stamp[32];
  strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &t);
  char line[600];
  snprintf(line, sizeof line, "%s.%03ld velmorad: %s", stamp, ts.tv_nsec / 1000000, msg);
  std::lock_guard<std::mutex> lock(s->log_mu);
  if (s->log_file) {
    fprintf(s->log_file, "%s\n", line);
    fflush(s->log_file);
  } else if (!s->config.log_quiet) {
    fprintf(stderr, "%s\n", line);
  }
  s->log_lines.emplace_back(msg);
  if (s->log_lines.size() > kLogKeep) s->log_lines.pop_front();
  s->log_cv.notify_all();
}

std::vector<std::string> VmdLogLines(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->log_mu);
  return {s->log_lines.begin(), s->log_lines.end()};
}

bool VmdWaitLog(VmdServer* s, const std::string& fragment, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->log_mu);
  return s->log_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const std::string& l : s->log_lines)
      if (l.find(fragment) != std::string::npos) return true;
    return false;
  });
}

void VmdRecordFrame(VmdServer* s, VmdConn* conn, bool inbound, std::span<const uint8_t> m) {
  VmdCountFrame(conn, inbound, m);
  if (!s->config.frame_log) return;
  VmdFrame f{};
  f.conn = conn->id;
  f.user = conn->user.load();
  f.inbound = inbound;
  f.length = uint32_t(m.size());
  f.kind = IpcGet16(m, IPC_OFF_KIND);
  f.status = IpcGet16(m, IPC_OFF_STATUS);
  f.index = IpcGet32(m, IPC_OFF_TSM_INDEX);
  f.identifier = IpcGet32(m, IPC_OFF_TSM_ID);
  f.bytes.assign(m.begin(), m.end());
  std::lock_guard<std::mutex> lock(s->frames_mu);
  f.seq = ++s->frame_seq;
  s->frame_bytes += f.bytes.size();
  s->frames.push_back(std::move(f));
  while (s->frames.size() > kFramesKeep ||
         (s->frames.size() > 1 && s->frame_bytes > kFrameBytesKeep)) {
    s->frame_bytes -= s->frames.front().bytes.size();
    s->frames.pop_front();
  }
  s->frames_cv.notify_all();
}

std::vector<VmdFrame> VmdFrames(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->frames_mu);
  return {s->frames.begin(), s->frames.end()};
}

bool VmdWaitFrame(VmdServer* s, const std::function<bool(const VmdFrame&)>& match, int timeout_ms,
                  VmdFrame* out, uint64_t after) {
  std::unique_lock<std::mutex> lock(s->frames_mu);
  return s->frames_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const VmdFrame& f : s->frames) {
      if (f.seq > after && match(f)) {
        if (out) *out = f;
        return true;
      }
    }
    return false;
  });
}

std::shared_ptr<VmdConn> VmdFindConn(VmdServer* s, uint32_t id) {
  std::lock_guard<std::mutex> lock(s->mu);
  std::shared_ptr<VmdConn> best;
  for (auto& c : s->conns) {
    if (id != 0 && c->id == id) return c;
    if (id == 0 && !c->ended.load() && (!best || c->id > best->id)) best = c;
  }
  return best;
}

bool VmdWaitAccepted(VmdServer* s, uint32_t n, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->mu);
  return s->cv.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                        [&] { return s->next_conn > n; });
}

bool VmdWaitEnded(VmdServer* s, uint32_t id, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->mu);
  return s->cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    if (id == 0 || id >= s->next_conn) return false;
    for (auto& c : s->conns)
      if (c->id == id) return c->ended.load();
    return true;  // reaped
  });
}

bool VmdDrop(VmdServer* s, uint32_t id) {
  std::shared_ptr<VmdConn> c = VmdFindConn(s, id);
  if (!c || c->ended.load()) return false;
  c->dropped = true;
  VmdConnShutdown(c.get());
  return true;
}

int VmdKindSlot(uint16_t kind) {
  for (size_t i = 0; i < kVmdClientKindCount; ++i)
    if (kVmdClientKinds[i] == kind) return int(i);
  return -1;
}

VmdKindRule& VmdRule(VmdBehaviour* b, uint16_t kind) {
  int slot = VmdKindSlot(kind);
  return b->rules[slot < 0 ? 0 : slot];
}

VmdBehaviour VmdGetBehaviour(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->mu);
  return s->behaviour;
}

void VmdSetBehaviour(VmdServer* s, const VmdBehaviour& b) {
  std::lock_guard<std::mutex> lock(s->mu);
  s->behaviour = b;
}

VmdStats VmdGetStats(VmdServer* s) {
  VmdStats st{};
  st.start_time = s->start_time;
  std::lock_guard<std::mutex> lock(s->mu);
  st.accepted = s->accepted.load();
  st.closed = s->closed.load();
  st.lost = s->lost.load();
  st.incoming = s->incoming.load();
  st.registered = s->registered.load();
  st.disconnected = s->disconnected.load();
  for (auto& c : s->conns) {
    if (c->ended.load()) continue;
    st.apps.push_back({c->id, c->user.load(), c->bytes_read.load(), c->bytes_written.load(),
                       c->buffers_read.load(), c->buffers_written.load(), c->calls_read.load(),
                       c->calls_written.load()});
  }
  return st;
}
