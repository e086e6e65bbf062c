// The socket layer on loopback, the same tests on every platform. (An
// unbound socket getting its port at the first send is what the bridge's
// console link relies on in every end-to-end test.)
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/udp.h"

namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void openOnLoopback(UdpSocket& socket)
{
    ASSERT_EQ(startSocketLibrary(), 0);
    ASSERT_TRUE(socket.open()) << UdpSocket::lastErrorText();
    ASSERT_TRUE(socket.bind(LOOPBACK, 0)) << UdpSocket::lastErrorText();
    ASSERT_NE(socket.localPort(), 0);
}

UdpEndpoint at(const UdpSocket& socket) { return {LOOPBACK, socket.localPort()}; }

struct Received {
    ReceiveStatus status = ReceiveStatus::Failed;
    std::string bytes;
    UdpEndpoint from;
};

Received receiveText(UdpSocket& socket, int capacity = 256, int timeoutMs = 2000)
{
    std::vector<char> buffer(static_cast<size_t>(capacity));
    Received r;
    int length = -1;
    r.status = socket.receive(buffer.data(), capacity, length, r.from, timeoutMs);
    if (r.status == ReceiveStatus::Received) r.bytes.assign(buffer.data(), static_cast<size_t>(length));
    return r;
}

int sendText(UdpSocket& socket, const std::string& text, const UdpEndpoint& to)
{
    return socket.sendTo(text.data(), static_cast<int>(text.size()), to);
}

// Two sockets bound on loopback.
class UdpPair : public ::testing::Test {
protected:
    void SetUp() override
    {
        openOnLoopback(a);
        openOnLoopback(b);
    }
    UdpSocket a, b;
};

TEST(UdpAddress, ParsesOnlyStrictDottedQuadsAndFormatsEndpoints)
{
    const struct { const char* text; bool valid; uint32_t address; } cases[] = {
        {"192.168.0.10", true, 0xC0A8000A}, {"0.0.0.0", true, 0}, {"255.255.255.255", true, 0xFFFFFFFF},
        {"10.1.0.9", true, 0x0A010009}, {"010.1.0.9", false, 0}, {"10.1.00.9", false, 0}, {"", false, 0}, {nullptr, false, 0}, {"1.2.3", false, 0},
        {"1.2.3.4.5", false, 0}, {"1.2.3.", false, 0}, {"1..2.3", false, 0}, {"256.1.1.1", false, 0},
        {"0001.2.3.4", false, 0}, {"99999999999999999999", false, 0}, {" 1.2.3.4", false, 0},
        {"1.2.3.4 ", false, 0}, {"1.2.3.4:10023", false, 0}, {"-1.2.3.4", false, 0}, {"1.2.3.+4", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t address = 0xDEADBEEF;
        EXPECT_EQ(parseIpv4(c.text, address), c.valid) << (c.text ? c.text : "(null)");
        // A rejected text leaves the caller's value alone.
        EXPECT_EQ(address, c.valid ? c.address : 0xDEADBEEF) << (c.text ? c.text : "(null)");
    }
    EXPECT_EQ(formatEndpoint({0xC0A8000A, 10023}), "192.168.0.10:10023");
    EXPECT_EQ(formatEndpoint({0xFFFFFFFF, 65535}), "255.255.255.255:65535");
}

TEST_F(UdpPair, DatagramsCrossLoopbackBothWaysWholeOrCutToTheBuffer)
{
    ASSERT_EQ(sendText(b, "hello", at(a)), 5);
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received);
    EXPECT_EQ(got.bytes, "hello");
    EXPECT_EQ(got.from.address, LOOPBACK);
    EXPECT_EQ(got.from.port, b.localPort());

    std::string binary("\x90\x00\x7F\xF0", 4);
    ASSERT_EQ(sendText(a, binary, got.from), 4);
    EXPECT_EQ(receiveText(b).bytes, binary);
    // An empty datagram arrives with length zero.
    ASSERT_EQ(b.sendTo("", 0, at(a)), 0);
    got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received);
    EXPECT_TRUE(got.bytes.empty());
    // An oversized one is cut to the buffer; the next one still arrives whole.
    std::string big(300, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(sendText(b, big, at(a)), 300);
    ASSERT_EQ(sendText(b, "next", at(a)), 4);
    EXPECT_EQ(receiveText(a, 16).bytes, big.substr(0, 16));
    EXPECT_EQ(receiveText(a, 16).bytes, "next");
}

