// Character strings in all six sets: the record form and the text
// datatypes, both directions, and decoded sizes equal to what the
// decoders take.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_primitive.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes HostUnits(std::initializer_list<T> units) {
  Bytes b(units.size() * sizeof(T));
  size_t i = 0;
  for (T u : units)
    std::memcpy(b.data() + sizeof(T) * i++, &u, sizeof(T));
  return b;
}

struct TextCase {
  const char* name;
  uint8_t charset;
  uint16_t code_page;
  Bytes text;  // memory form, without terminator
  Bytes wire;
};

const std::vector<TextCase>& TextCases() {
  static const std::vector<TextCase> v = {
      {"ANSI empty", 0, 0, {}, {0x71, 0x00}},
      {"ANSI", 0, 0, {'a', 'b', 'c'}, {0x74, 0x00, 'a', 'b', 'c'}},
      {"ANSI long", 0, 0, Bytes(4, 'x'), {0x75, 0x05, 0x00, 'x', 'x', 'x', 'x'}},
      {"DBCS", 1, 932, {0x82, 0xA0}, {0x75, 0x05, 0x01, 0x03, 0xA4, 0x82, 0xA0}},
      {"DBCS lead last", 1, 932, {'a', 0x82}, {0x75, 0x05, 0x01, 0x03, 0xA4, 'a', 0x82}},
      {"DBCS empty", 1, 437, {}, {0x73, 0x01, 0x01, 0xB5}},
      {"JIS", 2, 0, {0x30, 0x42}, {0x73, 0x02, 0x30, 0x42}},
      {"UCS-4",
       3,
       0,
       HostUnits<uint32_t>({0x1F600, 0x41}),
       {0x75, 0x09, 0x03, 0x00, 0x01, 0xF6, 0x00, 0x00, 0x00, 0x00, 0x41}},
      {"UCS-2",
       4,
       0,
       HostUnits<uint16_t>({0x0041, 0x00E9}),
       {0x75, 0x05, 0x04, 0x00, 0x41, 0x00, 0xE9}},
      {"ISO 8859-1", 5, 0, {0xE9}, {0x72, 0x05, 0xE9}},
  };
  return v;
}

constexpr uint32_t Unit(uint8_t charset) { return charset == 3 ? 4 : charset == 4 ? 2 : 1; }

VelmoraCharString Record(const TextCase& c, int32_t length) {
  return {reinterpret_cast<const char*>(c.text.data()), length, c.code_page, c.charset};
}

TEST(PrimitiveText, RecordEncodesWithExplicitAndMeasuredLength) {
  for (const auto& c : TextCases()) {
    SCOPED_TRACE(c.name);
    Bytes terminated = c.text;
    terminated.resize(c.text.size() + Unit(c.charset), 0);
    for (int32_t length : {int32_t(c.text.size()), -1}) {
      VelmoraCharString s = Record(c, length);
      s.text = reinterpret_cast<const char*>(terminated.data());
      Bytes buf(c.wire.size() + 2, 0xAA);
      AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(c.wire.size()));
      ASSERT_EQ(AsnEncodeCharString(&s, &cur), ASN_OK) << length;
      EXPECT_EQ(Bytes(buf.begin(), buf.begin() + long(c.wire.size())), c.wire) << length;
      EXPECT_EQ(cur.current, buf.data() + c.wire.size());
      // One octet less room: refused, nothing at or past the end.
      Bytes small(c.wire.size(), 0xAA);
      cur = AsnCursorOver(small.data(), uint32_t(c.wire.size() - 1));
      EXPECT_EQ(AsnEncodeCharString(&s, &cur), ASN_NO_ROOM);
      EXPECT_EQ(small.back(), 0xAA);
    }
  }
}

