// Shared state of the daemon core; not for tests.
//
// Lock order: server mutex, then a connection's mutex; the log, log-limit,
// frame-log, network and B/IP mutexes are taken last and alone. No lock is
// held across a socket write.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <netinet/in.h>
#include <sys/types.h>

#include "daemon/vmd_bip.h"
#include "daemon/vmd_core.h"
#include "runtime/ipc/ipc_frame.h"

using VmdClock = std::chrono::steady_clock;

struct VmdPduCounts;

// One message buffer of the daemon's PDU pool, held while a frame waits to
// be written and while it is written (vmd_counters.cpp).
class VmdPduHold {
 public:
  VmdPduHold() = default;
  explicit VmdPduHold(VmdPduCounts* counts);
  VmdPduHold(VmdPduHold&& other) noexcept : counts_(other.counts_) { other.counts_ = nullptr; }
  VmdPduHold& operator=(VmdPduHold&& other) noexcept;
  VmdPduHold(const VmdPduHold&) = delete;
  VmdPduHold& operator=(const VmdPduHold&) = delete;
  ~VmdPduHold();
  bool Held() const { return counts_ != nullptr; }

 private:
  VmdPduCounts* counts_ = nullptr;
};

// The PDU pool grows as needed: its size is the most buffers ever held at
// once.
struct VmdPduCounts {
  std::atomic<uint32_t> in_use{0}, peak{0};
  std::atomic<uint64_t> allocated{0}, failures{0};
};

// An outgoing piece of bytes, written when due.
struct VmdOut {
  VmdClock::time_point due;
  uint64_t seq;
  std::vector<uint8_t> bytes;  // with the length word when it is a frame
  bool is_frame;               // log it as a frame
  bool is_confirmation;        // a 0x0400 a cancel may still take back
  uint32_t index, identifier;  // of the confirmation
  bool last;                   // the connection ends once this is written
  VmdPduHold pdu;              // a frame's buffer (VmdQueue takes it)
};

// What the client told and asked the daemon (guarded by the connection mutex).
struct VmdClient {
  bool registered = false;
  uint32_t user = 0;
  uint32_t port_id = 0;
  uint32_t cli_pool = 0, srv_pool = 0;
  uint32_t apdu_timeout = 0, retries = 0;
  uint16_t segmentation = 0;
  uint8_t window = 0;
  uint32_t max_seg_accepted = 0, seg_timeout = 0;
  uint32_t max_process_ids = 0;
  uint8_t version[2] = {};                           // the library's, major and minor
  uint8_t services[sizeof IPC_REGISTER_FIXED] = {};  // the services bit string it announced
  std::string name;                                  // its program, where the link tells it
  IpcTransferParams params{};
  std::vector<uint32_t> process_ids;
  uint32_t next_pid = 1;
  uint16_t value_all = 0;
  std::vector<std::pair<LinkAddress, uint16_t>> values;
  // Confirmed requests acknowledged and never to be confirmed, by (index, id).
  std::vector<std::pair<uint32_t, uint32_t>> unanswered;
  // Server transactions sent to the client: index -> identifier.
  std::map<uint32_t, uint32_t> server_open;
  uint32_t next_server_id = 0;
};

// Counters of an application's traffic as the daemon sees it, in the order
// an ioctl reports them.
enum class VmdAppStat : uint8_t {
  CliBytesRx,
  CliBytesTr,
  CliPduRx,
  CliPduTr,
  CliTransactions,
  CliAborted,
  CliRetries,
  CliTimeouts,
  CliSegRetries,
  CliSegReqTimeouts,
  CliSegConfTimeouts,
  SrvBytesRx,
  SrvBytesTr,
  SrvPduRx,
  SrvPduTr,
  SrvTransactions,
  SrvAborted,
  SrvTimeouts,
  SrvSegReqTimeouts,
  SrvSegRespRetries,
  SrvSegRespTimeouts,
  Count
};

struct VmdConn {
  uint32_t id = 0;
  int fd = -1;
  bool tcp = false;
  time_t connected_at = time(nullptr);
  VmdServer* server = nullptr;
  std::thread reader;  // joined by the server
  std::thread writer;  // joined by the reader

