#include "daemon/vmd_cli.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool ParsePort(const std::string& text, uint16_t* port) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  unsigned long v = strtoul(text.c_str(), nullptr, 10);
  if (errno != 0 || v > 65535) return false;
  *port = uint16_t(v);
  return true;
}

}  // namespace

const char* VmdUsage() {
  return "Usage: velmorad [--pipe NAME] [--tcp [HOST:]PORT] [--bip [HOST:]PORT]\n"
         "                [--bip-broadcast HOST:PORT] [--site FILE] [--log FILE]\n"
         "                [--version] [--help]\n"
         "The stand-in BACnet stack daemon: serves client libraries on a local socket\n"
         "and/or TCP, in the foreground, until SIGINT or SIGTERM.\n"
         "\n"
         "  --pipe NAME          serve the socket NAME in $VELMORA_PIPE_DIR (default /tmp);\n"
         "                       NAME may be written \\\\.\\pipe\\NAME, and a NAME with a '/'\n"
         "                       is a socket path. Default: velmora. With --tcp alone, no socket.\n"
         "  --tcp [HOST:]PORT    also listen on TCP, on 127.0.0.1 unless HOST (an IPv4\n"
         "                       address) is given; PORT 0 takes any free port (logged).\n"
         "  --bip [HOST:]PORT    open a BACnet/IP port on UDP PORT (47808 is BAC0), on\n"
         "                       127.0.0.1 unless HOST is given; PORT 0 takes any free\n"
         "                       port. Each device of the local network gets a UDP port\n"
         "                       of its own on HOST. The log names every port.\n"
         "                       On a network, HOST is this host's address there: the\n"
         "                       port hears that subnet's broadcasts too (10.0.0.255\n"
         "                       for 10.0.0.5/24). 0.0.0.0 hears every interface and\n"
         "                       255.255.255.255 as well.\n"
         "  --bip-broadcast HOST:PORT\n"
         "                       where a client's Who-Is goes out of the B/IP port\n"
         "                       (default 255.255.255.255 at the port's own PORT); on\n"
         "                       a network, its subnet's broadcast (10.0.0.255:47808).\n"
         "  --site FILE          the site file: the daemon's address, network ports and\n"
         "                       simulated devices (default: the demo site\n"
         "                       daemon/sites/demo.site, built in).\n"
         "  --log FILE           append log lines to FILE instead of standard error.\n"
         "  --version            print the version and exit.\n"
         "  --help               print this help and exit.\n"
         "\n"
         "Exit status: 0 after a clean stop, 1 when it cannot start, 2 on a bad option.\n";
}

const char* VmdVersionText() { return "velmorad 6.2.4 (stand-in stack daemon)\n"; }

bool VmdCliParse(int argc, const char* const* argv, VmdCli* cli, std::string* error) {
  *cli = VmdCli{};
  cli->pipe = IPC_DEFAULT_PIPE_NAME;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool has_value = false;
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      has_value = true;
    }
    auto take = [&](std::string* out) {
      if (has_value) {
        *out = value;
        return true;
      }
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      cli->help = true;
    } else if (arg == "--version") {
      cli->version = true;
    } else if (arg == "--pipe") {
      if (!take(&cli->pipe)) return false;
      // Nothing after the prefix, or nothing at all.
      if (cli->pipe.size() == IpcPipePrefixLength(cli->pipe)) {
        *error = "empty pipe name";
        return false;
      }
      cli->pipe_given = true;
    } else if (arg == "--tcp" || arg == "--bip") {
      std::string v;
      if (!take(&v)) return false;
      const bool tcp = arg == "--tcp";
      std::string* host = tcp ? &cli->tcp_host : &cli->bip_host;
      size_t colon = v.rfind(':');
      std::string port = colon == std::string::npos ? v : v.substr(colon + 1);
      if (colon != std::string::npos) *host = v.substr(0, colon);
      if (host->empty() || !ParsePort(port, tcp ? &cli->tcp_port : &cli->bip_port)) {
        *error = "bad " + arg + " value '" + v + "' (expected [HOST:]PORT, PORT 0 to 65535)";
        return false;
      }
      (tcp ? cli->tcp : cli->bip) = true;
    } else if (arg == "--bip-broadcast") {
      if (!take(&cli->bip_broadcast)) return false;
    } else if (arg == "--site") {
      if (!take(&cli->site_path)) return false;
    } else if (arg == "--log") {
      if (!take(&cli->log_path)) return false;
      if (cli->log_path.empty()) {
        *error = "empty log file name";
        return false;
      }
    } else {
      *error = "unknown option '" + std::string(argv[i]) + "'";
      return false;
    }
  }
  return true;
}

VmdConfig VmdCliConfig(const VmdCli& cli) {
  VmdConfig c;
  if (cli.pipe_given || !cli.tcp) c.pipe_path = VmdPipePathFor(cli.pipe);
  c.tcp = cli.tcp;
  c.tcp_host = cli.tcp_host;
  c.tcp_port = cli.tcp_port;
  c.bip = cli.bip;
  c.bip_host = cli.bip_host;
  c.bip_port = cli.bip_port;
  c.bip_broadcast = cli.bip_broadcast;
  c.log_path = cli.log_path;
  VmdSiteDefaults(&c.site);
  return c;
}
