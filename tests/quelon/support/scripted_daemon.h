// A daemon core started in this process whose ioctl answers a test writes
// itself, octet by octet as BACnet encodes them, for quelon runs against it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "daemon/vmd_core.h"

// The values of an answer after its status, encoded by the BACnet rules
// (clause 20.2): each call appends one application-tagged value.
struct Values {
  std::vector<uint8_t> bytes;
  Values& Unsigned(uint32_t v);
  Values& Enum(uint32_t v);
  Values& Boolean(bool v);
  Values& Text(const std::string& text);  // character set 0
  Values& Octets(const std::vector<uint8_t>& octets);
  Values& Bits(uint8_t unused, const std::vector<uint8_t>& octets);
};

// What the daemon answers to one request: a daemon status other than 0
// fails the exchange itself; else the ioctl status and, for OK, the values.
struct Answer {
  uint16_t daemon_status = 0;
  uint32_t status = 0;
  Values values;
};

// Request code and the first unsigned input (0 when there is none).
using Script = std::function<Answer(uint32_t code, uint32_t input)>;

// Serves `dir`/velmora; every local ioctl is answered by the script, and so
// is every ConfirmedPrivateTransfer to a device, as a device of this stack
// answers it (one whose answer fails the exchange is left to the site).
class ScriptedDaemon {
 public:
  ScriptedDaemon(const std::string& dir, Script script, const std::string& siteText = "");
  ~ScriptedDaemon();
  ScriptedDaemon(const ScriptedDaemon&) = delete;
  ScriptedDaemon& operator=(const ScriptedDaemon&) = delete;
  bool ready() const { return server_ != nullptr; }
  const std::string& error() const { return error_; }

 private:
  VmdServer* server_ = nullptr;
  std::string error_;
};
