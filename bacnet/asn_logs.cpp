#include "bacnet/asn_logs.h"

#include <cstring>
#include <iterator>

#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_schedule.h"

namespace {

// What a datum holds; its value is the member at the start of the datum's
// union.
enum class Datum : uint8_t {
  BitString,
  Boolean,
  Real,
  Enumerated,
  Unsigned,
  Signed,
  Null,
  Failure,
  AnyValue
};

// By choice, which is also the datum's context tag number.
constexpr Datum kLogRecordDatums[] = {Datum::BitString,  Datum::Boolean,  Datum::Real,
                                      Datum::Enumerated, Datum::Unsigned, Datum::Signed,
                                      Datum::BitString,  Datum::Null,     Datum::Failure,
                                      Datum::Real,       Datum::AnyValue};
constexpr Datum kLogMultipleDatums[] = {Datum::Boolean,  Datum::Real,    Datum::Enumerated,
                                        Datum::Unsigned, Datum::Signed,  Datum::BitString,
                                        Datum::Null,     Datum::Failure, Datum::AnyValue};
constexpr uint32_t kLogRecordChoices = std::size(kLogRecordDatums);
constexpr uint32_t kLogMultipleChoices = std::size(kLogMultipleDatums);
constexpr int32_t kLogMultipleNull = 6;

constexpr int32_t kLogStatus = 0, kLogData = 1, kTimeChange = 2;

template <typename T>
T Load(const void* value) {
  T v;
  std::memcpy(&v, value, sizeof v);
  return v;
}

int32_t EncodeDatum(Datum kind, uint8_t tag, const void* value, AsnCursor* c) {
  const uint16_t word = AsnContextTag(tag);
  switch (kind) {
    case Datum::BitString:
      return AsnEncodeTaggedBitString(static_cast<const VelmoraBitString*>(value), c, word);
    case Datum::Boolean:
      return AsnEncodeTaggedBoolean(Load<uint8_t>(value), c, word);
    case Datum::Real:
      return AsnEncodeTaggedReal(Load<float>(value), c, word);
    case Datum::Enumerated:
      return AsnEncodeTaggedEnumerated(Load<uint32_t>(value), c, word);
    case Datum::Unsigned:
      return AsnEncodeTaggedUnsigned(Load<uint32_t>(value), c, word);
    case Datum::Signed:
      return AsnEncodeTaggedSigned(Load<int32_t>(value), c, word);
    case Datum::Null:
      return AsnEncodeTagHeader(c, word, 0);
    case Datum::Failure: {
      int32_t status = AsnEncodeOpening(c, tag);
      if (status == ASN_OK) status = AsnEncodeErrorPair(static_cast<const VelmoraError*>(value), c);
      if (status == ASN_OK) status = AsnEncodeClosing(c, tag);
      return status;
    }
    case Datum::AnyValue:
      return AsnEncodeEnclosedValue(static_cast<const VelmoraAnyValue*>(value), c, tag);
  }
  return ASN_UNKNOWN_CHOICE;
}

// One datum of the kind into the union at value; an any value is carved
// (or measured) with a carver, and only stepped over without one.
void DatumWalk(Datum kind, AsnCursor* c, void* value, AsnCarver* carver) {
  switch (kind) {
    case Datum::BitString: {
      VelmoraBitString b{};
      AsnTakeBitString(c, &b);
      return AsnStoreRecord(value, b);
    }
    case Datum::Boolean:
      return AsnStoreRecord(value, AsnTakeBoolean(c));
    case Datum::Real:
      return AsnStoreRecord(value, AsnTakeReal(c));
    case Datum::Enumerated:
    case Datum::Unsigned:
      return AsnStoreRecord(value, AsnTakeUnsigned(c));
    case Datum::Signed:
      return AsnStoreRecord(value, AsnTakeSigned(c));
    case Datum::Null:
      return AsnSkipElement(c);
    case Datum::Failure: {
      VelmoraError e{};
      AsnEnterTag(c);
      AsnTakeErrorPair(c, &e);
      AsnLeaveTag(c);
      return AsnStoreRecord(value, e);
    }
    case Datum::AnyValue: {
      uint32_t length;
      const uint8_t* contents = AsnTakeContents(c, &length);
      VelmoraAnyValue v = {ASN_TYPE_NONE, nullptr, 0, 0};
      if (!contents)
        AsnSkipElement(c);  // no constructed element: nothing to decode, but move on
      else if (carver)
        AsnCarveAnyValue(carver, contents, length, &v);
      return AsnStoreRecord(value, v);
    }
  }
}

// [0]{ date-time }, [1]{ datum }, [2] status flags when present. A datum of
// a choice past the last keeps its tag number as the choice and is stepped
// over.
void LogRecordWalk(AsnCursor* c, VelmoraLogRecord* out, AsnCarver* carver) {
  VelmoraLogRecord r{};
  AsnDecodeEnclosedDateTime(c, &r.timestamp);
  AsnEnterTag(c);
  if (!AsnAtListEnd(c)) {
    r.datum_type = uint32_t(AsnPeekTagNumber(c));
    if (AsnPickChoice(c, kLogRecordChoices, &r.datum_type))
      DatumWalk(kLogRecordDatums[r.datum_type], c, &r.datum, carver);
  }
  AsnLeaveTag(c);
  if (AsnHasContextTag(c, 2)) {
    r.has_status_flags = 1;
    AsnTakeBitString(c, &r.status_flags);
  }
  AsnStoreRecord(out, r);
}

// A datum of a choice past the last is a null datum, stepped over.
void LogDatumWalk(AsnCursor* c, VelmoraLogDatum* out, AsnCarver* carver) {
  VelmoraLogDatum d{};
  uint32_t choice;
  if (AsnPickChoice(c, kLogMultipleChoices, &choice)) {
    d.choice = int32_t(choice);
    DatumWalk(kLogMultipleDatums[choice], c, &d.value, carver);
  } else {
    d.choice = kLogMultipleNull;
  }
  AsnStoreRecord(out, d);
}

// [0]{ date-time }, [1]{ log status, data list or time change }.
void LogMultipleRecordWalk(AsnCursor* c, VelmoraLogMultipleRecord* out, AsnCarver* carver) {
  VelmoraLogMultipleRecord r{};
  AsnDecodeEnclosedDateTime(c, &r.time_stamp);
  AsnEnterTag(c);
  r.choice = AsnAtListEnd(c) ? kLogStatus : AsnPeekTagNumber(c);
  if (r.choice == kLogStatus) {
    AsnTakeBitString(c, &r.value.log_status);
  } else if (r.choice == kTimeChange) {
    r.value.time_change = AsnTakeReal(c);
  } else if (r.choice == kLogData) {
    VelmoraLogData& d = r.value.log_data;
    AsnWalkList(c, &d.datums, &d.count, carver, LogDatumWalk);
  } else {
    AsnSkipElement(c);
  }
  AsnLeaveTag(c);
  AsnStoreRecord(out, r);
}

int32_t EncodeLogRecord(const VelmoraLogRecord* r, AsnCursor* c) {
  if (r->datum_type >= kLogRecordChoices) return ASN_UNKNOWN_CHOICE;
  int32_t status = AsnEncodeEnclosedDateTime(&r->timestamp, c, 0);
  if (status == ASN_OK) status = AsnEncodeOpening(c, 1);
  if (status == ASN_OK)
    status = EncodeDatum(kLogRecordDatums[r->datum_type], uint8_t(r->datum_type), &r->datum, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
  if (status == ASN_OK && r->has_status_flags)
    status = AsnEncodeTaggedBitString(&r->status_flags, c, AsnContextTag(2));
  return status;
}

int32_t EncodeLogData(const VelmoraLogData* d, AsnCursor* c) {
  if (d->count != 0 && !d->datums) return ASN_BAD_BUFFER;
  int32_t status = AsnEncodeOpening(c, 1);
  for (uint32_t i = 0; i < d->count && status == ASN_OK; ++i) {
    const VelmoraLogDatum& datum = d->datums[i];
    const auto choice = uint32_t(datum.choice);
    status = choice < kLogMultipleChoices
                 ? EncodeDatum(kLogMultipleDatums[choice], uint8_t(choice), &datum.value, c)
                 : ASN_INVALID_VALUE;
  }
  if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
  return status;
}

// An unknown choice of the log data, or of a datum in it, is 2.
int32_t EncodeLogMultipleRecord(const VelmoraLogMultipleRecord* r, AsnCursor* c) {
  if (r->choice < kLogStatus || r->choice > kTimeChange) return ASN_INVALID_VALUE;
  int32_t status = AsnEncodeEnclosedDateTime(&r->time_stamp, c, 0);
  if (status == ASN_OK) status = AsnEncodeOpening(c, 1);
  if (status != ASN_OK) return status;
  if (r->choice == kLogStatus)
    status = AsnEncodeTaggedBitString(&r->value.log_status, c, AsnContextTag(0));
  else if (r->choice == kTimeChange)
    status = AsnEncodeTaggedReal(r->value.time_change, c, AsnContextTag(2));
  else
    status = EncodeLogData(&r->value.log_data, c);
  if (status == ASN_OK) status = AsnEncodeClosing(c, 1);
  return status;
}

}  // namespace

int32_t AsnEncodeLogRecord(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraLogRecord, EncodeLogRecord>(value, cursor);
}
void AsnDecodeLogRecord(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraLogRecord, LogRecordWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeLogRecord(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraLogRecord, LogRecordWalk>(element, available);
}

int32_t AsnEncodeLogMultipleRecord(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraLogMultipleRecord, EncodeLogMultipleRecord>(value, cursor);
}
void AsnDecodeLogMultipleRecord(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraLogMultipleRecord, LogMultipleRecordWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeLogMultipleRecord(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraLogMultipleRecord, LogMultipleRecordWalk>(element, available);
}
