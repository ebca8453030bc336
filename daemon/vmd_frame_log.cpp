// The frame log: every frame of every link, both ways, the last of them
// kept for tests.
#include "daemon/vmd_internal.h"
#include "runtime/ipc/ipc_frame.h"

namespace {

constexpr size_t kFramesKeep = 4000;
constexpr size_t kFrameBytesKeep = 32u << 20;

}  // namespace

void VmdRecordFrame(VmdServer* s, VmdConn* conn, bool inbound, std::span<const uint8_t> m) {
  VmdCountFrame(conn, inbound, m);
  if (!s->config.frame_log) return;
  VmdFrame f{};
  f.conn = conn->id;
  f.user = conn->user.load();
  f.inbound = inbound;
  f.length = uint32_t(m.size());
  f.kind = IpcGet16(m, IPC_OFF_KIND);
  f.status = IpcGet16(m, IPC_OFF_STATUS);
  f.index = IpcGet32(m, IPC_OFF_TSM_INDEX);
  f.identifier = IpcGet32(m, IPC_OFF_TSM_ID);
  f.bytes.assign(m.begin(), m.end());
  std::lock_guard<std::mutex> lock(s->frames.mu);
  f.seq = ++s->frames.seq;
  s->frames.bytes += f.bytes.size();
  s->frames.items.push_back(std::move(f));
  while (s->frames.items.size() > kFramesKeep ||
         (s->frames.items.size() > 1 && s->frames.bytes > kFrameBytesKeep)) {
    s->frames.bytes -= s->frames.items.front().bytes.size();
    s->frames.items.pop_front();
  }
  s->frames.cv.notify_all();
}

std::vector<VmdFrame> VmdFrames(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->frames.mu);
  return {s->frames.items.begin(), s->frames.items.end()};
}

bool VmdWaitFrame(VmdServer* s, const std::function<bool(const VmdFrame&)>& match, int timeout_ms,
                  VmdFrame* out, uint64_t after) {
  std::unique_lock<std::mutex> lock(s->frames.mu);
  return s->frames.cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const VmdFrame& f : s->frames.items) {
      if (f.seq > after && match(f)) {
        if (out) *out = f;
        return true;
      }
    }
    return false;
  });
}
