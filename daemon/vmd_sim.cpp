// The site's simulated devices answering what no test script or handler
// took: Who-Is with an I-Am from each device it reaches, ReadProperty and
// ReadPropertyMultiple from the device model, and a time-out for a request
// that no device answers.
#include <algorithm>
#include <cstring>
#include <deque>

#include "bacnet/asn_check.h"
#include "bacnet/asn_commands.h"
#include "bacnet/asn_construct.h"
#include "bacnet/asn_primitive.h"
#include "bacnet/asn_references.h"
#include "bacnet/asn_service.h"
#include "daemon/vmd_internal.h"

namespace {

constexpr uint8_t kServiceIAm = 0;
constexpr uint32_t kNoIndex = 0xFFFFFFFF;
constexpr uint32_t kPropObjectList = 76;
constexpr uint8_t kRejectOther = 0;
constexpr uint8_t kRejectUnrecognizedService = 9;
constexpr uint8_t kAbortSegmentationNotSupported = 4;
// The Error of a ConfirmedPrivateTransfer a device does not serve.
constexpr VelmoraError kTransferNotServed = {5, 45};  // services, optional functionality
                                                      // not supported
// What a device of another vendor acknowledges a ConfirmedPrivateTransfer
// with, beside its vendor identifier: a service number and a result block
// of its own (an enumerated 0 and the text "foreign").
constexpr uint32_t kForeignService = 1;
constexpr uint8_t kForeignResult[] = {0x91, 0x00, 0x75, 0x08, 0x00, 'f',
                                      'o',  'r',  'e',  'i',  'g',  'n'};
// Octets ahead of the service data in an unsegmented ComplexACK.
constexpr size_t kComplexAckHeader = 3;

std::string AddressText(const LinkAddress& a) {
  std::string t = a.netPresent ? "network " + std::to_string(a.net) + " " : "";
  t += "mac ";
  char octet[4];
  for (size_t i = 0; i < std::min<size_t>(a.macLen, LINK_MAC_MAX); ++i) {
    snprintf(octet, sizeof octet, i ? ":%02x" : "%02x", a.mac[i]);
    t += octet;
  }
  return a.macLen ? t : t + "(broadcast)";
}

const VmdDevice* DeviceAt(const VmdSite& site, const LinkAddress& to) {
  for (const VmdDevice& d : site.devices)
    if (VmdSameAddress(d.address, to)) return &d;
  return nullptr;
}

void Reason(VmdAnswer* a, uint16_t outcome, uint8_t reason) {
  a->outcome = outcome;
  a->answer.assign(1, reason);
}

void Error(VmdAnswer* a, const VelmoraError& e) {
  a->outcome = IPC_OUTCOME_ERROR;
  a->answer.assign(8, 0);
  AsnCursor c = AsnCursorOver(a->answer.data(), uint32_t(a->answer.size()));
  AsnEncodeErrorPair(&e, &c);
  a->answer.resize(size_t(c.current - a->answer.data()));
}

// What the syntax check of a request answers: an Error, a Reject or an Abort.
void Refuse(VmdAnswer* a, uint32_t result) {
  if (result & 0x80000000u) return Error(a, {(result >> 16) & 0x7FFF, result & 0xFFFF});
  if ((result >> 29) == 3) return Reason(a, IPC_OUTCOME_REJECT, uint8_t(result));
  if ((result >> 29) == 2) return Reason(a, IPC_OUTCOME_ABORT, uint8_t(result));
  Reason(a, IPC_OUTCOME_REJECT, kRejectOther);
}

// True when an answer of `length` service octets can reach the requester:
// in one APDU both sides take, or segmented when the device can send
// segments and the requester takes them.
bool Fits(const VmdDevice& d, const IpcTxnParams& p, size_t length) {
  size_t limit = d.max_apdu;
  if (p.maxApdu >= 50) limit = std::min<size_t>(limit, p.maxApdu);
  if (kComplexAckHeader + length <= limit) return true;
  bool sends = d.segmentation == 0 || d.segmentation == 1;
  return sends && p.segAccepted;
}

void ReadProperty(const VmdDevice& d, const VmdDeviceSwitches& sw, const VmdConfirmed& rq,
                  VmdAnswer* a) {
  std::span<const uint8_t> data = rq.request;
  uint32_t check =
      AsnCheckConfirmedRequest(ASN_SERVICE_READ_PROPERTY, data.data(), uint32_t(data.size()));
  if (check != 0) return Refuse(a, check);
  AsnCursor c = AsnCursorOverConst(data.data(), uint32_t(data.size()));
  VelmoraObjPropRef ref{};
  AsnDecodeObjPropRef(&c, &ref);
  const bool whole = ref.array_index == kNoIndex;

  const VmdObject* o = VmdDeviceFindObject(d, ref.object_id.type, ref.object_id.instance);
  if (o && o->type == kVmdObjectDevice && ref.property == kPropObjectList && whole &&
      sw.refuse_whole_object_list)
    return Reason(a, IPC_OUTCOME_ABORT, kAbortSegmentationNotSupported);
  std::vector<uint8_t> value;
  VelmoraError error{};
  if (!VmdDeviceRead(d, ref.object_id.type, ref.object_id.instance, ref.property,
                     whole ? -1 : int64_t(ref.array_index), &value, &error))
    return Error(a, error);

  // The answer names the object as it is: the wildcard instance becomes the
  // device's own.
  ref.object_id = {o->type, o->instance};
  a->answer.assign(value.size() + 24, 0);
  c = AsnCursorOver(a->answer.data(), uint32_t(a->answer.size()));
  AsnEncodeObjPropRef(&ref, &c);
  AsnEncodeTagByte(&c, AsnOpeningTag(3));
  if (!value.empty()) memcpy(c.current, value.data(), value.size());
  c.current += value.size();
  AsnEncodeTagByte(&c, AsnClosingTag(3));
  a->answer.resize(size_t(c.current - a->answer.data()));
  a->outcome = IPC_OUTCOME_OK;
  if (!Fits(d, rq.params, a->answer.size()))
    Reason(a, IPC_OUTCOME_ABORT, kAbortSegmentationNotSupported);
}

// The read-access results of a ReadPropertyMultiple-ACK as records, each
// value the octets the device holds, until the codec encodes them.
class ReadAccessResults {
 public:
  void Object(const VelmoraObjectId& id) {
    objects_.push_back({id, {}});
    bound_ += kObjectBound;
  }
  void Result(uint32_t property, int64_t index, std::vector<uint8_t>* value,
              const VelmoraError& error) {
    VelmoraReadResult r{};
    r.property = property;
    r.array_index = index < 0 ? kNoIndex : uint32_t(index);
    r.success = value != nullptr;
    r.value = {ASN_TYPE_NONE, nullptr, 0, 0};
    r.error = error;
    bound_ += kResultBound;
    if (value) {
      bound_ += value->size();
      octets_.push_back(std::move(*value));
      raw_.push_back({uint32_t(octets_.back().size()), octets_.back().data()});
      r.value = {ASN_TYPE_RAW_STANDARD, &raw_.back(), sizeof(VelmoraRawData), 1};
    }
    objects_.back().results.push_back(r);
  }
  std::vector<uint8_t> Encode() {
    // A list with no results is there all the same: its array is not null.
    static VelmoraReadResult none;
    std::vector<VelmoraReadAccessResult> list;
    for (Results& o : objects_)
      list.push_back(
          {o.id, uint32_t(o.results.size()), o.results.empty() ? &none : o.results.data()});
    std::vector<uint8_t> out(bound_);
    AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
    AsnEncodeReadAccessResultList(list.data(), uint32_t(list.size()), &c);
    out.resize(size_t(c.current - out.data()));
    return out;
  }

