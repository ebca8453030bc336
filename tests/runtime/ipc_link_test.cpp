#include "runtime/ipc/ipc_link.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/runtime/support/ipc_support.h"

namespace {

using namespace std::chrono_literals;

// What the handler saw: a message's bytes, or a lost link.
struct Event {
    bool lost;
    IpcBytes data;
};

struct Recorder {
    std::mutex m;
    std::condition_variable cv;
    std::vector<Event> events;

    bool WaitFor(size_t n, std::chrono::milliseconds deadline)
    {
        std::unique_lock lock(m);
        return cv.wait_for(lock, deadline, [&] { return events.size() >= n; });
    }
    std::vector<Event> Take()
    {
        std::lock_guard lock(m);
        return events;
    }
};

Recorder* g_recorder = nullptr;

void RecordingHandler(IpcConnection*, IpcMsg* msg)
{
    Event e{msg == nullptr, {}};
    if (msg != nullptr) {
        std::span<uint8_t> d = IpcMsgData(msg);
        e.data.assign(d.begin(), d.end());
        IpcMsgFree(msg);
    }
    std::lock_guard lock(g_recorder->m);
    g_recorder->events.push_back(std::move(e));
    g_recorder->cv.notify_all();
}

class IpcLink : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_NE(OsaInit(), nullptr);
        baseRefs_ = OsaRefCount();
        g_recorder = &recorder_;
        listener_ = std::make_unique<IpcTestListener>(GetParam());
        ASSERT_TRUE(listener_->ok());
    }
    void TearDown() override
    {
        if (peer_ >= 0)
            close(peer_);
        listener_.reset();
        IpcSetCloseWait(IPC_CLOSE_WAIT_MS);
        EXPECT_EQ(IpcMsgPoolGetStats().users, 0u);
        EXPECT_EQ(IpcMsgPoolGetStats().heldMsgs, 0u);
        EXPECT_EQ(OsaRefCount(), baseRefs_);
        g_recorder = nullptr;
        OsaTerm();
    }

    void Connect()
    {
        IpcRunWithDeadline(10s, [&] { conn_ = VelmoraIpcConnect(listener_->ConnName().c_str(), RecordingHandler); });
        ASSERT_NE(conn_, nullptr);
        peer_ = listener_->Accept(10s);
        ASSERT_GE(peer_, 0);
    }

    // Close, with the peer answering the disconnect frame (or not).
    void Close(bool answer)
    {
        std::thread daemon([&] {
            disconnect_ = IpcTestReadExactly(peer_, 4, 20s);
            if (answer)
                IpcTestWriteAll(peer_, IpcBytes{0, 0, 0, 0});
        });
        IpcRunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
        conn_ = nullptr;
        daemon.join();
    }

    void Send(const IpcBytes& wire) { ASSERT_TRUE(IpcTestWriteAll(peer_, wire)); }

    Recorder recorder_;
    std::unique_ptr<IpcTestListener> listener_;
    IpcConnection* conn_ = nullptr;
    int peer_ = -1;
    IpcBytes disconnect_;
    uint32_t baseRefs_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Transports, IpcLink, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Tcp" : "Socket"; });

IpcBytes GoodIndication()
{
    IpcBytes m = IpcTestMessage(IPC_KIND_UNCONF_INDICATION, 72, 4);
    m[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] = 6;
    m[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
    return m;
}

TEST_P(IpcLink, FramesReachTheHandlerCheckedAndInOrder)
{
    Connect();
    IpcBytes conf = IpcTestMessage(IPC_KIND_CONF_INDICATION, 70, 2);  // byte 52 = 0, segmentation 1
    IpcPut16(conf, IPC_OFF_SEGMENTATION, 1);
    IpcBytes ack = IpcTestMessage(IPC_KIND_CONF_REQUEST, 12);
    IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 568, 500);
    IpcBytes wire = IpcWireFrame(conf);
    for (const IpcBytes& m : {ack, big, GoodIndication()}) {
        IpcBytes f = IpcWireFrame(m);
        wire.insert(wire.end(), f.begin(), f.end());
    }
    Send(wire);
    ASSERT_TRUE(recorder_.WaitFor(4, 10s));
    std::vector<Event> e = recorder_.Take();
    for (const Event& ev : e)
        EXPECT_FALSE(ev.lost);
    IpcPut16(conf, IPC_OFF_SEGMENTATION, 3);  // as the check leaves it
    EXPECT_EQ(e[0].data, conf);
    EXPECT_EQ(e[1].data, ack);
    EXPECT_EQ(e[2].data, big);
    EXPECT_EQ(e[3].data, GoodIndication());
    Close(true);
    EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
    EXPECT_EQ(recorder_.Take().size(), 4u);  // the answer to the disconnect is not news
}

