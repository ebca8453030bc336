// Arbitrary octets through the APDU syntax checker, for every PDU kind and
// service (and every schema row on its own); whatever the checker accepts is
// then walked with the trusting codec routines, which must stay inside it,
// and every application-tagged value in it goes through its decoder into an
// output of exactly its decoded size, as does every request that a service
// hook's handler receives decoded.
//
// Input: octet 0 selects the check (low three bits: 0 confirmed request,
// 1 unconfirmed request, 2 complex ACK, 3 error PDU, 4 one value of a row,
// 5 a list of values of a row, 6-7 as 2-3), octet 1 the service choice or
// row, the rest are the service parameters. With bit 3 of octet 0 set the
// parameters are also taken as the value of a property (octet 1 picks it):
// the value layer decodes any octets, the decode by property only those the
// property's check accepts.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_hook_requests.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_tag.h"
#include "bacnet/asn_value_decode.h"

namespace {

// One application-tagged element of n octets. Values inside any-value
// fields were only framed by the checker, so each is first checked as a
// value the way the property layer does before it decodes.
void Decode(const uint8_t* p, uint32_t n) {
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, p, n);
  if (AsnCheckElement(&reader, AsnRowAnyPrimitive) != AsnCheckOk || reader.remaining != 0) return;

  const uint32_t size = AsnDecodedSize(p);
  std::vector<uint8_t> out(size == 0 ? 1 : size);
  uint8_t* arena = out.data() + size;
  uint32_t used = 0;
  AsnCursor cursor = AsnCursorOverConst(p, n);
  switch (p[0] >> 4) {
    case ASN_TAG_NULL:
      AsnDecodeNull(&cursor, out.data());
      break;
    case ASN_TAG_BOOLEAN:
      AsnDecodeBoolean(&cursor, out.data());
      if (out[0] > 1) std::abort();
      break;
    case ASN_TAG_UNSIGNED:
      AsnDecodeUnsigned(&cursor, out.data());
      break;
    case ASN_TAG_SIGNED:
      AsnDecodeSigned(&cursor, out.data());
      break;
    case ASN_TAG_REAL:
      AsnDecodeReal(&cursor, out.data());
      break;
    case ASN_TAG_DOUBLE:
      AsnDecodeDouble(&cursor, out.data());
      break;
    case ASN_TAG_OCTET_STRING:
      AsnDecodeOctetString(&cursor, out.data(), &arena);
      break;
    case ASN_TAG_BIT_STRING:
      AsnDecodeBitString(&cursor, out.data());
      break;
    case ASN_TAG_ENUMERATED:
      AsnDecodeEnumerated(&cursor, out.data());
      break;
    case ASN_TAG_DATE:
      AsnDecodeDate(&cursor, out.data());
      break;
    case ASN_TAG_TIME:
      AsnDecodeTime(&cursor, out.data());
      break;
    case ASN_TAG_OBJECT_ID:
      AsnDecodeObjectId(&cursor, out.data());
      break;
    case ASN_TAG_CHAR_STRING: {
      const AsnCursor one = AsnCursorOverConst(p, n);
      switch (AsnCharStringDatatype(&one)) {
        case 13:
          AsnDecodeAnsiText(&cursor, out.data(), &arena, &used);
          break;
        case 14:
          AsnDecodeDbcsText(&cursor, out.data(), &arena);
          break;
        case 15:
          AsnDecodeJisText(&cursor, out.data(), &arena, &used);
          break;
        case 16:
          AsnDecodeUcs4Text(&cursor, out.data(), &arena, &used);
          break;
        case 17:
          AsnDecodeUcs2Text(&cursor, out.data(), &arena, &used);
          break;
        case 18:
          AsnDecodeIso8859Text(&cursor, out.data(), &arena, &used);
          break;
        case 7:
          AsnDecodeCharString(&cursor, out.data(), &arena);
          break;
        default:
          std::abort();  // the checker refuses unknown sets
      }
      if (used > size) std::abort();
      // The same text as a CharacterString record of any set.
      const uint32_t anySize = AsnDecodedSizeCharString(p, n);
      std::vector<uint8_t> record(anySize == 0 ? 1 : anySize);
      uint8_t* recordArena = record.data() + anySize;
      AsnCursor again = AsnCursorOverConst(p, n);
      AsnDecodeCharString(&again, record.data(), &recordArena);
      if (again.current != cursor.current) std::abort();
      break;
    }
    default:
      std::abort();  // the checker refuses reserved tags
  }
  if (cursor.current != p + n || arena < out.data()) std::abort();
}

