#include "runtime/ioctl/tag_stream.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxIntegerBytes = 0x7FFFFFFF;
constexpr uint8_t kExtendedNumber = 0xF0;
constexpr uint8_t kLengthFollows = 5;
constexpr uint8_t kLength16 = 254;
constexpr uint8_t kLength32 = 255;

bool Write(TagStreamWriter* sink, const uint8_t* bytes, uint32_t count) {
  return sink && sink->write && sink->write(sink, bytes, count);
}

// Tags whose length bits are part of the tag value.
bool CarriesLowBits(uint16_t tag) { return (tag & 0xFFF8) == TAG_FALSE || (tag & 0x0E) == 0x0E; }

bool IsWholeTag(uint16_t tag) { return tag == TAG_NULL || CarriesLowBits(tag); }

bool BufferWrite(TagStreamWriter* writer, const uint8_t* bytes, uint32_t count) {
  auto* sink = reinterpret_cast<TagStreamBufferSink*>(writer);
  if (count > sink->capacity - sink->length) return false;
  if (count) std::memcpy(sink->data + sink->length, bytes, count);
  sink->length += count;
  return true;
}

// Takes count bytes at the cursor, or none when fewer remain.
const uint8_t* Take(TagCursor* c, uint32_t count) {
  if (count > c->remaining) return nullptr;
  const uint8_t* at = c->next;
  c->next += count;
  c->remaining -= count;
  return at;
}

void PackLittleEndian(uint32_t value, uint8_t out[4]) {
  for (int i = 0; i < 4; ++i)
    out[i] = uint8_t(value >> (8 * i));
}

uint32_t UnpackLittleEndian(const uint8_t in[4]) {
  return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

uint32_t BigEndian(const uint8_t* p, uint32_t n) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < n; ++i)
    v = v << 8 | p[i];
  return v;
}

// The header and contents of a tagged string, or false with the cursor
// restored; `minimum` is the shortest contents allowed.
bool ReadContents(TagCursor* cursor, uint16_t tag, uint32_t minimum, uint32_t* length,
                  const uint8_t** contents) {
  const TagCursor start = *cursor;
  uint16_t got;
  uint32_t n;
  if (TagCursorReadHeader(cursor, &got, &n) && got == tag && n >= minimum) {
    if (const uint8_t* p = Take(cursor, n)) {
      *length = n;
      *contents = p;
      return true;
    }
  }
  *cursor = start;
  return false;
}

}  // namespace

bool TagStreamWriteByte(TagStreamWriter* sink, uint8_t byte) { return Write(sink, &byte, 1); }

bool TagStreamWriteHeader(TagStreamWriter* sink, uint16_t tag, uint32_t length) {
  const uint32_t number = tag >> 4;
  if (number > 254) return false;
  if (CarriesLowBits(tag)) length = 0;
  uint8_t octets[7];
  uint32_t n = 0;
  const uint8_t lvt = uint8_t(length < kLengthFollows ? length : kLengthFollows);
  if (number < 15) {
    octets[n++] = uint8_t(tag | lvt);
  } else {
    octets[n++] = uint8_t(tag | lvt | kExtendedNumber);
    octets[n++] = uint8_t(number);
  }
  if (length >= kLengthFollows) {
    if (length < kLength16) {
      octets[n++] = uint8_t(length);
    } else if (length <= 0xFFFF) {
      octets[n++] = kLength16;
      octets[n++] = uint8_t(length >> 8);
      octets[n++] = uint8_t(length);
    } else {
      octets[n++] = kLength32;
      for (int shift = 24; shift >= 0; shift -= 8)
        octets[n++] = uint8_t(length >> shift);
    }
  }
  return Write(sink, octets, n);
}

bool TagStreamWriteInteger(TagStreamWriter* sink, uint32_t n, const uint8_t* value, uint16_t tag,
                           bool isSigned) {
  if (n < 1 || n > kMaxIntegerBytes || !value) return false;
  const uint8_t pad = isSigned && (value[n - 1] & 0x80) ? 0xFF : 0x00;
  uint32_t kept = n;
  while (kept > 1 && value[kept - 1] == pad)
    --kept;
  if (isSigned && kept < n && (value[kept - 1] & 0x80) != (pad & 0x80)) ++kept;
  if (!TagStreamWriteHeader(sink, tag, kept)) return false;
  uint8_t chunk[32];
  for (uint32_t i = kept; i > 0;) {
    uint32_t m = 0;
    while (m < sizeof chunk && i > 0)
      chunk[m++] = value[--i];
    if (!Write(sink, chunk, m)) return false;
  }
  return true;
}

bool TagStreamWriteCharString(TagStreamWriter* sink, uint32_t length, const uint8_t* bytes) {
  if (length == 0xFFFFFFFFu || (length && !bytes)) return false;
  return TagStreamWriteHeader(sink, TAG_CHAR_STRING, length + 1) && TagStreamWriteByte(sink, 0) &&
         (length == 0 || Write(sink, bytes, length));
}

bool TagStreamWriteOctetString(TagStreamWriter* sink, uint32_t length, const uint8_t* bytes) {
  if (length && !bytes) return false;
  return TagStreamWriteHeader(sink, TAG_OCTET_STRING, length) &&
         (length == 0 || Write(sink, bytes, length));
}

