#include "runtime/ipc/ipc_frame.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- fields

namespace {

bool Fits(size_t size, size_t off, size_t width) { return off <= size && width <= size - off; }

}  // namespace

uint8_t IpcGet8(std::span<const uint8_t> m, size_t off) {
  return Fits(m.size(), off, 1) ? m[off] : 0;
}

uint16_t IpcGet16(std::span<const uint8_t> m, size_t off) {
  if (!Fits(m.size(), off, 2)) return 0;
  return static_cast<uint16_t>(m[off] | (m[off + 1] << 8));
}

uint32_t IpcGet32(std::span<const uint8_t> m, size_t off) {
  if (!Fits(m.size(), off, 4)) return 0;
  return static_cast<uint32_t>(m[off]) | (static_cast<uint32_t>(m[off + 1]) << 8) |
         (static_cast<uint32_t>(m[off + 2]) << 16) | (static_cast<uint32_t>(m[off + 3]) << 24);
}

bool IpcPut8(std::span<uint8_t> m, size_t off, uint8_t v) {
  if (!Fits(m.size(), off, 1)) return false;
  m[off] = v;
  return true;
}

bool IpcPut16(std::span<uint8_t> m, size_t off, uint16_t v) {
  if (!Fits(m.size(), off, 2)) return false;
  m[off] = static_cast<uint8_t>(v);
  m[off + 1] = static_cast<uint8_t>(v >> 8);
  return true;
}

bool IpcPut32(std::span<uint8_t> m, size_t off, uint32_t v) {
  if (!Fits(m.size(), off, 4)) return false;
  for (size_t i = 0; i < 4; ++i)
    m[off + i] = static_cast<uint8_t>(v >> (8 * i));
  return true;
}

void IpcZero(std::span<uint8_t> m, size_t from, size_t to) {
  to = std::min(to, m.size());
  for (size_t i = from; i < to; ++i)
    m[i] = 0;
}

void LinkAddressNormalise(LinkAddress* a) {
  if (a == nullptr) return;
  if (a->netPresent == 0) a->net = 0;
  for (size_t i = a->macLen; i < LINK_MAC_MAX; ++i)
    a->mac[i] = 0;
}

bool LinkAddressRead(std::span<const uint8_t> m, size_t off, LinkAddress* a) {
  if (a == nullptr || !Fits(m.size(), off, LINK_ADDRESS_SIZE)) return false;
  a->kind = m[off + LINK_OFF_KIND];
  a->netPresent = m[off + LINK_OFF_NET_PRESENT];
  a->net = IpcGet16(m, off + LINK_OFF_NET);
  a->macLen = m[off + LINK_OFF_MAC_LEN];
  for (size_t i = 0; i < LINK_MAC_MAX; ++i)
    a->mac[i] = m[off + LINK_OFF_MAC + i];
  return true;
}

bool LinkAddressWrite(std::span<uint8_t> m, size_t off, const LinkAddress& a) {
  if (!Fits(m.size(), off, LINK_ADDRESS_SIZE)) return false;
  m[off + LINK_OFF_KIND] = a.kind;
  m[off + LINK_OFF_NET_PRESENT] = a.netPresent;
  IpcPut16(m, off + LINK_OFF_NET, a.net);
  m[off + LINK_OFF_MAC_LEN] = a.macLen;
  for (size_t i = 0; i < LINK_MAC_MAX; ++i)
    m[off + LINK_OFF_MAC + i] = a.mac[i];
  return true;
}

bool IpcAddressNormalise(std::span<uint8_t> m, size_t off) {
  LinkAddress a;
  if (!LinkAddressRead(m, off, &a)) return false;
  LinkAddressNormalise(&a);
  return LinkAddressWrite(m, off, a);
}

// ---------------------------------------------------------------- header

bool IpcHeaderRead(std::span<const uint8_t> m, IpcMsgHeader* h) {
  if (h == nullptr || m.size() < 4) return false;
  h->kind = IpcGet16(m, IPC_OFF_KIND);
  h->status = IpcGet16(m, IPC_OFF_STATUS);
  h->tsmIndex = IpcGet32(m, IPC_OFF_TSM_INDEX);
  h->tsmId = IpcGet32(m, IPC_OFF_TSM_ID);
  for (size_t i = 0; i < sizeof h->params; ++i)
    h->params[i] = IpcGet8(m, IPC_OFF_PARAMS + i);
  return true;
}

