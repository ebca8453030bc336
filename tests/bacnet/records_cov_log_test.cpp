// COV subscriptions, SubscribeCOVProperty parameters, log records and the
// session records: defaults, refusals and the flags of optional fields.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_cov.h"
#include "bacnet/records_log.h"
#include "bacnet/records_session.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

const VelmoraRecipientProcess kRecipient = {{0, {.device = {8, 3}}}, 12};
const VelmoraObjPropRef kMonitored = {{0, 1}, 85, UINT32_MAX};
const VelmoraObjectId kObject = {0, 1};
const VelmoraPropRef kProperty = {85, UINT32_MAX};
const VelmoraDateTime kWhen = {{2024, 2, 29, 4}, {1, 2, 3, 4}};
const VelmoraBitString kBits = {4, {0x50}};
const VelmoraError kError = {2, 31};
uint8_t gBuffer[4];
const VelmoraAnyValue kValue = {2, gBuffer, sizeof gBuffer, 1};
const VelmoraAddress kAddress = {1, 5, {1, 2, 3, 4, 5, 6, 0}, 6};
const uint8_t kKey[8] = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(RecordsCovLog, GettersOfMissingRecords) {
  const VelmoraCovSubscription* c = nullptr;
  const VelmoraSubscribeCovProp* s = nullptr;
  const VelmoraLogRecord* l = nullptr;
  const VelmoraVtSession* vt = nullptr;
  const VelmoraSessionKey* k = nullptr;
  ExpectDefaults({
      MISSING(VelmoraCovSubscriptionGetRecipientProcess(c), nullptr),
      MISSING(VelmoraCovSubscriptionGetMonitoredRef(c), nullptr),
      MISSING(VelmoraCovSubscriptionGetIssueConfirmed(c), 0),
      MISSING(VelmoraCovSubscriptionGetTimeRemaining(c), UINT32_MAX),
      MISSING(VelmoraCovSubscriptionHasIncrement(c), false),
      MISSING(VelmoraCovSubscriptionGetIncrement(c), 0.0),
      MISSING(VelmoraSubscribeCovPropIsSubscription(s), false),
      MISSING(VelmoraSubscribeCovPropGetProcessId(s), UINT32_MAX),
      MISSING(VelmoraSubscribeCovPropGetObjectId(s), nullptr),
      MISSING(VelmoraSubscribeCovPropHasIssueConfirmed(s), false),
      MISSING(VelmoraSubscribeCovPropGetIssueConfirmed(s), 0),
      MISSING(VelmoraSubscribeCovPropHasLifetime(s), false),
      MISSING(VelmoraSubscribeCovPropGetLifetime(s), UINT32_MAX),
      MISSING(VelmoraSubscribeCovPropGetPropertyRef(s), nullptr),
      MISSING(VelmoraSubscribeCovPropHasIncrement(s), false),
      MISSING(VelmoraSubscribeCovPropGetIncrement(s), 0.0),
      MISSING(VelmoraLogRecordGetTimestamp(l), nullptr),
      MISSING(VelmoraLogRecordGetDatumType(l), UINT32_MAX),
      MISSING(VelmoraLogRecordGetLogStatus(l), nullptr),
      MISSING(VelmoraLogRecordGetTimeChange(l), 0.0),
      MISSING(VelmoraLogRecordGetFailure(l), nullptr),
      MISSING(VelmoraLogRecordGetBoolean(l), 0),
      MISSING(VelmoraLogRecordGetReal(l), 0.0),
      MISSING(VelmoraLogRecordGetEnumerated(l), UINT32_MAX),
      MISSING(VelmoraLogRecordGetUnsigned(l), UINT32_MAX),
      MISSING(VelmoraLogRecordGetSigned(l), -1),
      MISSING(VelmoraLogRecordGetBitString(l), nullptr),
      MISSING(VelmoraLogRecordGetAnyValue(l), nullptr),
      MISSING(VelmoraLogRecordHasStatusFlags(l), false),
      MISSING(VelmoraLogRecordGetStatusFlags(l), nullptr),
      MISSING(VelmoraVtSessionGetLocalId(vt), 0),
      MISSING(VelmoraVtSessionGetRemoteId(vt), 0),
      MISSING(VelmoraVtSessionGetRemoteAddress(vt), nullptr),
      MISSING(VelmoraSessionKeyGetKey(k), nullptr),
      MISSING(VelmoraSessionKeyGetPeerAddress(k), nullptr),
  });
}

