#include <cstdio>

#include "quelon/daemon_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStylePort(".\\nl_timeouts_get.c");

constexpr const char* kMessages[NL_TIMEOUTS_VALUES] = {
    "Can't get ptpTermTime\n",    "Can't get defaultTermTime\n",      "Can't get ptpSafetyTime\n",
    "Can't get findDnetTime\n",   "Can't get ptpConnectTime\n",       "Can't get connectAckTime\n",
    "Can't get routerBusyTime\n", "Can't get routerBrodcastPeriod\n",
};

constexpr const char* kLines[NL_TIMEOUTS_VALUES] = {
    "PTP termination timeout, sec     : %lu\n", "Default termination timeout, sec : %lu\n",
    "PTP safety timeout, ms           : %lu\n", "Find DNet timeout, ms            : %lu\n",
    "PTP connect timeout, ms          : %lu\n", "Connect ACK timeout, ms          : %lu\n",
    "Router busy timeout, ms          : %lu\n", "Brodcast WhoIsRouter period, sec : %lu\n",
};

}  // namespace

bool NlTimeoutsGet(const VelmoraAddress* target, NlTimeoutsRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportGetFixed(kStyle, target, IOCTL_NL_TIMEOUTS_GET, record->values, kMessages);
}

void NlTimeoutsPrintRecord(const NlTimeoutsRecord* record) {
  ReportPrintLines("", kLines, record->values);
  std::fputs("\n", stdout);
}

bool NlTimeoutsPrint(const VelmoraAddress* target) {
  NlTimeoutsRecord record = {};
  return ReportPrinted(
      NlTimeoutsGet(target, &record), [&] { NlTimeoutsPrintRecord(&record); }, "Error\n");
}
