// End-to-end tests of velumbra-surface-sim as a real process on loopback:
// the test socket plays the bridge.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "support/process.h"
#include "tools/device_probe.h"

namespace {

using Clock = std::chrono::steady_clock;

struct SurfaceSim {
    ProbeSocket bridge;
    ChildProcess child;
    int port = 0;
    explicit SurfaceSim(const std::vector<std::string>& extra = {})
    {
        port = startSurfaceSim(child, bridge.port, extra);
    }
};

// Sends the datagrams, then a marker lamp, and waits until the emulator has
// seen the marker: everything sent before it has been applied.
bool deliver(SurfaceSim& sim, const std::vector<Bytes>& datagrams)
{
    for (const Bytes& bytes : datagrams)
        if (!sendBytes(sim.bridge, sim.port, bytes)) return false;
    static int marker = 0;
    marker = marker % 100 + 1;
    if (!sendBytes(sim.bridge, sim.port, {0x90, 0x7F, static_cast<uint8_t>(marker)})) return false;
    std::string expect = "expect lamp 127 " + std::to_string(marker);
    std::string line;
    return writeToProcess(sim.child, expect + "\n") &&
           waitForLine(sim.child, "expect ok: lamp 127 " + std::to_string(marker), 3000, line);
}

// The dump as lines, from "display 1" to "heartbeats N".
std::vector<std::string> dump(SurfaceSim& sim)
{
    std::vector<std::string> lines;
    std::string line;
    if (!writeToProcess(sim.child, "dump\n") || !waitForLine(sim.child, "display 1 ", 3000, line)) return lines;
    lines.push_back(line);
    while (waitForLine(sim.child, "", 3000, line)) {
        lines.push_back(line);
        if (line.rfind("heartbeats ", 0) == 0) break;
    }
    return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines)
        if (line == wanted) return true;
    return false;
}

Bytes displayMessage(uint8_t position, uint8_t color, const std::string& top, const std::string& bottom)
{
    Bytes bytes = {0xF0, 0x00, 0x00, 0x66, 0x58, static_cast<uint8_t>(0x1F + position), color};
    for (size_t i = 0; i < 7; ++i) bytes.push_back(i < top.size() ? static_cast<uint8_t>(top[i]) : 0);
    for (size_t i = 0; i < 7; ++i) bytes.push_back(i < bottom.size() ? static_cast<uint8_t>(bottom[i]) : 0);
    bytes.push_back(0xF7);
    return bytes;
}

struct Shown {
    std::vector<Bytes> datagrams;
    std::vector<std::string> lines;
};

const Bytes kHeartbeat = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};

}  // namespace

TEST(SurfaceSim, ShowsWhatTheBridgeSends)
{
    const Shown cases[] = {
        {{{0xE0, 0x9D, 0x5F}}, {"fader 1 0.7500"}},
        {{{0xE8, 0x7C, 0x7F}}, {"fader 9 1.0000"}},
        {{{0xE4, 0x00, 0x00}}, {"fader 5 0.0000"}},
        {{{0x90, 0x33, 0x7F}}, {"lamp 51 127"}},
        {{{0x90, 0x73, 0x01}}, {"lamp 115 1"}},
        {{{0x90, 0x10, 0x7F, 0x11, 0x00, 0x12, 0x7F}}, {"lamp 16 127", "lamp 17 0", "lamp 18 127"}},
        {{{0xB0, 0x30, 0x40, 0xB0, 0x38, 0x00}}, {"ring 1 64 0"}},
        {{{0xB0, 0x37, 0x00, 0xB0, 0x3F, 0x60}}, {"ring 8 0 96"}},
        {{{0xD0, 0x38}, {0xD0, 0x75}}, {"meter 4 8", "meter 8 5"}},
        {{displayMessage(1, 0x01, "Ch 1", "Kick")}, {"display 1 color 1 inv 0 top \"Ch 1\" bottom \"Kick\""}},
        {{displayMessage(8, 0x43, "Bus 16", "Mon \"A\"")},
         {"display 8 color 3 inv 1 top \"Bus 16\" bottom \"Mon \\\"A\\\"\""}},
        {{displayMessage(4, 0x06, " ", "")}, {"display 4 color 6 inv 0 top \" \" bottom \"\""}},
        {{kHeartbeat, kHeartbeat}, {"heartbeats 2"}},
    };
    for (const Shown& shown : cases) {
        SurfaceSim sim;
        ASSERT_GT(sim.port, 0);
        ASSERT_TRUE(deliver(sim, shown.datagrams));
        std::vector<std::string> lines = dump(sim);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("heartbeats ", 0), 0u);
        for (const std::string& wanted : shown.lines) EXPECT_TRUE(contains(lines, wanted)) << wanted;
        EXPECT_TRUE(contains(lines, "ignored 0"));
    }
}

