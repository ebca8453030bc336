// The registry store: its file format both ways, the call semantics the
// configuration store relies on, and atomic replacement of the file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/platform/plat_registry.h"
#include "tests/runtime/support/osa_fixture.h"
#include "tests/support/deadline.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

class RegistryTest : public OsaTest {
 protected:
  PlatRegKey* Open(const char* path, uint32_t access = PLAT_KEY_ALL_ACCESS) {
    PlatRegKey* key = nullptr;
    EXPECT_EQ(PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, path, access, &key), PLAT_ERROR_SUCCESS)
        << path;
    return key;
  }
  PlatRegKey* Create(const char* path, uint32_t access = PLAT_KEY_ALL_ACCESS) {
    PlatRegKey* key = nullptr;
    EXPECT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, path, access, &key, nullptr),
              PLAT_ERROR_SUCCESS)
        << path;
    return key;
  }
  // The value's type and bytes, or PLAT_REG_NONE and "?" when it cannot be read.
  static std::pair<uint32_t, Bytes> Read(PlatRegKey* key, const char* name) {
    uint32_t type = 0;
    uint32_t size = 0;
    if (PlatRegQueryValue(key, name, &type, nullptr, &size) != PLAT_ERROR_SUCCESS)
      return {PLAT_REG_NONE, B("?")};
    Bytes data(size);
    if (PlatRegQueryValue(key, name, &type, data.data(), &size) != PLAT_ERROR_SUCCESS)
      return {PLAT_REG_NONE, B("?")};
    return {type, data};
  }
  std::string Detail() const {
    char text[512];
    PlatRegErrorDetail(text, sizeof text);
    return text;
  }
};

