#include "runtime/ipc/ipc_link.h"

#include <new>

#include "runtime/platform/plat_thread.h"

namespace {

constexpr char kReaderName[] = "IPC reader";

std::atomic<uint32_t> g_closeWait{IPC_CLOSE_WAIT_MS};

void DropPoolUser(PlatLock* osaLock) {
  PlatLockGuard guard(osaLock);
  IpcMsgPoolRelease();
}

void FreeConnection(IpcConnection* c) {
  IpcMsgFree(c->spareDisconnect.exchange(nullptr));
  c->~IpcConnection();
  OsaMemFree(c);
}

// A lost link is news only to an owner that has not begun to close it.
void ReportLost(IpcConnection* c) {
  if (!c->disconnectSent.load()) c->handler(c, nullptr);
}

}  // namespace

uint32_t IpcSetCloseWait(uint32_t ms) { return g_closeWait.exchange(ms); }

void IpcConnectionSetFrameCaps(IpcConnection* c, uint32_t readCap, uint32_t writeCap) {
  if (c == nullptr) return;
  c->readCap.store(readCap);
  c->writeCap.store(writeCap);
}

void IpcConnectionRaiseReadCap(IpcConnection* c, uint32_t readCap) {
  if (c == nullptr) return;
  uint32_t was = c->readCap.load();
  while (was < readCap && !c->readCap.compare_exchange_weak(was, readCap)) {
  }
}

uint32_t IpcConnectionGetUser(const IpcConnection* c) { return c == nullptr ? 0 : c->user.load(); }

void IpcConnectionSetUser(IpcConnection* c, uint32_t user) {
  if (c != nullptr) c->user.store(user);
}

bool IpcConnectionFrameFollows(IpcConnection* c) {
  IpcTransport* t = c != nullptr ? c->transport.load() : nullptr;
  if (t == nullptr) return false;
  PlatLockGuard guard(&t->readLock);
  return IpcCarryHoldsFrame(t->carry, c->readCap.load());
}

void IpcReaderThread(void* arg) {
  auto* c = static_cast<IpcConnection*>(arg);
  for (;;) {
    IpcTransport* t = c->transport.load();
    if (t == nullptr) return;
    IpcReadError error;
    IpcMsg* msg = IpcReadFrameLocked(t, &error, &c->readCap);
    if (msg == nullptr) {
      if (error == IpcReadError::InvalidData) OsaLog(OSA_LOG_ERROR, "%s", IPC_TEXT_BAD_LENGTH);
      ReportLost(c);
      return;
    }
    if (IpcMsgGetFrameLength(msg) == 0) {
      IpcMsgFree(msg);
      // The answer to our disconnect ends the reader quietly; an
      // unasked one means the daemon is going away.
      if (!c->disconnectSent.load()) OsaLog(OSA_LOG_ERROR, "IPC: the daemon closed the link");
      ReportLost(c);
      return;
    }
    if (!IpcFrameCheck(msg)) {
      IpcMsgFree(msg);
      ReportLost(c);
      return;
    }
    c->handler(c, msg);
  }
}

IpcConnection* VelmoraIpcConnect(const char* name, IpcHandler handler) {
  PlatLock* osaLock = OsaInit();
  if (osaLock == nullptr) return nullptr;
  bool pooled;
  {
    PlatLockGuard guard(osaLock);
    pooled = IpcMsgPoolAcquire();
  }
  if (!pooled) {
    OsaTerm();
    return nullptr;
  }
  IpcConnection* c = nullptr;
  IpcMsg* spare = nullptr;
  IpcTransport* t = nullptr;
  if (void* raw = OsaMemAlloc(sizeof(IpcConnection)); raw != nullptr) {
    c = new (raw) IpcConnection{};
    IpcConnectionSetFrameCaps(c, IPC_MAX_FRAME, IPC_MAX_FRAME);
  }
  if (c != nullptr && handler != nullptr) spare = IpcMsgPoolGet();
  if (spare != nullptr) t = IpcTransportOpen(name);
  if (t != nullptr) {
    c->spareDisconnect.store(spare);
    c->handler = handler;
    c->transport.store(t);
    c->reader = OsaThreadCreate(IpcReaderThread, c);
    if (c->reader != nullptr) return c;
    // Leave the daemon as it expects: disconnect, take its answer.
    if (IpcSendDisconnect(c) && IpcTransportWaitReadable(t, g_closeWait.load()))
      IpcMsgFree(IpcReadFrameLocked(t, nullptr));
    IpcTransportClose(c->transport.exchange(nullptr));
    spare = nullptr;  // the connection holds it now
  }
  IpcMsgFree(spare);
  if (c != nullptr) FreeConnection(c);
  DropPoolUser(osaLock);
  OsaTerm();
  return nullptr;
}

