// Codecs of the reference records. The object-property reference is also
// the whole of a ReadProperty request and the head of its acknowledgement.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_refs.h"

// [0] object identifier, [1] property, [2] array index unless it is -1.
// 2 for a bad object identifier, 27 for another negative index, 18 when it
// does not fit; a refused encoding leaves the cursor where it was.
int32_t AsnEncodeObjPropRef(const void* value, AsnCursor* cursor);
// Positional, on octets the syntax checker accepted; a null output only
// moves the cursor.
void AsnDecodeObjPropRef(AsnCursor* cursor, void* out);
