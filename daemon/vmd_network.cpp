// The network as the daemon runs it: the site's ports with their live
// state (status, BDT, packet counts) and each simulated device's own port.
#include "daemon/vmd_internal.h"

namespace {

// The caller holds net_mu.
void Ready(VmdServer* s) {
  if (s->net_ready) return;
  const VmdSite& site = s->config.site;
  for (const VmdPort& p : site.ports)
    s->ports.push_back({p, 0, 0});
  uint16_t local = site.ports.empty() ? 0 : site.ports[0].network;
  for (const VmdDevice& d : site.devices)
    s->devices_net[d.instance] = {{{VmdDevicePort(d, local), 0, 0}},
                                  VmdPortIndexFor(site.ports, d.address)};
  s->net_ready = true;
}

}  // namespace

void VmdWithPorts(VmdServer* s, const VmdDevice* d,
                  const std::function<void(std::vector<VmdPortLive>&)>& f) {
  std::lock_guard<std::mutex> lock(s->net_mu);
  Ready(s);
  f(d ? s->devices_net[d->instance].ports : s->ports);
}

void VmdCountPackets(VmdServer* s, const VmdDevice& d, bool to_device) {
  std::lock_guard<std::mutex> lock(s->net_mu);
  Ready(s);
  VmdDeviceNet& net = s->devices_net[d.instance];
  if (net.route >= 0) {
    VmdPortLive& p = s->ports[size_t(net.route)];
    (to_device ? p.sent : p.received)++;
  }
  VmdPortLive& own = net.ports[0];
  (to_device ? own.received : own.sent)++;
}

void VmdCountBroadcast(VmdServer* s, const std::vector<const VmdDevice*>& reached) {
  std::lock_guard<std::mutex> lock(s->net_mu);
  Ready(s);
  std::vector<bool> out(s->ports.size(), false);
  for (const VmdDevice* d : reached) {
    VmdDeviceNet& net = s->devices_net[d->instance];
    if (net.route >= 0) out[size_t(net.route)] = true;
    net.ports[0].received++;
  }
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i]) s->ports[i].sent++;
}
