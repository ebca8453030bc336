// Every constructed row of the datatype table holds its record's size.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "bacnet/asn_datatype.h"
#include "bacnet/asn_datatype_code.h"
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
      {ASN_TYPE_PRIORITY_VALUE, sizeof(VelmoraPriorityValue)},
      {ASN_TYPE_ADDRESS, sizeof(VelmoraAddress)},
      {ASN_TYPE_DATE_TIME, sizeof(VelmoraDateTime)},
      {ASN_TYPE_OBJ_PROP_REF, sizeof(VelmoraObjPropRef)},
      {ASN_TYPE_PROPERTY_STATES, sizeof(VelmoraPropertyStates)},
      {ASN_TYPE_DATE_RANGE, sizeof(VelmoraDateRange)},
      {ASN_TYPE_WEEK_N_DAY, sizeof(VelmoraWeekNDay)},
      {ASN_TYPE_CALENDAR_ENTRY, sizeof(VelmoraCalendarEntry)},
      {ASN_TYPE_TIME_VALUE, sizeof(VelmoraTimeValue)},
      {ASN_TYPE_SPECIAL_EVENT, sizeof(VelmoraSpecialEvent)},
      {ASN_TYPE_PROPERTY_VALUE, sizeof(VelmoraPropertyValue)},
      {ASN_TYPE_RECIPIENT, sizeof(VelmoraRecipient)},
      {ASN_TYPE_SETPOINT_REF, sizeof(VelmoraSetpointRef)},
      {ASN_TYPE_DESTINATION, sizeof(VelmoraDestination)},
      {ASN_TYPE_DAILY_SCHEDULE, sizeof(VelmoraDailySchedule)},
      {ASN_TYPE_TIME_STAMP, sizeof(VelmoraTimeStamp)},
      {ASN_TYPE_PROPERTY_REF, sizeof(VelmoraPropRef)},
      {ASN_TYPE_ADDRESS_BINDING, sizeof(VelmoraAddressBinding)},
      {ASN_TYPE_DEV_OBJ_PROP_REF, sizeof(VelmoraDevObjPropRef)},
      {ASN_TYPE_CLIENT_COV, sizeof(VelmoraClientCov)},
      {ASN_TYPE_LOG_RECORD, sizeof(VelmoraLogRecord)},
      {ASN_TYPE_ACTION_LIST, sizeof(VelmoraActionList)},
      {ASN_TYPE_READ_ACCESS_SPEC, sizeof(VelmoraReadAccessSpec)},
      {ASN_TYPE_READ_ACCESS_RESULT, sizeof(VelmoraReadAccessResult)},
      {ASN_TYPE_EVENT_PARAMETER, sizeof(VelmoraEventParam)},
      {ASN_TYPE_COV_SUBSCRIPTION, sizeof(VelmoraCovSubscription)},
      {ASN_TYPE_DEV_OBJ_REF, sizeof(VelmoraDevObjRef)},
      {ASN_TYPE_DEV_OBJ_PROP_VALUE, sizeof(VelmoraDevObjPropValue)},
      {ASN_TYPE_ACCUMULATOR_RECORD, sizeof(VelmoraAccumulatorRecord)},
      {ASN_TYPE_PRESCALE, sizeof(VelmoraPrescale)},
      {ASN_TYPE_SCALE, sizeof(VelmoraScale)},
      {ASN_TYPE_ACTION_COMMAND, sizeof(VelmoraActionCommand)},
      {ASN_TYPE_SHED_LEVEL, sizeof(VelmoraShedLevel)},
      {ASN_TYPE_VT_SESSION, sizeof(VelmoraVtSession)},
      {ASN_TYPE_SESSION_KEY, sizeof(VelmoraSessionKey)},
      {ASN_TYPE_EVENT_LOG_RECORD, sizeof(VelmoraEventLogRecord)},
      {ASN_TYPE_LOG_MULTIPLE_RECORD, sizeof(VelmoraLogMultipleRecord)},
  };
  std::set<int32_t> seen;
  for (const AsnDatatype& row : AsnDatatypeRows()) {
    if (row.code < ASN_TYPE_PRIORITY_VALUE) continue;
    seen.insert(row.code);
    auto found = records.find(row.code);
    ASSERT_TRUE(found != records.end()) << row.code << " has no record in this table";
    EXPECT_EQ(size_t(row.size), found->second) << row.code;
  }
  EXPECT_EQ(seen.size(), records.size());
  EXPECT_EQ(seen.size(), size_t(ASN_TYPE_LOG_MULTIPLE_RECORD - ASN_TYPE_PRIORITY_VALUE + 1));
}

}  // namespace
