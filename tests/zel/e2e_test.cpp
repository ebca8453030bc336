// zel run as a user runs it, against velmorad serving a site of its own:
// the whole output of a pass over devices with and without I/O objects, a
// device with more entries in its Object_List than are looked at, one with
// more I/O objects than object images, a property the device refuses, the
// Who-Is destination and instance filter, more devices than device images,
// a failed Who-Is, and the command line.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/deadline.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace {

const std::string kZelProgram = VELMORA_BINARY_DIR "/demos/zel/zel";

const std::string kBanner =
    "ZEL 6.2-13  (Build: Oct 26 2013)\n"
    "Copyright (C) 1998-2013 Velmora. All rights reserved.\n"
    "\n";

const std::string kUsage =
    "\n"
    "\n"
    "This client application demonstrates generating of ReadPropertyMultiple\n"
    "service request (Object Access Services API).\n"
    "\n"
    "Command line syntax:\n"
    "\n"
    "     zel.exe [options]\n"
    "\n"
    "Options:\n"
    "\n"
    "    -nXXX - network number to use as the destination of Who-Is request\n"
    "                (defaults to local)\n"
    "    -iXXX - instance number of the device to dump (defaults to 'any')\n"
    "    -rXXX - number of repetitions (defaults to 1)\n"
    "    -dXXX - seconds before repeated iterations (defaults to 1)\n";

std::string Objects(const std::string& type, int first, int last, const std::string& props) {
  std::string s;
  for (int i = first; i <= last; ++i)
    s += "[object " + type + " " + std::to_string(i) + "]\n" + props;
  return s;
}

// 1001: I/O objects of several types, a multi-state value (not one of
// them) and an analog output without status flags. 1002: no I/O object.
// 1003: 60 entries in its Object_List, of which the first 50 hold two
// analog inputs. 1004: 25 analog inputs, more than its 20 object images
// (the device object holds one of them).
// 2002 on network 5.
std::string MainSite() {
  return R"(
[daemon]
mac = 7f:00:00:01:ba:c0
apdu_timeout = 300

[port 1]
type = physical
protocol = bip
network = 1
networks = 5

[device 1001]
mac = c0:a8:01:0a:ba:c0

[object analog-input 1]
present-value = real 21.5
status-flags = bits 0100

[object multi-state-value 1]
present-value = unsigned 3
status-flags = bits 0000

[object binary-output 2]
present-value = enumerated 1
status-flags = bits 0010

[object analog-output 1]
present-value = real 62.5

[object multi-state-input 4]
present-value = unsigned 2
status-flags = bits 1000

[device 1002]
mac = c0:a8:01:0b:ba:c0

[object multi-state-value 1]
present-value = unsigned 1

[device 1003]
mac = c0:a8:01:0c:ba:c0
)" + Objects("multi-state-value", 1, 47, "present-value = unsigned 1\n") +
         Objects("analog-input", 1, 12, "present-value = real 1.5\nstatus-flags = bits 0000\n") +
         R"(
[device 1004]
mac = c0:a8:01:0d:ba:c0
)" + Objects("analog-input", 1, 25, "present-value = real 2.5\nstatus-flags = bits 0000\n") +
         R"(
[device 2002]
mac = 14
network = 5

[object binary-input 1]
present-value = enumerated 0
status-flags = bits 0001
)";
}

std::string Device(uint32_t instance, const std::string& on, const std::string& body) {
  return "\nFound (device, " + std::to_string(instance) + ") on " + on + "\n\n{\n" + body + "}\n";
}

struct Read {
  std::string object;
  std::string value;  // the present value's text
  std::string flags;  // the status flags' line after "status-flags : "
};

// One block per object, "," and an empty line between them.
std::string Blocks(const std::vector<Read>& reads) {
  std::string s;
  for (size_t i = 0; i < reads.size(); ++i) {
    s += "   {\n      object-identifier : " + reads[i].object +
         "\n      present-value : " + reads[i].value + "\n      status-flags : " + reads[i].flags +
         "\n";
    s += i + 1 < reads.size() ? "   },\n\n" : "   }\n";
  }
  return s;
}

