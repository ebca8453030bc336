// The B/IP port's sockets and its thread: datagrams in, each handled whole
// (vmd_bip.cpp), and what they ask for sent now or, for a slow device,
// once it is due.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "daemon/vmd_internal.h"

namespace {

// The largest datagram taken: a B/IP message is at most 1497 octets, and a
// longer one is dropped, not cut.
constexpr size_t kDatagramMax = 2048;
// Answers waiting for a slow device, at most; more are dropped.
constexpr size_t kPendingMax = 4096;

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

// `option` SO_BROADCAST for a socket that sends, SO_REUSEADDR for one that
// hears a subnet's broadcasts beside other B/IP nodes of this host.
int Bind(const std::string& host, uint16_t port, int option, VmdBipAddress* bound,
         std::string* error) {
  sockaddr_in sa{};
  int fd = VmdInetSocket("B/IP", host, port, SOCK_DGRAM, &sa, error);
  if (fd < 0) return -1;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, option, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    *error = VmdErrno("cannot bind B/IP " + host + ":" + std::to_string(port));
    close(fd);
    return -1;
  }
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  *bound = FromSockaddr(sa);
  return fd;
}

uint32_t HostOrder(const in_addr& a) { return ntohl(a.s_addr); }

std::string DottedText(uint32_t a) {
  in_addr n{htonl(a)};
  char t[INET_ADDRSTRLEN];
  inet_ntop(AF_INET, &n, t, sizeof t);
  return t;
}

// Calls f(address, netmask) for each IPv4 address of the host's interfaces.
template <class F>
void ForEachInterface(F f) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !i->ifa_netmask) continue;
    f(HostOrder(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr),
      HostOrder(reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr));
  }
  freeifaddrs(list);
}

// The broadcast address of the subnet of `host`, one of the interfaces'
// addresses; 0 when it has none (not found, or a mask that leaves no
// station part).
uint32_t SubnetBroadcast(uint32_t host) {
  uint32_t broadcast = 0;
  ForEachInterface([&](uint32_t address, uint32_t mask) {
    if (address == host && ~mask > 1) broadcast = host | ~mask;
  });
  return broadcast;
}

// Bound to one address, the router hears its subnet's broadcasts on a
// second socket, as a B/IP node does: a socket bound to a unicast address
// gets none. Bound to every interface, it hears them all, and its own
// datagrams come from the interfaces' addresses.
void HearBroadcasts(VmdServer* s) {
  const VmdBipAddress& own = s->bip_endpoints[0].address;
  const uint32_t host = VmdBipHost(own);
  const uint16_t port = uint16_t(own.octets[4] << 8 | own.octets[5]);
  if (host == INADDR_ANY) {
    std::string text;
    ForEachInterface([&](uint32_t address, uint32_t) {
      s->bip_locals.push_back(address);
      text += (text.empty() ? "" : ", ") + DottedText(address);
    });
    VmdLog(s, "B/IP port on every interface: %s", text.c_str());
    return;
  }
  const uint32_t broadcast = SubnetBroadcast(host);
  if (broadcast == 0) {
    VmdLog(s, "B/IP port hears no broadcasts: %s is no interface's address on a subnet",
           DottedText(host).c_str());
    return;
  }
  VmdBipAddress heard{};
  std::string error;
  s->bip_hear_fd = Bind(DottedText(broadcast), port, SO_REUSEADDR, &heard, &error);
  if (s->bip_hear_fd < 0)
    VmdLog(s, "B/IP port hears no broadcasts: %s", error.c_str());
  else
    VmdLog(s, "B/IP port hears broadcasts at %s", VmdBipAddressText(heard).c_str());
}

struct Pending {
  VmdClock::time_point due;
  VmdBipDatagram datagram;
};

