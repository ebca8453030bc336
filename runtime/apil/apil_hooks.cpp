#include "runtime/apil/apil_hooks.h"

#include <atomic>

#include "bacnet/asn_tag.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_dispatch.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_status.h"
#include "runtime/osa/osa.h"

namespace {

constexpr int kNotOpen = int(IPC_STATUS_BUSY);
constexpr int kClosing = int(IPC_STATUS_CLOSING);

struct Hooks {
  ApilUnconfirmedHook unconfirmed;
  ApilServerHook server;
  ApilServerMultiHook serverMulti;
  ApilAsyncHook async;
  ApilThreadStartHook threadStart;
};
// Written before the threads start, read by them.
Hooks g_hooks{};
std::atomic<bool> g_installed{false};
// Any thread may ask for it while the hooks come and go.
std::atomic<ApilPrivateTransferSetter> g_privateTransfer{nullptr};
std::atomic<ApilAsyncHook> g_altCompletion{nullptr};
std::atomic<ApilEndHook> g_endHook{nullptr};

// A wait that reports the layer closing (or already closed) ends a thread.
bool Ends(int status) { return status == kClosing || status == kNotOpen; }

void Started() {
  if (g_hooks.threadStart) g_hooks.threadStart();
}

void UnconfirmedBody() {
  Started();
  for (;;) {
    IpcMsg* m = nullptr;
    int status = TsmlUnconfirmedWait(&m, -1);
    if (Ends(status)) return;
    if (status != 0) continue;
    g_hooks.unconfirmed(m);
    IpcMsgFree(m);
  }
}

void ServerBody() {
  Started();
  int32_t wait = -1;
  for (;;) {
    SrvTsm* t = nullptr;
    int status = TsmlSrvWait(&t, wait);
    if (Ends(status)) return;
    wait = g_hooks.server(status, t);
  }
}

// Ends only when the layer closes: a failed or empty wait is waited again.
void ServerMultiBody() {
  Started();
  for (;;) {
    SrvTsm* t = nullptr;
    int status = TsmlSrvMultiWait(&t, -1);
    if (Ends(status)) return;
    if (status == 0 || status == 61) g_hooks.serverMulti(status, t);
  }
}

void AsyncBody() {
  for (;;) {
    CliTsm* t = nullptr;
    int status = TsmlAsyncWait(&t, -1);
    if (Ends(status)) return;
    if (status == 18) status = 8;
    if (status != 0 && status != 4 && status != 8) continue;
    ApilAsyncHook alt = g_altCompletion.load();
    if (alt && TsmCliUserWordSwap(t, 4, 4) == 4)
      alt(status, t);
    else
      g_hooks.async(status, t);
  }
}

struct ThreadRow {
  const char* name;
  void (*body)();
};
constexpr ThreadRow kThreads[4] = {
    {APIL_THREAD_UNCONFIRMED, UnconfirmedBody},
    {APIL_THREAD_SERVER, ServerBody},
    {APIL_THREAD_SERVER_MULTI, ServerMultiBody},
    {APIL_THREAD_ASYNC, AsyncBody},
};
OsaThread g_threads[4] = {};

void Run(void* arg) {
  const auto* row = static_cast<const ThreadRow*>(arg);
  PlatThreadSetName(row->name);
  row->body();
}

void StopThread(int i) {
  if (!g_threads[i]) return;
  OsaThreadWaitStop(g_threads[i], APIL_THREAD_STOP_MS, kThreads[i].name);
  g_threads[i] = nullptr;
}

bool InstallLibraryHooks() {
  return ApilInstallHooks(TsmlHookUnconfirmed, TsmlHookServer, TsmlHookServerMulti, TsmlHookAsync,
                          TsmlSetPrivateTransferHandler, ApilThreadStart);
}

// The element at p of the payload, when it lies inside it.
uint32_t ElementIn(const uint8_t* p, const uint8_t* end) {
  if (p >= end) return 0;
  int32_t n = AsnTagSkipElement(p, end);
  return n > 0 ? uint32_t(n) : 0;
}

LinkAddress Sender(const uint8_t* header) {
  LinkAddress a{};
  LinkAddressRead({header, IPC_HEADER_SIZE}, IPC_OFF_REMOTE_ADDR, &a);
  return a;
}

// The instance of the device identifier the payload opens with.
bool DeviceInstance(const uint8_t* payload, uint32_t length, uint32_t* instance) {
  if (length < 5 || payload[0] != 0xC4) return false;
  *instance = AsnPackedObjectInstance(payload + 1);
  return true;
}

}  // namespace

const TsmlHookBinding APIL_HOOK_BINDING = {InstallLibraryHooks, ApilRemoveHooks};

void ApilThreadStart() { ApilUnlock(ApilLock()); }

