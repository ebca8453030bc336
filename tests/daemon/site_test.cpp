// The site file: the demo site, and a clear error with its line for every
// bad value.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>

#include "daemon/vmd_site.h"
#include "tests/support/deadline.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

TEST(Site, DemoSiteLoadsWithANonZeroLocalMac) {
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteLoad(&site, VELMORA_SOURCE_DIR "/daemon/sites/demo.site", &error)) << error;
  EXPECT_EQ(site.local.kind, 130);
  EXPECT_EQ(site.local.netPresent, 0);
  ASSERT_EQ(site.local.macLen, 6);
  const uint8_t mac[] = {0x7f, 0x00, 0x00, 0x01, 0xba, 0xc0};
  EXPECT_EQ(0, memcmp(site.local.mac, mac, 6));
  EXPECT_EQ(site.max_apdu, 1476u);
  EXPECT_EQ(site.version[0], 6);
  EXPECT_EQ(site.version[1], 2);
  EXPECT_GT(site.apdu_timeout_ms, 0u);
  ASSERT_EQ(site.devices.size(), 6u);
  const VmdDevice* d = VmdSiteFindDevice(site, 2002);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->address.netPresent, 1);
  EXPECT_EQ(d->address.net, 5);
  EXPECT_EQ(d->address.macLen, 1);
  EXPECT_EQ(d->address.mac[0], 0x14);
}

// A B/IP port that is a BBMD with two BDT entries and one foreign device,
// and a point-to-point port that starts disconnected.
TEST(Site, DemoSiteHasABbmdAndAPtpPort) {
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteLoadDemo(&site, &error)) << error;
  ASSERT_EQ(site.ports.size(), 2u);
  const VmdPort& bip = site.ports[0];
  EXPECT_EQ(bip.id, 1u);
  EXPECT_TRUE(VmdPortIsBip(bip));
  EXPECT_TRUE(bip.bbmd);
  ASSERT_EQ(bip.bdt.size(), 2u);
  const uint8_t first[] = {0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0, memcmp(bip.bdt[0].octets, first, sizeof first));
  ASSERT_EQ(bip.fdt.size(), 1u);
  const uint8_t foreign[] = {0xC0, 0xA8, 0x00, 0x02, 0xBA, 0xC0};
  EXPECT_EQ(0, memcmp(bip.fdt[0].address, foreign, sizeof foreign));
  EXPECT_EQ(bip.fdt[0].ttl, 60);
  const VmdPort& ptp = site.ports[1];
  EXPECT_EQ(ptp.id, 2u);
  EXPECT_TRUE(VmdPortIsPtp(ptp));
  EXPECT_EQ(ptp.status, kVmdPortDisconnected);
  // Some devices answer ioctls; of the others one refuses with an Error,
  // the rest with a Reject.
  int answering = 0, errors = 0;
  for (const VmdDevice& d : site.devices) {
    answering += d.switches.answers_ioctls;
    errors += !d.switches.answers_ioctls && d.switches.refusal == VmdTransferRefusal::Error;
  }
  EXPECT_GE(answering, 2);
  EXPECT_EQ(errors, 1);
  EXPECT_GE(int(site.devices.size()) - answering - errors, 1);
}

// Several devices on the local network and on two remote ones; each with a
// whole Object_List and the objects a point reader looks for.
TEST(Site, DemoSiteHasDevicesOnThreeNetworksWithTheirObjects) {
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteLoad(&site, VELMORA_SOURCE_DIR "/daemon/sites/demo.site", &error)) << error;
  std::map<uint16_t, int> per_network;
  for (const VmdDevice& d : site.devices) {
    SCOPED_TRACE(d.instance);
    ++per_network[d.address.netPresent ? d.address.net : 0];
    std::vector<uint8_t> octets;
    VelmoraError e{};
    ASSERT_TRUE(VmdDeviceRead(d, 8, d.instance, 76, -1, &octets, &e));
    std::vector<uint8_t> expected;
    for (const VmdObject& o : d.objects) {
      uint32_t id = o.type << 22 | o.instance;
      expected.insert(expected.end(),
                      {0xC4, uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id)});
    }
    EXPECT_EQ(octets, expected) << "Object_List names every object";
    for (uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 13u, 14u}) {
      const VmdObject* o = nullptr;
      for (const VmdObject& x : d.objects)
        if (x.type == type && !o) o = &x;
      ASSERT_NE(o, nullptr) << "type " << type;
      for (uint32_t property : {77u, 85u, 111u})  // name, present value, status flags
        EXPECT_NE(VmdObjectFindProperty(*o, property), nullptr)
            << "type " << type << " property " << property;
    }
  }
  EXPECT_GE(per_network[0], 2);
  EXPECT_EQ(per_network.size(), 3u);
  for (const auto& [net, n] : per_network)
    EXPECT_GE(n, 2) << "network " << net;
}

