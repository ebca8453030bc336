#include "tests/bacnet/support/event_samples.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <span>

#include "bacnet/asn_datatype_code.h"
#include "bacnet/records_event_param.h"

namespace {

using K = RoundTripKeep;
using P = VelmoraNotifParam;

const VelmoraBitString kNormal = Bits({0, 0, 0, 0});
const VelmoraBitString kInAlarm = Bits({1, 0, 0, 0});
const VelmoraDateTime kMorning = {{2024, 5, 17, 5}, {6, 30, 0, 0}};
const VelmoraDateTime kNoon = {{2024, 5, 17, 5}, {12, 0, 0, 0}};
// Analog input 1's present value, and the same with index 3 on device 1234.
const VelmoraDevObjPropRef kRef = {{0, 1}, 85, VELMORA_NO_INDEX, 0, {}};
const VelmoraDevObjPropRef kDeviceRef = {{0, 1}, 85, 3, 1, {8, 1234}};
#define REF "0C 00 00 00 01 19 55"
#define DEVICE_REF "0C 00 00 00 01 19 55 29 03 3C 02 00 04 D2"

VelmoraPropertyStates States(uint32_t choice, uint32_t value) {
  VelmoraPropertyStates s{};
  s.choice = choice;
  s.value.enumerated = value;
  return s;
}

template <typename Init>
P Values(Init init) {
  P p{};
  EXPECT_TRUE(init(&p));
  return p;
}

// An extended parameter of the element type E holding v in its value.
template <typename E, typename V>
E Extended(uint32_t type, const V& v) {
  E e{};
  e.type = type;
  std::memcpy(static_cast<void*>(&e.value), &v, sizeof v);
  return e;
}

// One of each datatype an extended parameter is sent as, but the last.
template <typename E>
std::vector<E> EveryExtendedKind(K& k) {
  const VelmoraOctetString octets = {k.Array<uint8_t>({1, 2}), 2, 2};
  return {
      Extended<E>(ASN_TYPE_NULL, uint8_t(0)),      Extended<E>(ASN_TYPE_BOOLEAN, uint8_t(1)),
      Extended<E>(ASN_TYPE_UNSIGNED, uint32_t(5)), Extended<E>(ASN_TYPE_REAL, 1.0f),
      Extended<E>(ASN_TYPE_DOUBLE, 1.0),           Extended<E>(ASN_TYPE_OCTET_STRING, octets),
      Extended<E>(ASN_TYPE_BIT_STRING, kInAlarm),  Extended<E>(ASN_TYPE_ENUMERATED, uint32_t(2))};
}
#define EVERY_EXTENDED_KIND \
  "00 11 21 05 44 3F 80 00 00 55 08 3F F0 00 00 00 00 00 00 62 01 02 82 04 80 91 02 "

template <typename E>
E* Keep(K& k, const std::vector<E>& items) {
  std::span<const uint8_t> bytes =
      k.Copy({reinterpret_cast<const uint8_t*>(items.data()), items.size() * sizeof(E)});
  return reinterpret_cast<E*>(const_cast<uint8_t*>(bytes.data()));
}

VelmoraEventParam Param(std::function<bool(VelmoraEventParam*)> init) {
  VelmoraEventParam p{};
  EXPECT_TRUE(init(&p));
  return p;
}

RoundTripValue ParamValue(const char* name, std::function<VelmoraEventParam(K&)> make,
                          const char* octets, bool listable = true) {
  return RoundTrip<VelmoraEventParam>(name, make, octets, listable);
}

}  // namespace

