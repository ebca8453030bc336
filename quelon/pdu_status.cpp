#include <cstdio>
#include <iterator>

#include "quelon/daemon_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleInline(".\\pdu_status.c");

constexpr const char* kMessages[] = {
    "Can't get parameter <total>\n",
    "Can't get parameter <free>\n",
};

}  // namespace

bool PduStatusGet(const VelmoraAddress* target, PduStatusRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters\n");
  uint32_t values[std::size(kMessages)] = {};
  if (!ReportGetFixed(kStyle, target, IOCTL_PDU_STATUS, values, kMessages)) return false;
  *record = {values[0], values[1]};
  return true;
}

void PduStatusPrintRecord(const PduStatusRecord* record) {
  std::printf("PDU status: total %lu, free %lu\n", (unsigned long)record->total,
              (unsigned long)record->free);
}

bool PduStatusPrint(const VelmoraAddress* target) {
  PduStatusRecord record = {};
  return ReportPrinted(
      PduStatusGet(target, &record), [&] { PduStatusPrintRecord(&record); }, "Error\n");
}
