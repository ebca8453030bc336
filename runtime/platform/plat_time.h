#pragma once
// Clock, sleep and process identity. Tick count and process id can be
// replaced by a test, so that log lines become exact.

#include <cstdint>

// Milliseconds of a monotonic clock, wrapping after about 49.7 days.
uint32_t PlatTickCount(void);
// The same clock without the wrap; never replaced (deadlines use it).
uint64_t PlatTickCount64(void);
void PlatSleep(uint32_t ms);
uint32_t PlatProcessId(void);
// A program's fixed wait or time-out, which its tests shorten: the whole
// positive number in the environment variable `name` when it holds one,
// else `standard` (what users always get; the variables are the tests').
uint32_t PlatTestWait(const char* name, uint32_t standard);

using PlatTickFn = uint32_t (*)(void);
using PlatPidFn = uint32_t (*)(void);
// Replace the source of PlatTickCount / PlatProcessId; NULL restores the
// system's. Each returns the source it replaces (NULL for the system's).
PlatTickFn PlatSetTickCountFn(PlatTickFn fn);
PlatPidFn PlatSetProcessIdFn(PlatPidFn fn);
