// A ReadPropertyMultiple acknowledgement's octets, checked, measured and
// decoded twice: through the walk that a client keeps from its check to its
// decode (the check's one pass over the results) and by the list codec
// alone. The two must agree for any octets: the same verdict, size, status,
// count and the same records, encoded back. Each decode writes into a
// buffer of exactly its measured size, so a write past it is caught.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/asn_value_walk.h"

namespace {

constexpr uint32_t kReadPropertyMultiple = 14;

struct Outcome {
  uint32_t check = 0;
  uint32_t size = 0;
  int32_t status = 0;
  uint32_t count = 0;
  std::vector<uint8_t> encoded;
};

Outcome Run(const uint8_t* data, uint32_t n, bool walked) {
  const AsnDatatype* row = AsnDatatypeFind(ASN_TYPE_READ_ACCESS_RESULT);
  AsnValueWalk walk;
  AsnValueWalkInit(&walk);
  Outcome o;
  o.check = walked ? AsnCheckComplexAckWalk(kReadPropertyMultiple, data, n, &walk)
                   : AsnCheckComplexAck(kReadPropertyMultiple, data, n);
  if (o.check != 0) return o;
  o.size = walked ? AsnDecodedSizeList(row, data, n, &walk) : AsnDecodedSizeList(row, data, n);
  // Exactly the measured size: no slack for an overrun to land in.
  std::vector<uint8_t> block(o.size);
  VelmoraAnyValue value = {ASN_TYPE_NONE, o.size ? block.data() : nullptr, o.size, 0};
  o.status = walked ? AsnDecodeValueList(row, data, n, &value, nullptr, &walk)
                    : AsnDecodeValueList(row, data, n, &value, nullptr);
  o.count = value.count;
  if (o.status == ASN_OK) {
    o.encoded.assign(size_t(n) * 2 + 64, 0);
    AsnCursor cursor = AsnCursorOver(o.encoded.data(), uint32_t(o.encoded.size()));
    AsnEncodeTypedArray(&value, &cursor);
    o.encoded.resize(size_t(cursor.current - o.encoded.data()));
  }
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x10000) return 0;
  // A copy of exactly the input, so a read past it is caught.
  std::vector<uint8_t> octets(data, data + size);
  const auto n = uint32_t(size);
  const uint8_t* p = size ? octets.data() : nullptr;
  const Outcome plain = Run(p, n, false);
  const Outcome walked = Run(p, n, true);
  if (plain.check != walked.check || plain.size != walked.size || plain.status != walked.status ||
      plain.count != walked.count || plain.encoded != walked.encoded)
    std::abort();
  return 0;
}
