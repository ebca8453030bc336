// The runtime's 12-octet network address, as it travels in link messages.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t LINK_ADDRESS_SIZE = 12;
constexpr uint8_t LINK_MAC_MAX = 7;

struct LinkAddress {
  uint8_t kind;
  uint8_t netPresent;  // 0: the network number means nothing
  uint16_t net;
  uint8_t macLen;  // 0 to 7
  uint8_t mac[LINK_MAC_MAX];
};

// Wire offsets inside an address.
constexpr size_t LINK_OFF_KIND = 0;
constexpr size_t LINK_OFF_NET_PRESENT = 1;
constexpr size_t LINK_OFF_NET = 2;
constexpr size_t LINK_OFF_MAC_LEN = 4;
constexpr size_t LINK_OFF_MAC = 5;

// Clears what the daemon must not see: the network number of a local
// address and the MAC bytes past the MAC length. A MAC length above 7 is
// left as it is (the receiver refuses it).
void LinkAddressNormalise(LinkAddress* a);
