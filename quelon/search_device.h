// Finding devices by Who-Is.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/apil/velmora.h"

// Who-Is on the network (0 the local one, 0xFFFF every network) for the
// instance (-1: any), a pause for the answers, then the devices the library
// knows; none when the Who-Is failed or nothing answered.
std::vector<VelmoraDeviceHandle> SearchDevice(uint16_t network, int32_t instance);

// The addresses of the devices, in order; a device the library knows no
// address of is left out, as it cannot be asked.
std::vector<VelmoraAddress> SearchDeviceAddresses(const std::vector<VelmoraDeviceHandle>& devices);