std::vector<Read> Inputs(int first, int last, const std::string& value) {
  std::vector<Read> reads;
  for (int i = first; i <= last; ++i)
    reads.push_back({"(analog-input," + std::to_string(i) + ")", value, "(F,F,F,F)"});
  return reads;
}

const std::string kNoIo = "No I/O objects. Passing the device...\n";

const std::string k1001 =
    Device(1001, "local network at MAC Address = 0xc0a8010abac0",
           Blocks({{"(analog-input,1)", "21.5", "(F,T,F,F)"},
                   {"(binary-output,2)", "active", "(F,F,T,F)"},
                   {"(analog-output,1)", "62.5",
                    "Couldn't Read Property.\nVelmora Status Code 64: BACnet error\n"
                    "BACnet Error Class, Code 2, 32: Property, Unknown-property"},
                   {"(multi-state-input,4)", "2", "(T,F,F,F)"}}));
const std::string k1002 = Device(1002, "local network at MAC Address = 0xc0a8010bbac0", kNoIo);
const std::string k1003 =
    Device(1003, "local network at MAC Address = 0xc0a8010cbac0", Blocks(Inputs(1, 2, "1.5")));
// Each object once: those without an image of their own are not read.
const std::string k1004 =
    Device(1004, "local network at MAC Address = 0xc0a8010dbac0", Blocks(Inputs(1, 19, "2.5")));
const std::string k2002 = Device(2002, "network number 5 at MAC Address = 0x14",
                                 Blocks({{"(binary-input,1)", "inactive", "(F,F,F,T)"}}));

std::string Shown(const std::vector<std::string>& args) {
  std::string shown = "zel";
  for (const std::string& a : args)
    shown += " " + a;
  return shown;
}

// The simulated devices answer a Who-Is at once: zel waits half a second
// for their I-Ams instead of the two seconds a user's network gets.
class ShortWhoIsWait : public ::testing::Environment {
 public:
  void SetUp() override { setenv("VELMORA_TEST_WHOIS_WAIT_MS", "500", 1); }
};
const ::testing::Environment* const kShortWhoIsWait =
    ::testing::AddGlobalTestEnvironment(new ShortWhoIsWait);

struct Case {
  std::vector<std::string> args;
  std::string printed;  // after the banner
  int status;
};

class ZelE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(daemon_.ready()) << daemon_.Log();
  }
  void Run(const Case& c) {
    ProgramRun r = RunProgram(kZelProgram, temp_.path(), c.args);
    EXPECT_EQ(r.status, c.status) << Shown(c.args);
    EXPECT_OUTPUT(kBanner + c.printed, r.out);
  }

  TestDeadline deadline_{std::chrono::seconds(100)};
  TempDir temp_;
  Velmorad daemon_{temp_.path(), MainSite()};
};

TEST_F(ZelE2e, DumpsTheIoObjectsOfEveryLocalDevice) {
  Run({{"-d0"}, k1001 + k1002 + k1003 + k1004, 0});
}

TEST_F(ZelE2e, AsksTheNetworkAndTheInstanceGiven) {
  Run({{"-n", "5", "-d", "0"}, k2002, 0});
  Run({{"-n65535", "-d0", "-i", "2002"}, k2002, 0});
  Run({{"-d0", "-i1002"}, k1002, 0});
  // 0 asks every device, as no -i does.
  Run({{"-d0", "-i0", "-n-1"}, k1001 + k1002 + k1003 + k1004 + k2002, 0});
}

// Each pass dumps the devices again: the object images of a pass are gone
// at its end, so that the next pass has all of them again.
TEST_F(ZelE2e, RepeatsThePasses) {
  Run({{"-d0", "-r2", "-n5"}, k2002 + k2002, 0});
  Run({{"-d0", "-r2", "-i1004"}, k1004 + k1004, 0});
}

