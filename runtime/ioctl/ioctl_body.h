#pragma once
// Ioctl bodies (see ioctl_codes.h): their frame, the status-only answer, and
// the reading of a received request as the serving side does it.

#include <cstdint>

#include "runtime/ioctl/ioctl_codes.h"
#include "runtime/ioctl/tag_stream.h"

// The frame's fixed octets after the vendor identifier: [1] 0xFFFFFFFF,
// then the opening tag [2].
inline constexpr uint8_t IOCTL_SERVICE_OCTETS[] = {0x1C, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr uint8_t IOCTL_OPENING_TAG = 0x2E;
inline constexpr uint8_t IOCTL_CLOSING_TAG = 0x2F;

// BACnet reject reasons the serving side gives.
inline constexpr uint8_t IOCTL_REJECT_INVALID_DATA_TYPE = 3;
inline constexpr uint8_t IOCTL_REJECT_INVALID_TAG = 4;

// Vendor identifier, service number and opening tag.
bool IoctlWriteFrame(TagStreamWriter* sink);
// Passes an answer's frame without comparing its values: the context 0
// and 1 unsigned values and one tag header. False, the cursor unchanged,
// when they are not there.
bool IoctlSkipFrame(TagCursor* cursor);
// Whether a remote device's acknowledgement answers an ioctl request: our
// vendor identifier and service number, then a result block closed by the
// body's last octet that starts with the status (enumerated) and holds
// only application-tagged values that lie inside it.
bool IoctlAnswerWellFormed(const uint8_t* body, uint32_t length);
// The frame, the status (enumerated) and the closing tag.
bool IoctlWriteStatusAnswer(TagStreamWriter* sink, IoctlStatus status);
// The octets of a status-only answer (frame, status, closing tag): 17 at most.
inline constexpr uint32_t IOCTL_STATUS_ANSWER_MAX = 17;

// What the serving side makes of a received ConfirmedPrivateTransfer body.
enum class IoctlVerdict {
  NotIoctl,  // another vendor or service, or nothing after the frame
  Answer,    // answer with `status` alone
  Reject,    // reject with `reason`
  Request,   // a request: `code` and its inputs in `values`
};
struct IoctlParsedRequest {
  IoctlVerdict verdict;
  IoctlStatus status;
  uint8_t reason;
  IoctlCode code;
  TagCursor values;  // the inputs after the code; the closing tag is not in it
};
// The block must open with [2] and end with its closing tag, or the request
// is rejected as an invalid tag; an empty block answers INVALID_NUM_ARG, an
// unreadable code INVALID_PARAM; an input that is context-tagged is rejected
// as an invalid data type, one that cannot be read or runs past the block as
// an invalid tag. `values` points into body.
void IoctlParseRequest(const uint8_t* body, uint32_t length, IoctlParsedRequest* out);
