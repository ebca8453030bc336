// The service hook interface: the descriptor of each hook id, and the
// registration of the application's handlers in the dispatch's tables.
#include <array>

#include "bacnet/asn_event_notif.h"
#include "bacnet/asn_hook_requests.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_status.h"
#include "runtime/apil/apil.h"
#include "runtime/apil/apil_dispatch.h"

namespace {

int32_t IAmDecode(AsnCursor* cursor, void* out, uint8_t**) { return AsnDecodeIAm(cursor, out); }

template <void (*Decode)(AsnCursor*, void*, uint8_t**)>
int32_t ArenaDecode(AsnCursor* cursor, void* out, uint8_t** arena) {
  Decode(cursor, out, arena);
  return ASN_OK;
}

constexpr VelmoraHookDescriptor kNone = {0, nullptr, nullptr, APIL_NO_SERVICE,
                                         APIL_TABLE_UNCONFIRMED};

template <typename R>
constexpr VelmoraHookDescriptor Hook(uint8_t table, uint8_t service,
                                     uint32_t (*size)(const uint8_t*, uint32_t),
                                     int32_t (*decode)(AsnCursor*, void*, uint8_t**)) {
  return {uint32_t(sizeof(R)), size, decode, service, table};
}

constexpr uint8_t kC = APIL_TABLE_CONFIRMED;
constexpr uint8_t kU = APIL_TABLE_UNCONFIRMED;

struct HookRow {
  uint32_t hook;
  VelmoraHookDescriptor descriptor;
};

constexpr HookRow kRows[] = {
    {8, Hook<VelmoraIAmRequest>(kU, 0, nullptr, IAmDecode)},
    {9, Hook<VelmoraIHaveRequest>(kU, 1, AsnDecodedSizeIHave, AsnDecodeIHave)},
    {11, Hook<VelmoraCovNotifRequest>(kC, 1, AsnDecodedSizeCovNotif, AsnDecodeCovNotif)},
    {12, Hook<VelmoraCovNotifRequest>(kU, 2, AsnDecodedSizeCovNotif, AsnDecodeCovNotif)},
    {13, Hook<VelmoraEventNotifRequest>(kC, 2, AsnDecodedSizeEventNotifRequest,
                                        ArenaDecode<AsnDecodeEventNotifRequest>)},
    {14, Hook<VelmoraEventNotifRequest>(kU, 3, AsnDecodedSizeEventNotifRequest,
                                        ArenaDecode<AsnDecodeEventNotifRequest>)},
    {25, Hook<VelmoraPrivateTransfer>(kU, 4, AsnDecodedSizePrivateTransfer,
                                      AsnDecodePrivateTransferArena)},
    {35,
     Hook<VelmoraEventNotif>(kC, 2, AsnDecodedSizeEventNotif, ArenaDecode<AsnDecodeEventNotif>)},
    {36,
     Hook<VelmoraEventNotif>(kU, 3, AsnDecodedSizeEventNotif, ArenaDecode<AsnDecodeEventNotif>)},
};

// Every id its row, the rest none.
constexpr std::array<VelmoraHookDescriptor, APIL_HOOK_IDS> ByHook() {
  std::array<VelmoraHookDescriptor, APIL_HOOK_IDS> hooks{};
  hooks.fill(kNone);
  for (const HookRow& row : kRows)
    hooks[row.hook] = row.descriptor;
  return hooks;
}
constexpr std::array<VelmoraHookDescriptor, APIL_HOOK_IDS> kHooks = ByHook();

// The descriptor of a hook id that names a service, or the status that
// refuses it.
VelmoraStatus Checked(uint32_t hook, const VelmoraHookDescriptor** descriptor) {
  if (hook >= APIL_HOOK_IDS) return VELMORA_STATUS_INVALID_PARAMETER;
  if (kHooks[hook].service == APIL_NO_SERVICE) return VELMORA_STATUS_NOT_SUPPORTED;
  *descriptor = &kHooks[hook];
  return VELMORA_STATUS_OK;
}

}  // namespace

VelmoraStatus VelmoraSetServiceHook(uint32_t hook, VelmoraServiceHook handler) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  const VelmoraHookDescriptor* d = nullptr;
  if (VelmoraStatus status = Checked(hook, &d)) return status;
  ApilHandlerSet(d, handler);
  return VELMORA_STATUS_OK;
}

VelmoraStatus VelmoraGetServiceHook(uint32_t hook, VelmoraServiceHook* handler) {
  ApilCall call;
  if (!call) return VELMORA_STATUS_NOT_INITIALIZED;
  const VelmoraHookDescriptor* d = nullptr;
  if (VelmoraStatus status = Checked(hook, &d)) return status;
  if (!handler) return VELMORA_STATUS_INVALID_PARAMETER;
  const ApilHandlerRow row = ApilHandlerGet(d->table, d->service);
  *handler = row.descriptor == d ? row.handler : nullptr;
  return VELMORA_STATUS_OK;
}
