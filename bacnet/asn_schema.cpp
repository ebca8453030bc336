#include "bacnet/asn_schema.h"

#include <cstddef>

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
  return Prim(2, 2, 0, maxOctets, range);
}
constexpr AsnSchemaType Enumerated(uint32_t limit = 0) { return Prim(9, 9, 0, limit); }
constexpr AsnSchemaType Bits(uint32_t count = 0, const uint32_t* minimum = nullptr) {
  return Prim(8, 8, 0, count, minimum);
}
constexpr AsnSchemaType ObjectId(uint8_t variant = 0) { return Prim(12, 12, variant); }

constexpr uint32_t kCharsets[6] = {0, 1, 2, 3, 4, 5};
constexpr AsnSchemaType Text(int set) {
  return Prim(7, static_cast<int16_t>(13 + set), 1, 0, &kCharsets[set]);
}

constexpr uint32_t kRangeIndex[2] = {0, 0x7FFFFFFF};
constexpr uint32_t kRangePriority[2] = {1, 16};
constexpr uint32_t kRangeOneToSix[2] = {1, 6};
constexpr uint32_t kRangeOneTo127[2] = {1, 127};
constexpr uint32_t kRangeInstance[2] = {0, 0x3FFFFF};
constexpr uint32_t kNoMinimumBits = 0;

constexpr AsnSchemaType AnyPrimitive() { return {nullptr, 0, -2, AsnKindAnyPrimitive}; }
constexpr AsnSchemaType AnyValue() { return {nullptr, 0, -1, AsnKindAnyValue}; }
constexpr AsnSchemaType Rest() { return {nullptr, 0, -1, AsnConstructedRest}; }
constexpr AsnSchemaType Unsupported() { return {nullptr, 0, -1, AsnConstructedUnsupported}; }
constexpr AsnSchemaType Empty() { return {nullptr, 0, -1, AsnConstructedSequence}; }

template <std::size_t N>
constexpr AsnSchemaType Seq(const E (&elements)[N], int16_t datatype = -1) {
  return {elements, N, datatype, AsnConstructedSequence};
}
template <std::size_t N>
constexpr AsnSchemaType Choice(const E (&elements)[N], int16_t datatype = -1) {
  return {elements, N, datatype, AsnConstructedChoice};
}

// Enumeration rows by meaning (the bounds live in the rows themselves).
constexpr uint16_t rEnumAny = 39, rObjectType = 42, rPropertyId = 43, rBinary = 44, rEnum16 = 45,
                   rEventState = 46, rEventType = 47, rNotifyType = 48, rSegmentation = 51,
                   rMessagePriority = 50, rErrorClass = 46, rErrorCode = 47,
                   rAccumulatorStatus = 67;
constexpr uint16_t rNull = 1, rBoolean = 2, rUnsigned = 3, rUnsigned32 = 5, rUnsigned16 = 6,
                   rUnsigned8 = 7, rPriority = 9, rSigned = 14, rReal = 15, rDouble = 16,
                   rCharString = 17, rMac = 24, rSessionKey = 25, rOctets = 26, rDaysOfWeek = 27,
                   rTransitionBits = 28, rBitString = 29, rStatusFlags = 32, rLogStatus = 33,
                   rObjectId = 35, rDate = 37, rTime = 38, rWeekNDay = 40, rAnyPrimitive = 77,
                   rAny = 78;
constexpr uint16_t rReinitState = 156, rInstance = 157, rAckFilter = 158, rStateFilter = 159,
                   rRelation = 160, rEnableDisable = 161, rFilePosition = 162, rDevice = 163,
                   rFileData = 165, rDccPassword = 166, rReinitPassword = 167, rCount = 168;

// Constructed rows by production.
constexpr uint16_t rError = 79, rAddress = 84, rDateRange = 85, rCalendarEntry = 86, rDateTime = 87,
                   rTimeValue = 88, rActionCommand = 93, rRecipient = 97, rPropertyReference = 99,
                   rPropertyValue = 100, rDevObjPropRef = 101, rObjPropRef = 102,
                   rPropertyStates = 104, rEventCovCriteria = 107, rExtendedParameter = 113,
                   rNotifyCovValue = 120, rObjectSpecifier = 131, rWriteAccessSpec = 132,
                   rSpecialPeriod = 135, rTimeStamp = 137, rReadResultItem = 138, rReadResult = 139,
                   rReadAccessResult = 140, rReadAccessSpec = 141, rRecipientProcess = 142,
                   rLogDatum = 146, rEventLogDatum = 151, rLogMultipleDatum = 153,
                   rLogMultipleData = 154;
constexpr uint16_t rNotificationParameters = 129;
constexpr uint16_t rEventNotification = 171, rPriorityFilter = 175, rFileAccessData = 180,
                   rStreamData = 181, rRecordData = 182, rFileAccessRead = 184, rStreamRead = 185,
                   rRecordRead = 186, rSelectionCriteria = 193, rCriterion = 194, rRange = 199,
                   rRangeByIndex = 200, rRangeByTime = 201, rMessageClass = 207,
                   rWhoHasLimits = 213, rWhoHasObject = 214, rAlarmSummary = 218,
                   rEnrollmentSummary = 220, rEventSummary = 225;

