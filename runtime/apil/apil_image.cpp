#include "runtime/apil/apil_image.h"

#include <cstring>

#include "bacnet/asn_tag.h"
#include "bacnet/bacnet_enums.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/ipc/ipc_status.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml.h"

namespace {

struct Table {
  DeviceImage* slots = nullptr;
  uint32_t count = 0;  // slots, one more than the start-up record asked for
  uint32_t objectsPerDevice = 0;
};
Table g_table;

constexpr uint32_t kLimitBits = COMM_APDU_LENGTH | COMM_SEGMENTATION | COMM_MAX_SEGS_TO_SEND;

bool InUse(const DeviceImage* d) {
  return d->tag == APIL_DEVICE_TAG && (d->flags & APIL_DEVICE_IN_USE);
}
bool Bound(const DeviceImage* d) { return InUse(d) && (d->flags & APIL_DEVICE_BOUND); }
uint32_t InstanceOf(const DeviceImage* d) { return d->objects[0].id & APIL_WILDCARD_INSTANCE; }

// A pointer the application handed back: it must be a slot of the table.
bool IsSlot(const DeviceImage* d) {
  auto a = reinterpret_cast<uintptr_t>(d);
  auto b = reinterpret_cast<uintptr_t>(g_table.slots);
  return g_table.slots && a >= b && a < b + uintptr_t(g_table.count) * sizeof(DeviceImage) &&
         (a - b) % sizeof(DeviceImage) == 0;
}

// The image in use whose object array holds the object at an element's
// place, or none.
DeviceImage* OwnerSlot(const ObjectImage* o) {
  auto a = reinterpret_cast<uintptr_t>(o);
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (!InUse(d)) continue;
    auto b = reinterpret_cast<uintptr_t>(d->objects);
    if (a >= b && a < b + uintptr_t(d->object_count) * sizeof(ObjectImage))
      return (a - b) % sizeof(ObjectImage) == 0 ? d : nullptr;
  }
  return nullptr;
}

uint32_t IdBucket(const DeviceImage* d, uint32_t id) {
  return ((id >> 22) * 16777619u ^ (id & APIL_WILDCARD_INSTANCE)) & d->bucket_mask;
}
uint32_t NameBucket(const DeviceImage* d, const uint8_t* key) {
  uint32_t v =
      uint32_t(key[0]) | uint32_t(key[1]) << 8 | uint32_t(key[2]) << 16 | uint32_t(key[3]) << 24;
  return v & d->bucket_mask;
}

uint32_t UnpackId(const uint8_t* p) { return AsnGetU32(p); }

void UnlinkId(ObjectImage* o) {
  if (o->id_back) {
    *o->id_back = o->id_next;
    if (o->id_next) o->id_next->id_back = o->id_back;
  }
  o->id_back = nullptr;
  o->id_next = nullptr;
}
void UnlinkName(ObjectImage* o) {
  if (o->name_back) {
    *o->name_back = o->name_next;
    if (o->name_next) o->name_next->name_back = o->name_back;
  }
  o->name_back = nullptr;
  o->name_next = nullptr;
}

// Appends at the end of the identifier chain of its bucket.
void LinkId(DeviceImage* d, ObjectImage* o) {
  ObjectImage** at = &d->id_buckets[IdBucket(d, o->id)];
  while (*at)
    at = &(*at)->id_next;
  *at = o;
  o->id_back = at;
  o->id_next = nullptr;
}

// In front of its chain, so before any equal key.
void LinkName(DeviceImage* d, ObjectImage* o) {
  ObjectImage** head = &d->name_buckets[NameBucket(d, o->name_key)];
  o->name_next = *head;
  o->name_back = head;
  if (*head) (*head)->name_back = &o->name_next;
  *head = o;
}

void SetAddress(DeviceImage* d, const LinkAddress* address) {
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* other = &g_table.slots[i];
    if (other == d || !Bound(other) || !AddrEqual(&other->address, address)) continue;
    char text[APIL_ADDR_TEXT_SIZE];
    AddrToText(text, address);
    OsaLog(OSA_LOG_INFO, "Device %d is replaced with device %d at %s", int(InstanceOf(other)),
           int(InstanceOf(d)), text);
    other->flags &= ~APIL_DEVICE_BOUND;
  }
  d->address = *address;
  d->flags |= APIL_DEVICE_BOUND;
}

