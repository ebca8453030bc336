#include "daemon/vmd_site.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "daemon/vmd_names.h"
#include "daemon/vmd_value.h"
#include "runtime/platform/plat_file.h"

namespace {

constexpr uint64_t kMaxMs = 600000;
constexpr uint64_t kMaxSeconds = 86400;

// The network layer's timers, by their keys in [daemon].
struct NlKey {
  const char* key;
  uint32_t VmdNlTimeouts::*field;
  uint64_t max;
};
constexpr NlKey kNlKeys[] = {
    {"ptp_term_time", &VmdNlTimeouts::ptp_term_time, kMaxSeconds},
    {"default_term_time", &VmdNlTimeouts::default_term_time, kMaxSeconds},
    {"ptp_safety_time", &VmdNlTimeouts::ptp_safety_time, kMaxMs},
    {"find_dnet_time", &VmdNlTimeouts::find_dnet_time, kMaxMs},
    {"ptp_connect_time", &VmdNlTimeouts::ptp_connect_time, kMaxMs},
    {"connect_ack_time", &VmdNlTimeouts::connect_ack_time, kMaxMs},
    {"router_busy_time", &VmdNlTimeouts::router_busy_time, kMaxMs},
    {"router_broadcast_period", &VmdNlTimeouts::router_broadcast_period, kMaxSeconds},
};

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The line without its comment: '#' starts one outside double quotes.
std::string StripComment(const std::string& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '\\') {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == '#' && !quoted) {
      return line.substr(0, i);
    }
  }
  return line;
}

bool ParseNumber(const std::string& text, uint64_t lo, uint64_t hi, uint64_t* out) {
  return VmdParseUnsigned(text, hi, out) && *out >= lo;
}

bool ParseVersion(const std::string& text, uint8_t version[3]) {
  unsigned a = 0, b = 0, c = 0;
  char tail = 0;
  if (sscanf(text.c_str(), "%u.%u.%u%c", &a, &b, &c, &tail) != 3) return false;
  if (a > 255 || b > 255 || c > 255) return false;
  version[0] = uint8_t(a);
  version[1] = uint8_t(b);
  version[2] = uint8_t(c);
  return true;
}

bool ParseSwitch(const std::string& text, bool* out) {
  if (text == "yes" || text == "true") {
    *out = true;
    return true;
  }
  if (text == "no" || text == "false") {
    *out = false;
    return true;
  }
  return false;
}

// The yes/no switches of a device section.
struct SwitchKey {
  const char* key;
  bool VmdDeviceSwitches::*field;
};
constexpr SwitchKey kSwitchKeys[] = {
    {"silent", &VmdDeviceSwitches::silent},
    {"refuse_whole_object_list", &VmdDeviceSwitches::refuse_whole_object_list},
    {"answers_ioctls", &VmdDeviceSwitches::answers_ioctls},
    {"foreign_private_transfer_ack", &VmdDeviceSwitches::foreign_private_transfer_ack},
    {"malformed_ioctl_answer", &VmdDeviceSwitches::malformed_ioctl_answer},
};

std::string ObjectText(uint32_t type, uint32_t instance) {
  return VmdObjectTypeText(type) + " " + std::to_string(instance);
}

// How a key of a device or object section went.
enum class Key {
  Done,
  Failed,
  Unknown
};

struct Parser {
  VmdSite* site;
  const std::string& name;
  std::string* error;
  int line = 0;
  std::istringstream in;

  bool Fail(const std::string& msg) { return FailAt(line, msg); }
  bool FailAt(int at, const std::string& msg) {
    if (error) *error = name + ":" + std::to_string(at) + ": " + msg;
    return false;
  }

  // The next line without comment and surrounding blanks; false at the end.
  bool NextLine(std::string* s) {
    std::string raw;
    if (!std::getline(in, raw)) return false;
    ++line;
    *s = Trim(StripComment(raw));
    return true;
  }

  // Network number: 0 means the local network, 1..65534 a remote one.
  bool Network(const std::string& value, LinkAddress* a) {
    uint64_t n = 0;
    if (!ParseNumber(value, 0, 65534, &n))
      return Fail("bad network '" + value + "' (expected 0 to 65534)");
    a->net = uint16_t(n);
    a->netPresent = n != 0;
    return true;
  }

