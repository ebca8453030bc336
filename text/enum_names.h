// Names of the values of BACnet enumerations and of the bits of BACnet bit
// strings, both ways, through one constant directory of rows. Pure
// functions of constant data: safe on any thread.
#pragma once

#include <cstdint>

// One enumeration. names holds count entries (an empty entry: the value has
// no name), then the unknown text, then, only when first_proprietary is not
// 0, the reserved and the proprietary texts.
struct EnumNameTable {
  const char* const* names;
  uint32_t count;              // values 0 .. count-1 can have a name
  uint32_t first_proprietary;  // 0: no reserved/proprietary split
  uint32_t limit;              // one past the largest valid value; 0 without a split
};

// Row numbers of the directory.
inline constexpr int32_t VELMORA_ENUM_DAY_OF_WEEK = 0;
inline constexpr int32_t VELMORA_ENUM_DAYS_OF_WEEK_BITS = 1;
inline constexpr int32_t VELMORA_ENUM_MONTH = 2;
inline constexpr int32_t VELMORA_ENUM_OBJECT_TYPE = 3;
inline constexpr int32_t VELMORA_ENUM_PROPERTY = 4;
inline constexpr int32_t VELMORA_ENUM_ACTION = 5;
inline constexpr int32_t VELMORA_ENUM_BINARY_PV = 6;
inline constexpr int32_t VELMORA_ENUM_DEVICE_STATUS = 7;
inline constexpr int32_t VELMORA_ENUM_EVENT_STATE = 8;
inline constexpr int32_t VELMORA_ENUM_EVENT_TRANSITION_BITS = 9;
inline constexpr int32_t VELMORA_ENUM_EVENT_TYPE = 10;
inline constexpr int32_t VELMORA_ENUM_LIMIT_ENABLE_BITS = 11;
inline constexpr int32_t VELMORA_ENUM_NOTIFY_TYPE = 12;
inline constexpr int32_t VELMORA_ENUM_POLARITY = 13;
inline constexpr int32_t VELMORA_ENUM_PROGRAM_ERROR = 14;
inline constexpr int32_t VELMORA_ENUM_PROGRAM_REQUEST = 15;
inline constexpr int32_t VELMORA_ENUM_PROGRAM_STATE = 16;
inline constexpr int32_t VELMORA_ENUM_RELIABILITY = 17;
inline constexpr int32_t VELMORA_ENUM_SEGMENTATION = 18;
inline constexpr int32_t VELMORA_ENUM_SERVICES_SUPPORTED_BITS = 19;
inline constexpr int32_t VELMORA_ENUM_STATUS_FLAGS_BITS = 20;
inline constexpr int32_t VELMORA_ENUM_ENGINEERING_UNITS = 21;
inline constexpr int32_t VELMORA_ENUM_FILE_ACCESS_METHOD = 22;
inline constexpr int32_t VELMORA_ENUM_LIFE_SAFETY_MODE = 23;
inline constexpr int32_t VELMORA_ENUM_LIFE_SAFETY_OPERATION = 24;
inline constexpr int32_t VELMORA_ENUM_LIFE_SAFETY_STATE = 25;
inline constexpr int32_t VELMORA_ENUM_MAINTENANCE = 26;
inline constexpr int32_t VELMORA_ENUM_SILENCED_STATE = 27;
inline constexpr int32_t VELMORA_ENUM_ACCUMULATOR_STATUS = 28;
inline constexpr int32_t VELMORA_ENUM_NODE_TYPE = 29;
inline constexpr int32_t VELMORA_ENUM_SHED_STATE = 30;
inline constexpr int32_t VELMORA_ENUM_LOG_STATUS_BITS = 31;
inline constexpr int32_t VELMORA_ENUM_RESULT_FLAGS_BITS = 32;
inline constexpr int32_t VELMORA_ENUM_DOOR_VALUE = 33;
inline constexpr int32_t VELMORA_ENUM_LOCK_STATUS = 34;
inline constexpr int32_t VELMORA_ENUM_DOOR_SECURED_STATUS = 35;
inline constexpr int32_t VELMORA_ENUM_DOOR_STATUS = 36;
inline constexpr int32_t VELMORA_ENUM_DOOR_ALARM_STATE = 37;
inline constexpr int32_t VELMORA_ENUM_VT_CLASS = 38;
inline constexpr int32_t VELMORA_ENUM_LOGGING_TYPE = 39;
inline constexpr int32_t VELMORA_ENUM_RESTART_REASON = 40;
inline constexpr int32_t VELMORA_ENUM_GENERIC = 41;  // no names: every value is "enumeration"
inline constexpr int32_t VELMORA_ENUM_ROWS = 42;

extern const EnumNameTable VelmoraEnumNames[VELMORA_ENUM_ROWS];

// Row figures; 0 for a row outside 0 .. 41.
uint32_t VelmoraEnumNameCount(int32_t row);
uint32_t VelmoraEnumFirstProprietary(int32_t row);
uint32_t VelmoraEnumLimit(int32_t row);
// limit - 1 with a split, else count - 1 (0xFFFFFFFF for the generic row).
uint32_t VelmoraEnumMaxValue(int32_t row);

// Value classes. A row outside 0 .. 41 counts as the generic row 41.
bool VelmoraEnumIsStandard(int32_t row, uint32_t value);
bool VelmoraEnumIsReserved(int32_t row, uint32_t value);
bool VelmoraEnumIsProprietary(int32_t row, uint32_t value);
bool VelmoraEnumIsUnknown(int32_t row, uint32_t value);

// The value's name, or the row's reserved, proprietary or unknown text;
// never empty. A row outside 0 .. 41 counts as the generic row 41.
const char* VelmoraEnumValueName(int32_t row, uint32_t value);

// The value whose name equals text exactly (case matters), or -1. Fallback
// texts never match; -1 for a row outside 0 .. 41.
int32_t VelmoraEnumValueFromName(int32_t row, const char* text);
