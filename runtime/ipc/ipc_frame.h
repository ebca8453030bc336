// Frames and messages of the link between a client process and the stack
// daemon. Both sides use this file: it has no dependency on the rest of the
// runtime. Every integer on the wire is little-endian and is read and
// written field by field.
//
// A frame is a 32-bit length L followed by L bytes of message. L = 0 is the
// disconnect frame. Offsets below count from the first message byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/ipc/ipc_status.h"
#include "runtime/ipc/link_address.h"

// ---------------------------------------------------------------- kinds

enum IpcKind : uint16_t {
  IPC_KIND_CONFIRMATION = 0x0400,       // in: outcome of a client transaction
  IPC_KIND_SERVER_ABORTED = 0x0600,     // in: remote client aborted a served one
  IPC_KIND_CONF_INDICATION = 0x0700,    // in: received confirmed request
  IPC_KIND_UNCONF_INDICATION = 0x0701,  // in: received unconfirmed request
  IPC_KIND_REGISTER = 0x0800,           // out/in: registration and its reply
  IPC_KIND_SET_PARAMS = 0x0801,         // transfer parameters
  IPC_KIND_ADD_PID = 0x0802,
  IPC_KIND_REMOVE_PID = 0x0803,
  IPC_KIND_NEW_PID = 0x0804,
  IPC_KIND_SET_VALUE_ALL = 0x0805,
  IPC_KIND_GET_VALUE_ALL = 0x0806,
  IPC_KIND_IOCTL = 0x0807,
  IPC_KIND_SET_VALUE = 0x0808,
  IPC_KIND_GET_VALUE = 0x0809,
  IPC_KIND_CANCEL = 0x0C00,
  IPC_KIND_CONF_REQUEST = 0x0D00,
  IPC_KIND_UNCONF_REQUEST = 0x0D01,
  IPC_KIND_SERVER_DROP = 0x0E00,
  IPC_KIND_SERVER_INVALID = 0x0E01,  // never valid in either direction
  IPC_KIND_SERVER_ACK = 0x0E02,
  IPC_KIND_SERVER_ERROR = 0x0E03,
  IPC_KIND_SERVER_REJECT = 0x0E04,
  IPC_KIND_SERVER_ABORT = 0x0E05,
};

// Kinds with this bit are checked by length even when their status is set.
constexpr uint16_t IPC_KIND_CHECKED_BIT = 0x0400;
// The same bit marks the responses among the kinds of a control exchange:
// they carry the index and identifier of the served request they answer.
constexpr uint16_t IPC_KIND_RESPONSE_BIT = 0x0400;

// The daemon control kinds, registration to the per-address value.
constexpr bool IpcKindIsControl(uint16_t kind) {
  return kind >= IPC_KIND_REGISTER && kind <= IPC_KIND_GET_VALUE;
}
// The four answers to a served request (acknowledgement, Error, Reject,
// Abort).
constexpr bool IpcKindIsServerResponse(uint16_t kind) {
  return kind >= IPC_KIND_SERVER_ACK && kind <= IPC_KIND_SERVER_ABORT;
}
// Whether a client-sent message of this kind is 68 + P bytes: the payload
// length and a payload follow the header.
bool IpcKindCarriesPayload(uint16_t kind);

// ---------------------------------------------------------------- sizes

constexpr uint32_t IPC_LENGTH_WORD = 4;      // bytes of the frame's length
constexpr uint32_t IPC_HEADER_SIZE = 64;     // IpcMsgHeader
constexpr uint32_t IPC_PAYLOAD_OFFSET = 68;  // after the payload length
constexpr uint32_t IPC_LENGTH_TOP_BIT = 0x80000000u;
constexpr uint32_t IPC_REGISTER_LENGTH = 52;
constexpr uint32_t IPC_REGISTER_REPLY_MIN = 28;
constexpr uint32_t IPC_SET_PARAMS_LENGTH = 32;

// The largest ioctl body either side takes, request or answer.
constexpr uint32_t IPC_IOCTL_MAX_PAYLOAD = 1u << 20;
// The maximum APDU lengths a registration reply may announce.
constexpr uint32_t IPC_APDU_MIN = 50;
constexpr uint32_t IPC_APDU_MAX = 1476;

