// Status and failure texts and the status printer, against the texts as the
// programs must print them (transcribed here independently of the tables).
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "text/status_text.h"

namespace {

struct Named {
  uint32_t value;
  const char* text;
};

const Named kStatusTexts[] = {
    {0, "OK"},
    {1, "Unknown error"},
    {2, "Service not found"},
    {3, "Not initialized"},
    {4, "Not supported"},
    {5, "Reject"},
    {6, "Device Communication Control disabled"},
    {7, "Service timeout"},
    {8, "Invalid device handle"},
    {9, "Invalid object handle"},
    {10, "Unknown object"},
    {11, "Unknown property"},
    {12, "Property is not a list"},
    {13, "Property is not an array"},
    {14, "Invalid array index"},
    {15, "Invalid property flag"},
    {16, "Invalid parameter"},
    {17, "Busy (Velmora Database is locked?)"},
    {18, "Already exists"},
    {19, "Bad configuration (APDU properties?)"},
    {20, "Pointer is not sufficiently aligned for this data type"},
    {21, "Property is not conveyed by COV notification"},
    {22, "COV Subscription failed for some reason"},
    {23, "Character set is not supported"},
    {24, "Duplicate object identifier"},
    {25, "Duplicate object name"},
    {26, "Duplicate property identifier"},
    {27, "Address is already in use"},
    {28, "Invalid buffer size"},
    {29, "Missing property"},
    {30, "Missing device object"},
    {31, "Duplicate device object"},
    {32, "Out of memory"},
    {33, "Out of resources"},
    {34, "Transmit buffer overflow"},
    {35, "Receive buffer overflow"},
    {36, "Stack overflow"},
    {37, "Invalid address"},
    {38, "Invalid database type info"},
    {48, "Timeout"},
    {49, "Request too long"},
    {50, "Illegal response"},
    {51, "Response too long"},
    {52, "Invalid data type"},
    {53, "Value out of range"},
    {54, "Value out of space"},
    {55, "Segmentation not supported"},
    {56, "Transaction aborted"},
    {64, "BACnet error"},
    {65, "BACnet reject"},
    {66, "BACnet abort"},
    {67, "Invalid packet"},
    {68, "Segmentation error"},
    {69, "Inconsistent tags"},
    {73, "Cannot bind to port"},
    {80, "Driver didn't find Packet Driver"},
    {81, "Driver doesn't support Packet Driver"},
    {82, "Driver can't initialize"},
    {83, "Driver can't send"},
    {84, "Destination network is unreachable"},
    {85, "Inconsistent Velmora versions"},
    {86, "Device unreachable"},
    {87, "Use a local DNET as remote"},
};
const Named kErrorClasses[] = {
    {0, "Device"},    {1, "Object"},        {2, "Property"},
    {3, "Resources"}, {4, "Security"},      {5, "Services"},
    {6, "VT"},        {7, "Communication"}, {8, "Unknown-error-class"},
};
const Named kAbortReasons[] = {
    {0, "Other"},
    {1, "Buffer overflow"},
    {2, "Invalid APDU in this state"},
    {3, "Preempted by higher priority task"},
    {4, "Segmentation not supported"},
    {5, "Unknown abort reason"},
};
const Named kRejectReasons[] = {
    {0, "Other"},
    {1, "Buffer overflow"},
    {2, "Inconsistent parameters"},
    {3, "Invalid parameter data type"},
    {4, "Invalid tag"},
    {5, "Missing required parameter"},
    {6, "Parameter out of range"},
    {7, "Too many arguments"},
    {8, "Undefined enumeration"},
    {9, "Unrecognized service"},
    {10, "Unknown reject reason"},
};
const Named kErrorCodes[] = {
    {0, "Other"},
    {1, "Authentication-failed"},
    {2, "Configuration-in-progress"},
    {3, "Device-busy"},
    {4, "Dynamic-creation-not-supported"},
    {5, "File-access-denied"},
    {6, "Wrong-security-levels"},
    {7, "Invalid-parameters"},
    {8, "Invalid-selection-criteria"},
    {9, "Invalid-data-type"},
    {10, "Invalid-file-access"},
    {11, "Invalid-file-start-position"},
    {12, "Invalid-operator-name"},
    {13, "Invalid-parameter-type"},
    {14, "Invalid-time-stamp"},
    {15, "Key-generation-error"},
    {16, "Missing-parameter"},
    {17, "Object-not-found"},
    {18, "No-space-for-object"},
    {19, "No-space-for-element"},
    {20, "No-space-to-write-property"},
    {21, "No-VT-sessions-available"},
    {22, "Property-is-not-a-list"},
    {23, "Object-deletion-denied"},
    {24, "Object-ID-already-exists"},
    {25, "Operational-problem"},
    {26, "Password-failure"},
    {27, "Read-access-denied"},
    {28, "Security-not-supported"},
    {29, "Service-request-denied"},
    {30, "Timeout"},
    {31, "Unknown-object"},
    {32, "Unknown-property"},
    {33, "Reserved-33"},
    {34, "Unknown-VT-class"},
    {35, "Unknown-VT-session"},
    {36, "Unsupported-object-type"},
    {37, "Value-out-of-range"},
    {38, "VT-session-already-closed"},
    {39, "VT-session-termination-failure"},
    {40, "Write-access-denied"},
    {41, "Character-set-not-supported"},
    {42, "Invalid-array-index"},
    {43, "COV-subscription-failed"},
    {44, "Not-COV-property"},
    {45, "Optional-functionality-not-supported"},
    {46, "Invalid-configuration-data"},
    {47, "Datatype-not-supported"},
    {48, "Duplicate-name"},
    {49, "Duplicate-object-ID"},
    {50, "Property-is-not-an-array"},
    {51, "Abort-buffer-overflow"},
    {52, "Abort-invalid APDU in this state"},
    {53, "Abort-preempted by higher priority task"},
    {54, "Abort-segmentation not supported"},
    {55, "Abort-proprietary"},
    {56, "Abort-other"},
    {57, "Invalid-tag"},
    {58, "Network-down"},
    {59, "Reject-buffer-overflow"},
    {60, "Reject-inconsistent-parameters"},
    {61, "Reject-invalid-parameter-data-type"},
    {62, "Reject-invalid-tag"},
    {63, "Reject-missing-required-parameter"},
    {64, "Reject-parameter-out-of-range"},
    {65, "Reject-too-many-arguments"},
    {66, "Reject-undefined-enumeration"},
    {67, "Reject-unrecognized-service"},
    {68, "Reject-proprietary"},
    {69, "Reject-other"},
    {70, "Unknown-device"},
    {71, "Unknown-route"},
    {72, "Value-not-initialized"},
    {73, "Invalid-event-state"},
    {74, "No-alarm-configured"},
    {75, "Log-buffer-full"},
    {76, "Logged-value-purged"},
    {77, "No-property-specified"},
    {78, "Not-configured-for-triggered-logging"},
    {81, "List-element-not-found"},
    {83, "Communication-disabled"},
    {84, "Unknown-error-code"},
};

TEST(StatusText, EveryCodeAndTheUnknownOnes) {
  std::set<int32_t> named;
  for (const Named& row : kStatusTexts) {
    EXPECT_STREQ(VelmoraStatusText(int32_t(row.value)), row.text) << row.value;
    named.insert(int32_t(row.value));
  }
  EXPECT_EQ(named.size(), 63u);
  for (int32_t code = -2; code < 120; ++code) {
    if (named.count(code)) continue;
    EXPECT_STREQ(VelmoraStatusText(code), "Unknown Velmora status") << code;
  }
  EXPECT_STREQ(VelmoraStatusText(INT32_MAX), "Unknown Velmora status");
  EXPECT_STREQ(VelmoraStatusText(INT32_MIN), "Unknown Velmora status");
}

// Each name table by the failure field it reads; its last row is also the
// name of any larger value, of a value read as negative, and of no record.
TEST(StatusText, NameTablesAndTheirFallbacks) {
  struct Table {
    const char* name;
    const Named* rows;
    size_t count;
    const char* (*text)(const VelmoraFailure*);
    VelmoraFailure (*make)(uint32_t);
  };
  auto error = [](uint32_t v) { return VelmoraFailure{VELMORA_FAILURE_ERROR, v, v}; };
  auto abort = [](uint32_t v) { return VelmoraFailure{VELMORA_FAILURE_ABORT, v, 0}; };
  auto reject = [](uint32_t v) { return VelmoraFailure{VELMORA_FAILURE_REJECT, v, 0}; };
  const Table tables[] = {
      {"class", kErrorClasses, std::size(kErrorClasses), VelmoraErrorClassText, error},
      {"code", kErrorCodes, std::size(kErrorCodes), VelmoraErrorCodeText, error},
      {"abort", kAbortReasons, std::size(kAbortReasons), VelmoraAbortReasonText, abort},
      {"reject", kRejectReasons, std::size(kRejectReasons), VelmoraRejectReasonText, reject},
  };
  for (const Table& t : tables) {
    const char* fallback = t.rows[t.count - 1].text;
    std::set<uint32_t> named;
    for (size_t i = 0; i < t.count; ++i) {
      VelmoraFailure f = t.make(t.rows[i].value);
      EXPECT_STREQ(t.text(&f), t.rows[i].text) << t.name << " " << t.rows[i].value;
      named.insert(t.rows[i].value);
    }
    uint32_t last = t.rows[t.count - 1].value;
    for (uint32_t v : {last + 1, last + 100, uint32_t(INT32_MAX), UINT32_MAX}) {
      VelmoraFailure f = t.make(v);
      EXPECT_STREQ(t.text(&f), fallback) << t.name << " " << v;
    }
    for (uint32_t v = 0; v < last; ++v) {  // the empty entries
      if (named.count(v)) continue;
      VelmoraFailure f = t.make(v);
      EXPECT_STREQ(t.text(&f), fallback) << t.name << " " << v;
    }
    EXPECT_STREQ(t.text(nullptr), fallback) << t.name;
  }
  EXPECT_EQ(std::size(kErrorCodes), 82u);  // 85 entries, 79, 80 and 82 empty
}

TEST(StatusText, PrintedLines) {
  const VelmoraFailure unknownProperty = {VELMORA_FAILURE_ERROR, 2, 32};
  const VelmoraFailure unnamed = {VELMORA_FAILURE_ERROR, 12, 80};
  const VelmoraFailure unrecognized = {VELMORA_FAILURE_REJECT, 9, 0};
  const VelmoraFailure segmentation = {VELMORA_FAILURE_ABORT, 4, 0};
  const struct {
    VelmoraStatus code;
    const VelmoraFailure* failure;
    const char* message;
    const char* expect;
  } cases[] = {
      {0, nullptr, nullptr, "Velmora Status Code 0: OK\n"},
      {8, nullptr, nullptr, "Velmora Status Code 8: Invalid device handle\n"},
      {40, nullptr, nullptr, "Velmora Status Code 40: Unknown Velmora status\n"},
      {-1, nullptr, nullptr, "Velmora Status Code -1: Unknown Velmora status\n"},
      {7, nullptr, "Reading 8:123 failed",
       "Reading 8:123 failed\nVelmora Status Code 7: Service timeout\n"},
      {64, &unknownProperty, nullptr,
       "Velmora Status Code 64: BACnet error\n"
       "BACnet Error Class, Code 2, 32: Property, Unknown-property\n"},
      {64, &unnamed, nullptr,
       "Velmora Status Code 64: BACnet error\n"
       "BACnet Error Class, Code 12, 80: Unknown-error-class, Unknown-error-code\n"},
      {64, nullptr, nullptr, "Velmora Status Code 64: BACnet error\n"},
      {65, &unrecognized, nullptr,
       "Velmora Status Code 65: BACnet reject\n"
       "BACnet Reject Reason 9: Unrecognized service\n\n"},
      {66, &segmentation, "x",
       "x\nVelmora Status Code 66: BACnet abort\n"
       "BACnet Abort Reason 4: Segmentation not supported\n"},
      {16, &unknownProperty, nullptr, "Velmora Status Code 16: Invalid parameter\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    VelmoraPrintStatus(c.code, c.failure, c.message);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expect) << c.code;
  }
}

}  // namespace
