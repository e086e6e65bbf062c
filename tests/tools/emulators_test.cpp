// What the device emulators must do like the real devices, and the fault
// commands the robustness tests rely on; both as real processes on loopback.
// The rest of their behaviour every end-to-end run goes through.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "support/process.h"
#include "tools/device_probe.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A query answered with the same address within timeoutMs.
bool ask(ProbeSocket& socket, int port, const std::string& address, int timeoutMs = 2000)
{
    OscReply reply;
    return sendBytes(socket, port, oscQuery(address)) && receiveOsc(socket, timeoutMs, reply) &&
           reply.address == address;
}

// The answer to a query after "/xremote" proves the console has seen both.
bool becomeRemote(ProbeSocket& socket, int port)
{
    return sendBytes(socket, port, oscQuery("/xremote")) && ask(socket, port, "/-stat/lock");
}

const Bytes kProbe = {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7};
const Bytes kKeepAlive = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};

struct SurfaceSim {
    ProbeSocket bridge;
    ChildProcess child;
    int port = startSurfaceSim(child, bridge.port);

    // The surface probes from the start until a host sends a keep-alive.
    bool greet()
    {
        Bytes probe;
        return port > 0 && receiveBytes(bridge, 2000, probe) && probe == kProbe && sendBytes(bridge, port, kKeepAlive);
    }

    // Sends the host's bytes, then a marker lamp; once the emulator shows
    // the marker it has applied the bytes, and then shows line or not.
    bool showsAfter(const Bytes& fromHost, const std::string& line)
    {
        static int marker = 0;
        marker = marker % 100 + 1;
        const std::string lamp = "lamp 127 " + std::to_string(marker);
        std::string said;
        return (fromHost.empty() || sendBytes(bridge, port, fromHost)) &&
               sendBytes(bridge, port, {0x90, 0x7F, static_cast<uint8_t>(marker)}) &&
               writeToProcess(child, "expect " + lamp + "\nexpect within 100 " + line + "\n") &&
               waitForLine(child, "expect ok: " + lamp, 3000, said) && waitForLine(child, "expect ", 3000, said) &&
               said == "expect ok: " + line;
    }
};

}  // namespace

TEST(Emulators, HelpPrintsUsageAndSucceeds)
{
    for (const char* program : {"velumbra-console-sim", "velumbra-surface-sim"}) {
        SCOPED_TRACE(program);
        ChildProcess child;
        ASSERT_TRUE(startProcess(child, std::string(VELUMBRA_TOOLS_DIR "/") + program, {"--help"}));
        ASSERT_TRUE(waitForExit(child, 3000));
        ASSERT_TRUE(WIFEXITED(child.exitStatus));
        EXPECT_EQ(WEXITSTATUS(child.exitStatus), 0);
        std::string line;
        EXPECT_TRUE(waitForLine(child, std::string("usage: ") + program, 100, line));
    }
}

// A hand on a fader sends touch, 7-bit pitch bend and release; buttons
// press and release; encoders count relative ticks.
TEST(SurfaceSim, SendsWhatTheHardwareSends)
{
    struct Sent {
        const char* command;
        std::vector<Bytes> datagrams;
    };
    const Sent cases[] = {
        {"press 51", {{0x90, 0x33, 0x7F}, {0x90, 0x33, 0x00}}},
        {"turn 1 3", {{0xB0, 0x10, 0x03}}},
        {"turn 2 -1", {{0xB0, 0x11, 0x41}}},
        // 0.75 x 16383 = 12287: 7F then 5F.
        {"fader 1 0.75", {{0x90, 0x68, 0x7F}, {0xE0, 0x7F, 0x5F}, {0x90, 0x68, 0x00}}},
        {"fader 9 1", {{0x90, 0x70, 0x7F}, {0xE8, 0x7F, 0x7F}, {0x90, 0x70, 0x00}}},
        {"touch 1 1", {{0x90, 0x68, 0x7F}}},
        {"fader 1 0", {{0xE0, 0x00, 0x00}}},  // held: no touch of its own
        {"touch 1 0", {{0x90, 0x68, 0x00}}},
    };
    SurfaceSim sim;
    ASSERT_TRUE(sim.greet());
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
// leave it where the hand holds it, and after the release it stays where
// the hand left it until the host sends a position.
TEST(SurfaceSim, TouchedFaderStaysWhereTheHandLeavesIt)
{
    struct Step {
        const char* command;  // to the emulator, or nullptr
        Bytes fromHost;       // motor position from the bridge, or empty
        const char* shown;
    };
    const Step steps[] = {
        {nullptr, {0xE3, 0x7F, 0x5F}, "fader 4 0.7500"},
        {"touch 4 1", {0xE3, 0x00, 0x00}, "fader 4 0.7500"},
        {"fader 4 0.5", {0xE3, 0x00, 0x00}, "fader 4 0.5000"},
        {"touch 4 0", {}, "fader 4 0.5000"},
        {nullptr, {0xE3, 0x00, 0x00}, "fader 4 0.0000"},
    };
    SurfaceSim sim;
    ASSERT_TRUE(sim.greet());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.shown);
        if (step.command) {
            // Its datagram shows the command has run; the host's bytes go after it.
            ASSERT_TRUE(writeToProcess(sim.child, std::string(step.command) + "\n"));
            Bytes sent;
            ASSERT_TRUE(receiveBytes(sim.bridge, 2000, sent));
            receiveAll(sim.bridge, 20);
        }
        EXPECT_TRUE(sim.showsAfter(step.fromHost, step.shown));
    }
}

