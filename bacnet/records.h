// Basic BACnet records: bit string, network address, error pair, request
// failure, time, date, date-time, character strings, object identifier,
// octet string and raw encoded data. Plain records in caller memory with
// free accessors taking the record first. Constructors, setters and copies
// return false for a missing record or a failed check and then write
// nothing; getters return a fixed default for a missing record.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t VELMORA_BIT_STRING_MAX_BITS = 80;
inline constexpr uint32_t VELMORA_BIT_STRING_BYTES = 10;
inline constexpr uint32_t VELMORA_MAC_MAX = 7;
inline constexpr uint16_t VELMORA_GLOBAL_NETWORK = 0xFFFF;
inline constexpr uint32_t VELMORA_MAX_INSTANCE = 0x3FFFFF;

// Character sets of a CharacterString.
inline constexpr uint8_t VELMORA_CHARSET_ANSI = 0;
inline constexpr uint8_t VELMORA_CHARSET_DBCS = 1;
inline constexpr uint8_t VELMORA_CHARSET_JIS = 2;
inline constexpr uint8_t VELMORA_CHARSET_UCS4 = 3;
inline constexpr uint8_t VELMORA_CHARSET_UCS2 = 4;
inline constexpr uint8_t VELMORA_CHARSET_ISO8859 = 5;

// Kinds of a request failure.
inline constexpr uint32_t VELMORA_FAILURE_ABORT = 0;
inline constexpr uint32_t VELMORA_FAILURE_REJECT = 1;
inline constexpr uint32_t VELMORA_FAILURE_ERROR = 2;

// Bit n lives in bits[n / 8] under 0x80 >> (n % 8), as on the wire.
struct VelmoraBitString {
  uint32_t count;
  uint8_t bits[VELMORA_BIT_STRING_BYTES];
};

struct VelmoraAddress {
  uint8_t remote;    // 1: the network field is meaningful
  uint16_t network;  // 0xFFFF: global broadcast
  uint8_t mac[VELMORA_MAC_MAX];
  uint8_t mac_length;  // 0: broadcast on the named network
};

struct VelmoraError {
  uint32_t error_class;
  uint32_t error_code;
};

struct VelmoraFailure {
  uint32_t kind;        // VELMORA_FAILURE_*
  uint32_t reason;      // abort or reject reason, or the error class
  uint32_t error_code;  // kind VELMORA_FAILURE_ERROR only
};

// 255 in any field: unspecified.
struct VelmoraTime {
  uint8_t hour;
  uint8_t minute;
  uint8_t second;
  uint8_t hundredths;
};

struct VelmoraDate {
  uint16_t year;         // full year, 0xFFFF unspecified
  uint32_t month;        // 1-14, 0 unspecified
  uint8_t day;           // 1-32, 255 unspecified
  uint32_t day_of_week;  // 1 Monday .. 7 Sunday, 0 unspecified
};

struct VelmoraDateTime {
  VelmoraDate date;
  VelmoraTime time;
};

// UCS-4 and UCS-2 text is held in host-order units.
struct VelmoraCharString {
  const char* text;
  int32_t length;      // bytes; -1: terminated, measured when encoded
  uint16_t code_page;  // character set 1 only
  uint8_t charset;     // VELMORA_CHARSET_*
};

struct VelmoraDbcsString {
  uint16_t code_page;
  const char* text;  // terminated
};

struct VelmoraObjectId {
  uint32_t type;
  uint32_t instance;  // at most 0x3FFFFF
};

struct VelmoraOctetString {
  uint8_t* data;
  uint32_t buffer_size;
  uint32_t length;
};

// Encoded octets kept as they are.
struct VelmoraRawData {
  uint32_t length;
  const uint8_t* data;
};

static_assert(sizeof(VelmoraBitString) == 16);
static_assert(sizeof(VelmoraAddress) == 12 && offsetof(VelmoraAddress, network) == 2 &&
              offsetof(VelmoraAddress, mac) == 4 && offsetof(VelmoraAddress, mac_length) == 11);
static_assert(sizeof(VelmoraError) == 8);
static_assert(sizeof(VelmoraFailure) == 12);
static_assert(sizeof(VelmoraTime) == 4);
static_assert(sizeof(VelmoraDate) == 16);
static_assert(sizeof(VelmoraDateTime) == 20);
static_assert(sizeof(VelmoraObjectId) == 8);

// Bit string.
bool VelmoraBitStringInit(VelmoraBitString* bs, uint32_t count);
bool VelmoraBitStringSetLength(VelmoraBitString* bs, uint32_t count);
uint32_t VelmoraBitStringGetLength(const VelmoraBitString* bs);
bool VelmoraBitStringSetBits(VelmoraBitString* bs, const uint8_t* source);
const uint8_t* VelmoraBitStringGetBits(const VelmoraBitString* bs);
bool VelmoraBitStringSetBit(VelmoraBitString* bs, uint32_t n, uint8_t value);
bool VelmoraBitStringGetBit(const VelmoraBitString* bs, uint32_t n);
bool VelmoraBitStringCopy(VelmoraBitString* dst, const VelmoraBitString* src);