// The frame cap of a link before its owner derives one from its limits:
// room for every ioctl body and every unsegmented APDU. A length word
// beyond a link's cap is a broken or hostile peer, not a message.
constexpr uint32_t IPC_MAX_PAYLOAD = IPC_IOCTL_MAX_PAYLOAD;
constexpr uint32_t IPC_MAX_FRAME = IPC_PAYLOAD_OFFSET + IPC_MAX_PAYLOAD;

// The largest frame of a link whose transactions carry at most maxSegments
// segments of maxApdu bytes: room for the whole message those admit and
// for every ioctl body, and never more than a length word can say.
uint32_t IpcFrameCap(uint32_t maxApdu, uint32_t maxSegments);

// What a frame's length word allows before its bytes are read, the same for
// the daemon's reader and the library's: never the top bit, never beyond
// the reader's cap. 0 (the disconnect frame) passes.
enum class IpcLengthCheck {
  Ok,
  TopBit,
  AboveCap,
};
IpcLengthCheck IpcLengthWordCheck(uint32_t length, uint32_t cap);
// True when `bytes` start with a whole frame, its length word passing the
// check above and every byte it counts there: a reader takes it without
// another read.
bool IpcWholeFrameAt(std::span<const uint8_t> bytes, uint32_t cap);

// ---------------------------------------------------------------- offsets

constexpr size_t IPC_OFF_KIND = 0;          // 16-bit
constexpr size_t IPC_OFF_STATUS = 2;        // 16-bit
constexpr size_t IPC_OFF_TSM_INDEX = 4;     // 32-bit, or the first parameter
constexpr size_t IPC_OFF_TSM_ID = 8;        // 32-bit
constexpr size_t IPC_OFF_PARAMS = 12;       // 52-byte parameter area
constexpr size_t IPC_OFF_PAYLOAD_LEN = 64;  // 32-bit P
constexpr size_t IPC_OFF_PAYLOAD = 68;

// Transaction-bound parameter area.
constexpr size_t IPC_OFF_PRIORITY = 12;      // byte, low two bits used
constexpr size_t IPC_OFF_SERVICE = 13;       // byte
constexpr size_t IPC_OFF_PAD = 14;           // 16-bit, sent as 0
constexpr size_t IPC_OFF_LOCAL_ADDR = 16;    // LinkAddress
constexpr size_t IPC_OFF_REMOTE_ADDR = 28;   // LinkAddress
constexpr size_t IPC_OFF_APDU_TIMEOUT = 40;  // 32-bit ms
constexpr size_t IPC_OFF_RETRIES = 44;       // 32-bit
constexpr size_t IPC_OFF_MAX_APDU = 48;      // 32-bit
constexpr size_t IPC_OFF_SEG_ACCEPTED = 52;  // byte 1/0
constexpr size_t IPC_OFF_WINDOW = 53;        // byte
constexpr size_t IPC_OFF_SEGMENTATION = 54;  // 16-bit BACnet Segmentation
constexpr size_t IPC_OFF_MAX_SEGS = 56;      // 32-bit
constexpr size_t IPC_OFF_SEG_TIMEOUT = 60;   // 32-bit ms

// Confirmation (0x0400) uses bytes 12 to 15 its own way.
constexpr size_t IPC_OFF_OUTCOME = 12;  // 16-bit outcome code
constexpr size_t IPC_OFF_CONF_PRIORITY = 14;

// Control kinds. Their parameters are the message bytes from 4 to the end
// of the header.
constexpr size_t IPC_OFF_CONTROL = 4;
constexpr size_t IPC_OFF_PID = 4;         // 0x0802, 0x0803, 0x0804 reply
constexpr size_t IPC_OFF_VALUE_ALL = 4;   // 0x0805, 0x0806 reply, 0x0809 reply
constexpr size_t IPC_OFF_VALUE_ADDR = 4;  // 0x0808, 0x0809: LinkAddress
constexpr size_t IPC_OFF_VALUE = 16;      // 0x0808: 16-bit value