TEST_P(IpcLink, ByteByByteThroughTheLink)
{
    Connect();
    IpcBytes big = IpcTestMessage(IPC_KIND_CONFIRMATION, 300, 232);
    IpcBytes wire = IpcWireFrame(big);
    IpcBytes tail = IpcWireFrame(GoodIndication());
    wire.insert(wire.end(), tail.begin(), tail.end());
    ASSERT_TRUE(IpcTestWriteBytewise(peer_, wire, 30s));
    ASSERT_TRUE(recorder_.WaitFor(2, 10s));
    std::vector<Event> e = recorder_.Take();
    EXPECT_EQ(e[0].data, big);
    EXPECT_EQ(e[1].data, GoodIndication());
    Close(true);
}

struct BadCase {
    const char* what;
    IpcBytes wire;
    bool hangUp = false;  // the daemon ends the stream after the bytes
};

std::vector<BadCase> BadCases()
{
    auto macTooLong = GoodIndication();
    macTooLong[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 8;
    auto confLocalMac = IpcTestMessage(IPC_KIND_CONF_INDICATION, 68, 0);
    confLocalMac[IPC_OFF_LOCAL_ADDR + LINK_OFF_MAC_LEN] = 8;
    IpcBytes topBit = {0x14, 0x00, 0x00, 0x80};
    IpcBytes tooLong(4);
    IpcPut32(tooLong, 0, IPC_MAX_FRAME + 1);
    return {
        {"length with the top bit set", topBit},
        {"length above the cap", tooLong},
        {"0x0400 longer than 68 + P", IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 72, 3))},
        {"0x0400 shorter than 68 + P", IpcWireFrame(IpcTestMessage(IPC_KIND_CONFIRMATION, 72, 5))},
        {"0x0600 of 70 bytes", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_ABORTED, 70, 2))},
        {"0x0600 with P 0", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_ABORTED, 69, 0))},
        {"0x0701 remote MAC length 8", IpcWireFrame(macTooLong)},
        {"0x0700 local MAC length 8", IpcWireFrame(confLocalMac)},
        {"kind 0x0E01", IpcWireFrame(IpcTestMessage(IPC_KIND_SERVER_INVALID, 12))},
        {"unknown kind", IpcWireFrame(IpcTestMessage(0x0100, 12))},
        {"length 2", IpcBytes{2, 0, 0, 0, 1, 8}},
        {"unasked zero-length frame", IpcBytes{0, 0, 0, 0}},
        {"the daemon goes away", IpcBytes{}, true},
        {"the daemon goes away inside a frame", IpcBytes{100, 0, 0, 0, 1, 4}, true},
    };
}

TEST_P(IpcLink, EveryBrokenFrameEndsTheLinkWithOneNotice)
{
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.what);
        recorder_.events.clear();
        Connect();
        IpcBytes wire = IpcWireFrame(GoodIndication());
        wire.insert(wire.end(), c.wire.begin(), c.wire.end());
        // Whatever follows a broken frame is never read.
        IpcBytes after = IpcWireFrame(GoodIndication());
        if (!c.hangUp)
            wire.insert(wire.end(), after.begin(), after.end());
        Send(wire);
        if (c.hangUp)
            shutdown(peer_, SHUT_WR);
        ASSERT_TRUE(recorder_.WaitFor(2, 10s));
        Close(false);
        close(peer_);
        peer_ = -1;
        std::vector<Event> e = recorder_.Take();
        ASSERT_EQ(e.size(), 2u);
        EXPECT_FALSE(e[0].lost);
        EXPECT_EQ(e[0].data, GoodIndication());
        EXPECT_TRUE(e[1].lost);
    }
}

