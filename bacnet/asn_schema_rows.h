// Names of the schema rows that the schema's own productions, the property
// table and the tests refer to. Written once as a list: it gives the
// AsnRow<Name> constants and the name table the property table's text is
// read with. Rows the list does not name are referred to only by the table
// itself.
#pragma once

#include <cstdint>
#include <string_view>

#define ASN_SCHEMA_ROWS(X)          \
  X(Null, 1)                        \
  X(Boolean, 2)                     \
  X(Unsigned, 3)                    \
  X(StateNumber, 4)                 \
  X(Unsigned32, 5)                  \
  X(Unsigned16, 6)                  \
  X(Unsigned8, 7)                   \
  X(Priority, 9)                    \
  X(ValuePriority, 10)              \
  X(ConformanceClass, 11)           \
  X(WritePriority, 12)              \
  X(MaxMaster, 13)                  \
  X(Signed, 14)                     \
  X(Real, 15)                       \
  X(Double, 16)                     \
  X(CharString, 17)                 \
  X(TextAnsi, 18)                   \
  X(TextDbcs, 19)                   \
  X(TextJis, 20)                    \
  X(TextUcs4, 21)                   \
  X(TextUcs2, 22)                   \
  X(TextIso8859, 23)                \
  X(Mac, 24)                        \
  X(KeyOctets, 25)                  \
  X(Octets, 26)                     \
  X(DaysOfWeek, 27)                 \
  X(TransitionBits, 28)             \
  X(BitString, 29)                  \
  X(LimitEnable, 30)                \
  X(ServicesSupported, 31)          \
  X(StatusFlags, 32)                \
  X(LogStatus, 33)                  \
  X(ObjectId, 35)                   \
  X(Date, 37)                       \
  X(Time, 38)                       \
  X(EnumAny, 39)                    \
  X(WeekNDay, 40)                   \
  X(ObjectType, 42)                 \
  X(PropertyId, 43)                 \
  X(Binary, 44)                     \
  X(Enum16, 45)                     \
  X(EventState, 46)                 \
  X(EventType, 47)                  \
  X(NotifyType, 48)                 \
  X(Reliability, 49)                \
  X(MessagePriority, 50)            \
  X(Segmentation, 51)               \
  X(DeviceStatus, 52)               \
  X(LifeSafetyState, 53)            \
  X(Maintenance, 54)                \
  X(SilencedState, 55)              \
  X(LifeSafetyMode, 56)             \
  X(LifeSafetyOperation, 57)        \
  X(FileAccessMethod, 58)           \
  X(Action, 59)                     \
  X(ProgramState, 60)               \
  X(ProgramRequest, 61)             \
  X(ProgramError, 62)               \
  X(NodeType, 63)                   \
  X(ShedState, 64)                  \
  X(DoorValue, 65)                  \
  X(DoorRelinquishDefault, 66)      \
  X(AccumulatorStatus, 67)          \
  X(DoorSecuredStatus, 68)          \
  X(DoorStatus, 69)                 \
  X(DoorAlarmState, 70)             \
  X(VtClass, 73)                    \
  X(LoggingType, 75)                \
  X(RestartReason, 76)              \
  X(AnyPrimitive, 77)               \
  X(AnyValue, 78)                   \
  X(Error, 79)                      \
  X(PriorityReal, 80)               \
  X(PriorityBinary, 81)             \
  X(PriorityUnsigned, 82)           \
  X(PriorityDoor, 83)               \
  X(Address, 84)                    \
  X(DateRange, 85)                  \
  X(CalendarEntry, 86)              \
  X(DateTime, 87)                   \
  X(TimeValue, 88)                  \
  X(DailySchedule, 89)              \
  X(AccumulatorRecord, 90)          \
  X(Prescale, 91)                   \
  X(Scale, 92)                      \
  X(ActionCommand, 93)              \
  X(ActionList, 94)                 \
  X(AddressBinding, 96)             \
  X(Recipient, 97)                  \
  X(Destination, 98)                \
  X(PropertyReference, 99)          \
  X(PropertyValue, 100)             \
  X(DevObjPropRef, 101)             \
  X(ObjPropRef, 102)                \
  X(DevObjPropValue, 103)           \
  X(PropertyStates, 104)            \
  X(EventParamBitstring, 105)       \
  X(EventParamState, 106)           \
  X(EventCovCriteria, 107)          \
  X(EventParamCov, 108)             \
  X(EventParamCommandFailure, 109)  \
  X(EventParamFloatingLimit, 110)   \
  X(EventParamOutOfRange, 111)      \
  X(EventParamLifeSafety, 112)      \
  X(ExtendedParameter, 113)         \
  X(EventParamExtended, 114)        \
  X(EventParamBufferReady, 115)     \
  X(EventParameter, 116)            \
  X(EventParamUnsignedRange, 117)   \
  X(NotifyParamBitstring, 118)      \
  X(NotifyParamState, 119)          \
  X(NotifyCovValue, 120)            \
  X(NotifyParamCov, 121)            \
  X(NotifyParamCommandFailure, 122) \
  X(NotifyParamFloatingLimit, 123)  \
  X(NotifyParamOutOfRange, 124)     \
  X(NotifyParamLifeSafety, 125)     \
  X(NotifyParamExtended, 126)       \
  X(NotifyParamBufferReady, 127)    \
  X(NotifyParamUnsignedRange, 128)  \
  X(NotificationParameters, 129)    \
  X(NotifyExtendedParameter, 130)   \
  X(ObjectSpecifier, 131)           \
  X(WriteAccessSpec, 132)           \
  X(SetpointReference, 133)         \
  X(ShedLevel, 134)                 \
  X(SpecialPeriod, 135)             \
  X(SpecialEvent, 136)              \
  X(TimeStamp, 137)                 \
  X(ReadResultItem, 138)            \
  X(ReadResult, 139)                \
  X(ReadAccessResult, 140)          \
  X(ReadAccessSpec, 141)            \
  X(RecipientProcess, 142)          \
  X(ClientCov, 143)                 \
  X(CovSubscription, 144)           \
  X(DevObjRef, 145)                 \
  X(LogDatum, 146)                  \
  X(LogRecord, 147)                 \
  X(VtSession, 148)                 \
  X(SessionKey, 149)                \
  X(NotifyParamBufferReady7, 150)   \
  X(EventLogDatum, 151)             \
  X(EventLogRecord, 152)            \
  X(LogMultipleDatum, 153)          \
  X(LogMultipleData, 154)           \
  X(LogMultipleRecord, 155)         \
  X(ReinitState, 156)               \
  X(Instance, 157)                  \
  X(AckFilter, 158)                 \
  X(StateFilter, 159)               \
  X(Relation, 160)                  \
  X(EnableDisable, 161)             \
  X(FilePosition, 162)              \
  X(Device, 163)                    \
  X(FileData, 165)                  \
  X(DccPassword, 166)               \
  X(ReinitPassword, 167)            \
  X(Count, 168)                     \
  X(EventNotification, 171)         \
  X(PriorityFilter, 175)            \
  X(FileAccessData, 180)            \
  X(StreamData, 181)                \
  X(RecordData, 182)                \
  X(FileAccessRead, 184)            \
  X(StreamRead, 185)                \
  X(RecordRead, 186)                \
  X(SelectionCriteria, 193)         \
  X(Criterion, 194)                 \
  X(Range, 199)                     \
  X(RangeByIndex, 200)              \
  X(RangeByTime, 201)               \
  X(MessageClass, 207)              \
  X(WhoHasLimits, 213)              \
  X(WhoHasObject, 214)              \
  X(AlarmSummary, 218)              \
  X(EnrollmentSummary, 220)         \
  X(EventSummary, 225)

#define ASN_SCHEMA_ROW_CONSTANT(name, row) inline constexpr uint16_t AsnRow##name = row;
ASN_SCHEMA_ROWS(ASN_SCHEMA_ROW_CONSTANT)
#undef ASN_SCHEMA_ROW_CONSTANT

// An Error's class and code are enumerations extensible up to 65535, as
// an event state and an event type are; a row holds no more than the tag
// and that bound, so the same rows check both.
inline constexpr uint16_t AsnRowErrorClass = AsnRowEventState;
inline constexpr uint16_t AsnRowErrorCode = AsnRowEventType;

struct AsnSchemaRowName {
  std::string_view name;
  uint16_t row;
};

#define ASN_SCHEMA_ROW_NAME(name, row) {#name, row},
inline constexpr AsnSchemaRowName kAsnSchemaRowNames[] = {ASN_SCHEMA_ROWS(ASN_SCHEMA_ROW_NAME)};
#undef ASN_SCHEMA_ROW_NAME
