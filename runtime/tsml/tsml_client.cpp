// Client TSMs: allocation, sending, waiting, cancelling and release, and the
// acknowledgements and confirmations the reader thread applies to them.
#include <algorithm>

#include "bacnet/asn_check.h"
#include "bacnet/asn_status.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_internal.h"

namespace {

// The interface's user word of a confirmed TSM says whose it is.
constexpr int32_t kWordSync = 1;        // a synchronous request's caller
constexpr int32_t kWordAsync = 2;       // an asynchronous request, until completed
constexpr int32_t kWordCompleting = 3;  // its completion routine runs
constexpr int32_t kWordDone = -1;       // ended: not sent, or completed

// The local-MAC rule: a local address on our own network must have our MAC length.
bool LocalMacRule(const LinkAddress& a) {
  const LinkAddress& l = g_tsml.local;
  if (l.macLen == 0) return true;
  if (a.netPresent == 0 && a.macLen != 0 && a.macLen != l.macLen) return false;
  return true;
}

int CheckAddresses(const LinkAddress* source, const LinkAddress* destination, bool confirmed,
                   LinkAddress* localOut) {
  if (source) {
    if (source->macLen == 0 || source->macLen > LINK_MAC_MAX || !LocalMacRule(*source))
      return IPC_STATUS_INVALID_ADDRESS;
    *localOut = *source;
  } else {
    if (g_tsml.local.macLen == 0) return IPC_STATUS_INVALID_ADDRESS;
    *localOut = g_tsml.local;
  }
  if (!destination || destination->macLen > LINK_MAC_MAX || !LocalMacRule(*destination))
    return IPC_STATUS_INVALID_ADDRESS;
  if (confirmed && destination->macLen == 0) return IPC_STATUS_INVALID_ADDRESS;
  return IPC_STATUS_OK;
}

CliTsm* PopFreeLocked() {
  CliTsm* t = g_tsml.cliFree;
  if (t) {
    g_tsml.cliFree = t->next;
    t->next = nullptr;
  }
  return t;
}

void PushFreeLocked(CliTsm* t) {
  t->next = g_tsml.cliFree;
  g_tsml.cliFree = t;
}

// An acknowledged request whose sender waits on for the confirmation: the
// confirmation (or a lost link) wakes it, once.
bool AckLeavesSenderWaiting(const CliTsm* t) {
  return t->sendWaitsConf && t->state == CLI_AWAIT_CONF;
}

void ChainLocked(CliTsm* t) {
  t->chained = 1;
  t->wakeNext = nullptr;
  (g_tsml.wakeFirst != nullptr ? g_tsml.wakeLast->wakeNext : g_tsml.wakeFirst) = t;
  g_tsml.wakeLast = t;
}

// Takes `t` off the wake chain (a sender that left its wait unwoken).
void UnchainLocked(CliTsm* t) {
  if (!t->chained) return;
  CliTsm* before = nullptr;
  for (CliTsm* at = g_tsml.wakeFirst; at != t; at = at->wakeNext)
    before = at;
  (before != nullptr ? before->wakeNext : g_tsml.wakeFirst) = t->wakeNext;
  if (g_tsml.wakeLast == t) g_tsml.wakeLast = before;
  t->chained = 0;
  t->wakeNext = nullptr;
}

// Takes up to `room` senders off the front of the wake chain into `out`;
// how many. They are woken after the lock is left: a slot outlives its
// request, and a waiter woken late only looks at its state again.
size_t UnchainLocked(CliTsm** out, size_t room) {
  size_t n = 0;
  for (; n < room && g_tsml.wakeFirst != nullptr; ++n) {
    out[n] = g_tsml.wakeFirst;
    UnchainLocked(out[n]);
  }
  return n;
}

// The most senders one woken sender wakes; those beyond stay on the chain
// for the first of them to leave its wait.
constexpr size_t kWakeAtOnce = 32;

// Hands a confirmation to its waiter: the async queue or the TSM's own wake.
// Without `lock` the wake-up is made under the caller's lock; with it, after
// the lock is left (see CliOnAck).
void DeliverLocked(CliTsm* t, std::unique_lock<std::mutex>* lock = nullptr) {
  // Read under the lock: once it is left the slot may already be another
  // request's.
  const bool async = t->async != 0;
  if (async) QueuePush(g_tsml.asyncQueue, t, t->priority, &CliTsm::next);
  if (lock) lock->unlock();
  if (async) g_tsml.asyncSem.Post();
  t->wake.NotifyAll();
}

// Never more than the link sends, and never wrapped: a request's own
// parameters may ask for any number of segments.
uint32_t MaxPayload(uint32_t apdu, uint32_t segmentation, uint32_t maxSegsToSend,
                    uint8_t* segmented) {
  uint64_t room;
  if (segmentation == 0 || segmentation == 1) {
    *segmented = 1;
    room = uint64_t{apdu > 6 ? apdu - 6 : 0} * maxSegsToSend;
  } else {
    *segmented = 0;
    room = apdu > 4 ? apdu - 4 : 0;
  }
  return uint32_t(std::min<uint64_t>(room, g_tsml.sendPayloadCap.load()));
}

void FillInfoLocked(const CliTsm* t, TsmCliInfo* info) {
  info->local = t->local;
  info->remote = t->remote;
  info->data = t->data.data;
  info->length = t->data.length;
  info->capacity = t->data.capacity;
  info->service = t->service;
  info->context = t->context;
  info->outcome = t->outcome;
  info->maxPayload = MaxPayload(t->apduLength, t->segmentation, t->maxSegsToSend, &info->segmented);
}

void LogBadState(const char* what, uint32_t state) {
  if (state >= CLI_STATE_COUNT)
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid Cli TSM state=%u", state);
  else
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: Invalid %s from Low in TSM state=%u", what, state);
}

// Looks up the TSM a daemon message names; on success the pool lock is held.
CliTsm* FindForMessage(std::span<const uint8_t> m, std::unique_lock<std::mutex>& lock) {
  return TsmFindForMessage(m, g_tsml.cliPool.get(), g_tsml.cliPoolSize, g_tsml.cliClosed,
                           g_tsml.cliPoolLock, lock);
}

// The common start of both allocations: the layer open, the parameters in
// range, both addresses accepted and a free slot, which comes back in use
// with its addresses, priority and service, and the pool lock in `lock`.
int TakeSlot(const TsmCliRequest& rq, bool confirmed, std::unique_lock<std::mutex>& lock,
             CliTsm** out) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  if (const CommParams* p = rq.params) {
    if ((p->mask & COMM_APDU_LENGTH) &&
        (p->apduLength < IPC_APDU_MIN || p->apduLength > g_tsml.runtimeMaxApdu))
      return IPC_STATUS_BAD_CONFIGURATION;
    // Only a confirmed request carries the other parameters.
    if (confirmed && (p->mask & COMM_MAX_SEGS_ACCEPTED) && p->maxSegsAccepted == 0)
      return IPC_STATUS_INVALID_PARAMETER;
  }
  LinkAddress local{};
  if (int s = CheckAddresses(rq.source, rq.destination, confirmed, &local)) return s;
  lock = std::unique_lock<std::mutex>(g_tsml.cliPoolLock);
  CliTsm* t = PopFreeLocked();
  if (!t) {
    OsaLog(OSA_LOG_ERROR, "TSML: Cannot allocate a client TSM; userID=%u", g_tsml.userId.load());
    return IPC_STATUS_NO_RESOURCES;
  }
  std::memcpy(t->tag, "CLIA", 5);
  t->local = local;
  t->remote = *rq.destination;
  t->priority = rq.priority & 3;
  t->service = rq.service;
  t->sendResult = IPC_STATUS_NO_LINK;
  *out = t;
  return IPC_STATUS_OK;
}

