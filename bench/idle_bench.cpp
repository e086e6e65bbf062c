// A running, synchronised bridge with nobody touching anything: its CPU
// with the console's meter blobs flowing (what idle is on a real desk),
// against the minimal C relay passing the same blobs on; then, with the
// meters held back, its CPU and the wake-ups of each of its threads; and its
// resident memory.
//
// Fed at the same moment, the two programs share two cores with the relay
// standing in for the console, and whichever gets each blob second finds
// the cores busier: the target is therefore measured in turns, one program
// fed at a time, and the simultaneous figures are printed for both orders.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int IDLE_SECONDS = 10;
constexpr int TURNS = 10;          // per program
constexpr int TURN_MS = 1000;
constexpr int SETTLE_MS = 100;     // a blob still on its way when the turn changes
constexpr int TOGETHER_SECONDS = 5;
constexpr double METER_LIMIT = 1.5;

struct CpuWindow {
    int64_t cpu0[2];
    int64_t wall0;
};

CpuWindow startWindow(int pidA, int pidB)
{
    return {{processCpuNanoseconds(pidA), pidB > 0 ? processCpuNanoseconds(pidB) : 0}, steadyNanoseconds()};
}

double percentSince(const CpuWindow& w, int pid, int which)
{
    const int64_t cpu = processCpuNanoseconds(pid) - w.cpu0[which];
    return 100.0 * static_cast<double>(cpu) / static_cast<double>(steadyNanoseconds() - w.wall0);
}

struct Share {
    int64_t cpu = 0;
    int64_t wall = 0;
    size_t out = 0;
    double percent() const { return wall > 0 ? 100.0 * static_cast<double>(cpu) / static_cast<double>(wall) : 0.0; }
};

// One turn: only this program gets the meters for TURN_MS.
void turn(BridgeRig& rig, LoopbackPeer& sink, int pid, int relayPort, bool bridgeFed, Share& share)
{
    rig.relay.dropMeters = !bridgeFed;
    rig.relay.copyTo = static_cast<uint16_t>(bridgeFed ? 0 : relayPort);
    std::this_thread::sleep_for(std::chrono::milliseconds(SETTLE_MS));
    LoopbackPeer& receiver = bridgeFed ? rig.surface : sink;
    takeLog(receiver);
    const int64_t cpu0 = processCpuNanoseconds(pid);
    const int64_t wall0 = steadyNanoseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(TURN_MS));
    share.cpu += processCpuNanoseconds(pid) - cpu0;
    share.wall += steadyNanoseconds() - wall0;
    share.out += takeLog(receiver).size();
}

// Both fed at once; returns the bridge's and the relay's CPU.
void together(BridgeRig& rig, LoopbackPeer& sink, int relayPid, int relayPort, bool relayFirst, double& bridge,
              double& relay)
{
    rig.relay.copyFirst = relayFirst;
    rig.relay.dropMeters = false;
    rig.relay.copyTo = static_cast<uint16_t>(relayPort);
    std::this_thread::sleep_for(std::chrono::milliseconds(SETTLE_MS));
    CpuWindow window = startWindow(rig.bridge.pid, relayPid);
    std::this_thread::sleep_for(std::chrono::seconds(TOGETHER_SECONDS));
    bridge = percentSince(window, rig.bridge.pid, 0);
    relay = percentSince(window, relayPid, 1);
    rig.relay.copyTo = 0;
    takeLog(sink);
}

}  // namespace

