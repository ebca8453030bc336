// One slot of a priority array: NULL or a primitive, chosen by datatype code.
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
