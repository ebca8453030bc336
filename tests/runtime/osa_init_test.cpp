// Start-up and shut-down of the operating-system layer, the private heap and
// its counters, and the fatal assertion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_debug.h"
#include "runtime/platform/plat_registry.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

using OsaInitTest = OsaTest;

bool NotSupported() { return false; }

TEST_F(OsaInitTest, SecondInitOnlyCounts) {
  PlatLock* lock = OsaInit();
  ASSERT_NE(lock, nullptr);
  void* block = OsaMemAlloc(16);
  ASSERT_NE(block, nullptr);
  debug_.Clear();
  EXPECT_EQ(OsaInit(), lock);
  EXPECT_EQ(OsaRefCount(), 2u);
  // Nothing was rebuilt: no start-up messages, the heap and its counters kept.
  EXPECT_TRUE(debug_.Lines().empty());
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 1u);
  EXPECT_TRUE(OsaTerm());
  EXPECT_EQ(OsaRefCount(), 1u);
  EXPECT_EQ(OsaMemFree(block), 0u);
  EXPECT_TRUE(OsaTerm());
  EXPECT_EQ(OsaRefCount(), 0u);
}

TEST_F(OsaInitTest, TermOfAStoppedLayerReturnsFalse) {
  EXPECT_FALSE(OsaTerm());
  ASSERT_NE(OsaInit(), nullptr);
  EXPECT_TRUE(OsaTerm());
  EXPECT_FALSE(OsaTerm());
  EXPECT_EQ(OsaRefCount(), 0u);
}

TEST_F(OsaInitTest, StopAndStartAgainRebuilds) {
  WriteRegistry("");
  ASSERT_NE(OsaInit(), nullptr);
  EXPECT_EQ(debug_.Count("No Velmora configuration is found"), 1u);
  ASSERT_TRUE(OsaTerm());
  EXPECT_EQ(OsaMemAlloc(4), nullptr);
  // The configuration is read again by the next first start-up.
  WriteRegistry(
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"A\"=dword:00000007\n");
  ASSERT_NE(OsaInit(), nullptr);
  uint32_t value = 0;
  EXPECT_TRUE(GetCfgDword("Tsml\\A", &value, 1));
  EXPECT_EQ(value, 7u);
  void* block = OsaMemAlloc(4);
  EXPECT_NE(block, nullptr);
  EXPECT_EQ(OsaMemFree(block), 0u);
}

TEST_F(OsaInitTest, UnsupportedPlatformIsRefused) {
  PlatSetPlatformCheckFn(NotSupported);
  EXPECT_EQ(OsaInit(), nullptr);
  EXPECT_EQ(OsaRefCount(), 0u);
  EXPECT_EQ(debug_.Lines(), std::vector<std::string>{"Unsupported Windows platform\n"});
  PlatSetPlatformCheckFn(nullptr);
  EXPECT_NE(OsaInit(), nullptr);
}

