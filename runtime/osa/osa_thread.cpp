#include "runtime/osa/osa.h"
#include "runtime/osa/osa_internal.h"
#include "runtime/platform/plat_sync.h"

// The live-thread counter counts from creation, so that a thread stopped
// before it first runs never takes it below zero.
OsaThread OsaThreadCreate(OsaThreadRoutine routine, void* arg) {
  if (!routine) return nullptr;
  PlatAtomicIncrement(&g_osa_stats[OSA_STAT_THREADS]);
  PlatThread* thread = PlatThreadStart(routine, arg);
  if (!thread) PlatAtomicDecrement(&g_osa_stats[OSA_STAT_THREADS]);
  return thread;
}

// There is no safe forced stop: a thread still running is let go and its
// resources stay its own. Owners make their threads end cooperatively.
bool OsaThreadStop(OsaThread thread) {
  if (!thread) return false;
  const PlatWaitResult result = PlatThreadWait(thread, 0);
  if (result == PLAT_WAIT_OBJECT_0) {
    if (!PlatThreadClose(thread)) return false;
  } else if (result == PLAT_WAIT_TIMEOUT) {
    PlatThreadDetach(thread);
  } else {
    return false;
  }
  PlatAtomicDecrement(&g_osa_stats[OSA_STAT_THREADS]);
  return true;
}

void OsaThreadWaitStop(OsaThread thread, uint32_t ms, const char* name) {
  if (!name) name = "";
  const PlatWaitResult result = PlatThreadWait(thread, ms);
  if (result != PLAT_WAIT_OBJECT_0) {
    OsaLog(OSA_LOG_ERROR, "Wait for %s thread %s", name,
           result == PLAT_WAIT_TIMEOUT ? "timeout" : "failed");
  }
  if (!OsaThreadStop(thread)) OsaLog(OSA_LOG_ERROR, "Terminate %s thread failed", name);
}
