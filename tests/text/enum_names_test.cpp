// The enumeration directory against the row figures, names and fallback
// texts of the BACnet enumerations it names.
#include "text/enum_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct RowFacts {
  int32_t row;
  uint32_t count, firstProprietary, limit;
  const char* first;  // name of value 0 (NULL: none)
  const char* last;   // name of value count - 1
  const char* unknown;
  const char* reserved;     // NULL without a split
  const char* proprietary;  // NULL without a split
};

constexpr RowFacts kRows[] = {
    {0, 8, 0, 0, "*", "Sunday", "unknown-day-of-week", nullptr, nullptr},
    {1, 7, 0, 0, "Monday", "Sunday", "unknown-day-of-week", nullptr, nullptr},
    {2, 15, 0, 0, "*", "even-months", "unknown-month", nullptr, nullptr},
    {3, 31, 128, 1024, "analog-input", "access-door", "unknown-object", "reserved-object",
     "proprietary-object"},
    {4, 236, 512, 4194304, "acked-transitions", "secured-status", "unknown-property",
     "reserved-property", "proprietary-property"},
    {5, 2, 0, 0, "direct", "reverse", "unknown-action", nullptr, nullptr},
    {6, 2, 0, 0, "inactive", "active", "unknown-binary-PV", nullptr, nullptr},
    {7, 6, 64, 65536, "operational", "backup-in-progress", "unknown-device-status",
     "reserved-device-status", "proprietary-device-status"},
    {8, 6, 64, 65536, "normal", "life-safety-alarm", "unknown-event-state", "reserved-event-state",
     "proprietary-event-state"},
    {9, 3, 0, 0, "to-offnormal", "to-normal", "unknown-event-transition-bit", nullptr, nullptr},
    {10, 12, 64, 65536, "change-of-bitstring", "unsigned-range", "unknown-event-type",
     "reserved-event-type", "proprietary-event-type"},
    {11, 2, 0, 0, "low-limit-enable", "high-limit-enable", "unknown-limit-enable", nullptr,
     nullptr},
    {12, 3, 0, 0, "alarm", "ack-notification", "unknown-notify-type", nullptr, nullptr},
    {13, 2, 0, 0, "normal", "reverse", "unknown-polarity", nullptr, nullptr},
    {14, 5, 64, 65536, "normal", "other", "unknown-program-error", "reserved-program-error",
     "proprietary-program-error"},
    {15, 6, 0, 0, "ready", "unload", "unknown-program-request", nullptr, nullptr},
    {16, 6, 0, 0, "idle", "unloading", "unknown-program-state", nullptr, nullptr},
    {17, 13, 64, 65536, "no-fault-detected", "communication-failure", "unknown-reliability",
     "reserved-reliability", "proprietary-reliability"},
    {18, 4, 0, 0, "segmented-both", "no-segmentation", "unknown-segmentation", nullptr, nullptr},
    {19, 40, 0, 0, "acknowledge-alarm", "get-event-information", "unknown-service", nullptr,
     nullptr},
    {20, 4, 0, 0, "in-alarm", "out-of-service", "unknown-status-flag", nullptr, nullptr},
    {21, 190, 256, 65536, "square-meters", "watts-per-meter-per-degree-Kelvin",
     "unknown-engineering-units", "reserved-engineering-units", "proprietary-engineering-units"},
    {22, 2, 0, 0, "record-access", "stream-access", "unknown-file-access-method", nullptr, nullptr},
    {23, 15, 256, 65536, "off", "default", "unknown-life-safety-mode", "reserved-life-safety-mode",
     "proprietary-life-safety-mode"},
    {24, 10, 64, 65536, "none", "unsilence-visual", "unknown-life-safety-operation",
     "reserved-life-safety-operation", "proprietary-life-safety-operation"},
    {25, 24, 256, 65536, "quiet", "test-supervisory", "unknown-life-safety-state",
     "reserved-life-safety-state", "proprietary-life-safety-state"},
    {26, 4, 256, 65536, "none", "need-service-inoperative", "unknown-maintenance",
     "reserved-maintenance", "proprietary-maintenance"},
    {27, 4, 64, 65536, "unsilenced", "all-silenced", "unknown-silenced-state",
     "reserved-silenced-state", "proprietary-silenced-state"},
    {28, 5, 64, 65536, "normal", "failed", "unknown-accumulator-status",
     "reserved-accumulator-status", "accumulator-status"},
    {29, 12, 0, 0, "unknown", "other", "unknown-node-type", nullptr, nullptr},
    {30, 4, 0, 0, "shed-inactive", "shed-non-compliant", "unknown-node-type", nullptr, nullptr},
    {31, 3, 0, 0, "disabled", "interrupted", "unknown-log-status-bit", nullptr, nullptr},
    {32, 3, 0, 0, "first-item", "more-items", "unknown-rangeFlag", nullptr, nullptr},
    {33, 4, 0, 0, "lock", "extended-pulse-unlock", "unknown-door-value", nullptr, nullptr},
    {34, 4, 0, 0, "locked", "unknown", "unknown-lock-status", nullptr, nullptr},
    {35, 3, 0, 0, "secured", "unknown", "unknown-door-secured-status", nullptr, nullptr},
    {36, 3, 0, 0, "closed", "unknown", "unknown-door-status", nullptr, nullptr},
    {37, 9, 64, 65536, "normal", "egress-open", "unknown-door-alarm-state",
     "reserved-door-alarm-state", "door-alarm-state"},
    {38, 7, 64, 65536, "default-terminal", "ibm-3130", "unknown-vt-class", "reserved-vt-class",
     "proprietary-vt-class"},
    {39, 3, 64, 256, "polled", "triggered", "unknown-loggingType", "reserved-loggingType",
     "proprietary-loggingType"},
    {40, 8, 64, 256, "unknown", "suspended", "unknown-restart-reason", "reserved-restart-reason",
     "proprietary-restart-reason"},
    {41, 0, 0, 0, nullptr, nullptr, "enumeration", nullptr, nullptr},
};
static_assert(std::size(kRows) == VELMORA_ENUM_ROWS);

