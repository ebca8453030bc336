// quelon against a daemon whose ioctl answers the test writes: answers that
// fail, applications that leave between two requests, malformed tables and
// replies, and the columns every report prints from given values.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "quelon/search_device.h"
#include "runtime/apil/velmora.h"
#include "runtime/ioctl/ioctl_codes.h"
#include "tests/quelon/support/quelon_run.h"
#include "tests/quelon/support/scripted_daemon.h"
#include "tests/support/deadline.h"
#include "tests/support/wait.h"

namespace {

const std::string kBanner = std::string(kQuelonBanner) + "--- Local Velmora device\n";
const std::string kApplications =
    "\n--- Applications:\n"
    "              connection      TSMs max  port\n"
    "ID  ver     date      time    cli  srv   ID    SS   name\n"
    "-- ----- -------------------  --------  ----  ----  ----\n";

// The services a client of the library announces after 6.0, and a server's.
const std::vector<uint8_t> kClient = {0x60, 0x00, 0x00, 0x3E, 0x00};
const std::vector<uint8_t> kClient60 = {0x60, 0x00, 0x00, 0x3C, 0x00};
const std::vector<uint8_t> kServer = {0xFF, 0xFF, 0xF8, 0x3F, 0xFF};

Answer Ok(Values values = {}) { return {0, IOCTL_STATUS_OK, std::move(values)}; }
Answer Status(uint32_t status) { return {0, status, {}}; }

Values List(std::initializer_list<uint32_t> items) {
  Values v;
  v.Unsigned(uint32_t(items.size()));
  for (uint32_t item : items)
    v.Unsigned(item);
  return v;
}

Values AppInfo(uint32_t major, uint32_t minor, uint32_t connected, const std::string& name,
               uint8_t unused, const std::vector<uint8_t>& services) {
  Values v;
  v.Unsigned(major).Unsigned(minor).Unsigned(connected).Text(name).Unsigned(0);
  v.Bits(unused, services).Unsigned(16).Unsigned(4);
  return v;
}

Values Counters(uint32_t n, uint32_t first) {
  Values v;
  for (uint32_t i = 0; i < n; ++i)
    v.Unsigned(first + i);
  return v;
}

// What a table prints for applications 1 to n whose rows are not supported.
std::string NotSupportedRows(int n) {
  std::string rows;
  for (int app = 1; app <= n; ++app)
    rows +=
        "IOCTL status isn't OK - NOT_SUPPORTED (7)\nOutputParametersGet() failed\n"
        "Error for application with id " +
        std::to_string(app) + "\n";
  return rows;
}

// The NL section's start when the timers answer 1 to 8.
const std::string kNlSectionOneToEight = R"(
--- NL timeouts info:
PTP termination timeout, sec     : 1
Default termination timeout, sec : 2
PTP safety timeout, ms           : 3
Find DNet timeout, ms            : 4
PTP connect timeout, ms          : 5
Connect ACK timeout, ms          : 6
Router busy timeout, ms          : 7
Brodcast WhoIsRouter period, sec : 8

--- NL ports:
)";

class Scripted : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }
  QuelonRun Run(const Script& script, const std::vector<std::string>& args) {
    ScriptedDaemon daemon(temp_.path(), script);
    EXPECT_TRUE(daemon.ready()) << daemon.error();
    return RunQuelon(temp_.path(), args);
  }

  TestDeadline deadline_{std::chrono::seconds(60)};
  TempDir temp_;
};

