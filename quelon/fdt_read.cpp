#include <cstdio>

#include "quelon/bdt_reports.h"

namespace {

constexpr ReportStyle kStyle =
    ReportStyleQuoted(".\\fdt_read.c", "Can't put input param\n", "OutputParametersGet() failed\n");

uint32_t Seconds(const uint8_t* octets) { return uint32_t(octets[0]) << 8 | octets[1]; }

}  // namespace

bool FdtRead(const VelmoraAddress* target, uint32_t portId, BipTable* table) {
  return BipTableRead(kStyle, target, IOCTL_FDT_READ, portId, "Can't get FDT entry\n", true, table);
}

int32_t FdtForEach(const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback) {
  return BipTableForEach(FdtRead, target, portId, callback, "Error for FOR_DEV (inx %u)\n");
}

bool FdtPrintEntry(uint32_t index, const FdtEntry* entry) {
  const uint8_t* o = entry->octets;
  std::printf("%u. Addr %02X%02X%02X%02X%02X%02X, time to live %u sec, remaining time %u sec\n",
              unsigned(index), o[0], o[1], o[2], o[3], o[4], o[5], unsigned(Seconds(o + 6)),
              unsigned(Seconds(o + 8)));
  return true;
}

void FdtPrintAll(const BipTable* table) { BipTablePrintAll(table, FdtPrintEntry); }
