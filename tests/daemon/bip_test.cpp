// The daemon's BACnet/IP port as an independent B/IP device or client sees
// it: a UDP socket of the test sends octets written from the BACnet
// standard (BVLL, NPDU, APDU) and checks the octets that come back, from
// the router's port or from a local device's own, and that malformed
// datagrams are dropped while the daemon serves on.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_cli.h"
#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* kSite = R"(
[daemon]
apdu_timeout = 300
[port 1]
type = physical
protocol = bip
network = 1
networks = 5
bbmd = yes
bdt = C0A80001BAC0 FFFFFFFF
fdt = C0A80002BAC0 60
[port 2]
type = ptp
protocol = ptp
networks = 6
[device 17]
mac = c0:a8:01:11:ba:c0
vendor = 260
segmentation = no-segmentation
object-name = "Seventeen"
[object analog-input 1]
present-value = real 21.5
[device 18]
mac = c0:a8:01:12:ba:c0
vendor = 7
max_apdu = 480
[device 300]
mac = 14
network = 5
vendor = 15
max_apdu = 480
object-name = "Three hundred"
[device 400]
mac = 20
network = 9
)";

// A BVLL message: type 0x81, the function, the length of the whole.
Bytes Bvll(uint8_t function, const Bytes& body) {
  size_t n = 4 + body.size();
  return Cat({{0x81, function, uint8_t(n >> 8), uint8_t(n)}, body});
}

// The I-Am APDUs of the site's devices, by the encoding rules: object
// identifier, Max_APDU_Length_Accepted, segmentation, vendor.
const Bytes kIAm17 = {0x10, 0x00, 0xC4, 0x02, 0x00, 0x00, 0x11, 0x22,
                      0x05, 0xC4, 0x91, 0x03, 0x22, 0x01, 0x04};
const Bytes kIAm18 = {0x10, 0x00, 0xC4, 0x02, 0x00, 0x00, 0x12,
                      0x22, 0x01, 0xE0, 0x91, 0x00, 0x21, 0x07};
const Bytes kIAm300 = {0x10, 0x00, 0xC4, 0x02, 0x00, 0x01, 0x2C,
                       0x22, 0x01, 0xE0, 0x91, 0x00, 0x21, 0x0F};
// The NPCI of a local device's answer, and of device 300's behind the router.
const Bytes kLocal = {0x01, 0x00};
const Bytes kFrom300 = {0x01, 0x08, 0x00, 0x05, 0x01, 0x14};

enum From {
  kRouter,
  kDevice17,
  kDevice18
};

struct Got {
  From from;
  Bytes octets;
  bool operator==(const Got&) const = default;
};

std::string Hex(const Bytes& b) {
  std::string t;
  char o[4];
  for (uint8_t x : b) {
    snprintf(o, sizeof o, "%02X ", x);
    t += o;
  }
  return t;
}

void PrintTo(const Got& g, std::ostream* os) { *os << "from " << g.from << ": " << Hex(g.octets); }

// The I-Ams of the local devices, each from its own port, and of device 300
// from the router's.
const Got kAnswer17{kDevice17, Bvll(0x0A, Cat({kLocal, kIAm17}))};
const Got kAnswer18{kDevice18, Bvll(0x0A, Cat({kLocal, kIAm18}))};
const Got kAnswer300{kRouter, Bvll(0x0A, Cat({kFrom300, kIAm300}))};

// A datagram sent to one of the port's endpoints and what comes back.
struct Exchanged {
  const char* what;
  From to;
  Bytes datagram;
  std::vector<Got> answers;
};

// A Who-Is to the global and to the local broadcast, and the I-Ams that
// answer it.
const Exchanged kBroadcastWhoIs[] = {
    {"global broadcast",
     kRouter,
     {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08},
     {kAnswer300, kAnswer17, kAnswer18}},
    {"local broadcast",
     kRouter,
     {0x81, 0x0B, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08},
     {kAnswer17, kAnswer18}},
};

