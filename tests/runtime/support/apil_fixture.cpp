#include "tests/runtime/support/apil_fixture.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "runtime/apil/apil_addr.h"
#include "runtime/osa/osa.h"
#include "tests/support/socket_probe.h"

namespace {

void* CountingAlloc(VelmoraAllocator* self, uint32_t size) {
  auto* c = reinterpret_cast<CountingAllocator*>(self);
  void* block = malloc(size ? size : 1);
  if (block) {
    ++c->live;
    ++c->taken;
  }
  return block;
}

void CountingFree(VelmoraAllocator* self, void* block) {
  auto* c = reinterpret_cast<CountingAllocator*>(self);
  if (block) --c->live;
  free(block);
}

constexpr VelmoraAllocatorOps kCountingOps = {CountingAlloc, CountingFree};

VelmoraAddress Address(uint8_t remote, uint16_t network, std::initializer_list<uint8_t> mac) {
  VelmoraAddress a{};
  a.remote = remote;
  a.network = network;
  a.mac_length = uint8_t(mac.size());
  std::copy(mac.begin(), mac.end(), a.mac);
  return a;
}

}  // namespace

CountingAllocator::CountingAllocator() : base{&kCountingOps} {}

OsaCounters OsaCountersNow() {
  return {OsaStatGet(OSA_STAT_BLOCKS), OsaStatGet(OSA_STAT_BYTES), OsaStatGet(OSA_STAT_THREADS)};
}

VelmoraAddress LocalMac(std::initializer_list<uint8_t> mac) { return Address(0, 0, mac); }
VelmoraAddress RemoteMac(uint16_t network, std::initializer_list<uint8_t> mac) {
  return Address(1, network, mac);
}
VelmoraAddress LocalBroadcast() { return Address(0, 0, {}); }
VelmoraAddress RemoteBroadcast(uint16_t network) { return Address(1, network, {}); }
VelmoraAddress GlobalBroadcast() { return Address(1, VELMORA_GLOBAL_NETWORK, {}); }

LinkAddress LinkOf(const VelmoraAddress& a) {
  LinkAddress l{};
  EXPECT_TRUE(AddrFromPublic(&a, &l));
  return l;
}

std::string ReadTestSite(uint32_t apduTimeout) {
  return "[daemon]\nmac = 7f:00:00:01:ba:c0\napdu_timeout = " + std::to_string(apduTimeout) +
         R"(
[device 1001]
mac = c0:a8:01:0a:ba:c0
object-name = "Local One"
[object analog-input 1]
object-name = "Supply"
present-value = real 21.5
status-flags = bits 0000
[object analog-value 2]
object-name = "Setpoint"
present-value = real 7
priority-array = array null * 15, real 3

[device 2001]
mac = 01
network = 5
max_apdu = 50
segmentation = no-segmentation
object-name = "Remote Five"
description = "a text too long for an APDU of fifty octets, which needs segments"

[device 1003]
mac = c0:a8:01:0c:ba:c0
silent = yes
)";
}

const VelmoraAddress kSiteOne = LocalMac({0xc0, 0xa8, 0x01, 0x0a, 0xba, 0xc0});
const VelmoraAddress kSiteFive = RemoteMac(5, {0x01});
const VelmoraAddress kSiteSilent = LocalMac({0xc0, 0xa8, 0x01, 0x0c, 0xba, 0xc0});
const VelmoraAddress kSiteNobody = LocalMac({0xc0, 0xa8, 0x01, 0x0e, 0xba, 0xc0});

