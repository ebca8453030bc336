// A stand-in for Google Benchmark that runs one named row of a benchmark
// program a given number of times (PROGRAM ROW ITERATIONS), so that
// callgrind counts the instructions of its iterations alone.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>
namespace benchmark {
struct Counter {
  enum Flags {
    kIsIterationInvariantRate = 1,
    kInvert = 2
  };
  Counter(double v = 0, int = 0) : value(v) {}
  Counter& operator=(double v) {
    value = v;
    return *this;
  }
  double value;
};
inline Counter::Flags operator|(Counter::Flags a, Counter::Flags b) {
  return Counter::Flags(int(a) | int(b));
}
struct State {
  int64_t n;
  std::map<std::string, Counter> counters;
  struct It {
    int64_t left;
    bool operator!=(const It& o) const { return left != o.left; }
    void operator++() { --left; }
    int operator*() const { return 0; }
  };
  It begin() { return {n}; }
  It end() { return {0}; }
  int64_t iterations() const { return n; }
  void SetBytesProcessed(int64_t) {}
};
template <class T>
inline void DoNotOptimize(T const& v) {
  asm volatile("" : : "r,m"(v) : "memory");
}
template <class T>
inline void DoNotOptimize(T& v) {
  asm volatile("" : "+r,m"(v) : : "memory");
}
inline void ClobberMemory() { asm volatile("" : : : "memory"); }
struct Reg {
  const char* name;
  void (*fn)(State&);
};
inline std::vector<Reg>& Regs() {
  static std::vector<Reg> r;
  return r;
}
inline int Add(const char* name, void (*fn)(State&)) {
  Regs().push_back({name, fn});
  return 0;
}
}  // namespace benchmark
#define BENCHMARK_CAT2(a, b) a##b
#define BENCHMARK_CAT(a, b) BENCHMARK_CAT2(a, b)
#define BENCHMARK(f) static int BENCHMARK_CAT(reg_, __LINE__) = ::benchmark::Add(#f, f)
#define BENCHMARK_MAIN()                               \
  int main(int argc, char** argv) {                    \
    if (argc < 3) return 2;                            \
    for (auto& r : ::benchmark::Regs())                \
      if (std::strcmp(r.name, argv[1]) == 0) {         \
        ::benchmark::State s{std::atoll(argv[2]), {}}; \
        r.fn(s);                                       \
        return 0;                                      \
      }                                                \
    return 1;                                          \
  }
