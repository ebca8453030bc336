// Item pools and doubly linked lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/osa/osa.h"
#include "runtime/osa/pool.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

struct Item {
  ListNode node;
  int id;
  char payload[12];
};

class PoolTest : public OsaTest {
 protected:
  void SetUp() override {
    OsaTest::SetUp();
    ASSERT_NE(OsaInit(), nullptr);
  }
  static int Index(Pool* pool, void* item) {
    return item ? static_cast<int>((static_cast<unsigned char*>(item) - pool->items) / sizeof(Item))
                : -1;
  }
};

TEST_F(PoolTest, HandsOutInArrayOrderThenPutBacksFirstInFirstOut) {
  Pool* pool = PoolCreate(sizeof(Item), 3, "Test");
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->items, reinterpret_cast<unsigned char*>(pool) + sizeof(Pool));
  std::vector<int> order;
  for (int i = 0; i < 4; ++i)
    order.push_back(Index(pool, PoolGet(pool)));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(pool->gets, 3u);
  EXPECT_EQ(pool->empty_gets, 1u);
  PoolPut(pool, PoolItem(pool, sizeof(Item), 1));
  PoolPut(pool, PoolItem(pool, sizeof(Item), 0));
  order.clear();
  for (int i = 0; i < 3; ++i)
    order.push_back(Index(pool, PoolGet(pool)));
  EXPECT_EQ(order, (std::vector<int>{1, 0, -1}));
  EXPECT_EQ(pool->gets, 5u);
  EXPECT_EQ(pool->empty_gets, 2u);
  EXPECT_EQ(PoolDestroy(pool), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 0u);
}

TEST_F(PoolTest, ItemsAreWholeAndSeparate) {
  constexpr uint32_t kCount = 50;
  Pool* pool = PoolCreate(sizeof(Item), kCount, "Test");
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), sizeof(Pool) + kCount * sizeof(Item));
  std::vector<Item*> items;
  for (uint32_t i = 0; i < kCount; ++i) {
    auto* item = static_cast<Item*>(PoolGet(pool));
    ASSERT_NE(item, nullptr);
    item->id = static_cast<int>(i);
    memset(item->payload, static_cast<int>(i), sizeof item->payload);
    items.push_back(item);
  }
  for (uint32_t i = 0; i < kCount; ++i) {
    EXPECT_EQ(items[i]->id, static_cast<int>(i));
    EXPECT_EQ(items[i]->payload[11], static_cast<char>(i));
  }
  PoolDestroy(pool);
}

TEST_F(PoolTest, CreateRefusesUnusableSizesAndLogsTheName) {
  struct Case {
    size_t item_size;
    uint32_t count;
  } const cases[] = {
      {sizeof(ListNode) - 1, 4},         // no room for the links
      {sizeof(ListNode) + 1, 4},         // links of item 1 misaligned
      {(SIZE_MAX / 2) & ~size_t{7}, 4},  // size overflows
  };
  for (const Case& c : cases) {
    debug_.Clear();
    EXPECT_EQ(PoolCreate(c.item_size, c.count, "ConfParam"), nullptr) << c.item_size;
    EXPECT_EQ(debug_.Lines(),
              std::vector<std::string>{"VELMORA ERROR: Cannot allocate ConfParam pool\n"});
  }
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 0u);
}

TEST_F(PoolTest, CreateWithoutTheLayerFails) {
  ASSERT_TRUE(OsaTerm());
  debug_.Clear();
  EXPECT_EQ(PoolCreate(sizeof(Item), 3, "ConfParam"), nullptr);
  EXPECT_EQ(debug_.Count("Cannot allocate ConfParam pool"), 1u);
}

TEST_F(PoolTest, EmptyPoolOnlyCountsFailedGets) {
  Pool* pool = PoolCreate(sizeof(Item), 0, "Empty");
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(PoolGet(pool), nullptr);
  EXPECT_EQ(PoolGet(pool), nullptr);
  EXPECT_EQ(pool->gets, 0u);
  EXPECT_EQ(pool->empty_gets, 2u);
  PoolDestroy(pool);
}

TEST_F(PoolTest, BlockAllocLeavesTheFreeListToTheCaller) {
  struct Header {
    Pool pool;
    uint64_t extra[2];
  };
  Pool* pool = PoolBlockAlloc(sizeof(Item), 4, sizeof(Header));
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->items, reinterpret_cast<unsigned char*>(pool) + sizeof(Header));
  EXPECT_EQ(pool->item_count, 4u);
  EXPECT_EQ(pool->gets, 0u);
  EXPECT_EQ(pool->empty_gets, 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), sizeof(Header) + 4 * sizeof(Item));
  EXPECT_EQ(PoolBlockAlloc(sizeof(Item), 4, sizeof(Pool) - 8), nullptr);
  PoolDestroy(pool);
}

void PushThree(ListHeader* list, ListNode* nodes) {
  for (int i = 0; i < 3; ++i)
    ListPushBack(list, &nodes[i]);
}

