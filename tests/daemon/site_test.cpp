// The site file: the demo site, and a clear error with its line for every
// bad value.
#include <gtest/gtest.h>

#include "daemon/vmd_site.h"

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
  ASSERT_EQ(site.devices.size(), 2u);
  EXPECT_EQ(site.devices[1].instance, 2002u);
  EXPECT_EQ(site.devices[1].address.netPresent, 1);
  EXPECT_EQ(site.devices[1].address.net, 5);
  EXPECT_EQ(site.devices[1].address.macLen, 1);
  EXPECT_EQ(site.devices[1].address.mac[0], 0x14);
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

TEST(Site, MissingFileIsAClearError) {
  VmdSite site;
  std::string error;
  EXPECT_FALSE(VmdSiteLoad(&site, "/nonexistent/x.site", &error));
  EXPECT_NE(error.find("/nonexistent/x.site: cannot open"), std::string::npos) << error;
}
