#include "tests/bacnet/support/roundtrip.h"

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRoom = 4096;

// The row's encoder over the record bytes: a record, or packed texts for
// a variable-size datatype.
int32_t EncodeAt(const AsnDatatype* row, std::span<const uint8_t> record, AsnCursor* cursor) {
  if (row->size >= 0) return row->encode(record.data(), cursor);
  AsnTextSource source = {record.data(), uint32_t(record.size())};
  return row->encode(&source, cursor);
}

int32_t Encode(const AsnDatatype* row, std::span<const uint8_t> record, Bytes* out) {
  out->assign(kRoom, 0);
  AsnCursor c = AsnCursorOver(out->data(), kRoom);
  int32_t status = EncodeAt(row, record, &c);
  out->resize(size_t(c.current - out->data()));
  return status;
}

int32_t EncodeValue(const VelmoraAnyValue* value, Bytes* out) {
  out->assign(kRoom, 0);
  AsnCursor c = AsnCursorOver(out->data(), kRoom);
  int32_t status = AsnEncodeTypedArray(value, &c);
  out->resize(size_t(c.current - out->data()));
  return status;
}

}  // namespace

VelmoraBitString Bits(std::initializer_list<int> bits) {
  VelmoraBitString b{};
  VelmoraBitStringInit(&b, uint32_t(bits.size()));
  uint32_t i = 0;
  for (int bit : bits)
    VelmoraBitStringSetBit(&b, i++, uint8_t(bit));
  return b;
}

uint8_t* RoundTripKeep::Block(size_t n) {
  blocks_.emplace_back((n + 7) / 8 + 1, 0);
  return reinterpret_cast<uint8_t*>(blocks_.back().data());
}

RoundTripDecoded DecodeThroughRow(int32_t code, std::span<const uint8_t> octets) {
  const AsnDatatype* row = AsnDatatypeFind(code);
  const auto n = uint32_t(octets.size());
  const uint32_t size = row->decodedSize ? row->decodedSize(octets.data(), n) : uint32_t(row->size);
  RoundTripDecoded d(size);
  uint8_t* top = d.buffer.data() + size;
  // An arena only where one is needed, as the list codec gives it.
  const bool variable = row->size < 0;
  uint8_t** arena = !variable && size > uint32_t(row->size) ? &top : nullptr;
  AsnCursor in = AsnCursorOverConst(octets.data(), n);
  uint32_t used = 0;
  row->decode(&in, d.buffer.data(), arena, &used);
  d.consumed = size_t(in.current - octets.data());
  d.used = (variable ? used : uint32_t(row->size)) + uint32_t(d.buffer.data() + size - top);
  return d;
}

int32_t EncodeThroughRow(int32_t code, const void* record, Bytes* out) {
  const AsnDatatype* row = AsnDatatypeFind(code);
  if (!row || !row->encode) return ASN_NO_CODEC;
  return Encode(row, {static_cast<const uint8_t*>(record), size_t(row->size)}, out);
}

bool SchemaAcceptsValues(int32_t code, const uint8_t* data, uint32_t length) {
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, data, length);
  while (reader.remaining != 0) {
    bool taken = false;
    for (uint32_t row = 0; row < AsnSchemaRowCount && !taken; ++row) {
      if (AsnSchemaTable[row].datatype != code) continue;
      AsnCheckReader one;
      AsnCheckReaderInit(&one, reader.cursor, reader.remaining);
      if (AsnCheckElement(&one, row) == AsnCheckOk && one.remaining < reader.remaining) {
        reader = one;
        taken = true;
      }
    }
    if (!taken) return false;
  }
  return true;
}

void ExpectRoundTrip(int32_t code, const RoundTripValue& value) {
  SCOPED_TRACE(testing::Message() << "datatype " << code << ", " << value.name);
  const AsnDatatype* row = AsnDatatypeFind(code);
  ASSERT_TRUE(row && row->encode && row->decode);
  RoundTripKeep keep;
  const std::span<const uint8_t> record = value.make(keep);
  Bytes first;
  ASSERT_EQ(Encode(row, record, &first), ASN_OK);
  if (value.octets) {
    EXPECT_EQ(first, Hex(value.octets));
  }

  for (uint32_t room = 0; room < first.size(); ++room) {
    Bytes out(room);  // exactly the room: a write past it is caught
    AsnCursor c = AsnCursorOver(out.data(), room);
    EXPECT_EQ(EncodeAt(row, record, &c), ASN_NO_ROOM) << "room " << room;
    EXPECT_EQ(c.current, out.data()) << "room " << room;
  }

  const auto n = uint32_t(first.size());
  RoundTripDecoded d = DecodeThroughRow(code, first);
  EXPECT_EQ(d.consumed, first.size()) << "the whole encoding is one value";
  EXPECT_EQ(d.used, d.size) << "storage used";
  EXPECT_TRUE(d.buffer.guardsIntact());
  const uint32_t fixed = row->size < 0 ? d.used : uint32_t(row->size);
  uint32_t used = 0;

  AsnCursor skip = AsnCursorOverConst(first.data(), n);
  row->decode(&skip, nullptr, nullptr, &used);
  EXPECT_EQ(skip.current, skip.end) << "skipped without output";

  Bytes second;
  ASSERT_EQ(Encode(row, {d.buffer.data(), fixed}, &second), ASN_OK);
  EXPECT_EQ(second, first);

  // The constructed decoders bound every read themselves: each shorter
  // prefix, in a block of exactly its length, decodes inside it and inside
  // the storage its own decoded size asks for.
  if (code < ASN_TYPE_PRIORITY_VALUE || code == ASN_TYPE_WEEK_N_DAY) return;
  for (size_t k = 0; k < first.size(); ++k) {
    const Bytes prefix(first.begin(), first.begin() + std::ptrdiff_t(k));
    RoundTripDecoded cut = DecodeThroughRow(code, prefix);
    EXPECT_LE(cut.consumed, k) << "prefix " << k;
    EXPECT_LE(cut.used, cut.size) << "prefix " << k;
    EXPECT_TRUE(cut.buffer.guardsIntact()) << "prefix " << k;
  }
}

