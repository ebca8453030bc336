// Reports on a daemon's IPC side: its capacity, its connection counters and
// each application's traffic. The printers fetch and print; a fetch that
// fails has printed why, and the printer then gives false.
#pragma once

#include <cstdint>

#include "bacnet/records.h"

inline constexpr uint32_t IPC_STATUS_VALUES = 4;
inline constexpr uint32_t IPC_STATISTICS_VALUES = 6;
inline constexpr uint32_t IPC_APP_STATISTICS_VALUES = 6;

// Maximum count of applications, connected applications, bytes and count
// of IPC buffers.
struct IpcStatusRecord {
  uint32_t values[IPC_STATUS_VALUES];
};

// Incoming, accepted, init-OK, closed, lost and daemon-ended connections.
struct IpcStatisticsRecord {
  uint32_t values[IPC_STATISTICS_VALUES];
};

// In reply order: bytes, buffers and calls, each written then read.
struct IpcAppStatisticsRecord {
  uint32_t application_id;
  uint32_t values[IPC_APP_STATISTICS_VALUES];
};

// ipc_status
bool IpcStatusGet(const VelmoraAddress* target, IpcStatusRecord* record);
bool IpcStatusPrint(const VelmoraAddress* target);

// ipc_statistics
bool IpcStatisticsGet(const VelmoraAddress* target, IpcStatisticsRecord* record);
bool IpcStatisticsPrint(const VelmoraAddress* target);

// ipc_app_statistics. The record's application_id names the application.
bool IpcAppStatisticsGet(const VelmoraAddress* target, IpcAppStatisticsRecord* record);
void IpcAppStatisticsPrintHeader();
void IpcAppStatisticsPrintRecord(const IpcAppStatisticsRecord* record);
bool IpcAppStatisticsPrintOne(const VelmoraAddress* target, uint32_t applicationId);
uint32_t IpcAppStatisticsPrintAll(const VelmoraAddress* target);
