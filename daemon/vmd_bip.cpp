// BACnet/IP datagrams at the daemon's port: the BVLL functions of a BBMD
// (its tables from the site, foreign devices registering), the NPDU's
// routing to the site's networks, and the APDUs the simulated devices
// answer through the same model as the IPC link's requests.
#include "daemon/vmd_bip.h"

#include <algorithm>
#include <cstring>

#include "bacnet/asn_check.h"
#include "bacnet/asn_service.h"
#include "daemon/vmd_internal.h"
#include "daemon/vmd_names.h"

namespace {

constexpr uint8_t kBvllType = 0x81;
constexpr size_t kBvllHeader = 4;
// BVLC functions.
constexpr uint8_t kResult = 0x00;
constexpr uint8_t kWriteBdt = 0x01;
constexpr uint8_t kReadBdt = 0x02;
constexpr uint8_t kReadBdtAck = 0x03;
constexpr uint8_t kForwardedNpdu = 0x04;
constexpr uint8_t kRegisterForeignDevice = 0x05;
constexpr uint8_t kReadFdt = 0x06;
constexpr uint8_t kReadFdtAck = 0x07;
constexpr uint8_t kDeleteFdtEntry = 0x08;
constexpr uint8_t kDistributeBroadcast = 0x09;
constexpr uint8_t kOriginalUnicast = 0x0A;
constexpr uint8_t kOriginalBroadcast = 0x0B;

// NPDU control bits.
constexpr uint8_t kNpduVersion = 0x01;
constexpr uint8_t kNetworkMessage = 0x80;
constexpr uint8_t kDestination = 0x20;
constexpr uint8_t kSource = 0x08;
constexpr uint8_t kPriorityMask = 0x03;
constexpr uint16_t kGlobalNetwork = 0xFFFF;
constexpr uint8_t kHopCount = 0xFF;

// APDU types and the flags of a confirmed request.
constexpr uint8_t kConfirmedRequest = 0x0;
constexpr uint8_t kUnconfirmedRequest = 0x1;
constexpr uint8_t kSimpleAckType = 0x2;
constexpr uint8_t kComplexAckType = 0x3;
constexpr uint8_t kErrorType = 0x5;
constexpr uint8_t kRejectType = 0x6;
constexpr uint8_t kAbortType = 0x7;
constexpr uint8_t kComplexAck = 0x30;
constexpr uint8_t kError = 0x50;
constexpr uint8_t kReject = 0x60;
constexpr uint8_t kAbortFromServer = 0x71;
constexpr uint8_t kAbortFromClient = 0x70;
constexpr uint8_t kServiceIAm = 0;
constexpr uint8_t kSegmentedMessage = 0x08;
constexpr uint8_t kAbortSegmentationNotSupported = 4;
// Max_APDU_Length_Accepted by its code; the reserved codes take the least.
constexpr uint32_t kMaxApduByCode[] = {50, 128, 206, 480, 1024, 1476};

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
void Put16(std::vector<uint8_t>* v, uint16_t x) {
  v->push_back(uint8_t(x >> 8));
  v->push_back(uint8_t(x));
}

// Each reason is a kind of its own: one sender's flood of one fault hides
// no other.
void Drop(VmdServer* s, const VmdBipAddress& from, const char* why) {
  uint64_t n = ++s->bip_dropped;
  VmdLogLimited(s, why, from, "B/IP: datagram from %s dropped: %s (%llu dropped)",
                VmdBipAddressText(from).c_str(), why, static_cast<unsigned long long>(n));
}

void Send(std::vector<VmdBipDatagram>* out, size_t from, const VmdBipAddress& to,
          std::vector<uint8_t> octets, int delay_ms = 0) {
  out->push_back({from, to, std::move(octets), delay_ms});
}

void Result(std::vector<VmdBipDatagram>* out, size_t at, const VmdBipAddress& to, uint16_t code) {
  std::vector<uint8_t> body;
  Put16(&body, code);
  Send(out, at, to, VmdBipMessage(kResult, body));
}

struct Npdu {
  uint8_t control = 0;
  bool has_destination = false;
  uint16_t dnet = 0;
  uint8_t dlen = 0;
  uint8_t dadr[LINK_MAC_MAX] = {};
  bool has_source = false;
  uint16_t snet = 0;
  uint8_t slen = 0;
  uint8_t sadr[LINK_MAC_MAX] = {};
  std::span<const uint8_t> apdu;
};

// The NPCI as the network layer lays it out; false for anything the daemon
// cannot place (another version, an address longer than a LinkAddress holds,
// a source that names a broadcast, octets missing).
bool ParseNpdu(std::span<const uint8_t> d, Npdu* n, const char** why) {
  size_t at = 2;
  *why = "NPDU cut short";
  if (d.size() < at) return false;
  if (d[0] != kNpduVersion) {
    *why = "not NPDU version 1";
    return false;
  }
  n->control = d[1];
  auto address = [&](uint16_t* net, uint8_t* len, uint8_t* mac) {
    if (d.size() < at + 3) return false;
    *net = Get16(&d[at]);
    *len = d[at + 2];
    at += 3;
    if (*len > LINK_MAC_MAX) {
      *why = "address longer than 7 octets";
      return false;
    }
    if (d.size() < at + *len) return false;
    std::copy_n(&d[at], *len, mac);
    at += *len;
    return true;
  };
  n->has_destination = (n->control & kDestination) != 0;
  if (n->has_destination && !address(&n->dnet, &n->dlen, n->dadr)) return false;
  n->has_source = (n->control & kSource) != 0;
  if (n->has_source) {
    if (!address(&n->snet, &n->slen, n->sadr)) return false;
    if (n->slen == 0 || n->snet == 0 || n->snet == kGlobalNetwork) {
      *why = "source names no station";
      return false;
    }
  }
  if (n->has_destination) {
    if (d.size() < at + 1) return false;
    ++at;  // hop count
  }
  if (n->control & kNetworkMessage) {
    *why = "network layer message (not served)";
    return false;
  }
  n->apdu = d.subspan(at);
  if (n->apdu.empty()) {
    *why = "no APDU";
    return false;
  }
  return true;
}

// The NPCI of an answer from `device` to the requester of `rq`: the
// device's network and MAC as its source when a router stands between, and
// the requester's own as the destination when one stands on its side.
std::vector<uint8_t> AnswerNpci(const Npdu& rq, const VmdDevice& device) {
  std::vector<uint8_t> v = {kNpduVersion, uint8_t(rq.control & kPriorityMask)};
  if (rq.has_source) {
    v[1] |= kDestination;
    Put16(&v, rq.snet);
    v.push_back(rq.slen);
    v.insert(v.end(), rq.sadr, rq.sadr + rq.slen);
  }
  if (device.address.netPresent) {
    v[1] |= kSource;
    Put16(&v, device.address.net);
    v.push_back(device.address.macLen);
    v.insert(v.end(), device.address.mac, device.address.mac + device.address.macLen);
  }
  if (rq.has_source) v.push_back(kHopCount);
  return v;
}

// The endpoint from which a device answers: its own socket on the local
// network, the router's for a device behind it.
size_t EndpointOf(VmdServer* s, const VmdDevice& d) {
  for (size_t i = 1; i < s->bip_endpoints.size(); ++i)
    if (s->bip_endpoints[i].device == &d) return i;
  return 0;
}

bool Routed(const VmdServer* s, const VmdDevice& d) {
  const std::vector<VmdPort>& ports = s->config.site.ports;
  return !d.address.netPresent || VmdPortIndexFor(ports, d.address) >= 0;
}

// The devices a request at endpoint `at` reaches: for a confirmed request
// the one station it names, else every device of the broadcast (a request
// to the router's own address reaches the local network's devices).
std::vector<const VmdDevice*> Reached(VmdServer* s, size_t at, const Npdu& n, bool confirmed) {
  std::vector<const VmdDevice*> found;
  const VmdBipEndpoint& ep = s->bip_endpoints[at];
  if (ep.device) {
    // A device is no router: only what is meant for it, or for everyone.
    if (!n.has_destination || (n.dnet == kGlobalNetwork && !confirmed)) found.push_back(ep.device);
    return found;
  }
  if (confirmed && n.has_destination && (n.dlen == 0 || n.dnet == kGlobalNetwork)) return found;
  const VmdSite& site = s->config.site;
  const uint16_t local = site.ports.empty() ? 0 : site.ports[0].network;
  const bool on_local = !n.has_destination || (local != 0 && n.dnet == local);
  for (const VmdDevice& d : site.devices) {
    if (!Routed(s, d)) continue;
    bool hit = false;
    if (n.has_destination && n.dnet == kGlobalNetwork) {
      hit = true;
    } else if (on_local) {
      // The router's own address holds no device: the local devices
      // answer a broadcast, each at its own socket.
      hit = !d.address.netPresent && !confirmed;
    } else if (d.address.netPresent && d.address.net == n.dnet) {
      hit = n.dlen == 0 ||
            (n.dlen == d.address.macLen && std::equal(n.dadr, n.dadr + n.dlen, d.address.mac));
    }
    if (hit) found.push_back(&d);
  }
  return found;
}

void WhoIs(VmdServer* s, size_t at, const VmdBipAddress& from, const Npdu& n,
           std::span<const uint8_t> request, std::vector<VmdBipDatagram>* out) {
  uint32_t low = 0, high = 0;
  if (!VmdWhoIsRange(request, &low, &high)) return Drop(s, from, "Who-Is with bad parameters");
  std::vector<const VmdDevice*> reached = Reached(s, at, n, false);
  size_t answered = 0;
  for (const VmdDevice* d : reached) {
    VmdDeviceSwitches sw = VmdSwitchesOf(s, *d);
    if (sw.silent || d->instance < low || d->instance > high) continue;
    std::vector<uint8_t> npdu = AnswerNpci(n, *d);
    std::vector<uint8_t> iam = VmdDeviceIAm(*d);
    npdu.push_back(uint8_t(kUnconfirmedRequest << 4));
    npdu.push_back(0);  // I-Am
    npdu.insert(npdu.end(), iam.begin(), iam.end());
    VmdCountPackets(s, *d, false);
    Send(out, EndpointOf(s, *d), from, VmdBipMessage(kOriginalUnicast, npdu), int(sw.slow_ms));
    ++answered;
  }
  VmdCountBroadcast(s, reached);
  VmdLogLimited(s, "Who-Is", from, "B/IP: Who-Is from %s answered by %zu device%s",
                VmdBipAddressText(from).c_str(), answered, answered == 1 ? "" : "s");
}

void Confirmed(VmdServer* s, size_t at, const VmdBipAddress& from, const Npdu& n,
               std::vector<VmdBipDatagram>* out) {
  std::span<const uint8_t> a = n.apdu;
  if (a.size() < 3) return Drop(s, from, "confirmed request cut short");
  const uint8_t invoke = a[2];
  // Answers go back to the requester from the device's endpoint.
  auto answer = [&](const VmdDevice* d, std::span<const uint8_t> apdu, int delay) {
    std::vector<uint8_t> npdu = AnswerNpci(n, *d);
    npdu.insert(npdu.end(), apdu.begin(), apdu.end());
    Send(out, EndpointOf(s, *d), from, VmdBipMessage(kOriginalUnicast, npdu), delay);
  };
  std::vector<const VmdDevice*> reached = Reached(s, at, n, true);
  const VmdDevice* d = reached.empty() ? nullptr : reached.front();
  if (!d) {
    VmdLogLimited(s, "no device", from, "B/IP: confirmed request from %s reaches no device",
                  VmdBipAddressText(from).c_str());
    return;
  }
  if (a[0] & kSegmentedMessage) {
    VmdLogLimited(s, "segmented request", from, "B/IP: segmented request from %s aborted",
                  VmdBipAddressText(from).c_str());
    const uint8_t abort[] = {kAbortFromServer, invoke, kAbortSegmentationNotSupported};
    return answer(d, abort, 0);
  }
  if (a.size() < 4) return Drop(s, from, "confirmed request cut short");
  const uint8_t code = a[1] & 0x0F;
  VmdConfirmed rq{};
  rq.identifier = invoke;
  rq.params.service = a[3];
  rq.params.priority = n.control & kPriorityMask;
  rq.params.remote = d->address;
  rq.params.maxApdu = code < std::size(kMaxApduByCode) ? kMaxApduByCode[code] : kMaxApduByCode[0];
  // The port sends no segments: a longer answer is aborted.
  rq.params.segAccepted = 0;
  rq.request = a.subspan(4);
  VmdAnswer r;
  VmdDevicesConfirmed(s, rq, &r);
  const uint8_t service = rq.params.service;
  std::vector<uint8_t> apdu;
  switch (r.outcome) {
    case IPC_OUTCOME_OK:
      apdu = {kComplexAck, invoke, service};
      break;
    case IPC_OUTCOME_ERROR:
      apdu = {kError, invoke, service};
      break;
    case IPC_OUTCOME_REJECT:
      apdu = {kReject, invoke};
      break;
    case IPC_OUTCOME_ABORT:
      apdu = {kAbortFromServer, invoke};
      break;
    default:
      return;  // no answer: the requester times out
  }
  apdu.insert(apdu.end(), r.answer.begin(), r.answer.end());
  answer(d, apdu, r.delay_ms);
}

// An I-Am of a B/IP device the site does not simulate reaches every
// registered client.
void IAm(VmdServer* s, const VmdBipAddress& from, const Npdu& n) {
  std::span<const uint8_t> data = n.apdu.subspan(2);
  if (!AsnCheckUnconfirmedRequest(kServiceIAm, data.data(), uint32_t(data.size())))
    return Drop(s, from, "I-Am with bad parameters");
  VmdIncoming iam = VmdIncomingDefaults(s);
  iam.params.service = kServiceIAm;
  LinkAddress& a = iam.params.remote;
  a = LinkAddress{};
  a.kind = s->config.site.local.kind;
  if (n.has_source) {
    a.netPresent = 1;
    a.net = n.snet;
    a.macLen = n.slen;
    std::copy_n(n.sadr, n.slen, a.mac);
  } else {
    a.macLen = sizeof from.octets;
    std::copy_n(from.octets, sizeof from.octets, a.mac);
  }
  iam.payload.assign(data.begin(), data.end());
  std::vector<uint32_t> clients;
  {
    std::lock_guard<std::mutex> lock(s->mu);
    for (const auto& c : s->conns)
      if (!c->ended.load() && c->user.load() != 0) clients.push_back(c->id);
  }
  for (uint32_t id : clients)
    VmdSendUnconfirmed(s, id, iam);
  VmdLogLimited(s, "I-Am", from, "B/IP: I-Am from %s to %zu client%s",
                VmdBipAddressText(from).c_str(), clients.size(), clients.size() == 1 ? "" : "s");
}

// The answer of a B/IP station to a request the port relayed: it confirms
// the client's request.
void Answered(VmdServer* s, size_t at, const VmdBipAddress& from, const Npdu& n,
              std::vector<VmdBipDatagram>* out) {
  std::span<const uint8_t> a = n.apdu;
  const uint8_t type = a[0] >> 4;
  if (a.size() < 3) return Drop(s, from, "answer cut short");
  VmdBipRelayed r;
  {
    std::lock_guard<std::mutex> lock(s->bip_mu);
    auto it = s->bip_relayed.find(a[1]);
    if (at != 0 || n.has_source || it == s->bip_relayed.end() || !(it->second.to == from)) {
      VmdLogLimited(s, "stray answer", from,
                    "B/IP: answer from %s to nothing the port asked (invoke id %u)",
                    VmdBipAddressText(from).c_str(), a[1]);
      return;
    }
    const bool segmented = type == kComplexAckType && (a[0] & kSegmentedMessage);
    const bool service =
        !segmented && (type == kSimpleAckType || type == kComplexAckType || type == kErrorType);
    if (service && a[2] != it->second.request.params.service)
      return Drop(s, from, "answer of another service");
    r = it->second;
    s->bip_relayed.erase(it);
  }
  uint16_t outcome = IPC_OUTCOME_OK;
  std::span<const uint8_t> data = a.subspan(3);
  std::vector<uint8_t> reason;
  if (type == kComplexAckType && (a[0] & kSegmentedMessage)) {
    // The port takes no segments: the station's transaction ends here.
    std::vector<uint8_t> npdu = {kNpduVersion, 0, kAbortFromClient, a[1],
                                 kAbortSegmentationNotSupported};
    Send(out, 0, from, VmdBipMessage(kOriginalUnicast, npdu));
    outcome = IPC_OUTCOME_ABORT;
    reason = {kAbortSegmentationNotSupported};
    data = reason;
  } else if (type == kSimpleAckType) {
    data = {};
  } else if (type == kErrorType) {
    outcome = IPC_OUTCOME_ERROR;
  } else if (type == kRejectType || type == kAbortType) {
    outcome = type == kRejectType ? IPC_OUTCOME_REJECT : IPC_OUTCOME_ABORT;
    data = a.subspan(2, 1);
  }
  VmdBipConfirm(s, r, outcome, data);
}

void HandleNpdu(VmdServer* s, size_t at, const VmdBipAddress& from, std::span<const uint8_t> octets,
                std::vector<VmdBipDatagram>* out) {
  Npdu n;
  const char* why = "";
  if (!ParseNpdu(octets, &n, &why)) return Drop(s, from, why);
  const uint8_t type = n.apdu[0] >> 4;
  if (type == kConfirmedRequest) return Confirmed(s, at, from, n, out);
  if (type == kUnconfirmedRequest) {
    if (n.apdu.size() < 2) return Drop(s, from, "unconfirmed request cut short");
    if (n.apdu[1] == ASN_UNCONFIRMED_WHO_IS) WhoIs(s, at, from, n, n.apdu.subspan(2), out);
    if (n.apdu[1] == kServiceIAm && at == 0) IAm(s, from, n);
    return;
  }
  if (type == kSimpleAckType || type == kComplexAckType || type == kErrorType ||
      type == kRejectType || type == kAbortType)
    return Answered(s, at, from, n, out);
  // Segment acknowledgements and the rest: the port sends no segments.
  if (type > kAbortType) Drop(s, from, "not an APDU type");
}

// The BBMD's tables are those of the site's first port, when it is one.
bool WithBbmd(VmdServer* s, const std::function<void(VmdPort&)>& f) {
  bool bbmd = false;
  VmdWithPorts(s, nullptr, [&](std::vector<VmdPortLive>& ports) {
    if (ports.empty() || !VmdPortIsBip(ports[0].port) || !ports[0].port.bbmd) return;
    bbmd = true;
    VmdFdtExpire(&ports[0].port, VmdUptimeSeconds(s));
    f(ports[0].port);
  });
  return bbmd;
}

void ReadBdt(VmdServer* s, size_t at, const VmdBipAddress& from, std::vector<VmdBipDatagram>* out) {
  std::vector<uint8_t> body;
  if (at != 0 || !WithBbmd(s, [&](VmdPort& p) {
        for (const VmdBdtEntry& e : p.bdt)
          body.insert(body.end(), e.octets, e.octets + sizeof e.octets);
      }))
    return Result(out, at, from, kVmdBvlcReadBdtNak);
  Send(out, at, from, VmdBipMessage(kReadBdtAck, body));
}

void ReadFdt(VmdServer* s, size_t at, const VmdBipAddress& from, std::vector<VmdBipDatagram>* out) {
  std::vector<uint8_t> body;
  const uint64_t now = VmdUptimeSeconds(s);
  if (at != 0 || !WithBbmd(s, [&](VmdPort& p) {
        for (const VmdFdtEntry& e : p.fdt) {
          body.insert(body.end(), e.address, e.address + sizeof e.address);
          Put16(&body, e.ttl);
          Put16(&body, VmdFdtRemaining(e, now));
        }
      }))
    return Result(out, at, from, kVmdBvlcReadFdtNak);
  Send(out, at, from, VmdBipMessage(kReadFdtAck, body));
}

void Register(VmdServer* s, size_t at, const VmdBipAddress& from, uint16_t ttl,
              std::vector<VmdBipDatagram>* out) {
  bool done = false;
  const uint64_t now = VmdUptimeSeconds(s);
  if (at == 0 && ttl != 0)
    WithBbmd(s, [&](VmdPort& p) {
      auto it = std::find_if(p.fdt.begin(), p.fdt.end(), [&](const VmdFdtEntry& e) {
        return std::equal(e.address, e.address + sizeof e.address, from.octets);
      });
      if (it == p.fdt.end() && p.fdt.size() >= kVmdFdtMax) return;
      if (it == p.fdt.end()) it = p.fdt.insert(p.fdt.end(), VmdFdtEntry{});
      std::copy_n(from.octets, sizeof from.octets, it->address);
      it->ttl = ttl;
      it->registered = int64_t(now);
      done = true;
    });
  // A registration and a refusal are kinds of their own: a flood of
  // refusals hides no registration of the same sender.
  VmdLogLimited(s, done ? "registered" : "refused", from,
                "B/IP: foreign device %s, time to live %u s: %s", VmdBipAddressText(from).c_str(),
                unsigned(ttl), done ? "registered" : "refused");
  Result(out, at, from, done ? kVmdBvlcSuccess : kVmdBvlcRegisterNak);
}

void Delete(VmdServer* s, size_t at, const VmdBipAddress& from, const uint8_t* address,
            std::vector<VmdBipDatagram>* out) {
  bool done = false;
  if (at == 0)
    WithBbmd(s, [&](VmdPort& p) {
      auto it = std::find_if(p.fdt.begin(), p.fdt.end(), [&](const VmdFdtEntry& e) {
        return std::equal(e.address, e.address + sizeof e.address, address);
      });
      if (it == p.fdt.end()) return;
      p.fdt.erase(it);
      done = true;
    });
  Result(out, at, from, done ? kVmdBvlcSuccess : kVmdBvlcDeleteNak);
}

bool Registered(VmdServer* s, const VmdBipAddress& from) {
  bool found = false;
  WithBbmd(s, [&](VmdPort& p) {
    found = std::any_of(p.fdt.begin(), p.fdt.end(), [&](const VmdFdtEntry& e) {
      return std::equal(e.address, e.address + sizeof e.address, from.octets);
    });
  });
  return found;
}

}  // namespace