bool IpcHeaderWrite(std::span<uint8_t> m, const IpcMsgHeader& h) {
  if (m.size() < IPC_HEADER_SIZE) return false;
  IpcPut16(m, IPC_OFF_KIND, h.kind);
  IpcPut16(m, IPC_OFF_STATUS, h.status);
  IpcPut32(m, IPC_OFF_TSM_INDEX, h.tsmIndex);
  IpcPut32(m, IPC_OFF_TSM_ID, h.tsmId);
  for (size_t i = 0; i < sizeof h.params; ++i)
    m[IPC_OFF_PARAMS + i] = h.params[i];
  return true;
}

bool IpcTxnParamsRead(std::span<const uint8_t> m, IpcTxnParams* p) {
  if (p == nullptr || m.size() < IPC_HEADER_SIZE) return false;
  p->priority = m[IPC_OFF_PRIORITY];
  p->service = m[IPC_OFF_SERVICE];
  LinkAddressRead(m, IPC_OFF_LOCAL_ADDR, &p->local);
  LinkAddressRead(m, IPC_OFF_REMOTE_ADDR, &p->remote);
  p->apduTimeout = IpcGet32(m, IPC_OFF_APDU_TIMEOUT);
  p->retries = IpcGet32(m, IPC_OFF_RETRIES);
  p->maxApdu = IpcGet32(m, IPC_OFF_MAX_APDU);
  p->segAccepted = m[IPC_OFF_SEG_ACCEPTED];
  p->window = m[IPC_OFF_WINDOW];
  p->segmentation = IpcGet16(m, IPC_OFF_SEGMENTATION);
  p->maxSegs = IpcGet32(m, IPC_OFF_MAX_SEGS);
  p->segTimeout = IpcGet32(m, IPC_OFF_SEG_TIMEOUT);
  return true;
}

bool IpcTxnParamsWrite(std::span<uint8_t> m, const IpcTxnParams& p) {
  if (m.size() < IPC_HEADER_SIZE) return false;
  m[IPC_OFF_PRIORITY] = p.priority;
  m[IPC_OFF_SERVICE] = p.service;
  IpcPut16(m, IPC_OFF_PAD, 0);
  LinkAddressWrite(m, IPC_OFF_LOCAL_ADDR, p.local);
  LinkAddressWrite(m, IPC_OFF_REMOTE_ADDR, p.remote);
  IpcPut32(m, IPC_OFF_APDU_TIMEOUT, p.apduTimeout);
  IpcPut32(m, IPC_OFF_RETRIES, p.retries);
  IpcPut32(m, IPC_OFF_MAX_APDU, p.maxApdu);
  m[IPC_OFF_SEG_ACCEPTED] = p.segAccepted;
  m[IPC_OFF_WINDOW] = p.window;
  IpcPut16(m, IPC_OFF_SEGMENTATION, p.segmentation);
  IpcPut32(m, IPC_OFF_MAX_SEGS, p.maxSegs);
  IpcPut32(m, IPC_OFF_SEG_TIMEOUT, p.segTimeout);
  return true;
}

uint32_t IpcPayloadLength(std::span<const uint8_t> m) { return IpcGet32(m, IPC_OFF_PAYLOAD_LEN); }

std::span<const uint8_t> IpcPayload(std::span<const uint8_t> m) {
  if (m.size() <= IPC_OFF_PAYLOAD) return {};
  size_t n = std::min<size_t>(IpcPayloadLength(m), m.size() - IPC_OFF_PAYLOAD);
  return m.subspan(IPC_OFF_PAYLOAD, n);
}

// ---------------------------------------------------------------- registration

void IpcRegisterRequestInit(IpcRegisterRequest* r) {
  if (r == nullptr) return;
  *r = IpcRegisterRequest{};
  std::memcpy(r->version, IPC_LIBRARY_VERSION, sizeof r->version);
  std::memcpy(r->fixed, IPC_REGISTER_FIXED, sizeof r->fixed);
  r->flag39 = IPC_REGISTER_FLAG39;
}

