// Event parameters and notification parameters: what each family refuses
// and accepts, how their lists and extended parameters are carved, and what
// the decoders make of octets the syntax checker would refuse. The round
// trips of every event type are rows of the round-trip table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_event_params.h"
#include "bacnet/asn_value_decode.h"
#include "tests/bacnet/support/counting_allocator.h"
#include "tests/bacnet/support/hex.h"
#include "tests/bacnet/support/roundtrip.h"

namespace {

using Bytes = std::vector<uint8_t>;

const VelmoraDevObjPropRef kRef = {{0, 1}, 85, VELMORA_NO_INDEX, 0, {}};
const std::string kRefHex = "0C 00 00 00 01 19 55";

template <typename R>
const R& As(RoundTripDecoded& d) {
  return *static_cast<const R*>(d.record());
}

// Notification parameters into a guard-banded block of exactly their
// decoded size, set to a pattern first.
struct NotifDecoded {
  explicit NotifDecoded(uint32_t n) : buffer(n), size(n) {}
  GuardedBuffer buffer;
  uint32_t size;
  size_t measured = 0;  // octets the decoded size moved over
  size_t consumed = 0;  // octets the decoder moved over
  uint32_t used = 0;
  const VelmoraNotifParam& record() {
    return *reinterpret_cast<const VelmoraNotifParam*>(buffer.data());
  }
};

NotifDecoded DecodeNotif(const Bytes& octets, uint32_t objectType) {
  AsnCursor measure = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
  NotifDecoded d(AsnDecodedSizeNotifParam(&measure, objectType));
  d.measured = size_t(measure.current - octets.data());
  std::memset(d.buffer.data(), 0x5A, d.size);
  uint8_t* top = d.buffer.data() + d.size;
  AsnCursor in = AsnCursorOverConst(octets.data(), uint32_t(octets.size()));
  AsnDecodeNotifParam(d.buffer.data(), &in, &top, objectType);
  d.consumed = size_t(in.current - octets.data());
  d.used = uint32_t(sizeof(VelmoraNotifParam)) + uint32_t(d.buffer.data() + d.size - top);
  return d;
}

Bytes Encode(int32_t (*encode)(const void*, AsnCursor*), const void* record, int32_t* status) {
  Bytes out(512, 0xEE);
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  *status = encode(record, &c);
  out.resize(size_t(c.current - out.data()));
  return out;
}

TEST(EventValuesCodec, TypesWithoutAnAlternativeAreRefusedBeforeAnythingIsRead) {
  int32_t status;
  for (uint32_t type : {6u, 12u, 15u, 0xFFFFFFFFu}) {
    VelmoraEventParam p{};
    p.event_type = type;
    EXPECT_TRUE(Encode(AsnEncodeEventParam, &p, &status).empty()) << type;
    EXPECT_EQ(status, ASN_UNKNOWN_CHOICE) << type;
  }
  // An ack-notification's event values: every byte 0xFF, so every list
  // pointer a wild one that must not be followed.
  VelmoraNotifParam filled;
  std::memset(&filled, 0xFF, sizeof filled);
  EXPECT_TRUE(Encode(AsnEncodeNotifParam, &filled, &status).empty());
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);
  VelmoraNotifParam twelve{};
  twelve.event_type = 12;
  EXPECT_TRUE(Encode(AsnEncodeNotifParam, &twelve, &status).empty());
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);

  // Notification parameters have complex event types, event parameters not.
  VelmoraNotifParam complex{};
  ASSERT_TRUE(VelmoraNotifParamInitComplexEventType(&complex, nullptr, 0));
  EXPECT_EQ(Encode(AsnEncodeNotifParam, &complex, &status), Hex("6E 6F"));
  EXPECT_EQ(status, ASN_OK);
}

