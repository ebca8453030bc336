#pragma once
// Doubly linked lists of records whose first two pointers are the links, and
// the item pool: one private-heap block holding a header and a fixed number
// of items, the free ones on a list. Neither takes a lock: the user holds
// its own around every call.

#include <cstddef>
#include <cstdint>

// The first member of every record that can be listed.
struct ListNode {
  ListNode* prev;
  ListNode* next;
};

// Empty: both ends NULL and count 0.
struct ListHeader {
  ListNode* first;
  ListNode* last;
  uint32_t count;
};

// Header of a pool block; the items follow it directly.
struct Pool {
  ListHeader free_list;
  unsigned char* items;  // the block's start plus the header
  uint32_t item_count;
  uint32_t reserved;
  uint32_t gets;        // successful PoolGet calls
  uint32_t empty_gets;  // PoolGet calls that found the pool empty
};

// item_size must hold a ListNode and keep it aligned. Items come out in
// array order first; items put back come out in the order they were put
// back. NULL (logged with the name) when the block cannot be had.
Pool* PoolCreate(size_t item_size, uint32_t item_count, const char* name);
// OsaMemFree's result.
uint32_t PoolDestroy(Pool* pool);
void* PoolGet(Pool* pool);
void PoolPut(Pool* pool, void* item);
// A block of header_size bytes (at least a Pool) followed by the items, with
// the item pointer, the item count and zero counters set; the free list is
// left as it is.
Pool* PoolBlockAlloc(size_t item_size, uint32_t item_count, size_t header_size);
// Item i of the pool.
void* PoolItem(Pool* pool, size_t item_size, uint32_t index);

ListHeader* ListClear(ListHeader* list);
void ListPushFront(ListHeader* list, ListNode* node);
void ListPushBack(ListHeader* list, ListNode* node);
void ListInsertBefore(ListHeader* list, ListNode* at, ListNode* node);
void ListInsertAfter(ListHeader* list, ListNode* at, ListNode* node);
// NULL for an empty list.
ListNode* ListPopFront(ListHeader* list);
ListNode* ListPopBack(ListHeader* list);
// No check that node is in the list.
void ListRemove(ListHeader* list, ListNode* node);

// Pushes count items of item_size bytes, from first on, each at the front;
// the last item threaded (NULL for count 0).
void* ListThreadArray(ListHeader* list, void* first, uint32_t count, size_t item_size);
