// The further any-value setters and initialisers: each datatype's code and
// count, the bytes they may write (a canary behind the room), refusals that
// change nothing, and the encodings of the values they build.
#include "bacnet/any_value_set.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bacnet/asn_datatype.h"
#include "tests/bacnet/support/hex.h"

namespace {

constexpr uint8_t kCanary = 0xA5;

// Caller memory under a value record: the room the record is given, then
// canary bytes it must not reach.
struct Room {
  alignas(8) uint8_t bytes[512];
  VelmoraAnyValue v{};
  explicit Room(uint32_t capacity) {
    std::memset(bytes, kCanary, sizeof bytes);
    VelmoraAnyValueInitEmpty(&v, capacity ? bytes : nullptr, capacity);
  }
  bool UntouchedFrom(size_t from) const {
    for (size_t i = from; i < sizeof bytes; ++i)
      if (bytes[i] != kCanary) return false;
    return true;
  }
  bool Unchanged() const { return v.type == -1 && v.count == 0 && UntouchedFrom(0); }
};

std::vector<uint8_t> Encoded(const VelmoraAnyValue& v) {
  uint8_t out[256];
  AsnCursor cursor = AsnCursorOver(out, sizeof out);
  if (AsnEncodeTypedArray(&v, &cursor) != 0) return {};
  return {out, cursor.current};
}

// A setter of a record datatype given a source whose octets are all 0x3C;
// a shallow copy gives back exactly those octets.
struct RecordCase {
  const char* name;
  int32_t code;
  uint32_t count;
  size_t size;
  std::function<bool(VelmoraAnyValue*, bool withSource)> set;
  std::function<void*(const VelmoraAnyValue*)> get;
};

template <typename R>
RecordCase Record(const char* name, int32_t code, bool (*set)(VelmoraAnyValue*, const R*),
                  R* (*get)(const VelmoraAnyValue*), uint32_t count = 1) {
  return {name,
          code,
          count,
          sizeof(R),
          [set](VelmoraAnyValue* v, bool withSource) {
            R source;
            std::memset(&source, 0x3C, sizeof source);
            return set(v, withSource ? &source : nullptr);
          },
          [get](const VelmoraAnyValue* v) -> void* { return get(v); }};
}

const std::vector<RecordCase>& RecordCases() {
  static const std::vector<RecordCase> cases = {
      Record("PriorityArray", 19, VelmoraAnyValueSetPriorityArray, VelmoraAnyValueGetPriorityArray,
             16),
      Record("ObjectId", 12, VelmoraAnyValueSetObjectId, VelmoraAnyValueGetObjectId),
      Record("DbcsString", 14, VelmoraAnyValueSetDbcsString, VelmoraAnyValueGetDbcsString),
      Record("CharString", 7, VelmoraAnyValueSetCharString, VelmoraAnyValueGetCharString),
      Record("Date", 10, VelmoraAnyValueSetDate, VelmoraAnyValueGetDate),
      Record("Time", 11, VelmoraAnyValueSetTime, VelmoraAnyValueGetTime),
      Record("DateTime", 21, VelmoraAnyValueSetDateTime, VelmoraAnyValueGetDateTime),
      Record("OctetString", 6, VelmoraAnyValueSetOctetString, VelmoraAnyValueGetOctetString),
      Record("DateRange", 24, VelmoraAnyValueSetDateRange, VelmoraAnyValueGetDateRange),
      Record("WeekNDay", 25, VelmoraAnyValueSetWeekNDay, VelmoraAnyValueGetWeekNDay),
      Record("CalendarEntry", 26, VelmoraAnyValueSetCalendarEntry, VelmoraAnyValueGetCalendarEntry),
      Record("ObjPropRef", 22, VelmoraAnyValueSetObjPropRef, VelmoraAnyValueGetObjPropRef),
      Record("DevObjPropRef", 37, VelmoraAnyValueSetDevObjPropRef, VelmoraAnyValueGetDevObjPropRef),
      Record("DevObjRef", 45, VelmoraAnyValueSetDevObjRef, VelmoraAnyValueGetDevObjRef),
      Record("PropertyStates", 23, VelmoraAnyValueSetPropertyStates,
             VelmoraAnyValueGetPropertyStates),
      Record("TimeValue", 27, VelmoraAnyValueSetTimeValue, VelmoraAnyValueGetTimeValue),
      Record("SpecialEvent", 28, VelmoraAnyValueSetSpecialEvent, VelmoraAnyValueGetSpecialEvent),
      Record("Recipient", 30, VelmoraAnyValueSetRecipient, VelmoraAnyValueGetRecipient),
      Record("SetpointRef", 31, VelmoraAnyValueSetSetpointRef, VelmoraAnyValueGetSetpointRef),
      Record("Destination", 32, VelmoraAnyValueSetDestination, VelmoraAnyValueGetDestination),
      Record("DailySchedule", 33, VelmoraAnyValueSetDailySchedule, VelmoraAnyValueGetDailySchedule),
      Record("PropertyValue", 29, VelmoraAnyValueSetPropertyValue, VelmoraAnyValueGetPropertyValue),
      Record("TimeStamp", 34, VelmoraAnyValueSetTimeStamp, VelmoraAnyValueGetTimeStamp),
      Record("PropRef", 35, VelmoraAnyValueSetPropRef, VelmoraAnyValueGetPropRef),
      Record("EventParam", 43, VelmoraAnyValueSetEventParam, VelmoraAnyValueGetEventParam),
      Record("ActionList", 40, VelmoraAnyValueSetActionList, VelmoraAnyValueGetActionList),
      Record("ReadAccessSpec", 41, VelmoraAnyValueSetReadAccessSpec,
             VelmoraAnyValueGetReadAccessSpec),
      Record("ReadAccessResult", 42, VelmoraAnyValueSetReadAccessResult,
             VelmoraAnyValueGetReadAccessResult),
      Record("ClientCov", 38, VelmoraAnyValueSetClientCov, VelmoraAnyValueGetClientCov),
      Record("RawData", -4, VelmoraAnyValueSetRawData, VelmoraAnyValueGetRawData),
      Record("CovSubscription", 44, VelmoraAnyValueSetCovSubscription,
             VelmoraAnyValueGetCovSubscription),
  };
  return cases;
}

TEST(AnyValueSetRecord, CopiesTheSourceIntoARoomThatHoldsItAndNoFurther) {
  for (const RecordCase& c : RecordCases()) {
    SCOPED_TRACE(c.name);
    // The datatype table agrees that the code is this record's.
    const AsnDatatype* row = AsnDatatypeFind(c.code);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(size_t(row->size) * c.count, c.size);

    Room small{uint32_t(c.size - 1)};
    EXPECT_FALSE(c.set(&small.v, true));
    EXPECT_TRUE(small.Unchanged());

    Room room{uint32_t(c.size)};
    EXPECT_FALSE(c.set(&room.v, false));
    EXPECT_FALSE(c.set(nullptr, true));
    EXPECT_TRUE(room.Unchanged());
    ASSERT_TRUE(c.set(&room.v, true));
    EXPECT_EQ(room.v.type, c.code);
    EXPECT_EQ(room.v.count, c.count);
    EXPECT_EQ(AsnValueBufferSize(&room.v), c.size);
    EXPECT_EQ(std::vector<uint8_t>(room.bytes, room.bytes + c.size),
              std::vector<uint8_t>(c.size, 0x3C));
    EXPECT_TRUE(room.UntouchedFrom(c.size));
    EXPECT_EQ(c.get(&room.v), room.bytes);
    EXPECT_EQ(c.get(nullptr), nullptr);
  }
}

TEST(AnyValueSetRecord, GettersDoNotLookAtTheDatatype) {
  Room room{sizeof(VelmoraDate)};
  VelmoraTime time{14, 5, 9, 0};
  ASSERT_TRUE(VelmoraAnyValueSetTime(&room.v, &time));
  EXPECT_EQ(static_cast<void*>(VelmoraAnyValueGetDate(&room.v)), room.bytes);
  EXPECT_EQ(static_cast<void*>(VelmoraAnyValueGetTime(&room.v)), room.bytes);
  // Not aligned for the record: no record to hand out.
  VelmoraAnyValue odd{};
  ASSERT_TRUE(VelmoraAnyValueInitEmpty(&odd, room.bytes + 1, sizeof(VelmoraDate)));
  EXPECT_EQ(VelmoraAnyValueGetDate(&odd), nullptr);
}

TEST(AnyValueSetRecord, CopiesAreShallow) {
  uint8_t octets[2] = {0x01, 0x02};
  VelmoraOctetString source;
  ASSERT_TRUE(VelmoraOctetStringInit(&source, octets, 2, 2));
  Room room{sizeof source};
  ASSERT_TRUE(VelmoraAnyValueSetOctetString(&room.v, &source));
  octets[0] = 0x7F;
  EXPECT_EQ(Encoded(room.v), Hex("62 7F 02"));
}

// The texts are copied with their terminator; a room one unit short, or a
// source with no terminator within the room, is refused without reading
// the source past the room.
struct TextCase {
  const char* name;
  int32_t code;
  std::vector<uint8_t> stored;  // host-order units and the zero unit
  std::function<bool(VelmoraAnyValue*)> set;
  std::vector<uint8_t> encoded;
};

template <typename Unit>
std::vector<uint8_t> Octets(const std::vector<Unit>& units) {
  std::vector<uint8_t> out(units.size() * sizeof(Unit));
  std::memcpy(out.data(), units.data(), out.size());
  return out;
}

const std::vector<uint16_t> kUcs2 = {0x41, 0x42, 0};
const std::vector<uint32_t> kUcs4 = {0x41, 0x42, 0};

std::vector<TextCase> TextCases() {
  return {
      {"Ansi", 13, Octets<char>({'a', 'b', 'c', 0}),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueSetAnsiText(v, "abc"); },
       Hex("74 00 61 62 63")},
      {"Jis", 15, Octets<char>({'a', 'b', 0}),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueSetJisText(v, "ab"); }, Hex("73 02 61 62")},
      {"Iso8859", 18, Octets<char>({'\xE9', 0}),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueSetIso8859Text(v, "\xE9"); },
       Hex("72 05 E9")},
      {"Ucs2", 17, Octets(kUcs2),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueSetUcs2Text(v, kUcs2.data()); },
       Hex("75 05 04 00 41 00 42")},
      {"Ucs4", 16, Octets(kUcs4),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueSetUcs4Text(v, kUcs4.data()); },
       Hex("75 09 03 00 00 00 41 00 00 00 42")},
  };
}

