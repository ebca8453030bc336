// Waitable objects, locks, the named mutex and interlocked counters of the
// platform layer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/platform/plat_lock.h"
#include "runtime/platform/plat_sync.h"
#include "runtime/platform/plat_time.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

TEST(PlatformSemaphore, CreateRefusesBadCounts) {
  struct Case {
    int32_t initial, maximum;
    bool ok;
  } const cases[] = {{0, 1, true}, {3, 3, true}, {-1, 1, false}, {0, 0, false}, {2, 1, false}};
  for (const Case& c : cases) {
    PlatSemaphore* sem = PlatSemaphoreCreate(c.initial, c.maximum);
    EXPECT_EQ(sem != nullptr, c.ok) << c.initial << "/" << c.maximum;
    PlatSemaphoreDestroy(sem);
  }
}

TEST(PlatformSemaphore, CountsUnitsUpToItsMaximum) {
  PlatSemaphore* sem = PlatSemaphoreCreate(1, 3);
  ASSERT_NE(sem, nullptr);
  int32_t previous = -1;
  EXPECT_TRUE(PlatSemaphoreRelease(sem, 2, &previous));
  EXPECT_EQ(previous, 1);
  // Past the maximum: refused, nothing added.
  EXPECT_FALSE(PlatSemaphoreRelease(sem, 1, &previous));
  EXPECT_FALSE(PlatSemaphoreRelease(sem, 0, nullptr));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(PlatSemaphoreWaitTimed(sem, 0), PLAT_WAIT_OBJECT_0);
  EXPECT_EQ(PlatSemaphoreWaitTimed(sem, 0), PLAT_WAIT_TIMEOUT);
  EXPECT_EQ(PlatSemaphoreWaitTimed(sem, 15), PLAT_WAIT_TIMEOUT);
  EXPECT_EQ(PlatSemaphoreWaitTimed(nullptr, 0), PLAT_WAIT_FAILED);
  PlatSemaphoreDestroy(sem);
}

TEST(PlatformSemaphore, ReleaseWakesEveryWaiterOnce) {
  constexpr int kWaiters = 4;
  PlatSemaphore* sem = PlatSemaphoreCreate(0, 0x7FFFFFFF);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&, i] {
      if (i % 2 == 0) {
        if (PlatSemaphoreWait(sem) == PLAT_WAIT_OBJECT_0) ++woken;
      } else if (PlatSemaphoreWaitTimed(sem, 10000) == PLAT_WAIT_OBJECT_0) {
        ++woken;
      }
    });
  }
  // Untimed waiters are released by the units; the deadline is the test's.
  EXPECT_TRUE(PlatSemaphoreRelease(sem, kWaiters, nullptr));
  const bool all = WaitUntil([&] { return woken.load() == kWaiters; });
  EXPECT_TRUE(all);
  if (!all) PlatSemaphoreRelease(sem, kWaiters, nullptr);  // let the joins return
  for (auto& t : waiters)
    t.join();
  EXPECT_EQ(PlatSemaphoreWaitTimed(sem, 0), PLAT_WAIT_TIMEOUT);
  PlatSemaphoreDestroy(sem);
}

TEST(PlatformEvent, AutoAndManualReset) {
  for (bool manual : {false, true}) {
    PlatEvent* event = PlatEventCreate(manual, false);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(PlatEventWait(event, 0), PLAT_WAIT_TIMEOUT);
    EXPECT_TRUE(PlatEventSet(event));
    EXPECT_EQ(PlatEventWait(event, 0), PLAT_WAIT_OBJECT_0);
    // An auto-reset event let one waiter through and cleared itself.
    EXPECT_EQ(PlatEventWait(event, 0), manual ? PLAT_WAIT_OBJECT_0 : PLAT_WAIT_TIMEOUT) << manual;
    EXPECT_TRUE(PlatEventReset(event));
    EXPECT_EQ(PlatEventWait(event, 0), PLAT_WAIT_TIMEOUT);
    PlatEventDestroy(event);
  }
  PlatEvent* initially = PlatEventCreate(false, true);
  EXPECT_EQ(PlatEventWait(initially, 0), PLAT_WAIT_OBJECT_0);
  PlatEventDestroy(initially);
}

