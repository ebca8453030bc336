// Helpers of the link tests: raw frames and a scripted peer end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"

using IpcBytes = std::vector<uint8_t>;

// A frame on the wire: the length word, then the message.
IpcBytes IpcWireFrame(std::span<const uint8_t> message);
// A message of `size` bytes of the kind, with the payload length word set
// when the message reaches it.
IpcBytes IpcTestMessage(uint16_t kind, size_t size, uint32_t payloadLen = 0);

// Writes all bytes to a socket; false on failure.
bool IpcTestWriteAll(int fd, std::span<const uint8_t> bytes);
// Writes one byte at a time, each only after the reading side has taken the
// one before (on a local socket every read then sees a single byte; over
// TCP the send queue empties on the acknowledgement). False on failure or
// after the deadline.
bool IpcTestWriteBytewise(int fd, std::span<const uint8_t> bytes,
                          std::chrono::milliseconds deadline);
// Reads exactly n bytes within the deadline; fewer when the stream ends or
// the deadline passes.
IpcBytes IpcTestReadExactly(int fd, size_t n, std::chrono::milliseconds deadline);
// True when the stream ends (a read returns 0) within the deadline.
bool IpcTestWaitForEnd(int fd, std::chrono::milliseconds deadline);

// A listening local socket in a fresh directory that $VELMORA_PIPE_DIR
// points at, so that the connection name "\\.\pipe\<name>" reaches it.
class IpcTestListener {
 public:
  IpcTestListener();  // local socket
  explicit IpcTestListener(bool tcp);
  ~IpcTestListener();
  IpcTestListener(const IpcTestListener&) = delete;
  IpcTestListener& operator=(const IpcTestListener&) = delete;

  const std::string& ConnName() const { return connName_; }
  // Accepts one connection within the deadline; -1 on failure.
  int Accept(std::chrono::milliseconds deadline);
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  TempDir dir_;  // of the local socket
  std::string path_;
  std::string connName_;
};
