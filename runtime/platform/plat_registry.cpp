#include "runtime/platform/plat_registry.h"

struct PlatRegKey {
  int unused;
};
PlatRegKey PlatRegRoot;

PlatRegStatus PlatRegOpenKey(PlatRegKey*, const char*, uint32_t, PlatRegKey**) { return PLAT_ERROR_FILE_NOT_FOUND; }
PlatRegStatus PlatRegCreateKey(PlatRegKey*, const char*, uint32_t, PlatRegKey**, bool*) { return PLAT_ERROR_CANTWRITE; }
PlatRegStatus PlatRegCloseKey(PlatRegKey*) { return PLAT_ERROR_SUCCESS; }
PlatRegStatus PlatRegQueryValue(PlatRegKey*, const char*, uint32_t*, void*, uint32_t*) { return PLAT_ERROR_FILE_NOT_FOUND; }
PlatRegStatus PlatRegSetValue(PlatRegKey*, const char*, uint32_t, const void*, uint32_t) { return PLAT_ERROR_CANTWRITE; }
PlatRegStatus PlatRegDeleteValue(PlatRegKey*, const char*) { return PLAT_ERROR_FILE_NOT_FOUND; }
PlatRegStatus PlatRegDeleteKey(PlatRegKey*, const char*) { return PLAT_ERROR_FILE_NOT_FOUND; }
PlatRegStatus PlatRegEnumValue(PlatRegKey*, uint32_t, char*, uint32_t*, uint32_t*, void*, uint32_t*) { return PLAT_ERROR_NO_MORE_ITEMS; }
PlatRegStatus PlatRegEnumKey(PlatRegKey*, uint32_t, char*, uint32_t*) { return PLAT_ERROR_NO_MORE_ITEMS; }
size_t PlatRegPath(char*, size_t) { return 0; }
size_t PlatRegErrorDetail(char*, size_t) { return 0; }
