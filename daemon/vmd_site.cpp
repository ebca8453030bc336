#include "daemon/vmd_site.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// Whole-text unsigned number (decimal, or hex after 0x) within [lo, hi].
bool ParseNumber(const std::string& text, uint64_t lo, uint64_t hi, uint64_t* out) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
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

struct Parser {
  VmdSite* site;
  const std::string& name;
  std::string* error;
  int line = 0;

  bool Fail(const std::string& msg) {
    if (error) *error = name + ":" + std::to_string(line) + ": " + msg;
    return false;
  }

  // Network number: 0 means the local network, 1..65535 a remote one.
  bool Network(const std::string& value, LinkAddress* a) {
    uint64_t n = 0;
    if (!ParseNumber(value, 0, 65535, &n))
      return Fail("bad network '" + value + "' (expected 0 to 65535)");
    a->net = uint16_t(n);
    a->netPresent = n != 0;
    return true;
  }

  bool Mac(const std::string& value, LinkAddress* a, bool allow_empty) {
    if (value.empty() && allow_empty) {
      a->macLen = 0;
      memset(a->mac, 0, sizeof a->mac);
      return true;
    }
    if (!VmdParseMac(value, a))
      return Fail("bad mac '" + value + "' (expected 1 to 7 hex octets separated by ':')");
    return true;
  }

  bool DaemonKey(const std::string& key, const std::string& value) {
    if (key == "mac") return Mac(value, &site->local, false);
    if (key == "network") return Network(value, &site->local);
    if (key == "max_apdu") {
      uint64_t n = 0;
      if (!ParseNumber(value, 50, 1476, &n))
        return Fail("bad max_apdu '" + value + "' (expected 50 to 1476)");
      site->max_apdu = uint32_t(n);
      return true;
    }
    if (key == "version") {
      if (!ParseVersion(value, site->version))
        return Fail("bad version '" + value + "' (expected MAJOR.MINOR.PATCH)");
      return true;
    }
    return Fail("unknown key '" + key + "' in [daemon]");
  }

  bool DeviceKey(VmdSiteDevice* d, const std::string& key, const std::string& value) {
    if (key == "mac") return Mac(value, &d->address, false);
    if (key == "network") return Network(value, &d->address);
    d->settings.emplace_back(key, value);
    return true;
  }

  bool Run(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    enum {
      kNone,
      kDaemon,
      kDevice
    } section = kNone;
    while (std::getline(in, raw)) {
      ++line;
      size_t hash = raw.find('#');
      std::string s = Trim(hash == std::string::npos ? raw : raw.substr(0, hash));
      if (s.empty()) continue;
      if (s.front() == '[') {
        if (s.back() != ']') return Fail("unterminated section header");
        std::string head = Trim(s.substr(1, s.size() - 2));
        if (head == "daemon") {
          section = kDaemon;
          continue;
        }
        if (head.rfind("device", 0) == 0 && head.size() > 6 &&
            (head[6] == ' ' || head[6] == '\t')) {
          uint64_t inst = 0;
          std::string num = Trim(head.substr(6));
          if (!ParseNumber(num, 0, 0x3FFFFE, &inst))
            return Fail("bad device instance '" + num + "' (expected 0 to 4194302)");
          for (const VmdSiteDevice& d : site->devices)
            if (d.instance == inst) return Fail("device " + num + " defined twice");
          VmdSiteDevice d{};
          d.instance = uint32_t(inst);
          d.address.kind = 130;
          d.line = line;
          site->devices.push_back(d);
          section = kDevice;
          continue;
        }
        return Fail("unknown section '" + head + "'");
      }
      size_t eq = s.find('=');
      if (eq == std::string::npos) return Fail("expected KEY = VALUE");
      std::string key = Trim(s.substr(0, eq));
      std::string value = Trim(s.substr(eq + 1));
      if (key.empty()) return Fail("missing key before '='");
      bool ok = section == kDaemon   ? DaemonKey(key, value)
                : section == kDevice ? DeviceKey(&site->devices.back(), key, value)
                                     : Fail("'" + key + "' outside a section");
      if (!ok) return false;
    }
    for (const VmdSiteDevice& d : site->devices) {
      if (d.address.macLen == 0) {
        line = d.line;
        return Fail("device " + std::to_string(d.instance) + " has no mac");
      }
    }
    return true;
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
  Parser p{&parsed, name, error};
  if (!p.Run(text)) return false;
  *site = std::move(parsed);
  return true;
}

bool VmdSiteLoad(VmdSite* site, const std::string& path, std::string* error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    if (error) *error = path + ": cannot open: " + strerror(errno);
    return false;
  }
  std::ostringstream text;
  text << f.rdbuf();
  return VmdSiteParse(site, text.str(), path, error);
}
