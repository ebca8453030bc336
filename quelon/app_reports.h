// Reports on the applications a daemon serves: their list, information,
// traffic statistics, registered process identifiers and TSM pools. Each
// request takes the target (none: the local daemon); the PrintOne printers
// fetch and print one application's row, the PrintAll printers a header and
// a row per application of the daemon's list.
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "bacnet/records.h"
#include "runtime/ioctl/ioctl_codes.h"

inline constexpr uint32_t APP_NAME_MAX = 199;

struct AppInfoRecord {
  int32_t application_id;
  int32_t version_minor;
  int32_t version_major;
  int64_t connect_time;  // seconds since 1970
  char name[APP_NAME_MAX + 1];
  int32_t port_id;
  VelmoraBitString services;
  int32_t client_tsm_max;
  int32_t server_tsm_max;
};

struct AppStatisticsRecord {
  uint32_t application_id;
  uint32_t counters[IOCTL_APP_COUNTER_COUNT];  // by IoctlAppCounter
};

struct AppTsmStatusRecord {
  uint32_t application_id;
  uint32_t counts[IOCTL_TSM_COUNT_COUNT];  // by IoctlTsmCount
};

// One row's fetch and print, for AppListForEach.
using AppCallback = bool (*)(const VelmoraAddress* target, uint32_t applicationId);

// app_info. The record's application_id names the application.
bool AppInfoGet(const VelmoraAddress* target, AppInfoRecord* record);
void AppInfoPrintHeader();
void AppInfoPrintServices(const AppInfoRecord* record);
void AppInfoPrintRecord(const AppInfoRecord* record);
bool AppInfoPrintOne(const VelmoraAddress* target, uint32_t applicationId);
uint32_t AppInfoPrintAll(const VelmoraAddress* target);
// Same bit count and the same bits.
bool BitStringEqual(const VelmoraBitString* a, const VelmoraBitString* b);

// app_list_get
bool AppListGet(const VelmoraAddress* target, std::vector<uint32_t>* ids);
// The callback for every application in order; the number of applications,
// 0 when the list cannot be had.
uint32_t AppListForEach(const VelmoraAddress* target, AppCallback callback);
void AppListPrint(const std::vector<uint32_t>& ids);

// app_pid_list_get
bool AppPidListGet(const VelmoraAddress* target, uint32_t applicationId,
                   std::vector<uint32_t>* pids);
void AppPidListPrintHeader();
void AppPidListPrintRecord(uint32_t applicationId, const std::vector<uint32_t>& pids);
bool AppPidListPrintOne(const VelmoraAddress* target, uint32_t applicationId);
uint32_t AppPidListPrintAll(const VelmoraAddress* target);

// app_statistics
bool AppStatisticsGet(const VelmoraAddress* target, AppStatisticsRecord* record);
void AppStatisticsPrintHeader();
void AppStatisticsPrintRecord(const AppStatisticsRecord* record);
bool AppStatisticsPrintOne(const VelmoraAddress* target, uint32_t applicationId);
uint32_t AppStatisticsPrintAll(const VelmoraAddress* target);

// app_tsm_status
bool AppTsmStatusGet(const VelmoraAddress* target, AppTsmStatusRecord* record);
void AppTsmStatusPrintHeader();
void AppTsmStatusPrintRecord(const AppTsmStatusRecord* record);
bool AppTsmStatusPrintOne(const VelmoraAddress* target, uint32_t applicationId);
uint32_t AppTsmStatusPrintAll(const VelmoraAddress* target);
