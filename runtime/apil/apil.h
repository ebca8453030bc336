// What the interface's operations share: the image lock and the guard of a
// call in progress.
//
// Lock order: the image lock is taken before any lock of the transaction
// layer, never after (it is recursive: VelmoraReadObjectList holds it
// across VelmoraReadProperty). A shut-down first refuses new calls, fails
// the ones waiting for the daemon and waits for every call to leave, so
// that no call is inside the transaction layer when it frees its pools.
#pragma once

#include <cstdint>
#include <mutex>

// The image lock itself, for the library's own code.
std::recursive_mutex& ApilImageLock();
using ApilImageGuard = std::lock_guard<std::recursive_mutex>;

// Enters the image lock while the library is started; whether it did. The
// flag may change between the two calls: leave exactly what was entered.
bool ApilLock();
void ApilUnlock(bool taken);

// A call of the interface: false once the library is not started or its
// shut-down has begun. Every public operation holds one while it runs.
class ApilCall {
 public:
  ApilCall();
  ~ApilCall();
  ApilCall(const ApilCall&) = delete;
  ApilCall& operator=(const ApilCall&) = delete;
  explicit operator bool() const { return admitted_; }

 private:
  bool admitted_;
};

// True from the start of VelmoraTerminate until the library is stopped:
// a call that the shut-down failed reports that it was ended.
bool ApilTerminating();
// An internal status as such a call reports it: a lost link during the
// shut-down is the library stopping.
uint32_t ApilEnded(uint32_t status);
