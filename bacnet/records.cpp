#include "bacnet/records.h"

#include <algorithm>
#include <cstring>

#include "bacnet/record_accessors.h"

// Bit string. The bit number is checked against the ten bytes as well as
// the count, since the count field can be set past 80 by hand.

bool VelmoraBitStringInit(VelmoraBitString* bs, uint32_t count) {
  if (!bs || count > VELMORA_BIT_STRING_MAX_BITS) return false;
  bs->count = count;
  std::memset(bs->bits, 0, sizeof bs->bits);
  return true;
}

bool VelmoraBitStringSetLength(VelmoraBitString* bs, uint32_t count) {
  if (!bs || count > VELMORA_BIT_STRING_MAX_BITS) return false;
  bs->count = count;
  return true;
}

uint32_t VelmoraBitStringGetLength(const VelmoraBitString* bs) { return bs ? bs->count : 0; }

bool VelmoraBitStringSetBits(VelmoraBitString* bs, const uint8_t* source) {
  if (!bs || !source) return false;
  uint32_t count = std::min(bs->count, VELMORA_BIT_STRING_MAX_BITS);
  uint32_t bytes = (count + 7) / 8;
  std::memcpy(bs->bits, source, bytes);
  uint32_t used = count % 8;
  if (used != 0) {
    bs->bits[bytes - 1] &= uint8_t(0xFF << (8 - used));
  } else if (bytes < VELMORA_BIT_STRING_BYTES) {
    bs->bits[bytes] = 0;
  }
  return true;
}

const uint8_t* VelmoraBitStringGetBits(const VelmoraBitString* bs) {
  return bs ? bs->bits : nullptr;
}

bool VelmoraBitStringSetBit(VelmoraBitString* bs, uint32_t n, uint8_t value) {
  if (!bs || n >= bs->count || n >= VELMORA_BIT_STRING_MAX_BITS) return false;
  uint8_t mask = uint8_t(0x80 >> (n % 8));
  if (value != 0) {
    bs->bits[n / 8] |= mask;
  } else {
    bs->bits[n / 8] &= uint8_t(~mask);
  }
  return true;
}

bool VelmoraBitStringGetBit(const VelmoraBitString* bs, uint32_t n) {
  if (!bs || n >= bs->count || n >= VELMORA_BIT_STRING_MAX_BITS) return false;
  return (bs->bits[n / 8] & (0x80 >> (n % 8))) != 0;
}

bool VelmoraBitStringCopy(VelmoraBitString* dst, const VelmoraBitString* src) {
  return CopyRecord(dst, src);
}

// Network address. A MAC longer than the record holds, or a missing MAC
// with a non-zero length, is refused rather than cut.

namespace {

bool MacValid(const uint8_t* mac, uint8_t mac_length) {
  return mac_length <= VELMORA_MAC_MAX && (mac || mac_length == 0);
}

void StoreAddress(VelmoraAddress* a, uint8_t remote, uint16_t network, const uint8_t* mac,
                  uint8_t mac_length) {
  a->remote = remote;
  a->network = network;
  a->mac_length = mac_length;
  if (mac_length) std::memcpy(a->mac, mac, mac_length);
}

}  // namespace

bool VelmoraAddressInitLocal(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length) {
  if (!a || !MacValid(mac, mac_length)) return false;
  StoreAddress(a, 0, 0, mac, mac_length);
  return true;
}

bool VelmoraAddressInitRemote(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length,
                              uint16_t network) {
  if (!a || !MacValid(mac, mac_length)) return false;
  StoreAddress(a, 1, network, mac, mac_length);
  return true;
}

bool VelmoraAddressInitLocalBroadcast(VelmoraAddress* a) {
  if (!a) return false;
  StoreAddress(a, 0, 0, nullptr, 0);
  return true;
}

bool VelmoraAddressInitRemoteBroadcast(VelmoraAddress* a, uint16_t network) {
  if (!a) return false;
  StoreAddress(a, 1, network, nullptr, 0);
  return true;
}

