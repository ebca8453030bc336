// morbane run as a user runs it, against velmorad serving a test site: the
// whole dump of the devices that answer, read by ReadPropertyMultiple or,
// where the device cannot answer that, property by property; passes that
// repeat; object lists longer than the first buffer; and the command lines
// refused before the library starts.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/morbane/support/morbane_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

// 1001 and 1002 on the local network, 2002 on network 5. 1002 refuses its
// whole Object_List and takes APDUs of 128 octets without segments, so its
// objects' ReadPropertyMultiple of all is aborted where the answer is
// longer, and it is read property by property.
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
vendor = 260
object-name = "Boiler House"

[object analog-input 1]
object-name = "Supply Temperature"
present-value = real 21.5
status-flags = bits 0100
units = enumerated 62

[object multi-state-input 1]
present-value = unsigned 2
state-text = array "Off", "Starting", "Running"

[device 1002]
mac = c0:a8:01:0b:ba:c0
max_apdu = 128
segmentation = no-segmentation
refuse_whole_object_list = yes
object-name = "Pump Room"

[object binary-value 1]
present-value = enumerated 1

[object analog-value 1]
object-name = "Pump Room Setpoint Used By The Night Set-back Program"
description = "Occupied setpoint of the pump room, in degrees Celsius"
present-value = real 18.0
priority-array = array null * 16

[device 2002]
mac = 14
network = 5
object-name = "Chiller Plant"
)";

const std::string kDevice1001 =
    "\n"
    "Found (device, 1001) on local network at MAC Address = 0xc0a8010abac0\n"
    "\n"
    "{\n"
    "   {\n"
    "      object-identifier : (device,1001)\n"
    "      object-type : device\n"
    "      object-name : \"Boiler House\"\n"
    "      object-list : {(device,1001),(analog-input,1),(multi-state-input,1)}\n"
    "      vendor-identifier : 260\n"
    "      max-apdu-length-accepted : 1476\n"
    "      segmentation-supported : segmented-both\n"
    "   },\n"
    "\n"
    "   {\n"
    "      object-identifier : (analog-input,1)\n"
    "      object-type : analog-input\n"
    "      object-name : \"Supply Temperature\"\n"
    "      present-value : 21.5\n"
    "      status-flags : (F,T,F,F)\n"
    "      units : degrees-Celsius\n"
    "   },\n"
    "\n"
    "   {\n"
    "      object-identifier : (multi-state-input,1)\n"
    "      object-type : multi-state-input\n"
    "      present-value : 2\n"
    "      state-text : {\"Off\",\"Starting\",\"Running\"}\n"
    "   }\n"
    "}\n";

const std::string kDevice1002 =
    "\n"
    "Found (device, 1002) on local network at MAC Address = 0xc0a8010bbac0\n"
    "\n"
    "{\n"
    "   {\n"
    "      object-identifier : (device,1002)\n"
    "      object-name : \"Pump Room\"\n"
    "      object-type : device\n"
    "      vendor-identifier : 0\n"
    "      object-list : Couldn't Read Property.\n"
    "Velmora Status Code 66: BACnet abort\n"
    "BACnet Abort Reason 4: Segmentation not supported\n"
    "      max-apdu-length-accepted : 128\n"
    "      segmentation-supported : no-segmentation\n"
    "   },\n"
    "\n"
    "   {\n"
    "      object-identifier : (binary-value,1)\n"
    "      object-type : binary-value\n"
    "      present-value : active\n"
    "   },\n"
    "\n"
    "   {\n"
    "      object-identifier : (analog-value,1)\n"
    "      object-name : \"Pump Room Setpoint Used By The Night Set-back Program\"\n"
    "      object-type : analog-value\n"
    "      present-value : 18.0\n"
    "      description : \"Occupied setpoint of the pump room, in degrees Celsius\"\n"
    "      priority-array : {NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,"
    "NULL,NULL,NULL}\n"
    "   }\n"
    "}\n";

class MorbaneE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(daemon_.ready()) << daemon_.Log();
  }
  ProgramRun Run(const std::vector<std::string>& args) { return RunMorbane(temp_.path(), args); }

  TestDeadline deadline_{std::chrono::seconds(100)};
  TempDir temp_;
  Velmorad daemon_{temp_.path(), kSite};
};

// 1002's objects are read one property at a time in the order of their
// type's list: the properties it does not have are left out, a read it
// refuses (its whole Object_List) is printed with why.
TEST_F(MorbaneE2e, DumpsEveryObjectOfEachLocalDevice) {
  ProgramRun r = Run({"-t", "2", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner + kDevice1001 + kDevice1002, r.out);
}

TEST_F(MorbaneE2e, AsksTheNetworkAndTheDeviceGiven) {
  ProgramRun r = Run({"-n", "5", "-t", "1", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner +
                    "\n"
                    "Found (device, 2002) on network number 5 at MAC Address = 0x14\n"
                    "\n"
                    "{\n"
                    "   {\n"
                    "      object-identifier : (device,2002)\n"
                    "      object-type : device\n"
                    "      object-name : \"Chiller Plant\"\n"
                    "      object-list : {(device,2002)}\n"
                    "      vendor-identifier : 0\n"
                    "      max-apdu-length-accepted : 1476\n"
                    "      segmentation-supported : segmented-both\n"
                    "   }\n"
                    "}\n",
                r.out);
  // The seen devices start anew in every pass.
  r = Run({"-i", "1002", "-r", "2", "-t", "1", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner + kDevice1002 + kDevice1002, r.out);
  r = Run({"-n", "65535", "-i", "1001", "-t", "1", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner + kDevice1001, r.out);
}

TEST_F(MorbaneE2e, WithoutAnswersItSaysSo) {
  // A wait of 0 takes no answer at all; nobody is at network 9 or device 7.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-t", "0"},
                                               {"-n", "9", "-t", "1", "-d", "0"},
                                               {"-i", "7", "-r", "2", "-t", "1", "-d", "0"}}) {
    ProgramRun r = Run(args);
    EXPECT_EQ(r.status, 0);
    std::string expected = kMorbaneBanner + "No Devices Found.\n";
    if (args.size() == 8) expected += "No Devices Found.\n";
    EXPECT_EQ(r.out, expected);
  }
}

}  // namespace
