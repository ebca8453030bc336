// Everything the daemon sends arrives here on the reader thread: routing by
// kind, server TSMs and the priority queues, link loss and the final close.
#include <algorithm>

#include "bacnet/asn_service.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_internal.h"

void TsmlCliFailAllLocked();

namespace {

void LogSrvState(const char* what, uint32_t state) {
  if (state >= SRV_STATE_COUNT)
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid Srv TSM state=%u", state);
  else
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid %s from Low in TSM state=%u", what, state);
}

SrvTsm* FindForMessage(std::span<const uint8_t> m, std::unique_lock<std::mutex>& lock) {
  return TsmFindForMessage(m, g_tsml.srvPool.get(), g_tsml.srvPoolSize, g_tsml.srvClosed,
                           g_tsml.srvPoolLock, lock);
}

// The services a server-multi delivery thread takes.
bool IsMultiService(uint8_t service) {
  return service == BACNET_SERVICE_READ_PROPERTY_MULTIPLE ||
         service == BACNET_SERVICE_WRITE_PROPERTY_MULTIPLE;
}

// A requester's maximum segments: all ones when it gives none, else at most
// this many.
constexpr uint32_t kAnySegments = 0xFFFFFFFFu;
constexpr uint32_t kMostSegments = 65535;
// The network number of a global broadcast.
constexpr uint16_t kGlobalNetwork = 0xFFFF;

uint32_t OwnMaxSegsLocked() {
  std::lock_guard<std::mutex> d(g_tsml.defaultsLock);
  return g_tsml.maxSegsToSend ? g_tsml.maxSegsToSend : g_tsml.maxSegsAccepted;
}

bool OnRequest(IpcMsg* m) {
  std::span<const uint8_t> h = IpcMsgData(m);
  IpcMsgHeader head{};
  IpcTxnParams p{};
  // The receive check has seen the whole header.
  if (!IpcHeaderRead(h, &head) || !IpcTxnParamsRead(h, &p)) return false;
  const LinkAddress& local = p.local;
  bool localOk = (local.netPresent == 0 && local.net == 0) || local.net == kGlobalNetwork;
  // Below the smallest APDU BACnet allows, the answer's room would wrap.
  if (p.service >= BACNET_CONFIRMED_SERVICE_COUNT || p.maxApdu < IPC_APDU_MIN ||
      p.maxApdu > IPC_APDU_MAX || (p.maxSegs != kAnySegments && p.maxSegs > kMostSegments) ||
      !localOk) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid parameters in Low request %u, userID=%u",
           IPC_KIND_CONF_INDICATION, g_tsml.userId.load());
    return false;
  }
  const uint32_t index = head.tsmIndex;
  if (index >= g_tsml.srvPoolSize) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: TSM index = %lu out of range, userID=%u",
           static_cast<unsigned long>(index), g_tsml.userId.load());
    return false;
  }
  uint32_t ownMax = OwnMaxSegsLocked();
  std::unique_lock<std::mutex> lock(g_tsml.srvPoolLock);
  if (g_tsml.srvClosed) return false;
  SrvTsm* t = &g_tsml.srvPool[index];
  if (SrvTransition(t->state, SRV_EV_REQUEST).action == TsmAction::Reject) {
    LogSrvState("Request", t->state);
    return false;
  }
  PduDescFromMsg(&t->data, m);
  std::memcpy(t->tag, "SRVA", 5);
  t->local = p.local;
  t->remote = p.remote;
  t->priority = p.priority & 3;
  t->service = p.service;
  t->maxApdu = p.maxApdu;
  t->segmentation = p.segmentation;
  t->maxSegsAccepted = p.maxSegs;
  t->ownMaxSegs = ownMax;
  t->decoded = nullptr;
  t->identifier = head.tsmId;
  t->flag = 0;
  g_tsml.activeSrv.fetch_add(1);
  bool multi = IsMultiService(p.service);
  QueuePush(multi ? g_tsml.srvMultiQueue : g_tsml.srvQueue, t, t->priority, &SrvTsm::next);
  t->state = SRV_QUEUED;
  t->userWord = 0;
  lock.unlock();
  (multi ? g_tsml.srvMultiSem : g_tsml.srvSem).Post();
  return true;
}

