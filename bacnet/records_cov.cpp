#include "bacnet/records_cov.h"

#include "bacnet/record_accessors.h"

// COV subscription.

using CS = VelmoraCovSubscription;

bool VelmoraCovSubscriptionInit(CS* c, const VelmoraRecipientProcess* recipient,
                                const VelmoraObjPropRef* monitored_ref, uint8_t issue_confirmed,
                                uint32_t time_remaining) {
  if (!c || !recipient || !monitored_ref) return false;
  *c = {0, *recipient, *monitored_ref, issue_confirmed, time_remaining, 0.0f};
  return true;
}
RECORD_ADDRESS(VelmoraRecipientProcess, VelmoraCovSubscriptionGetRecipientProcess, CS, r->recipient)
RECORD_PUT(VelmoraCovSubscriptionSetRecipientProcess, CS, VelmoraRecipientProcess,
           r->recipient = *v)
RECORD_ADDRESS(VelmoraObjPropRef, VelmoraCovSubscriptionGetMonitoredRef, CS, r->monitored_ref)
RECORD_PUT(VelmoraCovSubscriptionSetMonitoredRef, CS, VelmoraObjPropRef, r->monitored_ref = *v)
RECORD_GET(uint8_t, VelmoraCovSubscriptionGetIssueConfirmed, CS, 0, r->issue_confirmed)
RECORD_SET(VelmoraCovSubscriptionSetIssueConfirmed, CS, uint8_t, r->issue_confirmed = v)
RECORD_GET(uint32_t, VelmoraCovSubscriptionGetTimeRemaining, CS, -1, r->time_remaining)
RECORD_SET(VelmoraCovSubscriptionSetTimeRemaining, CS, uint32_t, r->time_remaining = v)
RECORD_GET(bool, VelmoraCovSubscriptionHasIncrement, CS, false,
           (r->flags & VELMORA_COV_HAS_INCREMENT) != 0)
RECORD_GET(float, VelmoraCovSubscriptionGetIncrement, CS, 0, r->increment)
RECORD_SET(VelmoraCovSubscriptionSetIncrement, CS, float, r->flags |= VELMORA_COV_HAS_INCREMENT,
           r->increment = v)
RECORD_COPY(VelmoraCovSubscriptionCopy, CS)

// SubscribeCOVProperty parameters.

using SC = VelmoraSubscribeCovProp;

bool VelmoraSubscribeCovPropInit(SC* s, uint32_t process_id, const VelmoraObjectId* object_id,
                                 uint8_t issue_confirmed, uint32_t lifetime,
                                 const VelmoraPropRef* property_ref) {
  if (!s || !object_id || !property_ref) return false;
  s->flags = VELMORA_SUBSCRIBE_HAS_CONFIRMED;
  s->process_id = process_id;
  s->object_id = *object_id;
  s->issue_confirmed = issue_confirmed;
  if (lifetime != 0) {
    s->flags |= VELMORA_SUBSCRIBE_HAS_LIFETIME;
    s->lifetime = lifetime;
  }
  s->property_ref = *property_ref;
  s->increment = 0.0f;
  return true;
}
bool VelmoraSubscribeCovPropInitCancel(SC* s, uint32_t process_id, const VelmoraObjectId* object_id,
                                       const VelmoraPropRef* property_ref) {
  if (!s || !object_id || !property_ref) return false;
  *s = {0, process_id, *object_id, 0, 0, *property_ref, 0.0f};
  return true;
}
RECORD_GET(bool, VelmoraSubscribeCovPropIsSubscription, SC, false,
           (r->flags & (VELMORA_SUBSCRIBE_HAS_CONFIRMED | VELMORA_SUBSCRIBE_HAS_LIFETIME)) != 0)
RECORD_GET(uint32_t, VelmoraSubscribeCovPropGetProcessId, SC, -1, r->process_id)
RECORD_SET(VelmoraSubscribeCovPropSetProcessId, SC, uint32_t, r->process_id = v)
RECORD_ADDRESS(VelmoraObjectId, VelmoraSubscribeCovPropGetObjectId, SC, r->object_id)
RECORD_PUT(VelmoraSubscribeCovPropSetObjectId, SC, VelmoraObjectId, r->object_id = *v)
RECORD_GET(bool, VelmoraSubscribeCovPropHasIssueConfirmed, SC, false,
           (r->flags & VELMORA_SUBSCRIBE_HAS_CONFIRMED) != 0)
RECORD_GET(uint8_t, VelmoraSubscribeCovPropGetIssueConfirmed, SC, 0, r->issue_confirmed)
RECORD_SET(VelmoraSubscribeCovPropSetIssueConfirmed, SC, uint8_t,
           r->flags |= VELMORA_SUBSCRIBE_HAS_CONFIRMED, r->issue_confirmed = v)
RECORD_GET(bool, VelmoraSubscribeCovPropHasLifetime, SC, false,
           (r->flags & VELMORA_SUBSCRIBE_HAS_LIFETIME) != 0)
RECORD_GET(uint32_t, VelmoraSubscribeCovPropGetLifetime, SC, -1,
           (r->flags & VELMORA_SUBSCRIBE_HAS_LIFETIME) ? r->lifetime : 0)
bool VelmoraSubscribeCovPropSetLifetime(SC* s, uint32_t seconds) {
  if (!s) return false;
  if (seconds == 0) {
    s->flags &= ~VELMORA_SUBSCRIBE_HAS_LIFETIME;
  } else {
    s->flags |= VELMORA_SUBSCRIBE_HAS_LIFETIME;
    s->lifetime = seconds;
  }
  return true;
}
RECORD_ADDRESS(VelmoraPropRef, VelmoraSubscribeCovPropGetPropertyRef, SC, r->property_ref)
RECORD_PUT(VelmoraSubscribeCovPropSetPropertyRef, SC, VelmoraPropRef, r->property_ref = *v)
RECORD_GET(bool, VelmoraSubscribeCovPropHasIncrement, SC, false,
           (r->flags & VELMORA_SUBSCRIBE_HAS_INCREMENT) != 0)
RECORD_GET(float, VelmoraSubscribeCovPropGetIncrement, SC, 0, r->increment)
RECORD_SET(VelmoraSubscribeCovPropSetIncrement, SC, float,
           r->flags |= VELMORA_SUBSCRIBE_HAS_INCREMENT, r->increment = v)
RECORD_COPY(VelmoraSubscribeCovPropCopy, SC)
