// Application types other than character strings: octets written out by
// hand from the BACnet encoding rules, checked in both directions, plus the
// values each encoder must refuse.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "bacnet/asn_primitive.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Encode = std::function<int32_t(AsnCursor*)>;
// Decodes from a cursor over the wire octets and checks the value.
using Check = std::function<void(AsnCursor*)>;

struct Vector {
  std::string name;
  Encode encode;
  Bytes wire;
  Check check;  // null: the vector is one-way (a value not kept as given)
};

Vector U(uint32_t v, Bytes wire) {
  return {"Unsigned " + std::to_string(v), [v](AsnCursor* c) { return AsnEncodeUnsigned(&v, c); },
          wire,
          [v](AsnCursor* c) {
            uint32_t out = ~v;
            AsnDecodeUnsigned(c, &out);
            EXPECT_EQ(out, v);
          }};
}

Vector E(uint32_t v, Bytes wire) {
  return {"Enumerated " + std::to_string(v),
          [v](AsnCursor* c) { return AsnEncodeEnumerated(&v, c); }, wire,
          [v](AsnCursor* c) {
            uint32_t out = ~v;
            AsnDecodeEnumerated(c, &out);
            EXPECT_EQ(out, v);
          }};
}

Vector S(int32_t v, Bytes wire) {
  return {"Signed " + std::to_string(v), [v](AsnCursor* c) { return AsnEncodeSigned(&v, c); }, wire,
          [v](AsnCursor* c) {
            int32_t out = ~v;
            AsnDecodeSigned(c, &out);
            EXPECT_EQ(out, v);
          }};
}

// Real and Double: compared by bits after decoding.
Vector R(const char* name, float v, Bytes wire, uint32_t decoded_bits) {
  return {std::string("Real ") + name, [v](AsnCursor* c) { return AsnEncodeReal(&v, c); }, wire,
          [decoded_bits](AsnCursor* c) {
            float out = 0;
            AsnDecodeReal(c, &out);
            EXPECT_EQ(std::bit_cast<uint32_t>(out), decoded_bits);
          }};
}

Vector D(const char* name, double v, Bytes wire, uint64_t decoded_bits) {
  return {std::string("Double ") + name, [v](AsnCursor* c) { return AsnEncodeDouble(&v, c); }, wire,
          [decoded_bits](AsnCursor* c) {
            double out = 0;
            AsnDecodeDouble(c, &out);
            EXPECT_EQ(std::bit_cast<uint64_t>(out), decoded_bits);
          }};
}

Vector B(uint8_t v, Bytes wire) {
  return {"Boolean " + std::to_string(v), [v](AsnCursor* c) { return AsnEncodeBoolean(&v, c); },
          wire,
          [v](AsnCursor* c) {
            uint8_t out = 7;
            AsnDecodeBoolean(c, &out);
            EXPECT_EQ(out, v != 0 ? 1 : 0);
          }};
}

Vector Dt(VelmoraDate v, Bytes wire) {
  return {"Date " + std::to_string(v.year) + "-" + std::to_string(v.month) + "-" +
              std::to_string(v.day),
          [v](AsnCursor* c) { return AsnEncodeDate(&v, c); }, wire,
          [v](AsnCursor* c) {
            VelmoraDate out{1, 1, 1, 1};
            AsnDecodeDate(c, &out);
            EXPECT_EQ(out.year, v.year);
            EXPECT_EQ(out.month, v.month);
            EXPECT_EQ(out.day, v.day);
            EXPECT_EQ(out.day_of_week, v.day_of_week);
          }};
}

Vector Tm(VelmoraTime v, Bytes wire) {
  return {"Time " + std::to_string(v.hour), [v](AsnCursor* c) { return AsnEncodeTime(&v, c); },
          wire,
          [v](AsnCursor* c) {
            VelmoraTime out{};
            AsnDecodeTime(c, &out);
            EXPECT_EQ(0, std::memcmp(&out, &v, sizeof v));
          }};
}

