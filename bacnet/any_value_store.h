// How the any-value accessors reach the start of the buffer: the buffer is
// caller memory of no particular alignment, so records and scalars go
// through memcpy, and a record is handed out by address only where it is
// aligned for it. Every store checks the capacity first and changes nothing
// when the value does not fit. For the any-value accessors alone.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "bacnet/any_value.h"

template <typename T>
bool AnyValueStore(VelmoraAnyValue* v, int32_t type, const T& value, uint32_t count = 1) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (!v || !v->buffer || v->capacity < sizeof(T)) return false;
  std::memmove(v->buffer, &value, sizeof(T));
  v->type = type;
  v->count = count;
  return true;
}

template <typename T>
T AnyValueLoad(const VelmoraAnyValue* v, T fallback) {
  if (!v || !v->buffer || v->capacity < sizeof(T)) return fallback;
  T value;
  std::memcpy(&value, v->buffer, sizeof(T));
  return value;
}

template <typename T>
T* AnyValueRecordAt(const VelmoraAnyValue* v) {
  if (!v || !v->buffer || v->capacity < sizeof(T)) return nullptr;
  if (reinterpret_cast<uintptr_t>(v->buffer) % alignof(T) != 0) return nullptr;
  return static_cast<T*>(v->buffer);
}

// Runs a record's constructor on the record at the start of the buffer:
// on a copy of what the buffer holds, so that the fields of other
// alternatives keep their octets, written back only when the constructor
// accepts its arguments.
template <typename T, typename... Params, typename... Args>
bool AnyValueConstruct(VelmoraAnyValue* v, int32_t type, uint32_t count,
                       bool (*construct)(T*, Params...), Args&&... args) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (!v || !v->buffer || v->capacity < sizeof(T)) return false;
  T record;
  std::memcpy(&record, v->buffer, sizeof(T));
  if (!construct(&record, std::forward<Args>(args)...)) return false;
  return AnyValueStore(v, type, record, count);
}
