// Control exchanges with the daemon: one outstanding at a time, each a
// message written and its reply of the same kind waited for.
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_internal.h"

namespace {

bool IsResponseKind(uint16_t kind) { return (kind & 0x0400) != 0; }

bool CarriesPayload(uint16_t kind) {
  return kind == IPC_KIND_IOCTL || kind == 0x0C00 || kind == 0x0D00 || kind == 0x0D01 ||
         (kind >= 0x0E02 && kind <= 0x0E05);
}

// The set-parameters fields in message order, by mask bit.
struct ParamField {
  uint32_t bit;
  uint32_t CommParams::*field;
  size_t offset;
};
constexpr ParamField kSetParamFields[] = {
    {COMM_APDU_LENGTH, &CommParams::apduLength, 8},
    {COMM_MAX_SEGS_ACCEPTED, &CommParams::maxSegsAccepted, 12},
    {COMM_WINDOW_SIZE, &CommParams::windowSize, 16},
    {COMM_SEG_TIMEOUT, &CommParams::segTimeout, 20},
    {COMM_APDU_TIMEOUT, &CommParams::apduTimeout, 24},
    {COMM_RETRIES, &CommParams::retries, 28},
};

struct DefaultField {
  uint32_t bit;
  uint32_t CommParams::*field;
  uint32_t TsmlState::*slot;
};
constexpr DefaultField kDefaults[] = {
    {COMM_APDU_LENGTH, &CommParams::apduLength, &TsmlState::apduLength},
    {COMM_SEGMENTATION, &CommParams::segmentation, &TsmlState::segmentation},
    {COMM_MAX_SEGS_ACCEPTED, &CommParams::maxSegsAccepted, &TsmlState::maxSegsAccepted},
    {COMM_WINDOW_SIZE, &CommParams::windowSize, &TsmlState::windowSize},
    {COMM_SEG_TIMEOUT, &CommParams::segTimeout, &TsmlState::segTimeout},
    {COMM_APDU_TIMEOUT, &CommParams::apduTimeout, &TsmlState::apduTimeout},
    {COMM_RETRIES, &CommParams::retries, &TsmlState::retries},
    {COMM_MAX_SEGS_TO_SEND, &CommParams::maxSegsToSend, &TsmlState::maxSegsToSend},
};

int MapDaemonStatus(uint16_t status) { return IpcDaemonStatusMap(status); }

}  // namespace

int TsmlControlRoundTrip(IpcMsg* m, uint16_t kind, uint32_t index, uint32_t id,
                         bool evenWhenClosing, IpcMsg** reply) {
  *reply = nullptr;
  std::lock_guard<std::mutex> one(g_tsml.daemonRequestLock);
  IpcConnection* c = g_tsml.connection.load();
  {
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    if (g_tsml.pendingKind != 0 || (g_tsml.closing && !evenWhenClosing) || g_tsml.linkLost || !c) {
      IpcMsgFree(m);
      return 9;
    }
    g_tsml.pendingKind = kind;
    g_tsml.expectedIndex = index;
    g_tsml.expectedId = id;
    g_tsml.pendingReply = nullptr;
  }
  IpcWriteError why = IpcWriteError::None;
  if (!PipeWrite(c, m, &why)) {
    // Nothing went out, so no reply will come: the channel is free again.
    if (why != IpcWriteError::Failed) {
      std::lock_guard<std::mutex> g(g_tsml.controlLock);
      g_tsml.pendingKind = 0;
    }
    if (why != IpcWriteError::TooLong && why != IpcWriteError::Unframed)
      OsaLog(1, "TSML(High): PipeWrite failed, userID=%u", g_tsml.userId.load());
    return TsmlWriteStatus(why);
  }
  std::unique_lock<std::mutex> g(g_tsml.controlLock);
  g_tsml.controlReplied.wait(
      g, [] { return g_tsml.pendingReply != nullptr || g_tsml.linkLost.load(); });
  IpcMsg* r = g_tsml.pendingReply;
  g_tsml.pendingReply = nullptr;
  g.unlock();
  if (!r) return 9;
  uint16_t status = Rd16(MsgBytes(r), 2);
  if (status != 0) {
    IpcMsgFree(r);
    return MapDaemonStatus(status);
  }
  *reply = r;
  return 0;
}

