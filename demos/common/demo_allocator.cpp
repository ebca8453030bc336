// The demo clients' allocator over the C runtime's heap.
#include <cstdlib>

#include "demos/common/demo_common.h"

namespace {

constexpr VelmoraAllocatorOps kCrtOps = {CrtAllocatorAlloc, CrtAllocatorFree};

}  // namespace

void* CrtAllocatorAlloc(VelmoraAllocator*, uint32_t size) { return std::malloc(size); }

void CrtAllocatorFree(VelmoraAllocator*, void* block) { std::free(block); }

VelmoraAllocator CrtAllocator = {&kCrtOps};
