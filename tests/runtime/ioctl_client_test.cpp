// The ioctl client through the library against the in-process daemon core:
// the bodies it sends (BACnet octets), the typed reading of answers from the
// local daemon and from remote devices, the one-way states of a request,
// asynchronous completions on their delivery thread, failures with their
// BACnet detail, and the serving of ioctls that arrive as requests.
#include "runtime/ioctl/velmora_ioctl.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/ipc/ipc_msg.h"
#include "runtime/tsml/tsml.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/runtime/support/ioctl_frame.h"
#include "tests/support/deadline.h"
#include "tests/support/wait.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A ConfirmedPrivateTransfer-Error: [0] the error, [1] vendor, [2] service.
Bytes PrivateTransferError(uint8_t errorClass, uint8_t errorCode) {
  return {0x0E, 0x91, errorClass, 0x91, errorCode, 0x0F, 0x1A,
          0x02, 0x2B, 0x2C,       0xFF, 0xFF,      0xFF, 0xFF};
}

// Refused by the transaction layer before anything is sent: an APDU length
// below 50 is out of range (12).
const CommParams kTooShort = {COMM_APDU_LENGTH, 49, 0, 0, 0, 0, 0, 0, 0};

const VelmoraAddress kDevice = LocalMac({0xc0, 0xa8, 0x01, 0x0a, 0xba, 0xc0});

std::string ThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

// What the daemon's local ioctl handler saw and answers.
struct LocalDaemon {
  std::mutex lock;
  std::vector<Bytes> bodies;
  Bytes answer;
  uint16_t status = 0;
};

class IoctlTest : public ApilTest {
 protected:
  void SetUp() override {
    ApilTest::SetUp();
    StartCore();
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
    VmdSetIoctlHandler(core_, [this](uint32_t, std::span<const uint8_t> body, Bytes* answer) {
      std::lock_guard<std::mutex> g(local_.lock);
      local_.bodies.emplace_back(body.begin(), body.end());
      *answer = local_.answer;
      return local_.status;
    });
  }

  void Answer(const Bytes& answer, uint16_t status = 0) {
    std::lock_guard<std::mutex> g(local_.lock);
    local_.answer = answer;
    local_.status = status;
  }
  std::vector<Bytes> Bodies() {
    std::lock_guard<std::mutex> g(local_.lock);
    return local_.bodies;
  }

  // Every remote ConfirmedPrivateTransfer gets this confirmation.
  void RemoteAnswers(uint16_t outcome, const Bytes& answer, int delayMs = 0) {
    VmdScriptClear(core_);
    VmdScriptRule r;
    r.service = 18;
    r.outcome = outcome;
    r.answer = answer;
    r.delay_ms = delayMs;
    VmdScriptAdd(core_, r);
  }
  // The payloads of the confirmed requests the daemon received.
  std::vector<Bytes> RemoteBodies() {
    std::vector<Bytes> out;
    for (const VmdFrame& f : VmdFrames(core_)) {
      if (!f.inbound || f.kind != IPC_KIND_CONF_REQUEST) continue;
      auto p = IpcPayload(f.bytes);
      out.emplace_back(p.begin(), p.end());
    }
    return out;
  }

  VelmoraIoctlHandle Request(IoctlCode code) {
    VelmoraIoctlHandle h = VelmoraIoctlCreate();
    EXPECT_NE(h, 0u);
    EXPECT_TRUE(VelmoraIoPutEnum(h, code));
    return h;
  }

  LocalDaemon local_;
};

