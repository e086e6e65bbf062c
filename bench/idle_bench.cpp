// A running, synchronised bridge with nobody touching anything: the CPU it
// uses over 10 s, once with the console's meter blobs flowing (what idle is
// on a real desk) and once with them held back, and its resident memory,
// with the largest mappings to show where it goes.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/clock.h"
#include "support/bench_support.h"

namespace {

constexpr int IDLE_SECONDS = 10;

double cpuPercentOver(int pid, int seconds)
{
    int64_t cpuBefore = processCpuNanoseconds(pid);
    int64_t wallBefore = steadyNanoseconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    int64_t cpu = processCpuNanoseconds(pid) - cpuBefore;
    int64_t wall = steadyNanoseconds() - wallBefore;
    return 100.0 * static_cast<double>(cpu) / static_cast<double>(wall);
}

}  // namespace

int main()
{
    std::printf("idle: a synchronised bridge left alone\n");
    std::printf("  machine: %s\n", machineDescription().c_str());
    BridgeRig rig;
    rig.surface.filter = [](const Datagram&) { return true; };
    if (!startRig(rig)) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    takeLog(rig.surface);

    double withMeters = cpuPercentOver(rig.bridge.pid, IDLE_SECONDS);
    size_t meterDatagrams = takeLog(rig.surface).size();
    rig.relay.dropMeters = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    takeLog(rig.surface);
    double quiet = cpuPercentOver(rig.bridge.pid, IDLE_SECONDS);
    size_t quietDatagrams = takeLog(rig.surface).size();

    std::printf("  CPU over %d s with meters flowing: %.3f %% of one core (%zu datagrams to the surface)\n",
                IDLE_SECONDS, withMeters, meterDatagrams);
    std::printf("  CPU over %d s without meters (keep-alive, heartbeat, watchdog probes): %.3f %% of one core "
                "(%zu datagrams)\n",
                IDLE_SECONDS, quiet, quietDatagrams);
    long rss = residentKilobytes(rig.bridge.pid);
    std::printf("  resident memory (VmRSS): %ld kB; largest mappings:\n", rss);
    for (const std::string& line : residentBreakdown(rig.bridge.pid, 8)) std::printf("    %s\n", line.c_str());
    char detail[120];
    std::snprintf(detail, sizeof detail, "%.3f %% with meters, %.3f %% without", withMeters, quiet);
    printTarget("idle CPU below 0.5 % of a core", withMeters < 0.5 && quiet < 0.5, detail);
    std::snprintf(detail, sizeof detail, "%.1f MB", static_cast<double>(rss) / 1024.0);
    printTarget("resident memory below 40 MB", rss > 0 && rss < 40 * 1024, detail);
    stopRig(rig);
    return 0;
}
