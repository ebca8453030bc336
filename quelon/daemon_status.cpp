#include "quelon/daemon_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleTerse(".\\daemon_status.c");

constexpr const char* kLines[DAEMON_STATUS_VALUES] = {
    " Uptime            : %lu\n",
    " Number of threads : %lu\n",
    " Used memory size (Kbytes): %lu\n",
};

}  // namespace

bool DaemonStatusGet(const VelmoraAddress* target, DaemonStatusRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportGetFixed(kStyle, target, IOCTL_DAEMON_STATUS, record->values);
}

bool DaemonStatusPrint(const VelmoraAddress* target) {
  DaemonStatusRecord record = {};
  return ReportPrinted(
      DaemonStatusGet(target, &record),
      [&] { ReportPrintLines("Daemon status:\n", kLines, record.values); }, nullptr);
}
