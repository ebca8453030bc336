// The log: line formats with and without a log file, cutting, and the
// LogFile setting's failure paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <thread>

#include "runtime/osa/osa.h"
#include "runtime/platform/plat_time.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

uint32_t Tick1234() { return 1234; }
uint32_t Pid567() { return 567; }
uint32_t TickMax() { return 0xFFFFFFFFu; }
uint32_t PidMax() { return 0xFFFFFFFFu; }

class OsaLogTest : public OsaTest {
 protected:
  // Starts the layer with lines going to a log file.
  void StartWithLogFile() {
    log_ = dir_.File("velmora.log");
    WriteRegistry(RegistryWithLogFile(log_));
    ASSERT_NE(OsaInit(), nullptr);
  }
  std::string LogText() const { return ReadTextFile(log_); }
  std::string log_;
};

TEST_F(OsaLogTest, FileLineCarriesTickPidAndLevel) {
  PlatSetTickCountFn(Tick1234);
  PlatSetProcessIdFn(Pid567);
  StartWithLogFile();
  OsaLog(OSA_LOG_ERROR, "msg");
  EXPECT_EQ(LogText(), "     1234: [567] ERROR: msg\r\n");
  EXPECT_TRUE(debug_.Lines().empty());
}

// 32-bit values print as 32-bit values, whatever the width of long.
TEST_F(OsaLogTest, FileLineFieldsAreThirtyTwoBit) {
  PlatSetTickCountFn(TickMax);
  PlatSetProcessIdFn(PidMax);
  StartWithLogFile();
  OsaLog(OSA_LOG_INFO, "x");
  EXPECT_EQ(LogText(), "4294967295: [4294967295] INFO: x\r\n");
}

TEST_F(OsaLogTest, LevelTexts) {
  struct Case {
    int level;
    const char* line;  // "" when nothing is written
  } const cases[] = {
      {OSA_LOG_EMERGENCY, "VELMORA EMERGENCY: m\n"},
      {OSA_LOG_ERROR, "VELMORA ERROR: m\n"},
      {OSA_LOG_WARNING, "VELMORA WARNING: m\n"},
      {OSA_LOG_INFO, "VELMORA INFO: m\n"},
      {OSA_LOG_DEBUG, ""},
      {5, "VELMORA : m\n"},
      {99, "VELMORA : m\n"},
  };
  for (const Case& c : cases) {
    debug_.Clear();
    OsaLog(c.level, "%s", "m");
    const auto lines = debug_.Lines();
    if (*c.line == '\0') {
      EXPECT_TRUE(lines.empty()) << "level " << c.level;
    } else {
      ASSERT_EQ(lines.size(), 1u) << "level " << c.level;
      EXPECT_EQ(lines[0], c.line) << "level " << c.level;
    }
  }
}

TEST_F(OsaLogTest, DebugLevelWritesNothingToTheFile) {
  StartWithLogFile();
  OsaLog(OSA_LOG_DEBUG, "hidden");
  EXPECT_EQ(LogText(), "");
}

TEST_F(OsaLogTest, LinesAppendToAnExistingFile) {
  PlatSetTickCountFn(Tick1234);
  PlatSetProcessIdFn(Pid567);
  log_ = dir_.File("velmora.log");
  WriteTextFile(log_, "earlier\r\n");
  WriteRegistry(RegistryWithLogFile(log_));
  ASSERT_NE(OsaInit(), nullptr);
  OsaLog(OSA_LOG_WARNING, "a %d", 1);
  OsaLog(OSA_LOG_WARNING, "b");
  EXPECT_EQ(LogText(),
            "earlier\r\n     1234: [567] WARNING: a 1\r\n     1234: [567] WARNING: b\r\n");
}

// A line never passes its 1024-byte buffer: the message is cut, the line
// end kept.
TEST_F(OsaLogTest, LongFileLineIsCutToTheBuffer) {
  PlatSetTickCountFn(Tick1234);
  PlatSetProcessIdFn(Pid567);
  StartWithLogFile();
  const std::string prefix = "     1234: [567] ERROR: ";
  for (size_t length : {size_t{1023} - prefix.size(), size_t{1024}, size_t{5000}}) {
    WriteTextFile(log_, "");
    OsaLog(OSA_LOG_ERROR, "%s", std::string(length, 'x').c_str());
    const std::string line = LogText();
    ASSERT_EQ(line.size(), 1024u) << length;
    EXPECT_EQ(line.substr(0, prefix.size()), prefix);
    EXPECT_EQ(line.substr(prefix.size(), 1022 - prefix.size()),
              std::string(1022 - prefix.size(), 'x'));
    EXPECT_EQ(line.substr(1022), "\r\n");
  }
}

TEST_F(OsaLogTest, LongDebugLineIsCutToTheBuffer) {
  OsaLog(OSA_LOG_INFO, "%s", std::string(3000, 'y').c_str());
  const auto lines = debug_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  // 1023 characters and the terminator fill the buffer.
  ASSERT_EQ(lines[0].size(), 1023u);
  EXPECT_EQ(lines[0].substr(0, 14), "VELMORA INFO: ");
  EXPECT_EQ(lines[0].back(), '\n');
  EXPECT_EQ(lines[0].find_first_not_of('y', 14), 1022u);
}

