// Random values of every primitive: encode, measure, skip and decode agree,
// and a cursor with too little room is refused without a write past it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "bacnet/asn_primitive.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Case {
  std::function<int32_t(AsnCursor*)> encode;
  std::function<void(const uint8_t* element, uint32_t length)> check;  // decodes and compares
};

class Gen {
 public:
  explicit Gen(uint32_t seed) : rng_(seed) {}
  // Values spread over every octet length, boundaries included.
  uint32_t Wide() {
    uint32_t bits = Below(33);
    uint32_t ones = bits == 32 ? 0xFFFFFFFF : (1u << bits) - 1;
    switch (Below(3)) {
      case 0:
        return ones;  // largest of its length
      case 1:
        return ones + 1;  // smallest of the next
      default:
        return rng_() & ones;
    }
  }
  uint32_t Below(uint32_t n) { return uint32_t(rng_() % n); }
  uint8_t NonZero() { return uint8_t(1 + Below(255)); }
  std::mt19937& rng() { return rng_; }

 private:
  std::mt19937 rng_;
};

template <typename T>
T DecodeScalar(void (*decode)(AsnCursor*, void*), const uint8_t* e, uint32_t n) {
  AsnCursor c = AsnCursorOverConst(e, n);
  T out{};
  decode(&c, &out);
  EXPECT_EQ(c.current, e + n);
  return out;
}

// Real and Double from random bits: every NaN is sent as the one quiet NaN
// with all mantissa bits set; any other value comes back bit for bit.
template <typename F, typename B>
Case FloatCase(B bits, int32_t (*encode)(const void*, AsnCursor*),
               void (*decode)(AsnCursor*, void*)) {
  F v = std::bit_cast<F>(bits);
  B expect = std::isnan(v) ? std::numeric_limits<B>::max() >> 1 : bits;
  return {[v, encode](AsnCursor* c) { return encode(&v, c); },
          [expect, decode](const uint8_t* e, uint32_t n) {
            EXPECT_EQ(std::bit_cast<B>(DecodeScalar<F>(decode, e, n)), expect);
          }};
}

