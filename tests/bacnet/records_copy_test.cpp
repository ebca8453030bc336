// What a copy of each pointer-holding record shares: the caller's lists,
// texts and value buffers, reached through the copy after the source record
// is gone (AddressSanitizer reports a copy that points into its source).
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_event_notif.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"
#include "bacnet/records_schedule.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

// The caller's storage, outliving every record below.
uint32_t gWord = 0x12345678;
VelmoraAnyValue gValue = {2, &gWord, sizeof gWord, 1};
const VelmoraTime kTime = {8, 0, 0, 0};
VelmoraTimeValue gTimeValues[2];
VelmoraActionCommand gCommands[2];
VelmoraBitString gStrings[2] = {{3, {0xE0}}, {5, {0x08}}};
VelmoraPropertyStates gStates[2] = {{1, {.enumerated = 1}}, {8, {.enumerated = 2}}};
uint32_t gAlarms[2] = {3, 4};
uint8_t gOctets[5] = {9, 8, 7, 6, 5};
VelmoraExtParam gExtended[1];
VelmoraNotifExtParam gNotifExtended[1];
VelmoraPropertyValue gPropertyValues[1];
const char kText[] = "door open";
const VelmoraBitString kFlags = {4, {0}};
const VelmoraDateTime kWhen = {{2024, 1, 1, 1}, {0, 0, 0, 0}};
VelmoraLogDatum gDatums[3];

// The any-value reaches the caller's word.
void ExpectCallersValue(const VelmoraAnyValue* v) {
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->buffer, &gWord);
  EXPECT_EQ(VelmoraAnyValueGetUnsigned(v), 0x12345678u);
}

TEST(RecordsCopy, ScheduleRecordsShareListsAndValueBuffers) {
  ASSERT_TRUE(VelmoraTimeValueInit(&gTimeValues[1], &kTime, &gValue));
  ExpectCopyShares(
      VelmoraTimeValueCopy,
      [](VelmoraTimeValue* tv) { ASSERT_TRUE(VelmoraTimeValueInit(tv, &kTime, &gValue)); },
      [](const VelmoraTimeValue* tv) { ExpectCallersValue(VelmoraTimeValueGetValue(tv)); });
  ExpectCopyShares(
      VelmoraDailyScheduleCopy,
      [](VelmoraDailySchedule* d) { ASSERT_TRUE(VelmoraDailyScheduleSet(d, gTimeValues, 2)); },
      [](const VelmoraDailySchedule* d) {
        EXPECT_EQ(VelmoraDailyScheduleGetItem(d, 1), &gTimeValues[1]);
        ExpectCallersValue(VelmoraTimeValueGetValue(VelmoraDailyScheduleGetItem(d, 1)));
      });
  ExpectCopyShares(
      VelmoraSpecialEventCopy,
      [](VelmoraSpecialEvent* e) {
        const VelmoraObjectId calendar = {6, 1};
        ASSERT_TRUE(VelmoraSpecialEventInitCalendarRef(e, &calendar, gTimeValues, 2, 10));
      },
      [](const VelmoraSpecialEvent* e) {
        EXPECT_EQ(VelmoraSpecialEventGetTimeValue(e, 1), &gTimeValues[1]);
        ExpectCallersValue(VelmoraTimeValueGetValue(VelmoraSpecialEventGetTimeValue(e, 1)));
      });

  const VelmoraObjectId object = {1, 2};
  ASSERT_TRUE(VelmoraActionCommandInit(&gCommands[1], &object, 85, &gValue));
  ExpectCopyShares(
      VelmoraActionCommandCopy,
      [](VelmoraActionCommand* a) {
        const VelmoraObjectId id = {1, 2};
        ASSERT_TRUE(VelmoraActionCommandInit(a, &id, 85, &gValue));
      },
      [](const VelmoraActionCommand* a) { ExpectCallersValue(VelmoraActionCommandGetValue(a)); });
  ExpectCopyShares(
      VelmoraActionListCopy,
      [](VelmoraActionList* l) { ASSERT_TRUE(VelmoraActionListSet(l, gCommands, 2)); },
      [](const VelmoraActionList* l) {
        EXPECT_EQ(VelmoraActionListGetItem(l, 1), &gCommands[1]);
        ExpectCallersValue(VelmoraActionCommandGetValue(VelmoraActionListGetItem(l, 1)));
      });
}

