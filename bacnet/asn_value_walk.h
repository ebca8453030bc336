// What one decode learns of its octets while it measures them, kept so that
// decoding them walks nothing measuring walked: a list's count and decoded
// size, and for each property value inside it the datatype it was typed
// with, its count and its exact decoded size. A syntax check may also note
// the octets it accepted as a list of one schema row's values, whose
// extents then come from the cheap decoder walk instead of a check; the
// check of a ReadPropertyMultiple acknowledgement measures its values into
// the walk itself (bacnet/asn_read_multi_scan.h).
//
// A walk holds for the octets it was made over, unchanged; it is a fixed
// record on the caller's stack, filled without allocating. A value that
// finds no slot left is measured again when decoded, with the same result.
#pragma once

#include <cstdint>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_value_decode.h"

inline constexpr uint32_t ASN_WALK_SLOTS = 256;
// Slots filled at most, so that a search for a value always meets an
// empty slot soon.
inline constexpr uint32_t ASN_WALK_VALUES = ASN_WALK_SLOTS / 4 * 3;

// One property value as measured, by where its octets lie and how it was
// looked at.
struct AsnWalkValue {
  const uint8_t* data;
  AsnPropertyChecker check;
  uint32_t length;
  uint32_t objectType;
  uint32_t property;
  int32_t arrayIndex;
  int32_t outcome;  // ASN_TYPED_BY_SCHEMA, ASN_TYPED_BY_TAGS or ASN_KEPT_RAW
  int32_t datatype;
  uint32_t count;        // the record's count (a list typed by its schema: counted)
  uint32_t decodeCount;  // what the list codec sets for a value typed by its schema
  uint32_t size;         // exact decoded size
};

struct AsnValueWalk {
  // Octets a syntax check accepted as a list of values of one schema row.
  const uint8_t* checked;
  uint32_t checkedLength;
  uint16_t checkedRow;
  // The list last measured.
  const uint8_t* list;
  uint32_t listLength;
  int32_t listCode;
  AsnMeasured listMeasured;
  // The element a record's decoded-size walk measured last, and its octets.
  const uint8_t* measuredAt;
  uint32_t measuredLength;
  uint32_t values;
  // The values an acknowledgement's check measured, in order: where each
  // one's enclosing opening tag lies and its contents' length, so that
  // walking the records again takes each value without stepping over it.
  uint32_t enclosed;
  uint32_t nextEnclosed;  // the next one a walk of the records meets
  int32_t takenSlot;      // the slot of the value last taken so, -1 none
  int32_t keptSlot;       // the slot the last value kept went to, -1 none
  int16_t enclosedSlot[ASN_WALK_VALUES];
  const uint8_t* enclosedAt[ASN_WALK_VALUES];
  uint32_t enclosedLength[ASN_WALK_VALUES];
  uint64_t occupied[ASN_WALK_SLOTS / 64];
  AsnWalkValue slots[ASN_WALK_SLOTS];
};

void AsnValueWalkInit(AsnValueWalk* walk);

// AsnCheckComplexAck, noting in the walk an acknowledgement it accepts whose
// service data is a list of one schema row's values; a ReadPropertyMultiple
// acknowledgement of the common form is measured into it as well.
uint32_t AsnCheckComplexAckWalk(uint32_t service, const uint8_t* data, uint32_t length,
                                AsnValueWalk* walk);

// The walk the list codec measures and decodes with on this thread, null
// outside one. A scope makes a walk the current one unless one already is,
// so that nested values share the outermost walk.
AsnValueWalk* AsnCurrentWalk();
class AsnWalkScope {
 public:
  explicit AsnWalkScope(AsnValueWalk* walk);
  ~AsnWalkScope();
  AsnWalkScope(const AsnWalkScope&) = delete;
  AsnWalkScope& operator=(const AsnWalkScope&) = delete;

 private:
  AsnValueWalk* previous_;
};

// The measured value with this key (data, check, length, object type,
// property, array index taken from key), or null.
const AsnWalkValue* AsnWalkFind(const AsnValueWalk* walk, const AsnWalkValue& key);
// Keeps a measured value; nothing when the walk is full. The slot it is
// kept in, or -1.
int32_t AsnWalkKeep(AsnValueWalk* walk, const AsnWalkValue& value);

// The number of records of `size` bytes in a list starting at `at`, as
// measuring counted them in the current walk; nothing outside one or when
// it is full. Kept apart from the values by their null check.
void AsnWalkKeepItems(const uint8_t* at, uint32_t size, uint32_t count);
bool AsnWalkFindItems(const uint8_t* at, uint32_t size, uint32_t* count);
// Notes in the current walk the octets a record's decoded-size walk took.
void AsnWalkNoteMeasured(const uint8_t* element, uint32_t length);

// Notes the value enclosed by the opening tag at `at` with contents of
// `length` octets, as the check stepped over it, and the slot it was kept
// in (-1 none); nothing when full.
void AsnWalkNoteEnclosed(AsnValueWalk* walk, const uint8_t* at, uint32_t length, int32_t slot);
// The contents of the value enclosed by the one-octet opening tag at `at`
// when it is the next one noted in the current walk, lying before end.
bool AsnWalkTakeEnclosed(const uint8_t* at, const uint8_t* end, const uint8_t** contents,
                         uint32_t* length);
// Walks of the records start again from the first value noted.
inline void AsnWalkRewind(AsnValueWalk* walk) { walk->nextEnclosed = 0; }

// True when the walk notes data as checked octets of a list of the row's
// values.
bool AsnWalkChecked(const AsnValueWalk* walk, const AsnDatatype* row, const uint8_t* data,
                    uint32_t length);
