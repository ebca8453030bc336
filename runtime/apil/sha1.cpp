#include "runtime/apil/sha1.h"

#include <cstring>

namespace {

constexpr uint32_t Rotl(uint32_t x, int n) { return x << n | x >> (32 - n); }

constexpr uint32_t kInitial[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};

}  // namespace

void Sha1Transform(uint32_t state[5], const uint8_t block[64]) {
  uint32_t w[80];
  for (int t = 0; t < 16; ++t)
    w[t] = uint32_t(block[4 * t]) << 24 | uint32_t(block[4 * t + 1]) << 16 |
           uint32_t(block[4 * t + 2]) << 8 | block[4 * t + 3];
  for (int t = 16; t < 80; ++t)
    w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = temp;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

void Sha1Init(Sha1Context* context) {
  std::memcpy(context->state, kInitial, sizeof kInitial);
  context->bits = 0;
  context->used = 0;
}

void Sha1Update(Sha1Context* context, const uint8_t* data, size_t length) {
  context->bits += uint64_t(length) * 8;
  while (length > 0) {
    size_t take = 64 - context->used;
    if (take > length) take = length;
    std::memcpy(context->block + context->used, data, take);
    context->used += uint32_t(take);
    data += take;
    length -= take;
    if (context->used == 64) {
      Sha1Transform(context->state, context->block);
      context->used = 0;
    }
  }
}

void Sha1Final(Sha1Context* context, uint8_t digest[SHA1_DIGEST_SIZE]) {
  const uint64_t bits = context->bits;
  uint8_t pad[72] = {0x80};
  // The padding ends with the length where the block has 8 octets left.
  size_t padLength = (context->used < 56 ? 56 : 120) - context->used;
  for (int i = 0; i < 8; ++i)
    pad[padLength + i] = uint8_t(bits >> (56 - 8 * i));
  Sha1Update(context, pad, padLength + 8);
  for (int i = 0; i < 5; ++i) {
    digest[4 * i] = uint8_t(context->state[i] >> 24);
    digest[4 * i + 1] = uint8_t(context->state[i] >> 16);
    digest[4 * i + 2] = uint8_t(context->state[i] >> 8);
    digest[4 * i + 3] = uint8_t(context->state[i]);
  }
}

void Sha1Digest(const uint8_t* data, size_t length, uint8_t digest[SHA1_DIGEST_SIZE]) {
  Sha1Context context;
  Sha1Init(&context);
  Sha1Update(&context, data, length);
  Sha1Final(&context, digest);
}