// Applies one event; false when the table refuses the pair.
bool ApplyLocked(CliTsm* t, CliEvent ev) {
  TsmStep s = CliTransition(t->state, ev);
  if (s.action == TsmAction::Reject) return false;
  if (s.action == TsmAction::Free)
    CliFreeLocked(t);
  else
    t->state = s.next;
  return true;
}

}  // namespace

void CliFreeLocked(CliTsm* t) {
  PduDescFree(&t->data);
  t->context = nullptr;
  std::memcpy(t->tag, "CLIP", 5);
  t->state = CLI_FREE;
  t->userWord = 0;
  if (!t->sending) PushFreeLocked(t);
}

CliTsm* TsmCliLock(CliTsm* tsm, std::unique_lock<std::mutex>& lock) {
  return TsmSlotLocked(tsm, g_tsml.cliPool.get(), g_tsml.cliPoolSize, "CLIA", g_tsml.cliPoolLock,
                       lock);
}

int32_t TsmCliState(CliTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  return TsmCliLock(tsm, lock) ? int32_t(tsm->state) : TSM_NOT_IN_USE;
}

int TsmCliAllocConfirmed(const TsmCliRequest& rq, bool async, int32_t userWord, CliTsm** out,
                         TsmCliInfo* info) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = nullptr;
  if (int s = TakeSlot(rq, true, lock, &t)) return s;
  t->identifier = t->identifier == 0xFFFFFFFFu ? 1 : t->identifier + 1;
  t->async = async ? 1 : 0;
  t->userWord = userWord;
  t->outcome = 0;
  {
    std::lock_guard<std::mutex> d(g_tsml.defaultsLock);
    auto pick = [p = rq.params](uint32_t bit, uint32_t CommParams::*f, uint32_t fallback) {
      return p && (p->mask & bit) ? p->*f : fallback;
    };
    t->apduLength = pick(COMM_APDU_LENGTH, &CommParams::apduLength, g_tsml.apduLength);
    t->segmentation = pick(COMM_SEGMENTATION, &CommParams::segmentation, g_tsml.segmentation);
    t->maxSegsAccepted =
        pick(COMM_MAX_SEGS_ACCEPTED, &CommParams::maxSegsAccepted, g_tsml.maxSegsAccepted);
    t->windowSize = uint8_t(pick(COMM_WINDOW_SIZE, &CommParams::windowSize, g_tsml.windowSize));
    t->segTimeout = pick(COMM_SEG_TIMEOUT, &CommParams::segTimeout, g_tsml.segTimeout);
    t->apduTimeout = pick(COMM_APDU_TIMEOUT, &CommParams::apduTimeout, g_tsml.apduTimeout);
    t->retries = pick(COMM_RETRIES, &CommParams::retries, g_tsml.retries);
    t->maxSegsToSend =
        pick(COMM_MAX_SEGS_TO_SEND, &CommParams::maxSegsToSend, g_tsml.maxSegsToSend);
    if (t->maxSegsToSend == 0) t->maxSegsToSend = t->maxSegsAccepted;
  }
  TsmlLinkAdmit(t->maxSegsAccepted);
  t->context = rq.context;
  ApplyLocked(t, CLI_EV_ALLOC_CONFIRMED);
  if (info) FillInfoLocked(t, info);
  *out = t;
  return IPC_STATUS_OK;
}

