#include "runtime/ipc/ipc_name.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "daemon/vmd_core.h"

namespace {

struct NameCase {
  const char* name;
  IpcNameError error;
  IpcNameKind kind;
  const char* where;  // host or socket path
  uint16_t port;
};

class IpcName : public ::testing::Test {
 protected:
  void SetUp() override { setenv("VELMORA_PIPE_DIR", "/run/vel", 1); }
  void TearDown() override { unsetenv("VELMORA_PIPE_DIR"); }
};

TEST_F(IpcName, TableOfNames) {
  const std::string longName(120, 'n');
  const std::string longHost = "tcp:" + std::string(300, 'h');
  const NameCase cases[] = {
      {"tcp:h:0x1F4", IpcNameError::Ok, IpcNameKind::Tcp, "h", 500},
      {"tcp:h:0764", IpcNameError::Ok, IpcNameKind::Tcp, "h", 500},
      {"tcp:localhost:500", IpcNameError::Ok, IpcNameKind::Tcp, "localhost", 500},
      {"tcp:h:65535", IpcNameError::Ok, IpcNameKind::Tcp, "h", 65535},
      {"tcp:h:1", IpcNameError::Ok, IpcNameKind::Tcp, "h", 1},
      {"tcp:127.0.0.1", IpcNameError::Ok, IpcNameKind::Tcp, "127.0.0.1", 46396},
      {"tcp:h:", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h:0", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h:65536", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h:-1", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h: 80", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h:80x", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:h:99999999999999999999", IpcNameError::BadPort, IpcNameKind::Tcp, "", 0},
      {"tcp:", IpcNameError::BadHost, IpcNameKind::Tcp, "", 0},
      {"tcp::80", IpcNameError::BadHost, IpcNameKind::Tcp, "", 0},
      {longHost.c_str(), IpcNameError::BadHost, IpcNameKind::Tcp, "", 0},
      {"TCP:x", IpcNameError::Ok, IpcNameKind::Pipe, "/run/vel/TCP:x", 0},
      {"Tcp:x:80", IpcNameError::Ok, IpcNameKind::Pipe, "/run/vel/Tcp:x:80", 0},
      {"\\\\.\\pipe\\velmora", IpcNameError::Ok, IpcNameKind::Pipe, "/run/vel/velmora", 0},
      {"\\\\.\\PIPE\\other", IpcNameError::Ok, IpcNameKind::Pipe, "/run/vel/other", 0},
      {"plain", IpcNameError::Ok, IpcNameKind::Pipe, "/run/vel/plain", 0},
      {"/abs/sock", IpcNameError::Ok, IpcNameKind::Pipe, "/abs/sock", 0},
      {"rel/sock", IpcNameError::Ok, IpcNameKind::Pipe, "rel/sock", 0},
      {"\\\\.\\pipe\\", IpcNameError::BadPath, IpcNameKind::Pipe, "", 0},
      {"", IpcNameError::BadPath, IpcNameKind::Pipe, "", 0},
      {longName.c_str(), IpcNameError::BadPath, IpcNameKind::Pipe, "", 0},
  };
  for (const NameCase& c : cases) {
    IpcConnTarget t;
    ASSERT_EQ(IpcNameParse(c.name, &t), c.error) << c.name;
    EXPECT_EQ(t.kind, c.kind) << c.name;
    if (c.error != IpcNameError::Ok) continue;
    if (c.kind == IpcNameKind::Tcp) {
      EXPECT_STREQ(t.host, c.where) << c.name;
      EXPECT_EQ(t.port, c.port) << c.name;
    } else {
      EXPECT_STREQ(t.path, c.where) << c.name;
    }
  }
}

// velmorad serves a --pipe name at the socket the library connects to for
// the same connection name.
TEST_F(IpcName, DaemonServesWhereTheLibraryLooks) {
  for (const char* name : {"\\\\.\\pipe\\velmora", "\\\\.\\PIPE\\velmora", "\\\\.\\Pipe\\site7",
                           "\\\\.\\pIpE\\Mixed", "plain", "/abs/sock"}) {
    IpcConnTarget t;
    ASSERT_EQ(IpcNameParse(name, &t), IpcNameError::Ok) << name;
    EXPECT_EQ(VmdPipePathFor(name), t.path) << name;
  }
}

TEST_F(IpcName, PipeDirectoryDefaultsToTmp) {
  IpcConnTarget t;
  unsetenv("VELMORA_PIPE_DIR");
  ASSERT_EQ(IpcNameParse(IPC_DEFAULT_CONN_NAME, &t), IpcNameError::Ok);
  EXPECT_STREQ(t.path, "/tmp/velmora");
  setenv("VELMORA_PIPE_DIR", "", 1);
  ASSERT_EQ(IpcNameParse(IPC_DEFAULT_CONN_NAME, &t), IpcNameError::Ok);
  EXPECT_STREQ(t.path, "/tmp/velmora");
  EXPECT_EQ(IpcNameParse(nullptr, &t), IpcNameError::BadPath);
}

}  // namespace
