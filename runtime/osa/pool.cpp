#include "runtime/osa/pool.h"

#include <cstdint>
#include <new>

#include "runtime/osa/osa.h"

namespace {

// Items hold a node at their start, so each must be big enough and keep the
// node aligned.
bool ItemSizeValid(size_t item_size) {
  return item_size >= sizeof(ListNode) && item_size % alignof(ListNode) == 0;
}

bool BlockSize(size_t item_size, uint32_t item_count, size_t header_size, size_t* total) {
  if (item_count != 0 && item_size > (SIZE_MAX - header_size) / item_count) return false;
  *total = item_size * item_count + header_size;
  return true;
}

}  // namespace

Pool* PoolBlockAlloc(size_t item_size, uint32_t item_count, size_t header_size) {
  size_t total = 0;
  if (!ItemSizeValid(item_size) || header_size < sizeof(Pool) ||
      header_size % alignof(ListNode) != 0 ||
      !BlockSize(item_size, item_count, header_size, &total)) {
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(OsaMemAlloc(total));
  if (!block) return nullptr;
  // The free list is the caller's to set.
  auto* pool = new (block) Pool;
  pool->items = block + header_size;
  pool->item_count = item_count;
  pool->reserved = 0;
  pool->gets = 0;
  pool->empty_gets = 0;
  return pool;
}

Pool* PoolCreate(size_t item_size, uint32_t item_count, const char* name) {
  Pool* pool = PoolBlockAlloc(item_size, item_count, sizeof(Pool));
  if (!pool) {
    OsaLog(OSA_LOG_ERROR, "Cannot allocate %s pool", name ? name : "");
    return nullptr;
  }
  ListClear(&pool->free_list);
  ListThreadArray(&pool->free_list, pool->items, item_count, item_size);
  return pool;
}

uint32_t PoolDestroy(Pool* pool) { return OsaMemFree(pool); }

void* PoolGet(Pool* pool) {
  ListNode* node = ListPopBack(&pool->free_list);
  if (node) {
    ++pool->gets;
  } else {
    ++pool->empty_gets;
  }
  return node;
}

void PoolPut(Pool* pool, void* item) {
  ListPushFront(&pool->free_list, static_cast<ListNode*>(item));
}

void* PoolItem(Pool* pool, size_t item_size, uint32_t index) {
  return index < pool->item_count ? pool->items + item_size * index : nullptr;
}

ListHeader* ListClear(ListHeader* list) {
  list->first = nullptr;
  list->last = nullptr;
  list->count = 0;
  return list;
}

void ListPushFront(ListHeader* list, ListNode* node) {
  node->prev = nullptr;
  node->next = list->first;
  if (list->first) {
    list->first->prev = node;
  } else {
    list->last = node;
  }
  list->first = node;
  ++list->count;
}

void ListPushBack(ListHeader* list, ListNode* node) {
  node->next = nullptr;
  node->prev = list->last;
  if (list->last) {
    list->last->next = node;
  } else {
    list->first = node;
  }
  list->last = node;
  ++list->count;
}

void ListInsertBefore(ListHeader* list, ListNode* at, ListNode* node) {
  node->next = at;
  node->prev = at->prev;
  if (at->prev) {
    at->prev->next = node;
  } else {
    list->first = node;
  }
  at->prev = node;
  ++list->count;
}

void ListInsertAfter(ListHeader* list, ListNode* at, ListNode* node) {
  node->prev = at;
  node->next = at->next;
  if (at->next) {
    at->next->prev = node;
  } else {
    list->last = node;
  }
  at->next = node;
  ++list->count;
}

void ListRemove(ListHeader* list, ListNode* node) {
  if (node->prev) {
    node->prev->next = node->next;
  } else {
    list->first = node->next;
  }
  if (node->next) {
    node->next->prev = node->prev;
  } else {
    list->last = node->prev;
  }
  node->prev = nullptr;
  node->next = nullptr;
  --list->count;
}

ListNode* ListPopFront(ListHeader* list) {
  ListNode* node = list->first;
  if (node) ListRemove(list, node);
  return node;
}

ListNode* ListPopBack(ListHeader* list) {
  ListNode* node = list->last;
  if (node) ListRemove(list, node);
  return node;
}

void* ListThreadArray(ListHeader* list, void* first, uint32_t count, size_t item_size) {
  auto* item = static_cast<unsigned char*>(first);
  void* last = nullptr;
  for (uint32_t i = 0; i < count; ++i, item += item_size) {
    ListPushFront(list, reinterpret_cast<ListNode*>(item));
    last = item;
  }
  return last;
}
