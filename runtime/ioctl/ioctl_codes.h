#pragma once
// What client and daemon agree on for ioctls: the body's fixed vendor
// identifier and service number, the request codes and the answer statuses.
//
// A request body is a ConfirmedPrivateTransfer service body: vendor
// identifier [0], service number [1], then [2] holding the request code
// (enumerated) and the request's inputs. The answer has the same frame, its
// [2] holding the status (enumerated) and, when the status is OK, the reply
// values. Inputs and reply values are application-tagged, in this order:
//
//   APP_LIST_GET      -                reply: unsigned count, count unsigned
//                                      application ids
//   APP_INFO          unsigned app id  reply: unsigned version major,
//                                      unsigned version minor, unsigned
//                                      connect time (seconds since 1970),
//                                      character string name, unsigned port
//                                      id, bit string services supported,
//                                      unsigned client TSM maximum, unsigned
//                                      server TSM maximum
//   APP_STATISTICS    unsigned app id  reply: the 21 unsigned counters of
//                                      IoctlAppCounter, in that order
//   APP_PID_LIST_GET  unsigned app id  reply: unsigned count, count unsigned
//                                      process identifiers
//   APP_TSM_STATUS    unsigned app id  reply: the 12 unsigned counts of
//                                      IoctlTsmCount, in that order
//   NL_PORT_CONNECT   unsigned port id, unsigned timeout   status only
//   NL_PORT_DISCONNECT unsigned port id                    status only
//   BDT_WRITE         unsigned port id, entries            status only
//   BDT_SEND          unsigned port id, optional MAC, optional entries
//   IPC_APP_STATISTICS, PORT_TO_NETS, PORT_INFO, PORT_STATISTICS,
//   PORT_STATUS, BDT_READ, FDT_READ: unsigned app or port id; the others
//   take no input.

#include <cstdint>

// The library's vendor identifier in every ioctl body, and the service
// number that marks a private transfer as an ioctl.
inline constexpr uint32_t IOCTL_VENDOR_ID = 555;
inline constexpr uint32_t IOCTL_SERVICE_NUMBER = 0xFFFFFFFFu;

using IoctlCode = uint32_t;
inline constexpr IoctlCode IOCTL_DAEMON_INFO = 0;
inline constexpr IoctlCode IOCTL_DAEMON_STATUS = 1;
inline constexpr IoctlCode IOCTL_PDU_STATISTICS = 2;
inline constexpr IoctlCode IOCTL_PDU_STATUS = 3;
inline constexpr IoctlCode IOCTL_IPC_STATISTICS = 5;
inline constexpr IoctlCode IOCTL_IPC_STATUS = 6;
inline constexpr IoctlCode IOCTL_IPC_APP_STATISTICS = 7;
inline constexpr IoctlCode IOCTL_APP_LIST_GET = 10;
inline constexpr IoctlCode IOCTL_APP_INFO = 11;
inline constexpr IoctlCode IOCTL_APP_STATISTICS = 12;
inline constexpr IoctlCode IOCTL_APP_PID_LIST_GET = 13;
inline constexpr IoctlCode IOCTL_APP_TSM_STATUS = 14;
inline constexpr IoctlCode IOCTL_PORT_LIST_GET = 64;
inline constexpr IoctlCode IOCTL_PORT_TO_NETS = 65;
inline constexpr IoctlCode IOCTL_PORT_INFO = 66;
inline constexpr IoctlCode IOCTL_PORT_STATISTICS = 68;
inline constexpr IoctlCode IOCTL_PORT_STATUS = 69;
inline constexpr IoctlCode IOCTL_NL_PORT_CONNECT = 70;
inline constexpr IoctlCode IOCTL_NL_PORT_DISCONNECT = 71;
inline constexpr IoctlCode IOCTL_NL_TIMEOUTS_GET = 72;
inline constexpr IoctlCode IOCTL_BDT_READ = 256;
inline constexpr IoctlCode IOCTL_BDT_WRITE = 257;
inline constexpr IoctlCode IOCTL_BDT_SEND = 258;
inline constexpr IoctlCode IOCTL_FDT_READ = 259;

