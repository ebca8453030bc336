#include "bacnet/asn_check.h"

#include <array>

#include "bacnet/asn_status.h"

namespace {

using E = AsnSchemaElement;

// One tag header as read by the checker, always inside the remaining octets.
struct CheckTag {
  uint32_t number;
  bool context;
  bool opening;
  bool closing;
  uint8_t lvt;      // the low three bits of the first octet
  uint32_t header;  // octets of tag and length
  uint32_t length;  // value octets after the header
};

uint8_t Kind(const AsnSchemaType& row) { return row.tagKind & AsnKindMask; }
uint8_t TagKind(const AsnSchemaType& row) { return static_cast<uint8_t>(row.tagKind); }
const E* Elements(const AsnSchemaType& row) { return static_cast<const E*>(row.data); }

void Consume(AsnCheckReader* r, uint32_t n) {
  r->cursor += n;
  r->remaining -= n;
}

bool AtClosing(const AsnCheckReader* r) {
  return r->remaining > 0 && (r->cursor[0] & 0x0F) == 0x0F;
}

uint32_t ReadTag(const AsnCheckReader* r, CheckTag* t) {
  const uint8_t* p = r->cursor;
  const uint32_t n = r->remaining;
  if (n < 1) return AsnCheckBadEncoding;
  const uint8_t first = p[0];
  t->number = first >> 4;
  t->context = (first & 0x08) != 0;
  t->lvt = first & 0x07;
  t->opening = t->closing = false;
  t->header = 1;
  t->length = 0;
  // Most tags are one octet with the length in it.
  if (t->number < 15 && t->lvt < 5 && (t->context || t->number > 1)) {
    t->length = t->lvt;
    return t->length < n ? AsnCheckOk : AsnCheckBadEncoding;
  }
  if (t->number == 15) {
    if (n < 2 || p[1] < 15 || p[1] == 255) return AsnCheckBadEncoding;
    t->number = p[1];
    t->header = 2;
  }
  if (t->lvt >= 6) {
    if (!t->context) return AsnCheckBadEncoding;
    t->opening = t->lvt == 6;
    t->closing = t->lvt == 7;
    return AsnCheckOk;
  }
  // An application Null or Boolean holds its value in the tag octet; any
  // other value there would leave its length open to two readings.
  if (!t->context && t->number <= 1) return t->lvt <= t->number ? AsnCheckOk : AsnCheckBadEncoding;
  if (t->lvt < 5) {
    t->length = t->lvt;
  } else {
    if (n < t->header + 1) return AsnCheckBadEncoding;
    const uint8_t e = p[t->header++];
    if (e < 254) {
      if (e < 5) return AsnCheckBadEncoding;
      t->length = e;
    } else if (e == 254) {
      if (n < t->header + 2) return AsnCheckBadEncoding;
      t->length = static_cast<uint32_t>(p[t->header]) << 8 | p[t->header + 1];
      t->header += 2;
      if (t->length < 254) return AsnCheckBadEncoding;
    } else {
      if (n < t->header + 4) return AsnCheckBadEncoding;
      t->length = static_cast<uint32_t>(p[t->header]) << 24 |
                  static_cast<uint32_t>(p[t->header + 1]) << 16 |
                  static_cast<uint32_t>(p[t->header + 2]) << 8 | p[t->header + 3];
      t->header += 4;
      if (t->length < 65536) return AsnCheckBadEncoding;
    }
  }
  if (t->length > n - t->header) return AsnCheckBadEncoding;
  return AsnCheckOk;
}

uint32_t BigEndian(const uint8_t* p, uint32_t n) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < n; ++i)
    v = v << 8 | p[i];
  return v;
}

bool HasZeroUnit(const uint8_t* text, uint32_t n, uint32_t unit) {
  for (uint32_t i = 0; i + unit <= n; i += unit) {
    bool zero = true;
    for (uint32_t k = 0; k < unit; ++k)
      zero = zero && text[i + k] == 0;
    if (zero) return true;
  }
  return false;
}