class Bip : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    fd_ = Socket(&own_);
    other_ = Socket(&other_address_);
    StartBip("");
  }
  // The daemon with the test site and a B/IP port on a free UDP port.
  void StartBip(const std::string& broadcast) {
    VmdConfig config = BaseConfig();
    config.bip = true;
    config.bip_port = 0;
    config.bip_broadcast = broadcast;
    std::string error;
    ASSERT_TRUE(VmdSiteParse(&config.site, kSite, "bip.site", &error)) << error;
    Start(config);
    Started();
  }
  void Started() {
    ports_[kRouter] = VmdBipPort(server_);
    ports_[kDevice17] = VmdBipDevicePort(server_, 17);
    ports_[kDevice18] = VmdBipDevicePort(server_, 18);
    for (uint16_t p : ports_)
      ASSERT_NE(p, 0);
    EXPECT_EQ(VmdBipDevicePort(server_, 300), 0) << "a device behind the router has no port";
  }
  void TearDown() override {
    close(fd_);
    close(other_);
    DaemonTest::TearDown();
  }

  static int Socket(Bytes* address) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    socklen_t len = sizeof sa;
    getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    uint16_t port = ntohs(sa.sin_port);
    *address = {127, 0, 0, 1, uint8_t(port >> 8), uint8_t(port)};
    return fd;
  }

  void SendTo(From to, const Bytes& d, int fd = -1) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(ports_[to]);
    ASSERT_EQ(sendto(fd < 0 ? fd_ : fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&sa),
                     sizeof sa),
              ssize_t(d.size()));
  }

  // Sends `d` and returns every datagram that comes back before the answer
  // to a request sent after it, and at least `expected` of them: the port
  // handles datagrams in order, but loopback may hand two datagrams to
  // different sockets over in either order when the machine is busy.
  std::vector<Got> Exchange(From to, const Bytes& d, int fd = -1, size_t expected = 0) {
    SendTo(to, d, fd);
    SendTo(kDevice18, kFence, fd);
    std::vector<Got> got;
    bool fenced = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!fenced || got.size() < expected) {
      std::optional<Got> g = Next(fd, deadline);
      if (!g) break;
      if (!fenced && *g == Got{kDevice18, kFenceAnswer})
        fenced = true;
      else
        got.push_back(*g);
    }
    return got;
  }

  // The next `n` datagrams at the test's socket.
  std::vector<Got> Collect(size_t n) {
    std::vector<Got> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (got.size() < n) {
      std::optional<Got> g = Next(-1, deadline);
      if (!g) break;
      got.push_back(*g);
    }
    return got;
  }

  // The next datagram from one of the port's endpoints; none, with a
  // failure, when nothing comes by the deadline.
  std::optional<Got> Next(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
      int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                         deadline - std::chrono::steady_clock::now())
                         .count());
      pollfd p{fd < 0 ? fd_ : fd, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, left) != 1) {
        ADD_FAILURE() << "the port did not answer in time";
        return std::nullopt;
      }
      uint8_t buf[2048];
      sockaddr_in sa{};
      socklen_t len = sizeof sa;
      ssize_t n = recvfrom(p.fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&sa), &len);
      if (n < 0) continue;
      uint16_t port = ntohs(sa.sin_port);
      auto it = std::find(std::begin(ports_), std::end(ports_), port);
      EXPECT_NE(it, std::end(ports_)) << "from port " << port;
      return Got{From(it - std::begin(ports_)), Bytes(buf, buf + n)};
    }
  }

  // A B/IP address as the log writes it.
  static std::string Text(const Bytes& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]) + ":" + std::to_string(a[4] << 8 | a[5]);
  }
  Bytes At(From endpoint) const {
    return {127, 0, 0, 1, uint8_t(ports_[endpoint] >> 8), uint8_t(ports_[endpoint])};
  }

  // A Read-Broadcast-Distribution-Table at a device, which is no BBMD.
  const Bytes kFence = {0x81, 0x02, 0x00, 0x04};
  const Bytes kFenceAnswer = {0x81, 0x00, 0x00, 0x06, 0x00, 0x20};

  uint16_t ports_[3] = {};
  int fd_ = -1, other_ = -1;
  Bytes own_, other_address_;  // B/IP addresses of the test's two sockets
};

std::vector<Got> Sorted(std::vector<Got> v) {
  std::sort(v.begin(), v.end(), [](const Got& a, const Got& b) {
    return std::tie(a.from, a.octets) < std::tie(b.from, b.octets);
  });
  return v;
}

// The unconfirmed indications that reach a link's client before the answer
// to a request sent after them: the daemon writes a link's frames in order.
std::vector<Bytes> Indications(RawClient* c) {
  std::vector<Bytes> got;
  EXPECT_TRUE(RawSendFrame(c, Message(IPC_KIND_GET_VALUE_ALL, 4)));
  Bytes r;
  while (RawReadFrame(c, &r) == 1) {
    if (IpcGet16(r, 0) == IPC_KIND_GET_VALUE_ALL) return got;
    if (IpcGet16(r, 0) == IPC_KIND_UNCONF_INDICATION) got.push_back(r);
  }
  ADD_FAILURE() << "the link did not answer";
  return got;
}

LinkAddress MacOf(const Bytes& b, uint16_t net = 0) {
  LinkAddress a = Mac({}, net);
  a.macLen = uint8_t(b.size());
  std::copy(b.begin(), b.end(), a.mac);
  return a;
}

TEST_F(Bip, WhoIsIsAnsweredByEveryDeviceItReaches) {
  std::vector<Exchanged> cases(std::begin(kBroadcastWhoIs), std::end(kBroadcastWhoIs));
  cases.insert(
      cases.end(),
      {
          {"unicast to the router",
           kRouter,
           {0x81, 0x0A, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08},
           {kAnswer17, kAnswer18}},
          {"the router's own network by its number",
           kRouter,
           {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0x00, 0x01, 0x00, 0xFF, 0x10, 0x08},
           {kAnswer17, kAnswer18}},
          {"broadcast on network 5",
           kRouter,
           {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0x00, 0x05, 0x00, 0xFF, 0x10, 0x08},
           {kAnswer300}},
          {"device 300 at its address",
           kRouter,
           {0x81, 0x0A, 0x00, 0x0D, 0x01, 0x20, 0x00, 0x05, 0x01, 0x14, 0xFF, 0x10, 0x08},
           {kAnswer300}},
          {"another address on network 5",
           kRouter,
           {0x81, 0x0A, 0x00, 0x0D, 0x01, 0x20, 0x00, 0x05, 0x01, 0x15, 0xFF, 0x10, 0x08},
           {}},
          {"a network no port reaches",
           kRouter,
           {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0x00, 0x09, 0x00, 0xFF, 0x10, 0x08},
           {}},
          {"range 18 to 300",
           kRouter,
           {0x81, 0x0B, 0x00, 0x11, 0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08, 0x09, 0x12,
            0x1A, 0x01, 0x2C},
           {kAnswer300, kAnswer18}},
          {"range 17 to 17, to device 17's port",
           kDevice17,
           {0x81, 0x0A, 0x00, 0x0C, 0x01, 0x00, 0x10, 0x08, 0x09, 0x11, 0x19, 0x11},
           {kAnswer17}},
          {"global broadcast at a device's port",
           kDevice17,
           {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08},
           {kAnswer17}},
          {"to network 5 at a device, which is no router",
           kDevice17,
           {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0x00, 0x05, 0x00, 0xFF, 0x10, 0x08},
           {}},
          {"one limit only",
           kRouter,
           {0x81, 0x0B, 0x00, 0x0A, 0x01, 0x00, 0x10, 0x08, 0x09, 0x11},
           {}},
          // A requester behind a router of its own, network 11, MAC 63: the
          // answer goes to that address, with device 300's as its source.
          {"from behind another router",
           kRouter,
           {0x81, 0x0A, 0x00, 0x10, 0x01, 0x28, 0x00, 0x05, 0x00, 0x00, 0x0B, 0x01, 0x63, 0xFF,
            0x10, 0x08},
           {{kRouter,
             Bvll(0x0A, Cat({{0x01, 0x28, 0x00, 0x0B, 0x01, 0x63, 0x00, 0x05, 0x01, 0x14, 0xFF},
                             kIAm300}))}}},
      });
  for (const Exchanged& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Sorted(Exchange(k.to, k.datagram, -1, k.answers.size())), Sorted(k.answers));
  }
}

