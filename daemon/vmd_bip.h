// The daemon's BACnet/IP port: the UDP socket of the site's first port, a
// router to the networks the site reaches behind it, and one UDP socket per
// simulated device of the local network, at which that device answers. A
// datagram is handled whole, with no socket in sight, so that tests and the
// fuzz target can feed any octets to it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "daemon/vmd_device.h"

struct VmdServer;

// A B/IP address: IPv4 address and UDP port, in network order.
struct VmdBipAddress {
  uint8_t octets[6];
};
bool operator==(const VmdBipAddress& a, const VmdBipAddress& b);
// A whole BVLL message of `function` around `body`.
std::vector<uint8_t> VmdBipMessage(uint8_t function, std::span<const uint8_t> body);
// "a.b.c.d:port"
std::string VmdBipAddressText(const VmdBipAddress& address);
// The IPv4 address a.b.c.d as a << 24 | b << 16 | c << 8 | d.
uint32_t VmdBipHost(const VmdBipAddress& address);

// A socket of the port: the router's own (no device), or a local device's.
struct VmdBipEndpoint {
  const VmdDevice* device;
  VmdBipAddress address;
};

// Whether `source` is one of the port's own sockets, `endpoints`: the
// address one is bound to, or the UDP port of one bound to every interface
// (0.0.0.0) at an address of this host, one of `locals` (as VmdBipHost
// gives them) or of the loopback network. What the port
// sends itself (a broadcast that comes back, its devices' answers) is not
// news to it.
bool VmdBipIsOwn(std::span<const VmdBipEndpoint> endpoints, std::span<const uint32_t> locals,
                 const VmdBipAddress& source);
// The same for the server's B/IP port as it is open.
bool VmdBipOwn(const VmdServer* server, const VmdBipAddress& source);

// A datagram to send from endpoint `from` (an index into the endpoints).
struct VmdBipDatagram {
  size_t from;
  VmdBipAddress to;
  std::vector<uint8_t> octets;
  int delay_ms;
};

// The BVLC result codes.
inline constexpr uint16_t kVmdBvlcSuccess = 0x0000;
inline constexpr uint16_t kVmdBvlcWriteBdtNak = 0x0010;
inline constexpr uint16_t kVmdBvlcReadBdtNak = 0x0020;
inline constexpr uint16_t kVmdBvlcRegisterNak = 0x0030;
inline constexpr uint16_t kVmdBvlcReadFdtNak = 0x0040;
inline constexpr uint16_t kVmdBvlcDeleteNak = 0x0050;
inline constexpr uint16_t kVmdBvlcDistributeNak = 0x0060;

// Handles one datagram that arrived at endpoint `at` from `source`: what it
// asks for is appended to `out`. Malformed datagrams are dropped with a log
// line, and what the port sent itself without one; the lines a sender can
// repeat at will are rate limited (VmdLogLimited).
void VmdBipHandle(VmdServer* server, size_t at, const VmdBipAddress& source,
                  std::span<const uint8_t> datagram, std::vector<VmdBipDatagram>* out);

struct VmdBipRelayed;
// Confirms a relayed request to its client, unless the client cancelled it.
void VmdBipConfirm(VmdServer* server, const VmdBipRelayed& relayed, uint16_t outcome,
                   std::span<const uint8_t> data);