int TsmCliAllocUnconfirmed(const TsmCliRequest& rq, CliTsm** out, TsmCliUnconfInfo* info) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = nullptr;
  if (int s = TakeSlot(rq, false, lock, &t)) return s;
  t->async = 0;
  {
    const CommParams* p = rq.params;
    std::lock_guard<std::mutex> d(g_tsml.defaultsLock);
    t->apduLength = p && (p->mask & COMM_APDU_LENGTH) ? p->apduLength : g_tsml.apduLength;
  }
  t->segmentation = t->maxSegsAccepted = t->segTimeout = t->maxSegsToSend = 0;
  t->windowSize = 0;
  t->apduTimeout = t->retries = 0;
  ApplyLocked(t, CLI_EV_ALLOC_UNCONFIRMED);
  if (info) {
    info->local = t->local;
    info->remote = t->remote;
    info->data = t->data.data;
    info->length = t->data.length;
    info->capacity = t->data.capacity;
    info->priority = t->priority;
    info->maxPayload = t->apduLength - 2;
    info->service = rq.service;
  }
  *out = t;
  return IPC_STATUS_OK;
}

int TsmlCliSend(PduDesc* d, CliTsm* tsm, uint16_t kind, TsmlSendWait wait) {
  IpcMsg* m = d ? d->msg : nullptr;
  if (!m) return IPC_STATUS_INVALID_PARAMETER;
  IpcMsgSetPayloadLength(m, d->length);
  PduDescClear(d);

  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) {
    IpcMsgFree(m);
    return IPC_STATUS_INVALID_PARAMETER;
  }
  if (g_tsml.cliClosed) {
    IpcMsgFree(m);
    return IPC_STATUS_NO_LINK;
  }
  if (t->sending) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected APIL request");
    IpcMsgFree(m);
    return IPC_STATUS_UNEXPECTED;
  }
  CliEvent ev = kind == IPC_KIND_CONF_REQUEST     ? CLI_EV_SEND_REQUEST
                : kind == IPC_KIND_CANCEL         ? CLI_EV_SEND_CANCEL
                : kind == IPC_KIND_UNCONF_REQUEST ? CLI_EV_SEND_UNCONFIRMED
                                                  : CLI_EVENT_COUNT;
  if (!ApplyLocked(t, ev)) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected APIL request");
    IpcMsgFree(m);
    return IPC_STATUS_UNEXPECTED;
  }
  // A cancel carries only the priority; an unconfirmed request also the
  // service and the addresses; a confirmed one every transfer parameter.
  IpcTxnParams p{};
  p.priority = uint8_t(t->priority);
  if (kind != IPC_KIND_CANCEL) {
    p.service = t->service;
    p.local = t->local;
    p.remote = t->remote;
  }
  if (kind == IPC_KIND_CONF_REQUEST) {
    p.apduTimeout = t->apduTimeout;
    p.retries = t->retries;
    p.maxApdu = t->apduLength;
    p.window = t->windowSize;
    p.segmentation = uint16_t(t->segmentation);
    p.maxSegs = t->maxSegsAccepted;
    p.segTimeout = t->segTimeout;
  }
  std::span<uint8_t> area = IpcMsgArea(m);
  IpcHeaderWrite(area, IpcMsgHeader{kind, IPC_DAEMON_OK, t->index, t->identifier, {}});
  IpcTxnParamsWrite(area, p);
  t->sendResult = IPC_STATUS_NO_LINK;
  t->sending = 1;
  t->ackPending = 1;
  t->sendWaitsConf = kind == IPC_KIND_CONF_REQUEST && wait == TsmlSendWait::Confirmation;
  lock.unlock();

  IpcConnection* c = g_tsml.connection.load();
  IpcWriteError why = IpcWriteError::NoLink;
  bool written = c && PipeWrite(c, m, &why);
  if (!c) IpcMsgFree(m);

  lock.lock();
  if (written) {
    t->wake.Wait(lock, [t] { return !t->ackPending && !AckLeavesSenderWaiting(t); });
    // The other senders on the wake chain are this one's to wake (it may
    // also have left its wait before its own turn came).
    UnchainLocked(t);
    CliTsm* others[kWakeAtOnce];
    const size_t woken = UnchainLocked(others, kWakeAtOnce);
    t->sending = 0;
    t->sendWaitsConf = 0;
    if (t->state == CLI_FREE) PushFreeLocked(t);
    // A release that came before this sender woke waits for the slot.
    t->wake.NotifyAll();
    const int result = int(t->sendResult);
    lock.unlock();
    for (size_t i = 0; i < woken; ++i)
      others[i]->wake.NotifyAll();
    return result;
  }
  const int status = TsmlWriteStatus(why);
  if (status == IPC_STATUS_NO_LINK && !g_tsml.linkLost && !g_tsml.closing)
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeWrite failed, userID=%u", g_tsml.userId.load());
  UnchainLocked(t);
  t->sending = 0;
  t->ackPending = 0;
  t->sendWaitsConf = 0;
  uint32_t before = t->state;
  TsmStep s = CliTransition(before, CLI_EV_WRITE_FAILED);
  if (before == CLI_FREE)
    PushFreeLocked(t);
  else if (s.action == TsmAction::Free)
    CliFreeLocked(t);
  else if (s.action == TsmAction::Go)
    t->state = s.next;
  return status;
}

