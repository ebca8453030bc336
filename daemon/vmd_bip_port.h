// The daemon's B/IP port: its sockets, the thread that reads them
// (vmd_bip_port.cpp) and the requests it relays for clients.
//
// Lock order: `VmdBipPortState::mu` is taken last and alone.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_core.h"

struct VmdConn;

// A request the port relays for a client, by the port's invoke id.
struct VmdBipRelayed {
  uint32_t conn;
  VmdConfirmed request;  // its span not kept
  VmdBipAddress to;
  VmdClock::time_point deadline;
  VmdClock::time_point not_before;  // its acknowledgement's time
};

struct VmdBipPortState {
  // Its endpoints (the router's first, then each local device's), fixed
  // once it is open, their sockets, and its thread.
  std::vector<VmdBipEndpoint> endpoints;
  std::vector<int> fds;
  // Bound to one address, the router also hears its subnet's broadcasts on
  // a socket of their own (-1: none); bound to every interface, the host's
  // addresses are those its own datagrams come from.
  int hear_fd = -1;
  std::vector<uint32_t> locals;
  int wake[2] = {-1, -1};
  std::thread thread;
  std::atomic<uint64_t> dropped{0};  // malformed datagrams
  std::atomic<bool> stop{false};
  VmdBipAddress broadcast{};  // where a client's Who-Is goes
  std::mutex mu;
  std::map<uint8_t, VmdBipRelayed> relayed;
  uint8_t next_invoke = 0;
};

// The B/IP port (vmd_bip_port.cpp): opened at start when the configuration
// asks for it, closed at the stop.
bool VmdBipOpen(VmdServer* server, std::string* error);
void VmdBipClose(VmdServer* server);
// Sends a client's confirmed request to a B/IP station of the local
// network that the site does not simulate, with an invoke id of the port's
// own; the station's answer, or a time-out after the site's apdu_timeout,
// confirms it. False when the request is not one for the port.
bool VmdBipRelay(VmdConn* conn, const VmdConfirmed& request, int ack_delay_ms);
// Sends a client's Who-Is out of the port: a broadcast to the port's
// broadcast address, or to the one station it names.
void VmdBipWhoIs(VmdServer* server, const IpcTxnParams& params, std::span<const uint8_t> request);
