#include "runtime/platform/plat_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
