#pragma once
// A small BACnet tag codec for ioctl bodies: writes through a byte sink,
// reads from a two-word cursor, and knows only the primitives ioctl
// parameters use. Encodings are BACnet's (tag octet, extended tag numbers and
// lengths, big-endian contents). Nothing is allocated; strings read are
// pointers into the caller's buffer.
//
// A tag value is the tag octet with its length bits clear: 0x20 unsigned,
// 0x30 signed, 0x60 octet string, 0x70 character string, 0x80 bit string,
// 0x90 enumerated, 0x08 context tag 0, 0x18 context tag 1. Tag numbers of 15
// and more are the number shifted left by 4 plus the class bit. Opening and
// closing tags and the application boolean keep their low bits (0x2E, 0x2F,
// 0x10 false, 0x11 true); an application null is 0.

#include <cstdint>

// ---- writing -------------------------------------------------------------

struct TagStreamWriter;
// True when every byte was taken.
using TagStreamWriteFn = bool (*)(TagStreamWriter* sink, const uint8_t* bytes, uint32_t count);
// The first member of every sink.
struct TagStreamWriter {
  TagStreamWriteFn write;
};

inline constexpr uint16_t TAG_NULL = 0x00;
inline constexpr uint16_t TAG_FALSE = 0x10;
inline constexpr uint16_t TAG_TRUE = 0x11;
inline constexpr uint16_t TAG_UNSIGNED = 0x20;
inline constexpr uint16_t TAG_SIGNED = 0x30;
inline constexpr uint16_t TAG_OCTET_STRING = 0x60;
inline constexpr uint16_t TAG_CHAR_STRING = 0x70;
inline constexpr uint16_t TAG_BIT_STRING = 0x80;
inline constexpr uint16_t TAG_ENUMERATED = 0x90;
inline constexpr uint16_t TAG_CLASS_CONTEXT = 0x08;
// Context tag n; opening and closing tag n.
constexpr uint16_t TagContext(uint32_t n) { return uint16_t(n << 4 | TAG_CLASS_CONTEXT); }
constexpr uint16_t TagOpening(uint32_t n) { return uint16_t(n << 4 | 0x0E); }
constexpr uint16_t TagClosing(uint32_t n) { return uint16_t(n << 4 | 0x0F); }

// Every writer returns false as soon as the sink refuses bytes, leaving what
// was already written.
bool TagStreamWriteByte(TagStreamWriter* sink, uint8_t byte);
// False for tag numbers above 254. Opening, closing and boolean tags are
// written with length 0.
bool TagStreamWriteHeader(TagStreamWriter* sink, uint16_t tag, uint32_t length);
// value: n bytes (1 to 2^31 - 1), least significant first. Writes the
// header and the shortest big-endian contents (two's complement when
// isSigned).
bool TagStreamWriteInteger(TagStreamWriter* sink, uint32_t n, const uint8_t* value, uint16_t tag,
                           bool isSigned);
// Character set 0 (ANSI X3.4); length not 0xFFFFFFFF.
bool TagStreamWriteCharString(TagStreamWriter* sink, uint32_t length, const uint8_t* bytes);
bool TagStreamWriteOctetString(TagStreamWriter* sink, uint32_t length, const uint8_t* bytes);
// length: the bit bytes (not 0xFFFFFFFF); unused: bits of the last one.
bool TagStreamWriteBitString(TagStreamWriter* sink, uint32_t length, uint8_t unused,
                             const uint8_t* bytes);

// A sink over a fixed buffer; refuses what does not fit, taking none of it.
struct TagStreamBufferSink {
  TagStreamWriter writer;
  uint8_t* data;
  uint32_t capacity;
  uint32_t length;  // bytes written
};
void TagStreamBufferSinkInit(TagStreamBufferSink* sink, uint8_t* data, uint32_t capacity);

// ---- reading -------------------------------------------------------------

// Every read advances both words; a read that fails leaves the cursor
// exactly where it was.
struct TagCursor {
  const uint8_t* next;
  uint32_t remaining;
};

bool TagCursorReadByte(TagCursor* cursor, uint8_t* byte);
// Opening, closing, boolean and null tags come back whole with length 0;
// other tag values with their length bits clear.
bool TagCursorReadHeader(TagCursor* cursor, uint16_t* tag, uint32_t* length);
// An application boolean: 0 or 1.
bool TagCursorReadBoolean(TagCursor* cursor, uint8_t* value);
// A value of tag `expected` with 1 to n content octets into n bytes, least
// significant first, sign-extended when isSigned.
bool TagCursorReadInteger(TagCursor* cursor, uint32_t n, uint8_t* value, uint16_t expected,
                          bool isSigned);
// Character set 0 only; the text is not terminated.
bool TagCursorReadCharString(TagCursor* cursor, uint32_t* length, const uint8_t** text);
bool TagCursorReadOctetString(TagCursor* cursor, uint32_t* length, const uint8_t** bytes);
bool TagCursorReadBitString(TagCursor* cursor, uint32_t* length, uint8_t* unused,
                            const uint8_t** bytes);

// 32-bit values as the integer routines take them.
bool TagStreamWriteU32(TagStreamWriter* sink, uint16_t tag, uint32_t value);
bool TagStreamWriteS32(TagStreamWriter* sink, uint16_t tag, int32_t value);
bool TagCursorReadU32(TagCursor* cursor, uint16_t tag, uint32_t* value);
bool TagCursorReadS32(TagCursor* cursor, uint16_t tag, int32_t* value);
