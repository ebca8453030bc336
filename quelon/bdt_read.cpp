#include <cstdio>
#include <cstring>

#include "quelon/bdt_reports.h"

namespace {

constexpr ReportStyle kReadStyle =
    ReportStyleQuoted(".\\bdt_read.c", "Can't put input param\n", "OutputParametersGet() failed\n");

constexpr ReportStyle kSendStyle =
    ReportStyleQuoted(".\\bdt_read.c", "Can't put Ioctl request\n", nullptr);

bool OutputParametersGet(const ReportStyle& style, VelmoraIoctlHandle handle,
                         const char* entryMessage, bool notFoundIsEmpty, BipTable* table) {
  IoctlStatus status = IOCTL_STATUS_OK;
  if (!ReportGetStatus(style, handle, &status)) return false;
  if (status == IOCTL_STATUS_NOT_FOUND && notFoundIsEmpty) {
    std::fputs("FDT table do not exists\n", stdout);
    return true;
  }
  if (status != IOCTL_STATUS_OK) {
    ReportPrintStatus(style, status);
    return false;
  }
  uint32_t count = ReportGetUnsigned(handle, style.file, "Can't get entry count\n");
  // One by one: a count beyond the entries the answer holds fails at the
  // first one missing.
  for (uint32_t i = 0; i < count && !ReportAnswerLost(); ++i) {
    uint32_t length = 0;
    const uint8_t* octets = nullptr;
    if (!VelmoraIoGetOctetString(handle, &length, &octets) || length != BIP_ENTRY_SIZE) {
      ReportValueMissing(style.file, entryMessage);
      break;
    }
    BipEntry entry;
    std::memcpy(entry.octets, octets, BIP_ENTRY_SIZE);
    table->entries.push_back(entry);
  }
  return true;
}

}  // namespace

bool BipTableRead(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                  uint32_t portId, const char* entryMessage, bool notFoundIsEmpty,
                  BipTable* table) {
  if (!table) Fatal(style.file, "Invalid parameters\n");
  table->port_id = portId;
  table->entries.clear();
  ReportRequest request(style, code);
  request.PutUnsigned(portId, "Can't put port\n");
  return request.Run(target, [&](VelmoraIoctlHandle h) {
    return OutputParametersGet(style, h, entryMessage, notFoundIsEmpty, table);
  });
}

int32_t BipTableForEach(bool (*read)(const VelmoraAddress*, uint32_t, BipTable*),
                        const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback,
                        const char* errorFormat) {
  BipTable table;
  if (!read(target, portId, &table)) return -1;
  for (uint32_t i = 0; i < table.entries.size(); ++i) {
    if (!callback(i, &table.entries[i])) {
      std::printf(errorFormat, unsigned(i));
      break;
    }
  }
  return int32_t(table.entries.size());
}

void BipTablePrintAll(const BipTable* table, BipEntryCallback print) {
  for (uint32_t i = 0; i < table->entries.size(); ++i)
    print(i, &table->entries[i]);
}

bool BdtRead(const VelmoraAddress* target, uint32_t portId, BipTable* table) {
  return BipTableRead(kReadStyle, target, IOCTL_BDT_READ, portId, "Can't get BDT entry\n", false,
                      table);
}

int32_t BdtForEach(const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback) {
  return BipTableForEach(BdtRead, target, portId, callback, "Error for BBMD (inx %u)\n");
}

bool BdtPrintEntry(uint32_t index, const BdtEntry* entry) {
  const uint8_t* o = entry->octets;
  std::printf("%u. Addr %02X%02X%02X%02X%02X%02X, mask %02X%02X%02X%02X\n", unsigned(index), o[0],
              o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8], o[9]);
  return true;
}

void BdtPrintAll(const BipTable* table) { BipTablePrintAll(table, BdtPrintEntry); }

void BdtSendPutParameters(const BdtRequest* request, ReportRequest* ioctl) {
  if (request->mac_present)
    ioctl->PutOctets(request->mac, BIP_MAC_SIZE, "Can't put BDT to request\n");
  if (!request->entries) return;
  ioctl->PutUnsigned(uint32_t(request->entries->size()), "Can't put BDT to request\n");
  for (const BdtEntry& entry : *request->entries)
    ioctl->PutOctets(entry.octets, BIP_ENTRY_SIZE, "Can't put BDT to request\n");
}

bool BdtSend(const VelmoraAddress* target, const BdtRequest* request) {
  if (!request) Fatal(kSendStyle.file, "Invalid parameters\n");
  ReportRequest ioctl(kSendStyle, IOCTL_BDT_SEND);
  ioctl.PutUnsigned(request->port_id, "Can't put port\n");
  BdtSendPutParameters(request, &ioctl);
  return ioctl.RunForStatus(target);
}
