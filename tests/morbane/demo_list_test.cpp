// The list behind morbane's queue of I-Am answers and its seen devices: the
// links stay whole in both directions whichever node goes, the data is the
// list's once appended, and what a caller takes out is the caller's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "demos/morbane/demo_list.h"

namespace {

int* NewInt(int v) {
  auto* p = static_cast<int*>(std::malloc(sizeof(int)));
  *p = v;
  return p;
}

// The values front to back, checked against the walk back to front.
std::vector<int> Values(const DemoList* list) {
  std::vector<int> forward;
  const DemoListNode* last = nullptr;
  for (DemoListNode* n = DemoListFirst(list); n; n = DemoListNext(list, n)) {
    EXPECT_EQ(n->previous, last);
    forward.push_back(*static_cast<int*>(DemoListNodeData(n)));
    last = n;
  }
  EXPECT_EQ(list->tail, last);
  EXPECT_EQ(DemoListCount(list), forward.size());
  EXPECT_EQ(DemoListIsEmpty(list), forward.empty());
  return forward;
}

DemoListNode* NodeAt(const DemoList* list, int i) {
  DemoListNode* n = DemoListFirst(list);
  while (i-- > 0)
    n = DemoListNext(list, n);
  return n;
}

DemoList* ListOf(std::initializer_list<int> values) {
  DemoList* list = DemoListNew(sizeof(int));
  for (int v : values)
    EXPECT_NE(DemoListAppend(list, NewInt(v)), nullptr);
  return list;
}

TEST(DemoList, AppendsAtTheEndAndPopsFromTheFront) {
  DemoList* list = ListOf({});
  EXPECT_TRUE(DemoListIsEmpty(list));
  EXPECT_EQ(DemoListPopFront(list), nullptr);
  EXPECT_EQ(DemoListNext(list, nullptr), nullptr);
  for (int v : {1, 2, 3})
    DemoListAppend(list, NewInt(v));
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(DemoListNext(list, nullptr), DemoListFirst(list));
  for (int v : {1, 2, 3}) {
    int* p = static_cast<int*>(DemoListPopFront(list));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, v);
    std::free(p);
  }
  EXPECT_EQ(Values(list), std::vector<int>{});
  EXPECT_EQ(list->head, nullptr);
  // Emptied, it takes elements again.
  DemoListAppend(list, NewInt(4));
  EXPECT_EQ(Values(list), std::vector<int>{4});
  DemoListFree(list);
}

TEST(DemoList, UnlinkAndRemoveKeepTheOtherLinks) {
  struct Case {
    int at;
    std::vector<int> left;
    int previous;  // the value before the removed node, 0: none
  };
  const Case cases[] = {{0, {2, 3, 4}, 0}, {1, {1, 3, 4}, 1}, {3, {1, 2, 3}, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.at);
    DemoList* list = ListOf({1, 2, 3, 4});
    int* taken = static_cast<int*>(DemoListUnlink(list, NodeAt(list, c.at)));
    EXPECT_EQ(*taken, c.at + 1);
    std::free(taken);
    EXPECT_EQ(Values(list), c.left);
    DemoListFree(list);

    list = ListOf({1, 2, 3, 4});
    DemoListNode* previous = DemoListRemove(list, NodeAt(list, c.at));
    if (c.previous == 0)
      EXPECT_EQ(previous, nullptr);
    else
      EXPECT_EQ(*static_cast<int*>(DemoListNodeData(previous)), c.previous);
    EXPECT_EQ(Values(list), c.left);
    DemoListFree(list);
  }
  DemoList* list = ListOf({1});
  DemoListRemove(list, DemoListFirst(list));
  EXPECT_EQ(Values(list), std::vector<int>{});
  EXPECT_EQ(list->head, nullptr);
  DemoListFree(list);
}

// Walking with Remove's result visits every node once, as a filter does.
TEST(DemoList, RemovingWhileWalking) {
  DemoList* list = ListOf({1, 2, 3, 4, 5, 6});
  for (DemoListNode* n = DemoListFirst(list); n;) {
    if (*static_cast<int*>(DemoListNodeData(n)) % 2 == 0) {
      n = DemoListNext(list, DemoListRemove(list, n));
      continue;
    }
    n = DemoListNext(list, n);
  }
  EXPECT_EQ(Values(list), (std::vector<int>{1, 3, 5}));
  DemoListFree(list);
}

TEST(DemoList, AppendCopyKeepsItsOwnCopyOfTheElementSize) {
  struct Element {
    int a, b;
  };
  DemoList* list = DemoListNew(sizeof(Element));
  Element e{7, 8};
  ASSERT_TRUE(DemoListAppendCopy(list, &e));
  e.a = 9;
  const auto* kept = static_cast<const Element*>(DemoListNodeData(DemoListFirst(list)));
  EXPECT_NE(kept, &e);
  EXPECT_EQ(kept->a, 7);
  EXPECT_EQ(kept->b, 8);
  EXPECT_FALSE(DemoListAppendCopy(list, nullptr));
  EXPECT_FALSE(DemoListAppendCopy(nullptr, &e));
  EXPECT_EQ(DemoListCount(list), 1u);
  // Free gives back the copies with their nodes (the leak checker sees the rest).
  DemoListFree(list);
}

TEST(DemoList, NoListIsAnEmptyOne) {
  EXPECT_EQ(DemoListAppend(nullptr, nullptr), nullptr);
  EXPECT_EQ(DemoListPopFront(nullptr), nullptr);
  EXPECT_EQ(DemoListFirst(nullptr), nullptr);
  EXPECT_EQ(DemoListCount(nullptr), 0u);
  EXPECT_TRUE(DemoListIsEmpty(nullptr));
  EXPECT_EQ(DemoListNodeData(nullptr), nullptr);
  DemoListFree(nullptr);
}

}  // namespace
