#include "bacnet/records_session.h"

#include <cstring>

#include "bacnet/record_accessors.h"

// VT session.

using VS = VelmoraVtSession;

bool VelmoraVtSessionInit(VS* s, uint8_t local_id, uint8_t remote_id,
                          const VelmoraAddress* remote_address) {
  if (!s || !remote_address) return false;
  *s = {local_id, remote_id, *remote_address};
  return true;
}
RECORD_SET(VelmoraVtSessionSetLocalId, VS, uint8_t, r->local_id = v)
RECORD_GET(uint8_t, VelmoraVtSessionGetLocalId, VS, 0, r->local_id)
RECORD_SET(VelmoraVtSessionSetRemoteId, VS, uint8_t, r->remote_id = v)
RECORD_GET(uint8_t, VelmoraVtSessionGetRemoteId, VS, 0, r->remote_id)
RECORD_PUT(VelmoraVtSessionSetRemoteAddress, VS, VelmoraAddress, r->remote_address = *v)
RECORD_ADDRESS(VelmoraAddress, VelmoraVtSessionGetRemoteAddress, VS, r->remote_address)
RECORD_COPY(VelmoraVtSessionCopy, VS)

// Session key.

using SK = VelmoraSessionKey;

bool VelmoraSessionKeyInit(SK* k, const uint8_t* key, const VelmoraAddress* peer_address) {
  return key && peer_address && VelmoraSessionKeySetKey(k, key) &&
         VelmoraSessionKeySetPeerAddress(k, peer_address);
}
RECORD_PUT(VelmoraSessionKeySetKey, SK, uint8_t, std::memcpy(r->key, v, sizeof r->key))
RECORD_ADDRESS(uint8_t, VelmoraSessionKeyGetKey, SK, r->key[0])
RECORD_PUT(VelmoraSessionKeySetPeerAddress, SK, VelmoraAddress, r->peer_address = *v)
RECORD_ADDRESS(VelmoraAddress, VelmoraSessionKeyGetPeerAddress, SK, r->peer_address)
RECORD_COPY(VelmoraSessionKeyCopy, SK)