TEST(PlatformEvent, SetWakesAWaitingThread) {
  PlatEvent* event = PlatEventCreate(false, false);
  std::atomic<PlatWaitResult> result{PLAT_WAIT_FAILED};
  std::thread waiter([&] { result = PlatEventWait(event, 10000); });
  PlatEventSet(event);
  waiter.join();
  EXPECT_EQ(result.load(), PLAT_WAIT_OBJECT_0);
  PlatEventDestroy(event);
}

TEST(PlatformLock, ReentrantForItsOwnerExclusiveForOthers) {
  struct Record {
    int before;
    PlatLock lock;
    int after;
  } record{};
  PlatLockInit(&record.lock);
  PlatLockEnter(&record.lock);
  EXPECT_TRUE(PlatLockTryEnter(&record.lock));
  bool other = true;
  std::thread([&] { other = PlatLockTryEnter(&record.lock); }).join();
  EXPECT_FALSE(other);
  PlatLockLeave(&record.lock);
  PlatLockLeave(&record.lock);
  std::thread([&] {
    other = PlatLockTryEnter(&record.lock);
    if (other) PlatLockLeave(&record.lock);
  }).join();
  EXPECT_TRUE(other);
  PlatLockDelete(&record.lock);
}

TEST(PlatformLock, GuardSerialisesThreads) {
  PlatLock lock;
  PlatLockInit(&lock);
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        PlatLockGuard guard(&lock);
        PlatLockGuard again(&lock);
        ++counter;
      }
    });
  }
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(counter, 4000);
  PlatLockDelete(&lock);
}

TEST(PlatformAtomic, InterlockedResults) {
  int32_t value = 5;
  EXPECT_EQ(PlatAtomicIncrement(&value), 6);
  EXPECT_EQ(PlatAtomicDecrement(&value), 5);
  EXPECT_EQ(PlatAtomicAdd(&value, -7), 5);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(PlatAtomicExchange(&value, 9), -2);
  EXPECT_EQ(PlatAtomicCompareExchange(&value, 1, 8), 9);  // no match: unchanged
  EXPECT_EQ(PlatAtomicLoad(&value), 9);
  EXPECT_EQ(PlatAtomicCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(PlatAtomicLoad(&value), 1);
}

// The start-up gate pattern: exactly one of many takers sees 0.
TEST(PlatformAtomic, GateAdmitsOne) {
  int32_t gate = 1;
  std::atomic<int> admitted{0};
  std::vector<std::thread> threads;
  std::atomic<bool> go{false};
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&] {
      while (!go.load())
        std::this_thread::yield();
      if (PlatAtomicDecrement(&gate) == 0) {
        ++admitted;
      } else {
        PlatAtomicIncrement(&gate);
      }
    });
  }
  go = true;
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(admitted.load(), 1);
  EXPECT_EQ(gate, 0);
}

TEST(PlatformNamedMutex, ReentrantAndExclusiveBetweenThreads) {
  const std::string name = "Velmora Test Mutex " + std::to_string(getpid());
  PlatNamedMutex* mine = PlatNamedMutexOpen(name.c_str());
  ASSERT_NE(mine, nullptr);
  ASSERT_TRUE(PlatNamedMutexWait(mine));
  ASSERT_TRUE(PlatNamedMutexWait(mine));
  std::atomic<bool> other_asks{false};
  std::atomic<bool> other_has_it{false};
  std::thread other([&] {
    PlatNamedMutex* theirs = PlatNamedMutexOpen(name.c_str());
    EXPECT_FALSE(PlatNamedMutexRelease(theirs));  // not its owner
    other_asks = true;
    PlatNamedMutexWait(theirs);
    other_has_it = true;
    PlatNamedMutexRelease(theirs);
    PlatNamedMutexClose(theirs);
  });
  EXPECT_TRUE(WaitUntil([&] { return other_asks.load(); }));
  EXPECT_TRUE(PlatNamedMutexRelease(mine));
  // That the other thread does not get it shows only as time passing: 20 ms
  // for a wrongly woken waiter to take it.
  PlatSleep(20);
  EXPECT_FALSE(other_has_it.load());  // still held once
  EXPECT_TRUE(PlatNamedMutexRelease(mine));
  EXPECT_TRUE(WaitUntil([&] { return other_has_it.load(); }));
  other.join();
  EXPECT_FALSE(PlatNamedMutexRelease(mine));
  PlatNamedMutexClose(mine);
}

