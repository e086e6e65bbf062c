// Many changes pushed at once to a synchronised bridge, meters flowing, and
// what the surface shows afterwards against what the console emulator holds
// (asked over OSC, value by value): the nine motor faders, the eight mute and
// solo lamps and the eight pan rings of the bank shown.
//
// 1. A scene recall: the emulator pushes 2,000 random changes ("scene 2000").
// 2. An on/fader burst: 2,000 "/ch/NN/mix/on" and "/ch/NN/mix/fader" changes
//    (channels 1-32, random values), sent as fast as the benchmark can to the
//    bridge as if the console pushed them, and the same datagrams to the
//    minimal C relay in turn. The emulator is given the same values first,
//    with its pushes held back. Measured: how long after the last change the
//    surface goes quiet, against how long the relay takes to pass the last
//    datagram on.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include "display/encoder_rings.h"
#include "model/fader_scale.h"
#include "platform/clock.h"
#include "support/bench_support.h"
#include "surface_sim/surface_state.h"

namespace {

constexpr int CHANGES = 2000;
constexpr int QUIET_MS = 300;
constexpr int MAX_SETTLE_MS = 30000;
constexpr int BURST_ROUNDS = 9;

// Meters and heartbeats change nothing the comparison looks at.
bool shapesTheSurface(const Datagram& d)
{
    if (d.bytes.empty() || d.bytes[0] == 0xD0) return false;
    static const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    return !(d.bytes.size() == 7 && std::memcmp(d.bytes.data(), heartbeat, 7) == 0);
}

// Waits until nothing arrived at peer for quietMs; returns the time of the
// last datagram (0 when none).
int64_t waitForQuiet(LoopbackPeer& peer, int quietMs)
{
    int64_t deadline = steadyNanoseconds() + int64_t(MAX_SETTLE_MS) * 1000000;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        int64_t now = steadyNanoseconds();
        int64_t last = 0;
        {
            std::lock_guard<std::mutex> lock(peer.mutex);
            if (!peer.log.empty()) last = peer.log.back().atNs;
        }
        if (now >= deadline || now - last >= int64_t(quietMs) * 1000000) return last;
    }
}

// What the surface must show, from the emulator's values.
struct Expected {
    int fader[9];
    int muteLamp[8];
    int soloLamp[8];
    int ring[8][2];
};

// The motor-fader value the bridge sends for a level.
int motorValue(double level) { return faderStepOf(level); }

bool askConsole(LoopbackPeer& desk, uint16_t port, const std::string& address, double& value)
{
    takeLog(desk);
    std::vector<uint8_t> query = oscMessage(address);
    sendFromPeer(desk, query.data(), static_cast<int>(query.size()), port);
    int64_t deadline = steadyNanoseconds() + 1000000000LL;
    while (steadyNanoseconds() < deadline) {
        waitForLogged(desk, 1, 100);
        for (const Datagram& d : takeLog(desk))
            if (oscNumberOf(d.bytes, address.c_str(), value)) return true;
    }
    return false;
}

bool consoleHolds(LoopbackPeer& desk, uint16_t port, Expected& e)
{
    for (int i = 0; i < 8; ++i) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "/ch/%02d", i + 1);
        double fader, on, pan, solo;
        if (!askConsole(desk, port, std::string(prefix) + "/mix/fader", fader) ||
            !askConsole(desk, port, std::string(prefix) + "/mix/on", on) ||
            !askConsole(desk, port, std::string(prefix) + "/mix/pan", pan) ||
            !askConsole(desk, port, "/-stat/solosw/" + std::string(prefix + 4), solo))
            return false;
        e.fader[i] = motorValue(fader);
        e.muteLamp[i] = on == 0 ? 127 : 0;
        e.soloLamp[i] = solo != 0 ? 127 : 0;
        const int* pair = ringDotPattern[ringPatternIndex(pan)];
        e.ring[i][0] = pair[0];
        e.ring[i][1] = pair[1];
    }
    double master;
    if (!askConsole(desk, port, "/main/st/mix/fader", master)) return false;
    e.fader[8] = motorValue(master);
    return true;
}