TEST_F(Bip, ConfirmedRequestsAreAnsweredByTheDevices) {
  const Exchanged cases[] = {
      // ReadProperty (analog-input 1, Present_Value), invoke id 6.
      {"ReadProperty at device 17's port",
       kDevice17,
       {0x81, 0x0A, 0x00, 0x11, 0x01, 0x04, 0x00, 0x05, 0x06, 0x0C, 0x0C, 0x00, 0x00, 0x00, 0x01,
        0x19, 0x55},
       {{kDevice17, {0x81, 0x0A, 0x00, 0x17, 0x01, 0x00, 0x30, 0x06, 0x0C, 0x0C, 0x00, 0x00,
                     0x00, 0x01, 0x19, 0x55, 0x3E, 0x44, 0x41, 0xAC, 0x00, 0x00, 0x3F}}}},
      // Object_Name of device 300 through the router, invoke id 5.
      {"ReadProperty of a device behind the router",
       kRouter,
       {0x81, 0x0A, 0x00, 0x16, 0x01, 0x24, 0x00, 0x05, 0x01, 0x14, 0xFF,
        0x00, 0x04, 0x05, 0x0C, 0x0C, 0x02, 0x00, 0x01, 0x2C, 0x19, 0x4D},
       {{kRouter, Cat({{0x81, 0x0A, 0x00, 0x26, 0x01, 0x08, 0x00, 0x05, 0x01, 0x14, 0x30, 0x05,
                        0x0C, 0x0C, 0x02, 0x00, 0x01, 0x2C, 0x19, 0x4D, 0x3E, 0x75, 0x0E, 0x00},
                       Bytes{'T', 'h', 'r', 'e', 'e', ' ', 'h', 'u', 'n', 'd', 'r', 'e', 'd'},
                       {0x3F}})}}},
      {"an object the device lacks",
       kDevice17,
       {0x81, 0x0A, 0x00, 0x11, 0x01, 0x04, 0x00, 0x05, 0x07, 0x0C, 0x0C, 0x00, 0x00, 0x00, 0x09,
        0x19, 0x55},
       {{kDevice17,
         {0x81, 0x0A, 0x00, 0x0D, 0x01, 0x00, 0x50, 0x07, 0x0C, 0x91, 0x01, 0x91, 0x1F}}}},
      {"a service the devices do not serve",
       kDevice17,
       {0x81, 0x0A, 0x00, 0x0A, 0x01, 0x04, 0x00, 0x05, 0x08, 0x06},
       {{kDevice17, {0x81, 0x0A, 0x00, 0x09, 0x01, 0x00, 0x60, 0x08, 0x09}}}},
      {"a segmented request",
       kDevice17,
       {0x81, 0x0A, 0x00, 0x13, 0x01, 0x04, 0x0C, 0x05, 0x09, 0x00, 0x04, 0x0C, 0x0C, 0x00, 0x00,
        0x00, 0x01, 0x19, 0x55},
       {{kDevice17, {0x81, 0x0A, 0x00, 0x09, 0x01, 0x00, 0x71, 0x09, 0x04}}}},
      {"a device no port reaches",
       kRouter,
       {0x81, 0x0A, 0x00, 0x16, 0x01, 0x24, 0x00, 0x09, 0x01, 0x20, 0xFF,
        0x00, 0x04, 0x05, 0x0C, 0x0C, 0x02, 0x00, 0x01, 0x90, 0x19, 0x4D},
       {}},
      {"the router's own address, where no device is",
       kRouter,
       {0x81, 0x0A, 0x00, 0x11, 0x01, 0x04, 0x00, 0x05, 0x06, 0x0C, 0x0C, 0x00, 0x00, 0x00, 0x01,
        0x19, 0x55},
       {}},
      // A priority and a requester behind a router: both carried back.
      {"from behind another router, priority urgent",
       kRouter,
       {0x81, 0x0A, 0x00, 0x1A, 0x01, 0x2E, 0x00, 0x05, 0x01, 0x14, 0x00, 0x0B, 0x01,
        0x63, 0xFF, 0x00, 0x04, 0x05, 0x0C, 0x0C, 0x02, 0x00, 0x01, 0x2C, 0x19, 0x4F},
       {{kRouter,
         {0x81, 0x0A, 0x00, 0x1D, 0x01, 0x2A, 0x00, 0x0B, 0x01, 0x63, 0x00, 0x05, 0x01, 0x14, 0xFF,
          0x30, 0x05, 0x0C, 0x0C, 0x02, 0x00, 0x01, 0x2C, 0x19, 0x4F, 0x3E, 0x91, 0x08, 0x3F}}}},
  };
  for (const Exchanged& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Exchange(k.to, k.datagram, -1, k.answers.size()), k.answers);
  }
}

