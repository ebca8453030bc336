// Every datatype with a codec, round trip through the datatype table: each
// value alone (stated octets from the BACnet encoding rules where given),
// and the code's values as lists of 0, 1 and many. A code's values are its
// one entry of kCodes; a row that gets a codec needs an entry there.
#include <gtest/gtest.h>

#include <set>

#include "bacnet/asn_datatype.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"
#include "bacnet/records_schedule.h"
#include "bacnet/records_session.h"
#include "bacnet/records_states.h"
#include "tests/bacnet/support/event_samples.h"
#include "tests/bacnet/support/roundtrip.h"
#include "tests/bacnet/support/samples.h"

namespace {

using K = RoundTripKeep;

VelmoraDate Date(uint16_t year, uint32_t month, uint8_t day, uint32_t weekday) {
  return {year, month, day, weekday};
}
constexpr VelmoraDate kAnyDate = {0xFFFF, 0, 255, 0};
constexpr VelmoraTime kAnyTime = {255, 255, 255, 255};

VelmoraAddress Local(std::initializer_list<uint8_t> mac) {
  VelmoraAddress a{};
  for (uint8_t b : mac)
    a.mac[a.mac_length++] = b;
  return a;
}
VelmoraAddress Remote(uint16_t network, std::initializer_list<uint8_t> mac) {
  VelmoraAddress a = Local(mac);
  a.remote = 1;
  a.network = network;
  return a;
}

// A value of a fixed-size record built without storage of its own.
template <typename T>
RoundTripValue Of(const char* name, T record, const char* octets = nullptr, bool listable = true) {
  return RoundTrip<T>(
      name, [record](K&) { return record; }, octets, listable);
}
// Packed text bytes, terminator included, of a variable-size datatype.
RoundTripValue Text(const char* name, std::vector<uint8_t> bytes, const char* octets) {
  return {name, [bytes](K& keep) { return keep.Copy(bytes); }, octets};
}

VelmoraTimeValue At(uint8_t hour, uint8_t minute, VelmoraAnyValue value) {
  return {{hour, minute, 0, 0}, value};
}

VelmoraObjPropRef Ref(uint32_t type, uint32_t instance, uint32_t property,
                      uint32_t index = VELMORA_NO_INDEX) {
  return {{type, instance}, property, index};
}

VelmoraRecipient DeviceRecipient(uint32_t instance) {
  VelmoraRecipient r{};
  r.choice = VELMORA_RECIPIENT_DEVICE;
  r.device = {8, instance};
  return r;
}
VelmoraRecipient AddressRecipient(const VelmoraAddress& a) {
  VelmoraRecipient r{};
  r.choice = VELMORA_RECIPIENT_ADDRESS;
  r.address = a;
  return r;
}

VelmoraCalendarEntry EntryDate(VelmoraDate d) {
  VelmoraCalendarEntry e{};
  e.choice = 0;
  e.value.date = d;
  return e;
}
VelmoraCalendarEntry EntryRange(VelmoraDate from, VelmoraDate to) {
  VelmoraCalendarEntry e{};
  e.choice = 1;
  e.value.date_range = {from, to};
  return e;
}
VelmoraCalendarEntry EntryWeekNDay(VelmoraWeekNDay w) {
  VelmoraCalendarEntry e{};
  e.choice = 2;
  e.value.week_n_day = w;
  return e;
}

VelmoraTimeStamp StampTime(VelmoraTime t) {
  VelmoraTimeStamp s{};
  s.choice = 0;
  s.value.time = t;
  return s;
}
VelmoraTimeStamp StampSequence(uint32_t n) {
  VelmoraTimeStamp s{};
  s.choice = 1;
  s.value.sequence_number = n;
  return s;
}
VelmoraTimeStamp StampDateTime(VelmoraDateTime dt) {
  VelmoraTimeStamp s{};
  s.choice = 2;
  s.value.date_time = dt;
  return s;
}

const VelmoraDateTime kMorning = {Date(2024, 5, 17, 5), {6, 30, 0, 0}};
const VelmoraAddress kBoiler = Local({0x0A});
const VelmoraAddress kSite = Remote(5, {0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0});

VelmoraPropertyStates States(uint32_t choice, uint32_t value) {
  VelmoraPropertyStates s{};
  s.choice = choice;
  s.value.enumerated = value;
  return s;
}

VelmoraCovSubscription Subscription(VelmoraRecipient to, uint32_t flags, float increment) {
  VelmoraCovSubscription s{};
  s.flags = flags;
  s.recipient = {to, 7};
  s.monitored_ref = Ref(0, 1, 85);
  s.issue_confirmed = flags ? 0 : 1;
  s.time_remaining = flags ? 60 : 300;
  s.increment = increment;
  return s;
}

// A log record at 12:30 on 17 May 2024, its datum set by fill.
template <typename Fill>
RoundTripValue Log(const char* name, uint32_t datum, const char* octets, Fill fill) {
  return RoundTrip<VelmoraLogRecord>(
      name,
      [datum, fill](K& k) {
        VelmoraLogRecord r{};
        r.timestamp = {Date(2024, 5, 17, 5), {12, 30, 0, 0}};
        r.datum_type = datum;
        fill(k, r);
        return r;
      },
      octets);
}
#define LOG_STAMP "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F "

VelmoraLogMultipleRecord Multiple(int32_t choice) {
  VelmoraLogMultipleRecord r{};
  r.time_stamp = {Date(2024, 5, 17, 5), {12, 30, 0, 0}};
  r.choice = choice;
  return r;
}

VelmoraActionCommand Command(VelmoraObjectId object, uint32_t property, VelmoraAnyValue value) {
  VelmoraActionCommand a{};
  a.object_id = object;
  a.property = property;
  a.array_index = VELMORA_NO_INDEX;
  a.value = value;
  a.priority = VELMORA_NO_PRIORITY;
  return a;
}
// Analog value 3 to 21.0 at priority 16, write successful.
VelmoraActionCommand CommandA(K& k) {
  VelmoraActionCommand a = Command({2, 3}, 85, k.Value<float>(ASN_TYPE_REAL, {21.0f}));
  a.priority = 16;
  a.write_successful = 1;
  return a;
}
#define COMMAND_A "1C 00 80 00 03 29 55 4E 44 41 A8 00 00 4F 59 10 79 00 89 01"
// On device 1, binary output 1 to active 30 s after, quit on failure.
VelmoraActionCommand CommandB(K& k) {
  VelmoraActionCommand a = Command({4, 1}, 85, k.Value<uint32_t>(ASN_TYPE_ENUMERATED, {1}));
  a.flags = VELMORA_ACTION_HAS_DEVICE | VELMORA_ACTION_HAS_POST_DELAY;
  a.device_id = {8, 1};
  a.post_delay = 30;
  a.quit_on_failure = 1;
  return a;
}
#define COMMAND_B "0C 02 00 00 01 1C 01 00 00 01 29 55 4E 91 01 4F 69 1E 79 01 89 00"
// Multi-state output 1, its second state text.
VelmoraActionCommand CommandC(K& k) {
  VelmoraActionCommand a = Command({14, 1}, 110, k.Text(ASN_TYPE_TEXT_ANSI, {'O', 'n', 0}));
  a.array_index = 2;
  return a;
}
#define COMMAND_C "1C 03 80 00 01 29 6E 39 02 4E 73 00 4F 6E 4F 79 00 89 00"

VelmoraReadResult Read(uint32_t property, uint32_t index, VelmoraAnyValue value) {
  VelmoraReadResult r{};
  r.property = property;
  r.array_index = index;
  r.success = 1;
  r.value = value;
  return r;
}
VelmoraReadResult Failed(uint32_t property, uint32_t errorClass, uint32_t errorCode) {
  VelmoraReadResult r{};
  r.property = property;
  r.array_index = VELMORA_NO_INDEX;
  r.value = {ASN_TYPE_NONE, nullptr, 0, 0};
  r.error = {errorClass, errorCode};
  return r;
}

const std::vector<RoundTripCode>& Codes() {
  static const std::vector<RoundTripCode> kCodes = {
      {ASN_TYPE_NULL, {{"null", [](K&) { return std::span<const uint8_t>(); }, "00"}}},
      {ASN_TYPE_BOOLEAN,
       {Of<uint8_t>("false", 0, "10"), Of<uint8_t>("true", 1, "11")}},
      {ASN_TYPE_UNSIGNED,
       {Of<uint32_t>("0", 0, "21 00"), Of<uint32_t>("256", 256, "22 01 00"),
        Of<uint32_t>("largest", 0xFFFFFFFF, "24 FF FF FF FF")}},
      {ASN_TYPE_SIGNED,
       {Of<int32_t>("-1", -1, "31 FF"), Of<int32_t>("128", 128, "32 00 80"),
        Of<int32_t>("-129", -129, "32 FF 7F")}},
      {ASN_TYPE_REAL, {Of<float>("0.5", 0.5f, "44 3F 00 00 00"), Of<float>("-2", -2.0f)}},
      {ASN_TYPE_DOUBLE, {Of<double>("1", 1.0, "55 08 3F F0 00 00 00 00 00 00")}},
      {ASN_TYPE_OCTET_STRING,
       {RoundTrip<VelmoraOctetString>(
            "three octets",
            [](K& k) {
              return VelmoraOctetString{k.Array<uint8_t>({1, 2, 3}), 3, 3};
            },
            "63 01 02 03"),
        Of("empty", VelmoraOctetString{nullptr, 0, 0}, "60")}},
      {ASN_TYPE_CHAR_STRING,
       {Of("ANSI", VelmoraCharString{"ab", 2, 0, VELMORA_CHARSET_ANSI}, "73 00 61 62"),
        Of("ISO 8859-1", VelmoraCharString{"\xE9", -1, 0, VELMORA_CHARSET_ISO8859}, "72 05 E9")}},
      {ASN_TYPE_BIT_STRING, {Of("no bits", Bits({}), "81 00"), Of("status flags",
                                                                    Bits({1, 0, 0, 1}),
                                                                    "82 04 90")}},
      {ASN_TYPE_ENUMERATED, {Of<uint32_t>("1", 1, "91 01"), Of<uint32_t>("300", 300, "92 01 2C")}},
      {ASN_TYPE_DATE,
       {Of("Friday 17 May 2024", Date(2024, 5, 17, 5), "A4 7C 05 11 05"),
        Of("any", kAnyDate, "A4 FF FF FF FF")}},
      {ASN_TYPE_TIME,
       {Of("23:59:59.99", VelmoraTime{23, 59, 59, 99}, "B4 17 3B 3B 63"),
        Of("any", kAnyTime, "B4 FF FF FF FF")}},
      {ASN_TYPE_OBJECT_ID, {Of("device 0x3FFFFF", VelmoraObjectId{8, 0x3FFFFF}, "C4 02 3F FF FF")}},
      {ASN_TYPE_TEXT_ANSI, {Text("ab", {'a', 'b', 0}, "73 00 61 62"), Text("empty", {0}, "71 00")}},
      {ASN_TYPE_TEXT_DBCS,
       {RoundTrip<VelmoraDbcsString>(
           "code page 932", [](K&) { return VelmoraDbcsString{932, "ab"}; },
           "75 05 01 03 A4 61 62")}},
      {ASN_TYPE_TEXT_JIS, {Text("two octets", {0x30, 0x42, 0}, "73 02 30 42")}},
      {ASN_TYPE_TEXT_UCS4, {Text("A", {'A', 0, 0, 0, 0, 0, 0, 0}, "75 05 03 00 00 00 41")}},
      {ASN_TYPE_TEXT_UCS2, {Text("A", {'A', 0, 0, 0}, "73 04 00 41")}},
      {ASN_TYPE_TEXT_ISO8859, {Text("e acute", {0xE9, 0}, "72 05 E9")}},
      {ASN_TYPE_WEEK_N_DAY,
       {Of("last Monday of May", VelmoraWeekNDay{5, 6, 1}, "63 05 06 01"),
        Of("any", VelmoraWeekNDay{0, -1, 0}, "63 FF FF FF")}},

      {ASN_TYPE_PRIORITY_VALUE,
       {Of("NULL", VelmoraPriorityValue{0, {0}}, "00"),
        Of("Unsigned", VelmoraPriorityValue{2, {5}}, "21 05"),
        RoundTrip<VelmoraPriorityValue>(
            "REAL",
            [](K&) {
              VelmoraPriorityValue p{4, {0}};
              p.value.real = 21.5f;
              return p;
            },
            "44 41 AC 00 00"),
        Of("ENUMERATED", VelmoraPriorityValue{9, {1}}, "91 01")}},
      {ASN_TYPE_ADDRESS,
       {Of("local", kBoiler, "21 00 61 0A"),
        Of("remote", kSite, "21 05 65 06 C0 A8 00 01 BA C0"),
        Of("broadcast on network 7", Remote(7, {}), "21 07 60"),
        Of("global broadcast", Remote(0xFFFF, {}), "22 FF FF 60"),
        Of("seven octets", Local({1, 2, 3, 4, 5, 6, 7}), "21 00 65 07 01 02 03 04 05 06 07")}},
      {ASN_TYPE_DATE_TIME,
       {Of("morning", kMorning, "A4 7C 05 11 05 B4 06 1E 00 00"),
        Of("any", VelmoraDateTime{kAnyDate, kAnyTime}, "A4 FF FF FF FF B4 FF FF FF FF")}},
      {ASN_TYPE_OBJ_PROP_REF,
       {Of("present value", Ref(0, 1, 85), "0C 00 00 00 01 19 55"),
        Of("priority slot", Ref(1, 2, 87, 16), "0C 00 40 00 02 19 57 29 10"),
        Of("index 0", Ref(8, 7, 76, 0), "0C 02 00 00 07 19 4C 29 00")}},
      {ASN_TYPE_DATE_RANGE,
       {Of("2024", VelmoraDateRange{Date(2024, 1, 1, 1), Date(2024, 12, 31, 2)},
           "A4 7C 01 01 01 A4 7C 0C 1F 02"),
        Of("one day", VelmoraDateRange{Date(2024, 12, 25, 3), Date(2024, 12, 25, 3)},
           "A4 7C 0C 19 03 A4 7C 0C 19 03"),
        Of("open start", VelmoraDateRange{kAnyDate, Date(2024, 12, 31, 2)},
           "A4 FF FF FF FF A4 7C 0C 1F 02"),
        Of("unspecified", VelmoraDateRange{kAnyDate, kAnyDate}, "A4 FF FF FF FF A4 FF FF FF FF")}},
      {ASN_TYPE_CALENDAR_ENTRY,
       {Of("date", EntryDate(Date(2024, 12, 25, 3)), "0C 7C 0C 19 03"),
        Of("date range", EntryRange(Date(2024, 7, 1, 1), Date(2024, 8, 31, 6)),
           "1E A4 7C 07 01 01 A4 7C 08 1F 06 1F"),
        Of("week-n-day", EntryWeekNDay({12, -1, 0}), "2B 0C FF FF")}},
      {ASN_TYPE_TIME_VALUE,
       {RoundTrip<VelmoraTimeValue>(
            "REAL", [](K& k) { return At(8, 0, k.Value<float>(ASN_TYPE_REAL, {21.5f})); },
            "B4 08 00 00 00 44 41 AC 00 00"),
        RoundTrip<VelmoraTimeValue>(
            "NULL", [](K& k) { return At(18, 0, k.Null()); }, "B4 12 00 00 00 00"),
        RoundTrip<VelmoraTimeValue>(
            "ENUMERATED", [](K& k) { return At(7, 15, k.Value<uint32_t>(9, {1})); },
            "B4 07 0F 00 00 91 01"),
        RoundTrip<VelmoraTimeValue>(
            "text", [](K& k) { return At(12, 0, k.Text(ASN_TYPE_TEXT_ANSI, {'o', 'n', 0})); },
            "B4 0C 00 00 00 73 00 6F 6E")}},
      {ASN_TYPE_SPECIAL_EVENT,
       {RoundTrip<VelmoraSpecialEvent>(
            "holiday, two values",
            [](K& k) {
              VelmoraSpecialEvent e{};
              VelmoraSpecialEventInitCalendarEntry(
                  &e, k.Add(EntryDate(Date(2024, 12, 25, 3))),
                  k.Array({At(8, 0, k.Value<uint32_t>(9, {1})), At(17, 0, k.Value<uint32_t>(9, {0}))}),
                  2, 16);
              return e;
            },
            "0E 0C 7C 0C 19 03 0F 2E B4 08 00 00 00 91 01 B4 11 00 00 00 91 00 2F 39 10"),
        RoundTrip<VelmoraSpecialEvent>(
            "calendar reference, no values",
            [](K& k) {
              VelmoraSpecialEvent e{};
              VelmoraSpecialEventInitCalendarRef(&e, k.Add(VelmoraObjectId{6, 1}), nullptr, 0, 1);
              return e;
            },
            "1C 01 80 00 01 2E 2F 39 01"),
        RoundTrip<VelmoraSpecialEvent>(
            "summer, one value",
            [](K& k) {
              VelmoraSpecialEvent e{};
              VelmoraSpecialEventInitCalendarEntry(
                  &e, k.Add(EntryRange(Date(2024, 7, 1, 1), Date(2024, 8, 31, 6))),
                  k.Array({At(6, 0, k.Value<float>(ASN_TYPE_REAL, {19.0f}))}), 1, 10);
              return e;
            }),
        // The priority is written unchecked; the checker takes 1-16 only.
        RoundTrip<VelmoraSpecialEvent>(
            "priority 200",
            [](K& k) {
              VelmoraSpecialEvent e{};
              VelmoraSpecialEventInitCalendarRef(&e, k.Add(VelmoraObjectId{6, 2}), nullptr, 0, 200);
              return e;
            },
            "1C 01 80 00 02 2E 2F 39 C8", false)}},
      {ASN_TYPE_PROPERTY_VALUE,
       {RoundTrip<VelmoraPropertyValue>(
            "present value",
            [](K& k) {
              return VelmoraPropertyValue{85, VELMORA_NO_INDEX,
                                          k.Value<float>(ASN_TYPE_REAL, {21.5f}),
                                          VELMORA_NO_PRIORITY};
            },
            "09 55 2E 44 41 AC 00 00 2F"),
        RoundTrip<VelmoraPropertyValue>(
            "slot 3 at priority 8",
            [](K& k) {
              return VelmoraPropertyValue{87, 3, k.Value<float>(ASN_TYPE_REAL, {1.0f}), 8};
            },
            "09 57 19 03 2E 44 3F 80 00 00 2F 39 08"),
        RoundTrip<VelmoraPropertyValue>(
            "two object identifiers",
            [](K& k) {
              return VelmoraPropertyValue{
                  76, VELMORA_NO_INDEX,
                  k.Value<VelmoraObjectId>(ASN_TYPE_OBJECT_ID, {{8, 1}, {0, 1}}),
                  VELMORA_NO_PRIORITY};
            },
            "09 4C 2E C4 02 00 00 01 C4 00 00 00 01 2F"),
        RoundTrip<VelmoraPropertyValue>(
            "NULL at priority 16",
            [](K& k) { return VelmoraPropertyValue{85, VELMORA_NO_INDEX, k.Null(), 16}; },
            "09 55 2E 00 2F 39 10")}},
      {ASN_TYPE_RECIPIENT,
       {Of("device", DeviceRecipient(1), "0C 02 00 00 01"),
        Of("address", AddressRecipient(kBoiler), "1E 21 00 61 0A 1F")}},
      {ASN_TYPE_SETPOINT_REF,
       {Of("present", VelmoraSetpointRef{1, Ref(2, 3, 85)}, "0E 0C 00 80 00 03 19 55 0F"),
        Of("with index", VelmoraSetpointRef{1, Ref(2, 3, 87, 4)}),
        Of("absent", VelmoraSetpointRef{0, {}}, "", false)}},
      {ASN_TYPE_DESTINATION,
       {Of("every day, device 1",
           VelmoraDestination{Bits({1, 1, 1, 1, 1, 1, 1}), {0, 0, 0, 0}, {23, 59, 59, 99},
                              DeviceRecipient(1), 1, 1, Bits({1, 1, 1})},
           kDestinationHex),
        Of("weekdays, an address",
           VelmoraDestination{Bits({1, 1, 1, 1, 1, 0, 0}), {8, 0, 0, 0}, {18, 0, 0, 0},
                              AddressRecipient(kSite), 77, 0, Bits({1, 0, 1})})}},
      {ASN_TYPE_DAILY_SCHEDULE,
       {Of("no values", VelmoraDailySchedule{nullptr, 0}, "0E 0F"),
        RoundTrip<VelmoraDailySchedule>(
            "one value",
            [](K& k) {
              return VelmoraDailySchedule{
                  k.Array({At(8, 0, k.Value<float>(ASN_TYPE_REAL, {21.5f}))}), 1};
            },
            "0E B4 08 00 00 00 44 41 AC 00 00 0F"),
        RoundTrip<VelmoraDailySchedule>("a working day", [](K& k) {
          return VelmoraDailySchedule{k.Array({At(7, 0, k.Value<uint32_t>(9, {1})),
                                               At(12, 0, k.Value<uint32_t>(9, {0})),
                                               At(13, 0, k.Value<uint32_t>(9, {1})),
                                               At(18, 0, k.Null())}),
                                      4};
        })}},
      {ASN_TYPE_TIME_STAMP,
       {Of("time", StampTime({8, 0, 0, 0}), "0C 08 00 00 00"),
        Of("sequence 65535", StampSequence(65535), "1A FF FF"),
        Of("date-time", StampDateTime(kMorning), "2E A4 7C 05 11 05 B4 06 1E 00 00 2F")}},
      {ASN_TYPE_PROPERTY_REF,
       {Of("present value", VelmoraPropRef{85, VELMORA_NO_INDEX}, "09 55"),
        Of("slot 16", VelmoraPropRef{87, 16}, "09 57 19 10")}},
      {ASN_TYPE_ADDRESS_BINDING,
       {Of("device 1", VelmoraAddressBinding{{8, 1}, Local({0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0})},
           kAddressBindingHex),
        Of("remote device", VelmoraAddressBinding{{8, 4194302}, kSite})}},
      {ASN_TYPE_DEV_OBJ_PROP_VALUE,
       {RoundTrip<VelmoraDevObjPropValue>(
            "present value",
            [](K& k) {
              return VelmoraDevObjPropValue{{8, 1}, {0, 1}, 85, VELMORA_NO_INDEX,
                                            k.Value<float>(ASN_TYPE_REAL, {21.5f})};
            },
            "0C 02 00 00 01 1C 00 00 00 01 29 55 4E 44 41 AC 00 00 4F"),
        RoundTrip<VelmoraDevObjPropValue>("object list element", [](K& k) {
          return VelmoraDevObjPropValue{{8, 1}, {8, 1}, 76, 2,
                                        k.Value<VelmoraObjectId>(ASN_TYPE_OBJECT_ID, {{0, 1}})};
        })}},
      {ASN_TYPE_ACCUMULATOR_RECORD,
       {Of("pulses", VelmoraAccumulatorRecord{kMorning, 100, 2000, 1},
           "0E A4 7C 05 11 05 B4 06 1E 00 00 0F 19 64 2A 07 D0 39 01"),
        Of("no counts, unspecified time",
           VelmoraAccumulatorRecord{{kAnyDate, kAnyTime}, 0, 0, 0},
           "0E A4 FF FF FF FF B4 FF FF FF FF 0F 19 00 29 00 39 00"),
        Of("largest counts, failed", VelmoraAccumulatorRecord{kMorning, 0xFFFFFFFF, 0xFFFFFFFF, 4},
           "0E A4 7C 05 11 05 B4 06 1E 00 00 0F 1C FF FF FF FF 2C FF FF FF FF 39 04")}},
      {ASN_TYPE_PRESCALE,
       {Of("1 in 100", VelmoraPrescale{1, 100}, "09 01 19 64"),
        Of("zeros", VelmoraPrescale{0, 0}, "09 00 19 00"),
        Of("largest", VelmoraPrescale{0xFFFFFFFF, 0xFFFFFFFF}, "0C FF FF FF FF 1C FF FF FF FF"),
        Of("256 in 65536", VelmoraPrescale{256, 65536}, "0A 01 00 1B 01 00 00")}},
      {ASN_TYPE_SCALE,
       {RoundTrip<VelmoraScale>(
            "REAL",
            [](K&) {
              VelmoraScale s{};
              VelmoraScaleSetFloat(&s, 2.5f);
              return s;
            },
            "0C 40 20 00 00"),
        RoundTrip<VelmoraScale>(
            "INTEGER",
            [](K&) {
              VelmoraScale s{};
              VelmoraScaleSetInteger(&s, -3);
              return s;
            },
            "19 FD")}},
      {ASN_TYPE_SHED_LEVEL,
       {Of("percent", VelmoraShedLevel{0, {50}}, "09 32"),
        Of("level", VelmoraShedLevel{1, {2}}, "19 02"),
        RoundTrip<VelmoraShedLevel>(
            "amount",
            [](K&) {
              VelmoraShedLevel s{};
              VelmoraShedLevelSetAmount(&s, 1.5f);
              return s;
            },
            "2C 3F C0 00 00")}},
      {ASN_TYPE_VT_SESSION,
       {Of("sessions 1 and 2", VelmoraVtSession{1, 2, kBoiler}, "21 01 21 02 21 00 61 0A"),
        Of("sessions 0 and 255, local broadcast", VelmoraVtSession{0, 255, Local({})},
           "21 00 21 FF 21 00 60"),
        Of("sessions 255 and 0, remote", VelmoraVtSession{255, 0, kSite},
           "21 FF 21 00 21 05 65 06 C0 A8 00 01 BA C0"),
        Of("global broadcast", VelmoraVtSession{7, 8, Remote(0xFFFF, {})},
           "21 07 21 08 22 FF FF 60")}},
      {ASN_TYPE_SESSION_KEY,
       {Of("key", VelmoraSessionKey{{1, 2, 3, 4, 5, 6, 7, 8}, kSite},
           "65 08 01 02 03 04 05 06 07 08 21 05 65 06 C0 A8 00 01 BA C0"),
        Of("zero key, local broadcast", VelmoraSessionKey{{}, Local({})},
           "65 08 00 00 00 00 00 00 00 00 21 00 60"),
        Of("all ones, seven-octet MAC",
           VelmoraSessionKey{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                             Local({1, 2, 3, 4, 5, 6, 7})},
           "65 08 FF FF FF FF FF FF FF FF 21 00 65 07 01 02 03 04 05 06 07"),
        Of("global broadcast", VelmoraSessionKey{{8, 7, 6, 5, 4, 3, 2, 1}, Remote(0xFFFF, {})},
           "65 08 08 07 06 05 04 03 02 01 22 FF FF 60")}},
      // Logs, commands, subscriptions and read access.
      {ASN_TYPE_PROPERTY_STATES,
       {Of("boolean", States(0, 1), "09 01"), Of("binary value", States(1, 1), "19 01"),
        Of("unsigned 300", States(11, 300), "BA 01 2C"),
        Of("door alarm state, extended tag", States(15, 2), "F9 0F 02")}},
      {ASN_TYPE_DEV_OBJ_PROP_REF,
       {Of("present value", VelmoraDevObjPropRef{{0, 1}, 85, VELMORA_NO_INDEX, 0, {}},
           "0C 00 00 00 01 19 55"),
        Of("index and device", VelmoraDevObjPropRef{{0, 1}, 85, 3, 1, {8, 1234}},
           "0C 00 00 00 01 19 55 29 03 3C 02 00 04 D2")}},
      {ASN_TYPE_CLIENT_COV,
       {Of("0.5", VelmoraClientCov{ASN_TYPE_REAL, 0.5f}, "44 3F 00 00 00"),
        Of("default", VelmoraClientCov{ASN_TYPE_NULL, 0.0f}, "00")}},
      {ASN_TYPE_LOG_RECORD,
       {Log("log status", 0, LOG_STAMP "1E 0A 05 80 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.log_status = Bits({1, 0, 0}); }),
        Log("boolean", 1, LOG_STAMP "1E 19 01 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.boolean = 1; }),
        Log("real, status flags", 2, LOG_STAMP "1E 2C 41 B4 00 00 1F 2A 04 20",
            [](K&, VelmoraLogRecord& r) {
              r.datum.real = 22.5f;
              r.has_status_flags = 1;
              r.status_flags = Bits({0, 0, 1, 0});
            }),
        Log("enumerated", 3, LOG_STAMP "1E 39 01 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.enumerated = 1; }),
        Log("unsigned", 4, LOG_STAMP "1E 4B 01 11 70 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.unsigned_value = 70000; }),
        Log("signed", 5, LOG_STAMP "1E 59 FE 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.signed_value = -2; }),
        Log("bit string", 6, LOG_STAMP "1E 6A 04 60 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.bit_string = Bits({0, 1, 1, 0}); }),
        Log("null", 7, LOG_STAMP "1E 78 1F", [](K&, VelmoraLogRecord&) {}),
        Log("failure", 8, LOG_STAMP "1E 8E 91 02 91 20 8F 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.failure = {2, 32}; }),
        Log("time change", 9, LOG_STAMP "1E 9C BF C0 00 00 1F",
            [](K&, VelmoraLogRecord& r) { r.datum.time_change = -1.5f; }),
        Log("any value", 10, LOG_STAMP "1E AE 21 05 AF 1F",
            [](K& k, VelmoraLogRecord& r) { r.datum.any_value = k.Value<uint32_t>(2, {5}); }),
        Log("any text", 10, LOG_STAMP "1E AE 74 00 6F 66 66 AF 1F",
            [](K& k, VelmoraLogRecord& r) {
              r.datum.any_value = k.Text(ASN_TYPE_TEXT_ANSI, {'o', 'f', 'f', 0});
            })}},
      {ASN_TYPE_ACTION_LIST,
       {Of("no commands", VelmoraActionList{nullptr, 0}, "0E 0F"),
        RoundTrip<VelmoraActionList>(
            "three commands",
            [](K& k) {
              return VelmoraActionList{k.Array({CommandA(k), CommandB(k), CommandC(k)}), 3};
            },
            "0E " COMMAND_A " " COMMAND_B " " COMMAND_C " 0F")}},
      {ASN_TYPE_READ_ACCESS_SPEC,
       {RoundTrip<VelmoraReadAccessSpec>(
            "three references",
            [](K& k) {
              return VelmoraReadAccessSpec{
                  {0, 1}, 3, k.Array<VelmoraPropRef>({{85, VELMORA_NO_INDEX},
                                                      {111, VELMORA_NO_INDEX},
                                                      {87, 8}})};
            },
            "0C 00 00 00 01 1E 09 55 09 6F 09 57 19 08 1F"),
        Of("no references", VelmoraReadAccessSpec{{0, 1}, 0, nullptr}, "0C 00 00 00 01 1E 1F",
           false)}},
      {ASN_TYPE_READ_ACCESS_RESULT,
       {RoundTrip<VelmoraReadAccessResult>(
            "values and an error",
            [](K& k) {
              VelmoraBitString flags = Bits({0, 0, 0, 0});
              return VelmoraReadAccessResult{
                  {0, 1},
                  3,
                  k.Array({Read(85, VELMORA_NO_INDEX, k.Value<float>(ASN_TYPE_REAL, {21.5f})),
                           Read(111, VELMORA_NO_INDEX, k.Value(ASN_TYPE_BIT_STRING, {flags})),
                           Failed(3999, 2, 32)})};
            },
            "0C 00 00 00 01 1E 29 55 4E 44 41 AC 00 00 4F 29 6F 4E 82 04 00 4F 2A 0F 9F 5E 91 02 "
            "91 20 5F 1F"),
        RoundTrip<VelmoraReadAccessResult>(
            "an object list element",
            [](K& k) {
              return VelmoraReadAccessResult{
                  {8, 1}, 1, k.Array({Read(76, 1, k.Value<VelmoraObjectId>(12, {{8, 1}}))})};
            },
            "0C 02 00 00 01 1E 29 4C 39 01 4E C4 02 00 00 01 4F 1F"),
        Of("no list", VelmoraReadAccessResult{{0, 1}, 0, nullptr}, "0C 00 00 00 01"),
        RoundTrip<VelmoraReadAccessResult>(
            "an empty list",
            [](K& k) { return VelmoraReadAccessResult{{0, 1}, 0, k.Add(Failed(0, 0, 0))}; },
            "0C 00 00 00 01 1E 1F")}},
      {ASN_TYPE_COV_SUBSCRIPTION,
       {Of("of a device", Subscription(DeviceRecipient(9), 0, 0),
           "0E 0E 0C 02 00 00 09 0F 19 07 0F 1E 0C 00 00 00 01 19 55 1F 29 01 3A 01 2C"),
        Of("of an address, with increment",
           Subscription(AddressRecipient(Remote(5, {0x0A})), VELMORA_COV_HAS_INCREMENT, 1.0f),
           "0E 0E 1E 21 05 61 0A 1F 0F 19 07 0F 1E 0C 00 00 00 01 19 55 1F 29 00 39 3C 4C 3F 80 "
           "00 00")}},
      {ASN_TYPE_DEV_OBJ_REF,
       {Of("object", VelmoraDevObjRef{{0, 1}, 0, {}}, "1C 00 00 00 01"),
        Of("on a device", VelmoraDevObjRef{{0, 1}, 1, {8, 5}}, "0C 02 00 00 05 1C 00 00 00 01")}},
      {ASN_TYPE_ACTION_COMMAND,
       {RoundTrip<VelmoraActionCommand>("priority 16", CommandA, COMMAND_A),
        RoundTrip<VelmoraActionCommand>("device and post delay", CommandB, COMMAND_B),
        RoundTrip<VelmoraActionCommand>("array index, text value", CommandC, COMMAND_C)}},
      {ASN_TYPE_LOG_MULTIPLE_RECORD,
       {RoundTrip<VelmoraLogMultipleRecord>(
            "log status",
            [](K&) {
              VelmoraLogMultipleRecord r = Multiple(0);
              r.value.log_status = Bits({1, 0, 0});
              return r;
            },
            LOG_STAMP "1E 0A 05 80 1F"),
        RoundTrip<VelmoraLogMultipleRecord>(
            "time change",
            [](K&) {
              VelmoraLogMultipleRecord r = Multiple(2);
              r.value.time_change = 1.0f;
              return r;
            },
            LOG_STAMP "1E 2C 3F 80 00 00 1F"),
        RoundTrip<VelmoraLogMultipleRecord>(
            "every datum",
            [](K& k) {
              VelmoraLogDatum d[9] = {};
              VelmoraLogDatumInitBoolean(&d[0], 1);
              VelmoraLogDatumInitReal(&d[1], 22.5f);
              VelmoraLogDatumInitEnumerated(&d[2], 3);
              VelmoraLogDatumInitUnsigned(&d[3], 5);
              VelmoraLogDatumInitSigned(&d[4], -2);
              VelmoraBitString bits = Bits({0, 1, 1, 0});
              VelmoraLogDatumInitBitString(&d[5], &bits);
              d[6].choice = 6;
              VelmoraError failure = {2, 32};
              VelmoraLogDatumInitFailure(&d[7], &failure);
              VelmoraAnyValue any = k.Value<uint32_t>(2, {5});
              VelmoraLogDatumInitAnyValue(&d[8], &any);
              VelmoraLogMultipleRecord r = Multiple(1);
              r.value.log_data = {9, k.Array({d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8]})};
              return r;
            },
            LOG_STAMP
            "1E 1E 09 01 1C 41 B4 00 00 29 03 39 05 49 FE 5A 04 60 68 7E 91 02 91 20 7F 8E 21 05 "
            "8F 1F 1F"),
        Of("no data", Multiple(1), LOG_STAMP "1E 1E 1F 1F")}},
      // Event parameters and event log records.
      EventParameterRoundTrips(),
      EventLogRecordRoundTrips(),
  };
  return kCodes;
}

TEST(CodecRoundTrip, EveryRowWithACodecHasValues) {
  std::set<int32_t> listed;
  for (const RoundTripCode& c : Codes()) {
    EXPECT_TRUE(listed.insert(c.code).second) << c.code << " listed twice";
    EXPECT_FALSE(c.values.empty()) << c.code;
  }
  for (const AsnDatatype& row : AsnDatatypeRows())
    if (row.decode && row.encode) {
      EXPECT_TRUE(listed.count(row.code)) << row.code;
    }
}

TEST(CodecRoundTrip, EachValue) {
  for (const RoundTripCode& c : Codes())
    for (const RoundTripValue& v : c.values)
      ExpectRoundTrip(c.code, v);
}

// The primitive decoders trust their element (the checker bounds it); the
// constructed ones bound every read themselves.
TEST(CodecRoundTrip, CutShortStaysInside) {
  for (const RoundTripCode& c : Codes()) {
    if (c.code < ASN_TYPE_PRIORITY_VALUE || c.code == ASN_TYPE_WEEK_N_DAY) continue;
    for (const RoundTripValue& v : c.values)
      ExpectCutShortStaysInside(c.code, v);
  }
}

TEST(CodecRoundTrip, ListsOfNoneOneAndMany) {
  for (const RoundTripCode& c : Codes()) {
    std::vector<const RoundTripValue*> all;
    for (const RoundTripValue& v : c.values)
      if (v.listable) all.push_back(&v);
    ExpectListRoundTrip(c.code, {});
    if (all.empty()) continue;
    ExpectListRoundTrip(c.code, {all.front()});
    all.push_back(all.front());  // many: every value, the first twice
    ExpectListRoundTrip(c.code, all);
  }
}

}  // namespace
