// Library tests: a fresh directory with the registry and the daemon's
// socket, the operating-system layer held for the test (so that its
// counters can be compared), the log captured, and a daemon: the core
// in-process (scripts, injected requests) or the velmorad program.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "daemon/vmd_core.h"
#include "runtime/apil/velmora.h"
#include "tests/runtime/support/osa_fixture.h"

// The program under test, from the build tree the test belongs to.
#ifdef VELMORA_BINARY_DIR
inline const char* const kVelmorad = VELMORA_BINARY_DIR "/daemon/velmorad";
#endif

// Counts what the library takes from it and gives back.
struct CountingAllocator {
  VelmoraAllocator base;
  std::atomic<int> live{0};
  std::atomic<int> taken{0};
  CountingAllocator();
};

struct OsaCounters {
  uint32_t blocks, bytes, threads;
  bool operator==(const OsaCounters&) const = default;
};
OsaCounters OsaCountersNow();

class ApilTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The core on <dir>/velmora serving the site text (empty: the bare site).
  void StartCore(const std::string& site = "",
                 const std::function<void(VmdBehaviour*)>& tune = nullptr);
  // The velmorad program on the same socket with the site text (empty:
  // its demo site); waits until it serves.
  void StartProgram(const std::string& program, const std::string& site);
  void StopProgram();

  VelmoraStatus Init(uint32_t devices = 32, uint32_t objects = 32);
  // Injects a confirmed request into the core and returns the client's
  // answer to it (an acknowledgement, Error, Reject, Abort or drop).
  VmdFrame Serve(uint8_t service, const std::vector<uint8_t>& request);
  // The same in two steps: the request injected (its transaction's index
  // and identifier; the number of the last frame before it), then the
  // answer to it.
  uint64_t Inject(uint8_t service, const std::vector<uint8_t>& request, uint32_t* index,
                  uint32_t* identifier);
  VmdFrame WaitAnswer(uint32_t index, uint32_t identifier, uint64_t after);
  // Waits until the library knows n devices; their instances, sorted.
  bool WaitDevices(uint32_t n);
  std::vector<uint32_t> DeviceInstances();
  // The image of an instance, learnt from the daemon's I-Am.
  VelmoraDeviceHandle Discover(uint32_t instance, const VelmoraAddress& where);

  TempDir temp_;
  std::string dir_ = temp_.path();
  DebugCapture debug_;
  VmdServer* core_ = nullptr;
  pid_t program_ = -1;
};

// Public addresses.
VelmoraAddress LocalMac(std::initializer_list<uint8_t> mac);
VelmoraAddress RemoteMac(uint16_t network, std::initializer_list<uint8_t> mac);
VelmoraAddress LocalBroadcast();
VelmoraAddress RemoteBroadcast(uint16_t network);
VelmoraAddress GlobalBroadcast();
LinkAddress LinkOf(const VelmoraAddress& a);

// The site of the read tests: devices 1001 (an analog input and an analog
// value, each named) and 2001 on network 5 answer; 2001 cannot send
// segments, so its long description never fits; 1003 is silent. Their
// addresses, and one where nobody answers.
std::string ReadTestSite(uint32_t apduTimeout);
extern const VelmoraAddress kSiteOne;
extern const VelmoraAddress kSiteFive;
extern const VelmoraAddress kSiteSilent;
extern const VelmoraAddress kSiteNobody;