void ApilTest::SetUp() {
  ASSERT_FALSE(dir_.empty());
  setenv("VELMORA_PIPE_DIR", dir_.c_str(), 1);
  setenv("VELMORA_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
  ASSERT_NE(OsaInit(), nullptr);
}

void ApilTest::TearDown() {
  if (HasFailure()) {
    // A failure seen once under load is explained by what both sides said.
    std::string said = "library:\n" + debug_.Take();
    if (core_) {
      said += "daemon core:\n";
      for (const std::string& line : VmdLogLines(core_))
        said += line + "\n";
    }
    if (program_ > 0) said += "velmorad:\n" + ReadTextFile(dir_ + "/velmorad.log");
    std::fputs(said.c_str(), stderr);
  }
  VelmoraTerminate();
  if (core_) VmdStop(core_);
  core_ = nullptr;
  StopProgram();
  while (OsaRefCount() > 0)
    OsaTerm();
}

void ApilTest::StartCore(const std::string& site, const std::function<void(VmdBehaviour*)>& tune) {
  VmdConfig c;
  c.pipe_path = dir_ + "/velmora";
  c.log_quiet = true;
  c.frame_log = true;
  VmdSiteDefaults(&c.site);
  // Unanswered requests time out at once: the tests wait for that.
  c.site.apdu_timeout_ms = 0;
  std::string error;
  if (!site.empty()) {
    ASSERT_TRUE(VmdSiteParse(&c.site, site, "test.site", &error)) << error;
  }
  core_ = VmdStart(c, &error);
  ASSERT_NE(core_, nullptr) << error;
  if (tune) {
    VmdBehaviour b = VmdGetBehaviour(core_);
    tune(&b);
    VmdSetBehaviour(core_, b);
  }
}

void ApilTest::StartProgram(const std::string& program, const std::string& site) {
  const std::string sitePath = dir_ + "/test.site";
  const std::string logPath = dir_ + "/velmorad.log";
  if (!site.empty()) WriteTextFile(sitePath, site);
  program_ = fork();
  ASSERT_GE(program_, 0);
  if (program_ == 0) {
    if (site.empty())
      execl(program.c_str(), "velmorad", "--pipe", "velmora", "--log", logPath.c_str(), nullptr);
    else
      execl(program.c_str(), "velmorad", "--pipe", "velmora", "--site", sitePath.c_str(), "--log",
            logPath.c_str(), nullptr);
    _exit(127);
  }
  const std::string socket = dir_ + "/velmora";
  bool ended = false;
  ASSERT_TRUE(WaitUntil([&] {
    ended = waitpid(program_, nullptr, WNOHANG) != 0;
    return ended || UnixSocketListening(socket);
  })) << "velmorad does not listen: "
      << ReadTextFile(logPath);
  if (ended) program_ = -1;
  ASSERT_FALSE(ended) << "velmorad ended: " << ReadTextFile(logPath);
}

void ApilTest::StopProgram() {
  if (program_ <= 0) return;
  kill(program_, SIGTERM);
  if (!WaitUntil([&] { return waitpid(program_, nullptr, WNOHANG) != 0; },
                 std::chrono::seconds(10))) {
    kill(program_, SIGKILL);
    waitpid(program_, nullptr, 0);
    ADD_FAILURE() << "velmorad did not stop on SIGTERM";
  }
  program_ = -1;
}

VelmoraStatus ApilTest::Init(uint32_t devices, uint32_t objects) {
  VelmoraInitParams p;
  VelmoraInitDefaults(&p, 6, 2);
  VelmoraInitSetMaxDevices(&p, devices);
  VelmoraInitSetMaxObjects(&p, objects);
  return VelmoraInit(&p, 0);
}

VmdFrame ApilTest::Serve(uint8_t service, const std::vector<uint8_t>& request) {
  uint32_t index = 0, identifier = 0;
  const uint64_t after = Inject(service, request, &index, &identifier);
  return WaitAnswer(index, identifier, after);
}

uint64_t ApilTest::Inject(uint8_t service, const std::vector<uint8_t>& request, uint32_t* index,
                          uint32_t* identifier) {
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.params.service = service;
  in.payload = request;
  const uint64_t after = VmdFrames(core_).empty() ? 0 : VmdFrames(core_).back().seq;
  EXPECT_TRUE(VmdSendConfirmed(core_, 0, in, index, identifier));
  return after;
}

VmdFrame ApilTest::WaitAnswer(uint32_t index, uint32_t identifier, uint64_t after) {
  VmdFrame f{};
  EXPECT_TRUE(VmdWaitFrame(
      core_,
      [&](const VmdFrame& x) {
        return x.inbound && x.index == index && x.identifier == identifier &&
               (x.kind == IPC_KIND_SERVER_DROP ||
                (x.kind >= IPC_KIND_SERVER_ACK && x.kind <= IPC_KIND_SERVER_ABORT));
      },
      int(kTestWait.count()), &f, after));
  return f;
}

bool ApilTest::WaitDevices(uint32_t n) {
  return WaitUntil([&] {
    uint32_t total = 0;
    return VelmoraGetDeviceList(nullptr, 0, &total) && total == n;
  });
}

std::vector<uint32_t> ApilTest::DeviceInstances() {
  uint32_t total = 0;
  VelmoraGetDeviceList(nullptr, 0, &total);
  std::vector<VelmoraDeviceHandle> handles(total);
  std::vector<uint32_t> out;
  if (total == 0 || !VelmoraGetDeviceList(handles.data(), total, &total)) return out;
  for (VelmoraDeviceHandle h : handles) {
    uint32_t instance = 0;
    if (VelmoraGetDeviceInstNum(h, &instance)) out.push_back(instance);
  }
  std::sort(out.begin(), out.end());
  return out;
}

VelmoraDeviceHandle ApilTest::Discover(uint32_t instance, const VelmoraAddress& where) {
  if (VelmoraWhoIs(&where, int32_t(instance), int32_t(instance)) != VELMORA_STATUS_OK)
    return nullptr;
  VelmoraDeviceHandle found = nullptr;
  WaitUntil([&] { return (found = VelmoraFindDeviceByInstance(instance)) != nullptr; });
  return found;
}
