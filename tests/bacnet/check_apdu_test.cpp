// Syntax check of whole service parameters by PDU kind, against encodings
// written out by hand from the BACnet encoding rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bacnet/asn_check.h"
#include "bacnet/asn_status.h"
#include "tests/bacnet/support/hex.h"

namespace {

enum class Pdu {
  Confirmed,
  Unconfirmed,
  ComplexAck,
  Error
};

uint32_t Check(Pdu pdu, uint32_t service, const std::vector<uint8_t>& octets) {
  const auto n = static_cast<uint32_t>(octets.size());
  switch (pdu) {
    case Pdu::Confirmed:
      return AsnCheckConfirmedRequest(service, octets.data(), n);
    case Pdu::Unconfirmed:
      return AsnCheckUnconfirmedRequest(service, octets.data(), n) ? 1 : 0;
    case Pdu::ComplexAck:
      return AsnCheckComplexAck(service, octets.data(), n);
    case Pdu::Error:
      return AsnCheckErrorPdu(service, octets.data(), n) ? 1 : 0;
  }
  return 0xFFFFFFFF;
}

struct Case {
  const char* name;
  Pdu pdu;
  uint32_t service;
  std::string octets;
  uint32_t expected;  // server result, complex-ACK result, or 1/0 for accepted/refused
};

// ReadProperty of device 123, object-name.
const std::string kReadProperty = "0C 02 00 00 7B 19 4D";
// WriteProperty of analog-input 1, present-value, with the value wrapped in
// `depth` nested constructed levels.
std::string WriteNested(int depth) {
  return "0C 00 00 00 01 19 55 3E " + Repeat("0E ", depth) + "44 3F 80 00 00 " +
         Repeat("0F ", depth) + "3F";
}
std::string ReadAckNested(int depth) {
  return "0C 00 00 00 01 19 55 3E " + Repeat("2E ", depth) + "21 01 " + Repeat("2F ", depth) + "3F";
}
// ConfirmedEventNotification up to and including eventType.
std::string EventHead(const std::string& eventType) {
  return "09 01 1C 02 00 00 01 2C 00 00 00 01 3E 19 05 3F 49 01 59 64 69 " + eventType + " ";
}
const std::string kEventHead = EventHead("00");  // change-of-bitstring
std::string EventValues(const std::string& bits) { return "CE 0E " + bits + " 1A 04 00 0F CF"; }
// An extended notification (event type 9) of vendor 5, type 1: a REAL, then
// the given parameter, alarm with all its optional elements.
std::string ExtendedNotification(const std::string& parameter) {
  return EventHead("09") + "89 00 99 00 A9 00 B9 03 CE 9E 09 05 19 01 2E 44 3F 80 00 00 " +
         parameter + " 2F 9F CF";
}
// [0] BACnetDeviceObjectPropertyValue: device 1, analog-input 1,
// present-value, the value 42.0.
const std::string kPropertyValueParameter =
    "0E 0C 02 00 00 01 1C 00 00 00 01 29 55 4E 44 42 28 00 00 4F 0F";
// [0] BACnetDeviceObjectPropertyReference: analog-input 1, present-value.
const std::string kReferenceParameter = "0E 0C 00 00 00 01 19 55 0F";
const std::string kOneBit = "0A 07 80";
const std::string kFile = "C4 02 80 00 01 ";

const Case kCases[] = {
    // ReadProperty
    {"ReadPropertyAccepted", Pdu::Confirmed, 12, kReadProperty, 0},
    {"ReadPropertyWithIndex", Pdu::Confirmed, 12, kReadProperty + " 29 03", 0},
    {"ExtraOctet", Pdu::Confirmed, 12, kReadProperty + " 00", 0x60000007},
    {"MissingPropertyIdentifier", Pdu::Confirmed, 12, "0C 02 00 00 7B", 0x60000005},
    {"MissingObjectIdentifier", Pdu::Confirmed, 12, "19 4D", 0x60000005},
    {"LongerLengthFormThanNeeded", Pdu::Confirmed, 12, "0C 02 00 00 7B 1D 04 00 00 00 4D",
     0x60000004},
    {"ObjectIdentifierTruncated", Pdu::Confirmed, 12, "0C 02 00 00", 0x60000004},
    {"ObjectIdentifierShort", Pdu::Confirmed, 12, "0B 02 00 00 19 4D", 0x60000004},
    {"PropertyAtEnumerationBound", Pdu::Confirmed, 12, "0C 02 00 00 7B 1B 40 00 00", 0x60000008},
    {"PropertyBelowEnumerationBound", Pdu::Confirmed, 12, "0C 02 00 00 7B 1B 3F FF FF", 0},
    {"PropertyFiveOctets", Pdu::Confirmed, 12, "0C 02 00 00 7B 1D 05 00 00 00 00 4D", 0x60000006},
    {"ExtendedTagNumberBelow15", Pdu::Confirmed, 12, "0C 02 00 00 7B F9 0E 4D", 0x60000004},
    {"ApplicationTagInPlaceOfContext", Pdu::Confirmed, 12, "C4 02 00 00 7B 19 4D", 0x60000005},
    // Unknown services and services without parameters
    {"ServiceVtOpen", Pdu::Confirmed, 21, kReadProperty, 0x60000009},
    {"ServiceRequestKey", Pdu::Confirmed, 25, "", 0x60000009},
    {"Service30", Pdu::Confirmed, 30, "", 0x60000009},
    {"ServiceOutsideOctet", Pdu::Confirmed, 256 + 12, kReadProperty, 0x60000009},
    {"GetAlarmSummaryEmpty", Pdu::Confirmed, 3, "", 0},
    {"GetAlarmSummaryWithOctet", Pdu::Confirmed, 3, "09 01", 0x60000007},
    // Nesting inside an any-value field
    {"Nesting32Accepted", Pdu::Confirmed, 15, WriteNested(32), 0},
    {"Nesting33Refused", Pdu::Confirmed, 15, WriteNested(33), 0x60000001},
    {"WritePriority16", Pdu::Confirmed, 15, WriteNested(0) + " 49 10", 0},
    {"WritePriority17", Pdu::Confirmed, 15, WriteNested(0) + " 49 11", 0x60000006},
    {"WritePriority0", Pdu::Confirmed, 15, WriteNested(0) + " 49 00", 0x60000006},
    {"AnyValueUnclosed", Pdu::Confirmed, 15, "0C 00 00 00 01 19 55 3E 44 3F 80 00 00", 0x60000005},
    {"AnyValueClosingMismatch", Pdu::Confirmed, 15, "0C 00 00 00 01 19 55 3E 0E 1F 3F", 0x60000004},
    // Character strings
    {"ReinitializeCharacterSet6", Pdu::Confirmed, 20, "09 00 1A 06 41", 0x80050029},
    {"ReinitializePasswordAnsi", Pdu::Confirmed, 20, "09 01 1C 00 41 42 43", 0},
    {"ReinitializePasswordWithZero", Pdu::Confirmed, 20, "09 01 1C 00 41 00 43", 0x60000006},
    {"ReinitializeStateAtBound", Pdu::Confirmed, 20, "09 07", 0x60000008},
    {"CommunicationControlPassword160", Pdu::Confirmed, 17, "19 01 2D A1 00 " + Repeat("61 ", 160),
     0},
    {"CommunicationControlPassword161", Pdu::Confirmed, 17, "19 01 2D A2 00 " + Repeat("61 ", 161),
     0x60000006},
    {"AcknowledgeSourceSet6", Pdu::Confirmed, 0,
     "09 01 1C 00 00 00 01 29 03 3E 19 01 3F 4A 06 41 5E 19 02 5F", 0x80050029},
    {"TimeStampOfNoKnownKind", Pdu::Confirmed, 0,
     "09 01 1C 00 00 00 01 29 03 3E 49 01 3F 4A 00 41 5E 19 02 5F", 0x60000003},
    {"AcknowledgeAlarmAccepted", Pdu::Confirmed, 0,
     "09 01 1C 00 00 00 01 29 03 3E 19 01 3F 4A 00 41 5E 19 02 5F", 0},
    // Event notification: bit strings and the notify-type selector
    {"EventNotificationAlarm", Pdu::Confirmed, 2,
     kEventHead + "89 00 99 00 A9 00 B9 03 " + EventValues(kOneBit), 0},
    {"BitString80Bits", Pdu::Confirmed, 2,
     kEventHead + "89 00 99 00 A9 00 B9 03 " + EventValues("0D 0B 00 " + Repeat("FF ", 10)), 0},
    {"BitString88Bits", Pdu::Confirmed, 2,
     kEventHead + "89 00 99 00 A9 00 B9 03 " + EventValues("0D 0C 00 " + Repeat("FF ", 11)),
     0x60000006},
    {"StatusFlagsOfThreeBits", Pdu::Confirmed, 2,
     kEventHead + "89 00 99 00 A9 00 B9 03 CE 0E 0A 07 80 1A 05 00 0F CF", 0x60000004},
    {"AckNotificationOmitsOptional", Pdu::Confirmed, 2, kEventHead + "89 02 B9 03", 0},
    {"AckNotificationNeedsToState", Pdu::Confirmed, 2, kEventHead + "89 02", 0x60000005},
    {"AlarmNeedsAckRequired", Pdu::Confirmed, 2,
     kEventHead + "89 00 A9 00 B9 03 " + EventValues(kOneBit), 0x60000005},
    {"AlarmNeedsEventValues", Pdu::Confirmed, 2, kEventHead + "89 00 99 00 A9 00 B9 03",
     0x60000005},
    {"NotifyTypeAtBound", Pdu::Confirmed, 2, kEventHead + "89 03 B9 03", 0x60000008},
    {"ContextBooleanTwo", Pdu::Confirmed, 2,
     kEventHead + "89 00 99 02 A9 00 B9 03 " + EventValues(kOneBit), 0x60000006},
    // Extended notifications carry property values, not references
    {"ExtendedNotificationPropertyValue", Pdu::Confirmed, 2,
     ExtendedNotification(kPropertyValueParameter), 0},
    {"ExtendedNotificationPropertyValueWithIndex", Pdu::Confirmed, 2,
     ExtendedNotification("0E 0C 02 00 00 01 1C 00 00 00 01 29 57 39 02 4E 00 4F 0F"), 0},
    {"ExtendedNotificationReference", Pdu::Confirmed, 2, ExtendedNotification(kReferenceParameter),
     0x60000004},
    {"ExtendedNotificationValueOfNoDevice", Pdu::Confirmed, 2,
     ExtendedNotification("0E 0C 00 00 00 01 1C 00 00 00 01 29 55 4E 44 42 28 00 00 4F 0F"),
     0x60000004},
    {"NotInitiatedByDevice", Pdu::Confirmed, 2,
     "09 01 1C 00 00 00 01 2C 00 00 00 01 3E 19 05 3F 49 01 59 64 69 00 89 02 B9 03", 0x80050007},
    // Lists that must not be empty, and counts that must agree
    {"ReadMultipleAccepted", Pdu::Confirmed, 14, "0C 00 00 00 01 1E 09 55 09 4D 1F", 0},
    {"ReadMultipleNoSpecification", Pdu::Confirmed, 14, "", 0x60000005},
    {"ReadMultipleNoProperty", Pdu::Confirmed, 14, "0C 00 00 00 01 1E 1F", 0x60000005},
    {"WriteMultipleNoValue", Pdu::Confirmed, 16, "0C 00 00 00 01 1E 1F", 0x60000005},
    {"WriteFileRecordsAgree", Pdu::Confirmed, 7, kFile + "1E 31 00 21 02 61 41 61 42 1F", 0},
    {"WriteFileNoRecords", Pdu::Confirmed, 7, kFile + "1E 31 00 21 00 1F", 0},
    {"WriteFileFewerRecords", Pdu::Confirmed, 7, kFile + "1E 31 00 21 02 61 41 1F", 0x80050007},
    {"WriteFileRecordsMissing", Pdu::Confirmed, 7, kFile + "1E 31 00 21 01 1F", 0x80050007},
    {"WriteFileCountAllOnes", Pdu::Confirmed, 7, kFile + "1E 31 00 24 FF FF FF FF 1F", 0x60000006},
    {"WriteFileCountBeyondAnyList", Pdu::Confirmed, 7, kFile + "1E 31 00 24 80 00 00 00 61 41 1F",
     0x80050007},
    {"WriteFileCountAllOnesButOne", Pdu::Confirmed, 7, kFile + "1E 31 00 24 FF FF FF FE 1F",
     0x80050007},
    {"WriteFileStream", Pdu::Confirmed, 7, kFile + "0E 31 00 62 41 42 0F", 0},
    {"SubscribeCovBooleanTwo", Pdu::Confirmed, 5, "09 12 1C 00 00 00 0A 29 02 39 0F", 0x60000006},
    {"SubscribeCovAccepted", Pdu::Confirmed, 5, "09 12 1C 00 00 00 0A 29 01 39 0F", 0},
    {"ReadRangeByPosition", Pdu::Confirmed, 26, "0C 05 00 00 01 19 83 3E 21 01 31 0A 3F", 0},

    // Unconfirmed requests
    {"WhoIsEmpty", Pdu::Unconfirmed, 8, "", 1},
    {"WhoIsRange", Pdu::Unconfirmed, 8, "09 00 1B 3F FF FF", 1},
    {"WhoIsInstanceTooLarge", Pdu::Unconfirmed, 8, "09 00 1B 40 00 00", 0},
    {"WhoIsExtraOctet", Pdu::Unconfirmed, 8, "09 00 19 0A 00", 0},
    {"IAm", Pdu::Unconfirmed, 0, "C4 02 00 00 01 22 05 C4 91 03 21 0F", 1},
    {"IAmNotDevice", Pdu::Unconfirmed, 0, "C4 00 00 00 01 22 05 C4 91 03 21 0F", 0},
    {"IAmSegmentationAtBound", Pdu::Unconfirmed, 0, "C4 02 00 00 01 22 05 C4 91 04 21 0F", 0},
    {"WhoHasName", Pdu::Unconfirmed, 7, "3B 00 41 42", 1},
    {"WhoHasLimitsAndObject", Pdu::Unconfirmed, 7, "09 00 19 0A 2C 00 00 00 05", 1},
    {"WhoHasNoObject", Pdu::Unconfirmed, 7, "09 00 19 0A", 0},
    {"TimeSynchronization", Pdu::Unconfirmed, 6, "A4 7A 0C 0A 04 B4 0C 00 00 00", 1},
    {"UtcTimeSynchronization", Pdu::Unconfirmed, 9, "A4 7A 0C 0A 04 B4 0C 00 00 00", 1},
    {"UnconfirmedService10", Pdu::Unconfirmed, 10, "", 0},
    {"UnconfirmedExtendedNotification", Pdu::Unconfirmed, 3,
     ExtendedNotification(kPropertyValueParameter), 1},
    {"UnconfirmedExtendedNotificationReference", Pdu::Unconfirmed, 3,
     ExtendedNotification(kReferenceParameter), 0},
    {"UnconfirmedCovSharesRoot", Pdu::Unconfirmed, 2,
     "09 00 1C 02 00 00 01 2C 00 00 00 01 39 00 4E 09 55 2E 44 00 00 00 00 2F 4F", 1},

    // Complex ACKs
    {"ReadPropertyAck", Pdu::ComplexAck, 12, "0C 02 00 00 7B 19 4D 3E 74 00 41 42 43 3F", 0},
    {"ReadPropertyAckNesting32", Pdu::ComplexAck, 12, ReadAckNested(32), 0},
    {"ReadPropertyAckNesting33", Pdu::ComplexAck, 12, ReadAckNested(33), ASN_TOO_DEEP},
    {"ReadPropertyAckUnclosed", Pdu::ComplexAck, 12, "0C 02 00 00 7B 19 4D 3E 21 01", ASN_BAD_PDU},
    {"ReadPropertyAckExtraOctet", Pdu::ComplexAck, 12, "0C 02 00 00 7B 19 4D 3E 21 01 3F 00",
     ASN_BAD_PDU},
    {"SubscribeCovAckEmpty", Pdu::ComplexAck, 5, "", 0},
    {"SubscribeCovAckWithOctet", Pdu::ComplexAck, 5, "00", ASN_BAD_PDU},
    {"ReadMultipleAck", Pdu::ComplexAck, 14,
     "0C 00 00 00 01 1E 29 55 4E 44 42 28 00 00 4F 29 4D 5E 91 02 91 20 5F 1F", 0},
    {"ReadMultipleAckEmpty", Pdu::ComplexAck, 14, "", ASN_BAD_PDU},
    {"ReadFileAckRecords", Pdu::ComplexAck, 6, "11 1E 31 00 21 01 62 41 42 1F", 0},
    {"ReadFileAckBooleanTwo", Pdu::ComplexAck, 6, "12 1E 31 00 21 01 62 41 42 1F", ASN_BAD_PDU},
    {"CreateObjectAck", Pdu::ComplexAck, 10, "C4 00 00 00 07", 0},
    {"GetAlarmSummaryAck", Pdu::ComplexAck, 3,
     "C4 00 00 00 01 91 01 82 05 E0 C4 00 00 00 02 91 00 82 05 E0", 0},
    {"GetAlarmSummaryAckNothingInAlarm", Pdu::ComplexAck, 3, "", 0},
    {"GetEnrollmentSummaryAck", Pdu::ComplexAck, 4,
     "C4 00 00 00 01 91 00 91 00 21 01 C4 00 00 00 02 91 02 91 03 21 FF 22 01 00", 0},
    {"GetEnrollmentSummaryAckNothingEnrolled", Pdu::ComplexAck, 4, "", 0},
    {"GetEnrollmentSummaryAckPriorityMissing", Pdu::ComplexAck, 4, "C4 00 00 00 01 91 00 91 00",
     65},
    {"GetEventInformationAck", Pdu::ComplexAck, 29,
     "0E 0C 00 00 00 01 19 03 2A 05 60 3E 0C 0A 00 00 00 19 00 19 00 3F 49 00 5A 05 E0 6E 21 01 21 "
     "02 21 03 6F 0F 19 00",
     0},

    // Error PDUs
    {"ReadPropertyError", Pdu::Error, 12, "91 02 91 20", 1},
    {"ErrorCodeMissing", Pdu::Error, 12, "91 02", 0},
    {"ErrorExtraOctet", Pdu::Error, 12, "91 02 91 20 00", 0},
    {"ErrorService127", Pdu::Error, 127, "91 02 91 20", 1},
    {"ErrorService22Unknown", Pdu::Error, 22, "91 02 91 20", 0},
    {"ErrorService30Unknown", Pdu::Error, 30, "91 02 91 20", 0},
    {"ChangeListError", Pdu::Error, 8, "0E 91 02 91 20 0F 19 01", 1},
    {"CreateObjectError", Pdu::Error, 10, "0E 91 02 91 20 0F 19 01", 1},
    {"WriteMultipleError", Pdu::Error, 16, "0E 91 02 91 25 0F 1E 0C 00 00 00 01 19 55 1F", 1},
    {"PrivateTransferError", Pdu::Error, 18, "0E 91 05 91 00 0F 19 07 29 01", 1},
    {"PrivateTransferErrorPlainPair", Pdu::Error, 18, "91 05 91 00", 0},
};

class CheckApdu : public testing::TestWithParam<Case> {};

TEST_P(CheckApdu, GivesExpectedResult) {
  const Case& c = GetParam();
  EXPECT_EQ(Check(c.pdu, c.service, Hex(c.octets)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CheckApdu, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// Every proper prefix and every one-octet change of every vector, each in an
// allocation of exactly its own length so that a read past the end is caught
// by the address sanitizer; and nothing is accepted from a null buffer.
TEST(CheckApduBounds, TruncatedAndAlteredInputsStayInside) {
  for (const Case& c : kCases) {
    const std::vector<uint8_t> whole = Hex(c.octets);
    for (size_t n = 0; n < whole.size(); ++n) {
      std::vector<uint8_t> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      Check(c.pdu, c.service, prefix);
    }
    for (size_t i = 0; i < whole.size(); ++i) {
      for (uint32_t v : {0x00u, 0x0Eu, 0x0Fu, 0x5Du, 0xF8u, 0xFEu, 0xFFu}) {
        std::vector<uint8_t> altered = whole;
        altered[i] = static_cast<uint8_t>(v);
        Check(c.pdu, c.service, altered);
      }
    }
  }
  EXPECT_EQ(AsnCheckConfirmedRequest(12, nullptr, 7), 0x60000004u);
  EXPECT_FALSE(AsnCheckUnconfirmedRequest(8, nullptr, 3));
}

}  // namespace

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The fuzz seeds must stay valid APDUs, or the fuzzer starts from noise;
// inputs kept as regressions ("regression-*") need only not crash.
TEST(CheckApduCorpus, SeedsAreAccepted) {
  size_t seeds = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(VELMORA_SOURCE_DIR "/fuzz/corpus/apdu")) {
    const std::string name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> octets((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
    if (name.rfind("regression-", 0) == 0) continue;
    ASSERT_GE(octets.size(), 2u) << name;
    const std::vector<uint8_t> params(octets.begin() + 2, octets.end());
    const auto n = static_cast<uint32_t>(params.size());
    bool ok = false;
    switch (octets[0]) {
      case 0:
        ok = AsnCheckConfirmedRequest(octets[1], params.data(), n) == 0;
        break;
      case 1:
        ok = AsnCheckUnconfirmedRequest(octets[1], params.data(), n);
        break;
      case 2:
        ok = AsnCheckComplexAck(octets[1], params.data(), n) == 0;
        break;
      case 3:
        ok = AsnCheckErrorPdu(octets[1], params.data(), n);
        break;
      default: {
        AsnCheckReader reader;
        AsnCheckReaderInit(&reader, params.data(), n);
        const uint32_t r = octets[0] == 4 ? AsnCheckElement(&reader, octets[1])
                                          : AsnCheckSequenceOf(&reader, octets[1]);
        ok = r == AsnCheckOk && reader.remaining == 0;
      }
    }
    EXPECT_TRUE(ok) << name;
    ++seeds;
  }
  EXPECT_GE(seeds, 20u);
}

}  // namespace
