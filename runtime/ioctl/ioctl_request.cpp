// Request objects behind their handles: the module's table, the growing
// body, creation, deletion, cloning and the per-request settings.
#include "runtime/ioctl/ioctl_request.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "bacnet/asn_check.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_status.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/ioctl/ioctl_body.h"
#include "runtime/osa/handle_table.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_sync.h"

namespace {

constexpr uint32_t kTableHint = 16;

// The table lives from the first request (or server registration) after a
// start-up until the library's end hook.
std::mutex g_initLock;
std::atomic<HandleTable*> g_table{nullptr};
std::atomic<bool> g_ready{false};

void RequestFree(void* object) {
  auto* r = static_cast<IoctlRequest*>(object);
  PduDescFree(&r->request.pdu);
  PduDescFree(&r->reply);
  OsaMemFree(r);
}

void IoctlModuleCleanup() {
  std::lock_guard<std::mutex> guard(g_initLock);
  g_ready = false;
  if (HandleTable* table = g_table.exchange(nullptr)) HandleTableDestroy(table);
}

bool BufferWrite(TagStreamWriter* writer, const uint8_t* bytes, uint32_t count) {
  if (count == 0) return true;
  PduDesc& d = reinterpret_cast<IoctlBuffer*>(writer)->pdu;
  const uint64_t need = uint64_t(d.length) + count;
  if (!d.msg || need > d.capacity) {
    const uint64_t capacity = (need / IOCTL_BUFFER_STEP + 1) * IOCTL_BUFFER_STEP;
    if (capacity > IPC_MSG_PAYLOAD_LIMIT || !PduDescGrow(uint32_t(capacity), &d)) return false;
  }
  std::memcpy(d.data + d.length, bytes, count);
  d.length += count;
  return true;
}

// A copy in a new message of the same capacity.
bool PduCopy(const PduDesc& from, PduDesc* to) {
  *to = {};
  if (!from.msg) return true;
  if (!PduDescAlloc(from.capacity > from.length ? from.capacity : from.length, to)) return false;
  if (from.length) std::memcpy(to->data, from.data, from.length);
  to->length = from.length;
  return true;
}

bool StateMatches(uint32_t state, uint32_t wanted, IoctlMatch match) {
  switch (match) {
    case IoctlMatch::AnyBit:
      return (state & wanted) != 0;
    case IoctlMatch::Exactly:
      return state == wanted;
    case IoctlMatch::AnyState:
      return true;
  }
  return false;
}

}  // namespace

bool IoctlModuleInit() {
  std::lock_guard<std::mutex> guard(g_initLock);
  if (g_ready) return true;
  HandleTable* table = HandleTableCreate(kTableHint, RequestFree);
  if (!table) return false;
  g_table = table;
  if (!ApilSetAsyncHooks(IoctlTsmEvent, IoctlModuleCleanup)) {
    g_table = nullptr;
    HandleTableDestroy(table);
    return false;
  }
  g_ready = true;
  return true;
}

bool IoctlModuleReady() { return g_ready.load(); }

IoctlRequest* IoctlRequestNew(uint32_t state) {
  HandleTable* table = g_table.load();
  if (!table) return nullptr;
  auto* r = static_cast<IoctlRequest*>(OsaMemAlloc(sizeof(IoctlRequest)));
  if (!r) return nullptr;
  std::memset(r, 0, sizeof *r);
  // Taken by its creator until it is ready for others.
  r->try_lock = 0;
  r->state = state;
  r->request.writer.write = BufferWrite;
  r->refs = 1;
  const VelmoraIoctlHandle handle = HandleTableInsert(table, r);
  if (handle == 0) {
    RequestFree(r);
    return nullptr;
  }
  r->handle = handle;
  return r;
}

void IoctlRequestDelete(IoctlRequest* r) {
  PduDescFree(&r->request.pdu);
  PduDescFree(&r->reply);
  r->cursor = {};
  HandleTableRemove(g_table.load(), r->handle);
}

void IoctlRequestGive(IoctlRequest* r) {
  PlatAtomicIncrement(&r->try_lock);
  HandleTableRelease(g_table.load(), r);
}

bool IoctlRequestCloseBlock(IoctlRequest* r, uint32_t tagNumber) {
  if (tagNumber > 254) return false;
  return TagStreamWriteHeader(&r->request.writer, TagClosing(tagNumber), 0);
}

bool IoctlSkipReplyFrame(IoctlRequest* r) { return IoctlSkipFrame(&r->cursor); }

