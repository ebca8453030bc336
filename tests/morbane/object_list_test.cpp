// Object lists longer than the 100 identifiers morbane first makes room
// for: read whole once the buffer has grown to the length the device
// tells, or element by element when the device refuses the whole list.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/morbane/support/morbane_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

// A device of `objects` objects: itself and proprietary objects (type 130)
// without properties of their own.
std::string DeviceSection(uint32_t instance, const std::string& mac, uint32_t objects,
                          bool refuseWholeList) {
  std::string text = "[device " + std::to_string(instance) + "]\nmac = " + mac + "\n";
  if (refuseWholeList) text += "refuse_whole_object_list = yes\n";
  for (uint32_t i = 1; i < objects; ++i)
    text += "[object 130 " + std::to_string(i) + "]\n";
  return text;
}

// What morbane prints of such a device. The device object's Object_List
// is read whole by ReadPropertyMultiple unless the device refuses it.
std::string DeviceDump(uint32_t instance, const std::string& mac, uint32_t objects,
                       bool refuseWholeList) {
  const std::string device = "(device," + std::to_string(instance) + ")";
  std::string text = "\nFound (device, " + std::to_string(instance) +
                     ") on local network at MAC Address = 0x" + mac + "\n\n{\n   {\n";
  if (refuseWholeList) {
    text += "      object-identifier : " + device +
            "\n      object-type : device\n      vendor-identifier : 0\n"
            "      object-list : Couldn't Read Property.\n"
            "Velmora Status Code 66: BACnet abort\n"
            "BACnet Abort Reason 4: Segmentation not supported\n"
            "      max-apdu-length-accepted : 1476\n"
            "      segmentation-supported : segmented-both\n";
  } else {
    text += "      object-identifier : " + device + "\n      object-type : device\n" +
            "      object-list : {" + device;
    for (uint32_t i = 1; i < objects; ++i)
      text += ",(proprietary-object-130," + std::to_string(i) + ")";
    text +=
        "}\n      vendor-identifier : 0\n      max-apdu-length-accepted : 1476\n"
        "      segmentation-supported : segmented-both\n";
  }
  text += "   }";
  for (uint32_t i = 1; i < objects; ++i)
    text += ",\n\n   {\n      object-identifier : (proprietary-object-130," + std::to_string(i) +
            ")\n      object-type : proprietary-object-130\n   }";
  return text + "\n}\n";
}

TEST(MorbaneObjectList, ListsLongerThanTheFirstBufferAreReadWhole) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string site = "[daemon]\nmac = 7f:00:00:01:ba:c0\napdu_timeout = 300\n" +
                           DeviceSection(1001, "c0:a8:01:0a:ba:c0", 250, false) +
                           DeviceSection(1002, "c0:a8:01:0b:ba:c0", 120, true);
  Velmorad daemon{temp.path(), site};
  ASSERT_TRUE(daemon.ready()) << daemon.Log();
  ProgramRun r = RunMorbane(temp.path(), {"-t", "3", "-d", "0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kMorbaneBanner + DeviceDump(1001, "c0a8010abac0", 250, false) +
                    DeviceDump(1002, "c0a8010bbac0", 120, true),
                r.out);
}

}  // namespace