bool IsFallback(const RowFacts& f, const char* name) {
  for (const char* t : {f.unknown, f.reserved, f.proprietary})
    if (t && std::strcmp(t, name) == 0) return true;
  return false;
}

// Each row's figures and its list: names exactly up to count, the fallback
// texts right behind, and every kind of value getting its text.
TEST(EnumNames, RowsMatchTheirListsAndFallbacks) {
  for (const RowFacts& f : kRows) {
    SCOPED_TRACE("row " + std::to_string(f.row));
    EXPECT_EQ(VelmoraEnumNameCount(f.row), f.count);
    EXPECT_EQ(VelmoraEnumFirstProprietary(f.row), f.firstProprietary);
    EXPECT_EQ(VelmoraEnumLimit(f.row), f.limit);
    EXPECT_EQ(VelmoraEnumMaxValue(f.row), f.limit ? f.limit - 1 : f.count - 1);
    const EnumNameTable& t = VelmoraEnumNames[f.row];
    EXPECT_STREQ(t.names[f.count], f.unknown);
    if (f.reserved) {
      EXPECT_STREQ(t.names[f.count + 1], f.reserved);
      EXPECT_STREQ(t.names[f.count + 2], f.proprietary);
    }
    if (f.count) {
      EXPECT_STREQ(VelmoraEnumValueName(f.row, 0), f.first);
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.count - 1), f.last);
    }
    for (uint32_t v = 0; v < f.count; ++v) {
      const char* name = t.names[v];
      EXPECT_FALSE(IsFallback(f, name)) << v;
      if (name[0] == '\0') continue;
      // Names are unique within their row: the reverse lookup comes back.
      EXPECT_EQ(VelmoraEnumValueFromName(f.row, name), int32_t(v)) << name;
    }
    if (f.reserved) {
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.count), f.reserved);
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.firstProprietary - 1), f.reserved);
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.firstProprietary), f.proprietary);
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.limit - 1), f.proprietary);
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.limit), f.unknown);
      EXPECT_TRUE(VelmoraEnumIsReserved(f.row, f.count));
      EXPECT_TRUE(VelmoraEnumIsProprietary(f.row, f.limit - 1));
      EXPECT_TRUE(VelmoraEnumIsUnknown(f.row, f.limit));
      EXPECT_FALSE(VelmoraEnumIsUnknown(f.row, f.limit - 1));
      EXPECT_EQ(VelmoraEnumValueFromName(f.row, f.reserved), -1);
      EXPECT_EQ(VelmoraEnumValueFromName(f.row, f.proprietary), -1);
    } else {
      EXPECT_STREQ(VelmoraEnumValueName(f.row, f.count), f.unknown);
      EXPECT_TRUE(VelmoraEnumIsUnknown(f.row, f.count));
      EXPECT_FALSE(VelmoraEnumIsReserved(f.row, f.count));
      EXPECT_FALSE(VelmoraEnumIsProprietary(f.row, f.count));
    }
    EXPECT_STREQ(VelmoraEnumValueName(f.row, 0xFFFFFFFF), f.unknown);
    EXPECT_FALSE(VelmoraEnumIsStandard(f.row, f.count));
    EXPECT_EQ(VelmoraEnumValueFromName(f.row, f.unknown), -1);
  }
}

struct NameCase {
  int32_t row;
  uint32_t value;
  const char* name;
};

