#include "tests/support/deadline.h"

#include <unistd.h>

#include <cstdio>

TestDeadline::TestDeadline(std::chrono::milliseconds limit)
    : watcher_([this, limit] {
        std::unique_lock<std::mutex> guard(lock_);
        if (!left_.wait_for(guard, limit, [this] { return done_; })) {
          std::fprintf(stderr, "test deadline of %lld ms passed: a call or a wait hangs\n",
                       static_cast<long long>(limit.count()));
          std::fflush(stderr);
          _exit(3);
        }
      }) {}

TestDeadline::~TestDeadline() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    done_ = true;
  }
  left_.notify_all();
  watcher_.join();
}

void RunWithDeadline(std::chrono::milliseconds limit, const std::function<void()>& fn) {
  TestDeadline deadline(limit);
  fn();
}
