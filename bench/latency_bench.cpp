// How long one change takes through the bridge, each way, beside what the
// same loopback path costs without the bridge:
//   raw hop       one datagram from one socket to another
//   raw relay     the same through a thread that only passes it on (the
//                 bridge's shape, two hops, without its work)
//   surface -> console   fader datagram in, "/ch/01/mix/fader" out
//   console -> surface   pushed "/ch/01/mix/fader", motor-fader datagram out
// The surface queue is idle: the relay holds the meter blobs back.
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "support/bench_support.h"

namespace {

constexpr int SAMPLES = 1000;

}  // namespace

int main()
{
    std::printf("latency: one change through the bridge against the raw loopback path\n");
    std::printf("  machine: %s\n", machineDescription().c_str());

    // The raw paths: a hop from source to sink, and the same through a
    // thread that only passes datagrams on.
    LoopbackPeer source, forwarder, sink;
    if (!openPeer(source) || !openPeer(forwarder) || !openPeer(sink)) return 1;
    forwarder.filter = [&](const Datagram& d) {
        sendFromPeer(forwarder, d.bytes.data(), static_cast<int>(d.bytes.size()), sink.port);
        return false;
    };
    startPeer(forwarder);
    startPeer(sink);

    BridgeRig rig;
    // Only fader 1's motor messages and its writes to the console count.
    rig.surface.filter = [](const Datagram& d) { return d.bytes.size() == 3 && d.bytes[0] == 0xE0; };
    rig.relay.tapFromBridge = [](const Datagram& d) { return oscAddressIs(d.bytes, "/ch/01/mix/fader"); };
    if (!startRig(rig)) return 1;
    rig.relay.dropMeters = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint16_t bridgePort = static_cast<uint16_t>(rig.launch.listenPort);

    const uint8_t bytes[3] = {0xE0, 0x10, 0x20};
    TimedPath hop{&sink, [&](int) { sendFromPeer(source, bytes, 3, sink.port); }, {}};
    TimedPath relayed{&sink, [&](int) { sendFromPeer(source, bytes, 3, forwarder.port); }, {}};
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
    SampleStats rawRelay = summarize(relayed.samples);
    SampleStats up = summarize(upPath.samples);
    SampleStats down = summarize(downPath.samples);

    printStats("raw hop", raw);
    printStats("raw relay (2 hops)", rawRelay);
    printStats("surface -> console", up);
    printStats("console -> motor fader", down);
    std::printf("  ratios at the median: surface -> console %.2fx a raw hop, %.2fx the raw relay;\n"
                "                        console -> motor fader %.2fx a raw hop, %.2fx the raw relay\n",
                up.median / raw.median, up.median / rawRelay.median, down.median / raw.median,
                down.median / rawRelay.median);
    if (up.count < SAMPLES || down.count < SAMPLES)
        std::printf("  lost: %zu surface moves, %zu console pushes\n", SAMPLES - up.count, SAMPLES - down.count);
    // The targets as set, against one hop; the bridge's path has two hops
    // and the relay is that path without the bridge's work, so both are
    // judged.
    struct Judged {
        const char* what;
        const SampleStats& stats;
        double factor;
    };
    for (const Judged& j : {Judged{"surface -> console", up, 1.5}, Judged{"console -> motor fader", down, 2.0}}) {
        for (const auto& [name, limit] : {std::pair<const char*, double>{"a raw hop", raw.median},
                                          std::pair<const char*, double>{"the raw relay", rawRelay.median}}) {
            char what[120];
            char detail[120];
            std::snprintf(what, sizeof what, "%s within %.1fx %s", j.what, j.factor, name);
            std::snprintf(detail, sizeof detail, "median %.1f us against %.1f us", j.stats.median, j.factor * limit);
            printTarget(what, j.stats.median <= j.factor * limit, detail);
        }
    }
    stopRig(rig);
    stopPeer(forwarder);
    stopPeer(sink);
    return 0;
}
