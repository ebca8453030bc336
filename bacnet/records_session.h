// Virtual-terminal session and session key records. Neither holds a
// pointer.
#pragma once

#include <cstdint>

#include "bacnet/records.h"

inline constexpr uint32_t VELMORA_SESSION_KEY_BYTES = 8;

struct VelmoraVtSession {
  uint8_t local_id;
  uint8_t remote_id;
  VelmoraAddress remote_address;
};

struct VelmoraSessionKey {
  uint8_t key[VELMORA_SESSION_KEY_BYTES];
  VelmoraAddress peer_address;
};

// VT session.
bool VelmoraVtSessionInit(VelmoraVtSession* s, uint8_t local_id, uint8_t remote_id,
                          const VelmoraAddress* remote_address);
bool VelmoraVtSessionSetLocalId(VelmoraVtSession* s, uint8_t local_id);
uint8_t VelmoraVtSessionGetLocalId(const VelmoraVtSession* s);
bool VelmoraVtSessionSetRemoteId(VelmoraVtSession* s, uint8_t remote_id);
uint8_t VelmoraVtSessionGetRemoteId(const VelmoraVtSession* s);
bool VelmoraVtSessionSetRemoteAddress(VelmoraVtSession* s, const VelmoraAddress* address);
VelmoraAddress* VelmoraVtSessionGetRemoteAddress(VelmoraVtSession* s);
const VelmoraAddress* VelmoraVtSessionGetRemoteAddress(const VelmoraVtSession* s);
bool VelmoraVtSessionCopy(VelmoraVtSession* dst, const VelmoraVtSession* src);

// Session key: the key is copied, eight bytes.
bool VelmoraSessionKeyInit(VelmoraSessionKey* k, const uint8_t* key,
                           const VelmoraAddress* peer_address);
bool VelmoraSessionKeySetKey(VelmoraSessionKey* k, const uint8_t* key);
uint8_t* VelmoraSessionKeyGetKey(VelmoraSessionKey* k);
const uint8_t* VelmoraSessionKeyGetKey(const VelmoraSessionKey* k);
bool VelmoraSessionKeySetPeerAddress(VelmoraSessionKey* k, const VelmoraAddress* address);
VelmoraAddress* VelmoraSessionKeyGetPeerAddress(VelmoraSessionKey* k);
const VelmoraAddress* VelmoraSessionKeyGetPeerAddress(const VelmoraSessionKey* k);
bool VelmoraSessionKeyCopy(VelmoraSessionKey* dst, const VelmoraSessionKey* src);
