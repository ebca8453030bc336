// Notation of event parameters, notification parameters, event
// notifications and event log records: "[%d] " with the event type or
// choice, then the alternative's fields in braces.
#include "bacnet/asn_datatype_code.h"
#include "bacnet/bacnet_enums.h"
#include "text/value_text_pieces.h"
#include "text/value_text_records.h"

namespace {

using EP = VelmoraEventParam;
using NP = VelmoraNotifParam;

// The datatype codes an extended parameter may hold; the last differs
// between the event's parameters and the notification's.
constexpr int32_t kEventExtCodes[] = {
    ASN_TYPE_NULL,       ASN_TYPE_BOOLEAN,    ASN_TYPE_UNSIGNED,
    ASN_TYPE_REAL,       ASN_TYPE_DOUBLE,     ASN_TYPE_OCTET_STRING,
    ASN_TYPE_BIT_STRING, ASN_TYPE_ENUMERATED, ASN_TYPE_DEV_OBJ_PROP_REF};
constexpr int32_t kNotifExtCodes[] = {
    ASN_TYPE_NULL,       ASN_TYPE_BOOLEAN,    ASN_TYPE_UNSIGNED,
    ASN_TYPE_REAL,       ASN_TYPE_DOUBLE,     ASN_TYPE_OCTET_STRING,
    ASN_TYPE_BIT_STRING, ASN_TYPE_ENUMERATED, ASN_TYPE_DEV_OBJ_PROP_VALUE};

void PutRef(TextBuffer* b, const VelmoraDevObjPropRef* ref, uint8_t showNumbers) {
  TextBufferWrite(b, VelmoraDevObjPropRefToString, ref, showNumbers);
}

void PutStatusFlags(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutBits(b, VelmoraNotifParamGetStatusFlags(p), VELMORA_ENUM_STATUS_FLAGS_BITS, showNumbers);
}

void PutDateTime(TextBuffer* b, const VelmoraDateTime* dateTime) {
  TextBufferWrite(b, VelmoraDateTimeToString, dateTime);
}

// Event parameters by event type, each after its "[%d] ".

void EventChangeOfBitstring(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutBits(b, VelmoraEventParamGetBitmask(p), VELMORA_ENUM_GENERIC, showNumbers);
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraEventParamGetValueCount(p), [&](uint32_t i) {
    PutBits(b, VelmoraEventParamGetBitstringValue(p, i), VELMORA_ENUM_GENERIC, showNumbers);
  });
}

void EventChangeOfState(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraEventParamGetValueCount(p), [&](uint32_t i) {
    TextBufferWrite(b, VelmoraPropertyStatesToString, VelmoraEventParamGetStateValue(p, i),
                    showNumbers);
  });
}

void EventChangeOfValue(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  uint32_t criteria = VelmoraEventParamGetCovCriteria(p);
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutChoice(b, criteria);
  if (criteria == 0)
    PutBits(b, VelmoraEventParamGetBitmask(p), VELMORA_ENUM_GENERIC, showNumbers);
  else if (criteria == 1)
    PutReal(b, VelmoraEventParamGetCovIncrement(p));
  else
    PutUnknown(b);
}

void EventCommandFailure(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutRef(b, VelmoraEventParamGetFeedbackRef(p), showNumbers);
}

void EventFloatingLimit(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutRef(b, VelmoraEventParamGetSetpointRef(p), showNumbers);
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetLowDiffLimit(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetHighDiffLimit(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetDeadband(p));
}

void EventOutOfRange(TextBuffer* b, const EP* p, uint8_t) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetLowLimit(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetHighLimit(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraEventParamGetDeadband(p));
}

void EventBufferReady(TextBuffer* b, const EP* p, uint8_t) {
  PutUnsigned(b, VelmoraEventParamGetNotificationThreshold(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraEventParamGetPreviousCount(p));
}

void EventChangeOfLifeSafety(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraEventParamGetLifeSafetyAlarmCount(p), [&](uint32_t i) {
    PutEnumAt(b, VelmoraEventParamGetLifeSafetyAlarmValue(p, i), VELMORA_ENUM_LIFE_SAFETY_STATE,
              showNumbers);
  });
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraEventParamGetAlarmValueCount(p), [&](uint32_t i) {
    PutEnumAt(b, VelmoraEventParamGetAlarmValue(p, i), VELMORA_ENUM_LIFE_SAFETY_STATE, showNumbers);
  });
  TextBufferPutChar(b, ',');
  PutRef(b, VelmoraEventParamGetModeRef(p), showNumbers);
}

