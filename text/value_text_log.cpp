// Notation of trend log records, trend-log-multiple records and their data:
// the time stamp, "," and "[%d] " with the datum's choice and its value.
// No braces enclose a record.
#include "bacnet/asn_datatype_code.h"
#include "text/value_text_pieces.h"
#include "text/value_text_records.h"

namespace {

// How a datum choice is written: by the element-writer row of a datatype
// code with a row of names, or as one of the two data that are no
// datatype of their own.
constexpr int32_t kFailureDatum = -100;   // an error pair
constexpr int32_t kAnyValueDatum = -101;  // any value, bare

struct DatumForm {
  int32_t code;
  int32_t enum_row = VELMORA_ENUM_GENERIC;
};

constexpr DatumForm kLogRecordData[] = {
    {ASN_TYPE_BIT_STRING, VELMORA_ENUM_LOG_STATUS_BITS},  // 0 log status
    {ASN_TYPE_BOOLEAN},
    {ASN_TYPE_REAL},
    {ASN_TYPE_ENUMERATED},
    {ASN_TYPE_UNSIGNED},
    {ASN_TYPE_SIGNED},
    {ASN_TYPE_BIT_STRING},
    {ASN_TYPE_NULL},
    {kFailureDatum},
    {ASN_TYPE_REAL},  // 9 time change
    {kAnyValueDatum},
};

constexpr DatumForm kLogMultipleData[] = {
    {ASN_TYPE_BOOLEAN},  {ASN_TYPE_REAL},   {ASN_TYPE_ENUMERATED},
    {ASN_TYPE_UNSIGNED}, {ASN_TYPE_SIGNED}, {ASN_TYPE_BIT_STRING},
    {ASN_TYPE_NULL},     {kFailureDatum},   {kAnyValueDatum},
};

// A datum's union, and the two of its members that are no datatype.
struct Datum {
  const void* value;
  uint32_t size;
  const VelmoraError* failure;
  const VelmoraAnyValue* any_value;
};

template <size_t N>
void PutDatum(TextBuffer* b, const DatumForm (&forms)[N], uint32_t choice, const Datum& datum,
              uint8_t showNumbers) {
  PutChoice(b, choice);
  if (choice >= N) {
    PutUnknown(b);
    return;
  }
  const DatumForm& form = forms[choice];
  if (form.code == kFailureDatum)
    TextBufferWrite(b, VelmoraErrorToString, datum.failure);
  else if (form.code == kAnyValueDatum)
    PutAnyValue(b, datum.any_value, showNumbers);
  else
    PutTypedValue(b, form.code, datum.value, datum.size, form.enum_row, showNumbers);
}

}  // namespace

uint32_t VelmoraLogRecordToString(char* destination, uint32_t room, const VelmoraLogRecord* record,
                                  uint8_t showNumbers) {
  if (!record) return 0;
  Datum datum{&record->datum, sizeof record->datum, VelmoraLogRecordGetFailure(record),
              VelmoraLogRecordGetAnyValue(record)};
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferWrite(&b, VelmoraDateTimeToString, VelmoraLogRecordGetTimestamp(record));
  TextBufferPutChar(&b, ',');
  PutDatum(&b, kLogRecordData, VelmoraLogRecordGetDatumType(record), datum, showNumbers);
  if (VelmoraLogRecordHasStatusFlags(record)) {
    TextBufferPutChar(&b, ',');
    PutBits(&b, VelmoraLogRecordGetStatusFlags(record), VELMORA_ENUM_STATUS_FLAGS_BITS,
            showNumbers);
  }
  return TextBufferClose(&b);
}

uint32_t VelmoraLogDatumToString(char* destination, uint32_t room, const VelmoraLogDatum* datum,
                                 uint8_t showNumbers) {
  if (!datum) return 0;
  Datum parts{&datum->value, sizeof datum->value, VelmoraLogDatumGetFailure(datum),
              VelmoraLogDatumGetAnyValue(datum)};
  TextBuffer b = TextBufferOpen(destination, room);
  PutDatum(&b, kLogMultipleData, uint32_t(VelmoraLogDatumGetChoice(datum)), parts, showNumbers);
  return TextBufferClose(&b);
}

uint32_t VelmoraLogMultipleRecordToString(char* destination, uint32_t room,
                                          const VelmoraLogMultipleRecord* record,
                                          uint8_t showNumbers) {
  if (!record) return 0;
  int32_t choice = VelmoraLogMultipleRecordGetChoice(record);
  TextBuffer b = TextBufferOpen(destination, room);
  TextBufferWrite(&b, VelmoraDateTimeToString, VelmoraLogMultipleRecordGetTimeStamp(record));
  TextBufferPutChar(&b, ',');
  PutChoice(&b, uint32_t(choice));
  if (choice == 0) {
    PutBits(&b, VelmoraLogMultipleRecordGetLogStatus(record), VELMORA_ENUM_LOG_STATUS_BITS,
            showNumbers);
  } else if (choice == 1) {
    const VelmoraLogData* data = VelmoraLogMultipleRecordGetLogData(record);
    PutList(&b, '{', '}', VelmoraLogDataGetCount(data), [&](uint32_t i) {
      TextBufferWrite(&b, VelmoraLogDatumToString, VelmoraLogDataGetDatum(data, i), showNumbers);
    });
  } else if (choice == 2) {
    PutReal(&b, VelmoraLogMultipleRecordGetTimeChange(record));
  } else {
    PutUnknown(&b);
  }
  return TextBufferClose(&b);
}
