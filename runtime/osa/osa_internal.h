#pragma once
// State shared by the files of the operating-system layer.

#include <cstdint>

// Indexed by OSA_STAT_*; changed only by interlocked operations.
extern int32_t g_osa_stats[3];

// Logs the registry's explanation of its last failure, when it has one.
void OsaLogRegistryDetail(void);
