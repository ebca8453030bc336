#include <cstdio>

#include "quelon/ipc_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleTerse(".\\ipc_statistics.c");

constexpr const char* kLines[IPC_STATISTICS_VALUES] = {
    " Number of incoming connections   : %ld\n", " Number of accepted connections   : %ld\n",
    " Number of init-OK                : %ld\n", " Number of closed                 : %ld\n",
    " Number of lost connection        : %ld\n", " Number of disconnected by daemon : %ld\n",
};

}  // namespace

bool IpcStatisticsGet(const VelmoraAddress* target, IpcStatisticsRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportGetFixed(kStyle, target, IOCTL_IPC_STATISTICS, record->values);
}

bool IpcStatisticsPrint(const VelmoraAddress* target) {
  IpcStatisticsRecord record = {};
  return ReportPrinted(
      IpcStatisticsGet(target, &record),
      [&] { ReportPrintLines("IPC statistics:\n", kLines, record.values); }, nullptr);
}
