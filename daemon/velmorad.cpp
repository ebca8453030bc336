// velmorad: the stand-in stack daemon as a foreground program.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "daemon/vmd_cli.h"

int main(int argc, char** argv) {
  VmdCli cli;
  std::string error;
  if (!VmdCliParse(argc, argv, &cli, &error)) {
    fprintf(stderr, "velmorad: %s\nTry 'velmorad --help'.\n", error.c_str());
    return 2;
  }
  if (cli.help) {
    fputs(VmdUsage(), stdout);
    return 0;
  }
  if (cli.version) {
    fputs(VmdVersionText(), stdout);
    return 0;
  }
  VmdConfig config = VmdCliConfig(cli);
  bool loaded = cli.site_path.empty() ? VmdSiteLoadDemo(&config.site, &error)
                                      : VmdSiteLoad(&config.site, cli.site_path, &error);
  if (!loaded) {
    fprintf(stderr, "velmorad: %s\n", error.c_str());
    return 1;
  }
  // Every thread the core starts inherits this mask; only sigwait sees them.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);
  VmdServer* server = VmdStart(config, &error);
  if (!server) {
    fprintf(stderr, "velmorad: %s\n", error.c_str());
    return 1;
  }
  VmdLog(server, "site %s: %zu simulated devices, %zu network ports",
         cli.site_path.empty() ? "demo.site (built in)" : cli.site_path.c_str(),
         config.site.devices.size(), config.site.ports.size());
  int sig = 0;
  sigwait(&stop, &sig);
  VmdLog(server, "stopping on %s", sig == SIGINT ? "SIGINT" : "SIGTERM");
  VmdStop(server);
  return 0;
}