bool ApilInstallHooks(ApilUnconfirmedHook unconfirmed, ApilServerHook server,
                      ApilServerMultiHook serverMulti, ApilAsyncHook async,
                      ApilPrivateTransferSetter privateTransfer, ApilThreadStartHook threadStart) {
  g_hooks = {unconfirmed, server, serverMulti, async, threadStart};
  const bool given[4] = {unconfirmed != nullptr, server != nullptr, serverMulti != nullptr,
                         async != nullptr};
  for (int i = 0; i < 4; ++i) {
    if (!given[i]) continue;
    g_threads[i] = OsaThreadCreate(Run, const_cast<ThreadRow*>(&kThreads[i]));
    if (g_threads[i]) continue;
    TsmlDrain();
    for (int k = i - 1; k >= 0; --k)
      StopThread(k);
    return false;
  }
  g_privateTransfer = privateTransfer;
  g_installed = true;
  return true;
}

void ApilRemoveHooks() {
  g_installed = false;
  g_privateTransfer = nullptr;
  TsmlDrain();
  for (int i = 3; i >= 0; --i)
    StopThread(i);
  // The completion hook of this start-up is none of the next one's.
  g_altCompletion = nullptr;
  if (ApilEndHook end = g_endHook.exchange(nullptr)) end();
}

bool ApilSetAsyncHooks(ApilAsyncHook completion, ApilEndHook end) {
  if (!g_installed) return false;
  g_altCompletion = completion;
  g_endHook = end;
  return true;
}

bool ApilSetPrivateTransferHandler(ApilPrivateTransferHandler handler, void* context) {
  ApilPrivateTransferSetter set = g_privateTransfer.load();
  return g_installed && set && set(handler, context);
}

int ApilWaitResponse(CliTsm* tsm, int32_t timeoutMs) {
  int status = TsmCliWait(tsm, timeoutMs);
  switch (status) {
    case int(IPC_STATUS_OK):
    case int(IPC_STATUS_RESPONSE_TOO_LONG):
    case int(IPC_STATUS_WAIT_TIMEOUT):
      return status;
    case 18:  // the encoder's end of room
      return int(IPC_STATUS_RESPONSE_TOO_LONG);
    case kClosing:
      return int(IPC_STATUS_NOT_STARTED);
    default:
      return int(IPC_STATUS_FAILED);
  }
}

void ApilOnIAm(const uint8_t* header, const uint8_t* payload, uint32_t length) {
  uint32_t instance = 0;
  if (!DeviceInstance(payload, length, &instance)) return;
  const uint8_t* end = payload + length;
  const uint8_t* apdu = payload + 5;
  const uint32_t apduLength = ElementIn(apdu, end);
  const uint8_t* segmentation = apdu + apduLength;
  const uint32_t segmentationLength = apduLength ? ElementIn(segmentation, end) : 0;
  const LinkAddress from = Sender(header);
  ApilImageGuard g(ApilImageLock());
  DeviceImage* d = nullptr;
  uint32_t status = DeviceImageBind(&d, &from, instance, false);
  if (status != 0 && status != APIL_DEVICE_EXISTS) return;
  ObjectImage* device = DeviceImageFirstObject(d);
  if (segmentationLength) DeviceImageCacheProperty(device, 107, segmentation, segmentationLength);
  if (apduLength) DeviceImageCacheProperty(device, 62, apdu, apduLength);
}

void ApilOnIHave(const uint8_t* header, const uint8_t* payload, uint32_t length) {
  uint32_t instance = 0;
  if (!DeviceInstance(payload, length, &instance) || length < 11 || payload[5] != 0xC4) return;
  const uint8_t* name = payload + 10;
  const uint32_t nameLength = ElementIn(name, payload + length);
  const LinkAddress from = Sender(header);
  ApilImageGuard g(ApilImageLock());
  DeviceImage* d = nullptr;
  uint32_t bound = DeviceImageBind(&d, &from, instance, false);
  if (bound != 0 && bound != APIL_DEVICE_EXISTS) return;
  ObjectImage* o = nullptr;
  uint32_t added = DeviceImageAddObject(d, &o, payload + 6);
  if (added == 0 || added == APIL_OBJECT_EXISTS) {
    if (nameLength) DeviceImageCacheProperty(o, 77, name, nameLength);
  } else if (bound == 0) {
    DeviceImageRelease(d);
  }
}

int ApilAllocSyncTsm(const TsmCliRequest& request, CliTsm** out, TsmCliInfo* info) {
  return TsmCliAllocConfirmed(request, false, 1, out, info);
}

int ApilSyncSendEnd(CliTsm* tsm, int status) {
  if (status != 0) {
    TsmCliUserWordSwap(tsm, 1, -1);
    TsmCliRelease(tsm);
  }
  return status;
}

int ApilAllocAsyncTsm(const TsmCliRequest& request, CliTsm** out, TsmCliInfo* info) {
  return TsmCliAllocConfirmed(request, true, 2, out, info);
}

