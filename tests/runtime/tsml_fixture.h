// Shared by the transaction-layer tests: a stand-in daemon of their own on a
// socket in a fresh directory and the operating-system layer. Each test
// also holds a TestDeadline: a hang ends the process instead of stalling.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bacnet/asn_status.h"
#include "daemon/vmd_core.h"
#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

// A request that is its own encoding: the encoder copies the bytes.
inline uint32_t EncodedSize(const void* r) {
  return uint32_t(static_cast<const std::vector<uint8_t>*>(r)->size());
}
inline int EncodeBytes(const void* r, TsmlStream* s) {
  const auto& b = *static_cast<const std::vector<uint8_t>*>(r);
  if (size_t(s->end - s->cursor) < b.size()) return ASN_NO_ROOM;
  std::memcpy(s->cursor, b.data(), b.size());
  s->cursor += b.size();
  return ASN_OK;
}
inline constexpr TsmlServiceDescriptor kReadProperty{12, EncodedSize, EncodeBytes};

inline CommParams CommMask(uint32_t mask) {
  CommParams p{};
  p.mask = mask;
  return p;
}

class TsmlDaemonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    setenv("VELMORA_PIPE_DIR", dir_.c_str(), 1);
    setenv("VELMORA_REGISTRY", (dir_ + "/registry").c_str(), 1);
    ASSERT_NE(OsaInit(), nullptr);
    TsmlConfigDefaults(TsmlConfigActive());
  }

  void TearDown() override {
    if (TsmlIsOpen()) TsmlShutdown();
    if (server_) VmdStop(server_);
    server_ = nullptr;
    OsaTerm();
  }

  // The daemon listens on the default connection name inside our directory;
  // with tcp also on a free local port, which the connection name then
  // points at.
  void StartDaemon(const std::function<void(VmdBehaviour*)>& tune = nullptr, bool tcp = false) {
    VmdConfig c;
    c.pipe_path = dir_ + "/velmora";
    c.log_quiet = true;
    c.frame_log = true;
    c.tcp = tcp;
    VmdSiteDefaults(&c.site);
    // Unanswered requests time out at once: the tests wait for that.
    c.site.apdu_timeout_ms = 0;
    std::string error;
    server_ = VmdStart(c, &error);
    ASSERT_NE(server_, nullptr) << error;
    if (tcp) {
      std::string name = "tcp:127.0.0.1:" + std::to_string(VmdTcpPort(server_));
      ASSERT_TRUE(SetCfgString("Tsml\\ConnIPC", name.c_str()));
    }
    if (tune) {
      VmdBehaviour b = VmdGetBehaviour(server_);
      tune(&b);
      VmdSetBehaviour(server_, b);
    }
  }

  // Inbound frames of one kind, in arrival order.
  std::vector<VmdFrame> Inbound(uint16_t kind) {
    std::vector<VmdFrame> out;
    for (const VmdFrame& f : VmdFrames(server_))
      if (f.inbound && f.kind == kind && f.length != 0) out.push_back(f);
    return out;
  }

  TempDir temp_;
  std::string dir_ = temp_.path();
  VmdServer* server_ = nullptr;
};