TEST(AnyValueSetText, CopiesTheTextAndItsTerminator) {
  for (const TextCase& c : TextCases()) {
    SCOPED_TRACE(c.name);
    const size_t n = c.stored.size();
    Room room{uint32_t(n)};
    ASSERT_TRUE(c.set(&room.v));
    EXPECT_EQ(room.v.type, c.code);
    EXPECT_EQ(room.v.count, 1u);
    EXPECT_EQ(std::vector<uint8_t>(room.bytes, room.bytes + n), c.stored);
    EXPECT_TRUE(room.UntouchedFrom(n));
    EXPECT_EQ(AsnValueBufferSize(&room.v), n);
    EXPECT_EQ(Encoded(room.v), c.encoded);

    Room small{uint32_t(n - 1)};
    EXPECT_FALSE(c.set(&small.v));
    EXPECT_TRUE(small.Unchanged());
  }
}

TEST(AnyValueSetText, ASourceWithoutTerminatorIsNotReadPastTheRoom) {
  std::vector<char> unterminated(8, 'a');  // ASan catches a read past its end
  Room room{8};
  EXPECT_FALSE(VelmoraAnyValueSetAnsiText(&room.v, unterminated.data()));
  EXPECT_TRUE(room.Unchanged());
  std::vector<uint16_t> wide(4, 0x41);
  EXPECT_FALSE(VelmoraAnyValueSetUcs2Text(&room.v, wide.data()));
  EXPECT_TRUE(room.Unchanged());
  EXPECT_FALSE(VelmoraAnyValueSetAnsiText(&room.v, nullptr));
  EXPECT_FALSE(VelmoraAnyValueSetAnsiText(nullptr, "a"));
}

