// velmorad as a program: its options, refusing a socket in use, removing a
// stale one, what it leaves in its directory, and the clean stop on SIGTERM.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "daemon/vmd_cli.h"
#include "runtime/ipc/ipc_frame.h"
#include "support/daemon_fixture.h"
#include "tests/support/socket_probe.h"

namespace {

const char* kProgram = VELMORA_BINARY_DIR "/daemon/velmorad";
// What only an older stack service holds (the library probes for it).
const char* kOlderServiceObject = "Velmora Semaphore 1004";

struct Child {
  pid_t pid = -1;
  std::string out_path, err_path;
};

Child Spawn(const std::string& dir, std::vector<std::string> args) {
  Child r;
  r.out_path = dir + "/out.txt";
  r.err_path = dir + "/err.txt";
  r.pid = fork();
  if (r.pid == 0) {
    setenv("VELMORA_PIPE_DIR", dir.c_str(), 1);
    int out = open(r.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(r.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(kProgram)};
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(kProgram, argv.data());
    _exit(127);
  }
  return r;
}

// The exit status, or -1 when the program is still running at the deadline
// (it is killed then).
int Wait(Child* r) {
  int status = 0;
  if (!WaitUntil([&] { return waitpid(r->pid, &status, WNOHANG) != 0; })) {
    kill(r->pid, SIGKILL);
    waitpid(r->pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool WaitForFile(const std::string& path) {
  return WaitUntil([&] { return access(path.c_str(), F_OK) == 0; });
}

// A quiet in-process daemon on the socket `path`.
VmdConfig InProcess(const std::string& path) {
  VmdConfig config;
  config.pipe_path = path;
  config.log_quiet = true;
  VmdSiteDefaults(&config.site);
  return config;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  TempDir temp_;
  std::string dir_ = temp_.path();
};

TEST_F(Cli, OptionTable) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    const char* pipe;  // socket file name in $VELMORA_PIPE_DIR, "" for none
    bool tcp;
    const char* host;
    uint16_t port;
  } cases[] = {
      {{}, true, "velmora", false, "127.0.0.1", 46396},
      {{"--pipe", "\\\\.\\pipe\\site7"}, true, "site7", false, "", 0},
      {{"--pipe=plain"}, true, "plain", false, "", 0},
      {{"--tcp", "5000"}, true, "", true, "127.0.0.1", 5000},
      {{"--tcp", "10.1.2.3:0"}, true, "", true, "10.1.2.3", 0},
      {{"--tcp=7000", "--pipe", "both"}, true, "both", true, "127.0.0.1", 7000},
      {{"--tcp", "65536"}, false, "", false, "", 0},
      {{"--tcp", "host:"}, false, "", false, "", 0},
      {{"--tcp", ":80"}, false, "", false, "", 0},
      {{"--tcp", "0x10"}, false, "", false, "", 0},
      {{"--tcp"}, false, "", false, "", 0},
      {{"--pipe", ""}, false, "", false, "", 0},
      {{"--pipe", "\\\\.\\PIPE\\"}, false, "", false, "", 0},
      {{"--log"}, false, "", false, "", 0},
      {{"--frobnicate"}, false, "", false, "", 0},
      {{"extra"}, false, "", false, "", 0},
  };
  for (const Case& k : cases) {
    std::vector<const char*> argv{"velmorad"};
    argv.insert(argv.end(), k.args.begin(), k.args.end());
    std::string trace;
    for (const char* a : k.args)
      trace += std::string(a) + " ";
    SCOPED_TRACE(trace);
    VmdCli cli;
    std::string error;
    ASSERT_EQ(VmdCliParse(int(argv.size()), argv.data(), &cli, &error), k.ok) << error;
    if (!k.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    VmdConfig config = VmdCliConfig(cli);
    EXPECT_EQ(config.pipe_path, *k.pipe ? VmdPipePathFor(k.pipe) : "");
    EXPECT_EQ(config.tcp, k.tcp);
    if (k.tcp) {
      EXPECT_EQ(config.tcp_host, k.host);
      EXPECT_EQ(config.tcp_port, k.port);
    }
  }
}

TEST_F(Cli, PipeNamesMapIntoThePipeDirectory) {
  EXPECT_EQ(VmdPipePathFor("\\\\.\\pipe\\velmora", "/d"), "/d/velmora");
  // The prefix in any case, as the library reads it.
  EXPECT_EQ(VmdPipePathFor("\\\\.\\PIPE\\velmora", "/d"), "/d/velmora");
  EXPECT_EQ(VmdPipePathFor("\\\\.\\Pipe\\site7", "/d"), "/d/site7");
  EXPECT_EQ(VmdPipePathFor("velmora", "/d"), "/d/velmora");
  EXPECT_EQ(VmdPipePathFor("/run/x.sock", "/d"), "/run/x.sock");
}

TEST_F(Cli, HelpDocumentsEveryOption) {
  Child r = Spawn(dir_, {"--help"});
  ASSERT_EQ(Wait(&r), 0);
  std::string out = ReadTextFile(r.out_path);
  for (const char* opt : {"--pipe NAME", "--tcp [HOST:]PORT", "--bip [HOST:]PORT", "--site FILE",
                          "--log FILE", "--version", "--help", "VELMORA_PIPE_DIR"})
    EXPECT_NE(out.find(opt), std::string::npos) << opt;
  EXPECT_EQ(out.find("Semaphore"), std::string::npos);
  Child v = Spawn(dir_, {"--version"});
  ASSERT_EQ(Wait(&v), 0);
  EXPECT_EQ(ReadTextFile(v.out_path).rfind("velmorad 6.2.", 0), 0u);
}

TEST_F(Cli, BadOptionAndBadSiteAreClearErrors) {
  Child r = Spawn(dir_, {"--bogus"});
  EXPECT_EQ(Wait(&r), 2);
  EXPECT_NE(ReadTextFile(r.err_path).find("unknown option '--bogus'"), std::string::npos);
  std::ofstream(dir_ + "/bad.site") << "[daemon]\nmac = 00:11\nmax_apdu = 9999\n";
  Child s = Spawn(dir_, {"--site", dir_ + "/bad.site", "--pipe", "x"});
  EXPECT_EQ(Wait(&s), 1);
  EXPECT_NE(ReadTextFile(s.err_path).find("bad.site:3: bad max_apdu '9999'"), std::string::npos)
      << ReadTextFile(s.err_path);
}

// A directory is no site: not an empty one served until SIGTERM.
TEST_F(Cli, ADirectoryAsTheSiteStopsTheStart) {
  Child s = Spawn(dir_, {"--site", dir_, "--pipe", "x"});
  EXPECT_EQ(Wait(&s), 1);
  EXPECT_EQ(ReadTextFile(s.err_path), "velmorad: " + dir_ + ": cannot read: Is a directory\n");
  EXPECT_NE(access((dir_ + "/x").c_str(), F_OK), 0) << "nothing served";
}

TEST_F(Cli, ABadPropertyValueStopsTheStartWithItsLine) {
  std::ofstream(dir_ + "/bad.site") << "[device 5]\nmac = 05\n\n"
                                       "[object analog-input 1]\npresent-value = real 1,5\n";
  Child s = Spawn(dir_, {"--site", dir_ + "/bad.site", "--pipe", "x"});
  EXPECT_EQ(Wait(&s), 1);
  EXPECT_NE(
      ReadTextFile(s.err_path).find("bad.site:5: present-value: expected the end of the value"),
      std::string::npos)
      << ReadTextFile(s.err_path);
  EXPECT_NE(access((dir_ + "/x").c_str(), F_OK), 0) << "nothing served";
}

// Without --site the program serves the demo site: a global Who-Is finds its
// six devices, and each answers a read of its name.
TEST_F(Cli, WithoutASiteItServesTheDemoSite) {
  std::string log_path = dir_ + "/daemon.log";
  Child d = Spawn(dir_, {"--log", log_path});
  ASSERT_TRUE(WaitUntil([&] { return UnixSocketListening(dir_ + "/velmora"); }))
      << ReadTextFile(log_path);
  RawClient c;
  ASSERT_TRUE(RawConnectUnix(&c, dir_ + "/velmora"));
  ASSERT_EQ(Register(&c).size(), 28u);
  ASSERT_TRUE(RawSendFrame(&c, Unconfirmed(8, Mac({}, 0xFFFF), {})));
  ASSERT_TRUE(RawSendFrame(&c, Message(IPC_KIND_GET_VALUE_ALL, 4)));
  std::vector<LinkAddress> found;
  std::vector<uint32_t> instances;
  std::vector<uint8_t> r;
  while (RawReadFrame(&c, &r) == 1 && IpcGet16(r, 0) != IPC_KIND_GET_VALUE_ALL) {
    if (IpcGet16(r, 0) != IPC_KIND_UNCONF_INDICATION) continue;
    LinkAddress a{};
    LinkAddressRead(r, 28, &a);
    found.push_back(a);
    instances.push_back((uint32_t(r[70]) << 16 | uint32_t(r[71]) << 8 | r[72]) & 0x3FFFFF);
  }
  EXPECT_EQ(found.size(), 6u);
  for (size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE(instances[i]);
    uint32_t id = 0x02000000 | instances[i];
    std::vector<uint8_t> name = {
        0x0C, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id), 0x19, 0x4D};
    ASSERT_TRUE(RawSendFrame(&c, Confirmed(12, found[i], name, 1, uint32_t(i))));
    ASSERT_EQ(RawReadFrame(&c, &r), 1);  // the acknowledgement
    ASSERT_EQ(RawReadFrame(&c, &r), 1);
    EXPECT_EQ(IpcGet16(r, 0), IPC_KIND_CONFIRMATION);
    EXPECT_EQ(IpcGet16(r, 12), 0) << "outcome";
    ASSERT_GT(r.size(), 68u + name.size());
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 68, r.begin() + 68 + 7), name) << "the echo";
  }
  kill(d.pid, SIGTERM);
  EXPECT_EQ(Wait(&d), 0);
  EXPECT_NE(ReadTextFile(log_path).find("site demo.site (built in): 6 simulated devices"),
            std::string::npos);
}

TEST_F(Cli, ServesUntilSigintOrSigtermThenCleansUp) {
  for (int sig : {SIGTERM, SIGINT}) {
    const char* name = sig == SIGTERM ? "SIGTERM" : "SIGINT";
    SCOPED_TRACE(name);
    std::string sock = dir_ + "/velmora";
    std::string log_path = dir_ + "/daemon-" + name + ".log";
    Child d =
        Spawn(dir_, {"--site", VELMORA_SOURCE_DIR "/daemon/sites/demo.site", "--log", log_path});
    ASSERT_TRUE(WaitForFile(sock));
    RawClient c;
    ASSERT_TRUE(WaitUntil([&] { return RawConnectUnix(&c, sock); }));
    std::vector<uint8_t> reply = Register(&c);
    ASSERT_EQ(reply.size(), 28u);
    EXPECT_EQ(reply[16], 6);  // the demo site's MAC length

    // A second daemon on the same socket refuses to start.
    Child second = Spawn(dir_, {});
    EXPECT_EQ(Wait(&second), 1);
    EXPECT_NE(ReadTextFile(second.err_path).find("is in use by a running daemon"),
              std::string::npos);

    kill(d.pid, sig);
    EXPECT_EQ(Wait(&d), 0);
    EXPECT_TRUE(RawWaitClosed(&c));
    EXPECT_NE(access(sock.c_str(), F_OK), 0);
    std::string log = ReadTextFile(log_path);
    for (std::string line : {"listening on", "connection 1 accepted", "registered user 1",
                             "stopping on ", "closed by the daemon", "stopped"}) {
      if (line == "stopping on ") line += name;
      EXPECT_NE(log.find(line), std::string::npos) << line;
    }
  }
}

TEST_F(Cli, StaleSocketIsReplacedAndAForeignFileIsNot) {
  std::string sock = dir_ + "/velmora";
  {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un sa{};
    sa.sun_family = AF_UNIX;
    strcpy(sa.sun_path, sock.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    close(fd);  // bound, never listening: stale
  }
  VmdConfig config = InProcess(sock);
  std::string error;
  VmdServer* s = VmdStart(config, &error);
  ASSERT_NE(s, nullptr) << error;
  RawClient c;
  EXPECT_TRUE(RawConnectUnix(&c, sock));
  VmdStop(s);

  std::ofstream(sock) << "not a socket";
  EXPECT_EQ(VmdStart(config, &error), nullptr);
  EXPECT_NE(error.find("exists and is not a socket"), std::string::npos) << error;
  EXPECT_EQ(ReadTextFile(sock), "not a socket");
}

// Daemons hold nothing in their directory but their sockets: the object an
// older service would hold there is never made by one of ours, whether it
// serves a socket or TCP alone.
TEST_F(Cli, DaemonsLeaveOnlyTheirSocketsInTheDirectory) {
  Child d[2] = {Spawn(dir_, {"--pipe", "a", "--log", dir_ + "/a.log"}), {}};
  ASSERT_TRUE(WaitForFile(dir_ + "/a"));
  d[1] = Spawn(dir_, {"--tcp", "0", "--log", dir_ + "/tcp.log"});
  ASSERT_TRUE(WaitUntil([&] {
    return ReadTextFile(dir_ + "/tcp.log").find("listening on tcp") != std::string::npos;
  }));
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"a", "a.log", "tcp.log", "out.txt", "err.txt"}));
  EXPECT_EQ(names.count(kOlderServiceObject), 0u);
  for (Child& c : d) {
    kill(c.pid, SIGTERM);
    EXPECT_EQ(Wait(&c), 0);
  }
}

// A daemon whose socket file was removed and served again by another one
// leaves that one's socket in place when it stops.
TEST_F(Cli, AStoppingDaemonRemovesOnlyItsOwnSocket) {
  VmdConfig config = InProcess(dir_ + "/velmora");
  std::string error;
  VmdServer* a = VmdStart(config, &error);
  ASSERT_NE(a, nullptr) << error;
  ASSERT_EQ(unlink(config.pipe_path.c_str()), 0);
  VmdServer* b = VmdStart(config, &error);
  ASSERT_NE(b, nullptr) << error;
  VmdStop(a);
  RawClient c;
  ASSERT_TRUE(RawConnectUnix(&c, config.pipe_path));
  EXPECT_EQ(Register(&c).size(), 28u);
  VmdStop(b);
  EXPECT_NE(access(config.pipe_path.c_str(), F_OK), 0);
}

}  // namespace
