#include "runtime/platform/plat_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <thread>

namespace {

std::recursive_mutex* AsMutex(PlatLock* lock) {
  return std::launder(reinterpret_cast<std::recursive_mutex*>(lock->storage));
}

}  // namespace

void PlatLockInit(PlatLock* lock) { new (lock->storage) std::recursive_mutex(); }
void PlatLockDelete(PlatLock* lock) { AsMutex(lock)->~recursive_mutex(); }
void PlatLockEnter(PlatLock* lock) { AsMutex(lock)->lock(); }
bool PlatLockTryEnter(PlatLock* lock) { return AsMutex(lock)->try_lock(); }
void PlatLockLeave(PlatLock* lock) { AsMutex(lock)->unlock(); }

namespace {

// A directory of ours: made when missing, refused when it is anything else
// (another user's directory, a link).
bool OwnDirectory(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

}  // namespace

size_t PlatRuntimeDir(char* buffer, size_t room) {
  std::string dir;
  const char* xdg = getenv("XDG_RUNTIME_DIR");
  if (xdg && *xdg) dir = std::string(xdg) + "/velmora";
  if (dir.empty() || !OwnDirectory(dir)) {
    dir = "/tmp/velmora-" + std::to_string(getuid());
    if (!OwnDirectory(dir)) return 0;
  }
  if (!buffer || dir.size() + 1 > room) return 0;
  memcpy(buffer, dir.c_str(), dir.size() + 1);
  return dir.size();
}

// One in-process state per name: the flock excludes other processes, the
// owner/depth pair excludes other threads and makes the mutex re-entrant
// (a second flock from the same process would wait for itself). The lock
// file is opened for each hold, so that a forked child never shares the
// parent's open file (and with it the parent's lock).
struct NamedMutexState {
  std::mutex m;
  std::condition_variable cv;
  std::thread::id owner;
  unsigned depth = 0;
  int fd = -1;
  std::string path;
};

struct PlatNamedMutex {
  NamedMutexState* state;
};

namespace {

std::mutex g_names_lock;
// States are kept for the process's life: names are a small, fixed set.
std::map<std::string, NamedMutexState*>& Names() {
  static auto* names = new std::map<std::string, NamedMutexState*>();
  return *names;
}

std::string LockFileName(const char* name) {
  std::string file;
  for (const char* p = name; *p; ++p) {
    const char c = *p;
    file += (c == '/' || c == '\\') ? '_' : c;
  }
  return file + ".lock";
}

}  // namespace

PlatNamedMutex* PlatNamedMutexOpen(const char* name) {
  if (!name || !*name) return nullptr;
  char dir[512];
  if (PlatRuntimeDir(dir, sizeof dir) == 0) return nullptr;
  const std::string path = std::string(dir) + "/" + LockFileName(name);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  close(fd);
  std::lock_guard<std::mutex> guard(g_names_lock);
  NamedMutexState*& state = Names()[name];
  if (!state) {
    state = new NamedMutexState();
    state->path = path;
  }
  return new PlatNamedMutex{state};
}

bool PlatNamedMutexWait(PlatNamedMutex* mutex) {
  if (!mutex) return false;
  NamedMutexState* s = mutex->state;
  std::unique_lock<std::mutex> guard(s->m);
  const auto self = std::this_thread::get_id();
  if (s->depth > 0 && s->owner == self) {
    ++s->depth;
    return true;
  }
  s->cv.wait(guard, [s] { return s->depth == 0; });
  // Owned in-process while waiting for other processes: other threads queue
  // on the condition, not on the file, and the state's own lock is free for
  // them meanwhile.
  s->owner = self;
  s->depth = 1;
  guard.unlock();
  const int fd = open(s->path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  int rc = -1;
  if (fd >= 0) {
    do {
      rc = flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
  }
  guard.lock();
  if (rc != 0) {
    if (fd >= 0) close(fd);
    s->depth = 0;
    s->owner = std::thread::id();
    s->cv.notify_one();
    return false;
  }
  s->fd = fd;
  return true;
}

bool PlatNamedMutexRelease(PlatNamedMutex* mutex) {
  if (!mutex) return false;
  NamedMutexState* s = mutex->state;
  std::lock_guard<std::mutex> guard(s->m);
  if (s->depth == 0 || s->owner != std::this_thread::get_id()) return false;
  if (--s->depth == 0) {
    close(s->fd);  // drops the flock
    s->fd = -1;
    s->owner = std::thread::id();
    s->cv.notify_one();
  }
  return true;
}

void PlatNamedMutexClose(PlatNamedMutex* mutex) { delete mutex; }
