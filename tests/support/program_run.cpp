#include "tests/support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <sstream>

#include "tests/support/socket_probe.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

extern char** environ;

namespace {

const std::string kVelmoradProgram = VELMORA_BINARY_DIR "/daemon/velmorad";

// The environment of the test with the link's directory, configuration
// file and time zone replaced; built before the fork, so that the child
// only calls what is safe there.
std::vector<std::string> Environment(const std::string& dir) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("VELMORA_PIPE_DIR=", 0) == 0 || entry.rfind("VELMORA_REGISTRY=", 0) == 0 ||
        entry.rfind("TZ=", 0) == 0)
      continue;
    env.push_back(entry);
  }
  env.push_back("VELMORA_PIPE_DIR=" + dir);
  env.push_back("VELMORA_REGISTRY=" + dir + "/registry.reg");
  env.push_back("TZ=UTC");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> p;
  for (std::string& t : texts)
    p.push_back(t.data());
  p.push_back(nullptr);
  return p;
}

pid_t Spawn(const std::string& program, std::vector<std::string> args, const std::string& dir,
            const std::string& outPath, const std::string& errPath) {
  args.insert(args.begin(), program);
  std::vector<std::string> env = Environment(dir);
  std::vector<char*> argv = Pointers(args), envp = Pointers(env);
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, 1);
    dup2(err, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

// The exit status, or -1 when the child is still running at the deadline.
int WaitExit(pid_t pid) {
  int status = 0;
  if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) != 0; })) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  if (!text.empty() && text.back() != '\n') lines.back() += "<no line end>";
  return lines;
}

// One line against its pattern.
bool LineMatches(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (pattern[0] == '{' && pattern[1] == '*' && pattern[2] == '}') {
    for (const char* t = text;; ++t) {
      if (LineMatches(pattern + 3, t)) return true;
      if (*t == '\0') return false;
    }
  }
  if (pattern[0] == '{' && pattern[1] == 'N' && pattern[2] == '}') {
    const char* t = text;
    while (*t == ' ')
      ++t;
    while (*t >= '0' && *t <= '9') {
      ++t;
      if (LineMatches(pattern + 3, t)) return true;
    }
    return false;
  }
  return *pattern == *text && LineMatches(pattern + 1, text + 1);
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args) {
  static std::atomic<int> runs{0};
  const std::string name = program.substr(program.rfind('/') + 1);
  std::string out = dir + "/" + name + "-" + std::to_string(++runs) + ".out";
  pid_t pid = Spawn(program, args, dir, out, dir + "/" + name + ".err");
  int status = WaitExit(pid);
  return {status, ReadTextFile(out)};
}

Velmorad::Velmorad(const std::string& dir, const std::string& siteText,
                   const std::vector<std::string>& options)
    : dir_(dir) {
  WriteTextFile(dir + "/test.site", siteText);
  std::vector<std::string> args = {"--pipe",           "velmora", "--site",
                                   dir + "/test.site", "--log",   dir + "/velmorad.log"};
  args.insert(args.end(), options.begin(), options.end());
  pid_ = Spawn(kVelmoradProgram, args, dir, dir + "/velmorad.out", dir + "/velmorad.err");
  std::string socket = dir + "/velmora";
  bool ended = false;
  ready_ = WaitUntil([&] {
    ended = waitpid(pid_, nullptr, WNOHANG) != 0;
    return ended || UnixSocketListening(socket);
  });
  if (ended) {
    ready_ = false;
    pid_ = -1;
  }
}

Velmorad::~Velmorad() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  WaitExit(pid_);
}

std::string Velmorad::Log() const {
  return ReadTextFile(dir_ + "/velmorad.log") + ReadTextFile(dir_ + "/velmorad.err");
}

bool OutputMatches(const std::string& expected, const std::string& actual, std::string* why) {
  std::vector<std::string> want = Lines(expected), got = Lines(actual);
  for (size_t i = 0; i < want.size() || i < got.size(); ++i) {
    const char* w = i < want.size() ? want[i].c_str() : nullptr;
    const char* g = i < got.size() ? got[i].c_str() : nullptr;
    if (w && g && LineMatches(w, g)) continue;
    *why = "line " + std::to_string(i + 1) + ": expected '" + (w ? w : "<end>") + "', got '" +
           (g ? g : "<end>") + "'";
    return false;
  }
  return true;
}
