#include <cstdio>

#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStylePort(".\\port_to_nets.c");

bool OutputParametersGet(PortToNetsRecord* record, VelmoraIoctlHandle handle) {
  if (!record) Fatal(kStyle.file, "Invalid arguments\n");
  std::vector<uint32_t> networks;
  if (!ReportReadList(kStyle, handle, "Can't get net count\n", "Can't get net number\n", &networks,
                      UINT16_MAX))
    return false;
  record->networks.assign(networks.begin(), networks.end());
  return true;
}

}  // namespace

bool PortToNetsGet(const VelmoraAddress* target, PortToNetsRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters");
  return ReportRunWithInput(kStyle, target, IOCTL_PORT_TO_NETS, record->port_id,
                            "Can't put parameter <portId>",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void PortToNetsPrintRecord(const PortToNetsRecord* record) {
  if (record->networks.empty()) std::fputs(" Port is disabled", stdout);
  for (size_t i = 0; i < record->networks.size(); ++i)
    std::printf(i == 0 ? " %u" : ", %u", unsigned(record->networks[i]));
  std::fputs("\n", stdout);
}

bool PortToNetsPrintOne(const VelmoraAddress* target, uint32_t portId) {
  PortToNetsRecord record;
  record.port_id = portId;
  return ReportPrinted(
      PortToNetsGet(target, &record), [&] { PortToNetsPrintRecord(&record); },
      "Error for port id %lu\n", portId);
}

uint32_t PortToNetsPrintAll(const VelmoraAddress* target) {
  std::fputs("List all networks accessible through port:\n", stdout);
  return PortListForEach(target, PortToNetsPrintOne);
}
