// The answers a handler gives to a confirmed request it has kept: each
// takes the request from the handler (the reply's start) and either sends
// the answer or, when the service has no such answer or it cannot go out,
// leaves the request with the handler again.
#include "bacnet/asn_primitive.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_dispatch.h"
#include "runtime/apil/apil_status.h"

namespace {

bool ServiceHas(const TsmSrvInfo& info, uint8_t kind) {
  return info.service < ApilServiceReplyKinds.size() &&
         (ApilServiceReplyKinds[info.service] & kind) != 0;
}

// send(server transaction, its description, the reply's data) -> the
// send's internal status. A reply that cannot begin is its status as the
// step gives it.
template <typename Send>
VelmoraStatus Reply(void* transaction, uint32_t replyKind, Send send) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  auto* tsm = static_cast<SrvTsm*>(transaction);
  PduDesc reply{};
  TsmSrvInfo info{};
  if (int status = ApilSrvReplyBegin(tsm, &info, replyKind, &reply)) return status;
  return ApilSrvReplyEnd(tsm, send(tsm, info, &reply), &reply);
}

// Abort and Reject: one octet, the reason.
VelmoraStatus SendReason(void* transaction, uint16_t kind, uint8_t reason) {
  return Reply(transaction, APIL_REPLY_SHORT, [&](SrvTsm* tsm, const TsmSrvInfo&, PduDesc* reply) {
    reply->data[0] = reason;
    reply->length = 1;
    return TsmlSend(tsm, kind, reply);
  });
}

}  // namespace

VelmoraStatus VelmoraServiceSendSimpleAck(void* transaction) {
  return Reply(transaction, APIL_REPLY_NONE, [](SrvTsm* tsm, const TsmSrvInfo& info, PduDesc*) {
    return ServiceHas(info, APIL_KIND_SIMPLE_ACK) ? TsmlSend(tsm, IPC_KIND_SERVER_ACK, nullptr)
                                                  : int(APIL_ILLEGAL_RESPONSE);
  });
}

VelmoraStatus VelmoraServiceSendError(void* transaction, uint32_t errorClass, uint32_t errorCode) {
  return Reply(transaction, APIL_REPLY_SHORT,
               [&](SrvTsm* tsm, const TsmSrvInfo& info, PduDesc* reply) {
                 if (!ServiceHas(info, APIL_KIND_ERROR)) return int(APIL_ILLEGAL_RESPONSE);
                 const VelmoraError error{errorClass, errorCode};
                 AsnCursor c = AsnCursorOver(reply->data, reply->capacity);
                 if (int32_t status = AsnEncodeErrorPair(&error, &c)) return int(status);
                 reply->length = uint32_t(c.current - reply->data);
                 return TsmlSend(tsm, IPC_KIND_SERVER_ERROR, reply);
               });
}

VelmoraStatus VelmoraServiceSendReject(void* transaction, uint8_t reason) {
  return SendReason(transaction, IPC_KIND_SERVER_REJECT, reason);
}

VelmoraStatus VelmoraServiceSendAbort(void* transaction, uint8_t reason) {
  return SendReason(transaction, IPC_KIND_SERVER_ABORT, reason);
}

VelmoraStatus VelmoraServiceDiscard(void* transaction) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  auto* tsm = static_cast<SrvTsm*>(transaction);
  if (int status = ApilSrvHookDiscard(tsm)) return status;
  return ApilMapStatus(uint32_t(TsmlSrvDiscard(tsm)));
}