TEST(Site, TheBuiltInDemoSiteIsTheFile) {
  std::ifstream f(VELMORA_SOURCE_DIR "/daemon/sites/demo.site", std::ios::binary);
  std::stringstream text;
  text << f.rdbuf();
  EXPECT_EQ(text.str(), VmdDemoSiteText());
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteLoadDemo(&site, &error)) << error;
  EXPECT_EQ(site.devices.size(), 6u);
}

TEST(Site, ValuesAndDefaults) {
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteParse(&site, "[daemon]\nmac = 01:02:03:04:05:06:07 # seven\nmax_apdu=0x1E0\n",
                           "t", &error))
      << error;
  EXPECT_EQ(site.local.macLen, 7);
  EXPECT_EQ(site.local.mac[6], 7);
  EXPECT_EQ(site.max_apdu, 480u);
  EXPECT_EQ(site.version[1], 2);  // default kept
  ASSERT_TRUE(VmdSiteParse(&site, "", "t", &error));
  EXPECT_GT(site.local.macLen, 0);
  // Without the key an unanswered request waits BACnet's usual time-out,
  // not none at all.
  EXPECT_EQ(site.apdu_timeout_ms, 3000u);
  ASSERT_TRUE(VmdSiteParse(&site, "[daemon]\nmax_apdu = 480\n", "t", &error));
  EXPECT_EQ(site.apdu_timeout_ms, 3000u);
}

