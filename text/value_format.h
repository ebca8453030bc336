// The value writer's table of element writers, one row per datatype code,
// and the writers of several elements of one row. A constructed datatype's
// writer plugs in as one row of the table in value_format.cpp, made by the
// adapters below from a writer of the contract in text/text_buffer.h.
#pragma once

#include <cstdint>
#include <cstring>

// One element to write: where it lies, the bytes of the value's buffer that
// remain from there (a packed text must end within them), and the writer's
// extras.
struct ValueElement {
  const void* data;
  uint32_t available;
  int32_t enum_row;
  uint8_t show_numbers;
};

// Writes one element under the writer contract; a variable-size element
// also reports the bytes it takes.
using ValueElementWriter = uint32_t (*)(char* destination, uint32_t room,
                                        const ValueElement* element, uint32_t* size);

// How a row's writer is called: which extras it takes, where the row of
// enumeration names comes from, and who knows the element's size.
enum class ValueFormatKind {
  Plain,      // (record)
  Numbered,   // (record, show numbers)
  EnumAware,  // (record, enumeration row, show numbers); the row from the property
  Variable,   // (packed element): the writer reports the element's size
};

struct ValueFormatDescriptor {
  ValueFormatKind kind;
  ValueElementWriter write;
  uint32_t element_size;  // bytes of one element; 0 for the variable kind
};

// The row of a datatype code; null for a code without a writer.
const ValueFormatDescriptor* ValueFormatDescriptorOf(int32_t datatype);

// Writes one element and reports how far the next one lies.
uint32_t ValueFormatElement(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                            const ValueElement* element, uint32_t* size);
// The row of enumeration names the descriptor's writer takes for a value
// of that property: VelmoraEnumForProperty for the enum-aware kind, else 41.
int32_t ValueFormatSelectEnum(const ValueFormatDescriptor* d, uint32_t objectType,
                              uint32_t property);
// count elements from elements.data, separated by ","; and the same in "{" "}".
uint32_t FormatElements(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                        ValueElement elements, uint32_t count);
uint32_t FormatArray(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                     ValueElement elements, uint32_t count);
uint32_t FormatList(char* destination, uint32_t room, const ValueFormatDescriptor* d,
                    ValueElement elements, uint32_t count);

// Datatype code shared by every object type 0-30 that knows the property,
// with the same array and list flags (to *flags); -1 when none knows it or
// two disagree.
int32_t PropertyTypeForAnyObject(uint32_t property, int32_t* flags);

// Element writer of the packed texts in one character set (the datatype
// codes 13 and 15 to 18).
template <uint8_t Charset>
uint32_t ValuePackedTextElement(char* destination, uint32_t room, const ValueElement* element,
                                uint32_t* size);

// Adapters from a writer of one record to a row of the table. The record is
// copied out first, as elements in a buffer need not be aligned for it.
template <class Record, uint32_t (*Writer)(char*, uint32_t, const Record*)>
uint32_t ValuePlainElement(char* destination, uint32_t room, const ValueElement* e, uint32_t*) {
  Record r;
  std::memcpy(&r, e->data, sizeof r);
  return Writer(destination, room, &r);
}
template <class Record, uint32_t (*Writer)(char*, uint32_t, const Record*, uint8_t)>
uint32_t ValueNumberedElement(char* destination, uint32_t room, const ValueElement* e, uint32_t*) {
  Record r;
  std::memcpy(&r, e->data, sizeof r);
  return Writer(destination, room, &r, e->show_numbers);
}
template <class Record, uint32_t (*Writer)(char*, uint32_t, const Record*, int32_t, uint8_t)>
uint32_t ValueEnumElement(char* destination, uint32_t room, const ValueElement* e, uint32_t*) {
  Record r;
  std::memcpy(&r, e->data, sizeof r);
  return Writer(destination, room, &r, e->enum_row, e->show_numbers);
}

template <class Record, auto Writer>
constexpr ValueFormatDescriptor ValuePlainRow() {
  return {ValueFormatKind::Plain, ValuePlainElement<Record, Writer>, sizeof(Record)};
}
template <class Record, auto Writer>
constexpr ValueFormatDescriptor ValueNumberedRow() {
  return {ValueFormatKind::Numbered, ValueNumberedElement<Record, Writer>, sizeof(Record)};
}
template <class Record, auto Writer>
constexpr ValueFormatDescriptor ValueEnumRow() {
  return {ValueFormatKind::EnumAware, ValueEnumElement<Record, Writer>, sizeof(Record)};
}
