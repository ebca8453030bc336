// The library interface: start-up and shut-down, the images of the devices
// and objects the library knows (behind handles), the requests that read
// them, Who-Is, the property datatype query and the library's default
// communication parameters, process identifiers and daemon parameter.
//
// Every operation may be called from any thread once VelmoraInit has
// succeeded; before it (and after VelmoraTerminate) each returns
// VELMORA_STATUS_NOT_INITIALIZED, false, -1 or no handle.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/records_read.h"
#include "runtime/apil/velmora_status.h"
#include "runtime/tsml/comm_params.h"

// ---- start-up and shut-down ---------------------------------------------

struct VelmoraInitParams {
  uint8_t major;  // library version the program needs: 6.2
  uint8_t minor;
  uint16_t port_id;      // passed to the daemon at registration
  uint32_t max_devices;  // device images, 1 to 0x3FFFFF
  uint32_t max_objects;  // object images of each device, 1 to 0x3FFFFF
};

// Version major.minor, port 0, 32 devices of 32 objects.
bool VelmoraInitDefaults(VelmoraInitParams* params, uint8_t major, uint8_t minor);
// The setters store the value unchecked (VelmoraInit checks the ranges).
bool VelmoraInitSetPortId(VelmoraInitParams* params, uint16_t value);
bool VelmoraInitSetMaxDevices(VelmoraInitParams* params, uint32_t value);
bool VelmoraInitSetMaxObjects(VelmoraInitParams* params, uint32_t value);
uint16_t VelmoraInitGetPortId(const VelmoraInitParams* params);
uint32_t VelmoraInitGetMaxDevices(const VelmoraInitParams* params);
uint32_t VelmoraInitGetMaxObjects(const VelmoraInitParams* params);

// Starts the library once: connects to the daemon and registers. reserved
// must be 0. A second start-up while started gives VELMORA_STATUS_REJECT.
VelmoraStatus VelmoraInit(const VelmoraInitParams* params, uint32_t reserved);
// Fails the calls still waiting for the daemon, waits for them to return,
// stops the delivery threads, closes the link and frees every image.
// Without a start-up it does nothing.
void VelmoraTerminate();

// The library's own allocator over its private heap.
extern VelmoraAllocator DefaultAllocator;

// ---- device and object images --------------------------------------------

struct DeviceImage;
struct ObjectImage;
using VelmoraDeviceHandle = DeviceImage*;
using VelmoraObjectHandle = ObjectImage*;

// Handles of the images in use, in table order, while room remains; *total
// counts them all. array NULL with length 0 only counts.
bool VelmoraGetDeviceList(VelmoraDeviceHandle* array, uint32_t length, uint32_t* total);
VelmoraDeviceHandle VelmoraFindDeviceByInstance(uint32_t instance);
// The address must have a MAC.
VelmoraDeviceHandle VelmoraFindDeviceByAddress(const VelmoraAddress* address);
bool VelmoraGetDeviceAddress(VelmoraDeviceHandle device, VelmoraAddress* address);
VelmoraObjectHandle VelmoraGetDeviceObjectHandle(VelmoraDeviceHandle device);
bool VelmoraGetDeviceInstNum(VelmoraDeviceHandle device, uint32_t* instance);
// Binds an instance to an address for good: later I-Ams do not move it.
// Instance 0x3FFFFF is the wildcard device: the first read through it
// learns which device answers at the address.
VelmoraStatus VelmoraBindDevice(const VelmoraAddress* address, uint32_t instance,
                                VelmoraDeviceHandle* device);
bool VelmoraDeleteDeviceImage(VelmoraDeviceHandle device);

