// Bodies shared by the record accessors, for the record sources only. Each
// accessor is one line naming its field, its default for a missing record
// and the choice it writes; the null checks, list rules and copies that
// every accessor makes are written here once. Inside a body `r` is the
// record and `v` the value or source record given.
#pragma once

#include <algorithm>
#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records_read.h"

// How a list setter checks its {array, count} pair.
enum class RecordList {
  CountNeedsArray,  // a count needs an array
  BothOrNeither,    // both set or both empty
  ArrayRequired,    // an array, whatever the count
  Unchecked,        // any pair
};

constexpr bool RecordListAccepts(RecordList rule, const void* array, uint32_t count) {
  switch (rule) {
    case RecordList::CountNeedsArray:
      return array || count == 0;
    case RecordList::BothOrNeither:
      return (array != nullptr) == (count != 0);
    case RecordList::ArrayRequired:
      return array != nullptr;
    case RecordList::Unchecked:
      return true;
  }
  return false;
}

// Element i of a caller's array; the index is the caller's to keep below
// the count, but a missing array gives no element rather than an address
// computed from null.
template <typename T>
T* RecordElement(T* array, uint32_t i) {
  return array ? array + i : nullptr;
}

template <typename T>
bool CopyRecord(T* dst, const T* src) {
  if (!dst || !src) return false;
  *dst = *src;
  return true;
}

// The read result records (by address, by object handle): what one holds
// by kind VELMORA_RESULT_*, all ones for another kind or a missing record.
template <typename R>
uint32_t RecordResultCount(const R* r, uint32_t kind) {
  if (!r) return UINT32_MAX;
  switch (kind) {
    case VELMORA_RESULT_CAPACITY:
      return r->capacity;
    case VELMORA_RESULT_COUNT:
      return r->count;
    case VELMORA_RESULT_STORED:
      return std::min(r->capacity, r->count);
    default:
      return UINT32_MAX;
  }
}

// Gives back through the allocator what a read stored in a result record:
// every element's value buffer that is set, then the array; array,
// capacity and count become 0.
template <typename R>
void RecordResultFree(VelmoraAllocator* allocator, R* r) {
  if (r->results) {
    for (uint32_t i = 0; i < r->capacity; ++i)
      if (void* buffer = r->results[i].value.buffer) allocator->ops->free(allocator, buffer);
    allocator->ops->free(allocator, r->results);
  }
  r->results = nullptr;
  r->capacity = 0;
  r->count = 0;
}

#define RECORD_GET(Type, Name, Record, Default, ...)                        \
  Type Name(const Record* r) {                                              \
    return r ? static_cast<Type>(__VA_ARGS__) : static_cast<Type>(Default); \
  }

// The address of a field, from a record and from a const record.
#define RECORD_ADDRESS(Type, Name, Record, ...)                  \
  Type* Name(Record* r) { return r ? &(__VA_ARGS__) : nullptr; } \
  const Type* Name(const Record* r) { return r ? &(__VA_ARGS__) : nullptr; }

#define RECORD_SET(Name, Record, Type, ...) \
  bool Name(Record* r, Type v) {            \
    if (!r) return false;                   \
    __VA_ARGS__;                            \
    return true;                            \
  }

// A setter that copies a source record, which is required.
#define RECORD_PUT(Name, Record, Type, ...) \
  bool Name(Record* r, const Type* v) {     \
    if (!r || !v) return false;             \
    __VA_ARGS__;                            \
    return true;                            \
  }

// An operation on the record alone.
#define RECORD_DO(Name, Record, ...) \
  bool Name(Record* r) {             \
    if (!r) return false;            \
    __VA_ARGS__;                     \
    return true;                     \
  }

#define RECORD_COPY(Name, Record) \
  bool Name(Record* dst, const Record* src) { return CopyRecord(dst, src); }

// Element i of the list whose array the expression names.
#define RECORD_ELEMENT(Type, Name, Record, ...) \
  Type* Name(const Record* r, uint32_t i) { return r ? RecordElement(__VA_ARGS__, i) : nullptr; }

// A list setter: stores array and count where the expressions name them,
// after the rule's check.
#define RECORD_LIST(Name, Record, Type, Rule, arrayField, countField) \
  bool Name(Record* r, Type* array, uint32_t count) {                 \
    if (!r || !RecordListAccepts(Rule, array, count)) return false;   \
    arrayField = array;                                               \
    countField = count;                                               \
    return true;                                                      \
  }
