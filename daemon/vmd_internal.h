// The daemon core's server and what its files share; not for tests.
//
// The server owns its parts, each with its own lock: the links
// (vmd_links.h), the simulated site (vmd_sim.h), the B/IP port
// (vmd_bip_port.h), the log (vmd_log.h) and the frame log
// (vmd_frame_log.h). Lock order: a connection's `server_index_mu`, the
// links' mutex, a connection's `mu`; the simulated site's, the B/IP
// port's, the log's and the frame log's mutexes are taken last and alone.
// No part's lock is held across a socket write.
#pragma once
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/types.h>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_bip_port.h"
#include "daemon/vmd_core.h"
#include "daemon/vmd_frame_log.h"
#include "daemon/vmd_links.h"
#include "daemon/vmd_log.h"
#include "daemon/vmd_sim.h"
#include "runtime/ipc/ipc_frame.h"

// The owner of the parts: what the daemon listens on, and its start.
struct VmdServer {
  VmdConfig config;
  int unix_fd = -1;
  int tcp_fd = -1;
  uint16_t tcp_port = 0;
  int wake[2] = {-1, -1};  // self-pipe that ends the accept loop
  std::thread acceptor;
  time_t start_time = 0;
  VmdClock::time_point started = VmdClock::now();
  bool socket_owned = false;  // the socket file this server made:
  dev_t socket_dev = 0;
  ino_t socket_ino = 0;

  VmdLinks links;
  VmdSimSite sim;
  VmdBipPortState bip;
  VmdLogBook log;
  VmdFrameLog frames;
};

// Counts a frame, and keeps it in the frame log when the configuration
// asks for it (vmd_frame_log.cpp).
void VmdRecordFrame(VmdServer* server, VmdConn* conn, bool inbound,
                    std::span<const uint8_t> message);
// Counts a frame in its application's statistics (vmd_counters.cpp).
void VmdCountFrame(VmdConn* conn, bool inbound, std::span<const uint8_t> message);
// The program at the other end of a local socket; empty when the link does
// not tell (TCP).
std::string VmdPeerProgram(const VmdConn* conn);

// Connection threads (vmd_conn.cpp).
// Starts the connection's threads; false (and nothing running) when it cannot.
bool VmdConnStart(VmdServer* server, std::shared_ptr<VmdConn> conn);
// Who writes a piece that is due now. Only the connection's reader passes
// anything but Writer: a piece it writes itself saves the hand-over to the
// writer thread, and pieces it writes together wake the client once.
enum class VmdWriteBy : uint8_t {
  Writer,    // the writer thread
  Here,      // the caller, at once, when nothing is ahead of it
  WithNext,  // the caller, with its next piece or at VmdWriteHeld
};
// Queues bytes due after `delay_ms`; `withhold` parks them instead.
bool VmdQueue(VmdConn* conn, VmdOut out, int delay_ms, bool withhold,
              VmdWriteBy by = VmdWriteBy::Writer);
// Writes what the reader held back for its next piece, when no next piece
// came.
void VmdWriteHeld(VmdConn* conn);
VmdOut VmdFrameOut(std::span<const uint8_t> message);
void VmdConnShutdown(VmdConn* conn);
// Removes a confirmation that has not been written yet; false when there is none.
bool VmdTakeBackConfirmation(VmdConn* conn, uint32_t index, uint32_t identifier);

// Message handling (vmd_proto.cpp). `message` is one whole frame's message
// bytes. Returns false when the client broke the protocol and must go.
bool VmdHandleMessage(VmdConn* conn, std::span<const uint8_t> message, std::string* why);
// A confirmed request whose confirmation comes later, or never: a cancel
// takes it back (VmdTakeAwaited), and only then is it gone. False from
// VmdTakeAwaited when it was not waiting (cancelled, or unknown).
void VmdAwaitConfirmation(VmdConn* conn, uint32_t index, uint32_t identifier);
bool VmdTakeAwaited(VmdConn* conn, uint32_t index, uint32_t identifier);
// The confirmation (0x0400) of a request.
VmdOut VmdConfirmationOut(const VmdConfirmed& request, uint16_t outcome,
                          std::span<const uint8_t> answer);
// A 0x0701 message carrying the request (vmd_requests.cpp).
std::vector<uint8_t> VmdUnconfirmedMessage(const VmdIncoming& request);

// Whole seconds since the daemon started.
uint64_t VmdUptimeSeconds(const VmdServer* server);

// Ioctls (vmd_ioctl.cpp): answers a body that `conn` sent to the daemon (no
// device) or to a simulated device, from its state. False when the body is
// not an ioctl (another vendor or service number, no parameter block), with
// `reject` 0, or when it is a malformed one, with `reject` the BACnet reject
// reason.
bool VmdIoctlAnswer(VmdServer* server, uint32_t conn, const VmdDevice* device,
                    std::span<const uint8_t> body, std::vector<uint8_t>* answer, uint8_t* reject);

// What a device with a malformed ioctl answer sends to a body that is an
// ioctl: the frame, status OK, then a context-tagged value. False for a
// body that is none.
bool VmdIoctlMalformedAnswer(std::span<const uint8_t> body, std::vector<uint8_t>* answer);

// "what: " and the text of errno.
std::string VmdErrno(const std::string& what);
// A non-blocking, close-on-exec IPv4 socket of `type` and in *sa the
// address host:port for it; -1 with *error for a host that is no dotted
// IPv4 address ("bad <kind> host ...") or a failed socket().
int VmdInetSocket(const char* kind, const std::string& host, uint16_t port, int type,
                  sockaddr_in* sa, std::string* error);
