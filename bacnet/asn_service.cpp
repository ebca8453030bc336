#include "bacnet/asn_service.h"

#include <cstring>
#include <span>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_value_decode.h"

namespace {

constexpr uint32_t kNoHigh = 0xFFFFFFFF;

int32_t EncodeTag(AsnCursor* c, uint16_t tag) { return AsnEncodeTagByte(c, tag); }

bool ParametersValid(const VelmoraPrivateTransfer* t) {
  return !t->parameters_present || t->length == 0 || (t->parameters && t->length <= t->buffer_size);
}

// [n] vendor, [n+1] service number, the parameters inside [n+2].
int32_t EncodeTransfer(const VelmoraPrivateTransfer* t, AsnCursor* c, uint8_t n) {
  int32_t status = AsnEncodeTaggedUnsigned(t->vendor_id, c, AsnContextTag(n));
  if (status == ASN_OK)
    status = AsnEncodeTaggedUnsigned(t->service_number, c, AsnContextTag(n + 1));
  if (status != ASN_OK || !t->parameters_present) return status;
  if (AsnCursorRoom(c) < uint64_t(t->length) + 2) return ASN_NO_ROOM;
  EncodeTag(c, AsnOpeningTag(n + 2));
  if (t->length != 0) std::memcpy(c->current, t->parameters, t->length);
  c->current += t->length;
  return EncodeTag(c, AsnClosingTag(n + 2));
}

// Vendor and service number, then whatever lies between the opening and the
// closing tag that follow, if anything follows.
std::span<const uint8_t> DecodeTransferHead(AsnCursor* c, VelmoraPrivateTransfer* t) {
  AsnDecodeUnsignedPair(c, &t->vendor_id, &t->service_number);
  t->length = 0;
  t->parameters_present = c->current < c->end;
  if (!t->parameters_present) return {};
  const uint8_t* start = c->current + 1;
  const uint8_t* stop = c->end - 1;
  c->current = c->end;
  return stop > start ? std::span<const uint8_t>(start, size_t(stop - start))
                      : std::span<const uint8_t>();
}

int32_t StoreParameters(VelmoraPrivateTransfer* t, std::span<const uint8_t> octets,
                        VelmoraAllocator* allocator) {
  auto n = uint32_t(octets.size());
  if (allocator) {
    void* block = n != 0 ? allocator->ops->alloc(allocator, n) : nullptr;
    t->parameters = static_cast<uint8_t*>(block);
    t->buffer_size = block ? n : 0;
    if (n != 0 && !block) return ASN_NO_MEMORY;
  } else if (n != 0 && (!t->parameters || t->buffer_size < n)) {
    // Never dropped quietly: the caller learns how much room they need.
    t->length = n;
    return ASN_NO_SPACE;
  }
  if (n != 0) std::memcpy(t->parameters, octets.data(), n);
  t->length = n;
  return ASN_OK;
}

}  // namespace

int32_t AsnEncodeReadProperty(const void* request, AsnCursor* cursor) {
  return AsnEncodeObjPropRef(request, cursor);
}

uint32_t AsnSizeReadProperty(const void*) { return ASN_READ_PROPERTY_SIZE; }

int32_t AsnDecodeReadPropertyAck(AsnCursor* cursor, VelmoraObjPropRef* echo, VelmoraAnyValue* value,
                                 VelmoraAllocator* allocator) {
  if (!cursor || !value) return ASN_MISSING_RECORD;
  VelmoraObjPropRef ref;
  AsnDecodeObjPropRef(cursor, &ref);
  if (echo) *echo = ref;
  const uint8_t* start = cursor->current + 1;  // behind the opening tag [3]
  const uint8_t* stop = cursor->end - 1;       // its closing tag
  uint32_t length = stop > start ? uint32_t(stop - start) : 0;
  cursor->current = cursor->end;
  return AsnDecodePropertyAlloc(ref.object_id.type, ref.property, int32_t(ref.array_index), start,
                                length, value, allocator);
}

int32_t AsnEncodeWhoIs(const void* params, AsnCursor* cursor) {
  const auto* w = static_cast<const AsnWhoIsParams*>(params);
  if (!w || !cursor) return ASN_MISSING_RECORD;
  if (w->low == -1 && w->high == kNoHigh) return ASN_OK;
  if (w->low < 0 || uint32_t(w->low) > VELMORA_MAX_INSTANCE || w->high > VELMORA_MAX_INSTANCE ||
      w->high < uint32_t(w->low))
    return ASN_OUT_OF_RANGE;
  return AsnCommit(cursor, [&](AsnCursor* c) {
    int32_t status = AsnEncodeTaggedUnsigned(uint32_t(w->low), c, AsnContextTag(0));
    return status == ASN_OK ? AsnEncodeTaggedUnsigned(w->high, c, AsnContextTag(1)) : status;
  });
}

int32_t AsnEncodePrivateTransfer(const void* transfer, AsnCursor* cursor) {
  const auto* t = static_cast<const VelmoraPrivateTransfer*>(transfer);
  if (!t || !cursor) return ASN_MISSING_RECORD;
  if (!ParametersValid(t)) return ASN_BAD_BUFFER;
  return AsnCommit(cursor, [&](AsnCursor* c) { return EncodeTransfer(t, c, 0); });
}

