// Scheduling and commanding records: missing-record defaults, refusals,
// the date range's wildcards, the action command's optional fields and the
// unchecked lists.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_schedule.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

const VelmoraTime kTime = {6, 30, 0, 0};
const VelmoraDate kDate = {2024, 12, 24, 2};
const VelmoraDateRange kRange = {{2024, 1, 1, 0}, {2024, 1, 31, 0}};
const VelmoraWeekNDay kWeekNDay = {0, -1, 7};
const VelmoraObjectId kObject = {2, 17};
const VelmoraCalendarEntry kEntry = {0, {.date = kDate}};
uint8_t gValueBuffer[4];
const VelmoraAnyValue kValue = {2, gValueBuffer, sizeof gValueBuffer, 1};

TEST(RecordsSchedule, GettersOfMissingRecords) {
  const VelmoraTimeValue* tv = nullptr;
  const VelmoraDailySchedule* ds = nullptr;
  const VelmoraDateRange* dr = nullptr;
  const VelmoraCalendarEntry* ce = nullptr;
  const VelmoraActionCommand* ac = nullptr;
  const VelmoraActionList* al = nullptr;
  const VelmoraSpecialEvent* se = nullptr;
  const VelmoraWeekNDay* wn = nullptr;
  ExpectDefaults({
      MISSING(VelmoraTimeValueGetTime(tv), nullptr),
      MISSING(VelmoraTimeValueGetValue(tv), nullptr),
      MISSING(VelmoraDailyScheduleGetItem(ds, 0), nullptr),
      MISSING(VelmoraDailyScheduleGetCount(ds), 0),
      MISSING(VelmoraDateRangeGetStart(dr), nullptr),
      MISSING(VelmoraDateRangeGetEnd(dr), nullptr),
      MISSING(VelmoraCalendarEntryGetChoice(ce), UINT32_MAX),
      MISSING(VelmoraCalendarEntryGetDate(ce), nullptr),
      MISSING(VelmoraCalendarEntryGetDateRange(ce), nullptr),
      MISSING(VelmoraCalendarEntryGetWeekNDay(ce), nullptr),
      MISSING(VelmoraActionCommandHasDevice(ac), false),
      MISSING(VelmoraActionCommandGetDevice(ac), nullptr),
      MISSING(VelmoraActionCommandGetObjectId(ac), nullptr),
      MISSING(VelmoraActionCommandGetProperty(ac), UINT32_MAX),
      MISSING(VelmoraActionCommandGetArrayIndex(ac), 0),
      MISSING(VelmoraActionCommandGetValue(ac), nullptr),
      MISSING(VelmoraActionCommandGetPriority(ac), UINT32_MAX),
      MISSING(VelmoraActionCommandHasPostDelay(ac), false),
      MISSING(VelmoraActionCommandGetPostDelay(ac), 0),
      MISSING(VelmoraActionCommandGetQuitOnFailure(ac), 0),
      MISSING(VelmoraActionCommandGetWriteSuccessful(ac), 0),
      MISSING(VelmoraActionListGetItem(al, 0), nullptr),
      MISSING(VelmoraActionListGetCount(al), 0),
      MISSING(VelmoraSpecialEventGetPeriodChoice(se), UINT32_MAX),
      MISSING(VelmoraSpecialEventGetCalendarEntry(se), nullptr),
      MISSING(VelmoraSpecialEventGetCalendarRef(se), nullptr),
      MISSING(VelmoraSpecialEventGetTimeValue(se, 0), nullptr),
      MISSING(VelmoraSpecialEventGetTimeValueCount(se), 0),
      MISSING(VelmoraSpecialEventGetPriority(se), 255),
      MISSING(VelmoraWeekNDayGetMonth(wn), 0),
      MISSING(VelmoraWeekNDayGetWeekOfMonth(wn), -1),
      MISSING(VelmoraWeekNDayGetDayOfWeek(wn), 0),
  });
}

