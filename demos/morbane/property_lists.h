// The property identifiers morbane reads one by one, per object type
// (0 to 30), when ReadPropertyMultiple cannot read an object; types
// without a list of their own use the default list.
#pragma once

#include <cstdint>
#include <span>

// 31: the types 0 to 30.
uint32_t PropertyListTypeCount();
// The type's list and its length; no list (0, NULL) above 30 and for 26.
uint32_t PropertyListCount(uint32_t type);
const uint32_t* PropertyList(uint32_t type);
// Entry j of the type's list; all ones past its end.
uint32_t PropertyListEntry(uint32_t type, uint32_t j);
// 47 identifiers.
uint32_t DefaultPropertyListCount();
const uint32_t* DefaultPropertyList();
// The length of the longest list of a type.
uint32_t PropertyListMaxCount();
// Copies the list when room holds it; false with *count 0 otherwise, and
// for a type without a list.
bool PropertyListCopy(uint32_t type, uint32_t* array, uint32_t room, uint32_t* count);
bool DefaultPropertyListCopy(uint32_t* array, uint32_t room, uint32_t* count);

// What is read of an object of the type: its list, or the default list.
std::span<const uint32_t> PropertyListForType(uint32_t type);