TEST(AnyValueSetText, TextGettersGiveTheBuffer) {
  Room room{8};
  ASSERT_TRUE(VelmoraAnyValueSetAnsiText(&room.v, "hi"));
  EXPECT_STREQ(VelmoraAnyValueGetAnsiText(&room.v), "hi");
  EXPECT_EQ(static_cast<void*>(VelmoraAnyValueGetUcs2Text(&room.v)), room.bytes);
  EXPECT_EQ(VelmoraAnyValueGetAnsiText(nullptr), nullptr);
  Room none{0};
  EXPECT_EQ(VelmoraAnyValueGetAnsiText(&none.v), nullptr);
}

// Every initialiser with arguments its constructor takes: the datatype,
// the count, the record's room and not a byte more.
struct InitCase {
  const char* name;
  int32_t code;
  uint32_t count;
  size_t size;
  std::function<bool(VelmoraAnyValue*)> init;
};

const VelmoraObjectId kId{8, 1990};
const VelmoraDate kDate{2013, 10, 25, 5};
const VelmoraTime kTime{23, 59, 59, 99};
const VelmoraDateRange kRange{kDate, kDate};
const VelmoraWeekNDay kWeekNDay{12, 1, 0};
const VelmoraCalendarEntry kEntry{};
const VelmoraAddress kAddress{0, 0, {1, 2, 3, 4, 5, 6, 0}, 6};
const VelmoraBitString kBits{4, {0x50}};
const VelmoraDevObjPropRef kDevObjPropRef{};
const VelmoraRecipient kRecipient{};
const VelmoraRecipientProcess kRecipientProcess{};
const VelmoraObjPropRef kObjPropRef{};
const VelmoraDateTime kDateTime{kDate, kTime};
const uint8_t kRaw[2] = {0x91, 0x02};
uint8_t octets[2] = {1, 2};
VelmoraAnyValue nested{};

