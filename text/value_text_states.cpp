// Notation of priority values, property states, time stamps and the small
// value records: client COV increment, accumulator record, prescale,
// scale, shed level, VT session and session key.
#include <iterator>

#include "bacnet/asn_datatype_code.h"
#include "text/value_text_pieces.h"
#include "text/value_text_records.h"

namespace {

// A priority slot holds NULL or one of these primitives, by datatype code.
constexpr int32_t kPriorityCodes[] = {ASN_TYPE_NULL, ASN_TYPE_UNSIGNED, ASN_TYPE_REAL,
                                      ASN_TYPE_ENUMERATED};

// The enumeration naming each property-states choice; the boolean and the
// unsigned choices (and every unknown one) are written as they are.
constexpr int32_t kBooleanState = -1;
constexpr int32_t kUnsignedState = -2;
constexpr int32_t kStateRows[] = {
    kBooleanState,
    VELMORA_ENUM_BINARY_PV,
    VELMORA_ENUM_EVENT_TYPE,
    VELMORA_ENUM_POLARITY,
    VELMORA_ENUM_PROGRAM_REQUEST,
    VELMORA_ENUM_PROGRAM_STATE,
    VELMORA_ENUM_PROGRAM_ERROR,
    VELMORA_ENUM_RELIABILITY,
    VELMORA_ENUM_EVENT_STATE,
    VELMORA_ENUM_DEVICE_STATUS,
    VELMORA_ENUM_ENGINEERING_UNITS,
    kUnsignedState,
    VELMORA_ENUM_LIFE_SAFETY_MODE,
    VELMORA_ENUM_LIFE_SAFETY_STATE,
    VELMORA_ENUM_RESTART_REASON,
    VELMORA_ENUM_DOOR_ALARM_STATE,
};

// Choice codes of a scale: the datatype of its value.
constexpr uint32_t kScaleReal = ASN_TYPE_REAL;
constexpr uint32_t kScaleInteger = ASN_TYPE_SIGNED;

}  // namespace

uint32_t VelmoraPriorityValueToString(char* destination, uint32_t room,
                                      const VelmoraPriorityValue* value, int32_t enumRow,
                                      uint8_t showNumbers) {
  if (!value) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutTyped(&b, kPriorityCodes, VelmoraPriorityValueGetType(value),
           VelmoraPriorityValueGetValueAddress(value), sizeof value->value, enumRow, showNumbers);
  return TextBufferClose(&b);
}

uint32_t VelmoraPropertyStatesToString(char* destination, uint32_t room,
                                       const VelmoraPropertyStates* states, uint8_t showNumbers) {
  if (!states) return 0;
  uint32_t choice = VelmoraPropertyStatesGetChoice(states);
  int32_t row = choice < std::size(kStateRows) ? kStateRows[choice] : kUnsignedState;
  // Choices 1-15 share one 32-bit value.
  uint32_t value = VelmoraPropertyStatesGetUnsignedValue(states);
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, choice);
  if (row == kBooleanState)
    PutFlag(&b, VelmoraPropertyStatesGetBooleanValue(states));
  else if (row == kUnsignedState)
    PutUnsigned(&b, value);
  else
    PutEnumValue(&b, value, row, showNumbers);
  return TextBufferClose(&b);
}

uint32_t VelmoraTimeStampToString(char* destination, uint32_t room,
                                  const VelmoraTimeStamp* timeStamp) {
  if (!timeStamp) return 0;
  uint32_t choice = VelmoraTimeStampGetChoice(timeStamp);
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, choice);
  if (choice == 0)
    TextBufferWrite(&b, VelmoraTimeToString, VelmoraTimeStampGetTime(timeStamp));
  else if (choice == 1)
    PutUnsigned(&b, VelmoraTimeStampGetSequenceNumber(timeStamp));
  else if (choice == 2)
    TextBufferWrite(&b, VelmoraDateTimeToString, VelmoraTimeStampGetDateTime(timeStamp));
  else
    PutUnknown(&b);
  return TextBufferClose(&b);
}

uint32_t VelmoraClientCovToString(char* destination, uint32_t room, const VelmoraClientCov* cov) {
  if (!cov) return 0;
  if (VelmoraClientCovGetChoice(cov) != uint32_t(ASN_TYPE_REAL))
    return VelmoraNullToString(destination, room);
  return VelmoraRealToString(destination, room, VelmoraClientCovGetRealIncrement(cov));
}

uint32_t VelmoraAccumulatorRecordToString(char* destination, uint32_t room,
                                          const VelmoraAccumulatorRecord* record,
                                          uint8_t showNumbers) {
  if (!record) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraDateTimeToString, VelmoraAccumulatorRecordGetTimestamp(record));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraAccumulatorRecordGetPresentValue(record));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraAccumulatorRecordGetAccumulatedValue(record));
  TextBufferPutChar(&b, ',');
  PutEnumValue(&b, VelmoraAccumulatorRecordGetStatus(record), VELMORA_ENUM_ACCUMULATOR_STATUS,
               showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraPrescaleToString(char* destination, uint32_t room,
                                 const VelmoraPrescale* prescale) {
  if (!prescale) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutUnsigned(&b, VelmoraPrescaleGetMultiplier(prescale));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraPrescaleGetModuloDivide(prescale));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

// The choice code is a datatype; the text numbers the alternatives as
// BACnet does (0 the REAL, 1 the INTEGER).
uint32_t VelmoraScaleToString(char* destination, uint32_t room, const VelmoraScale* scale) {
  if (!scale) return 0;
  uint32_t choice = VelmoraScaleGetChoice(scale);
  TextBuffer b = TextBufferOpen(destination, room);
  if (choice == kScaleReal) {
    PutChoice(&b, 0);
    PutReal(&b, VelmoraScaleGetFloat(scale));
  } else if (choice == kScaleInteger) {
    PutChoice(&b, 1);
    PutSigned(&b, VelmoraScaleGetInteger(scale));
  } else {
    PutUnknown(&b);
  }
  return TextBufferClose(&b);
}

uint32_t VelmoraShedLevelToString(char* destination, uint32_t room, const VelmoraShedLevel* level) {
  if (!level) return 0;
  uint32_t choice = VelmoraShedLevelGetChoice(level);
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, choice);
  if (choice == 0)
    PutUnsigned(&b, VelmoraShedLevelGetPercent(level));
  else if (choice == 1)
    PutUnsigned(&b, VelmoraShedLevelGetLevel(level));
  else if (choice == 2)
    PutReal(&b, VelmoraShedLevelGetAmount(level));
  else
    PutUnknown(&b);
  return TextBufferClose(&b);
}

uint32_t VelmoraVtSessionToString(char* destination, uint32_t room,
                                  const VelmoraVtSession* session) {
  if (!session) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutUnsigned(&b, VelmoraVtSessionGetLocalId(session));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraVtSessionGetRemoteId(session));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraAddressToString, VelmoraVtSessionGetRemoteAddress(session));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraSessionKeyToString(char* destination, uint32_t room, const VelmoraSessionKey* key) {
  if (!key) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraOctetStringToString, VelmoraSessionKeyGetKey(key),
                  VELMORA_SESSION_KEY_BYTES);
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraAddressToString, VelmoraSessionKeyGetPeerAddress(key));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}
