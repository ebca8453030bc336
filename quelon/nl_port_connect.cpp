#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle =
    ReportStyleQuoted(".\\nl_port_connect.c", "Can't put input param\n", nullptr);

// What the daemon is given to connect in when the caller names no time.
constexpr uint32_t kDefaultTimeout = 20;

}  // namespace

bool NlPortConnect(const VelmoraAddress* target, uint32_t portId, uint32_t timeout) {
  if (portId == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  ReportRequest request(kStyle, IOCTL_NL_PORT_CONNECT);
  request.PutUnsigned(portId, "Can't put input param - portId\n");
  request.PutUnsigned(timeout == 0 ? kDefaultTimeout : timeout,
                      "Can't put input param - timeout\n");
  return request.RunForStatus(target);
}

bool NlPortDisconnect(const VelmoraAddress* target, uint32_t portId) {
  if (portId == uint32_t(-1)) Fatal(kStyle.file, "Invalid parameters\n");
  return ReportRunWithInput(kStyle, target, IOCTL_NL_PORT_DISCONNECT, portId,
                            "Can't put input param - portId\n",
                            [](VelmoraIoctlHandle h) { return ReportStatusOk(kStyle, h); });
}
