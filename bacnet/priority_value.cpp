#include "bacnet/priority_value.h"

#include "bacnet/record_accessors.h"

using PV = VelmoraPriorityValue;

RECORD_DO(VelmoraPriorityValueInit, PV, r->type = 0)
RECORD_ADDRESS(void, VelmoraPriorityValueGetValueAddress, PV, r->value)
RECORD_GET(uint32_t, VelmoraPriorityValueGetType, PV, 0, r->type)
RECORD_DO(VelmoraPriorityValueSetNull, PV, r->type = 0)
RECORD_GET(bool, VelmoraPriorityValueIsNull, PV, false, r->type == 0)
RECORD_SET(VelmoraPriorityValueSetEnumerated, PV, uint32_t, r->type = 9, r->value.u = v)
RECORD_GET(uint32_t, VelmoraPriorityValueGetEnumerated, PV, -1, r->value.u)
RECORD_SET(VelmoraPriorityValueSetReal, PV, float, r->type = 4, r->value.real = v)
RECORD_GET(float, VelmoraPriorityValueGetReal, PV, 0, r->value.real)
RECORD_SET(VelmoraPriorityValueSetUnsigned, PV, uint32_t, r->type = 2, r->value.u = v)
RECORD_GET(uint32_t, VelmoraPriorityValueGetUnsigned, PV, -1, r->value.u)
RECORD_COPY(VelmoraPriorityValueCopy, PV)

RECORD_DO(VelmoraPriorityArrayInit, VelmoraPriorityArray, for (PV& slot : r->slots) slot.type = 0)
RECORD_COPY(VelmoraPriorityArrayCopy, VelmoraPriorityArray)
