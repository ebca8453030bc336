// The ioctl client against the velmorad program: the local daemon's
// application reports of this process and of a second client, gets before
// execution and a clone's own read position over a real answer, a remote
// device that answers ioctls (asynchronously, a thousand times over, without
// using up the transaction pool), and devices that refuse them with a Reject
// or a ConfirmedPrivateTransfer-Error.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/ioctl/velmora_ioctl.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/tsml/tsml.h"
#include "tests/daemon/support/daemon_fixture.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"
#include "tests/support/wait.h"

namespace {

constexpr uint16_t kPortId = 3;
constexpr uint32_t kServicesError = 5;          // error class services
constexpr uint32_t kOptionalNotSupported = 45;  // optional-functionality-not-supported
constexpr uint32_t kUnrecognizedService = 9;    // reject reason

const VelmoraAddress kAnswering = LocalMac({0xc0, 0xa8, 0x01, 0x0a, 0xba, 0xc0});
const VelmoraAddress kRejecting = LocalMac({0xc0, 0xa8, 0x01, 0x0b, 0xba, 0xc0});
const VelmoraAddress kErring = LocalMac({0xc0, 0xa8, 0x01, 0x0c, 0xba, 0xc0});

const char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
apdu_timeout = 200

[device 1001]
mac = c0:a8:01:0a:ba:c0
answers_ioctls = yes

[device 1002]
mac = c0:a8:01:0b:ba:c0
refuse_private_transfer = reject

[device 1003]
mac = c0:a8:01:0c:ba:c0
refuse_private_transfer = error
)";

// The name the kernel gives this process, as the daemon reads it.
std::string OwnComm() {
  std::ifstream in("/proc/self/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

class IoctlVelmoradTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartProgram(kVelmorad, kSite);
    VelmoraInitParams p;
    VelmoraInitDefaults(&p, 6, 2);
    VelmoraInitSetPortId(&p, kPortId);
    ASSERT_EQ(VelmoraInit(&p, 0), VELMORA_STATUS_OK);
  }

  // A local request of that code and unsigned inputs, executed.
  VelmoraIoctlHandle Local(IoctlCode code, std::initializer_list<uint32_t> inputs = {}) {
    VelmoraIoctlHandle h = VelmoraIoctlCreate();
    EXPECT_NE(h, 0u);
    EXPECT_TRUE(VelmoraIoPutEnum(h, code));
    for (uint32_t v : inputs)
      EXPECT_TRUE(VelmoraIoPutUnsigned(h, v));
    EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_OK);
    return h;
  }
  static IoctlStatus StatusOf(VelmoraIoctlHandle h) {
    uint32_t status = 0xFFFF;
    EXPECT_TRUE(VelmoraIoGetEnum(h, &status));
    return status;
  }
  static std::vector<uint32_t> Unsigneds(VelmoraIoctlHandle h, size_t n) {
    std::vector<uint32_t> out(n);
    for (uint32_t& v : out)
      EXPECT_TRUE(VelmoraIoGetUnsigned(h, &v));
    return out;
  }
  static std::vector<uint32_t> List(VelmoraIoctlHandle h) {
    uint32_t count = 0;
    EXPECT_TRUE(VelmoraIoGetUnsigned(h, &count));
    return Unsigneds(h, count);
  }
};

