// Everything the daemon sends arrives here on the reader thread: routing by
// kind, server TSMs and the priority queues, link loss and the final close.
#include <algorithm>

#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_internal.h"

void TsmlCliFailAllLocked();

namespace {

void LogSrvState(const char* what, uint32_t state) {
  if (state >= SRV_STATE_COUNT)
    OsaLog(1, "TSML(High): PipeRead: Invalid Srv TSM state=%u", state);
  else
    OsaLog(1, "TSML(High): PipeRead: Invalid %s from Low in TSM state=%u", what, state);
}

SrvTsm* FindForMessage(const uint8_t* h, std::unique_lock<std::mutex>& lock) {
  return TsmFindForMessage(h, g_tsml.srvPool, g_tsml.srvPoolSize, g_tsml.srvClosed,
                           g_tsml.srvPoolLock, lock);
}

bool IsMultiService(uint8_t service) { return service == 14 || service == 16; }

uint32_t OwnMaxSegsLocked() {
  std::lock_guard<std::mutex> d(g_tsml.defaultsLock);
  return g_tsml.maxSegsToSend ? g_tsml.maxSegsToSend : g_tsml.maxSegsAccepted;
}

bool OnRequest(IpcMsg* m) {
  const uint8_t* h = MsgBytes(m);
  uint8_t service = h[13];
  uint32_t maxApdu = Rd32(h, 48);
  uint32_t maxSegs = Rd32(h, 56);
  LinkAddress local{}, remote{};
  AddrRead(h, 16, &local);
  AddrRead(h, 28, &remote);
  bool localOk = (local.netPresent == 0 && local.net == 0) || local.net == 0xFFFF;
  // Below the smallest APDU BACnet allows, the answer's room would wrap.
  if (service >= 30 || maxApdu < 50 || maxApdu > 1476 ||
      (maxSegs != 0xFFFFFFFFu && maxSegs > 65535) || !localOk) {
    OsaLog(1, "TSML(High): PipeRead: Invalid parameters in Low request %u, userID=%u",
           IPC_KIND_CONF_INDICATION, g_tsml.userId.load());
    return false;
  }
  uint32_t index = Rd32(h, 4);
  if (index >= g_tsml.srvPoolSize) {
    OsaLog(1, "TSML(High): PipeRead: TSM index = %lu out of range, userID=%u",
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
  t->local = local;
  t->remote = remote;
  t->priority = h[12] & 3;
  t->service = service;
  t->maxApdu = maxApdu;
  t->segmentation = Rd16(h, 54);
  t->maxSegsAccepted = maxSegs;
  t->ownMaxSegs = ownMax;
  t->decoded = nullptr;
  t->identifier = Rd32(h, 8);
  t->flag = 0;
  g_tsml.activeSrv.fetch_add(1);
  bool multi = IsMultiService(service);
  QueuePush(multi ? g_tsml.srvMultiQueue : g_tsml.srvQueue, t, t->priority, &SrvTsm::next);
  t->state = SRV_QUEUED;
  t->userWord = 0;
  lock.unlock();
  (multi ? g_tsml.srvMultiSem : g_tsml.srvSem).Post();
  return true;
}

bool OnUnconfirmed(IpcMsg* m) {
  const uint8_t* h = MsgBytes(m);
  std::unique_lock<std::mutex> lock(g_tsml.srvPoolLock);
  if (g_tsml.srvClosed) return false;
  IpcMsgSetNext(m, nullptr);
  uint32_t p = h[12] & 3;
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
  SrvTsm* t = FindForMessage(MsgBytes(m), lock);
  if (!t) return false;
  TsmStep s = SrvTransition(t->state, SRV_EV_ABORT);
  if (s.action == TsmAction::Reject) {
    if (t->state >= SRV_STATE_COUNT)
      LogSrvState("", t->state);
    else
      OsaLog(1, "TSML(High): PipeRead: Invalid Cli Abort from Low in TSM state=%u", t->state);
    return false;
  }
  t->state = s.next;
  lock.unlock();
  IpcMsgFree(m);
  return true;
}

bool OnDropAck(IpcMsg* m) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = FindForMessage(MsgBytes(m), lock);
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
  const uint8_t* h = MsgBytes(m);
  {
    std::unique_lock<std::mutex> lock;
    SrvTsm* t = FindForMessage(h, lock);
    if (!t) return false;
    SrvEvent ev = Rd16(h, 2) == 0 ? SRV_EV_RESPONSE_ACK_OK : SRV_EV_RESPONSE_ACK_FAIL;
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

// Makes m the drop (0x0E00) of a server TSM, which then awaits its
// acknowledgement.
void WriteDropLocked(IpcMsg* m, SrvTsm* t) {
  uint8_t* h = MsgBytes(m);
  std::memset(h, 0, IPC_HEADER_SIZE);
  Wr16(h, IPC_OFF_KIND, IPC_KIND_SERVER_DROP);
  Wr32(h, IPC_OFF_TSM_INDEX, t->index);
  Wr32(h, IPC_OFF_TSM_ID, t->identifier);
  t->state = SRV_DROP_SENT;
}

// The common wait of the server and server-multi delivery threads.
int SrvQueueWait(TsmlSem& sem, TsmlQueue<SrvTsm>& q, SrvTsm** out, int32_t timeoutMs) {
  if (!g_tsml.open.load()) return 1;
  bool got = sem.Wait(timeoutMs);
  if (g_tsml.closing) {
    sem.Post();
    return 68;
  }
  if (!got) return 63;
  std::unique_lock<std::mutex> lock(g_tsml.srvPoolLock);
  SrvTsm* t = QueuePop(q, &SrvTsm::next);
  if (!t) return 76;
  *out = t;
  if (t->state == SRV_QUEUED) {
    t->state = SRV_TAKEN;
    return 0;
  }
  if (t->state != SRV_ABORTED) return 5;
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
  return 64;
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

SrvTsm* TsmSrvLock(SrvTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  return SrvLocked(tsm, lock);
}

int32_t TsmSrvState(SrvTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  return SrvLocked(tsm, lock) ? int32_t(tsm->state) : -1;
}

void PipeRead(IpcConnection*, IpcMsg* m) {
  if (!m) {
    TsmlLinkLost();
    return;
  }
  if (g_tsml.linkLost) {
    IpcMsgFree(m);
    return;
  }
  uint16_t kind = Rd16(MsgBytes(m), 0);
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
      if (kind >= 0x0800 && kind <= 0x0809) {
        ok = TsmlReqAckMatch(MsgBytes(m), m);
      } else {
        OsaLog(1, "TSML(High): PipeRead: Invalid Low request %u, userID=%u", kind,
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
  if (!g_tsml.open.load()) return 1;
  bool got = g_tsml.unconfSem.Wait(timeoutMs);
  if (g_tsml.closing) {
    g_tsml.unconfSem.Post();
    return 68;
  }
  if (!got) return 63;
  std::lock_guard<std::mutex> g(g_tsml.srvPoolLock);
  IpcMsg* m = PopUnconfirmedLocked();
  if (!m) return 76;
  *out = m;
  return 0;
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
  if (n == 0 || n == 0xFFFFFFFFu || n > t->ownMaxSegs) n = t->ownMaxSegs;
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
  SrvTsm* t = SrvLocked(tsm, lock);
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
  SrvTsm* t = SrvLocked(tsm, lock);
  uint8_t seg = 0;
  return t ? TsmSrvMaxPayloadLocked(t, &seg) : 0;
}

bool TsmSrvBufTake(SrvTsm* tsm, PduDesc* out) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
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
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t || !d) return false;
  PduDescFree(&t->data);
  t->data = *d;
  PduDescClear(d);
  return true;
}

bool TsmSrvBufPeek(SrvTsm* tsm, const uint8_t** data, uint32_t* length, int32_t expected) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t || t->userWord != expected) return false;
  if (data) *data = t->data.data;
  if (length) *length = t->data.length;
  return true;
}

int32_t TsmSrvUserWordSwap(SrvTsm* tsm, int32_t expected, int32_t value) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t) return -1;
  int32_t was = t->userWord;
  if (was == expected) t->userWord = value;
  return was;
}

int32_t TsmSrvUserWordSwapBlock(SrvTsm* tsm, int32_t expected, int32_t value, void* decoded) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t) return -1;
  int32_t was = t->userWord;
  if (was == expected) {
    t->userWord = value;
    t->decoded = decoded;
  }
  return was;
}