uint32_t BucketCount(uint32_t objects) {
  uint32_t n = 1;
  while (n < objects)
    n <<= 1;
  return 2 * n;
}

uint32_t Create(DeviceImage* d, const LinkAddress* address, uint32_t instance, bool isStatic) {
  const uint32_t objects = g_table.objectsPerDevice;
  const uint32_t buckets = BucketCount(objects);
  const uint64_t bytes =
      uint64_t(objects) * sizeof(ObjectImage) + 2 * uint64_t(buckets) * sizeof(ObjectImage*);
  if (bytes > SIZE_MAX) return IPC_STATUS_NO_MEMORY;
  void* block = OsaMemAlloc(size_t(bytes));
  if (!block) return IPC_STATUS_NO_MEMORY;
  std::memset(block, 0, size_t(bytes));
  d->objects = static_cast<ObjectImage*>(block);
  d->id_buckets = reinterpret_cast<ObjectImage**>(d->objects + objects);
  d->name_buckets = d->id_buckets + buckets;
  d->bucket_mask = buckets - 1;
  d->object_count = objects;
  d->tag = APIL_DEVICE_TAG;
  d->flags = APIL_DEVICE_IN_USE | (isStatic ? APIL_DEVICE_STATIC : 0);
  // The free list in array order: the device object is the first image.
  for (uint32_t i = 0; i < objects; ++i)
    d->objects[i].id_next = i + 1 < objects ? &d->objects[i + 1] : nullptr;
  d->free_list = &d->objects[0];
  d->comm = CommParams{};
  d->comm.apduLength = APIL_UNKNOWN_LIMIT;
  d->comm.maxSegsToSend = APIL_UNKNOWN_LIMIT;
  ObjectImage* device = nullptr;
  uint32_t status = ObjectImageAdd(d, &device, ApilDeviceId(instance));
  if (status != 0) {
    DeviceImageRelease(d);
    return status;
  }
  SetAddress(d, address);
  return 0;
}

void ReleaseObjects(DeviceImage* d) {
  for (uint32_t i = 0; i < d->object_count; ++i)
    if (d->objects[i].owner) ObjectImageRelease(&d->objects[i]);
}

// The one value of an application-tagged primitive of that tag number,
// when the octets are exactly that element.
bool SmallPrimitive(const uint8_t* p, uint32_t length, uint8_t tagNumber, uint32_t* value) {
  if (length < 1 || length > 5 || p[0] >> 4 != tagNumber || (p[0] & 0x08) ||
      (p[0] & 0x07) + 1u != length)
    return false;
  *value = AsnUnpackUnsigned(length - 1, p + 1);
  return true;
}

bool KindSelects(uint32_t kind, const DeviceImage* d) {
  bool isStatic = (d->flags & APIL_DEVICE_STATIC) != 0;
  return kind == VELMORA_DEVICES_ALL || (kind == VELMORA_DEVICES_LEARNT && !isStatic) ||
         (kind == VELMORA_DEVICES_STATIC && isStatic);
}

bool SameNetwork(const DeviceImage* d, const LinkAddress* a) {
  return Bound(d) && d->address.netPresent == a->netPresent &&
         (!a->netPresent || d->address.net == a->net);
}

}  // namespace

void ApilLogBadHandle(const char* kind, const char* operation) {
  OsaLog(OSA_LOG_ERROR, "Velmora run-time error: invalid %s handle passed to %s()", kind,
         operation);
}

uint32_t DeviceImageTableCreate(uint32_t count, uint32_t objectsPerDevice) {
  if (g_table.slots) return APIL_TABLE_EXISTS;
  const uint64_t slots = uint64_t(count) + 1;
  auto* table = static_cast<DeviceImage*>(OsaMemAlloc(size_t(slots * sizeof(DeviceImage))));
  if (!table) return IPC_STATUS_NO_MEMORY;
  std::memset(table, 0, size_t(slots * sizeof(DeviceImage)));
  for (uint64_t i = 0; i < slots; ++i)
    table[i].tag = APIL_FREE_TAG;
  g_table.slots = table;
  g_table.count = uint32_t(slots);
  g_table.objectsPerDevice = objectsPerDevice;
  return 0;
}

