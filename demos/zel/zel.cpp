// zel: discovers devices with a Who-Is, lets the library's own I-Am
// handling fill its device images, and reads the present value and status
// flags of every analog, binary and multi-state input and output of each
// device with one ReadPropertyMultiple through object handles; a block per
// device and per object. Passes repeat as often as asked.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "bacnet/any_value.h"
#include "bacnet/bacnet_enums.h"
#include "bacnet/records.h"
#include "bacnet/records_refs.h"
#include "demos/common/demo_common.h"
#include "runtime/apil/velmora.h"
#include "runtime/platform/plat_time.h"
#include "text/banner.h"
#include "text/cmdline.h"
#include "text/enum_names.h"
#include "text/status_text.h"
#include "text/value_text.h"

namespace {

constexpr char kUsage[] =
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
static_assert(sizeof kUsage - 1 == 467);

constexpr int kExitOptions = -1;
constexpr uint32_t kMaxDevices = 15;
constexpr uint32_t kMaxObjects = 20;  // object images per device
constexpr uint32_t kListRoom = 50;    // Object_List entries looked at
// How long the I-Am answers take to come in; the tests, whose simulated
// devices answer at once, shorten it.
constexpr uint32_t kWhoIsWaitMs = 2000;
constexpr char kWhoIsWaitEnv[] = "VELMORA_TEST_WHOIS_WAIT_MS";
constexpr uint32_t kValueRoom = 56;
constexpr uint32_t kIdTextRoom = 10000;
constexpr uint32_t kRefCount = 2;

// Analog, binary and multi-state inputs and outputs (and analog and binary
// values); multi-state value is not among them.
constexpr bool IsIoObject(uint32_t type) {
  return type <= BACNET_OBJ_BINARY_VALUE || type == BACNET_OBJ_MULTI_STATE_INPUT ||
         type == BACNET_OBJ_MULTI_STATE_OUTPUT;
}

// What one I/O object's request reads into.
struct IoObject {
  VelmoraObjectHandle handle;
  bool created;  // by this pass: its image goes again at the end
  VelmoraPropRef refs[kRefCount];
  VelmoraReadResult elements[kRefCount];
  alignas(std::max_align_t) uint8_t values[kRefCount][kValueRoom];
};

void DeleteCreatedImages(const IoObject* objects, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    if (objects[i].created) VelmoraDeleteObjectImage(objects[i].handle);
}

// A property the device answered with an error shows that error, not the
// empty value record it leaves behind.
void PrintElement(const VelmoraReadResult* element, uint32_t objectType) {
  const uint32_t property = VelmoraReadResultGetProperty(element);
  std::printf("      %s : ", VelmoraEnumValueName(VELMORA_ENUM_PROPERTY, property));
  if (!VelmoraReadResultIsSuccess(element)) {
    const VelmoraFailure failure{VELMORA_FAILURE_ERROR, VelmoraReadResultGetErrorClass(element),
                                 VelmoraReadResultGetErrorCode(element)};
    VelmoraPrintStatus(VELMORA_STATUS_BACNET_ERROR, &failure, "Couldn't Read Property.");
    return;
  }
  PrintValue(VelmoraReadResultGetValue(element), objectType, property, 0);
  std::printf("\n");
}

// False when the result names no object: nothing is printed for it.
bool PrintResult(const VelmoraReadMultiHandleResult* result) {
  const VelmoraObjectHandle handle = VelmoraReadMultiHandleResultGetHandle(result);
  VelmoraObjectId id{};
  if (!handle || !VelmoraGetObjectType(handle, &id.type) ||
      !VelmoraGetObjectInstNum(handle, &id.instance))
    return false;
  static char text[kIdTextRoom];
  VelmoraObjectIdToString(text, kIdTextRoom, &id);
  std::printf("   {\n      object-identifier : %s\n", text);
  const uint32_t stored = VelmoraReadMultiHandleResultGetCount(result, VELMORA_RESULT_STORED);
  for (uint32_t e = 0; e < stored; ++e)
    PrintElement(VelmoraReadMultiHandleResultGetResult(result, e), id.type);
  return true;
}

void DumpIoObjects(VelmoraDeviceHandle device) {
  VelmoraObjectId list[kListRoom];
  uint32_t total = 0;
  VelmoraFailure failure{};
  VelmoraStatus status = VelmoraReadObjectList(device, list, kListRoom, &total, &failure);
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, &failure, "Couldn't Get Object List.");
    return;
  }
  static IoObject objects[kListRoom];
  static VelmoraReadMultiHandleRequest requests[kListRoom];
  static VelmoraReadMultiHandleResult results[kListRoom];
  uint32_t count = 0;
  for (uint32_t i = 0; i < total && i < kListRoom; ++i) {
    if (!IsIoObject(list[i].type)) continue;
    IoObject& o = objects[count];
    o.handle = nullptr;
    status = VelmoraCreateObjectImage(device, &list[i], &o.handle);
    // Without an image of its own (the device's images are all taken) the
    // object cannot be named, so it is not read: another object's handle
    // would read that object twice.
    if ((status != VELMORA_STATUS_OK && status != VELMORA_STATUS_ALREADY_EXISTS) || !o.handle)
      continue;
    o.created = status == VELMORA_STATUS_OK;
    for (uint32_t r = 0; r < kRefCount; ++r) {
      VelmoraPropRefInit(&o.refs[r], r == 0 ? BACNET_PROP_PRESENT_VALUE : BACNET_PROP_STATUS_FLAGS);
      VelmoraReadResultInitBuffer(&o.elements[r], o.values[r], kValueRoom);
    }
    VelmoraReadMultiHandleRequestInit(&requests[count], o.handle, o.refs, kRefCount);
    results[count] = VelmoraReadMultiHandleResult{};
    VelmoraReadMultiHandleResultSetBuffer(&results[count], o.elements, kRefCount);
    ++count;
  }
  if (count == 0) {
    std::printf("No I/O objects. Passing the device...\n");
    return;
  }
  failure = VelmoraFailure{};
  status = VelmoraReadPropertyMultiple(device, requests, results, count, &failure, nullptr);
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, &failure, "Couldn't ReadPropertyMultiple()");
    DeleteCreatedImages(objects, count);
    return;
  }
  for (uint32_t k = 0; k < count; ++k) {
    if (PrintResult(&results[k])) std::printf(k + 1 < count ? "   },\n\n" : "   }\n");
  }
  DeleteCreatedImages(objects, count);
}

