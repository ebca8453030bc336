#include "text/banner.h"

#include <cstdio>

namespace {

constexpr int kMajor = 6;
constexpr int kMinor = 2;
constexpr int kBuild = 13;
constexpr int kReleaseYear = 2013;

}  // namespace

int PrintBanner(const char* name, int firstYear) {
  char lastYear[16] = "";
  if (firstYear != kReleaseYear) std::snprintf(lastYear, sizeof lastYear, "-%d", kReleaseYear);
  return std::printf(
      "%s %d.%d-%d  (Build: Oct 26 2013)\n"
      "Copyright (C) %d%s Velmora. All rights reserved.\n"
      "\n",
      name ? name : "", kMajor, kMinor, kBuild, firstYear, lastYear);
}