bool IpcRegisterRequestWrite(std::span<uint8_t> m, const IpcRegisterRequest& r) {
  if (m.size() < IPC_REGISTER_LENGTH) return false;
  IpcPut16(m, IPC_OFF_KIND, IPC_KIND_REGISTER);
  IpcPut16(m, IPC_OFF_STATUS, 0);
  for (size_t i = 0; i < sizeof r.version; ++i)
    m[IPC_OFF_REG_VERSION + i] = r.version[i];
  IpcPut32(m, IPC_OFF_REG_PORT_ID, r.portId);
  for (size_t i = 0; i < sizeof r.fixed; ++i)
    m[IPC_OFF_REG_FIXED + i] = r.fixed[i];
  IpcZero(m, IPC_OFF_REG_FIXED + sizeof r.fixed, IPC_OFF_REG_FIXED_END);
  IpcPut32(m, IPC_OFF_REG_CLI_POOL, r.cliPoolSize);
  IpcPut32(m, IPC_OFF_REG_SRV_POOL, r.srvPoolSize);
  IpcPut32(m, IPC_OFF_REG_APDU_TIMEOUT, r.apduTimeout);
  IpcPut32(m, IPC_OFF_REG_RETRIES, r.numRetries);
  IpcPut16(m, IPC_OFF_REG_SEGMENTATION, r.segmentation);
  m[IPC_OFF_REG_WINDOW] = r.segWindowSize;
  m[IPC_OFF_REG_FLAG39] = r.flag39;
  IpcPut32(m, IPC_OFF_REG_MAX_SEGS, r.maxSegAccepted);
  IpcPut32(m, IPC_OFF_REG_SEG_TIMEOUT, r.segTimeout);
  IpcPut32(m, IPC_OFF_REG_MAX_PIDS, r.maxProcessIds);
  return true;
}

bool IpcRegisterRequestRead(std::span<const uint8_t> m, IpcRegisterRequest* r) {
  if (r == nullptr || m.size() < IPC_REGISTER_LENGTH) return false;
  for (size_t i = 0; i < sizeof r->version; ++i)
    r->version[i] = m[IPC_OFF_REG_VERSION + i];
  r->portId = IpcGet32(m, IPC_OFF_REG_PORT_ID);
  for (size_t i = 0; i < sizeof r->fixed; ++i)
    r->fixed[i] = m[IPC_OFF_REG_FIXED + i];
  r->cliPoolSize = IpcGet32(m, IPC_OFF_REG_CLI_POOL);
  r->srvPoolSize = IpcGet32(m, IPC_OFF_REG_SRV_POOL);
  r->apduTimeout = IpcGet32(m, IPC_OFF_REG_APDU_TIMEOUT);
  r->numRetries = IpcGet32(m, IPC_OFF_REG_RETRIES);
  r->segmentation = IpcGet16(m, IPC_OFF_REG_SEGMENTATION);
  r->segWindowSize = m[IPC_OFF_REG_WINDOW];
  r->flag39 = m[IPC_OFF_REG_FLAG39];
  r->maxSegAccepted = IpcGet32(m, IPC_OFF_REG_MAX_SEGS);
  r->segTimeout = IpcGet32(m, IPC_OFF_REG_SEG_TIMEOUT);
  r->maxProcessIds = IpcGet32(m, IPC_OFF_REG_MAX_PIDS);
  return true;
}

bool IpcRegisterReplyWrite(std::span<uint8_t> m, const IpcRegisterReply& r) {
  if (m.size() < IPC_REGISTER_REPLY_MIN) return false;
  IpcPut16(m, IPC_OFF_KIND, IPC_KIND_REGISTER);
  IpcPut16(m, IPC_OFF_STATUS, r.status);
  m[IPC_OFF_REPLY_MAJOR] = r.major;
  m[IPC_OFF_REPLY_MINOR] = r.minor;
  m[IPC_OFF_REPLY_THIRD] = r.third;
  m[IPC_OFF_REPLY_SPARE] = 0;
  IpcPut32(m, IPC_OFF_REPLY_MAX_APDU, r.maxApdu);
  LinkAddressWrite(m, IPC_OFF_REPLY_LOCAL, r.local);
  IpcPut32(m, IPC_OFF_REPLY_USER_ID, r.userId);
  return true;
}