// "" when the surface shows what the console holds, else what differs.
std::string differences(const SurfaceState& s, const Expected& e)
{
    int faders = 0, mutes = 0, solos = 0, rings = 0;
    for (int f = 0; f < 9; ++f) faders += s.faderValue[f] != e.fader[f];
    for (int i = 0; i < 8; ++i) {
        mutes += s.lamp[0x10 + i] != e.muteLamp[i];
        solos += s.lamp[0x08 + i] != e.soloLamp[i];
        rings += s.ringFirst[i] != e.ring[i][0] || s.ringSecond[i] != e.ring[i][1];
    }
    if (faders + mutes + solos + rings == 0) return "";
    char text[160];
    std::snprintf(text, sizeof text, "%d faders, %d mute lamps, %d solo lamps, %d rings differ", faders, mutes, solos,
                  rings);
    return text;
}

// The bridge's bank must be channels 1-8 for the comparison to mean anything.
bool showsChannelsOneToEight(const SurfaceState& s)
{
    for (int i = 0; i < 8; ++i) {
        char label[8] = {};
        std::snprintf(label, sizeof label, "Ch %d", i + 1);
        if (std::strncmp(s.displays[i].top, label, 7) != 0) return false;
    }
    return true;
}

// Everything the surface got so far, replayed in order.
struct Watched {
    std::vector<Datagram> all;
    void take(LoopbackPeer& peer)
    {
        for (Datagram& d : takeLog(peer)) all.push_back(std::move(d));
    }
    SurfaceState replay() const
    {
        resetSurfaceState();
        for (const Datagram& d : all) applySurfaceDatagram(d.bytes.data(), d.bytes.size());
        return surface;
    }
};

bool sameShown(const SurfaceState& a, const SurfaceState& b)
{
    for (int i = 0; i < 8; ++i) {
        const StripDisplayState& x = a.displays[i];
        const StripDisplayState& y = b.displays[i];
        if (x.colorByte != y.colorByte || std::memcmp(x.top, y.top, 7) != 0 || std::memcmp(x.bottom, y.bottom, 7) != 0 ||
            a.ringFirst[i] != b.ringFirst[i] || a.ringSecond[i] != b.ringSecond[i])
            return false;
    }
    return std::memcmp(a.faderValue, b.faderValue, sizeof a.faderValue) == 0 &&
           std::memcmp(a.lamp, b.lamp, sizeof a.lamp) == 0;
}

// The time of the last datagram from index from on that changed what the
// surface shows; 0 when none did.
int64_t lastChangeAt(const Watched& watched, size_t from)
{
    resetSurfaceState();
    int64_t at = 0;
    for (size_t k = 0; k < watched.all.size(); ++k) {
        SurfaceState before = surface;
        applySurfaceDatagram(watched.all[k].bytes.data(), watched.all[k].bytes.size());
        if (k >= from && !sameShown(before, surface)) at = watched.all[k].atNs;
    }
    return at;
}

struct Rig {
    BridgeRig bridge;
    LoopbackPeer desk;      // asks and tells the emulator, as another client would
    uint16_t consolePort = 0;
    Watched watched;
};

bool startScene(Rig& rig, int seed)
{
    rig.bridge.consoleExtra = {"--seed", std::to_string(seed)};
    rig.bridge.surface.filter = shapesTheSurface;
    if (!startRig(rig.bridge) || !openPeer(rig.desk)) return false;
    startPeer(rig.desk);
    rig.consolePort = rig.bridge.relay.consolePort;
    waitForQuiet(rig.bridge.surface, 1000);
    rig.watched.take(rig.bridge.surface);
    return showsChannelsOneToEight(rig.watched.replay());
}

void stopScene(Rig& rig)
{
    stopPeer(rig.desk);
    stopRig(rig.bridge);
}