int TsmlSend(void* tsm, uint16_t kind, PduDesc* d, TsmlSendWait wait) {
  PduDesc empty{};
  if (!d) {
    if (!PduDescAlloc(0, &empty)) return IPC_STATUS_NO_MEMORY;
    d = &empty;
  }
  if (!g_tsml.open.load()) {
    PduDescFree(d);
    return IPC_STATUS_BUSY;
  }
  if (kind == IPC_KIND_CANCEL || kind == IPC_KIND_CONF_REQUEST || kind == IPC_KIND_UNCONF_REQUEST)
    return TsmlCliSend(d, static_cast<CliTsm*>(tsm), kind, wait);
  if (IpcKindIsServerResponse(kind)) return TsmlSrvRespond(static_cast<SrvTsm*>(tsm), d, kind);
  PduDescFree(d);
  return IPC_STATUS_FAILED;
}

int TsmCliTakeConfirmation(CliTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) return IPC_STATUS_INVALID_PARAMETER;
  if (t->state != CLI_CONFIRMED && t->state != CLI_CANCEL_CONF) return IPC_STATUS_FAILED;
  ApplyLocked(t, CLI_EV_TAKE);
  return IPC_STATUS_OK;
}

int TsmCliWait(CliTsm* tsm, int32_t timeoutMs) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) return IPC_STATUS_INVALID_PARAMETER;
  // Woken by the confirmation, by a lost link or by a cancel that ended it.
  auto done = [t] {
    return t->state != CLI_AWAIT_CONF && t->state != CLI_CANCEL_SENT && t->state != CLI_REQ_SENT;
  };
  if (timeoutMs < 0)
    t->wake.Wait(lock, done);
  else if (!t->wake.WaitFor(lock, std::chrono::milliseconds(timeoutMs), done))
    return IPC_STATUS_WAIT_TIMEOUT;
  if (t->state != CLI_CONFIRMED && t->state != CLI_CANCEL_CONF) return IPC_STATUS_FAILED;
  ApplyLocked(t, CLI_EV_TAKE);
  return IPC_STATUS_OK;
}

