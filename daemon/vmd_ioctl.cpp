// Ioctls answered from what the daemon holds: its applications (the
// registered links) and their counters, its IPC and PDU figures, the
// network layer's timers and its ports with their tables. A simulated
// device that answers ioctls is a node of its own: no applications, no IPC,
// its one port, and the stack's version and timers.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "daemon/vmd_internal.h"
#include "daemon/vmd_names.h"
#include "runtime/ioctl/ioctl_body.h"

namespace {

constexpr const char kBuildInfo[] = "velmorad, compiler " __VERSION__;

// The answer's bytes, written through the codec.
struct Sink {
  TagStreamWriter writer;
  std::vector<uint8_t>* out;
};

bool SinkWrite(TagStreamWriter* w, const uint8_t* bytes, uint32_t count) {
  auto* s = reinterpret_cast<Sink*>(w);
  s->out->insert(s->out->end(), bytes, bytes + count);
  return true;
}

// The values of an answer after its status. The sink never refuses, so
// nothing here fails; counters go out as 32 bits, wrapping.
struct Out {
  Out() = default;
  Out(const Out&) = delete;  // the sink points at its own bytes
  Out& operator=(const Out&) = delete;

  std::vector<uint8_t> bytes;
  Sink sink{{SinkWrite}, &bytes};
  TagStreamWriter* w() { return &sink.writer; }

