// What the constructed-type codecs share: committed encoding, bounded
// positional reading, and one walk that both decodes into an arena and
// measures what that decode takes.
//
// The decoders read positionally, as octets the syntax checker accepted
// are laid out, yet every read here stays inside the cursor whatever the
// octets: an element that runs past the end moves the cursor to the end,
// a field whose element is missing, constructed or too short keeps its
// zero, and no read moves the cursor backwards. A walk therefore always
// ends, and a loop that stops at the end or a closing tag always
// progresses.
#pragma once

#include <cstdint>
#include <cstring>

#include "bacnet/any_value.h"
#include "bacnet/asn_tag.h"
#include "bacnet/asn_value_walk.h"
#include "bacnet/week_n_day.h"

// Encodes through a copy of the cursor, so that a refused encoding leaves
// the caller's cursor where it was.
template <typename Fn>
int32_t AsnCommit(AsnCursor* cursor, Fn encode) {
  if (!cursor) return ASN_MISSING_RECORD;
  AsnCursor c = *cursor;
  int32_t status = encode(&c);
  if (status == ASN_OK) *cursor = c;
  return status;
}

// Decoded records are stored whole: one may lie anywhere in a caller's
// buffer. Nothing for a null output.
template <typename T>
void AsnStoreRecord(void* out, const T& record) {
  if (out) std::memcpy(out, &record, sizeof record);
}

// The table's encoder and decoder of a record from its typed encoder and
// reader: a missing record is 2 and a refused encoding leaves the cursor
// where it was; the reader fills a whole record, which is then stored. A
// choice's reader answers false for a tag that is no choice, and the
// record is then left as it was.
template <typename R, int32_t (*Encode)(const R*, AsnCursor*)>
int32_t AsnEncodeRecord(const void* value, AsnCursor* cursor) {
  if (!value) return ASN_MISSING_RECORD;
  return AsnCommit(cursor, [&](AsnCursor* c) { return Encode(static_cast<const R*>(value), c); });
}
template <typename R, void (*Read)(AsnCursor*, R*)>
void AsnDecodeRecord(AsnCursor* cursor, void* out) {
  R record;
  Read(cursor, &record);
  AsnStoreRecord(out, record);
}
template <typename R, bool (*Read)(AsnCursor*, R*)>
void AsnDecodeChoice(AsnCursor* cursor, void* out) {
  R record;
  if (Read(cursor, &record)) AsnStoreRecord(out, record);
}

// Opening or closing tag octet of a context tag number below 15.
int32_t AsnEncodeOpening(AsnCursor* cursor, uint8_t number);
int32_t AsnEncodeClosing(AsnCursor* cursor, uint8_t number);

// True at the end of the cursor or at a closing tag: no element follows.
bool AsnAtListEnd(const AsnCursor* cursor);
// Length of the whole element at the cursor, an opening tag with all it
// holds; 0 at the end, at a closing tag, or for an element that runs past
// the end.
uint32_t AsnElementAt(const AsnCursor* cursor);
// Moves past the element at the cursor, to the end when it runs past the
// end; nothing at the end or at a closing tag.
void AsnSkipElement(AsnCursor* cursor);
// The tag number in the high four bits of the next octet, which picks a
// choice; -1 at the end.
int32_t AsnPeekTagNumber(const AsnCursor* cursor);
// The choice alternative the next element's tag number picks, when it is
// below alternatives; false, with that element stepped over, for any
// other tag, and at the end or a closing tag (nothing read).
bool AsnPickChoice(AsnCursor* cursor, uint32_t alternatives, uint32_t* choice);
// The optional context element [n] (n below 15) is next: the cursor is
// before the end, the next octet is no closing tag and its high five bits
// are those of the context tag.
bool AsnHasContextTag(const AsnCursor* cursor, uint8_t n);
// Steps over one opening (closing) tag octet when the next octet is one.
void AsnEnterTag(AsnCursor* cursor);
void AsnLeaveTag(AsnCursor* cursor);

