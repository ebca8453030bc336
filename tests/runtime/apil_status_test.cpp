// Status mapping and failure detail: both tables row by row (transcribed here
// independently), the failure records built from a daemon's status data,
// and the BACnet Error octets of served requests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_service.h"
#include "runtime/apil/apil_services.h"
#include "runtime/apil/apil_status.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct PairCase {
  uint32_t internal;
  bool reject;
  uint32_t first;  // class, or the reject reason
  uint32_t code;
};

const uint32_t kPublic[83] = {
    0,  5,  16, 33, 32, 1,  1,  49, 51, 2,  18, 6,  19, 52, 67, 23, 53, 36, 33, 54, 10,
    4,  11, 21, 22, 22, 16, 14, 13, 12, 4,  4,  54, 33, 24, 25, 18, 18, 18, 33, 33, 29,
    30, 31, 28, 37, 38, 8,  9,  54, 50, 20, 54, 16, 1,  15, 26, 27, 64, 65, 66, 56, 48,
    1,  56, 67, 48, 1,  1,  56, 35, 48, 48, 68, 55, 3,  1,  85, 73, 83, 84, 86, 87,
};
// internal, reject (else error), class or reason, code
const PairCase kPairs[] = {
    {4, false, 3, 0},   {13, false, 2, 9},  {14, false, 5, 16}, {15, false, 2, 41},
    {16, false, 2, 37}, {17, true, 1, 0},   {20, false, 1, 31}, {21, false, 1, 36},
    {22, false, 2, 32}, {23, false, 2, 44}, {24, false, 5, 43}, {26, true, 6, 0},
    {27, false, 2, 42}, {28, false, 2, 50}, {29, false, 5, 22}, {30, false, 2, 40},
    {31, false, 2, 27}, {32, false, 3, 20}, {33, false, 3, 19}, {34, false, 5, 49},
    {35, false, 5, 48}, {38, false, 1, 24}, {40, false, 3, 18},
};

// Values past the table, below and at the first ServerResult.
const uint32_t kOutside[] = {83, 84, 200, 0xFFFF, 0x1FFFFFFF};

TEST(ApilStatus, PublicTableEveryRow) {
  for (uint32_t i = 0; i < 83; ++i)
    EXPECT_EQ(ApilMapStatus(i), int32_t(kPublic[i])) << i;
  for (uint32_t x : kOutside)
    EXPECT_EQ(ApilMapStatus(x), VELMORA_STATUS_UNKNOWN_ERROR) << x;
  EXPECT_EQ(ApilMapStatus(0x20000000), VELMORA_STATUS_UNKNOWN_ERROR);
  EXPECT_EQ(ApilMapStatus(UINT32_MAX), VELMORA_STATUS_UNKNOWN_ERROR);
}

TEST(ApilStatus, ErrorPairTableEveryRow) {
  ServerResult expect[83];
  for (auto& e : expect)
    e = 1;
  expect[0] = expect[25] = 0;
  for (const PairCase& p : kPairs)
    expect[p.internal] = p.reject ? 0x60000000u | p.first : 0x80000000u | p.first << 16 | p.code;
  for (uint32_t i = 0; i < 83; ++i)
    EXPECT_EQ(ApilErrorPairOf(i), expect[i]) << i;
  for (uint32_t x : kOutside)
    EXPECT_EQ(ApilErrorPairOf(x), 1u) << x;
  for (uint32_t r : {0x20000000u, 0x40000004u, 0x60000009u, 0x80020020u, UINT32_MAX})
    EXPECT_EQ(ApilErrorPairOf(r), r);
}

TEST(ApilStatus, ServerResultOf) {
  const struct {
    uint32_t status;
    ServerResult expect;
  } cases[] = {
      {0, 0x0E02},       {22, 0x80020020},         {2, 0x80050000},
      {17, 0x60000001},  {26, 0x60000006},         {25, 0x80050000},
      {200, 0x80050000}, {0x40000003, 0x40000003}, {0x80010024, 0x80010024},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ApilServerResultOf(c.status), c.expect) << c.status;
}

