// BACnetWeekNDay record: month, week of month and day of week, each of
// which may be "any" (0, -1 and 0 here; 255 on the wire).
#pragma once

#include <cstdint>

struct VelmoraWeekNDay {
  uint32_t month;         // 1-14, 0 any
  int32_t week_of_month;  // 1-6, -1 any
  uint32_t day_of_week;   // 1-7, 0 any
};

static_assert(sizeof(VelmoraWeekNDay) == 12);

bool VelmoraWeekNDayInit(VelmoraWeekNDay* w, uint32_t month, int32_t week_of_month,
                         uint32_t day_of_week);
bool VelmoraWeekNDaySetMonth(VelmoraWeekNDay* w, uint32_t month);
uint32_t VelmoraWeekNDayGetMonth(const VelmoraWeekNDay* w);
bool VelmoraWeekNDaySetWeekOfMonth(VelmoraWeekNDay* w, int32_t week_of_month);
int32_t VelmoraWeekNDayGetWeekOfMonth(const VelmoraWeekNDay* w);
bool VelmoraWeekNDaySetDayOfWeek(VelmoraWeekNDay* w, uint32_t day_of_week);
uint32_t VelmoraWeekNDayGetDayOfWeek(const VelmoraWeekNDay* w);
bool VelmoraWeekNDayCopy(VelmoraWeekNDay* dst, const VelmoraWeekNDay* src);