const std::vector<EventValuesSample>& EventValuesSamples() {
  static const std::vector<EventValuesSample> kSamples = {
      {"change of bitstring",
       [](K&) {
         const VelmoraBitString bits = Bits({1, 0, 1, 0});
         return Values(
             [&](P* p) { return VelmoraNotifParamInitChangeOfBitstring(p, &bits, &kNormal); });
       },
       "0E 0A 04 A0 1A 04 00 0F"},
      {"change of state",
       [](K&) {
         const VelmoraPropertyStates active = States(1, 1);
         return Values(
             [&](P* p) { return VelmoraNotifParamInitChangeOfState(p, &active, &kInAlarm); });
       },
       "1E 0E 19 01 0F 1A 04 80 1F"},
      {"change of value, changed bits",
       [](K&) {
         const VelmoraBitString bits = Bits({1, 1, 0, 0, 0, 0, 0, 0});
         return Values(
             [&](P* p) { return VelmoraNotifParamInitChangeOfValueBits(p, &bits, &kNormal); });
       },
       "2E 0E 0A 00 C0 0F 1A 04 00 2F"},
      {"change of value, changed value",
       [](K&) {
         return Values(
             [&](P* p) { return VelmoraNotifParamInitChangeOfValueReal(p, 22.5f, &kNormal); });
       },
       "2E 0E 1C 41 B4 00 00 0F 1A 04 00 2F"},
      {"command failure",
       [](K& k) {
         const VelmoraAnyValue command = k.Value<uint32_t>(ASN_TYPE_ENUMERATED, {1});
         const VelmoraAnyValue feedback = k.Value<uint32_t>(ASN_TYPE_ENUMERATED, {0});
         return Values([&](P* p) {
           return VelmoraNotifParamInitCommandFailure(p, &command, &kInAlarm, &feedback);
         });
       },
       "3E 0E 91 01 0F 1A 04 80 2E 91 00 2F 3F"},
      {"floating limit",
       [](K&) {
         return Values([&](P* p) {
           return VelmoraNotifParamInitFloatingLimit(p, 21.0f, &kInAlarm, 20.0f, 0.5f);
         });
       },
       "4E 0C 41 A8 00 00 1A 04 80 2C 41 A0 00 00 3C 3F 00 00 00 4F"},
      {"out of range",
       [](K&) {
         return Values([&](P* p) {
           return VelmoraNotifParamInitOutOfRange(p, 30.0f, &kInAlarm, 1.0f, 28.0f);
         });
       },
       "5E 0C 41 F0 00 00 1A 04 80 2C 3F 80 00 00 3C 41 E0 00 00 5F"},
      {"complex event type, two property values",
       [](K& k) {
         VelmoraPropertyValue* values = k.Array(
             {VelmoraPropertyValue{85, VELMORA_NO_INDEX, k.Value<float>(ASN_TYPE_REAL, {21.5f}),
                                   VELMORA_NO_PRIORITY},
              VelmoraPropertyValue{111, VELMORA_NO_INDEX, k.Value(ASN_TYPE_BIT_STRING, {kNormal}),
                                   VELMORA_NO_PRIORITY}});
         return Values([&](P* p) { return VelmoraNotifParamInitComplexEventType(p, values, 2); });
       },
       "6E 09 55 2E 44 41 AC 00 00 2F 09 6F 2E 82 04 00 2F 6F"},
      {"complex event type, no property values",
       [](K&) {
         return Values([](P* p) { return VelmoraNotifParamInitComplexEventType(p, nullptr, 0); });
       },
       "6E 6F"},
      {"buffer ready, earlier form",
       [](K&) {
         const VelmoraObjectId device = {8, 1}, log = {20, 1};
         return Values([&](P* p) {
           return VelmoraNotifParamInitBufferReady7(p, &device, &log, &kMorning, &kNoon);
         });
       },
       "7E 0C 02 00 00 01 1C 05 00 00 01 2E A4 7C 05 11 05 B4 06 1E 00 00 2F 3E A4 7C 05 11 05 B4 "
       "0C 00 00 00 3F 7F"},
      {"change of life safety",
       [](K&) {
         return Values(
             [](P* p) { return VelmoraNotifParamInitChangeOfLifeSafety(p, 1, 0, &kInAlarm, 0); });
       },
       "8E 09 01 19 00 2A 04 80 39 00 8F"},
      {"extended, every kind of parameter",
       [](K& k) {
         std::vector<VelmoraNotifExtParam> items = EveryExtendedKind<VelmoraNotifExtParam>(k);
         const VelmoraDevObjPropValue value = {
             {8, 1}, {0, 1}, 85, VELMORA_NO_INDEX, k.Value<float>(ASN_TYPE_REAL, {42.0f})};
         items.push_back(Extended<VelmoraNotifExtParam>(ASN_TYPE_DEV_OBJ_PROP_VALUE, value));
         VelmoraNotifExtParam* array = Keep(k, items);
         return Values([&](P* p) {
           return VelmoraNotifParamInitExtended(p, 5, 1, array, uint32_t(items.size()));
         });
       },
       "9E 09 05 19 01 2E " EVERY_EXTENDED_KIND
       "0E 0C 02 00 00 01 1C 00 00 00 01 29 55 4E 44 42 28 00 00 4F 0F 2F 9F"},
      {"extended, one property value",
       [](K& k) {
         const VelmoraDevObjPropValue value = {
             {8, 1}, {0, 1}, 85, VELMORA_NO_INDEX, k.Value<float>(ASN_TYPE_REAL, {42.0f})};
         VelmoraNotifExtParam* one =
             k.Add(Extended<VelmoraNotifExtParam>(ASN_TYPE_DEV_OBJ_PROP_VALUE, value));
         return Values([&](P* p) { return VelmoraNotifParamInitExtended(p, 5, 1, one, 1); });
       },
       "9E 09 05 19 01 2E 0E 0C 02 00 00 01 1C 00 00 00 01 29 55 4E 44 42 28 00 00 4F 0F 2F 9F"},
      {"extended, no parameters",
       [](K&) {
         return Values([](P* p) { return VelmoraNotifParamInitExtended(p, 5, 1, nullptr, 0); });
       },
       "9E 09 05 19 01 2E 2F 9F"},
      {"buffer ready",
       [](K&) {
         const VelmoraDevObjPropRef buffer = {{20, 1}, 131, VELMORA_NO_INDEX, 0, {}};
         return Values([&](P* p) { return VelmoraNotifParamInitBufferReady(p, &buffer, 5, 6); });
       },
       "AE 0E 0C 05 00 00 01 19 83 0F 19 05 29 06 AF"},
      {"unsigned range",
       [](K&) {
         return Values(
             [](P* p) { return VelmoraNotifParamInitUnsignedRange(p, 32, &kInAlarm, 16); });
       },
       "BE 09 20 1A 04 80 29 10 BF"},
  };
  return kSamples;
}

