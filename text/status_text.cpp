#include "text/status_text.h"

#include <array>
#include <cstdio>

#include "bacnet/bacnet_enums.h"
#include "text/enum_name_check.h"

namespace {

struct StatusRow {
  VelmoraStatus code;
  const char* text;
};

constexpr StatusRow kStatusRows[] = {
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

constexpr size_t kStatusCodes = 88;
constexpr auto kStatusTexts = [] {
  std::array<const char*, kStatusCodes> texts{};
  for (const StatusRow& row : kStatusRows)
    texts[size_t(row.code)] = row.text;
  return texts;
}();

// The last row of each name table is its fallback.
constexpr const char* kErrorClasses[] = {
    "Device",   "Object", "Property",      "Resources",           "Security",
    "Services", "VT",     "Communication", "Unknown-error-class",
};

constexpr const char* kAbortReasons[] = {
    "Other",
    "Buffer overflow",
    "Invalid APDU in this state",
    "Preempted by higher priority task",
    "Segmentation not supported",
    "Unknown abort reason",
};

constexpr const char* kRejectReasons[] = {
    "Other",
    "Buffer overflow",
    "Inconsistent parameters",
    "Invalid parameter data type",
    "Invalid tag",
    "Missing required parameter",
    "Parameter out of range",
    "Too many arguments",
    "Undefined enumeration",
    "Unrecognized service",
    "Unknown reject reason",
};

// Indexed by error code; an empty entry reads as the last one.
constexpr const char* kErrorCodes[] = {
    "Other",                                    // 0
    "Authentication-failed",                    // 1
    "Configuration-in-progress",                // 2
    "Device-busy",                              // 3
    "Dynamic-creation-not-supported",           // 4
    "File-access-denied",                       // 5
    "Wrong-security-levels",                    // 6
    "Invalid-parameters",                       // 7
    "Invalid-selection-criteria",               // 8
    "Invalid-data-type",                        // 9
    "Invalid-file-access",                      // 10
    "Invalid-file-start-position",              // 11
    "Invalid-operator-name",                    // 12
    "Invalid-parameter-type",                   // 13
    "Invalid-time-stamp",                       // 14
    "Key-generation-error",                     // 15
    "Missing-parameter",                        // 16
    "Object-not-found",                         // 17
    "No-space-for-object",                      // 18
    "No-space-for-element",                     // 19
    "No-space-to-write-property",               // 20
    "No-VT-sessions-available",                 // 21
    "Property-is-not-a-list",                   // 22
    "Object-deletion-denied",                   // 23
    "Object-ID-already-exists",                 // 24
    "Operational-problem",                      // 25
    "Password-failure",                         // 26
    "Read-access-denied",                       // 27
    "Security-not-supported",                   // 28
    "Service-request-denied",                   // 29
    "Timeout",                                  // 30
    "Unknown-object",                           // 31
    "Unknown-property",                         // 32
    "Reserved-33",                              // 33
    "Unknown-VT-class",                         // 34
    "Unknown-VT-session",                       // 35
    "Unsupported-object-type",                  // 36
    "Value-out-of-range",                       // 37
    "VT-session-already-closed",                // 38
    "VT-session-termination-failure",           // 39
    "Write-access-denied",                      // 40
    "Character-set-not-supported",              // 41
    "Invalid-array-index",                      // 42
    "COV-subscription-failed",                  // 43
    "Not-COV-property",                         // 44
    "Optional-functionality-not-supported",     // 45
    "Invalid-configuration-data",               // 46
    "Datatype-not-supported",                   // 47
    "Duplicate-name",                           // 48
    "Duplicate-object-ID",                      // 49
    "Property-is-not-an-array",                 // 50
    "Abort-buffer-overflow",                    // 51
    "Abort-invalid APDU in this state",         // 52
    "Abort-preempted by higher priority task",  // 53
    "Abort-segmentation not supported",         // 54
    "Abort-proprietary",                        // 55
    "Abort-other",                              // 56
    "Invalid-tag",                              // 57
    "Network-down",                             // 58
    "Reject-buffer-overflow",                   // 59
    "Reject-inconsistent-parameters",           // 60
    "Reject-invalid-parameter-data-type",       // 61
    "Reject-invalid-tag",                       // 62
    "Reject-missing-required-parameter",        // 63
    "Reject-parameter-out-of-range",            // 64
    "Reject-too-many-arguments",                // 65
    "Reject-undefined-enumeration",             // 66
    "Reject-unrecognized-service",              // 67
    "Reject-proprietary",                       // 68
    "Reject-other",                             // 69
    "Unknown-device",                           // 70
    "Unknown-route",                            // 71
    "Value-not-initialized",                    // 72
    "Invalid-event-state",                      // 73
    "No-alarm-configured",                      // 74
    "Log-buffer-full",                          // 75
    "Logged-value-purged",                      // 76
    "No-property-specified",                    // 77
    "Not-configured-for-triggered-logging",     // 78
    nullptr,                                    // 79
    nullptr,                                    // 80
    "List-element-not-found",                   // 81
    nullptr,                                    // 82
    "Communication-disabled",                   // 83
    "Unknown-error-code",                       // 84
};
static_assert(std::size(kErrorCodes) == 85);

// Compared unsigned, so that a value read as negative takes the fallback.
template <size_t N>
const char* Name(const char* const (&table)[N], uint32_t value) {
  const char* name = value < N ? table[value] : nullptr;
  return name ? name : table[N - 1];
}

// The codec's named numbers are these lists' names.
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, DEVICE);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, OBJECT);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, PROPERTY);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, RESOURCES);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, SECURITY);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, SERVICES);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, VT);
ENUM_NAME_CHECK(kErrorClasses, BACNET_ERROR_CLASS_, COMMUNICATION);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, OTHER);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, INVALID_DATA_TYPE);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, MISSING_PARAMETER);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, NO_SPACE_FOR_OBJECT);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, NO_SPACE_FOR_ELEMENT);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, NO_SPACE_TO_WRITE_PROPERTY);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, PROPERTY_IS_NOT_A_LIST);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, OBJECT_ID_ALREADY_EXISTS);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, READ_ACCESS_DENIED);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, UNKNOWN_OBJECT);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, UNKNOWN_PROPERTY);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, UNSUPPORTED_OBJECT_TYPE);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, VALUE_OUT_OF_RANGE);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, WRITE_ACCESS_DENIED);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, CHARACTER_SET_NOT_SUPPORTED);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, INVALID_ARRAY_INDEX);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, COV_SUBSCRIPTION_FAILED);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, NOT_COV_PROPERTY);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, OPTIONAL_FUNCTIONALITY_NOT_SUPPORTED);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, DUPLICATE_NAME);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, DUPLICATE_OBJECT_ID);
ENUM_NAME_CHECK(kErrorCodes, BACNET_ERROR_CODE_, PROPERTY_IS_NOT_AN_ARRAY);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, OTHER);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, BUFFER_OVERFLOW);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, INCONSISTENT_PARAMETERS);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, INVALID_PARAMETER_DATA_TYPE);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, INVALID_TAG);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, MISSING_REQUIRED_PARAMETER);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, PARAMETER_OUT_OF_RANGE);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, TOO_MANY_ARGUMENTS);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, UNDEFINED_ENUMERATION);
ENUM_NAME_CHECK(kRejectReasons, BACNET_REJECT_, UNRECOGNIZED_SERVICE);
ENUM_NAME_CHECK(kAbortReasons, BACNET_ABORT_, OTHER);
ENUM_NAME_CHECK(kAbortReasons, BACNET_ABORT_, BUFFER_OVERFLOW);
ENUM_NAME_CHECK(kAbortReasons, BACNET_ABORT_, INVALID_APDU_IN_THIS_STATE);
ENUM_NAME_CHECK(kAbortReasons, BACNET_ABORT_, PREEMPTED_BY_HIGHER_PRIORITY_TASK);
ENUM_NAME_CHECK(kAbortReasons, BACNET_ABORT_, SEGMENTATION_NOT_SUPPORTED);

}  // namespace

