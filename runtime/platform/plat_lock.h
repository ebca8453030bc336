#pragma once
// Locks of the platform layer: a re-entrant lock that records embed, and a
// named mutex that serialises work among all processes using the same name.

#include <cstddef>
#include <mutex>

// Re-entrant: the owning thread may enter again and must leave as often.
// Raw storage keeps records that embed a lock trivially copyable (they can be
// zeroed); PlatLockInit constructs it, PlatLockDelete destroys it.
struct PlatLock {
  alignas(std::recursive_mutex) unsigned char storage[sizeof(std::recursive_mutex)];
};

void PlatLockInit(PlatLock* lock);
void PlatLockDelete(PlatLock* lock);
void PlatLockEnter(PlatLock* lock);
bool PlatLockTryEnter(PlatLock* lock);
void PlatLockLeave(PlatLock* lock);

// Scope guard for C++ callers; a NULL lock is no lock.
class PlatLockGuard {
 public:
  explicit PlatLockGuard(PlatLock* lock) : lock_(lock) {
    if (lock_) PlatLockEnter(lock_);
  }
  ~PlatLockGuard() {
    if (lock_) PlatLockLeave(lock_);
  }
  PlatLockGuard(const PlatLockGuard&) = delete;
  PlatLockGuard& operator=(const PlatLockGuard&) = delete;

 private:
  PlatLock* lock_;
};

// Named mutex: re-entrant within its owning thread, exclusive across threads
// and processes. Backed by an flock on a file named after the mutex in the
// runtime directory ($XDG_RUNTIME_DIR/velmora, else /tmp/velmora-UID).
struct PlatNamedMutex;

// Creates or opens the mutex; NULL when its lock file cannot be opened.
PlatNamedMutex* PlatNamedMutexOpen(const char* name);
// Waits without a time limit; false only on a system failure.
bool PlatNamedMutexWait(PlatNamedMutex* mutex);
// False when the calling thread does not own the mutex.
bool PlatNamedMutexRelease(PlatNamedMutex* mutex);
void PlatNamedMutexClose(PlatNamedMutex* mutex);

// Directory for the files behind named objects, created on demand; the
// length written (terminator not counted), 0 when it does not fit.
size_t PlatRuntimeDir(char* buffer, size_t room);
