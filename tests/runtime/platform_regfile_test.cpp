// The registry file's parser on mutated input: every text either parses or
// fails on a line that exists, and what parses writes back in a form that
// parses to the same text again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "runtime/platform/plat_regfile.h"

namespace {

constexpr const char* kSeeds[] = {
    "[SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters\\Tsml]\n"
    "\"Apdu_Timeout\"=dword:00000bb8\n\"ConnIPC\"=\"tcp:127.0.0.1:46396\"\n",
    "Windows Registry Editor Version 5.00\r\n\r\n[A\\B]\r\n@=\"d\"\r\n\"m\"=multi:\"x\",\"y\"\r\n",
    "[K]\n\"e\"=expand:\"%P%\"\n\"b\"=hex:01,02,\\\n  03\n\"t\"=hex(b):00,01\n; note\n[K\\L]\n",
};

constexpr char kAlphabet[] = "[]\\\"=:,@;-hex(27)dwordmultiexpand0f9\n\r\t aZ";

std::string Mutate(std::string text, std::mt19937& rng) {
  std::uniform_int_distribution<int> op(0, 2);
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
  const int edits = std::uniform_int_distribution<int>(1, 4)(rng);
  for (int e = 0; e < edits; ++e) {
    const size_t at =
        text.empty() ? 0 : std::uniform_int_distribution<size_t>(0, text.size() - 1)(rng);
    switch (op(rng)) {
      case 0:
        text.insert(at, 1, kAlphabet[pick(rng)]);
        break;
      case 1:
        if (!text.empty()) text.erase(at, 1);
        break;
      default:
        if (!text.empty()) text[at] = kAlphabet[pick(rng)];
        break;
    }
  }
  return text;
}

bool SameTree(const RegTree& a, const RegTree& b) {
  if (a.name != b.name || a.values.size() != b.values.size() ||
      a.subkeys.size() != b.subkeys.size())
    return false;
  for (size_t i = 0; i < a.values.size(); ++i) {
    const RegValue& x = a.values[i];
    const RegValue& y = b.values[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  for (size_t i = 0; i < a.subkeys.size(); ++i) {
    if (!SameTree(*a.subkeys[i], *b.subkeys[i])) return false;
  }
  return true;
}

TEST(RegistryFile, MutatedTextsParseOrFailOnARealLine) {
  std::mt19937 rng(20261210);
  int parsed = 0;
  int failed = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string text = Mutate(kSeeds[round % 3], rng);
    RegTree tree;
    RegParseError error{};
    if (!RegParse(text, &tree, &error)) {
      ++failed;
      const auto lines = static_cast<unsigned>(std::count(text.begin(), text.end(), '\n') + 1);
      EXPECT_GE(error.line, 1u) << text;
      EXPECT_LE(error.line, lines) << text;
      EXPECT_FALSE(error.message.empty()) << text;
      continue;
    }
    ++parsed;
    const std::string written = RegFormat(tree);
    RegTree again;
    ASSERT_TRUE(RegParse(written, &again, &error))
        << "line " << error.line << ": " << error.message << "\n"
        << written;
    EXPECT_TRUE(SameTree(tree, again)) << text << "\n----\n" << written;
  }
  // Both outcomes were exercised.
  EXPECT_GT(parsed, 100);
  EXPECT_GT(failed, 100);
}

}  // namespace
