// Writing text piece by piece into a buffer the caller supplies. Every text
// writer keeps one contract: (destination, room in bytes including the
// terminator, value, extras) -> the characters written, the terminator not
// counted, or 0 when the text does not fit. A writer never touches a byte at
// or beyond the room; after a 0 the destination holds an empty text when
// the room is at least 1. Nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

// Widest text of each numeric format: a piece in that format needs this
// much room whatever the number, so that whether a text fits does not
// depend on the value that happens to be in it. A piece whose own text is
// wider (a field out of its range) needs its own length plus 1.
inline constexpr size_t TEXT_WIDEST_UNSIGNED = 11;  // "%lu"
inline constexpr size_t TEXT_WIDEST_SIGNED = 12;    // "%ld"
inline constexpr size_t TEXT_WIDEST_INDEX = 14;     // "[%d]"
inline constexpr size_t TEXT_WIDEST_REAL = 14;
inline constexpr size_t TEXT_WIDEST_TWO_DIGITS = 3;  // "%02d", "%02x"
inline constexpr size_t TEXT_WIDEST_YEAR = 5;        // "%d" of a year

// A writer's progress through the caller's buffer.
struct TextBuffer {
  char* start;
  uint32_t room;  // bytes, the terminator included
  uint32_t used;  // characters written so far
  bool failed;    // a piece did not fit: the whole text fails
};

TextBuffer TextBufferOpen(char* destination, uint32_t room);
// Appends length characters when the room left holds them and the
// terminator, and is at least `need` bytes (the widest text of the piece's
// format); otherwise the buffer fails. False once failed.
bool TextBufferPut(TextBuffer* b, const char* text, size_t length, size_t need = 0);
bool TextBufferPutText(TextBuffer* b, const char* text);  // terminated text
bool TextBufferPutChar(TextBuffer* b, char c);
// A piece in a printf format, checked against its own length and `widest`.
bool TextBufferPrintf(TextBuffer* b, size_t widest, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Where the next writer may write, and its room (0 once failed).
char* TextBufferAt(const TextBuffer* b);
uint32_t TextBufferLeft(const TextBuffer* b);
// Counts what a writer wrote at TextBufferAt; its 0 fails the buffer.
bool TextBufferAdvance(TextBuffer* b, uint32_t written);
// Runs a writer of the contract at the buffer's place: writer(at, left,
// args...).
template <class Writer, class... Args>
bool TextBufferWrite(TextBuffer* b, Writer writer, Args... args) {
  if (b->failed) return false;
  return TextBufferAdvance(b, writer(TextBufferAt(b), TextBufferLeft(b), args...));
}
// count pieces separated by ",", each written by put(index); stops at the
// first that fails, so a count beyond the room costs no more than the room.
template <class Put>
void TextBufferPutEach(TextBuffer* b, uint32_t count, Put put) {
  for (uint32_t i = 0; i < count && !b->failed; ++i) {
    if (i) TextBufferPutChar(b, ',');
    if (!b->failed) put(i);
  }
}
// Terminates the text: the characters written, or 0.
uint32_t TextBufferClose(TextBuffer* b);

// A constant text, and at most n characters of one, under the contract.
uint32_t TextBufferCopy(char* destination, uint32_t room, const char* text);
uint32_t TextBufferCopyN(char* destination, uint32_t room, const char* text, uint32_t n);