TEST(PrimitiveText, RecordDecodesAndSizeMatchesWhatItTakes) {
  for (const auto& c : TextCases()) {
    SCOPED_TRACE(c.name);
    auto* wire = new uint8_t[c.wire.size()];
    std::memcpy(wire, c.wire.data(), c.wire.size());
    alignas(8) uint8_t block[128];
    std::memset(block, 0xEE, sizeof block);
    uint8_t* arena = block + sizeof block;
    AsnCursor cur = AsnCursorOver(wire, uint32_t(c.wire.size()));
    VelmoraCharString s{};
    AsnDecodeCharString(&cur, &s, &arena);
    EXPECT_EQ(cur.current, wire + c.wire.size());
    EXPECT_EQ(s.charset, c.charset);
    EXPECT_EQ(VelmoraCharStringGetCodePage(&s), c.code_page);
    ASSERT_EQ(s.length, int32_t(c.text.size()));
    EXPECT_EQ(Bytes(s.text, s.text + s.length), c.text);
    EXPECT_EQ(Bytes(s.text + s.length, s.text + s.length + Unit(c.charset)),
              Bytes(Unit(c.charset), 0));
    size_t taken = size_t(block + sizeof block - arena);
    EXPECT_EQ(AsnDecodedSizeCharString(wire, uint32_t(c.wire.size())), sizeof s + taken);
    delete[] wire;
  }
}

// The text datatype of each set: 13 + set.
struct TextCodec {
  AsnEncoder encode;
  AsnVariableDecoder decode;
  AsnDecodedSizeFn size;
};

const TextCodec kCodecs[6] = {
    {AsnEncodeAnsiText, AsnDecodeAnsiText, AsnDecodedSizeAnsiText},
    {nullptr, nullptr, AsnDecodedSizeDbcsText},
    {AsnEncodeJisText, AsnDecodeJisText, AsnDecodedSizeJisText},
    {AsnEncodeUcs4Text, AsnDecodeUcs4Text, AsnDecodedSizeUcs4Text},
    {AsnEncodeUcs2Text, AsnDecodeUcs2Text, AsnDecodedSizeUcs2Text},
    {AsnEncodeIso8859Text, AsnDecodeIso8859Text, AsnDecodedSizeIso8859Text},
};

