#include "runtime/osa/cfg.h"

#include <atomic>
#include <cinttypes>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/osa/osa.h"
#include "runtime/osa/osa_internal.h"
#include "runtime/platform/plat_registry.h"

namespace {

constexpr uint32_t kWalkWriteAccess = PLAT_KEY_READ | PLAT_KEY_SET_VALUE | PLAT_KEY_CREATE_SUB_KEY;

// Set by InitCfg (under the OSA mutex) or lazily by a writer; read anywhere.
std::atomic<PlatRegKey*> g_store{nullptr};

enum class Walk {
  kRead,
  kWrite,
  kDelete
};

// Follows path below key: each component but the last opens (reads,
// deletes) or creates (writes) a subkey, and op(key, value name) runs at the
// last one. Components are cut to CFG_NAME_MAX characters.
template <class Op>
PlatRegStatus WalkPath(PlatRegKey* key, const char* path, Walk mode, Op op) {
  std::string name;
  bool cut = false;
  const char* p = path;
  for (; *p && *p != '\\'; ++p) {
    if (name.size() < CFG_NAME_MAX) {
      name += *p;
    } else {
      cut = true;
    }
  }
  if (cut) OsaLog(OSA_LOG_ERROR, "Internal: Configuration entry name is too long, truncating.");
  if (*p != '\\') return op(key, name.c_str());
  PlatRegKey* sub = nullptr;
  PlatRegStatus status;
  if (mode == Walk::kWrite) {
    status = PlatRegCreateKey(key, name.c_str(), kWalkWriteAccess, &sub, nullptr);
  } else {
    status = PlatRegOpenKey(key, name.c_str(),
                            mode == Walk::kRead ? PLAT_KEY_READ : kWalkWriteAccess, &sub);
  }
  if (status != PLAT_ERROR_SUCCESS) return status;
  status = WalkPath(sub, p + 1, mode, op);
  PlatRegCloseKey(sub);
  return status;
}

// The whole value; a value growing between the two reads is read again.
PlatRegStatus ReadValue(const char* path, std::vector<unsigned char>* data) {
  PlatRegKey* store = g_store.load();
  if (!store) return PLAT_ERROR_FILE_NOT_FOUND;
  return WalkPath(store, path, Walk::kRead, [data](PlatRegKey* key, const char* name) {
    PlatRegStatus status = PLAT_ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && status == PLAT_ERROR_MORE_DATA; ++attempt) {
      uint32_t size = 0;
      status = PlatRegQueryValue(key, name, nullptr, nullptr, &size);
      if (status != PLAT_ERROR_SUCCESS) return status;
      data->resize(size);
      status = PlatRegQueryValue(key, name, nullptr, data->data(), &size);
      data->resize(size);
    }
    return status;
  });
}

// Terminators to add so that stored data reads as a text (one) or a
// multi-string (a final empty string); a value without data is empty.
size_t MissingTerminators(const std::vector<unsigned char>& data, bool multi) {
  const size_t n = data.size();
  if (n == 0) return 1;
  if (data[n - 1] != 0) return multi ? 2 : 1;
  if (!multi || n == 1 || data[n - 2] == 0) return 0;
  return 1;
}

size_t MultiSize(const char* multi) {
  size_t size = 0;
  while (multi[size] != '\0')
    size += strlen(multi + size) + 1;
  return size + 1;
}

bool GetText(const char* path, char* buffer, uint32_t* size, const char* def, bool multi) {
  if (!path || !size) return false;
  std::vector<unsigned char> data;
  const PlatRegStatus status = ReadValue(path, &data);
  if (status == PLAT_ERROR_SUCCESS) {
    const size_t need = data.size() + MissingTerminators(data, multi);
    const uint32_t room = *size;
    *size = static_cast<uint32_t>(need);
    if (!buffer) return true;
    if (need > room) return false;
    if (!data.empty()) memcpy(buffer, data.data(), data.size());
    memset(buffer + data.size(), 0, need - data.size());
    return true;
  }
  if (!multi) OsaLog(OSA_LOG_DEBUG, "GetCfgString(%s) failed. error = %" PRId32, path, status);
  if (status == PLAT_ERROR_MORE_DATA) {
    // Only reached when the value kept growing while being read.
    *size = data.size() > 0 ? static_cast<uint32_t>(data.size()) : 1;
    return false;
  }
  static constexpr char kEmpty[2] = {0, 0};
  if (!def) def = kEmpty;
  const size_t need = multi ? MultiSize(def) : strlen(def) + 1;
  if (!buffer) {
    *size = static_cast<uint32_t>(need);
    return true;
  }
  if (*size < need) return false;
  memcpy(buffer, def, need);
  return true;
}

PlatRegKey* WritableStore() {
  PlatRegKey* store = g_store.load();
  if (store) return store;
  return CreateCfg() ? g_store.load() : nullptr;
}

bool SetValue(const char* path, uint32_t type, const void* data, size_t size) {
  if (!path) return false;
  PlatRegKey* store = WritableStore();
  if (!store) return false;
  return WalkPath(store, path, Walk::kWrite, [&](PlatRegKey* key, const char* name) {
           return PlatRegSetValue(key, name, type, data, static_cast<uint32_t>(size));
         }) == PLAT_ERROR_SUCCESS;
}

