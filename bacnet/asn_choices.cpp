#include "bacnet/asn_choices.h"

#include <cstring>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_schedule.h"

namespace {

constexpr uint32_t kSequenceLimit = 65536;

int32_t EncodePriorityValue(const VelmoraPriorityValue* p, AsnCursor* c) {
  switch (p->type) {
    case ASN_TYPE_NULL:
      return AsnEncodeNull(nullptr, c);
    case ASN_TYPE_UNSIGNED:
      return AsnEncodeUnsigned(&p->value.u, c);
    case ASN_TYPE_REAL:
      return AsnEncodeReal(&p->value.real, c);
    case ASN_TYPE_ENUMERATED:
      return AsnEncodeEnumerated(&p->value.u, c);
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

void ReadPriorityValue(AsnCursor* c, VelmoraPriorityValue* p) {
  *p = {};
  // NULL, the most common by far.
  if (c->current < c->end && c->current[0] == 0x00) {
    ++c->current;
    return;
  }
  const uint32_t n = AsnElementAt(c);
  if (n == 0) {  // nothing there, or an element that runs past the end
    AsnSkipElement(c);
    return;
  }
  if (AsnIsOpeningTag(c->current[0])) {
    p->type = uint32_t(ASN_TYPE_NONE);  // no application element
    AsnSkipElement(c);
    return;
  }
  const uint8_t tag = c->current[0] >> 4;
  p->type = tag;
  switch (tag) {
    case ASN_TAG_BOOLEAN:
      p->value.u = AsnTakeBoolean(c);
      break;
    case ASN_TAG_UNSIGNED:
    case ASN_TAG_ENUMERATED:
      p->value.u = AsnTakeUnsigned(c);
      break;
    case ASN_TAG_SIGNED:
      p->value.u = uint32_t(AsnTakeSigned(c));
      break;
    case ASN_TAG_REAL:
      p->value.real = AsnTakeReal(c);
      break;
    case ASN_TAG_TIME: {
      VelmoraTime t{};
      AsnTakeTime(c, &t);
      static_assert(sizeof t <= sizeof p->value);
      std::memcpy(&p->value, &t, sizeof t);
      break;
    }
    case ASN_TAG_CHAR_STRING: {
      AsnCursor one = {c->current, c->current + n};
      int32_t text = AsnCharStringDatatype(&one);
      p->type = uint32_t(text >= 0 ? text : ASN_TYPE_CHAR_STRING);
      AsnSkipElement(c);
      break;
    }
    default:  // NULL, or a value whose decoded form does not fit the record
      AsnSkipElement(c);
      break;
  }
}

int32_t EncodeTimeStamp(const VelmoraTimeStamp* ts, AsnCursor* c) {
  switch (ts->choice) {
    case 0:
      return AsnEncodeTaggedTime(&ts->value.time, c, AsnContextTag(0));
    case 1:
      if (ts->value.sequence_number >= kSequenceLimit) return ASN_OUT_OF_RANGE;
      return AsnEncodeTaggedUnsigned(ts->value.sequence_number, c, AsnContextTag(1));
    case 2:
      return AsnEncodeEnclosedDateTime(&ts->value.date_time, c, 2);
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

bool ReadTimeStamp(AsnCursor* c, VelmoraTimeStamp* ts) {
  uint32_t choice;
  if (!AsnPickChoice(c, 3, &choice)) return false;
  *ts = {};
  ts->choice = choice;
  if (choice == 0)
    AsnTakeTime(c, &ts->value.time);
  else if (choice == 1)
    ts->value.sequence_number = AsnTakeUnsigned(c);
  else
    AsnDecodeEnclosedDateTime(c, &ts->value.date_time);
  return true;
}

int32_t EncodeAccumulatorRecord(const VelmoraAccumulatorRecord* a, AsnCursor* c) {
  int32_t status = AsnEncodeEnclosedDateTime(&a->timestamp, c, 0);
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(a->present_value, c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(a->accumulated_value, c, AsnContextTag(2));
  if (status == ASN_OK) status = AsnEncodeTaggedEnumerated(a->status, c, AsnContextTag(3));
  return status;
}

void ReadAccumulatorRecord(AsnCursor* c, VelmoraAccumulatorRecord* a) {
  *a = {};
  AsnDecodeEnclosedDateTime(c, &a->timestamp);
  a->present_value = AsnTakeUnsigned(c);
  a->accumulated_value = AsnTakeUnsigned(c);
  a->status = AsnTakeUnsigned(c);
}

int32_t EncodePrescale(const VelmoraPrescale* p, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedUnsigned(p->multiplier, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(p->modulo_divide, c, AsnContextTag(1));
  return status;
}

void ReadPrescale(AsnCursor* c, VelmoraPrescale* p) {
  *p = {};
  p->multiplier = AsnTakeUnsigned(c);
  p->modulo_divide = AsnTakeUnsigned(c);
}

int32_t EncodeScale(const VelmoraScale* s, AsnCursor* c) {
  switch (s->choice) {
    case ASN_TYPE_REAL:
      return AsnEncodeTaggedReal(s->value.real, c, AsnContextTag(0));
    case ASN_TYPE_SIGNED:
      return AsnEncodeTaggedSigned(s->value.integer, c, AsnContextTag(1));
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

// Tag 0 is the REAL alternative, tag 1 the INTEGER one.
bool ReadScale(AsnCursor* c, VelmoraScale* s) {
  uint32_t tag;
  if (!AsnPickChoice(c, 2, &tag)) return false;
  *s = {};
  if (tag == 0) {
    s->choice = ASN_TYPE_REAL;
    s->value.real = AsnTakeReal(c);
  } else {
    s->choice = ASN_TYPE_SIGNED;
    s->value.integer = AsnTakeSigned(c);
  }
  return true;
}

int32_t EncodeShedLevel(const VelmoraShedLevel* s, AsnCursor* c) {
  switch (s->choice) {
    case 0:
      return AsnEncodeTaggedUnsigned(s->value.percent, c, AsnContextTag(0));
    case 1:
      return AsnEncodeTaggedUnsigned(s->value.level, c, AsnContextTag(1));
    case 2:
      return AsnEncodeTaggedReal(s->value.amount, c, AsnContextTag(2));
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

bool ReadShedLevel(AsnCursor* c, VelmoraShedLevel* s) {
  uint32_t choice;
  if (!AsnPickChoice(c, 3, &choice)) return false;
  *s = {};
  s->choice = choice;
  if (choice == 2)
    s->value.amount = AsnTakeReal(c);
  else
    s->value.percent = AsnTakeUnsigned(c);  // percent and level share the word
  return true;
}

}  // namespace

int32_t AsnEncodePriorityValue(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraPriorityValue, EncodePriorityValue>(value, cursor);
}
void AsnDecodePriorityValue(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraPriorityValue, ReadPriorityValue>(cursor, out);
}

int32_t AsnEncodeTimeStamp(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraTimeStamp, EncodeTimeStamp>(value, cursor);
}
void AsnDecodeTimeStamp(AsnCursor* cursor, void* out) {
  AsnDecodeChoice<VelmoraTimeStamp, ReadTimeStamp>(cursor, out);
}

int32_t AsnEncodeAccumulatorRecord(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraAccumulatorRecord, EncodeAccumulatorRecord>(value, cursor);
}
void AsnDecodeAccumulatorRecord(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraAccumulatorRecord, ReadAccumulatorRecord>(cursor, out);
}

int32_t AsnEncodePrescale(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraPrescale, EncodePrescale>(value, cursor);
}
void AsnDecodePrescale(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraPrescale, ReadPrescale>(cursor, out);
}

int32_t AsnEncodeScale(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraScale, EncodeScale>(value, cursor);
}
void AsnDecodeScale(AsnCursor* cursor, void* out) {
  AsnDecodeChoice<VelmoraScale, ReadScale>(cursor, out);
}

int32_t AsnEncodeShedLevel(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraShedLevel, EncodeShedLevel>(value, cursor);
}
void AsnDecodeShedLevel(AsnCursor* cursor, void* out) {
  AsnDecodeChoice<VelmoraShedLevel, ReadShedLevel>(cursor, out);
}
