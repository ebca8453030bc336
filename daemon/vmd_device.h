// The simulated BACnet devices of a site: each device's address and
// communication limits, its objects and their property values, and the
// reads answered from them. Reads go one property at a time, so that a
// request naming several properties of several objects is answered from
// the same model.
#pragma once
#include <cstdint>
#include <vector>

#include "bacnet/records.h"
#include "daemon/vmd_value.h"
#include "runtime/ipc/link_address.h"

struct VmdProperty {
  uint32_t id;
  VmdValue value;
  int line;  // where the site defines it; 0 when the daemon added it
};

struct VmdObject {
  uint32_t type, instance;
  std::vector<VmdProperty> properties;  // in the order a read of all of them gives
  int line;
};

// How a device refuses a ConfirmedPrivateTransfer it does not serve.
enum class VmdTransferRefusal : uint8_t {
  Reject,  // Reject, unrecognized service
  Error,   // ConfirmedPrivateTransfer-Error, services / optional functionality not supported
};

// Switches that tests turn on per device (in the site file or through
// VmdSetDeviceSwitches).
struct VmdDeviceSwitches {
  bool silent = false;   // answers nothing: requests time out, Who-Is finds nothing
  uint32_t slow_ms = 0;  // answers this much later
  bool refuse_whole_object_list = false;  // Abort (segmentation not supported)
  bool answers_ioctls = false;            // serves ioctls as a node of this stack
  VmdTransferRefusal refusal = VmdTransferRefusal::Reject;
  // A device of another vendor: acknowledges every ConfirmedPrivateTransfer
  // with its own vendor identifier, service number and result block.
  bool foreign_private_transfer_ack = false;
  // Answers every ioctl with our vendor identifier and service number but a
  // result block that is no ioctl answer.
  bool malformed_ioctl_answer = false;
};

struct VmdDevice {
  uint32_t instance;
  LinkAddress address;
  uint32_t vendor = 0;       // Vendor_Identifier
  uint32_t max_apdu = 1476;  // Max_APDU_Length_Accepted
  uint8_t segmentation = 0;  // Segmentation_Supported: 0 both .. 3 none
  VmdDeviceSwitches switches;
  std::vector<VmdObject> objects;  // its device object first
  int line;                        // where its section starts
};

inline constexpr uint32_t kVmdObjectDevice = 8;
inline constexpr uint32_t kVmdWildcardInstance = 0x3FFFFF;

// BACnet errors of a read (class, code).
inline constexpr VelmoraError kVmdUnknownObject = {1, 31};
inline constexpr VelmoraError kVmdUnknownProperty = {2, 32};
inline constexpr VelmoraError kVmdInvalidArrayIndex = {2, 42};
inline constexpr VelmoraError kVmdNotAnArray = {2, 50};

// Gives every object the properties the daemon knows without being told
// (Object_Identifier, Object_Type; for the device object Object_List of all
// its objects, Vendor_Identifier, Max_APDU_Length_Accepted and
// Segmentation_Supported), except where the site defines them itself.
void VmdDeviceComplete(VmdDevice* device);

// The object of that identifier; the device object also answers to the
// wildcard instance 4194303. Null when the device has no such object.
const VmdObject* VmdDeviceFindObject(const VmdDevice& device, uint32_t type, uint32_t instance);
const VmdProperty* VmdObjectFindProperty(const VmdObject& object, uint32_t property);

// The property identifiers that stand for several properties in a
// ReadPropertyMultiple.
inline constexpr uint32_t kVmdPropAll = 8;
inline constexpr uint32_t kVmdPropOptional = 80;
inline constexpr uint32_t kVmdPropRequired = 105;
// True for all, required and optional.
bool VmdIsPropertyGroup(uint32_t property);
// The properties of the object that the group names, in the object's
// order: all of them; those its type requires; or the others (its type's
// optional ones and those the standard does not give the type).
std::vector<uint32_t> VmdObjectGroup(const VmdObject& object, uint32_t group);

// Reads one property: the whole value (`index` -1), an array's length
// (index 0) or one element (index n). True with the value's octets, or
// false with the BACnet error.
bool VmdDeviceRead(const VmdDevice& device, uint32_t type, uint32_t instance, uint32_t property,
                   int64_t index, std::vector<uint8_t>* octets, VelmoraError* error);

// The I-Am request the device sends.
std::vector<uint8_t> VmdDeviceIAm(const VmdDevice& device);

// Address equality as the link compares addresses: network when present,
// MAC over its length.
bool VmdSameAddress(const LinkAddress& a, const LinkAddress& b);
// True when a request sent to `to` reaches the device: its own address, the
// broadcast of its network, or the global broadcast.
bool VmdAddressReaches(const LinkAddress& to, const VmdDevice& device);
