// Opening and closing the transaction layer: pools, locks, the link,
// registration with the daemon and the optional APDU-length request.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <new>
#include <thread>

#include "runtime/ipc/ipc_name.h"
#include "runtime/ipc/link_names.h"
#include "runtime/osa/osa.h"
#include "runtime/osa/pool.h"
#include "runtime/platform/plat_sync.h"
#include "runtime/tsml/tsml_internal.h"

TsmlState& g_tsml = *new TsmlState;

namespace {

// The largest TSM pool the configuration allows.
constexpr uint32_t kPoolSizeMax = 65535;

const TsmlHookBinding* g_binding = nullptr;
std::atomic<uint32_t> g_drainWait{TSML_DRAIN_WAIT_MS};

// Asked only when no connection could be made: a live older service in the
// socket directory tells "the wrong service" from "no service at all".
bool OlderServicePresent(char (&path)[512]) {
  int n = std::snprintf(path, sizeof path, "%s/%s", IpcPipeDir(), IPC_OLDER_SERVICE_OBJECT);
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) return false;
  return PlatNamedObjectHeld(path);
}

void PoolsFree() {
  g_tsml.cliPool.reset();
  g_tsml.cliPoolSize = 0;
  g_tsml.cliFree = nullptr;
  g_tsml.srvPool.reset();
  g_tsml.srvPoolSize = 0;
  g_tsml.pids.reset();
  g_tsml.pidCount = 0;
  g_tsml.pidCapacity = 0;
}

// Makes both TSM pools and the process-identifier list, free and threaded
// as a start-up finds them; false (nothing kept) when memory is short.
bool PoolsMake(const TsmlOpenRecord& rec) {
  std::unique_ptr<CliTsm[]> cli(new (std::nothrow) CliTsm[rec.cliTsmPoolSize]());
  std::unique_ptr<SrvTsm[]> srv(new (std::nothrow) SrvTsm[rec.srvTsmPoolSize]());
  std::unique_ptr<uint32_t[]> pids;
  if (rec.maxProcessIds > 0) pids.reset(new (std::nothrow) uint32_t[rec.maxProcessIds]);
  if (!cli || !srv || (rec.maxProcessIds > 0 && !pids)) return false;
  for (uint32_t i = 0; i < rec.cliTsmPoolSize; ++i) {
    CliTsm& t = cli[i];
    std::memcpy(t.tag, "CLIP", 5);
    t.index = i;
    t.next = i + 1 < rec.cliTsmPoolSize ? &cli[i + 1] : nullptr;
  }
  for (uint32_t i = 0; i < rec.srvTsmPoolSize; ++i) {
    std::memcpy(srv[i].tag, "SRVP", 5);
    srv[i].index = i;
  }
  g_tsml.cliFree = &cli[0];
  g_tsml.cliPool = std::move(cli);
  g_tsml.cliPoolSize = rec.cliTsmPoolSize;
  g_tsml.srvPool = std::move(srv);
  g_tsml.srvPoolSize = rec.srvTsmPoolSize;
  g_tsml.pids = std::move(pids);
  g_tsml.pidCapacity = rec.maxProcessIds;
  g_tsml.pidCount = 0;
  return true;
}

// What TsmlLibOpen has set up, undone in the reverse order on every return
// but the successful one: each step it reaches is marked, so that a failure
// returns with nothing left to undo by hand.
class OpenUnwind {
 public:
  OpenUnwind() = default;
  OpenUnwind(const OpenUnwind&) = delete;
  OpenUnwind& operator=(const OpenUnwind&) = delete;
  ~OpenUnwind() {
    if (step_ == Step::Done) return;
    if (step_ >= Step::Opened) {
      TsmlMarkClosed();
      g_tsml.open = false;
    }
    // Closing the link joins its reader before the pools go.
    if (step_ >= Step::Linked) TlIPCClose();
    if (step_ >= Step::Pools) PoolsFree();
    TsmlParamsFree(&g_tsml.params);
  }
  void PoolsMade() { step_ = Step::Pools; }
  void Linked() { step_ = Step::Linked; }
  void Opened() { step_ = Step::Opened; }
  void Done() { step_ = Step::Done; }

 private:
  // The link parameters are read when the unwinding starts.
  enum class Step {
    Params,
    Pools,
    Linked,
    Opened,
    Done
  };
  Step step_ = Step::Params;
};

void ConfParamPoolDestroy() {
  std::lock_guard<std::mutex> g(g_tsml.confParamLock);
  if (g_tsml.confParamPool) PoolDestroy(static_cast<Pool*>(g_tsml.confParamPool));
  g_tsml.confParamPool = nullptr;
}