TEST(RecordsCopy, EventParametersShareTheirLists) {
  ExpectCopyShares(
      VelmoraEventParamCopy,
      [](VelmoraEventParam* p) {
        ASSERT_TRUE(VelmoraEventParamInitChangeOfBitstring(p, 1, &gStrings[0], gStrings, 2));
      },
      [](const VelmoraEventParam* p) {
        EXPECT_EQ(VelmoraEventParamGetBitstringValue(p, 1), &gStrings[1]);
        EXPECT_EQ(VelmoraBitStringGetLength(VelmoraEventParamGetBitstringValue(p, 1)), 5u);
      });
  ExpectCopyShares(
      VelmoraEventParamCopy,
      [](VelmoraEventParam* p) {
        ASSERT_TRUE(VelmoraEventParamInitChangeOfState(p, 1, gStates, 2));
      },
      [](const VelmoraEventParam* p) {
        EXPECT_EQ(VelmoraPropertyStatesGetState(VelmoraEventParamGetStateValue(p, 1)), 2u);
      });
  ExpectCopyShares(
      VelmoraEventParamCopy,
      [](VelmoraEventParam* p) {
        const VelmoraDevObjPropRef mode = {{21, 1}, 87, UINT32_MAX, 0, {8, 0}};
        ASSERT_TRUE(
            VelmoraEventParamInitChangeOfLifeSafety(p, 1, gAlarms, 2, gAlarms + 1, 1, &mode));
      },
      [](const VelmoraEventParam* p) {
        EXPECT_EQ(*VelmoraEventParamGetLifeSafetyAlarmValue(p, 1), 4u);
        EXPECT_EQ(*VelmoraEventParamGetAlarmValue(p, 0), 4u);
      });
  // The extended element's octet string shares the caller's octets too.
  const VelmoraOctetString octets = {gOctets, sizeof gOctets, sizeof gOctets};
  ASSERT_TRUE(VelmoraExtParamSetOctetString(&gExtended[0], &octets));
  ExpectCopyShares(
      VelmoraEventParamCopy,
      [](VelmoraEventParam* p) {
        ASSERT_TRUE(VelmoraEventParamInitExtended(p, 9, 1, gExtended, 1));
      },
      [](const VelmoraEventParam* p) {
        const VelmoraOctetString* s =
            VelmoraExtParamGetOctetString(VelmoraEventParamGetExtendedParameter(p, 0));
        EXPECT_EQ(VelmoraOctetStringGetData(s), gOctets);
        EXPECT_EQ(VelmoraOctetStringGetData(s)[4], 5);
      });
}

TEST(RecordsCopy, NotificationParametersShareListsAndValueBuffers) {
  ExpectCopyShares(
      VelmoraNotifParamCopy,
      [](VelmoraNotifParam* p) {
        ASSERT_TRUE(VelmoraNotifParamInitCommandFailure(p, &gValue, &kFlags, &gValue));
      },
      [](const VelmoraNotifParam* p) {
        ExpectCallersValue(VelmoraNotifParamGetCommandValue(p));
        ExpectCallersValue(VelmoraNotifParamGetFeedbackValue(p));
      });
  gPropertyValues[0] = {85, UINT32_MAX, gValue, UINT32_MAX};
  ExpectCopyShares(
      VelmoraNotifParamCopy,
      [](VelmoraNotifParam* p) {
        ASSERT_TRUE(VelmoraNotifParamInitComplexEventType(p, gPropertyValues, 1));
      },
      [](const VelmoraNotifParam* p) {
        EXPECT_EQ(VelmoraNotifParamGetPropertyValues(p), gPropertyValues);
        ExpectCallersValue(&VelmoraNotifParamGetPropertyValues(p)[0].value);
      });
  const VelmoraDevObjPropValue value = {{8, 1}, {0, 1}, 85, UINT32_MAX, gValue};
  ASSERT_TRUE(VelmoraNotifExtParamSetPropertyValue(&gNotifExtended[0], &value));
  ExpectCopyShares(
      VelmoraNotifParamCopy,
      [](VelmoraNotifParam* p) {
        ASSERT_TRUE(VelmoraNotifParamInitExtended(p, 9, 1, gNotifExtended, 1));
      },
      [](const VelmoraNotifParam* p) {
        const VelmoraNotifExtParam* e = VelmoraNotifParamGetParameters(p);
        EXPECT_EQ(e, gNotifExtended);
        ExpectCallersValue(&VelmoraNotifExtParamGetPropertyValue(e)->value);
      });
}