TEST_P(IpcLink, WritesAreNormalisedFrames)
{
    Connect();
    IpcMsg* m = IpcMsgAlloc(2);
    ASSERT_NE(m, nullptr);
    std::span<uint8_t> a = IpcMsgArea(m);
    IpcPut16(a, IPC_OFF_KIND, IPC_KIND_CONF_REQUEST);
    IpcPut16(a, IPC_OFF_STATUS, 9);
    IpcPut32(a, IPC_OFF_TSM_INDEX, 7);
    a[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
    a[IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC + 3] = 0xEE;  // beyond the MAC length
    IpcPut16(a, IPC_OFF_SEGMENTATION, 3);
    IpcMsgSetPayloadLength(m, 2);
    IpcMsgGetPayload(m)[0] = 0x0C;
    IpcMsgGetPayload(m)[1] = 0x0D;
    ASSERT_TRUE(PipeWrite(conn_, m));
    IpcBytes got = IpcTestReadExactly(peer_, 74, 10s);
    ASSERT_EQ(got.size(), 74u);
    IpcBytes expected = IpcWireFrame(IpcTestMessage(IPC_KIND_CONF_REQUEST, 70, 2));
    IpcPut32(expected, 4 + IPC_OFF_TSM_INDEX, 7);
    expected[4 + IPC_OFF_REMOTE_ADDR + LINK_OFF_MAC_LEN] = 1;
    IpcPut16(expected, 4 + IPC_OFF_SEGMENTATION, 3);
    expected[72] = 0x0C;
    expected[73] = 0x0D;
    EXPECT_EQ(got, expected);

    // A frame the daemon would refuse never goes out, and is consumed.
    IpcMsg* huge = IpcMsgAlloc(IPC_MAX_PAYLOAD + 1);
    ASSERT_NE(huge, nullptr);
    IpcMsgSetKind(huge, IPC_KIND_CONF_REQUEST);
    IpcMsgSetPayloadLength(huge, IPC_MAX_PAYLOAD + 1);
    EXPECT_FALSE(PipeWrite(conn_, huge));
    EXPECT_FALSE(PipeWrite(conn_, nullptr));
    Close(true);
}

TEST_P(IpcLink, UnansweredDisconnectReturnsAfterTheCloseWait)
{
    Connect();
    IpcSetCloseWait(200);
    Close(false);
    EXPECT_EQ(disconnect_, (IpcBytes{0, 0, 0, 0}));
    // The stream was shut down and the reader ended without a notice.
    EXPECT_TRUE(IpcTestWaitForEnd(peer_, 10s));
    EXPECT_TRUE(recorder_.Take().empty());
}

TEST_P(IpcLink, CloseAfterThePeerVanished)
{
    Connect();
    close(peer_);
    peer_ = -1;
    ASSERT_TRUE(recorder_.WaitFor(1, 10s));
    IpcRunWithDeadline(30s, [&] { VelmoraIpcClose(conn_); });
    conn_ = nullptr;
    std::vector<Event> e = recorder_.Take();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_TRUE(e[0].lost);
}

TEST_P(IpcLink, UserValue)
{
    Connect();
    EXPECT_EQ(IpcConnectionGetUser(conn_), 0u);
    IpcConnectionSetUser(conn_, 0xCAFE);
    EXPECT_EQ(IpcConnectionGetUser(conn_), 0xCAFEu);
    Close(true);
}

TEST(IpcLinkOpen, FailuresLeaveNothingBehind)
{
    ASSERT_NE(OsaInit(), nullptr);
    uint32_t refs = OsaRefCount();
    char dir[] = "/tmp/velmora-ipc-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("VELMORA_PIPE_DIR", dir, 1);
    const char* names[] = {"\\\\.\\pipe\\nobody", "/nonexistent/dir/sock", "tcp:h:", "tcp:h:0",
                           "tcp:h:65536", "TCP:x", "tcp:127.0.0.1:1", ""};
    for (const char* name : names) {
        IpcConnection* c = nullptr;
        IpcRunWithDeadline(20s, [&] { c = VelmoraIpcConnect(name, RecordingHandler); });
        EXPECT_EQ(c, nullptr) << name;
        EXPECT_EQ(IpcMsgPoolGetStats().users, 0u);
        EXPECT_EQ(OsaRefCount(), refs);
    }
    IpcConnection* noHandler = VelmoraIpcConnect("\\\\.\\pipe\\nobody", nullptr);
    EXPECT_EQ(noHandler, nullptr);
    unsetenv("VELMORA_PIPE_DIR");
    rmdir(dir);
    OsaTerm();
}

}  // namespace
