// The one-per-process state of the transaction layer, shared by its sources.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_condition.h"
#include "runtime/tsml/tsml.h"
#include "runtime/tsml/tsml_fsm.h"

// Counting semaphore for the delivery queues: one post per queued entry.
class TsmlSem {
 public:
  void Post() {
    {
      std::lock_guard<std::mutex> g(m_);
      ++count_;
    }
    cv_.notify_one();
  }
  // timeoutMs < 0 waits without limit; false on time-out.
  bool Wait(int32_t timeoutMs) {
    std::unique_lock<std::mutex> g(m_);
    auto ready = [this] { return count_ > 0; };
    if (timeoutMs < 0) {
      cv_.wait(g, ready);
    } else if (!cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), ready)) {
      return false;
    }
    --count_;
    return true;
  }
  void Reset() {
    std::lock_guard<std::mutex> g(m_);
    count_ = 0;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  uint32_t count_ = 0;
};

struct CliTsm {
  CliTsm* next;
  uint32_t priority;
  char tag[5];
  uint32_t index;
  uint32_t identifier;
  LinkAddress local;
  LinkAddress remote;
  uint8_t service;
  uint32_t apduLength;
  uint32_t segmentation;
  uint32_t maxSegsAccepted;
  uint8_t windowSize;
  uint32_t segTimeout;
  uint32_t maxSegsToSend;
  PduDesc data;
  int32_t userWord;
  uint32_t sendResult;
  uint32_t state;
  uint32_t apduTimeout;
  uint32_t retries;
  uint32_t outcome;
  // Wakes waiters on this TSM; they wait on its state under the client-pool
  // lock, so a wake-up is never lost, doubled or left for the next user.
  PlatCondition wake;
  void* context;
  uint8_t async;
  uint8_t sending;
  uint8_t ackPending;  // a send of this TSM awaits its acknowledgement
  // Its sender waits on through to the confirmation: an acknowledgement
  // that leaves it awaiting one does not wake the sender.
  uint8_t sendWaitsConf;
  // Confirmed, its sender still to be woken: on the wake chain (below).
  uint8_t chained;
  CliTsm* wakeNext;
};

struct SrvTsm {
  SrvTsm* next;
  uint32_t priority;
  char tag[5];
  uint32_t index;
  uint32_t identifier;
  LinkAddress local;
  LinkAddress remote;
  uint8_t service;
  uint32_t maxApdu;
  uint32_t segmentation;
  uint32_t maxSegsAccepted;
  uint32_t ownMaxSegs;
  void* decoded;
  PduDesc data;
  int32_t userWord;
  uint8_t flag;
  uint32_t state;
};

// Four priority levels, first in first out within a level, level 3 first.
template <typename T>
struct TsmlQueue {
  std::array<T*, 4> head{};
  std::array<T*, 4> tail{};
};

struct TsmlState {
  // Lock order. Take them only in these orders, never the reverse:
  //   daemonRequestLock -> cliPoolLock -> srvPoolLock
  //   cliPoolLock -> defaultsLock
  // controlLock (the pending control reply), handlerTableLock,
  // confParamLock, the message-pool lock and a transport's locks are taken
  // last and alone. No pool lock is held across PipeWrite or a wait for the
  // daemon, and defaultsLock is never held across a control exchange.
  std::mutex daemonRequestLock;  // one control exchange at a time
  std::mutex cliPoolLock;        // client TSMs, their free list, the async queue
  std::mutex srvPoolLock;        // server TSMs, server and unconfirmed queues
  std::mutex defaultsLock;       // transfer defaults, process-identifier list
  std::mutex handlerTableLock;
  std::mutex confParamLock;
  std::mutex controlLock;
  std::condition_variable controlReplied;

  // Pools.
  std::unique_ptr<CliTsm[]> cliPool;
  uint32_t cliPoolSize = 0;
  CliTsm* cliFree = nullptr;
  // Confirmed TSMs whose senders wait in their sends, in the order
  // confirmed, under cliPoolLock. The reader wakes the first once the
  // frames it has read are all handled, and that sender wakes the others:
  // the reader, through which every answer goes, pays for one wake-up of
  // another core per read instead of one per answer.
  CliTsm* wakeFirst = nullptr;
  CliTsm* wakeLast = nullptr;
  std::unique_ptr<SrvTsm[]> srvPool;
  uint32_t srvPoolSize = 0;
  void* confParamPool = nullptr;

  // Queues and their worker semaphores.
  TsmlQueue<SrvTsm> srvQueue;
  TsmlQueue<SrvTsm> srvMultiQueue;
  TsmlQueue<IpcMsg> unconfQueue;
  TsmlQueue<CliTsm> asyncQueue;
  TsmlSem srvSem, srvMultiSem, unconfSem, asyncSem;
  std::atomic<uint32_t> activeSrv{0};

  // Control exchange (under controlLock).
  uint16_t pendingKind = 0;
  uint32_t expectedIndex = 0;
  uint32_t expectedId = 0;
  IpcMsg* pendingReply = nullptr;

  // Link.
  std::atomic<IpcConnection*> connection{nullptr};
  TsmlParams params{};
  // The largest payload the link sends (its write cap less the header).
  std::atomic<uint32_t> sendPayloadCap{IPC_MAX_PAYLOAD};

  // Registration.
  std::atomic<uint32_t> userId{0};
  uint32_t runtimeMaxApdu = 0;
  uint8_t runtimeVersion[3] = {};
  LinkAddress local{};

  // Transfer defaults (under defaultsLock).
  uint32_t apduLength = 0;
  uint32_t apduTimeout = 0;
  uint32_t retries = 0;
  uint32_t segmentation = 0;
  uint32_t maxSegsAccepted = 0;
  uint32_t maxSegsToSend = 0;
  uint32_t windowSize = 0;
  uint32_t segTimeout = 0;