// Kinds of VelmoraDeleteDeviceImages.
inline constexpr uint32_t VELMORA_DEVICES_ALL = 0;
inline constexpr uint32_t VELMORA_DEVICES_LEARNT = 1;
inline constexpr uint32_t VELMORA_DEVICES_STATIC = 2;
// Deletes the images of the kind with an instance in [low, high] (-1, -1:
// any) at the address (NULL: anywhere; without a MAC: on that network).
// The number deleted.
uint32_t VelmoraDeleteDeviceImages(uint32_t kind, int32_t low, int32_t high,
                                   const VelmoraAddress* address);

VelmoraStatus VelmoraCreateObjectImage(VelmoraDeviceHandle device, const VelmoraObjectId* id,
                                       VelmoraObjectHandle* object);
bool VelmoraDeleteObjectImage(VelmoraObjectHandle object);

// What VelmoraFindObjects looks for: by identifier (key points at a
// VelmoraObjectId) or by name (key points at a record whose first field
// points at the terminated name, in the character set given).
struct VelmoraObjectSearchKey {
  uint32_t by_name;
  uint32_t charset;
  const void* key;
};
// Object handles of every device image, in table order, matching the key
// (NULL: every object); *total counts them all.
bool VelmoraFindObjects(VelmoraObjectHandle* array, uint32_t length,
                        const VelmoraObjectSearchKey* key, uint32_t* total);
bool VelmoraGetLocalAddress(VelmoraAddress* address);
bool VelmoraIsDeviceHandleValid(VelmoraDeviceHandle device);
bool VelmoraIsObjectHandleValid(VelmoraObjectHandle object);

// ---- requests ------------------------------------------------------------

// Reads one property of the object (array index -1: the whole value) into
// value: into its own buffer, or into a block of the allocator, which the
// caller frees through it. failure (may be NULL) receives a BACnet Error,
// Reject or Abort.
VelmoraStatus VelmoraReadProperty(VelmoraObjectHandle object, uint32_t property, int32_t index,
                                  VelmoraAnyValue* value, VelmoraFailure* failure,
                                  VelmoraAllocator* allocator);
// Reads the device's Object_List: the first `length` identifiers into array
// and the list's length into *total.
VelmoraStatus VelmoraReadObjectList(VelmoraDeviceHandle device, VelmoraObjectId* array,
                                    uint32_t length, uint32_t* total, VelmoraFailure* failure);
// low and high -1: every device; else an instance range.
VelmoraStatus VelmoraWhoIs(const VelmoraAddress* address, int32_t low, int32_t high);

// Datatype code of the property of that object type, -1 when unknown; the
// kind flags (1 array, 2 list, 3 array of lists, 4 optional) to *kind.
int32_t VelmoraGetPropertyType(uint32_t objectType, uint32_t property, int32_t* kind);

bool VelmoraSetDefaultApduLength(uint32_t value);
bool VelmoraSetDefaultApduTimeout(uint32_t value);
bool VelmoraSetDefaultRetries(uint32_t value);
int32_t VelmoraGetDefaultApduLength();
int32_t VelmoraGetDefaultApduTimeout();
int32_t VelmoraGetDefaultRetries();
// The mask names the fields to set; the get fills all eight (mask 255).
bool VelmoraSetDefaultCommParams(const CommParams* params);
bool VelmoraGetDefaultCommParams(CommParams* params);

VelmoraStatus VelmoraProcessIdAdd(uint32_t id);
VelmoraStatus VelmoraProcessIdNew(uint32_t* id);
VelmoraStatus VelmoraProcessIdRemove(uint32_t id);
// The first `length` identifiers into array, their number into *count.
VelmoraStatus VelmoraProcessIdList(uint32_t* array, uint32_t length, uint32_t* count);
// The daemon-side parameter of this client: 3 to 0xFFFF.
VelmoraStatus VelmoraSetDaemonParam(uint32_t value);
VelmoraStatus VelmoraGetDaemonParam(uint32_t* value);

// ---- reads by address ----------------------------------------------------

// A request of the reads below: the client transaction that carries it,
// which names it to its callback (it may already serve another request by
// then: it is a name, not a handle to act on).
struct CliTsm;
using VelmoraRequestHandle = CliTsm*;