bool OnUnconfirmed(IpcMsg* m) {
  const uint32_t p = IpcGet8(IpcMsgData(m), IPC_OFF_PRIORITY) & 3;
  std::unique_lock<std::mutex> lock(g_tsml.srvPoolLock);
  if (g_tsml.srvClosed) return false;
  IpcMsgSetNext(m, nullptr);
  auto& q = g_tsml.unconfQueue;
  if (q.tail[p])
    IpcMsgSetNext(q.tail[p], m);
  else
    q.head[p] = m;
  q.tail[p] = m;
  lock.unlock();
  g_tsml.unconfSem.Post();
  return true;
}

IpcMsg* PopUnconfirmedLocked() {
  auto& q = g_tsml.unconfQueue;
  for (int p = 3; p >= 0; --p) {
    IpcMsg* m = q.head[p];
    if (!m) continue;
    q.head[p] = IpcMsgGetNext(m);
    if (!q.head[p]) q.tail[p] = nullptr;
    IpcMsgSetNext(m, nullptr);
    return m;
  }
  return nullptr;
}

bool OnAbort(IpcMsg* m) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = FindForMessage(IpcMsgData(m), lock);
  if (!t) return false;
  TsmStep s = SrvTransition(t->state, SRV_EV_ABORT);
  if (s.action == TsmAction::Reject) {
    if (t->state >= SRV_STATE_COUNT)
      LogSrvState("", t->state);
    else
      OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid Cli Abort from Low in TSM state=%u",
             t->state);
    return false;
  }
  t->state = s.next;
  lock.unlock();
  IpcMsgFree(m);
  return true;
}

bool OnDropAck(IpcMsg* m) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = FindForMessage(IpcMsgData(m), lock);
  if (!t) return false;
  if (SrvTransition(t->state, SRV_EV_DROP_ACK).action == TsmAction::Reject) {
    LogSrvState("ReqACK", t->state);
    return false;
  }
  SrvFreeLocked(t);
  lock.unlock();
  IpcMsgFree(m);
  return true;
}

bool OnResponseAck(IpcMsg* m) {
  std::span<const uint8_t> h = IpcMsgData(m);
  {
    std::unique_lock<std::mutex> lock;
    SrvTsm* t = FindForMessage(h, lock);
    if (!t) return false;
    SrvEvent ev = IpcGet16(h, IPC_OFF_STATUS) == IPC_DAEMON_OK ? SRV_EV_RESPONSE_ACK_OK
                                                               : SRV_EV_RESPONSE_ACK_FAIL;
    TsmStep s = SrvTransition(t->state, ev);
    if (s.action == TsmAction::Reject) {
      LogSrvState("ReqACK", t->state);
      return false;
    }
    if (s.action == TsmAction::Free)
      SrvFreeLocked(t);
    else
      t->state = s.next;
  }
  return TsmlReqAckMatch(h, m);
}

// Makes m the drop of a server TSM, which then awaits its acknowledgement.
void WriteDropLocked(IpcMsg* m, SrvTsm* t) {
  IpcHeaderWrite(IpcMsgArea(m),
                 IpcMsgHeader{IPC_KIND_SERVER_DROP, IPC_DAEMON_OK, t->index, t->identifier, {}});
  t->state = SRV_DROP_SENT;
}

// The common wait of the server and server-multi delivery threads.
int SrvQueueWait(TsmlSem& sem, TsmlQueue<SrvTsm>& q, SrvTsm** out, int32_t timeoutMs) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  bool got = sem.Wait(timeoutMs);
  if (g_tsml.closing) {
    sem.Post();
    return IPC_STATUS_CLOSING;
  }
  if (!got) return IPC_STATUS_WAIT_TIMEOUT;
  std::unique_lock<std::mutex> lock(g_tsml.srvPoolLock);
  SrvTsm* t = QueuePop(q, &SrvTsm::next);
  if (!t) return IPC_STATUS_QUEUE_EMPTY;
  *out = t;
  if (t->state == SRV_QUEUED) {
    t->state = SRV_TAKEN;
    return IPC_STATUS_OK;
  }
  if (t->state != SRV_ABORTED) return IPC_STATUS_FAILED;
  // Aborted while queued: answer the daemon with a drop from the request's
  // own buffer.
  IpcMsg* m = t->data.msg;
  PduDescClear(&t->data);
  WriteDropLocked(m, t);
  lock.unlock();
  // A drop that cannot be written is the lost link's business.
  if (IpcConnection* c = g_tsml.connection.load())
    PipeWrite(c, m);
  else
    IpcMsgFree(m);
  return IPC_STATUS_REQUEST_DROPPED;
}

}  // namespace

