// The pieces the record writers are made of, each appended to a TextBuffer
// and failing it when it does not fit. For the writers' own sources.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "text/enum_names.h"
#include "text/text_buffer.h"
#include "text/value_format.h"
#include "text/value_text.h"

inline void PutUnsigned(TextBuffer* b, uint32_t value) {
  TextBufferPrintf(b, TEXT_WIDEST_UNSIGNED, "%u", value);
}

inline void PutSigned(TextBuffer* b, int32_t value) {
  TextBufferPrintf(b, TEXT_WIDEST_SIGNED, "%d", value);
}

inline void PutReal(TextBuffer* b, double value) { TextBufferWrite(b, VelmoraRealToString, value); }

inline void PutFlag(TextBuffer* b, uint8_t value) { TextBufferPutChar(b, value ? 'T' : 'F'); }

inline void PutUnknown(TextBuffer* b) { TextBufferPutChar(b, '?'); }

// A CHOICE's number and the blank before its value.
inline void PutChoice(TextBuffer* b, uint32_t choice) {
  TextBufferPrintf(b, TEXT_WIDEST_INDEX, "[%d]", int32_t(choice));
  TextBufferPutChar(b, ' ');
}

inline void PutEnumValue(TextBuffer* b, uint32_t value, int32_t row, uint8_t showNumbers) {
  TextBufferWrite(b, VelmoraEnumToString, value, row, showNumbers);
}

// An element of a list of enumerated values; a missing list fails.
inline void PutEnumAt(TextBuffer* b, const uint32_t* value, int32_t row, uint8_t showNumbers) {
  if (value)
    PutEnumValue(b, *value, row, showNumbers);
  else
    b->failed = true;
}

inline void PutProperty(TextBuffer* b, uint32_t property, uint8_t showNumbers) {
  PutEnumValue(b, property, VELMORA_ENUM_PROPERTY, showNumbers);
}

// The property's name alone, without its number.
inline void PutPropertyName(TextBuffer* b, uint32_t property) {
  TextBufferPutText(b, VelmoraEnumValueName(VELMORA_ENUM_PROPERTY, property));
}

inline void PutBits(TextBuffer* b, const VelmoraBitString* bits, int32_t row, uint8_t showNumbers) {
  TextBufferWrite(b, VelmoraBitStringToString, bits, row, showNumbers);
}

// A value nested in a record; arrayIndex -1 when there is none.
inline void PutValue(TextBuffer* b, const VelmoraAnyValue* value, uint32_t objectType,
                     uint32_t property, int32_t arrayIndex, uint8_t showNumbers) {
  TextBufferWrite(b, VelmoraValueToStringEx, value, objectType, property, arrayIndex, showNumbers);
}

inline void PutAnyValue(TextBuffer* b, const VelmoraAnyValue* value, uint8_t showNumbers) {
  PutValue(b, value, VELMORA_ANY_OBJECT_TYPE, VELMORA_ANY_PROPERTY, -1, showNumbers);
}

// A value of a datatype code held at `value` (size bytes), written by the
// code's row of the element-writer table; "?" for a code without one.
inline void PutTypedValue(TextBuffer* b, int32_t code, const void* value, uint32_t size,
                          int32_t enumRow, uint8_t showNumbers) {
  const ValueFormatDescriptor* d = ValueFormatDescriptorOf(code);
  if (!d || d->kind == ValueFormatKind::Variable) {
    PutUnknown(b);
    return;
  }
  ValueElement element{value, size, enumRow, showNumbers};
  uint32_t elementSize = 0;
  TextBufferWrite(b, ValueFormatElement, d, &element, &elementSize);
}

// The same for a record that holds values of the known codes only: "?"
// for any other code.
inline void PutTyped(TextBuffer* b, std::span<const int32_t> known, uint32_t code,
                     const void* value, uint32_t size, int32_t enumRow, uint8_t showNumbers) {
  if (std::find(known.begin(), known.end(), int32_t(code)) == known.end())
    PutUnknown(b);
  else
    PutTypedValue(b, int32_t(code), value, size, enumRow, showNumbers);
}

// open, count elements written by put(index) separated by ",", close. The
// element writers fail on the null element a missing array gives, so a
// list the record cannot hold fails as a whole.
template <class Put>
void PutList(TextBuffer* b, char open, char close, uint32_t count, Put put) {
  TextBufferPutChar(b, open);
  TextBufferPutEach(b, count, put);
  TextBufferPutChar(b, close);
}
