// One client link: a reader thread that takes frames apart and hands them to
// the message handling, and a writer thread that sends queued bytes when due.
#include <malloc.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "daemon/vmd_internal.h"
#include "runtime/ipc/ipc_frame.h"
#include "runtime/platform/plat_socket.h"

namespace {

constexpr size_t kReadChunk = 4096;
// Giving back a read buffer this large gives the allocator's free memory
// back to the system too: after a burst of large frames it would keep it.
constexpr size_t kTrimFrom = 256u << 10;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VMD_OWN_HEAP 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VMD_OWN_HEAP 0
#endif
#endif
#ifndef VMD_OWN_HEAP
#define VMD_OWN_HEAP 1
#endif

// A sanitizer's allocator replaces glibc's, whose trim then walks an arena
// that was never set up and crashes.
void GiveBackFreeMemory() {
  if constexpr (VMD_OWN_HEAP) malloc_trim(0);
}
// A client that sends without reading its replies stops being read once this
// much waits for it: it holds up only itself.
constexpr size_t kQueueLimit = 4u << 20;
constexpr auto kBytePause = std::chrono::microseconds(300);
// The most the replies to one read's frames hold back for a write together.
constexpr size_t kHoldLimit = 64u << 10;

bool SendAll(VmdConn* c, int fd, const uint8_t* p, size_t n, bool bytewise) {
  while (n > 0) {
    size_t step = bytewise ? 1 : n;
    ssize_t k = send(fd, p, step, MSG_NOSIGNAL);
    c->calls_written++;
    if (k < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += k;
    n -= size_t(k);
    c->bytes_written += uint64_t(k);
    if (bytewise && n > 0) std::this_thread::sleep_for(kBytePause);
  }
  return true;
}

bool ByteAtATime(VmdLinks* links) {
  std::lock_guard<std::mutex> lock(links->mu);
  return links->behaviour.byte_at_a_time;
}

// Writes pieces outside the connection lock, several in one call, so that
// the client reads them with one wake-up; the caller has set `writing`.
bool WriteOut(VmdConn* c, int fd, std::span<const VmdOut> pieces, bool bytewise) {
  // Logged before the write, so a test that saw the frame arrive finds it.
  uint64_t frames = 0;
  for (const VmdOut& out : pieces) {
    if (!out.is_frame) continue;
    VmdRecordFrame(c->server, c, false, std::span<const uint8_t>(out.bytes).subspan(4));
    ++frames;
  }
  std::vector<uint8_t> joined;
  std::span<const uint8_t> bytes = pieces.front().bytes;
  if (pieces.size() > 1) {
    size_t size = 0;
    for (const VmdOut& out : pieces)
      size += out.bytes.size();
    joined.reserve(size);
    for (const VmdOut& out : pieces)
      joined.insert(joined.end(), out.bytes.begin(), out.bytes.end());
    bytes = joined;
  }
  bool ok = SendAll(c, fd, bytes.data(), bytes.size(), bytewise);
  if (ok) c->buffers_written += frames;
  if (!ok) VmdLog(c->server, "connection %u: write failed: %s", c->id, strerror(errno));
  return ok;
}

// After a failed write nothing more is sent and the reader is woken.
void WriteFailed(VmdConn* c) {
  c->write_failed = true;
  c->stopping = true;
  if (c->fd >= 0) shutdown(c->fd, SHUT_RDWR);
}

// Takes the first `n` queued pieces off the queue, to be written.
std::vector<VmdOut> TakeFrontLocked(VmdConn* c, size_t n) {
  std::vector<VmdOut> pieces;
  pieces.reserve(n + 1);
  for (size_t i = 0; i < n; ++i) {
    c->queued_bytes -= c->queue[i].bytes.size();
    pieces.push_back(std::move(c->queue[i]));
  }
  c->queue.erase(c->queue.begin(), c->queue.begin() + ptrdiff_t(n));
  return pieces;
}

void WriterLoop(VmdConn* c) {
  std::unique_lock<std::mutex> lock(c->mu);
  while (!c->stopping) {
    if (c->writing) {  // a reply being written straight from the reader
      c->cv.wait(lock);
      continue;
    }
    if (c->queue.empty()) {
      if (c->closing) break;
      c->cv.wait(lock);
      continue;
    }
    VmdClock::time_point due = c->queue.front().due;  // the queue may change while waiting
    if (due > VmdClock::now()) {
      c->cv.wait_until(lock, due);
      continue;
    }
    // The pieces that are due leave in one write, up to the last one and
    // the bound on what one write joins.
    const VmdClock::time_point now = VmdClock::now();
    size_t n = 0, size = 0;
    while (n < c->queue.size() && c->queue[n].due <= now && (n == 0 || size < kHoldLimit)) {
      size += c->queue[n].bytes.size();
      if (c->queue[n++].last) break;
    }
    std::vector<VmdOut> pieces = TakeFrontLocked(c, n);
    c->held = 0;  // whatever the reader held is this thread's now
    c->writing = true;
    int fd = c->fd;
    lock.unlock();
    bool ok = WriteOut(c, fd, pieces, ByteAtATime(&c->server->links));
    lock.lock();
    c->writing = false;
    c->cv.notify_all();  // a reader held back by a full queue
    if (!ok) WriteFailed(c);
    if (!ok || pieces.back().last) break;
  }
  c->closing = true;
}

// Writes the reader's held pieces and `next` (if any) on the calling thread,
// `lock` held on entry and left on return. Only a writer thread with pieces
// queued meanwhile (it waits for this write) or a failed write wakes anyone.
bool WriteHereLocked(VmdConn* c, std::unique_lock<std::mutex>& lock, VmdOut* next) {
  std::vector<VmdOut> pieces = TakeFrontLocked(c, c->held);
  c->held = 0;
  if (next) pieces.push_back(std::move(*next));
  c->writing = true;
  int fd = c->fd;
  lock.unlock();
  bool ok = WriteOut(c, fd, pieces, false);
  lock.lock();
  c->writing = false;
  if (!ok) WriteFailed(c);
  const bool wake = !ok || !c->queue.empty();
  lock.unlock();
  if (wake) c->cv.notify_all();
  return ok;
}

// Hands what the reader held to the writer thread.
void ReleaseHeldLocked(VmdConn* c, std::unique_lock<std::mutex>& lock) {
  const bool held = c->held > 0;
  c->held = 0;
  lock.unlock();
  if (held) c->cv.notify_all();
}

// Writes what the reader held now, on the reader's own thread.
void WriteHeldNow(VmdConn* c) {
  std::unique_lock<std::mutex> lock(c->mu);
  if (c->held == 0) return;
  if (c->stopping || c->writing || c->queue.size() != c->held) return ReleaseHeldLocked(c, lock);
  WriteHereLocked(c, lock, nullptr);
}

enum class End {
  kDisconnect,
  kEof,
  kError,
  kBad,
  kIdle,  // not registered in time
  kStopped
};

// Before registration a read waits only until the registration time is up.
// True when bytes (or the end of the stream) may be read.
bool ReadableBefore(int fd, VmdClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - VmdClock::now());
  if (left.count() <= 0) return false;
  pollfd p{fd, POLLIN, 0};
  int r;
  do
    r = poll(&p, 1, int(std::min<int64_t>(left.count(), 0x7FFFFFFF)));
  while (r < 0 && errno == EINTR);
  return r != 0;
}

// A link's read buffer: kReadChunk bytes of its own, and for a large frame
// room beyond that from the daemon's budget, taken as the frame's bytes
// arrive and given back once it is handled or the link ends. Its bytes are
// never cleared, so only what arrived takes memory.
class ReadBuffer {
 public:
  explicit ReadBuffer(VmdServer* s) : server_(s) { Grow(kReadChunk, nullptr); }
  ~ReadBuffer() { Release(); }
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;
  uint8_t* data() { return bytes_; }
  size_t size() const { return size_; }
  std::span<const uint8_t> Held(size_t n) const { return {bytes_, n}; }
  // False when the budget or the heap has no room for `size` bytes; *room
  // is then the most this buffer could hold.
  bool Grow(size_t size, size_t* room);
  // Back to kReadChunk bytes, the first `keep` of them kept.
  void Shrink(size_t keep);

