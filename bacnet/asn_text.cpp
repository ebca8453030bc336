// CharacterString in its two in-memory forms: the VelmoraCharString record
// (any character set) and the six text datatypes (terminated text in one
// set). UCS-4 and UCS-2 units are host order in memory, big-endian on the
// wire; memory units are read and written with memcpy, as texts packed
// one after another need not be aligned.
#include <algorithm>
#include <climits>
#include <cstring>

#include "bacnet/asn_primitive.h"

namespace {

constexpr uint16_t kTagCharString = AsnApplicationTag(ASN_TAG_CHAR_STRING);

// Octets of one character unit (the terminator's size) by set; 0 unknown.
constexpr uint32_t kUnit[6] = {1, 1, 1, 4, 2, 1};

constexpr bool KnownSet(uint32_t charset) { return charset <= VELMORA_CHARSET_ISO8859; }

// Octets between the character-set octet and the text.
constexpr uint32_t Prefix(uint32_t charset) { return charset == VELMORA_CHARSET_DBCS ? 2 : 0; }

uint32_t HeaderLength(uint32_t value_length) {
  if (value_length <= 4) return 1;
  if (value_length <= 253) return 2;
  if (value_length <= 0xFFFF) return 4;
  return 6;
}

// Bytes before the first zero unit within [p, p + left), or -1.
int64_t FindTerminator(const uint8_t* p, uint64_t left, uint32_t unit) {
  static const uint8_t kZero[4] = {0, 0, 0, 0};
  if (unit == 1 && left == UINT64_MAX)
    return int64_t(std::strlen(reinterpret_cast<const char*>(p)));
  if (unit == 1) {
    if (left == 0) return -1;  // no text, perhaps not even a pointer to it
    const void* zero = std::memchr(p, 0, size_t(left));
    return zero ? static_cast<const uint8_t*>(zero) - p : -1;
  }
  for (uint64_t off = 0; off + unit <= left; off += unit)
    if (std::memcmp(p + off, kZero, unit) == 0) return int64_t(off);
  return -1;
}

// The same without a bound: for terminated text of a record.
uint64_t MeasureTerminated(const uint8_t* p, uint32_t unit) {
  return uint64_t(FindTerminator(p, UINT64_MAX, unit));
}

// Text octets in memory order to the wire (units to most significant first).
void PutText(uint8_t* out, const uint8_t* text, uint32_t length, uint32_t unit) {
  if (unit == 4) {
    for (uint32_t i = 0; i + 4 <= length; i += 4) {
      uint32_t u;
      std::memcpy(&u, text + i, 4);
      AsnPutU32(out + i, u);
    }
  } else if (unit == 2) {
    for (uint32_t i = 0; i + 2 <= length; i += 2) {
      uint16_t u;
      std::memcpy(&u, text + i, 2);
      AsnPutU16(out + i, u);
    }
  } else if (length) {
    std::memcpy(out, text, length);
  }
}

// Wire text to memory order; a trailing partial unit is zeroed so that the
// output always fills exactly length bytes.
void GetText(uint8_t* out, const uint8_t* wire, uint32_t length, uint32_t unit) {
  uint32_t whole = unit > 1 ? length / unit * unit : length;
  if (unit == 4) {
    for (uint32_t i = 0; i < whole; i += 4) {
      uint32_t u = AsnGetU32(wire + i);
      std::memcpy(out + i, &u, 4);
    }
  } else if (unit == 2) {
    for (uint32_t i = 0; i < whole; i += 2) {
      uint16_t u = AsnGetU16(wire + i);
      std::memcpy(out + i, &u, 2);
    }
  } else if (length) {
    std::memcpy(out, wire, length);
  }
  if (whole < length) std::memset(out + whole, 0, length - whole);
}

// Header, character-set octet, code page for DBCS, text.
int32_t EncodeText(AsnCursor* cursor, uint16_t tag, uint8_t charset, uint16_t code_page,
                   const uint8_t* text, uint64_t length) {
  uint64_t value_length = 1 + Prefix(charset) + length;
  if (value_length > UINT32_MAX) return ASN_BAD_BUFFER;
  int32_t status = AsnEncodeTagHeader(cursor, tag, uint32_t(value_length));
  if (status != ASN_OK) return status;
  uint8_t* p = cursor->current;
  *p++ = charset;
  if (charset == VELMORA_CHARSET_DBCS) {
    AsnPutU16(p, code_page);
    p += 2;
  }
  PutText(p, text, uint32_t(length), kUnit[charset]);
  cursor->current = p + length;
  return ASN_OK;
}

// A terminated text from a packed source; advanced past its terminator on
// success. A null cursor only measures.
int32_t EncodeSourceText(AsnTextSource* source, AsnCursor* cursor, uint16_t tag, uint8_t charset) {
  if (!source || (!source->data && source->left)) return ASN_BAD_BUFFER;
  uint32_t unit = kUnit[charset];
  int64_t length = FindTerminator(source->data, source->left, unit);
  if (length < 0) return ASN_BAD_BUFFER;
  if (cursor) {
    int32_t status = EncodeText(cursor, tag, charset, 0, source->data, uint64_t(length));
    if (status != ASN_OK) return status;
  }
  source->data += length + unit;
  source->left -= uint32_t(length) + unit;
  return ASN_OK;
}

int32_t EncodeDbcsRecord(const VelmoraDbcsString* s, AsnCursor* cursor, uint16_t tag) {
  if (!s || !s->text) return ASN_BAD_BUFFER;
  auto* text = reinterpret_cast<const uint8_t*>(s->text);
  return EncodeText(cursor, tag, VELMORA_CHARSET_DBCS, s->code_page, text,
                    MeasureTerminated(text, 1));
}

struct Element {
  const uint8_t* text;  // after the character set octet and code page
  uint32_t length;      // text octets
  uint8_t charset;
  uint16_t code_page;
  uint32_t size;  // whole element
};

// The element at p, trusted to be a CharacterString with a value.
Element ReadElement(const uint8_t* p) {
  uint32_t header = AsnTagHeaderLength(p);
  uint32_t value = AsnTagValueLength(p);
  Element e{p + header, 0, 0, 0, header + value};
  if (value == 0) return e;
  e.charset = p[header];
  uint32_t prefix = 1 + (e.charset == VELMORA_CHARSET_DBCS ? 2u : 0u);
  if (value < prefix) return e;
  if (e.charset == VELMORA_CHARSET_DBCS) e.code_page = AsnGetU16(p + header + 1);
  e.text = p + header + prefix;
  e.length = value - prefix;
  return e;
}

bool HoldsZero(const Element& e) {
  uint32_t unit = KnownSet(e.charset) ? kUnit[e.charset] : 1;
  return FindTerminator(e.text, e.length, unit) >= 0;
}

// DBCS text: a lead octet (top bit set) at the end gets a second zero so
// that a reader pairing octets still meets a terminator.
uint32_t DbcsTextBytes(const Element& e) {
  bool trailing_lead = e.length && (e.text[e.length - 1] & 0x80);
  return e.length + 1 + (trailing_lead ? 1 : 0);
}

uint8_t* TakeDbcsText(const Element& e, uint8_t** arena) {
  uint32_t bytes = DbcsTextBytes(e);
  uint8_t* t = AsnArenaTake(arena, bytes);
  if (e.length) std::memcpy(t, e.text, e.length);
  std::memset(t + e.length, 0, bytes - e.length);
  return t;
}

// Terminated text of a single-unit set straight into out; reports bytes.
void DecodeText(AsnCursor* cursor, void* out, uint32_t* used, uint32_t unit) {
  Element e = ReadElement(cursor->current);
  cursor->current += e.size;
  uint32_t bytes = e.length + unit;
  if (out) {
    auto* o = static_cast<uint8_t*>(out);
    GetText(o, e.text, e.length, unit);
    std::memset(o + e.length, 0, unit);
  }
  if (used) *used = bytes;
}

}  // namespace

