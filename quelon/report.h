// What every report and control module of quelon shares: the fatal error
// that ends the program, the names of the answer statuses, and one ioctl
// request's road (code and inputs put, executed at the target, its status
// read) in the failure style of its module.
//
// A failed execution or a status other than OK at a target is printed and
// the request fails, so that the section ends and the next one runs; only a
// broken expectation of the program itself (a put that fails, missing
// arguments) or a reply of the local daemon without the values its code
// promises is fatal. A remote device's reply that cannot be read (not an
// answer to the request, or without those values) ends its section with
// the module's failure line, and the run counts it.
#pragma once

#include <cstdint>
#include <functional>
#include <source_location>
#include <span>
#include <vector>

#include "bacnet/records.h"
#include "runtime/ioctl/velmora_ioctl.h"

// "FATAL ERROR: %s\nFile: %s, line %i\n" on standard output, then the
// process exits with code -1 (255), the library left running.
[[noreturn]] void FatalError(const char* message, const char* file, int line);
// FatalError at the caller's line of the module `file` (".\\app_info.c").
[[noreturn]] void Fatal(const char* file, const char* message,
                        std::source_location at = std::source_location::current());

// "OK" to "UNKNOWN_ERROR", "<UNKNOWN>" for any other value.
const char* IoctlStatusText(IoctlStatus status);

// How a module shows a failed execution.
enum class ReportExecStyle {
  Status,       // the status line, no message
  StatusNamed,  // "VelmoraIoctlExec() failed" above the status line
  CodeInline,   // "IoctlExec() failed - %i\n"
};

// The failure texts of one module.
struct ReportStyle {
  const char* file;           // as FatalError names it
  const char* put_code;       // fatal when the request code cannot be put
  const char* create_failed;  // fatal when no request can be made; NULL: put_code
  ReportExecStyle exec;
  const char* status_line;  // a status other than OK: printf of its name and number
  const char* status_lost;  // fatal when the status cannot be read; NULL: the read fails
  const char* read_failed;  // printed when the answer cannot be read; NULL: nothing
};

// The styles the modules share. Terse: the daemon status, IPC and
// application information reports, whose reader fails rather than ends the
// program. Inline: the counters of applications and of the PDU pool.
// Quoted: the lists, tables and controls. Port: the port reports and the
// network-layer timeouts.
constexpr ReportStyle ReportStyleTerse(const char* file) {
  return {file,
          "Can't put IOCTL request\n",
          nullptr,
          ReportExecStyle::Status,
          "Velmora IOCTL status is %s\n",
          nullptr,
          "OutputParametersGet() failed\n"};
}
constexpr ReportStyle ReportStyleInline(const char* file) {
  return {file,
          "Can't put IOCTL request\n",
          nullptr,
          ReportExecStyle::CodeInline,
          "IOCTL status isn't OK - %s (%i)\n",
          "Can't get IOCTL status\n",
          "OutputParametersGet() failed\n"};
}
constexpr ReportStyle ReportStyleQuoted(const char* file, const char* putCode,
                                        const char* readFailed) {
  return {file,
          putCode,
          nullptr,
          ReportExecStyle::StatusNamed,
          "IOCTL status isn't OK - '%s' (%i)\n",
          "Can't get IOCTL status\n",
          readFailed};
}
constexpr ReportStyle ReportStylePort(const char* file) {
  return {file,
          "Can't put IOCTL request",
          nullptr,
          ReportExecStyle::Status,
          "IOCTL status isn't OK - '%s' (%i)\n",
          "Can't get IOCTL status\n",
          "OutputParametersGet() failed\n"};
}

// A value missing from the answer being read. From the local daemon the
// message is fatal; from a remote target it is printed as a line, once per
// answer, and the answer counts as unreadable.
void ReportValueMissing(const char* file, const char* message,
                        std::source_location at = std::source_location::current());
// The same without a message: the reader fails with its module's own line.
void ReportAnswerUnreadable();
// Whether a value of the answer being read was missing at a remote target:
// its reader has then failed, whatever it returns.
bool ReportAnswerLost();
// The replies of remote targets that could not be read in this run: not
// an answer to their request (the execution's illegal-response or
// invalid-packet status), or without the values their code promises.
uint32_t ReportUnreadableAnswers();

// Reads an answer after its execution; false when it cannot be read.
using ReportReader = std::function<bool(VelmoraIoctlHandle)>;

