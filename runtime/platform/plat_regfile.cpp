#include "runtime/platform/plat_regfile.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "runtime/platform/plat_registry.h"

namespace {

constexpr std::string_view kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKLM"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasControl(std::string_view s) {
  for (unsigned char c : s) {
    if (c < 0x20 && c != '\t') return true;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && RegNameEqual(s.substr(0, prefix.size()), prefix);
}

// The text form of a string or multi-string element, with the terminator
// dropped; false when the data cannot be written that way.
bool PlainString(const std::vector<unsigned char>& data, std::string* out) {
  if (data.empty() || data.back() != 0) return false;
  out->assign(data.begin(), data.end() - 1);
  return out->find('\0') == std::string::npos && !HasControl(*out);
}

bool PlainMulti(const std::vector<unsigned char>& data, std::vector<std::string>* out) {
  // Non-empty strings, each terminated, then one more terminator.
  if (data.empty() || data.back() != 0) return false;
  out->clear();
  size_t i = 0;
  while (i + 1 < data.size()) {
    size_t end = i;
    while (data[end] != 0)
      ++end;
    if (end == i) return false;
    std::string s(data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(end));
    if (HasControl(s)) return false;
    out->push_back(std::move(s));
    i = end + 1;
  }
  return i + 1 == data.size();
}

std::string Quote(std::string_view s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') q += '\\';
    q += c;
  }
  return q + '"';
}

void AppendHex(std::string* out, const std::vector<unsigned char>& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < data.size(); ++i) {
    if (i) *out += ',';
    *out += kDigits[data[i] >> 4];
    *out += kDigits[data[i] & 15];
  }
}

std::string FormatData(const RegValue& v) {
  std::string s;
  std::vector<std::string> multi;
  if (v.type == PLAT_REG_SZ && PlainString(v.data, &s)) return Quote(s);
  if (v.type == PLAT_REG_EXPAND_SZ && PlainString(v.data, &s)) return "expand:" + Quote(s);
  if (v.type == PLAT_REG_MULTI_SZ && PlainMulti(v.data, &multi)) {
    std::string out = "multi:";
    for (size_t i = 0; i < multi.size(); ++i) {
      if (i) out += ',';
      out += Quote(multi[i]);
    }
    return out;
  }
  if (v.type == PLAT_REG_DWORD && v.data.size() == 4) {
    const uint32_t n = uint32_t{v.data[0]} | uint32_t{v.data[1]} << 8 | uint32_t{v.data[2]} << 16 |
                       uint32_t{v.data[3]} << 24;
    char text[16];
    snprintf(text, sizeof text, "dword:%08x", n);
    return text;
  }
  std::string out;
  if (v.type == PLAT_REG_BINARY) {
    out = "hex:";
  } else {
    char text[24];
    snprintf(text, sizeof text, "hex(%x):", v.type);
    out = text;
  }
  AppendHex(&out, v.data);
  return out;
}

// A key without values that has subkeys gets no section of its own: its
// subkeys' sections imply it.
void FormatKey(const RegTree& key, const std::string& path, std::string* out) {
  if (!path.empty() && (!key.values.empty() || key.subkeys.empty())) {
    if (!out->empty()) *out += '\n';
    *out += '[' + path + "]\n";
    for (const RegValue& v : key.values) {
      *out += (v.name.empty() ? std::string("@") : Quote(v.name)) + '=' + FormatData(v) + '\n';
    }
  }
  for (const auto& sub : key.subkeys) {
    FormatKey(*sub, path.empty() ? sub->name : path + '\\' + sub->name, out);
  }
}

// Reads a quoted string at the start of s; the rest after it in *rest.
bool ParseQuoted(std::string_view s, std::string* out, std::string_view* rest) {
  if (s.empty() || s.front() != '"') return false;
  out->clear();
  size_t i = 1;
  while (i < s.size() && s[i] != '"') {
    if (s[i] == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return false;
      ++i;
    }
    *out += s[i++];
  }
  if (i >= s.size()) return false;
  *rest = s.substr(i + 1);
  return true;
}

// A name below its owner (a key), compared without regard to case. The
// parse indexes keys and values by it, so that finding one stays
// constant-time however many a store has; the name is a view of the key's
// own name or of the value name's text in the store, which both outlive
// the parse.
struct NameEntry {
  const void* owner;
  std::string_view name;
};

struct NameHash {
  size_t operator()(const NameEntry& e) const {
    size_t h = std::hash<const void*>()(e.owner);
    for (char c : e.name)
      h = (h ^ static_cast<unsigned char>(Lower(c))) * 0x100000001b3ull;
    return h;
  }
};

struct NameSame {
  bool operator()(const NameEntry& a, const NameEntry& b) const {
    return a.owner == b.owner && RegNameEqual(a.name, b.name);
  }
};

