// Command line of velmorad.
#pragma once
#include <string>

#include "daemon/vmd_core.h"
#include "runtime/ipc/link_names.h"

struct VmdCli {
  bool help = false;
  bool version = false;
  std::string pipe;  // the name as given (IPC_DEFAULT_PIPE_NAME by default)
  bool pipe_given = false;
  bool tcp = false;
  std::string tcp_host = "127.0.0.1";
  uint16_t tcp_port = IPC_DEFAULT_TCP_PORT;
  bool bip = false;
  std::string bip_host = "127.0.0.1";
  uint16_t bip_port = 0xBAC0;
  std::string bip_broadcast;
  std::string site_path;  // empty: the built-in demo site
  std::string log_path;
};

// Parses argv[1..]; false with `error` set on a bad option or value.
bool VmdCliParse(int argc, const char* const* argv, VmdCli* cli, std::string* error);
// The configuration the options describe (the site not loaded yet).
VmdConfig VmdCliConfig(const VmdCli& cli);
const char* VmdUsage();
const char* VmdVersionText();