// Error ::= SEQUENCE { error-class ENUMERATED, error-code ENUMERATED }
constexpr E kError[] = {{rErrorClass, -1, 0}, {rErrorCode, -1, 0}};
// BACnetPriorityValue alternatives: NULL or the property's own type
constexpr E kPriorityReal[] = {{rNull, -1, 0}, {rReal, -1, 0}};
constexpr E kPriorityBinary[] = {{rNull, -1, 0}, {rBinary, -1, 0}};
constexpr E kPriorityUnsigned[] = {{rNull, -1, 0}, {rUnsigned, -1, 0}};
constexpr E kPriorityDoor[] = {{rNull, -1, 0}, {65, -1, 0}};
// BACnetAddress ::= SEQUENCE { network-number Unsigned16, mac-address OCTET STRING }
constexpr E kAddress[] = {{rUnsigned16, -1, 0}, {rMac, -1, 0}};
// BACnetDateRange ::= SEQUENCE { startDate Date, endDate Date }
constexpr E kDateRange[] = {{rDate, -1, 0}, {rDate, -1, 0}};
// BACnetCalendarEntry ::= CHOICE { date [0], dateRange [1], weekNDay [2] }
constexpr E kCalendarEntry[] = {{rDate, 0, 0}, {rDateRange, 1, 0}, {rWeekNDay, 2, 0}};
// BACnetDateTime ::= SEQUENCE { date Date, time Time }
constexpr E kDateTime[] = {{rDate, -1, 0}, {rTime, -1, 0}};
// BACnetTimeValue ::= SEQUENCE { time Time, value ABSTRACT-SYNTAX.&Type (primitive) }
constexpr E kTimeValue[] = {{rTime, -1, 0}, {rAnyPrimitive, -1, 0}};
// BACnetDailySchedule ::= SEQUENCE { day-schedule [0] SEQUENCE OF BACnetTimeValue }
constexpr E kDailySchedule[] = {{rTimeValue, 0, Of}};
// BACnetAccumulatorRecord ::= SEQUENCE { timestamp [0], presentValue [1], accumulatedValue [2],
//   accumulatorStatus [3] }
constexpr E kAccumulatorRecord[] = {
    {rDateTime, 0, 0}, {rUnsigned, 1, 0}, {rUnsigned, 2, 0}, {rAccumulatorStatus, 3, 0}};
// BACnetPrescale ::= SEQUENCE { multiplier [0] Unsigned, moduloDivide [1] Unsigned }
constexpr E kPrescale[] = {{rUnsigned, 0, 0}, {rUnsigned, 1, 0}};
// BACnetScale ::= CHOICE { floatScale [0] REAL, integerScale [1] INTEGER }
constexpr E kScale[] = {{rReal, 0, 0}, {rSigned, 1, 0}};
// BACnetActionCommand ::= SEQUENCE { deviceIdentifier [0] OPTIONAL, objectIdentifier [1],
//   propertyIdentifier [2], propertyArrayIndex [3] OPTIONAL, propertyValue [4], priority [5]
//   OPTIONAL, postDelay [6] OPTIONAL, quitOnFailure [7], writeSuccessful [8] }
constexpr E kActionCommand[] = {{rObjectId, 0, Opt}, {rObjectId, 1, 0}, {rPropertyId, 2, 0},
                                {rUnsigned, 3, Opt}, {rAny, 4, 0},      {rPriority, 5, Opt},
                                {rUnsigned, 6, Opt}, {rBoolean, 7, 0},  {rBoolean, 8, 0}};
// BACnetActionList ::= SEQUENCE { action [0] SEQUENCE OF BACnetActionCommand }
constexpr E kActionList[] = {{rActionCommand, 0, Of}};
// BACnetAddressBinding ::= SEQUENCE { deviceObjectIdentifier, deviceAddress BACnetAddress }
constexpr E kAddressBinding[] = {{rDevice, -1, 0}, {rAddress, -1, 0}};
// BACnetRecipient ::= CHOICE { device [0], address [1] BACnetAddress }
constexpr E kRecipient[] = {{rObjectId, 0, 0}, {rAddress, 1, 0}};
// BACnetDestination ::= SEQUENCE { validDays, fromTime, toTime, recipient, processIdentifier,
//   issueConfirmedNotifications, transitions }
constexpr E kDestination[] = {{rDaysOfWeek, -1, 0},    {rTime, -1, 0},       {rTime, -1, 0},
                              {rRecipient, -1, 0},     {rUnsigned32, -1, 0}, {rBoolean, -1, 0},
                              {rTransitionBits, -1, 0}};
// BACnetPropertyReference ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL }
constexpr E kPropertyReference[] = {{rPropertyId, 0, 0}, {rUnsigned, 1, Opt}};
// BACnetPropertyValue ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL,
//   value [2], priority [3] OPTIONAL }
constexpr E kPropertyValue[] = {
    {rPropertyId, 0, 0}, {rUnsigned, 1, Opt}, {rAny, 2, 0}, {10, 3, Opt}};
// BACnetDeviceObjectPropertyReference ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, deviceIdentifier [3] OPTIONAL }
constexpr E kDevObjPropRef[] = {
    {rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}, {rDevice, 3, Opt}};
// BACnetObjectPropertyReference ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL }
constexpr E kObjPropRef[] = {{rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}};
// BACnetDeviceObjectPropertyValue ::= SEQUENCE { deviceIdentifier [0], objectIdentifier [1],
//   propertyIdentifier [2], arrayIndex [3] OPTIONAL, value [4] }
constexpr E kDevObjPropValue[] = {
    {rDevice, 0, 0}, {rObjectId, 1, 0}, {rPropertyId, 2, 0}, {rUnsigned, 3, Opt}, {rAny, 4, 0}};
// BACnetPropertyStates ::= CHOICE { boolean-value [0], binary-value [1], event-type [2], polarity
// [3],
//   program-change [4], program-state [5], reason-for-halt [6], reliability [7], state [8],
//   system-status [9], units [10], unsigned-value [11], life-safety-mode [12], life-safety-state
//   [13], restart-reason [14], door-alarm-state [15], action [16], door-secured-status [17],
//   door-status [18], door-value [19] }
constexpr E kPropertyStates[] = {
    {rBoolean, 0, 0},    {rBinary, 1, 0},  {rEventType, 2, 0}, {rBinary, 3, 0},
    {60, 4, 0},          {61, 5, 0},       {rEnum16, 6, 0},    {rEnum16, 7, 0},
    {rEventState, 8, 0}, {rEnum16, 9, 0},  {rEnum16, 10, 0},   {rUnsigned, 11, 0},
    {rEnum16, 12, 0},    {rEnum16, 13, 0}, {rEnum16, 14, 0},   {rEnum16, 15, 0},
    {rEnum16, 16, 0},    {rEnum16, 17, 0}, {rEnum16, 18, 0},   {rEnum16, 19, 0}};

