#include "bacnet/records_schedule.h"

#include "bacnet/record_accessors.h"
#include "bacnet/records_refs.h"

// Time value.

using TV = VelmoraTimeValue;

bool VelmoraTimeValueInit(TV* tv, const VelmoraTime* time, const VelmoraAnyValue* value) {
  if (!tv || !time || !value) return false;
  tv->time = *time;
  tv->value = *value;
  return true;
}
RECORD_PUT(VelmoraTimeValueSetTime, TV, VelmoraTime, r->time = *v)
RECORD_ADDRESS(VelmoraTime, VelmoraTimeValueGetTime, TV, r->time)
RECORD_PUT(VelmoraTimeValueSetValue, TV, VelmoraAnyValue, r->value = *v)
RECORD_ADDRESS(VelmoraAnyValue, VelmoraTimeValueGetValue, TV, r->value)
RECORD_COPY(VelmoraTimeValueCopy, TV)

// Daily schedule.

using DS = VelmoraDailySchedule;

RECORD_DO(VelmoraDailyScheduleInit, DS, *r = {nullptr, 0})
RECORD_LIST(VelmoraDailyScheduleSet, DS, TV, RecordList::Unchecked, r->items, r->count)
RECORD_ELEMENT(TV, VelmoraDailyScheduleGetItem, DS, r->items)
RECORD_GET(uint32_t, VelmoraDailyScheduleGetCount, DS, 0, r->count)
RECORD_COPY(VelmoraDailyScheduleCopy, DS)

// Date range.

using DR = VelmoraDateRange;

namespace {
constexpr VelmoraDate kUnspecifiedDate = {0xFFFF, 0, 255, 0};
}

RECORD_DO(VelmoraDateRangeInit, DR, r->start = kUnspecifiedDate, r->end = kUnspecifiedDate)
bool VelmoraDateRangeSetStart(DR* d, uint16_t year, uint32_t month, uint8_t day) {
  return d && VelmoraDateInit(&d->start, year, month, day);
}
RECORD_PUT(VelmoraDateRangeSetStartDate, DR, VelmoraDate, r->start = *v)
RECORD_ADDRESS(VelmoraDate, VelmoraDateRangeGetStart, DR, r->start)
bool VelmoraDateRangeSetEnd(DR* d, uint16_t year, uint32_t month, uint8_t day) {
  return d && VelmoraDateInit(&d->end, year, month, day);
}
RECORD_PUT(VelmoraDateRangeSetEndDate, DR, VelmoraDate, r->end = *v)
RECORD_ADDRESS(VelmoraDate, VelmoraDateRangeGetEnd, DR, r->end)
RECORD_COPY(VelmoraDateRangeCopy, DR)

// Calendar entry.

using CE = VelmoraCalendarEntry;

RECORD_PUT(VelmoraCalendarEntrySetDate, CE, VelmoraDate, r->choice = 0, r->value.date = *v)
RECORD_PUT(VelmoraCalendarEntrySetDateRange, CE, DR, r->choice = 1, r->value.date_range = *v)
RECORD_PUT(VelmoraCalendarEntrySetWeekNDay, CE, VelmoraWeekNDay, r->choice = 2,
           r->value.week_n_day = *v)
RECORD_GET(uint32_t, VelmoraCalendarEntryGetChoice, CE, -1, r->choice)
RECORD_ADDRESS(VelmoraDate, VelmoraCalendarEntryGetDate, CE, r->value.date)
RECORD_ADDRESS(DR, VelmoraCalendarEntryGetDateRange, CE, r->value.date_range)
RECORD_ADDRESS(VelmoraWeekNDay, VelmoraCalendarEntryGetWeekNDay, CE, r->value.week_n_day)
RECORD_COPY(VelmoraCalendarEntryCopy, CE)

// Action command. The device identifier and post delay are reached only
// while their flag is set.

using AC = VelmoraActionCommand;

bool VelmoraActionCommandInit(AC* a, const VelmoraObjectId* object_id, uint32_t property,
                              const VelmoraAnyValue* value) {
  if (!a || !object_id || !value) return false;
  a->flags = 0;
  a->object_id = *object_id;
  a->property = property;
  a->array_index = VELMORA_NO_INDEX;
  a->value = *value;
  a->priority = VELMORA_NO_PRIORITY;
  a->quit_on_failure = 0;
  a->write_successful = 0;
  return true;
}
RECORD_GET(bool, VelmoraActionCommandHasDevice, AC, false,
           (r->flags & VELMORA_ACTION_HAS_DEVICE) != 0)
VelmoraObjectId* VelmoraActionCommandGetDevice(AC* a) {
  return VelmoraActionCommandHasDevice(a) ? &a->device_id : nullptr;
}
const VelmoraObjectId* VelmoraActionCommandGetDevice(const AC* a) {
  return VelmoraActionCommandHasDevice(a) ? &a->device_id : nullptr;
}
RECORD_PUT(VelmoraActionCommandSetDevice, AC, VelmoraObjectId,
           r->flags |= VELMORA_ACTION_HAS_DEVICE, r->device_id = *v)
