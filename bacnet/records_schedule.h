// Scheduling and commanding records: time value, daily schedule, date
// range, calendar entry, action command, action list and special event.
// The list setters of the daily schedule, action list and special event
// store any array and count without a check; an empty list is (null, 0).
#pragma once

#include <cstdint>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "bacnet/week_n_day.h"

// Setting the value and copying the record share the value's buffer.
struct VelmoraTimeValue {
  VelmoraTime time;
  VelmoraAnyValue value;
};

// A copy shares the caller's time-value array.
struct VelmoraDailySchedule {
  VelmoraTimeValue* items;
  uint32_t count;
};

struct VelmoraDateRange {
  VelmoraDate start;
  VelmoraDate end;
};

struct VelmoraCalendarEntry {
  uint32_t choice;  // 0 date, 1 date range, 2 week-n-day
  union {
    VelmoraDate date;
    VelmoraDateRange date_range;
    VelmoraWeekNDay week_n_day;
  } value;
};

inline constexpr uint32_t VELMORA_ACTION_HAS_DEVICE = 0x01;
inline constexpr uint32_t VELMORA_ACTION_HAS_POST_DELAY = 0x02;

// Setting the value and copying the record share the value's buffer. The
// priority is not checked here; the encoder decides.
struct VelmoraActionCommand {
  uint32_t flags;             // VELMORA_ACTION_*
  VelmoraObjectId device_id;  // with VELMORA_ACTION_HAS_DEVICE
  VelmoraObjectId object_id;
  uint32_t property;
  uint32_t array_index;  // -1 none
  VelmoraAnyValue value;
  uint32_t priority;    // -1 none
  uint32_t post_delay;  // with VELMORA_ACTION_HAS_POST_DELAY
  uint8_t quit_on_failure;
  uint8_t write_successful;
};

// A copy shares the caller's command array (and so the commands' values).
struct VelmoraActionList {
  VelmoraActionCommand* items;
  uint32_t count;
};

// A copy shares the caller's time-value array.
struct VelmoraSpecialEvent {
  uint32_t period_choice;  // 0 calendar entry, 1 calendar reference
  union {
    VelmoraCalendarEntry calendar_entry;
    VelmoraObjectId calendar_ref;
  } period;
  VelmoraTimeValue* time_values;
  uint32_t count;
  uint8_t priority;
};

// Time value.
bool VelmoraTimeValueInit(VelmoraTimeValue* tv, const VelmoraTime* time,
                          const VelmoraAnyValue* value);
