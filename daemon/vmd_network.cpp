// The network as the daemon runs it: the site's ports with their live
// state (status, BDT, packet counts) and each simulated device's own port.
#include "daemon/vmd_internal.h"

namespace {

// The caller holds the simulated site's mu.
void Ready(VmdServer* s) {
  if (s->sim.ready) return;
  const VmdSite& site = s->config.site;
  for (const VmdPort& p : site.ports)
    s->sim.ports.push_back({p, 0, 0});
  uint16_t local = site.ports.empty() ? 0 : site.ports[0].network;
  for (const VmdDevice& d : site.devices)
    s->sim.devices[d.instance] = {{{VmdDevicePort(d, local), 0, 0}},
                                  VmdPortIndexFor(site.ports, d.address)};
  s->sim.ready = true;
}

}  // namespace

void VmdWithPorts(VmdServer* s, const VmdDevice* d,
                  const std::function<void(std::vector<VmdPortLive>&)>& f) {
  std::lock_guard<std::mutex> lock(s->sim.mu);
  Ready(s);
  f(d ? s->sim.devices[d->instance].ports : s->sim.ports);
}

void VmdCountPackets(VmdServer* s, const VmdDevice& d, bool to_device) {
  std::lock_guard<std::mutex> lock(s->sim.mu);
  Ready(s);
  VmdDeviceNet& net = s->sim.devices[d.instance];
  if (net.route >= 0) {
    VmdPortLive& p = s->sim.ports[size_t(net.route)];
    (to_device ? p.sent : p.received)++;
  }
  VmdPortLive& own = net.ports[0];
  (to_device ? own.received : own.sent)++;
}

void VmdCountBroadcast(VmdServer* s, const std::vector<const VmdDevice*>& reached) {
  std::lock_guard<std::mutex> lock(s->sim.mu);
  Ready(s);
  std::vector<bool> out(s->sim.ports.size(), false);
  for (const VmdDevice* d : reached) {
    VmdDeviceNet& net = s->sim.devices[d->instance];
    if (net.route >= 0) out[size_t(net.route)] = true;
    net.ports[0].received++;
  }
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i]) s->sim.ports[i].sent++;
}
