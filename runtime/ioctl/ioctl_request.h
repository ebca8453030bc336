#pragma once
// The ioctl client's request objects, their handle table and the taking of
// a request for one operation; shared by the files of the module.

#include <cstdint>

#include "runtime/apil/apil.h"
#include "runtime/ioctl/tag_stream.h"
#include "runtime/ioctl/velmora_ioctl.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/tsml/tsml.h"

// State bits: what a request permits.
inline constexpr uint32_t IOCTL_BIT_PUT = 0x01;
inline constexpr uint32_t IOCTL_BIT_GET = 0x02;  // and the status
inline constexpr uint32_t IOCTL_BIT_EXEC_LOCAL = 0x04;
inline constexpr uint32_t IOCTL_BIT_DELETE = 0x10;
inline constexpr uint32_t IOCTL_BIT_CLONE = 0x20;
inline constexpr uint32_t IOCTL_BIT_EXECUTING = 0x40;

inline constexpr uint32_t IOCTL_STATE_BUILT = 0x35;
inline constexpr uint32_t IOCTL_STATE_EXECUTING = 0x60;
inline constexpr uint32_t IOCTL_STATE_DONE = 0x32;
inline constexpr uint32_t IOCTL_STATE_SERVER = 0x02;       // with a served request's hook
inline constexpr uint32_t IOCTL_STATE_SERVER_DONE = 0x10;  // after it

// The request body: a sink that grows its message 2048 bytes at a time.
struct IoctlBuffer {
  TagStreamWriter writer;
  PduDesc pdu;
};
inline constexpr uint32_t IOCTL_BUFFER_STEP = 2048;

struct IoctlRequest;
// Run when an execution is done: false when the reply cannot be read.
using IoctlCompletionHook = bool (*)(IoctlRequest* request);

struct IoctlRequest {
  int32_t refs;      // the handle table's count
  int32_t try_lock;  // 1 when free
  uint32_t state;
  VelmoraIoctlHandle handle;
  VelmoraAddress destination;  // of a remote execution
  uint32_t service;
  IoctlCompletionHook completion;
  IoctlUserCallback callback;
  uint32_t user_data;
  uint32_t creator_word;  // 0 from every creator, kept by clones
  VelmoraStatus result;
  IoctlBuffer request;
  PduDesc reply;
  TagCursor cursor;  // the read position in the reply
};

// Makes the handle table and installs the completion and end hooks once;
// whether the module is ready (the library started).
bool IoctlModuleInit();
bool IoctlModuleReady();

// A new request in the given state with an empty body, or none.
IoctlRequest* IoctlRequestNew(uint32_t state);
// Removes the handle of a request taken for deletion and frees its buffers.
void IoctlRequestDelete(IoctlRequest* request);
// Appends a closing tag; the body as it was when it cannot.
bool IoctlRequestCloseBlock(IoctlRequest* request, uint32_t tagNumber);
// The reply-header parser: the answer's frame.
bool IoctlSkipReplyFrame(IoctlRequest* request);

// Matches of IoctlTaken: any of the bits, exactly the state, or any state.
enum class IoctlMatch {
  AnyBit,
  Exactly,
  AnyState
};

// A request taken for one operation, which is a call of the library's
// interface (none while it is not started): found through its handle (one
// more reference) with its try-lock held, in a state that permits the
// operation. Given back when it goes out of scope unless kept, which an
// asynchronous execution does until its completion gives it back.
class IoctlTaken {
 public:
  IoctlTaken(VelmoraIoctlHandle handle, uint32_t state, IoctlMatch match = IoctlMatch::AnyBit);
  ~IoctlTaken() { Give(); }
  IoctlTaken(const IoctlTaken&) = delete;
  IoctlTaken& operator=(const IoctlTaken&) = delete;
  explicit operator bool() const { return request_ != nullptr; }
  IoctlRequest* operator->() const { return request_; }
  IoctlRequest* get() const { return request_; }
  void Keep() { request_ = nullptr; }
  void Give();

 private:
  ApilCall call_;
  IoctlRequest* request_ = nullptr;
};

// Gives back a request kept taken: its try-lock and its reference.
void IoctlRequestGive(IoctlRequest* request);

// The error class and code of a BACnet Error answer: a
// ConfirmedPrivateTransfer-Error, or the bare pair (two enumerated values)
// that a daemon may send; false for neither.
bool IoctlErrorPair(const uint8_t* data, uint32_t length, uint32_t* errorClass,
                    uint32_t* errorCode);

// The transaction layer's completion of an asynchronous remote execution
// (the client transactions with user word 4), on its delivery thread.
void IoctlTsmEvent(int status, CliTsm* tsm);
