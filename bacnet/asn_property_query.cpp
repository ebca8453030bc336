// The property datatype query as the library's users get it: it answers
// only while the library is started, which the interface tells it, so that
// the text utilities keep that rule without the runtime.
#include <atomic>

#include "bacnet/asn_property.h"

namespace {

std::atomic<bool> g_open{false};

}  // namespace

void AsnPropertyQueryOpen(bool open) { g_open.store(open); }

int32_t AsnPropertyQuery(uint32_t objectType, uint32_t property, int32_t* kind) {
  return g_open.load() ? AsnPropertyDatatype(objectType, property, kind) : -1;
}
