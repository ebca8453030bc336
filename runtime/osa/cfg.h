#pragma once
// The configuration store: named settings below the parameters key of the
// registry, addressed by paths such as "Tsml\ConnIPC" (every component but
// the last names a subkey, the last a value). Each component holds at most
// CFG_NAME_MAX characters; a longer one is cut (and the cut logged). Every
// read has a default, so a machine without configuration works.
// Opened by the first OsaInit, closed by the last OsaTerm.

#include <cstddef>
#include <cstdint>

inline constexpr char CFG_PARAMETERS_KEY[] =
    "SYSTEM\\CurrentControlSet\\Services\\Velmora\\Parameters";
inline constexpr size_t CFG_NAME_MAX = 25;

// Opens the parameters key for reading; a missing key is success with no key
// (reads give their defaults).
bool InitCfg(void);
bool CloseCfg(void);
// Creates the parameters key for writing and makes it the store key.
bool CreateCfg(void);

// The stored 4 bytes, or def for a missing entry or one that is not 4 bytes.
// Always true.
bool GetCfgDword(const char* path, uint32_t* result, uint32_t def);
// size: in, the room of buffer; out, the size of the text with its
// terminator. buffer NULL asks for the size. A stored text that does not fit
// gives false with the size needed; a missing entry gives def (NULL: "") or,
// when def does not fit, false with size unchanged.
bool GetCfgString(const char* path, char* buffer, uint32_t* size, const char* def);
// As GetCfgString for a multi-string: strings with their terminators and a
// final empty string. def NULL is the empty multi-string.
bool GetCfgMultiString(const char* path, char* buffer, uint32_t* size, const char* def);

// Writers create the parameters key and the path's subkeys as needed.
bool SetCfgDword(const char* path, uint32_t value);
bool SetCfgString(const char* path, const char* text);
bool SetCfgMultiString(const char* path, const char* multi);
// Deletes the value of that name or else the whole subkey tree of that name.
bool DeleteCfgEntry(const char* path);
