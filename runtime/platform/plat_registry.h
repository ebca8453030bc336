#pragma once
// The registry: a tree of keys holding typed values, kept in one text file
// (see README, "Configuration store"). The file is named by VELMORA_REGISTRY,
// else $XDG_CONFIG_HOME/velmora/registry.reg, else
// ~/.config/velmora/registry.reg. A missing file is an empty registry.
// Every call reads the file afresh; every change rewrites it atomically
// (temporary file, then rename) under an exclusive lock, so concurrent
// writers in several processes lose nothing and readers never see half a
// file. Names compare without regard to ASCII case and keep the case they
// were created with.

#include <cstddef>
#include <cstdint>

struct PlatRegKey;

// The root of the tree (the machine's hive). Never closed.
extern PlatRegKey PlatRegRoot;
inline PlatRegKey* const PLAT_HKEY_LOCAL_MACHINE = &PlatRegRoot;

// Value types, numbered as a registry export numbers them.
inline constexpr uint32_t PLAT_REG_NONE = 0;
inline constexpr uint32_t PLAT_REG_SZ = 1;
inline constexpr uint32_t PLAT_REG_EXPAND_SZ = 2;
inline constexpr uint32_t PLAT_REG_BINARY = 3;
inline constexpr uint32_t PLAT_REG_DWORD = 4;
inline constexpr uint32_t PLAT_REG_MULTI_SZ = 7;
inline constexpr uint32_t PLAT_REG_QWORD = 11;

// Access rights of a key handle.
inline constexpr uint32_t PLAT_KEY_QUERY_VALUE = 0x1;
inline constexpr uint32_t PLAT_KEY_SET_VALUE = 0x2;
inline constexpr uint32_t PLAT_KEY_CREATE_SUB_KEY = 0x4;
inline constexpr uint32_t PLAT_KEY_ENUMERATE_SUB_KEYS = 0x8;
inline constexpr uint32_t PLAT_KEY_READ = PLAT_KEY_QUERY_VALUE | PLAT_KEY_ENUMERATE_SUB_KEYS;
inline constexpr uint32_t PLAT_KEY_WRITE = PLAT_KEY_SET_VALUE | PLAT_KEY_CREATE_SUB_KEY;
inline constexpr uint32_t PLAT_KEY_ALL_ACCESS = PLAT_KEY_READ | PLAT_KEY_WRITE;

// Status of every call; the numbers are the usual system error numbers.
using PlatRegStatus = int32_t;
inline constexpr PlatRegStatus PLAT_ERROR_SUCCESS = 0;
inline constexpr PlatRegStatus PLAT_ERROR_FILE_NOT_FOUND = 2;  // no such key or value
inline constexpr PlatRegStatus PLAT_ERROR_ACCESS_DENIED =
    5;  // handle lacks the right; key has subkeys
inline constexpr PlatRegStatus PLAT_ERROR_INVALID_HANDLE = 6;
inline constexpr PlatRegStatus PLAT_ERROR_INVALID_PARAMETER = 87;
inline constexpr PlatRegStatus PLAT_ERROR_MORE_DATA =
    234;  // buffer too small; size says what is needed
inline constexpr PlatRegStatus PLAT_ERROR_NO_MORE_ITEMS = 259;
inline constexpr PlatRegStatus PLAT_ERROR_BADDB = 1009;  // file cannot be parsed
inline constexpr PlatRegStatus PLAT_ERROR_CANTREAD = 1012;
inline constexpr PlatRegStatus PLAT_ERROR_CANTWRITE = 1013;
inline constexpr PlatRegStatus PLAT_ERROR_KEY_DELETED = 1018;  // the handle's key is gone

// Largest store file read, far beyond any real configuration; a larger
// one is refused (PLAT_ERROR_CANTREAD), as is anything but a regular file.
inline constexpr size_t PLAT_REG_FILE_MAX = 16u << 20;

// Longest key name component and value name, in characters.
inline constexpr uint32_t PLAT_REG_KEY_NAME_MAX = 255;
// Most levels of keys below the root: deeper paths are refused when read
// and when created, as a tree that deep could only come from a broken file.
inline constexpr uint32_t PLAT_REG_DEPTH_MAX = 512;
inline constexpr uint32_t PLAT_REG_VALUE_NAME_MAX = 16383;

// Opens an existing key. subkey is a backslash-separated path below parent;
// "" opens parent itself again.
PlatRegStatus PlatRegOpenKey(PlatRegKey* parent, const char* subkey, uint32_t access,
                             PlatRegKey** result);
// Opens a key, creating every missing level. Needs PLAT_KEY_CREATE_SUB_KEY
// on parent, also when the key exists.
// created (may be NULL) tells whether the last level was new.
PlatRegStatus PlatRegCreateKey(PlatRegKey* parent, const char* subkey, uint32_t access,
                               PlatRegKey** result, bool* created);
PlatRegStatus PlatRegCloseKey(PlatRegKey* key);

// Reads a value. type and data may be NULL; size may be NULL only with data
// NULL. In: the room of data; out: the value's size. A room too small gives
// PLAT_ERROR_MORE_DATA with the size needed and data untouched.
PlatRegStatus PlatRegQueryValue(PlatRegKey* key, const char* name, uint32_t* type, void* data,
                                uint32_t* size);
// Creates or replaces a value; needs PLAT_KEY_SET_VALUE.
PlatRegStatus PlatRegSetValue(PlatRegKey* key, const char* name, uint32_t type, const void* data,
                              uint32_t size);
// Needs PLAT_KEY_SET_VALUE.
PlatRegStatus PlatRegDeleteValue(PlatRegKey* key, const char* name);
// Deletes a key that has no subkeys (PLAT_ERROR_ACCESS_DENIED otherwise),
// with its values.
PlatRegStatus PlatRegDeleteKey(PlatRegKey* parent, const char* subkey);

// The index-th value of key, in file order. name_size: in, the room of name
// in characters with the terminator; out, the name's length without it, or
// with PLAT_ERROR_MORE_DATA the room needed. type, data and data_size as in
// PlatRegQueryValue. PLAT_ERROR_NO_MORE_ITEMS past the last value.
PlatRegStatus PlatRegEnumValue(PlatRegKey* key, uint32_t index, char* name, uint32_t* name_size,
                               uint32_t* type, void* data, uint32_t* data_size);
// The index-th subkey's name, sizes as in PlatRegEnumValue.
PlatRegStatus PlatRegEnumKey(PlatRegKey* key, uint32_t index, char* name, uint32_t* name_size);

// The store's file path as now configured; length written, 0 when it does
// not fit or no path can be formed (no HOME).
size_t PlatRegPath(char* buffer, size_t room);
// Text of this thread's last failure with a cause worth telling (a parse
// error with file and line number, a failed read or write); length written.
size_t PlatRegErrorDetail(char* buffer, size_t room);
