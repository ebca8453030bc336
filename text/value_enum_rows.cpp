// Which enumeration row names the values of a property.
#include <algorithm>
#include <iterator>

#include "bacnet/bacnet_enums.h"

#include "text/enum_names.h"
#include "text/value_text.h"

namespace {

// Rows that depend on the object type.
constexpr int16_t kObjectValue = -1;        // the object type's present value
constexpr int16_t kObjectValueOrDoor = -2;  // the same, door alarm states for an access door

struct PropertyRow {
  uint16_t property;
  int16_t row;
};

// Sorted by property identifier.
constexpr PropertyRow kPropertyRows[] = {
    {0, VELMORA_ENUM_EVENT_TRANSITION_BITS},
    {1, VELMORA_ENUM_EVENT_TRANSITION_BITS},
    {2, VELMORA_ENUM_ACTION},
    {6, kObjectValue},
    {7, kObjectValueOrDoor},
    {20, VELMORA_ENUM_ENGINEERING_UNITS},
    {27, VELMORA_ENUM_ENGINEERING_UNITS},
    {32, VELMORA_ENUM_DAY_OF_WEEK},
    {35, VELMORA_ENUM_EVENT_TRANSITION_BITS},
    {36, VELMORA_ENUM_EVENT_STATE},
    {37, VELMORA_ENUM_EVENT_TYPE},
    {39, kObjectValueOrDoor},
    {40, kObjectValue},
    {41, VELMORA_ENUM_FILE_ACCESS_METHOD},
    {50, VELMORA_ENUM_ENGINEERING_UNITS},
    {52, VELMORA_ENUM_LIMIT_ENABLE_BITS},
    {56, VELMORA_ENUM_MONTH},
    {72, VELMORA_ENUM_NOTIFY_TYPE},
    {78, VELMORA_ENUM_PROPERTY},
    {79, VELMORA_ENUM_OBJECT_TYPE},
    {82, VELMORA_ENUM_ENGINEERING_UNITS},
    {84, VELMORA_ENUM_POLARITY},
    {85, kObjectValue},
    {87, kObjectValue},
    {90, VELMORA_ENUM_PROGRAM_REQUEST},
    {92, VELMORA_ENUM_PROGRAM_STATE},
    {94, VELMORA_ENUM_ENGINEERING_UNITS},
    {96, VELMORA_ENUM_OBJECT_TYPE},
    {97, VELMORA_ENUM_SERVICES_SUPPORTED_BITS},
    {100, VELMORA_ENUM_PROGRAM_ERROR},
    {102, VELMORA_ENUM_DAYS_OF_WEEK_BITS},
    {103, VELMORA_ENUM_RELIABILITY},
    {104, kObjectValue},
    {107, VELMORA_ENUM_SEGMENTATION},
    {111, VELMORA_ENUM_STATUS_FLAGS_BITS},
    {112, VELMORA_ENUM_DEVICE_STATUS},
    {117, VELMORA_ENUM_ENGINEERING_UNITS},
    {122, VELMORA_ENUM_VT_CLASS},
    {158, VELMORA_ENUM_MAINTENANCE},
    {160, VELMORA_ENUM_LIFE_SAFETY_MODE},
    {161, VELMORA_ENUM_LIFE_SAFETY_OPERATION},
    {163, VELMORA_ENUM_SILENCED_STATE},
    {164, kObjectValue},
    {166, kObjectValue},
    {175, VELMORA_ENUM_LIFE_SAFETY_MODE},
    {184, VELMORA_ENUM_ACCUMULATOR_STATUS},
    {196, VELMORA_ENUM_RESTART_REASON},
    {197, VELMORA_ENUM_LOGGING_TYPE},
    {208, VELMORA_ENUM_NODE_TYPE},
    {226, VELMORA_ENUM_DOOR_ALARM_STATE},
    {231, VELMORA_ENUM_DOOR_STATUS},
    {233, VELMORA_ENUM_LOCK_STATUS},
    {234, VELMORA_ENUM_DOOR_ALARM_STATE},
    {235, VELMORA_ENUM_DOOR_SECURED_STATUS},
};

static_assert(std::is_sorted(std::begin(kPropertyRows), std::end(kPropertyRows),
                             [](const PropertyRow& a, const PropertyRow& b) {
                               return a.property < b.property;
                             }));

// Present values with names; every other object type's are numbers.
struct ObjectValueRow {
  uint32_t object_type;
  int32_t row;
};

constexpr ObjectValueRow kObjectValueRows[] = {
    {BACNET_OBJ_BINARY_INPUT, VELMORA_ENUM_BINARY_PV},
    {BACNET_OBJ_BINARY_OUTPUT, VELMORA_ENUM_BINARY_PV},
    {BACNET_OBJ_BINARY_VALUE, VELMORA_ENUM_BINARY_PV},
    {BACNET_OBJ_LIFE_SAFETY_POINT, VELMORA_ENUM_LIFE_SAFETY_STATE},
    {BACNET_OBJ_LIFE_SAFETY_ZONE, VELMORA_ENUM_LIFE_SAFETY_STATE},
    {BACNET_OBJ_LOAD_CONTROL, VELMORA_ENUM_SHED_STATE},
    {BACNET_OBJ_ACCESS_DOOR, VELMORA_ENUM_DOOR_VALUE},
};

}  // namespace

int32_t VelmoraEnumForObjectValue(uint32_t objectType) {
  for (const ObjectValueRow& r : kObjectValueRows)
    if (r.object_type == objectType) return r.row;
  return VELMORA_ENUM_GENERIC;
}

int32_t VelmoraEnumForProperty(uint32_t objectType, uint32_t property) {
  auto it = std::lower_bound(std::begin(kPropertyRows), std::end(kPropertyRows), property,
                             [](const PropertyRow& r, uint32_t p) { return r.property < p; });
  if (it == std::end(kPropertyRows) || it->property != property) return VELMORA_ENUM_GENERIC;
  if (it->row == kObjectValueOrDoor && objectType == BACNET_OBJ_ACCESS_DOOR)
    return VELMORA_ENUM_DOOR_ALARM_STATE;
  if (it->row < 0) return VelmoraEnumForObjectValue(objectType);
  return it->row;
}