// The checker accepted these octets: every element must be framed the way
// the codec reads it, or the codec would walk where the checker did not.
void Walk(const uint8_t* data, uint32_t length) {
  const uint8_t* p = data;
  const uint8_t* end = data + length;
  while (p < end) {
    const uint32_t room = static_cast<uint32_t>(end - p);
    if (AsnIsOpeningTag(p[0]) || AsnIsClosingTag(p[0])) {
      if ((p[0] & ASN_CLASS_CONTEXT) == 0) std::abort();
      const uint32_t header = AsnTagHeaderLength(p);
      if (header > room) std::abort();
      if (AsnIsOpeningTag(p[0])) {
        const int32_t whole = AsnTagSkipElement(p, end);
        if (whole <= 0 || static_cast<uint32_t>(whole) > room) std::abort();
      }
      p += header;
      continue;
    }
    // A header reaching past the end is caught by the address sanitizer.
    const uint32_t n = AsnTagElementLength(p);
    if (n == 0 || n > room) std::abort();
    const int32_t skipped = AsnTagSkipElement(p, end);
    if (skipped != static_cast<int32_t>(n)) std::abort();
    if ((p[0] & ASN_CLASS_CONTEXT) == 0) Decode(p, n);
    p += n;
  }
}

// Counts what it hands out, so sizes can be held against blocks.
struct SizedAllocator {
  VelmoraAllocator base;
  uint32_t total;
};
void* SizedAlloc(VelmoraAllocator* self, uint32_t size) {
  reinterpret_cast<SizedAllocator*>(self)->total += size;
  return std::malloc(size);
}
void SizedFree(VelmoraAllocator*, void* block) { std::free(block); }
constexpr VelmoraAllocatorOps kSizedOps = {SizedAlloc, SizedFree};

struct Property {
  uint32_t objectType, property;
  int32_t arrayIndex;
};
// Placed so that a seed's row (octet 1) checks what its property holds:
// row 77 any primitive, 35 object identifiers, 17 a text, 10 an Unsigned.
constexpr Property kProperties[] = {
    {0, 85, -1}, {8, 76, 0},   {8, 76, -1},  {8, 76, 3},    {17, 85, -1},   {13, 7, -1},
    {8, 77, -1}, {9, 101, -1}, {0, 111, -1}, {17, 123, -1}, {200, 600, -1},
};

void DecodeAsProperty(uint32_t pick, const uint8_t* data, uint32_t length) {
  const Property& p = kProperties[pick % std::size(kProperties)];
  SizedAllocator a = {{&kSizedOps}, 0};
  VelmoraAnyValue v = {-1, nullptr, 0, 0};
  uint32_t size = AsnDecodedSizeProperty(p.objectType, p.property, p.arrayIndex, data, length);
  int32_t status =
      AsnDecodePropertyAlloc(p.objectType, p.property, p.arrayIndex, data, length, &v, &a.base);
  if (status == ASN_OK && a.total != size) std::abort();
  VelmoraAnyValueFree(&a.base, &v);

  // The element walk measures and decodes alike.
  a.total = 0;
  v = {-1, nullptr, 0, 0};
  size = AsnDecodedSizePropertyElements(p.objectType, p.property, p.arrayIndex, data, length);
  status = AsnDecodePropertyElementsAlloc(p.objectType, p.property, p.arrayIndex, data, length, &v,
                                          &a.base);
  if (status == ASN_OK && a.total != size) std::abort();
  VelmoraAnyValueFree(&a.base, &v);

  AsnPropertyCheck check = {AsnPropertyTypeCode(p.objectType, p.property), p.arrayIndex, data,
                            length, 0};
  int32_t datatype;
  if (check.typeCode == 0 || AsnCheckPropertyValue(&check, &datatype) != 0 ||
      check.consumed != length)
    return;
  v = {-1, nullptr, 0, 0};
  AsnDecodeByProperty(p.objectType, p.property, p.arrayIndex, data, length, &v, &a.base);
  VelmoraAnyValueFree(&a.base, &v);
}

