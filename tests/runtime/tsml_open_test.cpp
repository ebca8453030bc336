// Start-up, registration and close of the transaction layer against a real
// stand-in daemon, each test on its own socket.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <memory>

#include "runtime/osa/cfg.h"
#include "tests/runtime/support/osa_fixture.h"
#include "tests/runtime/tsml_fixture.h"

namespace {

using TsmlOpenTest = TsmlDaemonTest;

TEST_F(TsmlOpenTest, OpenLearnsWhatTheDaemonAssigns) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  ASSERT_EQ(TsmlOpen(7), IPC_STATUS_OK);
  EXPECT_TRUE(TsmlIsOpen());
  EXPECT_TRUE(TsmlIsStarted());

  VmdClientInfo info{};
  ASSERT_TRUE(VmdGetClient(server_, 0, &info));
  EXPECT_TRUE(info.registered);
  EXPECT_NE(info.user, 0u);
  EXPECT_EQ(TsmlUserId(), info.user);
  // What the library registered is the configuration's defaults.
  EXPECT_EQ(info.port_id, 7u);
  EXPECT_EQ(info.cli_pool, 150u);
  EXPECT_EQ(info.srv_pool, 150u);
  EXPECT_EQ(info.apdu_timeout, 6000u);
  EXPECT_EQ(info.retries, 3u);
  EXPECT_EQ(info.window, 16u);
  EXPECT_EQ(info.max_seg_accepted, 32u);
  EXPECT_EQ(info.seg_timeout, 5000u);
  EXPECT_EQ(info.max_process_ids, 16u);

  // The built-in site: 6.2.4, APDU 1476, MAC 7f:00:00:01:ba:c0.
  uint8_t version[3];
  TsmlRuntimeVersion(version);
  EXPECT_EQ(version[0], 6);
  EXPECT_EQ(version[1], 2);
  EXPECT_EQ(version[2], 4);
  EXPECT_EQ(TsmlRuntimeMaxApdu(), 1476u);
  LinkAddress local{};
  ASSERT_EQ(TsmlLocalAddressGet(&local), IPC_STATUS_OK);
  const uint8_t mac[] = {0x7f, 0x00, 0x00, 0x01, 0xba, 0xc0};
  ASSERT_EQ(local.macLen, 6);
  EXPECT_EQ(std::memcmp(local.mac, mac, 6), 0);
  EXPECT_EQ(local.netPresent, 0);
  EXPECT_EQ(local.net, 0);
}

class TsmlRegistrationTest : public TsmlDaemonTest, public ::testing::WithParamInterface<bool> {};

// What reaches the daemon, byte for byte, with the configuration's defaults
// and a port identifier whose bytes show their order.
TEST_P(TsmlRegistrationTest, RequestReachesTheDaemonByteForByte) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon(nullptr, GetParam());
  ASSERT_EQ(TsmlOpen(0x04030201), IPC_STATUS_OK);
  auto sent = Inbound(IPC_KIND_REGISTER);
  ASSERT_EQ(sent.size(), 1u);
  const std::vector<uint8_t> expected = {
      0x00, 0x08, 0x00, 0x00,                    // kind, status
      0x06, 0x02, 0x0D, 0x00,                    // library version
      0x01, 0x02, 0x03, 0x04,                    // port identifier
      0x60, 0x00, 0x00, 0x3E, 0x00,              // fixed bytes
      0x00, 0x00, 0x00, 0x96, 0x00, 0x00, 0x00,  // client TSMs 150
      0x96, 0x00, 0x00, 0x00,                    // server TSMs 150
      0x70, 0x17, 0x00, 0x00,                    // APDU timeout 6000
      0x03, 0x00, 0x00, 0x00,                    // retries 3
      0x00, 0x00,                                // segmentation: both
      0x10,                                      // window 16
      0x01,                                      // byte 39
      0x20, 0x00, 0x00, 0x00,                    // segments accepted 32
      0x88, 0x13, 0x00, 0x00,                    // segment timeout 5000
      0x10, 0x00, 0x00, 0x00,                    // process identifiers 16
  };
  EXPECT_EQ(sent[0].length, 52u);
  EXPECT_EQ(sent[0].bytes, expected);
  EXPECT_TRUE(VmdWaitLog(server_, GetParam() ? "accepted (tcp)" : "accepted (unix)", 5000));
}