// Network address.
bool VelmoraAddressInitLocal(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length);
bool VelmoraAddressInitRemote(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length,
                              uint16_t network);
bool VelmoraAddressInitLocalBroadcast(VelmoraAddress* a);
bool VelmoraAddressInitRemoteBroadcast(VelmoraAddress* a, uint16_t network);
bool VelmoraAddressInitGlobalBroadcast(VelmoraAddress* a);
bool VelmoraAddressIsLocal(const VelmoraAddress* a);
bool VelmoraAddressIsRemote(const VelmoraAddress* a);
bool VelmoraAddressIsGlobalBroadcast(const VelmoraAddress* a);
bool VelmoraAddressIsBroadcast(const VelmoraAddress* a);
bool VelmoraAddressSetMac(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length);
const uint8_t* VelmoraAddressGetMac(const VelmoraAddress* a);
uint8_t VelmoraAddressGetMacLength(const VelmoraAddress* a);
bool VelmoraAddressSetNetwork(VelmoraAddress* a, uint16_t network);
uint16_t VelmoraAddressGetNetwork(const VelmoraAddress* a);
bool VelmoraAddressCopy(VelmoraAddress* dst, const VelmoraAddress* src);

// Error pair. Getters answer 0xFFFFFFFF (-1) for a missing record.
bool VelmoraErrorInit(VelmoraError* e, uint32_t error_class, uint32_t error_code);
uint32_t VelmoraErrorGetClass(const VelmoraError* e);
bool VelmoraErrorSetClass(VelmoraError* e, uint32_t error_class);
uint32_t VelmoraErrorGetCode(const VelmoraError* e);
bool VelmoraErrorSetCode(VelmoraError* e, uint32_t error_code);
bool VelmoraErrorCopy(VelmoraError* dst, const VelmoraError* src);

// Request failure. Getters answer 0xFFFFFFFF (-1) for a missing record and
// read their field whatever the kind.
bool VelmoraFailureInitError(VelmoraFailure* f, uint32_t error_class, uint32_t error_code);
bool VelmoraFailureInitAbort(VelmoraFailure* f, uint32_t reason);
bool VelmoraFailureInitReject(VelmoraFailure* f, uint32_t reason);
uint32_t VelmoraFailureGetKind(const VelmoraFailure* f);
bool VelmoraFailureSetError(VelmoraFailure* f, uint32_t error_class, uint32_t error_code);
uint32_t VelmoraFailureGetErrorClass(const VelmoraFailure* f);
uint32_t VelmoraFailureGetErrorCode(const VelmoraFailure* f);
bool VelmoraFailureSetAbort(VelmoraFailure* f, uint32_t reason);
uint32_t VelmoraFailureGetAbortReason(const VelmoraFailure* f);
bool VelmoraFailureSetReject(VelmoraFailure* f, uint32_t reason);
uint32_t VelmoraFailureGetRejectReason(const VelmoraFailure* f);
bool VelmoraFailureCopy(VelmoraFailure* dst, const VelmoraFailure* src);
// The runtime's copy of failure details, source first; nothing for a NULL
// record.
void FailureCopy(const VelmoraFailure* source, VelmoraFailure* destination);

// Time.
bool VelmoraTimeInit(VelmoraTime* t, uint8_t hour, uint8_t minute, uint8_t second,
                     uint8_t hundredths);
bool VelmoraTimeSetHour(VelmoraTime* t, uint8_t hour);
uint8_t VelmoraTimeGetHour(const VelmoraTime* t);
bool VelmoraTimeSetMinute(VelmoraTime* t, uint8_t minute);
uint8_t VelmoraTimeGetMinute(const VelmoraTime* t);
bool VelmoraTimeSetSecond(VelmoraTime* t, uint8_t second);
uint8_t VelmoraTimeGetSecond(const VelmoraTime* t);
bool VelmoraTimeSetHundredths(VelmoraTime* t, uint8_t hundredths);
uint8_t VelmoraTimeGetHundredths(const VelmoraTime* t);
bool VelmoraTimeCopy(VelmoraTime* dst, const VelmoraTime* src);

// DBCS text.
bool VelmoraDbcsStringInit(VelmoraDbcsString* s, uint16_t code_page, const char* text);
bool VelmoraDbcsStringSetCodePage(VelmoraDbcsString* s, uint16_t code_page);
uint16_t VelmoraDbcsStringGetCodePage(const VelmoraDbcsString* s);
bool VelmoraDbcsStringSetData(VelmoraDbcsString* s, const char* text);
const char* VelmoraDbcsStringGetData(const VelmoraDbcsString* s);
bool VelmoraDbcsStringCopy(VelmoraDbcsString* dst, const VelmoraDbcsString* src);

// Character string. Lengths are in bytes, -1 for terminated text.
bool VelmoraCharStringInitAnsi(VelmoraCharString* s, const char* text, int32_t length);
bool VelmoraCharStringInitDbcs(VelmoraCharString* s, uint16_t code_page, const char* text,
                               int32_t length);
