#include "bacnet/records_hooks.h"

#include "bacnet/record_accessors.h"

using IA = VelmoraIAmRequest;

bool VelmoraIAmInit(IA* r, uint32_t device_instance, uint32_t max_apdu, uint32_t segmentation,
                    uint32_t vendor_id) {
  if (!r) return false;
  *r = {device_instance, max_apdu, segmentation, vendor_id};
  return true;
}
RECORD_SET(VelmoraIAmSetDeviceInstance, IA, uint32_t, r->device_instance = v)
RECORD_SET(VelmoraIAmSetMaxApdu, IA, uint32_t, r->max_apdu = v)
RECORD_SET(VelmoraIAmSetSegmentation, IA, uint32_t, r->segmentation = v)
RECORD_SET(VelmoraIAmSetVendorId, IA, uint32_t, r->vendor_id = v)
RECORD_GET(uint32_t, VelmoraIAmGetDeviceInstance, IA, -1, r->device_instance)
RECORD_GET(uint32_t, VelmoraIAmGetMaxApdu, IA, -1, r->max_apdu)
RECORD_GET(uint32_t, VelmoraIAmGetSegmentation, IA, -1, r->segmentation)
RECORD_GET(uint32_t, VelmoraIAmGetVendorId, IA, -1, r->vendor_id)
RECORD_COPY(VelmoraIAmCopy, IA)
