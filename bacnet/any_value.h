// The tagged any-value record: a value, or an array or list of values of one
// datatype, in a buffer the caller supplies or an allocator provides.
#pragma once

#include <cstdint>

#include "bacnet/priority_value.h"
#include "bacnet/records.h"

// Storage for results whose size the caller does not know in advance. An
// allocator object starts with a pointer to its operations.
struct VelmoraAllocator;
struct VelmoraAllocatorOps {
  void* (*alloc)(VelmoraAllocator* self, uint32_t size);
  void (*free)(VelmoraAllocator* self, void* block);
};
struct VelmoraAllocator {
  const VelmoraAllocatorOps* ops;
};

struct VelmoraAnyValue {
  int32_t type;       // datatype code; -1 none, 0 NULL
  void* buffer;       // elements, then their variable parts
  uint32_t capacity;  // bytes
  uint32_t count;     // elements; 0 for an empty record
};

bool VelmoraAnyValueInit(VelmoraAnyValue* v, int32_t type, void* buffer, uint32_t capacity);
bool VelmoraAnyValueInitCount(VelmoraAnyValue* v, int32_t type, void* buffer, uint32_t capacity,
                              uint32_t count);
bool VelmoraAnyValueInitEmpty(VelmoraAnyValue* v, void* buffer, uint32_t capacity);
bool VelmoraAnyValueFree(VelmoraAllocator* allocator, VelmoraAnyValue* v);
bool VelmoraAnyValueSetBuffer(VelmoraAnyValue* v, void* buffer, uint32_t capacity);
bool VelmoraAnyValueSetType(VelmoraAnyValue* v, int32_t type);
bool VelmoraAnyValueSetCount(VelmoraAnyValue* v, uint32_t count);
int32_t VelmoraAnyValueGetType(const VelmoraAnyValue* v);
void* VelmoraAnyValueGetBuffer(const VelmoraAnyValue* v);
uint32_t VelmoraAnyValueGetCapacity(const VelmoraAnyValue* v);
uint32_t VelmoraAnyValueGetCount(const VelmoraAnyValue* v);
uint32_t VelmoraAnyValueGetSize(const VelmoraAnyValue* v);
bool VelmoraAnyValueIsNull(const VelmoraAnyValue* v);
bool VelmoraAnyValueIsEmpty(const VelmoraAnyValue* v);
bool VelmoraAnyValueCopy(VelmoraAnyValue* dst, const VelmoraAnyValue* src);
// Copies the elements into dst's own buffer. Variable parts (octets, texts,
// raw octets) are relocated into dst as well, so dst never points into src;
// refused when dst is too small, the buffers overlap, or the datatype has
// variable parts this record cannot relocate (constructed types).
bool VelmoraAnyValueCopyData(VelmoraAnyValue* dst, const VelmoraAnyValue* src);

bool VelmoraAnyValueSetNull(VelmoraAnyValue* v);
bool VelmoraAnyValueSetBoolean(VelmoraAnyValue* v, bool value);
bool VelmoraAnyValueSetUnsigned(VelmoraAnyValue* v, uint32_t value);
bool VelmoraAnyValueSetSigned(VelmoraAnyValue* v, int32_t value);
bool VelmoraAnyValueSetReal(VelmoraAnyValue* v, float value);
bool VelmoraAnyValueSetDouble(VelmoraAnyValue* v, double value);
bool VelmoraAnyValueSetBitString(VelmoraAnyValue* v, const VelmoraBitString* value);
bool VelmoraAnyValueInitBitString(VelmoraAnyValue* v, uint32_t bitCount);
bool VelmoraAnyValueSetEnumerated(VelmoraAnyValue* v, uint32_t value);
bool VelmoraAnyValueSetObjectIdList(VelmoraAnyValue* v, const VelmoraObjectId* ids, uint32_t count);
bool VelmoraAnyValueSetPriorityValue(VelmoraAnyValue* v, const VelmoraPriorityValue* value);
bool VelmoraAnyValueSetPriorityValueNull(VelmoraAnyValue* v);

// Getters read the start of the buffer whatever the datatype code; without a
// buffer large enough for the type they return their default (the record
// getters also without a buffer aligned for the record).
bool VelmoraAnyValueGetBoolean(const VelmoraAnyValue* v);
uint32_t VelmoraAnyValueGetUnsigned(const VelmoraAnyValue* v);
int32_t VelmoraAnyValueGetSigned(const VelmoraAnyValue* v);
uint32_t VelmoraAnyValueGetEnumerated(const VelmoraAnyValue* v);
float VelmoraAnyValueGetReal(const VelmoraAnyValue* v);
double VelmoraAnyValueGetDouble(const VelmoraAnyValue* v);
VelmoraBitString* VelmoraAnyValueGetBitString(const VelmoraAnyValue* v);
VelmoraPriorityValue* VelmoraAnyValueGetPriorityValue(const VelmoraAnyValue* v);
