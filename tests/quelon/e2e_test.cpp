// quelon run as a user runs it, against velmorad serving a test site: the
// whole output of each report, the controls and what they change, the
// searches over the devices of the local, a remote and the global network,
// and the exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/apil/velmora.h"
#include "tests/quelon/support/quelon_run.h"
#include "tests/support/deadline.h"

namespace {

// Two BBMD tables, a PTP port, a port of a type and protocol without a
// name; on the local network a device that answers ioctls, one that
// refuses them with a ConfirmedPrivateTransfer-Error and one with a Reject;
// behind port 1 on network 5 one that answers and one that refuses, and on
// network 7 one that rejects them.
const char kSite[] = R"(
[daemon]
mac = 7f:00:00:01:ba:c0
version = 6.2.4
apdu_timeout = 500

[port 1]
type = physical
protocol = bip
network = 1
nic = "eth0"
info = "127.0.0.1:47808"
label = "Plant network"
networks = 5, 7
bbmd = yes
bdt = C0A80001BAC0 FFFFFFFF
bdt = C0A80101BAC0 FFFFFF00
fdt = C0A80002BAC0 60

[port 2]
type = ptp
protocol = ptp
nic = "ttyS0"
info = "38400 baud"
label = "Dial-up"
networks = 9
status = disconnected

[port 3]
type = 7
protocol = 200
nic = "x0"

[device 101]
mac = c0:a8:01:65:ba:c0
answers_ioctls = yes

[device 102]
mac = c0:a8:01:66:ba:c0
refuse_private_transfer = error

[device 103]
mac = c0:a8:01:67:ba:c0
refuse_private_transfer = reject

[device 501]
mac = 21
network = 5
answers_ioctls = yes

[device 502]
mac = 22
network = 5
refuse_private_transfer = error

[device 701]
mac = 31
network = 7
refuse_private_transfer = reject
)";

const std::string kBanner = kQuelonBanner;

const std::string kDaemonSection = R"(
--- Daemon:
Daemon info:
 Version         : 6.2 (6.2.4)
 Build info      : velmorad, compiler {*}
 Daemon start up : {*}
 IPC connect     : {*}/velmora

Daemon status:
 Uptime            : {N}
 Number of threads : {N}
 Used memory size (Kbytes): {N}
)";

const std::string kAppInfoHeader = R"(              connection      TSMs max  port
ID  ver     date      time    cli  srv   ID    SS   name
-- ----- -------------------  --------  ----  ----  ----
)";

const std::string kAppStatisticsHeader = R"(Application statistic:
 Ap typ     Bytes       Pdu     Trans Ab  Ret TOut   Segmented          SegTout
 ID       Rx     Tr    Rx   Tr                   ReqTout Retr/RespRetr Conf/Resp
 -- --- ------ ------ ---- ---- ----- --- --- --- ------ --------- ------------
)";

const std::string kNlTimeouts = R"(
--- NL timeouts info:
PTP termination timeout, sec     : 60
Default termination timeout, sec : 60
PTP safety timeout, ms           : 1000
Find DNet timeout, ms            : 3000
PTP connect timeout, ms          : 15000
Connect ACK timeout, ms          : 15000
Router busy timeout, ms          : 30000
Brodcast WhoIsRouter period, sec : 300

)";

std::string Port2(const char* status) {
  return std::string(R"(Port 2
 Port information: port enabled, type: PTP, net: 0
          nic: 'ttyS0'
          secondary info: '38400 baud'
          label: 'Dial-up'

 List all networks accessible through port: 9
 Port status: )") +
         status + R"(
 Port statistics: received packets: 0, sent packets: 0

)";
}

class QuelonE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(daemon_.ready()) << daemon_.Log();
  }
  QuelonRun Run(const std::vector<std::string>& args) { return RunQuelon(temp_.path(), args); }

  TestDeadline deadline_{std::chrono::seconds(90)};
  TempDir temp_;
  Velmorad daemon_{temp_.path(), kSite};
};