void runSceneRecall(int seed)
{
    Rig rig;
    if (!startScene(rig, seed)) {
        std::printf("  scene, seed %d: the run could not be set up\n", seed);
        return;
    }
    const size_t before = rig.watched.all.size();
    std::string line;
    if (!writeToProcess(rig.bridge.console, "scene " + std::to_string(CHANGES) + "\n") ||
        !waitForLine(rig.bridge.console, "scene: ", 5000, line)) {
        std::printf("  scene, seed %d: the emulator did not recall the scene\n", seed);
        stopScene(rig);
        return;
    }
    const int64_t doneAt = steadyNanoseconds();
    // The last push leaves the emulator before its "scene:" line.
    waitForQuiet(rig.bridge.surface, QUIET_MS);
    rig.watched.take(rig.bridge.surface);
    Expected expected{};
    const bool asked = consoleHolds(rig.desk, rig.consolePort, expected);
    const SurfaceState shown = rig.watched.replay();
    std::string mismatch = asked ? differences(shown, expected) : "the emulator did not answer";
    // The moment after which the surface stayed as the console holds it.
    double consistentAfterMs = -1;
    if (mismatch.empty()) {
        int64_t at = doneAt;
        resetSurfaceState();
        for (size_t k = 0; k < rig.watched.all.size(); ++k) {
            const Datagram& d = rig.watched.all[k];
            applySurfaceDatagram(d.bytes.data(), d.bytes.size());
            if (k + 1 >= before && !differences(surface, expected).empty() && k + 1 < rig.watched.all.size())
                at = rig.watched.all[k + 1].atNs;
        }
        consistentAfterMs = std::max(0.0, static_cast<double>(at - doneAt) / 1e6);
    }
    BridgeQueueStatus queue = readBridgeQueueStatus(rig.bridge.bridge);
    std::printf("  scene, seed %d: %zu surface datagrams; ", seed, rig.watched.all.size() - before);
    if (mismatch.empty())
        std::printf("surface as the console holds it %.1f ms after the emulator reported its last push", consistentAfterMs);
    else
        std::printf("surface NOT as the console holds it: %s", mismatch.c_str());
    std::printf("; queue high-water %d, dropped %llu\n", queue.highWater, queue.dropped);
    stopScene(rig);
}

struct Burst {
    std::vector<std::vector<uint8_t>> datagrams;
};

Burst makeBurst(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(1, 32);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    Burst burst;
    for (int k = 0; k < CHANGES; ++k) {
        char address[24];
        std::snprintf(address, sizeof address, "/ch/%02d/mix/%s", channel(random), k % 2 ? "fader" : "on");
        burst.datagrams.push_back(k % 2 ? oscFloatMessage(address, level(random))
                                        : oscIntMessage(address, static_cast<int32_t>(random() % 2)));
    }
    return burst;
}

// Sends every datagram as fast as it goes; returns when the last left.
int64_t sendBurst(const Burst& burst, const std::function<void(const std::vector<uint8_t>&)>& send)
{
    for (const auto& d : burst.datagrams) send(d);
    return steadyNanoseconds();
}

