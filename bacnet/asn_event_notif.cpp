#include "bacnet/asn_event_notif.h"

#include <cstring>

#include "bacnet/asn_choices.h"
#include "bacnet/asn_construct.h"
#include "bacnet/asn_event_params.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_schedule.h"

namespace {

constexpr uint8_t kEventValuesTag = 12;
constexpr uint8_t kNoAckRequired = 255;
constexpr VelmoraCharString kNoText = {nullptr, -1, 0, VELMORA_CHARSET_ABSENT};
constexpr int32_t kRequestNoText = -1;

constexpr uint32_t kLogStatus = 0, kLogNotification = 1, kLogTimeChange = 2;

// Both forms go out through the flat record.
int32_t EncodeEventNotif(const VelmoraEventNotif* n, AsnCursor* c) {
  int32_t status = AsnEncodeTaggedUnsigned(n->process_id, c, AsnContextTag(0));
  if (status == ASN_OK)
    status = AsnEncodeTaggedObjectId(&n->initiating_device, c, AsnContextTag(1));
  if (status == ASN_OK) status = AsnEncodeTaggedObjectId(&n->event_object, c, AsnContextTag(2));
  if (status == ASN_OK)
    status = AsnEncodeEnclosed(c, 3, [&] { return AsnEncodeTimeStamp(&n->time_stamp, c); });
  if (status == ASN_OK)
    status = AsnEncodeTaggedUnsigned(n->notification_class, c, AsnContextTag(4));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(n->priority, c, AsnContextTag(5));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(n->event_type, c, AsnContextTag(6));
  if (status == ASN_OK && n->message_text.charset != VELMORA_CHARSET_ABSENT)
    status = AsnEncodeTaggedCharString(&n->message_text, c, AsnContextTag(7));
  if (status != ASN_OK) return status;
  if (n->notify_type > VELMORA_NOTIFY_ACK) return ASN_BAD_NOTIFY_TYPE;
  const bool alarmOrEvent = n->notify_type != VELMORA_NOTIFY_ACK;
  status = AsnEncodeTaggedUnsigned(n->notify_type, c, AsnContextTag(8));
  if (status == ASN_OK && alarmOrEvent)
    status = AsnEncodeTaggedBoolean(n->ack_required, c, AsnContextTag(9));
  if (status == ASN_OK && alarmOrEvent)
    status = AsnEncodeTaggedUnsigned(n->from_state, c, AsnContextTag(10));
  if (status == ASN_OK) status = AsnEncodeTaggedUnsigned(n->to_state, c, AsnContextTag(11));
  if (status == ASN_OK && alarmOrEvent)
    status = AsnEncodeEnclosed(c, kEventValuesTag,
                               [&] { return AsnEncodeNotifParam(&n->event_values, c); });
  return status;
}

// The elements before the message text: [0] to [6].
void HeadWalk(AsnCursor* c, VelmoraEventNotif* n) {
  n->process_id = AsnTakeUnsigned(c);
  AsnTakeObjectId(c, &n->initiating_device);
  AsnTakeObjectId(c, &n->event_object);
  AsnEnterTag(c);
  AsnDecodeTimeStamp(c, &n->time_stamp);
  AsnLeaveTag(c);
  n->notification_class = AsnTakeUnsigned(c);
  n->priority = uint8_t(AsnTakeUnsigned(c));
  n->event_type = AsnTakeUnsigned(c);
}

// The elements after it: [8] to [12]. Event values are typed for the event
// object's type; without them (or of an alternative the codec does not
// decode) they stay 0xFF bytes.
void TailWalk(AsnCursor* c, VelmoraEventNotif* n, AsnCarver* carver) {
  n->notify_type = AsnTakeUnsigned(c);
  n->ack_required = AsnHasContextTag(c, 9) ? AsnTakeBoolean(c) : kNoAckRequired;
  n->from_state = uint32_t(AsnTakeOptionalUnsigned(c, 10));
  n->to_state = AsnTakeUnsigned(c);
  std::memset(&n->event_values, 0xFF, sizeof n->event_values);
  if (c->current >= c->end || c->current[0] != AsnOpeningTag(kEventValuesTag)) return;
  uint32_t length;
  const uint8_t* contents = AsnTakeContents(c, &length);
  AsnCursor values = AsnCursorOverConst(contents, length);
  if (contents) AsnNotifParamWalk(&values, &n->event_values, carver, n->event_object.type);
}

void EventNotifWalk(AsnCursor* c, VelmoraEventNotif* out, AsnCarver* carver) {
  VelmoraEventNotif n{};
  HeadWalk(c, &n);
  n.message_text = kNoText;
  if (AsnHasContextTag(c, 7)) {
    if (carver)
      AsnCarveCharString(carver, c, &n.message_text);
    else
      AsnSkipElement(c);
  }
  TailWalk(c, &n, carver);
  AsnStoreRecord(out, n);
}

// The request form's message text: its set and its text as the text
// datatype of the set holds it, in a block of the size that datatype's text
// length gives (the size function counts the same).
void CarveRequestText(AsnCarver* carver, AsnCursor* c, int32_t* charset, const void** text) {
  AsnCursor one;
  if (!AsnTakeElement(c, &one)) return;
  const uint32_t size = AsnCharStringTextLength(one.current);
  auto* block = static_cast<uint8_t*>(AsnCarveRecords(carver, 1, size));
  if (!carver->decode || (size != 0 && !block)) return;
  uint8_t* top = block ? block + size : nullptr;
  uint8_t set = 0;
  void* decoded = nullptr;
  AsnDecodeCharStringAlloc(&one, &set, &decoded, &top);
  *charset = set;
  *text = decoded;
}

// The fixed part, the text and the state part are carved in that order, the
// event values' lists and values below them.
void RequestWalk(AsnCursor* c, VelmoraEventNotifRequest* out, AsnCarver* carver) {
  VelmoraEventNotifFixedPart* fixed = nullptr;
  if (carver)
    fixed = static_cast<VelmoraEventNotifFixedPart*>(
        AsnCarveRecords(carver, 1, sizeof(VelmoraEventNotifFixedPart)));
  VelmoraEventNotif n{};
  HeadWalk(c, &n);
  int32_t charset = kRequestNoText;
  const void* text = nullptr;
  if (AsnHasContextTag(c, 7)) {
    if (carver)
      CarveRequestText(carver, c, &charset, &text);
    else
      AsnSkipElement(c);
  }
  VelmoraEventNotifStatePart* state = nullptr;
  if (carver)
    state = static_cast<VelmoraEventNotifStatePart*>(
        AsnCarveRecords(carver, 1, sizeof(VelmoraEventNotifStatePart)));
  TailWalk(c, &n, carver);
  if (fixed)
    *fixed = {n.process_id, n.time_stamp, n.notification_class,
              n.priority,   n.event_type, n.notify_type};
  if (state) *state = {n.ack_required, int32_t(n.from_state), n.to_state, n.event_values};
  AsnStoreRecord(out, VelmoraEventNotifRequest{n.initiating_device, n.event_object, charset, text,
                                               fixed, state});
}

// The request's text as a terminated character string of its set.
int32_t RequestText(const VelmoraEventNotifRequest* r, VelmoraCharString* out) {
  *out = kNoText;
  if (r->charset == kRequestNoText) return ASN_OK;
  if (r->charset < VELMORA_CHARSET_ANSI || r->charset > VELMORA_CHARSET_ISO8859)
    return ASN_UNKNOWN_CHOICE;
  if (!r->message_text) return ASN_BAD_BUFFER;
  const auto set = uint8_t(r->charset);
  if (set != VELMORA_CHARSET_DBCS) {
    *out = {static_cast<const char*>(r->message_text), -1, 0, set};
    return ASN_OK;
  }
  VelmoraDbcsString dbcs;
  std::memcpy(&dbcs, r->message_text, sizeof dbcs);
  if (!dbcs.text) return ASN_BAD_BUFFER;
  *out = {dbcs.text, -1, dbcs.code_page, set};
  return ASN_OK;
}

int32_t EncodeEventNotifRequest(const VelmoraEventNotifRequest* r, AsnCursor* c) {
  if (!r->fixed || !r->state) return ASN_MISSING_RECORD;
  const VelmoraEventNotifFixedPart& f = *r->fixed;
  const VelmoraEventNotifStatePart& s = *r->state;
  VelmoraEventNotif n = {
      f.process_id,         r->initiating_device, r->event_object,        f.time_stamp,
      f.notification_class, f.priority,           f.event_type,           kNoText,
      f.notify_type,        s.ack_required,       uint32_t(s.from_state), s.to_state,
      s.event_values};
  int32_t status = RequestText(r, &n.message_text);
  return status == ASN_OK ? EncodeEventNotif(&n, c) : status;
}

int32_t EncodeEventLogRecord(const VelmoraEventLogRecord* e, AsnCursor* c) {
  if (e->choice > kLogTimeChange) return ASN_INVALID_VALUE;
  int32_t status = AsnEncodeEnclosedDateTime(&e->time_stamp, c, 0);
  if (status != ASN_OK) return status;
  return AsnEncodeEnclosed(c, 1, [&] {
    if (e->choice == kLogStatus)
      return AsnEncodeTaggedBitString(&e->value.log_status, c, AsnContextTag(0));
    if (e->choice == kLogTimeChange)
      return AsnEncodeTaggedReal(e->value.time_change, c, AsnContextTag(2));
    return AsnEncodeEnclosed(c, 1, [&] { return EncodeEventNotif(&e->value.notification, c); });
  });
}

// A datum of a choice past the last keeps its tag number as the choice and
// is stepped over.
void EventLogRecordWalk(AsnCursor* c, VelmoraEventLogRecord* out, AsnCarver* carver) {
  VelmoraEventLogRecord r{};
  AsnDecodeEnclosedDateTime(c, &r.time_stamp);
  AsnEnterTag(c);
  if (!AsnAtListEnd(c)) {
    r.choice = uint32_t(AsnPeekTagNumber(c));
    if (r.choice == kLogStatus) {
      AsnTakeBitString(c, &r.value.log_status);
    } else if (r.choice == kLogTimeChange) {
      r.value.time_change = AsnTakeReal(c);
    } else if (r.choice == kLogNotification && AsnIsOpeningTag(c->current[0])) {
      uint32_t length;
      const uint8_t* contents = AsnTakeContents(c, &length);
      AsnCursor notification = AsnCursorOverConst(contents, length);
      if (contents) EventNotifWalk(&notification, &r.value.notification, carver);
    } else {
      AsnSkipElement(c);
    }
  }
  AsnLeaveTag(c);
  AsnStoreRecord(out, r);
}

}  // namespace

int32_t AsnEncodeEventNotif(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraEventNotif, EncodeEventNotif>(value, cursor);
}
void AsnDecodeEventNotif(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraEventNotif, EventNotifWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeEventNotif(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraEventNotif, EventNotifWalk>(element, available);
}

int32_t AsnEncodeEventNotifRequest(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraEventNotifRequest, EncodeEventNotifRequest>(value, cursor);
}
void AsnDecodeEventNotifRequest(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraEventNotifRequest, RequestWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeEventNotifRequest(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraEventNotifRequest, RequestWalk>(element, available);
}

int32_t AsnEncodeEventLogRecord(const void* value, AsnCursor* cursor) {
  return AsnEncodeRecord<VelmoraEventLogRecord, EncodeEventLogRecord>(value, cursor);
}
void AsnDecodeEventLogRecord(AsnCursor* cursor, void* out, uint8_t** arena) {
  AsnDecodeByWalk<VelmoraEventLogRecord, EventLogRecordWalk>(cursor, out, arena);
}
uint32_t AsnDecodedSizeEventLogRecord(const uint8_t* element, uint32_t available) {
  return AsnDecodedSizeByWalk<VelmoraEventLogRecord, EventLogRecordWalk>(element, available);
}
