// Executing a request: at the local daemon as a control exchange, or at a
// remote device as a ConfirmedPrivateTransfer, waited for or completed on
// the transaction layer's delivery thread.
#include "bacnet/asn_check.h"
#include "bacnet/asn_service.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/apil_status.h"
#include "runtime/ioctl/ioctl_body.h"
#include "runtime/ioctl/ioctl_request.h"
#include "runtime/ipc/ipc_status.h"

namespace {

constexpr int32_t kIoctlUserWord = 4;  // the completion hook's transactions
constexpr uint32_t kPriority = 0;

// A remote answer is read only once its syntax is known to be sound and
// it answers our request: a device of another vendor may acknowledge the
// transfer with content of its own.
int CheckedOutcome(int outcome, const PduDesc& reply) {
  const uint8_t* data = reply.msg ? reply.data : nullptr;
  const uint32_t length = reply.msg ? reply.length : 0;
  uint32_t errorClass, errorCode;
  if (outcome == int(IPC_STATUS_OK) &&
      AsnCheckComplexAck(ASN_SERVICE_PRIVATE_TRANSFER, data, length) != 0)
    return int(IPC_STATUS_INVALID_PACKET);
  if (outcome == int(IPC_STATUS_OK) && !IoctlAnswerWellFormed(data, length))
    return int(APIL_ILLEGAL_RESPONSE);
  if (outcome == int(IPC_STATUS_BACNET_ERROR) &&
      !IoctlErrorPair(data, length, &errorClass, &errorCode))
    return int(IPC_STATUS_INVALID_PACKET);
  return outcome;
}

// Ends an execution with its internal status; false when a successful
// answer's frame cannot be read.
bool Complete(IoctlRequest* r, int status) {
  PduDescFree(&r->request.pdu);
  r->result = ApilMapStatus(uint32_t(status));
  r->state = IOCTL_STATE_DONE;
  r->cursor = r->reply.msg ? TagCursor{r->reply.data, r->reply.length} : TagCursor{};
  return r->result != VELMORA_STATUS_OK || !r->completion || r->completion(r);
}

// The request's outcome, which the caller has after giving it back.
struct Outcome {
  VelmoraIoctlHandle handle;
  IoctlUserCallback callback;
  VelmoraAddress destination;
  VelmoraStatus status;
};

Outcome OutcomeOf(const IoctlRequest* r, VelmoraStatus status) {
  return {r->handle, r->callback, r->destination, status};
}

// Sends the body in a new client transaction; nothing is held when that
// fails.
int Send(IoctlRequest* r, const LinkAddress* source, const LinkAddress* destination,
         const CommParams* params, bool async, CliTsm** out) {
  CliTsm* tsm = nullptr;
  const TsmCliRequest rq{source, destination, kPriority, ASN_SERVICE_PRIVATE_TRANSFER, params, r};
  int status = TsmCliAllocConfirmed(rq, async, kIoctlUserWord, &tsm, nullptr);
  if (status != 0) return status;
  status = TsmlSend(tsm, IPC_KIND_CONF_REQUEST, &r->request.pdu);
  if (status != 0) {
    TsmCliRelease(tsm);
    return status;
  }
  *out = tsm;
  return 0;
}

int ExecuteSync(IoctlRequest* r, const LinkAddress* source, const LinkAddress* destination,
                const CommParams* params) {
  CliTsm* tsm = nullptr;
  int status = Send(r, source, destination, params, false, &tsm);
  if (status != 0) return status;
  status = ApilWaitResponse(tsm, -1);
  TsmCliInfo info{};
  TsmCliBufTake(tsm, &r->reply);
  if (status == 0) status = TsmCliInfoGet(tsm, &info) ? int(info.outcome) : int(IPC_STATUS_FAILED);
  status = CheckedOutcome(status, r->reply);
  TsmCliRelease(tsm);
  return IoctlModuleReady() ? status : int(IPC_STATUS_NOT_STARTED);
}

}  // namespace

VelmoraStatus VelmoraIoctlExec(VelmoraIoctlHandle handle) {
  ApilCall call;
  if (!call || !IoctlModuleReady()) return VELMORA_STATUS_NOT_INITIALIZED;
  Outcome outcome;
  {
    IoctlTaken r(handle, IOCTL_BIT_EXEC_LOCAL);
    if (!r || !IoctlRequestCloseBlock(r.get(), 2)) return VELMORA_STATUS_INVALID_PARAMETER;
    r->state = IOCTL_STATE_EXECUTING;
    const int status = TsmlIoctlLocal(&r->request.pdu, &r->reply);
    const bool readable = Complete(r.get(), status);
    outcome = OutcomeOf(r.get(), readable ? r->result : VELMORA_STATUS_UNKNOWN_ERROR);
  }
  if (outcome.callback) outcome.callback(outcome.handle, nullptr, outcome.status);
  return outcome.status;
}

VelmoraStatus VelmoraIoctlExecRemote(VelmoraIoctlHandle handle, const VelmoraAddress* source,
                                     const VelmoraAddress* destination, const CommParams* params) {
  ApilCall call;
  if (!call || !IoctlModuleReady()) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!destination) return VELMORA_STATUS_INVALID_PARAMETER;
  LinkAddress to{}, from{};
  if (!AddrFromPublic(destination, &to) || (source && !AddrFromPublic(source, &from)))
    return VELMORA_STATUS_INVALID_ADDRESS;
  // Everything is checked and the request taken before its block is
  // closed, so that a refused call leaves the body as it was.
  IoctlTaken r(handle, IOCTL_STATE_BUILT, IoctlMatch::Exactly);
  if (!r || !IoctlRequestCloseBlock(r.get(), 2)) return VELMORA_STATUS_INVALID_PARAMETER;
  r->destination = *destination;
  r->service = ASN_SERVICE_PRIVATE_TRANSFER;
  r->state = IOCTL_STATE_EXECUTING;
  const LinkAddress* sourceLink = source ? &from : nullptr;
  if (!r->callback) {
    Complete(r.get(), ExecuteSync(r.get(), sourceLink, &to, params));
    return r->result;
  }
  // Once sent, the request stays taken until its completion.
  CliTsm* tsm = nullptr;
  const int status = Send(r.get(), sourceLink, &to, params, true, &tsm);
  if (status == 0) {
    r.Keep();
    return VELMORA_STATUS_OK;
  }
  // A request that did not go out fails as a synchronous one does.
  Complete(r.get(), status);
  return r->result;
}

void IoctlTsmEvent(int status, CliTsm* tsm) {
  if (status != 0 && status != int(IPC_STATUS_NO_MEMORY) &&
      status != int(IPC_STATUS_RESPONSE_TOO_LONG))
    return;
  TsmCliInfo info{};
  if (!TsmCliInfoGet(tsm, &info)) return;
  auto* r = static_cast<IoctlRequest*>(info.context);
  if (!r) {
    TsmCliRelease(tsm);
    return;
  }
  TsmCliBufTake(tsm, &r->reply);
  const int outcome = status == 0 ? CheckedOutcome(int(info.outcome), r->reply) : status;
  // The transaction is done with once its answer is taken.
  TsmCliRelease(tsm);
  Complete(r, outcome);
  const Outcome done = OutcomeOf(r, r->result);
  IoctlRequestGive(r);
  if (done.callback) done.callback(done.handle, &done.destination, done.status);
}