 private:
  static size_t Charge(size_t size) { return size > kReadChunk ? size - kReadChunk : 0; }
  void Release();
  VmdServer* server_;
  uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
};

bool ReadBuffer::Grow(size_t size, size_t* room) {
  const size_t budget = server_->config.read_budget;
  const size_t more = Charge(size) - Charge(size_);
  std::atomic<size_t>& held = server_->links.read_held;
  size_t now = held.load();
  do {
    if (more > budget - std::min(now, budget)) {
      if (room) *room = kReadChunk + budget - std::min(now - Charge(size_), budget);
      return false;
    }
  } while (!held.compare_exchange_weak(now, now + more));
  void* p = realloc(bytes_, size);
  if (p == nullptr) {
    held -= more;
    if (room) *room = size_;
    return false;
  }
  bytes_ = static_cast<uint8_t*>(p);
  size_ = size;
  return true;
}

void ReadBuffer::Shrink(size_t keep) {
  if (size_ <= kReadChunk) return;
  auto* small = static_cast<uint8_t*>(malloc(kReadChunk));
  if (small == nullptr) return;  // the large one stays until the link ends
  memcpy(small, bytes_, keep);
  Release();
  bytes_ = small;
  size_ = kReadChunk;
}

void ReadBuffer::Release() {
  free(bytes_);
  server_->links.read_held -= Charge(size_);
  if (size_ >= kTrimFrom) GiveBackFreeMemory();
  bytes_ = nullptr;
  size_ = 0;
}

std::string TooLong(uint32_t len, size_t limit) {
  return "frame of " + std::to_string(len) + " bytes is longer than the limit of " +
         std::to_string(limit);
}

// Reads frames until the link ends; returns why.
End ReadFrames(VmdConn* c, std::string* why) {
  VmdServer* s = c->server;
  ReadBuffer buf(s);
  if (buf.size() == 0) {
    *why = "no memory for its read buffer";
    return End::kError;
  }
  size_t have = 0;
  const VmdClock::time_point registerBy =
      VmdClock::now() + std::chrono::milliseconds(s->config.register_wait_ms);
  while (true) {
    c->read_buffer = buf.size();
    // The replies held for the frames handled so far leave before anything
    // that may wait for the client.
    if (!IpcWholeFrameAt(buf.Held(have), c->frame_cap.load())) WriteHeldNow(c);
    {
      std::unique_lock<std::mutex> lock(c->mu);
      if (c->queued_bytes > kQueueLimit && c->held > 0) {
        // The writer's writes are what this waits for: it takes what was held.
        c->held = 0;
        c->cv.notify_all();
      }
      c->cv.wait(lock, [c] { return c->stopping || c->closing || c->queued_bytes <= kQueueLimit; });
    }
    // A whole frame at the front of `buf` is handled without another read.
    if (have >= 4) {
      uint32_t len = IpcGet32(buf.Held(have), 0);
      if (len == 0) {
        memmove(buf.data(), buf.data() + 4, have - 4);
        have -= 4;
        c->buffers_read++;
        VmdRecordFrame(s, c, true, {});
        bool ignore;
        {
          std::lock_guard<std::mutex> sl(s->links.mu);
          ignore = s->links.behaviour.ignore_disconnect;
        }
        if (!ignore) return End::kDisconnect;
        VmdLog(s, "connection %u: disconnect frame ignored", c->id);
        continue;
      }
      const uint32_t cap = c->frame_cap.load();
      const IpcLengthCheck lengthCheck = IpcLengthWordCheck(len, cap);
      if (lengthCheck == IpcLengthCheck::TopBit) {
        *why = "frame length 0x" + [&] {
          char t[16];
          snprintf(t, sizeof t, "%08X", len);
          return std::string(t);
        }() + " has the top bit set";
        return End::kBad;
      }
      if (len < 4) {
        *why =
            "frame of " + std::to_string(len) + " bytes is shorter than a message kind and status";
        return End::kBad;
      }
      if (lengthCheck == IpcLengthCheck::AboveCap) {
        *why = TooLong(len, cap);
        return End::kBad;
      }
      if (have >= size_t(len) + 4) {
        c->buffers_read++;
        std::span<const uint8_t> msg(buf.data() + 4, len);
        VmdRecordFrame(s, c, true, msg);
        c->read_ahead = IpcWholeFrameAt(buf.Held(have).subspan(4 + len), c->frame_cap.load());
        if (!VmdHandleMessage(c, msg, why)) return End::kBad;
        memmove(buf.data(), buf.data() + 4 + len, have - 4 - len);
        have -= 4 + len;
        // A large frame's room goes back once it is handled.
        if (have <= kReadChunk) buf.Shrink(have);
        continue;
      }
    }
    // The buffer grows with the bytes that arrive, not with what a length
    // word claims, and a frame the budget has no room for left ends its link
    // as one beyond the link's own cap does.
    if (have == buf.size()) {
      const uint32_t len = IpcGet32(buf.Held(have), 0);
      size_t room = 0;
      if (!buf.Grow(std::min(size_t(len) + 4, std::max(2 * buf.size(), kReadChunk)), &room)) {
        *why = TooLong(len, room - 4) + " that the frames being read on other links leave of " +
               std::to_string(s->config.read_budget) + " bytes";
        return End::kBad;
      }
    }
    if (c->user.load() == 0 && !ReadableBefore(c->fd, registerBy)) {
      *why = "not registered within " + std::to_string(s->config.register_wait_ms) + " ms";
      return End::kIdle;
    }
    ssize_t k = PlatSocketRead(c->fd, buf.data() + have, buf.size() - have);
    c->calls_read++;
    {
      std::lock_guard<std::mutex> lock(c->mu);
      if (c->stopping) return End::kStopped;
    }
    if (k == 0) return have == 0 ? End::kEof : (*why = "link ended inside a frame", End::kError);
    if (k < 0) {
      *why = strerror(errno);
      return End::kError;
    }
    have += size_t(k);
    c->bytes_read += uint64_t(k);
  }
}

void ReaderLoop(VmdConn* c) {
  VmdServer* s = c->server;
  std::string why;
  End end = ReadFrames(c, &why);
  c->read_ahead = false;
  // The replies to the frames before the last one are owed even when it
  // ends the link.
  WriteHeldNow(c);
  if (end == End::kBad || end == End::kIdle || end == End::kStopped) s->links.disconnected++;
  bool clean = false;
  switch (end) {
    case End::kDisconnect: {
      VmdOut out = VmdFrameOut({});
      out.last = true;
      {
        std::lock_guard<std::mutex> lock(c->mu);
        // Replies still waiting for their time are not sent after the answer.
        VmdClock::time_point now = VmdClock::now();
        c->queue.erase(std::remove_if(c->queue.begin(), c->queue.end(),
                                      [now](const VmdOut& o) { return o.due > now; }),
                       c->queue.end());
        c->withheld.clear();
        c->queued_bytes = 0;
        for (const VmdOut& o : c->queue)
          c->queued_bytes += o.bytes.size();
      }
      VmdQueue(c, std::move(out), 0, false);
      clean = true;
      VmdLog(s, "connection %u closed by the client (disconnect answered)", c->id);
      break;
    }
    case End::kEof:
      VmdLog(s, "connection %u lost: the client went away without a disconnect", c->id);
      break;
    case End::kError:
      VmdLog(s, "connection %u lost: %s", c->id, why.c_str());
      break;
    case End::kBad:
      VmdLog(s, "connection %u closed: bad input: %s", c->id, why.c_str());
      break;
    case End::kIdle:
      VmdLog(s, "connection %u closed: %s", c->id, why.c_str());
      break;
    case End::kStopped:
      clean = !c->dropped.load() && !c->write_failed.load();
      VmdLog(s, "connection %u %s", c->id,
             c->dropped.load()        ? "lost: dropped by the daemon"
             : c->write_failed.load() ? "lost: the client stopped taking replies"
                                      : "closed by the daemon");
      break;
  }
  {
    std::lock_guard<std::mutex> lock(c->mu);
    if (clean)
      c->closing = true;
    else
      c->stopping = true;
  }
  c->cv.notify_all();
  c->writer.join();
  {
    // What was never written goes now: its buffers belong to the server's
    // pool, which may end before the last hold on this connection.
    std::lock_guard<std::mutex> lock(c->mu);
    c->queue.clear();
    c->withheld.clear();
    c->queued_bytes = 0;
    close(c->fd);
    c->fd = -1;
  }
  (clean && !c->write_failed.load() ? s->links.closed : s->links.lost)++;
  {
    std::lock_guard<std::mutex> lock(s->links.mu);
    c->ended = true;
  }
  s->links.cv.notify_all();
}

}  // namespace

