#include <cstdio>

#include "quelon/app_reports.h"
#include "quelon/report.h"

namespace {

constexpr ReportStyle kStyle = ReportStyleQuoted(".\\app_list_get.c", "Can't put input param\n",
                                                 "OutputParametersGet() failed\n");

}  // namespace

bool AppListGet(const VelmoraAddress* target, std::vector<uint32_t>* ids) {
  if (!ids) Fatal(kStyle.file, "Invalid parameters\n");
  ReportRequest request(kStyle, IOCTL_APP_LIST_GET);
  return request.Run(target, [&](VelmoraIoctlHandle h) {
    return ReportReadList(kStyle, h, "Can't get app count\n",
                          "Can't get parameter application nmb\n", ids);
  });
}

uint32_t AppListForEach(const VelmoraAddress* target, AppCallback callback) {
  std::vector<uint32_t> ids;
  return AppListGet(target, &ids) ? ReportForEach(target, ids, callback) : 0;
}

void AppListPrint(const std::vector<uint32_t>& ids) {
  std::printf("List of applications (total '%lu')\n", (unsigned long)ids.size());
  for (size_t i = 0; i < ids.size(); ++i)
    std::printf("%lu. Application: '%ld'\n", (unsigned long)i, long(int32_t(ids[i])));
}
