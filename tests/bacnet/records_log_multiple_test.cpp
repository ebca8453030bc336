// The log-multiple record, its data list and its datum: defaults, refusals
// and a record over the caller's datum array.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records_log_multiple.h"
#include "tests/bacnet/support/record_checks.h"

namespace {

const VelmoraDateTime kWhen = {{2024, 7, 1, 1}, {0, 15, 0, 0}};
const VelmoraBitString kStatus = {3, {0x40}};
const VelmoraError kError = {5, 2};
uint8_t gBuffer[4];
const VelmoraAnyValue kValue = {2, gBuffer, sizeof gBuffer, 1};
VelmoraLogDatum gDatums[3];
const VelmoraLogData kData = {3, gDatums};

TEST(RecordsLogMultiple, GettersOfMissingRecords) {
  const VelmoraLogMultipleRecord* m = nullptr;
  const VelmoraLogData* d = nullptr;
  const VelmoraLogDatum* datum = nullptr;
  ExpectDefaults({
      MISSING(VelmoraLogMultipleRecordGetTimeStamp(m), nullptr),
      MISSING(VelmoraLogMultipleRecordGetChoice(m), -1),
      MISSING(VelmoraLogMultipleRecordGetLogStatus(m), nullptr),
      MISSING(VelmoraLogMultipleRecordGetLogData(m), nullptr),
      MISSING(VelmoraLogMultipleRecordGetTimeChange(m), 0.0),
      MISSING(VelmoraLogDataGetCount(d), 0),
      MISSING(VelmoraLogDataGetDatum(d, 0), nullptr),
      MISSING(VelmoraLogDatumGetChoice(datum), 0),
      MISSING(VelmoraLogDatumGetBoolean(datum), 0),
      MISSING(VelmoraLogDatumGetReal(datum), 0.0),
      MISSING(VelmoraLogDatumGetEnumerated(datum), 0),
      MISSING(VelmoraLogDatumGetUnsigned(datum), 0),
      MISSING(VelmoraLogDatumGetSigned(datum), 0),
      MISSING(VelmoraLogDatumGetBitString(datum), nullptr),
      MISSING(VelmoraLogDatumGetFailure(datum), nullptr),
      MISSING(VelmoraLogDatumGetAnyValue(datum), nullptr),
  });
}

TEST(RecordsLogMultiple, SettersRefuseMissingRecordsAndArguments) {
  using LM = VelmoraLogMultipleRecord;
  ExpectRefusals(PatternRecord<LM>(),
                 {
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogStatus(nullptr, &kWhen, &kStatus)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogStatus(r, nullptr, &kStatus)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogStatus(r, &kWhen, nullptr)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogData(nullptr, &kWhen, &kData)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogData(r, nullptr, &kData)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitLogData(r, &kWhen, nullptr)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitTimeChange(nullptr, &kWhen, 1.0f)),
                     REFUSE(LM, VelmoraLogMultipleRecordInitTimeChange(r, nullptr, 1.0f)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetTimeStamp(nullptr, &kWhen)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetTimeStamp(r, nullptr)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetLogStatus(nullptr, &kStatus)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetLogStatus(r, nullptr)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetLogData(nullptr, &kData)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetLogData(r, nullptr)),
                     REFUSE(LM, VelmoraLogMultipleRecordSetTimeChange(nullptr, 1.0f)),
                     REFUSE(LM, VelmoraLogMultipleRecordCopy(nullptr, r)),
                     REFUSE(LM, VelmoraLogMultipleRecordCopy(r, nullptr)),
                 });
  using LD = VelmoraLogData;
  ExpectRefusals(PatternRecord<LD>(), {
                                          REFUSE(LD, VelmoraLogDataInit(nullptr)),
                                          REFUSE(LD, VelmoraLogDataSet(nullptr, gDatums, 3)),
                                          REFUSE(LD, VelmoraLogDataSet(r, nullptr, 3)),
                                          REFUSE(LD, VelmoraLogDataCopy(nullptr, r)),
                                          REFUSE(LD, VelmoraLogDataCopy(r, nullptr)),
                                      });
  using DM = VelmoraLogDatum;
  ExpectRefusals(PatternRecord<DM>(),
                 {
                     REFUSE(DM, VelmoraLogDatumInitBoolean(nullptr, 1)),
                     REFUSE(DM, VelmoraLogDatumInitReal(nullptr, 1)),
                     REFUSE(DM, VelmoraLogDatumInitEnumerated(nullptr, 1)),
                     REFUSE(DM, VelmoraLogDatumInitUnsigned(nullptr, 1)),
                     REFUSE(DM, VelmoraLogDatumInitSigned(nullptr, 1)),
                     REFUSE(DM, VelmoraLogDatumInitBitString(nullptr, &kStatus)),
                     REFUSE(DM, VelmoraLogDatumInitBitString(r, nullptr)),
                     REFUSE(DM, VelmoraLogDatumInitFailure(nullptr, &kError)),
                     REFUSE(DM, VelmoraLogDatumInitFailure(r, nullptr)),
                     REFUSE(DM, VelmoraLogDatumInitAnyValue(nullptr, &kValue)),
                     REFUSE(DM, VelmoraLogDatumInitAnyValue(r, nullptr)),
                     REFUSE(DM, VelmoraLogDatumCopy(nullptr, r)),
                     REFUSE(DM, VelmoraLogDatumCopy(r, nullptr)),
                 });
}

