// What frames being read may hold: a daemon-wide budget that refuses the
// frame that would pass it and serves the rest, and memory that goes back
// once a burst of large frames is over.
#include <sys/types.h>

#include <fstream>
#include <string>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"
#include "tests/support/program_run.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A sanitizer keeps freed memory in quarantine and shadows the rest, so the
// daemon's resident memory says little about what it holds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr uint32_t kSegments = 1000;  // frames of up to 1476000 payload bytes

// A registration that lets the link's frames be `segments` APDUs long.
Bytes RegistrationFor(uint32_t segments) {
  Bytes reg = RegistrationRequest();
  IpcPut32(reg, 40, segments);
  return reg;
}

// The frame of an unconfirmed request carrying `payload` bytes.
Bytes RequestFrame(size_t payload) {
  Bytes m = Message(IPC_KIND_UNCONF_REQUEST, 0, Bytes(payload, 0x33));
  Bytes f(4);
  IpcPut32(f, 0, uint32_t(m.size()));
  f.insert(f.end(), m.begin(), m.end());
  return f;
}

// The request's acknowledgement arrives with status 0.
void ExpectAcknowledged(RawClient* c) {
  Bytes r;
  ASSERT_EQ(RawReadFrame(c, &r), 1);
  EXPECT_EQ(IpcGet16(r, IPC_OFF_KIND), IPC_KIND_UNCONF_REQUEST);
  EXPECT_EQ(IpcGet16(r, IPC_OFF_STATUS), 0);
}

class ReadBudget : public DaemonTest {};

// The budget is shared: a frame that fits it alone is refused while another
// link's partly read frame holds the rest, and served once that one is done.
TEST_F(ReadBudget, AFrameBeyondTheBudgetEndsOnlyItsLink) {
  TestDeadline deadline(std::chrono::seconds(90));
  VmdConfig config = BaseConfig();
  config.read_budget = 1500000;
  config.frame_log = false;
  Start(config);
  const Bytes large = RequestFrame(1100000), medium = RequestFrame(600000);
  ASSERT_LT(medium.size(), config.read_budget);
  ASSERT_LT(large.size(), config.read_budget);
  ASSERT_GT(1000000 + medium.size(), config.read_budget);

  RawClient small, holding, refused, later;
  ConnectRegistered(&small);
  for (RawClient* c : {&holding, &refused, &later}) {
    Connect(c);
    ASSERT_EQ(Ask(c, RegistrationFor(kSegments)).size(), 28u);
  }
  // One million bytes of the large frame wait in the daemon.
  ASSERT_TRUE(RawSend(&holding, std::span(large).first(1000000)));
  ASSERT_TRUE(WaitUntil([&] {
    for (const VmdAppStats& a : VmdGetStats(server_).apps)
      if (a.bytes_read >= 1000000) return true;
    return false;
  }));
  RawSend(&refused, medium);  // the link may end before all of it is written
  EXPECT_TRUE(RawWaitClosed(&refused));
  EXPECT_TRUE(VmdWaitLog(server_, "that the frames being read on other links leave", kWaitMs));
  EXPECT_TRUE(Answers(&small));

  ASSERT_TRUE(RawSend(&holding, std::span(large).subspan(1000000)));
  ExpectAcknowledged(&holding);
  ASSERT_TRUE(RawSend(&later, medium));
  ExpectAcknowledged(&later);
  EXPECT_TRUE(Answers(&holding));
  EXPECT_EQ(VmdGetStats(server_).lost, 1u);
}

// The daemon's resident memory, as the kernel counts it; 0 when unknown.
size_t ResidentBytes(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

size_t Count(const std::string& text, const std::string& fragment) {
  size_t n = 0;
  for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
    ++n;
  return n;
}

// Links that each announce the largest frame a length word allows and send
// 2 MiB of it hold no more than the budget, and after they close the
// daemon is about as large as it was idle.
TEST(DaemonMemory, ABurstOfLargeFramesIsGivenBack) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer's resident memory is not the daemon's";
  TestDeadline deadline(std::chrono::seconds(90));
  constexpr size_t kLinks = 100, kSent = 2u << 20;
  static_assert(kLinks * kSent > 2 * kVmdReadBudget, "the burst is beyond the budget");
  TempDir temp;
  Velmorad daemon(temp.path(), ReadTextFile(VELMORA_SOURCE_DIR "/daemon/sites/demo.site"));
  ASSERT_TRUE(daemon.ready());
  const size_t idle = ResidentBytes(daemon.pid());
  ASSERT_GT(idle, 0u);
  const size_t bound = 4 * idle + (32u << 20);
  {
    std::vector<RawClient> links(kLinks);
    for (RawClient& c : links) {
      ASSERT_TRUE(RawConnectUnix(&c, temp.path() + "/velmora"));
      ASSERT_EQ(Ask(&c, RegistrationFor(0xFFFFFFFFu)).size(), 28u);
    }
    Bytes head(4);
    IpcPut32(head, 0, 0x7FFFFFFFu);
    const Bytes body(kSent, 0x33);
    for (RawClient& c : links)
      if (RawSend(&c, head)) RawSend(&c, body);  // a refused link ends while it is written
    EXPECT_LT(ResidentBytes(daemon.pid()), bound + kVmdReadBudget);
  }
  size_t read = 0, refused = 0;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string log = daemon.Log();
    read = Count(log, "link ended inside a frame");
    refused = Count(log, "frames being read on other links leave");
    return read + refused == kLinks;
  }));
  EXPECT_GT(read, 0u);
  EXPECT_GT(refused, 0u);
  EXPECT_TRUE(WaitUntil([&] { return ResidentBytes(daemon.pid()) < bound; }))
      << ResidentBytes(daemon.pid()) << " bytes resident, " << idle << " when idle";
}

}  // namespace