const char* VelmoraStatusText(VelmoraStatus code) {
  const char* text =
      code >= 0 && size_t(code) < kStatusCodes ? kStatusTexts[size_t(code)] : nullptr;
  return text ? text : "Unknown Velmora status";
}

const char* VelmoraErrorClassText(const VelmoraFailure* failure) {
  return Name(kErrorClasses, VelmoraFailureGetErrorClass(failure));
}

const char* VelmoraErrorCodeText(const VelmoraFailure* failure) {
  return Name(kErrorCodes, VelmoraFailureGetErrorCode(failure));
}

const char* VelmoraAbortReasonText(const VelmoraFailure* failure) {
  return Name(kAbortReasons, VelmoraFailureGetAbortReason(failure));
}

const char* VelmoraRejectReasonText(const VelmoraFailure* failure) {
  return Name(kRejectReasons, VelmoraFailureGetRejectReason(failure));
}

void VelmoraPrintStatus(VelmoraStatus code, const VelmoraFailure* failure, const char* message) {
  if (message) std::printf("%s\n", message);
  std::printf("Velmora Status Code %d: %s\n", code, VelmoraStatusText(code));
  if (!failure) return;
  switch (code) {
    case VELMORA_STATUS_BACNET_ERROR:
      std::printf("BACnet Error Class, Code %d, %d: %s, %s\n",
                  int(VelmoraFailureGetErrorClass(failure)),
                  int(VelmoraFailureGetErrorCode(failure)), VelmoraErrorClassText(failure),
                  VelmoraErrorCodeText(failure));
      break;
    case VELMORA_STATUS_BACNET_REJECT:
      std::printf("BACnet Reject Reason %d: %s\n\n", int(VelmoraFailureGetRejectReason(failure)),
                  VelmoraRejectReasonText(failure));
      break;
    case VELMORA_STATUS_BACNET_ABORT:
      std::printf("BACnet Abort Reason %d: %s\n", int(VelmoraFailureGetAbortReason(failure)),
                  VelmoraAbortReasonText(failure));
      break;
    default:
      break;
  }
}