void runBursts()
{
    Rig rig;
    LoopbackPeer sink;
    ChildProcess relay;
    int relayPort = 0;
    if (!startScene(rig, 1) || !openPeer(sink) || sink.socket.setReceiveBufferSize(8 * 1024 * 1024) <= 0 ||
        (startPeer(sink), relayPort = startMinimalRelay(relay, sink.port)) == 0) {
        std::printf("  burst: the run could not be set up\n");
        stopProcess(relay, 1000);
        stopPeer(sink);
        stopScene(rig);
        return;
    }
    std::vector<double> relayMs, bridgeMs;
    int unequal = 0;
    for (int round = 0; round < BURST_ROUNDS; ++round) {
        Burst burst = makeBurst(100u + static_cast<unsigned>(round));
        // The emulator first, its pushes to the bridge held back; a few at a
        // time so that none is lost in its socket.
        rig.bridge.relay.holdConsole = true;
        for (size_t k = 0; k < burst.datagrams.size(); ++k) {
            const auto& d = burst.datagrams[k];
            sendFromPeer(rig.desk, d.data(), static_cast<int>(d.size()), rig.consolePort);
            if (k % 50 == 49) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        double ignored;
        askConsole(rig.desk, rig.consolePort, "/ch/01/mix/fader", ignored);   // all taken in
        rig.bridge.relay.holdConsole = false;
        waitForQuiet(rig.bridge.surface, QUIET_MS);
        rig.watched.take(rig.bridge.surface);

        // The relay.
        takeLog(sink);
        int64_t lastSent = sendBurst(burst, [&](const std::vector<uint8_t>& d) {
            sendFromPeer(rig.desk, d.data(), static_cast<int>(d.size()), static_cast<uint16_t>(relayPort));
        });
        waitForLogged(sink, burst.datagrams.size(), 5000);
        int64_t lastOut = waitForQuiet(sink, QUIET_MS);
        size_t relayed = takeLog(sink).size();
        relayMs.push_back(static_cast<double>(std::max<int64_t>(lastOut - lastSent, 0)) / 1e6);

        // The bridge, the same datagrams as the console's pushes.
        lastSent = sendBurst(burst, [&](const std::vector<uint8_t>& d) { injectToBridge(rig.bridge.relay, d); });
        waitForQuiet(rig.bridge.surface, QUIET_MS);
        size_t before = rig.watched.all.size();
        rig.watched.take(rig.bridge.surface);
        // Quiet from the last datagram that changed what the surface shows
        // (the heartbeat's repaint may fall into the window; it repeats).
        lastOut = lastChangeAt(rig.watched, before);
        bridgeMs.push_back(static_cast<double>(std::max<int64_t>(lastOut - lastSent, 0)) / 1e6);
        Expected expected{};
        std::string mismatch = consoleHolds(rig.desk, rig.consolePort, expected)
                                   ? differences(rig.watched.replay(), expected)
                                   : "the emulator did not answer";
        unequal += !mismatch.empty();
        std::printf("  burst %d: relay passed %zu of %d on, the last %.2f ms after the last change; bridge: %zu "
                    "surface datagrams, quiet %.2f ms after it; %s\n",
                    round + 1, relayed, CHANGES, relayMs.back(), rig.watched.all.size() - before, bridgeMs.back(),
                    mismatch.empty() ? "surface as the console holds it" : ("NOT as the console: " + mismatch).c_str());
    }
    BridgeQueueStatus queue = readBridgeQueueStatus(rig.bridge.bridge);
    SampleStats relayStats = summarize(relayMs);
    SampleStats bridgeStats = summarize(bridgeMs);
    std::printf("  burst medians: relay %.2f ms, bridge %.2f ms (%.2fx); queue high-water %d, dropped %llu\n",
                relayStats.median, bridgeStats.median, bridgeStats.median / relayStats.median, queue.highWater,
                queue.dropped);
    char detail[160];
    std::snprintf(detail, sizeof detail, "median %.2f ms against the relay's %.2f ms; %d of %d rounds unequal",
                  bridgeStats.median, relayStats.median, unequal, BURST_ROUNDS);
    printTarget("on/fader burst: surface quiet within 2x the relay's drain, and as the console holds it",
                bridgeStats.median <= 2 * relayStats.median && unequal == 0, detail);
    stopProcess(relay, 1000);
    stopPeer(sink);
    stopScene(rig);
}

}  // namespace

int main()
{
    std::printf("scene recall and on/fader burst: %d changes at once to a synchronised bridge\n", CHANGES);
    std::printf("  machine: %s\n", machineDescription().c_str());
    for (int seed : {1, 2}) runSceneRecall(seed);
    runBursts();
    return 0;
}
