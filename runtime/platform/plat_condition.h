#pragma once
// A condition waited on under the caller's own mutex, like
// std::condition_variable, but woken through a word of its own: a woken
// waiter takes the mutex back as any other thread does. The standard one
// takes it back marked as contended, so that the unlock after every wait is
// a system call even when nobody waits for the lock.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

class PlatCondition {
 public:
  PlatCondition() = default;
  PlatCondition(const PlatCondition&) = delete;
  PlatCondition& operator=(const PlatCondition&) = delete;

  // Wakes every thread waiting now; no system call when none waits.
  void NotifyAll();

  // Waits, with `lock` held on entry and on return, until `done()` holds.
  template <class Pred>
  void Wait(std::unique_lock<std::mutex>& lock, Pred done) {
    while (!done())
      WaitOnce(lock, -1);
  }

  // As Wait, for at most `ms` milliseconds; false when `done()` still does
  // not hold then.
  template <class Pred>
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds ms, Pred done) {
    const auto until = std::chrono::steady_clock::now() + ms;
    while (!done()) {
      const auto left =
          std::chrono::ceil<std::chrono::microseconds>(until - std::chrono::steady_clock::now());
      if (left.count() <= 0) return done();
      WaitOnce(lock, left.count());
    }
    return true;
  }

 private:
  // Leaves the lock, sleeps until a notification that came after the lock
  // was left (or `us` microseconds, when not negative), takes it back.
  void WaitOnce(std::unique_lock<std::mutex>& lock, int64_t us);

  std::atomic<uint32_t> sequence_{0};
  std::atomic<uint32_t> waiters_{0};
};