TEST(SurfaceSim, DumpListsEveryPartInAStableOrder)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    ASSERT_TRUE(deliver(sim, {}));
    std::vector<std::string> lines = dump(sim);
    ASSERT_EQ(lines.size(), 8u + 9u + 8u + 8u + 1u + 3u);  // the marker is the one lamp
    EXPECT_EQ(lines[0], "display 1 color 0 inv 0 top \"\" bottom \"\"");
    EXPECT_EQ(lines[8], "fader 1 0.0000");
    EXPECT_EQ(lines[17], "ring 1 0 0");
    EXPECT_EQ(lines[25], "meter 1 0");
    EXPECT_EQ(lines[33].rfind("lamp 127 ", 0), 0u);
    EXPECT_EQ(lines[34], "datagrams 1");
    EXPECT_EQ(lines[35], "ignored 0");
    EXPECT_EQ(lines[36], "heartbeats 0");
}

TEST(SurfaceSim, IgnoresMalformedMessagesWithoutChangingState)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    const std::vector<Bytes> bad = {
        {0xE0, 0x9D},                                 // cut short
        {0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x01},   // no end of exclusive
        {0x33, 0x7F},                                 // data without status
        {0xF0, 0x00, 0x00, 0x66, 0x58, 0x28, 0x01, 0xF7},  // not a display
        {0x91, 0x10, 0x7F},                           // lamp on another channel
        {0xB0, 0x10, 0x01},                           // not a ring
        {0xD0, 0x7F},                                 // meter segment above 8
        {0xE9, 0x10, 0x10},                           // a tenth fader
    };
    ASSERT_TRUE(deliver(sim, bad));
    std::vector<std::string> lines = dump(sim);
    EXPECT_TRUE(contains(lines, "ignored 8"));
    EXPECT_TRUE(contains(lines, "fader 1 0.0000"));
    EXPECT_TRUE(contains(lines, "display 1 color 0 inv 0 top \"\" bottom \"\""));
    EXPECT_FALSE(contains(lines, "lamp 16 127"));
    EXPECT_TRUE(contains(lines, "ring 1 0 0"));
    EXPECT_TRUE(contains(lines, "meter 8 0"));
}