TEST_F(IoctlVelmoradTest, TheLocalDaemonReportsThisProcessAndAnotherClient) {
  TestDeadline deadline(std::chrono::seconds(60));
  const time_t before = time(nullptr);
  // A second client: a bare link that registers (8 client and 2 server
  // transactions) and stays.
  RawClient raw;
  IpcRegisterReply registered{};
  ASSERT_TRUE(RawConnectUnix(&raw, dir_ + "/velmora"));
  ASSERT_TRUE(IpcRegisterReplyRead(Register(&raw, 2), &registered));
  const uint32_t other = registered.userId;
  const uint32_t self = TsmlUserId();

  VelmoraIoctlHandle h = Local(IOCTL_APP_LIST_GET);
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  std::vector<uint32_t> apps = List(h);
  std::sort(apps.begin(), apps.end());
  std::vector<uint32_t> expected = {self, other};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(apps, expected);
  // Read in order once: a clone made now has nothing left to read, and
  // the request cannot be put into or executed again.
  VelmoraIoctlHandle clone = VelmoraIoctlClone(h);
  uint32_t value;
  EXPECT_FALSE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_FALSE(VelmoraIoPutUnsigned(h, 1));
  EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_TRUE(VelmoraIoctlDelete(clone));
  EXPECT_TRUE(VelmoraIoctlDelete(h));

  // What this process registered, and what the other did.
  h = Local(IOCTL_APP_INFO, {self});
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  const std::vector<uint32_t> head = Unsigneds(h, 3);
  EXPECT_EQ(head[0], 6u);
  EXPECT_EQ(head[1], 2u);
  EXPECT_GE(time_t(head[2]), before - 1);
  EXPECT_LE(time_t(head[2]), time(nullptr));
  uint32_t length = 0;
  const char* name = nullptr;
  ASSERT_TRUE(VelmoraIoGetCharString(h, &length, &name));
  EXPECT_EQ(std::string(name, length), OwnComm());
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, kPortId);
  uint8_t unused = 9;
  const uint8_t* bits = nullptr;
  ASSERT_TRUE(VelmoraIoGetBitString(h, &length, &unused, &bits));
  // The client pattern of libraries above 6.0, 40 bits.
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + length),
            (std::vector<uint8_t>{0x60, 0x00, 0x00, 0x3E, 0x00}));
  EXPECT_EQ(unused, 0);
  EXPECT_EQ(Unsigneds(h, 2), (std::vector<uint32_t>{150, 150}));
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  h = Local(IOCTL_APP_TSM_STATUS, {other});
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  const std::vector<uint32_t> tsms = Unsigneds(h, IOCTL_TSM_COUNT_COUNT);
  EXPECT_EQ(tsms[IOCTL_CLI_TSM_TOTAL], 8u);
  EXPECT_EQ(tsms[IOCTL_CLI_TSM_FREE], 8u);
  EXPECT_EQ(tsms[IOCTL_SRV_TSM_TOTAL], 2u);
  EXPECT_TRUE(VelmoraIoctlDelete(h));

  // Process identifiers as this process added them.
  ASSERT_EQ(TsmlProcessIdAdd(77), 0);
  ASSERT_EQ(TsmlProcessIdAdd(78), 0);
  h = Local(IOCTL_APP_PID_LIST_GET, {self});
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  EXPECT_EQ(List(h), (std::vector<uint32_t>{77, 78}));
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  h = Local(IOCTL_APP_STATISTICS, {self});
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  EXPECT_EQ(Unsigneds(h, IOCTL_APP_COUNTER_COUNT).size(), size_t(IOCTL_APP_COUNTER_COUNT));
  EXPECT_FALSE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_TRUE(VelmoraIoctlDelete(h));

  // An application that is not there, and a code the daemon does not know.
  const struct {
    IoctlCode code;
    IoctlStatus status;
  } refused[] = {{IOCTL_APP_INFO, IOCTL_STATUS_INVALID_APP_ID},
                 {IOCTL_APP_STATISTICS, IOCTL_STATUS_INVALID_APP_ID},
                 {IOCTL_APP_PID_LIST_GET, IOCTL_STATUS_INVALID_APP_ID},
                 {IOCTL_APP_TSM_STATUS, IOCTL_STATUS_INVALID_APP_ID},
                 {999, IOCTL_STATUS_NOT_SUPPORTED}};
  const uint32_t unknown = std::max(self, other) + 100;
  for (const auto& r : refused) {
    h = Local(r.code, {unknown});
    EXPECT_EQ(StatusOf(h), r.status) << r.code;
    EXPECT_FALSE(VelmoraIoGetUnsigned(h, &value)) << r.code;
    EXPECT_TRUE(VelmoraIoctlDelete(h));
  }
}

TEST_F(IoctlVelmoradTest, GetsBeforeExecutionFailAndAMidwayCloneReadsOnItsOwn) {
  TestDeadline deadline(std::chrono::seconds(60));
  const uint32_t self = TsmlUserId();
  // Gets on a request being built fail, and leave it as it was: the input
  // put after them still reaches the daemon, which answers this process's
  // registration.
  VelmoraIoctlHandle h = VelmoraIoctlCreate();
  ASSERT_TRUE(VelmoraIoPutEnum(h, IOCTL_APP_INFO));
  uint32_t value = 0, length = 0;
  const char* name = nullptr;
  VelmoraStatus status;
  EXPECT_FALSE(VelmoraIoGetEnum(h, &value));
  EXPECT_FALSE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_FALSE(VelmoraIoGetCharString(h, &length, &name));
  EXPECT_FALSE(VelmoraIoctlGetStatus(h, &status));
  ASSERT_TRUE(VelmoraIoPutUnsigned(h, self));
  EXPECT_FALSE(VelmoraIoGetUnsigned(h, &value));
  ASSERT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_OK);
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_OK);
  ASSERT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, 6u);

  // Cloned after the major version: both read the minor version next, and
  // the clone's reads further on leave the original where it was.
  VelmoraIoctlHandle clone = VelmoraIoctlClone(h);
  ASSERT_NE(clone, 0u);
  ASSERT_TRUE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_EQ(value, 2u);
  uint32_t connected = 0;
  ASSERT_TRUE(VelmoraIoGetUnsigned(clone, &connected));
  ASSERT_TRUE(VelmoraIoGetCharString(clone, &length, &name));
  EXPECT_EQ(std::string(name, length), OwnComm());
  ASSERT_TRUE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_EQ(value, kPortId);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, 2u);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, connected);
  // The original gone, the clone reads the rest of the answer on its own.
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  uint8_t unused = 0;
  const uint8_t* bits = nullptr;
  ASSERT_TRUE(VelmoraIoGetBitString(clone, &length, &unused, &bits));
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(Unsigneds(clone, 2), (std::vector<uint32_t>{150, 150}));
  EXPECT_FALSE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_TRUE(VelmoraIoctlDelete(clone));
}

