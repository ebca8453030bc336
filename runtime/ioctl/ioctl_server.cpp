// Serving ioctls that other devices send: the library's private-transfer
// handler reads each ConfirmedPrivateTransfer, and the application's hook
// refuses it, drops it, or lets it go unchanged to the local daemon, whose
// answer is relayed.
#include <atomic>
#include <cstring>

#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/ioctl/ioctl_body.h"
#include "runtime/ioctl/ioctl_request.h"
#include "runtime/ipc/ipc_status.h"

namespace {

// The reason of the reject or abort that stands for a failure here.
constexpr uint8_t kFailureReason = 3;
// The handler's result for a transfer it leaves to the library.
constexpr uint32_t kNotMine = 1;

std::atomic<IoctlServerHook> g_hook{nullptr};

void Respond(SrvTsm* tsm, uint16_t kind, PduDesc* data) {
  if (TsmlSend(tsm, kind, data) != 0) TsmlSrvDiscard(tsm);
}

void RespondOctet(SrvTsm* tsm, uint16_t kind, uint8_t reason) {
  PduDesc d{};
  if (!PduDescAlloc(1, &d)) {
    TsmlSrvDiscard(tsm);
    return;
  }
  d.data[0] = reason;
  d.length = 1;
  Respond(tsm, kind, &d);
}

void RespondStatus(SrvTsm* tsm, IoctlStatus status) {
  PduDesc d{};
  TagStreamBufferSink sink;
  if (PduDescAlloc(IOCTL_STATUS_ANSWER_MAX, &d)) {
    TagStreamBufferSinkInit(&sink, d.data, d.capacity);
    if (IoctlWriteStatusAnswer(&sink.writer, status)) {
      d.length = sink.length;
      Respond(tsm, IPC_KIND_SERVER_ACK, &d);
      return;
    }
    PduDescFree(&d);
  }
  RespondOctet(tsm, IPC_KIND_SERVER_ABORT, kFailureReason);
}

// The received body goes to the local daemon as it came.
void Forward(SrvTsm* tsm) {
  PduDesc body{}, reply{};
  if (!TsmSrvBufTake(tsm, &body) || !body.msg) {
    RespondOctet(tsm, IPC_KIND_SERVER_ABORT, kFailureReason);
    return;
  }
  // Nothing of the received request's header goes with it.
  std::memset(IpcMsgGetHeader(body.msg), 0, IPC_HEADER_SIZE);
  const int status = TsmlIoctlLocal(&body, &reply);
  if (status == 0)
    Respond(tsm, IPC_KIND_SERVER_ACK, &reply);
  else
    RespondOctet(tsm,
                 status == int(IPC_STATUS_INVALID_PARAMETER) ? IPC_KIND_SERVER_REJECT
                                                             : IPC_KIND_SERVER_ABORT,
                 kFailureReason);
}

// Hands a request to the hook through a server request that reads its
// inputs; the hook's answer, or 0 when there is no request to hand.
uint32_t AskHook(IoctlServerHook hook, const TsmSrvInfo* info, const IoctlParsedRequest& parsed,
                 bool* asked) {
  VelmoraAddress requester{};
  IoctlRequest* s = nullptr;
  *asked = AddrToPublic(&info->remote, &requester) && (s = IoctlRequestNew(IOCTL_STATE_SERVER));
  if (!*asked) return 0;
  s->cursor = parsed.values;
  const VelmoraIoctlHandle handle = s->handle;
  IoctlRequestGive(s);
  const uint32_t verdict = hook(&requester, parsed.code, handle);
  IoctlTaken done(handle, 0, IoctlMatch::AnyState);
  if (done) {
    done->state = IOCTL_STATE_SERVER_DONE;
    IoctlRequestDelete(done.get());
  }
  return verdict;
}

uint32_t IoctlServerHandler(void*, SrvTsm* tsm, const TsmSrvInfo* info) {
  IoctlServerHook hook = g_hook.load();
  if (!hook || !info) return kNotMine;
  IoctlParsedRequest parsed;
  IoctlParseRequest(info->data, info->length, &parsed);
  switch (parsed.verdict) {
    case IoctlVerdict::NotIoctl:
      return kNotMine;
    case IoctlVerdict::Answer:
      RespondStatus(tsm, parsed.status);
      return 0;
    case IoctlVerdict::Reject:
      RespondOctet(tsm, IPC_KIND_SERVER_REJECT, parsed.reason);
      return 0;
    case IoctlVerdict::Request:
      break;
  }
  bool asked = false;
  const uint32_t verdict = AskHook(hook, info, parsed, &asked);
  if (!asked)
    RespondOctet(tsm, IPC_KIND_SERVER_ABORT, kFailureReason);
  else if (verdict == IOCTL_SERVE_REFUSE)
    RespondStatus(tsm, IOCTL_STATUS_NO_PERMISSION);
  else if (verdict == IOCTL_SERVE_DROP)
    TsmlSrvDiscard(tsm);
  else
    Forward(tsm);
  return 0;
}

}  // namespace

VelmoraStatus VelmoraIoctlServerRegister(IoctlServerHook hook) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  if (!hook) return VELMORA_STATUS_INVALID_PARAMETER;
  if (!IoctlModuleInit()) return VELMORA_STATUS_OUT_OF_RESOURCES;
  g_hook = hook;
  return ApilSetPrivateTransferHandler(IoctlServerHandler, nullptr)
             ? VELMORA_STATUS_OK
             : VELMORA_STATUS_NOT_INITIALIZED;
}
