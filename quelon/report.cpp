#include "quelon/report.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "text/status_text.h"

namespace {

constexpr const char* kStatusNames[] = {
    "OK",
    "NO_PERMISSION",
    "INVALID_NUM_ARG",
    "INVALID_APP_ID",
    "INVALID_PORT_ID",
    "INVALID_PORT_TYPE",
    "INVALID_PARAM",
    "NOT_SUPPORTED",
    "BUSY",
    "ALREADY_EXISTS",
    "OUT_OF_MEMORY",
    "TOO_MANY_PORTS",
    "NO_PDU",
    "TOO_BIG",
    "NOT_FOUND",
    "UNKNOWN_ERROR",
};

// The answer being read, from the execution that brought it.
struct AnswerState {
  bool remote;  // from a device, not the local daemon
  bool lost;    // a value it promised was missing
};
AnswerState g_answer = {false, false};
uint32_t g_unreadable = 0;

bool IsUnreadable(VelmoraStatus status) {
  return status == VELMORA_STATUS_ILLEGAL_RESPONSE || status == VELMORA_STATUS_INVALID_PACKET;
}

}  // namespace

void FatalError(const char* message, const char* file, int line) {
  std::printf("FATAL ERROR: %s\nFile: %s, line %i\n", message, file, line);
  // A plain exit: it flushes what the reports wrote before, and the
  // library, still started here, lets the process end under its threads.
  std::exit(-1);
}

void Fatal(const char* file, const char* message, std::source_location at) {
  FatalError(message, file, int(at.line()));
}

void ReportAnswerUnreadable() {
  if (!g_answer.remote || g_answer.lost) return;
  g_answer.lost = true;
  ++g_unreadable;
}

void ReportValueMissing(const char* file, const char* message, std::source_location at) {
  if (!g_answer.remote) Fatal(file, message, at);
  if (g_answer.lost) return;
  const std::string_view text = message;
  std::fputs(message, stdout);
  if (!text.ends_with('\n')) std::fputs("\n", stdout);
  ReportAnswerUnreadable();
}

bool ReportAnswerLost() { return g_answer.lost; }

uint32_t ReportUnreadableAnswers() { return g_unreadable; }

const char* IoctlStatusText(IoctlStatus status) {
  return status < std::size(kStatusNames) ? kStatusNames[status] : "<UNKNOWN>";
}

ReportRequest::ReportRequest(const ReportStyle& style, IoctlCode code, std::source_location at)
    : style_(style), handle_(VelmoraIoctlCreate()) {
  if (handle_ == 0 && style_.create_failed) Fatal(style_.file, style_.create_failed, at);
  if (!VelmoraIoPutEnum(handle_, code)) Fatal(style_.file, style_.put_code, at);
}

ReportRequest::~ReportRequest() {
  if (handle_ != 0) VelmoraIoctlDelete(handle_);
}

void ReportRequest::PutUnsigned(uint32_t value, const char* message, std::source_location at) {
  if (!VelmoraIoPutUnsigned(handle_, value)) Fatal(style_.file, message, at);
}

void ReportRequest::PutOctets(const uint8_t* bytes, uint32_t length, const char* message,
                              std::source_location at) {
  if (!VelmoraIoPutOctetString(handle_, length, bytes)) Fatal(style_.file, message, at);
}

VelmoraStatus ReportRequest::Execute(const VelmoraAddress* target) {
  g_answer = {target != nullptr, false};
  const VelmoraStatus status = target ? VelmoraIoctlExecRemote(handle_, nullptr, target, nullptr)
                                      : VelmoraIoctlExec(handle_);
  if (target && IsUnreadable(status)) ++g_unreadable;
  return status;
}

bool ReportRequest::Run(const VelmoraAddress* target, const ReportReader& read) {
  VelmoraStatus status = Execute(target);
  if (status != VELMORA_STATUS_OK) {
    switch (style_.exec) {
      case ReportExecStyle::Status:
        VelmoraPrintStatus(status, nullptr, nullptr);
        break;
      case ReportExecStyle::StatusNamed:
        VelmoraPrintStatus(status, nullptr, "VelmoraIoctlExec() failed");
        break;
      case ReportExecStyle::CodeInline:
        std::printf("IoctlExec() failed - %i\n", int(status));
        break;
    }
    return false;
  }
  if (read(handle_) && !ReportAnswerLost()) return true;
  if (style_.read_failed) std::fputs(style_.read_failed, stdout);
  return false;
}

