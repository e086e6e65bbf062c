#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/reset_state.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "app/surface_heartbeat.h"
#include "surface/output_queue.h"

namespace {

std::vector<std::vector<uint8_t>> drain()
{
    std::vector<std::vector<uint8_t>> out;
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) out.emplace_back(m.data, m.data + m.length);
    return out;
}

class OutputQueue : public ::testing::Test {
protected:
    void SetUp() override { resetAllState(); }
    void TearDown() override { resetAllState(); }
};

struct MeterCase {
    float level;
    int segment;
};
void PrintTo(const MeterCase& c, std::ostream* os) { *os << "level " << c.level << " -> segment " << c.segment; }

class MeterThresholds : public OutputQueue, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(MeterThresholds, SegmentFollowsTheStrictThresholds)
{
    EXPECT_EQ(meterSegment(GetParam().level), GetParam().segment) << GetParam().level;
    queueMeterLevel(3, GetParam().level);
    auto sent = drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0xD0, static_cast<uint8_t>(0x30 + GetParam().segment)}));
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, MeterThresholds,
    ::testing::Values(MeterCase{0.0f, 0}, MeterCase{0.001f, 0}, MeterCase{0.0011f, 1},
                      MeterCase{0.002f, 1}, MeterCase{0.0021f, 2}, MeterCase{0.015f, 2},
                      MeterCase{0.016f, 3}, MeterCase{0.07f, 3}, MeterCase{0.071f, 4},
                      MeterCase{0.25f, 4}, MeterCase{0.2501f, 5}, MeterCase{0.5f, 5},
                      MeterCase{0.5001f, 6}, MeterCase{0.8f, 6}, MeterCase{0.81f, 7},
                      MeterCase{0.99f, 7}, MeterCase{1.0f, 8}, MeterCase{-1.0f, 0}));

TEST_F(OutputQueue, MessageEncodings)
{
    queueFaderPosition(9, 16383);
    queueFaderPosition(1, 12287);
    queueLamp(0x33, 127);
    queueEncoderRing(2, 64, 0);
    queueHeartbeat();
    queueFaderPosition(10, 1);  // no such fader
    queueMeterLevel(8, 1.0f);   // no such strip
    // Out of range values never put a top-bit byte into the data.
    queueFaderPosition(2, 40000);
    queueFaderPosition(3, -7);
    queueLamp(0x40, 200);
    queueEncoderRing(4, 300, -1);
    auto sent = drain();
    const std::vector<std::vector<uint8_t>> expected = {
        {0xE8, 0x7F, 0x7F}, {0xE0, 0x7F, 0x5F}, {0x90, 0x33, 0x7F}, {0xB0, 0x32, 64, 0xB0, 0x3A, 0},
        {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}, {0xE1, 0x7F, 0x7F}, {0xE2, 0x00, 0x00}, {0x90, 0x40, 0x7F},
        {0xB0, 0x34, 0x7F, 0xB0, 0x3C, 0x00}};
    EXPECT_EQ(sent, expected);
}

TEST_F(OutputQueue, PacingWaitsTravelWithTheMessages)
{
    queueFaderPosition(1, 0);
    queueLamp(1, 0);
    const uint8_t raw[2] = {1, 2};
    queueSurfaceBytes(raw, 2, 777);
    SurfaceMessage m;
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    EXPECT_EQ(m.waitMicros, 10);
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    EXPECT_EQ(m.waitMicros, 150);
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    EXPECT_EQ(m.waitMicros, 777);
}

using Bytes = std::vector<uint8_t>;

// Each case: what is handed to the queue before the first drain, what is
// handed over after it, and what the second drain takes out, in order.
struct CoalesceCase {
    const char* what;
    std::function<void()> before;
    std::function<void()> after;
    std::vector<Bytes> expected;
};
void PrintTo(const CoalesceCase& c, std::ostream* os) { *os << c.what; }

class Coalescing : public OutputQueue, public ::testing::WithParamInterface<CoalesceCase> {};

