#include "runtime/apil/apil_status.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_status.h"
#include "bacnet/asn_tag.h"
#include "bacnet/bacnet_enums.h"
#include "runtime/ipc/ipc_status.h"

namespace {

constexpr uint32_t kInternalCodes = 83;

// Internal code -> public code, ten to a row.
constexpr std::array<VelmoraStatus, kInternalCodes> kPublic = {
    0,  5,  16, 33, 32, 1,  1,  49, 51, 2,   // 0-9
    18, 6,  19, 52, 67, 23, 53, 36, 33, 54,  // 10-19
    10, 4,  11, 21, 22, 22, 16, 14, 13, 12,  // 20-29
    4,  4,  54, 33, 24, 25, 18, 18, 18, 33,  // 30-39
    33, 29, 30, 31, 28, 37, 38, 8,  9,  54,  // 40-49
    50, 20, 54, 16, 1,  15, 26, 27, 64, 65,  // 50-59
    66, 56, 48, 1,  56, 67, 48, 1,  1,  56,  // 60-69
    35, 48, 48, 68, 55, 3,  1,  85, 73, 83,  // 70-79
    84, 86, 87,                              // 80-82
};

struct PairRow {
  uint32_t internal;
  ServerResult result;
};

// The internal codes with a BACnet outcome; 0 and 25 hold 0, every other
// code has no equivalent.
constexpr PairRow kPairRows[] = {
    {0, 0},
    {4, ApilErrorResult(BACNET_ERROR_CLASS_RESOURCES, BACNET_ERROR_CODE_OTHER)},
    {13, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_INVALID_DATA_TYPE)},
    {14, ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_MISSING_PARAMETER)},
    {15,
     ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_CHARACTER_SET_NOT_SUPPORTED)},
    {16, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_VALUE_OUT_OF_RANGE)},
    {17, ApilRejectResult(BACNET_REJECT_BUFFER_OVERFLOW)},
    {20, ApilErrorResult(BACNET_ERROR_CLASS_OBJECT, BACNET_ERROR_CODE_UNKNOWN_OBJECT)},
    {21, ApilErrorResult(BACNET_ERROR_CLASS_OBJECT, BACNET_ERROR_CODE_UNSUPPORTED_OBJECT_TYPE)},
    {22, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_UNKNOWN_PROPERTY)},
    {23, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_NOT_COV_PROPERTY)},
    {24, ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_COV_SUBSCRIPTION_FAILED)},
    {25, 0},
    {26, ApilRejectResult(BACNET_REJECT_PARAMETER_OUT_OF_RANGE)},
    {27, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_INVALID_ARRAY_INDEX)},
    {28, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_PROPERTY_IS_NOT_AN_ARRAY)},
    {29, ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_PROPERTY_IS_NOT_A_LIST)},
    {30, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_WRITE_ACCESS_DENIED)},
    {31, ApilErrorResult(BACNET_ERROR_CLASS_PROPERTY, BACNET_ERROR_CODE_READ_ACCESS_DENIED)},
    {32,
     ApilErrorResult(BACNET_ERROR_CLASS_RESOURCES, BACNET_ERROR_CODE_NO_SPACE_TO_WRITE_PROPERTY)},
    {33, ApilErrorResult(BACNET_ERROR_CLASS_RESOURCES, BACNET_ERROR_CODE_NO_SPACE_FOR_ELEMENT)},
    {34, ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_DUPLICATE_OBJECT_ID)},
    {35, ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_DUPLICATE_NAME)},
    {38, ApilErrorResult(BACNET_ERROR_CLASS_OBJECT, BACNET_ERROR_CODE_OBJECT_ID_ALREADY_EXISTS)},
    {40, ApilErrorResult(BACNET_ERROR_CLASS_RESOURCES, BACNET_ERROR_CODE_NO_SPACE_FOR_OBJECT)},
};

constexpr auto kErrorPair = [] {
  std::array<ServerResult, kInternalCodes> table{};
  for (auto& entry : table)
    entry = APIL_RESULT_NO_EQUIVALENT;
  for (const PairRow& row : kPairRows)
    table[row.internal] = row.result;
  return table;
}();