#define INIT(name, code, Record, ...)                                          \
  InitCase {                                                                   \
#name, code, 1, sizeof(Record),                                            \
        [](VelmoraAnyValue * v) { return name(v __VA_OPT__(, ) __VA_ARGS__); } \
  }

std::vector<InitCase> InitCases() {
  return {
      {"VelmoraAnyValueInitPriorityArray", 19, 16, sizeof(VelmoraPriorityArray),
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitPriorityArray(v); }},
      INIT(VelmoraAnyValueInitObjectId, 12, VelmoraObjectId, 8, 1990),
      {"VelmoraAnyValueInitAnsiText", 13, 1, 1, VelmoraAnyValueInitAnsiText},
      INIT(VelmoraAnyValueInitDate, 10, VelmoraDate, 2013, 10, 25),
      INIT(VelmoraAnyValueInitTime, 11, VelmoraTime, 23, 59, 59, 99),
      INIT(VelmoraAnyValueInitDateTime, 21, VelmoraDateTime),
      INIT(VelmoraAnyValueInitOctetString, 6, VelmoraOctetString, octets, 2, 2),
      INIT(VelmoraAnyValueInitDateRange, 24, VelmoraDateRange),
      INIT(VelmoraAnyValueInitWeekNDay, 25, VelmoraWeekNDay, 12, 1, 0),
      INIT(VelmoraAnyValueInitCalendarEntryDate, 26, VelmoraCalendarEntry, &kDate),
      INIT(VelmoraAnyValueInitCalendarEntryDateRange, 26, VelmoraCalendarEntry, &kRange),
      INIT(VelmoraAnyValueInitCalendarEntryWeekNDay, 26, VelmoraCalendarEntry, &kWeekNDay),
      INIT(VelmoraAnyValueInitObjPropRef, 22, VelmoraObjPropRef, &kId, 85),
      INIT(VelmoraAnyValueInitDevObjPropRef, 37, VelmoraDevObjPropRef, &kId, 85),
      INIT(VelmoraAnyValueInitDevObjRef, 45, VelmoraDevObjRef, &kId),
      INIT(VelmoraAnyValueInitPropertyStates, 23, VelmoraPropertyStates),
      INIT(VelmoraAnyValueInitTimeValue, 27, VelmoraTimeValue, &kTime, &nested),
      INIT(VelmoraAnyValueInitSpecialEventCalendarEntry, 28, VelmoraSpecialEvent, &kEntry, nullptr,
           0, 16),
      INIT(VelmoraAnyValueInitSpecialEventCalendarRef, 28, VelmoraSpecialEvent, &kId, nullptr, 0,
           16),
      INIT(VelmoraAnyValueInitRecipientDevice, 30, VelmoraRecipient, &kId),
      INIT(VelmoraAnyValueInitRecipientAddress, 30, VelmoraRecipient, &kAddress),
      INIT(VelmoraAnyValueInitSetpointRef, 31, VelmoraSetpointRef),
      INIT(VelmoraAnyValueInitDestination, 32, VelmoraDestination, &kTime, &kTime, &kRecipient, 7,
           1),
      INIT(VelmoraAnyValueInitDailySchedule, 33, VelmoraDailySchedule),
      INIT(VelmoraAnyValueInitPropertyValue, 29, VelmoraPropertyValue, 85, &nested),
      INIT(VelmoraAnyValueInitTimeStampTime, 34, VelmoraTimeStamp, &kTime),
      INIT(VelmoraAnyValueInitTimeStampSequenceNumber, 34, VelmoraTimeStamp, 5),
      INIT(VelmoraAnyValueInitTimeStampDateTime, 34, VelmoraTimeStamp, &kDateTime),
      INIT(VelmoraAnyValueInitPropRef, 35, VelmoraPropRef, 85),
      INIT(VelmoraAnyValueInitEventParamChangeOfBitstring, 43, VelmoraEventParam, 10, &kBits,
           nullptr, 0),
      INIT(VelmoraAnyValueInitEventParamChangeOfState, 43, VelmoraEventParam, 10, nullptr, 0),
      INIT(VelmoraAnyValueInitEventParamChangeOfValueBitmask, 43, VelmoraEventParam, 10, &kBits),
      INIT(VelmoraAnyValueInitEventParamChangeOfValueIncrement, 43, VelmoraEventParam, 10, 1.5f),
      INIT(VelmoraAnyValueInitEventParamCommandFailure, 43, VelmoraEventParam, 10, &kDevObjPropRef),
      INIT(VelmoraAnyValueInitEventParamFloatingLimit, 43, VelmoraEventParam, 10, &kDevObjPropRef,
           1.0f, 2.0f, 0.5f),
      INIT(VelmoraAnyValueInitEventParamOutOfRange, 43, VelmoraEventParam, 10, 1.0f, 2.0f, 0.5f),
      INIT(VelmoraAnyValueInitEventParamBufferReady7, 43, VelmoraEventParam, 10, 3),
      INIT(VelmoraAnyValueInitEventParamBufferReady, 43, VelmoraEventParam, 10, 3),
      INIT(VelmoraAnyValueInitEventParamChangeOfLifeSafety, 43, VelmoraEventParam, 10, nullptr, 0,
           nullptr, 0, &kDevObjPropRef),
      INIT(VelmoraAnyValueInitActionList, 40, VelmoraActionList, nullptr, 0),
      INIT(VelmoraAnyValueInitReadAccessSpec, 41, VelmoraReadAccessSpec, &kId, nullptr, 0),
      INIT(VelmoraAnyValueInitReadAccessResult, 42, VelmoraReadAccessResult),
      INIT(VelmoraAnyValueInitClientCovRealIncrement, 38, VelmoraClientCov, 1.5f),
      INIT(VelmoraAnyValueInitClientCovDefault, 38, VelmoraClientCov),
      INIT(VelmoraAnyValueInitRawData, -4, VelmoraRawData, kRaw, 2),
      INIT(VelmoraAnyValueInitCovSubscription, 44, VelmoraCovSubscription, &kRecipientProcess,
           &kObjPropRef, 1, 60),
  };
}

