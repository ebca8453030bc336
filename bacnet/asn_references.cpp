#include "bacnet/asn_references.h"

#include "bacnet/asn_primitive.h"

int32_t AsnEncodeObjPropRef(const void* value, AsnCursor* cursor) {
  const auto* ref = static_cast<const VelmoraObjPropRef*>(value);
  if (!ref || !cursor) return ASN_INVALID_VALUE;
  AsnCursor c = *cursor;
  int32_t status = AsnEncodeTaggedObjectId(&ref->object_id, &c, AsnContextTag(0));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(ref->property, &c, AsnContextTag(1));
  if (status == ASN_OK)
    status = AsnEncodeOptionalUnsigned(int32_t(ref->array_index), &c, AsnContextTag(2));
  if (status == ASN_OK) *cursor = c;
  return status;
}

void AsnDecodeObjPropRef(AsnCursor* cursor, void* out) {
  VelmoraObjPropRef ref;
  AsnUnpackObjectId(&ref.object_id, cursor->current + 1);  // behind the one-octet [0]
  cursor->current += 5;
  ref.property = AsnDecodeUnsignedAt(cursor->current, nullptr);
  cursor->current += AsnTagElementLength(cursor->current);
  int32_t index;
  AsnDecodeOptionalUnsigned(cursor, &index, AsnContextTag(2));
  ref.array_index = uint32_t(index);
  if (out) *static_cast<VelmoraObjPropRef*>(out) = ref;
}
