// quelon, the monitor tool: asks stack daemons (the local one, one device
// by its MAC address, or every device answering a Who-Is) for their state
// by ioctl and prints it, or connects or disconnects a port, or writes or
// sends a broadcast distribution table.
#include <cstdio>
#include <string>
#include <vector>

#include "quelon/app_reports.h"
#include "quelon/bdt_reports.h"
#include "quelon/daemon_reports.h"
#include "quelon/ipc_reports.h"
#include "quelon/long_options.h"
#include "quelon/port_reports.h"
#include "quelon/report.h"
#include "quelon/search_device.h"
#include "runtime/apil/velmora.h"
#include "text/banner.h"
#include "text/status_text.h"
#include "text/value_text.h"

namespace {

constexpr const char kFile[] = ".\\quelon.c";

// What the command line asks for at each target.
enum MonitorMode : int32_t {
  MODE_NONE = 0,
  MODE_INFO = 1,
  MODE_CONNECT = 2,
  MODE_DISCONNECT = 3,
  MODE_BDT_WRITE = 4,
  MODE_BDT_SEND = 5,
  MODE_DEFAULT = 6,  // no info option: read as if --full were given
};

// Exit codes beside 0: the library did not start, a control failed at a
// target, a remote target's reply could not be read. A fatal error exits
// with -1, which the system reports as 255.
constexpr int kExitNoLibrary = 1;
constexpr int kExitControlFailed = 2;
constexpr int kExitUnreadableReply = 3;

struct MonitorOptions {
  const VelmoraAddress* target;  // none: the local daemon
  int32_t application_id;        // -1: all
  int32_t port_id;               // -1: all
  int32_t mode;
  BdtRequest bdt;
  uint8_t appl, bip, fdt, daemon, nl, pdu, apptsmstatus, ipc;
};

// The targets: the local daemon alone, or the devices of the list.
struct Targets {
  bool local;
  std::vector<VelmoraAddress> devices;
};

constexpr const char kHelp[] = "?,h,help";
constexpr const char kHelpInternal[] = "help-internal";
constexpr const char kVersion[] = "v,version";
constexpr const char kSearch[] = "s,search";
constexpr const char kMac[] = "m,mac";
constexpr const char kNet[] = "n,net";
constexpr const char kDaemon[] = "d,daemon,f,full";
constexpr const char kAppl[] = "a,appl,f,full";
constexpr const char kNl[] = "l,nl,f,full";
constexpr const char kPdu[] = "p,pdu,f,full";
constexpr const char kBip[] = "b,bip";
constexpr const char kWrite[] = "w, write";
constexpr const char kSend[] = "send";
constexpr const char kRemote[] = "r";
constexpr const char kFdt[] = "fdt";
constexpr const char kAid[] = "aid";
constexpr const char kPort[] = "port";
constexpr const char kConnect[] = "connect,up";
constexpr const char kDisconnect[] = "disconnect,down";
constexpr const char kAppTsmStatus[] = "apptsmstatus";
constexpr const char kIpc[] = "ipc";

constexpr uint32_t kMacMax = 7;
constexpr uint32_t kBdtTextMax = 200;
constexpr uint32_t kAddressText = 40;

// The options that ask for reports; "b,bip" is one only without a write or
// a send, which make it a control.
constexpr const char* kInfoOptions[] = {kDaemon, kAppl, kNl, kPdu, kFdt, kAppTsmStatus, kIpc};

// The controls in the order they are read, each with its conflict text.
enum Control {
  CONTROL_WRITE,
  CONTROL_SEND,
  CONTROL_CONNECT,
  CONTROL_DISCONNECT,
  CONTROL_COUNT
};
constexpr const char* kConflicts[CONTROL_COUNT] = {
    "Control options (--write) can't be union with other optionsinstead of --port.\n",
    "Control options (--send) can't be union with other optionsinstead of --port.\n",
    "Control options (--connect) can't be union with other optionsinstead of --port.\n",
    "Control options (--disconnect) can't be union with other optionsinstead of --port.\n",
};

struct Args {
  int argc;
  const char* const* argv;
  bool Has(const char* spec) const { return OptionIsSet(argv, argc, spec); }
};

void PrintUsage() {
  std::fputs(
      "Velmora utility for getting some info about Velmora devices by IOCTL.\n"
      "\n"
      "Usage: quelon [TARGET OPTIONS...] ([INFO OPTIONS...] | [CONTROL OPTIONS...])\n"
      "\n"
      "Target options:\n"
      "    -s, --search    search devices by broadcast Who-Is message. On local or\n"
      "                    remote net\n"
      "    -m, --mac <MAC> use remote single device with mac address MAC. On local\n"
      "                    or remote net\n"
      "    <empty>         use local device\n"
      "\n"
      "    Default - empty\n"
      "\n"
      "Target modifiers:\n"
      "    -n, --net=NET   search or mac in net with number NET\n"
      "\n"
      "Info type options:\n"
      "    -f, --full     print full information\n"
      "    -a, --appl     print application info (info, status, statistics, ...)\n"
      "    -d, --daemon   print Velmora daemon info (status, statistics)\n"
      "    -l, --nl       print NL ports info (ports configuration, port to nets,\n"
      "                   statistics, status)\n"
      "    -p, --pdu      print PDU info (status, statistics)\n"
      "    -b, --bip      work with B/IP port (BDT read, write, send)\n"
      "    --fdt          read FDT (foreign device table)\n"
      "\n"
      "    Default - full (-a -d -l -p)\n"
      "\n"
      "Internal Velmora requests (IPC, TSM pool) - try --help-internal\n"
      "\n"
      "Info modifiers:\n"
      "    --aid <APP_ID>   application ID. Integer (-1 process all applications).\n"
      "    --port <PORT_ID> NL port ID. Integer (-1 process all NL ports).\n"
      "\n"
      "Control options:\n"
      "    --up, --connect       connect PTP  port\n"
      "    --down, --disconnect  disconnect PTP  port\n"
      "\n"
      "B/IP BDT options:\n"
      "    --port <portNmb> -b --write \"<bdt cell 1>, [<bdt cell 2>,...]\" write BDT\n"
      "    --port <portNmb> -b [-r <MAC>] --send send the local BDT\n"
      "\n"
      "Help information:\n"
      "    -h, -?, --help  print this help info, then exit\n"
      "    --help-internal print help internal Velmora IOCTL requests, then exit\n"
      "    -v, --version   print version number, then exit\n"
      "\n"
      "Examples:\n"
      "    quelon             # print full information about local device\n"
      "    quelon -s -n:2 -d  # search devices on net #2 and print daemon info\n"
      "    quelon -m:C0A80001BAC0 -n:14 -a  # print application info from device with\n"
      "                                     # address {14,X'C0A80001BAC0'}\n"
      "    quelon -s -d | grep -e \"Version\\|Velmora device\"\n"
      "    quelon -b --port 1     # print BDT\n"
      "    quelon -b --port 1 --write \\\"C0A80001BAC0FFFFFFFF, C0A80101BAC0FFFFFFFF, "
      "C0A80201BAC0FFFFFFFF\\\"  # write new BDT with 2 external BBMD (and self!)\n"
      "\n"
      "\n",
      stdout);
}

void PrintInternalUsage() {
  std::fputs(
      "Usage of internal Velmora requests (TSM pool information, IPC information\n"
      "\n"
      "Options:\n"
      "    --apptsmstatus   print status of application TSM pool\n"
      "    --ipc            print IPC information (status, statistics, application\n"
      "                     IPC status and statistics)\n"
      "\n"
      "\n",
      stdout);
}

int32_t GetAidOption(const Args& a) {
  if (!a.Has(kAid)) return -1;
  int32_t aid = 0;
  if (!OptionGetInt(a.argv, a.argc, kAid, &aid)) Fatal(kFile, "Invalid options --aid\n");
  if (aid < -1) Fatal(kFile, "Invalid application ID.\nTry '--help' for more information.\n");
  return aid;
}

int32_t GetPortOption(const Args& a) {
  if (!a.Has(kPort)) return -1;
  int32_t port = 0;
  if (!OptionGetInt(a.argv, a.argc, kPort, &port)) Fatal(kFile, "Invalid options --port\n");
  if (port < 1 && port != -1)
    Fatal(kFile, "Invalid port ID.\nTry '--help' for more information.\n");
  return port;
}

int32_t GetRealPortOption(const Args& a) {
  int32_t port = GetPortOption(a);
  if (port == -1) Fatal(kFile, "Real port ID need!\n");
  return port;
}

// Hex octets of an option, all of its value: at most `max`, at least one.
uint32_t GetMacOption(const Args& a, const char* spec, uint8_t* mac, uint32_t max) {
  uint32_t count = 0;
  if (!OptionGetHex(a.argv, a.argc, spec, mac, max, &count) || count == 0 ||
      !OptionValueIsWhole(a.argv, a.argc, spec, 3 * max))
    Fatal(kFile, "Can't get MAC address");
  return count;
}

uint16_t GetNetOption(const Args& a) {
  int32_t net = 0;
  if (!OptionGetInt(a.argv, a.argc, kNet, &net) || net < 0 || net > 0xFFFF)
    Fatal(kFile, "Can't get net number");
  return uint16_t(net);
}

Targets SelectTargets(const Args& a) {
  if (a.Has(kMac)) {
    uint8_t mac[kMacMax] = {};
    uint32_t count = GetMacOption(a, kMac, mac, kMacMax);
    VelmoraAddress address = {};
    VelmoraAddressInitLocal(&address, mac, uint8_t(count));
    if (a.Has(kNet)) VelmoraAddressSetNetwork(&address, GetNetOption(a));
    return {false, {address}};
  }
  if (!a.Has(kSearch)) return {true, {}};
  uint16_t network = 0;
  if (a.Has(kNet)) {
    network = GetNetOption(a);
    std::printf("Search devices on net %u\n", unsigned(network));
  } else {
    std::fputs("Search devices on local net\n", stdout);
  }
  Targets targets = {false, SearchDeviceAddresses(SearchDevice(network, -1))};
  if (targets.devices.empty()) std::fputs("Devices was not found\n", stdout);
  return targets;
}

void MonitorOptionsInit(MonitorOptions* options) {
  options->target = nullptr;
  options->application_id = -1;
  options->port_id = -1;
  options->mode = MODE_NONE;
  options->appl = options->bip = options->fdt = options->daemon = 0;
  options->nl = options->pdu = options->apptsmstatus = options->ipc = 0;
}

// A control goes alone: with any info option, or after another control, it
// is fatal, whatever the order of the arguments.
void CheckControl(const Args& a, const bool (&present)[CONTROL_COUNT], Control control) {
  bool info = a.Has(kBip) && !present[CONTROL_WRITE] && !present[CONTROL_SEND];
  for (const char* spec : kInfoOptions)
    info = info || a.Has(spec);
  bool earlier = false;
  for (int c = 0; c < control; ++c)
    earlier = earlier || present[c];
  if (info || earlier) Fatal(kFile, kConflicts[control]);
}

void ReadBdtOptions(const Args& a, const bool (&present)[CONTROL_COUNT], MonitorOptions* o,
                    int32_t* pending) {
  o->port_id = GetRealPortOption(a);
  o->bdt.port_id = uint32_t(o->port_id);
  *pending = MODE_INFO;
  if (present[CONTROL_WRITE]) {
    CheckControl(a, present, CONTROL_WRITE);
    char text[kBdtTextMax + 1] = "";
    if (!OptionGetString(a.argv, a.argc, kWrite, text, sizeof text) ||
        !OptionValueIsWhole(a.argv, a.argc, kWrite, sizeof text))
      Fatal(kFile, "Can't get BDT from command line\n");
    if (!BdtParseText(text, &o->bdt)) Fatal(kFile, "Can't convert BDT from str to structure\n");
    *pending = MODE_BDT_WRITE;
  }
  if (present[CONTROL_SEND]) {
    CheckControl(a, present, CONTROL_SEND);
    o->bdt.entries.reset();
    o->bdt.mac_present = a.Has(kRemote);
    if (o->bdt.mac_present && GetMacOption(a, kRemote, o->bdt.mac, BIP_MAC_SIZE) != BIP_MAC_SIZE)
      Fatal(kFile, "Can't get MAC address");
    *pending = MODE_BDT_SEND;
  }
  o->bip = 1;
}

void InterpretOptions(const Args& a, MonitorOptions* o) {
  bool bip = a.Has(kBip);
  const bool present[CONTROL_COUNT] = {bip && a.Has(kWrite), bip && a.Has(kSend), a.Has(kConnect),
                                       a.Has(kDisconnect)};
  for (bool full = false;; full = true) {
    int32_t pending = MODE_NONE;
    if (full || a.Has(kDaemon)) {
      o->daemon = 1;
      o->application_id = GetAidOption(a);
      pending = MODE_INFO;
    }
    if (full || a.Has(kAppl)) {
      o->appl = 1;
      o->application_id = GetAidOption(a);
      pending = MODE_INFO;
    }
    if (full || a.Has(kNl)) {
      o->nl = 1;
      o->port_id = GetPortOption(a);
      pending = MODE_INFO;
    }
    if (full || a.Has(kPdu)) {
      o->pdu = 1;
      pending = MODE_INFO;
    }
    if (bip) ReadBdtOptions(a, present, o, &pending);
    if (a.Has(kFdt)) {
      o->port_id = GetRealPortOption(a);
      o->bdt.port_id = uint32_t(o->port_id);
      o->fdt = 1;
      pending = MODE_INFO;
    }
    for (Control c : {CONTROL_CONNECT, CONTROL_DISCONNECT}) {
      if (!present[c]) continue;
      CheckControl(a, present, c);
      o->port_id = GetRealPortOption(a);
      pending = c == CONTROL_CONNECT ? MODE_CONNECT : MODE_DISCONNECT;
    }
    if (a.Has(kAppTsmStatus)) {
      o->apptsmstatus = 1;
      o->application_id = GetAidOption(a);
      pending = MODE_INFO;
    }
    if (a.Has(kIpc)) {
      o->ipc = 1;
      o->application_id = GetAidOption(a);
      o->mode = MODE_INFO;
      return;
    }
    if (pending != MODE_NONE) {
      o->mode = pending;
      return;
    }
    o->mode = MODE_DEFAULT;
  }
}

void PrintDaemonSection(const MonitorOptions* o) {
  std::fputs("\n--- Daemon:\n", stdout);
  if (!DaemonInfoPrint(o->target)) return;
  std::fputs("\n", stdout);
  DaemonStatusPrint(o->target);
}

void PrintIpcSection(const MonitorOptions* o) {
  std::fputs("\n--- IPC:\n", stdout);
  if (!IpcStatusPrint(o->target)) return;
  std::fputs("\n", stdout);
  if (!IpcStatisticsPrint(o->target)) return;
  std::fputs("\n", stdout);
  if (o->application_id == -1) {
    IpcAppStatisticsPrintAll(o->target);
    return;
  }
  IpcAppStatisticsPrintHeader();
  IpcAppStatisticsPrintOne(o->target, uint32_t(o->application_id));
}

void PrintApplicationsSection(const MonitorOptions* o) {
  std::fputs("\n--- Applications:\n", stdout);
  if (o->application_id == -1) {
    if (AppInfoPrintAll(o->target) == 0) return;
    std::fputs("\n", stdout);
    if (AppStatisticsPrintAll(o->target) == 0) return;
    std::fputs("\n", stdout);
    AppPidListPrintAll(o->target);
    return;
  }
  uint32_t id = uint32_t(o->application_id);
  AppInfoPrintHeader();
  if (!AppInfoPrintOne(o->target, id)) return;
  std::fputs("\n", stdout);
  AppStatisticsPrintHeader();
  if (!AppStatisticsPrintOne(o->target, id)) return;
  std::fputs("\n", stdout);
  AppPidListPrintHeader();
  AppPidListPrintOne(o->target, id);
}

void PrintTsmStatusSection(const MonitorOptions* o) {
  std::fputs("\n", stdout);
  if (o->application_id == -1) {
    AppTsmStatusPrintAll(o->target);
    return;
  }
  AppTsmStatusPrintHeader();
  AppTsmStatusPrintOne(o->target, uint32_t(o->application_id));
}

bool PrintPortSection(const VelmoraAddress* target, uint32_t port) {
  std::printf("Port %lu\n", (unsigned long)port);
  std::fputs(" Port information:", stdout);
  bool ok = PortInfoPrintOne(target, port);
  if (ok) {
    std::fputs(" List all networks accessible through port:", stdout);
    ok = PortToNetsPrintOne(target, port);
  }
  if (ok) {
    std::fputs(" Port status:", stdout);
    ok = PortStatusPrintOne(target, port);
  }
  if (ok) {
    std::fputs(" Port statistics:", stdout);
    ok = PortStatisticsPrintOne(target, port);
  }
  std::fputs("\n", stdout);
  return ok;
}

void PrintNlSection(const MonitorOptions* o) {
  std::fputs("\n--- NL timeouts info:\n", stdout);
  if (!NlTimeoutsPrint(o->target)) return;
  std::fputs("--- NL ports:\n", stdout);
  if (o->port_id == -1)
    PortListForEach(o->target, PrintPortSection);
  else
    PrintPortSection(o->target, uint32_t(o->port_id));
}

void PrintPduSection(const MonitorOptions* o) {
  std::fputs("\n--- PDU:\n", stdout);
  if (PduStatusPrint(o->target)) PduStatisticsPrint(o->target);
}

void PrintBipSection(const MonitorOptions* o) {
  std::printf("\n--- B/IP port (%lu):\n", (unsigned long)o->port_id);
  if (o->bip) {
    std::fputs("Broadcast distribution table:\n", stdout);
    if (BdtForEach(o->target, uint32_t(o->port_id), BdtPrintEntry) < 0) return;
  }
  if (o->fdt) {
    std::fputs("Foreign device table:\n", stdout);
    FdtForEach(o->target, uint32_t(o->port_id), FdtPrintEntry);
  }
}

bool ControlPortConnect(const MonitorOptions* o) {
  return NlPortConnect(o->target, uint32_t(o->port_id), 0);
}

bool ControlPortDisconnect(const MonitorOptions* o) {
  return NlPortDisconnect(o->target, uint32_t(o->port_id));
}

void PrintSections(const MonitorOptions* o) {
  if (o->daemon) PrintDaemonSection(o);
  if (o->ipc) PrintIpcSection(o);
  if (o->appl) PrintApplicationsSection(o);
  if (o->apptsmstatus) PrintTsmStatusSection(o);
  if (o->nl) PrintNlSection(o);
  if (o->pdu) PrintPduSection(o);
  if (o->bip || o->fdt) PrintBipSection(o);
}

// The action at the current target; false when a control failed.
bool RunAction(const MonitorOptions* o) {
  switch (o->mode) {
    case MODE_INFO:
      PrintSections(o);
      return true;
    case MODE_CONNECT:
      return ControlPortConnect(o);
    case MODE_DISCONNECT:
      return ControlPortDisconnect(o);
    case MODE_BDT_WRITE:
      return BdtWrite(o->target, &o->bdt);
    case MODE_BDT_SEND:
      return BdtSend(o->target, &o->bdt);
    default:
      return true;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Args a = {argc, argv};
  PrintBanner("QUELON", 2003);
  if (a.Has(kHelp)) {
    PrintUsage();
    return 0;
  }
  if (a.Has(kHelpInternal)) {
    PrintInternalUsage();
    return 0;
  }
  if (a.Has(kVersion)) {
    std::printf("Version %u.%u was compiled %s for Velmora %u.%u\n", 0u, 1u, "Oct 26 2013", 6u, 2u);
    return 0;
  }
  VelmoraInitParams params;
  VelmoraInitDefaults(&params, 6, 2);
  VelmoraStatus status = VelmoraInit(&params, 0);
  if (status != VELMORA_STATUS_OK) {
    VelmoraPrintStatus(status, nullptr, "Can't Velmora init.");
    return kExitNoLibrary;
  }
  Targets targets = SelectTargets(a);
  MonitorOptions options = {};
  MonitorOptionsInit(&options);
  InterpretOptions(a, &options);
  size_t count = targets.local ? 1 : targets.devices.size();
  bool failed = false;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) std::printf("%s\n", std::string(69, '-').c_str());
    if (targets.local) {
      options.target = nullptr;
      std::fputs("--- Local Velmora device\n", stdout);
    } else {
      options.target = &targets.devices[i];
      char text[kAddressText] = "";
      VelmoraAddressToString(text, sizeof text, options.target);
      std::printf("--- Velmora device %s\n", text);
    }
    failed = !RunAction(&options) || failed;
    std::fputs("\n", stdout);
  }
  VelmoraTerminate();
  if (failed) return kExitControlFailed;
  return ReportUnreadableAnswers() > 0 ? kExitUnreadableReply : 0;
}
