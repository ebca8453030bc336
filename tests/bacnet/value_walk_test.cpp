// A list measured and decoded through a walk record, the octets checked
// first, decodes exactly as the list codec without one: same status, count
// and size, and records that encode to the same octets.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_value_walk.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kComplexAck = 2;  // the APDU corpus's selector of a complex ACK

struct Input {
  std::string name;
  int32_t datatype;
  uint32_t service;  // of a complex ACK; 0 none
  Bytes octets;
};

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The octets' longest start that checks as a list of the datatype's
// values: the decoders read only what the checker accepted.
Bytes Accepted(int32_t datatype, const Bytes& octets) {
  const uint16_t schema = AsnSchemaRowOfDatatype(datatype);
  if (schema == 0) return {};
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, octets.data(), uint32_t(octets.size()));
  if (AsnCheckSequenceOf(&reader, schema) != AsnCheckOk) return {};
  return Bytes(octets.begin(), octets.end() - reader.remaining);
}

// The corpus files: datatype inputs are a datatype code, a mode and the
// octets, taken as far as they check as a list of that datatype's values;
// APDU inputs a selector, a service choice and the parameters, of which
// the complex ACKs that are lists of one datatype's values and check.
std::vector<Input> Inputs() {
  std::vector<Input> inputs;
  const std::filesystem::path root = VELMORA_SOURCE_DIR "/fuzz/corpus";
  for (const auto& e : std::filesystem::directory_iterator(root / "datatype")) {
    const Bytes b = ReadFile(e.path());
    if (b.size() < 2 || !AsnDatatypeFind(int8_t(b[0]))) continue;
    const Bytes octets = Accepted(int8_t(b[0]), Bytes(b.begin() + 2, b.end()));
    if (!octets.empty()) inputs.push_back({e.path().filename(), int8_t(b[0]), 0, octets});
  }
  for (const auto& e : std::filesystem::directory_iterator(root / "apdu")) {
    const Bytes b = ReadFile(e.path());
    if (b.size() < 2 || (b[0] & 3) != kComplexAck) continue;
    const uint16_t root = AsnCheckComplexAckRoot(b[1]);
    const uint16_t list = root ? AsnSchemaSeqOfRow(root) : uint16_t{0};
    const Bytes octets(b.begin() + 2, b.end());
    const AsnDatatype* row = list ? AsnDatatypeFind(AsnSchemaTable[list].datatype) : nullptr;
    if (row && row->decode && AsnCheckComplexAck(b[1], octets.data(), uint32_t(octets.size())) == 0)
      inputs.push_back({e.path().filename(), AsnSchemaTable[list].datatype, b[1], octets});
  }
  return inputs;
}

struct Decoded {
  int32_t status;
  uint32_t size;
  VelmoraAnyValue value;
  Bytes encoded;  // the records encoded back
  int32_t encodeStatus;
};

// Decodes into a buffer of the measured size.
Decoded DecodeInto(std::vector<uint64_t>* buffer, const Input& in, bool walked) {
  const AsnDatatype* row = AsnDatatypeFind(in.datatype);
  const auto n = uint32_t(in.octets.size());
  AsnValueWalk walk;
  AsnValueWalkInit(&walk);
  Decoded d{};
  if (walked) {
    if (in.service != 0) AsnCheckComplexAckWalk(in.service, in.octets.data(), n, &walk);
    d.size = AsnDecodedSizeList(row, in.octets.data(), n, &walk);
  } else {
    d.size = AsnDecodedSizeList(row, in.octets.data(), n);
  }
  buffer->assign(d.size / 8 + 1, 0);
  d.value = {ASN_TYPE_NONE, buffer->data(), d.size, 0};
  d.status = walked ? AsnDecodeValueList(row, in.octets.data(), n, &d.value, nullptr, &walk)
                    : AsnDecodeValueList(row, in.octets.data(), n, &d.value, nullptr);
  // Records hold padding the decoders never write, so they are compared by
  // what they encode to.
  d.encoded.assign(in.octets.size() * 2 + 64, 0);
  AsnCursor cursor = AsnCursorOver(d.encoded.data(), uint32_t(d.encoded.size()));
  d.encodeStatus = d.status == ASN_OK ? AsnEncodeTypedArray(&d.value, &cursor) : d.status;
  d.encoded.resize(size_t(cursor.current - d.encoded.data()));
  return d;
}

TEST(ValueWalk, DecodesAsTheListCodecWithoutOne) {
  const std::vector<Input> inputs = Inputs();
  ASSERT_GT(inputs.size(), 50u);
  uint32_t checked = 0;
  std::vector<uint64_t> buffer;
  for (const Input& in : inputs) {
    SCOPED_TRACE(in.name + " as datatype " + std::to_string(in.datatype));
    const Decoded plain = DecodeInto(&buffer, in, false);
    const Decoded walked = DecodeInto(&buffer, in, true);
    EXPECT_EQ(walked.status, plain.status);
    EXPECT_EQ(walked.size, plain.size);
    EXPECT_EQ(walked.value.type, plain.value.type);
    EXPECT_EQ(walked.value.count, plain.value.count);
    EXPECT_EQ(walked.value.capacity, plain.value.capacity);
    EXPECT_EQ(walked.encodeStatus, plain.encodeStatus);
    EXPECT_EQ(walked.encoded, plain.encoded);
    if (in.datatype == ASN_TYPE_READ_ACCESS_RESULT && in.service != 0) ++checked;
  }
  // The acknowledgement of ReadPropertyMultiple is measured over checked octets.
  EXPECT_GT(checked, 0u);
}

// A walk that has no slot left measures the values again when decoding,
// with the same records.
TEST(ValueWalk, AFullWalkDecodesTheSame) {
  // ReadPropertyMultiple-ACK: analog-input 1, present value 1.0 and 200 times
  // its name "a".
  Bytes ack = {0x0C, 0x00, 0x00, 0x00, 0x01, 0x1E, 0x29, 0x55,
               0x4E, 0x44, 0x3F, 0x80, 0x00, 0x00, 0x4F};
  for (int i = 0; i < 200; ++i)
    ack.insert(ack.end(), {0x29, 0x4D, 0x4E, 0x72, 0x00, 'a', 0x4F});
  ack.push_back(0x1F);
  const Input in = {"names", ASN_TYPE_READ_ACCESS_RESULT, 14, ack};
  ASSERT_EQ(AsnCheckComplexAck(14, ack.data(), uint32_t(ack.size())), 0u);
  std::vector<uint64_t> buffer;
  const Decoded plain = DecodeInto(&buffer, in, false);
  const Decoded walked = DecodeInto(&buffer, in, true);
  ASSERT_EQ(plain.status, ASN_OK);
  EXPECT_EQ(plain.value.count, 1u);
  EXPECT_EQ(walked.status, plain.status);
  EXPECT_EQ(walked.size, plain.size);
  EXPECT_EQ(walked.encoded, plain.encoded);
  EXPECT_EQ(plain.encoded, ack);
}

}  // namespace
