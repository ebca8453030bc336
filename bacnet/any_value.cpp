#include "bacnet/any_value.h"

#include <cstring>

#include "bacnet/any_value_store.h"
#include "bacnet/asn_datatype.h"

namespace {

bool OneOfTwo(const void* buffer, uint32_t capacity) {
  return (buffer == nullptr) != (capacity == 0);
}

}  // namespace

bool VelmoraAnyValueInit(VelmoraAnyValue* v, int32_t type, void* buffer, uint32_t capacity) {
  return VelmoraAnyValueInitCount(v, type, buffer, capacity, 1);
}

bool VelmoraAnyValueInitCount(VelmoraAnyValue* v, int32_t type, void* buffer, uint32_t capacity,
                              uint32_t count) {
  if (!v || (type != 0 && count != 0 && OneOfTwo(buffer, capacity))) return false;
  *v = {type, buffer, capacity, count};
  return true;
}

bool VelmoraAnyValueInitEmpty(VelmoraAnyValue* v, void* buffer, uint32_t capacity) {
  if (!v || OneOfTwo(buffer, capacity)) return false;
  *v = {-1, buffer, capacity, 0};
  return true;
}

bool VelmoraAnyValueFree(VelmoraAllocator* allocator, VelmoraAnyValue* v) {
  if (!allocator || !v) return false;
  if (v->buffer) allocator->ops->free(allocator, v->buffer);
  *v = {-1, nullptr, 0, 0};
  return true;
}

bool VelmoraAnyValueSetBuffer(VelmoraAnyValue* v, void* buffer, uint32_t capacity) {
  if (!v || OneOfTwo(buffer, capacity)) return false;
  v->buffer = buffer;
  v->capacity = capacity;
  return true;
}

bool VelmoraAnyValueSetType(VelmoraAnyValue* v, int32_t type) {
  if (!v) return false;
  v->type = type;
  return true;
}

bool VelmoraAnyValueSetCount(VelmoraAnyValue* v, uint32_t count) {
  if (!v) return false;
  v->count = count;
  return true;
}

int32_t VelmoraAnyValueGetType(const VelmoraAnyValue* v) { return v ? v->type : -1; }
void* VelmoraAnyValueGetBuffer(const VelmoraAnyValue* v) { return v ? v->buffer : nullptr; }
uint32_t VelmoraAnyValueGetCapacity(const VelmoraAnyValue* v) { return v ? v->capacity : 0; }
uint32_t VelmoraAnyValueGetCount(const VelmoraAnyValue* v) { return v ? v->count : 0; }
uint32_t VelmoraAnyValueGetSize(const VelmoraAnyValue* v) { return v ? AsnValueBufferSize(v) : 0; }

bool VelmoraAnyValueIsNull(const VelmoraAnyValue* v) { return !v || v->type == 0; }

bool VelmoraAnyValueIsEmpty(const VelmoraAnyValue* v) {
  if (!v) return false;
  return !v->buffer || v->capacity == 0 || v->type == 0 || v->type == -1;
}

bool VelmoraAnyValueCopy(VelmoraAnyValue* dst, const VelmoraAnyValue* src) {
  if (!dst || !src) return false;
  *dst = *src;
  return true;
}

bool VelmoraAnyValueSetNull(VelmoraAnyValue* v) {
  if (!v) return false;
  v->type = 0;
  v->count = 1;
  return true;
}

bool VelmoraAnyValueSetBoolean(VelmoraAnyValue* v, bool value) {
  return AnyValueStore(v, 1, uint8_t(value ? 1 : 0));
}
bool VelmoraAnyValueSetUnsigned(VelmoraAnyValue* v, uint32_t value) {
  return AnyValueStore(v, 2, value);
}
bool VelmoraAnyValueSetSigned(VelmoraAnyValue* v, int32_t value) {
  return AnyValueStore(v, 3, value);
}
bool VelmoraAnyValueSetReal(VelmoraAnyValue* v, float value) { return AnyValueStore(v, 4, value); }
bool VelmoraAnyValueSetDouble(VelmoraAnyValue* v, double value) {
  return AnyValueStore(v, 5, value);
}
bool VelmoraAnyValueSetEnumerated(VelmoraAnyValue* v, uint32_t value) {
  return AnyValueStore(v, 9, value);
}

bool VelmoraAnyValueSetBitString(VelmoraAnyValue* v, const VelmoraBitString* value) {
  return value && AnyValueStore(v, 8, *value);
}

bool VelmoraAnyValueInitBitString(VelmoraAnyValue* v, uint32_t bitCount) {
  VelmoraBitString bits;
  return VelmoraBitStringInit(&bits, bitCount) && AnyValueStore(v, 8, bits);
}

bool VelmoraAnyValueSetObjectIdList(VelmoraAnyValue* v, const VelmoraObjectId* ids,
                                    uint32_t count) {
  if (!v || (!ids && count != 0)) return false;
  uint64_t bytes = uint64_t(count) * sizeof(VelmoraObjectId);
  if (count != 0 && (!v->buffer || bytes > v->capacity)) return false;
  if (count != 0) std::memcpy(v->buffer, ids, size_t(bytes));
  v->type = 12;
  v->count = count;
  return true;
}

bool VelmoraAnyValueSetPriorityValue(VelmoraAnyValue* v, const VelmoraPriorityValue* value) {
  return value && AnyValueStore(v, 19, *value);
}

bool VelmoraAnyValueSetPriorityValueNull(VelmoraAnyValue* v) {
  VelmoraPriorityValue null{};
  null.type = 0;
  return AnyValueStore(v, 19, null);
}

bool VelmoraAnyValueGetBoolean(const VelmoraAnyValue* v) {
  return AnyValueLoad<uint8_t>(v, 0) != 0;
}
uint32_t VelmoraAnyValueGetUnsigned(const VelmoraAnyValue* v) {
  return AnyValueLoad<uint32_t>(v, 0xFFFFFFFFu);
}
int32_t VelmoraAnyValueGetSigned(const VelmoraAnyValue* v) { return AnyValueLoad<int32_t>(v, -1); }
uint32_t VelmoraAnyValueGetEnumerated(const VelmoraAnyValue* v) {
  return AnyValueLoad<uint32_t>(v, 0xFFFFFFFFu);
}
float VelmoraAnyValueGetReal(const VelmoraAnyValue* v) { return AnyValueLoad<float>(v, 0.0f); }
double VelmoraAnyValueGetDouble(const VelmoraAnyValue* v) { return AnyValueLoad<double>(v, 0.0); }

VelmoraBitString* VelmoraAnyValueGetBitString(const VelmoraAnyValue* v) {
  return AnyValueRecordAt<VelmoraBitString>(v);
}

VelmoraPriorityValue* VelmoraAnyValueGetPriorityValue(const VelmoraAnyValue* v) {
  return AnyValueRecordAt<VelmoraPriorityValue>(v);
}
