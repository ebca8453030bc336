// The BACnet numbers the code names: object types, property identifiers,
// service choices, error classes and codes, reject and abort reasons. Every
// other file takes them from here. The text utilities check these values
// against their name lists at build time (text/enum_name_lists.cpp,
// text/status_text.cpp): a constant is named as its value's name there.
#pragma once

#include <cstdint>

// Object types.
inline constexpr uint32_t BACNET_OBJ_ANALOG_INPUT = 0;
inline constexpr uint32_t BACNET_OBJ_ANALOG_OUTPUT = 1;
inline constexpr uint32_t BACNET_OBJ_ANALOG_VALUE = 2;
inline constexpr uint32_t BACNET_OBJ_BINARY_INPUT = 3;
inline constexpr uint32_t BACNET_OBJ_BINARY_OUTPUT = 4;
inline constexpr uint32_t BACNET_OBJ_BINARY_VALUE = 5;
inline constexpr uint32_t BACNET_OBJ_CALENDAR = 6;
inline constexpr uint32_t BACNET_OBJ_COMMAND = 7;
inline constexpr uint32_t BACNET_OBJ_DEVICE = 8;
inline constexpr uint32_t BACNET_OBJ_EVENT_ENROLLMENT = 9;
inline constexpr uint32_t BACNET_OBJ_FILE = 10;
inline constexpr uint32_t BACNET_OBJ_GROUP = 11;
inline constexpr uint32_t BACNET_OBJ_LOOP = 12;
inline constexpr uint32_t BACNET_OBJ_MULTI_STATE_INPUT = 13;
inline constexpr uint32_t BACNET_OBJ_MULTI_STATE_OUTPUT = 14;
inline constexpr uint32_t BACNET_OBJ_NOTIFICATION_CLASS = 15;
inline constexpr uint32_t BACNET_OBJ_PROGRAM = 16;
inline constexpr uint32_t BACNET_OBJ_SCHEDULE = 17;
inline constexpr uint32_t BACNET_OBJ_AVERAGING = 18;
inline constexpr uint32_t BACNET_OBJ_MULTI_STATE_VALUE = 19;
inline constexpr uint32_t BACNET_OBJ_TREND_LOG = 20;
inline constexpr uint32_t BACNET_OBJ_LIFE_SAFETY_POINT = 21;
inline constexpr uint32_t BACNET_OBJ_LIFE_SAFETY_ZONE = 22;
inline constexpr uint32_t BACNET_OBJ_ACCUMULATOR = 23;
inline constexpr uint32_t BACNET_OBJ_PULSE_CONVERTER = 24;
inline constexpr uint32_t BACNET_OBJ_EVENT_LOG = 25;
inline constexpr uint32_t BACNET_OBJ_TREND_LOG_MULTIPLE = 27;
inline constexpr uint32_t BACNET_OBJ_LOAD_CONTROL = 28;
inline constexpr uint32_t BACNET_OBJ_STRUCTURED_VIEW = 29;
inline constexpr uint32_t BACNET_OBJ_ACCESS_DOOR = 30;
// The last standard object type.
inline constexpr uint32_t BACNET_OBJ_LAST_STANDARD = BACNET_OBJ_ACCESS_DOOR;

// Property identifiers.
inline constexpr uint32_t BACNET_PROP_ALL = 8;
inline constexpr uint32_t BACNET_PROP_MAX_APDU_LENGTH_ACCEPTED = 62;
inline constexpr uint32_t BACNET_PROP_OBJECT_IDENTIFIER = 75;
inline constexpr uint32_t BACNET_PROP_OBJECT_LIST = 76;
inline constexpr uint32_t BACNET_PROP_OBJECT_NAME = 77;
inline constexpr uint32_t BACNET_PROP_OBJECT_TYPE = 79;
inline constexpr uint32_t BACNET_PROP_OPTIONAL = 80;
inline constexpr uint32_t BACNET_PROP_PRESENT_VALUE = 85;
inline constexpr uint32_t BACNET_PROP_REQUIRED = 105;
inline constexpr uint32_t BACNET_PROP_SEGMENTATION_SUPPORTED = 107;
inline constexpr uint32_t BACNET_PROP_STATUS_FLAGS = 111;
inline constexpr uint32_t BACNET_PROP_VENDOR_IDENTIFIER = 120;
inline constexpr uint32_t BACNET_PROP_MAX_SEGMENTS_ACCEPTED = 167;

// Confirmed service choices.
inline constexpr uint8_t BACNET_SERVICE_COV_NOTIFICATION = 1;
inline constexpr uint8_t BACNET_SERVICE_EVENT_NOTIFICATION = 2;
inline constexpr uint8_t BACNET_SERVICE_CREATE_OBJECT = 10;
inline constexpr uint8_t BACNET_SERVICE_READ_PROPERTY = 12;
inline constexpr uint8_t BACNET_SERVICE_READ_PROPERTY_MULTIPLE = 14;
inline constexpr uint8_t BACNET_SERVICE_WRITE_PROPERTY_MULTIPLE = 16;
inline constexpr uint8_t BACNET_SERVICE_PRIVATE_TRANSFER = 18;
// Confirmed service choices are below this.
inline constexpr uint8_t BACNET_CONFIRMED_SERVICE_COUNT = 30;

