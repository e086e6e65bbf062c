// A scene recall: the console emulator pushes 2,000 changes at once
// ("scene 2000") to a synchronised bridge with meters flowing. Measured:
// how long after the last change the surface shows what the bridge's model
// says, the surface queue's high-water mark and drops, and how many changes
// the kernel dropped before the bridge could read them.
//
// What the model says is read back from the bridge itself: a few seconds
// after the recall, once a heartbeat has gone by, a press of the home-page
// button makes the bridge refresh with every cache unknown, i.e. send the
// whole surface as the model has it. The surface state after that is the
// reference; the time of consistency is the first moment after which the
// surface, replayed datagram by datagram, stayed equal to it.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"
#include "surface_sim/surface_state.h"

namespace {

constexpr int SCENE_CHANGES = 2000;
constexpr int SETTLE_MS = 4500;          // more than one heartbeat period
constexpr int QUIET_MS = 1000;
constexpr int MAX_SETTLE_MS = 30000;

// Meters and heartbeats change nothing the comparison looks at.
bool shapesTheSurface(const Datagram& d)
{
    if (d.bytes.empty() || d.bytes[0] == 0xD0) return false;
    static const uint8_t heartbeat[7] = {0xF0, 0x00, 0x00, 0x66, 0x14, 0x00, 0xF7};
    return !(d.bytes.size() == 7 && std::memcmp(d.bytes.data(), heartbeat, 7) == 0);
}

bool sameShown(const SurfaceState& a, const SurfaceState& b)
{
    for (int i = 0; i < 8; ++i) {
        const StripDisplayState& x = a.displays[i];
        const StripDisplayState& y = b.displays[i];
        if (x.colorByte != y.colorByte || std::memcmp(x.top, y.top, 7) != 0 ||
            std::memcmp(x.bottom, y.bottom, 7) != 0 || a.ringFirst[i] != b.ringFirst[i] ||
            a.ringSecond[i] != b.ringSecond[i])
            return false;
    }
    return std::memcmp(a.faderValue, b.faderValue, sizeof a.faderValue) == 0 &&
           std::memcmp(a.lamp, b.lamp, sizeof a.lamp) == 0;
}

std::string differences(const SurfaceState& a, const SurfaceState& b)
{
    int displays = 0, faders = 0, rings = 0, lamps = 0;
    for (int i = 0; i < 8; ++i) {
        displays += a.displays[i].colorByte != b.displays[i].colorByte ||
                    std::memcmp(a.displays[i].top, b.displays[i].top, 7) != 0 ||
                    std::memcmp(a.displays[i].bottom, b.displays[i].bottom, 7) != 0;
        rings += a.ringFirst[i] != b.ringFirst[i] || a.ringSecond[i] != b.ringSecond[i];
    }
    for (int f = 0; f < 9; ++f) faders += a.faderValue[f] != b.faderValue[f];
    for (int n = 0; n < 128; ++n) lamps += a.lamp[n] != b.lamp[n];
    char text[160];
    std::snprintf(text, sizeof text, "%d displays, %d faders, %d rings, %d lamps differ", displays, faders, rings,
                  lamps);
    return text;
}

SurfaceState replay(const std::vector<Datagram>& log, size_t count)
{
    resetSurfaceState();
    for (size_t k = 0; k < count && k < log.size(); ++k)
        applySurfaceDatagram(log[k].bytes.data(), log[k].bytes.size());
    return surface;
}

// Waits until nothing that shapes the surface arrived for QUIET_MS.
void waitForQuiet(LoopbackPeer& peer, int64_t notBeforeNs)
{
    int64_t deadline = steadyNanoseconds() + int64_t(MAX_SETTLE_MS) * 1000000;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int64_t now = steadyNanoseconds();
        int64_t last = 0;
        {
            std::lock_guard<std::mutex> lock(peer.mutex);
            if (!peer.log.empty()) last = peer.log.back().atNs;
        }
        if (now >= deadline || (now >= notBeforeNs && now - last >= int64_t(QUIET_MS) * 1000000)) return;
    }
}

struct SceneResult {
    bool ran = false;
    double pushMs = 0;             // from the command to the emulator's "scene:" line
    bool consistent = false;
    double consistentAfterMs = 0;  // after the last change
    double lastDatagramAfterMs = 0;
    size_t sceneDatagrams = 0;
    size_t repaintDatagrams = 0;
    std::string mismatch;
    BridgeQueueStatus queue;
    unsigned long long kernelDrops = 0;
};