TEST(PrimitiveText, TextDatatypesBothWays) {
  for (const auto& c : TextCases()) {
    SCOPED_TRACE(c.name);
    Bytes packed = c.text;
    packed.resize(c.text.size() + Unit(c.charset), 0);
    packed.push_back(0x7A);  // next text of the array
    VelmoraDbcsString dbcs{c.code_page, reinterpret_cast<const char*>(packed.data())};
    Bytes buf(c.wire.size(), 0xAA);
    AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(buf.size()));
    if (c.charset == VELMORA_CHARSET_DBCS) {
      ASSERT_EQ(AsnEncodeDbcsText(&dbcs, &cur), ASN_OK);
    } else {
      AsnTextSource src{packed.data(), uint32_t(packed.size())};
      ASSERT_EQ(kCodecs[c.charset].encode(&src, &cur), ASN_OK);
      EXPECT_EQ(src.data, packed.data() + packed.size() - 1);
      EXPECT_EQ(src.left, 1u);
      // Measuring only: same advance, nothing written.
      AsnTextSource measure{packed.data(), uint32_t(packed.size())};
      ASSERT_EQ(kCodecs[c.charset].encode(&measure, nullptr), ASN_OK);
      EXPECT_EQ(measure.data, src.data);
    }
    EXPECT_EQ(buf, c.wire);

    // The set-chosen encoder writes the same element.
    AsnTextSource any{packed.data(), uint32_t(packed.size())};
    if (c.charset == VELMORA_CHARSET_DBCS)
      any = {reinterpret_cast<const uint8_t*>(&dbcs), sizeof dbcs};
    int32_t expect_length = AsnCharStringElementLength(c.charset, &any);
    EXPECT_EQ(AsnCharStringLength(c.charset, &any), int32_t(c.text.size()));
    Bytes buf2(c.wire.size(), 0xAA);
    cur = AsnCursorOver(buf2.data(), uint32_t(buf2.size()));
    ASSERT_EQ(AsnEncodeCharsetText(c.charset, &any, &cur), ASN_OK);
    EXPECT_EQ(buf2, c.wire);
    EXPECT_EQ(expect_length, int32_t(c.wire.size()));

    // Decoding: what the decoder reports (or takes from the arena) is
    // what the size function says.
    auto* wire = new uint8_t[c.wire.size()];
    std::memcpy(wire, c.wire.data(), c.wire.size());
    alignas(8) uint8_t block[128];
    std::memset(block, 0xEE, sizeof block);
    cur = AsnCursorOver(wire, uint32_t(c.wire.size()));
    uint32_t size = kCodecs[c.charset].size(wire, uint32_t(c.wire.size()));
    if (c.charset == VELMORA_CHARSET_DBCS) {
      uint8_t* arena = block + sizeof block;
      VelmoraDbcsString out{};
      AsnDecodeDbcsText(&cur, &out, &arena);
      EXPECT_EQ(out.code_page, c.code_page);
      EXPECT_EQ(std::string(out.text), std::string(c.text.begin(), c.text.end()));
      EXPECT_EQ(size, sizeof out + size_t(block + sizeof block - arena));
    } else {
      uint32_t used = 0;
      kCodecs[c.charset].decode(&cur, block, nullptr, &used);
      EXPECT_EQ(used, size);
      Bytes expect = c.text;
      expect.resize(c.text.size() + Unit(c.charset), 0);
      EXPECT_EQ(Bytes(block, block + used), expect);
      EXPECT_EQ(block[used], 0xEE);
    }
    EXPECT_EQ(cur.current, wire + c.wire.size());

    // Into an arena block, as records holding names decode it.
    std::memset(block, 0xEE, sizeof block);
    uint8_t* arena = block + sizeof block;
    cur = AsnCursorOver(wire, uint32_t(c.wire.size()));
    uint8_t set = 99;
    void* text = nullptr;
    AsnDecodeCharStringAlloc(&cur, &set, &text, &arena);
    EXPECT_EQ(set, c.charset);
    EXPECT_EQ(size_t(block + sizeof block - arena), AsnCharStringTextLength(wire));
    EXPECT_EQ(cur.current, wire + c.wire.size());
    const uint8_t* t = static_cast<const uint8_t*>(text);
    if (c.charset == VELMORA_CHARSET_DBCS) {
      ASSERT_EQ(reinterpret_cast<uintptr_t>(text) % alignof(VelmoraDbcsString), 0u);
      auto* rec = static_cast<const VelmoraDbcsString*>(text);
      EXPECT_EQ(rec->code_page, c.code_page);
      t = reinterpret_cast<const uint8_t*>(rec->text);
    }
    EXPECT_EQ(Bytes(t, t + c.text.size()), c.text);
    delete[] wire;
  }
}

TEST(PrimitiveText, DbcsEndingInLeadOctetGetsTwoZeros) {
  const uint8_t wire[] = {0x75, 0x05, 0x01, 0x03, 0xA4, 'a', 0x82};
  EXPECT_EQ(AsnDecodedSizeDbcsText(wire, sizeof wire), sizeof(VelmoraDbcsString) + 4);
  uint8_t block[16];
  std::memset(block, 0xEE, sizeof block);
  uint8_t* arena = block + sizeof block;
  AsnCursor cur = AsnCursorOverConst(wire, sizeof wire);
  VelmoraDbcsString out{};
  AsnDecodeDbcsText(&cur, &out, &arena);
  EXPECT_EQ(arena, block + sizeof block - 4);
  EXPECT_EQ(0, std::memcmp(out.text, "a\x82\0\0", 4));
}

struct RefusedString {
  const char* name;
  VelmoraCharString s;
  int32_t status;
};

