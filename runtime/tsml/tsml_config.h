// Transaction parameters ("Cli\" values) and link parameters ("Tsml\" values).
#pragma once

#include <cstdint>

struct TsmlConfig {
  uint32_t Cli_Tsm_Pool_Size;
  uint32_t Srv_Tsm_Pool_Size;
  uint32_t Apdu_Length;
  uint32_t Apdu_Timeout;
  uint32_t Num_Retries;
  uint32_t Segmentation;
  uint32_t Max_Seg_Accepted;
  uint32_t Max_Seg_To_Send;
  uint32_t Seg_Window_Size;
  uint32_t Seg_Timeout;
  uint32_t Max_Process_IDs;
  uint32_t All_Process_IDs;
};

struct TsmlParams {
  uint32_t Apdu_Max_Segs_Present;
  uint32_t Pdu_Pool_Size;
  uint32_t Max_Processes;
  char* ConnIPC;  // heap string, owned until TsmlParamsFree
};

// The requested library version: only 6.2 is accepted; it is then recorded.
bool TsmlVersionCheck(uint32_t major, uint32_t minor);

// Reads the twelve values below `prefix` (e.g. "Cli\\") in table order; false
// at the first one out of bounds (config then holds the values read so far).
bool TsmlConfigRead(const char* prefix, TsmlConfig* config);

// The configuration TsmlOpen uses; VelmoraInit reads into it.
TsmlConfig* TsmlConfigActive();
void TsmlConfigDefaults(TsmlConfig* config);

bool TsmlParamsRead(TsmlParams* params);
void TsmlParamsFree(TsmlParams* params);
