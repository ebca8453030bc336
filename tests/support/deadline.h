#pragma once
// A hang fails, it never stalls the run: past its deadline a watcher ends
// the whole test program with a message (exit status 3).

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches its own scope: the program ends when the scope is not left
// within the limit.
class TestDeadline {
 public:
  explicit TestDeadline(std::chrono::milliseconds limit);
  ~TestDeadline();
  TestDeadline(const TestDeadline&) = delete;
  TestDeadline& operator=(const TestDeadline&) = delete;

 private:
  std::mutex lock_;
  std::condition_variable left_;
  bool done_ = false;
  std::thread watcher_;
};

// Runs fn and returns once it has returned; past the limit the program ends.
void RunWithDeadline(std::chrono::milliseconds limit, const std::function<void()>& fn);
