// Status mapping at the interface: the runtime's internal status codes (0
// to 82) become public VelmoraStatus codes, a failed confirmed request
// yields the detail of its BACnet Error, Reject or Abort, and the outcome of
// a served confirmed request is a ServerResult with its BACnet encodings.
#pragma once

#include <cstdint>
#include <span>

#include "bacnet/asn_service.h"
#include "bacnet/records.h"
#include "bacnet/records_refs.h"
#include "runtime/apil/velmora_status.h"

// Outcome of a served confirmed request. Values of APIL_RESULT_MIN and above
// are results and pass the routines below unchanged; smaller values are
// internal status codes.
using ServerResult = uint32_t;
inline constexpr ServerResult APIL_RESULT_MIN = 0x20000000;
inline constexpr ServerResult APIL_RESULT_ACK = 0x0E02;
// What the error-pair table holds for a code without a BACnet equivalent.
inline constexpr ServerResult APIL_RESULT_NO_EQUIVALENT = 1;

constexpr ServerResult ApilErrorResult(uint32_t errorClass, uint32_t errorCode) {
  return 0x80000000u | (errorClass & 0x7FFF) << 16 | (errorCode & 0xFFFF);
}
constexpr ServerResult ApilRejectResult(uint32_t reason) { return 0x60000000u | (reason & 0xFF); }
constexpr ServerResult ApilAbortResult(uint32_t reason) { return 0x40000000u | (reason & 0xFF); }
constexpr bool ApilIsErrorResult(ServerResult r) { return (r & 0x80000000u) != 0; }
constexpr bool ApilIsRejectResult(ServerResult r) { return r >> 29 == 3; }
constexpr bool ApilIsAbortResult(ServerResult r) { return r >> 29 == 2; }
constexpr uint32_t ApilResultClass(ServerResult r) { return r >> 16 & 0x7FFF; }
constexpr uint32_t ApilResultCode(ServerResult r) { return r & 0xFFFF; }
constexpr uint32_t ApilResultReason(ServerResult r) { return r & 0xFF; }

// Internal codes that arise at the interface: an answer the service of a
// request does not have, and an application pointer not aligned for its
// record.
inline constexpr uint32_t APIL_ILLEGAL_RESPONSE = 50;
inline constexpr uint32_t APIL_MISALIGNED_POINTER = 51;

// Any code outside the table maps to VELMORA_STATUS_UNKNOWN_ERROR.
VelmoraStatus ApilMapStatus(uint32_t internal);

// The public code of a failed request's internal status; with a record, a
// BACnet Error's class and code, or a Reject's or Abort's reason (the first
// octet of the status data, 0 when there is none). Status data is the body
// of the daemon's failure report. Status 0 touches nothing.
VelmoraStatus AsnDecodeFailureDetail(uint32_t status, std::span<const uint8_t> data,
                                     VelmoraFailure* failure);
// Errors that carry more than the pair: a first failed element number
// behind the error element, an object-property reference, a private
// transfer (clear: forget the record's parameter buffer first), a
// ChangeList-Error's element number. Each output may be null.
VelmoraStatus ApilFailureDetailElementNumber(uint32_t status, std::span<const uint8_t> data,
                                             VelmoraFailure* failure, uint32_t* element);
VelmoraStatus ApilFailureDetailObjPropRef(uint32_t status, std::span<const uint8_t> data,
                                          VelmoraFailure* failure, VelmoraObjPropRef* ref);
VelmoraStatus ApilFailureDetailPrivateTransfer(uint32_t status, std::span<const uint8_t> data,
                                               VelmoraFailure* failure,
                                               VelmoraPrivateTransfer* transfer, bool clear);
VelmoraStatus ApilFailureDetailChangeList(uint32_t status, std::span<const uint8_t> data,
                                          VelmoraFailure* failure, uint32_t* element);

// The error-pair table's entry (APIL_RESULT_NO_EQUIVALENT outside it).
ServerResult ApilErrorPairOf(uint32_t status);
// Always a result: an acknowledgement for 0, else the table's BACnet
// outcome or Error services/other.
ServerResult ApilServerResultOf(uint32_t status);
// Response kind 0, 1, 3, 4 (a BACnet Error, class and code written where
// given) or 5.
uint32_t ApilStatusResponseKind(uint32_t status, uint32_t* errorClass, uint32_t* errorCode);

// BACnet Error bodies: two application Enumerated octet runs. Each answers
// the octets written, 0 when they do not fit (or a value is above 0xFFFF).
uint32_t ApilEncodeErrorPair(uint32_t errorClass, uint32_t errorCode, std::span<uint8_t> out);
// The status's Error pair, or services/other when it has none.
uint32_t ApilEncodeStatusError(uint32_t status, std::span<uint8_t> out);
// Reasons as error codes of class communication.
uint32_t ApilAbortToErrorCode(uint32_t reason);
uint32_t ApilRejectToErrorCode(uint32_t reason);
uint32_t ApilEncodeAbortError(uint32_t reason, std::span<uint8_t> out);
uint32_t ApilEncodeRejectError(uint32_t reason, std::span<uint8_t> out);

// BACnetSegmentation from the two top bits of a flag byte (7 transmit,
// 6 receive).
uint32_t ApilSegmentationFromFlags(uint8_t flags);