Vector Oid(VelmoraObjectId v, Bytes wire) {
  return {"ObjectId " + std::to_string(v.type),
          [v](AsnCursor* c) { return AsnEncodeObjectId(&v, c); }, wire,
          [v](AsnCursor* c) {
            VelmoraObjectId out{};
            AsnDecodeObjectId(c, &out);
            EXPECT_EQ(out.type, v.type);
            EXPECT_EQ(out.instance, v.instance);
          }};
}

Vector Bits(uint32_t count, Bytes bits, Bytes wire) {
  VelmoraBitString v{};
  v.count = count;
  if (!bits.empty()) std::memcpy(v.bits, bits.data(), bits.size());
  return {"BitString " + std::to_string(count),
          [v](AsnCursor* c) { return AsnEncodeBitString(&v, c); }, wire,
          [v](AsnCursor* c) {
            VelmoraBitString out;
            std::memset(&out, 0xEE, sizeof out);
            AsnDecodeBitString(c, &out);
            EXPECT_EQ(out.count, v.count);
            for (uint32_t n = 0; n < v.count; ++n)
              EXPECT_EQ(VelmoraBitStringGetBit(&out, n), VelmoraBitStringGetBit(&v, n)) << n;
          }};
}

Vector Wnd(VelmoraWeekNDay v, Bytes wire) {
  return {"WeekNDay " + std::to_string(v.month),
          [v](AsnCursor* c) { return AsnEncodeWeekNDay(&v, c); }, wire,
          [v](AsnCursor* c) {
            VelmoraWeekNDay out{9, 9, 9};
            AsnDecodeWeekNDay(c, &out);
            EXPECT_EQ(out.month, v.month);
            EXPECT_EQ(out.week_of_month, v.week_of_month);
            EXPECT_EQ(out.day_of_week, v.day_of_week);
          }};
}

Vector Octets(Bytes data, Bytes wire) {
  return {"OctetString " + std::to_string(data.size()),
          [data](AsnCursor* c) {
            Bytes copy = data;
            VelmoraOctetString v{copy.empty() ? nullptr : copy.data(), uint32_t(copy.size()),
                                 uint32_t(copy.size())};
            return AsnEncodeOctetString(&v, c);
          },
          wire,
          [data](AsnCursor* c) {
            const uint8_t* element = c->current;
            uint8_t block[64];
            uint8_t* arena = block + sizeof block;
            VelmoraOctetString out{};
            AsnDecodeOctetString(c, &out, &arena);
            ASSERT_EQ(out.length, data.size());
            EXPECT_EQ(out.buffer_size, data.size());
            EXPECT_EQ(Bytes(out.data, out.data + out.length), data);
            if (data.empty()) {
              EXPECT_EQ(out.data, nullptr);
            }
            EXPECT_EQ(AsnDecodedSizeOctetString(element, uint32_t(c->end - element)),
                      sizeof out + size_t(block + sizeof block - arena));
          }};
}

const float fnan = std::bit_cast<float>(uint32_t(0x7FC00001));
const double dnan = std::bit_cast<double>(uint64_t(0x7FF8000000000001));
const float finf = std::numeric_limits<float>::infinity();
const double dinf = std::numeric_limits<double>::infinity();

