// One pass over a ReadPropertyMultiple acknowledgement's service data that
// checks it and, with a walk, types and measures every value into it, so
// that measuring the list afterwards looks nothing up again and decoding
// it finds each value's datatype and size kept.
//
// The pass takes only the common form of the octets, each part of which
// the syntax checker accepts exactly as read here; it declines anything
// else, and the checker then decides. A value's own octets are stepped
// over as the checker steps over any value, whatever they hold.
#pragma once

#include <cstdint>

#include "bacnet/asn_value_walk.h"

// True when the octets are an acceptable acknowledgement (the checker
// would answer 0); false when the pass declines them. With a walk, an
// accepted list is noted there as measured for ASN_TYPE_READ_ACCESS_RESULT,
// with each list of results' count and each value as measured.
bool AsnScanReadMultiAck(const uint8_t* data, uint32_t length, AsnValueWalk* walk);
