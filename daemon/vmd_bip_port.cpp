// The B/IP port's sockets and its thread: datagrams in, each handled whole
// (vmd_bip.cpp), and what they ask for sent now or, for a slow device,
// once it is due.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "daemon/vmd_internal.h"

namespace {

// The largest datagram taken: a B/IP message is at most 1497 octets, and a
// longer one is dropped, not cut.
constexpr size_t kDatagramMax = 2048;
// Answers waiting for a slow device, at most; more are dropped.
constexpr size_t kPendingMax = 4096;

std::string Errno(const std::string& what) { return what + ": " + strerror(errno); }

VmdBipAddress FromSockaddr(const sockaddr_in& sa) {
  VmdBipAddress a;
  memcpy(a.octets, &sa.sin_addr.s_addr, 4);
  memcpy(a.octets + 4, &sa.sin_port, 2);
  return a;
}

sockaddr_in ToSockaddr(const VmdBipAddress& a) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  memcpy(&sa.sin_addr.s_addr, a.octets, 4);
  memcpy(&sa.sin_port, a.octets + 4, 2);
  return sa;
}

int Bind(const std::string& host, uint16_t port, VmdBipAddress* bound, std::string* error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1) {
    *error = "bad B/IP host '" + host + "' (expected a dotted IPv4 address)";
    return -1;
  }
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    *error = Errno("socket");
    return -1;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    *error = Errno("cannot bind B/IP " + host + ":" + std::to_string(port));
    close(fd);
    return -1;
  }
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  *bound = FromSockaddr(sa);
  return fd;
}

struct Pending {
  VmdClock::time_point due;
  VmdBipDatagram datagram;
};

void SendNow(VmdServer* s, const VmdBipDatagram& d) {
  sockaddr_in sa = ToSockaddr(d.to);
  if (sendto(s->bip_fds[d.from], d.octets.data(), d.octets.size(), 0,
             reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0)
    VmdLog(s, "B/IP: send failed: %s", strerror(errno));
}

void Loop(VmdServer* s) {
  std::vector<Pending> pending;  // ordered by due
  std::vector<pollfd> p;
  std::vector<VmdBipDatagram> out;
  uint8_t buf[kDatagramMax];
  for (;;) {
    int timeout = -1;
    if (!pending.empty()) {
      auto wait =
          std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - VmdClock::now());
      timeout = int(std::max<int64_t>(0, wait.count()));
    }
    p.clear();
    p.push_back({s->bip_wake[0], POLLIN, 0});
    for (int fd : s->bip_fds)
      p.push_back({fd, POLLIN, 0});
    if (poll(p.data(), p.size(), timeout) < 0 && errno != EINTR) return;
    if (p[0].revents) return;
    for (size_t i = 1; i < p.size(); ++i) {
      if (!(p[i].revents & POLLIN)) continue;
      sockaddr_in sa{};
      socklen_t len = sizeof sa;
      ssize_t n =
          recvfrom(p[i].fd, buf, sizeof buf, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
      if (n < 0 || sa.sin_family != AF_INET) continue;
      if (size_t(n) > sizeof buf) {
        VmdLog(s, "B/IP: datagram of %zd octets dropped: longer than a B/IP message", n);
        continue;
      }
      out.clear();
      VmdBipHandle(s, i - 1, FromSockaddr(sa), {buf, size_t(n)}, &out);
      for (VmdBipDatagram& d : out) {
        if (d.delay_ms <= 0) {
          SendNow(s, d);
        } else if (pending.size() < kPendingMax) {
          Pending w{VmdClock::now() + std::chrono::milliseconds(d.delay_ms), std::move(d)};
          auto at = std::upper_bound(pending.begin(), pending.end(), w.due,
                                     [](auto due, const Pending& q) { return due < q.due; });
          pending.insert(at, std::move(w));
        } else {
          VmdLog(s, "B/IP: %zu answers wait already: one more dropped", pending.size());
        }
      }
    }
    auto now = VmdClock::now();
    while (!pending.empty() && pending.front().due <= now) {
      SendNow(s, pending.front().datagram);
      pending.erase(pending.begin());
    }
  }
}

}  // namespace

bool VmdBipOpen(VmdServer* s, std::string* error) {
  const VmdConfig& c = s->config;
  VmdBipAddress bound{};
  int fd = Bind(c.bip_host, c.bip_port, &bound, error);
  if (fd < 0) return false;
  s->bip_fds.push_back(fd);
  s->bip_endpoints.push_back({nullptr, bound});
  for (const VmdDevice& d : c.site.devices) {
    if (d.address.netPresent) continue;
    fd = Bind(c.bip_host, 0, &bound, error);
    if (fd < 0) return false;
    s->bip_fds.push_back(fd);
    s->bip_endpoints.push_back({&d, bound});
  }
  if (pipe2(s->bip_wake, O_CLOEXEC) != 0) {
    *error = Errno("pipe");
    return false;
  }
  VmdLog(s, "B/IP port at %s", VmdBipAddressText(s->bip_endpoints[0].address).c_str());
  for (size_t i = 1; i < s->bip_endpoints.size(); ++i)
    VmdLog(s, "B/IP device %u at %s", s->bip_endpoints[i].device->instance,
           VmdBipAddressText(s->bip_endpoints[i].address).c_str());
  s->bip_thread = std::thread(Loop, s);
  return true;
}

void VmdBipClose(VmdServer* s) {
  if (s->bip_thread.joinable()) {
    char c = 1;
    while (write(s->bip_wake[1], &c, 1) < 0 && errno == EINTR) {
    }
    s->bip_thread.join();
  }
  for (int fd : s->bip_fds)
    close(fd);
  s->bip_fds.clear();
  s->bip_endpoints.clear();
  for (int& fd : s->bip_wake) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

uint16_t VmdBipPort(const VmdServer* s) {
  if (s->bip_endpoints.empty()) return 0;
  const uint8_t* o = s->bip_endpoints[0].address.octets;
  return uint16_t(o[4] << 8 | o[5]);
}

uint16_t VmdBipDevicePort(const VmdServer* s, uint32_t instance) {
  for (const VmdBipEndpoint& e : s->bip_endpoints)
    if (e.device && e.device->instance == instance)
      return uint16_t(e.address.octets[4] << 8 | e.address.octets[5]);
  return 0;
}
