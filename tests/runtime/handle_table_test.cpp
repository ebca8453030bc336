// The handle table: the handle generator, growth, lookups holding a
// reference, removal, failed insertions and sizes that do not fit.
#include "runtime/osa/handle_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/osa/osa.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

struct Object {
  int32_t refs;
  int id;
};

std::atomic<int> g_destroyed{0};

void CountDestroy(void* object) {
  static_cast<Object*>(object)->id = -1;
  ++g_destroyed;
}

// The generator's inverse step: the state whose next handle is `next`.
uint32_t StateBefore(uint32_t next) {
  uint32_t inverse = 1103515245u;  // Newton's iteration for the inverse mod 2^32
  for (int i = 0; i < 5; ++i)
    inverse *= 2 - 1103515245u * inverse;
  return (next - 12345u) * inverse;
}

class HandleTableTest : public OsaTest {
 protected:
  void SetUp() override {
    OsaTest::SetUp();
    ASSERT_NE(OsaInit(), nullptr);
    g_destroyed = 0;
  }
  void TearDown() override {
    OsaTerm();
    OsaTest::TearDown();
  }
};

TEST_F(HandleTableTest, FirstHandleIs12345AndLookupFindsItWithAReference) {
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->mask, 31u);
  Object a{0, 1};
  EXPECT_EQ(HandleTableInsert(table, &a), 12345u);
  EXPECT_EQ(a.refs, 1);
  EXPECT_EQ(HandleTableLookup(table, 12345u), &a);
  EXPECT_EQ(a.refs, 2);
  HandleTableRelease(table, &a);
  EXPECT_EQ(a.refs, 1);
  EXPECT_EQ(HandleTableLookup(table, 0), nullptr);
  // Same slot, other handle.
  EXPECT_EQ(HandleTableLookup(table, 12345u + 32), nullptr);
  HandleTableDestroy(table);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(a.id, -1);
}

TEST_F(HandleTableTest, SlotCountFollowsTheHint) {
  const struct {
    uint32_t hint, slots;
  } cases[] = {{0, 32}, {15, 32}, {16, 64}, {31, 64}, {32, 128}, {1000, 2048}};
  for (const auto& c : cases) {
    HandleTable* table = HandleTableCreate(c.hint, CountDestroy);
    ASSERT_NE(table, nullptr) << c.hint;
    EXPECT_EQ(table->mask + 1, c.slots) << c.hint;
    HandleTableDestroy(table);
  }
}

TEST_F(HandleTableTest, NeverHandsOutZeroOrAllOnes) {
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  Object a{0, 1}, b{0, 2};
  table->last_handle = StateBefore(0);
  uint32_t h = HandleTableInsert(table, &a);
  EXPECT_NE(h, 0u);
  EXPECT_NE(h, 0xFFFFFFFFu);
  table->last_handle = StateBefore(0xFFFFFFFFu);
  h = HandleTableInsert(table, &b);
  EXPECT_NE(h, 0u);
  EXPECT_NE(h, 0xFFFFFFFFu);
  EXPECT_EQ(HandleTableLookup(table, 0xFFFFFFFFu), nullptr);
  HandleTableDestroy(table);
}

TEST_F(HandleTableTest, EighteenthInsertDoublesAndKeepsEveryHandle) {
  HandleTable* table = HandleTableCreate(5, CountDestroy);
  ASSERT_NE(table, nullptr);
  std::vector<Object> objects(40);
  std::vector<uint32_t> handles;
  for (int i = 0; i < 40; ++i) {
    objects[i] = {0, i};
    handles.push_back(HandleTableInsert(table, &objects[i]));
    ASSERT_NE(handles.back(), 0u);
    if (i == 16) {
      EXPECT_EQ(table->mask, 31u);
    }
    if (i == 17) {
      EXPECT_EQ(table->mask, 63u);
    }
  }
  EXPECT_EQ(table->count, 40u);
  for (int i = 0; i < 40; ++i) {
    auto* found = static_cast<Object*>(HandleTableLookup(table, handles[i]));
    ASSERT_EQ(found, &objects[i]) << i;
    HandleTableRelease(table, found);
  }
  HandleTableDestroy(table);
  EXPECT_EQ(g_destroyed, 40);
}