TEST_F(OsaLogTest, MissingKeyOrValueLogsToTheDebugOutput) {
  const char* const registries[] = {
      "",
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters]\n",
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\OSA]\n\"Other\"=\"x\"\n",
  };
  for (const char* text : registries) {
    WriteRegistry(text);
    ASSERT_NE(OsaInit(), nullptr) << text;
    debug_.Clear();
    OsaLog(OSA_LOG_ERROR, "here");
    EXPECT_EQ(debug_.Lines(), std::vector<std::string>{"VELMORA ERROR: here\n"}) << text;
    EXPECT_TRUE(OsaTerm());
  }
}

TEST_F(OsaLogTest, BadLogFileValuesFailStartUp) {
  struct Case {
    std::string data;
    const char* message;
  } const cases[] = {
      {"expand:\"/tmp/x.log\"", "VELMORA ERROR: Invalid LogFile parameter. Type: 2\n"},
      {"dword:00000001", "VELMORA ERROR: Invalid LogFile parameter. Type: 4\n"},
      {"hex:41,00", "VELMORA ERROR: Invalid LogFile parameter. Type: 3\n"},
      // The type prints as a signed 32-bit number, as a 32-bit long would.
      {"hex(ffffffff):41,00", "VELMORA ERROR: Invalid LogFile parameter. Type: -1\n"},
      // A name with its terminator must fit the 1024-byte line buffer.
      {"\"/" + std::string(1023, 'n') + "\"", "VELMORA ERROR: Can't read LOG_FILE. error = 234\n"},
  };
  for (const Case& c : cases) {
    debug_.Clear();
    WriteRegistry("[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\OSA]\n\"LogFile\"=" +
                  c.data + "\n");
    EXPECT_EQ(OsaInit(), nullptr) << c.data;
    EXPECT_EQ(OsaRefCount(), 0u);
    EXPECT_EQ(debug_.Lines(), std::vector<std::string>{c.message}) << c.data;
  }
}

TEST_F(OsaLogTest, LogFileThatCannotBeOpenedFailsStartUp) {
  WriteRegistry(RegistryWithLogFile(dir_.File("no/such/dir/velmora.log")));
  EXPECT_EQ(OsaInit(), nullptr);
  EXPECT_EQ(debug_.Lines(),
            std::vector<std::string>{"VELMORA ERROR: Cannot open specified log file: Error=2\n"});
}

TEST_F(OsaLogTest, UnreadableRegistryFailsStartUpWithTheLine) {
  WriteRegistry(
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\OSA]\n"
      "\"LogFile\"=\"/tmp/x.log\"\n"
      "\"Broken\"=dword:xyz\n");
  EXPECT_EQ(OsaInit(), nullptr);
  const auto lines = debug_.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "VELMORA ERROR: Can't read LOG_FILE. error = 1009\n");
  EXPECT_EQ(lines[1],
            "VELMORA ERROR: Registry: " + registry() + ":3: dword: takes 1 to 8 hex digits\n");
}

// Lines of several threads never mix.
TEST_F(OsaLogTest, ConcurrentLinesStayWhole) {
  StartWithLogFile();
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i)
        OsaLog(OSA_LOG_INFO, "thread %d line %d", t, i);
    });
  }
  for (auto& thread : threads)
    thread.join();
  const std::string text = LogText();
  size_t count = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = text.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(pos, end - pos);
    EXPECT_NE(line.find("] INFO: thread "), std::string::npos) << line;
    pos = end + 2;
    ++count;
  }
  EXPECT_EQ(count, size_t{kThreads * kLines});
}

// Processes appending to one file keep their lines whole and tell them
// apart by process id.
TEST_F(OsaLogTest, ProcessesShareOneFile) {
  log_ = dir_.File("velmora.log");
  WriteRegistry(RegistryWithLogFile(log_));
  constexpr int kLines = 200;
  ASSERT_TRUE(RunInChildren(2, [](int) {
    if (!OsaInit()) return 1;
    for (int i = 0; i < kLines; ++i)
      OsaLog(OSA_LOG_INFO, "line %d of %d", i, static_cast<int>(getpid()));
    return OsaTerm() ? 0 : 1;
  }));
  const std::string text = LogText();
  std::map<std::string, int> per_process;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = text.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(pos, end - pos);
    const size_t open = line.find(": [");
    const size_t close = line.find("] INFO: line ");
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << line;
    const std::string pid = line.substr(open + 3, close - open - 3);
    EXPECT_EQ(line.substr(line.rfind(' ') + 1), pid) << line;
    ++per_process[pid];
    pos = end + 2;
  }
  EXPECT_EQ(per_process.size(), 2u);
  for (const auto& [pid, count] : per_process)
    EXPECT_EQ(count, kLines) << pid;
}

// After the last OsaTerm lines go to the debug output again.
TEST_F(OsaLogTest, StoppedLayerLogsToTheDebugOutput) {
  StartWithLogFile();
  ASSERT_TRUE(OsaTerm());
  OsaLog(OSA_LOG_ERROR, "late");
  EXPECT_EQ(LogText(), "");
  EXPECT_EQ(debug_.Lines(), std::vector<std::string>{"VELMORA ERROR: late\n"});
}

}  // namespace