VelmoraEventNotif SampleNotification(K& keep, const EventValuesSample& sample, uint32_t notifyType,
                                     bool text, std::string* octets) {
  const VelmoraNotifParam values = sample.make(keep);
  VelmoraEventNotif n{};
  const bool alarm = notifyType == VELMORA_NOTIFY_ALARM;
  if (notifyType == VELMORA_NOTIFY_ACK)
    EXPECT_TRUE(VelmoraEventNotifInitAckNotification(&n, values.event_type, 3));
  else if (alarm)
    EXPECT_TRUE(VelmoraEventNotifInitAlarm(&n, values.event_type, 0, 3, &values));
  else
    EXPECT_TRUE(VelmoraEventNotifInitEvent(&n, values.event_type, 2, 0, &values));
  VelmoraEventNotifSetProcessId(&n, 1);
  VelmoraEventNotifSetDeviceInstance(&n, 1);
  VelmoraEventNotifSetEventObject(&n, &kSampleEventObject);
  VelmoraTimeStamp stamp{};
  stamp.choice = 1;
  stamp.value.sequence_number = 5;
  VelmoraEventNotifSetTimeStamp(&n, &stamp);
  VelmoraEventNotifSetNotificationClass(&n, 1);
  VelmoraEventNotifSetPriority(&n, 100);
  if (alarm) VelmoraEventNotifSetAckRequired(&n, 1);
  const VelmoraCharString message = {"ab", 2, 0, VELMORA_CHARSET_ANSI};
  if (text) VelmoraEventNotifSetMessageText(&n, &message);

  char type[4];
  std::snprintf(type, sizeof type, "%02X", unsigned(values.event_type));
  *octets = std::string("09 01 1C 02 00 00 01 2C 00 00 00 01 3E 19 05 3F 49 01 59 64 69 ") + type;
  if (text) *octets += " 7B 00 61 62";
  if (notifyType == VELMORA_NOTIFY_ACK)
    *octets += " 89 02 B9 03";
  else if (alarm)
    *octets += " 89 00 99 01 A9 00 B9 03 CE " + sample.octets + " CF";
  else
    *octets += " 89 01 99 00 A9 02 B9 00 CE " + sample.octets + " CF";
  return n;
}

