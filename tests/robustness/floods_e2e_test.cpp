// Hostile traffic against the real bridge between the two emulators:
// floods of random and malformed datagrams from both devices' addresses, and
// well-formed datagrams from hosts that are not the configured devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <utility>

#include "robustness/bridge_rig.h"
#include "robustness/malformed_traffic.h"

namespace {

using Clock = std::chrono::steady_clock;

// Sends perSecond datagrams a second for durationMs from its own socket on
// 127.0.0.1, then ends by itself.
void runFlood(int port, Bytes (*make)(std::mt19937&), uint32_t seed, int perSecond, int durationMs,
              std::atomic<uint64_t>& sent)
{
    ProbeSocket socket;
    if (socket.port == 0) return;
    std::mt19937 random(seed);
    const int64_t total = int64_t(perSecond) * durationMs / 1000;
    const auto start = Clock::now();
    for (int64_t n = 0; n < total; ++n) {
        auto due = start + std::chrono::microseconds(n * 1000000 / perSecond);
        if (due > Clock::now()) std::this_thread::sleep_until(due);
        if (sendBytes(socket, port, make(random))) ++sent;
    }
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// What the flood must not touch: every surface line but meters, counters
// and the strips the test moves on purpose.
std::vector<std::string> untouchedLines(const std::vector<std::string>& dump, const std::set<int>& moved)
{
    std::vector<std::string> kept;
    for (const std::string& line : dump) {
        if (startsWith(line, "meter ") || startsWith(line, "datagrams ") || startsWith(line, "ignored ") ||
            startsWith(line, "probes ") || startsWith(line, "heartbeats ") || startsWith(line, "sent "))
            continue;
        bool isStrip = startsWith(line, "fader ") || startsWith(line, "display ");
        if (isStrip && moved.count(std::atoi(line.c_str() + line.find(' ') + 1))) continue;
        kept.push_back(line);
    }
    return kept;
}

class Floods : public BridgeRig {
protected:
    // The untouched lines once the surface has caught up with start-up:
    // two dumps in a row that agree.
    std::vector<std::string> settledSurface(const std::set<int>& moved)
    {
        std::vector<std::string> last = untouchedLines(surfaceDumpLines(d), moved);
        auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::vector<std::string> now = untouchedLines(surfaceDumpLines(d), moved);
            if (now == last) break;
            last = now;
        }
        return last;
    }
};

TEST_F(Floods, MalformedFloodsFromBothDevicesChangeNothingLeakNothingAndLetValidMessagesThrough)
{
    ASSERT_TRUE(startRig());
    ASSERT_TRUE(surfaceShows(faderLine(1, 0.75), 3000));
    std::map<std::string, std::string> consoleBefore, consoleAfter;
    ASSERT_TRUE(consoleDump(d, "/", consoleBefore));
    ASSERT_GT(consoleBefore.size(), 1000u);
    const std::set<int> moved = {2, 3, 4};
    const std::vector<std::string> surfaceBefore = settledSurface(moved);
    ASSERT_GT(surfaceBefore.size(), 30u);

    constexpr int RATE = 3000;
    constexpr int DURATION_MS = 5000;
    std::atomic<uint64_t> oscSent{0};
    std::atomic<uint64_t> midiSent{0};
    auto flood = [&] {
        std::jthread oscFlood(runFlood, bridgeMixerPort, malformedOsc, 11u, RATE, DURATION_MS, std::ref(oscSent));
        std::jthread midiFlood(runFlood, d.bridgePort, malformedMidi, 12u, RATE, DURATION_MS,
                               std::ref(midiSent));
        return std::pair<std::jthread, std::jthread>(std::move(oscFlood), std::move(midiFlood));
    };
    // The first flood touches whatever buffers such traffic touches. The
    // second sends the very same datagrams, so growth across it is a leak.
    {
        auto first = flood();
    }
    // Resident memory of the bridge in kB; -1 if unknown.
    auto bridgeRssKb = [&] {
        std::ifstream file("/proc/" + std::to_string(d.bridge.pid) + "/status");
        for (std::string line; std::getline(file, line);)
            if (startsWith(line, "VmRSS:")) return std::atol(line.c_str() + 6);
        return -1L;
    };
    const long rssBefore = bridgeRssKb();
    ASSERT_GT(rssBefore, 0);
    const auto floodStart = Clock::now();
    {
        auto second = flood();
        // Valid messages amid the flood, from both sides.
        ASSERT_TRUE(consoleCommand("set /ch/02/mix/fader 0.8"));
        EXPECT_TRUE(surfaceShows(faderLine(2, 0.8), 3000));
        ProbeSocket consoleHost;
        ASSERT_TRUE(sendBytes(consoleHost, bridgeMixerPort, oscWithFloat("/ch/03/mix/fader", 0.3f)));
        EXPECT_TRUE(surfaceShows(faderLine(3, 0.3), 3000));
        ASSERT_TRUE(surfaceCommand("fader 4 0.6"));
        EXPECT_TRUE(consoleNumberReaches("/ch/04/mix/fader", 0.6, 3000));
    }
    EXPECT_LT(Clock::now() - floodStart, std::chrono::milliseconds(DURATION_MS + 3000));
    const long rssAfter = bridgeRssKb();
    RecordProperty("VmRSSBeforeKb", static_cast<int>(rssBefore));
    RecordProperty("VmRSSAfterKb", static_cast<int>(rssAfter));
    // 15000 datagrams a side: one small allocation kept for each would show.
    // The sanitizers' allocators and shadow memory settle slower (the leak
    // checker covers lost memory there).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr long GROWTH_LIMIT_KB = 2048;
#else
    constexpr long GROWTH_LIMIT_KB = 512;
#endif
    EXPECT_LE(rssAfter - rssBefore, GROWTH_LIMIT_KB) << "VmRSS " << rssBefore << " kB before, " << rssAfter << " kB after";
    constexpr uint64_t PER_DEVICE = uint64_t(RATE) * DURATION_MS / 1000 * 2;
    EXPECT_GE(oscSent.load(), PER_DEVICE * 9 / 10);
    EXPECT_GE(midiSent.load(), PER_DEVICE * 9 / 10);
    ASSERT_FALSE(waitForExit(d.bridge, 0)) << "the bridge ended during the flood";

    // One more valid message each way: once it has arrived, everything the
    // floods sent before it has been handled.
    ProbeSocket consoleHost;
    ASSERT_TRUE(sendBytes(consoleHost, bridgeMixerPort, oscWithFloat("/ch/03/mix/fader", 0.35f)));
    EXPECT_TRUE(surfaceShows(faderLine(3, 0.35), 5000));
    ASSERT_TRUE(surfaceCommand("fader 4 0.65"));
    EXPECT_TRUE(consoleNumberReaches("/ch/04/mix/fader", 0.65, 5000));

    std::vector<std::string> changed;
    ASSERT_TRUE(consoleDump(d, "/", consoleAfter));
    ASSERT_EQ(consoleAfter.size(), consoleBefore.size());
    for (const auto& [address, value] : consoleAfter)
        if (consoleBefore[address] != value) changed.push_back(address);
    EXPECT_EQ(changed, (std::vector<std::string>{"/ch/02/mix/fader", "/ch/04/mix/fader"}));
    for (const std::string& line : surfaceBefore) EXPECT_TRUE(surfaceShows(line, 3000)) << line;
}

// The bridge listens to the configured devices' addresses only; the same
// messages from any other host change nothing.
TEST_F(Floods, DatagramsFromOtherHostsAreIgnoredOnBothSockets)
{
    ASSERT_TRUE(startRig());
    ASSERT_TRUE(surfaceShows(faderLine(5, 0.7), 3000));
    const std::string display5 = "display 5 color 1 inv 0 top \"Ch 5\" bottom \"Tom 2\"";
    ASSERT_TRUE(surfaceShows(display5, 1000));
    const double fader7 = consoleNumber("/ch/07/mix/fader");
    ASSERT_FALSE(std::isnan(fader7));

    auto probesLine = [&] {
        for (const std::string& line : surfaceDumpLines(d))
            if (startsWith(line, "probes ")) return line;
        return std::string("no probes line");
    };
    const std::string probes = probesLine();
    ProbeSocket strangerToMixer(0x7F000002);
    ProbeSocket strangerToSurface(0x7F000003);
    ASSERT_GT(strangerToMixer.port, 0);
    ASSERT_GT(strangerToSurface.port, 0);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(sendBytes(strangerToMixer, bridgeMixerPort, oscWithFloat("/ch/05/mix/fader", 0.1f)));
        ASSERT_TRUE(sendBytes(strangerToMixer, bridgeMixerPort, oscWithString("/ch/05/config/name", "Intrude")));
        ASSERT_TRUE(sendBytes(strangerToSurface, d.bridgePort, surfaceFaderBytes(7, 0.05)));
        ASSERT_TRUE(sendBytes(strangerToSurface, d.bridgePort, {0x90, 0x10, 0x7F}));  // mute 1
        ASSERT_TRUE(sendBytes(strangerToSurface, d.bridgePort, {0xF0, 0x00, 0x20, 0x32, 0x58, 0x54, 0x00, 0xF7}));
    }
    // The same kinds of message from the devices themselves go through, and
    // arrive after the strangers' on the same sockets.
    ProbeSocket consoleHost;
    ASSERT_TRUE(sendBytes(consoleHost, bridgeMixerPort, oscWithFloat("/ch/06/mix/fader", 0.4f)));
    EXPECT_TRUE(surfaceShows(faderLine(6, 0.4), 3000));
    ASSERT_TRUE(surfaceCommand("fader 8 0.5"));
    EXPECT_TRUE(consoleNumberReaches("/ch/08/mix/fader", 0.5, 3000));

    EXPECT_TRUE(surfaceShows(faderLine(5, 0.7), 100));
    EXPECT_TRUE(surfaceShows(display5, 100));
    EXPECT_DOUBLE_EQ(consoleNumber("/ch/07/mix/fader"), fader7);
    EXPECT_EQ(consoleValue("/ch/01/mix/on"), "i 1");
    EXPECT_EQ(probesLine(), probes) << "a stranger's probe is not answered";
}

} // namespace
