#include <atomic>

#include "runtime/osa/osa.h"
#include "runtime/osa/osa_internal.h"
#include "runtime/platform/plat_heap.h"
#include "runtime/platform/plat_sync.h"

namespace {

constexpr size_t kInitialHeapSize = 0x80000;
std::atomic<PlatHeap*> g_heap{nullptr};

}  // namespace

bool OsaHeapCreate(void) {
  PlatHeap* heap = PlatHeapCreate(kInitialHeapSize);
  if (!heap) return false;
  g_heap.store(heap);
  return true;
}

bool OsaHeapDestroy(void) {
  if (PlatHeap* heap = g_heap.exchange(nullptr)) PlatHeapDestroy(heap);
  return true;
}

void* OsaMemAlloc(size_t size) {
  PlatHeap* heap = g_heap.load();
  if (!heap) return nullptr;
  void* block = PlatHeapAlloc(heap, size == 0 ? 1 : size);
  if (!block) return nullptr;
  PlatAtomicIncrement(&g_osa_stats[OSA_STAT_BLOCKS]);
  PlatAtomicAdd(&g_osa_stats[OSA_STAT_BYTES], static_cast<int32_t>(PlatHeapSize(heap, block)));
  return block;
}

uint32_t OsaMemFree(void* block) {
  PlatHeap* heap = g_heap.load();
  if (!heap || !block) return 0;
  const size_t size = PlatHeapSize(heap, block);
  if (size == PLAT_HEAP_BAD_SIZE || !PlatHeapFree(heap, block)) return 0;
  PlatAtomicAdd(&g_osa_stats[OSA_STAT_BYTES], -static_cast<int32_t>(size));
  return static_cast<uint32_t>(PlatAtomicDecrement(&g_osa_stats[OSA_STAT_BLOCKS]));
}

uint32_t OsaStatGet(uint32_t index) {
  if (index > OSA_STAT_THREADS) return 0;
  return static_cast<uint32_t>(PlatAtomicLoad(&g_osa_stats[index]));
}
