// morbane: discovers devices by Who-Is and prints every property of every
// object of each device that answers, pass after pass.
#include <cstdio>

#include "demos/common/demo_common.h"
#include "demos/morbane/morbane.h"
#include "runtime/apil/velmora.h"
#include "text/banner.h"
#include "text/cmdline.h"

namespace {

constexpr char kUsage[] =
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

constexpr int kExitBadOptions = -1;
constexpr int kExitBadPort = 1;
constexpr int kExitNoSection = -2;
constexpr int32_t kAnyInstance = -1;
constexpr uint32_t kLargestPort = 255;

struct MorbaneOptions {
  DemoPassOptions pass;
  int32_t wait;
  int32_t port;
};

VelmoraStatus Pass(const DemoPassOptions* options, void* context) {
  const auto* morbane = static_cast<const MorbaneOptions*>(context);
  return DiscoverDevices(options->instance, options->network, morbane->wait);
}

}  // namespace

int main(int argc, char** argv) {
  PrintBanner("DADUVORA", 1998);
  MorbaneOptions options{};
  options.wait = 3;
  options.port = 0;
  CmdLineOption rows[DEMO_PASS_OPTION_COUNT + 2];
  DemoPassOptionsDeclare(&options.pass, kAnyInstance, rows);
  CmdLineOptionInit(&rows[DEMO_PASS_OPTION_COUNT], CMDLINE_OPTION_SIGNED, &options.wait, 't',
                    "waiting for I_AMs (sec)");
  CmdLineOptionInit(&rows[DEMO_PASS_OPTION_COUNT + 1], CMDLINE_OPTION_SIGNED, &options.port, 'p',
                    "Port ID");
  CmdLineSetUsage(kUsage, sizeof kUsage - 1);
  if (!CmdLineParse(argc, argv, rows, DEMO_PASS_OPTION_COUNT + 2)) return kExitBadOptions;

  if (uint32_t(options.port) > kLargestPort) {
    std::printf("Invalid parameter value: Port ID = %d\n", int(options.port));
    return kExitBadPort;
  }
  DemoCs* section = DemoCsCreate();
  if (!section) {
    std::printf("Cannot create Mutex\n");
    return kExitNoSection;
  }
  DiscoverySetSection(section);
  VelmoraStatus status = DemoInitLibrary(1, 1, uint16_t(options.port));
  if (status != VELMORA_STATUS_OK) {
    DemoCsDelete(section);
    return int(status);
  }
  status = DemoRunPasses(&options.pass, Pass, &options);
  VelmoraTerminate();
  DemoCsDelete(section);
  return int(status);
}
