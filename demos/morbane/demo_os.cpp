#include "demos/morbane/demo_os.h"

#include <cstdlib>
#include <new>

DemoCs* DemoCsCreate() {
  auto* section = new (std::nothrow) DemoCs;
  if (section) PlatLockInit(&section->lock);
  return section;
}

bool DemoCsDelete(DemoCs* section) {
  if (!section) return false;
  PlatLockDelete(&section->lock);
  delete section;
  return true;
}

void DemoCsEnter(DemoCs* section) { PlatLockEnter(&section->lock); }

void DemoCsLeave(DemoCs* section) { PlatLockLeave(&section->lock); }

namespace {

uint32_t WaitOutcome(PlatWaitResult result) {
  if (result == PLAT_WAIT_OBJECT_0) return DEMO_WAIT_SIGNALLED;
  return result == PLAT_WAIT_TIMEOUT ? DEMO_WAIT_TIMEOUT : DEMO_WAIT_FAILED;
}

struct ThreadStart {
  DemoThreadFunction function;
  void* argument;
};

void DemoThreadMain(void* block) {
  ThreadStart start = *static_cast<ThreadStart*>(block);
  std::free(block);
  start.function(start.argument);
}

}  // namespace

uint32_t DemoWait(PlatSemaphore* semaphore, uint32_t ms) {
  return semaphore ? WaitOutcome(PlatSemaphoreWaitTimed(semaphore, ms)) : DEMO_WAIT_FAILED;
}

uint32_t DemoWait(PlatThread* thread, uint32_t ms) {
  return thread ? WaitOutcome(PlatThreadWait(thread, ms)) : DEMO_WAIT_FAILED;
}

PlatThread* DemoThreadStart(DemoThreadFunction function, void* argument) {
  if (!function) return nullptr;
  auto* start = static_cast<ThreadStart*>(std::malloc(sizeof(ThreadStart)));
  if (!start) return nullptr;
  *start = ThreadStart{function, argument};
  PlatThread* thread = PlatThreadStart(DemoThreadMain, start);
  if (!thread) std::free(start);
  return thread;
}

void DemoThreadStop(PlatThread* thread) {
  if (!thread) return;
  if (DemoWait(thread, 0) == DEMO_WAIT_SIGNALLED)
    PlatThreadClose(thread);
  else
    PlatThreadDetach(thread);
}