// BACnetEventParameter alternatives.
// change-of-bitstring [0] SEQUENCE { time-delay [0], bitmask [1], list-of-bitstring-values [2] }
constexpr E kEventBitstring[] = {{rUnsigned, 0, 0}, {rBitString, 1, 0}, {rBitString, 2, Of}};
// change-of-state [1] SEQUENCE { time-delay [0], list-of-values [1] SEQUENCE OF
// BACnetPropertyStates }
constexpr E kEventState[] = {{rUnsigned, 0, 0}, {rPropertyStates, 1, Of}};
// cov-criteria CHOICE { bitmask [0] BIT STRING, referenced-property-increment [1] REAL }
constexpr E kEventCovCriteria[] = {{rBitString, 0, 0}, {rReal, 1, 0}};
// change-of-value [2] SEQUENCE { time-delay [0], cov-criteria [1] }
constexpr E kEventCov[] = {{rUnsigned, 0, 0}, {rEventCovCriteria, 1, 0}};
// command-failure [3] SEQUENCE { time-delay [0], feedback-property-reference [1] }
constexpr E kEventCommandFailure[] = {{rUnsigned, 0, 0}, {rDevObjPropRef, 1, 0}};
// floating-limit [4] SEQUENCE { time-delay [0], setpoint-reference [1], low-diff-limit [2],
//   high-diff-limit [3], deadband [4] }
constexpr E kEventFloatingLimit[] = {
    {rUnsigned, 0, 0}, {rDevObjPropRef, 1, 0}, {rReal, 2, 0}, {rReal, 3, 0}, {rReal, 4, 0}};
// out-of-range [5] SEQUENCE { time-delay [0], low-limit [1], high-limit [2], deadband [3] }
constexpr E kEventOutOfRange[] = {{rUnsigned, 0, 0}, {rReal, 1, 0}, {rReal, 2, 0}, {rReal, 3, 0}};
// change-of-life-safety [8] SEQUENCE { time-delay [0], list-of-life-safety-alarm-values [1],
//   list-of-alarm-values [2], mode-property-reference [3] }
constexpr E kEventLifeSafety[] = {
    {rUnsigned, 0, 0}, {rEnum16, 1, Of}, {rEnum16, 2, Of}, {rDevObjPropRef, 3, 0}};
// extended parameters: CHOICE { null, real, integer, boolean, double, octet, bitstring, enum,
//   reference [0] BACnetDeviceObjectPropertyReference }
constexpr E kExtendedParameter[] = {{rNull, -1, 0},      {rReal, -1, 0},    {rUnsigned, -1, 0},
                                    {rBoolean, -1, 0},   {rDouble, -1, 0},  {rOctets, -1, 0},
                                    {rBitString, -1, 0}, {rEnumAny, -1, 0}, {rDevObjPropRef, 0, 0}};
// extended [9] SEQUENCE { vendor-id [0], extended-event-type [1], parameters [2] SEQUENCE OF CHOICE
// }
constexpr E kEventExtended[] = {
    {rUnsigned16, 0, 0}, {rUnsigned, 1, 0}, {rExtendedParameter, 2, Of}};
// buffer-ready [10] SEQUENCE { notification-threshold [0], previous-notification-count [1] }
constexpr E kEventBufferReady[] = {{rUnsigned, 0, 0}, {rUnsigned32, 1, 0}};
// BACnetEventParameter ::= CHOICE { ... [0]-[5], [8]-[11] }
constexpr E kEventParameter[] = {{105, 0, 0}, {106, 1, 0}, {108, 2, 0}, {109, 3, 0},  {110, 4, 0},
                                 {111, 5, 0}, {112, 8, 0}, {114, 9, 0}, {115, 10, 0}, {117, 11, 0}};
// unsigned-range [11] SEQUENCE { time-delay [0], low-limit [1], high-limit [2] }
constexpr E kEventUnsignedRange[] = {{rUnsigned, 0, 0}, {rUnsigned, 1, 0}, {rUnsigned, 2, 0}};

// BACnetNotificationParameters alternatives.
// change-of-bitstring [0] SEQUENCE { referenced-bitstring [0], status-flags [1] }
constexpr E kNotifyBitstring[] = {{rBitString, 0, 0}, {rStatusFlags, 1, 0}};
// change-of-state [1] SEQUENCE { new-state [0] BACnetPropertyStates, status-flags [1] }
constexpr E kNotifyState[] = {{rPropertyStates, 0, 0}, {rStatusFlags, 1, 0}};
// new-value CHOICE { changed-bits [0] BIT STRING, changed-value [1] REAL }
constexpr E kNotifyCovValue[] = {{rBitString, 0, 0}, {rReal, 1, 0}};
// change-of-value [2] SEQUENCE { new-value [0], status-flags [1] }
constexpr E kNotifyCov[] = {{rNotifyCovValue, 0, 0}, {rStatusFlags, 1, 0}};
// command-failure [3] SEQUENCE { command-value [0], status-flags [1], feedback-value [2] }
constexpr E kNotifyCommandFailure[] = {{rAny, 0, 0}, {rStatusFlags, 1, 0}, {rAny, 2, 0}};
// floating-limit [4] SEQUENCE { reference-value [0], status-flags [1], setpoint-value [2],
//   error-limit [3] }
constexpr E kNotifyFloatingLimit[] = {
    {rReal, 0, 0}, {rStatusFlags, 1, 0}, {rReal, 2, 0}, {rReal, 3, 0}};
// out-of-range [5] SEQUENCE { exceeding-value [0], status-flags [1], deadband [2], exceeded-limit
// [3] }
constexpr E kNotifyOutOfRange[] = {
    {rReal, 0, 0}, {rStatusFlags, 1, 0}, {rReal, 2, 0}, {rReal, 3, 0}};
// change-of-life-safety [8] SEQUENCE { new-state [0], new-mode [1], status-flags [2],
//   operation-expected [3] }
constexpr E kNotifyLifeSafety[] = {
    {rEnum16, 0, 0}, {rEnum16, 1, 0}, {rStatusFlags, 2, 0}, {rEnum16, 3, 0}};
