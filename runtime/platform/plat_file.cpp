#include "runtime/platform/plat_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

struct PlatAppendFile {
  int fd;
};

PlatAppendFile* PlatAppendFileOpen(const char* path, int32_t* error) {
  const int fd = path ? open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644) : -1;
  if (fd < 0) {
    if (error) *error = path ? static_cast<int32_t>(errno) : EINVAL;
    return nullptr;
  }
  auto* file = new (std::nothrow) PlatAppendFile{fd};
  if (!file) {
    close(fd);
    if (error) *error = ENOMEM;
  }
  return file;
}

bool PlatAppendFileWrite(PlatAppendFile* file, const void* data, size_t size) {
  if (!file) return false;
  ssize_t n;
  do {
    n = write(file->fd, data, size);
  } while (n < 0 && errno == EINTR);
  return n >= 0 && static_cast<size_t>(n) == size;
}

void PlatAppendFileClose(PlatAppendFile* file) {
  if (!file) return;
  close(file->fd);
  delete file;
}

namespace {

int32_t ReadFailure(int32_t status, const std::string& text, std::string* why) {
  if (why) *why = text;
  return status;
}

// Reads until the end or past max; 0, or the error number of the failed read.
int32_t ReadBounded(int fd, size_t max, std::string* text) {
  char chunk[65536];
  while (text->size() <= max) {
    const size_t want =
        max + 1 - text->size() < sizeof chunk ? max + 1 - text->size() : sizeof chunk;
    const ssize_t n = read(fd, chunk, want);
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return static_cast<int32_t>(errno);
    }
    text->append(chunk, static_cast<size_t>(n));
  }
  return 0;
}

}  // namespace

int32_t PlatFileReadAll(const char* path, size_t max, std::string* text, std::string* why) {
  text->clear();
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const auto err = static_cast<int32_t>(errno);
    return ReadFailure(err, std::string("cannot open: ") + strerror(err), why);
  }
  struct stat st;
  int32_t status = fstat(fd, &st) == 0 ? 0 : static_cast<int32_t>(errno);
  if (status == 0 && S_ISDIR(st.st_mode)) status = EISDIR;
  if (status == 0 && !S_ISREG(st.st_mode)) {
    close(fd);
    return ReadFailure(PLAT_FILE_NOT_REGULAR, "not a regular file", why);
  }
  // The size is only a first answer: the file may grow while it is read.
  if (status == 0 && static_cast<uint64_t>(st.st_size) <= max) status = ReadBounded(fd, max, text);
  close(fd);
  if (status != 0) {
    text->clear();
    return ReadFailure(status, std::string("cannot read: ") + strerror(status), why);
  }
  if (static_cast<uint64_t>(st.st_size) > max || text->size() > max) {
    text->clear();
    return ReadFailure(PLAT_FILE_TOO_LARGE, "larger than " + std::to_string(max) + " bytes", why);
  }
  return 0;
}
