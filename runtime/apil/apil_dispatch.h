// The dispatch of received services: the hooks the delivery threads call
// with an unconfirmed message or a server transaction. Each request is
// checked, filtered by process identifier where it is a notification,
// decoded for the application's handler and handed to it, then to the
// library's own handler; a confirmed request's outcome goes back to the
// requester as an acknowledgement, Error, Reject or Abort, or the request
// is dropped.
#pragma once

#include <array>
#include <cstdint>

#include "bacnet/asn_tag.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/apil_status.h"
#include "runtime/apil/velmora.h"

inline constexpr uint32_t APIL_CONFIRMED_ROWS = 30;    // confirmed service choices 0-29
inline constexpr uint32_t APIL_UNCONFIRMED_ROWS = 10;  // unconfirmed service choices 0-9
inline constexpr uint8_t APIL_TABLE_UNCONFIRMED = 0;
inline constexpr uint8_t APIL_TABLE_CONFIRMED = 1;
inline constexpr uint8_t APIL_NO_SERVICE = 255;

// How one hook id's service is decoded for its handler: a decoded size
// (fixed, or by the size function; 0xFFFFFFFF refuses the request), and a
// decoder that lays variable parts down from the arena's end.
struct VelmoraHookDescriptor {
  uint32_t decoded_size;
  uint32_t (*size)(const uint8_t* data, uint32_t length);
  int32_t (*decode)(AsnCursor* cursor, void* record, uint8_t** arena);
  uint8_t service;  // the row in its table; APIL_NO_SERVICE: none
  uint8_t table;    // APIL_TABLE_*
};

// The answers each confirmed service has (by service choice; none above
// 29), a set of APIL_KIND_*.
inline constexpr uint8_t APIL_KIND_SIMPLE_ACK = 1;
inline constexpr uint8_t APIL_KIND_ERROR = 2;
inline constexpr uint8_t APIL_KIND_COMPLEX_ACK = 4;
inline constexpr uint8_t APIL_KIND_SERVICE_ERROR = 8;  // an error of the service's own
inline constexpr std::array<uint8_t, APIL_CONFIRMED_ROWS> ApilServiceReplyKinds = {
    3,  3, 3, 6, 6, 3, 6, 6, 9,  9,  // 0-9
    12, 3, 6, 6, 6, 3, 9, 3, 12, 3,  // 10-19
    3,  6, 9, 6, 6, 3, 6, 3, 3,  6,  // 20-29
};

// Hook ids 0 to 36 have a descriptor, those without a service one of
// APIL_NO_SERVICE.
inline constexpr uint32_t APIL_HOOK_IDS = 37;

struct ApilHandlerRow {
  VelmoraServiceHook handler;
  const VelmoraHookDescriptor* descriptor;
};

// The library's own handler of an unconfirmed service: the message's
// header and payload.
using ApilBuiltinHandler = void (*)(const uint8_t* header, const uint8_t* payload, uint32_t length);

// Registers (a null handler clears) the handler in the row its descriptor
// names; false for a descriptor without a row.
bool ApilHandlerSet(const VelmoraHookDescriptor* descriptor, VelmoraServiceHook handler);
// The row of a service choice of a table (empty outside the table).
ApilHandlerRow ApilHandlerGet(uint8_t table, uint32_t service);
void TsmlHandlerTablesClear();

// The hooks, in the order ApilInstallHooks takes them (the fourth is the
// transaction layer's TsmlHookAsync).
void TsmlHookUnconfirmed(IpcMsg* message);
int32_t TsmlHookServer(int status, SrvTsm* tsm);
int TsmlHookServerMulti(int status, SrvTsm* tsm);
bool TsmlSetPrivateTransferHandler(ApilPrivateTransferHandler handler, void* context);

// A server transaction taken from its queue with that wait status: an
// internal status.
int TsmlServerDispatch(int status, SrvTsm* tsm);
ServerResult TsmlDispatchConfirmed(SrvTsm* tsm, const TsmSrvInfo* description,
                                   const ApilHandlerRow* row);
// 0x0E02 (the next handler may run), 0 (the handler answers) or its result.
ServerResult TsmlConfirmedHandlerCall(const ApilHandlerRow* row, SrvTsm* tsm,
                                      const TsmSrvInfo* description);
// 0x0E02 when something will handle the service, else Reject 9
// (unrecognised service).
ServerResult TsmlHandlerLookup(ApilHandlerRow* row, uint32_t service);
// The private-transfer handler's result, 1 when none is set.
uint32_t TsmlPrivateTransferCall(SrvTsm* tsm, const TsmSrvInfo* description);

// Stands where other paths give a buffer back: an answer built in the
// request's own buffer keeps it.
void ApilNoRelease(void* tsm, void* data);
