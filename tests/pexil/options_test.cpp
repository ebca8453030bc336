// pexil's command line: the usage text, and every argument it refuses with
// its one line and the exit code of its step. No daemon runs here: a run
// that went on to start the library would print "Init Failed." and exit 5.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/pexil/support/pexil_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kUsage =
    "\n"
    "This client application example for the ReadProperty service request.\n"
    "\n"
    "Command line syntax:\n"
    "\n"
    "    pexil.exe [-n XXX] -a XXX -t XXX -o XXX -p XXX [-i XXX]\n"
    "\n"
    "Options:\n"
    "\n"
    "    -n XXX    - network number (defaults to local)\n"
    "    -a XXX    - device address (hex string, no 0x in front)\n"
    "    -t XXX    - object type (string or integer)\n"
    "    -o XXX    - object instance number\n"
    "    -p XXX    - property ID (string or integer)\n"
    "    -i XXX    - array index\n"
    "\n"
    "Examples:\n"
    "\n"
    "    pexil -a C0A80175BAC9 -t 8 -o 1990 -p application-software-version\n"
    "    pexil -n 12AF -a C0A80175BAC9 -t 8 -o 1990 -p 76\n"
    "    pexil -n 24117 -a 0100 -t device -o 1 -p object-list\n"
    "\n";

struct Case {
  std::vector<std::string> args;
  std::string printed;  // after the banner
  int status;
};

const std::string kLocal01 = "Device Address: {0,X'01'}\n";
const std::string kDevice1 = kLocal01 + "Object (device,1)\n";

TEST(PexilOptions, RefusedBeforeTheLibraryStarts) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string sixteen = "0123456789ABCDEF";
  const Case cases[] = {
      {{}, kUsage, 1},
      {{"-h"}, kUsage, 1},
      // Every help argument prints it, whatever else is given.
      {{"-a", "01", "/?", "+h"}, kUsage + kUsage, 1},
      {{"-n", "x", "-a", "01", "-t", "8", "-o", "1", "-p", "76"},
       "Invalid command line parameters.\n\n",
       1},
      // A negative value after a blank is the next option: the option's
      // value is then its own text.
      {{"-a", "01", "-t", "8", "-o", "1", "-p", "76", "-i", "-2"},
       "Invalid command line parameters.\n\n",
       1},
      {{"-t", "device", "-o", "1", "-p", "76"}, "Invalid Device Address: \n", 1},
      {{"-a", "01G2", "-t", "8", "-o", "1", "-p", "76"}, "Invalid Device Address: 01G2\n", 1},
      {{"-a", sixteen, "-t", "8", "-o", "1", "-p", "76"}, "Invalid MAC length 8\n", 1},
      {{"-a", sixteen + "0", "-t", "8", "-o", "1", "-p", "76"},
       "Invalid Device Address: " + sixteen + "0\n",
       1},
      {{"-n-2", "-a", "01", "-t", "8", "-o", "1", "-p", "76"}, "Invalid Network Number: -2\n", 1},
      // The address keeps 16 bits: 65536 would be network 0.
      {{"-n", "65536", "-a", "01", "-t", "8", "-o", "1", "-p", "76"},
       "Invalid Network Number: 65536\n",
       1},
      {{"-n-1", "-a", "01", "-t", "devices", "-o", "1", "-p", "76"},
       "Device Address: {65535,X'01'}\nInvalid Object Type : -1\n",
       2},
      {{"-a", "01", "-t", "1024", "-o", "1", "-p", "76"},
       kLocal01 + "Invalid Object Type : 1024\n",
       2},
      // A number is read whole: 12AB is no object type 12.
      {{"-a", "01", "-t", "12AB", "-o", "1", "-p", "76"},
       kLocal01 + "Invalid Object Type : -1\n",
       2},
      {{"-a", "01", "-t", "3000000000", "-o", "1", "-p", "76"},
       kLocal01 + "Invalid Object Type : 3000000000\n",
       2},
      {{"-a", "01", "-t", "4294967296", "-o", "1", "-p", "76"},
       kLocal01 + "Invalid Object Type : -1\n",
       2},
      {{"-a", "01", "-t", "device", "-p", "76"},
       kLocal01 + "Invalid Object Instance Number : -1\n",
       2},
      {{"-a", "01", "-t", "8", "-o", "4194304", "-p", "76"},
       kLocal01 + "Invalid Object Instance Number : 4194304\n",
       2},
      {{"-a", "01", "-t", "device", "-o", "1"}, kDevice1 + "Invalid Property ID : -1\n", 3},
      {{"-a", "01", "-t", "device", "-o", "1", "-p", "objectlist"},
       kDevice1 + "Invalid Property ID : -1\n",
       3},
      {{"-a", "01", "-t", "device", "-o", "1", "-p", "4194304"},
       kDevice1 + "Invalid Property ID : 4194304\n",
       3},
      // The largest type, instance and property pass; the index does not.
      {{"-a", "01", "-t", "1023", "-o", "4194303", "-p", "4194303", "-i-2"},
       kLocal01 + "Object (proprietary-object-1023,4194303)\n"
                  "Property ID : proprietary-property-4194303 (4194303)\n"
                  "Invalid Array Index : -2\n",
       4},
      // A text longer than the option's 64-byte buffer is read as given,
      // not as the characters the buffer kept (63 zeros: type 0).
      {{"-a", "01", "-t",
        "000000000000000000000000000000000000000000000000000000000000000"
        "8",
        "-o", "1", "-p", "0076", "-i-2"},
       kDevice1 + "Property ID : object-list (76)\nInvalid Array Index : -2\n",
       4},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args)
      shown += " " + a;
    ProgramRun r = RunPexil(temp.path(), c.args);
    EXPECT_EQ(r.status, c.status) << "pexil" << shown;
    EXPECT_EQ(r.out, kPexilBanner + c.printed) << "pexil" << shown;
  }
}

}  // namespace