TEST(Site, BadValuesNameTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[daemon]\nmac = \n", "t:2: bad mac ''"},
      {"[daemon]\nmac = 01:02:03:04:05:06:07:08\n", "t:2: bad mac"},
      {"[daemon]\n\nmac = 1g\n", "t:3: bad mac '1g'"},
      {"[daemon]\nmac = 123\n", "t:2: bad mac"},
      {"[daemon]\nmac = 01::02\n", "t:2: bad mac"},
      {"[daemon]\nmax_apdu = 1477\n", "t:2: bad max_apdu '1477' (expected 50 to 1476)"},
      {"[daemon]\nmax_apdu = 49\n", "t:2: bad max_apdu"},
      {"[daemon]\nmax_apdu = -5\n", "t:2: bad max_apdu"},
      {"[daemon]\nnetwork = 65536\n", "t:2: bad network"},
      {"[daemon]\nversion = 6.2\n", "t:2: bad version"},
      {"[daemon]\nversion = 6.2.256\n", "t:2: bad version"},
      {"[daemon]\ncolour = red\n", "t:2: unknown key 'colour'"},
      {"mac = 0a\n", "t:1: 'mac' outside a section"},
      {"[daemon]\nmac\n", "t:2: expected KEY = VALUE"},
      {"[daemon\n", "t:1: unterminated section header"},
      {"[ports]\n", "t:1: unknown section 'ports'"},
      {"[device x]\n", "t:1: bad device instance 'x'"},
      {"[device 4194303]\n", "t:1: bad device instance"},
      {"[device 1]\nmac = 01\n[device 1]\n", "t:3: device 1 defined twice"},
      {"[device 7]\nnetwork = 3\n", "t:1: device 7 has no mac"},
      {"[daemon]\nnetwork = 65535\n", "t:2: bad network '65535' (expected 0 to 65534)"},
      {"[daemon]\napdu_timeout = 600001\n",
       "t:2: bad apdu_timeout '600001' (expected 0 to 600000)"},
      {"[device 1]\nmac = 01\nvendor = 65536\n", "t:3: bad vendor '65536' (expected 0 to 65535)"},
      {"[device 1]\nmac = 01\nmax_apdu = 49\n", "t:3: bad max_apdu '49'"},
      {"[device 1]\nmac = 01\nslow = -1\n", "t:3: bad slow '-1'"},
      {"[device 1]\nmac = 01\nsegmentation = some\n", "t:3: bad segmentation 'some'"},
      {"[device 1]\nmac = 01\nsilent = maybe\n", "t:3: bad silent 'maybe' (expected yes or no)"},
      {"[device 1]\nmac = 01\ncolour = red\n",
       "t:3: unknown key 'colour' (expected a device setting or a property name or number)"},
      {"[device 1]\nmac = 01\n[object analog-input 1]\nmac = 02\n",
       "t:4: unknown key 'mac' (expected a property name or number)"},
      {"[object analog-input 1]\n", "t:1: [object analog-input 1] before any [device INSTANCE]"},
      {"[device 1]\nmac = 01\n[object device 1]\n",
       "t:3: the device object of device 1 is its [device] section"},
      {"[device 1]\nmac = 01\n[object analog-input 1]\n[object 0 1]\n",
       "t:4: analog-input 1 defined twice in device 1"},
      {"[device 1]\nmac = 01\n[object frob 1]\n", "t:3: bad object section '[object frob 1]'"},
      {"[device 1]\nmac = 01\n[object analog-input 4194303]\n", "t:3: bad object section"},
      {"[device 1]\nmac = 01\n[object analog-input 1 2]\n", "t:3: bad object section"},
      {"[device 1]\nmac = 01\nobject-name = \"a\"\nObject_Name = \"b\"\n",
       "t:4: object-name defined twice in device 1"},
      {"[device 1]\nmac = 01\npresent-value = real x # a comment\n",
       "t:3: present-value: expected a number (or nan, inf, -inf) after 'real'"},
      {"[device 1]\nmac = 01\nstate-text = array \"a\",\n\n  \"b\", frob\n",
       "t:5: state-text: expected a value"},
      {"[device 1]\nmac = 01\nstate-text = array \"a\",\n",
       "t:3: the value of state-text ends in ',' but the file ends"},
      {"[device 1]\nmac = 01\nstate-text = array \"a\",\n[device 2]\n",
       "t:4: the value of state-text ends in ',' on an earlier line"},
      {"[device 1]\nmac = 01\n[device 2]\nmac = 01\n", "t:3: device 2 has the address of device 1"},
      {"[device 1]\nmac = 01\nnetwork = 5\n[device 2]\nnetwork = 5\nmac = 01\n",
       "t:4: device 2 has the address of device 1"},
      {"[device 1]\nmac = 01\nanswers_ioctls = 1\n", "t:3: bad answers_ioctls '1'"},
      {"[device 1]\nmac = 01\nrefuse_private_transfer = abort\n",
       "t:3: bad refuse_private_transfer 'abort' (expected reject or error)"},
      {"[daemon]\nfind_dnet_time = 600001\n", "t:2: bad find_dnet_time '600001'"},
      {"[daemon]\nptp_term_time = 86401\n", "t:2: bad ptp_term_time '86401' (expected 0 to 86400)"},
      {"[port 0]\n", "t:1: bad port identifier '0' (expected 1 to 65535)"},
      {"[port 65536]\n", "t:1: bad port identifier"},
      {"[port 1]\ntype = ptp\nprotocol = ptp\n[port 1]\n", "t:4: port 1 defined twice"},
      {"[port 1]\ntype = physical\n", "t:1: port 1 has no protocol"},
      {"[port 2]\nprotocol = bip\n", "t:1: port 2 has no type"},
      {"[port 1]\ntype = serial\n",
       "t:2: bad type 'serial' (expected physical, virtual or ptp, or 0 to 255)"},
      {"[port 1]\nprotocol = 256\n", "t:2: bad protocol '256'"},
      {"[port 1]\nnetwork = 65535\n", "t:2: bad network '65535'"},
      {"[port 1]\nnic = eth0\n", "t:2: nic: expected a text in double quotes"},
      {"[port 1]\nlabel = \"a\" b\n", "t:2: label: expected the end of the text"},
      {"[port 1]\nnetworks = 5, 0\n", "t:2: bad networks '5, 0'"},
      {"[port 1]\nnetworks = 5,\n", "t:2: bad networks '5,'"},
      {"[port 1]\nbbmd = sure\n", "t:2: bad bbmd 'sure' (expected yes or no)"},
      {"[port 1]\nstatus = up\n", "t:2: bad status 'up' (expected connected or disconnected)"},
      {"[port 1]\nbdt = C0A80001BAC0\n", "t:2: bad bdt entry 'C0A80001BAC0'"},
      {"[port 1]\nbdt = C0A80001BAC FFFFFFFF\n", "t:2: bad bdt entry"},
      {"[port 1]\nbdt = C0A80001BAC0 FFFFFFFF 00\n", "t:2: bad bdt entry"},
      {"[port 1]\nfdt = C0A80002BAC0 0\n", "t:2: bad fdt entry 'C0A80002BAC0 0'"},
      {"[port 1]\nfdt = C0A80002BAC0 65536\n", "t:2: bad fdt entry"},
      {"[port 1]\nmac = 01\n", "t:2: unknown key 'mac' in [port 1]"},
      {"[port 3]\ntype = physical\nprotocol = mstp\nbbmd = yes\n",
       "t:1: port 3: bbmd, bdt and fdt belong to a physical B/IP port"},
      {"[port 3]\ntype = physical\nprotocol = bip\nbdt = C0A80001BAC0 FFFFFFFF\n",
       "t:1: port 3: bdt and fdt entries need bbmd = yes"},
      {"[port 3]\ntype = physical\nprotocol = bip\nstatus = connected\n",
       "t:1: port 3: only a ptp port has a status"},
      {"[port 1]\ntype = physical\nprotocol = bip\nnetwork = 5\n"
       "[port 2]\ntype = ptp\nprotocol = ptp\nnetworks = 7, 5\n",
       "t:5: network 5 is reached through port 1 and port 2"},
  };
  for (const Case& c : cases) {
    VmdSite site;
    VmdSiteDefaults(&site);
    site.max_apdu = 999;
    std::string error;
    EXPECT_FALSE(VmdSiteParse(&site, c.text, "t", &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    EXPECT_EQ(site.max_apdu, 999u) << "a failed parse leaves the site as it was";
  }
}

// A device's settings, the properties the daemon adds, and reads of whole
// values, array lengths and elements against the encoding rules.
TEST(Site, DevicesGetTheirSettingsObjectsAndImpliedProperties) {
  const char* text = R"(
[daemon]
apdu_timeout = 250
[device 77]             # settings, then device object properties
mac = 0a:0b
network = 9
vendor = 999
max_apdu = 480
segmentation = no-segmentation
slow = 20
silent = yes
refuse_whole_object_list = yes
object-name = "x # not a comment"
[object analog-input 3]
object-name = "AI 3"
state-text = array "a",   # comment after the comma
   "b",

   "c"
[object 130 1]
512 = hex 01 02
[device 78]
mac = 0a:0b             # the same MAC on another network
object-list = array object device 78
vendor-identifier = unsigned 5
)";
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteParse(&site, text, "t", &error)) << error;
  EXPECT_EQ(site.apdu_timeout_ms, 250u);
  ASSERT_EQ(site.devices.size(), 2u);
  const VmdDevice& d = site.devices[0];
  EXPECT_EQ(d.instance, 77u);
  EXPECT_EQ(d.address.netPresent, 1);
  EXPECT_EQ(d.address.net, 9);
  EXPECT_EQ(d.address.macLen, 2);
  EXPECT_EQ(d.vendor, 999u);
  EXPECT_EQ(d.max_apdu, 480u);
  EXPECT_EQ(d.segmentation, 3);
  EXPECT_TRUE(d.switches.silent);
  EXPECT_EQ(d.switches.slow_ms, 20u);
  EXPECT_TRUE(d.switches.refuse_whole_object_list);
  EXPECT_FALSE(site.devices[1].switches.silent);

  using Bytes = std::vector<uint8_t>;
  struct Case {
    uint32_t type, instance, property;
    int64_t index;
    bool ok;
    Bytes octets;
    VelmoraError error;
  } cases[] = {
      {8, 77, 75, -1, true, {0xC4, 0x02, 0x00, 0x00, 0x4D}, {}},
      {8, 4194303, 75, -1, true, {0xC4, 0x02, 0x00, 0x00, 0x4D}, {}},  // the wildcard instance
      {8, 77, 79, -1, true, {0x91, 0x08}, {}},
      {8,
       77,
       77,
       -1,
       true,
       {0x75, 0x12, 0x00, 'x', ' ', '#', ' ', 'n', 'o', 't',
        ' ',  'a',  ' ',  'c', 'o', 'm', 'm', 'e', 'n', 't'},
       {}},
      {8,
       77,
       76,
       -1,
       true,
       {0xC4, 0x02, 0x00, 0x00, 0x4D, 0xC4, 0x00, 0x00, 0x00, 0x03, 0xC4, 0x20, 0x80, 0x00, 0x01},
       {}},
      {8, 77, 76, 0, true, {0x21, 0x03}, {}},
      {8, 77, 76, 3, true, {0xC4, 0x20, 0x80, 0x00, 0x01}, {}},
      {8, 77, 76, 4, false, {}, {2, 42}},
      {8, 77, 120, -1, true, {0x22, 0x03, 0xE7}, {}},
      {8, 77, 62, -1, true, {0x22, 0x01, 0xE0}, {}},
      {8, 77, 107, -1, true, {0x91, 0x03}, {}},
      {8, 77, 77, 1, false, {}, {2, 50}},  // not an array
      {8, 77, 85, -1, false, {}, {2, 32}},
      {0, 3, 79, -1, true, {0x91, 0x00}, {}},
      {0, 3, 110, -1, true, {0x72, 0x00, 'a', 0x72, 0x00, 'b', 0x72, 0x00, 'c'}, {}},
      {0, 3, 110, 2, true, {0x72, 0x00, 'b'}, {}},
      {0, 4, 77, -1, false, {}, {1, 31}},
      {130, 1, 512, -1, true, {0x01, 0x02}, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message()
                 << k.type << "," << k.instance << " " << k.property << "[" << k.index << "]");
    Bytes octets;
    VelmoraError e{};
    ASSERT_EQ(VmdDeviceRead(d, k.type, k.instance, k.property, k.index, &octets, &e), k.ok);
    if (k.ok) {
      EXPECT_EQ(octets, k.octets);
    } else {
      EXPECT_EQ(e.error_class, k.error.error_class);
      EXPECT_EQ(e.error_code, k.error.error_code);
    }
  }
  // The identifying properties come first; the site's own values stand.
  EXPECT_EQ(d.objects[1].properties[0].id, 75u);
  EXPECT_EQ(d.objects[1].properties[1].id, 79u);
  Bytes octets;
  VelmoraError e{};
  ASSERT_TRUE(VmdDeviceRead(site.devices[1], 8, 78, 76, 0, &octets, &e));
  EXPECT_EQ(octets, (Bytes{0x21, 0x01}));
  ASSERT_TRUE(VmdDeviceRead(site.devices[1], 8, 78, 120, -1, &octets, &e));
  EXPECT_EQ(octets, (Bytes{0x21, 0x05}));
  EXPECT_EQ(VmdDeviceIAm(site.devices[1]),
            (Bytes{0xC4, 0x02, 0x00, 0x00, 0x4E, 0x22, 0x05, 0xC4, 0x91, 0x00, 0x21, 0x00}))
      << "the I-Am: identifier, max APDU 1476, segmented-both, vendor 0";
}

