// morbane's pass: a Who-Is, the I-Am answers its hook queues for the
// waiting time, and the dump of every object of each device answering
// from an address not yet seen in the pass.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "demos/morbane/demo_list.h"
#include "demos/morbane/demo_os.h"
#include "runtime/apil/velmora_status.h"

// One I-Am answer.
struct DeviceRecord {
  VelmoraAddress address;  // the sender's
  uint32_t instance;
};

// ---- the pass ---------------------------------------------------------------

// The critical section that guards the pass's shared state (main creates
// it before the first pass).
void DiscoverySetSection(DemoCs* section);
// The I-Am hook: outside a pass it lets the library's own handling run
// (1); during one it queues the answer (0).
uint32_t IAmHook(void* reserved, const VelmoraAddress* sender, const VelmoraAddress* local,
                 void* request);
// Opens the pass's queue and its semaphore and starts taking answers;
// false, with nothing kept, when they cannot be allocated.
bool DiscoveryBegin();
// The next queued answer, which becomes the caller's (free), waiting at
// most ms for it; NULL when none came.
DeviceRecord* DiscoveryNextAnswer(uint32_t ms);
// Stops taking answers and frees those still queued.
void DiscoveryEnd();

// Whether the devices at the two addresses are one: both local or both on
// the same remote network, at the same MAC.
bool SameAddress(const VelmoraAddress* seen, const VelmoraAddress* fresh);
// Whether no device of the seen list (DeviceRecord elements) has its address.
bool IsNewDevice(const DemoList* seen, const DeviceRecord* record);

// One pass: Who-Is to the network (low 16 bits: 0 local, 0xFFFF global)
// for the instance (-1: any), then answers for wait seconds. The Who-Is
// status; 0 otherwise.
VelmoraStatus DiscoverDevices(int32_t instance, int32_t network, int32_t wait);

// ---- the dump -----------------------------------------------------------------

// Object_List's length (index 0) into *length, 0 on a failure; 52 for an
// answer that is no Unsigned.
VelmoraStatus ReadObjectListLength(uint32_t instance, const VelmoraAddress* address,
                                   uint32_t* length, VelmoraFailure* failure);
// Object_List into buffer (room for capacity identifiers): whole, or
// element by element when the device refuses the whole list. *count the
// identifiers read; with VELMORA_STATUS_VALUE_OUT_OF_SPACE the room needed.
VelmoraStatus ReadDeviceObjectList(const DeviceRecord* record, uint32_t* count,
                                   VelmoraObjectId* buffer, uint32_t capacity,
                                   VelmoraFailure* failure);
// Every object of the device, each in braces.
void DumpDeviceObjects(const DeviceRecord* record);
// Every property of the object by one ReadPropertyMultiple of all; false,
// with nothing printed, when that read fails.
bool DumpObjectByReadMulti(const DeviceRecord* record, const VelmoraObjectId* object);
// The properties of the object's type, one ReadProperty each.
void DumpObjectByReadProperty(const DeviceRecord* record, const VelmoraObjectId* object);
