// The communication parameters of a confirmed request: a mask and eight
// fields, each valid when its bit is set. The library's defaults live in the
// transaction layer; a device image may hold its own.
#pragma once

#include <cstdint>

// Field mask bits of CommParams.
enum : uint32_t {
  COMM_APDU_LENGTH = 0x01,
  COMM_SEGMENTATION = 0x02,
  COMM_MAX_SEGS_ACCEPTED = 0x04,
  COMM_WINDOW_SIZE = 0x08,
  COMM_SEG_TIMEOUT = 0x10,
  COMM_APDU_TIMEOUT = 0x20,
  COMM_RETRIES = 0x40,
  COMM_MAX_SEGS_TO_SEND = 0x80,
};

struct CommParams {
  uint32_t mask;
  uint32_t apduLength;
  uint32_t maxSegsAccepted;
  uint32_t windowSize;
  uint32_t segTimeout;
  uint32_t apduTimeout;
  uint32_t retries;
  uint32_t segmentation;
  uint32_t maxSegsToSend;
};
