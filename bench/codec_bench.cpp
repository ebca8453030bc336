// The value codec on one ReadPropertyMultiple acknowledgement of 1476
// octets (the largest a device sends unsegmented) of mixed values: Reals,
// Enumerateds, bit strings, character strings, a device's object list and
// priority arrays. Per property value: the syntax check, the decode into
// any-values through the datatype table (measure, then decode), the three
// as a client runs them on a received acknowledgement through one walk
// record, and the encoding back, beside a plain bounded tag walk of the
// same octets.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_commands.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_value_walk.h"
#include "bacnet/priority_value.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kReadPropertyMultiple = 14;
constexpr uint32_t kAckOctets = 1476;
constexpr uint32_t kNone = VELMORA_NO_INDEX;

// Property identifiers.
constexpr uint32_t kEventState = 36, kObjectList = 76, kObjectName = 77, kPresentValue = 85,
                   kPriorityArray = 87, kStatusFlags = 111, kUnits = 117, kRelinquish = 104;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "codec_bench: %s\n", what);
  std::exit(1);
}

// The records of the acknowledgement and the storage their values point at.
class Ack {
 public:
  explicit Ack(uint32_t nameLength) {
    AddDevice();
    for (uint32_t i = 1; i <= 12; ++i)
      AddAnalogInput(i);
    for (uint32_t i = 1; i <= 3; ++i)
      AddOutput(1, i, ASN_TYPE_REAL);  // analog outputs
    for (uint32_t i = 1; i <= 2; ++i)
      AddOutput(4, i, ASN_TYPE_ENUMERATED);  // binary outputs
    AddBinaryInput(1, std::string(nameLength, 'x'));
  }
  const std::vector<VelmoraReadAccessResult>& results() const { return objects_; }
  uint32_t values() const {
    uint32_t n = 0;
    for (const auto& o : objects_)
      n += o.count;
    return n;
  }

 private:
  template <typename T>
  VelmoraAnyValue Keep(int32_t type, const T* items, uint32_t count, uint32_t bytes) {
    auto& block = storage_.emplace_back(bytes);
    std::memcpy(block.data(), items, bytes);
    return {type, block.data(), bytes, count};
  }
  VelmoraAnyValue Real(float v) { return Keep(ASN_TYPE_REAL, &v, 1, sizeof v); }
  VelmoraAnyValue Enumerated(uint32_t v) { return Keep(ASN_TYPE_ENUMERATED, &v, 1, sizeof v); }
  VelmoraAnyValue Flags(uint8_t bits) {
    VelmoraBitString b = {4, {bits}};
    return Keep(ASN_TYPE_BIT_STRING, &b, 1, sizeof b);
  }
  VelmoraAnyValue Text(const std::string& s) {
    return Keep(ASN_TYPE_TEXT_ANSI, s.c_str(), 1, uint32_t(s.size() + 1));
  }
  void Property(uint32_t property, VelmoraAnyValue value) {
    VelmoraReadResult r{};
    r.property = property;
    r.array_index = kNone;
    r.success = 1;
    r.value = value;
    pending_.push_back(r);
  }
  void Object(uint32_t type, uint32_t instance) {
    auto& list = lists_.emplace_back(pending_);
    objects_.push_back({{type, instance}, uint32_t(list.size()), list.data()});
    pending_.clear();
  }

