// The surface receive loop on real loopback sockets: how it ends. (That it
// listens to the surface's address only is checked on the bridge itself.)
#include <chrono>
#include <future>

#include "control/strip_controls_support.h"
#include "platform/local_addresses.h"
#include "platform/stop_signal.h"
#include "surface/self_loop.h"

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

// With the surface address set to this machine, what the bridge sends would
// come back to it; a datagram from its own socket is never surface input.
TEST_F(SurfaceReceiveLoop, IgnoresDatagramsFromItsOwnSocket)
{
    startLoop();
    sendMasterFader(bridgeSide, 0x10);  // to itself, as a looped-back motor fader
    UdpSocket surface;
    ASSERT_TRUE(surface.open());
    sendMasterFader(surface, 0x40);
    Write seen;
    ASSERT_TRUE(mixer.next(seen));
    EXPECT_EQ(seen, (Write{"/main/st/mix/fader", 'f', 8192 / 16383.0}));
}

// Loopback and every interface address count as this machine's own.
TEST(SelfLoop, OwnAddressesAndTheLoopingConfiguration)
{
    resetSelfLoopState();
    loadOwnAddresses();
    uint32_t interfaces[16];
    const int count = localIpv4Addresses(interfaces, 16);
    for (int i = 0; i < count; ++i) EXPECT_TRUE(isOwnAddress(interfaces[i])) << formatIpv4(interfaces[i]);
    const struct { uint32_t address; uint16_t port; bool loops; } cases[] = {
        {0x7F000001, 10111, true}, {0x7F0000FE, 10111, true}, {0x7F000001, 10112, false},
        {0xC0000201, 10111, false},  // 192.0.2.1, a documentation address
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(formatIpv4(c.address) + ":" + std::to_string(c.port));
        EXPECT_EQ(surfaceLoopsBack(UdpEndpoint{c.address, c.port}, 10111), c.loops);
        EXPECT_EQ(isOwnSurfaceDatagram(UdpEndpoint{c.address, c.port}, 10111), c.loops);
    }
    if (count > 0) {
        EXPECT_TRUE(surfaceLoopsBack(UdpEndpoint{interfaces[count - 1], 10111}, 10111));
    }
    resetSelfLoopState();
}

TEST_F(SurfaceReceiveLoop, EndsPromptlyWhenTheStopWakesItsSocket)
{
    startLoop();
    UdpSocket surface;
    ASSERT_TRUE(surface.open());
    sendMasterFader(surface, 0x40);
    Write seen;
    ASSERT_TRUE(mixer.next(seen));  // the loop is running
    // With no editor followed the receive has no time-out; the bridge's stop
    // waker interrupts the socket.
    requestStop();
    bridgeSide.interrupt();
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