TEST(IoctlStoppedTest, NothingWorksWhileTheLibraryIsStopped) {
  EXPECT_EQ(VelmoraIoctlCreate(), 0u);
  EXPECT_EQ(VelmoraIoctlExec(12345), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraIoctlExecRemote(12345, nullptr, &kDevice, nullptr),
            VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraIoctlServerRegister(
                [](const VelmoraAddress*, IoctlCode, VelmoraIoctlHandle) { return 0u; }),
            VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_FALSE(VelmoraIoctlDelete(12345));
}

TEST_F(IoctlTest, LocalBodyCarriesEveryInputAndTheAnswerReadsInOrder) {
  TestDeadline deadline(std::chrono::seconds(30));
  Answer(IoctlFramed({0x91, 0x00, 0x21, 0x02, 0x73, 0x00, 'h', 'i', 0x11, 0x2F}));
  VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
  const uint8_t octets[] = {1, 2}, bits[] = {0xE0};
  EXPECT_TRUE(VelmoraIoPutUnsigned(h, 5));
  EXPECT_TRUE(VelmoraIoPutSigned(h, -1));
  EXPECT_TRUE(VelmoraIoPutBoolean(h, true));
  EXPECT_TRUE(VelmoraIoPutCharString(h, -1, "ab"));
  EXPECT_TRUE(VelmoraIoPutCharString(h, 0, nullptr));
  EXPECT_TRUE(VelmoraIoPutOctetString(h, 2, octets));
  EXPECT_TRUE(VelmoraIoPutBitString(h, 1, 3, bits));
  EXPECT_FALSE(VelmoraIoPutCharString(h, 2, nullptr));
  EXPECT_FALSE(VelmoraIoPutBitString(h, 1, 8, bits));
  EXPECT_FALSE(VelmoraIoPutBitString(h, 0, 1, bits));
  EXPECT_FALSE(VelmoraIoPutClosingTag(h, 255));
  ASSERT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_OK);
  ASSERT_EQ(Bodies().size(), 1u);
  EXPECT_EQ(Bodies()[0], IoctlFramed({0x91, 0x0B, 0x21, 0x05, 0x31, 0xFF, 0x11, 0x73, 0x00, 'a',
                                      'b',  0x71, 0x00, 0x62, 0x01, 0x02, 0x82, 0x03, 0xE0, 0x2F}));

  VelmoraStatus status = -1;
  uint32_t value = 0, length = 0;
  const char* text = nullptr;
  uint8_t flag = 0;
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_OK);
  ASSERT_TRUE(VelmoraIoGetEnum(h, &value));
  EXPECT_EQ(value, IOCTL_STATUS_OK);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, 2u);
  // Another type does not move the read position.
  EXPECT_FALSE(VelmoraIoGetUnsigned(h, &value));
  ASSERT_TRUE(VelmoraIoGetCharString(h, &length, &text));
  EXPECT_EQ(std::string(text, length), "hi");
  ASSERT_TRUE(VelmoraIoGetBoolean(h, &flag));
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(VelmoraIoGetEnum(h, &value));  // the closing tag
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  EXPECT_FALSE(VelmoraIoctlGetStatus(h, &status));

  // Request codes in their shortest enumerated form.
  for (IoctlCode code : {0u, 256u}) {
    VelmoraIoctlHandle r = Request(code);
    ASSERT_EQ(VelmoraIoctlExec(r), VELMORA_STATUS_OK);
    EXPECT_TRUE(VelmoraIoctlDelete(r));
  }
  ASSERT_EQ(Bodies().size(), 3u);
  EXPECT_EQ(Bodies()[1], IoctlFramed({0x91, 0x00, 0x2F}));
  EXPECT_EQ(Bodies()[2], IoctlFramed({0x92, 0x01, 0x00, 0x2F}));
}