bool VmdConnStart(VmdServer* s, std::shared_ptr<VmdConn> conn) {
  VmdConn* c = conn.get();
  try {
    c->writer = std::thread(WriterLoop, c);
  } catch (const std::system_error& e) {
    VmdLog(s, "connection %u refused: no thread: %s", c->id, e.what());
    return false;
  }
  try {
    c->reader = std::thread(ReaderLoop, c);
  } catch (const std::system_error& e) {
    VmdLog(s, "connection %u refused: no thread: %s", c->id, e.what());
    {
      std::lock_guard<std::mutex> lock(c->mu);
      c->stopping = true;
    }
    c->cv.notify_all();
    c->writer.join();
    return false;
  }
  return true;
}

VmdOut VmdFrameOut(std::span<const uint8_t> message) {
  VmdOut out{};
  out.bytes.resize(4 + message.size());
  IpcPut32(out.bytes, 0, uint32_t(message.size()));
  std::copy(message.begin(), message.end(), out.bytes.begin() + 4);
  out.is_frame = true;
  return out;
}

bool VmdQueue(VmdConn* c, VmdOut out, int delay_ms, bool withhold, VmdWriteBy by) {
  bool bytewise = by != VmdWriteBy::Writer && ByteAtATime(&c->server->links);
  if (out.is_frame && !out.pdu.Held()) out.pdu = VmdPduHold(&c->server->links.pdus);
  std::unique_lock<std::mutex> lock(c->mu);
  if (c->stopping || c->closing) {
    if (out.is_frame) c->server->links.pdus.failures++;
    return false;
  }
  out.seq = ++c->out_seq;
  if (withhold) {
    c->queued_bytes += out.bytes.size();
    c->withheld.push_back(std::move(out));
    ReleaseHeldLocked(c, lock);
    return true;
  }
  // Nothing ahead of the piece but what the reader itself held.
  const bool here = by != VmdWriteBy::Writer && !bytewise && delay_ms <= 0 && !c->writing &&
                    c->queue.size() == c->held;
  // Replies to the frames of one read leave together, so that the client
  // reads them with one wake-up, up to a bound on what waits.
  const bool hold =
      by == VmdWriteBy::WithNext ||
      (by == VmdWriteBy::Here && c->read_ahead && c->queued_bytes + out.bytes.size() <= kHoldLimit);
  if (here && !hold) return WriteHereLocked(c, lock, &out);
  c->queued_bytes += out.bytes.size();
  out.due = VmdClock::now() + std::chrono::milliseconds(std::max(delay_ms, 0));
  auto at =
      std::upper_bound(c->queue.begin(), c->queue.end(), out, [](const VmdOut& a, const VmdOut& b) {
        return a.due != b.due ? a.due < b.due : a.seq < b.seq;
      });
  c->queue.insert(at, std::move(out));
  if (here) {
    ++c->held;
    return true;
  }
  c->held = 0;
  lock.unlock();
  c->cv.notify_all();
  return true;
}

