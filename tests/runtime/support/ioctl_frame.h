#pragma once
// The frame of every ioctl body as octets: vendor 555 as context 0, service
// 0xFFFFFFFF as context 1, the opening tag 2.

#include <cstdint>
#include <vector>

inline const std::vector<uint8_t> kIoctlFrame = {0x0A, 0x02, 0x2B, 0x1C, 0xFF,
                                                 0xFF, 0xFF, 0xFF, 0x2E};

// The frame followed by the tail.
inline std::vector<uint8_t> IoctlFramed(const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> b = kIoctlFrame;
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}