// What a service hook's handler receives: each accepted request that has a
// hook decoder is decoded into a block of exactly its decoded size, which
// the decoder may neither overrun nor leave the input for.
struct HookDecoder {
  uint32_t select;  // 0 confirmed, 1 unconfirmed
  uint32_t service;
  uint32_t fixed;
  uint32_t (*size)(const uint8_t*, uint32_t);
  int32_t (*decode)(AsnCursor*, void*, uint8_t**);
};
int32_t DecodeIAm(AsnCursor* cursor, void* out, uint8_t**) { return AsnDecodeIAm(cursor, out); }
constexpr HookDecoder kHookDecoders[] = {
    {1, 0, sizeof(VelmoraIAmRequest), nullptr, DecodeIAm},
    {1, 1, 0, AsnDecodedSizeIHave, AsnDecodeIHave},
    {0, 1, 0, AsnDecodedSizeCovNotif, AsnDecodeCovNotif},
    {1, 2, 0, AsnDecodedSizeCovNotif, AsnDecodeCovNotif},
};

void DecodeForHook(uint32_t select, uint32_t service, const uint8_t* data, uint32_t length) {
  for (const HookDecoder& h : kHookDecoders) {
    if (h.select != select || h.service != service) continue;
    const uint32_t size = h.size ? h.size(data, length) : h.fixed;
    auto* block = static_cast<uint8_t*>(std::malloc(size));
    uint8_t* top = block + size;
    AsnCursor cursor = AsnCursorOverConst(data, length);
    h.decode(&cursor, block, &top);
    if (top < block || cursor.current > data + length) std::abort();
    std::free(block);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 0x10000) return 0;
  const uint32_t select = data[0] & 7u;
  const uint32_t choice = data[1];
  const uint8_t* params = data + 2;
  const auto length = static_cast<uint32_t>(size - 2);

  bool accepted = false;
  uint32_t consumed = length;
  switch (select) {
    case 0:
      accepted = AsnCheckConfirmedRequest(choice, params, length) == 0;
      break;
    case 1:
      accepted = AsnCheckUnconfirmedRequest(choice, params, length);
      break;
    case 2:
    case 6:
      accepted = AsnCheckComplexAck(choice, params, length) == 0;
      break;
    case 3:
    case 7:
      accepted = AsnCheckErrorPdu(choice, params, length);
      break;
    default: {
      AsnCheckReader reader;
      AsnCheckReaderInit(&reader, params, length);
      const uint32_t row = choice % AsnSchemaRowCount;
      const uint32_t result =
          select == 4 ? AsnCheckElement(&reader, row) : AsnCheckSequenceOf(&reader, row);
      if (reader.remaining > length) std::abort();
      // The rest of a PDU is accepted unchecked: nothing there is vouched for.
      accepted = result == AsnCheckOk && AsnSchemaTable[row].tagKind != AsnConstructedRest;
      consumed = length - reader.remaining;
      break;
    }
  }
  if (accepted) {
    Walk(params, consumed);
    if (select < 2) DecodeForHook(select, choice, params, length);
  }
  if (data[0] & 0x08) DecodeAsProperty(choice, params, length);
  return 0;
}
