#include "bacnet/asn_references.h"

#include <algorithm>
#include <cstring>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"

namespace {

constexpr uint16_t kTagUnsigned = AsnApplicationTag(ASN_TAG_UNSIGNED);
constexpr uint16_t kTagOctetString = AsnApplicationTag(ASN_TAG_OCTET_STRING);

int32_t EncodeAddress(const VelmoraAddress* a, AsnCursor* c) {
  if (a->mac_length > VELMORA_MAC_MAX) return ASN_BAD_BUFFER;
  int32_t status = AsnEncodeTaggedUnsigned(a->remote ? a->network : 0, c, kTagUnsigned);
  if (status != ASN_OK) return status;
  VelmoraOctetString mac = {const_cast<uint8_t*>(a->mac), VELMORA_MAC_MAX, a->mac_length};
  return AsnEncodeTaggedOctetString(&mac, c, kTagOctetString);
}

void ReadAddress(AsnCursor* c, VelmoraAddress* a) {
  *a = {};
  a->network = uint16_t(AsnTakeUnsigned(c));
  a->remote = a->network != 0;
  uint32_t length;
  const uint8_t* mac = AsnTakeOctets(c, &length);
  a->mac_length = uint8_t(std::min(length, VELMORA_MAC_MAX));
  if (a->mac_length) std::memcpy(a->mac, mac, a->mac_length);
}

int32_t EncodeObjPropRef(const VelmoraObjPropRef* r, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedObjectId(&r->object_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedEnumerated(r->property, c, AsnContextTag(1));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(r->array_index), c, AsnContextTag(2));
  return status;
}

void ReadObjPropRef(AsnCursor* c, VelmoraObjPropRef* r) {
  *r = {};
  AsnTakeObjectId(c, &r->object_id);
  r->property = AsnTakeUnsigned(c);
  r->array_index = uint32_t(AsnTakeOptionalUnsigned(c, 2));
}

// [0] device identifier or [1]{ address }; false, with the element stepped
// over and the record as it was, for any other tag.
bool ReadRecipient(AsnCursor* c, VelmoraRecipient* r) {
  uint32_t choice;
  if (!AsnPickChoice(c, 2, &choice)) return false;
  *r = {};
  r->choice = choice;
  if (choice == VELMORA_RECIPIENT_DEVICE) {
    AsnTakeObjectId(c, &r->device);
  } else {
    AsnEnterTag(c);
    ReadAddress(c, &r->address);
    AsnLeaveTag(c);
  }
  return true;
}

int32_t EncodeRecipient(const VelmoraRecipient* r, AsnCursor* c) {
  switch (r->choice) {
    case VELMORA_RECIPIENT_DEVICE:
      return AsnEncodeTaggedObjectId(&r->device, c, AsnContextTag(0));
    case VELMORA_RECIPIENT_ADDRESS: {
      int32_t status = AsnEncodeOpening(c, 1);
      if (status == ASN_OK) status = EncodeAddress(&r->address, c);
      if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
      return status;
    }
    default:
      return ASN_UNKNOWN_CHOICE;
  }
}

void DevObjPropValueWalk(AsnCursor* c, VelmoraDevObjPropValue* out, AsnCarver* carver) {
  VelmoraDevObjPropValue v{};
  AsnTakeObjectId(c, &v.device_id);
  AsnTakeObjectId(c, &v.object_id);
  v.property = AsnTakeUnsigned(c);
  int32_t index = AsnTakeOptionalUnsigned(c, 3);
  v.array_index = uint32_t(index);
  uint32_t length;
  const uint8_t* contents = AsnTakeContents(c, &length);
  if (carver)
    AsnCarvePropertyValue(carver, v.object_id.type, v.property, index,
                          contents ? contents : c->current, length, &v.value);
  AsnStoreRecord(out, v);
}

int32_t EncodePropRef(const VelmoraPropRef* r, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedEnumerated(r->property, c, AsnContextTag(0));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(r->array_index), c, AsnContextTag(1));
  return status;
}

void ReadPropRef(AsnCursor* c, VelmoraPropRef* r) {
  *r = {};
  r->property = AsnTakeUnsigned(c);
  r->array_index = uint32_t(AsnTakeOptionalUnsigned(c, 1));
}

int32_t EncodePropertyValue(const VelmoraPropertyValue* v, AsnCursor* c) {
  if (v->priority != VELMORA_NO_PRIORITY && (v->priority < 1 || v->priority > 16))
    return ASN_OUT_OF_RANGE;
  int32_t status = AsnEncodeTaggedEnumerated(v->property, c, AsnContextTag(0));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(v->array_index), c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeEnclosedValue(&v->value, c, 2);
  if (status == ASN_OK && v->priority != VELMORA_NO_PRIORITY)
    status = AsnEncodeTaggedUnsigned(v->priority, c, AsnContextTag(3));
  return status;
}