class Parser {
 public:
  Parser(std::string_view text, RegTree* root, RegParseError* error)
      : text_(text), root_(root), error_(error) {}

  bool Run() {
    root_->values.clear();
    root_->subkeys.clear();
    bool first = true;
    std::string_view line;
    while (NextLine(&line)) {
      if (line.empty() || line.front() == ';') continue;
      if (first && (line == "Windows Registry Editor Version 5.00" || line == "REGEDIT4")) {
        first = false;
        continue;
      }
      first = false;
      if (line.front() == '[') {
        if (!Section(line)) return false;
      } else if (line.front() == '"' || line.front() == '@') {
        if (!Value(line)) return false;
      } else {
        return Fail("expected a [key] line or a \"name\"=value line");
      }
    }
    return true;
  }

 private:
  bool NextLine(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    *line = Trim(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    ++line_;
    return true;
  }

  bool Fail(std::string message) {
    error_->line = line_;
    error_->message = std::move(message);
    return false;
  }

  bool Section(std::string_view line) {
    if (line.back() != ']') return Fail("a key line must end with ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    if (path.empty()) return Fail("empty key name");
    if (!path.empty() && path.front() == '-') return Fail("key deletion lines are not supported");
    for (std::string_view root : kRootNames) {
      if (RegNameEqual(path, root)) {
        path = {};
      } else if (StartsWithNoCase(path, root) && path.size() > root.size() &&
                 path[root.size()] == '\\') {
        path.remove_prefix(root.size() + 1);
      }
    }
    RegTree* key = root_;
    for (uint32_t depth = 1; !path.empty(); ++depth) {
      if (depth > PLAT_REG_DEPTH_MAX)
        return Fail("key path deeper than " + std::to_string(PLAT_REG_DEPTH_MAX) + " keys");
      const size_t cut = path.find('\\');
      const std::string_view name = path.substr(0, cut);
      if (name.empty()) return Fail("empty key name");
      if (!RegKeyNameValid(name)) return Fail("bad key name '" + std::string(name) + "'");
      const auto found = keys_.find(NameEntry{key, name});
      RegTree* sub = found == keys_.end() ? nullptr : found->second;
      if (!sub) {
        key->subkeys.push_back(std::make_unique<RegTree>());
        sub = key->subkeys.back().get();
        sub->name = std::string(name);
        keys_.emplace(NameEntry{key, sub->name}, sub);
      }
      key = sub;
      if (cut == std::string_view::npos) break;
      path.remove_prefix(cut + 1);
      if (path.empty()) return Fail("empty key name");
    }
    // Values cannot sit at the root: after "[HKEY_LOCAL_MACHINE]" they fail.
    key_ = key == root_ ? nullptr : key;
    return true;
  }

  bool Value(std::string_view line) {
    RegValue v;
    std::string_view rest;
    if (line.front() == '@') {
      rest = line.substr(1);
    } else if (!ParseQuoted(line, &v.name, &rest)) {
      return Fail("bad value name");
    }
    if (!RegValueNameValid(v.name)) return Fail("bad value name");
    // The name's text in the store stands for one name only (its escapes
    // are fixed); "@" and "" stand for the same one.
    const std::string_view text = line.front() == '@'
                                      ? std::string_view()
                                      : line.substr(1, size_t(rest.data() - line.data()) - 2);
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') return Fail("expected '=' after the value name");
    rest = Trim(rest.substr(1));
    if (!key_) return Fail("value line outside a key");
    if (!values_.insert(NameEntry{key_, text}).second)
      return Fail("duplicate value \"" + v.name + "\"");
    if (!Data(rest, &v)) return false;
    key_->values.push_back(std::move(v));
    return true;
  }

  bool Strings(std::string_view s, std::vector<std::string>* out) {
    out->clear();
    s = Trim(s);
    while (!s.empty()) {
      std::string one;
      if (!ParseQuoted(s, &one, &s)) return Fail("bad quoted string");
      out->push_back(std::move(one));
      s = Trim(s);
      if (s.empty()) break;
      if (s.front() != ',') return Fail("expected ',' between strings");
      s = Trim(s.substr(1));
      if (s.empty()) return Fail("string expected after ','");
    }
    return true;
  }

  bool Data(std::string_view s, RegValue* v) {
    std::vector<std::string> strings;
    if (!s.empty() && s.front() == '"') {
      std::string text;
      std::string_view rest;
      if (!ParseQuoted(s, &text, &rest) || !Trim(rest).empty()) return Fail("bad string data");
      v->type = PLAT_REG_SZ;
      v->data.assign(text.begin(), text.end());
      v->data.push_back(0);
      return true;
    }
    if (StartsWithNoCase(s, "expand:")) {
      if (!Strings(s.substr(7), &strings)) return false;
      if (strings.size() != 1) return Fail("expand: takes one string");
      v->type = PLAT_REG_EXPAND_SZ;
      v->data.assign(strings[0].begin(), strings[0].end());
      v->data.push_back(0);
      return true;
    }
    if (StartsWithNoCase(s, "multi:")) {
      if (!Strings(s.substr(6), &strings)) return false;
      v->type = PLAT_REG_MULTI_SZ;
      for (const std::string& one : strings) {
        if (one.empty()) return Fail("multi: strings cannot be empty");
        v->data.insert(v->data.end(), one.begin(), one.end());
        v->data.push_back(0);
      }
      v->data.push_back(0);
      return true;
    }
    if (StartsWithNoCase(s, "dword:")) {
      const std::string_view digits = s.substr(6);
      uint32_t n = 0;
      if (digits.empty() || digits.size() > 8) return Fail("dword: takes 1 to 8 hex digits");
      for (char c : digits) {
        if (HexDigit(c) < 0) return Fail("dword: takes 1 to 8 hex digits");
        n = n << 4 | static_cast<uint32_t>(HexDigit(c));
      }
      v->type = PLAT_REG_DWORD;
      v->data = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                 static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
      return true;
    }
    if (StartsWithNoCase(s, "hex:")) {
      v->type = PLAT_REG_BINARY;
      return HexBytes(s.substr(4), v);
    }
    if (StartsWithNoCase(s, "hex(")) {
      const size_t close = s.find("):");
      if (close == std::string_view::npos || close == 4 || close > 12)
        return Fail("bad hex(type):");
      uint32_t type = 0;
      for (char c : s.substr(4, close - 4)) {
        if (HexDigit(c) < 0) return Fail("bad hex(type):");
        type = type << 4 | static_cast<uint32_t>(HexDigit(c));
      }
      v->type = type;
      return HexBytes(s.substr(close + 2), v);
    }
    if (s == "-") return Fail("value deletion lines are not supported");
    return Fail("unknown value data");
  }

  // Comma-separated bytes; a trailing backslash continues on the next line.
  bool HexBytes(std::string_view s, RegValue* v) {
    for (;;) {
      s = Trim(s);
      bool more = false;
      if (!s.empty() && s.back() == '\\') {
        more = true;
        s = Trim(s.substr(0, s.size() - 1));
      }
      while (!s.empty()) {
        size_t n = 0;
        int byte = 0;
        while (n < s.size() && HexDigit(s[n]) >= 0)
          byte = byte << 4 | HexDigit(s[n++]);
        if (n == 0 || n > 2) return Fail("hex bytes are 1 or 2 hex digits, separated by ','");
        v->data.push_back(static_cast<unsigned char>(byte));
        s = Trim(s.substr(n));
        if (s.empty()) break;
        if (s.front() != ',') return Fail("hex bytes are 1 or 2 hex digits, separated by ','");
        s = Trim(s.substr(1));
        if (s.empty() && !more) return Fail("hex byte expected after ','");
      }
      if (!more) return true;
      if (!NextLine(&s)) return Fail("hex line continued past the end of the file");
    }
  }

  std::string_view text_;
  RegTree* root_;
  RegParseError* error_;
  RegTree* key_ = nullptr;
  std::unordered_map<NameEntry, RegTree*, NameHash, NameSame> keys_;
  std::unordered_set<NameEntry, NameHash, NameSame> values_;
  size_t pos_ = 0;
  unsigned line_ = 0;
};

}  // namespace

bool RegNameEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

RegTree* RegFindSubkey(const RegTree& key, std::string_view name) {
  for (const auto& sub : key.subkeys) {
    if (RegNameEqual(sub->name, name)) return sub.get();
  }
  return nullptr;
}

RegValue* RegFindValue(RegTree& key, std::string_view name) {
  for (RegValue& v : key.values) {
    if (RegNameEqual(v.name, name)) return &v;
  }
  return nullptr;
}

bool RegKeyNameValid(std::string_view name) {
  return !name.empty() && name.size() <= PLAT_REG_KEY_NAME_MAX &&
         name.find('\\') == std::string_view::npos && !HasControl(name) && name.front() != ' ' &&
         name.back() != ' ' && name.front() != '\t' && name.back() != '\t';
}

bool RegIsRootName(std::string_view name) {
  for (std::string_view root : kRootNames) {
    if (RegNameEqual(name, root)) return true;
  }
  return false;
}

bool RegValueNameValid(std::string_view name) {
  return name.size() <= PLAT_REG_VALUE_NAME_MAX && !HasControl(name);
}

bool RegParse(std::string_view text, RegTree* root, RegParseError* error) {
  return Parser(text, root, error).Run();
}

std::string RegFormat(const RegTree& root) {
  std::string out;
  FormatKey(root, "", &out);
  return out;
}
