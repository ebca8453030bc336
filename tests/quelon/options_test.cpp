// quelon's command line: which sections each combination of options runs,
// in their fixed order, and every combination it refuses with its fatal
// text and exit code 255 (-1), nothing sent.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "tests/quelon/support/quelon_run.h"
#include "tests/support/deadline.h"

namespace {

const char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0

[port 1]
type = physical
protocol = bip
network = 1
bbmd = yes
bdt = C0A80001BAC0 FFFFFFFF

[port 2]
type = ptp
protocol = ptp
)";

const char kLocal[] = "--- Local Velmora device";
const char kDaemon[] = "--- Daemon:";
const char kIpc[] = "--- IPC:";
const char kAppl[] = "--- Applications:";
const char kTsm[] = "Application TSMs status:";
const char kNl[] = "--- NL timeouts info:";
const char kPorts[] = "--- NL ports:";
const char kPdu[] = "--- PDU:";
const char kBip1[] = "--- B/IP port (1):";
const char kBip2[] = "--- B/IP port (2):";

const char kWrite[] = "--write";
const char kCell[] = "C0A80001BAC0FFFFFFFF";

// The lines that open the sections, in output order.
std::vector<std::string> Sections(const std::string& out) {
  std::vector<std::string> sections;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("--- ", 0) == 0 || line == kTsm) sections.push_back(line);
  return sections;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

struct Case {
  std::vector<std::string> args;
  // A fatal text (its printed block follows the banner), else the sections.
  const char* fatal;
  std::vector<std::string> sections;
};

const std::vector<std::string> kFull = {kLocal, kDaemon, kAppl, kNl, kPorts, kPdu};

// Ten cells, quoted: longer than the 200 characters the value may have.
std::string TenCells() {
  std::string cells;
  for (int i = 0; i < 10; ++i)
    cells += std::string(i ? ", " : "") + kCell;
  return "\"" + cells + "\"";
}

std::string Conflict(const char* option) {
  return std::string("Control options (") + option +
         ") can't be union with other optionsinstead of --port.\n";
}

