// The writer contract checked room by room.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using TextWriter = std::function<uint32_t(char*, uint32_t)>;

// Into each room from 0 to the text's length + 1, with canaries behind it:
// nothing is written at or past the room, and the result is either 0 (with
// an empty text when there is room for one) or the whole text, which once it
// fits fits every larger room too. A large room gives the whole text.
inline void CheckRooms(const char* what, const TextWriter& write, const std::string& text) {
  SCOPED_TRACE(what);
  constexpr char kCanary = '\x5A';
  bool fitted = false;
  for (uint32_t room = 0; room <= text.size() + 1; ++room) {
    std::vector<char> buffer(room + 8, kCanary);
    uint32_t n = write(buffer.data(), room);
    for (size_t i = room; i < buffer.size(); ++i)
      ASSERT_EQ(buffer[i], kCanary) << "room " << room << " byte " << i;
    if (n == 0) {
      ASSERT_FALSE(fitted) << "fitted in a smaller room than " << room;
      if (room) {
        EXPECT_EQ(buffer[0], '\0') << "room " << room;
      }
      continue;
    }
    fitted = true;
    ASSERT_EQ(n, text.size()) << "room " << room;
    EXPECT_EQ(std::string(buffer.data()), text) << "room " << room;
  }
  std::vector<char> big(text.size() + 64, kCanary);
  ASSERT_EQ(write(big.data(), uint32_t(big.size())), text.size());
  EXPECT_EQ(std::string(big.data()), text);
}
