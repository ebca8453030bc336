// Internal status codes of the runtime (0 success): what the link and the
// transaction layer report, and what the interface maps on to the public
// VelmoraStatus codes. The BACnet codec returns codes of this family too,
// under names of its own (bacnet/asn_status.h). Codes not named here are
// given by layers above, where they arise.
#pragma once

#include <cstdint>

inline constexpr uint32_t IPC_STATUS_OK = 0;
inline constexpr uint32_t IPC_STATUS_BUSY = 1;  // busy, or the layer is not open
inline constexpr uint32_t IPC_STATUS_INVALID_PARAMETER = 2;
inline constexpr uint32_t IPC_STATUS_NO_RESOURCES = 3;  // a pool or a list is full
inline constexpr uint32_t IPC_STATUS_NO_MEMORY = 4;
inline constexpr uint32_t IPC_STATUS_FAILED =
    5;  // no better code: an unknown status, a wrong state
inline constexpr uint32_t IPC_STATUS_UNEXPECTED =
    6;  // the daemon's or a caller's request out of turn
inline constexpr uint32_t IPC_STATUS_REQUEST_TOO_LONG = 7;
inline constexpr uint32_t IPC_STATUS_RESPONSE_TOO_LONG = 8;
inline constexpr uint32_t IPC_STATUS_NO_LINK = 9;     // no daemon, or the link was lost
inline constexpr uint32_t IPC_STATUS_DUPLICATE = 10;  // the daemon has it already
inline constexpr uint32_t IPC_STATUS_COMM_DISABLED = 11;
inline constexpr uint32_t IPC_STATUS_BAD_CONFIGURATION = 12;
inline constexpr uint32_t IPC_STATUS_VALUE_OUT_OF_RANGE = 16;
inline constexpr uint32_t IPC_STATUS_INVALID_ADDRESS = 45;
inline constexpr uint32_t IPC_STATUS_BACNET_ERROR = 58;
inline constexpr uint32_t IPC_STATUS_BACNET_REJECT = 59;
inline constexpr uint32_t IPC_STATUS_BACNET_ABORT = 60;
inline constexpr uint32_t IPC_STATUS_NO_ANSWER = 62;  // no device answered the request
inline constexpr uint32_t IPC_STATUS_WAIT_TIMEOUT = 63;
// A queued request that its requester aborted was dropped when taken.
inline constexpr uint32_t IPC_STATUS_REQUEST_DROPPED = 64;
inline constexpr uint32_t IPC_STATUS_INVALID_PACKET = 65;
inline constexpr uint32_t IPC_STATUS_TIMED_OUT = 66;  // the request timed out
inline constexpr uint32_t IPC_STATUS_CLOSING = 68;
// A request too long for one APDU that may not go segmented.
inline constexpr uint32_t IPC_STATUS_SEGMENTATION_NOT_SUPPORTED = 74;
inline constexpr uint32_t IPC_STATUS_NOT_STARTED = 75;
inline constexpr uint32_t IPC_STATUS_QUEUE_EMPTY = 76;  // woken with nothing queued
inline constexpr uint32_t IPC_STATUS_VERSION_MISMATCH = 77;
inline constexpr uint32_t IPC_STATUS_NO_LOCAL_ADDRESS = 78;
