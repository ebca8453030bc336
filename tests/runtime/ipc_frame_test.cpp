#include "runtime/ipc/ipc_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Msg(uint16_t kind, size_t size, uint16_t status = 0) {
  Bytes m(size, 0);
  IpcPut16(m, IPC_OFF_KIND, kind);
  IpcPut16(m, IPC_OFF_STATUS, status);
  return m;
}

// A 68 + P message whose length word claims `claimed` payload bytes.
Bytes PayloadMsg(uint16_t kind, size_t size, uint32_t claimed) {
  Bytes m = Msg(kind, size);
  IpcPut32(m, IPC_OFF_PAYLOAD_LEN, claimed);
  return m;
}

TEST(IpcFrameFields, LittleEndianAndBounded) {
  Bytes m = {0x11, 0x22, 0x33, 0x44, 0x55};
  EXPECT_EQ(IpcGet16(m, 0), 0x2211);
  EXPECT_EQ(IpcGet32(m, 1), 0x55443322u);
  EXPECT_EQ(IpcGet32(m, 2), 0u);  // runs past the end
  EXPECT_EQ(IpcGet16(m, SIZE_MAX), 0);
  EXPECT_FALSE(IpcPut32(m, 2, 1));
  EXPECT_EQ(m, (Bytes{0x11, 0x22, 0x33, 0x44, 0x55}));
  ASSERT_TRUE(IpcPut32(m, 0, 0xA1B2C3D4));
  ASSERT_TRUE(IpcPut16(m, 3, 0x0E02));
  EXPECT_EQ(m, (Bytes{0xD4, 0xC3, 0xB2, 0x02, 0x0E}));
}

TEST(IpcFrameHeader, ReadsShortFramesAsZeroAndRoundTrips) {
  Bytes m = {0x01, 0x08, 0x04, 0x00, 0x78, 0x56, 0x34, 0x12};
  IpcMsgHeader h;
  ASSERT_TRUE(IpcHeaderRead(m, &h));
  EXPECT_EQ(h.kind, IPC_KIND_SET_PARAMS);
  EXPECT_EQ(h.status, 4);
  EXPECT_EQ(h.tsmIndex, 0x12345678u);
  EXPECT_EQ(h.tsmId, 0u);
  EXPECT_FALSE(IpcHeaderRead(Bytes{1, 2, 3}, &h));

  Bytes out(IPC_HEADER_SIZE, 0xFF);
  h.params[51] = 0x9A;
  ASSERT_TRUE(IpcHeaderWrite(out, h));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), m);
  EXPECT_EQ(out[63], 0x9A);
  EXPECT_FALSE(IpcHeaderWrite(std::span<uint8_t>(out).first(63), h));
}

// Whether a reader may take the next frame from what it holds: the length
// word (little-endian) and every byte it counts, within the cap.
TEST(IpcFrameWhole, LengthWordAndItsBytesWithinTheCap) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint32_t cap;
    bool whole;
  } const cases[] = {
      {"three octets of a length word", {4, 0, 0}, 100, false},
      {"a zero-length frame", {0, 0, 0, 0}, 100, true},
      {"four of five bytes", {5, 0, 0, 0, 1, 2, 3, 4}, 100, false},
      {"five of five bytes", {5, 0, 0, 0, 1, 2, 3, 4, 5}, 100, true},
      {"and the next frame's start", {1, 0, 0, 0, 9, 7, 0}, 100, true},
      {"above the cap", {5, 0, 0, 0, 1, 2, 3, 4, 5}, 4, false},
      {"the top bit", {1, 0, 0, 0x80, 9}, 100, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IpcWholeFrameAt(c.bytes, c.cap), c.whole) << c.what;
}