TEST_F(IoctlTest, ARequestIsPutThenExecutedOnceThenRead) {
  TestDeadline deadline(std::chrono::seconds(30));
  Answer(IoctlFramed({0x91, 0x00, 0x21, 0x01, 0x21, 0x02, 0x2F}));
  VelmoraIoctlHandle h = Request(IOCTL_APP_LIST_GET);
  uint32_t value = 0;
  VelmoraStatus status;
  EXPECT_FALSE(VelmoraIoGetEnum(h, &value));
  EXPECT_FALSE(VelmoraIoctlGetStatus(h, &status));
  ASSERT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_OK);
  EXPECT_FALSE(VelmoraIoPutUnsigned(h, 1));
  EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_FALSE(VelmoraIoctlSetCallback(h, nullptr, 7));
  EXPECT_EQ(Bodies().size(), 1u);

  // A clone reads on from where its original was; each moves on its own.
  ASSERT_TRUE(VelmoraIoGetEnum(h, &value));
  VelmoraIoctlHandle clone = VelmoraIoctlClone(h);
  ASSERT_NE(clone, 0u);
  ASSERT_TRUE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_EQ(value, 1u);
  ASSERT_TRUE(VelmoraIoGetUnsigned(clone, &value));
  EXPECT_EQ(value, 2u);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  ASSERT_TRUE(VelmoraIoctlGetStatus(clone, &status));
  EXPECT_EQ(status, VELMORA_STATUS_OK);
  EXPECT_TRUE(VelmoraIoctlDelete(clone));

  // A clone of a built request is executed on its own.
  VelmoraIoctlHandle built = Request(IOCTL_APP_INFO);
  ASSERT_TRUE(VelmoraIoctlSetCallback(built, nullptr, 42));
  VelmoraIoctlHandle copy = VelmoraIoctlClone(built);
  EXPECT_EQ(VelmoraIoctlGetUserData(copy), 42u);
  EXPECT_TRUE(VelmoraIoPutUnsigned(copy, 9));
  ASSERT_EQ(VelmoraIoctlExec(copy), VELMORA_STATUS_OK);
  ASSERT_EQ(VelmoraIoctlExec(built), VELMORA_STATUS_OK);
  ASSERT_EQ(Bodies().size(), 3u);
  EXPECT_EQ(Bodies()[1], IoctlFramed({0x91, 0x0B, 0x21, 0x09, 0x2F}));
  EXPECT_EQ(Bodies()[2], IoctlFramed({0x91, 0x0B, 0x2F}));
  EXPECT_TRUE(VelmoraIoctlDelete(copy));
  EXPECT_TRUE(VelmoraIoctlDelete(built));
}

TEST_F(IoctlTest, ARequestDeletedUnexecutedLeavesNothingAllocated) {
  VelmoraIoctlDelete(VelmoraIoctlCreate());  // the module's own table
  // Once the registration's answer is handed over the link's reader takes a
  // new pool message to read into; count from then on. It holds that and the
  // link's spare disconnect message.
  ASSERT_TRUE(WaitUntil([] { return IpcMsgPoolGetStats().heldMsgs == 2; }));
  const OsaCounters before = OsaCountersNow();
  const IpcMsgPoolStats pool = IpcMsgPoolGetStats();
  for (int i = 0; i < 3; ++i) {
    VelmoraIoctlHandle h = Request(IOCTL_APP_STATISTICS);
    std::vector<uint8_t> big(5000, 0x55);
    EXPECT_TRUE(VelmoraIoPutOctetString(h, uint32_t(big.size()), big.data()));
    EXPECT_TRUE(VelmoraIoctlDelete(h));
    EXPECT_FALSE(VelmoraIoctlDelete(h));
  }
  EXPECT_EQ(OsaCountersNow(), before);
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, pool.heldMsgs);
}

TEST_F(IoctlTest, LocalFailuresAndUnreadableAnswers) {
  TestDeadline deadline(std::chrono::seconds(30));
  // The daemon's status: bad parameter is internal 2, public 16.
  Answer({}, IPC_DAEMON_BAD_PARAMETER);
  VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
  EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_INVALID_PARAMETER);
  VelmoraStatus status;
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_INVALID_PARAMETER);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  // An answer without the frame: the exchange itself succeeded.
  Answer({0x91, 0x00});
  h = Request(IOCTL_APP_INFO);
  EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_UNKNOWN_ERROR);
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_OK);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
}