TEST(Site, PortsSwitchesAndTimersOfTheNetwork) {
  const char* text = R"(
[daemon]
router_busy_time = 0x10
router_broadcast_period = 86400
[port 9]
type = ptp
protocol = bhttp-ptp
nic = "-client \"a\""
info = "38400 baud"
label = "x # y"
networks = 12, 0x0D
status = connected
enabled = no
[port 2]
type = physical
protocol = BIP
network = 1
bbmd = yes
bdt = c0a80001bac0 FFFFFF00
fdt = C0A80002BAC0 65535
[port 3]
type = 1
protocol = 200
[device 5]
mac = 05
answers_ioctls = yes
refuse_private_transfer = error
)";
  VmdSite site;
  std::string error;
  ASSERT_TRUE(VmdSiteParse(&site, text, "t", &error)) << error;
  EXPECT_EQ(site.nl.router_busy_time, 16u);
  EXPECT_EQ(site.nl.router_broadcast_period, 86400u);
  EXPECT_EQ(site.nl.ptp_term_time, VmdNlTimeouts{}.ptp_term_time) << "the default kept";
  ASSERT_EQ(site.ports.size(), 3u);
  const VmdPort& ptp = site.ports[0];
  EXPECT_EQ(ptp.id, 9u);
  EXPECT_EQ(ptp.type, kVmdPortPtp);
  EXPECT_EQ(ptp.protocol, 9);
  EXPECT_EQ(ptp.nic, "-client \"a\"");
  EXPECT_EQ(ptp.info, "38400 baud");
  EXPECT_EQ(ptp.label, "x # y");
  EXPECT_EQ(ptp.networks, (std::vector<uint16_t>{12, 13}));
  EXPECT_EQ(ptp.status, kVmdPortConnected);
  EXPECT_FALSE(ptp.enabled);
  const VmdPort& bip = site.ports[1];
  EXPECT_TRUE(VmdPortIsBip(bip));
  EXPECT_EQ(bip.status, kVmdPortPermanent);
  ASSERT_EQ(bip.bdt.size(), 1u);
  const uint8_t entry[] = {0xC0, 0xA8, 0x00, 0x01, 0xBA, 0xC0, 0xFF, 0xFF, 0xFF, 0x00};
  EXPECT_EQ(0, memcmp(bip.bdt[0].octets, entry, sizeof entry));
  ASSERT_EQ(bip.fdt.size(), 1u);
  EXPECT_EQ(bip.fdt[0].ttl, 65535);
  EXPECT_EQ(site.ports[2].type, kVmdPortVirtual);
  EXPECT_EQ(site.ports[2].protocol, 200);
  EXPECT_EQ(VmdSiteFindPort(site, 3), &site.ports[2]);
  EXPECT_EQ(VmdSiteFindPort(site, 4), nullptr);
  // Devices of network 0 are reached through the first port, others through
  // the port that lists their network.
  EXPECT_EQ(VmdPortIndexFor(site.ports, LinkAddress{130, 0, 0, 1, {5}}), 0);
  EXPECT_EQ(VmdPortIndexFor(site.ports, LinkAddress{130, 1, 13, 1, {5}}), 0);
  EXPECT_EQ(VmdPortIndexFor(site.ports, LinkAddress{130, 1, 1, 1, {5}}), 1);
  EXPECT_EQ(VmdPortIndexFor(site.ports, LinkAddress{130, 1, 4, 1, {5}}), -1);
  EXPECT_TRUE(site.devices[0].switches.answers_ioctls);
  EXPECT_EQ(site.devices[0].switches.refusal, VmdTransferRefusal::Error);
  // A PTP port the site does not connect starts disconnected.
  ASSERT_TRUE(VmdSiteParse(&site, "[port 1]\ntype = ptp\nprotocol = ptp\n", "t", &error));
  EXPECT_EQ(site.ports[0].status, kVmdPortDisconnected);
}