TEST(RecordsSchedule, SettersRefuseMissingRecordsAndArguments) {
  using TV = VelmoraTimeValue;
  ExpectRefusals(PatternRecord<TV>(),
                 {
                     REFUSE(TV, VelmoraTimeValueInit(nullptr, &kTime, &kValue)),
                     REFUSE(TV, VelmoraTimeValueInit(r, nullptr, &kValue)),
                     REFUSE(TV, VelmoraTimeValueInit(r, &kTime, nullptr)),
                     REFUSE(TV, VelmoraTimeValueSetTime(nullptr, &kTime)),
                     REFUSE(TV, VelmoraTimeValueSetTime(r, nullptr)),
                     REFUSE(TV, VelmoraTimeValueSetValue(nullptr, &kValue)),
                     REFUSE(TV, VelmoraTimeValueSetValue(r, nullptr)),
                     REFUSE(TV, VelmoraTimeValueCopy(nullptr, r)),
                     REFUSE(TV, VelmoraTimeValueCopy(r, nullptr)),
                 });
  using DS = VelmoraDailySchedule;
  ExpectRefusals(PatternRecord<DS>(), {
                                          REFUSE(DS, VelmoraDailyScheduleInit(nullptr)),
                                          REFUSE(DS, VelmoraDailyScheduleSet(nullptr, nullptr, 0)),
                                          REFUSE(DS, VelmoraDailyScheduleCopy(nullptr, r)),
                                          REFUSE(DS, VelmoraDailyScheduleCopy(r, nullptr)),
                                      });
  using DR = VelmoraDateRange;
  ExpectRefusals(PatternRecord<DR>(), {
                                          REFUSE(DR, VelmoraDateRangeInit(nullptr)),
                                          REFUSE(DR, VelmoraDateRangeSetStart(nullptr, 2024, 1, 1)),
                                          REFUSE(DR, VelmoraDateRangeSetStartDate(nullptr, &kDate)),
                                          REFUSE(DR, VelmoraDateRangeSetStartDate(r, nullptr)),
                                          REFUSE(DR, VelmoraDateRangeSetEnd(nullptr, 2024, 1, 1)),
                                          REFUSE(DR, VelmoraDateRangeSetEndDate(nullptr, &kDate)),
                                          REFUSE(DR, VelmoraDateRangeSetEndDate(r, nullptr)),
                                          REFUSE(DR, VelmoraDateRangeCopy(nullptr, r)),
                                          REFUSE(DR, VelmoraDateRangeCopy(r, nullptr)),
                                      });
  using CE = VelmoraCalendarEntry;
  ExpectRefusals(PatternRecord<CE>(),
                 {
                     REFUSE(CE, VelmoraCalendarEntrySetDate(nullptr, &kDate)),
                     REFUSE(CE, VelmoraCalendarEntrySetDate(r, nullptr)),
                     REFUSE(CE, VelmoraCalendarEntrySetDateRange(nullptr, &kRange)),
                     REFUSE(CE, VelmoraCalendarEntrySetDateRange(r, nullptr)),
                     REFUSE(CE, VelmoraCalendarEntrySetWeekNDay(nullptr, &kWeekNDay)),
                     REFUSE(CE, VelmoraCalendarEntrySetWeekNDay(r, nullptr)),
                     REFUSE(CE, VelmoraCalendarEntryCopy(nullptr, r)),
                     REFUSE(CE, VelmoraCalendarEntryCopy(r, nullptr)),
                 });
  using AC = VelmoraActionCommand;
  ExpectRefusals(PatternRecord<AC>(),
                 {
                     REFUSE(AC, VelmoraActionCommandInit(nullptr, &kObject, 85, &kValue)),
                     REFUSE(AC, VelmoraActionCommandInit(r, nullptr, 85, &kValue)),
                     REFUSE(AC, VelmoraActionCommandInit(r, &kObject, 85, nullptr)),
                     REFUSE(AC, VelmoraActionCommandSetDevice(nullptr, &kObject)),
                     REFUSE(AC, VelmoraActionCommandSetDevice(r, nullptr)),
                     REFUSE(AC, VelmoraActionCommandClearDevice(nullptr)),
                     REFUSE(AC, VelmoraActionCommandSetObjectId(nullptr, &kObject)),
                     REFUSE(AC, VelmoraActionCommandSetObjectId(r, nullptr)),
                     REFUSE(AC, VelmoraActionCommandSetProperty(nullptr, 85)),
                     REFUSE(AC, VelmoraActionCommandSetArrayIndex(nullptr, 1)),
                     REFUSE(AC, VelmoraActionCommandSetValue(nullptr, &kValue)),
                     REFUSE(AC, VelmoraActionCommandSetValue(r, nullptr)),
                     REFUSE(AC, VelmoraActionCommandSetPriority(nullptr, 8)),
                     REFUSE(AC, VelmoraActionCommandSetPostDelay(nullptr, 5)),
                     REFUSE(AC, VelmoraActionCommandClearPostDelay(nullptr)),
                     REFUSE(AC, VelmoraActionCommandSetQuitOnFailure(nullptr, 1)),
                     REFUSE(AC, VelmoraActionCommandSetWriteSuccessful(nullptr, 1)),
                     REFUSE(AC, VelmoraActionCommandCopy(nullptr, r)),
                     REFUSE(AC, VelmoraActionCommandCopy(r, nullptr)),
                 });
  using AL = VelmoraActionList;
  ExpectRefusals(PatternRecord<AL>(), {
                                          REFUSE(AL, VelmoraActionListSet(nullptr, nullptr, 0)),
                                          REFUSE(AL, VelmoraActionListCopy(nullptr, r)),
                                          REFUSE(AL, VelmoraActionListCopy(r, nullptr)),
                                      });
  using SE = VelmoraSpecialEvent;
  ExpectRefusals(
      PatternRecord<SE>(),
      {
          REFUSE(SE, VelmoraSpecialEventInitCalendarEntry(nullptr, &kEntry, nullptr, 0, 1)),
          REFUSE(SE, VelmoraSpecialEventInitCalendarEntry(r, nullptr, nullptr, 0, 1)),
          REFUSE(SE, VelmoraSpecialEventInitCalendarRef(nullptr, &kObject, nullptr, 0, 1)),
          REFUSE(SE, VelmoraSpecialEventInitCalendarRef(r, nullptr, nullptr, 0, 1)),
          REFUSE(SE, VelmoraSpecialEventSetCalendarEntry(nullptr, &kEntry)),
          REFUSE(SE, VelmoraSpecialEventSetCalendarEntry(r, nullptr)),
          REFUSE(SE, VelmoraSpecialEventSetCalendarRef(nullptr, &kObject)),
          REFUSE(SE, VelmoraSpecialEventSetCalendarRef(r, nullptr)),
          REFUSE(SE, VelmoraSpecialEventSetTimeValues(nullptr, nullptr, 0)),
          REFUSE(SE, VelmoraSpecialEventSetPriority(nullptr, 1)),
          REFUSE(SE, VelmoraSpecialEventCopy(nullptr, r)),
          REFUSE(SE, VelmoraSpecialEventCopy(r, nullptr)),
      });
}

