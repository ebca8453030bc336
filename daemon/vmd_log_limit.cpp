// Log lines that anyone on the network can make the daemon write: a few a
// second for each kind of event and sender, and for the rest one line that
// counts them, so that a flood of datagrams cannot fill the log's disk.
#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "daemon/vmd_internal.h"

namespace {

constexpr auto kRunLength = std::chrono::seconds(1);

bool Same(const VmdLogRun& r, const char* kind, const VmdBipAddress& sender, bool others) {
  return r.others == others && strcmp(r.kind, kind) == 0 && (others || r.sender == sender);
}

// The line that ends a run: the last line left out, and how many more
// there were besides it.
std::string Closing(const VmdLogRun& r) {
  std::string t = r.last;
  if (r.left_out > 1)
    t += " (and " + std::to_string(r.left_out - 1) + " more like it" +
         (r.others ? " from other senders" : "") + " in the last second)";
  return t;
}

// Ends the runs whose second is over (every run with `all`); their closing
// lines go to `lines`.
void EndRuns(std::vector<VmdLogRun>* runs, bool all, std::vector<std::string>* lines) {
  const auto now = VmdClock::now();
  std::erase_if(*runs, [&](const VmdLogRun& r) {
    if (!all && now < r.since + kRunLength) return false;
    if (r.left_out > 0) lines->push_back(Closing(r));
    return true;
  });
}

void Write(VmdServer* s, const std::vector<std::string>& lines) {
  for (const std::string& l : lines)
    VmdLog(s, "%s", l.c_str());
}

}  // namespace

void VmdLogLimited(VmdServer* s, const char* kind, const VmdBipAddress& sender, const char* fmt,
                   ...) {
  char text[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> lock(s->log_limit_mu);
    std::vector<VmdLogRun>& runs = s->log_runs;
    EndRuns(&runs, false, &lines);
    auto it = std::find_if(runs.begin(), runs.end(),
                           [&](const VmdLogRun& r) { return Same(r, kind, sender, false); });
    if (it == runs.end()) {
      // Past the senders followed one by one, the others share a run.
      const bool others = size_t(std::count_if(runs.begin(), runs.end(), [](const VmdLogRun& r) {
                            return !r.others;
                          })) >= kVmdLogSenders;
      if (others)
        it = std::find_if(runs.begin(), runs.end(),
                          [&](const VmdLogRun& r) { return Same(r, kind, sender, true); });
      if (it == runs.end())
        it = runs.insert(runs.end(), VmdLogRun{kind, sender, others, VmdClock::now(), 0, 0, {}});
    }
    if (it->logged < kVmdLogBurst) {
      ++it->logged;
      lines.emplace_back(text);
    } else {
      ++it->left_out;
      it->last = text;
    }
  }
  Write(s, lines);
}

std::optional<VmdClock::time_point> VmdLogLimitedFlush(VmdServer* s, bool all) {
  std::vector<std::string> lines;
  std::optional<VmdClock::time_point> next;
  {
    std::lock_guard<std::mutex> lock(s->log_limit_mu);
    EndRuns(&s->log_runs, all, &lines);
    for (const VmdLogRun& r : s->log_runs)
      if (r.left_out > 0 && (!next || r.since + kRunLength < *next)) next = r.since + kRunLength;
  }
  Write(s, lines);
  return next;
}
