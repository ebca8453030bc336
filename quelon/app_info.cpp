#include <cstdio>
#include <cstring>

#include "quelon/app_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleTerse(".\\app_info.c");

// The services an application announces: a server's, or a client's of the
// library before and after 6.0.
constexpr VelmoraBitString kServerServices = {40, {0xFF, 0xFF, 0xF8, 0x3F, 0xFF}};
constexpr VelmoraBitString kClientServices60 = {40, {0x60, 0x00, 0x00, 0x3C, 0x00}};
constexpr VelmoraBitString kClientServices = {40, {0x60, 0x00, 0x00, 0x3E, 0x00}};

bool GetSigned(VelmoraIoctlHandle handle, int32_t* out) {
  uint32_t value = 0;
  if (!VelmoraIoGetUnsigned(handle, &value)) return false;
  *out = int32_t(value);
  return true;
}

bool GetServices(VelmoraIoctlHandle handle, VelmoraBitString* services) {
  uint32_t length = 0;
  uint8_t unused = 0;
  const uint8_t* bytes = nullptr;
  if (!VelmoraIoGetBitString(handle, &length, &unused, &bytes)) return false;
  if (length > VELMORA_BIT_STRING_BYTES || (length == 0 && unused != 0) || unused > 7) return false;
  *services = {};
  services->count = length * 8 - unused;
  if (length > 0) std::memcpy(services->bits, bytes, length);
  return true;
}

bool GetRecord(AppInfoRecord* record, VelmoraIoctlHandle handle) {
  uint32_t connected = 0, nameLength = 0;
  const char* name = nullptr;
  if (!GetSigned(handle, &record->version_major) || !GetSigned(handle, &record->version_minor) ||
      !VelmoraIoGetUnsigned(handle, &connected) ||
      !VelmoraIoGetCharString(handle, &nameLength, &name) || nameLength > APP_NAME_MAX)
    return false;
  record->connect_time = connected;
  std::memcpy(record->name, name, nameLength);
  record->name[nameLength] = '\0';
  return GetSigned(handle, &record->port_id) && GetServices(handle, &record->services) &&
         GetSigned(handle, &record->client_tsm_max) && GetSigned(handle, &record->server_tsm_max);
}

bool OutputParametersGet(AppInfoRecord* record, VelmoraIoctlHandle handle) {
  if (!ReportStatusOk(kStyle, handle)) return false;
  if (GetRecord(record, handle)) return true;
  ReportAnswerUnreadable();
  return false;
}

bool IsVersion60OrLower(const AppInfoRecord* record) {
  return record->version_major < 6 || (record->version_major == 6 && record->version_minor == 0);
}

}  // namespace

bool AppInfoGet(const VelmoraAddress* target, AppInfoRecord* record) {
  if (!record || record->application_id == -1) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_APP_INFO, uint32_t(record->application_id),
                            "Can't put parameter <applicationId>\n",
                            [&](VelmoraIoctlHandle h) { return OutputParametersGet(record, h); });
}

bool BitStringEqual(const VelmoraBitString* a, const VelmoraBitString* b) {
  if (a->count != b->count || a->count > 8 * VELMORA_BIT_STRING_BYTES) return false;
  uint32_t whole = a->count / 8, rest = a->count % 8;
  if (std::memcmp(a->bits, b->bits, whole) != 0) return false;
  uint8_t mask = uint8_t(0xFF << (8 - rest));
  return rest == 0 || (a->bits[whole] & mask) == (b->bits[whole] & mask);
}

void AppInfoPrintHeader() {
  std::fputs(
      "              connection      TSMs max  port\n"
      "ID  ver     date      time    cli  srv   ID    SS   name\n"
      "-- ----- -------------------  --------  ----  ----  ----\n",
      stdout);
}

void AppInfoPrintServices(const AppInfoRecord* record) {
  const VelmoraBitString* services = &record->services;
  std::fputs("  ", stdout);
  if (BitStringEqual(services, &kServerServices)) {
    std::fputs("srv", stdout);
    return;
  }
  if (BitStringEqual(services,
                     IsVersion60OrLower(record) ? &kClientServices60 : &kClientServices)) {
    std::fputs("cli", stdout);
    return;
  }
  std::fputs("0x", stdout);
  for (uint32_t i = 0; i < (services->count + 7) / 8; ++i)
    std::printf("%02X", services->bits[i]);
  std::printf("(%d)", int(services->count));
}

void AppInfoPrintRecord(const AppInfoRecord* record) {
  char when[30] = "";
  time_t connected = time_t(record->connect_time);
  struct tm local = {};
  if (localtime_r(&connected, &local))
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  std::printf("%2ld", long(record->application_id));
  std::printf(" %2ld.%ld", long(record->version_major), long(record->version_minor));
  std::printf("  %s", when);
  std::printf("  %3ld", long(record->client_tsm_max));
  std::printf("  %3ld", long(record->server_tsm_max));
  std::printf("  %3ld ", long(record->port_id));
  AppInfoPrintServices(record);
  std::printf("  '%s'", record->name);
  std::printf("\n");
}

bool AppInfoPrintOne(const VelmoraAddress* target, uint32_t applicationId) {
  AppInfoRecord record = {};
  record.application_id = int32_t(applicationId);
  return ReportPrinted(
      AppInfoGet(target, &record), [&] { AppInfoPrintRecord(&record); },
      "Error for application with id %li\n", applicationId);
}

uint32_t AppInfoPrintAll(const VelmoraAddress* target) {
  AppInfoPrintHeader();
  return AppListForEach(target, AppInfoPrintOne);
}