TEST_F(IoctlTest, RemoteAnswerIsReadAndTheBodyHasOneClosingTag) {
  TestDeadline deadline(std::chrono::seconds(30));
  RemoteAnswers(IPC_OUTCOME_OK, IoctlFramed({0x91, 0x00, 0x21, 0x07, 0x2F}));
  VelmoraIoctlHandle h = Request(IOCTL_APP_LIST_GET);
  // Refused calls come before the block is closed.
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, nullptr, nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  VelmoraAddress bad = kDevice;
  bad.mac_length = 8;
  EXPECT_EQ(VelmoraIoctlExecRemote(h, &bad, &kDevice, nullptr), VELMORA_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &bad, nullptr), VELMORA_STATUS_INVALID_ADDRESS);
  EXPECT_EQ(VelmoraIoctlExecRemote(h + 1, nullptr, &kDevice, nullptr),
            VELMORA_STATUS_INVALID_PARAMETER);
  ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_OK);
  const auto sent = RemoteBodies();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], IoctlFramed({0x91, 0x0A, 0x2F}));
  uint32_t value = 9;
  ASSERT_TRUE(VelmoraIoGetEnum(h, &value));
  EXPECT_EQ(value, IOCTL_STATUS_OK);
  ASSERT_TRUE(VelmoraIoGetUnsigned(h, &value));
  EXPECT_EQ(value, 7u);
  VelmoraFailure failure;
  EXPECT_FALSE(IoctlGetFailure(h, &failure));
  EXPECT_TRUE(VelmoraIoctlDelete(h));
}

TEST_F(IoctlTest, RemoteFailuresCarryTheirBacnetDetail) {
  TestDeadline deadline(std::chrono::seconds(60));
  const struct {
    const char* what;
    uint16_t outcome;
    Bytes answer;
    VelmoraStatus status;
    uint32_t kind, reason, code;  // of the failure record; kind 9: none
  } cases[] = {
      {"reject",
       IPC_OUTCOME_REJECT,
       {9},
       VELMORA_STATUS_BACNET_REJECT,
       VELMORA_FAILURE_REJECT,
       9,
       0},
      {"abort", IPC_OUTCOME_ABORT, {4}, VELMORA_STATUS_BACNET_ABORT, VELMORA_FAILURE_ABORT, 4, 0},
      {"private transfer error", IPC_OUTCOME_ERROR, PrivateTransferError(5, 29),
       VELMORA_STATUS_BACNET_ERROR, VELMORA_FAILURE_ERROR, 5, 29},
      {"bare error",
       IPC_OUTCOME_ERROR,
       {0x91, 0x02, 0x91, 0x20},
       VELMORA_STATUS_BACNET_ERROR,
       VELMORA_FAILURE_ERROR,
       2,
       32},
      {"unreadable error", IPC_OUTCOME_ERROR, {0x0E, 0x91}, VELMORA_STATUS_INVALID_PACKET, 9, 0, 0},
      {"unreadable answer", IPC_OUTCOME_OK, {0x0A, 0x02}, VELMORA_STATUS_INVALID_PACKET, 9, 0, 0},
  };
  for (const auto& c : cases) {
    RemoteAnswers(c.outcome, c.answer);
    VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
    EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), c.status) << c.what;
    VelmoraFailure f{99, 99, 99};
    uint32_t reason = 0;
    if (c.kind == 9) {
      EXPECT_FALSE(IoctlGetFailure(h, &f)) << c.what;
    } else {
      ASSERT_TRUE(IoctlGetFailure(h, &f)) << c.what;
      EXPECT_EQ(f.kind, c.kind) << c.what;
      EXPECT_EQ(f.reason, c.reason) << c.what;
      if (c.kind == VELMORA_FAILURE_ERROR) {
        EXPECT_EQ(f.error_code, c.code) << c.what;
      }
    }
    EXPECT_EQ(VelmoraIoGetRejectReason(h, &reason), c.kind == VELMORA_FAILURE_REJECT) << c.what;
    EXPECT_EQ(VelmoraIoGetAbortReason(h, &reason), c.kind == VELMORA_FAILURE_ABORT) << c.what;
    if (c.kind == VELMORA_FAILURE_REJECT || c.kind == VELMORA_FAILURE_ABORT) {
      EXPECT_EQ(reason, c.reason) << c.what;
    }
    EXPECT_TRUE(VelmoraIoctlDelete(h)) << c.what;
  }
}