TEST_F(RegistryTest, ParsesEveryValueForm) {
  struct Case {
    const char* line;
    const char* name;
    uint32_t type;
    Bytes data;
  } const cases[] = {
      {"\"a\"=\"text\"", "a", PLAT_REG_SZ, B(std::string("text\0", 5))},
      {"\"a\"=\"q\\\"uote\\\\back\"", "a", PLAT_REG_SZ, B(std::string("q\"uote\\back\0", 12))},
      {"\"a\"=\"\"", "a", PLAT_REG_SZ, Bytes{0}},
      {"\"a\" = \"spaced\"", "a", PLAT_REG_SZ, B(std::string("spaced\0", 7))},
      {"@=\"default\"", "", PLAT_REG_SZ, B(std::string("default\0", 8))},
      {"\"na\\\"me\"=dword:1", "na\"me", PLAT_REG_DWORD, Bytes{1, 0, 0, 0}},
      {"\"a\"=expand:\"%HOME%\\\\x\"", "a", PLAT_REG_EXPAND_SZ, B(std::string("%HOME%\\x\0", 9))},
      {"\"a\"=multi:\"x\",\"yz\"", "a", PLAT_REG_MULTI_SZ, B(std::string("x\0yz\0\0", 6))},
      {"\"a\"=multi:", "a", PLAT_REG_MULTI_SZ, Bytes{0}},
      {"\"a\"=dword:00000bb8", "a", PLAT_REG_DWORD, Bytes{0xb8, 0x0b, 0, 0}},
      {"\"a\"=DWORD:FFFFFFFE", "a", PLAT_REG_DWORD, Bytes{0xfe, 0xff, 0xff, 0xff}},
      {"\"a\"=hex:de,ad,BE,ef", "a", PLAT_REG_BINARY, Bytes{0xde, 0xad, 0xbe, 0xef}},
      {"\"a\"=hex:", "a", PLAT_REG_BINARY, Bytes{}},
      {"\"a\"=hex:1, 2 ,3", "a", PLAT_REG_BINARY, Bytes{1, 2, 3}},
      {"\"a\"=hex(b):01,02,03,04,05,06,07,08", "a", PLAT_REG_QWORD, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"\"a\"=hex(0):", "a", PLAT_REG_NONE, Bytes{}},
      {"\"a\"=hex(2):25,00", "a", PLAT_REG_EXPAND_SZ, Bytes{0x25, 0}},
      {"\"a\"=hex:01,02,\\\n  03,04", "a", PLAT_REG_BINARY, Bytes{1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    WriteRegistry(std::string("[K]\n") + c.line + "\n");
    PlatRegKey* key = Open("K");
    ASSERT_NE(key, nullptr) << c.line << " " << Detail();
    EXPECT_EQ(Read(key, c.name), std::make_pair(c.type, c.data)) << c.line;
    PlatRegCloseKey(key);
  }
}

TEST_F(RegistryTest, AcceptsTheFrameOfAnExport) {
  WriteRegistry(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\A]\r\n"
      "\"x\"=dword:00000001\r\n"
      "\r\n"
      "[SYSTEM\\A\\B]\r\n"
      "  ; indented comment\r\n"
      "[system\\a]\r\n"
      "\"y\"=\"two\"\r\n");
  PlatRegKey* a = Open("SYSTEM\\A");
  ASSERT_NE(a, nullptr) << Detail();
  EXPECT_EQ(Read(a, "x"), std::make_pair(PLAT_REG_DWORD, Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Read(a, "y"), std::make_pair(PLAT_REG_SZ, B(std::string("two\0", 4))));
  PlatRegKey* b = Open("SYSTEM\\A\\B");
  EXPECT_NE(b, nullptr);
  PlatRegCloseKey(a);
  PlatRegCloseKey(b);
}

TEST_F(RegistryTest, RejectsBadLinesWithTheirNumber) {
  struct Case {
    const char* text;
    unsigned line;
    const char* message;
  } const cases[] = {
      {"\"a\"=dword:1\n", 1, "value line outside a key"},
      {"[HKEY_LOCAL_MACHINE]\n\"a\"=dword:1\n", 2, "value line outside a key"},
      {"\n\n[K\n", 3, "a key line must end with ']'"},
      {"[K\\\\L]\n", 1, "empty key name"},
      {"[K\\]\n", 1, "empty key name"},
      {"[]\n", 1, "empty key name"},
      {"[-K]\n", 1, "key deletion lines are not supported"},
      {"[K]\n\"a\"=-\n", 2, "value deletion lines are not supported"},
      {"[K]\n\"a\"=dword:123456789\n", 2, "dword: takes 1 to 8 hex digits"},
      {"[K]\n\"a\"=dword:\n", 2, "dword: takes 1 to 8 hex digits"},
      {"[K]\n\"a\"=hex:01,zz\n", 2, "hex bytes are 1 or 2 hex digits, separated by ','"},
      {"[K]\n\"a\"=hex:123\n", 2, "hex bytes are 1 or 2 hex digits, separated by ','"},
      {"[K]\n\"a\"=hex:01,\n", 2, "hex byte expected after ','"},
      {"[K]\n\"a\"=hex:01,\\\n", 2, "hex line continued past the end of the file"},
      {"[K]\n\"a\"=hex(zz):01\n", 2, "bad hex(type):"},
      {"[K]\n\"a\"=\"open\n", 2, "bad string data"},
      {"[K]\n\"a\"=\"x\" trailing\n", 2, "bad string data"},
      {"[K]\n\"a\"=multi:\"x\",\n", 2, "string expected after ','"},
      {"[K]\n\"a\"=multi:\"x\",\"\"\n", 2, "multi: strings cannot be empty"},
      {"[K]\n\"a\"=expand:\"x\",\"y\"\n", 2, "expand: takes one string"},
      {"[K]\n\"a\"=12\n", 2, "unknown value data"},
      {"[K]\n\"a\" dword:1\n", 2, "expected '=' after the value name"},
      {"[K]\n\"a\\q\"=dword:1\n", 2, "bad value name"},
      {"[K]\n\"a\"=dword:1\n\"A\"=dword:2\n", 3, "duplicate value \"A\""},
      {"[K]\n\"a\"=dword:1\n[L]\n[k]\n\"A\"=dword:2\n", 5, "duplicate value \"A\""},
      {"[K]\n@=dword:1\n\"\"=dword:2\n", 3, "duplicate value \"\""},
      {"[K]\n\"a\\\"b\"=dword:1\n\"A\\\"B\"=dword:2\n", 3, "duplicate value \"A\"B\""},
      {"[K]\nfoo\n", 2, "expected a [key] line or a \"name\"=value line"},
  };
  for (const Case& c : cases) {
    WriteRegistry(c.text);
    PlatRegKey* key = nullptr;
    EXPECT_EQ(PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, "K", PLAT_KEY_READ, &key), PLAT_ERROR_BADDB)
        << c.text;
    EXPECT_EQ(Detail(), registry() + ":" + std::to_string(c.line) + ": " + c.message) << c.text;
    // A change is refused too: the file is never replaced by a guess.
    EXPECT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, "New", PLAT_KEY_ALL_ACCESS, &key, nullptr),
              PLAT_ERROR_BADDB);
    EXPECT_EQ(ReadRegistry(), c.text);
  }
}