  void AddDevice() {
    Property(kObjectName, Text("Boiler House Controller"));
    Property(112, Enumerated(0));  // system status
    Property(121, Text("Velmora Building Systems"));
    // The object list: the device and 29 objects.
    std::vector<VelmoraObjectId> ids = {{8, 1001}};
    for (uint32_t i = 1; i <= 29; ++i)
      ids.push_back({i % 5, i});
    Property(kObjectList, Keep(ASN_TYPE_OBJECT_ID, ids.data(), uint32_t(ids.size()),
                               uint32_t(ids.size() * sizeof(VelmoraObjectId))));
    Object(8, 1001);
  }
  void AddAnalogInput(uint32_t i) {
    Property(kPresentValue, Real(20.0f + float(i) * 0.25f));
    Property(kStatusFlags, Flags(i % 2 ? 0x00 : 0x40));
    Property(kObjectName, Text("Supply Temperature " + std::to_string(i)));
    Property(kUnits, Enumerated(62));
    Property(kEventState, Enumerated(0));
    Object(0, i);
  }
  // An output of the type whose priority array holds NULLs and one value
  // of the datatype.
  void AddOutput(uint32_t type, uint32_t i, int32_t datatype) {
    VelmoraPriorityValue slots[VELMORA_PRIORITY_SLOTS] = {};
    slots[7].type = uint32_t(datatype);
    if (datatype == ASN_TYPE_REAL)
      slots[7].value.real = 50.0f;
    else
      slots[7].value.u = 1;
    bool analog = datatype == ASN_TYPE_REAL;
    Property(kPresentValue, analog ? Real(50.0f) : Enumerated(1));
    Property(kStatusFlags, Flags(0x00));
    Property(kPriorityArray,
             Keep(ASN_TYPE_PRIORITY_VALUE, slots, VELMORA_PRIORITY_SLOTS, sizeof slots));
    Property(kRelinquish, analog ? Real(0.0f) : Enumerated(0));
    Property(kObjectName, Text((analog ? "Valve " : "Pump ") + std::to_string(i)));
    Object(type, i);
  }
  void AddBinaryInput(uint32_t i, const std::string& name) {
    Property(kPresentValue, Enumerated(0));
    Property(kStatusFlags, Flags(0x00));
    Property(kObjectName, Text(name));
    Object(3, i);
  }

  std::vector<std::vector<uint8_t>> storage_;
  std::vector<std::vector<VelmoraReadResult>> lists_;
  std::vector<VelmoraReadResult> pending_;
  std::vector<VelmoraReadAccessResult> objects_;
};

Bytes Encode(const Ack& ack) {
  Bytes out(4096);
  AsnCursor cursor = AsnCursorOver(out.data(), uint32_t(out.size()));
  if (AsnEncodeReadAccessResultList(ack.results().data(), uint32_t(ack.results().size()),
                                    &cursor) != ASN_OK)
    Fail("the acknowledgement does not encode");
  out.resize(size_t(cursor.current - out.data()));
  return out;
}

// The acknowledgement, its last object's name grown until it is exactly
// kAckOctets long.
struct Fixture {
  Fixture() {
    for (uint32_t n = 0; n < 200 && octets.size() != kAckOctets; ++n)
      octets = Encode(Ack(n));
    if (octets.size() != kAckOctets) Fail("no name length makes 1476 octets");
    values = Ack(0).values();
    if (AsnCheckComplexAck(kReadPropertyMultiple, octets.data(), kAckOctets) != 0)
      Fail("the checker refuses the acknowledgement");
  }
  Bytes octets;
  uint32_t values = 0;
};

const Fixture& Data() {
  static const Fixture f;
  return f;
}