  // Process identifiers (under defaultsLock).
  std::unique_ptr<uint32_t[]> pids;
  uint32_t pidCount = 0;
  uint32_t pidCapacity = 0;

  // Flags.
  std::atomic<bool> open{false};
  std::atomic<bool> started{false};
  std::atomic<bool> acceptAllPids{false};
  std::atomic<bool> closing{false};
  std::atomic<bool> linkLost{false};
  std::atomic<bool> cliClosed{false};  // under cliPoolLock for writers
  std::atomic<bool> srvClosed{false};  // under srvPoolLock for writers
  std::atomic<bool> markedClosed{false};
};

// Built once and never torn down: a program may end (exit(), a return from
// main) while the library runs, and its delivery threads, its reader and the
// calls in flight still wait on these semaphores and read these pools then.
extern TsmlState& g_tsml;

// --- shared internals -------------------------------------------------------

// Every message field is read and written through the frame codec
// (ipc_frame.h), which holds the layout: a received message as the bytes its
// frame carries (IpcMsgData: a field beyond them reads as 0), one being
// built as its whole area (IpcMsgArea).

// The pointer check behind TsmCliLock and TsmSrvLock: a slot boundary inside
// its pool and the in-use tag. On success `lock` holds the pool lock.
template <typename T>
T* TsmSlotLocked(T* tsm, T* pool, uint32_t count, const char (&tag)[5], std::mutex& poolLock,
                 std::unique_lock<std::mutex>& lock) {
  lock = std::unique_lock<std::mutex>(poolLock);
  auto a = reinterpret_cast<uintptr_t>(tsm);
  auto b = reinterpret_cast<uintptr_t>(pool);
  bool slot = pool && a >= b && a < b + size_t(count) * sizeof(T) && (a - b) % sizeof(T) == 0;
  if (!slot || std::memcmp(tsm->tag, tag, sizeof tag) != 0) {
    lock.unlock();
    return nullptr;
  }
  return tsm;
}

// The TSM a daemon message names by its index and identifier. On success
// `lock` holds the pool lock; none (after a log line) for an index outside
// the pool or another identifier, and none when that side is closed.
template <typename T>
T* TsmFindForMessage(std::span<const uint8_t> m, T* pool, uint32_t count,
                     const std::atomic<bool>& closed, std::mutex& poolLock,
                     std::unique_lock<std::mutex>& lock) {
  const uint32_t index = IpcGet32(m, IPC_OFF_TSM_INDEX);
  const uint32_t id = IpcGet32(m, IPC_OFF_TSM_ID);
  if (index >= count) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): PipeRead: TSM index = %lu out of range, userID=%u",
           static_cast<unsigned long>(index), g_tsml.userId.load());
    return nullptr;
  }
  lock = std::unique_lock<std::mutex>(poolLock);
  if (closed) return nullptr;
  T* t = &pool[index];
  if (t->identifier != id) {
    OsaLog(OSA_LOG_ERROR, "TSML(High): Unexpected TSM identifier = %lu",
           static_cast<unsigned long>(id));
    return nullptr;
  }
  return t;
}

// Free a client TSM (client-pool lock held); it goes on the free list unless
// its sender is still inside its send.
void CliFreeLocked(CliTsm* tsm);
void SrvFreeLocked(SrvTsm* tsm);

bool CliOnAck(IpcMsg* m);           // cancel, confirmed and unconfirmed request
bool CliOnConfirmation(IpcMsg* m);  // confirmation
// Wakes the sender first on the wake chain; the reader calls it once no
// frame it has read is left to handle.
void CliWakeChained();
void TsmlLinkLost();  // once only
void TsmlFailAll();   // the link-lost processing
void TsmlCliPoolRelease();
void TsmlSrvPoolRelease();
// What a send that PipeWrite did not write returns: a frame above the
// link's cap is too long, one its message cannot hold a bad argument;
// anything else is the link's.
inline int TsmlWriteStatus(IpcWriteError why) {
  switch (why) {
    case IpcWriteError::TooLong:
      return IPC_STATUS_REQUEST_TOO_LONG;
    case IpcWriteError::Unframed:
      return IPC_STATUS_INVALID_PARAMETER;
    default:
      return IPC_STATUS_NO_LINK;
  }
}
// Lets the link read what transactions accepting this many segments may
// bring back (the read cap only grows).
void TsmlLinkAdmit(uint32_t maxSegsAccepted);
// Sends the fields of p that travel on the link (bits 0x01 to 0x40 of its
// mask) as the daemon's transfer defaults.
int TsmlTransferParamsSend(const CommParams& p);
// Writes a control message and waits for its reply. `reply` gets the message.
int TsmlControlRoundTrip(IpcMsg* m, uint16_t kind, uint32_t index, uint32_t id,
                         bool evenWhenClosing, IpcMsg** reply);

template <typename T>
void QueuePush(TsmlQueue<T>& q, T* e, uint32_t priority, T* T::*next) {
  uint32_t p = priority & 3;
  e->*next = nullptr;
  if (q.tail[p])
    q.tail[p]->*next = e;
  else
    q.head[p] = e;
  q.tail[p] = e;
}
template <typename T>
T* QueuePop(TsmlQueue<T>& q, T* T::*next) {
  for (int p = 3; p >= 0; --p) {
    T* e = q.head[p];
    if (!e) continue;
    q.head[p] = e->*next;
    if (!q.head[p]) q.tail[p] = nullptr;
    e->*next = nullptr;
    return e;
  }
  return nullptr;
}
