#include <cstdio>
#include <cstring>

#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStylePort(".\\port_info.c");

constexpr const char* kKindNames[PORT_KIND_COUNT] = {
    "UNKNOWN",
    "Virtual",
    "Ethernet",
    "B/IP",
    "ARCnet",
    "LonTalk",
    "T/IP",
    "MS/TP",
    "NULL",
    "PTP",
    "B/HTTP (server)",
    "B/HTTP (client)",
    "PTP B/HTTP (server)",
    "PTP B/HTTP (client)",
};

// Port types and protocols as the daemon reports them.
constexpr uint32_t kPhysical = 0, kVirtual = 1, kPtp = 2;
constexpr uint32_t kAnyProtocol = UINT32_MAX;

// The kind of each type and protocol; an HTTP port's kind is in the start
// of its interface name.
struct KindRow {
  uint32_t type;
  uint32_t protocol;
  const char* nic_prefix;  // NULL: any
  int32_t kind;
};

constexpr KindRow kKinds[] = {
    {kVirtual, kAnyProtocol, nullptr, 1},
    {kPtp, 2, nullptr, 9},
    {kPtp, 9, "-server", 12},
    {kPtp, 9, "-client", 13},
    {kPhysical, 0, nullptr, 2},
    {kPhysical, 1, nullptr, 3},
    {kPhysical, 3, nullptr, 4},
    {kPhysical, 4, nullptr, 7},
    {kPhysical, 5, nullptr, 5},
    {kPhysical, 6, nullptr, 6},
    {kPhysical, 7, nullptr, 8},
    {kPhysical, 8, "-server", 10},
    {kPhysical, 8, "-client", 11},
};

std::string PortInfoGetString(VelmoraIoctlHandle handle) {
  uint32_t length = 0;
  const char* text = nullptr;
  if (!VelmoraIoGetCharString(handle, &length, &text)) {
    ReportValueMissing(kStyle.file, "Can't get string\n");
    return std::string();
  }
  return std::string(text, length);
}

bool OutputParametersGet(PortInfoRecord* record, VelmoraIoctlHandle handle) {
  if (!ReportStatusOk(kStyle, handle)) return false;
  uint8_t enabled = 0;
  if (!VelmoraIoGetBoolean(handle, &enabled))
    ReportValueMissing(kStyle.file, "Can't get 'enabled'\n");
  record->enabled = enabled;
  record->type = ReportGetEnum(handle, kStyle.file, "Can't get 'type'\n");
  uint32_t network = ReportGetUnsigned(handle, kStyle.file, "Can't get 'net'\n");
  if (network > UINT16_MAX) ReportValueMissing(kStyle.file, "Can't get 'net'\n");
  record->network = uint16_t(network);
  record->protocol = ReportGetEnum(handle, kStyle.file, "Can't get 'protocol'\n");
  record->nic = PortInfoGetString(handle);
  record->secondary = PortInfoGetString(handle);
  record->label = PortInfoGetString(handle);
  record->kind = PortKindOf(record->type, record->protocol, record->nic.c_str());
  return true;
}

}  // namespace

int32_t PortKindOf(uint32_t type, uint32_t protocol, const char* nic) {
  for (const KindRow& row : kKinds) {
    if (row.type != type || (row.protocol != kAnyProtocol && row.protocol != protocol)) continue;
    if (row.nic_prefix && (!nic || std::strncmp(nic, row.nic_prefix, std::strlen(row.nic_prefix))))
      continue;
    return row.kind;
  }
  return PORT_KIND_NONE;
}

bool PortInfoGet(const VelmoraAddress* target, PortInfoRecord* record) {
  if (!record) Fatal(kStyle.file, "Invalid parameters");
  return ReportRunWithInput(kStyle, target, IOCTL_PORT_INFO, record->port_id,
                            "Can't put parameter <portId>",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void PortInfoFree(PortInfoRecord* record) {
  record->nic.clear();
  record->secondary.clear();
  record->label.clear();
}

void PortInfoPrintRecord(const PortInfoRecord* record) {
  std::printf(" port %s", record->enabled == 1 ? "enabled" : "disabled");
  if (record->kind >= 0 && record->kind < PORT_KIND_COUNT)
    std::printf(", type: %s", kKindNames[record->kind]);
  else
    std::printf(", type: %u, protocol: %u", unsigned(record->type), unsigned(record->protocol));
  std::printf(", net: %u\n", unsigned(record->network));
  std::printf("          nic: '%s'\n", record->nic.c_str());
  std::printf("          secondary info: '%s'\n", record->secondary.c_str());
  std::printf("          label: '%s'\n", record->label.c_str());
  std::printf("\n");
}

bool PortInfoPrintOne(const VelmoraAddress* target, uint32_t portId) {
  PortInfoRecord record = {};
  record.port_id = portId;
  bool printed = ReportPrinted(
      PortInfoGet(target, &record), [&] { PortInfoPrintRecord(&record); },
      "Error for port id %lu\n", portId);
  PortInfoFree(&record);
  return printed;
}

uint32_t PortInfoPrintAll(const VelmoraAddress* target) {
  std::fputs("Port information:\n", stdout);
  return PortListForEach(target, PortInfoPrintOne);
}
