#include "runtime/apil/apil_addr.h"

#include <cstdio>
#include <cstring>

bool AddrValidate(const VelmoraAddress* address) {
  if (!address || address->mac_length > VELMORA_MAC_MAX) return false;
  return !(address->remote && address->network == VELMORA_GLOBAL_NETWORK &&
           address->mac_length != 0);
}

bool AddrFromPublic(const VelmoraAddress* address, LinkAddress* link) {
  if (!AddrValidate(address) || !link) return false;
  *link = LinkAddress{};
  link->kind = APIL_LINK_ADDRESS_KIND;
  if (address->remote && address->network != 0) {
    link->netPresent = 1;
    link->net = address->network;
  }
  link->macLen = address->mac_length;
  if (address->mac_length != 0) std::memcpy(link->mac, address->mac, LINK_MAC_MAX);
  return true;
}

bool AddrToPublic(const LinkAddress* link, VelmoraAddress* address) {
  if (!link || !address || link->macLen > LINK_MAC_MAX) return false;
  *address = VelmoraAddress{};
  address->remote = link->netPresent;
  address->network = link->net;
  address->mac_length = link->macLen;
  if (link->macLen != 0) std::memcpy(address->mac, link->mac, VELMORA_MAC_MAX);
  return true;
}

bool AddrEqual(const LinkAddress* a, const LinkAddress* b) {
  if (a->netPresent != b->netPresent || a->macLen != b->macLen) return false;
  if (a->netPresent && a->net != b->net) return false;
  return a->macLen <= LINK_MAC_MAX && std::memcmp(a->mac, b->mac, a->macLen) == 0;
}

void AddrToText(char* buffer, const LinkAddress* link) {
  int n = 0;
  if (link->netPresent) n = std::snprintf(buffer, APIL_ADDR_TEXT_SIZE, "NET: %u; ", link->net);
  n += std::snprintf(buffer + n, APIL_ADDR_TEXT_SIZE - size_t(n), "MAC: ");
  // At most 17 + 5 + 7 * 3 characters: everything fits.
  for (uint8_t i = 0; i < link->macLen && i < LINK_MAC_MAX; ++i)
    n += std::snprintf(buffer + n, APIL_ADDR_TEXT_SIZE - size_t(n), i == 0 ? "%02X" : ":%02X",
                       link->mac[i]);
}