INSTANTIATE_TEST_SUITE_P(Transports, TsmlRegistrationTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tcp" : "Socket"; });

struct ApduCase {
  uint32_t configured;
  bool sent;
};

class TsmlApduLengthTest : public TsmlDaemonTest, public ::testing::WithParamInterface<ApduCase> {};

// Only a length below the daemon's maximum is asked for; the request carries
// mask 0x01 and the length, every other field 0.
TEST_P(TsmlApduLengthTest, AsksTheDaemonOnlyForAShorterApdu) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  ASSERT_TRUE(SetCfgDword("Cli\\Apdu_Length", GetParam().configured));
  ASSERT_TRUE(TsmlConfigRead("Cli\\", TsmlConfigActive()));
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  auto sent = Inbound(IPC_KIND_SET_PARAMS);
  if (!GetParam().sent) {
    EXPECT_TRUE(sent.empty());
    CommParams p = CommMask(COMM_APDU_LENGTH);
    ASSERT_TRUE(TsmlNetParamsGet(&p));
    EXPECT_EQ(p.apduLength, 1476u);
    return;
  }
  ASSERT_EQ(sent.size(), 1u);
  const auto& b = sent[0].bytes;
  ASSERT_EQ(b.size(), 32u);
  EXPECT_EQ(b[4] | b[5] << 8, 0x01);
  EXPECT_EQ(uint32_t(b[8] | b[9] << 8 | b[10] << 16 | b[11] << 24), GetParam().configured);
  for (size_t i = 12; i < 32; ++i)
    EXPECT_EQ(b[i], 0) << "byte " << i;
  CommParams p = CommMask(COMM_APDU_LENGTH);
  ASSERT_TRUE(TsmlNetParamsGet(&p));
  EXPECT_EQ(p.apduLength, GetParam().configured);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TsmlApduLengthTest,
                         ::testing::Values(ApduCase{480, true}, ApduCase{0, false},
                                           ApduCase{1476, false}, ApduCase{1497, false},
                                           ApduCase{1475, true}));

struct FailCase {
  const char* name;
  std::function<void(VmdBehaviour*)> tune;
  int status;
  uint32_t apduLength = 0;
  bool refuseHooks = false;  // the interface layer cannot install its hooks
  const char* logged = "";   // a line that says why, where one is expected
};

bool RefuseHooks() { return false; }
constexpr TsmlHookBinding kRefusingBinding{RefuseHooks, nullptr};

class TsmlStartFailTest : public TsmlDaemonTest, public ::testing::WithParamInterface<FailCase> {};