TEST(IpcFrameRegistration, RequestIsLaidOutByteForByte) {
  IpcRegisterRequest r;
  IpcRegisterRequestInit(&r);
  r.portId = 0x0102;
  r.cliPoolSize = 150;
  r.srvPoolSize = 151;
  r.apduTimeout = 6000;
  r.numRetries = 3;
  r.segmentation = 2;
  r.segWindowSize = 16;
  r.maxSegAccepted = 32;
  r.segTimeout = 5000;
  r.maxProcessIds = 0x10203;
  Bytes m(IPC_REGISTER_LENGTH, 0xEE);
  ASSERT_TRUE(IpcRegisterRequestWrite(m, r));
  const Bytes expected = {
      0x00, 0x08, 0x00, 0x00, 0x06, 0x02, 0x0D, 0x00,  // kind, status, version
      0x02, 0x01, 0x00, 0x00,                          // port identifier
      0x60, 0x00, 0x00, 0x3E, 0x00, 0x00, 0x00, 0x00,  // fixed bytes, zeros
      0x96, 0x00, 0x00, 0x00, 0x97, 0x00, 0x00, 0x00,  // pool sizes
      0x70, 0x17, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,  // APDU timeout, retries
      0x02, 0x00, 0x10, 0x01,                          // segmentation, window, byte 39
      0x20, 0x00, 0x00, 0x00, 0x88, 0x13, 0x00, 0x00,  // max segments, segment timeout
      0x03, 0x02, 0x01, 0x00,                          // process identifiers
  };
  EXPECT_EQ(m, expected);
  EXPECT_EQ(IpcFrameNormalise(m), IPC_REGISTER_LENGTH);
  EXPECT_EQ(m, expected);

  IpcRegisterRequest back;
  ASSERT_TRUE(IpcRegisterRequestRead(m, &back));
  EXPECT_EQ(std::memcmp(back.version, IPC_LIBRARY_VERSION, 4), 0);
  EXPECT_EQ(std::memcmp(back.fixed, IPC_REGISTER_FIXED, 5), 0);
  EXPECT_EQ(back.flag39, 1);
  EXPECT_EQ(back.maxProcessIds, 0x10203u);
  EXPECT_EQ(back.segWindowSize, 16);
  EXPECT_FALSE(IpcRegisterRequestRead(std::span<const uint8_t>(m).first(51), &back));
}

TEST(IpcFrameRegistration, ReplyFields) {
  const Bytes wire = {
      0x00, 0x08, 0x00, 0x00, 0x06, 0x02, 0x05, 0x00,  // kind, status, 6.2.5
      0xC4, 0x05, 0x00, 0x00,                          // max APDU 1476
      0x01, 0x01, 0x34, 0x12, 0x06,                    // address: net present, 0x1234, MAC length 6
      0xC0, 0xA8, 0x01, 0x02, 0xBA, 0xC0, 0x00, 0x2A, 0x00, 0x00, 0x00,  // user identifier 42
  };
  IpcRegisterReply r;
  ASSERT_TRUE(IpcRegisterReplyRead(wire, &r));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.major, 6);
  EXPECT_EQ(r.minor, 2);
  EXPECT_EQ(r.third, 5);
  EXPECT_EQ(r.maxApdu, 1476u);
  EXPECT_EQ(r.local.net, 0x1234);
  EXPECT_EQ(r.local.macLen, 6);
  EXPECT_EQ(r.local.mac[4], 0xBA);
  EXPECT_EQ(r.userId, 42u);
  Bytes out(IPC_REGISTER_REPLY_MIN, 0xEE);
  ASSERT_TRUE(IpcRegisterReplyWrite(out, r));
  EXPECT_EQ(out, wire);
  EXPECT_FALSE(IpcRegisterReplyRead(std::span<const uint8_t>(wire).first(27), &r));
}