TEST_F(UdpPair, SendToAClosedPortDoesNotBreakTheNextReceive)
{
    UdpSocket gone;
    openOnLoopback(gone);
    UdpEndpoint nobody = at(gone);
    gone.close();
    // The refusal of the closed port comes back to a as an ICMP message.
    ASSERT_EQ(sendText(a, "lost", nobody), 4);
    ASSERT_EQ(sendText(a, "lost", nobody), 4);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(receiveText(a, 64, 100).status, ReceiveStatus::Interrupted);  // the timeout ends it
    EXPECT_GE(millisecondsSince(start), 80);
    ASSERT_EQ(sendText(b, "still here", at(a)), 10);
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received) << UdpSocket::lastErrorText();
    EXPECT_EQ(got.bytes, "still here");
}

// Interrupt wakes a receive blocked without timeout and holds until rearm;
// datagrams queued meanwhile arrive after it.
TEST_F(UdpPair, InterruptWakesABlockedReceiveAndHoldsUntilRearm)
{
    std::future<Received> result = std::async(std::launch::async, [&] { return receiveText(a, 64, -1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Clock::time_point start = Clock::now();
    a.interrupt();
    bool woke = result.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    // Free the thread either way, so a failure does not hang the run.
    if (!woke) sendText(b, "unblock", at(a));
    ASSERT_TRUE(woke) << "interrupt() did not wake the receive";
    EXPECT_LT(millisecondsSince(start), 1000);
    EXPECT_EQ(result.get().status, ReceiveStatus::Interrupted);

    ASSERT_EQ(sendText(b, "queued", at(a)), 6);
    // Give the datagram time to land, so the interrupt wins over data.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(receiveText(a, 64, -1).status, ReceiveStatus::Interrupted);
    a.rearm();
    EXPECT_EQ(receiveText(a).bytes, "queued");
    EXPECT_EQ(receiveText(a, 64, 30).status, ReceiveStatus::Interrupted);
}

TEST_F(UdpPair, ClosedSocketFailsWithoutTouchingTheSystemAndBindErrorsAreReported)
{
    UdpSocket c;
    char buffer[8];
    int length = -7;
    UdpEndpoint from;
    EXPECT_EQ(c.receive(buffer, sizeof buffer, length, from, 0), ReceiveStatus::Failed);
    EXPECT_EQ(length, -7);
    EXPECT_EQ(c.sendTo("x", 1, at(a)), -1);
    EXPECT_FALSE(c.bind(LOOPBACK, 0));
    c.interrupt();
    c.rearm();
    ASSERT_TRUE(c.open());
    EXPECT_FALSE(c.bind(LOOPBACK, a.localPort()));  // in use
    EXPECT_NE(UdpSocket::lastErrorCode(), 0);
    std::string text = UdpSocket::lastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    a.close();
    EXPECT_FALSE(a.isOpen());
    EXPECT_EQ(a.sendTo("x", 1, at(b)), -1);
}

TEST_F(UdpPair, ABurstLargerThanTheDefaultBufferWaitsInTheSocket)
{
    UdpSocket& receiver = a;
    UdpSocket& sender = b;
    ASSERT_GT(receiver.setReceiveBufferSize(8 * 1024 * 1024), 1024 * 1024);
    // Far more than a default-sized buffer holds, sent before anything is read.
    constexpr int burst = 4000;
    uint8_t datagram[32] = {};
    for (int i = 0; i < burst; ++i) {
        datagram[0] = static_cast<uint8_t>(i);
        ASSERT_EQ(sender.sendTo(datagram, sizeof datagram, at(receiver)), static_cast<int>(sizeof datagram));
    }
    int got = 0;
    while (receiveText(receiver, 64, 200).status == ReceiveStatus::Received) ++got;
    EXPECT_EQ(got, burst);
}

} // namespace
