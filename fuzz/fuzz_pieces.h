// The pieces a link target writes its input in, one write per piece, each
// only once the reading side has taken the one before: so every read sees at
// most one piece, and a frame arrives whole, several to a read, or split at
// any point the input picks.
//
// Input: a length octet n, then n octets of the stream, again and again; an
// octet 0 makes the whole rest of the input one piece.
#pragma once

#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline std::vector<std::span<const uint8_t>> FuzzPieces(std::span<const uint8_t> input) {
  std::vector<std::span<const uint8_t>> pieces;
  size_t at = 0;
  while (at < input.size()) {
    size_t n = input[at++];
    if (n == 0 || n > input.size() - at) n = input.size() - at;
    if (n > 0) pieces.push_back(input.subspan(at, n));
    at += n;
  }
  return pieces;
}

// The stream the pieces make.
inline std::vector<uint8_t> FuzzStream(const std::vector<std::span<const uint8_t>>& pieces) {
  std::vector<uint8_t> stream;
  for (std::span<const uint8_t> p : pieces)
    stream.insert(stream.end(), p.begin(), p.end());
  return stream;
}

// Writes all of a piece on a local stream socket; false when the peer is gone.
inline bool FuzzSend(int fd, std::span<const uint8_t> piece) {
  size_t done = 0;
  while (done < piece.size()) {
    ssize_t w = send(fd, piece.data() + done, piece.size() - done, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += size_t(w);
  }
  return true;
}

// Whether the reading side has taken everything written (the send queue of
// a local stream socket empties only then); false when it cannot be told.
inline bool FuzzTaken(int fd) {
  int queued = 0;
  return ioctl(fd, TIOCOUTQ, &queued) == 0 && queued == 0;
}
