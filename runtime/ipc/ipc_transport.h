// The byte stream under the link: a local stream socket or a TCP
// connection, blocking reads and writes that go on over partial transfers
// and interrupted calls. Frames are read through a carry message so that one
// read may bring several small frames and a frame may come in pieces.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/ipc/ipc_msg.h"
#include "runtime/platform/plat_lock.h"

// Bytes held from the stream: a pool message whose frame bytes (counted
// from its length word) are the next bytes of the stream.
struct IpcReadCarry {
  IpcMsg* msg;
  uint32_t count;
};

struct IpcTransport {
  int fd;
  PlatLock readLock;
  PlatLock writeLock;  // the three below; never held across a write
  IpcReadCarry carry;
  bool isTcp;
  bool writing;    // a thread writes: frames given meanwhile queue for it
  IpcMsg* queued;  // those frames, in the order given
  IpcMsg* queuedLast;
};

// Why a frame read gave no message.
enum class IpcReadError : uint8_t {
  None,
  Closed,       // the peer ended the stream
  Failed,       // the read failed
  InvalidData,  // a length word with its top bit set or above the cap
  NoMemory,     // no message for the frame
};

// Opens the connection a name gives (ipc_name.h); none after a log line.
IpcTransport* IpcTransportOpen(const char* name);
// A transport over a connected stream socket that it then owns.
IpcTransport* IpcTransportFromFd(int fd, bool isTcp);
// True when the socket closed cleanly. Frees the carry and the transport.
bool IpcTransportClose(IpcTransport* transport);
// Ends both directions of the stream so that a blocked read returns; the
// transport itself stays valid until closed.
void IpcTransportShutdown(IpcTransport* transport);
// Waits up to ms for bytes (or the end of the stream) to read.
bool IpcTransportWaitReadable(IpcTransport* transport, uint32_t ms);

// Writes the length word and the L bytes of the message, then frees the
// message whatever the outcome. Frames of all threads go out whole and in
// the order given. While another thread writes, the frame is queued for it
// and this returns true at once: that thread sends every frame queued behind
// its own, together, before it returns. A write that fails ends the link
// (the frames queued behind it are dropped), so that the reader fails every
// waiter.
bool IpcWriteFrame(IpcTransport* transport, IpcMsg* msg);

// Reads the next frame; none with the reason in *error (may be null). A
// frame may be at most *maxFrame bytes (IPC_MAX_FRAME without a cap), read
// when its length word has come, so that a cap raised meanwhile counts.
IpcMsg* IpcReadFrame(int fd, IpcReadCarry* carry, IpcReadError* error,
                     const std::atomic<uint32_t>* maxFrame = nullptr);
// True when the carry holds a whole frame of at most cap bytes: the next
// read of a frame returns it without reading.
bool IpcCarryHoldsFrame(const IpcReadCarry& carry, uint32_t cap);
// The same under the transport's read lock.
IpcMsg* IpcReadFrameLocked(IpcTransport* transport, IpcReadError* error,
                           const std::atomic<uint32_t>* maxFrame = nullptr);
