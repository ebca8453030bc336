#include <cstdio>

#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStylePort(".\\port_statistics.c");

bool OutputParametersGet(PortStatisticsRecord* record, VelmoraIoctlHandle handle) {
  if (!record) Fatal(kStyle.file, "Invalid arguments\n");
  if (!ReportStatusOk(kStyle, handle)) return false;
  record->received = ReportGetUnsigned(handle, kStyle.file, "Can't get 'received'\n");
  record->sent = ReportGetUnsigned(handle, kStyle.file, "Can't get 'sent'\n");
  return true;
}

}  // namespace

bool PortStatisticsGet(const VelmoraAddress* target, PortStatisticsRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters");
  return ReportRunWithInput(kStyle, target, IOCTL_PORT_STATISTICS, record->port_id,
                            "Can't put parameter <portId>",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void PortStatisticsPrintRecord(const PortStatisticsRecord* record) {
  std::printf(" received packets: %lu,", (unsigned long)record->received);
  std::printf(" sent packets: %lu\n", (unsigned long)record->sent);
}

bool PortStatisticsPrintOne(const VelmoraAddress* target, uint32_t portId) {
  PortStatisticsRecord record = {};
  record.port_id = portId;
  return ReportPrinted(
      PortStatisticsGet(target, &record), [&] { PortStatisticsPrintRecord(&record); },
      "Error for port id %lu\n", portId);
}

uint32_t PortStatisticsPrintAll(const VelmoraAddress* target) {
  std::fputs("Port statistics:\n", stdout);
  return PortListForEach(target, PortStatisticsPrintOne);
}