TEST(IpcFrameTransferParams, ClearBitsSendZero) {
  IpcTransferParams p{IPC_PARAM_APDU_LENGTH | IPC_PARAM_RETRIES, 3, 480, 9, 9, 9, 9, 7};
  Bytes m(IPC_SET_PARAMS_LENGTH, 0xEE);
  ASSERT_TRUE(IpcTransferParamsWrite(m, p));
  const Bytes expected = {
      0x01, 0x08, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00,  // kind, status, mask, segmentation
      0xE0, 0x01, 0x00, 0x00, 0,    0,    0,    0,    0, 0, 0, 0,  // APDU length 480
      0,    0,    0,    0,    0,    0,    0,    0,                 // segment and APDU timeouts
      0x07, 0x00, 0x00, 0x00,                                      // retries
  };
  EXPECT_EQ(m, expected);
  // Normalisation clears the same fields of a message built by hand.
  Bytes raw(IPC_SET_PARAMS_LENGTH, 0x55);
  IpcPut16(raw, IPC_OFF_KIND, IPC_KIND_SET_PARAMS);
  IpcPut16(raw, 4, IPC_PARAM_APDU_LENGTH);
  EXPECT_EQ(IpcFrameNormalise(raw), IPC_SET_PARAMS_LENGTH);
  EXPECT_EQ(IpcGet32(raw, 8), 0x55555555u);
  for (size_t off = 12; off < 32; ++off)
    EXPECT_EQ(raw[off], 0) << off;
  EXPECT_EQ(IpcGet16(raw, 6), 0);
  EXPECT_EQ(IpcGet16(raw, IPC_OFF_STATUS), 0);
}

struct SentCase {
  uint16_t kind;
  uint32_t payload;
  uint32_t length;
};

TEST(IpcFrameSend, LengthOfEveryKind) {
  const SentCase cases[] = {
      {IPC_KIND_REGISTER, 9, 52},
      {IPC_KIND_SET_PARAMS, 9, 32},
      {IPC_KIND_ADD_PID, 9, 8},
      {IPC_KIND_REMOVE_PID, 9, 8},
      {IPC_KIND_NEW_PID, 9, 4},
      {IPC_KIND_SET_VALUE_ALL, 9, 6},
      {IPC_KIND_GET_VALUE_ALL, 9, 4},
      {IPC_KIND_IOCTL, 9, 77},
      {IPC_KIND_SET_VALUE, 9, 18},
      {IPC_KIND_GET_VALUE, 9, 16},
      {IPC_KIND_CANCEL, 0, 68},
      {IPC_KIND_CONF_REQUEST, 100, 168},
      {IPC_KIND_UNCONF_REQUEST, 3, 71},
      {IPC_KIND_SERVER_DROP, 9, 12},
      {IPC_KIND_SERVER_INVALID, 9, 12},
      {IPC_KIND_SERVER_ACK, 1, 69},
      {IPC_KIND_SERVER_ABORT, 2, 70},
      {IPC_KIND_CONFIRMATION, 9, 4},
      {IPC_KIND_CONF_INDICATION, 9, 4},
      {0x0123, 9, 4},
      {IPC_KIND_CONF_REQUEST, 0x7FFFFFBB, 0x7FFFFFFF},
      {IPC_KIND_CONF_REQUEST, 0x7FFFFFBC, 0},
  };
  for (const SentCase& c : cases)
    EXPECT_EQ(IpcSentLength(c.kind, c.payload), c.length) << std::hex << c.kind;
}

TEST(IpcFrameSend, NormalisationRefusesAnAreaTooSmall) {
  Bytes m = PayloadMsg(IPC_KIND_CONF_REQUEST, 100, 40);
  EXPECT_EQ(IpcFrameNormalise(m), 0u);
  Bytes fits = PayloadMsg(IPC_KIND_CONF_REQUEST, 108, 40);
  EXPECT_EQ(IpcFrameNormalise(fits), 108u);
}

TEST(IpcFrameSend, ConfirmedRequestByte52FollowsSegmentation) {
  const uint8_t expected[4] = {1, 0, 1, 0};  // both, transmit, receive, none
  for (uint16_t seg = 0; seg < 4; ++seg) {
    Bytes m = PayloadMsg(IPC_KIND_CONF_REQUEST, 68, 0);
    IpcPut16(m, IPC_OFF_STATUS, 7);
    IpcPut16(m, IPC_OFF_PAD, 0xFFFF);
    IpcPut16(m, IPC_OFF_SEGMENTATION, seg);
    m[IPC_OFF_SEG_ACCEPTED] = 0x33;
    ASSERT_EQ(IpcFrameNormalise(m), 68u);
    EXPECT_EQ(m[IPC_OFF_SEG_ACCEPTED], expected[seg]) << seg;
    EXPECT_EQ(IpcGet16(m, IPC_OFF_PAD), 0);
    EXPECT_EQ(IpcGet16(m, IPC_OFF_STATUS), 0);
  }
}