// Present: [0]{ reference }; absent: no octets at all.
int32_t EncodeSetpointRef(const VelmoraSetpointRef* s, AsnCursor* c) {
  if (!s->present) return ASN_OK;
  int32_t status = AsnEncodeOpening(c, 0);
  if (status == ASN_OK) status = EncodeObjPropRef(&s->ref, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 0);
  return status;
}

// Absent at the end or at a closing tag.
void ReadSetpointRef(AsnCursor* c, VelmoraSetpointRef* s) {
  *s = {};
  if (AsnAtListEnd(c)) return;
  s->present = 1;
  AsnEnterTag(c);
  ReadObjPropRef(c, &s->ref);
  AsnLeaveTag(c);
}

int32_t EncodeDestination(const VelmoraDestination* d, AsnCursor* c) {
  int32_t status = AsnEncodeBitString(&d->valid_days, c);
  if (status == ASN_OK) status = AsnEncodeTime(&d->from_time, c);
  if (status == ASN_OK) status = AsnEncodeTime(&d->to_time, c);
  if (status == ASN_OK) status = EncodeRecipient(&d->recipient, c);
  if (status == ASN_OK) status = AsnEncodeUnsigned(&d->process_id, c);
  if (status == ASN_OK) status = AsnEncodeBoolean(&d->issue_confirmed, c);
  if (status == ASN_OK) status = AsnEncodeBitString(&d->transitions, c);
  return status;
}

void ReadDestination(AsnCursor* c, VelmoraDestination* d) {
  *d = {};
  AsnTakeBitString(c, &d->valid_days);
  AsnTakeTime(c, &d->from_time);
  AsnTakeTime(c, &d->to_time);
  ReadRecipient(c, &d->recipient);
  d->process_id = AsnTakeUnsigned(c);
  d->issue_confirmed = AsnTakeBoolean(c);
  AsnTakeBitString(c, &d->transitions);
}

int32_t EncodeAddressBinding(const VelmoraAddressBinding* b, AsnCursor* c) {
  int32_t status = AsnEncodeObjectId(&b->device_id, c);
  if (status == ASN_OK) status = EncodeAddress(&b->address, c);
  return status;
}

void ReadAddressBinding(AsnCursor* c, VelmoraAddressBinding* b) {
  *b = {};
  AsnTakeObjectId(c, &b->device_id);
  ReadAddress(c, &b->address);
}

int32_t EncodeDevObjPropValue(const VelmoraDevObjPropValue* v, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedObjectId(&v->device_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedObjectId(&v->object_id, c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeTaggedEnumerated(v->property, c, AsnContextTag(2));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(v->array_index), c, AsnContextTag(3));
  if (status == ASN_OK) status = AsnEncodeEnclosedValue(&v->value, c, 4);
  return status;
}

int32_t EncodeVtSession(const VelmoraVtSession* s, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedUnsigned(s->local_id, c, kTagUnsigned);
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(s->remote_id, c, kTagUnsigned);
  if (status == ASN_OK) status = EncodeAddress(&s->remote_address, c);
  return status;
}

void ReadVtSession(AsnCursor* c, VelmoraVtSession* s) {
  *s = {};
  s->local_id = uint8_t(AsnTakeUnsigned(c));
  s->remote_id = uint8_t(AsnTakeUnsigned(c));
  ReadAddress(c, &s->remote_address);
}

int32_t EncodeSessionKey(const VelmoraSessionKey* k, AsnCursor* c) {
  VelmoraOctetString key = {const_cast<uint8_t*>(k->key), VELMORA_SESSION_KEY_BYTES,
                            VELMORA_SESSION_KEY_BYTES};
  int32_t status = AsnEncodeTaggedOctetString(&key, c, kTagOctetString);
  if (status == ASN_OK) status = EncodeAddress(&k->peer_address, c);
  return status;
}

void ReadSessionKey(AsnCursor* c, VelmoraSessionKey* k) {
  *k = {};
  uint32_t length;
  const uint8_t* key = AsnTakeOctets(c, &length);
  if (key) std::memcpy(k->key, key, std::min(length, VELMORA_SESSION_KEY_BYTES));
  ReadAddress(c, &k->peer_address);
}

}  // namespace

