#include "runtime/platform/plat_heap.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr uint32_t kLiveMagic = 0x48504C56;  // "VLPH"
constexpr uint32_t kFreeMagic = 0x46504C56;

// Precedes every block; its size keeps the block aligned for any type.
struct alignas(alignof(std::max_align_t)) BlockHeader {
  BlockHeader* prev;
  BlockHeader* next;
  PlatHeap* heap;
  size_t size;
  uint32_t magic;
};

}  // namespace

struct PlatHeap {
  std::mutex m;
  BlockHeader* blocks = nullptr;
};

namespace {

BlockHeader* HeaderOf(const void* block) {
  return const_cast<BlockHeader*>(static_cast<const BlockHeader*>(block) - 1);
}

bool Owns(PlatHeap* heap, const BlockHeader* h) { return h->heap == heap && h->magic == kLiveMagic; }

}  // namespace

PlatHeap* PlatHeapCreate(size_t) { return new (std::nothrow) PlatHeap(); }

bool PlatHeapDestroy(PlatHeap* heap) {
  if (!heap) return false;
  BlockHeader* h = heap->blocks;
  while (h) {
    BlockHeader* next = h->next;
    h->magic = kFreeMagic;
    free(h);
    h = next;
  }
  delete heap;
  return true;
}

void* PlatHeapAlloc(PlatHeap* heap, size_t size) {
  if (!heap || size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  auto* h = static_cast<BlockHeader*>(malloc(sizeof(BlockHeader) + size));
  if (!h) return nullptr;
  h->heap = heap;
  h->size = size;
  h->magic = kLiveMagic;
  h->prev = nullptr;
  std::lock_guard<std::mutex> guard(heap->m);
  h->next = heap->blocks;
  if (heap->blocks) heap->blocks->prev = h;
  heap->blocks = h;
  return h + 1;
}

bool PlatHeapFree(PlatHeap* heap, void* block) {
  if (!heap || !block) return false;
  BlockHeader* h = HeaderOf(block);
  {
    std::lock_guard<std::mutex> guard(heap->m);
    if (!Owns(heap, h)) return false;
    if (h->prev) {
      h->prev->next = h->next;
    } else {
      heap->blocks = h->next;
    }
    if (h->next) h->next->prev = h->prev;
    h->magic = kFreeMagic;
  }
  free(h);
  return true;
}

size_t PlatHeapSize(PlatHeap* heap, const void* block) {
  if (!heap || !block) return PLAT_HEAP_BAD_SIZE;
  const BlockHeader* h = HeaderOf(block);
  std::lock_guard<std::mutex> guard(heap->m);
  return Owns(heap, h) ? h->size : PLAT_HEAP_BAD_SIZE;
}