// Encoders.

int32_t AsnEncodeTaggedCharString(const VelmoraCharString* value, AsnCursor* cursor, uint16_t tag) {
  if (cursor->current >= cursor->end) return ASN_NO_ROOM;
  if (!value) return ASN_INVALID_VALUE;
  // An unknown set is refused whatever the length says: the octet would
  // otherwise go out as it is held.
  if (!KnownSet(value->charset)) return ASN_UNKNOWN_CHOICE;
  auto* text = reinterpret_cast<const uint8_t*>(value->text);
  uint32_t unit = kUnit[value->charset];
  uint64_t length;
  if (value->length == -1) {
    if (!text) return ASN_BAD_BUFFER;
    length = MeasureTerminated(text, unit);
  } else if (value->length < 0 || (!text && value->length > 0)) {
    return ASN_BAD_BUFFER;
  } else {
    length = uint32_t(value->length);
    if (length % unit != 0) return ASN_INVALID_VALUE;
  }
  return EncodeText(cursor, tag, value->charset, value->code_page, text, length);
}

int32_t AsnEncodeCharString(const void* value, AsnCursor* cursor) {
  return AsnEncodeTaggedCharString(static_cast<const VelmoraCharString*>(value), cursor,
                                   kTagCharString);
}

int32_t AsnEncodeAnsiText(const void* source, AsnCursor* cursor) {
  return EncodeSourceText(static_cast<AsnTextSource*>(const_cast<void*>(source)), cursor,
                          kTagCharString, VELMORA_CHARSET_ANSI);
}