TEST(EnumNames, ValueNames) {
  constexpr NameCase kCases[] = {
      {3, 8, "device"},
      {3, 26, "reserved-object"},
      {3, 127, "reserved-object"},
      {3, 128, "proprietary-object"},
      {3, 1023, "proprietary-object"},
      {3, 1024, "unknown-object"},
      {4, 18, "deleted-property-ID-18"},
      {4, 194, "reserved-property"},
      {4, 600, "proprietary-property"},
      {4, 4194304, "unknown-property"},
      {0, 0, "*"},
      {0, 8, "unknown-day-of-week"},
      {1, 0, "Monday"},
      {2, 14, "even-months"},
      {2, 15, "unknown-month"},
      {28, 64, "accumulator-status"},
      {37, 100, "door-alarm-state"},
      {30, 4, "unknown-node-type"},
      {32, 2, "more-items"},
      {32, 3, "unknown-rangeFlag"},
      {41, 7, "enumeration"},
      {21, 0xFFFFFFFF, "unknown-engineering-units"},
      // Property identifiers and units of the standard, across their lists.
      {4, 8, "all"},
      {4, 28, "description"},
      {4, 73, "number-of-apdu-retries"},
      {4, 75, "object-identifier"},
      {4, 76, "object-list"},
      {4, 77, "object-name"},
      {4, 79, "object-type"},
      {4, 85, "present-value"},
      {4, 111, "status-flags"},
      {4, 117, "units"},
      {4, 120, "vendor-identifier"},
      {4, 155, "database-revision"},
      {4, 198, "reserved-property"},
      {4, 206, "utc-time-synchronization-recipients"},
      {4, 225, "reserved-property"},
      {4, 226, "door-alarm-state"},
      {21, 62, "degrees-Celsius"},
      {21, 95, "no-units"},
      {21, 98, "percent"},
      {21, 105, "currency-1"},
      {21, 114, "currency-10"},
      {21, 115, "deleted-unit-115"},
      {21, 121, "deleted-unit-121"},
      {21, 122, "kilohms"},
      {21, 138, "killowatt-hours-per-square-foot"},
      {17, 11, "reserved-reliability"},
      {10, 7, "buffer-ready (deprecated)"},
      // A row outside the directory counts as the generic row.
      {42, 3, "enumeration"},
      {-1, 0, "enumeration"},
      {INT32_MAX, 8, "enumeration"},
  };
  for (const NameCase& c : kCases)
    EXPECT_STREQ(VelmoraEnumValueName(c.row, c.value), c.name) << c.row << "," << c.value;
}

TEST(EnumNames, ValueFromName) {
  EXPECT_EQ(VelmoraEnumValueFromName(4, "present-value"), 85);
  EXPECT_EQ(VelmoraEnumValueFromName(3, "Analog-Input"), -1);  // case matters
  EXPECT_EQ(VelmoraEnumValueFromName(3, "analog-input"), 0);
  EXPECT_EQ(VelmoraEnumValueFromName(3, ""), -1);  // an unnamed value is no name
  EXPECT_EQ(VelmoraEnumValueFromName(3, nullptr), -1);
  EXPECT_EQ(VelmoraEnumValueFromName(41, "enumeration"), -1);
  EXPECT_EQ(VelmoraEnumValueFromName(29, "unknown"), 0);
  for (int32_t row : {42, -1, INT32_MIN})
    EXPECT_EQ(VelmoraEnumValueFromName(row, "device"), -1) << row;
}

TEST(EnumNames, Classes) {
  EXPECT_TRUE(VelmoraEnumIsUnknown(5, 2));
  EXPECT_FALSE(VelmoraEnumIsUnknown(5, 1));
  EXPECT_TRUE(VelmoraEnumIsReserved(17, 11));
  EXPECT_FALSE(VelmoraEnumIsStandard(17, 11));
  EXPECT_TRUE(VelmoraEnumIsStandard(17, 12));
  EXPECT_FALSE(VelmoraEnumIsProprietary(39, 256));
  EXPECT_TRUE(VelmoraEnumIsProprietary(39, 255));
  EXPECT_FALSE(VelmoraEnumIsReserved(39, 255));
  EXPECT_FALSE(VelmoraEnumIsStandard(3, 26));
  EXPECT_TRUE(VelmoraEnumIsReserved(3, 26));
  EXPECT_EQ(VelmoraEnumMaxValue(3), 1023u);
  EXPECT_EQ(VelmoraEnumMaxValue(5), 1u);
  EXPECT_EQ(VelmoraEnumMaxValue(41), 0xFFFFFFFFu);
  // Rows outside the directory: no figures, and the generic row's classes.
  for (int32_t row : {42, -1, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(VelmoraEnumNameCount(row), 0u);
    EXPECT_EQ(VelmoraEnumFirstProprietary(row), 0u);
    EXPECT_EQ(VelmoraEnumLimit(row), 0u);
    EXPECT_EQ(VelmoraEnumMaxValue(row), 0u);
    EXPECT_FALSE(VelmoraEnumIsStandard(row, 0));
    EXPECT_FALSE(VelmoraEnumIsReserved(row, 0));
    EXPECT_FALSE(VelmoraEnumIsProprietary(row, 0));
    EXPECT_TRUE(VelmoraEnumIsUnknown(row, 0));
  }
}

}  // namespace