bool DeviceImageTableFree() {
  if (!g_table.slots) return false;
  for (uint32_t i = 0; i < g_table.count; ++i)
    if (InUse(&g_table.slots[i])) DeviceImageRelease(&g_table.slots[i]);
  OsaMemFree(g_table.slots);
  g_table = Table{};
  return true;
}

bool DeviceImageInUse(const DeviceImage* d) { return d && IsSlot(d) && InUse(d); }

bool ObjectImageInUse(const ObjectImage* o) {
  DeviceImage* d = o ? OwnerSlot(o) : nullptr;
  return d && o->owner == d;
}

const LinkAddress* DeviceImageAddress(const DeviceImage* d) {
  return DeviceImageInUse(d) && Bound(d) ? &d->address : nullptr;
}
ObjectImage* DeviceImageFirstObject(DeviceImage* d) {
  return DeviceImageInUse(d) ? &d->objects[0] : nullptr;
}
DeviceImage* ObjectImageDevice(const ObjectImage* o) { return o ? o->owner : nullptr; }
VelmoraObjectId ObjectImageGetId(const ObjectImage* o) {
  return {o->id >> 22, o->id & APIL_WILDCARD_INSTANCE};
}
uint32_t ObjectImageGetType(const ObjectImage* o) { return o->id >> 22; }
bool ObjectImageIdEquals(const ObjectImage* o, const uint8_t* packedId) {
  return o->id == UnpackId(packedId);
}

DeviceImage* DeviceImageFindByInstance(uint32_t instance) {
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (InUse(d) && d->objects[0].id == ApilDeviceId(instance)) return d;
  }
  return nullptr;
}

DeviceImage* DeviceImageFindByAddress(const LinkAddress* address) {
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (Bound(d) && AddrEqual(&d->address, address)) return d;
  }
  return nullptr;
}

uint32_t DeviceImageBind(DeviceImage** out, const LinkAddress* address, uint32_t instance,
                         bool isStatic) {
  DeviceImage* found = nullptr;
  DeviceImage* freeSlot = nullptr;
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (!InUse(d)) {
      if (!freeSlot) freeSlot = d;
    } else if (!found && d->objects[0].id == ApilDeviceId(instance)) {
      found = d;
    }
  }
  if (found) {
    *out = found;
    // A binding the application made stays where it put it.
    if (isStatic || (found->flags & APIL_DEVICE_STATIC)) return APIL_DEVICE_EXISTS;
    if (Bound(found) && AddrEqual(&found->address, address)) return APIL_DEVICE_EXISTS;
    if (Bound(found)) {
      char from[APIL_ADDR_TEXT_SIZE], to[APIL_ADDR_TEXT_SIZE];
      AddrToText(from, &found->address);
      AddrToText(to, address);
      OsaLog(OSA_LOG_INFO, "Device %ld: moved from %s to %s", long(instance), from, to);
    }
    SetAddress(found, address);
    return APIL_DEVICE_EXISTS;
  }
  if (DeviceImage* there = DeviceImageFindByAddress(address)) {
    if (instance == APIL_WILDCARD_INSTANCE) {
      *out = there;
      return APIL_DEVICE_EXISTS;
    }
    if (there->objects[0].id == APIL_WILDCARD_DEVICE_ID) {
      ObjectImage* device = &there->objects[0];
      UnlinkId(device);
      device->id = ApilDeviceId(instance);
      LinkId(there, device);
      *out = there;
      return APIL_DEVICE_EXISTS;
    }
  }
  if (!freeSlot) return APIL_NO_FREE_DEVICE;
  uint32_t status = Create(freeSlot, address, instance, isStatic);
  if (status == 0) *out = freeSlot;
  return status;
}