// The element of the extended parameters' [0]{ } is a device object
// property reference among event parameters, a device object property value
// among notification parameters; neither family takes the other's.
TEST(EventValuesCodec, ExtendedParameterOfEachFamily) {
  VelmoraExtParam byReference{};
  ASSERT_TRUE(VelmoraExtParamSetReference(&byReference, &kRef));
  VelmoraNotifExtParam byValue{};
  VelmoraNotifExtParam byReferenceInNotif{};
  byReferenceInNotif.type = ASN_TYPE_DEV_OBJ_PROP_REF;
  std::memcpy(static_cast<void*>(&byReferenceInNotif.value), &kRef, sizeof kRef);
  const float value = 42.0f;
  const VelmoraDevObjPropValue v = {
      {8, 1}, {0, 1}, 85, VELMORA_NO_INDEX, {ASN_TYPE_REAL, const_cast<float*>(&value), 4, 1}};
  ASSERT_TRUE(VelmoraNotifExtParamSetPropertyValue(&byValue, &v));
  VelmoraExtParam byValueInEvent{};
  byValueInEvent.type = ASN_TYPE_DEV_OBJ_PROP_VALUE;

  VelmoraEventParam event{};
  VelmoraNotifParam notif{};
  const std::string head = "9E 09 05 19 01 2E ";
  const struct {
    const char* name;
    bool event;
    const void* element;
    int32_t status;
    std::string octets;
  } cases[] = {
      {"reference among event parameters", true, &byReference, ASN_OK,
       head + "0E " + kRefHex + " 0F 2F 9F"},
      {"value among event parameters", true, &byValueInEvent, ASN_UNKNOWN_CHOICE, ""},
      {"reference among notification parameters", false, &byReferenceInNotif, ASN_UNKNOWN_CHOICE,
       ""},
      {"value among notification parameters", false, &byValue, ASN_OK,
       head + "0E 0C 02 00 00 01 1C 00 00 00 01 29 55 4E 44 42 28 00 00 4F 0F 2F 9F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t status;
    Bytes out;
    if (c.event) {
      ASSERT_TRUE(VelmoraEventParamInitExtended(
          &event, 5, 1, static_cast<VelmoraExtParam*>(const_cast<void*>(c.element)), 1));
      out = Encode(AsnEncodeEventParam, &event, &status);
    } else {
      ASSERT_TRUE(VelmoraNotifParamInitExtended(
          &notif, 5, 1, static_cast<VelmoraNotifExtParam*>(const_cast<void*>(c.element)), 1));
      out = Encode(AsnEncodeNotifParam, &notif, &status);
    }
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(out, Hex(c.octets));
  }
}

TEST(EventValuesCodec, OtherRefusals) {
  int32_t status;
  VelmoraEventParam p{};
  ASSERT_TRUE(VelmoraEventParamInitChangeOfValueIncrement(&p, 10, 1.0f));
  p.alt.change_of_value.criteria = 2;
  Encode(AsnEncodeEventParam, &p, &status);
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);
  const VelmoraBitString mask = Bits({1, 0});
  ASSERT_TRUE(VelmoraEventParamInitChangeOfBitstring(&p, 10, &mask, nullptr, 0));
  p.alt.change_of_bitstring.count = 2;  // a list without its array
  EXPECT_TRUE(Encode(AsnEncodeEventParam, &p, &status).empty());
  EXPECT_EQ(status, ASN_BAD_BUFFER);
  // A character string is decoded among the parameters, but not sent.
  VelmoraExtParam text{};
  text.type = ASN_TYPE_CHAR_STRING;
  ASSERT_TRUE(VelmoraEventParamInitExtended(&p, 5, 1, &text, 1));
  Encode(AsnEncodeEventParam, &p, &status);
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);

  VelmoraNotifParam n{};
  const VelmoraBitString flags = Bits({0, 0, 0, 0});
  ASSERT_TRUE(VelmoraNotifParamInitChangeOfValueReal(&n, 1.0f, &flags));
  n.alt.change_of_value.choice = 5;
  Encode(AsnEncodeNotifParam, &n, &status);
  EXPECT_EQ(status, ASN_UNKNOWN_CHOICE);
  ASSERT_TRUE(VelmoraNotifParamInitComplexEventType(&n, nullptr, 0));
  n.alt.complex_event_type.count = 1;
  Encode(AsnEncodeNotifParam, &n, &status);
  EXPECT_EQ(status, ASN_BAD_BUFFER);
}

TEST(EventValuesCodec, ListsAreCarvedBelowTheRecord) {
  const Bytes octets = Hex("0E 09 0A 1A 04 C0 2E 82 04 80 82 04 40 81 00 2F 0F");
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_EVENT_PARAMETER, octets);
  EXPECT_EQ(d.size, sizeof(VelmoraEventParam) + AsnBlockSize(3 * sizeof(VelmoraBitString)));
  EXPECT_EQ(d.used, d.size);
  EXPECT_TRUE(d.buffer.guardsIntact());
  const auto& p = As<VelmoraEventParam>(d);
  ASSERT_EQ(p.alt.change_of_bitstring.count, 3u);
  const auto* block = static_cast<const uint8_t*>(d.record());
  const auto* values = reinterpret_cast<const uint8_t*>(p.alt.change_of_bitstring.values);
  EXPECT_GE(values, block + sizeof p);
  EXPECT_LE(values + 3 * sizeof(VelmoraBitString), block + d.size);
  EXPECT_EQ(p.alt.change_of_bitstring.values[1].count, 4u);
  EXPECT_EQ(p.alt.change_of_bitstring.values[1].bits[0], 0x40);
  EXPECT_EQ(p.alt.change_of_bitstring.values[2].count, 0u);
}