// Registers on a fresh link and sets its frame caps from what the daemon
// answers; the caller closes the link when this fails.
int Register(IpcConnection* c, const IpcRegisterRequest& reg, TsmlRegistrationReply* reply) {
  // A confirmation may carry as many segments as we accept, of any APDU.
  const uint32_t readCap = IpcFrameCap(IPC_APDU_MAX, reg.maxSegAccepted);
  IpcConnectionSetFrameCaps(c, readCap, IPC_MAX_FRAME);
  IpcMsg* m = IpcMsgAlloc(0);
  if (!m) return IPC_STATUS_NO_MEMORY;
  IpcRegisterRequestWrite(IpcMsgArea(m), reg);
  IpcMsg* r = nullptr;
  if (int status = TsmlControlRoundTrip(m, IPC_KIND_REGISTER, 0, 0, true, &r)) return status;
  IpcRegisterReply rr{};
  IpcRegisterReplyRead(IpcMsgData(r), &rr);
  IpcMsgFree(r);
  // Every payload size of the layer is reckoned from it.
  if (rr.maxApdu < IPC_APDU_MIN || rr.maxApdu > IPC_APDU_MAX) {
    OsaLog(OSA_LOG_ERROR, "TSML: registration reply: maximum APDU length %lu is outside %u to %u",
           static_cast<unsigned long>(rr.maxApdu), IPC_APDU_MIN, IPC_APDU_MAX);
    return IPC_STATUS_FAILED;
  }
  // What we send may carry as many segments as we registered, of the
  // runtime's APDU: the daemon reads as much.
  const uint32_t writeCap = IpcFrameCap(rr.maxApdu, reg.maxSegAccepted);
  IpcConnectionSetFrameCaps(c, readCap, writeCap);
  g_tsml.sendPayloadCap = writeCap - IPC_PAYLOAD_OFFSET;
  reply->version[0] = rr.major;
  reply->version[1] = rr.minor;
  reply->version[2] = rr.third;
  reply->maxApdu = rr.maxApdu;
  reply->local = rr.local;
  reply->userId = rr.userId;
  g_tsml.closing = false;
  return IPC_STATUS_OK;
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
  if (!g_tsml.open.load()) return IPC_STATUS_BUSY;
  if (out) *out = g_tsml.local;
  return IPC_STATUS_OK;
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
    OsaLog(OSA_LOG_WARNING, "TSML(High): VelmoraIpcConnect(\"%s\") failed", g_tsml.params.ConnIPC);
    char older[512];
    if (OlderServicePresent(older)) {
      OsaLog(OSA_LOG_ERROR, "TSML: Inconsistent versions: Velmora Service 3.x was detected");
      OsaLog(OSA_LOG_ERROR, "TSML: the older service holds %s", older);
      return IPC_STATUS_VERSION_MISMATCH;
    }
    return IPC_STATUS_NO_LINK;
  }
  g_tsml.connection = c;
  const int status = Register(c, *reg, reply);
  if (status != IPC_STATUS_OK) {
    g_tsml.connection = nullptr;
    VelmoraIpcClose(c);
  }
  return status;
}

int TsmlLibOpen(const TsmlOpenRecord* rec) {
  if (!TsmlParamsRead(&g_tsml.params)) return IPC_STATUS_NO_LINK;
  OpenUnwind unwind;
  if (rec->apduLength != 0 && rec->apduLength < IPC_APDU_MIN) return IPC_STATUS_INVALID_PARAMETER;
  if (rec->cliTsmPoolSize == 0 || rec->cliTsmPoolSize > kPoolSizeMax)
    return IPC_STATUS_INVALID_PARAMETER;
  if (rec->srvTsmPoolSize == 0 || rec->srvTsmPoolSize > kPoolSizeMax)
    return IPC_STATUS_INVALID_PARAMETER;
  if (!PoolsMake(*rec)) return IPC_STATUS_NO_MEMORY;
  unwind.PoolsMade();
  if (!TsmlLinkInit()) return IPC_STATUS_NO_RESOURCES;
  unwind.Linked();
  if (rec->maxSegAccepted == 0) return IPC_STATUS_BAD_CONFIGURATION;

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
  if (int status = TsmlConnect(&reg, &reply)) return status;

  OsaLog(OSA_LOG_INFO, "TSML: Library: registered with Velmora runtime v%u.%u.%u, userID=%lu",
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
  unwind.Opened();
  if (rec->apduLength != 0 && rec->apduLength < reply.maxApdu) {
    g_tsml.apduLength = rec->apduLength;
    CommParams shorter{};
    shorter.mask = COMM_APDU_LENGTH;
    shorter.apduLength = rec->apduLength;
    if (int status = TsmlTransferParamsSend(shorter)) return status;
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
  unwind.Done();
  return IPC_STATUS_OK;
}

int TsmlOpen(uint32_t portId, const TsmlHookBinding* binding) {
  const TsmlConfig& c = *TsmlConfigActive();
  TsmlOpenRecord rec{};
  rec.portId = portId;
  std::memcpy(rec.fixed, IPC_REGISTER_FIXED, sizeof rec.fixed);
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
  if (c.Seg_Window_Size > 127 || c.Cli_Tsm_Pool_Size == 0 || c.Srv_Tsm_Pool_Size == 0)
    return IPC_STATUS_BAD_CONFIGURATION;

  g_tsml.acceptAllPids = c.All_Process_IDs != 0;
  {
    std::lock_guard<std::mutex> g(g_tsml.confParamLock);
    g_tsml.confParamPool = PoolCreate(sizeof(TsmlRequestContext), c.Cli_Tsm_Pool_Size, "ConfParam");
    if (!g_tsml.confParamPool) return IPC_STATUS_NO_RESOURCES;
  }
  int status = TsmlLibOpen(&rec);
  if (status != IPC_STATUS_OK) {
    ConfParamPoolDestroy();
    return status;
  }
  // Without a local MAC the daemon has given no address to send from.
  if (g_tsml.local.macLen == 0) {
    TsmlClose();
    ConfParamPoolDestroy();
    return IPC_STATUS_NO_LOCAL_ADDRESS;
  }
  if (binding && binding->install && !binding->install()) {
    TsmlClose();
    ConfParamPoolDestroy();
    return IPC_STATUS_NO_RESOURCES;
  }
  g_binding = binding;
  g_tsml.started = true;
  return IPC_STATUS_OK;
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
  OsaLog(OSA_LOG_INFO, "TSML(High): Close, userID=%u", g_tsml.userId.load());
  g_tsml.open = false;
}

void TsmlShutdown() {
  if (g_binding && g_binding->remove) g_binding->remove();
  g_binding = nullptr;
  g_tsml.started = false;
  TsmlClose();
  ConfParamPoolDestroy();
}