// A store that is not a whole regular file of a bounded size is refused
// with its cause, never read as empty or in part, nor waited for.
TEST_F(RegistryTest, RefusesAStoreThatIsNoWholeFile) {
  const std::string directory = dir_.File("store.d"), fifo = dir_.File("fifo.reg");
  ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string big = dir_.File("big.reg"), most = dir_.File("most.reg");
  const std::string section = "[K]\n\"a\"=dword:1\n";
  WriteTextFile(most, section + std::string(PLAT_REG_FILE_MAX - section.size(), '\n'));
  WriteTextFile(big, section + std::string(PLAT_REG_FILE_MAX + 1 - section.size(), '\n'));
  const struct {
    std::string path;
    const char* cause;
  } cases[] = {
      {directory, "cannot read: Is a directory"},
      {fifo, "not a regular file"},
      {"/dev/null", "not a regular file"},
      {big, "larger than 16777216 bytes"},
      // A regular file whose read fails at its first byte.
      {"/proc/self/mem", "cannot read: Input/output error"},
  };
  RunWithDeadline(kTestWait, [&] {
    for (const auto& c : cases) {
      setenv("VELMORA_REGISTRY", c.path.c_str(), 1);
      PlatRegKey* key = nullptr;
      EXPECT_EQ(PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, "K", PLAT_KEY_READ, &key),
                PLAT_ERROR_CANTREAD)
          << c.path;
      EXPECT_EQ(Detail(), c.path + ": " + c.cause);
    }
  });
  setenv("VELMORA_REGISTRY", most.c_str(), 1);
  PlatRegCloseKey(Open("K"));
}

// Keys nest at most 512 levels below the root, in the file and in a
// creation alike: a deeper path in a store is an error of its line.
TEST_F(RegistryTest, KeysNestAtMost512Levels) {
  std::string path = "K";
  for (uint32_t i = 1; i < PLAT_REG_DEPTH_MAX; ++i)
    path += "\\K";
  PlatRegCloseKey(Create(path.c_str()));
  PlatRegKey* key = nullptr;
  EXPECT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, (path + "\\K").c_str(), PLAT_KEY_ALL_ACCESS,
                             &key, nullptr),
            PLAT_ERROR_INVALID_PARAMETER);
  PlatRegCloseKey(Open(path.c_str()));
  // A million levels in two megabytes: refused, not walked into.
  std::string deep = "[K";
  for (int i = 0; i < 1000000; ++i)
    deep += "\\K";
  WriteRegistry("\n" + deep + "]\n");
  EXPECT_EQ(PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, "K", PLAT_KEY_READ, &key), PLAT_ERROR_BADDB);
  EXPECT_EQ(Detail(), registry() + ":2: key path deeper than 512 keys");
}