  bool Mac(const std::string& value, LinkAddress* a) {
    if (!VmdParseMac(value, a))
      return Fail("bad mac '" + value + "' (expected 1 to 7 hex octets separated by ':')");
    return true;
  }

  bool Number(const std::string& key, const std::string& value, uint64_t lo, uint64_t hi,
              uint32_t* out) {
    uint64_t n = 0;
    if (!ParseNumber(value, lo, hi, &n))
      return Fail("bad " + key + " '" + value + "' (expected " + std::to_string(lo) + " to " +
                  std::to_string(hi) + ")");
    *out = uint32_t(n);
    return true;
  }

  bool Switch(const std::string& key, const std::string& value, bool* out) {
    if (!ParseSwitch(value, out))
      return Fail("bad " + key + " '" + value + "' (expected yes or no)");
    return true;
  }

  bool DaemonKey(const std::string& key, const std::string& value) {
    if (key == "mac") return Mac(value, &site->local);
    if (key == "network") return Network(value, &site->local);
    if (key == "max_apdu") return Number(key, value, 50, 1476, &site->max_apdu);
    if (key == "apdu_timeout") return Number(key, value, 0, kMaxMs, &site->apdu_timeout_ms);
    if (key == "version") {
      if (!ParseVersion(value, site->version))
        return Fail("bad version '" + value + "' (expected MAJOR.MINOR.PATCH)");
      return true;
    }
    for (const NlKey& k : kNlKeys)
      if (key == k.key) return Number(key, value, 0, k.max, &(site->nl.*k.field));
    return Fail("unknown key '" + key + "' in [daemon]");
  }

  static Key Done(bool ok) { return ok ? Key::Done : Key::Failed; }

  Key DeviceSetting(VmdDevice* d, const std::string& key, const std::string& value) {
    if (key == "mac") return Done(Mac(value, &d->address));
    if (key == "network") return Done(Network(value, &d->address));
    if (key == "vendor") return Done(Number(key, value, 0, 65535, &d->vendor));
    if (key == "max_apdu") return Done(Number(key, value, 50, 1476, &d->max_apdu));
    if (key == "slow") return Done(Number(key, value, 0, kMaxMs, &d->switches.slow_ms));
    for (const SwitchKey& k : kSwitchKeys)
      if (key == k.key) return Done(Switch(key, value, &(d->switches.*k.field)));
    if (key == "refuse_private_transfer") {
      if (value != "reject" && value != "error")
        return Done(Fail("bad " + key + " '" + value + "' (expected reject or error)"));
      d->switches.refusal =
          value == "error" ? VmdTransferRefusal::Error : VmdTransferRefusal::Reject;
      return Key::Done;
    }
    if (key != "segmentation") return Key::Unknown;
    int32_t s = VmdSegmentationFromName(value);
    if (s < 0)
      return Done(Fail("bad segmentation '" + value +
                       "' (expected segmented-both, segmented-transmit, segmented-receive or "
                       "no-segmentation)"));
    d->segmentation = uint8_t(s);
    return Key::Done;
  }

  // KEY = VALUE of a property: the value may go on over further lines,
  // each line but the last ending in ','.
  Key Property(VmdObject* o, const std::string& key, std::string value) {
    int32_t id = VmdPropertyFromName(key);
    if (id < 0) return Key::Unknown;
    const int first = line;
    std::vector<std::pair<size_t, int>> starts{{0, line}};  // where each line's text begins
    while (!value.empty() && value.back() == ',') {
      std::string more;
      if (!NextLine(&more))
        return Done(
            Fail("the value of " + key + " ends in ',' but the file ends (expected more of it)"));
      if (more.empty()) continue;
      if (more.front() == '[')
        return Done(Fail("the value of " + key +
                         " ends in ',' on an earlier line (expected more of "
                         "it here)"));
      value += ' ';
      starts.emplace_back(value.size(), line);
      value += more;
    }
    if (VmdObjectFindProperty(*o, uint32_t(id)))
      return Done(FailAt(first, VmdPropertyText(uint32_t(id)) + " defined twice in " +
                                    ObjectText(o->type, o->instance)));
    VmdProperty p{uint32_t(id), {}, first};
    std::string why;
    size_t at = 0;
    if (!VmdValueParse(value, &p.value, &why, &at)) {
      int where = first;
      for (const auto& [offset, l] : starts)
        if (offset <= at) where = l;
      return Done(FailAt(where, key + ": " + why));
    }
    o->properties.push_back(std::move(p));
    return Key::Done;
  }

