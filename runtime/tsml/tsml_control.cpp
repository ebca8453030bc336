// Control exchanges with the daemon: one outstanding at a time, each a
// message written and its reply of the same kind waited for.
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_internal.h"

namespace {

bool IsResponseKind(uint16_t kind) { return (kind & IPC_KIND_RESPONSE_BIT) != 0; }

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

// The mask bits that travel in a set-parameters message: the same bits in
// CommParams and on the link.
constexpr uint32_t kWireParams = COMM_APDU_LENGTH | COMM_SEGMENTATION | COMM_MAX_SEGS_ACCEPTED |
                                 COMM_WINDOW_SIZE | COMM_SEG_TIMEOUT | COMM_APDU_TIMEOUT |
                                 COMM_RETRIES;
static_assert(COMM_APDU_LENGTH == uint32_t{IPC_PARAM_APDU_LENGTH} &&
              COMM_SEGMENTATION == uint32_t{IPC_PARAM_SEGMENTATION} &&
              COMM_MAX_SEGS_ACCEPTED == uint32_t{IPC_PARAM_MAX_SEGS} &&
              COMM_WINDOW_SIZE == uint32_t{IPC_PARAM_WINDOW} &&
              COMM_SEG_TIMEOUT == uint32_t{IPC_PARAM_SEG_TIMEOUT} &&
              COMM_APDU_TIMEOUT == uint32_t{IPC_PARAM_APDU_TIMEOUT} &&
              COMM_RETRIES == uint32_t{IPC_PARAM_RETRIES});

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
      return IPC_STATUS_NO_LINK;
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
      OsaLog(OSA_LOG_ERROR, "TSML(High): PipeWrite failed, userID=%u", g_tsml.userId.load());
    return TsmlWriteStatus(why);
  }
  std::unique_lock<std::mutex> g(g_tsml.controlLock);
  g_tsml.controlReplied.wait(
      g, [] { return g_tsml.pendingReply != nullptr || g_tsml.linkLost.load(); });
  IpcMsg* r = g_tsml.pendingReply;
  g_tsml.pendingReply = nullptr;
  g.unlock();
  if (!r) return IPC_STATUS_NO_LINK;
  const uint16_t status = IpcMsgGetStatus(r);
  if (status != IPC_DAEMON_OK) {
    IpcMsgFree(r);
    return int(IpcDaemonStatusMap(status));
  }
  *reply = r;
  return IPC_STATUS_OK;
}

int TsmlControlExchange(uint16_t kind, PduDesc* data, TsmlControlParams* params,
                        PduDesc* replyOut) {
  IpcMsg* m = data->msg;
  if (!m) return IPC_STATUS_NO_MEMORY;
  std::span<uint8_t> area = IpcMsgArea(m);
  IpcPut16(area, IPC_OFF_KIND, kind);
  IpcPut16(area, IPC_OFF_STATUS, IPC_DAEMON_OK);
  if (params)
    std::memcpy(&area[IPC_OFF_CONTROL], &params->header[IPC_OFF_CONTROL],
                IPC_HEADER_SIZE - IPC_OFF_CONTROL);
  if (IpcKindCarriesPayload(kind)) IpcMsgSetPayloadLength(m, data->length);
  const bool response = params && IsResponseKind(kind);
  const uint32_t index = response ? IpcGet32(params->header, IPC_OFF_TSM_INDEX) : 0;
  const uint32_t id = response ? IpcGet32(params->header, IPC_OFF_TSM_ID) : 0;
  PduDescClear(data);
  IpcMsg* r = nullptr;
  int status = TsmlControlRoundTrip(m, kind, index, id, false, &r);
  if (status != IPC_STATUS_OK) return status;
  std::span<const uint8_t> rb = IpcMsgData(r);
  if (params) {
    std::span<uint8_t> p = params->header;
    if (response) {
      IpcPut32(p, IPC_OFF_TSM_INDEX, IpcGet32(rb, IPC_OFF_TSM_INDEX));
      IpcPut32(p, IPC_OFF_TSM_ID, IpcGet32(rb, IPC_OFF_TSM_ID));
    } else if (kind == IPC_KIND_NEW_PID) {
      IpcPut32(p, IPC_OFF_PID, IpcGet32(rb, IPC_OFF_PID));
    } else if (kind == IPC_KIND_GET_VALUE_ALL || kind == IPC_KIND_GET_VALUE) {
      IpcPut16(p, IPC_OFF_VALUE_ALL, IpcGet16(rb, IPC_OFF_VALUE_ALL));
    }
  }
  if (replyOut)
    PduDescFromMsg(replyOut, r);
  else
    IpcMsgFree(r);
  return IPC_STATUS_OK;
}

