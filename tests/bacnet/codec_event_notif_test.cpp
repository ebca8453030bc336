// Event notifications in both in-memory forms and the event log record:
// the octets the encoders write by notify type and text, the sentinels of
// what the octets leave out, the request block's carved parts, and the
// ConfirmedEventNotification and UnconfirmedEventNotification of every
// event type through the syntax checker into the request block.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_event_notif.h"
#include "bacnet/asn_event_params.h"
#include "bacnet/asn_value_decode.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/event_samples.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/roundtrip.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kConfirmedEventNotification = 2;
constexpr uint8_t kUnconfirmedEventNotification = 3;

Bytes Encode(int32_t (*encode)(const void*, AsnCursor*), const void* record, int32_t* status) {
  Bytes out(1024, 0xEE);
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  *status = encode(record, &c);
  out.resize(size_t(c.current - out.data()));
  return out;
}

// The octets decoded by decode into a guard-banded block of exactly the
// size measure gives, set to a pattern first.
struct Decoded {
  explicit Decoded(uint32_t n) : buffer(n), size(n) {}
  GuardedBuffer buffer;
  uint32_t size;
  uint32_t carved = 0;  // below the arena end
  size_t consumed = 0;
  template <typename R>
  const R& As() {
    return *reinterpret_cast<const R*>(buffer.data());
  }
};

Decoded DecodeInto(const Bytes& octets, AsnDecodedSizeFn measure, AsnArenaDecoder decode) {
  Decoded d(measure(octets.data(), uint32_t(octets.size())));
  std::memset(d.buffer.data(), 0x5A, d.size);
  uint8_t* top = d.buffer.data() + d.size;
  AsnCursor in = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
  decode(&in, d.buffer.data(), &top);
  d.consumed = size_t(in.current - octets.data());
  d.carved = uint32_t(d.buffer.data() + d.size - top);
  return d;
}

bool AllBytes(const void* p, size_t n, uint8_t value) {
  const auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i] != value) return false;
  return true;
}

const std::string kHead = "09 01 1C 02 00 00 01 2C 00 00 00 01 3E 19 05 3F 49 01 59 64 69 05";
const EventValuesSample& OutOfRange() {
  for (const EventValuesSample& s : EventValuesSamples())
    if (std::string(s.name) == "out of range") return s;
  return EventValuesSamples().front();
}

