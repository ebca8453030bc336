// Short options: finding, converting, parsing rows, usage and the option list.
#include "text/cmdline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/text/support/args.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(CmdLine, FindOption) {
  struct Case {
    const char* line;
    char letter;
    const char* value;  // NULL: absent
  };
  constexpr Case kCases[] = {
      {"-t -p 5", 'p', "5"},     {"-t -p 5", 't', "-t"}, {"-p5", 'p', "5"},
      {"-p -t", 'p', "-p"},      {"x -p", 'p', "-p"},    {"/p 7", 'p', "7"},
      {"+p off", 'p', "off"},    {"-p +t", 'p', "-p"},   {"-p /t", 'p', "-p"},
      {"-P 5", 'p', nullptr},    {"p 5", 'p', nullptr},  {"", 'p', nullptr},
      {"-q1 -p2 -p3", 'p', "2"}, {"-", 'p', nullptr},
  };
  for (const Case& c : kCases) {
    Args a(c.line);
    const char* v = CmdLineFindOption(a.argc(), a.v(), c.letter);
    SCOPED_TRACE(std::string(c.line) + " " + c.letter);
    if (!c.value)
      EXPECT_EQ(v, nullptr);
    else
      EXPECT_STREQ(v, c.value);
  }
  // The program's own name is no option.
  const char* argv[] = {"-p9", nullptr};
  EXPECT_EQ(CmdLineFindOption(1, argv, 'p'), nullptr);
}

// The value text of each type and what it leaves in the output.
TEST(CmdLine, Conversions) {
  struct Case {
    CmdLineOptionType type;
    const char* text;
    bool ok;
    std::vector<uint8_t> bytes;  // the output's bytes on success
  };
  auto u32 = [](uint32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
  };
  auto f32 = [](float v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
  };
  const Case kCases[] = {
      {CMDLINE_OPTION_BOOLEAN, "-v", true, {1}},
      {CMDLINE_OPTION_BOOLEAN, "/v", true, {1}},
      {CMDLINE_OPTION_BOOLEAN, "+v", true, {0}},
      {CMDLINE_OPTION_BOOLEAN, "F", true, {0}},
      {CMDLINE_OPTION_BOOLEAN, "false", true, {0}},
      {CMDLINE_OPTION_BOOLEAN, "T", true, {1}},
      {CMDLINE_OPTION_BOOLEAN, "yes", false, {}},
      {CMDLINE_OPTION_BOOLEAN, "", false, {}},
      {CMDLINE_OPTION_REAL, "3.5", true, f32(3.5f)},
      {CMDLINE_OPTION_REAL, "-1e3", true, f32(-1000.0f)},
      {CMDLINE_OPTION_REAL, "x", false, {}},
      {CMDLINE_OPTION_SIGNED, "-5", true, u32(uint32_t(-5))},
      {CMDLINE_OPTION_SIGNED, "0x10", true, u32(16)},
      {CMDLINE_OPTION_SIGNED, "010", true, u32(8)},
      {CMDLINE_OPTION_SIGNED, "2147483647", true, u32(0x7FFFFFFF)},
      {CMDLINE_OPTION_SIGNED, "-2147483648", true, u32(0x80000000)},
      {CMDLINE_OPTION_SIGNED, "2147483648", false, {}},
      {CMDLINE_OPTION_SIGNED, "-p", false, {}},
      {CMDLINE_OPTION_SIGNED, "abc", false, {}},
      {CMDLINE_OPTION_UNSIGNED, "42", true, u32(42)},
      {CMDLINE_OPTION_UNSIGNED, "4294967295", true, u32(0xFFFFFFFF)},
      {CMDLINE_OPTION_UNSIGNED, "-1", true, u32(0xFFFFFFFF)},
      {CMDLINE_OPTION_UNSIGNED, "4294967296", false, {}},
      {CMDLINE_OPTION_UNSIGNED, "x1", false, {}},
      {CMDLINE_OPTION_UNSIGNED, "--1", false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.text) + " type " + std::to_string(c.type));
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    uint32_t size = c.type == CMDLINE_OPTION_BOOLEAN ? 1 : 4;
    ASSERT_EQ(CmdLineConvertValue(c.type, out, size, c.text), c.ok);
    if (c.ok)
      EXPECT_EQ(std::vector<uint8_t>(out, out + size), c.bytes);
    else  // a failed conversion stores nothing
      EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(4, 0xEE));
  }
  uint8_t any[16] = {};
  EXPECT_FALSE(CmdLineConvertValue(CmdLineOptionType(6), any, 16, "1"));
  EXPECT_FALSE(CmdLineConvertValue(CMDLINE_OPTION_SIGNED, any, 2, "1"));  // output too small
  EXPECT_FALSE(CmdLineConvertValue(CMDLINE_OPTION_SIGNED, nullptr, 4, "1"));
  EXPECT_FALSE(CmdLineConvertValue(CMDLINE_OPTION_SIGNED, any, 4, nullptr));
}

