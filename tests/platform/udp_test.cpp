// The socket layer on loopback, the same tests on every platform.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
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

UdpEndpoint loopbackEndpoint(const UdpSocket& socket) { return {LOOPBACK, socket.localPort()}; }

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
} // namespace

struct Ipv4Case {
    const char* text;
    bool valid;
    uint32_t address;
};

class ParseIpv4 : public ::testing::TestWithParam<Ipv4Case> {};

TEST_P(ParseIpv4, AcceptsOnlyStrictDottedQuads)
{
    const Ipv4Case& c = GetParam();
    uint32_t address = 0xDEADBEEF;
    EXPECT_EQ(parseIpv4(c.text, address), c.valid) << '"' << c.text << '"';
    // A rejected text leaves the caller's value alone.
    EXPECT_EQ(address, c.valid ? c.address : 0xDEADBEEF) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIpv4,
    ::testing::Values(Ipv4Case{"192.168.0.10", true, 0xC0A8000A},
                      Ipv4Case{"127.0.0.1", true, 0x7F000001},
                      Ipv4Case{"0.0.0.0", true, 0},
                      Ipv4Case{"255.255.255.255", true, 0xFFFFFFFF},
                      Ipv4Case{"010.001.0.9", true, 0x0A010009},
                      Ipv4Case{"", false, 0},
                      Ipv4Case{"1.2.3", false, 0},
                      Ipv4Case{"1.2.3.4.5", false, 0},
                      Ipv4Case{"1.2.3.", false, 0},
                      Ipv4Case{"1..2.3", false, 0},
                      Ipv4Case{".1.2.3", false, 0},
                      Ipv4Case{"256.1.1.1", false, 0},
                      Ipv4Case{"1.2.3.300", false, 0},
                      Ipv4Case{"0001.2.3.4", false, 0},
                      Ipv4Case{"1.2.3.4444", false, 0},
                      Ipv4Case{"99999999999999999999", false, 0},
                      Ipv4Case{" 1.2.3.4", false, 0},
                      Ipv4Case{"x1.2.3.4", false, 0},
                      Ipv4Case{"-1.2.3.4", false, 0},
                      Ipv4Case{"1.2.3.4 ", false, 0},
                      Ipv4Case{"1.2.3.4\n", false, 0},
                      Ipv4Case{"1.2.3.4:10023", false, 0},
                      Ipv4Case{"a.b.c.d", false, 0},
                      Ipv4Case{"1.2.3.+4", false, 0}));

TEST(ParseIpv4Null, RejectsNullText)
{
    uint32_t address = 7;
    EXPECT_FALSE(parseIpv4(nullptr, address));
    EXPECT_EQ(address, 7u);
}

TEST(FormatEndpoint, WritesDottedAddressAndPort)
{
    struct Case {
        UdpEndpoint endpoint;
        const char* text;
    };
    const Case cases[] = {{{0xC0A8000A, 10023}, "192.168.0.10:10023"},
                          {{0, 0}, "0.0.0.0:0"},
                          {{0xFFFFFFFF, 65535}, "255.255.255.255:65535"},
                          {{0x0A000001, 10111}, "10.0.0.1:10111"}};
    for (const Case& c : cases) {
        EXPECT_EQ(formatEndpoint(c.endpoint), c.text);
        uint32_t back = 0;
        std::string ip = formatIpv4(c.endpoint.address);
        ASSERT_TRUE(parseIpv4(ip.c_str(), back)) << ip;
        EXPECT_EQ(back, c.endpoint.address);
    }
}

TEST(UdpSocket, StartsTheSocketLibraryMoreThanOnce)
{
    EXPECT_EQ(startSocketLibrary(), 0);
    EXPECT_EQ(startSocketLibrary(), 0);
}

