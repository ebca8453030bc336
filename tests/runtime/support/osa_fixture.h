#pragma once
// Test support for the runtime: a private registry file, a captured debug
// output, and a fixture that leaves the operating-system layer stopped.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A fresh directory, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& text);
// "" for a missing file.
std::string ReadTextFile(const std::string& path);

// Collects what goes to the debug output while it lives.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  std::vector<std::string> Lines() const;
  // Lines that contain text.
  size_t Count(const std::string& text) const;
  void Clear();

 private:
  static void Sink(void* context, const char* text);
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

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

// Waits until done() holds or the deadline passes; whether it held.
template <class Done>
bool WaitUntil(Done done, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Runs body(i) in each of count forked children, whose exit code is body's
// result, and waits for them within the deadline (each child also has it as
// an alarm of its own); a child still running then is killed. Success when
// every child exited with 0.
::testing::AssertionResult RunInChildren(int count, const std::function<int(int index)>& body,
                                         std::chrono::seconds deadline = std::chrono::seconds(60));
