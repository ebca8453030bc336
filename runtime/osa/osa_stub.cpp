#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "runtime/osa/pool.h"

#include <cstdlib>

PlatLock* OsaInit(void) { return nullptr; }
bool OsaTerm(void) { return false; }
uint32_t OsaRefCount(void) { return 0; }
void OsaLog(int, const char*, ...) {}
void OsaLogV(int, const char*, va_list) {}
bool OsaLogOpen(void) { return false; }
bool OsaLogClose(void) { return true; }
bool OsaHeapCreate(void) { return false; }
bool OsaHeapDestroy(void) { return true; }
void* OsaMemAlloc(size_t) { return nullptr; }
uint32_t OsaMemFree(void*) { return 0; }
uint32_t OsaStatGet(uint32_t) { return 0; }
OsaThread OsaThreadCreate(OsaThreadRoutine, void*) { return nullptr; }
bool OsaThreadStop(OsaThread) { return false; }
void OsaThreadWaitStop(OsaThread, uint32_t, const char*) {}
void OsaAssertFail(const char*, const char*, ...) { abort(); }

bool InitCfg(void) { return true; }
bool CloseCfg(void) { return true; }
bool CreateCfg(void) { return false; }
bool GetCfgDword(const char*, uint32_t* r, uint32_t d) { *r = d; return true; }
bool GetCfgString(const char*, char*, uint32_t*, const char*) { return false; }
bool GetCfgMultiString(const char*, char*, uint32_t*, const char*) { return false; }
bool SetCfgDword(const char*, uint32_t) { return false; }
bool SetCfgString(const char*, const char*) { return false; }
bool SetCfgMultiString(const char*, const char*) { return false; }
bool DeleteCfgEntry(const char*) { return false; }

Pool* PoolCreate(size_t, uint32_t, const char*) { return nullptr; }
uint32_t PoolDestroy(Pool*) { return 0; }
void* PoolGet(Pool*) { return nullptr; }
void PoolPut(Pool*, void*) {}
Pool* PoolBlockAlloc(size_t, uint32_t, size_t) { return nullptr; }
void* PoolItem(Pool*, size_t, uint32_t) { return nullptr; }
ListHeader* ListClear(ListHeader* l) { return l; }
void ListPushFront(ListHeader*, ListNode*) {}
void ListPushBack(ListHeader*, ListNode*) {}
void ListInsertBefore(ListHeader*, ListNode*, ListNode*) {}
void ListInsertAfter(ListHeader*, ListNode*, ListNode*) {}
ListNode* ListPopFront(ListHeader*) { return nullptr; }
ListNode* ListPopBack(ListHeader*) { return nullptr; }
void ListRemove(ListHeader*, ListNode*) {}
void* ListThreadArray(ListHeader*, void*, uint32_t, size_t) { return nullptr; }
