// A running, synchronised bridge with nobody touching anything, 10 s at a
// time: its CPU with the console's meter blobs flowing (what idle is on a
// real desk), beside the minimal C relay passing the same blobs on in the
// same 10 s; then, with the meters held back, its CPU and the wake-ups of
// each of its threads; and its resident memory.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int IDLE_SECONDS = 10;
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
    rig.relay.copyTo = static_cast<uint16_t>(relayPort);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    takeLog(rig.surface);
    takeLog(sink);

    CpuWindow window = startWindow(rig.bridge.pid, relay.pid);
    std::this_thread::sleep_for(std::chrono::seconds(IDLE_SECONDS));
    const double bridgeCpu = percentSince(window, rig.bridge.pid, 0);
    const double relayCpu = percentSince(window, relay.pid, 1);
    const size_t bridgeOut = takeLog(rig.surface).size();
    const size_t relayOut = takeLog(sink).size();
    rig.relay.copyTo = 0;

    rig.relay.dropMeters = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    takeLog(rig.surface);
    std::map<int, long long> wakesBefore = threadWakeUps(rig.bridge.pid);
    window = startWindow(rig.bridge.pid, 0);
    std::this_thread::sleep_for(std::chrono::seconds(IDLE_SECONDS));
    const double quietCpu = percentSince(window, rig.bridge.pid, 0);
    std::map<int, long long> wakesAfter = threadWakeUps(rig.bridge.pid);
    const size_t quietOut = takeLog(rig.surface).size();

    std::printf("  with meters flowing, %d s: bridge %.3f %% of one core (%zu datagrams to the surface), minimal "
                "relay %.3f %% (%zu datagrams passed on): %.2fx\n",
                IDLE_SECONDS, bridgeCpu, bridgeOut, relayCpu, relayOut, bridgeCpu / relayCpu);
    std::printf("  without meters, %d s: bridge %.3f %% of one core, %zu datagrams to the surface\n", IDLE_SECONDS,
                quietCpu, quietOut);
    // Thread ids follow the order the bridge starts its threads in.
    static const char* const names[] = {"entry",       "signal watcher",  "heartbeat", "keep-alive",   "sender",
                                        "OSC receive", "surface receive", "watchdog",  "editor clicks"};
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