// extended [9] SEQUENCE { vendor-id [0], extended-event-type [1], parameters [2] }
constexpr E kNotifyExtended[] = {
    {rUnsigned16, 0, 0}, {rUnsigned, 1, 0}, {rExtendedParameter, 2, Of}};
// buffer-ready [10] SEQUENCE { buffer-property [0], previous-notification [1], current-notification
// [2] }
constexpr E kNotifyBufferReady[] = {
    {rDevObjPropRef, 0, 0}, {rUnsigned32, 1, 0}, {rUnsigned32, 2, 0}};
// unsigned-range [11] SEQUENCE { exceeding-value [0], status-flags [1], exceeded-limit [2] }
constexpr E kNotifyUnsignedRange[] = {{rUnsigned, 0, 0}, {rStatusFlags, 1, 0}, {rUnsigned, 2, 0}};
// BACnetNotificationParameters ::= CHOICE { ... [0]-[5], complex-event-type [6] SEQUENCE OF
//   BACnetPropertyValue, [8]-[11] }
constexpr E kNotificationParameters[] = {{118, 0, 0},
                                         {119, 1, 0},
                                         {121, 2, 0},
                                         {122, 3, 0},
                                         {123, 4, 0},
                                         {124, 5, 0},
                                         {rPropertyValue, 6, Of},
                                         {125, 8, 0},
                                         {126, 9, 0},
                                         {127, 10, 0},
                                         {128, 11, 0}};

// CreateObject objectSpecifier ::= CHOICE { objectType [0], objectIdentifier [1] }
constexpr E kObjectSpecifier[] = {{rObjectType, 0, 0}, {rObjectId, 1, 0}};
// WriteAccessSpecification ::= SEQUENCE { objectIdentifier [0], listOfProperties [1] }
constexpr E kWriteAccessSpec[] = {{rObjectId, 0, 0}, {rPropertyValue, 1, OfNonEmpty}};
// BACnetSetpointReference ::= SEQUENCE { setpointReference [0] OPTIONAL }
constexpr E kSetpointReference[] = {{rObjPropRef, 0, Opt}};
// BACnetShedLevel ::= CHOICE { percent [0] Unsigned, level [1] Unsigned, amount [2] REAL }
constexpr E kShedLevel[] = {{rUnsigned, 0, 0}, {rUnsigned, 1, 0}, {rReal, 2, 0}};
// BACnetSpecialEvent period ::= CHOICE { calendarEntry [0], calendarReference [1] }
constexpr E kSpecialPeriod[] = {{rCalendarEntry, 0, 0}, {rObjectId, 1, 0}};
// BACnetSpecialEvent ::= SEQUENCE { period, listOfTimeValues [2], eventPriority [3] }
constexpr E kSpecialEvent[] = {{rSpecialPeriod, -1, 0}, {rTimeValue, 2, Of}, {rPriority, 3, 0}};
// BACnetTimeStamp ::= CHOICE { time [0], sequenceNumber [1], dateTime [2] }
constexpr E kTimeStamp[] = {{rTime, 0, 0}, {rUnsigned, 1, 0}, {rDateTime, 2, 0}};
// ReadAccessResult listOfResults item ::= SEQUENCE { propertyIdentifier [2],
//   propertyArrayIndex [3] OPTIONAL, readResult }
constexpr E kReadResultItem[] = {{rPropertyId, 2, 0}, {rUnsigned, 3, Opt}, {rReadResult, -1, 0}};
// readResult ::= CHOICE { propertyValue [4], propertyAccessError [5] Error }
constexpr E kReadResult[] = {{rAny, 4, 0}, {rError, 5, 0}};
// ReadAccessResult ::= SEQUENCE { objectIdentifier [0], listOfResults [1] OPTIONAL }
constexpr E kReadAccessResult[] = {{rObjectId, 0, 0}, {rReadResultItem, 1, OfOpt}};
// ReadAccessSpecification ::= SEQUENCE { objectIdentifier [0], listOfPropertyReferences [1] }
constexpr E kReadAccessSpec[] = {{rObjectId, 0, 0}, {rPropertyReference, 1, OfNonEmpty}};
// BACnetRecipientProcess ::= SEQUENCE { recipient [0], processIdentifier [1] }
constexpr E kRecipientProcess[] = {{rRecipient, 0, 0}, {rUnsigned32, 1, 0}};
// BACnetClientCOV ::= CHOICE { real-increment REAL, default-increment NULL }
constexpr E kClientCov[] = {{rReal, -1, 0}, {rNull, -1, 0}};
// BACnetCOVSubscription ::= SEQUENCE { recipient [0], monitoredPropertyReference [1],
//   issueConfirmedNotifications [2], timeRemaining [3], covIncrement [4] OPTIONAL }
constexpr E kCovSubscription[] = {{rRecipientProcess, 0, 0},
                                  {rObjPropRef, 1, 0},
                                  {rBoolean, 2, 0},
                                  {rUnsigned, 3, 0},
                                  {rReal, 4, Opt}};
// BACnetDeviceObjectReference ::= SEQUENCE { deviceIdentifier [0] OPTIONAL, objectIdentifier [1] }
constexpr E kDevObjRef[] = {{rDevice, 0, Opt}, {rObjectId, 1, 0}};
// BACnetLogRecord logDatum ::= CHOICE { log-status [0], boolean-value [1], real-value [2],
//   enum-value [3], unsigned-value [4], signed-value [5], bitstring-value [6], null-value [7],
//   failure [8] Error, time-change [9], any-value [10] }
constexpr E kLogDatum[] = {{rLogStatus, 0, 0}, {rBoolean, 1, 0},  {rReal, 2, 0},
                           {rEnumAny, 3, 0},   {rUnsigned, 4, 0}, {rSigned, 5, 0},
                           {rBitString, 6, 0}, {rNull, 7, 0},     {rError, 8, 0},
                           {rReal, 9, 0},      {rAny, 10, 0}};
