#include "runtime/ipc/ipc_msg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/osa/osa.h"
#include "tests/support/debug_capture.h"

namespace {

class IpcMsgPool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(OsaInit(), nullptr);
    baseRefs_ = OsaRefCount();
    ASSERT_EQ(IpcMsgPoolGetStats().users, 0u);
    ASSERT_TRUE(IpcMsgPoolAcquire());
  }
  void TearDown() override {
    IpcMsgPoolRelease();
    IpcMsgPoolStats s = IpcMsgPoolGetStats();
    EXPECT_EQ(s.users, 0u);
    EXPECT_EQ(s.blocks, 0u);
    EXPECT_EQ(OsaRefCount(), baseRefs_);
    OsaTerm();
  }
  uint32_t baseRefs_ = 0;
};

TEST_F(IpcMsgPool, PayloadSizeChoosesPoolOrHeap) {
  struct Case {
    uint32_t payload;
    uint32_t capacity;  // message area; 0: refused
  };
  const Case cases[] = {
      {0, 232},       {164, 232}, {165, 233}, {1000, 1068}, {IPC_MSG_PAYLOAD_LIMIT + 1, 0},
      {0xFFFFFFFF, 0}};
  for (const Case& c : cases) {
    IpcMsg* m = IpcMsgAlloc(c.payload);
    if (c.capacity == 0) {
      EXPECT_EQ(m, nullptr) << c.payload;
      continue;
    }
    ASSERT_NE(m, nullptr) << c.payload;
    EXPECT_EQ(m->capacity, c.capacity);
    EXPECT_EQ(IpcMsgGetCapacity(m), c.capacity - 68);
    EXPECT_EQ(IpcMsgGetNext(m), nullptr);
    EXPECT_EQ(IpcMsgGetFrameLength(m), 0u);
    // The whole area is usable.
    std::memset(IpcMsgGetHeader(m), 0xAB, m->capacity);
    IpcMsgFree(m);
  }
  IpcMsg* frame = IpcMsgAllocFrame(233);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->capacity, 233u);
  IpcMsgFree(frame);
}

TEST_F(IpcMsgPool, GrowsByBlocksOfSixteenAndReusesLastFreed) {
  IpcMsgPoolStats s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.blocks, 1u);
  EXPECT_EQ(s.freeMsgs, 16u);
  std::vector<IpcMsg*> held;
  for (int i = 0; i < 16; ++i)
    held.push_back(IpcMsgPoolGet());
  EXPECT_EQ(IpcMsgPoolGetStats().blocks, 1u);
  held.push_back(IpcMsgPoolGet());
  s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.blocks, 2u);
  EXPECT_EQ(s.freeMsgs, 15u);
  EXPECT_EQ(s.heldMsgs, 17u);
  for (IpcMsg* m : held) {
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->capacity, IPC_POOL_MSG_AREA);
  }
  IpcMsg* last = held[5];
  IpcMsgFree(last);
  EXPECT_EQ(IpcMsgPoolGet(), last);

  // A chain is freed whole.
  for (size_t i = 1; i < held.size(); ++i)
    IpcMsgSetNext(held[i - 1], held[i]);
  IpcMsgFreeChain(held[0]);
  s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.freeMsgs, 32u);
  EXPECT_EQ(s.heldMsgs, 0u);
}

TEST_F(IpcMsgPool, HeapMessagesNeverJoinTheFreeList) {
  IpcMsgFree(nullptr);
  uint32_t blocksBefore = OsaStatGet(OSA_STAT_BLOCKS);
  IpcMsg* m = IpcMsgAlloc(500);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), blocksBefore + 1);
  IpcMsgFree(m);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), blocksBefore);
  IpcMsgPoolStats s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.freeMsgs, 16u);
  EXPECT_EQ(s.heldMsgs, 0u);
}

TEST_F(IpcMsgPool, LastReleaseKeepsBlocksUntilEveryMessageIsBack) {
  IpcMsg* held = IpcMsgPoolGet();
  ASSERT_NE(held, nullptr);
  IpcMsgPoolRelease();
  IpcMsgPoolStats s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.users, 0u);
  EXPECT_EQ(s.blocks, 1u);
  // The pool's own reference keeps the private heap alive for the message.
  EXPECT_EQ(OsaRefCount(), baseRefs_ + 1);
  std::memset(IpcMsgGetHeader(held), 0x5A, IPC_POOL_MSG_AREA);  // still valid memory
  // A new user takes the kept blocks without another reference.
  ASSERT_TRUE(IpcMsgPoolAcquire());
  EXPECT_EQ(IpcMsgPoolGetStats().blocks, 1u);
  EXPECT_EQ(OsaRefCount(), baseRefs_ + 1);
  IpcMsgPoolRelease();
  IpcMsgFree(held);
  s = IpcMsgPoolGetStats();
  EXPECT_EQ(s.blocks, 0u);
  EXPECT_EQ(OsaRefCount(), baseRefs_);
  // Without a user there is no pool to take from.
  EXPECT_EQ(IpcMsgPoolGet(), nullptr);
  ASSERT_TRUE(IpcMsgPoolAcquire());  // for TearDown
}