// The element at the cursor as a cursor of its own, the cursor moved past
// it; false, the cursor moved as AsnSkipElement moves it, when no whole
// element is next.
bool AsnTakeElement(AsnCursor* cursor, AsnCursor* one);

// Primitive fields, whatever their class. Each takes the element at the
// cursor (see above); a value too short for its type reads as zero.
uint32_t AsnTakeUnsigned(AsnCursor* cursor);  // also enumerated values
int32_t AsnTakeSigned(AsnCursor* cursor);
float AsnTakeReal(AsnCursor* cursor);
double AsnTakeDouble(AsnCursor* cursor);
uint8_t AsnTakeBoolean(AsnCursor* cursor);
void AsnTakeDate(AsnCursor* cursor, VelmoraDate* out);
void AsnTakeTime(AsnCursor* cursor, VelmoraTime* out);
void AsnTakeObjectId(AsnCursor* cursor, VelmoraObjectId* out);
void AsnTakeBitString(AsnCursor* cursor, VelmoraBitString* out);
void AsnTakeWeekNDay(AsnCursor* cursor, VelmoraWeekNDay* out);
// The value octets of the element, and their number to *length; null (0)
// when nothing was read.
const uint8_t* AsnTakeOctets(AsnCursor* cursor, uint32_t* length);
// [n] when it is next, else -1 and nothing read.
int32_t AsnTakeOptionalUnsigned(AsnCursor* cursor, uint8_t n);
// An error's class and code: two enumerated elements.
void AsnTakeErrorPair(AsnCursor* cursor, VelmoraError* out);
// The contents of the constructed element at the cursor (between its
// opening and its closing tag) and the cursor moved past it; an empty range
// and nothing read when no opening tag is next.
const uint8_t* AsnTakeContents(AsnCursor* cursor, uint32_t* length);

// Where a walk puts what it carves. Decoding, arena is the arena-end word
// (null only when the caller measured nothing to carve); measuring, the
// walk only counts into taken. Every carve is a whole number of
// ASN_BLOCK_ALIGN bytes, counted so in taken, so that from an aligned arena
// end every record carved below stays aligned for its type.
struct AsnCarver {
  bool decode;
  uint8_t** arena;
  uint32_t taken;
};
inline AsnCarver AsnMeasuring() { return {false, nullptr, 0}; }
inline AsnCarver AsnDecodingInto(uint8_t** arena) { return {true, arena, 0}; }

// count records of size bytes each; null when measuring or count is 0.
void* AsnCarveRecords(AsnCarver* carver, uint32_t count, uint32_t size);
// A value without a property context, decoded into *out when decoding.
void AsnCarveAnyValue(AsnCarver* carver, const uint8_t* data, uint32_t length,
                      VelmoraAnyValue* out);
// A value of the object type's property, typed by its schema.
void AsnCarvePropertyValue(AsnCarver* carver, uint32_t objectType, uint32_t property,
                           int32_t arrayIndex, const uint8_t* data, uint32_t length,
                           VelmoraAnyValue* out);

// A character string element as a VelmoraCharString of any set, its text
// carved; *out is left as it was when no text can be decoded (the element
// runs past the end, or nothing was measured to carve).
void AsnCarveCharString(AsnCarver* carver, AsnCursor* cursor, VelmoraCharString* out);

// The first octets a list's records may start with. Every list ends at a
// closing tag; a list of application-tagged values also at the first octet
// outside its tag's range.
struct AsnListTags {
  uint8_t low;
  uint8_t high;
};
inline constexpr AsnListTags ASN_ANY_TAG = {0x00, 0xFF};
constexpr AsnListTags AsnApplicationTags(uint8_t number) {
  return {uint8_t(number << 4), uint8_t(number << 4 | 0x0F)};
}
inline bool AsnListGoesOn(const AsnCursor* c, AsnListTags tags) {
  return !AsnAtListEnd(c) && c->current[0] >= tags.low && c->current[0] <= tags.high;
}

