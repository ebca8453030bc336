// A doubly linked list of heap blocks: morbane's queue of I-Am answers and
// its list of the devices a pass has dumped. The list owns its nodes and,
// once appended, their data: every block handed to it comes from malloc
// and goes back with free.
#pragma once

#include <cstdint>

struct DemoListNode {
  DemoListNode* previous;
  DemoListNode* next;
  void* data;
};

struct DemoList {
  DemoListNode* head;
  DemoListNode* tail;
  uint32_t element_size;  // bytes DemoListAppendCopy copies
  uint32_t count;
};

// NULL when it cannot be allocated.
DemoList* DemoListNew(uint32_t elementSize);
// The new last node holding data; NULL when no node can be allocated (the
// data then stays the caller's).
DemoListNode* DemoListAppend(DemoList* list, void* data);
// Appends a heap copy of element_size bytes of element.
bool DemoListAppendCopy(DemoList* list, const void* element);
// The first node's data, which becomes the caller's; NULL when empty.
void* DemoListPopFront(DemoList* list);
// Frees the node and gives its data to the caller.
void* DemoListUnlink(DemoList* list, DemoListNode* node);
// Frees the node and its data; the node before it (NULL for the first).
DemoListNode* DemoListRemove(DemoList* list, DemoListNode* node);
DemoListNode* DemoListFirst(const DemoList* list);
// The node after node; the first for NULL.
DemoListNode* DemoListNext(const DemoList* list, const DemoListNode* node);
void* DemoListNodeData(const DemoListNode* node);
uint32_t DemoListCount(const DemoList* list);
bool DemoListIsEmpty(const DemoList* list);
// Frees every node and its data, then the list; NULL is no list.
void DemoListFree(DemoList* list);
