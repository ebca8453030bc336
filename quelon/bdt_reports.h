// The two tables of a B/IP port that is a BBMD: its broadcast distribution
// table (BDT), which quelon reads, replaces or has the daemon send, and its
// foreign device table (FDT), which it reads.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bacnet/records.h"
#include "quelon/report.h"

inline constexpr uint32_t BIP_ENTRY_SIZE = 10;
inline constexpr uint32_t BIP_MAC_SIZE = 6;

// BDT: octets 0-5 the B/IP address (IPv4 address, UDP port), 6-9 the
// broadcast distribution mask. FDT: the address, then the time to live and
// the remaining time in seconds (16 bits each, big-endian).
struct BipEntry {
  uint8_t octets[BIP_ENTRY_SIZE];
};
using BdtEntry = BipEntry;
using FdtEntry = BipEntry;

struct BipTable {
  uint32_t port_id;
  std::vector<BipEntry> entries;
};

// What a BDT write or send carries.
struct BdtRequest {
  uint32_t port_id;
  uint8_t mac[BIP_MAC_SIZE];  // the destination of a send
  bool mac_present;
  std::optional<std::vector<BdtEntry>> entries;  // none: the port's own
};

using BipEntryCallback = bool (*)(uint32_t index, const BipEntry* entry);

// bdt_read. The ForEach operations give the number of entries, or -1 when
// the table could not be read (which they have printed).
bool BdtRead(const VelmoraAddress* target, uint32_t portId, BipTable* table);
int32_t BdtForEach(const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback);
bool BdtPrintEntry(uint32_t index, const BdtEntry* entry);
void BdtPrintAll(const BipTable* table);
void BdtSendPutParameters(const BdtRequest* request, ReportRequest* ioctl);
bool BdtSend(const VelmoraAddress* target, const BdtRequest* request);

// What BDT_READ and FDT_READ share: the table of 10-octet entries of the
// port, each fatal with entryMessage when it is not one. With
// notFoundIsEmpty a NOT_FOUND answer is an empty table.
bool BipTableRead(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                  uint32_t portId, const char* entryMessage, bool notFoundIsEmpty, BipTable* table);
// Reads the table with `read` and runs the callback for each entry in
// order; the first false result prints errorFormat with its index and stops.
int32_t BipTableForEach(bool (*read)(const VelmoraAddress*, uint32_t, BipTable*),
                        const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback,
                        const char* errorFormat);
void BipTablePrintAll(const BipTable* table, BipEntryCallback print);

// bdt_write. BdtParseText takes cells of 10 octets in hex (19 or 20 digits)
// separated by blanks or commas.
bool BdtParseText(const char* text, BdtRequest* request);
void BdtWritePutEntries(const BdtRequest* request, ReportRequest* ioctl);
bool BdtWrite(const VelmoraAddress* target, const BdtRequest* request);

// fdt_read
bool FdtRead(const VelmoraAddress* target, uint32_t portId, BipTable* table);
int32_t FdtForEach(const VelmoraAddress* target, uint32_t portId, BipEntryCallback callback);
bool FdtPrintEntry(uint32_t index, const FdtEntry* entry);
void FdtPrintAll(const BipTable* table);