TEST_F(IpcMsgPool, FrameLengthIsStoredLittleEndianBeforeTheArea) {
  IpcMsg* m = IpcMsgAlloc(0x1234 - 68);
  ASSERT_NE(m, nullptr);
  IpcMsgSetKind(m, IPC_KIND_IOCTL);
  IpcMsgSetPayloadLength(m, 0x1234 - 68);
  ASSERT_EQ(IpcFrameLength(m), 0x1234u);
  const uint8_t* frame = IpcMsgFrame(m);
  EXPECT_EQ(frame[0], 0x34);
  EXPECT_EQ(frame[1], 0x12);
  EXPECT_EQ(frame[2], 0);
  EXPECT_EQ(frame + 4, IpcMsgGetHeader(m));
  EXPECT_EQ(IpcMsgGetLength(m), IpcMsgGetHeader(m) + 64);
  EXPECT_EQ(IpcMsgGetPayload(m), IpcMsgGetHeader(m) + 68);
  EXPECT_EQ(IpcMsgData(m).size(), 0x1234u);
  // A payload length that the message cannot hold is not framed.
  IpcMsgSetPayloadLength(m, 0x2000);
  EXPECT_EQ(IpcFrameLength(m), 0u);
  IpcMsgFree(m);
  EXPECT_EQ(IpcMsgGetHeader(nullptr), nullptr);
  EXPECT_EQ(IpcMsgGetLength(nullptr), nullptr);
}

TEST_F(IpcMsgPool, ReceivedCheckOnMessages) {
  IpcMsg* m = IpcMsgPoolGet();
  IpcMsgSetKind(m, IPC_KIND_CONF_INDICATION);
  IpcMsgSetPayloadLength(m, 0);
  IpcMsgSetFrameLength(m, 68);
  EXPECT_TRUE(IpcFrameCheck(m));
  EXPECT_EQ(IpcGet16(IpcMsgArea(m), IPC_OFF_SEGMENTATION), 2);  // byte 52 is 0
  IpcMsgSetFrameLength(m, 69);
  EXPECT_FALSE(IpcFrameCheck(m));
  IpcMsgSetFrameLength(m, 233);  // beyond the message itself
  EXPECT_FALSE(IpcFrameCheck(m));
  IpcMsgFree(m);
  EXPECT_FALSE(IpcFrameCheck(nullptr));
}

TEST_F(IpcMsgPool, OldRuntimeIsLoggedAndPasses) {
  DebugCapture debug;
  IpcMsg* m = IpcMsgPoolGet();
  IpcRegisterReply r{};
  r.major = 6;
  r.minor = 1;
  r.local.macLen = 1;
  ASSERT_TRUE(IpcRegisterReplyWrite(IpcMsgArea(m), r));
  IpcMsgSetFrameLength(m, IPC_REGISTER_REPLY_MIN);
  EXPECT_TRUE(IpcFrameCheck(m));
  EXPECT_EQ(IpcMsgGetStatus(m), IPC_DAEMON_OLD_RUNTIME);
  EXPECT_EQ(IpcDaemonStatusMap(IpcMsgGetStatus(m)), IPC_STATUS_VERSION_MISMATCH);
  IpcMsgFree(m);
  EXPECT_EQ(debug.Take(),
            "VELMORA ERROR: IPC: Inconsistent versions: Library is v6.2, Runtime is v6.1\n");
}

TEST_F(IpcMsgPool, DescriptorsGrowInPlaceOrMoveTheirData) {
  PduDesc d;
  ASSERT_TRUE(PduDescAlloc(10, &d));
  EXPECT_EQ(d.length, 0u);
  EXPECT_EQ(d.capacity, 10u);
  EXPECT_EQ(d.data, IpcMsgGetPayload(d.msg));
  IpcMsgSetKind(d.msg, IPC_KIND_CONF_REQUEST);
  std::memcpy(d.data, "abcdef", 6);
  d.length = 6;

  IpcMsg* before = d.msg;
  ASSERT_TRUE(PduDescGrow(164, &d));
  EXPECT_EQ(d.msg, before);
  EXPECT_EQ(d.data, IpcMsgGetPayload(before));
  EXPECT_EQ(d.capacity, 164u);

  ASSERT_TRUE(PduDescGrow(1000, &d));
  EXPECT_NE(d.msg, before);
  EXPECT_EQ(d.msg->capacity, 1068u);
  EXPECT_EQ(d.length, 6u);
  EXPECT_EQ(d.capacity, 1000u);
  EXPECT_EQ(std::memcmp(d.data, "abcdef", 6), 0);
  EXPECT_EQ(IpcMsgGetKind(d.msg), IPC_KIND_CONF_REQUEST);
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);  // the pool message went back

  PduDesc same = d;
  EXPECT_FALSE(PduDescGrow(IPC_MSG_PAYLOAD_LIMIT + 1, &d));
  EXPECT_EQ(std::memcmp(&same, &d, sizeof d), 0);

  PduDescFree(&d);
  EXPECT_EQ(d.msg, nullptr);
  EXPECT_EQ(d.data, nullptr);
  EXPECT_EQ(d.capacity, 0u);
  PduDescFree(&d);  // an empty descriptor frees nothing

  IpcMsg* m = IpcMsgAlloc(40);
  IpcMsgSetPayloadLength(m, 7);
  PduDescFromMsg(&d, m);
  EXPECT_EQ(d.msg, m);
  EXPECT_EQ(d.data, IpcMsgGetPayload(m));
  EXPECT_EQ(d.length, 7u);
  EXPECT_EQ(d.capacity, 164u);
  PduDescFree(&d);
}

}  // namespace
