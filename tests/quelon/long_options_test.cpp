// quelon's long options: names and aliases, prefixes, values and their readings.
#include "quelon/long_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/text/support/args.h"

namespace {

TEST(LongOptions, FindAndValue) {
  struct Case {
    const char* line;
    const char* spec;
    bool present;
    const char* value;  // NULL: none
  };
  constexpr Case kCases[] = {
      {"-m:C0A8", "m,mac", true, "C0A8"},
      {"--mac=C0A8", "m,mac", true, "C0A8"},
      {"-m C0A8", "m,mac", true, "C0A8"},
      {"/m=C0A8", "m,mac", true, "C0A8"},
      {"-m -n 2", "m,mac", true, nullptr},
      {"-m /n", "m,mac", true, nullptr},
      {"--mac=", "m,mac", true, ""},
      {"/Help", "?,h,help", true, nullptr},
      {"--HELP", "?,h,help", true, nullptr},
      {"-?", "?,h,help", true, nullptr},
      {"-help", "help", false, nullptr},  // a long name takes two dashes
      {"--h", "h", false, nullptr},       // a letter takes one
      {"-dx", "d", false, nullptr},
      {"-d", "d,daemon,f,full", true, nullptr},
      {"-f", "d,daemon,f,full", true, nullptr},
      {"--full", "d,daemon,f,full", true, nullptr},
      {"-w", "w, write", true, nullptr},
      {"--write x", "w, write", true, "x"},
      {"--port", "port", true, nullptr},
      {"--port 5 --port 6", "port", true, "5"},
      {"--portx=5 --port=6", "port", true, "6"},
      {"--help-internal", "help", false, nullptr},
      {"--help-internal", "help-internal", true, nullptr},
      {"port", "port", false, nullptr},
      {"-m!", "m!", false, nullptr},  // not a valid name: never found
      {"-m", "", false, nullptr},
      {"-m", " , ", false, nullptr},
      // Aliases are tried in the alias list's order, not the arguments'.
      {"--full=1 -d=2", "d,f,full", true, "2"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.line) + " / " + c.spec);
    Args a(c.line);
    const char* value = "unset";
    EXPECT_EQ(OptionSpecFind(c.spec, a.argc(), &value, a.v()), c.present);
    EXPECT_EQ(OptionIsSet(a.v(), a.argc(), c.spec), c.present);
    if (c.value)
      EXPECT_STREQ(value, c.value);
    else
      EXPECT_EQ(value, nullptr);
  }
  Args a("--mac=1");
  EXPECT_TRUE(OptionFindName(a.v(), a.argc(), "MAC"));
  EXPECT_FALSE(OptionFindName(a.v(), a.argc(), "m"));
  EXPECT_FALSE(OptionFindName(a.v(), a.argc(), nullptr));
  EXPECT_FALSE(OptionIsSet(a.v(), a.argc(), nullptr));
  // The program's own name is no option.
  const char* argv[] = {"--mac", nullptr};
  EXPECT_FALSE(OptionFindName(argv, 1, "mac"));
}

TEST(LongOptions, NameValidity) {
  for (const char* name : {"a", "help-internal", "?", "x_1", "Z9"})
    EXPECT_TRUE(OptionNameIsValid(name)) << name;
  for (const char* name : {"", "a b", "a,b", "a:b", "a=b", "m!"})
    EXPECT_FALSE(OptionNameIsValid(name)) << name;
  EXPECT_FALSE(OptionNameIsValid(nullptr));
}

TEST(LongOptions, GetInt) {
  struct Case {
    const char* line;
    bool ok;
    int32_t value;
  };
  constexpr Case kCases[] = {
      {"--port=010", true, 8},  {"--port=0x1F", true, 31},
      {"--port:12", true, 12},  {"--port 12", true, 12},
      {"--port=-1", true, -1},  {"--port=2147483647", true, INT32_MAX},
      {"--port", false, 0},     {"--port -1", false, 0},
      {"--port=abc", false, 0}, {"--port=12x", false, 0},
      {"--port=", false, 0},    {"--port=0x", false, 0},
      {"--port=08", false, 0},  {"--port=2147483648", false, 0},
      {"", false, 0},
  };
  for (const Case& c : kCases) {
    Args a(c.line);
    int32_t out = 77;
    EXPECT_EQ(OptionGetInt(a.v(), a.argc(), "port", &out), c.ok) << c.line;
    EXPECT_EQ(out, c.value) << c.line;
  }
  Args a("--aid=abc");
  int32_t aid = 77;
  EXPECT_FALSE(OptionGetInt(a.v(), a.argc(), "aid", &aid));
  EXPECT_EQ(aid, 0);
  EXPECT_FALSE(OptionGetInt(a.v(), a.argc(), "aid", nullptr));
}