// A Who-Is the library refuses is reported and the pass goes on with the
// devices it knows (none here).
TEST_F(ZelE2e, AFailedWhoIsIsReportedAndThePassGoesOn) {
  const std::string failed =
      "Who-Is Failed.\nVelmora Status Code 16: Invalid parameter\nNo Devices Found.\n";
  Run({{"-d0", "-r2", "-i-5"}, failed + failed, 0});
  Run({{"-d0", "-i", "4194304"}, failed, 0});
}

// What the one zel run in the directory has printed so far.
std::string PrintedSoFar(const std::string& dir) {
  std::string printed;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.rfind("zel-", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".out")
        printed = ReadTextFile(dir + "/" + name);
    }
    closedir(d);
  }
  return printed;
}

// The daemon stops during the delay after the first pass: the second
// pass's Who-Is fails, and the device the library knows from the first is
// still dumped (its read fails now).
TEST(ZelWhoIs, AFailedWhoIsStillDumpsTheDevicesKnownFromEarlierPasses) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  std::optional<Velmorad> daemon;
  daemon.emplace(temp.path(),
                 "[daemon]\nmac = 01\n[device 7]\nmac = 07\n"
                 "[object binary-value 3]\npresent-value = enumerated 1\n"
                 "status-flags = bits 0000\n");
  ASSERT_TRUE(daemon->ready()) << daemon->Log();
  const std::string banner = "\nFound (device, 7) on local network at MAC Address = 0x07\n\n";
  const std::string first =
      kBanner + banner + "{\n" + Blocks({{"(binary-value,3)", "active", "(F,F,F,F)"}}) + "}\n";
  ProgramRun r{};
  std::thread run([&] { r = RunProgram(kZelProgram, temp.path(), {"-r2", "-d4"}); });
  const bool passed = WaitUntil([&] { return PrintedSoFar(temp.path()) == first; });
  daemon.reset();
  run.join();
  ASSERT_TRUE(passed) << PrintedSoFar(temp.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(first + "Who-Is Failed.\nVelmora Status Code 2: Service not found\n" + banner +
                    "{\nCouldn't Get Object List.\nVelmora Status Code 2: Service not found\n}\n",
                r.out);
}

// Sixteen devices answer; the library keeps images of 15.
TEST(ZelDevices, DumpsFifteenDevicesOfMore) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  std::string site = "[daemon]\nmac = 01\n";
  std::string expected;
  for (int i = 1; i <= 16; ++i) {
    char mac[3];
    std::snprintf(mac, sizeof mac, "%02x", i + 0x10);
    site += "[device " + std::to_string(100 + i) + "]\nmac = " + mac + "\n";
    if (i <= 15)
      expected += Device(100 + i, std::string("local network at MAC Address = 0x") + mac, kNoIo);
  }
  Velmorad daemon(temp.path(), site);
  ASSERT_TRUE(daemon.ready()) << daemon.Log();
  ProgramRun r = RunProgram(kZelProgram, temp.path(), {"-d0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + expected, r.out);
}

// No daemon is needed: the command line is refused before the library
// starts, and without a daemon the start fails.
TEST(ZelOptions, UsageRefusedOptionsAndNoDaemon) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const Case cases[] = {
      {{"-h"}, kUsage, 255},
      {{"-d0", "/?"}, kUsage, 255},
      {{"-r", "x"}, "Invalid command line parameters.\n\n", 255},
      {{"-nabc"}, "Invalid command line parameters.\n\n", 255},
      {{"-d0"}, "Init Failed.\nVelmora Status Code 2: Service not found\n", 2},
  };
  for (const Case& c : cases) {
    ProgramRun r = RunProgram(kZelProgram, temp.path(), c.args);
    EXPECT_EQ(r.status, c.status) << Shown(c.args);
    EXPECT_EQ(r.out, kBanner + c.printed) << Shown(c.args);
  }
}

}  // namespace
