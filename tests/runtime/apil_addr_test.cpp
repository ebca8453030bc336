// The public address and the runtime's link form, both ways, and the
// address text of the log.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/apil/apil_addr.h"

namespace {

struct ToLinkCase {
  const char* name;
  VelmoraAddress in;
  bool ok;
  uint8_t netPresent;
  uint16_t net;
  uint8_t macLen;
};

TEST(ApilAddr, PublicToLink) {
  const ToLinkCase cases[] = {
      {"local", {0, 0, {1, 2, 3, 4, 5, 6}, 6}, true, 0, 0, 6},
      {"local, stray network", {0, 9, {1}, 1}, true, 0, 0, 1},
      {"remote", {1, 5, {0x14}, 1}, true, 1, 5, 1},
      {"remote network 0", {1, 0, {0x14}, 1}, true, 0, 0, 1},
      {"remote broadcast", {1, 5, {}, 0}, true, 1, 5, 0},
      {"global broadcast", {1, 0xFFFF, {}, 0}, true, 1, 0xFFFF, 0},
      {"global with a MAC", {1, 0xFFFF, {1}, 1}, false, 0, 0, 0},
      {"MAC of 8", {0, 0, {1}, 8}, false, 0, 0, 0},
  };
  for (const ToLinkCase& c : cases) {
    LinkAddress l{};
    ASSERT_EQ(AddrFromPublic(&c.in, &l), c.ok) << c.name;
    EXPECT_EQ(AddrValidate(&c.in), c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(l.kind, 130) << c.name;
    EXPECT_EQ(l.netPresent, c.netPresent) << c.name;
    EXPECT_EQ(l.net, c.net) << c.name;
    EXPECT_EQ(l.macLen, c.macLen) << c.name;
    EXPECT_EQ(std::memcmp(l.mac, c.in.mac, c.macLen), 0) << c.name;
    VelmoraAddress back{};
    ASSERT_TRUE(AddrToPublic(&l, &back)) << c.name;
    EXPECT_EQ(back.remote, c.netPresent) << c.name;
    EXPECT_EQ(back.mac_length, c.macLen) << c.name;
  }
  EXPECT_FALSE(AddrFromPublic(nullptr, nullptr));
  LinkAddress wide{130, 0, 0, 8, {}};
  VelmoraAddress out{};
  EXPECT_FALSE(AddrToPublic(&wide, &out));
}

TEST(ApilAddr, EqualityAndText) {
  LinkAddress a{130, 1, 5, 2, {0xAB, 0x01, 9}};
  LinkAddress b{130, 1, 5, 2, {0xAB, 0x01, 7}};  // differs past the MAC length only
  EXPECT_TRUE(AddrEqual(&a, &b));
  b.net = 6;
  EXPECT_FALSE(AddrEqual(&a, &b));
  LinkAddress c{130, 0, 5, 2, {0xAB, 0x01}};
  LinkAddress d{130, 0, 7, 2, {0xAB, 0x01}};  // no network: its number means nothing
  EXPECT_TRUE(AddrEqual(&c, &d));
  char text[APIL_ADDR_TEXT_SIZE];
  AddrToText(text, &a);
  EXPECT_STREQ(text, "NET: 5; MAC: AB:01");
  AddrToText(text, &c);
  EXPECT_STREQ(text, "MAC: AB:01");
  LinkAddress longest{130, 1, 65535, 7, {1, 2, 3, 4, 5, 6, 0xFF}};
  AddrToText(text, &longest);
  EXPECT_STREQ(text, "NET: 65535; MAC: 01:02:03:04:05:06:FF");
}

}  // namespace
