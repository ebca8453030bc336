#include <cstdio>
#include <ctime>

#include "quelon/daemon_reports.h"
#include "quelon/report.h"
#include "text/status_text.h"

namespace {

constexpr ReportStyle kStyle = {
    .file = ".\\daemon_info.c",
    .put_code = "VelmoraIoPutEnum failed",
    .create_failed = "Can't create ioctl request",
    .exec = ReportExecStyle::Status,
    .status_line = "ERROR: Ioctl status: %s (%d)\n",
    .status_lost = "INTERNAL ERROR: Can't get ioctl request status!!!",
    .read_failed = nullptr,
};

struct Text {
  uint32_t length;
  const char* chars;  // not terminated
};

Text GetText(VelmoraIoctlHandle handle, const char* message) {
  Text text = {0, ""};
  if (!VelmoraIoGetCharString(handle, &text.length, &text.chars)) {
    ReportValueMissing(kStyle.file, message);
    text = {0, ""};
  }
  return text;
}

}  // namespace

bool DaemonInfoPrint(const VelmoraAddress* target) {
  ReportRequest request(kStyle, IOCTL_DAEMON_INFO);
  return DaemonInfoPrintReply(request.handle(), request.Execute(target));
}

bool DaemonInfoPrintReply(VelmoraIoctlHandle handle, VelmoraStatus status) {
  if (status != VELMORA_STATUS_OK) {
    VelmoraFailure failure = {};
    bool filled = IoctlGetFailure(handle, &failure);
    VelmoraPrintStatus(status, filled ? &failure : nullptr, nullptr);
    return false;
  }
  if (!ReportStatusOk(kStyle, handle)) return false;
  uint32_t major = ReportGetUnsigned(handle, kStyle.file, "Can't read major version");
  uint32_t minor = ReportGetUnsigned(handle, kStyle.file, "Can't read minor version");
  Text version = GetText(handle, "Can't read version string");
  Text build = GetText(handle, "Can't read build info");
  time_t started = time_t(ReportGetUnsigned(handle, kStyle.file, "Can't read start up time"));
  Text ipc = GetText(handle, "Can't read IPC connect info");
  if (ReportAnswerLost()) return false;
  char when[64] = "";
  if (!ctime_r(&started, when)) std::snprintf(when, sizeof when, "%lld\n", (long long)started);
  std::fputs("Daemon info:\n", stdout);
  std::printf(" Version         : %ld.%ld (%.*s)\n", long(major), long(minor), int(version.length),
              version.chars);
  std::printf(" Build info      : %.*s\n", int(build.length), build.chars);
  std::printf(" Daemon start up : %s", when);
  std::printf(" IPC connect     : %.*s\n", int(ipc.length), ipc.chars);
  return true;
}
