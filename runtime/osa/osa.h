#pragma once
// The operating-system layer: reference-counted start-up under a named
// mutex, the log, the private heap with its counters, threads and the fatal
// assertion. Everything here is process-wide.

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "runtime/platform/plat_lock.h"
#include "runtime/platform/plat_thread.h"

// Serialises start-up and shut-down among all processes.
inline constexpr char OSA_INIT_MUTEX_NAME[] = "Velmora OSA Init Mutex";
// Below the configuration parameters key.
inline constexpr char OSA_LOG_KEY[] =
    "SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\OSA";
inline constexpr char OSA_LOG_VALUE[] = "LogFile";
inline constexpr size_t OSA_LOG_LINE_SIZE = 1024;

// Takes a reference; the first one starts the layer. The OSA lock (a
// re-entrant lock shared by the runtime's modules), or NULL on failure.
PlatLock* OsaInit(void);
// Drops a reference; the last one stops the layer. False when not started.
bool OsaTerm(void);
// Number of references held by this process.
uint32_t OsaRefCount(void);

// Log levels; OSA_LOG_DEBUG lines are never written.
inline constexpr int OSA_LOG_EMERGENCY = 0;
inline constexpr int OSA_LOG_ERROR = 1;
inline constexpr int OSA_LOG_WARNING = 2;
inline constexpr int OSA_LOG_INFO = 3;
inline constexpr int OSA_LOG_DEBUG = 4;

// One line to the log file ("%9u: [%u] LEVEL: " prefix) or, without one, to
// the debug output ("VELMORA LEVEL: " prefix). Lines are cut to fit 1024
// bytes with their line end. Any thread, any time (before start-up lines go
// to the debug output).
void OsaLog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void OsaLogV(int level, const char* format, va_list args) __attribute__((format(printf, 2, 0)));
// Called by OsaInit and OsaTerm only.
bool OsaLogOpen(void);
bool OsaLogClose(void);

// Called by OsaInit and OsaTerm only.
bool OsaHeapCreate(void);
bool OsaHeapDestroy(void);
// A block of the private heap (1 byte for size 0); NULL when the layer is
// not started or memory is out.
void* OsaMemAlloc(size_t size);
// The block count after the free; 0 for NULL or a failed free.
uint32_t OsaMemFree(void* block);

inline constexpr uint32_t OSA_STAT_BLOCKS = 0;   // private-heap blocks in use
inline constexpr uint32_t OSA_STAT_BYTES = 1;    // bytes those blocks hold
inline constexpr uint32_t OSA_STAT_THREADS = 2;  // threads started and not stopped
// The counter of that index; 0 for any other index.
uint32_t OsaStatGet(uint32_t index);

using OsaThreadRoutine = void (*)(void* arg);
using OsaThread = PlatThread*;
// NULL on failure.
OsaThread OsaThreadCreate(OsaThreadRoutine routine, void* arg);
// Closes the handle of an ended thread; a thread still running is detached
// and never touched again. False on failure (the handle is then kept).
bool OsaThreadStop(OsaThread thread);
// Waits up to ms for the thread's end, then stops it, logging a timeout or a
// failure with the thread's name.
void OsaThreadWaitStop(OsaThread thread, uint32_t ms, const char* name);

// A broken internal invariant: "Assertion failed in FUNCTION(): message" on
// standard error under the caption "Velmora message", then exit code 1.
[[noreturn]] void OsaAssertFail(const char* function, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
