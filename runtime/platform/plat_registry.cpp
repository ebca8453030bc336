#include "runtime/platform/plat_registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "runtime/platform/plat_file.h"
#include "runtime/platform/plat_regfile.h"

// A handle names its key by path: every call finds the key afresh in the
// file, so handles stay valid across other processes' changes (a key deleted
// meanwhile gives PLAT_ERROR_KEY_DELETED).
struct PlatRegKey {
  bool root;
  uint32_t access;
  std::string file;
  std::vector<std::string> path;
};

PlatRegKey PlatRegRoot{true, PLAT_KEY_ALL_ACCESS, {}, {}};

namespace {

thread_local std::string t_detail;
// Writers of this process queue here; the flock orders them with other
// processes.
std::mutex g_write_lock;

std::string ResolvePath() {
  const char* env = getenv("VELMORA_REGISTRY");
  if (env && *env) return env;
  const char* xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/velmora/registry.reg";
  const char* home = getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/velmora/registry.reg";
  return {};
}

PlatRegStatus Fail(PlatRegStatus status, const std::string& detail) {
  t_detail = detail;
  return status;
}

PlatRegStatus ErrnoStatus(int err, PlatRegStatus otherwise) {
  return (err == EACCES || err == EPERM || err == EROFS) ? PLAT_ERROR_ACCESS_DENIED : otherwise;
}

PlatRegStatus Load(const std::string& file, RegTree* tree) {
  tree->values.clear();
  tree->subkeys.clear();
  if (file.empty())
    return Fail(PLAT_ERROR_CANTREAD, "no registry file: neither VELMORA_REGISTRY nor HOME is set");
  // Read under the machine-wide start-up lock: a FIFO or a device must fail
  // here, never block every other process's start-up.
  std::string text;
  std::string why;
  const int32_t err = PlatFileReadAll(file.c_str(), PLAT_REG_FILE_MAX, &text, &why);
  if (err == ENOENT) return PLAT_ERROR_SUCCESS;
  if (err != 0) return Fail(ErrnoStatus(err, PLAT_ERROR_CANTREAD), file + ": " + why);
  RegParseError error{};
  if (!RegParse(text, tree, &error)) {
    return Fail(PLAT_ERROR_BADDB, file + ":" + std::to_string(error.line) + ": " + error.message);
  }
  return PLAT_ERROR_SUCCESS;
}

bool MakeParents(const std::string& file) {
  for (size_t i = file.find('/', 1); i != std::string::npos; i = file.find('/', i + 1)) {
    const std::string dir = file.substr(0, i);
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A temporary file beside the store, then a rename over it: a reader sees
// the old file or the new one, never a part.
PlatRegStatus Save(const std::string& file, const RegTree& tree) {
  if (!MakeParents(file)) {
    const int err = errno;
    return Fail(ErrnoStatus(err, PLAT_ERROR_CANTWRITE), file + ": " + strerror(err));
  }
  std::string temp = file + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    const int err = errno;
    return Fail(ErrnoStatus(err, PLAT_ERROR_CANTWRITE), temp + ": " + strerror(err));
  }
  struct stat st;
  const mode_t mode = stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, RegFormat(tree)) && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return Fail(ErrnoStatus(err, PLAT_ERROR_CANTWRITE), file + ": " + strerror(err));
  }
  return PLAT_ERROR_SUCCESS;
}

// The exclusive lock of writers, on a file beside the store (the store itself
// is replaced by each write, so it cannot carry the lock).
class WriteLock {
 public:
  explicit WriteLock(const std::string& file) : guard_(g_write_lock) {
    if (!MakeParents(file)) return;
    fd_ = open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    int rc;
    do {
      rc = flock(fd_, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~WriteLock() {
    if (fd_ >= 0) close(fd_);
  }
  bool held() const { return fd_ >= 0; }

 private:
  std::lock_guard<std::mutex> guard_;
  int fd_ = -1;
};

std::vector<std::string> SplitPath(const char* subkey) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* p = subkey;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
      if (*p == '\0') break;
    } else {
      part += *p;
    }
  }
  return parts;
}