// What the port answers is what the link's path answers, octet for octet.
TEST_F(Bip, ReadPropertyMultipleAnswersAsTheLinkDoes) {
  // Device 17: Object_Name, Vendor_Identifier, a property it lacks; and
  // analog-input 7, which it lacks.
  const Bytes rpm = {0x0C, 0x02, 0x00, 0x00, 0x11, 0x1E, 0x09, 0x4D, 0x09, 0x78, 0x0A, 0x27,
                     0x0F, 0x1F, 0x0C, 0x00, 0x00, 0x00, 0x07, 0x1E, 0x09, 0x55, 0x1F};
  RawClient c;
  ConnectRegistered(&c);
  Bytes r = Ask(&c, Confirmed(14, Mac({0xc0, 0xa8, 0x01, 0x11, 0xba, 0xc0}), rpm, 3, 1));
  ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_CONF_REQUEST);
  ASSERT_EQ(RawReadFrame(&c, &r), 1);
  ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
  ASSERT_EQ(IpcGet16(r, 12), IPC_OUTCOME_OK);
  const Bytes link(r.begin() + 68, r.end());
  const Bytes apdu = Cat({{0x00, 0x05, 0x21, 0x0E}, rpm});
  const Bytes ack = Cat({{0x30, 0x21, 0x0E}, link});
  EXPECT_EQ(Exchange(kDevice17, Bvll(0x0A, Cat({{0x01, 0x04}, apdu}))),
            (std::vector<Got>{{kDevice17, Bvll(0x0A, Cat({kLocal, ack}))}}));
  // Too long for a requester of 50 octets: the port sends no segments.
  const Bytes small = Cat({{0x00, 0x00, 0x22, 0x0E}, rpm});
  EXPECT_EQ(Exchange(kDevice17, Bvll(0x0A, Cat({{0x01, 0x04}, small}))),
            (std::vector<Got>{{kDevice17, Bvll(0x0A, Cat({kLocal, {0x71, 0x22, 0x04}}))}}));
}

TEST_F(Bip, BroadcastManagementAsABbmd) {
  const Bytes ok = {0x81, 0x00, 0x00, 0x06, 0x00, 0x00};
  auto result = [](uint8_t code) { return Bytes{0x81, 0x00, 0x00, 0x06, 0x00, code}; };
  EXPECT_EQ(Exchange(kRouter, {0x81, 0x02, 0x00, 0x04}),
            (std::vector<Got>{{kRouter,
                               {0x81, 0x03, 0x00, 0x0E, 0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0, 0xFF,
                                0xFF, 0xFF, 0xFF}}}));
  std::vector<Got> fdt = Exchange(kRouter, {0x81, 0x06, 0x00, 0x04});
  ASSERT_EQ(fdt.size(), 1u);
  const Bytes site = {0x81, 0x07, 0x00, 0x0E, 0xC0, 0xA8, 0x00, 0x02, 0xBA, 0xC0, 0x00, 0x3C};
  ASSERT_EQ(fdt[0].octets.size(), site.size() + 2);
  EXPECT_TRUE(std::equal(site.begin(), site.end(), fdt[0].octets.begin()));

  EXPECT_EQ(Exchange(kRouter, {0x81, 0x09, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08}),
            (std::vector<Got>{{kRouter, result(0x60)}}))
      << "a broadcast to distribute from a device that has not registered";
  EXPECT_EQ(Exchange(kRouter, {0x81, 0x05, 0x00, 0x06, 0x00, 0x3C}),
            (std::vector<Got>{{kRouter, ok}}));
  fdt = Exchange(kRouter, {0x81, 0x06, 0x00, 0x04});
  ASSERT_EQ(fdt.size(), 1u);
  ASSERT_EQ(fdt[0].octets.size(), 4u + 20u);
  EXPECT_EQ(Bytes(fdt[0].octets.begin(), fdt[0].octets.begin() + 4),
            (Bytes{0x81, 0x07, 0x00, 0x18}));
  const Bytes mine(fdt[0].octets.begin() + 14, fdt[0].octets.end());
  EXPECT_EQ(Bytes(mine.begin(), mine.begin() + 8), Cat({own_, {0x00, 0x3C}}));
  const unsigned left = mine[8] << 8 | mine[9];
  EXPECT_LE(left, 90u) << "the time to live and 30 s of grace at most";
  EXPECT_GE(left, 60u);

  // The ioctl that reads the FDT of port 1 has the entry too.
  RawClient c;
  ConnectRegistered(&c);
  const Bytes body = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF,
                      0x2E, 0x92, 0x01, 0x03, 0x21, 0x01, 0x2F};
  Bytes r = Ask(&c, Message(IPC_KIND_IOCTL, 0, body));
  ASSERT_GE(r.size(), 68u);
  const Bytes answer(r.begin() + 68, r.end());
  const Bytes entry = Cat({{0x65, 0x0A}, own_, {0x00, 0x3C}});
  EXPECT_NE(std::search(answer.begin(), answer.end(), entry.begin(), entry.end()), answer.end());

  // Registered, its broadcast is handled as one on the local network.
  EXPECT_EQ(Sorted(Exchange(kRouter, {0x81, 0x09, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08})),
            Sorted({{kDevice17, Bvll(0x0A, Cat({kLocal, kIAm17}))},
                    {kDevice18, Bvll(0x0A, Cat({kLocal, kIAm18}))}}));
  const Bytes remove = Bvll(0x08, own_);
  EXPECT_EQ(Exchange(kRouter, remove), (std::vector<Got>{{kRouter, ok}}));
  EXPECT_EQ(Exchange(kRouter, remove), (std::vector<Got>{{kRouter, result(0x50)}}));

  struct Case {
    const char* what;
    From to;
    Bytes datagram;
    uint8_t nak;
  } naks[] = {
      {"Write-Broadcast-Distribution-Table", kRouter,
       Bvll(0x01, {0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF}), 0x10},
      {"Read-Broadcast-Distribution-Table at a device", kDevice17, {0x81, 0x02, 0x00, 0x04}, 0x20},
      {"Register-Foreign-Device at a device",
       kDevice17,
       {0x81, 0x05, 0x00, 0x06, 0x00, 0x3C},
       0x30},
      {"Register-Foreign-Device for no time", kRouter, {0x81, 0x05, 0x00, 0x06, 0x00, 0x00}, 0x30},
      {"Read-Foreign-Device-Table at a device", kDevice17, {0x81, 0x06, 0x00, 0x04}, 0x40},
  };
  for (const Case& k : naks) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Exchange(k.to, k.datagram), (std::vector<Got>{{k.to, result(k.nak)}}));
  }
}

