// The notation of the constructed records: references, property values,
// read-access records, schedules, commands, recipients, destinations,
// subscriptions and the small choices; every example into every room with
// a canary behind it, records the writer cannot read, and the records
// reached through the value writer.
#include "tests/text/support/property_query.h"
#include "text/value_text_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_datatype_code.h"
#include "tests/text/support/text_examples.h"
#include "text/enum_names.h"
#include "text/value_format.h"

namespace {

using Example = TextExample;

constexpr uint32_t kAnalogInput = 0, kAnalogValue = 2, kBinaryInput = 3, kBinaryOutput = 4;
constexpr uint32_t kCalendar = 6, kDevice = 8;
constexpr uint32_t kObjectList = 76, kObjectName = 77, kPresentValue = 85, kPriorityArray = 87;
constexpr uint32_t kProprietaryProperty = 600;

template <class Record, class Fn>
TextWriter Plain(Record r, Fn fn) {
  return [r, fn](char* d, uint32_t room) { return fn(d, room, &r); };
}

template <class Record, class Fn>
TextWriter Numbered(Record r, Fn fn, uint8_t show = 0) {
  return [r, fn, show](char* d, uint32_t room) { return fn(d, room, &r, show); };
}

// Values nested in records, over storage that outlives every example.
float gReal = 21.5f;
float gOne = 1.0f;
uint32_t gActive = 1;

VelmoraAnyValue RealValue() { return {ASN_TYPE_REAL, &gReal, sizeof gReal, 1}; }
VelmoraAnyValue OneValue() { return {ASN_TYPE_REAL, &gOne, sizeof gOne, 1}; }
VelmoraAnyValue ActiveValue() { return {ASN_TYPE_ENUMERATED, &gActive, sizeof gActive, 1}; }
VelmoraAnyValue NullValue() { return {ASN_TYPE_NULL, nullptr, 0, 1}; }

const VelmoraObjectId kAnalogValue3{kAnalogValue, 3};
const VelmoraObjectId kAnalogInput1{kAnalogInput, 1};
const VelmoraObjectId kBinaryOutput1{kBinaryOutput, 1};
const VelmoraObjectId kDevice7{kDevice, 7};
const VelmoraAddress kAddress{1, 5, {0x0a}, 1};
const VelmoraDate kFriday{2013, 10, 25, 5};
const VelmoraDate kAnyDate{0xFFFF, 13, 32, 0};
const VelmoraTime kTime{14, 5, 9, 0};
const VelmoraDateTime kDateTime{kFriday, kTime};
const std::string kDateTimeText = "{(Friday,25-October-2013),14:05:09.00}";

VelmoraTimeValue gTimeValues[2] = {{{6, 0, 0, 0}, RealValue()}, {{22, 0, 0, 0}, NullValue()}};
VelmoraPropRef gPropRefs[2] = {{kPresentValue, VELMORA_NO_INDEX}, {kPriorityArray, 16}};

VelmoraReadResult Result(uint32_t property, uint32_t index, bool success) {
  VelmoraReadResult r{};
  r.property = property;
  r.array_index = index;
  r.success = success;
  r.value = RealValue();
  r.error = {2, 32};
  return r;
}
VelmoraReadResult gResults[2] = {Result(kPresentValue, VELMORA_NO_INDEX, true),
                                 Result(kObjectName, VELMORA_NO_INDEX, false)};

VelmoraActionCommand Command(uint32_t property, VelmoraAnyValue value) {
  VelmoraActionCommand c{};
  c.object_id = kBinaryOutput1;
  c.property = property;
  c.array_index = VELMORA_NO_INDEX;
  c.value = value;
  c.priority = VELMORA_NO_PRIORITY;
  return c;
}

VelmoraActionCommand FullCommand() {
  VelmoraActionCommand c = Command(kPresentValue, ActiveValue());
  c.flags = VELMORA_ACTION_HAS_DEVICE | VELMORA_ACTION_HAS_POST_DELAY;
  c.device_id = kDevice7;
  c.array_index = 2;
  c.priority = 8;
  c.post_delay = 30;
  c.quit_on_failure = 1;
  c.write_successful = 1;
  return c;
}
VelmoraActionCommand gCommands[2] = {Command(kPresentValue, ActiveValue()), FullCommand()};

VelmoraDevObjPropRef DevRef(uint32_t index, bool device) {
  return {kAnalogInput1, kPresentValue, index, uint8_t(device), kDevice7};
}

VelmoraPropertyStates States(uint32_t choice, uint32_t value) {
  VelmoraPropertyStates s{};
  s.choice = choice;
  s.value.enumerated = value;
  return s;
}

VelmoraTimeStamp SequenceStamp(uint32_t choice, uint32_t sequence) {
  VelmoraTimeStamp t{};
  t.choice = choice;
  t.value.sequence_number = sequence;
  return t;
}

VelmoraCalendarEntry Entry(uint32_t choice) {
  VelmoraCalendarEntry e{};
  e.choice = choice;
  if (choice == 0) e.value.date = kFriday;
  if (choice == 1) e.value.date_range = {kFriday, kAnyDate};
  if (choice == 2) e.value.week_n_day = {12, 1, 0};
  return e;
}

VelmoraSpecialEvent Event(uint32_t choice, VelmoraTimeValue* values, uint32_t count) {
  VelmoraSpecialEvent e{};
  e.period_choice = choice;
  if (choice == 0) e.period.calendar_entry = Entry(0);
  if (choice == 1) e.period.calendar_ref = {kCalendar, 2};
  e.time_values = values;
  e.count = count;
  e.priority = 16;
  return e;
}

VelmoraRecipient Recipient(uint32_t choice) {
  VelmoraRecipient r{};
  r.choice = choice;
  if (choice == VELMORA_RECIPIENT_ADDRESS)
    r.address = kAddress;
  else
    r.device = kDevice7;
  return r;
}

VelmoraDestination Destination() {
  return {Bits("1111100"), {0, 0, 0, 0}, {23, 59, 59, 99}, Recipient(0), 1, 1, Bits("110")};
}

VelmoraCovSubscription Subscription(bool increment) {
  return {increment ? VELMORA_COV_HAS_INCREMENT : 0u,
          {Recipient(0), 1},
          {kAnalogInput1, kPresentValue, VELMORA_NO_INDEX},
          1,
          300,
          0.5f};
}

VelmoraPriorityValue Priority(uint32_t type, uint32_t value) {
  VelmoraPriorityValue p{};
  p.type = type;
  p.value.u = value;
  return p;
}

// A slot of a binary object's priority array.
TextWriter PriorityText(VelmoraPriorityValue p, uint8_t show) {
  return [p, show](char* d, uint32_t room) {
    return VelmoraPriorityValueToString(d, room, &p, VELMORA_ENUM_BINARY_PV, show);
  };
}

std::vector<Example> Examples() {
  const VelmoraObjPropRef ref{kAnalogValue3, kPresentValue, VELMORA_NO_INDEX};
  const VelmoraObjPropRef indexed{kAnalogValue3, kPresentValue, 2};
  VelmoraPriorityValue real = Priority(ASN_TYPE_REAL, 0);
  real.value.real = 1.5f;
  VelmoraScale scaleReal{ASN_TYPE_REAL, {}};
  scaleReal.value.real = 1.5f;
  VelmoraScale scaleInteger{ASN_TYPE_SIGNED, {}};
  scaleInteger.value.integer = -2;
  VelmoraShedLevel amount{2, {}};
  amount.value.amount = 1.5f;
  VelmoraTimeStamp timeStamp{};
  timeStamp.value.time = kTime;
  VelmoraTimeStamp dateTimeStamp{2, {}};
  dateTimeStamp.value.date_time = kDateTime;
  VelmoraSessionKey key{{1, 2, 3, 4, 5, 6, 7, 8}, kAddress};

  return {
      // References.
      {"reference", Numbered(ref, VelmoraObjPropRefToString), "{(analog-value,3),present-value}"},
      {"reference with index", Numbered(indexed, VelmoraObjPropRefToString),
       "{(analog-value,3),present-value,2}"},
      {"reference numbered", Numbered(ref, VelmoraObjPropRefToString, 1),
       "{(analog-value,3),present-value (85)}"},
      {"device reference without index",
       Numbered(DevRef(VELMORA_NO_INDEX, true), VelmoraDevObjPropRefToString),
       "{(analog-input,1),present-value,,(device,7)}"},
      {"device reference with index", Numbered(DevRef(4, true), VelmoraDevObjPropRefToString),
       "{(analog-input,1),present-value,4,(device,7)}"},
      {"device reference without device",
       Numbered(DevRef(VELMORA_NO_INDEX, false), VelmoraDevObjPropRefToString),
       "{(analog-input,1),present-value}"},
      {"object reference without device",
       Plain(VelmoraDevObjRef{kAnalogInput1, 0, kDevice7}, VelmoraDevObjRefToString),
       "{,(analog-input,1)}"},
      {"object reference with device",
       Plain(VelmoraDevObjRef{kAnalogInput1, 1, kDevice7}, VelmoraDevObjRefToString),
       "{(device,7),(analog-input,1)}"},
      {"property reference", Numbered(gPropRefs[1], VelmoraPropRefToString), "{priority-array,16}"},
      {"setpoint reference empty", Numbered(VelmoraSetpointRef{0, ref}, VelmoraSetpointRefToString),
       "{}"},
      {"setpoint reference", Numbered(VelmoraSetpointRef{1, ref}, VelmoraSetpointRefToString),
       "{{(analog-value,3),present-value}}"},
      {"address binding",
       Plain(VelmoraAddressBinding{kDevice7, kAddress}, VelmoraAddressBindingToString),
       "((device,7),{5,X'0a'})"},

      // Property values and read access.
      {"proprietary property value",
       Numbered(VelmoraPropertyValue{kProprietaryProperty, VELMORA_NO_INDEX, OneValue(),
                                     VELMORA_NO_PRIORITY},
                VelmoraPropertyValueToString),
       "{proprietary-property-600,1.0}"},
      {"property value with index and priority",
       Numbered(VelmoraPropertyValue{kPresentValue, 2, RealValue(), 8},
                VelmoraPropertyValueToString),
       "{present-value,2,21.5,8}"},
      {"device property value",
       Numbered(
           VelmoraDevObjPropValue{
               kDevice7, {kBinaryInput, 1}, kPresentValue, VELMORA_NO_INDEX, ActiveValue()},
           VelmoraDevObjPropValueToString),
       "{(device,7),(binary-input,1),present-value,active}"},
      {"read result value",
       [](char* d, uint32_t r) {
         return VelmoraReadResultToString(d, r, &gResults[0], kAnalogInput, 0);
       },
       "{present-value,[4]21.5}"},
      {"read result error",
       [](char* d, uint32_t r) {
         return VelmoraReadResultToString(d, r, &gResults[1], kAnalogInput, 0);
       },
       "{object-name,[5]{Property,Unknown-property}}"},
      {"read result with index",
       [](char* d, uint32_t r) {
         VelmoraReadResult result = Result(kPriorityArray, 3, true);
         return VelmoraReadResultToString(d, r, &result, kAnalogInput, 1);
       },
       "{priority-array,3,[4]21.5}"},
      {"read access result",
       Numbered(VelmoraReadAccessResult{kAnalogInput1, 2, gResults},
                VelmoraReadAccessResultToString),
       "{(analog-input,1),({present-value,[4]21.5},{object-name,[5]{Property,Unknown-property}})}"},
      {"read access result without results",
       Numbered(VelmoraReadAccessResult{kAnalogInput1, 0, nullptr},
                VelmoraReadAccessResultToString),
       "{(analog-input,1)}"},
      {"read access result with an empty list",
       Numbered(VelmoraReadAccessResult{kAnalogInput1, 0, gResults},
                VelmoraReadAccessResultToString),
       "{(analog-input,1),()}"},
      {"read access specification",
       Numbered(VelmoraReadAccessSpec{kAnalogInput1, 2, gPropRefs}, VelmoraReadAccessSpecToString),
       "{(analog-input,1),({present-value},{priority-array,16})}"},
      {"read access specification numbered",
       Numbered(VelmoraReadAccessSpec{kAnalogInput1, 1, gPropRefs}, VelmoraReadAccessSpecToString,
                1),
       "{(analog-input,1),({present-value (85)})}"},
      {"error", Plain(VelmoraError{2, 32}, VelmoraErrorToString), "{Property,Unknown-property}"},

      // Schedules and commands.
      {"date range", Plain(VelmoraDateRange{kFriday, kAnyDate}, VelmoraDateRangeToString),
       "{(Friday,25-October-2013),(*,last-day-of-month-odd-months-*)}"},
      {"calendar date", Plain(Entry(0), VelmoraCalendarEntryToString),
       "[0] (Friday,25-October-2013)"},
      {"calendar range", Plain(Entry(1), VelmoraCalendarEntryToString),
       "[1] {(Friday,25-October-2013),(*,last-day-of-month-odd-months-*)}"},
      {"calendar week-n-day", Plain(Entry(2), VelmoraCalendarEntryToString), "[2] X'0c01ff'"},
      {"calendar unknown", Plain(Entry(5), VelmoraCalendarEntryToString), "[5] ?"},
      {"time value", Numbered(gTimeValues[0], VelmoraTimeValueToString), "{06:00:00.00,21.5}"},
      {"daily schedule",
       Numbered(VelmoraDailySchedule{gTimeValues, 2}, VelmoraDailyScheduleToString),
       "({06:00:00.00,21.5},{22:00:00.00,NULL})"},
      {"empty daily schedule",
       Numbered(VelmoraDailySchedule{nullptr, 0}, VelmoraDailyScheduleToString), "()"},
      {"special event on a date", Numbered(Event(0, gTimeValues, 1), VelmoraSpecialEventToString),
       "{[0] [0] (Friday,25-October-2013),{{06:00:00.00,21.5}},16}"},
      {"special event of a calendar", Numbered(Event(1, nullptr, 0), VelmoraSpecialEventToString),
       "{[1] (calendar,2),{},16}"},
      {"special event unknown period", Numbered(Event(4, nullptr, 0), VelmoraSpecialEventToString),
       "{[4] ?,{},16}"},
      {"action command without options",
       Numbered(Command(kPresentValue, ActiveValue()), VelmoraActionCommandToString),
       "{,(binary-output,1),present-value,,active,,,F,F}"},
      {"action command", Numbered(FullCommand(), VelmoraActionCommandToString),
       "{(device,7),(binary-output,1),present-value,2,active,8,30,T,T}"},
      {"action command of a proprietary property",
       Numbered(Command(kProprietaryProperty, OneValue()), VelmoraActionCommandToString, 1),
       "{,(binary-output,1),proprietary-property,,1.0,,,F,F}"},
      {"action list", Numbered(VelmoraActionList{gCommands, 2}, VelmoraActionListToString),
       "({,(binary-output,1),present-value,,active,,,F,F},"
       "{(device,7),(binary-output,1),present-value,2,active,8,30,T,T})"},

      // Recipients, destinations and subscriptions.
      {"recipient device", Plain(Recipient(0), VelmoraRecipientToString), "[0] (device,7)"},
      {"recipient address", Plain(Recipient(1), VelmoraRecipientToString), "[1] {5,X'0a'}"},
      {"recipient unknown", Plain(Recipient(3), VelmoraRecipientToString), "[3] ?"},
      {"destination", Numbered(Destination(), VelmoraDestinationToString),
       "{(T,T,T,T,T,F,F),00:00:00.00,23:59:59.99,[0] (device,7),1,T,(T,T,F)}"},
      {"destination numbered", Numbered(Destination(), VelmoraDestinationToString, 1),
       "{(T,T,T,T,T,F,F) (Monday|Tuesday|Wednesday|Thursday|Friday),00:00:00.00,23:59:59.99,"
       "[0] (device,7),1,T,(T,T,F) (to-offnormal|to-fault)}"},
      {"subscription", Numbered(Subscription(true), VelmoraCovSubscriptionToString),
       "{{[0] (device,7),1},{(analog-input,1),present-value},T,300,0.5}"},
      {"subscription without increment",
       Numbered(Subscription(false), VelmoraCovSubscriptionToString),
       "{{[0] (device,7),1},{(analog-input,1),present-value},T,300}"},

      // Choices and small records.
      {"states boolean", Numbered(States(0, 1), VelmoraPropertyStatesToString), "[0] T"},
      {"states binary", Numbered(States(1, 1), VelmoraPropertyStatesToString), "[1] active"},
      {"states binary numbered", Numbered(States(1, 1), VelmoraPropertyStatesToString, 1),
       "[1] active (1)"},
      {"states event type", Numbered(States(2, 5), VelmoraPropertyStatesToString),
       "[2] out-of-range"},
      {"states unsigned", Numbered(States(11, 300), VelmoraPropertyStatesToString), "[11] 300"},
      {"states door alarm", Numbered(States(15, 3), VelmoraPropertyStatesToString),
       "[15] forced-open"},
      {"states unknown choice", Numbered(States(99, 5), VelmoraPropertyStatesToString), "[99] 5"},
      {"stamp time", Plain(timeStamp, VelmoraTimeStampToString), "[0] 14:05:09.00"},
      {"stamp sequence", Plain(SequenceStamp(1, 42), VelmoraTimeStampToString), "[1] 42"},
      {"stamp date-time", Plain(dateTimeStamp, VelmoraTimeStampToString), "[2] " + kDateTimeText},
      {"stamp unknown", Plain(SequenceStamp(7, 42), VelmoraTimeStampToString), "[7] ?"},
      {"priority null", PriorityText(Priority(ASN_TYPE_NULL, 0), 0), "NULL"},
      {"priority unsigned", PriorityText(Priority(ASN_TYPE_UNSIGNED, 7), 0), "7"},
      {"priority real", PriorityText(real, 0), "1.5"},
      {"priority enumerated", PriorityText(Priority(ASN_TYPE_ENUMERATED, 1), 1), "active (1)"},
      {"priority other", PriorityText(Priority(ASN_TYPE_SIGNED, 1), 0), "?"},
      {"client cov", Plain(VelmoraClientCov{ASN_TYPE_REAL, 0.5f}, VelmoraClientCovToString), "0.5"},
      {"client cov default", Plain(VelmoraClientCov{ASN_TYPE_NULL, 0.5f}, VelmoraClientCovToString),
       "NULL"},
      {"accumulator",
       Numbered(VelmoraAccumulatorRecord{kDateTime, 100, 2000, 2}, VelmoraAccumulatorRecordToString,
                1),
       "{" + kDateTimeText + ",100,2000,recovered (2)}"},
      {"accumulator proprietary status",
       Numbered(VelmoraAccumulatorRecord{kDateTime, 0, 0, 64}, VelmoraAccumulatorRecordToString),
       "{" + kDateTimeText + ",0,0,accumulator-status-64}"},
      {"prescale", Plain(VelmoraPrescale{1, 10}, VelmoraPrescaleToString), "{1,10}"},
      {"scale real", Plain(scaleReal, VelmoraScaleToString), "[0] 1.5"},
      {"scale integer", Plain(scaleInteger, VelmoraScaleToString), "[1] -2"},
      {"scale unknown", Plain(VelmoraScale{99, {}}, VelmoraScaleToString), "?"},
      {"shed percent", Plain(VelmoraShedLevel{0, {50}}, VelmoraShedLevelToString), "[0] 50"},
      {"shed level", Plain(VelmoraShedLevel{1, {3}}, VelmoraShedLevelToString), "[1] 3"},
      {"shed amount", Plain(amount, VelmoraShedLevelToString), "[2] 1.5"},
      {"shed unknown", Plain(VelmoraShedLevel{3, {3}}, VelmoraShedLevelToString), "[3] ?"},
      {"vt session", Plain(VelmoraVtSession{1, 2, kAddress}, VelmoraVtSessionToString),
       "{1,2,{5,X'0a'}}"},
      {"session key", Plain(key, VelmoraSessionKeyToString), "{X'0102030405060708',{5,X'0a'}}"},
  };
}

TEST(RecordText, EveryExampleInEveryRoom) {
  for (const Example& e : Examples()) {
    EXPECT_EQ(WrittenText(e.write), e.text) << e.what;
    CheckRooms(e.what, e.write, e.text);
  }
}

// A list whose array is missing while its count is not, and a nested value
// that cannot be read, make the record unreadable; a record is never read
// through a null pointer.
TEST(RecordText, RecordsThatCannotBeReadGiveZero) {
  VelmoraAnyValue none{ASN_TYPE_NONE, nullptr, 0, 1};
  VelmoraAnyValue bare{ASN_TYPE_REAL, nullptr, 0, 1};
  VelmoraTimeValue noValue{kTime, none};
  VelmoraTimeValue beyond{kTime, {ASN_TYPE_REAL, &gReal, sizeof gReal, 2}};
  VelmoraPropertyValue noBuffer{kPresentValue, VELMORA_NO_INDEX, bare, VELMORA_NO_PRIORITY};
  const std::vector<Example> cases = {
      {"schedule", Numbered(VelmoraDailySchedule{nullptr, 3}, VelmoraDailyScheduleToString), ""},
      {"action list", Numbered(VelmoraActionList{nullptr, 4000000000u}, VelmoraActionListToString),
       ""},
      {"specification",
       Numbered(VelmoraReadAccessSpec{kAnalogInput1, 2, nullptr}, VelmoraReadAccessSpecToString),
       ""},
      {"special event", Numbered(Event(0, nullptr, 1), VelmoraSpecialEventToString), ""},
      {"time value without value", Numbered(noValue, VelmoraTimeValueToString), ""},
      {"property value without buffer", Numbered(noBuffer, VelmoraPropertyValueToString), ""},
      {"time value beyond its buffer", Numbered(beyond, VelmoraTimeValueToString), ""},
  };
  for (const Example& c : cases)
    EXPECT_EQ(WrittenText(c.write), "<0>") << c.what;

  char buffer[32];
  EXPECT_EQ(VelmoraObjPropRefToString(buffer, sizeof buffer, nullptr, 0), 0u);
  EXPECT_EQ(VelmoraTimeStampToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraReadResultToString(buffer, sizeof buffer, nullptr, 0, 0), 0u);
  EXPECT_EQ(VelmoraErrorToString(buffer, sizeof buffer, nullptr), 0u);
  EXPECT_EQ(VelmoraPriorityValueToString(buffer, sizeof buffer, nullptr, 6, 0), 0u);
}

// A record built by hand may hold itself; its text ends at a depth no
// BACnet value reaches instead of running the stack out, whatever the room.
TEST(RecordText, ARecordHoldingItselfEnds) {
  VelmoraPropertyValue loop{kPresentValue, VELMORA_NO_INDEX, {}, VELMORA_NO_PRIORITY};
  loop.value = {ASN_TYPE_PROPERTY_VALUE, &loop, sizeof loop, 1};
  std::vector<char> room(4 << 20);
  EXPECT_EQ(VelmoraPropertyValueToString(room.data(), uint32_t(room.size()), &loop, 0), 0u);
  VelmoraTimeValue inner{kTime, RealValue()};
  VelmoraTimeValue outer{kTime, {ASN_TYPE_TIME_VALUE, &inner, sizeof inner, 1}};
  EXPECT_EQ(WrittenText(Numbered(outer, VelmoraTimeValueToString)),
            "{14:05:09.00,{14:05:09.00,21.5}}");
}

// Every datatype code a value can hold has an element writer; none (-1)
// and any (-2) are held by no value.
TEST(RecordText, EveryDatatypeCodeHasANotation) {
  for (int32_t code = ASN_TYPE_RAW_RESERVED; code <= ASN_TYPE_LOG_MULTIPLE_RECORD; ++code) {
    bool held = code != ASN_TYPE_NONE && code != ASN_TYPE_ANY;
    EXPECT_EQ(ValueFormatDescriptorOf(code) != nullptr, held) << code;
  }
}

// Through the value writer: the records' rows, their extras, and values
// nested for the object type and property that the record names.
TEST(RecordText, RecordsThroughTheValueWriter) {
  char buffer[256];
  auto text = [&](const VelmoraAnyValue* v, uint32_t objectType, uint32_t property, uint8_t show) {
    uint32_t n = VelmoraValueToStringEx(buffer, sizeof buffer, v, objectType, property, -1, show);
    return n ? std::string(buffer, n) : std::string("<0>");
  };
  VelmoraDateRange ranges[2] = {{kFriday, kAnyDate}, {kAnyDate, kFriday}};
  VelmoraAnyValue two{ASN_TYPE_DATE_RANGE, ranges, sizeof ranges, 2};
  EXPECT_EQ(text(&two, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY, 0),
            "{{(Friday,25-October-2013),(*,last-day-of-month-odd-months-*)},"
            "{(*,last-day-of-month-odd-months-*),(Friday,25-October-2013)}}");
  // A slot of a binary output's priority array names its value as the
  // present value does.
  VelmoraPriorityValue slot = Priority(ASN_TYPE_ENUMERATED, 1);
  VelmoraAnyValue one{ASN_TYPE_PRIORITY_VALUE, &slot, sizeof slot, 1};
  EXPECT_EQ(text(&one, kBinaryOutput, kPriorityArray, 1), "active (1)");
  EXPECT_EQ(text(&one, kAnalogInput, kPriorityArray, 0), "enumeration-1");
  // The object type of a device property value selects the names of its value.
  VelmoraDevObjPropValue values[2] = {
      {kDevice7, {kBinaryInput, 1}, kPresentValue, VELMORA_NO_INDEX, ActiveValue()},
      {kDevice7, kAnalogInput1, kPresentValue, VELMORA_NO_INDEX, ActiveValue()}};
  VelmoraAnyValue pair{ASN_TYPE_DEV_OBJ_PROP_VALUE, values, sizeof values, 2};
  EXPECT_EQ(text(&pair, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY, 1),
            "{{(device,7),(binary-input,1),present-value (85),active (1)},"
            "{(device,7),(analog-input,1),present-value (85),enumeration-1 (1)}}");
  // A buffer too short for the record's element is not read.
  VelmoraAnyValue cut{ASN_TYPE_DEV_OBJ_PROP_VALUE, values, sizeof values[0] - 1, 1};
  EXPECT_EQ(text(&cut, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY, 0), "<0>");

  uint32_t n = VelmoraListToString(buffer, sizeof buffer, ASN_TYPE_TIME_VALUE, gTimeValues, 2,
                                   VELMORA_ENUM_GENERIC, 0);
  EXPECT_EQ(std::string(buffer, n), "{{06:00:00.00,21.5},{22:00:00.00,NULL}}");
}

class RecordTextStarted : public PropertyQueryOpen {};

// A nested value takes its style from the property its record names: an
// array read whole prints in braces, one element read by index bare.
TEST_F(RecordTextStarted, NestedValuesFollowThePropertyTheRecordNames) {
  VelmoraObjectId objects[1] = {kDevice7};
  VelmoraAnyValue list{ASN_TYPE_OBJECT_ID, objects, sizeof objects, 1};
  VelmoraDevObjPropValue whole{kDevice7, kDevice7, kObjectList, VELMORA_NO_INDEX, list};
  EXPECT_EQ(WrittenText(Numbered(whole, VelmoraDevObjPropValueToString)),
            "{(device,7),(device,7),object-list,{(device,7)}}");
  VelmoraDevObjPropValue element = whole;
  element.array_index = 2;
  EXPECT_EQ(WrittenText(Numbered(element, VelmoraDevObjPropValueToString)),
            "{(device,7),(device,7),object-list,2,(device,7)}");
  VelmoraPropertyValue any{kObjectList, VELMORA_NO_INDEX, list, VELMORA_NO_PRIORITY};
  EXPECT_EQ(WrittenText(Numbered(any, VelmoraPropertyValueToString)), "{object-list,{(device,7)}}");
}

// Octets as a device sends them, decoded into the value's own buffer.
TEST(RecordText, DecodedRecordsReadAsTheirOctets) {
  // Monday to Friday, all day, device 7, process 1, confirmed, every
  // transition.
  EXPECT_EQ(DecodedText(ASN_TYPE_DESTINATION,
                        {0x82, 0x01, 0xF8, 0xB4, 0x00, 0x00, 0x00, 0x00, 0xB4, 0x17, 0x3B, 0x3B,
                         0x63, 0x0C, 0x02, 0x00, 0x00, 0x07, 0x21, 0x01, 0x11, 0x82, 0x05, 0xE0}),
            "{(T,T,T,T,T,F,F),00:00:00.00,23:59:59.99,[0] (device,7),1,T,(T,T,T)}");
  // 06:00 21.0, relinquished at 22:00.
  EXPECT_EQ(
      DecodedText(ASN_TYPE_DAILY_SCHEDULE, {0x0E, 0xB4, 0x06, 0x00, 0x00, 0x00, 0x44, 0x41, 0xA8,
                                            0x00, 0x00, 0xB4, 0x16, 0x00, 0x00, 0x00, 0x00, 0x0F}),
      "({06:00:00.00,21.0},{22:00:00.00,NULL})");
  // Analog value 3's present value, array index 2.
  EXPECT_EQ(
      DecodedText(ASN_TYPE_OBJ_PROP_REF, {0x0C, 0x00, 0x80, 0x00, 0x03, 0x19, 0x55, 0x29, 0x02}),
      "{(analog-value,3),present-value,2}");
  // Binary output 1's present value made active at priority 8, the next
  // command only if this one succeeds.
  EXPECT_EQ(
      DecodedText(ASN_TYPE_ACTION_COMMAND, {0x1C, 0x01, 0x00, 0x00, 0x01, 0x29, 0x55, 0x4E, 0x91,
                                            0x01, 0x4F, 0x59, 0x08, 0x79, 0x00, 0x89, 0x01}),
      "{,(binary-output,1),present-value,,active,8,,F,T}");
  // Device 7's process 1 on analog input 1's present value, confirmed, 300 s
  // left, increment 0.5.
  EXPECT_EQ(DecodedText(ASN_TYPE_COV_SUBSCRIPTION,
                        {0x0E, 0x0E, 0x0C, 0x02, 0x00, 0x00, 0x07, 0x0F, 0x19, 0x01,
                         0x0F, 0x1E, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x19, 0x55, 0x1F,
                         0x29, 0x01, 0x3A, 0x01, 0x2C, 0x4C, 0x3F, 0x00, 0x00, 0x00}),
            "{{[0] (device,7),1},{(analog-input,1),present-value},T,300,0.5}");
}

}  // namespace
