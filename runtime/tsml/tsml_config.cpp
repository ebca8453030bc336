#include "runtime/tsml/tsml_config.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/link_names.h"
#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"

namespace {

struct ConfigRow {
  const char* name;
  uint32_t TsmlConfig::*field;
  uint32_t fallback;
  uint32_t most;  // largest accepted value
};

// Order is the order of reading: the first value out of bounds ends the read.
constexpr ConfigRow kConfigRows[] = {
    {"Cli_Tsm_Pool_Size", &TsmlConfig::Cli_Tsm_Pool_Size, 150, 65535},
    {"Srv_Tsm_Pool_Size", &TsmlConfig::Srv_Tsm_Pool_Size, 150, 65535},
    {"Apdu_Length", &TsmlConfig::Apdu_Length, 0, 1497},
    {"Apdu_Timeout", &TsmlConfig::Apdu_Timeout, 6000, 3600000},
    {"Num_Retries", &TsmlConfig::Num_Retries, 3, 1000},
    {"Segmentation", &TsmlConfig::Segmentation, 0, 3},
    {"Max_Seg_Accepted", &TsmlConfig::Max_Seg_Accepted, 32, 2684353},
    {"Max_Seg_To_Send", &TsmlConfig::Max_Seg_To_Send, 0, 2684353},
    {"Seg_Window_Size", &TsmlConfig::Seg_Window_Size, 16, 127},
    {"Seg_Timeout", &TsmlConfig::Seg_Timeout, 5000, 3600000},
    {"Max_Process_IDs", &TsmlConfig::Max_Process_IDs, 16, 65535},
    {"All_Process_IDs", &TsmlConfig::All_Process_IDs, 0, 1},
};

struct ParamRow {
  const char* path;
  uint32_t TsmlParams::*field;
  uint32_t fallback;
  uint32_t least;
  uint32_t most;
};

constexpr ParamRow kParamRows[] = {
    {"Tsml\\Apdu_Max_Segs_Present", &TsmlParams::Apdu_Max_Segs_Present, 1, 0, 1},
    {"Tsml\\Pdu_Pool_Size", &TsmlParams::Pdu_Pool_Size, 200, 1, 2684354},
    {"Tsml\\Max_Processes", &TsmlParams::Max_Processes, 10, 0, 65535},
};

constexpr size_t kPathRoom = 52;

TsmlConfig g_config = [] {
  TsmlConfig c{};
  for (const ConfigRow& r : kConfigRows)
    c.*r.field = r.fallback;
  return c;
}();

// The version a caller may ask for: this library's major and minor.
constexpr uint32_t kLibraryVersion = IPC_LIBRARY_VERSION[0] * 256u + IPC_LIBRARY_VERSION[1];

uint32_t g_requestedVersion = 0;

}  // namespace

bool TsmlVersionCheck(uint32_t major, uint32_t minor) {
  if (major * 256 + minor != kLibraryVersion) return false;
  g_requestedVersion = major * 256 + minor;
  return true;
}

TsmlConfig* TsmlConfigActive() { return &g_config; }

void TsmlConfigDefaults(TsmlConfig* config) {
  for (const ConfigRow& r : kConfigRows)
    config->*r.field = r.fallback;
}

bool TsmlConfigRead(const char* prefix, TsmlConfig* config) {
  if (!prefix || !config) return false;
  for (const ConfigRow& r : kConfigRows) {
    char path[kPathRoom];
    int n = std::snprintf(path, sizeof path, "%s%s", prefix, r.name);
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) return false;
    uint32_t v = r.fallback;
    GetCfgDword(path, &v, r.fallback);
    if (v > r.most) return false;
    config->*r.field = v;
  }
  return true;
}

bool TsmlParamsRead(TsmlParams* params) {
  if (!params) return false;
  params->ConnIPC = nullptr;
  for (const ParamRow& r : kParamRows) {
    uint32_t v = r.fallback;
    GetCfgDword(r.path, &v, r.fallback);
    if (v < r.least || v > r.most) return false;
    params->*r.field = v;
  }
  // Read twice: first the size, then the text into a string of that size.
  uint32_t size = 0;
  if (!GetCfgString("Tsml\\ConnIPC", nullptr, &size, IPC_DEFAULT_CONN_NAME) || size == 0)
    return false;
  char* name = static_cast<char*>(OsaMemAlloc(size));
  if (!name) return false;
  uint32_t room = size;
  if (!GetCfgString("Tsml\\ConnIPC", name, &room, IPC_DEFAULT_CONN_NAME)) {
    OsaMemFree(name);
    return false;
  }
  name[size - 1] = '\0';
  params->ConnIPC = name;
  return true;
}

void TsmlParamsFree(TsmlParams* params) {
  if (!params || !params->ConnIPC) return;
  OsaMemFree(params->ConnIPC);
  params->ConnIPC = nullptr;
}
