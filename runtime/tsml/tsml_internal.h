// The one-per-process state of the transaction layer, shared by its sources.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/osa/osa.h"
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
  std::condition_variable wake;
  void* context;
  uint8_t async;
  uint8_t sending;
  uint8_t ackPending;  // a send of this TSM awaits its acknowledgement
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
  CliTsm* cliPool = nullptr;
  uint32_t cliPoolSize = 0;
  CliTsm* cliFree = nullptr;
  SrvTsm* srvPool = nullptr;
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
  uint32_t* pids = nullptr;
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

extern TsmlState g_tsml;

// --- message field access (little-endian, offsets from the kind word) ------

// Field access through the frame codec; p points at a message's kind word
// and every field lies within its 64-byte header.
inline uint8_t* MsgBytes(IpcMsg* m) { return IpcMsgGetHeader(m); }
inline uint16_t Rd16(const uint8_t* p, size_t off) { return IpcGet16({p, IPC_HEADER_SIZE}, off); }
inline uint32_t Rd32(const uint8_t* p, size_t off) { return IpcGet32({p, IPC_HEADER_SIZE}, off); }
inline void Wr16(uint8_t* p, size_t off, uint16_t v) { IpcPut16({p, IPC_HEADER_SIZE}, off, v); }
inline void Wr32(uint8_t* p, size_t off, uint32_t v) { IpcPut32({p, IPC_HEADER_SIZE}, off, v); }
inline void AddrRead(const uint8_t* p, size_t off, LinkAddress* a) {
  LinkAddressRead({p, IPC_HEADER_SIZE}, off, a);
}
inline void AddrWrite(uint8_t* p, size_t off, const LinkAddress& a) {
  LinkAddressWrite({p, IPC_HEADER_SIZE}, off, a);
}

// --- shared internals -------------------------------------------------------

// The pointer check of a TSM handed in from another layer: a slot boundary
// inside its pool and the in-use tag. On success `lock` holds the pool lock.
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
T* TsmFindForMessage(const uint8_t* h, T* pool, uint32_t count, const std::atomic<bool>& closed,
                     std::mutex& poolLock, std::unique_lock<std::mutex>& lock) {
  uint32_t index = Rd32(h, IPC_OFF_TSM_INDEX);
  if (index >= count) {
    OsaLog(1, "TSML(High): PipeRead: TSM index = %lu out of range, userID=%u",
           static_cast<unsigned long>(index), g_tsml.userId.load());
    return nullptr;
  }
  lock = std::unique_lock<std::mutex>(poolLock);
  if (closed) return nullptr;
  T* t = &pool[index];
  if (t->identifier != Rd32(h, IPC_OFF_TSM_ID)) {
    OsaLog(1, "TSML(High): Unexpected TSM identifier = %lu",
           static_cast<unsigned long>(Rd32(h, IPC_OFF_TSM_ID)));
    return nullptr;
  }
  return t;
}

// The locked forms of the pointer checks: on success `lock` holds the pool lock.
inline CliTsm* CliLocked(CliTsm* tsm, std::unique_lock<std::mutex>& lock) {
  return TsmSlotLocked(tsm, g_tsml.cliPool, g_tsml.cliPoolSize, "CLIA", g_tsml.cliPoolLock, lock);
}
inline SrvTsm* SrvLocked(SrvTsm* tsm, std::unique_lock<std::mutex>& lock) {
  return TsmSlotLocked(tsm, g_tsml.srvPool, g_tsml.srvPoolSize, "SRVA", g_tsml.srvPoolLock, lock);
}

// Free a client TSM (client-pool lock held); it goes on the free list unless
// its sender is still inside its send.
void CliFreeLocked(CliTsm* tsm);
void SrvFreeLocked(SrvTsm* tsm);

bool CliOnAck(IpcMsg* m);           // 0x0C00, 0x0D00, 0x0D01
bool CliOnConfirmation(IpcMsg* m);  // 0x0400
bool SrvOnMessage(IpcMsg* m);       // 0x0600, 0x0700, 0x0701, 0x0E00, 0x0E02..05
void TsmlLinkLost();                // once only
void TsmlFailAll();                 // the link-lost processing
void TsmlCliPoolRelease();
void TsmlSrvPoolRelease();
// What a send that PipeWrite did not write returns: a frame above the
// link's cap is too long (7), one its message cannot hold a bad argument
// (2); anything else is the link's (9).
inline int TsmlWriteStatus(IpcWriteError why) {
  return why == IpcWriteError::TooLong ? 7 : why == IpcWriteError::Unframed ? 2 : 9;
}
// Lets the link read what transactions accepting this many segments may
// bring back (the read cap only grows).
void TsmlLinkAdmit(uint32_t maxSegsAccepted);
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