TEST(ApilStatus, ResultBuildersAndReaders) {
  ServerResult e = ApilErrorResult(2, 32);
  EXPECT_EQ(e, 0x80020020u);
  EXPECT_TRUE(ApilIsErrorResult(e));
  EXPECT_EQ(ApilResultClass(e), 2u);
  EXPECT_EQ(ApilResultCode(e), 32u);
  EXPECT_EQ(ApilRejectResult(9), 0x60000009u);
  EXPECT_TRUE(ApilIsRejectResult(0x60000009u));
  EXPECT_FALSE(ApilIsAbortResult(0x60000009u));
  EXPECT_EQ(ApilAbortResult(4), 0x40000004u);
  EXPECT_TRUE(ApilIsAbortResult(0x40000004u));
  EXPECT_EQ(ApilResultReason(0x40000004u), 4u);
  EXPECT_FALSE(ApilIsErrorResult(0x60000009u));
}

TEST(ApilStatus, ResponseKind) {
  const struct {
    uint32_t status;
    uint32_t kind;
    uint32_t errorClass, errorCode;  // written for kind 4
  } cases[] = {
      {0, 0, 0, 0},  {2, 1, 0, 0},  {13, 1, 0, 0},  {44, 1, 0, 0},          {51, 1, 0, 0},
      {53, 1, 0, 0}, {17, 4, 3, 0}, {66, 3, 0, 0},  {22, 4, 2, 32},         {40, 4, 3, 18},
      {26, 5, 0, 0}, {5, 5, 0, 0},  {200, 5, 0, 0}, {0x80050030, 4, 5, 48}, {0x60000001, 5, 0, 0},
  };
  for (const auto& c : cases) {
    uint32_t cls = 77, code = 77;
    EXPECT_EQ(ApilStatusResponseKind(c.status, &cls, &code), c.kind) << c.status;
    EXPECT_EQ(cls, c.kind == 4 ? c.errorClass : 77u) << c.status;
    EXPECT_EQ(code, c.kind == 4 ? c.errorCode : 77u) << c.status;
    EXPECT_EQ(ApilStatusResponseKind(c.status, nullptr, nullptr), c.kind) << c.status;
  }
}

// The failure record from the status data. Status data of the exact length,
// so that a read past it is a sanitizer report.
TEST(ApilStatus, FailureDetail) {
  constexpr VelmoraFailure kUntouched = {99, 99, 99};
  const struct {
    const char* name;
    uint32_t status;
    Bytes data;
    VelmoraStatus code;
    VelmoraFailure expect;
  } cases[] = {
      {"error pair", 58, {0x91, 0x02, 0x91, 0x20}, 64, {2, 2, 32}},
      {"error pair of two octets", 58, {0x91, 0x02, 0x92, 0x01, 0x2C}, 64, {2, 2, 300}},
      {"reject", 59, {0x09}, 65, {1, 9, 99}},
      {"abort", 60, {0x04, 0xFF}, 66, {0, 4, 99}},
      {"reject without data", 59, {}, 65, {1, 0, 99}},
      {"abort without data", 60, {}, 66, {0, 0, 99}},
      {"error without data", 58, {}, 64, {2, 0, 0}},
      {"error cut short", 58, {0x91, 0x02, 0x92, 0x01}, 64, {2, 2, 0}},
      {"success", 0, {0x91, 0x02}, 0, kUntouched},
      {"link down", 9, {0x04}, 2, kUntouched},
      {"outside the table", 500, {0x04}, 1, kUntouched},
  };
  for (const auto& c : cases) {
    auto data = std::make_unique<uint8_t[]>(c.data.size());
    if (!c.data.empty()) std::memcpy(data.get(), c.data.data(), c.data.size());
    std::span<const uint8_t> span(data.get(), c.data.size());
    VelmoraFailure f = kUntouched;
    EXPECT_EQ(AsnDecodeFailureDetail(c.status, span, &f), c.code) << c.name;
    EXPECT_EQ(f.kind, c.expect.kind) << c.name;
    EXPECT_EQ(f.reason, c.expect.reason) << c.name;
    EXPECT_EQ(f.error_code, c.expect.error_code) << c.name;
    EXPECT_EQ(AsnDecodeFailureDetail(c.status, span, nullptr), c.code) << c.name;
  }
}

