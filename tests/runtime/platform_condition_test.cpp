// The platform condition waited on under the caller's mutex, and the socket
// read that waits for bytes alone.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/platform/plat_condition.h"
#include "runtime/platform/plat_socket.h"
#include "tests/support/deadline.h"
#include "tests/support/wait.h"

namespace {

using std::chrono::milliseconds;

// Threads pass a token round a ring, each waiting on its own condition
// under one shared lock, as the transaction layer's callers do: a lost
// wake-up stops the ring, and the deadline fails the test.
TEST(PlatformCondition, NoWakeUpIsLostPassingATokenRound) {
  TestDeadline deadline(milliseconds(60000));
  constexpr int kThreads = 6;
  constexpr int kRounds = 3000;
  std::mutex mu;
  PlatCondition turn[kThreads];
  int holder = 0;
  int passes = 0;
  std::vector<std::thread> ring;
  for (int i = 0; i < kThreads; ++i) {
    ring.emplace_back([&, i] {
      std::unique_lock<std::mutex> lock(mu);
      for (;;) {
        turn[i].Wait(lock, [&] { return holder == i || passes >= kRounds * kThreads; });
        if (passes >= kRounds * kThreads) break;
        ++passes;
        const int next = (i + 1) % kThreads;
        holder = next;
        // Notified after the lock is left, as the reader does.
        lock.unlock();
        turn[next].NotifyAll();
        lock.lock();
      }
      // The last pass wakes everyone left waiting.
      lock.unlock();
      for (PlatCondition& t : turn)
        t.NotifyAll();
    });
  }
  for (std::thread& t : ring)
    t.join();
  EXPECT_EQ(passes, kRounds * kThreads);
}

TEST(PlatformCondition, WaitForEndsAtItsTimeOrWhenDone) {
  std::mutex mu;
  PlatCondition c;
  std::unique_lock<std::mutex> lock(mu);
  EXPECT_FALSE(c.WaitFor(lock, milliseconds(20), [] { return false; }));
  EXPECT_TRUE(lock.owns_lock());
  EXPECT_TRUE(c.WaitFor(lock, milliseconds(0), [] { return true; }));

  bool done = false;
  std::thread setter([&] {
    std::lock_guard<std::mutex> g(mu);
    done = true;
    c.NotifyAll();  // under the lock, as the link-loss path does
  });
  EXPECT_TRUE(c.WaitFor(lock, milliseconds(20000), [&] { return done; }));
  lock.unlock();
  setter.join();
}

// The voluntary context switches of one thread of this process.
long SwitchesOf(pid_t tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  return -1;
}

// Whether the thread is asleep ('S' in its stat line).
bool Sleeping(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t paren = text.rfind(')');
  return paren != std::string::npos && paren + 2 < text.size() && text[paren + 2] == 'S';
}

// A thread reading a stream socket sleeps through its peer taking in what
// it sent earlier, and wakes for the bytes that come.
TEST(PlatformSocketRead, SleepsThroughThePeerTakingInWhatItSent) {
  TestDeadline deadline(milliseconds(60000));
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  constexpr int kSent = 40;
  std::atomic<pid_t> readerTid{0};
  char got = 0;
  ssize_t read = -1;
  std::thread reader([&] {
    // Each send is a buffer of its own that the peer frees as it reads it.
    for (int i = 0; i < kSent; ++i)
      ASSERT_EQ(send(sv[1], "x", 1, 0), 1);
    readerTid = pid_t(syscall(SYS_gettid));
    read = PlatSocketRead(sv[1], &got, 1);
  });
  ASSERT_TRUE(WaitUntil([&] { return readerTid.load() != 0 && Sleeping(readerTid.load()); }));
  const long before = SwitchesOf(readerTid.load());
  for (int i = 0; i < kSent; ++i) {
    char c;
    ASSERT_EQ(recv(sv[0], &c, 1, 0), 1);
    // Give a woken reader the time to run and sleep again, so that each
    // wake-up would count.
    ASSERT_TRUE(WaitUntil([&] { return Sleeping(readerTid.load()); }));
  }
  const long woken = SwitchesOf(readerTid.load()) - before;
  ASSERT_EQ(send(sv[0], "y", 1, 0), 1);
  reader.join();
  EXPECT_EQ(read, 1);
  EXPECT_EQ(got, 'y');
  // A read blocked in recv is woken once per buffer taken in.
  EXPECT_LT(woken, kSent / 4);
  close(sv[0]);
  close(sv[1]);
}

TEST(PlatformSocketRead, EndsAtTheEndOfTheStreamAndOnShutdown) {
  TestDeadline deadline(milliseconds(60000));
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  char c;
  std::thread closer([&] { shutdown(sv[1], SHUT_RDWR); });
  EXPECT_EQ(PlatSocketRead(sv[1], &c, 1), 0);
  closer.join();
  close(sv[1]);
  EXPECT_EQ(PlatSocketRead(sv[0], &c, 1), 0);  // the peer closed
  close(sv[0]);
  EXPECT_EQ(PlatSocketRead(-1, &c, 1), -1);
}

}  // namespace
