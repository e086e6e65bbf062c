// One, two and four X-Touches on one bridge (stand-in surfaces on loopback,
// listed with --surface A,B,...), each beside the minimal blocking C relay
// timed in the same rounds:
//   surface k -> console   a fader move from each surface in turn
//   console -> motors      one pushed "/ch/01/mix/fader", until the motor
//                          message reached the last surface (every surface
//                          shows channel 1 on fader 1), beside the same relay
//                          sending each datagram on to as many peers
//                          (fan-out), timed until the last one has it
//   idle CPU with meters   the bridge's share of one core with the console's
//                          meter blobs flowing, against one surface's
//   resident memory        VmRSS
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
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
    SampleStats relay, relayToOne, fanOut, up, down, downFirst;
    double meterCpu = 0;
    long rssKb = 0;
};

// Rounds of: the relay, a move from each surface in turn, one push to all.
// Sends, then waits until every one of peers has logged a datagram; the
// times (microseconds) of the first and the last arrival, false when one
// did not come within a second.
bool timeToAll(LoopbackPeer* const* peers, int count, const std::function<void()>& send, double& first, double& last)
{
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    for (int u = 0; u < count; ++u) takeLog(*peers[u]);
    const int64_t start = steadyNanoseconds();
    send();
    int64_t firstNs = INT64_MAX, lastNs = 0;
    for (int u = 0; u < count; ++u) {
        if (!waitForLogged(*peers[u], 1, 1000)) return false;
        const int64_t at = takeLog(*peers[u]).front().atNs;
        firstNs = std::min(firstNs, at);
        lastNs = std::max(lastNs, at);
    }
    first = static_cast<double>(firstNs - start) / 1000.0;
    last = static_cast<double>(lastNs - start) / 1000.0;
    return true;
}

bool measure(int count, Figures& figures)
{
    LoopbackPeer source, sink, fanSinks[4];
    if (!openPeer(source) || !openPeer(sink)) return false;
    startPeer(sink);
    std::vector<uint16_t> fanPorts;
    LoopbackPeer* fanned[4] = {&fanSinks[0], &fanSinks[1], &fanSinks[2], &fanSinks[3]};
    for (int k = 0; k < count; ++k) {
        if (!openPeer(fanSinks[k])) return false;
        startPeer(fanSinks[k]);
        fanPorts.push_back(fanSinks[k].port);
    }
    ChildProcess relay, fanRelay;
    const int relayPort = startMinimalRelay(relay, sink.port);
    const int fanPort = startMinimalRelay(fanRelay, fanPorts);
    BridgeRig rig;
    LoopbackPeer peers[4];
    LoopbackPeer* units[4] = {&peers[0], &peers[1], &peers[2], &peers[3]};
    std::string list;
    rig.surface.filter = [](const Datagram&) { return false; };   // listed nowhere
    rig.relay.tapFromBridge = [](const Datagram& d) { return oscAddressIs(d.bytes, "/ch/01/mix/fader"); };
    bool ok = relayPort != 0 && fanPort != 0;
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
        // The push, timed until every surface has its motor message, in the
        // same rounds as the fan-out relay, each round starting with the other.
        std::vector<double> down, downFirst, fanOut, toOne;
        LoopbackPeer* one[1] = {&sink};
        for (int k = 0; k < SAMPLES; ++k) {
            double first = 0, last = 0;
            auto push = [&] {
                if (timeToAll(units, count, [&] {
                        injectToBridge(rig.relay, oscFloatMessage("/ch/01/mix/fader", 0.25f + 0.5f * (k % 2) + 0.001f * (k % 40)));
                    }, first, last)) {
                    down.push_back(last);
                    downFirst.push_back(first);
                }
            };
            auto fan = [&] {
                if (timeToAll(fanned, count, [&] { sendFromPeer(source, bytes, 3, static_cast<uint16_t>(fanPort)); },
                              first, last))
                    fanOut.push_back(last);
            };
            auto single = [&] {
                if (timeToAll(one, 1, [&] { sendFromPeer(source, bytes, 3, static_cast<uint16_t>(relayPort)); }, first,
                              last))
                    toOne.push_back(last);
            };
            if (k % 3 == 0) { push(); fan(); single(); }
            else if (k % 3 == 1) { fan(); single(); push(); }
            else { single(); push(); fan(); }
        }
        figures.relay = summarize(relayed.samples);
        figures.fanOut = summarize(fanOut);
        figures.relayToOne = summarize(toOne);
        figures.up = summarize(upPath.samples);
        figures.down = summarize(down);
        figures.downFirst = summarize(downFirst);
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
    stopProcess(fanRelay, 1000);
    stopPeer(sink);
    for (int k = 0; k < count; ++k) stopPeer(fanSinks[k]);
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
        printStats("    the same, timed as the pushes below", f.relayToOne);
        printStats("    minimal C relay sending on to as many peers, until the last has it", f.fanOut);
        printStats("    surface -> console (each surface in turn)", f.up);
        printStats("    console -> motor fader, the first surface to have it", f.downFirst);
        printStats("    console -> motor fader, until every surface has it", f.down);
        std::printf("    idle with meters: %.3f %% of one core (%.2fx one surface's); resident memory %ld kB\n",
                    f.meterCpu, one.meterCpu > 0 ? f.meterCpu / one.meterCpu : 0.0, f.rssKb);
        char detail[160];
        std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", f.up.median, f.relay.median,
                      f.up.median / f.relay.median);
        printTarget("a fader on any surface reaches the console within 1.2x the relay",
                    f.up.median <= UP_LIMIT * f.relay.median, detail);
        std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", f.down.median, f.fanOut.median,
                      f.down.median / f.fanOut.median);
        printTarget("a console push reaches every surface's motor within 1.3x the relay sending to as many",
                    f.down.median <= DOWN_LIMIT * f.fanOut.median, detail);
        std::snprintf(detail, sizeof detail, "first %.1f us, last %.1f us, against %.1f us (%.2fx, %.2fx)",
                      f.downFirst.median, f.down.median, f.relayToOne.median, f.downFirst.median / f.relayToOne.median,
                      f.down.median / f.relayToOne.median);
        printTarget("a console push reaches every surface's motor within 1.3x the relay sending to one",
                    f.down.median <= DOWN_LIMIT * f.relayToOne.median, detail);
        std::snprintf(detail, sizeof detail, "%.3f %% against %d x %.3f %%", f.meterCpu, count, one.meterCpu);
        printTarget("idle CPU with meters at most in proportion to the surfaces", f.meterCpu <= count * one.meterCpu,
                    detail);
        std::snprintf(detail, sizeof detail, "%ld kB", f.rssKb);
        if (count == 4) printTarget("resident memory under 10 MB with four surfaces", f.rssKb < RSS_LIMIT_KB, detail);
    }
    return 0;
}
