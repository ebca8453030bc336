// Syntax check of received service parameters against AsnSchemaTable.
// This is the trust boundary of the codec: whatever the octets, the checker
// reads nothing outside the length it is given, and the decoders only ever
// see what it accepted.
#pragma once

#include <cstdint>

#include "bacnet/asn_schema.h"

// Internal check results.
enum AsnCheckResult : uint32_t {
  AsnCheckOk = 0,
  AsnCheckBadEncoding = 1,  // tag, length or form
  AsnCheckWrongTag = 2,     // not the tag the expected element has
  AsnCheckMissing = 3,      // a required element is absent
  AsnCheckUnknownService = 4,
  AsnCheckCharset = 5,  // character set not supported
  AsnCheckOutOfRange = 6,
  AsnCheckEnumeration = 7,   // enumeration value at or above its bound
  AsnCheckInconsistent = 8,  // counts disagree, or not a device
  AsnCheckTooDeep = 9,       // nesting beyond AsnCheckMaxDepth
  AsnCheckUnsupported = 10,
};

inline constexpr uint32_t AsnCheckMaxDepth = 32;

// The walk state; lives on the caller's stack for one check.
struct AsnCheckReader {
  int32_t expectedCount;  // count the next sequence-of must have; -1 none
  uint32_t conditions;    // bit 0 always; bit 1 while the last selector enumeration held 2
  uint8_t elementFlags;   // flags of the element being checked
  const uint8_t* cursor;
  uint32_t remaining;  // octets left from the cursor
  uint32_t depth;      // constructed levels entered, bounded like the any-value skip
};

void AsnCheckReaderInit(AsnCheckReader* reader, const uint8_t* data, uint32_t length);

// Entry points by PDU kind. Service choices outside 0-255 are unknown.
// Confirmed request: 0 when acceptable, else the server result to answer with
// (a Reject 0x6000000x, an Error 0x80cc00ee, or internal status 5).
uint32_t AsnCheckConfirmedRequest(uint32_t service, const uint8_t* data, uint32_t length);
// Unconfirmed request: true when acceptable with no octet left over.
bool AsnCheckUnconfirmedRequest(uint32_t service, const uint8_t* data, uint32_t length);
// Complex ACK: 0 acceptable, 17 nesting too deep, 65 any other failure.
uint32_t AsnCheckComplexAck(uint32_t service, const uint8_t* data, uint32_t length);
// Error PDU: true when acceptable with no octet left over.
bool AsnCheckErrorPdu(uint32_t service, const uint8_t* data, uint32_t length);

// Checks of one value at the reader, returning an AsnCheckResult.
// Array index -1: the whole array as a sequence-of; 0: its length (Unsigned).
uint32_t AsnCheckType(AsnCheckReader* reader, uint32_t row, int32_t arrayIndex);
uint32_t AsnCheckElement(AsnCheckReader* reader, uint32_t row);
uint32_t AsnCheckSequenceOf(AsnCheckReader* reader, uint32_t row);

// The root row of each PDU kind's service; 0 when the service is unknown
// (or, for a complex ACK, carries no parameters).
uint16_t AsnCheckConfirmedRoot(uint32_t service);
uint16_t AsnCheckUnconfirmedRoot(uint32_t service);
uint16_t AsnCheckComplexAckRoot(uint32_t service);
uint16_t AsnCheckErrorRoot(uint32_t service);

// Server result for a confirmed request's check result.
uint32_t AsnCheckServerResult(uint32_t checkResult);
