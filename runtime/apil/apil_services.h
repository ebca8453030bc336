// The service descriptor rows and encoders the interface hands to the
// transaction layer.
#pragma once

#include "bacnet/asn_read_multi.h"
#include "bacnet/asn_service.h"
#include "bacnet/asn_tag.h"
#include "runtime/tsml/tsml_types.h"

// Fits a codec encoder to the transaction layer's stream.
template <AsnEncoder F>
int ApilStreamEncode(const void* request, TsmlStream* stream) {
  AsnCursor cursor = {stream->cursor, stream->end};
  int32_t status = F(request, &cursor);
  stream->cursor = cursor.current;
  return status;
}

// ReadProperty of a VelmoraObjPropRef.
inline constexpr TsmlServiceDescriptor APIL_READ_PROPERTY_SERVICE = {
    BACNET_SERVICE_READ_PROPERTY, AsnSizeReadProperty, ApilStreamEncode<AsnEncodeReadProperty>};
// ReadPropertyMultiple of a VelmoraReadMultiRequest.
inline constexpr TsmlServiceDescriptor APIL_READ_PROPERTY_MULTIPLE_SERVICE = {
    BACNET_SERVICE_READ_PROPERTY_MULTIPLE, AsnSizeReadMultiRequest,
    ApilStreamEncode<AsnEncodeReadMultiRequest>};
