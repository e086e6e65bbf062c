// What the traffic log costs while it is off. Every datagram each way passes
// noteMixerDatagram or noteSurfaceDatagram (counters, then the log if on).
//   1. in this process: the two calls with the log off, per call;
//   2. the surface -> console fader round trip through three bridges: the
//      real one with the log off, one whose calls reach empty functions
//      (the calls as good as compiled out), and the real one with --verbose.
#include <chrono>
#include <cstdio>
#include <thread>

#include "diag/traffic_log.h"
#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int SAMPLES = 600;
constexpr int CALLS = 2000000;

double nanosecondsPerCall(void (*note)(LinkDirection, const uint8_t*, int), LinkDirection direction,
                          const uint8_t* bytes, int length)
{
    int64_t start = steadyNanoseconds();
    for (int i = 0; i < CALLS; ++i) note(direction, bytes, length);
    return static_cast<double>(steadyNanoseconds() - start) / CALLS;
}

// A rig whose bridge's fader writes to the console are timed.
bool startTimedRig(BridgeRig& rig, TimedPath& path, const std::string& binary, const std::vector<std::string>& extra)
{
    rig.surface.filter = [](const Datagram&) { return false; };
    rig.relay.tapFromBridge = [](const Datagram& d) { return oscAddressIs(d.bytes, "/ch/01/mix/fader"); };
    if (!startRig(rig, binary, extra)) return false;
    rig.relay.dropMeters = true;
    path.peer = &rig.relay.bridgeSide;
    path.send = [&rig](int k) {
        std::vector<uint8_t> move = surfaceFaderMessage(1, 0.2 + 0.5 * (k % 2) + 0.0001 * (k % 50));
        sendFromPeer(rig.surface, move.data(), static_cast<int>(move.size()),
                     static_cast<uint16_t>(rig.launch.listenPort));
    };
    return true;
}

}  // namespace

int main()
{
    std::printf("traffic log: its cost while off\n");
    std::printf("  machine: %s\n", machineDescription().c_str());
    setTrafficLogLevel(0);
    const uint8_t midi[3] = {0xE0, 0x10, 0x20};
    std::vector<uint8_t> osc = oscFloatMessage("/ch/01/mix/fader", 0.5f);
    double surfaceCall = nanosecondsPerCall(noteSurfaceDatagram, LinkDirection::SurfaceIn, midi, 3);
    double mixerCall = nanosecondsPerCall(noteMixerDatagram, LinkDirection::MixerOut, osc.data(),
                                          static_cast<int>(osc.size()));
    std::printf("  log off, per call: noteSurfaceDatagram %.1f ns, noteMixerDatagram %.1f ns\n", surfaceCall,
                mixerCall);

    // The three bridges run side by side and are timed in turn.
    BridgeRig offRig, withoutRig, onRig;
    TimedPath offPath, withoutPath, onPath;
    if (!startTimedRig(offRig, offPath, "", {}) ||
        !startTimedRig(withoutRig, withoutPath, VELUMBRA_BRIDGE_WITHOUT_TRAFFIC_LOG, {}) ||
        !startTimedRig(onRig, onPath, "", {"--verbose"}))
        return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    timeRounds({&offPath, &withoutPath, &onPath}, SAMPLES);
    stopRig(offRig);
    stopRig(withoutRig);
    stopRig(onRig);
    SampleStats off = summarize(offPath.samples);
    SampleStats without = summarize(withoutPath.samples);
    SampleStats on = summarize(onPath.samples);
    printStats("fader round trip, log off", off);
    printStats("fader round trip, calls reach empty functions", without);
    printStats("fader round trip, --verbose", on);
    double callsUs = (surfaceCall + mixerCall) / 1000.0;
    std::printf("  the two calls of one round trip: %.3f us, %.2f %% of the median; medians differ by %+.1f us "
                "(log off minus no calls)\n",
                callsUs, 100.0 * callsUs / off.median, off.median - without.median);
    char detail[160];
    std::snprintf(detail, sizeof detail, "%.3f us of calls per round trip against a %.1f us median", callsUs,
                  off.median);
    printTarget("--verbose off adds no measurable cost", callsUs < 0.01 * off.median, detail);
    return 0;
}