// Registration request (0x0800).
constexpr size_t IPC_OFF_REG_VERSION = 4;  // 4 bytes, the last spare
constexpr size_t IPC_OFF_REG_PORT_ID = 8;
constexpr size_t IPC_OFF_REG_FIXED = 12;  // 5 bytes, then 3 zero bytes
constexpr size_t IPC_OFF_REG_FIXED_END = 20;
constexpr size_t IPC_OFF_REG_CLI_POOL = 20;
constexpr size_t IPC_OFF_REG_SRV_POOL = 24;
constexpr size_t IPC_OFF_REG_APDU_TIMEOUT = 28;
constexpr size_t IPC_OFF_REG_RETRIES = 32;
constexpr size_t IPC_OFF_REG_SEGMENTATION = 36;  // 16-bit
constexpr size_t IPC_OFF_REG_WINDOW = 38;        // byte
constexpr size_t IPC_OFF_REG_FLAG39 = 39;        // byte
constexpr size_t IPC_OFF_REG_MAX_SEGS = 40;
constexpr size_t IPC_OFF_REG_SEG_TIMEOUT = 44;
constexpr size_t IPC_OFF_REG_MAX_PIDS = 48;

// Registration reply (0x0800).
constexpr size_t IPC_OFF_REPLY_MAJOR = 4;  // byte
constexpr size_t IPC_OFF_REPLY_MINOR = 5;  // byte
constexpr size_t IPC_OFF_REPLY_THIRD = 6;  // byte; byte 7 is spare
constexpr size_t IPC_OFF_REPLY_SPARE = 7;
constexpr size_t IPC_OFF_REPLY_MAX_APDU = 8;
constexpr size_t IPC_OFF_REPLY_LOCAL = 12;  // LinkAddress
constexpr size_t IPC_OFF_REPLY_USER_ID = 24;

// Set transfer parameters (0x0801).
constexpr size_t IPC_OFF_SET_MASK = 4;          // 16-bit IpcParamBit mask
constexpr size_t IPC_OFF_SET_SEGMENTATION = 6;  // 16-bit
constexpr size_t IPC_OFF_SET_APDU_LENGTH = 8;
constexpr size_t IPC_OFF_SET_MAX_SEGS = 12;
constexpr size_t IPC_OFF_SET_WINDOW = 16;
constexpr size_t IPC_OFF_SET_SEG_TIMEOUT = 20;
constexpr size_t IPC_OFF_SET_APDU_TIMEOUT = 24;
constexpr size_t IPC_OFF_SET_RETRIES = 28;

// ---------------------------------------------------------------- fields

// Little-endian access to a message (or any byte buffer). A field that does
// not lie wholly inside the buffer reads as 0 and is not written (false).
uint8_t IpcGet8(std::span<const uint8_t> m, size_t off);
uint16_t IpcGet16(std::span<const uint8_t> m, size_t off);
uint32_t IpcGet32(std::span<const uint8_t> m, size_t off);
bool IpcPut8(std::span<uint8_t> m, size_t off, uint8_t v);
bool IpcPut16(std::span<uint8_t> m, size_t off, uint16_t v);
bool IpcPut32(std::span<uint8_t> m, size_t off, uint32_t v);
// Sets bytes [from, to) to zero, as far as the buffer reaches.
void IpcZero(std::span<uint8_t> m, size_t from, size_t to);

bool LinkAddressRead(std::span<const uint8_t> m, size_t off, LinkAddress* a);
bool LinkAddressWrite(std::span<uint8_t> m, size_t off, const LinkAddress& a);
// Normalises the address stored at off in place.
bool IpcAddressNormalise(std::span<uint8_t> m, size_t off);

// ---------------------------------------------------------------- header

// The first 64 message bytes, taken apart. The parameter area is kept as
// its bytes; the records below read it by kind.
struct IpcMsgHeader {
  uint16_t kind;
  uint16_t status;
  uint32_t tsmIndex;  // or the first parameter word
  uint32_t tsmId;     // or parameters
  uint8_t params[52];
};

// Reads a header from the first bytes of a message; bytes that a short
// frame does not carry read as 0. False when fewer than 4 bytes are given.
bool IpcHeaderRead(std::span<const uint8_t> m, IpcMsgHeader* h);
// Writes the header over the first 64 bytes (false when m is shorter).
bool IpcHeaderWrite(std::span<uint8_t> m, const IpcMsgHeader& h);