int TsmlAsyncWait(CliTsm** out, int32_t timeoutMs) {
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  if (!g_tsml.asyncSem.Wait(timeoutMs)) return IPC_STATUS_WAIT_TIMEOUT;
  std::unique_lock<std::mutex> lock(g_tsml.cliPoolLock);
  CliTsm* t = QueuePop(g_tsml.asyncQueue, &CliTsm::next);
  if (!t) {
    // Closing posts once per waiter: pass it on so every waiter wakes.
    if (g_tsml.closing) g_tsml.asyncSem.Post();
    return IPC_STATUS_CLOSING;
  }
  *out = t;
  if (t->state != CLI_CONFIRMED && t->state != CLI_CANCEL_CONF) return IPC_STATUS_FAILED;
  ApplyLocked(t, CLI_EV_TAKE);
  return IPC_STATUS_OK;
}

bool TsmCliInfoGet(CliTsm* tsm, TsmCliInfo* info) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t || !info) return false;
  FillInfoLocked(t, info);
  return true;
}

bool TsmCliBufTake(CliTsm* tsm, PduDesc* out) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t || !out) return false;
  *out = t->data;
  PduDescClear(&t->data);
  return true;
}

int32_t TsmCliUserWordSwap(CliTsm* tsm, int32_t expected, int32_t value) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) return TSM_NOT_IN_USE;
  int32_t was = t->userWord;
  if (was == expected) t->userWord = value;
  return was;
}

