// Opening and closing the transaction layer: pools, locks, the link,
// registration with the daemon and the optional APDU-length request.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <new>
#include <thread>

#include "runtime/ipc/ipc_name.h"
#include "runtime/osa/osa.h"
#include "runtime/osa/pool.h"
#include "runtime/platform/plat_sync.h"
#include "runtime/tsml/tsml_internal.h"

TsmlState g_tsml;

namespace {

constexpr uint8_t kFixedRegistrationBytes[5] = {0x60, 0x00, 0x00, 0x3E, 0x00};

const TsmlHookBinding* g_binding = nullptr;
std::atomic<uint32_t> g_drainWait{TSML_DRAIN_WAIT_MS};

// An older stack service (3.x, which speaks another protocol) holds a
// named object of this name in the socket directory; no daemon of ours
// does. It is asked for only when no connection could be made.
constexpr char kOlderServiceObject[] = "Velmora Semaphore 1004";

bool OlderServicePresent(char (&path)[512]) {
  int n = std::snprintf(path, sizeof path, "%s/%s", IpcPipeDir(), kOlderServiceObject);
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) return false;
  return PlatNamedObjectHeld(path);
}

void PoolsFree() {
  delete[] g_tsml.cliPool;
  g_tsml.cliPool = nullptr;
  g_tsml.cliPoolSize = 0;
  g_tsml.cliFree = nullptr;
  delete[] g_tsml.srvPool;
  g_tsml.srvPool = nullptr;
  g_tsml.srvPoolSize = 0;
  delete[] g_tsml.pids;
  g_tsml.pids = nullptr;
  g_tsml.pidCount = 0;
  g_tsml.pidCapacity = 0;
}

void ConfParamPoolDestroy() {
  std::lock_guard<std::mutex> g(g_tsml.confParamLock);
  if (g_tsml.confParamPool) PoolDestroy(static_cast<Pool*>(g_tsml.confParamPool));
  g_tsml.confParamPool = nullptr;
}

}  // namespace

void TsmlLinkAdmit(uint32_t maxSegsAccepted) {
  IpcConnectionRaiseReadCap(g_tsml.connection.load(), IpcFrameCap(IPC_APDU_MAX, maxSegsAccepted));
}

bool TsmlIsOpen() { return g_tsml.open.load(); }
bool TsmlIsStarted() { return g_tsml.started.load(); }
uint32_t TsmlUserId() { return g_tsml.userId.load(); }
uint32_t TsmlRuntimeMaxApdu() { return g_tsml.runtimeMaxApdu; }
void TsmlRuntimeVersion(uint8_t out[3]) { std::memcpy(out, g_tsml.runtimeVersion, 3); }

int TsmlLocalAddressGet(LinkAddress* out) {
  if (!g_tsml.open.load()) return 1;
  if (out) *out = g_tsml.local;
  return 0;
}

void* TsmlConfParamAlloc() {
  std::lock_guard<std::mutex> g(g_tsml.confParamLock);
  if (!g_tsml.confParamPool) return nullptr;
  return PoolGet(static_cast<Pool*>(g_tsml.confParamPool));
}

void TsmlConfParamFree(void* context) {
  if (!context) return;
  std::lock_guard<std::mutex> g(g_tsml.confParamLock);
  if (g_tsml.confParamPool) PoolPut(static_cast<Pool*>(g_tsml.confParamPool), context);
}

bool TsmlLinkInit() {
  g_tsml.srvSem.Reset();
  g_tsml.srvMultiSem.Reset();
  g_tsml.unconfSem.Reset();
  g_tsml.asyncSem.Reset();
  g_tsml.srvQueue = {};
  g_tsml.srvMultiQueue = {};
  g_tsml.unconfQueue = {};
  g_tsml.asyncQueue = {};
  {
    std::lock_guard<std::mutex> g(g_tsml.controlLock);
    g_tsml.pendingKind = 0;
    g_tsml.pendingReply = nullptr;
  }
  g_tsml.sendPayloadCap = IPC_MAX_PAYLOAD;
  g_tsml.linkLost = false;
  g_tsml.cliClosed = false;
  g_tsml.srvClosed = false;
  g_tsml.markedClosed = false;
  return true;
}

