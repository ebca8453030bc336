#include <algorithm>
#include <string>
#include <string_view>

#include "quelon/bdt_reports.h"
#include "text/hex_bytes.h"

namespace {

constexpr ReportStyle kStyle =
    ReportStyleQuoted(".\\bdt_write.c", "Can't put input param\n", nullptr);

constexpr std::string_view kCellDelimiters = " ,";

}  // namespace

bool BdtParseText(const char* text, BdtRequest* request) {
  if (!text || !request) return false;
  std::vector<BdtEntry> entries;
  std::string_view rest = text;
  for (;;) {
    size_t start = rest.find_first_not_of(kCellDelimiters);
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    size_t end = std::min(rest.find_first_of(kCellDelimiters), rest.size());
    std::string cell(rest.substr(0, end));
    rest.remove_prefix(end);
    BdtEntry entry;
    uint32_t count = 0;
    if (!VelmoraHexToBytes(cell.c_str(), entry.octets, BIP_ENTRY_SIZE, &count) ||
        count != BIP_ENTRY_SIZE) {
      request->entries = std::vector<BdtEntry>();
      return false;
    }
    entries.push_back(entry);
  }
  request->entries = std::move(entries);
  return true;
}

void BdtWritePutEntries(const BdtRequest* request, ReportRequest* ioctl) {
  if (!request->entries) return;
  for (const BdtEntry& entry : *request->entries)
    ioctl->PutOctets(entry.octets, BIP_ENTRY_SIZE, "Can't put BDT to request\n");
}

bool BdtWrite(const VelmoraAddress* target, const BdtRequest* request) {
  if (!request) Fatal(kStyle.file, "Invalid parameters\n");
  ReportRequest ioctl(kStyle, IOCTL_BDT_WRITE);
  ioctl.PutUnsigned(request->port_id, "Can't put port\n");
  BdtWritePutEntries(request, &ioctl);
  return ioctl.RunForStatus(target);
}