TEST_P(Coalescing, OneWaitingMessagePerTargetWithItsNewestValue)
{
    GetParam().before();
    drain();
    GetParam().after();
    EXPECT_EQ(drain(), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Coalescing,
    ::testing::Values(
        CoalesceCase{"newest value, in the place of the first; order between targets kept", [] {},
                     [] {
                         queueFaderPosition(1, 100);
                         queueLamp(5, 127);
                         queueFaderPosition(1, 200);
                         queueEncoderRing(0, 64, 0);
                         queueLamp(5, 0);
                         queueHeartbeat();
                         queueFaderPosition(2, 7);
                         queueEncoderRing(0, 3, 0);
                     },
                     {{0xE0, 72, 1}, {0x90, 5, 0}, {0xB0, 0x30, 3, 0xB0, 0x38, 0},  // step 200 = 72 + 128
                      {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}, {0xE1, 7, 0}}},
        CoalesceCase{"a value that came back to what was sent goes nowhere",
                     [] {
                         queueFaderPosition(3, 50);
                         queueLamp(9, 127);
                     },
                     [] {
                         queueFaderPosition(3, 60);
                         queueFaderPosition(3, 50);
                         queueLamp(9, 127);
                         queueEncoderRing(4, 0, 0);   // rings start dark
                     },
                     {}},
        CoalesceCase{"a forgotten fader and forgotten lamps go out even when equal",
                     [] {
                         queueFaderPosition(3, 50);
                         queueFaderPosition(4, 50);
                         queueLamp(9, 127);
                     },
                     [] {
                         forgetSentFader(3);
                         queueFaderPosition(3, 50);
                         queueFaderPosition(4, 50);
                         forgetSentLampsAndFaders();
                         queueLamp(9, 127);
                     },
                     {{0xE2, 50, 0}, {0x90, 9, 127}}},
        CoalesceCase{"a mute lamp alone and in the batch end at the newest velocity",
                     [] {
                         const uint8_t lit[5] = {0x90, 0x10, 127, 0x11, 127};
                         queueLampBatch(lit, 5, 150);
                     },
                     [] {
                         const uint8_t dark[5] = {0x90, 0x10, 0, 0x11, 127};
                         queueLampBatch(dark, 5, 150);
                         queueLamp(0x10, 127);   // the waiting batch takes it too
                         queueLamp(0x11, 0);
                     },
                     {{0x90, 0x10, 127, 0x11, 0}, }},
        CoalesceCase{"one meter alone and in the eight end at the newest level", [] {},
                     [] {
                         const float low[8] = {};
                         const float high[8] = {1, 1, 1, 1, 1, 1, 1, 1};
                         queueMeterLevels(low);
                         queueMeterLevel(2, 0.0f);
                         queueMeterLevels(high);
                     },
                     {{0xD0, 0x08, 0xD0, 0x18, 0xD0, 0x28, 0xD0, 0x38, 0xD0, 0x48, 0xD0, 0x58, 0xD0, 0x68,
                       0xD0, 0x78},
                      {0xD0, 0x28}}}),
    [](const ::testing::TestParamInfo<CoalesceCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(OutputQueue, RawMessagesUpToTheLimitKeepTheirBytes)
{
    std::vector<uint8_t> big(SURFACE_MESSAGE_MAX);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    queueSurfaceBytes(big.data(), static_cast<int>(big.size()), 0);
    std::vector<uint8_t> tooBig(SURFACE_MESSAGE_MAX + 1, 1);
    queueSurfaceBytes(tooBig.data(), static_cast<int>(tooBig.size()), 0);
    auto sent = drain();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], big);
}

TEST_F(OutputQueue, FullRawRingDropsUntilOneIsSentAndTargetsStillGetTheirPlace)
{
    const uint8_t filler[3] = {0x7F, 0x00, 0x00};
    for (int i = 0; i < SURFACE_RAW_CAPACITY; ++i) queueSurfaceBytes(filler, 3, 150);
    queueHeartbeat();           // dropped
    queueLamp(0x7F, 0x7F);      // a target has its own place
    SurfaceQueueStats stats = surfaceQueueStats();
    EXPECT_EQ(stats.depth, SURFACE_RAW_CAPACITY + 1);
    EXPECT_EQ(stats.dropped, 1u);
    SurfaceMessage m;
    ASSERT_TRUE(takeQueuedSurfaceMessage(m));
    const uint8_t last[3] = {0x7E, 0x01, 0x02};
    queueSurfaceBytes(last, 3, 150);   // accepted again
    queueSurfaceBytes(last, 3, 150);   // full again: dropped
    EXPECT_EQ(surfaceQueueStats().dropped, 2u);
    auto rest = drain();
    ASSERT_EQ(rest.size(), static_cast<size_t>(SURFACE_RAW_CAPACITY + 1));
    EXPECT_EQ(rest[rest.size() - 2], (std::vector<uint8_t>{0x90, 0x7F, 0x7F}));
    EXPECT_EQ(rest.back(), (std::vector<uint8_t>{0x7E, 0x01, 0x02}));
}

TEST_F(OutputQueue, ConcurrentProducersKeepTheirOwnOrder)
{
    constexpr int producers = 4;
    constexpr int each = SURFACE_RAW_CAPACITY / producers;
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([p] {
            for (int i = 0; i < each; ++i) {
                const uint8_t msg[3] = {static_cast<uint8_t>(p), static_cast<uint8_t>(i & 0x7F),
                                        static_cast<uint8_t>(i >> 7)};
                queueSurfaceBytes(msg, 3, 0);
            }
        });
    }
    for (auto& t : threads) t.join();
    auto sent = drain();
    ASSERT_EQ(sent.size(), static_cast<size_t>(producers * each));
    int next[producers] = {};
    for (const auto& m : sent) {
        int p = m[0];
        int i = m[1] | (m[2] << 7);
        ASSERT_EQ(i, next[p]) << "producer " << p;
        ++next[p];
    }
}

