#pragma once
// Append-only files, for logs that several processes share.

#include <cstddef>
#include <cstdint>

struct PlatAppendFile;

// Opens path for appending, creating it (mode 0644) when missing; NULL with
// the system's error number in error (may be NULL) when it cannot.
PlatAppendFile* PlatAppendFileOpen(const char* path, int32_t* error);
// Appends the bytes with one write, so that lines of processes appending to
// the same file stay whole; false when not all of them were written.
bool PlatAppendFileWrite(PlatAppendFile* file, const void* data, size_t size);
// NULL is no file.
void PlatAppendFileClose(PlatAppendFile* file);
