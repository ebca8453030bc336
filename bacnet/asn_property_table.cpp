// Per-object-type property tables. Each entry is property:row, the row by
// its name (bacnet/asn_schema_rows.h), then /flags where it has any:
// o optional, n may be NULL, a array, l list.
#include <array>
#include <cstddef>
#include <string_view>

#include "bacnet/asn_property.h"
#include "bacnet/asn_schema_rows.h"
#include "bacnet/bacnet_enums.h"

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

constexpr uint16_t Row(std::string_view text, size_t& i) {
  const size_t start = i;
  while (i < text.size() && text[i] != ' ' && text[i] != '/')
    ++i;
  for (const AsnSchemaRowName& r : kAsnSchemaRowNames)
    if (r.name == text.substr(start, i - start)) return r.row;
  throw "unknown row name";
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
    uint32_t row = Row(text, i);
    if (property > 0xFFFF || row > 0xFF) throw "out of range";
    uint16_t flags = 0;
    if (i < text.size() && text[i] == '/') {
      ++i;
      while (i < text.size() && text[i] != ' ')
        flags |= Flag(text[i++]);
    }
    if (k > 0 && list.entries[k - 1].property >= property) throw "not sorted";
    list.entries[k] = {uint16_t(property), uint16_t(row << 8 | flags)};
  }
  return list;
}

#define ASN_PROPERTIES(text) Parse<CountEntries(text)>(text)

constexpr auto kGeneric = ASN_PROPERTIES("75:ObjectId 77:CharString 79:ObjectType");

constexpr auto kAnalogInput = ASN_PROPERTIES(  // analog-input (0)
    "0:TransitionBits/o 17:Unsigned/o 22:Real/o 25:Real/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 45:Real/o 52:LimitEnable/o 59:Real/o 65:Real/o "
    "69:Real/o 72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 81:Boolean 85:Real "
    "103:Reliability/o 106:Real/o 111:StatusFlags 113:Unsigned/o 117:Enum16 118:Unsigned/o "
    "130:TimeStamp/oa 168:CharString/o");
constexpr auto kAnalogOutput = ASN_PROPERTIES(  // analog-output (1)
    "0:TransitionBits/o 17:Unsigned/o 22:Real/o 25:Real/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 45:Real/o 52:LimitEnable/o 59:Real/o 65:Real/o "
    "69:Real/o 72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 81:Boolean 85:Real "
    "87:PriorityReal/a 103:Reliability/o 104:Real 106:Real/o 111:StatusFlags 113:Unsigned/o "
    "117:Enum16 130:TimeStamp/oa 168:CharString/o");
constexpr auto kAnalogValue = ASN_PROPERTIES(  // analog-value (2)
    "0:TransitionBits/o 17:Unsigned/o 22:Real/o 25:Real/o 28:CharString/o 35:TransitionBits/o "
    "36:EventState 45:Real/o 52:LimitEnable/o 59:Real/o 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:Real 87:PriorityReal/oa 103:Reliability/o "
    "104:Real/o 111:StatusFlags 113:Unsigned/o 117:Enum16 130:TimeStamp/oa 168:CharString/o");
constexpr auto kBinaryInput = ASN_PROPERTIES(  // binary-input (3)
    "0:TransitionBits/o 4:CharString/o 6:Binary/o 15:Unsigned/o 16:DateTime/o 17:Unsigned/o "
    "28:CharString/o 31:CharString/o 33:Unsigned/o 35:TransitionBits/o 36:EventState "
    "46:CharString/o 72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 81:Boolean "
    "84:MessagePriority 85:Binary 103:Reliability/o 111:StatusFlags 113:Unsigned/o "
    "114:DateTime/o 115:DateTime/o 130:TimeStamp/oa 168:CharString/o");
constexpr auto kBinaryOutput = ASN_PROPERTIES(  // binary-output (4)
    "0:TransitionBits/o 4:CharString/o 15:Unsigned/o 16:DateTime/o 17:Unsigned/o "
    "28:CharString/o 31:CharString/o 33:Unsigned/o 35:TransitionBits/o 36:EventState "
    "40:Binary/o 46:CharString/o 66:Unsigned/o 67:Unsigned/o 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 84:MessagePriority 85:Binary 87:PriorityBinary/a "
    "103:Reliability/o 104:Binary 111:StatusFlags 113:Unsigned/o 114:DateTime/o "
    "115:DateTime/o 130:TimeStamp/oa 168:CharString/o");
