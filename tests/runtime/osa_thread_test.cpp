// Threads of the operating-system layer: start, stop, the timed stop and its
// log lines, and the live-thread counter.
#include <gtest/gtest.h>

#include <atomic>

#include "runtime/osa/osa.h"
#include "runtime/platform/plat_sync.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

struct Gate {
  PlatSemaphore* release = PlatSemaphoreCreate(0, 1);
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  ~Gate() { PlatSemaphoreDestroy(release); }
};

// Runs until its gate is released (with a deadline of its own, so that a
// failing test never leaves it behind for ever).
void GatedRoutine(void* arg) {
  auto* gate = static_cast<Gate*>(arg);
  gate->started = true;
  PlatSemaphoreWaitTimed(gate->release, 10000);
  gate->finished = true;
}

void QuickRoutine(void* arg) { static_cast<std::atomic<int>*>(arg)->fetch_add(1); }

class OsaThreadTest : public OsaTest {
 protected:
  void SetUp() override {
    OsaTest::SetUp();
    ASSERT_NE(OsaInit(), nullptr);
    debug_.Clear();
  }
};

TEST_F(OsaThreadTest, RoutineGetsItsArgumentAndStopCloses) {
  std::atomic<int> runs{0};
  OsaThread thread = OsaThreadCreate(QuickRoutine, &runs);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 1u);
  OsaThreadWaitStop(thread, 10000, "quick");
  EXPECT_EQ(runs.load(), 1);
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
  EXPECT_TRUE(debug_.Lines().empty());
}

TEST_F(OsaThreadTest, StopOfAnEndedThreadOnlyCloses) {
  std::atomic<int> runs{0};
  OsaThread thread = OsaThreadCreate(QuickRoutine, &runs);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return PlatThreadHasEnded(thread); }));
  EXPECT_TRUE(OsaThreadStop(thread));
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
}

// A thread that does not end in time is logged and let go; it is never
// killed, and it still runs to its own end.
TEST_F(OsaThreadTest, TimedStopOfARunningThreadLogsAndLetsItGo) {
  Gate gate;
  OsaThread thread = OsaThreadCreate(GatedRoutine, &gate);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return gate.started.load(); }));
  OsaThreadWaitStop(thread, 20, "unconfirmed receive");
  EXPECT_EQ(debug_.Lines(), std::vector<std::string>{
                                "VELMORA ERROR: Wait for unconfirmed receive thread timeout\n"});
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
  EXPECT_FALSE(gate.finished.load());
  PlatSemaphoreRelease(gate.release, 1, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return gate.finished.load(); }));
}

TEST_F(OsaThreadTest, StopOfARunningThreadDetachesIt) {
  Gate gate;
  OsaThread thread = OsaThreadCreate(GatedRoutine, &gate);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(OsaThreadStop(thread));
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
  PlatSemaphoreRelease(gate.release, 1, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return gate.finished.load(); }));
}

TEST_F(OsaThreadTest, BadHandlesFailAndAreLogged) {
  EXPECT_EQ(OsaThreadCreate(nullptr, nullptr), nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
  EXPECT_FALSE(OsaThreadStop(nullptr));
  OsaThreadWaitStop(nullptr, 0, "server receive");
  EXPECT_EQ(debug_.Lines(),
            (std::vector<std::string>{"VELMORA ERROR: Wait for server receive thread failed\n",
                                      "VELMORA ERROR: Terminate server receive thread failed\n"}));
}

// A thread stopping itself (a hook that shuts the library down) does not
// wait for its own end.
TEST_F(OsaThreadTest, ThreadStoppingItselfDoesNotHang) {
  struct Self {
    std::atomic<OsaThread> handle{nullptr};
    std::atomic<bool> done{false};
  } self;
  PlatSemaphore* ready = PlatSemaphoreCreate(0, 1);
  struct Arg {
    Self* self;
    PlatSemaphore* ready;
  } arg{&self, ready};
  OsaThread thread = OsaThreadCreate(
      [](void* p) {
        auto* a = static_cast<Arg*>(p);
        PlatSemaphoreWaitTimed(a->ready, 10000);
        OsaThreadWaitStop(a->self->handle.load(), 10000, "self");
        a->self->done = true;
      },
      &arg);
  ASSERT_NE(thread, nullptr);
  self.handle = thread;
  PlatSemaphoreRelease(ready, 1, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return self.done.load(); }, std::chrono::seconds(5)));
  EXPECT_EQ(debug_.Count("Wait for self thread timeout"), 1u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
  PlatSemaphoreDestroy(ready);
}

TEST_F(OsaThreadTest, ManyThreadsAreCounted) {
  constexpr int kThreads = 8;
  std::atomic<int> runs{0};
  OsaThread threads[kThreads];
  for (OsaThread& t : threads) {
    t = OsaThreadCreate(QuickRoutine, &runs);
    ASSERT_NE(t, nullptr);
  }
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), uint32_t{kThreads});
  for (OsaThread t : threads)
    OsaThreadWaitStop(t, 10000, "worker");
  EXPECT_EQ(runs.load(), kThreads);
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), 0u);
}

}  // namespace
