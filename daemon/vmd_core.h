// The stand-in stack daemon as a library: start it on a socket path and/or a
// TCP port, drive it from tests through the hooks below, stop it.
//
// Connections are numbered from 1 in the order they are accepted; every call
// that takes a connection number accepts 0 for "the newest live connection".
// All calls are thread-safe.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "daemon/vmd_site.h"
#include "runtime/ipc/ipc_frame.h"

struct VmdServer;

// The daemon's clock of due times and deadlines.
using VmdClock = std::chrono::steady_clock;

// A link that has not registered this long after it was accepted is closed,
// so that connections nobody registers cannot hold the link cap.
inline constexpr int kVmdRegisterWaitMs = 5000;
// Each link has two threads; past this many live links new ones are refused.
inline constexpr size_t kVmdMaxLinks = 256;
// What the frames being read on all links may hold together beyond each
// link's own small buffer; a frame that would need more ends its link.
inline constexpr size_t kVmdReadBudget = 64u << 20;

struct VmdConfig {
  std::string pipe_path;  // Unix socket path; empty: no socket
  bool tcp = false;
  std::string tcp_host = "127.0.0.1";  // dotted IPv4 address
  uint16_t tcp_port = 0;               // 0: any free port (see VmdTcpPort)
  // The B/IP port (UDP): the router of the site's networks, and a socket
  // of its own for each device of the local network, on the same host.
  bool bip = false;
  std::string bip_host = "127.0.0.1";  // dotted IPv4 address
  uint16_t bip_port = 0xBAC0;          // 0: any free port (see VmdBipPort)
  // Where a client's Who-Is goes out: "HOST:PORT"; empty for the limited
  // broadcast 255.255.255.255 at the port's own UDP port.
  std::string bip_broadcast;
  std::string log_path;    // empty: log lines go to stderr
  bool log_quiet = false;  // keep log lines in memory only
  bool frame_log = false;  // keep the frame log (VmdFrames); for tests
  int register_wait_ms = kVmdRegisterWaitMs;
  size_t max_links = kVmdMaxLinks;
  size_t read_budget = kVmdReadBudget;
  VmdSite site;
};

// Maps a connection name as the client library takes it ("\\.\pipe\NAME", or a
// plain NAME) to the socket path in `dir` (empty: $VELMORA_PIPE_DIR or /tmp).
std::string VmdPipePathFor(const std::string& name, const std::string& dir = "");
std::string VmdPipeDir();

// Starts the accept loop. None, with `error` set, when a socket cannot be
// served (in use by a live daemon, not a socket, bind failure...).
VmdServer* VmdStart(const VmdConfig& config, std::string* error);
// Closes every client link, joins every thread and removes its socket.
void VmdStop(VmdServer* server);
uint16_t VmdTcpPort(const VmdServer* server);
const std::string& VmdSocketPath(const VmdServer* server);
// The UDP ports of the B/IP port's router and of a device of the local
// network; 0 when there is none.
uint16_t VmdBipPort(const VmdServer* server);
uint16_t VmdBipDevicePort(const VmdServer* server, uint32_t instance);