// The status an asynchronous request completes with.
struct Completed {
  std::mutex lock;
  std::condition_variable done;
  bool completed = false;
  VelmoraStatus status = VELMORA_STATUS_OK;

  static Completed* instance;
  static void Callback(VelmoraIoctlHandle, const VelmoraAddress*, VelmoraStatus status) {
    std::lock_guard<std::mutex> g(instance->lock);
    instance->completed = true;
    instance->status = status;
    instance->done.notify_all();
  }
  bool Wait(VelmoraStatus* status) {
    std::unique_lock<std::mutex> g(lock);
    if (!done.wait_for(g, kTestWait, [&] { return completed; })) return false;
    *status = this->status;
    return true;
  }
};
Completed* Completed::instance = nullptr;

// A ComplexACK counts as the answer only when it echoes the request's
// vendor identifier and service number and carries a whole result block
// that starts with the status; the APDU syntax check comes first. The same
// holds for a request waited for and one completed on the delivery thread.
TEST_F(IoctlTest, RemoteAcknowledgementMustAnswerTheRequest) {
  TestDeadline deadline(std::chrono::seconds(60));
  const Bytes kForeignVendor = {0x0A, 0x01, 0x04, 0x1C, 0xFF, 0xFF,
                                0xFF, 0xFF, 0x2E, 0x91, 0x00, 0x2F};  // vendor 260
  const Bytes kService1 = {0x0A, 0x02, 0x2B, 0x19, 0x01, 0x2E, 0x91, 0x00, 0x2F};
  const Bytes kNoBlock(kIoctlFrame.begin(), kIoctlFrame.end() - 1);
  const struct {
    const char* what;
    Bytes answer;
    VelmoraStatus status;
  } cases[] = {
      {"our answer", IoctlFramed({0x91, 0x00, 0x21, 0x07, 0x2F}), VELMORA_STATUS_OK},
      {"our status alone", IoctlFramed({0x91, 0x07, 0x2F}), VELMORA_STATUS_OK},
      {"foreign vendor", kForeignVendor, VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"foreign service number", kService1, VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"no result block", kNoBlock, VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"empty result block", IoctlFramed({0x2F}), VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"no status", IoctlFramed({0x21, 0x07, 0x2F}), VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"context-tagged value", IoctlFramed({0x91, 0x00, 0x09, 0x07, 0x2F}),
       VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"nested block", IoctlFramed({0x91, 0x00, 0x0E, 0x21, 0x07, 0x0F, 0x2F}),
       VELMORA_STATUS_ILLEGAL_RESPONSE},
      {"unclosed result block", IoctlFramed({0x91, 0x00, 0x21}), VELMORA_STATUS_INVALID_PACKET},
      {"value past the block", IoctlFramed({0x91, 0x00, 0x22, 0x07, 0x2F}),
       VELMORA_STATUS_INVALID_PACKET},
  };
  Completed completed;
  Completed::instance = &completed;
  for (const auto& c : cases) {
    for (bool async : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (async ? ", asynchronous" : ""));
      RemoteAnswers(IPC_OUTCOME_OK, c.answer);
      VelmoraIoctlHandle h = Request(IOCTL_APP_LIST_GET);
      VelmoraStatus status = VELMORA_STATUS_UNKNOWN_ERROR;
      if (async) {
        completed.completed = false;
        ASSERT_TRUE(VelmoraIoctlSetCallback(h, Completed::Callback, 0));
        ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_OK);
        ASSERT_TRUE(completed.Wait(&status));
      } else {
        status = VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr);
      }
      EXPECT_EQ(status, c.status);
      VelmoraStatus stored = VELMORA_STATUS_UNKNOWN_ERROR;
      ASSERT_TRUE(VelmoraIoctlGetStatus(h, &stored));
      EXPECT_EQ(stored, c.status);
      // Only our answer is read as one.
      uint32_t value = 99;
      EXPECT_EQ(VelmoraIoGetEnum(h, &value), c.status == VELMORA_STATUS_OK);
      VelmoraFailure failure;
      EXPECT_FALSE(IoctlGetFailure(h, &failure));
      EXPECT_TRUE(VelmoraIoctlDelete(h));
    }
  }
  Completed::instance = nullptr;
}

