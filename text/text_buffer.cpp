#include "text/text_buffer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

TextBuffer TextBufferOpen(char* destination, uint32_t room) {
  return {destination, destination ? room : 0, 0, false};
}

bool TextBufferPut(TextBuffer* b, const char* text, size_t length, size_t need) {
  if (b->failed) return false;
  size_t left = b->room - b->used;
  if (left < std::max(length + 1, need)) {
    b->failed = true;
    return false;
  }
  if (length) std::memcpy(b->start + b->used, text, length);
  b->used += uint32_t(length);
  return true;
}

bool TextBufferPutText(TextBuffer* b, const char* text) {
  return TextBufferPut(b, text, std::strlen(text));
}

bool TextBufferPutChar(TextBuffer* b, char c) { return TextBufferPut(b, &c, 1); }

bool TextBufferPrintf(TextBuffer* b, size_t widest, const char* format, ...) {
  char piece[64];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  if (n < 0 || size_t(n) >= sizeof piece) {
    b->failed = true;
    return false;
  }
  return TextBufferPut(b, piece, size_t(n), widest);
}

char* TextBufferAt(const TextBuffer* b) { return b->start + b->used; }

uint32_t TextBufferLeft(const TextBuffer* b) { return b->failed ? 0 : b->room - b->used; }

bool TextBufferAdvance(TextBuffer* b, uint32_t written) {
  if (b->failed || written == 0 || written >= b->room - b->used) {
    b->failed = true;
    return false;
  }
  b->used += written;
  return true;
}

uint32_t TextBufferClose(TextBuffer* b) {
  if (b->room == 0) return 0;
  if (b->failed) {
    b->start[0] = '\0';
    return 0;
  }
  b->start[b->used] = '\0';
  return b->used;
}

uint32_t TextBufferCopy(char* destination, uint32_t room, const char* text) {
  if (!text) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutText(&b, text);
  return TextBufferClose(&b);
}

uint32_t TextBufferCopyN(char* destination, uint32_t room, const char* text, uint32_t n) {
  if (!text) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPut(&b, text, strnlen(text, n));
  return TextBufferClose(&b);
}
