#include "bacnet/asn_schema.h"

#include <cstddef>

#include "bacnet/asn_tag.h"

namespace {

using E = AsnSchemaElement;

constexpr uint8_t Opt = AsnElementOptional;
constexpr uint8_t Ack = AsnElementOptionalOnAck;
constexpr uint8_t Sel = AsnElementSelector;
constexpr uint8_t Of = AsnElementSequenceOf;
constexpr uint8_t OfOpt = AsnElementSequenceOf | AsnElementOptional;
constexpr uint8_t OfNonEmpty = AsnElementSequenceOf | AsnElementNotEmpty;

// Primitive rows.
constexpr AsnSchemaType Prim(uint8_t tag, int16_t datatype, uint8_t variant = 0, uint32_t bound = 0,
                             const void* data = nullptr) {
  return {data, bound, datatype, static_cast<uint16_t>(tag << 4 | variant)};
}
constexpr AsnSchemaType Unsigned(uint32_t maxOctets = 0, const uint32_t* range = nullptr) {
  return Prim(ASN_TAG_UNSIGNED, ASN_TYPE_UNSIGNED, 0, maxOctets, range);
}
constexpr AsnSchemaType Enumerated(uint32_t limit = 0) {
  return Prim(ASN_TAG_ENUMERATED, ASN_TYPE_ENUMERATED, 0, limit);
}
constexpr AsnSchemaType Bits(uint32_t count = 0, const uint32_t* minimum = nullptr) {
  return Prim(ASN_TAG_BIT_STRING, ASN_TYPE_BIT_STRING, 0, count, minimum);
}
constexpr AsnSchemaType ObjectId(uint8_t variant = 0) {
  return Prim(ASN_TAG_OBJECT_ID, ASN_TYPE_OBJECT_ID, variant);
}

constexpr uint32_t kCharsets[6] = {0, 1, 2, 3, 4, 5};
constexpr AsnSchemaType Text(int set) {
  return Prim(ASN_TAG_CHAR_STRING, static_cast<int16_t>(ASN_TYPE_TEXT_ANSI + set), 1, 0,
              &kCharsets[set]);
}

constexpr uint32_t kRangeIndex[2] = {0, 0x7FFFFFFF};
constexpr uint32_t kRangePriority[2] = {1, 16};
constexpr uint32_t kRangeOneToSix[2] = {1, 6};
constexpr uint32_t kRangeOneTo127[2] = {1, 127};
constexpr uint32_t kRangeInstance[2] = {0, 0x3FFFFF};
constexpr uint32_t kNoMinimumBits = 0;

constexpr AsnSchemaType AnyPrimitive() { return {nullptr, 0, ASN_TYPE_ANY, AsnKindAnyPrimitive}; }
constexpr AsnSchemaType AnyValue() { return {nullptr, 0, ASN_TYPE_NONE, AsnKindAnyValue}; }
constexpr AsnSchemaType Rest() { return {nullptr, 0, ASN_TYPE_NONE, AsnConstructedRest}; }
constexpr AsnSchemaType Unsupported() {
  return {nullptr, 0, ASN_TYPE_NONE, AsnConstructedUnsupported};
}
constexpr AsnSchemaType Empty() { return {nullptr, 0, ASN_TYPE_NONE, AsnConstructedSequence}; }

template <std::size_t N>
constexpr AsnSchemaType Seq(const E (&elements)[N], int16_t datatype = ASN_TYPE_NONE) {
  return {elements, N, datatype, AsnConstructedSequence};
}
template <std::size_t N>
constexpr AsnSchemaType Choice(const E (&elements)[N], int16_t datatype = ASN_TYPE_NONE) {
  return {elements, N, datatype, AsnConstructedChoice};
}

// Error ::= SEQUENCE { error-class ENUMERATED, error-code ENUMERATED }
constexpr E kError[] = {{AsnRowErrorClass, -1, 0}, {AsnRowErrorCode, -1, 0}};
// BACnetPriorityValue alternatives: NULL or the property's own type
constexpr E kPriorityReal[] = {{AsnRowNull, -1, 0}, {AsnRowReal, -1, 0}};
constexpr E kPriorityBinary[] = {{AsnRowNull, -1, 0}, {AsnRowBinary, -1, 0}};
constexpr E kPriorityUnsigned[] = {{AsnRowNull, -1, 0}, {AsnRowUnsigned, -1, 0}};
constexpr E kPriorityDoor[] = {{AsnRowNull, -1, 0}, {AsnRowDoorValue, -1, 0}};
// BACnetAddress ::= SEQUENCE { network-number Unsigned16, mac-address OCTET STRING }
constexpr E kAddress[] = {{AsnRowUnsigned16, -1, 0}, {AsnRowMac, -1, 0}};
// BACnetDateRange ::= SEQUENCE { startDate Date, endDate Date }
constexpr E kDateRange[] = {{AsnRowDate, -1, 0}, {AsnRowDate, -1, 0}};
// BACnetCalendarEntry ::= CHOICE { date [0], dateRange [1], weekNDay [2] }
constexpr E kCalendarEntry[] = {
    {AsnRowDate, 0, 0}, {AsnRowDateRange, 1, 0}, {AsnRowWeekNDay, 2, 0}};
// BACnetDateTime ::= SEQUENCE { date Date, time Time }
constexpr E kDateTime[] = {{AsnRowDate, -1, 0}, {AsnRowTime, -1, 0}};
// BACnetTimeValue ::= SEQUENCE { time Time, value ABSTRACT-SYNTAX.&Type (primitive) }
constexpr E kTimeValue[] = {{AsnRowTime, -1, 0}, {AsnRowAnyPrimitive, -1, 0}};
// BACnetDailySchedule ::= SEQUENCE { day-schedule [0] SEQUENCE OF BACnetTimeValue }
constexpr E kDailySchedule[] = {{AsnRowTimeValue, 0, Of}};
// BACnetAccumulatorRecord ::= SEQUENCE { timestamp [0], presentValue [1], accumulatedValue [2],
//   accumulatorStatus [3] }
constexpr E kAccumulatorRecord[] = {{AsnRowDateTime, 0, 0},
                                    {AsnRowUnsigned, 1, 0},
                                    {AsnRowUnsigned, 2, 0},
                                    {AsnRowAccumulatorStatus, 3, 0}};
// BACnetPrescale ::= SEQUENCE { multiplier [0] Unsigned, moduloDivide [1] Unsigned }
constexpr E kPrescale[] = {{AsnRowUnsigned, 0, 0}, {AsnRowUnsigned, 1, 0}};
// BACnetScale ::= CHOICE { floatScale [0] REAL, integerScale [1] INTEGER }
constexpr E kScale[] = {{AsnRowReal, 0, 0}, {AsnRowSigned, 1, 0}};
// BACnetActionCommand ::= SEQUENCE { deviceIdentifier [0] OPTIONAL, objectIdentifier [1],
//   propertyIdentifier [2], propertyArrayIndex [3] OPTIONAL, propertyValue [4], priority [5]
//   OPTIONAL, postDelay [6] OPTIONAL, quitOnFailure [7], writeSuccessful [8] }
constexpr E kActionCommand[] = {
    {AsnRowObjectId, 0, Opt}, {AsnRowObjectId, 1, 0}, {AsnRowPropertyId, 2, 0},
    {AsnRowUnsigned, 3, Opt}, {AsnRowAnyValue, 4, 0}, {AsnRowPriority, 5, Opt},
    {AsnRowUnsigned, 6, Opt}, {AsnRowBoolean, 7, 0},  {AsnRowBoolean, 8, 0}};
// BACnetActionList ::= SEQUENCE { action [0] SEQUENCE OF BACnetActionCommand }
constexpr E kActionList[] = {{AsnRowActionCommand, 0, Of}};
// BACnetAddressBinding ::= SEQUENCE { deviceObjectIdentifier, deviceAddress BACnetAddress }
constexpr E kAddressBinding[] = {{AsnRowDevice, -1, 0}, {AsnRowAddress, -1, 0}};
// BACnetRecipient ::= CHOICE { device [0], address [1] BACnetAddress }
constexpr E kRecipient[] = {{AsnRowObjectId, 0, 0}, {AsnRowAddress, 1, 0}};
// BACnetDestination ::= SEQUENCE { validDays, fromTime, toTime, recipient, processIdentifier,
//   issueConfirmedNotifications, transitions }
constexpr E kDestination[] = {{AsnRowDaysOfWeek, -1, 0},    {AsnRowTime, -1, 0},
                              {AsnRowTime, -1, 0},          {AsnRowRecipient, -1, 0},
                              {AsnRowUnsigned32, -1, 0},    {AsnRowBoolean, -1, 0},
                              {AsnRowTransitionBits, -1, 0}};
// BACnetPropertyReference ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL }
constexpr E kPropertyReference[] = {{AsnRowPropertyId, 0, 0}, {AsnRowUnsigned, 1, Opt}};
// BACnetPropertyValue ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL,
//   value [2], priority [3] OPTIONAL }
constexpr E kPropertyValue[] = {{AsnRowPropertyId, 0, 0},
                                {AsnRowUnsigned, 1, Opt},
                                {AsnRowAnyValue, 2, 0},
                                {AsnRowValuePriority, 3, Opt}};
// BACnetDeviceObjectPropertyReference ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, deviceIdentifier [3] OPTIONAL }
constexpr E kDevObjPropRef[] = {{AsnRowObjectId, 0, 0},
                                {AsnRowPropertyId, 1, 0},
                                {AsnRowUnsigned, 2, Opt},
                                {AsnRowDevice, 3, Opt}};
// BACnetObjectPropertyReference ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL }
constexpr E kObjPropRef[] = {
    {AsnRowObjectId, 0, 0}, {AsnRowPropertyId, 1, 0}, {AsnRowUnsigned, 2, Opt}};
// BACnetDeviceObjectPropertyValue ::= SEQUENCE { deviceIdentifier [0], objectIdentifier [1],
//   propertyIdentifier [2], arrayIndex [3] OPTIONAL, value [4] }
constexpr E kDevObjPropValue[] = {{AsnRowDevice, 0, 0},
                                  {AsnRowObjectId, 1, 0},
                                  {AsnRowPropertyId, 2, 0},
                                  {AsnRowUnsigned, 3, Opt},
                                  {AsnRowAnyValue, 4, 0}};
// BACnetPropertyStates ::= CHOICE { boolean-value [0], binary-value [1], event-type [2], polarity
// [3],
//   program-change [4], program-state [5], reason-for-halt [6], reliability [7], state [8],
//   system-status [9], units [10], unsigned-value [11], life-safety-mode [12], life-safety-state
//   [13], restart-reason [14], door-alarm-state [15], action [16], door-secured-status [17],
//   door-status [18], door-value [19] }
constexpr E kPropertyStates[] = {
    {AsnRowBoolean, 0, 0}, {AsnRowBinary, 1, 0},         {AsnRowEventType, 2, 0},
    {AsnRowBinary, 3, 0},  {AsnRowProgramRequest, 4, 0}, {AsnRowProgramState, 5, 0},
    {AsnRowEnum16, 6, 0},  {AsnRowEnum16, 7, 0},         {AsnRowEventState, 8, 0},
    {AsnRowEnum16, 9, 0},  {AsnRowEnum16, 10, 0},        {AsnRowUnsigned, 11, 0},
    {AsnRowEnum16, 12, 0}, {AsnRowEnum16, 13, 0},        {AsnRowEnum16, 14, 0},
    {AsnRowEnum16, 15, 0}, {AsnRowEnum16, 16, 0},        {AsnRowEnum16, 17, 0},
    {AsnRowEnum16, 18, 0}, {AsnRowEnum16, 19, 0}};

// BACnetEventParameter alternatives.
// change-of-bitstring [0] SEQUENCE { time-delay [0], bitmask [1], list-of-bitstring-values [2] }
constexpr E kEventBitstring[] = {
    {AsnRowUnsigned, 0, 0}, {AsnRowBitString, 1, 0}, {AsnRowBitString, 2, Of}};
// change-of-state [1] SEQUENCE { time-delay [0], list-of-values [1] SEQUENCE OF
// BACnetPropertyStates }
constexpr E kEventState[] = {{AsnRowUnsigned, 0, 0}, {AsnRowPropertyStates, 1, Of}};
// cov-criteria CHOICE { bitmask [0] BIT STRING, referenced-property-increment [1] REAL }
constexpr E kEventCovCriteria[] = {{AsnRowBitString, 0, 0}, {AsnRowReal, 1, 0}};
// change-of-value [2] SEQUENCE { time-delay [0], cov-criteria [1] }
constexpr E kEventCov[] = {{AsnRowUnsigned, 0, 0}, {AsnRowEventCovCriteria, 1, 0}};
// command-failure [3] SEQUENCE { time-delay [0], feedback-property-reference [1] }
constexpr E kEventCommandFailure[] = {{AsnRowUnsigned, 0, 0}, {AsnRowDevObjPropRef, 1, 0}};
// floating-limit [4] SEQUENCE { time-delay [0], setpoint-reference [1], low-diff-limit [2],
//   high-diff-limit [3], deadband [4] }
constexpr E kEventFloatingLimit[] = {{AsnRowUnsigned, 0, 0},
                                     {AsnRowDevObjPropRef, 1, 0},
                                     {AsnRowReal, 2, 0},
                                     {AsnRowReal, 3, 0},
                                     {AsnRowReal, 4, 0}};
// out-of-range [5] SEQUENCE { time-delay [0], low-limit [1], high-limit [2], deadband [3] }
constexpr E kEventOutOfRange[] = {
    {AsnRowUnsigned, 0, 0}, {AsnRowReal, 1, 0}, {AsnRowReal, 2, 0}, {AsnRowReal, 3, 0}};
// change-of-life-safety [8] SEQUENCE { time-delay [0], list-of-life-safety-alarm-values [1],
//   list-of-alarm-values [2], mode-property-reference [3] }
constexpr E kEventLifeSafety[] = {{AsnRowUnsigned, 0, 0},
                                  {AsnRowEnum16, 1, Of},
                                  {AsnRowEnum16, 2, Of},
                                  {AsnRowDevObjPropRef, 3, 0}};
// extended parameters: CHOICE { null, real, integer, boolean, double, octet, bitstring, enum,
//   reference [0] BACnetDeviceObjectPropertyReference }
constexpr E kExtendedParameter[] = {
    {AsnRowNull, -1, 0},      {AsnRowReal, -1, 0},    {AsnRowUnsigned, -1, 0},
    {AsnRowBoolean, -1, 0},   {AsnRowDouble, -1, 0},  {AsnRowOctets, -1, 0},
    {AsnRowBitString, -1, 0}, {AsnRowEnumAny, -1, 0}, {AsnRowDevObjPropRef, 0, 0}};
// extended [9] SEQUENCE { vendor-id [0], extended-event-type [1], parameters [2] SEQUENCE OF CHOICE
// }
constexpr E kEventExtended[] = {
    {AsnRowUnsigned16, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowExtendedParameter, 2, Of}};
// buffer-ready [10] SEQUENCE { notification-threshold [0], previous-notification-count [1] }
constexpr E kEventBufferReady[] = {{AsnRowUnsigned, 0, 0}, {AsnRowUnsigned32, 1, 0}};
// BACnetEventParameter ::= CHOICE { ... [0]-[5], [7]-[11] }; the earlier
// buffer-ready form [7] holds what buffer-ready [10] holds.
constexpr E kEventParameter[] = {
    {AsnRowEventParamBitstring, 0, 0},     {AsnRowEventParamState, 1, 0},
    {AsnRowEventParamCov, 2, 0},           {AsnRowEventParamCommandFailure, 3, 0},
    {AsnRowEventParamFloatingLimit, 4, 0}, {AsnRowEventParamOutOfRange, 5, 0},
    {AsnRowEventParamBufferReady, 7, 0},   {AsnRowEventParamLifeSafety, 8, 0},
    {AsnRowEventParamExtended, 9, 0},      {AsnRowEventParamBufferReady, 10, 0},
    {AsnRowEventParamUnsignedRange, 11, 0}};
// unsigned-range [11] SEQUENCE { time-delay [0], low-limit [1], high-limit [2] }
constexpr E kEventUnsignedRange[] = {
    {AsnRowUnsigned, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowUnsigned, 2, 0}};

// BACnetNotificationParameters alternatives.
// change-of-bitstring [0] SEQUENCE { referenced-bitstring [0], status-flags [1] }
constexpr E kNotifyBitstring[] = {{AsnRowBitString, 0, 0}, {AsnRowStatusFlags, 1, 0}};
// change-of-state [1] SEQUENCE { new-state [0] BACnetPropertyStates, status-flags [1] }
constexpr E kNotifyState[] = {{AsnRowPropertyStates, 0, 0}, {AsnRowStatusFlags, 1, 0}};
// new-value CHOICE { changed-bits [0] BIT STRING, changed-value [1] REAL }
constexpr E kNotifyCovValue[] = {{AsnRowBitString, 0, 0}, {AsnRowReal, 1, 0}};
// change-of-value [2] SEQUENCE { new-value [0], status-flags [1] }
constexpr E kNotifyCov[] = {{AsnRowNotifyCovValue, 0, 0}, {AsnRowStatusFlags, 1, 0}};
// command-failure [3] SEQUENCE { command-value [0], status-flags [1], feedback-value [2] }
constexpr E kNotifyCommandFailure[] = {
    {AsnRowAnyValue, 0, 0}, {AsnRowStatusFlags, 1, 0}, {AsnRowAnyValue, 2, 0}};
// floating-limit [4] SEQUENCE { reference-value [0], status-flags [1], setpoint-value [2],
//   error-limit [3] }
constexpr E kNotifyFloatingLimit[] = {
    {AsnRowReal, 0, 0}, {AsnRowStatusFlags, 1, 0}, {AsnRowReal, 2, 0}, {AsnRowReal, 3, 0}};
// out-of-range [5] SEQUENCE { exceeding-value [0], status-flags [1], deadband [2], exceeded-limit
// [3] }
constexpr E kNotifyOutOfRange[] = {
    {AsnRowReal, 0, 0}, {AsnRowStatusFlags, 1, 0}, {AsnRowReal, 2, 0}, {AsnRowReal, 3, 0}};
// buffer-ready, earlier form [7] SEQUENCE { buffer-device [0] ObjectIdentifier, buffer-object [1]
//   ObjectIdentifier, previous-notification [2] BACnetDateTime, current-notification [3]
//   BACnetDateTime }
constexpr E kNotifyBufferReady7[] = {
    {AsnRowObjectId, 0, 0}, {AsnRowObjectId, 1, 0}, {AsnRowDateTime, 2, 0}, {AsnRowDateTime, 3, 0}};
// change-of-life-safety [8] SEQUENCE { new-state [0], new-mode [1], status-flags [2],
//   operation-expected [3] }
constexpr E kNotifyLifeSafety[] = {
    {AsnRowEnum16, 0, 0}, {AsnRowEnum16, 1, 0}, {AsnRowStatusFlags, 2, 0}, {AsnRowEnum16, 3, 0}};
// extended parameters: CHOICE { null, real, integer, boolean, double, octet, bitstring, enum,
//   propertyValue [0] BACnetDeviceObjectPropertyValue }
constexpr E kNotifyExtendedParameter[] = {
    {AsnRowNull, -1, 0},      {AsnRowReal, -1, 0},    {AsnRowUnsigned, -1, 0},
    {AsnRowBoolean, -1, 0},   {AsnRowDouble, -1, 0},  {AsnRowOctets, -1, 0},
    {AsnRowBitString, -1, 0}, {AsnRowEnumAny, -1, 0}, {AsnRowDevObjPropValue, 0, 0}};
// extended [9] SEQUENCE { vendor-id [0], extended-event-type [1], parameters [2] SEQUENCE OF }
constexpr E kNotifyExtended[] = {
    {AsnRowUnsigned16, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowNotifyExtendedParameter, 2, Of}};
// buffer-ready [10] SEQUENCE { buffer-property [0], previous-notification [1], current-notification
// [2] }
constexpr E kNotifyBufferReady[] = {
    {AsnRowDevObjPropRef, 0, 0}, {AsnRowUnsigned32, 1, 0}, {AsnRowUnsigned32, 2, 0}};
// unsigned-range [11] SEQUENCE { exceeding-value [0], status-flags [1], exceeded-limit [2] }
constexpr E kNotifyUnsignedRange[] = {
    {AsnRowUnsigned, 0, 0}, {AsnRowStatusFlags, 1, 0}, {AsnRowUnsigned, 2, 0}};
// BACnetNotificationParameters ::= CHOICE { ... [0]-[5], complex-event-type [6] SEQUENCE OF
//   BACnetPropertyValue, [7]-[11] }
constexpr E kNotificationParameters[] = {
    {AsnRowNotifyParamBitstring, 0, 0},     {AsnRowNotifyParamState, 1, 0},
    {AsnRowNotifyParamCov, 2, 0},           {AsnRowNotifyParamCommandFailure, 3, 0},
    {AsnRowNotifyParamFloatingLimit, 4, 0}, {AsnRowNotifyParamOutOfRange, 5, 0},
    {AsnRowPropertyValue, 6, Of},           {AsnRowNotifyParamBufferReady7, 7, 0},
    {AsnRowNotifyParamLifeSafety, 8, 0},    {AsnRowNotifyParamExtended, 9, 0},
    {AsnRowNotifyParamBufferReady, 10, 0},  {AsnRowNotifyParamUnsignedRange, 11, 0}};

// CreateObject objectSpecifier ::= CHOICE { objectType [0], objectIdentifier [1] }
constexpr E kObjectSpecifier[] = {{AsnRowObjectType, 0, 0}, {AsnRowObjectId, 1, 0}};
// WriteAccessSpecification ::= SEQUENCE { objectIdentifier [0], listOfProperties [1] }
constexpr E kWriteAccessSpec[] = {{AsnRowObjectId, 0, 0}, {AsnRowPropertyValue, 1, OfNonEmpty}};
// BACnetSetpointReference ::= SEQUENCE { setpointReference [0] OPTIONAL }
constexpr E kSetpointReference[] = {{AsnRowObjPropRef, 0, Opt}};
// BACnetShedLevel ::= CHOICE { percent [0] Unsigned, level [1] Unsigned, amount [2] REAL }
constexpr E kShedLevel[] = {{AsnRowUnsigned, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowReal, 2, 0}};
// BACnetSpecialEvent period ::= CHOICE { calendarEntry [0], calendarReference [1] }
constexpr E kSpecialPeriod[] = {{AsnRowCalendarEntry, 0, 0}, {AsnRowObjectId, 1, 0}};
// BACnetSpecialEvent ::= SEQUENCE { period, listOfTimeValues [2], eventPriority [3] }
constexpr E kSpecialEvent[] = {
    {AsnRowSpecialPeriod, -1, 0}, {AsnRowTimeValue, 2, Of}, {AsnRowPriority, 3, 0}};
// BACnetTimeStamp ::= CHOICE { time [0], sequenceNumber [1], dateTime [2] }
constexpr E kTimeStamp[] = {{AsnRowTime, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowDateTime, 2, 0}};
// ReadAccessResult listOfResults item ::= SEQUENCE { propertyIdentifier [2],
//   propertyArrayIndex [3] OPTIONAL, readResult }
constexpr E kReadResultItem[] = {
    {AsnRowPropertyId, 2, 0}, {AsnRowUnsigned, 3, Opt}, {AsnRowReadResult, -1, 0}};
// readResult ::= CHOICE { propertyValue [4], propertyAccessError [5] Error }
constexpr E kReadResult[] = {{AsnRowAnyValue, 4, 0}, {AsnRowError, 5, 0}};
// ReadAccessResult ::= SEQUENCE { objectIdentifier [0], listOfResults [1] OPTIONAL }
constexpr E kReadAccessResult[] = {{AsnRowObjectId, 0, 0}, {AsnRowReadResultItem, 1, OfOpt}};
// ReadAccessSpecification ::= SEQUENCE { objectIdentifier [0], listOfPropertyReferences [1] }
constexpr E kReadAccessSpec[] = {{AsnRowObjectId, 0, 0}, {AsnRowPropertyReference, 1, OfNonEmpty}};
// BACnetRecipientProcess ::= SEQUENCE { recipient [0], processIdentifier [1] }
constexpr E kRecipientProcess[] = {{AsnRowRecipient, 0, 0}, {AsnRowUnsigned32, 1, 0}};
// BACnetClientCOV ::= CHOICE { real-increment REAL, default-increment NULL }
constexpr E kClientCov[] = {{AsnRowReal, -1, 0}, {AsnRowNull, -1, 0}};
// BACnetCOVSubscription ::= SEQUENCE { recipient [0], monitoredPropertyReference [1],
//   issueConfirmedNotifications [2], timeRemaining [3], covIncrement [4] OPTIONAL }
constexpr E kCovSubscription[] = {{AsnRowRecipientProcess, 0, 0},
                                  {AsnRowObjPropRef, 1, 0},
                                  {AsnRowBoolean, 2, 0},
                                  {AsnRowUnsigned, 3, 0},
                                  {AsnRowReal, 4, Opt}};
// BACnetDeviceObjectReference ::= SEQUENCE { deviceIdentifier [0] OPTIONAL, objectIdentifier [1] }
constexpr E kDevObjRef[] = {{AsnRowDevice, 0, Opt}, {AsnRowObjectId, 1, 0}};
// BACnetLogRecord logDatum ::= CHOICE { log-status [0], boolean-value [1], real-value [2],
//   enum-value [3], unsigned-value [4], signed-value [5], bitstring-value [6], null-value [7],
//   failure [8] Error, time-change [9], any-value [10] }
constexpr E kLogDatum[] = {{AsnRowLogStatus, 0, 0}, {AsnRowBoolean, 1, 0},  {AsnRowReal, 2, 0},
                           {AsnRowEnumAny, 3, 0},   {AsnRowUnsigned, 4, 0}, {AsnRowSigned, 5, 0},
                           {AsnRowBitString, 6, 0}, {AsnRowNull, 7, 0},     {AsnRowError, 8, 0},
                           {AsnRowReal, 9, 0},      {AsnRowAnyValue, 10, 0}};
// BACnetLogRecord ::= SEQUENCE { timestamp [0], logDatum [1], statusFlags [2] OPTIONAL }
constexpr E kLogRecord[] = {
    {AsnRowDateTime, 0, 0}, {AsnRowLogDatum, 1, 0}, {AsnRowStatusFlags, 2, Opt}};
// BACnetVTSession ::= SEQUENCE { local-vtSessionID, remote-vtSessionID, remote-vtAddress }
constexpr E kVtSession[] = {
    {AsnRowUnsigned8, -1, 0}, {AsnRowUnsigned8, -1, 0}, {AsnRowAddress, -1, 0}};
// BACnetSessionKey ::= SEQUENCE { sessionKey OCTET STRING (SIZE(8)), peerAddress BACnetAddress }
constexpr E kSessionKey[] = {{AsnRowKeyOctets, -1, 0}, {AsnRowAddress, -1, 0}};
// BACnetEventLogRecord logDatum ::= CHOICE { log-status [0], notification [1], time-change [2] }
constexpr E kEventLogDatum[] = {
    {AsnRowLogStatus, 0, 0}, {AsnRowEventNotification, 1, 0}, {AsnRowReal, 2, 0}};
// BACnetEventLogRecord ::= SEQUENCE { timestamp [0], logDatum [1] }
constexpr E kEventLogRecord[] = {{AsnRowDateTime, 0, 0}, {AsnRowEventLogDatum, 1, 0}};
// BACnetLogMultipleRecord log-data item ::= CHOICE { boolean-value [0], real-value [1], enum-value
// [2],
//   unsigned-value [3], signed-value [4], bitstring-value [5], null-value [6], failure [7],
//   any-value [8] }
constexpr E kLogMultipleDatum[] = {
    {AsnRowBoolean, 0, 0},  {AsnRowReal, 1, 0},   {AsnRowEnumAny, 2, 0},
    {AsnRowUnsigned, 3, 0}, {AsnRowSigned, 4, 0}, {AsnRowBitString, 5, 0},
    {AsnRowNull, 6, 0},     {AsnRowError, 7, 0},  {AsnRowAnyValue, 8, 0}};
// logData ::= CHOICE { log-status [0], log-data [1] SEQUENCE OF, time-change [2] }
constexpr E kLogMultipleData[] = {
    {AsnRowLogStatus, 0, 0}, {AsnRowLogMultipleDatum, 1, Of}, {AsnRowReal, 2, 0}};
// BACnetLogMultipleRecord ::= SEQUENCE { timestamp [0], logData [1] }
constexpr E kLogMultipleRecord[] = {{AsnRowDateTime, 0, 0}, {AsnRowLogMultipleData, 1, 0}};

// Service parameters.
// AcknowledgeAlarm-Request ::= SEQUENCE { acknowledgingProcessIdentifier [0], eventObjectIdentifier
// [1],
//   eventStateAcknowledged [2], timeStamp [3], acknowledgmentSource [4], timeOfAcknowledgment [5] }
constexpr E kAcknowledgeAlarm[] = {{AsnRowUnsigned32, 0, 0}, {AsnRowObjectId, 1, 0},
                                   {AsnRowEventState, 2, 0}, {AsnRowTimeStamp, 3, 0},
                                   {AsnRowCharString, 4, 0}, {AsnRowTimeStamp, 5, 0}};
// (Un)ConfirmedCOVNotification-Request ::= SEQUENCE { subscriberProcessIdentifier [0],
//   initiatingDeviceIdentifier [1], monitoredObjectIdentifier [2], timeRemaining [3], listOfValues
//   [4] }
constexpr E kCovNotification[] = {{AsnRowUnsigned32, 0, 0},
                                  {AsnRowDevice, 1, 0},
                                  {AsnRowObjectId, 2, 0},
                                  {AsnRowUnsigned, 3, 0},
                                  {AsnRowPropertyValue, 4, Of}};
// (Un)ConfirmedEventNotification-Request ::= SEQUENCE { processIdentifier [0],
//   initiatingDeviceIdentifier [1], eventObjectIdentifier [2], timeStamp [3], notificationClass
//   [4], priority [5], eventType [6], messageText [7] OPTIONAL, notifyType [8], ackRequired [9],
//   fromState [10], toState [11], eventValues [12] } -- [9], [10], [12] absent for ack-notification
constexpr E kEventNotification[] = {{AsnRowUnsigned32, 0, 0},
                                    {AsnRowDevice, 1, 0},
                                    {AsnRowObjectId, 2, 0},
                                    {AsnRowTimeStamp, 3, 0},
                                    {AsnRowUnsigned, 4, 0},
                                    {AsnRowUnsigned8, 5, 0},
                                    {AsnRowEventType, 6, 0},
                                    {AsnRowCharString, 7, Opt},
                                    {AsnRowNotifyType, 8, Sel},
                                    {AsnRowBoolean, 9, Ack},
                                    {AsnRowEventState, 10, Ack},
                                    {AsnRowEventState, 11, 0},
                                    {AsnRowNotificationParameters, 12, Ack}};
// GetEnrollmentSummary-Request ::= SEQUENCE { acknowledgmentFilter [0], enrollmentFilter [1]
// OPTIONAL,
//   eventStateFilter [2] OPTIONAL, eventTypeFilter [3] OPTIONAL, priorityFilter [4] OPTIONAL,
//   notificationClassFilter [5] OPTIONAL }
constexpr E kGetEnrollmentSummary[] = {
    {AsnRowAckFilter, 0, 0},   {AsnRowRecipientProcess, 1, Opt}, {AsnRowStateFilter, 2, Opt},
    {AsnRowEventType, 3, Opt}, {AsnRowPriorityFilter, 4, Opt},   {AsnRowUnsigned, 5, Opt}};
// priorityFilter ::= SEQUENCE { minPriority [0] Unsigned8, maxPriority [1] Unsigned8 }
constexpr E kPriorityFilter[] = {{AsnRowUnsigned8, 0, 0}, {AsnRowUnsigned8, 1, 0}};
// SubscribeCOV-Request ::= SEQUENCE { subscriberProcessIdentifier [0], monitoredObjectIdentifier
// [1],
//   issueConfirmedNotifications [2] OPTIONAL, lifetime [3] OPTIONAL }
constexpr E kSubscribeCov[] = {{AsnRowUnsigned32, 0, 0},
                               {AsnRowObjectId, 1, 0},
                               {AsnRowBoolean, 2, Opt},
                               {AsnRowUnsigned, 3, Opt}};
// SubscribeCOVProperty-Request ::= SEQUENCE { subscriberProcessIdentifier [0],
//   monitoredObjectIdentifier [1], issueConfirmedNotifications [2] OPTIONAL, lifetime [3] OPTIONAL,
//   monitoredPropertyIdentifier [4], covIncrement [5] OPTIONAL }
constexpr E kSubscribeCovProperty[] = {{AsnRowUnsigned32, 0, 0},        {AsnRowObjectId, 1, 0},
                                       {AsnRowBoolean, 2, Opt},         {AsnRowUnsigned, 3, Opt},
                                       {AsnRowPropertyReference, 4, 0}, {AsnRowReal, 5, Opt}};
// GetEventInformation-Request ::= SEQUENCE { lastReceivedObjectIdentifier [0] OPTIONAL }
constexpr E kGetEventInformation[] = {{AsnRowObjectId, 0, Opt}};
// LifeSafetyOperation-Request ::= SEQUENCE { requestingProcessIdentifier [0], requestingSource [1],
//   request [2], objectIdentifier [3] OPTIONAL }
constexpr E kLifeSafetyOperation[] = {{AsnRowUnsigned32, 0, 0},
                                      {AsnRowCharString, 1, 0},
                                      {AsnRowEnum16, 2, 0},
                                      {AsnRowObjectId, 3, Opt}};
// AtomicWriteFile-Request and AtomicReadFile-ACK accessMethod ::= CHOICE { streamAccess [0],
//   recordAccess [1] }
constexpr E kFileAccessData[] = {{AsnRowStreamData, 0, 0}, {AsnRowRecordData, 1, 0}};
// streamAccess ::= SEQUENCE { fileStartPosition INTEGER, fileData OCTET STRING }
constexpr E kStreamData[] = {{AsnRowFilePosition, -1, 0}, {AsnRowFileData, -1, 0}};
// recordAccess ::= SEQUENCE { fileStartRecord INTEGER, recordCount Unsigned,
//   fileRecordData SEQUENCE OF OCTET STRING } -- the count selects how many records follow,
//   none among them, so the list itself may be absent
constexpr E kRecordData[] = {
    {AsnRowFilePosition, -1, 0}, {AsnRowCount, -1, Sel}, {AsnRowFileData, -1, OfOpt}};
// AtomicReadFile-Request ::= SEQUENCE { fileIdentifier, accessMethod }
constexpr E kAtomicReadFile[] = {{AsnRowObjectId, -1, 0}, {AsnRowFileAccessRead, -1, 0}};
// accessMethod ::= CHOICE { streamAccess [0], recordAccess [1] }
constexpr E kFileAccessRead[] = {{AsnRowStreamRead, 0, 0}, {AsnRowRecordRead, 1, 0}};
// streamAccess ::= SEQUENCE { fileStartPosition INTEGER, requestedOctetCount Unsigned }
// recordAccess ::= SEQUENCE { fileStartRecord INTEGER, requestedRecordCount Unsigned }
constexpr E kFileRead[] = {{AsnRowFilePosition, -1, 0}, {AsnRowCount, -1, 0}};
// AtomicWriteFile-Request ::= SEQUENCE { fileIdentifier, accessMethod }
constexpr E kAtomicWriteFile[] = {{AsnRowObjectId, -1, 0}, {AsnRowFileAccessData, -1, 0}};
// AddListElement-Request, RemoveListElement-Request ::= SEQUENCE { objectIdentifier [0],
//   propertyIdentifier [1], propertyArrayIndex [2] OPTIONAL, listOfElements [3] }
constexpr E kListElement[] = {{AsnRowObjectId, 0, 0},
                              {AsnRowPropertyId, 1, 0},
                              {AsnRowUnsigned, 2, Opt},
                              {AsnRowAnyValue, 3, 0}};
// CreateObject-Request ::= SEQUENCE { objectSpecifier [0], listOfInitialValues [1] OPTIONAL }
constexpr E kCreateObject[] = {{AsnRowObjectSpecifier, 0, 0}, {AsnRowPropertyValue, 1, OfOpt}};
// DeleteObject-Request ::= SEQUENCE { objectIdentifier }; CreateObject-ACK ::=
// BACnetObjectIdentifier
constexpr E kObjectIdentifierOnly[] = {{AsnRowObjectId, -1, 0}};
// ReadProperty-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL }
constexpr E kReadProperty[] = {
    {AsnRowObjectId, 0, 0}, {AsnRowPropertyId, 1, 0}, {AsnRowUnsigned, 2, Opt}};
// objectSelectionCriteria ::= SEQUENCE { selectionLogic [0], listOfSelectionCriteria [1] OPTIONAL }
constexpr E kSelectionCriteria[] = {{AsnRowNotifyType, 0, 0}, {AsnRowCriterion, 1, OfOpt}};
// selection criterion ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL,
//   relationSpecifier [2], comparisonValue [3] }
constexpr E kCriterion[] = {{AsnRowPropertyId, 0, 0},
                            {AsnRowUnsigned, 1, Opt},
                            {AsnRowRelation, 2, 0},
                            {AsnRowAnyValue, 3, 0}};
// ReadPropertyConditional-Request ::= SEQUENCE { objectSelectionCriteria [0],
//   listOfPropertyReferences [1] OPTIONAL }
constexpr E kReadPropertyConditional[] = {{AsnRowSelectionCriteria, 0, 0},
                                          {AsnRowPropertyReference, 1, OfOpt}};
// ReadPropertyMultiple-Request ::= SEQUENCE { listOfReadAccessSpecs SEQUENCE OF }
constexpr E kReadPropertyMultiple[] = {{AsnRowReadAccessSpec, -1, OfNonEmpty}};
// WriteProperty-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, propertyValue [3], priority [4] OPTIONAL }
constexpr E kWriteProperty[] = {{AsnRowObjectId, 0, 0},
                                {AsnRowPropertyId, 1, 0},
                                {AsnRowUnsigned, 2, Opt},
                                {AsnRowAnyValue, 3, 0},
                                {AsnRowPriority, 4, Opt}};
// WritePropertyMultiple-Request ::= SEQUENCE { listOfwriteAccessSpecifications SEQUENCE OF }
constexpr E kWritePropertyMultiple[] = {{AsnRowWriteAccessSpec, -1, OfNonEmpty}};
// ReadRange range ::= CHOICE { byPosition [3], bySequenceNumber [6], byTime [7] }
constexpr E kRange[] = {
    {AsnRowRangeByIndex, 3, 0}, {AsnRowRangeByIndex, 6, 0}, {AsnRowRangeByTime, 7, 0}};
// byPosition, bySequenceNumber ::= SEQUENCE { referenceIndex Unsigned, count INTEGER }
constexpr E kRangeByIndex[] = {{AsnRowUnsigned, -1, 0}, {AsnRowSigned, -1, 0}};
// byTime ::= SEQUENCE { referenceTime BACnetDateTime, count INTEGER }
constexpr E kRangeByTime[] = {{AsnRowDateTime, -1, 0}, {AsnRowSigned, -1, 0}};
// ReadRange-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, range OPTIONAL }
constexpr E kReadRange[] = {{AsnRowObjectId, 0, 0},
                            {AsnRowPropertyId, 1, 0},
                            {AsnRowUnsigned, 2, Opt},
                            {AsnRowRange, -1, Opt}};
// DeviceCommunicationControl-Request ::= SEQUENCE { timeDuration [0] OPTIONAL, enable-disable [1],
//   password [2] OPTIONAL }
constexpr E kDeviceCommunicationControl[] = {
    {AsnRowUnsigned16, 0, Opt}, {AsnRowEnableDisable, 1, 0}, {AsnRowDccPassword, 2, Opt}};
// (Un)ConfirmedPrivateTransfer-Request ::= SEQUENCE { vendorID [0], serviceNumber [1],
//   serviceParameters [2] OPTIONAL }; ConfirmedPrivateTransfer-ACK likewise with resultBlock [2]
constexpr E kPrivateTransfer[] = {
    {AsnRowUnsigned, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowAnyValue, 2, Opt}};
// messageClass ::= CHOICE { numeric [0] Unsigned, character [1] CharacterString }
constexpr E kMessageClass[] = {{AsnRowUnsigned, 0, 0}, {AsnRowCharString, 1, 0}};
// (Un)ConfirmedTextMessage-Request ::= SEQUENCE { textMessageSourceDevice [0], messageClass [1]
//   OPTIONAL, messagePriority [2], message [3] }
constexpr E kTextMessage[] = {{AsnRowDevice, 0, 0},
                              {AsnRowMessageClass, 1, Opt},
                              {AsnRowMessagePriority, 2, 0},
                              {AsnRowCharString, 3, 0}};
// ReinitializeDevice-Request ::= SEQUENCE { reinitializedStateOfDevice [0], password [1] OPTIONAL }
constexpr E kReinitializeDevice[] = {{AsnRowReinitState, 0, 0}, {AsnRowReinitPassword, 1, Opt}};
// I-Am-Request ::= SEQUENCE { iAmDeviceIdentifier, maxAPDULengthAccepted, segmentationSupported,
//   vendorID }
constexpr E kIAm[] = {{AsnRowDevice, -1, 0},
                      {AsnRowUnsigned, -1, 0},
                      {AsnRowSegmentation, -1, 0},
                      {AsnRowUnsigned16, -1, 0}};
// I-Have-Request ::= SEQUENCE { deviceIdentifier, objectIdentifier, objectName }
constexpr E kIHave[] = {{AsnRowDevice, -1, 0}, {AsnRowObjectId, -1, 0}, {AsnRowCharString, -1, 0}};
// TimeSynchronization-Request, UTCTimeSynchronization-Request ::= SEQUENCE { time BACnetDateTime }
constexpr E kTimeSynchronization[] = {{AsnRowDateTime, -1, 0}};
// Who-Has limits ::= SEQUENCE { deviceInstanceRangeLowLimit [0], deviceInstanceRangeHighLimit [1] }
constexpr E kWhoHasLimits[] = {{AsnRowInstance, 0, 0}, {AsnRowInstance, 1, 0}};
// Who-Has object ::= CHOICE { objectIdentifier [2], objectName [3] }
constexpr E kWhoHasObject[] = {{AsnRowObjectId, 2, 0}, {AsnRowCharString, 3, 0}};
// Who-Has-Request ::= SEQUENCE { limits OPTIONAL, object }
constexpr E kWhoHas[] = {{AsnRowWhoHasLimits, -1, Opt}, {AsnRowWhoHasObject, -1, 0}};
// Who-Is-Request ::= SEQUENCE { deviceInstanceRangeLowLimit [0] OPTIONAL,
//   deviceInstanceRangeHighLimit [1] OPTIONAL }
constexpr E kWhoIs[] = {{AsnRowInstance, 0, Opt}, {AsnRowInstance, 1, Opt}};
// GetAlarmSummary-ACK ::= SEQUENCE OF SEQUENCE { objectIdentifier, alarmState,
//   acknowledgedTransitions } -- empty when nothing is in alarm
constexpr E kGetAlarmSummaryAck[] = {{AsnRowAlarmSummary, -1, OfOpt}};
constexpr E kAlarmSummary[] = {
    {AsnRowObjectId, -1, 0}, {AsnRowEventState, -1, 0}, {AsnRowTransitionBits, -1, 0}};
// GetEnrollmentSummary-ACK ::= SEQUENCE OF SEQUENCE { objectIdentifier, eventType, eventState,
//   priority, notificationClass OPTIONAL } -- empty when nothing matches the filters
constexpr E kGetEnrollmentSummaryAck[] = {{AsnRowEnrollmentSummary, -1, OfOpt}};
constexpr E kEnrollmentSummary[] = {{AsnRowObjectId, -1, 0},
                                    {AsnRowEventType, -1, 0},
                                    {AsnRowEventState, -1, 0},
                                    {AsnRowUnsigned8, -1, 0},
                                    {AsnRowUnsigned, -1, Opt}};
// GetEventInformation-ACK ::= SEQUENCE { listOfEventSummaries [0], moreEvents [1] }
constexpr E kGetEventInformationAck[] = {{AsnRowEventSummary, 0, Of}, {AsnRowBoolean, 1, 0}};
// event summary ::= SEQUENCE { objectIdentifier [0], eventState [1], acknowledgedTransitions [2],
//   eventTimeStamps [3], notifyType [4], eventEnable [5], eventPriorities [6] }
constexpr E kEventSummary[] = {{AsnRowObjectId, 0, 0},       {AsnRowEventState, 1, 0},
                               {AsnRowTransitionBits, 2, 0}, {AsnRowTimeStamp, 3, Of},
                               {AsnRowNotifyType, 4, 0},     {AsnRowTransitionBits, 5, 0},
                               {AsnRowUnsigned, 6, Of}};
// AtomicReadFile-ACK ::= SEQUENCE { endOfFile BOOLEAN, accessMethod }
constexpr E kAtomicReadFileAck[] = {{AsnRowBoolean, -1, 0}, {AsnRowFileAccessData, -1, 0}};
// AtomicWriteFile-ACK ::= CHOICE { fileStartPosition [0], fileStartRecord [1] }
constexpr E kAtomicWriteFileAck[] = {{AsnRowFilePosition, 0, 0}, {AsnRowFilePosition, 1, 0}};
// ReadProperty-ACK ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, propertyValue [3] }
constexpr E kReadPropertyAck[] = {{AsnRowObjectId, 0, 0},
                                  {AsnRowPropertyId, 1, 0},
                                  {AsnRowUnsigned, 2, Opt},
                                  {AsnRowAnyValue, 3, 0}};
// ReadPropertyConditional-ACK ::= SEQUENCE { listOfReadAccessResults SEQUENCE OF OPTIONAL }
constexpr E kReadPropertyConditionalAck[] = {{AsnRowReadAccessResult, -1, OfOpt}};
// ReadPropertyMultiple-ACK ::= SEQUENCE { listOfReadAccessResults SEQUENCE OF }
constexpr E kReadPropertyMultipleAck[] = {{AsnRowReadAccessResult, -1, OfNonEmpty}};
// ReadRange-ACK ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, resultFlags [3], itemCount [4], itemData [5],
//   firstSequenceNumber [6] OPTIONAL }
constexpr E kReadRangeAck[] = {{AsnRowObjectId, 0, 0},    {AsnRowPropertyId, 1, 0},
                               {AsnRowUnsigned, 2, Opt},  {AsnRowLogStatus, 3, 0},
                               {AsnRowUnsigned, 4, 0},    {AsnRowAnyValue, 5, 0},
                               {AsnRowUnsigned32, 6, Opt}};
// ChangeList-Error, CreateObject-Error ::= SEQUENCE { errorType [0], firstFailedElementNumber [1] }
constexpr E kChangeListError[] = {{AsnRowError, 0, 0}, {AsnRowUnsigned, 1, 0}};
// WritePropertyMultiple-Error ::= SEQUENCE { errorType [0], firstFailedWriteAttempt [1] }
constexpr E kWritePropertyMultipleError[] = {{AsnRowError, 0, 0}, {AsnRowObjPropRef, 1, 0}};
// ConfirmedPrivateTransfer-Error ::= SEQUENCE { errorType [0], vendorID [1], serviceNumber [2],
//   errorParameters [3] OPTIONAL }
constexpr E kPrivateTransferError[] = {
    {AsnRowError, 0, 0}, {AsnRowUnsigned, 1, 0}, {AsnRowUnsigned, 2, 0}, {AsnRowAnyValue, 3, Opt}};

struct RowAt {
  uint16_t index;
  AsnSchemaType row;
};

constexpr RowAt kRows[] = {
    {0, Unsupported()},                            // no row: never an element
    {1, Prim(ASN_TAG_NULL, ASN_TYPE_NULL)},        // Null
    {2, Prim(ASN_TAG_BOOLEAN, ASN_TYPE_BOOLEAN)},  // Boolean
    {3, Unsigned()},
    {4, Unsigned()},
    {5, Unsigned(4)},
    {6, Unsigned(2)},
    {7, Unsigned(1)},
    {8, Unsigned(0, kRangeIndex)},
    {9, Unsigned(0, kRangePriority)},
    {10, Unsigned(0, kRangePriority)},
    {11, Unsigned(0, kRangeOneToSix)},
    {12, Unsigned(0, kRangePriority)},
    {13, Unsigned(0, kRangeOneTo127)},
    {14, Prim(ASN_TAG_SIGNED, ASN_TYPE_SIGNED)},            // Signed
    {15, Prim(ASN_TAG_REAL, ASN_TYPE_REAL)},                // Real
    {16, Prim(ASN_TAG_DOUBLE, ASN_TYPE_DOUBLE)},            // Double
    {17, Prim(ASN_TAG_CHAR_STRING, ASN_TYPE_CHAR_STRING)},  // CharacterString, any set
    {18, Text(0)},
    {19, Text(1)},
    {20, Text(2)},
    {21, Text(3)},
    {22, Text(4)},
    {23, Text(5)},
    {24, Prim(ASN_TAG_OCTET_STRING, ASN_TYPE_OCTET_STRING, 2)},  // MAC address
    {25, Prim(ASN_TAG_OCTET_STRING, ASN_TYPE_OCTET_STRING, 3)},  // session key
    {26, Prim(ASN_TAG_OCTET_STRING, ASN_TYPE_OCTET_STRING)},
    {27, Bits(7)},  // days of week
    {28, Bits(3)},  // event transition bits
    {29, Bits()},
    {30, Bits(2)},                    // limit enable
    {31, Bits(40, &kNoMinimumBits)},  // services supported
    {32, Bits(4)},                    // status flags
    {33, Bits(3)},                    // log status, result flags
    {34, Bits()},
    {35, ObjectId()},
    {36, ObjectId(2)},
    {37, Prim(ASN_TAG_DATE, ASN_TYPE_DATE)},  // Date
    {38, Prim(ASN_TAG_TIME, ASN_TYPE_TIME)},  // Time
    {39, Enumerated()},
    {40, Prim(ASN_TAG_OCTET_STRING, ASN_TYPE_WEEK_N_DAY, 1)},  // BACnetWeekNDay
    {41, Enumerated()},
    {42, Enumerated(1024)},
    {43, Enumerated(4194304)},
    {44, Enumerated(2)},
    {45, Enumerated(65536)},
    {46, Enumerated(65536)},
    {47, Enumerated(65536)},
    {48, Enumerated(3)},
    {49, Enumerated(65536)},
    {50, Enumerated(2)},
    {51, Enumerated(4)},
    {52, Enumerated(65536)},
    {53, Enumerated(65536)},
    {54, Enumerated(65536)},
    {55, Enumerated(65536)},
    {56, Enumerated(65536)},
    {57, Enumerated(65536)},
    {58, Enumerated(2)},
    {59, Enumerated(2)},
    {60, Enumerated(6)},
    {61, Enumerated(6)},
    {62, Enumerated(65536)},
    {63, Enumerated(12)},
    {64, Enumerated(4)},
    {65, Enumerated(4)},
    {66, Enumerated(2)},
    {67, Enumerated(5)},
    {68, Enumerated(3)},
    {69, Enumerated(3)},
    {70, Enumerated(65536)},
    {71, Enumerated(65536)},
    {72, Enumerated(65536)},
    {73, Enumerated(65536)},
    {74, Enumerated(65536)},
    {75, Enumerated(256)},
    {76, Enumerated(256)},
    {77, AnyPrimitive()},
    {78, AnyValue()},

    {79, Seq(kError)},
    {80, Choice(kPriorityReal, ASN_TYPE_PRIORITY_VALUE)},
    {81, Choice(kPriorityBinary, ASN_TYPE_PRIORITY_VALUE)},
    {82, Choice(kPriorityUnsigned, ASN_TYPE_PRIORITY_VALUE)},
    {83, Choice(kPriorityDoor, ASN_TYPE_PRIORITY_VALUE)},
    {84, Seq(kAddress, ASN_TYPE_ADDRESS)},
    {85, Seq(kDateRange, ASN_TYPE_DATE_RANGE)},
    {86, Choice(kCalendarEntry, ASN_TYPE_CALENDAR_ENTRY)},
    {87, Seq(kDateTime, ASN_TYPE_DATE_TIME)},
    {88, Seq(kTimeValue, ASN_TYPE_TIME_VALUE)},
    {89, Seq(kDailySchedule, ASN_TYPE_DAILY_SCHEDULE)},
    {90, Seq(kAccumulatorRecord, ASN_TYPE_ACCUMULATOR_RECORD)},
    {91, Seq(kPrescale, ASN_TYPE_PRESCALE)},
    {92, Choice(kScale, ASN_TYPE_SCALE)},
    {93, Seq(kActionCommand, ASN_TYPE_ACTION_COMMAND)},
    {94, Seq(kActionList, ASN_TYPE_ACTION_LIST)},
    {95, Unsupported()},  // spare
    {96, Seq(kAddressBinding, ASN_TYPE_ADDRESS_BINDING)},
    {97, Choice(kRecipient, ASN_TYPE_RECIPIENT)},
    {98, Seq(kDestination, ASN_TYPE_DESTINATION)},
    {99, Seq(kPropertyReference, ASN_TYPE_PROPERTY_REF)},
    {100, Seq(kPropertyValue, ASN_TYPE_PROPERTY_VALUE)},
    {101, Seq(kDevObjPropRef, ASN_TYPE_DEV_OBJ_PROP_REF)},
    {102, Seq(kObjPropRef, ASN_TYPE_OBJ_PROP_REF)},
    {103, Seq(kDevObjPropValue, ASN_TYPE_DEV_OBJ_PROP_VALUE)},
    {104, Choice(kPropertyStates, ASN_TYPE_PROPERTY_STATES)},
    {105, Seq(kEventBitstring)},
    {106, Seq(kEventState)},
    {107, Choice(kEventCovCriteria)},
    {108, Seq(kEventCov)},
    {109, Seq(kEventCommandFailure)},
    {110, Seq(kEventFloatingLimit)},
    {111, Seq(kEventOutOfRange)},
    {112, Seq(kEventLifeSafety)},
    {113, Choice(kExtendedParameter)},
    {114, Seq(kEventExtended)},
    {115, Seq(kEventBufferReady)},
    {116, Choice(kEventParameter, ASN_TYPE_EVENT_PARAMETER)},
    {117, Seq(kEventUnsignedRange)},
    {118, Seq(kNotifyBitstring)},
    {119, Seq(kNotifyState)},
    {120, Choice(kNotifyCovValue)},
    {121, Seq(kNotifyCov)},
    {122, Seq(kNotifyCommandFailure)},
    {123, Seq(kNotifyFloatingLimit)},
    {124, Seq(kNotifyOutOfRange)},
    {125, Seq(kNotifyLifeSafety)},
    {126, Seq(kNotifyExtended)},
    {127, Seq(kNotifyBufferReady)},
    {128, Seq(kNotifyUnsignedRange)},
    {129, Choice(kNotificationParameters)},
    {130, Choice(kNotifyExtendedParameter)},
    {131, Choice(kObjectSpecifier)},
    {132, Seq(kWriteAccessSpec)},
    {133, Seq(kSetpointReference, ASN_TYPE_SETPOINT_REF)},
    {134, Choice(kShedLevel, ASN_TYPE_SHED_LEVEL)},
    {135, Choice(kSpecialPeriod)},
    {136, Seq(kSpecialEvent, ASN_TYPE_SPECIAL_EVENT)},
    {137, Choice(kTimeStamp, ASN_TYPE_TIME_STAMP)},
    {138, Seq(kReadResultItem)},
    {139, Choice(kReadResult)},
    {140, Seq(kReadAccessResult, ASN_TYPE_READ_ACCESS_RESULT)},
    {141, Seq(kReadAccessSpec, ASN_TYPE_READ_ACCESS_SPEC)},
    {142, Seq(kRecipientProcess)},
    {143, Choice(kClientCov, ASN_TYPE_CLIENT_COV)},
    {144, Seq(kCovSubscription, ASN_TYPE_COV_SUBSCRIPTION)},
    {145, Seq(kDevObjRef, ASN_TYPE_DEV_OBJ_REF)},
    {146, Choice(kLogDatum)},
    {147, Seq(kLogRecord, ASN_TYPE_LOG_RECORD)},
    {148, Seq(kVtSession, ASN_TYPE_VT_SESSION)},
    {149, Seq(kSessionKey, ASN_TYPE_SESSION_KEY)},
    {150, Seq(kNotifyBufferReady7)},
    {151, Choice(kEventLogDatum)},
    {152, Seq(kEventLogRecord, ASN_TYPE_EVENT_LOG_RECORD)},
    {153, Choice(kLogMultipleDatum)},
    {154, Choice(kLogMultipleData)},
    {155, Seq(kLogMultipleRecord, ASN_TYPE_LOG_MULTIPLE_RECORD)},

    {156, Enumerated(7)},  // reinitialized state of device
    {157, Unsigned(0, kRangeInstance)},
    {158, Enumerated(3)},                          // acknowledgment filter
    {159, Enumerated(5)},                          // event state filter
    {160, Enumerated(6)},                          // relation specifier
    {161, Enumerated(3)},                          // enable-disable
    {162, Prim(ASN_TAG_SIGNED, ASN_TYPE_SIGNED)},  // file start position or record
    {163, ObjectId(1)},                            // a device
    {164, Rest()},
    {165, Prim(ASN_TAG_OCTET_STRING, ASN_TYPE_OCTET_STRING)},  // file data
    {166, Prim(ASN_TAG_CHAR_STRING, ASN_TYPE_CHAR_STRING, 1,
               160)},  // DeviceCommunicationControl password
    {167, Prim(ASN_TAG_CHAR_STRING, ASN_TYPE_CHAR_STRING, 1, 160)},  // ReinitializeDevice password
    {168, Unsigned()},                                               // octet and record counts

    {169, Seq(kAcknowledgeAlarm)},
    {170, Seq(kCovNotification)},
    {171, Seq(kEventNotification)},
    {172, Unsupported()},  // spare
    {173, Empty()},        // no parameters
    {174, Seq(kGetEnrollmentSummary)},
    {175, Seq(kPriorityFilter)},
    {176, Seq(kSubscribeCov)},
    {177, Seq(kSubscribeCovProperty)},
    {178, Seq(kGetEventInformation)},
    {179, Seq(kLifeSafetyOperation)},
    {180, Choice(kFileAccessData)},
    {181, Seq(kStreamData)},
    {182, Seq(kRecordData)},
    {183, Seq(kAtomicReadFile)},
    {184, Choice(kFileAccessRead)},
    {185, Seq(kFileRead)},
    {186, Seq(kFileRead)},
    {187, Seq(kAtomicWriteFile)},
    {188, Seq(kListElement)},
    {189, Unsupported()},  // spare
    {190, Seq(kCreateObject)},
    {191, Seq(kObjectIdentifierOnly)},
    {192, Seq(kReadProperty)},
    {193, Seq(kSelectionCriteria)},
    {194, Seq(kCriterion)},
    {195, Seq(kReadPropertyConditional)},
    {196, Seq(kReadPropertyMultiple)},
    {197, Seq(kWriteProperty)},
    {198, Seq(kWritePropertyMultiple)},
    {199, Choice(kRange)},
    {200, Seq(kRangeByIndex)},
    {201, Seq(kRangeByTime)},
    {202, Unsupported()},  // spare
    {203, Unsupported()},  // spare
    {204, Seq(kReadRange)},
    {205, Seq(kDeviceCommunicationControl)},
    {206, Seq(kPrivateTransfer)},
    {207, Choice(kMessageClass)},
    {208, Seq(kTextMessage)},
    {209, Seq(kReinitializeDevice)},
    {210, Seq(kIAm)},
    {211, Seq(kIHave)},
    {212, Seq(kTimeSynchronization)},
    {213, Seq(kWhoHasLimits)},
    {214, Choice(kWhoHasObject)},
    {215, Seq(kWhoHas)},
    {216, Seq(kWhoIs)},
    {217, Seq(kGetAlarmSummaryAck)},
    {218, Seq(kAlarmSummary)},
    {219, Seq(kGetEnrollmentSummaryAck)},
    {220, Seq(kEnrollmentSummary)},
    {221, Unsupported()},  // spare
    {222, Unsupported()},  // spare
    {223, Unsupported()},  // spare
    {224, Seq(kGetEventInformationAck)},
    {225, Seq(kEventSummary)},
    {226, Unsupported()},  // spare
    {227, Unsupported()},  // spare
    {228, Seq(kAtomicReadFileAck)},
    {229, Choice(kAtomicWriteFileAck)},
    {230, Seq(kObjectIdentifierOnly)},
    {231, Seq(kReadPropertyAck)},
    {232, Seq(kReadPropertyConditionalAck)},
    {233, Seq(kReadPropertyMultipleAck)},
    {234, Seq(kReadRangeAck)},
    {235, Seq(kPrivateTransfer)},
    {236, Seq(kChangeListError)},
    {237, Seq(kChangeListError)},
    {238, Seq(kWritePropertyMultipleError)},
    {239, Seq(kPrivateTransferError)},
};

// Rows are written with their index so that the numbers other code names
// cannot drift; every row must be given exactly once, in order.
constexpr bool RowsComplete() {
  if (std::size(kRows) != AsnSchemaRowCount) return false;
  for (std::size_t i = 0; i < std::size(kRows); ++i)
    if (kRows[i].index != i) return false;
  return true;
}
static_assert(RowsComplete());

constexpr std::array<AsnSchemaType, AsnSchemaRowCount> Build() {
  std::array<AsnSchemaType, AsnSchemaRowCount> table{};
  for (const RowAt& r : kRows)
    table[r.index] = r.row;
  return table;
}

}  // namespace