const std::vector<Vector>& Vectors() {
  static const std::vector<Vector> v = {
        {"Null", [](AsnCursor* c) { return AsnEncodeNull(nullptr, c); }, {0x00},
         [](AsnCursor* c) { AsnDecodeNull(c, nullptr); }},
        B(0, {0x10}), B(1, {0x11}), B(2, {0x11}), B(0xFF, {0x11}),
        U(0, {0x21, 0x00}), U(255, {0x21, 0xFF}), U(256, {0x22, 0x01, 0x00}), U(0xFFFF, {0x22, 0xFF, 0xFF}),
        U(0x10000, {0x23, 0x01, 0x00, 0x00}), U(0xFFFFFF, {0x23, 0xFF, 0xFF, 0xFF}),
        U(0x1000000, {0x24, 0x01, 0x00, 0x00, 0x00}), U(0xFFFFFFFF, {0x24, 0xFF, 0xFF, 0xFF, 0xFF}),
        E(0, {0x91, 0x00}), E(0x100, {0x92, 0x01, 0x00}), E(0x3FFFFF, {0x93, 0x3F, 0xFF, 0xFF}),
        S(-1, {0x31, 0xFF}), S(0, {0x31, 0x00}), S(127, {0x31, 0x7F}), S(128, {0x32, 0x00, 0x80}),
        S(-128, {0x31, 0x80}), S(-129, {0x32, 0xFF, 0x7F}), S(32767, {0x32, 0x7F, 0xFF}),
        S(32768, {0x33, 0x00, 0x80, 0x00}), S(-32768, {0x32, 0x80, 0x00}), S(-32769, {0x33, 0xFF, 0x7F, 0xFF}),
        S(8388607, {0x33, 0x7F, 0xFF, 0xFF}), S(-8388608, {0x33, 0x80, 0x00, 0x00}),
        S(8388608, {0x34, 0x00, 0x80, 0x00, 0x00}), S(INT32_MIN, {0x34, 0x80, 0x00, 0x00, 0x00}),
        S(INT32_MAX, {0x34, 0x7F, 0xFF, 0xFF, 0xFF}),
        R("1", 1.0f, {0x44, 0x3F, 0x80, 0x00, 0x00}, 0x3F800000),
        R("-2.5", -2.5f, {0x44, 0xC0, 0x20, 0x00, 0x00}, 0xC0200000),
        R("NaN", fnan, {0x44, 0x7F, 0xFF, 0xFF, 0xFF}, 0x7FFFFFFF),
        R("-NaN", -fnan, {0x44, 0x7F, 0xFF, 0xFF, 0xFF}, 0x7FFFFFFF),
        R("inf", finf, {0x44, 0x7F, 0x80, 0x00, 0x00}, 0x7F800000),
        R("-inf", -finf, {0x44, 0xFF, 0x80, 0x00, 0x00}, 0xFF800000),
        D("1", 1.0, {0x55, 0x08, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}, 0x3FF0000000000000),
        D("-inf", -dinf, {0x55, 0x08, 0xFF, 0xF0, 0, 0, 0, 0, 0, 0}, 0xFFF0000000000000),
        D("inf", dinf, {0x55, 0x08, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0}, 0x7FF0000000000000),
        D("NaN", dnan, {0x55, 0x08, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0x7FFFFFFFFFFFFFFF),
        Dt({2024, 2, 29, 4}, {0xA4, 0x7C, 0x02, 0x1D, 0x04}),
        Dt({0xFFFF, 0, 255, 0}, {0xA4, 0xFF, 0xFF, 0xFF, 0xFF}),
        Dt({1900, 1, 1, 1}, {0xA4, 0x00, 0x01, 0x01, 0x01}),
        Dt({2154, 14, 32, 7}, {0xA4, 0xFE, 0x0E, 0x20, 0x07}),
        Dt({2000, 13, 255, 0}, {0xA4, 0x64, 0x0D, 0xFF, 0xFF}),
        Tm({23, 59, 59, 99}, {0xB4, 0x17, 0x3B, 0x3B, 0x63}),
        Tm({255, 255, 255, 255}, {0xB4, 0xFF, 0xFF, 0xFF, 0xFF}),
        Tm({0, 0, 0, 0}, {0xB4, 0x00, 0x00, 0x00, 0x00}),
        Oid({8, 0x3FFFFF}, {0xC4, 0x02, 0x3F, 0xFF, 0xFF}),
        Oid({1023, 1}, {0xC4, 0xFF, 0xC0, 0x00, 0x01}),
        Bits(0, {}, {0x81, 0x00}),
        Bits(3, {0xA0}, {0x82, 0x05, 0xA0}),
        Bits(8, {0x55}, {0x82, 0x00, 0x55}),
        Bits(9, {0x55, 0x80}, {0x83, 0x07, 0x55, 0x80}),
        Bits(80, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFF}, {0x85, 0x0B, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFF}),
        Wnd({0, -1, 0}, {0x63, 0xFF, 0xFF, 0xFF}),
        Wnd({3, 2, 5}, {0x63, 0x03, 0x02, 0x05}),
        Wnd({14, 6, 7}, {0x63, 0x0E, 0x06, 0x07}),
        Octets({}, {0x60}),
        Octets({1, 2, 3}, {0x63, 0x01, 0x02, 0x03}),
        Octets({9, 8, 7, 6, 5}, {0x65, 0x05, 9, 8, 7, 6, 5}),
        // Bits past the count are sent clear; the value is unchanged.
        {"BitString tail bits", [](AsnCursor* c) {
             VelmoraBitString v{3, {0xFF}};
             return AsnEncodeBitString(&v, c);
         },
         {0x82, 0x05, 0xE0}, nullptr},
        // Context-tagged forms.
        {"Tagged Unsigned tag 26", [](AsnCursor* c) { return AsnEncodeTaggedUnsigned(0x1234, c, 0x1AF8); },
         {0xFA, 0x1A, 0x12, 0x34},
         [](AsnCursor* c) {
             uint32_t out = 0;
             AsnDecodeUnsigned(c, &out);
             EXPECT_EQ(out, 0x1234u);
         }},
        {"Tagged Signed", [](AsnCursor* c) { return AsnEncodeTaggedSigned(-2, c, 0x18); }, {0x19, 0xFE},
         [](AsnCursor* c) {
             int32_t out = 0;
             AsnDecodeSigned(c, &out);
             EXPECT_EQ(out, -2);
         }},
        {"Tagged Enumerated", [](AsnCursor* c) { return AsnEncodeTaggedEnumerated(85, c, 0x08); }, {0x09, 0x55},
         nullptr},
        {"Tagged Real", [](AsnCursor* c) { return AsnEncodeTaggedReal(1.0f, c, 0x08); },
         {0x0C, 0x3F, 0x80, 0x00, 0x00}, nullptr},
        {"Tagged Double", [](AsnCursor* c) { return AsnEncodeTaggedDouble(-dinf, c, 0x18); },
         {0x1D, 0x08, 0xFF, 0xF0, 0, 0, 0, 0, 0, 0},
         [](AsnCursor* c) {
             double out = 0;
             AsnDecodeDouble(c, &out);
             EXPECT_TRUE(std::isinf(out) && out < 0);
         }},
        {"Tagged Double extended tag", [](AsnCursor* c) { return AsnEncodeTaggedDouble(1.0, c, 0x1AF8); },
         {0xFD, 0x1A, 0x08, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0},
         [](AsnCursor* c) {
             double out = 0;
             AsnDecodeDouble(c, &out);
             EXPECT_EQ(out, 1.0);
         }},
        {"Tagged Boolean", [](AsnCursor* c) { return AsnEncodeTaggedBoolean(0xFF, c, 0x28); }, {0x29, 0x01},
         [](AsnCursor* c) {
             uint8_t out = 9;
             AsnDecodeBoolean(c, &out);
             EXPECT_EQ(out, 1);
         }},
        {"Tagged Date", [](AsnCursor* c) {
             VelmoraDate d{0xFFFF, 0, 255, 0};
             return AsnEncodeTaggedDate(&d, c, 0x28);
         },
         {0x2C, 0xFF, 0xFF, 0xFF, 0xFF}, nullptr},
        {"Tagged Time", [](AsnCursor* c) {
             VelmoraTime t{1, 2, 3, 4};
             return AsnEncodeTaggedTime(&t, c, 0x38);
         },
         {0x3C, 1, 2, 3, 4}, nullptr},
        {"Tagged ObjectId", [](AsnCursor* c) {
             VelmoraObjectId id{8, 0x3FFFFF};
             return AsnEncodeTaggedObjectId(&id, c, 0x08);
         },
         {0x0C, 0x02, 0x3F, 0xFF, 0xFF}, nullptr},
        {"Tagged BitString", [](AsnCursor* c) {
             VelmoraBitString b{0, {}};
             return AsnEncodeTaggedBitString(&b, c, 0x18);
         },
         {0x19, 0x00}, nullptr},
        {"Tagged OctetString", [](AsnCursor* c) {
             uint8_t d[2] = {1, 2};
             VelmoraOctetString o{d, 2, 2};
             return AsnEncodeTaggedOctetString(&o, c, 0x08);
         },
         {0x0A, 0x01, 0x02}, nullptr},
        {"Tagged WeekNDay", [](AsnCursor* c) {
             VelmoraWeekNDay w{1, 1, 1};
             return AsnEncodeTaggedWeekNDay(&w, c, 0x28);
         },
         {0x2B, 1, 1, 1}, nullptr},
        {"Optional Unsigned", [](AsnCursor* c) { return AsnEncodeOptionalUnsigned(5, c, 0x28); }, {0x29, 0x05},
         nullptr},
        {"Optional Unsigned absent", [](AsnCursor* c) { return AsnEncodeOptionalUnsigned(-1, c, 0x28); }, {},
         nullptr},
        {"Error pair", [](AsnCursor* c) {
             VelmoraError e{2, 31};
             return AsnEncodeErrorPair(&e, c);
         },
         {0x91, 0x02, 0x91, 0x1F},
         [](AsnCursor* c) {
             uint32_t cls = 0, code = 0;
             AsnDecodeUnsignedPair(c, &cls, &code);
             EXPECT_EQ(cls, 2u);
             EXPECT_EQ(code, 31u);
         }},
        {"Error pair wide", [](AsnCursor* c) {
             VelmoraError e{0xFFFF, 0x100};
             return AsnEncodeErrorPair(&e, c);
         },
         {0x92, 0xFF, 0xFF, 0x92, 0x01, 0x00}, nullptr},
    };
  return v;
}

