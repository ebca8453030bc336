#pragma once
// Threads: start with one argument, timed wait for the end. There is no
// forced stop: a thread that does not end is detached and left alone.

#include <cstdint>

#include "runtime/platform/plat_sync.h"

struct PlatThread;
using PlatThreadRoutine = void (*)(void* arg);

// NULL when the thread cannot be started.
PlatThread* PlatThreadStart(PlatThreadRoutine routine, void* arg);
// PLAT_WAIT_OBJECT_0 once the routine has returned, PLAT_WAIT_TIMEOUT after
// ms milliseconds (PLAT_INFINITE: no limit). A thread waiting for itself
// gets PLAT_WAIT_TIMEOUT at once.
PlatWaitResult PlatThreadWait(PlatThread* thread, uint32_t ms);
// Whether the routine has returned.
bool PlatThreadHasEnded(PlatThread* thread);
// Joins an ended thread and frees its handle; false (handle kept) while the
// thread still runs.
bool PlatThreadClose(PlatThread* thread);
// Frees the handle of a thread that may still run; the thread goes on alone
// and its end is never observed.
void PlatThreadDetach(PlatThread* thread);
// Names the calling thread for debuggers and tools (cut to the system's 15
// characters).
void PlatThreadSetName(const char* name);
