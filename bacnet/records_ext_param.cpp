// The two extended-parameter elements: the event parameters' and the
// notification parameters'. They share every alternative but the last (a
// device-object-property reference, code 37, against a value, code 46), so
// one list of accessors serves both.
#include "bacnet/record_accessors.h"
#include "bacnet/records_event_param.h"
#include "bacnet/records_notif_param.h"

#define EXT_PARAM_SCALARS(E, Prefix)                                                           \
  RECORD_DO(Prefix##SetNull, E, r->type = 0)                                                   \
  RECORD_SET(Prefix##SetReal, E, float, r->type = 4, r->value.real = v)                        \
  RECORD_SET(Prefix##SetUnsigned, E, uint32_t, r->type = 2, r->value.unsigned_value = v)       \
  RECORD_SET(Prefix##SetBoolean, E, uint8_t, r->type = 1, r->value.boolean = v)                \
  RECORD_SET(Prefix##SetDouble, E, double, r->type = 5, r->value.double_value = v)             \
  RECORD_PUT(Prefix##SetOctetString, E, VelmoraOctetString, r->type = 6,                       \
             r->value.octet_string = *v)                                                       \
  RECORD_PUT(Prefix##SetBitString, E, VelmoraBitString, r->type = 8, r->value.bit_string = *v) \
  RECORD_SET(Prefix##SetEnumerated, E, uint32_t, r->type = 9, r->value.unsigned_value = v)     \
  RECORD_GET(uint32_t, Prefix##GetType, E, -1, r->type)                                        \
  RECORD_GET(float, Prefix##GetReal, E, 0, r->value.real)                                      \
  RECORD_GET(uint32_t, Prefix##GetUnsigned, E, 0, r->value.unsigned_value)                     \
  RECORD_GET(uint8_t, Prefix##GetBoolean, E, 0, r->value.boolean)                              \
  RECORD_GET(double, Prefix##GetDouble, E, 0, r->value.double_value)                           \
  RECORD_ADDRESS(VelmoraOctetString, Prefix##GetOctetString, E, r->value.octet_string)         \
  RECORD_ADDRESS(VelmoraBitString, Prefix##GetBitString, E, r->value.bit_string)               \
  RECORD_GET(uint32_t, Prefix##GetEnumerated, E, -1, r->value.unsigned_value)

EXT_PARAM_SCALARS(VelmoraExtParam, VelmoraExtParam)
RECORD_PUT(VelmoraExtParamSetReference, VelmoraExtParam, VelmoraDevObjPropRef, r->type = 37,
           r->value.reference = *v)
RECORD_ADDRESS(VelmoraDevObjPropRef, VelmoraExtParamGetReference, VelmoraExtParam,
               r->value.reference)

EXT_PARAM_SCALARS(VelmoraNotifExtParam, VelmoraNotifExtParam)
RECORD_PUT(VelmoraNotifExtParamSetPropertyValue, VelmoraNotifExtParam, VelmoraDevObjPropValue,
           r->type = 46, r->value.property_value = *v)
RECORD_ADDRESS(VelmoraDevObjPropValue, VelmoraNotifExtParamGetPropertyValue, VelmoraNotifExtParam,
               r->value.property_value)
