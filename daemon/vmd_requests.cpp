// Requests the daemon sends to a client (0x0700, 0x0701, 0x0600), the
// answer scripts and handlers, and the per-client state tests read back.
#include <algorithm>

#include "bacnet/bacnet_enums.h"
#include "daemon/vmd_internal.h"

namespace {

std::vector<uint8_t> Indication(uint16_t kind, const VmdIncoming& rq) {
  std::vector<uint8_t> m(IPC_PAYLOAD_OFFSET + rq.payload.size(), 0);
  IpcPut16(m, IPC_OFF_KIND, kind);
  IpcTxnParamsWrite(m, rq.params);
  IpcPut32(m, IPC_OFF_PAYLOAD_LEN, uint32_t(rq.payload.size()));
  std::copy(rq.payload.begin(), rq.payload.end(), m.begin() + IPC_PAYLOAD_OFFSET);
  return m;
}

}  // namespace

bool VmdGetClient(VmdServer* s, uint32_t conn, VmdClientInfo* out) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, conn);
  if (!c) return false;
  std::lock_guard<std::mutex> lock(c->mu);
  const VmdClient& cl = c->client;
  *out = VmdClientInfo{};
  out->registered = cl.registered;
  out->user = cl.user;
  out->port_id = cl.port_id;
  out->cli_pool = cl.cli_pool;
  out->srv_pool = cl.srv_pool;
  out->apdu_timeout = cl.apdu_timeout;
  out->retries = cl.retries;
  out->segmentation = cl.segmentation;
  out->window = cl.window;
  out->max_seg_accepted = cl.max_seg_accepted;
  out->seg_timeout = cl.seg_timeout;
  out->max_process_ids = cl.max_process_ids;
  out->params_mask = cl.params.mask;
  out->param_segmentation = cl.params.segmentation;
  out->param_apdu_length = cl.params.apduLength;
  out->param_max_segs = cl.params.maxSegs;
  out->param_window = cl.params.window;
  out->param_seg_timeout = cl.params.segTimeout;
  out->param_apdu_timeout = cl.params.apduTimeout;
  out->param_retries = cl.params.retries;
  out->process_ids = cl.process_ids;
  out->value_all = cl.value_all;
  out->values = cl.values;
  out->open_server_transactions = cl.server_open.size();
  return true;
}

void VmdScriptAdd(VmdServer* s, const VmdScriptRule& rule) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.scripts.push_back(rule);
}

void VmdScriptClear(VmdServer* s) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.scripts.clear();
}

void VmdSetConfirmedHandler(VmdServer* s, VmdConfirmedHandler handler) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.confirmed_handler = std::move(handler);
}

void VmdSetUnconfirmedHandler(VmdServer* s, VmdUnconfirmedHandler handler) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.unconfirmed_handler = std::move(handler);
}

void VmdSetIoctlHandler(VmdServer* s, VmdIoctlHandler handler) {
  std::lock_guard<std::mutex> lock(s->links.mu);
  s->links.ioctl_handler = std::move(handler);
}

VmdIncoming VmdIncomingDefaults(VmdServer* s) {
  VmdIncoming rq{};
  IpcTxnParams& p = rq.params;
  p.priority = 0;
  p.service = BACNET_SERVICE_READ_PROPERTY;
  p.local = s->config.site.local;
  p.local.netPresent = 0;
  p.local.net = 0;
  p.remote.kind = 130;
  p.remote.macLen = 1;
  p.remote.mac[0] = 0x0a;
  p.apduTimeout = 6000;
  p.retries = 3;
  p.maxApdu = 1476;
  p.segAccepted = 1;
  p.window = 1;
  p.segmentation = 3;
  p.maxSegs = 0xFFFFFFFFu;
  p.segTimeout = 5000;
  return rq;
}

bool VmdSendConfirmed(VmdServer* s, uint32_t conn, const VmdIncoming& rq, uint32_t* index,
                      uint32_t* identifier) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, conn);
  if (!c) return false;
  uint32_t idx = 0, id = 0;
  std::lock_guard<std::mutex> order(c->server_index_mu);
  {
    std::lock_guard<std::mutex> lock(c->mu);
    VmdClient& cl = c->client;
    while (idx < cl.srv_pool && cl.server_open.count(idx))
      ++idx;
    if (!cl.registered || idx >= cl.srv_pool) return false;
    do {
      id = ++cl.next_server_id;
    } while (id == 0);
    cl.server_open[idx] = id;
  }
  std::vector<uint8_t> m = Indication(IPC_KIND_CONF_INDICATION, rq);
  IpcPut32(m, IPC_OFF_TSM_INDEX, idx);
  IpcPut32(m, IPC_OFF_TSM_ID, id);
  if (!VmdQueue(c.get(), VmdFrameOut(m), 0, false)) {
    std::lock_guard<std::mutex> lock(c->mu);
    c->client.server_open.erase(idx);
    return false;
  }
  if (index) *index = idx;
  if (identifier) *identifier = id;
  return true;
}

std::vector<uint8_t> VmdUnconfirmedMessage(const VmdIncoming& rq) {
  std::vector<uint8_t> m = Indication(IPC_KIND_UNCONF_INDICATION, rq);
  IpcZero(m, IPC_OFF_APDU_TIMEOUT, IPC_OFF_PAYLOAD_LEN);
  return m;
}

bool VmdSendUnconfirmed(VmdServer* s, uint32_t conn, const VmdIncoming& rq) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, conn);
  if (!c) return false;
  return VmdQueue(c.get(), VmdFrameOut(VmdUnconfirmedMessage(rq)), 0, false);
}

bool VmdSendAbort(VmdServer* s, uint32_t conn, uint32_t index, uint32_t identifier) {
  std::shared_ptr<VmdConn> c = VmdFindConn(&s->links, conn);
  if (!c) return false;
  std::vector<uint8_t> m(IPC_PAYLOAD_OFFSET + 1, 0);
  IpcPut16(m, IPC_OFF_KIND, IPC_KIND_SERVER_ABORTED);
  IpcPut32(m, IPC_OFF_TSM_INDEX, index);
  IpcPut32(m, IPC_OFF_TSM_ID, identifier);
  IpcPut32(m, IPC_OFF_PAYLOAD_LEN, 1);
  return VmdQueue(c.get(), VmdFrameOut(m), 0, false);
}
