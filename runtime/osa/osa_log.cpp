#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>

#include "runtime/osa/osa.h"
#include "runtime/osa/osa_internal.h"
#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_file.h"
#include "runtime/platform/plat_registry.h"
#include "runtime/platform/plat_time.h"

namespace {

// Indexed by level, OSA_LOG_EMERGENCY to OSA_LOG_INFO.
constexpr const char* kLevelText[] = {"EMERGENCY", "ERROR", "WARNING", "INFO"};
static_assert(std::size(kLevelText) == OSA_LOG_DEBUG);

// Always usable, so that lines logged before start-up or after shut-down go
// to the debug output instead of a dead lock.
std::mutex g_log_lock;
PlatAppendFile* g_log_file = nullptr;
char g_line[OSA_LOG_LINE_SIZE];

// The message is cut so that prefix, message and line end (CR LF, or LF and
// the terminator) always fit the buffer.
constexpr size_t kMaxText = OSA_LOG_LINE_SIZE - 2;

}  // namespace

void OsaLogV(int level, const char* format, va_list args) {
  if (level == OSA_LOG_DEBUG) return;
  const char* text = (level >= OSA_LOG_EMERGENCY && level < OSA_LOG_DEBUG) ? kLevelText[level] : "";
  std::lock_guard<std::mutex> guard(g_log_lock);
  int n;
  if (g_log_file) {
    n = snprintf(g_line, sizeof g_line, "%9" PRIu32 ": [%" PRIu32 "] %s: ", PlatTickCount(),
                 PlatProcessId(), text);
  } else {
    n = snprintf(g_line, sizeof g_line, "VELMORA %s: ", text);
  }
  size_t length =
      n < 0 ? 0 : (static_cast<size_t>(n) > kMaxText ? kMaxText : static_cast<size_t>(n));
  const int m = format ? vsnprintf(g_line + length, kMaxText - length + 1, format, args) : 0;
  if (m > 0)
    length +=
        static_cast<size_t>(m) > kMaxText - length ? kMaxText - length : static_cast<size_t>(m);
  if (g_log_file) {
    g_line[length++] = '\r';
    g_line[length++] = '\n';
    // One write: lines of processes appending to the same file stay whole.
    PlatAppendFileWrite(g_log_file, g_line, length);
  } else {
    g_line[length++] = '\n';
    g_line[length] = '\0';
    PlatDebugOutput(g_line);
  }
}

void OsaLog(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  OsaLogV(level, format, args);
  va_end(args);
}

void OsaLogRegistryDetail(void) {
  char detail[512];
  if (PlatRegErrorDetail(detail, sizeof detail) > 0) OsaLog(OSA_LOG_ERROR, "Registry: %s", detail);
}

bool OsaLogOpen(void) {
  char name[OSA_LOG_LINE_SIZE];
  uint32_t size = sizeof name;
  uint32_t type = PLAT_REG_NONE;
  PlatRegKey* key = nullptr;
  PlatRegStatus status = PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, OSA_LOG_KEY, PLAT_KEY_READ, &key);
  if (status == PLAT_ERROR_SUCCESS) {
    status = PlatRegQueryValue(key, OSA_LOG_VALUE, &type, name, &size);
    PlatRegCloseKey(key);
  }
  if (status == PLAT_ERROR_FILE_NOT_FOUND) return true;
  if (status == PLAT_ERROR_SUCCESS && type != PLAT_REG_SZ) {
    OsaLog(OSA_LOG_ERROR, "Invalid LogFile parameter. Type: %" PRId32, static_cast<int32_t>(type));
    return false;
  }
  // A name that fills the buffer without its terminator is too long.
  if (status == PLAT_ERROR_SUCCESS && (size == 0 || name[size - 1] != '\0')) {
    if (size == sizeof name) {
      status = PLAT_ERROR_MORE_DATA;
    } else {
      name[size] = '\0';
    }
  }
  if (status != PLAT_ERROR_SUCCESS) {
    OsaLog(OSA_LOG_ERROR, "Can't read LOG_FILE. error = %" PRId32, status);
    OsaLogRegistryDetail();
    return false;
  }
  int32_t error = 0;
  PlatAppendFile* file = PlatAppendFileOpen(name, &error);
  if (!file) {
    OsaLog(OSA_LOG_ERROR, "Cannot open specified log file: Error=%" PRId32, error);
    return false;
  }
  std::lock_guard<std::mutex> guard(g_log_lock);
  PlatAppendFileClose(g_log_file);
  g_log_file = file;
  return true;
}

bool OsaLogClose(void) {
  std::lock_guard<std::mutex> guard(g_log_lock);
  PlatAppendFileClose(g_log_file);
  g_log_file = nullptr;
  return true;
}