constexpr std::array<AsnSchemaType, AsnSchemaRowCount> AsnSchemaTable = Build();

const AsnSchemaType* AsnSchemaSeqOfElement(const AsnSchemaType* row) {
  if (row == nullptr || (row->tagKind & 0xFF) != AsnConstructedSequence || row->bound != 1 ||
      row->data == nullptr)
    return nullptr;
  const auto* e = static_cast<const AsnSchemaElement*>(row->data);
  if ((e->flags & AsnElementSequenceOf) == 0) return nullptr;
  return &AsnSchemaTable[e->row];
}

uint16_t AsnSchemaSeqOfRow(uint32_t row) {
  if (row >= AsnSchemaRowCount) return 0;
  const AsnSchemaType* element = AsnSchemaSeqOfElement(&AsnSchemaTable[row]);
  return element == nullptr ? 0 : static_cast<uint16_t>(element - AsnSchemaTable.data());
}

bool AsnSchemaIsPlain(uint32_t row) {
  if (row >= AsnSchemaRowCount) return false;
  const AsnSchemaType& r = AsnSchemaTable[row];
  const uint8_t tk = static_cast<uint8_t>(r.tagKind);
  if ((tk & 0x08) == 0) return true;
  if (tk != AsnConstructedChoice) return false;
  const auto* e = static_cast<const AsnSchemaElement*>(r.data);
  for (uint32_t i = 0; i < r.bound; ++i)
    if (!AsnSchemaIsPlain(e[i].row)) return false;
  return true;
}

uint16_t AsnSchemaRowOfDatatype(int32_t datatype) {
  constexpr int32_t kCodes = ASN_TYPE_LAST + 1;
  static const auto byDatatype = [] {
    std::array<uint16_t, kCodes> rows{};
    for (uint32_t i = 0; i < AsnSchemaRowCount; ++i) {
      const int16_t d = AsnSchemaTable[i].datatype;
      if (d >= 0 && d < kCodes && rows[static_cast<std::size_t>(d)] == 0 && !AsnSchemaIsPlain(i))
        rows[static_cast<std::size_t>(d)] = static_cast<uint16_t>(i);
    }
    return rows;
  }();
  return datatype >= 0 && datatype < kCodes ? byDatatype[static_cast<std::size_t>(datatype)]
                                            : uint16_t{0};
}
