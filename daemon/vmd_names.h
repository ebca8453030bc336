// Names a site file may use for BACnet object types, property identifiers,
// segmentation values and weekdays, as the standard spells them
// ("analog-input", "present-value"). Lookups ignore ASCII case and take '_'
// for '-', so Present_Value is present-value; a decimal number stands for
// itself. -1 means neither a known name nor a number in range.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

int32_t VmdObjectTypeFromName(std::string_view name);  // 0 to 1023
int32_t VmdPropertyFromName(std::string_view name);    // 0 to 4194303
int32_t VmdSegmentationFromName(std::string_view name);
int32_t VmdWeekdayFromName(std::string_view name);  // 1 Monday to 7 Sunday
// Network port types (physical, virtual, ptp) and protocols (ethernet, bip,
// ptp, arcnet, mstp, lontalk, tip, null, bhttp, bhttp-ptp), or 0 to 255.
int32_t VmdPortTypeFromName(std::string_view name);
int32_t VmdPortProtocolFromName(std::string_view name);
// The names of each, for messages ("physical, virtual or ptp").
std::string VmdPortTypeNames();
std::string VmdPortProtocolNames();

// For messages: the standard name, or the number.
std::string VmdObjectTypeText(uint32_t type);
std::string VmdPropertyText(uint32_t property);

// A whole-text decimal number, or 0x and hex digits, within [0, max].
bool VmdParseUnsigned(std::string_view text, uint64_t max, uint64_t* out);
// Exactly 2 * size hex digits into `size` octets, and back (upper case).
bool VmdParseHex(std::string_view text, uint8_t* out, size_t size);
std::string VmdHexText(const uint8_t* octets, size_t size);