// Like the device: probes every 2 s until a keep-alive comes, and after a
// restart (everything dark) at once; reads what the host sends as strictly
// as its MIDI parser does, and counts what it cannot read.
TEST(SurfaceSim, ProbesForAHostAndReadsMidiStrictly)
{
    SurfaceSim sim;
    ASSERT_GT(sim.port, 0);
    Bytes probe;
    ASSERT_TRUE(receiveBytes(sim.bridge, 2000, probe));
    EXPECT_EQ(probe, kProbe);
    auto first = Clock::now();
    ASSERT_TRUE(receiveBytes(sim.bridge, 3000, probe));
    EXPECT_EQ(probe, kProbe);
    EXPECT_GE(msSince(first), 1500) << "one probe about every 2 s";
    ASSERT_TRUE(sendBytes(sim.bridge, sim.port, kKeepAlive));
    EXPECT_TRUE(receiveAll(sim.bridge, 2500).empty()) << "a keep-alive ends the probing";

    struct Case {
        Bytes fromHost;
        const char* shown;  // after it, with the malformed count
        int malformed;
    };
    const Case cases[] = {
        {{0xE2, 0x7F, 0x5F}, "fader 3 0.7500", 0},
        {{0xE2, 0xBE, 0x3F}, "fader 3 0.7500", 2},         // a high data byte cuts E2, then BE 3F
        {{0x90, 0x10, 0x7F, 0x11, 0x7F}, "lamp 17 127", 0},  // running status
        {{0x90, 0x12, 0x7F, 0x13}, "lamp 18 127", 1},        // the last note cut
        {{0x7F, 0x7F, 0x90, 0x14, 0x7F}, "lamp 20 127", 1},  // data without a status
        {{0xF0, 0x00, 0x00, 0x66, 0x58, 0x20, 0x90, 0x15, 0x7F}, "lamp 21 127", 1},
        {{0xF7, 0xB0, 0x30, 0x05, 0x38}, "ring 1 5 0", 2},
    };
    int malformed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        malformed += c.malformed;
        EXPECT_TRUE(sim.showsAfter(c.fromHost, c.shown));
        EXPECT_TRUE(sim.showsAfter({}, "malformed " + std::to_string(malformed)));
    }

    ASSERT_TRUE(writeToProcess(sim.child, "restart\n"));
    ASSERT_TRUE(receiveBytes(sim.bridge, 1000, probe));
    EXPECT_EQ(probe, kProbe);
    EXPECT_TRUE(sim.showsAfter({}, "fader 3 0.0000"));
    EXPECT_TRUE(sim.showsAfter({}, "ring 1 0 0"));
}

// A block about every 50 ms per subscription: a little-endian count, then
// little-endian floats.
TEST(ConsoleSim, StreamsMeterBlocksToSubscribersOnly)
{
    ChildProcess sim;
    int port = startConsoleSim(sim);
    ASSERT_GT(port, 0);
    ProbeSocket subscriber, other;
    ASSERT_TRUE(sendBytes(subscriber, port, oscSubscribe("/meter1", "/meters/1")));
    std::vector<std::vector<float>> blocks;
    for (const Bytes& bytes : receiveAll(subscriber, 700)) {
        OscReply reply;
        ASSERT_TRUE(decodeOsc(bytes, reply));
        ASSERT_EQ(reply.address, "/meter1");
        ASSERT_GE(reply.blob.size(), 4u);
        int32_t count;
        std::memcpy(&count, reply.blob.data(), 4);
        ASSERT_EQ(reply.blob.size(), 4 + 4 * static_cast<size_t>(count));
        std::vector<float> values(static_cast<size_t>(count));
        std::memcpy(values.data(), reply.blob.data() + 4, 4 * values.size());
        for (float value : values) ASSERT_TRUE(value >= 0.0f && value <= 1.0f) << value;
        blocks.push_back(values);
    }
    ASSERT_GE(blocks.size(), 6u);
    EXPECT_LE(blocks.size(), 16u);
    ASSERT_GE(blocks.front().size(), 32u);
    EXPECT_NE(blocks.front(), blocks.back());  // levels move
    EXPECT_FLOAT_EQ(blocks.back()[28], 0.0f);  // channel 29 is muted
    EXPECT_TRUE(receiveAll(other, 100).empty());
}

