#include "tests/bacnet/support/hex.h"

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

std::string Repeat(const std::string& unit, int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += unit;
  return s;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}
