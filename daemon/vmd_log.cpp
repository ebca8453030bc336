// The daemon's log lines: to its file, or to stderr unless it is quiet, and
// the last of them kept for tests.
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "daemon/vmd_internal.h"

namespace {

constexpr size_t kLogKeep = 4000;

void Write(VmdLogBook* log, const char* fmt, va_list ap) {
  char msg[512];
  vsnprintf(msg, sizeof msg, fmt, ap);
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t;
  localtime_r(&ts.tv_sec, &t);
  char stamp[32];
  strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &t);
  char line[600];
  snprintf(line, sizeof line, "%s.%03ld velmorad: %s", stamp, ts.tv_nsec / 1000000, msg);
  std::lock_guard<std::mutex> lock(log->mu);
  if (log->file) {
    fprintf(log->file, "%s\n", line);
    fflush(log->file);
  } else if (!log->quiet) {
    fprintf(stderr, "%s\n", line);
  }
  log->lines.emplace_back(msg);
  if (log->lines.size() > kLogKeep) log->lines.pop_front();
  log->cv.notify_all();
}

}  // namespace

void VmdLogTo(VmdLogBook* log, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  Write(log, fmt, ap);
  va_end(ap);
}

void VmdLog(VmdServer* s, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  Write(&s->log, fmt, ap);
  va_end(ap);
}

std::vector<std::string> VmdLogLines(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->log.mu);
  return {s->log.lines.begin(), s->log.lines.end()};
}

bool VmdWaitLog(VmdServer* s, const std::string& fragment, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->log.mu);
  return s->log.cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const std::string& l : s->log.lines)
      if (l.find(fragment) != std::string::npos) return true;
    return false;
  });
}
