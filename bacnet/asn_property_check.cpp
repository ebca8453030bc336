// Property datatypes and value checks over the schema rows the property
// tables name.
#include "bacnet/asn_check.h"
#include "bacnet/asn_datatype_code.h"
#include "bacnet/asn_property.h"
#include "bacnet/asn_schema.h"
#include "bacnet/asn_status.h"

namespace {

int16_t RowDatatype(uint32_t row) {
  return row < AsnSchemaRowCount ? AsnSchemaTable[row].datatype : int16_t(ASN_TYPE_NONE);
}

// Check results as the statuses a property value is refused with.
int MapCheckResult(uint32_t result) {
  switch (result) {
    case AsnCheckOk:
      return ASN_OK;
    case AsnCheckUnknownService:
    case AsnCheckUnsupported:
      return ASN_UNSUPPORTED;
    case AsnCheckCharset:
      return ASN_BAD_CHARSET;
    case AsnCheckOutOfRange:
    case AsnCheckEnumeration:
      return ASN_OUT_OF_RANGE;
    case AsnCheckTooDeep:
      return ASN_TOO_DEEP;
    default:
      return ASN_BAD_DATATYPE;
  }
}

int32_t FirstTagNumber(const AsnPropertyCheck* check) {
  return check->length != 0 ? check->data[0] >> 4 : 0;
}

int CheckValue(AsnPropertyCheck* check, int32_t* datatype) {
  *datatype = ASN_TYPE_RAW_PROPRIETARY;
  check->consumed = 0;
  uint32_t row = AsnTypeCodeRow(check->typeCode);
  if (row >= AsnSchemaRowCount) return ASN_BAD_DATATYPE;
  AsnCheckReader reader;
  AsnCheckReaderInit(&reader, check->data, check->length);
  uint32_t result;
  if (check->typeCode & kAsnPropArray) {
    result = AsnCheckType(&reader, row, check->arrayIndex);
  } else if (check->arrayIndex != -1) {
    return ASN_NOT_AN_ARRAY;
  } else if ((check->typeCode & kAsnPropMayBeNull) && check->length != 0 &&
             check->data[0] == 0x00) {
    check->consumed = 1;
    *datatype = ASN_TYPE_NULL;
    return ASN_OK;
  } else if (check->typeCode & kAsnPropList) {
    result = AsnCheckSequenceOf(&reader, row);
  } else {
    result = AsnCheckElement(&reader, row);
  }
  if (result != AsnCheckOk) return MapCheckResult(result);
  check->consumed = check->length - reader.remaining;
  *datatype = RowDatatype(row);
  return ASN_OK;
}

}  // namespace

int16_t AsnSchemaDatatype(uint32_t typeCode) { return RowDatatype(AsnTypeCodeRow(typeCode)); }

bool AsnSchemaIsPrimitive(uint32_t row) {
  return row < AsnSchemaRowCount && (AsnSchemaTable[row].tagKind & AsnKindMask) == AsnKindPrimitive;
}

int32_t AsnPropertyDatatype(uint32_t objectType, uint32_t property, int32_t* kind) {
  uint16_t code = AsnPropertyTypeCode(objectType, property);
  if (code == 0) return -1;
  uint32_t row = AsnTypeCodeRow(code);
  bool wrapper = AsnSchemaSeqOfRow(row) != 0;
  if (kind) {
    if (code & kAsnPropArray)
      *kind = wrapper ? 3 : 1;
    else
      *kind = (code & kAsnPropList) || wrapper ? 2 : 0;
    if (code & kAsnPropOptional) *kind |= 4;
  }
  return RowDatatype(row);
}

int AsnCheckPropertyValue(AsnPropertyCheck* check, int32_t* datatype) {
  return CheckValue(check, datatype);
}

int AsnCheckPropertyDatatype(AsnPropertyCheck* check, int32_t* datatype) {
  int status = CheckValue(check, datatype);
  if (status != ASN_OK) return status;
  if ((check->typeCode & kAsnPropArray) && check->arrayIndex == 0)
    *datatype = ASN_TYPE_UNSIGNED;
  else if (*datatype == ASN_TYPE_ANY)
    *datatype = FirstTagNumber(check);
  return ASN_OK;
}

int AsnCheckListElement(AsnPropertyCheck* check, int32_t* datatype) {
  check->consumed = 0;
  *datatype = ASN_TYPE_RAW_PROPRIETARY;
  uint32_t row = AsnTypeCodeRow(check->typeCode);
  uint32_t element;
  if (check->typeCode & kAsnPropArray) {
    if (check->arrayIndex == 0 || check->arrayIndex == -1) return ASN_BAD_ARRAY_INDEX;
    element = AsnSchemaSeqOfRow(row);
  } else if (check->typeCode & kAsnPropList) {
    element = row;
  } else {
    element = AsnSchemaSeqOfRow(row);
  }
  if (element == 0 || element >= AsnSchemaRowCount) return ASN_NOT_A_LIST;
  if (check->length != 0) {
    AsnCheckReader reader;
    AsnCheckReaderInit(&reader, check->data, check->length);
    if (uint32_t result = AsnCheckElement(&reader, element)) return MapCheckResult(result);
    check->consumed = check->length - reader.remaining;
  }
  *datatype = RowDatatype(element);
  if (*datatype == ASN_TYPE_ANY) *datatype = FirstTagNumber(check);
  return ASN_OK;
}

uint32_t AsnListElementLength(AsnPropertyCheck* check) {
  int32_t datatype;
  return AsnCheckListElement(check, &datatype) == ASN_OK ? check->consumed : 0;
}
