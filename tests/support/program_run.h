#pragma once
// A program run as a user runs it: against a velmorad in a directory of its
// own, with its output and exit status, and outputs compared whole with
// the parts that change from run to run marked.

#include <sys/types.h>

#include <string>
#include <vector>

// What a run printed on standard output and its exit status (-1: it did
// not end in time and was killed).
struct ProgramRun {
  int status;
  std::string out;
};

// Runs the program with the arguments, its link pointed at the socket
// `dir`/velmora and its configuration at `dir`/registry.reg, TZ=UTC; its
// standard error goes to `dir`/NAME.err.
ProgramRun RunProgram(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args);

// velmorad serving `dir`/velmora with a site file (and `options` besides),
// its log in `dir`; it is stopped (SIGTERM) when this ends.
class Velmorad {
 public:
  Velmorad(const std::string& dir, const std::string& siteText,
           const std::vector<std::string>& options = {});
  ~Velmorad();
  Velmorad(const Velmorad&) = delete;
  Velmorad& operator=(const Velmorad&) = delete;
  // It listens on its socket.
  bool ready() const { return ready_; }
  pid_t pid() const { return pid_; }
  std::string Log() const;

 private:
  std::string dir_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

// Whether `actual` is `expected` line by line, where in `expected` "{N}"
// stands for a number (one or more digits, blanks before them allowed) and
// "{*}" for any text. On a difference *why names the first line that differs.
bool OutputMatches(const std::string& expected, const std::string& actual, std::string* why);

// Expects the output to match, showing the whole output when it does not.
#define EXPECT_OUTPUT(expected, actual)                                                       \
  do {                                                                                        \
    std::string why_;                                                                         \
    const std::string actual_ = (actual);                                                     \
    EXPECT_TRUE(OutputMatches((expected), actual_, &why_)) << why_ << "\n--- whole output:\n" \
                                                           << actual_;                        \
  } while (0)
