// SHA-1 (FIPS 180-1), the key of the object-name index: a name is found by
// the digest of its encoded CharacterString.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t SHA1_DIGEST_SIZE = 20;

struct Sha1Context {
  uint32_t state[5];
  uint64_t bits;  // message length so far
  uint8_t block[64];
  uint32_t used;  // octets waiting in block
};

void Sha1Init(Sha1Context* context);
void Sha1Update(Sha1Context* context, const uint8_t* data, size_t length);
void Sha1Final(Sha1Context* context, uint8_t digest[SHA1_DIGEST_SIZE]);
// One 64-octet block into the state.
void Sha1Transform(uint32_t state[5], const uint8_t block[64]);
// The digest of one octet string.
void Sha1Digest(const uint8_t* data, size_t length, uint8_t digest[SHA1_DIGEST_SIZE]);
