// Starting the library and running the passes of the discovering clients.
#include <algorithm>

#include "demos/common/demo_common.h"
#include "runtime/apil/velmora.h"
#include "runtime/platform/plat_time.h"
#include "text/status_text.h"

VelmoraStatus DemoInitLibrary(uint32_t maxDevices, uint32_t maxObjects, uint16_t portId) {
  VelmoraInitParams params;
  VelmoraInitDefaults(&params, 6, 2);
  VelmoraInitSetMaxDevices(&params, maxDevices);
  VelmoraInitSetMaxObjects(&params, maxObjects);
  if (portId != 0) VelmoraInitSetPortId(&params, portId);
  const VelmoraStatus status = VelmoraInit(&params, 0);
  if (status != VELMORA_STATUS_OK) VelmoraPrintStatus(status, nullptr, "Init Failed.");
  return status;
}

void DemoPassOptionsDeclare(DemoPassOptions* options, int32_t startInstance,
                            CmdLineOption rows[DEMO_PASS_OPTION_COUNT]) {
  *options = DemoPassOptions{0, 1, 1, startInstance};
  CmdLineOptionInit(&rows[0], CMDLINE_OPTION_SIGNED, &options->network, 'n',
                    "Destination network number");
  CmdLineOptionInit(&rows[1], CMDLINE_OPTION_SIGNED, &options->delay, 'd', "delay time (sec)");
  CmdLineOptionInit(&rows[2], CMDLINE_OPTION_SIGNED, &options->repeats, 'r', "repeats (number)");
  CmdLineOptionInit(&rows[3], CMDLINE_OPTION_SIGNED, &options->instance, 'i', "target Device ID");
}

VelmoraStatus DemoRunPasses(const DemoPassOptions* options, DemoPass pass, void* context) {
  VelmoraStatus status = VELMORA_STATUS_OK;
  for (int32_t left = options->repeats; left != 0;) {
    if (left > 0) --left;
    status = pass(options, context);
    if (status != VELMORA_STATUS_OK) break;
    DemoSleepSeconds(options->delay);
  }
  return status;
}

void DemoSleepSeconds(int32_t seconds) {
  // In 32-bit milliseconds a long delay is several sleeps.
  for (uint64_t left = seconds > 0 ? uint64_t(seconds) * 1000 : 0; left > 0;) {
    const uint32_t ms = uint32_t(std::min<uint64_t>(left, UINT32_MAX));
    PlatSleep(ms);
    left -= ms;
  }
}