constexpr auto kBinaryValue = ASN_PROPERTIES(  // binary-value (5)
    "0:TransitionBits/o 4:CharString/o 6:Binary/o 15:Unsigned/o 16:DateTime/o 17:Unsigned/o "
    "28:CharString/o 33:Unsigned/o 35:TransitionBits/o 36:EventState 46:CharString/o "
    "66:Unsigned/o 67:Unsigned/o 72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType "
    "81:Boolean 85:Binary 87:PriorityBinary/oa 103:Reliability/o 104:Binary/o 111:StatusFlags "
    "113:Unsigned/o 114:DateTime/o 115:DateTime/o 130:TimeStamp/oa 168:CharString/o");
constexpr auto kCalendar = ASN_PROPERTIES(  // calendar (6)
    "23:CalendarEntry/l 28:CharString/o 75:ObjectId 77:CharString 79:ObjectType 85:Boolean "
    "168:CharString/o");
constexpr auto kCommand = ASN_PROPERTIES(  // command (7)
    "2:ActionList/al 3:CharString/oal 9:Boolean 28:CharString/o 47:Boolean 75:ObjectId "
    "77:CharString 79:ObjectType 85:Unsigned 168:CharString/o");
constexpr auto kDevice = ASN_PROPERTIES(  // device (8)
    "5:VtSession/ol 10:Unsigned/o 11:Unsigned 12:CharString 24:Boolean/o 28:CharString/o "
    "30:AddressBinding/l 44:CharString 55:SessionKey/ol 56:Date/o 57:Time/o 58:CharString/o "
    "62:Unsigned 63:Unsigned/o 64:MaxMaster/o 70:CharString 73:Unsigned 75:ObjectId "
    "76:ObjectId/al 77:CharString 79:ObjectType 95:ConformanceClass 96:BitString "
    "97:ServicesSupported 98:Unsigned 107:Segmentation 112:DeviceStatus 116:Recipient/ol "
    "119:Signed/o 120:Unsigned16 121:CharString 122:VtClass/ol 139:Unsigned "
    "152:CovSubscription/ol 153:Unsigned16/o 154:ObjectId/oal 155:Unsigned 157:TimeStamp/o "
    "167:Unsigned/o 168:CharString/o 169:Boolean/oal 170:AddressBinding/ol "
    "171:AddressBinding/ol 172:Boolean/oal 193:Boolean/o 195:Unsigned/o 196:RestartReason/o "
    "202:Recipient/ol 203:TimeStamp/o 204:Unsigned/o 206:Recipient/ol 209:ObjectId/oal");
constexpr auto kEventEnrollment = ASN_PROPERTIES(  // event-enrollment (9)
    "0:TransitionBits 17:Unsigned 28:CharString/o 35:TransitionBits 36:EventState "
    "37:EventType 51:Boolean/o 72:NotifyType 75:ObjectId 77:CharString 78:DevObjPropRef "
    "79:ObjectType 83:EventParameter 86:Unsigned/o 89:Unsigned/o 101:Recipient/on "
    "130:TimeStamp/a 168:CharString/o");
constexpr auto kFile = ASN_PROPERTIES(  // file (10)
    "13:Boolean 28:CharString/o 41:FileAccessMethod 42:Unsigned 43:CharString 71:DateTime "
    "75:ObjectId 77:CharString 79:ObjectType 99:Boolean 141:Unsigned/o 168:CharString/o");
constexpr auto kGroup = ASN_PROPERTIES(  // group (11)
    "28:CharString/o 53:ReadAccessSpec/l 75:ObjectId 77:CharString 79:ObjectType "
    "85:ReadAccessResult/l 168:CharString/o");
constexpr auto kLoop = ASN_PROPERTIES(  // loop (12)
    "0:TransitionBits/o 2:Action 14:Real/o 17:Unsigned/o 19:ObjPropRef 20:Enum16 21:Real "
    "22:Real/o 25:Real/o 26:Real/o 27:Enum16/o 28:CharString/o 34:Real/o 35:TransitionBits/o "
    "36:EventState 49:Real/o 50:Enum16/o 60:ObjPropRef 61:Real/o 68:Real/o 72:NotifyType/o "
    "75:ObjectId 77:CharString 79:ObjectType 81:Boolean 82:Enum16 85:Real 88:WritePriority "
    "93:Real/o 94:Enum16/o 103:Reliability/o 108:Real 109:SetpointReference 111:StatusFlags "
    "113:Unsigned/o 118:Unsigned/o 130:TimeStamp/oa 168:CharString/o");