TEST(RecordsCovLog, SettersRefuseMissingRecordsAndArguments) {
  using CS = VelmoraCovSubscription;
  ExpectRefusals(
      PatternRecord<CS>(),
      {
          REFUSE(CS, VelmoraCovSubscriptionInit(nullptr, &kRecipient, &kMonitored, 1, 60)),
          REFUSE(CS, VelmoraCovSubscriptionInit(r, nullptr, &kMonitored, 1, 60)),
          REFUSE(CS, VelmoraCovSubscriptionInit(r, &kRecipient, nullptr, 1, 60)),
          REFUSE(CS, VelmoraCovSubscriptionSetRecipientProcess(nullptr, &kRecipient)),
          REFUSE(CS, VelmoraCovSubscriptionSetRecipientProcess(r, nullptr)),
          REFUSE(CS, VelmoraCovSubscriptionSetMonitoredRef(nullptr, &kMonitored)),
          REFUSE(CS, VelmoraCovSubscriptionSetMonitoredRef(r, nullptr)),
          REFUSE(CS, VelmoraCovSubscriptionSetIssueConfirmed(nullptr, 1)),
          REFUSE(CS, VelmoraCovSubscriptionSetTimeRemaining(nullptr, 1)),
          REFUSE(CS, VelmoraCovSubscriptionSetIncrement(nullptr, 1.0f)),
          REFUSE(CS, VelmoraCovSubscriptionCopy(nullptr, r)),
          REFUSE(CS, VelmoraCovSubscriptionCopy(r, nullptr)),
      });
  using SC = VelmoraSubscribeCovProp;
  ExpectRefusals(
      PatternRecord<SC>(),
      {
          REFUSE(SC, VelmoraSubscribeCovPropInit(nullptr, 1, &kObject, 1, 60, &kProperty)),
          REFUSE(SC, VelmoraSubscribeCovPropInit(r, 1, nullptr, 1, 60, &kProperty)),
          REFUSE(SC, VelmoraSubscribeCovPropInit(r, 1, &kObject, 1, 60, nullptr)),
          REFUSE(SC, VelmoraSubscribeCovPropInitCancel(nullptr, 1, &kObject, &kProperty)),
          REFUSE(SC, VelmoraSubscribeCovPropInitCancel(r, 1, nullptr, &kProperty)),
          REFUSE(SC, VelmoraSubscribeCovPropInitCancel(r, 1, &kObject, nullptr)),
          REFUSE(SC, VelmoraSubscribeCovPropSetProcessId(nullptr, 1)),
          REFUSE(SC, VelmoraSubscribeCovPropSetObjectId(nullptr, &kObject)),
          REFUSE(SC, VelmoraSubscribeCovPropSetObjectId(r, nullptr)),
          REFUSE(SC, VelmoraSubscribeCovPropSetIssueConfirmed(nullptr, 1)),
          REFUSE(SC, VelmoraSubscribeCovPropSetLifetime(nullptr, 60)),
          REFUSE(SC, VelmoraSubscribeCovPropSetPropertyRef(nullptr, &kProperty)),
          REFUSE(SC, VelmoraSubscribeCovPropSetPropertyRef(r, nullptr)),
          REFUSE(SC, VelmoraSubscribeCovPropSetIncrement(nullptr, 1.0f)),
          REFUSE(SC, VelmoraSubscribeCovPropCopy(nullptr, r)),
          REFUSE(SC, VelmoraSubscribeCovPropCopy(r, nullptr)),
      });
  using LR = VelmoraLogRecord;
  ExpectRefusals(PatternRecord<LR>(),
                 {
                     REFUSE(LR, VelmoraLogRecordInitLogStatus(nullptr, &kWhen, &kBits)),
                     REFUSE(LR, VelmoraLogRecordInitLogStatus(r, nullptr, &kBits)),
                     REFUSE(LR, VelmoraLogRecordInitLogStatus(r, &kWhen, nullptr)),
                     REFUSE(LR, VelmoraLogRecordInitBoolean(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitBoolean(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitReal(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitReal(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitEnumerated(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitEnumerated(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitUnsigned(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitUnsigned(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitSigned(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitSigned(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitBitString(nullptr, &kWhen, &kBits)),
                     REFUSE(LR, VelmoraLogRecordInitBitString(r, nullptr, &kBits)),
                     REFUSE(LR, VelmoraLogRecordInitBitString(r, &kWhen, nullptr)),
                     REFUSE(LR, VelmoraLogRecordInitFailure(nullptr, &kWhen, &kError)),
                     REFUSE(LR, VelmoraLogRecordInitFailure(r, nullptr, &kError)),
                     REFUSE(LR, VelmoraLogRecordInitFailure(r, &kWhen, nullptr)),
                     REFUSE(LR, VelmoraLogRecordInitTimeChange(nullptr, &kWhen, 1)),
                     REFUSE(LR, VelmoraLogRecordInitTimeChange(r, nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordInitAnyValue(nullptr, &kWhen, &kValue)),
                     REFUSE(LR, VelmoraLogRecordInitAnyValue(r, nullptr, &kValue)),
                     REFUSE(LR, VelmoraLogRecordInitAnyValue(r, &kWhen, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetTimestamp(nullptr, &kWhen)),
                     REFUSE(LR, VelmoraLogRecordSetTimestamp(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetNull(nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetLogStatus(nullptr, &kBits)),
                     REFUSE(LR, VelmoraLogRecordSetLogStatus(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetTimeChange(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetFailure(nullptr, &kError)),
                     REFUSE(LR, VelmoraLogRecordSetFailure(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetBoolean(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetReal(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetEnumerated(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetUnsigned(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetSigned(nullptr, 1)),
                     REFUSE(LR, VelmoraLogRecordSetBitString(nullptr, &kBits)),
                     REFUSE(LR, VelmoraLogRecordSetBitString(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetAnyValue(nullptr, &kValue)),
                     REFUSE(LR, VelmoraLogRecordSetAnyValue(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordSetStatusFlags(nullptr, &kBits)),
                     REFUSE(LR, VelmoraLogRecordSetStatusFlags(r, nullptr)),
                     REFUSE(LR, VelmoraLogRecordClearStatusFlags(nullptr)),
                     REFUSE(LR, VelmoraLogRecordCopy(nullptr, r)),
                     REFUSE(LR, VelmoraLogRecordCopy(r, nullptr)),
                 });
  using VS = VelmoraVtSession;
  ExpectRefusals(PatternRecord<VS>(),
                 {
                     REFUSE(VS, VelmoraVtSessionInit(nullptr, 1, 2, &kAddress)),
                     REFUSE(VS, VelmoraVtSessionInit(r, 1, 2, nullptr)),
                     REFUSE(VS, VelmoraVtSessionSetLocalId(nullptr, 1)),
                     REFUSE(VS, VelmoraVtSessionSetRemoteId(nullptr, 1)),
                     REFUSE(VS, VelmoraVtSessionSetRemoteAddress(nullptr, &kAddress)),
                     REFUSE(VS, VelmoraVtSessionSetRemoteAddress(r, nullptr)),
                     REFUSE(VS, VelmoraVtSessionCopy(nullptr, r)),
                     REFUSE(VS, VelmoraVtSessionCopy(r, nullptr)),
                 });
  using SK = VelmoraSessionKey;
  ExpectRefusals(PatternRecord<SK>(),
                 {
                     REFUSE(SK, VelmoraSessionKeyInit(nullptr, kKey, &kAddress)),
                     REFUSE(SK, VelmoraSessionKeyInit(r, nullptr, &kAddress)),
                     REFUSE(SK, VelmoraSessionKeyInit(r, kKey, nullptr)),
                     REFUSE(SK, VelmoraSessionKeySetKey(nullptr, kKey)),
                     REFUSE(SK, VelmoraSessionKeySetKey(r, nullptr)),
                     REFUSE(SK, VelmoraSessionKeySetPeerAddress(nullptr, &kAddress)),
                     REFUSE(SK, VelmoraSessionKeySetPeerAddress(r, nullptr)),
                     REFUSE(SK, VelmoraSessionKeyCopy(nullptr, r)),
                     REFUSE(SK, VelmoraSessionKeyCopy(r, nullptr)),
                 });
}

TEST(RecordsCovLog, SubscribeCovPropFlagsTellSubscriptionFromCancellation) {
  VelmoraSubscribeCovProp s = PatternRecord<VelmoraSubscribeCovProp>();
  ASSERT_TRUE(VelmoraSubscribeCovPropInitCancel(&s, 7, &kObject, &kProperty));
  EXPECT_FALSE(VelmoraSubscribeCovPropIsSubscription(&s));
  EXPECT_FALSE(VelmoraSubscribeCovPropHasIssueConfirmed(&s));
  EXPECT_EQ(VelmoraSubscribeCovPropGetLifetime(&s), 0u);
  EXPECT_EQ(VelmoraSubscribeCovPropGetIncrement(&s), 0.0f);
  ASSERT_TRUE(VelmoraSubscribeCovPropSetLifetime(&s, 60));
  EXPECT_TRUE(VelmoraSubscribeCovPropIsSubscription(&s));
  EXPECT_EQ(VelmoraSubscribeCovPropGetLifetime(&s), 60u);
  ASSERT_TRUE(VelmoraSubscribeCovPropSetLifetime(&s, 0));
  EXPECT_FALSE(VelmoraSubscribeCovPropHasLifetime(&s));
  EXPECT_FALSE(VelmoraSubscribeCovPropIsSubscription(&s));
  EXPECT_EQ(VelmoraSubscribeCovPropGetLifetime(&s), 0u);
  ASSERT_TRUE(VelmoraSubscribeCovPropSetIssueConfirmed(&s, 0));
  EXPECT_TRUE(VelmoraSubscribeCovPropIsSubscription(&s));
  EXPECT_FALSE(VelmoraSubscribeCovPropHasIncrement(&s));
  ASSERT_TRUE(VelmoraSubscribeCovPropSetIncrement(&s, 0.5f));
  EXPECT_TRUE(VelmoraSubscribeCovPropHasIncrement(&s));

  // Lifetime 0: a subscription without lifetime; the field is left alone.
  VelmoraSubscribeCovProp t = PatternRecord<VelmoraSubscribeCovProp>();
  ASSERT_TRUE(VelmoraSubscribeCovPropInit(&t, 7, &kObject, 1, 0, &kProperty));
  EXPECT_TRUE(VelmoraSubscribeCovPropIsSubscription(&t));
  EXPECT_TRUE(VelmoraSubscribeCovPropHasIssueConfirmed(&t));
  EXPECT_FALSE(VelmoraSubscribeCovPropHasLifetime(&t));
  EXPECT_EQ(t.lifetime, 0xA5A5A5A5u);
  EXPECT_EQ(VelmoraSubscribeCovPropGetLifetime(&t), 0u);
  ASSERT_TRUE(VelmoraSubscribeCovPropInit(&t, 7, &kObject, 1, 300, &kProperty));
  EXPECT_EQ(VelmoraSubscribeCovPropGetLifetime(&t), 300u);
  EXPECT_EQ(VelmoraSubscribeCovPropGetProcessId(&t), 7u);
  EXPECT_EQ(VelmoraSubscribeCovPropGetPropertyRef(&t)->property, 85u);
}

TEST(RecordsCovLog, CovSubscriptionIncrementStaysOnceSet) {
  VelmoraCovSubscription c = PatternRecord<VelmoraCovSubscription>();
  ASSERT_TRUE(VelmoraCovSubscriptionInit(&c, &kRecipient, &kMonitored, 1, 60));
  EXPECT_FALSE(VelmoraCovSubscriptionHasIncrement(&c));
  EXPECT_EQ(VelmoraCovSubscriptionGetIncrement(&c), 0.0f);
  ASSERT_TRUE(VelmoraCovSubscriptionSetIncrement(&c, 0.0f));
  EXPECT_TRUE(VelmoraCovSubscriptionHasIncrement(&c));
  ASSERT_TRUE(VelmoraCovSubscriptionSetIssueConfirmed(&c, 0));
  ASSERT_TRUE(VelmoraCovSubscriptionSetTimeRemaining(&c, 0));
  ASSERT_TRUE(VelmoraCovSubscriptionSetRecipientProcess(&c, &kRecipient));
  ASSERT_TRUE(VelmoraCovSubscriptionSetMonitoredRef(&c, &kMonitored));
  EXPECT_TRUE(VelmoraCovSubscriptionHasIncrement(&c));
  EXPECT_EQ(VelmoraCovSubscriptionGetRecipientProcess(&c)->process_id, 12u);
  EXPECT_EQ(VelmoraCovSubscriptionGetMonitoredRef(&c)->property, 85u);
}

TEST(RecordsCovLog, LogRecordConstructorsLeaveTheFlagsAbsent) {
  using Init = bool (*)(VelmoraLogRecord*);
  const struct {
    Init init;
    uint32_t datum;
  } cases[] = {
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitLogStatus(l, &kWhen, &kBits); }, 0},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitBoolean(l, &kWhen, 1); }, 1},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitReal(l, &kWhen, 1.0f); }, 2},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitEnumerated(l, &kWhen, 1); }, 3},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitUnsigned(l, &kWhen, 1); }, 4},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitSigned(l, &kWhen, -1); }, 5},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitBitString(l, &kWhen, &kBits); }, 6},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitFailure(l, &kWhen, &kError); }, 8},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitTimeChange(l, &kWhen, 2.0f); }, 9},
      {[](VelmoraLogRecord* l) { return VelmoraLogRecordInitAnyValue(l, &kWhen, &kValue); }, 10},
  };
  for (const auto& c : cases) {
    VelmoraLogRecord l = PatternRecord<VelmoraLogRecord>();
    ASSERT_TRUE(VelmoraLogRecordSetStatusFlags(&l, &kBits));
    ASSERT_TRUE(c.init(&l));
    EXPECT_EQ(VelmoraLogRecordGetDatumType(&l), c.datum);
    EXPECT_FALSE(VelmoraLogRecordHasStatusFlags(&l)) << c.datum;
    EXPECT_EQ(VelmoraLogRecordGetStatusFlags(&l), &l.status_flags);
    EXPECT_EQ(0, std::memcmp(VelmoraLogRecordGetTimestamp(&l), &kWhen, sizeof kWhen));
  }
}

TEST(RecordsCovLog, LogRecordSetNullKeepsTheDatumBytes) {
  VelmoraLogRecord l{};
  ASSERT_TRUE(VelmoraLogRecordInitFailure(&l, &kWhen, &kError));
  VelmoraLogRecord before;
  std::memcpy(&before, &l, sizeof l);
  ASSERT_TRUE(VelmoraLogRecordSetNull(&l));
  EXPECT_EQ(VelmoraLogRecordGetDatumType(&l), 7u);
  EXPECT_EQ(0, std::memcmp(&l.datum, &before.datum, sizeof l.datum));
  EXPECT_EQ(0, std::memcmp(&l.timestamp, &before.timestamp, sizeof l.timestamp));
  EXPECT_EQ(VelmoraErrorGetCode(VelmoraLogRecordGetFailure(&l)), 31u);

  ASSERT_TRUE(VelmoraLogRecordSetStatusFlags(&l, &kBits));
  EXPECT_TRUE(VelmoraLogRecordHasStatusFlags(&l));
  ASSERT_TRUE(VelmoraLogRecordClearStatusFlags(&l));
  EXPECT_FALSE(VelmoraLogRecordHasStatusFlags(&l));
  EXPECT_EQ(VelmoraBitStringGetLength(VelmoraLogRecordGetStatusFlags(&l)), 4u);
}

TEST(RecordsCovLog, SessionRecords) {
  VelmoraVtSession vt;
  ASSERT_TRUE(VelmoraVtSessionInit(&vt, 3, 4, &kAddress));
  EXPECT_EQ(VelmoraVtSessionGetLocalId(&vt), 3);
  EXPECT_EQ(VelmoraVtSessionGetRemoteId(&vt), 4);
  EXPECT_EQ(VelmoraAddressGetNetwork(VelmoraVtSessionGetRemoteAddress(&vt)), 5);

  VelmoraSessionKey k;
  ASSERT_TRUE(VelmoraSessionKeyInit(&k, kKey, &kAddress));
  EXPECT_EQ(0, std::memcmp(VelmoraSessionKeyGetKey(&k), kKey, sizeof kKey));
  EXPECT_NE(VelmoraSessionKeyGetKey(&k), kKey);  // copied, not shared
  EXPECT_EQ(VelmoraAddressGetMacLength(VelmoraSessionKeyGetPeerAddress(&k)), 6);
}

}  // namespace