// Every failure ends the deletion at once: a value or subkey that cannot be
// deleted would otherwise come back at index 0 for ever.
PlatRegStatus DeleteTree(PlatRegKey* parent, const char* name) {
  // An empty name would open parent itself and empty it.
  if (*name == '\0') return PLAT_ERROR_FILE_NOT_FOUND;
  PlatRegKey* key = nullptr;
  PlatRegStatus status = PlatRegOpenKey(parent, name, kWalkWriteAccess, &key);
  if (status != PLAT_ERROR_SUCCESS) return status;
  std::vector<char> entry(PLAT_REG_KEY_NAME_MAX + 1);
  for (bool values = true;;) {
    uint32_t room = static_cast<uint32_t>(entry.size());
    status = values ? PlatRegEnumValue(key, 0, entry.data(), &room, nullptr, nullptr, nullptr)
                    : PlatRegEnumKey(key, 0, entry.data(), &room);
    if (status == PLAT_ERROR_MORE_DATA && room > entry.size()) {
      entry.resize(room);
      continue;
    }
    if (status == PLAT_ERROR_NO_MORE_ITEMS) {
      if (!values) break;
      values = false;
      continue;
    }
    if (status == PLAT_ERROR_SUCCESS) {
      status = values ? PlatRegDeleteValue(key, entry.data()) : DeleteTree(key, entry.data());
    }
    if (status != PLAT_ERROR_SUCCESS) {
      PlatRegCloseKey(key);
      return status;
    }
  }
  PlatRegCloseKey(key);
  return PlatRegDeleteKey(parent, name);
}

}  // namespace

bool InitCfg(void) {
  if (PlatRegKey* old = g_store.exchange(nullptr)) PlatRegCloseKey(old);
  PlatRegKey* key = nullptr;
  const PlatRegStatus status =
      PlatRegOpenKey(PLAT_HKEY_LOCAL_MACHINE, CFG_PARAMETERS_KEY, PLAT_KEY_READ, &key);
  if (status == PLAT_ERROR_SUCCESS) {
    g_store.store(key);
    return true;
  }
  if (status == PLAT_ERROR_FILE_NOT_FOUND) {
    OsaLog(OSA_LOG_WARNING, "No Velmora configuration is found");
    return true;
  }
  OsaLog(OSA_LOG_ERROR, "InitCfg failed. error = %" PRId32, status);
  OsaLogRegistryDetail();
  return false;
}

bool CloseCfg(void) {
  if (PlatRegKey* key = g_store.exchange(nullptr)) PlatRegCloseKey(key);
  return true;
}

bool CreateCfg(void) {
  PlatRegKey* key = nullptr;
  const PlatRegStatus status = PlatRegCreateKey(PLAT_HKEY_LOCAL_MACHINE, CFG_PARAMETERS_KEY,
                                                kWalkWriteAccess, &key, nullptr);
  if (status != PLAT_ERROR_SUCCESS) {
    OsaLog(OSA_LOG_ERROR, "RegCreateKey failed. error = %" PRId32, status);
    OsaLogRegistryDetail();
    return false;
  }
  if (PlatRegKey* old = g_store.exchange(key)) PlatRegCloseKey(old);
  return true;
}

bool GetCfgDword(const char* path, uint32_t* result, uint32_t def) {
  if (!result) return true;
  *result = def;
  std::vector<unsigned char> data;
  if (path && ReadValue(path, &data) == PLAT_ERROR_SUCCESS && data.size() == 4) {
    *result = uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
              uint32_t{data[3]} << 24;
  }
  return true;
}

bool GetCfgString(const char* path, char* buffer, uint32_t* size, const char* def) {
  return GetText(path, buffer, size, def, false);
}

bool GetCfgMultiString(const char* path, char* buffer, uint32_t* size, const char* def) {
  return GetText(path, buffer, size, def, true);
}

bool SetCfgDword(const char* path, uint32_t value) {
  const unsigned char data[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return SetValue(path, PLAT_REG_DWORD, data, sizeof data);
}

bool SetCfgString(const char* path, const char* text) {
  return text && SetValue(path, PLAT_REG_SZ, text, strlen(text) + 1);
}

bool SetCfgMultiString(const char* path, const char* multi) {
  return multi && SetValue(path, PLAT_REG_MULTI_SZ, multi, MultiSize(multi));
}

bool DeleteCfgEntry(const char* path) {
  PlatRegKey* store = g_store.load();
  if (!store || !path) return false;
  return WalkPath(store, path, Walk::kDelete, [](PlatRegKey* key, const char* name) {
           uint32_t size = 0;
           if (PlatRegQueryValue(key, name, nullptr, nullptr, &size) == PLAT_ERROR_SUCCESS) {
             return PlatRegDeleteValue(key, name);
           }
           return DeleteTree(key, name);
         }) == PLAT_ERROR_SUCCESS;
}