// Status data is the daemon's, not all of it checked: every read here stays
// inside it. One primitive element as unsigned, 0 when none lies wholly in
// the rest of the data (which then counts as used up).
uint32_t TakeUnsigned(AsnCursor* c) {
  int32_t n = AsnTagSkipElement(c->current, c->end);
  if (n <= 0 || AsnIsOpeningTag(*c->current)) {
    c->current = c->end;
    return 0;
  }
  uint32_t value = AsnDecodeUnsignedAt(c->current, nullptr);
  c->current += n;
  return value;
}

AsnCursor Over(std::span<const uint8_t> data, size_t skip) {
  AsnCursor c = AsnCursorOverConst(data.data(), uint32_t(data.size()));
  c.current += std::min(skip, data.size());
  return c;
}

// A BACnet Error's pair at the cursor into the record.
void StoreErrorPair(AsnCursor* c, VelmoraFailure* failure) {
  uint32_t errorClass = TakeUnsigned(c);
  uint32_t errorCode = TakeUnsigned(c);
  VelmoraFailureInitError(failure, errorClass, errorCode);
}

// The public code; with a record, a Reject's or Abort's kind and reason.
VelmoraStatus MapWithReason(uint32_t status, std::span<const uint8_t> data,
                            VelmoraFailure* failure) {
  VelmoraStatus code = ApilMapStatus(status);
  uint32_t reason = data.empty() ? 0 : data[0];
  if (code == VELMORA_STATUS_BACNET_REJECT) VelmoraFailureInitReject(failure, reason);
  if (code == VELMORA_STATUS_BACNET_ABORT) VelmoraFailureInitAbort(failure, reason);
  return code;
}

uint32_t EncodePair(uint32_t errorClass, uint32_t errorCode, std::span<uint8_t> out) {
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  const VelmoraError pair = {errorClass, errorCode};
  if (AsnEncodeErrorPair(&pair, &c) != ASN_OK) return 0;
  return uint32_t(c.current - out.data());
}

}  // namespace

VelmoraStatus ApilMapStatus(uint32_t internal) {
  return internal < kPublic.size() ? kPublic[internal] : VELMORA_STATUS_UNKNOWN_ERROR;
}

VelmoraStatus AsnDecodeFailureDetail(uint32_t status, std::span<const uint8_t> data,
                                     VelmoraFailure* failure) {
  VelmoraStatus code = MapWithReason(status, data, failure);
  if (code == VELMORA_STATUS_BACNET_ERROR && failure) {
    AsnCursor c = Over(data, 0);
    StoreErrorPair(&c, failure);
  }
  return code;
}

VelmoraStatus ApilFailureDetailElementNumber(uint32_t status, std::span<const uint8_t> data,
                                             VelmoraFailure* failure, uint32_t* element) {
  VelmoraStatus code = MapWithReason(status, data, failure);
  if (code != VELMORA_STATUS_BACNET_ERROR) return code;
  if (failure) {
    // Behind the opening tag of the error element.
    AsnCursor c = Over(data, status == IPC_STATUS_BACNET_ERROR ? 1 : 0);
    StoreErrorPair(&c, failure);
  }
  if (element) {
    int32_t n = AsnTagSkipElement(data.data(), data.data() + data.size());
    AsnCursor c = Over(data, n > 0 ? size_t(n) : data.size());
    *element = TakeUnsigned(&c);
  }
  return code;
}

VelmoraStatus ApilFailureDetailObjPropRef(uint32_t status, std::span<const uint8_t> data,
                                          VelmoraFailure* failure, VelmoraObjPropRef* ref) {
  VelmoraStatus code = MapWithReason(status, data, failure);
  if (code != VELMORA_STATUS_BACNET_ERROR) return code;
  VelmoraFailure local;
  AsnCursor c = Over(data, 1);
  StoreErrorPair(&c, failure ? failure : &local);
  // The closing tag of the error, the opening tag of the reference; the
  // syntax checker accepted what follows.
  if (ref && AsnCursorRoom(&c) > 2) {
    c.current += 2;
    AsnDecodeObjPropRef(&c, ref);
  }
  return code;
}

VelmoraStatus ApilFailureDetailPrivateTransfer(uint32_t status, std::span<const uint8_t> data,
                                               VelmoraFailure* failure,
                                               VelmoraPrivateTransfer* transfer, bool clear) {
  if (clear && transfer) {
    transfer->parameters = nullptr;
    transfer->buffer_size = 0;
  }
  VelmoraStatus code = MapWithReason(status, data, failure);
  if (code != VELMORA_STATUS_BACNET_ERROR) return code;
  VelmoraFailure local;
  VelmoraFailure* f = failure ? failure : &local;
  f->kind = VELMORA_FAILURE_ERROR;
  int32_t decoded = AsnDecodePrivateTransferError(data.data(), uint32_t(data.size()), &f->reason,
                                                  &f->error_code, transfer, nullptr);
  return decoded != ASN_OK ? ApilMapStatus(uint32_t(decoded)) : code;
}