// BACnetLogRecord ::= SEQUENCE { timestamp [0], logDatum [1], statusFlags [2] OPTIONAL }
constexpr E kLogRecord[] = {{rDateTime, 0, 0}, {rLogDatum, 1, 0}, {rStatusFlags, 2, Opt}};
// BACnetVTSession ::= SEQUENCE { local-vtSessionID, remote-vtSessionID, remote-vtAddress }
constexpr E kVtSession[] = {{rUnsigned8, -1, 0}, {rUnsigned8, -1, 0}, {rAddress, -1, 0}};
// BACnetSessionKey ::= SEQUENCE { sessionKey OCTET STRING (SIZE(8)), peerAddress BACnetAddress }
constexpr E kSessionKey[] = {{rSessionKey, -1, 0}, {rAddress, -1, 0}};
// BACnetEventLogRecord logDatum ::= CHOICE { log-status [0], notification [1], time-change [2] }
constexpr E kEventLogDatum[] = {{rLogStatus, 0, 0}, {rEventNotification, 1, 0}, {rReal, 2, 0}};
// BACnetEventLogRecord ::= SEQUENCE { timestamp [0], logDatum [1] }
constexpr E kEventLogRecord[] = {{rDateTime, 0, 0}, {rEventLogDatum, 1, 0}};
// BACnetLogMultipleRecord log-data item ::= CHOICE { boolean-value [0], real-value [1], enum-value
// [2],
//   unsigned-value [3], signed-value [4], bitstring-value [5], null-value [6], failure [7],
//   any-value [8] }
constexpr E kLogMultipleDatum[] = {{rBoolean, 0, 0},  {rReal, 1, 0},   {rEnumAny, 2, 0},
                                   {rUnsigned, 3, 0}, {rSigned, 4, 0}, {rBitString, 5, 0},
                                   {rNull, 6, 0},     {rError, 7, 0},  {rAny, 8, 0}};
// logData ::= CHOICE { log-status [0], log-data [1] SEQUENCE OF, time-change [2] }
constexpr E kLogMultipleData[] = {{rLogStatus, 0, 0}, {rLogMultipleDatum, 1, Of}, {rReal, 2, 0}};
// BACnetLogMultipleRecord ::= SEQUENCE { timestamp [0], logData [1] }
constexpr E kLogMultipleRecord[] = {{rDateTime, 0, 0}, {rLogMultipleData, 1, 0}};

// Service parameters.
// AcknowledgeAlarm-Request ::= SEQUENCE { acknowledgingProcessIdentifier [0], eventObjectIdentifier
// [1],
//   eventStateAcknowledged [2], timeStamp [3], acknowledgmentSource [4], timeOfAcknowledgment [5] }
constexpr E kAcknowledgeAlarm[] = {{rUnsigned32, 0, 0}, {rObjectId, 1, 0},   {rEventState, 2, 0},
                                   {rTimeStamp, 3, 0},  {rCharString, 4, 0}, {rTimeStamp, 5, 0}};
// (Un)ConfirmedCOVNotification-Request ::= SEQUENCE { subscriberProcessIdentifier [0],
//   initiatingDeviceIdentifier [1], monitoredObjectIdentifier [2], timeRemaining [3], listOfValues
//   [4] }
constexpr E kCovNotification[] = {{rUnsigned32, 0, 0},
                                  {rDevice, 1, 0},
                                  {rObjectId, 2, 0},
                                  {rUnsigned, 3, 0},
                                  {rPropertyValue, 4, Of}};
// (Un)ConfirmedEventNotification-Request ::= SEQUENCE { processIdentifier [0],
//   initiatingDeviceIdentifier [1], eventObjectIdentifier [2], timeStamp [3], notificationClass
//   [4], priority [5], eventType [6], messageText [7] OPTIONAL, notifyType [8], ackRequired [9],
//   fromState [10], toState [11], eventValues [12] } -- [9], [10], [12] absent for ack-notification
constexpr E kEventNotification[] = {{rUnsigned32, 0, 0},
                                    {rDevice, 1, 0},
                                    {rObjectId, 2, 0},
                                    {rTimeStamp, 3, 0},
                                    {rUnsigned, 4, 0},
                                    {rUnsigned8, 5, 0},
                                    {rEventType, 6, 0},
                                    {rCharString, 7, Opt},
                                    {rNotifyType, 8, Sel},
                                    {rBoolean, 9, Ack},
                                    {rEventState, 10, Ack},
                                    {rEventState, 11, 0},
                                    {rNotificationParameters, 12, Ack}};
// GetEnrollmentSummary-Request ::= SEQUENCE { acknowledgmentFilter [0], enrollmentFilter [1]
// OPTIONAL,
//   eventStateFilter [2] OPTIONAL, eventTypeFilter [3] OPTIONAL, priorityFilter [4] OPTIONAL,
//   notificationClassFilter [5] OPTIONAL }
constexpr E kGetEnrollmentSummary[] = {{rAckFilter, 0, 0},        {rRecipientProcess, 1, Opt},
                                       {rStateFilter, 2, Opt},    {rEventType, 3, Opt},
                                       {rPriorityFilter, 4, Opt}, {rUnsigned, 5, Opt}};
// priorityFilter ::= SEQUENCE { minPriority [0] Unsigned8, maxPriority [1] Unsigned8 }
constexpr E kPriorityFilter[] = {{rUnsigned8, 0, 0}, {rUnsigned8, 1, 0}};
// SubscribeCOV-Request ::= SEQUENCE { subscriberProcessIdentifier [0], monitoredObjectIdentifier
// [1],
//   issueConfirmedNotifications [2] OPTIONAL, lifetime [3] OPTIONAL }
constexpr E kSubscribeCov[] = {
    {rUnsigned32, 0, 0}, {rObjectId, 1, 0}, {rBoolean, 2, Opt}, {rUnsigned, 3, Opt}};
