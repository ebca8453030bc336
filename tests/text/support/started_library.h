// A started library for the tests whose text depends on the property
// metadata (the datatype query answers only while the library is started):
// a stand-in daemon of its own on a socket in a fresh directory, and a
// deadline that ends the process when start-up or shut-down hangs.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

struct VmdServer;

class StartedLibrary : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  TestDeadline deadline_{std::chrono::seconds(60)};
  TempDir dir_;
  VmdServer* server_ = nullptr;
};
