#include "bacnet/asn_subscriptions.h"

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"

namespace {

constexpr uint32_t kLastStatesChoice = 15;

// The choice is the tag number, from the second octet for 15 and up.
uint32_t StatesChoice(const AsnCursor* c) {
  const uint8_t* p = c->current;
  if ((p[0] & 0xF0) != ASN_TAG_EXTENDED) return p[0] >> 4;
  return c->end - p >= 2 ? p[1] : kLastStatesChoice + 1;
}

int32_t EncodePropertyStates(const VelmoraPropertyStates* s, AsnCursor* c) {
  if (s->choice > kLastStatesChoice) return ASN_UNKNOWN_CHOICE;
  if (s->choice == 0) return AsnEncodeTaggedBoolean(s->value.boolean_value, c, AsnContextTag(0));
  return AsnEncodeTaggedUnsigned(s->value.enumerated, c, AsnContextTag(uint8_t(s->choice)));
}

// A choice past the last keeps only its number; its element is stepped over.
void ReadPropertyStates(AsnCursor* c, VelmoraPropertyStates* s) {
  *s = {};
  if (AsnAtListEnd(c)) return;
  s->choice = StatesChoice(c);
  if (s->choice == 0)
    s->value.boolean_value = AsnTakeBoolean(c);
  else if (s->choice <= kLastStatesChoice)
    s->value.enumerated = AsnTakeUnsigned(c);
  else
    AsnSkipElement(c);
}

int32_t EncodeClientCov(const VelmoraClientCov* v, AsnCursor* c) {
  if (v->choice == ASN_TYPE_NULL) return AsnEncodeNull(nullptr, c);
  return AsnEncodeReal(&v->increment, c);
}

void ReadClientCov(AsnCursor* c, VelmoraClientCov* v) {
  *v = {};
  if (c->current < c->end && c->current[0] == 0x00) {
    v->choice = ASN_TYPE_NULL;
    ++c->current;
  } else {
    v->choice = ASN_TYPE_REAL;
    v->increment = AsnTakeReal(c);
  }
}

int32_t EncodeDevObjPropRef(const VelmoraDevObjPropRef* r, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedObjectId(&r->object_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedEnumerated(r->property, c, AsnContextTag(1));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(r->array_index), c, AsnContextTag(2));
  if (status == ASN_OK && r->device_present)
    status = AsnEncodeTaggedObjectId(&r->device_id, c, AsnContextTag(3));
  return status;
}

void ReadDevObjPropRef(AsnCursor* c, VelmoraDevObjPropRef* r) {
  *r = {};
  AsnTakeObjectId(c, &r->object_id);
  r->property = AsnTakeUnsigned(c);
  r->array_index = uint32_t(AsnTakeOptionalUnsigned(c, 2));
  r->device_present = AsnHasContextTag(c, 3);
  if (r->device_present) AsnTakeObjectId(c, &r->device_id);
}

int32_t EncodeDevObjRef(const VelmoraDevObjRef* r, AsnCursor* c) {
  int32_t status = ASN_OK;
  if (r->device_present) status = AsnEncodeTaggedObjectId(&r->device_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedObjectId(&r->object_id, c, AsnContextTag(1));
  return status;
}

void ReadDevObjRef(AsnCursor* c, VelmoraDevObjRef* r) {
  *r = {};
  r->device_present = AsnHasContextTag(c, 0);
  if (r->device_present) AsnTakeObjectId(c, &r->device_id);
  AsnTakeObjectId(c, &r->object_id);
}

// [0]{ [0]{ recipient }, [1] process }, [1]{ monitored reference },
// [2] issue-confirmed, [3] time remaining, [4] increment when flagged.
int32_t EncodeCovSubscription(const VelmoraCovSubscription* s, AsnCursor* c) {
  int32_t status = AsnEncodeOpening(c, 0);
  if (status == ASN_OK) status = AsnEncodeOpening(c, 0);
  if (status == ASN_OK) status = AsnEncodeRecipient(&s->recipient.recipient, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 0);
  if (status == ASN_OK)
    status = AsnEncodeTaggedUnsigned(s->recipient.process_id, c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeClosing(c, 0);
  if (status == ASN_OK) status = AsnEncodeOpening(c, 1);
  if (status == ASN_OK) status = AsnEncodeObjPropRef(&s->monitored_ref, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
  if (status == ASN_OK) status = AsnEncodeTaggedBoolean(s->issue_confirmed, c, AsnContextTag(2));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(s->time_remaining, c, AsnContextTag(3));
  if (status == ASN_OK && (s->flags & VELMORA_COV_HAS_INCREMENT))
    status = AsnEncodeTaggedReal(s->increment, c, AsnContextTag(4));
  return status;
}

void ReadCovSubscription(AsnCursor* c, VelmoraCovSubscription* s) {
  *s = {};
  AsnEnterTag(c);
  AsnEnterTag(c);
  AsnDecodeRecipient(c, &s->recipient.recipient);
  AsnLeaveTag(c);
  s->recipient.process_id = AsnTakeUnsigned(c);
  AsnLeaveTag(c);
  AsnEnterTag(c);
  AsnDecodeObjPropRef(c, &s->monitored_ref);
  AsnLeaveTag(c);
  s->issue_confirmed = AsnTakeBoolean(c);
  s->time_remaining = AsnTakeUnsigned(c);
  if (AsnHasContextTag(c, 4)) {
    s->flags |= VELMORA_COV_HAS_INCREMENT;
    s->increment = AsnTakeReal(c);
  }
}

}  // namespace

int32_t AsnEncodePropertyStates(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraPropertyStates, EncodePropertyStates>(value, cursor);
}
void AsnDecodePropertyStates(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraPropertyStates, ReadPropertyStates>(cursor, out);
}

int32_t AsnEncodeClientCov(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraClientCov, EncodeClientCov>(value, cursor);
}
void AsnDecodeClientCov(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraClientCov, ReadClientCov>(cursor, out);
}

int32_t AsnEncodeDevObjPropRef(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDevObjPropRef, EncodeDevObjPropRef>(value, cursor);
}
void AsnDecodeDevObjPropRef(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraDevObjPropRef, ReadDevObjPropRef>(cursor, out);
}

int32_t AsnEncodeDevObjRef(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDevObjRef, EncodeDevObjRef>(value, cursor);
}
void AsnDecodeDevObjRef(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraDevObjRef, ReadDevObjRef>(cursor, out);
}

int32_t AsnEncodeCovSubscription(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraCovSubscription, EncodeCovSubscription>(value, cursor);
}
void AsnDecodeCovSubscription(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraCovSubscription, ReadCovSubscription>(cursor, out);
}
