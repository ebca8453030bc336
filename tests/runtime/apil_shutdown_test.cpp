// Shut-down with calls in progress: VelmoraTerminate refuses new calls,
// fails the ones waiting for the daemon, waits for every one to return and
// only then frees the transaction layer; every thread of the library ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "runtime/apil/velmora.h"
#include "runtime/ipc/ipc_frame.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

constexpr char kSite[] = R"(
[device 1001]
mac = c0:a8:01:0a:ba:c0
)";

class ApilShutdownTest : public ApilTest {};

// A daemon with no device at kNobody: a read sent there waits for its
// time-out, which does not come within the test.
constexpr char kQuietSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
apdu_timeout = 600000
)";
const VelmoraAddress kNobody = LocalMac({0xc0, 0xa8, 0x01, 0x63, 0xba, 0xc0});

// Exit statuses of a child that could not get as far as its exit().
constexpr int kChildNoStart = 10;
constexpr int kChildNoBind = 11;

// The child: starts the library, with a call waiting for the daemon when
// asked, and leaves through exit() without VelmoraTerminate.
[[noreturn]] void StartThenExit(bool callWaiting) {
  VelmoraInitParams p;
  VelmoraInitDefaults(&p, 6, 2);
  if (VelmoraInit(&p, 0) != VELMORA_STATUS_OK) _exit(kChildNoStart);
  if (callWaiting) {
    VelmoraDeviceHandle device = nullptr;
    if (VelmoraBindDevice(&kNobody, 7777, &device) != VELMORA_STATUS_OK) _exit(kChildNoBind);
    std::atomic<bool> calling{false};
    std::thread([&calling, device] {
      uint8_t buffer[16];
      VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
      calling = true;
      VelmoraReadProperty(VelmoraGetDeviceObjectHandle(device), 77, -1, &value, nullptr, nullptr);
    }).detach();
    while (!calling)
      std::this_thread::yield();
  }
  std::exit(0);
}

// A program may end while the library runs: its delivery threads, its
// reader and a call still waiting must neither keep the process from
// ending nor crash it at exit.
TEST_F(ApilShutdownTest, ExitWhileStartedEndsTheProcess) {
  StartProgram(kVelmorad, kQuietSite);
  for (bool callWaiting : {false, true}) {
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(std::string(callWaiting ? "a call waiting" : "idle") + ", round " +
                   std::to_string(round));
      // Forked while this process has no thread of its own, so that the
      // child may start threads under every sanitizer (hence no deadline
      // watcher: the wait for the child is bounded, and a hung child killed).
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) StartThenExit(callWaiting);
      int status = 0;
      const bool ended = WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; });
      if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
      }
      ASSERT_TRUE(ended) << "the child hangs in exit()";
      ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
  }
}

TEST_F(ApilShutdownTest, TerminateReleasesEveryWaitingCall) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartCore(kSite);
  // Acknowledged, never confirmed: each read waits until the shut-down.
  VmdScriptRule silent;
  silent.service = 12;
  silent.no_answer = true;
  VmdScriptAdd(core_, silent);
  const OsaCounters before = OsaCountersNow();
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  VelmoraDeviceHandle device = Discover(1001, LocalBroadcast());
  ASSERT_NE(device, nullptr);
  VelmoraObjectHandle object = VelmoraGetDeviceObjectHandle(device);

  constexpr int kCallers = 8;
  std::atomic<int> done{0};
  std::vector<VelmoraStatus> results(kCallers, -1);
  std::vector<std::thread> callers;
  for (int i = 0; i < kCallers; ++i) {
    callers.emplace_back([&, i] {
      uint8_t buffer[16];
      VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
      results[i] = VelmoraReadProperty(object, 77, -1, &value, nullptr, nullptr);
      ++done;
    });
  }
  // All eight are inside the library, waiting for their confirmations.
  ASSERT_TRUE(WaitUntil([&] {
    uint32_t n = 0;
    for (const VmdFrame& f : VmdFrames(core_))
      n += f.inbound && f.kind == IPC_KIND_CONF_REQUEST;
    return n == kCallers;
  }));
  EXPECT_EQ(done, 0);
  debug_.Clear();
  VelmoraTerminate();
  // The pools and threads went only once every call had left the library
  // (a caller may not have counted itself yet: that is its own code).
  EXPECT_EQ(OsaCountersNow(), before);
  // The thread counter drops for a thread let go as well: only the log
  // tells that each of the four delivery threads ended by itself, woken by
  // the closing flag, instead of being left running after its wait.
  EXPECT_EQ(debug_.Count("TSML(High): Close"), 1u) << "the log is not where the test reads it";
  EXPECT_EQ(debug_.Count("Wait for "), 0u);
  EXPECT_EQ(debug_.Count(" thread failed"), 0u);
  for (std::thread& t : callers)
    t.join();
  for (VelmoraStatus s : results)
    EXPECT_EQ(s, VELMORA_STATUS_NOT_INITIALIZED);
  uint8_t buffer[16];
  VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
  EXPECT_EQ(VelmoraReadProperty(object, 77, -1, &value, nullptr, nullptr),
            VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(Init(), VELMORA_STATUS_OK);
}

// Calls keep coming while the library stops and starts again: each gets a
// whole answer or "not initialized", never a freed pool.
TEST_F(ApilShutdownTest, CallsRacingStartAndStopAreSafe) {
  TestDeadline deadline(std::chrono::seconds(90));
  StartCore(kSite);
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  std::vector<std::thread> callers;
  for (int i = 0; i < 4; ++i) {
    callers.emplace_back([&] {
      const VelmoraAddress all = GlobalBroadcast();
      while (!stop) {
        VelmoraDeviceHandle d = VelmoraFindDeviceByInstance(1001);
        if (VelmoraWhoIs(&all, 1001, 1001) == VELMORA_STATUS_OK) ++answered;
        uint8_t buffer[32];
        VelmoraAnyValue value{-1, buffer, sizeof buffer, 0};
        VelmoraReadProperty(VelmoraGetDeviceObjectHandle(d), 77, -1, &value, nullptr, nullptr);
        uint32_t total = 0;
        VelmoraGetDeviceList(nullptr, 0, &total);
      }
    });
  }
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(WaitUntil([&] { return VelmoraFindDeviceByInstance(1001) != nullptr; }));
    VelmoraTerminate();
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
  stop = true;
  for (std::thread& t : callers)
    t.join();
  EXPECT_GT(answered, 0);
}

}  // namespace
