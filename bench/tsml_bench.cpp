// Synchronous confirmed round trips through velmorad over the local socket,
// beside a raw socket ping-pong of the same frame sizes: the cost of the
// transaction layer and the daemon over the bare transport.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "daemon/vmd_core.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A ReadProperty request and its ReadProperty-ACK.
const Bytes kRequest = {0x0C, 0x02, 0x00, 0x00, 0x01, 0x19, 0x55};
const Bytes kAnswer = {0x0C, 0x02, 0x00, 0x00, 0x01, 0x19, 0x55,
                       0x3E, 0x44, 0x42, 0x28, 0x00, 0x00, 0x3F};

uint32_t RequestSize(const void*) { return uint32_t(kRequest.size()); }
int EncodeRequest(const void*, TsmlStream* s) {
  if (size_t(s->end - s->cursor) < kRequest.size()) return 18;
  std::memcpy(s->cursor, kRequest.data(), kRequest.size());
  s->cursor += kRequest.size();
  return 0;
}
constexpr TsmlServiceDescriptor kReadProperty{12, RequestSize, EncodeRequest};

// The whole process's (callers, reader, daemon) voluntary context switches
// and processor time in microseconds.
struct ProcessUse {
  long switches;
  double cpu_us;
};
ProcessUse Use() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto us = [](const timeval& t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
  return {u.ru_nvcsw, us(u.ru_utime) + us(u.ru_stime)};
}

// Reports per request the process's voluntary switches as `switches`: each
// is a thread that blocked and had to be woken again, which on an idle core
// is what a hand-over costs; and its processor time as `cpu_us`, which
// bounds the throughput of a loaded machine. Counted by the first thread
// over the requests of all of them.
class SwitchCount {
 public:
  explicit SwitchCount(const benchmark::State& state)
      : first_(state.thread_index() == 0), start_(first_ ? Use() : ProcessUse{}) {}
  void Report(benchmark::State& state) const {
    if (!first_ || state.iterations() == 0) return;
    const ProcessUse now = Use();
    const double requests = double(state.iterations() * uint64_t(state.threads()));
    state.counters["switches"] = double(now.switches - start_.switches) / requests;
    state.counters["cpu_us"] = (now.cpu_us - start_.cpu_us) / requests;
  }

 private:
  bool first_;
  ProcessUse start_;
};

// One daemon and one open transaction layer for the whole run.
struct Site {
  VmdServer* server = nullptr;
  bool ok = false;
};

Site& OpenSite() {
  static Site site;
  static std::once_flag once;
  std::call_once(once, [] {
    char tmpl[] = "/tmp/tsml_bench_XXXXXX";
    if (!mkdtemp(tmpl)) return;
    std::string dir = tmpl;
    setenv("VELMORA_PIPE_DIR", dir.c_str(), 1);
    setenv("VELMORA_REGISTRY", (dir + "/registry").c_str(), 1);
    if (!OsaInit()) return;
    VmdConfig c;
    c.pipe_path = dir + "/velmora";
    c.log_quiet = true;
    VmdSiteDefaults(&c.site);
    std::string error;
    site.server = VmdStart(c, &error);
    if (!site.server) return;
    VmdScriptRule r;
    r.service = 12;
    r.answer = kAnswer;
    VmdScriptAdd(site.server, r);
    site.ok = TsmlOpen(0) == 0;
  });
  return site;
}

void BM_ConfirmedRoundTrip(benchmark::State& state) {
  if (!OpenSite().ok) {
    state.SkipWithError("no daemon or open failed");
    return;
  }
  LinkAddress dest{};
  dest.kind = 130;
  dest.macLen = 6;
  dest.mac[5] = 1;
  SwitchCount switches(state);
  for (auto _ : state) {
    PduDesc out{};
    int s =
        TsmlRequestExecute(nullptr, &dest, 0, &kReadProperty, &kRequest, &out, nullptr, nullptr);
    PduDescFree(&out);
    if (s != 0) {
      state.SkipWithError("request failed");
      break;
    }
  }
  switches.Report(state);
}
BENCHMARK(BM_ConfirmedRoundTrip)->Threads(1)->Threads(8)->UseRealTime();

bool WriteAll(int fd, const uint8_t* p, size_t n) {
  while (n) {
    ssize_t k = ::write(fd, p, n);
    if (k <= 0) return false;
    p += k;
    n -= size_t(k);
  }
  return true;
}
bool ReadAll(int fd, uint8_t* p, size_t n) {
  while (n) {
    ssize_t k = ::read(fd, p, n);
    if (k <= 0) return false;
    p += k;
    n -= size_t(k);
  }
  return true;
}

// The frames of one confirmed round trip: the request out, the
// acknowledgement and the confirmation back.
constexpr size_t kRequestFrame = 4 + 68 + 7;
constexpr size_t kAckFrame = 4 + 12;
constexpr size_t kConfirmationFrame = 4 + 68 + 14;

void BM_RawPingPong(benchmark::State& state) {
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) {
    state.SkipWithError("socketpair");
    return;
  }
  std::thread echo([fd = sv[1]] {
    uint8_t in[kRequestFrame];
    uint8_t out[kAckFrame + kConfirmationFrame] = {};
    while (ReadAll(fd, in, sizeof in)) {
      if (!WriteAll(fd, out, kAckFrame) || !WriteAll(fd, out + kAckFrame, kConfirmationFrame))
        break;
    }
  });
  uint8_t req[kRequestFrame] = {};
  uint8_t back[kAckFrame + kConfirmationFrame];
  SwitchCount switches(state);
  for (auto _ : state) {
    if (!WriteAll(sv[0], req, sizeof req) || !ReadAll(sv[0], back, sizeof back)) {
      state.SkipWithError("socket");
      break;
    }
  }
  switches.Report(state);
  ::shutdown(sv[0], SHUT_RDWR);
  echo.join();
  ::close(sv[0]);
  ::close(sv[1]);
}
BENCHMARK(BM_RawPingPong)->Threads(1)->Threads(8)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
