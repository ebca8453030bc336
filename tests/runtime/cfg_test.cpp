// The configuration store: reads with their defaults and size rules, path
// cutting, writers, deletes, and concurrent writers in two processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

const std::string kParams = "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters]\n";
const std::string kTsml = "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n";

class CfgTest : public OsaTest {
 protected:
  // Starts the layer over the given registry text.
  void Start(const std::string& text) {
    WriteRegistry(text);
    ASSERT_NE(OsaInit(), nullptr);
    debug_.Clear();
  }
};

TEST_F(CfgTest, DwordReads) {
  struct Case {
    const char* registry;
    const char* path;
    uint32_t expected;  // default is 77
  } const cases[] = {
      {"", "Tsml\\Pdu_Pool_Size", 77},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Cli]\n\"Pdu_Pool_Size\"=dword:"
       "5\n",
       "Tsml\\Pdu_Pool_Size", 77},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"Apdu_Timeout\"=dword:"
       "00000bb8\n",
       "Tsml\\Apdu_Timeout", 3000},
      // Names compare without regard to case.
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\TSML]\n\"apdu_timeout\"=dword:"
       "00000bb8\n",
       "Tsml\\Apdu_Timeout", 3000},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters]\n\"Top\"=dword:ffffffff\n",
       "Top", 0xFFFFFFFFu},
      // Any type of 4 bytes reads as its little-endian bytes.
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"B\"=hex:b8,0b,00,00\n",
       "Tsml\\B", 3000},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"S\"=\"abc\"\n",
       "Tsml\\S", 0x00636261},
      // Shorter or longer data is not a 32-bit value.
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"B\"=hex:01,02\n",
       "Tsml\\B", 77},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"B\"=hex:01,02,03,04,"
       "05\n",
       "Tsml\\B", 77},
      {"[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"S\"=\"\"\n", "Tsml\\S",
       77},
  };
  for (const Case& c : cases) {
    Start(c.registry);
    uint32_t value = 0;
    EXPECT_TRUE(GetCfgDword(c.path, &value, 77)) << c.registry;
    EXPECT_EQ(value, c.expected) << c.registry;
    ASSERT_TRUE(OsaTerm());
  }
}

TEST_F(CfgTest, LongComponentsAreCutOncePerComponent) {
  const std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  Start(kParams.substr(0, kParams.size() - 2) + "\\" + name25 + "]\n\"" + name25 +
        "\"=dword:00000009\n");
  struct Case {
    std::string path;
    size_t cuts;
  } const cases[] = {
      {name25 + "\\" + name25, 0},
      {name25 + "12345\\" + name25, 1},
      {name25 + "\\" + name25 + "zzzzz", 1},
      {name25 + "_long_tail\\" + name25 + "Z", 2},
  };
  for (const Case& c : cases) {
    debug_.Clear();
    uint32_t value = 0;
    GetCfgDword(c.path.c_str(), &value, 1);
    EXPECT_EQ(value, 9u) << c.path;
    EXPECT_EQ(debug_.Count(
                  "VELMORA ERROR: Internal: Configuration entry name is too long, truncating.\n"),
              c.cuts)
        << c.path;
    EXPECT_EQ(debug_.Lines().size(), c.cuts) << c.path;
  }
}