TEST_F(OsaInitTest, UnusableRuntimeDirectoryFallsBackToTmp) {
  const char* saved = getenv("XDG_RUNTIME_DIR");
  const std::string saved_copy = saved ? saved : "";
  const std::string not_a_dir = dir_.File("file");
  WriteTextFile(not_a_dir, "");
  setenv("XDG_RUNTIME_DIR", not_a_dir.c_str(), 1);
  char dir[256];
  const std::string tmp_dir = "/tmp/velmora-" + std::to_string(getuid());
  EXPECT_EQ(PlatRuntimeDir(dir, sizeof dir), tmp_dir.size());
  EXPECT_EQ(dir, tmp_dir);
  EXPECT_NE(OsaInit(), nullptr);
  EXPECT_TRUE(OsaTerm());
  if (saved) {
    setenv("XDG_RUNTIME_DIR", saved_copy.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST_F(OsaInitTest, ThisPlatformIsSupported) { EXPECT_TRUE(PlatCheckPlatform()); }

TEST_F(OsaInitTest, UnreadableConfigurationFailsStartUp) {
  WriteRegistry("[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters]\nnot a line\n");
  EXPECT_EQ(OsaInit(), nullptr);
  EXPECT_EQ(OsaRefCount(), 0u);
  EXPECT_EQ(debug_.Count(":2: expected a [key] line"), 1u);
}

// A store that is no regular file of a bounded size fails the start-up
// with its cause in the log, the same way as one that cannot be parsed.
TEST_F(OsaInitTest, AStoreThatIsNoWholeFileFailsStartUpWithTheCause) {
  const std::string directory = dir_.File("store.d");
  ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
  const std::string big = dir_.File("big.reg");
  WriteTextFile(big, std::string(PLAT_REG_FILE_MAX, ';').append("\n"));
  const struct {
    std::string path;
    const char* cause;
  } cases[] = {
      {directory, "cannot read: Is a directory"},
      {big, "larger than 16777216 bytes"},
  };
  for (const auto& c : cases) {
    setenv("VELMORA_REGISTRY", c.path.c_str(), 1);
    debug_.Clear();
    EXPECT_EQ(OsaInit(), nullptr) << c.path;
    EXPECT_EQ(OsaRefCount(), 0u);
    EXPECT_EQ(debug_.Lines(), (std::vector<std::string>{
                                  "VELMORA ERROR: Can't read LOG_FILE. error = 1012\n",
                                  "VELMORA ERROR: Registry: " + c.path + ": " + c.cause + "\n"}));
  }
}

// The store is read under the machine-wide start-up lock: a FIFO that
// nobody writes is refused at once instead of waited for, so that it
// never holds up another process's start-up with a good store.
TEST_F(OsaInitTest, AFifoStoreIsRefusedAndAnotherProcessStillStarts) {
  const std::string fifo = dir_.File("fifo.reg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  WriteRegistry(
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n"
      "\"Apdu_Timeout\"=dword:00000bb8\n");
  EXPECT_TRUE(RunInChildren(
      2,
      [&](int i) {
        if (i == 0) {
          setenv("VELMORA_REGISTRY", fifo.c_str(), 1);
          if (OsaInit() != nullptr) return 1;
          return debug_.Count("Registry: " + fifo + ": not a regular file") == 1 ? 0 : 2;
        }
        uint32_t timeout = 0;
        if (OsaInit() == nullptr) return 1;
        GetCfgDword("Tsml\\Apdu_Timeout", &timeout, 0);
        return timeout == 3000 ? 0 : 2;
      },
      std::chrono::seconds(30)));
}

TEST_F(OsaInitTest, HeapCountsBlocksAndBytes) {
  ASSERT_NE(OsaInit(), nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 0u);
  void* empty = OsaMemAlloc(0);
  ASSERT_NE(empty, nullptr);
  // A zero-size request still gives a usable byte.
  *static_cast<volatile char*>(empty) = 'x';
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 1u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 1u);
  void* big = OsaMemAlloc(1000);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(big) % alignof(std::max_align_t), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 2u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 1001u);
  EXPECT_EQ(OsaMemFree(empty), 1u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 1000u);
  EXPECT_EQ(OsaMemFree(big), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 0u);
}

TEST_F(OsaInitTest, BadFreesAndIndicesChangeNothing) {
  ASSERT_NE(OsaInit(), nullptr);
  void* block = OsaMemAlloc(8);
  ASSERT_NE(block, nullptr);
  int not_from_the_heap = 0;
  EXPECT_EQ(OsaMemFree(nullptr), 0u);
  EXPECT_EQ(OsaMemFree(&not_from_the_heap), 0u);
  EXPECT_EQ(OsaMemAlloc(SIZE_MAX), nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 1u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 8u);
  EXPECT_EQ(OsaStatGet(3), 0u);
  EXPECT_EQ(OsaStatGet(0xFFFFFFFFu), 0u);
  EXPECT_EQ(OsaMemFree(block), 0u);
  EXPECT_EQ(OsaMemFree(block), 0u);  // already freed
}

// The last OsaTerm frees what is still allocated and zeroes nothing yet; the
// next first OsaInit starts the counters from zero.
TEST_F(OsaInitTest, CountersRestartWithTheLayer) {
  ASSERT_NE(OsaInit(), nullptr);
  ASSERT_NE(OsaMemAlloc(32), nullptr);
  ASSERT_TRUE(OsaTerm());
  ASSERT_NE(OsaInit(), nullptr);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BLOCKS), 0u);
  EXPECT_EQ(OsaStatGet(OSA_STAT_BYTES), 0u);
}

TEST_F(OsaInitTest, OsaLockIsReentrant) {
  PlatLock* lock = OsaInit();
  ASSERT_NE(lock, nullptr);
  PlatLockEnter(lock);
  PlatLockEnter(lock);
  std::atomic<bool> other_got_it{true};
  std::thread other([&] {
    other_got_it = PlatLockTryEnter(lock);
    if (other_got_it) PlatLockLeave(lock);
  });
  other.join();
  EXPECT_FALSE(other_got_it);
  PlatLockLeave(lock);
  PlatLockLeave(lock);
}

// Start-up and shut-down from many threads keep one consistent count.
TEST_F(OsaInitTest, ConcurrentInitAndTermBalance) {
  constexpr int kThreads = 6;
  constexpr int kRounds = 50;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        PlatLock* lock = OsaInit();
        if (!lock) {
          ++failures;
          continue;
        }
        void* block = OsaMemAlloc(24);
        OsaMemFree(block);
        if (!OsaTerm()) ++failures;
      }
    });
  }
  for (auto& thread : threads)
    thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(OsaRefCount(), 0u);
}

// A broken invariant ends the process with code 1 after the message box.
TEST(OsaAssertDeathTest, AssertFailShowsTheMessageAndExitsWithOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      OsaAssertFail("VelmoraIpcClose", "OSA is not %s", "initialized"),
      ::testing::ExitedWithCode(1),
      "^Velmora message: Assertion failed in VelmoraIpcClose\\(\\): OSA is not initialized\n$");
}

TEST(OsaAssertDeathTest, AssertTextIsCutToItsBuffer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // 255 characters fit the 256-byte buffer: the 25 of the prefix and 230 y.
  EXPECT_EXIT(OsaAssertFail("f", "%s", std::string(400, 'y').c_str()), ::testing::ExitedWithCode(1),
              "^Velmora message: Assertion failed in f\\(\\): y{230}\n$");
}

}  // namespace
