// Basic records: the checks their accessors make and the address kinds.
#include <gtest/gtest.h>

#include <cstring>

#include "bacnet/records.h"
#include "bacnet/week_n_day.h"

namespace {

TEST(RecordsBitString, CountIsBoundedByTheTenBytes) {
  VelmoraBitString bs;
  std::memset(&bs, 0xFF, sizeof bs);
  EXPECT_FALSE(VelmoraBitStringInit(&bs, 81));
  ASSERT_TRUE(VelmoraBitStringInit(&bs, 80));
  for (uint32_t n = 0; n < 80; ++n)
    EXPECT_FALSE(VelmoraBitStringGetBit(&bs, n)) << n;
  EXPECT_TRUE(VelmoraBitStringSetBit(&bs, 79, 1));
  EXPECT_TRUE(VelmoraBitStringGetBit(&bs, 79));
  EXPECT_EQ(bs.bits[9], 0x01);
  EXPECT_FALSE(VelmoraBitStringSetLength(&bs, 81));
  EXPECT_EQ(VelmoraBitStringGetLength(&bs), 80u);
}

TEST(RecordsBitString, BitNumberBelowCountAndBelowEighty) {
  VelmoraBitString bs;
  ASSERT_TRUE(VelmoraBitStringInit(&bs, 10));
  bs.bits[1] = 0xFF;  // bits 8-15 set in the bytes, only 8 and 9 counted
  EXPECT_TRUE(VelmoraBitStringGetBit(&bs, 9));
  EXPECT_FALSE(VelmoraBitStringGetBit(&bs, 10));
  EXPECT_FALSE(VelmoraBitStringSetBit(&bs, 10, 1));
  // A count overwritten past the record's bytes must not open them up.
  bs.count = 200;
  EXPECT_FALSE(VelmoraBitStringSetBit(&bs, 80, 1));
  EXPECT_FALSE(VelmoraBitStringSetBit(&bs, 150, 1));
  EXPECT_FALSE(VelmoraBitStringGetBit(&bs, 80));
  EXPECT_TRUE(VelmoraBitStringSetBit(&bs, 0, 7));
  EXPECT_EQ(bs.bits[0], 0x80);
  EXPECT_TRUE(VelmoraBitStringSetBit(&bs, 0, 0));
  EXPECT_EQ(bs.bits[0], 0x00);
}

TEST(RecordsBitString, SetBitsCopiesCountedBytesAndClearsTheRest) {
  const struct {
    uint32_t count;
    uint8_t source[11];
    uint8_t expect[10];
  } cases[] = {
      {7, {0xFF}, {0xFE, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
      {16, {0x12, 0x34, 0x56}, {0x12, 0x34, 0x00, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
      {0, {0xFF}, {0x00, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
      {9, {0xFF, 0xFF}, {0xFF, 0x80, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
      {80, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      // Count set past 80 by hand: the copy stops at the ten bytes.
      {120, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
  };
  for (const auto& c : cases) {
    VelmoraBitString bs;
    bs.count = c.count;
    std::memset(bs.bits, 0xAA, sizeof bs.bits);
    ASSERT_TRUE(VelmoraBitStringSetBits(&bs, c.source));
    EXPECT_EQ(0, std::memcmp(bs.bits, c.expect, 10)) << c.count;
  }
  EXPECT_FALSE(VelmoraBitStringSetBits(nullptr, cases[0].source));
  VelmoraBitString bs{};
  EXPECT_FALSE(VelmoraBitStringSetBits(&bs, nullptr));
}

TEST(RecordsAddress, KindsAndTheirTests) {
  const uint8_t mac[6] = {10, 0, 0, 1, 0xBA, 0xC0};
  struct Kind {
    const char* what;
    VelmoraAddress a;
    bool local, remote, global, broadcast;
  };
  Kind kinds[5] = {};
  ASSERT_TRUE(VelmoraAddressInitLocal(&kinds[0].a, mac, 6));
  ASSERT_TRUE(VelmoraAddressInitRemote(&kinds[1].a, mac, 1, 5));
  ASSERT_TRUE(VelmoraAddressInitLocalBroadcast(&kinds[2].a));
  ASSERT_TRUE(VelmoraAddressInitRemoteBroadcast(&kinds[3].a, 5));
  ASSERT_TRUE(VelmoraAddressInitGlobalBroadcast(&kinds[4].a));
  const Kind expect[5] = {{"local station", {}, true, false, false, false},
                          {"remote station", {}, false, true, false, false},
                          {"local broadcast", {}, true, false, false, true},
                          {"remote broadcast", {}, false, true, false, true},
                          {"global broadcast", {}, false, false, true, true}};
  for (int i = 0; i < 5; ++i) {
    const VelmoraAddress* a = &kinds[i].a;
    EXPECT_EQ(VelmoraAddressIsLocal(a), expect[i].local) << expect[i].what;
    EXPECT_EQ(VelmoraAddressIsRemote(a), expect[i].remote) << expect[i].what;
    EXPECT_EQ(VelmoraAddressIsGlobalBroadcast(a), expect[i].global) << expect[i].what;
    EXPECT_EQ(VelmoraAddressIsBroadcast(a), expect[i].broadcast) << expect[i].what;
  }
  EXPECT_EQ(VelmoraAddressGetNetwork(&kinds[4].a), 0xFFFF);
  EXPECT_EQ(VelmoraAddressGetMacLength(&kinds[0].a), 6);
  EXPECT_EQ(0, std::memcmp(VelmoraAddressGetMac(&kinds[0].a), mac, 6));
}

TEST(RecordsAddress, NetworkAndMacSettersMoveBetweenKinds) {
  const uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
  VelmoraAddress a;
  ASSERT_TRUE(VelmoraAddressInitRemote(&a, mac, 6, 7));
  ASSERT_TRUE(VelmoraAddressSetNetwork(&a, 0));
  EXPECT_TRUE(VelmoraAddressIsLocal(&a));
  EXPECT_EQ(VelmoraAddressGetMacLength(&a), 6);
  ASSERT_TRUE(VelmoraAddressSetNetwork(&a, 0xFFFF));
  EXPECT_TRUE(VelmoraAddressIsGlobalBroadcast(&a));
  EXPECT_EQ(VelmoraAddressGetMacLength(&a), 0);
  ASSERT_TRUE(VelmoraAddressSetMac(&a, mac, 0));  // empty MAC keeps the global broadcast
  EXPECT_TRUE(VelmoraAddressIsGlobalBroadcast(&a));
  ASSERT_TRUE(VelmoraAddressSetMac(&a, mac, 6));
  EXPECT_TRUE(VelmoraAddressIsLocal(&a));
  EXPECT_EQ(VelmoraAddressGetNetwork(&a), 0);
  EXPECT_FALSE(VelmoraAddressIsBroadcast(&a));
  ASSERT_TRUE(VelmoraAddressSetNetwork(&a, 9));
  EXPECT_TRUE(VelmoraAddressIsRemote(&a));
  EXPECT_EQ(VelmoraAddressGetMacLength(&a), 6);
}

TEST(RecordsAddress, RefusesMacLongerThanSevenOrMissing) {
  const uint8_t mac[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  VelmoraAddress a;
  ASSERT_TRUE(VelmoraAddressInitLocal(&a, mac, 7));
  VelmoraAddress before = a;
  EXPECT_FALSE(VelmoraAddressInitLocal(&a, mac, 8));
  EXPECT_FALSE(VelmoraAddressInitRemote(&a, mac, 8, 3));
  EXPECT_FALSE(VelmoraAddressSetMac(&a, mac, 8));
  EXPECT_FALSE(VelmoraAddressSetMac(&a, nullptr, 2));
  EXPECT_EQ(0, std::memcmp(&a, &before, sizeof a));
  EXPECT_TRUE(VelmoraAddressInitLocal(&a, nullptr, 0));
}

TEST(RecordsFailure, AbortAndRejectKeepTheCodeField) {
  VelmoraFailure f;
  ASSERT_TRUE(VelmoraFailureInitError(&f, 2, 31));
  ASSERT_TRUE(VelmoraFailureInitAbort(&f, 4));
  EXPECT_EQ(VelmoraFailureGetKind(&f), VELMORA_FAILURE_ABORT);
  EXPECT_EQ(VelmoraFailureGetErrorCode(&f), 31u);
  EXPECT_EQ(VelmoraFailureGetErrorClass(&f), 4u);
  EXPECT_EQ(VelmoraFailureGetAbortReason(&f), 4u);
  ASSERT_TRUE(VelmoraFailureSetReject(&f, 9));
  EXPECT_EQ(VelmoraFailureGetKind(&f), VELMORA_FAILURE_REJECT);
  EXPECT_EQ(VelmoraFailureGetRejectReason(&f), 9u);
  EXPECT_EQ(VelmoraFailureGetErrorCode(&f), 31u);
  ASSERT_TRUE(VelmoraFailureSetError(&f, 5, 7));
  EXPECT_EQ(VelmoraFailureGetKind(&f), VELMORA_FAILURE_ERROR);
  EXPECT_EQ(VelmoraFailureGetErrorClass(&f), 5u);
  EXPECT_EQ(VelmoraFailureGetErrorCode(&f), 7u);
  VelmoraFailure g{};
  ASSERT_TRUE(VelmoraFailureCopy(&g, &f));
  EXPECT_EQ(0, std::memcmp(&f, &g, sizeof f));
  EXPECT_FALSE(VelmoraFailureCopy(&g, nullptr));
}

TEST(FailureCopy, CopiesEveryFieldAndIgnoresNull) {
  const VelmoraFailure source{2, 5, 31};
  VelmoraFailure copy{0, 0, 0};
  FailureCopy(&source, &copy);
  EXPECT_EQ(copy.kind, 2u);
  EXPECT_EQ(copy.reason, 5u);
  EXPECT_EQ(copy.error_code, 31u);
  FailureCopy(nullptr, &copy);
  FailureCopy(&source, nullptr);
  EXPECT_EQ(copy.reason, 5u);
}

TEST(RecordsObjectId, InstanceBoundTypeUnchecked) {
  VelmoraObjectId id;
  EXPECT_TRUE(VelmoraObjectIdInit(&id, 8, 0x3FFFFF));
  EXPECT_FALSE(VelmoraObjectIdInit(&id, 8, 0x400000));
  EXPECT_EQ(VelmoraObjectIdGetInstance(&id), 0x3FFFFFu);
  EXPECT_TRUE(VelmoraObjectIdInit(&id, 5000, 1));
  EXPECT_EQ(VelmoraObjectIdGetType(&id), 5000u);
  EXPECT_FALSE(VelmoraObjectIdSetInstance(&id, 0x400000));
  EXPECT_EQ(VelmoraObjectIdGetInstance(&id), 1u);
}

TEST(RecordsCharString, ConstructorsAndSetSpecificGetters) {
  using Getter = const char* (*)(const VelmoraCharString*);
  const Getter getters[6] = {VelmoraCharStringGetAnsi, VelmoraCharStringGetDbcs,
                             VelmoraCharStringGetJis,  VelmoraCharStringGetUcs4,
                             VelmoraCharStringGetUcs2, VelmoraCharStringGetIso8859};
  const char text[] = "abcdefgh";
  VelmoraCharString s[6];
  ASSERT_TRUE(VelmoraCharStringInitAnsi(&s[0], text, -1));
  ASSERT_TRUE(VelmoraCharStringInitDbcs(&s[1], 932, text, 3));
  ASSERT_TRUE(VelmoraCharStringInitJis(&s[2], text, 2));
  ASSERT_TRUE(VelmoraCharStringInitUcs4(&s[3], text, 8));
  ASSERT_TRUE(VelmoraCharStringInitUcs2(&s[4], text, 6));
  ASSERT_TRUE(VelmoraCharStringInitIso8859(&s[5], text, 1));
  for (int set = 0; set < 6; ++set) {
    EXPECT_EQ(VelmoraCharStringGetCharset(&s[set]), set);
    EXPECT_EQ(VelmoraCharStringGetData(&s[set]), text);
    EXPECT_EQ(VelmoraCharStringGetCodePage(&s[set]), set == 1 ? 932 : 0);
    for (int g = 0; g < 6; ++g)
      EXPECT_EQ(getters[g](&s[set]), g == set ? text : nullptr) << set << g;
  }
  EXPECT_EQ(VelmoraCharStringGetLength(&s[4]), 6);
  EXPECT_TRUE(VelmoraCharStringInitUcs2(&s[4], text, -1));
  EXPECT_FALSE(VelmoraCharStringInitUcs2(&s[4], text, 5));
  EXPECT_FALSE(VelmoraCharStringInitUcs4(&s[3], text, 6));
  EXPECT_FALSE(VelmoraCharStringInitAnsi(&s[0], nullptr, 0));
  EXPECT_EQ(VelmoraCharStringGetLength(&s[4]), -1);
}

TEST(RecordsDateTime, InitIsAllUnspecified) {
  VelmoraDateTime dt;
  std::memset(&dt, 0x11, sizeof dt);
  ASSERT_TRUE(VelmoraDateTimeInit(&dt));
  EXPECT_EQ(VelmoraDateGetYear(VelmoraDateTimeGetDate(&dt)), 0xFFFF);
  EXPECT_EQ(VelmoraDateGetMonth(&dt.date), 0u);
  EXPECT_EQ(VelmoraDateGetDay(&dt.date), 255);
  EXPECT_EQ(VelmoraDateGetDayOfWeek(&dt.date), 0u);
  const VelmoraTime* t = VelmoraDateTimeGetTime(&dt);
  EXPECT_EQ(VelmoraTimeGetHour(t), 255);
  EXPECT_EQ(VelmoraTimeGetMinute(t), 255);
  EXPECT_EQ(VelmoraTimeGetSecond(t), 255);
  EXPECT_EQ(VelmoraTimeGetHundredths(t), 255);
  ASSERT_TRUE(VelmoraDateTimeSetDate(&dt, 2024, 2, 29));
  ASSERT_TRUE(VelmoraDateTimeSetTime(&dt, 1, 2, 3, 4));
  EXPECT_EQ(dt.date.year, 2024);
  EXPECT_EQ(dt.date.day_of_week, 0u);
  EXPECT_EQ(dt.time.hundredths, 4);
}

TEST(RecordsDefaults, GettersOnMissingRecords) {
  EXPECT_EQ(VelmoraTimeGetHour(nullptr), 255);
  EXPECT_EQ(VelmoraDateGetYear(nullptr), 0xFFFF);
  EXPECT_EQ(VelmoraDateGetDay(nullptr), 255);
  EXPECT_EQ(VelmoraDateGetMonth(nullptr), 0u);
  EXPECT_EQ(VelmoraAddressGetNetwork(nullptr), 0);
  EXPECT_EQ(VelmoraAddressGetMac(nullptr), nullptr);
  EXPECT_FALSE(VelmoraAddressIsLocal(nullptr));
  EXPECT_FALSE(VelmoraAddressIsBroadcast(nullptr));
  EXPECT_EQ(VelmoraBitStringGetLength(nullptr), 0u);
  EXPECT_EQ(VelmoraBitStringGetBits(nullptr), nullptr);
  EXPECT_FALSE(VelmoraBitStringGetBit(nullptr, 0));
  EXPECT_EQ(VelmoraErrorGetClass(nullptr), UINT32_MAX);
  EXPECT_EQ(VelmoraFailureGetKind(nullptr), UINT32_MAX);
  EXPECT_EQ(VelmoraObjectIdGetType(nullptr), UINT32_MAX);
  EXPECT_EQ(VelmoraCharStringGetCharset(nullptr), -1);
  EXPECT_EQ(VelmoraCharStringGetLength(nullptr), 0);
  EXPECT_EQ(VelmoraDbcsStringGetData(nullptr), nullptr);
  EXPECT_EQ(VelmoraOctetStringGetBufferSize(nullptr), 0u);
  EXPECT_EQ(VelmoraRawDataGetData(nullptr), nullptr);
  EXPECT_EQ(VelmoraWeekNDayGetWeekOfMonth(nullptr), -1);
  EXPECT_FALSE(VelmoraTimeSetHour(nullptr, 1));
  EXPECT_FALSE(VelmoraDateTimeSetDateRecord(nullptr, nullptr));
}

TEST(RecordsPointers, RequiredPointersAndSharedCopies) {
  VelmoraRawData r{};
  EXPECT_FALSE(VelmoraRawDataInit(&r, nullptr, 3));
  const uint8_t raw[3] = {1, 2, 3};
  ASSERT_TRUE(VelmoraRawDataInit(&r, raw, 3));
  VelmoraRawData r2{};
  ASSERT_TRUE(VelmoraRawDataCopy(&r2, &r));
  EXPECT_EQ(VelmoraRawDataGetData(&r2), raw);
  EXPECT_EQ(VelmoraRawDataGetLength(&r2), 3u);

  VelmoraDbcsString d{};
  EXPECT_FALSE(VelmoraDbcsStringInit(&d, 932, nullptr));
  ASSERT_TRUE(VelmoraDbcsStringInit(&d, 932, "x"));
  EXPECT_FALSE(VelmoraDbcsStringSetData(&d, nullptr));
  EXPECT_EQ(VelmoraDbcsStringGetCodePage(&d), 932);

  uint8_t buf[4];
  VelmoraOctetString o{};
  ASSERT_TRUE(VelmoraOctetStringInit(&o, buf, 4, 2));
  ASSERT_TRUE(VelmoraOctetStringSetLength(&o, 9));  // not checked against the buffer
  VelmoraOctetString o2{};
  ASSERT_TRUE(VelmoraOctetStringCopy(&o2, &o));
  EXPECT_EQ(VelmoraOctetStringGetData(&o2), buf);
  EXPECT_EQ(VelmoraOctetStringGetLength(&o2), 9u);
  ASSERT_TRUE(VelmoraOctetStringSetData(&o2, nullptr, 0));
  EXPECT_EQ(VelmoraOctetStringGetLength(&o2), 9u);
}

}  // namespace
