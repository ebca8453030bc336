#include <cstdio>

#include "quelon/app_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleInline(".\\app_statistics.c");

// The fatal texts of the counters, in reply order.
constexpr const char* kCounterMessages[IOCTL_APP_COUNTER_COUNT] = {
    "Can't get parameter <cliBytesRx>\n",         "Can't get parameter <cliBytesTr>\n",
    "Can't get parameter <cliPduRx>\n",           "Can't get parameter <cliPduTr>\n",
    "Can't get parameter <cliTransactions>\n",    "Can't get parameter <cliAborted>\n",
    "Can't get parameter <cliRetries>\n",         "Can't get parameter <cliTimeouts>\n",
    "Can't get parameter <cliSegRetries>\n",      "Can't get parameter <cliSegReqTimeouts>\n",
    "Can't get parameter <cliSegConfTimeouts>\n", "Can't get parameter <srvBytesRx>\n",
    "Can't get parameter <srvBytesTr>\n",         "Can't get parameter <srvPduRx>\n",
    "Can't get parameter <srvPduTr>\n",           "Can't get parameter <srvTransactions>\n",
    "Can't get parameter <srvAborted>\n",         "Can't get parameter <srvTimeouts>\n",
    "Can't get parameter <srvSegReqTimeouts>\n",  "Can't get parameter <srvSegRespRetries>\n",
    "Can't get parameter <srvSegRespTimeouts>\n",
};

// Each counter's column: its format and its place in the client or server
// row; the server row has no retries column.
struct Column {
  IoctlAppCounter counter;
  const char* format;
};

constexpr Column kClientRow[] = {
    {IOCTL_CLI_BYTES_RX, "%6ld "},
    {IOCTL_CLI_BYTES_TR, "%6ld "},
    {IOCTL_CLI_PDU_RX, "%4ld "},
    {IOCTL_CLI_PDU_TR, "%4ld "},
    {IOCTL_CLI_TRANSACTIONS, "%5ld "},
    {IOCTL_CLI_ABORTED, "%3ld "},
    {IOCTL_CLI_RETRIES, "%3ld "},
    {IOCTL_CLI_TIMEOUTS, "%3ld "},
    {IOCTL_CLI_SEG_REQ_TIMEOUTS, "%3ld     "},
    {IOCTL_CLI_SEG_RETRIES, "%3ld     "},
    {IOCTL_CLI_SEG_CONF_TIMEOUTS, "%3ld"},
};

constexpr Column kServerRow[] = {
    {IOCTL_SRV_BYTES_RX, "%6ld "},
    {IOCTL_SRV_BYTES_TR, "%6ld "},
    {IOCTL_SRV_PDU_RX, "%4ld "},
    {IOCTL_SRV_PDU_TR, "%4ld "},
    {IOCTL_SRV_TRANSACTIONS, "%5ld "},
    {IOCTL_SRV_ABORTED, "%3ld --- "},
    {IOCTL_SRV_TIMEOUTS, "%3ld "},
    {IOCTL_SRV_SEG_REQ_TIMEOUTS, "%3ld     "},
    {IOCTL_SRV_SEG_RESP_RETRIES, "%3ld     "},
    {IOCTL_SRV_SEG_RESP_TIMEOUTS, "%3ld"},
};

bool OutputParametersGet(AppStatisticsRecord* record, VelmoraIoctlHandle handle) {
  if (!ReportStatusOk(kStyle, handle)) return false;
  for (uint32_t i = 0; i < IOCTL_APP_COUNTER_COUNT; ++i)
    record->counters[i] = ReportGetUnsigned(handle, kStyle.file, kCounterMessages[i]);
  return true;
}

template <size_t N>
void PrintRow(const AppStatisticsRecord* record, const Column (&row)[N]) {
  for (const Column& column : row)
    std::printf(column.format, long(record->counters[column.counter]));
  std::fputs("\n", stdout);
}

}  // namespace

bool AppStatisticsGet(const VelmoraAddress* target, AppStatisticsRecord* record) {
  if (!record || record->application_id == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_APP_STATISTICS, record->application_id,
                            "Can't put parameter <applicationId>\n",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

void AppStatisticsPrintHeader() {
  std::fputs(
      "Application statistic:\n"
      " Ap typ     Bytes       Pdu     Trans Ab  Ret TOut   Segmented          SegTout\n"
      " ID       Rx     Tr    Rx   Tr                   ReqTout Retr/RespRetr Conf/Resp\n"
      " -- --- ------ ------ ---- ---- ----- --- --- --- ------ --------- ------------\n",
      stdout);
}

void AppStatisticsPrintRecord(const AppStatisticsRecord* record) {
  std::printf(" %2lu cli ", (unsigned long)record->application_id);
  PrintRow(record, kClientRow);
  std::fputs("    srv ", stdout);
  PrintRow(record, kServerRow);
}

bool AppStatisticsPrintOne(const VelmoraAddress* target, uint32_t applicationId) {
  AppStatisticsRecord record = {};
  record.application_id = applicationId;
  return ReportPrinted(
      AppStatisticsGet(target, &record), [&] { AppStatisticsPrintRecord(&record); },
      "Error for application with id %lu\n", applicationId);
}

uint32_t AppStatisticsPrintAll(const VelmoraAddress* target) {
  AppStatisticsPrintHeader();
  return AppListForEach(target, AppStatisticsPrintOne);
}