TEST(CmdLine, OctetText) {
  struct Case {
    const char* text;
    uint32_t room;
    bool ok;
    std::vector<uint8_t> octets;
  };
  const Case kCases[] = {
      {"0xabc", 4, true, {0x0A, 0xBC}},
      {"0XABBA", 2, true, {0xAB, 0xBA}},
      {"0x", 4, true, {}},
      {"0xag", 4, false, {}},
      {"abc", 4, false, {}},
      {"0x123456", 2, false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    uint8_t data[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    VelmoraOctetString s = {data, c.room, 99};
    ASSERT_EQ(CmdLineConvertValue(CMDLINE_OPTION_OCTETS, &s, sizeof s, c.text), c.ok);
    if (!c.ok) {
      EXPECT_EQ(s.length, 99u);
      continue;
    }
    EXPECT_EQ(std::vector<uint8_t>(data, data + s.length), c.octets);
  }
  VelmoraOctetString noBuffer = {nullptr, 4, 0};
  EXPECT_FALSE(CmdLineParseOctets(&noBuffer, "0x12"));
}

TEST(CmdLine, Strings) {
  char out[4];
  EXPECT_TRUE(CmdLineConvertValue(CMDLINE_OPTION_STRING, out, 4, "hello"));
  EXPECT_STREQ(out, "hel");
  EXPECT_TRUE(CmdLineParseString(out, 1, "hello"));
  EXPECT_STREQ(out, "");
  out[0] = 'x';
  EXPECT_FALSE(CmdLineParseString(out, 0, "hello"));
  EXPECT_EQ(out[0], 'x');
}

TEST(CmdLine, OptionRows) {
  CmdLineOption row;
  uint8_t flag;
  VelmoraOctetString octets;
  float real;
  char text[8];
  EXPECT_TRUE(CmdLineOptionInit(&row, CMDLINE_OPTION_BOOLEAN, &flag, 'v', "verbose"));
  EXPECT_EQ(row.output_size, 1u);
  EXPECT_TRUE(CmdLineOptionInit(&row, CMDLINE_OPTION_OCTETS, &octets, 'a', "address"));
  EXPECT_EQ(row.output_size, sizeof(VelmoraOctetString));
  EXPECT_TRUE(CmdLineOptionInit(&row, CMDLINE_OPTION_REAL, &real, 'r', "rate"));
  EXPECT_EQ(row.output_size, 4u);
  // A string row needs its buffer size, so only the string initialiser makes one.
  EXPECT_FALSE(CmdLineOptionInit(&row, CMDLINE_OPTION_STRING, text, 's', "name"));
  EXPECT_FALSE(CmdLineOptionInit(&row, CmdLineOptionType(6), &real, 'r', "rate"));
  EXPECT_FALSE(CmdLineOptionInit(&row, CMDLINE_OPTION_REAL, nullptr, 'r', "rate"));
  EXPECT_FALSE(CmdLineOptionInit(nullptr, CMDLINE_OPTION_REAL, &real, 'r', "rate"));
  EXPECT_TRUE(CmdLineStringOptionInit(&row, text, sizeof text, 's', "name"));
  EXPECT_EQ(row.type, CMDLINE_OPTION_STRING);
  EXPECT_EQ(row.output_size, sizeof text);
  EXPECT_FALSE(CmdLineStringOptionInit(&row, text, 0, 's', "name"));
  EXPECT_FALSE(CmdLineStringOptionInit(&row, nullptr, 8, 's', "name"));
}

// A program's rows: t boolean, p signed or boolean, n signed, s string.
struct Parsed {
  bool ok;
  std::string printed;
  uint8_t t = 0xEE;
  int32_t p = -7;
  int32_t n = -7;
  char s[4] = "old";
};

Parsed Parse(const std::string& line, CmdLineOptionType pType = CMDLINE_OPTION_SIGNED) {
  Parsed r;
  CmdLineOption rows[4];
  EXPECT_TRUE(CmdLineOptionInit(&rows[0], CMDLINE_OPTION_BOOLEAN, &r.t, 't', "flag"));
  EXPECT_TRUE(CmdLineOptionInit(&rows[1], pType, &r.p, 'p', "number"));
  EXPECT_TRUE(CmdLineOptionInit(&rows[2], CMDLINE_OPTION_SIGNED, &r.n, 'n', "network"));
  EXPECT_TRUE(CmdLineStringOptionInit(&rows[3], r.s, sizeof r.s, 's', "name"));
  Args a(line);
  CaptureStdout();
  r.ok = CmdLineParse(a.argc(), a.v(), rows, 4);
  r.printed = GetCapturedStdout();
  return r;
}

constexpr const char* kInvalid = "Invalid command line parameters.\n\n";

TEST(CmdLine, Parse) {
  Parsed r = Parse("-t -p 5");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.t, 1);
  EXPECT_EQ(r.p, 5);
  EXPECT_EQ(r.n, -7);  // absent: untouched
  EXPECT_STREQ(r.s, "old");
  EXPECT_EQ(r.printed, "");

  r = Parse("-p -t");  // p's value is "-p" itself
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.printed, kInvalid);
  EXPECT_EQ(r.p, -7);
  EXPECT_EQ(r.t, 1);  // the other rows are still converted

  r = Parse("-p -t", CMDLINE_OPTION_BOOLEAN);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(uint8_t(r.p), 1);

  r = Parse("-px -n7 -tF -s hello unrelated");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.n, 7);
  EXPECT_EQ(r.t, 0);
  EXPECT_STREQ(r.s, "hel");
}