TEST(IpcFrameSend, AddressesAreNormalised) {
  // 0x0808: no network, MAC length 2 -> network 0, MAC bytes 2 to 6 zero.
  Bytes m = Msg(IPC_KIND_SET_VALUE, 18);
  const uint8_t addr[12] = {1, 0, 0x34, 0x12, 2, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11};
  std::memcpy(&m[4], addr, 12);
  IpcPut16(m, IPC_OFF_VALUE, 0xBEEF);
  ASSERT_EQ(IpcFrameNormalise(m), 18u);
  EXPECT_EQ(Bytes(m.begin() + 4, m.begin() + 16),
            (Bytes{1, 0, 0, 0, 2, 0xAA, 0xBB, 0, 0, 0, 0, 0}));
  EXPECT_EQ(IpcGet16(m, IPC_OFF_VALUE), 0xBEEF);

  // 0x0D01: a present network is kept, a MAC of 7 is kept whole, 40-63 cleared.
  Bytes u = PayloadMsg(IPC_KIND_UNCONF_REQUEST, 70, 2);
  for (size_t i = 12; i < 64; ++i)
    u[i] = 0x77;
  const uint8_t remote[12] = {0, 1, 0x05, 0x00, 7, 1, 2, 3, 4, 5, 6, 7};
  std::memcpy(&u[IPC_OFF_REMOTE_ADDR], remote, 12);
  u[IPC_OFF_LOCAL_ADDR + LINK_OFF_NET_PRESENT] = 0;
  u[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] = 0;
  ASSERT_EQ(IpcFrameNormalise(u), 70u);
  EXPECT_EQ(u[12], 0x77);
  EXPECT_EQ(u[13], 0x77);
  EXPECT_EQ(IpcGet16(u, IPC_OFF_PAD), 0);
  EXPECT_EQ(Bytes(u.begin() + 16, u.begin() + 28), (Bytes{0x77, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Bytes(u.begin() + 28, u.begin() + 40), Bytes(remote, remote + 12));
  for (size_t i = 40; i < 64; ++i)
    EXPECT_EQ(u[i], 0) << i;
  EXPECT_EQ(IpcGet32(u, IPC_OFF_PAYLOAD_LEN), 2u);
}

TEST(IpcFrameSend, ZeroedRanges) {
  struct Case {
    uint16_t kind;
    size_t firstZero;
  };
  for (Case c : {Case{IPC_KIND_IOCTL, 4}, Case{IPC_KIND_CANCEL, 13}, Case{IPC_KIND_SERVER_ACK, 13},
                 Case{IPC_KIND_SERVER_ABORT, 13}}) {
    Bytes m(69, 0x5A);
    IpcPut16(m, IPC_OFF_KIND, c.kind);
    IpcPut32(m, IPC_OFF_PAYLOAD_LEN, 1);
    ASSERT_EQ(IpcFrameNormalise(m), 69u);
    for (size_t i = 4; i < 64; ++i)
      EXPECT_EQ(m[i], i < c.firstZero ? 0x5A : 0) << std::hex << c.kind << " byte " << i;
    EXPECT_EQ(m[68], 0x5A);
  }
}

struct CheckCase {
  const char* what;
  uint16_t kind;
  uint16_t status;
  size_t length;
  uint32_t payload;
  IpcCheck result;
};

TEST(IpcFrameReceive, ChecksByKindAndLength) {
  const CheckCase cases[] = {
      {"below 4 bytes", IPC_KIND_SET_PARAMS, 0, 3, 0, IpcCheck::BadLength},
      {"confirmation exact", IPC_KIND_CONFIRMATION, 0, 70, 2, IpcCheck::Ok},
      {"confirmation longer than 68 + P", IPC_KIND_CONFIRMATION, 0, 71, 2, IpcCheck::BadLength},
      {"confirmation shorter than 68 + P", IPC_KIND_CONFIRMATION, 0, 69, 2, IpcCheck::BadLength},
      {"confirmation without payload word", IPC_KIND_CONFIRMATION, 0, 64, 0, IpcCheck::BadLength},
      {"confirmation with status still checked", IPC_KIND_CONFIRMATION, 3, 12, 0,
       IpcCheck::BadLength},
      {"abort 69 with P 1", IPC_KIND_SERVER_ABORTED, 0, 69, 1, IpcCheck::Ok},
      {"abort 70 with P 2", IPC_KIND_SERVER_ABORTED, 0, 70, 2, IpcCheck::BadLength},
      {"abort 68 with P 0", IPC_KIND_SERVER_ABORTED, 0, 68, 0, IpcCheck::BadLength},
      {"indication", IPC_KIND_CONF_INDICATION, 0, 72, 4, IpcCheck::Ok},
      {"indication wrong P", IPC_KIND_UNCONF_INDICATION, 0, 72, 5, IpcCheck::BadLength},
      {"new pid 7", IPC_KIND_NEW_PID, 0, 7, 0, IpcCheck::BadLength},
      {"new pid 8", IPC_KIND_NEW_PID, 0, 8, 0, IpcCheck::Ok},
      {"value all 6", IPC_KIND_GET_VALUE_ALL, 0, 6, 0, IpcCheck::Ok},
      {"value 6", IPC_KIND_GET_VALUE, 0, 6, 0, IpcCheck::Ok},
      {"value 5", IPC_KIND_GET_VALUE, 0, 5, 0, IpcCheck::BadLength},
      {"set params ack 4", IPC_KIND_SET_PARAMS, 0, 4, 0, IpcCheck::Ok},
      {"set params refusal 4", IPC_KIND_SET_PARAMS, 5, 4, 0, IpcCheck::Ok},
      {"new pid refusal 4", IPC_KIND_NEW_PID, 5, 4, 0, IpcCheck::Ok},
      {"registration refusal 27", IPC_KIND_REGISTER, 4, 27, 0, IpcCheck::BadLength},
      {"registration refusal 28", IPC_KIND_REGISTER, 4, 28, 0, IpcCheck::Ok},
      {"registration 27", IPC_KIND_REGISTER, 0, 27, 0, IpcCheck::BadLength},
      {"ioctl reply", IPC_KIND_IOCTL, 0, 68, 0, IpcCheck::Ok},
      {"ioctl reply wrong P", IPC_KIND_IOCTL, 0, 80, 0, IpcCheck::BadLength},
      {"request ack 12", IPC_KIND_CONF_REQUEST, 0, 12, 0, IpcCheck::Ok},
      {"request ack 11", IPC_KIND_CONF_REQUEST, 2, 11, 0, IpcCheck::BadLength},
      {"cancel ack 12", IPC_KIND_CANCEL, 0, 12, 0, IpcCheck::Ok},
      {"response ack 11", IPC_KIND_SERVER_ABORT, 0, 11, 0, IpcCheck::BadLength},
      {"drop ack 12", IPC_KIND_SERVER_DROP, 0, 12, 0, IpcCheck::Ok},
      {"kind 0x0E01", IPC_KIND_SERVER_INVALID, 0, 12, 0, IpcCheck::BadKind},
      {"unknown kind", 0x0123, 0, 68, 0, IpcCheck::BadKind},
      {"unknown kind with a status", 0x0123, 9, 68, 0, IpcCheck::BadKind},
  };
  for (const CheckCase& c : cases) {
    Bytes m = Msg(c.kind, c.length, c.status);
    IpcPut32(m, IPC_OFF_PAYLOAD_LEN, c.payload);
    if (c.kind == IPC_KIND_REGISTER && c.length >= 6) m[4] = 6, m[5] = 2;
    EXPECT_EQ(IpcFrameVerify(m), c.result) << c.what;
  }
}

TEST(IpcFrameReceive, IndicationMacLengths) {
  struct Case {
    uint16_t kind;
    size_t at;
    uint8_t macLen;
    IpcCheck result;
  };
  const Case cases[] = {
      {IPC_KIND_CONF_INDICATION, 20, 7, IpcCheck::Ok},
      {IPC_KIND_CONF_INDICATION, 20, 8, IpcCheck::MacTooLong},
      {IPC_KIND_CONF_INDICATION, 32, 8, IpcCheck::MacTooLong},
      {IPC_KIND_UNCONF_INDICATION, 32, 255, IpcCheck::MacTooLong},
      {IPC_KIND_UNCONF_INDICATION, 20, 7, IpcCheck::Ok},
  };
  for (const Case& c : cases) {
    Bytes m = PayloadMsg(c.kind, 68, 0);
    m[IPC_OFF_SEG_ACCEPTED] = 1;
    m[c.at] = c.macLen;
    EXPECT_EQ(IpcFrameVerify(m), c.result) << std::hex << c.kind << " at " << std::dec << c.at;
  }
}

TEST(IpcFrameReceive, RefusedSegmentedReplyMeansNoSegmentsReceived) {
  // {byte 52, segmentation in, segmentation out} for 0x0700; 0x0701 untouched.
  const uint16_t cases[][3] = {{0, 0, 2}, {0, 1, 3}, {0, 2, 2}, {0, 3, 3}, {1, 0, 0}, {1, 1, 1}};
  for (const auto& c : cases) {
    Bytes m = PayloadMsg(IPC_KIND_CONF_INDICATION, 68, 0);
    m[IPC_OFF_SEG_ACCEPTED] = static_cast<uint8_t>(c[0]);
    IpcPut16(m, IPC_OFF_SEGMENTATION, c[1]);
    ASSERT_EQ(IpcFrameVerify(m), IpcCheck::Ok);
    EXPECT_EQ(IpcGet16(m, IPC_OFF_SEGMENTATION), c[2]) << c[0] << " " << c[1];

    Bytes u = PayloadMsg(IPC_KIND_UNCONF_INDICATION, 68, 0);
    IpcPut16(u, IPC_OFF_SEGMENTATION, c[1]);
    ASSERT_EQ(IpcFrameVerify(u), IpcCheck::Ok);
    EXPECT_EQ(IpcGet16(u, IPC_OFF_SEGMENTATION), c[1]);
  }
}

TEST(IpcFrameReceive, RuntimeVersionCheck) {
  struct Case {
    uint8_t major, minor;
    IpcCheck result;
    uint16_t status;
  };
  const Case cases[] = {
      {6, 1, IpcCheck::OldRuntime, IPC_DAEMON_OLD_RUNTIME},
      {5, 9, IpcCheck::OldRuntime, IPC_DAEMON_OLD_RUNTIME},
      {6, 2, IpcCheck::Ok, 0},
      {6, 3, IpcCheck::Ok, 0},
      {7, 0, IpcCheck::Ok, 0},
  };
  for (const Case& c : cases) {
    Bytes m = Msg(IPC_KIND_REGISTER, 28);
    m[4] = c.major;
    m[5] = c.minor;
    EXPECT_EQ(IpcFrameVerify(m), c.result) << +c.major << "." << +c.minor;
    EXPECT_EQ(IpcGet16(m, IPC_OFF_STATUS), c.status);
    EXPECT_TRUE(IpcCheckPasses(c.result));
  }
  // A refusal keeps the daemon's own status, whatever version it gives.
  Bytes refused = Msg(IPC_KIND_REGISTER, 28, IPC_DAEMON_BAD_PARAMETER);
  refused[4] = 6;
  refused[5] = 1;
  EXPECT_EQ(IpcFrameVerify(refused), IpcCheck::Ok);
  EXPECT_EQ(IpcGet16(refused, IPC_OFF_STATUS), IPC_DAEMON_BAD_PARAMETER);
}

TEST(IpcFrameReply, ShortestDaemonFramesPassTheCheck) {
  const uint16_t kinds[] = {
      IPC_KIND_CONFIRMATION,      IPC_KIND_SERVER_ABORTED, IPC_KIND_CONF_INDICATION,
      IPC_KIND_UNCONF_INDICATION, IPC_KIND_REGISTER,       IPC_KIND_SET_PARAMS,
      IPC_KIND_ADD_PID,           IPC_KIND_REMOVE_PID,     IPC_KIND_NEW_PID,
      IPC_KIND_SET_VALUE_ALL,     IPC_KIND_GET_VALUE_ALL,  IPC_KIND_IOCTL,
      IPC_KIND_SET_VALUE,         IPC_KIND_GET_VALUE,      IPC_KIND_CANCEL,
      IPC_KIND_CONF_REQUEST,      IPC_KIND_UNCONF_REQUEST, IPC_KIND_SERVER_DROP,
      IPC_KIND_SERVER_ACK,        IPC_KIND_SERVER_ERROR,   IPC_KIND_SERVER_REJECT,
      IPC_KIND_SERVER_ABORT};
  for (uint16_t kind : kinds) {
    uint32_t p = kind == IPC_KIND_SERVER_ABORTED ? 1 : 3;
    uint32_t length = IpcReplyLength(kind, p);
    ASSERT_GE(length, 4u) << std::hex << kind;
    Bytes m = PayloadMsg(kind, length, p);
    if (kind == IPC_KIND_REGISTER) m[4] = 6, m[5] = 2;
    EXPECT_EQ(IpcFrameVerify(m), IpcCheck::Ok) << std::hex << kind;
    if (length > 4) {
      m.pop_back();
      EXPECT_EQ(IpcFrameVerify(m), IpcCheck::BadLength) << std::hex << kind;
    }
  }
  EXPECT_EQ(IpcReplyLength(IPC_KIND_SERVER_INVALID, 0), 0u);
  EXPECT_EQ(IpcReplyLength(0x0123, 0), 0u);
}

TEST(IpcFrameStatus, DaemonStatusMap) {
  const uint32_t cases[][2] = {
      {0, 0},    {1, 1},    {4, 2},    {5, 3},    {6, 3},    {8, 10},   {256, 6},
      {258, 69}, {259, 8},  {260, 7},  {263, 74}, {264, 11}, {266, 77}, {513, 78},
      {514, 78}, {515, 78}, {516, 78}, {775, 78}, {517, 80}, {518, 82}, {769, 45},
      {772, 79}, {2, 5},    {7, 5},    {257, 5},  {512, 5},  {519, 5},  {65535, 5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IpcDaemonStatusMap(static_cast<uint16_t>(c[0])), c[1]) << c[0];
}

TEST(IpcFrameStatus, OutcomeMap) {
  const uint32_t cases[][2] = {
      {0, 0},   {1, 58},  {2, 59},  {3, 60},  {10, 61}, {11, 62}, {12, 65}, {30, 16},
      {70, 3},  {71, 71}, {72, 72}, {73, 73}, {74, 74}, {75, 8},  {76, 70}, {78, 7},
      {79, 11}, {80, 80}, {81, 82}, {82, 79}, {4, 5},   {77, 5},  {83, 5},  {65535, 5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IpcOutcomeMap(static_cast<uint16_t>(c[0])), c[1]) << c[0];
}

TEST(IpcFrameTxn, AreaRoundTripsAtItsOffsets) {
  IpcTxnParams p{};
  p.priority = 3;
  p.service = 12;
  p.local = {1, 0, 0, 6, {10, 0, 0, 1, 0xBA, 0xC0, 0}};
  p.remote = {2, 1, 0xFFFF, 1, {0x42, 0, 0, 0, 0, 0, 0}};
  p.apduTimeout = 6000;
  p.retries = 3;
  p.maxApdu = 1476;
  p.segAccepted = 1;
  p.window = 16;
  p.segmentation = 3;
  p.maxSegs = 32;
  p.segTimeout = 5000;
  Bytes m(IPC_HEADER_SIZE, 0);
  ASSERT_TRUE(IpcTxnParamsWrite(m, p));
  EXPECT_EQ(m[12], 3);
  EXPECT_EQ(m[20], 6);
  EXPECT_EQ(m[25], 0xBA);
  EXPECT_EQ(IpcGet16(m, 30), 0xFFFF);
  EXPECT_EQ(m[33], 0x42);
  EXPECT_EQ(IpcGet32(m, 48), 1476u);
  EXPECT_EQ(m[52], 1);
  EXPECT_EQ(m[53], 16);
  EXPECT_EQ(IpcGet16(m, 54), 3);
  EXPECT_EQ(IpcGet32(m, 60), 5000u);
  IpcTxnParams back;
  ASSERT_TRUE(IpcTxnParamsRead(m, &back));
  EXPECT_EQ(std::memcmp(&back.local, &p.local, sizeof p.local), 0);
  EXPECT_EQ(back.maxSegs, 32u);
  EXPECT_FALSE(IpcTxnParamsRead(std::span<const uint8_t>(m).first(63), &back));
}

}  // namespace

namespace {

// Random messages of every kind: the check reads nothing outside the
// message (the sanitizer builds see to that) and what it lets through
// keeps the rules a receiver relies on.
TEST(IpcFrameReceive, RandomMessagesKeepTheRules) {
  const uint16_t kinds[] = {IPC_KIND_CONFIRMATION,
                            IPC_KIND_SERVER_ABORTED,
                            IPC_KIND_CONF_INDICATION,
                            IPC_KIND_UNCONF_INDICATION,
                            IPC_KIND_REGISTER,
                            IPC_KIND_NEW_PID,
                            IPC_KIND_GET_VALUE_ALL,
                            IPC_KIND_IOCTL,
                            IPC_KIND_GET_VALUE,
                            IPC_KIND_CONF_REQUEST,
                            IPC_KIND_SERVER_INVALID,
                            IPC_KIND_SERVER_ABORT,
                            0x0123};
  uint32_t state = 12345;
  auto next = [&] { return state = state * 1103515245u + 12345u, state >> 8; };
  for (int i = 0; i < 20000; ++i) {
    size_t size = next() % 140;
    Bytes m(size);
    for (auto& b : m)
      b = static_cast<uint8_t>(next());
    uint16_t kind = kinds[next() % std::size(kinds)];
    IpcPut16(m, IPC_OFF_KIND, kind);
    if (next() % 2) IpcPut16(m, IPC_OFF_STATUS, 0);
    if (next() % 2 && size >= 68)
      IpcPut32(m, IPC_OFF_PAYLOAD_LEN, static_cast<uint32_t>(size - 68));
    if (next() % 2 && size >= 40)
      m[20] = static_cast<uint8_t>(next() % 9), m[32] = static_cast<uint8_t>(next() % 9);
    if (!IpcCheckPasses(IpcFrameVerify(m))) continue;
    ASSERT_NE(kind, IPC_KIND_SERVER_INVALID);
    ASSERT_NE(kind, 0x0123);
    bool checked = IpcGet16(m, IPC_OFF_STATUS) == 0 || (kind & IPC_KIND_CHECKED_BIT) != 0;
    if (kind == IPC_KIND_CONFIRMATION || kind == IPC_KIND_CONF_INDICATION ||
        kind == IPC_KIND_UNCONF_INDICATION || (kind == IPC_KIND_IOCTL && checked)) {
      ASSERT_EQ(size, 68 + IpcPayloadLength(m)) << std::hex << kind;
    }
    if (kind == IPC_KIND_CONF_INDICATION || kind == IPC_KIND_UNCONF_INDICATION) {
      ASSERT_LE(m[20], 7);
      ASSERT_LE(m[32], 7);
    }
    if (kind == IPC_KIND_REGISTER) {
      ASSERT_GE(size, 28u);
    }
  }
}

}  // namespace
