#pragma once
// The ioctl client: diagnostic and control requests to the local stack
// daemon, or inside a ConfirmedPrivateTransfer to a remote device, built
// once behind a handle, executed, then read value by value. Received ioctls
// can be served through a hook. Every operation may be called from any
// thread while the library is started; an operation on a request another
// thread is using fails at once instead of waiting.
//
// A request is created built (values may be put, it may be executed once),
// is executing during its execution, and is done afterwards (its status and
// reply values may be read in order, any number of times through clones).
// Reply values come in the order the request code defines (ioctl_codes.h),
// after the IoctlStatus that opens every answer.

#include <cstdint>

#include "bacnet/records.h"
#include "runtime/apil/velmora_status.h"
#include "runtime/ioctl/ioctl_codes.h"
#include "runtime/tsml/tsml_types.h"

// Never 0 or 0xFFFFFFFF; 0 is "no request".
using VelmoraIoctlHandle = uint32_t;

// Called once when an execution completes: no destination for a local one.
// A remote one's callback runs on the "confimed async receive" thread after
// the request has been given back: it may read and delete it.
using IoctlUserCallback = void (*)(VelmoraIoctlHandle handle, const VelmoraAddress* destination,
                                   VelmoraStatus status);

// What a served ioctl's hook answers.
inline constexpr uint32_t IOCTL_SERVE_REFUSE = 1;  // answered NO_PERMISSION
inline constexpr uint32_t IOCTL_SERVE_DROP = 2;    // no answer at all
// Any other value forwards the request unchanged to the local daemon and
// relays its answer. The hook may read the request's inputs through the
// handle, which is deleted when the hook returns.
using IoctlServerHook = uint32_t (*)(const VelmoraAddress* requester, IoctlCode code,
                                     VelmoraIoctlHandle request);

// A built request with nothing put yet, or 0 (the library is not started,
// or memory is short).
VelmoraIoctlHandle VelmoraIoctlCreate();
// Executes at the local daemon: 3 when the library is not started, 16 for
// an unknown, busy or already executed request; else the public status of
// the exchange, or 1 when its answer cannot be read.
VelmoraStatus VelmoraIoctlExec(VelmoraIoctlHandle handle);
// Executes at a remote device (source: the local address to send from, or
// none; params: or none for the defaults). With a callback the call returns
// 0 once the request is sent and the callback gets the outcome; without
// one it waits for it. 3 not started, 16 no destination or a request that
// is unknown, busy or not built, 37 an address that cannot be used.
VelmoraStatus VelmoraIoctlExecRemote(VelmoraIoctlHandle handle, const VelmoraAddress* source,
                                     const VelmoraAddress* destination, const CommParams* params);
// Built requests only.
bool VelmoraIoctlSetCallback(VelmoraIoctlHandle handle, IoctlUserCallback callback,
                             uint32_t userData);
uint32_t VelmoraIoctlGetUserData(VelmoraIoctlHandle handle);
// The execution's public status, once done.
bool VelmoraIoctlGetStatus(VelmoraIoctlHandle handle, VelmoraStatus* status);
// A copy in the same state, its read position kept; 0 on failure.
VelmoraIoctlHandle VelmoraIoctlClone(VelmoraIoctlHandle handle);
// Built or done requests; the handle is not found again.
bool VelmoraIoctlDelete(VelmoraIoctlHandle handle);
// Serves received ioctls through the hook: 0, 3 when the library is not
// started, 16 for no hook, 33 when it cannot be installed.
VelmoraStatus VelmoraIoctlServerRegister(IoctlServerHook hook);

// Input values, each appended to a built request.
bool VelmoraIoPutBoolean(VelmoraIoctlHandle handle, bool value);
bool VelmoraIoPutUnsigned(VelmoraIoctlHandle handle, uint32_t value);
bool VelmoraIoPutSigned(VelmoraIoctlHandle handle, int32_t value);
bool VelmoraIoPutEnum(VelmoraIoctlHandle handle, uint32_t value);
// length -1: the text is NUL-terminated. Character set ANSI X3.4.
bool VelmoraIoPutCharString(VelmoraIoctlHandle handle, int32_t length, const char* text);
bool VelmoraIoPutOctetString(VelmoraIoctlHandle handle, uint32_t length, const uint8_t* bytes);
// unused: the bits of the last byte that are not part of the string (0-7).
bool VelmoraIoPutBitString(VelmoraIoctlHandle handle, uint32_t length, uint8_t unused,
                           const uint8_t* bytes);
bool VelmoraIoPutClosingTag(VelmoraIoctlHandle handle, uint32_t tagNumber);

// Reply values, each read at the request's read position, which moves past
// it; a value of another type fails and the position stays. Texts and bytes
// point into the reply (not terminated) and live as long as the request.
bool VelmoraIoGetBoolean(VelmoraIoctlHandle handle, uint8_t* value);
bool VelmoraIoGetUnsigned(VelmoraIoctlHandle handle, uint32_t* value);
bool VelmoraIoGetSigned(VelmoraIoctlHandle handle, int32_t* value);
bool VelmoraIoGetEnum(VelmoraIoctlHandle handle, uint32_t* value);
bool VelmoraIoGetCharString(VelmoraIoctlHandle handle, uint32_t* length, const char** text);
bool VelmoraIoGetOctetString(VelmoraIoctlHandle handle, uint32_t* length, const uint8_t** bytes);
bool VelmoraIoGetBitString(VelmoraIoctlHandle handle, uint32_t* length, uint8_t* unused,
                           const uint8_t** bytes);
// The reason of a done request that was rejected (status 65) or aborted (66).
bool VelmoraIoGetRejectReason(VelmoraIoctlHandle handle, uint32_t* reason);
bool VelmoraIoGetAbortReason(VelmoraIoctlHandle handle, uint32_t* reason);

// A done request's BACnet Error (64: a ConfirmedPrivateTransfer-Error, or a
// bare error class and code), Reject (65) or Abort (66); false otherwise.
bool IoctlGetFailure(VelmoraIoctlHandle handle, VelmoraFailure* failure);
