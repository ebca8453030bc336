#include "bacnet/asn_value_walk.h"

#include <cstring>

#include "bacnet/asn_check.h"
#include "bacnet/asn_read_multi_scan.h"
#include "bacnet/asn_schema.h"

namespace {

thread_local AsnValueWalk* tCurrent = nullptr;

constexpr uint32_t kReadPropertyMultiple = 14;

constexpr uint32_t kSlotMask = ASN_WALK_SLOTS - 1;
static_assert((ASN_WALK_SLOTS & kSlotMask) == 0, "the slots are a power of two");

// Values of one list lie a few octets apart, so the octets' address spreads them.
uint32_t SlotOf(const uint8_t* data) {
  const auto a = reinterpret_cast<uintptr_t>(data);
  return uint32_t((a ^ (a >> 8)) * 0x9E3779B1u >> 8) & kSlotMask;
}

bool Occupied(const AsnValueWalk* walk, uint32_t slot) {
  return (walk->occupied[slot / 64] >> (slot % 64)) & 1;
}

bool SameKey(const AsnWalkValue& a, const AsnWalkValue& b) {
  return a.data == b.data && a.check == b.check && a.length == b.length &&
         a.objectType == b.objectType && a.property == b.property && a.arrayIndex == b.arrayIndex;
}

int32_t Keep(AsnValueWalk* walk, const AsnWalkValue& value) {
  if (walk->values >= ASN_WALK_VALUES) return -1;
  uint32_t slot = SlotOf(value.data);
  for (; Occupied(walk, slot); slot = (slot + 1) & kSlotMask)
    if (SameKey(walk->slots[slot], value)) return int32_t(slot);
  walk->slots[slot] = value;
  walk->occupied[slot / 64] |= uint64_t{1} << (slot % 64);
  ++walk->values;
  return int32_t(slot);
}

// The row whose values a list wrapper root holds directly, without tags of
// their own around the list; 0 for any other root.
uint16_t ListRow(uint16_t root) {
  const AsnSchemaType* row = &AsnSchemaTable[root];
  if (!AsnSchemaSeqOfElement(row)) return 0;
  const auto* e = static_cast<const AsnSchemaElement*>(row->data);
  return e->contextTag < 0 ? e->row : uint16_t{0};
}

}  // namespace

void AsnValueWalkInit(AsnValueWalk* walk) {
  walk->checked = nullptr;
  walk->checkedLength = 0;
  walk->checkedRow = 0;
  walk->list = nullptr;
  walk->listLength = 0;
  walk->listCode = ASN_TYPE_NONE;
  walk->listMeasured = {0, 0};
  walk->measuredAt = nullptr;
  walk->measuredLength = 0;
  walk->values = 0;
  walk->enclosed = 0;
  walk->nextEnclosed = 0;
  walk->takenSlot = -1;
  walk->keptSlot = -1;
  std::memset(walk->occupied, 0, sizeof walk->occupied);
}

uint32_t AsnCheckComplexAckWalk(uint32_t service, const uint8_t* data, uint32_t length,
                                AsnValueWalk* walk) {
  if (service == kReadPropertyMultiple && AsnScanReadMultiAck(data, length, walk)) return 0;
  const uint32_t result = AsnCheckComplexAck(service, data, length);
  const uint16_t root = AsnCheckComplexAckRoot(service);
  if (result == 0 && root != 0 && length != 0) {
    walk->checked = data;
    walk->checkedLength = length;
    walk->checkedRow = ListRow(root);
  }
  return result;
}

AsnValueWalk* AsnCurrentWalk() { return tCurrent; }

AsnWalkScope::AsnWalkScope(AsnValueWalk* walk) : previous_(tCurrent) {
  if (!tCurrent) tCurrent = walk;
}

AsnWalkScope::~AsnWalkScope() { tCurrent = previous_; }

const AsnWalkValue* AsnWalkFind(const AsnValueWalk* walk, const AsnWalkValue& key) {
  // Decoding asks for the value whose octets it was just given first.
  if (walk->takenSlot >= 0 && SameKey(walk->slots[walk->takenSlot], key))
    return &walk->slots[walk->takenSlot];
  for (uint32_t slot = SlotOf(key.data);; slot = (slot + 1) & kSlotMask) {
    if (!Occupied(walk, slot)) return nullptr;
    if (SameKey(walk->slots[slot], key)) return &walk->slots[slot];
  }
}

int32_t AsnWalkKeep(AsnValueWalk* walk, const AsnWalkValue& value) {
  walk->keptSlot = Keep(walk, value);
  return walk->keptSlot;
}

void AsnWalkKeepItems(const uint8_t* at, uint32_t size, uint32_t count) {
  if (!tCurrent) return;
  AsnWalkValue v{};
  v.data = at;
  v.length = size;
  v.count = count;
  AsnWalkKeep(tCurrent, v);
}

bool AsnWalkFindItems(const uint8_t* at, uint32_t size, uint32_t* count) {
  if (!tCurrent) return false;
  AsnWalkValue key{};
  key.data = at;
  key.length = size;
  const AsnWalkValue* v = AsnWalkFind(tCurrent, key);
  if (v) *count = v->count;
  return v != nullptr;
}

void AsnWalkNoteMeasured(const uint8_t* element, uint32_t length) {
  if (!tCurrent) return;
  tCurrent->measuredAt = element;
  tCurrent->measuredLength = length;
}

void AsnWalkNoteEnclosed(AsnValueWalk* walk, const uint8_t* at, uint32_t length, int32_t slot) {
  if (walk->enclosed >= ASN_WALK_VALUES) return;
  walk->enclosedAt[walk->enclosed] = at;
  walk->enclosedLength[walk->enclosed] = length;
  walk->enclosedSlot[walk->enclosed] = int16_t(slot);
  ++walk->enclosed;
}

bool AsnWalkTakeEnclosed(const uint8_t* at, const uint8_t* end, const uint8_t** contents,
                         uint32_t* length) {
  AsnValueWalk* walk = tCurrent;
  if (!walk || walk->nextEnclosed >= walk->enclosed) return false;
  const uint32_t i = walk->nextEnclosed;
  if (walk->enclosedAt[i] != at || uint64_t(end - at) < uint64_t(walk->enclosedLength[i]) + 2)
    return false;
  *contents = at + 1;
  *length = walk->enclosedLength[i];
  walk->takenSlot = walk->enclosedSlot[i];
  ++walk->nextEnclosed;
  return true;
}

bool AsnWalkChecked(const AsnValueWalk* walk, const AsnDatatype* row, const uint8_t* data,
                    uint32_t length) {
  return walk && walk->checkedRow != 0 && walk->checked == data && walk->checkedLength == length &&
         AsnSchemaRowOfDatatype(row->code) == walk->checkedRow;
}
