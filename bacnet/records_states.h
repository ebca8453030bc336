// Property states, time stamp and the small value records: accumulator,
// prescale, scale, shed level and client COV increment. None holds a
// pointer; a copy is a copy of the whole record. Getters of a choice's
// value read their union member whatever the choice holds.
#pragma once

#include <cstdint>

#include "bacnet/records.h"

// BACnetPropertyStates. Choice 0 boolean-value keeps its byte; choices
// 1-15 (binary-value, event-type, polarity, program-change, program-state,
// reason-for-halt, reliability, state, system-status, units,
// unsigned-value, life-safety-mode, life-safety-state, restart-reason,
// door-alarm-state) share the 32-bit value, whose low byte the boolean
// overlays.
struct VelmoraPropertyStates {
  uint32_t choice;
  union {
    uint8_t boolean_value;
    uint32_t enumerated;
  } value;
};

struct VelmoraTimeStamp {
  uint32_t choice;  // 0 time, 1 sequence number, 2 date-time
  union {
    VelmoraTime time;
    uint32_t sequence_number;  // 0-65535 on the wire
    VelmoraDateTime date_time;
  } value;
};

struct VelmoraAccumulatorRecord {
  VelmoraDateTime timestamp;
  uint32_t present_value;
  uint32_t accumulated_value;
  uint32_t status;
};

struct VelmoraPrescale {
  uint32_t multiplier;
  uint32_t modulo_divide;
};

struct VelmoraScale {
  uint32_t choice;  // datatype code: 4 REAL, 3 INTEGER
  union {
    float real;
    int32_t integer;
  } value;
};

struct VelmoraShedLevel {
  uint32_t choice;  // 0 percent, 1 level, 2 amount
  union {
    uint32_t percent;
    uint32_t level;
    float amount;
  } value;
};

struct VelmoraClientCov {
  uint32_t choice;  // datatype code: 4 REAL increment, 0 NULL default increment
  float increment;
};

