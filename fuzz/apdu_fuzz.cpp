// Arbitrary octets through the APDU syntax checker, for every PDU kind and
// service (and every schema row on its own); whatever the checker accepts is
// then walked with the trusting codec routines, which must stay inside it.
//
// Input: octet 0 selects the check (low three bits: 0 confirmed request,
// 1 unconfirmed request, 2 complex ACK, 3 error PDU, 4 one value of a row,
// 5 a list of values of a row, 6-7 as 2-3), octet 1 the service choice or
// row, the rest are the service parameters.
#include <cstdint>
#include <cstdlib>

#include "bacnet/asn_check.h"
#include "bacnet/asn_tag.h"

namespace {

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
    p += n;
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
      const uint32_t result = select == 4 ? AsnCheckElement(&reader, row) : AsnCheckSequenceOf(&reader, row);
      if (reader.remaining > length) std::abort();
      // The rest of a PDU is accepted unchecked: nothing there is vouched for.
      accepted = result == AsnCheckOk && AsnSchemaTable[row].tagKind != AsnConstructedRest;
      consumed = length - reader.remaining;
      break;
    }
  }
  if (accepted) Walk(params, consumed);
  return 0;
}
