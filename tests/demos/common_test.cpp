// What the demo clients share: the device banner line, the Who-Is
// destination of a network number, a value's text written whole however
// long, the pass options and the pass loop.
#include "demos/common/demo_common.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bacnet/any_value.h"

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

TEST(DemoBanner, NamesTheDeviceItsNetworkAndItsMac) {
  struct Case {
    uint32_t instance;
    VelmoraAddress address;
    std::string line;
  };
  const std::vector<Case> cases = {
      {1001, Local({0xC0, 0xA8, 0x01, 0x0A, 0xBA, 0xC0}),
       "\nFound (device, 1001) on local network at MAC Address = 0xc0a8010abac0\n\n"},
      {2002, Remote({0x14}, 5),
       "\nFound (device, 2002) on network number 5 at MAC Address = 0x14\n\n"},
      {4194303, Remote({1, 2, 3, 4, 5, 6, 0xFF}, 65534),
       "\nFound (device, 4194303) on network number 65534 at MAC Address = 0x010203040506ff\n\n"},
      {0, Local({0x00}), "\nFound (device, 0) on local network at MAC Address = 0x00\n\n"},
  };
  for (const Case& c : cases) {
    char text[DEMO_BANNER_ROOM];
    EXPECT_EQ(DemoDeviceBannerToString(text, sizeof text, c.instance, &c.address), c.line.size());
    EXPECT_EQ(text, c.line);
    // One byte short of the text and its terminator does not fit.
    EXPECT_EQ(DemoDeviceBannerToString(text, uint32_t(c.line.size()), c.instance, &c.address), 0u);
  }
  char text[DEMO_BANNER_ROOM];
  EXPECT_EQ(DemoDeviceBannerToString(text, sizeof text, 1, nullptr), 0u);
}

TEST(DemoWhoIsDestination, TakesTheNetworksLow16Bits) {
  struct Case {
    int32_t network;
    bool global;
    bool local;
    uint16_t remote;
  };
  const std::vector<Case> cases = {
      {0, false, true, 0},          {0x10000, false, true, 0}, {0xFFFF, true, false, 0},
      {-1, true, false, 0},         {5, false, false, 5},      {0x10005, false, false, 5},
      {65534, false, false, 65534},
  };
  for (const Case& c : cases) {
    VelmoraAddress a{};
    ASSERT_TRUE(DemoWhoIsDestination(&a, c.network)) << c.network;
    EXPECT_TRUE(VelmoraAddressIsBroadcast(&a)) << c.network;
    EXPECT_EQ(VelmoraAddressIsGlobalBroadcast(&a), c.global) << c.network;
    EXPECT_EQ(VelmoraAddressIsLocal(&a), c.local) << c.network;
    if (c.remote) {
      EXPECT_TRUE(VelmoraAddressIsRemote(&a)) << c.network;
      EXPECT_EQ(VelmoraAddressGetNetwork(&a), c.remote) << c.network;
    }
  }
}

std::string Written(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;)
    s += char(c);
  return s;
}

// An object list far longer than the first buffer is written whole; one
// that fits nowhere below the limit, or a missing value, writes nothing.
TEST(DemoWriteValue, WritesTheWholeTextOrNothing) {
  constexpr uint32_t kDevice = 8, kObjectList = 76, kAnalogInput = 0;
  std::vector<VelmoraObjectId> ids;
  std::string expected = "{";
  for (uint32_t i = 0; i < 300; ++i) {
    ids.push_back({kAnalogInput, i});
    expected += (i ? ",(analog-input," : "(analog-input,") + std::to_string(i) + ")";
  }
  expected += "}";
  ASSERT_GT(expected.size(), DEMO_VALUE_ROOM * 4);
  std::vector<uint8_t> buffer(ids.size() * sizeof(VelmoraObjectId) + 64);
  VelmoraAnyValue value;
  VelmoraAnyValueInitEmpty(&value, buffer.data(), uint32_t(buffer.size()));
  ASSERT_TRUE(VelmoraAnyValueSetObjectIdList(&value, ids.data(), uint32_t(ids.size())));

  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  char text[DEMO_VALUE_ROOM];
  EXPECT_TRUE(DemoWriteValue(f, text, sizeof text, &value, kDevice, kObjectList, -1, 0));
  EXPECT_EQ(Written(f), expected);

  // An element by its index is the element alone.
  std::FILE* g = std::tmpfile();
  ASSERT_NE(g, nullptr);
  VelmoraAnyValue one;
  VelmoraAnyValueInitEmpty(&one, buffer.data(), uint32_t(buffer.size()));
  ASSERT_TRUE(VelmoraAnyValueSetObjectIdList(&one, ids.data() + 7, 1));
  EXPECT_TRUE(DemoWriteValue(g, text, sizeof text, &one, kDevice, kObjectList, 8, 0));
  EXPECT_EQ(Written(g), "(analog-input,7)");

  std::FILE* h = std::tmpfile();
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(DemoWriteValue(h, text, sizeof text, nullptr, kDevice, kObjectList, -1, 0));
  EXPECT_EQ(Written(h), "");
  for (std::FILE* file : {f, g, h})
    std::fclose(file);
}

TEST(DemoPassOptions, DeclaresNetworkDelayRepeatsAndInstance) {
  DemoPassOptions options;
  CmdLineOption rows[DEMO_PASS_OPTION_COUNT];
  DemoPassOptionsDeclare(&options, -1, rows);
  EXPECT_EQ(options.network, 0);
  EXPECT_EQ(options.delay, 1);
  EXPECT_EQ(options.repeats, 1);
  EXPECT_EQ(options.instance, -1);
  const char* argv[] = {"demo", "-n5", "-d", "0", "-r-1", "-i", "7"};
  ASSERT_TRUE(CmdLineParse(7, argv, rows, DEMO_PASS_OPTION_COUNT));
  EXPECT_EQ(options.network, 5);
  EXPECT_EQ(options.delay, 0);
  EXPECT_EQ(options.repeats, -1);
  EXPECT_EQ(options.instance, 7);
  const std::vector<std::string> captions = {"Destination network number", "delay time (sec)",
                                             "repeats (number)", "target Device ID"};
  for (uint32_t i = 0; i < DEMO_PASS_OPTION_COUNT; ++i)
    EXPECT_EQ(rows[i].description, captions[i]);
}

struct Passes {
  int run = 0;
  int failAt = 0;  // the pass that returns a failure, 0 none
};

VelmoraStatus CountedPass(const DemoPassOptions*, void* context) {
  auto* p = static_cast<Passes*>(context);
  return ++p->run == p->failAt ? 48 : VELMORA_STATUS_OK;
}

TEST(DemoRunPasses, RunsTheCountedPassesOrUntilOneFails) {
  struct Case {
    int32_t repeats;
    int failAt;
    int run;
    VelmoraStatus status;
  };
  const std::vector<Case> cases = {
      {1, 0, 1, 0}, {3, 0, 3, 0}, {0, 0, 0, 0}, {3, 2, 2, 48}, {-1, 5, 5, 48}, {-7, 4, 4, 48},
  };
  for (const Case& c : cases) {
    const DemoPassOptions options{0, 0, c.repeats, 0};
    Passes passes{0, c.failAt};
    EXPECT_EQ(DemoRunPasses(&options, CountedPass, &passes), c.status) << c.repeats;
    EXPECT_EQ(passes.run, c.run) << c.repeats;
  }
}

}  // namespace