RECORD_DO(VelmoraActionCommandClearDevice, AC, r->flags &= ~VELMORA_ACTION_HAS_DEVICE)
RECORD_ADDRESS(VelmoraObjectId, VelmoraActionCommandGetObjectId, AC, r->object_id)
RECORD_PUT(VelmoraActionCommandSetObjectId, AC, VelmoraObjectId, r->object_id = *v)
RECORD_SET(VelmoraActionCommandSetProperty, AC, uint32_t, r->property = v)
RECORD_GET(uint32_t, VelmoraActionCommandGetProperty, AC, -1, r->property)
RECORD_SET(VelmoraActionCommandSetArrayIndex, AC, uint32_t, r->array_index = v)
RECORD_GET(uint32_t, VelmoraActionCommandGetArrayIndex, AC, 0, r->array_index)
RECORD_PUT(VelmoraActionCommandSetValue, AC, VelmoraAnyValue, r->value = *v)
RECORD_ADDRESS(VelmoraAnyValue, VelmoraActionCommandGetValue, AC, r->value)
RECORD_SET(VelmoraActionCommandSetPriority, AC, uint32_t, r->priority = v)
RECORD_GET(uint32_t, VelmoraActionCommandGetPriority, AC, -1, r->priority)
RECORD_GET(bool, VelmoraActionCommandHasPostDelay, AC, false,
           (r->flags & VELMORA_ACTION_HAS_POST_DELAY) != 0)
RECORD_SET(VelmoraActionCommandSetPostDelay, AC, uint32_t,
           r->flags |= VELMORA_ACTION_HAS_POST_DELAY, r->post_delay = v)
RECORD_GET(uint32_t, VelmoraActionCommandGetPostDelay, AC, 0,
           (r->flags & VELMORA_ACTION_HAS_POST_DELAY) ? r->post_delay : 0)
RECORD_DO(VelmoraActionCommandClearPostDelay, AC, r->flags &= ~VELMORA_ACTION_HAS_POST_DELAY)
RECORD_GET(uint8_t, VelmoraActionCommandGetQuitOnFailure, AC, 0, r->quit_on_failure)
RECORD_SET(VelmoraActionCommandSetQuitOnFailure, AC, uint8_t, r->quit_on_failure = v)
RECORD_GET(uint8_t, VelmoraActionCommandGetWriteSuccessful, AC, 0, r->write_successful)
RECORD_SET(VelmoraActionCommandSetWriteSuccessful, AC, uint8_t, r->write_successful = v)
RECORD_COPY(VelmoraActionCommandCopy, AC)

// Action list.

using AL = VelmoraActionList;

RECORD_LIST(VelmoraActionListSet, AL, AC, RecordList::Unchecked, r->items, r->count)
RECORD_ELEMENT(AC, VelmoraActionListGetItem, AL, r->items)
RECORD_GET(uint32_t, VelmoraActionListGetCount, AL, 0, r->count)
RECORD_COPY(VelmoraActionListCopy, AL)

// Special event.

using SE = VelmoraSpecialEvent;

namespace {
// The fields both constructors write besides their period.
bool StoreSpecialEvent(SE* e, uint32_t choice, TV* time_values, uint32_t count, uint8_t priority) {
  e->period_choice = choice;
  e->time_values = time_values;
  e->count = count;
  e->priority = priority;
  return true;
}
}  // namespace

bool VelmoraSpecialEventInitCalendarEntry(SE* e, const CE* entry, TV* time_values, uint32_t count,
                                          uint8_t priority) {
  if (!e || !entry) return false;
  e->period.calendar_entry = *entry;
  return StoreSpecialEvent(e, 0, time_values, count, priority);
}
bool VelmoraSpecialEventInitCalendarRef(SE* e, const VelmoraObjectId* calendar, TV* time_values,
                                        uint32_t count, uint8_t priority) {
  if (!e || !calendar) return false;
  e->period.calendar_ref = *calendar;
  return StoreSpecialEvent(e, 1, time_values, count, priority);
}
RECORD_GET(uint32_t, VelmoraSpecialEventGetPeriodChoice, SE, -1, r->period_choice)
RECORD_PUT(VelmoraSpecialEventSetCalendarEntry, SE, CE, r->period_choice = 0,
           r->period.calendar_entry = *v)
RECORD_ADDRESS(CE, VelmoraSpecialEventGetCalendarEntry, SE, r->period.calendar_entry)
RECORD_PUT(VelmoraSpecialEventSetCalendarRef, SE, VelmoraObjectId, r->period_choice = 1,
           r->period.calendar_ref = *v)
RECORD_ADDRESS(VelmoraObjectId, VelmoraSpecialEventGetCalendarRef, SE, r->period.calendar_ref)
RECORD_LIST(VelmoraSpecialEventSetTimeValues, SE, TV, RecordList::Unchecked, r->time_values,
            r->count)
RECORD_ELEMENT(TV, VelmoraSpecialEventGetTimeValue, SE, r->time_values)
RECORD_GET(uint32_t, VelmoraSpecialEventGetTimeValueCount, SE, 0, r->count)
RECORD_SET(VelmoraSpecialEventSetPriority, SE, uint8_t, r->priority = v)
RECORD_GET(uint8_t, VelmoraSpecialEventGetPriority, SE, 255, r->priority)
RECORD_COPY(VelmoraSpecialEventCopy, SE)
