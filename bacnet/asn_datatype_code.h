// Datatype codes: the library's number for each BACnet datatype, the key of
// the datatype table and the type of a VelmoraAnyValue.
#pragma once

#include <cstdint>

inline constexpr int32_t ASN_TYPE_NULL = 0;
inline constexpr int32_t ASN_TYPE_BOOLEAN = 1;
inline constexpr int32_t ASN_TYPE_UNSIGNED = 2;
inline constexpr int32_t ASN_TYPE_SIGNED = 3;
inline constexpr int32_t ASN_TYPE_REAL = 4;
inline constexpr int32_t ASN_TYPE_DOUBLE = 5;
inline constexpr int32_t ASN_TYPE_OCTET_STRING = 6;
inline constexpr int32_t ASN_TYPE_CHAR_STRING = 7;
inline constexpr int32_t ASN_TYPE_BIT_STRING = 8;
inline constexpr int32_t ASN_TYPE_ENUMERATED = 9;
inline constexpr int32_t ASN_TYPE_DATE = 10;
inline constexpr int32_t ASN_TYPE_TIME = 11;
inline constexpr int32_t ASN_TYPE_OBJECT_ID = 12;
// Text held in one character set; the codes follow the sets' numbers.
inline constexpr int32_t ASN_TYPE_TEXT_ANSI = 13;
inline constexpr int32_t ASN_TYPE_TEXT_DBCS = 14;
inline constexpr int32_t ASN_TYPE_TEXT_JIS = 15;
inline constexpr int32_t ASN_TYPE_TEXT_UCS4 = 16;
inline constexpr int32_t ASN_TYPE_TEXT_UCS2 = 17;
inline constexpr int32_t ASN_TYPE_TEXT_ISO8859 = 18;
inline constexpr int32_t ASN_TYPE_PRIORITY_VALUE = 19;
inline constexpr int32_t ASN_TYPE_ADDRESS = 20;
inline constexpr int32_t ASN_TYPE_DATE_TIME = 21;
inline constexpr int32_t ASN_TYPE_OBJ_PROP_REF = 22;
inline constexpr int32_t ASN_TYPE_PROPERTY_STATES = 23;
inline constexpr int32_t ASN_TYPE_DATE_RANGE = 24;
inline constexpr int32_t ASN_TYPE_WEEK_N_DAY = 25;
inline constexpr int32_t ASN_TYPE_CALENDAR_ENTRY = 26;
inline constexpr int32_t ASN_TYPE_TIME_VALUE = 27;
inline constexpr int32_t ASN_TYPE_SPECIAL_EVENT = 28;
inline constexpr int32_t ASN_TYPE_PROPERTY_VALUE = 29;
inline constexpr int32_t ASN_TYPE_RECIPIENT = 30;
inline constexpr int32_t ASN_TYPE_SETPOINT_REF = 31;
inline constexpr int32_t ASN_TYPE_DESTINATION = 32;
inline constexpr int32_t ASN_TYPE_DAILY_SCHEDULE = 33;
inline constexpr int32_t ASN_TYPE_TIME_STAMP = 34;
inline constexpr int32_t ASN_TYPE_PROPERTY_REF = 35;
inline constexpr int32_t ASN_TYPE_ADDRESS_BINDING = 36;
inline constexpr int32_t ASN_TYPE_DEV_OBJ_PROP_REF = 37;
inline constexpr int32_t ASN_TYPE_CLIENT_COV = 38;
inline constexpr int32_t ASN_TYPE_LOG_RECORD = 39;
inline constexpr int32_t ASN_TYPE_ACTION_LIST = 40;
inline constexpr int32_t ASN_TYPE_READ_ACCESS_SPEC = 41;
inline constexpr int32_t ASN_TYPE_READ_ACCESS_RESULT = 42;
inline constexpr int32_t ASN_TYPE_EVENT_PARAMETER = 43;
inline constexpr int32_t ASN_TYPE_COV_SUBSCRIPTION = 44;
inline constexpr int32_t ASN_TYPE_DEV_OBJ_REF = 45;
inline constexpr int32_t ASN_TYPE_DEV_OBJ_PROP_VALUE = 46;
inline constexpr int32_t ASN_TYPE_ACCUMULATOR_RECORD = 47;
inline constexpr int32_t ASN_TYPE_PRESCALE = 48;
inline constexpr int32_t ASN_TYPE_SCALE = 49;
inline constexpr int32_t ASN_TYPE_ACTION_COMMAND = 50;
inline constexpr int32_t ASN_TYPE_SHED_LEVEL = 51;
inline constexpr int32_t ASN_TYPE_VT_SESSION = 52;
inline constexpr int32_t ASN_TYPE_SESSION_KEY = 53;
inline constexpr int32_t ASN_TYPE_EVENT_LOG_RECORD = 54;
inline constexpr int32_t ASN_TYPE_LOG_MULTIPLE_RECORD = 55;
// The highest datatype code: the tables indexed by code end there.
inline constexpr int32_t ASN_TYPE_LAST = ASN_TYPE_LOG_MULTIPLE_RECORD;
// Codes besides the datatypes: none and any (schema rows only), and the
// undecoded values kept as their octets.
inline constexpr int32_t ASN_TYPE_NONE = -1;
inline constexpr int32_t ASN_TYPE_ANY = -2;
inline constexpr int32_t ASN_TYPE_RAW_STANDARD = -3;     // known object type, standard property
inline constexpr int32_t ASN_TYPE_RAW_PROPRIETARY = -4;  // proprietary, or not as its schema
inline constexpr int32_t ASN_TYPE_RAW_RESERVED = -5;     // neither standard nor proprietary
