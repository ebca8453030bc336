#include <cstdio>

#include "quelon/port_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleQuoted(".\\port_list_get.c", "Can't put input param\n",
                                                 "OutputParametersGet() failed\n");

}  // namespace

bool PortListGet(const VelmoraAddress* target, std::vector<uint32_t>* ids) {
  if (!ids) Fatal(kStyle.file, "Args failed\n");
  ReportRequest request(kStyle, IOCTL_PORT_LIST_GET);
  return request.Run(target, [&](VelmoraIoctlHandle h) {
    return ReportReadList(kStyle, h, "Can't get port count\n", "Can't get port number\n", ids);
  });
}

void PortListPrint(const std::vector<uint32_t>& ids) {
  std::printf("List of ports (total '%lu')\n", (unsigned long)ids.size());
  for (size_t i = 0; i < ids.size(); ++i)
    std::printf("%lu. Port: '%ld'\n", (unsigned long)i, long(int32_t(ids[i])));
}

uint32_t PortListForEach(const VelmoraAddress* target, PortCallback callback) {
  std::vector<uint32_t> ids;
  return PortListGet(target, &ids) ? ReportForEach(target, ids, callback) : 0;
}
