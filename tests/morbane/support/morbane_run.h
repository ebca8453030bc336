// The morbane program run as a user runs it (tests/support/program_run.h).
#pragma once

#include <string>
#include <vector>

#include "tests/support/program_run.h"

inline const std::string kMorbaneProgram = VELMORA_BINARY_DIR "/demos/morbane/morbane";

inline ProgramRun RunMorbane(const std::string& dir, const std::vector<std::string>& args) {
  return RunProgram(kMorbaneProgram, dir, args);
}

// What every run prints first.
inline const std::string kMorbaneBanner =
    "DADUVORA 6.2-13  (Build: Oct 26 2013)\n"
    "Copyright (C) 1998-2013 Velmora. All rights reserved.\n"
    "\n";