TEST_F(Scripted, ApplicationLeavingBetweenListAndInfoIsReportedOnce) {
  // Application 2 has gone by the time its rows are asked for.
  QuelonRun r = Run(
      [](uint32_t code, uint32_t app) {
        if (code == IOCTL_APP_LIST_GET) return Ok(List({1, 2, 3}));
        if (app == 2) return Status(IOCTL_STATUS_INVALID_APP_ID);
        if (code == IOCTL_APP_INFO)
          return Ok(AppInfo(6, 2, 86400 + 3661, "app" + std::to_string(app), 0, kClient));
        if (code == IOCTL_APP_STATISTICS) return Ok(Counters(IOCTL_APP_COUNTER_COUNT, app * 100));
        if (code == IOCTL_APP_PID_LIST_GET) return Ok(app == 1 ? List({}) : List({10, 20, 30}));
        return Status(IOCTL_STATUS_NOT_SUPPORTED);
      },
      {"-a"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            kBanner + kApplications + R"( 1  6.2  1970-01-02 01:01:01   16    4    0   cli  'app1'
Velmora IOCTL status is INVALID_APP_ID
OutputParametersGet() failed
Error for application with id 2
 3  6.2  1970-01-02 01:01:01   16    4    0   cli  'app3'

Application statistic:
 Ap typ     Bytes       Pdu     Trans Ab  Ret TOut   Segmented          SegTout
 ID       Rx     Tr    Rx   Tr                   ReqTout Retr/RespRetr Conf/Resp
 -- --- ------ ------ ---- ---- ----- --- --- --- ------ --------- ------------
  1 cli    100    101  102  103   104 105 106 107 109     108     110
    srv    111    112  113  114   115 116 --- 117 118     119     120
IOCTL status isn't OK - INVALID_APP_ID (3)
OutputParametersGet() failed
Error for application with id 2
  3 cli    300    301  302  303   304 305 306 307 309     308     310
    srv    311    312  313  314   315 316 --- 317 318     319     320

Registered PIDs of application:
 App 1: PIDs was not registered
IOCTL status isn't OK - INVALID_APP_ID (3)
OutputParametersGet() failed
Error for application with id 2
 App 3: 10, 20, 30

)");
}

TEST_F(Scripted, ServicesColumn) {
  QuelonRun r = Run(
      [](uint32_t code, uint32_t app) {
        if (code == IOCTL_APP_LIST_GET) return Ok(List({1, 2, 3, 4, 5, 6}));
        if (code != IOCTL_APP_INFO) return Status(IOCTL_STATUS_NOT_SUPPORTED);
        switch (app) {
          case 1:
            return Ok(AppInfo(6, 2, 0, "server", 0, kServer));
          case 2:
            return Ok(AppInfo(6, 0, 0, "old client", 0, kClient60));
          case 3:
            return Ok(AppInfo(6, 1, 0, "old pattern", 0, kClient60));
          case 4:
            return Ok(AppInfo(5, 9, 0, "48 bits", 0, {1, 2, 3, 4, 5, 0xF0}));
          case 5:
            return Ok(AppInfo(6, 2, 0, "43 bits", 5, {0x60, 0, 0, 0x3E, 0, 0xE0}));
          default:  // more than a bit string holds: 88 bits
            return Ok(AppInfo(6, 2, 0, "88 bits", 0, std::vector<uint8_t>(11, 0xFF)));
        }
      },
      {"-a"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + kApplications +
                       R"( 1  6.2  1970-01-01 00:00:00   16    4    0   srv  'server'
 2  6.0  1970-01-01 00:00:00   16    4    0   cli  'old client'
 3  6.1  1970-01-01 00:00:00   16    4    0   0x6000003C00(40)  'old pattern'
 4  5.9  1970-01-01 00:00:00   16    4    0   0x0102030405F0(48)  '48 bits'
 5  6.2  1970-01-01 00:00:00   16    4    0   0x6000003E00E0(43)  '43 bits'
OutputParametersGet() failed
Error for application with id 6

Application statistic:
 Ap typ     Bytes       Pdu     Trans Ab  Ret TOut   Segmented          SegTout
 ID       Rx     Tr    Rx   Tr                   ReqTout Retr/RespRetr Conf/Resp
 -- --- ------ ------ ---- ---- ----- --- --- --- ------ --------- ------------
)" + NotSupportedRows(6) +
                       "\nRegistered PIDs of application:\n" + NotSupportedRows(6) + "\n");
}

TEST_F(Scripted, FailedRequestsEndTheirSectionAndTheRunGoesOn) {
  QuelonRun r = Run(
      [](uint32_t code, uint32_t) {
        switch (code) {
          case IOCTL_DAEMON_INFO:
            return Status(IOCTL_STATUS_NOT_SUPPORTED);
          case IOCTL_IPC_STATUS:
            return Status(IOCTL_STATUS_BUSY);
          case IOCTL_NL_TIMEOUTS_GET:
            return Status(IOCTL_STATUS_NO_PERMISSION);
          case IOCTL_PDU_STATUS:
            return Answer{4, 0, {}};  // the exchange itself fails
          case IOCTL_APP_LIST_GET:
            return Status(99);
          default:
            return Status(IOCTL_STATUS_UNKNOWN_ERROR);
        }
      },
      {"-d", "--ipc", "-a", "-l", "-p", "--apptsmstatus"});
  EXPECT_EQ(r.status, 0);
  EXPECT_OUTPUT(kBanner + R"(
--- Daemon:
ERROR: Ioctl status: NOT_SUPPORTED (7)

--- IPC:
Velmora IOCTL status is BUSY
OutputParametersGet() failed

--- Applications:
              connection      TSMs max  port
ID  ver     date      time    cli  srv   ID    SS   name
-- ----- -------------------  --------  ----  ----  ----
IOCTL status isn't OK - '<UNKNOWN>' (99)
OutputParametersGet() failed

Application TSMs status:
 Ap    Number of client TSM in state        Number of server TSM in state
 ID  Total Free  Idle  SegRq AwaCn SegCn  Total Free  Idle  SegRq AwaRe SegRe
 --  ----- ----- ----- ----- ----- -----  ----- ----- ----- ----- ----- -----
IOCTL status isn't OK - '<UNKNOWN>' (99)
OutputParametersGet() failed

--- NL timeouts info:
IOCTL status isn't OK - 'NO_PERMISSION' (1)
OutputParametersGet() failed
Error

--- PDU:
IoctlExec() failed - {N}
Error

)",
                r.out);
}

