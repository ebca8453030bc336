// Connection names of the link. "tcp:host[:port]" is TCP; any other name is
// a local stream socket: "\\.\pipe\NAME" and a bare NAME are the socket NAME
// in $VELMORA_PIPE_DIR (default /tmp), a name with a '/' is a socket path.
// The daemon maps its --pipe name the same way.
#pragma once

#include <cstdint>

#include "runtime/ipc/link_names.h"

enum class IpcNameKind : uint8_t {
  Pipe,
  Tcp
};

enum class IpcNameError : uint8_t {
  Ok,
  BadPort,  // not a number, or outside 1 to 65535
  BadHost,  // empty or too long
  BadPath,  // empty socket name or too long for a socket address
};

// Fits a socket address (sun_path holds 108 bytes with its terminator).
constexpr unsigned IPC_PATH_MAX = 108;
constexpr unsigned IPC_HOST_MAX = 256;

struct IpcConnTarget {
  IpcNameKind kind;
  uint16_t port;            // TCP
  char host[IPC_HOST_MAX];  // TCP
  char path[IPC_PATH_MAX];  // socket path
};

// Takes a connection name apart. The port text may be decimal, hexadecimal
// after 0x or octal after a leading 0; nothing may follow it.
IpcNameError IpcNameParse(const char* name, IpcConnTarget* target);

// The directory of named sockets: $VELMORA_PIPE_DIR when set and not empty.
const char* IpcPipeDir();
