// The surface receive loop on real loopback sockets: how it ends. (That it
// listens to the surface's address only is checked on the bridge itself.)
#include <chrono>
#include <future>

#include "control/strip_controls_support.h"
#include "platform/stop_signal.h"

namespace {

class SurfaceReceiveLoop : public SurfaceControlTest {
protected:
    UdpSocket bridgeSide;  // the bridge's surface socket
    std::future<int> loop;

    void SetUp() override
    {
        SurfaceControlTest::SetUp();
        ASSERT_TRUE(bridgeSide.open() && bridgeSide.bind(LOOPBACK, 0));
    }

    void TearDown() override
    {
        if (loop.valid()) {
            requestStop();
            bridgeSide.interrupt();
            loop.wait();
        }
        setSurfaceLink(nullptr, UdpEndpoint{});
        SurfaceControlTest::TearDown();
    }

    // The surface is expected on 127.0.0.1; its port is deliberately not the
    // port the datagrams come from.
    void startLoop()
    {
        setSurfaceLink(&bridgeSide, UdpEndpoint{LOOPBACK, 1});
        loop = std::async(std::launch::async, surfaceReceiveLoop);
    }

    void sendMasterFader(UdpSocket& sender, uint8_t high)
    {
        const uint8_t datagram[] = {0xE8, 0x00, high};
        ASSERT_EQ(sender.sendTo(datagram, 3, UdpEndpoint{LOOPBACK, bridgeSide.localPort()}), 3);
    }
};

TEST_F(SurfaceReceiveLoop, EndsOnStopEvenWithoutAWakeUp)
{
    startLoop();
    UdpSocket surface;
    ASSERT_TRUE(surface.open());
    sendMasterFader(surface, 0x40);
    Write seen;
    ASSERT_TRUE(mixer.next(seen));  // the loop is running and waiting again
    requestStop();  // nobody interrupts the socket: the loop's own time-out sees it
    EXPECT_EQ(loop.wait_for(std::chrono::seconds(3)), std::future_status::ready);
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
