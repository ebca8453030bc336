#include "bacnet/records_log.h"

#include "bacnet/record_accessors.h"

using LR = VelmoraLogRecord;
using DT = VelmoraDateTime;
using BS = VelmoraBitString;

// Accessors.

RECORD_PUT(VelmoraLogRecordSetTimestamp, LR, DT, r->timestamp = *v)
RECORD_ADDRESS(DT, VelmoraLogRecordGetTimestamp, LR, r->timestamp)
RECORD_GET(uint32_t, VelmoraLogRecordGetDatumType, LR, -1, r->datum_type)
RECORD_DO(VelmoraLogRecordSetNull, LR, r->datum_type = VELMORA_LOG_NULL)
RECORD_PUT(VelmoraLogRecordSetLogStatus, LR, BS, r->datum_type = VELMORA_LOG_STATUS,
           r->datum.log_status = *v)
RECORD_ADDRESS(BS, VelmoraLogRecordGetLogStatus, LR, r->datum.log_status)
RECORD_SET(VelmoraLogRecordSetTimeChange, LR, float, r->datum_type = VELMORA_LOG_TIME_CHANGE,
           r->datum.time_change = v)
RECORD_GET(float, VelmoraLogRecordGetTimeChange, LR, 0, r->datum.time_change)
RECORD_PUT(VelmoraLogRecordSetFailure, LR, VelmoraError, r->datum_type = VELMORA_LOG_FAILURE,
           r->datum.failure = *v)
RECORD_ADDRESS(VelmoraError, VelmoraLogRecordGetFailure, LR, r->datum.failure)
RECORD_SET(VelmoraLogRecordSetBoolean, LR, uint8_t, r->datum_type = VELMORA_LOG_BOOLEAN,
           r->datum.boolean = v)
RECORD_GET(uint8_t, VelmoraLogRecordGetBoolean, LR, 0, r->datum.boolean)
RECORD_SET(VelmoraLogRecordSetReal, LR, float, r->datum_type = VELMORA_LOG_REAL, r->datum.real = v)
RECORD_GET(float, VelmoraLogRecordGetReal, LR, 0, r->datum.real)
RECORD_SET(VelmoraLogRecordSetEnumerated, LR, uint32_t, r->datum_type = VELMORA_LOG_ENUMERATED,
           r->datum.enumerated = v)
RECORD_GET(uint32_t, VelmoraLogRecordGetEnumerated, LR, -1, r->datum.enumerated)
RECORD_SET(VelmoraLogRecordSetUnsigned, LR, uint32_t, r->datum_type = VELMORA_LOG_UNSIGNED,
           r->datum.unsigned_value = v)
RECORD_GET(uint32_t, VelmoraLogRecordGetUnsigned, LR, -1, r->datum.unsigned_value)
RECORD_SET(VelmoraLogRecordSetSigned, LR, int32_t, r->datum_type = VELMORA_LOG_SIGNED,
           r->datum.signed_value = v)
RECORD_GET(int32_t, VelmoraLogRecordGetSigned, LR, -1, r->datum.signed_value)
RECORD_PUT(VelmoraLogRecordSetBitString, LR, BS, r->datum_type = VELMORA_LOG_BIT_STRING,
           r->datum.bit_string = *v)
RECORD_ADDRESS(BS, VelmoraLogRecordGetBitString, LR, r->datum.bit_string)
RECORD_PUT(VelmoraLogRecordSetAnyValue, LR, VelmoraAnyValue, r->datum_type = VELMORA_LOG_ANY_VALUE,
           r->datum.any_value = *v)
RECORD_ADDRESS(VelmoraAnyValue, VelmoraLogRecordGetAnyValue, LR, r->datum.any_value)
RECORD_PUT(VelmoraLogRecordSetStatusFlags, LR, BS, r->has_status_flags = 1, r->status_flags = *v)
RECORD_DO(VelmoraLogRecordClearStatusFlags, LR, r->has_status_flags = 0)
RECORD_GET(bool, VelmoraLogRecordHasStatusFlags, LR, false, r->has_status_flags)
RECORD_ADDRESS(BS, VelmoraLogRecordGetStatusFlags, LR, r->status_flags)
RECORD_COPY(VelmoraLogRecordCopy, LR)

// Constructors: the time stamp, absent status flags and the datum as its
// setter stores it. A missing datum record is refused before anything is
// written.

namespace {
bool Stamp(LR* l, const DT* timestamp) {
  if (!l || !timestamp) return false;
  l->timestamp = *timestamp;
  l->has_status_flags = 0;
  return true;
}
}  // namespace

bool VelmoraLogRecordInitLogStatus(LR* l, const DT* timestamp, const BS* log_status) {
  return log_status && Stamp(l, timestamp) && VelmoraLogRecordSetLogStatus(l, log_status);
}
bool VelmoraLogRecordInitBoolean(LR* l, const DT* timestamp, uint8_t value) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetBoolean(l, value);
}
bool VelmoraLogRecordInitReal(LR* l, const DT* timestamp, float value) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetReal(l, value);
}
bool VelmoraLogRecordInitEnumerated(LR* l, const DT* timestamp, uint32_t value) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetEnumerated(l, value);
}
bool VelmoraLogRecordInitUnsigned(LR* l, const DT* timestamp, uint32_t value) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetUnsigned(l, value);
}
bool VelmoraLogRecordInitSigned(LR* l, const DT* timestamp, int32_t value) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetSigned(l, value);
}
bool VelmoraLogRecordInitBitString(LR* l, const DT* timestamp, const BS* value) {
  return value && Stamp(l, timestamp) && VelmoraLogRecordSetBitString(l, value);
}
bool VelmoraLogRecordInitFailure(LR* l, const DT* timestamp, const VelmoraError* failure) {
  return failure && Stamp(l, timestamp) && VelmoraLogRecordSetFailure(l, failure);
}
bool VelmoraLogRecordInitTimeChange(LR* l, const DT* timestamp, float time_change) {
  return Stamp(l, timestamp) && VelmoraLogRecordSetTimeChange(l, time_change);
}
bool VelmoraLogRecordInitAnyValue(LR* l, const DT* timestamp, const VelmoraAnyValue* value) {
  return value && Stamp(l, timestamp) && VelmoraLogRecordSetAnyValue(l, value);
}
