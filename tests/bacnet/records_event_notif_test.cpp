// Event notifications, event log records and destinations: defaults,
// refusals, the event-type check of the alarm constructors and the fields
// an ack-notification hides.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "bacnet/records_event_notif.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

using EN = VelmoraEventNotif;

const VelmoraBitString kFlags = {4, {0x80}};
const VelmoraBitString kStatus = {7, {0x40}};
const VelmoraObjectId kObject = {0, 12};
const VelmoraTimeStamp kStamp = {1, {.sequence_number = 99}};
const VelmoraDateTime kWhen = {{2024, 6, 1, 6}, {12, 0, 0, 0}};
const VelmoraTime kFrom = {0, 0, 0, 0};
const VelmoraTime kTo = {23, 59, 59, 99};
const VelmoraRecipient kRecipient = {0, {.device = {8, 1}}};
const char kText[] = "high";
const VelmoraCharString kMessage = {kText, 4, 0, VELMORA_CHARSET_ANSI};

VelmoraNotifParam ChangeOfValue() {
  VelmoraNotifParam p{};
  VelmoraNotifParamInitChangeOfValueReal(&p, 21.5f, &kFlags);
  return p;
}

VelmoraNotifParam ComplexEventType() {
  VelmoraNotifParam p{};
  VelmoraNotifParamInitComplexEventType(&p, nullptr, 0);
  return p;
}

const VelmoraNotifParam kCov = ChangeOfValue();
const EN kNotification = [] {
  EN n{};
  VelmoraEventNotifInitAlarm(&n, 2, 0, 3, &kCov);
  return n;
}();

TEST(RecordsEventNotif, GettersOfMissingRecords) {
  const EN* n = nullptr;
  const VelmoraEventLogRecord* e = nullptr;
  const VelmoraDestination* d = nullptr;
  ExpectDefaults({
      MISSING(VelmoraEventNotifGetProcessId(n), 0),
      MISSING(VelmoraEventNotifGetDeviceInstance(n), 0x3FFFFF),
      MISSING(VelmoraEventNotifGetEventObject(n), nullptr),
      MISSING(VelmoraEventNotifGetTimeStamp(n), nullptr),
      MISSING(VelmoraEventNotifGetNotificationClass(n), 0),
      MISSING(VelmoraEventNotifGetPriority(n), 0),
      MISSING(VelmoraEventNotifGetEventType(n), UINT32_MAX),
      MISSING(VelmoraEventNotifGetMessageText(n), nullptr),
      MISSING(VelmoraEventNotifGetNotifyType(n), UINT32_MAX),
      MISSING(VelmoraEventNotifGetAckRequired(n), 0),
      MISSING(VelmoraEventNotifGetFromState(n), UINT32_MAX),
      MISSING(VelmoraEventNotifGetToState(n), UINT32_MAX),
      MISSING(VelmoraEventNotifGetEventValues(n), nullptr),
      MISSING(VelmoraEventLogRecordGetTimeStamp(e), nullptr),
      MISSING(VelmoraEventLogRecordGetChoice(e), UINT32_MAX),
      MISSING(VelmoraEventLogRecordGetLogStatus(e), nullptr),
      MISSING(VelmoraEventLogRecordGetTimeChange(e), 0.0),
      MISSING(VelmoraEventLogRecordGetNotification(e), nullptr),
      MISSING(VelmoraDestinationGetValidDays(d), nullptr),
      MISSING(VelmoraDestinationGetFromTime(d), nullptr),
      MISSING(VelmoraDestinationGetToTime(d), nullptr),
      MISSING(VelmoraDestinationGetRecipient(d), nullptr),
      MISSING(VelmoraDestinationGetProcessId(d), UINT32_MAX),
      MISSING(VelmoraDestinationGetConfirmed(d), 0),
      MISSING(VelmoraDestinationGetTransitions(d), nullptr),
  });
}