TEST(ApilStatus, FailureDetailOfRicherErrors) {
  // AddListElement's ChangeList-Error: class 2, code 37, element 3.
  const Bytes changeList = {0x0E, 0x91, 0x02, 0x91, 0x25, 0x0F, 0x19, 0x03};
  ASSERT_TRUE(AsnCheckErrorPdu(8, changeList.data(), uint32_t(changeList.size())));
  VelmoraFailure f{};
  uint32_t element = 0;
  EXPECT_EQ(ApilFailureDetailElementNumber(58, changeList, &f, &element), 64);
  EXPECT_EQ(f.kind, VELMORA_FAILURE_ERROR);
  EXPECT_EQ(f.reason, 2u);
  EXPECT_EQ(f.error_code, 37u);
  EXPECT_EQ(element, 3u);
  f = {};
  element = 0;
  EXPECT_EQ(ApilFailureDetailChangeList(58, changeList, &f, &element), 64);
  EXPECT_EQ(f.error_code, 37u);
  EXPECT_EQ(element, 3u);
  element = 0;
  EXPECT_EQ(ApilFailureDetailChangeList(58, changeList, nullptr, &element), 64);
  EXPECT_EQ(element, 3u);

  // WritePropertyMultiple-Error: class 2, code 32, at analog-input 1's
  // present value.
  const Bytes wpm = {0x0E, 0x91, 0x02, 0x91, 0x20, 0x0F, 0x1E, 0x0C,
                     0x00, 0x00, 0x00, 0x01, 0x19, 0x55, 0x1F};
  ASSERT_TRUE(AsnCheckErrorPdu(16, wpm.data(), uint32_t(wpm.size())));
  VelmoraObjPropRef ref{};
  EXPECT_EQ(ApilFailureDetailObjPropRef(58, wpm, nullptr, &ref), 64);
  EXPECT_EQ(ref.object_id.type, 0u);
  EXPECT_EQ(ref.object_id.instance, 1u);
  EXPECT_EQ(ref.property, 85u);
  EXPECT_EQ(ref.array_index, VELMORA_NO_INDEX);
  f = {};
  EXPECT_EQ(ApilFailureDetailObjPropRef(58, wpm, &f, nullptr), 64);
  EXPECT_EQ(f.error_code, 32u);

  // A Reject through a variant, without data.
  f = {};
  EXPECT_EQ(ApilFailureDetailChangeList(59, {}, &f, &element), 65);
  EXPECT_EQ(f.kind, VELMORA_FAILURE_REJECT);
  EXPECT_EQ(f.reason, 0u);
}

TEST(ApilStatus, FailureDetailOfPrivateTransfer) {
  uint8_t params[] = {0x21, 0x05};
  VelmoraPrivateTransfer sent = {7, 1, 1, params, sizeof params, sizeof params};
  uint8_t octets[32];
  AsnCursor c = AsnCursorOver(octets, sizeof octets);
  ASSERT_EQ(AsnEncodePrivateTransferError(2, 300, &sent, &c), ASN_OK);
  std::span<const uint8_t> data(octets, size_t(c.current - octets));
  ASSERT_TRUE(AsnCheckErrorPdu(18, data.data(), uint32_t(data.size())));

  uint8_t buffer[4] = {};
  VelmoraPrivateTransfer got = {0, 0, 0, buffer, sizeof buffer, 0};
  VelmoraFailure f{};
  EXPECT_EQ(ApilFailureDetailPrivateTransfer(58, data, &f, &got, false), 64);
  EXPECT_EQ(f.kind, VELMORA_FAILURE_ERROR);
  EXPECT_EQ(f.reason, 2u);
  EXPECT_EQ(f.error_code, 300u);
  EXPECT_EQ(got.vendor_id, 7u);
  EXPECT_EQ(got.service_number, 1u);
  EXPECT_EQ(got.length, 2u);
  EXPECT_EQ(buffer[1], 0x05);

  // Cleared, the record has no buffer: the parameters are not dropped
  // quietly; the error pair is still there.
  f = {};
  got = {0, 0, 0, buffer, sizeof buffer, 0};
  EXPECT_EQ(ApilFailureDetailPrivateTransfer(58, data, &f, &got, true),
            VELMORA_STATUS_VALUE_OUT_OF_SPACE);
  EXPECT_EQ(got.parameters, nullptr);
  EXPECT_EQ(got.length, 2u);
  EXPECT_EQ(f.error_code, 300u);

  // Without parameters a cleared record is all it takes.
  VelmoraPrivateTransfer bare = {7, 1, 0, nullptr, 0, 0};
  c = AsnCursorOver(octets, sizeof octets);
  ASSERT_EQ(AsnEncodePrivateTransferError(2, 32, &bare, &c), ASN_OK);
  data = std::span<const uint8_t>(octets, size_t(c.current - octets));
  got = {0, 0, 1, buffer, sizeof buffer, 9};
  EXPECT_EQ(ApilFailureDetailPrivateTransfer(58, data, nullptr, &got, true), 64);
  EXPECT_EQ(got.parameters_present, 0);
  EXPECT_EQ(got.length, 0u);
}

