// The value writer: array, list or single-element style from the
// property's metadata, then the elements through the datatype's row.
#include "bacnet/asn_datatype.h"
#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_property.h"
#include "bacnet/bacnet_enums.h"
#include "text/value_format.h"
#include "text/value_text.h"

namespace {

// Style flags, as the kind bits of the property datatype query.
constexpr int32_t kArray = 1;
constexpr int32_t kList = 2;
constexpr int32_t kStyle = kArray | kList;

// Values nest in records, and a record built by hand may hold itself: at a
// depth that no BACnet value reaches the text fails instead of the stack
// running out. Counted per thread, and back at 0 once a text is written.
constexpr int kMostNestedValues = 32;
thread_local int tNestedValues = 0;

struct NestedValue {
  NestedValue() { ++tNestedValues; }
  ~NestedValue() { --tNestedValues; }
  NestedValue(const NestedValue&) = delete;
  NestedValue& operator=(const NestedValue&) = delete;
  bool TooDeep() const { return tNestedValues > kMostNestedValues; }
};

// The text datatypes hold character strings: they match a property whose
// datatype is CharacterString.
int32_t ComparableCode(int32_t code) {
  return code >= ASN_TYPE_TEXT_ANSI && code <= ASN_TYPE_TEXT_ISO8859 ? ASN_TYPE_CHAR_STRING : code;
}

// A value whose elements the record cannot hold is not read at all: no data
// (what a read leaves with neither buffer nor allocator), elements beyond the
// capacity, or a packed text without its terminator.
bool ElementsReadable(const VelmoraAnyValue* value) {
  if (value->count == 0 || value->type == ASN_TYPE_NULL) return true;
  return value->buffer && AsnValueBufferSize(value) != 0;
}

int32_t StyleFlags(const VelmoraAnyValue* value, uint32_t objectType, uint32_t property,
                   int32_t arrayIndex) {
  int32_t kind = 0;
  int32_t expected = AsnPropertyQuery(objectType, property, &kind);
  int32_t code = ComparableCode(value->type);
  int32_t flags = kind & kStyle;
  if (expected == ASN_TYPE_NONE && value->count == 1) {
    int32_t anyFlags = 0;
    return PropertyTypeForAnyObject(property, &anyFlags) == code ? anyFlags : 0;
  }
  if (expected != code) return value->count != 1 ? kArray : 0;
  if (arrayIndex != -1) return (flags & ~kArray) | (value->count != 1 ? kList : 0);
  return flags == 0 && value->count != 1 ? kArray : flags;
}

}  // namespace

int32_t PropertyTypeForAnyObject(uint32_t property, int32_t* flags) {
  int32_t datatype = ASN_TYPE_NONE;
  int32_t style = 0;
  for (uint32_t type = 0; type <= BACNET_OBJ_LAST_STANDARD; ++type) {
    int32_t kind = 0;
    int32_t d = AsnPropertyQuery(type, property, &kind);
    if (d == ASN_TYPE_NONE) continue;
    if (datatype == ASN_TYPE_NONE) {
      datatype = d;
      style = kind & kStyle;
    } else if (d != datatype || (kind & kStyle) != style) {
      return ASN_TYPE_NONE;
    }
  }
  if (datatype != ASN_TYPE_NONE && flags) *flags = style;
  return datatype;
}

uint32_t VelmoraValueToStringEx(char* destination, uint32_t room, const VelmoraAnyValue* value,
                                uint32_t objectType, uint32_t property, int32_t arrayIndex,
                                uint8_t showNumbers) {
  if (!value) return 0;
  NestedValue nesting;
  if (nesting.TooDeep()) return 0;
  const ValueFormatDescriptor* d = ValueFormatDescriptorOf(value->type);
  if (!d || !ElementsReadable(value)) return 0;
  int32_t flags = StyleFlags(value, objectType, property, arrayIndex);
  ValueElement elements{value->buffer, value->capacity,
                        ValueFormatSelectEnum(d, objectType, property), showNumbers};
  if (flags & kArray) return FormatArray(destination, room, d, elements, value->count);
  if (flags & kList) return FormatList(destination, room, d, elements, value->count);
  uint32_t size = 0;
  return ValueFormatElement(destination, room, d, &elements, &size);
}

uint32_t VelmoraValueToString(char* destination, uint32_t room, const VelmoraAnyValue* value,
                              uint32_t objectType, uint32_t property, uint8_t showNumbers) {
  return VelmoraValueToStringEx(destination, room, value, objectType, property, -1, showNumbers);
}
