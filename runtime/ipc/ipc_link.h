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
// is longer than the peer accepts, or the write failed.
bool PipeWrite(IpcConnection* connection, IpcMsg* msg);
// Writes the spare disconnect message once; false when there is none or the
// write fails.
bool IpcSendDisconnect(IpcConnection* connection);

uint32_t IpcConnectionGetUser(const IpcConnection* connection);
void IpcConnectionSetUser(IpcConnection* connection, uint32_t user);

// The reader thread's body (argument: the connection).
void IpcReaderThread(void* connection);