int TsmlSrvRespond(SrvTsm* tsm, PduDesc* d, uint16_t kind) {
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t) {
    PduDescFree(d);
    return 2;
  }
  if (!d->msg) {
    // Answer from the request's own buffer.
    if (!t->data.msg || d->data != t->data.data) return 2;
    d->msg = t->data.msg;
    PduDescClear(&t->data);
  }
  if (SrvTransition(t->state, SRV_EV_RESPONSE_SENT).action == TsmAction::Reject) {
    OsaLog(1, "TSML(High): Unexpected APIL request");
    PduDescFree(d);
    return 6;
  }
  t->state = SRV_RESP_SENT;
  if (g_tsml.srvClosed) {
    PduDescFree(d);
    t->state = SRV_TAKEN;
    return 9;
  }
  // The parameters travel in a copy: the message itself is consumed by the write.
  uint8_t params[64] = {};
  Wr32(params, 0, t->index);
  Wr32(params, 4, t->identifier);
  params[8] = uint8_t(t->priority);
  lock.unlock();
  int status = TsmlControlExchange(kind, d, params, nullptr);
  // A response refused or lost on the way leaves the request with the
  // application, which may answer it again.
  if (status != 0) {
    std::unique_lock<std::mutex> again;
    if (SrvLocked(tsm, again) && tsm->state == SRV_RESP_SENT) tsm->state = SRV_TAKEN;
  }
  return status;
}

int TsmlSrvDiscard(SrvTsm* tsm) {
  IpcMsg* m = IpcMsgAlloc(0);
  if (!m) return 4;
  std::unique_lock<std::mutex> lock;
  SrvTsm* t = SrvLocked(tsm, lock);
  if (!t) {
    IpcMsgFree(m);
    return 2;
  }
  if (SrvTransition(t->state, SRV_EV_DROP).action == TsmAction::Reject) {
    OsaLog(1, "TSML(High): Unexpected APIL request");
    IpcMsgFree(m);
    return 6;
  }
  if (g_tsml.srvClosed) {
    SrvFreeLocked(t);
    IpcMsgFree(m);
    return 9;
  }
  WriteDropLocked(m, t);
  t->userWord = -1;
  lock.unlock();
  IpcConnection* c = g_tsml.connection.load();
  if (!c) {
    IpcMsgFree(m);
    return 9;
  }
  PipeWrite(c, m);
  return 0;
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
      OsaLog(1, "TSML(High): TlIPCClose: Invalid Srv TSM state=%u", t->state);
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
      OsaLog(1, "TSML(High): TlIPCClose: Invalid Cli TSM state=%u", t->state);
    }
  }
  std::lock_guard<std::mutex> g(g_tsml.controlLock);
  if (g_tsml.pendingReply) IpcMsgFree(g_tsml.pendingReply);
  g_tsml.pendingReply = nullptr;
}
