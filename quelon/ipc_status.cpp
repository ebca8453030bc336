#include <cstdio>

#include "quelon/ipc_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleTerse(".\\ipc_status.c");

constexpr const char* kLines[IPC_STATUS_VALUES] = {
    " Maximum count of applications    : %ld\n",
    " Number of connected applications : %ld\n",
    " Total size of IPC buffers (bytes): %ld\n",
    " Count of IPC buffers             : %ld\n",
};

}  // namespace

bool IpcStatusGet(const VelmoraAddress* target, IpcStatusRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportGetFixed(kStyle, target, IOCTL_IPC_STATUS, record->values);
}

bool IpcStatusPrint(const VelmoraAddress* target) {
  IpcStatusRecord record = {};
  return ReportPrinted(
      IpcStatusGet(target, &record),
      [&] { ReportPrintLines("IPC status:\n", kLines, record.values); }, nullptr);
}
