#include "tests/bacnet/support/counting_allocator.h"

#include <cstdlib>
#include <cstring>

namespace {

// Block layout: size word, guard, the block, guard.
constexpr uint32_t kHead = 8 + kGuard;

void* Alloc(VelmoraAllocator* self, uint32_t size) {
  auto* a = reinterpret_cast<CountingAllocator*>(self);
  if (a->refuse || a->grant == 0) return nullptr;
  if (a->grant > 0) --a->grant;
  auto* raw = static_cast<uint8_t*>(std::malloc(kHead + size + kGuard));
  std::memcpy(raw, &size, sizeof size);
  std::memset(raw + 8, kGuardByte, kGuard);
  std::memset(raw + kHead + size, kGuardByte, kGuard);
  a->sizes.push_back(size);
  ++a->live;
  return raw + kHead;
}

bool Intact(const uint8_t* p, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i)
    if (p[i] != kGuardByte) return false;
  return true;
}

void Free(VelmoraAllocator* self, void* block) {
  auto* a = reinterpret_cast<CountingAllocator*>(self);
  auto* raw = static_cast<uint8_t*>(block) - kHead;
  uint32_t size;
  std::memcpy(&size, raw, sizeof size);
  a->guardsIntact =
      a->guardsIntact && Intact(raw + 8, kGuard) && Intact(raw + kHead + size, kGuard);
  ++a->frees;
  --a->live;
  std::free(raw);
}

constexpr VelmoraAllocatorOps kOps = {Alloc, Free};

}  // namespace

CountingAllocator::CountingAllocator() { base.ops = &kOps; }
CountingAllocator::~CountingAllocator() = default;

GuardedBuffer::GuardedBuffer(uint32_t size) : n(size), storage(size + 2 * kGuard + 8, kGuardByte) {
  // std::vector storage is suitably aligned for any scalar; kGuard keeps it.
  static_assert(kGuard % 8 == 0);
}

GuardedBuffer::GuardedBuffer(uint32_t size, uint32_t endOffset) : GuardedBuffer(size) {
  shift = (endOffset + 8 - size % 8) % 8;
}

bool GuardedBuffer::guardsIntact() const {
  const uint32_t head = kGuard + shift;
  return Intact(storage.data(), head) && Intact(storage.data() + head + n, kGuard + 8 - shift);
}