// Complex event type values are typed for the event object's type: a
// priority array slot of an analog output is a priority value, of an
// analog input (which has none) a REAL by its tag.
TEST(EventValuesCodec, ComplexEventTypeValuesAreTypedForTheEventObject) {
  const Bytes octets = Hex("6E 09 57 19 01 2E 44 41 20 00 00 2F 09 6F 2E 82 04 00 2F 6F");
  const struct {
    uint32_t objectType;
    int32_t slot;
  } cases[] = {{1, ASN_TYPE_PRIORITY_VALUE}, {0, ASN_TYPE_REAL}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.objectType);
    NotifDecoded d = DecodeNotif(octets, c.objectType);
    EXPECT_EQ(d.measured, octets.size());
    EXPECT_EQ(d.consumed, octets.size());
    EXPECT_EQ(d.used, d.size);
    EXPECT_TRUE(d.buffer.guardsIntact());
    const VelmoraNotifParam& n = d.record();
    EXPECT_EQ(n.event_type, 6u);
    ASSERT_EQ(n.alt.complex_event_type.count, 2u);
    const VelmoraPropertyValue* values = n.alt.complex_event_type.values;
    const auto* block = d.buffer.data();
    EXPECT_GE(reinterpret_cast<const uint8_t*>(values), block + sizeof n);
    EXPECT_LE(reinterpret_cast<const uint8_t*>(values + 2), block + d.size);
    EXPECT_EQ(values[0].property, 87u);
    EXPECT_EQ(values[0].array_index, 1u);
    EXPECT_EQ(values[0].value.type, c.slot);
    EXPECT_EQ(values[1].property, 111u);
    EXPECT_EQ(values[1].value.type, ASN_TYPE_BIT_STRING);
    int32_t status;
    EXPECT_EQ(Encode(AsnEncodeNotifParam, &n, &status), octets);
    EXPECT_EQ(status, ASN_OK);
  }
}

// Texts of every character set and octet strings among the extended
// parameters are carved, and counted: storage used is the decoded size.
TEST(EventValuesCodec, ExtendedTextsAndOctetsAreCountedAsCarved) {
  const std::string ansi(60, 'x');
  std::string ansiHex;
  for (char ch : ansi)
    ansiHex += " " + std::string(1, "0123456789ABCDEF"[ch >> 4]) + "0123456789ABCDEF"[ch & 15];
  const std::string parameters = "75 3D 00" + ansiHex +        // ANSI, 60 characters
                                 " 75 06 01 03 A4 61 62 63" +  // DBCS, code page 932
                                 " 73 04 00 41" +              // UCS-2 "A"
                                 " 75 05 03 00 00 00 42" +     // UCS-4 "B"
                                 " 72 05 E9" +                 // ISO 8859-1
                                 " 74 00 61 00 62" +           // ANSI holding a zero
                                 " 72 09 61" +                 // an unknown set
                                 " 65 05 01 02 03 04 05";      // five octets
  const uint32_t count = 8;
  const std::string events = "9E 09 05 19 01 2E " + parameters + " 2F 9F";

  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_EVENT_PARAMETER, Hex(events));
  EXPECT_EQ(d.consumed, Hex(events).size());
  EXPECT_EQ(d.used, d.size);
  EXPECT_TRUE(d.buffer.guardsIntact());
  const auto& p = As<VelmoraEventParam>(d);
  ASSERT_EQ(p.alt.extended.count, count);
  NotifDecoded n = DecodeNotif(Hex(events), 0);
  EXPECT_EQ(n.used, n.size);
  EXPECT_TRUE(n.buffer.guardsIntact());
  ASSERT_EQ(n.record().alt.extended.count, count);

  auto text = [](const auto& e) {
    VelmoraCharString s;
    std::memcpy(&s, &e.value, sizeof s);
    return s;
  };
  for (uint32_t i = 0; i < count - 1; ++i) {
    EXPECT_EQ(p.alt.extended.parameters[i].type, uint32_t(ASN_TYPE_CHAR_STRING)) << i;
    EXPECT_EQ(n.record().alt.extended.parameters[i].type, uint32_t(ASN_TYPE_CHAR_STRING)) << i;
  }
  const VelmoraCharString first = text(p.alt.extended.parameters[0]);
  EXPECT_EQ(std::string(first.text, size_t(first.length)), ansi);
  const VelmoraCharString dbcs = text(n.record().alt.extended.parameters[1]);
  EXPECT_EQ(dbcs.charset, VELMORA_CHARSET_DBCS);
  EXPECT_EQ(dbcs.code_page, 932);
  EXPECT_STREQ(dbcs.text, "abc");
  EXPECT_EQ(text(p.alt.extended.parameters[6]).charset, 9);
  EXPECT_EQ(text(p.alt.extended.parameters[6]).text, nullptr);
  const VelmoraOctetString& octets = p.alt.extended.parameters[7].value.octet_string;
  EXPECT_EQ(octets.length, 5u);
  EXPECT_EQ(Bytes(octets.data, octets.data + 5), Bytes({1, 2, 3, 4, 5}));
}