bool VelmoraCharStringInitJis(VelmoraCharString* s, const char* text, int32_t length);
bool VelmoraCharStringInitUcs4(VelmoraCharString* s, const char* text, int32_t length);
bool VelmoraCharStringInitUcs2(VelmoraCharString* s, const char* text, int32_t length);
bool VelmoraCharStringInitIso8859(VelmoraCharString* s, const char* text, int32_t length);
int32_t VelmoraCharStringGetCharset(const VelmoraCharString* s);
uint16_t VelmoraCharStringGetCodePage(const VelmoraCharString* s);
const char* VelmoraCharStringGetData(const VelmoraCharString* s);
const char* VelmoraCharStringGetAnsi(const VelmoraCharString* s);
const char* VelmoraCharStringGetDbcs(const VelmoraCharString* s);
const char* VelmoraCharStringGetJis(const VelmoraCharString* s);
const char* VelmoraCharStringGetUcs4(const VelmoraCharString* s);
const char* VelmoraCharStringGetUcs2(const VelmoraCharString* s);
const char* VelmoraCharStringGetIso8859(const VelmoraCharString* s);
int32_t VelmoraCharStringGetLength(const VelmoraCharString* s);
bool VelmoraCharStringCopy(VelmoraCharString* dst, const VelmoraCharString* src);

// Date.
bool VelmoraDateInit(VelmoraDate* d, uint16_t year, uint32_t month, uint8_t day);
bool VelmoraDateSetYear(VelmoraDate* d, uint16_t year);
uint16_t VelmoraDateGetYear(const VelmoraDate* d);
bool VelmoraDateSetMonth(VelmoraDate* d, uint32_t month);
uint32_t VelmoraDateGetMonth(const VelmoraDate* d);
bool VelmoraDateSetDay(VelmoraDate* d, uint8_t day);
uint8_t VelmoraDateGetDay(const VelmoraDate* d);
bool VelmoraDateSetDayOfWeek(VelmoraDate* d, uint32_t day_of_week);
uint32_t VelmoraDateGetDayOfWeek(const VelmoraDate* d);
bool VelmoraDateCopy(VelmoraDate* dst, const VelmoraDate* src);

// Date-time.
bool VelmoraDateTimeInit(VelmoraDateTime* dt);
bool VelmoraDateTimeSetDate(VelmoraDateTime* dt, uint16_t year, uint32_t month, uint8_t day);
bool VelmoraDateTimeSetTime(VelmoraDateTime* dt, uint8_t hour, uint8_t minute, uint8_t second,
                            uint8_t hundredths);
VelmoraDate* VelmoraDateTimeGetDate(VelmoraDateTime* dt);
const VelmoraDate* VelmoraDateTimeGetDate(const VelmoraDateTime* dt);
bool VelmoraDateTimeSetDateRecord(VelmoraDateTime* dt, const VelmoraDate* date);
VelmoraTime* VelmoraDateTimeGetTime(VelmoraDateTime* dt);
const VelmoraTime* VelmoraDateTimeGetTime(const VelmoraDateTime* dt);
bool VelmoraDateTimeSetTimeRecord(VelmoraDateTime* dt, const VelmoraTime* time);
bool VelmoraDateTimeCopy(VelmoraDateTime* dst, const VelmoraDateTime* src);

// Object identifier. Getters answer 0xFFFFFFFF (-1) for a missing record.
bool VelmoraObjectIdInit(VelmoraObjectId* id, uint32_t type, uint32_t instance);
bool VelmoraObjectIdSetType(VelmoraObjectId* id, uint32_t type);
uint32_t VelmoraObjectIdGetType(const VelmoraObjectId* id);
bool VelmoraObjectIdSetInstance(VelmoraObjectId* id, uint32_t instance);
uint32_t VelmoraObjectIdGetInstance(const VelmoraObjectId* id);
bool VelmoraObjectIdCopy(VelmoraObjectId* dst, const VelmoraObjectId* src);

// Octet string.
bool VelmoraOctetStringInit(VelmoraOctetString* s, uint8_t* data, uint32_t buffer_size,
                            uint32_t length);
bool VelmoraOctetStringSetData(VelmoraOctetString* s, uint8_t* data, uint32_t buffer_size);
uint8_t* VelmoraOctetStringGetData(const VelmoraOctetString* s);
uint32_t VelmoraOctetStringGetBufferSize(const VelmoraOctetString* s);
bool VelmoraOctetStringSetLength(VelmoraOctetString* s, uint32_t length);
uint32_t VelmoraOctetStringGetLength(const VelmoraOctetString* s);
bool VelmoraOctetStringCopy(VelmoraOctetString* dst, const VelmoraOctetString* src);

// Raw encoded data.
bool VelmoraRawDataInit(VelmoraRawData* r, const uint8_t* data, uint32_t length);
uint32_t VelmoraRawDataGetLength(const VelmoraRawData* r);
const uint8_t* VelmoraRawDataGetData(const VelmoraRawData* r);
bool VelmoraRawDataCopy(VelmoraRawData* dst, const VelmoraRawData* src);