// A BBMD's Forwarded-NPDU carries the original requester, who gets the answers.
TEST_F(Bip, ForwardedNpduIsAnsweredToItsOriginalSource) {
  const Bytes forwarded = Bvll(0x04, Cat({other_address_, {0x01, 0x00, 0x10, 0x08}}));
  SendTo(kRouter, forwarded);
  EXPECT_EQ(Sorted(Exchange(kRouter, {0x81, 0x0A, 0x00, 0x04}, other_)),
            Sorted({{kDevice17, Bvll(0x0A, Cat({kLocal, kIAm17}))},
                    {kDevice18, Bvll(0x0A, Cat({kLocal, kIAm18}))}}));
}

// Every datagram cut at every length is dropped or answered, never more;
// the port then answers as before and the link's clients are served on.
TEST_F(Bip, CutDatagramsAreDropped) {
  RawClient c;
  ConnectRegistered(&c);
  const Bytes whole[] = {
      {0x81, 0x0B, 0x00, 0x11, 0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08, 0x09, 0x12, 0x1A,
       0x01, 0x2C},
      {0x81, 0x0A, 0x00, 0x1A, 0x01, 0x2E, 0x00, 0x05, 0x01, 0x14, 0x00, 0x0B, 0x01,
       0x63, 0xFF, 0x00, 0x04, 0x05, 0x0C, 0x0C, 0x02, 0x00, 0x01, 0x2C, 0x19, 0x4F},
      {0x81, 0x0A, 0x00, 0x13, 0x01, 0x04, 0x0C, 0x05, 0x09, 0x00, 0x04, 0x0C, 0x0C, 0x00, 0x00,
       0x00, 0x01, 0x19, 0x55},
      Bvll(0x04, Cat({own_, {0x01, 0x00, 0x10, 0x08}})),
      {0x81, 0x05, 0x00, 0x06, 0x00, 0x3C},
      Bvll(0x08, own_),
  };
  for (const Bytes& d : whole) {
    for (size_t n = 0; n < d.size(); ++n) {
      SCOPED_TRACE(Hex(d) + "cut to " + std::to_string(n));
      Bytes cut(d.begin(), d.begin() + n);
      EXPECT_EQ(Exchange(kRouter, cut), std::vector<Got>{}) << "its BVLC length is the whole's";
      EXPECT_EQ(Exchange(kDevice17, cut), std::vector<Got>{});
      // The length made to match: the message itself is cut.
      if (n >= 4) {
        cut[2] = uint8_t(n >> 8);
        cut[3] = uint8_t(n);
        Exchange(kRouter, cut);
        Exchange(kDevice17, cut);
      }
    }
  }
  EXPECT_EQ(
      Exchange(kRouter, {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0x00, 0x05, 0x00, 0xFF, 0x10, 0x08}),
      (std::vector<Got>{{kRouter, Bvll(0x0A, Cat({kFrom300, kIAm300}))}}));
  EXPECT_TRUE(Answers(&c));
  EXPECT_TRUE(VmdWaitLog(server_, "dropped: BVLC length is not the datagram's", kWaitMs));
}

// A BBMD may pass back what the port's own sockets sent: an I-Am from one
// of them reaches no client (the device is found at its site address),
// another station's does.
TEST_F(Bip, OwnIAmsPassedBackReachNoClient) {
  RawClient c;
  ConnectRegistered(&c);
  const struct {
    const char* what;
    Bytes origin;
    bool relayed;
  } cases[] = {
      {"from device 17's port", At(kDevice17), false},
      {"from the router's port", At(kRouter), false},
      {"from another station", other_address_, true},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Exchange(kRouter, Bvll(0x04, Cat({k.origin, kLocal, kIAm17}))), std::vector<Got>{});
    std::vector<Bytes> got = Indications(&c);
    ASSERT_EQ(got.size(), k.relayed ? 1u : 0u);
    if (got.empty()) continue;
    IpcTxnParams p{};
    ASSERT_TRUE(IpcTxnParamsRead(got[0], &p));
    EXPECT_TRUE(VmdSameAddress(p.remote, MacOf(k.origin)));
  }
  EXPECT_TRUE(
      VmdWaitLog(server_, "B/IP: I-Am from " + Text(other_address_) + " to 1 client", kWaitMs));
}

// Anyone on the network can send a datagram again and again: the port logs
// a few lines a second of each kind and sender, and counts the rest.
TEST_F(Bip, FloodsWriteAFewLogLinesASecond) {
  // Batches small enough for the sockets' buffers, each fenced at the same
  // socket of the port, which takes its datagrams in order.
  constexpr size_t kFlood = 600, kBatch = 20;
  const Bytes readBdt = {0x81, 0x02, 0x00, 0x04};
  const std::string me = Text(own_);
  const struct {
    const char* what;
    Bytes datagram;
    std::string line;
  } kinds[] = {
      {"Who-Is",
       {0x81, 0x0B, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08},
       "B/IP: Who-Is from " + me + " answered by 2 devices"},
      {"ReadProperty at the router's own address",
       {0x81, 0x0A, 0x00, 0x11, 0x01, 0x04, 0x00, 0x05, 0x06, 0x0C, 0x0C, 0x00, 0x00, 0x00, 0x01,
        0x19, 0x55},
       "B/IP: confirmed request from " + me + " reaches no device"},
      {"Register-Foreign-Device",
       {0x81, 0x05, 0x00, 0x06, 0x00, 0x3C},
       "B/IP: foreign device " + me + ", time to live 60 s: registered"},
      {"Register-Foreign-Device refused",
       {0x81, 0x05, 0x00, 0x06, 0x00, 0x00},
       "B/IP: foreign device " + me + ", time to live 0 s: refused"},
      {"SimpleACK of nothing asked",
       {0x81, 0x0A, 0x00, 0x09, 0x01, 0x00, 0x20, 0x09, 0x0F},
       "B/IP: answer from " + me + " to nothing the port asked (invoke id 9)"},
      {"NPDU version 2",
       {0x81, 0x0A, 0x00, 0x06, 0x02, 0x00},
       "B/IP: datagram from " + me + " dropped: not NPDU version 1"},
  };
  const std::string more = " more like it in the last second)";
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.what);
    const auto start = std::chrono::steady_clock::now();
    for (size_t sent = 0; sent < kFlood && !HasFatalFailure(); sent += kBatch) {
      for (size_t i = 0; i < kBatch; ++i)
        SendTo(kRouter, k.datagram);
      SendTo(kRouter, readBdt);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
      for (std::optional<Got> g; (g = Next(-1, deadline));)
        if (g->from == kRouter && g->octets[1] == 0x03) break;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    // A line stands for itself and the N more it counts: once the last
    // second is over, every datagram is accounted for.
    size_t lines = 0, accounted = 0, counted = 0;
    WaitUntil([&] {
      lines = accounted = counted = 0;
      for (const std::string& l : VmdLogLines(server_)) {
        if (l.find(k.line) == std::string::npos) continue;
        ++lines;
        ++accounted;
        size_t at = l.find(" (and ");
        if (at == std::string::npos) continue;
        EXPECT_EQ(l.compare(l.size() - more.size(), more.size(), more), 0) << l;
        counted += std::stoul(l.substr(at + 6));
      }
      accounted += counted;
      return accounted >= kFlood;
    });
    EXPECT_EQ(accounted, kFlood);
    EXPECT_GT(counted, 0u);
    // Three lines and one count a second at most, in every second begun.
    EXPECT_LE(lines, 4 * (size_t(seconds) + 2));
  }
}