int main()
{
    std::printf("idle: a synchronised bridge left alone\n");
    std::printf("  machine: %s\n", machineDescription().c_str());
    BridgeRig rig;
    rig.surface.filter = [](const Datagram&) { return true; };
    if (!startRig(rig)) return 1;
    LoopbackPeer sink;
    ChildProcess relay;
    openPeer(sink);
    sink.filter = [](const Datagram&) { return true; };
    startPeer(sink);
    const int relayPort = startMinimalRelay(relay, sink.port);
    if (relayPort == 0) {
        std::printf("  the minimal relay did not start\n");
        stopProcess(relay, 1000);
        stopRig(rig);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));

    Share bridgeShare, relayShare;
    for (int i = 0; i < TURNS; ++i) {
        turn(rig, sink, rig.bridge.pid, relayPort, true, bridgeShare);
        turn(rig, sink, relay.pid, relayPort, false, relayShare);
    }
    const double bridgeCpu = bridgeShare.percent();
    const double relayCpu = relayShare.percent();
    double bridgeRelayFirst = 0, relayRelayFirst = 0, bridgeBridgeFirst = 0, relayBridgeFirst = 0;
    together(rig, sink, relay.pid, relayPort, true, bridgeRelayFirst, relayRelayFirst);
    together(rig, sink, relay.pid, relayPort, false, bridgeBridgeFirst, relayBridgeFirst);

    rig.relay.dropMeters = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    takeLog(rig.surface);
    std::map<int, long long> wakesBefore = threadWakeUps(rig.bridge.pid);
    CpuWindow window = startWindow(rig.bridge.pid, 0);
    std::this_thread::sleep_for(std::chrono::seconds(IDLE_SECONDS));
    const double quietCpu = percentSince(window, rig.bridge.pid, 0);
    std::map<int, long long> wakesAfter = threadWakeUps(rig.bridge.pid);
    const size_t quietOut = takeLog(rig.surface).size();

    std::printf("  with meters, in turns (%d x %d ms each, the other's meters held back): bridge %.3f %% of one core "
                "(%zu datagrams to the surface), minimal relay %.3f %% (%zu datagrams passed on): %.2fx\n",
                TURNS, TURN_MS, bridgeCpu, bridgeShare.out, relayCpu, relayShare.out, bridgeCpu / relayCpu);
    std::printf("  with meters, both fed at once for %d s: relay's copy sent first: bridge %.3f %%, relay %.3f %% "
                "(%.2fx); bridge's sent first: bridge %.3f %%, relay %.3f %% (%.2fx)\n",
                TOGETHER_SECONDS, bridgeRelayFirst, relayRelayFirst, bridgeRelayFirst / relayRelayFirst,
                bridgeBridgeFirst, relayBridgeFirst, bridgeBridgeFirst / relayBridgeFirst);
    std::printf("  without meters, %d s: bridge %.3f %% of one core, %zu datagrams to the surface\n", IDLE_SECONDS,
                quietCpu, quietOut);
    // Thread ids follow the order the bridge starts its threads in.
    static const char* const names[] = {"entry",       "signal watcher",  "heartbeat", "keep-alive",   "sender 1",
                                        "sender 2",    "sender 3",        "sender 4",  "OSC receive",  "surface receive",
                                        "watchdog",    "editor clicks"};
    const bool named = wakesAfter.size() == sizeof names / sizeof names[0];
    long long total = 0;
    std::string perThread;
    size_t k = 0;
    for (const auto& [tid, after] : wakesAfter) {
        long long n = after - (wakesBefore.count(tid) ? wakesBefore[tid] : 0);
        total += n;
        perThread += std::string(perThread.empty() ? " " : ", ") + (named ? names[k] : std::to_string(tid).c_str()) +
                     " " + std::to_string(n);
        ++k;
    }
    std::printf("  wake-ups without meters, %d s, per thread:%s; %lld in all\n", IDLE_SECONDS, perThread.c_str(), total);
    long rss = residentKilobytes(rig.bridge.pid);
    std::printf("  resident memory (VmRSS): %ld kB; largest mappings:\n", rss);
    for (const std::string& line : residentBreakdown(rig.bridge.pid, 6)) std::printf("    %s\n", line.c_str());
    char detail[120];
    std::snprintf(detail, sizeof detail, "%.3f %% against %.3f %% (%.2fx)", bridgeCpu, relayCpu, bridgeCpu / relayCpu);
    printTarget("idle with meters at most 1.5x the minimal relay's CPU", bridgeCpu <= METER_LIMIT * relayCpu, detail);
    stopProcess(relay, 1000);
    stopPeer(sink);
    stopRig(rig);
    return 0;
}
