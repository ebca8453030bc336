// Property values of the simulated devices: the typed text of a site file
// and the encoded octets it stands for. Every element is encoded once, when
// the site is read, with the project's own codec; a value that cannot be
// encoded is refused there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A single value, a BACnet array (readable as a whole, by its length at
// index 0 or one element at index n), or a list (readable only as a whole).
// A single value or a list may still stand for several encoded elements: a
// constructed value (a date-time is a list of a date and a time) or raw
// octets.
enum class VmdValueForm : uint8_t {
  Single,
  Array,
  List
};

struct VmdValue {
  VmdValueForm form = VmdValueForm::Single;
  std::vector<std::vector<uint8_t>> elements;  // each one element's octets
};

// Parses the text of one value (grammar in the README's site file section).
// On failure returns false, with `error` saying what was expected and `at`
// the offset in `text` where it went wrong.
bool VmdValueParse(std::string_view text, VmdValue* value, std::string* error, size_t* at);

// A value that is one double-quoted text, as a character string is written
// (its escapes undone); false with `error` saying what was expected.
bool VmdTextParse(std::string_view text, std::string* out, std::string* error);

// The octets of the whole value: every element in turn.
std::vector<uint8_t> VmdValueOctets(const VmdValue& value);