bool VelmoraAddressInitGlobalBroadcast(VelmoraAddress* a) {
  if (!a) return false;
  StoreAddress(a, 1, VELMORA_GLOBAL_NETWORK, nullptr, 0);
  return true;
}

bool VelmoraAddressIsLocal(const VelmoraAddress* a) { return a && a->remote == 0; }
bool VelmoraAddressIsRemote(const VelmoraAddress* a) {
  return a && a->remote != 0 && a->network != VELMORA_GLOBAL_NETWORK;
}
bool VelmoraAddressIsGlobalBroadcast(const VelmoraAddress* a) {
  return a && a->remote != 0 && a->network == VELMORA_GLOBAL_NETWORK;
}
bool VelmoraAddressIsBroadcast(const VelmoraAddress* a) { return a && a->mac_length == 0; }

bool VelmoraAddressSetMac(VelmoraAddress* a, const uint8_t* mac, uint8_t mac_length) {
  if (!a || !MacValid(mac, mac_length)) return false;
  // A station address on the global broadcast network means a local one.
  if (mac_length != 0 && VelmoraAddressIsGlobalBroadcast(a)) {
    a->remote = 0;
    a->network = 0;
  }
  a->mac_length = mac_length;
  if (mac_length) std::memcpy(a->mac, mac, mac_length);
  return true;
}

const uint8_t* VelmoraAddressGetMac(const VelmoraAddress* a) { return a ? a->mac : nullptr; }
uint8_t VelmoraAddressGetMacLength(const VelmoraAddress* a) { return a ? a->mac_length : 0; }

bool VelmoraAddressSetNetwork(VelmoraAddress* a, uint16_t network) {
  if (!a) return false;
  a->remote = network != 0;
  a->network = network;
  if (network == VELMORA_GLOBAL_NETWORK) a->mac_length = 0;
  return true;
}

uint16_t VelmoraAddressGetNetwork(const VelmoraAddress* a) { return a ? a->network : 0; }
bool VelmoraAddressCopy(VelmoraAddress* dst, const VelmoraAddress* src) {
  return CopyRecord(dst, src);
}

// Error pair.

bool VelmoraErrorInit(VelmoraError* e, uint32_t error_class, uint32_t error_code) {
  if (!e) return false;
  e->error_class = error_class;
  e->error_code = error_code;
  return true;
}
uint32_t VelmoraErrorGetClass(const VelmoraError* e) { return e ? e->error_class : UINT32_MAX; }
bool VelmoraErrorSetClass(VelmoraError* e, uint32_t error_class) {
  if (!e) return false;
  e->error_class = error_class;
  return true;
}
uint32_t VelmoraErrorGetCode(const VelmoraError* e) { return e ? e->error_code : UINT32_MAX; }
bool VelmoraErrorSetCode(VelmoraError* e, uint32_t error_code) {
  if (!e) return false;
  e->error_code = error_code;
  return true;
}
bool VelmoraErrorCopy(VelmoraError* dst, const VelmoraError* src) { return CopyRecord(dst, src); }

// Request failure. Abort and reject leave the code field as it was.

bool VelmoraFailureInitError(VelmoraFailure* f, uint32_t error_class, uint32_t error_code) {
  if (!f) return false;
  f->kind = VELMORA_FAILURE_ERROR;
  f->reason = error_class;
  f->error_code = error_code;
  return true;
}
bool VelmoraFailureInitAbort(VelmoraFailure* f, uint32_t reason) {
  if (!f) return false;
  f->kind = VELMORA_FAILURE_ABORT;
  f->reason = reason;
  return true;
}
bool VelmoraFailureInitReject(VelmoraFailure* f, uint32_t reason) {
  if (!f) return false;
  f->kind = VELMORA_FAILURE_REJECT;
  f->reason = reason;
  return true;
}
uint32_t VelmoraFailureGetKind(const VelmoraFailure* f) { return f ? f->kind : UINT32_MAX; }
bool VelmoraFailureSetError(VelmoraFailure* f, uint32_t error_class, uint32_t error_code) {
  return VelmoraFailureInitError(f, error_class, error_code);
}
uint32_t VelmoraFailureGetErrorClass(const VelmoraFailure* f) { return f ? f->reason : UINT32_MAX; }
uint32_t VelmoraFailureGetErrorCode(const VelmoraFailure* f) {
  return f ? f->error_code : UINT32_MAX;
}
bool VelmoraFailureSetAbort(VelmoraFailure* f, uint32_t reason) {
  return VelmoraFailureInitAbort(f, reason);
}
uint32_t VelmoraFailureGetAbortReason(const VelmoraFailure* f) {
  return f ? f->reason : UINT32_MAX;
}
bool VelmoraFailureSetReject(VelmoraFailure* f, uint32_t reason) {
  return VelmoraFailureInitReject(f, reason);
}
uint32_t VelmoraFailureGetRejectReason(const VelmoraFailure* f) {
  return f ? f->reason : UINT32_MAX;
}
bool VelmoraFailureCopy(VelmoraFailure* dst, const VelmoraFailure* src) {
  return CopyRecord(dst, src);
}
void FailureCopy(const VelmoraFailure* source, VelmoraFailure* destination) {
  CopyRecord(destination, source);
}

