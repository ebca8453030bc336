// Notation of the scheduling and commanding records: date ranges, calendar
// entries, time values, daily schedules, special events and action lists.
#include "text/value_text_pieces.h"
#include "text/value_text_records.h"

uint32_t VelmoraDateRangeToString(char* destination, uint32_t room, const VelmoraDateRange* range) {
  if (!range) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraDateToString, VelmoraDateRangeGetStart(range));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraDateToString, VelmoraDateRangeGetEnd(range));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraCalendarEntryToString(char* destination, uint32_t room,
                                      const VelmoraCalendarEntry* entry) {
  if (!entry) return 0;
  uint32_t choice = VelmoraCalendarEntryGetChoice(entry);
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, choice);
  if (choice == 0)
    TextBufferWrite(&b, VelmoraDateToString, VelmoraCalendarEntryGetDate(entry));
  else if (choice == 1)
    TextBufferWrite(&b, VelmoraDateRangeToString, VelmoraCalendarEntryGetDateRange(entry));
  else if (choice == 2)
    TextBufferWrite(&b, VelmoraWeekNDayToString, VelmoraCalendarEntryGetWeekNDay(entry));
  else
    PutUnknown(&b);
  return TextBufferClose(&b);
}

uint32_t VelmoraTimeValueToString(char* destination, uint32_t room,
                                  const VelmoraTimeValue* timeValue, uint8_t showNumbers) {
  if (!timeValue) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraTimeToString, VelmoraTimeValueGetTime(timeValue));
  TextBufferPutChar(&b, ',');
  PutAnyValue(&b, VelmoraTimeValueGetValue(timeValue), showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraDailyScheduleToString(char* destination, uint32_t room,
                                      const VelmoraDailySchedule* schedule, uint8_t showNumbers) {
  if (!schedule) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutList(&b, '(', ')', VelmoraDailyScheduleGetCount(schedule), [&](uint32_t i) {
    TextBufferWrite(&b, VelmoraTimeValueToString, VelmoraDailyScheduleGetItem(schedule, i),
                    showNumbers);
  });
  return TextBufferClose(&b);
}

uint32_t VelmoraSpecialEventToString(char* destination, uint32_t room,
                                     const VelmoraSpecialEvent* event, uint8_t showNumbers) {
  if (!event) return 0;
  uint32_t choice = VelmoraSpecialEventGetPeriodChoice(event);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutChoice(&b, choice);
  if (choice == 0)
    TextBufferWrite(&b, VelmoraCalendarEntryToString, VelmoraSpecialEventGetCalendarEntry(event));
  else if (choice == 1)
    TextBufferWrite(&b, VelmoraObjectIdToString, VelmoraSpecialEventGetCalendarRef(event));
  else
    PutUnknown(&b);
  TextBufferPutChar(&b, ',');
  PutList(&b, '{', '}', VelmoraSpecialEventGetTimeValueCount(event), [&](uint32_t i) {
    TextBufferWrite(&b, VelmoraTimeValueToString, VelmoraSpecialEventGetTimeValue(event, i),
                    showNumbers);
  });
  TextBufferPutChar(&b, ',');
  PutSigned(&b, VelmoraSpecialEventGetPriority(event));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

// Nine fields whatever is absent: every "," is written. The property by
// its name alone, the index and the priority unsigned.
uint32_t VelmoraActionCommandToString(char* destination, uint32_t room,
                                      const VelmoraActionCommand* command, uint8_t showNumbers) {
  if (!command) return 0;
  const VelmoraObjectId* object = VelmoraActionCommandGetObjectId(command);
  uint32_t property = VelmoraActionCommandGetProperty(command);
  uint32_t index = VelmoraActionCommandGetArrayIndex(command);
  uint32_t priority = VelmoraActionCommandGetPriority(command);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  if (VelmoraActionCommandHasDevice(command))
    TextBufferWrite(&b, VelmoraObjectIdToString, VelmoraActionCommandGetDevice(command));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraObjectIdToString, object);
  TextBufferPutChar(&b, ',');
  PutPropertyName(&b, property);
  TextBufferPutChar(&b, ',');
  if (index != VELMORA_NO_INDEX) PutUnsigned(&b, index);
  TextBufferPutChar(&b, ',');
  PutValue(&b, VelmoraActionCommandGetValue(command), VelmoraObjectIdGetType(object), property,
           int32_t(index), showNumbers);
  TextBufferPutChar(&b, ',');
  if (priority != VELMORA_NO_PRIORITY) PutUnsigned(&b, priority);
  TextBufferPutChar(&b, ',');
  if (VelmoraActionCommandHasPostDelay(command))
    PutUnsigned(&b, VelmoraActionCommandGetPostDelay(command));
  TextBufferPutChar(&b, ',');
  PutFlag(&b, VelmoraActionCommandGetQuitOnFailure(command));
  TextBufferPutChar(&b, ',');
  PutFlag(&b, VelmoraActionCommandGetWriteSuccessful(command));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraActionListToString(char* destination, uint32_t room, const VelmoraActionList* list,
                                   uint8_t showNumbers) {
  if (!list) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutList(&b, '(', ')', VelmoraActionListGetCount(list), [&](uint32_t i) {
    TextBufferWrite(&b, VelmoraActionCommandToString, VelmoraActionListGetItem(list, i),
                    showNumbers);
  });
  return TextBufferClose(&b);
}