 private:
  // The most octets an object identifier with its list's tags, and a
  // result without its value, take.
  static constexpr size_t kObjectBound = 7;
  static constexpr size_t kResultBound = 18;
  struct Results {
    VelmoraObjectId id;
    std::vector<VelmoraReadResult> results;
  };
  std::vector<Results> objects_;
  // Where the values point: a deque keeps its elements in place.
  std::deque<std::vector<uint8_t>> octets_;
  std::deque<VelmoraRawData> raw_;
  size_t bound_ = 0;
};

// Every read-access specification is answered, each property with its value or its
// error; all, required and optional stand for the properties of the object
// that they name. The whole answer must fit as a ReadProperty's must, and a
// device that refuses its whole Object_List refuses it here too.
void ReadPropertyMultiple(const VmdDevice& d, const VmdDeviceSwitches& sw, const VmdConfirmed& rq,
                          VmdAnswer* a) {
  std::span<const uint8_t> data = rq.request;
  uint32_t check = AsnCheckConfirmedRequest(ASN_SERVICE_READ_PROPERTY_MULTIPLE, data.data(),
                                            uint32_t(data.size()));
  if (check != 0) return Refuse(a, check);
  AsnCursor c = AsnCursorOverConst(data.data(), uint32_t(data.size()));
  ReadAccessResults out;
  while (c.current < c.end) {
    VelmoraObjectId id{};
    AsnTakeObjectId(&c, &id);
    const VmdObject* o = VmdDeviceFindObject(d, id.type, id.instance);
    // The answer names the object as it is: the wildcard instance becomes
    // the device's own.
    if (o) id = {o->type, o->instance};
    out.Object(id);
    AsnEnterTag(&c);
    while (!AsnAtListEnd(&c)) {
      VelmoraPropRef ref{};
      AsnDecodePropRef(&c, &ref);
      const int64_t index = ref.array_index == kNoIndex ? -1 : int64_t(ref.array_index);
      const bool group = VmdIsPropertyGroup(ref.property) && index < 0;
      if (group && !o) {
        out.Result(ref.property, -1, nullptr, kVmdUnknownObject);
        continue;
      }
      const std::vector<uint32_t> properties =
          group ? VmdObjectGroup(*o, ref.property) : std::vector<uint32_t>{ref.property};
      if (sw.refuse_whole_object_list && o && o->type == kVmdObjectDevice && index < 0 &&
          std::ranges::count(properties, kPropObjectList) != 0)
        return Reason(a, IPC_OUTCOME_ABORT, kAbortSegmentationNotSupported);
      for (uint32_t property : properties) {
        std::vector<uint8_t> value;
        VelmoraError error{};
        const bool ok = VmdDeviceRead(d, id.type, id.instance, property, index, &value, &error);
        out.Result(property, index, ok ? &value : nullptr, error);
      }
    }
    AsnLeaveTag(&c);
  }
  a->answer = out.Encode();
  a->outcome = IPC_OUTCOME_OK;
  if (!Fits(d, rq.params, a->answer.size()))
    Reason(a, IPC_OUTCOME_ABORT, kAbortSegmentationNotSupported);
}

void ForeignAck(const VmdDevice& d, VmdAnswer* a) {
  uint8_t result[sizeof kForeignResult];
  memcpy(result, kForeignResult, sizeof result);
  const VelmoraPrivateTransfer t{d.vendor, kForeignService, 1,
                                 result,   sizeof result,   sizeof result};
  a->outcome = IPC_OUTCOME_OK;
  a->answer.assign(AsnSizePrivateTransfer(&t), 0);
  AsnCursor c = AsnCursorOver(a->answer.data(), uint32_t(a->answer.size()));
  AsnEncodePrivateTransfer(&t, &c);
  a->answer.resize(size_t(c.current - a->answer.data()));
}

// An ioctl for a device that answers them; any other transfer, or every
// one for a device that does not, is refused as the site says. A device
// scripted to answer as a foreign or a broken one does so first.
void PrivateTransfer(VmdServer* s, const VmdDevice& d, const VmdDeviceSwitches& sw,
                     const VmdConfirmed& rq, VmdAnswer* a) {
  std::span<const uint8_t> data = rq.request;
  uint32_t check =
      AsnCheckConfirmedRequest(ASN_SERVICE_PRIVATE_TRANSFER, data.data(), uint32_t(data.size()));
  if (check != 0) return Refuse(a, check);
  if (sw.foreign_private_transfer_ack) return ForeignAck(d, a);
  if (sw.malformed_ioctl_answer && VmdIoctlMalformedAnswer(data, &a->answer)) {
    a->outcome = IPC_OUTCOME_OK;
    return;
  }
  uint8_t reject = 0;
  if (sw.answers_ioctls && VmdIoctlAnswer(s, rq.conn, &d, data, &a->answer, &reject)) {
    a->outcome = IPC_OUTCOME_OK;
    if (!Fits(d, rq.params, a->answer.size()))
      Reason(a, IPC_OUTCOME_ABORT, kAbortSegmentationNotSupported);
    return;
  }
  if (reject != 0) return Reason(a, IPC_OUTCOME_REJECT, reject);
  if (sw.refusal == VmdTransferRefusal::Reject)
    return Reason(a, IPC_OUTCOME_REJECT, kRejectUnrecognizedService);
  AsnCursor c = AsnCursorOverConst(data.data(), uint32_t(data.size()));
  VelmoraPrivateTransfer t{};
  AsnDecodeUnsignedPair(&c, &t.vendor_id, &t.service_number);
  a->outcome = IPC_OUTCOME_ERROR;
  a->answer.assign(32, 0);
  c = AsnCursorOver(a->answer.data(), uint32_t(a->answer.size()));
  AsnEncodePrivateTransferError(kTransferNotServed.error_class, kTransferNotServed.error_code, &t,
                                &c);
  a->answer.resize(size_t(c.current - a->answer.data()));
}

void TimeOut(VmdServer* s, const VmdConfirmed& rq, const char* why, VmdAnswer* a) {
  *a = VmdAnswer{};
  a->outcome = IPC_OUTCOME_NO_ANSWER;
  a->delay_ms = int(s->config.site.apdu_timeout_ms);
  // Connections count from 1; 0 is a request from the B/IP port, which
  // anyone on the network can send again and again.
  if (rq.conn == 0)
    return VmdLogLimited(s, why, VmdBipAddress{}, "B/IP: %s at %s: time-out in %u ms", why,
                         AddressText(rq.params.remote).c_str(), s->config.site.apdu_timeout_ms);
  VmdLog(s, "connection %u: %s at %s: time-out in %u ms", rq.conn, why,
         AddressText(rq.params.remote).c_str(), s->config.site.apdu_timeout_ms);
}

}  // namespace

