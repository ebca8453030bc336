// The simulated site as it runs: the network's ports with their live state
// and each simulated device's own port (vmd_network.cpp), and the switches
// tests set on the site's devices (vmd_sim.cpp).
//
// Lock order: `VmdSimSite::mu` is taken last and alone.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "daemon/vmd_core.h"

struct VmdConn;

// A network port and what went through it.
struct VmdPortLive {
  VmdPort port;  // its BDT and status as they are now
  uint64_t received = 0, sent = 0;
};

// A simulated device on the network: its own port, and the position of the
// daemon's port that reaches it (-1: none).
struct VmdDeviceNet {
  std::vector<VmdPortLive> ports;
  int route = -1;
};

struct VmdSimSite {
  std::mutex mu;
  // The site's ports and each simulated device's own, made on first use.
  bool ready = false;
  std::vector<VmdPortLive> ports;
  std::map<uint32_t, VmdDeviceNet> devices;        // by device instance
  std::map<uint32_t, VmdDeviceSwitches> switches;  // tests' changes to the site's
};

// The site's simulated devices (vmd_sim.cpp). A confirmed request always
// gets an answer: the device's, or a time-out when no device takes it.
void VmdDevicesConfirmed(VmdServer* server, const VmdConfirmed& request, VmdAnswer* answer);
// Answers a Who-Is with the I-Am of each device it reaches, none of them
// ahead of the request's own acknowledgement (sent under `rule`).
void VmdDevicesUnconfirmed(VmdConn* conn, const VmdUnconfirmed& request, const VmdKindRule& rule);

// The switches of a device now: the site's, or a test's changes.
VmdDeviceSwitches VmdSwitchesOf(VmdServer* server, const VmdDevice& device);
// The instance range of a Who-Is request: both limits, or neither for
// every instance. False for parameters that are not a Who-Is.
bool VmdWhoIsRange(std::span<const uint8_t> request, uint32_t* low, uint32_t* high);

// The network (vmd_network.cpp). Runs `f` on the ports of the daemon (no
// device) or of a simulated device, under the simulated site's lock.
void VmdWithPorts(VmdServer* server, const VmdDevice* device,
                  const std::function<void(std::vector<VmdPortLive>&)>& f);
// Counts packets between the daemon and a device: `to_device` the requests
// it forwards (and broadcasts that reach the device), else the device's
// answers; on the daemon's port to the device and on the device's own.
void VmdCountPackets(VmdServer* server, const VmdDevice& device, bool to_device);
// A broadcast: one packet out of each of the daemon's ports that reaches a
// device of `reached`, one into each of them.
void VmdCountBroadcast(VmdServer* server, const std::vector<const VmdDevice*>& reached);
