// The name lists of the enumeration directory, one per enumeration, in value
// order: the names, then the unknown text, then (rows with a split) the
// reserved and the proprietary texts. An empty name: the value has none.
#include <cstddef>

#include "bacnet/bacnet_enums.h"
#include "text/enum_name_check.h"
#include "text/enum_names.h"

namespace {

// Fails the build when a list does not hold exactly the entries its row
// figures call for.
template <size_t N>
consteval EnumNameTable Row(const char* const (&names)[N], uint32_t count,
                            uint32_t firstProprietary = 0, uint32_t limit = 0) {
  if (N != count + (firstProprietary ? 3 : 1)) throw "name list does not match its count";
  if (firstProprietary && !(count < firstProprietary && firstProprietary < limit))
    throw "split out of order";
  if (!firstProprietary && limit) throw "limit without a split";
  for (size_t i = count; i < N; ++i)
    if (names[i][0] == '\0') throw "empty fallback text";
  return {names, count, firstProprietary, limit};
}

constexpr const char* kDaysOfWeek[] = {"*",         "Monday",   "Tuesday",
                                       "Wednesday", "Thursday", "Friday",
                                       "Saturday",  "Sunday",   "unknown-day-of-week"};

// The bit row shares the day names from Monday on.
consteval EnumNameTable DaysOfWeekBits() {
  Row(kDaysOfWeek, 8);
  return {kDaysOfWeek + 1, 7, 0, 0};
}

constexpr const char* kMonths[] = {"*",        "January",    "February",    "March",
                                   "April",    "May",        "June",        "July",
                                   "August",   "September",  "October",     "November",
                                   "December", "odd-months", "even-months", "unknown-month"};

constexpr const char* kObjectTypes[] = {
    "analog-input", "analog-output", "analog-value", "binary-input", "binary-output",
    "binary-value", "calendar", "command", "device", "event-enrollment", "file", "group", "loop",
    "multi-state-input", "multi-state-output", "notification-class", "program", "schedule",
    "averaging", "multi-state-value", "trend-log", "life-safety-point", "life-safety-zone",
    "accumulator", "pulse-converter", "event-log", "", "trend-log-multiple", "load-control",
    "structured-view", "access-door",
    // fallbacks
    "unknown-object", "reserved-object", "proprietary-object"};

constexpr const char* kProperties[] = {
    // property identifiers, by value
    "acked-transitions",                    // 0
    "ack-required",                         // 1
    "action",                               // 2
    "action-text",                          // 3
    "active-text",                          // 4
    "active-vt-sessions",                   // 5
    "alarm-value",                          // 6
    "alarm-values",                         // 7
    "all",                                  // 8
    "all-writes-successful",                // 9
    "apdu-segment-timeout",                 // 10
    "apdu-timeout",                         // 11
    "application-software-version",         // 12
    "archive",                              // 13
    "bias",                                 // 14
    "change-of-state-count",                // 15
    "change-of-state-time",                 // 16
    "notification-class",                   // 17
    "deleted-property-ID-18",               // 18
    "controlled-variable-reference",        // 19
    "controlled-variable-units",            // 20
    "controlled-variable-value",            // 21
    "cov-increment",                        // 22
    "date-list",                            // 23
    "daylight-savings-status",              // 24
    "deadband",                             // 25
    "derivative-constant",                  // 26
    "derivative-constant-units",            // 27
    "description",                          // 28
    "description-of-halt",                  // 29
    "device-address-binding",               // 30
    "device-type",                          // 31
    "effective-period",                     // 32
    "elapsed-active-time",                  // 33
    "error-limit",                          // 34
    "event-enable",                         // 35
    "event-state",                          // 36
    "event-type",                           // 37
    "exception-schedule",                   // 38
    "fault-values",                         // 39
    "feedback-value",                       // 40
    "file-access-method",                   // 41
    "file-size",                            // 42
    "file-type",                            // 43
    "firmware-revision",                    // 44
    "high-limit",                           // 45
    "inactive-text",                        // 46
    "in-process",                           // 47
    "instance-of",                          // 48
    "integral-constant",                    // 49
    "integral-constant-units",              // 50
    "issue-confirmed-notifications",        // 51
    "limit-enable",                         // 52
    "list-of-group-members",                // 53
    "list-of-object-property-references",   // 54
    "list-of-session-keys",                 // 55
    "local-date",                           // 56
    "local-time",                           // 57
    "location",                             // 58
    "low-limit",                            // 59
    "manipulated-variable-reference",       // 60
    "maximum-output",                       // 61
    "max-apdu-length-accepted",             // 62
    "max-info-frames",                      // 63
    "max-master",                           // 64
    "max-pres-value",                       // 65
    "minimum-off-time",                     // 66
    "minimum-on-time",                      // 67
    "minimum-output",                       // 68
    "min-pres-value",                       // 69
    "model-name",                           // 70
    "modification-date",                    // 71
    "notify-type",                          // 72
    "number-of-apdu-retries",               // 73
    "number-of-states",                     // 74
    "object-identifier",                    // 75
    "object-list",                          // 76
    "object-name",                          // 77
    "object-property-reference",            // 78
    "object-type",                          // 79
    "optional",                             // 80
    "out-of-service",                       // 81
    "output-units",                         // 82
    "event-parameters",                     // 83
    "polarity",                             // 84
    "present-value",                        // 85
    "priority",                             // 86
    "priority-array",                       // 87
    "priority-for-writing",                 // 88
    "process-identifier",                   // 89
    "program-change",                       // 90
    "program-location",                     // 91
    "program-state",                        // 92
    "proportional-constant",                // 93
    "proportional-constant-units",          // 94
    "protocol-conformance-class",           // 95
    "protocol-object-types-supported",      // 96
    "protocol-services-supported",          // 97
    "protocol-version",                     // 98
    "read-only",                            // 99
    "reason-for-halt",                      // 100
    "recipient",                            // 101
    "recipient-list",                       // 102
    "reliability",                          // 103
    "relinquish-default",                   // 104
    "required",                             // 105
    "resolution",                           // 106
    "segmentation-supported",               // 107
    "setpoint",                             // 108
    "setpoint-reference",                   // 109
    "state-text",                           // 110
    "status-flags",                         // 111
    "system-status",                        // 112
    "time-delay",                           // 113
    "time-of-active-time-reset",            // 114
    "time-of-state-count-reset",            // 115
    "time-synchronization-recipients",      // 116
    "units",                                // 117
    "update-interval",                      // 118
    "utc-offset",                           // 119
    "vendor-identifier",                    // 120
    "vendor-name",                          // 121
    "vt-classes-supported",                 // 122
    "weekly-schedule",                      // 123
    "attempted-samples",                    // 124
    "average-value",                        // 125
    "buffer-size",                          // 126
    "client-cov-increment",                 // 127
    "cov-resubscription-interval",          // 128
    "current-notify-time",                  // 129
    "event-time-stamps",                    // 130
    "log-buffer",                           // 131
    "log-device-object-property",           // 132
    "enable",                               // 133
    "log-interval",                         // 134
    "maximum-value",                        // 135
    "minimum-value",                        // 136
    "notification-threshold",               // 137
    "previous-notify-time",                 // 138
    "protocol-revision",                    // 139
    "records-since-notification",           // 140
    "record-count",                         // 141
    "start-time",                           // 142
    "stop-time",                            // 143
    "stop-when-full",                       // 144
    "total-record-count",                   // 145
    "valid-samples",                        // 146
    "window-interval",                      // 147
    "window-samples",                       // 148
    "maximum-value-timestamp",              // 149
    "minimum-value-timestamp",              // 150
    "variance-value",                       // 151
    "active-cov-subscriptions",             // 152
    "backup-failure-timeout",               // 153
    "configuration-files",                  // 154
    "database-revision",                    // 155
    "direct-reading",                       // 156
    "last-restore-time",                    // 157
    "maintenance-required",                 // 158
    "member-of",                            // 159
    "mode",                                 // 160
    "operation-expected",                   // 161
    "setting",                              // 162
    "silenced",                             // 163
    "tracking-value",                       // 164
    "zone-members",                         // 165
    "life-safety-alarm-values",             // 166
    "max-segments-accepted",                // 167
    "profile-name",                         // 168
    "auto-slave-discovery",                 // 169
    "manual-slave-address-binding",         // 170
    "slave-address-binding",                // 171
    "slave-proxy-enable",                   // 172
    "last-notify-record",                   // 173
    "schedule-default",                     // 174
    "accepted-modes",                       // 175
    "adjust-value",                         // 176
    "count",                                // 177
    "count-before-change",                  // 178
    "count-change-time",                    // 179
    "cov-period",                           // 180
    "input-reference",                      // 181
    "limit-monitoring-interval",            // 182
    "logging-object",                       // 183
    "logging-record",                       // 184
    "prescale",                             // 185
    "pulse-rate",                           // 186
    "scale",                                // 187
    "scale-factor",                         // 188
    "update-time",                          // 189
    "value-before-change",                  // 190
    "value-set",                            // 191
    "value-change-time",                    // 192
    "align-intervals",                      // 193
    "",                                     // 194
    "interval-offset",                      // 195
    "last-restart-reason",                  // 196
    "logging-type",                         // 197
    "",                                     // 198
    "",                                     // 199
    "",                                     // 200
    "",                                     // 201
    "restart-notification-recipients",      // 202
    "time-of-device-restart",               // 203
    "time-synchronization-interval",        // 204
    "trigger",                              // 205
    "utc-time-synchronization-recipients",  // 206
    "node-subtype",                         // 207
    "node-type",                            // 208
    "structured-object-list",               // 209
    "subordinate-annotations",              // 210
    "subordinate-list",                     // 211
    "actual-shed-level",                    // 212
    "duty-window",                          // 213
    "expected-shed-level",                  // 214
    "full-duty-baseline",                   // 215
    "",                                     // 216
    "",                                     // 217
    "requested-shed-level",                 // 218
    "shed-duration",                        // 219
    "shed-level-descriptions",              // 220
    "shed-levels",                          // 221
    "state-description",                    // 222
    "",                                     // 223
    "",                                     // 224
    "",                                     // 225
    "door-alarm-state",                     // 226
    "door-extended-pulse-time",             // 227
    "door-members",                         // 228
    "door-open-too-long-time",              // 229
    "door-pulse-time",                      // 230
    "door-status",                          // 231
    "door-unlock-delay-time",               // 232
    "lock-status",                          // 233
    "masked-alarm-values",                  // 234
    "secured-status",                       // 235
                                            // fallbacks
    "unknown-property", "reserved-property", "proprietary-property"};

constexpr const char* kActions[] = {"direct", "reverse", "unknown-action"};

constexpr const char* kBinaryPv[] = {"inactive", "active", "unknown-binary-PV"};

constexpr const char* kDeviceStatus[] = {
    "operational", "operational-read-only", "download-required", "download-in-progress",
    "non-operational", "backup-in-progress",
    // fallbacks
    "unknown-device-status", "reserved-device-status", "proprietary-device-status"};

constexpr const char* kEventStates[] = {
    "normal", "fault", "offnormal", "high-limit", "low-limit", "life-safety-alarm",
    // fallbacks
    "unknown-event-state", "reserved-event-state", "proprietary-event-state"};

constexpr const char* kEventTransitionBits[] = {"to-offnormal", "to-fault", "to-normal",
                                                "unknown-event-transition-bit"};

constexpr const char* kEventTypes[] = {
    "change-of-bitstring", "change-of-state", "change-of-value", "command-failure",
    "floating-limit", "out-of-range", "complex-event-type", "buffer-ready (deprecated)",
    "change-of-life-safety", "extended", "buffer-ready", "unsigned-range",
    // fallbacks
    "unknown-event-type", "reserved-event-type", "proprietary-event-type"};

constexpr const char* kLimitEnableBits[] = {"low-limit-enable", "high-limit-enable",
                                            "unknown-limit-enable"};

constexpr const char* kNotifyTypes[] = {"alarm", "event", "ack-notification",
                                        "unknown-notify-type"};

constexpr const char* kPolarities[] = {"normal", "reverse", "unknown-polarity"};

constexpr const char* kProgramErrors[] = {"normal", "load-failed", "internal", "program", "other",
                                          // fallbacks
                                          "unknown-program-error", "reserved-program-error",
                                          "proprietary-program-error"};

constexpr const char* kProgramRequests[] = {
    "ready", "load", "run", "halt", "restart", "unload", "unknown-program-request"};

constexpr const char* kProgramStates[] = {
    "idle", "loading", "running", "waiting", "halted", "unloading", "unknown-program-state"};

constexpr const char* kReliabilities[] = {
    "no-fault-detected", "no-sensor", "over-range", "under-range", "open-loop", "shorted-loop",
    "no-output", "unreliable-other", "process-error", "multi-state-fault", "configuration-error",
    "", "communication-failure",
    // fallbacks
    "unknown-reliability", "reserved-reliability", "proprietary-reliability"};

constexpr const char* kSegmentations[] = {"segmented-both", "segmented-transmit",
                                          "segmented-receive", "no-segmentation",
                                          "unknown-segmentation"};

constexpr const char* kServicesSupportedBits[] = {
    // bit positions
    "acknowledge-alarm",                   // 0
    "confirmed-cov-notification",          // 1
    "confirmed-event-notification",        // 2
    "get-alarm-summary",                   // 3
    "get-enrollment-summary",              // 4
    "subscribe-cov",                       // 5
    "atomic-read-file",                    // 6
    "atomic-write-file",                   // 7
    "add-list-element",                    // 8
    "remove-list-element",                 // 9
    "create-object",                       // 10
    "delete-object",                       // 11
    "read-property",                       // 12
    "read-property-conditional",           // 13
    "read-property-multiple",              // 14
    "write-property",                      // 15
    "write-property-multiple",             // 16
    "device-communication-control",        // 17
    "confirmed-private-transfer",          // 18
    "confirmed-text-message",              // 19
    "reinitialize-device",                 // 20
    "vt-open",                             // 21
    "vt-close",                            // 22
    "vt-data",                             // 23
    "authenticate",                        // 24
    "request-key",                         // 25
    "i-am",                                // 26
    "i-have",                              // 27
    "unconfirmed-cov-event-notification",  // 28
    "unconfirmed-event-notification",      // 29
    "unconfirmed-private-transfer",        // 30
    "unconfirmed-text-message",            // 31
    "time-synchronization",                // 32
    "who-has",                             // 33
    "who-is",                              // 34
    "read-range",                          // 35
    "utc-time-synchronization",            // 36
    "life-safety-operation",               // 37
    "subscribe-cov-property",              // 38
    "get-event-information",               // 39
    "unknown-service"};

constexpr const char* kStatusFlagsBits[] = {"in-alarm", "fault", "overridden", "out-of-service",
                                            "unknown-status-flag"};

constexpr const char* kEngineeringUnits[] = {
    // units, by value
    "square-meters",                         // 0
    "square-feet",                           // 1
    "milliamperes",                          // 2
    "amperes",                               // 3
    "ohms",                                  // 4
    "volts",                                 // 5
    "kilovolts",                             // 6
    "megavolts",                             // 7
    "volt-amperes",                          // 8
    "kilovolt-amperes",                      // 9
    "megavolt-amperes",                      // 10
    "volt-amperes-reactive",                 // 11
    "kilovolt-amperes-reactive",             // 12
    "megavolt-amperes-reactive",             // 13
    "degrees-phase",                         // 14
    "power-factor",                          // 15
    "joules",                                // 16
    "kilojoules",                            // 17
    "watt-hours",                            // 18
    "kilowatt-hours",                        // 19
    "btus",                                  // 20
    "therms",                                // 21
    "ton-hours",                             // 22
    "joules-per-kilogram-dry-air",           // 23
    "btus-per-pound-dry-air",                // 24
    "cycles-per-hour",                       // 25
    "cycles-per-minute",                     // 26
    "hertz",                                 // 27
    "grams-of-water-per-kilogram-dry-air",   // 28
    "percent-relative-humidity",             // 29
    "millimeters",                           // 30
    "meters",                                // 31
    "inches",                                // 32
    "feet",                                  // 33
    "watts-per-square-foot",                 // 34
    "watts-per-square-meter",                // 35
    "lumens",                                // 36
    "luxes",                                 // 37
    "foot-candles",                          // 38
    "kilograms",                             // 39
    "pounds-mass",                           // 40
    "tons",                                  // 41
    "kilograms-per-second",                  // 42
    "kilograms-per-minute",                  // 43
    "kilograms-per-hour",                    // 44
    "pounds-mass-per-minute",                // 45
    "pounds-mass-per-hour",                  // 46
    "watts",                                 // 47
    "kilowatts",                             // 48
    "megawatts",                             // 49
    "btus-per-hour",                         // 50
    "horsepower",                            // 51
    "tons-refrigeration",                    // 52
    "pascals",                               // 53
    "kilopascals",                           // 54
    "bars",                                  // 55
    "pounds-force-per-square-inch",          // 56
    "centimeters-of-water",                  // 57
    "inches-of-water",                       // 58
    "millimeters-of-mercury",                // 59
    "centimeters-of-mercury",                // 60
    "inches-of-mercury",                     // 61
    "degrees-Celsius",                       // 62
    "degrees-Kelvin",                        // 63
    "degrees-Fahrenheit",                    // 64
    "degree-days-Celsius",                   // 65
    "degree-days-Fahrenheit",                // 66
    "years",                                 // 67
    "months",                                // 68
    "weeks",                                 // 69
    "days",                                  // 70
    "hours",                                 // 71
    "minutes",                               // 72
    "seconds",                               // 73
    "meters-per-second",                     // 74
    "kilometers-per-hour",                   // 75
    "feet-per-second",                       // 76
    "feet-per-minute",                       // 77
    "miles-per-hour",                        // 78
    "cubic-feet",                            // 79
    "cubic-meters",                          // 80
    "imperial-gallons",                      // 81
    "liters",                                // 82
    "us-gallons",                            // 83
    "cubic-feet-per-minute",                 // 84
    "cubic-meters-per-second",               // 85
    "imperial-gallons-per-minute",           // 86
    "liters-per-second",                     // 87
    "liters-per-minute",                     // 88
    "us-gallons-per-minute",                 // 89
    "degrees-angular",                       // 90
    "degrees-Celsius-per-hour",              // 91
    "degrees-Celsius-per-minute",            // 92
    "degrees-Fahrenheit-per-hour",           // 93
    "degrees-Fahrenheit-per-minute",         // 94
    "no-units",                              // 95
    "parts-per-million",                     // 96
    "parts-per-billion",                     // 97
    "percent",                               // 98
    "percent-per-second",                    // 99
    "per-minute",                            // 100
    "per-second",                            // 101
    "psi-per-degree-Fahrenheit",             // 102
    "radians",                               // 103
    "revolutions-per-minute",                // 104
    "currency-1",                            // 105
    "currency-2",                            // 106
    "currency-3",                            // 107
    "currency-4",                            // 108
    "currency-5",                            // 109
    "currency-6",                            // 110
    "currency-7",                            // 111
    "currency-8",                            // 112
    "currency-9",                            // 113
    "currency-10",                           // 114
    "deleted-unit-115",                      // 115
    "deleted-unit-116",                      // 116
    "deleted-unit-117",                      // 117
    "deleted-unit-118",                      // 118
    "deleted-unit-119",                      // 119
    "deleted-unit-120",                      // 120
    "deleted-unit-121",                      // 121
    "kilohms",                               // 122
    "megohms",                               // 123
    "millivolts",                            // 124
    "kilojoules-per-kilogram",               // 125
    "megajoules",                            // 126
    "joules-per-degree-Kelvin",              // 127
    "joules-per-kilogram-degree-Kelvin",     // 128
    "kilohertz",                             // 129
    "megahertz",                             // 130
    "per-hour",                              // 131
    "milliwatts",                            // 132
    "hectopascals",                          // 133
    "millibars",                             // 134
    "cubic-meters-per-hour",                 // 135
    "liters-per-hour",                       // 136
    "kilowatt-hours-per-square-meter",       // 137
    "killowatt-hours-per-square-foot",       // 138
    "megajoules-per-square-meter",           // 139
    "megajoules-per-square-foot",            // 140
    "watts-per-square-meter-degree-kelvin",  // 141
    "cubic-feet-per-second",                 // 142
    "percent-obscuration-per-foot",          // 143
    "percent-obscuration-per-meter",         // 144
    "milliohms",                             // 145
    "megawatt-hours",                        // 146
    "kilo-btus",                             // 147
    "mega-btus",                             // 148
    "kilojoules-per-kilogram-dry-air",       // 149
    "megajoules-per-kilogram-dry-air",       // 150
    "kilojoules-per-degree-Kelvin",          // 151
    "megajoules-per-degree-Kelvin",          // 152
    "newton",                                // 153
    "grams-per-second",                      // 154
    "grams-per-minute",                      // 155
    "tons-per-hour",                         // 156
    "kilo-btus-per-hour",                    // 157
    "hundredths-seconds",                    // 158
    "milliseconds",                          // 159
    "newton-meters",                         // 160
    "millimeters-per-second",                // 161
    "millimeters-per-minute",                // 162
    "meters-per-minute",                     // 163
    "meters-per-hour",                       // 164
    "cubic-meters-per-minute",               // 165
    "meters-per-second-per-second",          // 166
    "amperes-per-meter",                     // 167
    "amperes-per-square-meter",              // 168
    "ampere-square-meters",                  // 169
    "farads",                                // 170
    "henrys",                                // 171
    "ohm-meters",                            // 172
    "siemens",                               // 173
    "siemens-per-meter",                     // 174
    "teslas",                                // 175
    "volts-per-degree-Kelvin",               // 176
    "volts-per-meter",                       // 177
    "webers",                                // 178
    "candelas",                              // 179
    "candelas-per-square-meter",             // 180
    "degrees-Kelvin-per-hour",               // 181
    "degrees-Kelvin-per-minute",             // 182
    "joule-seconds",                         // 183
    "radians-per-second",                    // 184
    "square-meters-per-Newton",              // 185
    "kilograms-per-cubic-meter",             // 186
    "newton-seconds",                        // 187
    "newtons-per-meter",                     // 188
    "watts-per-meter-per-degree-Kelvin",     // 189
    // fallbacks
    "unknown-engineering-units", "reserved-engineering-units", "proprietary-engineering-units"};

constexpr const char* kFileAccessMethods[] = {"record-access", "stream-access",
                                              "unknown-file-access-method"};

constexpr const char* kLifeSafetyModes[] = {
    "off", "on", "test", "manned", "unmanned", "armed", "disarmed", "prearmed", "slow", "fast",
    "disconnected", "enabled", "disabled", "automatic-release-disabled", "default",
    // fallbacks
    "unknown-life-safety-mode", "reserved-life-safety-mode", "proprietary-life-safety-mode"};

constexpr const char* kLifeSafetyOperations[] = {
    "none", "silence", "silence-audible", "silence-visual", "reset", "reset-alarm", "reset-fault",
    "unsilence", "unsilence-audible", "unsilence-visual",
    // fallbacks
    "unknown-life-safety-operation", "reserved-life-safety-operation",
    "proprietary-life-safety-operation"};

constexpr const char* kLifeSafetyStates[] = {
    "quiet", "pre-alarm", "alarm", "fault", "fault-pre-alarm", "fault-alarm", "not-ready", "active",
    "tamper", "test-alarm", "test-active", "test-fault", "test-fault-alarm", "holdup", "duress",
    "tamper-alarm", "abnormal", "emergency-power", "delayed", "blocked", "local-alarm",
    "general-alarm", "supervisory", "test-supervisory",
    // fallbacks
    "unknown-life-safety-state", "reserved-life-safety-state", "proprietary-life-safety-state"};

constexpr const char* kMaintenance[] = {
    "none", "periodic-test", "need-service-operational", "need-service-inoperative",
    // fallbacks
    "unknown-maintenance", "reserved-maintenance", "proprietary-maintenance"};

constexpr const char* kSilencedStates[] = {
    "unsilenced", "audible-silenced", "visible-silenced", "all-silenced",
    // fallbacks
    "unknown-silenced-state", "reserved-silenced-state", "proprietary-silenced-state"};

// The proprietary text has no "proprietary-" prefix.
constexpr const char* kAccumulatorStatus[] = {
    "normal", "starting", "recovered", "abnormal", "failed",
    // fallbacks
    "unknown-accumulator-status", "reserved-accumulator-status", "accumulator-status"};

constexpr const char* kNodeTypes[] = {"unknown",          "system",   "network",    "device",
                                      "organizational",   "area",     "equipment",  "point",
                                      "collection",       "property", "functional", "other",
                                      "unknown-node-type"};

// Its unknown text is the node type's.
constexpr const char* kShedStates[] = {"shed-inactive", "shed-request-pending", "shed-compliant",
                                       "shed-non-compliant", "unknown-node-type"};

constexpr const char* kLogStatusBits[] = {"disabled", "purged", "interrupted",
                                          "unknown-log-status-bit"};

constexpr const char* kResultFlagsBits[] = {"first-item", "last-item", "more-items",
                                            "unknown-rangeFlag"};

constexpr const char* kDoorValues[] = {"lock", "unlock", "pulse-unlock", "extended-pulse-unlock",
                                       "unknown-door-value"};

constexpr const char* kLockStatus[] = {"locked", "unlocked", "fault", "unknown",
                                       "unknown-lock-status"};

constexpr const char* kDoorSecuredStatus[] = {"secured", "unsecured", "unknown",
                                              "unknown-door-secured-status"};

constexpr const char* kDoorStatus[] = {"closed", "opened", "unknown", "unknown-door-status"};

// The proprietary text has no "proprietary-" prefix.
constexpr const char* kDoorAlarmStates[] = {
    "normal", "alarm", "door-open-too-long", "forced-open", "tamper", "door-fault", "lock-down",
    "free-access", "egress-open",
    // fallbacks
    "unknown-door-alarm-state", "reserved-door-alarm-state", "door-alarm-state"};

constexpr const char* kVtClasses[] = {
    "default-terminal", "ansi-x3-64", "dec-vt52", "dec-vt100", "dec-vt220", "hp-700-94", "ibm-3130",
    // fallbacks
    "unknown-vt-class", "reserved-vt-class", "proprietary-vt-class"};

constexpr const char* kLoggingTypes[] = {"polled", "cov", "triggered",
                                         // fallbacks
                                         "unknown-loggingType", "reserved-loggingType",
                                         "proprietary-loggingType"};

constexpr const char* kRestartReasons[] = {
    "unknown", "coldstart", "warmstart", "detected-power-lost", "detected-powered-off",
    "hardware-watchdog", "software-watchdog", "suspended",
    // fallbacks
    "unknown-restart-reason", "reserved-restart-reason", "proprietary-restart-reason"};

constexpr const char* kGeneric[] = {"enumeration"};

// The codec's named numbers are these lists' names.
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, ANALOG_INPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, ANALOG_OUTPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, ANALOG_VALUE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, BINARY_INPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, BINARY_OUTPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, BINARY_VALUE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, CALENDAR);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, COMMAND);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, DEVICE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, EVENT_ENROLLMENT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, FILE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, GROUP);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, LOOP);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, MULTI_STATE_INPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, MULTI_STATE_OUTPUT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, NOTIFICATION_CLASS);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, PROGRAM);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, SCHEDULE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, AVERAGING);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, MULTI_STATE_VALUE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, TREND_LOG);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, LIFE_SAFETY_POINT);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, LIFE_SAFETY_ZONE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, ACCUMULATOR);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, PULSE_CONVERTER);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, EVENT_LOG);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, TREND_LOG_MULTIPLE);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, LOAD_CONTROL);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, STRUCTURED_VIEW);
ENUM_NAME_CHECK(kObjectTypes, BACNET_OBJ_, ACCESS_DOOR);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, ALL);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, MAX_APDU_LENGTH_ACCEPTED);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OBJECT_IDENTIFIER);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OBJECT_LIST);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OBJECT_NAME);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OBJECT_TYPE);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OPTIONAL);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, PRESENT_VALUE);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, REQUIRED);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, SEGMENTATION_SUPPORTED);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, STATUS_FLAGS);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, VENDOR_IDENTIFIER);
ENUM_NAME_CHECK(kProperties, BACNET_PROP_, MAX_SEGMENTS_ACCEPTED);

}  // namespace

