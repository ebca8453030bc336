#pragma once
// Test support for the runtime: a fixture with a private registry file and a
// captured debug output that leaves the operating-system layer stopped, and
// forked children run within a deadline.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "tests/support/debug_capture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

// Each test gets its own registry file (VELMORA_REGISTRY) and a captured
// debug output; the layer is stopped and every replaced platform source is
// restored afterwards.
class OsaTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Replaces the registry file's text.
  void WriteRegistry(const std::string& text) { WriteTextFile(registry_, text); }
  std::string ReadRegistry() const { return ReadTextFile(registry_); }
  const std::string& registry() const { return registry_; }

  TempDir dir_;
  std::string registry_;
  DebugCapture debug_;
};

// The registry text with the parameters key's subkey OSA holding LogFile.
std::string RegistryWithLogFile(const std::string& log_path);

// Runs body(i) in each of count forked children, whose exit code is body's
// result, and waits for them within the deadline (each child also has it as
// an alarm of its own); a child still running then is killed. Success when
// every child exited with 0.
::testing::AssertionResult RunInChildren(int count, const std::function<int(int index)>& body,
                                         std::chrono::seconds deadline = std::chrono::seconds(60));
