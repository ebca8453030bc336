// Ioctl bodies: the frame and the status-only answer as octets, and what the
// serving side makes of received bodies, well formed or not.
#include "runtime/ioctl/ioctl_body.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/runtime/support/ioctl_frame.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(IoctlBodyTest, FrameAndStatusAnswerOctets) {
  static_assert(IOCTL_VENDOR_ID == 555);
  uint8_t room[IOCTL_STATUS_ANSWER_MAX];
  TagStreamBufferSink sink;
  TagStreamBufferSinkInit(&sink, room, sizeof room);
  ASSERT_TRUE(IoctlWriteFrame(&sink.writer));
  EXPECT_EQ(Bytes(room, room + sink.length), kIoctlFrame);

  TagStreamBufferSinkInit(&sink, room, sizeof room);
  ASSERT_TRUE(IoctlWriteStatusAnswer(&sink.writer, IOCTL_STATUS_NOT_SUPPORTED));
  EXPECT_EQ(Bytes(room, room + sink.length), IoctlFramed({0x91, 0x07, 0x2F}));
  TagStreamBufferSinkInit(&sink, room, sizeof room);
  ASSERT_TRUE(IoctlWriteStatusAnswer(&sink.writer, 0xFFFFFFFF));
  EXPECT_EQ(Bytes(room, room + sink.length), IoctlFramed({0x94, 0xFF, 0xFF, 0xFF, 0xFF, 0x2F}));

  // The frame is skipped without looking at its values.
  const Bytes answer = {0x09, 0x07, 0x1A, 0x12, 0x34, 0x2E, 0x91, 0x00, 0x2F};
  TagCursor c{answer.data(), uint32_t(answer.size())};
  ASSERT_TRUE(IoctlSkipFrame(&c));
  EXPECT_EQ(c.remaining, 3u);
  const Bytes noFrame = {0x09, 0x07, 0x2E};
  c = {noFrame.data(), uint32_t(noFrame.size())};
  EXPECT_FALSE(IoctlSkipFrame(&c));
  EXPECT_EQ(c.remaining, 3u);
}

TEST(IoctlBodyTest, ServingSideReadsOrRefusesEachBody) {
  const struct {
    const char* what;
    Bytes body;
    IoctlVerdict verdict;
    uint32_t detail;  // status, reason or code
    Bytes values;
  } cases[] = {
      {"a request",
       IoctlFramed({0x91, 0x0B, 0x21, 0x05, 0x2F}),
       IoctlVerdict::Request,
       11,
       {0x21, 0x05}},
      {"code 256 with no inputs",
       IoctlFramed({0x92, 0x01, 0x00, 0x2F}),
       IoctlVerdict::Request,
       256,
       {}},
      {"every application type",
       IoctlFramed({0x91, 0x01, 0x00, 0x11, 0x21, 0x01, 0x31, 0xFF, 0x72, 0x00, 'a', 0x60, 0x81,
                    0x00, 0x91, 0x02, 0x2F}),
       IoctlVerdict::Request,
       1,
       {0x00, 0x11, 0x21, 0x01, 0x31, 0xFF, 0x72, 0x00, 'a', 0x60, 0x81, 0x00, 0x91, 0x02}},
      {"another vendor",
       {0x0A, 0x02, 0x2C, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x0A, 0x2F},
       IoctlVerdict::NotIoctl,
       0,
       {}},
      {"another service",
       {0x0A, 0x02, 0x2B, 0x19, 0x01, 0x2E, 0x91, 0x0A, 0x2F},
       IoctlVerdict::NotIoctl,
       0,
       {}},
      {"the frame's values only",
       {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF},
       IoctlVerdict::NotIoctl,
       0,
       {}},
      {"nothing", {}, IoctlVerdict::NotIoctl, 0, {}},
      {"an empty block",
       IoctlFramed({0x2F}),
       IoctlVerdict::Answer,
       IOCTL_STATUS_INVALID_NUM_ARG,
       {}},
      {"an unsigned code",
       IoctlFramed({0x21, 0x0A, 0x2F}),
       IoctlVerdict::Answer,
       IOCTL_STATUS_INVALID_PARAM,
       {}},
      {"a five-octet code",
       IoctlFramed({0x95, 0x05, 1, 2, 3, 4, 5, 0x2F}),
       IoctlVerdict::Answer,
       IOCTL_STATUS_INVALID_PARAM,
       {}},
      // The block's tags are checked: an opening tag alone, another
      // opening tag, no closing tag, octets after it.
      {"an opening tag alone", IoctlFramed({}), IoctlVerdict::Reject, IOCTL_REJECT_INVALID_TAG, {}},
      {"opening tag 3",
       {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x3E, 0x91, 0x0A, 0x2F},
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"a value where the opening tag goes",
       {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x91, 0x0A, 0x2F},
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"no closing tag",
       IoctlFramed({0x91, 0x0A}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"an input octet 2F in place of the closing tag",
       IoctlFramed({0x91, 0x0A, 0x21, 0x2F}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"an octet after the closing tag",
       IoctlFramed({0x91, 0x0A, 0x2F, 0x00}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"a context-tagged input",
       IoctlFramed({0x91, 0x0B, 0x09, 0x05, 0x2F}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_DATA_TYPE,
       {}},
      {"a nested block",
       IoctlFramed({0x91, 0x0B, 0x3E, 0x3F, 0x2F}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_DATA_TYPE,
       {}},
      {"an input past the block",
       IoctlFramed({0x91, 0x0B, 0x22, 0x05, 0x2F}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
      {"an unreadable input header",
       IoctlFramed({0x91, 0x0B, 0xF8, 0xFF, 0x2F}),
       IoctlVerdict::Reject,
       IOCTL_REJECT_INVALID_TAG,
       {}},
  };
  for (const auto& c : cases) {
    IoctlParsedRequest r;
    IoctlParseRequest(c.body.data(), uint32_t(c.body.size()), &r);
    EXPECT_EQ(r.verdict, c.verdict) << c.what;
    switch (c.verdict) {
      case IoctlVerdict::Answer:
        EXPECT_EQ(r.status, c.detail) << c.what;
        break;
      case IoctlVerdict::Reject:
        EXPECT_EQ(r.reason, c.detail) << c.what;
        break;
      case IoctlVerdict::Request:
        EXPECT_EQ(r.code, c.detail) << c.what;
        EXPECT_EQ(Bytes(r.values.next, r.values.next + r.values.remaining), c.values) << c.what;
        break;
      case IoctlVerdict::NotIoctl:
        break;
    }
  }
}

}  // namespace
