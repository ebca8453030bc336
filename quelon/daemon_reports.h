// Reports on a daemon itself: its version, build, start-up and IPC
// connection, its status (uptime, threads, memory), its PDU pool and the
// network layer's timeouts. The printers fetch and print, and give false
// when the fetch failed (which they have printed).
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "runtime/ioctl/velmora_ioctl.h"

inline constexpr uint32_t DAEMON_STATUS_VALUES = 3;
inline constexpr uint32_t NL_TIMEOUTS_VALUES = 8;

// Uptime, number of threads, used memory in kilobytes.
struct DaemonStatusRecord {
  uint32_t values[DAEMON_STATUS_VALUES];
};

struct PduStatisticsRecord {
  uint32_t allocated;
  uint32_t failures;
};

struct PduStatusRecord {
  uint32_t total;
  uint32_t free;
};

// ptpTermTime (s), defaultTermTime (s), ptpSafetyTime, findDnetTime,
// ptpConnectTime, connectAckTime, routerBusyTime (ms), routerBrodcastPeriod (s).
struct NlTimeoutsRecord {
  uint32_t values[NL_TIMEOUTS_VALUES];
};

// daemon_info. A failed execution prints its status with the BACnet error,
// reject or abort behind it.
bool DaemonInfoPrint(const VelmoraAddress* target);
bool DaemonInfoPrintReply(VelmoraIoctlHandle handle, VelmoraStatus status);

// daemon_status
bool DaemonStatusGet(const VelmoraAddress* target, DaemonStatusRecord* record);
bool DaemonStatusPrint(const VelmoraAddress* target);

// pdu_statistics and pdu_status: "Error" when the fetch failed.
bool PduStatisticsGet(const VelmoraAddress* target, PduStatisticsRecord* record);
void PduStatisticsPrintRecord(const PduStatisticsRecord* record);
bool PduStatisticsPrint(const VelmoraAddress* target);
bool PduStatusGet(const VelmoraAddress* target, PduStatusRecord* record);
void PduStatusPrintRecord(const PduStatusRecord* record);
bool PduStatusPrint(const VelmoraAddress* target);

// nl_timeouts_get: "Error" when the fetch failed.
bool NlTimeoutsGet(const VelmoraAddress* target, NlTimeoutsRecord* record);
void NlTimeoutsPrintRecord(const NlTimeoutsRecord* record);
bool NlTimeoutsPrint(const VelmoraAddress* target);
