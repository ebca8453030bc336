#include "bacnet/asn_commands.h"

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"

namespace {

constexpr uint32_t kLowestPriority = 16;

// A present empty result list points here, so that it stays apart from an
// absent one (null); with a count of 0 nothing is ever read or written here.
VelmoraReadResult gNoResults;

bool AtOpening(const AsnCursor* c, uint8_t number) {
  return c->current < c->end && c->current[0] == AsnOpeningTag(number);
}

// The contents of the constructed element at the cursor typed for the
// object type and property, carved (or measured) with a carver.
void ValueWalk(AsnCursor* c, AsnCarver* carver, uint32_t objectType, uint32_t property,
               int32_t arrayIndex, VelmoraAnyValue* out) {
  uint32_t length;
  const uint8_t* contents = nullptr;
  if (carver && AsnWalkTakeEnclosed(c->current, c->end, &contents, &length))
    c->current = const_cast<uint8_t*>(contents) + length + 1;
  else
    contents = AsnTakeContents(c, &length);
  if (!contents) {
    AsnSkipElement(c);  // no constructed element: no value, but move on
    *out = {ASN_TYPE_NONE, nullptr, 0, 0};
  } else if (carver) {
    AsnCarvePropertyValue(carver, objectType, property, arrayIndex, contents, length, out);
  }
}

void ActionCommandWalk(AsnCursor* c, VelmoraActionCommand* out, AsnCarver* carver) {
  VelmoraActionCommand a{};
  if (AsnHasContextTag(c, 0)) {
    a.flags |= VELMORA_ACTION_HAS_DEVICE;
    AsnTakeObjectId(c, &a.device_id);
  }
  AsnTakeObjectId(c, &a.object_id);
  a.property = AsnTakeUnsigned(c);
  a.array_index = uint32_t(AsnTakeOptionalUnsigned(c, 3));
  ValueWalk(c, carver, a.object_id.type, a.property, int32_t(a.array_index), &a.value);
  a.priority = uint32_t(AsnTakeOptionalUnsigned(c, 5));
  if (AsnHasContextTag(c, 6)) {
    a.flags |= VELMORA_ACTION_HAS_POST_DELAY;
    a.post_delay = AsnTakeUnsigned(c);
  }
  a.quit_on_failure = AsnTakeBoolean(c);
  a.write_successful = AsnTakeBoolean(c);
  AsnStoreRecord(out, a);
}

void ActionListWalk(AsnCursor* c, VelmoraActionList* out, AsnCarver* carver) {
  VelmoraActionList l{};
  AsnWalkList(c, &l.items, &l.count, carver, ActionCommandWalk);
  AsnStoreRecord(out, l);
}

void PropRefWalk(AsnCursor* c, VelmoraPropRef* out, AsnCarver*) { AsnDecodePropRef(c, out); }

void ReadAccessSpecWalk(AsnCursor* c, VelmoraReadAccessSpec* out, AsnCarver* carver) {
  VelmoraReadAccessSpec s{};
  AsnTakeObjectId(c, &s.object_id);
  AsnWalkList(c, &s.refs, &s.count, carver, PropRefWalk);
  AsnStoreRecord(out, s);
}

// One result: its value typed by the object type of the result holding it,
// or its error.
void ReadResultWalk(uint32_t objectType, AsnCursor* c, VelmoraReadResult* out, AsnCarver* carver) {
  VelmoraReadResult r{};
  r.property = AsnTakeUnsigned(c);
  r.array_index = uint32_t(AsnTakeOptionalUnsigned(c, 3));
  r.success = AtOpening(c, 4);
  if (r.success) {
    ValueWalk(c, carver, objectType, r.property, int32_t(r.array_index), &r.value);
  } else {
    r.value = {ASN_TYPE_NONE, nullptr, 0, 0};
    AsnEnterTag(c);
    AsnTakeErrorPair(c, &r.error);
    AsnLeaveTag(c);
  }
  AsnStoreRecord(out, r);
}

void ReadAccessResultWalk(AsnCursor* c, VelmoraReadAccessResult* out, AsnCarver* carver) {
  VelmoraReadAccessResult r{};
  AsnTakeObjectId(c, &r.object_id);
  if (AtOpening(c, 1)) {
    const uint32_t type = r.object_id.type;
    AsnWalkList(c, &r.results, &r.count, carver,
                [type](AsnCursor* e, VelmoraReadResult* result, AsnCarver* k) {
                  ReadResultWalk(type, e, result, k);
                });
    if (!r.results) r.results = &gNoResults;
  }
  AsnStoreRecord(out, r);
}

// [n]{ count records, each through encode }.
template <typename T, typename Encode>
int32_t EncodeList(const T* items, uint32_t count, AsnCursor* c, uint8_t number, Encode encode) {
  if (count != 0 && !items) return ASN_BAD_BUFFER;
  int32_t status = AsnEncodeOpening(c, number);
  for (uint32_t i = 0; i < count && status == ASN_OK; ++i)
    status = encode(&items[i], c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, number);
  return status;
}

int32_t EncodeActionCommand(const VelmoraActionCommand* a, AsnCursor* c) {
  const bool hasPriority = a->priority != VELMORA_NO_PRIORITY;
  if (hasPriority && (a->priority < 1 || a->priority > kLowestPriority)) return ASN_OUT_OF_RANGE;
  int32_t status = ASN_OK;
  if (a->flags & VELMORA_ACTION_HAS_DEVICE)
    status = AsnEncodeTaggedObjectId(&a->device_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedObjectId(&a->object_id, c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeTaggedEnumerated(a->property, c, AsnContextTag(2));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(a->array_index), c, AsnContextTag(3));
  if (status == ASN_OK) status = AsnEncodeEnclosedValue(&a->value, c, 4);
  if (status == ASN_OK && hasPriority)
    status = AsnEncodeTaggedUnsigned(a->priority, c, AsnContextTag(5));
  if (status == ASN_OK && (a->flags & VELMORA_ACTION_HAS_POST_DELAY))
    status = AsnEncodeTaggedUnsigned(a->post_delay, c, AsnContextTag(6));
  if (status == ASN_OK) status = AsnEncodeTaggedBoolean(a->quit_on_failure, c, AsnContextTag(7));
  if (status == ASN_OK) status = AsnEncodeTaggedBoolean(a->write_successful, c, AsnContextTag(8));
  return status;
}

int32_t EncodeActionList(const VelmoraActionList* l, AsnCursor* c) {
  return EncodeList(l->items, l->count, c, 0, EncodeActionCommand);
}

int32_t EncodeReadAccessSpec(const VelmoraReadAccessSpec* s, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedObjectId(&s->object_id, c, AsnContextTag(0));
  if (status == ASN_OK) status = EncodeList(s->refs, s->count, c, 1, AsnEncodePropRef);
  return status;
}

int32_t EncodeReadResult(const VelmoraReadResult* r, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedEnumerated(r->property, c, AsnContextTag(2));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(r->array_index), c, AsnContextTag(3));
  if (status != ASN_OK) return status;
  if (r->success) return AsnEncodeEnclosedValue(&r->value, c, 4);
  status = AsnEncodeOpening(c, 5);
  if (status == ASN_OK) status = AsnEncodeErrorPair(&r->error, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 5);
  return status;
}

// The result list only when there is an array, however many it holds.
int32_t EncodeReadAccessResult(const VelmoraReadAccessResult* r, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedObjectId(&r->object_id, c, AsnContextTag(0));
  if (status == ASN_OK && r->results)
    status = EncodeList(r->results, r->count, c, 1, EncodeReadResult);
  return status;
}

}  // namespace