// Property states.
bool VelmoraPropertyStatesInit(VelmoraPropertyStates* s);
uint32_t VelmoraPropertyStatesGetChoice(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetBooleanValue(VelmoraPropertyStates* s, uint8_t value);
uint8_t VelmoraPropertyStatesGetBooleanValue(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetBinaryValue(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetBinaryValue(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetEventType(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetEventType(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetPolarity(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetPolarity(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetProgramChange(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetProgramChange(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetProgramState(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetProgramState(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetReasonForHalt(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetReasonForHalt(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetReliability(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetReliability(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetState(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetState(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetSystemStatus(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetSystemStatus(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetUnits(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetUnits(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetUnsignedValue(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetUnsignedValue(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetLifeSafetyMode(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetLifeSafetyMode(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetLifeSafetyState(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetLifeSafetyState(const VelmoraPropertyStates* s);
bool VelmoraPropertyStatesSetRestartReason(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetRestartReason(const VelmoraPropertyStates* s);  // 255 missing
bool VelmoraPropertyStatesSetDoorAlarmState(VelmoraPropertyStates* s, uint32_t value);
uint32_t VelmoraPropertyStatesGetDoorAlarmState(const VelmoraPropertyStates* s);  // 0xFFFF missing
bool VelmoraPropertyStatesCopy(VelmoraPropertyStates* dst, const VelmoraPropertyStates* src);

// Time stamp. The sequence number is range-checked by the encoder only.
bool VelmoraTimeStampSetTime(VelmoraTimeStamp* ts, const VelmoraTime* time);
bool VelmoraTimeStampSetSequenceNumber(VelmoraTimeStamp* ts, uint32_t sequence_number);
bool VelmoraTimeStampSetDateTime(VelmoraTimeStamp* ts, const VelmoraDateTime* date_time);
uint32_t VelmoraTimeStampGetChoice(const VelmoraTimeStamp* ts);
VelmoraTime* VelmoraTimeStampGetTime(VelmoraTimeStamp* ts);
const VelmoraTime* VelmoraTimeStampGetTime(const VelmoraTimeStamp* ts);
uint32_t VelmoraTimeStampGetSequenceNumber(const VelmoraTimeStamp* ts);
VelmoraDateTime* VelmoraTimeStampGetDateTime(VelmoraTimeStamp* ts);
const VelmoraDateTime* VelmoraTimeStampGetDateTime(const VelmoraTimeStamp* ts);
bool VelmoraTimeStampCopy(VelmoraTimeStamp* dst, const VelmoraTimeStamp* src);

// Accumulator record.
bool VelmoraAccumulatorRecordInit(VelmoraAccumulatorRecord* a, const VelmoraDateTime* timestamp,
                                  uint32_t present_value, uint32_t accumulated_value,
                                  uint32_t status);
bool VelmoraAccumulatorRecordSetTimestamp(VelmoraAccumulatorRecord* a,
                                          const VelmoraDateTime* timestamp);
VelmoraDateTime* VelmoraAccumulatorRecordGetTimestamp(VelmoraAccumulatorRecord* a);
const VelmoraDateTime* VelmoraAccumulatorRecordGetTimestamp(const VelmoraAccumulatorRecord* a);
bool VelmoraAccumulatorRecordSetPresentValue(VelmoraAccumulatorRecord* a, uint32_t value);
uint32_t VelmoraAccumulatorRecordGetPresentValue(const VelmoraAccumulatorRecord* a);
bool VelmoraAccumulatorRecordSetAccumulatedValue(VelmoraAccumulatorRecord* a, uint32_t value);
uint32_t VelmoraAccumulatorRecordGetAccumulatedValue(const VelmoraAccumulatorRecord* a);
bool VelmoraAccumulatorRecordSetStatus(VelmoraAccumulatorRecord* a, uint32_t status);
uint32_t VelmoraAccumulatorRecordGetStatus(const VelmoraAccumulatorRecord* a);
bool VelmoraAccumulatorRecordCopy(VelmoraAccumulatorRecord* dst,
                                  const VelmoraAccumulatorRecord* src);

// Prescale.
bool VelmoraPrescaleInit(VelmoraPrescale* p, uint32_t multiplier, uint32_t modulo_divide);
bool VelmoraPrescaleSetMultiplier(VelmoraPrescale* p, uint32_t multiplier);
uint32_t VelmoraPrescaleGetMultiplier(const VelmoraPrescale* p);
bool VelmoraPrescaleSetModuloDivide(VelmoraPrescale* p, uint32_t modulo_divide);
uint32_t VelmoraPrescaleGetModuloDivide(const VelmoraPrescale* p);
bool VelmoraPrescaleCopy(VelmoraPrescale* dst, const VelmoraPrescale* src);

// Scale.
bool VelmoraScaleSetFloat(VelmoraScale* s, float value);
bool VelmoraScaleSetInteger(VelmoraScale* s, int32_t value);
uint32_t VelmoraScaleGetChoice(const VelmoraScale* s);
float VelmoraScaleGetFloat(const VelmoraScale* s);
int32_t VelmoraScaleGetInteger(const VelmoraScale* s);
bool VelmoraScaleCopy(VelmoraScale* dst, const VelmoraScale* src);

// Shed level.
bool VelmoraShedLevelSetPercent(VelmoraShedLevel* s, uint32_t percent);
bool VelmoraShedLevelSetLevel(VelmoraShedLevel* s, uint32_t level);
bool VelmoraShedLevelSetAmount(VelmoraShedLevel* s, float amount);
uint32_t VelmoraShedLevelGetChoice(const VelmoraShedLevel* s);
uint32_t VelmoraShedLevelGetPercent(const VelmoraShedLevel* s);
uint32_t VelmoraShedLevelGetLevel(const VelmoraShedLevel* s);
float VelmoraShedLevelGetAmount(const VelmoraShedLevel* s);
bool VelmoraShedLevelCopy(VelmoraShedLevel* dst, const VelmoraShedLevel* src);

// Client COV increment. The default-increment choice keeps the stored
// increment, which the getter still answers.
bool VelmoraClientCovSetRealIncrement(VelmoraClientCov* c, float increment);
bool VelmoraClientCovSetDefault(VelmoraClientCov* c);
uint32_t VelmoraClientCovGetChoice(const VelmoraClientCov* c);
float VelmoraClientCovGetRealIncrement(const VelmoraClientCov* c);
bool VelmoraClientCovCopy(VelmoraClientCov* dst, const VelmoraClientCov* src);
