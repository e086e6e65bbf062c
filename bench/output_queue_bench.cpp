// Surface output queue: enqueue cost (one and several producers) and the
// CPU an idle sender thread uses.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/reset_state.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "surface/output_queue.h"

namespace {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void drain()
{
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) {
    }
}

double enqueueNanoseconds(int producers, int perProducer)
{
    resetAllState();
    int64_t start = steadyNanoseconds();
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([perProducer] {
            for (int i = 0; i < perProducer; ++i) queueLamp(static_cast<uint8_t>(i & 0x7F), 127);
        });
    }
    for (auto& t : threads) t.join();
    double ns = static_cast<double>(steadyNanoseconds() - start) / (producers * perProducer);
    drain();
    return ns;
}

} // namespace

int main()
{
    std::printf("surface output queue\n");
    for (int producers : {1, 2, 4}) {
        double best = 1e18;
        for (int run = 0; run < 5; ++run) best = std::min(best, enqueueNanoseconds(producers, 20000));
        std::printf("  enqueue, %d producer(s): %.1f ns per message (best of 5)\n", producers, best);
    }

    resetAllState();
    UdpSocket sink;
    UdpSocket source;
    sink.open();
    sink.bind(0x7F000001, 0);
    source.open();
    setSurfaceLink(&source, UdpEndpoint{0x7F000001, sink.localPort()});
    std::thread sender(surfaceSenderLoop);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double cpuBefore = processCpuSeconds();
    const double idleSeconds = 2.0;
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    double cpu = processCpuSeconds() - cpuBefore;
    std::printf("  idle sender: %.3f %% of one core over %.0f s\n", 100.0 * cpu / idleSeconds,
                idleSeconds);

    // Paced throughput: lamps carry 150 us each, so 2000 take at least 300 ms.
    int64_t start = steadyNanoseconds();
    for (int i = 0; i < 2000; ++i) queueLamp(static_cast<uint8_t>(i & 0x7F), 0);
    while (surfaceQueueStats().depth > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double ms = static_cast<double>(steadyNanoseconds() - start) / 1e6;
    std::printf("  2000 paced lamps drained in %.1f ms (floor 300 ms)\n", ms);

    requestStop();
    wakeSurfaceSender();
    sender.join();
    setSurfaceLink(nullptr, UdpEndpoint{});
    return 0;
}
