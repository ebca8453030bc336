#include "tests/runtime/support/osa_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "runtime/osa/osa.h"
#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_time.h"

void OsaTest::SetUp() {
  ASSERT_FALSE(dir_.path().empty());
  registry_ = dir_.File("registry.reg");
  setenv("VELMORA_REGISTRY", registry_.c_str(), 1);
}

void OsaTest::TearDown() {
  while (OsaRefCount() > 0)
    OsaTerm();
  PlatSetTickCountFn(nullptr);
  PlatSetProcessIdFn(nullptr);
  PlatSetPlatformCheckFn(nullptr);
  unsetenv("VELMORA_REGISTRY");
}

std::string RegistryWithLogFile(const std::string& log_path) {
  std::string escaped;
  for (char c : log_path) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\OSA]\n\"LogFile\"=\"" +
         escaped + "\"\n";
}

::testing::AssertionResult RunInChildren(int count, const std::function<int(int index)>& body,
                                         std::chrono::seconds deadline) {
  std::vector<pid_t> children;
  std::string failures;
  for (int i = 0; i < count; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      alarm(static_cast<unsigned>(deadline.count()));
      _exit(body(i));
    }
    if (child < 0) {
      failures += " child " + std::to_string(i) + " could not be started;";
      break;
    }
    children.push_back(child);
  }
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (size_t i = 0; i < children.size(); ++i) {
    int status = 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (!WaitUntil([&] { return waitpid(children[i], &status, WNOHANG) == children[i]; },
                   std::max(left, std::chrono::milliseconds(0)))) {
      kill(children[i], SIGKILL);
      waitpid(children[i], &status, 0);
      failures += " child " + std::to_string(i) + " passed the deadline;";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      failures +=
          " child " + std::to_string(i) + " ended with status " + std::to_string(status) + ";";
    }
  }
  if (failures.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << failures;
}