// An alarm whose text and command value are the caller's.
void FillAlarm(VelmoraEventNotif* n) {
  VelmoraNotifParam values{};
  ASSERT_TRUE(VelmoraNotifParamInitCommandFailure(&values, &gValue, &kFlags, &gValue));
  ASSERT_TRUE(VelmoraEventNotifInitAlarm(n, 3, 0, 1, &values));
  VelmoraCharString text;
  ASSERT_TRUE(VelmoraCharStringInitAnsi(&text, kText, -1));
  ASSERT_TRUE(VelmoraEventNotifSetMessageText(n, &text));
}

void ExpectAlarmShares(const VelmoraEventNotif* n) {
  ASSERT_NE(VelmoraEventNotifGetMessageText(n), nullptr);
  EXPECT_EQ(VelmoraCharStringGetData(VelmoraEventNotifGetMessageText(n)), kText);
  EXPECT_STREQ(VelmoraCharStringGetAnsi(VelmoraEventNotifGetMessageText(n)), "door open");
  ExpectCallersValue(VelmoraNotifParamGetCommandValue(VelmoraEventNotifGetEventValues(n)));
}

TEST(RecordsCopy, NotificationsShareTheirTextAndEventValues) {
  ExpectCopyShares(VelmoraEventNotifCopy, FillAlarm, ExpectAlarmShares);
  ExpectCopyShares(
      VelmoraEventLogRecordCopy,
      [](VelmoraEventLogRecord* e) {
        VelmoraEventNotif n{};
        FillAlarm(&n);
        ASSERT_TRUE(VelmoraEventLogRecordInitNotification(e, &kWhen, &n));
      },
      [](const VelmoraEventLogRecord* e) {
        ExpectAlarmShares(VelmoraEventLogRecordGetNotification(e));
      });
  // An ack made from an alarm keeps sharing the text.
  ExpectCopyShares(VelmoraEventNotifMakeAckNotification, FillAlarm, [](const VelmoraEventNotif* n) {
    EXPECT_EQ(VelmoraCharStringGetData(VelmoraEventNotifGetMessageText(n)), kText);
    EXPECT_EQ(VelmoraEventNotifGetEventValues(n), nullptr);
  });
}

TEST(RecordsCopy, LogRecordsShareTheirDataAndValueBuffers) {
  ExpectCopyShares(
      VelmoraLogRecordCopy,
      [](VelmoraLogRecord* l) { ASSERT_TRUE(VelmoraLogRecordInitAnyValue(l, &kWhen, &gValue)); },
      [](const VelmoraLogRecord* l) { ExpectCallersValue(VelmoraLogRecordGetAnyValue(l)); });
  ASSERT_TRUE(VelmoraLogDatumInitAnyValue(&gDatums[2], &gValue));
  ExpectCopyShares(
      VelmoraLogMultipleRecordCopy,
      [](VelmoraLogMultipleRecord* m) {
        VelmoraLogData data;
        ASSERT_TRUE(VelmoraLogDataSet(&data, gDatums, 3));
        ASSERT_TRUE(VelmoraLogMultipleRecordInitLogData(m, &kWhen, &data));
      },
      [](const VelmoraLogMultipleRecord* m) {
        const VelmoraLogDatum* third =
            VelmoraLogDataGetDatum(VelmoraLogMultipleRecordGetLogData(m), 2);
        EXPECT_EQ(third, &gDatums[2]);
        ExpectCallersValue(VelmoraLogDatumGetAnyValue(third));
      });
  ExpectCopyShares(
      VelmoraLogDataCopy, [](VelmoraLogData* d) { ASSERT_TRUE(VelmoraLogDataSet(d, gDatums, 3)); },
      [](const VelmoraLogData* d) {
        EXPECT_EQ(VelmoraLogDataGetDatum(d, 0), gDatums);
        EXPECT_EQ(VelmoraLogDataGetCount(d), 3u);
      });
  ExpectCopyShares(
      VelmoraLogDatumCopy,
      [](VelmoraLogDatum* d) { ASSERT_TRUE(VelmoraLogDatumInitAnyValue(d, &gValue)); },
      [](const VelmoraLogDatum* d) { ExpectCallersValue(VelmoraLogDatumGetAnyValue(d)); });
}

}  // namespace