// One request of a module, deleted with it.
class ReportRequest {
 public:
  ReportRequest(const ReportStyle& style, IoctlCode code,
                std::source_location at = std::source_location::current());
  ~ReportRequest();
  ReportRequest(const ReportRequest&) = delete;
  ReportRequest& operator=(const ReportRequest&) = delete;

  // Inputs after the code; a failing put is fatal with the message.
  void PutUnsigned(uint32_t value, const char* message,
                   std::source_location at = std::source_location::current());
  void PutOctets(const uint8_t* bytes, uint32_t length, const char* message,
                 std::source_location at = std::source_location::current());

  // Executes at the target (none: the local daemon). A failed execution is
  // shown in the module's style and gives false; else the answer is read
  // with `read`, and read_failed is printed when that fails.
  bool Run(const VelmoraAddress* target, const ReportReader& read);
  // Run for a request whose answer is its status alone.
  bool RunForStatus(const VelmoraAddress* target);
  // The execution alone: its public status (0: the answer can be read). It
  // begins the reading of the answer, for ReportAnswerLost.
  VelmoraStatus Execute(const VelmoraAddress* target);
  VelmoraIoctlHandle handle() const { return handle_; }

 private:
  const ReportStyle& style_;
  VelmoraIoctlHandle handle_;
};

// A request of the code and one unsigned input (an application or port
// identifier), run with `read`.
bool ReportRunWithInput(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                        uint32_t input, const char* inputMessage, const ReportReader& read,
                        std::source_location at = std::source_location::current());

// The answer's status into *status: false when it cannot be read (fatal
// with status_lost when the module has one).
bool ReportGetStatus(const ReportStyle& style, VelmoraIoctlHandle handle, IoctlStatus* status,
                     std::source_location at = std::source_location::current());
// The module's status line for a status other than OK.
void ReportPrintStatus(const ReportStyle& style, IoctlStatus status);
// The answer's status: true for OK. Another status is printed with the
// module's status line; a status that cannot be read is fatal with
// status_lost, or gives false without it.
bool ReportStatusOk(const ReportStyle& style, VelmoraIoctlHandle handle,
                    std::source_location at = std::source_location::current());

// The next reply value; ReportValueMissing with the message when it is
// missing (then 0).
uint32_t ReportGetUnsigned(VelmoraIoctlHandle handle, const char* file, const char* message,
                           std::source_location at = std::source_location::current());
uint32_t ReportGetEnum(VelmoraIoctlHandle handle, const char* file, const char* message,
                       std::source_location at = std::source_location::current());
// The next values, all unsigned; false, the answer unreadable, when one is
// missing.
bool ReportGetValues(VelmoraIoctlHandle handle, std::span<uint32_t> values);

// A request of the code alone whose answer holds values.size() unsigned
// values after its status. A missing value is ReportValueMissing with its
// message, or without messages makes the read fail.
bool ReportGetFixed(const ReportStyle& style, const VelmoraAddress* target, IoctlCode code,
                    std::span<uint32_t> values, std::span<const char* const> messages = {},
                    std::source_location at = std::source_location::current());

// An unsigned count, then that many unsigned values up to `max` each. The
// values are read one by one, so a count beyond what the reply holds fails
// at its first missing value instead of sizing a table:
// ReportValueMissing with countMessage or itemMessage, and no more values.
std::vector<uint32_t> ReportGetUnsignedList(
    VelmoraIoctlHandle handle, const char* file, const char* countMessage, const char* itemMessage,
    uint32_t max = UINT32_MAX, std::source_location at = std::source_location::current());
// The status, then such a list: what a list request reads.
bool ReportReadList(const ReportStyle& style, VelmoraIoctlHandle handle, const char* countMessage,
                    const char* itemMessage, std::vector<uint32_t>* values,
                    uint32_t max = UINT32_MAX,
                    std::source_location at = std::source_location::current());

// The title, then each value through its printf format.
void ReportPrintLines(const char* title, std::span<const char* const> formats,
                      std::span<const uint32_t> values);

// A printer's ending: print() when the fetch succeeded, else errorFormat
// (when given) with the id; whether it succeeded.
bool ReportPrinted(bool fetched, const std::function<void()>& print, const char* errorFormat,
                   uint32_t id = 0);

// Runs each(target, id) for every id in order: each prints its own error,
// and a failed one does not stop the others. The number of ids.
uint32_t ReportForEach(const VelmoraAddress* target, const std::vector<uint32_t>& ids,
                       bool (*each)(const VelmoraAddress* target, uint32_t id));