TEST_F(RegistryTest, WritesEachTypeInItsReadableForm) {
  struct Case {
    const char* name;
    uint32_t type;
    Bytes data;
    const char* line;
  } const cases[] = {
      {"v", PLAT_REG_SZ, B(std::string("x\0", 2)), "\"v\"=\"x\""},
      {"v", PLAT_REG_SZ, B(std::string("C:\\a \"b\"\0", 9)), "\"v\"=\"C:\\\\a \\\"b\\\"\""},
      {"", PLAT_REG_SZ, B(std::string("d\0", 2)), "@=\"d\""},
      {"q\"n", PLAT_REG_DWORD, Bytes{0xb8, 0x0b, 0, 0}, "\"q\\\"n\"=dword:00000bb8"},
      {"v", PLAT_REG_EXPAND_SZ, B(std::string("%P%\0", 4)), "\"v\"=expand:\"%P%\""},
      {"v", PLAT_REG_MULTI_SZ, B(std::string("a\0b\0\0", 5)), "\"v\"=multi:\"a\",\"b\""},
      {"v", PLAT_REG_MULTI_SZ, Bytes{0}, "\"v\"=multi:"},
      {"v", PLAT_REG_BINARY, Bytes{0, 0xff, 0x10}, "\"v\"=hex:00,ff,10"},
      {"v", PLAT_REG_QWORD, Bytes{1, 0, 0, 0, 0, 0, 0, 0}, "\"v\"=hex(b):01,00,00,00,00,00,00,00"},
      {"v", 0x20000, Bytes{7}, "\"v\"=hex(20000):07"},
      // Data the readable forms cannot carry falls back to bytes.
      {"v", PLAT_REG_SZ, B(std::string("a\nb\0", 4)), "\"v\"=hex(1):61,0a,62,00"},
      {"v", PLAT_REG_SZ, B("ab"), "\"v\"=hex(1):61,62"},
      {"v", PLAT_REG_SZ, Bytes{}, "\"v\"=hex(1):"},
      {"v", PLAT_REG_MULTI_SZ, B(std::string("a\0\0b\0\0", 6)), "\"v\"=hex(7):61,00,00,62,00,00"},
      {"v", PLAT_REG_DWORD, Bytes{1, 2, 3}, "\"v\"=hex(4):01,02,03"},
  };
  for (const Case& c : cases) {
    WriteRegistry("");
    PlatRegKey* key = Create("SYSTEM\\K");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(
        PlatRegSetValue(key, c.name, c.type, c.data.data(), static_cast<uint32_t>(c.data.size())),
        PLAT_ERROR_SUCCESS)
        << c.line;
    EXPECT_EQ(ReadRegistry(), std::string("[SYSTEM\\K]\n") + c.line + "\n");
    // Read back from the file: the same type and bytes.
    EXPECT_EQ(Read(key, c.name), std::make_pair(c.type, c.data)) << c.line;
    PlatRegCloseKey(key);
  }
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  PlatRegKey* key = Create("Alpha\\Beta");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(PlatRegSetValue(key, "MixedCase", PLAT_REG_DWORD, "\1\0\0\0", 4), PLAT_ERROR_SUCCESS);
  ASSERT_EQ(PlatRegSetValue(key, "MIXEDCASE", PLAT_REG_DWORD, "\2\0\0\0", 4), PLAT_ERROR_SUCCESS);
  PlatRegKey* again = Create("ALPHA\\beta");
  EXPECT_EQ(Read(again, "mixedcase"), std::make_pair(PLAT_REG_DWORD, Bytes{2, 0, 0, 0}));
  EXPECT_EQ(ReadRegistry(), "[Alpha\\Beta]\n\"MixedCase\"=dword:00000002\n");
  PlatRegCloseKey(key);
  PlatRegCloseKey(again);
}

