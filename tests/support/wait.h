#pragma once
// Waiting for a state that another thread or process brings about.

#include <chrono>
#include <thread>

// How long a wait for something that must happen may take: generous, so
// that a loaded machine or a sanitizer never fails a test that is right.
inline constexpr std::chrono::milliseconds kTestWait{20000};

// Polls done() until it holds or the limit passes; whether it held.
template <class Done>
bool WaitUntil(Done done, std::chrono::milliseconds limit = kTestWait) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