// The records of a list from the cursor: counted by stepping over each, then
// carved as one array and walked again into it (or over it, measuring).
// Without a carver the list is only stepped over; the array is null for no
// records. walk(cursor, record or null, carver or null) takes at least one
// element whenever no closing tag is next, so that the count ends, at the
// cursor's end at the latest. Measuring carves nothing, so it counts the
// records as it walks them, and the decode after it in the same walk
// record (asn_value_walk.h) takes that count instead of stepping over them.
template <typename R, typename Walk>
void AsnWalkItems(AsnCursor* c, R** items, uint32_t* count, AsnCarver* carver, Walk walk,
                  AsnListTags tags = ASN_ANY_TAG) {
  *items = nullptr;
  const uint8_t* at = c->current;
  uint32_t n = 0;
  if (carver && !carver->decode) {
    for (; AsnListGoesOn(c, tags); ++n)
      walk(c, static_cast<R*>(nullptr), carver);
    *count = n;
    AsnCarveRecords(carver, n, sizeof(R));
    AsnWalkKeepItems(at, sizeof(R), n);
    return;
  }
  if (!carver || !AsnWalkFindItems(at, sizeof(R), &n)) {
    AsnCursor probe = *c;
    for (; AsnListGoesOn(&probe, tags); ++n)
      walk(&probe, static_cast<R*>(nullptr), static_cast<AsnCarver*>(nullptr));
    if (!carver) {
      *count = n;
      *c = probe;
      return;
    }
  }
  *count = n;
  auto* array = static_cast<R*>(AsnCarveRecords(carver, n, sizeof(R)));
  for (uint32_t i = 0; i < n; ++i)
    walk(c, array ? array + i : nullptr, carver);
  *items = array;
}
// The same inside one constructed element.
template <typename R, typename Walk>
void AsnWalkList(AsnCursor* c, R** items, uint32_t* count, AsnCarver* carver, Walk walk,
                 AsnListTags tags = ASN_ANY_TAG) {
  AsnEnterTag(c);
  AsnWalkItems(c, items, count, carver, walk, tags);
  AsnLeaveTag(c);
}

// The decoder and the decoded-size function of a record with carved parts,
// made from one walk (cursor, record or null, carver or null): decoding
// carves into the arena, measuring counts; with a null record the walk
// only steps over the element.
template <typename R, void (*Walk)(AsnCursor*, R*, AsnCarver*)>
void AsnDecodeByWalk(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnCarver carver = AsnDecodingInto(arena);
  Walk(cursor, static_cast<R*>(out), out ? &carver : nullptr);
}
// The decoded size may also report the octets of the element walked.
template <typename R, void (*Walk)(AsnCursor*, R*, AsnCarver*)>
uint32_t AsnDecodedSizeByWalk(const uint8_t* element, uint32_t available,
                              uint32_t* encodedLength = nullptr) {
  AsnCursor c = AsnCursorOverConst(element, available);
  AsnCarver carver = AsnMeasuring();
  Walk(&c, nullptr, &carver);
  if (encodedLength) *encodedLength = uint32_t(c.current - element);
  AsnWalkNoteMeasured(element, uint32_t(c.current - element));
  return uint32_t(sizeof(R)) + carver.taken;
}

// What encode writes, between the opening and the closing tag [number]{ }.
template <typename Fn>
int32_t AsnEncodeEnclosed(AsnCursor* cursor, uint8_t number, Fn encode) {
  int32_t status = AsnEncodeOpening(cursor, number);
  if (status == ASN_OK) status = encode();
  if (status == ASN_OK) status = AsnEncodeClosing(cursor, number);
  return status;
}

// Encodes the any-value's elements between an opening and a closing tag.
int32_t AsnEncodeEnclosedValue(const VelmoraAnyValue* value, AsnCursor* cursor, uint8_t number);
