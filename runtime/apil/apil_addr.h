// The runtime's link form of an address and the public VelmoraAddress,
// converted at the interface.
#pragma once

#include <cstddef>

#include "bacnet/records.h"
#include "runtime/ipc/link_address.h"

inline constexpr uint8_t APIL_LINK_ADDRESS_KIND = 130;
// Room for AddrToText: "NET: 65535; MAC: " and seven octets.
inline constexpr size_t APIL_ADDR_TEXT_SIZE = 48;

// False for NULL, a MAC longer than 7, or a global broadcast with a MAC.
bool AddrFromPublic(const VelmoraAddress* address, LinkAddress* link);
bool AddrToPublic(const LinkAddress* link, VelmoraAddress* address);
// Same network (when present), same MAC over its length.
bool AddrEqual(const LinkAddress* a, const LinkAddress* b);
bool AddrValidate(const VelmoraAddress* address);
// "NET: %d; " when the network is present, then "MAC: " and the octets as
// "%02X" joined by colons. buffer holds APIL_ADDR_TEXT_SIZE.
void AddrToText(char* buffer, const LinkAddress* link);