RegTree* Find(RegTree* root, const std::vector<std::string>& path) {
  RegTree* key = root;
  for (const std::string& name : path) {
    key = RegFindSubkey(*key, name);
    if (!key) return nullptr;
  }
  return key;
}

const std::string& FileOf(const PlatRegKey* key, std::string* resolved) {
  if (!key->root) return key->file;
  *resolved = ResolvePath();
  return *resolved;
}

// The key of the handle in a freshly loaded tree.
PlatRegStatus Locate(const PlatRegKey* key, RegTree* tree, RegTree** node, std::string* file) {
  t_detail.clear();
  if (!key) return PLAT_ERROR_INVALID_HANDLE;
  std::string resolved;
  *file = FileOf(key, &resolved);
  const PlatRegStatus status = Load(*file, tree);
  if (status != PLAT_ERROR_SUCCESS) return status;
  *node = Find(tree, key->path);
  return *node ? PLAT_ERROR_SUCCESS : PLAT_ERROR_KEY_DELETED;
}

// The same for an operation that needs the given right of the handle.
PlatRegStatus LocateFor(const PlatRegKey* key, uint32_t right, RegTree* tree, RegTree** node) {
  std::string file;
  const PlatRegStatus status = Locate(key, tree, node, &file);
  if (status != PLAT_ERROR_SUCCESS) return status;
  return (key->access & right) ? PLAT_ERROR_SUCCESS : PLAT_ERROR_ACCESS_DENIED;
}

// Runs change(node) on the handle's key under the write lock and saves the
// tree when it succeeds.
template <class Change>
PlatRegStatus Modify(const PlatRegKey* key, Change change) {
  t_detail.clear();
  if (!key) return PLAT_ERROR_INVALID_HANDLE;
  std::string resolved;
  const std::string file = FileOf(key, &resolved);
  if (file.empty())
    return Fail(PLAT_ERROR_CANTWRITE, "no registry file: neither VELMORA_REGISTRY nor HOME is set");
  WriteLock lock(file);
  if (!lock.held()) {
    const int err = errno;
    return Fail(ErrnoStatus(err, PLAT_ERROR_CANTWRITE), file + ".lock: " + strerror(err));
  }
  RegTree tree;
  PlatRegStatus status = Load(file, &tree);
  if (status != PLAT_ERROR_SUCCESS) return status;
  RegTree* node = Find(&tree, key->path);
  if (!node) return PLAT_ERROR_KEY_DELETED;
  bool changed = false;
  status = change(&tree, node, &changed);
  if (status == PLAT_ERROR_SUCCESS && changed) status = Save(file, tree);
  return status;
}

PlatRegKey* NewHandle(const PlatRegKey* parent, const std::string& file,
                      const std::vector<std::string>& sub, uint32_t access) {
  auto* handle = new (std::nothrow) PlatRegKey{false, access, file, parent->path};
  if (handle) handle->path.insert(handle->path.end(), sub.begin(), sub.end());
  return handle;
}

// Copies data into the caller's room, with the size rules of a query.
PlatRegStatus CopyOut(const std::vector<unsigned char>& data, void* out, uint32_t* size) {
  if (!size) return out ? PLAT_ERROR_INVALID_PARAMETER : PLAT_ERROR_SUCCESS;
  const uint32_t room = *size;
  *size = static_cast<uint32_t>(data.size());
  if (!out) return PLAT_ERROR_SUCCESS;
  if (data.size() > room) return PLAT_ERROR_MORE_DATA;
  if (!data.empty()) memcpy(out, data.data(), data.size());
  return PLAT_ERROR_SUCCESS;
}

PlatRegStatus CopyName(const std::string& name, char* out, uint32_t* size) {
  if (!out || !size) return PLAT_ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *size) {
    *size = static_cast<uint32_t>(name.size() + 1);
    return PLAT_ERROR_MORE_DATA;
  }
  memcpy(out, name.c_str(), name.size() + 1);
  *size = static_cast<uint32_t>(name.size());
  return PLAT_ERROR_SUCCESS;
}

}  // namespace