void EventExtended(TextBuffer* b, const EP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraEventParamGetVendorId(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraEventParamGetExtendedEventType(p));
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraEventParamGetExtendedParameterCount(p), [&](uint32_t i) {
    TextBufferWrite(b, VelmoraExtParamToString, VelmoraEventParamGetExtendedParameter(p, i),
                    showNumbers);
  });
}

void EventUnsignedRange(TextBuffer* b, const EP* p, uint8_t) {
  PutUnsigned(b, VelmoraEventParamGetTimeDelay(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraEventParamGetUnsignedLowLimit(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraEventParamGetUnsignedHighLimit(p));
}

// By event type; the complex event type (6) has no parameters to show.
using EventWriter = void (*)(TextBuffer*, const EP*, uint8_t);
constexpr EventWriter kEventWriters[] = {
    EventChangeOfBitstring,
    EventChangeOfState,
    EventChangeOfValue,
    EventCommandFailure,
    EventFloatingLimit,
    EventOutOfRange,
    nullptr,
    EventBufferReady,
    EventChangeOfLifeSafety,
    EventExtended,
    EventBufferReady,
    EventUnsignedRange,
};

// Notification parameters by event type, each after its "[%d] ".

void NotifChangeOfBitstring(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutBits(b, VelmoraNotifParamGetBitstring(p), VELMORA_ENUM_GENERIC, showNumbers);
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
}

void NotifChangeOfState(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  TextBufferWrite(b, VelmoraPropertyStatesToString, VelmoraNotifParamGetNewState(p), showNumbers);
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
}

void NotifChangeOfValue(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  uint32_t choice = VelmoraNotifParamGetCovChoice(p);
  PutChoice(b, choice);
  if (choice == 0)
    PutBits(b, VelmoraNotifParamGetChangedBits(p), VELMORA_ENUM_GENERIC, showNumbers);
  else if (choice == 1)
    PutReal(b, VelmoraNotifParamGetChangedValue(p));
  else
    PutUnknown(b);
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
}

void NotifCommandFailure(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutAnyValue(b, VelmoraNotifParamGetCommandValue(p), showNumbers);
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
  TextBufferPutChar(b, ',');
  PutAnyValue(b, VelmoraNotifParamGetFeedbackValue(p), showNumbers);
}

void NotifFloatingLimit(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutReal(b, VelmoraNotifParamGetReferenceValue(p));
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraNotifParamGetSetpointValue(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraNotifParamGetErrorLimit(p));
}

void NotifOutOfRange(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutReal(b, VelmoraNotifParamGetExceedingValue(p));
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraNotifParamGetDeadband(p));
  TextBufferPutChar(b, ',');
  PutReal(b, VelmoraNotifParamGetExceededLimit(p));
}

// The property values are the alternative's only field: its braces are
// the list's.
void NotifComplexEventType(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  const VelmoraPropertyValue* values = VelmoraNotifParamGetPropertyValues(p);
  TextBufferPutEach(b, VelmoraNotifParamGetPropertyValueCount(p), [&](uint32_t i) {
    TextBufferWrite(b, VelmoraPropertyValueToString, values ? values + i : nullptr, showNumbers);
  });
}

void NotifBufferReady7(TextBuffer* b, const NP* p, uint8_t) {
  TextBufferWrite(b, VelmoraObjectIdToString, VelmoraNotifParamGetBufferDevice(p));
  TextBufferPutChar(b, ',');
  TextBufferWrite(b, VelmoraObjectIdToString, VelmoraNotifParamGetBufferObject(p));
  TextBufferPutChar(b, ',');
  PutDateTime(b, VelmoraNotifParamGetPreviousTime(p));
  TextBufferPutChar(b, ',');
  PutDateTime(b, VelmoraNotifParamGetCurrentTime(p));
}

void NotifChangeOfLifeSafety(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutEnumValue(b, VelmoraNotifParamGetLifeSafetyState(p), VELMORA_ENUM_LIFE_SAFETY_STATE,
               showNumbers);
  TextBufferPutChar(b, ',');
  PutEnumValue(b, VelmoraNotifParamGetLifeSafetyMode(p), VELMORA_ENUM_LIFE_SAFETY_MODE,
               showNumbers);
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
  TextBufferPutChar(b, ',');
  PutEnumValue(b, VelmoraNotifParamGetOperationExpected(p), VELMORA_ENUM_LIFE_SAFETY_OPERATION,
               showNumbers);
}

void NotifExtended(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  const VelmoraNotifExtParam* parameters = VelmoraNotifParamGetParameters(p);
  PutUnsigned(b, VelmoraNotifParamGetVendorId(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraNotifParamGetExtendedType(p));
  TextBufferPutChar(b, ',');
  PutList(b, '{', '}', VelmoraNotifParamGetParameterCount(p), [&](uint32_t i) {
    TextBufferWrite(b, VelmoraNotifExtParamToString, parameters ? parameters + i : nullptr,
                    showNumbers);
  });
}

void NotifBufferReady(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutRef(b, VelmoraNotifParamGetBufferProperty(p), showNumbers);
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraNotifParamGetPreviousCount(p));
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraNotifParamGetCurrentCount(p));
}

