#include <cstdio>

#include "quelon/app_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleInline(".\\app_pid_list_get.c");

}  // namespace

bool AppPidListGet(const VelmoraAddress* target, uint32_t applicationId,
                   std::vector<uint32_t>* pids) {
  if (!pids || applicationId == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_APP_PID_LIST_GET, applicationId,
                            "Can't put parameter <applicationId>\n", [&](VelmoraIoctlHandle h) {
                              return ReportReadList(kStyle, h, "Can't get PIDs count",
                                                    "Can't get PID", pids);
                            });
}

void AppPidListPrintHeader() { std::fputs("Registered PIDs of application:\n", stdout); }

void AppPidListPrintRecord(uint32_t applicationId, const std::vector<uint32_t>& pids) {
  std::printf(" App %lu:", (unsigned long)applicationId);
  if (pids.empty()) {
    std::fputs(" PIDs was not registered\n", stdout);
    return;
  }
  for (size_t i = 0; i < pids.size(); ++i)
    std::printf(i == 0 ? " %lu" : ", %lu", (unsigned long)pids[i]);
  std::fputs("\n", stdout);
}

bool AppPidListPrintOne(const VelmoraAddress* target, uint32_t applicationId) {
  std::vector<uint32_t> pids;
  return ReportPrinted(
      AppPidListGet(target, applicationId, &pids),
      [&] { AppPidListPrintRecord(applicationId, pids); }, "Error for application with id %lu\n",
      applicationId);
}

uint32_t AppPidListPrintAll(const VelmoraAddress* target) {
  AppPidListPrintHeader();
  return AppListForEach(target, AppPidListPrintOne);
}