// Time.

bool VelmoraTimeInit(VelmoraTime* t, uint8_t hour, uint8_t minute, uint8_t second,
                     uint8_t hundredths) {
  if (!t) return false;
  *t = {hour, minute, second, hundredths};
  return true;
}
bool VelmoraTimeSetHour(VelmoraTime* t, uint8_t hour) {
  if (!t) return false;
  t->hour = hour;
  return true;
}
uint8_t VelmoraTimeGetHour(const VelmoraTime* t) { return t ? t->hour : 255; }
bool VelmoraTimeSetMinute(VelmoraTime* t, uint8_t minute) {
  if (!t) return false;
  t->minute = minute;
  return true;
}
uint8_t VelmoraTimeGetMinute(const VelmoraTime* t) { return t ? t->minute : 255; }
bool VelmoraTimeSetSecond(VelmoraTime* t, uint8_t second) {
  if (!t) return false;
  t->second = second;
  return true;
}
uint8_t VelmoraTimeGetSecond(const VelmoraTime* t) { return t ? t->second : 255; }
bool VelmoraTimeSetHundredths(VelmoraTime* t, uint8_t hundredths) {
  if (!t) return false;
  t->hundredths = hundredths;
  return true;
}
uint8_t VelmoraTimeGetHundredths(const VelmoraTime* t) { return t ? t->hundredths : 255; }
bool VelmoraTimeCopy(VelmoraTime* dst, const VelmoraTime* src) { return CopyRecord(dst, src); }

// DBCS text.

bool VelmoraDbcsStringInit(VelmoraDbcsString* s, uint16_t code_page, const char* text) {
  if (!s || !text) return false;
  s->code_page = code_page;
  s->text = text;
  return true;
}
bool VelmoraDbcsStringSetCodePage(VelmoraDbcsString* s, uint16_t code_page) {
  if (!s) return false;
  s->code_page = code_page;
  return true;
}
uint16_t VelmoraDbcsStringGetCodePage(const VelmoraDbcsString* s) { return s ? s->code_page : 0; }
bool VelmoraDbcsStringSetData(VelmoraDbcsString* s, const char* text) {
  if (!s || !text) return false;
  s->text = text;
  return true;
}
const char* VelmoraDbcsStringGetData(const VelmoraDbcsString* s) { return s ? s->text : nullptr; }
bool VelmoraDbcsStringCopy(VelmoraDbcsString* dst, const VelmoraDbcsString* src) {
  return CopyRecord(dst, src);
}

// Character string.

namespace {

bool InitCharString(VelmoraCharString* s, uint8_t charset, uint16_t code_page, const char* text,
                    int32_t length, int32_t unit) {
  if (!s || !text) return false;
  if (length != -1 && length % unit != 0) return false;
  s->text = text;
  s->length = length;
  s->code_page = code_page;
  s->charset = charset;
  return true;
}

const char* TextIn(const VelmoraCharString* s, uint8_t charset) {
  return s && s->charset == charset ? s->text : nullptr;
}

}  // namespace