PlatRegStatus PlatRegOpenKey(PlatRegKey* parent, const char* subkey, uint32_t access,
                             PlatRegKey** result) {
  if (!result || !subkey) return PLAT_ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegTree tree;
  RegTree* node = nullptr;
  std::string file;
  const PlatRegStatus status = Locate(parent, &tree, &node, &file);
  if (status != PLAT_ERROR_SUCCESS) return status;
  const std::vector<std::string> sub = SplitPath(subkey);
  if (!Find(node, sub)) return PLAT_ERROR_FILE_NOT_FOUND;
  *result = NewHandle(parent, file, sub, access);
  return *result ? PLAT_ERROR_SUCCESS : PLAT_ERROR_INVALID_PARAMETER;
}

PlatRegStatus PlatRegCreateKey(PlatRegKey* parent, const char* subkey, uint32_t access,
                               PlatRegKey** result, bool* created) {
  if (!result || !subkey) return PLAT_ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const std::vector<std::string> sub = SplitPath(subkey);
  for (const std::string& name : sub) {
    if (!RegKeyNameValid(name)) return PLAT_ERROR_INVALID_PARAMETER;
  }
  // "[-name]" would read back as a deletion line, "[HKLM\name]" as "[name]".
  if (parent && parent->path.empty() && !sub.empty() &&
      (sub[0][0] == '-' || RegIsRootName(sub[0]))) {
    return PLAT_ERROR_INVALID_PARAMETER;
  }
  // Even for a key that exists: a handle opened for reading must not
  // become a way to write below it.
  if (parent && !(parent->access & PLAT_KEY_CREATE_SUB_KEY)) return PLAT_ERROR_ACCESS_DENIED;
  // The file could not be read back.
  if (parent && parent->path.size() + sub.size() > PLAT_REG_DEPTH_MAX)
    return PLAT_ERROR_INVALID_PARAMETER;
  bool made = false;
  const PlatRegStatus status = Modify(parent, [&](RegTree*, RegTree* node, bool* changed) {
    for (const std::string& name : sub) {
      RegTree* next = RegFindSubkey(*node, name);
      made = !next;
      if (!next) {
        node->subkeys.push_back(std::make_unique<RegTree>());
        next = node->subkeys.back().get();
        next->name = name;
        *changed = true;
      }
      node = next;
    }
    return PLAT_ERROR_SUCCESS;
  });
  if (status != PLAT_ERROR_SUCCESS) return status;
  std::string resolved;
  *result = NewHandle(parent, FileOf(parent, &resolved), sub, access);
  if (created) *created = made;
  return *result ? PLAT_ERROR_SUCCESS : PLAT_ERROR_INVALID_PARAMETER;
}

PlatRegStatus PlatRegCloseKey(PlatRegKey* key) {
  if (!key) return PLAT_ERROR_INVALID_HANDLE;
  if (!key->root) delete key;
  return PLAT_ERROR_SUCCESS;
}

PlatRegStatus PlatRegQueryValue(PlatRegKey* key, const char* name, uint32_t* type, void* data,
                                uint32_t* size) {
  if (!name) return PLAT_ERROR_INVALID_PARAMETER;
  RegTree tree;
  RegTree* node = nullptr;
  PlatRegStatus status = LocateFor(key, PLAT_KEY_QUERY_VALUE, &tree, &node);
  if (status != PLAT_ERROR_SUCCESS) return status;
  const RegValue* v = RegFindValue(*node, name);
  if (!v) return PLAT_ERROR_FILE_NOT_FOUND;
  if (type) *type = v->type;
  return CopyOut(v->data, data, size);
}

PlatRegStatus PlatRegSetValue(PlatRegKey* key, const char* name, uint32_t type, const void* data,
                              uint32_t size) {
  if (!name || !RegValueNameValid(name) || (!data && size > 0)) return PLAT_ERROR_INVALID_PARAMETER;
  // The root, however opened, holds keys only: the file has no place for its values.
  if (key && (key->path.empty() || !(key->access & PLAT_KEY_SET_VALUE)))
    return PLAT_ERROR_ACCESS_DENIED;
  const auto* bytes = static_cast<const unsigned char*>(data);
  return Modify(key, [&](RegTree*, RegTree* node, bool* changed) {
    RegValue* v = RegFindValue(*node, name);
    if (!v) {
      node->values.push_back(RegValue{name, type, {}});
      v = &node->values.back();
    }
    v->type = type;
    v->data.assign(bytes, bytes + size);
    *changed = true;
    return PLAT_ERROR_SUCCESS;
  });
}

