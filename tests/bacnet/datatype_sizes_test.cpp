// Every constructed row of the datatype table holds its record's size.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "bacnet/asn_datatype.h"
#include "bacnet/records_cov.h"
#include "bacnet/records_event_notif.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_log.h"
#include "bacnet/records_log_multiple.h"
#include "bacnet/records_schedule.h"
#include "bacnet/records_session.h"

namespace {

TEST(DatatypeTable, ConstructedRowsHoldTheirRecordsSize) {
  const std::map<int32_t, size_t> records = {
      {19, sizeof(VelmoraPriorityValue)},
      {20, sizeof(VelmoraAddress)},
      {21, sizeof(VelmoraDateTime)},
      {22, sizeof(VelmoraObjPropRef)},
      {23, sizeof(VelmoraPropertyStates)},
      {24, sizeof(VelmoraDateRange)},
      {25, sizeof(VelmoraWeekNDay)},
      {26, sizeof(VelmoraCalendarEntry)},
      {27, sizeof(VelmoraTimeValue)},
      {28, sizeof(VelmoraSpecialEvent)},
      {29, sizeof(VelmoraPropertyValue)},
      {30, sizeof(VelmoraRecipient)},
      {31, sizeof(VelmoraSetpointRef)},
      {32, sizeof(VelmoraDestination)},
      {33, sizeof(VelmoraDailySchedule)},
      {34, sizeof(VelmoraTimeStamp)},
      {35, sizeof(VelmoraPropRef)},
      {36, sizeof(VelmoraAddressBinding)},
      {37, sizeof(VelmoraDevObjPropRef)},
      {38, sizeof(VelmoraClientCov)},
      {39, sizeof(VelmoraLogRecord)},
      {40, sizeof(VelmoraActionList)},
      {41, sizeof(VelmoraReadAccessSpec)},
      {42, sizeof(VelmoraReadAccessResult)},
      {43, sizeof(VelmoraEventParam)},
      {44, sizeof(VelmoraCovSubscription)},
      {45, sizeof(VelmoraDevObjRef)},
      {46, sizeof(VelmoraDevObjPropValue)},
      {47, sizeof(VelmoraAccumulatorRecord)},
      {48, sizeof(VelmoraPrescale)},
      {49, sizeof(VelmoraScale)},
      {50, sizeof(VelmoraActionCommand)},
      {51, sizeof(VelmoraShedLevel)},
      {52, sizeof(VelmoraVtSession)},
      {53, sizeof(VelmoraSessionKey)},
      {54, sizeof(VelmoraEventLogRecord)},
      {55, sizeof(VelmoraLogMultipleRecord)},
  };
  std::set<int32_t> seen;
  for (const AsnDatatype& row : AsnDatatypeRows()) {
    if (row.code < 19) continue;
    seen.insert(row.code);
    auto found = records.find(row.code);
    ASSERT_TRUE(found != records.end()) << row.code << " has no record in this table";
    EXPECT_EQ(size_t(row.size), found->second) << row.code;
  }
  EXPECT_EQ(seen.size(), records.size());
  EXPECT_EQ(seen.size(), 37u);  // codes 19-55
}

}  // namespace