TEST_F(HandleTableTest, RemovedHandleIsGoneAndTheObjectOutlivesItsFinder) {
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  Object a{0, 1};
  uint32_t h = HandleTableInsert(table, &a);
  auto* held = static_cast<Object*>(HandleTableLookup(table, h));
  ASSERT_EQ(held, &a);
  HandleTableRemove(table, h + 32);  // another handle of the same slot
  HandleTableRemove(table, 0);
  EXPECT_EQ(table->count, 1u);
  HandleTableRemove(table, h);
  EXPECT_EQ(table->count, 0u);
  EXPECT_EQ(HandleTableLookup(table, h), nullptr);
  EXPECT_EQ(g_destroyed, 0);
  EXPECT_EQ(held->id, 1);
  HandleTableRelease(table, held);
  EXPECT_EQ(g_destroyed, 1);
  HandleTableRemove(table, h);
  EXPECT_EQ(g_destroyed, 1);
  HandleTableDestroy(table);
}

TEST_F(HandleTableTest, FailedGrowthLeavesTableAndReferencesAsTheyWere) {
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  Object kept{0, 1};
  uint32_t h = HandleTableInsert(table, &kept);
  // A table that has reached the object limit cannot grow.
  const uint32_t realCount = table->count;
  table->count = HANDLE_TABLE_HINT_LIMIT;
  HandleSlot* slots = table->slots;
  Object held{1, 2}, loose{0, 3};
  EXPECT_EQ(HandleTableInsert(table, &held), 0u);
  EXPECT_EQ(held.refs, 1);
  EXPECT_EQ(g_destroyed, 0);
  EXPECT_EQ(HandleTableInsert(table, &loose), 0u);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(loose.id, -1);
  EXPECT_EQ(table->slots, slots);
  EXPECT_EQ(table->mask, 31u);
  EXPECT_EQ(table->last_handle, h);
  EXPECT_EQ(table->count, HANDLE_TABLE_HINT_LIMIT);
  table->count = realCount;
  EXPECT_EQ(HandleTableLookup(table, h), &kept);
  HandleTableRelease(table, &kept);
  HandleTableDestroy(table);
}

TEST_F(HandleTableTest, SizesBeyondAHeapBlockFailInsteadOfWrapping) {
  const uint32_t blocks = OsaStatGet(OSA_STAT_BLOCKS);
  // 2^27 and more slots do not fit one heap block (their byte count also
  // wraps 32 bits from 2^28 slots on).
  for (uint32_t hint : {0x0FFFFFFFu, 0xFFFFFFFFu, 0x0FFFFFFEu, 0x08000000u, 0x04000000u})
    EXPECT_EQ(HandleTableCreate(hint, CountDestroy), nullptr) << hint;
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), blocks);

  // Doubling a table of 2^31 or 2^32 slots: the doubled count no longer
  // fits the mask, or its array a block. Refused before the slots are read.
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  HandleSlot* slots = table->slots;
  for (uint32_t mask : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
    table->mask = mask;
    EXPECT_FALSE(HandleTableGrow(table)) << mask;
    EXPECT_EQ(table->slots, slots);
    EXPECT_EQ(table->mask, mask);
  }
  table->mask = 31;
  HandleTableDestroy(table);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), blocks);
}

TEST_F(HandleTableTest, ThreadsInsertLookUpAndRemoveTogether) {
  HandleTable* table = HandleTableCreate(0, CountDestroy);
  ASSERT_NE(table, nullptr);
  constexpr int kThreads = 4, kEach = 300;
  std::vector<Object> objects(kThreads * kEach);
  std::atomic<uint32_t> shared{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        Object* mine = &objects[t * kEach + i];
        *mine = {0, t * kEach + i};
        uint32_t h = HandleTableInsert(table, mine);
        if (h == 0) ++failures;
        shared = h;
        // Another thread's handle may be removed meanwhile; what is found
        // stays valid until it is released.
        if (auto* other = static_cast<Object*>(HandleTableLookup(table, shared.load()))) {
          if (other->id < 0) ++failures;
          HandleTableRelease(table, other);
        }
        if (HandleTableLookup(table, h) != mine) ++failures;
        HandleTableRelease(table, mine);
        HandleTableRemove(table, h);
      }
    });
  }
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(table->count, 0u);
  EXPECT_EQ(g_destroyed, kThreads * kEach);
  HandleTableDestroy(table);
}

}  // namespace