bool TagStreamWriteBitString(TagStreamWriter* sink, uint32_t length, uint8_t unused,
                             const uint8_t* bytes) {
  if (length == 0xFFFFFFFFu || (length && !bytes)) return false;
  return TagStreamWriteHeader(sink, TAG_BIT_STRING, length + 1) &&
         TagStreamWriteByte(sink, unused) && (length == 0 || Write(sink, bytes, length));
}

void TagStreamBufferSinkInit(TagStreamBufferSink* sink, uint8_t* data, uint32_t capacity) {
  sink->writer.write = BufferWrite;
  sink->data = data;
  sink->capacity = data ? capacity : 0;
  sink->length = 0;
}

bool TagCursorReadByte(TagCursor* cursor, uint8_t* byte) {
  const uint8_t* p = Take(cursor, 1);
  if (!p) return false;
  *byte = *p;
  return true;
}

bool TagCursorReadHeader(TagCursor* cursor, uint16_t* tag, uint32_t* length) {
  const TagCursor start = *cursor;
  const uint8_t* p = Take(cursor, 1);
  if (!p) return false;
  uint16_t value = *p;
  if ((*p & 0xF0) == kExtendedNumber) {
    const uint8_t* number = Take(cursor, 1);
    if (!number || *number == 0xFF) {
      *cursor = start;
      return false;
    }
    value = uint16_t(*number << 4 | (*p & 0x0F));
  }
  if (IsWholeTag(value)) {
    *tag = value;
    *length = 0;
    return true;
  }
  const uint32_t lvt = value & 7;
  uint32_t n = lvt;
  if (lvt == kLengthFollows) {
    const uint8_t* e = Take(cursor, 1);
    const uint8_t* wide = nullptr;
    if (e && *e < kLength16) {
      n = *e;
    } else if (e && (wide = Take(cursor, *e == kLength16 ? 2 : 4))) {
      n = BigEndian(wide, *e == kLength16 ? 2 : 4);
    } else {
      *cursor = start;
      return false;
    }
  } else if (lvt > kLengthFollows) {
    // Length bits 6 and 7 mean opening and closing, which only a context
    // tag can be.
    *cursor = start;
    return false;
  }
  *tag = uint16_t(value & ~7);
  *length = n;
  return true;
}

bool TagCursorReadBoolean(TagCursor* cursor, uint8_t* value) {
  const TagCursor start = *cursor;
  uint16_t tag;
  uint32_t length;
  if (!TagCursorReadHeader(cursor, &tag, &length) || (tag & 0xFFF8) != TAG_FALSE || (tag & 6)) {
    *cursor = start;
    return false;
  }
  *value = uint8_t(tag & 1);
  return true;
}

bool TagCursorReadInteger(TagCursor* cursor, uint32_t n, uint8_t* value, uint16_t expected,
                          bool isSigned) {
  const TagCursor start = *cursor;
  uint16_t tag;
  uint32_t length;
  const uint8_t* p = nullptr;
  if (!value || !TagCursorReadHeader(cursor, &tag, &length) || tag != expected || length < 1 ||
      length > n || !(p = Take(cursor, length))) {
    *cursor = start;
    return false;
  }
  const uint8_t fill = isSigned && (p[0] & 0x80) ? 0xFF : 0x00;
  for (uint32_t i = n; i-- > length;)
    value[i] = fill;
  for (uint32_t i = 0; i < length; ++i)
    value[length - 1 - i] = p[i];
  return true;
}

bool TagCursorReadCharString(TagCursor* cursor, uint32_t* length, const uint8_t** text) {
  const TagCursor start = *cursor;
  uint32_t n;
  const uint8_t* p;
  if (!ReadContents(cursor, TAG_CHAR_STRING, 1, &n, &p)) return false;
  if (p[0] != 0) {
    *cursor = start;
    return false;
  }
  *length = n - 1;
  *text = p + 1;
  return true;
}

bool TagCursorReadOctetString(TagCursor* cursor, uint32_t* length, const uint8_t** bytes) {
  return ReadContents(cursor, TAG_OCTET_STRING, 0, length, bytes);
}

bool TagCursorReadBitString(TagCursor* cursor, uint32_t* length, uint8_t* unused,
                            const uint8_t** bytes) {
  uint32_t n;
  const uint8_t* p;
  if (!ReadContents(cursor, TAG_BIT_STRING, 1, &n, &p)) return false;
  *unused = p[0];
  *length = n - 1;
  *bytes = p + 1;
  return true;
}

bool TagStreamWriteU32(TagStreamWriter* sink, uint16_t tag, uint32_t value) {
  uint8_t le[4];
  PackLittleEndian(value, le);
  return TagStreamWriteInteger(sink, 4, le, tag, false);
}

bool TagStreamWriteS32(TagStreamWriter* sink, uint16_t tag, int32_t value) {
  uint8_t le[4];
  PackLittleEndian(uint32_t(value), le);
  return TagStreamWriteInteger(sink, 4, le, tag, true);
}

bool TagCursorReadU32(TagCursor* cursor, uint16_t tag, uint32_t* value) {
  uint8_t le[4];
  if (!TagCursorReadInteger(cursor, 4, le, tag, false)) return false;
  *value = UnpackLittleEndian(le);
  return true;
}

bool TagCursorReadS32(TagCursor* cursor, uint16_t tag, int32_t* value) {
  uint8_t le[4];
  if (!TagCursorReadInteger(cursor, 4, le, tag, true)) return false;
  *value = int32_t(UnpackLittleEndian(le));
  return true;
}
