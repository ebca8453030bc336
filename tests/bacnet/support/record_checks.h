// Checks shared by the record tests: what getters answer for a missing
// record, setters that must refuse and leave the record's bytes as they
// were, and copies that must share the caller's storage.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <variant>

// A getter's answer, comparable across the getters' return types: integers
// keep their value (so uint32_t -1 is 4294967295), floats widen.
using RecordAnswer = std::variant<int64_t, double, const void*>;

template <typename T>
RecordAnswer AnswerOf(T value) {
  if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
    return static_cast<const void*>(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    return double(value);
  } else {
    return int64_t(value);
  }
}

struct RecordDefault {
  const char* call;
  RecordAnswer got;
  RecordAnswer want;
};

// One row: a getter called on a missing record and the answer it owes.
#define MISSING(call, want) \
  RecordDefault { #call, AnswerOf(call), AnswerOf(want) }

inline void ExpectDefaults(std::initializer_list<RecordDefault> rows) {
  for (const RecordDefault& row : rows)
    EXPECT_EQ(row.got, row.want) << row.call;
}

template <typename R>
struct RecordRefusal {
  const char* call;
  bool (*run)(R* r);
};

// One row: a call that must answer false, given the filled record as r.
// clang-format off
#define REFUSE(R, call) \
  RecordRefusal<R> { #call, [](R* r) -> bool { (void)r; return call; } }
// clang-format on

// Runs every row on a byte copy of the filled record and checks that the
// call answered false and wrote nothing.
template <typename R>
void ExpectRefusals(const R& filled, std::initializer_list<RecordRefusal<R>> rows) {
  for (const RecordRefusal<R>& row : rows) {
    R r;
    std::memcpy(&r, &filled, sizeof r);
    EXPECT_FALSE(row.run(&r)) << row.call;
    EXPECT_EQ(0, std::memcmp(&r, &filled, sizeof r)) << row.call << " wrote to the record";
  }
}

// A record whose every byte is the pattern, so that a write shows.
template <typename R>
R PatternRecord(uint8_t pattern = 0xA5) {
  R r;
  std::memset(&r, pattern, sizeof r);
  return r;
}

// Builds the source on the heap and frees it once copied: a copy that kept
// a pointer into the source instead of the caller's storage would then be
// read after free, which AddressSanitizer reports.
template <typename R, typename Fill, typename Check>
void ExpectCopyShares(bool (*copy)(R*, const R*), Fill fill, Check check) {
  auto source = std::make_unique<R>();
  std::memset(source.get(), 0, sizeof(R));
  fill(source.get());
  R copied = PatternRecord<R>();
  ASSERT_TRUE(copy(&copied, source.get()));
  source.reset();
  check(&copied);
}