int TsmlConnect(const IpcRegisterRequest* reg, TsmlRegistrationReply* reply) {
  g_tsml.activeSrv = 0;
  IpcConnection* c = VelmoraIpcConnect(g_tsml.params.ConnIPC, PipeRead);
  if (!c) {
    OsaLog(2, "TSML(High): VelmoraIpcConnect(\"%s\") failed", g_tsml.params.ConnIPC);
    char older[512];
    if (OlderServicePresent(older)) {
      OsaLog(1, "TSML: Inconsistent versions: Velmora Service 3.x was detected");
      OsaLog(1, "TSML: the older service holds %s", older);
      return 77;
    }
    return 9;
  }
  g_tsml.connection = c;
  // A confirmation may carry as many segments as we accept, of any APDU.
  const uint32_t readCap = IpcFrameCap(IPC_APDU_MAX, reg->maxSegAccepted);
  IpcConnectionSetFrameCaps(c, readCap, IPC_MAX_FRAME);
  auto fail = [&](int status) {
    g_tsml.connection = nullptr;
    VelmoraIpcClose(c);
    return status;
  };
  IpcMsg* m = IpcMsgAlloc(0);
  if (!m) return fail(4);
  IpcRegisterRequestWrite({MsgBytes(m), IPC_HEADER_SIZE}, *reg);
  IpcMsg* r = nullptr;
  int status = TsmlControlRoundTrip(m, IPC_KIND_REGISTER, 0, 0, true, &r);
  if (status != 0) return fail(status);
  IpcRegisterReply rr{};
  IpcRegisterReplyRead({MsgBytes(r), IPC_REGISTER_REPLY_MIN}, &rr);
  IpcMsgFree(r);
  // Every payload size of the layer is reckoned from it.
  if (rr.maxApdu < IPC_APDU_MIN || rr.maxApdu > IPC_APDU_MAX) {
    OsaLog(1, "TSML: registration reply: maximum APDU length %lu is outside %u to %u",
           static_cast<unsigned long>(rr.maxApdu), IPC_APDU_MIN, IPC_APDU_MAX);
    return fail(5);
  }
  // What we send may carry as many segments as we registered, of the
  // runtime's APDU: the daemon reads as much.
  const uint32_t writeCap = IpcFrameCap(rr.maxApdu, reg->maxSegAccepted);
  IpcConnectionSetFrameCaps(c, readCap, writeCap);
  g_tsml.sendPayloadCap = writeCap - IPC_PAYLOAD_OFFSET;
  reply->version[0] = rr.major;
  reply->version[1] = rr.minor;
  reply->version[2] = rr.third;
  reply->maxApdu = rr.maxApdu;
  reply->local = rr.local;
  reply->userId = rr.userId;
  g_tsml.closing = false;
  return 0;
}

int TsmlLibOpen(const TsmlOpenRecord* rec) {
  if (!TsmlParamsRead(&g_tsml.params)) return 9;
  auto failParams = [](int status) {
    TsmlParamsFree(&g_tsml.params);
    return status;
  };
  if (rec->apduLength >= 1 && rec->apduLength <= 49) return failParams(2);
  if (rec->cliTsmPoolSize == 0 || rec->cliTsmPoolSize > 65535) return failParams(2);
  if (rec->srvTsmPoolSize == 0 || rec->srvTsmPoolSize > 65535) return failParams(2);

  g_tsml.cliPool = new (std::nothrow) CliTsm[rec->cliTsmPoolSize]();
  if (!g_tsml.cliPool) return failParams(4);
  g_tsml.srvPool = new (std::nothrow) SrvTsm[rec->srvTsmPoolSize]();
  if (!g_tsml.srvPool) {
    PoolsFree();
    return failParams(4);
  }
  g_tsml.cliPoolSize = rec->cliTsmPoolSize;
  g_tsml.srvPoolSize = rec->srvTsmPoolSize;
  for (uint32_t i = 0; i < g_tsml.cliPoolSize; ++i) {
    CliTsm& t = g_tsml.cliPool[i];
    std::memcpy(t.tag, "CLIP", 5);
    t.index = i;
    t.next = i + 1 < g_tsml.cliPoolSize ? &g_tsml.cliPool[i + 1] : nullptr;
  }
  g_tsml.cliFree = &g_tsml.cliPool[0];
  for (uint32_t i = 0; i < g_tsml.srvPoolSize; ++i) {
    std::memcpy(g_tsml.srvPool[i].tag, "SRVP", 5);
    g_tsml.srvPool[i].index = i;
  }
  if (rec->maxProcessIds > 0) {
    g_tsml.pids = new (std::nothrow) uint32_t[rec->maxProcessIds];
    if (!g_tsml.pids) {
      PoolsFree();
      return failParams(4);
    }
  }
  g_tsml.pidCapacity = rec->maxProcessIds;
  g_tsml.pidCount = 0;

  if (!TsmlLinkInit()) {
    PoolsFree();
    return failParams(3);
  }
  auto failLink = [](int status) {
    TlIPCClose();
    PoolsFree();
    TsmlParamsFree(&g_tsml.params);
    return status;
  };
  if (rec->maxSegAccepted == 0) return failLink(12);

  IpcRegisterRequest reg;
  IpcRegisterRequestInit(&reg);
  reg.portId = rec->portId;
  std::memcpy(reg.fixed, rec->fixed, sizeof reg.fixed);
  reg.cliPoolSize = rec->cliTsmPoolSize;
  reg.srvPoolSize = rec->srvTsmPoolSize;
  reg.apduTimeout = rec->apduTimeout;
  reg.numRetries = rec->numRetries;
  reg.segmentation = uint16_t(rec->segmentation);
  reg.segWindowSize = rec->segWindowSize;
  reg.maxSegAccepted = rec->maxSegAccepted;
  reg.segTimeout = rec->segTimeout;
  reg.maxProcessIds = rec->maxProcessIds;
  TsmlRegistrationReply reply{};
  int status = TsmlConnect(&reg, &reply);
  if (status != 0) return failLink(status);

  OsaLog(3, "TSML: Library: registered with Velmora runtime v%u.%u.%u, userID=%lu",
         reply.version[0], reply.version[1], reply.version[2],
         static_cast<unsigned long>(reply.userId));
  g_tsml.local = reply.local;
  g_tsml.local.netPresent = 0;
  g_tsml.local.net = 0;
  g_tsml.userId = reply.userId;
  g_tsml.runtimeMaxApdu = reply.maxApdu;
  std::memcpy(g_tsml.runtimeVersion, reply.version, 3);

  // The open flag goes up first: the control exchange below needs it.
  g_tsml.open = true;
  if (rec->apduLength != 0 && rec->apduLength < reply.maxApdu) {
    g_tsml.apduLength = rec->apduLength;
    uint8_t p[64] = {};
    Wr16(p, 0, COMM_APDU_LENGTH);
    Wr32(p, 4, rec->apduLength);
    status = TsmlControl(IPC_KIND_SET_PARAMS, p);
    if (status != 0) {
      TsmlMarkClosed();
      g_tsml.open = false;
      return failLink(status);
    }
  } else {
    g_tsml.apduLength = reply.maxApdu;
  }
  {
    std::lock_guard<std::mutex> g(g_tsml.defaultsLock);
    g_tsml.apduTimeout = rec->apduTimeout;
    g_tsml.retries = rec->numRetries;
    g_tsml.segmentation = rec->segmentation;
    g_tsml.maxSegsAccepted = rec->maxSegAccepted;
    g_tsml.maxSegsToSend = rec->maxSegToSend;
    g_tsml.windowSize = rec->segWindowSize;
    g_tsml.segTimeout = rec->segTimeout;
  }
  return 0;
}

