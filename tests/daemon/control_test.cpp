// Control requests: process identifiers within the registered limit,
// transfer parameters and per-address values kept per client, local ioctl.
#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Control : public DaemonTest {
 protected:
  void SetUp() override {
    DaemonTest::SetUp();
    ConnectRegistered(&c_, 4, /*max_pids=*/2);
  }
  Bytes Exchange(const Bytes& m) {
    Bytes r;
    EXPECT_TRUE(RawSendFrame(&c_, m));
    EXPECT_EQ(RawReadFrame(&c_, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IpcGet16(m, 0));
    return r;
  }
  Bytes Pid(uint16_t kind, uint32_t pid) {
    Bytes m = Message(kind, kind == IPC_KIND_NEW_PID ? 4 : 8);
    if (kind != IPC_KIND_NEW_PID) IpcPut32(m, 4, pid);
    return m;
  }
  VmdClientInfo Info() {
    VmdClientInfo info{};
    EXPECT_TRUE(VmdGetClient(server_, 0, &info));
    return info;
  }
  RawClient c_;
};

TEST_F(Control, ProcessIdentifiersWithinTheRegisteredLimit) {
  struct Step {
    uint16_t kind;
    uint32_t pid;
    uint16_t status;
  } steps[] = {
      {IPC_KIND_ADD_PID, 5, IPC_DAEMON_OK},
      {IPC_KIND_ADD_PID, 5, IPC_DAEMON_EXISTS},            // duplicate
      {IPC_KIND_REMOVE_PID, 9, IPC_DAEMON_BAD_PARAMETER},  // not in the list
      {IPC_KIND_ADD_PID, 6, IPC_DAEMON_OK},
      {IPC_KIND_ADD_PID, 7, IPC_DAEMON_FULL},  // full: Max_Process_IDs is 2
      {IPC_KIND_NEW_PID, 0, IPC_DAEMON_FULL},  // full for a new one too
      {IPC_KIND_REMOVE_PID, 5, IPC_DAEMON_OK},
      {IPC_KIND_REMOVE_PID, 5, IPC_DAEMON_BAD_PARAMETER},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::Message() << std::hex << s.kind << " " << s.pid);
    Bytes r = Exchange(Pid(s.kind, s.pid));
    EXPECT_EQ(r.size(), s.kind == IPC_KIND_NEW_PID ? 8u : 4u);
    EXPECT_EQ(IpcGet16(r, 2), s.status);
  }
  Bytes r = Exchange(Pid(IPC_KIND_NEW_PID, 0));
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
  uint32_t fresh = IpcGet32(r, 4);
  EXPECT_NE(fresh, 0u);
  EXPECT_NE(fresh, 6u);
  EXPECT_EQ(Info().process_ids, (std::vector<uint32_t>{6, fresh}));
}

TEST_F(Control, TransferParametersAreKept) {
  IpcTransferParams p{};
  p.mask = IPC_PARAM_APDU_LENGTH | IPC_PARAM_RETRIES;
  p.apduLength = 480;
  p.retries = 7;
  Bytes m(IPC_SET_PARAMS_LENGTH);
  IpcTransferParamsWrite(m, p);
  EXPECT_EQ(IpcGet16(Exchange(m), 2), 0);
  p.mask = IPC_PARAM_APDU_LENGTH;
  p.apduLength = 49;
  IpcTransferParamsWrite(m, p);
  EXPECT_EQ(IpcGet16(Exchange(m), 2), 4) << "APDU length below 50";
  VmdClientInfo info = Info();
  EXPECT_EQ(info.params_mask, IPC_PARAM_APDU_LENGTH | IPC_PARAM_RETRIES);
  EXPECT_EQ(info.param_apdu_length, 480u);
  EXPECT_EQ(info.param_retries, 7u);
}