TEST_F(Bip, PortWithoutABbmdRefusesItsTables) {
  VmdConfig config = BaseConfig();
  config.bip = true;
  config.bip_port = 0;
  std::string error;
  ASSERT_TRUE(VmdSiteParse(&config.site, R"(
[device 18]
mac = c0:a8:01:12:ba:c0
)",
                           "nobbmd.site", &error))
      << error;
  Start(config);
  ports_[kRouter] = VmdBipPort(server_);
  ports_[kDevice17] = 1;  // none
  ports_[kDevice18] = VmdBipDevicePort(server_, 18);
  auto result = [](uint8_t code) { return Bytes{0x81, 0x00, 0x00, 0x06, 0x00, code}; };
  struct Case {
    Bytes datagram;
    uint8_t nak;
  } naks[] = {{{0x81, 0x02, 0x00, 0x04}, 0x20},
              {{0x81, 0x05, 0x00, 0x06, 0x00, 0x3C}, 0x30},
              {{0x81, 0x06, 0x00, 0x04}, 0x40},
              {Bvll(0x08, own_), 0x50},
              {{0x81, 0x09, 0x00, 0x08, 0x01, 0x00, 0x10, 0x08}, 0x60}};
  for (const Case& k : naks)
    EXPECT_EQ(Exchange(kRouter, k.datagram), (std::vector<Got>{{kRouter, result(k.nak)}}))
        << Hex(k.datagram);
}

// The port as the way out to B/IP devices the site does not simulate: the
// test's socket plays one, at the port's broadcast address.
class BipRelay : public Bip {
 protected:
  void SetUp() override {
    Bip::SetUp();
    StartBip("127.0.0.1:" + std::to_string(own_[4] << 8 | own_[5]));
    ConnectRegistered(&c_);
  }

  // The next datagram at the test's socket, from the router's port.
  Bytes Receive() {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, kWaitMs) != 1) {
      ADD_FAILURE() << "nothing came from the port";
      return {};
    }
    uint8_t buf[2048];
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    EXPECT_EQ(ntohs(sa.sin_port), ports_[kRouter]);
    return n > 0 ? Bytes(buf, buf + n) : Bytes{};
  }

  // The next frame of a kind on the link, past the others.
  Bytes Frame(uint16_t kind) {
    Bytes r;
    while (RawReadFrame(&c_, &r) == 1)
      if (IpcGet16(r, 0) == kind) return r;
    ADD_FAILURE() << "no frame of kind 0x" << std::hex << kind;
    return {};
  }

  LinkAddress Station() const {
    return Mac({own_[0], own_[1], own_[2], own_[3], own_[4], own_[5]});
  }

  RawClient c_;
};

TEST_F(BipRelay, WhoIsGoesOutAndIAmsComeBack) {
  Bytes r = Ask(&c_, Unconfirmed(8, Mac({}, 0xFFFF), {}));
  ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_REQUEST);
  EXPECT_EQ(Receive(),
            (Bytes{0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20, 0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08}));
  // Device 99 answers: I-Am, 480 octets, no segmentation, vendor 7.
  const Bytes iam = {0xC4, 0x02, 0x00, 0x00, 0x63, 0x22, 0x01, 0xE0, 0x91, 0x03, 0x21, 0x07};
  SendTo(kRouter, Bvll(0x0A, Cat({{0x01, 0x00, 0x10, 0x00}, iam})));
  for (;;) {
    Bytes f = Frame(IPC_KIND_UNCONF_INDICATION);
    if (f.empty()) break;
    IpcTxnParams p{};
    ASSERT_TRUE(IpcTxnParamsRead(f, &p));
    if (p.remote.netPresent || !VmdSameAddress(p.remote, Station())) continue;  // simulated
    EXPECT_EQ(p.service, 0);
    EXPECT_EQ(Bytes(f.begin() + 68, f.end()), iam);
    break;
  }
  // A range goes out as it came, to the station it names alone.
  r = Ask(&c_, Unconfirmed(8, Station(), {0x09, 0x63, 0x19, 0x63}));
  EXPECT_EQ(Receive(),
            (Bytes{0x81, 0x0A, 0x00, 0x0C, 0x01, 0x00, 0x10, 0x08, 0x09, 0x63, 0x19, 0x63}));
}