constexpr auto kMultiStateInput = ASN_PROPERTIES(  // multi-state-input (13)
    "0:TransitionBits/o 7:StateNumber/ol 17:Unsigned/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 39:StateNumber/ol 72:NotifyType/o 74:Unsigned "
    "75:ObjectId 77:CharString 79:ObjectType 81:Boolean 85:Unsigned 103:Reliability/o "
    "110:CharString/oal 111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa 168:CharString/o");
constexpr auto kMultiStateOutput = ASN_PROPERTIES(  // multi-state-output (14)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 31:CharString/o 35:TransitionBits/o "
    "36:EventState 40:Unsigned/o 72:NotifyType/o 74:Unsigned 75:ObjectId 77:CharString "
    "79:ObjectType 81:Boolean 85:Unsigned 87:PriorityUnsigned/a 103:Reliability/o "
    "104:Unsigned 110:CharString/oal 111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa "
    "168:CharString/o");
constexpr auto kNotificationClass = ASN_PROPERTIES(  // notification-class (15)
    "1:TransitionBits 17:Unsigned 28:CharString/o 75:ObjectId 77:CharString 79:ObjectType "
    "86:Unsigned/a 102:Destination/l 168:CharString/o");
constexpr auto kProgram = ASN_PROPERTIES(  // program (16)
    "28:CharString/o 29:CharString/o 48:CharString/o 75:ObjectId 77:CharString 79:ObjectType "
    "81:Boolean 90:ProgramRequest 91:CharString/o 92:ProgramState 100:ProgramError/o "
    "103:Reliability/o 111:StatusFlags 168:CharString/o");
constexpr auto kSchedule = ASN_PROPERTIES(  // schedule (17)
    "28:CharString/o 32:DateRange 38:SpecialEvent/oal 54:DevObjPropRef/l 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:AnyPrimitive 88:WritePriority 103:Reliability "
    "111:StatusFlags 123:DailySchedule/oa 168:CharString/o 174:AnyPrimitive");
constexpr auto kAveraging = ASN_PROPERTIES(  // averaging (18)
    "28:CharString/o 75:ObjectId 77:CharString 78:DevObjPropRef 79:ObjectType 124:Unsigned "
    "125:Real 135:Real 136:Real 146:Unsigned 147:Unsigned 148:Unsigned 149:DateTime/o "
    "150:DateTime/o 151:Real/o 168:CharString/o");
constexpr auto kMultiStateValue = ASN_PROPERTIES(  // multi-state-value (19)
    "0:TransitionBits/o 7:StateNumber/ol 17:Unsigned/o 28:CharString/o 35:TransitionBits/o "
    "36:EventState 39:StateNumber/ol 72:NotifyType/o 74:Unsigned 75:ObjectId 77:CharString "
    "79:ObjectType 81:Boolean 85:Unsigned 87:PriorityUnsigned/oa 103:Reliability/o "
    "104:Unsigned/o 110:CharString/oal 111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa "
    "168:CharString/o");
constexpr auto kTrendLog = ASN_PROPERTIES(  // trend-log (20)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 35:TransitionBits/o 36:EventState "
    "72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 103:Reliability/o "
    "111:StatusFlags 126:Unsigned 127:ClientCov/o 128:Unsigned/o 129:DateTime/o "
    "130:TimeStamp/oa 131:LogRecord/l 132:DevObjPropRef/o 133:Boolean 134:Unsigned/o "
    "137:Unsigned/o 138:DateTime/o 140:Unsigned/o 141:Unsigned 142:DateTime/o 143:DateTime/o "
    "144:Boolean 145:Unsigned32 168:CharString/o 173:Unsigned32/o 193:Boolean/o "
    "195:Unsigned/o 197:LoggingType 205:Boolean/o");
constexpr auto kLifeSafetyPoint = ASN_PROPERTIES(  // life-safety-point (21)
    "0:TransitionBits/o 7:LifeSafetyState/ol 17:Unsigned/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 39:LifeSafetyState/ol 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:LifeSafetyState 103:Reliability "
    "111:StatusFlags 113:Unsigned/o 117:Enum16/o 130:TimeStamp/oa 156:Real/o "
    "158:Maintenance/o 159:DevObjRef/ol 160:LifeSafetyMode 161:LifeSafetyOperation "
    "162:Unsigned8/o 163:SilencedState 164:LifeSafetyState 166:LifeSafetyState/ol "
    "168:CharString/o 175:LifeSafetyMode/l");
