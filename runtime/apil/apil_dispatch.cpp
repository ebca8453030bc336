#include "runtime/apil/apil_dispatch.h"

#include <cstring>
#include <mutex>

#include "bacnet/asn_check.h"
#include "bacnet/bacnet_enums.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/osa/osa.h"

namespace {

constexpr uint16_t kKindAck = IPC_KIND_SERVER_ACK;
constexpr uint16_t kKindError = IPC_KIND_SERVER_ERROR;
constexpr uint16_t kKindReject = IPC_KIND_SERVER_REJECT;
constexpr uint16_t kKindAbort = IPC_KIND_SERVER_ABORT;
constexpr ServerResult kRejectUnrecognized = ApilRejectResult(BACNET_REJECT_UNRECOGNIZED_SERVICE);
constexpr ServerResult kRejectOutOfRange = ApilRejectResult(BACNET_REJECT_PARAMETER_OUT_OF_RANGE);
constexpr ServerResult kErrorServicesOther =
    ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_OTHER);
constexpr ServerResult kErrorResourcesOther =
    ApilErrorResult(BACNET_ERROR_CLASS_RESOURCES, BACNET_ERROR_CODE_OTHER);
// Internal outcomes of a handler: abort for want of segmentation, drop.
constexpr ServerResult kAbortSegmentation = 21;
constexpr ServerResult kDrop = 22;
constexpr ServerResult kTakenForApplication = 61;
// A served request's buffer holds at least a short Error.
constexpr uint32_t kLeastAnswerRoom = 25;
constexpr uint32_t kSizeRefused = 0xFFFFFFFF;
constexpr uint32_t kAddressSlots = 2 * sizeof(VelmoraAddress);

constexpr ApilBuiltinHandler kBuiltins[APIL_UNCONFIRMED_ROWS] = {ApilOnIAm, ApilOnIHave};

struct Tables {
  std::mutex lock;
  ApilHandlerRow confirmed[APIL_CONFIRMED_ROWS] = {};
  ApilHandlerRow unconfirmed[APIL_UNCONFIRMED_ROWS] = {};
  ApilPrivateTransferHandler privateTransfer = nullptr;
  void* privateContext = nullptr;
};
Tables g_tables;

ApilHandlerRow* RowOf(uint8_t table, uint32_t service) {
  if (table == APIL_TABLE_CONFIRMED)
    return service < APIL_CONFIRMED_ROWS ? &g_tables.confirmed[service] : nullptr;
  if (table == APIL_TABLE_UNCONFIRMED)
    return service < APIL_UNCONFIRMED_ROWS ? &g_tables.unconfirmed[service] : nullptr;
  return nullptr;
}

bool AcceptsAllProcessIds() { return TsmlConfigActive()->All_Process_IDs != 0; }

// A notification names its subscriber's process identifier first: a tag
// whose low three bits give the length of the unsigned value behind it.
uint32_t ProcessIdOf(const uint8_t* data, uint32_t length) {
  if (length == 0) return 0;
  uint32_t n = data[0] & 0x07;
  if (n > 4 || length < 1 + n) return 0;
  return AsnUnpackUnsigned(n, data + 1);
}

uint32_t DecodedSize(const VelmoraHookDescriptor* d, const uint8_t* data, uint32_t length) {
  if (!d) return 0;
  return d->size ? d->size(data, length) : d->decoded_size;
}

void Decode(const VelmoraHookDescriptor* d, const uint8_t* data, uint32_t length, uint8_t* record,
            uint32_t size) {
  if (!d || !d->decode || size == 0) return;
  AsnCursor cursor = AsnCursorOver(const_cast<uint8_t*>(data), length);
  uint8_t* arena = record + size;
  d->decode(&cursor, record, &arena);
}

VelmoraAddress PublicOf(const LinkAddress& a) {
  VelmoraAddress p{};
  AddrToPublic(&a, &p);
  return p;
}

// Makes sure the request's buffer can take the answer; false when the
// request had to be dropped.
bool AnswerRoom(SrvTsm* tsm, TsmSrvInfo* info) {
  if (info->capacity >= kLeastAnswerRoom) return true;
  PduDesc bigger{};
  if (!PduDescAlloc(kLeastAnswerRoom, &bigger)) {
    TsmlSrvDiscard(tsm);
    return false;
  }
  std::memcpy(bigger.data, info->data, info->length);
  bigger.length = info->length;
  return TsmSrvBufSet(tsm, &bigger) && TsmSrvInfoGet(tsm, info);
}

