// Datagrams at the daemon's B/IP port, handled as its thread handles them:
// whatever arrives, nothing is read outside it, every answer is one whole
// BVLL message of a function the port sends, from one of its endpoints, and
// the port still answers a Who-Is afterwards.
//
// Input: the endpoint (first octet, modulo the endpoints: 0 the router, then
// the local devices of the demo site), then the datagram.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_core.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

// The router and the demo site's two local devices.
constexpr size_t kEndpoints = 3;
// A foreign device that registers from a fuzz input stays in the table for
// the rest of the run; the source is one address throughout.
constexpr VmdBipAddress kSource = {{127, 0, 0, 1, 0xBA, 0xC1}};

VmdServer* Server() {
  static VmdServer* server = [] {
    VmdConfig c;
    c.tcp = true;
    c.tcp_port = 0;
    c.bip = true;
    c.bip_port = 0;
    c.log_quiet = true;
    std::string error;
    Require(VmdSiteLoadDemo(&c.site, &error));
    VmdServer* s = VmdStart(c, &error);
    Require(s != nullptr);
    return s;
  }();
  return server;
}

void CheckAnswers(const std::vector<VmdBipDatagram>& out) {
  for (const VmdBipDatagram& d : out) {
    Require(d.from < kEndpoints);
    Require(d.to == kSource || d.octets[1] == 0x0A);
    Require(d.octets.size() >= 4 && d.octets[0] == 0x81);
    Require(size_t(d.octets[2] << 8 | d.octets[3]) == d.octets.size());
    const uint8_t f = d.octets[1];
    Require(f == 0x00 || f == 0x03 || f == 0x07 || f == 0x0A);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  VmdServer* s = Server();
  // Exactly the input's octets, so that a read past them is caught.
  std::vector<uint8_t> datagram(data + 1, data + size);
  std::vector<VmdBipDatagram> out;
  VmdBipHandle(s, data[0] % kEndpoints, kSource, datagram, &out);
  CheckAnswers(out);
  // A global Who-Is is answered by all six devices.
  static const std::vector<uint8_t> who_is = {0x81, 0x0B, 0x00, 0x0C, 0x01, 0x20,
                                              0xFF, 0xFF, 0x00, 0xFF, 0x10, 0x08};
  out.clear();
  VmdBipHandle(s, 0, kSource, who_is, &out);
  Require(out.size() == 6);
  CheckAnswers(out);
  return 0;
}