int TsmlControl(uint16_t kind, TsmlControlParams* params) {
  PduDesc d{};
  if (!PduDescAlloc(0, &d)) return IPC_STATUS_NO_MEMORY;
  return TsmlControlExchange(kind, &d, params, nullptr);
}

int TsmlIoctlLocal(PduDesc* request, PduDesc* reply) {
  if (!g_tsml.open.load()) {
    PduDescFree(request);
    return IPC_STATUS_BUSY;
  }
  return TsmlControlExchange(IPC_KIND_IOCTL, request, nullptr, reply);
}

bool TsmlReqAckMatch(std::span<const uint8_t> header, IpcMsg* reply) {
  const uint16_t kind = IpcGet16(header, IPC_OFF_KIND);
  const uint32_t index = IpcGet32(header, IPC_OFF_TSM_INDEX);
  const uint32_t id = IpcGet32(header, IPC_OFF_TSM_ID);
  {
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    if (kind != g_tsml.pendingKind) {
      OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected ReqACK from Low; expected %d but was %d",
             g_tsml.pendingKind, kind);
      return false;
    }
    // Both must match: an answer for another transaction that shares
    // only its index or only its identifier is not this one's.
    if (IsResponseKind(kind) && (index != g_tsml.expectedIndex || id != g_tsml.expectedId)) {
      OsaLog(
          OSA_LOG_ERROR,
          "TSML(High): Unexpected TsmID in ReqACK from Low; expected (%lu,%lu) but was (%lu,%lu)",
          static_cast<unsigned long>(g_tsml.expectedIndex),
          static_cast<unsigned long>(g_tsml.expectedId), static_cast<unsigned long>(index),
          static_cast<unsigned long>(id));
      return false;
    }
    g_tsml.pendingKind = 0;
    g_tsml.pendingReply = reply;
  }
  g_tsml.controlReplied.notify_all();
  return true;
}

int TsmlTransferParamsSend(const CommParams& p) {
  IpcTransferParams set{};
  set.mask = uint16_t(p.mask & kWireParams);
  set.segmentation = uint16_t(p.segmentation);
  set.apduLength = p.apduLength;
  set.maxSegs = p.maxSegsAccepted;
  set.window = p.windowSize;
  set.segTimeout = p.segTimeout;
  set.apduTimeout = p.apduTimeout;
  set.retries = p.retries;
  TsmlControlParams c{};
  IpcTransferParamsWrite(c.header, set);  // a field whose bit is clear goes as 0
  return TsmlControl(IPC_KIND_SET_PARAMS, &c);
}

