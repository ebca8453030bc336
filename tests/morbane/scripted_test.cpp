// morbane against a daemon whose answers the test writes: I-Am answers that
// repeat an address, and a device whose Object_List is longer than the
// length it tells.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "daemon/vmd_core.h"
#include "tests/morbane/support/morbane_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
apdu_timeout = 300

[device 1001]
mac = c0:a8:01:0a:ba:c0
object-name = "Boiler House"
)";

// I-Am of a device: its identifier, 1476, segmented-both, vendor 0.
Bytes IAm(uint32_t instance) {
  Bytes iam = {0xC4, 0x02, 0x00, 0x00, 0x00, 0x22, 0x05, 0xC4, 0x91, 0x00, 0x21, 0x00};
  iam[2] = uint8_t(instance >> 16);
  iam[3] = uint8_t(instance >> 8);
  iam[4] = uint8_t(instance);
  return iam;
}

// ReadProperty-ACK of Object_List of device 1001: the whole list of n
// identifiers (index -1) or its length (index 0).
Bytes ObjectListAck(int32_t index, uint32_t n) {
  Bytes ack = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4C};
  if (index == 0) {
    ack.insert(ack.end(), {0x29, 0x00, 0x3E, 0x21, uint8_t(n), 0x3F});
    return ack;
  }
  ack.push_back(0x3E);
  for (uint32_t i = 0; i < n; ++i)
    ack.insert(ack.end(), {0xC4, 0x00, 0x00, 0x00, uint8_t(i + 1)});  // (analog-input, i + 1)
  ack.push_back(0x3F);
  return ack;
}

class MorbaneScripted : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    VmdConfig config;
    config.pipe_path = temp_.File("velmora");
    config.log_quiet = true;
    std::string error;
    ASSERT_TRUE(VmdSiteParse(&config.site, kSite, "morbane.site", &error)) << error;
    server_ = VmdStart(config, &error);
    ASSERT_NE(server_, nullptr) << error;
  }
  void TearDown() override {
    if (server_) VmdStop(server_);
  }

  TestDeadline deadline_{std::chrono::seconds(60)};
  TempDir temp_;
  VmdServer* server_ = nullptr;
};

const std::string kDevice1001 =
    "\n"
    "Found (device, 1001) on local network at MAC Address = 0xc0a8010abac0\n"
    "\n"
    "{\n"
    "   {\n"
    "      object-identifier : (device,1001)\n"
    "      object-type : device\n"
    "      object-name : \"Boiler House\"\n"
    "      object-list : {(device,1001)}\n"
    "      vendor-identifier : 0\n"
    "      max-apdu-length-accepted : 1476\n"
    "      segmentation-supported : segmented-both\n"
    "   }\n"
    "}\n";

// Only the address tells devices apart: a second answer from it, even one
// with another instance, is not dumped again.
TEST_F(MorbaneScripted, ADeviceAnsweringTwiceIsDumpedOnce) {
  VmdServer* s = server_;
  VmdSetUnconfirmedHandler(s, [s](const VmdUnconfirmed& rq) {
    if (rq.params.service != 8) return;  // Who-Is
    LinkAddress boiler{};
    ASSERT_TRUE(VmdParseMac("c0:a8:01:0a:ba:c0", &boiler));
    for (uint32_t instance : {1001u, 1001u, 1003u}) {
      VmdIncoming iam = VmdIncomingDefaults(s);
      iam.params.service = 0;
      iam.params.remote = boiler;
      iam.payload = IAm(instance);
      VmdSendUnconfirmed(s, rq.conn, iam);
    }
  });
  ProgramRun r = RunMorbane(temp_.path(), {"-t", "2", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner + kDevice1001, r.out);
}

// A list that never fits the length the device tells is not read again
// and again: the dump of the device ends with why.
TEST_F(MorbaneScripted, AListLongerThanItsLengthEndsTheDevice) {
  VmdSetConfirmedHandler(server_, [](const VmdConfirmed& rq, VmdAnswer* a) {
    const Bytes whole = {0x0C, 0x02, 0x00, 0x03, 0xE9, 0x19, 0x4C};
    Bytes length = whole;
    length.insert(length.end(), {0x29, 0x00});
    const Bytes request(rq.request.begin(), rq.request.end());
    if (request == whole)
      a->answer = ObjectListAck(-1, 150);
    else if (request == length)
      a->answer = ObjectListAck(0, 120);
    else
      return false;
    return true;
  });
  ProgramRun r = RunMorbane(temp_.path(), {"-t", "2", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner +
                    "\n"
                    "Found (device, 1001) on local network at MAC Address = 0xc0a8010abac0\n"
                    "\n"
                    "{\n"
                    "Couldn't Get Object List.\n"
                    "Velmora Status Code 54: {*}\n"
                    "}\n",
                r.out);
}

}  // namespace