void SrvFreeLocked(SrvTsm* t) {
  if (std::memcmp(t->tag, "SRVA", 5) == 0) g_tsml.activeSrv.fetch_sub(1);
  std::memcpy(t->tag, "SRVP", 5);
  PduDescFree(&t->data);
  OsaMemFree(t->decoded);
  t->decoded = nullptr;
  t->state = SRV_FREE;
}

SrvTsm* TsmSrvLock(SrvTsm* tsm, std::unique_lock<std::mutex>& lock) {
  return TsmSlotLocked(tsm, g_tsml.srvPool.get(), g_tsml.srvPoolSize, "SRVA", g_tsml.srvPoolLock,
                       lock);
}

int32_t TsmSrvState(SrvTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  return TsmSrvLock(tsm, lock) ? int32_t(tsm->state) : TSM_NOT_IN_USE;
}

void PipeRead(IpcConnection* c, IpcMsg* m) {
  if (!m) {
    TsmlLinkLost();
    return;
  }
  if (g_tsml.linkLost) {
    IpcMsgFree(m);
    return;
  }
  // The senders confirmed by the frames of one read are woken after the
  // last of them is handled.
  struct WakeAtEnd {
    IpcConnection* c;
    ~WakeAtEnd() {
      if (!IpcConnectionFrameFollows(c)) CliWakeChained();
    }
  } wakeAtEnd{c};
  const uint16_t kind = IpcMsgGetKind(m);
  bool ok;
  switch (kind) {
    case IPC_KIND_CONFIRMATION:
      ok = CliOnConfirmation(m);
      break;
    case IPC_KIND_CANCEL:
    case IPC_KIND_CONF_REQUEST:
    case IPC_KIND_UNCONF_REQUEST:
      ok = CliOnAck(m);
      break;
    case IPC_KIND_SERVER_ABORTED:
      ok = OnAbort(m);
      break;
    case IPC_KIND_CONF_INDICATION:
      ok = OnRequest(m);
      break;
    case IPC_KIND_UNCONF_INDICATION:
      ok = OnUnconfirmed(m);
      break;
    case IPC_KIND_SERVER_DROP:
      ok = OnDropAck(m);
      break;
    case IPC_KIND_SERVER_ACK:
    case IPC_KIND_SERVER_ERROR:
    case IPC_KIND_SERVER_REJECT:
    case IPC_KIND_SERVER_ABORT:
      ok = OnResponseAck(m);
      break;
    default:
      if (IpcKindIsControl(kind)) {
        ok = TsmlReqAckMatch(IpcMsgData(m), m);
      } else {
        OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid Low request %u, userID=%u", kind,
               g_tsml.userId.load());
        ok = false;
      }
  }
  if (!ok) {
    IpcMsgFree(m);
    TsmlLinkLost();
  }
}

void TsmlFailAll() {
  {
    std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
    TsmlCliFailAllLocked();
  }
  std::lock_guard<std::mutex> g(g_tsml.srvPoolLock);
  while (IpcMsg* m = PopUnconfirmedLocked())
    IpcMsgFree(m);
  for (auto* q : {&g_tsml.srvQueue, &g_tsml.srvMultiQueue})
    while (SrvTsm* t = QueuePop(*q, &SrvTsm::next))
      SrvFreeLocked(t);
  for (uint32_t i = 0; i < g_tsml.srvPoolSize; ++i) {
    SrvTsm* t = &g_tsml.srvPool[i];
    TsmStep s = SrvTransition(t->state, SRV_EV_LINK_LOST);
    if (s.action == TsmAction::Free)
      SrvFreeLocked(t);
    else if (s.action == TsmAction::Go)
      t->state = s.next;
  }
  g_tsml.srvClosed = true;
}