bool IpcSendDisconnect(IpcConnection* c) {
  if (c == nullptr) return false;
  IpcMsg* msg = c->spareDisconnect.exchange(nullptr);
  IpcTransport* t = c->transport.load();
  if (msg == nullptr || t == nullptr) {
    IpcMsgFree(msg);
    return false;
  }
  c->disconnectSent.store(true);
  IpcMsgSetFrameLength(msg, 0);
  return IpcWriteFrame(t, msg);
}

bool PipeWrite(IpcConnection* c, IpcMsg* msg, IpcWriteError* why) {
  IpcWriteError error = IpcWriteError::None;
  IpcTransport* t = c != nullptr ? c->transport.load() : nullptr;
  uint32_t length = IpcFrameLength(msg);
  if (msg == nullptr || t == nullptr) {
    error = IpcWriteError::NoLink;
  } else if (length == 0) {
    error = IpcWriteError::Unframed;
    OsaLog(OSA_LOG_ERROR, "IPC: PipeWrite: cannot frame kind 0x%04X of %u payload bytes",
           IpcMsgGetKind(msg), IpcMsgGetPayloadLength(msg));
  } else if (length > c->writeCap.load()) {
    error = IpcWriteError::TooLong;
    OsaLog(OSA_LOG_ERROR, "IPC: PipeWrite: kind 0x%04X: a frame of %u bytes is above the cap of %u",
           IpcMsgGetKind(msg), length, c->writeCap.load());
  }
  if (error == IpcWriteError::None) {
    if (!IpcWriteFrame(t, msg)) error = IpcWriteError::Failed;
  } else {
    IpcMsgFree(msg);
  }
  if (why != nullptr) *why = error;
  return error == IpcWriteError::None;
}

void VelmoraIpcClose(IpcConnection* c) {
  // A reference of its own for the close (it needs the layer's lock), beside
  // the one the connection has held since VelmoraIpcConnect.
  PlatLock* osaLock = OsaInit();
  if (osaLock == nullptr) OsaAssertFail("VelmoraIpcClose", "OSA is not initialized");
  if (c == nullptr) {
    OsaTerm();
    return;
  }
  IpcTransport* t = c->transport.load();
  if (!IpcSendDisconnect(c)) {
    OsaLog(OSA_LOG_ERROR, "IPC: IpcDisconnect failed");
    // Nothing will answer: wake the reader now rather than after the wait.
    IpcTransportShutdown(t);
  }
  bool ended = PlatThreadWait(c->reader, g_closeWait.load()) == PLAT_WAIT_OBJECT_0;
  if (!ended) {
    OsaLog(OSA_LOG_ERROR, "Wait for %s thread %s", kReaderName, "timeout");
    // The daemon did not answer: end the stream so that the read returns.
    IpcTransportShutdown(t);
    ended = PlatThreadWait(c->reader, g_closeWait.load()) == PLAT_WAIT_OBJECT_0;
  }
  OsaThreadStop(c->reader);
  if (!ended) {
    // A reader stuck in its handler still uses the connection, the
    // transport, the pool and the layer: leave all of them to it.
    OsaLog(OSA_LOG_ERROR, "Terminate %s thread failed", kReaderName);
    OsaTerm();  // the close's own; the connection's stays with the reader
    return;
  }
  IpcTransportClose(c->transport.exchange(nullptr));
  FreeConnection(c);
  DropPoolUser(osaLock);
  OsaTerm();  // the close's own reference
  OsaTerm();  // the connection's, taken by VelmoraIpcConnect
}