TEST(UdpSocket, DatagramsCrossLoopbackBothWays)
{
    UdpSocket a, b;
    openOnLoopback(a);
    openOnLoopback(b);
    ASSERT_EQ(sendText(b, "hello", loopbackEndpoint(a)), 5);
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received);
    EXPECT_EQ(got.bytes, "hello");
    EXPECT_EQ(got.from.address, LOOPBACK);
    EXPECT_EQ(got.from.port, b.localPort());

    std::string binary("\x90\x00\x7F\xF0", 4);
    ASSERT_EQ(sendText(a, binary, got.from), 4);
    Received back = receiveText(b);
    ASSERT_EQ(back.status, ReceiveStatus::Received);
    EXPECT_EQ(back.bytes, binary);
    EXPECT_EQ(back.from.port, a.localPort());
}

TEST(UdpSocket, UnboundSocketGetsAPortAtItsFirstSendAndHearsTheReply)
{
    UdpSocket server, client;
    openOnLoopback(server);
    ASSERT_TRUE(client.open());
    EXPECT_EQ(client.localPort(), 0);
    ASSERT_EQ(sendText(client, "/info", loopbackEndpoint(server)), 5);
    EXPECT_NE(client.localPort(), 0);
    Received query = receiveText(server);
    ASSERT_EQ(query.status, ReceiveStatus::Received);
    EXPECT_EQ(query.from.port, client.localPort());
    ASSERT_EQ(sendText(server, "reply", query.from), 5);
    Received reply = receiveText(client);
    ASSERT_EQ(reply.status, ReceiveStatus::Received);
    EXPECT_EQ(reply.bytes, "reply");
}

TEST(UdpSocket, EmptyDatagramIsReceivedWithLengthZero)
{
    UdpSocket a, b;
    openOnLoopback(a);
    openOnLoopback(b);
    ASSERT_EQ(b.sendTo("", 0, loopbackEndpoint(a)), 0);
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received);
    EXPECT_TRUE(got.bytes.empty());
}

TEST(UdpSocket, OversizedDatagramIsCutToTheBufferAndTheNextOneArrivesWhole)
{
    UdpSocket a, b;
    openOnLoopback(a);
    openOnLoopback(b);
    std::string big(300, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(sendText(b, big, loopbackEndpoint(a)), 300);
    ASSERT_EQ(sendText(b, "next", loopbackEndpoint(a)), 4);
    Received cut = receiveText(a, 16);
    ASSERT_EQ(cut.status, ReceiveStatus::Received);
    EXPECT_EQ(cut.bytes, big.substr(0, 16));
    EXPECT_EQ(cut.from.port, b.localPort());
    Received next = receiveText(a, 16);
    ASSERT_EQ(next.status, ReceiveStatus::Received);
    EXPECT_EQ(next.bytes, "next");
}

TEST(UdpSocket, SendToAClosedPortDoesNotBreakTheNextReceive)
{
    UdpSocket a, b, gone;
    openOnLoopback(a);
    openOnLoopback(b);
    openOnLoopback(gone);
    UdpEndpoint nobody = loopbackEndpoint(gone);
    gone.close();
    // The refusal of the closed port comes back to a as an ICMP message.
    ASSERT_EQ(sendText(a, "lost", nobody), 4);
    ASSERT_EQ(sendText(a, "lost", nobody), 4);
    Received quiet = receiveText(a, 64, 50);
    EXPECT_EQ(quiet.status, ReceiveStatus::Interrupted);
    ASSERT_EQ(sendText(b, "still here", loopbackEndpoint(a)), 10);
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received) << UdpSocket::lastErrorText();
    EXPECT_EQ(got.bytes, "still here");
}

TEST(UdpSocket, TimeoutEndsAnIdleReceive)
{
    UdpSocket a;
    openOnLoopback(a);
    Clock::time_point start = Clock::now();
    Received got = receiveText(a, 64, 100);
    long long elapsed = millisecondsSince(start);
    EXPECT_EQ(got.status, ReceiveStatus::Interrupted);
    EXPECT_GE(elapsed, 80);
    EXPECT_LT(elapsed, 2000);
}