int32_t AsnEncodeActionCommand(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraActionCommand, EncodeActionCommand>(value, cursor);
}
void AsnDecodeActionCommand(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraActionCommand, ActionCommandWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeActionCommand(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraActionCommand, ActionCommandWalk>(element, available);
}

int32_t AsnEncodeActionList(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraActionList, EncodeActionList>(value, cursor);
}
void AsnDecodeActionList(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraActionList, ActionListWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeActionList(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraActionList, ActionListWalk>(element, available);
}

int32_t AsnEncodeReadAccessSpec(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraReadAccessSpec, EncodeReadAccessSpec>(value, cursor);
}
void AsnDecodeReadAccessSpec(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraReadAccessSpec, ReadAccessSpecWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeReadAccessSpec(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraReadAccessSpec, ReadAccessSpecWalk>(element, available);
}

int32_t AsnEncodeReadAccessResult(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraReadAccessResult, EncodeReadAccessResult>(value, cursor);
}
void AsnDecodeReadAccessResult(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraReadAccessResult, ReadAccessResultWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeReadAccessResult(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraReadAccessResult, ReadAccessResultWalk>(element, available);
}

int32_t AsnEncodeReadAccessResultList(const VelmoraReadAccessResult* results, uint32_t count,
                                      AsnCursor* cursor) {
  if (count != 0 && !results) return ASN_MISSING_RECORD;
  return AsnCommit(cursor, [results, count](AsnCursor* c) {
    int32_t status = ASN_OK;
    for (uint32_t i = 0; i < count && status == ASN_OK; ++i)
      status = EncodeReadAccessResult(&results[i], c);
    return status;
  });
}

int32_t AsnDecodeWritePropertyRequest(AsnCursor* cursor, AsnWritePropertyRequest* out) {
  if (!cursor || !out) return ASN_MISSING_RECORD;
  *out = {nullptr, 0, -1, nullptr, 0, -1};
  uint32_t length;
  const uint8_t* id = AsnTakeOctets(cursor, &length);
  if (length >= 4) out->object_id = id;
  out->property = AsnTakeUnsigned(cursor);
  out->array_index = AsnTakeOptionalUnsigned(cursor, 2);
  if (const uint8_t* value = AsnTakeContents(cursor, &length)) {
    out->value = value;
    out->value_length = length;
  }
  if (AsnHasContextTag(cursor, 4)) out->priority = int32_t(AsnTakeUnsigned(cursor));
  return ASN_OK;
}