// The sender on a real loopback socket: order, pacing, and a prompt stop.
class SenderOnLoopback : public OutputQueue {
protected:
    void SetUp() override
    {
        OutputQueue::SetUp();
        ASSERT_TRUE(surfaceSide.open());
        ASSERT_TRUE(surfaceSide.bind(0x7F000001, 0));
        ASSERT_TRUE(bridgeSide.open());
        ASSERT_TRUE(bridgeSide.bind(0x7F000001, 0));
        setSurfaceLink(&bridgeSide, UdpEndpoint{0x7F000001, surfaceSide.localPort()});
    }
    void TearDown() override
    {
        requestStop();
        wakeSurfaceSender();
        if (sender.joinable()) sender.join();
        setSurfaceLink(nullptr, UdpEndpoint{});
        OutputQueue::TearDown();
    }
    bool receiveOne(std::vector<uint8_t>& out, int64_t& at)
    {
        uint8_t buffer[2048];
        int length = 0;
        UdpEndpoint from;
        if (surfaceSide.receive(buffer, sizeof buffer, length, from, 2000) != ReceiveStatus::Received)
            return false;
        at = steadyNanoseconds();
        out.assign(buffer, buffer + length);
        return true;
    }
    UdpSocket surfaceSide;
    UdpSocket bridgeSide;
    std::thread sender;
};

TEST_F(SenderOnLoopback, IdleQueueSendsOnTheCallersThreadAndPacesTheNextMessage)
{
    // Wide enough that a loaded machine queues the next four inside it.
    constexpr int waitMicros = 50000;
    const uint8_t first[1] = {1};
    const int64_t started = steadyNanoseconds();
    // No sender thread yet: an idle queue sends at once, on this thread.
    queueSurfaceBytes(first, 1, waitMicros);
    // Inside the first one's pacing the next wait for the sender. Lamps and
    // faders in a row share a datagram; anything else keeps its own place.
    queueLamp(1, 1);
    queueFaderPosition(2, 0x1234);
    queueEncoderRing(0, 5, 6);
    queueLamp(2, 127);
    SurfaceQueueStats stats = surfaceQueueStats();
    EXPECT_EQ(stats.sentDirectly, 1u);
    EXPECT_EQ(stats.depth, 4);
    std::vector<uint8_t> a, b;
    int64_t atA = 0, atB = 0;
    ASSERT_TRUE(receiveOne(a, atA));
    EXPECT_EQ(a, std::vector<uint8_t>{1});
    sender = std::thread(surfaceSenderLoop);
    ASSERT_TRUE(receiveOne(b, atB));
    EXPECT_EQ(b, (std::vector<uint8_t>{0x90, 1, 1, 0xE1, 0x34, 0x24}));  // 0x1234 in 7-bit halves
    // A late receiver only makes the gap look longer.
    EXPECT_GE(atB - started, static_cast<int64_t>(waitMicros) * 1000);
    std::vector<uint8_t> ring, lamp;
    ASSERT_TRUE(receiveOne(ring, atB));
    EXPECT_EQ(ring, (std::vector<uint8_t>{0xB0, 0x30, 5, 0xB0, 0x38, 6}));
    ASSERT_TRUE(receiveOne(lamp, atB));
    EXPECT_EQ(lamp, (std::vector<uint8_t>{0x90, 2, 127}));
}

TEST_F(SenderOnLoopback, ProducersDoNotWaitForThePacing)
{
    const uint8_t slow[1] = {9};
    queueSurfaceBytes(slow, 1, 200000);  // 200 ms pacing after this one
    sender = std::thread(surfaceSenderLoop);
    std::vector<uint8_t> got;
    int64_t at = 0;
    ASSERT_TRUE(receiveOne(got, at));
    int64_t before = steadyNanoseconds();
    queueLamp(1, 1);
    int64_t took = steadyNanoseconds() - before;
    EXPECT_LT(took, 50 * 1000000LL) << "enqueue blocked behind the pacing wait";
    ASSERT_TRUE(receiveOne(got, at));
    EXPECT_EQ(got, (std::vector<uint8_t>{0x90, 1, 1}));
}

TEST_F(SenderOnLoopback, IdleSenderStopsPromptly)
{
    sender = std::thread(surfaceSenderLoop);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int64_t before = steadyNanoseconds();
    requestStop();
    wakeSurfaceSender();
    sender.join();
    EXPECT_LT(steadyNanoseconds() - before, 500 * 1000000LL);
}

TEST_F(SenderOnLoopback, HeartbeatGoesOutAtOnceAndStopsPromptly)
{
    sender = std::thread(surfaceSenderLoop);
    std::thread heartbeat(surfaceHeartbeatLoop);
    std::vector<uint8_t> got;
    int64_t at = 0;
    ASSERT_TRUE(receiveOne(got, at));
    EXPECT_EQ(got, (std::vector<uint8_t>{0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}));
    int64_t before = steadyNanoseconds();
    requestStop();
    heartbeat.join();
    EXPECT_LT(steadyNanoseconds() - before, 500 * 1000000LL);
}

} // namespace
