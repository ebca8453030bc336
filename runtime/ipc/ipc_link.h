// The link to the stack daemon: one connection per process, frames written
// under a write lock from any thread, and a reader thread that checks each
// frame and hands it to the owner's handler. The link knows nothing of
// transactions.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/ipc/ipc_msg.h"
#include "runtime/ipc/ipc_transport.h"
#include "runtime/osa/osa.h"

struct IpcConnection;

// Called on the reader thread for each checked frame, which it then owns,
// and once with no message when the link is lost (a failed or ended read, a
// refused frame, or a zero-length frame this side did not ask for).
using IpcHandler = void (*)(IpcConnection* connection, IpcMsg* msg);

struct IpcConnection {
  // Cleared when the link is being closed; the reader loop runs while set.
  std::atomic<IpcTransport*> transport;
  OsaThread reader;
  IpcHandler handler;
  // Taken at connect so that the disconnect frame goes out even when
  // memory is exhausted; none once written.
  std::atomic<IpcMsg*> spareDisconnect;
  std::atomic<uint32_t> user;
  // Set before the disconnect frame is written: only then is a
  // zero-length frame the daemon's answer.
  std::atomic<bool> disconnectSent;
  // The largest frames read and written (IPC_MAX_FRAME until the owner
  // derives them from its limits).
  std::atomic<uint32_t> readCap;
  std::atomic<uint32_t> writeCap;
};

// Why PipeWrite wrote nothing, or not all.
enum class IpcWriteError : uint8_t {
  None,
  NoLink,    // the link has no transport: nothing written
  Unframed,  // the message cannot hold the frame its kind needs: nothing written
  TooLong,   // the frame is above the write cap: nothing written
  Failed,    // the transport failed during the write
};

// How long close waits for the daemon's answer to the disconnect frame.
constexpr uint32_t IPC_CLOSE_WAIT_MS = 30000;
// Sets the close wait for connections closed from now on (tests shorten
// it); returns the previous value.
uint32_t IpcSetCloseWait(uint32_t ms);

// Connects and starts the reader thread; none on failure.
IpcConnection* VelmoraIpcConnect(const char* name, IpcHandler handler);
// Writes the disconnect frame, waits for the reader to end (after the close
// wait the stream is shut down so that the reader's read returns), closes
// the transport and frees the connection.
void VelmoraIpcClose(IpcConnection* connection);

// Prepares the message (IpcFrameLength) and writes it. The message is
// consumed in every case. False when the link has no transport, the frame
// does not fit its message or is above the write cap, or the write failed;
// *why (may be null) says which.
bool PipeWrite(IpcConnection* connection, IpcMsg* msg, IpcWriteError* why = nullptr);
// Writes the spare disconnect message once; false when there is none or the
// write fails.
bool IpcSendDisconnect(IpcConnection* connection);

// Sets the largest frames the link reads and writes. A frame read above the
// read cap ends the link; one above the write cap is refused unwritten.
void IpcConnectionSetFrameCaps(IpcConnection* connection, uint32_t readCap, uint32_t writeCap);
// Raises the read cap to at least readCap.
void IpcConnectionRaiseReadCap(IpcConnection* connection, uint32_t readCap);

// On the reader's thread, in its handler: true when another whole frame
// has already been read behind the one being handled, so that the handler
// may leave work to do once for all of them to the last one.
bool IpcConnectionFrameFollows(IpcConnection* connection);

uint32_t IpcConnectionGetUser(const IpcConnection* connection);
void IpcConnectionSetUser(IpcConnection* connection, uint32_t user);

// The reader thread's body (argument: the connection).
void IpcReaderThread(void* connection);