// Octets the checker refuses still end every walk: a list is counted up to
// its closing tag, the first octet outside an application-tagged list's
// range, or the end; storage used stays the decoded size.
TEST(EventValuesCodec, UncheckedOctetsEndEveryWalk) {
  const struct {
    const char* name;
    std::string octets;
  } cases[] = {
      {"a bit string past the end", "0E 09 0A 1A 04 C0 2E 82 04"},
      {"a value outside the list's tag",
       "8E 09 0A 1E 91 01 21 05 91 02 1F 2E 2F 3E 0C 00 00 00 01 19 55 3F 8F"},
      {"a list without its closing tag", "1E 09 05 1E 19 01 19 02"},
      {"an extended parameter cut short", "9E 09 05 19 01 2E 0E 0C 00"},
      {"a context element among the parameters", "9E 09 05 19 01 2E 19 01 3E 21 01 3F 2F 9F"},
      {"a property value cut short", "6E 09 55 2E 44"},
      {"an opening tag in place of a value", "8E 0E 0F 1E 3E 91 01 3F 1F 8F"},
      {"no opening tag", "09 01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes octets = Hex(c.octets);
    RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_EVENT_PARAMETER, octets);
    EXPECT_LE(d.consumed, octets.size());
    EXPECT_EQ(d.used, d.size);
    EXPECT_TRUE(d.buffer.guardsIntact());
    NotifDecoded n = DecodeNotif(octets, 0);
    EXPECT_LE(n.consumed, octets.size());
    EXPECT_EQ(n.consumed, n.measured);
    EXPECT_EQ(n.used, n.size);
    EXPECT_TRUE(n.buffer.guardsIntact());
  }
  // The enumerations' count stopped at the Unsigned.
  RoundTripDecoded d = DecodeThroughRow(ASN_TYPE_EVENT_PARAMETER, Hex(cases[1].octets));
  EXPECT_EQ(As<VelmoraEventParam>(d).alt.change_of_life_safety.life_safety_alarm_count, 1u);
}

// An alternative the decoders do not decode leaves the record as it was and
// takes the whole element: what follows it is read as the next value.
TEST(EventValuesCodec, AlternativeNotDecodedIsSteppedOverWhole) {
  const std::string next = "3E 09 0A 1E " + kRefHex + " 1F 3F";
  const struct {
    const char* name;
    std::string skipped;
    bool event;  // also for event parameters
  } cases[] = {
      {"complex event type among event parameters", "6E 09 55 2E 44 00 00 00 00 2F 6F", true},
      {"tag 12", "CE 09 01 1E 21 01 1F CF", true},
      {"tag 15, extended", "FE 0F 09 01 FF 0F", true},
      {"tag 13 with nothing inside", "DE DF", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes skipped = Hex(c.skipped);
    const Bytes both = Hex(c.skipped + " " + next);
    const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_EVENT_PARAMETER);
    EXPECT_EQ(row->decodedSize(skipped.data(), uint32_t(skipped.size())),
              sizeof(VelmoraEventParam));
    std::vector<uint8_t> area(sizeof(VelmoraEventParam), 0xA5);
    AsnCursor in = AsnCursorOverConst(both.data(), uint32_t(both.size()));
    row->decode(&in, area.data(), nullptr, nullptr);
    EXPECT_EQ(size_t(in.current - both.data()), skipped.size());
    EXPECT_EQ(area, std::vector<uint8_t>(sizeof(VelmoraEventParam), 0xA5)) << "record untouched";
    VelmoraEventParam p{};
    row->decode(&in, &p, nullptr, nullptr);
    EXPECT_EQ(in.current, in.end);
    EXPECT_EQ(p.event_type, 3u);
    EXPECT_EQ(p.alt.command_failure.feedback_ref.property, 85u);

    if (c.skipped.rfind("6E", 0) == 0) continue;  // a notification's own alternative
    AsnCursor measure = AsnCursorOverConst(both.data(), uint32_t(both.size()));
    EXPECT_EQ(AsnDecodedSizeNotifParam(&measure, 0), sizeof(VelmoraNotifParam));
    EXPECT_EQ(size_t(measure.current - both.data()), skipped.size());
    VelmoraNotifParam n;
    std::memset(&n, 0xFF, sizeof n);
    AsnCursor notif = AsnCursorOverConst(both.data(), uint32_t(both.size()));
    AsnDecodeNotifParam(&n, &notif, nullptr, 0);
    EXPECT_EQ(notif.current, measure.current);
    EXPECT_EQ(n.event_type, 0xFFFFFFFFu) << "record untouched";
  }
}

}  // namespace