void AsnPropertyValueWalk(uint32_t objectType, AsnCursor* c, VelmoraPropertyValue* out,
                          AsnCarver* carver) {
  VelmoraPropertyValue v{};
  v.property = AsnTakeUnsigned(c);
  int32_t index = AsnTakeOptionalUnsigned(c, 1);
  v.array_index = uint32_t(index);
  uint32_t length;
  const uint8_t* contents = AsnTakeContents(c, &length);
  if (carver)
    AsnCarvePropertyValue(carver, objectType, v.property, index, contents ? contents : c->current,
                          length, &v.value);
  v.priority = uint32_t(AsnTakeOptionalUnsigned(c, 3));
  AsnStoreRecord(out, v);
}

int32_t AsnEncodeAddress(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraAddress, EncodeAddress>(value, cursor);
}
void AsnDecodeAddress(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraAddress, ReadAddress>(cursor, out);
}

int32_t AsnEncodeObjPropRef(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraObjPropRef, EncodeObjPropRef>(value, cursor);
}
void AsnDecodeObjPropRef(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraObjPropRef, ReadObjPropRef>(cursor, out);
}

int32_t AsnEncodePropRef(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraPropRef, EncodePropRef>(value, cursor);
}
void AsnDecodePropRef(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraPropRef, ReadPropRef>(cursor, out);
}

int32_t AsnEncodePropertyValue(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraPropertyValue, EncodePropertyValue>(value, cursor);
}
void AsnDecodePropertyValue(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodePropertyValueForType(ASN_ANY_OBJECT_TYPE, cursor, out, arena);
}
void AsnDecodePropertyValueForType(uint32_t objectType, AsnCursor* cursor, void* out,
                                   uint8_t** arena) {
  AsnCarver carver = AsnDecodingInto(arena);
  AsnPropertyValueWalk(objectType, cursor, static_cast<VelmoraPropertyValue*>(out),
                       out ? &carver : nullptr);
}
uint32_t AsnDecodedSizePropertyValue(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizePropertyValueForType(ASN_ANY_OBJECT_TYPE, element, available, nullptr);
}
uint32_t AsnDecodedSizePropertyValueForType(uint32_t objectType, const uint8_t* element,
                                            uint32_t available, uint32_t* encodedLength) {
  AsnCursor c = AsnCursorOverConst(element, available);
  AsnCarver carver = AsnMeasuring();
  AsnPropertyValueWalk(objectType, &c, nullptr, &carver);
  if (encodedLength) *encodedLength = uint32_t(c.current - element);
  return uint32_t(sizeof(VelmoraPropertyValue)) + carver.taken;
}

int32_t AsnEncodeRecipient(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraRecipient, EncodeRecipient>(value, cursor);
}
void AsnDecodeRecipient(AsnCursor* cursor, void* out) {
  AsnDecodeChoice<VelmoraRecipient, ReadRecipient>(cursor, out);
}

int32_t AsnEncodeSetpointRef(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraSetpointRef, EncodeSetpointRef>(value, cursor);
}
void AsnDecodeSetpointRef(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraSetpointRef, ReadSetpointRef>(cursor, out);
}

int32_t AsnEncodeDestination(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDestination, EncodeDestination>(value, cursor);
}
void AsnDecodeDestination(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraDestination, ReadDestination>(cursor, out);
}

int32_t AsnEncodeAddressBinding(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraAddressBinding, EncodeAddressBinding>(value, cursor);
}
void AsnDecodeAddressBinding(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraAddressBinding, ReadAddressBinding>(cursor, out);
}

int32_t AsnEncodeDevObjPropValue(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraDevObjPropValue, EncodeDevObjPropValue>(value, cursor);
}
void AsnDecodeDevObjPropValue(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraDevObjPropValue, DevObjPropValueWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeDevObjPropValue(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraDevObjPropValue, DevObjPropValueWalk>(element, available);
}
uint32_t AsnDecodedSizeDevObjPropValueLength(const uint8_t* element, uint32_t available,
                                             uint32_t* encodedLength) {
  return AsnDecodedSizeByWalk<VelmoraDevObjPropValue, DevObjPropValueWalk>(element, available,
                                                                           encodedLength);
}

int32_t AsnEncodeVtSession(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraVtSession, EncodeVtSession>(value, cursor);
}
void AsnDecodeVtSession(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraVtSession, ReadVtSession>(cursor, out);
}

int32_t AsnEncodeSessionKey(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraSessionKey, EncodeSessionKey>(value, cursor);
}
void AsnDecodeSessionKey(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraSessionKey, ReadSessionKey>(cursor, out);
}