// SubscribeCOVProperty-Request ::= SEQUENCE { subscriberProcessIdentifier [0],
//   monitoredObjectIdentifier [1], issueConfirmedNotifications [2] OPTIONAL, lifetime [3] OPTIONAL,
//   monitoredPropertyIdentifier [4], covIncrement [5] OPTIONAL }
constexpr E kSubscribeCovProperty[] = {{rUnsigned32, 0, 0},        {rObjectId, 1, 0},
                                       {rBoolean, 2, Opt},         {rUnsigned, 3, Opt},
                                       {rPropertyReference, 4, 0}, {rReal, 5, Opt}};
// GetEventInformation-Request ::= SEQUENCE { lastReceivedObjectIdentifier [0] OPTIONAL }
constexpr E kGetEventInformation[] = {{rObjectId, 0, Opt}};
// LifeSafetyOperation-Request ::= SEQUENCE { requestingProcessIdentifier [0], requestingSource [1],
//   request [2], objectIdentifier [3] OPTIONAL }
constexpr E kLifeSafetyOperation[] = {
    {rUnsigned32, 0, 0}, {rCharString, 1, 0}, {rEnum16, 2, 0}, {rObjectId, 3, Opt}};
// AtomicWriteFile-Request and AtomicReadFile-ACK accessMethod ::= CHOICE { streamAccess [0],
//   recordAccess [1] }
constexpr E kFileAccessData[] = {{rStreamData, 0, 0}, {rRecordData, 1, 0}};
// streamAccess ::= SEQUENCE { fileStartPosition INTEGER, fileData OCTET STRING }
constexpr E kStreamData[] = {{rFilePosition, -1, 0}, {rFileData, -1, 0}};
// recordAccess ::= SEQUENCE { fileStartRecord INTEGER, recordCount Unsigned,
//   fileRecordData SEQUENCE OF OCTET STRING } -- the count selects how many records follow,
//   none among them, so the list itself may be absent
constexpr E kRecordData[] = {{rFilePosition, -1, 0}, {rCount, -1, Sel}, {rFileData, -1, OfOpt}};
// AtomicReadFile-Request ::= SEQUENCE { fileIdentifier, accessMethod }
constexpr E kAtomicReadFile[] = {{rObjectId, -1, 0}, {rFileAccessRead, -1, 0}};
// accessMethod ::= CHOICE { streamAccess [0], recordAccess [1] }
constexpr E kFileAccessRead[] = {{rStreamRead, 0, 0}, {rRecordRead, 1, 0}};
// streamAccess ::= SEQUENCE { fileStartPosition INTEGER, requestedOctetCount Unsigned }
// recordAccess ::= SEQUENCE { fileStartRecord INTEGER, requestedRecordCount Unsigned }
constexpr E kFileRead[] = {{rFilePosition, -1, 0}, {rCount, -1, 0}};
// AtomicWriteFile-Request ::= SEQUENCE { fileIdentifier, accessMethod }
constexpr E kAtomicWriteFile[] = {{rObjectId, -1, 0}, {rFileAccessData, -1, 0}};
// AddListElement-Request, RemoveListElement-Request ::= SEQUENCE { objectIdentifier [0],
//   propertyIdentifier [1], propertyArrayIndex [2] OPTIONAL, listOfElements [3] }
constexpr E kListElement[] = {
    {rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}, {rAny, 3, 0}};
// CreateObject-Request ::= SEQUENCE { objectSpecifier [0], listOfInitialValues [1] OPTIONAL }
constexpr E kCreateObject[] = {{rObjectSpecifier, 0, 0}, {rPropertyValue, 1, OfOpt}};
// DeleteObject-Request ::= SEQUENCE { objectIdentifier }; CreateObject-ACK ::=
// BACnetObjectIdentifier
constexpr E kObjectIdentifierOnly[] = {{rObjectId, -1, 0}};
// ReadProperty-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL }
constexpr E kReadProperty[] = {{rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}};
// objectSelectionCriteria ::= SEQUENCE { selectionLogic [0], listOfSelectionCriteria [1] OPTIONAL }
constexpr E kSelectionCriteria[] = {{rNotifyType, 0, 0}, {rCriterion, 1, OfOpt}};
// selection criterion ::= SEQUENCE { propertyIdentifier [0], propertyArrayIndex [1] OPTIONAL,
//   relationSpecifier [2], comparisonValue [3] }
constexpr E kCriterion[] = {
    {rPropertyId, 0, 0}, {rUnsigned, 1, Opt}, {rRelation, 2, 0}, {rAny, 3, 0}};
// ReadPropertyConditional-Request ::= SEQUENCE { objectSelectionCriteria [0],
//   listOfPropertyReferences [1] OPTIONAL }
constexpr E kReadPropertyConditional[] = {{rSelectionCriteria, 0, 0},
                                          {rPropertyReference, 1, OfOpt}};
// ReadPropertyMultiple-Request ::= SEQUENCE { listOfReadAccessSpecs SEQUENCE OF }
constexpr E kReadPropertyMultiple[] = {{rReadAccessSpec, -1, OfNonEmpty}};
// WriteProperty-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, propertyValue [3], priority [4] OPTIONAL }
constexpr E kWriteProperty[] = {
    {rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}, {rAny, 3, 0}, {rPriority, 4, Opt}};
// WritePropertyMultiple-Request ::= SEQUENCE { listOfwriteAccessSpecifications SEQUENCE OF }
constexpr E kWritePropertyMultiple[] = {{rWriteAccessSpec, -1, OfNonEmpty}};
// ReadRange range ::= CHOICE { byPosition [3], bySequenceNumber [6], byTime [7] }
constexpr E kRange[] = {{rRangeByIndex, 3, 0}, {rRangeByIndex, 6, 0}, {rRangeByTime, 7, 0}};
// byPosition, bySequenceNumber ::= SEQUENCE { referenceIndex Unsigned, count INTEGER }
constexpr E kRangeByIndex[] = {{rUnsigned, -1, 0}, {rSigned, -1, 0}};
// byTime ::= SEQUENCE { referenceTime BACnetDateTime, count INTEGER }
constexpr E kRangeByTime[] = {{rDateTime, -1, 0}, {rSigned, -1, 0}};
// ReadRange-Request ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, range OPTIONAL }
constexpr E kReadRange[] = {
    {rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}, {rRange, -1, Opt}};
