// One discovery pass: the I-Am hook queues every answer while the pass
// takes them, and the pass dumps each device whose address it has not seen
// yet, for as long as the waiting time lasts.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bacnet/records_hooks.h"
#include "demos/common/demo_common.h"
#include "demos/morbane/morbane.h"
#include "runtime/apil/velmora.h"
#include "runtime/platform/plat_time.h"
#include "text/status_text.h"

namespace {

constexpr int32_t kMostQueued = 0x7FFFFFFF;

// Shared with the hook, which runs on the library's delivery thread, under
// the section. The hook may run once more after it has been removed, so it
// tests the flag and queues its answer in one hold of the section: the pass
// frees the queue and its semaphore only after clearing the flag.
struct Discovery {
  DemoCs* section;
  bool discovering;
  DemoList* queue;
  PlatSemaphore* answers;
};

Discovery discovery;

}  // namespace

void DiscoverySetSection(DemoCs* section) { discovery.section = section; }

uint32_t IAmHook(void*, const VelmoraAddress* sender, const VelmoraAddress*, void* request) {
  DemoCsGuard guard(discovery.section);
  if (!discovery.discovering) return 1;
  auto* record = static_cast<DeviceRecord*>(std::malloc(sizeof(DeviceRecord)));
  if (!record) return 0;
  std::memset(record, 0, sizeof *record);
  VelmoraAddressCopy(&record->address, sender);
  record->instance = VelmoraIAmGetDeviceInstance(static_cast<const VelmoraIAmRequest*>(request));
  if (!DemoListAppend(discovery.queue, record)) {
    std::free(record);
    return 0;
  }
  PlatSemaphoreRelease(discovery.answers, 1, nullptr);
  return 0;
}

bool DiscoveryBegin() {
  DemoList* queue = DemoListNew(sizeof(DeviceRecord));
  PlatSemaphore* answers = PlatSemaphoreCreate(0, kMostQueued);
  if (!queue || !answers) {
    DemoListFree(queue);
    if (answers) PlatSemaphoreDestroy(answers);
    return false;
  }
  DemoCsGuard guard(discovery.section);
  discovery.queue = queue;
  discovery.answers = answers;
  discovery.discovering = true;
  return true;
}

DeviceRecord* DiscoveryNextAnswer(uint32_t ms) {
  if (DemoWait(discovery.answers, ms) != DEMO_WAIT_SIGNALLED) return nullptr;
  DemoCsGuard guard(discovery.section);
  return static_cast<DeviceRecord*>(DemoListPopFront(discovery.queue));
}

void DiscoveryEnd() {
  DemoList* queue;
  PlatSemaphore* answers;
  {
    DemoCsGuard guard(discovery.section);
    discovery.discovering = false;
    queue = discovery.queue;
    answers = discovery.answers;
    discovery.queue = nullptr;
    discovery.answers = nullptr;
  }
  DemoListFree(queue);
  if (answers) PlatSemaphoreDestroy(answers);
}

bool SameAddress(const VelmoraAddress* seen, const VelmoraAddress* fresh) {
  // A remote device never stands for a local one, in either order: networks
  // may reuse each other's MAC addresses.
  if (VelmoraAddressIsRemote(fresh) != VelmoraAddressIsRemote(seen) ||
      (VelmoraAddressIsRemote(fresh) &&
       VelmoraAddressGetNetwork(seen) != VelmoraAddressGetNetwork(fresh)))
    return false;
  const uint8_t length = VelmoraAddressGetMacLength(fresh);
  return VelmoraAddressGetMacLength(seen) == length &&
         std::memcmp(VelmoraAddressGetMac(seen), VelmoraAddressGetMac(fresh), length) == 0;
}

bool IsNewDevice(const DemoList* seen, const DeviceRecord* record) {
  for (DemoListNode* node = DemoListFirst(seen); node; node = DemoListNext(seen, node)) {
    const auto* known = static_cast<const DeviceRecord*>(DemoListNodeData(node));
    if (SameAddress(&known->address, &record->address)) return false;
  }
  return true;
}

VelmoraStatus DiscoverDevices(int32_t instance, int32_t network, int32_t wait) {
  if (!DiscoveryBegin()) {
    VelmoraPrintStatus(VELMORA_STATUS_OUT_OF_RESOURCES, nullptr, "Not enough memory.");
    return VELMORA_STATUS_OUT_OF_RESOURCES;
  }
  VelmoraSetServiceHook(VELMORA_HOOK_I_AM, IAmHook);
  VelmoraAddress destination;
  DemoWhoIsDestination(&destination, network);
  VelmoraStatus status = VelmoraWhoIs(&destination, instance, instance);
  DemoList* seen = nullptr;
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, nullptr, "Who-Is Failed.");
  } else if (!(seen = DemoListNew(sizeof(DeviceRecord)))) {
    status = VELMORA_STATUS_OUT_OF_RESOURCES;
    VelmoraPrintStatus(status, nullptr, "Not enough memory.");
  } else {
    // Milliseconds of a monotonic clock: whole seconds of the wall clock
    // would cut the first second short by up to a second.
    const uint64_t end = PlatTickCount64() + (wait > 0 ? uint64_t(wait) * 1000 : 0);
    uint32_t answers = 0;
    for (uint64_t now = PlatTickCount64(); now < end; now = PlatTickCount64()) {
      const uint64_t left = end - now;
      DeviceRecord* record =
          DiscoveryNextAnswer(left < PLAT_INFINITE ? uint32_t(left) : PLAT_INFINITE - 1);
      if (!record) break;
      if (IsNewDevice(seen, record)) {
        PrintDeviceBanner(record->instance, &record->address);
        std::printf("{\n");
        DemoListAppendCopy(seen, record);
        DumpDeviceObjects(record);
        std::printf("}\n");
      }
      std::free(record);
      ++answers;
    }
    if (answers == 0) std::printf("No Devices Found.\n");
  }
  VelmoraSetServiceHook(VELMORA_HOOK_I_AM, nullptr);
  DiscoveryEnd();
  DemoListFree(seen);
  return status;
}