std::vector<uint8_t> VmdBipMessage(uint8_t function, std::span<const uint8_t> body) {
  std::vector<uint8_t> v = {kBvllType, function};
  Put16(&v, uint16_t(kBvllHeader + body.size()));
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

std::string VmdBipAddressText(const VmdBipAddress& a) {
  char t[32];
  snprintf(t, sizeof t, "%u.%u.%u.%u:%u", a.octets[0], a.octets[1], a.octets[2], a.octets[3],
           unsigned(Get16(a.octets + 4)));
  return t;
}

uint32_t VmdBipHost(const VmdBipAddress& a) {
  const uint8_t* o = a.octets;
  return uint32_t(o[0]) << 24 | uint32_t(o[1]) << 16 | uint32_t(o[2]) << 8 | o[3];
}

bool operator==(const VmdBipAddress& a, const VmdBipAddress& b) {
  return std::equal(a.octets, a.octets + sizeof a.octets, b.octets);
}

bool VmdBipIsOwn(std::span<const VmdBipEndpoint> endpoints, std::span<const uint32_t> locals,
                 const VmdBipAddress& source) {
  const uint8_t* o = source.octets;
  // No other socket of this host can have the UDP port of one bound to
  // every interface, so any address of the host with that port is it.
  const bool local =
      o[0] == 127 || std::find(locals.begin(), locals.end(), VmdBipHost(source)) != locals.end();
  for (const VmdBipEndpoint& e : endpoints) {
    const uint8_t* b = e.address.octets;
    if (!std::equal(b + 4, b + 6, o + 4)) continue;
    if (std::equal(b, b + 4, o)) return true;
    if (local && std::all_of(b, b + 4, [](uint8_t x) { return x == 0; })) return true;
  }
  return false;
}

bool VmdBipOwn(const VmdServer* s, const VmdBipAddress& source) {
  return VmdBipIsOwn(s->bip_endpoints, s->bip_locals, source);
}

void VmdBipHandle(VmdServer* s, size_t at, const VmdBipAddress& from, std::span<const uint8_t> d,
                  std::vector<VmdBipDatagram>* out) {
  if (at >= s->bip_endpoints.size() || VmdBipOwn(s, from)) return;
  if (d.size() < kBvllHeader || d[0] != kBvllType) return Drop(s, from, "not a BVLL message");
  if (Get16(&d[2]) != d.size()) return Drop(s, from, "BVLC length is not the datagram's");
  std::span<const uint8_t> body = d.subspan(kBvllHeader);
  switch (d[1]) {
    case kOriginalUnicast:
    case kOriginalBroadcast:
      return HandleNpdu(s, at, from, body, out);
    case kForwardedNpdu: {
      // The original source is the requester.
      if (body.size() < sizeof(VmdBipAddress::octets))
        return Drop(s, from, "Forwarded-NPDU cut short");
      VmdBipAddress origin;
      std::copy_n(body.data(), sizeof origin.octets, origin.octets);
      // A broadcast of the port's own, or a device's I-Am, that a BBMD
      // passed back.
      if (VmdBipOwn(s, origin)) return;
      return HandleNpdu(s, at, origin, body.subspan(sizeof origin.octets), out);
    }
    case kDistributeBroadcast:
      if (at != 0 || !Registered(s, from)) return Result(out, at, from, kVmdBvlcDistributeNak);
      return HandleNpdu(s, at, from, body, out);
    case kWriteBdt:
      return Result(out, at, from, kVmdBvlcWriteBdtNak);
    case kReadBdt:
      if (!body.empty()) return Drop(s, from, "Read-Broadcast-Distribution-Table with octets");
      return ReadBdt(s, at, from, out);
    case kReadFdt:
      if (!body.empty()) return Drop(s, from, "Read-Foreign-Device-Table with octets");
      return ReadFdt(s, at, from, out);
    case kRegisterForeignDevice:
      if (body.size() != 2) return Drop(s, from, "Register-Foreign-Device of a wrong length");
      return Register(s, at, from, Get16(body.data()), out);
    case kDeleteFdtEntry:
      if (body.size() != sizeof(VmdBipAddress::octets))
        return Drop(s, from, "Delete-Foreign-Device-Table-Entry of a wrong length");
      return Delete(s, at, from, body.data(), out);
    case kResult:
    case kReadBdtAck:
    case kReadFdtAck:
      return;  // answers to nothing the port asked
    default:
      return Drop(s, from, "unknown BVLC function");
  }
}
