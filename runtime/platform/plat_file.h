#pragma once
// Append-only files, for logs that several processes share, and whole
// files read from wherever a user points.

#include <cstddef>
#include <cstdint>
#include <string>

struct PlatAppendFile;

// Opens path for appending, creating it (mode 0644) when missing; NULL with
// the system's error number in error (may be NULL) when it cannot.
PlatAppendFile* PlatAppendFileOpen(const char* path, int32_t* error);
// Appends the bytes with one write, so that lines of processes appending to
// the same file stay whole; false when not all of them were written.
bool PlatAppendFileWrite(PlatAppendFile* file, const void* data, size_t size);
// NULL is no file.
void PlatAppendFileClose(PlatAppendFile* file);

// Results of PlatFileReadAll besides the system's error numbers.
inline constexpr int32_t PLAT_FILE_NOT_REGULAR = -1;
inline constexpr int32_t PLAT_FILE_TOO_LARGE = -2;

// Reads the whole regular file at path, of at most max bytes, into text:
// 0, or the system's error number (ENOENT: no such file; EISDIR: a
// directory), PLAT_FILE_NOT_REGULAR (a FIFO, a device, a socket) or
// PLAT_FILE_TOO_LARGE, with why (may be NULL) telling it: "cannot open: No
// such file or directory", "cannot read: Is a directory", "not a regular
// file", "larger than 4194304 bytes". The open never blocks, so a FIFO is
// refused instead of waited for, and no more than max + 1 bytes are read
// whatever the file's size said.
int32_t PlatFileReadAll(const char* path, size_t max, std::string* text, std::string* why);
