#include "daemon/vmd_ports.h"

#include <algorithm>

#include "daemon/vmd_names.h"

bool VmdPortIsPtp(const VmdPort& p) { return p.type == kVmdPortPtp; }

bool VmdPortIsBip(const VmdPort& p) {
  return p.type == kVmdPortPhysical && p.protocol == kVmdProtocolBip;
}

bool VmdPortFinish(VmdPort* p, std::string* error) {
  std::string port = "port " + std::to_string(p->id);
  if (p->type < 0 || p->protocol < 0) {
    *error = port + " has no " + (p->type < 0 ? "type" : "protocol");
    return false;
  }
  if ((p->bbmd || !p->bdt.empty() || !p->fdt.empty()) && !VmdPortIsBip(*p)) {
    *error = port + ": bbmd, bdt and fdt belong to a physical B/IP port";
    return false;
  }
  if ((!p->bdt.empty() || !p->fdt.empty()) && !p->bbmd) {
    *error = port + ": bdt and fdt entries need bbmd = yes";
    return false;
  }
  if (!VmdPortIsPtp(*p) && p->status != kVmdPortPermanent) {
    *error = port + ": only a ptp port has a status";
    return false;
  }
  if (VmdPortIsPtp(*p) && p->status == kVmdPortPermanent) p->status = kVmdPortDisconnected;
  return true;
}

uint16_t VmdFdtRemaining(const VmdFdtEntry& e, uint64_t seconds) {
  uint64_t full = std::min<uint64_t>(uint64_t(e.ttl) + kVmdFdtGraceSeconds, 65535);
  if (e.registered < 0) return uint16_t(full - seconds % e.ttl);
  uint64_t passed = seconds - std::min(seconds, uint64_t(e.registered));
  return uint16_t(passed >= full ? 0 : full - passed);
}

void VmdFdtExpire(VmdPort* p, uint64_t seconds) {
  std::erase_if(p->fdt, [&](const VmdFdtEntry& e) {
    return e.registered >= 0 && VmdFdtRemaining(e, seconds) == 0;
  });
}

std::vector<uint16_t> VmdPortNetworks(const VmdPort& p) {
  std::vector<uint16_t> nets;
  if (p.network != 0) nets.push_back(p.network);
  for (uint16_t n : p.networks)
    if (std::find(nets.begin(), nets.end(), n) == nets.end()) nets.push_back(n);
  return nets;
}

int VmdPortIndexFor(const std::vector<VmdPort>& ports, const LinkAddress& device) {
  if (!device.netPresent) return ports.empty() ? -1 : 0;
  for (size_t i = 0; i < ports.size(); ++i) {
    std::vector<uint16_t> nets = VmdPortNetworks(ports[i]);
    if (std::find(nets.begin(), nets.end(), device.net) != nets.end()) return int(i);
  }
  return -1;
}

VmdPort VmdDevicePort(const VmdDevice& d, uint16_t local_network) {
  VmdPort p;
  p.id = 1;
  p.network = d.address.netPresent ? d.address.net : local_network;
  const uint8_t n = d.address.macLen;
  p.type = n == kVmdBipAddressSize || n == 1 ? kVmdPortPhysical : kVmdPortVirtual;
  p.protocol = n == kVmdBipAddressSize ? kVmdProtocolBip
               : n == 1                ? kVmdProtocolMstp
                                       : kVmdProtocolEthernet;
  p.info = VmdHexText(d.address.mac, std::min<size_t>(n, LINK_MAC_MAX));
  p.label = "device " + std::to_string(d.instance);
  return p;
}