void TsmlLinkLost() {
  if (g_tsml.linkLost.exchange(true)) return;
  TsmlFailAll();
  { std::lock_guard<std::mutex> g(g_tsml.controlLock); }
  g_tsml.controlReplied.notify_all();
}

int TsmlUnconfirmedWait(IpcMsg** out, int32_t timeoutMs) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  bool got = g_tsml.unconfSem.Wait(timeoutMs);
  if (g_tsml.closing) {
    g_tsml.unconfSem.Post();
    return IPC_STATUS_CLOSING;
  }
  if (!got) return IPC_STATUS_WAIT_TIMEOUT;
  std::lock_guard<std::mutex> g(g_tsml.srvPoolLock);
  IpcMsg* m = PopUnconfirmedLocked();
  if (!m) return IPC_STATUS_QUEUE_EMPTY;
  *out = m;
  return IPC_STATUS_OK;
}

int TsmlSrvWait(SrvTsm** out, int32_t timeoutMs) {
  return SrvQueueWait(g_tsml.srvSem, g_tsml.srvQueue, out, timeoutMs);
}

int TsmlSrvMultiWait(SrvTsm** out, int32_t timeoutMs) {
  return SrvQueueWait(g_tsml.srvMultiSem, g_tsml.srvMultiQueue, out, timeoutMs);
}

// Never more than the link sends, and never wrapped.
uint32_t TsmSrvMaxPayloadLocked(const SrvTsm* t, uint8_t* segmented) {
  uint32_t n = t->maxSegsAccepted;
  if (n == 0 || n == kAnySegments || n > t->ownMaxSegs) n = t->ownMaxSegs;
  uint64_t room;
  if (t->segmentation == 0 || t->segmentation == 1) {
    *segmented = 1;
    room = uint64_t{t->maxApdu > 5 ? t->maxApdu - 5 : 0} * n;
  } else {
    *segmented = 0;
    room = t->maxApdu > 3 ? t->maxApdu - 3 : 0;
  }
  return uint32_t(std::min<uint64_t>(room, g_tsml.sendPayloadCap.load()));
}

bool TsmSrvInfoGet(SrvTsm* tsm, TsmSrvInfo* info) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t || !info) return false;
  info->local = t->local;
  info->remote = t->remote;
  info->data = t->data.data;
  info->length = t->data.length;
  info->capacity = t->data.capacity;
  info->service = t->service;
  info->flag = t->flag;
  info->maxPayload = TsmSrvMaxPayloadLocked(t, &info->segmented);
  return true;
}

uint32_t TsmSrvMaxPayload(SrvTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  uint8_t seg = 0;
  return t ? TsmSrvMaxPayloadLocked(t, &seg) : 0;
}

bool TsmSrvBufTake(SrvTsm* tsm, PduDesc* out) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t) return false;
  if (out)
    *out = t->data;
  else
    PduDescFree(&t->data);
  PduDescClear(&t->data);
  return true;
}

bool TsmSrvBufSet(SrvTsm* tsm, PduDesc* d) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t || !d) return false;
  PduDescFree(&t->data);
  t->data = *d;
  PduDescClear(d);
  return true;
}

bool TsmSrvBufPeek(SrvTsm* tsm, const uint8_t** data, uint32_t* length, int32_t expected) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t || t->userWord != expected) return false;
  if (data) *data = t->data.data;
  if (length) *length = t->data.length;
  return true;
}

int32_t TsmSrvUserWordSwap(SrvTsm* tsm, int32_t expected, int32_t value) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t) return TSM_NOT_IN_USE;
  int32_t was = t->userWord;
  if (was == expected) t->userWord = value;
  return was;
}

int32_t TsmSrvUserWordSwapBlock(SrvTsm* tsm, int32_t expected, int32_t value, void* decoded) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t) return TSM_NOT_IN_USE;
  int32_t was = t->userWord;
  if (was == expected) {
    t->userWord = value;
    t->decoded = decoded;
  }
  return was;
}

