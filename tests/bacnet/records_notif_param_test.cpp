// Notification parameters and their extended elements: missing-record
// defaults, refusals, where each event type keeps its status flags, and the
// change-of-value setters, which now select the alternative they store.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_notif_param.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

using NP = VelmoraNotifParam;

const VelmoraBitString kBits = {5, {0xF8}};
const VelmoraBitString kFlags = {4, {0x90}};  // in-alarm, out-of-service
const VelmoraPropertyStates kState = {7, {.enumerated = 3}};
const VelmoraObjectId kId = {8, 5};
const VelmoraDateTime kWhen = {{2024, 1, 2, 3}, {4, 5, 6, 7}};
const VelmoraDevObjPropRef kRef = {{20, 1}, 131, UINT32_MAX, 0, {8, 0}};
uint8_t gBuffer[8];
const VelmoraAnyValue kValue = {4, gBuffer, 4, 1};
VelmoraPropertyValue gValues[2];
VelmoraNotifExtParam gParams[2];
const VelmoraOctetString kOctets = {gBuffer, 8, 8};
const VelmoraDevObjPropValue kPropertyValue = {{8, 1}, {0, 2}, 85, UINT32_MAX, kValue};

TEST(RecordsNotifParam, GettersOfMissingRecords) {
  const NP* p = nullptr;
  const VelmoraNotifExtParam* e = nullptr;
  ExpectDefaults({
      MISSING(VelmoraNotifParamGetType(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetBitstring(p), nullptr),
      MISSING(VelmoraNotifParamGetStatusFlags(p), nullptr),
      MISSING(VelmoraNotifParamGetNewState(p), nullptr),
      MISSING(VelmoraNotifParamGetCovChoice(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetChangedBits(p), nullptr),
      MISSING(VelmoraNotifParamGetChangedValue(p), 0.0),
      MISSING(VelmoraNotifParamGetCommandValue(p), nullptr),
      MISSING(VelmoraNotifParamGetFeedbackValue(p), nullptr),
      MISSING(VelmoraNotifParamGetReferenceValue(p), 0.0),
      MISSING(VelmoraNotifParamGetSetpointValue(p), 0.0),
      MISSING(VelmoraNotifParamGetErrorLimit(p), 0.0),
      MISSING(VelmoraNotifParamGetExceedingValue(p), 0.0),
      MISSING(VelmoraNotifParamGetDeadband(p), 0.0),
      MISSING(VelmoraNotifParamGetExceededLimit(p), 0.0),
      MISSING(VelmoraNotifParamGetBufferDevice(p), nullptr),
      MISSING(VelmoraNotifParamGetBufferObject(p), nullptr),
      MISSING(VelmoraNotifParamGetPreviousTime(p), nullptr),
      MISSING(VelmoraNotifParamGetCurrentTime(p), nullptr),
      MISSING(VelmoraNotifParamGetLifeSafetyState(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetLifeSafetyMode(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetOperationExpected(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetVendorId(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetExtendedType(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetParameters(p), nullptr),
      MISSING(VelmoraNotifParamGetParameterCount(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetBufferProperty(p), nullptr),
      MISSING(VelmoraNotifParamGetPreviousCount(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetCurrentCount(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetUnsignedValue(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetUnsignedLimit(p), UINT32_MAX),
      MISSING(VelmoraNotifParamGetPropertyValues(p), nullptr),
      MISSING(VelmoraNotifParamGetPropertyValueCount(p), UINT32_MAX),
      MISSING(VelmoraNotifExtParamGetType(e), UINT32_MAX),
      MISSING(VelmoraNotifExtParamGetReal(e), 0.0),
      MISSING(VelmoraNotifExtParamGetUnsigned(e), 0),
      MISSING(VelmoraNotifExtParamGetBoolean(e), 0),
      MISSING(VelmoraNotifExtParamGetDouble(e), 0.0),
      MISSING(VelmoraNotifExtParamGetOctetString(e), nullptr),
      MISSING(VelmoraNotifExtParamGetBitString(e), nullptr),
      MISSING(VelmoraNotifExtParamGetEnumerated(e), UINT32_MAX),
      MISSING(VelmoraNotifExtParamGetPropertyValue(e), nullptr),
  });
}

TEST(RecordsNotifParam, SettersRefuseMissingRecordsArgumentsAndBadLists) {
  // A buffer-ready record: it has no status flags.
  NP filled = PatternRecord<NP>();
  ASSERT_TRUE(VelmoraNotifParamInitBufferReady(&filled, &kRef, 1, 2));
  ExpectRefusals(
      filled,
      {
          REFUSE(NP, VelmoraNotifParamInitChangeOfBitstring(nullptr, &kBits, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfBitstring(r, nullptr, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfBitstring(r, &kBits, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfState(nullptr, &kState, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfState(r, nullptr, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfState(r, &kState, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfValueBits(nullptr, &kBits, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfValueBits(r, nullptr, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfValueBits(r, &kBits, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfValueReal(nullptr, 1.0f, &kFlags)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfValueReal(r, 1.0f, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitCommandFailure(nullptr, &kValue, &kFlags, &kValue)),
          REFUSE(NP, VelmoraNotifParamInitCommandFailure(r, nullptr, &kFlags, &kValue)),
          REFUSE(NP, VelmoraNotifParamInitCommandFailure(r, &kValue, nullptr, &kValue)),
          REFUSE(NP, VelmoraNotifParamInitCommandFailure(r, &kValue, &kFlags, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitFloatingLimit(nullptr, 1, &kFlags, 2, 3)),
          REFUSE(NP, VelmoraNotifParamInitFloatingLimit(r, 1, nullptr, 2, 3)),
          REFUSE(NP, VelmoraNotifParamInitOutOfRange(nullptr, 1, &kFlags, 2, 3)),
          REFUSE(NP, VelmoraNotifParamInitOutOfRange(r, 1, nullptr, 2, 3)),
          REFUSE(NP, VelmoraNotifParamInitComplexEventType(nullptr, nullptr, 0)),
          REFUSE(NP, VelmoraNotifParamInitComplexEventType(r, nullptr, 3)),
          REFUSE(NP, VelmoraNotifParamInitComplexEventType(r, gValues, 0)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady7(nullptr, &kId, &kId, &kWhen, &kWhen)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady7(r, nullptr, &kId, &kWhen, &kWhen)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady7(r, &kId, nullptr, &kWhen, &kWhen)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady7(r, &kId, &kId, nullptr, &kWhen)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady7(r, &kId, &kId, &kWhen, nullptr)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfLifeSafety(nullptr, 1, 2, &kFlags, 3)),
          REFUSE(NP, VelmoraNotifParamInitChangeOfLifeSafety(r, 1, 2, nullptr, 3)),
          REFUSE(NP, VelmoraNotifParamInitExtended(nullptr, 1, 2, nullptr, 0)),
          REFUSE(NP, VelmoraNotifParamInitExtended(r, 1, 2, nullptr, 2)),
          REFUSE(NP, VelmoraNotifParamInitExtended(r, 1, 2, gParams, 0)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady(nullptr, &kRef, 1, 2)),
          REFUSE(NP, VelmoraNotifParamInitBufferReady(r, nullptr, 1, 2)),
          REFUSE(NP, VelmoraNotifParamInitUnsignedRange(nullptr, 1, &kFlags, 2)),
          REFUSE(NP, VelmoraNotifParamInitUnsignedRange(r, 1, nullptr, 2)),
          REFUSE(NP, VelmoraNotifParamSetBitstring(nullptr, &kBits)),
          REFUSE(NP, VelmoraNotifParamSetBitstring(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetStatusFlags(nullptr, &kFlags)),
          REFUSE(NP, VelmoraNotifParamSetStatusFlags(r, &kFlags)),  // type 10
          REFUSE(NP, VelmoraNotifParamSetNewState(nullptr, &kState)),
          REFUSE(NP, VelmoraNotifParamSetNewState(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetChangedBits(nullptr, &kBits)),
          REFUSE(NP, VelmoraNotifParamSetChangedBits(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetChangedValue(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetCommandValue(nullptr, &kValue)),
          REFUSE(NP, VelmoraNotifParamSetCommandValue(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetFeedbackValue(nullptr, &kValue)),
          REFUSE(NP, VelmoraNotifParamSetFeedbackValue(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetReferenceValue(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetSetpointValue(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetErrorLimit(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetExceedingValue(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetDeadband(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetExceededLimit(nullptr, 1.0f)),
          REFUSE(NP, VelmoraNotifParamSetBufferDevice(nullptr, &kId)),
          REFUSE(NP, VelmoraNotifParamSetBufferDevice(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetBufferObject(nullptr, &kId)),
          REFUSE(NP, VelmoraNotifParamSetBufferObject(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetPreviousTime(nullptr, &kWhen)),
          REFUSE(NP, VelmoraNotifParamSetPreviousTime(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetCurrentTime(nullptr, &kWhen)),
          REFUSE(NP, VelmoraNotifParamSetCurrentTime(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetLifeSafetyState(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetLifeSafetyMode(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetOperationExpected(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetVendorId(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetExtendedType(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetParameters(nullptr, nullptr, 0)),
          REFUSE(NP, VelmoraNotifParamSetParameters(r, nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetParameters(r, gParams, 0)),
          REFUSE(NP, VelmoraNotifParamSetBufferProperty(nullptr, &kRef)),
          REFUSE(NP, VelmoraNotifParamSetBufferProperty(r, nullptr)),
          REFUSE(NP, VelmoraNotifParamSetPreviousCount(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetCurrentCount(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetUnsignedValue(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetUnsignedLimit(nullptr, 1)),
          REFUSE(NP, VelmoraNotifParamSetPropertyValues(nullptr, gValues, 1)),
          REFUSE(NP, VelmoraNotifParamSetPropertyValues(r, nullptr, 0)),
          REFUSE(NP, VelmoraNotifParamCopy(nullptr, r)),
          REFUSE(NP, VelmoraNotifParamCopy(r, nullptr)),
      });

  using XP = VelmoraNotifExtParam;
  ExpectRefusals(PatternRecord<XP>(),
                 {
                     REFUSE(XP, VelmoraNotifExtParamSetNull(nullptr)),
                     REFUSE(XP, VelmoraNotifExtParamSetReal(nullptr, 1)),
                     REFUSE(XP, VelmoraNotifExtParamSetUnsigned(nullptr, 1)),
                     REFUSE(XP, VelmoraNotifExtParamSetBoolean(nullptr, 1)),
                     REFUSE(XP, VelmoraNotifExtParamSetDouble(nullptr, 1)),
                     REFUSE(XP, VelmoraNotifExtParamSetOctetString(nullptr, &kOctets)),
                     REFUSE(XP, VelmoraNotifExtParamSetOctetString(r, nullptr)),
                     REFUSE(XP, VelmoraNotifExtParamSetBitString(nullptr, &kBits)),
                     REFUSE(XP, VelmoraNotifExtParamSetBitString(r, nullptr)),
                     REFUSE(XP, VelmoraNotifExtParamSetEnumerated(nullptr, 1)),
                     REFUSE(XP, VelmoraNotifExtParamSetPropertyValue(nullptr, &kPropertyValue)),
                     REFUSE(XP, VelmoraNotifExtParamSetPropertyValue(r, nullptr)),
                 });
}

// One record per event type, its first value 42 where it has a numeric
// one, and the status flags kFlags where it has them.
NP Build(uint32_t type) {
  NP p = PatternRecord<NP>();
  bool built = false;
  switch (type) {
    case 0:
      built = VelmoraNotifParamInitChangeOfBitstring(&p, &kBits, &kFlags);
      break;
    case 1:
      built = VelmoraNotifParamInitChangeOfState(&p, &kState, &kFlags);
      break;
    case 2:
      built = VelmoraNotifParamInitChangeOfValueReal(&p, 42.0f, &kFlags);
      break;
    case 3:
      built = VelmoraNotifParamInitCommandFailure(&p, &kValue, &kFlags, &kValue);
      break;
    case 4:
      built = VelmoraNotifParamInitFloatingLimit(&p, 42.0f, &kFlags, 2.0f, 3.0f);
      break;
    case 5:
      built = VelmoraNotifParamInitOutOfRange(&p, 42.0f, &kFlags, 2.0f, 3.0f);
      break;
    case 6:
      built = VelmoraNotifParamInitComplexEventType(&p, gValues, 2);
      break;
    case 7:
      built = VelmoraNotifParamInitBufferReady7(&p, &kId, &kId, &kWhen, &kWhen);
      break;
    case 8:
      built = VelmoraNotifParamInitChangeOfLifeSafety(&p, 42, 43, &kFlags, 44);
      break;
    case 9:
      built = VelmoraNotifParamInitExtended(&p, 42, 1, gParams, 2);
      break;
    case 10:
      built = VelmoraNotifParamInitBufferReady(&p, &kRef, 42, 43);
      break;
    case 11:
      built = VelmoraNotifParamInitUnsignedRange(&p, 42, &kFlags, 43);
      break;
  }
  EXPECT_TRUE(built) << type;
  EXPECT_EQ(VelmoraNotifParamGetType(&p), type);
  return p;
}

TEST(RecordsNotifParam, StatusFlagsAreThoseOfTheRecordsEventType) {
  const VelmoraBitString other = {4, {0x60}};
  for (uint32_t type = 0; type <= 11; ++type) {
    SCOPED_TRACE(type);
    NP p = Build(type);
    bool has = type <= 5 || type == 8 || type == 11;
    const VelmoraBitString* flags = VelmoraNotifParamGetStatusFlags(&p);
    ASSERT_EQ(flags != nullptr, has);
    if (has) {
      EXPECT_EQ(0, std::memcmp(flags, &kFlags, sizeof kFlags));
    }
    EXPECT_EQ(VelmoraNotifParamSetStatusFlags(&p, &other), has);
    if (!has) continue;
    EXPECT_EQ(0, std::memcmp(flags, &other, sizeof other));
    // The flags lie beside the alternative's other fields: putting the
    // constructor's flags back gives the record as it was built.
    ASSERT_TRUE(VelmoraNotifParamSetStatusFlags(&p, &kFlags));
    NP built = Build(type);
    EXPECT_EQ(0, std::memcmp(&p, &built, sizeof p));
  }
  // Change of life safety: the flags follow the new state and new mode.
  NP p = Build(8);
  ASSERT_TRUE(VelmoraNotifParamSetStatusFlags(&p, &other));
  EXPECT_EQ(VelmoraNotifParamGetLifeSafetyState(&p), 42u);
  EXPECT_EQ(VelmoraNotifParamGetLifeSafetyMode(&p), 43u);
  EXPECT_EQ(VelmoraNotifParamGetOperationExpected(&p), 44u);
}

// The new-value setters used to leave the choice as it was, so a record
// could claim changed bits whose bit count was the float's bits.
TEST(RecordsNotifParam, ChangedValueAndBitsSelectTheirAlternative) {
  NP p = PatternRecord<NP>();
  ASSERT_TRUE(VelmoraNotifParamInitChangeOfValueBits(&p, &kBits, &kFlags));
  EXPECT_EQ(VelmoraNotifParamGetCovChoice(&p), 0u);
  ASSERT_TRUE(VelmoraNotifParamSetChangedValue(&p, 1.5f));
  EXPECT_EQ(VelmoraNotifParamGetCovChoice(&p), 1u);
  EXPECT_EQ(VelmoraNotifParamGetChangedValue(&p), 1.5f);
  ASSERT_TRUE(VelmoraNotifParamSetChangedBits(&p, &kBits));
  EXPECT_EQ(VelmoraNotifParamGetCovChoice(&p), 0u);
  EXPECT_EQ(VelmoraBitStringGetLength(VelmoraNotifParamGetChangedBits(&p)), 5u);
  EXPECT_EQ(0, std::memcmp(VelmoraNotifParamGetStatusFlags(&p), &kFlags, sizeof kFlags));
}

TEST(RecordsNotifParam, ListRulesOfTheComplexAndExtendedLists) {
  NP p = PatternRecord<NP>();
  EXPECT_TRUE(VelmoraNotifParamInitComplexEventType(&p, nullptr, 0));
  EXPECT_EQ(VelmoraNotifParamGetPropertyValueCount(&p), 0u);
  EXPECT_TRUE(VelmoraNotifParamSetPropertyValues(&p, gValues, 0));
  EXPECT_TRUE(VelmoraNotifParamSetPropertyValues(&p, gValues, 2));
  EXPECT_EQ(VelmoraNotifParamGetPropertyValues(&p), gValues);
  EXPECT_TRUE(VelmoraNotifParamInitExtended(&p, 1, 2, nullptr, 0));
  EXPECT_TRUE(VelmoraNotifParamSetParameters(&p, gParams, 2));
  EXPECT_EQ(VelmoraNotifParamGetParameters(&p), gParams);
  EXPECT_EQ(VelmoraNotifParamGetParameterCount(&p), 2u);
}

TEST(RecordsNotifParam, FieldsOfEachAlternative) {
  NP p = Build(4);
  EXPECT_EQ(VelmoraNotifParamGetReferenceValue(&p), 42.0f);
  EXPECT_EQ(VelmoraNotifParamGetSetpointValue(&p), 2.0f);
  EXPECT_EQ(VelmoraNotifParamGetErrorLimit(&p), 3.0f);
  p = Build(5);
  EXPECT_EQ(VelmoraNotifParamGetExceedingValue(&p), 42.0f);
  EXPECT_EQ(VelmoraNotifParamGetDeadband(&p), 2.0f);
  EXPECT_EQ(VelmoraNotifParamGetExceededLimit(&p), 3.0f);
  p = Build(7);
  EXPECT_EQ(VelmoraObjectIdGetInstance(VelmoraNotifParamGetBufferObject(&p)), 5u);
  EXPECT_EQ(VelmoraTimeGetHour(VelmoraDateTimeGetTime(VelmoraNotifParamGetCurrentTime(&p))), 4);
  p = Build(10);
  EXPECT_EQ(VelmoraNotifParamGetBufferProperty(&p)->property, 131u);
  EXPECT_EQ(VelmoraNotifParamGetPreviousCount(&p), 42u);
  EXPECT_EQ(VelmoraNotifParamGetCurrentCount(&p), 43u);
  p = Build(11);
  EXPECT_EQ(VelmoraNotifParamGetUnsignedValue(&p), 42u);
  EXPECT_EQ(VelmoraNotifParamGetUnsignedLimit(&p), 43u);
  p = Build(1);
  EXPECT_EQ(VelmoraPropertyStatesGetReliability(VelmoraNotifParamGetNewState(&p)), 3u);
  p = Build(3);
  EXPECT_EQ(VelmoraNotifParamGetFeedbackValue(&p)->buffer, gBuffer);
}

TEST(RecordsNotifParam, ExtendedElementSettersWriteTheirDatatypeCode) {
  const struct {
    bool (*set)(VelmoraNotifExtParam*);
    uint32_t type;
  } cases[] = {
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetNull(e); }, 0},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetBoolean(e, 1); }, 1},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetUnsigned(e, 1); }, 2},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetReal(e, 1.0f); }, 4},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetDouble(e, 1.0); }, 5},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetOctetString(e, &kOctets); }, 6},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetBitString(e, &kBits); }, 8},
      {[](VelmoraNotifExtParam* e) { return VelmoraNotifExtParamSetEnumerated(e, 1); }, 9},
      {[](VelmoraNotifExtParam* e) {
         return VelmoraNotifExtParamSetPropertyValue(e, &kPropertyValue);
       },
       46},
  };
  for (const auto& c : cases) {
    VelmoraNotifExtParam e = PatternRecord<VelmoraNotifExtParam>();
    ASSERT_TRUE(c.set(&e));
    EXPECT_EQ(VelmoraNotifExtParamGetType(&e), c.type);
  }
  VelmoraNotifExtParam e;
  ASSERT_TRUE(VelmoraNotifExtParamSetPropertyValue(&e, &kPropertyValue));
  EXPECT_EQ(VelmoraNotifExtParamGetPropertyValue(&e)->value.buffer, gBuffer);
  EXPECT_EQ(VelmoraNotifExtParamGetPropertyValue(&e)->property, 85u);
}

}  // namespace
