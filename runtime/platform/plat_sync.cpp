#include "runtime/platform/plat_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace {

// Waits for ready() under guard for at most ms (PLAT_INFINITE: no limit).
template <class Ready>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& guard, uint32_t ms,
             Ready ready) {
  if (ms == PLAT_INFINITE) {
    cv.wait(guard, ready);
    return true;
  }
  return cv.wait_for(guard, std::chrono::milliseconds(ms), ready);
}

}  // namespace

struct PlatSemaphore {
  std::mutex m;
  std::condition_variable cv;
  int32_t count;
  int32_t maximum;
};

PlatSemaphore* PlatSemaphoreCreate(int32_t initial, int32_t maximum) {
  if (initial < 0 || maximum < 1 || initial > maximum) return nullptr;
  auto* sem = new (std::nothrow) PlatSemaphore();
  if (!sem) return nullptr;
  sem->count = initial;
  sem->maximum = maximum;
  return sem;
}

void PlatSemaphoreDestroy(PlatSemaphore* sem) { delete sem; }

bool PlatSemaphoreRelease(PlatSemaphore* sem, int32_t count, int32_t* previous) {
  if (!sem || count < 1) return false;
  std::lock_guard<std::mutex> guard(sem->m);
  if (count > sem->maximum - sem->count) return false;
  if (previous) *previous = sem->count;
  sem->count += count;
  if (count == 1) {
    sem->cv.notify_one();
  } else {
    sem->cv.notify_all();
  }
  return true;
}

PlatWaitResult PlatSemaphoreWait(PlatSemaphore* sem) {
  return PlatSemaphoreWaitTimed(sem, PLAT_INFINITE);
}

PlatWaitResult PlatSemaphoreWaitTimed(PlatSemaphore* sem, uint32_t ms) {
  if (!sem) return PLAT_WAIT_FAILED;
  std::unique_lock<std::mutex> guard(sem->m);
  if (!WaitFor(sem->cv, guard, ms, [sem] { return sem->count > 0; })) return PLAT_WAIT_TIMEOUT;
  --sem->count;
  return PLAT_WAIT_OBJECT_0;
}

bool PlatNamedObjectHeld(const char* path) {
  if (!path || !*path) return false;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  // An exclusive lock would conflict with any holder's shared lock.
  bool held = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  close(fd);
  return held;
}

struct PlatEvent {
  std::mutex m;
  std::condition_variable cv;
  bool manual_reset;
  bool set;
};

PlatEvent* PlatEventCreate(bool manual_reset, bool initially_set) {
  auto* event = new (std::nothrow) PlatEvent();
  if (!event) return nullptr;
  event->manual_reset = manual_reset;
  event->set = initially_set;
  return event;
}

void PlatEventDestroy(PlatEvent* event) { delete event; }

bool PlatEventSet(PlatEvent* event) {
  if (!event) return false;
  std::lock_guard<std::mutex> guard(event->m);
  event->set = true;
  if (event->manual_reset) {
    event->cv.notify_all();
  } else {
    event->cv.notify_one();
  }
  return true;
}

bool PlatEventReset(PlatEvent* event) {
  if (!event) return false;
  std::lock_guard<std::mutex> guard(event->m);
  event->set = false;
  return true;
}

PlatWaitResult PlatEventWait(PlatEvent* event, uint32_t ms) {
  if (!event) return PLAT_WAIT_FAILED;
  std::unique_lock<std::mutex> guard(event->m);
  if (!WaitFor(event->cv, guard, ms, [event] { return event->set; })) return PLAT_WAIT_TIMEOUT;
  if (!event->manual_reset) event->set = false;
  return PLAT_WAIT_OBJECT_0;
}
