// Round trips through the datatype table: a record is encoded by its row's
// encoder, decoded by the row's decoder into a guard-banded buffer of
// exactly the row's decoded size, and encoded again.
//
// A code's values are one entry of a RoundTripCode table; the harness below
// needs nothing else to run them, alone and as lists of 0, 1 and many.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

#include "bacnet/any_value.h"
#include "tests/bacnet/support/counting_allocator.h"

// A bit string of the bits given, first bit first.
VelmoraBitString Bits(std::initializer_list<int> bits);

// Storage the records of a case point into; it lives while the case runs.
class RoundTripKeep {
 public:
  template <typename T>
  T* Add(const T& record) {
    auto* p = reinterpret_cast<T*>(Block(sizeof(T)));
    std::memcpy(static_cast<void*>(p), &record, sizeof(T));
    return p;
  }
  template <typename T>
  T* Array(std::initializer_list<T> records) {
    auto* p = reinterpret_cast<T*>(Block(sizeof(T) * records.size()));
    size_t i = 0;
    for (const T& r : records)
      std::memcpy(static_cast<void*>(p + i++), &r, sizeof(T));
    return p;
  }
  // An any-value of the elements given, in storage of its own.
  template <typename T>
  VelmoraAnyValue Value(int32_t type, std::initializer_list<T> elements) {
    T* p = Array(elements);
    return {type, p, uint32_t(sizeof(T) * elements.size()), uint32_t(elements.size())};
  }
  VelmoraAnyValue Null() { return {0, nullptr, 0, 1}; }
  // One packed text of a text datatype, terminator included.
  VelmoraAnyValue Text(int32_t type, std::initializer_list<uint8_t> bytes) {
    return {type, Array(bytes), uint32_t(bytes.size()), 1};
  }
  std::span<const uint8_t> Copy(std::span<const uint8_t> bytes) {
    uint8_t* p = Block(bytes.size());
    if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
    return {p, bytes.size()};
  }

 private:
  uint8_t* Block(size_t n);
  std::deque<std::vector<uint64_t>> blocks_;  // 8-aligned
};

// One value of a code: its record (the bytes the row's encoder reads: a
// record, or for a text datatype the text with its terminator), and the
// octets it encodes to where the case states them.
struct RoundTripValue {
  const char* name;
  std::function<std::span<const uint8_t>(RoundTripKeep&)> make;
  const char* octets = nullptr;  // hex; null: not stated
  bool listable = true;          // a value the syntax checker takes as one of the datatype
};

struct RoundTripCode {
  int32_t code;
  std::vector<RoundTripValue> values;
};

// A value from a builder returning the record itself.
template <typename T>
RoundTripValue RoundTrip(const char* name, std::function<T(RoundTripKeep&)> build,
                         const char* octets = nullptr, bool listable = true) {
  return {name,
          [build](RoundTripKeep& keep) {
            T* record = keep.Add(build(keep));
            return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(record), sizeof(T));
          },
          octets, listable};
}

// Encode, decode into exactly the decoded size (storage used equals it,
// guards intact, the whole encoding consumed), encode again (the same
// octets); a cursor short of room is refused with 18 and left unmoved.
void ExpectRoundTrip(int32_t code, const RoundTripValue& value);
// The values one after another as one any-value: encoded, checked by the
// syntax checker against the datatype's schema rows, decoded as a list
// through an allocator and into a buffer of exactly the list's size, and
// encoded again.
void ExpectListRoundTrip(int32_t code, const std::vector<const RoundTripValue*>& values);
// Every prefix of a constructed datatype's encoding of the value, each in a
// block of exactly its length, through the decoder into exactly what the
// decoded-size function asks: the decoder reads inside the prefix and uses
// that storage whole, and the record it leaves encodes without a fault.
void ExpectCutShortStaysInside(int32_t code, const RoundTripValue& value);
// Whether the syntax checker takes the octets as values of the datatype,
// one after another, by any one of the schema rows of the datatype.
bool SchemaAcceptsValues(int32_t code, const uint8_t* data, uint32_t length);

// The first value of the octets decoded through the row of the code, as the
// list codec calls its decoder, into a guard-banded buffer of exactly the
// row's decoded size.
struct RoundTripDecoded {
  explicit RoundTripDecoded(uint32_t n) : buffer(n), size(n) {}
  GuardedBuffer buffer;
  uint32_t size;        // the decoded size
  uint32_t used = 0;    // the fixed part and what the decode carved
  size_t consumed = 0;  // octets the decoder moved over
  void* record() { return buffer.data(); }
};
RoundTripDecoded DecodeThroughRow(int32_t code, std::span<const uint8_t> octets);
// The row's encoding of one record, and its status.
int32_t EncodeThroughRow(int32_t code, const void* record, std::vector<uint8_t>* out);