bool TsmlNetParamsSet(const CommParams* p) {
  if (!g_tsml.open.load() || !p) return false;
  {
    std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
    if ((p->mask & COMM_APDU_LENGTH) &&
        (p->apduLength < IPC_APDU_MIN || p->apduLength > g_tsml.runtimeMaxApdu))
      return false;
  }
  if ((p->mask & COMM_MAX_SEGS_ACCEPTED) && p->maxSegsAccepted == 0) return false;
  if (p->mask & COMM_MAX_SEGS_ACCEPTED) TsmlLinkAdmit(p->maxSegsAccepted);
  // The exchange runs without the defaults lock: the daemon-request lock
  // already serialises the callers, and TSM allocation must not wait on it.
  if ((p->mask & kWireParams) != 0 && TsmlTransferParamsSend(*p) != IPC_STATUS_OK) return false;
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

// A process-identifier exchange: the identifier goes out, and for a new
// one comes back, in *id.
int PidControl(uint16_t kind, uint32_t* id) {
  TsmlControlParams p{};
  IpcPut32(p.header, IPC_OFF_PID, *id);
  int status = TsmlControl(kind, &p);
  *id = IpcGet32(p.header, IPC_OFF_PID);
  return status;
}

// Takes back an identifier the daemon accepted that the list had no room for.
void PidTakeBack(uint32_t id) { PidControl(IPC_KIND_REMOVE_PID, &id); }

}  // namespace

// The list is refused locally when full, before the daemon is asked, so that
// the daemon's list and ours stay the same.
int TsmlProcessIdAdd(uint32_t id) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  if (PidFull()) return IPC_STATUS_NO_RESOURCES;
  uint32_t sent = id;
  int status = PidControl(IPC_KIND_ADD_PID, &sent);
  if (status != IPC_STATUS_OK) return status;
  if (!PidAppend(id)) {
    // Another caller filled the list meanwhile: take ours back.
    PidTakeBack(id);
    return IPC_STATUS_NO_RESOURCES;
  }
  return IPC_STATUS_OK;
}

int TsmlProcessIdRemove(uint32_t id) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  uint32_t sent = id;
  int status = PidControl(IPC_KIND_REMOVE_PID, &sent);
  if (status != IPC_STATUS_OK) return status;
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  for (uint32_t i = 0; i < g_tsml.pidCount; ++i) {
    if (g_tsml.pids[i] != id) continue;
    std::memmove(&g_tsml.pids[i], &g_tsml.pids[i + 1],
                 (g_tsml.pidCount - i - 1) * sizeof(uint32_t));
    --g_tsml.pidCount;
    break;
  }
  return IPC_STATUS_OK;
}

int TsmlProcessIdNew(uint32_t* out) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  if (PidFull()) return IPC_STATUS_NO_RESOURCES;
  uint32_t id = 0;
  int status = PidControl(IPC_KIND_NEW_PID, &id);
  if (status != IPC_STATUS_OK) return status;
  if (!PidAppend(id)) {
    PidTakeBack(id);
    return IPC_STATUS_NO_RESOURCES;
  }
  if (out) *out = id;
  return IPC_STATUS_OK;
}

int TsmlProcessIdList(uint32_t* array, uint32_t n, uint32_t* count) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
  uint32_t k = n < g_tsml.pidCount ? n : g_tsml.pidCount;
  if (array && k) std::memcpy(array, g_tsml.pids.get(), k * sizeof(uint32_t));
  if (count) *count = g_tsml.pidCount;
  return IPC_STATUS_OK;
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
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  TsmlControlParams p{};
  if (address) {
    LinkAddressWrite(p.header, IPC_OFF_VALUE_ADDR, *address);
    IpcPut16(p.header, IPC_OFF_VALUE, value);
    return TsmlControl(IPC_KIND_SET_VALUE, &p);
  }
  IpcPut16(p.header, IPC_OFF_VALUE_ALL, value);
  return TsmlControl(IPC_KIND_SET_VALUE_ALL, &p);
}

int TsmlAddrParamGet(const LinkAddress* address, uint16_t* value) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  TsmlControlParams p{};
  if (address) LinkAddressWrite(p.header, IPC_OFF_VALUE_ADDR, *address);
  int status = TsmlControl(address ? IPC_KIND_GET_VALUE : IPC_KIND_GET_VALUE_ALL, &p);
  if (status == IPC_STATUS_OK && value) *value = IpcGet16(p.header, IPC_OFF_VALUE_ALL);
  return status;
}
