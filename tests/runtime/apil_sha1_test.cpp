// SHA-1 against the FIPS 180 test vectors, fed whole and in pieces that
// cross every block boundary.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/apil/sha1.h"

namespace {

std::string Hex(const uint8_t (&digest)[SHA1_DIGEST_SIZE]) {
  std::string out;
  char two[3];
  for (uint8_t b : digest) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

struct Vector {
  std::string message;
  const char* digest;
};

const Vector kVectors[] = {
    {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
};

TEST(ApilSha1, FipsVectors) {
  for (const Vector& v : kVectors) {
    uint8_t digest[SHA1_DIGEST_SIZE];
    Sha1Digest(reinterpret_cast<const uint8_t*>(v.message.data()), v.message.size(), digest);
    EXPECT_EQ(Hex(digest), v.digest) << v.message.size();
  }
}

TEST(ApilSha1, PiecesGiveTheSameDigest) {
  const std::string& m = kVectors[1].message;  // 56 octets: the padding takes a block of its own
  for (size_t piece : {1u, 3u, 55u, 56u, 63u, 64u}) {
    Sha1Context c;
    Sha1Init(&c);
    for (size_t at = 0; at < m.size(); at += piece)
      Sha1Update(&c, reinterpret_cast<const uint8_t*>(m.data()) + at,
                 std::min(piece, m.size() - at));
    uint8_t digest[SHA1_DIGEST_SIZE];
    Sha1Final(&c, digest);
    EXPECT_EQ(Hex(digest), kVectors[1].digest) << piece;
  }
}

}  // namespace
