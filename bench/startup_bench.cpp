// The full start-up against the console emulator: total time, queries, and
// what each query costs beyond one raw round trip to the same emulator, with
// one query outstanding (--sweep-window 1) and sixteen, on plain loopback and
// with every answer delayed by 1 ms (--delay-ms 1, a slow network).
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int RAW_SAMPLES = 300;

// One query at a time to the emulator, as the bridge's window of one does.
SampleStats rawRoundTrips(int consolePort)
{
    LoopbackPeer peer;
    openPeer(peer);
    startPeer(peer);
    std::vector<uint8_t> query = oscMessage("/ch/01/mix/fader");
    std::vector<double> samples;
    for (int k = 0; k < RAW_SAMPLES; ++k) {
        takeLog(peer);
        int64_t start = steadyNanoseconds();
        sendFromPeer(peer, query.data(), static_cast<int>(query.size()), static_cast<uint16_t>(consolePort));
        if (!waitForLogged(peer, 1, 1000)) continue;
        samples.push_back(static_cast<double>(takeLog(peer).front().atNs - start) / 1000.0);
    }
    stopPeer(peer);
    return summarize(samples);
}

long long consoleReceived(ChildProcess& console)
{
    std::string line;
    long long received = -1;
    if (writeToProcess(console, "stats\n") && waitForLine(console, "received ", 3000, line))
        std::sscanf(line.c_str(), "received %lld", &received);
    return received;
}

struct StartupRun {
    bool finished = false;
    double totalMs = 0;
    long long queries = 0;
};

StartupRun runStartup(ChildProcess& console, int consolePort, int window)
{
    StartupRun run;
    LoopbackPeer surface;
    openPeer(surface);
    surface.filter = [](const Datagram&) { return false; };
    startPeer(surface);
    std::string profile = makeBenchProfile();
    long long before = consoleReceived(console);
    ChildProcess bridge;
    BridgeLaunch launch;
    launch.profile = profile;
    launch.mixerPort = consolePort;
    launch.surfacePort = surface.port;
    launch.extra = {"--sweep-window", std::to_string(window)};
    int64_t start = steadyNanoseconds();
    if (startBridge(bridge, launch) && waitForBridgeSynchronised(bridge, 120000)) {
        run.finished = true;
        run.totalMs = static_cast<double>(steadyNanoseconds() - start) / 1e6;
    }
    stopProcess(bridge, 3000);
    run.queries = consoleReceived(console) - before;
    stopPeer(surface);
    removeBenchProfile(profile);
    return run;
}

}  // namespace

int main()
{
    std::printf("start-up: the whole query sweep against the console emulator\n");
    std::printf("  machine: %s\n", machineDescription().c_str());
    double oneMsWindow1 = 0;
    double oneMsWindow16 = 0;
    for (int delay : {0, 1}) {
        ChildProcess console;
        int port = startConsoleEmulator(console, {"--delay-ms", std::to_string(delay)});
        if (port == 0) {
            std::printf("  the console emulator did not come up\n");
            return 1;
        }
        SampleStats raw = rawRoundTrips(port);
        std::printf("  emulator answering after %d ms:\n", delay);
        printStats("  raw query round trip", raw);
        std::printf("    (mean %.1f us)\n", raw.mean);
        for (int window : {1, 16}) {
            StartupRun run = runStartup(console, port, window);
            if (!run.finished) {
                std::printf("    window %2d: the start-up did not finish\n", window);
                continue;
            }
            double perQueryUs = run.totalMs * 1000.0 / static_cast<double>(run.queries);
            std::printf("    window %2d: %8.1f ms for %lld messages to the console, %.1f us each", window,
                        run.totalMs, run.queries, perQueryUs);
            // Both are averages: the sweep's total over its queries, and the
            // mean raw round trip.
            if (window == 1) std::printf(", %.1f us over the mean raw round trip", perQueryUs - raw.mean);
            std::printf("\n");
            if (delay == 1) (window == 1 ? oneMsWindow1 : oneMsWindow16) = run.totalMs;
        }
        stopProcess(console, 2000);
    }
    if (oneMsWindow1 > 0 && oneMsWindow16 > 0) {
        double speedUp = oneMsWindow1 / oneMsWindow16;
        char detail[120];
        std::snprintf(detail, sizeof detail, "%.1fx faster", speedUp);
        printTarget("window 16 at 1 ms delay at least 8x faster than window 1", speedUp >= 8.0, detail);
    }
    return 0;
}
