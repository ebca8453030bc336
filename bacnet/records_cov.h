// COV subscription (an entry of a device's active subscriptions) and the
// parameters of a SubscribeCOVProperty request. Their optional fields are
// governed by bits of a leading flags word. Neither holds a pointer.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "bacnet/records_refs.h"

inline constexpr uint32_t VELMORA_COV_HAS_INCREMENT = 0x01;

struct VelmoraCovSubscription {
  uint32_t flags;  // VELMORA_COV_HAS_INCREMENT
  VelmoraRecipientProcess recipient;
  VelmoraObjPropRef monitored_ref;
  uint8_t issue_confirmed;
  uint32_t time_remaining;  // seconds
  float increment;
};

inline constexpr uint32_t VELMORA_SUBSCRIBE_HAS_CONFIRMED = 0x01;
inline constexpr uint32_t VELMORA_SUBSCRIBE_HAS_LIFETIME = 0x02;
inline constexpr uint32_t VELMORA_SUBSCRIBE_HAS_INCREMENT = 0x04;

// A request with neither the issue-confirmed nor the lifetime flag is a
// cancellation.
struct VelmoraSubscribeCovProp {
  uint32_t flags;  // VELMORA_SUBSCRIBE_*
  uint32_t process_id;
  VelmoraObjectId object_id;
  uint8_t issue_confirmed;
  uint32_t lifetime;  // seconds
  VelmoraPropRef property_ref;
  float increment;
};

// COV subscription. Once set, the increment stays present.
bool VelmoraCovSubscriptionInit(VelmoraCovSubscription* c, const VelmoraRecipientProcess* recipient,
                                const VelmoraObjPropRef* monitored_ref, uint8_t issue_confirmed,
                                uint32_t time_remaining);
VelmoraRecipientProcess* VelmoraCovSubscriptionGetRecipientProcess(VelmoraCovSubscription* c);
const VelmoraRecipientProcess* VelmoraCovSubscriptionGetRecipientProcess(
    const VelmoraCovSubscription* c);
bool VelmoraCovSubscriptionSetRecipientProcess(VelmoraCovSubscription* c,
                                               const VelmoraRecipientProcess* recipient);
VelmoraObjPropRef* VelmoraCovSubscriptionGetMonitoredRef(VelmoraCovSubscription* c);
const VelmoraObjPropRef* VelmoraCovSubscriptionGetMonitoredRef(const VelmoraCovSubscription* c);
bool VelmoraCovSubscriptionSetMonitoredRef(VelmoraCovSubscription* c, const VelmoraObjPropRef* ref);
uint8_t VelmoraCovSubscriptionGetIssueConfirmed(const VelmoraCovSubscription* c);
bool VelmoraCovSubscriptionSetIssueConfirmed(VelmoraCovSubscription* c, uint8_t issue_confirmed);
uint32_t VelmoraCovSubscriptionGetTimeRemaining(const VelmoraCovSubscription* c);
bool VelmoraCovSubscriptionSetTimeRemaining(VelmoraCovSubscription* c, uint32_t seconds);
bool VelmoraCovSubscriptionHasIncrement(const VelmoraCovSubscription* c);
float VelmoraCovSubscriptionGetIncrement(const VelmoraCovSubscription* c);
bool VelmoraCovSubscriptionSetIncrement(VelmoraCovSubscription* c, float increment);
bool VelmoraCovSubscriptionCopy(VelmoraCovSubscription* dst, const VelmoraCovSubscription* src);

// SubscribeCOVProperty parameters. Init with lifetime 0 subscribes without
// a lifetime and leaves the lifetime field as it was; the getters of the
// issue-confirmed byte and the increment do not look at their flags.
bool VelmoraSubscribeCovPropInit(VelmoraSubscribeCovProp* s, uint32_t process_id,
                                 const VelmoraObjectId* object_id, uint8_t issue_confirmed,
                                 uint32_t lifetime, const VelmoraPropRef* property_ref);
bool VelmoraSubscribeCovPropInitCancel(VelmoraSubscribeCovProp* s, uint32_t process_id,
                                       const VelmoraObjectId* object_id,
                                       const VelmoraPropRef* property_ref);
bool VelmoraSubscribeCovPropIsSubscription(const VelmoraSubscribeCovProp* s);
uint32_t VelmoraSubscribeCovPropGetProcessId(const VelmoraSubscribeCovProp* s);
bool VelmoraSubscribeCovPropSetProcessId(VelmoraSubscribeCovProp* s, uint32_t process_id);
VelmoraObjectId* VelmoraSubscribeCovPropGetObjectId(VelmoraSubscribeCovProp* s);
const VelmoraObjectId* VelmoraSubscribeCovPropGetObjectId(const VelmoraSubscribeCovProp* s);
bool VelmoraSubscribeCovPropSetObjectId(VelmoraSubscribeCovProp* s,
                                        const VelmoraObjectId* object_id);
bool VelmoraSubscribeCovPropHasIssueConfirmed(const VelmoraSubscribeCovProp* s);
uint8_t VelmoraSubscribeCovPropGetIssueConfirmed(const VelmoraSubscribeCovProp* s);
bool VelmoraSubscribeCovPropSetIssueConfirmed(VelmoraSubscribeCovProp* s, uint8_t issue_confirmed);
bool VelmoraSubscribeCovPropHasLifetime(const VelmoraSubscribeCovProp* s);
uint32_t VelmoraSubscribeCovPropGetLifetime(const VelmoraSubscribeCovProp* s);  // 0 without
// A lifetime of 0 clears the lifetime flag.
bool VelmoraSubscribeCovPropSetLifetime(VelmoraSubscribeCovProp* s, uint32_t seconds);
VelmoraPropRef* VelmoraSubscribeCovPropGetPropertyRef(VelmoraSubscribeCovProp* s);
const VelmoraPropRef* VelmoraSubscribeCovPropGetPropertyRef(const VelmoraSubscribeCovProp* s);
bool VelmoraSubscribeCovPropSetPropertyRef(VelmoraSubscribeCovProp* s,
                                           const VelmoraPropRef* property_ref);
bool VelmoraSubscribeCovPropHasIncrement(const VelmoraSubscribeCovProp* s);
float VelmoraSubscribeCovPropGetIncrement(const VelmoraSubscribeCovProp* s);
bool VelmoraSubscribeCovPropSetIncrement(VelmoraSubscribeCovProp* s, float increment);
bool VelmoraSubscribeCovPropCopy(VelmoraSubscribeCovProp* dst, const VelmoraSubscribeCovProp* src);