TEST_F(IoctlTest, ASynchronousRequestThatCannotBeSentIsDone) {
  TestDeadline deadline(std::chrono::seconds(30));
  VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
  // The transaction layer's "out of range" (12) as its public status.
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, &kTooShort),
            VELMORA_STATUS_BAD_CONFIGURATION);
  VelmoraStatus status;
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_BAD_CONFIGURATION);
  EXPECT_TRUE(VelmoraIoctlDelete(h));

  // Refused by the daemon when sent.
  VmdBehaviour b = VmdGetBehaviour(core_);
  VmdRule(&b, IPC_KIND_CONF_REQUEST).status = IPC_DAEMON_FULL;
  VmdSetBehaviour(core_, b);
  h = Request(IOCTL_APP_INFO);
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_OUT_OF_RESOURCES);
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_OUT_OF_RESOURCES);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
}

// Completions of asynchronous requests, as the callback sees them.
struct Completions {
  std::mutex lock;
  std::condition_variable done;
  int count = 0;
  bool deleteInCallback = false;
  std::vector<std::string> failures;

  static Completions* instance;
  static void Callback(VelmoraIoctlHandle h, const VelmoraAddress* to, VelmoraStatus status) {
    Completions* c = instance;
    std::string failure;
    uint32_t value = 0;
    if (ThreadName() != "confimed async ") failure = "thread " + ThreadName();
    if (!to || to->mac_length != kDevice.mac_length ||
        std::memcmp(to->mac, kDevice.mac, kDevice.mac_length) != 0)
      failure = "destination";
    if (status != VELMORA_STATUS_OK || !VelmoraIoGetEnum(h, &value) || value != 0 ||
        !VelmoraIoGetUnsigned(h, &value) || value != VelmoraIoctlGetUserData(h))
      failure = "answer";
    if (c->deleteInCallback && !VelmoraIoctlDelete(h)) failure = "delete";
    std::lock_guard<std::mutex> g(c->lock);
    if (!failure.empty()) c->failures.push_back(failure);
    ++c->count;
    c->done.notify_all();
  }
  bool WaitFor(int n) {
    std::unique_lock<std::mutex> g(lock);
    return done.wait_for(g, kTestWait, [&] { return count >= n; });
  }
};
Completions* Completions::instance = nullptr;

TEST_F(IoctlTest, AsynchronousRequestsCompleteOnTheDeliveryThreadAndGiveTheirTsmBack) {
  TestDeadline deadline(std::chrono::seconds(100));
  Completions completions;
  completions.deleteInCallback = true;
  Completions::instance = &completions;
  // The answer echoes nothing, so each request carries its number as
  // user data and the answer's value.
  for (int i = 0; i < 1000; ++i) {
    RemoteAnswers(IPC_OUTCOME_OK,
                  IoctlFramed({0x91, 0x00, 0x22, uint8_t(i >> 8), uint8_t(i), 0x2F}));
    VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
    ASSERT_TRUE(VelmoraIoctlSetCallback(h, Completions::Callback, uint32_t(i)));
    ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_OK) << i;
    ASSERT_TRUE(completions.WaitFor(i + 1)) << i;
  }
  EXPECT_TRUE(completions.failures.empty()) << completions.failures.front();
  Completions::instance = nullptr;
}

