// morbane's command line: the usage text, the values refused before the
// library starts, and a run without a daemon. No daemon runs here.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/morbane/support/morbane_run.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kUsage =
    "\n"
    "\n"
    "This client application demonstrates generating of ReadProperty service\n"
    "request (Object Access Services API).\n"
    "\n"
    "Command line syntax:\n"
    "\n"
    "        morbane.exe [options]\n"
    "\n"
    "Options:\n"
    "\n"
    "      -nXXX - network number to use as the destination of Who-Is request\n"
    "              (defaults to local)\n"
    "      -iXXX - instance number of the device to dump (defaults to 'any')\n"
    "      -rXXX - number of repetitions (defaults to 1)\n"
    "      -dXXX - seconds before repeated iterations (defaults to 1)\n"
    "      -tXXX - seconds to wait for I-Am requests (defaults to 3)\n"
    "\n";

TEST(MorbaneOptions, RefusedBeforeTheLibraryStarts) {
  TestDeadline deadline{std::chrono::seconds(60)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  struct Case {
    std::vector<std::string> args;
    std::string printed;  // after the banner
    int status;
  };
  // The parser's failure, -1, is 255 as Linux reports it.
  const Case cases[] = {
      {{"-h"}, kUsage, 255},
      {{"-t", "1", "/?"}, kUsage, 255},
      {{"-t", "x"}, "Invalid command line parameters.\n\n", 255},
      {{"-p", "256"}, "Invalid parameter value: Port ID = 256\n", 1},
      {{"-p-1"}, "Invalid parameter value: Port ID = -1\n", 1},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args)
      shown += " " + a;
    ProgramRun r = RunMorbane(temp.path(), c.args);
    EXPECT_EQ(r.status, c.status) << "morbane" << shown;
    EXPECT_EQ(r.out, kMorbaneBanner + c.printed) << "morbane" << shown;
  }
}

TEST(MorbaneOptions, WithoutDaemonTheLibraryDoesNotStart) {
  TestDeadline deadline{std::chrono::seconds(60)};
  TempDir temp;
  ASSERT_FALSE(temp.path().empty());
  // The largest port identifier passes; the exit code is the start-up's status.
  ProgramRun r = RunMorbane(temp.path(), {"-p", "255", "-t", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, kMorbaneBanner + "Init Failed.\nVelmora Status Code 2: Service not found\n");
}

}  // namespace
