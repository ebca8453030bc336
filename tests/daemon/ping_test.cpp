// velmora-ping as a program: a daemon that answers, and daemons that stall
// anywhere in the exchange, which end the ping by its time-out instead of
// hanging it.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"
#include "tests/support/program_run.h"

namespace {

const char* kPing = VELMORA_BINARY_DIR "/daemon/velmora-ping";
const char* kTimedOut =
    "velmora-ping: '\\\\.\\pipe\\velmora' did not finish the exchange within 1 s\n";

// The time-out's tests wait one second instead of the five a user gets.
struct ShortTimeOut {
  ShortTimeOut() { setenv("VELMORA_TEST_PING_TIMEOUT_S", "1", 1); }
  ~ShortTimeOut() { unsetenv("VELMORA_TEST_PING_TIMEOUT_S"); }
  ShortTimeOut(const ShortTimeOut&) = delete;
  ShortTimeOut& operator=(const ShortTimeOut&) = delete;
};

int Listen(const std::string& path, int backlog) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(fd, backlog) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  return fd;
}

bool WaitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, int(kTestWait.count())) == 1;
}

// A daemon at `path` that stalls: with `fullQueue` its listen queue is full
// (a connect waits), otherwise it answers the first registration with
// `reply` (a part of a frame) and then holds the link, silent.
class StalledDaemon {
 public:
  StalledDaemon(const std::string& path, bool fullQueue, std::vector<uint8_t> reply)
      : listener_(Listen(path, 0)), reply_(std::move(reply)) {
    if (listener_ < 0) return;
    if (fullQueue) {
      // Backlog 0 admits one waiting connection; the next connect waits.
      filler_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
      ready_ = connect(filler_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
      return;
    }
    ready_ = true;
    answerer_ = std::thread([this] {
      if (!WaitReadable(listener_)) return;
      link_ = accept(listener_, nullptr, nullptr);
      uint8_t request[256];
      if (link_ < 0 || !WaitReadable(link_) || recv(link_, request, sizeof request, 0) <= 0) return;
      if (!reply_.empty()) send(link_, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    });
  }
  ~StalledDaemon() {
    if (answerer_.joinable()) answerer_.join();
    for (int fd : {link_, filler_, listener_})
      if (fd >= 0) close(fd);
  }
  bool ready() const { return ready_; }

 private:
  int listener_;
  int filler_ = -1;
  int link_ = -1;
  bool ready_ = false;
  std::vector<uint8_t> reply_;
  std::thread answerer_;
};

// The length word of a registration reply, little-endian, and `count` of
// its message bytes.
std::vector<uint8_t> ReplyStart(size_t count) {
  std::vector<uint8_t> bytes = {IPC_REGISTER_REPLY_MIN, 0, 0, 0};
  bytes.resize(bytes.size() + count, 0);
  return bytes;
}

TEST(Ping, StallAnywhereEndsByTheTimeOut) {
  TestDeadline deadline(std::chrono::seconds(90));
  ShortTimeOut shortTimeOut;
  const struct {
    const char* name;
    bool fullQueue;
    std::vector<uint8_t> reply;
  } cases[] = {
      {"the connect waits", true, {}},
      {"no reply", false, {}},
      {"the length word only", false, ReplyStart(0)},
      {"half a frame", false, ReplyStart(IPC_REGISTER_REPLY_MIN / 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir temp;
    StalledDaemon daemon(temp.File("velmora"), c.fullQueue, c.reply);
    ASSERT_TRUE(daemon.ready());
    ProgramRun r = RunProgram(kPing, temp.path(), {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(ReadTextFile(temp.File("velmora-ping.err")).find(kTimedOut), std::string::npos);
  }
}

class PingDaemon : public DaemonTest {};

TEST_F(PingDaemon, AnswersAndDisconnects) {
  TestDeadline deadline(std::chrono::seconds(60));
  ProgramRun r = RunProgram(kPing, dir_, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(
      "daemon at \\\\.\\pipe\\velmora: status 0, runtime 6.2.4, max APDU {N}, user {N}, "
      "local MAC {*}\ndisconnect answered\n",
      r.out);
}

// What was printed before the time-out struck is kept.
TEST_F(PingDaemon, UnansweredDisconnectEndsByTheTimeOut) {
  TestDeadline deadline(std::chrono::seconds(60));
  ShortTimeOut shortTimeOut;
  VmdBehaviour b = VmdGetBehaviour(server_);
  b.ignore_disconnect = true;
  VmdSetBehaviour(server_, b);
  ProgramRun r = RunProgram(kPing, dir_, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_OUTPUT("daemon at \\\\.\\pipe\\velmora: status 0, {*}\n", r.out);
  EXPECT_NE(ReadTextFile(dir_ + "/velmora-ping.err").find(kTimedOut), std::string::npos);
}

}  // namespace
