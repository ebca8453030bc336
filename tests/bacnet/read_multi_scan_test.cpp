// The one-pass check of a ReadPropertyMultiple acknowledgement answers as
// the syntax checker does for any octets, and what it measures into a
// walk decodes exactly as the list codec without one; the plain value
// typing it leans on gives the general typing's datatype, count and size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_read_multi_scan.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/asn_value_walk.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kReadPropertyMultiple = 14;

// An acknowledgement of every form the pass reads: a value of each plain
// kind, a priority array, an object list, an index, an error, a value with
// a constructed element, a result without a list and an empty list.
Bytes Ack() {
  return {
      0x0C, 0x00, 0x00, 0x00, 0x01, 0x1E,                                      // analog-input 1
      0x29, 0x55, 0x4E, 0x44, 0x41, 0xA0, 0x00, 0x00, 0x4F,                    // present value 20.0
      0x29, 0x6F, 0x4E, 0x82, 0x04, 0x40, 0x4F,                                // status flags
      0x29, 0x4D, 0x4E, 0x75, 0x06, 0x00, 'N',  'a',  'm',  'e',  '1',  0x4F,  // name
      0x29, 0x24, 0x4E, 0x91, 0x00, 0x4F,                                      // event state
      0x29, 0x02, 0x5E, 0x91, 0x02, 0x91, 0x20, 0x5F,  // error: unknown property
      0x1F, 0x0C, 0x00, 0x40, 0x00, 0x02, 0x1E,        // analog-output 2
      0x29, 0x57, 0x4E, 0x00, 0x00, 0x44, 0x42, 0x48, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F,  // priority array
      0x29, 0x57, 0x39, 0x08, 0x4E, 0x44, 0x42, 0x48, 0x00, 0x00, 0x4F,  // its slot 8
      0x29, 0x55, 0x4E, 0x91, 0x01, 0x4F,        // present value, not a Real
      0x1F, 0x0C, 0x02, 0x00, 0x03, 0xE9, 0x1E,  // device 1001
      0x29, 0x4C, 0x4E, 0xC4, 0x02, 0x00, 0x03, 0xE9, 0xC4, 0x00, 0x00, 0x00,
      0x01, 0x4F, 0x29, 0x70, 0x4E, 0x91, 0x00, 0x4F,  // system status
      0x29, 0x98, 0x4E, 0x0E, 0x21, 0x01, 0x0F, 0x4F,  // a constructed value
      0x1F, 0x0C, 0x00, 0xC0, 0x00, 0x01,              // binary input 1, no list
      0x0C, 0x01, 0x00, 0x00, 0x01, 0x1E, 0x1F,        // binary output 1, none
  };
}

// The general check of the acknowledgement, without the pass.
bool GeneralAccepts(const Bytes& octets) {
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, octets.data(), uint32_t(octets.size()));
  return AsnCheckElement(&reader, AsnCheckComplexAckRoot(kReadPropertyMultiple)) == AsnCheckOk &&
         reader.remaining == 0;
}

struct Decoded {
  uint32_t check;
  uint32_t size;
  int32_t status;
  uint32_t count;
  Bytes encoded;
};

// Checked, measured and decoded through a walk, or by the list codec alone.
Decoded Decode(const Bytes& octets, bool walked) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  const auto n = uint32_t(octets.size());
  AsnValueWalk walk;
  AsnValueWalkInit(&walk);
  Decoded d{};
  d.check = walked ? AsnCheckComplexAckWalk(kReadPropertyMultiple, octets.data(), n, &walk)
                   : AsnCheckComplexAck(kReadPropertyMultiple, octets.data(), n);
  if (d.check != 0) return d;
  d.size = walked ? AsnDecodedSizeList(row, octets.data(), n, &walk)
                  : AsnDecodedSizeList(row, octets.data(), n);
  std::vector<uint64_t> buffer(d.size / 8 + 1);
  VelmoraAnyValue value = {ASN_TYPE_NONE, buffer.data(), d.size, 0};
  d.status = walked ? AsnDecodeValueList(row, octets.data(), n, &value, nullptr, &walk)
                    : AsnDecodeValueList(row, octets.data(), n, &value, nullptr);
  d.count = value.count;
  d.encoded.assign(octets.size() * 2 + 64, 0);
  AsnCursor cursor = AsnCursorOver(d.encoded.data(), uint32_t(d.encoded.size()));
  if (d.status == ASN_OK) AsnEncodeTypedArray(&value, &cursor);
  d.encoded.resize(size_t(cursor.current - d.encoded.data()));
  return d;
}

void ExpectSame(const Bytes& octets) {
  const bool general = GeneralAccepts(octets);
  AsnValueWalk walk;
  AsnValueWalkInit(&walk);
  // The pass never accepts what the checker refuses.
  if (AsnScanReadMultiAck(octets.data(), uint32_t(octets.size()), &walk)) {
    EXPECT_TRUE(general);
  }
  const Decoded plain = Decode(octets, false);
  const Decoded walked = Decode(octets, true);
  EXPECT_EQ(walked.check, plain.check);
  EXPECT_EQ(plain.check == 0, general);
  EXPECT_EQ(walked.size, plain.size);
  EXPECT_EQ(walked.status, plain.status);
  EXPECT_EQ(walked.count, plain.count);
  EXPECT_EQ(walked.encoded, plain.encoded);
}