bool IpcRegisterReplyRead(std::span<const uint8_t> m, IpcRegisterReply* r) {
  if (r == nullptr || m.size() < IPC_REGISTER_REPLY_MIN) return false;
  r->status = IpcGet16(m, IPC_OFF_STATUS);
  r->major = m[IPC_OFF_REPLY_MAJOR];
  r->minor = m[IPC_OFF_REPLY_MINOR];
  r->third = m[IPC_OFF_REPLY_THIRD];
  r->maxApdu = IpcGet32(m, IPC_OFF_REPLY_MAX_APDU);
  LinkAddressRead(m, IPC_OFF_REPLY_LOCAL, &r->local);
  r->userId = IpcGet32(m, IPC_OFF_REPLY_USER_ID);
  return true;
}

// ---------------------------------------------------------------- transfer parameters

namespace {

struct ParamField {
  uint16_t bit;
  size_t off;
  size_t width;
};

constexpr ParamField kParamFields[] = {
    {IPC_PARAM_APDU_LENGTH, IPC_OFF_SET_APDU_LENGTH, 4},
    {IPC_PARAM_SEGMENTATION, IPC_OFF_SET_SEGMENTATION, 2},
    {IPC_PARAM_MAX_SEGS, IPC_OFF_SET_MAX_SEGS, 4},
    {IPC_PARAM_WINDOW, IPC_OFF_SET_WINDOW, 4},
    {IPC_PARAM_SEG_TIMEOUT, IPC_OFF_SET_SEG_TIMEOUT, 4},
    {IPC_PARAM_APDU_TIMEOUT, IPC_OFF_SET_APDU_TIMEOUT, 4},
    {IPC_PARAM_RETRIES, IPC_OFF_SET_RETRIES, 4},
};

void ClearUnsetParams(std::span<uint8_t> m) {
  uint16_t mask = IpcGet16(m, IPC_OFF_SET_MASK);
  for (const ParamField& f : kParamFields)
    if ((mask & f.bit) == 0) IpcZero(m, f.off, f.off + f.width);
}

}  // namespace

bool IpcTransferParamsWrite(std::span<uint8_t> m, const IpcTransferParams& p) {
  if (m.size() < IPC_SET_PARAMS_LENGTH) return false;
  IpcPut16(m, IPC_OFF_KIND, IPC_KIND_SET_PARAMS);
  IpcPut16(m, IPC_OFF_STATUS, 0);
  IpcPut16(m, IPC_OFF_SET_MASK, p.mask);
  IpcPut16(m, IPC_OFF_SET_SEGMENTATION, p.segmentation);
  IpcPut32(m, IPC_OFF_SET_APDU_LENGTH, p.apduLength);
  IpcPut32(m, IPC_OFF_SET_MAX_SEGS, p.maxSegs);
  IpcPut32(m, IPC_OFF_SET_WINDOW, p.window);
  IpcPut32(m, IPC_OFF_SET_SEG_TIMEOUT, p.segTimeout);
  IpcPut32(m, IPC_OFF_SET_APDU_TIMEOUT, p.apduTimeout);
  IpcPut32(m, IPC_OFF_SET_RETRIES, p.retries);
  ClearUnsetParams(m);
  return true;
}

bool IpcTransferParamsRead(std::span<const uint8_t> m, IpcTransferParams* p) {
  if (p == nullptr || m.size() < IPC_SET_PARAMS_LENGTH) return false;
  p->mask = IpcGet16(m, IPC_OFF_SET_MASK);
  p->segmentation = IpcGet16(m, IPC_OFF_SET_SEGMENTATION);
  p->apduLength = IpcGet32(m, IPC_OFF_SET_APDU_LENGTH);
  p->maxSegs = IpcGet32(m, IPC_OFF_SET_MAX_SEGS);
  p->window = IpcGet32(m, IPC_OFF_SET_WINDOW);
  p->segTimeout = IpcGet32(m, IPC_OFF_SET_SEG_TIMEOUT);
  p->apduTimeout = IpcGet32(m, IPC_OFF_SET_APDU_TIMEOUT);
  p->retries = IpcGet32(m, IPC_OFF_SET_RETRIES);
  return true;
}

// ---------------------------------------------------------------- the table of kinds