  // Held across freeing a server transaction's index and queuing its
  // acknowledgement, and across taking an index and queuing the request
  // that uses it, so a reused index never overtakes the answer that freed
  // it. Taken before mu.
  std::mutex server_index_mu;
  std::mutex mu;
  std::condition_variable cv;
  std::vector<VmdOut> queue;     // ordered by (due, seq)
  std::vector<VmdOut> withheld;  // in the order they were made
  uint64_t out_seq = 0;
  size_t queued_bytes = 0;  // in `queue` and `withheld`
  bool stopping = false;    // the writer ends without writing the rest
  bool closing = false;     // nothing more is queued (after the last item)
  bool writing = false;     // a piece is being written; the next one waits
  // The reader's pieces at the front of `queue` that wait for its next
  // one (VmdWriteBy::WithNext); the writer thread is not woken for them.
  size_t held = 0;
  VmdClient client;

  // The largest frame read from the client: every message its registered
  // segments of the site's APDU admit, and every ioctl body.
  std::atomic<uint32_t> frame_cap{IPC_MAX_FRAME};
  std::atomic<bool> ended{false};
  std::atomic<bool> dropped{false};
  std::atomic<bool> write_failed{false};
  std::atomic<uint32_t> user{0};
  std::atomic<uint64_t> bytes_read{0}, bytes_written{0};
  std::atomic<uint64_t> buffers_read{0}, buffers_written{0};
  std::atomic<uint64_t> calls_read{0}, calls_written{0};
  std::atomic<size_t> read_buffer{0};  // bytes of the reader's buffer
  std::atomic<uint32_t> app_stats[size_t(VmdAppStat::Count)] = {};
};

// A network port and what went through it.
struct VmdPortLive {
  VmdPort port;  // its BDT and status as they are now
  uint64_t received = 0, sent = 0;
};

// A simulated device on the network: its own port, and the position of the
// daemon's port that reaches it (-1: none).
struct VmdDeviceNet {
  std::vector<VmdPortLive> ports;
  int route = -1;
};

// The lines of one kind of event from one sender (or from the senders past
// those followed) in the second since `since` (vmd_log_limit.cpp).
struct VmdLogRun {
  const char* kind;
  VmdBipAddress sender;
  bool others;
  VmdClock::time_point since;
  int logged;
  uint64_t left_out;
  std::string last;  // the last line left out
};
// Lines of a kind logged a second for each sender, at most; and the
// senders followed one by one at once.
inline constexpr int kVmdLogBurst = 3;
inline constexpr size_t kVmdLogSenders = 64;

struct VmdServer {
  VmdConfig config;
  int unix_fd = -1;
  int tcp_fd = -1;
  uint16_t tcp_port = 0;
  int wake[2] = {-1, -1};  // self-pipe that ends the accept loop
  std::thread acceptor;
  time_t start_time = 0;
  bool socket_owned = false;  // the socket file this server made:
  dev_t socket_dev = 0;
  ino_t socket_ino = 0;

  std::mutex mu;
  std::condition_variable cv;                   // connection events
  std::vector<std::shared_ptr<VmdConn>> conns;  // live and ended, not yet reaped
  uint32_t next_conn = 1;
  uint32_t next_user = 1;
  // Refusals at the link cap since the last accepted link (acceptor only).
  uint64_t refused_at_cap = 0;
  bool stopping = false;
  VmdBehaviour behaviour;
  std::vector<VmdScriptRule> scripts;
  VmdConfirmedHandler confirmed_handler;
  VmdUnconfirmedHandler unconfirmed_handler;
  VmdIoctlHandler ioctl_handler;
  std::map<uint32_t, VmdDeviceSwitches> device_switches;  // tests' changes to the site's

  std::atomic<uint64_t> accepted{0}, closed{0}, lost{0};
  std::atomic<uint64_t> incoming{0};      // connections taken off a listener
  std::atomic<uint64_t> registered{0};    // registrations answered with status 0
  std::atomic<uint64_t> disconnected{0};  // links the daemon ended
  VmdClock::time_point started = VmdClock::now();
  VmdPduCounts pdus;

  // The network: the site's ports and each simulated device's own, made on
  // first use (vmd_network.cpp).
  std::mutex net_mu;
  bool net_ready = false;
  std::vector<VmdPortLive> ports;
  std::map<uint32_t, VmdDeviceNet> devices_net;  // by device instance

  // The B/IP port: its endpoints (the router's first, then each local
  // device's), fixed once it is open, their sockets, and its thread.
  std::vector<VmdBipEndpoint> bip_endpoints;
  std::vector<int> bip_fds;
  // Bound to one address, the router also hears its subnet's broadcasts on
  // a socket of their own (-1: none); bound to every interface, the host's
  // addresses are those its own datagrams come from.
  int bip_hear_fd = -1;
  std::vector<uint32_t> bip_locals;
  int bip_wake[2] = {-1, -1};
  std::thread bip_thread;
  std::atomic<uint64_t> bip_dropped{0};  // malformed datagrams
  std::atomic<bool> bip_stop{false};
  VmdBipAddress bip_broadcast{};  // where a client's Who-Is goes
  std::mutex bip_mu;              // taken last and alone
  std::map<uint8_t, VmdBipRelayed> bip_relayed;
  uint8_t bip_next_invoke = 0;