bool VelmoraTimeValueSetTime(VelmoraTimeValue* tv, const VelmoraTime* time);
VelmoraTime* VelmoraTimeValueGetTime(VelmoraTimeValue* tv);
const VelmoraTime* VelmoraTimeValueGetTime(const VelmoraTimeValue* tv);
bool VelmoraTimeValueSetValue(VelmoraTimeValue* tv, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraTimeValueGetValue(VelmoraTimeValue* tv);
const VelmoraAnyValue* VelmoraTimeValueGetValue(const VelmoraTimeValue* tv);
bool VelmoraTimeValueCopy(VelmoraTimeValue* dst, const VelmoraTimeValue* src);

// Daily schedule.
bool VelmoraDailyScheduleInit(VelmoraDailySchedule* d);
bool VelmoraDailyScheduleSet(VelmoraDailySchedule* d, VelmoraTimeValue* items, uint32_t count);
VelmoraTimeValue* VelmoraDailyScheduleGetItem(const VelmoraDailySchedule* d, uint32_t i);
uint32_t VelmoraDailyScheduleGetCount(const VelmoraDailySchedule* d);
bool VelmoraDailyScheduleCopy(VelmoraDailySchedule* dst, const VelmoraDailySchedule* src);

// Date range. Init leaves both dates unspecified.
bool VelmoraDateRangeInit(VelmoraDateRange* d);
bool VelmoraDateRangeSetStart(VelmoraDateRange* d, uint16_t year, uint32_t month, uint8_t day);
bool VelmoraDateRangeSetStartDate(VelmoraDateRange* d, const VelmoraDate* date);
VelmoraDate* VelmoraDateRangeGetStart(VelmoraDateRange* d);
const VelmoraDate* VelmoraDateRangeGetStart(const VelmoraDateRange* d);
bool VelmoraDateRangeSetEnd(VelmoraDateRange* d, uint16_t year, uint32_t month, uint8_t day);
bool VelmoraDateRangeSetEndDate(VelmoraDateRange* d, const VelmoraDate* date);
VelmoraDate* VelmoraDateRangeGetEnd(VelmoraDateRange* d);
const VelmoraDate* VelmoraDateRangeGetEnd(const VelmoraDateRange* d);
bool VelmoraDateRangeCopy(VelmoraDateRange* dst, const VelmoraDateRange* src);

// Calendar entry. The getters answer the alternative whatever the choice.
bool VelmoraCalendarEntrySetDate(VelmoraCalendarEntry* c, const VelmoraDate* date);
bool VelmoraCalendarEntrySetDateRange(VelmoraCalendarEntry* c, const VelmoraDateRange* range);
bool VelmoraCalendarEntrySetWeekNDay(VelmoraCalendarEntry* c, const VelmoraWeekNDay* week_n_day);
uint32_t VelmoraCalendarEntryGetChoice(const VelmoraCalendarEntry* c);
VelmoraDate* VelmoraCalendarEntryGetDate(VelmoraCalendarEntry* c);
const VelmoraDate* VelmoraCalendarEntryGetDate(const VelmoraCalendarEntry* c);
VelmoraDateRange* VelmoraCalendarEntryGetDateRange(VelmoraCalendarEntry* c);
const VelmoraDateRange* VelmoraCalendarEntryGetDateRange(const VelmoraCalendarEntry* c);
VelmoraWeekNDay* VelmoraCalendarEntryGetWeekNDay(VelmoraCalendarEntry* c);
const VelmoraWeekNDay* VelmoraCalendarEntryGetWeekNDay(const VelmoraCalendarEntry* c);
bool VelmoraCalendarEntryCopy(VelmoraCalendarEntry* dst, const VelmoraCalendarEntry* src);

// Action command. Clearing the post delay keeps the stored delay, which
// the getter then hides (0) until it is set again.
bool VelmoraActionCommandInit(VelmoraActionCommand* a, const VelmoraObjectId* object_id,
                              uint32_t property, const VelmoraAnyValue* value);
bool VelmoraActionCommandHasDevice(const VelmoraActionCommand* a);
VelmoraObjectId* VelmoraActionCommandGetDevice(VelmoraActionCommand* a);
const VelmoraObjectId* VelmoraActionCommandGetDevice(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetDevice(VelmoraActionCommand* a, const VelmoraObjectId* device_id);
bool VelmoraActionCommandClearDevice(VelmoraActionCommand* a);
VelmoraObjectId* VelmoraActionCommandGetObjectId(VelmoraActionCommand* a);
const VelmoraObjectId* VelmoraActionCommandGetObjectId(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetObjectId(VelmoraActionCommand* a, const VelmoraObjectId* object_id);
bool VelmoraActionCommandSetProperty(VelmoraActionCommand* a, uint32_t property);
uint32_t VelmoraActionCommandGetProperty(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetArrayIndex(VelmoraActionCommand* a, uint32_t array_index);
uint32_t VelmoraActionCommandGetArrayIndex(const VelmoraActionCommand* a);  // 0 missing
bool VelmoraActionCommandSetValue(VelmoraActionCommand* a, const VelmoraAnyValue* value);
VelmoraAnyValue* VelmoraActionCommandGetValue(VelmoraActionCommand* a);
const VelmoraAnyValue* VelmoraActionCommandGetValue(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetPriority(VelmoraActionCommand* a, uint32_t priority);
uint32_t VelmoraActionCommandGetPriority(const VelmoraActionCommand* a);
bool VelmoraActionCommandHasPostDelay(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetPostDelay(VelmoraActionCommand* a, uint32_t post_delay);
uint32_t VelmoraActionCommandGetPostDelay(const VelmoraActionCommand* a);
bool VelmoraActionCommandClearPostDelay(VelmoraActionCommand* a);
uint8_t VelmoraActionCommandGetQuitOnFailure(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetQuitOnFailure(VelmoraActionCommand* a, uint8_t quit_on_failure);
uint8_t VelmoraActionCommandGetWriteSuccessful(const VelmoraActionCommand* a);
bool VelmoraActionCommandSetWriteSuccessful(VelmoraActionCommand* a, uint8_t write_successful);
bool VelmoraActionCommandCopy(VelmoraActionCommand* dst, const VelmoraActionCommand* src);

// Action list.
bool VelmoraActionListSet(VelmoraActionList* l, VelmoraActionCommand* items, uint32_t count);
VelmoraActionCommand* VelmoraActionListGetItem(const VelmoraActionList* l, uint32_t i);
uint32_t VelmoraActionListGetCount(const VelmoraActionList* l);
bool VelmoraActionListCopy(VelmoraActionList* dst, const VelmoraActionList* src);

// Special event. The period getters answer the alternative whatever the
// choice.
bool VelmoraSpecialEventInitCalendarEntry(VelmoraSpecialEvent* e, const VelmoraCalendarEntry* entry,
                                          VelmoraTimeValue* time_values, uint32_t count,
                                          uint8_t priority);
bool VelmoraSpecialEventInitCalendarRef(VelmoraSpecialEvent* e, const VelmoraObjectId* calendar,
                                        VelmoraTimeValue* time_values, uint32_t count,
                                        uint8_t priority);
uint32_t VelmoraSpecialEventGetPeriodChoice(const VelmoraSpecialEvent* e);
bool VelmoraSpecialEventSetCalendarEntry(VelmoraSpecialEvent* e, const VelmoraCalendarEntry* entry);
VelmoraCalendarEntry* VelmoraSpecialEventGetCalendarEntry(VelmoraSpecialEvent* e);
const VelmoraCalendarEntry* VelmoraSpecialEventGetCalendarEntry(const VelmoraSpecialEvent* e);
bool VelmoraSpecialEventSetCalendarRef(VelmoraSpecialEvent* e, const VelmoraObjectId* calendar);
VelmoraObjectId* VelmoraSpecialEventGetCalendarRef(VelmoraSpecialEvent* e);
const VelmoraObjectId* VelmoraSpecialEventGetCalendarRef(const VelmoraSpecialEvent* e);
bool VelmoraSpecialEventSetTimeValues(VelmoraSpecialEvent* e, VelmoraTimeValue* time_values,
                                      uint32_t count);
VelmoraTimeValue* VelmoraSpecialEventGetTimeValue(const VelmoraSpecialEvent* e, uint32_t i);
uint32_t VelmoraSpecialEventGetTimeValueCount(const VelmoraSpecialEvent* e);
bool VelmoraSpecialEventSetPriority(VelmoraSpecialEvent* e, uint8_t priority);
uint8_t VelmoraSpecialEventGetPriority(const VelmoraSpecialEvent* e);  // 255 missing
bool VelmoraSpecialEventCopy(VelmoraSpecialEvent* dst, const VelmoraSpecialEvent* src);