TEST(RecordsEventNotif, SettersRefuseMissingRecordsAndArguments) {
  // An ack-notification: its alarm and event fields refuse.
  EN filled = PatternRecord<EN>();
  ASSERT_TRUE(VelmoraEventNotifInitAckNotification(&filled, 2, 3));
  ExpectRefusals(filled, {
                             REFUSE(EN, VelmoraEventNotifInitAlarm(nullptr, 2, 0, 3, &kCov)),
                             REFUSE(EN, VelmoraEventNotifInitAlarm(r, 2, 0, 3, nullptr)),
                             REFUSE(EN, VelmoraEventNotifInitEvent(nullptr, 2, 0, 3, &kCov)),
                             REFUSE(EN, VelmoraEventNotifInitEvent(r, 2, 0, 3, nullptr)),
                             REFUSE(EN, VelmoraEventNotifInitAckNotification(nullptr, 2, 3)),
                             REFUSE(EN, VelmoraEventNotifMakeAckNotification(nullptr, r)),
                             REFUSE(EN, VelmoraEventNotifMakeAckNotification(r, nullptr)),
                             REFUSE(EN, VelmoraEventNotifSetProcessId(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetDeviceInstance(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetEventObject(nullptr, &kObject)),
                             REFUSE(EN, VelmoraEventNotifSetEventObject(r, nullptr)),
                             REFUSE(EN, VelmoraEventNotifSetTimeStamp(nullptr, &kStamp)),
                             REFUSE(EN, VelmoraEventNotifSetTimeStamp(r, nullptr)),
                             REFUSE(EN, VelmoraEventNotifSetNotificationClass(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetPriority(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetEventType(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetMessageText(nullptr, &kMessage)),
                             REFUSE(EN, VelmoraEventNotifSetNotifyType(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetAckRequired(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetAckRequired(r, 1)),
                             REFUSE(EN, VelmoraEventNotifSetFromState(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetFromState(r, 1)),
                             REFUSE(EN, VelmoraEventNotifSetToState(nullptr, 1)),
                             REFUSE(EN, VelmoraEventNotifSetEventValues(nullptr, &kCov)),
                             REFUSE(EN, VelmoraEventNotifSetEventValues(r, &kCov)),
                             REFUSE(EN, VelmoraEventNotifCopy(nullptr, r)),
                             REFUSE(EN, VelmoraEventNotifCopy(r, nullptr)),
                         });
  ASSERT_TRUE(VelmoraEventNotifInitEvent(&filled, 2, 0, 3, &kCov));
  ExpectRefusals(filled, {REFUSE(EN, VelmoraEventNotifSetEventValues(r, nullptr))});

  using EL = VelmoraEventLogRecord;
  ExpectRefusals(
      PatternRecord<EL>(),
      {
          REFUSE(EL, VelmoraEventLogRecordInitLogStatus(nullptr, &kWhen, &kStatus)),
          REFUSE(EL, VelmoraEventLogRecordInitLogStatus(r, nullptr, &kStatus)),
          REFUSE(EL, VelmoraEventLogRecordInitLogStatus(r, &kWhen, nullptr)),
          REFUSE(EL, VelmoraEventLogRecordInitNotification(nullptr, &kWhen, &kNotification)),
          REFUSE(EL, VelmoraEventLogRecordInitNotification(r, nullptr, &kNotification)),
          REFUSE(EL, VelmoraEventLogRecordInitNotification(r, &kWhen, nullptr)),
          REFUSE(EL, VelmoraEventLogRecordInitTimeChange(nullptr, &kWhen, 1.0f)),
          REFUSE(EL, VelmoraEventLogRecordInitTimeChange(r, nullptr, 1.0f)),
          REFUSE(EL, VelmoraEventLogRecordSetTimeStamp(nullptr, &kWhen)),
          REFUSE(EL, VelmoraEventLogRecordSetTimeStamp(r, nullptr)),
          REFUSE(EL, VelmoraEventLogRecordSetLogStatus(nullptr, &kStatus)),
          REFUSE(EL, VelmoraEventLogRecordSetLogStatus(r, nullptr)),
          REFUSE(EL, VelmoraEventLogRecordSetTimeChange(nullptr, 1.0f)),
          REFUSE(EL, VelmoraEventLogRecordSetNotification(nullptr, &kNotification)),
          REFUSE(EL, VelmoraEventLogRecordSetNotification(r, nullptr)),
          REFUSE(EL, VelmoraEventLogRecordCopy(nullptr, r)),
          REFUSE(EL, VelmoraEventLogRecordCopy(r, nullptr)),
      });

  using DN = VelmoraDestination;
  ExpectRefusals(PatternRecord<DN>(),
                 {
                     REFUSE(DN, VelmoraDestinationInit(nullptr, &kFrom, &kTo, &kRecipient, 1, 1)),
                     REFUSE(DN, VelmoraDestinationInit(r, nullptr, &kTo, &kRecipient, 1, 1)),
                     REFUSE(DN, VelmoraDestinationInit(r, &kFrom, nullptr, &kRecipient, 1, 1)),
                     REFUSE(DN, VelmoraDestinationInit(r, &kFrom, &kTo, nullptr, 1, 1)),
                     REFUSE(DN, VelmoraDestinationSetValidDays(nullptr, &kStatus)),
                     REFUSE(DN, VelmoraDestinationSetValidDays(r, nullptr)),
                     REFUSE(DN, VelmoraDestinationSetFromTime(nullptr, &kFrom)),
                     REFUSE(DN, VelmoraDestinationSetFromTime(r, nullptr)),
                     REFUSE(DN, VelmoraDestinationSetToTime(nullptr, &kTo)),
                     REFUSE(DN, VelmoraDestinationSetToTime(r, nullptr)),
                     REFUSE(DN, VelmoraDestinationSetRecipient(nullptr, &kRecipient)),
                     REFUSE(DN, VelmoraDestinationSetRecipient(r, nullptr)),
                     REFUSE(DN, VelmoraDestinationSetProcessId(nullptr, 1)),
                     REFUSE(DN, VelmoraDestinationSetConfirmed(nullptr, 1)),
                     REFUSE(DN, VelmoraDestinationSetTransitions(nullptr, &kStatus)),
                     REFUSE(DN, VelmoraDestinationSetTransitions(r, nullptr)),
                     REFUSE(DN, VelmoraDestinationCopy(nullptr, r)),
                     REFUSE(DN, VelmoraDestinationCopy(r, nullptr)),
                 });
}

TEST(RecordsEventNotif, AlarmConstructorsCheckTheEventValuesType) {
  const VelmoraNotifParam complex = ComplexEventType();
  const struct {
    uint32_t event_type;
    const VelmoraNotifParam* values;
    bool accepted;
  } cases[] = {
      {2, &kCov, true},      // the values' own type
      {4, &kCov, false},     // another standard type
      {70, &complex, true},  // proprietary type with complex-event-type values
      {70, &kCov, false},    // proprietary type with other values
      {6, &complex, true},  {63, &complex, false},  // not proprietary
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event_type);
    for (auto init : {VelmoraEventNotifInitAlarm, VelmoraEventNotifInitEvent}) {
      EN n = PatternRecord<EN>();
      EN before;
      std::memcpy(&before, &n, sizeof n);
      ASSERT_EQ(init(&n, c.event_type, 0, 3, c.values), c.accepted);
      if (!c.accepted) {
        EXPECT_EQ(0, std::memcmp(&n, &before, sizeof n));
        continue;
      }
      EXPECT_EQ(VelmoraEventNotifGetEventType(&n), c.event_type);
      EXPECT_EQ(VelmoraEventNotifGetNotifyType(&n), init == VelmoraEventNotifInitAlarm ? 0u : 1u);
      EXPECT_EQ(VelmoraEventNotifGetAckRequired(&n), 0);
      EXPECT_EQ(VelmoraEventNotifGetFromState(&n), 0u);
      EXPECT_EQ(VelmoraEventNotifGetToState(&n), 3u);
      EXPECT_EQ(0, std::memcmp(VelmoraEventNotifGetEventValues(&n), c.values, sizeof *c.values));
    }
  }
}

TEST(RecordsEventNotif, ConstructorsWriteTheDefaults) {
  EN n = PatternRecord<EN>();
  ASSERT_TRUE(VelmoraEventNotifInitAlarm(&n, 2, 0, 3, &kCov));
  EXPECT_EQ(VelmoraEventNotifGetProcessId(&n), 0u);
  EXPECT_EQ(n.initiating_device.type, 8u);
  EXPECT_EQ(VelmoraEventNotifGetDeviceInstance(&n), 0x3FFFFFu);
  EXPECT_EQ(VelmoraObjectIdGetType(VelmoraEventNotifGetEventObject(&n)), 1023u);
  EXPECT_EQ(VelmoraObjectIdGetInstance(VelmoraEventNotifGetEventObject(&n)), 0x3FFFFFu);
  const VelmoraTimeStamp* ts = VelmoraEventNotifGetTimeStamp(&n);
  EXPECT_EQ(VelmoraTimeStampGetChoice(ts), 0u);
  EXPECT_EQ(VelmoraTimeGetHour(VelmoraTimeStampGetTime(ts)), 255);
  EXPECT_EQ(VelmoraTimeGetHundredths(VelmoraTimeStampGetTime(ts)), 255);
  EXPECT_EQ(VelmoraEventNotifGetNotificationClass(&n), 0u);
  EXPECT_EQ(VelmoraEventNotifGetPriority(&n), 255);
  EXPECT_EQ(VelmoraEventNotifGetMessageText(&n), nullptr);
  EXPECT_EQ(n.message_text.length, -1);
  EXPECT_EQ(n.message_text.charset, 255);

  ASSERT_TRUE(VelmoraEventNotifSetMessageText(&n, &kMessage));
  ASSERT_NE(VelmoraEventNotifGetMessageText(&n), nullptr);
  EXPECT_EQ(VelmoraEventNotifGetMessageText(&n)->text, kText);
  ASSERT_TRUE(VelmoraEventNotifSetMessageText(&n, nullptr));
  EXPECT_EQ(VelmoraEventNotifGetMessageText(&n), nullptr);
  EXPECT_EQ(n.message_text.text, nullptr);

  ASSERT_TRUE(VelmoraEventNotifSetDeviceInstance(&n, 0x400000));  // not checked
  EXPECT_EQ(VelmoraEventNotifGetDeviceInstance(&n), 0x400000u);
  EXPECT_EQ(n.initiating_device.type, 8u);
}

TEST(RecordsEventNotif, AckNotificationHidesTheAlarmFields) {
  EN n = PatternRecord<EN>(0);
  ASSERT_TRUE(VelmoraEventNotifInitAckNotification(&n, 2, 3));
  EXPECT_EQ(VelmoraEventNotifGetNotifyType(&n), 2u);
  EXPECT_EQ(VelmoraEventNotifGetEventType(&n), 2u);
  EXPECT_EQ(VelmoraEventNotifGetToState(&n), 3u);
  EXPECT_EQ(VelmoraEventNotifGetFromState(&n), UINT32_MAX);
  EXPECT_EQ(VelmoraEventNotifGetAckRequired(&n), 0);
  EXPECT_EQ(VelmoraEventNotifGetEventValues(&n), nullptr);
  EXPECT_FALSE(VelmoraEventNotifSetAckRequired(&n, 1));
  EXPECT_EQ(n.ack_required, 255);
  EXPECT_EQ(VelmoraEventNotifGetPriority(&n), 255);
  EXPECT_EQ(VelmoraEventNotifGetProcessId(&n), 0u);

  // Switching the type back exposes event values of 0xFF bytes: an event
  // type that no event codec knows.
  ASSERT_TRUE(VelmoraEventNotifSetNotifyType(&n, VELMORA_NOTIFY_ALARM));
  ASSERT_NE(VelmoraEventNotifGetEventValues(&n), nullptr);
  EXPECT_EQ(VelmoraNotifParamGetType(VelmoraEventNotifGetEventValues(&n)), 0xFFFFFFFFu);
  EXPECT_EQ(VelmoraEventNotifGetAckRequired(&n), 255);
}

TEST(RecordsEventNotif, MakeAckNotificationKeepsWhatAnAckCarries) {
  EN alarm{};
  ASSERT_TRUE(VelmoraEventNotifInitEvent(&alarm, 2, 0, 3, &kCov));
  ASSERT_TRUE(VelmoraEventNotifSetProcessId(&alarm, 77));
  ASSERT_TRUE(VelmoraEventNotifSetDeviceInstance(&alarm, 1200));
  ASSERT_TRUE(VelmoraEventNotifSetEventObject(&alarm, &kObject));
  ASSERT_TRUE(VelmoraEventNotifSetTimeStamp(&alarm, &kStamp));
  ASSERT_TRUE(VelmoraEventNotifSetNotificationClass(&alarm, 4));
  ASSERT_TRUE(VelmoraEventNotifSetPriority(&alarm, 100));
  ASSERT_TRUE(VelmoraEventNotifSetMessageText(&alarm, &kMessage));
  ASSERT_TRUE(VelmoraEventNotifSetAckRequired(&alarm, 1));

  EN ack = PatternRecord<EN>();
  ASSERT_TRUE(VelmoraEventNotifMakeAckNotification(&ack, &alarm));
  EXPECT_EQ(VelmoraEventNotifGetNotifyType(&ack), 2u);
  EXPECT_EQ(VelmoraEventNotifGetProcessId(&ack), 77u);
  EXPECT_EQ(VelmoraEventNotifGetDeviceInstance(&ack), 1200u);
  EXPECT_EQ(0, std::memcmp(VelmoraEventNotifGetEventObject(&ack), &kObject, sizeof kObject));
  EXPECT_EQ(0, std::memcmp(VelmoraEventNotifGetTimeStamp(&ack), &kStamp, sizeof kStamp));
  EXPECT_EQ(VelmoraEventNotifGetNotificationClass(&ack), 4u);
  EXPECT_EQ(VelmoraEventNotifGetPriority(&ack), 100);
  EXPECT_EQ(VelmoraEventNotifGetEventType(&ack), 2u);
  EXPECT_EQ(VelmoraEventNotifGetMessageText(&ack)->text, kText);
  EXPECT_EQ(VelmoraEventNotifGetToState(&ack), 3u);
  EXPECT_EQ(ack.ack_required, 255);
  EXPECT_EQ(ack.from_state, UINT32_MAX);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&ack.event_values);
  for (size_t i = 0; i < sizeof ack.event_values; ++i)
    ASSERT_EQ(bytes[i], 0xFF) << i;
  EXPECT_EQ(VelmoraEventNotifGetNotifyType(&alarm), 1u);  // the source stays
}

// On this 64-bit layout as on any other, the time change overlays the
// log status's bit count.
TEST(RecordsEventNotif, EventLogRecordAlternativesShareTheirStorage) {
  VelmoraEventLogRecord e = PatternRecord<VelmoraEventLogRecord>();
  ASSERT_TRUE(VelmoraEventLogRecordInitLogStatus(&e, &kWhen, &kStatus));
  EXPECT_EQ(VelmoraEventLogRecordGetChoice(&e), 0u);
  EXPECT_EQ(VelmoraEventLogRecordGetTimeChange(&e), std::bit_cast<float>(uint32_t(7)));
  EXPECT_EQ(VelmoraDateGetYear(VelmoraDateTimeGetDate(VelmoraEventLogRecordGetTimeStamp(&e))),
            2024);
  ASSERT_TRUE(VelmoraEventLogRecordSetTimeChange(&e, -3.0f));
  EXPECT_EQ(VelmoraEventLogRecordGetChoice(&e), 2u);
  EXPECT_EQ(VelmoraEventLogRecordGetTimeChange(&e), -3.0f);

  EN n{};
  ASSERT_TRUE(VelmoraEventNotifInitAlarm(&n, 2, 0, 3, &kCov));
  ASSERT_TRUE(VelmoraEventLogRecordInitNotification(&e, &kWhen, &n));
  EXPECT_EQ(VelmoraEventLogRecordGetChoice(&e), 1u);
  EXPECT_EQ(VelmoraEventNotifGetToState(VelmoraEventLogRecordGetNotification(&e)), 3u);
  ASSERT_TRUE(VelmoraEventLogRecordSetLogStatus(&e, &kStatus));
  EXPECT_EQ(VelmoraEventLogRecordGetChoice(&e), 0u);
  EXPECT_EQ(VelmoraBitStringGetLength(VelmoraEventLogRecordGetLogStatus(&e)), 7u);
}

TEST(RecordsEventNotif, DestinationInitSetsEveryDayAndNoTransition) {
  VelmoraDestination d = PatternRecord<VelmoraDestination>();
  ASSERT_TRUE(VelmoraDestinationInit(&d, &kFrom, &kTo, &kRecipient, 9, 1));
  const VelmoraBitString* days = VelmoraDestinationGetValidDays(&d);
  EXPECT_EQ(VelmoraBitStringGetLength(days), 7u);
  EXPECT_EQ(VelmoraBitStringGetBits(days)[0], 0xFE);
  const VelmoraBitString* transitions = VelmoraDestinationGetTransitions(&d);
  EXPECT_EQ(VelmoraBitStringGetLength(transitions), 3u);
  EXPECT_EQ(VelmoraBitStringGetBits(transitions)[0], 0x00);
  EXPECT_EQ(VelmoraDestinationGetProcessId(&d), 9u);
  EXPECT_EQ(VelmoraDestinationGetConfirmed(&d), 1);
  EXPECT_EQ(VelmoraTimeGetHour(VelmoraDestinationGetToTime(&d)), 23);
  EXPECT_EQ(VelmoraDestinationGetRecipient(&d)->device.instance, 1u);
  // The bit counts are the caller's.
  const VelmoraBitString wide = {12, {0xFF, 0xF0}};
  ASSERT_TRUE(VelmoraDestinationSetValidDays(&d, &wide));
  EXPECT_EQ(VelmoraBitStringGetLength(days), 12u);
}

}  // namespace