void VmdWriteHeld(VmdConn* c) {
  // The frames still to come of the same read write it with theirs.
  if (!c->read_ahead) WriteHeldNow(c);
}

bool VmdTakeBackConfirmation(VmdConn* c, uint32_t index, uint32_t identifier) {
  std::lock_guard<std::mutex> lock(c->mu);
  for (std::vector<VmdOut>* list : {&c->queue, &c->withheld}) {
    // What the reader held has left as far as the client can tell: it goes
    // out with the replies to the frames read with its request.
    const ptrdiff_t sent = list == &c->queue ? ptrdiff_t(c->held) : 0;
    auto it = std::find_if(list->begin() + sent, list->end(), [&](const VmdOut& o) {
      return o.is_confirmation && o.index == index && o.identifier == identifier;
    });
    if (it != list->end()) {
      c->queued_bytes -= it->bytes.size();
      list->erase(it);
      return true;
    }
  }
  return false;
}

void VmdConnShutdown(VmdConn* c) {
  {
    std::lock_guard<std::mutex> lock(c->mu);
    c->stopping = true;
    if (c->fd >= 0) shutdown(c->fd, SHUT_RDWR);
  }
  c->cv.notify_all();
}

bool VmdSendRaw(VmdServer* s, uint32_t id, std::span<const uint8_t> bytes) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, id);
  if (!c) return false;
  VmdOut out{};
  out.bytes.assign(bytes.begin(), bytes.end());
  return VmdQueue(c.get(), std::move(out), 0, false);
}

bool VmdSendFrame(VmdServer* s, uint32_t id, std::span<const uint8_t> message) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, id);
  return c && VmdQueue(c.get(), VmdFrameOut(message), 0, false);
}

bool VmdReleaseWithheld(VmdServer* s, uint32_t id) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, id);
  if (!c) return false;
  std::vector<VmdOut> parked;
  {
    std::lock_guard<std::mutex> lock(c->mu);
    parked.swap(c->withheld);
    for (const VmdOut& o : parked)
      c->queued_bytes -= o.bytes.size();
  }
  for (VmdOut& o : parked)
    if (!VmdQueue(c.get(), std::move(o), 0, false)) return false;
  return true;
}