namespace {

// What a received frame of a kind must satisfy (when its status is 0 or
// the kind has the checked bit).
enum class Recv : uint8_t {
  None,        // any length
  AtLeast,     // L >= min
  Payload,     // L >= 68 and L = 68 + P
  Aborted,     // L = 69 and P = 1
  Indication,  // as Payload, and both MAC lengths at most 7
  Register,    // L >= 28, then the version check
  Invalid,     // never acceptable
};

// What the sending side clears or sets before writing.
enum class Norm : uint8_t {
  None,
  Register,      // library version at 4
  SetParams,     // fields whose mask bit is clear
  Address4,      // address at 4
  Zero4,         // bytes 4 to 63
  Zero13,        // bytes 13 to 63 (after the priority)
  ConfRequest,   // pad, addresses, byte 52
  UnconfRequest  // pad, addresses, bytes 40 to 63
};

struct KindRule {
  uint16_t kind;
  uint32_t sent;  // sent length, or 0 for 68 + P
  Norm norm;
  Recv recv;
  uint32_t recvMin;  // for Recv::AtLeast
  uint32_t reply;    // shortest reply the daemon sends, 0 for 68 + P
  bool daemonSends;
};

constexpr uint32_t P = 0;  // "68 + P" in the columns sent and reply

constexpr KindRule kKinds[] = {
    // kind                        sent  normalisation         received check      min  reply daemon
    {IPC_KIND_CONFIRMATION, 4, Norm::None, Recv::Payload, 0, P, true},
    {IPC_KIND_SERVER_ABORTED, 4, Norm::None, Recv::Aborted, 0, 69, true},
    {IPC_KIND_CONF_INDICATION, 4, Norm::None, Recv::Indication, 0, P, true},
    {IPC_KIND_UNCONF_INDICATION, 4, Norm::None, Recv::Indication, 0, P, true},
    {IPC_KIND_REGISTER, 52, Norm::Register, Recv::Register, 0, 28, true},
    {IPC_KIND_SET_PARAMS, 32, Norm::SetParams, Recv::None, 0, 4, true},
    {IPC_KIND_ADD_PID, 8, Norm::None, Recv::None, 0, 4, true},
    {IPC_KIND_REMOVE_PID, 8, Norm::None, Recv::None, 0, 4, true},
    {IPC_KIND_NEW_PID, 4, Norm::None, Recv::AtLeast, 8, 8, true},
    {IPC_KIND_SET_VALUE_ALL, 6, Norm::None, Recv::None, 0, 4, true},
    {IPC_KIND_GET_VALUE_ALL, 4, Norm::None, Recv::AtLeast, 6, 6, true},
    {IPC_KIND_IOCTL, P, Norm::Zero4, Recv::Payload, 0, P, true},
    {IPC_KIND_SET_VALUE, 18, Norm::Address4, Recv::None, 0, 4, true},
    {IPC_KIND_GET_VALUE, 16, Norm::Address4, Recv::AtLeast, 6, 6, true},
    {IPC_KIND_CANCEL, P, Norm::Zero13, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_CONF_REQUEST, P, Norm::ConfRequest, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_UNCONF_REQUEST, P, Norm::UnconfRequest, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_SERVER_DROP, 12, Norm::None, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_SERVER_INVALID, 12, Norm::None, Recv::Invalid, 0, 0, false},
    {IPC_KIND_SERVER_ACK, P, Norm::Zero13, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_SERVER_ERROR, P, Norm::Zero13, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_SERVER_REJECT, P, Norm::Zero13, Recv::AtLeast, 12, 12, true},
    {IPC_KIND_SERVER_ABORT, P, Norm::Zero13, Recv::AtLeast, 12, 12, true},
};

const KindRule* FindKind(uint16_t kind) {
  for (const KindRule& r : kKinds)
    if (r.kind == kind) return &r;
  return nullptr;
}

// 68 + P without wrapping; a P that cannot be framed gives 0.
uint32_t WithPayload(uint32_t payloadLen) {
  if (payloadLen > IPC_LENGTH_TOP_BIT - 1 - IPC_PAYLOAD_OFFSET) return 0;
  return IPC_PAYLOAD_OFFSET + payloadLen;
}

}  // namespace

uint32_t IpcFrameCap(uint32_t maxApdu, uint32_t maxSegments) {
  uint64_t payload = std::max<uint64_t>(uint64_t{maxApdu} * maxSegments, IPC_IOCTL_MAX_PAYLOAD);
  return uint32_t(std::min<uint64_t>(IPC_PAYLOAD_OFFSET + payload, IPC_LENGTH_TOP_BIT - 1));
}