// Only a regular file of at most 4 MiB is a site: anything else is refused
// with the path and the cause before a byte of it is served, never read
// as an empty or a cut site, nor waited for.
TEST(Site, WhatIsNotAWholeSiteFileIsRefused) {
  TempDir dir;
  const std::string fifo = dir.File("fifo.site");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string big = dir.File("big.site"), most = dir.File("most.site");
  const std::string comment = "# " + std::string(1021, 'x') + "\n";  // 1 KiB a line
  std::string text = "[daemon]\n";
  while (text.size() + comment.size() <= kVmdSiteMaxBytes)
    text += comment;
  text.append(kVmdSiteMaxBytes - text.size(), '\n');
  WriteTextFile(most, text);
  WriteTextFile(big, text + "\n");
  const struct {
    std::string path;
    const char* error;
  } cases[] = {
      {dir.path(), "cannot read: Is a directory"},
      {fifo, "not a regular file"},
      {"/dev/null", "not a regular file"},
      {big, "larger than 4194304 bytes"},
      // A regular file whose read fails at its first byte.
      {"/proc/self/mem", "cannot read: Input/output error"},
  };
  RunWithDeadline(kTestWait, [&] {
    for (const auto& c : cases) {
      VmdSite site;
      std::string error;
      EXPECT_FALSE(VmdSiteLoad(&site, c.path, &error)) << c.path;
      EXPECT_EQ(error, c.path + ": " + c.error);
    }
  });
  VmdSite site;
  std::string error;
  EXPECT_TRUE(VmdSiteLoad(&site, most, &error)) << error;
}

TEST(Site, MissingFileIsAClearError) {
  VmdSite site;
  std::string error;
  EXPECT_FALSE(VmdSiteLoad(&site, "/nonexistent/x.site", &error));
  EXPECT_NE(error.find("/nonexistent/x.site: cannot open"), std::string::npos) << error;
}
