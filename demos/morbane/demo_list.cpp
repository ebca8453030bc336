#include "demos/morbane/demo_list.h"

#include <cstdlib>
#include <cstring>

DemoList* DemoListNew(uint32_t elementSize) {
  auto* list = static_cast<DemoList*>(std::malloc(sizeof(DemoList)));
  if (list) *list = DemoList{nullptr, nullptr, elementSize, 0};
  return list;
}

DemoListNode* DemoListAppend(DemoList* list, void* data) {
  if (!list) return nullptr;
  auto* node = static_cast<DemoListNode*>(std::malloc(sizeof(DemoListNode)));
  if (!node) return nullptr;
  *node = DemoListNode{list->tail, nullptr, data};
  if (list->tail)
    list->tail->next = node;
  else
    list->head = node;
  list->tail = node;
  ++list->count;
  return node;
}

bool DemoListAppendCopy(DemoList* list, const void* element) {
  if (!list || !element) return false;
  void* copy = std::malloc(list->element_size ? list->element_size : 1);
  if (!copy) return false;
  std::memcpy(copy, element, list->element_size);
  if (DemoListAppend(list, copy)) return true;
  std::free(copy);
  return false;
}

void* DemoListPopFront(DemoList* list) {
  return list && list->head ? DemoListUnlink(list, list->head) : nullptr;
}

void* DemoListUnlink(DemoList* list, DemoListNode* node) {
  if (!list || !node) return nullptr;
  if (node->previous)
    node->previous->next = node->next;
  else
    list->head = node->next;
  if (node->next)
    node->next->previous = node->previous;
  else
    list->tail = node->previous;
  --list->count;
  void* data = node->data;
  std::free(node);
  return data;
}

DemoListNode* DemoListRemove(DemoList* list, DemoListNode* node) {
  if (!list || !node) return nullptr;
  DemoListNode* previous = node->previous;
  std::free(DemoListUnlink(list, node));
  return previous;
}

DemoListNode* DemoListFirst(const DemoList* list) { return list ? list->head : nullptr; }

DemoListNode* DemoListNext(const DemoList* list, const DemoListNode* node) {
  if (!list) return nullptr;
  return node ? node->next : list->head;
}

void* DemoListNodeData(const DemoListNode* node) { return node ? node->data : nullptr; }

uint32_t DemoListCount(const DemoList* list) { return list ? list->count : 0; }

bool DemoListIsEmpty(const DemoList* list) { return !list || !list->tail; }

void DemoListFree(DemoList* list) {
  if (!list) return;
  while (list->head)
    std::free(DemoListPopFront(list));
  std::free(list);
}