int32_t AsnEncodeJisText(const void* source, AsnCursor* cursor) {
  return EncodeSourceText(static_cast<AsnTextSource*>(const_cast<void*>(source)), cursor,
                          kTagCharString, VELMORA_CHARSET_JIS);
}

int32_t AsnEncodeUcs4Text(const void* source, AsnCursor* cursor) {
  return EncodeSourceText(static_cast<AsnTextSource*>(const_cast<void*>(source)), cursor,
                          kTagCharString, VELMORA_CHARSET_UCS4);
}

int32_t AsnEncodeUcs2Text(const void* source, AsnCursor* cursor) {
  return EncodeSourceText(static_cast<AsnTextSource*>(const_cast<void*>(source)), cursor,
                          kTagCharString, VELMORA_CHARSET_UCS2);
}

int32_t AsnEncodeIso8859Text(const void* source, AsnCursor* cursor) {
  return EncodeSourceText(static_cast<AsnTextSource*>(const_cast<void*>(source)), cursor,
                          kTagCharString, VELMORA_CHARSET_ISO8859);
}

int32_t AsnEncodeDbcsText(const void* value, AsnCursor* cursor) {
  return EncodeDbcsRecord(static_cast<const VelmoraDbcsString*>(value), cursor, kTagCharString);
}

int32_t AsnEncodeTaggedText(AsnTextSource* source, AsnCursor* cursor, uint16_t tag,
                            uint8_t charset) {
  if (charset != VELMORA_CHARSET_ANSI && charset != VELMORA_CHARSET_JIS &&
      charset != VELMORA_CHARSET_ISO8859)
    return ASN_UNKNOWN_CHOICE;
  return EncodeSourceText(source, cursor, tag, charset);
}

int32_t AsnEncodeCharsetText(uint8_t charset, AsnTextSource* source, AsnCursor* cursor) {
  if (!KnownSet(charset)) return ASN_UNKNOWN_CHOICE;
  if (charset != VELMORA_CHARSET_DBCS)
    return EncodeSourceText(source, cursor, kTagCharString, charset);
  if (!source || !source->data || source->left < sizeof(VelmoraDbcsString)) return ASN_BAD_BUFFER;
  VelmoraDbcsString record;
  std::memcpy(&record, source->data, sizeof record);
  int32_t status = EncodeDbcsRecord(&record, cursor, kTagCharString);
  if (status != ASN_OK) return status;
  source->data += sizeof record;
  source->left -= uint32_t(sizeof record);
  return ASN_OK;
}

