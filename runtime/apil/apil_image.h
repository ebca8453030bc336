// The device-image table: a fixed table of device images, each bound (or
// not yet) to an address, each with a fixed pool of object images found by
// identifier or by name, and what the library learnt of each device's
// limits. Handles given to the application are the images' addresses, so
// every one is checked against the table before it is used.
//
// Everything here runs with the image lock held (runtime/apil/apil.h).
// Identifiers passed as octets are packed big-endian, as on the wire.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "runtime/apil/sha1.h"
#include "runtime/apil/velmora.h"
#include "runtime/ipc/link_address.h"
#include "runtime/tsml/comm_params.h"

inline constexpr uint32_t APIL_DEVICE_TAG = 0x56454442;  // "BDEV"
inline constexpr uint32_t APIL_FREE_TAG = 0xCDCDCDCD;
inline constexpr uint32_t APIL_DEVICE_IN_USE = 0x01;
inline constexpr uint32_t APIL_DEVICE_STATIC = 0x02;
inline constexpr uint32_t APIL_DEVICE_BOUND = 0x04;

inline constexpr uint32_t APIL_OBJECT_DEVICE = 8;
inline constexpr uint32_t APIL_DEVICE_ID_BASE = APIL_OBJECT_DEVICE << 22;  // 0x2000000
inline constexpr uint32_t APIL_WILDCARD_INSTANCE = 0x3FFFFF;
inline constexpr uint32_t APIL_WILDCARD_DEVICE_ID = APIL_DEVICE_ID_BASE | APIL_WILDCARD_INSTANCE;
// Learnt limits before anything is learnt: larger than any limit.
inline constexpr uint32_t APIL_UNKNOWN_LIMIT = 0xFFFFFFFF;

// Internal statuses of the table.
inline constexpr uint32_t APIL_TABLE_EXISTS = 36;
inline constexpr uint32_t APIL_DEVICE_EXISTS = 37;
inline constexpr uint32_t APIL_OBJECT_EXISTS = 38;
inline constexpr uint32_t APIL_NO_FREE_DEVICE = 39;
inline constexpr uint32_t APIL_NO_FREE_OBJECT = 40;
inline constexpr uint32_t APIL_BAD_DEVICE_HANDLE = 47;
inline constexpr uint32_t APIL_BAD_OBJECT_HANDLE = 48;
inline constexpr uint32_t APIL_NOT_BOUND = 81;

struct ObjectImage {
  DeviceImage* owner;                  // none while free
  uint32_t id;                         // type << 22 | instance
  uint8_t name_key[SHA1_DIGEST_SIZE];  // zero until a name is learnt
  ObjectImage** id_back;               // the pointer that points at this image
  ObjectImage* id_next;                // also the free-list link
  ObjectImage** name_back;
  ObjectImage* name_next;
};

struct DeviceImage {
  uint32_t tag;
  uint32_t flags;
  LinkAddress address;  // valid while bound
  uint32_t object_count;
  ObjectImage* objects;  // one block with both bucket arrays
  ObjectImage* free_list;
  ObjectImage** id_buckets;
  ObjectImage** name_buckets;
  uint32_t bucket_mask;
  // mask: the fields the application set. A field whose bit is clear holds
  // what was learnt (APDU length, segmentation, segments to send).
  CommParams comm;
};

constexpr uint32_t ApilDeviceId(uint32_t instance) { return APIL_DEVICE_ID_BASE | instance; }

uint32_t DeviceImageTableCreate(uint32_t count, uint32_t objectsPerDevice);
bool DeviceImageTableFree();

// The instance bound to the address (static: by the application). 0 for a
// new image, 37 for one that existed (and may have moved), 39 when the
// table is full, 4 without memory.
uint32_t DeviceImageBind(DeviceImage** out, const LinkAddress* address, uint32_t instance,
                         bool isStatic);
bool DeviceImageRelease(DeviceImage* device);
// A read of the wildcard device at the address, through the object image
// asked (its device object, which may be gone by now), answered by this
// instance: the instance is bound there, the wildcard's image given up
// when the device had an image of its own, and *deviceObject is the
// answering device's device object. 0, or the status of the binding.
uint32_t DeviceImageLearnWildcard(ObjectImage* asked, const LinkAddress* address, uint32_t instance,
                                  ObjectImage** deviceObject);
// Kinds VELMORA_DEVICES_*; a range of -1, -1 is none; the address may be
// null. The number released.
uint32_t DeviceImageDeleteMatching(uint32_t kind, int32_t low, int32_t high,
                                   const LinkAddress* address);

// Handle checks for an operation of that name: an invalid handle is logged
// as a run-time error and gives 47 or 48, an unbound device 81. The
// parameters are the defaults merged with the device's own APDU length,
// segmentation and segments to send.
uint32_t DeviceImageResolve(DeviceImage* device, const char* operation, LinkAddress* address,
                            CommParams* params);
uint32_t ObjectImageResolve(ObjectImage* object, const char* operation, LinkAddress* address,
                            VelmoraObjectId* id, CommParams* params);
// The run-time error line of an invalid handle ("device" or "object").
void ApilLogBadHandle(const char* kind, const char* operation);

bool DeviceImageInUse(const DeviceImage* device);
bool ObjectImageInUse(const ObjectImage* object);
const LinkAddress* DeviceImageAddress(const DeviceImage* device);  // none when unbound
ObjectImage* DeviceImageFirstObject(DeviceImage* device);          // its device object
DeviceImage* ObjectImageDevice(const ObjectImage* object);
VelmoraObjectId ObjectImageGetId(const ObjectImage* object);
uint32_t ObjectImageGetType(const ObjectImage* object);
bool ObjectImageIdEquals(const ObjectImage* object, const uint8_t* packedId);

DeviceImage* DeviceImageFindByInstance(uint32_t instance);
DeviceImage* DeviceImageFindByAddress(const LinkAddress* address);

// 0, 38 (that image, already there), 40 (the pool is full) or 47.
uint32_t ObjectImageAdd(DeviceImage* device, ObjectImage** out, uint32_t id);
uint32_t DeviceImageAddObject(DeviceImage* device, ObjectImage** out, const uint8_t* packedId);
bool ObjectImageRelease(ObjectImage* object);
ObjectImage* DeviceImageFindObject(DeviceImage* device, const uint8_t* packedId);
// The name as an encoded application CharacterString.
ObjectImage* DeviceImageFindObjectByName(DeviceImage* device, const uint8_t* encodedName);
void ObjectImageSetName(ObjectImage* object, const uint8_t digest[SHA1_DIGEST_SIZE]);

// Offers an encoded property value read from (or announced by) the device:
// its limits (Max_APDU_Length_Accepted, Segmentation_Supported,
// Max_Segments_Accepted of its device object) and object names.
void DeviceImageCacheProperty(ObjectImage* object, uint32_t property, const uint8_t* octets,
                              uint32_t length);

bool DeviceImageMergeCommParams(const DeviceImage* device, CommParams* out, uint32_t mask);
bool DeviceImageGetCommParams(const DeviceImage* device, CommParams* out);
bool DeviceImageSetCommParams(DeviceImage* device, const CommParams* params);

// Handles of the images in use while room remains; the total counts all.
void DeviceImageList(DeviceImage** array, uint32_t length, uint32_t* total);
// Object handles of every image in use: the one of that identifier, the
// first of that name, or (neither given) every object.
void ObjectImageFindAcross(ObjectImage** array, uint32_t length, const uint8_t* packedId,
                           const uint8_t* encodedName, uint32_t* total);
