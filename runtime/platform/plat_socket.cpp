#include "runtime/platform/plat_socket.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

ssize_t PlatSocketRead(int fd, void* into, size_t room) {
  for (;;) {
    const ssize_t r = recv(fd, into, room, MSG_DONTWAIT);
    if (r >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return r;
    if (errno == EINTR) continue;
    pollfd p{fd, POLLIN, 0};
    // Readable, the end of the stream and an error all end the wait; the
    // read then tells which.
    if (poll(&p, 1, -1) < 0 && errno != EINTR) return -1;
  }
}
