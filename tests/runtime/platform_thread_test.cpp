// Platform threads, the private heap, the clock and the debug output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_heap.h"
#include "runtime/platform/plat_thread.h"
#include "runtime/platform/plat_time.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

struct Blocker {
  PlatSemaphore* go = PlatSemaphoreCreate(0, 1);
  std::atomic<bool> done{false};
  ~Blocker() { PlatSemaphoreDestroy(go); }
};

void BlockedRoutine(void* arg) {
  auto* b = static_cast<Blocker*>(arg);
  PlatSemaphoreWaitTimed(b->go, 10000);
  b->done = true;
}

TEST(PlatformThread, TimedWaitThenCloseAfterTheEnd) {
  Blocker b;
  PlatThread* thread = PlatThreadStart(BlockedRoutine, &b);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(PlatThreadWait(thread, 10), PLAT_WAIT_TIMEOUT);
  EXPECT_FALSE(PlatThreadHasEnded(thread));
  EXPECT_FALSE(PlatThreadClose(thread));  // still running: handle kept
  PlatSemaphoreRelease(b.go, 1, nullptr);
  EXPECT_EQ(PlatThreadWait(thread, 10000), PLAT_WAIT_OBJECT_0);
  EXPECT_TRUE(b.done.load());
  EXPECT_EQ(PlatThreadWait(thread, 0), PLAT_WAIT_OBJECT_0);
  EXPECT_TRUE(PlatThreadClose(thread));
}

TEST(PlatformThread, UntimedWaitReturnsAtTheEnd) {
  Blocker b;
  PlatThread* thread = PlatThreadStart(BlockedRoutine, &b);
  ASSERT_NE(thread, nullptr);
  PlatSemaphoreRelease(b.go, 1, nullptr);
  EXPECT_EQ(PlatThreadWait(thread, PLAT_INFINITE), PLAT_WAIT_OBJECT_0);
  EXPECT_TRUE(PlatThreadClose(thread));
}

TEST(PlatformThread, DetachedThreadRunsOn) {
  Blocker b;
  PlatThread* thread = PlatThreadStart(BlockedRoutine, &b);
  ASSERT_NE(thread, nullptr);
  PlatThreadDetach(thread);
  PlatSemaphoreRelease(b.go, 1, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return b.done.load(); }));
}

TEST(PlatformThread, BadArguments) {
  EXPECT_EQ(PlatThreadStart(nullptr, nullptr), nullptr);
  EXPECT_EQ(PlatThreadWait(nullptr, 0), PLAT_WAIT_FAILED);
  EXPECT_FALSE(PlatThreadClose(nullptr));
  PlatThreadDetach(nullptr);
}

TEST(PlatformHeap, BlocksKnowTheirSizeAndDestroyFreesTheRest) {
  PlatHeap* heap = PlatHeapCreate(0x80000);
  ASSERT_NE(heap, nullptr);
  PlatHeap* other = PlatHeapCreate(0);
  std::vector<void*> blocks;
  for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{4096}}) {
    void* block = PlatHeapAlloc(heap, size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(PlatHeapSize(heap, block), size);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    memset(block, 0xAB, size);
    blocks.push_back(block);
  }
  EXPECT_EQ(PlatHeapSize(other, blocks[1]), PLAT_HEAP_BAD_SIZE);
  EXPECT_FALSE(PlatHeapFree(other, blocks[1]));
  EXPECT_TRUE(PlatHeapFree(heap, blocks[1]));
  EXPECT_FALSE(PlatHeapFree(heap, blocks[1]));
  EXPECT_EQ(PlatHeapSize(heap, blocks[1]), PLAT_HEAP_BAD_SIZE);
  EXPECT_EQ(PlatHeapAlloc(heap, SIZE_MAX), nullptr);
  // The other blocks go with the heap (a leak checker would see them otherwise).
  EXPECT_TRUE(PlatHeapDestroy(heap));
  EXPECT_TRUE(PlatHeapDestroy(other));
}

uint32_t FixedTick() { return 42; }
uint32_t FixedPid() { return 7; }

TEST(PlatformTime, SourcesCanBeReplacedAndRestored) {
  EXPECT_EQ(PlatProcessId(), static_cast<uint32_t>(getpid()));
  EXPECT_EQ(PlatSetTickCountFn(FixedTick), nullptr);
  EXPECT_EQ(PlatSetProcessIdFn(FixedPid), nullptr);
  EXPECT_EQ(PlatTickCount(), 42u);
  EXPECT_EQ(PlatProcessId(), 7u);
  EXPECT_EQ(PlatSetTickCountFn(nullptr), FixedTick);
  EXPECT_EQ(PlatSetProcessIdFn(nullptr), FixedPid);
  EXPECT_EQ(PlatProcessId(), static_cast<uint32_t>(getpid()));
}

TEST(PlatformTime, ClockIsMonotonicMilliseconds) {
  const uint64_t start = PlatTickCount64();
  const uint32_t start32 = PlatTickCount();
  PlatSleep(30);
  const uint64_t elapsed = PlatTickCount64() - start;
  EXPECT_GE(elapsed, 30u);
  EXPECT_GE(static_cast<uint32_t>(PlatTickCount() - start32), 30u);
}

TEST(PlatformDebug, SinkReceivesTextAndDefaultIsStandardError) {
  {
    DebugCapture capture;
    PlatDebugOutput("one\n");
    PlatDebugOutput(nullptr);
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"one\n"});
  }
  testing::internal::CaptureStderr();
  PlatDebugOutput("to stderr\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}

TEST(PlatformDebug, MessageBoxWritesCaptionAndText) {
  testing::internal::CaptureStderr();
  PlatMessageBox("Velmora message", "text");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Velmora message: text\n");
}

}  // namespace
