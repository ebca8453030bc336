// The daemon's links as tests and ioctls see them: finding and waiting for
// connections, dropping one, the behaviour the links are answered with, and
// the counters.
#include "daemon/vmd_internal.h"

std::shared_ptr<VmdConn> VmdFindConn(VmdLinks* links, uint32_t id) {
  std::lock_guard<std::mutex> lock(links->mu);
  std::shared_ptr<VmdConn> best;
  for (auto& c : links->conns) {
    if (id != 0 && c->id == id) return c;
    if (id == 0 && !c->ended.load() && (!best || c->id > best->id)) best = c;
  }
  return best;
}

bool VmdWaitAccepted(VmdServer* s, uint32_t n, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->links.mu);
  return s->links.cv.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                              [&] { return s->links.next_conn > n; });
}

bool VmdWaitEnded(VmdServer* s, uint32_t id, int timeout_ms) {
  std::unique_lock<std::mutex> lock(s->links.mu);
  return s->links.cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    if (id == 0 || id >= s->links.next_conn) return false;
    for (auto& c : s->links.conns)
      if (c->id == id) return c->ended.load();
    return true;  // reaped
  });
}

bool VmdDrop(VmdServer* s, uint32_t id) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, id);
  if (!c || c->ended.load()) return false;
  c->dropped = true;
  VmdConnShutdown(c.get());
  return true;
}

VmdBehaviour VmdGetBehaviour(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  return s->links.behaviour;
}

void VmdSetBehaviour(VmdServer* s, const VmdBehaviour& b) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.behaviour = b;
}

VmdStats VmdGetStats(VmdServer* s) {
  VmdStats st{};
  st.start_time = s->start_time;
  std::lock_guard<std::mutex> lock(s->links.mu);
  st.accepted = s->links.accepted.load();
  st.closed = s->links.closed.load();
  st.lost = s->links.lost.load();
  st.incoming = s->links.incoming.load();
  st.registered = s->links.registered.load();
  st.disconnected = s->links.disconnected.load();
  for (auto& c : s->links.conns) {
    if (c->ended.load()) continue;
    st.apps.push_back({c->id, c->user.load(), c->bytes_read.load(), c->bytes_written.load(),
                       c->buffers_read.load(), c->buffers_written.load(), c->calls_read.load(),
                       c->calls_written.load()});
  }
  return st;
}

int VmdKindSlot(uint16_t kind) {
  for (size_t i = 0; i < kVmdClientKindCount; ++i)
    if (kVmdClientKinds[i] == kind) return int(i);
  return -1;
}

VmdKindRule& VmdRule(VmdBehaviour* b, uint16_t kind) {
  int slot = VmdKindSlot(kind);
  return b->rules[slot < 0 ? 0 : slot];
}