bool TsmCliRelease(CliTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) return false;
  t->userWord = 0;
  if (!ApplyLocked(t, CLI_EV_RELEASE)) return false;
  // A parked slot is no longer the caller's to use.
  if (t->state == CLI_ABANDONED) std::memcpy(t->tag, "CLIP", 5);
  // A sender that has its acknowledgement but has not yet left the send
  // (the confirmation may overtake its wake-up) keeps a freed slot off the
  // free list: it is only moments away, so wait for it. The slot is then
  // free when this returns, and a completion's callback may start the next
  // request in it.
  if (t->state == CLI_FREE) t->wake.Wait(lock, [t] { return !t->sending || t->ackPending; });
  return true;
}

bool TsmCliReleaseUnconfirmed(CliTsm* tsm) {
  std::unique_lock<std::mutex> lock;
  CliTsm* t = TsmCliLock(tsm, lock);
  if (!t) return false;
  return ApplyLocked(t, CLI_EV_RELEASE_UNCONFIRMED);
}

bool CliOnAck(IpcMsg* m) {
  std::span<const uint8_t> h = IpcMsgData(m);
  const uint16_t kind = IpcGet16(h, IPC_OFF_KIND);
  const uint16_t status = IpcGet16(h, IPC_OFF_STATUS);
  std::unique_lock<std::mutex> lock;
  CliTsm* t = FindForMessage(h, lock);
  if (!t) return false;
  const bool ok = status == IPC_DAEMON_OK;
  CliEvent ev = kind == IPC_KIND_CONF_REQUEST
                    ? (ok ? CLI_EV_REQUEST_ACK_OK : CLI_EV_REQUEST_ACK_FAIL)
                : kind == IPC_KIND_CANCEL ? (ok ? CLI_EV_CANCEL_ACK_OK : CLI_EV_CANCEL_ACK_FAIL)
                                          : CLI_EV_UNCONFIRMED_ACK;
  if (!t->ackPending || !ApplyLocked(t, ev)) {
    LogBadState("ReqACK", t->state);
    return false;
  }
  t->sendResult = uint32_t(IpcDaemonStatusMap(status));
  t->ackPending = 0;
  const bool wake = !AckLeavesSenderWaiting(t);
  lock.unlock();
  // Woken after the lock is left, so that the sender does not wake only to
  // block on the lock this thread still holds: the reader serves every
  // caller of the process, and each wake-up made under the lock costs it a
  // second one. The slot outlives the reader, and a waiter that sees the
  // wake-up late only checks its state again.
  if (wake) t->wake.NotifyAll();
  IpcMsgFree(m);
  return true;
}

bool CliOnConfirmation(IpcMsg* m) {
  std::span<const uint8_t> h = IpcMsgData(m);
  std::unique_lock<std::mutex> lock;
  CliTsm* t = FindForMessage(h, lock);
  if (!t) return false;
  uint32_t before = t->state;
  if (before == CLI_ABANDONED) {
    ApplyLocked(t, CLI_EV_CONFIRMATION);
    lock.unlock();
    IpcMsgFree(m);
    return true;
  }
  if (!ApplyLocked(t, CLI_EV_CONFIRMATION)) {
    LogBadState("Request", before);
    return false;
  }
  t->outcome = IpcOutcomeMap(IpcGet16(h, IPC_OFF_OUTCOME));
  t->priority = IpcGet8(h, IPC_OFF_CONF_PRIORITY) & 3;
  PduDescFree(&t->data);
  PduDescFromMsg(&t->data, m);
  // A sender waiting in its send is woken through the wake chain, once the
  // other frames of the same read are handled.
  if (t->async == 0 && t->sending && t->sendWaitsConf) {
    ChainLocked(t);
    return true;
  }
  DeliverLocked(t, &lock);
  return true;
}