void NotifUnsignedRange(TextBuffer* b, const NP* p, uint8_t showNumbers) {
  PutUnsigned(b, VelmoraNotifParamGetUnsignedValue(p));
  TextBufferPutChar(b, ',');
  PutStatusFlags(b, p, showNumbers);
  TextBufferPutChar(b, ',');
  PutUnsigned(b, VelmoraNotifParamGetUnsignedLimit(p));
}

using NotifWriter = void (*)(TextBuffer*, const NP*, uint8_t);
constexpr NotifWriter kNotifWriters[] = {
    NotifChangeOfBitstring,  NotifChangeOfState, NotifChangeOfValue,    NotifCommandFailure,
    NotifFloatingLimit,      NotifOutOfRange,    NotifComplexEventType, NotifBufferReady7,
    NotifChangeOfLifeSafety, NotifExtended,      NotifBufferReady,      NotifUnsignedRange,
};

// "[%d] " and, for a type with a writer, its fields in braces; else "?".
template <class Record, class Writer, size_t N>
uint32_t ByEventType(char* destination, uint32_t room, const Record* p, uint32_t type,
                     const Writer (&writers)[N], uint8_t showNumbers) {
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, type);
  Writer write = type < N ? writers[type] : nullptr;
  if (write) {
    TextBufferPutChar(&b, '{');
    write(&b, p, showNumbers);
    TextBufferPutChar(&b, '}');
  } else {
    PutUnknown(&b);
  }
  return TextBufferClose(&b);
}

}  // namespace

uint32_t VelmoraEventParamToString(char* destination, uint32_t room, const EP* param,
                                   uint8_t showNumbers) {
  if (!param) return 0;
  return ByEventType(destination, room, param, VelmoraEventParamGetType(param), kEventWriters,
                     showNumbers);
}

uint32_t VelmoraExtParamToString(char* destination, uint32_t room, const VelmoraExtParam* param,
                                 uint8_t showNumbers) {
  if (!param) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutTyped(&b, kEventExtCodes, VelmoraExtParamGetType(param), &param->value, sizeof param->value,
           VELMORA_ENUM_GENERIC, showNumbers);
  return TextBufferClose(&b);
}

