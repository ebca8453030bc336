// Generated values of every primitive datatype, alone and in lists: encode,
// decode through each storage mode, check the value by encoding it again,
// and check that the storage taken is what the size functions answered.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bacnet/asn_primitive.h"
#include "bacnet/asn_value_decode.h"
#include "tests/bacnet/support/counting_allocator.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  uint32_t Below(uint32_t n) { return uint32_t(rng_() % n); }
  // Magnitudes spread over every encoded length.
  uint32_t Spread() { return uint32_t(rng_()) >> Below(32); }

  // One encoded element of the datatype; texts keep zero characters out
  // unless zeros is set.
  Bytes Element(int32_t code, bool zeros = false) {
    Bytes out(600);
    AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
    int32_t status = Encode(code, zeros, &cur);
    EXPECT_EQ(status, 0) << "code " << code;
    out.resize(size_t(cur.current - out.data()));
    return out;
  }

 private:
  int32_t Encode(int32_t code, bool zeros, AsnCursor* cur) {
    switch (code) {
      case 0:
        return AsnEncodeNull(nullptr, cur);
      case 1: {
        uint8_t b = uint8_t(Below(2));
        return AsnEncodeBoolean(&b, cur);
      }
      case 2:
      case 9: {
        uint32_t u = Spread();
        return code == 2 ? AsnEncodeUnsigned(&u, cur) : AsnEncodeEnumerated(&u, cur);
      }
      case 3: {
        int32_t s = int32_t(Spread()) * (Below(2) ? -1 : 1);
        return AsnEncodeSigned(&s, cur);
      }
      case 4: {
        uint32_t bits = uint32_t(rng_());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return AsnEncodeReal(&f, cur);
      }
      case 5: {
        uint64_t bits = uint64_t(rng_()) << 32 | uint32_t(rng_());
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return AsnEncodeDouble(&d, cur);
      }
      case 6: {
        Bytes data(Below(40));
        for (auto& b : data)
          b = uint8_t(rng_());
        VelmoraOctetString s = {data.data(), uint32_t(data.size()), uint32_t(data.size())};
        return AsnEncodeOctetString(&s, cur);
      }
      case 8: {
        VelmoraBitString b;
        VelmoraBitStringInit(&b, Below(81));
        for (uint32_t n = 0; n < b.count; ++n)
          VelmoraBitStringSetBit(&b, n, uint8_t(Below(2)));
        return AsnEncodeBitString(&b, cur);
      }
      case 10: {
        VelmoraDate d = {uint16_t(Below(4) ? 1900 + Below(255) : 0xFFFF), Below(15),
                         uint8_t(Below(5) ? 1 + Below(32) : 255), Below(8)};
        return AsnEncodeDate(&d, cur);
      }
      case 11: {
        auto field = [&](uint32_t n) { return uint8_t(Below(5) ? Below(n) : 255); };
        VelmoraTime t = {field(24), field(60), field(60), field(100)};
        return AsnEncodeTime(&t, cur);
      }
      case 12: {
        VelmoraObjectId id = {Below(1024), Below(0x400000)};
        return AsnEncodeObjectId(&id, cur);
      }
      default:
        return EncodeText(uint8_t(code - 13), zeros, cur);
    }
  }

  int32_t EncodeText(uint8_t charset, bool zeros, AsnCursor* cur) {
    uint32_t unit = charset == VELMORA_CHARSET_UCS4 ? 4 : charset == VELMORA_CHARSET_UCS2 ? 2 : 1;
    uint32_t units = Below(20);
    text_.assign(units * unit + unit, 0);
    for (uint32_t i = 0; i < units * unit; ++i) {
      text_[i] = char(charset == VELMORA_CHARSET_ANSI ? Below(127) : Below(256));
      // Host order: a unit's low octet comes first; keeping it non-zero
      // keeps the unit non-zero.
      if (!zeros && i % unit == 0) text_[i] = char(1 + Below(charset == 0 ? 126 : 255));
    }
    if (zeros && units) std::memset(&text_[Below(units) * unit], 0, unit);
    VelmoraCharString s{};
    int32_t length = int32_t(units * unit);
    switch (charset) {
      case 0:
        VelmoraCharStringInitAnsi(&s, text_.data(), length);
        break;
      case 1:
        VelmoraCharStringInitDbcs(&s, uint16_t(rng_()), text_.data(), length);
        break;
      case 2:
        VelmoraCharStringInitJis(&s, text_.data(), length);
        break;
      case 3:
        VelmoraCharStringInitUcs4(&s, text_.data(), length);
        break;
      case 4:
        VelmoraCharStringInitUcs2(&s, text_.data(), length);
        break;
      default:
        VelmoraCharStringInitIso8859(&s, text_.data(), length);
        break;
    }
    return AsnEncodeCharString(&s, cur);
  }

  std::mt19937 rng_;
  std::string text_;
};

