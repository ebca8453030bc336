// Event parameters and their extended elements: missing-record defaults,
// refusals, the accessors that follow the event type, the list rules and
// the change-of-value increment, which now selects its own alternative.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "bacnet/records_event_param.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

using EP = VelmoraEventParam;

const VelmoraBitString kMask = {4, {0xA0}};
const VelmoraDevObjPropRef kRef = {{0, 1}, 85, UINT32_MAX, 0, {8, 0}};
uint32_t gAlarms[2] = {1, 2};
VelmoraBitString gStrings[2];
VelmoraPropertyStates gStates[2];
VelmoraExtParam gExtended[2];
uint8_t gOctets[3] = {1, 2, 3};
const VelmoraOctetString kOctets = {gOctets, sizeof gOctets, sizeof gOctets};

TEST(RecordsEventParam, GettersOfMissingRecords) {
  const EP* p = nullptr;
  const VelmoraExtParam* e = nullptr;
  ExpectDefaults({
      MISSING(VelmoraEventParamGetType(p), UINT32_MAX),
      MISSING(VelmoraEventParamGetTimeDelay(p), 0),
      MISSING(VelmoraEventParamGetBitmask(p), nullptr),
      MISSING(VelmoraEventParamGetValueCount(p), 0),
      MISSING(VelmoraEventParamGetDeadband(p), 0.0),
      MISSING(VelmoraEventParamGetBitstringValue(p, 0), nullptr),
      MISSING(VelmoraEventParamGetStateValue(p, 0), nullptr),
      MISSING(VelmoraEventParamGetCovCriteria(p), UINT32_MAX),
      MISSING(VelmoraEventParamGetCovIncrement(p), 0.0),
      MISSING(VelmoraEventParamGetFeedbackRef(p), nullptr),
      MISSING(VelmoraEventParamGetSetpointRef(p), nullptr),
      MISSING(VelmoraEventParamGetLowDiffLimit(p), 0.0),
      MISSING(VelmoraEventParamGetHighDiffLimit(p), 0.0),
      MISSING(VelmoraEventParamGetLowLimit(p), 0.0),
      MISSING(VelmoraEventParamGetHighLimit(p), 0.0),
      MISSING(VelmoraEventParamGetNotificationThreshold(p), 0),
      MISSING(VelmoraEventParamGetPreviousCount(p), 0),
      MISSING(VelmoraEventParamGetLifeSafetyAlarmValue(p, 0), nullptr),
      MISSING(VelmoraEventParamGetLifeSafetyAlarmCount(p), 0),
      MISSING(VelmoraEventParamGetAlarmValue(p, 0), nullptr),
      MISSING(VelmoraEventParamGetAlarmValueCount(p), 0),
      MISSING(VelmoraEventParamGetModeRef(p), nullptr),
      MISSING(VelmoraEventParamGetVendorId(p), UINT32_MAX),
      MISSING(VelmoraEventParamGetExtendedEventType(p), UINT32_MAX),
      MISSING(VelmoraEventParamGetExtendedParameter(p, 0), nullptr),
      MISSING(VelmoraEventParamGetExtendedParameterCount(p), 0),
      MISSING(VelmoraEventParamGetUnsignedLowLimit(p), UINT32_MAX),
      MISSING(VelmoraEventParamGetUnsignedHighLimit(p), UINT32_MAX),
      MISSING(VelmoraExtParamGetType(e), UINT32_MAX),
      MISSING(VelmoraExtParamGetReal(e), 0.0),
      MISSING(VelmoraExtParamGetUnsigned(e), 0),
      MISSING(VelmoraExtParamGetBoolean(e), 0),
      MISSING(VelmoraExtParamGetDouble(e), 0.0),
      MISSING(VelmoraExtParamGetOctetString(e), nullptr),
      MISSING(VelmoraExtParamGetBitString(e), nullptr),
      MISSING(VelmoraExtParamGetEnumerated(e), UINT32_MAX),
      MISSING(VelmoraExtParamGetReference(e), nullptr),
  });
}