// Sends the outcome from the request's own buffer; a send that fails
// drops the request.
int Answer(SrvTsm* tsm, const TsmSrvInfo& info, ServerResult r) {
  if (r == 0) return 0;
  PduDesc data{nullptr, info.data, 0, info.capacity};
  uint16_t kind = 0;
  auto oneOctet = [&](uint16_t k, uint32_t octet) {
    data.data[0] = uint8_t(octet);
    data.length = 1;
    kind = k;
  };
  if (ApilIsErrorResult(r)) {
    data.length = ApilEncodeStatusError(r, {info.data, info.capacity});
    kind = kKindError;
  } else if (ApilIsAbortResult(r)) {
    oneOctet(kKindAbort, ApilResultReason(r));
  } else if (ApilIsRejectResult(r)) {
    oneOctet(kKindReject, ApilResultReason(r));
  } else if (r == kKindAck || r == kKindError) {
    data.length = info.length;
    kind = uint16_t(r);
    ApilNoRelease(tsm, data.data);
  } else if (r == kAbortSegmentation) {
    oneOctet(kKindAbort, info.segmented ? 1 : 4);
  } else if (r == kDrop) {
    TsmSrvBufTake(tsm, nullptr);
    return TsmlSrvDiscard(tsm);
  }
  // Any other result has no kind: the send refuses it.
  int status = TsmlSend(tsm, kind, &data);
  if (status != 0) TsmlSrvDiscard(tsm);
  return status;
}

}  // namespace

void ApilNoRelease(void*, void*) {}

bool ApilHandlerSet(const VelmoraHookDescriptor* descriptor, VelmoraServiceHook handler) {
  if (!descriptor) return false;
  std::lock_guard<std::mutex> g(g_tables.lock);
  ApilHandlerRow* row = RowOf(descriptor->table, descriptor->service);
  if (!row) return false;
  *row = handler ? ApilHandlerRow{handler, descriptor} : ApilHandlerRow{};
  return true;
}

ApilHandlerRow ApilHandlerGet(uint8_t table, uint32_t service) {
  std::lock_guard<std::mutex> g(g_tables.lock);
  ApilHandlerRow* row = RowOf(table, service);
  return row ? *row : ApilHandlerRow{};
}

void TsmlHandlerTablesClear() {
  std::lock_guard<std::mutex> g(g_tables.lock);
  for (auto& row : g_tables.confirmed)
    row = {};
  for (auto& row : g_tables.unconfirmed)
    row = {};
  g_tables.privateTransfer = nullptr;
  g_tables.privateContext = nullptr;
}

bool TsmlSetPrivateTransferHandler(ApilPrivateTransferHandler handler, void* context) {
  std::lock_guard<std::mutex> g(g_tables.lock);
  g_tables.privateTransfer = handler;
  g_tables.privateContext = context;
  return true;
}

uint32_t TsmlPrivateTransferCall(SrvTsm* tsm, const TsmSrvInfo* description) {
  ApilPrivateTransferHandler handler;
  void* context;
  {
    std::lock_guard<std::mutex> g(g_tables.lock);
    handler = g_tables.privateTransfer;
    context = g_tables.privateContext;
  }
  return handler ? handler(context, tsm, description) : 1;
}

void TsmlHookUnconfirmed(IpcMsg* message) {
  const uint8_t* h = IpcMsgGetHeader(message);
  const uint8_t service = h[IPC_OFF_SERVICE];
  LinkAddress local{}, sender{};
  LinkAddressRead({h, IPC_HEADER_SIZE}, IPC_OFF_LOCAL_ADDR, &local);
  LinkAddressRead({h, IPC_HEADER_SIZE}, IPC_OFF_REMOTE_ADDR, &sender);
  const bool localOk = (!local.netPresent && local.net == 0) || local.net == 0xFFFF;
  if (service >= APIL_UNCONFIRMED_ROWS || !localOk) {
    OsaLog(OSA_LOG_ERROR, "Invalid parameters of unconfirmed TSM");
    TsmlDrain();
    return;
  }
  const ApilHandlerRow row = ApilHandlerGet(APIL_TABLE_UNCONFIRMED, service);
  const ApilBuiltinHandler builtin = kBuiltins[service];
  if (!row.handler && !builtin) return;
  const uint8_t* data = IpcMsgGetPayload(message);
  const uint32_t length = IpcMsgGetPayloadLength(message);
  if (!AsnCheckUnconfirmedRequest(service, data, length)) return;
  // COV and event notifications reach only the process they name (0: any).
  if ((service == BACNET_UNCONFIRMED_COV_NOTIFICATION ||
       service == BACNET_UNCONFIRMED_EVENT_NOTIFICATION) &&
      !AcceptsAllProcessIds()) {
    uint32_t pid = ProcessIdOf(data, length);
    if (pid != 0 && !TsmlProcessIdKnown(pid)) return;
  }
  if (row.handler) {
    const uint32_t size = DecodedSize(row.descriptor, data, length);
    if (size == kSizeRefused) return;
    uint8_t* block = nullptr;
    if (size != 0) {
      block = static_cast<uint8_t*>(OsaMemAlloc(size));
      if (!block) return;
      Decode(row.descriptor, data, length, block, size);
    }
    const VelmoraAddress from = PublicOf(sender), at = PublicOf(local);
    const uint32_t result = row.handler(nullptr, &from, &at, block);
    OsaMemFree(block);
    if (result != 1) return;
  }
  if (builtin) builtin(h, data, length);
}

