// The properties morbane reads one by one when an object cannot be read
// with ReadPropertyMultiple: a list in reading order per object type 0 to
// 30, and a default list for the other types (and for type 26, which has
// none of its own).
#include "demos/morbane/property_lists.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

constexpr uint32_t kType0[] = {75,  77, 79,  85, 28, 31, 111, 36, 103, 81, 118, 117, 69, 65,
                               106, 22, 113, 17, 45, 59, 25,  52, 35,  0,  72,  130, 168};
constexpr uint32_t kType1[] = {75, 77,  79, 85,  28, 31, 111, 36, 103, 81, 117, 69, 65,  106,
                               87, 104, 22, 113, 17, 45, 59,  25, 52,  35, 0,   72, 130, 168};
constexpr uint32_t kType2[] = {75, 77,  79, 85, 28, 111, 36, 103, 81, 117, 87,  104,
                               22, 113, 17, 45, 59, 25,  52, 35,  0,  72,  130, 168};
constexpr uint32_t kType3[] = {75, 77, 79,  85, 28,  31,  111, 36, 103, 81, 84, 46,  4,
                               16, 15, 115, 33, 114, 113, 17,  6,  35,  0,  72, 130, 168};
constexpr uint32_t kType4[] = {75,  77, 79,  85, 28, 31, 111, 36,  103, 81, 84, 46, 4,  16,  15,
                               115, 33, 114, 66, 67, 87, 104, 113, 17,  40, 35, 0,  72, 130, 168};
constexpr uint32_t kType5[] = {75, 77,  79, 85, 28, 111, 36,  103, 81, 46, 4, 16, 15,  115,
                               33, 114, 66, 67, 87, 104, 113, 17,  6,  35, 0, 72, 130, 168};
constexpr uint32_t kType6[] = {75, 77, 79, 28, 85, 23, 168};
constexpr uint32_t kType7[] = {75, 77, 79, 28, 85, 47, 9, 2, 3, 168};
constexpr uint32_t kType8[] = {75,  77,  79,  112, 121, 120, 70,  44,  12,  58,  28,  98,  139,
                               95,  97,  96,  76,  209, 62,  107, 122, 5,   57,  56,  119, 24,
                               10,  11,  73,  55,  116, 64,  63,  30,  155, 154, 157, 153, 152,
                               167, 172, 169, 171, 170, 196, 203, 202, 206, 204, 193, 195, 168};
constexpr uint32_t kType9[] = {75, 77, 79, 28,  37, 72, 83, 78,  36,
                               35, 0,  17, 101, 89, 86, 51, 130, 168};
constexpr uint32_t kType10[] = {75, 77, 79, 28, 43, 42, 71, 13, 99, 41, 141, 168};
constexpr uint32_t kType11[] = {75, 77, 79, 28, 53, 85, 168};
constexpr uint32_t kType12[] = {75, 77, 79,  85,  28, 111, 36, 103, 81, 118, 82,  60, 19,
                                21, 20, 109, 108, 2,  93,  94, 49,  50, 26,  27,  14, 61,
                                68, 88, 22,  113, 17, 34,  25, 35,  0,  72,  130, 168};
constexpr uint32_t kType13[] = {75,  77,  79, 85, 28, 31, 111, 36, 103, 81, 74,
                                110, 113, 17, 7,  39, 35, 0,   72, 130, 168};
constexpr uint32_t kType14[] = {75,  77, 79,  85,  28, 31, 111, 36, 103, 81,  74,
                                110, 87, 104, 113, 17, 40, 35,  0,  72,  130, 168};
constexpr uint32_t kType15[] = {75, 77, 79, 28, 17, 86, 1, 102, 168};
constexpr uint32_t kType16[] = {75, 77, 79, 92, 90, 100, 29, 91, 28, 48, 111, 103, 81, 168};
constexpr uint32_t kType17[] = {75, 77, 79, 85, 28, 32, 123, 38, 54, 88, 174, 111, 103, 81, 168};
constexpr uint32_t kType18[] = {75,  77, 79,  136, 150, 125, 151, 135,
                                149, 28, 124, 146, 78,  147, 148, 168};
constexpr uint32_t kType19[] = {75, 77,  79,  85, 28, 111, 36, 103, 81, 74,  110,
                                87, 104, 113, 17, 7,  39,  35, 0,   72, 130, 168};
// The trend log's list names 168 twice, so it is read and printed twice.
constexpr uint32_t kType20[] = {75,  77,  79,  28,  133, 142, 143, 132, 134, 128, 127, 144,
                                126, 131, 141, 145, 137, 140, 138, 129, 36,  17,  35,  0,
                                72,  130, 168, 173, 168, 197, 193, 195, 205, 111, 103};