Bytes Reencode(const VelmoraAnyValue& v, size_t room) {
  Bytes out(room + 16);
  AsnCursor cur = AsnCursorOver(out.data(), uint32_t(out.size()));
  EXPECT_EQ(AsnEncodeTypedArray(&v, &cur), ASN_OK);
  out.resize(size_t(cur.current - out.data()));
  return out;
}

struct Sample {
  Bytes encoded;
  int32_t datatype;  // as the tags classify it
  uint32_t count;
};

// Every primitive code (texts by their text datatype, and CharStrings with
// zero characters as code 7), alone and in lists of up to five.
std::vector<Sample> Samples() {
  Generator g(20261210);
  std::vector<Sample> samples;
  for (int32_t code = 0; code <= 18; ++code) {
    for (int round = 0; round < 40; ++round) {
      uint32_t count = 1 + uint32_t(round % 5);
      bool zeros = code == 7;
      int32_t element = code == 7 ? 13 + int32_t(g.Below(6)) : code;
      Sample s{{}, code, count};
      for (uint32_t i = 0; i < count; ++i) {
        Bytes e = g.Element(element, zeros);
        s.encoded.insert(s.encoded.end(), e.begin(), e.end());
      }
      if (code == 7) {
        // A zero in one text is enough for code 7; without any the texts
        // keep their own set.
        AsnCursor all = AsnCursorOverConst(s.encoded.data(), uint32_t(s.encoded.size()));
        s.datatype = AsnCharStringDatatype(&all);
      }
      samples.push_back(std::move(s));
    }
  }
  return samples;
}

class GeneratedValues : public testing::Test {
 protected:
  static void SetUpTestSuite() { samples_ = new std::vector<Sample>(Samples()); }
  static void TearDownTestSuite() { delete samples_; }
  static std::vector<Sample>* samples_;
};
std::vector<Sample>* GeneratedValues::samples_ = nullptr;

// The value layer in each of its three storage modes, for one property
// context.
void CheckValueLayer(const Sample& s, uint32_t type, uint32_t property) {
  const uint8_t* data = s.encoded.data();
  uint32_t length = uint32_t(s.encoded.size());
  uint32_t size = AsnDecodedSizeProperty(type, property, -1, data, length);

  CountingAllocator a;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodePropertyAlloc(type, property, -1, data, length, &v, a.get()), ASN_OK);
  EXPECT_EQ(v.type, s.datatype);
  EXPECT_EQ(v.count, s.count);
  ASSERT_EQ(a.sizes.size(), size ? 1u : 0u);
  if (size) {
    EXPECT_EQ(a.sizes[0], size);
  }
  EXPECT_EQ(Reencode(v, length), s.encoded);
  VelmoraAnyValueFree(a.get(), &v);
  EXPECT_TRUE(a.guardsIntact);

  GuardedBuffer budget(size);
  uint8_t* end = budget.data() + size;
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodePropertyBudget(type, property, -1, data, length, &v, &end), 0);
  EXPECT_EQ(end, budget.data());
  EXPECT_EQ(Reencode(v, length), s.encoded);
  EXPECT_TRUE(budget.guardsIntact());

  GuardedBuffer own(size);
  if (size) {
    // One byte short is refused (a record with no room at all only asks).
    if (size > 1) {
      ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, own.data(), size - 1));
      EXPECT_EQ(AsnDecodePropertyAlloc(type, property, -1, data, length, &v, nullptr),
                ASN_NO_SPACE);
    }
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, own.data(), size));
    ASSERT_EQ(AsnDecodePropertyAlloc(type, property, -1, data, length, &v, nullptr), ASN_OK);
    EXPECT_EQ(Reencode(v, length), s.encoded);
  }
  EXPECT_TRUE(own.guardsIntact());
}

