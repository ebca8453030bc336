#include "bacnet/records_log_multiple.h"

#include "bacnet/record_accessors.h"

// Log-multiple record.

using LM = VelmoraLogMultipleRecord;
using DT = VelmoraDateTime;
using BS = VelmoraBitString;

RECORD_PUT(VelmoraLogMultipleRecordSetTimeStamp, LM, DT, r->time_stamp = *v)
RECORD_PUT(VelmoraLogMultipleRecordSetLogStatus, LM, BS, r->choice = 0, r->value.log_status = *v)
RECORD_PUT(VelmoraLogMultipleRecordSetLogData, LM, VelmoraLogData, r->choice = 1,
           r->value.log_data = *v)
RECORD_SET(VelmoraLogMultipleRecordSetTimeChange, LM, float, r->choice = 2,
           r->value.time_change = v)
RECORD_ADDRESS(DT, VelmoraLogMultipleRecordGetTimeStamp, LM, r->time_stamp)
RECORD_GET(int32_t, VelmoraLogMultipleRecordGetChoice, LM, -1, r->choice)
RECORD_ADDRESS(BS, VelmoraLogMultipleRecordGetLogStatus, LM, r->value.log_status)
RECORD_ADDRESS(VelmoraLogData, VelmoraLogMultipleRecordGetLogData, LM, r->value.log_data)
RECORD_GET(float, VelmoraLogMultipleRecordGetTimeChange, LM, 0, r->value.time_change)
RECORD_COPY(VelmoraLogMultipleRecordCopy, LM)

// The constructors are the time stamp's setter and their alternative's; a
// missing record argument is refused before anything is written.
bool VelmoraLogMultipleRecordInitLogStatus(LM* m, const DT* time_stamp, const BS* log_status) {
  return log_status && VelmoraLogMultipleRecordSetTimeStamp(m, time_stamp) &&
         VelmoraLogMultipleRecordSetLogStatus(m, log_status);
}
bool VelmoraLogMultipleRecordInitLogData(LM* m, const DT* time_stamp,
                                         const VelmoraLogData* log_data) {
  return log_data && VelmoraLogMultipleRecordSetTimeStamp(m, time_stamp) &&
         VelmoraLogMultipleRecordSetLogData(m, log_data);
}
bool VelmoraLogMultipleRecordInitTimeChange(LM* m, const DT* time_stamp, float time_change) {
  return VelmoraLogMultipleRecordSetTimeStamp(m, time_stamp) &&
         VelmoraLogMultipleRecordSetTimeChange(m, time_change);
}

// Data list.

using LD = VelmoraLogData;
using Datum = VelmoraLogDatum;

RECORD_DO(VelmoraLogDataInit, LD, *r = {0, nullptr})
RECORD_LIST(VelmoraLogDataSet, LD, Datum, RecordList::CountNeedsArray, r->datums, r->count)
RECORD_COPY(VelmoraLogDataCopy, LD)
RECORD_GET(uint32_t, VelmoraLogDataGetCount, LD, 0, r->count)
RECORD_ELEMENT(Datum, VelmoraLogDataGetDatum, LD, r->datums)

// Log datum.

RECORD_SET(VelmoraLogDatumInitBoolean, Datum, uint8_t, r->choice = 0, r->value.boolean = v)
RECORD_SET(VelmoraLogDatumInitReal, Datum, float, r->choice = 1, r->value.real = v)
RECORD_SET(VelmoraLogDatumInitEnumerated, Datum, uint32_t, r->choice = 2, r->value.enumerated = v)
RECORD_SET(VelmoraLogDatumInitUnsigned, Datum, uint32_t, r->choice = 3, r->value.unsigned_value = v)
RECORD_SET(VelmoraLogDatumInitSigned, Datum, int32_t, r->choice = 4, r->value.signed_value = v)
RECORD_PUT(VelmoraLogDatumInitBitString, Datum, BS, r->choice = 5, r->value.bit_string = *v)
RECORD_PUT(VelmoraLogDatumInitFailure, Datum, VelmoraError, r->choice = 7, r->value.failure = *v)
RECORD_PUT(VelmoraLogDatumInitAnyValue, Datum, VelmoraAnyValue, r->choice = 8,
           r->value.any_value = *v)
RECORD_COPY(VelmoraLogDatumCopy, Datum)
RECORD_GET(int32_t, VelmoraLogDatumGetChoice, Datum, 0, r->choice)
RECORD_GET(uint8_t, VelmoraLogDatumGetBoolean, Datum, 0, r->value.boolean)
RECORD_GET(float, VelmoraLogDatumGetReal, Datum, 0, r->value.real)
RECORD_GET(uint32_t, VelmoraLogDatumGetEnumerated, Datum, 0, r->value.enumerated)
RECORD_GET(uint32_t, VelmoraLogDatumGetUnsigned, Datum, 0, r->value.unsigned_value)
RECORD_GET(int32_t, VelmoraLogDatumGetSigned, Datum, 0, r->value.signed_value)
RECORD_ADDRESS(BS, VelmoraLogDatumGetBitString, Datum, r->value.bit_string)
RECORD_ADDRESS(VelmoraError, VelmoraLogDatumGetFailure, Datum, r->value.failure)
RECORD_ADDRESS(VelmoraAnyValue, VelmoraLogDatumGetAnyValue, Datum, r->value.any_value)
