#include "daemon/vmd_device.h"

#include <algorithm>
#include <cstring>

#include "bacnet/asn_primitive.h"
#include "bacnet/asn_property.h"
#include "bacnet/bacnet_enums.h"

namespace {

// One application element; the values here always encode.
std::vector<uint8_t> Element(AsnEncoder encode, const void* value) {
  std::vector<uint8_t> out(16);
  AsnCursor c = AsnCursorOver(out.data(), uint32_t(out.size()));
  encode(value, &c);
  out.resize(size_t(c.current - out.data()));
  return out;
}

std::vector<uint8_t> ObjectIdElement(const VmdObject& o) {
  VelmoraObjectId id{o.type, o.instance};
  return Element(AsnEncodeObjectId, &id);
}

std::vector<uint8_t> UnsignedElement(AsnEncoder encode, uint32_t v) { return Element(encode, &v); }

VmdProperty Implied(uint32_t id, VmdValueForm form, std::vector<std::vector<uint8_t>> elements) {
  return VmdProperty{id, VmdValue{form, std::move(elements)}, 0};
}

// Adds the property unless the object has it; `front` keeps the identifying
// properties ahead of the site's own.
void Imply(VmdObject* o, VmdProperty p, bool front, size_t* at) {
  if (VmdObjectFindProperty(*o, p.id)) return;
  if (!front) {
    o->properties.push_back(std::move(p));
    return;
  }
  o->properties.insert(o->properties.begin() + ptrdiff_t(*at), std::move(p));
  ++*at;
}

}  // namespace

void VmdDeviceComplete(VmdDevice* d) {
  for (VmdObject& o : d->objects) {
    size_t at = 0;
    Imply(&o, Implied(BACNET_PROP_OBJECT_IDENTIFIER, VmdValueForm::Single, {ObjectIdElement(o)}),
          true, &at);
    Imply(&o,
          Implied(BACNET_PROP_OBJECT_TYPE, VmdValueForm::Single,
                  {UnsignedElement(AsnEncodeEnumerated, o.type)}),
          true, &at);
  }
  if (d->objects.empty() || d->objects[0].type != BACNET_OBJ_DEVICE) return;
  VmdObject& dev = d->objects[0];
  std::vector<std::vector<uint8_t>> list;
  for (const VmdObject& o : d->objects)
    list.push_back(ObjectIdElement(o));
  size_t unused = 0;
  Imply(&dev, Implied(BACNET_PROP_OBJECT_LIST, VmdValueForm::Array, std::move(list)), false,
        &unused);
  Imply(&dev,
        Implied(BACNET_PROP_VENDOR_IDENTIFIER, VmdValueForm::Single,
                {UnsignedElement(AsnEncodeUnsigned, d->vendor)}),
        false, &unused);
  Imply(&dev,
        Implied(BACNET_PROP_MAX_APDU_LENGTH_ACCEPTED, VmdValueForm::Single,
                {UnsignedElement(AsnEncodeUnsigned, d->max_apdu)}),
        false, &unused);
  Imply(&dev,
        Implied(BACNET_PROP_SEGMENTATION_SUPPORTED, VmdValueForm::Single,
                {UnsignedElement(AsnEncodeEnumerated, d->segmentation)}),
        false, &unused);
}

const VmdObject* VmdDeviceFindObject(const VmdDevice& d, uint32_t type, uint32_t instance) {
  if (type == BACNET_OBJ_DEVICE && instance == kVmdWildcardInstance) instance = d.instance;
  for (const VmdObject& o : d.objects)
    if (o.type == type && o.instance == instance) return &o;
  return nullptr;
}

const VmdProperty* VmdObjectFindProperty(const VmdObject& o, uint32_t property) {
  for (const VmdProperty& p : o.properties)
    if (p.id == property) return &p;
  return nullptr;
}

bool VmdIsPropertyGroup(uint32_t property) {
  return property == BACNET_PROP_ALL || property == BACNET_PROP_REQUIRED ||
         property == BACNET_PROP_OPTIONAL;
}

std::vector<uint32_t> VmdObjectGroup(const VmdObject& o, uint32_t group) {
  std::vector<uint32_t> ids;
  for (const VmdProperty& p : o.properties) {
    const uint16_t code = AsnPropertyTypeCode(o.type, p.id);
    const bool required = code != 0 && (code & kAsnPropOptional) == 0;
    if (group == BACNET_PROP_ALL || required == (group == BACNET_PROP_REQUIRED))
      ids.push_back(p.id);
  }
  return ids;
}

bool VmdDeviceRead(const VmdDevice& d, uint32_t type, uint32_t instance, uint32_t property,
                   int64_t index, std::vector<uint8_t>* octets, VelmoraError* error) {
  const VmdObject* o = VmdDeviceFindObject(d, type, instance);
  const VmdProperty* p = o ? VmdObjectFindProperty(*o, property) : nullptr;
  const size_t count = p ? p->value.elements.size() : 0;
  if (!o) {
    *error = kVmdUnknownObject;
  } else if (!p) {
    *error = kVmdUnknownProperty;
  } else if (index < 0) {
    *octets = VmdValueOctets(p->value);
    return true;
  } else if (p->value.form != VmdValueForm::Array) {
    *error = kVmdNotAnArray;
  } else if (index == 0) {
    *octets = UnsignedElement(AsnEncodeUnsigned, uint32_t(count));
    return true;
  } else if (uint64_t(index) > count) {
    *error = kVmdInvalidArrayIndex;
  } else {
    *octets = p->value.elements[size_t(index - 1)];
    return true;
  }
  return false;
}

std::vector<uint8_t> VmdDeviceIAm(const VmdDevice& d) {
  VelmoraObjectId id{BACNET_OBJ_DEVICE, d.instance};
  std::vector<uint8_t> out = Element(AsnEncodeObjectId, &id);
  for (const std::vector<uint8_t>& e : {UnsignedElement(AsnEncodeUnsigned, d.max_apdu),
                                        UnsignedElement(AsnEncodeEnumerated, d.segmentation),
                                        UnsignedElement(AsnEncodeUnsigned, d.vendor)})
    out.insert(out.end(), e.begin(), e.end());
  return out;
}

bool VmdSameAddress(const LinkAddress& a, const LinkAddress& b) {
  if (a.netPresent != b.netPresent || a.macLen != b.macLen) return false;
  if (a.netPresent && a.net != b.net) return false;
  return memcmp(a.mac, b.mac, std::min<size_t>(a.macLen, LINK_MAC_MAX)) == 0;
}

bool VmdAddressReaches(const LinkAddress& to, const VmdDevice& d) {
  if (to.netPresent && to.net == VELMORA_GLOBAL_NETWORK) return true;
  if (to.macLen != 0) return VmdSameAddress(to, d.address);
  return bool(to.netPresent) == bool(d.address.netPresent) &&
         (!to.netPresent || to.net == d.address.net);
}