TEST_F(Scripted, OneApplicationById) {
  Script script = [](uint32_t code, uint32_t app) {
    if (app != 3) return Status(IOCTL_STATUS_INVALID_APP_ID);
    if (code == IOCTL_IPC_APP_STATISTICS) return Ok(Counters(6, 1));
    if (code == IOCTL_APP_TSM_STATUS) return Ok(Counters(IOCTL_TSM_COUNT_COUNT, 10));
    return Status(IOCTL_STATUS_NOT_SUPPORTED);
  };
  {
    ScriptedDaemon daemon(temp_.path(), script);
    ASSERT_TRUE(daemon.ready());
    // IPC status and statistics answer NOT_SUPPORTED: the IPC section ends
    // at once, so the per-application row is asked for alone.
    QuelonRun r = RunQuelon(temp_.path(), {"--apptsmstatus", "--aid=3"});
    EXPECT_EQ(r.out, kBanner + R"(
Application TSMs status:
 Ap    Number of client TSM in state        Number of server TSM in state
 ID  Total Free  Idle  SegRq AwaCn SegCn  Total Free  Idle  SegRq AwaRe SegRe
 --  ----- ----- ----- ----- ----- -----  ----- ----- ----- ----- ----- -----
  3     10    11    12    13    14    15     16    17    18    19    20    21 

)");
  }
}