// DeviceCommunicationControl-Request ::= SEQUENCE { timeDuration [0] OPTIONAL, enable-disable [1],
//   password [2] OPTIONAL }
constexpr E kDeviceCommunicationControl[] = {
    {rUnsigned16, 0, Opt}, {rEnableDisable, 1, 0}, {rDccPassword, 2, Opt}};
// (Un)ConfirmedPrivateTransfer-Request ::= SEQUENCE { vendorID [0], serviceNumber [1],
//   serviceParameters [2] OPTIONAL }; ConfirmedPrivateTransfer-ACK likewise with resultBlock [2]
constexpr E kPrivateTransfer[] = {{rUnsigned, 0, 0}, {rUnsigned, 1, 0}, {rAny, 2, Opt}};
// messageClass ::= CHOICE { numeric [0] Unsigned, character [1] CharacterString }
constexpr E kMessageClass[] = {{rUnsigned, 0, 0}, {rCharString, 1, 0}};
// (Un)ConfirmedTextMessage-Request ::= SEQUENCE { textMessageSourceDevice [0], messageClass [1]
//   OPTIONAL, messagePriority [2], message [3] }
constexpr E kTextMessage[] = {
    {rDevice, 0, 0}, {rMessageClass, 1, Opt}, {rMessagePriority, 2, 0}, {rCharString, 3, 0}};
// ReinitializeDevice-Request ::= SEQUENCE { reinitializedStateOfDevice [0], password [1] OPTIONAL }
constexpr E kReinitializeDevice[] = {{rReinitState, 0, 0}, {rReinitPassword, 1, Opt}};
// I-Am-Request ::= SEQUENCE { iAmDeviceIdentifier, maxAPDULengthAccepted, segmentationSupported,
//   vendorID }
constexpr E kIAm[] = {
    {rDevice, -1, 0}, {rUnsigned, -1, 0}, {rSegmentation, -1, 0}, {rUnsigned16, -1, 0}};
// I-Have-Request ::= SEQUENCE { deviceIdentifier, objectIdentifier, objectName }
constexpr E kIHave[] = {{rDevice, -1, 0}, {rObjectId, -1, 0}, {rCharString, -1, 0}};
// TimeSynchronization-Request, UTCTimeSynchronization-Request ::= SEQUENCE { time BACnetDateTime }
constexpr E kTimeSynchronization[] = {{rDateTime, -1, 0}};
// Who-Has limits ::= SEQUENCE { deviceInstanceRangeLowLimit [0], deviceInstanceRangeHighLimit [1] }
constexpr E kWhoHasLimits[] = {{rInstance, 0, 0}, {rInstance, 1, 0}};
// Who-Has object ::= CHOICE { objectIdentifier [2], objectName [3] }
constexpr E kWhoHasObject[] = {{rObjectId, 2, 0}, {rCharString, 3, 0}};
// Who-Has-Request ::= SEQUENCE { limits OPTIONAL, object }
constexpr E kWhoHas[] = {{rWhoHasLimits, -1, Opt}, {rWhoHasObject, -1, 0}};
// Who-Is-Request ::= SEQUENCE { deviceInstanceRangeLowLimit [0] OPTIONAL,
//   deviceInstanceRangeHighLimit [1] OPTIONAL }
constexpr E kWhoIs[] = {{rInstance, 0, Opt}, {rInstance, 1, Opt}};
// GetAlarmSummary-ACK ::= SEQUENCE OF SEQUENCE { objectIdentifier, alarmState,
//   acknowledgedTransitions } -- empty when nothing is in alarm
constexpr E kGetAlarmSummaryAck[] = {{rAlarmSummary, -1, OfOpt}};
constexpr E kAlarmSummary[] = {{rObjectId, -1, 0}, {rEventState, -1, 0}, {rTransitionBits, -1, 0}};
// GetEnrollmentSummary-ACK ::= SEQUENCE OF SEQUENCE { objectIdentifier, eventType, eventState,
//   priority, notificationClass OPTIONAL } -- empty when nothing matches the filters
constexpr E kGetEnrollmentSummaryAck[] = {{rEnrollmentSummary, -1, OfOpt}};
constexpr E kEnrollmentSummary[] = {{rObjectId, -1, 0},
                                    {rEventType, -1, 0},
                                    {rEventState, -1, 0},
                                    {rUnsigned8, -1, 0},
                                    {rUnsigned, -1, Opt}};
// GetEventInformation-ACK ::= SEQUENCE { listOfEventSummaries [0], moreEvents [1] }
constexpr E kGetEventInformationAck[] = {{rEventSummary, 0, Of}, {rBoolean, 1, 0}};
// event summary ::= SEQUENCE { objectIdentifier [0], eventState [1], acknowledgedTransitions [2],
//   eventTimeStamps [3], notifyType [4], eventEnable [5], eventPriorities [6] }
constexpr E kEventSummary[] = {{rObjectId, 0, 0},   {rEventState, 1, 0}, {rTransitionBits, 2, 0},
                               {rTimeStamp, 3, Of}, {rNotifyType, 4, 0}, {rTransitionBits, 5, 0},
                               {rUnsigned, 6, Of}};
// AtomicReadFile-ACK ::= SEQUENCE { endOfFile BOOLEAN, accessMethod }
constexpr E kAtomicReadFileAck[] = {{rBoolean, -1, 0}, {rFileAccessData, -1, 0}};
// AtomicWriteFile-ACK ::= CHOICE { fileStartPosition [0], fileStartRecord [1] }
constexpr E kAtomicWriteFileAck[] = {{rFilePosition, 0, 0}, {rFilePosition, 1, 0}};
// ReadProperty-ACK ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, propertyValue [3] }
constexpr E kReadPropertyAck[] = {
    {rObjectId, 0, 0}, {rPropertyId, 1, 0}, {rUnsigned, 2, Opt}, {rAny, 3, 0}};