constexpr EnumNameTable VelmoraEnumNames[VELMORA_ENUM_ROWS] = {
    Row(kDaysOfWeek, 8),                        // 0
    DaysOfWeekBits(),                           // 1
    Row(kMonths, 15),                           // 2
    Row(kObjectTypes, 31, 128, 1024),           // 3
    Row(kProperties, 236, 512, 4194304),        // 4
    Row(kActions, 2),                           // 5
    Row(kBinaryPv, 2),                          // 6
    Row(kDeviceStatus, 6, 64, 65536),           // 7
    Row(kEventStates, 6, 64, 65536),            // 8
    Row(kEventTransitionBits, 3),               // 9
    Row(kEventTypes, 12, 64, 65536),            // 10
    Row(kLimitEnableBits, 2),                   // 11
    Row(kNotifyTypes, 3),                       // 12
    Row(kPolarities, 2),                        // 13
    Row(kProgramErrors, 5, 64, 65536),          // 14
    Row(kProgramRequests, 6),                   // 15
    Row(kProgramStates, 6),                     // 16
    Row(kReliabilities, 13, 64, 65536),         // 17
    Row(kSegmentations, 4),                     // 18
    Row(kServicesSupportedBits, 40),            // 19
    Row(kStatusFlagsBits, 4),                   // 20
    Row(kEngineeringUnits, 190, 256, 65536),    // 21
    Row(kFileAccessMethods, 2),                 // 22
    Row(kLifeSafetyModes, 15, 256, 65536),      // 23
    Row(kLifeSafetyOperations, 10, 64, 65536),  // 24
    Row(kLifeSafetyStates, 24, 256, 65536),     // 25
    Row(kMaintenance, 4, 256, 65536),           // 26
    Row(kSilencedStates, 4, 64, 65536),         // 27
    Row(kAccumulatorStatus, 5, 64, 65536),      // 28
    Row(kNodeTypes, 12),                        // 29
    Row(kShedStates, 4),                        // 30
    Row(kLogStatusBits, 3),                     // 31
    Row(kResultFlagsBits, 3),                   // 32
    Row(kDoorValues, 4),                        // 33
    Row(kLockStatus, 4),                        // 34
    Row(kDoorSecuredStatus, 3),                 // 35
    Row(kDoorStatus, 3),                        // 36
    Row(kDoorAlarmStates, 9, 64, 65536),        // 37
    Row(kVtClasses, 7, 64, 65536),              // 38
    Row(kLoggingTypes, 3, 64, 256),             // 39
    Row(kRestartReasons, 8, 64, 256),           // 40
    Row(kGeneric, 0),                           // 41
};