// The callbacks of the asynchronous reads, on the "confimed async receive"
// thread once the request has ended (its transaction and context already
// given back): the request, the device's address and the local one (valid
// during the call), the public status, the caller's records, and the
// failure record given to the read (its user data), filled for a BACnet
// Error, Reject or Abort. A read ended by VelmoraTerminate is called back
// with VELMORA_STATUS_NOT_INITIALIZED before VelmoraTerminate returns.
using VelmoraReadPropertyCallback = void (*)(VelmoraRequestHandle request,
                                             const VelmoraAddress* remote,
                                             const VelmoraAddress* local, VelmoraStatus status,
                                             const VelmoraReadPropertyRequest* what,
                                             VelmoraAnyValue* value, VelmoraFailure* failure);
using VelmoraReadPropertyMultipleCallback = void (*)(
    VelmoraRequestHandle request, const VelmoraAddress* remote, const VelmoraAddress* local,
    VelmoraStatus status, VelmoraReadMultiResult* results, uint32_t count, VelmoraFailure* failure);

// Reads one property of an object at a device's address, no device image
// needed: into the value's own buffer, or into a block of the allocator,
// which the caller frees through it. Without a callback the call waits for
// the outcome; with one it returns 0 once the request is sent (the handle,
// when asked for, already set), and the callback gets the outcome. An
// answer that does not echo the request is VELMORA_STATUS_INVALID_PACKET
// (instance 4194303 of the device object matches any device). reserved is
// not read; params may be NULL; an asynchronous caller keeps its records
// alive until the callback.
VelmoraStatus VelmoraReadPropertyByAddress(uint32_t reserved, const VelmoraAddress* address,
                                           const VelmoraReadPropertyRequest* request,
                                           VelmoraReadPropertyCallback callback,
                                           const CommParams* params, VelmoraRequestHandle* handle,
                                           VelmoraAnyValue* value, VelmoraFailure* failure,
                                           VelmoraAllocator* allocator);
// Reads several properties of several objects at once: one result per
// read-access specification, in order, each with the object identifier the
// device answered for. Without an allocator the caller gives every result
// array and value buffer (only the first `capacity` elements of a result
// are stored, `count` tells how many came); with one, every array and value
// is allocated from it (VelmoraReadMultiResultFreeAll gives them back, and
// after a failure nothing is left allocated). A property the device cannot
// read is an element with success 0 and its error.
VelmoraStatus VelmoraReadPropertyMultipleByAddress(
    uint32_t reserved, const VelmoraAddress* address, const VelmoraReadMultiRequest* request,
    VelmoraReadPropertyMultipleCallback callback, const CommParams* params,
    VelmoraRequestHandle* handle, VelmoraReadMultiResult* results, VelmoraFailure* failure,
    VelmoraAllocator* allocator);

// ---- object handles and ReadPropertyMultiple by handle --------------------

// The device image the object image belongs to; none for an invalid handle.
VelmoraDeviceHandle VelmoraGetObjectDeviceHandle(VelmoraObjectHandle object);
// The device's object image of that identifier, or none.
VelmoraObjectHandle VelmoraObjectIDToHandle(VelmoraDeviceHandle device, const VelmoraObjectId* id);
// The device's object image whose Object_Name, as last read from the
// device, is this text (in ANSI X3.4), or none.
VelmoraObjectHandle VelmoraObjectNameToHandle(VelmoraDeviceHandle device, const char* name);
bool VelmoraGetObjectInstNum(VelmoraObjectHandle object, uint32_t* instance);
bool VelmoraGetObjectType(VelmoraObjectHandle object, uint32_t* type);

// What to read of one object: its references (property, array index or
// VELMORA_NO_INDEX), in a caller-owned array.
struct VelmoraReadMultiHandleRequest {
  VelmoraObjectHandle object;
  uint32_t count;
  VelmoraPropRef* refs;
};