TEST(LongOptions, GetString) {
  struct Case {
    const char* line;
    uint32_t size;
    bool ok;
    const char* text;
  };
  constexpr Case kCases[] = {
      {R"(-w="a""b")", 16, true, "a\"b"}, {R"(-w="a,b" x)", 16, true, "a,b"},
      {R"(-w="abc)", 16, true, "abc"},    {R"(-w="")", 16, true, ""},
      {"-w=ab_1,cd", 16, true, "ab_1"},   {"-w hello", 3, true, "he"},
      {R"(-w="hello")", 3, true, "he"},   {"-w hello", 1, true, ""},
      {"-w", 16, false, "old"},           {"-x=1", 16, false, "old"},
  };
  for (const Case& c : kCases) {
    Args a(c.line);
    char out[16] = "old";
    EXPECT_EQ(OptionGetString(a.v(), a.argc(), "w, write", out, c.size), c.ok) << c.line;
    EXPECT_STREQ(out, c.text) << c.line;
  }
  Args a("-w x");
  char out[4] = "old";
  EXPECT_FALSE(OptionGetString(a.v(), a.argc(), "w", out, 0));
  EXPECT_STREQ(out, "old");
}

TEST(LongOptions, GetHex) {
  struct Case {
    const char* line;
    uint32_t n;
    bool ok;
    std::vector<uint8_t> bytes;
  };
  const Case kCases[] = {
      {"-m:C0A8", 7, true, {0xC0, 0xA8}},
      {"--mac=c0a8010abac0", 7, true, {0xC0, 0xA8, 0x01, 0x0A, 0xBA, 0xC0}},
      {"-m abc", 7, true, {0x0A, 0xBC}},
      {"-m:c0:a8", 7, true, {0xC0}},  // a separator ends the value
      {"-m:0102030405060708", 7, false, {}},
      {"-m:01020304050607", 7, true, {1, 2, 3, 4, 5, 6, 7}},
      {"-m:xyz", 7, false, {}},
      {"-m", 7, false, {}},
      {"-n:12", 7, false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    Args a(c.line);
    std::vector<uint8_t> buffer(c.n, 0xEE);
    uint32_t count = 0;
    ASSERT_EQ(OptionGetHex(a.v(), a.argc(), "m,mac", buffer.data(), c.n, &count), c.ok);
    if (c.ok) {
      EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + count), c.bytes);
    }
  }
  Args a("-m:12");
  uint8_t b[1];
  uint32_t count;
  EXPECT_FALSE(OptionGetHex(a.v(), a.argc(), "m", b, 0, &count));
  EXPECT_FALSE(OptionGetHex(a.v(), a.argc(), "m", b, 1, nullptr));
}

TEST(LongOptions, ValueIsWhole) {
  struct Case {
    const char* line;
    uint32_t size;
    bool whole;
  };
  constexpr Case kCases[] = {
      {"-m:C0A80001BAC0", 21, true},
      {"-m:C0:A8:00:01:BA:C0", 21, false},  // only "C0" is read
      {"-m C0A8,", 21, false},
      {R"(-m="C0A8")", 21, true},
      {R"(-m="C0""A8")", 21, true},
      {R"(-m="C0,A8")", 21, true},
      {R"(-m="C0A8"x)", 21, false},
      {R"(-m="C0A8)", 21, false},  // the rest of the value is in other arguments
      {R"(-m="C0A8"")", 21, false},
      {"-m:01234567890123456789", 21, true},
      {"-m:012345678901234567890", 21, false},  // 21 characters do not fit 20
      {R"(-m="abc")", 4, true},
      {R"(-m="abcd")", 4, false},
      {"-m=", 21, true},
      {"-m", 21, false},
      {"-x=1", 21, false},
      {"-m=ab", 0, false},
  };
  for (const Case& c : kCases) {
    Args a(c.line);
    EXPECT_EQ(OptionValueIsWhole(a.v(), a.argc(), "m,mac", c.size), c.whole) << c.line;
  }
}

}  // namespace
