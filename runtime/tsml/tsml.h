// The transaction layer: client and server transactions of one process over
// its one link to the stack daemon. Internal status codes throughout.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>

#include "runtime/ipc/ipc_link.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/tsml/tsml_config.h"
#include "runtime/tsml/tsml_types.h"

struct CliTsm;
struct SrvTsm;

// --- start-up and shut-down --------------------------------------------------

// The interface layer's side of start-up, which VelmoraInit hands to
// TsmlOpen: `install` (ApilInstallHooks with this layer's hooks) runs once
// the link is registered, and a false fails the open; `remove`
// (ApilRemoveHooks) runs first at shut-down. Opened without it the layer
// starts no delivery threads (the queues still fill).
struct TsmlHookBinding {
  bool (*install)();
  void (*remove)();
};

int TsmlOpen(uint32_t portId, const TsmlHookBinding* binding = nullptr);
int TsmlLibOpen(const TsmlOpenRecord* record);
int TsmlConnect(const IpcRegisterRequest* registration, TsmlRegistrationReply* reply);
bool TsmlLinkInit();
// Closes the layer and waits up to the drain wait for the application's
// server transactions to end; whether they did.
bool TsmlDrain();
constexpr uint32_t TSML_DRAIN_WAIT_MS = 10000;
// Sets the drain wait (tests shorten it); returns the previous value.
uint32_t TsmlSetDrainWait(uint32_t ms);
void TsmlMarkClosed();
void TsmlClose();
void TsmlShutdown();

bool TsmlIsOpen();
bool TsmlIsStarted();
uint32_t TsmlUserId();
uint32_t TsmlRuntimeMaxApdu();
int TsmlLocalAddressGet(LinkAddress* out);
// Runtime version bytes from registration (major, minor, third).
void TsmlRuntimeVersion(uint8_t out[3]);

void* TsmlConfParamAlloc();
void TsmlConfParamFree(void* context);

// --- client transactions -----------------------------------------------------

// What the state and user-word calls give for a pointer that is not a TSM in
// use.
constexpr int32_t TSM_NOT_IN_USE = -1;

// The pointer check of a TSM handed in from another layer: a slot boundary
// inside its pool and the in-use tag. A TSM in use comes back with its
// pool's lock held in `lock`, which the caller leaves (or lets go out of
// scope); any other pointer gives none, with `lock` not held.
CliTsm* TsmCliLock(CliTsm* tsm, std::unique_lock<std::mutex>& lock);
int TsmCliAllocConfirmed(const TsmCliRequest& request, bool async, int32_t userWord, CliTsm** out,
                         TsmCliInfo* info);
int TsmCliAllocUnconfirmed(const TsmCliRequest& request, CliTsm** out, TsmCliUnconfInfo* info);
// How long the sender of a confirmed request stays in its send: until the
// daemon's acknowledgement, or (a caller that then waits for the
// confirmation without limit) until the confirmation too, so that it is
// woken once for both.
enum class TsmlSendWait : uint8_t {
  Ack,
  Confirmation,
};
int TsmlSend(void* tsm, uint16_t kind, PduDesc* data, TsmlSendWait wait = TsmlSendWait::Ack);
int TsmlCliSend(PduDesc* data, CliTsm* tsm, uint16_t kind, TsmlSendWait wait = TsmlSendWait::Ack);
int TsmCliWait(CliTsm* tsm, int32_t timeoutMs);
int TsmCliTakeConfirmation(CliTsm* tsm);
int TsmlAsyncWait(CliTsm** out, int32_t timeoutMs);
bool TsmCliInfoGet(CliTsm* tsm, TsmCliInfo* info);
bool TsmCliBufTake(CliTsm* tsm, PduDesc* out);
int32_t TsmCliUserWordSwap(CliTsm* tsm, int32_t expected, int32_t value);
bool TsmCliRelease(CliTsm* tsm);
bool TsmCliReleaseUnconfirmed(CliTsm* tsm);
// The state of a client TSM, or TSM_NOT_IN_USE.
int32_t TsmCliState(CliTsm* tsm);