VmdDeviceSwitches VmdSwitchesOf(VmdServer* s, const VmdDevice& d) {
  std::lock_guard<std::mutex> lock(s->mu);
  auto it = s->device_switches.find(d.instance);
  return it != s->device_switches.end() ? it->second : d.switches;
}

bool VmdWhoIsRange(std::span<const uint8_t> data, uint32_t* low, uint32_t* high) {
  *low = 0;
  *high = kVmdWildcardInstance;
  bool ok = AsnCheckUnconfirmedRequest(ASN_UNCONFIRMED_WHO_IS, data.data(), uint32_t(data.size()));
  if (ok && !data.empty()) {
    // Both limits or neither.
    AsnCursor cur = AsnCursorOverConst(data.data(), uint32_t(data.size()));
    AsnDecodeUnsigned(&cur, low);
    ok = cur.current < cur.end;
    if (ok) AsnDecodeUnsigned(&cur, high);
  }
  return ok;
}

void VmdDevicesConfirmed(VmdServer* s, const VmdConfirmed& rq, VmdAnswer* a) {
  const VmdSite& site = s->config.site;
  const VmdDevice* d = DeviceAt(site, rq.params.remote);
  if (!d) return TimeOut(s, rq, "no device", a);
  VmdDeviceSwitches sw = VmdSwitchesOf(s, *d);
  VmdCountPackets(s, *d, true);
  if (sw.silent) return TimeOut(s, rq, "silent device", a);
  // The daemon gives up on a device that answers later than the time-out.
  if (site.apdu_timeout_ms > 0 && sw.slow_ms >= site.apdu_timeout_ms)
    return TimeOut(s, rq, "slow device", a);
  *a = VmdAnswer{};
  a->delay_ms = int(sw.slow_ms);
  if (rq.params.service == ASN_SERVICE_READ_PROPERTY)
    ReadProperty(*d, sw, rq, a);
  else if (rq.params.service == ASN_SERVICE_READ_PROPERTY_MULTIPLE)
    ReadPropertyMultiple(*d, sw, rq, a);
  else if (rq.params.service == ASN_SERVICE_PRIVATE_TRANSFER)
    PrivateTransfer(s, *d, sw, rq, a);
  else
    Reason(a, IPC_OUTCOME_REJECT, kRejectUnrecognizedService);
  VmdCountPackets(s, *d, false);
}