TEST_F(IoctlTest, AnAsynchronousRequestStaysTakenUntilItsCallbackHasRun) {
  TestDeadline deadline(std::chrono::seconds(30));
  Completions completions;
  Completions::instance = &completions;
  RemoteAnswers(IPC_OUTCOME_OK, IoctlFramed({0x91, 0x00, 0x21, 0x05, 0x2F}), 300);
  VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
  ASSERT_TRUE(VelmoraIoctlSetCallback(h, Completions::Callback, 5));
  ASSERT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_OK);
  VelmoraStatus status;
  EXPECT_FALSE(VelmoraIoctlDelete(h));
  EXPECT_FALSE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(VelmoraIoctlClone(h), 0u);
  ASSERT_TRUE(completions.WaitFor(1));
  EXPECT_TRUE(completions.failures.empty()) << completions.failures.front();
  EXPECT_TRUE(VelmoraIoctlDelete(h));

  // One that cannot be sent fails at once, without its callback.
  h = Request(IOCTL_APP_INFO);
  ASSERT_TRUE(VelmoraIoctlSetCallback(h, Completions::Callback, 5));
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, &kTooShort),
            VELMORA_STATUS_BAD_CONFIGURATION);
  ASSERT_TRUE(VelmoraIoctlGetStatus(h, &status));
  EXPECT_EQ(status, VELMORA_STATUS_BAD_CONFIGURATION);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
  EXPECT_EQ(completions.count, 1);
  Completions::instance = nullptr;
}

