#pragma once
// The debug output of the platform layer, collected by a test.

#include <mutex>
#include <string>
#include <vector>

// Collects what goes to the debug output while it lives; the output goes
// back to standard error afterwards.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;
  // Each piece of output as it was handed over (a log line with its end).
  std::vector<std::string> Lines() const;
  // All of it as one text; what is taken is cleared.
  std::string Take();
  // Lines that contain text.
  size_t Count(const std::string& text) const;
  void Clear();

 private:
  static void Sink(void* context, const char* text);
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};