VelmoraStatus ApilFailureDetailChangeList(uint32_t status, std::span<const uint8_t> data,
                                          VelmoraFailure* failure, uint32_t* element) {
  VelmoraStatus code = MapWithReason(status, data, failure);
  if (code != VELMORA_STATUS_BACNET_ERROR || data.empty()) return code;
  // The longest ChangeList-Error: the error element and a 5-octet number.
  constexpr size_t kWindow = 13;
  AsnCursor c = AsnCursorOverConst(data.data(), uint32_t(std::min(data.size(), kWindow)));
  VelmoraError pair;
  AsnDecodeChangeListError(&c, &pair, element);
  VelmoraFailureInitError(failure, pair.error_class, pair.error_code);
  return code;
}

ServerResult ApilErrorPairOf(uint32_t status) {
  if (status >= APIL_RESULT_MIN) return status;
  return status < kErrorPair.size() ? kErrorPair[status] : APIL_RESULT_NO_EQUIVALENT;
}

ServerResult ApilServerResultOf(uint32_t status) {
  if (status >= APIL_RESULT_MIN) return status;
  if (status == 0) return APIL_RESULT_ACK;
  ServerResult r = ApilErrorPairOf(status);
  return r >= APIL_RESULT_MIN
             ? r
             : ApilErrorResult(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_OTHER);
}

uint32_t ApilStatusResponseKind(uint32_t status, uint32_t* errorClass, uint32_t* errorCode) {
  switch (status) {
    case 0:
      return 0;
    case IPC_STATUS_INVALID_PARAMETER:
    case ASN_NO_CODEC:
    case ASN_BAD_BUFFER:
    case APIL_MISALIGNED_POINTER:
    case ASN_UNKNOWN_CHOICE:
      return 1;
    case ASN_TOO_DEEP:
      if (errorClass) *errorClass = BACNET_ERROR_CLASS_RESOURCES;
      if (errorCode) *errorCode = BACNET_ERROR_CODE_OTHER;
      return 4;
    case IPC_STATUS_TIMED_OUT:
      return 3;
    default:
      break;
  }
  ServerResult r = ApilErrorPairOf(status);
  if (!ApilIsErrorResult(r)) return 5;
  if (errorClass) *errorClass = ApilResultClass(r);
  if (errorCode) *errorCode = ApilResultCode(r);
  return 4;
}

uint32_t ApilEncodeErrorPair(uint32_t errorClass, uint32_t errorCode, std::span<uint8_t> out) {
  return EncodePair(errorClass, errorCode, out);
}

uint32_t ApilEncodeStatusError(uint32_t status, std::span<uint8_t> out) {
  ServerResult r = ApilErrorPairOf(status);
  if (!ApilIsErrorResult(r))
    return EncodePair(BACNET_ERROR_CLASS_SERVICES, BACNET_ERROR_CODE_OTHER, out);
  return EncodePair(ApilResultClass(r), ApilResultCode(r), out);
}

uint32_t ApilAbortToErrorCode(uint32_t reason) {
  if (reason >= 64) return 55;                           // abort-proprietary
  return reason >= 1 && reason <= 4 ? 50 + reason : 56;  // abort-other
}

uint32_t ApilRejectToErrorCode(uint32_t reason) {
  if (reason >= 64) return 68;                           // reject-proprietary
  return reason >= 1 && reason <= 9 ? 58 + reason : 69;  // reject-other
}

uint32_t ApilEncodeAbortError(uint32_t reason, std::span<uint8_t> out) {
  return EncodePair(BACNET_ERROR_CLASS_COMMUNICATION, ApilAbortToErrorCode(reason), out);
}

uint32_t ApilEncodeRejectError(uint32_t reason, std::span<uint8_t> out) {
  return EncodePair(BACNET_ERROR_CLASS_COMMUNICATION, ApilRejectToErrorCode(reason), out);
}

uint32_t ApilSegmentationFromFlags(uint8_t flags) { return 3u - (flags >> 6); }
