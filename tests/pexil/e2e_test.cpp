// pexil run as a user runs it, against velmorad serving a test site: the
// whole output of good reads of several datatypes, of BACnet Errors, of a
// device that does not answer, and of a run without a daemon.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/pexil/support/pexil_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

// 1001 and 1003 on the local network (1003 answers nothing), 2002 and 2003
// behind port 1 on network 5, 2003 at a MAC of two octets.
const char kSite[] = R"(
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
object-name = "Boiler House"

[object analog-input 1]
object-name = "Supply Temperature"
present-value = real 21.5
status-flags = bits 0100
units = enumerated 62

[object multi-state-input 1]
present-value = unsigned 2
state-text = array "Off", "Starting", "Running"

[object multi-state-input 2]
state-text = array "\x01\x01\x01\x01" * 1000

[device 1003]
mac = c0:a8:01:0c:ba:c0
silent = yes

[device 2002]
mac = 14
network = 5
object-name = "Chiller Plant"

[device 2003]
mac = 0a:bc
network = 5
object-name = "Cooling Tower"
)";

const std::string kBoilerHouse = "Device Address: {0,X'c0a8010abac0'}\n";

struct Case {
  std::vector<std::string> args;
  std::string printed;  // after the banner
};

std::string Shown(const std::vector<std::string>& args) {
  std::string shown = "pexil";
  for (const std::string& a : args)
    shown += " " + a;
  return shown;
}

class PexilE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(daemon_.ready()) << daemon_.Log();
  }
  // Every case prints its whole output and ends with the status.
  void RunCases(const std::vector<Case>& cases, int status) {
    for (const Case& c : cases) {
      ProgramRun r = RunPexil(temp_.path(), c.args);
      EXPECT_EQ(r.status, status) << Shown(c.args);
      EXPECT_EQ(r.out, kPexilBanner + c.printed) << Shown(c.args);
    }
  }

  TestDeadline deadline_{std::chrono::seconds(90)};
  TempDir temp_;
  Velmorad daemon_{temp_.path(), kSite};
};

TEST_F(PexilE2e, ReadsAndPrintsValuesOfSeveralDatatypes) {
  const std::string input = kBoilerHouse + "Object (analog-input,1)\n";
  const std::string device =
      kBoilerHouse + "Object (device,1001)\nProperty ID : object-list (76)\n";
  const std::string states =
      kBoilerHouse + "Object (multi-state-input,1)\nProperty ID : state-text (110)\n";
  RunCases(
      {
          {{"-a", "C0A8010ABAC0", "-t", "analog-input", "-o", "1", "-p", "present-value"},
           input + "Property ID : present-value (85)\nValue : 21.5\n"},
          {{"-ac0a8010abac0", "-t0", "-o1", "-p117"},
           input + "Property ID : units (117)\nValue : degrees-Celsius\n"},
          {{"/a", "c0a8010abac0", "/t", "0", "/o", "1", "/p", "status-flags"},
           input + "Property ID : status-flags (111)\nValue : (F,T,F,F)\n"},
          {{"-n", "5", "-a", "14", "-t", "device", "-o", "2002", "-p", "object-name"},
           "Device Address: {5,X'14'}\nObject (device,2002)\n"
           "Property ID : object-name (77)\nValue : \"Chiller Plant\"\n"},
          // An odd digit count: the first digit alone is the first octet.
          {{"+n5", "+aABC", "-t", "8", "-o", "2003", "-p", "77"},
           "Device Address: {5,X'0abc'}\nObject (device,2003)\n"
           "Property ID : object-name (77)\nValue : \"Cooling Tower\"\n"},
          {{"-a", "c0a8010abac0", "-t", "device", "-o", "1001", "-p", "object-list"},
           device + "Value : {(device,1001),(analog-input,1),(multi-state-input,1),"
                    "(multi-state-input,2)}\n"},
          // The device instance 4194303 stands for the device's own.
          {{"-a", "c0a8010abac0", "-t", "8", "-o", "4194303", "-p", "76", "-i", "0"},
           kBoilerHouse + "Object (device,4194303)\nProperty ID : object-list (76)\n"
                          "ArrayIndex : 0\nValue : 4\n"},
          // An element prints as itself, not as an array of one.
          {{"-a", "c0a8010abac0", "-t", "device", "-o", "1001", "-p", "object-list", "-i", "2"},
           device + "ArrayIndex : 2\nValue : (analog-input,1)\n"},
          {{"-a", "c0a8010abac0", "-t", "13", "-o", "1", "-p", "state-text", "-i", "2"},
           states + "ArrayIndex : 2\nValue : \"Starting\"\n"},
          {{"-a", "c0a8010abac0", "-t", "13", "-o", "1", "-p", "state-text"},
           states + "Value : {\"Off\",\"Starting\",\"Running\"}\n"},
      },
      0);
}

