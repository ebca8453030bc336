// A daemon core started in-process on its own socket in a fresh directory,
// and a raw client that speaks frames to it with deadlines.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "daemon/vmd_core.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

// Every wait in these tests ends by this deadline: a hang fails, never stalls.
constexpr int kWaitMs = 5000;

struct RawClient {
  int fd = -1;
  std::vector<uint8_t> carry;  // bytes read past the last frame
  ~RawClient();
};

// Octet strings joined in order.
std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts);

bool RawConnectUnix(RawClient* c, const std::string& path);
bool RawConnectTcp(RawClient* c, uint16_t port);
void RawClose(RawClient* c);
bool RawSend(RawClient* c, std::span<const uint8_t> bytes);
bool RawSendFrame(RawClient* c, std::span<const uint8_t> message);
// Several frames in one write: the daemon takes them together, however late
// this side runs, so a frame meant to come before a delay runs out does.
bool RawSendFrames(RawClient* c, std::initializer_list<std::span<const uint8_t>> messages);
// 1: a frame was read into `message`; 0: the daemon closed the link first;
// -1: nothing whole arrived within the time.
int RawReadFrame(RawClient* c, std::vector<uint8_t>* message, int timeout_ms = kWaitMs);
// Sends one message and returns the next frame's message (empty, with a
// test failure, when none arrives in time).
std::vector<uint8_t> Ask(RawClient* c, std::span<const uint8_t> message);
// True when the link still answers: a value read (0x0806) gets its reply.
bool Answers(RawClient* c);
// True when the daemon closes the link within the time (frames before the
// close are skipped).
bool RawWaitClosed(RawClient* c, int timeout_ms = kWaitMs);
// True when nothing arrives and the link stays open for `ms`.
bool RawQuietFor(RawClient* c, int ms);

// A registration request as the library sends it.
std::vector<uint8_t> RegistrationRequest(uint32_t port_id = 0, uint32_t srv_pool = 4,
                                         uint32_t max_pids = 2);
// Registers and returns the reply (empty on failure).
std::vector<uint8_t> Register(RawClient* c, uint32_t srv_pool = 4, uint32_t max_pids = 2);

// A message of `kind` with 68 + payload bytes, or `fixed` bytes when not 0.
std::vector<uint8_t> Message(uint16_t kind, size_t fixed, std::span<const uint8_t> payload = {});

// A link address with that MAC, on network `net` (0: the local network).
LinkAddress Mac(std::initializer_list<uint8_t> mac, uint16_t net = 0);
// A confirmed request (0x0D00) as the library sends it.
std::vector<uint8_t> Confirmed(uint8_t service, const LinkAddress& to,
                               const std::vector<uint8_t>& request, uint32_t index = 3,
                               uint32_t id = 0xFFFFFFFFu, uint8_t priority = 2);
// An unconfirmed request (0x0D01) as the library sends it.
std::vector<uint8_t> Unconfirmed(uint8_t service, const LinkAddress& to,
                                 const std::vector<uint8_t>& request);

class DaemonTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // (Re)starts the daemon; the fixture starts one with TCP on an ephemeral port.
  void Start(const VmdConfig& config);
  VmdConfig BaseConfig() const;
  void Connect(RawClient* c);
  void ConnectRegistered(RawClient* c, uint32_t srv_pool = 4, uint32_t max_pids = 2);

  TempDir temp_;
  std::string dir_ = temp_.path();
  VmdServer* server_ = nullptr;
};