// The answer for one object: the object the device answered for (the
// request's, or for the wildcard device the device object of the device
// that answered), and its results. count is what the acknowledgement
// carried and may exceed the capacity: only the first capacity elements
// are stored.
struct VelmoraReadMultiHandleResult {
  VelmoraObjectHandle object;
  uint32_t capacity;  // elements of results
  uint32_t count;
  VelmoraReadResult* results;
};

// Request record: the reference array is required. GetRef gives the
// address of reference i, the reference getters its property and array
// index; the getters answer -1 (all ones) or none for a missing record.
bool VelmoraReadMultiHandleRequestInit(VelmoraReadMultiHandleRequest* r, VelmoraObjectHandle object,
                                       VelmoraPropRef* refs, uint32_t count);
bool VelmoraReadMultiHandleRequestSetHandle(VelmoraReadMultiHandleRequest* r,
                                            VelmoraObjectHandle object);
VelmoraObjectHandle VelmoraReadMultiHandleRequestGetHandle(const VelmoraReadMultiHandleRequest* r);
bool VelmoraReadMultiHandleRequestSetRefs(VelmoraReadMultiHandleRequest* r, VelmoraPropRef* refs,
                                          uint32_t count);
uint32_t VelmoraReadMultiHandleRequestGetCount(const VelmoraReadMultiHandleRequest* r);
VelmoraPropRef* VelmoraReadMultiHandleRequestGetRef(const VelmoraReadMultiHandleRequest* r,
                                                    uint32_t i);
uint32_t VelmoraReadMultiHandleRequestGetRefProperty(const VelmoraReadMultiHandleRequest* r,
                                                     uint32_t i);
uint32_t VelmoraReadMultiHandleRequestGetRefArrayIndex(const VelmoraReadMultiHandleRequest* r,
                                                       uint32_t i);
bool VelmoraReadMultiHandleRequestCopy(VelmoraReadMultiHandleRequest* dst,
                                       const VelmoraReadMultiHandleRequest* src);

// Result record: the element array is required. GetCount answers by kind
// VELMORA_RESULT_* the capacity, the count or the elements stored.
bool VelmoraReadMultiHandleResultSetBuffer(VelmoraReadMultiHandleResult* r,
                                           VelmoraReadResult* results, uint32_t capacity);
bool VelmoraReadMultiHandleResultSetHandle(VelmoraReadMultiHandleResult* r,
                                           VelmoraObjectHandle object);
VelmoraObjectHandle VelmoraReadMultiHandleResultGetHandle(const VelmoraReadMultiHandleResult* r);
VelmoraReadResult* VelmoraReadMultiHandleResultGetResult(const VelmoraReadMultiHandleResult* r,
                                                         uint32_t i);
uint32_t VelmoraReadMultiHandleResultGetCount(const VelmoraReadMultiHandleResult* r, uint32_t kind);
// Gives back through the allocator what a read stored there: of each of
// the n results with an array, every element's value buffer that is set,
// then the array; handle, array, capacity and count become 0. False
// without an allocator or a result array.
bool VelmoraReadMultiHandleResultFreeAll(VelmoraAllocator* allocator,
                                         VelmoraReadMultiHandleResult* results, uint32_t n);

// Reads properties of `count` objects of the device in one
// ReadPropertyMultiple, one result per request, in order; every object
// handle must be one of the device's. Storage as for
// VelmoraReadPropertyMultipleByAddress: without an allocator the caller
// gives every result array and value buffer, with one everything is
// allocated there (and nothing is left allocated after a failure). A
// property the device cannot read is an element with success 0 and its
// error. What the device says of itself and its objects is kept in their
// images (its limits, the objects' names) while it is still the device at
// the address the request went to. An answer for another object is
// VELMORA_STATUS_INVALID_PACKET; an object image deleted while the read
// was out is VELMORA_STATUS_INVALID_OBJECT_HANDLE.
VelmoraStatus VelmoraReadPropertyMultiple(VelmoraDeviceHandle device,
                                          const VelmoraReadMultiHandleRequest* requests,
                                          VelmoraReadMultiHandleResult* results, uint32_t count,
                                          VelmoraFailure* failure, VelmoraAllocator* allocator);

