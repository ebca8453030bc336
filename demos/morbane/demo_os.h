// The operating-system routines of the demo programs: a critical section,
// waits with a time limit, and threads started with one argument.
#pragma once

#include <cstdint>

#include "runtime/platform/plat_lock.h"
#include "runtime/platform/plat_sync.h"
#include "runtime/platform/plat_thread.h"

struct DemoCs {
  PlatLock lock;
};

// NULL when it cannot be allocated.
DemoCs* DemoCsCreate();
// False for NULL.
bool DemoCsDelete(DemoCs* section);
void DemoCsEnter(DemoCs* section);
void DemoCsLeave(DemoCs* section);

class DemoCsGuard {
 public:
  explicit DemoCsGuard(DemoCs* section) : section_(section) { DemoCsEnter(section_); }
  ~DemoCsGuard() { DemoCsLeave(section_); }
  DemoCsGuard(const DemoCsGuard&) = delete;
  DemoCsGuard& operator=(const DemoCsGuard&) = delete;

 private:
  DemoCs* section_;
};

// Outcomes of DemoWait.
inline constexpr uint32_t DEMO_WAIT_SIGNALLED = 0;
inline constexpr uint32_t DEMO_WAIT_TIMEOUT = 1;
inline constexpr uint32_t DEMO_WAIT_FAILED = 2;

// A semaphore: one unit taken. A thread: it has ended.
uint32_t DemoWait(PlatSemaphore* semaphore, uint32_t ms);
uint32_t DemoWait(PlatThread* thread, uint32_t ms);

using DemoThreadFunction = void (*)(void* argument);
// NULL when the thread cannot be started.
PlatThread* DemoThreadStart(DemoThreadFunction function, void* argument);
// Gives the handle back. A thread that has not ended yet cannot be stopped
// from outside here: it goes on alone and its end is not waited for.
void DemoThreadStop(PlatThread* thread);