// Lists: each case applies operations to nodes 0..4 and names the order
// that must result, read both ways.
class ListTest : public ::testing::Test {
 protected:
  void SetUp() override { ListClear(&list_); }
  std::vector<int> Forward() const {
    std::vector<int> ids;
    for (ListNode* n = list_.first; n; n = n->next)
      ids.push_back(Id(n));
    return ids;
  }
  std::vector<int> Backward() const {
    std::vector<int> ids;
    for (ListNode* n = list_.last; n; n = n->prev)
      ids.insert(ids.begin(), Id(n));
    return ids;
  }
  int Id(const ListNode* n) const { return static_cast<int>(n - nodes_); }
  ListNode nodes_[5] = {};
  ListHeader list_;
};

TEST_F(ListTest, OperationsKeepBothDirectionsAndTheCount) {
  struct Case {
    const char* name;
    void (*apply)(ListHeader*, ListNode*);
    std::vector<int> order;
  } const cases[] = {
      {"push back", [](ListHeader* l, ListNode* n) { PushThree(l, n); }, {0, 1, 2}},
      {"push front",
       [](ListHeader* l, ListNode* n) {
         for (int i = 0; i < 3; ++i)
           ListPushFront(l, &n[i]);
       },
       {2, 1, 0}},
      {"insert before first",
       [](ListHeader* l, ListNode* n) {
         ListPushBack(l, &n[0]);
         ListPushBack(l, &n[1]);
         ListInsertBefore(l, &n[0], &n[2]);
       },
       {2, 0, 1}},
      {"insert before middle",
       [](ListHeader* l, ListNode* n) {
         ListPushBack(l, &n[0]);
         ListPushBack(l, &n[1]);
         ListInsertBefore(l, &n[1], &n[2]);
       },
       {0, 2, 1}},
      {"insert after last",
       [](ListHeader* l, ListNode* n) {
         ListPushBack(l, &n[0]);
         ListPushBack(l, &n[1]);
         ListInsertAfter(l, &n[1], &n[2]);
       },
       {0, 1, 2}},
      {"insert after first",
       [](ListHeader* l, ListNode* n) {
         ListPushBack(l, &n[0]);
         ListPushBack(l, &n[1]);
         ListInsertAfter(l, &n[0], &n[2]);
       },
       {0, 2, 1}},
      {"remove middle",
       [](ListHeader* l, ListNode* n) {
         PushThree(l, n);
         ListRemove(l, &n[1]);
       },
       {0, 2}},
      {"remove first",
       [](ListHeader* l, ListNode* n) {
         PushThree(l, n);
         ListRemove(l, &n[0]);
       },
       {1, 2}},
      {"remove last",
       [](ListHeader* l, ListNode* n) {
         PushThree(l, n);
         ListRemove(l, &n[2]);
       },
       {0, 1}},
      {"remove only",
       [](ListHeader* l, ListNode* n) {
         ListPushBack(l, &n[0]);
         ListRemove(l, &n[0]);
       },
       {}},
      {"pop front",
       [](ListHeader* l, ListNode* n) {
         PushThree(l, n);
         ListPopFront(l);
       },
       {1, 2}},
      {"pop back",
       [](ListHeader* l, ListNode* n) {
         PushThree(l, n);
         ListPopBack(l);
       },
       {0, 1}},
      {"pop only",
       [](ListHeader* l, ListNode* n) {
         ListPushFront(l, &n[3]);
         ListPopBack(l);
       },
       {}},
      {"thread array",
       [](ListHeader* l, ListNode* n) { ListThreadArray(l, n, 4, sizeof(ListNode)); },
       {3, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    ListClear(&list_);
    c.apply(&list_, nodes_);
    EXPECT_EQ(Forward(), c.order) << c.name;
    EXPECT_EQ(Backward(), c.order) << c.name;
    EXPECT_EQ(list_.count, c.order.size()) << c.name;
    if (c.order.empty()) {
      EXPECT_EQ(list_.first, nullptr) << c.name;
      EXPECT_EQ(list_.last, nullptr) << c.name;
    }
  }
}

TEST_F(ListTest, PopsReturnTheEndNodesAndNullWhenEmpty) {
  EXPECT_EQ(ListPopFront(&list_), nullptr);
  EXPECT_EQ(ListPopBack(&list_), nullptr);
  EXPECT_EQ(list_.count, 0u);
  ListPushBack(&list_, &nodes_[0]);
  ListPushBack(&list_, &nodes_[1]);
  EXPECT_EQ(ListPopFront(&list_), &nodes_[0]);
  EXPECT_EQ(ListPopBack(&list_), &nodes_[1]);
  EXPECT_EQ(ListPopFront(&list_), nullptr);
  EXPECT_EQ(list_.count, 0u);
}

TEST_F(ListTest, ThreadArrayReturnsTheLastItemThreaded) {
  EXPECT_EQ(ListThreadArray(&list_, nodes_, 5, sizeof(ListNode)), &nodes_[4]);
  EXPECT_EQ(ListThreadArray(&list_, nodes_, 0, sizeof(ListNode)), nullptr);
  EXPECT_EQ(ListClear(&list_), &list_);
  EXPECT_EQ(list_.count, 0u);
}

}  // namespace
