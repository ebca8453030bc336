#include "bacnet/asn_read_multi_scan.h"

#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_tag.h"
#include "bacnet/asn_value_decode.h"
#include "bacnet/records_refs.h"

namespace {

constexpr uint8_t kObjectIdTag = 0x0C;  // [0], four octets
constexpr uint8_t kListOpen = 0x1E;     // [1]
constexpr uint8_t kListClose = 0x1F;
constexpr uint8_t kPropertyTag = 0x28;  // [2]
constexpr uint8_t kIndexTag = 0x38;     // [3]
constexpr uint8_t kValueOpen = 0x4E;    // [4]
constexpr uint8_t kValueClose = 0x4F;
constexpr uint8_t kErrorOpen = 0x5E;  // [5]
constexpr uint8_t kErrorClose = 0x5F;
constexpr uint32_t kPropertyLimit = 4194304;  // the property identifier's enumeration bound

struct Scan {
  const uint8_t* p;
  const uint8_t* end;
  uint32_t Room() const { return uint32_t(end - p); }
};

// A context primitive of the tag with one to four value octets in its tag
// octet, read as an unsigned; false for any other form.
bool TakeSmall(Scan* s, uint8_t tag, uint32_t* value) {
  if (s->p >= s->end || (s->p[0] & 0xF8) != tag) return false;
  const uint32_t n = s->p[0] & 0x07;
  if (n == 0 || n > 4 || n >= s->Room()) return false;
  *value = AsnUnpackUnsigned(n, s->p + 1);
  s->p += 1 + n;
  return true;
}

// Steps over the elements of a value up to the closing tag that ends it,
// which is left next: the short forms the checker reads alike here, any
// other through the checker's own step over a value.
bool SkipValue(Scan* s) {
  const uint8_t* q = s->p;
  while (q < s->end) {
    const uint8_t first = q[0];
    const uint32_t lvt = first & 0x07;
    const uint32_t room = uint32_t(s->end - q);
    uint32_t size = 0;
    if (first >= 0xF0 || lvt == 6) {
      break;
    } else if (lvt == 7) {
      if (!(first & 0x08)) break;
      s->p = q;
      return true;
    } else if (!(first & 0x08) && first < 0x20) {
      if (lvt > (first >> 4)) break;
      size = 1;  // an application Null or Boolean
    } else if (lvt < 5) {
      if (lvt >= room) break;
      size = 1 + lvt;
    } else {
      if (room < 2 || q[1] < 5 || q[1] >= 254 || q[1] > room - 2) break;
      size = 2 + q[1];
    }
    q += size;
  }
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, s->p, s->Room());
  if (AsnCheckElement(&reader, AsnRowAnyValue) != AsnCheckOk) return false;
  s->p = reader.cursor;
  return true;
}

// One read result of an object of the type; its value's decoded block to
// *size.
bool ScanResult(Scan* s, uint32_t objectType, bool measure, uint32_t* size) {
  uint32_t property = 0;
  if (!TakeSmall(s, kPropertyTag, &property) || property >= kPropertyLimit) return false;
  uint32_t index = VELMORA_NO_INDEX;
  if (s->p < s->end && (s->p[0] & 0xF8) == kIndexTag && !TakeSmall(s, kIndexTag, &index))
    return false;
  if (s->p >= s->end) return false;
  const uint8_t open = s->p[0];
  if (open != kValueOpen && open != kErrorOpen) return false;
  ++s->p;
  const uint8_t* contents = s->p;
  if (open == kValueOpen) {
    if (!SkipValue(s) || s->p >= s->end || s->p[0] != kValueClose) return false;
    if (measure) {
      AsnValueWalk* walk = AsnCurrentWalk();
      const auto length = uint32_t(s->p - contents);
      walk->keptSlot = -1;
      *size = AsnBlockSize(
          AsnDecodedSizeProperty(objectType, property, int32_t(index), contents, length));
      AsnWalkNoteEnclosed(walk, contents - 1, length, walk->keptSlot);
    }
  } else {
    AsnCheckReader reader;
    AsnCheckReaderInit(&reader, s->p, s->Room());
    if (AsnCheckElement(&reader, AsnRowError) != AsnCheckOk) return false;
    s->p = reader.cursor;
    if (s->p >= s->end || s->p[0] != kErrorClose) return false;
  }
  ++s->p;
  return true;
}

}  // namespace

bool AsnScanReadMultiAck(const uint8_t* data, uint32_t length, AsnValueWalk* walk) {
  if (!data || length == 0) return false;
  // Values are kept in the walk they are measured through, which a walk
  // already current would be instead.
  const bool measure = walk && (!AsnCurrentWalk() || AsnCurrentWalk() == walk);
  AsnWalkScope scope(measure ? walk : nullptr);
  Scan s = {data, data + length};
  AsnMeasured list = {0, 0};
  while (s.p < s.end) {
    if (s.Room() < 5 || s.p[0] != kObjectIdTag) return false;
    const uint32_t objectType = uint32_t(s.p[1]) << 2 | s.p[2] >> 6;
    s.p += 5;
    uint32_t size = uint32_t(sizeof(VelmoraReadAccessResult));
    if (s.p < s.end && s.p[0] == kListOpen) {
      const uint8_t* items = ++s.p;
      uint32_t results = 0;
      for (; s.p < s.end && s.p[0] != kListClose; ++results) {
        uint32_t value = 0;
        if (!ScanResult(&s, objectType, measure, &value)) return false;
        size += value;
      }
      if (s.p >= s.end) return false;
      ++s.p;
      size += AsnBlockSize(results * uint32_t(sizeof(VelmoraReadResult)));
      if (measure) AsnWalkKeepItems(items, uint32_t(sizeof(VelmoraReadResult)), results);
    }
    ++list.count;
    list.size += size;
  }
  if (measure) {
    walk->list = data;
    walk->listLength = length;
    walk->listCode = ASN_TYPE_READ_ACCESS_RESULT;
    walk->listMeasured = list;
  }
  return true;
}
