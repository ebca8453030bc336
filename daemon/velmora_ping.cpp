// velmora-ping: registers with a stack daemon the way the library does,
// prints what the daemon answered, and disconnects. A quick check that a
// daemon is there and speaks the link, through the library's own transport
// and frame functions.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/ipc/ipc_name.h"
#include "runtime/ipc/ipc_transport.h"
#include "runtime/ipc/link_names.h"
#include "runtime/osa/osa.h"
#include "runtime/platform/plat_time.h"

namespace {

// The whole exchange, from the connect to the last byte of the last
// reply: a daemon that stalls anywhere (a full listen queue, half a frame)
// ends the ping instead of hanging it. The tests of the time-out shorten it.
constexpr unsigned kTimeoutSeconds = 5;
constexpr char kTimeoutEnv[] = "VELMORA_TEST_PING_TIMEOUT_S";

// What the time-out prints, made before the alarm is armed.
char g_timeoutLine[512];
size_t g_timeoutLength = 0;

void OnTimeout(int) {
  // Nothing but what a signal handler may do.
  ssize_t written = write(STDERR_FILENO, g_timeoutLine, g_timeoutLength);
  (void)written;
  _exit(1);
}

bool ArmTimeout(const char* name) {
  const unsigned seconds = PlatTestWait(kTimeoutEnv, kTimeoutSeconds);
  int n = snprintf(g_timeoutLine, sizeof g_timeoutLine,
                   "velmora-ping: '%s' did not finish the exchange within %u s\n", name, seconds);
  if (n < 0) return false;
  g_timeoutLength = std::min(size_t(n), sizeof g_timeoutLine - 1);
  struct sigaction action {};
  action.sa_handler = OnTimeout;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGALRM, &action, nullptr) != 0) return false;
  alarm(seconds);
  return true;
}

// Writes the registration and returns the daemon's reply; false when the
// link closed or the reply was refused.
bool Register(IpcTransport* t, IpcRegisterReply* reply) {
  IpcMsg* m = IpcMsgAlloc(0);
  if (m == nullptr) return false;
  IpcRegisterRequest rq;
  IpcRegisterRequestInit(&rq);
  rq.cliPoolSize = rq.srvPoolSize = 1;
  rq.apduTimeout = 6000;
  rq.numRetries = 3;
  rq.segWindowSize = 16;
  rq.maxSegAccepted = 32;
  rq.segTimeout = 5000;
  rq.maxProcessIds = 1;
  IpcRegisterRequestWrite(IpcMsgArea(m), rq);
  if (IpcFrameLength(m) == 0 || !IpcWriteFrame(t, m)) return false;
  IpcMsg* r = IpcReadFrameLocked(t, nullptr);
  bool ok = r != nullptr && IpcRegisterReplyRead(IpcMsgData(r), reply);
  IpcMsgFree(r);
  return ok;
}

// Writes the disconnect frame; true when the daemon answered with its own.
bool Disconnect(IpcTransport* t) {
  IpcMsg* m = IpcMsgPoolGet();
  if (m == nullptr || !IpcWriteFrame(t, m)) return false;  // a new message has length 0
  IpcMsg* r = IpcReadFrameLocked(t, nullptr);
  bool answered = r != nullptr && IpcMsgGetFrameLength(r) == 0;
  IpcMsgFree(r);
  return answered;
}

// Pings once the runtime's message pool is up; the exit status.
int Ping(const char* name) {
  if (!ArmTimeout(name)) {
    fprintf(stderr, "velmora-ping: cannot set its time-out\n");
    return 1;
  }
  // The transport logs where it looked and why it failed.
  IpcTransport* t = IpcTransportOpen(name);
  if (t == nullptr) {
    fprintf(stderr, "velmora-ping: no daemon at '%s'\n", name);
    return 1;
  }
  IpcRegisterReply rp{};
  if (!Register(t, &rp)) {
    fprintf(stderr, "velmora-ping: no registration reply from '%s'\n", name);
    IpcTransportClose(t);
    return 1;
  }
  printf("daemon at %s: status %u, runtime %u.%u.%u, max APDU %u, user %u, local MAC", name,
         rp.status, rp.major, rp.minor, rp.third, rp.maxApdu, rp.userId);
  for (unsigned i = 0; i < rp.local.macLen && i < LINK_MAC_MAX; ++i)
    printf("%s%02x", i ? ":" : " ", rp.local.mac[i]);
  printf("\n");
  // Kept if the disconnect runs out of time.
  fflush(stdout);
  bool answered = Disconnect(t);
  alarm(0);
  IpcTransportClose(t);
  if (!answered) {
    fprintf(stderr, "velmora-ping: the disconnect was not answered\n");
    return 1;
  }
  printf("disconnect answered\n");
  return rp.status == IPC_DAEMON_OK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* name = argc > 1 ? argv[1] : IPC_DEFAULT_CONN_NAME;
  if (argc > 2 || (argc == 2 && (!strcmp(name, "--help") || !strcmp(name, "-h")))) {
    printf(
        "Usage: velmora-ping [CONNECTION-NAME]\n"
        "Registers with the daemon at CONNECTION-NAME (as Tsml\\ConnIPC names it;\n"
        "default %s), prints its answer and disconnects.\n",
        IPC_DEFAULT_CONN_NAME);
    return argc > 2 ? 2 : 0;
  }
  IpcConnTarget target;
  if (IpcNameParse(name, &target) != IpcNameError::Ok) {
    fprintf(stderr, "velmora-ping: bad connection name '%s'\n", name);
    return 2;
  }
  PlatLock* osaLock = OsaInit();
  if (osaLock == nullptr) {
    fprintf(stderr, "velmora-ping: the runtime's operating-system layer did not start\n");
    return 1;
  }
  bool pooled;
  {
    PlatLockGuard guard(osaLock);
    pooled = IpcMsgPoolAcquire();
  }
  int status = 1;
  if (pooled) {
    status = Ping(name);
    PlatLockGuard guard(osaLock);
    IpcMsgPoolRelease();
  } else {
    fprintf(stderr, "velmora-ping: no memory for link messages\n");
  }
  OsaTerm();
  return status;
}