int TsmlOpen(uint32_t portId, const TsmlHookBinding* binding) {
  const TsmlConfig& c = *TsmlConfigActive();
  TsmlOpenRecord rec{};
  rec.portId = portId;
  std::memcpy(rec.fixed, kFixedRegistrationBytes, 5);
  rec.cliTsmPoolSize = c.Cli_Tsm_Pool_Size;
  rec.srvTsmPoolSize = c.Srv_Tsm_Pool_Size;
  rec.apduLength = c.Apdu_Length;
  rec.numRetries = c.Num_Retries;
  rec.apduTimeout = c.Apdu_Timeout;
  rec.segmentation = c.Segmentation;
  rec.maxSegAccepted = c.Max_Seg_Accepted;
  rec.maxSegToSend = c.Max_Seg_To_Send;
  rec.segWindowSize = uint8_t(c.Seg_Window_Size);
  rec.segTimeout = c.Seg_Timeout;
  rec.maxProcessIds = c.Max_Process_IDs;
  if (c.Seg_Window_Size > 127 || c.Cli_Tsm_Pool_Size == 0 || c.Srv_Tsm_Pool_Size == 0) return 12;

  g_tsml.acceptAllPids = c.All_Process_IDs != 0;
  {
    std::lock_guard<std::mutex> g(g_tsml.confParamLock);
    g_tsml.confParamPool = PoolCreate(sizeof(TsmlRequestContext), c.Cli_Tsm_Pool_Size, "ConfParam");
    if (!g_tsml.confParamPool) return 3;
  }
  int status = TsmlLibOpen(&rec);
  if (status != 0) {
    ConfParamPoolDestroy();
    return status;
  }
  // Without a local MAC the daemon has given no address to send from.
  if (g_tsml.local.macLen == 0) {
    TsmlClose();
    ConfParamPoolDestroy();
    return 78;
  }
  if (binding && binding->install && !binding->install()) {
    TsmlClose();
    ConfParamPoolDestroy();
    return 3;
  }
  g_binding = binding;
  g_tsml.started = true;
  return 0;
}

void TsmlMarkClosed() {
  std::lock_guard<std::mutex> g(g_tsml.daemonRequestLock);
  if (g_tsml.markedClosed.exchange(true)) return;
  g_tsml.closing = true;
  TsmlFailAll();
  g_tsml.srvSem.Post();
  g_tsml.srvMultiSem.Post();
  g_tsml.unconfSem.Post();
  g_tsml.asyncSem.Post();
}

uint32_t TsmlSetDrainWait(uint32_t ms) { return g_drainWait.exchange(ms); }

bool TsmlDrain() {
  if (!g_tsml.open.load()) return true;
  TsmlMarkClosed();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_drainWait.load());
  while (g_tsml.activeSrv.load() != 0) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void TsmlClose() {
  if (!g_tsml.cliPool && !g_tsml.srvPool) return;
  TsmlMarkClosed();
  TlIPCClose();
  PoolsFree();
  TsmlParamsFree(&g_tsml.params);
  OsaLog(3, "TSML(High): Close, userID=%u", g_tsml.userId.load());
  g_tsml.open = false;
}

void TsmlShutdown() {
  if (g_binding && g_binding->remove) g_binding->remove();
  g_binding = nullptr;
  g_tsml.started = false;
  TsmlClose();
  ConfParamPoolDestroy();
}
