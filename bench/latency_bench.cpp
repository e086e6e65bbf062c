// How long one change takes through the bridge, each way, beside the least a
// program in the same place can cost: a minimal blocking C relay
// (bench/relay/minimal_relay.c: recvfrom, then sendto), timed in the same
// rounds on the same machine.
//   raw hop               one datagram from one socket to another
//   minimal relay         the same through the C relay (two hops, no work)
//   surface -> console    fader datagram in, "/ch/01/mix/fader" out
//   console -> surface    pushed "/ch/01/mix/fader", motor-fader datagram out
// The surface queue is idle: the rig holds the meter blobs back.
#include <chrono>
#include <cstdio>
#include <thread>

#include "support/bench_support.h"

namespace {

constexpr int SAMPLES = 1000;
constexpr double UP_LIMIT = 1.2;
constexpr double DOWN_LIMIT = 1.3;

}  // namespace

int main()
{
    std::printf("latency: one change through the bridge against a minimal blocking C relay\n");
    std::printf("  machine: %s\n", machineDescription().c_str());

    LoopbackPeer source, sink;
    if (!openPeer(source) || !openPeer(sink)) return 1;
    startPeer(sink);
    ChildProcess relay;
    const int relayPort = startMinimalRelay(relay, sink.port);
    if (relayPort == 0) {
        std::printf("  the minimal relay did not start\n");
        return 1;
    }

    BridgeRig rig;
    // Only fader 1's motor messages and its writes to the console count.
    rig.surface.filter = [](const Datagram& d) { return d.bytes.size() == 3 && d.bytes[0] == 0xE0; };
    rig.relay.tapFromBridge = [](const Datagram& d) { return oscAddressIs(d.bytes, "/ch/01/mix/fader"); };
    if (!startRig(rig)) {
        stopProcess(relay, 1000);
        return 1;
    }
    rig.relay.dropMeters = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint16_t bridgePort = static_cast<uint16_t>(rig.launch.listenPort);

    const uint8_t bytes[3] = {0xE0, 0x10, 0x20};
    TimedPath hop{&sink, [&](int) { sendFromPeer(source, bytes, 3, sink.port); }, {}};
    TimedPath relayed{&sink, [&](int) { sendFromPeer(source, bytes, 3, static_cast<uint16_t>(relayPort)); }, {}};
    TimedPath upPath{&rig.relay.bridgeSide, [&](int k) {
        std::vector<uint8_t> move = surfaceFaderMessage(1, 0.2 + 0.5 * (k % 2) + 0.0001 * (k % 50));
        sendFromPeer(rig.surface, move.data(), static_cast<int>(move.size()), bridgePort);
    }, {}};
    // Every push a new value, or the fader cache would rightly send nothing.
    TimedPath downPath{&rig.surface, [&](int k) {
        injectToBridge(rig.relay, oscFloatMessage("/ch/01/mix/fader", 0.25f + 0.5f * (k % 2) + 0.001f * (k % 40)));
    }, {}};
    timeRounds({&hop, &relayed, &upPath, &downPath}, SAMPLES);
    SampleStats raw = summarize(hop.samples);
    SampleStats minimal = summarize(relayed.samples);
    SampleStats up = summarize(upPath.samples);
    SampleStats down = summarize(downPath.samples);

    printStats("raw hop", raw);
    printStats("minimal C relay (2 hops)", minimal);
    printStats("surface -> console", up);
    printStats("console -> motor fader", down);
    std::printf("  ratios at the median against the minimal relay: surface -> console %.2fx, "
                "console -> motor fader %.2fx\n",
                up.median / minimal.median, down.median / minimal.median);
    if (up.count < SAMPLES || down.count < SAMPLES)
        std::printf("  lost: %zu surface moves, %zu console pushes\n", SAMPLES - up.count, SAMPLES - down.count);
    char detail[120];
    std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", up.median, minimal.median,
                  up.median / minimal.median);
    printTarget("surface -> console at most 1.2x the minimal relay", up.median <= UP_LIMIT * minimal.median, detail);
    std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us (%.2fx)", down.median, minimal.median,
                  down.median / minimal.median);
    printTarget("console -> motor fader at most 1.3x the minimal relay", down.median <= DOWN_LIMIT * minimal.median,
                detail);
    stopRig(rig);
    stopProcess(relay, 1000);
    stopPeer(sink);
    return 0;
}