TEST(QuelonAlone, VersionAndHelpNeedNoDaemon) {
  TempDir temp;
  QuelonRun r = RunQuelon(temp.path(), {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "Version 0.1 was compiled Oct 26 2013 for Velmora 6.2\n");
  for (const char* help : {"-h", "/?", "--HELP"}) {
    r = RunQuelon(temp.path(), {help});
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_EQ(r.out.rfind(kBanner + "Velmora utility for getting some info about Velmora devices "
                                    "by IOCTL.\n\nUsage: quelon [TARGET OPTIONS...]",
                          0),
              0u)
        << r.out;
    EXPECT_TRUE(r.out.ends_with("(and self!)\n\n\n")) << r.out;
  }
  r = RunQuelon(temp.path(), {"--help-internal"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner +
                       "Usage of internal Velmora requests (TSM pool information, IPC information\n"
                       "\n"
                       "Options:\n"
                       "    --apptsmstatus   print status of application TSM pool\n"
                       "    --ipc            print IPC information (status, statistics, "
                       "application\n"
                       "                     IPC status and statistics)\n"
                       "\n"
                       "\n");
}

// What a user sees when the library cannot connect, as the README tells
// it: no daemon at all, and an older stack service that holds its object
// (a shared open-file lock on the file) in the socket directory.
TEST(QuelonAlone, WithoutDaemonTheLibraryDoesNotStart) {
  TestDeadline deadline{std::chrono::seconds(60)};
  const struct {
    bool olderService;
    const char* status;
    const char* logLine;  // among the library's lines on standard error
  } cases[] = {
      {false, "Velmora Status Code 2: Service not found\n",
       "VELMORA WARNING: TSML(High): VelmoraIpcConnect(\"\\\\.\\pipe\\velmora\") failed\n"},
      {true, "Velmora Status Code 85: Inconsistent Velmora versions\n",
       "VELMORA ERROR: TSML: Inconsistent versions: Velmora Service 3.x was detected\n"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.status);
    TempDir temp;
    int older = -1;
    if (k.olderService) {
      older = open(temp.File("Velmora Semaphore 1004").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
      struct flock lock {};
      lock.l_type = F_RDLCK;
      lock.l_whence = SEEK_SET;
      ASSERT_EQ(fcntl(older, F_OFD_SETLK, &lock), 0);
    }
    QuelonRun r = RunQuelon(temp.path(), {"-a"});
    if (older >= 0) close(older);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kBanner + "Can't Velmora init.\n" + k.status);
    const std::string log = ReadTextFile(temp.File("quelon.err"));
    EXPECT_NE(log.find(k.logLine), std::string::npos) << log;
  }
}

TEST_F(QuelonE2e, FullReportByDefault) {
  const std::string expected =
      kBanner + "--- Local Velmora device\n" + kDaemonSection + "\n--- Applications:\n" +
      kAppInfoHeader + "{N}  6.2  {N}-{N}-{N} {N}:{N}:{N}  150  150    0   cli  'quelon'\n" + "\n" +
      kAppStatisticsHeader +
      " {N} cli      0      0    0    0     0   0   0   0   0       0       0\n"
      "    srv      0      0    0    0     0   0 ---   0   0       0       0\n"
      "\n"
      "Registered PIDs of application:\n"
      " App {N}: PIDs was not registered\n" +
      kNlTimeouts + R"(--- NL ports:
Port 1
 Port information: port enabled, type: B/IP, net: 1
          nic: 'eth0'
          secondary info: '127.0.0.1:47808'
          label: 'Plant network'

 List all networks accessible through port: 1, 5, 7
 Port status: permanent
 Port statistics: received packets: 0, sent packets: 0

)" + Port2("disconnected") +
      R"(Port 3
 Port information: port enabled, type: 7, protocol: 200, net: 0
          nic: 'x0'
          secondary info: ''
          label: ''

 List all networks accessible through port: Port is disabled
 Port status: permanent
 Port statistics: received packets: 0, sent packets: 0


--- PDU:
PDU status: total {N}, free {N}
PDU statistics: allocated {N}, failures 0

)";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{}, {"-f"}, {"--full"}}) {
    QuelonRun r = Run(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_OUTPUT(expected, r.out);
  }
}

