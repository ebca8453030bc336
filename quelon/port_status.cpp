#include <cstdio>
#include <iterator>

#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStylePort(".\\port_status.c");

constexpr const char* kStatusNames[] = {"disconnected", "in_progress", "connected", "permanent"};

bool OutputParametersGet(uint32_t* status, VelmoraIoctlHandle handle) {
  if (!status) Fatal(kStyle.file, "Invalid arguments\n");
  if (!ReportStatusOk(kStyle, handle)) return false;
  *status = ReportGetEnum(handle, kStyle.file, "Can't get 'status'\n");
  return true;
}

}  // namespace

bool PortStatusGet(const VelmoraAddress* target, uint32_t portId, uint32_t* status) {
  if (!status) Fatal(kStyle.file, "Invalid parameters");
  return ReportRunWithInput(kStyle, target, IOCTL_PORT_STATUS, portId,
                            "Can't put parameter <portId>",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(status, h); });
}

void PortStatusPrintRecord(uint32_t status) {
  if (status < std::size(kStatusNames))
    std::printf(" %s", kStatusNames[status]);
  else
    std::printf(" unknown (%u)", unsigned(status));
  std::fputs("\n", stdout);
}

bool PortStatusPrintOne(const VelmoraAddress* target, uint32_t portId) {
  uint32_t status = 0;
  return ReportPrinted(
      PortStatusGet(target, portId, &status), [&] { PortStatusPrintRecord(status); },
      "Error for port id %lu\n", portId);
}

uint32_t PortStatusPrintAll(const VelmoraAddress* target) {
  std::fputs("Port status:\n", stdout);
  return PortListForEach(target, PortStatusPrintOne);
}