TEST(AnyValueInitRecord, BuildsTheRecordInARoomThatHoldsItAndNoFurther) {
  for (const InitCase& c : InitCases()) {
    SCOPED_TRACE(c.name);
    Room small{uint32_t(c.size - 1)};
    EXPECT_FALSE(c.init(&small.v));
    EXPECT_TRUE(small.Unchanged());
    EXPECT_FALSE(c.init(nullptr));

    Room room{uint32_t(c.size)};
    ASSERT_TRUE(c.init(&room.v));
    EXPECT_EQ(room.v.type, c.code);
    EXPECT_EQ(room.v.count, c.count);
    EXPECT_TRUE(room.UntouchedFrom(c.size));
  }
}

// What the initialisers build, as the encoding rules write it.
struct EncodingCase {
  const char* name;
  std::function<bool(VelmoraAnyValue*)> init;
  std::vector<uint8_t> encoded;
};

TEST(AnyValueInitRecord, BuildsTheValuesItsConstructorMakes) {
  const std::vector<EncodingCase> cases = {
      {"object identifier (device,1990)",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitObjectId(v, 8, 1990); },
       Hex("C4 02 00 07 C6")},
      {"date 25 October 2013, any weekday",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitDate(v, 2013, 10, 25); },
       Hex("A4 71 0A 19 FF")},
      {"time 23:59:59.99",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitTime(v, 23, 59, 59, 99); },
       Hex("B4 17 3B 3B 63")},
      {"date-time unspecified", VelmoraAnyValueInitDateTime, Hex("A4 FF FF FF FF B4 FF FF FF FF")},
      {"week-n-day December, week 1, any day",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitWeekNDay(v, 12, 1, 0); },
       Hex("63 0C 01 FF")},
      {"octet string",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitOctetString(v, octets, 2, 2); },
       Hex("62 01 02")},
      {"priority array of sixteen NULLs", VelmoraAnyValueInitPriorityArray,
       std::vector<uint8_t>(16, 0x00)},
      {"empty text", VelmoraAnyValueInitAnsiText, Hex("71 00")},
      {"raw octets", [](VelmoraAnyValue* v) { return VelmoraAnyValueInitRawData(v, kRaw, 2); },
       Hex("91 02")},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    Room room{sizeof(VelmoraPriorityArray)};
    ASSERT_TRUE(c.init(&room.v));
    EXPECT_EQ(Encoded(room.v), c.encoded);
  }
}