TEST(SurfaceSim, ScriptedCommandsSendTheExactBytes)
{
    struct Sent {
        const char* command;
        std::vector<Bytes> datagrams;
    };
    const Sent cases[] = {
        {"press 51", {{0x90, 0x33, 0x7F}, {0x90, 0x33, 0x00}}},
        {"down 24", {{0x90, 0x18, 0x7F}}},
        {"up 24", {{0x90, 0x18, 0x00}}},
        {"turn 1 3", {{0xB0, 0x10, 0x03}}},
        {"turn 8 65", {{0xB0, 0x17, 0x41}}},
        {"turn 2 -1", {{0xB0, 0x11, 0x41}}},
        {"turn 3 +64", {{0xB0, 0x12, 0x40}}},
        // A hand move: touch, 7-bit pitch bend (0.75 x 16383 = 12287), release.
        {"fader 1 0.75", {{0x90, 0x68, 0x7F}, {0xE0, 0x7F, 0x5F}, {0x90, 0x68, 0x00}}},
        {"fader 2 0.5", {{0x90, 0x69, 0x7F}, {0xE1, 0x00, 0x40}, {0x90, 0x69, 0x00}}},
        {"fader 9 1", {{0x90, 0x70, 0x7F}, {0xE8, 0x7F, 0x7F}, {0x90, 0x70, 0x00}}},
        {"touch 1 1", {{0x90, 0x68, 0x7F}}},
        {"fader 1 0", {{0xE0, 0x00, 0x00}}},  // held: no touch of its own
        {"touch 1 0", {{0x90, 0x68, 0x00}}},
        {"raw 90 33 7F 10 00", {{0x90, 0x33, 0x7F, 0x10, 0x00}}},
        {"raw F000006614 00F7", {{0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7}}},
    };
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    for (const Sent& sent : cases) {
        SCOPED_TRACE(sent.command);
        ASSERT_TRUE(writeToProcess(sim.child, std::string(sent.command) + "\n"));
        for (const Bytes& wanted : sent.datagrams) {
            Bytes got;
            ASSERT_TRUE(receiveBytes(sim.bridge, 2000, got));
            EXPECT_EQ(got, wanted);
        }
    }
}

// A touched fader does not fight the hand: motor positions from the host
// leave it where the hand holds it, and after the release it stays where the
// hand left it until the host sends a position.
TEST(SurfaceSim, TouchedFaderStaysWhereTheHandLeavesIt)
{
    struct Step {
        const char* command;  // to the emulator, or nullptr
        Bytes fromHost;       // motor position from the bridge, or empty
        const char* shown;
    };
    const Step steps[] = {
        {nullptr, {0xE3, 0x9D, 0x5F}, "fader 4 0.7500"},
        {"fader 4 0.25", {}, "fader 4 0.2500"},
        {"touch 4 1", {0xE3, 0x9D, 0x5F}, "fader 4 0.2500"},
        {"fader 4 0.5", {0xE3, 0x00, 0x00}, "fader 4 0.5000"},
        {"touch 4 0", {}, "fader 4 0.5000"},
        {nullptr, {0xE3, 0x9D, 0x5F}, "fader 4 0.7500"},
        {"fader 4 0.0001", {}, "fader 4 0.0001"},  // the nearest 7-bit position: 2 / 16383
    };
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.shown);
        if (step.command) {
            // Its first datagram shows the command has run; the host's bytes go after it.
            ASSERT_TRUE(writeToProcess(sim.child, std::string(step.command) + "\n"));
            Bytes sent;
            ASSERT_TRUE(receiveBytes(sim.bridge, 2000, sent));
            receiveAll(sim.bridge, 20);
        }
        std::vector<Bytes> datagrams;
        if (!step.fromHost.empty()) datagrams.push_back(step.fromHost);
        ASSERT_TRUE(deliver(sim, datagrams));
        EXPECT_TRUE(contains(dump(sim), step.shown));
    }
}

TEST(SurfaceSim, RejectsBadCommandsAndSendsNothingForThem)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    const char* const bad[] = {"turn 0 1", "turn 9 1", "turn 1 128", "fader 10 0.5", "fader 1 1.5",
                               "fader 1 x", "press 128", "press", "raw 9", "raw zz", "touch 1 2", "bogus 1"};
    for (const char* command : bad) ASSERT_TRUE(writeToProcess(sim.child, std::string(command) + "\n"));
    ASSERT_TRUE(writeToProcess(sim.child, "down 1\n"));
    Bytes got;
    ASSERT_TRUE(receiveBytes(sim.bridge, 2000, got));
    EXPECT_EQ(got, (Bytes{0x90, 0x01, 0x7F}));
    std::string line;
    for (const char* command : bad) EXPECT_TRUE(waitForLine(sim.child, "error: ", 1000, line)) << command;
}

