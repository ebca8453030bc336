#include "bacnet/records_states.h"

#include "bacnet/record_accessors.h"

// Property states. Choices 1-15 share one 32-bit field; the getters do not
// look at the choice.

using PS = VelmoraPropertyStates;

RECORD_DO(VelmoraPropertyStatesInit, PS, r->choice = 0, r->value.boolean_value = 0)
RECORD_GET(uint32_t, VelmoraPropertyStatesGetChoice, PS, -1, r->choice)
RECORD_SET(VelmoraPropertyStatesSetBooleanValue, PS, uint8_t, r->choice = 0,
           r->value.boolean_value = v)
RECORD_GET(uint8_t, VelmoraPropertyStatesGetBooleanValue, PS, 255, r->value.boolean_value)

#define STATES_ENUM(Choice, Set, Get, Default)                               \
  RECORD_SET(Set, PS, uint32_t, r->choice = Choice, r->value.enumerated = v) \
  RECORD_GET(uint32_t, Get, PS, Default, r->value.enumerated)

STATES_ENUM(1, VelmoraPropertyStatesSetBinaryValue, VelmoraPropertyStatesGetBinaryValue, -1)
STATES_ENUM(2, VelmoraPropertyStatesSetEventType, VelmoraPropertyStatesGetEventType, -1)
STATES_ENUM(3, VelmoraPropertyStatesSetPolarity, VelmoraPropertyStatesGetPolarity, -1)
STATES_ENUM(4, VelmoraPropertyStatesSetProgramChange, VelmoraPropertyStatesGetProgramChange, -1)
STATES_ENUM(5, VelmoraPropertyStatesSetProgramState, VelmoraPropertyStatesGetProgramState, -1)
STATES_ENUM(6, VelmoraPropertyStatesSetReasonForHalt, VelmoraPropertyStatesGetReasonForHalt, -1)
STATES_ENUM(7, VelmoraPropertyStatesSetReliability, VelmoraPropertyStatesGetReliability, -1)
STATES_ENUM(8, VelmoraPropertyStatesSetState, VelmoraPropertyStatesGetState, -1)
STATES_ENUM(9, VelmoraPropertyStatesSetSystemStatus, VelmoraPropertyStatesGetSystemStatus, -1)
STATES_ENUM(10, VelmoraPropertyStatesSetUnits, VelmoraPropertyStatesGetUnits, -1)
STATES_ENUM(11, VelmoraPropertyStatesSetUnsignedValue, VelmoraPropertyStatesGetUnsignedValue, -1)
STATES_ENUM(12, VelmoraPropertyStatesSetLifeSafetyMode, VelmoraPropertyStatesGetLifeSafetyMode, -1)
STATES_ENUM(13, VelmoraPropertyStatesSetLifeSafetyState, VelmoraPropertyStatesGetLifeSafetyState,
            -1)
STATES_ENUM(14, VelmoraPropertyStatesSetRestartReason, VelmoraPropertyStatesGetRestartReason, 255)
STATES_ENUM(15, VelmoraPropertyStatesSetDoorAlarmState, VelmoraPropertyStatesGetDoorAlarmState,
            0xFFFF)
RECORD_COPY(VelmoraPropertyStatesCopy, PS)

// Time stamp.

using TS = VelmoraTimeStamp;

RECORD_PUT(VelmoraTimeStampSetTime, TS, VelmoraTime, r->choice = 0, r->value.time = *v)
RECORD_SET(VelmoraTimeStampSetSequenceNumber, TS, uint32_t, r->choice = 1,
           r->value.sequence_number = v)
RECORD_PUT(VelmoraTimeStampSetDateTime, TS, VelmoraDateTime, r->choice = 2, r->value.date_time = *v)
RECORD_GET(uint32_t, VelmoraTimeStampGetChoice, TS, -1, r->choice)
RECORD_ADDRESS(VelmoraTime, VelmoraTimeStampGetTime, TS, r->value.time)
RECORD_GET(uint32_t, VelmoraTimeStampGetSequenceNumber, TS, -1, r->value.sequence_number)
RECORD_ADDRESS(VelmoraDateTime, VelmoraTimeStampGetDateTime, TS, r->value.date_time)
RECORD_COPY(VelmoraTimeStampCopy, TS)

// Accumulator record.

using AR = VelmoraAccumulatorRecord;