TEST_F(Control, PerAddressValues) {
  auto addressed = [](uint16_t kind, std::initializer_list<uint8_t> mac, uint8_t junk,
                      uint16_t value) {
    Bytes m = Message(kind, kind == IPC_KIND_SET_VALUE ? 18 : 16);
    m[4] = 130;
    m[8] = uint8_t(mac.size());
    std::copy(mac.begin(), mac.end(), m.begin() + 9);
    for (size_t i = 9 + mac.size(); i < 16; ++i)
      m[i] = junk;  // past the MAC length
    if (kind == IPC_KIND_SET_VALUE) IpcPut16(m, 16, value);
    return m;
  };
  Bytes all = Message(IPC_KIND_SET_VALUE_ALL, 6);
  IpcPut16(all, 4, 7);
  EXPECT_EQ(IpcGet16(Exchange(all), 2), 0);
  Bytes r = Exchange(Message(IPC_KIND_GET_VALUE_ALL, 4));
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(IpcGet16(r, 4), 7);

  EXPECT_EQ(IpcGet16(Exchange(addressed(IPC_KIND_SET_VALUE, {1, 2}, 0xEE, 9)), 2), 0);
  struct Ask {
    std::initializer_list<uint8_t> mac;
    uint8_t junk;
    uint16_t value;
  } asks[] = {{{1, 2}, 0x00, 9}, {{1, 2}, 0x55, 9}, {{1, 3}, 0x00, 7}, {{1}, 0x02, 7}};
  for (const Ask& a : asks) {
    r = Exchange(addressed(IPC_KIND_GET_VALUE, a.mac, a.junk, 0));
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(IpcGet16(r, 4), a.value);
  }
  IpcPut16(all, 4, 3);  // setting the value for all addresses replaces every one
  Exchange(all);
  r = Exchange(addressed(IPC_KIND_GET_VALUE, {1, 2}, 0, 0));
  EXPECT_EQ(IpcGet16(r, 4), 3);
  EXPECT_EQ(Info().value_all, 3);
  EXPECT_TRUE(Info().values.empty());
}

TEST_F(Control, LocalIoctlAnswers) {
  // The library's vendor identifier (555), service 0xFFFFFFFF, request code
  // 99 (which no one knows), one unsigned input.
  const Bytes request = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF,
                         0xFF, 0x2E, 0x91, 0x63, 0x21, 0x01, 0x2F};
  Bytes m = Message(IPC_KIND_IOCTL, 0, request);
  Bytes r = Exchange(m);
  EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_OK);
  const Bytes not_supported = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF,
                               0xFF, 0xFF, 0x2E, 0x91, 0x07, 0x2F};
  ASSERT_EQ(r.size(), 68 + not_supported.size());
  for (size_t i = 4; i < 64; ++i)
    EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(IpcGet32(r, 64), not_supported.size());
  EXPECT_EQ(Bytes(r.begin() + 68, r.end()), not_supported);

  const Bytes refused[] = {
      {0x2E, 0x2F},                                                        // no frame
      {0x09, 0x2A, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x0A, 0x2F},  // vendor 42
      {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x0A},  // no closing tag
  };
  for (const Bytes& body : refused) {
    r = Exchange(Message(IPC_KIND_IOCTL, 0, body));
    EXPECT_EQ(IpcGet16(r, 2), IPC_DAEMON_BAD_PARAMETER);
    EXPECT_EQ(r.size(), 68u);
  }

  // The test hook answers in the daemon's place, a code it knows too.
  VmdSetIoctlHandler(server_, [](uint32_t, std::span<const uint8_t> body, Bytes* answer) {
    VmdIoctlStatusAnswer(body, 0, answer);
    answer->insert(answer->end() - 1, {0x21, 0x63});  // status OK, unsigned 99
    return uint16_t(0);
  });
  const Bytes app_list = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E, 0x91, 0x0A, 0x2F};
  r = Exchange(Message(IPC_KIND_IOCTL, 0, app_list));
  const Bytes ok = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF,
                    0xFF, 0x2E, 0x91, 0x00, 0x21, 0x63, 0x2F};
  EXPECT_EQ(Bytes(r.begin() + 68, r.end()), ok);
}

TEST_F(Control, StatusOnlyAnswerEncodesTheStatusShortest) {
  const Bytes head = {0x0A, 0x01, 0x00, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E};  // vendor 256
  Bytes rq = head;
  rq.insert(rq.end(), {0x91, 0x01, 0x2F});
  struct Case {
    uint32_t status;
    Bytes tail;
  } cases[] = {{0, {0x91, 0x00, 0x2F}}, {15, {0x91, 0x0F, 0x2F}}, {300, {0x92, 0x01, 0x2C, 0x2F}}};
  for (const Case& k : cases) {
    Bytes answer;
    ASSERT_TRUE(VmdIoctlStatusAnswer(rq, k.status, &answer));
    Bytes want = head;
    want.insert(want.end(), k.tail.begin(), k.tail.end());
    EXPECT_EQ(answer, want);
  }
  Bytes answer;
  for (const Bytes& bad :
       {Bytes{}, Bytes{0x09}, Bytes{0x09, 0x2A, 0x1C, 0xFF}, Bytes{0x09, 0x2A, 0x19, 0x01}})
    EXPECT_FALSE(VmdIoctlStatusAnswer(bad, 0, &answer));
}

}  // namespace
