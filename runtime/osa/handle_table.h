#pragma once
// Opaque 32-bit handles for reference-counted heap objects. An object's
// first member is its signed 32-bit reference count, changed only by
// interlocked operations; the table holds one reference on every object in
// it and never looks at the rest. Handles are never 0 or 0xFFFFFFFF, and a
// removed handle is not found again.

#include <cstdint>

#include "runtime/platform/plat_lock.h"

struct HandleSlot {
  uint32_t handle;  // 0: free
  void* object;
};

// Called with an object whose last reference went.
using HandleDestroyFn = void (*)(void* object);

// An object sits in slot handle & mask, and no two handles in the table
// share that slot. The slot count is a power of two, at least 32.
struct HandleTable {
  HandleSlot* slots;
  uint32_t mask;         // slot count - 1
  PlatLock lookup_lock;  // held while a slot is read or written
  HandleDestroyFn destroy;
  uint32_t last_handle;  // the generator's state
  uint32_t count;
  PlatLock update_lock;  // serialises insertions and removals; taken before lookup_lock
};

// Hints of HANDLE_TABLE_HINT_LIMIT and above are refused, as is a growth
// once the table holds that many objects.
inline constexpr uint32_t HANDLE_TABLE_HINT_LIMIT = 0x0FFFFFFF;

// From the private heap; none for a refused hint, a table too large for one
// heap block, or short memory.
HandleTable* HandleTableCreate(uint32_t hint, HandleDestroyFn destroy);
// Drops the table's reference on every object left. No other thread may use
// the table meanwhile.
void HandleTableDestroy(HandleTable* table);
// Takes a reference for the table; the new handle, or 0 (the reference
// given back) when the table could not grow.
uint32_t HandleTableInsert(HandleTable* table, void* object);
// The object with one more reference, which the finder drops with
// HandleTableRelease; none for 0 or a handle not in the table.
void* HandleTableLookup(HandleTable* table, uint32_t handle);
void HandleTableRelease(HandleTable* table, void* object);
// Drops the table's reference; an unknown handle does nothing.
void HandleTableRemove(HandleTable* table, uint32_t handle);
// Doubles the slot array, called under the update lock; false with the
// table unchanged when the doubled array cannot be had.
bool HandleTableGrow(HandleTable* table);