TEST(RecordsSchedule, DateRangeInitIsUnspecifiedAndSetStartKeepsTheEnd) {
  VelmoraDateRange r = PatternRecord<VelmoraDateRange>();
  ASSERT_TRUE(VelmoraDateRangeInit(&r));
  for (const VelmoraDate* d : {VelmoraDateRangeGetStart(&r), VelmoraDateRangeGetEnd(&r)}) {
    EXPECT_EQ(VelmoraDateGetYear(d), 0xFFFF);
    EXPECT_EQ(VelmoraDateGetMonth(d), 0u);
    EXPECT_EQ(VelmoraDateGetDay(d), 255);
    EXPECT_EQ(VelmoraDateGetDayOfWeek(d), 0u);
  }
  const VelmoraDate end = r.end;
  ASSERT_TRUE(VelmoraDateRangeSetStart(&r, 2024, 3, 1));
  EXPECT_EQ(0, std::memcmp(&r.end, &end, sizeof end));
  EXPECT_EQ(VelmoraDateGetYear(&r.start), 2024);
  EXPECT_EQ(VelmoraDateGetDayOfWeek(&r.start), 0u);
  ASSERT_TRUE(VelmoraDateRangeSetEndDate(&r, &kDate));
  EXPECT_EQ(VelmoraDateGetDayOfWeek(VelmoraDateRangeGetEnd(&r)), 2u);
}

TEST(RecordsSchedule, CalendarEntryChoices) {
  VelmoraCalendarEntry c;
  ASSERT_TRUE(VelmoraCalendarEntrySetDateRange(&c, &kRange));
  EXPECT_EQ(VelmoraCalendarEntryGetChoice(&c), 1u);
  EXPECT_EQ(VelmoraDateGetDay(&VelmoraCalendarEntryGetDateRange(&c)->end), 31);
  ASSERT_TRUE(VelmoraCalendarEntrySetWeekNDay(&c, &kWeekNDay));
  EXPECT_EQ(VelmoraCalendarEntryGetChoice(&c), 2u);
  EXPECT_EQ(VelmoraWeekNDayGetWeekOfMonth(VelmoraCalendarEntryGetWeekNDay(&c)), -1);
  ASSERT_TRUE(VelmoraCalendarEntrySetDate(&c, &kDate));
  EXPECT_EQ(VelmoraCalendarEntryGetChoice(&c), 0u);
  EXPECT_EQ(VelmoraDateGetYear(VelmoraCalendarEntryGetDate(&c)), 2024);
}