TEST_F(BipRelay, ConfirmedRequestsAreAnsweredByTheStation) {
  const Bytes rp = {0x0C, 0x02, 0x00, 0x00, 0x63, 0x19, 0x4D};
  struct Case {
    const char* what;
    uint8_t service;
    Bytes answer;  // after the invoke id, a station's APDU; empty: none
    uint16_t outcome;
    Bytes data;
  } cases[] = {
      {"ComplexACK",
       12,
       {0x0C, 0x0C, 0x02, 0x00, 0x00, 0x63, 0x19, 0x4D, 0x3E, 0x71, 0x00, 0x3F},
       IPC_OUTCOME_OK,
       {0x0C, 0x02, 0x00, 0x00, 0x63, 0x19, 0x4D, 0x3E, 0x71, 0x00, 0x3F}},
      {"SimpleACK", 15, {0x0F}, IPC_OUTCOME_OK, {}},
      {"Error", 12, {0x0C, 0x91, 0x02, 0x91, 0x20}, IPC_OUTCOME_ERROR, {0x91, 0x02, 0x91, 0x20}},
      {"Reject", 12, {0x09}, IPC_OUTCOME_REJECT, {0x09}},
      {"Abort", 12, {0x05}, IPC_OUTCOME_ABORT, {0x05}},
      {"a segmented ComplexACK", 12, {0x00, 0x04, 0x0C, 0x0C}, IPC_OUTCOME_ABORT, {0x04}},
      {"no answer", 12, {}, IPC_OUTCOME_NO_ANSWER, {}},
  };
  constexpr uint8_t kType[] = {0x30, 0x20, 0x50, 0x60, 0x71, 0x3C, 0};
  uint32_t id = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ++id;
    Bytes r = Ask(&c_, Confirmed(k.service, Station(), rp, 3, id));
    ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    // Priority 2, a reply expected; 1476 octets, no segments taken.
    Bytes sent = Receive();
    ASSERT_EQ(sent.size(), 4u + 6u + rp.size());
    const uint8_t invoke = sent[8];
    EXPECT_EQ(sent, Bvll(0x0A, Cat({{0x01, 0x06, 0x00, 0x05, invoke, k.service}, rp})));
    if (!k.answer.empty()) {
      // An answer from elsewhere, or to another invoke id, is not this one's.
      const Bytes answer = Cat({{0x01, 0x00, kType[&k - cases], invoke}, k.answer});
      SendTo(kRouter, Bvll(0x0A, answer), other_);
      SendTo(kRouter, Bvll(0x0A, Cat({{0x01, 0x00, 0x20, uint8_t(invoke + 1), 0x0F}})));
      SendTo(kRouter, Bvll(0x0A, answer));
    }
    Bytes f = Frame(IPC_KIND_CONFIRMATION);
    ASSERT_GE(f.size(), 68u);
    EXPECT_EQ(IpcGet32(f, 8), id);
    EXPECT_EQ(IpcGet16(f, 12), k.outcome);
    EXPECT_EQ(Bytes(f.begin() + 68, f.end()), k.data);
    if (kType[&k - cases] == 0x3C) {
      EXPECT_EQ(Receive(), (Bytes{0x81, 0x0A, 0x00, 0x09, 0x01, 0x00, 0x70, invoke, 0x04}))
          << "the station's segmented answer is aborted";
    }
  }
}

// The port bound to a loopback address hears the loopback network's
// broadcasts as it hears a subnet's, and a client's Who-Is goes out to that
// broadcast address: its own broadcast comes back to it.
class BipSubnet : public Bip {
 protected:
  void SetUp() override {
    Bip::SetUp();
    int one = 1;
    ASSERT_EQ(setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one), 0);
    // The broadcast address names the port's UDP port, which is therefore
    // chosen first; should another socket take it meanwhile, another is.
    VmdStop(server_);
    server_ = nullptr;
    std::string error;
    for (int i = 0; i < 10 && !server_; ++i) {
      Bytes free;
      close(Socket(&free));
      const uint16_t port = uint16_t(free[4] << 8 | free[5]);
      VmdConfig config = BaseConfig();
      config.bip = true;
      config.bip_port = port;
      config.bip_broadcast = std::string(kBroadcast).append(":").append(std::to_string(port));
      ASSERT_TRUE(VmdSiteParse(&config.site, kSite, "bip.site", &error)) << error;
      server_ = VmdStart(config, &error);
    }
    ASSERT_NE(server_, nullptr) << error;
    Started();
    ConnectRegistered(&c_);
  }

  void Broadcast(const Bytes& d) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    inet_pton(AF_INET, kBroadcast, &sa.sin_addr);
    sa.sin_port = htons(ports_[kRouter]);
    ASSERT_EQ(sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa),
              ssize_t(d.size()));
  }

  static constexpr const char* kBroadcast = "127.255.255.255";
  RawClient c_;
};

TEST_F(BipSubnet, BroadcastsOfTheSubnetAreHeard) {
  for (const Exchanged& k : kBroadcastWhoIs) {
    SCOPED_TRACE(k.what);
    Broadcast(k.datagram);
    EXPECT_EQ(Sorted(Collect(k.answers.size())), Sorted(k.answers));
    // Nothing more: the port sends a datagram's answers together.
    EXPECT_EQ(Exchange(kDevice17, kFence), (std::vector<Got>{{kDevice17, kFenceAnswer}}));
  }
  EXPECT_TRUE(VmdWaitLog(server_,
                         "B/IP port hears broadcasts at " + std::string(kBroadcast) + ":" +
                             std::to_string(ports_[kRouter]),
                         kWaitMs));
}