uint32_t CheckCharacterString(const AsnSchemaType& row, const uint8_t* value, uint32_t length) {
  if (length < 1) return AsnCheckBadEncoding;
  const uint32_t set = value[0];
  const auto* required = static_cast<const uint32_t*>(row.data);
  if (required != nullptr && set != *required) return AsnCheckWrongTag;
  if (set > 5) return AsnCheckCharset;
  const uint8_t* text = value + 1;
  uint32_t n = length - 1;
  uint32_t unit = 1;
  if (set == 1) {
    if (length < 3) return AsnCheckBadEncoding;
    text += 2;
    n -= 2;
  } else if (set == 3) {
    unit = 4;
  } else if (set == 4) {
    unit = 2;
  }
  if (n % unit != 0) return AsnCheckBadEncoding;
  const bool noZero = required != nullptr || (TagKind(row) & 0x03) == 1;
  if (noZero && HasZeroUnit(text, n, unit)) return AsnCheckOutOfRange;
  if (row.bound != 0 && n > row.bound) return AsnCheckOutOfRange;
  return AsnCheckOk;
}

uint32_t CheckBitString(const AsnSchemaType& row, const uint8_t* value, uint32_t length) {
  if (length < 1) return AsnCheckBadEncoding;
  const uint32_t unused = value[0];
  if (unused > 7) return AsnCheckBadEncoding;
  if (length - 1 > 10) return AsnCheckOutOfRange;
  if (length == 1 && unused != 0) return AsnCheckBadEncoding;
  const uint32_t bits = (length - 1) * 8 - unused;
  if (row.bound != 0) {
    const auto* minimum = static_cast<const uint32_t*>(row.data);
    if (minimum != nullptr ? bits < *minimum || bits > row.bound : bits != row.bound)
      return AsnCheckBadEncoding;
  }
  return AsnCheckOk;
}

// Validates and consumes one primitive element whose value has the given
// application tag (the row's own, or the element's for an any-primitive row).
uint32_t CheckPrimitive(AsnCheckReader* r, const AsnSchemaType& row, uint32_t tag, bool context) {
  CheckTag t;
  if (ReadTag(r, &t) != AsnCheckOk || t.opening || t.closing) return AsnCheckBadEncoding;
  if (t.context != context) return AsnCheckWrongTag;
  const uint8_t* value = r->cursor + t.header;
  const uint32_t length = t.length;
  const uint8_t variant = TagKind(row) & 0x03;
  uint32_t result = AsnCheckOk;
  switch (tag) {
    case 0:  // Null
      if (context ? length != 0 : r->cursor[0] != 0x00) result = AsnCheckBadEncoding;
      break;
    case 1:  // Boolean: 0 or 1 only (the tag reader holds the application form to it)
      if (!context) break;
      if (length != 1) {
        result = AsnCheckBadEncoding;
      } else if (value[0] > 1) {
        result = AsnCheckOutOfRange;
      }
      break;
    case 2: {  // Unsigned
      if (length == 0) return AsnCheckBadEncoding;
      if (length > 4 || (row.bound != 0 && length > row.bound)) return AsnCheckOutOfRange;
      const uint32_t v = BigEndian(value, length);
      const auto* range = static_cast<const uint32_t*>(row.data);
      if (range != nullptr && (v < range[0] || v > range[1])) return AsnCheckOutOfRange;
      if ((r->elementFlags & AsnElementSelector) != 0) {
        // All ones would read back as "no count expected"; any other count
        // too large to be met is a disagreement of counts.
        if (v == 0xFFFFFFFF) return AsnCheckOutOfRange;
        r->expectedCount = static_cast<int32_t>(v);
      }
      break;
    }
    case 3:  // Signed
      if (length == 0) return AsnCheckBadEncoding;
      if (length > 4) return AsnCheckOutOfRange;
      break;
    case 4:   // Real
    case 10:  // Date
    case 11:  // Time
      if (length != 4) result = AsnCheckBadEncoding;
      break;
    case 12:  // ObjectIdentifier
      if (length != 4) return AsnCheckBadEncoding;
      if (variant == 1 && ((value[0] << 2) | (value[1] >> 6)) != 8) return AsnCheckInconsistent;
      break;
    case 5:  // Double
      if (length != 8) result = AsnCheckBadEncoding;
      break;
    case 6:  // OctetString
      if (variant == 1 && length != 3) result = AsnCheckBadEncoding;
      if (variant == 2 && length > 7) result = AsnCheckOutOfRange;
      if (variant == 3 && length != 8) result = AsnCheckOutOfRange;
      break;
    case 7:
      result = CheckCharacterString(row, value, length);
      break;
    case 8:
      result = CheckBitString(row, value, length);
      break;
    case 9: {  // Enumerated
      if (length == 0) return AsnCheckBadEncoding;
      if (length > 4) return AsnCheckOutOfRange;
      const uint32_t v = BigEndian(value, length);
      if (row.bound != 0 && v >= row.bound) return AsnCheckEnumeration;
      if ((r->elementFlags & AsnElementSelector) != 0) {
        if (v == 2)
          r->conditions |= 2;
        else
          r->conditions &= ~2u;
      }
      break;
    }
    default:  // reserved application tags
      result = AsnCheckBadEncoding;
      break;
  }
  if (result == AsnCheckOk) Consume(r, t.header + length);
  return result;
}