// A refused construction leaves the record as it was: no datatype that
// its buffer does not hold.
TEST(AnyValueInitRecord, RefusedArgumentsChangeNothing) {
  const std::vector<std::pair<const char*, std::function<bool(VelmoraAnyValue*)>>> cases = {
      {"instance 4194304",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitObjectId(v, 8, 4194304); }},
      {"read access specification without identifier",
       [](VelmoraAnyValue* v) {
         return VelmoraAnyValueInitReadAccessSpec(v, nullptr, nullptr, 0);
       }},
      {"read access specification, a count without list",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitReadAccessSpec(v, &kId, nullptr, 2); }},
      {"raw data without data",
       [](VelmoraAnyValue* v) { return VelmoraAnyValueInitRawData(v, nullptr, 2); }},
      {"special event without calendar entry",
       [](VelmoraAnyValue* v) {
         return VelmoraAnyValueInitSpecialEventCalendarEntry(v, nullptr, nullptr, 0, 16);
       }},
  };
  for (const auto& [name, init] : cases) {
    SCOPED_TRACE(name);
    Room room{sizeof(VelmoraPriorityArray)};
    EXPECT_FALSE(init(&room.v));
    EXPECT_TRUE(room.Unchanged());
  }
  Room none{0};
  EXPECT_FALSE(VelmoraAnyValueInitAnsiText(&none.v));
  EXPECT_EQ(none.v.type, -1);
  EXPECT_EQ(none.v.count, 0u);
}

TEST(AnyValueInitRecord, AnAlternativeLeavesTheOthersOctets) {
  Room room{sizeof(VelmoraCalendarEntry)};
  ASSERT_TRUE(VelmoraAnyValueInitCalendarEntryDateRange(&room.v, &kRange));
  ASSERT_TRUE(VelmoraAnyValueInitCalendarEntryWeekNDay(&room.v, &kWeekNDay));
  const VelmoraCalendarEntry* entry = VelmoraAnyValueGetCalendarEntry(&room.v);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->choice, 2u);
  EXPECT_EQ(entry->value.date_range.end.year, 2013);  // beyond the week-n-day's octets
}

}  // namespace