uint32_t DeviceImageLearnWildcard(ObjectImage* asked, const LinkAddress* address, uint32_t instance,
                                  ObjectImage** deviceObject) {
  DeviceImage* real = nullptr;
  const uint32_t status = DeviceImageBind(&real, address, instance, false);
  if (status != 0 && status != APIL_DEVICE_EXISTS) return status;
  DeviceImage* wildcard = ObjectImageInUse(asked) ? asked->owner : nullptr;
  // The device had an image already: the wildcard's goes, the real one
  // answers.
  if (wildcard && wildcard != real && ObjectImageGetId(asked).instance == APIL_WILDCARD_INSTANCE)
    DeviceImageRelease(wildcard);
  *deviceObject = DeviceImageFirstObject(real);
  return 0;
}

bool DeviceImageRelease(DeviceImage* d) {
  if (!DeviceImageInUse(d)) return false;
  ReleaseObjects(d);
  OsaMemFree(d->objects);
  std::memset(d, 0, sizeof *d);
  d->tag = APIL_FREE_TAG;
  return true;
}

uint32_t DeviceImageDeleteMatching(uint32_t kind, int32_t low, int32_t high,
                                   const LinkAddress* address) {
  if (kind > VELMORA_DEVICES_STATIC) return 0;
  if (address && address->netPresent && address->net == VELMORA_GLOBAL_NETWORK) address = nullptr;
  const bool range = low != -1;
  if (range && low == high) {
    DeviceImage* d = DeviceImageFindByInstance(uint32_t(low));
    if (!d) return 0;
    if (address &&
        (!SameNetwork(d, address) || (address->macLen != 0 && !AddrEqual(&d->address, address))))
      return 0;
    return DeviceImageRelease(d) ? 1 : 0;
  }
  auto inRange = [&](const DeviceImage* d) {
    uint32_t n = InstanceOf(d);
    return !range || (n >= uint32_t(low) && n <= uint32_t(high));
  };
  if (address && address->macLen != 0) {
    DeviceImage* d = DeviceImageFindByAddress(address);
    return d && KindSelects(kind, d) && inRange(d) && DeviceImageRelease(d) ? 1 : 0;
  }
  uint32_t released = 0;
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (!InUse(d) || !KindSelects(kind, d) || !inRange(d)) continue;
    if (address && !SameNetwork(d, address)) continue;
    if (DeviceImageRelease(d)) ++released;
  }
  return released;
}

uint32_t DeviceImageResolve(DeviceImage* d, const char* operation, LinkAddress* address,
                            CommParams* params) {
  if (!DeviceImageInUse(d)) {
    ApilLogBadHandle("device", operation);
    return APIL_BAD_DEVICE_HANDLE;
  }
  if (!Bound(d)) return APIL_NOT_BOUND;
  if (address) *address = d->address;
  if (params) DeviceImageMergeCommParams(d, params, kLimitBits);
  return 0;
}

uint32_t ObjectImageResolve(ObjectImage* o, const char* operation, LinkAddress* address,
                            VelmoraObjectId* id, CommParams* params) {
  if (!ObjectImageInUse(o)) {
    ApilLogBadHandle("object", operation);
    return APIL_BAD_OBJECT_HANDLE;
  }
  if (id) *id = ObjectImageGetId(o);
  DeviceImage* d = o->owner;
  if (!Bound(d)) return APIL_NOT_BOUND;
  if (address) *address = d->address;
  if (params) DeviceImageMergeCommParams(d, params, kLimitBits);
  return 0;
}

uint32_t ObjectImageAdd(DeviceImage* d, ObjectImage** out, uint32_t id) {
  if (!DeviceImageInUse(d)) return APIL_BAD_DEVICE_HANDLE;
  for (ObjectImage* o = d->id_buckets[IdBucket(d, id)]; o; o = o->id_next) {
    if (o->id == id) {
      *out = o;
      return APIL_OBJECT_EXISTS;
    }
  }
  ObjectImage* o = d->free_list;
  if (!o) return APIL_NO_FREE_OBJECT;
  d->free_list = o->id_next;
  o->owner = d;
  o->id = id;
  std::memset(o->name_key, 0, sizeof o->name_key);
  o->name_back = nullptr;
  o->name_next = nullptr;
  LinkId(d, o);
  *out = o;
  return 0;
}

uint32_t DeviceImageAddObject(DeviceImage* d, ObjectImage** out, const uint8_t* packedId) {
  return ObjectImageAdd(d, out, UnpackId(packedId));
}

