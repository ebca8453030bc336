// Shared state of the daemon core; not for tests.
//
// Lock order: server mutex, then a connection's mutex; the log and frame-log
// mutexes are taken last and alone. No lock is held across a socket write.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/types.h>

#include "daemon/vmd_core.h"
#include "runtime/ipc/ipc_frame.h"

using VmdClock = std::chrono::steady_clock;

// An outgoing piece of bytes, written when due.
struct VmdOut {
  VmdClock::time_point due;
  uint64_t seq;
  std::vector<uint8_t> bytes;  // with the length word when it is a frame
  bool is_frame;               // log it as a frame
  bool is_confirmation;        // a 0x0400 a cancel may still take back
  uint32_t index, identifier;  // of the confirmation
  bool last;                   // the connection ends once this is written
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

struct VmdConn {
  uint32_t id = 0;
  int fd = -1;
  bool tcp = false;
  VmdServer* server = nullptr;
  std::thread reader;  // joined by the server
  std::thread writer;  // joined by the reader

  std::mutex mu;
  std::condition_variable cv;
  std::vector<VmdOut> queue;     // ordered by (due, seq)
  std::vector<VmdOut> withheld;  // in the order they were made
  uint64_t out_seq = 0;
  size_t queued_bytes = 0;  // in `queue` and `withheld`
  bool stopping = false;    // the writer ends without writing the rest
  bool closing = false;     // nothing more is queued (after the last item)
  bool writing = false;     // a piece is being written; the next one waits
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
};

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

  std::mutex log_mu;
  std::condition_variable log_cv;
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

// Connection threads (vmd_conn.cpp).
// Starts the connection's threads; false (and nothing running) when it cannot.
bool VmdConnStart(VmdServer* server, std::shared_ptr<VmdConn> conn);
// Queues bytes due after `delay_ms`; `withhold` parks them instead. With
// `write_here` a piece due now with nothing ahead of it is written at once
// on the calling thread (only the connection's reader passes it).
bool VmdQueue(VmdConn* conn, VmdOut out, int delay_ms, bool withhold, bool write_here = false);
VmdOut VmdFrameOut(std::span<const uint8_t> message);
void VmdConnShutdown(VmdConn* conn);
// Removes a confirmation that has not been written yet; false when there is none.
bool VmdTakeBackConfirmation(VmdConn* conn, uint32_t index, uint32_t identifier);
std::shared_ptr<VmdConn> VmdFindConn(VmdServer* server, uint32_t id);

// Message handling (vmd_proto.cpp). `message` is one whole frame's message
// bytes. Returns false when the client broke the protocol and must go.
bool VmdHandleMessage(VmdConn* conn, std::span<const uint8_t> message, std::string* why);
// A 0x0701 message carrying the request (vmd_requests.cpp).
std::vector<uint8_t> VmdUnconfirmedMessage(const VmdIncoming& request);

// The site's simulated devices (vmd_sim.cpp). A confirmed request always
// gets an answer: the device's, or a time-out when no device takes it.
void VmdDevicesConfirmed(VmdServer* server, const VmdConfirmed& request, VmdAnswer* answer);
// Answers a Who-Is with the I-Am of each device it reaches, none of them
// ahead of the request's own acknowledgement (sent under `rule`).
void VmdDevicesUnconfirmed(VmdConn* conn, const VmdUnconfirmed& request, const VmdKindRule& rule);