  bool DeviceHeader(const std::string& head) {
    uint64_t inst = 0;
    std::string num = Trim(head.substr(6));
    if (!ParseNumber(num, 0, 0x3FFFFE, &inst))
      return Fail("bad device instance '" + num + "' (expected 0 to 4194302)");
    if (VmdSiteFindDevice(*site, uint32_t(inst))) return Fail("device " + num + " defined twice");
    VmdDevice d{};
    d.instance = uint32_t(inst);
    d.address.kind = 130;
    d.line = line;
    d.objects.push_back(VmdObject{kVmdObjectDevice, d.instance, {}, line});
    site->devices.push_back(std::move(d));
    return true;
  }

  bool ObjectHeader(const std::string& head) {
    if (site->devices.empty()) return Fail("[" + head + "] before any [device INSTANCE]");
    std::istringstream words(head.substr(6));
    std::string type, instance, extra;
    words >> type >> instance >> extra;
    int32_t t = VmdObjectTypeFromName(type);
    uint64_t inst = 0;
    if (t < 0 || !ParseNumber(instance, 0, 0x3FFFFE, &inst) || !extra.empty())
      return Fail("bad object section '[" + head +
                  "]' (expected [object TYPE INSTANCE]: a type name such as analog-input or 0 to "
                  "1023, and an instance from 0 to 4194302)");
    VmdDevice& d = site->devices.back();
    if (uint32_t(t) == kVmdObjectDevice)
      return Fail("the device object of device " + std::to_string(d.instance) +
                  " is its [device] section");
    if (VmdDeviceFindObject(d, uint32_t(t), uint32_t(inst)))
      return Fail(ObjectText(uint32_t(t), uint32_t(inst)) + " defined twice in device " +
                  std::to_string(d.instance));
    d.objects.push_back(VmdObject{uint32_t(t), uint32_t(inst), {}, line});
    return true;
  }

  bool PortHeader(const std::string& head) {
    uint64_t id = 0;
    std::string num = Trim(head.substr(4));
    if (!ParseNumber(num, 1, 65535, &id))
      return Fail("bad port identifier '" + num + "' (expected 1 to 65535)");
    if (VmdSiteFindPort(*site, uint32_t(id))) return Fail("port " + num + " defined twice");
    VmdPort p;
    p.id = uint32_t(id);
    p.line = line;
    site->ports.push_back(std::move(p));
    return true;
  }

  // Two blank-separated words: a table entry's B/IP address and its mask or
  // time to live.
  static bool Entry(const std::string& value, uint8_t* address, std::string* second) {
    std::istringstream words(value);
    std::string first, extra;
    words >> first >> *second >> extra;
    return extra.empty() && VmdParseHex(first, address, kVmdBipAddressSize);
  }

