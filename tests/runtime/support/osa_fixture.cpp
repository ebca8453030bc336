#include "tests/runtime/support/osa_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "runtime/osa/osa.h"
#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_time.h"

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmora-test-XXXXXX";
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

DebugCapture::DebugCapture() { PlatSetDebugSink(&DebugCapture::Sink, this); }
DebugCapture::~DebugCapture() { PlatSetDebugSink(nullptr, nullptr); }

void DebugCapture::Sink(void* context, const char* text) {
  auto* self = static_cast<DebugCapture*>(context);
  std::lock_guard<std::mutex> guard(self->lock_);
  self->lines_.emplace_back(text);
}

std::vector<std::string> DebugCapture::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

size_t DebugCapture::Count(const std::string& text) const {
  std::lock_guard<std::mutex> guard(lock_);
  size_t n = 0;
  for (const std::string& line : lines_)
    n += line.find(text) != std::string::npos;
  return n;
}

void DebugCapture::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  lines_.clear();
}

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
