// One slot of a priority array: NULL or a primitive, chosen by datatype
// code; and the sixteen-slot priority array. Neither holds a pointer.
#pragma once

#include <cstdint>

struct VelmoraPriorityValue {
  uint32_t type;  // datatype code: 0 NULL, 2 Unsigned, 4 REAL, 9 ENUMERATED
  union {
    uint32_t u;
    float real;
  } value;
};
static_assert(sizeof(VelmoraPriorityValue) == 8);

inline constexpr uint32_t VELMORA_PRIORITY_SLOTS = 16;

// Slot 0 is priority 1. Laid out as the slots alone, as an any-value of
// sixteen priority values holds them.
struct VelmoraPriorityArray {
  VelmoraPriorityValue slots[VELMORA_PRIORITY_SLOTS];
};
static_assert(sizeof(VelmoraPriorityArray) ==
              VELMORA_PRIORITY_SLOTS * sizeof(VelmoraPriorityValue));

// The value getters read the value field whatever the datatype code.
bool VelmoraPriorityValueInit(VelmoraPriorityValue* p);
void* VelmoraPriorityValueGetValueAddress(VelmoraPriorityValue* p);
const void* VelmoraPriorityValueGetValueAddress(const VelmoraPriorityValue* p);
uint32_t VelmoraPriorityValueGetType(const VelmoraPriorityValue* p);  // 0 (NULL) missing
bool VelmoraPriorityValueSetNull(VelmoraPriorityValue* p);
bool VelmoraPriorityValueIsNull(const VelmoraPriorityValue* p);  // false missing
bool VelmoraPriorityValueSetEnumerated(VelmoraPriorityValue* p, uint32_t value);
uint32_t VelmoraPriorityValueGetEnumerated(const VelmoraPriorityValue* p);
bool VelmoraPriorityValueSetReal(VelmoraPriorityValue* p, float value);
float VelmoraPriorityValueGetReal(const VelmoraPriorityValue* p);
bool VelmoraPriorityValueSetUnsigned(VelmoraPriorityValue* p, uint32_t value);
uint32_t VelmoraPriorityValueGetUnsigned(const VelmoraPriorityValue* p);
bool VelmoraPriorityValueCopy(VelmoraPriorityValue* dst, const VelmoraPriorityValue* src);

// Init makes every slot NULL and leaves the value fields as they were.
bool VelmoraPriorityArrayInit(VelmoraPriorityArray* a);
bool VelmoraPriorityArrayCopy(VelmoraPriorityArray* dst, const VelmoraPriorityArray* src);
