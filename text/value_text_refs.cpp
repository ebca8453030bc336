// Notation of references, property values, recipients, destinations,
// read-access records, COV subscriptions and error pairs.
#include "text/status_text.h"
#include "text/value_text_pieces.h"
#include "text/value_text_records.h"

namespace {

// A property and, when it has one, its array index.
void PutPropertyIndex(TextBuffer* b, uint32_t property, uint32_t arrayIndex, uint8_t showNumbers) {
  PutProperty(b, property, showNumbers);
  if (arrayIndex == VELMORA_NO_INDEX) return;
  TextBufferPutChar(b, ',');
  PutSigned(b, int32_t(arrayIndex));
}

void PutObjectId(TextBuffer* b, const VelmoraObjectId* id) {
  TextBufferWrite(b, VelmoraObjectIdToString, id);
}

}  // namespace

uint32_t VelmoraErrorToString(char* destination, uint32_t room, const VelmoraError* error) {
  if (!error) return 0;
  VelmoraFailure failure{};
  VelmoraFailureInitError(&failure, VelmoraErrorGetClass(error), VelmoraErrorGetCode(error));
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferPutText(&b, VelmoraErrorClassText(&failure));
  TextBufferPutChar(&b, ',');
  TextBufferPutText(&b, VelmoraErrorCodeText(&failure));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraObjPropRefToString(char* destination, uint32_t room, const VelmoraObjPropRef* ref,
                                   uint8_t showNumbers) {
  if (!ref) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutObjectId(&b, VelmoraObjPropRefGetObjectId(ref));
  TextBufferPutChar(&b, ',');
  PutPropertyIndex(&b, VelmoraObjPropRefGetProperty(ref), VelmoraObjPropRefGetArrayIndex(ref),
                   showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

// A device without an index keeps the index's ",": the device is always
// the fourth field.
uint32_t VelmoraDevObjPropRefToString(char* destination, uint32_t room,
                                      const VelmoraDevObjPropRef* ref, uint8_t showNumbers) {
  if (!ref) return 0;
  uint32_t index = VelmoraDevObjPropRefGetArrayIndex(ref);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutObjectId(&b, VelmoraDevObjPropRefGetObjectId(ref));
  TextBufferPutChar(&b, ',');
  PutPropertyIndex(&b, VelmoraDevObjPropRefGetProperty(ref), index, showNumbers);
  if (VelmoraDevObjPropRefHasDevice(ref)) {
    TextBufferPut(&b, ",,", index == VELMORA_NO_INDEX ? 2 : 1);
    PutObjectId(&b, VelmoraDevObjPropRefGetDevice(ref));
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraDevObjRefToString(char* destination, uint32_t room, const VelmoraDevObjRef* ref) {
  if (!ref) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  if (VelmoraDevObjRefHasDevice(ref)) PutObjectId(&b, VelmoraDevObjRefGetDevice(ref));
  TextBufferPutChar(&b, ',');
  PutObjectId(&b, VelmoraDevObjRefGetObjectId(ref));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraPropRefToString(char* destination, uint32_t room, const VelmoraPropRef* ref,
                                uint8_t showNumbers) {
  if (!ref) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutPropertyIndex(&b, VelmoraPropRefGetProperty(ref), VelmoraPropRefGetArrayIndex(ref),
                   showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraSetpointRefToString(char* destination, uint32_t room, const VelmoraSetpointRef* ref,
                                    uint8_t showNumbers) {
  if (!ref) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  if (!VelmoraSetpointRefIsEmpty(ref))
    TextBufferWrite(&b, VelmoraObjPropRefToString, VelmoraSetpointRefGet(ref), showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraPropertyValueToString(char* destination, uint32_t room,
                                      const VelmoraPropertyValue* value, uint8_t showNumbers) {
  if (!value) return 0;
  uint32_t property = VelmoraPropertyValueGetProperty(value);
  uint32_t index = VelmoraPropertyValueGetArrayIndex(value);
  uint32_t priority = VelmoraPropertyValueGetPriority(value);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutPropertyIndex(&b, property, index, showNumbers);
  TextBufferPutChar(&b, ',');
  PutValue(&b, VelmoraPropertyValueGetValue(value), VELMORA_ANY_OBJECT_TYPE, property,
           int32_t(index), showNumbers);
  if (priority != VELMORA_NO_PRIORITY) {
    TextBufferPutChar(&b, ',');
    PutSigned(&b, int32_t(priority));
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraDevObjPropValueToString(char* destination, uint32_t room,
                                        const VelmoraDevObjPropValue* value, uint8_t showNumbers) {
  if (!value) return 0;
  const VelmoraObjectId* object = VelmoraDevObjPropValueGetObjectId(value);
  uint32_t property = VelmoraDevObjPropValueGetProperty(value);
  uint32_t index = VelmoraDevObjPropValueGetArrayIndex(value);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutObjectId(&b, VelmoraDevObjPropValueGetDevice(value));
  TextBufferPutChar(&b, ',');
  PutObjectId(&b, object);
  TextBufferPutChar(&b, ',');
  PutPropertyIndex(&b, property, index, showNumbers);
  TextBufferPutChar(&b, ',');
  PutValue(&b, VelmoraDevObjPropValueGetValue(value), VelmoraObjectIdGetType(object), property,
           int32_t(index), showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraAddressBindingToString(char* destination, uint32_t room,
                                       const VelmoraAddressBinding* binding) {
  if (!binding) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '(');
  PutObjectId(&b, VelmoraAddressBindingGetDevice(binding));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraAddressToString, VelmoraAddressBindingGetAddress(binding));
  TextBufferPutChar(&b, ')');
  return TextBufferClose(&b);
}

uint32_t VelmoraRecipientToString(char* destination, uint32_t room,
                                  const VelmoraRecipient* recipient) {
  if (!recipient) return 0;
  uint32_t choice = VelmoraRecipientGetChoice(recipient);
  TextBuffer b = TextBufferOpen(destination, room);
  PutChoice(&b, choice);
  if (choice == VELMORA_RECIPIENT_DEVICE)
    PutObjectId(&b, VelmoraRecipientGetDevice(recipient));
  else if (choice == VELMORA_RECIPIENT_ADDRESS)
    TextBufferWrite(&b, VelmoraAddressToString, VelmoraRecipientGetAddress(recipient));
  else
    PutUnknown(&b);
  return TextBufferClose(&b);
}

uint32_t VelmoraRecipientProcessToString(char* destination, uint32_t room,
                                         const VelmoraRecipientProcess* recipient) {
  if (!recipient) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraRecipientToString, VelmoraRecipientProcessGetRecipient(recipient));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraRecipientProcessGetProcessId(recipient));
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraDestinationToString(char* destination, uint32_t room,
                                    const VelmoraDestination* record, uint8_t showNumbers) {
  if (!record) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutBits(&b, VelmoraDestinationGetValidDays(record), VELMORA_ENUM_DAYS_OF_WEEK_BITS, showNumbers);
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraTimeToString, VelmoraDestinationGetFromTime(record));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraTimeToString, VelmoraDestinationGetToTime(record));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraRecipientToString, VelmoraDestinationGetRecipient(record));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraDestinationGetProcessId(record));
  TextBufferPutChar(&b, ',');
  PutFlag(&b, VelmoraDestinationGetConfirmed(record));
  TextBufferPutChar(&b, ',');
  PutBits(&b, VelmoraDestinationGetTransitions(record), VELMORA_ENUM_EVENT_TRANSITION_BITS,
          showNumbers);
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraReadAccessSpecToString(char* destination, uint32_t room,
                                       const VelmoraReadAccessSpec* spec, uint8_t showNumbers) {
  if (!spec) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutObjectId(&b, VelmoraReadAccessSpecGetObjectId(spec));
  TextBufferPutChar(&b, ',');
  PutList(&b, '(', ')', VelmoraReadAccessSpecGetCount(spec), [&](uint32_t i) {
    TextBufferWrite(&b, VelmoraPropRefToString, VelmoraReadAccessSpecGetProperty(spec, i),
                    showNumbers);
  });
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

// The property by its name alone; the index, when there is one, unsigned.
uint32_t VelmoraReadResultToString(char* destination, uint32_t room,
                                   const VelmoraReadResult* result, uint32_t objectType,
                                   uint8_t showNumbers) {
  if (!result) return 0;
  uint32_t property = VelmoraReadResultGetProperty(result);
  uint32_t index = VelmoraReadResultGetArrayIndex(result);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutPropertyName(&b, property);
  TextBufferPutChar(&b, ',');
  if (index != VELMORA_NO_INDEX) {
    PutUnsigned(&b, index);
    TextBufferPutChar(&b, ',');
  }
  if (VelmoraReadResultIsSuccess(result)) {
    TextBufferPut(&b, "[4]", 3, TEXT_WIDEST_INDEX);
    PutValue(&b, VelmoraReadResultGetValue(result), objectType, property, int32_t(index),
             showNumbers);
  } else {
    TextBufferPut(&b, "[5]", 3, TEXT_WIDEST_INDEX);
    TextBufferWrite(&b, VelmoraErrorToString, VelmoraReadResultGetError(result));
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

// A record without a result array has no list to show, whatever its count.
uint32_t VelmoraReadAccessResultToString(char* destination, uint32_t room,
                                         const VelmoraReadAccessResult* result,
                                         uint8_t showNumbers) {
  if (!result) return 0;
  const VelmoraObjectId* object = VelmoraReadAccessResultGetObjectId(result);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  PutObjectId(&b, object);
  if (VelmoraReadAccessResultHasResults(result)) {
    TextBufferPutChar(&b, ',');
    PutList(&b, '(', ')', VelmoraReadAccessResultGetCount(result), [&](uint32_t i) {
      TextBufferWrite(&b, VelmoraReadResultToString, VelmoraReadAccessResultGetResult(result, i),
                      VelmoraObjectIdGetType(object), showNumbers);
    });
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}

uint32_t VelmoraCovSubscriptionToString(char* destination, uint32_t room,
                                        const VelmoraCovSubscription* subscription,
                                        uint8_t showNumbers) {
  if (!subscription) return 0;
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferPutChar(&b, '{');
  TextBufferWrite(&b, VelmoraRecipientProcessToString,
                  VelmoraCovSubscriptionGetRecipientProcess(subscription));
  TextBufferPutChar(&b, ',');
  TextBufferWrite(&b, VelmoraObjPropRefToString,
                  VelmoraCovSubscriptionGetMonitoredRef(subscription), showNumbers);
  TextBufferPutChar(&b, ',');
  PutFlag(&b, VelmoraCovSubscriptionGetIssueConfirmed(subscription));
  TextBufferPutChar(&b, ',');
  PutUnsigned(&b, VelmoraCovSubscriptionGetTimeRemaining(subscription));
  if (VelmoraCovSubscriptionHasIncrement(subscription)) {
    TextBufferPutChar(&b, ',');
    PutReal(&b, VelmoraCovSubscriptionGetIncrement(subscription));
  }
  TextBufferPutChar(&b, '}');
  return TextBufferClose(&b);
}