bool ReportRunWithInput(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                        uint32_t input, const char* inputMessage, const ReportReader& read,
                        std::source_location at) {
  ReportRequest request(style, code, at);
  request.PutUnsigned(input, inputMessage, at);
  return request.Run(target, read);
}

bool ReportGetStatus(const ReportStyle& style, VelmoraIoctlHandle handle, IoctlStatus* status,
                     std::source_location at) {
  if (VelmoraIoGetEnum(handle, status)) return true;
  if (style.status_lost)
    ReportValueMissing(style.file, style.status_lost, at);
  else
    ReportAnswerUnreadable();
  return false;
}

void ReportPrintStatus(const ReportStyle& style, IoctlStatus status) {
  std::printf(style.status_line, IoctlStatusText(status), int(status));
}

bool ReportRequest::RunForStatus(const VelmoraAddress* target) {
  return Run(target, [this](VelmoraIoctlHandle h) { return ReportStatusOk(style_, h); });
}

bool ReportStatusOk(const ReportStyle& style, VelmoraIoctlHandle handle, std::source_location at) {
  IoctlStatus status = IOCTL_STATUS_OK;
  if (!ReportGetStatus(style, handle, &status, at)) return false;
  if (status == IOCTL_STATUS_OK) return true;
  ReportPrintStatus(style, status);
  return false;
}

uint32_t ReportGetUnsigned(VelmoraIoctlHandle handle, const char* file, const char* message,
                           std::source_location at) {
  uint32_t value = 0;
  if (!VelmoraIoGetUnsigned(handle, &value)) ReportValueMissing(file, message, at);
  return value;
}

uint32_t ReportGetEnum(VelmoraIoctlHandle handle, const char* file, const char* message,
                       std::source_location at) {
  uint32_t value = 0;
  if (!VelmoraIoGetEnum(handle, &value)) ReportValueMissing(file, message, at);
  return value;
}

bool ReportGetValues(VelmoraIoctlHandle handle, std::span<uint32_t> values) {
  for (uint32_t& value : values) {
    if (!VelmoraIoGetUnsigned(handle, &value)) {
      ReportAnswerUnreadable();
      return false;
    }
  }
  return true;
}

bool ReportGetFixed(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                    std::span<uint32_t> values, std::span<const char* const> messages,
                    std::source_location at) {
  ReportRequest request(style, code, at);
  return request.Run(target, [&](VelmoraIoctlHandle handle) {
    if (!ReportStatusOk(style, handle, at)) return false;
    if (messages.empty()) return ReportGetValues(handle, values);
    for (size_t i = 0; i < values.size(); ++i)
      values[i] = ReportGetUnsigned(handle, style.file, messages[i], at);
    return true;
  });
}

bool ReportReadList(const ReportStyle& style, VelmoraIoctlHandle handle, const char* countMessage,
                    const char* itemMessage, std::vector<uint32_t>* values, uint32_t max,
                    std::source_location at) {
  if (!ReportStatusOk(style, handle, at)) return false;
  *values = ReportGetUnsignedList(handle, style.file, countMessage, itemMessage, max, at);
  return true;
}

bool ReportPrinted(bool fetched, const std::function<void()>& print, const char* errorFormat,
                   uint32_t id) {
  if (fetched)
    print();
  else if (errorFormat)
    std::printf(errorFormat, (unsigned long)id);
  return fetched;
}

void ReportPrintLines(const char* title, std::span<const char* const> formats,
                      std::span<const uint32_t> values) {
  std::fputs(title, stdout);
  for (size_t i = 0; i < formats.size() && i < values.size(); ++i)
    std::printf(formats[i], long(values[i]));
}

std::vector<uint32_t> ReportGetUnsignedList(VelmoraIoctlHandle handle, const char* file,
                                            const char* countMessage, const char* itemMessage,
                                            uint32_t max, std::source_location at) {
  uint32_t count = ReportGetUnsigned(handle, file, countMessage, at);
  std::vector<uint32_t> values;
  for (uint32_t i = 0; i < count && !ReportAnswerLost(); ++i) {
    uint32_t value = ReportGetUnsigned(handle, file, itemMessage, at);
    if (value > max) ReportValueMissing(file, itemMessage, at);
    if (ReportAnswerLost()) break;
    values.push_back(value);
  }
  return values;
}

uint32_t ReportForEach(const VelmoraAddress* target, const std::vector<uint32_t>& ids,
                       bool (*each)(const VelmoraAddress* target, uint32_t id)) {
  for (uint32_t id : ids)
    each(target, id);
  return uint32_t(ids.size());
}
