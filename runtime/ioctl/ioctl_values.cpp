// Putting input values into a built request and reading reply values.
#include <cstring>

#include "runtime/ioctl/ioctl_request.h"

namespace {

// A put appends one whole value or, when it cannot, leaves the body as it
// was.
template <typename Write>
bool Put(VelmoraIoctlHandle handle, Write write) {
  IoctlTaken r(handle, IOCTL_BIT_PUT);
  if (!r) return false;
  PduDesc& body = r->request.pdu;
  const uint32_t length = body.length;
  if (write(&r->request.writer)) return true;
  if (body.msg) body.length = length;
  return false;
}

template <typename Read>
bool Get(VelmoraIoctlHandle handle, Read read) {
  IoctlTaken r(handle, IOCTL_BIT_GET);
  return r && read(&r->cursor);
}

// The first octet of a done request's reply, when its status is `status`.
bool Reason(VelmoraIoctlHandle handle, VelmoraStatus status, uint32_t* reason) {
  IoctlTaken r(handle, IOCTL_STATE_DONE, IoctlMatch::Exactly);
  if (!r || !reason || r->result != status || !r->reply.msg || r->reply.length == 0) return false;
  *reason = r->reply.data[0];
  return true;
}

}  // namespace

bool VelmoraIoPutBoolean(VelmoraIoctlHandle handle, bool value) {
  return Put(handle, [&](TagStreamWriter* w) {
    return TagStreamWriteHeader(w, value ? TAG_TRUE : TAG_FALSE, 0);
  });
}

bool VelmoraIoPutUnsigned(VelmoraIoctlHandle handle, uint32_t value) {
  return Put(handle, [&](TagStreamWriter* w) { return TagStreamWriteU32(w, TAG_UNSIGNED, value); });
}

bool VelmoraIoPutSigned(VelmoraIoctlHandle handle, int32_t value) {
  return Put(handle, [&](TagStreamWriter* w) { return TagStreamWriteS32(w, TAG_SIGNED, value); });
}

bool VelmoraIoPutEnum(VelmoraIoctlHandle handle, uint32_t value) {
  return Put(handle,
             [&](TagStreamWriter* w) { return TagStreamWriteU32(w, TAG_ENUMERATED, value); });
}

bool VelmoraIoPutCharString(VelmoraIoctlHandle handle, int32_t length, const char* text) {
  if (length < -1 || (length == -1 && !text) || (length > 0 && !text)) return false;
  const uint32_t n = length == -1 ? uint32_t(std::strlen(text)) : uint32_t(length);
  return Put(handle, [&](TagStreamWriter* w) {
    return TagStreamWriteCharString(w, n, reinterpret_cast<const uint8_t*>(text));
  });
}

bool VelmoraIoPutOctetString(VelmoraIoctlHandle handle, uint32_t length, const uint8_t* bytes) {
  if (length && !bytes) return false;
  return Put(handle,
             [&](TagStreamWriter* w) { return TagStreamWriteOctetString(w, length, bytes); });
}

bool VelmoraIoPutBitString(VelmoraIoctlHandle handle, uint32_t length, uint8_t unused,
                           const uint8_t* bytes) {
  if (unused >= 8 || (length == 0 && unused != 0) || (length && !bytes)) return false;
  return Put(handle,
             [&](TagStreamWriter* w) { return TagStreamWriteBitString(w, length, unused, bytes); });
}

bool VelmoraIoPutClosingTag(VelmoraIoctlHandle handle, uint32_t tagNumber) {
  IoctlTaken r(handle, IOCTL_BIT_PUT);
  return r && IoctlRequestCloseBlock(r.get(), tagNumber);
}

bool VelmoraIoGetBoolean(VelmoraIoctlHandle handle, uint8_t* value) {
  return value && Get(handle, [&](TagCursor* c) { return TagCursorReadBoolean(c, value); });
}

bool VelmoraIoGetUnsigned(VelmoraIoctlHandle handle, uint32_t* value) {
  return value &&
         Get(handle, [&](TagCursor* c) { return TagCursorReadU32(c, TAG_UNSIGNED, value); });
}

bool VelmoraIoGetSigned(VelmoraIoctlHandle handle, int32_t* value) {
  return value && Get(handle, [&](TagCursor* c) { return TagCursorReadS32(c, TAG_SIGNED, value); });
}

bool VelmoraIoGetEnum(VelmoraIoctlHandle handle, uint32_t* value) {
  return value &&
         Get(handle, [&](TagCursor* c) { return TagCursorReadU32(c, TAG_ENUMERATED, value); });
}

bool VelmoraIoGetCharString(VelmoraIoctlHandle handle, uint32_t* length, const char** text) {
  const uint8_t* p = nullptr;
  if (!length || !text ||
      !Get(handle, [&](TagCursor* c) { return TagCursorReadCharString(c, length, &p); }))
    return false;
  *text = reinterpret_cast<const char*>(p);
  return true;
}

bool VelmoraIoGetOctetString(VelmoraIoctlHandle handle, uint32_t* length, const uint8_t** bytes) {
  return length && bytes &&
         Get(handle, [&](TagCursor* c) { return TagCursorReadOctetString(c, length, bytes); });
}

bool VelmoraIoGetBitString(VelmoraIoctlHandle handle, uint32_t* length, uint8_t* unused,
                           const uint8_t** bytes) {
  return length && unused && bytes && Get(handle, [&](TagCursor* c) {
           return TagCursorReadBitString(c, length, unused, bytes);
         });
}

bool VelmoraIoGetRejectReason(VelmoraIoctlHandle handle, uint32_t* reason) {
  return Reason(handle, VELMORA_STATUS_BACNET_REJECT, reason);
}

bool VelmoraIoGetAbortReason(VelmoraIoctlHandle handle, uint32_t* reason) {
  return Reason(handle, VELMORA_STATUS_BACNET_ABORT, reason);
}
