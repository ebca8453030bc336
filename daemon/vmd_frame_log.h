// The frame log: the last frames of every link, both ways, kept for tests
// when the configuration asks for it (vmd_frame_log.cpp).
//
// Lock order: `VmdFrameLog::mu` is taken last and alone.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "daemon/vmd_core.h"

struct VmdFrameLog {
  std::mutex mu;
  std::condition_variable cv;
  std::deque<VmdFrame> items;
  uint64_t seq = 0;
  size_t bytes = 0;  // message bytes held in `items`
};