void ExpectListRoundTrip(int32_t code, const std::vector<const RoundTripValue*>& values) {
  SCOPED_TRACE(testing::Message() << "datatype " << code << ", list of " << values.size());
  const AsnDatatype* row = AsnDatatypeFind(code);
  ASSERT_TRUE(row && row->encode && row->decode);
  RoundTripKeep keep;
  Bytes packed;
  for (const RoundTripValue* v : values) {
    std::span<const uint8_t> record = v->make(keep);
    packed.insert(packed.end(), record.begin(), record.end());
  }
  std::vector<uint64_t> aligned(packed.size() / 8 + 1);
  if (!packed.empty()) std::memcpy(aligned.data(), packed.data(), packed.size());
  const VelmoraAnyValue list = {code, aligned.data(), uint32_t(packed.size()),
                                uint32_t(values.size())};
  Bytes octets;
  ASSERT_EQ(EncodeValue(&list, &octets), ASN_OK);
  const auto n = uint32_t(octets.size());
  EXPECT_TRUE(SchemaAcceptsValues(code, octets.data(), n)) << "checker refuses the encoding";
  const uint32_t size = AsnDecodedSizeList(row, octets.data(), n);

  CountingAllocator a;
  VelmoraAnyValue v{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, nullptr, 0));
  ASSERT_EQ(AsnDecodeValueList(row, octets.data(), n, &v, a.get()), ASN_OK);
  EXPECT_EQ(v.type, code);
  EXPECT_EQ(v.count, uint32_t(values.size()));
  EXPECT_EQ(a.sizes, size ? std::vector<uint32_t>{size} : std::vector<uint32_t>{});
  Bytes again;
  ASSERT_EQ(EncodeValue(&v, &again), ASN_OK);
  EXPECT_EQ(again, octets);
  EXPECT_TRUE(VelmoraAnyValueFree(a.get(), &v));
  EXPECT_TRUE(a.guardsIntact);

  GuardedBuffer own(size);
  if (size > 1) {  // a record with no room at all only asks
    ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, own.data(), size - 1));
    EXPECT_EQ(AsnDecodeValueList(row, octets.data(), n, &v, nullptr), ASN_NO_SPACE);
  }
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&v, size ? own.data() : nullptr, size));
  ASSERT_EQ(AsnDecodeValueList(row, octets.data(), n, &v, nullptr), ASN_OK);
  EXPECT_TRUE(own.guardsIntact());
  ASSERT_EQ(EncodeValue(&v, &again), ASN_OK);
  EXPECT_EQ(again, octets);
}

void ExpectCutShortStaysInside(int32_t code, const RoundTripValue& value) {
  SCOPED_TRACE(testing::Message() << "datatype " << code << ", " << value.name);
  const AsnDatatype* row = AsnDatatypeFind(code);
  ASSERT_TRUE(row && row->encode && row->decode && row->size >= 0);
  RoundTripKeep keep;
  Bytes whole;
  ASSERT_EQ(Encode(row, value.make(keep), &whole), ASN_OK);
  for (size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(testing::Message() << "first " << n << " octets");
    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
    const uint32_t size =
        row->decodedSize ? row->decodedSize(cut.data(), uint32_t(n)) : uint32_t(row->size);
    ASSERT_GE(size, uint32_t(row->size));
    GuardedBuffer buffer(size);
    std::memset(buffer.data(), 0, size);
    uint8_t* top = buffer.data() + size;
    uint8_t** arena = size > uint32_t(row->size) ? &top : nullptr;
    AsnCursor in = AsnCursorOverConst(cut.data(), uint32_t(n));
    uint32_t used = 0;
    row->decode(&in, buffer.data(), arena, &used);
    EXPECT_TRUE(in.current >= cut.data() && in.current <= in.end);
    EXPECT_EQ(top, buffer.data() + row->size) << "storage used";
    EXPECT_TRUE(buffer.guardsIntact());
    Bytes out;
    Encode(row, {buffer.data(), uint32_t(row->size)}, &out);
  }
}