TEST(RecordsLogMultiple, ARecordOverThreeDatums) {
  VelmoraLogDatum datums[3];
  ASSERT_TRUE(VelmoraLogDatumInitReal(&datums[0], 20.5f));
  ASSERT_TRUE(VelmoraLogDatumInitFailure(&datums[1], &kError));
  ASSERT_TRUE(VelmoraLogDatumInitUnsigned(&datums[2], 9));
  VelmoraLogData data = PatternRecord<VelmoraLogData>();
  ASSERT_TRUE(VelmoraLogDataInit(&data));
  EXPECT_EQ(VelmoraLogDataGetCount(&data), 0u);
  EXPECT_EQ(VelmoraLogDataGetDatum(&data, 0), nullptr);
  ASSERT_TRUE(VelmoraLogDataSet(&data, datums, 3));

  VelmoraLogMultipleRecord m = PatternRecord<VelmoraLogMultipleRecord>();
  ASSERT_TRUE(VelmoraLogMultipleRecordInitLogData(&m, &kWhen, &data));
  EXPECT_EQ(VelmoraLogMultipleRecordGetChoice(&m), 1);
  const VelmoraLogData* list = VelmoraLogMultipleRecordGetLogData(&m);
  EXPECT_EQ(VelmoraLogDataGetCount(list), 3u);
  const VelmoraLogDatum* third = VelmoraLogDataGetDatum(list, 2);
  EXPECT_EQ(third, &datums[2]);
  EXPECT_EQ(VelmoraLogDatumGetChoice(third), 3);
  EXPECT_EQ(VelmoraLogDatumGetUnsigned(third), 9u);
  EXPECT_EQ(VelmoraErrorGetClass(VelmoraLogDatumGetFailure(VelmoraLogDataGetDatum(list, 1))), 5u);
  EXPECT_EQ(VelmoraLogMultipleRecordGetTimeStamp(&m), &m.time_stamp);

  ASSERT_TRUE(VelmoraLogMultipleRecordSetTimeChange(&m, 60.0f));
  EXPECT_EQ(VelmoraLogMultipleRecordGetChoice(&m), 2);
  EXPECT_EQ(VelmoraLogMultipleRecordGetTimeChange(&m), 60.0f);
  ASSERT_TRUE(VelmoraLogMultipleRecordSetLogStatus(&m, &kStatus));
  EXPECT_EQ(VelmoraLogMultipleRecordGetChoice(&m), 0);
  EXPECT_EQ(VelmoraBitStringGetLength(VelmoraLogMultipleRecordGetLogStatus(&m)), 3u);
}

TEST(RecordsLogMultiple, DatumInitialisersWriteTheirChoice) {
  const struct {
    bool (*init)(VelmoraLogDatum*);
    int32_t choice;
  } cases[] = {
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitBoolean(d, 1); }, 0},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitReal(d, 1.0f); }, 1},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitEnumerated(d, 1); }, 2},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitUnsigned(d, 1); }, 3},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitSigned(d, -1); }, 4},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitBitString(d, &kStatus); }, 5},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitFailure(d, &kError); }, 7},
      {[](VelmoraLogDatum* d) { return VelmoraLogDatumInitAnyValue(d, &kValue); }, 8},
  };
  for (const auto& c : cases) {
    VelmoraLogDatum d = PatternRecord<VelmoraLogDatum>();
    ASSERT_TRUE(c.init(&d));
    EXPECT_EQ(VelmoraLogDatumGetChoice(&d), c.choice);
  }
  VelmoraLogDatum d;
  ASSERT_TRUE(VelmoraLogDatumInitSigned(&d, -5));
  EXPECT_EQ(VelmoraLogDatumGetSigned(&d), -5);
  EXPECT_EQ(VelmoraLogDatumGetEnumerated(&d), uint32_t(-5));
}

}  // namespace