  std::mutex log_mu;
  std::condition_variable log_cv;
  std::mutex log_limit_mu;
  std::vector<VmdLogRun> log_runs;
  FILE* log_file = nullptr;  // owned when opened from config.log_path
  std::deque<std::string> log_lines;

  std::mutex frames_mu;
  std::condition_variable frames_cv;
  std::deque<VmdFrame> frames;
  uint64_t frame_seq = 0;
  size_t frame_bytes = 0;  // message bytes held in `frames`
};

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
std::shared_ptr<VmdConn> VmdFindConn(VmdServer* server, uint32_t id);

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

// The site's simulated devices (vmd_sim.cpp). A confirmed request always
// gets an answer: the device's, or a time-out when no device takes it.
void VmdDevicesConfirmed(VmdServer* server, const VmdConfirmed& request, VmdAnswer* answer);
// Answers a Who-Is with the I-Am of each device it reaches, none of them
// ahead of the request's own acknowledgement (sent under `rule`).
void VmdDevicesUnconfirmed(VmdConn* conn, const VmdUnconfirmed& request, const VmdKindRule& rule);

// The switches of a device now: the site's, or a test's changes.
VmdDeviceSwitches VmdSwitchesOf(VmdServer* server, const VmdDevice& device);
// The instance range of a Who-Is request: both limits, or neither for
// every instance. False for parameters that are not a Who-Is.
bool VmdWhoIsRange(std::span<const uint8_t> request, uint32_t* low, uint32_t* high);

// Whole seconds since the daemon started.
uint64_t VmdUptimeSeconds(const VmdServer* server);

// Logs a line of an event that a sender on the network can repeat at will,
// `kind` (a literal) naming the event: at most kVmdLogBurst a second for
// each kind and sender. The rest are counted, and once the second is over
// the last of them is logged with "(and N more like it in the last
// second)" for the others.
void VmdLogLimited(VmdServer* server, const char* kind, const VmdBipAddress& sender,
                   const char* fmt, ...) __attribute__((format(printf, 4, 5)));
// Logs the counts of the seconds that are over (of every one with `all`);
// when the next one that left lines out is over.
std::optional<VmdClock::time_point> VmdLogLimitedFlush(VmdServer* server, bool all = false);

// The B/IP port (vmd_bip_port.cpp): opened at start when the configuration
// asks for it, closed at the stop.
bool VmdBipOpen(VmdServer* server, std::string* error);
void VmdBipClose(VmdServer* server);
// Sends a client's confirmed request to a B/IP station of the local
// network that the site does not simulate, with an invoke id of the port's
// own; the station's answer, or a time-out after the site's apdu_timeout,
// confirms it. False when the request is not one for the port.
bool VmdBipRelay(VmdConn* conn, const VmdConfirmed& request, int ack_delay_ms);
// Sends a client's Who-Is out of the port: a broadcast to the port's
// broadcast address, or to the one station it names.
void VmdBipWhoIs(VmdServer* server, const IpcTxnParams& params, std::span<const uint8_t> request);
// A request the port relays for a client, by the port's invoke id.
struct VmdBipRelayed {
  uint32_t conn;
  VmdConfirmed request;  // its span not kept
  VmdBipAddress to;
  VmdClock::time_point deadline;
  VmdClock::time_point not_before;  // its acknowledgement's time
};

// The network (vmd_network.cpp). Runs `f` on the ports of the daemon (no
// device) or of a simulated device, under the network lock.
void VmdWithPorts(VmdServer* server, const VmdDevice* device,
                  const std::function<void(std::vector<VmdPortLive>&)>& f);
// Counts packets between the daemon and a device: `to_device` the requests
// it forwards (and broadcasts that reach the device), else the device's
// answers; on the daemon's port to the device and on the device's own.
void VmdCountPackets(VmdServer* server, const VmdDevice& device, bool to_device);
// A broadcast: one packet out of each of the daemon's ports that reaches a
// device of `reached`, one into each of them.
void VmdCountBroadcast(VmdServer* server, const std::vector<const VmdDevice*>& reached);

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
