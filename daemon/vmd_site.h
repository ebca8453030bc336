// Site description of the stand-in daemon: its own port address and the
// simulated devices behind it, with their objects and property values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "daemon/vmd_device.h"
#include "daemon/vmd_ports.h"
#include "runtime/ipc/link_address.h"

// The network layer's timers, as the site sets them (reported, not run).
struct VmdNlTimeouts {
  uint32_t ptp_term_time = 60;             // s
  uint32_t default_term_time = 60;         // s
  uint32_t ptp_safety_time = 1000;         // ms
  uint32_t find_dnet_time = 3000;          // ms
  uint32_t ptp_connect_time = 15000;       // ms
  uint32_t connect_ack_time = 15000;       // ms
  uint32_t router_busy_time = 30000;       // ms
  uint32_t router_broadcast_period = 300;  // s
};

// BACnet's usual APDU time-out: without it in the site, an unanswered
// request waits this long.
inline constexpr uint32_t kVmdDefaultApduTimeoutMs = 3000;

struct VmdSite {
  LinkAddress local;
  uint32_t max_apdu;
  uint8_t version[3];  // runtime version reported at registration
  // How long a confirmed request that no device answers waits for its
  // time-out confirmation (0: at once).
  uint32_t apdu_timeout_ms;
  VmdNlTimeouts nl;
  std::vector<VmdPort> ports;  // the daemon's network ports, in file order
  std::vector<VmdDevice> devices;
};

// The bare site: local MAC 7f:00:00:01:ba:c0, network 0, APDU 1476, 6.2.4,
// APDU time-out 3000 ms, no devices. Site files start from it.
void VmdSiteDefaults(VmdSite* site);

// Parses a site text. On failure returns false and writes
// "NAME:LINE: message" into `error`. `name` only labels messages.
bool VmdSiteParse(VmdSite* site, const std::string& text, const std::string& name,
                  std::string* error);
// A site file of more bytes is refused: far beyond any real site, and a
// bound on what a mistaken path (a device, an endless file) could fill.
inline constexpr size_t kVmdSiteMaxBytes = 4u << 20;
// Reads and parses a site file: a regular file of at most kVmdSiteMaxBytes.
// On failure `error` holds the path and the cause ("PATH: cannot read: Is a
// directory", "PATH: not a regular file") or the parse error.
bool VmdSiteLoad(VmdSite* site, const std::string& path, std::string* error);
// The demo site (daemon/sites/demo.site) as built into the program: what
// velmorad serves without --site.
const char* VmdDemoSiteText();
bool VmdSiteLoadDemo(VmdSite* site, std::string* error);

const VmdDevice* VmdSiteFindDevice(const VmdSite& site, uint32_t instance);
const VmdPort* VmdSiteFindPort(const VmdSite& site, uint32_t id);

// Parses "hh:hh:..." (1 to 7 hex octets) into an address's MAC.
bool VmdParseMac(const std::string& text, LinkAddress* address);