// The completions of asynchronous requests to the answering device.
struct Remote {
  std::mutex lock;
  std::condition_variable done;
  int count = 0;
  std::vector<std::string> failures;
};
Remote* g_remote = nullptr;

void RemoteDone(VelmoraIoctlHandle h, const VelmoraAddress* to, VelmoraStatus status) {
  char thread[16] = {};
  pthread_getname_np(pthread_self(), thread, sizeof thread);
  std::string failure;
  uint32_t ioctlStatus = 99, count = 99;
  if (std::string(thread) != "confimed async ") failure = std::string("thread ") + thread;
  if (!to || std::memcmp(to->mac, kAnswering.mac, kAnswering.mac_length) != 0)
    failure = "destination";
  // A simulated device has no applications.
  if (status != VELMORA_STATUS_OK || !VelmoraIoGetEnum(h, &ioctlStatus) || ioctlStatus != 0 ||
      !VelmoraIoGetUnsigned(h, &count) || count != 0)
    failure = "answer " + std::to_string(status);
  if (!VelmoraIoctlDelete(h)) failure = "delete";
  std::lock_guard<std::mutex> g(g_remote->lock);
  if (!failure.empty()) g_remote->failures.push_back(failure);
  ++g_remote->count;
  g_remote->done.notify_all();
}

TEST_F(IoctlVelmoradTest, AsynchronousRemoteIoctlsGiveEveryTransactionBack) {
  TestDeadline deadline(std::chrono::seconds(120));
  Remote remote;
  g_remote = &remote;
  auto freeClientTsms = [&] {
    VelmoraIoctlHandle h = Local(IOCTL_APP_TSM_STATUS, {TsmlUserId()});
    EXPECT_EQ(StatusOf(h), IOCTL_STATUS_OK);
    const std::vector<uint32_t> counts = Unsigneds(h, IOCTL_TSM_COUNT_COUNT);
    VelmoraIoctlDelete(h);
    return counts[IOCTL_CLI_TSM_FREE];
  };
  const uint32_t freeBefore = freeClientTsms();
  // A thousand in a row: far more than the pool of 150 holds.
  for (int i = 0; i < 1000; ++i) {
    VelmoraIoctlHandle h = VelmoraIoctlCreate();
    ASSERT_TRUE(VelmoraIoPutEnum(h, IOCTL_APP_LIST_GET));
    ASSERT_TRUE(VelmoraIoctlSetCallback(h, RemoteDone, uint32_t(i)));
    ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kAnswering, nullptr), VELMORA_STATUS_OK) << i;
    std::unique_lock<std::mutex> g(remote.lock);
    ASSERT_TRUE(remote.done.wait_for(g, kTestWait, [&] { return remote.count > i; })) << i;
  }
  EXPECT_TRUE(remote.failures.empty()) << remote.failures.front();
  EXPECT_EQ(freeClientTsms(), freeBefore);
  g_remote = nullptr;
}

TEST_F(IoctlVelmoradTest, DevicesThatRefuseIoctlsGiveTheirRejectOrError) {
  TestDeadline deadline(std::chrono::seconds(60));
  const struct {
    const char* what;
    const VelmoraAddress* to;
    VelmoraStatus status;
    uint32_t kind, reason, code;
  } cases[] = {
      {"reject", &kRejecting, VELMORA_STATUS_BACNET_REJECT, VELMORA_FAILURE_REJECT,
       kUnrecognizedService, 0},
      {"error", &kErring, VELMORA_STATUS_BACNET_ERROR, VELMORA_FAILURE_ERROR, kServicesError,
       kOptionalNotSupported},
  };
  for (const auto& c : cases) {
    VelmoraIoctlHandle h = VelmoraIoctlCreate();
    ASSERT_TRUE(VelmoraIoPutEnum(h, IOCTL_DAEMON_INFO));
    EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, c.to, nullptr), c.status) << c.what;
    VelmoraFailure f{};
    ASSERT_TRUE(IoctlGetFailure(h, &f)) << c.what;
    EXPECT_EQ(f.kind, c.kind) << c.what;
    EXPECT_EQ(f.reason, c.reason) << c.what;
    if (c.kind == VELMORA_FAILURE_ERROR) {
      EXPECT_EQ(f.error_code, c.code) << c.what;
    }
    uint32_t reason = 0;
    EXPECT_EQ(VelmoraIoGetRejectReason(h, &reason), c.kind == VELMORA_FAILURE_REJECT) << c.what;
    EXPECT_TRUE(VelmoraIoctlDelete(h));
  }
  // The answering device, synchronously: its own port.
  VelmoraIoctlHandle h = VelmoraIoctlCreate();
  ASSERT_TRUE(VelmoraIoPutEnum(h, IOCTL_PORT_LIST_GET));
  ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kAnswering, nullptr), VELMORA_STATUS_OK);
  EXPECT_EQ(StatusOf(h), IOCTL_STATUS_OK);
  EXPECT_EQ(List(h), (std::vector<uint32_t>{1}));
  EXPECT_TRUE(VelmoraIoctlDelete(h));
}

}  // namespace