RoundTripCode EventParameterRoundTrips() {
  using EP = VelmoraEventParam;
  return {
      ASN_TYPE_EVENT_PARAMETER,
      {ParamValue(
           "change of bitstring, three values",
           [](K& k) {
             const VelmoraBitString mask = Bits({1, 1, 0, 0});
             VelmoraBitString* values = k.Array({Bits({1, 0, 0, 0}), Bits({0, 1, 0, 0}), Bits({})});
             return Param([&](EP* p) {
               return VelmoraEventParamInitChangeOfBitstring(p, 10, &mask, values, 3);
             });
           },
           "0E 09 0A 1A 04 C0 2E 82 04 80 82 04 40 81 00 2F 0F"),
       ParamValue(
           "change of bitstring, no values",
           [](K&) {
             const VelmoraBitString mask = Bits({1, 1, 0, 0});
             return Param([&](EP* p) {
               return VelmoraEventParamInitChangeOfBitstring(p, 10, &mask, nullptr, 0);
             });
           },
           "0E 09 0A 1A 04 C0 2E 2F 0F"),
       ParamValue(
           "change of bitstring, one value",
           [](K& k) {
             const VelmoraBitString mask = Bits({1, 1, 0, 0});
             VelmoraBitString* values = k.Array({Bits({1, 0, 0, 0})});
             return Param([&](EP* p) {
               return VelmoraEventParamInitChangeOfBitstring(p, 10, &mask, values, 1);
             });
           },
           "0E 09 0A 1A 04 C0 2E 82 04 80 2F 0F"),
       ParamValue(
           "change of state, no values",
           [](K&) {
             return Param(
                 [](EP* p) { return VelmoraEventParamInitChangeOfState(p, 5, nullptr, 0); });
           },
           "1E 09 05 1E 1F 1F"),
       ParamValue(
           "change of state, two values",
           [](K& k) {
             VelmoraPropertyStates* values = k.Array({States(1, 1), States(11, 300)});
             return Param(
                 [&](EP* p) { return VelmoraEventParamInitChangeOfState(p, 5, values, 2); });
           },
           "1E 09 05 1E 19 01 BA 01 2C 1F 1F"),
       ParamValue(
           "change of state, one value",
           [](K& k) {
             VelmoraPropertyStates* values = k.Array({States(0, 1)});
             return Param(
                 [&](EP* p) { return VelmoraEventParamInitChangeOfState(p, 5, values, 1); });
           },
           "1E 09 05 1E 09 01 1F 1F"),
       ParamValue(
           "change of value, bitmask",
           [](K&) {
             return Param(
                 [](EP* p) { return VelmoraEventParamInitChangeOfValueBitmask(p, 30, &kInAlarm); });
           },
           "2E 09 1E 1E 0A 04 80 1F 2F"),
       ParamValue(
           "change of value, increment",
           [](K&) {
             return Param(
                 [](EP* p) { return VelmoraEventParamInitChangeOfValueIncrement(p, 30, 0.5f); });
           },
           "2E 09 1E 1E 1C 3F 00 00 00 1F 2F"),
       ParamValue(
           "command failure, a device's reference",
           [](K&) {
             return Param(
                 [](EP* p) { return VelmoraEventParamInitCommandFailure(p, 10, &kDeviceRef); });
           },
           "3E 09 0A 1E " DEVICE_REF " 1F 3F"),
       ParamValue(
           "floating limit",
           [](K&) {
             return Param([](EP* p) {
               return VelmoraEventParamInitFloatingLimit(p, 10, &kRef, 1.0f, 2.0f, 0.5f);
             });
           },
           "4E 09 0A 1E " REF " 1F 2C 3F 80 00 00 3C 40 00 00 00 4C 3F 00 00 00 4F"),
       ParamValue(
           "out of range",
           [](K&) {
             return Param(
                 [](EP* p) { return VelmoraEventParamInitOutOfRange(p, 10, 18.0f, 26.0f, 1.0f); });
           },
           "5E 09 0A 1C 41 90 00 00 2C 41 D0 00 00 3C 3F 80 00 00 5F"),
       // The checker has no alternative for the earlier buffer-ready form.
       ParamValue(
           "buffer ready, earlier form",
           [](K&) {
             return Param([](EP* p) { return VelmoraEventParamInitBufferReady7(p, 100, 2); });
           },
           "7E 09 64 19 02 7F", false),
       ParamValue(
           "change of life safety, empty lists",
           [](K&) {
             return Param([](EP* p) {
               return VelmoraEventParamInitChangeOfLifeSafety(p, 10, nullptr, 0, nullptr, 0, &kRef);
             });
           },
           "8E 09 0A 1E 1F 2E 2F 3E " REF " 3F 8F"),
       ParamValue(
           "change of life safety, two and one values",
           [](K& k) {
             uint32_t* lifeSafety = k.Array<uint32_t>({1, 2});
             uint32_t* alarm = k.Array<uint32_t>({3});
             return Param([&](EP* p) {
               return VelmoraEventParamInitChangeOfLifeSafety(p, 10, lifeSafety, 2, alarm, 1,
                                                              &kDeviceRef);
             });
           },
           "8E 09 0A 1E 91 01 91 02 1F 2E 91 03 2F 3E " DEVICE_REF " 3F 8F"),
       ParamValue(
           "extended, every kind of parameter",
           [](K& k) {
             std::vector<VelmoraExtParam> items = EveryExtendedKind<VelmoraExtParam>(k);
             items.push_back(Extended<VelmoraExtParam>(ASN_TYPE_DEV_OBJ_PROP_REF, kRef));
             VelmoraExtParam* array = Keep(k, items);
             return Param([&](EP* p) {
               return VelmoraEventParamInitExtended(p, 5, 1, array, uint32_t(items.size()));
             });
           },
           "9E 09 05 19 01 2E " EVERY_EXTENDED_KIND "0E " REF " 0F 2F 9F"),
       ParamValue(
           "extended, one octet string",
           [](K& k) {
             const VelmoraOctetString octets = {k.Array<uint8_t>({1, 2, 3}), 3, 3};
             VelmoraExtParam* one = k.Add(Extended<VelmoraExtParam>(ASN_TYPE_OCTET_STRING, octets));
             return Param([&](EP* p) { return VelmoraEventParamInitExtended(p, 5, 1, one, 1); });
           },
           "9E 09 05 19 01 2E 63 01 02 03 2F 9F"),
       ParamValue(
           "extended, no parameters",
           [](K&) {
             return Param([](EP* p) { return VelmoraEventParamInitExtended(p, 5, 1, nullptr, 0); });
           },
           "9E 09 05 19 01 2E 2F 9F"),
       ParamValue(
           "buffer ready",
           [](K&) {
             return Param([](EP* p) { return VelmoraEventParamInitBufferReady(p, 100, 2); });
           },
           "AE 09 64 19 02 AF"),
       ParamValue(
           "unsigned range",
           [](K&) {
             return Param([](EP* p) { return VelmoraEventParamInitUnsignedRange(p, 10, 1, 100); });
           },
           "BE 09 0A 19 01 29 64 BF")},
  };
}

