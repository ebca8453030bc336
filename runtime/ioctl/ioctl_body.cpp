#include "runtime/ioctl/ioctl_body.h"

namespace {

constexpr uint16_t kVendorTag = TagContext(0);
constexpr uint16_t kServiceTag = TagContext(1);

void Verdict(IoctlParsedRequest* out, IoctlVerdict verdict, IoctlStatus status = 0,
             uint8_t reason = 0) {
  out->verdict = verdict;
  out->status = status;
  out->reason = reason;
}

// Every value must be an application-tagged one inside the block.
bool ValuesReadable(TagCursor values, uint8_t* reason) {
  while (values.remaining > 0) {
    uint16_t tag;
    uint32_t length;
    if (!TagCursorReadHeader(&values, &tag, &length) || length > values.remaining) {
      *reason = IOCTL_REJECT_INVALID_TAG;
      return false;
    }
    if (tag & TAG_CLASS_CONTEXT) {
      *reason = IOCTL_REJECT_INVALID_DATA_TYPE;
      return false;
    }
    values.next += length;
    values.remaining -= length;
  }
  return true;
}

// What follows our vendor identifier and service number; false for a body
// of another vendor or service, or one that ends there.
bool ReadOurFrame(const uint8_t* body, uint32_t length, TagCursor* rest) {
  TagCursor c{body, body ? length : 0};
  uint32_t vendor, service;
  if (!TagCursorReadU32(&c, kVendorTag, &vendor) || vendor != IOCTL_VENDOR_ID ||
      !TagCursorReadU32(&c, kServiceTag, &service) || service != IOCTL_SERVICE_NUMBER ||
      c.remaining == 0)
    return false;
  *rest = c;
  return true;
}

// The block lies between the opening tag and a closing tag that is the
// body's last octet.
bool ReadBlock(TagCursor rest, TagCursor* block) {
  if (rest.remaining < 2 || rest.next[0] != IOCTL_OPENING_TAG ||
      rest.next[rest.remaining - 1] != IOCTL_CLOSING_TAG)
    return false;
  *block = {rest.next + 1, rest.remaining - 2};
  return true;
}

}  // namespace

bool IoctlWriteFrame(TagStreamWriter* sink) {
  return TagStreamWriteU32(sink, kVendorTag, IOCTL_VENDOR_ID) &&
         TagStreamWriteU32(sink, kServiceTag, IOCTL_SERVICE_NUMBER) &&
         TagStreamWriteHeader(sink, TagOpening(2), 0);
}

bool IoctlSkipFrame(TagCursor* cursor) {
  const TagCursor start = *cursor;
  uint32_t value;
  uint16_t tag;
  uint32_t length;
  if (TagCursorReadU32(cursor, kVendorTag, &value) &&
      TagCursorReadU32(cursor, kServiceTag, &value) && TagCursorReadHeader(cursor, &tag, &length))
    return true;
  *cursor = start;
  return false;
}

bool IoctlAnswerWellFormed(const uint8_t* body, uint32_t length) {
  TagCursor rest{}, block{};
  IoctlStatus status;
  uint8_t reason;
  return ReadOurFrame(body, length, &rest) && ReadBlock(rest, &block) &&
         TagCursorReadU32(&block, TAG_ENUMERATED, &status) && ValuesReadable(block, &reason);
}

bool IoctlWriteStatusAnswer(TagStreamWriter* sink, IoctlStatus status) {
  return IoctlWriteFrame(sink) && TagStreamWriteU32(sink, TAG_ENUMERATED, status) &&
         TagStreamWriteHeader(sink, TagClosing(2), 0);
}

void IoctlParseRequest(const uint8_t* body, uint32_t length, IoctlParsedRequest* out) {
  *out = {};
  TagCursor rest{}, block{};
  if (!ReadOurFrame(body, length, &rest)) {
    Verdict(out, IoctlVerdict::NotIoctl);
    return;
  }
  if (!ReadBlock(rest, &block)) {
    Verdict(out, IoctlVerdict::Reject, 0, IOCTL_REJECT_INVALID_TAG);
    return;
  }
  if (block.remaining == 0) {
    Verdict(out, IoctlVerdict::Answer, IOCTL_STATUS_INVALID_NUM_ARG);
    return;
  }
  if (!TagCursorReadU32(&block, TAG_ENUMERATED, &out->code)) {
    Verdict(out, IoctlVerdict::Answer, IOCTL_STATUS_INVALID_PARAM);
    return;
  }
  uint8_t reason = 0;
  if (!ValuesReadable(block, &reason)) {
    Verdict(out, IoctlVerdict::Reject, 0, reason);
    return;
  }
  out->values = block;
  Verdict(out, IoctlVerdict::Request);
}