// The transaction-bound parameter area (bytes 12 to 63).
struct IpcTxnParams {
  uint8_t priority;
  uint8_t service;
  LinkAddress local;
  LinkAddress remote;
  uint32_t apduTimeout;
  uint32_t retries;
  uint32_t maxApdu;
  uint8_t segAccepted;
  uint8_t window;
  uint16_t segmentation;
  uint32_t maxSegs;
  uint32_t segTimeout;
};

bool IpcTxnParamsRead(std::span<const uint8_t> m, IpcTxnParams* p);
bool IpcTxnParamsWrite(std::span<uint8_t> m, const IpcTxnParams& p);

// Payload length word and payload of the 68 + P kinds.
uint32_t IpcPayloadLength(std::span<const uint8_t> m);
// The payload bytes that the buffer actually holds (at most P).
std::span<const uint8_t> IpcPayload(std::span<const uint8_t> m);

// ---------------------------------------------------------------- registration

// Version the library announces at offset 4 (the fourth byte is spare).
constexpr uint8_t IPC_LIBRARY_VERSION[4] = {6, 2, 13, 0};
constexpr uint8_t IPC_REGISTER_FIXED[5] = {0x60, 0x00, 0x00, 0x3E, 0x00};
constexpr uint8_t IPC_REGISTER_FLAG39 = 1;

// Registration request (kind 0x0800, 52 bytes); fields at their offsets.
struct IpcRegisterRequest {
  uint8_t version[4];       // 4
  uint32_t portId;          // 8
  uint8_t fixed[5];         // 12; bytes 17 to 19 are zero
  uint32_t cliPoolSize;     // 20
  uint32_t srvPoolSize;     // 24
  uint32_t apduTimeout;     // 28
  uint32_t numRetries;      // 32
  uint16_t segmentation;    // 36
  uint8_t segWindowSize;    // 38
  uint8_t flag39;           // 39
  uint32_t maxSegAccepted;  // 40
  uint32_t segTimeout;      // 44
  uint32_t maxProcessIds;   // 48
};

// All fields 0 except the version, the fixed bytes and byte 39.
void IpcRegisterRequestInit(IpcRegisterRequest* r);
// Writes kind 0x0800, status 0 and the 48 parameter bytes (52 bytes).
bool IpcRegisterRequestWrite(std::span<uint8_t> m, const IpcRegisterRequest& r);
// Reads a received request; false when it is shorter than 52 bytes.
bool IpcRegisterRequestRead(std::span<const uint8_t> m, IpcRegisterRequest* r);

// Registration reply (kind 0x0800, at least 28 bytes).
struct IpcRegisterReply {
  uint16_t status;
  uint8_t major;
  uint8_t minor;
  uint8_t third;
  uint32_t maxApdu;
  LinkAddress local;
  uint32_t userId;
};

// Writes kind 0x0800 and the reply (28 bytes; byte 7 is 0).
bool IpcRegisterReplyWrite(std::span<uint8_t> m, const IpcRegisterReply& r);
// False when shorter than 28 bytes.
bool IpcRegisterReplyRead(std::span<const uint8_t> m, IpcRegisterReply* r);

// ---------------------------------------------------------------- transfer parameters

enum IpcParamBit : uint16_t {
  IPC_PARAM_APDU_LENGTH = 0x01,
  IPC_PARAM_SEGMENTATION = 0x02,
  IPC_PARAM_MAX_SEGS = 0x04,
  IPC_PARAM_WINDOW = 0x08,
  IPC_PARAM_SEG_TIMEOUT = 0x10,
  IPC_PARAM_APDU_TIMEOUT = 0x20,
  IPC_PARAM_RETRIES = 0x40,
};

// Set transfer parameters (kind 0x0801, 32 bytes).
struct IpcTransferParams {
  uint16_t mask;          // 4
  uint16_t segmentation;  // 6
  uint32_t apduLength;    // 8
  uint32_t maxSegs;       // 12
  uint32_t window;        // 16
  uint32_t segTimeout;    // 20
  uint32_t apduTimeout;   // 24
  uint32_t retries;       // 28
};