TEST_F(BipSubnet, ClientsFindEachSimulatedDeviceOnce) {
  Bytes r = Ask(&c_, Unconfirmed(8, Mac({}, 0xFFFF), {}));
  ASSERT_EQ(IpcGet16(r, 0), IPC_KIND_UNCONF_REQUEST);
  // Logged once the Who-Is has gone out of the port.
  ASSERT_TRUE(VmdWaitLog(server_, "Who-Is to network 65535 mac (broadcast) answered", kWaitMs));
  // The port had its own broadcast before this one, and the router what
  // the devices might have sent it before this request.
  Broadcast({0x81, 0x0B, 0x00, 0x0C, 0x01, 0x00, 0x10, 0x08, 0x09, 0x11, 0x19, 0x11});
  EXPECT_EQ(Collect(1), std::vector<Got>{kAnswer17});
  std::vector<Got> bdt = Exchange(kRouter, {0x81, 0x02, 0x00, 0x04});
  ASSERT_EQ(bdt.size(), 1u);
  EXPECT_EQ(bdt[0].octets[1], 0x03) << "a Read-Broadcast-Distribution-Table-Ack, and nothing else";
  const struct {
    uint32_t instance;
    LinkAddress address;
  } site[] = {
      {17, Mac({0xc0, 0xa8, 0x01, 0x11, 0xba, 0xc0})},
      {18, Mac({0xc0, 0xa8, 0x01, 0x12, 0xba, 0xc0})},
      {300, Mac({0x14}, 5)},
      {400, Mac({0x20}, 9)},
  };
  std::vector<Bytes> got = Indications(&c_);
  ASSERT_EQ(got.size(), std::size(site));
  for (const auto& d : site) {
    SCOPED_TRACE(d.instance);
    auto at = std::find_if(got.begin(), got.end(), [&](const Bytes& f) {
      IpcTxnParams p{};
      return IpcTxnParamsRead(f, &p) && VmdSameAddress(p.remote, d.address);
    });
    ASSERT_NE(at, got.end());
    // The I-Am's object identifier: a device object of this instance.
    EXPECT_EQ(Bytes(at->begin() + 68, at->begin() + 73),
              (Bytes{0xC4, 0x02, uint8_t(d.instance >> 16), uint8_t(d.instance >> 8),
                     uint8_t(d.instance)}));
  }
  // Read at their addresses, the devices answer from the site; and a device's
  // own B/IP port is no station to send a request to either.
  const Bytes rp = {0x0C, 0x02, 0x3F, 0xFF, 0xFF, 0x19, 0x4D};
  uint32_t id = 0;
  for (const auto& d : site) {
    r = Ask(&c_, Confirmed(12, d.address, rp, 3, ++id));
    ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
    ASSERT_EQ(RawReadFrame(&c_, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
  }
  r = Ask(&c_, Confirmed(12, MacOf(At(kDevice17)), rp, 3, ++id));
  ASSERT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
  ASSERT_EQ(RawReadFrame(&c_, &r), 1);
  EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
  EXPECT_EQ(IpcGet16(r, 12), IPC_OUTCOME_NO_ANSWER);
  for (const std::string& l : VmdLogLines(server_)) {
    EXPECT_EQ(l.find("sent to B/IP"), std::string::npos) << l;
    EXPECT_EQ(l.find("B/IP: I-Am from"), std::string::npos) << l;
    EXPECT_EQ(l.find("B/IP: Who-Is from " + Text(At(kRouter))), std::string::npos) << l;
  }
}

// Whether a source is one of the port's own sockets, by the addresses they
// are bound to: a socket bound to every interface is its UDP port at any
// address of the host.
TEST(BipOwn, SourcesThatAreThePortsOwnSockets) {
  const VmdBipEndpoint every[] = {{nullptr, {{0, 0, 0, 0, 0xBA, 0xC0}}},
                                  {nullptr, {{0, 0, 0, 0, 0x9C, 0x40}}}};
  const VmdBipEndpoint one[] = {{nullptr, {{10, 77, 0, 1, 0xBA, 0xC0}}},
                                {nullptr, {{10, 77, 0, 1, 0x9C, 0x40}}}};
  const uint32_t locals[] = {0x7F000001, 0x0A4D0001};  // 127.0.0.1, 10.77.0.1
  const struct {
    const char* what;
    bool every;
    VmdBipAddress source;
    bool own;
  } cases[] = {
      {"the router's port at an interface's address", true, {{10, 77, 0, 1, 0xBA, 0xC0}}, true},
      {"a device's port at an interface's address", true, {{10, 77, 0, 1, 0x9C, 0x40}}, true},
      {"the router's port at the loopback address", true, {{127, 0, 0, 1, 0xBA, 0xC0}}, true},
      {"a device's port on the loopback network", true, {{127, 0, 0, 2, 0x9C, 0x40}}, true},
      {"another station at the port's UDP port", true, {{10, 77, 0, 2, 0xBA, 0xC0}}, false},
      {"another UDP port of this host", true, {{10, 77, 0, 1, 0xBA, 0xC1}}, false},
      {"the bound address at the router's port", false, {{10, 77, 0, 1, 0xBA, 0xC0}}, true},
      {"the bound address at a device's port", false, {{10, 77, 0, 1, 0x9C, 0x40}}, true},
      {"another address of this host at the port", false, {{127, 0, 0, 1, 0xBA, 0xC0}}, false},
      {"another station", false, {{10, 77, 0, 2, 0xBA, 0xC0}}, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(VmdBipIsOwn(k.every ? std::span(every) : std::span(one), locals, k.source), k.own);
  }
}

TEST(BipCli, Option) {
  struct Case {
    std::vector<const char*> args;
    bool ok, bip;
    const char* host;
    uint16_t port;
  } cases[] = {
      {{}, true, false, "127.0.0.1", 47808},
      {{"--bip", "47808"}, true, true, "127.0.0.1", 47808},
      {{"--bip=0"}, true, true, "127.0.0.1", 0},
      {{"--bip", "10.0.0.5:47809", "--tcp", "0"}, true, true, "10.0.0.5", 47809},
      {{"--bip", "70000"}, false, false, "", 0},
      {{"--bip", ":47808"}, false, false, "", 0},
      {{"--bip"}, false, false, "", 0},
  };
  for (const Case& k : cases) {
    std::vector<const char*> argv{"velmorad"};
    argv.insert(argv.end(), k.args.begin(), k.args.end());
    VmdCli cli;
    std::string error;
    ASSERT_EQ(VmdCliParse(int(argv.size()), argv.data(), &cli, &error), k.ok) << error;
    if (!k.ok) continue;
    VmdConfig config = VmdCliConfig(cli);
    EXPECT_EQ(config.bip, k.bip);
    EXPECT_EQ(config.bip_host, k.host);
    EXPECT_EQ(config.bip_port, k.port);
  }
  EXPECT_NE(std::string(VmdUsage()).find("--bip [HOST:]PORT"), std::string::npos);
}

}  // namespace
