// Trend log record (BACnetLogRecord): a time stamp, one datum and optional
// status flags.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"

// Datum choices.
inline constexpr uint32_t VELMORA_LOG_STATUS = 0;
inline constexpr uint32_t VELMORA_LOG_BOOLEAN = 1;
inline constexpr uint32_t VELMORA_LOG_REAL = 2;
inline constexpr uint32_t VELMORA_LOG_ENUMERATED = 3;
inline constexpr uint32_t VELMORA_LOG_UNSIGNED = 4;
inline constexpr uint32_t VELMORA_LOG_SIGNED = 5;
inline constexpr uint32_t VELMORA_LOG_BIT_STRING = 6;
inline constexpr uint32_t VELMORA_LOG_NULL = 7;
inline constexpr uint32_t VELMORA_LOG_FAILURE = 8;
inline constexpr uint32_t VELMORA_LOG_TIME_CHANGE = 9;
inline constexpr uint32_t VELMORA_LOG_ANY_VALUE = 10;

// An any-value datum's buffer belongs to whoever supplied it: setting it
// and copying the record share it.
struct VelmoraLogRecord {
  VelmoraDateTime timestamp;
  uint32_t datum_type;  // VELMORA_LOG_*
  union {
    VelmoraBitString log_status;
    uint8_t boolean;
    float real;
    uint32_t enumerated;
    uint32_t unsigned_value;
    int32_t signed_value;
    VelmoraBitString bit_string;
    VelmoraError failure;
    float time_change;
    VelmoraAnyValue any_value;
  } datum;
  uint8_t has_status_flags;
  VelmoraBitString status_flags;
};

// Constructors: each copies the time stamp, stores its datum and leaves the
// status flags absent.
bool VelmoraLogRecordInitLogStatus(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                   const VelmoraBitString* log_status);
bool VelmoraLogRecordInitBoolean(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                 uint8_t value);
bool VelmoraLogRecordInitReal(VelmoraLogRecord* l, const VelmoraDateTime* timestamp, float value);
bool VelmoraLogRecordInitEnumerated(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                    uint32_t value);
bool VelmoraLogRecordInitUnsigned(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                  uint32_t value);
bool VelmoraLogRecordInitSigned(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                int32_t value);
bool VelmoraLogRecordInitBitString(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                   const VelmoraBitString* value);
bool VelmoraLogRecordInitFailure(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                 const VelmoraError* failure);
bool VelmoraLogRecordInitTimeChange(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                    float time_change);
bool VelmoraLogRecordInitAnyValue(VelmoraLogRecord* l, const VelmoraDateTime* timestamp,
                                  const VelmoraAnyValue* value);

// Accessors. The datum getters do not look at the datum choice; the status
// flags getter not at their presence. SetNull changes the choice alone.
bool VelmoraLogRecordSetTimestamp(VelmoraLogRecord* l, const VelmoraDateTime* timestamp);
VelmoraDateTime* VelmoraLogRecordGetTimestamp(VelmoraLogRecord* l);
const VelmoraDateTime* VelmoraLogRecordGetTimestamp(const VelmoraLogRecord* l);
uint32_t VelmoraLogRecordGetDatumType(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetNull(VelmoraLogRecord* l);
bool VelmoraLogRecordSetLogStatus(VelmoraLogRecord* l, const VelmoraBitString* log_status);
VelmoraBitString* VelmoraLogRecordGetLogStatus(VelmoraLogRecord* l);
const VelmoraBitString* VelmoraLogRecordGetLogStatus(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetTimeChange(VelmoraLogRecord* l, float time_change);
float VelmoraLogRecordGetTimeChange(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetFailure(VelmoraLogRecord* l, const VelmoraError* failure);
VelmoraError* VelmoraLogRecordGetFailure(VelmoraLogRecord* l);
const VelmoraError* VelmoraLogRecordGetFailure(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetBoolean(VelmoraLogRecord* l, uint8_t value);
uint8_t VelmoraLogRecordGetBoolean(const VelmoraLogRecord* l);  // 0 missing
bool VelmoraLogRecordSetReal(VelmoraLogRecord* l, float value);
float VelmoraLogRecordGetReal(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetEnumerated(VelmoraLogRecord* l, uint32_t value);
uint32_t VelmoraLogRecordGetEnumerated(const VelmoraLogRecord* l);  // -1 missing
bool VelmoraLogRecordSetUnsigned(VelmoraLogRecord* l, uint32_t value);
uint32_t VelmoraLogRecordGetUnsigned(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetSigned(VelmoraLogRecord* l, int32_t value);
int32_t VelmoraLogRecordGetSigned(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetBitString(VelmoraLogRecord* l, const VelmoraBitString* value);
VelmoraBitString* VelmoraLogRecordGetBitString(VelmoraLogRecord* l);
const VelmoraBitString* VelmoraLogRecordGetBitString(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetAnyValue(VelmoraLogRecord* l, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraLogRecordGetAnyValue(VelmoraLogRecord* l);
const VelmoraAnyValue* VelmoraLogRecordGetAnyValue(const VelmoraLogRecord* l);
bool VelmoraLogRecordSetStatusFlags(VelmoraLogRecord* l, const VelmoraBitString* status_flags);
bool VelmoraLogRecordClearStatusFlags(VelmoraLogRecord* l);
bool VelmoraLogRecordHasStatusFlags(const VelmoraLogRecord* l);
VelmoraBitString* VelmoraLogRecordGetStatusFlags(VelmoraLogRecord* l);
const VelmoraBitString* VelmoraLogRecordGetStatusFlags(const VelmoraLogRecord* l);
bool VelmoraLogRecordCopy(VelmoraLogRecord* dst, const VelmoraLogRecord* src);
