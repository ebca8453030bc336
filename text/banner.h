// The version banner every program prints first.
#pragma once

// The name with the runtime's version and build, a notice line whose years
// run from firstYear to the release year, and an empty line; printf's result.
int PrintBanner(const char* name, int firstYear);