  void Unsigned(uint64_t v) { TagStreamWriteU32(w(), TAG_UNSIGNED, uint32_t(v)); }
  void Enum(uint32_t v) { TagStreamWriteU32(w(), TAG_ENUMERATED, v); }
  void Boolean(bool v) { TagStreamWriteHeader(w(), v ? TAG_TRUE : TAG_FALSE, 0); }
  void Text(const std::string& t) {
    TagStreamWriteCharString(w(), uint32_t(t.size()), reinterpret_cast<const uint8_t*>(t.data()));
  }
  void Octets(const uint8_t* p, size_t n) { TagStreamWriteOctetString(w(), uint32_t(n), p); }
  void Bits(const uint8_t* p, size_t n) { TagStreamWriteBitString(w(), uint32_t(n), 0, p); }
};

// The request being answered: who asks whom, and its inputs after the code.
struct Rq {
  VmdServer* s;
  const VmdDevice* device;  // null: the daemon itself
  uint32_t conn;
  TagCursor in;
  std::string note;  // what the request changed or did, for the log
};

// ---- inputs ----------------------------------------------------------------

IoctlStatus Unsigned(Rq& r, uint32_t* v) {
  if (r.in.remaining == 0) return IOCTL_STATUS_INVALID_NUM_ARG;
  return TagCursorReadU32(&r.in, TAG_UNSIGNED, v) ? IOCTL_STATUS_OK : IOCTL_STATUS_INVALID_PARAM;
}

IoctlStatus NoMore(const Rq& r) {
  return r.in.remaining == 0 ? IOCTL_STATUS_OK : IOCTL_STATUS_INVALID_NUM_ARG;
}

// The one unsigned input of a request, and nothing after it.
IoctlStatus OneInput(Rq& r, uint32_t* v) {
  IoctlStatus st = Unsigned(r, v);
  return st ? st : NoMore(r);
}

// An octet string of exactly `size` octets.
IoctlStatus Octets(Rq& r, uint8_t* out, size_t size) {
  if (r.in.remaining == 0) return IOCTL_STATUS_INVALID_NUM_ARG;
  TagCursor at = r.in;
  uint32_t n = 0;
  const uint8_t* p = nullptr;
  if (!TagCursorReadOctetString(&r.in, &n, &p) || n != size) {
    r.in = at;
    return IOCTL_STATUS_INVALID_PARAM;
  }
  std::copy(p, p + n, out);
  return IOCTL_STATUS_OK;
}

bool NextIsOctets(const Rq& r, size_t size) {
  TagCursor c = r.in;
  uint32_t n = 0;
  const uint8_t* p = nullptr;
  return TagCursorReadOctetString(&c, &n, &p) && n == size;
}

// ---- the daemon's applications -----------------------------------------------

std::vector<std::shared_ptr<VmdConn>> Apps(VmdServer* s) {
  std::vector<std::shared_ptr<VmdConn>> apps;
  std::lock_guard<std::mutex> lock(s->mu);
  for (const auto& c : s->conns)
    if (!c->ended.load() && c->user.load() != 0) apps.push_back(c);
  std::sort(apps.begin(), apps.end(),
            [](const auto& a, const auto& b) { return a->user < b->user; });
  return apps;
}

std::shared_ptr<VmdConn> App(const Rq& r, uint32_t id) {
  if (r.device || id == 0) return nullptr;
  for (auto& c : Apps(r.s))
    if (c->user.load() == id) return c;
  return nullptr;
}

// Runs `f` on the client record of application `id`; INVALID_APP_ID when
// there is none.
template <typename F>
IoctlStatus WithApp(Rq& r, F f) {
  uint32_t id = 0;
  if (IoctlStatus st = OneInput(r, &id)) return st;
  std::shared_ptr<VmdConn> c = App(r, id);
  if (!c) return IOCTL_STATUS_INVALID_APP_ID;
  std::lock_guard<std::mutex> lock(c->mu);
  f(*c, c->client);
  return IOCTL_STATUS_OK;
}

IoctlStatus AppList(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  std::vector<std::shared_ptr<VmdConn>> apps;
  if (!r.device) apps = Apps(r.s);
  o.Unsigned(apps.size());
  for (const auto& c : apps)
    o.Unsigned(c->user.load());
  return IOCTL_STATUS_OK;
}

IoctlStatus AppInfo(Rq& r, Out& o) {
  return WithApp(r, [&](const VmdConn& c, const VmdClient& cl) {
    o.Unsigned(cl.version[0]);
    o.Unsigned(cl.version[1]);
    o.Unsigned(uint64_t(c.connected_at));
    o.Text(cl.name);
    o.Unsigned(cl.port_id);
    o.Bits(cl.services, sizeof cl.services);
    o.Unsigned(cl.cli_pool);
    o.Unsigned(cl.srv_pool);
  });
}

IoctlStatus AppStatistics(Rq& r, Out& o) {
  return WithApp(r, [&](const VmdConn& c, const VmdClient&) {
    for (const auto& v : c.app_stats)
      o.Unsigned(v.load());
  });
}

IoctlStatus AppPids(Rq& r, Out& o) {
  return WithApp(r, [&](const VmdConn&, const VmdClient& cl) {
    o.Unsigned(cl.process_ids.size());
    for (uint32_t pid : cl.process_ids)
      o.Unsigned(pid);
  });
}

// As the daemon sees the pools: a client TSM is busy from the request's
// acknowledgement until its confirmation leaves, a server TSM from the
// request sent to it until its answer or drop. Neither side segments.
IoctlStatus AppTsmStatus(Rq& r, Out& o) {
  return WithApp(r, [&](const VmdConn& c, const VmdClient& cl) {
    size_t waiting = cl.unanswered.size();
    for (const std::vector<VmdOut>* list : {&c.queue, &c.withheld})
      for (const VmdOut& out : *list)
        waiting += out.is_confirmation;
    size_t serving = cl.server_open.size();
    const uint64_t pools[2][2] = {{cl.cli_pool, waiting}, {cl.srv_pool, serving}};
    for (const auto& [total, busy] : pools) {
      o.Unsigned(total);
      o.Unsigned(total > busy ? total - busy : 0);  // free
      o.Unsigned(0);                                // idle
      o.Unsigned(0);                                // segmented request
      o.Unsigned(busy);                             // awaiting the confirmation or the response
      o.Unsigned(0);                                // segmented confirmation or response
    }
  });
}

// Bytes, frames and system calls: written then read, by the daemon.
IoctlStatus IpcAppStatistics(Rq& r, Out& o) {
  return WithApp(r, [&](const VmdConn& c, const VmdClient&) {
    for (uint64_t v : {c.bytes_written.load(), c.bytes_read.load(), c.buffers_written.load(),
                       c.buffers_read.load(), c.calls_written.load(), c.calls_read.load()})
      o.Unsigned(v);
  });
}

// ---- the daemon itself ---------------------------------------------------------

std::string VersionText(const uint8_t v[3]) {
  char t[16];
  snprintf(t, sizeof t, "%u.%u.%u", v[0], v[1], v[2]);
  return t;
}

// What a client puts in its connection name to reach this daemon.
std::string IpcConnectText(const VmdServer* s) {
  std::string t = s->config.pipe_path;
  if (s->config.tcp) {
    if (!t.empty()) t += ", ";
    t += "tcp:" + s->config.tcp_host + ":" + std::to_string(s->tcp_port);
  }
  return t;
}

uint64_t ResidentKilobytes() {
  uint64_t pages = 0, resident = 0;
  if (FILE* f = fopen("/proc/self/statm", "r")) {
    if (fscanf(f, "%lu %lu", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * uint64_t(sysconf(_SC_PAGESIZE)) / 1024;
}

// The octets of a device's object database, in kilobytes rounded up.
uint64_t ModelKilobytes(const VmdDevice& d) {
  uint64_t bytes = 0;
  for (const VmdObject& o : d.objects)
    for (const VmdProperty& p : o.properties)
      for (const auto& e : p.value.elements)
        bytes += e.size();
  return (bytes + 1023) / 1024;
}

IoctlStatus DaemonInfo(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  const uint8_t* v = r.s->config.site.version;
  o.Unsigned(v[0]);
  o.Unsigned(v[1]);
  o.Text(VersionText(v));
  o.Text(r.device ? "velmorad simulated device " + std::to_string(r.device->instance)
                  : std::string(kBuildInfo));
  o.Unsigned(uint64_t(r.s->start_time));
  o.Text(r.device ? "" : IpcConnectText(r.s));
  return IOCTL_STATUS_OK;
}

IoctlStatus DaemonStatus(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  o.Unsigned(VmdUptimeSeconds(r.s));
  if (r.device) {
    o.Unsigned(0);  // it runs on the daemon's threads
    o.Unsigned(ModelKilobytes(*r.device));
    return IOCTL_STATUS_OK;
  }
  size_t links = 0;
  {
    std::lock_guard<std::mutex> lock(r.s->mu);
    for (const auto& c : r.s->conns)
      links += !c->ended.load();
  }
  o.Unsigned(1 + 2 * links);  // the acceptor, and a reader and a writer per link
  o.Unsigned(ResidentKilobytes());
  return IOCTL_STATUS_OK;
}

IoctlStatus IpcStatus(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  if (r.device) {
    for (int i = 0; i < 4; ++i)
      o.Unsigned(0);
    return IOCTL_STATUS_OK;
  }
  std::vector<std::shared_ptr<VmdConn>> links;
  {
    std::lock_guard<std::mutex> lock(r.s->mu);
    for (const auto& c : r.s->conns)
      if (!c->ended.load()) links.push_back(c);
  }
  // Each link's read buffer, and every message waiting to be written.
  uint64_t apps = 0, bytes = 0, buffers = 0;
  for (const auto& c : links) {
    apps += c->user.load() != 0;
    bytes += c->read_buffer.load();
    std::lock_guard<std::mutex> lock(c->mu);
    bytes += c->queued_bytes;
    buffers += 1 + c->queue.size() + c->withheld.size();
  }
  o.Unsigned(r.s->config.max_links);
  o.Unsigned(apps);
  o.Unsigned(bytes);
  o.Unsigned(buffers);
  return IOCTL_STATUS_OK;
}

IoctlStatus IpcStatistics(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  const VmdServer* s = r.s;
  for (uint64_t v : {s->incoming.load(), s->accepted.load(), s->registered.load(), s->closed.load(),
                     s->lost.load(), s->disconnected.load()})
    o.Unsigned(r.device ? 0 : v);
  return IOCTL_STATUS_OK;
}

// A device answers from one buffer at a time and keeps no pool; what it
// allocated are the answers it sent.
IoctlStatus PduStatistics(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  if (r.device) {
    uint64_t sent = 0;
    VmdWithPorts(r.s, r.device, [&](std::vector<VmdPortLive>& ports) { sent = ports[0].sent; });
    o.Unsigned(sent);
    o.Unsigned(0);
    return IOCTL_STATUS_OK;
  }
  o.Unsigned(r.s->pdus.allocated.load());
  o.Unsigned(r.s->pdus.failures.load());
  return IOCTL_STATUS_OK;
}

IoctlStatus PduStatus(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  uint32_t peak = r.device ? 0 : r.s->pdus.peak.load();
  uint32_t used = r.device ? 0 : r.s->pdus.in_use.load();
  o.Unsigned(peak);
  o.Unsigned(peak > used ? peak - used : 0);
  return IOCTL_STATUS_OK;
}

IoctlStatus NlTimeouts(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  const VmdNlTimeouts& t = r.s->config.site.nl;
  for (uint32_t v :
       {t.ptp_term_time, t.default_term_time, t.ptp_safety_time, t.find_dnet_time,
        t.ptp_connect_time, t.connect_ack_time, t.router_busy_time, t.router_broadcast_period})
    o.Unsigned(v);
  return IOCTL_STATUS_OK;
}

// ---- ports -------------------------------------------------------------------

IoctlStatus PortList(Rq& r, Out& o) {
  if (IoctlStatus st = NoMore(r)) return st;
  VmdWithPorts(r.s, r.device, [&](std::vector<VmdPortLive>& ports) {
    o.Unsigned(ports.size());
    for (const VmdPortLive& p : ports)
      o.Unsigned(p.port.id);
  });
  return IOCTL_STATUS_OK;
}

// Runs `f` on the port whose identifier is the first input, under the
// network lock; `f` reads the rest of the inputs itself.
template <typename F>
IoctlStatus WithPort(Rq& r, F f) {
  uint32_t id = 0;
  if (IoctlStatus st = Unsigned(r, &id)) return st;
  IoctlStatus st = IOCTL_STATUS_INVALID_PORT_ID;
  VmdWithPorts(r.s, r.device, [&](std::vector<VmdPortLive>& ports) {
    for (VmdPortLive& p : ports)
      if (p.port.id == id) st = f(p);
  });
  return st;
}

IoctlStatus PortInfo(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    const VmdPort& p = live.port;
    o.Boolean(p.enabled);
    o.Enum(uint32_t(p.type));
    o.Unsigned(p.network);
    o.Enum(uint32_t(p.protocol));
    o.Text(p.nic);
    o.Text(p.info);
    o.Text(p.label);
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus PortToNets(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    std::vector<uint16_t> nets = VmdPortNetworks(live.port);
    o.Unsigned(nets.size());
    for (uint16_t n : nets)
      o.Unsigned(n);
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus PortStatus(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    o.Enum(live.port.status);
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus PortStatistics(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    o.Unsigned(live.received);
    o.Unsigned(live.sent);
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus PortConnect(Rq& r, Out&, bool connect) {
  return WithPort(r, [&](VmdPortLive& live) {
    uint32_t timeout = 0;
    if (IoctlStatus st = connect ? OneInput(r, &timeout) : NoMore(r)) return st;
    if (!VmdPortIsPtp(live.port)) return IOCTL_STATUS_INVALID_PORT_TYPE;
    live.port.status = connect ? kVmdPortConnected : kVmdPortDisconnected;
    r.note =
        "port " + std::to_string(live.port.id) +
        (connect ? " connected (time-out " + std::to_string(timeout) + " s)" : " disconnected");
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus Connect(Rq& r, Out& o) { return PortConnect(r, o, true); }
IoctlStatus Disconnect(Rq& r, Out& o) { return PortConnect(r, o, false); }

// The tables belong to a B/IP port that is a BBMD.
IoctlStatus Bbmd(const VmdPort& p) {
  if (!VmdPortIsBip(p)) return IOCTL_STATUS_INVALID_PORT_TYPE;
  return p.bbmd ? IOCTL_STATUS_OK : IOCTL_STATUS_NOT_FOUND;
}

IoctlStatus BdtRead(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    if (IoctlStatus st = Bbmd(live.port)) return st;
    o.Unsigned(live.port.bdt.size());
    for (const VmdBdtEntry& e : live.port.bdt)
      o.Octets(e.octets, sizeof e.octets);
    return IOCTL_STATUS_OK;
  });
}

// Entries of 10 octets up to the end of the inputs, or exactly `count` of them.
IoctlStatus Entries(Rq& r, std::vector<VmdBdtEntry>* out, int64_t count = -1) {
  out->clear();
  while (count < 0 ? r.in.remaining > 0 : int64_t(out->size()) < count) {
    if (out->size() >= kVmdBdtMax) return IOCTL_STATUS_TOO_BIG;
    VmdBdtEntry e{};
    if (IoctlStatus st = Octets(r, e.octets, sizeof e.octets)) return st;
    out->push_back(e);
  }
  return NoMore(r);
}

IoctlStatus BdtWrite(Rq& r, Out&) {
  return WithPort(r, [&](VmdPortLive& live) {
    std::vector<VmdBdtEntry> bdt;
    if (IoctlStatus st = Entries(r, &bdt)) return st;
    if (IoctlStatus st = Bbmd(live.port)) return st;
    live.port.bdt = std::move(bdt);
    r.note = "BDT of port " + std::to_string(live.port.id) +
             " written: " + std::to_string(live.port.bdt.size()) + " entries";
    return IOCTL_STATUS_OK;
  });
}

// The port's table, or the one given, to the address given or else to
// every BBMD of the table sent.
IoctlStatus BdtSend(Rq& r, Out&) {
  return WithPort(r, [&](VmdPortLive& live) {
    uint8_t mac[kVmdBipAddressSize];
    bool to_one = NextIsOctets(r, sizeof mac);
    if (to_one) Octets(r, mac, sizeof mac);
    bool given = r.in.remaining > 0;
    std::vector<VmdBdtEntry> bdt;
    if (given) {
      uint32_t count = 0;
      if (IoctlStatus st = Unsigned(r, &count)) return st;
      if (count > kVmdBdtMax) return IOCTL_STATUS_TOO_BIG;
      if (IoctlStatus st = Entries(r, &bdt, count)) return st;
    }
    if (IoctlStatus st = Bbmd(live.port)) return st;
    if (!given) bdt = live.port.bdt;
    live.sent += to_one ? 1 : bdt.size();
    r.note =
        "BDT of " + std::to_string(bdt.size()) + " entries (" + (given ? "given" : "the port's") +
        ") sent from port " + std::to_string(live.port.id) + " to " +
        (to_one ? VmdHexText(mac, sizeof mac) : std::to_string(bdt.size()) + " BBMDs of the table");
    return IOCTL_STATUS_OK;
  });
}

IoctlStatus FdtRead(Rq& r, Out& o) {
  return WithPort(r, [&](VmdPortLive& live) {
    if (IoctlStatus st = NoMore(r)) return st;
    if (IoctlStatus st = Bbmd(live.port)) return st;
    uint64_t now = VmdUptimeSeconds(r.s);
    VmdFdtExpire(&live.port, now);
    o.Unsigned(live.port.fdt.size());
    for (const VmdFdtEntry& e : live.port.fdt) {
      uint16_t left = VmdFdtRemaining(e, now);
      uint8_t octets[kVmdBdtEntrySize];
      std::copy(e.address, e.address + kVmdBipAddressSize, octets);
      octets[6] = uint8_t(e.ttl >> 8);
      octets[7] = uint8_t(e.ttl);
      octets[8] = uint8_t(left >> 8);
      octets[9] = uint8_t(left);
      o.Octets(octets, sizeof octets);
    }
    return IOCTL_STATUS_OK;
  });
}

// ---- the table of codes --------------------------------------------------------

struct Code {
  IoctlCode code;
  const char* name;
  IoctlStatus (*answer)(Rq&, Out&);
};

constexpr Code kCodes[] = {
    {IOCTL_DAEMON_INFO, "DAEMON_INFO", DaemonInfo},
    {IOCTL_DAEMON_STATUS, "DAEMON_STATUS", DaemonStatus},
    {IOCTL_PDU_STATISTICS, "PDU_STATISTICS", PduStatistics},
    {IOCTL_PDU_STATUS, "PDU_STATUS", PduStatus},
    {IOCTL_IPC_STATISTICS, "IPC_STATISTICS", IpcStatistics},
    {IOCTL_IPC_STATUS, "IPC_STATUS", IpcStatus},
    {IOCTL_IPC_APP_STATISTICS, "IPC_APP_STATISTICS", IpcAppStatistics},
    {IOCTL_APP_LIST_GET, "APP_LIST_GET", AppList},
    {IOCTL_APP_INFO, "APP_INFO", AppInfo},
    {IOCTL_APP_STATISTICS, "APP_STATISTICS", AppStatistics},
    {IOCTL_APP_PID_LIST_GET, "APP_PID_LIST_GET", AppPids},
    {IOCTL_APP_TSM_STATUS, "APP_TSM_STATUS", AppTsmStatus},
    {IOCTL_PORT_LIST_GET, "PORT_LIST_GET", PortList},
    {IOCTL_PORT_TO_NETS, "PORT_TO_NETS", PortToNets},
    {IOCTL_PORT_INFO, "PORT_INFO", PortInfo},
    {IOCTL_PORT_STATISTICS, "PORT_STATISTICS", PortStatistics},
    {IOCTL_PORT_STATUS, "PORT_STATUS", PortStatus},
    {IOCTL_NL_PORT_CONNECT, "NL_PORT_CONNECT", Connect},
    {IOCTL_NL_PORT_DISCONNECT, "NL_PORT_DISCONNECT", Disconnect},
    {IOCTL_NL_TIMEOUTS_GET, "NL_TIMEOUTS_GET", NlTimeouts},
    {IOCTL_BDT_READ, "BDT_READ", BdtRead},
    {IOCTL_BDT_WRITE, "BDT_WRITE", BdtWrite},
    {IOCTL_BDT_SEND, "BDT_SEND", BdtSend},
    {IOCTL_FDT_READ, "FDT_READ", FdtRead},
};

}  // namespace

bool VmdIoctlAnswer(VmdServer* s, uint32_t conn, const VmdDevice* device,
                    std::span<const uint8_t> body, std::vector<uint8_t>* answer, uint8_t* reject) {
  IoctlParsedRequest rq;
  IoctlParseRequest(body.data(), uint32_t(body.size()), &rq);
  *reject = rq.verdict == IoctlVerdict::Reject ? rq.reason : 0;
  if (rq.verdict == IoctlVerdict::NotIoctl || rq.verdict == IoctlVerdict::Reject) return false;
  Rq r{s, device, conn, rq.values, {}};
  Out values;
  IoctlStatus status = rq.status;
  const char* name = "?";
  if (rq.verdict == IoctlVerdict::Request) {
    const Code* code = nullptr;
    for (const Code& k : kCodes)
      if (k.code == rq.code) code = &k;
    status = code ? code->answer(r, values) : IOCTL_STATUS_NOT_SUPPORTED;
    name = code ? code->name : "unknown";
  }
  Out whole;
  if (status != IOCTL_STATUS_OK) {
    IoctlWriteStatusAnswer(whole.w(), status);
  } else {
    IoctlWriteFrame(whole.w());
    TagStreamWriteU32(whole.w(), TAG_ENUMERATED, status);
    whole.bytes.insert(whole.bytes.end(), values.bytes.begin(), values.bytes.end());
    TagStreamWriteHeader(whole.w(), TagClosing(2), 0);
  }
  *answer = std::move(whole.bytes);
  std::string at = device ? " at device " + std::to_string(device->instance) : "";
  VmdLog(s, "connection %u: ioctl %u (%s)%s answered with status %u%s%s", conn, rq.code, name,
         at.c_str(), status, r.note.empty() ? "" : ": ", r.note.c_str());
  return true;
}

bool VmdIoctlMalformedAnswer(std::span<const uint8_t> body, std::vector<uint8_t>* answer) {
  IoctlParsedRequest rq;
  IoctlParseRequest(body.data(), uint32_t(body.size()), &rq);
  if (rq.verdict == IoctlVerdict::NotIoctl) return false;
  Out o;
  IoctlWriteFrame(o.w());
  o.Enum(IOCTL_STATUS_OK);
  // Ioctl values are application-tagged: this one cannot be read as any.
  TagStreamWriteU32(o.w(), TagContext(0), 1);
  TagStreamWriteHeader(o.w(), TagClosing(2), 0);
  *answer = std::move(o.bytes);
  return true;
}

bool VmdIoctlStatusAnswer(std::span<const uint8_t> request, uint32_t status,
                          std::vector<uint8_t>* answer) {
  TagCursor c{request.data(), uint32_t(request.size())};
  uint32_t vendor = 0, service = 0;
  uint8_t open = 0;
  if (!TagCursorReadU32(&c, TagContext(0), &vendor) ||
      !TagCursorReadU32(&c, TagContext(1), &service) || !TagCursorReadByte(&c, &open) ||
      open != IOCTL_OPENING_TAG)
    return false;
  Out o;
  o.bytes.assign(request.begin(), request.end() - c.remaining);
  o.Enum(status);
  TagStreamWriteHeader(o.w(), TagClosing(2), 0);
  *answer = std::move(o.bytes);
  return true;
}