// Two processes doing read-modify-write of a file under the mutex lose no
// update.
TEST(PlatformNamedMutex, ExclusiveBetweenProcesses) {
  TempDir dir;
  const std::string counter = dir.File("counter");
  WriteTextFile(counter, "0");
  const std::string name = "Velmora Test Mutex " + std::to_string(getpid()) + " procs";
  constexpr int kRounds = 100;
  ASSERT_TRUE(RunInChildren(2, [&](int) {
    PlatNamedMutex* m = PlatNamedMutexOpen(name.c_str());
    if (!m) return 1;
    for (int i = 0; i < kRounds; ++i) {
      if (!PlatNamedMutexWait(m)) return 2;
      const int n = std::stoi(ReadTextFile(counter));
      WriteTextFile(counter, std::to_string(n + 1));
      PlatNamedMutexRelease(m);
    }
    return 0;
  }));
  EXPECT_EQ(ReadTextFile(counter), std::to_string(2 * kRounds));
}

// Whether a thread of the process is blocked in flock.
bool ProcessWaitsForAFlock(pid_t pid) {
  std::ifstream locks("/proc/locks");
  const std::string self = " " + std::to_string(pid) + " ";
  for (std::string line; std::getline(locks, line);)
    if (line.find("-> FLOCK") != std::string::npos && line.find(self) != std::string::npos)
      return true;
  return false;
}

// A thread waiting for another process to let the mutex go keeps no lock of
// its own process meanwhile: the other threads' calls still answer.
TEST(PlatformNamedMutex, WaitForAnotherProcessBlocksNoOtherCall) {
  const std::string name = "Velmora Test Mutex " + std::to_string(getpid()) + " held";
  int held[2];
  int release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(30);
    PlatNamedMutex* m = PlatNamedMutexOpen(name.c_str());
    if (!m || !PlatNamedMutexWait(m)) _exit(1);
    char c = 'h';
    if (write(held[1], &c, 1) != 1 || read(release[0], &c, 1) != 1) _exit(2);
    _exit(PlatNamedMutexRelease(m) ? 0 : 3);
  }
  // Only the child writes one and reads the other: a child that dies early
  // ends the parent's read.
  close(held[1]);
  close(release[0]);
  char c = 0;
  const bool child_holds = read(held[0], &c, 1) == 1;
  close(held[0]);
  if (!child_holds) {
    close(release[1]);
    waitpid(child, nullptr, 0);
    FAIL() << "the child did not take the mutex";
  }
  std::atomic<bool> waiter_has_it{false};
  std::thread waiter([&] {
    PlatNamedMutex* m = PlatNamedMutexOpen(name.c_str());
    if (m && PlatNamedMutexWait(m)) {
      waiter_has_it = true;
      PlatNamedMutexRelease(m);
    }
    PlatNamedMutexClose(m);
  });
  // The kernel lists a blocked flock request with "->" in /proc/locks.
  ASSERT_TRUE(WaitUntil([] { return ProcessWaitsForAFlock(getpid()); }));
  std::atomic<bool> answered{false};
  std::thread other([&] {
    PlatNamedMutex* m = PlatNamedMutexOpen(name.c_str());
    EXPECT_FALSE(PlatNamedMutexRelease(m));  // not its owner
    PlatNamedMutexClose(m);
    answered = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return answered.load(); }, std::chrono::seconds(5)));
  EXPECT_FALSE(waiter_has_it.load());
  c = 'r';
  EXPECT_EQ(write(release[1], &c, 1), 1);
  close(release[1]);
  EXPECT_TRUE(WaitUntil([&] { return waiter_has_it.load(); }));
  other.join();
  waiter.join();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(PlatformNamedObject, HeldOnlyWhileItsOwnerLives) {
  TempDir dir;
  const std::string path = dir.path() + "/Velmora Test Object";
  EXPECT_FALSE(PlatNamedObjectHeld(path.c_str()));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t owner = fork();
  ASSERT_GE(owner, 0);
  if (owner == 0) {
    alarm(20);
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    struct flock hold {};
    hold.l_type = F_RDLCK;
    hold.l_whence = SEEK_SET;
    if (fd < 0 || fcntl(fd, F_OFD_SETLK, &hold) != 0) _exit(1);
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  EXPECT_TRUE(PlatNamedObjectHeld(path.c_str()));
  // A killed owner leaves its file behind, but not its hold on it.
  kill(owner, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(owner, &status, 0), owner);
  ASSERT_EQ(access(path.c_str(), F_OK), 0);
  EXPECT_FALSE(PlatNamedObjectHeld(path.c_str()));
}

}  // namespace