int32_t TsmlHookServer(int status, SrvTsm* tsm) {
  TsmlServerDispatch(status, tsm);
  return -1;
}

int TsmlHookServerMulti(int status, SrvTsm* tsm) { return TsmlServerDispatch(status, tsm); }

int TsmlServerDispatch(int status, SrvTsm* tsm) {
  if (status == int(kTakenForApplication)) {
    TsmSrvUserWordSwap(tsm, APIL_SRV_QUEUED, APIL_SRV_WITH_DISPATCH);
    return status;
  }
  if (status != 0) return status;
  TsmSrvInfo info{};
  if (!ApilSrvHookBegin(tsm, &info)) return TsmlSrvDiscard(tsm);
  if (!AnswerRoom(tsm, &info)) return 0;
  ApilHandlerRow row{};
  ServerResult r = TsmlHandlerLookup(&row, info.service);
  if (r == APIL_RESULT_ACK) r = TsmlDispatchConfirmed(tsm, &info, &row);
  return Answer(tsm, info, r);
}

ServerResult TsmlHandlerLookup(ApilHandlerRow* row, uint32_t service) {
  *row = ApilHandlerGet(APIL_TABLE_CONFIRMED, service);
  if (row->handler) return APIL_RESULT_ACK;
  if (service == BACNET_SERVICE_PRIVATE_TRANSFER) {
    std::lock_guard<std::mutex> g(g_tables.lock);
    if (g_tables.privateTransfer) return APIL_RESULT_ACK;
  }
  // The library serves no confirmed service of its own.
  return kRejectUnrecognized;
}

ServerResult TsmlDispatchConfirmed(SrvTsm* tsm, const TsmSrvInfo* d, const ApilHandlerRow* row) {
  if (uint32_t check = AsnCheckConfirmedRequest(d->service, d->data, d->length))
    return ApilServerResultOf(check);
  if ((d->service == BACNET_SERVICE_COV_NOTIFICATION ||
       d->service == BACNET_SERVICE_EVENT_NOTIFICATION) &&
      !AcceptsAllProcessIds()) {
    uint32_t pid = ProcessIdOf(d->data, d->length);
    if (pid == 0) return kRejectOutOfRange;
    if (!TsmlProcessIdKnown(pid)) return kErrorServicesOther;
  }
  if (d->service == BACNET_SERVICE_PRIVATE_TRANSFER && TsmlPrivateTransferCall(tsm, d) != 1)
    return 0;
  if (row->handler) {
    ServerResult r = TsmlConfirmedHandlerCall(row, tsm, d);
    if (r != APIL_RESULT_ACK) return r;
  }
  return kRejectUnrecognized;
}

ServerResult TsmlConfirmedHandlerCall(const ApilHandlerRow* row, SrvTsm* tsm, const TsmSrvInfo* d) {
  const uint32_t size = DecodedSize(row->descriptor, d->data, d->length);
  if (size == kSizeRefused) return kRejectOutOfRange;
  auto* block = static_cast<uint8_t*>(OsaMemAlloc(size_t(kAddressSlots) + size));
  if (!block) return kErrorResourcesOther;
  Decode(row->descriptor, d->data, d->length, block + kAddressSlots, size);
  const VelmoraAddress from = PublicOf(d->remote), at = PublicOf(d->local);
  std::memcpy(block, &from, sizeof from);
  std::memcpy(block + sizeof from, &at, sizeof at);
  // From here the block goes with the transaction.
  if (ApilSrvHookReturn(tsm, block) != 1) {
    OsaMemFree(block);
    return 0;
  }
  const uint32_t result = row->handler(tsm, reinterpret_cast<VelmoraAddress*>(block),
                                       reinterpret_cast<VelmoraAddress*>(block + sizeof from),
                                       size != 0 ? block + kAddressSlots : nullptr);
  if (!ApilSrvHookEnd(tsm, result != 0)) return 0;
  if (result == 1) {
    TsmSrvUserWordSwapBlock(tsm, APIL_SRV_WITH_DISPATCH, APIL_SRV_WITH_DISPATCH, nullptr);
    OsaMemFree(block);
    return APIL_RESULT_ACK;
  }
  return result;
}
