// Shut-down with calls in progress: VelmoraTerminate refuses new calls,
// fails the ones waiting for the daemon, waits for every one to return and
// only then frees the transaction layer; every thread of the library ends.
#include <gtest/gtest.h>

#include <atomic>
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
  VelmoraTerminate();
  EXPECT_EQ(done, kCallers);
  for (std::thread& t : callers)
    t.join();
  for (VelmoraStatus s : results)
    EXPECT_EQ(s, VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(OsaCountersNow(), before);
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
