#include "runtime/platform/plat_thread.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

// Shared by the handle and the thread: a detached thread still marks its
// end here after its handle is gone.
struct ThreadEnd {
  std::mutex m;
  std::condition_variable cv;
  bool ended = false;
};

}  // namespace

struct PlatThread {
  std::thread thread;
  std::shared_ptr<ThreadEnd> end;
};

PlatThread* PlatThreadStart(PlatThreadRoutine routine, void* arg) {
  if (!routine) return nullptr;
  auto* handle = new (std::nothrow) PlatThread();
  if (!handle) return nullptr;
  try {
    handle->end = std::make_shared<ThreadEnd>();
    handle->thread = std::thread([routine, arg, end = handle->end] {
      routine(arg);
      std::lock_guard<std::mutex> guard(end->m);
      end->ended = true;
      end->cv.notify_all();
    });
  } catch (const std::exception&) {
    delete handle;
    return nullptr;
  }
  return handle;
}

PlatWaitResult PlatThreadWait(PlatThread* thread, uint32_t ms) {
  if (!thread || !thread->end) return PLAT_WAIT_FAILED;
  ThreadEnd& end = *thread->end;
  std::unique_lock<std::mutex> guard(end.m);
  if (end.ended) return PLAT_WAIT_OBJECT_0;
  if (thread->thread.get_id() == std::this_thread::get_id()) return PLAT_WAIT_TIMEOUT;
  if (ms == PLAT_INFINITE) {
    end.cv.wait(guard, [&end] { return end.ended; });
    return PLAT_WAIT_OBJECT_0;
  }
  return end.cv.wait_for(guard, std::chrono::milliseconds(ms), [&end] { return end.ended; })
             ? PLAT_WAIT_OBJECT_0
             : PLAT_WAIT_TIMEOUT;
}

bool PlatThreadHasEnded(PlatThread* thread) {
  if (!thread || !thread->end) return false;
  std::lock_guard<std::mutex> guard(thread->end->m);
  return thread->end->ended;
}

bool PlatThreadClose(PlatThread* thread) {
  if (!PlatThreadHasEnded(thread)) return false;
  // Ended: the join only waits for the few instructions after the mark.
  if (thread->thread.joinable()) thread->thread.join();
  delete thread;
  return true;
}

void PlatThreadDetach(PlatThread* thread) {
  if (!thread) return;
  if (thread->thread.joinable()) thread->thread.detach();
  delete thread;
}

void PlatThreadSetName(const char* name) {
  if (!name) return;
  char cut[16] = {};
  std::strncpy(cut, name, sizeof cut - 1);
  pthread_setname_np(pthread_self(), cut);
}
