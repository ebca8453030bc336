// Deep copy of an any-value's elements into another record's own buffer.
#include <cstring>

#include "bacnet/any_value.h"
#include "bacnet/asn_datatype.h"

namespace {

// One variable part of an element: where its pointer lies in the element,
// the octets it points at, and the alignment its units need.
struct Part {
  const uint8_t* source;
  uint32_t bytes;  // copied from the source
  uint32_t zeros;  // terminator written behind them
  uint32_t align;
  uint32_t size() const { return bytes + zeros; }
};

uint32_t TextBytes(const uint8_t* text, uint32_t unit) {
  uint32_t n = 0;
  for (;; n += unit) {
    bool zero = true;
    for (uint32_t i = 0; i < unit; ++i)
      zero = zero && text[n + i] == 0;
    if (zero) return n;
  }
}

// The variable part of element i, or bytes 0 when it has none. False when
// the element is inconsistent.
bool VariablePart(int32_t type, const uint8_t* element, Part* part) {
  *part = {nullptr, 0, 0, 1};
  switch (type) {
    case 6: {
      VelmoraOctetString s;
      std::memcpy(&s, element, sizeof s);
      if (s.length != 0 && !s.data) return false;
      *part = {s.data, s.length, 0, 1};
      return true;
    }
    case 7: {
      VelmoraCharString s;
      std::memcpy(&s, element, sizeof s);
      if (!s.text) return s.length <= 0;
      uint32_t unit = s.charset == VELMORA_CHARSET_UCS4   ? 4
                      : s.charset == VELMORA_CHARSET_UCS2 ? 2
                                                          : 1;
      auto* text = reinterpret_cast<const uint8_t*>(s.text);
      uint32_t bytes = s.length >= 0 ? uint32_t(s.length) : TextBytes(text, unit);
      *part = {text, bytes, unit, unit};
      return true;
    }
    case 14: {
      VelmoraDbcsString s;
      std::memcpy(&s, element, sizeof s);
      if (!s.text) return true;
      auto* text = reinterpret_cast<const uint8_t*>(s.text);
      uint32_t bytes = TextBytes(text, 1);
      // A text ending in a lead octet carries a second zero.
      bool lead = bytes != 0 && (text[bytes - 1] & 0x80);
      *part = {text, bytes, lead ? 2u : 1u, 1};
      return true;
    }
    case -5:
    case -4:
    case -3: {
      VelmoraRawData r;
      std::memcpy(&r, element, sizeof r);
      if (r.length != 0 && !r.data) return false;
      *part = {r.data, r.length, 0, 1};
      return true;
    }
  }
  return true;
}

void Repoint(int32_t type, uint8_t* element, uint8_t* to, uint32_t bytes) {
  switch (type) {
    case 6: {
      VelmoraOctetString s;
      std::memcpy(&s, element, sizeof s);
      s.data = bytes ? to : nullptr;
      s.buffer_size = s.length;
      std::memcpy(element, &s, sizeof s);
      break;
    }
    case 7: {
      VelmoraCharString s;
      std::memcpy(&s, element, sizeof s);
      s.text = reinterpret_cast<const char*>(to);
      std::memcpy(element, &s, sizeof s);
      break;
    }
    case 14: {
      VelmoraDbcsString s;
      std::memcpy(&s, element, sizeof s);
      s.text = reinterpret_cast<const char*>(to);
      std::memcpy(element, &s, sizeof s);
      break;
    }
    default: {
      VelmoraRawData r;
      std::memcpy(&r, element, sizeof r);
      r.data = bytes ? to : nullptr;
      std::memcpy(element, &r, sizeof r);
      break;
    }
  }
}

// Constructed types whose records hold lists, texts or nested values: their
// layout is their own codec's business, so their copies are refused.
constexpr int32_t kPointerRecords[] = {27, 28, 29, 33, 39, 40, 41, 42, 43, 46, 50, 54, 55};

bool Relocatable(const AsnDatatype* row) {
  switch (row->code) {
    case 6:
    case 7:
    case 14:
    case -5:
    case -4:
    case -3:
      return true;
  }
  for (int32_t code : kPointerRecords)
    if (row->code == code) return false;
  return row->decodedSize == nullptr || row->size < 0;
}

bool Overlap(const void* a, uint32_t na, const void* b, uint32_t nb) {
  auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
  return x < y + nb && y < x + na;
}

}  // namespace

bool VelmoraAnyValueCopyData(VelmoraAnyValue* dst, const VelmoraAnyValue* src) {
  if (!dst || !src) return false;
  if (src->type == -1 || src->type == 0 || src->count == 0 || !src->buffer) {
    dst->type = src->type;
    dst->count = src->count;
    return true;
  }
  const AsnDatatype* row = AsnDatatypeFind(src->type);
  if (!row || !Relocatable(row)) return false;
  uint32_t fixed = AsnValueBufferSize(src);
  if (fixed == 0 && row->size != 0) return false;
  if (fixed > dst->capacity || (fixed != 0 && !dst->buffer)) return false;
  if (dst->buffer && Overlap(dst->buffer, dst->capacity, src->buffer, src->capacity)) return false;

  // First find room for every variable part below the end of dst, so a
  // refusal writes nothing.
  auto* base = static_cast<uint8_t*>(dst->buffer);
  const auto* from = static_cast<const uint8_t*>(src->buffer);
  bool parts = row->size > 0 && row->decodedSize != nullptr;
  parts = parts || src->type < -2;
  uintptr_t low = reinterpret_cast<uintptr_t>(base) + fixed;
  uintptr_t top = reinterpret_cast<uintptr_t>(base) + dst->capacity;
  if (parts) {
    for (uint32_t i = 0; i < src->count; ++i) {
      Part part;
      if (!VariablePart(src->type, from + size_t(i) * uint32_t(row->size), &part)) return false;
      if (part.size() > top - low) return false;
      top = (top - part.size()) & ~uintptr_t(part.align - 1);
      if (top < low) return false;
    }
  }

  if (fixed) std::memcpy(base, from, fixed);
  if (parts) {
    top = reinterpret_cast<uintptr_t>(base) + dst->capacity;
    for (uint32_t i = 0; i < src->count; ++i) {
      uint8_t* element = base + size_t(i) * uint32_t(row->size);
      Part part;
      VariablePart(src->type, element, &part);
      top = (top - part.size()) & ~uintptr_t(part.align - 1);
      auto* to = reinterpret_cast<uint8_t*>(top);
      if (part.bytes) std::memcpy(to, part.source, part.bytes);
      std::memset(to + part.bytes, 0, part.zeros);
      Repoint(src->type, element, to, part.size());
    }
  }
  dst->type = src->type;
  dst->count = src->count;
  return true;
}