IpcLengthCheck IpcLengthWordCheck(uint32_t length, uint32_t cap) {
  if ((length & IPC_LENGTH_TOP_BIT) != 0) return IpcLengthCheck::TopBit;
  return length > cap ? IpcLengthCheck::AboveCap : IpcLengthCheck::Ok;
}

bool IpcWholeFrameAt(std::span<const uint8_t> bytes, uint32_t cap) {
  if (bytes.size() < IPC_LENGTH_WORD) return false;
  const uint32_t length = IpcGet32(bytes, 0);
  return IpcLengthWordCheck(length, cap) == IpcLengthCheck::Ok &&
         bytes.size() - IPC_LENGTH_WORD >= length;
}

bool IpcKindCarriesPayload(uint16_t kind) {
  const KindRule* r = FindKind(kind);
  return r != nullptr && r->sent == P;
}

uint32_t IpcSentLength(uint16_t kind, uint32_t payloadLen) {
  const KindRule* r = FindKind(kind);
  if (r == nullptr) return 4;
  return r->sent == P ? WithPayload(payloadLen) : r->sent;
}

uint32_t IpcReplyLength(uint16_t kind, uint32_t payloadLen) {
  const KindRule* r = FindKind(kind);
  if (r == nullptr || !r->daemonSends) return 0;
  return r->reply == P ? WithPayload(payloadLen) : r->reply;
}

uint32_t IpcFrameNormalise(std::span<uint8_t> m) {
  if (m.size() < 4) return 0;
  uint16_t kind = IpcGet16(m, IPC_OFF_KIND);
  uint32_t payloadLen = IpcGet32(m, IPC_OFF_PAYLOAD_LEN);
  uint32_t length = IpcSentLength(kind, payloadLen);
  if (length == 0 || length > m.size()) return 0;
  IpcPut16(m, IPC_OFF_STATUS, 0);
  const KindRule* r = FindKind(kind);
  switch (r == nullptr ? Norm::None : r->norm) {
    case Norm::None:
      break;
    case Norm::Register:
      for (size_t i = 0; i < sizeof IPC_LIBRARY_VERSION; ++i)
        m[IPC_OFF_REG_VERSION + i] = IPC_LIBRARY_VERSION[i];
      break;
    case Norm::SetParams:
      ClearUnsetParams(m);
      break;
    case Norm::Address4:
      IpcAddressNormalise(m, IPC_OFF_VALUE_ADDR);
      break;
    case Norm::Zero4:
      IpcZero(m, IPC_OFF_TSM_INDEX, IPC_HEADER_SIZE);
      break;
    case Norm::Zero13:
      IpcZero(m, IPC_OFF_SERVICE, IPC_HEADER_SIZE);
      break;
    case Norm::ConfRequest: {
      IpcPut16(m, IPC_OFF_PAD, 0);
      IpcAddressNormalise(m, IPC_OFF_LOCAL_ADDR);
      IpcAddressNormalise(m, IPC_OFF_REMOTE_ADDR);
      // Only a requester that can receive segments accepts a segmented reply.
      bool canReceive = (IpcGet16(m, IPC_OFF_SEGMENTATION) & 1) == 0;
      m[IPC_OFF_SEG_ACCEPTED] = canReceive ? 1 : 0;
      break;
    }
    case Norm::UnconfRequest:
      IpcPut16(m, IPC_OFF_PAD, 0);
      IpcAddressNormalise(m, IPC_OFF_LOCAL_ADDR);
      IpcAddressNormalise(m, IPC_OFF_REMOTE_ADDR);
      IpcZero(m, IPC_OFF_APDU_TIMEOUT, IPC_HEADER_SIZE);
      break;
  }
  return length;
}

// ---------------------------------------------------------------- receive check

uint16_t IpcVersionCheck(std::span<uint8_t> reply) {
  uint32_t version =
      IpcGet8(reply, IPC_OFF_REPLY_MAJOR) * 256u + IpcGet8(reply, IPC_OFF_REPLY_MINOR);
  if (version <= 0x0601) IpcPut16(reply, IPC_OFF_STATUS, IPC_DAEMON_OLD_RUNTIME);
  return IpcGet16(reply, IPC_OFF_STATUS);
}