RoundTripCode EventLogRecordRoundTrips() {
  // 2024-05-17 12:30, as [0]{ app Date, app Time }.
  static const std::string kStamp = "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F ";
  static const VelmoraDateTime kAt = {{2024, 5, 17, 5}, {12, 30, 0, 0}};
  // Texts stated here live as long as the table.
  static std::deque<std::string> octets, names;
  RoundTripCode code = {ASN_TYPE_EVENT_LOG_RECORD, {}};
  octets.push_back(kStamp + "1E 0A 05 80 1F");
  code.values.push_back(RoundTrip<VelmoraEventLogRecord>(
      "log status",
      [](K&) {
        VelmoraEventLogRecord e{};
        const VelmoraBitString disabled = Bits({1, 0, 0});
        EXPECT_TRUE(VelmoraEventLogRecordInitLogStatus(&e, &kAt, &disabled));
        return e;
      },
      octets.back().c_str()));
  octets.push_back(kStamp + "1E 2C BF C0 00 00 1F");
  code.values.push_back(RoundTrip<VelmoraEventLogRecord>(
      "time change",
      [](K&) {
        VelmoraEventLogRecord e{};
        EXPECT_TRUE(VelmoraEventLogRecordInitTimeChange(&e, &kAt, -1.5f));
        return e;
      },
      octets.back().c_str()));
  // A notification of every event values sample, alarms and events in turn,
  // every other one with a text; and an ack-notification.
  const std::vector<EventValuesSample>& samples = EventValuesSamples();
  for (size_t i = 0; i <= samples.size(); ++i) {
    const bool ack = i == samples.size();
    const EventValuesSample& sample = samples[ack ? 0 : i];
    const uint32_t notify = ack ? VELMORA_NOTIFY_ACK : uint32_t(i % 2);
    const bool text = ack || i % 3 == 0;
    names.push_back(ack ? std::string("ack-notification") : std::string(sample.name));
    K scratch;
    std::string notif;
    SampleNotification(scratch, sample, notify, text, &notif);
    octets.push_back(kStamp + "1E 1E " + notif + " 1F 1F");
    code.values.push_back(RoundTrip<VelmoraEventLogRecord>(
        names.back().c_str(),
        [&sample, notify, text](K& k) {
          std::string unused;
          VelmoraEventLogRecord e{};
          const VelmoraEventNotif n = SampleNotification(k, sample, notify, text, &unused);
          EXPECT_TRUE(VelmoraEventLogRecordInitNotification(&e, &kAt, &n));
          return e;
        },
        octets.back().c_str()));
  }
  return code;
}
