// The tag stream reader and the serving side's reading of ioctl bodies. The
// input is a received body: its verdict must be one the serving side can
// answer, a request's inputs must lie inside it and read back the same from
// a body rebuilt around them, and it is a well-formed answer exactly when
// it reads as a request; and the input walked as a tag stream with every
// reader must never be read outside, never move the cursor on a failed
// read, and give values that write and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/ioctl/ioctl_body.h"
#include "runtime/ioctl/tag_stream.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

struct VectorSink {
  TagStreamWriter writer{Write};
  std::vector<uint8_t> bytes;
  static bool Write(TagStreamWriter* w, const uint8_t* data, uint32_t count) {
    auto* s = reinterpret_cast<VectorSink*>(w);
    s->bytes.insert(s->bytes.end(), data, data + count);
    return true;
  }
};

bool Same(const TagCursor& a, const TagCursor& b) {
  return a.next == b.next && a.remaining == b.remaining;
}

void CheckRequest(const uint8_t* begin, const uint8_t* end, const IoctlParsedRequest& r) {
  switch (r.verdict) {
    case IoctlVerdict::NotIoctl:
      return;
    case IoctlVerdict::Answer:
      Require(r.status == IOCTL_STATUS_INVALID_NUM_ARG || r.status == IOCTL_STATUS_INVALID_PARAM);
      return;
    case IoctlVerdict::Reject:
      Require(r.reason == IOCTL_REJECT_INVALID_TAG || r.reason == IOCTL_REJECT_INVALID_DATA_TYPE);
      return;
    case IoctlVerdict::Request:
      break;
  }
  Require(r.values.next >= begin && r.values.remaining <= size_t(end - r.values.next));
  // The closing tag follows the inputs and ends the body.
  Require(r.values.next + r.values.remaining == end - 1 && end[-1] == IOCTL_CLOSING_TAG);
  VectorSink sink;
  Require(IoctlWriteFrame(&sink.writer) && TagStreamWriteU32(&sink.writer, TAG_ENUMERATED, r.code));
  sink.bytes.insert(sink.bytes.end(), r.values.next, r.values.next + r.values.remaining);
  sink.bytes.push_back(IOCTL_CLOSING_TAG);
  IoctlParsedRequest again;
  IoctlParseRequest(sink.bytes.data(), uint32_t(sink.bytes.size()), &again);
  Require(again.verdict == IoctlVerdict::Request && again.code == r.code &&
          again.values.remaining == r.values.remaining &&
          std::memcmp(again.values.next, r.values.next, r.values.remaining) == 0);
}

// Writes a header or an integer read from the stream and reads it back.
void HeaderRoundTrip(uint16_t tag, uint32_t length) {
  VectorSink sink;
  if (!TagStreamWriteHeader(&sink.writer, tag, length)) return;
  TagCursor c{sink.bytes.data(), uint32_t(sink.bytes.size())};
  uint16_t t;
  uint32_t n;
  Require(TagCursorReadHeader(&c, &t, &n) && t == tag && n == length && c.remaining == 0);
}

void IntegerRoundTrip(const uint8_t value[8], uint16_t tag, bool isSigned) {
  VectorSink sink;
  Require(TagStreamWriteInteger(&sink.writer, 8, value, tag, isSigned));
  TagCursor c{sink.bytes.data(), uint32_t(sink.bytes.size())};
  uint8_t back[8];
  Require(TagCursorReadInteger(&c, 8, back, tag, isSigned) && c.remaining == 0 &&
          std::memcmp(back, value, 8) == 0);
}

// Tries each reader at the cursor; the first that succeeds moves it (a
// header alone, which says nothing of what follows, steps one octet). False
// at the end.
bool ReadOne(TagCursor* c, const uint8_t* end) {
  const TagCursor start = *c;
  auto failed = [&] {
    Require(Same(*c, start));
    return true;
  };
  uint8_t byte;
  uint32_t length;
  uint8_t value[8];
  bool read = false;

  if (TagCursorReadBoolean(c, &byte)) {
    Require(byte <= 1);
    read = true;
  }
  for (uint16_t tag : {TAG_UNSIGNED, TAG_ENUMERATED, TAG_SIGNED, TagContext(0), TagContext(1)}) {
    if (read || !failed()) break;
    if (TagCursorReadInteger(c, 8, value, tag, tag == TAG_SIGNED)) {
      IntegerRoundTrip(value, tag, tag == TAG_SIGNED);
      read = true;
    }
  }
  // A string's contents lie past its header and inside the input.
  const uint8_t* p = nullptr;
  if (!read && failed() &&
      (TagCursorReadCharString(c, &length, &p) ||
       (failed() && TagCursorReadOctetString(c, &length, &p)) ||
       (failed() && TagCursorReadBitString(c, &length, &byte, &p)))) {
    Require(p > start.next && length <= size_t(end - p) && p + length == c->next);
    read = true;
  }
  uint16_t tag;
  if (!read && failed() && TagCursorReadHeader(c, &tag, &length)) {
    HeaderRoundTrip(tag, length);
    *c = start;
  }
  if (!read && failed() && !TagCursorReadByte(c, &byte)) {
    Require(Same(*c, start) && start.remaining == 0);
    return false;
  }
  Require(c->next > start.next && c->next + c->remaining == end);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  // A copy of exactly the input's size, so that a read past it is caught.
  std::vector<uint8_t> body(data, data + size);
  const uint8_t* begin = body.data();
  const uint8_t* end = begin + size;

  IoctlParsedRequest r;
  IoctlParseRequest(begin, uint32_t(size), &r);
  CheckRequest(begin, end, r);
  // An answer is read as the serving side reads a request: a status, then
  // values of the block.
  Require(IoctlAnswerWellFormed(begin, uint32_t(size)) == (r.verdict == IoctlVerdict::Request));

  TagCursor c{begin, uint32_t(size)};
  while (ReadOne(&c, end)) {
  }
  Require(c.remaining == 0);
  return 0;
}
