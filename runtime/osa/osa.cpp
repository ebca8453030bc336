#include "runtime/osa/osa.h"

#include <atomic>
#include <cstdio>

#include "runtime/osa/cfg.h"
#include "runtime/osa/osa_internal.h"
#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_sync.h"

int32_t g_osa_stats[3];

namespace {

// Changed only under the named mutex; read anywhere.
std::atomic<uint32_t> g_refs{0};
PlatLock g_osa_lock;

// Everything a first start-up builds, undone in reverse on failure.
bool StartLayer() {
  if (!PlatCheckPlatform()) {
    PlatDebugOutput("Unsupported Windows platform\n");
    return false;
  }
  for (int32_t& counter : g_osa_stats)
    PlatAtomicStore(&counter, 0);
  if (!OsaLogOpen()) return false;
  if (!OsaHeapCreate()) {
    OsaLogClose();
    return false;
  }
  if (!InitCfg()) {
    OsaHeapDestroy();
    OsaLogClose();
    return false;
  }
  PlatLockInit(&g_osa_lock);
  return true;
}

// Holds the named mutex for one OsaInit or OsaTerm.
class InitMutex {
 public:
  InitMutex() : mutex_(PlatNamedMutexOpen(OSA_INIT_MUTEX_NAME)) {
    held_ = mutex_ && PlatNamedMutexWait(mutex_);
  }
  ~InitMutex() {
    if (held_) PlatNamedMutexRelease(mutex_);
    PlatNamedMutexClose(mutex_);
  }
  bool held() const { return held_; }

 private:
  PlatNamedMutex* mutex_;
  bool held_ = false;
};

}  // namespace

PlatLock* OsaInit(void) {
  InitMutex mutex;
  if (!mutex.held()) {
    // Its lock file lives in the runtime directory, which may be unusable.
    OsaLog(OSA_LOG_ERROR, "Cannot take the mutex \"%s\"", OSA_INIT_MUTEX_NAME);
    return nullptr;
  }
  if (g_refs.load() > 0) {
    g_refs.fetch_add(1);
    return &g_osa_lock;
  }
  if (!StartLayer()) return nullptr;
  g_refs.store(1);
  return &g_osa_lock;
}

bool OsaTerm(void) {
  InitMutex mutex;
  if (!mutex.held() || g_refs.load() == 0) return false;
  if (g_refs.fetch_sub(1) == 1) {
    PlatLockDelete(&g_osa_lock);
    OsaHeapDestroy();
    CloseCfg();
    OsaLogClose();
  }
  return true;
}

uint32_t OsaRefCount(void) { return g_refs.load(); }

void OsaAssertFail(const char* function, const char* format, ...) {
  char text[256];
  int n = snprintf(text, sizeof text, "Assertion failed in %s(): ", function ? function : "");
  if (n < 0) n = 0;
  if (static_cast<size_t>(n) < sizeof text - 1) {
    va_list args;
    va_start(args, format);
    vsnprintf(text + n, sizeof text - static_cast<size_t>(n), format, args);
    va_end(args);
  }
  PlatMessageBox("Velmora message", text);
  PlatExitProcess(1);
}