TEST(QuelonOptions, ModesAndConflicts) {
  TestDeadline deadline{std::chrono::seconds(100)};
  TempDir temp;
  Velmorad daemon(temp.path(), kSite);
  ASSERT_TRUE(daemon.ready()) << daemon.Log();
  const std::string connect = Conflict("--connect"), disconnect = Conflict("--disconnect"),
                    write = Conflict("--write"), send = Conflict("--send");
  const Case cases[] = {
      // No info option reads as --full: the four sections for every
      // application and port.
      {{}, nullptr, kFull},
      {{"-f"}, nullptr, kFull},
      {{"--full"}, nullptr, kFull},
      {{"-n", "5"}, nullptr, kFull},  // a target modifier alone
      {{"--port=-1", "--aid=-1"}, nullptr, kFull},
      {{"-d"}, nullptr, {kLocal, kDaemon}},
      {{"-p", "-d"}, nullptr, {kLocal, kDaemon, kPdu}},
      {{"--pdu", "--nl", "--appl"}, nullptr, {kLocal, kAppl, kNl, kPorts, kPdu}},
      {{"-a", "--aid=1"}, nullptr, {kLocal, kAppl}},
      {{"-l", "--port:2"}, nullptr, {kLocal, kNl, kPorts}},
      {{"--ipc"}, nullptr, {kLocal, kIpc}},
      {{"--apptsmstatus", "--aid=0x1"}, nullptr, {kLocal, kTsm}},
      {{"--ipc", "-p", "--apptsmstatus", "-d"}, nullptr, {kLocal, kDaemon, kIpc, kTsm, kPdu}},
      {{"-b", "--port", "1"}, nullptr, {kLocal, kBip1}},
      {{"--fdt", "--port=1"}, nullptr, {kLocal, kBip1}},
      {{"--fdt", "-d", "--port=2"}, nullptr, {kLocal, kDaemon, kBip2}},
      {{"-l", "--port=2", "-b"}, nullptr, {kLocal, kNl, kPorts, kBip2}},
      // The controls print nothing but the target when they succeed.
      {{"--connect", "--port", "2"}, nullptr, {kLocal}},
      {{"--down", "--port=2"}, nullptr, {kLocal}},
      {{"-b", "--port", "1", "--send"}, nullptr, {kLocal}},
      {{"-b", "--port", "1", "--send", "-r", "C0A80001BAC0"}, nullptr, {kLocal}},
      {{"-b", "--port", "1", kWrite, kCell}, nullptr, {kLocal}},
      // Option values.
      {{"--aid=-2"}, "Invalid application ID.\nTry '--help' for more information.\n", {}},
      {{"-a", "--aid", "-1"}, "Invalid options --aid\n", {}},  // "-1" is no value
      {{"-a", "--aid=abc"}, "Invalid options --aid\n", {}},
      {{"-d", "--aid=1x"}, "Invalid options --aid\n", {}},
      {{"--port", "0"}, "Invalid port ID.\nTry '--help' for more information.\n", {}},
      {{"-l", "--port=-5"}, "Invalid port ID.\nTry '--help' for more information.\n", {}},
      {{"-l", "--port", "-1"}, "Invalid options --port\n", {}},
      {{"-l", "--port"}, "Invalid options --port\n", {}},
      {{"-b"}, "Real port ID need!\n", {}},
      {{"--fdt", "-d"}, "Real port ID need!\n", {}},
      {{"--connect"}, "Real port ID need!\n", {}},
      {{"--disconnect", "--port=-1"}, "Real port ID need!\n", {}},
      // A value with characters left over is refused, not cut short.
      {{"-m:C0:A8:00:01:BA:C0", "-d"}, "Can't get MAC address", {}},
      {{"-m:0102030405060708"}, "Can't get MAC address", {}},
      {{"-m"}, "Can't get MAC address", {}},
      {{"-m="}, "Can't get MAC address", {}},
      {{"-m:21", "-n:70000"}, "Can't get net number", {}},
      {{"-s", "-n:x"}, "Can't get net number", {}},
      {{"-b", "--port", "1", kWrite, "C0A80001BAC0FFFFFFFF,C0A80101BAC0FFFFFFFF"},
       "Can't get BDT from command line\n",
       {}},
      {{"-b", "--port", "1", kWrite, "C0A80001BAC0FFFFFFFF,", "C0A80101BAC0FFFFFFFF"},
       "Can't get BDT from command line\n",
       {}},
      {{"-b", "--port", "1", kWrite, TenCells()}, "Can't get BDT from command line\n", {}},
      // The usage's example as a shell splits it: the quote is never closed.
      {{"-b", "--port", "1", kWrite, "\"C0A80001BAC0FFFFFFFF,", "C0A80101BAC0FFFFFFFF\""},
       "Can't get BDT from command line\n",
       {}},
      {{"-b", "--port", "1", kWrite}, "Can't get BDT from command line\n", {}},
      {{"-b", "--port", "1", kWrite, "C0A80001BAC0FFFFFF"},
       "Can't convert BDT from str to structure\n",
       {}},
      {{"-b", "--port", "1", kWrite, "\"C0A80001BAC0FFFFFFFF, C0A80101BAC0FF\""},
       "Can't convert BDT from str to structure\n",
       {}},
      {{"-b", "--port", "1", "--send", "-r:C0A8"}, "Can't get MAC address", {}},
      {{"-b", "--port", "1", "--send", "-r:C0:A8:00:01:BA:C0"}, "Can't get MAC address", {}},
      // A control goes alone, whatever the order of the arguments.
      {{"-d", "--connect"}, connect.c_str(), {}},
      {{"--connect", "-d", "--port", "2"}, connect.c_str(), {}},
      {{"--ipc", "--connect", "--port", "2"}, connect.c_str(), {}},
      {{"--up", "--port=2", "-b"}, connect.c_str(), {}},
      {{"--down", "--port", "2", "--fdt"}, disconnect.c_str(), {}},
      {{"--disconnect", "--apptsmstatus", "--port", "2"}, disconnect.c_str(), {}},
      {{"--connect", "--disconnect", "--port", "2"}, disconnect.c_str(), {}},
      {{"-b", "--port", "1", kWrite, kCell, "-a"}, write.c_str(), {}},
      {{"--fdt", "-b", "--port", "1", kWrite, kCell}, write.c_str(), {}},
      {{"-b", "--port", "1", kWrite, kCell, "--ipc"}, write.c_str(), {}},
      {{"--apptsmstatus", "-b", "--port", "1", "--send"}, send.c_str(), {}},
      {{"-b", "--port", "1", "--send", "-l"}, send.c_str(), {}},
      {{"-b", "--port", "1", "--send", kWrite, kCell}, send.c_str(), {}},
      {{"-b", "--port", "1", kWrite, kCell, "--connect"}, connect.c_str(), {}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args)
      line += a + " ";
    SCOPED_TRACE("quelon " + line);
    QuelonRun r = RunQuelon(temp.path(), c.args);
    if (c.fatal) {
      EXPECT_EQ(r.status, 255);
      EXPECT_OUTPUT(std::string(kQuelonBanner) + "FATAL ERROR: " + c.fatal +
                        "\nFile: .\\quelon.c, line {N}\n",
                    r.out);
    } else {
      EXPECT_EQ(r.status, 0) << r.out;
      EXPECT_EQ(Sections(r.out), c.sections) << r.out;
    }
  }
  // Of the controls only those of the command lines that were taken
  // reached the daemon.
  const std::string log = daemon.Log();
  EXPECT_EQ(Count(log, "port 2 connected"), 1u) << log;
  EXPECT_EQ(Count(log, "port 2 disconnected"), 1u) << log;
  EXPECT_EQ(Count(log, "BDT of port 1 written"), 1u) << log;
  EXPECT_EQ(Count(log, "sent from port 1"), 2u) << log;
}

}  // namespace