Case MakeCase(Gen& g, std::vector<Bytes>& keep) {
  switch (g.Below(12)) {
    case 0: {
      uint32_t v = g.Wide();
      return {[v](AsnCursor* c) { return AsnEncodeUnsigned(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                EXPECT_EQ(DecodeScalar<uint32_t>(AsnDecodeUnsigned, e, n), v);
              }};
    }
    case 1: {
      int32_t v = int32_t(g.Wide());
      if (g.Below(2)) v = -v - 1;
      return {[v](AsnCursor* c) { return AsnEncodeSigned(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                EXPECT_EQ(DecodeScalar<int32_t>(AsnDecodeSigned, e, n), v);
              }};
    }
    case 2:
      return FloatCase<float, uint32_t>(g.rng()(), AsnEncodeReal, AsnDecodeReal);
    case 3:
      return FloatCase<double, uint64_t>(uint64_t(g.rng()()) << 32 | g.rng()(), AsnEncodeDouble,
                                         AsnDecodeDouble);
    case 4: {
      VelmoraDate v{uint16_t(g.Below(5) ? 1900 + g.Below(255) : 0xFFFF), g.Below(15),
                    uint8_t(g.Below(5) ? 1 + g.Below(32) : 255), g.Below(8)};
      return {[v](AsnCursor* c) { return AsnEncodeDate(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                auto d = DecodeScalar<VelmoraDate>(AsnDecodeDate, e, n);
                EXPECT_TRUE(d.year == v.year && d.month == v.month && d.day == v.day &&
                            d.day_of_week == v.day_of_week);
              }};
    }
    case 5: {
      auto f = [&g](uint32_t max) { return uint8_t(g.Below(6) ? g.Below(max + 1) : 255); };
      VelmoraTime v{f(23), f(59), f(59), f(99)};
      return {[v](AsnCursor* c) { return AsnEncodeTime(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                auto t = DecodeScalar<VelmoraTime>(AsnDecodeTime, e, n);
                EXPECT_EQ(0, std::memcmp(&t, &v, sizeof t));
              }};
    }
    case 6: {
      VelmoraObjectId v{g.Below(1024), g.Wide() & VELMORA_MAX_INSTANCE};
      return {[v](AsnCursor* c) { return AsnEncodeObjectId(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                auto id = DecodeScalar<VelmoraObjectId>(AsnDecodeObjectId, e, n);
                EXPECT_TRUE(id.type == v.type && id.instance == v.instance);
              }};
    }
    case 7: {
      VelmoraBitString v{};
      VelmoraBitStringInit(&v, g.Below(81));
      for (uint32_t i = 0; i < v.count; ++i)
        VelmoraBitStringSetBit(&v, i, uint8_t(g.Below(2)));
      return {[v](AsnCursor* c) { return AsnEncodeBitString(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                auto b = DecodeScalar<VelmoraBitString>(AsnDecodeBitString, e, n);
                EXPECT_EQ(b.count, v.count);
                EXPECT_EQ(0, std::memcmp(b.bits, v.bits, (v.count + 7) / 8));
              }};
    }
    case 8: {
      VelmoraWeekNDay v{g.Below(15), g.Below(7) ? int32_t(1 + g.Below(6)) : -1, g.Below(8)};
      return {[v](AsnCursor* c) { return AsnEncodeWeekNDay(&v, c); },
              [v](const uint8_t* e, uint32_t n) {
                auto w = DecodeScalar<VelmoraWeekNDay>(AsnDecodeWeekNDay, e, n);
                EXPECT_TRUE(w.month == v.month && w.week_of_month == v.week_of_month &&
                            w.day_of_week == v.day_of_week);
              }};
    }
    case 9: {
      keep.emplace_back(g.Below(4) ? g.Below(300) : g.Below(5));
      Bytes& data = keep.back();
      for (auto& b : data)
        b = uint8_t(g.rng()());
      VelmoraOctetString v{data.empty() ? nullptr : data.data(), uint32_t(data.size()),
                           uint32_t(data.size())};
      return {[v](AsnCursor* c) { return AsnEncodeOctetString(&v, c); },
              [data](const uint8_t* e, uint32_t n) {
                std::vector<uint8_t> block(AsnDecodedSizeOctetString(e, n));
                uint8_t* arena = block.data() + block.size();
                VelmoraOctetString out{};
                AsnCursor c = AsnCursorOverConst(e, n);
                AsnDecodeOctetString(&c, &out, &arena);
                EXPECT_EQ(c.current, e + n);
                EXPECT_EQ(arena, block.data() + sizeof out);
                EXPECT_EQ(Bytes(out.data, out.data + out.length), data);
              }};
    }
    case 10: {
      uint8_t b = uint8_t(g.rng()());
      return {[b](AsnCursor* c) { return AsnEncodeBoolean(&b, c); },
              [b](const uint8_t* e, uint32_t n) {
                EXPECT_EQ(DecodeScalar<uint8_t>(AsnDecodeBoolean, e, n), b != 0 ? 1 : 0);
              }};
    }
    default: {
      // A text in a random set, with no zero unit and a trailing terminator.
      uint8_t set = uint8_t(g.Below(6));
      uint32_t unit = set == 3 ? 4 : set == 4 ? 2 : 1;
      uint32_t units = g.Below(4) ? g.Below(80) : g.Below(3);
      keep.emplace_back((units + 1) * unit, 0);
      Bytes& text = keep.back();
      for (uint32_t i = 0; i < units * unit; i += unit)
        for (uint32_t k = 0; k < unit; ++k)
          text[i + k] = k == 0 ? g.NonZero() : uint8_t(g.rng()());
      VelmoraCharString v{reinterpret_cast<const char*>(text.data()),
                          g.Below(2) ? int32_t(units * unit) : -1, uint16_t(g.rng()()), set};
      Bytes expect(text.begin(), text.end() - unit);
      return {[v](AsnCursor* c) { return AsnEncodeCharString(&v, c); },
              [v, expect, unit](const uint8_t* e, uint32_t n) {
                std::vector<uint8_t> block(AsnDecodedSizeCharString(e, n));
                uint8_t* arena = block.data() + block.size();
                VelmoraCharString out{};
                AsnCursor c = AsnCursorOverConst(e, n);
                AsnDecodeCharString(&c, &out, &arena);
                EXPECT_EQ(c.current, e + n);
                EXPECT_EQ(arena, block.data() + sizeof out);
                EXPECT_EQ(out.charset, v.charset);
                EXPECT_EQ(VelmoraCharStringGetCodePage(&out), VelmoraCharStringGetCodePage(&v));
                EXPECT_EQ(Bytes(out.text, out.text + out.length), expect);
                // The text datatype the element is given decodes to the same.
                AsnCursor one = AsnCursorOverConst(e, n);
                EXPECT_EQ(AsnCharStringDatatype(&one), 13 + v.charset);
                std::vector<uint8_t> text(AsnCharStringTextLength(e));
                uint8_t* top = text.data() + text.size();
                uint8_t set = 99;
                void* where = nullptr;
                AsnDecodeCharStringAlloc(&one, &set, &where, &top);
                EXPECT_EQ(top, text.data());
                EXPECT_EQ(one.current, e + n);
                EXPECT_EQ(set, v.charset);
                auto* t = static_cast<const uint8_t*>(where);
                if (v.charset == VELMORA_CHARSET_DBCS) {
                  auto* rec = static_cast<const VelmoraDbcsString*>(where);
                  EXPECT_EQ(rec->code_page, v.code_page);
                  t = reinterpret_cast<const uint8_t*>(rec->text);
                }
                EXPECT_EQ(Bytes(t, t + expect.size()), expect);
                EXPECT_EQ(Bytes(t + expect.size(), t + expect.size() + unit), Bytes(unit, 0));
              }};
    }
  }
}

TEST(PrimitiveRoundTrip, RandomValuesEncodeMeasureSkipAndDecode) {
  Gen g(20261210);
  for (int i = 0; i < 20000; ++i) {
    std::vector<Bytes> keep;
    keep.reserve(2);
    Case c = MakeCase(g, keep);
    Bytes buf(2048, 0xAA);
    AsnCursor cur = AsnCursorOver(buf.data(), uint32_t(buf.size()));
    ASSERT_EQ(c.encode(&cur), ASN_OK) << i;
    uint32_t n = uint32_t(cur.current - buf.data());
    ASSERT_EQ(AsnTagElementLength(buf.data()), n) << i;
    ASSERT_EQ(AsnTagSkipElement(buf.data(), buf.data() + n), int32_t(n)) << i;
    {
      // Exactly the element on the heap, so ASan sees any read past it.
      std::vector<uint8_t> element(buf.begin(), buf.begin() + n);
      element.shrink_to_fit();
      c.check(element.data(), n);
    }
    if (HasFailure()) FAIL() << "case " << i;
    uint32_t room = g.Below(n);
    Bytes small(n, 0xAA);
    AsnCursor short_cur = AsnCursorOver(small.data(), room);
    ASSERT_EQ(c.encode(&short_cur), ASN_NO_ROOM) << i;
    for (uint32_t k = room; k < n; ++k)
      ASSERT_EQ(small[k], 0xAA) << i;
  }
}

}  // namespace
