// The whole start-up against the console emulator, answering at once and
// after 1 ms (--delay-ms 1, a slow network): the bridge with
// --sweep-window 16, from its start to "Listening to messages...", beside an
// ideal client that sends the very queries the bridge sent (taken from a
// first start-up through a relay), 16 outstanding, each answer releasing the
// next query at once on the receiving thread, from the first query to the
// last answer. Then the default window (one query at a time) against the
// emulator answering everything and ignoring the 80 solo switches: what an
// address the console lacks costs.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int WINDOW = 16;
constexpr int RUNS = 3;
constexpr double LIMIT = 1.1;
// What 80 unanswered addresses may add to start-up at the default window.
constexpr double IGNORED_LIMIT_MS = 1500.0;

// A query: an address and no argument; the keep-alive and subscriptions are
// not answered and are left out.
bool isQuery(const std::vector<uint8_t>& bytes, std::string& address)
{
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    if (!zero) return false;
    address.assign(reinterpret_cast<const char*>(bytes.data()));
    size_t tags = (address.size() + 4) & ~size_t{3};
    if (bytes.size() != tags + 4 || bytes[tags] != ',' || bytes[tags + 1] != 0) return false;
    return address != "/xremote" && address != "/renew" && address.rfind("/meters", 0) != 0 &&
           address.rfind("/batchsubscribe", 0) != 0;
}

std::vector<std::string> captureQueries(const std::vector<std::string>& consoleExtra)
{
    BridgeRig rig;
    rig.consoleExtra = consoleExtra;
    std::mutex mutex;
    std::vector<std::string> queries;
    rig.relay.tapFromBridge = [&](const Datagram& d) {
        std::string address;
        if (isQuery(d.bytes, address)) {
            std::lock_guard<std::mutex> lock(mutex);
            queries.push_back(address);
        }
        return false;
    };
    if (!startRig(rig)) return {};
    stopRig(rig);
    std::lock_guard<std::mutex> lock(mutex);
    return queries;
}

// The ideal client: returns ms from the first query to the last answer.
double idealClient(int consolePort, const std::vector<std::string>& queries)
{
    LoopbackPeer peer;
    openPeer(peer);
    peer.socket.setReceiveBufferSize(8 * 1024 * 1024);
    std::vector<std::vector<uint8_t>> encoded;
    for (const std::string& q : queries) encoded.push_back(oscMessage(q));
    std::mutex mutex;
    std::condition_variable done;
    size_t next = 0;
    size_t answered = 0;
    auto sendNext = [&] {
        if (next >= encoded.size()) return;
        const auto& d = encoded[next++];
        sendFromPeer(peer, d.data(), static_cast<int>(d.size()), static_cast<uint16_t>(consolePort));
    };
    peer.filter = [&](const Datagram&) {
        std::lock_guard<std::mutex> lock(mutex);
        ++answered;
        sendNext();
        if (answered >= encoded.size()) done.notify_all();
        return false;
    };
    startPeer(peer);
    const int64_t start = steadyNanoseconds();
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (int k = 0; k < WINDOW; ++k) sendNext();
        // An unanswered query would stall the window: send on after 250 ms.
        while (answered < encoded.size()) {
            size_t seen = answered;
            if (!done.wait_for(lock, std::chrono::milliseconds(250), [&] { return answered >= encoded.size(); }) &&
                answered == seen) {
                if (next >= encoded.size()) break;
                sendNext();
            }
        }
    }
    const double ms = static_cast<double>(steadyNanoseconds() - start) / 1e6;
    stopPeer(peer);
    return ms;
}

// window 0: the bridge's default.
double bridgeStartup(int consolePort, int window = WINDOW)
{
    LoopbackPeer surface;
    openPeer(surface);
    surface.filter = [](const Datagram&) { return false; };
    startPeer(surface);
    std::string profile = makeBenchProfile();
    ChildProcess bridge;
    BridgeLaunch launch;
    launch.profile = profile;
    launch.mixerPort = consolePort;
    launch.surfacePort = surface.port;
    if (window > 0) launch.extra = {"--sweep-window", std::to_string(window)};
    double ms = -1;
    int64_t start = steadyNanoseconds();
    if (startBridge(bridge, launch) && waitForBridgeSynchronised(bridge, 120000))
        ms = static_cast<double>(steadyNanoseconds() - start) / 1e6;
    stopProcess(bridge, 3000);
    stopPeer(surface);
    removeBenchProfile(profile);
    return ms;
}

bool measureIgnoredAddresses()
{
    std::printf("start-up at the default window: the emulator answering everything, then ignoring "
                "/-stat/solosw/01..80\n");
    SampleStats stats[2];
    const std::vector<std::string> extras[2] = {{}, {"--ignore", "/-stat/solosw/*"}};
    for (int k = 0; k < 2; ++k) {
        ChildProcess console;
        int port = startConsoleEmulator(console, extras[k]);
        if (port == 0) {
            std::printf("  the emulator did not come up\n");
            return false;
        }
        std::vector<double> runs;
        for (int run = 0; run < RUNS; ++run) runs.push_back(bridgeStartup(port, 0));
        stats[k] = summarize(runs);
        std::printf("  %s: median %.1f ms (%.1f to %.1f)\n", k == 0 ? "answering everything" : "80 ignored",
                    stats[k].median, stats[k].min, stats[k].max);
        stopProcess(console, 2000);
    }
    char detail[120];
    std::snprintf(detail, sizeof detail, "median %.1f ms against %.1f ms (+%.1f ms)", stats[1].median,
                  stats[0].median, stats[1].median - stats[0].median);
    return printTarget("start-up, default window, 80 unanswered addresses within 1.5 s of none",
                       stats[0].count == RUNS && stats[1].count == RUNS && stats[0].min >= 0 && stats[1].min >= 0 &&
                           stats[1].median - stats[0].median <= IGNORED_LIMIT_MS,
                       detail);
}

}  // namespace

int main()
{
    std::printf("start-up: the query sweep with window %d against an ideal client with the same queries\n", WINDOW);
    std::printf("  machine: %s\n", machineDescription().c_str());
    bool met = true;
    for (int delay : {0, 1}) {
        const std::vector<std::string> extra = {"--delay-ms", std::to_string(delay)};
        std::vector<std::string> queries = captureQueries(extra);
        ChildProcess console;
        int port = startConsoleEmulator(console, extra);
        if (queries.empty() || port == 0) {
            std::printf("  the emulator or the capture did not come up\n");
            return 1;
        }
        std::vector<double> bridge, ideal;
        for (int run = 0; run < RUNS; ++run) {
            ideal.push_back(idealClient(port, queries));
            bridge.push_back(bridgeStartup(port));
        }
        SampleStats b = summarize(bridge);
        SampleStats i = summarize(ideal);
        std::printf("  emulator answering after %d ms, %zu queries: bridge start-up median %.1f ms (%.1f to %.1f), "
                    "ideal client median %.1f ms (%.1f to %.1f): %.2fx\n",
                    delay, queries.size(), b.median, b.min, b.max, i.median, i.min, i.max, b.median / i.median);
        if (delay == 1) {
            char detail[120];
            std::snprintf(detail, sizeof detail, "median %.1f ms against %.1f ms (%.2fx)", b.median, i.median,
                          b.median / i.median);
            met = printTarget("start-up, window 16, 1 ms answers, within 1.1x the ideal client",
                              b.count == RUNS && b.median <= LIMIT * i.median, detail);
        }
        stopProcess(console, 2000);
    }
    met = measureIgnoredAddresses() && met;
    (void)met;
    return 0;
}
