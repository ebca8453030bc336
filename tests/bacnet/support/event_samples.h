// Event parameters, event values and notifications of every event type,
// each with the octets the BACnet encoding rules give for it: rows of the
// round-trip table and the notifications the service tests send.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bacnet/records_event_notif.h"
#include "tests/bacnet/support/roundtrip.h"

// The event values of one event type and their [type]{ } element.
struct EventValuesSample {
  const char* name;
  std::function<VelmoraNotifParam(RoundTripKeep&)> make;
  std::string octets;
};
const std::vector<EventValuesSample>& EventValuesSamples();

// Analog input 1, the event object of every sample notification (its
// property values are typed for analog inputs).
inline constexpr VelmoraObjectId kSampleEventObject = {0, 1};

// A notification from device 1 of the event values, for notify type alarm,
// event or ack-notification, with or without the message text "ab"; the
// octets of its service parameters to *octets.
VelmoraEventNotif SampleNotification(RoundTripKeep& keep, const EventValuesSample& values,
                                     uint32_t notifyType, bool text, std::string* octets);

// The round-trip table's rows of the event parameters (every event type
// they have, lists of none, one and many, optional elements present and
// absent) and of the event log record (its three choices, the notification
// of every event type and notify type).
RoundTripCode EventParameterRoundTrips();
RoundTripCode EventLogRecordRoundTrips();