constexpr auto kLifeSafetyZone = ASN_PROPERTIES(  // life-safety-zone (22)
    "0:TransitionBits/o 7:LifeSafetyState/ol 17:Unsigned/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 39:LifeSafetyState/ol 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:LifeSafetyState 103:Reliability "
    "111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa 158:Boolean/o 159:DevObjRef/ol "
    "160:LifeSafetyMode 161:LifeSafetyOperation 163:SilencedState 164:LifeSafetyState "
    "165:DevObjRef/l 166:LifeSafetyState/ol 168:CharString/o 175:LifeSafetyMode/l");
constexpr auto kAccumulator = ASN_PROPERTIES(  // accumulator (23)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 31:CharString/o 35:TransitionBits/o "
    "36:EventState 45:Unsigned/o 52:LimitEnable/o 59:Unsigned/o 65:Unsigned 72:NotifyType/o "
    "75:ObjectId 77:CharString 79:ObjectType 81:Boolean 85:Unsigned 103:Reliability/o "
    "111:StatusFlags 113:Unsigned/o 117:Enum16 130:TimeStamp/oa 168:CharString/o "
    "182:Unsigned/o 183:ObjectId/o 184:AccumulatorRecord/o 185:Prescale/o 186:Unsigned/o "
    "187:Scale 190:Unsigned/o 191:Unsigned/o 192:DateTime/o");
constexpr auto kPulseConverter = ASN_PROPERTIES(  // pulse-converter (24)
    "0:TransitionBits/o 17:Unsigned/o 22:Real/o 25:Real/o 28:CharString/o 35:TransitionBits/o "
    "36:EventState 45:Real/o 52:LimitEnable/o 59:Real/o 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:Real 103:Reliability/o 111:StatusFlags "
    "113:Unsigned/o 117:Enum16 130:TimeStamp/oa 168:CharString/o 176:Real 177:Unsigned "
    "178:Unsigned 179:DateTime 180:Unsigned/o 181:ObjPropRef/o 188:Real 189:DateTime");
constexpr auto kEventLog = ASN_PROPERTIES(  // event-log (25)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 35:TransitionBits/o 36:EventState "
    "72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 103:Reliability/o "
    "111:StatusFlags 126:Unsigned32 130:TimeStamp/oa 131:EventLogRecord/l 133:Boolean "
    "137:Unsigned32/o 140:Unsigned32/o 141:Unsigned32 142:DateTime/o 143:DateTime/o "
    "144:Boolean 145:Unsigned32 168:CharString/o 173:Unsigned32/o");
constexpr auto kTrendLogMultiple = ASN_PROPERTIES(  // trend-log-multiple (27)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 35:TransitionBits/o 36:EventState "
    "72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 103:Reliability/o "
    "111:StatusFlags 126:Unsigned32 130:TimeStamp/oa 131:LogMultipleRecord/l "
    "132:DevObjPropRef/al 133:Boolean 134:Unsigned 137:Unsigned32/o 140:Unsigned32/o "
    "141:Unsigned32 142:DateTime/o 143:DateTime/o 144:Boolean 145:Unsigned32 168:CharString/o "
    "173:Unsigned32/o 193:Boolean/o 195:Unsigned/o 197:LoggingType 205:Boolean/o");
constexpr auto kLoadControl = ASN_PROPERTIES(  // load-control (28)
    "0:TransitionBits/o 17:Unsigned/o 28:CharString/o 35:TransitionBits/o 36:EventState "
    "72:NotifyType/o 75:ObjectId 77:CharString 79:ObjectType 85:ShedState 103:Reliability/o "
    "111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa 133:Boolean 142:DateTime "
    "168:CharString/o 212:ShedLevel 213:Unsigned 214:ShedLevel 215:Real/o 218:ShedLevel "
    "219:Unsigned 220:CharString/al 221:Unsigned/al 222:CharString/o");
constexpr auto kStructuredView = ASN_PROPERTIES(  // structured-view (29)
    "28:CharString/o 75:ObjectId 77:CharString 79:ObjectType 168:CharString/o "
    "207:CharString/o 208:NodeType 210:CharString/oal 211:DevObjRef/al");