int TsmlSrvRespond(SrvTsm* tsm, PduDesc* d, uint16_t kind) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t) {
    PduDescFree(d);
    return IPC_STATUS_INVALID_PARAMETER;
  }
  if (!d->msg) {
    // Answer from the request's own buffer.
    if (!t->data.msg || d->data != t->data.data) return IPC_STATUS_INVALID_PARAMETER;
    d->msg = t->data.msg;
    PduDescClear(&t->data);
  }
  if (SrvTransition(t->state, SRV_EV_RESPONSE_SENT).action == TsmAction::Reject) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected APIL request");
    PduDescFree(d);
    return IPC_STATUS_UNEXPECTED;
  }
  t->state = SRV_RESP_SENT;
  if (g_tsml.srvClosed) {
    PduDescFree(d);
    t->state = SRV_TAKEN;
    return IPC_STATUS_NO_LINK;
  }
  // The parameters travel in a copy: the message itself is consumed by the write.
  TsmlControlParams params{};
  IpcPut32(params.header, IPC_OFF_TSM_INDEX, t->index);
  IpcPut32(params.header, IPC_OFF_TSM_ID, t->identifier);
  IpcPut8(params.header, IPC_OFF_PRIORITY, uint8_t(t->priority));
  lock.unlock();
  int status = TsmlControlExchange(kind, d, &params, nullptr);
  // A response refused or lost on the way leaves the request with the
  // application, which may answer it again.
  if (status != IPC_STATUS_OK) {
    std::unique_lock<std::mutex> again;
    if (TsmSrvLock(tsm, again) && tsm->state == SRV_RESP_SENT) tsm->state = SRV_TAKEN;
  }
  return status;
}

int TsmlSrvDiscard(SrvTsm* tsm) {
  IpcMsg* m = IpcMsgAlloc(0);
  if (!m) return IPC_STATUS_NO_MEMORY;
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = TsmSrvLock(tsm, lock);
  if (!t) {
    IpcMsgFree(m);
    return IPC_STATUS_INVALID_PARAMETER;
  }
  if (SrvTransition(t->state, SRV_EV_DROP).action == TsmAction::Reject) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected APIL request");
    IpcMsgFree(m);
    return IPC_STATUS_UNEXPECTED;
  }
  if (g_tsml.srvClosed) {
    SrvFreeLocked(t);
    IpcMsgFree(m);
    return IPC_STATUS_NO_LINK;
  }
  WriteDropLocked(m, t);
  t->userWord = -1;
  lock.unlock();
  IpcConnection* c = g_tsml.connection.load();
  if (!c) {
    IpcMsgFree(m);
    return IPC_STATUS_NO_LINK;
  }
  PipeWrite(c, m);
  return IPC_STATUS_OK;
}

// Final release: the reader is stopped first (closing the link joins it), so
// nothing touches the TSMs while their data is freed.
void TlIPCClose() {
  IpcConnection* c = g_tsml.connection.exchange(nullptr);
  if (c) VelmoraIpcClose(c);
  {
    std::lock_guard<std::mutex> g(g_tsml.srvPoolLock);
    for (uint32_t i = 0; i < g_tsml.srvPoolSize; ++i) {
      SrvTsm* t = &g_tsml.srvPool[i];
      if (t->state == SRV_FREE) continue;
      OsaLog(OSA_LOG_ERROR, "TSML(High): TlIPCClose: Invalid Srv TSM state=%u", t->state);
      SrvFreeLocked(t);
    }
    while (IpcMsg* m = PopUnconfirmedLocked())
      IpcMsgFree(m);
  }
  {
    std::lock_guard<std::mutex> g(g_tsml.cliPoolLock);
    for (uint32_t i = 0; i < g_tsml.cliPoolSize; ++i) {
      CliTsm* t = &g_tsml.cliPool[i];
      if (t->state == CLI_FREE) continue;
      PduDescFree(&t->data);
      OsaLog(OSA_LOG_ERROR, "TSML(High): TlIPCClose: Invalid Cli TSM state=%u", t->state);
    }
  }
  std::lock_guard<std::mutex> g(g_tsml.controlLock);
  if (g_tsml.pendingReply) IpcMsgFree(g_tsml.pendingReply);
  g_tsml.pendingReply = nullptr;
}