TEST_F(IoctlTest, AfterShutDownEveryCallSaysNotStarted) {
  VelmoraIoctlHandle h = Request(IOCTL_APP_INFO);
  VelmoraTerminate();
  EXPECT_EQ(VelmoraIoctlExecRemote(h, nullptr, &kDevice, nullptr), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraIoctlExec(h), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_FALSE(VelmoraIoPutUnsigned(h, 1));
  EXPECT_FALSE(VelmoraIoctlDelete(h));
  EXPECT_EQ(VelmoraIoctlCreate(), 0u);
  // A new start-up starts afresh.
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  h = VelmoraIoctlCreate();
  EXPECT_EQ(h, 12345u);
  EXPECT_TRUE(VelmoraIoctlDelete(h));
}

// ---- serving ----------------------------------------------------------------

struct Served {
  std::mutex lock;
  uint32_t verdict = IOCTL_SERVE_REFUSE;
  std::vector<IoctlCode> codes;
  std::vector<uint32_t> inputs;
  std::vector<VelmoraAddress> requesters;
};
Served* g_served = nullptr;

uint32_t ServeHook(const VelmoraAddress* requester, IoctlCode code, VelmoraIoctlHandle request) {
  std::lock_guard<std::mutex> g(g_served->lock);
  g_served->codes.push_back(code);
  g_served->requesters.push_back(*requester);
  uint32_t input = 0;
  g_served->inputs.push_back(VelmoraIoGetUnsigned(request, &input) ? input : 0xFFFFFFFF);
  return g_served->verdict;
}

class IoctlServeTest : public IoctlTest {
 protected:
  void SetUp() override {
    IoctlTest::SetUp();
    g_served = &served_;
    ASSERT_EQ(VelmoraIoctlServerRegister(ServeHook), VELMORA_STATUS_OK);
  }
  void TearDown() override {
    IoctlTest::TearDown();
    g_served = nullptr;
  }

  // A ConfirmedPrivateTransfer and the library's answer to it.
  VmdFrame Inject(const Bytes& body) { return Serve(18, body); }
  static Bytes PayloadOf(const VmdFrame& f) {
    auto p = IpcPayload(f.bytes);
    return Bytes(p.begin(), p.end());
  }

  Served served_;
};

TEST_F(IoctlServeTest, TheHookRefusesDropsOrForwardsAServedIoctl) {
  TestDeadline deadline(std::chrono::seconds(60));
  // The daemon answers the forwarded request from its own state: the
  // process identifiers this process registered.
  VmdSetIoctlHandler(core_, nullptr);
  const uint32_t self = TsmlUserId();
  ASSERT_LT(self, 0x80u);
  ASSERT_EQ(TsmlProcessIdAdd(77), 0);
  const Bytes request = IoctlFramed({0x91, 0x0D, 0x21, uint8_t(self), 0x2F});

  served_.verdict = IOCTL_SERVE_REFUSE;
  VmdFrame f = Inject(request);
  EXPECT_EQ(f.kind, IPC_KIND_SERVER_ACK);
  EXPECT_EQ(PayloadOf(f), IoctlFramed({0x91, 0x01, 0x2F}));

  served_.verdict = IOCTL_SERVE_DROP;
  EXPECT_EQ(Inject(request).kind, IPC_KIND_SERVER_DROP);

  served_.verdict = 0;
  f = Inject(request);
  EXPECT_EQ(f.kind, IPC_KIND_SERVER_ACK);
  EXPECT_EQ(PayloadOf(f), IoctlFramed({0x91, 0x00, 0x21, 0x01, 0x21, 77, 0x2F}));
  std::vector<Bytes> forwarded;
  for (const VmdFrame& local : VmdFrames(core_))
    if (local.inbound && local.kind == IPC_KIND_IOCTL) forwarded.push_back(PayloadOf(local));
  EXPECT_EQ(forwarded, std::vector<Bytes>{request});

  // The daemon's refusal is relayed as a Reject, other failures as an Abort.
  for (auto [daemonStatus, kind] : {std::pair{IPC_DAEMON_BAD_PARAMETER, IPC_KIND_SERVER_REJECT},
                                    std::pair{IPC_DAEMON_FULL, IPC_KIND_SERVER_ABORT}}) {
    VmdBehaviour b = VmdGetBehaviour(core_);
    VmdRule(&b, IPC_KIND_IOCTL).status = daemonStatus;
    VmdSetBehaviour(core_, b);
    f = Inject(request);
    EXPECT_EQ(f.kind, kind);
    EXPECT_EQ(PayloadOf(f), Bytes{3});
  }

  std::lock_guard<std::mutex> g(served_.lock);
  EXPECT_EQ(served_.codes, std::vector<IoctlCode>(5, IOCTL_APP_PID_LIST_GET));
  EXPECT_EQ(served_.inputs, std::vector<uint32_t>(5, self));
  const VelmoraAddress from = served_.requesters.front();
  EXPECT_EQ(Bytes(from.mac, from.mac + from.mac_length), Bytes{0x0a});
}

TEST_F(IoctlServeTest, WhatIsNotAWellFormedIoctlNeverReachesTheHook) {
  TestDeadline deadline(std::chrono::seconds(60));
  const struct {
    const char* what;
    Bytes body;
    uint16_t kind;
    Bytes payload;
  } cases[] = {
      {"an empty block", IoctlFramed({0x2F}), IPC_KIND_SERVER_ACK, IoctlFramed({0x91, 0x02, 0x2F})},
      {"an unsigned code", IoctlFramed({0x21, 0x0B, 0x2F}), IPC_KIND_SERVER_ACK,
       IoctlFramed({0x91, 0x06, 0x2F})},
      // The library's syntax check comes first: a block that is not
      // closed misses a required parameter.
      {"the opening tag alone", IoctlFramed({}), IPC_KIND_SERVER_REJECT, {5}},
      {"no closing tag", IoctlFramed({0x91, 0x0B, 0x21, 0x05}), IPC_KIND_SERVER_REJECT, {5}},
      {"a context-tagged input",
       IoctlFramed({0x91, 0x0B, 0x09, 0x05, 0x2F}),
       IPC_KIND_SERVER_REJECT,
       {3}},
      // Another vendor's transfer is the library's, which has no handler
      // for it: unrecognised service.
      {"another vendor",
       {0x09, 0x07, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x0B, 0x2F},
       IPC_KIND_SERVER_REJECT,
       {9}},
  };
  for (const auto& c : cases) {
    VmdFrame f = Inject(c.body);
    EXPECT_EQ(f.kind, c.kind) << c.what;
    EXPECT_EQ(PayloadOf(f), c.payload) << c.what;
  }
  std::lock_guard<std::mutex> g(served_.lock);
  EXPECT_TRUE(served_.codes.empty());
  EXPECT_TRUE(Bodies().empty());
}

}  // namespace