void PerValue(benchmark::State& state) {
  state.counters["values"] = Data().values;
  state.counters["per_value"] = benchmark::Counter(
      Data().values, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetBytesProcessed(int64_t(state.iterations()) * kAckOctets);
}

// Decodes the acknowledgement as a list of read access results into one
// buffer of its decoded size.
struct Decoded {
  Decoded() {
    const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
    const Bytes& o = Data().octets;
    buffer.resize(AsnDecodedSizeList(row, o.data(), kAckOctets) / 8 + 1);
    value = {ASN_TYPE_NONE, buffer.data(), uint32_t(buffer.size() * 8), 0};
    if (AsnDecodeValueList(row, o.data(), kAckOctets, &value, nullptr) != ASN_OK)
      Fail("the acknowledgement does not decode");
  }
  std::vector<uint64_t> buffer;  // aligned for the records
  VelmoraAnyValue value{};
};

void BM_TagWalk(benchmark::State& state) {
  const Bytes& o = Data().octets;
  for (auto _ : state) {
    const uint8_t* p = o.data();
    const uint8_t* end = p + o.size();
    uint32_t elements = 0;
    while (p < end) {
      int32_t n = AsnTagSkipElement(p, end);
      if (n <= 0) Fail("the tag walk stops");
      p += n;
      ++elements;
    }
    benchmark::DoNotOptimize(elements);
  }
  PerValue(state);
}

void BM_Check(benchmark::State& state) {
  const Bytes& o = Data().octets;
  for (auto _ : state) {
    uint32_t result = AsnCheckComplexAck(kReadPropertyMultiple, o.data(), kAckOctets);
    benchmark::DoNotOptimize(result);
  }
  PerValue(state);
}

void BM_Decode(benchmark::State& state) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  const Bytes& o = Data().octets;
  Decoded d;
  for (auto _ : state) {
    VelmoraAnyValue v = {ASN_TYPE_NONE, d.buffer.data(), uint32_t(d.buffer.size() * 8), 0};
    int32_t status = AsnDecodeValueList(row, o.data(), kAckOctets, &v, nullptr);
    benchmark::DoNotOptimize(status);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}

// The check of the acknowledgement and its decoded size, through `walk`.
uint32_t CheckAndMeasure(const AsnDatatype* row, const Bytes& o, AsnValueWalk* walk) {
  AsnValueWalkInit(walk);
  if (AsnCheckComplexAckWalk(kReadPropertyMultiple, o.data(), kAckOctets, walk) != 0)
    Fail("the checker refuses the acknowledgement");
  return AsnDecodedSizeList(row, o.data(), kAckOctets, walk);
}

// What a client does with a received acknowledgement: the syntax check,
// then the decoded size measured and the decode into a buffer of it.
void BM_CheckSizeDecode(benchmark::State& state) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  const Bytes& o = Data().octets;
  Decoded d;
  AsnValueWalk walk;
  for (auto _ : state) {
    const uint32_t size = CheckAndMeasure(row, o, &walk);
    if (size > d.buffer.size() * 8) Fail("the decoded size grew");
    VelmoraAnyValue v = {ASN_TYPE_NONE, d.buffer.data(), size, 0};
    int32_t status = AsnDecodeValueList(row, o.data(), kAckOctets, &v, nullptr, &walk);
    benchmark::DoNotOptimize(status);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}

// The decode step of the row above alone: the walk record made once by the
// check and the measure, every iteration decoding through it.
void BM_DecodeWalked(benchmark::State& state) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  const Bytes& o = Data().octets;
  Decoded d;
  AsnValueWalk walk;
  const uint32_t size = CheckAndMeasure(row, o, &walk);
  for (auto _ : state) {
    VelmoraAnyValue v = {ASN_TYPE_NONE, d.buffer.data(), size, 0};
    int32_t status = AsnDecodeValueList(row, o.data(), kAckOctets, &v, nullptr, &walk);
    benchmark::DoNotOptimize(status);
    benchmark::ClobberMemory();
  }
  PerValue(state);
}

void BM_Encode(benchmark::State& state) {
  Decoded d;
  const auto* results = static_cast<const VelmoraReadAccessResult*>(d.value.buffer);
  Bytes out(kAckOctets);
  for (auto _ : state) {
    AsnCursor cursor = AsnCursorOver(out.data(), kAckOctets);
    int32_t status = AsnEncodeReadAccessResultList(results, d.value.count, &cursor);
    if (status != ASN_OK) Fail("the decoded acknowledgement does not encode");
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  if (out != Data().octets) Fail("the encoding differs from the acknowledgement");
  PerValue(state);
}

BENCHMARK(BM_TagWalk);
BENCHMARK(BM_Check);
BENCHMARK(BM_Decode);
BENCHMARK(BM_CheckSizeDecode);
BENCHMARK(BM_DecodeWalked);
BENCHMARK(BM_Encode);

}  // namespace

BENCHMARK_MAIN();