TEST(EventNotifCodec, OctetsByNotifyTypeAndText) {
  RoundTripKeep keep;
  std::string stated;
  const std::string values = "5E 0C 41 F0 00 00 1A 04 80 2C 3F 80 00 00 3C 41 E0 00 00 5F";
  const struct {
    const char* name;
    uint32_t notify;
    bool text;
    std::string octets;
  } cases[] = {
      {"alarm", VELMORA_NOTIFY_ALARM, false,
       kHead + " 89 00 99 01 A9 00 B9 03 CE " + values + " CF"},
      {"event with a text", VELMORA_NOTIFY_EVENT, true,
       kHead + " 7B 00 61 62 89 01 99 00 A9 02 B9 00 CE " + values + " CF"},
      {"ack-notification", VELMORA_NOTIFY_ACK, false, kHead + " 89 02 B9 03"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VelmoraEventNotif n = SampleNotification(keep, OutOfRange(), c.notify, c.text, &stated);
    EXPECT_EQ(Hex(stated), Hex(c.octets));
    int32_t status;
    EXPECT_EQ(Encode(AsnEncodeEventNotif, &n, &status), Hex(c.octets));
    EXPECT_EQ(status, ASN_OK);
  }

  // An alarm turned into an ack-notification keeps its event values in the
  // record, yet sends none of [9], [10] and [12].
  VelmoraEventNotif n =
      SampleNotification(keep, OutOfRange(), VELMORA_NOTIFY_ALARM, false, &stated);
  ASSERT_TRUE(VelmoraEventNotifSetNotifyType(&n, VELMORA_NOTIFY_ACK));
  int32_t status;
  EXPECT_EQ(Encode(AsnEncodeEventNotif, &n, &status), Hex(kHead + " 89 02 B9 03"));
  EXPECT_EQ(status, ASN_OK);

  ASSERT_TRUE(VelmoraEventNotifSetNotifyType(&n, 3));
  EXPECT_TRUE(Encode(AsnEncodeEventNotif, &n, &status).empty());
  EXPECT_EQ(status, ASN_BAD_NOTIFY_TYPE);

  // The request form alike: an alarm with a text, decoded into the request
  // block, its fixed part then given notify type 3.
  n = SampleNotification(keep, OutOfRange(), VELMORA_NOTIFY_ALARM, true, &stated);
  Decoded d = DecodeInto(Hex(stated), AsnDecodedSizeEventNotifRequest, AsnDecodeEventNotifRequest);
  VelmoraEventNotifRequest r = d.As<VelmoraEventNotifRequest>();
  ASSERT_TRUE(r.fixed && r.state);
  EXPECT_EQ(Encode(AsnEncodeEventNotifRequest, &r, &status), Hex(stated));
  EXPECT_EQ(status, ASN_OK);
  VelmoraEventNotifFixedPart fixed = *r.fixed;
  fixed.notify_type = 3;
  r.fixed = &fixed;
  EXPECT_TRUE(Encode(AsnEncodeEventNotifRequest, &r, &status).empty());
  EXPECT_EQ(status, ASN_BAD_NOTIFY_TYPE);
}

// An ack-notification switched back to an alarm carries event values of
// 0xFF bytes: refused with 53 in both forms, no pointer of them followed.
TEST(EventNotifCodec, AckValuesSwitchedBackToAnAlarmAreRefused) {
  VelmoraEventNotif n{};
  ASSERT_TRUE(VelmoraEventNotifInitAckNotification(&n, 5, 3));
  ASSERT_TRUE(VelmoraEventNotifSetNotifyType(&n, VELMORA_NOTIFY_ALARM));
  int32_t status;
  EXPECT_TRUE(Encode(AsnEncodeEventNotif, &n, &status).empty());
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);

  VelmoraEventNotifFixedPart fixed = {1, n.time_stamp, 1, 100, 5, VELMORA_NOTIFY_ALARM};
  VelmoraEventNotifStatePart state{};
  state.ack_required = 1;
  state.to_state = 3;
  std::memset(&state.event_values, 0xFF, sizeof state.event_values);
  const VelmoraEventNotifRequest r = {{8, 1}, {0, 1}, -1, nullptr, &fixed, &state};
  EXPECT_TRUE(Encode(AsnEncodeEventNotifRequest, &r, &status).empty());
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);
}

