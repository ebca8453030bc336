// Public status codes of the library interface (VelmoraStatus), 0 success.
// Every code has its text in the text library (VelmoraStatusText); codes
// not named here have none.
#pragma once

#include <cstdint>

using VelmoraStatus = int32_t;

inline constexpr VelmoraStatus VELMORA_STATUS_OK = 0;
inline constexpr VelmoraStatus VELMORA_STATUS_UNKNOWN_ERROR = 1;
inline constexpr VelmoraStatus VELMORA_STATUS_SERVICE_NOT_FOUND = 2;
inline constexpr VelmoraStatus VELMORA_STATUS_NOT_INITIALIZED = 3;
inline constexpr VelmoraStatus VELMORA_STATUS_NOT_SUPPORTED = 4;
inline constexpr VelmoraStatus VELMORA_STATUS_REJECT = 5;
inline constexpr VelmoraStatus VELMORA_STATUS_DCC_DISABLED = 6;
inline constexpr VelmoraStatus VELMORA_STATUS_SERVICE_TIMEOUT = 7;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_DEVICE_HANDLE = 8;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_OBJECT_HANDLE = 9;
inline constexpr VelmoraStatus VELMORA_STATUS_UNKNOWN_OBJECT = 10;
inline constexpr VelmoraStatus VELMORA_STATUS_UNKNOWN_PROPERTY = 11;
inline constexpr VelmoraStatus VELMORA_STATUS_NOT_A_LIST = 12;
inline constexpr VelmoraStatus VELMORA_STATUS_NOT_AN_ARRAY = 13;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_ARRAY_INDEX = 14;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_PROPERTY_FLAG = 15;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_PARAMETER = 16;
inline constexpr VelmoraStatus VELMORA_STATUS_BUSY = 17;
inline constexpr VelmoraStatus VELMORA_STATUS_ALREADY_EXISTS = 18;
inline constexpr VelmoraStatus VELMORA_STATUS_BAD_CONFIGURATION = 19;
inline constexpr VelmoraStatus VELMORA_STATUS_MISALIGNED_POINTER = 20;
inline constexpr VelmoraStatus VELMORA_STATUS_NOT_COV_PROPERTY = 21;
inline constexpr VelmoraStatus VELMORA_STATUS_COV_SUBSCRIPTION_FAILED = 22;
inline constexpr VelmoraStatus VELMORA_STATUS_CHARSET_NOT_SUPPORTED = 23;
inline constexpr VelmoraStatus VELMORA_STATUS_DUPLICATE_OBJECT_ID = 24;
inline constexpr VelmoraStatus VELMORA_STATUS_DUPLICATE_OBJECT_NAME = 25;
inline constexpr VelmoraStatus VELMORA_STATUS_DUPLICATE_PROPERTY_ID = 26;
inline constexpr VelmoraStatus VELMORA_STATUS_ADDRESS_IN_USE = 27;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_BUFFER_SIZE = 28;
inline constexpr VelmoraStatus VELMORA_STATUS_MISSING_PROPERTY = 29;
inline constexpr VelmoraStatus VELMORA_STATUS_MISSING_DEVICE_OBJECT = 30;
inline constexpr VelmoraStatus VELMORA_STATUS_DUPLICATE_DEVICE_OBJECT = 31;
inline constexpr VelmoraStatus VELMORA_STATUS_OUT_OF_MEMORY = 32;
inline constexpr VelmoraStatus VELMORA_STATUS_OUT_OF_RESOURCES = 33;
inline constexpr VelmoraStatus VELMORA_STATUS_TRANSMIT_OVERFLOW = 34;
inline constexpr VelmoraStatus VELMORA_STATUS_RECEIVE_OVERFLOW = 35;
inline constexpr VelmoraStatus VELMORA_STATUS_STACK_OVERFLOW = 36;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_ADDRESS = 37;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_DATABASE_TYPE = 38;
inline constexpr VelmoraStatus VELMORA_STATUS_TIMEOUT = 48;
inline constexpr VelmoraStatus VELMORA_STATUS_REQUEST_TOO_LONG = 49;
inline constexpr VelmoraStatus VELMORA_STATUS_ILLEGAL_RESPONSE = 50;
inline constexpr VelmoraStatus VELMORA_STATUS_RESPONSE_TOO_LONG = 51;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_DATA_TYPE = 52;
inline constexpr VelmoraStatus VELMORA_STATUS_VALUE_OUT_OF_RANGE = 53;
inline constexpr VelmoraStatus VELMORA_STATUS_VALUE_OUT_OF_SPACE = 54;
inline constexpr VelmoraStatus VELMORA_STATUS_SEGMENTATION_NOT_SUPPORTED = 55;
inline constexpr VelmoraStatus VELMORA_STATUS_TRANSACTION_ABORTED = 56;
inline constexpr VelmoraStatus VELMORA_STATUS_BACNET_ERROR = 64;
inline constexpr VelmoraStatus VELMORA_STATUS_BACNET_REJECT = 65;
inline constexpr VelmoraStatus VELMORA_STATUS_BACNET_ABORT = 66;
inline constexpr VelmoraStatus VELMORA_STATUS_INVALID_PACKET = 67;
inline constexpr VelmoraStatus VELMORA_STATUS_SEGMENTATION_ERROR = 68;
inline constexpr VelmoraStatus VELMORA_STATUS_INCONSISTENT_TAGS = 69;
inline constexpr VelmoraStatus VELMORA_STATUS_CANNOT_BIND_PORT = 73;
inline constexpr VelmoraStatus VELMORA_STATUS_NO_PACKET_DRIVER = 80;
inline constexpr VelmoraStatus VELMORA_STATUS_PACKET_DRIVER_UNSUPPORTED = 81;
inline constexpr VelmoraStatus VELMORA_STATUS_DRIVER_INIT_FAILED = 82;
inline constexpr VelmoraStatus VELMORA_STATUS_DRIVER_SEND_FAILED = 83;
inline constexpr VelmoraStatus VELMORA_STATUS_NETWORK_UNREACHABLE = 84;
inline constexpr VelmoraStatus VELMORA_STATUS_VERSION_MISMATCH = 85;
inline constexpr VelmoraStatus VELMORA_STATUS_DEVICE_UNREACHABLE = 86;
inline constexpr VelmoraStatus VELMORA_STATUS_LOCAL_DNET_AS_REMOTE = 87;