// ReadPropertyConditional-ACK ::= SEQUENCE { listOfReadAccessResults SEQUENCE OF OPTIONAL }
constexpr E kReadPropertyConditionalAck[] = {{rReadAccessResult, -1, OfOpt}};
// ReadPropertyMultiple-ACK ::= SEQUENCE { listOfReadAccessResults SEQUENCE OF }
constexpr E kReadPropertyMultipleAck[] = {{rReadAccessResult, -1, OfNonEmpty}};
// ReadRange-ACK ::= SEQUENCE { objectIdentifier [0], propertyIdentifier [1],
//   propertyArrayIndex [2] OPTIONAL, resultFlags [3], itemCount [4], itemData [5],
//   firstSequenceNumber [6] OPTIONAL }
constexpr E kReadRangeAck[] = {{rObjectId, 0, 0},    {rPropertyId, 1, 0}, {rUnsigned, 2, Opt},
                               {rLogStatus, 3, 0},   {rUnsigned, 4, 0},   {rAny, 5, 0},
                               {rUnsigned32, 6, Opt}};
// ChangeList-Error, CreateObject-Error ::= SEQUENCE { errorType [0], firstFailedElementNumber [1] }
constexpr E kChangeListError[] = {{rError, 0, 0}, {rUnsigned, 1, 0}};
// WritePropertyMultiple-Error ::= SEQUENCE { errorType [0], firstFailedWriteAttempt [1] }
constexpr E kWritePropertyMultipleError[] = {{rError, 0, 0}, {rObjPropRef, 1, 0}};
// ConfirmedPrivateTransfer-Error ::= SEQUENCE { errorType [0], vendorID [1], serviceNumber [2],
//   errorParameters [3] OPTIONAL }
constexpr E kPrivateTransferError[] = {
    {rError, 0, 0}, {rUnsigned, 1, 0}, {rUnsigned, 2, 0}, {rAny, 3, Opt}};

struct RowAt {
  uint16_t index;
  AsnSchemaType row;
};

constexpr RowAt kRows[] = {
    {0, Unsupported()},  // no row: never an element
    {1, Prim(0, 0)},     // Null
    {2, Prim(1, 1)},     // Boolean
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
    {14, Prim(3, 3)},  // Signed
    {15, Prim(4, 4)},  // Real
    {16, Prim(5, 5)},  // Double
    {17, Prim(7, 7)},  // CharacterString, any set
    {18, Text(0)},
    {19, Text(1)},
    {20, Text(2)},
    {21, Text(3)},
    {22, Text(4)},
    {23, Text(5)},
    {24, Prim(6, 6, 2)},  // MAC address
    {25, Prim(6, 6, 3)},  // session key
    {26, Prim(6, 6)},
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
    {37, Prim(10, 10)},  // Date
    {38, Prim(11, 11)},  // Time
    {39, Enumerated()},
    {40, Prim(6, 25, 1)},  // BACnetWeekNDay
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
    {80, Choice(kPriorityReal, 19)},
    {81, Choice(kPriorityBinary, 19)},
    {82, Choice(kPriorityUnsigned, 19)},
    {83, Choice(kPriorityDoor, 19)},
    {84, Seq(kAddress, 20)},
    {85, Seq(kDateRange, 24)},
    {86, Choice(kCalendarEntry, 26)},
    {87, Seq(kDateTime, 21)},
    {88, Seq(kTimeValue, 27)},
    {89, Seq(kDailySchedule, 33)},
    {90, Seq(kAccumulatorRecord, 47)},
    {91, Seq(kPrescale, 48)},
    {92, Choice(kScale, 49)},
    {93, Seq(kActionCommand, 50)},
    {94, Seq(kActionList, 40)},
    {95, Unsupported()},  // spare
    {96, Seq(kAddressBinding, 36)},
    {97, Choice(kRecipient, 30)},
    {98, Seq(kDestination, 32)},
    {99, Seq(kPropertyReference, 35)},
    {100, Seq(kPropertyValue, 29)},
    {101, Seq(kDevObjPropRef, 37)},
    {102, Seq(kObjPropRef, 22)},
    {103, Seq(kDevObjPropValue, 46)},
    {104, Choice(kPropertyStates, 23)},
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
    {116, Choice(kEventParameter, 43)},
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
    {130, Unsupported()},  // spare
    {131, Choice(kObjectSpecifier)},
    {132, Seq(kWriteAccessSpec)},
    {133, Seq(kSetpointReference, 31)},
    {134, Choice(kShedLevel, 51)},
    {135, Choice(kSpecialPeriod)},
    {136, Seq(kSpecialEvent, 28)},
    {137, Choice(kTimeStamp, 34)},
    {138, Seq(kReadResultItem)},
    {139, Choice(kReadResult)},
    {140, Seq(kReadAccessResult, 42)},
    {141, Seq(kReadAccessSpec, 41)},
    {142, Seq(kRecipientProcess)},
    {143, Choice(kClientCov, 38)},
    {144, Seq(kCovSubscription, 44)},
    {145, Seq(kDevObjRef, 45)},
    {146, Choice(kLogDatum)},
    {147, Seq(kLogRecord, 39)},
    {148, Seq(kVtSession, 52)},
    {149, Seq(kSessionKey, 53)},
    {150, Unsupported()},  // spare
    {151, Choice(kEventLogDatum)},
    {152, Seq(kEventLogRecord, 54)},
    {153, Choice(kLogMultipleDatum)},
    {154, Choice(kLogMultipleData)},
    {155, Seq(kLogMultipleRecord, 55)},

    {156, Enumerated(7)},  // reinitialized state of device
    {157, Unsigned(0, kRangeInstance)},
    {158, Enumerated(3)},  // acknowledgment filter
    {159, Enumerated(5)},  // event state filter
    {160, Enumerated(6)},  // relation specifier
    {161, Enumerated(3)},  // enable-disable
    {162, Prim(3, 3)},     // file start position or record
    {163, ObjectId(1)},    // a device
    {164, Rest()},
    {165, Prim(6, 6)},          // file data
    {166, Prim(7, 7, 1, 160)},  // DeviceCommunicationControl password
    {167, Prim(7, 7, 1, 160)},  // ReinitializeDevice password
    {168, Unsigned()},          // octet and record counts

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