// Any value up to the closing tag that ends it, which is left unconsumed.
uint32_t SkipConstructed(AsnCheckReader* r) {
  std::array<uint32_t, AsnCheckMaxDepth> open{};
  uint32_t depth = 0;
  for (;;) {
    if (r->remaining == 0) return AsnCheckMissing;
    CheckTag t;
    if (ReadTag(r, &t) != AsnCheckOk) return AsnCheckBadEncoding;
    if (t.closing) {
      if (depth == 0) return AsnCheckOk;
      if (open[--depth] != t.number) return AsnCheckBadEncoding;
    } else if (t.opening) {
      if (depth == AsnCheckMaxDepth) return AsnCheckTooDeep;
      open[depth++] = t.number;
    }
    Consume(r, t.header + t.length);
  }
}

int TagMismatch(const AsnCheckReader* r, const E& e);

// 0 when the next tag can start a value of the row, 1 when it cannot, -1
// when the row gives no tag to test.
int RowMismatch(const AsnCheckReader* r, uint32_t rowIndex, uint32_t depth) {
  if (depth > AsnCheckMaxDepth) return -1;
  const AsnSchemaType& row = AsnSchemaTable[rowIndex];
  const uint8_t first = r->cursor[0];
  switch (Kind(row)) {
    case AsnKindPrimitive:
      return (first & 0xF8) == (TagKind(row) & 0xF0) ? 0 : 1;
    case AsnKindAnyPrimitive:
      return (first & 0x08) == 0 ? 0 : 1;
    case AsnKindConstructed:
      break;
    default:
      return -1;
  }
  const E* elements = Elements(row);
  if (TagKind(row) == AsnConstructedChoice) {
    for (uint32_t i = 0; i < row.bound; ++i) {
      const E& alt = elements[i];
      const int m = alt.contextTag >= 0 ? TagMismatch(r, alt) : RowMismatch(r, alt.row, depth + 1);
      if (m != 1) return m;
    }
    return 1;
  }
  if (TagKind(row) == AsnConstructedSequence) {
    for (uint32_t i = 0; i < row.bound; ++i) {
      const E& e = elements[i];
      const int m = e.contextTag >= 0 ? TagMismatch(r, e) : RowMismatch(r, e.row, depth + 1);
      if (m != 1) return m;
      if ((e.flags & r->conditions & 0x03) == 0) return 1;
    }
    return 1;
  }
  return -1;
}

int TagMismatch(const AsnCheckReader* r, const E& e) {
  if (r->remaining == 0) return 1;
  const uint8_t first = r->cursor[0];
  if (e.contextTag >= 0) {
    const uint32_t tag = static_cast<uint32_t>(e.contextTag);
    if (tag < 15) return (first & 0xF8) == (tag << 4 | 0x08) ? 0 : 1;
    return (first & 0xF8) == 0xF8 && r->remaining >= 2 && r->cursor[1] == tag ? 0 : 1;
  }
  return RowMismatch(r, e.row, 0);
}

