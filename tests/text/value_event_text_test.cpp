// The notation of event parameters, notification parameters, event
// notifications, event log records, trend log records and trend-log-multiple
// records: every example into every room with a canary behind it, and the
// records the writer cannot read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype_code.h"
#include "tests/text/support/text_examples.h"
#include "text/value_text_records.h"

namespace {

using Example = TextExample;

template <class Record, class Fn>
TextWriter Of(Record r, Fn fn, uint8_t show = 0) {
  return [r, fn, show](char* d, uint32_t room) { return fn(d, room, &r, show); };
}

constexpr uint32_t kAnalogInput = 0, kBinaryInput = 3, kBinaryOutput = 4, kDevice = 8;
constexpr uint32_t kTrendLog = 20, kLifeSafetyPoint = 21;
constexpr uint32_t kPresentValue = 85, kLogBuffer = 131, kMode = 160;

const VelmoraObjectId kDevice7{kDevice, 7};
const VelmoraDateTime kDateTime{{2013, 10, 25, 5}, {14, 5, 9, 0}};
const std::string kStamp = "{(Friday,25-October-2013),14:05:09.00}";
const VelmoraDevObjPropRef kFeedback{{kBinaryOutput, 1}, kPresentValue, VELMORA_NO_INDEX, 0, {}};
const VelmoraDevObjPropRef kSetpoint{{2, 1}, kPresentValue, VELMORA_NO_INDEX, 1, kDevice7};
const VelmoraDevObjPropRef kModeRef{{kLifeSafetyPoint, 1}, kMode, VELMORA_NO_INDEX, 0, {}};

float gReal = 21.5f;
uint32_t gOne = 1, gZero = 0;
VelmoraAnyValue RealValue() { return {ASN_TYPE_REAL, &gReal, sizeof gReal, 1}; }
VelmoraAnyValue Enumerated(uint32_t* v) { return {ASN_TYPE_ENUMERATED, v, sizeof *v, 1}; }

VelmoraBitString gBitstrings[2] = {Bits("10"), Bits("01")};
VelmoraPropertyStates Binary(uint32_t value) {
  VelmoraPropertyStates s{};
  VelmoraPropertyStatesSetBinaryValue(&s, value);
  return s;
}
VelmoraPropertyStates gStates[2] = {Binary(1), Binary(0)};
uint32_t gLifeSafetyAlarms[2] = {2, 14};
uint32_t gAlarms[1] = {3};
uint8_t gOctets[2] = {0xde, 0xad};

template <class Param>
std::vector<Param> CommonExtParams() {
  std::vector<Param> p(8);
  p[0].type = ASN_TYPE_NULL;
  p[1].type = ASN_TYPE_BOOLEAN;
  p[1].value.boolean = 1;
  p[2].type = ASN_TYPE_UNSIGNED;
  p[2].value.unsigned_value = 7;
  p[3].type = ASN_TYPE_REAL;
  p[3].value.real = 1.5f;
  p[4].type = ASN_TYPE_DOUBLE;
  p[4].value.double_value = 0.25;
  p[5].type = ASN_TYPE_OCTET_STRING;
  p[5].value.octet_string = {gOctets, 2, 2};
  p[6].type = ASN_TYPE_BIT_STRING;
  p[6].value.bit_string = Bits("10");
  p[7].type = ASN_TYPE_ENUMERATED;
  p[7].value.unsigned_value = 4;
  return p;
}
const std::string kCommonExtText = "NULL,T,7,1.5,0.25,X'dead',(T,F),enumeration-4";

std::vector<VelmoraExtParam> EventExtParams() {
  std::vector<VelmoraExtParam> p = CommonExtParams<VelmoraExtParam>();
  VelmoraExtParam ref{};
  VelmoraExtParamSetReference(&ref, &kFeedback);
  p.push_back(ref);
  VelmoraExtParam value{};
  value.type = ASN_TYPE_DEV_OBJ_PROP_VALUE;  // a notification's, not an event's
  p.push_back(value);
  return p;
}
std::vector<VelmoraExtParam> gEventExt = EventExtParams();

std::vector<VelmoraNotifExtParam> NotifExtParams() {
  std::vector<VelmoraNotifExtParam> p = CommonExtParams<VelmoraNotifExtParam>();
  VelmoraNotifExtParam value{};
  value.type = ASN_TYPE_DEV_OBJ_PROP_VALUE;
  value.value.property_value = {
      kDevice7, {kBinaryInput, 1}, kPresentValue, VELMORA_NO_INDEX, Enumerated(&gOne)};
  p.push_back(value);
  VelmoraNotifExtParam ref{};
  ref.type = ASN_TYPE_DEV_OBJ_PROP_REF;  // an event's, not a notification's
  p.push_back(ref);
  return p;
}
std::vector<VelmoraNotifExtParam> gNotifExt = NotifExtParams();

VelmoraPropertyValue gPropertyValues[1] = {
    {kPresentValue, VELMORA_NO_INDEX, RealValue(), VELMORA_NO_PRIORITY}};

VelmoraEventParam EventParam(uint32_t type) {
  VelmoraEventParam p{};
  p.event_type = type;
  return p;
}

VelmoraNotifParam NotifParam(uint32_t type) {
  VelmoraNotifParam p{};
  p.event_type = type;
  return p;
}

const VelmoraBitString kInAlarm = Bits("1000");
const VelmoraBitString kNoFlags = Bits("0000");

VelmoraNotifParam OutOfRangeValues() {
  VelmoraNotifParam p{};
  VelmoraNotifParamInitOutOfRange(&p, 95, &kInAlarm, 1, 90);
  return p;
}

VelmoraEventNotif Alarm() {
  static const VelmoraCharString kHigh{"High", -1, 0, VELMORA_CHARSET_ANSI};
  VelmoraNotifParam values = OutOfRangeValues();
  VelmoraEventNotif n{};
  VelmoraEventNotifInitAlarm(&n, 5, 0, 3, &values);
  VelmoraEventNotifSetProcessId(&n, 1);
  VelmoraEventNotifSetDeviceInstance(&n, 7);
  VelmoraObjectId object{kAnalogInput, 1};
  VelmoraEventNotifSetEventObject(&n, &object);
  VelmoraTimeStamp stamp{};
  VelmoraTimeStampSetDateTime(&stamp, &kDateTime);
  VelmoraEventNotifSetTimeStamp(&n, &stamp);
  VelmoraEventNotifSetNotificationClass(&n, 5);
  VelmoraEventNotifSetPriority(&n, 100);
  VelmoraEventNotifSetMessageText(&n, &kHigh);
  VelmoraEventNotifSetAckRequired(&n, 1);
  return n;
}
const std::string kAlarmText =
    "{1,(device,7),(analog-input,1),[2] " + kStamp +
    ",5,100,out-of-range,\"High\",alarm,T,normal,high-limit,[5] {95.0,(T,F,F,F),1.0,90.0}}";

VelmoraEventNotif Ack() {
  VelmoraEventNotif n{};
  VelmoraEventNotifInitAckNotification(&n, 5, 0);
  return n;
}

VelmoraLogRecord LogRecord(uint32_t choice) {
  VelmoraLogRecord r{};
  r.timestamp = kDateTime;
  r.datum_type = choice;
  return r;
}

VelmoraLogDatum Datum(int32_t choice) {
  VelmoraLogDatum d{};
  d.choice = choice;
  return d;
}

VelmoraLogDatum gData[9] = {Datum(0), Datum(1), Datum(2), Datum(3), Datum(4),
                            Datum(5), Datum(6), Datum(7), Datum(8)};

std::vector<Example> EventParamExamples() {
  VelmoraEventParam bitstring{}, states{}, bitmask{}, increment{}, failure{}, floating{};
  VelmoraEventParam range{}, ready7{}, ready{}, lifeSafety{}, extended{}, unsignedRange{};
  VelmoraBitString mask = Bits("11");
  VelmoraEventParamInitChangeOfBitstring(&bitstring, 10, &mask, gBitstrings, 2);
  VelmoraEventParamInitChangeOfState(&states, 5, gStates, 2);
  VelmoraBitString covMask = Bits("101");
  VelmoraEventParamInitChangeOfValueBitmask(&bitmask, 0, &covMask);
  VelmoraEventParamInitChangeOfValueIncrement(&increment, 0, 0.5f);
  VelmoraEventParam criteria = increment;
  criteria.alt.change_of_value.criteria = 7;
  VelmoraEventParamInitCommandFailure(&failure, 0, &kFeedback);
  VelmoraEventParamInitFloatingLimit(&floating, 10, &kSetpoint, 1, 2, 0.5f);
  VelmoraEventParamInitOutOfRange(&range, 30, 10, 90, 1);
  VelmoraEventParamInitBufferReady7(&ready7, 10, 2);
  VelmoraEventParamInitBufferReady(&ready, 10, 2);
  VelmoraEventParamInitChangeOfLifeSafety(&lifeSafety, 0, gLifeSafetyAlarms, 2, gAlarms, 1,
                                          &kModeRef);
  VelmoraEventParamInitExtended(&extended, 260, 3, gEventExt.data(), uint32_t(gEventExt.size()));
  VelmoraEventParamInitUnsignedRange(&unsignedRange, 0, 5, 100);
  auto write = VelmoraEventParamToString;
  return {
      {"change of bitstring", Of(bitstring, write), "[0] {10,(T,T),{(T,F),(F,T)}}"},
      {"change of bitstring numbered", Of(bitstring, write, 1),
       "[0] {10,(T,T) (enumeration-0|enumeration-1),{(T,F) (enumeration-0),(F,T) "
       "(enumeration-1)}}"},
      {"change of state", Of(states, write), "[1] {5,{[1] active,[1] inactive}}"},
      {"change of value bitmask", Of(bitmask, write), "[2] {0,[0] (T,F,T)}"},
      {"change of value increment", Of(increment, write), "[2] {0,[1] 0.5}"},
      {"change of value unknown criteria", Of(criteria, write), "[2] {0,[7] ?}"},
      {"command failure", Of(failure, write), "[3] {0,{(binary-output,1),present-value}}"},
      {"floating limit", Of(floating, write),
       "[4] {10,{(analog-value,1),present-value,,(device,7)},1.0,2.0,0.5}"},
      {"out of range", Of(range, write), "[5] {30,10.0,90.0,1.0}"},
      {"complex event type", Of(EventParam(6), write), "[6] ?"},
      {"buffer ready, earlier form", Of(ready7, write), "[7] {10,2}"},
      {"change of life safety", Of(lifeSafety, write),
       "[8] {0,{alarm,duress},{fault},{(life-safety-point,1),mode}}"},
      {"change of life safety numbered", Of(lifeSafety, write, 1),
       "[8] {0,{alarm (2),duress (14)},{fault (3)},{(life-safety-point,1),mode (160)}}"},
      {"extended", Of(extended, write),
       "[9] {260,3,{" + kCommonExtText + ",{(binary-output,1),present-value},?}}"},
      {"buffer ready", Of(ready, write), "[10] {10,2}"},
      {"unsigned range", Of(unsignedRange, write), "[11] {0,5,100}"},
      {"unknown event type", Of(EventParam(12), write), "[12] ?"},
      {"event type -1", Of(EventParam(0xFFFFFFFF), write), "[-1] ?"},
  };
}

std::vector<Example> NotifParamExamples() {
  VelmoraNotifParam bitstring{}, state{}, bits{}, real{}, failure{}, floating{}, complex{};
  VelmoraNotifParam ready7{}, lifeSafety{}, extended{}, ready{}, unsignedRange{};
  VelmoraBitString referenced = Bits("10");
  VelmoraBitString fault = Bits("0100");
  VelmoraNotifParamInitChangeOfBitstring(&bitstring, &referenced, &fault);
  VelmoraPropertyStates active = Binary(1);
  VelmoraNotifParamInitChangeOfState(&state, &active, &kNoFlags);
  VelmoraNotifParamInitChangeOfValueBits(&bits, &referenced, &kNoFlags);
  VelmoraNotifParamInitChangeOfValueReal(&real, 3.5f, &kNoFlags);
  VelmoraNotifParam choice = real;
  choice.alt.change_of_value.choice = 2;
  VelmoraAnyValue command = Enumerated(&gOne), feedback = Enumerated(&gZero);
  VelmoraNotifParamInitCommandFailure(&failure, &command, &kNoFlags, &feedback);
  VelmoraNotifParamInitFloatingLimit(&floating, 21.5f, &kInAlarm, 20, 1);
  VelmoraNotifParamInitComplexEventType(&complex, gPropertyValues, 1);
  ready7.event_type = 7;
  ready7.alt.buffer_ready7 = {kDevice7, {kTrendLog, 1}, kDateTime, kDateTime};
  lifeSafety.event_type = 8;
  lifeSafety.alt.change_of_life_safety = {2, 1, kInAlarm, 4};
  extended.event_type = 9;
  extended.alt.extended = {260, 3, gNotifExt.data(), uint32_t(gNotifExt.size())};
  ready.event_type = 10;
  ready.alt.buffer_ready = {{{kTrendLog, 1}, kLogBuffer, VELMORA_NO_INDEX, 0, {}}, 5, 10};
  unsignedRange.event_type = 11;
  unsignedRange.alt.unsigned_range = {120, kInAlarm, 100};
  auto write = VelmoraNotifParamToString;
  return {
      {"change of bitstring", Of(bitstring, write), "[0] {(T,F),(F,T,F,F)}"},
      {"change of bitstring numbered", Of(bitstring, write, 1),
       "[0] {(T,F) (enumeration-0),(F,T,F,F) (fault)}"},
      {"change of state", Of(state, write), "[1] {[1] active,(F,F,F,F)}"},
      {"change of value bits", Of(bits, write), "[2] {[0] (T,F),(F,F,F,F)}"},
      {"change of value real", Of(real, write), "[2] {[1] 3.5,(F,F,F,F)}"},
      {"change of value unknown", Of(choice, write), "[2] {[2] ?,(F,F,F,F)}"},
      {"command failure", Of(failure, write), "[3] {enumeration-1,(F,F,F,F),enumeration-0}"},
      {"floating limit", Of(floating, write), "[4] {21.5,(T,F,F,F),20.0,1.0}"},
      {"out of range", Of(OutOfRangeValues(), write), "[5] {95.0,(T,F,F,F),1.0,90.0}"},
      {"complex event type", Of(complex, write), "[6] {{present-value,21.5}}"},
      {"buffer ready, earlier form", Of(ready7, write),
       "[7] {(device,7),(trend-log,1)," + kStamp + "," + kStamp + "}"},
      {"change of life safety", Of(lifeSafety, write), "[8] {alarm,on,(T,F,F,F),reset}"},
      {"extended", Of(extended, write),
       "[9] {260,3,{" + kCommonExtText + ",{(device,7),(binary-input,1),present-value,active},?}}"},
      {"buffer ready", Of(ready, write), "[10] {{(trend-log,1),log-buffer},5,10}"},
      {"unsigned range", Of(unsignedRange, write), "[11] {120,(T,F,F,F),100}"},
      {"unknown event type", Of(NotifParam(12), write), "[12] ?"},
  };
}

std::vector<Example> NotificationExamples() {
  VelmoraEventLogRecord status{}, notification{}, change{}, unknown{};
  VelmoraBitString purged = Bits("010");
  VelmoraEventLogRecordInitLogStatus(&status, &kDateTime, &purged);
  VelmoraEventNotif alarm = Alarm();
  VelmoraEventLogRecordInitNotification(&notification, &kDateTime, &alarm);
  VelmoraEventLogRecordInitTimeChange(&change, &kDateTime, 1.5f);
  unknown = change;
  unknown.choice = 5;
  VelmoraEventNotif strange = Alarm();
  strange.notify_type = 7;
  // Switched from an ack-notification, the alarm fields hold 0xFF bytes.
  VelmoraEventNotif switched = Ack();
  VelmoraEventNotifSetNotifyType(&switched, VELMORA_NOTIFY_ALARM);
  return {
      {"alarm", Of(Alarm(), VelmoraEventNotifToString), kAlarmText},
      {"ack notification", Of(Ack(), VelmoraEventNotifToString),
       "{0,(device,4194303),(proprietary-object-1023,4194303),[0] *:*:*.*,0,255,out-of-range,,"
       "ack-notification,,,normal,}"},
      {"alarm switched from an ack", Of(switched, VelmoraEventNotifToString),
       "{0,(device,4194303),(proprietary-object-1023,4194303),[0] *:*:*.*,0,255,out-of-range,,"
       "alarm,T,unknown-event-state--1,normal,[-1] ?}"},
      {"unknown notify type", Of(strange, VelmoraEventNotifToString),
       "{1,(device,7),(analog-input,1),[2] " + kStamp +
           ",5,100,out-of-range,\"High\",unknown-notify-type-7,,,high-limit,}"},
      {"log status", Of(status, VelmoraEventLogRecordToString), kStamp + ",[0] (F,T,F)"},
      {"log status numbered", Of(status, VelmoraEventLogRecordToString, 1),
       kStamp + ",[0] (F,T,F) (purged)"},
      {"notification", Of(notification, VelmoraEventLogRecordToString),
       kStamp + ",[1] " + kAlarmText},
      {"time change", Of(change, VelmoraEventLogRecordToString), kStamp + ",[2] 1.5"},
      {"unknown choice", Of(unknown, VelmoraEventLogRecordToString), kStamp + ",[5] ?"},
  };
}

std::vector<Example> LogExamples() {
  VelmoraLogRecord null = LogRecord(VELMORA_LOG_NULL);
  VelmoraLogRecord flagged = null;
  VelmoraBitString fault = Bits("0100");
  VelmoraLogRecordSetStatusFlags(&flagged, &fault);
  VelmoraLogRecord status = LogRecord(VELMORA_LOG_STATUS);
  status.datum.log_status = Bits("100");
  VelmoraLogRecord boolean = LogRecord(VELMORA_LOG_BOOLEAN);
  boolean.datum.boolean = 1;
  VelmoraLogRecord real = LogRecord(VELMORA_LOG_REAL);
  real.datum.real = 21.5f;
  VelmoraLogRecord enumerated = LogRecord(VELMORA_LOG_ENUMERATED);
  enumerated.datum.enumerated = 3;
  VelmoraLogRecord unsignedValue = LogRecord(VELMORA_LOG_UNSIGNED);
  unsignedValue.datum.unsigned_value = 4294967295u;
  VelmoraLogRecord signedValue = LogRecord(VELMORA_LOG_SIGNED);
  signedValue.datum.signed_value = -5;
  VelmoraLogRecord bits = LogRecord(VELMORA_LOG_BIT_STRING);
  bits.datum.bit_string = Bits("10");
  VelmoraLogRecord failure = LogRecord(VELMORA_LOG_FAILURE);
  failure.datum.failure = {2, 32};
  VelmoraLogRecord change = LogRecord(VELMORA_LOG_TIME_CHANGE);
  change.datum.time_change = -1.5f;
  VelmoraLogRecord any = LogRecord(VELMORA_LOG_ANY_VALUE);
  any.datum.any_value = RealValue();

  gData[0].value.boolean = 1;
  gData[1].value.real = 21.5f;
  gData[2].value.enumerated = 2;
  gData[3].value.unsigned_value = 7;
  gData[4].value.signed_value = -5;
  gData[5].value.bit_string = Bits("10");
  gData[7].value.failure = {2, 32};
  gData[8].value.any_value = RealValue();
  VelmoraLogMultipleRecord data{}, empty{}, status2{}, change2{}, unknown{};
  VelmoraLogData list{9, gData}, none{0, nullptr};
  VelmoraLogMultipleRecordInitLogData(&data, &kDateTime, &list);
  VelmoraLogMultipleRecordInitLogData(&empty, &kDateTime, &none);
  VelmoraBitString interrupted = Bits("001");
  VelmoraLogMultipleRecordInitLogStatus(&status2, &kDateTime, &interrupted);
  VelmoraLogMultipleRecordInitTimeChange(&change2, &kDateTime, 2.5f);
  unknown = change2;
  unknown.choice = 3;
  return {
      {"null", Of(null, VelmoraLogRecordToString), kStamp + ",[7] NULL"},
      {"null with status flags", Of(flagged, VelmoraLogRecordToString),
       kStamp + ",[7] NULL,(F,T,F,F)"},
      {"null with status flags numbered", Of(flagged, VelmoraLogRecordToString, 1),
       kStamp + ",[7] NULL,(F,T,F,F) (fault)"},
      {"log status", Of(status, VelmoraLogRecordToString, 1), kStamp + ",[0] (T,F,F) (disabled)"},
      {"boolean", Of(boolean, VelmoraLogRecordToString), kStamp + ",[1] T"},
      {"real", Of(real, VelmoraLogRecordToString), kStamp + ",[2] 21.5"},
      {"enumerated", Of(enumerated, VelmoraLogRecordToString, 1),
       kStamp + ",[3] enumeration-3 (3)"},
      {"unsigned", Of(unsignedValue, VelmoraLogRecordToString), kStamp + ",[4] 4294967295"},
      {"signed", Of(signedValue, VelmoraLogRecordToString), kStamp + ",[5] -5"},
      {"bit string", Of(bits, VelmoraLogRecordToString), kStamp + ",[6] (T,F)"},
      {"failure", Of(failure, VelmoraLogRecordToString),
       kStamp + ",[8] {Property,Unknown-property}"},
      {"time change", Of(change, VelmoraLogRecordToString), kStamp + ",[9] -1.5"},
      {"any value", Of(any, VelmoraLogRecordToString), kStamp + ",[10] 21.5"},
      {"unknown datum", Of(LogRecord(11), VelmoraLogRecordToString), kStamp + ",[11] ?"},
      {"log data", Of(data, VelmoraLogMultipleRecordToString),
       kStamp + ",[1] {[0] T,[1] 21.5,[2] enumeration-2,[3] 7,[4] -5,[5] (T,F),[6] NULL," +
           "[7] {Property,Unknown-property},[8] 21.5}"},
      {"empty log data", Of(empty, VelmoraLogMultipleRecordToString), kStamp + ",[1] {}"},
      {"multiple log status", Of(status2, VelmoraLogMultipleRecordToString),
       kStamp + ",[0] (F,F,T)"},
      {"multiple time change", Of(change2, VelmoraLogMultipleRecordToString), kStamp + ",[2] 2.5"},
      {"multiple unknown choice", Of(unknown, VelmoraLogMultipleRecordToString), kStamp + ",[3] ?"},
      {"datum unknown", Of(Datum(9), VelmoraLogDatumToString), "[9] ?"},
      {"datum negative", Of(Datum(-1), VelmoraLogDatumToString), "[-1] ?"},
  };
}

TEST(EventText, EveryExampleInEveryRoom) {
  for (auto examples : {EventParamExamples, NotifParamExamples, NotificationExamples, LogExamples})
    for (const Example& e : examples()) {
      EXPECT_EQ(WrittenText(e.write), e.text) << e.what;
      CheckRooms(e.what, e.write, e.text);
    }
}

// Lists whose arrays are missing while their counts are not: nothing is read
// through a null pointer, and the record gives 0.
TEST(EventText, ListsWithoutTheirArraysGiveZero) {
  VelmoraEventParam bitstring = EventParam(0);
  bitstring.alt.change_of_bitstring.count = 2;
  VelmoraEventParam states = EventParam(1);
  states.alt.change_of_state.count = 1;
  VelmoraEventParam lifeSafety = EventParam(8);
  lifeSafety.alt.change_of_life_safety.alarm_count = 3;
  VelmoraEventParam extended = EventParam(9);
  extended.alt.extended.count = 4000000000u;
  VelmoraNotifParam complex = NotifParam(6);
  complex.alt.complex_event_type.count = 1;
  VelmoraNotifParam notifExtended = NotifParam(9);
  notifExtended.alt.extended.count = 2;
  VelmoraLogMultipleRecord data{};
  data.choice = 1;
  data.value.log_data = {5, nullptr};
  VelmoraLogRecord any = LogRecord(VELMORA_LOG_ANY_VALUE);
  any.datum.any_value = {ASN_TYPE_REAL, nullptr, 0, 1};
  const std::vector<Example> cases = {
      {"bit strings", Of(bitstring, VelmoraEventParamToString), ""},
      {"states", Of(states, VelmoraEventParamToString), ""},
      {"alarm values", Of(lifeSafety, VelmoraEventParamToString), ""},
      {"extended parameters", Of(extended, VelmoraEventParamToString), ""},
      {"property values", Of(complex, VelmoraNotifParamToString), ""},
      {"notification parameters", Of(notifExtended, VelmoraNotifParamToString), ""},
      {"log data", Of(data, VelmoraLogMultipleRecordToString), ""},
      {"any value without buffer", Of(any, VelmoraLogRecordToString), ""},
  };
  for (const Example& c : cases)
    EXPECT_EQ(WrittenText(c.write), "<0>") << c.what;
  // An octet string longer than its buffer is not read either.
  VelmoraExtParam octets{};
  octets.type = ASN_TYPE_OCTET_STRING;
  octets.value.octet_string = {gOctets, 2, 3};
  EXPECT_EQ(WrittenText(Of(octets, VelmoraExtParamToString)), "<0>");
}

// A trend log's record as a device sends it: 21.5 at 14:05:09 on 25
// October 2013 (a Friday), the object at fault.
TEST(EventText, DecodedLogRecordReadsAsItsOctets) {
  EXPECT_EQ(DecodedText(ASN_TYPE_LOG_RECORD,
                        {0x0E, 0xA4, 0x71, 0x0A, 0x19, 0x05, 0xB4, 0x0E, 0x05, 0x09, 0x00,
                         0x0F, 0x1E, 0x2C, 0x41, 0xAC, 0x00, 0x00, 0x1F, 0x2A, 0x04, 0x40}),
            kStamp + ",[2] 21.5,(F,T,F,F)");
}

// The records reached through the value writer's rows.
TEST(EventText, RecordsThroughTheValueWriter) {
  char buffer[512];
  VelmoraEventParam range{};
  VelmoraEventParamInitOutOfRange(&range, 30, 10, 90, 1);
  VelmoraAnyValue param{ASN_TYPE_EVENT_PARAMETER, &range, sizeof range, 1};
  uint32_t n = VelmoraValueToString(buffer, sizeof buffer, &param, VELMORA_ANY_OBJECT_TYPE,
                                    VELMORA_ANY_PROPERTY, 0);
  EXPECT_EQ(std::string(buffer, n), "[5] {30,10.0,90.0,1.0}");
  VelmoraLogRecord records[2] = {LogRecord(VELMORA_LOG_NULL), LogRecord(VELMORA_LOG_BOOLEAN)};
  VelmoraAnyValue log{ASN_TYPE_LOG_RECORD, records, sizeof records, 2};
  n = VelmoraValueToString(buffer, sizeof buffer, &log, VELMORA_ANY_OBJECT_TYPE,
                           VELMORA_ANY_PROPERTY, 0);
  EXPECT_EQ(std::string(buffer, n), "{" + kStamp + ",[7] NULL," + kStamp + ",[1] F}");
  VelmoraEventLogRecord event{};
  VelmoraEventLogRecordInitTimeChange(&event, &kDateTime, 1.5f);
  VelmoraAnyValue eventLog{ASN_TYPE_EVENT_LOG_RECORD, &event, sizeof event, 1};
  n = VelmoraValueToString(buffer, sizeof buffer, &eventLog, VELMORA_ANY_OBJECT_TYPE,
                           VELMORA_ANY_PROPERTY, 0);
  EXPECT_EQ(std::string(buffer, n), kStamp + ",[2] 1.5");
  VelmoraLogMultipleRecord multiple{};
  VelmoraLogMultipleRecordInitTimeChange(&multiple, &kDateTime, 2.5f);
  VelmoraAnyValue multipleLog{ASN_TYPE_LOG_MULTIPLE_RECORD, &multiple, sizeof multiple, 1};
  n = VelmoraValueToString(buffer, sizeof buffer, &multipleLog, VELMORA_ANY_OBJECT_TYPE,
                           VELMORA_ANY_PROPERTY, 0);
  EXPECT_EQ(std::string(buffer, n), kStamp + ",[2] 2.5");
}

}  // namespace