TEST(SurfaceSim, WaitHoldsTheCommandsAfterIt)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    auto start = Clock::now();
    ASSERT_TRUE(writeToProcess(sim.child, "wait 300\npress 1\n"));
    Bytes got;
    ASSERT_TRUE(receiveBytes(sim.bridge, 3000, got));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, 290);
    EXPECT_EQ(got, (Bytes{0x90, 0x01, 0x7F}));
}

TEST(SurfaceSim, ExpectWaitsForTheStateAndSetsTheExitCode)
{
    struct Case {
        std::vector<Bytes> datagrams;
        const char* expect;
        int exitCode;
    };
    const Case cases[] = {
        {{{0x90, 0x05, 0x7F}}, "expect lamp 5 127", 0},
        {{}, "expect lamp 5 0", 0},  // a lamp never lit is off
        {{{0x90, 0x05, 0x01}}, "expect within 200 lamp 5 127", 1},
        {{{0xE8, 0x9D, 0x5F}}, "expect fader 9 0.7500", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expect);
        SurfaceSim sim({"--exit-on-eof"});
        ASSERT_GT(sim.port, 0);
        for (const Bytes& bytes : c.datagrams) ASSERT_TRUE(sendBytes(sim.bridge, sim.port, bytes));
        ASSERT_TRUE(writeToProcess(sim.child, std::string(c.expect) + "\n"));
        closeProcessInput(sim.child);
        ASSERT_TRUE(waitForExit(sim.child, 3000));
        ASSERT_TRUE(WIFEXITED(sim.child.exitStatus));
        EXPECT_EQ(WEXITSTATUS(sim.child.exitStatus), c.exitCode);
        std::string line;
        EXPECT_TRUE(waitForLine(sim.child, c.exitCode == 0 ? "expect ok: " : "expect failed: ", 100, line));
    }
}

TEST(SurfaceSim, ExpectLaterSatisfiedHoldsUntilTheDatagramArrives)
{
    SurfaceSim sim({"--exit-on-eof"});
    ASSERT_GT(sim.port, 0);
    ASSERT_TRUE(writeToProcess(sim.child, "expect within 3000 ring 2 3 0\npress 7\n"));
    usleep(150 * 1000);
    Bytes got;
    EXPECT_FALSE(receiveBytes(sim.bridge, 50, got));  // the press waits behind the expect
    ASSERT_TRUE(sendBytes(sim.bridge, sim.port, {0xB0, 0x31, 0x03}));
    ASSERT_TRUE(receiveBytes(sim.bridge, 2000, got));
    EXPECT_EQ(got, (Bytes{0x90, 0x07, 0x7F}));
}

TEST(SurfaceSim, KeepsRunningIdleAfterInputEndsWithoutExitOnEof)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    closeProcessInput(sim.child);
    long before = processCpuTicks(sim.child.pid);
    EXPECT_FALSE(waitForExit(sim.child, 500));
    long after = processCpuTicks(sim.child.pid);
    ASSERT_GE(before, 0);
    EXPECT_LT(after - before, 10);
}

class SurfaceSimSignal : public ::testing::TestWithParam<int> {};

TEST_P(SurfaceSimSignal, StopsPromptlyAndCleanly)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    auto start = Clock::now();
    kill(sim.child.pid, GetParam());
    ASSERT_TRUE(waitForExit(sim.child, 1000 * SANITIZER_SLOWDOWN));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              1000 * SANITIZER_SLOWDOWN);
    ASSERT_TRUE(WIFEXITED(sim.child.exitStatus));
    EXPECT_EQ(WEXITSTATUS(sim.child.exitStatus), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, SurfaceSimSignal, ::testing::Values(SIGINT, SIGTERM));
