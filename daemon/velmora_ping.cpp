// velmora-ping: registers with a stack daemon the way the library does,
// prints what the daemon answered, and disconnects. A quick check that a
// daemon is there and speaks the link, through the library's own transport
// and frame functions.
#include <cstdio>
#include <cstring>

#include "runtime/ipc/ipc_frame.h"
#include "runtime/ipc/ipc_msg.h"
#include "runtime/ipc/ipc_name.h"
#include "runtime/ipc/ipc_transport.h"
#include "runtime/ipc/link_names.h"
#include "runtime/osa/osa.h"

namespace {

constexpr uint32_t kTimeoutMs = 5000;

// The next frame, when one starts within the time-out; none on a time-out,
// a closed link or a length word the reader refuses.
IpcMsg* ReadFrame(IpcTransport* t) {
  if (!IpcTransportWaitReadable(t, kTimeoutMs)) return nullptr;
  return IpcReadFrameLocked(t, nullptr);
}

// Writes the registration and returns the daemon's reply; false when none
// came.
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
  IpcMsg* r = ReadFrame(t);
  bool ok = r != nullptr && IpcRegisterReplyRead(IpcMsgData(r), reply);
  IpcMsgFree(r);
  return ok;
}

// Writes the disconnect frame; true when the daemon answered with its own.
bool Disconnect(IpcTransport* t) {
  IpcMsg* m = IpcMsgPoolGet();
  if (m == nullptr || !IpcWriteFrame(t, m)) return false;  // a new message has length 0
  IpcMsg* r = ReadFrame(t);
  bool answered = r != nullptr && IpcMsgGetFrameLength(r) == 0;
  IpcMsgFree(r);
  return answered;
}

// Pings once the runtime's message pool is up; the exit status.
int Ping(const char* name) {
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
  bool answered = Disconnect(t);
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