constexpr uint32_t kType21[] = {75, 77,  79,  85,  164, 28,  31,  111, 36,  103,
                                81, 160, 175, 113, 17,  166, 7,   39,  35,  0,
                                72, 130, 163, 161, 158, 162, 156, 117, 159, 168};
constexpr uint32_t kType22[] = {75, 77,  79, 85, 164, 28, 31, 111, 36,  103, 81,  160, 175, 113,
                                17, 166, 7,  39, 35,  0,  72, 130, 163, 161, 158, 165, 159, 168};
constexpr uint32_t kType23[] = {75,  77,  79,  85,  28,  31,  111, 36,  103, 81, 187,
                                117, 185, 65,  192, 190, 191, 184, 183, 186, 45, 59,
                                182, 17,  113, 52,  35,  0,   72,  130, 168};
constexpr uint32_t kType24[] = {75,  77,  79,  28,  85,  181, 111, 36, 103, 81,
                                117, 188, 176, 177, 189, 179, 178, 22, 180, 17,
                                113, 45,  59,  25,  52,  35,  0,   72, 130, 168};
constexpr uint32_t kType25[] = {75,  77,  79,  28,  111, 36,  103, 133, 142, 143, 144, 126,
                                131, 141, 145, 137, 140, 173, 17,  35,  0,   72,  130, 168};
constexpr uint32_t kType27[] = {75,  77,  79,  28,  111, 36,  103, 133, 142, 143,
                                132, 197, 134, 193, 195, 205, 144, 126, 131, 141,
                                145, 137, 140, 173, 17,  35,  0,   72,  130, 168};
constexpr uint32_t kType28[] = {75,  77,  79,  28,  85,  222, 111, 36,  103, 218, 142, 219, 213,
                                133, 215, 214, 212, 221, 220, 17,  113, 35,  0,   72,  130, 168};
constexpr uint32_t kType29[] = {75, 77, 79, 28, 208, 207, 211, 210, 168};
constexpr uint32_t kType30[] = {75,  77,  79,  85,  28,  111, 36,  103, 81,  87,  104,
                                231, 233, 235, 228, 230, 227, 232, 229, 226, 234, 158,
                                113, 17,  7,   39,  35,  0,   72,  130, 168};

constexpr uint32_t kDefaultList[] = {75,  77,  79,  85,  28,  117, 111, 103, 36,  81,  87,  104,
                                     17,  113, 7,   39,  35,  0,   72,  124, 125, 126, 127, 128,
                                     129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140,
                                     141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151};

constexpr std::array<std::span<const uint32_t>, 31> kListsByType = {{
    kType0,  kType1,  kType2,  kType3,  kType4,  kType5,  kType6,  kType7,
    kType8,  kType9,  kType10, kType11, kType12, kType13, kType14, kType15,
    kType16, kType17, kType18, kType19, kType20, kType21, kType22, kType23,
    kType24, kType25, {},      kType27, kType28, kType29, kType30,
}};

constexpr uint32_t kNoEntry = 0xFFFFFFFF;

std::span<const uint32_t> ListOf(uint32_t type) {
  return type < kListsByType.size() ? kListsByType[type] : std::span<const uint32_t>();
}

bool CopyList(std::span<const uint32_t> list, uint32_t* array, uint32_t room, uint32_t* count) {
  if (count) *count = 0;
  if (list.empty() || !array || !count || room < list.size()) return false;
  std::copy(list.begin(), list.end(), array);
  *count = uint32_t(list.size());
  return true;
}

}  // namespace

uint32_t PropertyListTypeCount() { return uint32_t(kListsByType.size()); }

uint32_t PropertyListCount(uint32_t type) { return uint32_t(ListOf(type).size()); }

const uint32_t* PropertyList(uint32_t type) {
  std::span<const uint32_t> list = ListOf(type);
  return list.empty() ? nullptr : list.data();
}

uint32_t PropertyListEntry(uint32_t type, uint32_t j) {
  std::span<const uint32_t> list = ListOf(type);
  return j < list.size() ? list[j] : kNoEntry;
}

uint32_t DefaultPropertyListCount() { return uint32_t(std::size(kDefaultList)); }

const uint32_t* DefaultPropertyList() { return kDefaultList; }

uint32_t PropertyListMaxCount() {
  size_t largest = 0;
  for (std::span<const uint32_t> list : kListsByType)
    largest = std::max(largest, list.size());
  return uint32_t(largest);
}

bool PropertyListCopy(uint32_t type, uint32_t* array, uint32_t room, uint32_t* count) {
  return CopyList(ListOf(type), array, room, count);
}

bool DefaultPropertyListCopy(uint32_t* array, uint32_t room, uint32_t* count) {
  return CopyList(kDefaultList, array, room, count);
}

std::span<const uint32_t> PropertyListForType(uint32_t type) {
  std::span<const uint32_t> list = ListOf(type);
  return list.empty() ? std::span<const uint32_t>(kDefaultList) : list;
}