TEST_F(RegistryTest, HandlesHaveOnlyTheirRights) {
  PlatRegKey* full = Create("K");
  ASSERT_NE(full, nullptr);
  ASSERT_EQ(PlatRegSetValue(full, "v", PLAT_REG_DWORD, "\1\0\0\0", 4), PLAT_ERROR_SUCCESS);
  PlatRegKey* sub = nullptr;
  ASSERT_EQ(PlatRegCreateKey(full, "Existing", PLAT_KEY_ALL_ACCESS, &sub, nullptr),
            PLAT_ERROR_SUCCESS);
  PlatRegCloseKey(sub);
  PlatRegKey* read = Open("K", PLAT_KEY_READ);
  PlatRegKey* write = Open("K", PLAT_KEY_WRITE);
  uint32_t size = 4;
  char data[4];
  EXPECT_EQ(PlatRegSetValue(read, "v", PLAT_REG_DWORD, "\2\0\0\0", 4), PLAT_ERROR_ACCESS_DENIED);
  EXPECT_EQ(PlatRegDeleteValue(read, "v"), PLAT_ERROR_ACCESS_DENIED);
  EXPECT_EQ(PlatRegQueryValue(write, "v", nullptr, data, &size), PLAT_ERROR_ACCESS_DENIED);
  uint32_t room = sizeof data;
  EXPECT_EQ(PlatRegEnumKey(write, 0, data, &room), PLAT_ERROR_ACCESS_DENIED);
  // Creating needs the right, also for a subkey that exists: a read handle
  // gives no handle that writes.
  EXPECT_EQ(PlatRegCreateKey(read, "Missing", PLAT_KEY_ALL_ACCESS, &sub, nullptr),
            PLAT_ERROR_ACCESS_DENIED);
  EXPECT_EQ(PlatRegCreateKey(read, "existing", PLAT_KEY_ALL_ACCESS, &sub, nullptr),
            PLAT_ERROR_ACCESS_DENIED);
  EXPECT_EQ(sub, nullptr);
  // The root holds keys only (the file has no place for its values), also
  // through a handle that opened it again.
  PlatRegKey* root_again = Open("");
  const std::string before = ReadRegistry();
  for (PlatRegKey* root : {PLAT_HKEY_LOCAL_MACHINE, root_again}) {
    EXPECT_EQ(PlatRegSetValue(root, "v", PLAT_REG_DWORD, "\1\0\0\0", 4), PLAT_ERROR_ACCESS_DENIED);
    PlatRegKey* none = nullptr;
    EXPECT_EQ(PlatRegCreateKey(root, "HKLM", PLAT_KEY_ALL_ACCESS, &none, nullptr),
              PLAT_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(none, nullptr);
  }
  EXPECT_EQ(ReadRegistry(), before);
  EXPECT_EQ(Read(full, "v"), std::make_pair(PLAT_REG_DWORD, Bytes{1, 0, 0, 0}));
  for (PlatRegKey* k : {full, read, write, sub, root_again})
    PlatRegCloseKey(k);
}

TEST_F(RegistryTest, QuerySizeRules) {
  PlatRegKey* key = Create("K");
  ASSERT_EQ(PlatRegSetValue(key, "v", PLAT_REG_BINARY, "abcdef", 6), PLAT_ERROR_SUCCESS);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(PlatRegQueryValue(key, "v", &type, nullptr, &size), PLAT_ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, PLAT_REG_BINARY);
  char data[8] = "#######";
  size = 5;
  EXPECT_EQ(PlatRegQueryValue(key, "v", nullptr, data, &size), PLAT_ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(data, "#######");
  EXPECT_EQ(PlatRegQueryValue(key, "v", nullptr, data, &size), PLAT_ERROR_SUCCESS);
  EXPECT_EQ(std::string(data, 7), "abcdef#");
  EXPECT_EQ(PlatRegQueryValue(key, "missing", nullptr, nullptr, &size), PLAT_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(PlatRegQueryValue(nullptr, "v", nullptr, nullptr, &size), PLAT_ERROR_INVALID_HANDLE);
  PlatRegCloseKey(key);
}

TEST_F(RegistryTest, EnumerationFollowsFileOrder) {
  WriteRegistry("[K]\n\"zeta\"=dword:1\n\"alpha\"=\"a\"\n[K\\S2]\n[K\\S1]\n");
  PlatRegKey* key = Open("K");
  ASSERT_NE(key, nullptr);
  std::vector<std::string> values;
  char name[16];
  for (uint32_t i = 0;; ++i) {
    uint32_t room = sizeof name;
    uint32_t type = 0;
    const PlatRegStatus status = PlatRegEnumValue(key, i, name, &room, &type, nullptr, nullptr);
    if (status == PLAT_ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, PLAT_ERROR_SUCCESS);
    EXPECT_EQ(room, strlen(name));
    values.push_back(std::string(name) + ":" + std::to_string(type));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"zeta:4", "alpha:1"}));
  uint32_t room = 3;  // "S2" needs 3 with its terminator; 2 is too small
  EXPECT_EQ(PlatRegEnumKey(key, 0, name, &room), PLAT_ERROR_SUCCESS);
  EXPECT_STREQ(name, "S2");
  room = 2;
  EXPECT_EQ(PlatRegEnumKey(key, 1, name, &room), PLAT_ERROR_MORE_DATA);
  EXPECT_EQ(room, 3u);
  EXPECT_EQ(PlatRegEnumKey(key, 2, name, &room), PLAT_ERROR_NO_MORE_ITEMS);
  PlatRegCloseKey(key);
}

TEST_F(RegistryTest, DeleteKeyOnlyWithoutSubkeys) {
  PlatRegKey* key = Create("A\\B\\C");
  ASSERT_EQ(PlatRegSetValue(key, "v", PLAT_REG_DWORD, "\1\0\0\0", 4), PLAT_ERROR_SUCCESS);
  PlatRegKey* a = Open("A");
  EXPECT_EQ(PlatRegDeleteKey(a, "B"), PLAT_ERROR_ACCESS_DENIED);
  EXPECT_EQ(PlatRegDeleteKey(a, "B\\C"), PLAT_ERROR_SUCCESS);
  EXPECT_EQ(PlatRegDeleteKey(a, "B\\C"), PLAT_ERROR_FILE_NOT_FOUND);
  // The handle of a deleted key says so.
  uint32_t size = 0;
  EXPECT_EQ(PlatRegQueryValue(key, "v", nullptr, nullptr, &size), PLAT_ERROR_KEY_DELETED);
  EXPECT_EQ(ReadRegistry(), "[A\\B]\n");
  PlatRegCloseKey(key);
  PlatRegCloseKey(a);
}

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistryAndWritesMakeIt) {
  const std::string nested = dir_.File("deep/er/registry.reg");
  setenv("VELMORA_REGISTRY", nested.c_str(), 1);
  PlatRegKey* key = nullptr;
  EXPECT_EQ(PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, "K", PLAT_KEY_READ, &key),
            PLAT_ERROR_FILE_NOT_FOUND);
  bool created = false;
  ASSERT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, "K", PLAT_KEY_ALL_ACCESS, &key, &created),
            PLAT_ERROR_SUCCESS);
  EXPECT_TRUE(created);
  EXPECT_EQ(ReadTextFile(nested), "[K]\n");
  PlatRegCloseKey(key);
  ASSERT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, "k", PLAT_KEY_ALL_ACCESS, &key, &created),
            PLAT_ERROR_SUCCESS);
  EXPECT_FALSE(created);
  PlatRegCloseKey(key);
}

