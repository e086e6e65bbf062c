// One, two and four X-Touches on one bridge (stand-in surfaces on loopback,
// listed with --surface A,B,...), each beside the minimal blocking C relay
// timed in the same rounds:
//   surface k -> console   a fader move from each surface in turn
//   console -> motors      one pushed "/ch/01/mix/fader", until the motor
//                          message reached the last surface (every surface
//                          shows channel 1 on fader 1)
//   idle CPU with meters   the bridge's share of one core with the console's
//                          meter blobs flowing, against one surface's
//   resident memory        VmRSS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int SAMPLES = 400;
constexpr int METER_SECONDS = 5;
constexpr double UP_LIMIT = 1.2;
constexpr double DOWN_LIMIT = 1.3;
constexpr long RSS_LIMIT_KB = 10 * 1024;

bool isFaderOneMotor(const Datagram& d) { return d.bytes.size() == 3 && d.bytes[0] == 0xE0; }

struct Figures {
    SampleStats relay, up, down;
    double meterCpu = 0;
    long rssKb = 0;
};

// Rounds of: the relay, a move from each surface in turn, one push to all.
bool measure(int count, Figures& figures)
{
    LoopbackPeer source, sink;
    if (!openPeer(source) || !openPeer(sink)) return false;
    startPeer(sink);
    ChildProcess relay;
    const int relayPort = startMinimalRelay(relay, sink.port);
    BridgeRig rig;
    LoopbackPeer peers[4];
    LoopbackPeer* units[4] = {&peers[0], &peers[1], &peers[2], &peers[3]};
    std::string list;
    rig.surface.filter = [](const Datagram&) { return false; };   // listed nowhere
    rig.relay.tapFromBridge = [](const Datagram& d) { return oscAddressIs(d.bytes, "/ch/01/mix/fader"); };
    bool ok = relayPort != 0;
    for (int k = 0; ok && k < count; ++k) {
        peers[k].filter = isFaderOneMotor;
        ok = openPeer(peers[k]);
        if (ok) startPeer(peers[k]);
        list += (k ? ",127.0.0.1:" : "127.0.0.1:") + std::to_string(peers[k].port);
    }
    // The list stands after the rig's own --surface and takes its place.
    ok = ok && startRig(rig, "", {"--surface", list});
    if (ok) {
        rig.relay.dropMeters = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const uint16_t bridgePort = static_cast<uint16_t>(rig.launch.listenPort);
        const uint8_t bytes[3] = {0xE0, 0x10, 0x20};
        TimedPath relayed{&sink, [&](int) { sendFromPeer(source, bytes, 3, static_cast<uint16_t>(relayPort)); }, {}};
        TimedPath upPath{&rig.relay.bridgeSide, [&](int k) {
            std::vector<uint8_t> move = surfaceFaderMessage(1, 0.2 + 0.5 * (k % 2) + 0.0001 * (k % 50));
            sendFromPeer(*units[k % count], move.data(), static_cast<int>(move.size()), bridgePort);
        }, {}};
        timeRounds({&relayed, &upPath}, SAMPLES);
        // The push: timed until every surface has its motor message.
        std::vector<double> down;
        for (int k = 0; k < SAMPLES; ++k) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            for (int u = 0; u < count; ++u) takeLog(*units[u]);
            const int64_t start = steadyNanoseconds();
            injectToBridge(rig.relay, oscFloatMessage("/ch/01/mix/fader", 0.25f + 0.5f * (k % 2) + 0.001f * (k % 40)));
            int64_t last = 0;
            bool all = true;
            for (int u = 0; u < count && all; ++u) {
                all = waitForLogged(*units[u], 1, 1000);
                if (all) {
                    std::vector<Datagram> got = takeLog(*units[u]);
                    last = std::max(last, got.front().atNs);
                }
            }
            if (all) down.push_back(static_cast<double>(last - start) / 1000.0);
        }
        figures.relay = summarize(relayed.samples);
        figures.up = summarize(upPath.samples);
        figures.down = summarize(down);
        rig.relay.dropMeters = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int64_t cpu0 = processCpuNanoseconds(rig.bridge.pid);
        const int64_t wall0 = steadyNanoseconds();
        std::this_thread::sleep_for(std::chrono::seconds(METER_SECONDS));
        figures.meterCpu = 100.0 * static_cast<double>(processCpuNanoseconds(rig.bridge.pid) - cpu0) /
                           static_cast<double>(steadyNanoseconds() - wall0);
        figures.rssKb = residentKilobytes(rig.bridge.pid);
    }
    stopRig(rig);
    for (int k = 0; k < count; ++k) stopPeer(peers[k]);
    stopProcess(relay, 1000);
    stopPeer(sink);
    return ok;
}

}  // namespace

int main()
{
    std::printf("surfaces: one bridge serving 1, 2 and 4 X-Touches, beside a minimal blocking C relay\n");
    std::printf("  machine: %s\n", machineDescription().c_str());
    Figures one;
    for (int count : {1, 2, 4}) {
        Figures f;
        if (!measure(count, f)) {
            std::printf("  %d surface(s): the rig did not come up\n", count);
            return 1;
        }
        if (count == 1) one = f;
        std::printf("  %d surface(s):\n", count);
        printStats("    minimal C relay (2 hops)", f.relay);
        printStats("    surface -> console (each surface in turn)", f.up);
        printStats("    console -> motor fader of every surface", f.down);
        std::printf("    idle with meters: %.3f %% of one core (%.2fx one surface's); resident memory %ld kB\n",
                    f.meterCpu, one.meterCpu > 0 ? f.meterCpu / one.meterCpu : 0.0, f.rssKb);
        char detail[160];
        std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", f.up.median, f.relay.median,
                      f.up.median / f.relay.median);
        printTarget("a fader on any surface reaches the console within 1.2x the relay",
                    f.up.median <= UP_LIMIT * f.relay.median, detail);
        std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", f.down.median, f.relay.median,
                      f.down.median / f.relay.median);
        printTarget("a console push reaches every surface's motor within 1.3x the relay",
                    f.down.median <= DOWN_LIMIT * f.relay.median, detail);
        std::snprintf(detail, sizeof detail, "%.3f %% against %d x %.3f %%", f.meterCpu, count, one.meterCpu);
        printTarget("idle CPU with meters at most in proportion to the surfaces", f.meterCpu <= count * one.meterCpu,
                    detail);
        std::snprintf(detail, sizeof detail, "%ld kB", f.rssKb);
        if (count == 4) printTarget("resident memory under 10 MB with four surfaces", f.rssKb < RSS_LIMIT_KB, detail);
    }
    return 0;
}
