#include "runtime/ipc/ipc_name.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

bool ParsePort(const char* text, uint16_t* port) {
  if (!std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 0);
  if (errno != 0 || *end != '\0' || v < 1 || v > 65535) return false;
  *port = static_cast<uint16_t>(v);
  return true;
}

IpcNameError SetPath(IpcConnTarget* t, const char* dir, const char* name) {
  if (name[0] == '\0') return IpcNameError::BadPath;
  int n = dir != nullptr ? std::snprintf(t->path, sizeof t->path, "%s/%s", dir, name)
                         : std::snprintf(t->path, sizeof t->path, "%s", name);
  if (n < 0 || static_cast<size_t>(n) >= sizeof t->path) {
    t->path[0] = '\0';
    return IpcNameError::BadPath;
  }
  return IpcNameError::Ok;
}

}  // namespace

const char* IpcPipeDir() {
  const char* dir = std::getenv(IPC_PIPE_DIR_ENV);
  return dir != nullptr && dir[0] != '\0' ? dir : IPC_PIPE_DIR_DEFAULT;
}

IpcNameError IpcNameParse(const char* name, IpcConnTarget* t) {
  if (name == nullptr || t == nullptr) return IpcNameError::BadPath;
  *t = IpcConnTarget{};
  // Only the lower-case prefix selects TCP; "TCP:x" is a socket name.
  if (StartsWith(name, IPC_TCP_PREFIX)) {
    t->kind = IpcNameKind::Tcp;
    const char* host = name + std::strlen(IPC_TCP_PREFIX);
    const char* colon = std::strchr(host, ':');
    size_t hostLen = colon != nullptr ? static_cast<size_t>(colon - host) : std::strlen(host);
    t->port = IPC_DEFAULT_TCP_PORT;
    if (colon != nullptr && !ParsePort(colon + 1, &t->port)) return IpcNameError::BadPort;
    if (hostLen == 0 || hostLen >= sizeof t->host) return IpcNameError::BadHost;
    std::memcpy(t->host, host, hostLen);
    t->host[hostLen] = '\0';
    return IpcNameError::Ok;
  }
  t->kind = IpcNameKind::Pipe;
  if (const size_t prefix = IpcPipePrefixLength(name))
    return SetPath(t, IpcPipeDir(), name + prefix);
  if (std::strchr(name, '/') != nullptr) return SetPath(t, nullptr, name);
  return SetPath(t, IpcPipeDir(), name);
}
