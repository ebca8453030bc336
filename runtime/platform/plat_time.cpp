#include "runtime/platform/plat_time.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::atomic<PlatTickFn> g_tick_fn{nullptr};
std::atomic<PlatPidFn> g_pid_fn{nullptr};

}  // namespace

uint64_t PlatTickCount64(void) {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t PlatTickCount(void) {
  if (PlatTickFn fn = g_tick_fn.load()) return fn();
  return static_cast<uint32_t>(PlatTickCount64());
}

void PlatSleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint32_t PlatTestWait(const char* name, uint32_t standard) {
  const char* text = std::getenv(name);
  if (text == nullptr) return standard;
  const char* end = text + std::strlen(text);
  uint32_t value = 0;
  const auto [rest, error] = std::from_chars(text, end, value);
  return error == std::errc() && rest == end && value > 0 ? value : standard;
}

uint32_t PlatProcessId(void) {
  if (PlatPidFn fn = g_pid_fn.load()) return fn();
  return static_cast<uint32_t>(getpid());
}

PlatTickFn PlatSetTickCountFn(PlatTickFn fn) { return g_tick_fn.exchange(fn); }
PlatPidFn PlatSetProcessIdFn(PlatPidFn fn) { return g_pid_fn.exchange(fn); }
