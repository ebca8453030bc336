// The hooks through which received services reach the interface, the four
// delivery threads that call them, the library's own I-Am and I-Have
// handlers, and the small steps with which the interface drives client and
// server transactions through their user word.
#pragma once

#include <cstdint>

#include "runtime/tsml/tsml.h"

using ApilUnconfirmedHook = void (*)(IpcMsg* message);
// Returns the next wait time in ms (-1: no limit).
using ApilServerHook = int32_t (*)(int status, SrvTsm* tsm);
using ApilServerMultiHook = int (*)(int status, SrvTsm* tsm);
using ApilAsyncHook = void (*)(int status, CliTsm* tsm);
// The private-transfer handler (the ioctl server): gets every received
// ConfirmedPrivateTransfer first; 1 leaves it to the other handlers, any
// other result means it has taken the request over.
using ApilPrivateTransferHandler = uint32_t (*)(void* context, SrvTsm* tsm,
                                                const TsmSrvInfo* description);
using ApilPrivateTransferSetter = bool (*)(ApilPrivateTransferHandler handler, void* context);
using ApilThreadStartHook = void (*)();
using ApilEndHook = void (*)();

// The delivery threads, named as the log names them.
inline constexpr const char* APIL_THREAD_UNCONFIRMED = "unconfirmed receive";
inline constexpr const char* APIL_THREAD_SERVER = "server receive";
inline constexpr const char* APIL_THREAD_SERVER_MULTI = "server multi-receive";
inline constexpr const char* APIL_THREAD_ASYNC = "confimed async receive";
inline constexpr uint32_t APIL_THREAD_STOP_MS = 3000;

// Stores the hooks and starts one thread for each of the first four given,
// in that order. When one cannot start, the layer is drained, the others
// are stopped again and the result is false.
bool ApilInstallHooks(ApilUnconfirmedHook unconfirmed, ApilServerHook server,
                      ApilServerMultiHook serverMulti, ApilAsyncHook async,
                      ApilPrivateTransferSetter privateTransfer, ApilThreadStartHook threadStart);
// Drains the transaction layer and stops the threads (each within 3000
// ms), then runs the end hook.
void ApilRemoveHooks();
// What VelmoraInit hands to TsmlOpen: the hooks above with the dispatch's
// and the transaction layer's handlers.
extern const TsmlHookBinding APIL_HOOK_BINDING;
// The thread-start hook: enters and leaves the image lock once, so that a
// thread starts only after a change of the images has ended.
void ApilThreadStart();

// A completion hook for client transactions whose user word is 4 (the
// ioctl client's), and a hook run once at shut-down; false while the hooks
// are not installed.
bool ApilSetAsyncHooks(ApilAsyncHook completion, ApilEndHook end);
bool ApilSetPrivateTransferHandler(ApilPrivateTransferHandler handler, void* context);

// Waits for a client transaction's outcome: 0, 8, 63, 75 (closing) or 5.
int ApilWaitResponse(CliTsm* tsm, int32_t timeoutMs);

// The library's own unconfirmed handlers: the header of the received
// message and its payload.
void ApilOnIAm(const uint8_t* header, const uint8_t* payload, uint32_t length);
void ApilOnIHave(const uint8_t* header, const uint8_t* payload, uint32_t length);

// ---- steps of client transactions (user word 1 synchronous, 2
// asynchronous, 3 taken by its completion, -1 done) -------------------------

int ApilAllocSyncTsm(const TsmCliRequest& request, CliTsm** out, TsmCliInfo* info);
// A failed send gives the transaction back; the status passes.
int ApilSyncSendEnd(CliTsm* tsm, int status);
int ApilAllocAsyncTsm(const TsmCliRequest& request, CliTsm** out, TsmCliInfo* info);
// On success the transaction becomes the request's handle.
int ApilAsyncSendEnd(CliTsm* tsm, int status, CliTsm** handle);
bool ApilAsyncTake(CliTsm* tsm, TsmCliInfo* description);
bool ApilAsyncRelease(CliTsm* tsm);
// Sends the data as an unconfirmed request; the data is consumed.
int ApilSendUnconfirmed(const LinkAddress* source, const LinkAddress* destination,
                        uint32_t priority, uint8_t service, PduDesc* data);

// ---- steps of server transactions, as their user word -----------------------

inline constexpr int32_t APIL_SRV_QUEUED = 0;
inline constexpr int32_t APIL_SRV_WITH_DISPATCH = 1;
inline constexpr int32_t APIL_SRV_WITH_HANDLER = 2;  // the application's handler
inline constexpr int32_t APIL_SRV_ANSWERING = 3;
inline constexpr int32_t APIL_SRV_DISCARDED = 4;  // taken without an answer

bool ApilSrvHookBegin(SrvTsm* tsm, TsmSrvInfo* description);
// Hands the request to the handler with its decoded block; the word found.
int32_t ApilSrvHookReturn(SrvTsm* tsm, void* decoded);
// After the handler: 1 when the dispatch has the request back (flag set and
// the handler neither answered nor dropped it), else 0.
int ApilSrvHookEnd(SrvTsm* tsm, bool flag);
// Reply kinds of ApilSrvReplyBegin: no data, a short reply (50 octets), or
// one as long as the requester takes.
inline constexpr uint32_t APIL_REPLY_NONE = 0;
inline constexpr uint32_t APIL_REPLY_SHORT = 1;
inline constexpr uint32_t APIL_REPLY_FULL = 2;
// Starts the answer of a kept request: the public VELMORA_STATUS_OK,
// _INVALID_PARAMETER (no request), _ILLEGAL_RESPONSE (not kept), or
// _OUT_OF_MEMORY (no room; the request can still be answered or dropped).
int ApilSrvReplyBegin(SrvTsm* tsm, TsmSrvInfo* description, uint32_t replyKind, PduDesc* reply);
// VELMORA_STATUS_OK, _INVALID_PARAMETER or _ILLEGAL_RESPONSE as above; the
// request is then taken without an answer.
int ApilSrvHookDiscard(SrvTsm* tsm);
// Ends an answer with its send status: on failure the data goes and the
// request can be answered again; a public status.
int ApilSrvReplyEnd(SrvTsm* tsm, int status, PduDesc* reply);