int TsmlEncodeAndSend(const TsmlServiceDescriptor* row, const void* request, CliTsm* tsm,
                      const TsmCliInfo* info, TsmlSendWait wait = TsmlSendWait::Ack);
int TsmlRequestExecute(const LinkAddress* source, const LinkAddress* destination, uint32_t priority,
                       const TsmlServiceDescriptor* row, const void* request, PduDesc* out,
                       const CommParams* params, void* context);
int TsmlRequestExecuteAsync(const LinkAddress* source, const LinkAddress* destination,
                            uint32_t priority, const TsmlServiceDescriptor* row,
                            const void* request, const CommParams* params, void* context,
                            CliTsm** out);
int TsmlUnconfirmedSend(const LinkAddress* source, const LinkAddress* destination,
                        uint32_t priority, TsmlEncodeFn encode, uint8_t service,
                        const void* request, const CommParams* params);

// The async-completion hook: delivers a completed asynchronous request to
// its request context's completion routine, then releases the TSM.
void TsmlHookAsync(int status, CliTsm* tsm);

// --- incoming dispatch and server transactions -------------------------------

void PipeRead(IpcConnection* connection, IpcMsg* message);
SrvTsm* TsmSrvLock(SrvTsm* tsm, std::unique_lock<std::mutex>& lock);  // as TsmCliLock
int TsmlUnconfirmedWait(IpcMsg** out, int32_t timeoutMs);
int TsmlSrvWait(SrvTsm** out, int32_t timeoutMs);
int TsmlSrvMultiWait(SrvTsm** out, int32_t timeoutMs);
bool TsmSrvInfoGet(SrvTsm* tsm, TsmSrvInfo* info);
uint32_t TsmSrvMaxPayload(SrvTsm* tsm);
bool TsmSrvBufTake(SrvTsm* tsm, PduDesc* out);
bool TsmSrvBufSet(SrvTsm* tsm, PduDesc* data);
bool TsmSrvBufPeek(SrvTsm* tsm, const uint8_t** data, uint32_t* length, int32_t expectedUserWord);
int32_t TsmSrvUserWordSwap(SrvTsm* tsm, int32_t expected, int32_t value);
int32_t TsmSrvUserWordSwapBlock(SrvTsm* tsm, int32_t expected, int32_t value, void* decoded);
int TsmlSrvRespond(SrvTsm* tsm, PduDesc* data, uint16_t kind);
int TsmlSrvDiscard(SrvTsm* tsm);
int32_t TsmSrvState(SrvTsm* tsm);
void TlIPCClose();

// --- daemon control requests -------------------------------------------------

// The parameters of a control exchange: the message bytes from
// IPC_OFF_CONTROL to the end of the header go out from here, and the reply's
// values come back to the same offsets. The bytes before are the kind and
// status, which the exchange sets.
struct TsmlControlParams {
  uint8_t header[IPC_HEADER_SIZE];
};

int TsmlControlExchange(uint16_t kind, PduDesc* data, TsmlControlParams* params, PduDesc* reply);
int TsmlControl(uint16_t kind, TsmlControlParams* params);
int TsmlIoctlLocal(PduDesc* request, PduDesc* reply);
// Completes the pending control exchange with a reply (its header bytes
// and the message); false when it is not the one awaited.
bool TsmlReqAckMatch(std::span<const uint8_t> header, IpcMsg* reply);
bool TsmlNetParamsSet(const CommParams* params);
bool TsmlNetParamsGet(CommParams* params);
int TsmlProcessIdAdd(uint32_t id);
int TsmlProcessIdRemove(uint32_t id);
int TsmlProcessIdNew(uint32_t* out);
int TsmlProcessIdList(uint32_t* array, uint32_t n, uint32_t* count);
bool TsmlProcessIdKnown(uint32_t id);
int TsmlAddrParamSet(const LinkAddress* address, uint16_t value);
int TsmlAddrParamGet(const LinkAddress* address, uint16_t* value);