// ---- log -----------------------------------------------------------------
// Writes a time-stamped line to the log (file or stderr) and keeps it.
void VmdLog(VmdServer* server, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
std::vector<std::string> VmdLogLines(VmdServer* server);
bool VmdWaitLog(VmdServer* server, const std::string& fragment, int timeout_ms);

// ---- connections ---------------------------------------------------------
// Waits until connection `n` (1-based) has been accepted.
bool VmdWaitAccepted(VmdServer* server, uint32_t n, int timeout_ms);
// Waits until connection `conn` has ended (its threads are done).
bool VmdWaitEnded(VmdServer* server, uint32_t conn, int timeout_ms);
// Ends a connection from the daemon side, without the disconnect exchange.
bool VmdDrop(VmdServer* server, uint32_t conn);

// ---- frames received and sent --------------------------------------------
struct VmdFrame {
  uint64_t seq;  // order over both directions
  uint32_t conn;
  uint32_t user;    // user identifier of the connection, 0 before registration
  bool inbound;     // from the client
  uint32_t length;  // the frame's length word
  uint16_t kind, status;
  uint32_t index, identifier;  // words at 4 and 8 (0 when the frame is shorter)
  std::vector<uint8_t> bytes;  // the message bytes (the length word not included)
};
// The last frames (the last 4000, and no more than 32 MB of them), kept only
// when the configuration asks for the frame log.
std::vector<VmdFrame> VmdFrames(VmdServer* server);
// Waits for a frame with seq > `after` that `match` accepts.
bool VmdWaitFrame(VmdServer* server, const std::function<bool(const VmdFrame&)>& match,
                  int timeout_ms, VmdFrame* out = nullptr, uint64_t after = 0);

// ---- behaviour -----------------------------------------------------------
// How the daemon answers one kind of client message.
struct VmdKindRule {
  int32_t status = -1;    // >= 0: the reply carries this status; -1: the daemon's own
  int32_t delay_ms = 0;   // the reply leaves this much later
  bool withhold = false;  // the reply waits for VmdReleaseWithheld
};

// The client kinds the daemon accepts; VmdKindSlot gives a kind's position.
inline constexpr uint16_t kVmdClientKinds[] = {
    IPC_KIND_REGISTER,       IPC_KIND_SET_PARAMS,    IPC_KIND_ADD_PID,       IPC_KIND_REMOVE_PID,
    IPC_KIND_NEW_PID,        IPC_KIND_SET_VALUE_ALL, IPC_KIND_GET_VALUE_ALL, IPC_KIND_IOCTL,
    IPC_KIND_SET_VALUE,      IPC_KIND_GET_VALUE,     IPC_KIND_CANCEL,        IPC_KIND_CONF_REQUEST,
    IPC_KIND_UNCONF_REQUEST, IPC_KIND_SERVER_DROP,   IPC_KIND_SERVER_ACK,    IPC_KIND_SERVER_ERROR,
    IPC_KIND_SERVER_REJECT,  IPC_KIND_SERVER_ABORT};
inline constexpr size_t kVmdClientKindCount = std::size(kVmdClientKinds);
int VmdKindSlot(uint16_t kind);  // -1 for a kind the daemon does not accept

struct VmdBehaviour {
  VmdKindRule rules[kVmdClientKindCount];
  bool byte_at_a_time = false;     // every outgoing byte in its own write
  bool ignore_disconnect = false;  // a zero-length frame gets no answer
  // Registration reply.
  bool reg_version_override = false;
  uint8_t reg_version[3] = {6, 2, 4};
  uint32_t reg_length = 28;   // bytes of the reply message (27: one short)
  int reg_mac_len = -1;       // >= 0: report the local MAC with this length
  int64_t reg_max_apdu = -1;  // >= 0: report this maximum APDU length
};
VmdKindRule& VmdRule(VmdBehaviour* b, uint16_t kind);  // kind must be accepted
VmdBehaviour VmdGetBehaviour(VmdServer* server);
void VmdSetBehaviour(VmdServer* server, const VmdBehaviour& behaviour);

// ---- sending to a client ---------------------------------------------------
// Queues bytes exactly as given, after anything already queued.
bool VmdSendRaw(VmdServer* server, uint32_t conn, std::span<const uint8_t> bytes);
// Queues one frame: the length word (size of `message`) and the message.
bool VmdSendFrame(VmdServer* server, uint32_t conn, std::span<const uint8_t> message);
// Sends every withheld reply of the connection, in the order they were made.
bool VmdReleaseWithheld(VmdServer* server, uint32_t conn);

// ---- counters --------------------------------------------------------------
struct VmdAppStats {
  uint32_t conn, user;
  uint64_t bytes_read, bytes_written;
  uint64_t buffers_read, buffers_written;  // frames
  uint64_t calls_read, calls_written;      // read and write system calls
};
struct VmdStats {
  time_t start_time;
  uint64_t accepted, closed, lost;
  uint64_t incoming;    // taken off a listener, refused ones too
  uint64_t registered;  // registrations answered with status 0
  // Links the daemon ended: bad input, no registration in time, a drop, its stop.
  uint64_t disconnected;
  std::vector<VmdAppStats> apps;  // the live connections
};
VmdStats VmdGetStats(VmdServer* server);

// ---- what a client registered and asked for -------------------------------
struct VmdClientInfo {
  bool registered;
  uint32_t user;
  uint32_t port_id;
  uint32_t cli_pool, srv_pool;
  uint32_t apdu_timeout, retries;
  uint16_t segmentation;
  uint8_t window;
  uint32_t max_seg_accepted, seg_timeout, max_process_ids;
  // Transfer parameters from 0x0801: the union of every mask sent, and the
  // last value of each field.
  uint16_t params_mask;
  uint16_t param_segmentation;
  uint32_t param_apdu_length, param_max_segs, param_window, param_seg_timeout, param_apdu_timeout,
      param_retries;
  std::vector<uint32_t> process_ids;  // in the order added
  uint16_t value_all;
  std::vector<std::pair<LinkAddress, uint16_t>> values;  // per address
  size_t open_server_transactions;  // 0x0700 sent and not yet answered or dropped
};
bool VmdGetClient(VmdServer* server, uint32_t conn, VmdClientInfo* out);

// ---- confirmed requests from the client (0x0D00) ----------------------------
// Confirmation outcome codes: IPC_OUTCOME_* (runtime/ipc/ipc_frame.h).

// A scripted answer. The first rule (in the order added) whose conditions
// all hold answers the request; a rule with `uses` > 0 is spent after that
// many answers.
struct VmdScriptRule {
  int service = -1;  // -1: any service choice
  bool match_destination = false;
  LinkAddress destination{};  // compared after normalisation
  bool match_request = false;
  std::vector<uint8_t> request;  // the request's payload, exactly
  uint16_t outcome = IPC_OUTCOME_OK;
  std::vector<uint8_t> answer;  // the confirmation's APDU data
  int delay_ms = 0;             // the confirmation leaves this much later
  bool no_answer = false;       // acknowledge, never confirm
  int uses = 0;                 // 0: any number of times
};
void VmdScriptAdd(VmdServer* server, const VmdScriptRule& rule);
void VmdScriptClear(VmdServer* server);

// The request as the daemon received it, for the handler that answers what
// no script matched. The handler returns true with the outcome and answer
// filled (and may set a delay), or false to leave the request to the site's
// simulated devices (below).
struct VmdConfirmed {
  uint32_t conn;
  uint32_t index, identifier;
  IpcTxnParams params;
  std::span<const uint8_t> request;
};
struct VmdAnswer {
  uint16_t outcome = IPC_OUTCOME_OK;
  std::vector<uint8_t> answer;
  int delay_ms = 0;
  bool no_answer = false;
};
// Handlers run on the link's reader thread; they must not stop the server.
using VmdConfirmedHandler = std::function<bool(const VmdConfirmed&, VmdAnswer*)>;
void VmdSetConfirmedHandler(VmdServer* server, VmdConfirmedHandler handler);

// Called after an unconfirmed request (0x0D01) has been acknowledged, for
// example to answer a Who-Is with VmdSendUnconfirmed. While a handler is
// set, the site's devices do not answer unconfirmed requests.
struct VmdUnconfirmed {
  uint32_t conn;
  IpcTxnParams params;
  std::span<const uint8_t> request;
};
using VmdUnconfirmedHandler = std::function<void(const VmdUnconfirmed&)>;
void VmdSetUnconfirmedHandler(VmdServer* server, VmdUnconfirmedHandler handler);

// ---- requests to the client ---------------------------------------------------
// The transaction-bound fields of an incoming request (0x0700 or 0x0701).
// Nothing is checked: a test may send values the client must refuse.
struct VmdIncoming {
  IpcTxnParams params;
  std::vector<uint8_t> payload;
};
// Defaults: priority 0, ReadProperty, local side = the site's address, remote
// side MAC 0a network 0, APDU 1476, segmented response accepted, window 1,
// no segmentation, 0xFFFFFFFF segments, timeouts 6000/5000 ms, 3 retries.
VmdIncoming VmdIncomingDefaults(VmdServer* server);
// Sends 0x0700 on a free server-transaction index of the client (below the
// server pool size it registered) with a fresh identifier. An index is
// reused only after the client answered (0x0E02-0x0E05) or dropped (0x0E00)
// the transaction it carried. False when none is free or the link is gone.
bool VmdSendConfirmed(VmdServer* server, uint32_t conn, const VmdIncoming& request, uint32_t* index,
                      uint32_t* identifier);
bool VmdSendUnconfirmed(VmdServer* server, uint32_t conn, const VmdIncoming& request);
// Sends 0x0600 for a transaction sent with VmdSendConfirmed.
bool VmdSendAbort(VmdServer* server, uint32_t conn, uint32_t index, uint32_t identifier);

// ---- local ioctl (0x0807) ----------------------------------------------------------
// Answers the body of an ioctl request: returns the reply's daemon status and
// fills the reply body. While a handler is set it answers every ioctl;
// without one the daemon answers from its own state (every request code of
// the ioctl codes; an unknown one with a status-only NOT_SUPPORTED), and a
// body that is no ioctl of the library's vendor identifier, or whose
// parameter block is malformed, with daemon status IPC_DAEMON_BAD_PARAMETER
// and no body.
using VmdIoctlHandler = std::function<uint16_t(uint32_t conn, std::span<const uint8_t> body,
                                               std::vector<uint8_t>* answer)>;
void VmdSetIoctlHandler(VmdServer* server, VmdIoctlHandler handler);
// The status-only answer body for a request body (its vendor identifier
// echoed), for handlers; false when the request is not an ioctl body.
bool VmdIoctlStatusAnswer(std::span<const uint8_t> request, uint32_t status,
                          std::vector<uint8_t>* answer);

// ---- the site's simulated devices -------------------------------------------
// What no script or handler answers goes to the devices of the site
// (config.site). A confirmed request to an address where no device is, or
// to a silent device, is confirmed with IPC_OUTCOME_NO_ANSWER after the site's
// apdu_timeout; a device answers ReadProperty from its objects (an Error
// where the object, the property or the array element is missing), a
// ConfirmedPrivateTransfer carrying an ioctl when it answers ioctls (from
// its own state, as a node of this stack), refuses every other transfer as
// its switches say, and rejects other services as unrecognised; a Who-Is
// gets an I-Am (0x0701) from each device it reaches. The switches start as the site file sets
// them; these calls change them while the daemon runs. False when the site
// has no device of that instance.
bool VmdSetDeviceSwitches(VmdServer* server, uint32_t instance, const VmdDeviceSwitches& switches);
bool VmdGetDeviceSwitches(VmdServer* server, uint32_t instance, VmdDeviceSwitches* switches);