bool ObjectImageRelease(ObjectImage* o) {
  DeviceImage* d = o ? OwnerSlot(o) : nullptr;
  if (!d || o->owner != d) return false;
  UnlinkId(o);
  UnlinkName(o);
  o->id_next = d->free_list;
  d->free_list = o;
  o->owner = nullptr;
  return true;
}

ObjectImage* DeviceImageFindObject(DeviceImage* d, const uint8_t* packedId) {
  const uint32_t id = UnpackId(packedId);
  for (ObjectImage* o = d->id_buckets[IdBucket(d, id)]; o; o = o->id_next)
    if (o->id == id) return o;
  return nullptr;
}

ObjectImage* DeviceImageFindObjectByName(DeviceImage* d, const uint8_t* encodedName) {
  uint8_t key[SHA1_DIGEST_SIZE];
  Sha1Digest(encodedName, AsnTagElementLength(encodedName), key);
  // The whole digest decides, not a part of it: two names never pass for
  // one another.
  for (ObjectImage* o = d->name_buckets[NameBucket(d, key)]; o; o = o->name_next)
    if (std::memcmp(o->name_key, key, sizeof key) == 0) return o;
  return nullptr;
}

void ObjectImageSetName(ObjectImage* o, const uint8_t digest[SHA1_DIGEST_SIZE]) {
  UnlinkName(o);
  std::memcpy(o->name_key, digest, SHA1_DIGEST_SIZE);
  LinkName(o->owner, o);
}

void DeviceImageCacheProperty(ObjectImage* o, uint32_t property, const uint8_t* octets,
                              uint32_t length) {
  DeviceImage* d = o->owner;
  if (!d || !octets) return;
  if (ObjectImageGetType(o) == APIL_OBJECT_DEVICE) {
    struct Limit {
      uint32_t property;
      uint8_t tagNumber;
      uint32_t bit;
      uint32_t CommParams::*field;
      uint32_t least, most;
    };
    // What a device tells of its limits: a Max_APDU_Length_Accepted below
    // BACnet's least, or a segmentation outside the enumeration, is noise.
    static constexpr Limit kLimits[] = {
        {BACNET_PROP_MAX_APDU_LENGTH_ACCEPTED, 2, COMM_APDU_LENGTH, &CommParams::apduLength, 50,
         UINT32_MAX},
        {BACNET_PROP_SEGMENTATION_SUPPORTED, 9, COMM_SEGMENTATION, &CommParams::segmentation, 0, 3},
        {BACNET_PROP_MAX_SEGMENTS_ACCEPTED, 2, COMM_MAX_SEGS_TO_SEND, &CommParams::maxSegsToSend, 2,
         UINT32_MAX},
    };
    for (const Limit& l : kLimits) {
      if (l.property != property) continue;
      uint32_t value = 0;
      if (!SmallPrimitive(octets, length, l.tagNumber, &value) || (d->comm.mask & l.bit)) return;
      if (value >= l.least && value <= l.most) d->comm.*l.field = value;
      return;
    }
  }
  if (property == BACNET_PROP_OBJECT_NAME && length > 1 && (octets[0] & 0xF8) == 0x70 &&
      AsnTagElementLength(octets) == length) {
    uint8_t digest[SHA1_DIGEST_SIZE];
    Sha1Digest(octets, length, digest);
    ObjectImageSetName(o, digest);
  }
}

