#pragma once
// Reading a stream socket whose peer's thread also waits on it.
#include <sys/types.h>

#include <cstddef>

// Reads what has arrived on the stream socket fd, up to room bytes, waiting
// for bytes (or the end of the stream) when none are there: what recv
// returns, interrupted calls retried. A thread blocked in the read itself is
// also woken each time the peer takes in what this side sent, only to find
// nothing and sleep again; one waiting in poll is woken for bytes alone, and
// a read that finds bytes never waits at all.
ssize_t PlatSocketRead(int fd, void* into, size_t room);
