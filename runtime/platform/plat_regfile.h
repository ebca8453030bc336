#pragma once
// The registry's tree in memory and its text form (see README,
// "Configuration store"). Internal to the platform layer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct RegValue {
  std::string name;
  uint32_t type;
  std::vector<unsigned char> data;
};

struct RegTree {
  std::string name;
  std::vector<RegValue> values;
  std::vector<std::unique_ptr<RegTree>> subkeys;
};

// ASCII case-insensitive, as names are compared.
bool RegNameEqual(std::string_view a, std::string_view b);
RegTree* RegFindSubkey(const RegTree& key, std::string_view name);
RegValue* RegFindValue(RegTree& key, std::string_view name);

// A name that the text form can hold: no control characters, for keys no
// backslash and not empty, within the length limits.
bool RegKeyNameValid(std::string_view name);
bool RegValueNameValid(std::string_view name);
// A name that a section line takes for the root itself (HKEY_LOCAL_MACHINE).
bool RegIsRootName(std::string_view name);

struct RegParseError {
  unsigned line;
  std::string message;
};

// Replaces root's contents with the tree the text describes; false with the
// line and cause on the first error (root is then unspecified).
bool RegParse(std::string_view text, RegTree* root, RegParseError* error);
// The text form of the tree; RegParse of it gives the same tree.
std::string RegFormat(const RegTree& root);