TEST(RecordsEventParam, SettersRefuseMissingRecordsArgumentsAndBadLists) {
  // A type-2 record with criteria 1: neither bitmask nor deadband exists.
  EP filled = PatternRecord<EP>();
  ASSERT_TRUE(VelmoraEventParamInitChangeOfValueIncrement(&filled, 5, 0.5f));
  ExpectRefusals(
      filled,
      {
          REFUSE(EP, VelmoraEventParamInitChangeOfBitstring(nullptr, 1, &kMask, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamInitChangeOfBitstring(r, 1, nullptr, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamInitChangeOfBitstring(r, 1, &kMask, nullptr, 2)),
          REFUSE(EP, VelmoraEventParamInitChangeOfState(nullptr, 1, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamInitChangeOfState(r, 1, nullptr, 2)),
          REFUSE(EP, VelmoraEventParamInitChangeOfValueBitmask(nullptr, 1, &kMask)),
          REFUSE(EP, VelmoraEventParamInitChangeOfValueBitmask(r, 1, nullptr)),
          REFUSE(EP, VelmoraEventParamInitChangeOfValueIncrement(nullptr, 1, 1.0f)),
          REFUSE(EP, VelmoraEventParamInitCommandFailure(nullptr, 1, &kRef)),
          REFUSE(EP, VelmoraEventParamInitCommandFailure(r, 1, nullptr)),
          REFUSE(EP, VelmoraEventParamInitFloatingLimit(nullptr, 1, &kRef, 1, 2, 3)),
          REFUSE(EP, VelmoraEventParamInitFloatingLimit(r, 1, nullptr, 1, 2, 3)),
          REFUSE(EP, VelmoraEventParamInitOutOfRange(nullptr, 1, 1, 2, 3)),
          REFUSE(EP, VelmoraEventParamInitBufferReady7(nullptr, 1, 2)),
          REFUSE(EP, VelmoraEventParamInitBufferReady(nullptr, 1, 2)),
          REFUSE(EP, VelmoraEventParamInitChangeOfLifeSafety(nullptr, 1, nullptr, 0, nullptr, 0,
                                                             &kRef)),
          REFUSE(EP, VelmoraEventParamInitChangeOfLifeSafety(r, 1, gAlarms, 0, nullptr, 0, &kRef)),
          REFUSE(EP, VelmoraEventParamInitChangeOfLifeSafety(r, 1, nullptr, 0, nullptr, 2, &kRef)),
          REFUSE(EP,
                 VelmoraEventParamInitChangeOfLifeSafety(r, 1, nullptr, 0, nullptr, 0, nullptr)),
          REFUSE(EP, VelmoraEventParamInitExtended(nullptr, 1, 2, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamInitExtended(r, 1, 2, gExtended, 0)),
          REFUSE(EP, VelmoraEventParamInitExtended(r, 1, 2, nullptr, 1)),
          REFUSE(EP, VelmoraEventParamInitUnsignedRange(nullptr, 1, 2, 3)),
          REFUSE(EP, VelmoraEventParamSetTimeDelay(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetBitmask(nullptr, &kMask)),
          REFUSE(EP, VelmoraEventParamSetBitmask(r, &kMask)),  // criteria 1
          REFUSE(EP, VelmoraEventParamSetDeadband(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetDeadband(r, 1.0f)),  // type 2
          REFUSE(EP, VelmoraEventParamSetBitstringValues(nullptr, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamSetBitstringValues(r, nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetStateValues(nullptr, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamSetStateValues(r, nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetCovIncrement(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetFeedbackRef(nullptr, &kRef)),
          REFUSE(EP, VelmoraEventParamSetFeedbackRef(r, nullptr)),
          REFUSE(EP, VelmoraEventParamSetSetpointRef(nullptr, &kRef)),
          REFUSE(EP, VelmoraEventParamSetSetpointRef(r, nullptr)),
          REFUSE(EP, VelmoraEventParamSetLowDiffLimit(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetHighDiffLimit(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetLowLimit(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetHighLimit(nullptr, 1.0f)),
          REFUSE(EP, VelmoraEventParamSetNotificationThreshold(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetPreviousCount(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetLifeSafetyAlarmValues(nullptr, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamSetLifeSafetyAlarmValues(r, nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetAlarmValues(nullptr, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamSetAlarmValues(r, nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetModeRef(nullptr, &kRef)),
          REFUSE(EP, VelmoraEventParamSetModeRef(r, nullptr)),
          REFUSE(EP, VelmoraEventParamSetVendorId(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetExtendedEventType(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetExtendedParameters(nullptr, gExtended, 1)),
          REFUSE(EP, VelmoraEventParamSetExtendedParameters(r, nullptr, 0)),
          REFUSE(EP, VelmoraEventParamSetUnsignedLowLimit(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamSetUnsignedHighLimit(nullptr, 1)),
          REFUSE(EP, VelmoraEventParamCopy(nullptr, r)),
          REFUSE(EP, VelmoraEventParamCopy(r, nullptr)),
      });
  // Time delay: none for buffer-ready.
  ASSERT_TRUE(VelmoraEventParamInitBufferReady(&filled, 10, 0));
  ExpectRefusals(filled, {REFUSE(EP, VelmoraEventParamSetTimeDelay(r, 1))});

  using XP = VelmoraExtParam;
  ExpectRefusals(PatternRecord<XP>(),
                 {
                     REFUSE(XP, VelmoraExtParamSetNull(nullptr)),
                     REFUSE(XP, VelmoraExtParamSetReal(nullptr, 1)),
                     REFUSE(XP, VelmoraExtParamSetUnsigned(nullptr, 1)),
                     REFUSE(XP, VelmoraExtParamSetBoolean(nullptr, 1)),
                     REFUSE(XP, VelmoraExtParamSetDouble(nullptr, 1)),
                     REFUSE(XP, VelmoraExtParamSetOctetString(nullptr, &kOctets)),
                     REFUSE(XP, VelmoraExtParamSetOctetString(r, nullptr)),
                     REFUSE(XP, VelmoraExtParamSetBitString(nullptr, &kMask)),
                     REFUSE(XP, VelmoraExtParamSetBitString(r, nullptr)),
                     REFUSE(XP, VelmoraExtParamSetEnumerated(nullptr, 1)),
                     REFUSE(XP, VelmoraExtParamSetReference(nullptr, &kRef)),
                     REFUSE(XP, VelmoraExtParamSetReference(r, nullptr)),
                 });
}

// One record per event type, built by its constructor.
EP Build(uint32_t type) {
  EP p = PatternRecord<EP>();
  bool built = false;
  switch (type) {
    case 0:
      built = VelmoraEventParamInitChangeOfBitstring(&p, 7, &kMask, gStrings, 2);
      break;
    case 1:
      built = VelmoraEventParamInitChangeOfState(&p, 7, gStates, 2);
      break;
    case 2:
      built = VelmoraEventParamInitChangeOfValueBitmask(&p, 7, &kMask);
      break;
    case 3:
      built = VelmoraEventParamInitCommandFailure(&p, 7, &kRef);
      break;
    case 4:
      built = VelmoraEventParamInitFloatingLimit(&p, 7, &kRef, 1.0f, 2.0f, 3.0f);
      break;
    case 5:
      built = VelmoraEventParamInitOutOfRange(&p, 7, 1.0f, 2.0f, 3.0f);
      break;
    case 7:
      built = VelmoraEventParamInitBufferReady7(&p, 7, 1);
      break;
    case 8:
      built = VelmoraEventParamInitChangeOfLifeSafety(&p, 7, gAlarms, 2, gAlarms, 1, &kRef);
      break;
    case 9:
      built = VelmoraEventParamInitExtended(&p, 7, 1, gExtended, 2);
      break;
    case 10:
      built = VelmoraEventParamInitBufferReady(&p, 7, 1);
      break;
    case 11:
      built = VelmoraEventParamInitUnsignedRange(&p, 7, 1, 2);
      break;
  }
  EXPECT_TRUE(built) << type;
  EXPECT_EQ(VelmoraEventParamGetType(&p), type);
  return p;
}

TEST(RecordsEventParam, TypeAwareAccessorsFollowTheEventType) {
  const struct {
    uint32_t type;
    bool time_delay, bitmask, deadband;
    uint32_t value_count;
  } cases[] = {
      {0, true, true, false, 2},    {1, true, false, false, 2},  {2, true, true, false, 0},
      {3, true, false, false, 0},   {4, true, false, true, 0},   {5, true, false, true, 0},
      {7, false, false, false, 0},  {8, true, false, false, 0},  {9, false, false, false, 0},
      {10, false, false, false, 0}, {11, true, false, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    EP p = Build(c.type);
    EXPECT_EQ(VelmoraEventParamGetTimeDelay(&p), c.time_delay ? 7u : UINT32_MAX);
    EXPECT_EQ(VelmoraEventParamSetTimeDelay(&p, 9), c.time_delay);
    EXPECT_EQ(VelmoraEventParamGetTimeDelay(&p), c.time_delay ? 9u : UINT32_MAX);
    EXPECT_EQ(VelmoraEventParamGetBitmask(&p) != nullptr, c.bitmask);
    EXPECT_EQ(VelmoraEventParamSetBitmask(&p, &kMask), c.bitmask);
    EXPECT_EQ(VelmoraEventParamGetDeadband(&p), c.deadband ? 3.0f : 0.0f);
    EXPECT_EQ(VelmoraEventParamSetDeadband(&p, 4.0f), c.deadband);
    EXPECT_EQ(VelmoraEventParamGetValueCount(&p), c.value_count);
  }
}

TEST(RecordsEventParam, FieldsOfEachAlternative) {
  EP p = Build(4);
  EXPECT_EQ(VelmoraEventParamGetLowDiffLimit(&p), 1.0f);
  EXPECT_EQ(VelmoraEventParamGetHighDiffLimit(&p), 2.0f);
  EXPECT_EQ(VelmoraEventParamGetSetpointRef(&p)->property, 85u);
  p = Build(5);
  EXPECT_EQ(VelmoraEventParamGetLowLimit(&p), 1.0f);
  EXPECT_EQ(VelmoraEventParamGetHighLimit(&p), 2.0f);
  p = Build(8);
  EXPECT_EQ(VelmoraEventParamGetLifeSafetyAlarmCount(&p), 2u);
  EXPECT_EQ(VelmoraEventParamGetAlarmValueCount(&p), 1u);
  EXPECT_EQ(VelmoraEventParamGetAlarmValue(&p, 1), &gAlarms[1]);
  EXPECT_EQ(VelmoraEventParamGetModeRef(&p)->property, 85u);
  p = Build(9);
  EXPECT_EQ(VelmoraEventParamGetVendorId(&p), 7u);
  EXPECT_EQ(VelmoraEventParamGetExtendedParameter(&p, 1), &gExtended[1]);
  EXPECT_EQ(VelmoraEventParamGetExtendedParameterCount(&p), 2u);
  p = Build(10);
  EXPECT_EQ(VelmoraEventParamGetNotificationThreshold(&p), 7u);
  EXPECT_EQ(VelmoraEventParamGetPreviousCount(&p), 1u);
  p = Build(11);
  EXPECT_EQ(VelmoraEventParamGetUnsignedLowLimit(&p), 1u);
  EXPECT_EQ(VelmoraEventParamGetUnsignedHighLimit(&p), 2u);
  p = Build(0);
  EXPECT_EQ(VelmoraEventParamGetBitstringValue(&p, 1), &gStrings[1]);
  p = Build(1);
  EXPECT_EQ(VelmoraEventParamGetStateValue(&p, 1), &gStates[1]);
}

// Storing an increment in a bitmask record used to leave criteria 0, so the
// record claimed a bitmask whose bit count was the float's bits.
TEST(RecordsEventParam, CovIncrementSelectsTheIncrementCriteria) {
  EP p = Build(2);
  EXPECT_EQ(VelmoraEventParamGetCovCriteria(&p), 0u);
  ASSERT_TRUE(VelmoraEventParamSetCovIncrement(&p, 0.25f));
  EXPECT_EQ(VelmoraEventParamGetCovCriteria(&p), 1u);
  EXPECT_EQ(VelmoraEventParamGetCovIncrement(&p), 0.25f);
  EXPECT_EQ(VelmoraEventParamGetBitmask(&p), nullptr);
  EXPECT_FALSE(VelmoraEventParamSetBitmask(&p, &kMask));
  ASSERT_TRUE(VelmoraEventParamInitChangeOfValueBitmask(&p, 7, &kMask));
  EXPECT_EQ(VelmoraBitStringGetLength(VelmoraEventParamGetBitmask(&p)), 4u);
}

TEST(RecordsEventParam, ListRulesOfTheLifeSafetyAndExtendedLists) {
  EP p = PatternRecord<EP>();
  EXPECT_TRUE(VelmoraEventParamInitChangeOfLifeSafety(&p, 1, nullptr, 0, nullptr, 0, &kRef));
  EXPECT_EQ(VelmoraEventParamGetLifeSafetyAlarmCount(&p), 0u);
  EXPECT_EQ(VelmoraEventParamGetAlarmValue(&p, 0), nullptr);
  EXPECT_TRUE(VelmoraEventParamInitExtended(&p, 1, 2, nullptr, 0));
  EXPECT_TRUE(VelmoraEventParamSetExtendedParameters(&p, gExtended, 0));
  EXPECT_TRUE(VelmoraEventParamSetLifeSafetyAlarmValues(&p, nullptr, 0));
  EXPECT_TRUE(VelmoraEventParamSetLifeSafetyAlarmValues(&p, gAlarms, 0));
}

TEST(RecordsEventParam, ExtendedElementSettersWriteTheirDatatypeCode) {
  const struct {
    bool (*set)(VelmoraExtParam*);
    uint32_t type;
  } cases[] = {
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetNull(e); }, 0},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetBoolean(e, 1); }, 1},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetUnsigned(e, 1); }, 2},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetReal(e, 1.0f); }, 4},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetDouble(e, 1.0); }, 5},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetOctetString(e, &kOctets); }, 6},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetBitString(e, &kMask); }, 8},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetEnumerated(e, 1); }, 9},
      {[](VelmoraExtParam* e) { return VelmoraExtParamSetReference(e, &kRef); }, 37},
  };
  for (const auto& c : cases) {
    VelmoraExtParam e = PatternRecord<VelmoraExtParam>();
    ASSERT_TRUE(c.set(&e));
    EXPECT_EQ(VelmoraExtParamGetType(&e), c.type);
  }
  VelmoraExtParam e;
  ASSERT_TRUE(VelmoraExtParamSetDouble(&e, 2.0));
  EXPECT_EQ(VelmoraExtParamGetDouble(&e), 2.0);
  ASSERT_TRUE(VelmoraExtParamSetReal(&e, 2.0f));
  EXPECT_EQ(VelmoraExtParamGetUnsigned(&e), std::bit_cast<uint32_t>(2.0f));
  ASSERT_TRUE(VelmoraExtParamSetOctetString(&e, &kOctets));
  EXPECT_EQ(VelmoraOctetStringGetData(VelmoraExtParamGetOctetString(&e)), gOctets);
  ASSERT_TRUE(VelmoraExtParamSetReference(&e, &kRef));
  EXPECT_EQ(VelmoraExtParamGetReference(&e)->property, 85u);
}

}  // namespace