int ApilAsyncSendEnd(CliTsm* tsm, int status, CliTsm** handle) {
  if (status != 0) {
    TsmCliUserWordSwap(tsm, 2, -1);
    TsmCliRelease(tsm);
  } else if (handle) {
    *handle = tsm;
  }
  return status;
}

bool ApilAsyncTake(CliTsm* tsm, TsmCliInfo* description) {
  return TsmCliUserWordSwap(tsm, 2, 3) == 2 && TsmCliInfoGet(tsm, description);
}

bool ApilAsyncRelease(CliTsm* tsm) {
  return TsmCliUserWordSwap(tsm, 3, -1) == 3 && TsmCliRelease(tsm);
}

int ApilSendUnconfirmed(const LinkAddress* source, const LinkAddress* destination,
                        uint32_t priority, uint8_t service, PduDesc* data) {
  CliTsm* t = nullptr;
  const TsmCliRequest rq{source, destination, priority, service, nullptr, nullptr};
  int status = TsmCliAllocUnconfirmed(rq, &t, nullptr);
  if (status != 0) {
    PduDescFree(data);
    return status;
  }
  status = TsmlSend(t, IPC_KIND_UNCONF_REQUEST, data);
  TsmCliReleaseUnconfirmed(t);
  return status;
}

bool ApilSrvHookBegin(SrvTsm* tsm, TsmSrvInfo* description) {
  return TsmSrvUserWordSwap(tsm, APIL_SRV_QUEUED, APIL_SRV_WITH_DISPATCH) == APIL_SRV_QUEUED &&
         TsmSrvInfoGet(tsm, description);
}

int32_t ApilSrvHookReturn(SrvTsm* tsm, void* decoded) {
  return TsmSrvUserWordSwapBlock(tsm, APIL_SRV_WITH_DISPATCH, APIL_SRV_WITH_HANDLER, decoded);
}

int ApilSrvHookEnd(SrvTsm* tsm, bool flag) {
  if (!flag) return 0;
  int32_t was = TsmSrvUserWordSwap(tsm, APIL_SRV_WITH_HANDLER, APIL_SRV_WITH_DISPATCH);
  if (was == APIL_SRV_WITH_HANDLER) return 1;
  if (was == APIL_SRV_ANSWERING || was == APIL_SRV_DISCARDED || was == TSM_NOT_IN_USE)
    OsaLog(OSA_LOG_ERROR, "APIL: Hook termination is incorrect");
  return 0;
}

int ApilSrvReplyBegin(SrvTsm* tsm, TsmSrvInfo* description, uint32_t replyKind, PduDesc* reply) {
  int32_t was = TsmSrvUserWordSwap(tsm, APIL_SRV_WITH_HANDLER, APIL_SRV_ANSWERING);
  if (was == TSM_NOT_IN_USE) return VELMORA_STATUS_INVALID_PARAMETER;
  if (was != APIL_SRV_WITH_HANDLER) return VELMORA_STATUS_ILLEGAL_RESPONSE;
  TsmSrvInfo info{};
  // Not answered after all: the request can still be answered or dropped.
  auto back = [tsm](int status) {
    TsmSrvUserWordSwap(tsm, APIL_SRV_ANSWERING, APIL_SRV_WITH_HANDLER);
    return status;
  };
  if (!TsmSrvInfoGet(tsm, &info)) return back(VELMORA_STATUS_INVALID_PARAMETER);
  if (description) *description = info;
  if (replyKind == APIL_REPLY_NONE) return 0;
  const uint32_t size = replyKind == APIL_REPLY_SHORT ? 50 : info.maxPayload;
  if (!reply || !PduDescAlloc(size, reply)) return back(VELMORA_STATUS_OUT_OF_MEMORY);
  return 0;
}

int ApilSrvHookDiscard(SrvTsm* tsm) {
  int32_t was = TsmSrvUserWordSwap(tsm, APIL_SRV_WITH_HANDLER, APIL_SRV_DISCARDED);
  if (was == APIL_SRV_WITH_HANDLER) return 0;
  return was == TSM_NOT_IN_USE ? VELMORA_STATUS_INVALID_PARAMETER : VELMORA_STATUS_ILLEGAL_RESPONSE;
}

int ApilSrvReplyEnd(SrvTsm* tsm, int status, PduDesc* reply) {
  if (status == 0) return 0;
  if (status == 18) {
    TsmSrvInfo info{};
    status = !TsmSrvInfoGet(tsm, &info) ? 5 : info.segmented ? 8 : 74;
  }
  if (reply) PduDescFree(reply);
  TsmSrvUserWordSwap(tsm, APIL_SRV_ANSWERING, APIL_SRV_WITH_HANDLER);
  return ApilMapStatus(uint32_t(status));
}
