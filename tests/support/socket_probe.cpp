#include "tests/support/socket_probe.h"

#include <fstream>
#include <sstream>

namespace {

// The flags column's bit for a listening socket.
constexpr unsigned long kAcceptCon = 0x10000;

}  // namespace

bool UnixSocketListening(const std::string& path) {
  // "Num RefCount Protocol Flags Type St Inode Path", the flags in hex; the
  // sockets a listener accepted carry its path too, without that flag.
  std::ifstream table("/proc/net/unix");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string num, refs, protocol, type, state, inode, name;
    unsigned long flags = 0;
    fields >> num >> refs >> protocol >> std::hex >> flags >> type >> state >> inode >> std::ws;
    std::getline(fields, name);  // the rest: a path may hold blanks
    if (name == path && (flags & kAcceptCon) != 0) return true;
  }
  return false;
}