TEST(RecordsSchedule, ActionCommandOptionalFieldsFollowTheirFlags) {
  VelmoraActionCommand a = PatternRecord<VelmoraActionCommand>();
  ASSERT_TRUE(VelmoraActionCommandInit(&a, &kObject, 85, &kValue));
  EXPECT_FALSE(VelmoraActionCommandHasDevice(&a));
  EXPECT_EQ(VelmoraActionCommandGetDevice(&a), nullptr);
  EXPECT_FALSE(VelmoraActionCommandHasPostDelay(&a));
  EXPECT_EQ(VelmoraActionCommandGetArrayIndex(&a), UINT32_MAX);
  EXPECT_EQ(VelmoraActionCommandGetPriority(&a), UINT32_MAX);
  EXPECT_EQ(VelmoraActionCommandGetQuitOnFailure(&a), 0);
  EXPECT_EQ(VelmoraActionCommandGetWriteSuccessful(&a), 0);
  EXPECT_EQ(VelmoraActionCommandGetProperty(&a), 85u);

  const VelmoraObjectId device = {8, 1234};
  ASSERT_TRUE(VelmoraActionCommandSetDevice(&a, &device));
  EXPECT_EQ(VelmoraActionCommandGetDevice(&a), &a.device_id);
  EXPECT_EQ(VelmoraObjectIdGetInstance(VelmoraActionCommandGetDevice(&a)), 1234u);
  ASSERT_TRUE(VelmoraActionCommandClearDevice(&a));
  EXPECT_EQ(VelmoraActionCommandGetDevice(&a), nullptr);

  ASSERT_TRUE(VelmoraActionCommandSetPostDelay(&a, 30));
  EXPECT_EQ(VelmoraActionCommandGetPostDelay(&a), 30u);
  ASSERT_TRUE(VelmoraActionCommandClearPostDelay(&a));
  EXPECT_FALSE(VelmoraActionCommandHasPostDelay(&a));
  EXPECT_EQ(VelmoraActionCommandGetPostDelay(&a), 0u);
  EXPECT_EQ(a.post_delay, 30u);  // kept, only hidden
  ASSERT_TRUE(VelmoraActionCommandSetPostDelay(&a, 30));
  EXPECT_EQ(VelmoraActionCommandGetPostDelay(&a), 30u);

  // The record leaves the priority to the encoder.
  ASSERT_TRUE(VelmoraActionCommandSetPriority(&a, 17));
  EXPECT_EQ(VelmoraActionCommandGetPriority(&a), 17u);
}

TEST(RecordsSchedule, ListsTakeAnyPairAndAnswerNoElementWithoutAnArray) {
  VelmoraTimeValue items[3] = {};
  VelmoraDailySchedule d = PatternRecord<VelmoraDailySchedule>();
  ASSERT_TRUE(VelmoraDailyScheduleInit(&d));
  EXPECT_EQ(VelmoraDailyScheduleGetCount(&d), 0u);
  EXPECT_EQ(VelmoraDailyScheduleGetItem(&d, 0), nullptr);
  ASSERT_TRUE(VelmoraDailyScheduleSet(&d, nullptr, 5));
  EXPECT_EQ(VelmoraDailyScheduleGetCount(&d), 5u);
  EXPECT_EQ(VelmoraDailyScheduleGetItem(&d, 4), nullptr);
  ASSERT_TRUE(VelmoraDailyScheduleSet(&d, items, 0));
  EXPECT_EQ(VelmoraDailyScheduleGetItem(&d, 2), &items[2]);

  VelmoraActionCommand commands[2] = {};
  VelmoraActionList l{};
  ASSERT_TRUE(VelmoraActionListSet(&l, nullptr, 2));
  EXPECT_EQ(VelmoraActionListGetItem(&l, 1), nullptr);
  ASSERT_TRUE(VelmoraActionListSet(&l, commands, 2));
  EXPECT_EQ(VelmoraActionListGetItem(&l, 1), &commands[1]);
  EXPECT_EQ(VelmoraActionListGetCount(&l), 2u);

  VelmoraSpecialEvent e = PatternRecord<VelmoraSpecialEvent>();
  ASSERT_TRUE(VelmoraSpecialEventInitCalendarRef(&e, &kObject, nullptr, 3, 16));
  EXPECT_EQ(VelmoraSpecialEventGetPeriodChoice(&e), 1u);
  EXPECT_EQ(VelmoraSpecialEventGetTimeValue(&e, 0), nullptr);
  EXPECT_EQ(VelmoraSpecialEventGetTimeValueCount(&e), 3u);
  EXPECT_EQ(VelmoraSpecialEventGetPriority(&e), 16);
  EXPECT_EQ(VelmoraObjectIdGetInstance(VelmoraSpecialEventGetCalendarRef(&e)), 17u);
  ASSERT_TRUE(VelmoraSpecialEventSetTimeValues(&e, items, 3));
  EXPECT_EQ(VelmoraSpecialEventGetTimeValue(&e, 2), &items[2]);
  ASSERT_TRUE(VelmoraSpecialEventSetCalendarEntry(&e, &kEntry));
  EXPECT_EQ(VelmoraSpecialEventGetPeriodChoice(&e), 0u);
  EXPECT_EQ(VelmoraCalendarEntryGetChoice(VelmoraSpecialEventGetCalendarEntry(&e)), 0u);
}

}  // namespace