// Typed by their tags: a property the tables do not know.
TEST_F(GeneratedValues, ValueLayerByTags) {
  for (const Sample& s : *samples_) {
    SCOPED_TRACE(testing::Message()
                 << "datatype " << s.datatype << " octets " << testing::PrintToString(s.encoded));
    uint32_t count = 0;
    ASSERT_EQ(AsnClassifyValue(s.encoded.data(), uint32_t(s.encoded.size()), &count), s.datatype);
    ASSERT_EQ(count, s.count);
    CheckValueLayer(s, 200, 600);
  }
}

// Values without a property context, one after another in a single arena
// sized by the sum of their sizes: each takes exactly its size and stays
// aligned for its records whatever the texts before it.
TEST_F(GeneratedValues, AnyValuesShareOneArena) {
  uint32_t total = 0;
  for (const Sample& s : *samples_)
    total += AsnDecodedSizeAnyValue(s.encoded.data(), uint32_t(s.encoded.size()));
  GuardedBuffer arena(total);
  uint8_t* end = arena.data() + total;
  std::vector<VelmoraAnyValue> values(samples_->size());
  for (size_t i = 0; i < samples_->size(); ++i) {
    const Sample& s = (*samples_)[i];
    const uint32_t length = uint32_t(s.encoded.size());
    uint8_t* before = end;
    AsnDecodeAnyValue(s.encoded.data(), length, &values[i], &end);
    EXPECT_EQ(uint32_t(before - end), AsnDecodedSizeAnyValue(s.encoded.data(), length));
    EXPECT_EQ(values[i].type, s.datatype);
    EXPECT_EQ(values[i].count, s.count);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(end) % ASN_BLOCK_ALIGN, 0u);
  }
  EXPECT_EQ(end, arena.data());
  EXPECT_TRUE(arena.guardsIntact());
  // Re-encoded only once all are decoded: no value overwrote another.
  for (size_t i = 0; i < samples_->size(); ++i) {
    const Sample& s = (*samples_)[i];
    EXPECT_EQ(Reencode(values[i], s.encoded.size()), s.encoded) << i;
  }
}

// Typed by the schema: schedule present-value takes any one primitive.
TEST_F(GeneratedValues, ValueLayerBySchema) {
  for (const Sample& s : *samples_) {
    if (s.count != 1) continue;
    SCOPED_TRACE(testing::Message()
                 << "datatype " << s.datatype << " octets " << testing::PrintToString(s.encoded));
    int32_t datatype = 0;
    uint32_t count = 0;
    ASSERT_EQ(AsnClassifyPropertyValue(s.encoded.data(), uint32_t(s.encoded.size()),
                                       AsnCheckPropertyDatatype, 17, 85, -1, &datatype, &count),
              ASN_TYPED_BY_SCHEMA);
    CheckValueLayer(s, 17, 85);
  }
}