bool VelmoraCharStringInitAnsi(VelmoraCharString* s, const char* text, int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_ANSI, 0, text, length, 1);
}
bool VelmoraCharStringInitDbcs(VelmoraCharString* s, uint16_t code_page, const char* text,
                               int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_DBCS, code_page, text, length, 1);
}
bool VelmoraCharStringInitJis(VelmoraCharString* s, const char* text, int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_JIS, 0, text, length, 1);
}
bool VelmoraCharStringInitUcs4(VelmoraCharString* s, const char* text, int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_UCS4, 0, text, length, 4);
}
bool VelmoraCharStringInitUcs2(VelmoraCharString* s, const char* text, int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_UCS2, 0, text, length, 2);
}
bool VelmoraCharStringInitIso8859(VelmoraCharString* s, const char* text, int32_t length) {
  return InitCharString(s, VELMORA_CHARSET_ISO8859, 0, text, length, 1);
}
int32_t VelmoraCharStringGetCharset(const VelmoraCharString* s) { return s ? s->charset : -1; }
uint16_t VelmoraCharStringGetCodePage(const VelmoraCharString* s) {
  return s && s->charset == VELMORA_CHARSET_DBCS ? s->code_page : 0;
}
const char* VelmoraCharStringGetData(const VelmoraCharString* s) { return s ? s->text : nullptr; }
const char* VelmoraCharStringGetAnsi(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_ANSI);
}
const char* VelmoraCharStringGetDbcs(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_DBCS);
}
const char* VelmoraCharStringGetJis(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_JIS);
}
const char* VelmoraCharStringGetUcs4(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_UCS4);
}
const char* VelmoraCharStringGetUcs2(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_UCS2);
}
const char* VelmoraCharStringGetIso8859(const VelmoraCharString* s) {
  return TextIn(s, VELMORA_CHARSET_ISO8859);
}
int32_t VelmoraCharStringGetLength(const VelmoraCharString* s) { return s ? s->length : 0; }
bool VelmoraCharStringCopy(VelmoraCharString* dst, const VelmoraCharString* src) {
  return CopyRecord(dst, src);
}

// Date.

bool VelmoraDateInit(VelmoraDate* d, uint16_t year, uint32_t month, uint8_t day) {
  if (!d) return false;
  *d = {year, month, day, 0};
  return true;
}
bool VelmoraDateSetYear(VelmoraDate* d, uint16_t year) {
  if (!d) return false;
  d->year = year;
  return true;
}
uint16_t VelmoraDateGetYear(const VelmoraDate* d) { return d ? d->year : 0xFFFF; }
bool VelmoraDateSetMonth(VelmoraDate* d, uint32_t month) {
  if (!d) return false;
  d->month = month;
  return true;
}
uint32_t VelmoraDateGetMonth(const VelmoraDate* d) { return d ? d->month : 0; }
bool VelmoraDateSetDay(VelmoraDate* d, uint8_t day) {
  if (!d) return false;
  d->day = day;
  return true;
}
uint8_t VelmoraDateGetDay(const VelmoraDate* d) { return d ? d->day : 255; }
bool VelmoraDateSetDayOfWeek(VelmoraDate* d, uint32_t day_of_week) {
  if (!d) return false;
  d->day_of_week = day_of_week;
  return true;
}
uint32_t VelmoraDateGetDayOfWeek(const VelmoraDate* d) { return d ? d->day_of_week : 0; }
bool VelmoraDateCopy(VelmoraDate* dst, const VelmoraDate* src) { return CopyRecord(dst, src); }

// Date-time.

