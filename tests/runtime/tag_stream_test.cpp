// The tag stream codec against BACnet's encoding rules: headers with short,
// one-, two- and four-octet lengths and extended tag numbers, shortest
// integers, strings, and a cursor that no failed read moves.
#include "runtime/ioctl/tag_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Collects everything written; takes at most `limit` bytes in all.
struct VectorSink {
  TagStreamWriter writer{Write};
  Bytes bytes;
  size_t limit = SIZE_MAX;
  static bool Write(TagStreamWriter* w, const uint8_t* data, uint32_t count) {
    auto* s = reinterpret_cast<VectorSink*>(w);
    if (s->bytes.size() + count > s->limit) return false;
    s->bytes.insert(s->bytes.end(), data, data + count);
    return true;
  }
};

Bytes Written(const std::function<bool(TagStreamWriter*)>& write) {
  VectorSink sink;
  EXPECT_TRUE(write(&sink.writer));
  return sink.bytes;
}

TagCursor Over(const Bytes& b) { return {b.data(), uint32_t(b.size())}; }

std::string Hex(const Bytes& b) {
  std::string s;
  char octet[4];
  for (uint8_t v : b) {
    std::snprintf(octet, sizeof octet, "%02X ", v);
    s += octet;
  }
  return s;
}

Bytes Prefix(Bytes header, size_t contents) {
  header.resize(header.size() + contents, 0x5A);
  return header;
}