TEST(PrimitiveVectors, EncodeToTheOctets) {
  for (const auto& v : Vectors()) {
    SCOPED_TRACE(v.name);
    Bytes buf(v.wire.size() + 4, 0xAA);
    AsnCursor c = AsnCursorOver(buf.data(), uint32_t(v.wire.size()));
    ASSERT_EQ(v.encode(&c), ASN_OK);
    EXPECT_EQ(c.current, buf.data() + v.wire.size());
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + long(v.wire.size())), v.wire);
    EXPECT_EQ(Bytes(buf.end() - 4, buf.end()), Bytes(4, 0xAA));
  }
}

TEST(PrimitiveVectors, DecodeFromTheOctets) {
  for (const auto& v : Vectors()) {
    if (!v.check) continue;
    SCOPED_TRACE(v.name);
    // A heap copy of exactly the element: ASan sees any read past it.
    auto* wire = new uint8_t[v.wire.size()];
    std::memcpy(wire, v.wire.data(), v.wire.size());
    AsnCursor c = AsnCursorOver(wire, uint32_t(v.wire.size()));
    v.check(&c);
    EXPECT_EQ(c.current, wire + v.wire.size());
    size_t elements = 0;
    while (elements < v.wire.size())
      elements += AsnTagElementLength(wire + elements);
    EXPECT_EQ(elements, v.wire.size());
    delete[] wire;
  }
}

