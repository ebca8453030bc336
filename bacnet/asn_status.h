// Status codes of the BACnet codec (0 success). They are values of the
// runtime's internal status family (runtime/ipc/ipc_status.h), which this
// layer cannot see: each is named here for what the codec means by it, so
// a value may carry more than one name.
#pragma once

#include <cstdint>

inline constexpr int32_t ASN_OK = 0;
inline constexpr int32_t ASN_INVALID_VALUE = 2;     // bad object id, partial character unit
inline constexpr int32_t ASN_MISSING_RECORD = 2;    // a record pointer is NULL
inline constexpr int32_t ASN_NO_MEMORY = 4;         // allocator gave no block
inline constexpr int32_t ASN_NO_DECODER = 5;        // the datatype has no decoder
inline constexpr int32_t ASN_UNSUPPORTED = 5;       // a service or construct the checker lacks
inline constexpr int32_t ASN_NO_CODEC = 13;         // no codec for the datatype code
inline constexpr int32_t ASN_BAD_DATATYPE = 13;     // a value that is not of its property's type
inline constexpr int32_t ASN_BAD_CHARSET = 15;      // character set not supported
inline constexpr int32_t ASN_OUT_OF_RANGE = 16;     // date, time, week-n-day, bit count, bound
inline constexpr int32_t ASN_TOO_DEEP = 17;         // nesting deeper than the checker follows
inline constexpr int32_t ASN_NO_ROOM = 18;          // cursor end reached
inline constexpr int32_t ASN_BAD_ERROR_PAIR = 26;   // class or code above 0xFFFF
inline constexpr int32_t ASN_BAD_NOTIFY_TYPE = 26;  // an event notify type above 2
inline constexpr int32_t ASN_BAD_OPTIONAL = 27;     // optional unsigned negative, not -1
inline constexpr int32_t ASN_BAD_ARRAY_INDEX = 27;  // an index the property cannot take
inline constexpr int32_t ASN_NOT_AN_ARRAY = 28;
inline constexpr int32_t ASN_NOT_A_LIST = 29;
inline constexpr int32_t ASN_BAD_BUFFER = 44;        // source buffer inconsistent
inline constexpr int32_t ASN_NO_SPACE = 52;          // caller's buffer too small
inline constexpr int32_t ASN_UNKNOWN_CHOICE = 53;    // e.g. character set above 5
inline constexpr int32_t ASN_NO_PROPERTY_TYPE = 54;  // no datatype known for the property
inline constexpr int32_t ASN_BAD_PDU = 65;           // a PDU the checker refuses
