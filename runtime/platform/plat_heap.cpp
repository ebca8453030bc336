#include "runtime/platform/plat_heap.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

// The heap keeps each block's size beside it rather than in a header, so a
// pointer that is not one of its blocks (or was freed already) is refused
// without being touched.
struct PlatHeap {
  std::mutex m;
  std::unordered_map<void*, size_t> blocks;
};

PlatHeap* PlatHeapCreate(size_t initial_size) {
  auto* heap = new (std::nothrow) PlatHeap();
  if (!heap) return nullptr;
  try {
    heap->blocks.reserve(initial_size / 64);
  } catch (const std::bad_alloc&) {
  }
  return heap;
}

bool PlatHeapDestroy(PlatHeap* heap) {
  if (!heap) return false;
  for (auto& [block, size] : heap->blocks)
    free(block);
  delete heap;
  return true;
}

void* PlatHeapAlloc(PlatHeap* heap, size_t size) {
  if (!heap || size > PLAT_HEAP_MAX_BLOCK) return nullptr;
  // malloc's blocks are aligned for any type; 0 bytes still get a block.
  void* block = malloc(size == 0 ? 1 : size);
  if (!block) return nullptr;
  try {
    std::lock_guard<std::mutex> guard(heap->m);
    heap->blocks.emplace(block, size);
  } catch (const std::bad_alloc&) {
    free(block);
    return nullptr;
  }
  return block;
}

bool PlatHeapFree(PlatHeap* heap, void* block) {
  if (!heap || !block) return false;
  {
    std::lock_guard<std::mutex> guard(heap->m);
    if (heap->blocks.erase(block) == 0) return false;
  }
  free(block);
  return true;
}

size_t PlatHeapSize(PlatHeap* heap, const void* block) {
  if (!heap || !block) return PLAT_HEAP_BAD_SIZE;
  std::lock_guard<std::mutex> guard(heap->m);
  const auto it = heap->blocks.find(const_cast<void*>(block));
  return it == heap->blocks.end() ? PLAT_HEAP_BAD_SIZE : it->second;
}
