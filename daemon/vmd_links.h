// The daemon's links: each client connection with its queue and what its
// client registered, the daemon's counters of them, and how the daemon
// answers them (which tests change while it runs).
//
// Lock order: a connection's `server_index_mu`, then `VmdLinks::mu`, then a
// connection's `mu`; the other parts' locks come after these, taken last
// and alone. Neither `VmdLinks::mu` nor a connection's `mu` is held across
// a socket write.
#pragma once
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "daemon/vmd_core.h"
#include "runtime/ipc/ipc_frame.h"

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
  // The reader's alone: another whole frame of the same read follows the
  // one being handled, so its replies wait to leave with that one's.
  bool read_ahead = false;
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

struct VmdLinks {
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

  std::atomic<uint64_t> accepted{0}, closed{0}, lost{0};
  std::atomic<uint64_t> incoming{0};      // connections taken off a listener
  std::atomic<uint64_t> registered{0};    // registrations answered with status 0
  std::atomic<uint64_t> disconnected{0};  // links the daemon ended
  VmdPduCounts pdus;
  std::atomic<size_t> read_held{0};  // of config.read_budget, by the links' readers
};

// The connection numbered `id`, or the newest live one for 0 (vmd_links.cpp).
std::shared_ptr<VmdConn> VmdFindConn(VmdLinks* links, uint32_t id);
