// What the daemon counts as it goes, for the ioctls that report it: the
// message buffers of its PDU pool and each application's traffic.
#include <sys/socket.h>

#include <cstdio>
#include <string>

#include "daemon/vmd_internal.h"

VmdPduHold::VmdPduHold(VmdPduCounts* counts) : counts_(counts) {
  counts->allocated++;
  uint32_t now = ++counts->in_use;
  uint32_t peak = counts->peak.load();
  while (now > peak && !counts->peak.compare_exchange_weak(peak, now)) {
  }
}

VmdPduHold& VmdPduHold::operator=(VmdPduHold&& other) noexcept {
  if (this != &other) {
    if (counts_) counts_->in_use--;
    counts_ = other.counts_;
    other.counts_ = nullptr;
  }
  return *this;
}

VmdPduHold::~VmdPduHold() {
  if (counts_) counts_->in_use--;
}

namespace {

void Add(VmdConn* c, VmdAppStat stat, uint64_t n = 1) { c->app_stats[size_t(stat)] += uint32_t(n); }

}  // namespace

// A client's requests and their outcomes are its client side; the requests
// it receives and its answers to them its server side.
void VmdCountFrame(VmdConn* c, bool inbound, std::span<const uint8_t> m) {
  if (m.size() < 4) return;
  const uint16_t kind = IpcGet16(m, IPC_OFF_KIND);
  const bool ok = IpcGet16(m, IPC_OFF_STATUS) == 0;
  const size_t payload = IpcPayload(m).size();
  using S = VmdAppStat;
  if (inbound) {
    switch (kind) {
      case IPC_KIND_CONF_REQUEST:
      case IPC_KIND_UNCONF_REQUEST:
        Add(c, S::CliPduTr);
        Add(c, S::CliBytesTr, payload);
        break;
      case IPC_KIND_SERVER_ABORT:
        Add(c, S::SrvAborted);
        [[fallthrough]];
      case IPC_KIND_SERVER_ACK:
      case IPC_KIND_SERVER_ERROR:
      case IPC_KIND_SERVER_REJECT:
        Add(c, S::SrvPduTr);
        Add(c, S::SrvBytesTr, payload);
        break;
      default:
        break;
    }
    return;
  }
  switch (kind) {
    case IPC_KIND_CONF_REQUEST:  // its acknowledgement
      if (ok) Add(c, S::CliTransactions);
      break;
    case IPC_KIND_CANCEL:
      if (ok) Add(c, S::CliAborted);
      break;
    case IPC_KIND_CONFIRMATION: {
      Add(c, S::CliPduRx);
      Add(c, S::CliBytesRx, payload);
      uint16_t outcome = IpcGet16(m, IPC_OFF_OUTCOME);
      if (outcome == IPC_OUTCOME_ABORT) Add(c, S::CliAborted);
      if (outcome == IPC_OUTCOME_NO_ANSWER) Add(c, S::CliTimeouts);
      break;
    }
    case IPC_KIND_CONF_INDICATION:
      Add(c, S::SrvTransactions);
      [[fallthrough]];
    case IPC_KIND_UNCONF_INDICATION:
      Add(c, S::SrvPduRx);
      Add(c, S::SrvBytesRx, payload);
      break;
    case IPC_KIND_SERVER_ABORTED:
      Add(c, S::SrvAborted);
      break;
    default:
      break;
  }
}

std::string VmdPeerProgram(const VmdConn* c) {
  if (c->tcp) return "";
  ucred peer{};
  socklen_t len = sizeof peer;
  if (getsockopt(c->fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || peer.pid <= 0) return "";
  std::string path = "/proc/" + std::to_string(peer.pid) + "/comm";
  std::string name;
  if (FILE* f = fopen(path.c_str(), "r")) {
    char text[64] = {};
    if (fgets(text, sizeof text, f)) name = text;
    fclose(f);
  }
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}
