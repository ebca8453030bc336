#include "runtime/platform/plat_debug.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// Whole lines with one write each, so lines of several threads or
// processes never mix.
void WriteStderr(const char* text, size_t length) {
  while (length > 0) {
    const ssize_t n = write(STDERR_FILENO, text, length);
    if (n <= 0) return;
    text += n;
    length -= static_cast<size_t>(n);
  }
}

void StderrSink(void*, const char* text) { WriteStderr(text, strlen(text)); }

std::mutex g_sink_lock;
PlatDebugSink g_sink = StderrSink;
void* g_sink_context = nullptr;
std::atomic<PlatCheckFn> g_check_fn{nullptr};

bool IsLinux() {
  struct utsname name;
  return uname(&name) == 0 && strcmp(name.sysname, "Linux") == 0;
}

}  // namespace

void PlatDebugOutput(const char* text) {
  if (!text) return;
  // The sink runs under the lock: a sink being replaced is never still in use.
  std::lock_guard<std::mutex> guard(g_sink_lock);
  g_sink(g_sink_context, text);
}

void PlatSetDebugSink(PlatDebugSink sink, void* context) {
  std::lock_guard<std::mutex> guard(g_sink_lock);
  g_sink = sink ? sink : StderrSink;
  g_sink_context = sink ? context : nullptr;
}

void PlatMessageBox(const char* caption, const char* text) {
  const std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "") + "\n";
  WriteStderr(line.data(), line.size());
}

void PlatExitProcess(int code) {
  fflush(nullptr);
  _exit(code);
}

bool PlatCheckPlatform(void) {
  if (PlatCheckFn fn = g_check_fn.load()) return fn();
  return IsLinux();
}

PlatCheckFn PlatSetPlatformCheckFn(PlatCheckFn fn) { return g_check_fn.exchange(fn); }