uint32_t VelmoraNotifParamToString(char* destination, uint32_t room, const NP* param,
                                   uint8_t showNumbers) {
  if (!param) return 0;
  return ByEventType(destination, room, param, VelmoraNotifParamGetType(param), kNotifWriters,
                     showNumbers);
}

uint32_t VelmoraNotifExtParamToString(char* destination, uint32_t room,
                                      const VelmoraNotifExtParam* param, uint8_t showNumbers) {
  if (!param) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  PutTyped(&b, kNotifExtCodes, VelmoraNotifExtParamGetType(param), &param->value,
           sizeof param->value, VELMORA_ENUM_GENERIC, showNumbers);
  return TextBufferClose(&b);
}

// Thirteen fields whatever is absent: the fields an ack-notification does
// not carry (and those of a notify type that is neither alarm nor event,
// which the record does not hand out) are left empty between their ",".
uint32_t VelmoraEventNotifToString(char* destination, uint32_t room,
                                   const VelmoraEventNotif* notification, uint8_t showNumbers) {
  if (!notification) return 0;
  const VelmoraEventNotif* n = notification;
  const VelmoraObjectId device{BACNET_OBJ_DEVICE, VelmoraEventNotifGetDeviceInstance(n)};
  const VelmoraCharString* text = VelmoraEventNotifGetMessageText(n);
  uint32_t notifyType = VelmoraEventNotifGetNotifyType(n);
  bool alarmOrEvent = notifyType == VELMORA_NOTIFY_ALARM || notifyType == VELMORA_NOTIFY_EVENT;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutUnsigned(&b, VelmoraEventNotifGetProcessId(n));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraObjectIdToString, &device);
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraObjectIdToString, VelmoraEventNotifGetEventObject(n));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraTimeStampToString, VelmoraEventNotifGetTimeStamp(n));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraEventNotifGetNotificationClass(n));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraEventNotifGetPriority(n));
  TextBufferPutChar(&b, ',');
  PutEnumValue(&b, VelmoraEventNotifGetEventType(n), VELMORA_ENUM_EVENT_TYPE, showNumbers);
  TextBufferPutChar(&b, ',');
  if (text) TextBufferWrite(&b, VelmoraCharStringToString, text);
  TextBufferPutChar(&b, ',');
  PutEnumValue(&b, notifyType, VELMORA_ENUM_NOTIFY_TYPE, showNumbers);
  TextBufferPutChar(&b, ',');
  if (alarmOrEvent) PutFlag(&b, VelmoraEventNotifGetAckRequired(n));
  TextBufferPutChar(&b, ',');
  if (alarmOrEvent)
    PutEnumValue(&b, VelmoraEventNotifGetFromState(n), VELMORA_ENUM_EVENT_STATE, showNumbers);
  TextBufferPutChar(&b, ',');
  PutEnumValue(&b, VelmoraEventNotifGetToState(n), VELMORA_ENUM_EVENT_STATE, showNumbers);
  TextBufferPutChar(&b, ',');
  if (alarmOrEvent)
    TextBufferWrite(&b, VelmoraNotifParamToString, VelmoraEventNotifGetEventValues(n), showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraEventLogRecordToString(char* destination, uint32_t room,
                                       const VelmoraEventLogRecord* record, uint8_t showNumbers) {
  if (!record) return 0;
  uint32_t choice = VelmoraEventLogRecordGetChoice(record);
  TextBuffer b = TextBufferOpen(destination, room);
  PutDateTime(&b, VelmoraEventLogRecordGetTimeStamp(record));
  TextBufferPutChar(&b, ',');
  PutChoice(&b, choice);
  if (choice == 0)
    PutBits(&b, VelmoraEventLogRecordGetLogStatus(record), VELMORA_ENUM_LOG_STATUS_BITS,
            showNumbers);
  else if (choice == 1)
    TextBufferWrite(&b, VelmoraEventNotifToString, VelmoraEventLogRecordGetNotification(record),
                    showNumbers);
  else if (choice == 2)
    PutReal(&b, VelmoraEventLogRecordGetTimeChange(record));
  else
    PutUnknown(&b);
  return TextBufferClose(&b);
}
