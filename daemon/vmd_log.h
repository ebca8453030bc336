// The daemon's log: the file or stderr it writes to, the last lines it
// keeps for tests (vmd_log.cpp), and the runs of lines a sender on the
// network can repeat at will (vmd_log_limit.cpp).
//
// Lock order: `VmdLogBook::mu` and `limit_mu` are taken last and alone; a
// line is written after `limit_mu` is given back.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_core.h"

// The lines of one kind of event from one sender (or from the senders past
// those followed) in the second since `since` (vmd_log_limit.cpp).
struct VmdLogRun {
  const char* kind;
  VmdBipAddress sender;
  bool others;
  VmdClock::time_point since;
  int logged;
  uint64_t left_out;
  std::string last;  // the last line left out
};
// Lines of a kind logged a second for each sender, at most; and the
// senders followed one by one at once.
inline constexpr int kVmdLogBurst = 3;
inline constexpr size_t kVmdLogSenders = 64;

struct VmdLogBook {
  std::mutex mu;
  std::condition_variable cv;
  FILE* file = nullptr;  // owned when opened from config.log_path
  bool quiet = false;    // without a file, nothing goes to stderr
  std::deque<std::string> lines;
  std::mutex limit_mu;
  std::vector<VmdLogRun> runs;
};

// VmdLog on the log alone.
void VmdLogTo(VmdLogBook* log, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Logs a line of an event that a sender on the network can repeat at will,
// `kind` (a literal) naming the event: at most kVmdLogBurst a second for
// each kind and sender. The rest are counted, and once the second is over
// the last of them is logged with "(and N more like it in the last
// second)" for the others.
void VmdLogLimited(VmdLogBook* log, const char* kind, const VmdBipAddress& sender, const char* fmt,
                   ...) __attribute__((format(printf, 4, 5)));
// Logs the counts of the seconds that are over (of every one with `all`);
// when the next one that left lines out is over.
std::optional<VmdClock::time_point> VmdLogLimitedFlush(VmdLogBook* log, bool all = false);