TEST(PrimitiveText, RecordRefusals) {
  static const char text[] = "abcdef";
  const RefusedString cases[] = {
      {"set 6 explicit length", {text, 3, 0, 6}, ASN_UNKNOWN_CHOICE},
      {"set 9 explicit length", {text, 3, 0, 9}, ASN_UNKNOWN_CHOICE},
      {"set 9 measured", {text, -1, 0, 9}, ASN_UNKNOWN_CHOICE},
      {"UCS-4 partial unit", {text, 6, 0, 3}, ASN_INVALID_VALUE},
      {"UCS-2 odd length", {text, 3, 0, 4}, ASN_INVALID_VALUE},
      {"text missing", {nullptr, 2, 0, 0}, ASN_BAD_BUFFER},
      {"text missing measured", {nullptr, -1, 0, 0}, ASN_BAD_BUFFER},
      {"length below -1", {text, -2, 0, 0}, ASN_BAD_BUFFER},
  };
  for (const auto& c : cases) {
    for (uint16_t tag : {uint16_t(0x70), uint16_t(0x1AF8)}) {
      uint8_t buf[16];
      std::memset(buf, 0xAA, sizeof buf);
      AsnCursor cur = AsnCursorOver(buf, sizeof buf);
      EXPECT_EQ(AsnEncodeTaggedCharString(&c.s, &cur, tag), c.status) << c.name;
      EXPECT_EQ(cur.current, buf) << c.name;
      EXPECT_EQ(buf[0], 0xAA) << c.name;
    }
  }
  VelmoraCharString ok{text, 1, 0, 0};
  uint8_t buf[1];
  AsnCursor none = AsnCursorOver(buf, 0);
  EXPECT_EQ(AsnEncodeCharString(&ok, &none), ASN_NO_ROOM);
  AsnCursor ctx = AsnCursorOver(buf, 0);
  VelmoraCharString bad{text, 1, 0, 9};
  EXPECT_EQ(AsnEncodeTaggedCharString(&bad, &ctx, 0x08), ASN_NO_ROOM);  // no room is found first
}

TEST(PrimitiveText, SourceRefusals) {
  const uint8_t unterminated[] = {'a', 'b', 'c'};
  const uint8_t ucs2_half[] = {'a', 0, 0};  // a zero octet, no whole zero unit
  uint8_t buf[16];
  const struct {
    const char* name;
    int32_t (*encode)(AsnTextSource*, AsnCursor*);
    AsnTextSource src;
    int32_t status;
  } cases[] = {
      {"ANSI no terminator",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeAnsiText(s, c); },
       {unterminated, 3},
       ASN_BAD_BUFFER},
      {"UCS-2 no zero unit",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeUcs2Text(s, c); },
       {ucs2_half, 3},
       ASN_BAD_BUFFER},
      {"UCS-4 no zero unit",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeUcs4Text(s, c); },
       {ucs2_half, 3},
       ASN_BAD_BUFFER},
      {"empty source",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeIso8859Text(s, c); },
       {nullptr, 0},
       ASN_BAD_BUFFER},
      {"set 6",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeCharsetText(6, s, c); },
       {unterminated, 3},
       ASN_UNKNOWN_CHOICE},
      {"tagged text UCS-4",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeTaggedText(s, c, 0x08, 3); },
       {unterminated, 3},
       ASN_UNKNOWN_CHOICE},
      {"DBCS pair too short",
       [](AsnTextSource* s, AsnCursor* c) { return AsnEncodeCharsetText(1, s, c); },
       {unterminated, 3},
       ASN_BAD_BUFFER},
  };
  for (const auto& c : cases) {
    AsnTextSource src = c.src;
    AsnCursor cur = AsnCursorOver(buf, sizeof buf);
    EXPECT_EQ(c.encode(&src, &cur), c.status) << c.name;
    EXPECT_EQ(cur.current, buf) << c.name;
    EXPECT_EQ(src.data, c.src.data) << c.name;
  }
  AsnTextSource src{unterminated, 3};
  EXPECT_EQ(AsnCharStringElementLength(0, &src), -1);
  EXPECT_EQ(AsnCharStringElementLength(6, &src), -1);
}