// TagMismatch without a call for the common elements: a context tag of
// one octet, or a primitive of the application tag.
inline int QuickMismatch(const AsnCheckReader* r, const E& e) {
  if (r->remaining == 0) return 1;
  const uint8_t first = r->cursor[0];
  if (e.contextTag >= 0 && e.contextTag < 15)
    return (first & 0xF8) == (static_cast<uint32_t>(e.contextTag) << 4 | 0x08) ? 0 : 1;
  if (e.contextTag < 0 && Kind(AsnSchemaTable[e.row]) == AsnKindPrimitive)
    return (first & 0xF8) == (TagKind(AsnSchemaTable[e.row]) & 0xF0) ? 0 : 1;
  return TagMismatch(r, e);
}

uint32_t CheckRoot(AsnCheckReader* r, uint32_t row);

bool AtTag(const AsnCheckReader* r, uint32_t tag, uint8_t low) {
  if (tag < 15) return r->remaining >= 1 && r->cursor[0] == (tag << 4 | low);
  return r->remaining >= 2 && r->cursor[0] == (0xF0 | low) && r->cursor[1] == tag;
}

uint32_t CheckSchemaElement(AsnCheckReader* r, const E& e) {
  r->elementFlags = e.flags;
  const bool sequenceOf = (e.flags & AsnElementSequenceOf) != 0;
  if (e.contextTag < 0)
    return sequenceOf ? AsnCheckSequenceOf(r, e.row) : AsnCheckElement(r, e.row);
  const AsnSchemaType& row = AsnSchemaTable[e.row];
  if (Kind(row) == AsnKindPrimitive && !sequenceOf)
    return CheckPrimitive(r, row, TagKind(row) >> 4, true);
  const uint32_t tag = static_cast<uint32_t>(e.contextTag);
  if (!AtTag(r, tag, 0x0E)) return AsnCheckBadEncoding;
  Consume(r, tag < 15 ? 1 : 2);
  const uint32_t result = sequenceOf ? AsnCheckSequenceOf(r, e.row) : AsnCheckElement(r, e.row);
  if (result != AsnCheckOk && result != AsnCheckInconsistent) return result;
  if (!AtTag(r, tag, 0x0F)) return AsnCheckBadEncoding;
  Consume(r, tag < 15 ? 1 : 2);
  return result;
}

// An element that is not there: allowed when optional under the current
// conditions; a list that a count announced must then have been announced empty.
uint32_t Absent(AsnCheckReader* r, const E& e) {
  if ((e.flags & r->conditions & 0x03) == 0) return AsnCheckMissing;
  if ((e.flags & AsnElementSequenceOf) != 0 && r->expectedCount != -1) {
    const bool agree = r->expectedCount == 0;
    r->expectedCount = -1;
    if (!agree) return AsnCheckInconsistent;
  }
  return AsnCheckOk;
}

uint32_t CheckSequence(AsnCheckReader* r, const AsnSchemaType& row) {
  const E* elements = Elements(row);
  for (uint32_t i = 0; i < row.bound; ++i) {
    const E& e = elements[i];
    if (r->remaining > 0 && !AtClosing(r)) {
      if ((r->cursor[0] & 0xF0) == 0xF0 &&
          (r->remaining < 2 || r->cursor[1] < 15 || r->cursor[1] == 255))
        return AsnCheckBadEncoding;
      const int m = QuickMismatch(r, e);
      if (m < 0) return AsnCheckBadEncoding;
      if (m == 0) {
        const uint32_t result = CheckSchemaElement(r, e);
        if (result != AsnCheckOk) return result;
        continue;
      }
      const uint32_t result = Absent(r, e);
      if (result != AsnCheckOk) return result;
      continue;
    }
    for (uint32_t k = i; k < row.bound; ++k) {
      const uint32_t result = Absent(r, elements[k]);
      if (result != AsnCheckOk) return result;
    }
    return AsnCheckOk;
  }
  return AsnCheckOk;
}

