// Trend-log-multiple record (BACnetLogMultipleRecord): a time stamp with a
// log status, a list of log data (one datum per logged property) or a time
// change; its data list and its datum.
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"

// Datum choice 6 (a null value) carries no value and has no initialiser.
// An any-value datum shares its buffer with the value it was made from and
// with its copies.
struct VelmoraLogDatum {
  int32_t choice;  // 0 BOOLEAN, 1 REAL, 2 ENUMERATED, 3 Unsigned, 4 INTEGER,
                   // 5 BIT STRING, 6 NULL, 7 failure, 8 any value
  union {
    uint8_t boolean;
    float real;
    uint32_t enumerated;
    uint32_t unsigned_value;
    int32_t signed_value;
    VelmoraBitString bit_string;
    VelmoraError failure;
    VelmoraAnyValue any_value;
  } value;
};

// The datum array belongs to the caller (or to the decoder's buffer); a
// copy shares it.
struct VelmoraLogData {
  uint32_t count;
  VelmoraLogDatum* datums;
};

// A copy shares a data list's datum array.
struct VelmoraLogMultipleRecord {
  VelmoraDateTime time_stamp;
  int32_t choice;  // 0 log status, 1 log data, 2 time change
  union {
    VelmoraBitString log_status;
    VelmoraLogData log_data;
    float time_change;
  } value;
};

// Log-multiple record. The getters answer the alternative whatever the
// choice.
bool VelmoraLogMultipleRecordInitLogStatus(VelmoraLogMultipleRecord* m,
                                           const VelmoraDateTime* time_stamp,
                                           const VelmoraBitString* log_status);
bool VelmoraLogMultipleRecordInitLogData(VelmoraLogMultipleRecord* m,
                                         const VelmoraDateTime* time_stamp,
                                         const VelmoraLogData* log_data);
bool VelmoraLogMultipleRecordInitTimeChange(VelmoraLogMultipleRecord* m,
                                            const VelmoraDateTime* time_stamp, float time_change);
bool VelmoraLogMultipleRecordSetTimeStamp(VelmoraLogMultipleRecord* m,
                                          const VelmoraDateTime* time_stamp);
bool VelmoraLogMultipleRecordSetLogStatus(VelmoraLogMultipleRecord* m,
                                          const VelmoraBitString* log_status);
bool VelmoraLogMultipleRecordSetLogData(VelmoraLogMultipleRecord* m,
                                        const VelmoraLogData* log_data);
bool VelmoraLogMultipleRecordSetTimeChange(VelmoraLogMultipleRecord* m, float time_change);
VelmoraDateTime* VelmoraLogMultipleRecordGetTimeStamp(VelmoraLogMultipleRecord* m);
const VelmoraDateTime* VelmoraLogMultipleRecordGetTimeStamp(const VelmoraLogMultipleRecord* m);
int32_t VelmoraLogMultipleRecordGetChoice(const VelmoraLogMultipleRecord* m);
VelmoraBitString* VelmoraLogMultipleRecordGetLogStatus(VelmoraLogMultipleRecord* m);
const VelmoraBitString* VelmoraLogMultipleRecordGetLogStatus(const VelmoraLogMultipleRecord* m);
VelmoraLogData* VelmoraLogMultipleRecordGetLogData(VelmoraLogMultipleRecord* m);
const VelmoraLogData* VelmoraLogMultipleRecordGetLogData(const VelmoraLogMultipleRecord* m);
float VelmoraLogMultipleRecordGetTimeChange(const VelmoraLogMultipleRecord* m);
bool VelmoraLogMultipleRecordCopy(VelmoraLogMultipleRecord* dst,
                                  const VelmoraLogMultipleRecord* src);

// Data list. A count needs an array; a missing list counts 0.
bool VelmoraLogDataInit(VelmoraLogData* d);
bool VelmoraLogDataSet(VelmoraLogData* d, VelmoraLogDatum* datums, uint32_t count);
bool VelmoraLogDataCopy(VelmoraLogData* dst, const VelmoraLogData* src);
uint32_t VelmoraLogDataGetCount(const VelmoraLogData* d);
VelmoraLogDatum* VelmoraLogDataGetDatum(const VelmoraLogData* d, uint32_t i);

// Log datum. The value getters read their member whatever the choice.
bool VelmoraLogDatumInitBoolean(VelmoraLogDatum* d, uint8_t value);
bool VelmoraLogDatumInitReal(VelmoraLogDatum* d, float value);
bool VelmoraLogDatumInitEnumerated(VelmoraLogDatum* d, uint32_t value);
bool VelmoraLogDatumInitUnsigned(VelmoraLogDatum* d, uint32_t value);
bool VelmoraLogDatumInitSigned(VelmoraLogDatum* d, int32_t value);
bool VelmoraLogDatumInitBitString(VelmoraLogDatum* d, const VelmoraBitString* value);
bool VelmoraLogDatumInitFailure(VelmoraLogDatum* d, const VelmoraError* failure);
bool VelmoraLogDatumInitAnyValue(VelmoraLogDatum* d, const VelmoraAnyValue* value);
bool VelmoraLogDatumCopy(VelmoraLogDatum* dst, const VelmoraLogDatum* src);
int32_t VelmoraLogDatumGetChoice(const VelmoraLogDatum* d);  // 0 missing
uint8_t VelmoraLogDatumGetBoolean(const VelmoraLogDatum* d);
float VelmoraLogDatumGetReal(const VelmoraLogDatum* d);
uint32_t VelmoraLogDatumGetEnumerated(const VelmoraLogDatum* d);
uint32_t VelmoraLogDatumGetUnsigned(const VelmoraLogDatum* d);
int32_t VelmoraLogDatumGetSigned(const VelmoraLogDatum* d);
VelmoraBitString* VelmoraLogDatumGetBitString(VelmoraLogDatum* d);
const VelmoraBitString* VelmoraLogDatumGetBitString(const VelmoraLogDatum* d);
VelmoraError* VelmoraLogDatumGetFailure(VelmoraLogDatum* d);
const VelmoraError* VelmoraLogDatumGetFailure(const VelmoraLogDatum* d);
VelmoraAnyValue* VelmoraLogDatumGetAnyValue(VelmoraLogDatum* d);
const VelmoraAnyValue* VelmoraLogDatumGetAnyValue(const VelmoraLogDatum* d);
