// Library start-up and shut-down, the start-up record, the default
// allocator, the image lock and the guard of the calls in progress.
#include <atomic>
#include <condition_variable>

#include "bacnet/asn_property.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_dispatch.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/apil_image.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ipc/ipc_status.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml.h"

namespace {

constexpr uint32_t kMaxCount = 0x3FFFFF;
constexpr uint32_t kDefaultCount = 32;

// Keeps VelmoraInit and VelmoraTerminate from overlapping; a second one
// does not wait, it fails or does nothing.
std::atomic<int32_t> g_gate{1};

bool GateTake() {
  if (g_gate.fetch_sub(1) == 1) return true;
  g_gate.fetch_add(1);
  return false;
}
void GateRelease() { g_gate.fetch_add(1); }

struct Calls {
  std::mutex lock;
  std::condition_variable left;
  uint32_t active = 0;
  bool open = false;  // calls are admitted
  bool terminating = false;
};
// Never torn down: calls may still be inside the library when the program
// exits without VelmoraTerminate.
Calls& g_calls = *new Calls;

// Started by VelmoraInit (the transaction layer may also be opened alone).
bool LibraryStarted() {
  std::lock_guard<std::mutex> g(g_calls.lock);
  return g_calls.open;
}

void SetCallsOpen(bool open) {
  std::lock_guard<std::mutex> g(g_calls.lock);
  g_calls.open = open;
  g_calls.terminating = !open;
  AsnPropertyQueryOpen(open);
}

void FreeTable() {
  ApilImageGuard g(ApilImageLock());
  DeviceImageTableFree();
}

void* DefaultAlloc(VelmoraAllocator*, uint32_t size) { return OsaMemAlloc(size); }
void DefaultFree(VelmoraAllocator*, void* block) { OsaMemFree(block); }
constexpr VelmoraAllocatorOps kDefaultOps = {DefaultAlloc, DefaultFree};

// Steps 2 on of the start-up, with the operating-system layer started;
// an internal status.
uint32_t Start(const VelmoraInitParams* params, uint32_t reserved) {
  if (LibraryStarted() || TsmlIsStarted()) return IPC_STATUS_BUSY;
  if (!params) return IPC_STATUS_INVALID_PARAMETER;
  if (!TsmlVersionCheck(params->major, params->minor)) {
    OsaLog(OSA_LOG_ERROR, "APIL: Velmora version is older than required by appication");
    return IPC_STATUS_VERSION_MISMATCH;
  }
  if (!TsmlConfigRead("Cli\\", TsmlConfigActive())) return IPC_STATUS_NO_RESOURCES;
  if (params->max_devices == 0 || params->max_devices > kMaxCount || params->max_objects == 0 ||
      params->max_objects > kMaxCount || reserved != 0)
    return IPC_STATUS_INVALID_PARAMETER;
  uint32_t status;
  {
    ApilImageGuard g(ApilImageLock());
    status = DeviceImageTableCreate(params->max_devices, params->max_objects);
  }
  if (status != 0) return status;
  status = uint32_t(TsmlOpen(params->port_id, &APIL_HOOK_BINDING));
  if (status != 0) {
    FreeTable();
    return status;
  }
  // Without a MAC of its own the daemon has given no address to send from.
  LinkAddress local{};
  if (TsmlLocalAddressGet(&local) != 0 || local.macLen == 0) {
    TsmlShutdown();
    TsmlHandlerTablesClear();
    FreeTable();
    return IPC_STATUS_NO_LOCAL_ADDRESS;
  }
  SetCallsOpen(true);
  return 0;
}

}  // namespace

VelmoraAllocator DefaultAllocator = {&kDefaultOps};

std::recursive_mutex& ApilImageLock() {
  static std::recursive_mutex lock;
  return lock;
}

bool ApilLock() {
  if (!TsmlIsStarted()) return false;
  ApilImageLock().lock();
  return true;
}

void ApilUnlock(bool taken) {
  if (taken) ApilImageLock().unlock();
}

ApilCall::ApilCall() {
  std::lock_guard<std::mutex> g(g_calls.lock);
  admitted_ = g_calls.open;
  if (admitted_) ++g_calls.active;
}

ApilCall::~ApilCall() {
  if (!admitted_) return;
  std::lock_guard<std::mutex> g(g_calls.lock);
  if (--g_calls.active == 0) g_calls.left.notify_all();
}

bool ApilTerminating() {
  std::lock_guard<std::mutex> g(g_calls.lock);
  return g_calls.terminating;
}

uint32_t ApilEnded(uint32_t status) {
  return status == IPC_STATUS_NO_LINK && ApilTerminating() ? IPC_STATUS_NOT_STARTED : status;
}

bool VelmoraInitDefaults(VelmoraInitParams* p, uint8_t major, uint8_t minor) {
  if (!p) return false;
  *p = {major, minor, 0, kDefaultCount, kDefaultCount};
  return true;
}

bool VelmoraInitSetPortId(VelmoraInitParams* p, uint16_t value) {
  if (!p) return false;
  p->port_id = value;
  return true;
}

bool VelmoraInitSetMaxDevices(VelmoraInitParams* p, uint32_t value) {
  if (!p) return false;
  p->max_devices = value;
  return true;
}

bool VelmoraInitSetMaxObjects(VelmoraInitParams* p, uint32_t value) {
  if (!p) return false;
  p->max_objects = value;
  return true;
}

uint16_t VelmoraInitGetPortId(const VelmoraInitParams* p) { return p ? p->port_id : 0xFFFF; }
uint32_t VelmoraInitGetMaxDevices(const VelmoraInitParams* p) {
  return p ? p->max_devices : 0xFFFFFFFF;
}
uint32_t VelmoraInitGetMaxObjects(const VelmoraInitParams* p) {
  return p ? p->max_objects : 0xFFFFFFFF;
}

VelmoraStatus VelmoraInit(const VelmoraInitParams* params, uint32_t reserved) {
  if (!OsaInit()) return VELMORA_STATUS_OUT_OF_RESOURCES;
  uint32_t status = IPC_STATUS_BUSY;
  if (GateTake()) {
    status = Start(params, reserved);
    GateRelease();
  }
  // The operating-system layer's reference stays until VelmoraTerminate.
  if (status != 0) OsaTerm();
  return ApilMapStatus(status);
}

void VelmoraTerminate() {
  if (!GateTake()) return;
  if (!LibraryStarted()) {
    GateRelease();
    return;
  }
  SetCallsOpen(false);
  // The calls waiting for the daemon are failed, and the pools stay until
  // the last call has left.
  TsmlMarkClosed();
  {
    std::unique_lock<std::mutex> g(g_calls.lock);
    g_calls.left.wait(g, [] { return g_calls.active == 0; });
  }
  TsmlShutdown();
  TsmlHandlerTablesClear();
  FreeTable();
  {
    std::lock_guard<std::mutex> g(g_calls.lock);
    g_calls.terminating = false;
  }
  GateRelease();
  OsaTerm();
}