// A failed start-up leaves nothing behind: the layer is closed, the link
// ended and every thread it started gone, and it can start again.
TEST_P(TsmlStartFailTest, FailsAndUnwinds) {
  TestDeadline deadline(std::chrono::seconds(60));
  StartDaemon(GetParam().tune);
  TsmlConfigActive()->Apdu_Length = GetParam().apduLength;
  uint32_t threads = OsaStatGet(OSA_STAT_THREADS);
  DebugCapture capture;
  EXPECT_EQ(TsmlOpen(0, GetParam().refuseHooks ? &kRefusingBinding : nullptr), GetParam().status);
  if (*GetParam().logged) {
    EXPECT_GE(capture.Count(GetParam().logged), 1u) << GetParam().logged;
  }
  EXPECT_FALSE(TsmlIsOpen());
  EXPECT_FALSE(TsmlIsStarted());
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), threads);
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
  EXPECT_TRUE(VmdWaitEnded(server_, 1, 10000));

  VmdSetBehaviour(server_, VmdBehaviour{});
  EXPECT_EQ(TsmlOpen(0), IPC_STATUS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TsmlStartFailTest,
    ::testing::Values(
        FailCase{"OldRuntime",
                 [](VmdBehaviour* b) {
                   b->reg_version_override = true;
                   b->reg_version[0] = 6;
                   b->reg_version[1] = 1;
                 },
                 IPC_STATUS_VERSION_MISMATCH},
        FailCase{"NoLocalMac", [](VmdBehaviour* b) { b->reg_mac_len = 0; },
                 IPC_STATUS_NO_LOCAL_ADDRESS},
        FailCase{"Refused",
                 [](VmdBehaviour* b) {
                   VmdRule(b, IPC_KIND_REGISTER).status = IPC_DAEMON_BAD_PARAMETER;
                 },
                 IPC_STATUS_INVALID_PARAMETER},
        FailCase{"ShortReply", [](VmdBehaviour* b) { b->reg_length = 27; }, IPC_STATUS_NO_LINK},
        FailCase{"ApduRequestRefused",
                 [](VmdBehaviour* b) { VmdRule(b, IPC_KIND_SET_PARAMS).status = IPC_DAEMON_FULL; },
                 IPC_STATUS_NO_RESOURCES, 480},
        FailCase{"HooksRefused", nullptr, IPC_STATUS_NO_RESOURCES, 0, true},
        // Every payload size is reckoned from the runtime's APDU.
        FailCase{"MaxApdu5", [](VmdBehaviour* b) { b->reg_max_apdu = 5; }, IPC_STATUS_FAILED, 0,
                 false, "maximum APDU length 5 is outside 50 to 1476"},
        FailCase{"MaxApdu65535", [](VmdBehaviour* b) { b->reg_max_apdu = 65535; },
                 IPC_STATUS_FAILED, 0, false, "maximum APDU length 65535 is outside 50 to 1476"}),
    [](const auto& info) { return std::string(info.param.name); });

// The link ends while registration waits for its reply: the daemon goes, or
// sends an unasked zero-length frame. Start-up fails with 9 instead of
// waiting for ever, and leaves nothing behind.
class TsmlRegistrationLostTest : public TsmlDaemonTest,
                                 public ::testing::WithParamInterface<bool> {};

TEST_P(TsmlRegistrationLostTest, FailsWithLinkDown) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon([](VmdBehaviour* b) { VmdRule(b, IPC_KIND_REGISTER).withhold = true; });
  uint32_t threads = OsaStatGet(OSA_STAT_THREADS);
  auto open = std::async(std::launch::async, [] { return TsmlOpen(0); });
  VmdFrame f;
  ASSERT_TRUE(VmdWaitFrame(
      server_, [](const VmdFrame& x) { return x.inbound && x.kind == IPC_KIND_REGISTER; }, 5000,
      &f));
  if (GetParam()) {
    ASSERT_TRUE(VmdDrop(server_, f.conn));
  } else {
    const uint8_t zero[4] = {};
    ASSERT_TRUE(VmdSendRaw(server_, f.conn, zero));
  }
  ASSERT_EQ(open.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(open.get(), IPC_STATUS_NO_LINK);
  EXPECT_FALSE(TsmlIsOpen());
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), threads);
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, TsmlRegistrationLostTest, ::testing::Values(true, false),
                         [](const auto& info) {
                           return info.param ? "Dropped" : "ZeroLengthFrame";
                         });

// What the library probes for when it cannot connect: a named object that
// only an older stack service holds.
constexpr char kOlderServiceObject[] = "Velmora Semaphore 1004";

// Holds the object as an older service would: a shared lock on the file,
// kept while it lives.
class OlderService {
 public:
  explicit OlderService(const std::string& dir)
      : fd_(::open((dir + "/" + kOlderServiceObject).c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644)) {
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    held_ = fd_ >= 0 && fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }
  ~OlderService() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool held() const { return held_; }

