#include "runtime/ipc/ipc_msg.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "runtime/osa/osa.h"

namespace {

// A block: a link to the next block, then 16 messages of 232-byte areas.
struct IpcMsgBlock {
  IpcMsgBlock* link;
};

constexpr size_t kSlotSize = sizeof(IpcMsg) + IPC_POOL_MSG_AREA;
constexpr size_t kBlockSize = sizeof(IpcMsgBlock) + IPC_POOL_BLOCK_MSGS * kSlotSize;
static_assert(sizeof(IpcMsgBlock) % alignof(IpcMsg) == 0 && kSlotSize % alignof(IpcMsg) == 0);

// The pool. Its lock is a plain constant-initialised mutex so that it lives
// as long as the process: messages may come back after the last user left.
struct Pool {
  std::mutex lock;
  IpcMsg* freeList = nullptr;
  IpcMsgBlock* blocks = nullptr;
  uint32_t users = 0;
  uint32_t blockCount = 0;
  uint32_t freeCount = 0;
  uint32_t held = 0;
  // The blocks live in the private heap, which goes with the last
  // operating-system-layer reference: the pool keeps one while it has any.
  bool osaHeld = false;
};

Pool g_pool;

uint8_t* AreaOf(IpcMsg* msg) { return reinterpret_cast<uint8_t*>(msg) + sizeof(IpcMsg); }

// A new message starts with a zero header and payload length, so that a
// field its builder leaves alone goes out as 0, never as stale bytes.
void InitMsg(IpcMsg* msg, uint32_t capacity) {
  msg->next = nullptr;
  msg->capacity = capacity;
  IpcMsgSetFrameLength(msg, 0);
  std::memset(AreaOf(msg), 0, IPC_PAYLOAD_OFFSET);
}

// Under the pool lock.
bool Grow() {
  auto* raw = static_cast<uint8_t*>(OsaMemAlloc(kBlockSize));
  if (raw == nullptr) return false;
  auto* block = reinterpret_cast<IpcMsgBlock*>(raw);
  block->link = g_pool.blocks;
  g_pool.blocks = block;
  ++g_pool.blockCount;
  for (uint32_t i = IPC_POOL_BLOCK_MSGS; i-- > 0;) {
    auto* msg = reinterpret_cast<IpcMsg*>(raw + sizeof(IpcMsgBlock) + i * kSlotSize);
    InitMsg(msg, IPC_POOL_MSG_AREA);
    msg->next = g_pool.freeList;
    g_pool.freeList = msg;
  }
  g_pool.freeCount += IPC_POOL_BLOCK_MSGS;
  return true;
}

// Under the pool lock. True when the caller must drop the pool's reference
// of the operating-system layer (after leaving the lock).
bool TearDownIfIdle() {
  if (g_pool.users != 0 || g_pool.held != 0 || !g_pool.osaHeld) return false;
  while (g_pool.blocks != nullptr) {
    IpcMsgBlock* next = g_pool.blocks->link;
    OsaMemFree(g_pool.blocks);
    g_pool.blocks = next;
  }
  g_pool.freeList = nullptr;
  g_pool.blockCount = 0;
  g_pool.freeCount = 0;
  g_pool.osaHeld = false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------- pool

bool IpcMsgPoolAcquire() {
  {
    std::lock_guard guard(g_pool.lock);
    // Counted first: a user keeps the blocks from being torn down.
    ++g_pool.users;
    if (g_pool.osaHeld) return true;
  }
  if (OsaInit() == nullptr) {
    std::lock_guard guard(g_pool.lock);
    --g_pool.users;
    return false;
  }
  bool ok = true;
  bool extraRef = false;
  {
    std::lock_guard guard(g_pool.lock);
    if (g_pool.osaHeld) {
      extraRef = true;
    } else if (Grow()) {
      g_pool.osaHeld = true;
    } else {
      --g_pool.users;
      extraRef = true;
      ok = false;
    }
  }
  if (extraRef) OsaTerm();
  return ok;
}

void IpcMsgPoolRelease() {
  bool term;
  {
    std::lock_guard guard(g_pool.lock);
    if (g_pool.users == 0) return;
    --g_pool.users;
    term = TearDownIfIdle();
  }
  if (term) OsaTerm();
}

IpcMsg* IpcMsgPoolGet() {
  std::lock_guard guard(g_pool.lock);
  if (g_pool.freeList == nullptr && (!g_pool.osaHeld || !Grow())) return nullptr;
  IpcMsg* msg = g_pool.freeList;
  g_pool.freeList = msg->next;
  --g_pool.freeCount;
  ++g_pool.held;
  InitMsg(msg, IPC_POOL_MSG_AREA);
  return msg;
}

IpcMsg* IpcMsgAllocLarge(uint32_t n) {
  if (n <= IPC_POOL_MSG_AREA) return IpcMsgPoolGet();
  void* raw = OsaMemAlloc(sizeof(IpcMsg) + static_cast<size_t>(n));
  if (raw == nullptr) return nullptr;
  auto* msg = static_cast<IpcMsg*>(raw);
  InitMsg(msg, n);
  return msg;
}

IpcMsg* IpcMsgAlloc(uint32_t payloadSize) {
  if (payloadSize > IPC_MSG_PAYLOAD_LIMIT) return nullptr;
  return IpcMsgAllocLarge(payloadSize + IPC_PAYLOAD_OFFSET);
}

IpcMsg* IpcMsgAllocFrame(uint32_t frameSize) { return IpcMsgAllocLarge(frameSize); }

void IpcMsgFree(IpcMsg* msg) {
  if (msg == nullptr) return;
  if (msg->capacity != IPC_POOL_MSG_AREA) {
    OsaMemFree(msg);
    return;
  }
  bool term;
  {
    std::lock_guard guard(g_pool.lock);
    msg->next = g_pool.freeList;
    g_pool.freeList = msg;
    ++g_pool.freeCount;
    --g_pool.held;
    term = TearDownIfIdle();
  }
  if (term) OsaTerm();
}

void IpcMsgFreeChain(IpcMsg* msg) {
  while (msg != nullptr) {
    IpcMsg* next = msg->next;
    IpcMsgFree(msg);
    msg = next;
  }
}

IpcMsgPoolStats IpcMsgPoolGetStats() {
  std::lock_guard guard(g_pool.lock);
  return {g_pool.users, g_pool.blockCount, g_pool.freeCount, g_pool.held};
}

// ---------------------------------------------------------------- accessors

std::span<uint8_t> IpcMsgArea(IpcMsg* msg) {
  if (msg == nullptr) return {};
  return {AreaOf(msg), msg->capacity};
}

std::span<uint8_t> IpcMsgData(IpcMsg* msg) {
  if (msg == nullptr) return {};
  return {AreaOf(msg), std::min(IpcMsgGetFrameLength(msg), msg->capacity)};
}

uint8_t* IpcMsgFrame(IpcMsg* msg) { return msg == nullptr ? nullptr : msg->frameLength; }

uint32_t IpcMsgGetFrameLength(const IpcMsg* msg) {
  return msg == nullptr ? 0 : IpcGet32(msg->frameLength, 0);
}

void IpcMsgSetFrameLength(IpcMsg* msg, uint32_t length) {
  if (msg != nullptr) IpcPut32(msg->frameLength, 0, length);
}

uint8_t* IpcMsgGetHeader(IpcMsg* msg) { return msg == nullptr ? nullptr : AreaOf(msg); }

uint8_t* IpcMsgGetLength(IpcMsg* msg) {
  return msg == nullptr ? nullptr : AreaOf(msg) + IPC_OFF_PAYLOAD_LEN;
}

uint8_t* IpcMsgGetPayload(IpcMsg* msg) {
  return msg == nullptr ? nullptr : AreaOf(msg) + IPC_OFF_PAYLOAD;
}

uint32_t IpcMsgGetCapacity(const IpcMsg* msg) {
  return msg == nullptr ? 0 : msg->capacity - IPC_PAYLOAD_OFFSET;
}

IpcMsg* IpcMsgGetNext(const IpcMsg* msg) { return msg == nullptr ? nullptr : msg->next; }

void IpcMsgSetNext(IpcMsg* msg, IpcMsg* next) {
  if (msg != nullptr) msg->next = next;
}

uint16_t IpcMsgGetKind(IpcMsg* msg) { return IpcGet16(IpcMsgArea(msg), IPC_OFF_KIND); }

void IpcMsgSetKind(IpcMsg* msg, uint16_t kind) { IpcPut16(IpcMsgArea(msg), IPC_OFF_KIND, kind); }

uint16_t IpcMsgGetStatus(IpcMsg* msg) { return IpcGet16(IpcMsgArea(msg), IPC_OFF_STATUS); }

uint32_t IpcMsgGetPayloadLength(IpcMsg* msg) {
  return IpcGet32(IpcMsgArea(msg), IPC_OFF_PAYLOAD_LEN);
}

void IpcMsgSetPayloadLength(IpcMsg* msg, uint32_t length) {
  IpcPut32(IpcMsgArea(msg), IPC_OFF_PAYLOAD_LEN, length);
}

uint32_t IpcFrameLength(IpcMsg* msg) {
  uint32_t length = IpcFrameNormalise(IpcMsgArea(msg));
  IpcMsgSetFrameLength(msg, length);
  return length;
}

bool IpcFrameCheck(IpcMsg* msg) {
  if (msg == nullptr) return false;
  uint32_t length = IpcMsgGetFrameLength(msg);
  if (length > msg->capacity) {
    OsaLog(OSA_LOG_ERROR, "%s", IPC_TEXT_BAD_LENGTH);
    return false;
  }
  std::span<uint8_t> m = IpcMsgData(msg);
  switch (IpcFrameVerify(m)) {
    case IpcCheck::Ok:
      return true;
    case IpcCheck::OldRuntime:
      OsaLog(OSA_LOG_ERROR, IPC_TEXT_VERSIONS, IPC_LIBRARY_VERSION[0], IPC_LIBRARY_VERSION[1],
             m[IPC_OFF_REPLY_MAJOR], m[IPC_OFF_REPLY_MINOR]);
      return true;
    case IpcCheck::BadLength:
      OsaLog(OSA_LOG_ERROR, "%s", IPC_TEXT_BAD_LENGTH);
      return false;
    case IpcCheck::MacTooLong:
      OsaLog(OSA_LOG_ERROR, "%s", IPC_TEXT_MAC_TOO_LONG);
      return false;
    case IpcCheck::BadKind:
      OsaLog(OSA_LOG_ERROR, IPC_TEXT_BAD_KIND, IpcGet16(m, IPC_OFF_KIND));
      return false;
  }
  return false;
}

// ---------------------------------------------------------------- descriptors

bool PduDescAlloc(uint32_t size, PduDesc* desc) {
  if (desc == nullptr) return false;
  IpcMsg* msg = IpcMsgAlloc(size);
  if (msg == nullptr) return false;
  *desc = {msg, IpcMsgGetPayload(msg), 0, size};
  return true;
}

bool PduDescGrow(uint32_t size, PduDesc* desc) {
  if (desc == nullptr) return false;
  if (desc->msg != nullptr && IpcMsgGetCapacity(desc->msg) >= size) {
    desc->capacity = size;
    return true;
  }
  IpcMsg* msg = IpcMsgAlloc(size);
  if (msg == nullptr) return false;
  if (desc->msg != nullptr) {
    uint32_t keep = std::min(desc->length, IpcMsgGetCapacity(desc->msg));
    std::memcpy(IpcMsgGetHeader(msg), IpcMsgGetHeader(desc->msg), IPC_PAYLOAD_OFFSET + keep);
    IpcMsgFree(desc->msg);
  }
  desc->msg = msg;
  desc->data = IpcMsgGetPayload(msg);
  desc->capacity = size;
  return true;
}

void PduDescFromMsg(PduDesc* desc, IpcMsg* msg) {
  if (desc == nullptr) return;
  *desc = {msg, IpcMsgGetPayload(msg), IpcMsgGetPayloadLength(msg), IpcMsgGetCapacity(msg)};
}

void PduDescClear(PduDesc* desc) {
  if (desc != nullptr) *desc = PduDesc{};
}

void PduDescFree(PduDesc* desc) {
  if (desc == nullptr || desc->msg == nullptr) return;
  IpcMsgFree(desc->msg);
  PduDescClear(desc);
}