// Measuring texts to be sent.

int32_t AsnCharStringLength(uint8_t charset, const AsnTextSource* source) {
  if (!KnownSet(charset) || !source || !source->data) return -1;
  int64_t length;
  if (charset == VELMORA_CHARSET_DBCS) {
    if (source->left < sizeof(VelmoraDbcsString)) return -1;
    VelmoraDbcsString record;
    std::memcpy(&record, source->data, sizeof record);
    if (!record.text) return -1;
    length = int64_t(MeasureTerminated(reinterpret_cast<const uint8_t*>(record.text), 1));
  } else {
    length = FindTerminator(source->data, source->left, kUnit[charset]);
  }
  return length < 0 || length > INT32_MAX - 16 ? -1 : int32_t(length);
}

int32_t AsnCharStringElementLength(uint8_t charset, const AsnTextSource* source) {
  int32_t length = AsnCharStringLength(charset, source);
  if (length < 0) return -1;
  uint32_t value = uint32_t(length) + 1 + Prefix(charset);
  return int32_t(HeaderLength(value) + value);
}

// Decoders.

void AsnDecodeCharString(AsnCursor* cursor, void* out, uint8_t** arena) {
  Element e = ReadElement(cursor->current);
  cursor->current += e.size;
  if (!out) return;
  VelmoraCharString s{nullptr, 0, 0, e.charset};
  if (KnownSet(e.charset)) {
    uint32_t unit = kUnit[e.charset];
    auto* t = AsnArenaTake(arena, e.length + unit);
    GetText(t, e.text, e.length, unit);
    std::memset(t + e.length, 0, unit);
    s.text = reinterpret_cast<const char*>(t);
    s.length = int32_t(e.length);
    s.code_page = e.code_page;
  }
  std::memcpy(out, &s, sizeof s);
}

void AsnDecodeAnsiText(AsnCursor* cursor, void* out, uint8_t**, uint32_t* used) {
  DecodeText(cursor, out, used, 1);
}
void AsnDecodeJisText(AsnCursor* cursor, void* out, uint8_t**, uint32_t* used) {
  DecodeText(cursor, out, used, 1);
}
void AsnDecodeIso8859Text(AsnCursor* cursor, void* out, uint8_t**, uint32_t* used) {
  DecodeText(cursor, out, used, 1);
}
void AsnDecodeUcs4Text(AsnCursor* cursor, void* out, uint8_t**, uint32_t* used) {
  DecodeText(cursor, out, used, 4);
}
void AsnDecodeUcs2Text(AsnCursor* cursor, void* out, uint8_t**, uint32_t* used) {
  DecodeText(cursor, out, used, 2);
}

void AsnDecodeDbcsText(AsnCursor* cursor, void* out, uint8_t** arena) {
  Element e = ReadElement(cursor->current);
  cursor->current += e.size;
  if (!out) return;
  VelmoraDbcsString s{e.code_page, reinterpret_cast<const char*>(TakeDbcsText(e, arena))};
  std::memcpy(out, &s, sizeof s);
}

// Decoded sizes. The record sizes come from sizeof: the figures of a
// 32-bit layout do not hold here.

uint32_t AsnDecodedSizeCharString(const uint8_t* element, uint32_t) {
  Element e = ReadElement(element);
  // An unknown set still decodes into the record, with no text.
  if (!KnownSet(e.charset)) return sizeof(VelmoraCharString);
  return uint32_t(sizeof(VelmoraCharString)) + e.length + kUnit[e.charset];
}

