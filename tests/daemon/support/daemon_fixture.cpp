#include "daemon_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/ipc/ipc_frame.h"

namespace {

bool Connected(RawClient* c, int fd, const sockaddr* sa, socklen_t len) {
  if (connect(fd, sa, len) != 0) {
    close(fd);
    return false;
  }
  RawClose(c);
  c->fd = fd;
  return true;
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Reads what is there within the time: >0 bytes, 0 EOF, -1 timeout.
int ReadSome(RawClient* c, int timeout_ms) {
  pollfd p{c->fd, POLLIN, 0};
  int r = poll(&p, 1, timeout_ms < 0 ? 0 : timeout_ms);
  if (r <= 0) return -1;
  uint8_t buf[4096];
  ssize_t k = read(c->fd, buf, sizeof buf);
  if (k < 0) return errno == ECONNRESET ? 0 : -1;
  c->carry.insert(c->carry.end(), buf, buf + k);
  return int(k);
}

}  // namespace

RawClient::~RawClient() { RawClose(this); }

bool RawConnectUnix(RawClient* c, const std::string& path) {
  sockaddr_un sa{};
  sa.sun_family = AF_UNIX;
  if (path.size() >= sizeof sa.sun_path) return false;
  memcpy(sa.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd >= 0 && Connected(c, fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
}

bool RawConnectTcp(RawClient* c, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd >= 0 && Connected(c, fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
}

void RawClose(RawClient* c) {
  if (c->fd >= 0) close(c->fd);
  c->fd = -1;
  c->carry.clear();
}

bool RawSend(RawClient* c, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t k = send(c->fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += size_t(k);
  }
  return true;
}

bool RawSendFrame(RawClient* c, std::span<const uint8_t> message) {
  return RawSendFrames(c, {message});
}

bool RawSendFrames(RawClient* c, std::initializer_list<std::span<const uint8_t>> messages) {
  std::vector<uint8_t> f;
  for (std::span<const uint8_t> m : messages) {
    const size_t at = f.size();
    f.resize(at + 4 + m.size());
    IpcPut32(f, at, uint32_t(m.size()));
    std::copy(m.begin(), m.end(), f.begin() + at + 4);
  }
  return RawSend(c, f);
}

int RawReadFrame(RawClient* c, std::vector<uint8_t>* message, int timeout_ms) {
  int64_t end = NowMs() + timeout_ms;
  while (true) {
    if (c->carry.size() >= 4) {
      uint32_t len = IpcGet32(c->carry, 0);
      if (c->carry.size() >= 4 + uint64_t(len)) {
        message->assign(c->carry.begin() + 4, c->carry.begin() + 4 + len);
        c->carry.erase(c->carry.begin(), c->carry.begin() + 4 + len);
        return 1;
      }
    }
    int r = ReadSome(c, int(end - NowMs()));
    if (r == 0) return 0;
    if (r < 0) return -1;
  }
}

namespace {

// One message out and one frame back; empty when either fails.
std::vector<uint8_t> Exchange(RawClient* c, std::span<const uint8_t> message) {
  std::vector<uint8_t> reply;
  if (!RawSendFrame(c, message) || RawReadFrame(c, &reply) != 1) reply.clear();
  return reply;
}

}  // namespace

std::vector<uint8_t> Ask(RawClient* c, std::span<const uint8_t> message) {
  std::vector<uint8_t> reply = Exchange(c, message);
  if (reply.empty())
    ADD_FAILURE() << "no reply to kind 0x" << std::hex << IpcGet16(message, IPC_OFF_KIND);
  return reply;
}

bool Answers(RawClient* c) {
  std::vector<uint8_t> r = Ask(c, Message(IPC_KIND_GET_VALUE_ALL, 4));
  return r.size() >= 4 && IpcGet16(r, IPC_OFF_KIND) == IPC_KIND_GET_VALUE_ALL;
}

bool RawWaitClosed(RawClient* c, int timeout_ms) {
  int64_t end = NowMs() + timeout_ms;
  while (NowMs() < end) {
    int r = ReadSome(c, int(end - NowMs()));
    if (r == 0) return true;
    if (r < 0) return false;
    c->carry.clear();
  }
  return false;
}

bool RawQuietFor(RawClient* c, int ms) {
  pollfd p{c->fd, POLLIN, 0};
  return poll(&p, 1, ms) == 0 && c->carry.empty();
}

std::vector<uint8_t> RegistrationRequest(uint32_t port_id, uint32_t srv_pool, uint32_t max_pids) {
  IpcRegisterRequest r;
  IpcRegisterRequestInit(&r);
  r.portId = port_id;
  r.cliPoolSize = 8;
  r.srvPoolSize = srv_pool;
  r.apduTimeout = 6000;
  r.numRetries = 3;
  r.segWindowSize = 16;
  r.maxSegAccepted = 32;
  r.segTimeout = 5000;
  r.maxProcessIds = max_pids;
  std::vector<uint8_t> m(IPC_REGISTER_LENGTH);
  IpcRegisterRequestWrite(m, r);
  return m;
}

std::vector<uint8_t> Register(RawClient* c, uint32_t srv_pool, uint32_t max_pids) {
  return Exchange(c, RegistrationRequest(0, srv_pool, max_pids));
}

std::vector<uint8_t> Message(uint16_t kind, size_t fixed, std::span<const uint8_t> payload) {
  std::vector<uint8_t> m(fixed ? fixed : IPC_PAYLOAD_OFFSET + payload.size(), 0);
  IpcPut16(m, IPC_OFF_KIND, kind);
  if (!fixed) {
    IpcPut32(m, IPC_OFF_PAYLOAD_LEN, uint32_t(payload.size()));
    std::copy(payload.begin(), payload.end(), m.begin() + IPC_PAYLOAD_OFFSET);
  }
  return m;
}

LinkAddress Mac(std::initializer_list<uint8_t> mac, uint16_t net) {
  LinkAddress a{};
  a.kind = 130;
  a.netPresent = net != 0;
  a.net = net;
  a.macLen = uint8_t(mac.size());
  std::copy(mac.begin(), mac.end(), a.mac);
  return a;
}

namespace {

IpcTxnParams RequestParams(uint8_t service, const LinkAddress& to, uint8_t priority) {
  IpcTxnParams p{};
  p.priority = priority;
  p.service = service;
  p.local = Mac({0x7f, 0, 0, 1, 0xba, 0xc0});
  p.remote = to;
  return p;
}

}  // namespace

std::vector<uint8_t> Confirmed(uint8_t service, const LinkAddress& to,
                               const std::vector<uint8_t>& request, uint32_t index, uint32_t id,
                               uint8_t priority) {
  std::vector<uint8_t> m = Message(IPC_KIND_CONF_REQUEST, 0, request);
  IpcPut32(m, IPC_OFF_TSM_INDEX, index);
  IpcPut32(m, IPC_OFF_TSM_ID, id);
  IpcTxnParams p = RequestParams(service, to, priority);
  p.apduTimeout = 6000;
  p.retries = 3;
  p.maxApdu = 1476;
  p.segAccepted = 1;
  p.window = 16;
  p.maxSegs = 32;
  p.segTimeout = 5000;
  IpcTxnParamsWrite(m, p);
  return m;
}

std::vector<uint8_t> Unconfirmed(uint8_t service, const LinkAddress& to,
                                 const std::vector<uint8_t>& request) {
  std::vector<uint8_t> m = Message(IPC_KIND_UNCONF_REQUEST, 0, request);
  IpcTxnParamsWrite(m, RequestParams(service, to, 0));
  return m;
}

void DaemonTest::SetUp() {
  ASSERT_FALSE(dir_.empty());
  Start(BaseConfig());
}

void DaemonTest::TearDown() {
  VmdStop(server_);
  server_ = nullptr;
}

VmdConfig DaemonTest::BaseConfig() const {
  VmdConfig c;
  c.pipe_path = dir_ + "/velmora";
  c.tcp = true;
  c.log_quiet = true;
  c.frame_log = true;
  VmdSiteDefaults(&c.site);
  // Unanswered requests time out at once: the tests wait for that.
  c.site.apdu_timeout_ms = 0;
  return c;
}

void DaemonTest::Start(const VmdConfig& config) {
  VmdStop(server_);
  std::string error;
  server_ = VmdStart(config, &error);
  ASSERT_NE(server_, nullptr) << error;
}

void DaemonTest::Connect(RawClient* c) { ASSERT_TRUE(RawConnectUnix(c, VmdSocketPath(server_))); }

void DaemonTest::ConnectRegistered(RawClient* c, uint32_t srv_pool, uint32_t max_pids) {
  Connect(c);
  std::vector<uint8_t> reply = Register(c, srv_pool, max_pids);
  ASSERT_EQ(reply.size(), IPC_REGISTER_REPLY_MIN);
  ASSERT_EQ(IpcGet16(reply, IPC_OFF_STATUS), 0);
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const std::vector<uint8_t>& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}