TEST(UdpSocket, InterruptWakesAReceiveBlockedWithoutTimeout)
{
    UdpSocket a, b;
    openOnLoopback(a);
    openOnLoopback(b);
    std::promise<void> started;
    std::future<void> startedFuture = started.get_future();
    std::future<Received> result = std::async(std::launch::async, [&] {
        started.set_value();
        return receiveText(a, 64, -1);
    });
    startedFuture.wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Clock::time_point start = Clock::now();
    a.interrupt();
    bool woke = result.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    // Free the thread either way, so a failure does not hang the run.
    if (!woke) sendText(b, "unblock", loopbackEndpoint(a));
    ASSERT_TRUE(woke) << "interrupt() did not wake the receive";
    EXPECT_LT(millisecondsSince(start), 1000);
    EXPECT_EQ(result.get().status, ReceiveStatus::Interrupted);
}

TEST(UdpSocket, InterruptHoldsUntilRearmThenQueuedDatagramsArrive)
{
    UdpSocket a, b;
    openOnLoopback(a);
    openOnLoopback(b);
    a.interrupt();
    ASSERT_EQ(sendText(b, "queued", loopbackEndpoint(a)), 6);
    // Give the datagram time to land, so the interrupt wins over data.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(receiveText(a, 64, -1).status, ReceiveStatus::Interrupted);
    EXPECT_EQ(receiveText(a, 64, -1).status, ReceiveStatus::Interrupted);
    a.rearm();
    Received got = receiveText(a);
    ASSERT_EQ(got.status, ReceiveStatus::Received);
    EXPECT_EQ(got.bytes, "queued");
    EXPECT_EQ(receiveText(a, 64, 30).status, ReceiveStatus::Interrupted);
}

TEST(UdpSocket, ClosedSocketFailsWithoutTouchingTheSystem)
{
    UdpSocket a;
    char buffer[8];
    int length = -7;
    UdpEndpoint from;
    EXPECT_FALSE(a.isOpen());
    EXPECT_EQ(a.receive(buffer, sizeof buffer, length, from, 0), ReceiveStatus::Failed);
    EXPECT_EQ(length, -7);
    EXPECT_EQ(a.sendTo("x", 1, {LOOPBACK, 9}), -1);
    EXPECT_FALSE(a.bind(LOOPBACK, 0));
    EXPECT_EQ(a.localPort(), 0);
    a.interrupt();
    a.rearm();
    openOnLoopback(a);
    a.close();
    EXPECT_FALSE(a.isOpen());
    EXPECT_EQ(a.sendTo("x", 1, {LOOPBACK, 9}), -1);
}

TEST(UdpSocket, BindToAPortInUseFailsWithTheSystemsText)
{
    UdpSocket first, second;
    openOnLoopback(first);
    ASSERT_TRUE(second.open());
    EXPECT_FALSE(second.bind(LOOPBACK, first.localPort()));
    EXPECT_NE(UdpSocket::lastErrorCode(), 0);
    std::string text = UdpSocket::lastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
}

TEST(UdpSocketBuffer, ABurstLargerThanTheDefaultBufferWaitsInTheSocket)
{
    UdpSocket receiver;
    UdpSocket sender;
    ASSERT_TRUE(receiver.open());
    ASSERT_TRUE(receiver.bind(0x7F000001, 0));
    ASSERT_TRUE(sender.open());
    ASSERT_GT(receiver.setReceiveBufferSize(8 * 1024 * 1024), 1024 * 1024);
    // Far more than a default-sized buffer holds, sent before anything is read.
    constexpr int burst = 4000;
    uint8_t datagram[32] = {};
    UdpEndpoint to{0x7F000001, receiver.localPort()};
    for (int i = 0; i < burst; ++i) {
        datagram[0] = static_cast<uint8_t>(i);
        ASSERT_EQ(sender.sendTo(datagram, sizeof datagram, to), static_cast<int>(sizeof datagram));
    }
    int got = 0;
    uint8_t buffer[64];
    int length = 0;
    UdpEndpoint from;
    while (receiver.receive(buffer, sizeof buffer, length, from, 200) == ReceiveStatus::Received) ++got;
    EXPECT_EQ(got, burst);
}
