#include "bacnet/asn_schedule.h"

#include "bacnet/asn_construct.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_primitive.h"

namespace {

int32_t EncodeDateTime(const VelmoraDateTime* dt, AsnCursor* c) {
  int32_t status = AsnEncodeDate(&dt->date, c);
  if (status == ASN_OK) status = AsnEncodeTime(&dt->time, c);
  return status;
}

void ReadDateTime(AsnCursor* c, VelmoraDateTime* dt) {
  *dt = {};
  AsnTakeDate(c, &dt->date);
  AsnTakeTime(c, &dt->time);
}

void ReadDateRange(AsnCursor* c, VelmoraDateRange* r) {
  *r = {};
  AsnTakeDate(c, &r->start);
  AsnTakeDate(c, &r->end);
}

int32_t EncodeDateRange(const VelmoraDateRange* r, AsnCursor* c) {
  int32_t status = AsnEncodeDate(&r->start, c);
  if (status == ASN_OK) status = AsnEncodeDate(&r->end, c);
  return status;
}

// False, with the element stepped over and the record as it was, for a
// tag that is no choice.
bool ReadCalendarEntry(AsnCursor* c, VelmoraCalendarEntry* e) {
  uint32_t choice;
  if (!AsnPickChoice(c, 3, &choice)) return false;
  *e = {};
  e->choice = choice;
  if (choice == 0) {
    AsnTakeDate(c, &e->value.date);
  } else if (choice == 1) {
    AsnEnterTag(c);
    ReadDateRange(c, &e->value.date_range);
    AsnLeaveTag(c);
  } else {
    AsnTakeWeekNDay(c, &e->value.week_n_day);
  }
  return true;
}

int32_t EncodeCalendarEntry(const VelmoraCalendarEntry* e, AsnCursor* c) {
  switch (e->choice) {
    case 0:
      return AsnEncodeTaggedDate(&e->value.date, c, AsnContextTag(0));
    case 1: {
      int32_t status = AsnEncodeOpening(c, 1);
      if (status == ASN_OK) status = EncodeDateRange(&e->value.date_range, c);
      if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
      return status;
    }
    case 2:
      return AsnEncodeTaggedWeekNDay(&e->value.week_n_day, c, AsnContextTag(2));
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

int32_t EncodeTimeValue(const VelmoraTimeValue* tv, AsnCursor* c) {
  int32_t status = AsnEncodeTime(&tv->time, c);
  if (status == ASN_OK) status = AsnEncodeTypedArray(&tv->value, c);
  return status;
}

// The time and the one element behind it; with a carver that element is
// decoded (or measured) as a value, without one only stepped over.
void TimeValueWalk(AsnCursor* c, VelmoraTimeValue* out, AsnCarver* carver) {
  VelmoraTimeValue tv{};
  AsnTakeTime(c, &tv.time);
  const uint8_t* value = c->current;
  AsnSkipElement(c);
  if (carver) AsnCarveAnyValue(carver, value, uint32_t(c->current - value), &tv.value);
  AsnStoreRecord(out, tv);
}

int32_t EncodeTimeValues(const VelmoraTimeValue* items, uint32_t count, AsnCursor* c,
                         uint8_t number) {
  if (count != 0 && !items) return ASN_BAD_BUFFER;
  int32_t status = AsnEncodeOpening(c, number);
  for (uint32_t i = 0; i < count && status == ASN_OK; ++i)
    status = EncodeTimeValue(&items[i], c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, number);
  return status;
}

// The time values inside one constructed element.
void TimeValuesWalk(AsnCursor* c, VelmoraTimeValue** items, uint32_t* count, AsnCarver* carver) {
  AsnWalkList(c, items, count, carver, TimeValueWalk);
}

void SpecialEventWalk(AsnCursor* c, VelmoraSpecialEvent* out, AsnCarver* carver) {
  VelmoraSpecialEvent e{};
  e.period_choice = uint32_t(AsnAtListEnd(c) ? -1 : AsnPeekTagNumber(c));
  switch (e.period_choice) {
    case 0:
      AsnEnterTag(c);
      ReadCalendarEntry(c, &e.period.calendar_entry);
      AsnLeaveTag(c);
      break;
    case 1:
      AsnTakeObjectId(c, &e.period.calendar_ref);
      break;
    default:  // kept, so that encoding it again is refused
      AsnSkipElement(c);
      break;
  }
  TimeValuesWalk(c, &e.time_values, &e.count, carver);
  e.priority = uint8_t(AsnTakeUnsigned(c));
  AsnStoreRecord(out, e);
}

void DailyScheduleWalk(AsnCursor* c, VelmoraDailySchedule* out, AsnCarver* carver) {
  VelmoraDailySchedule d{};
  TimeValuesWalk(c, &d.items, &d.count, carver);
  AsnStoreRecord(out, d);
}

int32_t EncodeSpecialEvent(const VelmoraSpecialEvent* e, AsnCursor* c) {
  int32_t status;
  switch (e->period_choice) {
    case 0:
      status = AsnEncodeOpening(c, 0);
      if (status == ASN_OK) status = EncodeCalendarEntry(&e->period.calendar_entry, c);
      if (status == ASN_OK) status = AsnEncodeClosing(c, 0);
      break;
    case 1:
      status = AsnEncodeTaggedObjectId(&e->period.calendar_ref, c, AsnContextTag(1));
      break;
    default:
      return ASN_UNKNOWN_CHOICE;
  }
  if (status == ASN_OK) status = EncodeTimeValues(e->time_values, e->count, c, 2);
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(e->priority, c, AsnContextTag(3));
  return status;
}

int32_t EncodeDailySchedule(const VelmoraDailySchedule* d, AsnCursor* c) {
  return EncodeTimeValues(d->items, d->count, c, 0);
}

}  // namespace

int32_t AsnEncodeDateTime(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDateTime, EncodeDateTime>(value, cursor);
}
void AsnDecodeDateTime(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraDateTime, ReadDateTime>(cursor, out);
}

int32_t AsnEncodeEnclosedDateTime(const VelmoraDateTime* value, AsnCursor* cursor, uint8_t number) {
  int32_t status = AsnEncodeOpening(cursor, number);
  if (status == ASN_OK) status = EncodeDateTime(value, cursor);
  if (status == ASN_OK) status = AsnEncodeClosing(cursor, number);
  return status;
}

void AsnDecodeEnclosedDateTime(AsnCursor* cursor, VelmoraDateTime* out) {
  AsnEnterTag(cursor);
  ReadDateTime(cursor, out);
  AsnLeaveTag(cursor);
}

int32_t AsnEncodeDateRange(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDateRange, EncodeDateRange>(value, cursor);
}
void AsnDecodeDateRange(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraDateRange, ReadDateRange>(cursor, out);
}

int32_t AsnEncodeCalendarEntry(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraCalendarEntry, EncodeCalendarEntry>(value, cursor);
}
void AsnDecodeCalendarEntry(AsnCursor* cursor, void* out) {
  AsnDecodeChoice<VelmoraCalendarEntry, ReadCalendarEntry>(cursor, out);
}

int32_t AsnEncodeTimeValue(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraTimeValue, EncodeTimeValue>(value, cursor);
}
void AsnDecodeTimeValue(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraTimeValue, TimeValueWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeTimeValue(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraTimeValue, TimeValueWalk>(element, available);
}

int32_t AsnEncodeSpecialEvent(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraSpecialEvent, EncodeSpecialEvent>(value, cursor);
}
void AsnDecodeSpecialEvent(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraSpecialEvent, SpecialEventWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeSpecialEvent(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraSpecialEvent, SpecialEventWalk>(element, available);
}

int32_t AsnEncodeDailySchedule(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDailySchedule, EncodeDailySchedule>(value, cursor);
}
void AsnDecodeDailySchedule(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraDailySchedule, DailyScheduleWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeDailySchedule(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraDailySchedule, DailyScheduleWalk>(element, available);
}