void PrintDeviceInfo(VelmoraDeviceHandle device) {
  uint32_t instance = 0;
  VelmoraAddress address{};
  VelmoraGetDeviceInstNum(device, &instance);
  VelmoraGetDeviceAddress(device, &address);
  PrintDeviceBanner(instance, &address);
}

VelmoraStatus DiscoverAndDumpDevices(const DemoPassOptions* options, void*) {
  VelmoraAddress destination{};
  DemoWhoIsDestination(&destination, options->network);
  const int32_t instance = options->instance == 0 ? -1 : options->instance;
  const VelmoraStatus status = VelmoraWhoIs(&destination, instance, instance);
  if (status != VELMORA_STATUS_OK) VelmoraPrintStatus(status, nullptr, "Who-Is Failed.");
  PlatSleep(PlatTestWait(kWhoIsWaitEnv, kWhoIsWaitMs));
  VelmoraDeviceHandle devices[kMaxDevices];
  uint32_t total = 0;
  if (!VelmoraGetDeviceList(devices, kMaxDevices, &total))
    std::printf("Couldn't Get Device List.\n");
  if (total == 0) std::printf("No Devices Found.\n");
  for (uint32_t i = 0; i < total && i < kMaxDevices; ++i) {
    PrintDeviceInfo(devices[i]);
    std::printf("{\n");
    DumpIoObjects(devices[i]);
    std::printf("}\n");
  }
  // A pass shows as it ends, also in a file or a pipe.
  std::fflush(stdout);
  return VELMORA_STATUS_OK;
}

}  // namespace

int main(int argc, char** argv) {
  PrintBanner("ZEL", 1998);
  DemoPassOptions options;
  CmdLineOption rows[DEMO_PASS_OPTION_COUNT];
  DemoPassOptionsDeclare(&options, 0, rows);
  CmdLineSetUsage(kUsage, sizeof kUsage - 1);
  if (!CmdLineParse(argc, argv, rows, DEMO_PASS_OPTION_COUNT)) return kExitOptions;
  const VelmoraStatus status = DemoInitLibrary(kMaxDevices, kMaxObjects, 0);
  if (status != VELMORA_STATUS_OK) return status;
  DemoRunPasses(&options, DiscoverAndDumpDevices, nullptr);
  VelmoraTerminate();
  return 0;
}
