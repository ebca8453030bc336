#include "tests/support/debug_capture.h"

#include "runtime/platform/plat_debug.h"

DebugCapture::DebugCapture() { PlatSetDebugSink(&DebugCapture::Sink, this); }
DebugCapture::~DebugCapture() { PlatSetDebugSink(nullptr, nullptr); }

void DebugCapture::Sink(void* context, const char* text) {
  auto* self = static_cast<DebugCapture*>(context);
  std::lock_guard<std::mutex> guard(self->lock_);
  self->lines_.emplace_back(text);
}

std::vector<std::string> DebugCapture::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

std::string DebugCapture::Take() {
  std::lock_guard<std::mutex> guard(lock_);
  std::string all;
  for (const std::string& line : lines_)
    all += line;
  lines_.clear();
  return all;
}

size_t DebugCapture::Count(const std::string& text) const {
  std::lock_guard<std::mutex> guard(lock_);
  size_t n = 0;
  for (const std::string& line : lines_)
    n += line.find(text) != std::string::npos;
  return n;
}

void DebugCapture::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  lines_.clear();
}
