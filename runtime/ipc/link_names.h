// Names both sides of the link agree on besides its frames: where the daemon
// is found by default, and the object that tells an older stack service. The
// library and velmorad both take them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/platform/plat_ascii.h"

// A connection name of this prefix names a socket in the socket directory;
// one of the TCP prefix a host and port.
constexpr char IPC_PIPE_PREFIX[] = "\\\\.\\pipe\\";
constexpr char IPC_TCP_PREFIX[] = "tcp:";

// The length of the pipe prefix a connection name starts with, its letters
// in any case (a pipe name is not case-sensitive where the names come
// from); 0 when it has none. The library and velmorad both take the prefix
// off with it, so that the daemon serves the socket the library looks for.
constexpr size_t IpcPipePrefixLength(std::string_view name) {
  constexpr std::string_view prefix = IPC_PIPE_PREFIX;
  if (name.size() < prefix.size()) return 0;
  for (size_t i = 0; i < prefix.size(); ++i) {
    // The prefix is lower-case.
    if (PlatAsciiLower(name[i]) != prefix[i]) return 0;
  }
  return prefix.size();
}
// The socket the daemon serves by default, and the library's connection name
// for it; a TCP name without a port means the default port.
constexpr char IPC_DEFAULT_PIPE_NAME[] = "velmora";
constexpr char IPC_DEFAULT_CONN_NAME[] = "\\\\.\\pipe\\velmora";
constexpr uint16_t IPC_DEFAULT_TCP_PORT = 46396;
// The socket directory: $VELMORA_PIPE_DIR when set and not empty.
constexpr char IPC_PIPE_DIR_ENV[] = "VELMORA_PIPE_DIR";
constexpr char IPC_PIPE_DIR_DEFAULT[] = "/tmp";

// An older stack service (3.x, which speaks another protocol) holds a named
// object of this name in the socket directory while it runs. velmorad never
// holds it: the library asks for it only when it could not connect, to tell
// that failure from a daemon that is not there.
constexpr char IPC_OLDER_SERVICE_OBJECT[] = "Velmora Semaphore 1004";

namespace link_names_detail {
constexpr bool Joins(const char* whole, const char* head, const char* tail) {
  size_t i = 0;
  for (; head[i] != '\0'; ++i)
    if (whole[i] != head[i]) return false;
  for (size_t j = 0;; ++j, ++i) {
    if (whole[i] != tail[j]) return false;
    if (tail[j] == '\0') return true;
  }
}
}  // namespace link_names_detail

static_assert(link_names_detail::Joins(IPC_DEFAULT_CONN_NAME, IPC_PIPE_PREFIX,
                                       IPC_DEFAULT_PIPE_NAME),
              "the default connection name reaches the daemon's default socket");