void SendNow(VmdServer* s, const VmdBipDatagram& d) {
  sockaddr_in sa = ToSockaddr(d.to);
  if (sendto(s->bip_fds[d.from], d.octets.data(), d.octets.size(), 0,
             reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0)
    VmdLogLimited(s, "send failed", d.to, "B/IP: send to %s failed: %s",
                  VmdBipAddressText(d.to).c_str(), strerror(errno));
}

void Wake(VmdServer* s) {
  char c = 1;
  while (write(s->bip_wake[1], &c, 1) < 0 && errno == EINTR) {
  }
}

int MsUntil(VmdClock::time_point t) {
  auto wait = std::chrono::ceil<std::chrono::milliseconds>(t - VmdClock::now());
  return int(std::clamp<int64_t>(wait.count(), 0, 600000));
}

// The relayed requests whose time ran out are confirmed with a time-out;
// returns the next deadline of those left.
std::optional<VmdClock::time_point> Expire(VmdServer* s) {
  std::vector<VmdBipRelayed> expired;
  std::optional<VmdClock::time_point> next;
  {
    std::lock_guard<std::mutex> lock(s->bip_mu);
    const auto now = VmdClock::now();
    for (auto it = s->bip_relayed.begin(); it != s->bip_relayed.end();) {
      if (it->second.deadline <= now) {
        expired.push_back(it->second);
        it = s->bip_relayed.erase(it);
        continue;
      }
      if (!next || it->second.deadline < *next) next = it->second.deadline;
      ++it;
    }
  }
  for (const VmdBipRelayed& r : expired) {
    VmdLog(s, "B/IP: no answer from %s: time-out", VmdBipAddressText(r.to).c_str());
    VmdBipConfirm(s, r, IPC_OUTCOME_NO_ANSWER, {});
  }
  return next;
}

void Loop(VmdServer* s) {
  std::vector<Pending> pending;  // ordered by due
  std::vector<pollfd> p;
  std::vector<VmdBipDatagram> out;
  uint8_t buf[kDatagramMax];
  for (;;) {
    std::optional<VmdClock::time_point> next = Expire(s);
    if (!pending.empty() && (!next || pending.front().due < *next)) next = pending.front().due;
    std::optional<VmdClock::time_point> counted = VmdLogLimitedFlush(s);
    if (counted && (!next || *counted < *next)) next = counted;
    int timeout = next ? MsUntil(*next) : -1;
    p.clear();
    p.push_back({s->bip_wake[0], POLLIN, 0});
    for (int fd : s->bip_fds)
      p.push_back({fd, POLLIN, 0});
    if (s->bip_hear_fd >= 0) p.push_back({s->bip_hear_fd, POLLIN, 0});
    if (poll(p.data(), p.size(), timeout) < 0 && errno != EINTR) return;
    if (p[0].revents) {
      char drain[64];
      while (read(s->bip_wake[0], drain, sizeof drain) > 0) {
      }
      if (s->bip_stop.load()) return;
    }
    for (size_t i = 1; i < p.size(); ++i) {
      if (!(p[i].revents & POLLIN)) continue;
      sockaddr_in sa{};
      socklen_t len = sizeof sa;
      ssize_t n =
          recvfrom(p[i].fd, buf, sizeof buf, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
      if (n < 0 || sa.sin_family != AF_INET) continue;
      const VmdBipAddress from = FromSockaddr(sa);
      if (size_t(n) > sizeof buf) {
        VmdLogLimited(s, "long datagram", from,
                      "B/IP: datagram of %zd octets from %s dropped: longer than a B/IP message", n,
                      VmdBipAddressText(from).c_str());
        continue;
      }
      out.clear();
      // The broadcasts heard apart are the router's.
      const size_t at = i - 1 < s->bip_fds.size() ? i - 1 : 0;
      VmdBipHandle(s, at, from, {buf, size_t(n)}, &out);
      for (VmdBipDatagram& d : out) {
        if (d.delay_ms <= 0) {
          SendNow(s, d);
        } else if (pending.size() < kPendingMax) {
          Pending w{VmdClock::now() + std::chrono::milliseconds(d.delay_ms), std::move(d)};
          auto at = std::upper_bound(pending.begin(), pending.end(), w.due,
                                     [](auto due, const Pending& q) { return due < q.due; });
          pending.insert(at, std::move(w));
        } else {
          VmdLogLimited(s, "answers waiting", d.to,
                        "B/IP: %zu answers wait already: one more to %s dropped", pending.size(),
                        VmdBipAddressText(d.to).c_str());
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
  int fd = Bind(c.bip_host, c.bip_port, SO_BROADCAST, &bound, error);
  if (fd < 0) return false;
  s->bip_fds.push_back(fd);
  s->bip_endpoints.push_back({nullptr, bound});
  for (const VmdDevice& d : c.site.devices) {
    if (d.address.netPresent) continue;
    fd = Bind(c.bip_host, 0, SO_BROADCAST, &bound, error);
    if (fd < 0) return false;
    s->bip_fds.push_back(fd);
    s->bip_endpoints.push_back({&d, bound});
  }
  uint16_t port =
      uint16_t(s->bip_endpoints[0].address.octets[4] << 8 | s->bip_endpoints[0].address.octets[5]);
  std::string host = "255.255.255.255";
  if (!c.bip_broadcast.empty()) {
    size_t colon = c.bip_broadcast.rfind(':');
    host = c.bip_broadcast.substr(0, colon);
    unsigned long v =
        colon == std::string::npos ? 0 : strtoul(c.bip_broadcast.c_str() + colon + 1, nullptr, 10);
    port = uint16_t(v);
    if (colon == std::string::npos || v == 0 || v > 65535) {
      *error = "bad B/IP broadcast address '" + c.bip_broadcast + "' (expected HOST:PORT)";
      return false;
    }
  }
  sockaddr_in sa{};
  if (inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1) {
    *error = "bad B/IP broadcast host '" + host + "' (expected a dotted IPv4 address)";
    return false;
  }
  sa.sin_port = htons(port);
  s->bip_broadcast = FromSockaddr(sa);
  if (pipe2(s->bip_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = VmdErrno("pipe");
    return false;
  }
  VmdLog(s, "B/IP port at %s, broadcasts to %s",
         VmdBipAddressText(s->bip_endpoints[0].address).c_str(),
         VmdBipAddressText(s->bip_broadcast).c_str());
  HearBroadcasts(s);
  for (size_t i = 1; i < s->bip_endpoints.size(); ++i)
    VmdLog(s, "B/IP device %u at %s", s->bip_endpoints[i].device->instance,
           VmdBipAddressText(s->bip_endpoints[i].address).c_str());
  s->bip_thread = std::thread(Loop, s);
  return true;
}

void VmdBipClose(VmdServer* s) {
  if (s->bip_thread.joinable()) {
    s->bip_stop = true;
    Wake(s);
    s->bip_thread.join();
  }
  {
    // The link's clients are going too: what still waits is not confirmed.
    std::lock_guard<std::mutex> lock(s->bip_mu);
    s->bip_relayed.clear();
  }
  for (int fd : s->bip_fds)
    close(fd);
  s->bip_fds.clear();
  s->bip_endpoints.clear();
  if (s->bip_hear_fd >= 0) close(s->bip_hear_fd);
  s->bip_hear_fd = -1;
  s->bip_locals.clear();
  VmdLogLimitedFlush(s, true);
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

bool VmdBipRelay(VmdConn* c, const VmdConfirmed& rq, int ack_delay_ms) {
  VmdServer* s = c->server;
  const LinkAddress& to = rq.params.remote;
  if (s->bip_fds.empty() || to.netPresent || to.macLen != kVmdBipAddressSize) return false;
  for (const VmdDevice& d : s->config.site.devices)
    if (VmdSameAddress(d.address, to)) return false;
  VmdBipRelayed r{c->id, rq, {}, {}, {}};
  r.request.request = {};
  std::copy_n(to.mac, kVmdBipAddressSize, r.to.octets);
  // The port's own sockets are no station: the request would come back in.
  if (VmdBipOwn(s, r.to)) return false;
  const auto now = VmdClock::now();
  r.deadline = now + std::chrono::milliseconds(s->config.site.apdu_timeout_ms);
  r.not_before = now + std::chrono::milliseconds(std::max(0, ack_delay_ms));
  // The largest APDU the client takes, by its code; the port takes no
  // segments.
  uint8_t code = 0;
  for (uint32_t limit : {128u, 206u, 480u, 1024u, 1476u})
    if (rq.params.maxApdu >= limit) ++code;
  VmdAwaitConfirmation(c, rq.index, rq.identifier);
  uint8_t invoke = 0;
  bool full = false;
  {
    std::lock_guard<std::mutex> lock(s->bip_mu);
    full = s->bip_relayed.size() >= 256;
    if (!full) {
      while (s->bip_relayed.count(s->bip_next_invoke))
        ++s->bip_next_invoke;
      invoke = s->bip_next_invoke++;
      s->bip_relayed.emplace(invoke, r);
    }
  }
  if (full) {
    // Every invoke id is taken: the request times out at once.
    VmdLog(s, "connection %u: 256 requests wait at the B/IP port: time-out", c->id);
    VmdBipConfirm(s, r, IPC_OUTCOME_NO_ANSWER, {});
    return true;
  }
  std::vector<uint8_t> npdu = {
      0x01, uint8_t(0x04 | (rq.params.priority & 3)), 0x00, code, invoke, rq.params.service};
  npdu.insert(npdu.end(), rq.request.begin(), rq.request.end());
  SendNow(s, {0, r.to, VmdBipMessage(0x0A, npdu), 0});
  VmdLog(s, "connection %u: request (%u,%u) sent to B/IP %s with invoke id %u", c->id, rq.index,
         rq.identifier, VmdBipAddressText(r.to).c_str(), invoke);
  Wake(s);
  return true;
}

void VmdBipConfirm(VmdServer* s, const VmdBipRelayed& r, uint16_t outcome,
                   std::span<const uint8_t> data) {
  std::shared_ptr<VmdConn> c = VmdFindConn(s, r.conn);
  if (!c || !VmdTakeAwaited(c.get(), r.request.index, r.request.identifier)) return;
  VmdQueue(c.get(), VmdConfirmationOut(r.request, outcome, data), MsUntil(r.not_before), false);
}

void VmdBipWhoIs(VmdServer* s, const IpcTxnParams& p, std::span<const uint8_t> request) {
  if (s->bip_fds.empty()) return;
  const LinkAddress& to = p.remote;
  std::vector<uint8_t> npdu = {0x01, 0x00};
  VmdBipAddress dest = s->bip_broadcast;
  uint8_t function = 0x0B;
  if (to.netPresent && to.net == 0xFFFF) {
    npdu = {0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF};
  } else if (to.netPresent || (to.macLen != 0 && to.macLen != kVmdBipAddressSize)) {
    return;  // a network the site has, or no B/IP station
  } else if (to.macLen == kVmdBipAddressSize) {
    for (const VmdDevice& d : s->config.site.devices)
      if (VmdSameAddress(d.address, to)) return;
    std::copy_n(to.mac, kVmdBipAddressSize, dest.octets);
    if (VmdBipOwn(s, dest)) return;
    function = 0x0A;
  }
  npdu.push_back(0x10);
  npdu.push_back(0x08);
  npdu.insert(npdu.end(), request.begin(), request.end());
  SendNow(s, {0, dest, VmdBipMessage(function, npdu), 0});
}