bool DeviceImageMergeCommParams(const DeviceImage* d, CommParams* out, uint32_t mask) {
  *out = d->comm;
  const uint32_t wanted = mask & ~d->comm.mask;
  out->mask = mask | d->comm.mask;
  if (wanted == 0) return true;
  CommParams defaults{};
  defaults.mask = wanted;
  if (!TsmlNetParamsGet(&defaults)) return false;
  struct Field {
    uint32_t bit;
    uint32_t CommParams::*field;
  };
  static constexpr Field kFields[] = {
      {COMM_APDU_LENGTH, &CommParams::apduLength},
      {COMM_SEGMENTATION, &CommParams::segmentation},
      {COMM_MAX_SEGS_ACCEPTED, &CommParams::maxSegsAccepted},
      {COMM_WINDOW_SIZE, &CommParams::windowSize},
      {COMM_SEG_TIMEOUT, &CommParams::segTimeout},
      {COMM_APDU_TIMEOUT, &CommParams::apduTimeout},
      {COMM_RETRIES, &CommParams::retries},
      {COMM_MAX_SEGS_TO_SEND, &CommParams::maxSegsToSend},
  };
  for (const Field& f : kFields)
    if (wanted & f.bit) out->*f.field = defaults.*f.field;
  // What the device told bounds the defaults.
  if ((wanted & COMM_APDU_LENGTH) && d->comm.apduLength < out->apduLength)
    out->apduLength = d->comm.apduLength;
  if ((wanted & COMM_MAX_SEGS_TO_SEND) && d->comm.maxSegsToSend < out->maxSegsToSend)
    out->maxSegsToSend = d->comm.maxSegsToSend;
  // A device that cannot take segments is not sent any.
  if ((wanted & COMM_SEGMENTATION) && (d->comm.segmentation & 1)) out->segmentation |= 2;
  return true;
}

bool DeviceImageGetCommParams(const DeviceImage* d, CommParams* out) {
  if (!DeviceImageMergeCommParams(d, out, 0xFF)) return false;
  out->mask = d->comm.mask;
  return true;
}

bool DeviceImageSetCommParams(DeviceImage* d, const CommParams* p) {
  struct Range {
    uint32_t bit;
    uint32_t CommParams::*field;
    uint32_t least, most;
  };
  const uint32_t maxApdu = TsmlRuntimeMaxApdu();
  const Range ranges[] = {
      {COMM_APDU_LENGTH, &CommParams::apduLength, 50, maxApdu},
      {COMM_SEGMENTATION, &CommParams::segmentation, 0, 3},
      {COMM_MAX_SEGS_ACCEPTED, &CommParams::maxSegsAccepted, 2, 0xFFFF},
      {COMM_WINDOW_SIZE, &CommParams::windowSize, 1, 127},
      {COMM_SEG_TIMEOUT, &CommParams::segTimeout, 10, 3600000},
      {COMM_APDU_TIMEOUT, &CommParams::apduTimeout, 10, 3600000},
      {COMM_RETRIES, &CommParams::retries, 0, 256},
      {COMM_MAX_SEGS_TO_SEND, &CommParams::maxSegsToSend, 0, 0xFFFF},
  };
  for (const Range& b : ranges) {
    if (!(p->mask & b.bit)) continue;
    uint32_t v = p->*b.field;
    if (v < b.least || v > b.most) return false;
    // Segments to send: 0 (none named) or 2 and more.
    if (b.bit == COMM_MAX_SEGS_TO_SEND && v == 1) return false;
  }
  for (const Range& b : ranges)
    if (p->mask & b.bit) d->comm.*b.field = p->*b.field;
  d->comm.mask |= p->mask & 0xFF;
  return true;
}

void DeviceImageList(DeviceImage** array, uint32_t length, uint32_t* total) {
  uint32_t n = 0;
  for (uint32_t i = 0; i < g_table.count; ++i) {
    if (!InUse(&g_table.slots[i])) continue;
    if (n < length) array[n] = &g_table.slots[i];
    ++n;
  }
  *total = n;
}

void ObjectImageFindAcross(ObjectImage** array, uint32_t length, const uint8_t* packedId,
                           const uint8_t* encodedName, uint32_t* total) {
  uint32_t n = 0;
  auto take = [&](ObjectImage* o) {
    if (!o) return;
    if (n < length) array[n] = o;
    ++n;
  };
  for (uint32_t i = 0; i < g_table.count; ++i) {
    DeviceImage* d = &g_table.slots[i];
    if (!InUse(d)) continue;
    if (packedId) {
      take(DeviceImageFindObject(d, packedId));
    } else if (encodedName) {
      take(DeviceImageFindObjectByName(d, encodedName));
    } else {
      for (uint32_t k = 0; k < d->object_count; ++k)
        if (d->objects[k].owner) take(&d->objects[k]);
    }
  }
  *total = n;
}