void CliWakeChained() {
  CliTsm* first = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_tsml.cliPoolLock);
    if (UnchainLocked(&first, 1) == 0) return;
  }
  first->wake.NotifyAll();
}

// Link loss for client TSMs: every waiter of every state returns, with the
// link's status as the send result or as the confirmation's outcome.
void TsmlCliFailAllLocked() {
  // Every sender is woken here, those on the wake chain too.
  for (CliTsm* t = nullptr; UnchainLocked(&t, 1) != 0;) {
  }
  for (uint32_t i = 0; i < g_tsml.cliPoolSize; ++i) {
    CliTsm* t = &g_tsml.cliPool[i];
    uint32_t before = t->state;
    TsmStep s = CliTransition(before, CLI_EV_LINK_LOST);
    if (s.action == TsmAction::Free)
      CliFreeLocked(t);
    else
      t->state = s.next;
    t->ackPending = 0;
    if ((before == CLI_AWAIT_CONF || before == CLI_CANCEL_SENT) && t->state == CLI_CONFIRMED) {
      t->outcome = IPC_STATUS_NO_LINK;
      DeliverLocked(t);
    } else {
      t->wake.NotifyAll();
    }
  }
  g_tsml.cliClosed = true;
}

int TsmlEncodeAndSend(const TsmlServiceDescriptor* row, const void* request, CliTsm* tsm,
                      const TsmCliInfo* info, TsmlSendWait wait) {
  PduDesc d{};
  if (row->size) {
    uint32_t size = row->size(request);
    if (info && size > info->maxPayload) size = info->maxPayload;
    if (!PduDescAlloc(size, &d)) return IPC_STATUS_NO_MEMORY;
    TsmlStream s{d.data, d.data + size};
    int status = row->encode(request, &s);
    if (status != IPC_STATUS_OK) {
      PduDescFree(&d);
      if (status != ASN_NO_ROOM) return status;
      return info && info->segmented ? IPC_STATUS_REQUEST_TOO_LONG
                                     : IPC_STATUS_SEGMENTATION_NOT_SUPPORTED;
    }
    d.length = uint32_t(s.cursor - d.data);
  } else if (!PduDescAlloc(0, &d)) {
    return IPC_STATUS_NO_MEMORY;
  }
  return TsmlSend(tsm, IPC_KIND_CONF_REQUEST, &d, wait);
}

namespace {

// The answer's syntax is checked before anyone decodes it: a ComplexACK by
// its service's schema, an Error PDU by its form.
int CheckAnswer(CliTsm* t) {
  TsmCliInfo info{};
  if (!TsmCliInfoGet(t, &info)) return IPC_STATUS_INVALID_PARAMETER;
  int outcome = int(info.outcome);
  if (outcome == IPC_STATUS_OK) {
    if (uint32_t s = AsnCheckComplexAck(info.service, info.data, info.length)) outcome = int(s);
  } else if (outcome == IPC_STATUS_BACNET_ERROR &&
             !AsnCheckErrorPdu(info.service, info.data, info.length)) {
    outcome = IPC_STATUS_INVALID_PACKET;
  }
  return outcome;
}

// Allocates a confirmed TSM with the interface's user word for a
// synchronous or asynchronous request and sends the encoded request. A
// request that does not go out gets the user word kWordDone and its TSM back.
// The TSM is handed out before the send: an asynchronous request may
// complete on another thread before the send returns, and its caller may
// look for its handle there.
int StartRequest(const TsmCliRequest& rq, const TsmlServiceDescriptor* row, const void* request,
                 bool async, CliTsm** out) {
  const int32_t word = async ? kWordAsync : kWordSync;
  CliTsm* t = nullptr;
  TsmCliInfo info{};
  int status = TsmCliAllocConfirmed(rq, async, word, &t, &info);
  if (status != IPC_STATUS_OK) return status;
  *out = t;
  // A synchronous caller waits for the confirmation next, without limit.
  status = TsmlEncodeAndSend(row, request, t, &info,
                             async ? TsmlSendWait::Ack : TsmlSendWait::Confirmation);
  if (status != IPC_STATUS_OK) {
    *out = nullptr;
    TsmCliUserWordSwap(t, word, kWordDone);
    TsmCliRelease(t);
    return status;
  }
  return IPC_STATUS_OK;
}

}  // namespace

