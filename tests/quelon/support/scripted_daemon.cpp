#include "tests/quelon/support/scripted_daemon.h"

#include "runtime/ioctl/ioctl_body.h"

namespace {

// The library's vendor identifier 555 (context 0), the service number
// 0xFFFFFFFF (context 1), then the opening of context 2.
const std::vector<uint8_t> kFrame = {0x0A, 0x02, 0x2B, 0x1C, 0xFF, 0xFF, 0xFF, 0xFF, 0x2E};
constexpr uint8_t kClosing = 0x2F;

void Header(std::vector<uint8_t>* out, uint8_t tagNumber, size_t length) {
  uint8_t tag = uint8_t(tagNumber << 4);
  if (length <= 4) {
    out->push_back(uint8_t(tag | length));
  } else if (length <= 253) {
    out->insert(out->end(), {uint8_t(tag | 5), uint8_t(length)});
  } else {
    out->insert(out->end(), {uint8_t(tag | 5), 254, uint8_t(length >> 8), uint8_t(length)});
  }
}

void Integer(std::vector<uint8_t>* out, uint8_t tagNumber, uint32_t v) {
  size_t n = v > 0xFFFFFF ? 4 : v > 0xFFFF ? 3 : v > 0xFF ? 2 : 1;
  Header(out, tagNumber, n);
  for (size_t i = n; i-- > 0;)
    out->push_back(uint8_t(v >> (8 * i)));
}

// The script's answer to an ioctl body: the daemon status, and for 0 the
// answer body.
uint16_t ScriptAnswer(const Script& script, std::span<const uint8_t> body,
                      std::vector<uint8_t>* answer) {
  IoctlParsedRequest rq;
  IoctlParseRequest(body.data(), uint32_t(body.size()), &rq);
  uint32_t input = 0;
  TagCursor values = rq.values;
  TagCursorReadU32(&values, TAG_UNSIGNED, &input);
  Answer a = script(rq.code, input);
  if (a.daemon_status != 0) return a.daemon_status;
  *answer = kFrame;
  Integer(answer, 9, a.status);
  if (a.status == 0) answer->insert(answer->end(), a.values.bytes.begin(), a.values.bytes.end());
  answer->push_back(kClosing);
  return 0;
}

constexpr int kPrivateTransfer = 18;

}  // namespace

Values& Values::Unsigned(uint32_t v) {
  Integer(&bytes, 2, v);
  return *this;
}

Values& Values::Enum(uint32_t v) {
  Integer(&bytes, 9, v);
  return *this;
}

Values& Values::Boolean(bool v) {
  bytes.push_back(v ? 0x11 : 0x10);
  return *this;
}

Values& Values::Text(const std::string& text) {
  Header(&bytes, 7, text.size() + 1);
  bytes.push_back(0);
  bytes.insert(bytes.end(), text.begin(), text.end());
  return *this;
}

Values& Values::Octets(const std::vector<uint8_t>& octets) {
  Header(&bytes, 6, octets.size());
  bytes.insert(bytes.end(), octets.begin(), octets.end());
  return *this;
}

Values& Values::Bits(uint8_t unused, const std::vector<uint8_t>& octets) {
  Header(&bytes, 8, octets.size() + 1);
  bytes.push_back(unused);
  bytes.insert(bytes.end(), octets.begin(), octets.end());
  return *this;
}

ScriptedDaemon::ScriptedDaemon(const std::string& dir, Script script, const std::string& siteText) {
  VmdConfig config;
  config.pipe_path = dir + "/velmora";
  config.log_quiet = true;
  VmdSiteDefaults(&config.site);
  // Unanswered requests time out at once: the tests wait for that.
  config.site.apdu_timeout_ms = 0;
  if (!siteText.empty() && !VmdSiteParse(&config.site, siteText, "test.site", &error_)) return;
  server_ = VmdStart(config, &error_);
  if (!server_) return;
  VmdSetIoctlHandler(
      server_, [script](uint32_t, std::span<const uint8_t> body, std::vector<uint8_t>* answer) {
        return ScriptAnswer(script, body, answer);
      });
  VmdSetConfirmedHandler(server_, [script](const VmdConfirmed& rq, VmdAnswer* a) {
    return rq.params.service == kPrivateTransfer &&
           ScriptAnswer(script, rq.request, &a->answer) == 0;
  });
}

ScriptedDaemon::~ScriptedDaemon() {
  if (server_) VmdStop(server_);
}