TEST(PrimitiveText, TaggedTextInContextTag) {
  const uint8_t packed[] = {'h', 'i', 0};
  AsnTextSource src{packed, 3};
  uint8_t buf[8];
  AsnCursor cur = AsnCursorOver(buf, sizeof buf);
  ASSERT_EQ(AsnEncodeTaggedText(&src, &cur, 0x28, 5), ASN_OK);
  const uint8_t expect[] = {0x2B, 0x05, 'h', 'i'};
  EXPECT_EQ(cur.current, buf + 4);
  EXPECT_EQ(0, std::memcmp(buf, expect, 4));
  EXPECT_EQ(src.left, 0u);
}

TEST(PrimitiveText, ElementLengthFollowsTheHeaderForms) {
  for (size_t n : {0, 3, 4, 252, 253, 65534, 65535}) {
    Bytes text(n, 'q');
    text.push_back(0);
    AsnTextSource src{text.data(), uint32_t(text.size())};
    int32_t length = AsnCharStringElementLength(0, &src);
    Bytes buf(size_t(length) + 8);
    AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(buf.size()));
    ASSERT_EQ(AsnEncodeAnsiText(&src, &cur), ASN_OK);
    EXPECT_EQ(cur.current - buf.data(), length) << n;
    EXPECT_EQ(AsnTagElementLength(buf.data()), uint32_t(length)) << n;
  }
}

struct DatatypeCase {
  const char* name;
  Bytes stream;
  int32_t code;
};

const DatatypeCase kDatatypes[] = {
    {"empty", {}, 13},
    {"one ANSI", {0x73, 0x00, 'a', 'b'}, 13},
    {"two DBCS", {0x74, 0x01, 0x03, 0xA4, 'a', 0x75, 0x05, 0x01, 0x03, 0xA4, 0x82, 0xA0}, 14},
    {"UCS-4", {0x75, 0x05, 0x03, 0x00, 0x00, 0x00, 0x41}, 16},
    {"UCS-2 second with zero unit",
     {0x73, 0x04, 0x00, 0x41, 0x75, 0x05, 0x04, 0x00, 0x41, 0x00, 0x00},
     7},
    {"UCS-2 zero octets but no zero unit", {0x75, 0x05, 0x04, 0x41, 0x00, 0x00, 0x42}, 17},
    {"ANSI with zero", {0x73, 0x00, 'a', 0x00}, 7},
    {"mixed sets", {0x72, 0x00, 'a', 0x72, 0x05, 'b'}, 7},
    {"ISO 8859-1 then closing tag", {0x72, 0x05, 'b', 0x3F, 0x72, 0x00, 'a'}, 18},
    {"set 6", {0x72, 0x06, 'a'}, -1},
    {"set 6 after a good one", {0x72, 0x00, 'a', 0x72, 0x06, 'a'}, -1},
};

TEST(PrimitiveText, DatatypeOfEncodedStrings) {
  for (const auto& c : kDatatypes) {
    AsnCursor cur = AsnCursorOverConst(c.stream.data(), uint32_t(c.stream.size()));
    EXPECT_EQ(AsnCharStringDatatype(&cur), c.code) << c.name;
    EXPECT_EQ(cur.current, c.stream.data()) << c.name;
  }
}

TEST(PrimitiveText, UnknownSetDecodesToRecordWithoutText) {
  const uint8_t wire[] = {0x73, 0x09, 'a', 'b'};
  EXPECT_EQ(AsnDecodedSizeCharString(wire, sizeof wire), sizeof(VelmoraCharString));
  EXPECT_EQ(AsnCharStringTextLength(wire), 0u);
  uint8_t* arena = nullptr;  // nothing may be taken
  AsnCursor cur = AsnCursorOverConst(wire, sizeof wire);
  VelmoraCharString s{"x", 1, 5, 0};
  AsnDecodeCharString(&cur, &s, &arena);
  EXPECT_EQ(s.charset, 9);
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.code_page, 0);
  EXPECT_EQ(cur.current, wire + sizeof wire);
}

}  // namespace