uint32_t AsnSizePrivateTransfer(const void* transfer) {
  const auto* t = static_cast<const VelmoraPrivateTransfer*>(transfer);
  if (!t || !t->parameters_present) return 12;
  return t->length <= UINT32_MAX - 16 ? t->length + 16 : UINT32_MAX;
}

int32_t AsnEncodePrivateTransferError(uint32_t errorClass, uint32_t errorCode,
                                      const VelmoraPrivateTransfer* transfer, AsnCursor* cursor) {
  if (!transfer || !cursor) return ASN_MISSING_RECORD;
  if (!ParametersValid(transfer)) return ASN_BAD_BUFFER;
  const VelmoraError pair = {errorClass, errorCode};
  return AsnCommit(cursor, [&](AsnCursor* c) {
    int32_t status = EncodeTag(c, AsnOpeningTag(0));
    if (status == ASN_OK) status = AsnEncodeErrorPair(&pair, c);
    if (status == ASN_OK) status = EncodeTag(c, AsnClosingTag(0));
    return status == ASN_OK ? EncodeTransfer(transfer, c, 1) : status;
  });
}

int32_t AsnDecodePrivateTransferArena(AsnCursor* cursor, void* out, uint8_t** arena) {
  VelmoraPrivateTransfer t{};
  std::span<const uint8_t> octets = DecodeTransferHead(cursor, &t);
  if (!out) return ASN_OK;
  if (!octets.empty()) {
    t.length = t.buffer_size = uint32_t(octets.size());
    t.parameters = AsnArenaTake(arena, t.length);
    std::memcpy(t.parameters, octets.data(), t.length);
  }
  *static_cast<VelmoraPrivateTransfer*>(out) = t;
  return ASN_OK;
}

uint32_t AsnDecodedSizePrivateTransfer(const uint8_t* data, uint32_t length) {
  const uint8_t* p = data;
  const uint8_t* end = data + length;
  for (int i = 0; i < 2; ++i) {
    int32_t n = AsnTagSkipElement(p, end);
    if (n <= 0) return sizeof(VelmoraPrivateTransfer);
    p += n;
  }
  auto rest = uint32_t(end - p);
  return uint32_t(sizeof(VelmoraPrivateTransfer)) + (rest > 2 ? rest - 2 : 0);
}

int32_t AsnDecodePrivateTransferAlloc(AsnCursor* cursor, VelmoraPrivateTransfer* out,
                                      VelmoraAllocator* allocator) {
  if (!cursor || !out) return ASN_MISSING_RECORD;
  return StoreParameters(out, DecodeTransferHead(cursor, out), allocator);
}

int32_t AsnDecodePrivateTransferError(const uint8_t* data, uint32_t length, uint32_t* errorClass,
                                      uint32_t* errorCode, VelmoraPrivateTransfer* out,
                                      VelmoraAllocator* allocator) {
  if (!data || length == 0) return ASN_MISSING_RECORD;
  AsnCursor c = AsnCursorOverConst(data, length);
  c.current += 1;  // opening tag [0]
  AsnDecodeUnsignedPair(&c, errorClass, errorCode);
  c.current += 1;  // its closing tag
  if (!out) return ASN_OK;
  return StoreParameters(out, DecodeTransferHead(&c, out), allocator);
}

void AsnDecodeChangeListError(AsnCursor* cursor, VelmoraError* error, uint32_t* firstFailed) {
  cursor->current += 1;  // opening tag [0]
  uint32_t errorClass, errorCode;
  AsnDecodeUnsignedPair(cursor, &errorClass, &errorCode);
  if (error) *error = {errorClass, errorCode};
  cursor->current += 1;  // its closing tag
  uint32_t element = AsnDecodeUnsignedAt(cursor->current, nullptr);
  cursor->current += AsnTagElementLength(cursor->current);
  if (firstFailed) *firstFailed = element;
}

int32_t AsnEncodeCreateObject(const void* request, AsnCursor* cursor) {
  const auto* r = static_cast<const VelmoraCreateObjectRequest*>(request);
  if (!r || !cursor) return ASN_MISSING_RECORD;
  if (r->choice != VELMORA_CREATE_BY_TYPE && r->choice != VELMORA_CREATE_BY_ID)
    return ASN_UNKNOWN_CHOICE;
  if (r->values_present && r->count != 0 && !r->values) return ASN_BAD_BUFFER;
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_PROPERTY_VALUE);
  return AsnCommit(cursor, [&](AsnCursor* c) {
    int32_t status = EncodeTag(c, AsnOpeningTag(0));
    if (status == ASN_OK)
      status = r->choice == VELMORA_CREATE_BY_TYPE
                   ? AsnEncodeTaggedUnsigned(r->object.type, c, AsnContextTag(0))
                   : AsnEncodeTaggedObjectId(&r->object, c, AsnContextTag(1));
    if (status == ASN_OK) status = EncodeTag(c, AsnClosingTag(0));
    if (status != ASN_OK || !r->values_present) return status;
    status = EncodeTag(c, AsnOpeningTag(1));
    for (uint32_t i = 0; i < r->count && status == ASN_OK; ++i)
      status = row && row->encode ? row->encode(&r->values[i], c) : ASN_NO_CODEC;
    return status == ASN_OK ? EncodeTag(c, AsnClosingTag(1)) : status;
  });
}
