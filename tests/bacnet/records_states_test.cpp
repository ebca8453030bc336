// Property states, time stamp, the small value records and the priority
// array: missing-record defaults, refusals, choices and overlays.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "bacnet/priority_value.h"
#include "bacnet/records_states.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

const VelmoraTime kTime = {1, 2, 3, 4};
const VelmoraDateTime kDateTime = {{2024, 5, 6, 1}, {7, 8, 9, 10}};

TEST(RecordsStates, GettersOfMissingRecords) {
  const VelmoraPropertyStates* ps = nullptr;
  const VelmoraTimeStamp* ts = nullptr;
  const VelmoraAccumulatorRecord* ar = nullptr;
  const VelmoraPrescale* pre = nullptr;
  const VelmoraScale* sc = nullptr;
  const VelmoraShedLevel* sl = nullptr;
  const VelmoraClientCov* cc = nullptr;
  const VelmoraPriorityValue* pv = nullptr;
  ExpectDefaults({
      MISSING(VelmoraPropertyStatesGetChoice(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetBooleanValue(ps), 255),
      MISSING(VelmoraPropertyStatesGetBinaryValue(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetEventType(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetPolarity(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetProgramChange(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetProgramState(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetReasonForHalt(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetReliability(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetState(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetSystemStatus(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetUnits(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetUnsignedValue(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetLifeSafetyMode(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetLifeSafetyState(ps), UINT32_MAX),
      MISSING(VelmoraPropertyStatesGetRestartReason(ps), 255),
      MISSING(VelmoraPropertyStatesGetDoorAlarmState(ps), 0xFFFF),
      MISSING(VelmoraTimeStampGetChoice(ts), UINT32_MAX),
      MISSING(VelmoraTimeStampGetTime(ts), nullptr),
      MISSING(VelmoraTimeStampGetSequenceNumber(ts), UINT32_MAX),
      MISSING(VelmoraTimeStampGetDateTime(ts), nullptr),
      MISSING(VelmoraAccumulatorRecordGetTimestamp(ar), nullptr),
      MISSING(VelmoraAccumulatorRecordGetPresentValue(ar), UINT32_MAX),
      MISSING(VelmoraAccumulatorRecordGetAccumulatedValue(ar), UINT32_MAX),
      MISSING(VelmoraAccumulatorRecordGetStatus(ar), 0),
      MISSING(VelmoraPrescaleGetMultiplier(pre), UINT32_MAX),
      MISSING(VelmoraPrescaleGetModuloDivide(pre), UINT32_MAX),
      MISSING(VelmoraScaleGetChoice(sc), UINT32_MAX),
      MISSING(VelmoraScaleGetFloat(sc), 0.0),
      MISSING(VelmoraScaleGetInteger(sc), -1),
      MISSING(VelmoraShedLevelGetChoice(sl), UINT32_MAX),
      MISSING(VelmoraShedLevelGetPercent(sl), 0),
      MISSING(VelmoraShedLevelGetLevel(sl), 0),
      MISSING(VelmoraShedLevelGetAmount(sl), 0.0),
      MISSING(VelmoraClientCovGetChoice(cc), 0),
      MISSING(VelmoraClientCovGetRealIncrement(cc), 0.0),
      MISSING(VelmoraPriorityValueGetValueAddress(pv), nullptr),
      MISSING(VelmoraPriorityValueGetType(pv), 0),
      MISSING(VelmoraPriorityValueIsNull(pv), false),
      MISSING(VelmoraPriorityValueGetEnumerated(pv), UINT32_MAX),
      MISSING(VelmoraPriorityValueGetReal(pv), 0.0),
      MISSING(VelmoraPriorityValueGetUnsigned(pv), UINT32_MAX),
  });
}

TEST(RecordsStates, SettersRefuseMissingRecordsAndArguments) {
  using PS = VelmoraPropertyStates;
  ExpectRefusals(PatternRecord<PS>(),
                 {
                     REFUSE(PS, VelmoraPropertyStatesInit(nullptr)),
                     REFUSE(PS, VelmoraPropertyStatesSetBooleanValue(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetBinaryValue(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetEventType(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetPolarity(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetProgramChange(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetProgramState(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetReasonForHalt(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetReliability(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetState(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetSystemStatus(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetUnits(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetUnsignedValue(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetLifeSafetyMode(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetLifeSafetyState(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetRestartReason(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesSetDoorAlarmState(nullptr, 1)),
                     REFUSE(PS, VelmoraPropertyStatesCopy(nullptr, r)),
                     REFUSE(PS, VelmoraPropertyStatesCopy(r, nullptr)),
                 });
  using TS = VelmoraTimeStamp;
  ExpectRefusals(PatternRecord<TS>(),
                 {
                     REFUSE(TS, VelmoraTimeStampSetTime(nullptr, &kTime)),
                     REFUSE(TS, VelmoraTimeStampSetTime(r, nullptr)),
                     REFUSE(TS, VelmoraTimeStampSetSequenceNumber(nullptr, 1)),
                     REFUSE(TS, VelmoraTimeStampSetDateTime(nullptr, &kDateTime)),
                     REFUSE(TS, VelmoraTimeStampSetDateTime(r, nullptr)),
                     REFUSE(TS, VelmoraTimeStampCopy(nullptr, r)),
                     REFUSE(TS, VelmoraTimeStampCopy(r, nullptr)),
                 });
  using AR = VelmoraAccumulatorRecord;
  ExpectRefusals(PatternRecord<AR>(),
                 {
                     REFUSE(AR, VelmoraAccumulatorRecordInit(nullptr, &kDateTime, 1, 2, 3)),
                     REFUSE(AR, VelmoraAccumulatorRecordInit(r, nullptr, 1, 2, 3)),
                     REFUSE(AR, VelmoraAccumulatorRecordSetTimestamp(nullptr, &kDateTime)),
                     REFUSE(AR, VelmoraAccumulatorRecordSetTimestamp(r, nullptr)),
                     REFUSE(AR, VelmoraAccumulatorRecordSetPresentValue(nullptr, 1)),
                     REFUSE(AR, VelmoraAccumulatorRecordSetAccumulatedValue(nullptr, 1)),
                     REFUSE(AR, VelmoraAccumulatorRecordSetStatus(nullptr, 1)),
                     REFUSE(AR, VelmoraAccumulatorRecordCopy(nullptr, r)),
                     REFUSE(AR, VelmoraAccumulatorRecordCopy(r, nullptr)),
                 });
  using PR = VelmoraPrescale;
  ExpectRefusals(PatternRecord<PR>(), {
                                          REFUSE(PR, VelmoraPrescaleInit(nullptr, 1, 2)),
                                          REFUSE(PR, VelmoraPrescaleSetMultiplier(nullptr, 1)),
                                          REFUSE(PR, VelmoraPrescaleSetModuloDivide(nullptr, 1)),
                                          REFUSE(PR, VelmoraPrescaleCopy(nullptr, r)),
                                          REFUSE(PR, VelmoraPrescaleCopy(r, nullptr)),
                                      });
  using SC = VelmoraScale;
  ExpectRefusals(PatternRecord<SC>(), {
                                          REFUSE(SC, VelmoraScaleSetFloat(nullptr, 1.0f)),
                                          REFUSE(SC, VelmoraScaleSetInteger(nullptr, 1)),
                                          REFUSE(SC, VelmoraScaleCopy(nullptr, r)),
                                          REFUSE(SC, VelmoraScaleCopy(r, nullptr)),
                                      });
  using SL = VelmoraShedLevel;
  ExpectRefusals(PatternRecord<SL>(), {
                                          REFUSE(SL, VelmoraShedLevelSetPercent(nullptr, 1)),
                                          REFUSE(SL, VelmoraShedLevelSetLevel(nullptr, 1)),
                                          REFUSE(SL, VelmoraShedLevelSetAmount(nullptr, 1.0f)),
                                          REFUSE(SL, VelmoraShedLevelCopy(nullptr, r)),
                                          REFUSE(SL, VelmoraShedLevelCopy(r, nullptr)),
                                      });
  using CC = VelmoraClientCov;
  ExpectRefusals(PatternRecord<CC>(), {
                                          REFUSE(CC, VelmoraClientCovSetRealIncrement(nullptr, 1)),
                                          REFUSE(CC, VelmoraClientCovSetDefault(nullptr)),
                                          REFUSE(CC, VelmoraClientCovCopy(nullptr, r)),
                                          REFUSE(CC, VelmoraClientCovCopy(r, nullptr)),
                                      });
  using PV = VelmoraPriorityValue;
  ExpectRefusals(PatternRecord<PV>(), {
                                          REFUSE(PV, VelmoraPriorityValueInit(nullptr)),
                                          REFUSE(PV, VelmoraPriorityValueSetNull(nullptr)),
                                          REFUSE(PV, VelmoraPriorityValueSetEnumerated(nullptr, 1)),
                                          REFUSE(PV, VelmoraPriorityValueSetReal(nullptr, 1)),
                                          REFUSE(PV, VelmoraPriorityValueSetUnsigned(nullptr, 1)),
                                          REFUSE(PV, VelmoraPriorityValueCopy(nullptr, r)),
                                          REFUSE(PV, VelmoraPriorityValueCopy(r, nullptr)),
                                      });
  using PA = VelmoraPriorityArray;
  ExpectRefusals(PatternRecord<PA>(), {
                                          REFUSE(PA, VelmoraPriorityArrayInit(nullptr)),
                                          REFUSE(PA, VelmoraPriorityArrayCopy(nullptr, r)),
                                          REFUSE(PA, VelmoraPriorityArrayCopy(r, nullptr)),
                                      });
}

// The BACnetPropertyStates choice numbers, set by each setter.
TEST(RecordsStates, PropertyStatesSettersWriteTheirChoice) {
  using Setter = bool (*)(VelmoraPropertyStates*, uint32_t);
  using Getter = uint32_t (*)(const VelmoraPropertyStates*);
  const struct {
    Setter set;
    Getter get;
    uint32_t choice;
  } cases[] = {
      {VelmoraPropertyStatesSetBinaryValue, VelmoraPropertyStatesGetBinaryValue, 1},
      {VelmoraPropertyStatesSetEventType, VelmoraPropertyStatesGetEventType, 2},
      {VelmoraPropertyStatesSetPolarity, VelmoraPropertyStatesGetPolarity, 3},
      {VelmoraPropertyStatesSetProgramChange, VelmoraPropertyStatesGetProgramChange, 4},
      {VelmoraPropertyStatesSetProgramState, VelmoraPropertyStatesGetProgramState, 5},
      {VelmoraPropertyStatesSetReasonForHalt, VelmoraPropertyStatesGetReasonForHalt, 6},
      {VelmoraPropertyStatesSetReliability, VelmoraPropertyStatesGetReliability, 7},
      {VelmoraPropertyStatesSetState, VelmoraPropertyStatesGetState, 8},
      {VelmoraPropertyStatesSetSystemStatus, VelmoraPropertyStatesGetSystemStatus, 9},
      {VelmoraPropertyStatesSetUnits, VelmoraPropertyStatesGetUnits, 10},
      {VelmoraPropertyStatesSetUnsignedValue, VelmoraPropertyStatesGetUnsignedValue, 11},
      {VelmoraPropertyStatesSetLifeSafetyMode, VelmoraPropertyStatesGetLifeSafetyMode, 12},
      {VelmoraPropertyStatesSetLifeSafetyState, VelmoraPropertyStatesGetLifeSafetyState, 13},
      {VelmoraPropertyStatesSetRestartReason, VelmoraPropertyStatesGetRestartReason, 14},
      {VelmoraPropertyStatesSetDoorAlarmState, VelmoraPropertyStatesGetDoorAlarmState, 15},
  };
  for (const auto& c : cases) {
    VelmoraPropertyStates s = PatternRecord<VelmoraPropertyStates>();
    ASSERT_TRUE(c.set(&s, 0x10000 + c.choice));
    EXPECT_EQ(VelmoraPropertyStatesGetChoice(&s), c.choice);
    // Choices 1-15 share one field, read whatever the choice.
    EXPECT_EQ(c.get(&s), 0x10000 + c.choice) << c.choice;
    EXPECT_EQ(VelmoraPropertyStatesGetUnits(&s), 0x10000 + c.choice) << c.choice;
  }
  VelmoraPropertyStates s;
  ASSERT_TRUE(VelmoraPropertyStatesSetBooleanValue(&s, 1));
  EXPECT_EQ(VelmoraPropertyStatesGetChoice(&s), 0u);
  EXPECT_EQ(VelmoraPropertyStatesGetBooleanValue(&s), 1);
}

// The boolean overlays the low byte of the 32-bit value on this
// little-endian platform; Init writes only the byte.
TEST(RecordsStates, InitIsFalseBooleanInTheValuesLowByte) {
  static_assert(std::endian::native == std::endian::little);
  VelmoraPropertyStates s = PatternRecord<VelmoraPropertyStates>(0xFF);
  ASSERT_TRUE(VelmoraPropertyStatesInit(&s));
  EXPECT_EQ(VelmoraPropertyStatesGetChoice(&s), 0u);
  EXPECT_EQ(VelmoraPropertyStatesGetBooleanValue(&s), 0);
  EXPECT_EQ(VelmoraPropertyStatesGetUnits(&s), 0xFFFFFF00u);
}

TEST(RecordsStates, TimeStampAlternativesAndUncheckedSequenceNumber) {
  VelmoraTimeStamp ts;
  ASSERT_TRUE(VelmoraTimeStampSetSequenceNumber(&ts, 70000));  // the encoder refuses it
  EXPECT_EQ(VelmoraTimeStampGetChoice(&ts), 1u);
  EXPECT_EQ(VelmoraTimeStampGetSequenceNumber(&ts), 70000u);
  ASSERT_TRUE(VelmoraTimeStampSetDateTime(&ts, &kDateTime));
  EXPECT_EQ(VelmoraTimeStampGetChoice(&ts), 2u);
  EXPECT_EQ(0, std::memcmp(VelmoraTimeStampGetDateTime(&ts), &kDateTime, sizeof kDateTime));
  ASSERT_TRUE(VelmoraTimeStampSetTime(&ts, &kTime));
  EXPECT_EQ(VelmoraTimeStampGetChoice(&ts), 0u);
  EXPECT_EQ(VelmoraTimeGetHundredths(VelmoraTimeStampGetTime(&ts)), 4);
}

TEST(RecordsStates, ScaleAndShedLevelChoicesOverlayTheirValue) {
  VelmoraScale s;
  ASSERT_TRUE(VelmoraScaleSetFloat(&s, 2.5f));
  EXPECT_EQ(VelmoraScaleGetChoice(&s), 4u);
  EXPECT_EQ(VelmoraScaleGetInteger(&s), std::bit_cast<int32_t>(2.5f));
  ASSERT_TRUE(VelmoraScaleSetInteger(&s, -7));
  EXPECT_EQ(VelmoraScaleGetChoice(&s), 3u);
  EXPECT_EQ(VelmoraScaleGetInteger(&s), -7);

  VelmoraShedLevel l;
  ASSERT_TRUE(VelmoraShedLevelSetAmount(&l, 1.0f));
  EXPECT_EQ(VelmoraShedLevelGetChoice(&l), 2u);
  EXPECT_EQ(VelmoraShedLevelGetPercent(&l), std::bit_cast<uint32_t>(1.0f));
  ASSERT_TRUE(VelmoraShedLevelSetLevel(&l, 3));
  EXPECT_EQ(VelmoraShedLevelGetChoice(&l), 1u);
  EXPECT_EQ(VelmoraShedLevelGetPercent(&l), 3u);
  ASSERT_TRUE(VelmoraShedLevelSetPercent(&l, 40));
  EXPECT_EQ(VelmoraShedLevelGetChoice(&l), 0u);
  EXPECT_EQ(VelmoraShedLevelGetLevel(&l), 40u);
}

TEST(RecordsStates, ClientCovDefaultKeepsTheIncrement) {
  VelmoraClientCov c;
  ASSERT_TRUE(VelmoraClientCovSetRealIncrement(&c, 1.5f));
  EXPECT_EQ(VelmoraClientCovGetChoice(&c), 4u);
  ASSERT_TRUE(VelmoraClientCovSetDefault(&c));
  EXPECT_EQ(VelmoraClientCovGetChoice(&c), 0u);
  EXPECT_EQ(VelmoraClientCovGetRealIncrement(&c), 1.5f);
  c.choice = 9;  // neither REAL nor NULL
  EXPECT_EQ(VelmoraClientCovGetRealIncrement(&c), 0.0f);
}

TEST(RecordsStates, PriorityArrayInitMakesEverySlotNullAndKeepsTheValues) {
  VelmoraPriorityArray a = PatternRecord<VelmoraPriorityArray>();
  ASSERT_TRUE(VelmoraPriorityArrayInit(&a));
  for (const VelmoraPriorityValue& slot : a.slots) {
    EXPECT_TRUE(VelmoraPriorityValueIsNull(&slot));
    EXPECT_EQ(VelmoraPriorityValueGetUnsigned(&slot), 0xA5A5A5A5u);
  }
  EXPECT_EQ(VelmoraPriorityValueGetType(nullptr), 0u);
  EXPECT_FALSE(VelmoraPriorityValueIsNull(nullptr));

  const struct {
    bool (*set)(VelmoraPriorityValue*);
    uint32_t type;
  } kinds[] = {
      {[](VelmoraPriorityValue* p) { return VelmoraPriorityValueSetUnsigned(p, 5); }, 2},
      {[](VelmoraPriorityValue* p) { return VelmoraPriorityValueSetReal(p, 5.0f); }, 4},
      {[](VelmoraPriorityValue* p) { return VelmoraPriorityValueSetEnumerated(p, 5); }, 9},
      {[](VelmoraPriorityValue* p) { return VelmoraPriorityValueSetNull(p); }, 0},
  };
  for (const auto& k : kinds) {
    ASSERT_TRUE(k.set(&a.slots[3]));
    EXPECT_EQ(VelmoraPriorityValueGetType(&a.slots[3]), k.type);
    EXPECT_EQ(VelmoraPriorityValueIsNull(&a.slots[3]), k.type == 0);
  }
  EXPECT_EQ(VelmoraPriorityValueGetValueAddress(&a.slots[3]), &a.slots[3].value);
  VelmoraPriorityArray b{};
  ASSERT_TRUE(VelmoraPriorityArrayCopy(&b, &a));
  EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

}  // namespace
