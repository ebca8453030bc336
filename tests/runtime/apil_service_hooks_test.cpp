// The service hook interface: registration by hook id, the ids that share
// a service, and the decoded request a registered handler receives.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "bacnet/records_hooks.h"
#include "runtime/apil/velmora.h"
#include "tests/runtime/support/apil_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t First(void*, const VelmoraAddress*, const VelmoraAddress*, void*) { return 1; }
uint32_t Second(void*, const VelmoraAddress*, const VelmoraAddress*, void*) { return 1; }

class ServiceHookTest : public ApilTest {
 protected:
  void Start() {
    StartCore();
    ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  }
};

TEST_F(ServiceHookTest, RegistrationNeedsTheLibraryAndAnIdWithAService) {
  TestDeadline deadline(std::chrono::seconds(60));
  VelmoraServiceHook got = First;
  EXPECT_EQ(VelmoraSetServiceHook(8, First), VELMORA_STATUS_NOT_INITIALIZED);
  EXPECT_EQ(VelmoraGetServiceHook(8, &got), VELMORA_STATUS_NOT_INITIALIZED);
  Start();
  struct Case {
    uint32_t hook;
    VelmoraStatus status;
  };
  const Case cases[] = {
      {8, VELMORA_STATUS_OK},
      {9, VELMORA_STATUS_OK},
      {11, VELMORA_STATUS_OK},
      {12, VELMORA_STATUS_OK},
      {13, VELMORA_STATUS_OK},
      {14, VELMORA_STATUS_OK},
      {25, VELMORA_STATUS_OK},
      {35, VELMORA_STATUS_OK},
      {36, VELMORA_STATUS_OK},
      {0, VELMORA_STATUS_NOT_SUPPORTED},
      {10, VELMORA_STATUS_NOT_SUPPORTED},
      {34, VELMORA_STATUS_NOT_SUPPORTED},
      {37, VELMORA_STATUS_INVALID_PARAMETER},
      {0xFFFFFFFF, VELMORA_STATUS_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VelmoraSetServiceHook(c.hook, First), c.status) << c.hook;
    got = Second;
    EXPECT_EQ(VelmoraGetServiceHook(c.hook, &got), c.status) << c.hook;
    if (c.status == VELMORA_STATUS_OK && c.hook != 13 && c.hook != 14) {
      EXPECT_EQ(got, First) << c.hook;
    }
    if (c.status == VELMORA_STATUS_OK) {
      EXPECT_EQ(VelmoraSetServiceHook(c.hook, nullptr), VELMORA_STATUS_OK) << c.hook;
      EXPECT_EQ(VelmoraGetServiceHook(c.hook, &got), VELMORA_STATUS_OK) << c.hook;
      EXPECT_EQ(got, nullptr) << c.hook;
    }
  }
  EXPECT_EQ(VelmoraGetServiceHook(8, nullptr), VELMORA_STATUS_INVALID_PARAMETER);
  // Shut-down clears every registration.
  ASSERT_EQ(VelmoraSetServiceHook(8, First), VELMORA_STATUS_OK);
  VelmoraTerminate();
  ASSERT_EQ(Init(), VELMORA_STATUS_OK);
  EXPECT_EQ(VelmoraGetServiceHook(8, &got), VELMORA_STATUS_OK);
  EXPECT_EQ(got, nullptr);
}

// Ids 13 and 35 (14 and 36) name one service: the later registration
// holds its row, and only the id it was made through reports it.
TEST_F(ServiceHookTest, TwoIdsOfOneServiceShareItsHandler) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  for (auto [earlier, later] : {std::pair{13u, 35u}, {35u, 13u}, {14u, 36u}, {36u, 14u}}) {
    ASSERT_EQ(VelmoraSetServiceHook(earlier, First), VELMORA_STATUS_OK);
    ASSERT_EQ(VelmoraSetServiceHook(later, Second), VELMORA_STATUS_OK);
    VelmoraServiceHook got = First;
    EXPECT_EQ(VelmoraGetServiceHook(earlier, &got), VELMORA_STATUS_OK);
    EXPECT_EQ(got, nullptr) << earlier;
    EXPECT_EQ(VelmoraGetServiceHook(later, &got), VELMORA_STATUS_OK);
    EXPECT_EQ(got, Second) << later;
    ASSERT_EQ(VelmoraSetServiceHook(later, nullptr), VELMORA_STATUS_OK);
  }
}

struct IAmSeen {
  std::mutex lock;
  std::atomic<int> calls{0};
  VelmoraIAmRequest request{};
  VelmoraAddress sender{};
};
IAmSeen g_iam;

uint32_t KeepIAm(void* transaction, const VelmoraAddress* sender, const VelmoraAddress*,
                 void* request) {
  std::lock_guard<std::mutex> g(g_iam.lock);
  if (!transaction && request)
    VelmoraIAmCopy(&g_iam.request, static_cast<VelmoraIAmRequest*>(request));
  g_iam.sender = *sender;
  ++g_iam.calls;
  return 0;
}

TEST_F(ServiceHookTest, AnIAmHandlerReceivesTheDecodedRequest) {
  TestDeadline deadline(std::chrono::seconds(60));
  Start();
  ASSERT_EQ(VelmoraSetServiceHook(VELMORA_HOOK_I_AM, KeepIAm), VELMORA_STATUS_OK);
  VmdIncoming in = VmdIncomingDefaults(core_);
  in.params.service = 0;
  // Device (8,1234), max APDU 1476, segmentation 3, vendor 7.
  in.payload = {0xC4, 0x02, 0x00, 0x04, 0xD2, 0x22, 0x05, 0xC4, 0x91, 0x03, 0x21, 0x07};
  ASSERT_TRUE(VmdSendUnconfirmed(core_, 0, in));
  ASSERT_TRUE(WaitUntil([] { return g_iam.calls == 1; }));
  std::lock_guard<std::mutex> g(g_iam.lock);
  EXPECT_EQ(VelmoraIAmGetDeviceInstance(&g_iam.request), 1234u);
  EXPECT_EQ(VelmoraIAmGetMaxApdu(&g_iam.request), 1476u);
  EXPECT_EQ(VelmoraIAmGetSegmentation(&g_iam.request), 3u);
  EXPECT_EQ(VelmoraIAmGetVendorId(&g_iam.request), 7u);
  EXPECT_EQ(g_iam.sender.mac_length, 1);
  // Kept by the application: the library made no image of it.
  EXPECT_EQ(VelmoraFindDeviceByInstance(1234), nullptr);
}

}  // namespace
