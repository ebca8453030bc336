// Site description of the stand-in daemon: its own port address and the
// simulated devices behind it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/ipc/link_address.h"

// One simulated device: its address and its raw settings, kept for the
// modules that simulate device behaviour.
struct VmdSiteDevice {
  uint32_t instance;
  LinkAddress address;
  std::vector<std::pair<std::string, std::string>> settings;
  int line;  // where its section starts, for later error messages
};

struct VmdSite {
  LinkAddress local;
  uint32_t max_apdu;
  uint8_t version[3];  // runtime version reported at registration
  std::vector<VmdSiteDevice> devices;
};

// The built-in site: local MAC 7f:00:00:01:ba:c0, network 0, APDU 1476, 6.2.4.
void VmdSiteDefaults(VmdSite* site);

// Parses a site text. On failure returns false and writes
// "NAME:LINE: message" into `error`. `name` only labels messages.
bool VmdSiteParse(VmdSite* site, const std::string& text, const std::string& name,
                  std::string* error);
bool VmdSiteLoad(VmdSite* site, const std::string& path, std::string* error);

// Parses "hh:hh:..." (1 to 7 hex octets) into an address's MAC.
bool VmdParseMac(const std::string& text, LinkAddress* address);
