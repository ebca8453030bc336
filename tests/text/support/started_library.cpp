#include "tests/text/support/started_library.h"

#include <stdlib.h>

#include <string>

#include "daemon/vmd_core.h"
#include "daemon/vmd_site.h"
#include "runtime/apil/velmora.h"

void StartedLibrary::SetUp() {
  ASSERT_FALSE(dir_.path().empty());
  setenv("VELMORA_PIPE_DIR", dir_.path().c_str(), 1);
  setenv("VELMORA_REGISTRY", dir_.File("registry.reg").c_str(), 1);
  VmdConfig c;
  c.pipe_path = dir_.File("velmora");
  c.log_quiet = true;
  VmdSiteDefaults(&c.site);
  // Unanswered requests time out at once: the tests wait for that.
  c.site.apdu_timeout_ms = 0;
  std::string error;
  server_ = VmdStart(c, &error);
  ASSERT_NE(server_, nullptr) << error;
  VelmoraInitParams params;
  ASSERT_TRUE(VelmoraInitDefaults(&params, 6, 2));
  ASSERT_EQ(VelmoraInit(&params, 0), 0);
}

void StartedLibrary::TearDown() {
  VelmoraTerminate();
  if (server_) VmdStop(server_);
  server_ = nullptr;
}