// Like the desk: four remote clients at most, each forgotten 10 s after
// its last "/xremote".
TEST(ConsoleSim, PushesToAtMostFourRemoteClientsForTenSeconds)
{
    ChildProcess sim;
    int port = startConsoleSim(sim);
    ASSERT_GT(port, 0);
    ProbeSocket clients[5], writer;
    for (ProbeSocket& client : clients) ASSERT_TRUE(becomeRemote(client, port));
    const auto remoteSince = Clock::now();
    ASSERT_TRUE(sendBytes(writer, port, oscWithFloat("/ch/05/mix/fader", 0.25f)));
    for (int n = 0; n < 5; ++n) {
        OscReply pushed;
        EXPECT_EQ(receiveOsc(clients[n], n < 4 ? 2000 : 200, pushed), n < 4) << "client " << n + 1;
        EXPECT_TRUE(n == 4 || (pushed.address == "/ch/05/mix/fader" && pushed.f == 0.25f));
    }
    std::string line;
    EXPECT_TRUE(waitForLine(sim, "client limit: ", 1000, line));
    ASSERT_LT(msSince(remoteSince), 9000);

    std::this_thread::sleep_until(remoteSince + std::chrono::milliseconds(10500));
    ASSERT_TRUE(becomeRemote(clients[4], port));
    ASSERT_TRUE(sendBytes(writer, port, oscWithFloat("/ch/05/mix/fader", 0.5f)));
    OscReply pushed;
    EXPECT_TRUE(receiveOsc(clients[4], 2000, pushed));
    for (int n = 0; n < 4; ++n) EXPECT_FALSE(receiveOsc(clients[n], 100, pushed)) << "client " << n + 1;
}

// Delay, silence and an ignored address, from the command line and on command.
TEST(ConsoleSim, FaultCommandsHoldBackAnswers)
{
    ChildProcess sim;
    int port = startConsoleSim(sim, {"--delay-ms", "300", "--ignore", "/ch/02/mix/fader", "--ignore", "/ch/03/*"});
    ASSERT_GT(port, 0);
    ProbeSocket probe;
    std::string line;
    auto start = Clock::now();
    ASSERT_TRUE(ask(probe, port, "/ch/01/mix/fader"));
    EXPECT_GE(msSince(start), 290);
    ASSERT_TRUE(writeToProcess(sim, "delay 0\n"));
    ASSERT_TRUE(waitForLine(sim, "delay 0 ms", 2000, line));
    start = Clock::now();
    ASSERT_TRUE(ask(probe, port, "/ch/01/mix/fader"));
    EXPECT_LT(msSince(start), 250);

    EXPECT_FALSE(ask(probe, port, "/ch/02/mix/fader", 300));
    EXPECT_TRUE(waitForLine(sim, "ignored query /ch/02/mix/fader", 1000, line));
    EXPECT_FALSE(ask(probe, port, "/ch/03/eq/on", 300));
    EXPECT_TRUE(waitForLine(sim, "ignored query /ch/03/eq/on", 1000, line));
    ASSERT_TRUE(writeToProcess(sim, "ignore none\n"));
    ASSERT_TRUE(waitForLine(sim, "ignoring 0 addresses", 2000, line));
    EXPECT_TRUE(ask(probe, port, "/ch/02/mix/fader"));

    ASSERT_TRUE(writeToProcess(sim, "silent on\n"));
    ASSERT_TRUE(waitForLine(sim, "silent", 2000, line));
    EXPECT_FALSE(ask(probe, port, "/ch/01/mix/fader", 200));
    ASSERT_TRUE(writeToProcess(sim, "silent off\n"));
    ASSERT_TRUE(waitForLine(sim, "answering again", 2000, line));
    EXPECT_TRUE(ask(probe, port, "/ch/01/mix/fader"));

    ASSERT_TRUE(writeToProcess(sim, "silent on 500\n"));
    ASSERT_TRUE(waitForLine(sim, "silent", 2000, line));
    start = Clock::now();
    EXPECT_FALSE(ask(probe, port, "/ch/01/mix/fader", 200));
    EXPECT_TRUE(waitForLine(sim, "answering again", 2000, line));
    EXPECT_GE(msSince(start), 250);
    EXPECT_TRUE(ask(probe, port, "/ch/01/mix/fader"));
}