TEST(ReadMultiScan, TakesTheCommonFormAndDecodesAsTheListCodec) {
  const Bytes ack = Ack();
  ASSERT_TRUE(GeneralAccepts(ack));
  ASSERT_TRUE(AsnScanReadMultiAck(ack.data(), uint32_t(ack.size()), nullptr));
  const Decoded plain = Decode(ack, false);
  ASSERT_EQ(plain.status, ASN_OK);
  EXPECT_EQ(plain.count, 5u);
  ExpectSame(ack);
}

// Every start of the acknowledgement, and every octet of it changed to
// values that move its tags, lengths and numbers about.
TEST(ReadMultiScan, AnswersAsTheCheckerForTruncatedAndAlteredOctets) {
  const Bytes ack = Ack();
  for (size_t n = 0; n < ack.size(); ++n) {
    SCOPED_TRACE("first " + std::to_string(n) + " octets");
    ExpectSame(Bytes(ack.begin(), ack.begin() + long(n)));
  }
  const uint8_t replacements[] = {0x00, 0x01, 0x05, 0x0F, 0x1E, 0x1F, 0x29, 0x3F, 0x44,
                                  0x4E, 0x4F, 0x5E, 0x5F, 0x75, 0x82, 0x91, 0xC4, 0xFF};
  for (size_t i = 0; i < ack.size(); ++i) {
    for (uint8_t r : replacements) {
      SCOPED_TRACE("octet " + std::to_string(i) + " as " + std::to_string(r));
      Bytes altered = ack;
      altered[i] = r;
      ExpectSame(altered);
    }
  }
}

// A value is typed alike by the plain reading and the general schema
// check: datatype, count and a decoded size that is the storage used.
TEST(ReadMultiScan, PlainValuesTypeAsTheSchemaCheckTypesThem) {
  struct Case {
    const char* what;
    uint32_t objectType, property;
    int32_t arrayIndex;
    Bytes octets;
  };
  const Case cases[] = {
      {"a Real", 0, 85, -1, {0x44, 0x41, 0xA0, 0x00, 0x00}},
      {"a Real cut short", 0, 85, -1, {0x44, 0x41, 0xA0, 0x00}},
      {"an Enumerated for a Real", 0, 85, -1, {0x91, 0x01}},
      {"two Reals for one", 0, 85, -1, {0x44, 0, 0, 0, 0, 0x44, 0, 0, 0, 0}},
      {"event state in range", 0, 36, -1, {0x91, 0x05}},
      {"event state out of range", 0, 36, -1, {0x91, 0x40}},
      {"status flags", 0, 111, -1, {0x82, 0x04, 0x40}},
      {"status flags of five bits", 0, 111, -1, {0x82, 0x03, 0x40}},
      {"status flags, bad unused count", 0, 111, -1, {0x82, 0x09, 0x40}},
      {"an ANSI name", 0, 77, -1, {0x75, 0x06, 0x00, 'N', 'a', 'm', 'e', '1'}},
      {"a short name", 0, 77, -1, {0x73, 0x00, 'a', 'b'}},
      {"a name holding a zero", 0, 77, -1, {0x75, 0x06, 0x00, 'N', 0x00, 'm', 'e', '1'}},
      {"a UCS-2 name", 0, 77, -1, {0x75, 0x05, 0x04, 0x00, 'a', 0x00, 'b'}},
      {"a name of length 4 in five", 0, 77, -1, {0x75, 0x04, 0x00, 'a', 'b', 'c'}},
      {"a priority array", 1, 87, -1, {0x00, 0x44, 0x42, 0x48, 0x00, 0x00, 0x00}},
      {"a priority array with an Enumerated", 1, 87, -1, {0x00, 0x91, 0x01}},
      {"a priority array with a bad Null", 1, 87, -1, {0x00, 0x01}},
      {"a priority slot", 1, 87, 3, {0x44, 0x42, 0x48, 0x00, 0x00}},
      {"a priority array's length", 1, 87, 0, {0x21, 0x10}},
      {"an object list", 8, 76, -1, {0xC4, 0x02, 0x00, 0x03, 0xE9, 0xC4, 0, 0, 0, 1}},
      {"an object list ending in a closing tag", 8, 76, -1, {0xC4, 0x02, 0x00, 0x03, 0xE9, 0x0F}},
      {"a Null where one may be", 9, 101, -1, {0x00}},
      {"an index of a plain value", 0, 85, 2, {0x44, 0, 0, 0, 0}},
      {"no octets", 0, 85, -1, {}},
      {"an unknown property", 0, 1000, -1, {0x21, 0x01}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto n = uint32_t(c.octets.size());
    int32_t datatype = 0;
    uint32_t count = 0;
    const int32_t outcome =
        AsnClassifyPropertyValue(c.octets.data(), n, AsnCheckPropertyDatatype, c.objectType,
                                 c.property, c.arrayIndex, &datatype, &count);
    const uint32_t size =
        AsnDecodedSizeProperty(c.objectType, c.property, c.arrayIndex, c.octets.data(), n);
    std::vector<uint64_t> arena(size / 8 + 2);
    auto* top = reinterpret_cast<uint8_t*>(arena.data()) + size;
    uint8_t* end = top;
    VelmoraAnyValue value{};
    ASSERT_EQ(AsnDecodePropertyBudget(c.objectType, c.property, c.arrayIndex, c.octets.data(), n,
                                      &value, &end),
              ASN_OK);
    EXPECT_EQ(value.type, datatype);
    if (outcome != ASN_TYPED_BY_SCHEMA || count != 0) {
      EXPECT_EQ(value.count, count);
    }
    EXPECT_EQ(uint32_t(top - end), size);
  }
}

}  // namespace
