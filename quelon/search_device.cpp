#include "quelon/search_device.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "quelon/report.h"
#include "text/status_text.h"

namespace {

constexpr const char kFile[] = ".\\search_device.c";
// How long the I-Ams of a Who-Is are waited for.
constexpr std::chrono::milliseconds kAnswerTime{2000};

}  // namespace

std::vector<VelmoraDeviceHandle> SearchDevice(uint16_t network, int32_t instance) {
  VelmoraAddress address = {};
  if (network == 0)
    VelmoraAddressInitLocalBroadcast(&address);
  else if (network == 0xFFFF)
    VelmoraAddressInitGlobalBroadcast(&address);
  else
    VelmoraAddressInitRemoteBroadcast(&address, network);
  VelmoraStatus status = VelmoraWhoIs(&address, instance, instance);
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, nullptr, "Call of VelmoraWhoIs() is failed");
    return {};
  }
  std::this_thread::sleep_for(kAnswerTime);
  uint32_t total = 0;
  if (!VelmoraGetDeviceList(nullptr, 0, &total)) Fatal(kFile, "Can't get devices count");
  if (total == 0) {
    std::fputs("Devices count is 0\n", stdout);
    return {};
  }
  std::vector<VelmoraDeviceHandle> devices(total);
  uint32_t listed = 0;
  if (!VelmoraGetDeviceList(devices.data(), total, &listed)) Fatal(kFile, "Can't get device list");
  devices.resize(std::min(total, listed));
  return devices;
}

std::vector<VelmoraAddress> SearchDeviceAddresses(const std::vector<VelmoraDeviceHandle>& devices) {
  std::vector<VelmoraAddress> addresses;
  for (VelmoraDeviceHandle device : devices) {
    VelmoraAddress address = {};
    if (VelmoraGetDeviceAddress(device, &address)) addresses.push_back(address);
  }
  return addresses;
}
