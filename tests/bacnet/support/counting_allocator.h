// A VelmoraAllocator for tests: counts blocks, keeps guard bytes around each
// and can be told to refuse.
#pragma once

#include <cstdint>
#include <vector>

#include "bacnet/any_value.h"

struct CountingAllocator {
  VelmoraAllocator base;
  bool refuse = false;
  int grant = -1;               // blocks it gives before it refuses; -1 no limit
  std::vector<uint32_t> sizes;  // of every block handed out
  int frees = 0;
  int live = 0;
  bool guardsIntact = true;  // checked when a block is freed

  CountingAllocator();
  ~CountingAllocator();
  VelmoraAllocator* get() { return &base; }
};

// Guard bytes on both sides of test buffers.
inline constexpr uint32_t kGuard = 16;
inline constexpr uint8_t kGuardByte = 0xA5;

// A buffer of n usable bytes with guards on both sides: 8-aligned, or placed
// so that its end lies endOffset bytes past an 8-aligned address.
struct GuardedBuffer {
  explicit GuardedBuffer(uint32_t n);
  GuardedBuffer(uint32_t n, uint32_t endOffset);
  uint8_t* data() { return storage.data() + kGuard + shift; }
  uint32_t size() const { return n; }
  bool guardsIntact() const;
  uint32_t n;
  uint32_t shift = 0;
  std::vector<uint8_t> storage;
};