TEST_F(Scripted, IpcApplicationColumnsReadThenWrite) {
  QuelonRun r = Run(
      [](uint32_t code, uint32_t app) {
        if (code == IOCTL_IPC_STATUS) return Ok(Counters(4, 1));
        if (code == IOCTL_IPC_STATISTICS) return Ok(Counters(6, 11));
        if (code == IOCTL_IPC_APP_STATISTICS && app == 3) return Ok(Counters(6, 1));
        return Status(IOCTL_STATUS_INVALID_APP_ID);
      },
      {"--ipc", "--aid=3"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner + R"(
--- IPC:
IPC status:
 Maximum count of applications    : 1
 Number of connected applications : 2
 Total size of IPC buffers (bytes): 3
 Count of IPC buffers             : 4

IPC statistics:
 Number of incoming connections   : 11
 Number of accepted connections   : 12
 Number of init-OK                : 13
 Number of closed                 : 14
 Number of lost connection        : 15
 Number of disconnected by daemon : 16

IPC application statistic:
 App     bytes            bufs           calls
 ID   read    write   read    write   read    write
 --   -------------   -------------   -------------
  3       2       1       4       3       6       5

)");
}

TEST_F(Scripted, PortKindsNetworksAndStatuses) {
  QuelonRun r = Run(
      [](uint32_t code, uint32_t port) {
        struct Info {
          bool enabled;
          uint32_t type, protocol;
          const char* nic;
        };
        const Info infos[] = {{true, 0, 8, "-server0"},
                              {true, 0, 8, "eth-server"},
                              {true, 2, 9, "-client"},
                              {false, 1, 3, "v"},
                              {true, 0, 2, "p"}};
        switch (code) {
          case IOCTL_NL_TIMEOUTS_GET:
            return Ok(Counters(8, 1));
          case IOCTL_PORT_LIST_GET:
            return Ok(List({1, 2, 3, 4, 5}));
          case IOCTL_PORT_INFO: {
            const Info& i = infos[port - 1];
            Values v;
            v.Boolean(i.enabled).Enum(i.type).Unsigned(port * 10).Enum(i.protocol);
            v.Text(i.nic).Text("info").Text("label");
            return Ok(v);
          }
          case IOCTL_PORT_TO_NETS:
            return Ok(port == 1 ? List({}) : List({port, 65534}));
          case IOCTL_PORT_STATUS:
            return port == 5 ? Status(IOCTL_STATUS_INVALID_PORT_ID)
                             : Ok(Values().Enum(port == 2 ? 7 : port - 1));
          case IOCTL_PORT_STATISTICS:
            return Ok(Counters(2, port));
          default:
            return Status(IOCTL_STATUS_NOT_SUPPORTED);
        }
      },
      {"-l"});
  EXPECT_EQ(r.status, 0);
  std::string ports;
  const char* kinds[] = {"B/HTTP (server)", "0, protocol: 8", "PTP B/HTTP (client)", "Virtual",
                         "0, protocol: 2"};
  const char* nics[] = {"-server0", "eth-server", "-client", "v", "p"};
  const char* nets[] = {" Port is disabled", " 2, 65534", " 3, 65534", " 4, 65534", " 5, 65534"};
  const char* statuses[] = {"disconnected", "unknown (7)", "connected", "permanent"};
  for (int p = 1; p <= 5; ++p) {
    ports += "Port " + std::to_string(p) + "\n Port information: port " +
             (p == 4 ? "disabled" : "enabled") + ", type: " + kinds[p - 1] +
             ", net: " + std::to_string(p * 10) + "\n          nic: '" + nics[p - 1] +
             "'\n          secondary info: 'info'\n          label: 'label'\n\n" +
             " List all networks accessible through port:" + nets[p - 1] + "\n Port status:";
    if (p == 5) {
      ports +=
          "IOCTL status isn't OK - 'INVALID_PORT_ID' (4)\nOutputParametersGet() failed\n"
          "Error for port id 5\n\n";
      continue;
    }
    ports += std::string(" ") + statuses[p - 1] +
             "\n Port statistics: received packets: " + std::to_string(p) +
             ", sent packets: " + std::to_string(p + 1) + "\n\n";
  }
  EXPECT_EQ(r.out, kBanner + kNlSectionOneToEight + ports + "\n");
}

TEST_F(Scripted, ForeignDeviceTables) {
  Script script = [](uint32_t code, uint32_t port) {
    if (code == IOCTL_BDT_READ) return Ok(List({}));
    if (code != IOCTL_FDT_READ) return Status(IOCTL_STATUS_NOT_SUPPORTED);
    if (port == 2) return Status(IOCTL_STATUS_NOT_FOUND);
    Values v;
    v.Unsigned(2).Octets({0x0A, 0, 0, 1, 0xBA, 0xC0, 0x00, 0x3C, 0x00, 0x1E});
    v.Octets({0x0A, 0, 0, 2, 0xBA, 0xC1, 0xFF, 0xFF, 0x01, 0x00});
    return Ok(v);
  };
  ScriptedDaemon daemon(temp_.path(), script);
  ASSERT_TRUE(daemon.ready());
  QuelonRun r = RunQuelon(temp_.path(), {"--fdt", "--port=1"});
  EXPECT_EQ(r.out, kBanner + R"(
--- B/IP port (1):
Foreign device table:
0. Addr 0A000001BAC0, time to live 60 sec, remaining time 30 sec
1. Addr 0A000002BAC1, time to live 65535 sec, remaining time 256 sec

)");
  // A port without one is an empty table, and the section goes on.
  r = RunQuelon(temp_.path(), {"-b", "--fdt", "--port=2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kBanner +
                       "\n--- B/IP port (2):\nBroadcast distribution table:\n"
                       "Foreign device table:\nFDT table do not exists\n\n");
}

TEST_F(Scripted, MalformedTablesAreFatal) {
  struct Case {
    const char* name;
    Values values;
    const char* fatal;
  };
  const Case cases[] = {
      // An entry is exactly 10 octets; one more is not cut to fit.
      {"long entry", Values().Unsigned(1).Octets(std::vector<uint8_t>(11, 1)),
       "Can't get BDT entry\n"},
      {"short entry", Values().Unsigned(1).Octets(std::vector<uint8_t>(9, 1)),
       "Can't get BDT entry\n"},
      // A count far beyond what the answer holds sizes nothing.
      {"count", Values().Unsigned(4000000000u).Octets(std::vector<uint8_t>(10, 1)),
       "Can't get BDT entry\n"},
      {"no count", Values(), "Can't get entry count\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QuelonRun r = Run([&](uint32_t, uint32_t) { return Ok(c.values); }, {"-b", "--port=1"});
    EXPECT_EQ(r.status, 255);
    EXPECT_OUTPUT(kBanner + "\n--- B/IP port (1):\nBroadcast distribution table:\nFATAL ERROR: " +
                      c.fatal + "\nFile: .\\bdt_read.c, line {N}\n",
                  r.out);
  }
}

// A reply without the values its request promises: from a remote device
// each section ends with its module's failure line, the run goes on and
// says so in its exit status; from the local daemon it is fatal.
TEST_F(Scripted, RemoteRepliesWithoutTheirValuesEndTheirSections) {
  const Script statusAlone = [](uint32_t, uint32_t) { return Ok(); };
  QuelonRun r =
      Run(statusAlone, {"-m:c0a80001bac0", "-d", "--ipc", "-a", "-l", "-p", "-b", "--port=1"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, std::string(kQuelonBanner) + "--- Velmora device {0,X'c0a80001bac0'}\n" + R"(
--- Daemon:
Can't read major version

--- IPC:
OutputParametersGet() failed
)" + kApplications + R"(Can't get app count
OutputParametersGet() failed

--- NL timeouts info:
Can't get ptpTermTime
OutputParametersGet() failed
Error

--- PDU:
Can't get parameter <total>
OutputParametersGet() failed
Error

--- B/IP port (1):
Broadcast distribution table:
Can't get entry count
OutputParametersGet() failed

)");
  // Missing values after some that were read, and a value that is no
  // port's: the first such value is the line, once per reply.
  const Script someValues = [](uint32_t code, uint32_t port) {
    if (code == IOCTL_NL_TIMEOUTS_GET) return Ok(Counters(8, 1));
    if (code == IOCTL_PORT_LIST_GET) return Ok(List({1, 2}));
    if (code == IOCTL_PORT_INFO && port == 1)
      return Ok(Values().Boolean(true).Enum(0).Unsigned(70000).Enum(1));
    if (code == IOCTL_PORT_INFO) return Ok(Values().Boolean(true));
    return Ok(Values().Unsigned(3).Octets(std::vector<uint8_t>(10, 1)));
  };
  r = Run(someValues, {"-m:c0a80001bac0", "-l"});
  EXPECT_EQ(r.status, 3);
  EXPECT_OUTPUT(std::string(kQuelonBanner) + "--- Velmora device {0,X'c0a80001bac0'}\n" +
                    kNlSectionOneToEight + R"(Port 1
 Port information:Can't get 'net'
OutputParametersGet() failed
Error for port id 1

Port 2
 Port information:Can't get 'type'
OutputParametersGet() failed
Error for port id 2


)",
                r.out);
  r = Run(someValues, {"-m:c0a80001bac0", "-b", "--port=1"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, std::string(kQuelonBanner) + "--- Velmora device {0,X'c0a80001bac0'}\n" + R"(
--- B/IP port (1):
Broadcast distribution table:
Can't get BDT entry
OutputParametersGet() failed

)");
  r = Run(statusAlone, {"-d"});
  EXPECT_EQ(r.status, 255);
  EXPECT_OUTPUT(kBanner +
                    "\n--- Daemon:\nFATAL ERROR: Can't read major version\n"
                    "File: .\\daemon_info.c, line {N}\n",
                r.out);
}

// A device the library no longer knows cannot be asked: it is left out of
// the targets, the others stay in their order.
TEST(SearchDeviceAddresses, DeviceWithoutAddressIsLeftOut) {
  TestDeadline deadline{std::chrono::seconds(60)};
  TempDir temp;
  ScriptedDaemon daemon(
      temp.path(), [](uint32_t, uint32_t) { return Status(IOCTL_STATUS_NOT_SUPPORTED); },
      "[device 1]\nmac = c0:a8:00:01:ba:c0\n[device 2]\nmac = c0:a8:00:02:ba:c0\n"
      "[device 3]\nmac = c0:a8:00:03:ba:c0\n");
  ASSERT_TRUE(daemon.ready()) << daemon.error();
  setenv("VELMORA_PIPE_DIR", temp.path().c_str(), 1);
  setenv("VELMORA_REGISTRY", (temp.path() + "/registry.reg").c_str(), 1);
  VelmoraInitParams params;
  VelmoraInitDefaults(&params, 6, 2);
  ASSERT_EQ(VelmoraInit(&params, 0), VELMORA_STATUS_OK);
  VelmoraAddress all;
  VelmoraAddressInitGlobalBroadcast(&all);
  ASSERT_EQ(VelmoraWhoIs(&all, -1, -1), VELMORA_STATUS_OK);
  uint32_t total = 0;
  ASSERT_TRUE(WaitUntil([&] { return VelmoraGetDeviceList(nullptr, 0, &total) && total == 3; }));
  std::vector<VelmoraDeviceHandle> devices(3);
  ASSERT_TRUE(VelmoraGetDeviceList(devices.data(), 3, &total));
  ASSERT_TRUE(VelmoraDeleteDeviceImage(devices[1]));
  std::vector<VelmoraAddress> addresses = SearchDeviceAddresses(devices);
  VelmoraTerminate();
  ASSERT_EQ(addresses.size(), 2u);
  EXPECT_EQ(addresses[0].mac[3], 1);
  EXPECT_EQ(addresses[1].mac[3], 3);
}

}  // namespace