// Unconfirmed service choices.
inline constexpr uint8_t BACNET_UNCONFIRMED_I_AM = 0;
inline constexpr uint8_t BACNET_UNCONFIRMED_I_HAVE = 1;
inline constexpr uint8_t BACNET_UNCONFIRMED_COV_NOTIFICATION = 2;
inline constexpr uint8_t BACNET_UNCONFIRMED_EVENT_NOTIFICATION = 3;
inline constexpr uint8_t BACNET_UNCONFIRMED_WHO_IS = 8;

// Error classes.
inline constexpr uint32_t BACNET_ERROR_CLASS_DEVICE = 0;
inline constexpr uint32_t BACNET_ERROR_CLASS_OBJECT = 1;
inline constexpr uint32_t BACNET_ERROR_CLASS_PROPERTY = 2;
inline constexpr uint32_t BACNET_ERROR_CLASS_RESOURCES = 3;
inline constexpr uint32_t BACNET_ERROR_CLASS_SECURITY = 4;
inline constexpr uint32_t BACNET_ERROR_CLASS_SERVICES = 5;
inline constexpr uint32_t BACNET_ERROR_CLASS_VT = 6;
inline constexpr uint32_t BACNET_ERROR_CLASS_COMMUNICATION = 7;

// Error codes.
inline constexpr uint32_t BACNET_ERROR_CODE_OTHER = 0;
inline constexpr uint32_t BACNET_ERROR_CODE_INVALID_DATA_TYPE = 9;
inline constexpr uint32_t BACNET_ERROR_CODE_MISSING_PARAMETER = 16;
inline constexpr uint32_t BACNET_ERROR_CODE_NO_SPACE_FOR_OBJECT = 18;
inline constexpr uint32_t BACNET_ERROR_CODE_NO_SPACE_FOR_ELEMENT = 19;
inline constexpr uint32_t BACNET_ERROR_CODE_NO_SPACE_TO_WRITE_PROPERTY = 20;
inline constexpr uint32_t BACNET_ERROR_CODE_PROPERTY_IS_NOT_A_LIST = 22;
inline constexpr uint32_t BACNET_ERROR_CODE_OBJECT_ID_ALREADY_EXISTS = 24;
inline constexpr uint32_t BACNET_ERROR_CODE_READ_ACCESS_DENIED = 27;
inline constexpr uint32_t BACNET_ERROR_CODE_UNKNOWN_OBJECT = 31;
inline constexpr uint32_t BACNET_ERROR_CODE_UNKNOWN_PROPERTY = 32;
inline constexpr uint32_t BACNET_ERROR_CODE_UNSUPPORTED_OBJECT_TYPE = 36;
inline constexpr uint32_t BACNET_ERROR_CODE_VALUE_OUT_OF_RANGE = 37;
inline constexpr uint32_t BACNET_ERROR_CODE_WRITE_ACCESS_DENIED = 40;
inline constexpr uint32_t BACNET_ERROR_CODE_CHARACTER_SET_NOT_SUPPORTED = 41;
inline constexpr uint32_t BACNET_ERROR_CODE_INVALID_ARRAY_INDEX = 42;
inline constexpr uint32_t BACNET_ERROR_CODE_COV_SUBSCRIPTION_FAILED = 43;
inline constexpr uint32_t BACNET_ERROR_CODE_NOT_COV_PROPERTY = 44;
inline constexpr uint32_t BACNET_ERROR_CODE_OPTIONAL_FUNCTIONALITY_NOT_SUPPORTED = 45;
inline constexpr uint32_t BACNET_ERROR_CODE_DUPLICATE_NAME = 48;
inline constexpr uint32_t BACNET_ERROR_CODE_DUPLICATE_OBJECT_ID = 49;
inline constexpr uint32_t BACNET_ERROR_CODE_PROPERTY_IS_NOT_AN_ARRAY = 50;

// Reject reasons.
inline constexpr uint8_t BACNET_REJECT_OTHER = 0;
inline constexpr uint8_t BACNET_REJECT_BUFFER_OVERFLOW = 1;
inline constexpr uint8_t BACNET_REJECT_INCONSISTENT_PARAMETERS = 2;
inline constexpr uint8_t BACNET_REJECT_INVALID_PARAMETER_DATA_TYPE = 3;
inline constexpr uint8_t BACNET_REJECT_INVALID_TAG = 4;
inline constexpr uint8_t BACNET_REJECT_MISSING_REQUIRED_PARAMETER = 5;
inline constexpr uint8_t BACNET_REJECT_PARAMETER_OUT_OF_RANGE = 6;
inline constexpr uint8_t BACNET_REJECT_TOO_MANY_ARGUMENTS = 7;
inline constexpr uint8_t BACNET_REJECT_UNDEFINED_ENUMERATION = 8;
inline constexpr uint8_t BACNET_REJECT_UNRECOGNIZED_SERVICE = 9;

// Abort reasons.
inline constexpr uint8_t BACNET_ABORT_OTHER = 0;
inline constexpr uint8_t BACNET_ABORT_BUFFER_OVERFLOW = 1;
inline constexpr uint8_t BACNET_ABORT_INVALID_APDU_IN_THIS_STATE = 2;
inline constexpr uint8_t BACNET_ABORT_PREEMPTED_BY_HIGHER_PRIORITY_TASK = 3;
inline constexpr uint8_t BACNET_ABORT_SEGMENTATION_NOT_SUPPORTED = 4;