TEST(TagStreamTest, HeadersEncodeLengthsAndTagNumbersAsBacnetDoes) {
  const struct {
    uint16_t tag;
    uint32_t length;
    Bytes bytes;
    uint32_t readLength;  // as a read gives it back
  } cases[] = {
      {TAG_UNSIGNED, 4, {0x24}, 4},
      {TAG_OCTET_STRING, 5, {0x65, 0x05}, 5},
      {TAG_OCTET_STRING, 253, {0x65, 0xFD}, 253},
      {TAG_OCTET_STRING, 254, {0x65, 0xFE, 0x00, 0xFE}, 254},
      {TAG_OCTET_STRING, 65535, {0x65, 0xFE, 0xFF, 0xFF}, 65535},
      {TAG_OCTET_STRING, 65536, {0x65, 0xFF, 0x00, 0x01, 0x00, 0x00}, 65536},
      {TAG_OCTET_STRING, 0xFFFFFFFF, {0x65, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFF},
      {TagContext(1), 0, {0x18}, 0},
      {TagContext(14), 2, {0xEA}, 2},
      {TagContext(15), 1, {0xF9, 0x0F}, 1},
      {TagContext(254), 300, {0xFD, 0xFE, 0xFE, 0x01, 0x2C}, 300},
      {uint16_t(40 << 4), 3, {0xF3, 0x28}, 3},
      {TagOpening(2), 7, {0x2E}, 0},
      {TagClosing(2), 0, {0x2F}, 0},
      {TagOpening(20), 0, {0xFE, 0x14}, 0},
      {TAG_FALSE, 0, {0x10}, 0},
      {TAG_TRUE, 0, {0x11}, 0},
      {TAG_NULL, 0, {0x00}, 0},
  };
  for (const auto& c : cases) {
    Bytes out =
        Written([&](TagStreamWriter* w) { return TagStreamWriteHeader(w, c.tag, c.length); });
    EXPECT_EQ(Hex(out), Hex(c.bytes)) << c.tag << "/" << c.length;
    TagCursor cursor = Over(c.bytes);
    uint16_t tag = 0xFFFF;
    uint32_t length = 1;
    ASSERT_TRUE(TagCursorReadHeader(&cursor, &tag, &length)) << Hex(c.bytes);
    EXPECT_EQ(tag, c.tag) << Hex(c.bytes);
    EXPECT_EQ(length, c.readLength) << Hex(c.bytes);
    EXPECT_EQ(cursor.remaining, 0u);
  }
  VectorSink sink;
  EXPECT_FALSE(TagStreamWriteHeader(&sink.writer, uint16_t(255 << 4), 0));
  EXPECT_TRUE(sink.bytes.empty());
}

TEST(TagStreamTest, HeadersThatCannotBeReadAreRefused) {
  for (const Bytes& b : std::vector<Bytes>{
           {},
           {0xF8, 0xFF},  // extended tag number 255
           {0xF8},
           {0x26},  // length bits 6 and 7 belong to context tags
           {0x27},
           {0x65},
           {0x65, 0xFE, 0x01},
           {0x65, 0xFF, 0x00, 0x01, 0x00},
       }) {
    TagCursor cursor = Over(b);
    const TagCursor start = cursor;
    uint16_t tag;
    uint32_t length;
    EXPECT_FALSE(TagCursorReadHeader(&cursor, &tag, &length)) << Hex(b);
    EXPECT_EQ(cursor.next, start.next);
    EXPECT_EQ(cursor.remaining, start.remaining);
  }
}

TEST(TagStreamTest, IntegersTakeTheirShortestForm) {
  const struct {
    uint16_t tag;
    bool isSigned;
    int64_t value;
    uint32_t n;
    Bytes bytes;
  } cases[] = {
      {TAG_UNSIGNED, false, 0, 4, {0x21, 0x00}},
      {TAG_UNSIGNED, false, 255, 4, {0x21, 0xFF}},
      {TAG_UNSIGNED, false, 256, 4, {0x22, 0x01, 0x00}},
      {TAG_UNSIGNED, false, 0xFFFFFFFF, 4, {0x24, 0xFF, 0xFF, 0xFF, 0xFF}},
      {TAG_UNSIGNED, false, int64_t(1) << 40, 8, {0x25, 0x06, 0x01, 0, 0, 0, 0, 0}},
      {TAG_ENUMERATED, false, 0, 4, {0x91, 0x00}},
      {TAG_ENUMERATED, false, 256, 4, {0x92, 0x01, 0x00}},
      {TAG_SIGNED, true, 255, 4, {0x32, 0x00, 0xFF}},
      {TAG_SIGNED, true, -1, 4, {0x31, 0xFF}},
      {TAG_SIGNED, true, 127, 4, {0x31, 0x7F}},
      {TAG_SIGNED, true, 128, 4, {0x32, 0x00, 0x80}},
      {TAG_SIGNED, true, -128, 4, {0x31, 0x80}},
      {TAG_SIGNED, true, -129, 4, {0x32, 0xFF, 0x7F}},
      {TAG_SIGNED, true, INT32_MIN, 4, {0x34, 0x80, 0x00, 0x00, 0x00}},
      {TAG_SIGNED, true, -2, 1, {0x31, 0xFE}},
      {TagContext(0), false, 555, 4, {0x0A, 0x02, 0x2B}},
  };
  for (const auto& c : cases) {
    uint8_t le[8];
    for (uint32_t i = 0; i < 8; ++i)
      le[i] = uint8_t(uint64_t(c.value) >> (8 * i));
    Bytes out = Written(
        [&](TagStreamWriter* w) { return TagStreamWriteInteger(w, c.n, le, c.tag, c.isSigned); });
    EXPECT_EQ(Hex(out), Hex(c.bytes)) << c.value;
    TagCursor cursor = Over(c.bytes);
    uint8_t back[8];
    std::memset(back, 0xA5, sizeof back);
    ASSERT_TRUE(TagCursorReadInteger(&cursor, c.n, back, c.tag, c.isSigned)) << c.value;
    EXPECT_EQ(std::memcmp(back, le, c.n), 0) << c.value;
    EXPECT_EQ(back[c.n < 8 ? c.n : 7], c.n < 8 ? 0xA5 : le[7]);  // nothing past n bytes
    EXPECT_EQ(cursor.remaining, 0u);
  }
  uint8_t one = 1;
  VectorSink sink;
  EXPECT_FALSE(TagStreamWriteInteger(&sink.writer, 0, &one, TAG_UNSIGNED, false));
  EXPECT_FALSE(TagStreamWriteInteger(&sink.writer, 0x80000000u, &one, TAG_UNSIGNED, false));
}

TEST(TagStreamTest, OneOctetEightyIsMinus128SignedAnd128Unsigned) {
  const Bytes s = {0x31, 0x80}, u = {0x21, 0x80};
  TagCursor cs = Over(s), cu = Over(u);
  int32_t sv = 0;
  uint32_t uv = 0;
  ASSERT_TRUE(TagCursorReadS32(&cs, TAG_SIGNED, &sv));
  ASSERT_TRUE(TagCursorReadU32(&cu, TAG_UNSIGNED, &uv));
  EXPECT_EQ(sv, -128);
  EXPECT_EQ(uv, 128u);
}

TEST(TagStreamTest, StringsCarryTheirExtraOctet) {
  const uint8_t text[] = {'a', 'b', 'c'};
  EXPECT_EQ(Hex(Written([&](TagStreamWriter* w) { return TagStreamWriteCharString(w, 3, text); })),
            "74 00 61 62 63 ");
  EXPECT_EQ(
      Hex(Written([&](TagStreamWriter* w) { return TagStreamWriteCharString(w, 0, nullptr); })),
      "71 00 ");
  EXPECT_EQ(Hex(Written([&](TagStreamWriter* w) { return TagStreamWriteOctetString(w, 3, text); })),
            "63 61 62 63 ");
  EXPECT_EQ(
      Hex(Written([&](TagStreamWriter* w) { return TagStreamWriteOctetString(w, 0, nullptr); })),
      "60 ");
  EXPECT_EQ(
      Hex(Written([&](TagStreamWriter* w) { return TagStreamWriteBitString(w, 2, 3, text); })),
      "83 03 61 62 ");
  VectorSink sink;
  EXPECT_FALSE(TagStreamWriteCharString(&sink.writer, 0xFFFFFFFF, text));
  EXPECT_FALSE(TagStreamWriteCharString(&sink.writer, 1, nullptr));
  EXPECT_FALSE(TagStreamWriteBitString(&sink.writer, 0xFFFFFFFF, 0, text));
  EXPECT_TRUE(sink.bytes.empty());

  const Bytes all = {0x74, 0x00, 'a', 'b', 'c', 0x63, 'x', 'y', 'z', 0x83, 0x03, 0xF0, 0x0F};
  TagCursor c = Over(all);
  uint32_t length = 0;
  const uint8_t* p = nullptr;
  uint8_t unused = 0;
  ASSERT_TRUE(TagCursorReadCharString(&c, &length, &p));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), length), "abc");
  ASSERT_TRUE(TagCursorReadOctetString(&c, &length, &p));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), length), "xyz");
  ASSERT_TRUE(TagCursorReadBitString(&c, &length, &unused, &p));
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(unused, 3);
  EXPECT_EQ(p, all.data() + 11);
  EXPECT_EQ(c.remaining, 0u);

  const Bytes otherSet = {0x72, 0x04, 'a'};
  c = Over(otherSet);
  EXPECT_FALSE(TagCursorReadCharString(&c, &length, &p));
  EXPECT_EQ(c.remaining, 3u);
}