// What the octets leave out decodes to its sentinel: no text (length -1,
// set 255), ack required 255, from state -1, event values of 0xFF bytes.
TEST(EventNotifCodec, AbsentElementsDecodeToTheirSentinels) {
  const struct {
    const char* name;
    std::string octets;
    uint32_t textBytes;  // carved for the text
  } cases[] = {
      {"ends after [11]", kHead + " 89 02 B9 03", 0},
      {"a text, ends after [11]", kHead + " 7B 00 61 62 89 02 B9 03", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Decoded d = DecodeInto(Hex(c.octets), AsnDecodedSizeEventNotif, AsnDecodeEventNotif);
    EXPECT_EQ(d.size, sizeof(VelmoraEventNotif) + AsnBlockSize(c.textBytes));
    EXPECT_EQ(d.carved + sizeof(VelmoraEventNotif), d.size);
    EXPECT_EQ(d.consumed, Hex(c.octets).size());
    EXPECT_TRUE(d.buffer.guardsIntact());
    const auto& n = d.As<VelmoraEventNotif>();
    EXPECT_EQ(n.notify_type, VELMORA_NOTIFY_ACK);
    EXPECT_EQ(n.ack_required, 255);
    EXPECT_EQ(n.from_state, 0xFFFFFFFFu);
    EXPECT_EQ(n.to_state, 3u);
    EXPECT_TRUE(AllBytes(&n.event_values, sizeof n.event_values, 0xFF));
    if (c.textBytes == 0) {
      EXPECT_EQ(n.message_text.text, nullptr);
      EXPECT_EQ(n.message_text.length, -1);
      EXPECT_EQ(n.message_text.code_page, 0);
      EXPECT_EQ(n.message_text.charset, VELMORA_CHARSET_ABSENT);
    } else {
      EXPECT_EQ(std::string(n.message_text.text, 2), "ab");
      EXPECT_EQ(n.message_text.charset, VELMORA_CHARSET_ANSI);
    }
    int32_t status;
    EXPECT_EQ(Encode(AsnEncodeEventNotif, &n, &status), Hex(c.octets));

    Decoded r =
        DecodeInto(Hex(c.octets), AsnDecodedSizeEventNotifRequest, AsnDecodeEventNotifRequest);
    const auto& q = r.As<VelmoraEventNotifRequest>();
    EXPECT_EQ(q.charset, c.textBytes ? 0 : -1);
    EXPECT_EQ(q.message_text == nullptr, c.textBytes == 0);
    ASSERT_NE(q.state, nullptr);
    EXPECT_EQ(q.state->ack_required, 255);
    EXPECT_EQ(q.state->from_state, -1);
    EXPECT_TRUE(AllBytes(&q.state->event_values, sizeof q.state->event_values, 0xFF));
  }
}

// The request block's parts lie below it, the fixed part highest, then the
// text, then the state part, each as the text datatype's length counts it.
TEST(EventNotifRequestCodec, PartsAreCarvedInOrder) {
  const struct {
    const char* name;
    std::string text;
    int32_t charset;
    uint32_t textBytes;
  } cases[] = {
      {"ANSI", "7B 00 61 62", VELMORA_CHARSET_ANSI, 3},
      {"UCS-2", "7D 05 04 00 41 00 42", VELMORA_CHARSET_UCS2, 6},
      {"DBCS", "7D 06 01 03 A4 61 62 63", VELMORA_CHARSET_DBCS,
       uint32_t(sizeof(VelmoraDbcsString) + alignof(VelmoraDbcsString) - 1 + 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes octets = Hex(kHead + " " + c.text + " 89 02 B9 03");
    Decoded d = DecodeInto(octets, AsnDecodedSizeEventNotifRequest, AsnDecodeEventNotifRequest);
    EXPECT_EQ(d.size,
              sizeof(VelmoraEventNotifRequest) + AsnBlockSize(sizeof(VelmoraEventNotifFixedPart)) +
                  AsnBlockSize(c.textBytes) + AsnBlockSize(sizeof(VelmoraEventNotifStatePart)));
    EXPECT_EQ(d.carved + sizeof(VelmoraEventNotifRequest), d.size);
    EXPECT_TRUE(d.buffer.guardsIntact());
    const auto& r = d.As<VelmoraEventNotifRequest>();
    const auto* end = d.buffer.data() + d.size;
    const auto* fixed = reinterpret_cast<const uint8_t*>(r.fixed);
    const auto* text = static_cast<const uint8_t*>(r.message_text);
    const auto* state = reinterpret_cast<const uint8_t*>(r.state);
    EXPECT_EQ(fixed, end - AsnBlockSize(sizeof(VelmoraEventNotifFixedPart)));
    EXPECT_LT(text, fixed);
    EXPECT_LT(state, text);
    EXPECT_EQ(state, d.buffer.data() + sizeof r);
    EXPECT_EQ(r.charset, c.charset);
    if (c.charset == VELMORA_CHARSET_DBCS) {
      const auto* dbcs = static_cast<const VelmoraDbcsString*>(r.message_text);
      EXPECT_EQ(dbcs->code_page, 932);
      EXPECT_STREQ(dbcs->text, "abc");
    } else if (c.charset == VELMORA_CHARSET_UCS2) {
      uint16_t units[3];
      std::memcpy(units, text, sizeof units);
      EXPECT_EQ(units[0], 'A');
      EXPECT_EQ(units[1], 'B');
      EXPECT_EQ(units[2], 0);
    } else {
      EXPECT_STREQ(static_cast<const char*>(r.message_text), "ab");
    }
    int32_t status;
    EXPECT_EQ(Encode(AsnEncodeEventNotifRequest, &r, &status), octets);
    EXPECT_EQ(status, ASN_OK);
  }
}

TEST(EventNotifRequestCodec, Refusals) {
  VelmoraEventNotifFixedPart fixed = {1, {}, 1, 100, 5, VELMORA_NOTIFY_ACK};
  VelmoraEventNotifStatePart state = {255, -1, 3, {}};
  const char ansi[] = "ab";
  const struct {
    const char* name;
    VelmoraEventNotifRequest request;
    int32_t status;
  } cases[] = {
      {"no fixed part", {{8, 1}, {0, 1}, -1, nullptr, nullptr, &state}, ASN_MISSING_RECORD},
      {"no state part", {{8, 1}, {0, 1}, -1, nullptr, &fixed, nullptr}, ASN_MISSING_RECORD},
      {"character set 6", {{8, 1}, {0, 1}, 6, ansi, &fixed, &state}, ASN_UNKNOWN_CHOICE},
      {"character set 255", {{8, 1}, {0, 1}, 255, ansi, &fixed, &state}, ASN_UNKNOWN_CHOICE},
      {"a set without its text", {{8, 1}, {0, 1}, 0, nullptr, &fixed, &state}, ASN_BAD_BUFFER},
      {"bad object identifier",
       {{1024, 1}, {0, 1}, -1, nullptr, &fixed, &state},
       ASN_INVALID_VALUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t status;
    EXPECT_TRUE(Encode(AsnEncodeEventNotifRequest, &c.request, &status).empty());
    EXPECT_EQ(status, c.status);
  }
  int32_t status;
  EXPECT_TRUE(Encode(AsnEncodeEventNotifRequest, nullptr, &status).empty());
  EXPECT_EQ(status, ASN_MISSING_RECORD);
}

// A notification of each event type, as a ConfirmedEventNotification and an
// UnconfirmedEventNotification of every notify type: the service parameters
// of both forms are the stated octets, the syntax checker takes them, and
// the request block decoded from them holds every field as encoded.
TEST(EventNotifRequestCodec, EveryEventTypeThroughTheCheckerIntoTheRequestBlock) {
  for (const EventValuesSample& sample : EventValuesSamples()) {
    for (uint32_t notify : {VELMORA_NOTIFY_ALARM, VELMORA_NOTIFY_EVENT, VELMORA_NOTIFY_ACK}) {
      for (bool text : {false, true}) {
        SCOPED_TRACE(testing::Message()
                     << sample.name << ", notify type " << notify << (text ? ", a text" : ""));
        RoundTripKeep keep;
        std::string stated;
        const VelmoraEventNotif n = SampleNotification(keep, sample, notify, text, &stated);
        int32_t status;
        const Bytes params = Encode(AsnEncodeEventNotif, &n, &status);
        ASSERT_EQ(status, ASN_OK);
        EXPECT_EQ(params, Hex(stated));
        const auto length = uint32_t(params.size());
        EXPECT_EQ(AsnCheckConfirmedRequest(kConfirmedEventNotification, params.data(), length), 0u);
        EXPECT_TRUE(
            AsnCheckUnconfirmedRequest(kUnconfirmedEventNotification, params.data(), length));

        Decoded d = DecodeInto(params, AsnDecodedSizeEventNotifRequest, AsnDecodeEventNotifRequest);
        EXPECT_EQ(d.consumed, params.size());
        EXPECT_EQ(d.carved + sizeof(VelmoraEventNotifRequest), d.size) << "storage used";
        EXPECT_TRUE(d.buffer.guardsIntact());
        const auto& r = d.As<VelmoraEventNotifRequest>();
        EXPECT_EQ(r.initiating_device.type, 8u);
        EXPECT_EQ(r.initiating_device.instance, 1u);
        EXPECT_EQ(r.event_object.type, kSampleEventObject.type);
        EXPECT_EQ(r.event_object.instance, kSampleEventObject.instance);
        EXPECT_EQ(r.charset, text ? 0 : -1);
        if (text) {
          EXPECT_STREQ(static_cast<const char*>(r.message_text), "ab");
        }
        ASSERT_TRUE(r.fixed && r.state);
        EXPECT_EQ(r.fixed->process_id, 1u);
        EXPECT_EQ(r.fixed->time_stamp.choice, 1u);
        EXPECT_EQ(r.fixed->time_stamp.value.sequence_number, 5u);
        EXPECT_EQ(r.fixed->notification_class, 1u);
        EXPECT_EQ(r.fixed->priority, 100);
        EXPECT_EQ(r.fixed->event_type, n.event_type);
        EXPECT_EQ(r.fixed->notify_type, notify);
        EXPECT_EQ(r.state->ack_required, notify == VELMORA_NOTIFY_ACK ? 255 : n.ack_required);
        EXPECT_EQ(r.state->from_state, notify == VELMORA_NOTIFY_ACK ? -1 : int32_t(n.from_state));
        EXPECT_EQ(r.state->to_state, n.to_state);
        if (notify == VELMORA_NOTIFY_ACK) {
          EXPECT_TRUE(AllBytes(&r.state->event_values, sizeof r.state->event_values, 0xFF));
        } else {
          EXPECT_EQ(r.state->event_values.event_type, n.event_type);
          // The event values as decoded go out as they came in.
          VelmoraNotifParam values = r.state->event_values;
          EXPECT_EQ(Encode(AsnEncodeNotifParam, &values, &status), Hex(sample.octets));
        }
        EXPECT_EQ(Encode(AsnEncodeEventNotifRequest, &r, &status), params);
        EXPECT_EQ(status, ASN_OK);

        // The flat form from the same octets.
        Decoded f = DecodeInto(params, AsnDecodedSizeEventNotif, AsnDecodeEventNotif);
        EXPECT_EQ(f.carved + sizeof(VelmoraEventNotif), f.size);
        EXPECT_TRUE(f.buffer.guardsIntact());
        EXPECT_EQ(Encode(AsnEncodeEventNotif, &f.As<VelmoraEventNotif>(), &status), params);
      }
    }
  }
}

TEST(EventLogRecordCodec, DecodedSizeByChoice) {
  const std::string stamp = "0E A4 7C 05 11 05 B4 0C 1E 00 00 0F ";
  RoundTripKeep keep;
  std::string notif;
  for (const EventValuesSample& sample : EventValuesSamples()) {
    SCOPED_TRACE(sample.name);
    SampleNotification(keep, sample, VELMORA_NOTIFY_ALARM, true, &notif);
    const Bytes octets = Hex(stamp + "1E 1E " + notif + " 1F 1F");
    const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_EVENT_LOG_RECORD);
    // The header before the notification, then the notification's own size.
    EXPECT_EQ(row->decodedSize(octets.data(), uint32_t(octets.size())),
              offsetof(VelmoraEventLogRecord, value) +
                  AsnDecodedSizeEventNotif(octets.data() + 14, uint32_t(octets.size() - 14)));
  }
  for (const char* datum : {"1E 0A 05 80 1F", "1E 2C BF C0 00 00 1F"}) {
    const Bytes octets = Hex(stamp + datum);
    EXPECT_EQ(AsnDecodedSizeEventLogRecord(octets.data(), uint32_t(octets.size())),
              sizeof(VelmoraEventLogRecord));
  }
}

TEST(EventLogRecordCodec, UnknownChoice) {
  VelmoraEventLogRecord e{};
  const VelmoraDateTime at = {{2024, 5, 17, 5}, {12, 30, 0, 0}};
  ASSERT_TRUE(VelmoraEventLogRecordInitTimeChange(&e, &at, 1.0f));
  e.choice = 3;
  int32_t status;
  EXPECT_TRUE(Encode(AsnEncodeEventLogRecord, &e, &status).empty());
  EXPECT_EQ(status, ASN_INVALID_VALUE);

  // A datum of tag 3 keeps its number as the choice and is stepped over.
  const Bytes octets = Hex("0E A4 7C 05 11 05 B4 0C 1E 00 00 0F 1E 39 01 1F");
  Decoded d = DecodeInto(octets, AsnDecodedSizeEventLogRecord, AsnDecodeEventLogRecord);
  EXPECT_EQ(d.consumed, octets.size());
  EXPECT_EQ(d.As<VelmoraEventLogRecord>().choice, 3u);
  EXPECT_EQ(d.size, sizeof(VelmoraEventLogRecord));
}

}  // namespace
