// The value and device lines the demo clients print.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <new>

#include "demos/common/demo_common.h"
#include "text/text_buffer.h"
#include "text/value_text.h"

bool DemoWriteValue(std::FILE* out, char* text, uint32_t room, const VelmoraAnyValue* value,
                    uint32_t objectType, uint32_t property, int32_t arrayIndex,
                    uint8_t showNumbers) {
  uint32_t written =
      VelmoraValueToStringEx(text, room, value, objectType, property, arrayIndex, showNumbers);
  std::unique_ptr<char[]> larger;
  // Each try costs at most its room, so the sizes grow fast.
  for (uint64_t next = std::max<uint64_t>(uint64_t(room) * 4, DEMO_VALUE_ROOM);
       written == 0 && value && next <= DEMO_VALUE_ROOM_LIMIT; next *= 4) {
    larger.reset(new (std::nothrow) char[next]);
    if (!larger) break;
    written = VelmoraValueToStringEx(larger.get(), uint32_t(next), value, objectType, property,
                                     arrayIndex, showNumbers);
  }
  if (written == 0) return false;
  std::fwrite(larger ? larger.get() : text, 1, written, out);
  return true;
}

void PrintValue(const VelmoraAnyValue* value, uint32_t objectType, uint32_t property,
                uint8_t showNumbers) {
  char text[DEMO_VALUE_ROOM];
  DemoWriteValue(stdout, text, sizeof text, value, objectType, property, -1, showNumbers);
}

uint32_t DemoDeviceBannerToString(char* destination, uint32_t room, uint32_t instance,
                                  const VelmoraAddress* address) {
  if (!destination || !address) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPrintf(&b, TEXT_WIDEST_UNSIGNED, "\nFound (device, %" PRIu32 ") on ", instance);
  if (VelmoraAddressIsRemote(address))
    TextBufferPrintf(&b, TEXT_WIDEST_UNSIGNED, "network number %u ",
                     unsigned(VelmoraAddressGetNetwork(address)));
  else
    TextBufferPutText(&b, "local network ");
  TextBufferPutText(&b, "at MAC Address = 0x");
  const uint8_t* mac = VelmoraAddressGetMac(address);
  for (uint8_t i = 0; i < VelmoraAddressGetMacLength(address); ++i)
    TextBufferPrintf(&b, TEXT_WIDEST_TWO_DIGITS, "%02x", unsigned(mac[i]));
  TextBufferPutText(&b, "\n\n");
  return TextBufferClose(&b);
}

void PrintDeviceBanner(uint32_t instance, const VelmoraAddress* address) {
  char text[DEMO_BANNER_ROOM];
  if (DemoDeviceBannerToString(text, sizeof text, instance, address)) std::fputs(text, stdout);
}

bool DemoWhoIsDestination(VelmoraAddress* destination, int32_t network) {
  const uint16_t net = uint16_t(uint32_t(network) & 0xFFFF);
  if (net == 0) return VelmoraAddressInitLocalBroadcast(destination);
  if (net == 0xFFFF) return VelmoraAddressInitGlobalBroadcast(destination);
  return VelmoraAddressInitRemoteBroadcast(destination, net);
}
