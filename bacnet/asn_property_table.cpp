// Per-object-type property tables. Each entry is property:row followed by
// its flags: o optional, n may be NULL, a array, l list.
#include <array>
#include <cstddef>
#include <string_view>

#include "bacnet/asn_property.h"

namespace {

template <size_t N>
struct PropertyList {
  AsnPropertyEntry entries[N];
  uint32_t count = N;
};

constexpr size_t CountEntries(std::string_view text) {
  size_t n = 0;
  bool inWord = false;
  for (char c : text) {
    if (c != ' ' && !inWord) ++n;
    inWord = c != ' ';
  }
  return n;
}

constexpr uint32_t Number(std::string_view text, size_t& i) {
  if (i >= text.size() || text[i] < '0' || text[i] > '9') throw "digit expected";
  uint32_t v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9')
    v = v * 10 + uint32_t(text[i++] - '0');
  return v;
}

constexpr uint16_t Flag(char c) {
  switch (c) {
    case 'o':
      return kAsnPropOptional;
    case 'n':
      return kAsnPropMayBeNull;
    case 'a':
      return kAsnPropArray;
    case 'l':
      return kAsnPropList;
  }
  throw "unknown flag";
}

template <size_t N>
consteval PropertyList<N> Parse(std::string_view text) {
  PropertyList<N> list{};
  size_t i = 0;
  for (size_t k = 0; k < N; ++k) {
    while (text[i] == ' ')
      ++i;
    uint32_t property = Number(text, i);
    if (text[i++] != ':') throw "':' expected";
    uint32_t row = Number(text, i);
    if (property > 0xFFFF || row > 0xFF) throw "out of range";
    uint16_t flags = 0;
    while (i < text.size() && text[i] != ' ')
      flags |= Flag(text[i++]);
    if (k > 0 && list.entries[k - 1].property >= property) throw "not sorted";
    list.entries[k] = {uint16_t(property), uint16_t(row << 8 | flags)};
  }
  return list;
}

#define ASN_PROPERTIES(text) Parse<CountEntries(text)>(text)

constexpr auto kGeneric = ASN_PROPERTIES("75:35 77:17 79:42");

constexpr auto kAnalogInput = ASN_PROPERTIES(  // analog-input (0)
    "0:28o 17:3o 22:15o 25:15o 28:17o 31:17o 35:28o 36:46 45:15o 52:30o 59:15o "
    "65:15o 69:15o 72:48o 75:35 77:17 79:42 81:2 85:15 103:49o 106:15o 111:32 "
    "113:3o 117:45 118:3o 130:137oa 168:17o");
constexpr auto kAnalogOutput = ASN_PROPERTIES(  // analog-output (1)
    "0:28o 17:3o 22:15o 25:15o 28:17o 31:17o 35:28o 36:46 45:15o 52:30o 59:15o "
    "65:15o 69:15o 72:48o 75:35 77:17 79:42 81:2 85:15 87:80a 103:49o 104:15 "
    "106:15o 111:32 113:3o 117:45 130:137oa 168:17o");
constexpr auto kAnalogValue = ASN_PROPERTIES(  // analog-value (2)
    "0:28o 17:3o 22:15o 25:15o 28:17o 35:28o 36:46 45:15o 52:30o 59:15o 72:48o "
    "75:35 77:17 79:42 81:2 85:15 87:80oa 103:49o 104:15o 111:32 113:3o 117:45 "
    "130:137oa 168:17o");
constexpr auto kBinaryInput = ASN_PROPERTIES(  // binary-input (3)
    "0:28o 4:17o 6:44o 15:3o 16:87o 17:3o 28:17o 31:17o 33:3o 35:28o 36:46 "
    "46:17o 72:48o 75:35 77:17 79:42 81:2 84:50 85:44 103:49o 111:32 113:3o "
    "114:87o 115:87o 130:137oa 168:17o");
constexpr auto kBinaryOutput = ASN_PROPERTIES(  // binary-output (4)
    "0:28o 4:17o 15:3o 16:87o 17:3o 28:17o 31:17o 33:3o 35:28o 36:46 40:44o "
    "46:17o 66:3o 67:3o 72:48o 75:35 77:17 79:42 81:2 84:50 85:44 87:81a 103:49o "
    "104:44 111:32 113:3o 114:87o 115:87o 130:137oa 168:17o");
constexpr auto kBinaryValue = ASN_PROPERTIES(  // binary-value (5)
    "0:28o 4:17o 6:44o 15:3o 16:87o 17:3o 28:17o 33:3o 35:28o 36:46 46:17o 66:3o "
    "67:3o 72:48o 75:35 77:17 79:42 81:2 85:44 87:81oa 103:49o 104:44o 111:32 "
    "113:3o 114:87o 115:87o 130:137oa 168:17o");
constexpr auto kCalendar = ASN_PROPERTIES(  // calendar (6)
    "23:86l 28:17o 75:35 77:17 79:42 85:2 168:17o");
constexpr auto kCommand = ASN_PROPERTIES(  // command (7)
    "2:94al 3:17oal 9:2 28:17o 47:2 75:35 77:17 79:42 85:3 168:17o");
constexpr auto kDevice = ASN_PROPERTIES(  // device (8)
    "5:148ol 10:3o 11:3 12:17 24:2o 28:17o 30:96l 44:17 55:149ol 56:37o 57:38o "
    "58:17o 62:3 63:3o 64:13o 70:17 73:3 75:35 76:35al 77:17 79:42 95:11 96:29 "
    "97:31 98:3 107:51 112:52 116:97ol 119:14o 120:6 121:17 122:73ol 139:3 "
    "152:144ol 153:6o 154:35oal 155:3 157:137o 167:3o 168:17o 169:2oal 170:96ol "
    "171:96ol 172:2oal 193:2o 195:3o 196:76o 202:97ol 203:137o 204:3o 206:97ol "
    "209:35oal");
constexpr auto kEventEnrollment = ASN_PROPERTIES(  // event-enrollment (9)
    "0:28 17:3 28:17o 35:28 36:46 37:47 51:2o 72:48 75:35 77:17 78:101 79:42 "
    "83:116 86:3o 89:3o 101:97on 130:137a 168:17o");
constexpr auto kFile = ASN_PROPERTIES(  // file (10)
    "13:2 28:17o 41:58 42:3 43:17 71:87 75:35 77:17 79:42 99:2 141:3o 168:17o");
constexpr auto kGroup = ASN_PROPERTIES(  // group (11)
    "28:17o 53:141l 75:35 77:17 79:42 85:140l 168:17o");
constexpr auto kLoop = ASN_PROPERTIES(  // loop (12)
    "0:28o 2:59 14:15o 17:3o 19:102 20:45 21:15 22:15o 25:15o 26:15o 27:45o "
    "28:17o 34:15o 35:28o 36:46 49:15o 50:45o 60:102 61:15o 68:15o 72:48o 75:35 "
    "77:17 79:42 81:2 82:45 85:15 88:12 93:15o 94:45o 103:49o 108:15 109:133 "
    "111:32 113:3o 118:3o 130:137oa 168:17o");
constexpr auto kMultiStateInput = ASN_PROPERTIES(  // multi-state-input (13)
    "0:28o 7:4ol 17:3o 28:17o 31:17o 35:28o 36:46 39:4ol 72:48o 74:3 75:35 77:17 "
    "79:42 81:2 85:3 103:49o 110:17oal 111:32 113:3o 130:137oa 168:17o");
constexpr auto kMultiStateOutput = ASN_PROPERTIES(  // multi-state-output (14)
    "0:28o 17:3o 28:17o 31:17o 35:28o 36:46 40:3o 72:48o 74:3 75:35 77:17 79:42 "
    "81:2 85:3 87:82a 103:49o 104:3 110:17oal 111:32 113:3o 130:137oa 168:17o");
constexpr auto kNotificationClass = ASN_PROPERTIES(  // notification-class (15)
    "1:28 17:3 28:17o 75:35 77:17 79:42 86:3a 102:98l 168:17o");
constexpr auto kProgram = ASN_PROPERTIES(  // program (16)
    "28:17o 29:17o 48:17o 75:35 77:17 79:42 81:2 90:61 91:17o 92:60 100:62o "
    "103:49o 111:32 168:17o");
constexpr auto kSchedule = ASN_PROPERTIES(  // schedule (17)
    "28:17o 32:85 38:136oal 54:101l 75:35 77:17 79:42 81:2 85:77 88:12 103:49 "
    "111:32 123:89oa 168:17o 174:77");
constexpr auto kAveraging = ASN_PROPERTIES(  // averaging (18)
    "28:17o 75:35 77:17 78:101 79:42 124:3 125:15 135:15 136:15 146:3 147:3 "
    "148:3 149:87o 150:87o 151:15o 168:17o");
constexpr auto kMultiStateValue = ASN_PROPERTIES(  // multi-state-value (19)
    "0:28o 7:4ol 17:3o 28:17o 35:28o 36:46 39:4ol 72:48o 74:3 75:35 77:17 79:42 "
    "81:2 85:3 87:82oa 103:49o 104:3o 110:17oal 111:32 113:3o 130:137oa 168:17o");
constexpr auto kTrendLog = ASN_PROPERTIES(  // trend-log (20)
    "0:28o 17:3o 28:17o 35:28o 36:46 72:48o 75:35 77:17 79:42 103:49o 111:32 "
    "126:3 127:143o 128:3o 129:87o 130:137oa 131:147l 132:101o 133:2 134:3o "
    "137:3o 138:87o 140:3o 141:3 142:87o 143:87o 144:2 145:5 168:17o 173:5o "
    "193:2o 195:3o 197:75 205:2o");
constexpr auto kLifeSafetyPoint = ASN_PROPERTIES(  // life-safety-point (21)
    "0:28o 7:53ol 17:3o 28:17o 31:17o 35:28o 36:46 39:53ol 72:48o 75:35 77:17 "
    "79:42 81:2 85:53 103:49 111:32 113:3o 117:45o 130:137oa 156:15o 158:54o "
    "159:145ol 160:56 161:57 162:7o 163:55 164:53 166:53ol 168:17o 175:56l");
constexpr auto kLifeSafetyZone = ASN_PROPERTIES(  // life-safety-zone (22)
    "0:28o 7:53ol 17:3o 28:17o 31:17o 35:28o 36:46 39:53ol 72:48o 75:35 77:17 "
    "79:42 81:2 85:53 103:49 111:32 113:3o 130:137oa 158:2o 159:145ol 160:56 "
    "161:57 163:55 164:53 165:145l 166:53ol 168:17o 175:56l");
constexpr auto kAccumulator = ASN_PROPERTIES(  // accumulator (23)
    "0:28o 17:3o 28:17o 31:17o 35:28o 36:46 45:3o 52:30o 59:3o 65:3 72:48o 75:35 "
    "77:17 79:42 81:2 85:3 103:49o 111:32 113:3o 117:45 130:137oa 168:17o 182:3o "
    "183:35o 184:90o 185:91o 186:3o 187:92 190:3o 191:3o 192:87o");
constexpr auto kPulseConverter = ASN_PROPERTIES(  // pulse-converter (24)
    "0:28o 17:3o 22:15o 25:15o 28:17o 35:28o 36:46 45:15o 52:30o 59:15o 72:48o "
    "75:35 77:17 79:42 81:2 85:15 103:49o 111:32 113:3o 117:45 130:137oa 168:17o "
    "176:15 177:3 178:3 179:87 180:3o 181:102o 188:15 189:87");
constexpr auto kEventLog = ASN_PROPERTIES(  // event-log (25)
    "0:28o 17:3o 28:17o 35:28o 36:46 72:48o 75:35 77:17 79:42 103:49o 111:32 "
    "126:5 130:137oa 131:152l 133:2 137:5o 140:5o 141:5 142:87o 143:87o 144:2 "
    "145:5 168:17o 173:5o");
constexpr auto kTrendLogMultiple = ASN_PROPERTIES(  // trend-log-multiple (27)
    "0:28o 17:3o 28:17o 35:28o 36:46 72:48o 75:35 77:17 79:42 103:49o 111:32 "
    "126:5 130:137oa 131:155l 132:101al 133:2 134:3 137:5o 140:5o 141:5 142:87o "
    "143:87o 144:2 145:5 168:17o 173:5o 193:2o 195:3o 197:75 205:2o");
constexpr auto kLoadControl = ASN_PROPERTIES(  // load-control (28)
    "0:28o 17:3o 28:17o 35:28o 36:46 72:48o 75:35 77:17 79:42 85:64 103:49o "
    "111:32 113:3o 130:137oa 133:2 142:87 168:17o 212:134 213:3 214:134 215:15o "
    "218:134 219:3 220:17al 221:3al 222:17o");
constexpr auto kStructuredView = ASN_PROPERTIES(  // structured-view (29)
    "28:17o 75:35 77:17 79:42 168:17o 207:17o 208:63 210:17oal 211:145al");
constexpr auto kAccessDoor = ASN_PROPERTIES(  // access-door (30)
    "0:28o 7:70ol 17:3o 28:17o 31:17o 35:28o 36:46 39:70ol 72:48o 75:35 77:17 "
    "79:42 81:2 85:65 87:83a 103:49 104:66 111:32 113:3o 130:137oa 158:54o "
    "168:17o 226:70o 227:3 228:145oal 229:3 230:3 231:69o 232:3o 233:67o "
    "234:70ol 235:68o");

constexpr AsnObjectTypeRow kObjectTypeRows[] = {
    {0, kAnalogInput.entries, kAnalogInput.count},
    {1, kAnalogOutput.entries, kAnalogOutput.count},
    {2, kAnalogValue.entries, kAnalogValue.count},
    {3, kBinaryInput.entries, kBinaryInput.count},
    {4, kBinaryOutput.entries, kBinaryOutput.count},
    {5, kBinaryValue.entries, kBinaryValue.count},
    {6, kCalendar.entries, kCalendar.count},
    {7, kCommand.entries, kCommand.count},
    {8, kDevice.entries, kDevice.count},
    {9, kEventEnrollment.entries, kEventEnrollment.count},
    {10, kFile.entries, kFile.count},
    {11, kGroup.entries, kGroup.count},
    {12, kLoop.entries, kLoop.count},
    {13, kMultiStateInput.entries, kMultiStateInput.count},
    {14, kMultiStateOutput.entries, kMultiStateOutput.count},
    {15, kNotificationClass.entries, kNotificationClass.count},
    {16, kProgram.entries, kProgram.count},
    {17, kSchedule.entries, kSchedule.count},
    {18, kAveraging.entries, kAveraging.count},
    {19, kMultiStateValue.entries, kMultiStateValue.count},
    {20, kTrendLog.entries, kTrendLog.count},
    {21, kLifeSafetyPoint.entries, kLifeSafetyPoint.count},
    {22, kLifeSafetyZone.entries, kLifeSafetyZone.count},
    {23, kAccumulator.entries, kAccumulator.count},
    {24, kPulseConverter.entries, kPulseConverter.count},
    {25, kEventLog.entries, kEventLog.count},
    {27, kTrendLogMultiple.entries, kTrendLogMultiple.count},
    {28, kLoadControl.entries, kLoadControl.count},
    {29, kStructuredView.entries, kStructuredView.count},
    {30, kAccessDoor.entries, kAccessDoor.count},
};

}  // namespace

std::span<const AsnObjectTypeRow> AsnObjectTypeRows() { return kObjectTypeRows; }

std::span<const AsnPropertyEntry> AsnGenericProperties() {
  return {kGeneric.entries, kGeneric.count};
}
