#include "bacnet/week_n_day.h"

bool VelmoraWeekNDayInit(VelmoraWeekNDay* w, uint32_t month, int32_t week_of_month,
                         uint32_t day_of_week) {
  if (!w) return false;
  *w = {month, week_of_month, day_of_week};
  return true;
}
bool VelmoraWeekNDaySetMonth(VelmoraWeekNDay* w, uint32_t month) {
  if (!w) return false;
  w->month = month;
  return true;
}
uint32_t VelmoraWeekNDayGetMonth(const VelmoraWeekNDay* w) { return w ? w->month : 0; }
bool VelmoraWeekNDaySetWeekOfMonth(VelmoraWeekNDay* w, int32_t week_of_month) {
  if (!w) return false;
  w->week_of_month = week_of_month;
  return true;
}
int32_t VelmoraWeekNDayGetWeekOfMonth(const VelmoraWeekNDay* w) {
  return w ? w->week_of_month : -1;
}
bool VelmoraWeekNDaySetDayOfWeek(VelmoraWeekNDay* w, uint32_t day_of_week) {
  if (!w) return false;
  w->day_of_week = day_of_week;
  return true;
}
uint32_t VelmoraWeekNDayGetDayOfWeek(const VelmoraWeekNDay* w) { return w ? w->day_of_week : 0; }
bool VelmoraWeekNDayCopy(VelmoraWeekNDay* dst, const VelmoraWeekNDay* src) {
  if (!dst || !src) return false;
  *dst = *src;
  return true;
}