TEST_F(CfgTest, StringSizeRules) {
  Start(kTsml + "\"Conn\"=\"hello\"\n\"Empty\"=hex(1):\n\"Bare\"=hex(1):61,62\n");
  struct Case {
    const char* path;
    bool with_buffer;
    uint32_t room;
    const char* def;
    bool result;
    uint32_t size_after;
    const char* text;  // expected in the buffer when given and true
  } const cases[] = {
      {"Tsml\\Conn", false, 0, "d", true, 6, nullptr},
      {"Tsml\\Conn", true, 6, "d", true, 6, "hello"},
      {"Tsml\\Conn", true, 100, "d", true, 6, "hello"},
      {"Tsml\\Conn", true, 5, "d", false, 6, nullptr},  // one byte short: the size needed
      {"Tsml\\Conn", true, 0, "d", false, 6, nullptr},
      {"Tsml\\Missing", false, 0, "dflt", true, 5, nullptr},
      {"Tsml\\Missing", false, 0, nullptr, true, 1, nullptr},
      {"Tsml\\Missing", true, 5, "dflt", true, 5, "dflt"},
      {"Tsml\\Missing", true, 50, "dflt", true, 50, "dflt"},  // the size keeps the caller's room
      {"Tsml\\Missing", true, 4, "dflt", false, 4,
       nullptr},  // default does not fit: size unchanged
      {"Tsml\\Missing", true, 1, nullptr, true, 1, ""},
      {"Nokey\\Missing", true, 8, "x", true, 8, "x"},
      {"Tsml\\Empty", false, 0, "d", true, 1, nullptr},
      {"Tsml\\Empty", true, 4, "d", true, 1, ""},
      {"Tsml\\Bare", true, 3, "d", true, 3, "ab"},  // stored without terminator: one is added
      {"Tsml\\Bare", true, 2, "d", false, 3, nullptr},
  };
  for (const Case& c : cases) {
    char buffer[128];
    memset(buffer, '#', sizeof buffer);
    uint32_t size = c.room;
    const bool result = GetCfgString(c.path, c.with_buffer ? buffer : nullptr, &size, c.def);
    const std::string label = std::string(c.path) + " room " + std::to_string(c.room);
    EXPECT_EQ(result, c.result) << label;
    EXPECT_EQ(size, c.size_after) << label;
    if (c.text) {
      EXPECT_STREQ(buffer, c.text) << label;
    }
    // Nothing is written past the room.
    if (c.with_buffer) {
      EXPECT_EQ(buffer[c.room], '#') << label;
    }
  }
  uint32_t size = 10;
  EXPECT_FALSE(GetCfgString(nullptr, nullptr, &size, "d"));
  EXPECT_FALSE(GetCfgString("Tsml\\Conn", nullptr, nullptr, "d"));
}

TEST_F(CfgTest, MultiStringSizeRules) {
  Start(kTsml + "\"List\"=multi:\"a\",\"bc\"\n\"None\"=multi:\n\"Cut\"=hex(7):61,00,62\n");
  struct Case {
    const char* path;
    const char* def;
    size_t def_size;
    std::string expected;
  } const cases[] = {
      {"Tsml\\List", nullptr, 0, std::string("a\0bc\0\0", 6)},
      {"Tsml\\None", nullptr, 0, std::string("\0", 1)},
      {"Tsml\\Cut", nullptr, 0, std::string("a\0b\0\0", 5)},  // terminators completed
      {"Tsml\\Missing", "x\0yz\0", 6, std::string("x\0yz\0\0", 6)},
      {"Tsml\\Missing", nullptr, 0, std::string("\0", 1)},
  };
  for (const Case& c : cases) {
    std::string def;
    if (c.def) def.assign(c.def, c.def_size);
    const char* def_ptr = c.def ? def.c_str() : nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(GetCfgMultiString(c.path, nullptr, &size, def_ptr)) << c.path;
    EXPECT_EQ(size, c.expected.size()) << c.path;
    char buffer[32];
    uint32_t room = size - 1;
    if (size > 1) {
      EXPECT_FALSE(GetCfgMultiString(c.path, buffer, &room, def_ptr)) << c.path;
    }
    room = sizeof buffer;
    ASSERT_TRUE(GetCfgMultiString(c.path, buffer, &room, def_ptr)) << c.path;
    EXPECT_EQ(std::string(buffer, c.expected.size()), c.expected) << c.path;
  }
}

TEST_F(CfgTest, WritesMakeTheDocumentedFile) {
  Start("");
  EXPECT_TRUE(SetCfgDword("Tsml\\Apdu_Timeout", 3000));
  EXPECT_TRUE(SetCfgString("Tsml\\ConnIPC", "tcp:127.0.0.1:46396"));
  EXPECT_TRUE(SetCfgMultiString("Cli\\Names", "one\0two\0"));
  EXPECT_EQ(ReadRegistry(),
            "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n"
            "\"Apdu_Timeout\"=dword:00000bb8\n"
            "\"ConnIPC\"=\"tcp:127.0.0.1:46396\"\n"
            "\n"
            "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Cli]\n"
            "\"Names\"=multi:\"one\",\"two\"\n");
  // And they read back, through a fresh start.
  ASSERT_TRUE(OsaTerm());
  ASSERT_NE(OsaInit(), nullptr);
  uint32_t value = 0;
  GetCfgDword("Tsml\\Apdu_Timeout", &value, 0);
  EXPECT_EQ(value, 3000u);
  char text[64];
  uint32_t size = sizeof text;
  ASSERT_TRUE(GetCfgString("Tsml\\ConnIPC", text, &size, nullptr));
  EXPECT_STREQ(text, "tcp:127.0.0.1:46396");
  EXPECT_EQ(size, 20u);
}

