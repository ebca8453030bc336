// Network ports: the daemon's own, as the site file describes them, and the
// one port of each simulated device (derived from its address). A port has
// an identifier, a type and protocol, the number of its network, three
// texts, the networks behind it and, for a B/IP port that is a BBMD, its
// broadcast distribution table (BDT) and foreign device table (FDT).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "daemon/vmd_device.h"

// The port types, and the protocols the daemon itself gives a port.
inline constexpr uint32_t kVmdPortPhysical = 0;
inline constexpr uint32_t kVmdPortVirtual = 1;
inline constexpr uint32_t kVmdPortPtp = 2;
inline constexpr uint32_t kVmdProtocolEthernet = 0;
inline constexpr uint32_t kVmdProtocolBip = 1;
inline constexpr uint32_t kVmdProtocolMstp = 4;

// Port status as reported.
inline constexpr uint32_t kVmdPortDisconnected = 0;
inline constexpr uint32_t kVmdPortConnected = 2;
inline constexpr uint32_t kVmdPortPermanent = 3;

// Octets of a table entry as carried in an ioctl: a B/IP address (IPv4
// address and UDP port) and, for the BDT, the distribution mask.
inline constexpr size_t kVmdBipAddressSize = 6;
inline constexpr size_t kVmdBdtEntrySize = 10;
// A BDT is at most this long (in the site file and written by an ioctl).
inline constexpr size_t kVmdBdtMax = 128;
inline constexpr size_t kVmdFdtMax = 128;
// What a BBMD adds to a foreign device's time to live before it drops it.
inline constexpr uint32_t kVmdFdtGraceSeconds = 30;

struct VmdBdtEntry {
  uint8_t octets[kVmdBdtEntrySize];  // address (6), mask (4)
};

struct VmdFdtEntry {
  uint8_t address[kVmdBipAddressSize];
  uint16_t ttl;  // seconds, 1 to 65535
  // Seconds after the start at which it registered over B/IP; -1 for an
  // entry of the site, which registers again every time to live.
  int64_t registered = -1;
};

struct VmdPort {
  uint32_t id = 0;                   // 1 to 65535
  int64_t type = -1, protocol = -1;  // -1 until the site gives them
  uint16_t network = 0;              // 0: none
  std::string nic, info, label;      // interface name, secondary text, label
  std::vector<uint16_t> networks;    // reached through the port
  bool enabled = true;
  bool bbmd = false;
  std::vector<VmdBdtEntry> bdt;
  std::vector<VmdFdtEntry> fdt;
  uint32_t status = kVmdPortPermanent;  // at start; a PTP port starts disconnected
  int line = 0;                         // where its section starts
};

bool VmdPortIsPtp(const VmdPort& port);
bool VmdPortIsBip(const VmdPort& port);

// Checks a whole port (its type and protocol given, the tables only on a
// B/IP BBMD, a status only on a PTP port) and sets its start status.
bool VmdPortFinish(VmdPort* port, std::string* error);

// A foreign device registers again every time to live, so its remaining
// time counts down from the time to live and grace period and starts over.
// An entry that registered over B/IP counts down once, and is dropped when
// its time runs out (VmdFdtExpire).
uint16_t VmdFdtRemaining(const VmdFdtEntry& entry, uint64_t seconds_since_start);
void VmdFdtExpire(VmdPort* port, uint64_t seconds_since_start);

// The networks reached through a port: its own network (when it has one),
// then those behind it.
std::vector<uint16_t> VmdPortNetworks(const VmdPort& port);
// The position of the port through which a device is reached: the port of
// its network or with its network behind it; the local network is the
// first port's. -1 when no port reaches it.
int VmdPortIndexFor(const std::vector<VmdPort>& ports, const LinkAddress& device);

// The port of a simulated device: port 1 on its network (a device of the
// local network is on `local_network`), B/IP for a 6-octet MAC, MS/TP for a
// 1-octet one, a virtual port otherwise.
VmdPort VmdDevicePort(const VmdDevice& device, uint16_t local_network);
