// The readiness check the tests wait on before they talk to a velmorad
// program: a socket counts once it listens, not when its file appears at
// the bind, and never through a connection a listener accepted.
#include "tests/support/socket_probe.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "tests/daemon/support/daemon_fixture.h"

namespace {

TEST(SocketProbe, OnlyAListeningSocketIsReady) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.File("with a blank");
  int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un sa{};
  sa.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof sa.sun_path);
  std::memcpy(sa.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  EXPECT_FALSE(UnixSocketListening(path)) << "bound, not listening yet";
  ASSERT_EQ(listen(listener, 4), 0);
  EXPECT_TRUE(UnixSocketListening(path));
  EXPECT_FALSE(UnixSocketListening(path + "x"));

  RawClient client;
  ASSERT_TRUE(RawConnectUnix(&client, path));
  int accepted = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  ASSERT_GE(accepted, 0);
  close(listener);
  EXPECT_FALSE(UnixSocketListening(path)) << "only an accepted link is left";
  close(accepted);
}

}  // namespace