uint32_t AsnDecodedSizeAnsiText(const uint8_t* element, uint32_t) {
  return ReadElement(element).length + 1;
}
uint32_t AsnDecodedSizeJisText(const uint8_t* element, uint32_t) {
  return ReadElement(element).length + 1;
}
uint32_t AsnDecodedSizeIso8859Text(const uint8_t* element, uint32_t) {
  return ReadElement(element).length + 1;
}
uint32_t AsnDecodedSizeUcs4Text(const uint8_t* element, uint32_t) {
  return ReadElement(element).length + 4;
}
uint32_t AsnDecodedSizeUcs2Text(const uint8_t* element, uint32_t) {
  return ReadElement(element).length + 2;
}
uint32_t AsnDecodedSizeDbcsText(const uint8_t* element, uint32_t) {
  return uint32_t(sizeof(VelmoraDbcsString)) + DbcsTextBytes(ReadElement(element));
}

// Choosing a text datatype.

int32_t AsnCharStringDatatype(const AsnCursor* cursor) {
  const uint8_t* p = cursor->current;
  const uint8_t* end = cursor->end;
  int32_t first = -1;
  bool mixed = false;
  while (p < end && !AsnIsClosingTag(p[0])) {
    int32_t size = AsnTagSkipElement(p, end);
    if (size <= 0) break;
    Element e = ReadElement(p);
    if (!KnownSet(e.charset) || AsnTagValueLength(p) == 0) return -1;
    if (first < 0) first = e.charset;
    if (e.charset != first || HoldsZero(e)) mixed = true;
    p += size;
  }
  if (first < 0) return ASN_TYPE_TEXT_ANSI;
  return mixed ? ASN_TYPE_CHAR_STRING : ASN_TYPE_TEXT_ANSI + first;
}

uint32_t AsnCharStringTextLength(const uint8_t* element) {
  Element e = ReadElement(element);
  if (!KnownSet(e.charset)) return 0;
  if (e.charset == VELMORA_CHARSET_DBCS)
    // Room to align the record wherever the arena top stands.
    return uint32_t(sizeof(VelmoraDbcsString) + alignof(VelmoraDbcsString) - 1) + DbcsTextBytes(e);
  return e.length + kUnit[e.charset];
}

void AsnDecodeCharStringData(AsnCursor* cursor, void* out, uint8_t** arena) {
  Element e = ReadElement(cursor->current);
  switch (e.charset) {
    case VELMORA_CHARSET_DBCS:
      AsnDecodeDbcsText(cursor, out, arena);
      return;
    case VELMORA_CHARSET_UCS4:
      DecodeText(cursor, out, nullptr, 4);
      return;
    case VELMORA_CHARSET_UCS2:
      DecodeText(cursor, out, nullptr, 2);
      return;
    case VELMORA_CHARSET_ANSI:
    case VELMORA_CHARSET_JIS:
    case VELMORA_CHARSET_ISO8859:
      DecodeText(cursor, out, nullptr, 1);
      return;
    default:
      cursor->current += e.size;
      return;
  }
}

void AsnDecodeCharStringAlloc(AsnCursor* cursor, uint8_t* charset, void** out, uint8_t** arena) {
  const uint8_t* p = cursor->current;
  Element e = ReadElement(p);
  uint32_t size = AsnCharStringTextLength(p);
  if (charset) *charset = e.charset;
  if (!KnownSet(e.charset)) {
    cursor->current += e.size;
    if (out) *out = nullptr;
    return;
  }
  uint8_t* block = AsnArenaTake(arena, size);
  if (e.charset != VELMORA_CHARSET_DBCS) {
    AsnDecodeCharStringData(cursor, block, nullptr);
    if (out) *out = block;
    return;
  }
  // Record at the first aligned address of the block, text behind it.
  auto start = reinterpret_cast<uintptr_t>(block);
  uintptr_t aligned =
      (start + alignof(VelmoraDbcsString) - 1) & ~uintptr_t(alignof(VelmoraDbcsString) - 1);
  uint8_t* record = block + (aligned - start);
  std::memset(block, 0, size);
  uint8_t* text_top = record + sizeof(VelmoraDbcsString) + DbcsTextBytes(e);
  AsnDecodeDbcsText(cursor, record, &text_top);
  if (out) *out = record;
}
