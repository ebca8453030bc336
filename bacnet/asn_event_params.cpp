#include "bacnet/asn_event_params.h"

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_schedule.h"
#include "bacnet/asn_subscriptions.h"

namespace {

// How one element of an alternative is written; the n-th element of an
// alternative carries context tag n.
enum class Kind : uint8_t {
  Unsigned,    // [n] Unsigned (also the enumerations sent as unsigned values)
  Real,        // [n] REAL
  Bits,        // [n] BIT STRING
  ObjectId,    // [n] object identifier
  DateTime,    // [n]{ app Date, app Time }
  States,      // [n]{ property states }
  Reference,   // [n]{ device object property reference }
  AnyValue,    // [n]{ any value }
  Choice,      // [n]{ [0] BIT STRING or [1] REAL }: a choice word, then the value
  BitsList,    // [n]{ app BIT STRING; ... }
  EnumList,    // [n]{ app ENUMERATED; ... }
  StatesList,  // [n]{ property states; ... }
  ExtList,     // [n]{ extended parameter; ... }
  ValueList,   // property values, one after another, untagged
};

struct Field {
  Kind kind;
  uint16_t at;      // offset of the element in the record
  uint16_t second;  // offset of a list's count, or of a choice's value
};

constexpr uint32_t kEventTypes = 12;
constexpr uint32_t kMostFields = 5;

struct Alternative {
  uint32_t count;  // 0: the family has no alternative of this event type
  Field fields[kMostFields];
};

// A family: its alternatives by event type, and the datatype of the [0]{ }
// element of its extended parameters.
struct Family {
  Alternative alternatives[kEventTypes];
  int32_t extended;
};

#define EP(member) uint16_t(offsetof(VelmoraEventParam, alt.member))
#define NP(member) uint16_t(offsetof(VelmoraNotifParam, alt.member))

constexpr Family kEventFamily = {
    {
        {3,
         {{Kind::Unsigned, EP(change_of_bitstring.time_delay), 0},
          {Kind::Bits, EP(change_of_bitstring.bitmask), 0},
          {Kind::BitsList, EP(change_of_bitstring.values), EP(change_of_bitstring.count)}}},
        {2,
         {{Kind::Unsigned, EP(change_of_state.time_delay), 0},
          {Kind::StatesList, EP(change_of_state.values), EP(change_of_state.count)}}},
        {2,
         {{Kind::Unsigned, EP(change_of_value.time_delay), 0},
          {Kind::Choice, EP(change_of_value.criteria), EP(change_of_value.by)}}},
        {2,
         {{Kind::Unsigned, EP(command_failure.time_delay), 0},
          {Kind::Reference, EP(command_failure.feedback_ref), 0}}},
        {5,
         {{Kind::Unsigned, EP(floating_limit.time_delay), 0},
          {Kind::Reference, EP(floating_limit.setpoint_ref), 0},
          {Kind::Real, EP(floating_limit.low_diff_limit), 0},
          {Kind::Real, EP(floating_limit.high_diff_limit), 0},
          {Kind::Real, EP(floating_limit.deadband), 0}}},
        {4,
         {{Kind::Unsigned, EP(out_of_range.time_delay), 0},
          {Kind::Real, EP(out_of_range.low_limit), 0},
          {Kind::Real, EP(out_of_range.high_limit), 0},
          {Kind::Real, EP(out_of_range.deadband), 0}}},
        {0, {}},  // complex event types have no parameters here
        {2,
         {{Kind::Unsigned, EP(buffer_ready.notification_threshold), 0},
          {Kind::Unsigned, EP(buffer_ready.previous_count), 0}}},
        {4,
         {{Kind::Unsigned, EP(change_of_life_safety.time_delay), 0},
          {Kind::EnumList, EP(change_of_life_safety.life_safety_alarm_values),
           EP(change_of_life_safety.life_safety_alarm_count)},
          {Kind::EnumList, EP(change_of_life_safety.alarm_values),
           EP(change_of_life_safety.alarm_count)},
          {Kind::Reference, EP(change_of_life_safety.mode_ref), 0}}},
        {3,
         {{Kind::Unsigned, EP(extended.vendor_id), 0},
          {Kind::Unsigned, EP(extended.extended_event_type), 0},
          {Kind::ExtList, EP(extended.parameters), EP(extended.count)}}},
        {2,
         {{Kind::Unsigned, EP(buffer_ready.notification_threshold), 0},
          {Kind::Unsigned, EP(buffer_ready.previous_count), 0}}},
        {3,
         {{Kind::Unsigned, EP(unsigned_range.time_delay), 0},
          {Kind::Unsigned, EP(unsigned_range.low_limit), 0},
          {Kind::Unsigned, EP(unsigned_range.high_limit), 0}}},
    },
    ASN_TYPE_DEV_OBJ_PROP_REF,
};

constexpr Family kNotifFamily = {
    {
        {2,
         {{Kind::Bits, NP(change_of_bitstring.referenced_bitstring), 0},
          {Kind::Bits, NP(change_of_bitstring.status_flags), 0}}},
        {2,
         {{Kind::States, NP(change_of_state.new_state), 0},
          {Kind::Bits, NP(change_of_state.status_flags), 0}}},
        {2,
         {{Kind::Choice, NP(change_of_value.choice), NP(change_of_value.new_value)},
          {Kind::Bits, NP(change_of_value.status_flags), 0}}},
        {3,
         {{Kind::AnyValue, NP(command_failure.command_value), 0},
          {Kind::Bits, NP(command_failure.status_flags), 0},
          {Kind::AnyValue, NP(command_failure.feedback_value), 0}}},
        {4,
         {{Kind::Real, NP(floating_limit.reference_value), 0},
          {Kind::Bits, NP(floating_limit.status_flags), 0},
          {Kind::Real, NP(floating_limit.setpoint_value), 0},
          {Kind::Real, NP(floating_limit.error_limit), 0}}},
        {4,
         {{Kind::Real, NP(out_of_range.exceeding_value), 0},
          {Kind::Bits, NP(out_of_range.status_flags), 0},
          {Kind::Real, NP(out_of_range.deadband), 0},
          {Kind::Real, NP(out_of_range.exceeded_limit), 0}}},
        {1, {{Kind::ValueList, NP(complex_event_type.values), NP(complex_event_type.count)}}},
        {4,
         {{Kind::ObjectId, NP(buffer_ready7.buffer_device), 0},
          {Kind::ObjectId, NP(buffer_ready7.buffer_object), 0},
          {Kind::DateTime, NP(buffer_ready7.previous_notification), 0},
          {Kind::DateTime, NP(buffer_ready7.current_notification), 0}}},
        {4,
         {{Kind::Unsigned, NP(change_of_life_safety.new_state), 0},
          {Kind::Unsigned, NP(change_of_life_safety.new_mode), 0},
          {Kind::Bits, NP(change_of_life_safety.status_flags), 0},
          {Kind::Unsigned, NP(change_of_life_safety.operation_expected), 0}}},
        {3,
         {{Kind::Unsigned, NP(extended.vendor_id), 0},
          {Kind::Unsigned, NP(extended.extended_event_type), 0},
          {Kind::ExtList, NP(extended.parameters), NP(extended.count)}}},
        {3,
         {{Kind::Reference, NP(buffer_ready.buffer_property), 0},
          {Kind::Unsigned, NP(buffer_ready.previous_count), 0},
          {Kind::Unsigned, NP(buffer_ready.current_count), 0}}},
        {3,
         {{Kind::Unsigned, NP(unsigned_range.exceeding_value), 0},
          {Kind::Bits, NP(unsigned_range.status_flags), 0},
          {Kind::Unsigned, NP(unsigned_range.exceeded_limit), 0}}},
    },
    ASN_TYPE_DEV_OBJ_PROP_VALUE,
};

#undef EP
#undef NP

// The application-tagged datatypes an extended parameter is sent as; its
// value is held in the element the way the datatype table's row holds it.
constexpr int32_t kExtendedSent[] = {ASN_TYPE_NULL,       ASN_TYPE_BOOLEAN,   ASN_TYPE_UNSIGNED,
                                     ASN_TYPE_REAL,       ASN_TYPE_DOUBLE,    ASN_TYPE_OCTET_STRING,
                                     ASN_TYPE_BIT_STRING, ASN_TYPE_ENUMERATED};

// The extended parameter element of a family's record.
template <typename R>
using ExtElement = std::remove_pointer_t<decltype(std::declval<R&>().alt.extended.parameters)>;

template <typename T>
T Get(const uint8_t* record, uint16_t at) {
  T v;
  std::memcpy(&v, record + at, sizeof v);
  return v;
}
template <typename T>
void Put(uint8_t* record, uint16_t at, const T& v) {
  std::memcpy(record + at, &v, sizeof v);
}
template <typename T>
T* At(uint8_t* record, uint16_t at) {
  return reinterpret_cast<T*>(record + at);
}
template <typename T>
const T* At(const uint8_t* record, uint16_t at) {
  return reinterpret_cast<const T*>(record + at);
}
// Values the element has no member of (a Signed, a date, a character
// string) are held in its value's storage all the same.
template <typename E, typename T>
void Hold(E* e, const T& v) {
  static_assert(sizeof(T) <= sizeof e->value);
  std::memcpy(&e->value, &v, sizeof v);
}

// Extended parameters.

template <typename E>
int32_t EncodeExtElement(int32_t constructed, const E* e, AsnCursor* c) {
  const auto type = int32_t(e->type);
  if (type == constructed)
    return AsnEncodeEnclosed(c, 0, [&] { return AsnDatatypeFind(type)->encode(&e->value, c); });
  for (int32_t sent : kExtendedSent)
    if (type == sent) return AsnDatatypeFind(type)->encode(&e->value, c);
  return ASN_UNKNOWN_CHOICE;
}

// The family's constructed element: its contents through its datatype's
// row, carved or measured.
template <typename E>
void WalkConstructed(int32_t constructed, AsnCursor* one, E* e, AsnCarver* carver) {
  e->type = uint32_t(constructed);
  uint32_t length;
  const uint8_t* contents = AsnTakeContents(one, &length);
  if (!contents) return;
  const AsnDatatype* row = AsnDatatypeFind(constructed);
  if (!carver->decode) {
    if (row->decodedSize) carver->taken += row->decodedSize(contents, length) - uint32_t(row->size);
    return;
  }
  AsnCursor inner = AsnCursorOverConst(contents, length);
  uint8_t* before = carver->arena ? *carver->arena : nullptr;
  uint32_t used = 0;
  row->decode(&inner, &e->value, carver->arena, &used);
  if (before) carver->taken += uint32_t(before - *carver->arena);
}

// One element: the family's [0]{ } element, or an application-tagged value
// of its tag's datatype, whatever datatype that is (a character string is
// held as any set's VelmoraCharString, datatype 7). Octets and texts are
// carved; an element of no datatype is of type ASN_TYPE_NONE.
template <typename E>
void WalkExtElement(int32_t constructed, AsnCursor* c, E* out, AsnCarver* carver) {
  AsnCursor one;
  if (!AsnTakeElement(c, &one) || !carver) return;
  E e{};
  const uint8_t first = one.current[0];
  if (first == AsnOpeningTag(0)) {
    WalkConstructed(constructed, &one, &e, carver);
    return AsnStoreRecord(out, e);
  }
  e.type = uint32_t(ASN_TYPE_NONE);
  if (first & ASN_CLASS_CONTEXT) return AsnStoreRecord(out, e);
  const uint8_t tag = first >> 4;
  e.type = tag;
  switch (tag) {
    case ASN_TAG_NULL:
      break;
    case ASN_TAG_BOOLEAN:
      e.value.boolean = AsnTakeBoolean(&one);
      break;
    case ASN_TAG_UNSIGNED:
    case ASN_TAG_ENUMERATED:
      e.value.unsigned_value = AsnTakeUnsigned(&one);
      break;
    case ASN_TAG_SIGNED:
      Hold(&e, AsnTakeSigned(&one));
      break;
    case ASN_TAG_REAL:
      e.value.real = AsnTakeReal(&one);
      break;
    case ASN_TAG_DOUBLE:
      e.value.double_value = AsnTakeDouble(&one);
      break;
    case ASN_TAG_OCTET_STRING: {
      uint32_t length;
      const uint8_t* octets = AsnTakeOctets(&one, &length);
      auto* data = static_cast<uint8_t*>(AsnCarveRecords(carver, 1, length));
      if (data) {
        std::memcpy(data, octets, length);
        e.value.octet_string = {data, length, length};
      }
      break;
    }
    case ASN_TAG_CHAR_STRING: {
      VelmoraCharString s = {nullptr, 0, 0, 0};
      AsnCarveCharString(carver, &one, &s);
      e.type = uint32_t(ASN_TYPE_CHAR_STRING);
      Hold(&e, s);
      break;
    }
    case ASN_TAG_BIT_STRING:
      AsnTakeBitString(&one, &e.value.bit_string);
      break;
    case ASN_TAG_DATE: {
      VelmoraDate d{};
      AsnTakeDate(&one, &d);
      Hold(&e, d);
      break;
    }
    case ASN_TAG_TIME: {
      VelmoraTime t{};
      AsnTakeTime(&one, &t);
      Hold(&e, t);
      break;
    }
    case ASN_TAG_OBJECT_ID: {
      VelmoraObjectId id{};
      AsnTakeObjectId(&one, &id);
      Hold(&e, id);
      break;
    }
    default:  // tags 13-15 are no datatype
      e.type = uint32_t(ASN_TYPE_NONE);
      break;
  }
  AsnStoreRecord(out, e);
}

// Lists.

template <typename T, typename Encode>
int32_t EncodeItems(const uint8_t* r, const Field& f, AsnCursor* c, Encode encode) {
  const T* items = Get<const T*>(r, f.at);
  const auto count = Get<uint32_t>(r, f.second);
  if (count != 0 && !items) return ASN_BAD_BUFFER;
  int32_t status = ASN_OK;
  for (uint32_t i = 0; i < count && status == ASN_OK; ++i)
    status = encode(&items[i], c);
  return status;
}

template <typename T, typename Encode>
int32_t EncodeList(const uint8_t* r, const Field& f, uint8_t number, AsnCursor* c, Encode encode) {
  if (Get<uint32_t>(r, f.second) != 0 && !Get<const T*>(r, f.at)) return ASN_BAD_BUFFER;
  return AsnEncodeEnclosed(c, number, [&] { return EncodeItems<T>(r, f, c, encode); });
}

template <typename T, typename Walk>
void WalkList(uint8_t* r, const Field& f, AsnCursor* c, AsnCarver* carver, Walk walk,
              AsnListTags tags = ASN_ANY_TAG) {
  T* items;
  uint32_t count;
  AsnWalkList(c, &items, &count, carver, walk, tags);
  Put(r, f.at, items);
  Put(r, f.second, count);
}

void WalkBitString(AsnCursor* c, VelmoraBitString* out, AsnCarver*) {
  VelmoraBitString b{};
  AsnTakeBitString(c, &b);
  AsnStoreRecord(out, b);
}

void WalkEnumerated(AsnCursor* c, uint32_t* out, AsnCarver*) {
  AsnStoreRecord(out, AsnTakeUnsigned(c));
}

void WalkStates(AsnCursor* c, VelmoraPropertyStates* out, AsnCarver*) {
  AsnDecodePropertyStates(c, out);
}

// Elements of an alternative.

int32_t EncodeChoice(uint32_t choice, const uint8_t* value, AsnCursor* c) {
  switch (choice) {
    case 0:
      return AsnEncodeTaggedBitString(reinterpret_cast<const VelmoraBitString*>(value), c,
                                      AsnContextTag(0));
    case 1:
      return AsnEncodeTaggedReal(Get<float>(value, 0), c, AsnContextTag(1));
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

template <typename R>
int32_t EncodeField(const Family& family, const Field& f, uint8_t n, const uint8_t* r,
                    AsnCursor* c) {
  using E = ExtElement<R>;
  const uint16_t tag = AsnContextTag(n);
  switch (f.kind) {
    case Kind::Unsigned:
      return AsnEncodeTaggedUnsigned(Get<uint32_t>(r, f.at), c, tag);
    case Kind::Real:
      return AsnEncodeTaggedReal(Get<float>(r, f.at), c, tag);
    case Kind::Bits:
      return AsnEncodeTaggedBitString(At<VelmoraBitString>(r, f.at), c, tag);
    case Kind::ObjectId:
      return AsnEncodeTaggedObjectId(At<VelmoraObjectId>(r, f.at), c, tag);
    case Kind::DateTime:
      return AsnEncodeEnclosedDateTime(At<VelmoraDateTime>(r, f.at), c, n);
    case Kind::States:
      return AsnEncodeEnclosed(c, n, [&] { return AsnEncodePropertyStates(r + f.at, c); });
    case Kind::Reference:
      return AsnEncodeEnclosed(c, n, [&] { return AsnEncodeDevObjPropRef(r + f.at, c); });
    case Kind::AnyValue:
      return AsnEncodeEnclosedValue(At<VelmoraAnyValue>(r, f.at), c, n);
    case Kind::Choice:
      return AsnEncodeEnclosed(
          c, n, [&] { return EncodeChoice(Get<uint32_t>(r, f.at), r + f.second, c); });
    case Kind::BitsList:
      return EncodeList<VelmoraBitString>(r, f, n, c, AsnEncodeBitString);
    case Kind::EnumList:
      return EncodeList<uint32_t>(r, f, n, c, AsnEncodeEnumerated);
    case Kind::StatesList:
      return EncodeList<VelmoraPropertyStates>(r, f, n, c, AsnEncodePropertyStates);
    case Kind::ExtList:
      return EncodeList<E>(r, f, n, c, [&](const E* e, AsnCursor* at) {
        return EncodeExtElement(family.extended, e, at);
      });
    case Kind::ValueList:
      return EncodeItems<VelmoraPropertyValue>(r, f, c, AsnEncodePropertyValue);
  }
  return ASN_UNKNOWN_CHOICE;
}

// The choice word takes the tag number of what the element holds, so that
// an element of any other tag is refused when encoded again.
void WalkChoice(uint8_t* r, const Field& f, AsnCursor* c) {
  AsnEnterTag(c);
  uint32_t choice = 0;
  if (!AsnAtListEnd(c)) {
    choice = uint32_t(AsnPeekTagNumber(c));
    if (choice == 0)
      AsnTakeBitString(c, At<VelmoraBitString>(r, f.second));
    else if (choice == 1)
      Put(r, f.second, AsnTakeReal(c));
    else
      AsnSkipElement(c);
  }
  Put(r, f.at, choice);
  AsnLeaveTag(c);
}

template <typename R>
void WalkField(const Family& family, const Field& f, uint8_t* r, AsnCursor* c, AsnCarver* carver,
               uint32_t objectType) {
  using E = ExtElement<R>;
  switch (f.kind) {
    case Kind::Unsigned:
      return Put(r, f.at, AsnTakeUnsigned(c));
    case Kind::Real:
      return Put(r, f.at, AsnTakeReal(c));
    case Kind::Bits:
      return AsnTakeBitString(c, At<VelmoraBitString>(r, f.at));
    case Kind::ObjectId:
      return AsnTakeObjectId(c, At<VelmoraObjectId>(r, f.at));
    case Kind::DateTime:
      return AsnDecodeEnclosedDateTime(c, At<VelmoraDateTime>(r, f.at));
    case Kind::States:
      AsnEnterTag(c);
      AsnDecodePropertyStates(c, r + f.at);
      return AsnLeaveTag(c);
    case Kind::Reference:
      AsnEnterTag(c);
      AsnDecodeDevObjPropRef(c, r + f.at);
      return AsnLeaveTag(c);
    case Kind::AnyValue: {
      uint32_t length;
      const uint8_t* contents = AsnTakeContents(c, &length);
      VelmoraAnyValue v = {ASN_TYPE_NONE, nullptr, 0, 0};
      if (!contents)
        AsnSkipElement(c);  // no constructed element: no value, but move on
      else
        AsnCarveAnyValue(carver, contents, length, &v);
      return Put(r, f.at, v);
    }
    case Kind::Choice:
      return WalkChoice(r, f, c);
    case Kind::BitsList:
      return WalkList<VelmoraBitString>(r, f, c, carver, WalkBitString,
                                        AsnApplicationTags(ASN_TAG_BIT_STRING));
    case Kind::EnumList:
      return WalkList<uint32_t>(r, f, c, carver, WalkEnumerated,
                                AsnApplicationTags(ASN_TAG_ENUMERATED));
    case Kind::StatesList:
      return WalkList<VelmoraPropertyStates>(r, f, c, carver, WalkStates);
    case Kind::ExtList:
      return WalkList<E>(r, f, c, carver, [&](AsnCursor* at, E* out, AsnCarver* k) {
        WalkExtElement(family.extended, at, out, k);
      });
    case Kind::ValueList: {
      VelmoraPropertyValue* items;
      uint32_t count;
      AsnWalkItems(c, &items, &count, carver,
                   [objectType](AsnCursor* at, VelmoraPropertyValue* out, AsnCarver* k) {
                     AsnPropertyValueWalk(objectType, at, out, k);
                   });
      Put(r, f.at, items);
      return Put(r, f.second, count);
    }
  }
}

// The alternatives.

template <typename R>
int32_t EncodeValues(const Family& family, const R* p, AsnCursor* c) {
  const uint32_t type = p->event_type;
  if (type >= kEventTypes || family.alternatives[type].count == 0) return ASN_UNKNOWN_CHOICE;
  const Alternative& a = family.alternatives[type];
  const auto* r = reinterpret_cast<const uint8_t*>(p);
  int32_t status = AsnEncodeOpening(c, uint8_t(type));
  for (uint32_t i = 0; i < a.count && status == ASN_OK; ++i)
    status = EncodeField<R>(family, a.fields[i], uint8_t(i), r, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, uint8_t(type));
  return status;
}

// The whole element is taken first, so that the cursor ends behind it
// whatever its contents hold or lack; its alternative is then read from the
// contents. Without a carver it is only stepped over.
template <typename R>
void WalkValues(const Family& family, AsnCursor* c, R* out, AsnCarver* carver,
                uint32_t objectType) {
  if (AsnAtListEnd(c)) return;
  if (!AsnIsOpeningTag(c->current[0])) return AsnSkipElement(c);
  const auto type = uint32_t(AsnPeekTagNumber(c));  // 15 for an extended tag number
  uint32_t length;
  const uint8_t* contents = AsnTakeContents(c, &length);
  if (!contents || !carver || type >= kEventTypes || family.alternatives[type].count == 0) return;
  const Alternative& a = family.alternatives[type];
  R record{};
  record.event_type = type;
  auto* r = reinterpret_cast<uint8_t*>(&record);
  AsnCursor in = AsnCursorOverConst(contents, length);
  for (uint32_t i = 0; i < a.count; ++i)
    WalkField<R>(family, a.fields[i], r, &in, carver, objectType);
  AsnStoreRecord(out, record);
}

int32_t EncodeEventParam(const VelmoraEventParam* p, AsnCursor* c) {
  return EncodeValues(kEventFamily, p, c);
}
void EventParamWalk(AsnCursor* c, VelmoraEventParam* out, AsnCarver* carver) {
  WalkValues(kEventFamily, c, out, carver, ASN_ANY_OBJECT_TYPE);
}

int32_t EncodeNotifParam(const VelmoraNotifParam* p, AsnCursor* c) {
  return EncodeValues(kNotifFamily, p, c);
}

}  // namespace

int32_t AsnEncodeEventParam(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraEventParam, EncodeEventParam>(value, cursor);
}
void AsnDecodeEventParam(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraEventParam, EventParamWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeEventParam(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraEventParam, EventParamWalk>(element, available);
}

int32_t AsnEncodeNotifParam(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraNotifParam, EncodeNotifParam>(value, cursor);
}
void AsnNotifParamWalk(AsnCursor* cursor, VelmoraNotifParam* out, AsnCarver* carver,
                       uint32_t objectType) {
  WalkValues(kNotifFamily, cursor, out, carver, objectType);
}
void AsnDecodeNotifParam(void* out, AsnCursor* cursor, uint8_t** arena, uint32_t objectType) {
  AsnCarver carver = AsnDecodingInto(arena);
  AsnNotifParamWalk(cursor, static_cast<VelmoraNotifParam*>(out), out ? &carver : nullptr,
                    objectType);
}
uint32_t AsnDecodedSizeNotifParam(AsnCursor* cursor, uint32_t objectType) {
  AsnCarver carver = AsnMeasuring();
  AsnNotifParamWalk(cursor, nullptr, &carver, objectType);
  return uint32_t(sizeof(VelmoraNotifParam)) + carver.taken;
}
