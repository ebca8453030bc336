// The pexil program run as a user runs it (tests/support/program_run.h).
#pragma once

#include <string>
#include <vector>

#include "tests/support/program_run.h"

inline const std::string kPexilProgram = VELMORA_BINARY_DIR "/demos/pexil/pexil";

inline ProgramRun RunPexil(const std::string& dir, const std::vector<std::string>& args) {
  return RunProgram(kPexilProgram, dir, args);
}

// What every run prints first.
inline const std::string kPexilBanner =
    "PEXIL 6.2-13  (Build: Oct 26 2013)\n"
    "Copyright (C) 2003-2013 Velmora. All rights reserved.\n"
    "\n";