IoctlTaken::IoctlTaken(VelmoraIoctlHandle handle, uint32_t state, IoctlMatch match) {
  HandleTable* table = g_table.load();
  if (!call_ || !table) return;
  auto* r = static_cast<IoctlRequest*>(HandleTableLookup(table, handle));
  if (!r) return;
  // A second user fails at once instead of waiting.
  if (PlatAtomicDecrement(&r->try_lock) != 0) {
    IoctlRequestGive(r);
    return;
  }
  if (!StateMatches(r->state, state, match)) {
    IoctlRequestGive(r);
    return;
  }
  request_ = r;
}

void IoctlTaken::Give() {
  if (request_) IoctlRequestGive(request_);
  request_ = nullptr;
}

bool IoctlErrorPair(const uint8_t* data, uint32_t length, uint32_t* errorClass,
                    uint32_t* errorCode) {
  if (!data || length == 0) return false;
  if (data[0] == TagOpening(0)) {
    return AsnCheckErrorPdu(BACNET_SERVICE_PRIVATE_TRANSFER, data, length) &&
           AsnDecodePrivateTransferError(data, length, errorClass, errorCode, nullptr, nullptr) ==
               ASN_OK;
  }
  TagCursor c{data, length};
  return TagCursorReadU32(&c, TAG_ENUMERATED, errorClass) &&
         TagCursorReadU32(&c, TAG_ENUMERATED, errorCode);
}

VelmoraIoctlHandle VelmoraIoctlCreate() {
  ApilCall call;
  if (!call || !IoctlModuleInit()) return 0;
  IoctlRequest* r = IoctlRequestNew(IOCTL_STATE_BUILT);
  if (!r) return 0;
  r->completion = IoctlSkipReplyFrame;
  VelmoraIoctlHandle handle = r->handle;
  if (!IoctlWriteFrame(&r->request.writer)) {
    IoctlRequestDelete(r);
    handle = 0;
  }
  IoctlRequestGive(r);
  return handle;
}

bool VelmoraIoctlDelete(VelmoraIoctlHandle handle) {
  IoctlTaken r(handle, IOCTL_BIT_DELETE);
  if (!r) return false;
  IoctlRequestDelete(r.get());
  return true;
}

VelmoraIoctlHandle VelmoraIoctlClone(VelmoraIoctlHandle handle) {
  IoctlTaken r(handle, IOCTL_BIT_CLONE);
  if (!r) return 0;
  IoctlRequest* c = IoctlRequestNew(r->state);
  if (!c) return 0;
  c->completion = r->completion;
  c->callback = r->callback;
  c->user_data = r->user_data;
  c->creator_word = r->creator_word;
  c->result = r->result;
  VelmoraIoctlHandle clone = c->handle;
  if (PduCopy(r->request.pdu, &c->request.pdu) && PduCopy(r->reply, &c->reply)) {
    if (r->cursor.next && r->reply.data)
      c->cursor = {c->reply.data + (r->cursor.next - r->reply.data), r->cursor.remaining};
  } else {
    IoctlRequestDelete(c);
    clone = 0;
  }
  IoctlRequestGive(c);
  return clone;
}

bool VelmoraIoctlSetCallback(VelmoraIoctlHandle handle, IoctlUserCallback callback,
                             uint32_t userData) {
  IoctlTaken r(handle, IOCTL_STATE_BUILT, IoctlMatch::Exactly);
  if (!r) return false;
  r->callback = callback;
  r->user_data = userData;
  return true;
}

uint32_t VelmoraIoctlGetUserData(VelmoraIoctlHandle handle) {
  IoctlTaken r(handle, 0, IoctlMatch::AnyState);
  return r ? r->user_data : 0;
}

bool VelmoraIoctlGetStatus(VelmoraIoctlHandle handle, VelmoraStatus* status) {
  IoctlTaken r(handle, IOCTL_BIT_GET);
  if (!r || !status) return false;
  *status = r->result;
  return true;
}

bool IoctlGetFailure(VelmoraIoctlHandle handle, VelmoraFailure* failure) {
  IoctlTaken r(handle, IOCTL_STATE_DONE, IoctlMatch::Exactly);
  if (!r || !failure) return false;
  const uint8_t* data = r->reply.data;
  const uint32_t length = r->reply.msg ? r->reply.length : 0;
  const uint32_t reason = length ? data[0] : 0;
  switch (r->result) {
    case VELMORA_STATUS_BACNET_ERROR: {
      uint32_t errorClass, errorCode;
      return IoctlErrorPair(data, length, &errorClass, &errorCode) &&
             VelmoraFailureInitError(failure, errorClass, errorCode);
    }
    case VELMORA_STATUS_BACNET_REJECT:
      return VelmoraFailureInitReject(failure, reason);
    case VELMORA_STATUS_BACNET_ABORT:
      return VelmoraFailureInitAbort(failure, reason);
    default:
      return false;
  }
}