IpcCheck IpcFrameVerify(std::span<uint8_t> m) {
  size_t length = m.size();
  if (length < 4) return IpcCheck::BadLength;
  uint16_t kind = IpcGet16(m, IPC_OFF_KIND);
  const KindRule* r = FindKind(kind);
  // An unknown kind is refused whatever its status.
  if (r == nullptr || r->recv == Recv::Invalid) return IpcCheck::BadKind;

  uint16_t status = IpcGet16(m, IPC_OFF_STATUS);
  if (status != 0 && (kind & IPC_KIND_CHECKED_BIT) == 0) {
    // A refusal carries only its status, but a registration reply is
    // always read up to the user identifier. Its status stands: the
    // version check would hide the daemon's own reason.
    if (kind == IPC_KIND_REGISTER && length < IPC_REGISTER_REPLY_MIN) return IpcCheck::BadLength;
    return IpcCheck::Ok;
  }

  auto payloadOk = [&] {
    return length >= IPC_PAYLOAD_OFFSET && length - IPC_PAYLOAD_OFFSET == IpcPayloadLength(m);
  };
  switch (r->recv) {
    case Recv::None:
      return IpcCheck::Ok;
    case Recv::AtLeast:
      return length >= r->recvMin ? IpcCheck::Ok : IpcCheck::BadLength;
    case Recv::Payload:
      return payloadOk() ? IpcCheck::Ok : IpcCheck::BadLength;
    case Recv::Aborted:
      return length == IPC_PAYLOAD_OFFSET + 1 && IpcPayloadLength(m) == 1 ? IpcCheck::Ok
                                                                          : IpcCheck::BadLength;
    case Recv::Indication:
      if (!payloadOk()) return IpcCheck::BadLength;
      if (m[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] > LINK_MAC_MAX ||
          m[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] > LINK_MAC_MAX)
        return IpcCheck::MacTooLong;
      // A requester that refuses segmented replies cannot receive segments.
      if (kind == IPC_KIND_CONF_INDICATION && m[IPC_OFF_SEG_ACCEPTED] == 0)
        IpcPut16(m, IPC_OFF_SEGMENTATION, IpcGet16(m, IPC_OFF_SEGMENTATION) | 2);
      return IpcCheck::Ok;
    case Recv::Register:
      if (length < IPC_REGISTER_REPLY_MIN) return IpcCheck::BadLength;
      return IpcVersionCheck(m) == IPC_DAEMON_OLD_RUNTIME ? IpcCheck::OldRuntime : IpcCheck::Ok;
    case Recv::Invalid:
      break;
  }
  return IpcCheck::BadKind;
}

// ---------------------------------------------------------------- status maps

namespace {

// The maps as the link defines them, number for number.
struct StatusPair {
  uint16_t from;
  uint32_t to;
};

constexpr StatusPair kDaemonStatus[] = {
    {0, 0},    {1, 1},    {4, 2},    {5, 3},    {6, 3},    {8, 10},   {256, 6},  {258, 69},
    {259, 8},  {260, 7},  {263, 74}, {264, 11}, {266, 77}, {513, 78}, {514, 78}, {515, 78},
    {516, 78}, {775, 78}, {517, 80}, {518, 82}, {769, 45}, {772, 79},
};

constexpr StatusPair kOutcome[] = {
    {0, 0},   {1, 58}, {2, 59},  {3, 60},  {10, 61}, {11, 62}, {12, 65},
    {30, 16}, {70, 3}, {71, 71}, {72, 72}, {73, 73}, {74, 74}, {75, 8},
    {76, 70}, {78, 7}, {79, 11}, {80, 80}, {81, 82}, {82, 79},
};

template <size_t N>
uint32_t MapStatus(const StatusPair (&table)[N], uint16_t from) {
  for (const StatusPair& p : table)
    if (p.from == from) return p.to;
  return IPC_STATUS_FAILED;
}

}  // namespace

uint32_t IpcDaemonStatusMap(uint16_t daemonStatus) {
  return MapStatus(kDaemonStatus, daemonStatus);
}

uint32_t IpcOutcomeMap(uint16_t outcome) { return MapStatus(kOutcome, outcome); }