TEST_F(QuelonE2e, ApplicationsRowPerConnectedApplication) {
  // This test program is the first application, quelon the second.
  setenv("VELMORA_PIPE_DIR", temp_.path().c_str(), 1);
  setenv("VELMORA_REGISTRY", (temp_.path() + "/registry.reg").c_str(), 1);
  VelmoraInitParams params;
  VelmoraInitDefaults(&params, 6, 2);
  ASSERT_EQ(VelmoraInit(&params, 0), VELMORA_STATUS_OK);
  QuelonRun r = Run({"-a"});
  VelmoraTerminate();
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + "--- Local Velmora device\n\n--- Applications:\n" + kAppInfoHeader +
                    " 1  6.2  {*}  150  150    0   cli  'quelon_e2e_test'\n"
                    " 2  6.2  {*}  150  150    0   cli  'quelon'\n"
                    "\n" +
                    kAppStatisticsHeader + "  1 cli {*}\n    srv {*}\n  2 cli {*}\n    srv {*}\n" +
                    "\nRegistered PIDs of application:\n"
                    " App 1: PIDs was not registered\n"
                    " App 2: PIDs was not registered\n\n",
                r.out);
}

TEST_F(QuelonE2e, OneApplicationById) {
  QuelonRun r = Run({"-a", "--aid=1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + "--- Local Velmora device\n\n--- Applications:\n" + kAppInfoHeader +
                    " 1  6.2  {*}  150  150    0   cli  'quelon'\n\n" + kAppStatisticsHeader +
                    "  1 cli {*}\n    srv {*}\n" +
                    "\nRegistered PIDs of application:\n App 1: PIDs was not registered\n\n",
                r.out);
  // An application the daemon does not serve ends the section at its row.
  r = Run({"-a", "--aid=7"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n\n--- Applications:\n" + kAppInfoHeader +
                       "Velmora IOCTL status is INVALID_APP_ID\n"
                       "OutputParametersGet() failed\n"
                       "Error for application with id 7\n\n");
}

TEST_F(QuelonE2e, IpcAndTsmStatus) {
  QuelonRun r = Run({"--ipc", "--apptsmstatus"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + R"(--- Local Velmora device

--- IPC:
IPC status:
 Maximum count of applications    : 256
 Number of connected applications : 1
 Total size of IPC buffers (bytes): {N}
 Count of IPC buffers             : {N}

IPC statistics:
 Number of incoming connections   : 1
 Number of accepted connections   : 1
 Number of init-OK                : 1
 Number of closed                 : 0
 Number of lost connection        : 0
 Number of disconnected by daemon : 0

IPC application statistic:
 App     bytes            bufs           calls
 ID   read    write   read    write   read    write
 --   -------------   -------------   -------------
  1 {N} {N} {N} {N} {N} {N}

Application TSMs status:
 Ap    Number of client TSM in state        Number of server TSM in state
 ID  Total Free  Idle  SegRq AwaCn SegCn  Total Free  Idle  SegRq AwaRe SegRe
 --  ----- ----- ----- ----- ----- -----  ----- ----- ----- ----- ----- -----
  1    150   150     0     0     0     0    150   150     0     0     0     0 

)",
                r.out);
}

TEST_F(QuelonE2e, BipPortNeedsItsPort) {
  QuelonRun r = Run({"-b"});
  EXPECT_EQ(r.status, 255);
  EXPECT_OUTPUT(kBanner + "FATAL ERROR: Real port ID need!\n\nFile: .\\quelon.c, line {N}\n",
                r.out);
}

TEST_F(QuelonE2e, BdtAndFdt) {
  QuelonRun r = Run({"-b", "--port", "1", "--fdt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + R"(--- Local Velmora device

--- B/IP port (1):
Broadcast distribution table:
0. Addr C0A80001BAC0, mask FFFFFFFF
1. Addr C0A80101BAC0, mask FFFFFF00
Foreign device table:
0. Addr C0A80002BAC0, time to live 60 sec, remaining time {N} sec

)",
                r.out);
  // A port that is no BBMD: the section says so and the program goes on.
  r = Run({"--fdt", "--port", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner +
                       "--- Local Velmora device\n\n--- B/IP port (2):\n"
                       "Foreign device table:\n"
                       "IOCTL status isn't OK - 'INVALID_PORT_TYPE' (5)\n"
                       "OutputParametersGet() failed\n\n");
}

TEST_F(QuelonE2e, WrittenBdtReadsBack) {
  QuelonRun r = Run({"-b", "--port=1", "--write", "\"C0A80001BAC0FFFFFFFF, A000010BAC0FFFF0000\""});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n\n");
  r = Run({"-b", "--port", "1"});
  EXPECT_EQ(r.out, kBanner + R"(--- Local Velmora device

--- B/IP port (1):
Broadcast distribution table:
0. Addr C0A80001BAC0, mask FFFFFFFF
1. Addr 0A000010BAC0, mask FFFF0000
)" + "\n");
  // A send of the table, to every BBMD of it or to one.
  r = Run({"-b", "--port", "1", "--send"});
  EXPECT_EQ(r.status, 0);
  r = Run({"-b", "--port", "1", "--send", "-r:C0A80001BAC0"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n\n");
  EXPECT_NE(daemon_.Log().find("to C0A80001BAC0"), std::string::npos) << daemon_.Log();
}

TEST_F(QuelonE2e, FailedControlEndsItsLineAndExitsNonZero) {
  // The PTP port is no BBMD, the B/IP port cannot be connected.
  QuelonRun r = Run({"-b", "--port", "2", "--write", "C0A80001BAC0FFFFFFFF"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, kBanner +
                       "--- Local Velmora device\n"
                       "IOCTL status isn't OK - 'INVALID_PORT_TYPE' (5)\n\n");
  r = Run({"-b", "--port", "2", "--send"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, kBanner +
                       "--- Local Velmora device\n"
                       "IOCTL status isn't OK - 'INVALID_PORT_TYPE' (5)\n\n");
  r = Run({"--connect", "--port", "1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, kBanner +
                       "--- Local Velmora device\n"
                       "IOCTL status isn't OK - 'INVALID_PORT_TYPE' (5)\n\n");
  r = Run({"--disconnect", "--port", "9"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, kBanner +
                       "--- Local Velmora device\n"
                       "IOCTL status isn't OK - 'INVALID_PORT_ID' (4)\n\n");
}

TEST_F(QuelonE2e, ConnectAndDisconnectPtpPort) {
  QuelonRun r = Run({"--connect", "--port", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n\n");
  EXPECT_NE(daemon_.Log().find("port 2 connected (time-out 20 s)"), std::string::npos)
      << daemon_.Log();
  r = Run({"-l", "--port=2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n" + kNlTimeouts + "--- NL ports:\n" +
                       Port2("connected") + "\n");
  r = Run({"--down", "--port", "2"});
  EXPECT_EQ(r.status, 0);
  r = Run({"-l", "--port=2"});
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n" + kNlTimeouts + "--- NL ports:\n" +
                       Port2("disconnected") + "\n");
}

TEST_F(QuelonE2e, UnknownPortEndsItsPart) {
  QuelonRun r = Run({"-l", "--port", "9"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + "--- Local Velmora device\n" + kNlTimeouts +
                       "--- NL ports:\n"
                       "Port 9\n"
                       " Port information:IOCTL status isn't OK - 'INVALID_PORT_ID' (4)\n"
                       "OutputParametersGet() failed\n"
                       "Error for port id 9\n"
                       "\n\n");
}

// What `quelon -s -d` prints of one device found: its address, then its
// daemon section as a device that answers ioctls, or refuses them with an
// Error or a Reject (whose status lines end in a blank line of their own),
// tells it.
std::string Found(const std::string& address, const std::string& section) {
  return "--- Velmora device {" + address + "}\n" + section;
}
std::string Answering(const char* instance) {
  return std::string(R"(
--- Daemon:
Daemon info:
 Version         : 6.2 (6.2.4)
 Build info      : velmorad simulated device )") +
         instance + R"(
 Daemon start up : {*}
 IPC connect     : 

Daemon status:
 Uptime            : {N}
 Number of threads : 0
 Used memory size (Kbytes): {N}

)";
}
const std::string kErring = R"(
--- Daemon:
Velmora Status Code 64: BACnet error
BACnet Error Class, Code 5, 45: Services, Optional-functionality-not-supported

)";
const std::string kRejecting = R"(
--- Daemon:
Velmora Status Code 65: BACnet reject
BACnet Reject Reason 9: Unrecognized service


)";

// A search's whole output: the devices one after the other, the 69-dash
// line between them.
std::string Search(const std::string& title, const std::vector<std::string>& devices) {
  std::string out = kBanner + title + "\n";
  for (size_t i = 0; i < devices.size(); ++i) {
    if (i) out.append(69, '-').append(1, '\n');
    out += devices[i];
  }
  return out;
}

// The site's devices as a search finds them, in the site's order.
std::vector<std::string> LocalDevices() {
  return {Found("0,X'c0a80165bac0'", Answering("101")), Found("0,X'c0a80166bac0'", kErring),
          Found("0,X'c0a80167bac0'", kRejecting)};
}
std::vector<std::string> NetworkFiveDevices() {
  return {Found("5,X'21'", Answering("501")), Found("5,X'22'", kErring)};
}

TEST_F(QuelonE2e, SearchGoesOnPastDevicesThatRefuseIoctls) {
  QuelonRun r = Run({"-s", "-d"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(Search("Search devices on local net", LocalDevices()), r.out);
}

// A Who-Is to a remote network finds the devices behind it and none of the
// local or another remote network; the global one finds every device.
TEST_F(QuelonE2e, SearchOnARemoteAndTheGlobalNetwork) {
  std::vector<std::string> all = LocalDevices();
  for (const std::string& d : NetworkFiveDevices())
    all.push_back(d);
  all.push_back(Found("7,X'31'", kRejecting));
  const struct {
    std::vector<std::string> args;
    const char* title;
    std::vector<std::string> devices;
  } cases[] = {{{"-s", "-n:5", "-d"}, "Search devices on net 5", NetworkFiveDevices()},
               {{"-s", "-n", "65535", "-d"}, "Search devices on net 65535", all}};
  for (const auto& c : cases) {
    QuelonRun r = Run(c.args);
    EXPECT_EQ(r.status, 0) << c.title;
    EXPECT_OUTPUT(Search(c.title, c.devices), r.out);
  }
}

TEST_F(QuelonE2e, OneRemoteDeviceByMac) {
  QuelonRun r = Run({"-m:21", "-n:5", "-l"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + "--- Velmora device {5,X'21'}\n" + kNlTimeouts + R"(--- NL ports:
Port 1
 Port information: port enabled, type: MS/TP, net: 5
          nic: ''
          secondary info: '21'
          label: 'device 501'

 List all networks accessible through port: 5
 Port status: permanent
 Port statistics: received packets: {N}, sent packets: {N}


)",
                r.out);
  // Nobody at that address: every section prints its time-out and ends.
  r = Run({"-m:7", "-p"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + "--- Velmora device {0,X'07'}\n\n--- PDU:\n" +
                    "IoctlExec() failed - {N}\nError\n\n",
                r.out);
}

// Devices of another vendor and broken ones between two good ones: one
// that acknowledges every private transfer with content of its own, one
// whose ioctl answers are ours in their frame but not in their block.
const char kMixedSite[] = R"(
[daemon]
version = 6.2.4
apdu_timeout = 500

[device 11]
mac = c0:a8:01:0b:ba:c0
answers_ioctls = yes

[device 12]
mac = c0:a8:01:0c:ba:c0
vendor = 260
foreign_private_transfer_ack = yes

[device 13]
mac = c0:a8:01:0d:ba:c0
malformed_ioctl_answer = yes

[device 14]
mac = c0:a8:01:0e:ba:c0
answers_ioctls = yes
)";

TEST(QuelonMixedSite, SearchReportsEveryDeviceAndSaysThatRepliesWereUnreadable) {
  TestDeadline deadline{std::chrono::seconds(90)};
  TempDir temp;
  Velmorad daemon(temp.path(), kMixedSite);
  ASSERT_TRUE(daemon.ready()) << daemon.Log();
  const auto good = [](const std::string& instance, const std::string& mac) {
    std::string daemonSection = Answering(instance.c_str());
    daemonSection.pop_back();     // the device's blank line comes after its last section
    std::string secondary = mac;  // the MAC in upper case
    for (char& c : secondary)
      c = char(std::toupper(static_cast<unsigned char>(c)));
    return Found("0,X'" + mac + "'", daemonSection) + R"(
--- Applications:
)" + kAppInfoHeader +
           kNlTimeouts + R"(--- NL ports:
Port 1
 Port information: port enabled, type: B/IP, net: 0
          nic: ''
          secondary info: ')" +
           secondary + R"('
          label: 'device )" +
           instance + R"('

 List all networks accessible through port: Port is disabled
 Port status: permanent
 Port statistics: received packets: {N}, sent packets: {N}


--- PDU:
PDU status: total 0, free 0
PDU statistics: allocated {N}, failures 0

)";
  };
  // Every section of a device whose replies are no answers to our requests
  // ends with its module's failure line.
  const auto unreadable = [](const std::string& mac) {
    return Found("0,X'" + mac + "'", R"(
--- Daemon:
Velmora Status Code 50: Illegal response

--- Applications:
)" + kAppInfoHeader + R"(VelmoraIoctlExec() failed
Velmora Status Code 50: Illegal response

--- NL timeouts info:
Velmora Status Code 50: Illegal response
Error

--- PDU:
IoctlExec() failed - 50
Error

)");
  };
  QuelonRun r = RunQuelon(temp.path(), {"-s"});
  EXPECT_EQ(r.status, 3);
  EXPECT_OUTPUT(Search("Search devices on local net",
                       {good("11", "c0a8010bbac0"), unreadable("c0a8010cbac0"),
                        unreadable("c0a8010dbac0"), good("14", "c0a8010ebac0")}),
                r.out);
  // One such device by its MAC address; a good one alone exits 0.
  r = RunQuelon(temp.path(), {"-m:C0A8010CBAC0", "-d"});
  EXPECT_EQ(r.status, 3);
  EXPECT_OUTPUT(kBanner +
                    "--- Velmora device {0,X'c0a8010cbac0'}\n\n--- Daemon:\n"
                    "Velmora Status Code 50: Illegal response\n\n",
                r.out);
  r = RunQuelon(temp.path(), {"-m:C0A8010EBAC0", "-d"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + Found("0,X'c0a8010ebac0'", Answering("14")), r.out);
}

TEST_F(QuelonE2e, SearchWithoutAnswers) {
  QuelonRun r = Run({"-s", "-n:77", "-d"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            kBanner + "Search devices on net 77\nDevices count is 0\nDevices was not found\n");
}

}  // namespace