TEST_F(CfgTest, OverwriteKeepsOneValue) {
  Start("");
  EXPECT_TRUE(SetCfgDword("Tsml\\V", 1));
  EXPECT_TRUE(SetCfgString("tsml\\v", "now a string"));
  EXPECT_EQ(
      ReadRegistry(),
      "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"V\"=\"now a string\"\n");
}

// A key that start-up opened for reading is not reopened by a writer: every
// write through it fails, whatever exists, and the file stays as it was.
TEST_F(CfgTest, WriterKeepsTheReadOnlyKey) {
  const std::string text = kTsml + "\"A\"=dword:1\n";
  Start(text);
  EXPECT_FALSE(SetCfgDword("Top", 5));
  EXPECT_FALSE(SetCfgDword("Tsml\\A", 2));  // a value that exists
  EXPECT_FALSE(SetCfgDword("Tsml\\B", 2));  // a new value of a subkey that exists
  EXPECT_FALSE(SetCfgString("Tsml\\C", "c"));
  EXPECT_FALSE(SetCfgMultiString("Tsml\\D", "d\0"));
  EXPECT_FALSE(SetCfgDword("New\\C", 3));  // a subkey that does not exist yet
  EXPECT_EQ(ReadRegistry(), text);
  EXPECT_TRUE(CreateCfg());
  EXPECT_TRUE(SetCfgDword("Top", 5));
  EXPECT_TRUE(SetCfgDword("New\\C", 3));
  uint32_t value = 0;
  GetCfgDword("New\\C", &value, 0);
  EXPECT_EQ(value, 3u);
}

TEST_F(CfgTest, DeleteValueOrWholeTree) {
  Start("");
  ASSERT_TRUE(SetCfgDword("Tsml\\Keep", 1));
  ASSERT_TRUE(SetCfgDword("Tsml\\Gone", 2));
  ASSERT_TRUE(SetCfgDword("Tree\\A", 3));
  ASSERT_TRUE(SetCfgString("Tree\\Sub\\B", "b"));
  ASSERT_TRUE(SetCfgDword("Tree\\Sub\\Deeper\\C", 4));
  ASSERT_TRUE(SetCfgDword("Tree\\Other\\D", 5));
  EXPECT_TRUE(DeleteCfgEntry("Tsml\\Gone"));
  EXPECT_TRUE(DeleteCfgEntry("Tree"));
  EXPECT_EQ(ReadRegistry(),
            "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n\"Keep\"=dword:"
            "00000001\n");
  EXPECT_FALSE(DeleteCfgEntry("Tree"));
  EXPECT_FALSE(DeleteCfgEntry("Tsml\\Gone"));
  EXPECT_FALSE(DeleteCfgEntry("Nokey\\Gone"));
}

// A name that is a value deletes only the value, even when a subkey has the
// same name.
TEST_F(CfgTest, DeleteOfAValueSparesTheSubkeyOfTheSameName) {
  Start("");
  ASSERT_TRUE(SetCfgDword("Tsml\\Both", 1));
  ASSERT_TRUE(SetCfgDword("Tsml\\Both\\Inner", 2));
  EXPECT_TRUE(DeleteCfgEntry("Tsml\\Both"));
  uint32_t value = 0;
  GetCfgDword("Tsml\\Both\\Inner", &value, 0);
  EXPECT_EQ(value, 2u);
  GetCfgDword("Tsml\\Both", &value, 0);
  EXPECT_EQ(value, 0u);
}

