#pragma once
// Waitable objects and interlocked counters of the platform layer.

#include <atomic>
#include <cstdint>

// Milliseconds meaning "no time limit".
inline constexpr uint32_t PLAT_INFINITE = 0xFFFFFFFFu;

// Outcome of every wait of the layer.
using PlatWaitResult = uint32_t;
inline constexpr PlatWaitResult PLAT_WAIT_OBJECT_0 = 0;
inline constexpr PlatWaitResult PLAT_WAIT_TIMEOUT = 258;
inline constexpr PlatWaitResult PLAT_WAIT_FAILED = 0xFFFFFFFFu;

// Counting semaphore, unnamed.
struct PlatSemaphore;

// NULL when initial < 0, maximum < 1 or initial > maximum.
PlatSemaphore* PlatSemaphoreCreate(int32_t initial, int32_t maximum);
void PlatSemaphoreDestroy(PlatSemaphore* sem);
// Adds count (>= 1); false, with nothing added, when the count would pass the
// maximum. previous (may be NULL) receives the count before the release.
bool PlatSemaphoreRelease(PlatSemaphore* sem, int32_t count, int32_t* previous);
// Takes one unit, waiting without a time limit.
PlatWaitResult PlatSemaphoreWait(PlatSemaphore* sem);
// Takes one unit, waiting at most ms milliseconds (PLAT_INFINITE: no limit).
PlatWaitResult PlatSemaphoreWaitTimed(PlatSemaphore* sem, uint32_t ms);

// Whether the named object at path stands for a live service: the service
// keeps a shared lock on that file for as long as it runs, and the kernel
// drops the lock when it dies, so a file left behind by a dead one does not
// count (a named object of its own never outlives its owner either).
bool PlatNamedObjectHeld(const char* path);

// Event: manual reset stays set until reset; auto reset releases one waiter
// and clears itself.
struct PlatEvent;

PlatEvent* PlatEventCreate(bool manual_reset, bool initially_set);
void PlatEventDestroy(PlatEvent* event);
bool PlatEventSet(PlatEvent* event);
bool PlatEventReset(PlatEvent* event);
PlatWaitResult PlatEventWait(PlatEvent* event, uint32_t ms);

// Interlocked operations on plain 32-bit fields of records (the records stay
// trivially copyable). Increment and decrement return the new value; add,
// exchange and compare-exchange return the value before.
inline int32_t PlatAtomicIncrement(int32_t* value) {
  return std::atomic_ref<int32_t>(*value).fetch_add(1) + 1;
}
inline int32_t PlatAtomicDecrement(int32_t* value) {
  return std::atomic_ref<int32_t>(*value).fetch_sub(1) - 1;
}
inline int32_t PlatAtomicAdd(int32_t* value, int32_t delta) {
  return std::atomic_ref<int32_t>(*value).fetch_add(delta);
}
inline int32_t PlatAtomicExchange(int32_t* value, int32_t desired) {
  return std::atomic_ref<int32_t>(*value).exchange(desired);
}
inline int32_t PlatAtomicCompareExchange(int32_t* value, int32_t desired, int32_t expected) {
  std::atomic_ref<int32_t>(*value).compare_exchange_strong(expected, desired);
  return expected;
}
inline int32_t PlatAtomicLoad(int32_t* value) { return std::atomic_ref<int32_t>(*value).load(); }
inline void PlatAtomicStore(int32_t* value, int32_t desired) {
  std::atomic_ref<int32_t>(*value).store(desired);
}