uint32_t CheckChoice(AsnCheckReader* r, const AsnSchemaType& row) {
  if (r->remaining == 0 || AtClosing(r)) return AsnCheckMissing;
  const E* elements = Elements(row);
  for (uint32_t i = 0; i < row.bound; ++i) {
    const int m = QuickMismatch(r, elements[i]);
    if (m < 0) return AsnCheckBadEncoding;
    if (m == 0) return CheckSchemaElement(r, elements[i]);
  }
  return AsnCheckWrongTag;
}

uint32_t CheckRoot(AsnCheckReader* r, uint32_t rowIndex) {
  const AsnSchemaType& row = AsnSchemaTable[rowIndex];
  switch (TagKind(row)) {
    case AsnConstructedSequence:
    case AsnConstructedChoice: {
      if (r->depth >= AsnCheckMaxDepth) return AsnCheckTooDeep;
      ++r->depth;
      const uint32_t result =
          TagKind(row) == AsnConstructedSequence ? CheckSequence(r, row) : CheckChoice(r, row);
      --r->depth;
      return result;
    }
    case AsnConstructedRest:
      // Leaves the last octet for the closing tag that encloses the rest.
      if (r->remaining > 1) Consume(r, r->remaining - 1);
      return AsnCheckOk;
    default:
      return AsnCheckUnsupported;
  }
}

constexpr std::array<uint16_t, 30> kConfirmedRoots = {
    169, 170, 171, 173, 174, 176, 183, 187, 188, 188, 190, 191, 192, 195, 196,
    197, 198, 205, 206, 208, 209, 0,   0,   0,   0,   0,   204, 179, 177, 178};
constexpr std::array<uint16_t, 10> kUnconfirmedRoots = {210, 211, 170, 171, 206,
                                                        208, 212, 215, 216, 212};
constexpr std::array<uint16_t, 30> kComplexAckRoots = {
    0, 0, 0, 217, 219, 0, 228, 229, 0, 0, 230, 0,   231, 232, 233,
    0, 0, 0, 235, 0,   0, 0,   0,   0, 0, 0,   234, 0,   0,   224};
constexpr std::array<uint16_t, 30> kErrorRoots = {79,  79, 79, 79, 79, 79, 79,  79, 236, 236,
                                                  237, 79, 79, 79, 79, 79, 238, 79, 239, 79,
                                                  79,  79, 0,  0,  79, 79, 79,  79, 79,  79};

constexpr std::array<uint32_t, 11> kServerResults = {0,          0x60000004, 0x60000003, 0x60000005,
                                                     0x60000009, 0x80050029, 0x60000006, 0x60000008,
                                                     0x80050007, 0x60000001, 5};

template <std::size_t N>
uint16_t RootOf(const std::array<uint16_t, N>& roots, uint32_t service) {
  return service < N ? roots[service] : 0;
}

// Checks the whole of a PDU's parameters against a root row; octets left
// over after an acceptable walk are reported through `leftOver`.
uint32_t CheckParameters(uint16_t root, const uint8_t* data, uint32_t length, bool* leftOver) {
  *leftOver = false;
  if (data == nullptr && length != 0) return AsnCheckBadEncoding;
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, data, length);
  const uint32_t result = CheckRoot(&reader, root);
  *leftOver = result == AsnCheckOk && reader.remaining != 0;
  return result;
}

}  // namespace

void AsnCheckReaderInit(AsnCheckReader* reader, const uint8_t* data, uint32_t length) {
  reader->expectedCount = -1;
  reader->conditions = 1;
  reader->elementFlags = 0;
  reader->cursor = data;
  reader->remaining = data == nullptr ? 0 : length;
  reader->depth = 0;
}

uint32_t AsnCheckElement(AsnCheckReader* r, uint32_t rowIndex) {
  if (rowIndex >= AsnSchemaRowCount) return AsnCheckUnsupported;
  const AsnSchemaType& row = AsnSchemaTable[rowIndex];
  switch (Kind(row)) {
    case AsnKindPrimitive:
      if (r->remaining == 0) return AsnCheckMissing;
      if ((r->cursor[0] & 0xF8) != (TagKind(row) & 0xF0)) return AsnCheckWrongTag;
      return CheckPrimitive(r, row, TagKind(row) >> 4, false);
    case AsnKindAnyPrimitive: {
      if (r->remaining == 0 || AtClosing(r)) return AsnCheckMissing;
      if ((r->cursor[0] & 0x08) != 0) return AsnCheckWrongTag;
      CheckTag t;
      if (ReadTag(r, &t) != AsnCheckOk) return AsnCheckBadEncoding;
      return CheckPrimitive(r, row, t.number, false);
    }
    case AsnKindAnyValue:
      return SkipConstructed(r);
    default:
      return CheckRoot(r, rowIndex);
  }
}