void VmdDevicesUnconfirmed(VmdConn* c, const VmdUnconfirmed& rq, const VmdKindRule& rule) {
  VmdServer* s = c->server;
  if (rq.params.service != ASN_UNCONFIRMED_WHO_IS) return;
  uint32_t low = 0, high = 0;
  if (!VmdWhoIsRange(rq.request, &low, &high)) {
    VmdLog(s, "connection %u: Who-Is with bad parameters: no device answers", c->id);
    return;
  }
  size_t answered = 0;
  std::vector<const VmdDevice*> reached;
  for (const VmdDevice& d : s->config.site.devices) {
    if (!VmdAddressReaches(rq.params.remote, d)) continue;
    reached.push_back(&d);
    VmdDeviceSwitches sw = VmdSwitchesOf(s, d);
    if (sw.silent || d.instance < low || d.instance > high) continue;
    VmdIncoming iam = VmdIncomingDefaults(s);
    iam.params.service = kServiceIAm;
    iam.params.remote = d.address;
    iam.payload = VmdDeviceIAm(d);
    int delay = std::max(rule.delay_ms, int(sw.slow_ms));
    VmdCountPackets(s, d, false);
    if (VmdQueue(c, VmdFrameOut(VmdUnconfirmedMessage(iam)), delay, rule.withhold)) ++answered;
  }
  VmdCountBroadcast(s, reached);
  VmdBipWhoIs(s, rq.params, rq.request);
  VmdLog(s, "connection %u: Who-Is to %s answered by %zu device%s", c->id,
         AddressText(rq.params.remote).c_str(), answered, answered == 1 ? "" : "s");
}

bool VmdSetDeviceSwitches(VmdServer* s, uint32_t instance, const VmdDeviceSwitches& switches) {
  if (!VmdSiteFindDevice(s->config.site, instance)) return false;
  std::lock_guard<std::mutex> lock(s->mu);
  s->device_switches[instance] = switches;
  return true;
}

bool VmdGetDeviceSwitches(VmdServer* s, uint32_t instance, VmdDeviceSwitches* out) {
  const VmdDevice* d = VmdSiteFindDevice(s->config.site, instance);
  if (!d) return false;
  *out = VmdSwitchesOf(s, *d);
  return true;
}
