#pragma once
// A private heap: blocks know their size, the heap knows its blocks, and
// destroying the heap frees every block still in it. Safe from any thread.

#include <cstddef>

struct PlatHeap;

// initial_size is a hint; the heap grows without a limit.
PlatHeap* PlatHeapCreate(size_t initial_size);
// Frees every block still allocated, then the heap.
bool PlatHeapDestroy(PlatHeap* heap);
// Largest block: sizes are counted in 32-bit signed counters.
inline constexpr size_t PLAT_HEAP_MAX_BLOCK = 0x7FFFFFFF;
// size bytes aligned for any type; NULL above PLAT_HEAP_MAX_BLOCK or when
// out of memory.
void* PlatHeapAlloc(PlatHeap* heap, size_t size);
// False for NULL, a block of another heap or one already freed.
bool PlatHeapFree(PlatHeap* heap, void* block);
// The bytes the block holds; PLAT_HEAP_BAD_SIZE for a block not of this heap.
size_t PlatHeapSize(PlatHeap* heap, const void* block);
inline constexpr size_t PLAT_HEAP_BAD_SIZE = static_cast<size_t>(-1);
