#include "runtime/platform/plat_condition.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <climits>

namespace {

void FutexWait(std::atomic<uint32_t>* word, uint32_t seen, int64_t us) {
  timespec limit{};
  if (us >= 0) {
    limit.tv_sec = time_t(us / 1000000);
    limit.tv_nsec = long(us % 1000000) * 1000;
  }
  // Returns at once when the word no longer holds `seen`; an interrupted or
  // timed-out wait is the caller's to tell by its predicate.
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, seen,
          us >= 0 ? &limit : nullptr, nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
          nullptr, 0);
}

}  // namespace

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));

void PlatCondition::NotifyAll() {
  // The waiter counts itself before it checks the word in its wait, and the
  // notifier moves the word before it looks at the count: one of the two
  // sees the other (both are full barriers), so no wake-up is lost.
  sequence_.fetch_add(1);
  if (waiters_.load() != 0) FutexWakeAll(&sequence_);
}

void PlatCondition::WaitOnce(std::unique_lock<std::mutex>& lock, int64_t us) {
  // Read under the lock: a notification for a change made after the lock
  // is left moves the word past `seen`.
  const uint32_t seen = sequence_.load();
  waiters_.fetch_add(1);
  lock.unlock();
  FutexWait(&sequence_, seen, us);
  waiters_.fetch_sub(1);
  lock.lock();
}
