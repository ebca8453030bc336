// What the daemon does with each client message: the registration, an
// acknowledgement of the same kind for everything, confirmations of
// confirmed requests, and the control requests.
#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "daemon/vmd_internal.h"

namespace {

// What one client may make the daemon keep.
constexpr size_t kMaxProcessIds = 65535;
constexpr size_t kMaxAddressValues = 4096;
constexpr size_t kMaxUnanswered = 65536;

struct Msg {
  VmdConn* c;
  VmdServer* s;
  std::span<const uint8_t> m;
  uint16_t kind;
  VmdKindRule rule;
};

bool Fail(std::string* why, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
bool Fail(std::string* why, const char* fmt, ...) {
  char text[256];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  *why = text;
  return false;
}

uint16_t StatusOf(const Msg& x, uint16_t own) {
  return x.rule.status >= 0 ? uint16_t(x.rule.status) : own;
}

// A reply of the message's kind: `len` bytes, the status, and the request's
// words at 4 and 8 where the reply reaches that far.
std::vector<uint8_t> Reply(const Msg& x, uint16_t status, size_t len) {
  std::vector<uint8_t> r(len, 0);
  IpcPut16(r, IPC_OFF_KIND, x.kind);
  IpcPut16(r, IPC_OFF_STATUS, status);
  if (len >= 12) {
    IpcPut32(r, IPC_OFF_TSM_INDEX, IpcGet32(x.m, IPC_OFF_TSM_INDEX));
    IpcPut32(r, IPC_OFF_TSM_ID, IpcGet32(x.m, IPC_OFF_TSM_ID));
  }
  return r;
}

void Send(const Msg& x, const std::vector<uint8_t>& reply, VmdWriteBy by = VmdWriteBy::Here) {
  VmdQueue(x.c, VmdFrameOut(reply), x.rule.delay_ms, x.rule.withhold, by);
}

// The plain acknowledgement with the shortest length a reply of the kind has.
void Ack(const Msg& x, uint16_t own) {
  Send(x, Reply(x, StatusOf(x, own), IpcReplyLength(x.kind, 0)));
}

bool Registration(const Msg& x) {
  VmdConn* c = x.c;
  VmdServer* s = x.s;
  IpcRegisterRequest rq;
  IpcRegisterRequestRead(x.m, &rq);
  VmdBehaviour b;
  {
    std::lock_guard<std::mutex> lock(s->mu);
    b = s->behaviour;
  }
  uint16_t own = IPC_DAEMON_OK;
  const char* refused = nullptr;
  {
    std::lock_guard<std::mutex> lock(c->mu);
    if (c->client.registered) {
      own = IPC_DAEMON_EXISTS;
      refused = "already registered";
    }
  }
  if (!refused &&
      (rq.version[0] != IPC_LIBRARY_VERSION[0] || rq.version[1] != IPC_LIBRARY_VERSION[1])) {
    own = IPC_DAEMON_OLD_RUNTIME;
    refused = "library version mismatch";
  } else if (!refused && (memcmp(rq.fixed, IPC_REGISTER_FIXED, sizeof rq.fixed) != 0 ||
                          rq.flag39 != IPC_REGISTER_FLAG39)) {
    own = IPC_DAEMON_BAD_PARAMETER;
    refused = "unexpected fixed registration bytes";
  }
  uint16_t status = StatusOf(x, own);
  uint32_t user = 0;
  if (status == IPC_DAEMON_OK && own == IPC_DAEMON_OK) {
    {
      std::lock_guard<std::mutex> lock(s->mu);
      user = s->next_user++;
    }
    std::string name = VmdPeerProgram(c);
    std::lock_guard<std::mutex> lock(c->mu);
    VmdClient& cl = c->client;
    cl.registered = true;
    cl.user = user;
    cl.port_id = rq.portId;
    cl.cli_pool = rq.cliPoolSize;
    cl.srv_pool = rq.srvPoolSize;
    cl.apdu_timeout = rq.apduTimeout;
    cl.retries = rq.numRetries;
    cl.segmentation = rq.segmentation;
    cl.window = rq.segWindowSize;
    cl.max_seg_accepted = rq.maxSegAccepted;
    cl.seg_timeout = rq.segTimeout;
    cl.max_process_ids = rq.maxProcessIds;
    std::copy(rq.version, rq.version + sizeof cl.version, cl.version);
    std::copy(rq.fixed, rq.fixed + sizeof cl.services, cl.services);
    cl.name = std::move(name);
  } else {
    std::lock_guard<std::mutex> lock(c->mu);
    user = c->client.user;
  }
  IpcRegisterReply rp{};
  rp.status = status;
  const uint8_t* v = b.reg_version_override ? b.reg_version : s->config.site.version;
  rp.major = v[0];
  rp.minor = v[1];
  rp.third = v[2];
  rp.maxApdu = b.reg_max_apdu >= 0 ? uint32_t(b.reg_max_apdu) : s->config.site.max_apdu;
  rp.local = s->config.site.local;
  if (b.reg_mac_len >= 0) {
    rp.local.macLen = uint8_t(b.reg_mac_len);
    LinkAddressNormalise(&rp.local);
  }
  rp.userId = user;
  std::vector<uint8_t> reply(std::max<size_t>(IPC_REGISTER_REPLY_MIN, b.reg_length));
  IpcRegisterReplyWrite(reply, rp);
  reply.resize(b.reg_length);
  // Registered before the reply leaves: the client may ask about itself on
  // another link at once.
  const bool registered = status == IPC_DAEMON_OK && own == IPC_DAEMON_OK;
  if (registered) {
    c->frame_cap = IpcFrameCap(s->config.site.max_apdu, rq.maxSegAccepted);
    s->registered++;
    c->user = user;
  }
  Send(x, reply);
  if (registered) {
    VmdLog(s,
           "connection %u: registered user %u (port %u, %u client and %u server TSMs, "
           "%u process ids)",
           c->id, user, rq.portId, rq.cliPoolSize, rq.srvPoolSize, rq.maxProcessIds);
    { std::lock_guard<std::mutex> lock(s->mu); }  // a waiter is in its predicate or asleep
    s->cv.notify_all();
  } else {
    VmdLog(s, "connection %u: registration answered with status %u%s%s", c->id, status,
           refused ? ": " : "", refused ? refused : "");
  }
  return true;
}

// Checks the MAC lengths of the addresses a message carries.
bool AddressesFit(const Msg& x, std::string* why) {
  for (size_t off : {IPC_OFF_LOCAL_ADDR, IPC_OFF_REMOTE_ADDR}) {
    uint8_t n = IpcGet8(x.m, off + LINK_OFF_MAC_LEN);
    if (n > LINK_MAC_MAX)
      return Fail(why, "MAC length %u at offset %zu of kind 0x%04X", n, off + LINK_OFF_MAC_LEN,
                  x.kind);
  }
  return true;
}

// The answer that the first live script rule, else the handler, gives a
// confirmed request; false when neither does.
bool Scripted(VmdServer* s, const VmdConfirmed& rq, VmdAnswer* out) {
  VmdAnswer& a = *out;
  VmdConfirmedHandler handler;
  {
    std::lock_guard<std::mutex> lock(s->mu);
    for (auto it = s->scripts.begin(); it != s->scripts.end(); ++it) {
      const VmdScriptRule& r = *it;
      if (r.service >= 0 && r.service != rq.params.service) continue;
      if (r.match_destination) {
        LinkAddress want = r.destination;
        LinkAddressNormalise(&want);
        if (!VmdSameAddress(want, rq.params.remote)) continue;
      }
      if (r.match_request &&
          !std::equal(r.request.begin(), r.request.end(), rq.request.begin(), rq.request.end()))
        continue;
      a.outcome = r.outcome;
      a.answer = r.answer;
      a.delay_ms = r.delay_ms;
      a.no_answer = r.no_answer;
      if (r.uses > 0 && --it->uses == 0) s->scripts.erase(it);
      return true;
    }
    handler = s->confirmed_handler;
  }
  return handler && handler(rq, &a);
}

}  // namespace

void VmdAwaitConfirmation(VmdConn* c, uint32_t index, uint32_t identifier) {
  // One transaction per TSM index, and no more of them than a pool can
  // have: a client that reuses indexes or invents them cannot grow the list.
  std::lock_guard<std::mutex> lock(c->mu);
  auto& un = c->client.unanswered;
  un.erase(std::remove_if(un.begin(), un.end(), [&](const auto& e) { return e.first == index; }),
           un.end());
  if (un.size() >= kMaxUnanswered) un.erase(un.begin());
  un.emplace_back(index, identifier);
}

bool VmdTakeAwaited(VmdConn* c, uint32_t index, uint32_t identifier) {
  std::lock_guard<std::mutex> lock(c->mu);
  auto& un = c->client.unanswered;
  auto it = std::find(un.begin(), un.end(), std::make_pair(index, identifier));
  if (it == un.end()) return false;
  un.erase(it);
  return true;
}

VmdOut VmdConfirmationOut(const VmdConfirmed& rq, uint16_t outcome,
                          std::span<const uint8_t> answer) {
  std::vector<uint8_t> conf(IPC_PAYLOAD_OFFSET + answer.size(), 0);
  IpcPut16(conf, IPC_OFF_KIND, IPC_KIND_CONFIRMATION);
  IpcPut32(conf, IPC_OFF_TSM_INDEX, rq.index);
  IpcPut32(conf, IPC_OFF_TSM_ID, rq.identifier);
  IpcPut16(conf, IPC_OFF_OUTCOME, outcome);
  IpcPut8(conf, IPC_OFF_CONF_PRIORITY, rq.params.priority & 3);
  LinkAddressWrite(conf, IPC_OFF_LOCAL_ADDR, rq.params.local);
  LinkAddressWrite(conf, IPC_OFF_REMOTE_ADDR, rq.params.remote);
  IpcPut32(conf, IPC_OFF_PAYLOAD_LEN, uint32_t(answer.size()));
  std::copy(answer.begin(), answer.end(), conf.begin() + IPC_PAYLOAD_OFFSET);
  VmdOut out = VmdFrameOut(conf);
  out.is_confirmation = true;
  out.index = rq.index;
  out.identifier = rq.identifier;
  return out;
}

namespace {

bool ConfirmedRequest(const Msg& x, std::string* why) {
  if (!AddressesFit(x, why)) return false;
  VmdConn* c = x.c;
  VmdConfirmed rq{};
  rq.conn = c->id;
  rq.index = IpcGet32(x.m, IPC_OFF_TSM_INDEX);
  rq.identifier = IpcGet32(x.m, IPC_OFF_TSM_ID);
  IpcTxnParamsRead(x.m, &rq.params);
  rq.request = IpcPayload(x.m);
  bool registered;
  {
    std::lock_guard<std::mutex> lock(c->mu);
    registered = c->client.registered;
  }
  uint16_t own = !registered                    ? IPC_DAEMON_BUSY
                 : rq.params.remote.macLen == 0 ? IPC_DAEMON_BAD_ADDRESS
                                                : IPC_DAEMON_OK;
  uint16_t status = StatusOf(x, own);
  // An accepted request's acknowledgement waits for its confirmation, so
  // that the client reads both at once.
  Send(x, Reply(x, status, IpcReplyLength(x.kind, 0)),
       status == IPC_DAEMON_OK ? VmdWriteBy::WithNext : VmdWriteBy::Here);
  if (status != IPC_DAEMON_OK) return true;

  // What no script or handler answers goes to the site's devices (a
  // time-out where none answers); a request for a B/IP station the site
  // does not simulate waits as an unanswered one until the station's
  // answer or the time-out confirms it.
  VmdAnswer a;
  if (!Scripted(x.s, rq, &a)) {
    if (VmdBipRelay(c, rq, x.rule.delay_ms)) {
      VmdWriteHeld(c);
      return true;
    }
    VmdDevicesConfirmed(x.s, rq, &a);
  }
  if (a.no_answer) {
    VmdWriteHeld(c);
    VmdAwaitConfirmation(c, rq.index, rq.identifier);
    return true;
  }
  VmdOut out = VmdConfirmationOut(rq, a.outcome, a.answer);
  // Never ahead of its own acknowledgement.
  VmdQueue(c, std::move(out), std::max(a.delay_ms, x.rule.delay_ms), x.rule.withhold,
           VmdWriteBy::Here);
  return true;
}

void Unconfirmed(const Msg& x) {
  VmdUnconfirmedHandler handler;
  {
    std::lock_guard<std::mutex> lock(x.s->mu);
    handler = x.s->unconfirmed_handler;
  }
  if (StatusOf(x, IPC_DAEMON_OK) != IPC_DAEMON_OK) return;
  VmdUnconfirmed rq{};
  rq.conn = x.c->id;
  IpcTxnParamsRead(x.m, &rq.params);
  rq.request = IpcPayload(x.m);
  if (handler)
    handler(rq);
  else
    VmdDevicesUnconfirmed(x.c, rq, x.rule);
}

// A cancel takes back a confirmation that has not left yet.
void Cancel(const Msg& x) {
  VmdConn* c = x.c;
  uint32_t index = IpcGet32(x.m, IPC_OFF_TSM_INDEX), id = IpcGet32(x.m, IPC_OFF_TSM_ID);
  bool found = VmdTakeBackConfirmation(c, index, id) || VmdTakeAwaited(c, index, id);
  VmdLog(x.s, "connection %u: cancel of (%u,%u) %s", c->id, index, id,
         found ? "accepted" : "refused: already confirmed or unknown");
  Ack(x, found ? IPC_DAEMON_OK : IPC_DAEMON_BAD_PARAMETER);
}

// Answers (0x0E02-0x0E05) and drops (0x0E00) of server transactions.
void ServerAnswer(const Msg& x) {
  VmdConn* c = x.c;
  uint32_t index = IpcGet32(x.m, IPC_OFF_TSM_INDEX), id = IpcGet32(x.m, IPC_OFF_TSM_ID);
  bool known;
  {
    std::lock_guard<std::mutex> lock(c->mu);
    auto it = c->client.server_open.find(index);
    known = it != c->client.server_open.end() && it->second == id;
  }
  uint16_t status = StatusOf(x, known ? IPC_DAEMON_OK : IPC_DAEMON_BAD_PARAMETER);
  if (x.kind == IPC_KIND_SERVER_DROP)
    VmdLog(x.s, "connection %u: server transaction (%u,%u) dropped%s", c->id, index, id,
           known ? "" : " (unknown)");
  else
    VmdLog(x.s, "connection %u: server transaction (%u,%u) answered with 0x%04X, %u bytes%s", c->id,
           index, id, x.kind, IpcPayloadLength(x.m), known ? "" : " (unknown)");
  std::lock_guard<std::mutex> order(c->server_index_mu);
  if (known && status == IPC_DAEMON_OK) {
    std::lock_guard<std::mutex> lock(c->mu);
    c->client.server_open.erase(index);
  }
  Send(x, Reply(x, status, IpcReplyLength(x.kind, 0)));
}

void SetParams(const Msg& x) {
  IpcTransferParams p;
  IpcTransferParamsRead(x.m, &p);
  uint16_t own = IPC_DAEMON_OK;
  if ((p.mask & IPC_PARAM_APDU_LENGTH) &&
      (p.apduLength < 50 || p.apduLength > x.s->config.site.max_apdu))
    own = IPC_DAEMON_BAD_PARAMETER;
  if ((p.mask & IPC_PARAM_SEGMENTATION) && p.segmentation > 3) own = IPC_DAEMON_BAD_PARAMETER;
  if (StatusOf(x, own) == IPC_DAEMON_OK) {
    std::lock_guard<std::mutex> lock(x.c->mu);
    IpcTransferParams& q = x.c->client.params;
    q.mask |= p.mask;
    if (p.mask & IPC_PARAM_APDU_LENGTH) q.apduLength = p.apduLength;
    if (p.mask & IPC_PARAM_SEGMENTATION) q.segmentation = p.segmentation;
    if (p.mask & IPC_PARAM_MAX_SEGS) q.maxSegs = p.maxSegs;
    if (p.mask & IPC_PARAM_WINDOW) q.window = p.window;
    if (p.mask & IPC_PARAM_SEG_TIMEOUT) q.segTimeout = p.segTimeout;
    if (p.mask & IPC_PARAM_APDU_TIMEOUT) q.apduTimeout = p.apduTimeout;
    if (p.mask & IPC_PARAM_RETRIES) q.retries = p.retries;
  }
  Ack(x, own);
}

void ProcessIds(const Msg& x) {
  VmdClient& cl = x.c->client;
  uint32_t pid = IpcGet32(x.m, IPC_OFF_PID);
  uint16_t own = IPC_DAEMON_OK;
  {
    std::lock_guard<std::mutex> lock(x.c->mu);
    auto it = std::find(cl.process_ids.begin(), cl.process_ids.end(), pid);
    bool known = it != cl.process_ids.end();
    bool full = cl.process_ids.size() >= std::min<size_t>(cl.max_process_ids, kMaxProcessIds);
    switch (x.kind) {
      case IPC_KIND_ADD_PID:
        own = known ? IPC_DAEMON_EXISTS : full ? IPC_DAEMON_FULL : IPC_DAEMON_OK;
        if (StatusOf(x, own) == IPC_DAEMON_OK && !known && !full) cl.process_ids.push_back(pid);
        break;
      case IPC_KIND_REMOVE_PID:
        own = known ? IPC_DAEMON_OK : IPC_DAEMON_BAD_PARAMETER;
        if (StatusOf(x, own) == IPC_DAEMON_OK && known) cl.process_ids.erase(it);
        break;
      default:  // IPC_KIND_NEW_PID
        own = full ? IPC_DAEMON_FULL : IPC_DAEMON_OK;
        pid = 0;
        if (StatusOf(x, own) == IPC_DAEMON_OK && !full) {
          do {
            pid = cl.next_pid++;
          } while (pid == 0 || std::find(cl.process_ids.begin(), cl.process_ids.end(), pid) !=
                                   cl.process_ids.end());
          cl.process_ids.push_back(pid);
        }
        break;
    }
  }
  std::vector<uint8_t> reply = Reply(x, StatusOf(x, own), IpcReplyLength(x.kind, 0));
  if (x.kind == IPC_KIND_NEW_PID) IpcPut32(reply, IPC_OFF_PID, pid);
  Send(x, reply);
}

bool Values(const Msg& x, std::string* why) {
  VmdClient& cl = x.c->client;
  LinkAddress a{};
  bool one = x.kind == IPC_KIND_SET_VALUE || x.kind == IPC_KIND_GET_VALUE;
  if (one) {
    LinkAddressRead(x.m, IPC_OFF_VALUE_ADDR, &a);
    if (a.macLen > LINK_MAC_MAX)
      return Fail(why, "MAC length %u in the address of kind 0x%04X", a.macLen, x.kind);
    LinkAddressNormalise(&a);
  }
  uint16_t value = 0;
  uint16_t own = IPC_DAEMON_OK;
  bool set = x.kind == IPC_KIND_SET_VALUE_ALL || x.kind == IPC_KIND_SET_VALUE;
  {
    std::lock_guard<std::mutex> lock(x.c->mu);
    auto it = std::find_if(cl.values.begin(), cl.values.end(),
                           [&](const auto& e) { return VmdSameAddress(e.first, a); });
    if (!set) {
      value = one && it != cl.values.end() ? it->second : cl.value_all;
    } else if (one && it == cl.values.end() && cl.values.size() >= kMaxAddressValues) {
      own = IPC_DAEMON_FULL;
    } else if (StatusOf(x, IPC_DAEMON_OK) == IPC_DAEMON_OK) {
      if (!one) {
        cl.value_all = IpcGet16(x.m, IPC_OFF_VALUE_ALL);
        cl.values.clear();
      } else if (it != cl.values.end()) {
        it->second = IpcGet16(x.m, IPC_OFF_VALUE);
      } else {
        cl.values.emplace_back(a, IpcGet16(x.m, IPC_OFF_VALUE));
      }
    }
  }
  std::vector<uint8_t> reply = Reply(x, StatusOf(x, own), IpcReplyLength(x.kind, 0));
  if (!set) IpcPut16(reply, IPC_OFF_VALUE_ALL, value);
  Send(x, reply);
  return true;
}

void Ioctl(const Msg& x) {
  VmdIoctlHandler handler;
  {
    std::lock_guard<std::mutex> lock(x.s->mu);
    handler = x.s->ioctl_handler;
  }
  std::span<const uint8_t> body = IpcPayload(x.m);
  std::vector<uint8_t> answer;
  uint16_t own;
  if (handler) {
    own = handler(x.c->id, body, &answer);
  } else {
    uint8_t reject = 0;
    own = IPC_DAEMON_OK;
    if (!VmdIoctlAnswer(x.s, x.c->id, nullptr, body, &answer, &reject)) {
      own = IPC_DAEMON_BAD_PARAMETER;
      VmdLog(x.s, "connection %u: ioctl refused: %s", x.c->id,
             reject ? "a malformed parameter block" : "not an ioctl body");
    }
  }
  std::vector<uint8_t> reply = Reply(x, StatusOf(x, own), IPC_PAYLOAD_OFFSET + answer.size());
  IpcZero(reply, IPC_OFF_TSM_INDEX, IPC_OFF_PAYLOAD_LEN);
  IpcPut32(reply, IPC_OFF_PAYLOAD_LEN, uint32_t(answer.size()));
  std::copy(answer.begin(), answer.end(), reply.begin() + IPC_PAYLOAD_OFFSET);
  Send(x, reply);
}

}  // namespace

bool VmdHandleMessage(VmdConn* c, std::span<const uint8_t> m, std::string* why) {
  Msg x{c, c->server, m, IpcGet16(m, IPC_OFF_KIND), {}};
  int slot = VmdKindSlot(x.kind);
  if (slot < 0) return Fail(why, "unknown message kind 0x%04X", x.kind);
  if (IpcGet16(m, IPC_OFF_STATUS) != 0)
    return Fail(why, "kind 0x%04X with status %u in a request", x.kind,
                IpcGet16(m, IPC_OFF_STATUS));
  bool payload = IpcSentLength(x.kind, 0) == IPC_PAYLOAD_OFFSET;
  if (payload) {
    if (m.size() < IPC_PAYLOAD_OFFSET ||
        m.size() != IPC_PAYLOAD_OFFSET + uint64_t(IpcPayloadLength(m)))
      return Fail(why, "kind 0x%04X: length %zu does not match 68 + payload length %u", x.kind,
                  m.size(), IpcPayloadLength(m));
  } else if (m.size() != IpcSentLength(x.kind, 0)) {
    return Fail(why, "kind 0x%04X: length %zu where %u is expected", x.kind, m.size(),
                IpcSentLength(x.kind, 0));
  }
  {
    std::lock_guard<std::mutex> lock(c->server->mu);
    x.rule = c->server->behaviour.rules[slot];
  }
  if (x.kind == IPC_KIND_REGISTER) return Registration(x);
  bool registered;
  {
    std::lock_guard<std::mutex> lock(c->mu);
    registered = c->client.registered;
  }
  if (x.kind == IPC_KIND_CONF_REQUEST) return ConfirmedRequest(x, why);
  if (!registered) {
    if (x.kind == IPC_KIND_UNCONF_REQUEST && !AddressesFit(x, why)) return false;
    Ack(x, IPC_DAEMON_BUSY);
    return true;
  }
  switch (x.kind) {
    case IPC_KIND_SET_PARAMS:
      SetParams(x);
      return true;
    case IPC_KIND_ADD_PID:
    case IPC_KIND_REMOVE_PID:
    case IPC_KIND_NEW_PID:
      ProcessIds(x);
      return true;
    case IPC_KIND_SET_VALUE_ALL:
    case IPC_KIND_GET_VALUE_ALL:
    case IPC_KIND_SET_VALUE:
    case IPC_KIND_GET_VALUE:
      return Values(x, why);
    case IPC_KIND_IOCTL:
      Ioctl(x);
      return true;
    case IPC_KIND_CANCEL:
      Cancel(x);
      return true;
    case IPC_KIND_UNCONF_REQUEST:
      if (!AddressesFit(x, why)) return false;
      Ack(x, IPC_DAEMON_OK);
      Unconfirmed(x);
      return true;
    default:  // 0x0E00, 0x0E02 to 0x0E05
      ServerAnswer(x);
      return true;
  }
}
