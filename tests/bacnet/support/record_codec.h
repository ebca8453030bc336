// One record through a table encoder, and through a table decoder into a
// pattern-filled area, so that a write past the record, or a record left as
// it was, shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bacnet/asn_tag.h"

inline constexpr uint8_t kRecordPattern = 0xA5;
inline constexpr size_t kRecordRoom = 128;  // larger than every record decoded this way

struct DecodedRecord {
  std::vector<uint8_t> area;  // the record, then the rest of the room
  size_t consumed;            // octets the decoder moved over
  // Whether the decoder wrote nothing past the record's size.
  bool WithinRecord(size_t size) const {
    for (size_t i = size; i < area.size(); ++i)
      if (area[i] != kRecordPattern) return false;
    return true;
  }
  // Whether the decoder wrote nothing at all.
  bool Untouched() const { return WithinRecord(0); }
  template <typename R>
  R As() const {
    R r;
    std::memcpy(&r, area.data(), sizeof r);
    return r;
  }
};

// The octets are copied to a block of exactly their length, so that a read
// past them is caught.
inline DecodedRecord DecodeRecord(void (*decode)(AsnCursor*, void*),
                                  const std::vector<uint8_t>& octets) {
  std::vector<uint8_t> input(octets);
  DecodedRecord d{std::vector<uint8_t>(kRecordRoom, kRecordPattern), 0};
  AsnCursor c = AsnCursorOver(input.data(), uint32_t(input.size()));
  decode(&c, d.area.data());
  d.consumed = size_t(c.current - input.data());
  return d;
}

// The octets the encoder writes for the record, with room to spare; its
// status to *status.
inline std::vector<uint8_t> EncodeRecord(int32_t (*encode)(const void*, AsnCursor*),
                                         const void* record, int32_t* status) {
  std::vector<uint8_t> out(256);
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  *status = encode(record, &c);
  out.resize(size_t(c.current - out.data()));
  return out;
}