  bool PortKey(VmdPort* p, const std::string& key, const std::string& value) {
    if (key == "type" || key == "protocol") {
      bool type = key == "type";
      int32_t v = type ? VmdPortTypeFromName(value) : VmdPortProtocolFromName(value);
      if (v < 0)
        return Fail("bad " + key + " '" + value + "' (expected " +
                    (type ? VmdPortTypeNames() : VmdPortProtocolNames()) + ", or 0 to 255)");
      (type ? p->type : p->protocol) = v;
      return true;
    }
    if (key == "network") {
      uint32_t n = 0;
      if (!Number(key, value, 0, 65534, &n)) return false;
      p->network = uint16_t(n);
      return true;
    }
    if (key == "nic" || key == "info" || key == "label") {
      std::string why;
      if (!VmdTextParse(value, key == "nic" ? &p->nic : key == "info" ? &p->info : &p->label, &why))
        return Fail(key + ": " + why);
      return true;
    }
    if (key == "networks") {
      p->networks.clear();
      size_t at = 0;
      while (!value.empty()) {
        size_t comma = value.find(',', at);
        uint64_t n = 0;
        if (!ParseNumber(Trim(value.substr(at, comma - at)), 1, 65534, &n))
          return Fail("bad networks '" + value +
                      "' (expected network numbers 1 to 65534 separated by ',')");
        p->networks.push_back(uint16_t(n));
        if (comma == std::string::npos) break;
        at = comma + 1;
      }
      return true;
    }
    if (key == "enabled") return Switch(key, value, &p->enabled);
    if (key == "bbmd") return Switch(key, value, &p->bbmd);
    if (key == "status") {
      if (value != "connected" && value != "disconnected")
        return Fail("bad status '" + value + "' (expected connected or disconnected)");
      p->status = value == "connected" ? kVmdPortConnected : kVmdPortDisconnected;
      return true;
    }
    if (key == "bdt") {
      VmdBdtEntry e{};
      std::string mask;
      if (!Entry(value, e.octets, &mask) ||
          !VmdParseHex(mask, e.octets + kVmdBipAddressSize, kVmdBdtEntrySize - kVmdBipAddressSize))
        return Fail("bad bdt entry '" + value +
                    "' (expected a B/IP address of 12 hex digits and a mask of 8)");
      if (p->bdt.size() >= kVmdBdtMax)
        return Fail("more than " + std::to_string(kVmdBdtMax) + " bdt entries");
      p->bdt.push_back(e);
      return true;
    }
    if (key == "fdt") {
      VmdFdtEntry e{};
      std::string ttl;
      uint64_t seconds = 0;
      if (!Entry(value, e.address, &ttl) || !ParseNumber(ttl, 1, 65535, &seconds))
        return Fail("bad fdt entry '" + value +
                    "' (expected a B/IP address of 12 hex digits and a time to live of 1 to "
                    "65535 seconds)");
      if (p->fdt.size() >= kVmdFdtMax)
        return Fail("more than " + std::to_string(kVmdFdtMax) + " fdt entries");
      e.ttl = uint16_t(seconds);
      p->fdt.push_back(e);
      return true;
    }
    return Fail("unknown key '" + key + "' in [port " + std::to_string(p->id) + "]");
  }

  bool Finish() {
    for (size_t i = 0; i < site->ports.size(); ++i) {
      VmdPort& p = site->ports[i];
      std::string why;
      if (!VmdPortFinish(&p, &why)) return FailAt(p.line, why);
      for (uint16_t n : VmdPortNetworks(p))
        for (size_t j = 0; j < i; ++j)
          for (uint16_t m : VmdPortNetworks(site->ports[j]))
            if (n == m)
              return FailAt(p.line, "network " + std::to_string(n) + " is reached through port " +
                                        std::to_string(site->ports[j].id) + " and port " +
                                        std::to_string(p.id));
    }
    for (size_t i = 0; i < site->devices.size(); ++i) {
      VmdDevice& d = site->devices[i];
      if (d.address.macLen == 0)
        return FailAt(d.line, "device " + std::to_string(d.instance) + " has no mac");
      for (size_t j = 0; j < i; ++j)
        if (VmdSameAddress(site->devices[j].address, d.address))
          return FailAt(d.line, "device " + std::to_string(d.instance) +
                                    " has the address of device " +
                                    std::to_string(site->devices[j].instance));
      VmdDeviceComplete(&d);
    }
    return true;
  }

