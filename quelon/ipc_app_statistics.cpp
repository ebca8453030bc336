#include <cstdio>

#include "quelon/app_reports.h"
#include "quelon/ipc_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleTerse(".\\ipc_app_statistics.c");

// The columns read then write: each pair of reply values is written then read.
constexpr uint32_t kColumns[IPC_APP_STATISTICS_VALUES] = {1, 0, 3, 2, 5, 4};

bool OutputParametersGet(IpcAppStatisticsRecord* record, VelmoraIoctlHandle handle) {
  return ReportStatusOk(kStyle, handle) && ReportGetValues(handle, record->values);
}

}  // namespace

bool IpcAppStatisticsGet(const VelmoraAddress* target, IpcAppStatisticsRecord* record) {
  if (!record || record->application_id == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_IPC_APP_STATISTICS, record->application_id,
                            "Can't put parameter <applicationId>\n",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void IpcAppStatisticsPrintHeader() {
  std::fputs(
      "IPC application statistic:\n"
      " App     bytes            bufs           calls\n"
      " ID   read    write   read    write   read    write\n"
      " --   -------------   -------------   -------------\n",
      stdout);
}

void IpcAppStatisticsPrintRecord(const IpcAppStatisticsRecord* record) {
  std::printf(" %2lu", (unsigned long)record->application_id);
  for (uint32_t column : kColumns)
    std::printf(" %7ld", long(record->values[column]));
  std::fputs("\n", stdout);
}

bool IpcAppStatisticsPrintOne(const VelmoraAddress* target, uint32_t applicationId) {
  IpcAppStatisticsRecord record = {};
  record.application_id = applicationId;
  return ReportPrinted(
      IpcAppStatisticsGet(target, &record), [&] { IpcAppStatisticsPrintRecord(&record); },
      "Error for application with id %lu\n", applicationId);
}

uint32_t IpcAppStatisticsPrintAll(const VelmoraAddress* target) {
  IpcAppStatisticsPrintHeader();
  return AppListForEach(target, IpcAppStatisticsPrintOne);
}
