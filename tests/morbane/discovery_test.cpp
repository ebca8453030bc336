// morbane's pass state: which I-Am senders count as one device, and the
// hook that queues answers only while a pass takes them, also when it runs
// on another thread while the pass ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "bacnet/records_hooks.h"
#include "demos/morbane/morbane.h"
#include "tests/support/deadline.h"
#include "tests/support/wait.h"

namespace {

VelmoraAddress Local(std::vector<uint8_t> mac) {
  VelmoraAddress a{};
  VelmoraAddressInitLocal(&a, mac.data(), uint8_t(mac.size()));
  return a;
}

VelmoraAddress Remote(std::vector<uint8_t> mac, uint16_t network) {
  VelmoraAddress a{};
  VelmoraAddressInitRemote(&a, mac.data(), uint8_t(mac.size()), network);
  return a;
}

TEST(MorbaneDevices, OnlyTheAddressTellsDevicesApart) {
  struct Case {
    VelmoraAddress seen, fresh;
    bool same;
  };
  const Case cases[] = {
      {Local({0xC0, 0xA8, 1, 10}), Local({0xC0, 0xA8, 1, 10}), true},
      {Local({0xC0, 0xA8, 1, 10}), Local({0xC0, 0xA8, 1, 11}), false},
      // A MAC that starts as the other one is still another.
      {Local({0xC0, 0xA8, 1, 10}), Local({0xC0, 0xA8, 1}), false},
      // A remote device does not hide a local one at the same MAC, nor the
      // other way round.
      {Local({0x14}), Remote({0x14}, 5), false},
      {Remote({0x14}, 5), Local({0x14}), false},
      {Remote({0x14}, 5), Remote({0x14}, 5), true},
      {Remote({0x14}, 5), Remote({0x14}, 7), false},
      {Remote({0x14}, 5), Remote({0x15}, 5), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SameAddress(&c.seen, &c.fresh), c.same);

  DemoList* seen = DemoListNew(sizeof(DeviceRecord));
  DeviceRecord first{Remote({0x14}, 5), 2002};
  ASSERT_TRUE(DemoListAppendCopy(seen, &first));
  DeviceRecord again{Remote({0x14}, 5), 2999};  // another instance, the same address
  DeviceRecord other{Remote({0x14}, 7), 2002};
  EXPECT_FALSE(IsNewDevice(seen, &again));
  EXPECT_TRUE(IsNewDevice(seen, &other));
  DemoListFree(seen);
}

class MorbaneHook : public ::testing::Test {
 protected:
  void SetUp() override {
    section_ = DemoCsCreate();
    ASSERT_NE(section_, nullptr);
    DiscoverySetSection(section_);
  }
  void TearDown() override {
    DiscoverySetSection(nullptr);
    DemoCsDelete(section_);
  }
  TestDeadline deadline_{std::chrono::seconds(60)};
  DemoCs* section_ = nullptr;
};

TEST_F(MorbaneHook, QueuesAnswersOnlyDuringAPass) {
  VelmoraAddress sender = Remote({0x0A, 0xBC}, 5);
  VelmoraIAmRequest iam;
  VelmoraIAmInit(&iam, 2003, 1476, 3, 260);
  EXPECT_EQ(IAmHook(nullptr, &sender, nullptr, &iam), 1u);

  ASSERT_TRUE(DiscoveryBegin());
  EXPECT_EQ(DiscoveryNextAnswer(0), nullptr);
  EXPECT_EQ(IAmHook(nullptr, &sender, nullptr, &iam), 0u);
  VelmoraIAmSetDeviceInstance(&iam, 2004);
  EXPECT_EQ(IAmHook(nullptr, &sender, nullptr, &iam), 0u);
  for (uint32_t instance : {2003u, 2004u}) {
    DeviceRecord* record = DiscoveryNextAnswer(0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->instance, instance);
    EXPECT_TRUE(SameAddress(&record->address, &sender));
    std::free(record);
  }
  EXPECT_EQ(DiscoveryNextAnswer(0), nullptr);
  // An answer left in the queue goes with the pass.
  EXPECT_EQ(IAmHook(nullptr, &sender, nullptr, &iam), 0u);
  DiscoveryEnd();
  EXPECT_EQ(IAmHook(nullptr, &sender, nullptr, &iam), 1u);
}

// The library may call the hook once more after it was removed: a call
// that overlaps the end of the pass either queues before the queue goes or
// leaves the answer to the library, and never touches a freed queue (the
// address sanitizer watches).
struct Caller {
  std::atomic<bool>* stop;
  uint32_t queued = 0;
};

void CallHook(void* argument) {
  auto* caller = static_cast<Caller*>(argument);
  VelmoraAddress sender = Local({0xC0, 0xA8, 1, 10});
  VelmoraIAmRequest iam;
  VelmoraIAmInit(&iam, 1001, 1476, 0, 260);
  while (!caller->stop->load()) {
    if (IAmHook(nullptr, &sender, nullptr, &iam) == 0) ++caller->queued;
  }
}

TEST_F(MorbaneHook, AHookCallOverlappingTheEndOfThePassIsSafe) {
  for (int pass = 0; pass < 50; ++pass) {
    ASSERT_TRUE(DiscoveryBegin());
    std::atomic<bool> stop{false};
    Caller callers[3] = {{&stop}, {&stop}, {&stop}};
    PlatThread* threads[3];
    for (int i = 0; i < 3; ++i) {
      threads[i] = DemoThreadStart(CallHook, &callers[i]);
      ASSERT_NE(threads[i], nullptr);
    }
    DeviceRecord* first = DiscoveryNextAnswer(uint32_t(kTestWait.count()));
    ASSERT_NE(first, nullptr);
    std::free(first);
    DiscoveryEnd();
    stop = true;
    for (PlatThread* thread : threads) {
      EXPECT_EQ(DemoWait(thread, uint32_t(kTestWait.count())), DEMO_WAIT_SIGNALLED);
      DemoThreadStop(thread);
    }
    uint32_t queued = 0;
    for (const Caller& c : callers)
      queued += c.queued;
    EXPECT_GE(queued, 1u);
  }
}

}  // namespace
