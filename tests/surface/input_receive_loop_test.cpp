// The surface receive loop on real loopback sockets: who is listened to,
// and how it ends.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "control/strip_controls_support.h"
#include "platform/stop_signal.h"
#include "support/loopback_source.h"

namespace {

constexpr uint32_t OTHER_LOOPBACK = 0x7F000002;  // 127.0.0.2

class SurfaceReceiveLoop : public SurfaceControlTest {
protected:
    UdpSocket bridgeSide;  // the bridge's surface socket
    std::thread loop;
    std::atomic<bool> loopDone{false};

    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        ASSERT_TRUE(bridgeSide.open());
        ASSERT_TRUE(bridgeSide.bind(LOOPBACK, 0));
    }

    void TearDown() override
    {
        if (loop.joinable()) {
            requestStop();
            bridgeSide.interrupt();
            loop.join();
        }
        setSurfaceLink(nullptr, UdpEndpoint{});
        SurfaceControlTest::TearDown();
    }

    // The surface is expected at address; its port is deliberately not the
    // port the datagrams come from.
    void startLoop(uint32_t surfaceAddress)
    {
        UdpEndpoint surface;
        surface.address = surfaceAddress;
        surface.port = 1;
        setSurfaceLink(&bridgeSide, surface);
        loop = std::thread([this] {
            surfaceReceiveLoop();
            loopDone = true;
        });
    }

    void sendFrom(UdpSocket& sender, std::initializer_list<uint8_t> bytes)
    {
        std::vector<uint8_t> datagram(bytes);
        UdpEndpoint to;
        to.address = LOOPBACK;
        to.port = bridgeSide.localPort();
        ASSERT_EQ(sender.sendTo(datagram.data(), static_cast<int>(datagram.size()), to),
                  static_cast<int>(datagram.size()));
    }

    bool loopEndsWithin(int ms)
    {
        int64_t deadline = steadyMilliseconds() + ms;
        while (!loopDone && steadyMilliseconds() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return loopDone;
    }
};

TEST_F(SurfaceReceiveLoop, ListensOnlyToTheSurfacesAddress)
{
    UdpSocket stranger;
    ASSERT_TRUE(stranger.open());
    if (!stranger.bind(OTHER_LOOPBACK, 0) || !loopbackSourceHolds(OTHER_LOOPBACK)) {
        GTEST_SKIP() << "127.0.0.2 cannot stand for another host here";
    }
    UdpSocket surface;
    ASSERT_TRUE(surface.open());
    ASSERT_TRUE(surface.bind(LOOPBACK, 0));
    startLoop(LOOPBACK);

    sendFrom(stranger, {0xE8, 0x00, 0x10});
    sendFrom(surface, {0xE8, 0x00, 0x40});

    // The stranger's move came first; the console sees only the surface's.
    OscSeen m;
    ASSERT_TRUE(mixer.next(m));
    EXPECT_EQ(m.address, "/main/st/mix/fader");
    EXPECT_FLOAT_EQ(m.f, static_cast<float>(faderPositionOf(0x00, 0x40)));
}

TEST_F(SurfaceReceiveLoop, EndsOnStopWhileWaiting)
{
    startLoop(LOOPBACK);
    UdpSocket surface;
    ASSERT_TRUE(surface.open());
    sendFrom(surface, {0xE8, 0x00, 0x40});
    OscSeen m;
    ASSERT_TRUE(mixer.next(m));  // the loop is running and waiting again

    requestStop();
    bridgeSide.interrupt();
    EXPECT_TRUE(loopEndsWithin(2000));
}

TEST_F(SurfaceReceiveLoop, EndsOnStopEvenWithoutAWakeUp)
{
    startLoop(LOOPBACK);
    requestStop();  // nobody interrupts the socket: the loop's own time-out sees it
    EXPECT_TRUE(loopEndsWithin(3000));
}

TEST_F(SurfaceReceiveLoop, ReturnsAtOnceWhenStopWasAlreadyRequested)
{
    requestStop();
    setSurfaceLink(&bridgeSide, UdpEndpoint{});
    EXPECT_EQ(surfaceReceiveLoop(), 0);
}

TEST_F(SurfaceReceiveLoop, UnusableSocketEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            UdpSocket closed;  // never opened: every receive fails
            setSurfaceLink(&closed, UdpEndpoint{});
            surfaceReceiveLoop();
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