TEST(PrimitiveVectors, NeverWriteAtOrPastTheEnd) {
  for (const auto& v : Vectors()) {
    SCOPED_TRACE(v.name);
    for (size_t room = 0; room < v.wire.size(); ++room) {
      Bytes buf(v.wire.size() + 1, 0xAA);
      AsnCursor c = AsnCursorOver(buf.data(), uint32_t(room));
      EXPECT_EQ(v.encode(&c), ASN_NO_ROOM) << "room " << room;
      EXPECT_LE(c.current, buf.data() + room);
      for (size_t i = room; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], 0xAA) << "room " << room << " at " << i;
    }
  }
}

struct Refusal {
  const char* name;
  Encode encode;
  int32_t status;
};

const Refusal kRefusals[] = {
    {"year 2155",
     [](AsnCursor* c) {
       VelmoraDate d{2155, 1, 1, 1};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"year 1899",
     [](AsnCursor* c) {
       VelmoraDate d{1899, 1, 1, 1};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"month 15",
     [](AsnCursor* c) {
       VelmoraDate d{2000, 15, 1, 1};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"day 0",
     [](AsnCursor* c) {
       VelmoraDate d{2000, 1, 0, 1};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"day 33",
     [](AsnCursor* c) {
       VelmoraDate d{2000, 1, 33, 1};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"weekday 8",
     [](AsnCursor* c) {
       VelmoraDate d{2000, 1, 1, 8};
       return AsnEncodeDate(&d, c);
     },
     ASN_OUT_OF_RANGE},
    {"hour 24",
     [](AsnCursor* c) {
       VelmoraTime t{24, 0, 0, 0};
       return AsnEncodeTime(&t, c);
     },
     ASN_OUT_OF_RANGE},
    {"minute 60",
     [](AsnCursor* c) {
       VelmoraTime t{0, 60, 0, 0};
       return AsnEncodeTime(&t, c);
     },
     ASN_OUT_OF_RANGE},
    {"second 60",
     [](AsnCursor* c) {
       VelmoraTime t{0, 0, 60, 0};
       return AsnEncodeTime(&t, c);
     },
     ASN_OUT_OF_RANGE},
    {"hundredths 100",
     [](AsnCursor* c) {
       VelmoraTime t{0, 0, 0, 100};
       return AsnEncodeTaggedTime(&t, c, 0x08);
     },
     ASN_OUT_OF_RANGE},
    {"81 bits",
     [](AsnCursor* c) {
       VelmoraBitString b{81, {}};
       return AsnEncodeBitString(&b, c);
     },
     ASN_OUT_OF_RANGE},
    {"81 bits tagged",
     [](AsnCursor* c) {
       VelmoraBitString b{81, {}};
       return AsnEncodeTaggedBitString(&b, c, 0x08);
     },
     ASN_OUT_OF_RANGE},
    {"type 1024",
     [](AsnCursor* c) {
       VelmoraObjectId id{1024, 0};
       return AsnEncodeObjectId(&id, c);
     },
     ASN_INVALID_VALUE},
    {"instance 0x400000",
     [](AsnCursor* c) {
       VelmoraObjectId id{8, 0x400000};
       return AsnEncodeObjectId(&id, c);
     },
     ASN_INVALID_VALUE},
    {"week month 15",
     [](AsnCursor* c) {
       VelmoraWeekNDay w{15, 1, 1};
       return AsnEncodeWeekNDay(&w, c);
     },
     ASN_OUT_OF_RANGE},
    {"week 7",
     [](AsnCursor* c) {
       VelmoraWeekNDay w{1, 7, 1};
       return AsnEncodeWeekNDay(&w, c);
     },
     ASN_OUT_OF_RANGE},
    {"week 0",
     [](AsnCursor* c) {
       VelmoraWeekNDay w{1, 0, 1};
       return AsnEncodeWeekNDay(&w, c);
     },
     ASN_OUT_OF_RANGE},
    {"week weekday 8",
     [](AsnCursor* c) {
       VelmoraWeekNDay w{1, 1, 8};
       return AsnEncodeTaggedWeekNDay(&w, c, 0x08);
     },
     ASN_OUT_OF_RANGE},
    {"octets missing",
     [](AsnCursor* c) {
       VelmoraOctetString o{nullptr, 3, 3};
       return AsnEncodeOctetString(&o, c);
     },
     ASN_BAD_BUFFER},
    {"octets past buffer",
     [](AsnCursor* c) {
       uint8_t d[2] = {};
       VelmoraOctetString o{d, 2, 3};
       return AsnEncodeOctetString(&o, c);
     },
     ASN_BAD_BUFFER},
    {"error class wide",
     [](AsnCursor* c) {
       VelmoraError e{0x10000, 0};
       return AsnEncodeErrorPair(&e, c);
     },
     ASN_BAD_ERROR_PAIR},
    {"error code wide",
     [](AsnCursor* c) {
       VelmoraError e{0, 0x10000};
       return AsnEncodeErrorPair(&e, c);
     },
     ASN_BAD_ERROR_PAIR},
    {"optional -2", [](AsnCursor* c) { return AsnEncodeOptionalUnsigned(-2, c, 0x08); },
     ASN_BAD_OPTIONAL},
};

TEST(PrimitiveRefusals, BadValuesWriteNothing) {
  for (const auto& r : kRefusals) {
    uint8_t buf[16];
    std::memset(buf, 0xAA, sizeof buf);
    AsnCursor c = AsnCursorOver(buf, sizeof buf);
    EXPECT_EQ(r.encode(&c), r.status) << r.name;
    EXPECT_EQ(c.current, buf) << r.name;
    EXPECT_EQ(buf[0], 0xAA) << r.name;
  }
}

TEST(PrimitiveDecode, NonCanonicalSpecialValuesAndBooleans) {
  const uint8_t real_nan[] = {0x44, 0x7F, 0xC0, 0x00, 0x01};
  AsnCursor c = AsnCursorOverConst(real_nan, sizeof real_nan);
  float f = 0;
  AsnDecodeReal(&c, &f);
  EXPECT_EQ(std::bit_cast<uint32_t>(f), 0x7FFFFFFFu);
  const uint8_t double_nan[] = {0x55, 0x08, 0xFF, 0xF8, 0, 0, 0, 0, 0, 1};
  c = AsnCursorOverConst(double_nan, sizeof double_nan);
  double d = 0;
  AsnDecodeDouble(&c, &d);
  EXPECT_EQ(std::bit_cast<uint64_t>(d), 0x7FFFFFFFFFFFFFFFu);

  const struct {
    Bytes wire;
    uint8_t value;
  } booleans[] = {
      {{0x10}, 0}, {{0x11}, 1}, {{0x09, 0x00}, 0}, {{0x09, 0x01}, 1}, {{0xF9, 0x1A, 0x01}, 1}};
  for (const auto& b : booleans) {
    c = AsnCursorOverConst(b.wire.data(), uint32_t(b.wire.size()));
    uint8_t out = 9;
    AsnDecodeBoolean(&c, &out);
    EXPECT_EQ(out, b.value);
    EXPECT_EQ(c.current, b.wire.data() + b.wire.size());
  }
}

TEST(PrimitiveDecode, NullOutputOnlySkips) {
  const Bytes stream = {0x21, 0x05, 0x65, 0x06, 1,    2, 3, 4, 5,
                        6,    0x82, 0x05, 0xA0, 0xC4, 0, 0, 0, 1};
  AsnCursor c = AsnCursorOverConst(stream.data(), uint32_t(stream.size()));
  uint8_t* arena = nullptr;  // must stay untouched: nothing is decoded
  AsnDecodeUnsigned(&c, nullptr);
  AsnDecodeOctetString(&c, nullptr, &arena);
  AsnDecodeBitString(&c, nullptr);
  AsnDecodeObjectId(&c, nullptr);
  EXPECT_EQ(c.current, c.end);
  EXPECT_EQ(arena, nullptr);
}

TEST(PrimitiveSize, DecodedSizeByApplicationTag) {
  const struct {
    Bytes element;
    size_t size;
  } cases[] = {
      {{0x00}, 0},
      {{0x11}, 1},
      {{0x21, 0x05}, sizeof(uint32_t)},
      {{0x31, 0xFF}, sizeof(int32_t)},
      {{0x44, 0, 0, 0, 0}, sizeof(float)},
      {{0x55, 0x08, 0, 0, 0, 0, 0, 0, 0, 0}, sizeof(double)},
      {{0x63, 1, 2, 3}, sizeof(VelmoraOctetString) + 3},
      {{0x73, 0x00, 'a', 'b'}, 3},                               // ANSI text
      {{0x73, 0x00, 'a', 0x00}, sizeof(VelmoraCharString) + 3},  // zero inside: the record form
      {{0x82, 0x05, 0xA0}, sizeof(VelmoraBitString)},
      {{0x91, 0x01}, sizeof(uint32_t)},
      {{0xA4, 0, 0, 0, 0}, sizeof(VelmoraDate)},
      {{0xB4, 0, 0, 0, 0}, sizeof(VelmoraTime)},
      {{0xC4, 0, 0, 0, 0}, sizeof(VelmoraObjectId)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsnDecodedSize(c.element.data()), c.size) << std::hex << int(c.element[0]);
}

TEST(PrimitiveDateTime, FreshRecordEncodesAsWildcards) {
  VelmoraDateTime dt;
  ASSERT_TRUE(VelmoraDateTimeInit(&dt));
  uint8_t buf[10];
  AsnCursor c = AsnCursorOver(buf, sizeof buf);
  ASSERT_EQ(AsnEncodeDate(&dt.date, &c), ASN_OK);
  ASSERT_EQ(AsnEncodeTime(&dt.time, &c), ASN_OK);
  const uint8_t expect[] = {0xA4, 0xFF, 0xFF, 0xFF, 0xFF, 0xB4, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0, std::memcmp(buf, expect, sizeof expect));
}

TEST(PrimitiveSpecial, ClassesAndCanonicalBits) {
  EXPECT_EQ(AsnClassifyDouble(1.5), ASN_DOUBLE_FINITE);
  EXPECT_EQ(AsnClassifyDouble(std::nan("")), ASN_DOUBLE_NAN);
  EXPECT_EQ(AsnClassifyDouble(-HUGE_VAL), ASN_DOUBLE_NEG_INF);
  EXPECT_EQ(AsnClassifyDouble(HUGE_VAL), ASN_DOUBLE_POS_INF);
  const struct {
    int32_t cls;
    bool result;
    uint32_t fbits;
    uint64_t dbits;
  } cases[] = {
      {0, true, 0x7F800000, 0x7FF0000000000000},
      {1, true, 0xFF800000, 0xFFF0000000000000},
      {2, true, 0x7FFFFFFF, 0x7FFFFFFFFFFFFFFF},
      {3, false, 0, 0},
  };
  for (const auto& c : cases) {
    float f = 5;
    double d = 5;
    EXPECT_EQ(AsnFloatSpecialBits(c.cls, &f), c.result);
    EXPECT_EQ(AsnDoubleSpecialBits(c.cls, &d), c.result);
    EXPECT_EQ(std::bit_cast<uint32_t>(f), c.fbits) << c.cls;
    EXPECT_EQ(std::bit_cast<uint64_t>(d), c.dbits) << c.cls;
  }
  float f = 5;
  double d = 5;
  EXPECT_FALSE(AsnFloatSpecialBits(4, &f));
  EXPECT_FALSE(AsnDoubleSpecialBits(-1, &d));
  EXPECT_EQ(f, 5.0f);
  EXPECT_EQ(d, 5.0);
}

}  // namespace
