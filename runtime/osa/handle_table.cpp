#include "runtime/osa/handle_table.h"

#include <cstddef>
#include <cstring>

#include "runtime/osa/osa.h"
#include "runtime/platform/plat_sync.h"

namespace {

constexpr uint32_t kMultiplier = 1103515245u;
constexpr uint32_t kIncrement = 12345u;
constexpr uint64_t kMaxSlots = uint64_t(1) << 32;  // the mask is 32 bits wide

int32_t* RefCount(void* object) { return static_cast<int32_t*>(object); }

void DropReference(HandleTable* table, void* object) {
  if (PlatAtomicDecrement(RefCount(object)) == 0) table->destroy(object);
}

// A zeroed slot array, or none when its size does not fit a heap block (it
// is worked out wide, so a large count cannot wrap to a small block).
HandleSlot* SlotsAlloc(uint64_t slotCount) {
  size_t bytes = 0;
  if (slotCount > kMaxSlots ||
      __builtin_mul_overflow(size_t(slotCount), sizeof(HandleSlot), &bytes))
    return nullptr;
  auto* slots = static_cast<HandleSlot*>(OsaMemAlloc(bytes));
  if (slots) std::memset(slots, 0, bytes);
  return slots;
}

uint32_t NextHandle(uint32_t handle) { return handle * kMultiplier + kIncrement; }

}  // namespace

HandleTable* HandleTableCreate(uint32_t hint, HandleDestroyFn destroy) {
  if (hint >= HANDLE_TABLE_HINT_LIMIT || !destroy) return nullptr;
  uint64_t base = 16;
  if (hint >= 16) base = uint64_t(1) << (32 - __builtin_clz(hint));
  auto* table = static_cast<HandleTable*>(OsaMemAlloc(sizeof(HandleTable)));
  if (!table) return nullptr;
  std::memset(table, 0, sizeof *table);
  table->slots = SlotsAlloc(2 * base);
  if (!table->slots) {
    OsaMemFree(table);
    return nullptr;
  }
  table->mask = uint32_t(2 * base - 1);
  PlatLockInit(&table->lookup_lock);
  PlatLockInit(&table->update_lock);
  table->destroy = destroy;
  return table;
}

void HandleTableDestroy(HandleTable* table) {
  if (!table) return;
  for (uint64_t i = uint64_t(table->mask) + 1; i-- > 0;) {
    if (table->slots[i].handle != 0) DropReference(table, table->slots[i].object);
  }
  PlatLockDelete(&table->lookup_lock);
  PlatLockDelete(&table->update_lock);
  OsaMemFree(table->slots);
  OsaMemFree(table);
}

bool HandleTableGrow(HandleTable* table) {
  if (table->count >= HANDLE_TABLE_HINT_LIMIT) return false;
  const uint64_t oldCount = uint64_t(table->mask) + 1;
  HandleSlot* slots = SlotsAlloc(2 * oldCount);
  if (!slots) return false;
  const uint32_t mask = uint32_t(2 * oldCount - 1);
  // The new mask keeps every bit of the old one, so no two handles collide.
  for (uint64_t i = 0; i < oldCount; ++i) {
    if (table->slots[i].handle != 0) slots[table->slots[i].handle & mask] = table->slots[i];
  }
  HandleSlot* old;
  {
    PlatLockGuard guard(&table->lookup_lock);
    old = table->slots;
    table->slots = slots;
    table->mask = mask;
  }
  OsaMemFree(old);
  return true;
}

uint32_t HandleTableInsert(HandleTable* table, void* object) {
  if (!table || !object) return 0;
  PlatAtomicIncrement(RefCount(object));
  uint32_t handle;
  {
    PlatLockGuard update(&table->update_lock);
    if (table->mask / 2 + 1 < table->count && !HandleTableGrow(table)) {
      handle = 0;
    } else {
      ++table->count;
      handle = table->last_handle;
      do {
        handle = NextHandle(handle);
      } while (handle == 0 || handle == 0xFFFFFFFFu || table->slots[handle & table->mask].handle);
      table->last_handle = handle;
      PlatLockGuard lookup(&table->lookup_lock);
      table->slots[handle & table->mask] = {handle, object};
    }
  }
  if (handle == 0) DropReference(table, object);
  return handle;
}

void* HandleTableLookup(HandleTable* table, uint32_t handle) {
  if (!table || handle == 0) return nullptr;
  PlatLockGuard guard(&table->lookup_lock);
  const HandleSlot& slot = table->slots[handle & table->mask];
  if (slot.handle != handle) return nullptr;
  PlatAtomicIncrement(RefCount(slot.object));
  return slot.object;
}

void HandleTableRelease(HandleTable* table, void* object) {
  if (table && object) DropReference(table, object);
}

void HandleTableRemove(HandleTable* table, uint32_t handle) {
  if (!table || handle == 0) return;
  void* object = nullptr;
  {
    PlatLockGuard update(&table->update_lock);
    HandleSlot& slot = table->slots[handle & table->mask];
    if (slot.handle != handle) return;
    object = slot.object;
    {
      PlatLockGuard lookup(&table->lookup_lock);
      slot = {0, nullptr};
    }
    --table->count;
  }
  DropReference(table, object);
}