// The answer's first value.
using IoctlStatus = uint32_t;
inline constexpr IoctlStatus IOCTL_STATUS_OK = 0;
inline constexpr IoctlStatus IOCTL_STATUS_NO_PERMISSION = 1;
inline constexpr IoctlStatus IOCTL_STATUS_INVALID_NUM_ARG = 2;
inline constexpr IoctlStatus IOCTL_STATUS_INVALID_APP_ID = 3;
inline constexpr IoctlStatus IOCTL_STATUS_INVALID_PORT_ID = 4;
inline constexpr IoctlStatus IOCTL_STATUS_INVALID_PORT_TYPE = 5;
inline constexpr IoctlStatus IOCTL_STATUS_INVALID_PARAM = 6;
inline constexpr IoctlStatus IOCTL_STATUS_NOT_SUPPORTED = 7;
inline constexpr IoctlStatus IOCTL_STATUS_BUSY = 8;
inline constexpr IoctlStatus IOCTL_STATUS_ALREADY_EXISTS = 9;
inline constexpr IoctlStatus IOCTL_STATUS_OUT_OF_MEMORY = 10;
inline constexpr IoctlStatus IOCTL_STATUS_TOO_MANY_PORTS = 11;
inline constexpr IoctlStatus IOCTL_STATUS_NO_PDU = 12;
inline constexpr IoctlStatus IOCTL_STATUS_TOO_BIG = 13;
inline constexpr IoctlStatus IOCTL_STATUS_NOT_FOUND = 14;
inline constexpr IoctlStatus IOCTL_STATUS_UNKNOWN_ERROR = 15;

// APP_STATISTICS reply values, in reply order.
enum IoctlAppCounter : uint32_t {
  IOCTL_CLI_BYTES_RX,
  IOCTL_CLI_BYTES_TR,
  IOCTL_CLI_PDU_RX,
  IOCTL_CLI_PDU_TR,
  IOCTL_CLI_TRANSACTIONS,
  IOCTL_CLI_ABORTED,
  IOCTL_CLI_RETRIES,
  IOCTL_CLI_TIMEOUTS,
  IOCTL_CLI_SEG_RETRIES,
  IOCTL_CLI_SEG_REQ_TIMEOUTS,
  IOCTL_CLI_SEG_CONF_TIMEOUTS,
  IOCTL_SRV_BYTES_RX,
  IOCTL_SRV_BYTES_TR,
  IOCTL_SRV_PDU_RX,
  IOCTL_SRV_PDU_TR,
  IOCTL_SRV_TRANSACTIONS,
  IOCTL_SRV_ABORTED,
  IOCTL_SRV_TIMEOUTS,
  IOCTL_SRV_SEG_REQ_TIMEOUTS,
  IOCTL_SRV_SEG_RESP_RETRIES,
  IOCTL_SRV_SEG_RESP_TIMEOUTS,
  IOCTL_APP_COUNTER_COUNT  // 21
};

// APP_TSM_STATUS reply values, in reply order.
enum IoctlTsmCount : uint32_t {
  IOCTL_CLI_TSM_TOTAL,
  IOCTL_CLI_TSM_FREE,
  IOCTL_CLI_TSM_IDLE,
  IOCTL_CLI_TSM_SEGMENTED_REQUEST,
  IOCTL_CLI_TSM_AWAIT_CONFIRMATION,
  IOCTL_CLI_TSM_SEGMENTED_CONF,
  IOCTL_SRV_TSM_TOTAL,
  IOCTL_SRV_TSM_FREE,
  IOCTL_SRV_TSM_IDLE,
  IOCTL_SRV_TSM_SEGMENTED_REQUEST,
  IOCTL_SRV_TSM_AWAIT_RESPONSE,
  IOCTL_SRV_TSM_SEGMENTED_RESPONSE,
  IOCTL_TSM_COUNT_COUNT  // 12
};
