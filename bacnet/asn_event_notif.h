// Codecs of the event notification parameters (ConfirmedEventNotification
// and UnconfirmedEventNotification) in their two in-memory forms, the flat
// VelmoraEventNotif and the request block a service hook receives, and of
// the event log record (BACnetEventLogRecord, datatype 54), which holds the
// flat form.
//
// Encoders leave the cursor where it was when they refuse: 18 no room, 26 a
// notify type above 2, 2 a request block without both its parts or an event
// log record of an unknown choice, 53 a message text of an unknown character
// set, 44 a message text without its text; the statuses of the inner
// encoders pass through (2 a bad object identifier, 16 a time stamp
// sequence number above 65535, 53 an unknown time stamp or event values of
// an event type no alternative has, as an ack-notification's 0xFF bytes
// switched back to an alarm). Ack required, from state and event values go
// out for alarms and events only.
//
// Decoders are positional, for octets the syntax checker accepted, yet never
// read past the cursor's end; absent elements decode to their sentinels
// (ack required 255, from state -1, event values of 0xFF bytes, no text).
// Texts and the event values' lists and values go to the arena; the decoded
// sizes give exactly the storage the decoders take.
#pragma once

#include <cstdint>

#include "bacnet/asn_tag.h"
#include "bacnet/records_event_notif.h"

// The request block: the identifiers and the text in the block itself, the
// rest in two parts carved below it, the fixed part first, then the text,
// then the state part.
struct VelmoraEventNotifFixedPart {
  uint32_t process_id;
  VelmoraTimeStamp time_stamp;
  uint32_t notification_class;
  uint8_t priority;
  uint32_t event_type;
  uint32_t notify_type;  // VELMORA_NOTIFY_*
};

struct VelmoraEventNotifStatePart {
  uint8_t ack_required;  // 255: absent
  int32_t from_state;    // -1: absent
  uint32_t to_state;
  VelmoraNotifParam event_values;  // every byte 0xFF when absent
};

struct VelmoraEventNotifRequest {
  VelmoraObjectId initiating_device;
  VelmoraObjectId event_object;
  int32_t charset;  // of the message text; -1: no text
  // The text in that set up to its zero unit; for set 1 (DBCS) its
  // VelmoraDbcsString.
  const void* message_text;
  VelmoraEventNotifFixedPart* fixed;
  VelmoraEventNotifStatePart* state;
};

int32_t AsnEncodeEventNotif(const void* value, AsnCursor* cursor);
void AsnDecodeEventNotif(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeEventNotif(const uint8_t* element, uint32_t available);

int32_t AsnEncodeEventNotifRequest(const void* value, AsnCursor* cursor);
void AsnDecodeEventNotifRequest(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeEventNotifRequest(const uint8_t* element, uint32_t available);

// [0]{ date-time }, [1]{ [0] log status, [1]{ notification } or [2] time
// change }.
int32_t AsnEncodeEventLogRecord(const void* value, AsnCursor* cursor);
void AsnDecodeEventLogRecord(AsnCursor* cursor, void* out, uint8_t** arena);
uint32_t AsnDecodedSizeEventLogRecord(const uint8_t* element, uint32_t available);