int TsmlControlExchange(uint16_t kind, PduDesc* data, uint8_t* params, PduDesc* replyOut) {
  IpcMsg* m = data->msg;
  if (!m) return 4;
  uint8_t* h = MsgBytes(m);
  Wr16(h, 0, kind);
  Wr16(h, 2, 0);
  if (params) std::memcpy(h + 4, params, 60);
  if (CarriesPayload(kind)) IpcMsgSetPayloadLength(m, data->length);
  uint32_t index = params && IsResponseKind(kind) ? Rd32(params, 0) : 0;
  uint32_t id = params && IsResponseKind(kind) ? Rd32(params, 4) : 0;
  PduDescClear(data);
  IpcMsg* r = nullptr;
  int status = TsmlControlRoundTrip(m, kind, index, id, false, &r);
  if (status != 0) return status;
  const uint8_t* rb = MsgBytes(r);
  if (params) {
    if (IsResponseKind(kind)) {
      Wr32(params, 0, Rd32(rb, 4));
      Wr32(params, 4, Rd32(rb, 8));
    } else if (kind == IPC_KIND_NEW_PID) {
      Wr32(params, 0, Rd32(rb, 4));
    } else if (kind == IPC_KIND_GET_VALUE_ALL || kind == IPC_KIND_GET_VALUE) {
      Wr16(params, 0, Rd16(rb, 4));
    }
  }
  if (replyOut)
    PduDescFromMsg(replyOut, r);
  else
    IpcMsgFree(r);
  return 0;
}

int TsmlControl(uint16_t kind, uint8_t* params) {
  PduDesc d{};
  if (!PduDescAlloc(0, &d)) return 4;
  return TsmlControlExchange(kind, &d, params, nullptr);
}

int TsmlIoctlLocal(PduDesc* request, PduDesc* reply) {
  if (!g_tsml.open.load()) {
    PduDescFree(request);
    return 1;
  }
  return TsmlControlExchange(IPC_KIND_IOCTL, request, nullptr, reply);
}

bool TsmlReqAckMatch(const uint8_t* header, IpcMsg* reply) {
  uint16_t kind = Rd16(header, 0);
  {
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    if (kind != g_tsml.pendingKind) {
      OsaLog(1, "TSML(High): Unexpected ReqACK from Low; expected %d but was %d",
             g_tsml.pendingKind, kind);
      return false;
    }
    // Both must match: an answer for another transaction that shares
    // only its index or only its identifier is not this one's.
    if (IsResponseKind(kind) &&
        (Rd32(header, 4) != g_tsml.expectedIndex || Rd32(header, 8) != g_tsml.expectedId)) {
      OsaLog(
          1,
          "TSML(High): Unexpected TsmID in ReqACK from Low; expected (%lu,%lu) but was (%lu,%lu)",
          static_cast<unsigned long>(g_tsml.expectedIndex),
          static_cast<unsigned long>(g_tsml.expectedId),
          static_cast<unsigned long>(Rd32(header, 4)), static_cast<unsigned long>(Rd32(header, 8)));
      return false;
    }
    g_tsml.pendingKind = 0;
    g_tsml.pendingReply = reply;
  }
  g_tsml.controlReplied.notify_all();
  return true;
}

bool TsmlNetParamsSet(const CommParams* p) {
  if (!g_tsml.open.load() || !p) return false;
  {
    std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
    if ((p->mask & COMM_APDU_LENGTH) &&
        (p->apduLength < 50 || p->apduLength > g_tsml.runtimeMaxApdu))
      return false;
  }
  if ((p->mask & COMM_MAX_SEGS_ACCEPTED) && p->maxSegsAccepted == 0) return false;
  if (p->mask & COMM_MAX_SEGS_ACCEPTED) TsmlLinkAdmit(p->maxSegsAccepted);
  uint32_t wire = p->mask & 0x7F;
  // The exchange runs without the defaults lock: the daemon-request lock
  // already serialises the callers, and TSM allocation must not wait on it.
  if (wire) {
    uint8_t m[64] = {};
    Wr16(m, 0, uint16_t(wire));
    if (wire & COMM_SEGMENTATION) Wr16(m, 2, uint16_t(p->segmentation));
    for (const ParamField& f : kSetParamFields)
      if (wire & f.bit) Wr32(m, f.offset - 4, p->*f.field);
    if (TsmlControl(IPC_KIND_SET_PARAMS, m) != 0) return false;
  }
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  for (const DefaultField& f : kDefaults)
    if (p->mask & f.bit) g_tsml.*f.slot = p->*f.field;
  return true;
}