bool VelmoraDateTimeInit(VelmoraDateTime* dt) {
  if (!dt) return false;
  dt->date = {0xFFFF, 0, 255, 0};
  dt->time = {255, 255, 255, 255};
  return true;
}
bool VelmoraDateTimeSetDate(VelmoraDateTime* dt, uint16_t year, uint32_t month, uint8_t day) {
  return dt && VelmoraDateInit(&dt->date, year, month, day);
}
bool VelmoraDateTimeSetTime(VelmoraDateTime* dt, uint8_t hour, uint8_t minute, uint8_t second,
                            uint8_t hundredths) {
  return dt && VelmoraTimeInit(&dt->time, hour, minute, second, hundredths);
}
VelmoraDate* VelmoraDateTimeGetDate(VelmoraDateTime* dt) { return dt ? &dt->date : nullptr; }
const VelmoraDate* VelmoraDateTimeGetDate(const VelmoraDateTime* dt) {
  return dt ? &dt->date : nullptr;
}
bool VelmoraDateTimeSetDateRecord(VelmoraDateTime* dt, const VelmoraDate* date) {
  return dt && CopyRecord(&dt->date, date);
}
VelmoraTime* VelmoraDateTimeGetTime(VelmoraDateTime* dt) { return dt ? &dt->time : nullptr; }
const VelmoraTime* VelmoraDateTimeGetTime(const VelmoraDateTime* dt) {
  return dt ? &dt->time : nullptr;
}
bool VelmoraDateTimeSetTimeRecord(VelmoraDateTime* dt, const VelmoraTime* time) {
  return dt && CopyRecord(&dt->time, time);
}
bool VelmoraDateTimeCopy(VelmoraDateTime* dst, const VelmoraDateTime* src) {
  return CopyRecord(dst, src);
}

// Object identifier. The type is not checked here: the encoder refuses
// types that do not fit in ten bits.

bool VelmoraObjectIdInit(VelmoraObjectId* id, uint32_t type, uint32_t instance) {
  if (!id || instance > VELMORA_MAX_INSTANCE) return false;
  id->type = type;
  id->instance = instance;
  return true;
}
bool VelmoraObjectIdSetType(VelmoraObjectId* id, uint32_t type) {
  if (!id) return false;
  id->type = type;
  return true;
}
uint32_t VelmoraObjectIdGetType(const VelmoraObjectId* id) { return id ? id->type : UINT32_MAX; }
bool VelmoraObjectIdSetInstance(VelmoraObjectId* id, uint32_t instance) {
  if (!id || instance > VELMORA_MAX_INSTANCE) return false;
  id->instance = instance;
  return true;
}
uint32_t VelmoraObjectIdGetInstance(const VelmoraObjectId* id) {
  return id ? id->instance : UINT32_MAX;
}
bool VelmoraObjectIdCopy(VelmoraObjectId* dst, const VelmoraObjectId* src) {
  return CopyRecord(dst, src);
}

// Octet string.

bool VelmoraOctetStringInit(VelmoraOctetString* s, uint8_t* data, uint32_t buffer_size,
                            uint32_t length) {
  if (!s) return false;
  *s = {data, buffer_size, length};
  return true;
}
bool VelmoraOctetStringSetData(VelmoraOctetString* s, uint8_t* data, uint32_t buffer_size) {
  if (!s) return false;
  s->data = data;
  s->buffer_size = buffer_size;
  return true;
}
uint8_t* VelmoraOctetStringGetData(const VelmoraOctetString* s) { return s ? s->data : nullptr; }
uint32_t VelmoraOctetStringGetBufferSize(const VelmoraOctetString* s) {
  return s ? s->buffer_size : 0;
}
bool VelmoraOctetStringSetLength(VelmoraOctetString* s, uint32_t length) {
  if (!s) return false;
  s->length = length;
  return true;
}
uint32_t VelmoraOctetStringGetLength(const VelmoraOctetString* s) { return s ? s->length : 0; }
bool VelmoraOctetStringCopy(VelmoraOctetString* dst, const VelmoraOctetString* src) {
  return CopyRecord(dst, src);
}

// Raw encoded data.

bool VelmoraRawDataInit(VelmoraRawData* r, const uint8_t* data, uint32_t length) {
  if (!r || !data) return false;
  r->length = length;
  r->data = data;
  return true;
}
uint32_t VelmoraRawDataGetLength(const VelmoraRawData* r) { return r ? r->length : 0; }
const uint8_t* VelmoraRawDataGetData(const VelmoraRawData* r) { return r ? r->data : nullptr; }
bool VelmoraRawDataCopy(VelmoraRawData* dst, const VelmoraRawData* src) {
  return CopyRecord(dst, src);
}
