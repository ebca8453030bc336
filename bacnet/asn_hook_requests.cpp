#include "bacnet/asn_hook_requests.h"

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_status.h"
#include "bacnet/records_event_notif.h"

namespace {

void IAmRead(AsnCursor* c, VelmoraIAmRequest* r) {
  VelmoraObjectId device{};
  AsnTakeObjectId(c, &device);
  r->device_instance = device.instance;
  r->max_apdu = AsnTakeUnsigned(c);
  r->segmentation = AsnTakeUnsigned(c);
  r->vendor_id = AsnTakeUnsigned(c);
}

// The object name as one whole element with its character-set octet, so
// that the text decoder, which trusts the element's length, stays inside
// it; false (the cursor moved past what there is) for anything less.
bool TakeName(AsnCursor* c, AsnCursor* name) {
  if (!AsnTakeElement(c, name)) return false;
  return AsnCursorRoom(name) > AsnTagHeaderLength(name->current);
}

void IHaveWalk(AsnCursor* c, VelmoraIHaveRequest* out, AsnCarver* carver) {
  VelmoraIHaveRequest r{};
  VelmoraObjectId device{};
  AsnTakeObjectId(c, &device);
  r.device_instance = device.instance;
  AsnTakeObjectId(c, &r.object_id);
  r.charset = VELMORA_CHARSET_ABSENT;
  AsnCursor name;
  if (TakeName(c, &name)) {
    const uint32_t text = AsnCharStringTextLength(name.current);
    if (carver && carver->decode) {
      uint8_t charset = 0;
      void* t = nullptr;
      AsnDecodeCharStringAlloc(&name, &charset, &t, carver->arena);
      r.charset = charset;
      r.object_name = t;
    }
    if (carver) carver->taken += text;
  }
  AsnStoreRecord(out, r);
}

void CovNotifWalk(AsnCursor* c, VelmoraCovNotifRequest* out, AsnCarver* carver) {
  VelmoraCovNotifRequest r{};
  r.process_id = AsnTakeUnsigned(c);
  AsnTakeObjectId(c, &r.initiating_device);
  AsnTakeObjectId(c, &r.monitored_object);
  r.time_remaining = AsnTakeUnsigned(c);
  const uint32_t type = r.monitored_object.type;
  AsnWalkList(c, &r.values, &r.count, carver,
              [type](AsnCursor* x, VelmoraPropertyValue* v, AsnCarver* k) {
                AsnPropertyValueWalk(type, x, v, k);
              });
  AsnStoreRecord(out, r);
}

}  // namespace

int32_t AsnDecodeIAm(AsnCursor* cursor, void* out) {
  AsnDecodeRecord<VelmoraIAmRequest, IAmRead>(cursor, out);
  return ASN_OK;
}

int32_t AsnDecodeIHave(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraIHaveRequest, IHaveWalk>(cursor, out, arena);
  return ASN_OK;
}
uint32_t AsnDecodedSizeIHave(const uint8_t* data, uint32_t length) {
  return AsnDecodedSizeByWalk<VelmoraIHaveRequest, IHaveWalk>(data, length);
}

int32_t AsnDecodeCovNotif(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraCovNotifRequest, CovNotifWalk>(cursor, out, arena);
  return ASN_OK;
}
uint32_t AsnDecodedSizeCovNotif(const uint8_t* data, uint32_t length) {
  return AsnDecodedSizeByWalk<VelmoraCovNotifRequest, CovNotifWalk>(data, length);
}