// Lists typed by the schema: properties whose values are lists or arrays
// of one primitive (alarm values, object list, state texts).
TEST_F(GeneratedValues, ValueLayerBySchemaLists) {
  struct ListProperty {
    int32_t datatype;
    uint32_t objectType, property;
  };
  const ListProperty lists[] = {
      {2, 13, 7},    {12, 8, 76},   {7, 13, 110},  {13, 13, 110}, {14, 13, 110},
      {15, 13, 110}, {16, 13, 110}, {17, 13, 110}, {18, 13, 110},
  };
  int checked = 0;
  for (const Sample& s : *samples_) {
    for (const ListProperty& l : lists) {
      if (l.datatype != s.datatype) continue;
      SCOPED_TRACE(testing::Message()
                   << "datatype " << s.datatype << " octets " << testing::PrintToString(s.encoded));
      int32_t datatype = 0;
      uint32_t count = 0;
      ASSERT_EQ(AsnClassifyPropertyValue(s.encoded.data(), uint32_t(s.encoded.size()),
                                         AsnCheckPropertyDatatype, l.objectType, l.property, -1,
                                         &datatype, &count),
                ASN_TYPED_BY_SCHEMA);
      CheckValueLayer(s, l.objectType, l.property);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 9 * 40);
}

// The list codec over the datatype row, with the caller's buffer, an
// allocator, and a budget as the allocator object.
TEST_F(GeneratedValues, ListCodecStorageModes) {
  for (const Sample& s : *samples_) {
    SCOPED_TRACE(testing::Message()
                 << "datatype " << s.datatype << " octets " << testing::PrintToString(s.encoded));
    const AsnDatatype* row = AsnDatatypeFind(s.datatype);
    ASSERT_NE(row, nullptr);
    const uint8_t* data = s.encoded.data();
    uint32_t length = uint32_t(s.encoded.size());
    uint32_t size = AsnDecodedSizeList(row, data, length);

    CountingAllocator a;
    VelmoraAnyValue v{};
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    ASSERT_EQ(AsnDecodeValueList(row, data, length, &v, a.get()), ASN_OK);
    EXPECT_EQ(v.count, s.count);
    ASSERT_EQ(a.sizes.size(), size ? 1u : 0u);
    if (size) {
      EXPECT_EQ(a.sizes[0], size);
    }
    EXPECT_EQ(Reencode(v, length), s.encoded);
    EXPECT_EQ(AsnValueBufferSize(&v) <= size, true);
    VelmoraAnyValueFree(a.get(), &v);
    EXPECT_TRUE(a.guardsIntact);

    GuardedBuffer budget(size);
    uint8_t* end = budget.data() + budget.size();
    AsnBudgetAllocator b;
    AsnBudgetAllocatorInit(&b, &end);
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
    ASSERT_EQ(AsnDecodeValueList(row, data, length, &v, &b.base), ASN_OK);
    EXPECT_EQ(end, budget.data());
    EXPECT_EQ(Reencode(v, length), s.encoded);
    EXPECT_TRUE(budget.guardsIntact());

    GuardedBuffer own(size);
    if (size) {
      if (size > 1) {
        ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, own.data(), size - 1));
        EXPECT_EQ(AsnDecodeValueList(row, data, length, &v, nullptr), ASN_NO_SPACE);
      }
      ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, own.data(), size));
      ASSERT_EQ(AsnDecodeValueList(row, data, length, &v, nullptr), ASN_OK);
      EXPECT_EQ(Reencode(v, length), s.encoded);
    }
    EXPECT_TRUE(own.guardsIntact());

    // A copy into a buffer of the same size is a value of its own.
    if (size && v.type != 0) {
      GuardedBuffer copyBuf(size);
      VelmoraAnyValue copy{};
      ASSERT_TRUE(VelmoraAnyValueInitEmpty(&copy, copyBuf.data(), size));
      ASSERT_TRUE(VelmoraAnyValueCopyData(&copy, &v));
      std::memset(own.data(), 0, size);
      EXPECT_EQ(Reencode(copy, length), s.encoded);
      EXPECT_TRUE(copyBuf.guardsIntact());
    }
  }
}

}  // namespace