uint32_t AsnCheckSequenceOf(AsnCheckReader* r, uint32_t rowIndex) {
  const uint8_t flags = r->elementFlags;
  const int32_t expected = r->expectedCount;
  r->expectedCount = -1;
  uint32_t count = 0;
  while (r->remaining > 0 && !AtClosing(r)) {
    const uint32_t before = r->remaining;
    const uint32_t result = AsnCheckElement(r, rowIndex);
    if (result != AsnCheckOk) return result;
    // An element that takes no octet cannot account for the next one.
    if (r->remaining == before) return AsnCheckWrongTag;
    ++count;
  }
  if (count == 0 && (flags & AsnElementNotEmpty) != 0) return AsnCheckMissing;
  if (expected != -1 && count != static_cast<uint32_t>(expected)) return AsnCheckInconsistent;
  return AsnCheckOk;
}

uint32_t AsnCheckType(AsnCheckReader* r, uint32_t row, int32_t arrayIndex) {
  if (arrayIndex == -1) return AsnCheckSequenceOf(r, row);
  if (arrayIndex == 0) return AsnCheckElement(r, AsnRowUnsigned);
  return AsnCheckElement(r, row);
}

uint16_t AsnCheckConfirmedRoot(uint32_t service) { return RootOf(kConfirmedRoots, service); }
uint16_t AsnCheckUnconfirmedRoot(uint32_t service) { return RootOf(kUnconfirmedRoots, service); }
uint16_t AsnCheckComplexAckRoot(uint32_t service) { return RootOf(kComplexAckRoots, service); }
uint16_t AsnCheckErrorRoot(uint32_t service) {
  return service == 127 ? AsnRowError : RootOf(kErrorRoots, service);
}

uint32_t AsnCheckServerResult(uint32_t checkResult) {
  return checkResult < kServerResults.size() ? kServerResults[checkResult]
                                             : kServerResults[AsnCheckBadEncoding];
}

uint32_t AsnCheckConfirmedRequest(uint32_t service, const uint8_t* data, uint32_t length) {
  const uint16_t root = AsnCheckConfirmedRoot(service);
  if (root == 0) return AsnCheckServerResult(AsnCheckUnknownService);
  bool leftOver;
  const uint32_t result = CheckParameters(root, data, length, &leftOver);
  if (leftOver) return 0x60000007;
  return AsnCheckServerResult(result);
}

bool AsnCheckUnconfirmedRequest(uint32_t service, const uint8_t* data, uint32_t length) {
  const uint16_t root = AsnCheckUnconfirmedRoot(service);
  if (root == 0) return false;
  bool leftOver;
  return CheckParameters(root, data, length, &leftOver) == AsnCheckOk && !leftOver;
}

uint32_t AsnCheckComplexAck(uint32_t service, const uint8_t* data, uint32_t length) {
  const uint16_t root = AsnCheckComplexAckRoot(service);
  if (root == 0) return length == 0 ? ASN_OK : ASN_BAD_PDU;
  bool leftOver;
  const uint32_t result = CheckParameters(root, data, length, &leftOver);
  if (result == AsnCheckTooDeep) return ASN_TOO_DEEP;
  return result == AsnCheckOk && !leftOver ? ASN_OK : ASN_BAD_PDU;
}

bool AsnCheckErrorPdu(uint32_t service, const uint8_t* data, uint32_t length) {
  const uint16_t root = AsnCheckErrorRoot(service);
  if (root == 0) return false;
  bool leftOver;
  return CheckParameters(root, data, length, &leftOver) == AsnCheckOk && !leftOver;
}