SceneResult runScene(int seed)
{
    SceneResult result;
    ChildProcess console;
    int consolePort = startConsoleEmulator(console, {"--seed", std::to_string(seed)});
    LoopbackPeer peer;
    if (consolePort == 0 || !openPeer(peer)) return result;
    peer.filter = shapesTheSurface;
    startPeer(peer);
    std::string profile = makeBenchProfile();
    ChildProcess bridge;
    BridgeLaunch launch;
    launch.profile = profile;
    launch.mixerPort = consolePort;
    launch.surfacePort = peer.port;
    launch.extra = {"--sweep-window", "16"};
    if (!startBridge(bridge, launch) || !waitForBridgeSynchronised(bridge, 60000)) return result;
    waitForQuiet(peer, 0);

    unsigned long long dropsBefore = udpDropsOf(bridge.pid);
    size_t before = loggedCount(peer);
    int64_t commandAt = steadyNanoseconds();
    std::string line;
    if (!writeToProcess(console, "scene " + std::to_string(SCENE_CHANGES) + "\n") ||
        !waitForLine(console, "scene: ", 5000, line))
        return result;
    int64_t doneAt = steadyNanoseconds();
    result.pushMs = static_cast<double>(doneAt - commandAt) / 1e6;
    waitForQuiet(peer, doneAt + int64_t(SETTLE_MS) * 1000000);

    int64_t pressAt = steadyNanoseconds();
    const uint8_t press[3] = {0x90, 51, 127};
    const uint8_t release[3] = {0x90, 51, 0};
    sendFromPeer(peer, press, 3, static_cast<uint16_t>(launch.listenPort));
    sendFromPeer(peer, release, 3, static_cast<uint16_t>(launch.listenPort));
    waitForQuiet(peer, pressAt + 300000000LL);
    result.queue = readBridgeQueueStatus(bridge);
    result.kernelDrops = udpDropsOf(bridge.pid) - dropsBefore;

    std::vector<Datagram> log = takeLog(peer);
    size_t pressIndex = log.size();
    for (size_t k = 0; k < log.size(); ++k)
        if (log[k].atNs >= pressAt) {
            pressIndex = k;
            break;
        }
    result.sceneDatagrams = pressIndex - before;
    result.repaintDatagrams = log.size() - pressIndex;
    if (pressIndex > before) result.lastDatagramAfterMs = static_cast<double>(log[pressIndex - 1].atNs - doneAt) / 1e6;
    SurfaceState reference = replay(log, log.size());
    SurfaceState atPress = replay(log, pressIndex);
    result.consistent = sameShown(atPress, reference);
    if (!result.consistent) {
        result.mismatch = differences(atPress, reference);
    } else {
        // The last datagram after which the surface differed from the reference.
        int64_t consistentAt = commandAt;
        resetSurfaceState();
        for (size_t k = 0; k < pressIndex; ++k) {
            applySurfaceDatagram(log[k].bytes.data(), log[k].bytes.size());
            if (k + 1 >= before && !sameShown(surface, reference)) consistentAt = log[k + 1].atNs;
        }
        result.consistentAfterMs = static_cast<double>(consistentAt - doneAt) / 1e6;
    }
    result.ran = true;
    stopProcess(bridge, 3000);
    stopProcess(console, 2000);
    stopPeer(peer);
    removeBenchProfile(profile);
    return result;
}

}  // namespace

int main()
{
    std::printf("scene recall: %d changes pushed at once to a synchronised bridge\n", SCENE_CHANGES);
    std::printf("  machine: %s\n", machineDescription().c_str());
    bool allMet = true;
    for (int seed : {1, 2}) {
        SceneResult r = runScene(seed);
        if (!r.ran) {
            std::printf("  seed %d: the run could not be set up\n", seed);
            allMet = false;
            continue;
        }
        std::printf("  seed %d: pushed in %.1f ms; %zu surface datagrams, the last %.1f ms after the last change\n",
                    seed, r.pushMs, r.sceneDatagrams, r.lastDatagramAfterMs);
        if (r.consistent)
            std::printf("    surface consistent with the model %.1f ms after the last change\n", r.consistentAfterMs);
        else
            std::printf("    surface NOT consistent with the model before the full refresh: %s\n", r.mismatch.c_str());
        std::printf("    surface queue high-water %d, dropped %llu; changes dropped by the kernel before the bridge "
                    "read them: %llu; full refresh afterwards: %zu datagrams\n",
                    r.queue.highWater, r.queue.dropped, r.kernelDrops, r.repaintDatagrams);
        char when[40] = "never";
        if (r.consistent) std::snprintf(when, sizeof when, "%.1f ms", r.consistentAfterMs);
        char detail[160];
        std::snprintf(detail, sizeof detail, "seed %d: consistent after %s, dropped %llu, high-water %d", seed, when,
                      r.queue.dropped, r.queue.highWater);
        allMet &= printTarget("no drop, consistent within 300 ms, high-water below 2000",
                              r.consistent && r.consistentAfterMs <= 300 && r.queue.read && r.queue.dropped == 0 &&
                                  r.queue.highWater < 2000,
                              detail);
    }
    std::printf("  %s\n", allMet ? "all scene targets met" : "a scene target was missed");
    return 0;
}
