#pragma once
// Whether a daemon listens on a local socket yet.

#include <string>

// True when a socket listens at path, as the kernel lists it. The socket
// file appears at the bind, before its daemon listens, so its presence says
// nothing; and a connection to find out would be one more client that the
// daemon counts and logs.
bool UnixSocketListening(const std::string& path);