// A value whose text is longer than the 15000 characters of the first
// buffer is still printed whole.
TEST_F(PexilE2e, PrintsAValueLongerThanItsFirstTextBuffer) {
  std::string elements;
  for (int i = 0; i < 1000; ++i)
    elements += std::string(i ? "," : "") + "\"\\x01\\x01\\x01\\x01\"";
  RunCases({{{"-a", "c0a8010abac0", "-t", "13", "-o", "2", "-p", "110"},
             kBoilerHouse +
                 "Object (multi-state-input,2)\nProperty ID : state-text (110)\n"
                 "Value : {" +
                 elements + "}\n"}},
           0);
}

TEST_F(PexilE2e, PrintsTheBacnetErrorOfAFailedRead) {
  const std::string failed = "Couldn't Read Property\nVelmora Status Code 64: BACnet error\n";
  RunCases(
      {
          {{"-a", "c0a8010abac0", "-t", "analog-input", "-o", "9", "-p", "85"},
           kBoilerHouse + "Object (analog-input,9)\nProperty ID : present-value (85)\n" + failed +
               "BACnet Error Class, Code 1, 31: Object, Unknown-object\n"},
          {{"-a", "c0a8010abac0", "-t", "analog-input", "-o", "1", "-p", "28"},
           kBoilerHouse + "Object (analog-input,1)\nProperty ID : description (28)\n" + failed +
               "BACnet Error Class, Code 2, 32: Property, Unknown-property\n"},
          {{"-a", "c0a8010abac0", "-t", "13", "-o", "1", "-p", "state-text", "-i", "4"},
           kBoilerHouse +
               "Object (multi-state-input,1)\nProperty ID : state-text (110)\nArrayIndex : 4\n" +
               failed + "BACnet Error Class, Code 2, 42: Property, Invalid-array-index\n"},
          {{"-a", "c0a8010abac0", "-t", "13", "-o", "1", "-p", "85", "-i", "1"},
           kBoilerHouse +
               "Object (multi-state-input,1)\nProperty ID : present-value (85)\nArrayIndex : 1\n" +
               failed + "BACnet Error Class, Code 2, 50: Property, Property-is-not-an-array\n"},
      },
      5);
}

TEST_F(PexilE2e, ADeviceThatDoesNotAnswerTimesOut) {
  const std::string timeout = "Couldn't Read Property\nVelmora Status Code 48: Timeout\n";
  const std::string request = "Object (device,1)\nProperty ID : object-name (77)\n";
  RunCases({{{"-a", "c0a8010cbac0", "-t", "8", "-o", "1", "-p", "77"},
             "Device Address: {0,X'c0a8010cbac0'}\n" + request + timeout},
            {{"-a", "c0a801ffbac0", "-t", "8", "-o", "1", "-p", "77"},
             "Device Address: {0,X'c0a801ffbac0'}\n" + request + timeout}},
           5);
}

TEST(PexilAlone, WithoutDaemonTheLibraryDoesNotStart) {
  TestDeadline deadline{std::chrono::seconds(60)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  ProgramRun r =
      RunPexil(temp.path(), {"-a", "c0a8010abac0", "-t", "8", "-o", "1001", "-p", "object-list"});
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.out, kPexilBanner + kBoilerHouse +
                       "Object (device,1001)\nProperty ID : object-list (76)\n"
                       "Init Failed.\nVelmora Status Code 2: Service not found\n");
  EXPECT_NE(
      ReadTextFile(temp.File("pexil.err")).find("IPC: cannot open " + temp.path() + "/velmora"),
      std::string::npos);
}

}  // namespace