// ---- service hooks ---------------------------------------------------------

// An application's handler of a received service: (the server transaction
// of a confirmed request or NULL, the sender's address, the address it
// arrived at, the decoded request or NULL). For an unconfirmed service 1
// lets the library's own handler run as well; for a confirmed one the
// result is the answer (0: the handler answers later).
using VelmoraServiceHook = uint32_t (*)(void* transaction, const VelmoraAddress* sender,
                                        const VelmoraAddress* local, void* request);

// Hook ids (0 to 36; the others name no service) and the request each
// handler receives: I-Am a VelmoraIAmRequest, I-Have a VelmoraIHaveRequest,
// the COV notifications a VelmoraCovNotifRequest ("bacnet/records_hooks.h"),
// the event notifications a VelmoraEventNotifRequest or, through the ids
// 35 and 36, a VelmoraEventNotif ("bacnet/asn_event_notif.h"), the
// UnconfirmedPrivateTransfer a VelmoraPrivateTransfer
// ("bacnet/asn_service.h"). Two ids of one service share its handler: the
// later registration wins and decides the request's form.
inline constexpr uint32_t VELMORA_HOOK_I_AM = 8;
inline constexpr uint32_t VELMORA_HOOK_I_HAVE = 9;
inline constexpr uint32_t VELMORA_HOOK_CONFIRMED_COV_NOTIF = 11;
inline constexpr uint32_t VELMORA_HOOK_UNCONFIRMED_COV_NOTIF = 12;
inline constexpr uint32_t VELMORA_HOOK_CONFIRMED_EVENT_NOTIF = 13;
inline constexpr uint32_t VELMORA_HOOK_UNCONFIRMED_EVENT_NOTIF = 14;
inline constexpr uint32_t VELMORA_HOOK_UNCONFIRMED_PRIVATE_TRANSFER = 25;
inline constexpr uint32_t VELMORA_HOOK_CONFIRMED_EVENT_NOTIF_FLAT = 35;
inline constexpr uint32_t VELMORA_HOOK_UNCONFIRMED_EVENT_NOTIF_FLAT = 36;

// Registers the handler of a hook id (a null handler clears its service's
// registration): VELMORA_STATUS_INVALID_PARAMETER above 36,
// VELMORA_STATUS_NOT_SUPPORTED for an id without a service. A handler may
// run once more after it has been cleared.
VelmoraStatus VelmoraSetServiceHook(uint32_t hook, VelmoraServiceHook handler);
// The handler registered through this id, null when there is none or its
// service's handler was registered through the other id.
VelmoraStatus VelmoraGetServiceHook(uint32_t hook, VelmoraServiceHook* handler);

// Answers to a confirmed request that its handler kept (returned 0 for),
// the handler's first argument naming it; once an answer has gone (or the
// request was discarded) the request is gone. VELMORA_STATUS_ILLEGAL_RESPONSE
// for an answer the service does not have (a SimpleACK to a ReadProperty)
// or a request that is not kept, VELMORA_STATUS_INVALID_PARAMETER for no
// request or an error class or code above 65535; a refused or failed
// answer sends nothing and leaves the request kept.
VelmoraStatus VelmoraServiceSendSimpleAck(void* transaction);
VelmoraStatus VelmoraServiceSendError(void* transaction, uint32_t errorClass, uint32_t errorCode);
VelmoraStatus VelmoraServiceSendReject(void* transaction, uint8_t reason);
VelmoraStatus VelmoraServiceSendAbort(void* transaction, uint8_t reason);
// Drops the request without an answer.
VelmoraStatus VelmoraServiceDiscard(void* transaction);