int TsmlRequestExecute(const LinkAddress* source, const LinkAddress* destination, uint32_t priority,
                       const TsmlServiceDescriptor* row, const void* request, PduDesc* out,
                       const CommParams* params, void* context) {
  CliTsm* t = nullptr;
  const TsmCliRequest rq{source, destination, priority, uint8_t(row->service), params, context};
  int status = StartRequest(rq, row, request, false, &t);
  if (status != IPC_STATUS_OK) return status;
  status = TsmCliWait(t, -1);
  if (status != IPC_STATUS_OK) {
    TsmCliRelease(t);
    return status;
  }
  if (!g_tsml.started) {
    TsmCliRelease(t);
    return IPC_STATUS_NOT_STARTED;
  }
  int outcome = CheckAnswer(t);
  if (out) TsmCliBufTake(t, out);
  TsmCliRelease(t);
  return outcome;
}

int TsmlRequestExecuteAsync(const LinkAddress* source, const LinkAddress* destination,
                            uint32_t priority, const TsmlServiceDescriptor* row,
                            const void* request, const CommParams* params, void* context,
                            CliTsm** out) {
  const TsmCliRequest rq{source, destination, priority, uint8_t(row->service), params, context};
  return StartRequest(rq, row, request, true, out);
}

void TsmlHookAsync(int status, CliTsm* tsm) {
  if (status != IPC_STATUS_OK && status != IPC_STATUS_NO_MEMORY &&
      status != IPC_STATUS_RESPONSE_TOO_LONG)
    return;
  if (TsmCliUserWordSwap(tsm, kWordAsync, kWordCompleting) != kWordAsync) return;
  TsmCliInfo info{};
  if (!TsmCliInfoGet(tsm, &info)) return;
  int outcome = status == IPC_STATUS_OK ? CheckAnswer(tsm) : status;
  auto* context = static_cast<TsmlRequestContext*>(info.context);
  if (context && context->completion) context->completion(tsm, outcome, &info);
  // A completion may have released the TSM itself, and the slot may then
  // be another request's already: only a TSM still completing is ours.
  if (TsmCliUserWordSwap(tsm, kWordCompleting, kWordDone) == kWordCompleting) TsmCliRelease(tsm);
}

int TsmlUnconfirmedSend(const LinkAddress* source, const LinkAddress* destination,
                        uint32_t priority, TsmlEncodeFn encode, uint8_t service,
                        const void* request, const CommParams* params) {
  CliTsm* t = nullptr;
  TsmCliUnconfInfo info{};
  const TsmCliRequest rq{source, destination, priority, service, params, nullptr};
  int status = TsmCliAllocUnconfirmed(rq, &t, &info);
  if (status != IPC_STATUS_OK) return status;
  PduDesc d{};
  if (!PduDescAlloc(info.maxPayload, &d)) {
    TsmCliReleaseUnconfirmed(t);
    return IPC_STATUS_NO_MEMORY;
  }
  TsmlStream s{d.data, d.data + info.maxPayload};
  status = encode ? encode(request, &s) : int(IPC_STATUS_OK);
  if (status == IPC_STATUS_OK) {
    d.length = uint32_t(s.cursor - d.data);
    status = TsmlSend(t, IPC_KIND_UNCONF_REQUEST, &d);
  } else if (status == ASN_NO_ROOM) {
    status = IPC_STATUS_REQUEST_TOO_LONG;
  }
  PduDescFree(&d);
  TsmCliReleaseUnconfirmed(t);
  return status;
}