  bool Run(const std::string& text) {
    in.str(text);
    std::string s;
    enum {
      kNone,
      kDaemon,
      kDevice,
      kObject,
      kPort
    } section = kNone;
    while (NextLine(&s)) {
      if (s.empty()) continue;
      if (s.front() == '[') {
        if (s.back() != ']') return Fail("unterminated section header");
        std::string head = Trim(s.substr(1, s.size() - 2));
        bool tail = head.size() > 6 && (head[6] == ' ' || head[6] == '\t');
        if (head == "daemon") {
          section = kDaemon;
        } else if (head.rfind("device", 0) == 0 && tail) {
          if (!DeviceHeader(head)) return false;
          section = kDevice;
        } else if (head.rfind("object", 0) == 0 && tail) {
          if (!ObjectHeader(head)) return false;
          section = kObject;
        } else if (head.rfind("port", 0) == 0 && head.size() > 4 &&
                   (head[4] == ' ' || head[4] == '\t')) {
          if (!PortHeader(head)) return false;
          section = kPort;
        } else {
          return Fail("unknown section '" + head + "'");
        }
        continue;
      }
      size_t eq = s.find('=');
      if (eq == std::string::npos) return Fail("expected KEY = VALUE");
      std::string key = Trim(s.substr(0, eq));
      std::string value = Trim(s.substr(eq + 1));
      if (key.empty()) return Fail("missing key before '='");
      if (section == kNone) return Fail("'" + key + "' outside a section");
      if (section == kDaemon) {
        if (!DaemonKey(key, value)) return false;
        continue;
      }
      if (section == kPort) {
        if (!PortKey(&site->ports.back(), key, value)) return false;
        continue;
      }
      VmdDevice& d = site->devices.back();
      Key k = section == kDevice ? DeviceSetting(&d, key, value) : Key::Unknown;
      if (k == Key::Unknown) k = Property(&d.objects.back(), key, value);
      if (k == Key::Failed) return false;
      if (k == Key::Unknown)
        return Fail("unknown key '" + key + "' (expected " +
                    std::string(section == kDevice ? "a device setting or " : "") +
                    "a property name or number)");
    }
    return Finish();
  }
};

}  // namespace

void VmdSiteDefaults(VmdSite* site) {
  *site = VmdSite{};
  site->local.kind = 130;
  const uint8_t mac[] = {0x7f, 0x00, 0x00, 0x01, 0xba, 0xc0};
  site->local.macLen = sizeof mac;
  memcpy(site->local.mac, mac, sizeof mac);
  site->max_apdu = 1476;
  site->version[0] = 6;
  site->version[1] = 2;
  site->version[2] = 4;
  site->apdu_timeout_ms = kVmdDefaultApduTimeoutMs;
}

bool VmdParseMac(const std::string& text, LinkAddress* address) {
  uint8_t mac[7] = {};
  size_t n = 0, i = 0;
  while (true) {
    if (n == 7) return false;
    size_t j = i;
    while (j < text.size() && isxdigit(static_cast<unsigned char>(text[j])))
      ++j;
    if (j == i || j - i > 2) return false;
    mac[n++] = uint8_t(strtoul(text.substr(i, j - i).c_str(), nullptr, 16));
    if (j == text.size()) break;
    if (text[j] != ':') return false;
    i = j + 1;
  }
  memset(address->mac, 0, sizeof address->mac);
  memcpy(address->mac, mac, n);
  address->macLen = uint8_t(n);
  return true;
}

bool VmdSiteParse(VmdSite* site, const std::string& text, const std::string& name,
                  std::string* error) {
  VmdSite parsed;
  VmdSiteDefaults(&parsed);
  std::string why;
  Parser p{&parsed, name, &why, 0, {}};
  if (!p.Run(text)) {
    if (error) *error = why;
    return false;
  }
  *site = std::move(parsed);
  return true;
}

bool VmdSiteLoad(VmdSite* site, const std::string& path, std::string* error) {
  std::string text, why;
  if (PlatFileReadAll(path.c_str(), kVmdSiteMaxBytes, &text, &why) != 0) {
    if (error) *error = path + ": " + why;
    return false;
  }
  return VmdSiteParse(site, text, path, error);
}

bool VmdSiteLoadDemo(VmdSite* site, std::string* error) {
  return VmdSiteParse(site, VmdDemoSiteText(), "demo.site (built in)", error);
}

const VmdPort* VmdSiteFindPort(const VmdSite& site, uint32_t id) {
  for (const VmdPort& p : site.ports)
    if (p.id == id) return &p;
  return nullptr;
}

const VmdDevice* VmdSiteFindDevice(const VmdSite& site, uint32_t instance) {
  for (const VmdDevice& d : site.devices)
    if (d.instance == instance) return &d;
  return nullptr;
}