bool VelmoraAccumulatorRecordInit(AR* a, const VelmoraDateTime* timestamp, uint32_t present_value,
                                  uint32_t accumulated_value, uint32_t status) {
  if (!a || !timestamp) return false;
  *a = {*timestamp, present_value, accumulated_value, status};
  return true;
}
RECORD_PUT(VelmoraAccumulatorRecordSetTimestamp, AR, VelmoraDateTime, r->timestamp = *v)
RECORD_ADDRESS(VelmoraDateTime, VelmoraAccumulatorRecordGetTimestamp, AR, r->timestamp)
RECORD_SET(VelmoraAccumulatorRecordSetPresentValue, AR, uint32_t, r->present_value = v)
RECORD_GET(uint32_t, VelmoraAccumulatorRecordGetPresentValue, AR, -1, r->present_value)
RECORD_SET(VelmoraAccumulatorRecordSetAccumulatedValue, AR, uint32_t, r->accumulated_value = v)
RECORD_GET(uint32_t, VelmoraAccumulatorRecordGetAccumulatedValue, AR, -1, r->accumulated_value)
RECORD_SET(VelmoraAccumulatorRecordSetStatus, AR, uint32_t, r->status = v)
RECORD_GET(uint32_t, VelmoraAccumulatorRecordGetStatus, AR, 0, r->status)
RECORD_COPY(VelmoraAccumulatorRecordCopy, AR)

// Prescale.

bool VelmoraPrescaleInit(VelmoraPrescale* p, uint32_t multiplier, uint32_t modulo_divide) {
  if (!p) return false;
  *p = {multiplier, modulo_divide};
  return true;
}
RECORD_SET(VelmoraPrescaleSetMultiplier, VelmoraPrescale, uint32_t, r->multiplier = v)
RECORD_GET(uint32_t, VelmoraPrescaleGetMultiplier, VelmoraPrescale, -1, r->multiplier)
RECORD_SET(VelmoraPrescaleSetModuloDivide, VelmoraPrescale, uint32_t, r->modulo_divide = v)
RECORD_GET(uint32_t, VelmoraPrescaleGetModuloDivide, VelmoraPrescale, -1, r->modulo_divide)
RECORD_COPY(VelmoraPrescaleCopy, VelmoraPrescale)

// Scale: the integer getter on a float scale answers the float's bits.

RECORD_SET(VelmoraScaleSetFloat, VelmoraScale, float, r->choice = 4, r->value.real = v)
RECORD_SET(VelmoraScaleSetInteger, VelmoraScale, int32_t, r->choice = 3, r->value.integer = v)
RECORD_GET(uint32_t, VelmoraScaleGetChoice, VelmoraScale, -1, r->choice)
RECORD_GET(float, VelmoraScaleGetFloat, VelmoraScale, 0, r->value.real)
RECORD_GET(int32_t, VelmoraScaleGetInteger, VelmoraScale, -1, r->value.integer)
RECORD_COPY(VelmoraScaleCopy, VelmoraScale)

// Shed level.

using SL = VelmoraShedLevel;

RECORD_SET(VelmoraShedLevelSetPercent, SL, uint32_t, r->choice = 0, r->value.percent = v)
RECORD_SET(VelmoraShedLevelSetLevel, SL, uint32_t, r->choice = 1, r->value.level = v)
RECORD_SET(VelmoraShedLevelSetAmount, SL, float, r->choice = 2, r->value.amount = v)
RECORD_GET(uint32_t, VelmoraShedLevelGetChoice, SL, -1, r->choice)
RECORD_GET(uint32_t, VelmoraShedLevelGetPercent, SL, 0, r->value.percent)
RECORD_GET(uint32_t, VelmoraShedLevelGetLevel, SL, 0, r->value.level)
RECORD_GET(float, VelmoraShedLevelGetAmount, SL, 0, r->value.amount)
RECORD_COPY(VelmoraShedLevelCopy, SL)

// Client COV increment.

using CC = VelmoraClientCov;

RECORD_SET(VelmoraClientCovSetRealIncrement, CC, float, r->choice = 4, r->increment = v)
RECORD_DO(VelmoraClientCovSetDefault, CC, r->choice = 0)
RECORD_GET(uint32_t, VelmoraClientCovGetChoice, CC, 0, r->choice)
RECORD_GET(float, VelmoraClientCovGetRealIncrement, CC, 0,
           r->choice == 4 || r->choice == 0 ? r->increment : 0.0f)
RECORD_COPY(VelmoraClientCovCopy, CC)