TEST(TagStreamTest, BooleansAreApplicationTagOne) {
  const Bytes b = {0x11, 0x10, 0x12, 0x19};
  TagCursor c = Over(b);
  uint8_t v = 9;
  ASSERT_TRUE(TagCursorReadBoolean(&c, &v));
  EXPECT_EQ(v, 1);
  ASSERT_TRUE(TagCursorReadBoolean(&c, &v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(TagCursorReadBoolean(&c, &v));  // length bits set
  EXPECT_EQ(c.remaining, 2u);
}

// Every reader over every truncation of a value it would read whole: each
// fails and leaves the cursor as it was. So do readers of another type.
TEST(TagStreamTest, NoFailedReadMovesTheCursor) {
  using Reader = std::function<bool(TagCursor*)>;
  uint8_t scratch[8];
  uint32_t length;
  const uint8_t* p;
  uint8_t byte;
  uint16_t tag;
  const struct {
    const char* name;
    Reader read;
    Bytes whole;
  } readers[] = {
      {"byte", [&](TagCursor* c) { return TagCursorReadByte(c, &byte); }, {0x42}},
      {"header",
       [&](TagCursor* c) { return TagCursorReadHeader(c, &tag, &length); },
       {0xFD, 0x20, 0xFF, 0x00, 0x01, 0x00, 0x00}},
      {"boolean", [&](TagCursor* c) { return TagCursorReadBoolean(c, &byte); }, {0x11}},
      {"unsigned",
       [&](TagCursor* c) { return TagCursorReadInteger(c, 4, scratch, TAG_UNSIGNED, false); },
       {0x24, 1, 2, 3, 4}},
      {"signed",
       [&](TagCursor* c) { return TagCursorReadInteger(c, 8, scratch, TAG_SIGNED, true); },
       {0x35, 0x06, 0x80, 0, 0, 0, 0, 1}},
      {"char string", [&](TagCursor* c) { return TagCursorReadCharString(c, &length, &p); },
       Prefix({0x75, 0x06, 0x00}, 5)},
      {"octet string", [&](TagCursor* c) { return TagCursorReadOctetString(c, &length, &p); },
       Prefix({0x65, 0xFE, 0x01, 0x00}, 256)},
      {"bit string",
       [&](TagCursor* c) { return TagCursorReadBitString(c, &length, &byte, &p); },
       {0x83, 0x02, 0xFF, 0xC0}},
  };
  for (const auto& r : readers) {
    for (size_t k = 0; k <= r.whole.size(); ++k) {
      Bytes part(r.whole.begin(), r.whole.begin() + long(k));
      TagCursor c = Over(part);
      bool ok = r.read(&c);
      if (k == r.whole.size()) {
        EXPECT_TRUE(ok) << r.name;
        EXPECT_EQ(c.remaining, 0u) << r.name;
      } else {
        EXPECT_FALSE(ok) << r.name << " over " << k << " octets";
        EXPECT_EQ(c.next, part.data()) << r.name << " over " << k;
        EXPECT_EQ(c.remaining, k) << r.name << " over " << k;
      }
    }
    for (const auto& other : readers) {
      if (&other == &r || std::string(r.name) == "byte" || std::string(r.name) == "header")
        continue;
      TagCursor c = Over(other.whole);
      if (!r.read(&c)) {
        EXPECT_EQ(c.next, other.whole.data()) << r.name << " of " << other.name;
        EXPECT_EQ(c.remaining, other.whole.size()) << r.name << " of " << other.name;
      }
    }
  }
  // Too long for the target, or another tag.
  const Bytes five = {0x25, 0x05, 1, 2, 3, 4, 5};
  TagCursor c = Over(five);
  EXPECT_FALSE(TagCursorReadInteger(&c, 4, scratch, TAG_UNSIGNED, false));
  EXPECT_FALSE(TagCursorReadInteger(&c, 8, scratch, TAG_ENUMERATED, false));
  EXPECT_EQ(c.remaining, five.size());
  const Bytes empty = {0x20};
  c = Over(empty);
  EXPECT_FALSE(TagCursorReadInteger(&c, 4, scratch, TAG_UNSIGNED, false));
  EXPECT_EQ(c.remaining, 1u);
}

TEST(TagStreamTest, ARefusingSinkStopsTheWriter) {
  const uint8_t text[300] = {};
  for (size_t limit : {0, 1, 3, 4, 100}) {
    VectorSink sink;
    sink.limit = limit;
    EXPECT_FALSE(TagStreamWriteOctetString(&sink.writer, sizeof text, text)) << limit;
    EXPECT_LE(sink.bytes.size(), limit);
  }
  // The buffer sink takes a write whole or not at all.
  uint8_t room[4];
  TagStreamBufferSink buffer;
  TagStreamBufferSinkInit(&buffer, room, sizeof room);
  EXPECT_TRUE(TagStreamWriteU32(&buffer.writer, TAG_UNSIGNED, 0x1234));
  EXPECT_FALSE(TagStreamWriteOctetString(&buffer.writer, 1, text));
  EXPECT_EQ(buffer.length, 4u);
  EXPECT_FALSE(TagStreamWriteByte(&buffer.writer, 0x2F));
  EXPECT_EQ(Hex(Bytes(room, room + 4)), "22 12 34 61 ");
}

}  // namespace