bool TsmlNetParamsGet(CommParams* p) {
  if (!g_tsml.open.load() || !p) return false;
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  for (const DefaultField& f : kDefaults)
    if (p->mask & f.bit) p->*f.field = g_tsml.*f.slot;
  return true;
}

namespace {

// Appends under the defaults lock; false (nothing changed) when full.
bool PidAppend(uint32_t id) {
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  if (g_tsml.pidCount >= g_tsml.pidCapacity) return false;
  g_tsml.pids[g_tsml.pidCount++] = id;
  return true;
}

bool PidFull() {
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  return g_tsml.pidCount >= g_tsml.pidCapacity;
}

}  // namespace

// The list is refused locally when full, before the daemon is asked, so that
// the daemon's list and ours stay the same.
int TsmlProcessIdAdd(uint32_t id) {
  if (!g_tsml.open.load()) return 1;
  if (PidFull()) return 3;
  uint8_t p[64] = {};
  Wr32(p, 0, id);
  int status = TsmlControl(IPC_KIND_ADD_PID, p);
  if (status != 0) return status;
  if (!PidAppend(id)) {
    // Another caller filled the list meanwhile: take ours back.
    uint8_t q[64] = {};
    Wr32(q, 0, id);
    TsmlControl(IPC_KIND_REMOVE_PID, q);
    return 3;
  }
  return 0;
}

int TsmlProcessIdRemove(uint32_t id) {
  if (!g_tsml.open.load()) return 1;
  uint8_t p[64] = {};
  Wr32(p, 0, id);
  int status = TsmlControl(IPC_KIND_REMOVE_PID, p);
  if (status != 0) return status;
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  for (uint32_t i = 0; i < g_tsml.pidCount; ++i) {
    if (g_tsml.pids[i] != id) continue;
    std::memmove(&g_tsml.pids[i], &g_tsml.pids[i + 1],
                 (g_tsml.pidCount - i - 1) * sizeof(uint32_t));
    --g_tsml.pidCount;
    break;
  }
  return 0;
}

int TsmlProcessIdNew(uint32_t* out) {
  if (!g_tsml.open.load()) return 1;
  if (PidFull()) return 3;
  uint8_t p[64] = {};
  int status = TsmlControl(IPC_KIND_NEW_PID, p);
  if (status != 0) return status;
  uint32_t id = Rd32(p, 0);
  if (!PidAppend(id)) {
    uint8_t q[64] = {};
    Wr32(q, 0, id);
    TsmlControl(IPC_KIND_REMOVE_PID, q);
    return 3;
  }
  if (out) *out = id;
  return 0;
}

int TsmlProcessIdList(uint32_t* array, uint32_t n, uint32_t* count) {
  if (!g_tsml.open.load()) return 1;
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  uint32_t k = n < g_tsml.pidCount ? n : g_tsml.pidCount;
  if (array && k) std::memcpy(array, g_tsml.pids, k * sizeof(uint32_t));
  if (count) *count = g_tsml.pidCount;
  return 0;
}

bool TsmlProcessIdKnown(uint32_t id) {
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  for (uint32_t i = 0; i < g_tsml.pidCount; ++i)
    if (g_tsml.pids[i] == id) return true;
  return false;
}

// A value meant for one address goes out as the per-address kind whenever an
// address is given; the all-address kinds only without one.
int TsmlAddrParamSet(const LinkAddress* address, uint16_t value) {
  if (!g_tsml.open.load()) return 1;
  uint8_t p[64] = {};
  if (address) {
    AddrWrite(p, 0, *address);
    Wr16(p, 12, value);
    return TsmlControl(IPC_KIND_SET_VALUE, p);
  }
  Wr16(p, 0, value);
  return TsmlControl(IPC_KIND_SET_VALUE_ALL, p);
}

int TsmlAddrParamGet(const LinkAddress* address, uint16_t* value) {
  if (!g_tsml.open.load()) return 1;
  uint8_t p[64] = {};
  if (address) AddrWrite(p, 0, *address);
  int status = TsmlControl(address ? IPC_KIND_GET_VALUE : IPC_KIND_GET_VALUE_ALL, p);
  if (status == 0 && value) *value = Rd16(p, 0);
  return status;
}