// Writes kind 0x0801 and the fields; a field whose bit is clear goes as 0.
bool IpcTransferParamsWrite(std::span<uint8_t> m, const IpcTransferParams& p);
bool IpcTransferParamsRead(std::span<const uint8_t> m, IpcTransferParams* p);

// ---------------------------------------------------------------- lengths

// The frame length L of a client-sent message of this kind with payload P.
uint32_t IpcSentLength(uint16_t kind, uint32_t payloadLen);

// The shortest valid frame of a kind the daemon sends (its own kinds and
// the acknowledgement of each client kind), with payload P where the kind
// carries one; 0 for a kind the daemon never sends.
uint32_t IpcReplyLength(uint16_t kind, uint32_t payloadLen);

// Prepares a message for sending: status 0, the kind's normalisation, and
// returns L. m is the message area (at least the bytes that L covers); 0
// when the area cannot hold the frame that the kind and P demand.
uint32_t IpcFrameNormalise(std::span<uint8_t> m);

// ---------------------------------------------------------------- receive check

enum class IpcCheck {
  Ok,
  OldRuntime,  // a registration reply from a runtime before 6.2; passes
  BadLength,
  MacTooLong,
  BadKind,
};

inline bool IpcCheckPasses(IpcCheck c) { return c == IpcCheck::Ok || c == IpcCheck::OldRuntime; }

// Checks a received message of L = m.size() bytes. May change it: the
// segmentation of a 0x0700 that refuses segmented responses gets bit 1,
// and an old runtime's registration reply gets IPC_DAEMON_OLD_RUNTIME.
IpcCheck IpcFrameVerify(std::span<uint8_t> m);

// Version check of a registration reply: when the runtime in bytes 4 and 5
// is older than 6.2, writes IPC_DAEMON_OLD_RUNTIME into the status.
// Returns the status field.
uint16_t IpcVersionCheck(std::span<uint8_t> reply);

// Log texts of the receive check (written at level ERROR).
constexpr const char IPC_TEXT_BAD_LENGTH[] = "IPC: PipeRead: Invalid data length";
constexpr const char IPC_TEXT_MAC_TOO_LONG[] = "IPC: PipeRead: MAC address is to long";
constexpr const char IPC_TEXT_BAD_KIND[] = "IPC: PipeRead: Invalid Low request %u";
constexpr const char IPC_TEXT_VERSIONS[] =
    "IPC: Inconsistent versions: Library is v%u.%u, Runtime is v%u.%u";

// ---------------------------------------------------------------- status maps

// Daemon statuses of acknowledgements and replies that either side names
// (velmorad's own meaning in brackets where it gives one).
constexpr uint16_t IPC_DAEMON_OK = 0;
constexpr uint16_t IPC_DAEMON_BUSY = 1;           // (a client that has not registered)
constexpr uint16_t IPC_DAEMON_BAD_PARAMETER = 4;  // (nothing to cancel, answer or remove)
constexpr uint16_t IPC_DAEMON_FULL = 5;           // (the process identifier list is full)
constexpr uint16_t IPC_DAEMON_EXISTS = 8;         // (a process identifier held already)
constexpr uint16_t IPC_DAEMON_OLD_RUNTIME = 266;  // written by the version check
constexpr uint16_t IPC_DAEMON_BAD_ADDRESS = 769;

// Outcome codes of a confirmation (0x0400) that either side names.
constexpr uint16_t IPC_OUTCOME_OK = 0;  // the answer's APDU data follows
constexpr uint16_t IPC_OUTCOME_ERROR = 1;
constexpr uint16_t IPC_OUTCOME_REJECT = 2;
constexpr uint16_t IPC_OUTCOME_ABORT = 3;
constexpr uint16_t IPC_OUTCOME_NO_ANSWER = 11;  // no device answered

// Daemon status of an acknowledgement or reply -> internal status code.
uint32_t IpcDaemonStatusMap(uint16_t daemonStatus);
// Outcome code of a confirmation (0x0400) -> internal status code.
uint32_t IpcOutcomeMap(uint16_t outcome);
