// The transaction and link parameters read from the configuration store.
#include <gtest/gtest.h>

#include <string>

#include "runtime/osa/cfg.h"
#include "runtime/osa/osa.h"
#include "runtime/tsml/tsml_config.h"
#include "tests/runtime/support/osa_fixture.h"

namespace {

using TsmlConfigTest = OsaTest;

// The bounds of the Cli values: the first value out of bounds fails the read.
TEST_F(TsmlConfigTest, BoundsOfTheCliValues) {
  ASSERT_NE(OsaInit(), nullptr);
  struct Case {
    const char* name;
    uint32_t value;
    bool ok;
  } cases[] = {
      {"Seg_Window_Size", 127, true},      {"Seg_Window_Size", 128, false},
      {"Max_Seg_Accepted", 2684353, true}, {"Max_Seg_Accepted", 2684354, false},
      {"Apdu_Length", 1497, true},         {"Apdu_Length", 1498, false},
      {"Cli_Tsm_Pool_Size", 65535, true},  {"Cli_Tsm_Pool_Size", 65536, false},
      {"All_Process_IDs", 1, true},        {"All_Process_IDs", 2, false},
      {"Segmentation", 3, true},           {"Segmentation", 4, false},
  };
  for (const Case& c : cases) {
    std::string path = std::string("Cli\\") + c.name;
    ASSERT_TRUE(SetCfgDword(path.c_str(), c.value));
    TsmlConfig cfg{};
    EXPECT_EQ(TsmlConfigRead("Cli\\", &cfg), c.ok) << c.name << "=" << c.value;
    ASSERT_TRUE(DeleteCfgEntry(path.c_str()));
  }
  TsmlConfig cfg{};
  ASSERT_TRUE(TsmlConfigRead("Cli\\", &cfg));
  EXPECT_EQ(cfg.Cli_Tsm_Pool_Size, 150u);
  EXPECT_EQ(cfg.Max_Seg_Accepted, 32u);
  EXPECT_EQ(cfg.Seg_Window_Size, 16u);
  OsaTerm();
}

TEST_F(TsmlConfigTest, LinkParametersAndTheConnectionName) {
  ASSERT_NE(OsaInit(), nullptr);
  TsmlParams p{};
  ASSERT_TRUE(TsmlParamsRead(&p));
  EXPECT_STREQ(p.ConnIPC, "\\\\.\\pipe\\velmora");
  EXPECT_EQ(p.Pdu_Pool_Size, 200u);
  TsmlParamsFree(&p);
  EXPECT_EQ(p.ConnIPC, nullptr);

  ASSERT_TRUE(SetCfgString("Tsml\\ConnIPC", "tcp:localhost:500"));
  ASSERT_TRUE(TsmlParamsRead(&p));
  EXPECT_STREQ(p.ConnIPC, "tcp:localhost:500");
  TsmlParamsFree(&p);

  struct Case {
    const char* path;
    uint32_t value;
    bool ok;
  } cases[] = {
      {"Tsml\\Apdu_Max_Segs_Present", 2, false}, {"Tsml\\Pdu_Pool_Size", 0, false},
      {"Tsml\\Pdu_Pool_Size", 2684354, true},    {"Tsml\\Pdu_Pool_Size", 2684355, false},
      {"Tsml\\Max_Processes", 65536, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetCfgDword(c.path, c.value));
    EXPECT_EQ(TsmlParamsRead(&p), c.ok) << c.path << "=" << c.value;
    TsmlParamsFree(&p);
    ASSERT_TRUE(DeleteCfgEntry(c.path));
  }
  OsaTerm();
}

TEST(TsmlVersion, OnlySixTwo) {
  EXPECT_TRUE(TsmlVersionCheck(6, 2));
  EXPECT_FALSE(TsmlVersionCheck(6, 1));
  EXPECT_FALSE(TsmlVersionCheck(6, 3));
  EXPECT_FALSE(TsmlVersionCheck(7, 2));
  EXPECT_FALSE(TsmlVersionCheck(2, 6));
}

}  // namespace
