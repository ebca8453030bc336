// The quelon program run as a user runs it (tests/support/program_run.h).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

inline const std::string kQuelonProgram = VELMORA_BINARY_DIR "/quelon/quelon";

using QuelonRun = ProgramRun;

// Runs quelon with the arguments, its link pointed at the socket
// `dir`/velmora and its configuration at `dir`/registry.reg, TZ=UTC.
inline QuelonRun RunQuelon(const std::string& dir, const std::vector<std::string>& args) {
  return RunProgram(kQuelonProgram, dir, args);
}

// The banner every run starts with.
extern const char kQuelonBanner[];
