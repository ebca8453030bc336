// The requests a service hook's handler receives for I-Am, I-Have and COV
// notifications, each decoded into one block: the record first, whatever
// it points at (the object name, the property values) in the same block.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "bacnet/records_refs.h"

// The I-Am's device identifier keeps only its instance: its object type is
// always the device's.
struct VelmoraIAmRequest {
  uint32_t device_instance;
  uint32_t max_apdu;
  uint32_t segmentation;  // BACnetSegmentation
  uint32_t vendor_id;
};

struct VelmoraIHaveRequest {
  uint32_t device_instance;
  VelmoraObjectId object_id;
  uint32_t charset;  // of the object name; VELMORA_CHARSET_ABSENT without one
  // The name in that set up to its zero unit (for DBCS its
  // VelmoraDbcsString); null when the name could not be decoded.
  const void* object_name;
};

struct VelmoraCovNotifRequest {
  uint32_t process_id;
  VelmoraObjectId initiating_device;
  VelmoraObjectId monitored_object;
  uint32_t time_remaining;  // seconds
  VelmoraPropertyValue* values;
  uint32_t count;
};

// Getters give -1 (all ones) for a missing record; Init, the setters and
// Copy false.
bool VelmoraIAmInit(VelmoraIAmRequest* r, uint32_t device_instance, uint32_t max_apdu,
                    uint32_t segmentation, uint32_t vendor_id);
bool VelmoraIAmSetDeviceInstance(VelmoraIAmRequest* r, uint32_t value);
bool VelmoraIAmSetMaxApdu(VelmoraIAmRequest* r, uint32_t value);
bool VelmoraIAmSetSegmentation(VelmoraIAmRequest* r, uint32_t value);
bool VelmoraIAmSetVendorId(VelmoraIAmRequest* r, uint32_t value);
uint32_t VelmoraIAmGetDeviceInstance(const VelmoraIAmRequest* r);
uint32_t VelmoraIAmGetMaxApdu(const VelmoraIAmRequest* r);
uint32_t VelmoraIAmGetSegmentation(const VelmoraIAmRequest* r);
uint32_t VelmoraIAmGetVendorId(const VelmoraIAmRequest* r);
bool VelmoraIAmCopy(VelmoraIAmRequest* dst, const VelmoraIAmRequest* src);