TEST(CmdLine, HelpPrintsUsageAndFails) {
  static const char kUsage[] = "usage: prog [-t] [-p N]\nmore that is not shown";
  CmdLineSetUsage(kUsage, 24);
  const char* text = nullptr;
  uint32_t length = 0;
  CmdLineGetUsage(&text, &length);
  EXPECT_EQ(text, kUsage);
  EXPECT_EQ(length, 24u);
  for (const char* line : {"/?", "-p 5 /?", "-h", "+help"}) {
    Parsed r = Parse(line);
    EXPECT_FALSE(r.ok) << line;
    EXPECT_EQ(r.printed, "usage: prog [-t] [-p N]\n") << line;
    EXPECT_EQ(r.p, -7) << line;  // nothing converted
  }
  Parsed twice = Parse("-h -?");
  EXPECT_EQ(twice.printed, "usage: prog [-t] [-p N]\nusage: prog [-t] [-p N]\n");
  CmdLineSetUsage(nullptr, 0);
  Parsed silent = Parse("-h");
  EXPECT_FALSE(silent.ok);
  EXPECT_EQ(silent.printed, "");
  Args none("-t");
  EXPECT_TRUE(CmdLineParse(none.argc(), none.v(), nullptr, 0));
}

TEST(CmdLine, PrintOptions) {
  uint8_t flag;
  int32_t number;
  char name[8];
  CmdLineOption rows[3];
  CmdLineOptionInit(&rows[0], CMDLINE_OPTION_BOOLEAN, &flag, 'v', "verbose");
  CmdLineOptionInit(&rows[1], CMDLINE_OPTION_SIGNED, &number, 'n', "network");
  CmdLineStringOptionInit(&rows[2], name, sizeof name, 's', "name");
  CaptureStdout();
  EXPECT_TRUE(CmdLinePrintOptions("prog", "[options]", rows, 3));
  EXPECT_EQ(GetCapturedStdout(),
            "prog: [options]\n"
            "      -v T       - verbose\n"
            "      -n -5      - network\n"
            "      -s hello   - name\n");
  EXPECT_FALSE(CmdLinePrintOptions("prog", "[options]", rows, 0));
  EXPECT_FALSE(CmdLinePrintOptions(nullptr, "[options]", rows, 3));
  EXPECT_FALSE(CmdLinePrintOptions("prog", nullptr, rows, 3));
  EXPECT_FALSE(CmdLinePrintOptions("prog", "[options]", nullptr, 3));
}

}  // namespace
