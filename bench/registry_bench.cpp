// The configuration store's text form: stores of 1,000 to 100,000 sections
// (one key each below the parameters key, with two values) parsed from
// memory, and the whole store read from its file and parsed, as every
// registry call does (the first under the machine-wide start-up lock).
// Times per section that stay flat across the rows are a linear parse.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "runtime/platform/plat_regfile.h"
#include "runtime/platform/plat_registry.h"

namespace {

std::string Store(int64_t sections) {
  std::string text = "Windows Registry Editor Version 5.00\n";
  char line[160];
  for (int64_t i = 0; i < sections; ++i) {
    snprintf(line, sizeof line,
             "\n[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Key%07lld]\n"
             "\"Apdu_Timeout\"=dword:%08llx\n\"ConnIPC\"=\"tcp:127.0.0.1:46396\"\n",
             static_cast<long long>(i), static_cast<long long>(i));
    text += line;
  }
  return text;
}

void BM_Parse(benchmark::State& state) {
  const std::string text = Store(state.range(0));
  for (auto _ : state) {
    RegTree root;
    RegParseError error{};
    if (!RegParse(text, &root, &error)) state.SkipWithError(error.message.c_str());
    benchmark::DoNotOptimize(root.subkeys.data());
  }
  state.counters["per_section"] =
      benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_Parse)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Opening the parameters key reads and parses the whole file.
void BM_OpenKeyOfFile(benchmark::State& state) {
  char path[] = "/tmp/registry_bench.XXXXXX";
  const int fd = mkstemp(path);
  const std::string text = Store(state.range(0));
  if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size())) {
    state.SkipWithError("cannot write the store");
    return;
  }
  close(fd);
  setenv("VELMORA_REGISTRY", path, 1);
  for (auto _ : state) {
    PlatRegKey* key = nullptr;
    if (PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE,
                       "SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters", PLAT_KEY_READ,
                       &key) != PLAT_ERROR_SUCCESS) {
      state.SkipWithError("cannot open the parameters key");
      break;
    }
    PlatRegCloseKey(key);
  }
  unlink(path);
  state.counters["per_section"] =
      benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenKeyOfFile)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
