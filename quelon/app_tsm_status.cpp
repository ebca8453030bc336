#include <cstdio>

#include "quelon/app_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleInline(".\\app_tsm_status.c");

// The fatal texts of the counts, in reply order.
constexpr const char* kCountMessages[IOCTL_TSM_COUNT_COUNT] = {
    "Can't get total number cli TSM",
    "Can't get number of free cli TSM ",
    "Can't get number of cli TSM in IDLE state ",
    "Can't get number of cli TSM in SEGMENTED_REQUEST state ",
    "Can't get number of cli TSM in AWAIT_CONFIRMATION state ",
    "Can't get number of cli TSM in SEGMENTED_CONF state ",
    "Can't get number of total number srv TSM ",
    "Can't get number of free srv TSM ",
    "Can't get number of srv TSM in IDLE state ",
    "Can't get number of srv TSM in SEGMENTED_REQUEST state ",
    "Can't get number of srv TSM in AWAIT_RESPONSE state ",
    "Can't get number of srv TSM in SEGMENTED_RESPONSE state ",
};

// The first server count: the row has a blank more between the two pools.
constexpr uint32_t kServerCounts = IOCTL_SRV_TSM_TOTAL;

bool OutputParametersGet(AppTsmStatusRecord* record, VelmoraIoctlHandle handle) {
  if (!ReportStatusOk(kStyle, handle)) return false;
  for (uint32_t i = 0; i < IOCTL_TSM_COUNT_COUNT; ++i)
    record->counts[i] = ReportGetUnsigned(handle, kStyle.file, kCountMessages[i]);
  return true;
}

}  // namespace

bool AppTsmStatusGet(const VelmoraAddress* target, AppTsmStatusRecord* record) {
  if (!record || record->application_id == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_APP_TSM_STATUS, record->application_id,
                            "Can't put parameter <applicationId>\n",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void AppTsmStatusPrintHeader() {
  std::fputs(
      "Application TSMs status:\n"
      " Ap    Number of client TSM in state        Number of server TSM in state\n"
      " ID  Total Free  Idle  SegRq AwaCn SegCn  Total Free  Idle  SegRq AwaRe SegRe\n"
      " --  ----- ----- ----- ----- ----- -----  ----- ----- ----- ----- ----- -----\n",
      stdout);
}

void AppTsmStatusPrintRecord(const AppTsmStatusRecord* record) {
  std::printf(" %2lu  ", (unsigned long)record->application_id);
  for (uint32_t i = 0; i < IOCTL_TSM_COUNT_COUNT; ++i) {
    if (i == kServerCounts) std::fputs(" ", stdout);
    std::printf("%5lu ", (unsigned long)record->counts[i]);
  }
  std::fputs("\n", stdout);
}

bool AppTsmStatusPrintOne(const VelmoraAddress* target, uint32_t applicationId) {
  AppTsmStatusRecord record = {};
  record.application_id = applicationId;
  return ReportPrinted(
      AppTsmStatusGet(target, &record), [&] { AppTsmStatusPrintRecord(&record); },
      "Error for application with id %lu\n", applicationId);
}

uint32_t AppTsmStatusPrintAll(const VelmoraAddress* target) {
  AppTsmStatusPrintHeader();
  return AppListForEach(target, AppTsmStatusPrintOne);
}