constexpr auto kAccessDoor = ASN_PROPERTIES(  // access-door (30)
    "0:TransitionBits/o 7:DoorAlarmState/ol 17:Unsigned/o 28:CharString/o 31:CharString/o "
    "35:TransitionBits/o 36:EventState 39:DoorAlarmState/ol 72:NotifyType/o 75:ObjectId "
    "77:CharString 79:ObjectType 81:Boolean 85:DoorValue 87:PriorityDoor/a 103:Reliability "
    "104:DoorRelinquishDefault 111:StatusFlags 113:Unsigned/o 130:TimeStamp/oa "
    "158:Maintenance/o 168:CharString/o 226:DoorAlarmState/o 227:Unsigned 228:DevObjRef/oal "
    "229:Unsigned 230:Unsigned 231:DoorStatus/o 232:Unsigned/o 233:AccumulatorStatus/o "
    "234:DoorAlarmState/ol 235:DoorSecuredStatus/o");

constexpr AsnObjectTypeRow kObjectTypeRows[] = {
    {BACNET_OBJ_ANALOG_INPUT, kAnalogInput.entries, kAnalogInput.count},
    {BACNET_OBJ_ANALOG_OUTPUT, kAnalogOutput.entries, kAnalogOutput.count},
    {BACNET_OBJ_ANALOG_VALUE, kAnalogValue.entries, kAnalogValue.count},
    {BACNET_OBJ_BINARY_INPUT, kBinaryInput.entries, kBinaryInput.count},
    {BACNET_OBJ_BINARY_OUTPUT, kBinaryOutput.entries, kBinaryOutput.count},
    {BACNET_OBJ_BINARY_VALUE, kBinaryValue.entries, kBinaryValue.count},
    {BACNET_OBJ_CALENDAR, kCalendar.entries, kCalendar.count},
    {BACNET_OBJ_COMMAND, kCommand.entries, kCommand.count},
    {BACNET_OBJ_DEVICE, kDevice.entries, kDevice.count},
    {BACNET_OBJ_EVENT_ENROLLMENT, kEventEnrollment.entries, kEventEnrollment.count},
    {BACNET_OBJ_FILE, kFile.entries, kFile.count},
    {BACNET_OBJ_GROUP, kGroup.entries, kGroup.count},
    {BACNET_OBJ_LOOP, kLoop.entries, kLoop.count},
    {BACNET_OBJ_MULTI_STATE_INPUT, kMultiStateInput.entries, kMultiStateInput.count},
    {BACNET_OBJ_MULTI_STATE_OUTPUT, kMultiStateOutput.entries, kMultiStateOutput.count},
    {BACNET_OBJ_NOTIFICATION_CLASS, kNotificationClass.entries, kNotificationClass.count},
    {BACNET_OBJ_PROGRAM, kProgram.entries, kProgram.count},
    {BACNET_OBJ_SCHEDULE, kSchedule.entries, kSchedule.count},
    {BACNET_OBJ_AVERAGING, kAveraging.entries, kAveraging.count},
    {BACNET_OBJ_MULTI_STATE_VALUE, kMultiStateValue.entries, kMultiStateValue.count},
    {BACNET_OBJ_TREND_LOG, kTrendLog.entries, kTrendLog.count},
    {BACNET_OBJ_LIFE_SAFETY_POINT, kLifeSafetyPoint.entries, kLifeSafetyPoint.count},
    {BACNET_OBJ_LIFE_SAFETY_ZONE, kLifeSafetyZone.entries, kLifeSafetyZone.count},
    {BACNET_OBJ_ACCUMULATOR, kAccumulator.entries, kAccumulator.count},
    {BACNET_OBJ_PULSE_CONVERTER, kPulseConverter.entries, kPulseConverter.count},
    {BACNET_OBJ_EVENT_LOG, kEventLog.entries, kEventLog.count},
    {BACNET_OBJ_TREND_LOG_MULTIPLE, kTrendLogMultiple.entries, kTrendLogMultiple.count},
    {BACNET_OBJ_LOAD_CONTROL, kLoadControl.entries, kLoadControl.count},
    {BACNET_OBJ_STRUCTURED_VIEW, kStructuredView.entries, kStructuredView.count},
    {BACNET_OBJ_ACCESS_DOOR, kAccessDoor.entries, kAccessDoor.count},
};

}  // namespace

std::span<const AsnObjectTypeRow> AsnObjectTypeRows() { return kObjectTypeRows; }

std::span<const AsnPropertyEntry> AsnGenericProperties() {
  return {kGeneric.entries, kGeneric.count};
}