 private:
  int fd_;
  bool held_ = false;
};

enum class Daemon {
  None,
  SocketAndTcp,
  TcpOnly
};

struct ProbeCase {
  const char* name;
  const char* connIpc;  // "" keeps the default
  Daemon daemon;        // a velmorad of the directory
  bool olderService;
  int status;
  const char* logged;  // "%s" is the test's directory
};

class TsmlProbeTest : public TsmlDaemonTest, public ::testing::WithParamInterface<ProbeCase> {};

// Only an older service's object makes a failed connection 77; any other
// failure is 9, and the log says where the library looked. The daemons are
// the real program, started for the directory as a user would.
TEST_P(TsmlProbeTest, FailedConnectionSaysWhereItLooked) {
  TestDeadline deadline(std::chrono::seconds(30));
  const ProbeCase& k = GetParam();
  pid_t daemon = -1;
  const std::string log = dir_ + "/velmorad.log";
  if (k.daemon != Daemon::None) {
    std::vector<std::string> args = {VELMORA_BINARY_DIR "/daemon/velmorad", "--log", log, "--tcp",
                                     "0"};
    if (k.daemon == Daemon::SocketAndTcp) args.insert(args.end(), {"--pipe", "velmora"});
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    daemon = fork();
    if (daemon == 0) {
      execv(argv[0], argv.data());
      _exit(127);
    }
    ASSERT_GT(daemon, 0);
    const std::string ready = k.daemon == Daemon::TcpOnly ? "listening on tcp" : "listening on /";
    if (!WaitUntil([&] { return ReadTextFile(log).find(ready) != std::string::npos; })) {
      kill(daemon, SIGKILL);
      waitpid(daemon, nullptr, 0);
      FAIL() << "velmorad does not listen: " << ReadTextFile(log);
    }
  }
  if (*k.connIpc) {
    ASSERT_TRUE(SetCfgString("Tsml\\ConnIPC", k.connIpc));
  }
  // A file nobody holds is what a dead service left: it is no service.
  int stale = ::open((dir_ + "/" + kOlderServiceObject).c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(stale, 0);
  ::close(stale);
  std::unique_ptr<OlderService> older;
  if (k.olderService) {
    older = std::make_unique<OlderService>(dir_);
    ASSERT_TRUE(older->held());
  }
  DebugCapture capture;
  EXPECT_EQ(TsmlOpen(0), k.status);
  EXPECT_FALSE(TsmlIsOpen());
  char text[512];
  std::snprintf(text, sizeof text, k.logged, dir_.c_str());
  EXPECT_EQ(capture.Count(text), 1u) << text;
  if (daemon > 0) {
    kill(daemon, SIGTERM);
    int status = 0;
    waitpid(daemon, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Situations, TsmlProbeTest,
    ::testing::Values(ProbeCase{"NoDaemon", "", Daemon::None, false, IPC_STATUS_NO_LINK,
                                "cannot open %s/velmora"},
                      ProbeCase{"DaemonServesOnlyTcp", "", Daemon::TcpOnly, false,
                                IPC_STATUS_NO_LINK, "cannot open %s/velmora"},
                      ProbeCase{"MistypedName", "\\\\.\\pipe\\velmoar", Daemon::SocketAndTcp, false,
                                IPC_STATUS_NO_LINK, "cannot open %s/velmoar"},
                      ProbeCase{"UnreachableHost", "tcp:127.0.0.1:1", Daemon::SocketAndTcp, false,
                                IPC_STATUS_NO_LINK, "cannot connect to tcp:127.0.0.1:1"},
                      ProbeCase{"OlderService", "", Daemon::None, true, IPC_STATUS_VERSION_MISMATCH,
                                "the older service holds %s/Velmora Semaphore 1004"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TsmlOpenTest, ShutdownSendsTheDisconnectAndEndsTheReader) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  uint32_t threads = OsaStatGet(OSA_STAT_THREADS);
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  EXPECT_GT(OsaStatGet(OSA_STAT_THREADS), threads);
  TsmlShutdown();
  EXPECT_FALSE(TsmlIsOpen());
  EXPECT_EQ(OsaStatGet(OSA_STAT_THREADS), threads);
  VmdFrame f;
  EXPECT_TRUE(VmdWaitFrame(
      server_, [](const VmdFrame& x) { return x.inbound && x.length == 0; }, 5000, &f));
  EXPECT_TRUE(VmdWaitEnded(server_, 1, 5000));
}

TEST_F(TsmlOpenTest, ZeroPoolOrWideWindowIsRefusedBeforeAnyConnection) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  TsmlConfigActive()->Cli_Tsm_Pool_Size = 0;
  EXPECT_EQ(TsmlOpen(0), IPC_STATUS_BAD_CONFIGURATION);
  TsmlConfigDefaults(TsmlConfigActive());
  TsmlConfigActive()->Apdu_Length = 49;
  EXPECT_EQ(TsmlOpen(0), IPC_STATUS_INVALID_PARAMETER);
  EXPECT_EQ(VmdGetStats(server_).accepted, 0u);
}

}  // namespace

namespace {

TEST_F(TsmlOpenTest, UnansweredDisconnectReturnsAfterTheCloseWait) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon([](VmdBehaviour* b) { b->ignore_disconnect = true; });
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  uint32_t threads = OsaStatGet(OSA_STAT_THREADS);
  uint32_t was = IpcSetCloseWait(200);
  TsmlShutdown();
  IpcSetCloseWait(was);
  EXPECT_FALSE(TsmlIsOpen());
  EXPECT_LT(OsaStatGet(OSA_STAT_THREADS), threads);
}

// Shut-down with work everywhere: queued incoming requests and unconfirmed
// messages, requests awaiting their confirmation, a request taken by the
// application. Everything is freed once (the sanitizer builds check it).
TEST_F(TsmlOpenTest, ShutdownWithWorkInFlightFreesEverything) {
  TestDeadline deadline(std::chrono::seconds(30));
  StartDaemon();
  ASSERT_EQ(TsmlOpen(0), IPC_STATUS_OK);
  VmdScriptRule r;
  r.no_answer = true;
  VmdScriptAdd(server_, r);
  VmdIncoming in = VmdIncomingDefaults(server_);
  uint32_t index = 0, id = 0;
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(VmdSendConfirmed(server_, 0, in, &index, &id));
  in.params.service = 8;
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(VmdSendUnconfirmed(server_, 0, in));
  SrvTsm* taken = nullptr;
  ASSERT_EQ(TsmlSrvWait(&taken, 5000), IPC_STATUS_OK);
  IpcMsg* m = nullptr;
  ASSERT_EQ(TsmlUnconfirmedWait(&m, 5000), IPC_STATUS_OK);
  IpcMsgFree(m);

  LinkAddress dest{};
  dest.kind = 130;
  dest.macLen = 6;
  PduDesc d{};
  CliTsm* t[2] = {};
  for (CliTsm*& x : t) {
    ASSERT_EQ(TsmCliAllocConfirmed({nullptr, &dest, 0, 12, nullptr, nullptr}, true, 2, &x, nullptr),
              IPC_STATUS_OK);
    ASSERT_TRUE(PduDescAlloc(4, &d));
    d.length = 4;
    ASSERT_EQ(TsmlSend(x, IPC_KIND_CONF_REQUEST, &d), IPC_STATUS_OK);
  }
  TsmlShutdown();
  EXPECT_FALSE(TsmlIsOpen());
  EXPECT_EQ(TsmCliState(t[0]), TSM_NOT_IN_USE);
  EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
}

}  // namespace
