// The build-time check that the codec's named numbers (bacnet/bacnet_enums.h)
// and the name lists agree: a constant's name spells the list's name at its
// value, in any case, with '_' for '-' or ' '.
#pragma once

#include <cstddef>
#include <string_view>

#include "runtime/platform/plat_ascii.h"

consteval bool EnumNameSpells(std::string_view name, std::string_view constant) {
  if (name.size() != constant.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i] == '-' || name[i] == ' ' ? '_' : PlatAsciiLower(name[i]);
    if (c != PlatAsciiLower(constant[i])) return false;
  }
  return true;
}

template <size_t N>
consteval bool EnumListNames(const char* const (&list)[N], size_t value,
                             std::string_view constant) {
  return value < N && list[value] && EnumNameSpells(list[value], constant);
}

// ENUM_NAME_CHECK(kProperties, BACNET_PROP_, OBJECT_LIST)
#define ENUM_NAME_CHECK(list, prefix, name) \
  static_assert(EnumListNames(list, prefix##name, #name), #prefix #name " is not named so")