TEST_F(RegistryTest, RefusesNamesTheFileCannotHold) {
  PlatRegKey* key = nullptr;
  const std::string long_name(PLAT_REG_KEY_NAME_MAX + 1, 'k');
  // A first name that reads as the root's own ("[HKLM\\X]" is "[X]") would
  // lose the key on the next read.
  for (const char* bad :
       {"A\\B\x01", "-Root", long_name.c_str(), "HKLM\\X", "hkey_local_machine"}) {
    EXPECT_EQ(PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, bad, PLAT_KEY_ALL_ACCESS, &key, nullptr),
              PLAT_ERROR_INVALID_PARAMETER)
        << bad;
  }
  key = Create("Ok\\-Inner");  // only a root-level name could read as a deletion line
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(PlatRegSetValue(key, "tab\there", PLAT_REG_DWORD, "\1\0\0\0", 4), PLAT_ERROR_SUCCESS);
  EXPECT_EQ(PlatRegSetValue(key, "line\nbreak", PLAT_REG_DWORD, "\1\0\0\0", 4),
            PLAT_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Read(key, "tab\there").first, PLAT_REG_DWORD);
  PlatRegCloseKey(key);
}

TEST_F(RegistryTest, FileLocationFollowsTheEnvironment) {
  struct Case {
    const char* registry;
    const char* xdg;
    const char* home;
    const char* path;
  } const cases[] = {
      {"/r/file.reg", "/x", "/h", "/r/file.reg"},
      {nullptr, "/x", "/h", "/x/velmora/registry.reg"},
      {"", "/x", "/h", "/x/velmora/registry.reg"},
      {nullptr, nullptr, "/h", "/h/.config/velmora/registry.reg"},
      {nullptr, "", "/h", "/h/.config/velmora/registry.reg"},
  };
  const std::string saved_home = getenv("HOME") ? getenv("HOME") : "";
  const char* saved_xdg = getenv("XDG_CONFIG_HOME");
  const std::string xdg_copy = saved_xdg ? saved_xdg : "";
  auto set = [](const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  };
  for (const Case& c : cases) {
    set("VELMORA_REGISTRY", c.registry);
    set("XDG_CONFIG_HOME", c.xdg);
    set("HOME", c.home);
    char path[256];
    EXPECT_EQ(PlatRegPath(path, sizeof path), strlen(c.path));
    EXPECT_STREQ(path, c.path);
  }
  set("HOME", saved_home.empty() ? nullptr : saved_home.c_str());
  set("XDG_CONFIG_HOME", saved_xdg ? xdg_copy.c_str() : nullptr);
}

// A reader never sees a half-written file while another thread rewrites it.
TEST_F(RegistryTest, ReadersNeverSeeAPartialFile) {
  PlatRegKey* key = Create("K");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(PlatRegSetValue(key, "v", PLAT_REG_BINARY, "", 0), PLAT_ERROR_SUCCESS);
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    PlatRegKey* mine = Open("K", PLAT_KEY_READ);
    while (!done.load()) {
      uint32_t size = 0;
      if (PlatRegQueryValue(mine, "v", nullptr, nullptr, &size) != PLAT_ERROR_SUCCESS) ++bad;
    }
    PlatRegCloseKey(mine);
  });
  std::string data;
  for (int i = 0; i < 150; ++i) {
    data.append(97, static_cast<char>('a' + i % 26));
    ASSERT_EQ(
        PlatRegSetValue(key, "v", PLAT_REG_BINARY, data.data(), static_cast<uint32_t>(data.size())),
        PLAT_ERROR_SUCCESS);
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(Read(key, "v").second, B(data));
  PlatRegCloseKey(key);
}

}  // namespace