TEST(ApilStatus, ErrorOctets) {
  uint8_t out[8];
  const struct {
    const char* name;
    uint32_t (*encode)(std::span<uint8_t>);
    Bytes expect;
  } cases[] = {
      {"pair 2, 300",
       [](std::span<uint8_t> o) { return ApilEncodeErrorPair(2, 300, o); },
       {0x91, 0x02, 0x92, 0x01, 0x2C}},
      {"pair 0, 0",
       [](std::span<uint8_t> o) { return ApilEncodeErrorPair(0, 0, o); },
       {0x91, 0x00, 0x91, 0x00}},
      {"pair 256, 65535",
       [](std::span<uint8_t> o) { return ApilEncodeErrorPair(256, 65535, o); },
       {0x92, 0x01, 0x00, 0x92, 0xFF, 0xFF}},
      {"pair above 16 bits",
       [](std::span<uint8_t> o) { return ApilEncodeErrorPair(0x10000, 0, o); },
       {}},
      {"pair without room",
       [](std::span<uint8_t> o) { return ApilEncodeErrorPair(2, 300, o.first(4)); },
       {}},
      {"status 22",
       [](std::span<uint8_t> o) { return ApilEncodeStatusError(22, o); },
       {0x91, 0x02, 0x91, 0x20}},
      {"status 2",
       [](std::span<uint8_t> o) { return ApilEncodeStatusError(2, o); },
       {0x91, 0x05, 0x91, 0x00}},
      {"status reject",
       [](std::span<uint8_t> o) { return ApilEncodeStatusError(17, o); },
       {0x91, 0x05, 0x91, 0x00}},
      {"status result",
       [](std::span<uint8_t> o) { return ApilEncodeStatusError(0x80030000, o); },
       {0x91, 0x03, 0x91, 0x00}},
      {"abort 1",
       [](std::span<uint8_t> o) { return ApilEncodeAbortError(1, o); },
       {0x91, 0x07, 0x91, 0x33}},
      {"reject 9",
       [](std::span<uint8_t> o) { return ApilEncodeRejectError(9, o); },
       {0x91, 0x07, 0x91, 0x43}},
  };
  for (const auto& c : cases) {
    std::memset(out, 0xEE, sizeof out);
    uint32_t n = c.encode(std::span<uint8_t>(out, sizeof out));
    EXPECT_EQ(Bytes(out, out + n), c.expect) << c.name;
  }
}

TEST(ApilStatus, ReasonsAsErrorCodes) {
  const struct {
    uint32_t reason, abort, reject;
  } cases[] = {
      {0, 56, 69},  {1, 51, 59},  {4, 54, 62},  {5, 56, 63},  {9, 56, 67},
      {10, 56, 69}, {63, 56, 69}, {64, 55, 68}, {70, 55, 68}, {255, 55, 68},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApilAbortToErrorCode(c.reason), c.abort) << c.reason;
    EXPECT_EQ(ApilRejectToErrorCode(c.reason), c.reject) << c.reason;
  }
}

TEST(ApilStatus, SegmentationFromFlags) {
  const struct {
    uint8_t flags;
    uint32_t segmentation;
  } cases[] = {{0xC0, 0}, {0xFF, 0}, {0x80, 1}, {0xBF, 1}, {0x40, 2}, {0x00, 3}, {0x3F, 3}};
  for (const auto& c : cases)
    EXPECT_EQ(ApilSegmentationFromFlags(c.flags), c.segmentation) << int(c.flags);
}

TEST(ApilStatus, ReadPropertyServiceRow) {
  EXPECT_EQ(APIL_READ_PROPERTY_SERVICE.service, 12u);
  const VelmoraObjPropRef request = {{8, 123}, 77, VELMORA_NO_INDEX};
  EXPECT_EQ(APIL_READ_PROPERTY_SERVICE.size(&request), 50u);
  uint8_t out[50];
  TsmlStream s = {out, out + sizeof out};
  ASSERT_EQ(APIL_READ_PROPERTY_SERVICE.encode(&request, &s), 0);
  EXPECT_EQ(Bytes(out, s.cursor), (Bytes{0x0C, 0x02, 0x00, 0x00, 0x7B, 0x19, 0x4D}));
  s = {out, out + 6};
  EXPECT_EQ(APIL_READ_PROPERTY_SERVICE.encode(&request, &s), 18);
  EXPECT_EQ(s.cursor, out);
}

}  // namespace