// Names longer than the configuration's own 25 characters (a hand-edited
// file) are deleted with the rest of the tree.
TEST_F(CfgTest, DeleteTreeTakesLongNames) {
  const std::string long_value(300, 'v');
  const std::string long_key(200, 'k');
  Start(kTsml + "\"Keep\"=dword:1\n" + kParams.substr(0, kParams.size() - 2) + "\\Tree]\n\"" +
        long_value + "\"=dword:2\n" + kParams.substr(0, kParams.size() - 2) + "\\Tree\\" +
        long_key + "]\n\"" + long_value + "\"=\"x\"\n");
  EXPECT_TRUE(DeleteCfgEntry("Tree"));
  EXPECT_EQ(ReadRegistry(), kTsml + "\"Keep\"=dword:00000001\n");
}

// An empty last component names no subkey: it must not be taken for the key
// it stands in, whose whole contents would go.
TEST_F(CfgTest, DeleteOfAnEmptyNameDeletesNothing) {
  const std::string text = kTsml + "\"Keep\"=dword:00000001\n\n" +
                           kParams.substr(0, kParams.size() - 2) +
                           "\\Tsml\\Sub]\n\"Inner\"=dword:00000002\n";
  for (const char* path : {"", "Tsml\\", "Tsml\\\\", "Tsml\\Sub\\"}) {
    Start(text);
    EXPECT_FALSE(DeleteCfgEntry(path)) << path;
    EXPECT_EQ(ReadRegistry(), text) << path;
    ASSERT_TRUE(OsaTerm());
  }
  // The unnamed value itself is an entry like any other.
  Start(kTsml + "@=\"unnamed\"\n\"Keep\"=dword:00000001\n");
  EXPECT_TRUE(DeleteCfgEntry("Tsml\\"));
  EXPECT_EQ(ReadRegistry(), kTsml + "\"Keep\"=dword:00000001\n");
}

TEST_F(CfgTest, DeleteWithoutAStoreFails) {
  Start("");
  EXPECT_FALSE(DeleteCfgEntry("Tsml\\X"));
}

// A subtree that cannot be deleted ends the deletion with false instead of
// trying the same entry for ever, wherever in the tree the first failure
// lies. The child has a deadline of its own.
TEST_F(CfgTest, UndeletableTreeFailsInsteadOfLooping) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string tree = kParams.substr(0, kParams.size() - 2) + "\\Tree";
  const std::string cases[] = {
      // a value of the tree itself
      tree + "]\n\"A\"=dword:00000001\n\n" + tree + "\\Sub]\n\"B\"=dword:00000002\n",
      // a value of a subkey, found only by the recursion
      tree + "\\Sub]\n\"B\"=dword:00000002\n",
      // an empty key at the bottom
      tree + "\\Sub\\Deeper]\n",
  };
  for (const std::string& text : cases) {
    Start(text);
    // Writers cannot take their lock: every change fails, reads still work.
    unlink((registry() + ".lock").c_str());
    ASSERT_EQ(mkdir((registry() + ".lock").c_str(), 0700), 0) << strerror(errno);
    EXPECT_EXIT(
        {
          alarm(10);
          _exit(DeleteCfgEntry("Tree") ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "")
        << text;
    EXPECT_EQ(ReadRegistry(), text);
    rmdir((registry() + ".lock").c_str());
    ASSERT_TRUE(OsaTerm());
  }
}

// Two processes writing at once: neither loses the other's values.
TEST_F(CfgTest, TwoProcessesWritingAtOnceKeepBothValues) {
  WriteRegistry("");
  constexpr int kValues = 40;
  ASSERT_TRUE(RunInChildren(2, [](int c) {
    // The key may exist by now, opened for reading by start-up: a writer
    // takes it for writing first.
    bool ok = OsaInit() != nullptr && CreateCfg();
    for (int i = 0; i < kValues && ok; ++i) {
      const std::string path = "Proc" + std::to_string(c) + "\\V" + std::to_string(i);
      ok = SetCfgDword(path.c_str(), static_cast<uint32_t>(c * 1000 + i));
    }
    return ok ? 0 : 1;
  }));
  ASSERT_NE(OsaInit(), nullptr);
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kValues; ++i) {
      const std::string path = "Proc" + std::to_string(c) + "\\V" + std::to_string(i);
      uint32_t value = 0xFFFFFFFFu;
      GetCfgDword(path.c_str(), &value, 0xFFFFFFFFu);
      EXPECT_EQ(value, static_cast<uint32_t>(c * 1000 + i)) << path;
    }
  }
}

}  // namespace
