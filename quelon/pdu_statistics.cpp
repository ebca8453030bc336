#include <cstdio>
#include <iterator>

#include "quelon/daemon_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleInline(".\\pdu_statistics.c");

constexpr const char* kMessages[] = {
    "Can't get parameter <alloc>\n",
    "Can't get parameter <fail>\n",
};

}  // namespace

bool PduStatisticsGet(const VelmoraAddress* target, PduStatisticsRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  uint32_t values[std::size(kMessages)] = {};
  if (!ReportGetFixed(kStyle, target, IOCTL_PDU_STATISTICS, values, kMessages)) return false;
  *record = {values[0], values[1]};
  return true;
}

void PduStatisticsPrintRecord(const PduStatisticsRecord* record) {
  std::printf("PDU statistics: allocated %lu, failures %lu\n", (unsigned long)record->allocated,
              (unsigned long)record->failures);
}

bool PduStatisticsPrint(const VelmoraAddress* target) {
  PduStatisticsRecord record = {};
  return ReportPrinted(
      PduStatisticsGet(target, &record), [&] { PduStatisticsPrintRecord(&record); }, "Error\n");
}
