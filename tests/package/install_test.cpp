// The installed library: `cmake --install` of this build tree into a fresh
// prefix, then an application built against it with find_package(Velmora)
// and one target_link_libraries, run against the installed velmorad.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/deadline.h"
#include "tests/support/socket_probe.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace {

namespace fs = std::filesystem;

// The application's whole build description, as the README shows it.
constexpr char kAppCMake[] = R"(cmake_minimum_required(VERSION 3.25)
project(discover CXX)
find_package(Velmora REQUIRED)
add_executable(discover main.cpp)
target_link_libraries(discover PRIVATE Velmora::velmora)
)";

// Starts the library, finds the daemon's devices with a global Who-Is and
// says how many answered.
constexpr char kAppMain[] = R"(#include <chrono>
#include <cstdio>
#include <thread>

#include "runtime/apil/velmora.h"

int main() {
  VelmoraInitParams params;
  VelmoraInitDefaults(&params, 6, 2);
  VelmoraStatus status = VelmoraInit(&params, 0);
  if (status != VELMORA_STATUS_OK) {
    std::printf("start-up: %d\n", int(status));
    return 1;
  }
  VelmoraAddress everywhere{1, VELMORA_GLOBAL_NETWORK, {}, 0};
  status = VelmoraWhoIs(&everywhere, -1, -1);
  uint32_t total = 0;
  for (int i = 0; i < 1000 && total < 6; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    VelmoraGetDeviceList(nullptr, 0, &total);
  }
  std::printf("who-is: %d, devices: %u\n", int(status), total);
  VelmoraTerminate();
  return 0;
}
)";

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command with its output to a file; the exit status.
int Shell(const std::string& command, const std::string& log) {
  return system((command + " >" + Quote(log) + " 2>&1").c_str());
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  void TearDown() override {
    if (daemon_ > 0) {
      kill(daemon_, SIGTERM);
      waitpid(daemon_, nullptr, 0);
    }
  }
  TempDir temp_;
  std::string dir_ = temp_.path();
  pid_t daemon_ = -1;
};

TEST_F(InstallTest, AnApplicationBuildsAgainstTheInstalledTree) {
  // Configuring and compiling take their time; a hang still ends here.
  TestDeadline deadline(std::chrono::seconds(110));
  const std::string prefix = dir_ + "/prefix";
  const std::string log = dir_ + "/log";
  ASSERT_EQ(Shell(Quote(VELMORA_CMAKE) + " --install " + Quote(VELMORA_BINARY_DIR) + " --prefix " +
                      Quote(prefix),
                  log),
            0)
      << ReadTextFile(log);
  for (const char* file :
       {"/lib/libvelmora_apil.a", "/lib/libvelmora_tsml.a",
        "/include/velmora/runtime/apil/velmora.h", "/include/velmora/runtime/apil/velmora_status.h",
        "/include/velmora/bacnet/records.h", "/bin/velmorad",
        "/lib/cmake/Velmora/VelmoraConfig.cmake"})
    EXPECT_TRUE(fs::exists(prefix + file)) << file;

  const std::string app = dir_ + "/app";
  fs::create_directories(app);
  WriteTextFile(app + "/CMakeLists.txt", kAppCMake);
  WriteTextFile(app + "/main.cpp", kAppMain);
  const std::string flags = VELMORA_SANITIZE_FLAGS;
  std::string configure = Quote(VELMORA_CMAKE) + " -S " + Quote(app) + " -B " +
                          Quote(app + "/build") + " -DCMAKE_PREFIX_PATH=" + Quote(prefix) +
                          " -DCMAKE_CXX_COMPILER=" + Quote(VELMORA_CXX);
  if (!flags.empty())
    configure += " -DCMAKE_CXX_FLAGS=" + Quote(flags) + " -DCMAKE_EXE_LINKER_FLAGS=" + Quote(flags);
  ASSERT_EQ(Shell(configure, log), 0) << ReadTextFile(log);
  ASSERT_EQ(Shell(Quote(VELMORA_CMAKE) + " --build " + Quote(app + "/build"), log), 0)
      << ReadTextFile(log);

  // The installed daemon serves its demo site on a socket of this test.
  setenv("VELMORA_PIPE_DIR", dir_.c_str(), 1);
  setenv("VELMORA_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
  daemon_ = fork();
  ASSERT_GE(daemon_, 0);
  if (daemon_ == 0) {
    const std::string program = prefix + "/bin/velmorad";
    execl(program.c_str(), "velmorad", "--pipe", "velmora", "--log",
          (dir_ + "/velmorad.log").c_str(), nullptr);
    _exit(127);
  }
  ASSERT_TRUE(WaitUntil([&] { return UnixSocketListening(dir_ + "/velmora"); }))
      << "velmorad does not listen: " << ReadTextFile(dir_ + "/velmorad.log");
  ASSERT_EQ(Shell(Quote(app + "/build/discover"), log), 0) << ReadTextFile(log);
  // The library's log lines go to standard error, beside the answer.
  EXPECT_NE(ReadTextFile(log).find("who-is: 0, devices: 6\n"), std::string::npos)
      << ReadTextFile(log);
}

}  // namespace