PlatRegStatus PlatRegDeleteValue(PlatRegKey* key, const char* name) {
  if (!name) return PLAT_ERROR_INVALID_PARAMETER;
  if (key && !(key->access & PLAT_KEY_SET_VALUE)) return PLAT_ERROR_ACCESS_DENIED;
  return Modify(key, [&](RegTree*, RegTree* node, bool* changed) {
    for (auto it = node->values.begin(); it != node->values.end(); ++it) {
      if (RegNameEqual(it->name, name)) {
        node->values.erase(it);
        *changed = true;
        return PLAT_ERROR_SUCCESS;
      }
    }
    return PLAT_ERROR_FILE_NOT_FOUND;
  });
}

PlatRegStatus PlatRegDeleteKey(PlatRegKey* parent, const char* subkey) {
  if (!subkey) return PLAT_ERROR_INVALID_PARAMETER;
  const std::vector<std::string> sub = SplitPath(subkey);
  if (sub.empty()) return PLAT_ERROR_INVALID_PARAMETER;
  return Modify(parent, [&](RegTree*, RegTree* node, bool* changed) {
    RegTree* owner = Find(node, std::vector<std::string>(sub.begin(), sub.end() - 1));
    if (!owner) return PLAT_ERROR_FILE_NOT_FOUND;
    for (auto it = owner->subkeys.begin(); it != owner->subkeys.end(); ++it) {
      if (RegNameEqual((*it)->name, sub.back())) {
        if (!(*it)->subkeys.empty()) return PLAT_ERROR_ACCESS_DENIED;
        owner->subkeys.erase(it);
        *changed = true;
        return PLAT_ERROR_SUCCESS;
      }
    }
    return PLAT_ERROR_FILE_NOT_FOUND;
  });
}

PlatRegStatus PlatRegEnumValue(PlatRegKey* key, uint32_t index, char* name, uint32_t* name_size,
                               uint32_t* type, void* data, uint32_t* data_size) {
  RegTree tree;
  RegTree* node = nullptr;
  PlatRegStatus status = LocateFor(key, PLAT_KEY_QUERY_VALUE, &tree, &node);
  if (status != PLAT_ERROR_SUCCESS) return status;
  if (index >= node->values.size()) return PLAT_ERROR_NO_MORE_ITEMS;
  const RegValue& v = node->values[index];
  status = CopyName(v.name, name, name_size);
  if (status != PLAT_ERROR_SUCCESS) return status;
  if (type) *type = v.type;
  return CopyOut(v.data, data, data_size);
}

PlatRegStatus PlatRegEnumKey(PlatRegKey* key, uint32_t index, char* name, uint32_t* name_size) {
  RegTree tree;
  RegTree* node = nullptr;
  const PlatRegStatus status = LocateFor(key, PLAT_KEY_ENUMERATE_SUB_KEYS, &tree, &node);
  if (status != PLAT_ERROR_SUCCESS) return status;
  if (index >= node->subkeys.size()) return PLAT_ERROR_NO_MORE_ITEMS;
  return CopyName(node->subkeys[index]->name, name, name_size);
}

size_t PlatRegPath(char* buffer, size_t room) {
  const std::string path = ResolvePath();
  if (path.empty() || path.size() + 1 > room || !buffer) return 0;
  memcpy(buffer, path.c_str(), path.size() + 1);
  return path.size();
}

size_t PlatRegErrorDetail(char* buffer, size_t room) {
  if (!buffer || room == 0) return 0;
  const size_t n = t_detail.size() < room - 1 ? t_detail.size() : room - 1;
  memcpy(buffer, t_detail.data(), n);
  buffer[n] = '\0';
  return n;
}
